// The pastes under way, one per window, and the backend that reads them.
#include "platform/ole/PasteText.h"

#include <map>
#include <mutex>

#include "platform/backend/Backend.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/ClipboardStore.h"
#include "platform/ole/PrimarySelection.h"
#include "platform/window/MessageQueue.h"

namespace qv {
namespace {

struct Pastes {
  std::mutex lock;
  std::map<HWND, unsigned> reads;  // each window's paste under way
};

Pastes& P() {
  static Pastes* p = new Pastes;  // never destroyed: windows may go late at exit
  return *p;
}

// The window's read, no longer under way; 0 when it had none.
unsigned Forget(HWND window) {
  std::lock_guard<std::mutex> l(P().lock);
  auto it = P().reads.find(window);
  if (it == P().reads.end()) return 0;
  unsigned id = it->second;
  P().reads.erase(it);
  return id;
}

}  // namespace

unsigned BeginPasteText(PasteSource from, HWND window, std::u16string& text) {
  CancelPasteText(window);
  text.clear();
  Backend* backend = CurrentBackend();
  const bool clipboard = from == PasteSource::Clipboard;
  // Our copy taken by another program since is never pasted again.
  if (clipboard) clip::DropIfTaken();
  unsigned id = 0;
  if (backend)
    id = backend->BeginTextRead(clipboard ? DesktopSelection::Clipboard : DesktopSelection::Primary, window,
                                WM_PASTETEXT);
  if (!id) {
    text = clipboard ? GetClipboardTextW() : GetPrimarySelectionText();
    return 0;
  }
  {
    std::lock_guard<std::mutex> l(P().lock);
    P().reads[window] = id;
  }
  // The keys pressed after the paste act after its text, as had it come at
  // once: they go on once the window has handled the paste's end, the text
  // in (typed through a mask, its changes told), not while it goes in.
  HoldKeys(window, WM_PASTETEXT, WPARAM(id));
  return id;
}

std::optional<std::u16string> EndPasteText(HWND window, WPARAM id) {
  {
    std::lock_guard<std::mutex> l(P().lock);
    auto it = P().reads.find(window);
    // A paste replaced was given up: its text, if it came, was dropped.
    if (it == P().reads.end() || WPARAM(it->second) != id) return std::nullopt;
    P().reads.erase(it);
  }
  Backend* backend = CurrentBackend();
  return backend ? backend->TakeTextRead(unsigned(id)) : std::nullopt;
}

void CancelPasteText(HWND window) {
  unsigned id = Forget(window);
  if (id) ReleaseKeys(window);
  if (Backend* backend = CurrentBackend(); id && backend) backend->CancelTextRead(id);
}

}  // namespace qv
