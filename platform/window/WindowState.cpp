// The process-wide window-manager state, handle allocation with generation
// checks, the per-thread queues and the installed backend.
#include <chrono>

#include "platform/gdi/SystemMetrics.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {

State& S() {
  static State* state = new State;  // never destroyed: threads may outlive static destruction
  return *state;
}

// A handle packs a slot index (low 24 bits) and the slot's generation, so a
// handle of a destroyed window never names the window that reuses its slot.
Window* Find(HWND hwnd) {
  auto v = uintptr_t(hwnd);
  uint32_t index = uint32_t(v & 0xFFFFFF);
  uint32_t gen = uint32_t(v >> 24);
  auto& slots = S().slots;
  if (index == 0 || index > slots.size()) return nullptr;
  auto& slot = slots[index - 1];
  if (slot.generation != gen) return nullptr;
  return slot.window.get();
}

WindowPtr Get(HWND hwnd) {
  Lock l(S().lock);
  if (!Find(hwnd)) return nullptr;
  return S().slots[(uintptr_t(hwnd) & 0xFFFFFF) - 1].window;
}

HWND AllocHandle(const WindowPtr& w) {
  Lock l(S().lock);
  auto& st = S();
  uint32_t index;
  if (!st.freeSlots.empty()) {
    index = st.freeSlots.back();
    st.freeSlots.pop_back();
  } else {
    st.slots.push_back({});
    index = uint32_t(st.slots.size());
  }
  auto& slot = st.slots[index - 1];
  slot.window = w;
  return reinterpret_cast<HWND>(uintptr_t(slot.generation) << 24 | index);
}

void FreeHandle(HWND hwnd) {
  Lock l(S().lock);
  auto v = uintptr_t(hwnd);
  uint32_t index = uint32_t(v & 0xFFFFFF);
  if (index == 0 || index > S().slots.size()) return;
  auto& slot = S().slots[index - 1];
  slot.window.reset();
  if (++slot.generation >= (1u << 30)) slot.generation = 1;
  S().handlesReleased.fetch_add(1);
  S().freeSlots.push_back(index);
}

std::vector<WindowPtr> AllWindows() {
  Lock l(S().lock);
  std::vector<WindowPtr> out;
  for (auto& s : S().slots)
    if (s.window) out.push_back(s.window);
  return out;
}

namespace {
thread_local std::shared_ptr<ThreadQueue> t_queue;
}

const std::shared_ptr<ThreadQueue>& CurrentQueue() {
  if (!t_queue) {
    auto q = std::make_shared<ThreadQueue>();
    Lock l(S().lock);
    q->threadId = S().nextThreadId++;
    q->lastPump = Now();
    S().queues.push_back(q);
    t_queue = q;
  }
  return t_queue;
}

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId) {
  Lock l(S().lock);
  for (auto& q : S().queues)
    if (q->threadId == threadId) return q;
  return nullptr;
}

void Signal(ThreadQueue& q) {
  Lock l(S().lock);
  q.signalled = true;
  q.cv.notify_all();
  if (S().backend && S().uiQueue.get() == &q) S().backend->Wake();
}

DWORD Now() {
  Backend* b = S().backend;
  if (b) return b->Now();
  using namespace std::chrono;
  return DWORD(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WaitOnQueue(ThreadQueue& q, DWORD timeoutMs) {
  std::unique_lock<std::recursive_mutex> l(S().lock);
  if (q.signalled) {
    q.signalled = false;
    return;
  }
  Backend* b = S().backend;
  q.waiting = true;
  if (b && S().uiQueue.get() == &q) {
    l.unlock();
    b->WaitForEvents(timeoutMs);
    l.lock();
  } else if (timeoutMs == INFINITE) {
    q.cv.wait(l, [&] { return q.signalled; });
  } else {
    q.cv.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return q.signalled; });
  }
  q.waiting = false;
  q.lastPump = Now();
  q.signalled = false;
}

bool IsQueueHung(const ThreadQueue& q) {
  Lock l(S().lock);
  return !q.waiting && Now() - q.lastPump > kHungTime;
}

}  // namespace wm

void InstallBackend(Backend* backend) {
  auto q = wm::CurrentQueue();
  wm::Lock l(wm::S().lock);
  wm::S().backend = backend;
  wm::S().uiQueue = backend ? q : nullptr;
  if (backend) {
    SIZE s = backend->ScreenSize();
    SetScreenMetrics(s.cx, s.cy);
  }
  // Asked each time: a test's screen may change its density as it goes.
  SetScreenDpiSource([] {
    Backend* b = wm::S().backend;
    return b ? b->ScreenDpi() : 96;
  });
}

Backend* CurrentBackend() {
  return wm::S().backend;
}

DWORD GetCurrentThreadId() {
  return wm::CurrentQueue()->threadId;
}
DWORD GetTickCount() {
  return wm::Now();
}
DWORD timeGetTime() {
  return wm::Now();
}

}  // namespace qv
