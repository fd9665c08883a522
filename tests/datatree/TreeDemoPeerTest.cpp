// The tree demo dragging rows to, and taking drops from, other programs on a
// real X server under a window manager (Xvfb and openbox): the other side is
// a small GTK 3 program, a small Qt 6 program, and a second demo. The pointer and keys are the
// server's own (xdotool); every wait is on a condition, never on time.
// gtest and the demo first: Xlib's macros clash with their names.
#include <gtest/gtest.h>

#include "classlib/controls/Application.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/Utf.h"
#include "platform/backend/X11Backend.h"
#include "platform/window/MessageQueue.h"
#include "tests/common/ClipboardPoller.h"
#include "tests/common/DndPeer.h"
#include "tests/common/SelectionReader.h"
#include "tests/common/XvfbSupport.h"
#include "tests/datatree/AppPump.h"
// clang-format off
#include <X11/Xatom.h>
#include <signal.h>
#include <unistd.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace qv::test {
namespace {

using treedemo::kRows;

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string Log(const DndPeer& peer) {
  std::string all = "\nthe peer's log:\n";
  for (const std::string& line : peer.Lines()) all += line + "\n";
  return all;
}

std::string Field(const std::string& line, int index) {
  size_t start = 0;
  for (int i = 0; i < index && start != std::string::npos; ++i) {
    start = line.find(' ', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return {};
  return line.substr(start, line.find(' ', start) - start);
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// The name of a top-level window: its own, or that of the client inside a frame.
std::string NameOf(::Display* d, Window w, int depth = 2) {
  char* n = nullptr;
  if (XFetchName(d, w, &n) && n) {
    std::string name = n;
    XFree(n);
    return name;
  }
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  std::string found;
  if (depth > 0 && XQueryTree(d, w, &root, &parent, &children, &count))
    for (unsigned i = 0; i < count && found.empty(); ++i) found = NameOf(d, children[i], depth - 1);
  if (children) XFree(children);
  return found;
}

class TreeDemoPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    if (std::string missing = PeerMissing(); !missing.empty()) GTEST_SKIP() << missing;
    server = std::make_unique<Xvfb>(screen);
    ASSERT_FALSE(server->Display().empty()) << "Xvfb did not start";
    wm = std::make_unique<Openbox>(server->Display());
    ASSERT_TRUE(wm->Running()) << "openbox did not start";
    setenv("DISPLAY", server->Display().c_str(), 1);
    std::string error;
    backend = OpenX11Backend(&error);
    ASSERT_TRUE(backend) << error;
    form = treedemo::CreateTreeDemo();
    form->SetBounds(0, 0, 600, 560);
    tree = form->Tree;
    basket = form->Basket;
    tree->OnStartDrag = [this](TBaseDataTree*) { ++started; };
    tree->OnEndDrag = [this](TBaseDataTree*, int, int) { ++ended; };
    // The basket tells the test when another program's drag is over it.
    auto over = basket->OnDragOver;
    basket->OnDragOver = [this, over](TBaseDataTree* t, TObject* source, TShiftState shift,
                                      TDTDragState state, POINT pt, TDropMode mode, DWORD& effect,
                                      bool& accept) {
      over(t, source, shift, state, pt, mode, effect, accept);
      if (!source && accept) basketEntered = true;
    };
    ASSERT_TRUE(PumpUntil([&] { return static_cast<X11Backend&>(*backend).IsOnScreen(form->Handle()); }));
    ASSERT_TRUE(PumpUntil([&] { return RowPoint(1).x > 0; }));
  }
  void TearDown() override {
    delete form;
    if (Application) Application->ProcessMessages();
    backend.reset();
  }

  // Runs the pointer on a thread of its own while this one keeps the windows
  // going, until it is through and `settled` holds.
  template <typename F>
  bool Drive(std::function<void()> pointer, F settled) {
    std::atomic<bool> through{false};
    std::thread t([&] {
      pointer();
      through = true;
    });
    bool ok = PumpUntil([&] { return through.load() && settled(); });
    t.join();
    return ok;
  }
  // The middle of a top-level row's name, on the screen; (-1, -1) while not shown.
  POINT RowPoint(uint32_t index) {
    PDataNode n = tree->GetFirst();
    for (uint32_t i = 0; n && i < index; ++i) n = tree->GetNextSibling(n);
    if (!n) return POINT{-1, -1};
    RECT r = tree->GetDisplayRect(n, 0, true);
    if (r.bottom <= r.top) return POINT{-1, -1};
    // Presses follow each other at two places, so that no two make a double click.
    return tree->ClientToScreen(POINT{r.left + 8 + 12 * (started % 2), (r.top + r.bottom) / 2});
  }
  POINT BasketPoint() {
    RECT r = basket->ClientRect();
    return basket->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  bool Xdo(std::vector<std::string> args) { return test::Xdo(server->Display(), args); }
  static std::string S(int v) { return std::to_string(v); }

  // Drags the row at `from` out to `to` with the server's pointer: over the
  // peer until it says what it is offered, then released (or, with `escape`,
  // cancelled first). `shift` asks for a move. With `inside`, the pointer
  // stays over our window after the drag started until that holds. The
  // time of the release.
  double DragOut(POINT from, POINT to, const DndPeer& peer, bool shift = false, bool escape = false,
                 const std::function<void()>& offered = {}, const std::function<bool()>& inside = {}) {
    size_t mark = peer.Lines().size();
    StartDrag(from);
    if (inside) {
      EXPECT_TRUE(WaitFor(inside)) << "not while the pointer was over our window";
    }
    if (shift) Xdo({"keydown", "Shift_L"});
    double leaving = WallSeconds();
    Xdo({"mousemove", S((from.x + to.x) / 2), S((from.y + to.y) / 2), "mousemove", S(to.x), S(to.y)});
    // The peer answers positions only once it has seen one: move a little until it logs.
    WaitFor(
        [&] {
          if (peer.HasLine("offered", mark)) return true;
          Xdo({"mousemove", S(to.x + 2), S(to.y + 1), "mousemove", S(to.x), S(to.y)});
          return false;
        },
        300s);
    offeredAfter = WallSeconds() - leaving;
    if (offered) offered();
    if (escape) {
      Xdo({"key", "Escape"});
      peer.WaitLine("leave", mark);
    }
    double released = WallSeconds();
    Xdo({"mouseup", "1"});
    if (shift) Xdo({"keyup", "Shift_L"});
    return released;
  }
  // Presses at `from` and moves on until the drag has started: a press that
  // came with the window's activation may start it a little later.
  void StartDrag(POINT from) {
    int before = started;
    Xdo({"mousemove", S(from.x), S(from.y), "mousedown", "1", "mousemove", S(from.x + 12), S(from.y + 3),
         "mousemove", S(from.x + 24), S(from.y + 6)});
    int step = 0;
    EXPECT_TRUE(WaitFor([&] {
      if (started > before) return true;
      ++step;
      Xdo({"mousemove", S(from.x + 24 + step % 8), S(from.y + 6)});
      return false;
    })) << "the drag did not start";
  }
  // Drags a top-level row out (its place is read here, on the windows' thread)
  // and waits until the drag has ended; the time of the release.
  double DragRow(uint32_t row, POINT to, const DndPeer& peer, bool shift = false, bool escape = false,
                 const std::function<void()>& offered = {}, const std::function<bool()>& inside = {}) {
    POINT from = RowPoint(row);
    int before = ended;
    double released = 0;
    bool done = Drive([&] { released = DragOut(from, to, peer, shift, escape, offered, inside); },
                      [&] { return ended > before; });
    EXPECT_TRUE(done) << "the drag did not end" << Situation(peer) << Log(peer);
    return done ? released : 0;
  }
  bool DropIn(const DndPeer& peer, uint32_t rows) {
    POINT to = BasketPoint();
    return Drive([&] { DragIn(peer, to); }, [&] { return basket->RootNodeCount() == rows; });
  }

  // Drags from the peer's drag half to the basket at `to` and drops there.
  void DragIn(const DndPeer& peer, POINT to) {
    size_t mark = peer.Lines().size();
    POINT from = peer.DragPoint();
    basketEntered = false;
    Xdo({"mousemove", S(from.x), S(from.y), "mousedown", "1", "mousemove", S(from.x + 12), S(from.y + 3),
         "mousemove", S(from.x + 24), S(from.y + 6)});
    peer.WaitLine("drag-begin", mark);
    Xdo({"mousemove", S((from.x + to.x) / 2), S((from.y + to.y) / 2), "mousemove", S(to.x), S(to.y)});
    WaitFor([&] {
      if (basketEntered) return true;
      Xdo({"mousemove", S(to.x + 2), S(to.y + 1), "mousemove", S(to.x), S(to.y)});
      return false;
    });
    Xdo({"mouseup", "1"});
    peer.WaitLine("drag-end", mark);
  }
  std::unique_ptr<DndPeer> StartPeer(DndPeer::Options options = {}) {
    auto peer = std::make_unique<DndPeer>(server->Display(), options);
    bool shown = false;
    PumpUntil([&] { return shown = peer->Shown(); });
    EXPECT_TRUE(shown) << "the GTK peer did not show its window";
    // Beside ours unless asked to lie above it: ours, raised by each press,
    // must not cover it, with the window manager's frame around ours.
    RECT ours{}, theirs = peer->Rect(), both;
    GetWindowRect(form->Handle(), &ours);
    InflateRect(&ours, 12, 12);
    if (!options.above) {
      EXPECT_FALSE(IntersectRect(&both, &ours, &theirs))
          << "the peer overlaps our window" << Situation(*peer);
    }
    return peer;
  }

  // What a failure's message tells besides the peer's log: where the
  // pointer is and whose window is on top there, where the windows stand,
  // and where `row` (a row's name) lies in the tree now.
  std::string Situation(const DndPeer& peer, const std::u16string& row = {}) {
    std::string out = "\nthe pointer";
    if (::Display* d = XOpenDisplay(server->Display().c_str())) {
      Window root = 0, child = 0;
      int x = 0, y = 0, wx, wy;
      unsigned mask = 0;
      {
        ServerHeld held(d);
        XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &wx, &wy, &mask);
        out += " at " + S(x) + "," + S(y) +
               ", the window on top there: " + (child ? "\"" + NameOf(d, child) + "\"" : std::string("none"));
      }
      XCloseDisplay(d);
    }
    RECT ours{};
    GetWindowRect(form->Handle(), &ours);
    out += "\nour window " + Text(ours) + ", the peer's " + Text(peer.Rect());
    out += "\nthe tree: " + std::to_string(tree->RootNodeCount()) + " top-level rows, " +
           std::to_string(tree->TotalCount()) +
           " in all; the basket: " + std::to_string(basket->RootNodeCount());
    out += "\ndrags started " + std::to_string(started) + ", ended " + std::to_string(ended);
    if (!row.empty()) out += "\n\"" + Utf16ToUtf8(row) + "\" " + WhereIs(row);
    return out + "\n";
  }
  std::string WhereIs(const std::u16string& row) {
    for (PDataNode n = tree->GetFirst(); n; n = tree->GetNext(n)) {
      if (tree->GetText(n, 0) != row) continue;
      if (n->Parent == tree->RootNode()) return "is top-level row " + std::to_string(n->Index);
      return "is under \"" + Utf16ToUtf8(tree->GetText(n->Parent, 0)) + "\", its child " +
             std::to_string(n->Index);
    }
    return "is not in the tree";
  }

  std::string screen = "1024x768x24";  // as Xvfb takes it
  std::unique_ptr<Xvfb> server;
  std::unique_ptr<Openbox> wm;
  std::unique_ptr<Backend> backend;
  treedemo::TTreeDemoForm* form = nullptr;
  TDataStringTree* tree = nullptr;
  TDataStringTree* basket = nullptr;
  std::atomic<int> started{0}, ended{0};
  std::atomic<bool> basketEntered{false};
  std::atomic<double> offeredAfter{0};  // seconds from leaving our window to the peer's first look
};

// Each drag claims the drag selection anew: after the peer dragged its own
// text (taking the selection), our next drag still delivers. Text other than
// ASCII goes both ways byte for byte, and every type served is announced.
TEST_F(TreeDemoPeer, TwoDragsInARowWithAPeerDragBetween) {
  const std::string theirs =
      "Gr\xc3\xbc\xc3\x9f"
      "e \xe6\x97\xa5\xe6\x9c\xac";
  DndPeer::Options options;
  options.dragText = theirs;
  auto peer = StartPeer(options);
  ASSERT_TRUE(peer->Shown());

  DragRow(1, peer->DropPoint(), *peer);
  std::string arrived = peer->WaitLine("arrived 1 ");
  ASSERT_FALSE(arrived.empty()) << "the first row never arrived";
  EXPECT_NE(peer->Arrival(1).find("File 1.dat"), std::string::npos) << peer->Arrival(1);
  std::string offered = peer->WaitLine("offered");
  for (const char* type : {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"})
    EXPECT_NE(offered.find(type), std::string::npos) << offered;
  EXPECT_EQ(offered.find("text/uri-list"), std::string::npos) << "rows that are no files: " << offered;
  EXPECT_EQ(peer->WaitLine("actions"), "actions copy,move suggested copy");

  ASSERT_TRUE(DropIn(*peer, 1)) << Log(*peer);
  EXPECT_EQ(basket->GetText(basket->GetFirst(), 0), u"Gr\u00fc\u00dfe \u65e5\u672c");

  DragRow(2, peer->DropPoint(), *peer);
  ASSERT_FALSE(peer->WaitLine("arrived 2 ").empty()) << "the second drag delivered nothing";
  EXPECT_NE(peer->Arrival(2).find("File 2.dat"), std::string::npos) << peer->Arrival(2);
  EXPECT_EQ(tree->RootNodeCount(), kRows);  // copies
}

// A move deletes the rows only when the peer had them and finished with
// success: a failed finish, or none at all, leaves them where they were.
TEST_F(TreeDemoPeer, AMoveDeletesTheRowsOnlyWhenThePeerFinishedIt) {
  auto peer = StartPeer();
  auto third = [&] { return tree->GetText(tree->GetNextSibling(tree->GetNextSibling(tree->GetFirst())), 0); };
  std::u16string row = third();
  peer->SetFinish("fail");
  DragRow(2, peer->DropPoint(), *peer, true);
  EXPECT_FALSE(peer->WaitLine("finished failed").empty()) << Situation(*peer, row) << Log(*peer);
  EXPECT_NE(peer->WaitLine("arrived 1 ").find(" move"), std::string::npos)
      << "the peer was not asked to move";
  EXPECT_EQ(tree->RootNodeCount(), kRows);
  EXPECT_EQ(third(), row) << Situation(*peer, row);

  peer->SetFinish("ok");
  DragRow(2, peer->DropPoint(), *peer, true);
  EXPECT_FALSE(peer->WaitLine("finished ok").empty()) << Situation(*peer, row) << Log(*peer);
  EXPECT_EQ(tree->RootNodeCount(), kRows - 1) << Situation(*peer, row) << Log(*peer);
  EXPECT_NE(third(), row) << Situation(*peer, row);

  // The peer takes the data but never says it has finished.
  row = third();
  peer->SetFinish("never");
  DragRow(2, peer->DropPoint(), *peer, true);
  EXPECT_FALSE(peer->WaitLine("not finished").empty()) << Situation(*peer, row) << Log(*peer);
  EXPECT_EQ(tree->RootNodeCount(), kRows - 1) << Log(*peer);
  EXPECT_EQ(third(), row) << Situation(*peer, row);
}

// The peer's window lies above our basket: the drop there is the peer's, and
// our window below sees nothing of it. Escape over the peer cancels.
TEST_F(TreeDemoPeer, APeerWindowAboveOursTakesTheDropAndEscapeCancels) {
  POINT basketTopLeft = basket->ClientToScreen(POINT{0, 0});
  DndPeer::Options options;
  options.x = basketTopLeft.x + 40;
  options.y = basketTopLeft.y - 60;
  options.above = true;  // a click on our window raises it above windows that are not kept above
  auto peer = StartPeer(options);
  POINT drop = peer->DropPoint();
  RECT b = basket->ClientRect();
  POINT inBasket = basket->ScreenToClient(drop);
  ASSERT_TRUE(PtInRect(&b, inBasket)) << "the peer does not cover the basket";

  size_t mark = peer->Lines().size();
  DragRow(1, drop, *peer, false, true);
  EXPECT_FALSE(peer->HasLine("arrived", mark));
  EXPECT_FALSE(peer->HasLine("drop", mark));
  EXPECT_EQ(basket->RootNodeCount(), 0u);

  DragRow(1, drop, *peer);
  EXPECT_FALSE(peer->WaitLine("arrived 1 ").empty()) << "the drop went below the peer's window";
  EXPECT_NE(peer->Arrival(1).find("File 1.dat"), std::string::npos);
  EXPECT_EQ(basket->RootNodeCount(), 0u);
}

// A list of files from the peer becomes a row per file with its name and size.
TEST_F(TreeDemoPeer, FilesFromThePeerBecomeRowsWithTheirSizes) {
  auto dir = std::filesystem::temp_directory_path() / ("qv-peer-files-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string small = (dir / "a b.txt").string(), large = (dir /
                                                           "Gr\xc3\xbc\xc3\x9f"
                                                           "e #2.dat")
                                                              .string();
  std::ofstream(small) << "abc";
  std::ofstream(large) << std::string(5000, 'x');
  DndPeer::Options options;
  options.dragFiles = {small, large};
  auto peer = StartPeer(options);
  ASSERT_TRUE(DropIn(*peer, 2)) << Log(*peer);
  PDataNode first = basket->GetFirst(), second = basket->GetNextSibling(first);
  EXPECT_EQ(basket->GetText(first, 0), u"a b.txt");
  EXPECT_EQ(basket->GetText(first, 1), u"3 bytes");
  EXPECT_EQ(basket->GetText(second, 0), u"Gr\u00fc\u00dfe #2.dat");
  EXPECT_EQ(basket->GetText(second, 1), u"5000 bytes");
  EXPECT_FALSE(peer->WaitLine("asked text/uri-list").empty());
  std::filesystem::remove_all(dir);
}

// Text beyond what one property holds comes from the peer in pieces (INCR):
// every line becomes a row.
TEST_F(TreeDemoPeer, ALongTextFromThePeerArrivesInPieces) {
  auto file = std::filesystem::temp_directory_path() / ("qv-peer-text-" + std::to_string(getpid()));
  {
    std::ofstream out(file);
    for (int i = 0; i < 20000; ++i) out << "line " << i << " " << std::string(40, 'x') << "\n";
  }
  DndPeer::Options options;
  options.dragTextFile = file.string();
  auto peer = StartPeer(options);
  ASSERT_TRUE(DropIn(*peer, 20000)) << basket->RootNodeCount() << " rows" << Log(*peer);
  EXPECT_EQ(basket->GetText(basket->GetFirst(), 0), u"line 0 " + std::u16string(40, u'x'));
  EXPECT_EQ(basket->GetText(basket->GetLast(), 0), u"line 19999 " + std::u16string(40, u'x'));
  std::filesystem::remove(file);
}

// The mapped window of a process (by _NET_WM_PID), 0 while there is none.
Window WindowOfProcess(::Display* d, pid_t pid) {
  ServerHeld held(d);
  Atom wmPid = XInternAtom(d, "_NET_WM_PID", False);
  std::function<Window(Window, int)> find = [&](Window w, int depth) -> Window {
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XWindowAttributes a;
    bool match = XGetWindowProperty(d, w, wmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                                    &data) == Success &&
                 data && count == 1 && pid_t(*reinterpret_cast<long*>(data)) == pid &&
                 XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
    if (data) XFree(data);
    if (match) return w;
    if (depth == 0) return 0;
    Window root, parent, *children = nullptr, found = 0;
    unsigned n = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n))
      for (unsigned i = 0; i < n && !found; ++i) found = find(children[i], depth - 1);
    if (children) XFree(children);
    return found;
  };
  return find(DefaultRootWindow(d), 3);
}

// Rows dragged from a second demo (another process) arrive as their text.
TEST_F(TreeDemoPeer, RowsOfASecondDemoArriveAsText) {
  pid_t pid = StartProgram(QV_TREE_DEMO_PROGRAM, server->Display().c_str());
  ASSERT_GT(pid, 0);
  ::Display* d = XOpenDisplay(server->Display().c_str());
  ASSERT_NE(d, nullptr);
  Window w = 0;
  ASSERT_TRUE(PumpUntil([&] { return (w = WindowOfProcess(d, pid)) != 0; }));
  // Beside ours, where its first rows show: as our own, at the same place in its window.
  XMoveWindow(d, w, 620, 60);
  XFlush(d);
  POINT origin{-1, -1};
  ASSERT_TRUE(PumpUntil([&] {
    ServerHeld held(d);
    Window child;
    int x = 0, y = 0;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    origin = POINT{x, y};
    std::vector<uint32_t> header = ReadPixels(d, w, 100, 5, 1, 1);
    return x >= 600 && !header.empty() && header[0] == (PixelRGB(212, 208, 200) & 0xFFFFFF);
  }));
  POINT ours = RowPoint(1), client = form->ClientToScreen(POINT{0, 0});
  POINT from{origin.x + ours.x - client.x, origin.y + ours.y - client.y};
  POINT to = BasketPoint();
  ASSERT_TRUE(Drive(
      [&] {
        basketEntered = false;
        Xdo({"mousemove", S(from.x), S(from.y), "mousedown", "1", "mousemove", S(from.x + 12), S(from.y + 3),
             "mousemove", S(from.x - 100), S(from.y + 6), "mousemove", S(to.x), S(to.y)});
        WaitFor([&] {
          if (basketEntered) return true;
          Xdo({"mousemove", S(to.x + 2), S(to.y + 1), "mousemove", S(to.x), S(to.y)});
          return false;
        });
        Xdo({"mouseup", "1"});
      },
      [&] { return basket->RootNodeCount() == 1; }));
  std::u16string row = basket->GetText(basket->GetFirst(), 0);
  EXPECT_EQ(row.rfind(u"File 1.dat", 0), 0u) << Utf16ToUtf8(row);
  XCloseDisplay(d);
  kill(pid, SIGTERM);
  Reap(pid, 5000ms);
}

// Rows whose text was made since the count was reset (the name column's
// text asked of the tree), how many of them lie far below those the window
// shows (only a text makes those), and what a timer of the windows saw of it.
std::atomic<uint32_t> rowsRendered{0}, farRows{0};
std::atomic<bool> answeredMidway{false};

// Counts the rows made into the tree's text from now on.
void CountRendering(TDataStringTree* tree) {
  rowsRendered = farRows = 0;
  auto getText = tree->OnGetText;
  tree->OnGetText = [getText](TBaseDataTree* t, PDataNode node, TColumnIndex column, TVSTTextType type,
                              std::u16string& text) {
    if (column == 0) {
      ++rowsRendered;
      if (t->GetNodeData<treedemo::TRowData>(node)->Id > 1000) ++farRows;
    }
    getText(t, node, column, type, text);
  };
}

void SampleRendering(HWND, UINT, uintptr_t, DWORD) {
  // A million rows made at one go would never be seen half made.
  uint32_t made = rowsRendered;
  if (made > kRows / 20 && made < kRows - kRows / 20) answeredMidway = true;
}

// Many rows go in pieces (INCR) while our windows keep going; the times from
// release to arrival are reported for one row, 5,000 and a million. The
// text is made from the drag's start, a piece at a time while the windows
// are idle: rows are made while the pointer is still over our window, and
// the windows answer while a million rows are made.
TEST_F(TreeDemoPeer, OneRowFiveThousandAndAMillionArriveWhole) {
  auto peer = StartPeer();
  auto getText = tree->OnGetText;
  CountRendering(tree);
  int n = 0;
  for (uint32_t rows : {1u, 5000u, kRows}) {
    tree->ClearSelection();
    if (rows == kRows) {
      tree->SelectAll(true);  // the million top-level rows, folders not opened
    } else {
      PDataNode node = tree->GetNextSibling(tree->GetFirst());
      for (uint32_t i = 0; i < rows && node; ++i, node = tree->GetNextSibling(node))
        tree->SetSelected(node, true);
    }
    tree->SetFocusedNode(tree->GetNextSibling(tree->GetFirst()));
    ++n;
    rowsRendered = farRows = 0;
    answeredMidway = false;
    SetTimer(form->Handle(), 1, 10, SampleRendering);
    // A million rows are being made while the pointer is still over our window.
    std::function<bool()> made;
    if (rows == kRows) made = [] { return farRows > 0; };
    double released = DragRow(1, peer->DropPoint(), *peer, false, false, {}, made);
    ASSERT_NE(released, 0);
    std::string line = peer->WaitLine("arrived " + std::to_string(n) + " ", 0, 300s);
    KillTimer(form->Handle(), 1);
    ASSERT_FALSE(line.empty()) << rows << " rows never arrived";
    std::string bytes = peer->Arrival(n);
    // A line of column titles, then a line per row.
    EXPECT_EQ(bytes.rfind("Name\tSize\t", 0), 0u);
    size_t lines = 0;
    for (char ch : bytes) lines += ch == '\n';
    lines += !bytes.empty() && bytes.back() != '\n';
    EXPECT_EQ(lines, rows + 1) << line;
    if (rows == kRows) {
      EXPECT_TRUE(answeredMidway) << "the windows did not answer while the rows were made";
    }
    double ms = (std::stod(Field(line, 5)) - released) * 1000;
    std::fprintf(stderr, "rows=%u bytes=%zu leave_to_offer_ms=%.0f release_to_arrival_ms=%.0f\n", rows,
                 bytes.size(), offeredAfter * 1000, ms);
    RecordProperty("release_to_arrival_ms_" + std::to_string(rows), int(ms));
  }
  tree->OnGetText = getText;
}

// A drag of a million rows that takes nothing, cancelled with Escape over the
// peer or released over the bare desktop: its text, begun with the drag, is
// no longer made once the drag is over.
TEST_F(TreeDemoPeer, ADragThatTakesNothingStopsMakingItsText) {
  auto peer = StartPeer();
  auto getText = tree->OnGetText;
  tree->SelectAll(true);
  tree->SetFocusedNode(tree->GetNextSibling(tree->GetFirst()));
  CountRendering(tree);
  // Rows the window shows are painted again after the drag: only those
  // far below them are counted.
  auto stopped = [&](const char* how) {
    uint32_t made = farRows;
    EXPECT_GT(made, 0u) << how << ": the text was not begun";
    EXPECT_LT(made, kRows - 1001) << how << ": the whole text was made";
    // A while of the windows' idle steps: nothing more is made.
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start > 500; });
    EXPECT_EQ(farRows.load(), made) << how << ": the text was still made after the drag";
  };
  size_t mark = peer->Lines().size();
  ASSERT_NE(DragRow(1, peer->DropPoint(), *peer, false, true, {}, [] { return farRows > 0; }), 0);
  stopped("cancelled");
  EXPECT_FALSE(peer->HasLine("drop", mark));

