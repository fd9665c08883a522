// The one reader of a selection another program owns (the clipboard,
// PRIMARY, a drop's data): a request goes out through a requestor window of
// the read's own, and the answer is taken as its events come, in one piece
// or in pieces (INCR), while the loop goes on. The owner's window is
// watched: when it is destroyed (its program ended or was killed) the read
// ends at once, without data, also in the middle of a transfer in pieces.
// An owner silent for kOwnerPatience ends it too; the reads that wait
// (X11ReadWait.cpp) and the pastes (X11PasteRead.cpp) are reads of this one.
#include <X11/Xatom.h>

#include <algorithm>
#include <climits>
#include <string>

#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// Reads at once: beyond it the oldest goes (ended as failed when it was not over).
constexpr size_t kMostReads = 24;

auto Find(Connection& c, unsigned id) {
  return std::find_if(c.selectionReads.begin(), c.selectionReads.end(),
                      [id](const std::unique_ptr<SelectionRead>& r) { return r->id == id; });
}

// The read under way that asks through `requestor`, if any.
SelectionRead* ReadOf(Connection& c, Window requestor) {
  for (auto& r : c.selectionReads)
    if (!r->ended && r->requestor == requestor) return r.get();
  return nullptr;
}

bool Ours(const Connection& c, Window w) {
  return w == c.utility || c.byXid.count(w) || IsRequestor(c, w);
}

// Asks for the first type left, in one piece or in pieces as the owner chooses.
void Ask(Connection& c, SelectionRead& r) {
  r.pieces = false;
  r.pieceType = None;
  r.pieceFormat = 0;
  r.bytes.clear();
  XConvertSelection(c.dpy, r.selection, r.types.front(), c.atoms.selection, r.requestor, r.time);
  XFlush(c.dpy);
  r.asked = Clock::now();
  r.deadline = r.asked + kOwnerPatience;
}

// The read is over: whoever waits for it is told, and the owner's window is
// no longer followed for it. `clean`: the owner's exchange with the
// requestor is over, so another read may use it.
void End(Connection& c, SelectionRead& r, ReadEnd end, bool clean) {
  r.ended = true;
  r.end = end;
  if (end != ReadEnd::Data) r.bytes.clear();
  clean ? FreeRequestor(c, r.requestor) : RetireRequestor(c, r.requestor);
  r.requestor = 0;
  const Window owner = r.owner;
  const unsigned id = r.id;
  if (r.told && !r.told(c, r))
    if (auto it = Find(c, id); it != c.selectionReads.end()) c.selectionReads.erase(it);
  FollowWindow(c, owner);
}

// Takes (and deletes) the answer's property: false when there is none. Xlib
// gives 32-bit items as longs; they are kept so.
bool TakeProperty(Connection& c, Window w, Atom& type, int& format, std::string& bytes) {
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  type = None;
  format = 0;
  bytes.clear();
  if (XGetWindowProperty(c.dpy, w, c.atoms.selection, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                         &count, &after, &data) != Success)
    return false;
  size_t item = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
  if (data) bytes.assign(reinterpret_cast<char*>(data), count * item);
  if (data) XFree(data);
  return type != None;
}

// The owner answered `r`: it was busy, not silent, for the requests of
// ours that it had after it, whose patience runs from now.
void OwnerAnswered(Connection& c, const SelectionRead& r) {
  const auto now = Clock::now();
  for (auto& q : c.selectionReads)
    if (q.get() != &r && !q->ended && !q->pieces && q->owner == r.owner && q->asked >= r.asked)
      q->deadline = std::max(q->deadline, now + kOwnerPatience);
}

// The answer of one type did not do: the next type is asked for.
void NextType(Connection& c, SelectionRead& r) {
  r.types.erase(r.types.begin());
  if (r.types.empty()) return End(c, r, ReadEnd::Refused, true);
  Ask(c, r);
}

void Finish(Connection& c, SelectionRead& r, Atom type, int format, std::string bytes) {
  if (r.text) {
    if (format != 8 || !DecodeText(c, type, bytes, r.decoded)) return NextType(c, r);
  } else {
    r.type = type;
    r.format = format;
    r.bytes = std::move(bytes);
  }
  End(c, r, ReadEnd::Data, true);
}

void Answered(Connection& c, SelectionRead& r, Atom property) {
  OwnerAnswered(c, r);
  if (property == None) return NextType(c, r);
  Atom type = None;
  int format = 0;
  std::string bytes;
  if (!TakeProperty(c, r.requestor, type, format, bytes)) return NextType(c, r);
  if (type == c.dnd.incr) {
    // Our deletion of the property asks for the first piece.
    r.pieces = true;
    r.deadline = Clock::now() + kOwnerPatience;
    return;
  }
  Finish(c, r, type, format, std::move(bytes));
}

void Piece(Connection& c, SelectionRead& r) {
  Atom type = None;
  int format = 0;
  std::string piece;
  if (!TakeProperty(c, r.requestor, type, format, piece)) return;  // already taken
  OwnerAnswered(c, r);
  if (piece.empty())
    return Finish(c, r, r.pieceType != None ? r.pieceType : r.types.front(),
                  r.pieceFormat ? r.pieceFormat : 8, std::move(r.bytes));
  if (r.pieceType == None) r.pieceType = type, r.pieceFormat = format;
  r.bytes += piece;
  r.deadline = Clock::now() + kOwnerPatience;
}

