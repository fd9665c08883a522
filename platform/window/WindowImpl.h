// Internal state of the window manager: window objects behind generation-
// checked handles, window classes, thread queues and the process-wide input
// state. One recursive lock guards it all; it is never held while a window
// procedure runs. Window objects are shared_ptr so that a dispatch in progress
// keeps a destroyed window's memory alive.
// Private to its folder: scripts/check-includes.py refuses it anywhere else.
#pragma once
#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Surface.h"
#include "platform/backend/Backend.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/BackendInput.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Messages.h"
#include "platform/window/ScrollBar.h"
#include "platform/window/Window.h"

namespace qv::wm {

// Metrics of the classic look the window manager needs: the lines of
// borders and edges are fixed, the bars grow with the screen's density.
constexpr int kBorder = 1, kEdge = 2, kFrame = 4, kDlgFrame = 3;
inline int CaptionHeight() {
  return GetSystemMetrics(SM_CYCAPTION);
}
inline int MenuBarHeight() {
  return GetSystemMetrics(SM_CYMENU);
}
inline int ScrollBarSize() {
  return GetSystemMetrics(SM_CXVSCROLL);
}
inline int MinThumb() {
  return ScaleToScreen(8);
}
constexpr int kHoverTime = 400;

struct WindowClass {
  std::u16string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int cbWndExtra = 0;
  int cbClsExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr, iconSm = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  ATOM atom = 0;
  bool registered = true;
};

struct ThreadQueue;

struct ScrollBarData {
  int min = 0, max = 100, page = 0, pos = 0, trackPos = 0;
  bool shown = false;       // the style bit decides; kept in step
  UINT disabledArrows = 0;  // ESB_* bits
  bool tracking = false;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0, exStyle = 0;
  HWND parent = nullptr;       // child windows only
  HWND owner = nullptr;        // top-level windows only
  std::vector<HWND> children;  // z-order, top first
  RECT rect;                   // window rectangle in the parent's client coordinates (screen for top-level)
  RECT client;                 // client rectangle in window coordinates
  std::u16string text;
  LONG_PTR id = 0, userData = 0;
  HINSTANCE instance = nullptr;
  HMENU menu = nullptr;
  std::vector<uint8_t> extra;
  std::vector<std::pair<std::u16string, HANDLE>> props;
  std::shared_ptr<ThreadQueue> queue;
  bool created = false;     // WM_NCCREATE answered
  bool destroying = false;  // DestroyWindow running
  bool dead = false;        // handle released
  bool minimized = false, maximized = false;
  bool ncActive = false;        // the caption shows the active colours (WM_NCACTIVATE)
  RECT normalRect;              // the rectangle a maximised window is restored to
  LRESULT pressedNcButton = 0;  // the caption button drawn pushed (HTCLOSE ...)
  // Painting
  PixRegion update;  // window coordinates, client part only
  bool internalPaint = false, needErase = false, needNcPaint = false;
  PixRegion ncUpdate;  // window coordinates: the invalid part of the frame while needNcPaint
  bool redrawOff = false;
  std::optional<PixRegion> shape;  // window region, window coordinates
  ScrollBarData sb[2];             // SB_HORZ, SB_VERT
  std::unique_ptr<Surface> backing;
  // Another program's text on its way (HoldKeys): the window's keys wait,
  // until it handled keysHeldUntil with keysHeldId at the latest.
  bool keysHeld = false;
  UINT keysHeldUntil = 0;
  WPARAM keysHeldId = 0;
};
using WindowPtr = std::shared_ptr<Window>;

struct SentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  bool failed = false;  // the window was gone when its turn came
  std::shared_ptr<ThreadQueue> sender;
};

struct RawInput {
  // TopMoved and Activate are the desktop's changes to a top-level window.
  enum Kind { Move, Button, Wheel, Key, Char, TopMoved, Activate } kind = Move;
  HWND top = nullptr;
  RECT rect;
  POINT pt;
  MouseButton button = MouseButton::Left;
  bool down = false;
  int delta = 0;
  bool horizontal = false;
  UINT vk = 0;
  char16_t ch = 0;
  DWORD time = 0;
};

