// TProgressBar over the progress bar window class: Min, Max and Position
// kept by the control (so they hold before the window exists), stepping,
// smooth or block look, horizontal or vertical.
#pragma once
#include "classlib/controls/WinControl.h"

namespace qv {

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* AOwner);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  int Step() const { return step_; }
  void SetMin(int Value) { SetRange(Value, max_); }
  void SetMax(int Value) { SetRange(min_, Value); }
  void SetPosition(int Value);
  void SetStep(int Value) { step_ = Value; }
  void StepIt();
  void StepBy(int Delta) { SetPosition(position_ + Delta); }
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool Value);
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;

 private:
  void SetRange(int AMin, int AMax);
  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  bool smooth_ = false;
  TProgressBarOrientation orientation_ = pbHorizontal;
};

}  // namespace qv
