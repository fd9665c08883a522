// A paste's read of another program's selection (the CLIPBOARD for Ctrl+V,
// PRIMARY for a middle click) that never holds our windows: the request
// goes out, the loop goes on with input, painting, menus and closes, and
// the answer is taken as its events come, in one piece or in pieces
// (INCR). The window that pasted is told when the read ends, with the text
// or without: a refusal of every text type, the owner's window gone, or
// the owner silent for as long as any read waits (kOwnerPatience, for the
// answer and then for each piece).
#include <X11/Xatom.h>

#include <algorithm>
#include <climits>
#include <string>

#include "platform/backend/X11Connection.h"
#include "platform/window/MessageQueue.h"

namespace qv::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// Reads under way at once: beyond it the oldest given up is forgotten, or
// else the oldest ended, its window told.
constexpr size_t kMostReads = 16;

// A read that ends before its owner answered: the owner may still answer
// into its property, so that property is never handed to a newer read.
void RetireProperty(Connection& c, Atom property) {
  std::erase(c.pasteProperties, property);
}

Atom FreeProperty(Connection& c) {
  for (Atom a : c.pasteProperties)
    if (std::none_of(c.pasteReads.begin(), c.pasteReads.end(),
                     [a](const PasteRead& r) { return !r.ended && r.property == a; }))
      return a;
  std::string name = "QV_PASTE_" + std::to_string(++c.pastePropertiesMade);
  c.pasteProperties.push_back(XInternAtom(c.dpy, name.c_str(), False));
  return c.pasteProperties.back();
}

// Asks for the first type left, in one piece or in pieces as the owner chooses.
void Ask(Connection& c, PasteRead& r) {
  r.pieces = false;
  r.pieceType = None;
  r.bytes.clear();
  XDeleteProperty(c.dpy, c.utility, r.property);
  XConvertSelection(c.dpy, r.selection, r.types.front(), r.property, c.utility, CurrentTime);
  XFlush(c.dpy);
  r.deadline = Clock::now() + kOwnerPatience;
}

std::vector<PasteRead>::iterator Find(Connection& c, unsigned id) {
  return std::find_if(c.pasteReads.begin(), c.pasteReads.end(),
                      [id](const PasteRead& r) { return r.id == id; });
}

// The read is over: the window that pasted is told (a window gone takes
// nothing), and the owner's window is no longer followed for it.
void End(Connection& c, PasteRead& r, std::optional<std::u16string> text) {
  r.ended = true;
  r.text = std::move(text);
  r.bytes.clear();
  const Window owner = r.owner;
  const unsigned id = r.id;
  if (r.givenUp || !PostMessageW(r.notify, r.message, WPARAM(id), 0))
    c.pasteReads.erase(Find(c, id));
  else
    c.injected = true;
  FollowWindow(c, owner);
}

// Takes (and deletes) our property: false when there is none.
bool TakeProperty(Connection& c, Atom property, Atom& type, int& format, std::string& bytes) {
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  type = None;
  format = 0;
  bytes.clear();
  if (XGetWindowProperty(c.dpy, c.utility, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                         &count, &after, &data) != Success)
    return false;
  if (data && format == 8) bytes.assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return type != None;
}

// The answer of one type did not bring text: the next type is asked for.
void NextType(Connection& c, PasteRead& r) {
  r.types.erase(r.types.begin());
  if (r.types.empty()) return End(c, r, std::nullopt);
  Ask(c, r);
}

void Finish(Connection& c, PasteRead& r, Atom type, const std::string& bytes) {
  std::u16string text;
  if (DecodeText(c, type, bytes, text)) return End(c, r, std::move(text));
  NextType(c, r);
}

void Answered(Connection& c, PasteRead& r, Atom property) {
  if (property == None) return NextType(c, r);
  Atom type = None;
  int format = 0;
  std::string bytes;
  if (!TakeProperty(c, r.property, type, format, bytes)) return NextType(c, r);
  if (type == c.dnd.incr) {
    // Our deletion of the property asks for the first piece.
    r.pieces = true;
    r.pieceType = None;
    r.deadline = Clock::now() + kOwnerPatience;
    return;
  }
  if (format != 8) return NextType(c, r);
  Finish(c, r, type, bytes);
}

void Piece(Connection& c, PasteRead& r) {
  Atom type = None;
  int format = 0;
  std::string piece;
  if (!TakeProperty(c, r.property, type, format, piece)) return;  // already taken
  if (piece.empty()) return Finish(c, r, r.pieceType != None ? r.pieceType : r.types.front(), r.bytes);
  if (r.pieceType == None) r.pieceType = type;
  r.bytes += piece;
  r.deadline = Clock::now() + kOwnerPatience;
}

}  // namespace

