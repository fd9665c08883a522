// The system window classes (EDIT, BUTTON, STATIC, SCROLLBAR and the lists
// and combo boxes beside them), their styles, messages and notifications.
//
// Registration: RegisterSystemControls() registers every class of this
// library under its system name with RegisterClassExW. It is idempotent and
// cheap, so whoever is about to create a system-class window calls it first:
// the class-library controls do it in CreateParams (through CreateSubClass),
// controls that make system children (the combo box's "EDIT") and dialogs do
// it before CreateWindowEx, and programs may call it once at start. A new
// class joins by adding its Register...Class() call to RegisterSystemControls.
#pragma once
#include "platform/controls/ComboBox.h"
#include "platform/controls/ListBox.h"
#include "platform/window/ScrollBar.h"
#include "platform/window/Window.h"

namespace qv {

void RegisterSystemControls();
void RegisterEditClass();
void RegisterButtonClass();
void RegisterStaticClass();
void RegisterScrollBarClass();

// ---- EDIT ----
constexpr DWORD ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_MULTILINE = 0x4, ES_UPPERCASE = 0x8,
                ES_LOWERCASE = 0x10, ES_PASSWORD = 0x20, ES_AUTOVSCROLL = 0x40, ES_AUTOHSCROLL = 0x80,
                ES_NOHIDESEL = 0x100, ES_OEMCONVERT = 0x400, ES_READONLY = 0x800, ES_WANTRETURN = 0x1000,
                ES_NUMBER = 0x2000;
constexpr UINT EM_GETSEL = 0xB0, EM_SETSEL = 0xB1, EM_GETRECT = 0xB2, EM_SETRECT = 0xB3, EM_SETRECTNP = 0xB4,
               EM_SCROLL = 0xB5, EM_LINESCROLL = 0xB6, EM_SCROLLCARET = 0xB7, EM_GETMODIFY = 0xB8,
               EM_SETMODIFY = 0xB9, EM_GETLINECOUNT = 0xBA, EM_LINEINDEX = 0xBB, EM_GETTHUMB = 0xBE,
               EM_LINELENGTH = 0xC1, EM_REPLACESEL = 0xC2, EM_GETLINE = 0xC4, EM_LIMITTEXT = 0xC5,
               EM_SETLIMITTEXT = 0xC5, EM_CANUNDO = 0xC6, EM_UNDO = 0xC7, EM_FMTLINES = 0xC8,
               EM_LINEFROMCHAR = 0xC9, EM_SETTABSTOPS = 0xCB, EM_SETPASSWORDCHAR = 0xCC,
               EM_EMPTYUNDOBUFFER = 0xCD, EM_GETFIRSTVISIBLELINE = 0xCE, EM_SETREADONLY = 0xCF,
               EM_GETPASSWORDCHAR = 0xD2, EM_SETMARGINS = 0xD3, EM_GETMARGINS = 0xD4, EM_GETLIMITTEXT = 0xD5,
               EM_POSFROMCHAR = 0xD6, EM_CHARFROMPOS = 0xD7;
constexpr WPARAM EC_LEFTMARGIN = 0x1, EC_RIGHTMARGIN = 0x2, EC_USEFONTINFO = 0xFFFF;
// The platform's own beside those: the whole text selected as the user's
// Select All command (the edit's context menu, a program's Edit menu), which
// makes it the desktop's primary selection as a selection made by mouse or
// keys does. EM_SETSEL is the program's own selection and leaves it.
constexpr UINT EM_USERSELECTALL = WM_USER + 0x7F0;
// Notification codes (high word of WM_COMMAND's wParam)
constexpr WORD EN_SETFOCUS = 0x100, EN_KILLFOCUS = 0x200, EN_CHANGE = 0x300, EN_UPDATE = 0x400,
               EN_MAXTEXT = 0x501, EN_HSCROLL = 0x601, EN_VSCROLL = 0x602;

// ---- BUTTON ----
constexpr DWORD BS_PUSHBUTTON = 0x0, BS_DEFPUSHBUTTON = 0x1, BS_CHECKBOX = 0x2, BS_AUTOCHECKBOX = 0x3,
                BS_RADIOBUTTON = 0x4, BS_3STATE = 0x5, BS_AUTO3STATE = 0x6, BS_GROUPBOX = 0x7,
                BS_USERBUTTON = 0x8, BS_AUTORADIOBUTTON = 0x9, BS_OWNERDRAW = 0xB, BS_TYPEMASK = 0xF,
                BS_LEFTTEXT = 0x20, BS_RIGHTBUTTON = 0x20, BS_TEXT = 0x0, BS_ICON = 0x40, BS_BITMAP = 0x80,
                BS_RIGHT = 0x200, BS_CENTER = 0x300, BS_TOP = 0x400, BS_BOTTOM = 0x800, BS_PUSHLIKE = 0x1000,
                BS_MULTILINE = 0x2000, BS_NOTIFY = 0x4000;
constexpr UINT BM_GETCHECK = 0xF0, BM_SETCHECK = 0xF1, BM_GETSTATE = 0xF2, BM_SETSTATE = 0xF3,
               BM_SETSTYLE = 0xF4, BM_CLICK = 0xF5, BM_GETIMAGE = 0xF6, BM_SETIMAGE = 0xF7;
constexpr WPARAM BST_UNCHECKED = 0x0, BST_CHECKED = 0x1, BST_INDETERMINATE = 0x2, BST_PUSHED = 0x4,
                 BST_FOCUS = 0x8;
constexpr WORD BN_CLICKED = 0, BN_PAINT = 1, BN_DOUBLECLICKED = 5, BN_SETFOCUS = 6, BN_KILLFOCUS = 7;

// ---- STATIC ----
constexpr DWORD SS_LEFT = 0x0, SS_CENTER = 0x1, SS_RIGHT = 0x2, SS_ICON = 0x3, SS_BLACKRECT = 0x4,
                SS_GRAYRECT = 0x5, SS_WHITERECT = 0x6, SS_BLACKFRAME = 0x7, SS_GRAYFRAME = 0x8,
                SS_WHITEFRAME = 0x9, SS_SIMPLE = 0xB, SS_LEFTNOWORDWRAP = 0xC, SS_OWNERDRAW = 0xD,
                SS_BITMAP = 0xE, SS_ETCHEDHORZ = 0x10, SS_ETCHEDVERT = 0x11, SS_ETCHEDFRAME = 0x12,
                SS_TYPEMASK = 0x1F, SS_NOPREFIX = 0x80, SS_NOTIFY = 0x100, SS_CENTERIMAGE = 0x200,
                SS_SUNKEN = 0x1000, SS_ENDELLIPSIS = 0x4000, SS_PATHELLIPSIS = 0x8000,
                SS_WORDELLIPSIS = 0xC000;
constexpr UINT STM_SETICON = 0x170, STM_GETICON = 0x171, STM_SETIMAGE = 0x172, STM_GETIMAGE = 0x173;
constexpr WPARAM IMAGE_BITMAP = 0, IMAGE_ICON = 1;
constexpr WORD STN_CLICKED = 0, STN_DBLCLK = 1;

// ---- SCROLLBAR ----
constexpr DWORD SBS_HORZ = 0x0, SBS_VERT = 0x1, SBS_TOPALIGN = 0x2, SBS_LEFTALIGN = 0x2, SBS_RIGHTALIGN = 0x4,
                SBS_SIZEBOX = 0x8, SBS_SIZEGRIP = 0x10;
// SBM_* and SCROLLINFO live with the scroll-bar functions (ScrollBar.h).

}  // namespace qv
