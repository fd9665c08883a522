// TTimer on a utility window's WM_TIMER.
#include "classlib/controls/Timer.h"

#include "classlib/controls/Application.h"
#include "classlib/controls/UtilWindow.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  window_ = AllocateHWnd([this](TMessage& M) { WndProc(M); });
  UpdateTimer();
}

TTimer::~TTimer() {
  enabled_ = false;
  UpdateTimer();
  DeallocateHWnd(window_);
}

void TTimer::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  UpdateTimer();
}

void TTimer::SetInterval(UINT Value) {
  if (interval_ == Value) return;
  interval_ = Value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (!window_ || !IsWindow(window_)) return;
  KillTimer(window_, 1);
  if (enabled_ && interval_ > 0) SetTimer(window_, 1, interval_, nullptr);
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::WndProc(TMessage& M) {
  if (M.Msg != WM_TIMER) {
    M.Result = DefWindowProcW(window_, M.Msg, M.WParam, M.LParam);
    return;
  }
  try {
    Timer();
  } catch (std::exception& e) {
    ApplicationHandleException(this, e);
  }
}

}  // namespace qv
