// Our selection data larger than one property, sent by the incremental
// transfer of the selection protocol (INCR). The requestor's
// property first holds INCR and a lower bound of the size; each time the
// requestor deletes it the next piece is put, in one property change, and an
// empty piece ends it. The pieces come from the text the copy or the drag
// made once for every request; it is made ahead while the windows are idle,
// so a piece costs the requestor no waiting. A new request from the same
// window and property replaces a transfer that is still open (its reader
// gave up), and one whose window went or that waits longer than any toolkit
// does is dropped. (Pieces coming in are read in X11SelectionRead.cpp.)
#include <X11/Xatom.h>

#include <algorithm>
#include <climits>

#include "platform/Utf.h"
#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

using Clock = std::chrono::steady_clock;

// A transfer whose requestor stopped taking pieces is dropped after this:
// longer than the toolkits wait for a piece before they give up.
constexpr auto kIdleLimit = std::chrono::seconds(10);
// The text made ahead of the transfers, a step at a time.
constexpr size_t kAheadStep = 64 * 1024;

bool Watched(const Connection& c, Window w) {
  return std::any_of(c.transfers.begin(), c.transfers.end(),
                     [w](const OutgoingTransfer& t) { return t.requestor == w; });
}

void Erase(Connection& c, std::vector<OutgoingTransfer>::iterator it, bool windowGone = false) {
  Window w = it->requestor;
  c.transfers.erase(it);
  if (!windowGone && !Watched(c, w)) FollowWindow(c, w);
}

void DropIdle(Connection& c) {
  auto now = Clock::now();
  for (size_t i = 0; i < c.transfers.size();) {
    if (now - c.transfers[i].lastActivity > kIdleLimit)
      Erase(c, c.transfers.begin() + long(i));
    else
      ++i;
  }
}

// Puts the next piece in one property change; true when that was the empty
// piece, which ends the transfer. A Latin-1 piece never splits a character.
bool PutPiece(Connection& c, OutgoingTransfer& t) {
  size_t limit = PieceBytes(c.dpy);
  size_t size = t.text->Reach(t.at + limit + 1);
  size_t n = std::min(limit, size - t.at);
  if (t.latin1)
    while (n > 0 && t.at + n < size && (static_cast<unsigned char>(t.text->At(t.at + n)) & 0xC0) == 0x80) --n;
  std::string piece;
  piece.reserve(n);
  t.text->CopyOut(t.at, n, piece);
  if (t.latin1) piece = Utf8ToLatin1(piece);
  t.putSerial = NextRequest(c.dpy);
  XChangeProperty(c.dpy, t.requestor, t.property, t.type, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(piece.data()), int(piece.size()));
  t.at += n;
  t.lastActivity = Clock::now();
  return n == 0;
}

// Puts the next piece when it is made, in `budget` at most; otherwise the
// transfer waits for the idle steps to make it. True when the transfer ended.
bool PutNext(Connection& c, std::vector<OutgoingTransfer>::iterator it, std::chrono::milliseconds budget) {
  size_t end = it->at + PieceBytes(c.dpy) + 1;
  it->text->Reach(end, Clock::now() + budget);
  it->waiting = !it->text->Reached(end);
  if (it->waiting) return false;
  if (!PutPiece(c, *it)) return false;
  // The empty piece went out: the requestor has it all.
  std::function<void()> done = std::move(it->done);
  Erase(c, it);
  if (done) done();
  return true;
}

// Puts the pieces requestors wait for that the idle steps have made; true
// when one went out.
bool PutMade(Connection& c) {
  bool put = false;
  for (size_t i = 0; i < c.transfers.size(); ++i) {
    OutgoingTransfer& t = c.transfers[i];
    if (!t.waiting || !t.text->Reached(t.at + PieceBytes(c.dpy) + 1)) continue;
    put = true;
    if (PutNext(c, c.transfers.begin() + long(i), std::chrono::milliseconds(0)))
      i = size_t(-1);  // its end may have ended others: look again from the start
  }
  return put;
}

}  // namespace

void FollowWindow(Connection& c, Window w) {
  // Our own windows report these always.
  if (!w || w == c.utility || c.FindX(w) || IsRequestor(c, w)) return;
  long mask = NoEventMask;
  if (Watched(c, w)) mask |= PropertyChangeMask | StructureNotifyMask;
  if (w == c.dragOut.followed) mask |= StructureNotifyMask;
  if (ReadFollows(c, w)) mask |= StructureNotifyMask;
  XSelectInput(c.dpy, w, mask);
}

size_t PieceBytes(Display* dpy) {
  // A megabyte, as much as an answer puts in one property: each piece costs
  // the requestor, the server and us a round of wake-ups, which a quarter of
  // that made most of a large transfer's time; one still goes out at once.
  return std::min<size_t>(MaxPropertyBytes(dpy), 1024 * 1024);
}

