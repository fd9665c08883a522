// What a tree and the validation worker share about the tree's position
// cache: the flags both threads read (atomics), the lock the worker holds
// while it walks the tree, and the window it reports a finished cache to.
#pragma once
#include <atomic>
#include <mutex>

#include "datatree/DataTreeTypes.h"
#include "platform/window/MessageQueue.h"

namespace qv {

// Every access is sequentially consistent: the worker announces that it
// validates before it reads the stop flag, the tree sets the stop flag
// before it reads whether the worker validates, and only a total order
// makes sure one of the two sees the other.
class TValidationState {
 public:
  // The stop flag: set by the tree before it changes structure, polled by the worker.
  void RequestStop() { stop_.store(true); }
  void ClearStop() { stop_.store(false); }
  bool StopRequested() const { return stop_.load(); }
  const std::atomic<bool>* StopFlag() const { return &stop_; }

  bool Validating() const { return validating_.load(); }
  void SetValidating(bool Value) { validating_.store(Value); }
  // The cache is complete and matches the tree.
  bool UseCache() const { return useCache_.load(); }
  void SetUseCache(bool Value) { useCache_.store(Value); }
  bool Needed() const { return needed_.load(); }
  void SetNeeded(bool Value) { needed_.store(Value); }
  // In the worker's queue or being taken from it.
  bool Queued() const { return queued_.load(); }
  void SetQueued(bool Value) { queued_.store(Value); }
  // Held by the worker for its whole walk over the tree.
  std::mutex& WalkLock() { return walk_; }
  // The window the worker reports to (set on the tree's thread).
  HWND ReportTo() const { return reportTo_.load(); }
  void SetReportTo(HWND Value) { reportTo_.store(Value); }
  bool HoldsWorker() const { return holdsWorker_; }
  void SetHoldsWorker(bool Value) { holdsWorker_ = Value; }

  // The tree's state set shows these flags as its own.
  void AddTo(TDataTreeStates& States) const {
    if (StopRequested()) States.Include(tsStopValidation);
    if (Validating()) States.Include(tsValidating);
    if (UseCache()) States.Include(tsUseCache);
    if (Needed()) States.Include(tsValidationNeeded);
  }
  void Apply(TDataTreeStates Enter, TDataTreeStates Leave) {
    if (Enter.Contains(tsStopValidation)) RequestStop();
    if (Leave.Contains(tsStopValidation)) ClearStop();
    if (Enter.Contains(tsUseCache)) SetUseCache(true);
    if (Leave.Contains(tsUseCache)) SetUseCache(false);
    if (Enter.Contains(tsValidationNeeded)) SetNeeded(true);
    if (Leave.Contains(tsValidationNeeded)) SetNeeded(false);
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> validating_{false};
  std::atomic<bool> useCache_{false};
  std::atomic<bool> needed_{false};
  std::atomic<bool> queued_{false};
  std::mutex walk_;
  std::atomic<HWND> reportTo_{nullptr};
  bool holdsWorker_ = false;
};

}  // namespace qv