using KeyboardState = std::array<BYTE, 256>;

struct QueuedItem {
  MSG msg;
  std::optional<RawInput> raw;  // not yet routed
  // A key that waits behind a paste (HeldKeys.cpp), with the keyboard as it
  // was pressed: when it is handled later, the program reads that state.
  std::optional<KeyboardState> pressed;
};

struct Timer {
  HWND hwnd = nullptr;
  uintptr_t id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  DWORD due = 0;
  std::shared_ptr<ThreadQueue> queue;
  std::function<void()> internal;  // window-manager timers (caret, hover, scroll repeat)
};

struct ThreadQueue {
  DWORD threadId = 0;
  std::deque<QueuedItem> posted;
  std::deque<std::shared_ptr<SentMessage>> incoming;
  std::condition_variable_any cv;
  bool signalled = false;
  bool quit = false;
  int quitCode = 0;
  int inSend = 0;  // sent messages being handled on this thread
  // For SMTO_ABORTIFHUNG: when the thread last looked at its queue (backend
  // clock) and whether it is waiting for messages now (a waiting thread is not hung).
  DWORD lastPump = 0;
  bool waiting = false;
  MSG last;  // for GetMessageTime / GetMessagePos
  // Caret
  HWND caretWindow = nullptr;
  RECT caret;
  int caretHide = 1;
  bool caretOn = false;
};

struct State {
  std::recursive_mutex lock;
  // Counts released handles: a handle found valid stays valid while this
  // stands still, so a thread may keep such an answer without the lock.
  std::atomic<uint64_t> handlesReleased{0};
  // Counts writes to windows' extra bytes, for the same purpose.
  std::atomic<uint64_t> extraWritten{0};
  struct Slot {
    WindowPtr window;
    uint32_t generation = 1;
  };
  std::vector<Slot> slots;
  std::vector<uint32_t> freeSlots;
  std::vector<HWND> topLevels;  // z-order, top first
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;
  std::vector<Timer> timers;
  uintptr_t nextThreadTimerId = 0x7000;
  std::vector<std::shared_ptr<ThreadQueue>> queues;
  DWORD nextThreadId = 1;
  Backend* backend = nullptr;
  std::shared_ptr<ThreadQueue> uiQueue;
  // Input
  HWND focus = nullptr, active = nullptr, capture = nullptr;
  POINT cursorPos;
  HCURSOR cursor = nullptr;
  int cursorShow = 0;
  BYTE keys[256] = {};  // as of the last routed input
  // The keyboard as the key handled now found it, when it waited behind a
  // paste (the program reads this instead of `keys` until the next message).
  std::optional<KeyboardState> keysAsPressed;
  BYTE asyncKeys[256] = {};  // as injected
  HWND lastClickWindow = nullptr;
  UINT lastClickMsg = 0;
  DWORD lastClickTime = 0;
  POINT lastClickPos;
  HWND mouseWindow = nullptr;  // under the pointer at the last move
  LRESULT mouseHit = HTNOWHERE;
  HWND trackWindow = nullptr;
  DWORD trackFlags = 0, trackHoverTime = 0, trackStart = 0;
  POINT hoverOrigin;  // the hover rectangle is centred here; leaving it restarts the hover time
  COLORREF desktopColor = RGB(0, 128, 128);
};

State& S();
using Lock = std::lock_guard<std::recursive_mutex>;

// Handles
WindowPtr Get(HWND hwnd);  // nullptr for stale or foreign handles
// The same without taking a reference, for a quick read of the window's
// fields: only while the caller holds the lock.
Window* Find(HWND hwnd);
HWND AllocHandle(const WindowPtr& w);
void FreeHandle(HWND hwnd);
std::vector<WindowPtr> AllWindows();

