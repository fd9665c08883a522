// System metrics and parameters of the classic look: sizes of window parts,
// timing of the mouse and caret, and SystemParametersInfo. The screen size,
// density and work area come from the display backend; everything else is
// fixed, and every animation is off so painting is deterministic.
#pragma once
#include "platform/WinTypes.h"
#include "platform/gdi/GdiTypes.h"  // LOGFONTW

namespace qv {

// GetSystemMetrics indices.
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
              SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CYVTHUMB = 9,
              SM_CXHTHUMB = 10, SM_CXICON = 11, SM_CYICON = 12, SM_CXCURSOR = 13, SM_CYCURSOR = 14,
              SM_CYMENU = 15, SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17, SM_CYKANJIWINDOW = 18,
              SM_MOUSEPRESENT = 19, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21, SM_DEBUG = 22, SM_SWAPBUTTON = 23,
              SM_CXMIN = 28, SM_CYMIN = 29, SM_CXSIZE = 30, SM_CYSIZE = 31, SM_CXFRAME = 32, SM_CYFRAME = 33,
              SM_CXMINTRACK = 34, SM_CYMINTRACK = 35, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37,
              SM_CXICONSPACING = 38, SM_CYICONSPACING = 39, SM_MENUDROPALIGNMENT = 40, SM_PENWINDOWS = 41,
              SM_CMOUSEBUTTONS = 43, SM_SECURE = 44, SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXMINSPACING = 47,
              SM_CYMINSPACING = 48, SM_CXSMICON = 49, SM_CYSMICON = 50, SM_CYSMCAPTION = 51, SM_CXSMSIZE = 52,
              SM_CYSMSIZE = 53, SM_CXMENUSIZE = 54, SM_CYMENUSIZE = 55, SM_ARRANGE = 56, SM_CXMINIMIZED = 57,
              SM_CYMINIMIZED = 58, SM_CXMAXTRACK = 59, SM_CYMAXTRACK = 60, SM_CXMAXIMIZED = 61,
              SM_CYMAXIMIZED = 62, SM_NETWORK = 63, SM_CXDRAG = 68, SM_CYDRAG = 69, SM_SHOWSOUNDS = 70,
              SM_CXMENUCHECK = 71, SM_CYMENUCHECK = 72, SM_SLOWMACHINE = 73, SM_MIDEASTENABLED = 74,
              SM_MOUSEWHEELPRESENT = 75, SM_XVIRTUALSCREEN = 76, SM_YVIRTUALSCREEN = 77,
              SM_CXVIRTUALSCREEN = 78, SM_CYVIRTUALSCREEN = 79, SM_CMONITORS = 80, SM_SAMEDISPLAYFORMAT = 81,
              SM_IMMENABLED = 82, SM_CXFOCUSBORDER = 83, SM_CYFOCUSBORDER = 84, SM_TABLETPC = 86,
              SM_MEDIACENTER = 87, SM_SERVERR2 = 89, SM_MOUSEHORIZONTALWHEELPRESENT = 91,
              SM_CXPADDEDBORDER = 92;
constexpr int SM_CXFIXEDFRAME = SM_CXDLGFRAME, SM_CYFIXEDFRAME = SM_CYDLGFRAME, SM_CXSIZEFRAME = SM_CXFRAME;

// SystemParametersInfo actions (the ones answered).
constexpr UINT SPI_GETBEEP = 0x0001, SPI_GETBORDER = 0x0005, SPI_GETKEYBOARDSPEED = 0x000A,
               SPI_GETKEYBOARDDELAY = 0x0016, SPI_GETICONTITLEWRAP = 0x0019,
               SPI_GETMENUDROPALIGNMENT = 0x001B, SPI_GETICONTITLELOGFONT = 0x001F,
               SPI_GETDRAGFULLWINDOWS = 0x0026, SPI_GETNONCLIENTMETRICS = 0x0029, SPI_SETWORKAREA = 0x002F,
               SPI_GETWORKAREA = 0x0030, SPI_GETSHOWSOUNDS = 0x0038, SPI_GETHIGHCONTRAST = 0x0042,
               SPI_GETSCREENREADER = 0x0046, SPI_GETANIMATION = 0x0048, SPI_GETFONTSMOOTHING = 0x004A,
               SPI_GETSNAPTODEFBUTTON = 0x005F, SPI_GETMOUSEHOVERWIDTH = 0x0062,
               SPI_GETMOUSEHOVERHEIGHT = 0x0064, SPI_GETMOUSEHOVERTIME = 0x0066,
               SPI_GETWHEELSCROLLLINES = 0x0068, SPI_GETMENUSHOWDELAY = 0x006A,
               SPI_GETWHEELSCROLLCHARS = 0x006C, SPI_GETACTIVEWINDOWTRACKING = 0x1000,
               SPI_GETMENUANIMATION = 0x1002, SPI_GETCOMBOBOXANIMATION = 0x1004,
               SPI_GETLISTBOXSMOOTHSCROLLING = 0x1006, SPI_GETGRADIENTCAPTIONS = 0x1008,
               SPI_GETKEYBOARDCUES = 0x100A, SPI_GETMENUUNDERLINES = SPI_GETKEYBOARDCUES,
               SPI_GETHOTTRACKING = 0x100E, SPI_GETMENUFADE = 0x1012, SPI_GETSELECTIONFADE = 0x1014,
               SPI_GETTOOLTIPANIMATION = 0x1016, SPI_GETTOOLTIPFADE = 0x1018, SPI_GETCURSORSHADOW = 0x101A,
               SPI_GETFLATMENU = 0x1022, SPI_GETDROPSHADOW = 0x1024, SPI_GETUIEFFECTS = 0x103E,
               SPI_GETCLIENTAREAANIMATION = 0x1042, SPI_GETCARETWIDTH = 0x2006,
               SPI_GETFOCUSBORDERWIDTH = 0x200E, SPI_GETFOCUSBORDERHEIGHT = 0x2010;

struct NONCLIENTMETRICSW {
  UINT cbSize = sizeof(NONCLIENTMETRICSW);
  int iBorderWidth = 0;
  int iScrollWidth = 0;
  int iScrollHeight = 0;
  int iCaptionWidth = 0;
  int iCaptionHeight = 0;
  LOGFONTW lfCaptionFont;
  int iSmCaptionWidth = 0;
  int iSmCaptionHeight = 0;
  LOGFONTW lfSmCaptionFont;
  int iMenuWidth = 0;
  int iMenuHeight = 0;
  LOGFONTW lfMenuFont;
  LOGFONTW lfStatusFont;
  LOGFONTW lfMessageFont;
  int iPaddedBorderWidth = 0;  // absent from the older, shorter form of the record
};

constexpr DWORD HCF_HIGHCONTRASTON = 0x1, HCF_AVAILABLE = 0x2;
struct HIGHCONTRASTW {
  UINT cbSize = sizeof(HIGHCONTRASTW);
  DWORD dwFlags = 0;
  char16_t* lpszDefaultScheme = nullptr;
};
struct ANIMATIONINFO {
  UINT cbSize = sizeof(ANIMATIONINFO);
  int iMinAnimate = 0;
};

// The metric of an SM_* index; 0 for an unknown one.
int GetSystemMetrics(int index);
// The backend reports the screen; the work area becomes the whole screen.
void SetScreenMetrics(int width, int height);
// The backend (or SPI_SETWORKAREA) narrows the work area, e.g. for panels.
void SetWorkArea(const RECT& area);
// The screen's pixels per inch come from where the window manager says (its
// display backend; 96 without one). The sizes of window parts and the
// system's fonts grow with them from their 96-dpi values.
void SetScreenDpiSource(int (*source)());
int ScreenDpi();
// A length of `pixels` at 96 dpi on this screen, rounded to the nearest.
int ScaleToScreen(int pixels);

UINT GetDoubleClickTime();  // 500 ms
UINT GetCaretBlinkTime();   // 530 ms
// The dialog base units of "MS Sans Serif" 8 pt: MAKELONG(6, 13).
LONG GetDialogBaseUnits();

// Answers the SPI_GET* actions above into the record or value `param` points
// to; SPI_SETWORKAREA takes a RECT. FALSE for unknown actions, a null pointer,
// or a record whose cbSize is wrong.
BOOL SystemParametersInfoW(UINT action, UINT uiParam, void* param, UINT winIni);
inline BOOL SystemParametersInfo(UINT action, UINT uiParam, void* param, UINT winIni) {
  return SystemParametersInfoW(action, uiParam, param, winIni);
}

}  // namespace qv
