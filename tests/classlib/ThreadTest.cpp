// TThread: synchronized calls served by the main thread, exceptions carried
// back, WaitFor, FreeOnTerminate and OnTerminate; the event and lock wrappers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "classlib/SyncObjs.h"
#include "classlib/Thread.h"

namespace qv {
namespace {

// Runs a body on the worker; records the thread each synchronized call ran on.
class Worker : public TThread {
 public:
  explicit Worker(std::function<void(Worker*)> body) : TThread(true), body_(std::move(body)) {}
  ~Worker() override {
    Terminate();
    WaitFor();
  }
  using TThread::SetReturnValue;

 protected:
  void Execute() override { body_(this); }

 private:
  std::function<void(Worker*)> body_;
};

void PumpUntil(const std::function<bool()>& done) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done() && std::chrono::steady_clock::now() < end) CheckSynchronize(5);
}

TEST(Thread, SynchronizeRunsOnTheMainThreadAndWaits) {
  std::vector<bool> onMain;
  std::atomic<bool> after{false};
  Worker w([&](Worker* self) {
    for (int i = 0; i < 3; ++i) self->Synchronize([&] { onMain.push_back(TThread::IsMainThread()); });
    after = onMain.size() == 3;  // every call had finished when Synchronize returned
    self->SetReturnValue(7);
  });
  EXPECT_TRUE(w.Suspended());
  w.Start();
  PumpUntil([&] { return w.Finished(); });
  EXPECT_EQ(w.WaitFor(), 7);
  EXPECT_EQ(onMain, (std::vector<bool>{true, true, true}));
  EXPECT_TRUE(after);
}

TEST(Thread, ExceptionInSynchronizedMethodIsRaisedInTheWorker) {
  std::string caught;
  Worker w([&](Worker* self) {
    try {
      self->Synchronize([] { throw EConvertError("bad value"); });
    } catch (const EConvertError& e) {
      caught = e.Message;
    }
  });
  w.Start();
  w.WaitFor();  // serves the call while waiting, on the main thread
  EXPECT_EQ(caught, "bad value");
}

TEST(Thread, SynchronizeOnTheMainThreadRunsAtOnce) {
  int calls = 0;
  TThread::Synchronize(nullptr, [&] { ++calls; });
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(CheckSynchronize());
}

TEST(Thread, TerminateIsSeenAndOnTerminateRunsOnMain) {
  std::atomic<int> loops{0};
  bool terminateOnMain = false;
  Worker w([&](Worker* self) {
    while (!self->Terminated()) {
      ++loops;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  w.OnTerminate = [&](TObject* sender) { terminateOnMain = TThread::IsMainThread() && sender == &w; };
  w.Start();
  PumpUntil([&] { return loops > 2; });
  w.Terminate();
  w.WaitFor();
  EXPECT_TRUE(terminateOnMain);
}

TEST(Thread, FreeOnTerminateDeletesTheObject) {
  static std::atomic<bool> destroyed{false};
  struct SelfFreeing : TThread {
    SelfFreeing() : TThread(false) { FreeOnTerminate = true; }
    ~SelfFreeing() override { destroyed = true; }
    void Execute() override {}
  };
  TThread::Create<SelfFreeing>();
  PumpUntil([] { return destroyed.load(); });
  EXPECT_TRUE(destroyed);
}

TEST(Thread, WakeHookFiresForEachQueuedCall) {
  std::atomic<int> wakes{0};
  WakeMainThread = [&] { ++wakes; };
  int ran = 0;
  Worker w([&](Worker*) { TThread::Queue([&] { ++ran; }); });
  w.Start();
  PumpUntil([&] { return ran == 1; });
  w.WaitFor();  // the hook is called after queuing, possibly after the call ran
  WakeMainThread = nullptr;
  EXPECT_EQ(wakes, 1);
  EXPECT_EQ(ran, 1);
}

TEST(SyncObjs, AutoResetEventLetsOneWaiterThrough) {
  TEvent ev(false, false);
  EXPECT_EQ(ev.WaitFor(1), wrTimeout);
  std::thread t([&] { ev.SetEvent(); });
  EXPECT_EQ(ev.WaitFor(30000), wrSignaled);  // however late the thread runs
  t.join();
  EXPECT_EQ(ev.WaitFor(1), wrTimeout);  // reset by the wait
  TEvent manual(true, true);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);

  TCriticalSection cs;
  cs.Enter();
  cs.Enter();  // re-entrant
  bool other = true;
  std::thread([&] { other = cs.TryEnter(); }).join();
  EXPECT_FALSE(other);
  cs.Leave();
  cs.Leave();
}

}  // namespace
}  // namespace qv
