// Sending, posting and retrieving messages. Retrieval order: sent messages,
// then posted messages and input (in arrival order), then WM_QUIT, then
// WM_PAINT, then WM_TIMER; a window's keys that wait behind its paste are
// passed over until it ends (HeldKeys.cpp). Sends to a window of another
// thread block the sender, which keeps handling messages sent to its own
// thread meanwhile.
#include <algorithm>
#include <chrono>

#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

bool InRange(UINT msg, UINT min, UINT max) {
  return (min == 0 && max == 0) || (msg >= min && msg <= max);
}

bool RangeHasInput(UINT min, UINT max) {
  auto overlaps = [&](UINT a, UINT b) { return (min == 0 && max == 0) || (min <= b && max >= a); };
  return overlaps(WM_KEYFIRST, WM_KEYLAST) || overlaps(WM_MOUSEFIRST, WM_MOUSELAST) ||
         overlaps(WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK) || overlaps(WM_MOUSELEAVE, WM_MOUSELEAVE);
}

bool MatchesWindow(HWND msgHwnd, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return msgHwnd == nullptr;
  return msgHwnd == filter;
}

// Delivers to a window of another thread and waits for the answer. Unless
// `block`, messages sent to the waiting thread meanwhile are handled.
bool SendToOtherThread(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                       LRESULT& result, bool block = false) {
  auto me = CurrentQueue();
  auto rec = std::make_shared<SentMessage>();
  rec->hwnd = w->handle, rec->msg = msg, rec->wParam = wParam, rec->lParam = lParam, rec->sender = me;
  {
    Lock l(S().lock);
    w->queue->incoming.push_back(rec);
  }
  Signal(*w->queue);
  // Real time: the backend clock may be a test clock that stands still.
  auto start = std::chrono::steady_clock::now();
  for (;;) {
    if (!block) ProcessIncomingSends(*me);
    {
      Lock l(S().lock);
      if (rec->done) break;
    }
    auto waited =
        DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                  .count());
    if (timeoutMs != INFINITE && waited >= timeoutMs) {
      Lock l(S().lock);
      if (rec->done) break;
      auto& in = w->queue->incoming;
      in.erase(std::remove(in.begin(), in.end(), rec), in.end());
      return false;
    }
    WaitOnQueue(*me, timeoutMs == INFINITE ? 50 : std::min<DWORD>(50, timeoutMs - waited));
  }
  result = rec->result;
  return !rec->failed;
}

}  // namespace

namespace {

// CallProc for a caller that holds its own reference to the window for the
// whole call (the window may be destroyed by its own handler).
LRESULT CallProcHeld(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!w || w->dead) return 0;
  if (w->queue != CurrentQueue()) {
    LRESULT r = 0;
    SendToOtherThread(w, msg, wParam, lParam, INFINITE, r);
    return r;
  }
  return w->proc ? w->proc(w->handle, msg, wParam, lParam) : DefWindowProcW(w->handle, msg, wParam, lParam);
}

}  // namespace

LRESULT CallProc(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam) {
  WindowPtr keep = w;  // w may name a reference that the handler lets go
  return CallProcHeld(keep, msg, wParam, lParam);
}

bool ProcessIncomingSends(ThreadQueue& q) {
  bool any = false;
  for (;;) {
    std::shared_ptr<SentMessage> rec;
    {
      Lock l(S().lock);
      if (q.incoming.empty()) return any;
      rec = q.incoming.front();
      q.incoming.pop_front();
    }
    any = true;
    auto w = Get(rec->hwnd);
    ++q.inSend;
    LRESULT r = w ? CallProc(w, rec->msg, rec->wParam, rec->lParam) : 0;
    --q.inSend;
    {
      Lock l(S().lock);
      rec->result = r;
      rec->failed = !w;
      rec->done = true;
    }
    Signal(*rec->sender);
  }
}

