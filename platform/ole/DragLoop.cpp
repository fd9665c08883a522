// The modal drag loop. A hidden window holds the mouse capture so that every
// mouse message of the drag comes here wherever the pointer is; input is
// consumed by the loop, everything else (paints, timers, sent messages) is
// dispatched as usual so the windows keep drawing under the drag. Where the
// desktop shows another program's window on top under the pointer, or none
// of ours, the backend carries the drag on to other programs' drop targets;
// a drop there is waited for with the windows still served. The backend has
// the drag's offer from its start: it makes the text while the windows are
// idle, so that a drop released promptly on another program finds it made.
#include <functional>
#include <optional>
#include <utility>

#include "platform/backend/Backend.h"
#include "platform/ole/DragDrop.h"
#include "platform/ole/DragOffer.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"

namespace qv {
namespace {

constexpr UINT kTickMs = 50;  // DragOver repeats this often while the mouse rests
constexpr uintptr_t kTickTimer = 1;
const char16_t* const kTrackerClass = u"QvDragTracker";

LRESULT TrackerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SETCURSOR) return TRUE;  // the loop chooses the cursor
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateTracker() {
  static const ATOM registered = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = TrackerProc;
    wc.lpszClassName = kTrackerClass;
    return RegisterClassExW(&wc);
  }();
  if (!registered) return nullptr;
  return CreateWindowExW(WS_EX_TOOLWINDOW, kTrackerClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         nullptr, nullptr);
}

DWORD CurrentKeyState() {
  auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
  DWORD keys = 0;
  if (down(VK_LBUTTON)) keys |= MK_LBUTTON;
  if (down(VK_RBUTTON)) keys |= MK_RBUTTON;
  if (down(VK_MBUTTON)) keys |= MK_MBUTTON;
  if (down(VK_SHIFT)) keys |= MK_SHIFT;
  if (down(VK_CONTROL)) keys |= MK_CONTROL;
  if (down(VK_MENU)) keys |= MK_ALT;
  return keys;
}

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

// The buttons and keys as they were when the mouse message came. The key
// state may be ahead of it: a look further down the queue (for the moves
// that queued up) takes in a release that comes after this message.
DWORD KeysOf(const MSG& m) {
  constexpr DWORD kMouseKeys = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL;
  bool client = m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST;
  DWORD keys = client ? DWORD(LOWORD(m.wParam)) & kMouseKeys : CurrentKeyState() & kMouseKeys;
  if (GetKeyState(VK_MENU) & 0x8000) keys |= MK_ALT;
  return keys;
}

bool IsKeyMessage(UINT m) {
  return m >= WM_KEYFIRST && m <= WM_KEYLAST;
}

}  // namespace

ComPtr<IDropTarget> DropTargetAt(POINT pt, HWND& window) {
  for (HWND h = WindowFromPoint(pt); h;
       h = (GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) ? GetAncestor(h, GA_PARENT) : nullptr) {
    if (auto target = RegisteredDropTarget(h)) {
      window = h;
      return target;
    }
  }
  window = nullptr;
  return {};
}

namespace {

class DragLoop {
 public:
  DragLoop(IDataObject* data, IDropSource* source, DWORD okEffects)
      : data_(data), source_(source), ok_(okEffects) {}
  ~DragLoop() { Cleanup(); }

  HRESULT Run(DWORD& effect) {
    tracker_ = CreateTracker();
    if (!tracker_) return E_OUTOFMEMORY;
    if (Backend* backend = CurrentBackend()) {
      backend->ForeignDragBegin(ok_, MakeForeignOffer(data_));
      began_ = true;
    }
    SetCapture(tracker_);
    SetTimer(tracker_, kTickTimer, kTickMs, nullptr);
    // The drag starts where the input that started it was. The cursor's
    // place may be ahead of it: input still queued (moves the drag has yet
    // to follow) has moved it already, and the drag would go there first
    // and then back through the older places.
    DWORD at = GetMessagePos();
    pt_ = POINTL{short(LOWORD(at)), short(HIWORD(at))};
    keys_ = CurrentKeyState();
    HRESULT result = S_OK;
    while (!Step(result) && Wait()) {
    }
    if (result == S_OK) result = Cancel();  // the loop ended without a decision
    effect = result == DRAGDROP_S_DROP ? effect_ : DROPEFFECT_NONE;
    Cleanup();
    return result;
  }

