// What the validation worker may read of a tree from its own thread: the stop
// flag (a copy of tsStopValidation that DoStateChange keeps) and the window it
// sends its state changes to. Every other state lives in the tree's state set.
#pragma once
#include <atomic>

#include "datatree/DataTreeTypes.h"
#include "platform/window/Window.h"

namespace qv {

// Sequentially consistent: the tree enters tsStopValidation before it asks
// whether the worker is on it, the worker takes the tree before it reads the
// flag, so one of the two always sees the other.
class TValidationState {
 public:
  bool StopRequested() const { return stop_.load(); }
  const std::atomic<bool>* StopFlag() const { return &stop_; }
  // Called by DoStateChange after every change of the tree's states.
  void Follow(const TDataTreeStates& States) { stop_.store(States.Contains(tsStopValidation)); }
  // The window the worker sends WM_CHANGESTATE to; nullptr while the tree has none.
  HWND ReportTo() const { return reportTo_.load(); }
  void SetReportTo(HWND Value) { reportTo_.store(Value); }
  bool HoldsWorker() const { return holdsWorker_; }
  void SetHoldsWorker(bool Value) { holdsWorker_ = Value; }
  // Runs of the worker that ended on this tree, counted by the window's handler.
  unsigned RunsEnded() const { return runsEnded_; }
  void RunEnded() { ++runsEnded_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<HWND> reportTo_{nullptr};
  bool holdsWorker_ = false;
  unsigned runsEnded_ = 0;  // window thread only
};

// WM_CHANGESTATE carries two masks of these bits: wParam the states to enter,
// lParam the states to leave.
constexpr unsigned kChangeStopValidation = 1, kChangeUseCache = 2, kChangeValidating = 4,
                   kChangeValidationNeeded = 8;

inline TDataTreeStates ChangeStatesFromMask(uintptr_t Mask) {
  TDataTreeStates s;
  if (Mask & kChangeStopValidation) s.Include(tsStopValidation);
  if (Mask & kChangeUseCache) s.Include(tsUseCache);
  if (Mask & kChangeValidating) s.Include(tsValidating);
  if (Mask & kChangeValidationNeeded) s.Include(tsValidationNeeded);
  return s;
}

}  // namespace qv
