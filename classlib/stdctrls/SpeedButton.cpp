// TSpeedButton: pressing, releasing and clicking, the down state within a
// group, hover for flat buttons and the accelerator.
#include "classlib/stdctrls/SpeedButton.h"

#include "classlib/graphics/Bitmap.h"
#include "classlib/stdctrls/ButtonActionLinks.h"
#include "classlib/stdctrls/Label.h"

namespace qv {

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
  // The button clicks itself on release, so the generic click is off.
  ControlStyle() = TControlStyle{csCaptureMouse, csDoubleClicks, csSetCaption};
  SetBounds(0, 0, 23, 22);
  SetParentColor(true);
  SetParentFont(true);
  glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() {
  glyph_->OnChange = nullptr;
}

void TSpeedButton::SetGlyph(TBitmap* Value) {
  glyph_->Assign(Value);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs Value) {
  numGlyphs_ = std::clamp(Value, 1, 4);
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
  layout_ = Value;
  Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
  margin_ = std::max(-1, Value);
  Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
  spacing_ = Value;
  Invalidate();
}

void TSpeedButton::SetFlat(bool Value) {
  flat_ = Value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) {
  transparent_ = Value;
  if (Value)
    ControlStyle().Exclude(csOpaque);
  else
    ControlStyle().Include(csOpaque);
  Invalidate();
}

void TSpeedButton::SetState(TButtonState Value) {
  if (state_ == Value) return;
  state_ = Value;
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (allowAllUp_ == Value) return;
  allowAllUp_ = Value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  if (groupIndex_ == 0) Value = false;
  if (Value == down_) return;
  // The last button of a group without AllowAllUp cannot be raised.
  if (down_ && !allowAllUp_) return;
  down_ = Value;
  if (Value) {
    if (state_ == bsUp) Invalidate();
    state_ = bsExclusive;
  } else {
    state_ = bsUp;
    Invalidate();
  }
  if (Value) UpdateExclusive();
}

// Tells the siblings of the group that this one went down (they go up) and
// shares the group's AllowAllUp.
void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    TControl* c = Parent()->Controls(i);
    if (c != this) c->Perform(CM_BUTTONPRESSED, WPARAM(groupIndex_), LPARAM(this));
  }
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = AliveToken();
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (alive.expired() || Button != mbLeft || !Enabled()) return;
  // The arrow part opens the menu; so does the whole face when the button
  // has nothing else to do.
  if (dropdownMenu_ && (X >= Width() - DropDownArrowWidth || !OnClick)) {
    DropDown();
    return;
  }
  if (!down_) {
    state_ = bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  TButtonState next = bsUp;
  if (!down_) next = bsUp;
  RECT r = ClientRect();
  if (PtInRect(&r, POINT{X, Y}))
    next = down_ ? bsExclusive : bsDown;
  else if (down_)
    next = bsExclusive;
  if (next != state_) {
    state_ = next;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = AliveToken();
  if (dragging_ && Button == mbLeft) {
    dragging_ = false;
    RECT r = ClientRect();
    bool doClick = PtInRect(&r, POINT{X, Y});
    if (groupIndex_ == 0) {
      state_ = bsUp;
      Invalidate();
    } else if (doClick) {
      SetDown(!down_);
      if (down_)
        state_ = bsExclusive;
      else
        state_ = bsUp;
      Invalidate();
    } else {
      state_ = down_ ? bsExclusive : bsUp;
      Invalidate();
    }
    if (doClick) Click();
    if (alive.expired()) return;
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::Click() {
  TGraphicControl::Click();
}

void TSpeedButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_BUTTONPRESSED: {
      auto* sender = reinterpret_cast<TSpeedButton*>(M.LParam);
      if (int(M.WParam) != groupIndex_ || sender == this || groupIndex_ == 0) return;
      if (sender->Down() && down_) {
        down_ = false;
        state_ = bsUp;
        Invalidate();
      }
      allowAllUp_ = sender->AllowAllUp();
      return;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(char16_t(M.WParam), Caption()) && Enabled() && Visible() && Parent() &&
          Parent()->Showing()) {
        Click();
        M.Result = 1;
        return;
      }
      break;
    case CM_MOUSEENTER:
      if (!mouseInControl_ && Enabled()) {
        mouseInControl_ = true;
        if (flat_) Invalidate();
      }
      break;
    case CM_MOUSELEAVE:
      if (mouseInControl_) {
        mouseInControl_ = false;
        if (flat_) Invalidate();
      }
      break;
    case CM_ENABLEDCHANGED:
      if (!Enabled()) mouseInControl_ = false;
      Invalidate();
      return;
  }
  TGraphicControl::Dispatch(M);
}

std::unique_ptr<TControlActionLink> TSpeedButton::CreateActionLink() {
  return std::make_unique<TSpeedButtonActionLink>(this);
}

}  // namespace qv
