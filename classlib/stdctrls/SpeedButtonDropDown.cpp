// TSpeedButton's drop-down menu: the press that opens it, the button held
// down while it is open, and the arrow part that marks such a button.
#include "classlib/menus/Menus.h"
#include "classlib/stdctrls/SpeedButton.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Input.h"

namespace qv {

namespace {

// The button whose menu is open; menus never stack from these buttons.
TSpeedButton* openMenuButton = nullptr;

COLORREF Rgb(TColor c) {
  return COLORREF(ColorToRGB(c));
}

}  // namespace

void TSpeedButton::SetDropdownMenu(TPopupMenu* Value) {
  if (dropdownMenu_ == Value) return;
  if (dropdownMenu_) dropdownMenu_->RemoveFreeNotification(this);
  dropdownMenu_ = Value;
  if (Value) Value->FreeNotification(this);
  Invalidate();
}

void TSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dropdownMenu_) {
    dropdownMenu_ = nullptr;
    Invalidate();
  }
}

void TSpeedButton::DropDown() {
  if (!dropdownMenu_ || openMenuButton) return;
  auto alive = AliveToken();
  openMenuButton = this;
  menuOpen_ = true;
  dragging_ = false;
  // The menu loop takes the mouse; the button keeps only its pressed look.
  if (MouseCapture()) SetMouseCapture(false);
  state_ = bsDown;
  Repaint();
  POINT below = ClientToScreen(POINT{0, Height() + 1});
  TPopupMenu* menu = dropdownMenu_;
  menu->SetPopupComponent(this);
  menu->Popup(below.x, below.y);
  if (openMenuButton == this) openMenuButton = nullptr;
  if (alive.expired()) return;
  menuOpen_ = false;
  state_ = down_ ? bsExclusive : bsUp;
  Invalidate();
  POINT cursor{};
  GetCursorPos(&cursor);
  RECT r = ClientRect();
  if (mouseInControl_ && !PtInRect(&r, ScreenToClient(cursor))) Perform(CM_MOUSELEAVE, 0, 0);
}

void TSpeedButton::DrawDropDownArrow(HDC DC, const RECT& Client, TButtonState State) {
  RECT part{Client.right - DropDownArrowWidth, Client.top, Client.right, Client.bottom};
  bool pressed = State == bsDown || State == bsExclusive;
  if (!flat_ || pressed || mouseInControl_) {
    // An etched line parts the arrow from the face.
    HPEN dark = CreatePen(PS_SOLID, 1, Rgb(clBtnShadow));
    HPEN light = CreatePen(PS_SOLID, 1, Rgb(clBtnHighlight));
    HGDIOBJ old = SelectObject(DC, dark);
    MoveToEx(DC, part.left, part.top + 2, nullptr);
    LineTo(DC, part.left, part.bottom - 2);
    SelectObject(DC, light);
    MoveToEx(DC, part.left + 1, part.top + 2, nullptr);
    LineTo(DC, part.left + 1, part.bottom - 2);
    SelectObject(DC, old);
    DeleteObject(dark);
    DeleteObject(light);
  }
  // A downward triangle seven pixels wide, centred in the part.
  COLORREF ink = Rgb(State == bsDisabled ? clBtnShadow : clBtnText);
  int cx = (part.left + 2 + part.right) / 2, top = (part.top + part.bottom) / 2 - 2;
  if (pressed) ++cx, ++top;
  for (int row = 0; row < 4; ++row)
    for (int x = cx - 3 + row; x <= cx + 3 - row; ++x) SetPixelV(DC, x, top + row, ink);
}

}  // namespace qv