std::string Utf8ToLatin1(const std::string& utf8) {
  // Rows of plain ASCII are most of what goes: they are the same bytes.
  if (std::all_of(utf8.begin(), utf8.end(),
                  [](char ch) { return (static_cast<unsigned char>(ch) & 0x80) == 0; }))
    return utf8;
  std::u16string wide = Utf8ToUtf16(utf8);
  std::string out;
  out.reserve(wide.size());
  for (char16_t ch : wide) out += ch < 0x100 ? char(ch) : '?';
  return out;
}

void StartIncrTransfer(Connection& c, Window requestor, Atom property, Atom type,
                       std::shared_ptr<SharedText> text, bool latin1, bool ofDrag,
                       std::function<void()> done) {
  DropIdle(c);
  // The requestor asks again through the same property: it gave up on what
  // was still open there, and a deletion now is of the new answer.
  std::erase_if(c.transfers, [&](const OutgoingTransfer& t) {
    return t.requestor == requestor && t.property == property;
  });
  // All that is known yet is a lower bound (a Latin-1 character takes up to
  // four bytes of UTF-8).
  size_t known = latin1 ? text->Size() / 4 : text->Size();
  long size = long(std::min<size_t>(known, LONG_MAX));
  OutgoingTransfer t;
  t.requestor = requestor;
  t.property = property;
  t.type = type;
  t.text = std::move(text);
  t.latin1 = latin1;
  t.ofDrag = ofDrag;
  t.done = std::move(done);
  t.lastActivity = Clock::now();
  t.putSerial = NextRequest(c.dpy);
  XChangeProperty(c.dpy, requestor, property, c.dnd.incr, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&size), 1);
  c.transfers.push_back(std::move(t));
  FollowWindow(c, requestor);
}

void EndDragTransfers(Connection& c) {
  for (size_t i = 0; i < c.transfers.size();) {
    if (c.transfers[i].ofDrag)
      Erase(c, c.transfers.begin() + long(i));
    else
      ++i;
  }
}

void EndTransfersTo(Connection& c, Window requestor) {
  for (size_t i = 0; i < c.transfers.size();) {
    if (c.transfers[i].requestor == requestor)
      Erase(c, c.transfers.begin() + long(i), true);
    else
      ++i;
  }
}

bool HandleTransferProperty(Connection& c, const XPropertyEvent& ev) {
  if (ev.state != PropertyDelete) return false;
  auto it = std::find_if(c.transfers.begin(), c.transfers.end(), [&](const OutgoingTransfer& t) {
    return t.requestor == ev.window && t.property == ev.atom;
  });
  if (it == c.transfers.end()) return false;
  // Only a deletion the server made after it had our last piece moves the
  // transfer on: one made before was of an earlier value (the requestor
  // clearing its property, or a read it gave up), and taking it would put
  // a piece over one the requestor has not read.
  if (long(ev.serial - it->putSerial) < 0) return true;
  PutNext(c, it, kAnswerStep);
  XFlush(c.dpy);
  return true;
}

bool RenderAhead(Connection& c, std::chrono::milliseconds budget) {
  DropIdle(c);
  // Texts are kept alive by what offers them and by their transfers, which a
  // piece that goes out may end: the step ends there, before they are looked at again.
  std::vector<std::shared_ptr<SharedText>> wanted;
  auto want = [&](const std::shared_ptr<SharedText>& text) {
    if (text && !text->Complete() && std::find(wanted.begin(), wanted.end(), text) == wanted.end())
      wanted.push_back(text);
  };
  // What a requestor waits for comes first, then what requestors are taking,
  // then the drag's, and last a copy that nobody has asked for yet: a copy
  // made before a drag never holds up the drag's data.
  for (const OutgoingTransfer& t : c.transfers)
    if (t.waiting) want(t.text);
  for (const OutgoingTransfer& t : c.transfers) want(t.text);
  want(c.dragOut.text);
  want(c.dragOut.uris);
  if (c.ownsClipboard) want(c.clipboardText);
  if (PutMade(c)) return true;
  auto end = Clock::now() + budget;
  for (const std::shared_ptr<SharedText>& text : wanted) {
    while (Clock::now() < end && text->Advance(kAheadStep)) {
      // A piece goes out as soon as it is made, and the step gives way as
      // soon as the server has news (a requestor's deletion, a request): a
      // requestor never waits for the rest of a step.
      if (PutMade(c)) return true;
      if (XEventsQueued(c.dpy, QueuedAfterReading) > 0) return true;
    }
  }
  PutMade(c);
  return std::any_of(wanted.begin(), wanted.end(),
                     [](const std::shared_ptr<SharedText>& text) { return !text->Complete(); });
}

}  // namespace qv::x11
