// Keys that wait behind a paste. The class library's controls were written
// for a clipboard whose text is in before the next key is read; ours comes
// from another program later, without holding the window. So that the
// user's keys still act in the order they were pressed (Enter searches the
// pasted text, Ctrl+Z undoes the paste, a second Ctrl+V pastes again, typed
// keys go in after the text), a window's keys stay in the queue, in their
// order, while its paste is on its way, and retrieval passes over them; every
// other message goes on. A held key keeps the keyboard it was pressed with
// (Shift, Ctrl, Caps Lock), which the program reads while it handles it: the
// keys pressed since have moved the live state on.
#include <cstring>

#include "platform/window/MessageQueue.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

constexpr UINT WM_DEADCHAR = 0x0103;

// Only the keys a control takes as text or editing wait. The system keys
// (WM_SYSKEYDOWN and friends: anything with Alt, F10, Alt alone) never go
// into the text; they open the menus, choose their items and close the
// window (Alt+F4), which must answer at once however long another program
// takes.
bool WaitsBehindPaste(UINT msg) {
  return msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR || msg == WM_DEADCHAR;
}

}  // namespace

void NoteRoutedKey(QueuedItem& item) {
  if (!WaitsBehindPaste(item.msg.message)) return;
  Window* w = Find(item.msg.hwnd);
  if (!w || w->dead || !w->keysHeld) return;
  // A loop that tracks the mouse (a menu, also the edit's own context menu,
  // a move, a drag, a scroll bar) has the capture and reads the keys itself:
  // they are its own, not the text's, and act at once.
  if (S().capture) return;
  KeyboardState keys;
  std::memcpy(keys.data(), S().keys, keys.size());
  item.pressed = keys;
}

bool IsHeldKey(const QueuedItem& item) {
  if (!item.pressed) return false;
  Window* w = Find(item.msg.hwnd);
  return w && !w->dead && w->keysHeld;
}

void EndHoldAfter(const MSG& msg) {
  HWND hwnd = nullptr;
  {
    Lock l(S().lock);
    Window* w = Find(msg.hwnd);
    if (!w || !w->keysHeld || w->keysHeldUntil != msg.message || w->keysHeldId != msg.wParam) return;
    hwnd = msg.hwnd;
  }
  ReleaseKeys(hwnd);
}

const BYTE* SeenKeys() {
  return S().keysAsPressed ? S().keysAsPressed->data() : S().keys;
}

}  // namespace wm

void HoldKeys(HWND hwnd, UINT until, WPARAM id) {
  wm::Lock l(wm::S().lock);
  if (wm::Window* w = wm::Find(hwnd)) w->keysHeld = true, w->keysHeldUntil = until, w->keysHeldId = id;
}

void ReleaseKeys(HWND hwnd) {
  std::shared_ptr<wm::ThreadQueue> q;
  {
    wm::Lock l(wm::S().lock);
    wm::Window* w = wm::Find(hwnd);
    if (!w || !w->keysHeld) return;
    w->keysHeld = false;
    q = w->queue;
  }
  // A loop waiting for a message finds the keys now.
  if (q) wm::Signal(*q);
}

}  // namespace qv
