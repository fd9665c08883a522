// Timers on the backend clock. A due timer becomes a WM_TIMER only when the
// thread's queue holds nothing else; internal timers (caret blink, scroll
// repeat) run their callback directly instead.
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

bool Due(DWORD due, DWORD now) {
  return int32_t(now - due) >= 0;
}

std::vector<Timer>::iterator FindTimer(HWND hwnd, uintptr_t id, bool internal) {
  auto& ts = S().timers;
  return std::find_if(ts.begin(), ts.end(), [&](const Timer& t) {
    return t.hwnd == hwnd && t.id == id && bool(t.internal) == internal;
  });
}

}  // namespace

void RemoveTimersOf(HWND hwnd) {
  Lock l(S().lock);
  std::erase_if(S().timers, [&](const Timer& t) { return t.hwnd == hwnd; });
}

uintptr_t SetInternalTimer(HWND hwnd, uintptr_t id, UINT elapse, std::function<void()> fn) {
  Lock l(S().lock);
  auto it = FindTimer(hwnd, id, true);
  if (it != S().timers.end()) S().timers.erase(it);
  if (!fn) return 0;
  Timer t;
  t.hwnd = hwnd, t.id = id, t.elapse = std::max<UINT>(elapse, 1), t.due = Now() + t.elapse;
  t.queue = CurrentQueue();
  t.internal = std::move(fn);
  S().timers.push_back(std::move(t));
  return id;
}

bool TakeDueTimer(ThreadQueue& q, HWND filter, MSG& out, bool remove) {
  DWORD now = Now();
  // Internal timers first; each callback may change the timer list.
  for (;;) {
    std::function<void()> fn;
    {
      Lock l(S().lock);
      for (auto& t : S().timers)
        if (t.internal && t.queue.get() == &q && Due(t.due, now)) {
          t.due = now + t.elapse;
          fn = t.internal;
          break;
        }
    }
    if (!fn) break;
    fn();
  }
  Lock l(S().lock);
  Timer* best = nullptr;
  for (auto& t : S().timers) {
    if (t.internal || t.queue.get() != &q || !Due(t.due, now)) continue;
    if (filter && filter != reinterpret_cast<HWND>(-1) && t.hwnd != filter) continue;
    if (filter == reinterpret_cast<HWND>(-1) && t.hwnd) continue;
    if (!best || int32_t(t.due - best->due) < 0) best = &t;
  }
  if (!best) return false;
  if (remove) best->due = now + best->elapse;
  out = MSG{best->hwnd, WM_TIMER, best->id, LPARAM(best->proc), now, S().cursorPos};
  return true;
}

DWORD NextTimerDue(ThreadQueue& q, DWORD now) {
  Lock l(S().lock);
  DWORD best = INFINITE;
  for (auto& t : S().timers) {
    if (t.queue.get() != &q) continue;
    DWORD wait = Due(t.due, now) ? 0 : t.due - now;
    best = std::min(best, wait);
  }
  return best;
}

}  // namespace wm

uintptr_t SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs, TIMERPROC proc) {
  using namespace wm;
  std::shared_ptr<ThreadQueue> q;
  if (hwnd) {
    auto w = Get(hwnd);
    if (!w) return 0;
    q = w->queue;
  } else {
    q = CurrentQueue();
  }
  Lock l(S().lock);
  if (!hwnd) {
    // Thread timers: the given id names an existing one, else a new id is chosen.
    if (id == 0 || FindTimer(nullptr, id, false) == S().timers.end()) id = S().nextThreadTimerId++;
  }
  auto it = FindTimer(hwnd, id, false);
  if (it != S().timers.end()) S().timers.erase(it);
  Timer t;
  t.hwnd = hwnd, t.id = id, t.elapse = std::max<UINT>(elapseMs, 1), t.proc = proc;
  t.due = Now() + t.elapse;
  t.queue = q;
  S().timers.push_back(std::move(t));
  return hwnd ? (id ? id : 1) : id;
}

DWORD TimeUntilNextTimer() {
  return wm::NextTimerDue(*wm::CurrentQueue(), wm::Now());
}

BOOL KillTimer(HWND hwnd, uintptr_t id) {
  using namespace wm;
  Lock l(S().lock);
  auto it = FindTimer(hwnd, id, false);
  if (it == S().timers.end()) return FALSE;
  S().timers.erase(it);
  // A WM_TIMER already posted for it must not arrive.
  for (auto& q : S().queues)
    std::erase_if(q->posted, [&](const QueuedItem& i) {
      return !i.raw && i.msg.message == WM_TIMER && i.msg.hwnd == hwnd && i.msg.wParam == id;
    });
  return TRUE;
}

}  // namespace qv
