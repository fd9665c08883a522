// TScanFeed: a batched single-producer, single-consumer hand-over of scanned
// entries.
#include "catalogue/ScanFeed.h"

#include <chrono>

namespace qv {

void TScanFeed::Put(TFileData* node) {
  held_.push_back(node);
  if (node) count_.fetch_add(1, std::memory_order_relaxed);
  if (held_.size() >= kBatch) Publish();
}

// The worker keeps at most kAhead entries ahead of the taker, so that the
// scanned tree waiting to be stored stays small.
void TScanFeed::Publish() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [this] { return shared_.size() < kAhead || cancelled_; });
    if (shared_.empty())
      shared_.swap(held_);
    else
      shared_.insert(shared_.end(), held_.begin(), held_.end());
  }
  held_.clear();
  ready_.notify_one();
}

void TScanFeed::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shared_.insert(shared_.end(), held_.begin(), held_.end());
    sharedClosed_ = true;
  }
  held_.clear();
  closed_.store(true, std::memory_order_release);
  ready_.notify_one();
}

void TScanFeed::Cancel() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
  }
  room_.notify_one();
}

TScanFeed::TTake TScanFeed::Take(TFileData*& node, int timeoutMs) {
  if (next_ >= taken_.size()) {
    taken_.clear();
    next_ = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [this] { return !shared_.empty() || sharedClosed_; });
    taken_.swap(shared_);
    if (taken_.empty()) return sharedClosed_ ? TTake::Ended : TTake::Waited;
    lock.unlock();
    room_.notify_one();
  }
  node = taken_[next_++];
  return TTake::Entry;
}

}  // namespace qv
