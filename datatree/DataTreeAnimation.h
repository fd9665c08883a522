// The timed loop behind the tree's animations: a number of steps spread over
// a duration, read from a clock that can be replaced (tests drive it).
#pragma once
#include <functional>

#include "platform/WinTypes.h"

namespace qv {

// The clock an animation reads and waits on.
class TAnimationClock {
 public:
  virtual ~TAnimationClock() = default;
  virtual DWORD Now() = 0;  // milliseconds, wrapping at 2^32
  virtual void WaitUntil(DWORD Deadline) = 0;
};

// Real time: the animation is a visual effect, so it follows the wall
// clock and sleeps between steps instead of spinning.
class TSystemAnimationClock : public TAnimationClock {
 public:
  DWORD Now() override;
  void WaitUntil(DWORD Deadline) override;
  static TSystemAnimationClock& Instance();
};

// Answers false to stop the animation early.
using TDTAnimationCallback = std::function<bool(int Step, int StepSize, void* Data)>;

// Runs Callback about Steps times within Duration milliseconds (the step size
// grows when a step would get less than a millisecond), then once more with
// (0, 0) as the end signal unless Terminating answers true. Steps <= 0 does nothing.
void RunAnimation(int Steps, int Duration, const TDTAnimationCallback& Callback, void* Data,
                  TAnimationClock& Clock, const std::function<bool()>& Terminating);

}  // namespace qv