  rowsRendered = farRows = 0;
  POINT from = RowPoint(1), desktop{1000, 740};
  int before = ended;
  ASSERT_TRUE(Drive(
      [&] {
        StartDrag(from);
        WaitFor([&] { return farRows > 0; });
        Xdo({"mousemove", S(desktop.x), S(desktop.y), "mousemove", S(desktop.x + 2), S(desktop.y + 1),
             "mouseup", "1"});
      },
      [&] { return ended > before; }))
      << "the drag dropped on the desktop did not end" << Situation(*peer);
  stopped("dropped on the desktop");
  tree->OnGetText = getText;
}

// A drop target killed while it reads a large drop slowly (the drop's data
// going out in pieces): the drag is over at once, and a drag right after it
// onto another program delivers within a second of its release. (The drag
// waited for the dead target's finish for seconds, and took every press
// meanwhile.)
TEST_F(TreeDemoPeer, ADragRightAfterADropTargetWasKilledInTheTransferArrives) {
  auto peer = StartPeer();
  std::string status =
      (std::filesystem::temp_directory_path() / ("qv-slow-target-" + std::to_string(getpid()))).string();
  std::filesystem::remove(status);
  auto said = [&](const std::string& line) {
    std::ifstream in(status);
    for (std::string got; std::getline(in, got);)
      if (got == line) return true;
    return false;
  };
  pid_t target = StartProgram(QV_SLOW_DROP_TARGET_PROGRAM, server->Display().c_str(), {status, "620", "360"});
  ASSERT_GT(target, 0);
  ::Display* d = XOpenDisplay(server->Display().c_str());
  ASSERT_NE(d, nullptr);
  Window w = 0;
  ASSERT_TRUE(PumpUntil([&] { return said("shown") && (w = FindClient(d, "qv slow drop target")) != 0; }));
  POINT middle{};
  {
    ServerHeld held(d);
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 120, 100, &middle.x, &middle.y, &child);
  }
  XCloseDisplay(d);

  // Enough rows for a few dozen pieces; the second drag takes the first row alone.
  tree->ClearSelection();
  TNodeArray rows;
  for (PDataNode n = tree->GetNextSibling(tree->GetFirst()); n && rows.size() < 60000;
       n = tree->GetNextSibling(n))
    rows.push_back(n);
  tree->AddToSelectionList(rows, true);
  tree->SetFocusedNode(tree->GetNextSibling(tree->GetFirst()));
  POINT from = RowPoint(1), first = RowPoint(0), to = peer->DropPoint();
  std::u16string firstName = tree->GetText(tree->GetFirst(), 0);
  int before = started, endedBefore = ended;
  std::atomic<bool> gaveUp{false};
  std::string failed;  // why the pointer gave up, read once it is through
  double released = 0;
  ASSERT_TRUE(Drive(
      [&] {
        auto drag = [&](POINT at, POINT over, int count, const std::function<bool()>& entered) {
          Xdo({"mousemove", S(at.x), S(at.y), "mousedown", "1", "mousemove", S(at.x + 12), S(at.y + 3),
               "mousemove", S(at.x + 24), S(at.y + 6)});
          int step = 0;
          if (!WaitFor(
                  [&] {
                    Xdo({"mousemove", S(at.x + 24 + ++step % 8), S(at.y + 6)});
                    return started >= before + count;
                  },
                  10s))
            return failed = "drag " + std::to_string(count) + " did not start", gaveUp = true, false;
          Xdo({"mousemove", S(over.x), S(over.y)});
          if (!WaitFor(
                  [&] {
                    Xdo({"mousemove", S(over.x + 2), S(over.y + 1), "mousemove", S(over.x), S(over.y)});
                    return entered();
                  },
                  10s))
            return failed = "drag " + std::to_string(count) + " never reached its target", gaveUp = true,
                   false;
          released = WallSeconds();
          Xdo({"mouseup", "1"});
          return true;
        };
        if (!drag(from, middle, 1, [&] { return said("entered"); })) return;
        if (!WaitFor([&] { return said("piece 2"); }, 60s))
          return (void)(failed = "the target read no pieces", gaveUp = true);
        kill(target, SIGKILL);
        // At once, as a user goes on to the next program.
        drag(first, to, 2, [&] { return peer->HasLine("offered"); });
      },
      [&] { return gaveUp || ended >= endedBefore + 2; }));
  Reap(target, 5000ms);
  std::filesystem::remove(status);
  ASSERT_EQ(failed, "") << Log(*peer);
  std::string line = peer->WaitLine("arrived 1 ", 0, 30s);
  ASSERT_FALSE(line.empty()) << "the drag after the kill delivered nothing" << Log(*peer);
  EXPECT_LT(std::stod(Field(line, 5)) - released, 1.0) << line;
  std::string bytes = peer->Arrival(1);
  EXPECT_NE(bytes.find(Utf16ToUtf8(firstName)), std::string::npos) << bytes;
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 2) << "the header and one row: " << bytes;
}

