// Cursors (standard shapes as pseudo handles, the current cursor passed to
// the backend), the thread's caret blinking on the backend clock, and beeps.
#include "platform/gdi/Blit.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace {

constexpr uintptr_t kCaretTimer = 0xCA7E;

bool IsStandardId(uintptr_t v) {
  return v >= 32512 && v <= 32700;
}

// Inverting twice restores the pixels, so the caret needs no saved copy.
void InvertCaret(wm::ThreadQueue& q) {
  HDC dc = GetDC(q.caretWindow);
  if (!dc) return;
  PatBlt(dc, q.caret.left, q.caret.top, q.caret.Width(), q.caret.Height(), DSTINVERT);
  ReleaseDC(q.caretWindow, dc);
  q.caretOn = !q.caretOn;
}

void StopBlink(wm::ThreadQueue& q) {
  if (q.caretOn) InvertCaret(q);
  wm::SetInternalTimer(q.caretWindow, kCaretTimer, 0, nullptr);
}

void StartBlink(wm::ThreadQueue& q) {
  auto qp = wm::CurrentQueue();
  InvertCaret(q);
  wm::SetInternalTimer(q.caretWindow, kCaretTimer, GetCaretBlinkTime(), [qp] {
    if (qp->caretWindow && qp->caretHide == 0) InvertCaret(*qp);
  });
}

}  // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR_ID name) {
  if (instance || !IsStandardId(uintptr_t(name))) return nullptr;
  return reinterpret_cast<HCURSOR>(uintptr_t(name));
}

int StandardCursorId(HCURSOR cursor) {
  auto v = uintptr_t(cursor);
  return IsStandardId(v) ? int(v) : 0;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old;
  {
    wm::Lock l(wm::S().lock);
    old = wm::S().cursor;
    if (old == cursor) return old;
    wm::S().cursor = cursor;
  }
  if (auto* b = wm::S().backend) b->SetCursorShape(StandardCursorId(cursor), cursor);
  return old;
}

HCURSOR GetCursor() {
  return wm::S().cursor;
}

int ShowCursor(BOOL show) {
  wm::Lock l(wm::S().lock);
  return show ? ++wm::S().cursorShow : --wm::S().cursorShow;
}

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!IsWindow(hwnd)) return FALSE;
  DestroyCaret();
  auto q = wm::CurrentQueue();
  q->caretWindow = hwnd;
  q->caret = RECT{0, 0, width > 0 ? width : 1, height > 0 ? height : 1};
  q->caretHide = 1;
  q->caretOn = false;
  return TRUE;
}

BOOL DestroyCaret() {
  auto q = wm::CurrentQueue();
  if (!q->caretWindow) return FALSE;
  if (IsWindow(q->caretWindow)) StopBlink(*q);
  q->caretWindow = nullptr;
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  auto q = wm::CurrentQueue();
  if (!q->caretWindow || (hwnd && hwnd != q->caretWindow) || q->caretHide == 0) return FALSE;
  if (--q->caretHide == 0) StartBlink(*q);
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  auto q = wm::CurrentQueue();
  if (!q->caretWindow || (hwnd && hwnd != q->caretWindow)) return FALSE;
  if (q->caretHide++ == 0) StopBlink(*q);
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  auto q = wm::CurrentQueue();
  if (!q->caretWindow) return FALSE;
  bool on = q->caretOn;
  if (on) InvertCaret(*q);
  OffsetRect(&q->caret, x - q->caret.left, y - q->caret.top);
  if (on) InvertCaret(*q);
  return TRUE;
}

BOOL GetCaretPos(POINT* p) {
  auto q = wm::CurrentQueue();
  if (!p || !q->caretWindow) return FALSE;
  *p = POINT{q->caret.left, q->caret.top};
  return TRUE;
}

BOOL MessageBeep(UINT type) {
  if (auto* b = wm::S().backend) b->Beep(type);
  return TRUE;
}

namespace wm {
// Painting draws over the caret's pixels: take it off before, it blinks back.
void HideCaretForPaint(HWND hwnd) {
  auto q = CurrentQueue();
  if (q->caretWindow == hwnd && q->caretOn) InvertCaret(*q);
}
}  // namespace wm

}  // namespace qv
