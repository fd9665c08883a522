// Fixed metrics of the classic look, plus the screen and work area the
// display backend sets (guarded: worker threads read metrics too).
#include "platform/gdi/SystemMetrics.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>

namespace qv {
namespace {

struct ScreenState {
  std::mutex Lock;
  int Width = 1024;
  int Height = 768;
  RECT WorkArea{0, 0, 1024, 768};
};

ScreenState& Screen() {
  static ScreenState state;
  return state;
}

RECT CurrentWorkArea() {
  ScreenState& s = Screen();
  std::lock_guard<std::mutex> guard(s.Lock);
  return s.WorkArea;
}

SIZE CurrentScreen() {
  ScreenState& s = Screen();
  std::lock_guard<std::mutex> guard(s.Lock);
  return SIZE{s.Width, s.Height};
}

std::atomic<int (*)()> dpiSource{nullptr};

// Sizes of window parts a user reads or aims at (scroll bars, menu and
// caption bars, buttons, check marks, icons) are drawn larger on a denser
// screen, as the text is; the thin lines of borders and edges are not.
bool ScalesWithDensity(int index) {
  switch (index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
    case SM_CYCAPTION:
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXSMICON:
    case SM_CYSMICON:
    case SM_CYSMCAPTION:
    case SM_CYMENU:
    case SM_CXSIZE:
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE:
    case SM_CYSIZE:
    case SM_CXSMSIZE:
    case SM_CYSMSIZE:
    case SM_CXMIN:
    case SM_CXMINTRACK:
    case SM_CYMIN:
    case SM_CYMINTRACK:
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
      return true;
    default:
      return false;
  }
}

// Metrics that never change; -1 marks the ones that depend on the screen.
int FixedMetric(int index) {
  switch (index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return 16;
    case SM_CYCAPTION:
      return 18;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
    case SM_CYSMCAPTION:
      return 16;
    case SM_CYMENU:
      return 19;
    case SM_CXSIZE:
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE:
      return 18;
    case SM_CYSIZE:
      return 17;
    case SM_CXSMSIZE:
      return 12;
    case SM_CYSMSIZE:
      return 15;
    case SM_CXMIN:
    case SM_CXMINTRACK:
      return 112;
    case SM_CYMIN:
    case SM_CYMINTRACK:
      return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
      return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
      return 75;
    case SM_CXMINSPACING:
    case SM_CXMINIMIZED:
      return 160;
    case SM_CYMINSPACING:
    case SM_CYMINIMIZED:
      return 24;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
      return 13;
    case SM_ARRANGE:
      return 8;  // ARW_HIDE: minimized windows are not shown
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
    case SM_CMONITORS:
    case SM_SAMEDISPLAYFORMAT:
    case SM_NETWORK:
      return 1;
    case SM_CMOUSEBUTTONS:
      return 3;
    default:
      return -1;
  }
}

int ScreenMetric(int index) {
  SIZE screen = CurrentScreen();
  RECT work = CurrentWorkArea();
  const int frame = GetSystemMetrics(SM_CXFRAME);
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
      return screen.cx;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
      return screen.cy;
    case SM_CXFULLSCREEN:
      return work.Width();
    case SM_CYFULLSCREEN:
      return work.Height() - FixedMetric(SM_CYCAPTION);
    // A maximized window's frame lies just outside the work area.
    case SM_CXMAXIMIZED:
      return work.Width() + 2 * frame;
    case SM_CYMAXIMIZED:
      return work.Height() + 2 * frame;
    case SM_CXMAXTRACK:
      return screen.cx + 3 * frame;
    case SM_CYMAXTRACK:
      return screen.cy + 3 * frame;
    default:
      return 0;  // every other flag (swapped buttons, debug, pen windows ...) is off
  }
}

LOGFONTW UiFont(LONG weight) {
  LOGFONTW f;
  f.lfHeight = -ScaleToScreen(11);  // 8 pt
  f.lfWeight = weight;
  f.lfCharSet = DEFAULT_CHARSET;
  const char16_t name[] = u"Tahoma";
  std::memcpy(f.lfFaceName, name, sizeof name);
  return f;
}

BOOL FillNonClientMetrics(NONCLIENTMETRICSW* m) {
  UINT size = m->cbSize;
  if (size != sizeof(NONCLIENTMETRICSW) && size != offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth))
    return FALSE;
  NONCLIENTMETRICSW v;
  v.iBorderWidth = 1;
  v.iScrollWidth = v.iScrollHeight = GetSystemMetrics(SM_CXVSCROLL);
  v.iCaptionWidth = GetSystemMetrics(SM_CXSIZE);
  v.iCaptionHeight = GetSystemMetrics(SM_CYSIZE);
  v.lfCaptionFont = UiFont(FW_BOLD);
  v.iSmCaptionWidth = GetSystemMetrics(SM_CXSMSIZE);
  v.iSmCaptionHeight = GetSystemMetrics(SM_CYSMSIZE);
  v.lfSmCaptionFont = v.lfMenuFont = v.lfStatusFont = v.lfMessageFont = UiFont(FW_NORMAL);
  v.iMenuWidth = GetSystemMetrics(SM_CXMENUSIZE);
  v.iMenuHeight = GetSystemMetrics(SM_CYMENUSIZE);
  v.cbSize = size;
  std::memcpy(m, &v, size);
  return TRUE;
}

