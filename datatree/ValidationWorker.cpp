// The validation worker's queue and loop. The user-interface thread never
// waits on a message from the worker: the worker posts WM_CHANGESTATE when a
// cache is ready, so stopping it can never dead-lock.
#include "datatree/ValidationWorker.h"

#include <algorithm>

#include "datatree/BaseDataTree.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Messages.h"

namespace qv {

TValidationWorker* TValidationWorker::instance_ = nullptr;
std::mutex TValidationWorker::mutex_;

void TValidationWorker::Acquire() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!instance_) {
    instance_ = new TValidationWorker;
    instance_->thread_ = std::thread([w = instance_] { w->Run(); });
  }
  ++instance_->holders_;
}

void TValidationWorker::Release(TBaseDataTree* Tree) {
  TValidationWorker* stop = nullptr;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!instance_) return;
    auto& q = instance_->queue_;
    q.erase(std::remove(q.begin(), q.end(), Tree), q.end());
    if (--instance_->holders_ == 0) {
      stop = instance_;
      instance_ = nullptr;
      stop->terminate_ = true;
      stop->wake_.notify_all();
    }
  }
  if (stop) {
    stop->thread_.join();
    delete stop;
  }
}

bool TValidationWorker::Running() {
  std::lock_guard<std::mutex> lock(mutex_);
  return instance_ != nullptr;
}

void TValidationWorker::AddTree(TBaseDataTree* Tree) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!instance_) return;
  auto& q = instance_->queue_;
  Tree->validation_.SetQueued(true);
  if (std::find(q.begin(), q.end(), Tree) == q.end()) q.push_back(Tree);
  instance_->wake_.notify_all();
}

void TValidationWorker::RemoveTree(TBaseDataTree* Tree) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (instance_) {
      auto& q = instance_->queue_;
      auto it = std::remove(q.begin(), q.end(), Tree);
      if (it != q.end()) {
        q.erase(it, q.end());
        Tree->validation_.SetQueued(false);
      }
    }
  }
  // The worker holds this lock for the whole walk over the tree; with the
  // stop flag set it lets go within one node.
  std::lock_guard<std::mutex> wait(Tree->validation_.WalkLock());
}

void TValidationWorker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return terminate_ || !queue_.empty(); });
    if (terminate_) return;
    TBaseDataTree* tree = queue_.front();
    queue_.pop_front();
    // Lock the tree before letting go of the queue, so that a RemoveTree
    // that comes in between waits for this walk.
    TValidationState& state = tree->validation_;
    std::unique_lock<std::mutex> treeLock(state.WalkLock());
    // Validating is announced before the stop flag is read and the queued
    // flag is dropped only after that: a user-interface thread that sets the
    // stop flag and then finds neither flag set knows the walk cannot start.
    state.SetValidating(true);
    state.SetQueued(false);
    if (state.StopRequested()) {
      state.SetValidating(false);
      continue;
    }
    current_ = tree;
    lock.unlock();
    bool done = tree->ValidateCacheNow(state.StopFlag());
    state.SetValidating(false);
    HWND handle = state.ReportTo();
    treeLock.unlock();
    if (done && handle) PostMessageW(handle, WM_CHANGESTATE, 1, 0);
    lock.lock();
    current_ = nullptr;
  }
}

}  // namespace qv