unsigned BeginPasteRead(Connection& c, Atom selection, HWND notify, UINT message) {
  Window owner = XGetSelectionOwner(c.dpy, selection);
  if (owner == None || owner == c.utility || c.FindX(owner)) return 0;
  if (c.pasteReads.size() >= kMostReads) {
    auto old =
        std::find_if(c.pasteReads.begin(), c.pasteReads.end(), [](const PasteRead& r) { return r.givenUp; });
    if (old == c.pasteReads.end()) {
      old = c.pasteReads.begin();
      if (!old->ended) {
        old->givenUp = true;  // its window is told below, and takes nothing
        PostMessageW(old->notify, old->message, WPARAM(old->id), 0);
      }
    }
    if (!old->ended) RetireProperty(c, old->property);
    const Window followed = old->owner;
    c.pasteReads.erase(old);
    FollowWindow(c, followed);
  }
  PasteRead r;
  if (++c.lastPasteRead == 0) ++c.lastPasteRead;  // 0 says "no read"
  r.id = c.lastPasteRead;
  r.notify = notify;
  r.message = message;
  r.selection = selection;
  r.property = FreeProperty(c);
  // The CLIPBOARD's owner is asked only for the types it said it offers.
  r.types = selection == c.atoms.clipboard ? ClipboardTextTypes(c) : ReadableTextTypes(c);
  r.owner = owner;
  r.check = Clock::now() + kOwnerCheck;
  if (r.types.empty()) return 0;
  c.pasteReads.push_back(std::move(r));
  PasteRead& added = c.pasteReads.back();
  FollowWindow(c, owner);
  Ask(c, added);
  return added.id;
}

std::optional<std::u16string> TakePasteRead(Connection& c, unsigned id) {
  auto it = Find(c, id);
  if (it == c.pasteReads.end() || !it->ended) return std::nullopt;
  std::optional<std::u16string> text = std::move(it->text);
  c.pasteReads.erase(it);
  return text;
}

void CancelPasteRead(Connection& c, unsigned id) {
  auto it = Find(c, id);
  if (it == c.pasteReads.end()) return;
  if (it->ended)
    c.pasteReads.erase(it);
  else
    it->givenUp = true;
}

bool NotePasteReadEvent(Connection& c, const XEvent& ev) {
  if (c.pasteReads.empty()) return false;
  switch (ev.type) {
    case SelectionNotify: {
      const XSelectionEvent& s = ev.xselection;
      if (s.requestor != c.utility) return false;
      // A refusal names no property: the oldest read that asked this is it.
      for (PasteRead& r : c.pasteReads)
        if (!r.ended && !r.pieces && r.selection == s.selection && r.types.front() == s.target &&
            (s.property == None || s.property == r.property)) {
          Answered(c, r, s.property);
          return true;
        }
      return false;
    }
    case PropertyNotify: {
      const XPropertyEvent& p = ev.xproperty;
      if (p.window != c.utility) return false;
      for (PasteRead& r : c.pasteReads)
        if (!r.ended && r.property == p.atom) {
          if (r.pieces && p.state == PropertyNewValue) Piece(c, r);
          return true;
        }
      return false;
    }
    case DestroyNotify:
      for (size_t i = 0; i < c.pasteReads.size();) {
        PasteRead& r = c.pasteReads[i];
        size_t before = c.pasteReads.size();
        if (!r.ended && r.owner == ev.xdestroywindow.window) End(c, r, std::nullopt);
        if (c.pasteReads.size() == before) ++i;
      }
      return false;  // others may follow that window too
  }
  return false;
}

void PasteReadsDue(Connection& c) {
  const auto now = Clock::now();
  for (size_t i = 0; i < c.pasteReads.size();) {
    PasteRead& r = c.pasteReads[i];
    size_t before = c.pasteReads.size();
    if (!r.ended) {
      XWindowAttributes wa;
      if (now >= r.deadline) {
        RetireProperty(c, r.property);
        End(c, r, std::nullopt);
      } else if (now >= r.check) {
        r.check = now + kOwnerCheck;
        if (!XGetWindowAttributes(c.dpy, r.owner, &wa)) End(c, r, std::nullopt);
      }
    }
    if (c.pasteReads.size() == before) ++i;
  }
}

int PasteReadWait(const Connection& c) {
  const auto now = Clock::now();
  long wait = -1;
  for (const PasteRead& r : c.pasteReads) {
    if (r.ended) continue;
    auto next = std::min(r.deadline, r.check);
    long ms = std::max<long>(
        0, long(std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count()) + 1);
    wait = wait < 0 ? ms : std::min(wait, ms);
  }
  return int(std::min<long>(wait, INT_MAX));
}

bool PasteReadFollows(const Connection& c, Window w) {
  return std::any_of(c.pasteReads.begin(), c.pasteReads.end(),
                     [w](const PasteRead& r) { return !r.ended && r.owner == w; });
}

}  // namespace qv::x11