// The scalar answers; false when the action is not one of them.
bool ScalarParameter(UINT action, UINT& value) {
  switch (action) {
    case SPI_GETBEEP:
    case SPI_GETICONTITLEWRAP:
    case SPI_GETDRAGFULLWINDOWS:
    case SPI_GETFONTSMOOTHING:
    case SPI_GETGRADIENTCAPTIONS:
    case SPI_GETKEYBOARDCUES:
    case SPI_GETHOTTRACKING:
    case SPI_GETUIEFFECTS:
      value = TRUE;
      return true;
    case SPI_GETMENUDROPALIGNMENT:
    case SPI_GETSHOWSOUNDS:
    case SPI_GETSCREENREADER:
    case SPI_GETSNAPTODEFBUTTON:
    case SPI_GETACTIVEWINDOWTRACKING:
    case SPI_GETMENUANIMATION:
    case SPI_GETCOMBOBOXANIMATION:
    case SPI_GETLISTBOXSMOOTHSCROLLING:
    case SPI_GETMENUFADE:
    case SPI_GETSELECTIONFADE:
    case SPI_GETTOOLTIPANIMATION:
    case SPI_GETTOOLTIPFADE:
    case SPI_GETCURSORSHADOW:
    case SPI_GETFLATMENU:
    case SPI_GETDROPSHADOW:
    case SPI_GETCLIENTAREAANIMATION:
      value = FALSE;
      return true;
    case SPI_GETBORDER:
    case SPI_GETCARETWIDTH:
    case SPI_GETFOCUSBORDERWIDTH:
    case SPI_GETFOCUSBORDERHEIGHT:
    case SPI_GETKEYBOARDDELAY:
      value = 1;
      return true;
    case SPI_GETKEYBOARDSPEED:
      value = 31;
      return true;
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
      value = 4;
      return true;
    case SPI_GETMOUSEHOVERTIME:
    case SPI_GETMENUSHOWDELAY:
      value = 400;
      return true;
    case SPI_GETWHEELSCROLLLINES:
    case SPI_GETWHEELSCROLLCHARS:
      value = 3;
      return true;
    default:
      return false;
  }
}

BOOL RecordParameter(UINT action, void* param) {
  switch (action) {
    case SPI_GETNONCLIENTMETRICS:
      return FillNonClientMetrics(static_cast<NONCLIENTMETRICSW*>(param));
    case SPI_GETICONTITLELOGFONT:
      *static_cast<LOGFONTW*>(param) = UiFont(FW_NORMAL);
      return TRUE;
    case SPI_GETWORKAREA:
      *static_cast<RECT*>(param) = CurrentWorkArea();
      return TRUE;
    case SPI_SETWORKAREA: {
      const RECT& area = *static_cast<const RECT*>(param);
      if (area.right < area.left || area.bottom < area.top) return FALSE;
      SetWorkArea(area);
      return TRUE;
    }
    case SPI_GETHIGHCONTRAST: {
      auto* hc = static_cast<HIGHCONTRASTW*>(param);
      if (hc->cbSize != sizeof(HIGHCONTRASTW)) return FALSE;
      hc->dwFlags = HCF_AVAILABLE;  // available, never on
      hc->lpszDefaultScheme = nullptr;
      return TRUE;
    }
    case SPI_GETANIMATION: {
      auto* info = static_cast<ANIMATIONINFO*>(param);
      if (info->cbSize != sizeof(ANIMATIONINFO)) return FALSE;
      info->iMinAnimate = 0;
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int GetSystemMetrics(int index) {
  int fixed = FixedMetric(index);
  if (fixed >= 0 && ScalesWithDensity(index)) return ScaleToScreen(fixed);
  return fixed >= 0 ? fixed : ScreenMetric(index);
}

void SetScreenDpiSource(int (*source)()) {
  dpiSource.store(source);
}

int ScreenDpi() {
  auto* source = dpiSource.load();
  int dpi = source ? source() : 96;
  return dpi > 0 ? dpi : 96;
}

int ScaleToScreen(int pixels) {
  const int dpi = ScreenDpi();
  if (dpi == 96) return pixels;
  const long long scaled = 2LL * pixels * dpi + (pixels < 0 ? -96 : 96);
  return int(scaled / 192);  // rounded half away from zero
}

void SetScreenMetrics(int width, int height) {
  ScreenState& s = Screen();
  std::lock_guard<std::mutex> guard(s.Lock);
  s.Width = width > 0 ? width : 0;
  s.Height = height > 0 ? height : 0;
  s.WorkArea = RECT{0, 0, s.Width, s.Height};
}

void SetWorkArea(const RECT& area) {
  ScreenState& s = Screen();
  std::lock_guard<std::mutex> guard(s.Lock);
  s.WorkArea = area;
}

UINT GetDoubleClickTime() {
  return 500;
}
UINT GetCaretBlinkTime() {
  return 530;
}
LONG GetDialogBaseUnits() {
  return LONG(MAKELPARAM(6, 13));
}

BOOL SystemParametersInfoW(UINT action, UINT, void* param, UINT) {
  if (!param) return FALSE;
  UINT value = 0;
  if (ScalarParameter(action, value)) {
    std::memcpy(param, &value, sizeof value);  // BOOL, UINT, DWORD and int are all four bytes
    return TRUE;
  }
  return RecordParameter(action, param);
}

}  // namespace qv
