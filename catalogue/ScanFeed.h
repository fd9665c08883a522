// TScanFeed: hands the entries of a scan running on a worker thread to the
// thread that stores them, in the order the walk adds them: a folder, its
// files, then each sub-folder with its content, each folder closed by a null
// entry. The worker publishes entries in small batches, so the two threads
// meet only once per batch.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace qv {

class TFileData;

class TScanFeed {
 public:
  enum class TTake { Entry, Waited, Ended };

  // Worker side: the next entry (nullptr: the current folder is complete).
  void Put(TFileData* node);
  // Worker side: the walk has ended; publishes what is held.
  void Close();

  // Storing side: the worker no longer waits for entries to be taken.
  void Cancel();
  // Storing side: the next entry, waiting at most timeoutMs for one. Ended
  // once the walk has ended and every entry was taken.
  TTake Take(TFileData*& node, int timeoutMs);
  // The walk has ended (entries may still wait to be taken).
  bool Closed() const { return closed_.load(std::memory_order_acquire); }
  // Files and folders put so far.
  int64_t Count() const { return count_.load(std::memory_order_relaxed); }

 private:
  void Publish();

  static constexpr std::size_t kBatch = 512;
  static constexpr std::size_t kAhead = std::size_t(1) << 15;
  std::mutex mutex_;
  std::condition_variable ready_;   // entries or the end were published
  std::condition_variable room_;    // entries were taken, or Cancel
  bool cancelled_ = false;          // under mutex_
  std::vector<TFileData*> shared_;  // under mutex_
  bool sharedClosed_ = false;       // under mutex_
  std::vector<TFileData*> held_;    // the worker's, not yet published
  std::vector<TFileData*> taken_;   // the storing thread's
  std::size_t next_ = 0;            // the next of taken_
  std::atomic<bool> closed_{false};
  std::atomic<int64_t> count_{0};
};

}  // namespace qv