std::shared_ptr<WindowClass> FindClass(LPCWSTR name);
// Places w in its sibling list above `after` (HWND_TOP/BOTTOM/TOPMOST/NOTOPMOST or a sibling).
void LinkZOrder(const WindowPtr& w, HWND after);
void UnlinkZOrder(const WindowPtr& w);
bool IsDescendant(HWND ancestor, HWND hwnd);  // hwnd itself counts

// Queues
// The calling thread's queue, made on first use; a reference, so that a
// comparison (is this window ours?) costs no reference count.
const std::shared_ptr<ThreadQueue>& CurrentQueue();
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId);
void Signal(ThreadQueue& q);
DWORD Now();
// Handles sent messages addressed to the calling thread; true when some ran.
bool ProcessIncomingSends(ThreadQueue& q);
// Waits (unlocked) until the queue is signalled or timeoutMs passes.
void WaitOnQueue(ThreadQueue& q, DWORD timeoutMs);
// Neither waiting for messages nor looking at its queue for kHungTime.
constexpr DWORD kHungTime = 5000;
bool IsQueueHung(const ThreadQueue& q);
LRESULT CallProc(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam);
void PostInternal(const WindowPtr& w, UINT msg, WPARAM wParam, LPARAM lParam);
void QueueRawInput(const RawInput& in);

// Geometry helpers (all under the lock)
POINT ClientOriginOnScreen(const Window& w);  // screen position of the client (0,0)
POINT WindowOriginOnScreen(const Window& w);
WindowPtr TopLevelOf(const WindowPtr& w);
bool IsVisibleChain(const WindowPtr& w);  // the window and all its parents visible
std::vector<HWND>& SiblingList(const Window& w);
RECT WindowRectOnScreen(const Window& w);
// The deepest visible window at a screen point, looking through `skip`.
HWND HitWindow(POINT screen, const std::vector<HWND>& skip = {});
// The window the mouse is over and its WM_NCHITTEST answer, HTTRANSPARENT
// windows looked through.
HWND HitTestThrough(POINT screen, LRESULT& hit, bool askOtherThreads);

// Timers
void RemoveTimersOf(HWND hwnd);
// Fires due internal timers and returns a WM_TIMER candidate for this queue;
// only a message that is removed starts the timer's next period (a look that
// leaves it in the queue must not lose it).
bool TakeDueTimer(ThreadQueue& q, HWND filter, MSG& out, bool remove = true);
DWORD NextTimerDue(ThreadQueue& q, DWORD now);  // ms until the next timer, INFINITE if none
uintptr_t SetInternalTimer(HWND hwnd, uintptr_t id, UINT elapse, std::function<void()> fn);

// Painting (Paint.cpp)
bool FindPaintWindow(ThreadQueue& q, HWND filter, HWND& out);
void InvalidateForChange(const WindowPtr& w, const RECT& oldScreen);
void OnWindowDestroyed(const WindowPtr& w);
void RecomputeNonClient(const WindowPtr& w, bool sendMessage);
void EnsureBacking(const WindowPtr& top);
// Sends the pending WM_NCPAINT: wParam 1 when the whole frame is invalid,
// else a region (screen coordinates) of its invalid part, deleted afterwards.
void SendNcPaint(const WindowPtr& w);
void PresentAll();
// Window DCs and their visible regions (WindowDC.cpp).
PixRegion VisibleRegion(const WindowPtr& w, bool clientOnly, bool clipChildren, bool clipSiblings);
HDC MakeWindowDC(const WindowPtr& w, bool windowDc, bool clipChildren, bool clipSiblings,
                 const PixRegion* extra, bool intersect);