// A desktop of 3840x2160: what the windows do at each turn of their loop
// costs the more, the larger the screen.
class TreeDemoPeerOnALargeScreen : public TreeDemoPeer {
 protected:
  TreeDemoPeerOnALargeScreen() { screen = "3840x2160x24"; }
};

// A Qt program reads a large drop through its own drop code, which gives a
// transfer in pieces 5 s in all: every piece must follow the last at once,
// whatever the window went through before (a copy of the same rows read
// whole by another program, an earlier drag) and whoever asks the clipboard
// meanwhile. Each text format it reads must be the rows byte for byte. A
// few pieces show that as well as many, and leave a busy machine the time.
TEST_F(TreeDemoPeerOnALargeScreen, AQtProgramGetsALargeDropWholeAfterACopyAndADragAndBesideAClipboardPoller) {
  if (std::string missing = QtTargetMissing(); !missing.empty()) GTEST_SKIP() << missing;
  DndPeer::Options options;
  options.qt = true;
  options.title = "qv qt drop target";
  auto target = StartPeer(options);
  ASSERT_TRUE(target->Shown());
  // Enough rows for three pieces.
  constexpr uint32_t kDragged = 30000;
  tree->ClearSelection();
  TNodeArray rows;
  for (PDataNode n = tree->GetNextSibling(tree->GetFirst()); n && rows.size() < kDragged;
       n = tree->GetNextSibling(n))
    rows.push_back(n);
  tree->AddToSelectionList(rows, true);
  tree->SetFocusedNode(tree->GetNextSibling(tree->GetFirst()));
  const std::string expected = Utf16ToUtf8(tree->RenderUnicodeText(txSelected, u'\t'));
  ASSERT_GT(expected.size(), size_t(2) << 20);
  CountRendering(tree);
  auto same = [&](int arrival) -> ::testing::AssertionResult {
    std::string got = target->Arrival(arrival);
    if (got == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    return ::testing::AssertionFailure()
           << "arrival " << arrival << ": " << got.size() << " bytes for " << expected.size()
           << ", the first difference at " << at << Log(*target);
  };
  // Each drop is read as two formats (the charset named and not).
  auto dropWhole = [&](int first) {
    size_t mark = target->Lines().size();
    // Held over the target before the release, as a user does, until the
    // text is made (from the drag's start, while the windows are idle): the
    // drop's pieces then follow each other as quickly as the window answers.
    rowsRendered = 0;
    auto made = [] {
      EXPECT_TRUE(WaitFor([] { return rowsRendered >= kDragged; }, 300s)) << "the text was not made";
    };
    ASSERT_NE(DragRow(1, target->DropPoint(), *target, false, false, made), 0);
    std::string finished = target->WaitLine("finished", mark, 300s);
    ASSERT_EQ(finished, "finished ok") << Log(*target);
    EXPECT_TRUE(same(first));
    EXPECT_TRUE(same(first + 1));
  };

  // The same rows copied and read whole by another program.
  tree->CopyToClipboard();
  SelectionReader reader(server->Display());
  SelectionReader::Result copied;
  ASSERT_TRUE(Drive([&] { copied = reader.Read("CLIPBOARD", "UTF8_STRING"); }, [] { return true; }));
  ASSERT_TRUE(copied.whole) << copied.failure;
  ASSERT_TRUE(copied.bytes == expected) << copied.bytes.size() << " bytes copied for " << expected.size();
  // A first drag of them.
  dropWhole(1);
  // Another drag, with the clipboard asked for its types all along.
  ClipboardPoller poller(server->Display());
  ASSERT_TRUE(PumpUntil([&] { return poller.Answers() > 2; })) << "the clipboard's owner does not answer";
  int before = poller.Answers();
  dropWhole(3);
  EXPECT_GT(poller.Answers(), before) << "the clipboard went unanswered during the drag";
}

}  // namespace
}  // namespace qv::test
