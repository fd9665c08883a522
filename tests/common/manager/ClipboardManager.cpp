// A clipboard manager for the tests, as a desktop runs one: it owns
// CLIPBOARD_MANAGER, and when a program that holds the CLIPBOARD asks it to
// keep its copy (converting CLIPBOARD_MANAGER to SAVE_TARGETS, the targets
// listed in the named property), it reads those targets from the CLIPBOARD
// (all in one MULTIPLE request, or one request each), large ones in pieces
// (INCR), takes the CLIPBOARD over and answers; from then on it serves what
// it kept. With "silent" it never answers, as a hung manager.
//
//   qv_clipboard_manager <status file> <multiple | each | silent>
//
// Every step is a line of the status file ("managing", "asked", "kept
// UTF8_STRING 1500000", "failed ...", "owning", "answered"), so that a test
// waits on what the manager did, never on time.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/common/SelectionAnswer.h"

namespace {

using Clock = std::chrono::steady_clock;

FILE* status = nullptr;
Display* d = nullptr;
Window self = 0;

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), status);
  std::fflush(status);
}

Atom A(const char* name) {
  return XInternAtom(d, name, False);
}

std::string Name(Atom a) {
  char* n = XGetAtomName(d, a);
  std::string s = n ? n : "?";
  if (n) XFree(n);
  return s;
}

// The next event of the kind `wanted` picks, within 5 s; the others that come
// meanwhile are dropped (nothing else happens while a copy is read).
template <typename F>
bool Await(XEvent& ev, F wanted) {
  auto deadline = Clock::now() + std::chrono::seconds(5);
  for (;;) {
    while (XPending(d)) {
      XNextEvent(d, &ev);
      if (wanted(ev)) return true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd fd{ConnectionNumber(d), POLLIN, 0};
    poll(&fd, 1, int(left));
  }
}

struct Property {
  Atom type = None;
  int format = 0;
  std::vector<unsigned char> bytes;  // 8-bit items; 32-bit ones as Xlib's longs
  unsigned long count = 0;
};

// Reads (and deletes) a property of our window.
bool Take(Atom property, Property& out) {
  unsigned long after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, self, property, 0, LONG_MAX / 4, True, AnyPropertyType, &out.type, &out.format,
                         &out.count, &after, &data) != Success)
    return false;
  size_t size = out.format == 32 ? out.count * sizeof(long) : out.format == 16 ? out.count * 2 : out.count;
  out.bytes.assign(data, data + (data ? size : 0));
  if (data) XFree(data);
  return true;
}

bool NewValue(const XEvent& ev, Atom property) {
  return ev.type == PropertyNotify && ev.xproperty.window == self && ev.xproperty.atom == property &&
         ev.xproperty.state == PropertyNewValue;
}

// A target's data, once its property holds the answer; a large one in pieces.
bool ReadData(Atom property, Property& out) {
  if (!Take(property, out)) return false;
  if (out.type != A("INCR")) return true;
  out = Property();
  for (;;) {
    XEvent ev;
    Property piece;
    if (!Await(ev, [&](const XEvent& e) { return NewValue(e, property); }) || !Take(property, piece))
      return false;
    if (piece.count == 0) return true;
    out.type = piece.type;
    out.format = piece.format;
    out.bytes.insert(out.bytes.end(), piece.bytes.begin(), piece.bytes.end());
    out.count += piece.count;
  }
}

// Converts the CLIPBOARD to `target` into `property`; false when refused or unanswered.
bool Convert(Atom target, Atom property) {
  XConvertSelection(d, A("CLIPBOARD"), target, property, self, CurrentTime);
  XEvent ev;
  return Await(ev,
               [&](const XEvent& e) {
                 return e.type == SelectionNotify && e.xselection.selection == A("CLIPBOARD") &&
                        e.xselection.target == target;
               }) &&
         ev.xselection.property != None;
}

std::map<Atom, Property> kept;

void Keep(Atom target, Atom property) {
  Property data;
  if (!ReadData(property, data) || data.format != 8) return Say("failed " + Name(target));
  Say("kept " + Name(target) + " " + std::to_string(data.bytes.size()));
  kept[target] = data;
}

void KeepEach(const std::vector<Atom>& targets) {
  for (Atom t : targets)
    if (Convert(t, A("QV_KEPT"))) Keep(t, A("QV_KEPT"));
}