// Ends the read `id` as failed, unless it ended meanwhile: an answer may still come.
void Fail(Connection& c, unsigned id) {
  if (SelectionRead* r = FindRead(c, id); r && !r->ended) End(c, *r, ReadEnd::Failed, false);
}

// Makes room for one more read: the oldest ended one goes, else the oldest.
void MakeRoom(Connection& c) {
  auto& reads = c.selectionReads;
  auto it = std::find_if(reads.begin(), reads.end(), [](const auto& r) { return r->ended; });
  if (it == reads.end()) {
    const unsigned id = reads.front()->id;
    Fail(c, id);  // its waiter is told, and takes nothing
    it = Find(c, id);
  }
  if (it != reads.end()) reads.erase(it);
}

}  // namespace

unsigned BeginRead(Connection& c, SelectionRead read) {
  if (read.types.empty()) return 0;
  read.owner = XGetSelectionOwner(c.dpy, read.selection);
  if (read.owner == None) return 0;
  while (c.selectionReads.size() >= kMostReads) MakeRoom(c);
  if (++c.lastRead == 0) ++c.lastRead;  // 0 says "no read"
  read.id = c.lastRead;
  read.ended = false;
  read.requestor = TakeRequestor(c);
  read.check = Clock::now() + kOwnerCheck;
  c.selectionReads.push_back(std::make_unique<SelectionRead>(std::move(read)));
  SelectionRead& added = *c.selectionReads.back();
  FollowWindow(c, added.owner);
  Ask(c, added);
  return added.id;
}

SelectionRead* FindRead(Connection& c, unsigned id) {
  auto it = Find(c, id);
  return it == c.selectionReads.end() ? nullptr : it->get();
}

std::unique_ptr<SelectionRead> TakeRead(Connection& c, unsigned id) {
  auto it = Find(c, id);
  if (it == c.selectionReads.end() || !(*it)->ended) return nullptr;
  std::unique_ptr<SelectionRead> r = std::move(*it);
  c.selectionReads.erase(it);
  return r;
}

void CancelRead(Connection& c, unsigned id) {
  auto it = Find(c, id);
  if (it == c.selectionReads.end()) return;
  std::unique_ptr<SelectionRead> r = std::move(*it);
  c.selectionReads.erase(it);
  if (r->ended) return;
  RetireRequestor(c, r->requestor);
  FollowWindow(c, r->owner);
}

bool NoteReadEvent(Connection& c, const XEvent& ev) {
  switch (ev.type) {
    case SelectionNotify: {
      const XSelectionEvent& s = ev.xselection;
      SelectionRead* r = ReadOf(c, s.requestor);
      if (!r) return NoteIdleRequestorEvent(c, ev);
      // Only the answer to the request now out counts.
      if (!r->pieces && s.selection == r->selection && s.target == r->types.front() &&
          (s.property == None || s.property == c.atoms.selection))
        Answered(c, *r, s.property);
      return true;
    }
    case PropertyNotify: {
      const XPropertyEvent& p = ev.xproperty;
      if (p.state != PropertyNewValue) return false;  // our deletions move our own transfers on
      SelectionRead* r = ReadOf(c, p.window);
      if (!r) return NoteIdleRequestorEvent(c, ev);
      if (r->pieces && p.atom == c.atoms.selection) Piece(c, *r);
      return true;
    }
    case DestroyNotify: {
      std::vector<unsigned> gone;
      for (auto& r : c.selectionReads)
        if (!r->ended && r->owner == ev.xdestroywindow.window) gone.push_back(r->id);
      for (unsigned id : gone) Fail(c, id);
      return false;  // others may follow that window too
    }
  }
  return false;
}

void ReadsDue(Connection& c) {
  const auto now = Clock::now();
  std::vector<unsigned> due;
  for (auto& r : c.selectionReads) {
    if (r->ended) continue;
    if (now >= r->deadline) {
      due.push_back(r->id);
    } else if (now >= r->check) {
      r->check = now + kOwnerCheck;
      XWindowAttributes wa;
      if (!Ours(c, r->owner) && !XGetWindowAttributes(c.dpy, r->owner, &wa)) due.push_back(r->id);
    }
  }
  for (unsigned id : due) Fail(c, id);
  RequestorsDue(c);
}

int ReadWait(const Connection& c) {
  const auto now = Clock::now();
  long wait = -1;
  for (const auto& r : c.selectionReads) {
    if (r->ended) continue;
    auto next = std::min(r->deadline, r->check);
    long ms = std::max<long>(
        0, long(std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count()) + 1);
    wait = wait < 0 ? ms : std::min(wait, ms);
  }
  return int(std::min<long>(wait, INT_MAX));
}

bool ReadFollows(const Connection& c, Window w) {
  return std::any_of(c.selectionReads.begin(), c.selectionReads.end(),
                     [w](const auto& r) { return !r->ended && r->owner == w; });
}

}  // namespace qv::x11