void EraseNow(const WindowPtr& w);
void RedrawInternal(const WindowPtr& w, const PixRegion* windowArea, UINT flags);
void HideCaretForPaint(HWND hwnd);  // CursorCaret.cpp
// Screen DCs (ScreenDC.cpp): their drawing shows above every window until released.
// `part` holds the screen's pixels from `origin` on; `screen` is the screen's size.
void ApplyScreenOverlays(Surface& part, POINT origin, SIZE screen);
// Composed within area only when given; the desktop's own pixels only when
// asked (without them, and without an area, only where our windows are).
HDC OpenScreenDC(const RECT* area = nullptr, bool desktop = true);
bool CloseScreenDC(HDC hdc);  // false when hdc is no screen DC
void PresentScreenOverlays();

// SetWindowPos; `tellBackend` false when the backend itself reported the geometry.
BOOL SetWindowPosImpl(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags,
                      bool tellBackend);

// Input (Input.cpp)
bool RouteRawInput(ThreadQueue& q, const RawInput& in, MSG& out);
// Keys held behind a paste (HeldKeys.cpp). Under the lock: a key routed to
// a window whose keys are held waits, carrying the keyboard's state.
void NoteRoutedKey(QueuedItem& item);
bool IsHeldKey(const QueuedItem& item);
// The keyboard as the program reads it (under the lock).
const BYTE* SeenKeys();
// The window handled `msg`: when it was the end of its paste, its keys go on.
void EndHoldAfter(const MSG& msg);
void ForgetWindowInInput(HWND hwnd);
void CheckHover();
// Starts the hover time again from the pointer at `at`.
void RestartHover(DWORD now, POINT at);

// Non-client (NonClient.cpp)
LRESULT DefNcCalcSize(const WindowPtr& w, bool calcValid, LPARAM lParam);
LRESULT DefNcHitTest(const WindowPtr& w, POINT screen);
void DrawNonClient(const WindowPtr& w, HDC dc);  // dc: window coordinates
struct NcLayout {
  RECT client, caption, menu, vscroll, hscroll, sizeBox;  // window coordinates; empty when absent
  RECT sysIcon, minBox, maxBox, closeBox;                 // in the caption, with WS_SYSMENU
  int frame = 0;                                          // width of the sizing or fixed frame
};
NcLayout ComputeNcLayout(const Window& w, int width, int height);
// The layout of a window as it stands: its bars beside the client area its
// WM_NCCALCSIZE answered.
NcLayout WindowNcLayout(const Window& w);
// Caption buttons (CaptionButtons.cpp). Tracking runs a modal loop until the
// button is released; false when `hit` is no enabled caption button.
void DrawCaptionButtons(const Window& w, HDC dc, const NcLayout& l);
bool TrackCaptionButton(HWND hwnd, LRESULT hit);
// Draws the caption bar alone, now, in the colours of w->ncActive.
void RedrawCaption(const WindowPtr& w);
// The move and size loop (SizeMove.cpp): `command` is the WM_SYSCOMMAND
// wParam (SC_MOVE/SC_SIZE with its low bits), `pt` the screen point.
void RunSizeMoveLoop(HWND hwnd, WPARAM command, POINT pt);
// A press on the caption or a sizing border starts the loop; false for other hit codes.
bool StartFrameDrag(HWND hwnd, LRESULT hit, LPARAM pos);
// The window manager's own classes (the MDI client) are registered when a
// window of them is first made; true when `name` is one of them.
bool RegisterBuiltInClass(LPCWSTR name);
// Where a minimised MDI child goes: the next free place along the bottom of its client.
RECT MdiIconicRect(const WindowPtr& child);
// The maximised MDI child whose title the frame's caption shows, or null.
HWND MdiMaximizedChildOfFrame(HWND frame);
// When the user moves a window (the desktop, the move loop), its popups
// without a frame (hints, menus, drop-downs) move along by the same amount.
void MoveOwnedPopups(HWND owner, int dx, int dy);
// Scroll bars (ScrollBar.cpp)
void DrawScrollBar(const WindowPtr& w, HDC dc, int bar, const RECT& r);
void ScrollBarTrack(HWND hwnd, int bar, LRESULT hit, POINT screen);

}  // namespace qv::wm
