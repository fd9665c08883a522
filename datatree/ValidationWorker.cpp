// The validation worker's queue, its event and its loop. A run on a tree is
// bracketed by two WM_CHANGESTATE sends: validating before, the result after.
#include "datatree/ValidationWorker.h"

#include <algorithm>

#include "datatree/BaseDataTree.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Messages.h"

namespace qv {

TWorkerThread* ValidationWorker = nullptr;

void AcquireWorker() {
  if (!ValidationWorker) ValidationWorker = new TWorkerThread;
  ++ValidationWorker->holderCount_;
}

void ReleaseWorker(TBaseDataTree* Tree) {
  if (!ValidationWorker) return;
  --ValidationWorker->holderCount_;
  Tree->InterruptValidation();
  if (ValidationWorker->holderCount_ == 0) {
    TWorkerThread* worker = ValidationWorker;
    ValidationWorker = nullptr;
    delete worker;  // sets the terminate flag, wakes the thread and waits for its end
  }
}

TWorkerThread::TWorkerThread() : thread_([this] { Execute(); }) {}

TWorkerThread::~TWorkerThread() {
  terminated_.store(true);
  SignalEvent();
  thread_.join();
}

void TWorkerThread::SignalEvent() {
  {
    std::lock_guard<std::mutex> lock(eventLock_);
    signalled_ = true;
  }
  event_.notify_one();
}

void TWorkerThread::WaitEvent() {
  std::unique_lock<std::mutex> lock(eventLock_);
  event_.wait(lock, [this] { return signalled_; });
  signalled_ = false;  // auto-reset
}

void TWorkerThread::QueueTree(TBaseDataTree* Tree) {
  DTAssert(Tree != nullptr, "Tree must not be nil.");
  Tree->DoStateChange({}, {tsStopValidation});
  std::lock_guard<std::mutex> lock(listLock_);
  if (std::find(waitingTrees_.begin(), waitingTrees_.end(), Tree) == waitingTrees_.end())
    waitingTrees_.push_back(Tree);
}

void TWorkerThread::UnqueueTree(TBaseDataTree* Tree) {
  DTAssert(Tree != nullptr, "Tree must not be nil.");
  std::lock_guard<std::mutex> lock(listLock_);
  waitingTrees_.erase(std::remove(waitingTrees_.begin(), waitingTrees_.end(), Tree), waitingTrees_.end());
}

bool TWorkerThread::UnqueueUnlessActive(TBaseDataTree* Tree) {
  std::lock_guard<std::mutex> lock(listLock_);
  waitingTrees_.erase(std::remove(waitingTrees_.begin(), waitingTrees_.end(), Tree), waitingTrees_.end());
  return activeTree_.load() == Tree;
}

void TWorkerThread::TakeNextTree() {
  std::lock_guard<std::mutex> lock(listLock_);
  if (waitingTrees_.empty()) {
    activeTree_.store(nullptr);
    return;
  }
  activeTree_.store(waitingTrees_.front());
  waitingTrees_.pop_front();
  // The event resets itself: signal again so the rest of the queue drains.
  if (!waitingTrees_.empty()) SignalEvent();
}

// Sent (never under the list lock) only while a tree is active and has a
// window; the send returns once the window's thread has applied the change.
void TWorkerThread::ChangeTreeStates(uintptr_t Enter, uintptr_t Leave) {
  TBaseDataTree* tree = activeTree_.load();
  if (!tree) return;
  if (HWND handle = tree->validation_.ReportTo())
    SendMessageW(handle, WM_CHANGESTATE, WPARAM(Enter), LPARAM(Leave));
}

void TWorkerThread::Execute() {
  while (!terminated_.load()) {
    WaitEvent();
    if (terminated_.load()) break;
    TakeNextTree();
    TBaseDataTree* tree = activeTree_.load();
    bool done = false;
    try {
      ChangeTreeStates(kChangeValidating, kChangeUseCache);
      if (tree && !tree->validation_.StopRequested()) done = tree->DoValidateCache();
    } catch (...) {
      done = false;  // the tree must not stay in tsValidating
    }
    ChangeTreeStates(done ? kChangeUseCache : 0,
                     kChangeStopValidation | kChangeValidating | (done ? kChangeValidationNeeded : 0));
    {
      std::lock_guard<std::mutex> lock(leftLock_);
      activeTree_.store(nullptr);
    }
    left_.notify_all();
  }
}

void TWorkerThread::WaitUntilLeft(TBaseDataTree* Tree) {
  std::unique_lock<std::mutex> lock(leftLock_);
  left_.wait_for(lock, std::chrono::microseconds(200), [&] { return activeTree_.load() != Tree; });
}

}  // namespace qv
