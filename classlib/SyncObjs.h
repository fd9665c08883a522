// Small synchronisation wrappers of the class library: an event (manual or
// automatic reset) with a timed wait, and a critical section.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "classlib/Object.h"

namespace qv {

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };
constexpr uint32_t INFINITE_WAIT = 0xFFFFFFFFu;

class TEvent : public TObject {
 public:
  // An automatic-reset event lets one waiter through and resets itself.
  explicit TEvent(bool ManualReset = true, bool InitialState = false)
      : manualReset_(ManualReset), signaled_(InitialState) {}
  void SetEvent();
  void ResetEvent();
  TWaitResult WaitFor(uint32_t TimeoutMs = INFINITE_WAIT);

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool manualReset_;
  bool signaled_;
};

class TSimpleEvent : public TEvent {
 public:
  TSimpleEvent() : TEvent(true, false) {}
};

// Re-entrant, as a critical section is.
class TCriticalSection : public TObject {
 public:
  void Acquire() { mutex_.lock(); }
  void Release() { mutex_.unlock(); }
  void Enter() { Acquire(); }
  void Leave() { Release(); }
  bool TryEnter() { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

}  // namespace qv
