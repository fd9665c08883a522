// TThread: a worker thread object with a terminate flag, WaitFor, a return
// value, FreeOnTerminate and OnTerminate, and Synchronize, which runs a
// method on the main thread. Synchronized calls wait in one process-wide
// queue that the main thread empties with CheckSynchronize (the application's
// message loop calls it; WakeMainThread lets the window layer wake that loop).
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "classlib/Object.h"

namespace qv {

class EThread : public Exception {
 public:
  using Exception::Exception;
};

using TThreadMethod = std::function<void()>;

class TThread : public TObject {
 public:
  // A thread created not suspended starts in AfterConstruction (C++ runs no
  // code after the most-derived constructor, so whoever makes the object calls
  // it; TThread::Create<T>(...) does both). One created suspended starts with
  // Start or Resume.
  explicit TThread(bool CreateSuspended);
  // Terminates and waits for a running thread. A derived class whose Execute
  // uses the derived class's members calls Terminate() and WaitFor() in its
  // own destructor, before those members go.
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  template <class T, class... Args>
  static T* Create(Args&&... args) {
    T* t = new T(std::forward<Args>(args)...);
    t->AfterConstruction();
    return t;
  }
  virtual void AfterConstruction();

  void Start();  // EThread when already started
  void Resume() { Start(); }
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Suspended() const { return !started_; }
  bool Finished() const { return finished_; }
  // Waits for the end of Execute and returns ReturnValue. On the main thread it
  // keeps serving synchronized calls meanwhile, so a worker blocked in
  // Synchronize cannot deadlock it. EThread for a thread waiting for itself.
  int WaitFor();

  // The object deletes itself once Execute and OnTerminate are done; set it
  // before the thread starts.
  bool FreeOnTerminate = false;
  // Runs on the main thread (synchronized) after Execute.
  TNotifyEvent OnTerminate;
  int ReturnValue() const { return returnValue_; }
  std::thread::id ThreadID() const { return threadId_; }
  // An exception that escaped Execute (the thread ends quietly otherwise).
  std::exception_ptr FatalException() const { return fatal_; }

  // Runs Method on the main thread and waits for it; on the main thread it runs
  // at once. An exception the method raises is raised again in the caller.
  void Synchronize(const TThreadMethod& Method);
  static void Synchronize(TThread* AThread, const TThreadMethod& Method);
  // Like Synchronize, but returns at once; the method runs later.
  static void Queue(const TThreadMethod& Method);

  static bool IsMainThread();
  static std::thread::id MainThreadID();

 protected:
  virtual void Execute() = 0;
  virtual void DoTerminate();
  void SetReturnValue(int Value) { returnValue_ = Value; }

 private:
  void Run();

  std::thread thread_;
  std::thread::id threadId_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> started_{false};
  std::atomic<bool> finished_{false};
  bool createSuspended_;
  std::atomic<int> returnValue_{0};
  std::exception_ptr fatal_;
  std::mutex doneMutex_;
  std::condition_variable doneCv_;
};

// Runs the waiting synchronized calls; true when it ran any. With a timeout it
// first waits up to that long for one to arrive. Call it on the main thread.
bool CheckSynchronize(int TimeoutMs = 0);
// Called (from the synchronizing thread) whenever a call is queued, so the
// main thread's message wait can return; the window layer sets it.
extern std::function<void()> WakeMainThread;

}  // namespace qv
