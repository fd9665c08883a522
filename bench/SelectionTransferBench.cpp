// Figures of the tree demo's rows going to another program over X, on an
// Xvfb server of its own, read by a requestor of our own as the toolkits
// read (one window and property, INCR, each piece deleted in its read):
//   clipboard: a million rows copied, each of the three text types read
//     (the first read from the copy, the others from the text it made), and
//     one small copy read again and again;
//   drag: a million and 5,000 rows dropped on a drop window of the
//     requestor, which asks for the three text types a drop asks for, from
//     the release to the first byte and to the last;
//   real drag: under openbox, the server's pointer (XTEST, through xdotool)
//     drags the million rows out of the tree onto a GTK 3 program, which
//     asks for its three text types in turn, and onto a Qt 6 program, which
//     reads its two: each type's time (the first from the release) and all
//     of them, on a fresh window, then after a copy of the same rows read
//     whole and with another program asking the clipboard's types every
//     10 ms all along;
//   prompt release: the same real drags released as users release them,
//     after a 0.3 s rest over the target, with the longest pause of the
//     window from the press to the finish; and a drag of the million rows
//     cancelled with Escape over the target and one dropped on the bare
//     desktop, each with the time from its end to the drag's end and the
//     window's longest pause.
// While the million rows go, a 5 ms timer of the tree's window measures the
// longest time the window did not answer. `bench/run transfer prompt` gives
// the prompt-release figures alone.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <thread>
#include <vector>

#include "classlib/controls/Application.h"
#include "datatree/DataTreeClipboard.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/Utf.h"
#include "platform/backend/X11Backend.h"
#include "platform/ole/DragOffer.h"
#include "platform/window/MessageQueue.h"
#include "tests/common/ClipboardPoller.h"
#include "tests/common/DndPeer.h"
#include "tests/common/SelectionReader.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xatom.h>
// clang-format on

namespace qv {
namespace {

using Clock = std::chrono::steady_clock;
using test::SelectionReader;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// The longest gap between two ticks of a 5 ms timer, less the 5 ms.
std::atomic<double> longestPause{0};
Clock::time_point lastTick;
void Tick(HWND, UINT, uintptr_t, DWORD) {
  auto now = Clock::now();
  longestPause = std::max(longestPause.load(), Ms(lastTick, now) - 5);
  lastTick = now;
}

class Bench {
 public:
  bool Start() {
    if (!test::OnPath("Xvfb")) return std::fprintf(stderr, "Xvfb is not installed\n"), false;
    // A desktop's screen; QV_BENCH_SCREEN gives another (as Xvfb takes it: 3840x2160x24).
    const char* screen = getenv("QV_BENCH_SCREEN");
    server = std::make_unique<test::Xvfb>(screen && *screen ? screen : "1920x1080x24");
    if (server->Display().empty()) return false;
    setenv("DISPLAY", server->Display().c_str(), 1);
    std::string error;
    backend = OpenX11Backend(&error);
    if (!backend) return std::fprintf(stderr, "%s\n", error.c_str()), false;
    form = treedemo::CreateTreeDemo();
    tree = form->Tree;
    Pump([&] { return static_cast<X11Backend&>(*backend).IsOnScreen(form->Handle()); });
    return true;
  }
  ~Bench() {
    delete form;
    if (Application) Application->ProcessMessages();
  }

  // Runs the program's message loop until `done` holds.
  void Pump(const std::function<bool()>& done) {
    while (!done()) Application->HandleMessage();
  }
  // Runs `work` on a thread of its own while the windows go on; the pause
  // figure covers that time only.
  void Beside(const std::function<void()>& work, double* pause = nullptr) {
    std::atomic<bool> through{false};
    longestPause = 0;
    lastTick = Clock::now();
    SetTimer(form->Handle(), 77, 5, Tick);
    std::thread t([&] {
      work();
      through = true;
      PostMessageW(form->Handle(), WM_NULL, 0, 0);
    });
    Pump([&] { return through.load(); });
    t.join();
    KillTimer(form->Handle(), 77);
    if (pause) *pause = longestPause;
  }
  void Select(uint32_t rows) {
    tree->ClearSelection();
    if (rows >= treedemo::kRows) {
      tree->SelectAll(true);
      return;
    }
    PDataNode node = tree->GetFirst();
    for (uint32_t i = 0; i < rows && node; ++i, node = tree->GetNextSibling(node))
      tree->SetSelected(node, true);
  }

