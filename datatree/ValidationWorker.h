// The one background thread that fills the position caches of large trees.
// Trees queue themselves (ValidateCache) and take themselves out again
// (InterruptValidation); the worker changes a tree's states only by sending
// WM_CHANGESTATE to the tree's window, so they change on the window's thread.
#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace qv {

class TBaseDataTree;

class TWorkerThread {
 public:
  TWorkerThread();
  ~TWorkerThread();
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;

  // Leaves tsStopValidation and appends the tree unless it waits already.
  void QueueTree(TBaseDataTree* Tree);
  void UnqueueTree(TBaseDataTree* Tree);
  // Under the list lock: takes Tree out of the queue and answers whether the
  // worker is on it, so a tree it has not taken can no longer be taken.
  bool UnqueueUnlessActive(TBaseDataTree* Tree);
  TBaseDataTree* ActiveTree() const { return activeTree_.load(); }
  // Waits briefly (a fraction of a millisecond) or until the worker is no longer on Tree.
  void WaitUntilLeft(TBaseDataTree* Tree);
  // The auto-reset WorkerEvent.
  void SignalEvent();

 private:
  friend void AcquireWorker();
  friend void ReleaseWorker(TBaseDataTree* Tree);
  void Execute();
  void WaitEvent();
  void TakeNextTree();
  void ChangeTreeStates(uintptr_t Enter, uintptr_t Leave);

  std::atomic<TBaseDataTree*> activeTree_{nullptr};
  std::mutex listLock_;
  std::deque<TBaseDataTree*> waitingTrees_;
  std::mutex eventLock_;
  std::condition_variable event_;
  bool signalled_ = false;
  std::atomic<bool> terminated_{false};
  std::mutex leftLock_;
  std::condition_variable left_;
  int holderCount_ = 0;  // window thread only
  std::thread thread_;
};

// The one worker; nullptr while no tree exists. Used on the window thread only.
extern TWorkerThread* ValidationWorker;
// Every tree constructor holds the worker, every destructor lets go of it.
void AcquireWorker();
void ReleaseWorker(TBaseDataTree* Tree);

}  // namespace qv
