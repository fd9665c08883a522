// TTimer: a component that fires OnTimer every Interval milliseconds while
// Enabled, through a platform timer on a hidden window of its own (so the
// backend's clock drives it).
#pragma once
#include "classlib/Component.h"
#include "classlib/controls/ControlMessages.h"

namespace qv {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  UINT Interval() const { return interval_; }
  void SetInterval(UINT Value);
  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  HWND window_ = nullptr;
  bool enabled_ = true;
  UINT interval_ = 1000;
};

}  // namespace qv