  std::unique_ptr<test::Xvfb> server;
  std::unique_ptr<Backend> backend;
  treedemo::TTreeDemoForm* form = nullptr;
  TDataStringTree* tree = nullptr;
};

void Clipboard(Bench& b) {
  SelectionReader reader(b.server->Display());
  b.Select(treedemo::kRows);
  auto t0 = Clock::now();
  b.tree->CopyToClipboard();
  std::printf("clipboard_copy_ms=%.1f\n", Ms(t0, Clock::now()));
  double pause = 0;
  for (const char* type : {"UTF8_STRING", "TEXT", "STRING"}) {
    SelectionReader::Result r;
    b.Beside([&] { r = reader.Read("CLIPBOARD", type); }, &pause);
    std::printf(
        "clipboard_1000000_%s_ms=%.1f bytes=%zu whole=%d first_byte_ms=%.1f longest_wait_ms=%.1f "
        "window_pause_ms=%.1f\n",
        type, r.totalMs, r.bytes.size(), int(r.whole), r.firstByteMs, r.longestWaitMs, pause);
  }
  std::printf("clipboard_1000000_three_types_ms=%.1f\n", Ms(t0, Clock::now()));

  b.Select(1);
  b.tree->CopyToClipboard();
  std::vector<double> times;
  b.Beside([&] {
    for (int i = 0; i < 50; ++i) times.push_back(reader.Read("CLIPBOARD", "UTF8_STRING").totalMs);
  });
  std::sort(times.begin(), times.end());
  std::printf("clipboard_small_request_ms median=%.2f max=%.2f\n", times[times.size() / 2], times.back());
}

// The form closed while a million copied rows are still on the clipboard:
// their text is rendered as the trees go (close_copy_fresh_ms: nothing of
// it made for other programs before; close_copy_read_ms: after another
// program read it whole), against a close without a copy; and the copy
// another program reads after the close.
void Close(Bench& b) {
  SelectionReader reader(b.server->Display());
  auto reopen = [&] {
    b.form = treedemo::CreateTreeDemo();
    b.tree = b.form->Tree;
    b.Pump([&] { return static_cast<X11Backend&>(*b.backend).IsOnScreen(b.form->Handle()); });
  };
  auto close = [&](const char* name, bool copy, bool readFirst) {
    b.Select(treedemo::kRows);
    if (copy) b.tree->CopyToClipboard();
    if (readFirst) b.Beside([&] { reader.Read("CLIPBOARD", "UTF8_STRING"); });
    auto t0 = Clock::now();
    delete b.form;
    std::printf("%s=%.1f\n", name, Ms(t0, Clock::now()));
    reopen();
    if (!copy) return;
    SelectionReader::Result r;
    b.Beside([&] { r = reader.Read("CLIPBOARD", "UTF8_STRING"); });
    std::printf("%s_kept_bytes=%zu whole=%d\n", name, r.bytes.size(), int(r.whole));
  };
  close("close_without_copy_ms", false, false);
  close("close_copy_fresh_ms", true, false);
  close("close_copy_read_ms", true, true);
}

// A drop window of the requestor's connection: it takes the drop, reads the
// three text types from the drag selection and says it is finished.
class DropWindow {
 public:
  explicit DropWindow(SelectionReader& reader) : r_(reader), d_(reader.Connection()) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    w_ = XCreateWindow(d_, DefaultRootWindow(d_), 700, 100, 200, 200, 0, CopyFromParent, InputOutput,
                       CopyFromParent, CWOverrideRedirect, &a);
    long version = 5;
    XChangeProperty(d_, w_, A("XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&version), 1);
    XMapRaised(d_, w_);
    XSync(d_, False);
  }
  POINT Middle() const { return POINT{800, 200}; }
  // Answers positions until the drop, then reads; the times from `released`.
  void Serve(const std::atomic<int64_t>& released, double& dropMs, double& firstByteMs, double& lastByteMs,
             size_t& bytes) {
    for (;;) {
      XEvent ev;
      XNextEvent(d_, &ev);
      if (ev.type != ClientMessage || ev.xclient.window != w_) continue;
      Window source = Window(ev.xclient.data.l[0]);
      if (ev.xclient.message_type == A("XdndPosition")) {
        Send(source, A("XdndStatus"), 1, 0, 0, long(A("XdndActionCopy")));
      } else if (ev.xclient.message_type == A("XdndDrop")) {
        Clock::time_point start(Clock::duration(released.load()));
        dropMs = Ms(start, Clock::now());
        bytes = 0;
        for (const char* type : {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"}) {
          auto asked = Clock::now();
          SelectionReader::Result got = r_.Read("XdndSelection", type);
          if (bytes == 0) firstByteMs = Ms(start, asked) + got.firstByteMs;
          bytes += got.bytes.size();
          if (!got.whole) std::printf("drag read of %s failed: %s\n", type, got.failure.c_str());
        }
        lastByteMs = Ms(start, Clock::now());
        Send(source, A("XdndFinished"), 1, long(A("XdndActionCopy")), 0, 0);
        return;
      }
    }
  }

 private:
  Atom A(const char* name) { return XInternAtom(d_, name, False); }
  void Send(Window to, Atom type, long l1, long l2, long l3, long l4) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = to;
    ev.xclient.message_type = type;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = long(w_);
    ev.xclient.data.l[1] = l1;
    ev.xclient.data.l[2] = l2;
    ev.xclient.data.l[3] = l3;
    ev.xclient.data.l[4] = l4;
    XSendEvent(d_, to, False, NoEventMask, &ev);
    XFlush(d_);
  }
  SelectionReader& r_;
  Display* d_;
  Window w_ = 0;
};

// The drag as the drag loop runs it with another program's window under the
// pointer: over it until it accepts, the release, then the wait for its finish.
void Drag(Bench& b, uint32_t rows) {
  SelectionReader reader(b.server->Display());
  DropWindow drop(reader);
  b.Select(rows);
  ComPtr<TDTDataObject> data = TDTDataObject::Create(b.tree, false);
  ForeignDragOffer offer = MakeForeignOffer(data.Get());
  std::atomic<int64_t> released{0};
  std::atomic<bool> through{false};
  double dropAt = 0, firstByte = 0, lastByte = 0;
  size_t bytes = 0;
  std::thread t([&] {
    drop.Serve(released, dropAt, firstByte, lastByte, bytes);
    through = true;
    PostMessageW(b.form->Handle(), WM_NULL, 0, 0);
  });
  auto pump = [] {
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  };
  const DWORD ok = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  b.backend->ForeignDragBegin(ok, offer);
  DWORD effect = 0;
  for (int i = 0; effect == 0 && i < 2000; ++i) {
    POINT at = drop.Middle();
    at.x += i % 2;
    b.backend->ForeignDragOver(at, ok, 0, effect);
    pump();
  }
  released = Clock::now().time_since_epoch().count();
  bool dropped = b.backend->ForeignDrop();
  double longestTurn = 0;
  for (auto turn = Clock::now(); dropped && !b.backend->ForeignDropResult(effect); turn = Clock::now()) {
    pump();
    longestTurn = std::max(longestTurn, Ms(turn, Clock::now()));
  }

  b.backend->ForeignDragEnd();
  b.Pump([&] { return through.load(); });
  t.join();
  // The drop loop's longest turn: what the windows waited at most for the loop.
  std::printf("drag_%u_drop_message_ms=%.1f\n", rows, dropAt);
  std::printf("drag_%u_first_byte_ms=%.1f three_types_ms=%.1f bytes=%zu effect=%lu window_pause_ms=%.1f\n",
              rows, firstByte, lastByte, bytes, (unsigned long)effect, longestTurn);
}

// Drags with the server's own pointer, as a user does, onto other toolkits'
// drop windows: the tree's own drag loop runs them.
class RealDrags {
 public:
  explicit RealDrags(Bench& b) : b_(b) {
    b.tree->OnStartDrag = [this](TBaseDataTree*) { ++started_; };
    b.tree->OnEndDrag = [this](TBaseDataTree*, int, int) {
      endedAt_ = WallSeconds();
      ++ended_;
    };
  }
  ~RealDrags() {
    b_.tree->OnStartDrag = nullptr;
    b_.tree->OnEndDrag = nullptr;
  }

