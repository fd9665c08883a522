// TScanFeed: hands the entries of a scan running on a worker thread to the
// thread that stores them, in the order the walk adds them: a folder, its
// files, then each sub-folder with its content, each folder closed by a null
// entry.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "catalogue/BatchFeed.h"

namespace qv {

class TFileData;

class TScanFeed {
 public:
  enum class TTake { Entry, Waited, Ended };

  // The worker stays at most about ahead entries in front of the taker.
  explicit TScanFeed(std::size_t ahead = kAhead) : entries_(std::min<std::size_t>(512, ahead), ahead) {}
  static constexpr std::size_t kAhead = std::size_t(1) << 15;

  // Worker side: the next entry (nullptr: the current folder is complete).
  void Put(TFileData* node);
  // Worker side: the walk has ended; publishes what is held.
  void Close();

  // Storing side: the worker no longer waits for entries to be taken.
  void Cancel() { entries_.Cancel(); }
  // Storing side: the next entry, waiting at most timeoutMs for one. Ended
  // once the walk has ended and every entry was taken.
  TTake Take(TFileData*& node, int timeoutMs);
  // The walk has ended (entries may still wait to be taken).
  bool Closed() const { return closed_.load(std::memory_order_acquire); }
  // Files and folders put so far.
  int64_t Count() const { return count_.load(std::memory_order_relaxed); }

 private:
  TBatchFeed<TFileData*> entries_;
  std::atomic<bool> closed_{false};
  std::atomic<int64_t> count_{0};
};

}  // namespace qv
