// TEvent: a flag with waiters, reset by hand or by the waiter it lets through.
#include "classlib/SyncObjs.h"

#include <chrono>

namespace qv {

void TEvent::SetEvent() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signaled_ = true;
  }
  if (manualReset_)
    cv_.notify_all();
  else
    cv_.notify_one();
}

void TEvent::ResetEvent() {
  std::lock_guard<std::mutex> lock(mutex_);
  signaled_ = false;
}

TWaitResult TEvent::WaitFor(uint32_t TimeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto ready = [this] { return signaled_; };
  if (TimeoutMs == INFINITE_WAIT)
    cv_.wait(lock, ready);
  else if (!cv_.wait_for(lock, std::chrono::milliseconds(TimeoutMs), ready))
    return wrTimeout;
  if (!manualReset_) signaled_ = false;
  return wrSignaled;
}

}  // namespace qv