  // Drags the selected rows (row 1 among them) onto the peer; prints each
  // type's time from the one before (the first from the release), the
  // types together, and whether each arrived whole.
  // With `restMs` the pointer rests that long over the peer before the
  // release (else it is released as soon as the peer has looked at the
  // offer), and the window's longest pause from the press on is printed too.
  void Run(const test::DndPeer& peer, const std::string& name, const std::string& expected, int restMs = -1) {
    POINT from = RowPoint(1), to = peer.DropPoint();
    size_t mark = peer.Lines().size();
    std::atomic<bool> through{false};
    double released = 0;
    StartPauses();
    std::thread pointer([&] {
      released = Drag(from, to, &peer, mark, restMs);
      through = true;
    });
    auto deadline = Clock::now() + std::chrono::seconds(300);
    while (!(through && peer.HasLine("finished", mark)) && Clock::now() < deadline) {
      Application->ProcessMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    pointer.join();
    double pause = StopPauses();
    double last = released, all = 0;
    std::vector<std::string> lines = peer.Lines();
    for (size_t i = mark; i < lines.size(); ++i) {
      std::istringstream in(lines[i]);
      std::string word, type, sha1;
      int n = 0;
      size_t bytes = 0;
      double at = 0;
      if (!(in >> word >> n >> type >> bytes >> sha1 >> at) || word != "arrived") continue;
      bool whole = peer.Arrival(n) == expected;
      std::printf("real_drag_%s_%s_ms=%.1f bytes=%zu whole=%d\n", name.c_str(), type.c_str(),
                  (at - last) * 1000, bytes, int(whole));
      last = at;
      all = (at - released) * 1000;
    }
    std::printf("real_drag_%s_all_types_ms=%.1f finished=%s\n", name.c_str(), all,
                peer.HasLine("finished ok", mark) ? "ok" : "no");
    if (restMs >= 0) std::printf("real_drag_%s_window_pause_ms=%.1f\n", name.c_str(), pause);
  }

  // A drag of the selected rows that takes nothing: after a rest of `restMs`
  // over the peer it is cancelled with Escape, or (without a peer) it rests
  // over the bare desktop at `to` and is released there. Prints the time
  // from the Escape or the release to the drag's end and the window's
  // longest pause from the press on.
  void RunNone(const test::DndPeer* peer, POINT to, const std::string& name, int restMs) {
    POINT from = RowPoint(1);
    size_t mark = peer ? peer->Lines().size() : 0;
    int before = ended_;
    std::atomic<bool> through{false};
    double ending = 0;
    StartPauses();
    std::thread pointer([&] {
      ending = Drag(from, to, peer, mark, restMs, peer != nullptr);
      through = true;
    });
    auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!(through && ended_ > before) && Clock::now() < deadline) {
      Application->ProcessMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    pointer.join();
    double pause = StopPauses();
    double endMs = ended_ > before ? (endedAt_ - ending) * 1000 : -1;
    std::printf("real_drag_%s_end_ms=%.1f window_pause_ms=%.1f\n", name.c_str(), endMs, pause);
  }

 private:
  static double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  }
  static std::string S(long v) { return std::to_string(v); }
  bool Xdo(const std::vector<std::string>& args) { return test::Xdo(b_.server->Display(), args); }

