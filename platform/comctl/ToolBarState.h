// The state of one tool bar window: its buttons, their laid-out
// rectangles, the image lists and the mouse tracking. Internal to the library.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <vector>

#include "platform/comctl/BarState.h"
#include "platform/gdi/ImageListApi.h"

namespace qv::toolbar {

struct Button {
  int image = -1;
  int id = 0;
  BYTE state = TBSTATE_ENABLED;
  BYTE style = BTNS_BUTTON;
  uintptr_t data = 0;
  std::u16string text;
  RECT rect;  // laid out; empty when hidden
  bool Separator() const { return (style & BTNS_SEP) != 0; }
  bool Visible() const { return !(state & TBSTATE_HIDDEN); }
  bool Enabled() const { return (state & TBSTATE_ENABLED) != 0; }
};

struct ToolBar {
  static constexpr const char16_t* kProp = u"QvToolBar";
  HWND hwnd = nullptr;
  std::vector<Button> buttons;
  HIMAGELIST images = nullptr, hotImages = nullptr, disabledImages = nullptr;
  SIZE buttonSize{23, 22};
  SIZE bitmapSize{16, 16};
  int indent = 0;
  DWORD exStyle = 0;
  int rows = 1;
  int hot = -1;      // the index under the mouse (flat bars light it up)
  int pressed = -1;  // the index held down by the mouse
  bool pressedInside = false;
  int dropped = -1;  // the index whose menu is showing
  bool tracking = false;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
  bool Flat() const { return (Style() & (TBSTYLE_FLAT | TBSTYLE_LIST)) != 0; }
  bool SplitArrows() const { return (exStyle & TBSTYLE_EX_DRAWDDARROWS) != 0; }
  int ArrowWidth(const Button& b) const;
  int IndexOf(int id) const;
  Button* ById(int id);

  // Places every button (wrapping where allowed) and repaints.
  void Layout();
  SIZE MaxSize() const;
  int HitTest(POINT p) const;
  bool InArrow(const Button& b, POINT p) const;

  void Paint(HDC dc);
  void PaintButton(HDC dc, int index);

  LRESULT Message(UINT msg, WPARAM w, LPARAM l);
  LRESULT ButtonMessage(UINT msg, WPARAM w, LPARAM l);
  void MouseMove(POINT p);
  void MouseDown(POINT p);
  void MouseUp(POINT p);
  void SetHot(int index, DWORD how);
  void Click(int index);
  void DropDown(int index);
};

}  // namespace qv::toolbar