void PostInternal(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam) {
  {
    Lock l(S().lock);
    QueuedItem item;
    item.msg = MSG{w->handle, msg, wParam, lParam, Now(), S().cursorPos};
    w->queue->posted.push_back(item);
  }
  Signal(*w->queue);
}

void QueueRawInput(const RawInput& in) {
  std::shared_ptr<ThreadQueue> q;
  {
    Lock l(S().lock);
    q = S().uiQueue ? S().uiQueue : CurrentQueue();
    QueuedItem item;
    item.raw = in;
    item.msg.time = in.time;
    q->posted.push_back(item);
  }
  Signal(*q);
}

}  // namespace wm

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = wm::Get(hwnd);  // held until the answer is in
  return w ? wm::CallProcHeld(w, msg, wParam, lParam) : 0;
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            uintptr_t* result) {
  auto w = wm::Get(hwnd);
  if (result) *result = 0;
  if (!w) return 0;
  LRESULT r = 0;
  if (w->queue == wm::CurrentQueue()) {
    r = wm::CallProc(w, msg, wParam, lParam);  // no queue to wait on: never times out
  } else {
    if ((flags & SMTO_ABORTIFHUNG) && wm::IsQueueHung(*w->queue)) return 0;
    if (!wm::SendToOtherThread(w, msg, wParam, lParam, timeoutMs, r, (flags & SMTO_BLOCK) != 0)) return 0;
  }
  if (result) *result = uintptr_t(r);
  return 1;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return PostThreadMessageW(GetCurrentThreadId(), msg, wParam, lParam);
  auto w = wm::Get(hwnd);
  if (!w) return FALSE;
  wm::PostInternal(w, msg, wParam, lParam);
  return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto q = wm::QueueOfThread(threadId);
  if (!q) return FALSE;
  {
    wm::Lock l(wm::S().lock);
    wm::QueuedItem item;
    item.msg = MSG{nullptr, msg, wParam, lParam, wm::Now(), wm::S().cursorPos};
    q->posted.push_back(item);
  }
  wm::Signal(*q);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  auto q = wm::CurrentQueue();
  {
    wm::Lock l(wm::S().lock);
    q->quit = true;
    q->quitCode = exitCode;
  }
  wm::Signal(*q);
}

BOOL PeekMessageW(MSG* out, HWND hwnd, UINT min, UINT max, UINT removeFlags) {
  using namespace wm;
  auto q = CurrentQueue();
  {
    Lock l(S().lock);
    q->lastPump = Now();
  }
  if (Backend* b = S().backend; b && S().uiQueue == q) b->PollEvents();
  ProcessIncomingSends(*q);
  CheckHover();
  bool remove = (removeFlags & PM_REMOVE) != 0;
  MSG found;
  std::optional<KeyboardState> pressed;  // the found key's keyboard, when it waited behind a paste
  bool have = false;
  for (bool again = true; again && !have;) {
    again = false;
    std::optional<RawInput> raw;
    std::size_t rawAt = 0;
    {
      Lock l(S().lock);
      for (std::size_t i = 0; i < q->posted.size(); ++i) {
        auto& item = q->posted[i];
        if (item.raw) {
          if (!RangeHasInput(min, max)) continue;
          raw = item.raw, rawAt = i;
          q->posted.erase(q->posted.begin() + long(i));
          break;
        }
        if (IsHeldKey(item)) continue;
        if (!MatchesWindow(item.msg.hwnd, hwnd) || !InRange(item.msg.message, min, max)) continue;
        found = item.msg, pressed = item.pressed, have = true;
        if (remove) q->posted.erase(q->posted.begin() + long(i));
        break;
      }
    }
    if (raw) {
      // Routing sends hit-test messages, so it runs unlocked; the routed
      // message takes the raw entry's place in the queue.
      MSG routed;
      if (RouteRawInput(*q, *raw, routed)) {
        auto target = Get(routed.hwnd);
        Lock l(S().lock);
        QueuedItem item;
        item.msg = routed;
        NoteRoutedKey(item);
        if (target && target->queue != q) {
          target->queue->posted.push_back(item);
          Signal(*target->queue);
        } else {
          q->posted.insert(q->posted.begin() + long(std::min(rawAt, q->posted.size())), item);
        }
      }
      again = true;
    }
  }
  if (!have) {
    Lock l(S().lock);
    if (q->quit) {
      found = MSG{nullptr, WM_QUIT, WPARAM(q->quitCode), 0, Now(), S().cursorPos};
      if (remove) q->quit = false;
      have = true;
    }
  }
  HWND paint = nullptr;
  if (!have && InRange(WM_PAINT, min, max) && FindPaintWindow(*q, hwnd, paint)) {
    found = MSG{paint, WM_PAINT, 0, 0, Now(), S().cursorPos};
    if (remove)
      if (auto w = Get(paint)) w->internalPaint = false;
    have = true;
  }
  if (!have && InRange(WM_TIMER, min, max)) have = TakeDueTimer(*q, hwnd, found, remove);
  if (!have) return FALSE;
  if (remove) {
    q->last = found;
    Lock l(S().lock);
    S().keysAsPressed = pressed;
  }
  if (out) *out = found;
  return TRUE;
}