void KeepInOneRequest(const std::vector<Atom>& targets) {
  std::vector<long> pairs;
  for (size_t i = 0; i < targets.size(); ++i) {
    pairs.push_back(long(targets[i]));
    pairs.push_back(long(A(("QV_KEPT_" + std::to_string(i)).c_str())));
  }
  XChangeProperty(d, self, A("QV_PAIRS"), A("ATOM_PAIR"), 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(pairs.data()), int(pairs.size()));
  Property answer;
  if (!Convert(A("MULTIPLE"), A("QV_PAIRS")) || !Take(A("QV_PAIRS"), answer) || answer.format != 32)
    return Say("failed MULTIPLE");
  const long* items = reinterpret_cast<const long*>(answer.bytes.data());
  for (size_t i = 0; i + 1 < answer.count; i += 2)
    if (items[i] != None) Keep(Atom(items[i]), Atom(items[i + 1]));
}

void Answer(const XSelectionRequestEvent& r, Atom property) {
  qv::test::AnswerRequest(d, r, property);
}

// The targets a program asks us to keep, listed on its window; with no list
// (or an empty one), every target its CLIPBOARD offers but those that only ask.
std::vector<Atom> TargetsToKeep(const XSelectionRequestEvent& r) {
  std::vector<Atom> out;
  Property list;
  if (r.property != None) {
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, r.requestor, r.property, 0, LONG_MAX / 4, False, XA_ATOM, &list.type,
                           &list.format, &list.count, &after, &data) == Success &&
        data && list.format == 32)
      out.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + list.count);
    if (data) XFree(data);
    if (!out.empty()) return out;
  }
  if (!Convert(A("TARGETS"), A("QV_KEPT")) || !Take(A("QV_KEPT"), list) || list.format != 32) return out;
  const long* all = reinterpret_cast<const long*>(list.bytes.data());
  for (unsigned long i = 0; i < list.count; ++i) {
    std::string name = Name(Atom(all[i]));
    if (name != "TARGETS" && name != "MULTIPLE" && name != "TIMESTAMP" && name != "SAVE_TARGETS")
      out.push_back(Atom(all[i]));
  }
  return out;
}

void Save(const XSelectionRequestEvent& r, bool oneRequest) {
  std::vector<Atom> targets = TargetsToKeep(r);
  kept.clear();
  oneRequest ? KeepInOneRequest(targets) : KeepEach(targets);
  if (!kept.empty()) {
    XSetSelectionOwner(d, A("CLIPBOARD"), self, CurrentTime);
    Say("owning");
  }
  Answer(r, kept.empty() ? None : r.property);
}

void Serve(const XSelectionRequestEvent& r) {
  Atom property = r.property != None ? r.property : r.target;
  if (r.target == A("TARGETS")) {
    std::vector<long> targets{long(A("TARGETS"))};
    for (const auto& [t, data] : kept) targets.push_back(long(t));
    XChangeProperty(d, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(targets.data()), int(targets.size()));
    return Answer(r, property);
  }
  auto it = kept.find(r.target);
  if (it == kept.end()) return Answer(r, None);
  XChangeProperty(d, r.requestor, property, it->second.type, 8, PropModeReplace, it->second.bytes.data(),
                  int(it->second.bytes.size()));
  Answer(r, property);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  status = std::fopen(argv[1], "a");
  d = XOpenDisplay(nullptr);
  if (!status || !d) return 1;
  std::string mode = argv[2];
  XSetWindowAttributes attrs{};
  attrs.event_mask = PropertyChangeMask;
  self = XCreateWindow(d, DefaultRootWindow(d), -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                       CWEventMask, &attrs);
  XSetSelectionOwner(d, A("CLIPBOARD_MANAGER"), self, CurrentTime);
  if (XGetSelectionOwner(d, A("CLIPBOARD_MANAGER")) != self) return 1;
  Say("managing");
  for (;;) {
    XEvent ev;
    XNextEvent(d, &ev);
    if (ev.type != SelectionRequest) continue;
    const XSelectionRequestEvent& r = ev.xselectionrequest;
    if (r.selection == A("CLIPBOARD_MANAGER") && r.target == A("SAVE_TARGETS")) {
      Say("asked");
      if (mode != "silent") Save(r, mode == "multiple");
      Say("answered");
    } else if (r.selection == A("CLIPBOARD")) {
      Serve(r);
    } else {
      Answer(r, None);
    }
  }
}
