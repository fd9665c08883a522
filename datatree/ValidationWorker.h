// The one background thread that fills the position caches of large trees.
// Trees are queued by ValidateCache and taken out again by InterruptValidation;
// the worker touches a tree only while it holds that tree's validation lock.
#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace qv {

class TBaseDataTree;

class TValidationWorker {
 public:
  // Every tree holds the worker while it lives; the thread ends with the last.
  static void Acquire();
  static void Release(TBaseDataTree* Tree);
  static void AddTree(TBaseDataTree* Tree);
  // Takes Tree out of the queue and waits until the worker has left it.
  static void RemoveTree(TBaseDataTree* Tree);
  static bool Running();

 private:
  void Run();
  static TValidationWorker* instance_;
  static std::mutex mutex_;

  std::thread thread_;
  std::condition_variable wake_;
  std::deque<TBaseDataTree*> queue_;
  TBaseDataTree* current_ = nullptr;
  bool terminate_ = false;
  int holders_ = 0;
};

}  // namespace qv