 private:
  // Asks the source whether to go on; true once the drag is decided.
  bool Step(HRESULT& result) {
    HRESULT hr = source_->QueryContinueDrag(escape_ ? TRUE : FALSE, keys_);
    if (hr == DRAGDROP_S_DROP) {
      // Released somewhere the drag has not been yet: the drop is where the pointer is.
      if (!tracked_ || tracked_->x != pt_.x || tracked_->y != pt_.y) Track();
      result = Drop();
      return true;
    }
    if (hr != S_OK) {
      Cancel();
      result = hr;
      return true;
    }
    Track();
    return false;
  }

  // A message of the windows, not input: the ranges leave out every kind of
  // input, so that none is routed (to the drag's capture) before its turn.
  static bool TakeNonInput(MSG& m) {
    static constexpr std::pair<UINT, UINT> kRanges[] = {{WM_NULL + 1, WM_NCMOUSEMOVE - 1},
                                                        {WM_NCMBUTTONDBLCLK + 1, WM_KEYFIRST - 1},
                                                        {WM_KEYLAST + 1, WM_MOUSEFIRST - 1},
                                                        {WM_MOUSELAST + 1, WM_MOUSELEAVE - 1},
                                                        {WM_MOUSELEAVE + 1, 0xFFFFFFFFu}};
    for (auto [first, last] : kRanges)
      if (PeekMessageW(&m, nullptr, first, last, PM_REMOVE)) return true;
    return false;
  }

  // The next message. The windows have their turn before each step: what
  // waits for them (paints, due timers, posted messages) goes before the
  // pointer's input, whose moves make one step afterwards; a few of them at
  // a time, so that windows that never stop asking cannot hold the drag up.
  // False, with nothing taken, once `over` says the wait is over: input
  // that came meanwhile is left for the windows.
  bool Next(MSG& m, const std::function<bool()>& over) {
    constexpr int kTurnsBeforeInput = 8;
    for (;;) {
      if (turns_ < kTurnsBeforeInput && TakeNonInput(m)) {
        ++turns_;
        return true;
      }
      turns_ = 0;
      if (over && over()) return false;
      if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) return true;
      WaitMessage();  // what comes meanwhile is sorted as above
    }
  }

  // Retrieves messages until one concerns the drag, or until `over` says
  // the wait is over; false when the drag must end (WM_QUIT, the capture
  // taken away, the tracker destroyed).
  bool Wait(const std::function<bool()>& over = nullptr) {
    MSG m;
    for (;;) {
      if (!Next(m, over)) return true;
      if (m.message == WM_QUIT) PostQuitMessage(int(m.wParam));  // for the outer loop
      if (m.message == WM_QUIT || !IsWindow(tracker_) || GetCapture() != tracker_) return false;
      if (IsMouseMessage(m.message)) {
        // Moves that queued up behind a slow step make one step: the drag
        // follows the pointer to where it is, not through every place it was.
        MSG next;
        while (m.message == WM_MOUSEMOVE && PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE) &&
               next.message == WM_MOUSEMOVE)
          PeekMessageW(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
        pt_ = POINTL{m.pt.x, m.pt.y};
        keys_ = KeysOf(m);
        return true;
      }
      if (IsKeyMessage(m.message)) {
        bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
        if (down && m.wParam == VK_ESCAPE) escape_ = true;
        // The buttons stay as the last mouse message had them.
        constexpr DWORD kButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
        keys_ = (keys_ & kButtons) | (CurrentKeyState() & ~kButtons);
        return true;
      }
      if (m.message == WM_TIMER && m.hwnd == tracker_) return true;
      DispatchMessageW(&m);
      if (!IsWindow(tracker_) || GetCapture() != tracker_) return false;
    }
  }

  DWORD Allowed(DWORD effect) const { return effect & (ok_ | DROPEFFECT_SCROLL); }

  // Follows the pointer: leave and enter when the target changes, else
  // DragOver; then the source's feedback.
  void Track() {
    HWND window = nullptr;
    POINT p{pt_.x, pt_.y};
    tracked_ = pt_;
    Backend* backend = CurrentBackend();
    // Another program's window on top there hides ours, whatever lies below it.
    bool theirs = backend && backend->ForeignWindowAt(p);
    ComPtr<IDropTarget> now;
    if (!theirs) now = DropTargetAt(p, window);
    if ((theirs || (!now && !WindowFromPoint(p))) && TrackForeign(p)) return Feedback();
    LeaveForeign();
    if (now.Get() != target_.Get() || window != window_) {
      Leave();
      target_ = now;
      window_ = window;
      effect_ = ok_;
      if (target_ && FAILED(target_->DragEnter(data_, keys_, pt_, &effect_))) {
        target_.Reset();  // a refusing target is no target
        window_ = nullptr;
      }
    } else if (target_) {
      effect_ = ok_;
      if (FAILED(target_->DragOver(keys_, pt_, &effect_))) effect_ = DROPEFFECT_NONE;
    }
    effect_ = target_ ? Allowed(effect_) : DROPEFFECT_NONE;
    Feedback();
  }

