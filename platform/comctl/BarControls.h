// The bar-like common controls: progress bar, status bar, tool bar, rebar
// (cool bar), tab control and up-down; their class names, styles, messages,
// records and notifications.
//
// RegisterBarControls() registers these classes; it is idempotent and cheap,
// so whoever is about to create one of these windows calls it first.
#pragma once
#include <string>

#include "platform/comctl/CommonNotify.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/window/Messages.h"

namespace qv {

void RegisterBarControls();

inline constexpr const char16_t* PROGRESS_CLASSW = u"msctls_progress32";
inline constexpr const char16_t* STATUSCLASSNAMEW = u"msctls_statusbar32";
inline constexpr const char16_t* TOOLBARCLASSNAMEW = u"ToolbarWindow32";
inline constexpr const char16_t* REBARCLASSNAMEW = u"ReBarWindow32";
inline constexpr const char16_t* WC_TABCONTROLW = u"SysTabControl32";
inline constexpr const char16_t* UPDOWN_CLASSW = u"msctls_updown32";

// Styles shared by the bars.
constexpr DWORD CCS_NOMOVEY = 0x2, CCS_BOTTOM = 0x3, CCS_NORESIZE = 0x4, CCS_NOPARENTALIGN = 0x8,
                CCS_ADJUSTABLE = 0x20, CCS_NODIVIDER = 0x40, CCS_VERT = 0x80;

// ---- progress bar ----
constexpr DWORD PBS_SMOOTH = 0x1, PBS_VERTICAL = 0x4;
constexpr UINT PBM_SETRANGE = WM_USER + 1, PBM_SETPOS = WM_USER + 2, PBM_DELTAPOS = WM_USER + 3,
               PBM_SETSTEP = WM_USER + 4, PBM_STEPIT = WM_USER + 5, PBM_SETRANGE32 = WM_USER + 6,
               PBM_GETRANGE = WM_USER + 7, PBM_GETPOS = WM_USER + 8, PBM_SETBARCOLOR = WM_USER + 9,
               PBM_SETBKCOLOR = 0x2000 + 1;
struct PBRANGE {
  int iLow = 0, iHigh = 0;
};

// ---- status bar ----
constexpr DWORD SBARS_SIZEGRIP = 0x100;
constexpr UINT SB_SETTEXTW = WM_USER + 11, SB_GETTEXTW = WM_USER + 13, SB_GETTEXTLENGTHW = WM_USER + 12,
               SB_SETPARTS = WM_USER + 4, SB_GETPARTS = WM_USER + 6, SB_GETBORDERS = WM_USER + 7,
               SB_SETMINHEIGHT = WM_USER + 8, SB_SIMPLE = WM_USER + 9, SB_GETRECT = WM_USER + 10,
               SB_ISSIMPLE = WM_USER + 14, SB_SETBKCOLOR = 0x2000 + 1;
// SB_SETTEXT: the part in the low byte of wParam (255 = the simple text), the kind in the high byte.
constexpr WPARAM SB_SIMPLEID = 0xFF, SBT_OWNERDRAW = 0x1000, SBT_NOBORDERS = 0x100, SBT_POPOUT = 0x200;
constexpr int kMaxStatusParts = 256;

// ---- tool bar ----
constexpr DWORD TBSTYLE_WRAPABLE = 0x200, TBSTYLE_ALTDRAG = 0x400, TBSTYLE_FLAT = 0x800,
                TBSTYLE_LIST = 0x1000, TBSTYLE_CUSTOMERASE = 0x2000;
constexpr DWORD TBSTYLE_EX_DRAWDDARROWS = 0x1;
// Button styles (fsStyle).
constexpr BYTE BTNS_BUTTON = 0x0, BTNS_SEP = 0x1, BTNS_CHECK = 0x2, BTNS_GROUP = 0x4, BTNS_CHECKGROUP = 0x6,
               BTNS_DROPDOWN = 0x8, BTNS_AUTOSIZE = 0x10, BTNS_NOPREFIX = 0x20, BTNS_SHOWTEXT = 0x40,
               BTNS_WHOLEDROPDOWN = 0x80;
// Button states (fsState).
constexpr BYTE TBSTATE_CHECKED = 0x1, TBSTATE_PRESSED = 0x2, TBSTATE_ENABLED = 0x4, TBSTATE_HIDDEN = 0x8,
               TBSTATE_INDETERMINATE = 0x10, TBSTATE_WRAP = 0x20, TBSTATE_MARKED = 0x80;
constexpr UINT TB_ENABLEBUTTON = WM_USER + 1, TB_CHECKBUTTON = WM_USER + 2, TB_PRESSBUTTON = WM_USER + 3,
               TB_HIDEBUTTON = WM_USER + 4, TB_INDETERMINATE = WM_USER + 5, TB_MARKBUTTON = WM_USER + 6,
               TB_ISBUTTONENABLED = WM_USER + 9, TB_ISBUTTONCHECKED = WM_USER + 10,
               TB_ISBUTTONPRESSED = WM_USER + 11, TB_ISBUTTONHIDDEN = WM_USER + 12,
               TB_SETSTATE = WM_USER + 17, TB_GETSTATE = WM_USER + 18, TB_DELETEBUTTON = WM_USER + 22,
               TB_GETBUTTON = WM_USER + 23, TB_BUTTONCOUNT = WM_USER + 24, TB_COMMANDTOINDEX = WM_USER + 25,
               TB_GETITEMRECT = WM_USER + 29, TB_BUTTONSTRUCTSIZE = WM_USER + 30,
               TB_SETBUTTONSIZE = WM_USER + 31, TB_SETBITMAPSIZE = WM_USER + 32, TB_AUTOSIZE = WM_USER + 33,
               TB_GETROWS = WM_USER + 40, TB_SETINDENT = WM_USER + 47, TB_SETIMAGELIST = WM_USER + 48,
               TB_GETIMAGELIST = WM_USER + 49, TB_GETRECT = WM_USER + 51, TB_SETHOTIMAGELIST = WM_USER + 52,
               TB_GETHOTIMAGELIST = WM_USER + 53, TB_SETDISABLEDIMAGELIST = WM_USER + 54,
               TB_GETDISABLEDIMAGELIST = WM_USER + 55, TB_GETBUTTONSIZE = WM_USER + 58,
               TB_INSERTBUTTONW = WM_USER + 67, TB_ADDBUTTONSW = WM_USER + 68, TB_HITTEST = WM_USER + 69,
               TB_GETHOTITEM = WM_USER + 71, TB_SETHOTITEM = WM_USER + 72, TB_GETBUTTONTEXTW = WM_USER + 75,
               TB_GETMAXSIZE = WM_USER + 83, TB_SETEXTENDEDSTYLE = WM_USER + 84,
               TB_GETEXTENDEDSTYLE = WM_USER + 85;
struct TBBUTTON {
  int iBitmap = -1;
  int idCommand = 0;
  BYTE fsState = TBSTATE_ENABLED;
  BYTE fsStyle = BTNS_BUTTON;
  uintptr_t dwData = 0;
  const char16_t* iString = nullptr;  // the caption, or null
};
constexpr UINT TBN_FIRST = UINT(-700);
constexpr UINT TBN_DROPDOWN = TBN_FIRST - 10, TBN_HOTITEMCHANGE = TBN_FIRST - 13;
constexpr LRESULT TBDDRET_DEFAULT = 0, TBDDRET_NODEFAULT = 1, TBDDRET_TREATPRESSED = 2;
struct NMTOOLBARW {
  NMHDR hdr;
  int iItem = 0;  // the command id
  TBBUTTON tbButton;
  RECT rcButton;
};
constexpr DWORD HICF_MOUSE = 0x1, HICF_ARROWKEYS = 0x2, HICF_LEAVING = 0x20, HICF_ENTERING = 0x10;
struct NMTBHOTITEM {
  NMHDR hdr;
  int idOld = 0, idNew = 0;
  DWORD dwFlags = 0;
};

// ---- rebar ----
constexpr DWORD RBS_VARHEIGHT = 0x200, RBS_BANDBORDERS = 0x400, RBS_FIXEDORDER = 0x800;
constexpr UINT RBBS_BREAK = 0x1, RBBS_FIXEDSIZE = 0x2, RBBS_CHILDEDGE = 0x4, RBBS_HIDDEN = 0x8,
               RBBS_NOGRIPPER = 0x100, RBBS_GRIPPERALWAYS = 0x80;
constexpr UINT RBBIM_STYLE = 0x1, RBBIM_COLORS = 0x2, RBBIM_TEXT = 0x4, RBBIM_IMAGE = 0x8, RBBIM_CHILD = 0x10,
               RBBIM_CHILDSIZE = 0x20, RBBIM_SIZE = 0x40, RBBIM_ID = 0x100;
constexpr UINT RB_INSERTBANDW = WM_USER + 10, RB_DELETEBAND = WM_USER + 2, RB_SETBANDINFOW = WM_USER + 11,
               RB_GETBANDCOUNT = WM_USER + 12, RB_GETROWCOUNT = WM_USER + 13, RB_GETBANDINFOW = WM_USER + 28,
               RB_GETBARHEIGHT = WM_USER + 27, RB_GETRECT = WM_USER + 9;
struct REBARBANDINFOW {
  UINT fMask = 0;
  UINT fStyle = 0;
  const char16_t* lpText = nullptr;
  HWND hwndChild = nullptr;
  UINT cxMinChild = 0, cyMinChild = 0;
  UINT cx = 0;  // the band's width (0 = as wide as its child wants)
  UINT wID = 0;
};
constexpr UINT RBN_FIRST = UINT(-831);
constexpr UINT RBN_HEIGHTCHANGE = RBN_FIRST - 0;

// ---- tab control ----
constexpr DWORD TCS_BUTTONS = 0x100, TCS_MULTILINE = 0x200, TCS_FIXEDWIDTH = 0x400,
                TCS_OWNERDRAWFIXED = 0x2000, TCS_FOCUSNEVER = 0x8000, TCS_HOTTRACK = 0x40;
constexpr UINT TCIF_TEXT = 0x1, TCIF_IMAGE = 0x2, TCIF_PARAM = 0x8;
constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETIMAGELIST = TCM_FIRST + 2, TCM_SETIMAGELIST = TCM_FIRST + 3,
               TCM_GETITEMCOUNT = TCM_FIRST + 4, TCM_GETITEMW = TCM_FIRST + 60, TCM_SETITEMW = TCM_FIRST + 61,
               TCM_INSERTITEMW = TCM_FIRST + 62, TCM_DELETEITEM = TCM_FIRST + 8,
               TCM_DELETEALLITEMS = TCM_FIRST + 9, TCM_GETITEMRECT = TCM_FIRST + 10,
               TCM_GETCURSEL = TCM_FIRST + 11, TCM_SETCURSEL = TCM_FIRST + 12, TCM_HITTEST = TCM_FIRST + 13,
               TCM_ADJUSTRECT = TCM_FIRST + 40, TCM_GETROWCOUNT = TCM_FIRST + 44,
               TCM_GETCURFOCUS = TCM_FIRST + 47, TCM_SETCURFOCUS = TCM_FIRST + 48;
struct TCITEMW {
  UINT mask = 0;
  const char16_t* pszText = nullptr;  // in: the text; out: filled into the buffer below
  char16_t* buffer = nullptr;         // TCM_GETITEM copies the text here
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};
struct TCHITTESTINFO {
  POINT pt;
  UINT flags = 0;
};
constexpr UINT TCHT_NOWHERE = 0x1, TCHT_ONITEM = 0x6;
constexpr UINT TCN_FIRST = UINT(-550);
constexpr UINT TCN_SELCHANGE = TCN_FIRST - 1, TCN_SELCHANGING = TCN_FIRST - 2;

// ---- up-down ----
constexpr DWORD UDS_WRAP = 0x1, UDS_SETBUDDYINT = 0x2, UDS_ALIGNRIGHT = 0x4, UDS_ALIGNLEFT = 0x8,
                UDS_ARROWKEYS = 0x20, UDS_HORZ = 0x40, UDS_NOTHOUSANDS = 0x80;
constexpr UINT UDM_SETRANGE = WM_USER + 101, UDM_GETRANGE = WM_USER + 102, UDM_SETPOS = WM_USER + 103,
               UDM_GETPOS = WM_USER + 104, UDM_SETBUDDY = WM_USER + 105, UDM_GETBUDDY = WM_USER + 106,
               UDM_SETBASE = WM_USER + 109, UDM_SETRANGE32 = WM_USER + 111, UDM_GETRANGE32 = WM_USER + 112,
               UDM_SETPOS32 = WM_USER + 113, UDM_GETPOS32 = WM_USER + 114;
constexpr UINT UDN_FIRST = UINT(-721);
constexpr UINT UDN_DELTAPOS = UDN_FIRST - 1;
struct NMUPDOWN {
  NMHDR hdr;
  int iPos = 0;
  int iDelta = 0;
};

}  // namespace qv