  // The middle of a top-level row's name on the screen (presses alternate
  // between two places, so that no two make a double click).
  POINT RowPoint(uint32_t index) {
    PDataNode n = b_.tree->GetFirst();
    for (uint32_t i = 0; n && i < index; ++i) n = b_.tree->GetNextSibling(n);
    RECT r = b_.tree->GetDisplayRect(n, 0, true);
    return b_.tree->ClientToScreen(POINT{r.left + 8 + 12 * (started_ % 2), (r.top + r.bottom) / 2});
  }

  // The pointer's part, on a thread of its own: pressed on the row, moved
  // out until the drag starts, over the peer until it has seen the offer,
  // then released at once, or once it has rested `restMs` there (without a
  // peer: over the desktop); with `escape` the drag is cancelled before the
  // release. The time of the release (or of the Escape).
  double Drag(POINT from, POINT to, const test::DndPeer* peer, size_t mark, int restMs = -1,
              bool escape = false) {
    int before = started_;
    Xdo({"mousemove", S(from.x), S(from.y), "mousedown", "1", "mousemove", S(from.x + 12), S(from.y + 3),
         "mousemove", S(from.x + 24), S(from.y + 6)});
    int step = 0;
    test::WaitFor([&] {
      if (started_ > before) return true;
      Xdo({"mousemove", S(from.x + 24 + ++step % 8), S(from.y + 6)});
      return false;
    });
    Xdo({"mousemove", S((from.x + to.x) / 2), S((from.y + to.y) / 2), "mousemove", S(to.x), S(to.y)});
    auto arrived = Clock::now();
    test::WaitFor([&] {
      if (!peer || peer->HasLine("offered", mark)) return true;
      Xdo({"mousemove", S(to.x + 2), S(to.y + 1), "mousemove", S(to.x), S(to.y)});
      return false;
    });
    if (restMs >= 0) std::this_thread::sleep_until(arrived + std::chrono::milliseconds(restMs));
    double released = WallSeconds();
    if (escape) Xdo({"key", "Escape"});
    Xdo({"mouseup", "1"});
    return released;
  }

