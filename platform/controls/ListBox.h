// The LISTBOX window class: single, multiple and extended selection, sorted
// insertion, owner-drawn items of fixed or variable height, keyboard search
// and scrolling. Its LB_* messages and LBN_* notifications, and the
// ComboLBox variant a combo box drops down.
#pragma once
#include "platform/controls/OwnerDraw.h"
#include "platform/window/Window.h"

namespace qv {

// Styles
constexpr DWORD LBS_NOTIFY = 0x1, LBS_SORT = 0x2, LBS_NOREDRAW = 0x4, LBS_MULTIPLESEL = 0x8,
                LBS_OWNERDRAWFIXED = 0x10, LBS_OWNERDRAWVARIABLE = 0x20, LBS_HASSTRINGS = 0x40,
                LBS_USETABSTOPS = 0x80, LBS_NOINTEGRALHEIGHT = 0x100, LBS_MULTICOLUMN = 0x200,
                LBS_WANTKEYBOARDINPUT = 0x400, LBS_EXTENDEDSEL = 0x800, LBS_DISABLENOSCROLL = 0x1000,
                LBS_NOSEL = 0x4000, LBS_COMBOBOX = 0x8000;

// Messages
constexpr UINT LB_ADDSTRING = 0x0180, LB_INSERTSTRING = 0x0181, LB_DELETESTRING = 0x0182,
               LB_SELITEMRANGEEX = 0x0183, LB_RESETCONTENT = 0x0184, LB_SETSEL = 0x0185,
               LB_SETCURSEL = 0x0186, LB_GETSEL = 0x0187, LB_GETCURSEL = 0x0188, LB_GETTEXT = 0x0189,
               LB_GETTEXTLEN = 0x018A, LB_GETCOUNT = 0x018B, LB_SELECTSTRING = 0x018C, LB_DIR = 0x018D,
               LB_GETTOPINDEX = 0x018E, LB_FINDSTRING = 0x018F, LB_GETSELCOUNT = 0x0190,
               LB_GETSELITEMS = 0x0191, LB_SETTABSTOPS = 0x0192, LB_GETHORIZONTALEXTENT = 0x0193,
               LB_SETHORIZONTALEXTENT = 0x0194, LB_SETCOLUMNWIDTH = 0x0195, LB_ADDFILE = 0x0196,
               LB_SETTOPINDEX = 0x0197, LB_GETITEMRECT = 0x0198, LB_GETITEMDATA = 0x0199,
               LB_SETITEMDATA = 0x019A, LB_SELITEMRANGE = 0x019B, LB_SETANCHORINDEX = 0x019C,
               LB_GETANCHORINDEX = 0x019D, LB_SETCARETINDEX = 0x019E, LB_GETCARETINDEX = 0x019F,
               LB_SETITEMHEIGHT = 0x01A0, LB_GETITEMHEIGHT = 0x01A1, LB_FINDSTRINGEXACT = 0x01A2,
               LB_SETLOCALE = 0x01A5, LB_GETLOCALE = 0x01A6, LB_SETCOUNT = 0x01A7, LB_INITSTORAGE = 0x01A8,
               LB_ITEMFROMPOINT = 0x01A9;
constexpr LRESULT LB_ERR = -1, LB_ERRSPACE = -2;

// Notifications (WM_COMMAND, code in the high word of wParam)
constexpr WORD LBN_ERRSPACE = WORD(-2), LBN_SELCHANGE = 1, LBN_DBLCLK = 2, LBN_SELCANCEL = 3,
               LBN_SETFOCUS = 4, LBN_KILLFOCUS = 5;

// Registers LISTBOX and ComboLBox (once; later calls do nothing).
void RegisterListBoxClasses();

}  // namespace qv
