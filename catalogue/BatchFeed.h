// TBatchFeed: hands items made on a worker thread to one other thread, in
// the order they were put. The worker publishes its items in batches, so the
// two threads meet only once per batch, and stays at most a bounded number of
// items ahead of the taker.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <iterator>
#include <mutex>
#include <utility>
#include <vector>

namespace qv {

template <class T>
class TBatchFeed {
 public:
  enum class TTake { Item, Waited, Ended };

  // pollMs > 0: the taker is not woken for each batch but looks every pollMs
  // while it waits (only the end wakes it), so that a taker as fast as the
  // worker does not switch threads once per batch.
  explicit TBatchFeed(std::size_t batch = 512, std::size_t ahead = std::size_t(1) << 15, int pollMs = 0)
      : batch_(batch), ahead_(ahead), pollMs_(pollMs) {}

  // Worker side: the next item.
  void Put(T item) {
    held_.push_back(std::move(item));
    if (held_.size() >= batch_) Publish();
  }
  // Worker side: publishes what is held now, without waiting for a full batch.
  void Publish() {
    if (held_.empty()) return;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      room_.wait(lock, [this] { return shared_.size() < ahead_ || cancelled_; });
      if (shared_.empty())
        shared_.swap(held_);
      else
        shared_.insert(shared_.end(), std::make_move_iterator(held_.begin()),
                       std::make_move_iterator(held_.end()));
    }
    held_.clear();
    if (pollMs_ <= 0) ready_.notify_one();
  }
  // Worker side: nothing more comes; publishes what is held.
  void Close() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      shared_.insert(shared_.end(), std::make_move_iterator(held_.begin()),
                     std::make_move_iterator(held_.end()));
      sharedClosed_ = true;
    }
    held_.clear();
    ready_.notify_one();
  }

  // Taking side: the worker no longer waits for items to be taken.
  void Cancel() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      cancelled_ = true;
    }
    room_.notify_one();
  }
  // Taking side: the next item (valid until the next Take), waiting at most
  // timeoutMs for one. Ended once the feed is closed and every item taken.
  TTake Take(T*& item, int timeoutMs) {
    if (next_ >= taken_.size()) {
      taken_.clear();
      next_ = 0;
      std::unique_lock<std::mutex> lock(mutex_);
      const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
      while (shared_.empty() && !sharedClosed_) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until) break;
        const auto wait = pollMs_ > 0 ? std::min<std::chrono::steady_clock::duration>(
                                            until - now, std::chrono::milliseconds(pollMs_))
                                      : until - now;
        ready_.wait_for(lock, wait);
      }
      taken_.swap(shared_);
      if (taken_.empty()) return sharedClosed_ ? TTake::Ended : TTake::Waited;
      lock.unlock();
      room_.notify_one();
    }
    item = &taken_[next_++];
    return TTake::Item;
  }

 private:
  const std::size_t batch_;
  const std::size_t ahead_;
  const int pollMs_;
  std::mutex mutex_;
  std::condition_variable ready_;  // items or the end were published
  std::condition_variable room_;   // items were taken, or Cancel
  bool cancelled_ = false;         // under mutex_
  std::vector<T> shared_;          // under mutex_
  bool sharedClosed_ = false;      // under mutex_
  std::vector<T> held_;            // the worker's, not yet published
  std::vector<T> taken_;           // the taker's
  std::size_t next_ = 0;           // the next of taken_
};

}  // namespace qv
