// Registration of the bar classes and the helpers they share.
#include "platform/comctl/BarState.h"
#include "platform/comctl/ComboBoxEx.h"
#include "platform/controls/ControlClass.h"
#include "platform/window/Input.h"

namespace qv {

void RegisterBarControls() {
  using bars::RegisterBarClass;
  RegisterBarClass(PROGRESS_CLASSW, ProgressBarProc, CS_HREDRAW | CS_VREDRAW, COLOR_BTNFACE);
  RegisterBarClass(STATUSCLASSNAMEW, StatusBarProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, COLOR_BTNFACE);
  RegisterBarClass(TOOLBARCLASSNAMEW, ToolBarProc, CS_DBLCLKS, COLOR_BTNFACE);
  RegisterBarClass(REBARCLASSNAMEW, RebarProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, COLOR_BTNFACE);
  RegisterBarClass(WC_TABCONTROLW, TabControlProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, COLOR_BTNFACE);
  RegisterBarClass(UPDOWN_CLASSW, UpDownProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, COLOR_BTNFACE);
  RegisterComboBoxExClass();
}

namespace bars {

void RegisterBarClass(const char16_t* name, WNDPROC proc, UINT style, int background) {
  ctl::RegisterControlClass(
      {.name = name, .proc = proc, .style = style, .background = ctl::SysBrush(background)});
}

SIZE TextSize(HDC dc, const std::u16string& text) {
  SIZE s{0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &s);
  if (text.empty()) {
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    s.cy = tm.tmHeight;
  }
  return s;
}

void FillSolid(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void DrawDownArrow(HDC dc, const RECT& r, COLORREF c) {
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2 - 1;
  HBRUSH b = CreateSolidBrush(c);
  for (int i = 0; i < 3; ++i) {
    RECT row{cx - 2 + i, cy + i, cx + 3 - i, cy + i + 1};
    FillRect(dc, &row, b);
  }
  DeleteObject(b);
}

}  // namespace bars
}  // namespace qv
