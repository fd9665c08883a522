// A paste's read of another program's selection (the CLIPBOARD for Ctrl+V,
// PRIMARY for a middle click) that never holds our windows: a read of the
// one reader (X11SelectionRead.cpp) whose end is posted to the window that
// pasted, with the text or without: a refusal of every text type, the
// owner's window gone, or the owner silent for as long as any read waits.
#include "platform/backend/X11Connection.h"
#include "platform/window/MessageQueue.h"

namespace qv::x11 {

unsigned BeginPasteRead(Connection& c, Atom selection, HWND notify, UINT message) {
  Window owner = XGetSelectionOwner(c.dpy, selection);
  if (owner == None || owner == c.utility || c.FindX(owner)) return 0;
  SelectionRead read;
  read.selection = selection;
  // The CLIPBOARD's owner is asked only for the types it said it offers.
  read.types = selection == c.atoms.clipboard ? ClipboardTextTypes(c) : ReadableTextTypes(c);
  read.time = c.lastTime;  // the key or the click that pasted
  read.text = true;
  // A window gone takes nothing.
  read.told = [notify, message](Connection& x, SelectionRead& r) {
    if (!PostMessageW(notify, message, WPARAM(r.id), 0)) return false;
    x.injected = true;
    return true;
  };
  return BeginRead(c, std::move(read));
}

std::optional<std::u16string> TakePasteRead(Connection& c, unsigned id) {
  std::unique_ptr<SelectionRead> r = TakeRead(c, id);
  if (!r || r->end != ReadEnd::Data) return std::nullopt;
  return std::move(r->decoded);
}

void CancelPasteRead(Connection& c, unsigned id) {
  CancelRead(c, id);
}

}  // namespace qv::x11
