// TThread and the process-wide synchronize queue the main thread serves.
#include "classlib/Thread.h"

#include <chrono>
#include <deque>
#include <memory>

namespace qv {

std::function<void()> WakeMainThread;

namespace {

// The main thread is the one that initialises the program's statics.
const std::thread::id mainThreadId = std::this_thread::get_id();

// One synchronized call, waited for by its thread unless queued.
struct SyncRequest {
  TThreadMethod method;
  std::exception_ptr error;
  bool done = false;
  bool waited = true;
};

struct SyncQueue {
  std::mutex mutex;
  std::condition_variable arrived;  // a request was queued
  std::condition_variable served;   // a request was run
  std::deque<std::shared_ptr<SyncRequest>> pending;
};

SyncQueue& TheQueue() {
  static SyncQueue q;
  return q;
}

void Enqueue(const std::shared_ptr<SyncRequest>& req) {
  SyncQueue& q = TheQueue();
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    q.pending.push_back(req);
  }
  q.arrived.notify_all();
  if (WakeMainThread) WakeMainThread();
}

}  // namespace

bool CheckSynchronize(int TimeoutMs) {
  SyncQueue& q = TheQueue();
  std::deque<std::shared_ptr<SyncRequest>> batch;
  {
    std::unique_lock<std::mutex> lock(q.mutex);
    if (q.pending.empty() && TimeoutMs > 0)
      q.arrived.wait_for(lock, std::chrono::milliseconds(TimeoutMs), [&] { return !q.pending.empty(); });
    batch.swap(q.pending);
  }
  for (auto& req : batch) {
    try {
      req->method();
    } catch (...) {
      // A waiting caller gets the exception back; a queued call has no one to
      // tell, and the main thread must go on.
      if (req->waited) req->error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(q.mutex);
    req->done = true;
  }
  if (!batch.empty()) q.served.notify_all();
  return !batch.empty();
}

// ---- TThread -------------------------------------------------------------

TThread::TThread(bool CreateSuspended) : createSuspended_(CreateSuspended) {}

TThread::~TThread() {
  if (!thread_.joinable()) return;
  if (std::this_thread::get_id() == threadId_) {
    // FreeOnTerminate: the thread deletes its own object on its way out.
    thread_.detach();
    return;
  }
  Terminate();
  WaitFor();
}

void TThread::AfterConstruction() {
  if (!createSuspended_) Start();
}

void TThread::Start() {
  if (started_.exchange(true)) throw EThread("Thread already started");
  // Run waits for this lock, so thread_ and threadId_ are set before it reads them.
  std::lock_guard<std::mutex> lock(doneMutex_);
  thread_ = std::thread([this] { Run(); });
  threadId_ = thread_.get_id();
}

void TThread::Run() {
  { std::lock_guard<std::mutex> gate(doneMutex_); }
  try {
    Execute();
  } catch (...) {
    fatal_ = std::current_exception();
  }
  try {
    DoTerminate();
  } catch (...) {
    if (!fatal_) fatal_ = std::current_exception();
  }
  bool freeSelf = FreeOnTerminate;
  {
    std::lock_guard<std::mutex> lock(doneMutex_);
    finished_ = true;
  }
  doneCv_.notify_all();
  // Wake a main thread waiting in WaitFor while serving synchronized calls.
  TheQueue().arrived.notify_all();
  if (freeSelf) delete this;
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

int TThread::WaitFor() {
  if (!started_) return returnValue_;
  if (std::this_thread::get_id() == threadId_) throw EThread("Thread cannot wait for itself");
  if (IsMainThread()) {
    // Serve synchronized calls while waiting: the worker may be in one.
    while (!finished_) CheckSynchronize(10);
  } else {
    std::unique_lock<std::mutex> lock(doneMutex_);
    doneCv_.wait(lock, [this] { return finished_.load(); });
  }
  if (thread_.joinable()) thread_.join();
  return returnValue_;
}

void TThread::Synchronize(const TThreadMethod& Method) {
  Synchronize(this, Method);
}

void TThread::Synchronize(TThread*, const TThreadMethod& Method) {
  if (IsMainThread()) {
    Method();
    return;
  }
  auto req = std::make_shared<SyncRequest>();
  req->method = Method;
  Enqueue(req);
  SyncQueue& q = TheQueue();
  std::exception_ptr error;
  {
    std::unique_lock<std::mutex> lock(q.mutex);
    q.served.wait(lock, [&] { return req->done; });
    // Taken out under the lock, so the exception lives and dies on this thread
    // whenever the main thread lets go of the request.
    error = std::move(req->error);
  }
  if (error) std::rethrow_exception(error);
}

void TThread::Queue(const TThreadMethod& Method) {
  if (IsMainThread()) {
    Method();
    return;
  }
  auto req = std::make_shared<SyncRequest>();
  req->method = Method;
  req->waited = false;
  Enqueue(req);
}

bool TThread::IsMainThread() {
  return std::this_thread::get_id() == mainThreadId;
}

std::thread::id TThread::MainThreadID() {
  return mainThreadId;
}

}  // namespace qv