  // The window's longest pause, measured by a 5 ms timer of the form.
  void StartPauses() {
    longestPause = 0;
    lastTick = Clock::now();
    SetTimer(b_.form->Handle(), 78, 5, Tick);
  }
  double StopPauses() {
    KillTimer(b_.form->Handle(), 78);
    return longestPause;
  }

  Bench& b_;
  std::atomic<int> started_{0}, ended_{0};
  double endedAt_ = 0;  // when the last drag ended (wall clock, as the pointer's times)
};

void RealDragFigures(Bench& b, bool promptOnly) {
  for (const std::string& missing : {test::PeerMissing(), test::QtTargetMissing()})
    if (!missing.empty()) return (void)std::printf("real_drag skipped: %s\n", missing.c_str());
  if (!test::OnPath("xdotool")) return (void)std::printf("real_drag skipped: xdotool is not installed\n");
  test::Openbox wm(b.server->Display());
  if (!wm.Running()) return (void)std::printf("real_drag skipped: openbox did not start\n");
  test::DndPeer::Options options;
  options.x = 1300, options.y = 80, options.wantAll = true;
  options.title = "gtk drop target";
  test::DndPeer gtk(b.server->Display(), options);
  options.y = 500, options.qt = true;
  options.title = "qt drop target";
  test::DndPeer qt(b.server->Display(), options);
  bool shown = false;
  for (int i = 0; i < 1000 && !(shown = gtk.Shown() && qt.Shown()); ++i) Application->ProcessMessages();
  if (!shown) return (void)std::printf("real_drag skipped: a drop target did not show\n");
  b.Select(treedemo::kRows);
  std::string expected = Utf16ToUtf8(b.tree->RenderUnicodeText(txSelected, u'\t'));
  RealDrags drags(b);
  if (!promptOnly) {
    drags.Run(gtk, "gtk_fresh", expected);
    drags.Run(qt, "qt_after_one", expected);
  }
  // Released as users release a drag: a short rest over the target.
  constexpr int kRestMs = 300;
  drags.Run(gtk, "prompt_gtk", expected, kRestMs);
  drags.Run(qt, "prompt_qt", expected, kRestMs);
  drags.RunNone(&gtk, gtk.DropPoint(), "prompt_escape", kRestMs);
  SIZE screen = b.backend->ScreenSize();
  drags.RunNone(nullptr, POINT{screen.cx - 100, screen.cy - 100}, "prompt_desktop", kRestMs);
  if (promptOnly) return;
  // The same rows copied and read whole, and a program asking the clipboard.
  b.tree->CopyToClipboard();
  SelectionReader reader(b.server->Display());
  b.Beside([&] { reader.Read("CLIPBOARD", "UTF8_STRING"); });
  test::ClipboardPoller poller(b.server->Display());
  drags.Run(gtk, "gtk_after_copy_polled", expected);
  drags.Run(qt, "qt_after_copy_polled", expected);
  drags.Run(gtk, "gtk_again_polled", expected);
  drags.Run(qt, "qt_again_polled", expected);
  std::printf("real_drag_poller_answers=%d\n", poller.Answers());
}

}  // namespace
}  // namespace qv

int main(int argc, char** argv) {
  bool promptOnly = argc > 1 && std::string(argv[1]) == "prompt";
  qv::Bench b;
  if (!b.Start()) return 1;
  if (argc > 1 && std::string(argv[1]) == "close") {
    qv::Close(b);
    return 0;
  }
  qv::RealDragFigures(b, promptOnly);
  if (promptOnly) return 0;
  qv::Clipboard(b);
  qv::Drag(b, 5000);
  qv::Drag(b, qv::treedemo::kRows);
  return 0;
}