BOOL GetMessageW(MSG* out, HWND hwnd, UINT min, UINT max) {
  using namespace wm;
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd)) return -1;
  auto q = CurrentQueue();
  MSG m;
  while (!PeekMessageW(&m, hwnd, min, max, PM_REMOVE)) {
    PresentScreenOverlays();
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd)) return -1;
    WaitOnQueue(*q, NextTimerDue(*q, Now()));
  }
  if (out) *out = m;
  return m.message != WM_QUIT;
}

BOOL WaitMessage() {
  auto q = wm::CurrentQueue();
  MSG m;
  if (PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) return TRUE;
  wm::PresentScreenOverlays();
  wm::WaitOnQueue(*q, wm::NextTimerDue(*q, wm::Now()));
  return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD, const HANDLE*, BOOL, DWORD timeoutMs, DWORD) {
  auto q = wm::CurrentQueue();
  MSG m;
  if (PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) return WAIT_OBJECT_0;
  wm::PresentScreenOverlays();
  DWORD next = wm::NextTimerDue(*q, wm::Now());
  wm::WaitOnQueue(*q, std::min(next, timeoutMs));
  return PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

LRESULT DispatchMessageW(const MSG* msg) {
  using namespace wm;
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, Now());
    return 0;
  }
  auto w = Get(msg->hwnd);
  if (!w || w->queue != CurrentQueue()) return 0;
  LRESULT r = CallProc(w, msg->message, msg->wParam, msg->lParam);
  EndHoldAfter(*msg);
  return r;
}

BOOL InSendMessage() {
  return wm::CurrentQueue()->inSend > 0;
}
DWORD InSendMessageEx(void*) {
  return InSendMessage() ? ISMEX_SEND : ISMEX_NOSEND;
}
BOOL ReplyMessage(LRESULT) {
  return InSendMessage();
}
LONG GetMessageTime() {
  return LONG(wm::CurrentQueue()->last.time);
}
DWORD GetMessagePos() {
  POINT p = wm::CurrentQueue()->last.pt;
  return DWORD(MAKELPARAM(p.x, p.y));
}

DWORD GetQueueStatus(UINT) {
  auto q = wm::CurrentQueue();
  wm::Lock l(wm::S().lock);
  DWORD s = 0;
  if (!q->posted.empty()) s |= QS_POSTMESSAGE;
  if (!q->incoming.empty()) s |= QS_SENDMESSAGE;
  return s << 16 | s;
}

bool ProcessPendingMessages() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));  // outer loops must see it too
      return false;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return true;
}

}  // namespace qv
