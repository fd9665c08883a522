// Reads of another program's selection that wait for their answer (a
// drop's data, the tree's paste, the text read at once): each is a read of
// the one reader (X11SelectionRead.cpp), waited on. While it waits our
// windows keep painting and their timers run; input stays in the queue and
// comes after the read, in the order it was typed.
#include <poll.h>
#include <unistd.h>

#include <algorithm>

#include "platform/backend/X11Connection.h"
#include "platform/window/MessageQueue.h"

namespace qv::x11 {
namespace {

// Reads within reads (a timer reading while a read waits); deeper ones fail.
constexpr int kMaxNested = 4;
// Messages handled per round, so that a window that never validates its
// paint cannot hold the read.
constexpr int kMessagesPerRound = 32;

void EmptyPipe(int fd) {
  char buf[64];
  while (read(fd, buf, sizeof buf) > 0) {
  }
}

// Handles the waiting messages in [first, last]; false on WM_QUIT, which
// is left for the program's own loop.
bool Dispatch(UINT first, UINT last) {
  MSG m;
  for (int i = 0; i < kMessagesPerRound && PeekMessageW(&m, nullptr, first, last, PM_REMOVE); ++i) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      return false;
    }
    DispatchMessageW(&m);
  }
  return true;
}

// Paints, timers and messages sent from other threads, until the program
// is asked to quit; the X queue is read on the way. Posted messages and
// input wait for the end of the read.
void ServeWindows(Connection& c, bool& quit) {
  if (!quit) quit = !Dispatch(WM_PAINT, WM_PAINT) || !Dispatch(WM_TIMER, WM_TIMER);
  DrainEvents(c);  // also when the peeks did not read it
  ReadsDue(c);
}

// One read begun and waited on; null when it could not begin or went.
std::unique_ptr<SelectionRead> Read(Connection& c, SelectionRead read) {
  if (c.waits >= kMaxNested) return nullptr;
  unsigned id = BeginRead(c, std::move(read));
  return id ? AwaitRead(c, id) : nullptr;
}

}  // namespace

std::unique_ptr<SelectionRead> AwaitRead(Connection& c, unsigned id) {
  if (c.waits >= kMaxNested) return nullptr;
  ++c.waits;
  struct Nested {
    Connection& c;
    ~Nested() { --c.waits; }
  } nested{c};
  bool quit = false;
  for (;;) {
    XFlush(c.dpy);
    ServeWindows(c, quit);
    SelectionRead* r = FindRead(c, id);
    if (!r || r->ended) return TakeRead(c, id);
    if (!c.draining && XPending(c.dpy)) continue;  // events read meanwhile are handled first
    long ms = ReadWait(c);
    if (!quit) ms = std::min<long>(ms, long(TimeUntilNextTimer()));
    pollfd fds[2] = {{ConnectionNumber(c.dpy), POLLIN, 0}, {c.wakePipe[0], POLLIN, 0}};
    poll(fds, c.wakePipe[0] >= 0 ? 2 : 1, int(std::max<long>(ms, 0)));
    if (c.wakePipe[0] >= 0) EmptyPipe(c.wakePipe[0]);  // the queue keeps its own signal
  }
}

ReadEnd ReadSelection(Connection& c, Atom selection, Atom target, Time time, Atom& type, std::string& bytes) {
  bytes.clear();
  SelectionRead read;
  read.selection = selection;
  read.types = {target};
  read.time = time;
  std::unique_ptr<SelectionRead> r = Read(c, std::move(read));
  if (!r) return ReadEnd::Failed;
  if (r->end != ReadEnd::Data) return r->end;
  if (r->format != 8) return ReadEnd::Refused;
  type = r->type;
  bytes = std::move(r->bytes);
  return ReadEnd::Data;
}

ReadEnd ReadText(Connection& c, Atom selection, const std::vector<Atom>& types, Time time,
                 std::u16string& out) {
  out.clear();
  SelectionRead read;
  read.selection = selection;
  read.types = types;
  read.time = time;
  read.text = true;
  std::unique_ptr<SelectionRead> r = Read(c, std::move(read));
  if (!r) return types.empty() ? ReadEnd::Refused : ReadEnd::Failed;
  if (r->end == ReadEnd::Data) out = std::move(r->decoded);
  return r->end;
}

}  // namespace qv::x11
