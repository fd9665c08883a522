// The animation loop and the system clock it uses by default.
#include "datatree/DataTreeAnimation.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace qv {

DWORD TSystemAnimationClock::Now() {
  using namespace std::chrono;
  return DWORD(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TSystemAnimationClock::WaitUntil(DWORD Deadline) {
  // The difference is read as signed so a wrap of the counter still waits.
  int32_t left = int32_t(Deadline - Now());
  if (left > 0) std::this_thread::sleep_for(std::chrono::milliseconds(left));
}

TSystemAnimationClock& TSystemAnimationClock::Instance() {
  static TSystemAnimationClock clock;
  return clock;
}

void RunAnimation(int Steps, int Duration, const TDTAnimationCallback& Callback, void* Data,
                  TAnimationClock& Clock, const std::function<bool()>& Terminating) {
  if (Steps <= 0) return;
  auto terminating = [&] { return Terminating && Terminating(); };
  int stepSize = Duration > 0 ? int(std::lround(std::max(double(Steps) / Duration, 1.0))) : Steps;
  int stepsLeft = Steps / stepSize;
  int timeLeft = Duration;
  int step = 0;
  while (stepsLeft > 0 && timeLeft > 0 && !terminating()) {
    DWORD start = Clock.Now();
    if (!Callback(step, stepSize, Data)) break;
    Clock.WaitUntil(start + DWORD(timeLeft / stepsLeft));
    int elapsed = int(Clock.Now() - start);
    if (elapsed > timeLeft) {
      timeLeft = 0;
      stepsLeft = 0;
    } else {
      --stepsLeft;
      timeLeft -= elapsed;
    }
    // Less than a millisecond per step: larger steps, fewer of them.
    while (stepsLeft > 0 && timeLeft / stepsLeft == 0) {
      ++stepSize;
      stepsLeft = timeLeft / stepSize;
    }
    step = Steps - stepsLeft;
  }
  if (!terminating()) Callback(0, 0, Data);
}

}  // namespace qv
