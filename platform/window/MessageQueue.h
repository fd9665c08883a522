// Messages between windows and threads: one queue per thread, synchronous
// sends (also across threads), posts, filtered retrieval, WM_PAINT and
// WM_TIMER synthesized when nothing else is waiting, and timers.
#pragma once
#include "platform/window/Window.h"

namespace qv {

constexpr UINT PM_NOREMOVE = 0x0, PM_REMOVE = 0x1, PM_NOYIELD = 0x2;
constexpr UINT SMTO_NORMAL = 0x0, SMTO_BLOCK = 0x1, SMTO_ABORTIFHUNG = 0x2;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0, WAIT_TIMEOUT = 258;
// MsgWaitForMultipleObjects wake masks (accepted; any queue activity wakes)
constexpr DWORD QS_MOUSEMOVE = 0x2, QS_MOUSEBUTTON = 0x4, QS_POSTMESSAGE = 0x8, QS_TIMER = 0x10,
                QS_SENDMESSAGE = 0x40, QS_ALLINPUT = 0x4FF;
constexpr DWORD ISMEX_NOSEND = 0, ISMEX_SEND = 1;

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessage(HWND h, UINT m, WPARAM w, LPARAM l) {
  return SendMessageW(h, m, w, l);
}
// Nonzero with *result set to the answer; 0 (and *result 0) when the window is
// gone, when the receiver's thread does not answer within timeoutMs (real
// time), or with SMTO_ABORTIFHUNG when that thread is hung: neither waiting
// for messages nor looking at its queue for 5 s (backend clock). SMTO_BLOCK
// keeps the caller from handling messages sent to it while it waits.
LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            uintptr_t* result);
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessage(HWND h, UINT m, WPARAM w, LPARAM l) {
  return PostMessageW(h, m, w, l);
}
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// FALSE on WM_QUIT, -1 on a stale window filter.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
inline BOOL PeekMessage(MSG* m, HWND h, UINT a, UINT b, UINT r) {
  return PeekMessageW(m, h, a, b, r);
}
inline BOOL GetMessage(MSG* m, HWND h, UINT a, UINT b) {
  return GetMessageW(m, h, a, b);
}
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
inline LRESULT DispatchMessage(const MSG* msg) {
  return DispatchMessageW(msg);
}
BOOL WaitMessage();
// Waits for queue activity (or the timeout); no kernel objects are waited on.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs,
                                DWORD wakeMask);
BOOL InSendMessage();
DWORD InSendMessageEx(void* reserved);
BOOL ReplyMessage(LRESULT result);
LONG GetMessageTime();
DWORD GetMessagePos();
DWORD GetQueueStatus(UINT flags);
DWORD GetCurrentThreadId();

// Timers run on the backend clock. A nullptr window makes a thread timer
// whose id is chosen by the system.
using TIMERPROC = void (*)(HWND, UINT, uintptr_t, DWORD);
uintptr_t SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, uintptr_t id);
DWORD GetTickCount();
// Milliseconds until the calling thread's next timer is due (0 = due now), INFINITE without timers.
DWORD TimeUntilNextTimer();
DWORD timeGetTime();

// The keys typed into `hwnd` wait while another program's text is on its
// way to it (a paste), so that they act after the text, in the order they
// were pressed: its WM_KEYDOWN, WM_KEYUP and WM_CHAR stay in the queue and
// retrieval passes over them, every other message going on (painting, the
// mouse, timers, other windows and their keys, the system keys: menus and
// the close). The hold ends at ReleaseKeys, when the window goes, or once
// the window has handled the message `until` with wParam `id` (its paste's
// end, whether it took the text or not).
void HoldKeys(HWND hwnd, UINT until, WPARAM id);
void ReleaseKeys(HWND hwnd);

// Runs the thread's messages until the queue is idle (no posted, input, sent
// or due timer messages, and no pending paints). Returns false when WM_QUIT was seen.
bool ProcessPendingMessages();

}  // namespace qv
