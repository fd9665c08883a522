// TProgressBar.
#include "classlib/comctrls/ProgressBar.h"

#include <algorithm>

#include "classlib/comctrls/BarSubClass.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 150, 16);
  SetColor(clBtnFace);
}

void TProgressBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateBarSubClass(Params, PROGRESS_CLASSW);
  if (smooth_) Params.Style |= PBS_SMOOTH;
  if (orientation_ == pbVertical) Params.Style |= PBS_VERTICAL;
}

void TProgressBar::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(WindowHandle(), PBM_SETRANGE32, WPARAM(min_), LPARAM(max_));
  SendMessageW(WindowHandle(), PBM_SETSTEP, WPARAM(step_), 0);
  SendMessageW(WindowHandle(), PBM_SETPOS, WPARAM(position_), 0);
}

void TProgressBar::SetRange(int AMin, int AMax) {
  min_ = AMin;
  max_ = AMax;
  position_ = std::clamp(position_, std::min(min_, max_), std::max(min_, max_));
  if (HandleAllocated()) SendMessageW(WindowHandle(), PBM_SETRANGE32, WPARAM(min_), LPARAM(max_));
}

void TProgressBar::SetPosition(int Value) {
  position_ = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
  if (HandleAllocated()) SendMessageW(WindowHandle(), PBM_SETPOS, WPARAM(position_), 0);
}

void TProgressBar::StepIt() {
  if (HandleAllocated()) {
    SendMessageW(WindowHandle(), PBM_SETSTEP, WPARAM(step_), 0);
    SendMessageW(WindowHandle(), PBM_STEPIT, 0, 0);
    position_ = int(SendMessageW(WindowHandle(), PBM_GETPOS, 0, 0));
  } else {
    SetPosition(position_ + step_);
  }
}

void TProgressBar::SetSmooth(bool Value) {
  if (smooth_ == Value) return;
  smooth_ = Value;
  RecreateWnd();
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  RecreateWnd();
}

}  // namespace qv