  void Feedback() {
    if (source_->GiveFeedback(effect_) == DRAGDROP_S_USEDEFAULTCURSORS)
      SetCursor(LoadCursorW(nullptr, (effect_ & ~DROPEFFECT_SCROLL) ? IDC_ARROW : IDC_NO));
  }

  // Another program's window under the pointer: true while the backend
  // reports a drop target of its there.
  bool TrackForeign(POINT p) {
    Backend* backend = CurrentBackend();
    if (!backend) return false;
    Leave();
    DWORD effect = DROPEFFECT_NONE;
    foreign_ = backend->ForeignDragOver(p, ok_, keys_, effect);
    effect_ = foreign_ ? Allowed(effect) & ~DROPEFFECT_SCROLL : DROPEFFECT_NONE;
    return foreign_;
  }

  void LeaveForeign() {
    if (!foreign_) return;
    foreign_ = false;
    if (Backend* backend = CurrentBackend()) backend->ForeignDragLeave();
  }

  // Every DragEnter is balanced by DragLeave or Drop, even when the target's
  // window died meanwhile, so that the target lets go of the data object.
  void Leave() {
    if (auto t = std::move(target_)) t->DragLeave();
    window_ = nullptr;
    effect_ = DROPEFFECT_NONE;
  }

  HRESULT Cancel() {
    Leave();
    LeaveForeign();
    return DRAGDROP_S_CANCEL;
  }

  HRESULT Drop() {
    if (foreign_) {
      foreign_ = false;
      effect_ = Allowed(ForeignDrop()) & ~DROPEFFECT_SCROLL;
      return effect_ ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
    }
    if (!target_ || !(effect_ & ~DROPEFFECT_SCROLL)) return Cancel();
    ComPtr<IDropTarget> t = std::move(target_);
    window_ = nullptr;
    DWORD effect = ok_;
    HRESULT hr = t->Drop(data_, keys_, pt_, &effect);
    effect_ = Allowed(effect) & ~DROPEFFECT_SCROLL;
    if (FAILED(hr)) effect_ = DROPEFFECT_NONE;
    return effect_ ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
  }

  // The other program takes the data (in pieces, when it is large) while
  // our windows go on painting; input meanwhile belongs to the ended drag.
  DWORD ForeignDrop() {
    Backend* backend = CurrentBackend();
    DWORD effect = DROPEFFECT_NONE;
    if (!backend || !backend->ForeignDrop()) return DROPEFFECT_NONE;
    // The answer is looked for before input is taken: a press right after a
    // drop that ended (a target that quit) starts what it starts.
    auto over = [&] { return backend->ForeignDropResult(effect); };
    while (!over())
      if (!Wait(over)) return DROPEFFECT_NONE;
    return effect;
  }

  void Cleanup() {
    LeaveForeign();
    if (began_) {
      began_ = false;
      if (Backend* backend = CurrentBackend()) backend->ForeignDragEnd();
    }
    if (!tracker_) return;
    if (IsWindow(tracker_)) {
      KillTimer(tracker_, kTickTimer);
      if (GetCapture() == tracker_) ReleaseCapture();
      DestroyWindow(tracker_);
    }
    tracker_ = nullptr;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  }

  IDataObject* data_;
  IDropSource* source_;
  DWORD ok_;
  HWND tracker_ = nullptr;
  HWND window_ = nullptr;
  ComPtr<IDropTarget> target_;
  DWORD effect_ = DROPEFFECT_NONE;
  POINTL pt_;
  DWORD keys_ = 0;
  std::optional<POINTL> tracked_;  // where the last step followed the pointer to
  bool escape_ = false;
  int turns_ = 0;         // the windows' messages taken before the next input
  bool foreign_ = false;  // the backend has a foreign target under the pointer
  bool began_ = false;    // the backend was told the drag began
};

thread_local bool dragging = false;

}  // namespace

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
  if (effect) *effect = DROPEFFECT_NONE;
  if (!data || !source || !effect) return E_INVALIDARG;
  if (dragging) return E_UNEXPECTED;  // one drag at a time
  dragging = true;
  // The objects stay alive for the whole drag whatever the callbacks release.
  ComPtr<IDataObject> holdData(data);
  ComPtr<IDropSource> holdSource(source);
  HRESULT hr;
  try {
    DragLoop loop(data, source, okEffects);
    hr = loop.Run(*effect);
  } catch (...) {
    hr = E_UNEXPECTED;
  }
  dragging = false;
  return hr;
}

}  // namespace qv
