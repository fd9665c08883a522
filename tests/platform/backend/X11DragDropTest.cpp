// Drag and drop with other programs through a real X server (Xvfb, skipped
// when it is not installed): a second X client of the test's own speaks the
// drag-and-drop protocol on the other side, as a source dropping text on our
// registered target and as a target taking the rows of a drag of ours.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ole/Clipboard.h"
#include "platform/ole/DragDrop.h"
#include "platform/ole/DragOffer.h"
#include "platform/ole/MemoryDataObject.h"
#include "tests/common/SelectionAnswer.h"
#include "tests/common/X11WindowTest.h"

namespace qv {
namespace {

using namespace std::chrono_literals;

// Records what reaches it and takes a copy where `accepts` says so.
class Target final : public ComObject<IDropTarget> {
 public:
  HRESULT DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC f;
    f.cfFormat = CF_UNICODETEXT;
    calls.push_back(data && data->QueryGetData(&f) == S_OK ? "enter text" : "enter");
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragLeave() override {
    calls.push_back("leave");
    return S_OK;
  }
  HRESULT Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    calls.push_back("drop");
    FORMATETC f;
    f.cfFormat = CF_UNICODETEXT;
    STGMEDIUM m;
    if (data && SUCCEEDED(data->GetData(&f, &m))) {
      text = static_cast<const char16_t*>(GlobalLock(m.hGlobal));
      GlobalUnlock(m.hGlobal);
      ReleaseStgMedium(&m);
    }
    *effect &= DROPEFFECT_COPY;
    dropped = std::chrono::steady_clock::now();
    return S_OK;
  }
  std::vector<std::string> calls;
  std::u16string text;
  std::chrono::steady_clock::time_point dropped;  // when the drop had its data
};

class Source final : public ComObject<IDropSource> {
 public:
  HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override {
    running = true;
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
  std::atomic<bool> running{false};  // the drag loop has asked
};

// The other program: its own connection, used by one thread at a time.
struct Peer {
  explicit Peer(const std::string& display) : d(XOpenDisplay(display.c_str())) {}
  ~Peer() {
    if (d) XCloseDisplay(d);
  }
  Atom A(const char* name) { return XInternAtom(d, name, False); }
  void Send(Window to, const char* type, long l0, long l1, long l2, long l3, long l4) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = to;
    ev.xclient.message_type = A(type);
    ev.xclient.format = 32;
    long l[5] = {l0, l1, l2, l3, l4};
    for (int i = 0; i < 5; ++i) ev.xclient.data.l[i] = l[i];
    XSendEvent(d, to, False, NoEventMask, &ev);
    XFlush(d);
  }
  // The next client message of `type` to `w`, within the limit (generous for a
  // loaded machine); false when none came.
  bool Expect(Window w, const char* type, XClientMessageEvent& out, std::chrono::milliseconds limit = 30s) {
    Atom want = A(type);
    auto deadline = std::chrono::steady_clock::now() + limit;
    XEvent ev;
    while (std::chrono::steady_clock::now() < deadline) {
      while (XCheckTypedWindowEvent(d, w, ClientMessage, &ev))
        if (ev.xclient.message_type == want) return out = ev.xclient, true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }
  std::string AtomName(long atom) {
    char* n = XGetAtomName(d, Atom(atom));
    std::string s = n ? n : "";
    if (n) XFree(n);
    return s;
  }
  // What the drag selection holds as type `as`, converted to `dst` at the
  // drop's time ("" when it gave nothing within the limit).
  std::string ReadDropped(Window dst, const char* as, Time when) {
    XConvertSelection(d, A("XdndSelection"), A(as), A("QV_PEER"), dst, when);
    XFlush(d);
    XEvent n{};
    for (auto until = std::chrono::steady_clock::now() + 30s;
         !XCheckTypedWindowEvent(d, dst, SelectionNotify, &n) && std::chrono::steady_clock::now() < until;)
      std::this_thread::sleep_for(5ms);
    if (n.type != SelectionNotify || n.xselection.property == 0) return std::string();
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, dst, A("QV_PEER"), 0, 1 << 16, True, AnyPropertyType, &type, &format, &count,
                       &after, &data);
    std::string out;
    if (data) out.assign(reinterpret_cast<char*>(data), count), XFree(data);
    return out;
  }
  Display* d;
};

class X11DragDrop : public test::X11WindowTest {
 protected:
  void SetUp() override {
    X11WindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_NO_FATAL_FAILURE(ShowTop(u"QvX11Drag", DefWindowProcW, u"Rows", RECT{50, 50, 350, 250}, false));
    // Only the left half takes drops.
    left = CreateWindowExW(0, u"QvX11Drag", u"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 200, top, nullptr, nullptr,
                           nullptr);
    target = ComPtr<Target>::Adopt(new Target);
    ASSERT_EQ(RegisterDragDrop(left, target.Get()), S_OK);
  }
  void TearDown() override {
    if (left) RevokeDragDrop(left);
    X11WindowTest::TearDown();
  }
  // Our window as the other client sees it: the one that says it takes drops.
  Window OurWindow(Peer& p) {
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    XQueryTree(p.d, DefaultRootWindow(p.d), &root, &parent, &children, &n);
    Window found = 0;
    for (unsigned i = 0; i < n; ++i) {
      Atom type;
      int format;
      unsigned long count, after;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(p.d, children[i], p.A("XdndAware"), 0, 1, False, XA_ATOM, &type, &format, &count,
                             &after, &data) == Success &&
          data && count == 1 && reinterpret_cast<long*>(data)[0] == 5)
        found = children[i];
      if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
  }

  HWND left = nullptr;
  ComPtr<Target> target;
};

TEST_F(X11DragDrop, AnotherProgramDropsTextOnOurTarget) {
  Peer p(server->Display());
  ASSERT_TRUE(p.d);
  Window ours = OurWindow(p);
  ASSERT_NE(ours, 0u);
  Window src = XCreateSimpleWindow(p.d, DefaultRootWindow(p.d), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(p.d, p.A("XdndSelection"), src, CurrentTime);
  std::atomic<bool> done{false};
  bool rejectedRight = false, acceptedLeft = false, finishedOk = false, servedText = false;
  std::string statusAction, finishedAction;
  std::thread peer([&] {
    XClientMessageEvent m;
    auto at = [](int x, int y) { return long((x << 16) | y); };
    p.Send(ours, "XdndEnter", long(src), 5L << 24, long(p.A("UTF8_STRING")), 0, 0);
    // Over the right half, which takes nothing, then over the left half.
    p.Send(ours, "XdndPosition", long(src), 0, at(50 + 220, 100), CurrentTime, long(p.A("XdndActionCopy")));
    if (p.Expect(src, "XdndStatus", m)) rejectedRight = !(m.data.l[1] & 1) && Window(m.data.l[0]) == ours;
    p.Send(ours, "XdndPosition", long(src), 0, at(50 + 60, 100), CurrentTime, long(p.A("XdndActionCopy")));
    if (p.Expect(src, "XdndStatus", m)) {
      acceptedLeft = m.data.l[1] & 1;
      statusAction = p.AtomName(m.data.l[4]);
    }
    p.Send(ours, "XdndDrop", long(src), 0, CurrentTime, 0, 0);
    // Our side reads the text from the drag selection before it says it has finished.
    auto deadline = std::chrono::steady_clock::now() + 30s;
    XEvent ev;
    while (std::chrono::steady_clock::now() < deadline) {
      if (XCheckTypedWindowEvent(p.d, src, SelectionRequest, &ev)) {
        auto& r = ev.xselectionrequest;
        const char text[] = "row one\nrow \xc3\xa9t\xc3\xa9";
        XChangeProperty(p.d, r.requestor, r.property, r.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text), int(sizeof text - 1));
        test::AnswerRequest(p.d, r, r.property);
        servedText = p.AtomName(long(r.target)) == "UTF8_STRING";
      }
      if (p.Expect(src, "XdndFinished", m, 10ms)) {
        finishedOk = (m.data.l[1] & 1) && Window(m.data.l[0]) == ours;
        finishedAction = p.AtomName(m.data.l[2]);
        break;
      }
    }
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 120000));
  peer.join();
  EXPECT_TRUE(rejectedRight);
  EXPECT_TRUE(acceptedLeft);
  EXPECT_EQ(statusAction, "XdndActionCopy");
  EXPECT_TRUE(servedText);
  EXPECT_TRUE(finishedOk);
  EXPECT_EQ(finishedAction, "XdndActionCopy");
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter text", "drop"}));
  EXPECT_EQ(target->text, u"row one\nrow \u00e9t\u00e9");

  // A drag that leaves again: the target lets go, nothing is dropped.
  target->calls.clear();
  done = false;
  std::thread again([&] {
    XClientMessageEvent m;
    p.Send(ours, "XdndEnter", long(src), 5L << 24, long(p.A("text/plain;charset=utf-8")), 0, 0);
    p.Send(ours, "XdndPosition", long(src), 0, long(((50 + 60) << 16) | 100), CurrentTime,
           long(p.A("XdndActionCopy")));
    p.Expect(src, "XdndStatus", m);
    p.Send(ours, "XdndLeave", long(src), 0, 0, 0, 0);
    done = true;
  });
  EXPECT_TRUE(
      PumpUntil([&] { return done.load() && !target->calls.empty() && target->calls.back() == "leave"; }));
  again.join();
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter text", "leave"}));
  XDestroyWindow(p.d, src);
}

TEST_F(X11DragDrop, OurRowsDropOnAnotherProgram) {
  if (!test::OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  // Rows that name existing files are offered as files too.
  auto dir = std::filesystem::temp_directory_path() / ("qv-xdnd-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string one = (dir / "a b.txt").string(), two = (dir / "c.txt").string();
  std::ofstream(one) << "1";
  std::ofstream(two) << "2";
  Peer p(server->Display());
  ASSERT_TRUE(p.d);
  Window dst = XCreateSimpleWindow(p.d, DefaultRootWindow(p.d), 420, 50, 200, 200, 0, 0, 0xFFFFFF);
  long version = 5;
  XChangeProperty(p.d, dst, p.A("XdndAware"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&version), 1);
  XMapWindow(p.d, dst);
  XSync(p.d, False);
  ASSERT_TRUE(test::Xdo(server->Display(), {"mousemove", "100", "100", "mousedown", "1"}));
  ASSERT_TRUE(PumpUntil([&] { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; }));

  std::vector<std::string> types;
  std::string text, uris, leftAt;
  bool finished = false;
  std::atomic<bool> entered{false}, statusSent{false};
  std::thread peer([&] {
    XClientMessageEvent m;
    if (!p.Expect(dst, "XdndEnter", m)) return;
    Window src = Window(m.data.l[0]);
    for (int i = 2; i < 5; ++i)
      if (m.data.l[i]) types.push_back(p.AtomName(m.data.l[i]));
    entered = true;
    if (!p.Expect(dst, "XdndPosition", m)) return;
    p.Send(src, "XdndStatus", long(dst), 1, 0, 0, long(p.A("XdndActionCopy")));
    statusSent = true;
    // Later positions are answered too, until the drop comes.
    XEvent ev;
    auto deadline = std::chrono::steady_clock::now() + 30s;
    Time dropTime = 0;
    while (std::chrono::steady_clock::now() < deadline && !dropTime) {
      if (!XCheckTypedWindowEvent(p.d, dst, ClientMessage, &ev)) {
        std::this_thread::sleep_for(5ms);
        continue;
      }
      std::string type = p.AtomName(long(ev.xclient.message_type));
      if (type == "XdndPosition") p.Send(src, "XdndStatus", long(dst), 1, 0, 0, long(p.A("XdndActionCopy")));
      if (type == "XdndDrop") dropTime = Time(ev.xclient.data.l[2]);
      if (type == "XdndLeave") return;
    }
    auto read = [&](const char* as) { return p.ReadDropped(dst, as, dropTime); };
    text = read("text/plain;charset=utf-8");
    uris = read("text/uri-list");
    p.Send(src, "XdndFinished", long(dst), 1, long(p.A("XdndActionCopy")), 0, 0);
    finished = true;
  });
  auto data = MemoryDataObject::Create();
  data->SetText(Utf8ToUtf16(one + "\n" + two));
  auto source = ComPtr<Source>::Adopt(new Source);
  std::thread mouse([&] {
    test::WaitFor([&] { return source->running.load(); });
    test::Xdo(server->Display(), {"mousemove", "300", "120", "mousemove", "480", "120"});
    test::WaitFor([&] {
      test::Xdo(server->Display(), {"mousemove", "490", "125", "mousemove", "500", "130"});
      return entered.load();
    });
    test::WaitFor([&] { return statusSent.load(); });
    test::Xdo(server->Display(), {"mouseup", "1"});
  });
  DWORD effect = 0;
  HRESULT hr = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
  mouse.join();
  peer.join();
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  EXPECT_TRUE(finished);
  EXPECT_EQ(types, (std::vector<std::string>{"text/uri-list", "text/plain;charset=utf-8", "UTF8_STRING"}));
  EXPECT_EQ(text, one + "\n" + two);
  EXPECT_EQ(uris, "file://" + dir.string() + "/a%20b.txt\r\nfile://" + dir.string() + "/c.txt\r\n");
  // Our own target never saw the drag: it went to the other program.
  EXPECT_TRUE(target->calls.empty() || target->calls.back() == "leave");
  std::filesystem::remove_all(dir);
}

// What a target of our own client saw of one drag of ours, and did.
struct TakenDrop {
  std::vector<std::string> types, actions;
  std::string text;
  bool positioned = false, dropped = false;
};

// Takes one drag on `dst`: reads what the source announces, accepts each
// position with `action`, on the drop reads the text (when `read`) and
// finishes with success and `action`.
void TakeDrop(Peer& p, Window dst, const char* action, bool read, TakenDrop& out,
              std::atomic<bool>& positioned) {
  XClientMessageEvent m;
  if (!p.Expect(dst, "XdndEnter", m)) return;
  Window src = Window(m.data.l[0]);
  auto atoms = [&](const char* property) {
    std::vector<std::string> names;
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(p.d, src, p.A(property), 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data);
    for (unsigned long i = 0; i < count; ++i) names.push_back(p.AtomName(reinterpret_cast<long*>(data)[i]));
    if (data) XFree(data);
    return names;
  };
  out.actions = atoms("XdndActionList");
  out.types = (m.data.l[1] & 1) ? atoms("XdndTypeList") : std::vector<std::string>{};
  Time dropTime = 0;
  XEvent ev;
  auto deadline = std::chrono::steady_clock::now() + 30s;
  while (std::chrono::steady_clock::now() < deadline && !dropTime) {
    if (!XCheckTypedWindowEvent(p.d, dst, ClientMessage, &ev)) {
      std::this_thread::sleep_for(5ms);
      continue;
    }
    std::string type = p.AtomName(long(ev.xclient.message_type));
    if (type == "XdndPosition") {
      p.Send(src, "XdndStatus", long(dst), 1, 0, 0, long(p.A(action)));
      out.positioned = positioned = true;
    }
    if (type == "XdndDrop") dropTime = Time(ev.xclient.data.l[2]);
    if (type == "XdndLeave") return;
  }
  out.dropped = dropTime != 0;
  if (read) out.text = p.ReadDropped(dst, "text/plain", dropTime);
  p.Send(src, "XdndFinished", long(dst), 1, long(p.A(action)), 0, 0);
}

// A target that says it moved the rows without asking for them took
// nothing; once another client has taken the drag selection, our next drag
// claims it back and serves its data, and that move counts.
TEST_F(X11DragDrop, AMoveCountsOnlyWhenTheDataWentAndEachDragClaimsTheSelection) {
  if (!test::OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  Peer p(server->Display());
  ASSERT_TRUE(p.d);
  Window dst = XCreateSimpleWindow(p.d, DefaultRootWindow(p.d), 420, 50, 200, 200, 0, 0, 0xFFFFFF);
  long version = 5;
  XChangeProperty(p.d, dst, p.A("XdndAware"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&version), 1);
  XMapWindow(p.d, dst);
  XSync(p.d, False);
  auto dir = std::filesystem::temp_directory_path() / ("qv-xdnd-move-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string one = (dir / "r\xc3\xa9sum\xc3\xa9.txt").string(), two = (dir / "two").string();
  std::ofstream(one) << "1";
  std::ofstream(two) << "2";
  auto data = MemoryDataObject::Create();
  data->SetText(Utf8ToUtf16(one + "\n" + two));

  auto drag = [&](bool read, TakenDrop& taken) {
    std::atomic<bool> positioned{false};
    auto source = ComPtr<Source>::Adopt(new Source);
    EXPECT_TRUE(test::Xdo(server->Display(), {"mousemove", "100", "100", "mousedown", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; }));
    std::thread peer([&] { TakeDrop(p, dst, "XdndActionMove", read, taken, positioned); });
    std::thread mouse([&] {
      test::WaitFor([&] { return source->running.load(); });
      test::WaitFor([&] {
        test::Xdo(server->Display(), {"mousemove", "470", "120", "mousemove", "480", "130"});
        return positioned.load();
      });
      test::Xdo(server->Display(), {"mouseup", "1"});
    });
    DWORD effect = 0;
    HRESULT hr = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    mouse.join();
    peer.join();
    return hr == DRAGDROP_S_DROP ? effect : DWORD(0xFFFF);
  };

  TakenDrop first;
  EXPECT_EQ(drag(false, first), 0xFFFFu) << "a move of rows never asked for";
  EXPECT_TRUE(first.dropped);
  EXPECT_EQ(first.actions, (std::vector<std::string>{"XdndActionMove", "XdndActionLink"}));
  // Rows that are files: four types, so the enter points to the full list.
  EXPECT_EQ(first.types, (std::vector<std::string>{"text/uri-list", "text/plain;charset=utf-8", "UTF8_STRING",
                                                   "text/plain"}));

  // Another client's drag takes the selection between ours.
  Window other = XCreateSimpleWindow(p.d, DefaultRootWindow(p.d), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(p.d, p.A("XdndSelection"), other, CurrentTime);
  XSync(p.d, False);
  ASSERT_EQ(XGetSelectionOwner(p.d, p.A("XdndSelection")), other);

  TakenDrop second;
  EXPECT_EQ(drag(true, second), DWORD(DROPEFFECT_MOVE));
  EXPECT_EQ(second.text, one + "\n" + two);
  XDestroyWindow(p.d, other);
  std::filesystem::remove_all(dir);
}

// A target that answers each position only after 2 s: it has one position
// at a time to answer, and a drag released while an answer is still to come
// (with a newer position waiting for it) is dropped there once it accepts.
TEST_F(X11DragDrop, ASlowTargetIsSentOnePositionAtATimeAndStillGetsTheDrop) {
  if (!test::OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  Peer p(server->Display());
  ASSERT_TRUE(p.d);
  Window dst = XCreateSimpleWindow(p.d, DefaultRootWindow(p.d), 420, 50, 200, 200, 0, 0, 0xFFFFFF);
  long version = 5;
  XChangeProperty(p.d, dst, p.A("XdndAware"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&version), 1);
  XMapWindow(p.d, dst);
  XSync(p.d, False);
  ASSERT_TRUE(test::Xdo(server->Display(), {"mousemove", "100", "100", "mousedown", "1"}));
  ASSERT_TRUE(PumpUntil([&] { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; }));

  std::atomic<bool> holding{false};
  int positions = 0, crowded = 0;
  std::string text;
  bool finished = false;
  std::thread peer([&] {
    XClientMessageEvent m;
    if (!p.Expect(dst, "XdndEnter", m)) return;
    Window src = Window(m.data.l[0]);
    Time dropTime = 0;
    bool gone = false;
    XEvent ev;
    // What comes while an answer is held: more positions crowd the target.
    auto hold = [&] {
      for (auto until = std::chrono::steady_clock::now() + 2s; std::chrono::steady_clock::now() < until;) {
        if (!XCheckTypedWindowEvent(p.d, dst, ClientMessage, &ev)) {
          std::this_thread::sleep_for(5ms);
          continue;
        }
        std::string type = p.AtomName(long(ev.xclient.message_type));
        if (type == "XdndPosition") ++crowded;
        if (type == "XdndDrop") ++crowded, dropTime = Time(ev.xclient.data.l[2]);
        gone = gone || type == "XdndLeave";
      }
    };
    for (auto deadline = std::chrono::steady_clock::now() + 60s;
         std::chrono::steady_clock::now() < deadline && !dropTime;) {
      if (!XCheckTypedWindowEvent(p.d, dst, ClientMessage, &ev)) {
        std::this_thread::sleep_for(5ms);
        continue;
      }
      std::string type = p.AtomName(long(ev.xclient.message_type));
      if (type == "XdndLeave") return;
      if (type == "XdndDrop") dropTime = Time(ev.xclient.data.l[2]);
      if (type != "XdndPosition") continue;
      ++positions;
      holding = true;
      hold();
      p.Send(src, "XdndStatus", long(dst), 1, 0, 0, long(p.A("XdndActionCopy")));
      holding = false;
      if (gone) return;
    }
    text = p.ReadDropped(dst, "text/plain", dropTime);
    p.Send(src, "XdndFinished", long(dst), 1, long(p.A("XdndActionCopy")), 0, 0);
    finished = true;
  });
  auto data = MemoryDataObject::Create();
  data->SetText(u"row one\nrow two");
  auto source = ComPtr<Source>::Adopt(new Source);
  std::thread mouse([&] {
    test::WaitFor([&] { return source->running.load(); });
    test::Xdo(server->Display(), {"mousemove", "300", "120", "mousemove", "480", "120"});
    // Released just after a move, while the target still holds its answer.
    test::WaitFor([&] { return holding.load(); }, 30s);
    test::Xdo(server->Display(), {"mousemove", "500", "130", "mouseup", "1"});
  });
  DWORD effect = 0;
  HRESULT hr = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &effect);
  mouse.join();
  peer.join();
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  EXPECT_TRUE(finished);
  EXPECT_EQ(text, "row one\nrow two");
  EXPECT_GE(positions, 1);
  EXPECT_EQ(crowded, 0) << "a position or the drop came before the answer to the last position";
}

// Rows whose text takes long to start (a million are listed before their
// first byte): the text is made in steps while the windows go on, the target
// hears of the drag once its start is there, and the drop brings all of it.
class SlowStartText final : public ComObject<IDataObject, IPieceText> {
 public:
  class Reader final : public TextReader {
   public:
    bool Next(std::string& out, size_t) override {
      if (steps_ < kSteps) return ++steps_, std::this_thread::sleep_for(5ms), true;  // listing
      if (done_) return false;
      out += "row one\nrow two";
      return done_ = true;
    }

   private:
    static constexpr int kSteps = 120;
    int steps_ = 0;
    bool done_ = false;
  };
  std::unique_ptr<TextReader> ReadText() override { return std::make_unique<Reader>(); }
  HRESULT GetData(const FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT QueryGetData(const FORMATETC*) override { return E_NOTIMPL; }
  HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(const FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(const FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

TEST_F(X11DragDrop, RowsSlowToStartReachTheTargetWhileTheWindowsGoOn) {
  if (!test::OnPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  Peer p(server->Display());
  ASSERT_TRUE(p.d);
  Window dst = XCreateSimpleWindow(p.d, DefaultRootWindow(p.d), 420, 50, 200, 200, 0, 0, 0xFFFFFF);
  long version = 5;
  XChangeProperty(p.d, dst, p.A("XdndAware"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&version), 1);
  XMapWindow(p.d, dst);
  XSync(p.d, False);
  ASSERT_TRUE(test::Xdo(server->Display(), {"mousemove", "100", "100", "mousedown", "1"}));
  ASSERT_TRUE(PumpUntil([&] { return (GetKeyState(VK_LBUTTON) & 0x8000) != 0; }));

  std::vector<std::string> types;
  std::string text;
  std::atomic<bool> entered{false}, statusSent{false};
  std::thread peer([&] {
    XClientMessageEvent m;
    if (!p.Expect(dst, "XdndEnter", m)) return;
    Window src = Window(m.data.l[0]);
    for (int i = 2; i < 5; ++i)
      if (m.data.l[i]) types.push_back(p.AtomName(m.data.l[i]));
    entered = true;
    Time dropTime = 0;
    XEvent ev;
    for (auto deadline = std::chrono::steady_clock::now() + 30s;
         std::chrono::steady_clock::now() < deadline && !dropTime;) {
      if (!XCheckTypedWindowEvent(p.d, dst, ClientMessage, &ev)) {
        std::this_thread::sleep_for(5ms);
        continue;
      }
      std::string type = p.AtomName(long(ev.xclient.message_type));
      if (type == "XdndLeave") return;
      if (type == "XdndDrop") dropTime = Time(ev.xclient.data.l[2]);
      if (type != "XdndPosition") continue;
      p.Send(src, "XdndStatus", long(dst), 1, 0, 0, long(p.A("XdndActionCopy")));
      statusSent = true;
    }
    text = p.ReadDropped(dst, "UTF8_STRING", dropTime);
    p.Send(src, "XdndFinished", long(dst), 1, long(p.A("XdndActionCopy")), 0, 0);
  });
  // A timer of the window measures the longest time the windows stood
  // still, from the pointer's arrival over the target to the enter.
  static std::atomic<bool> arrived;
  static std::chrono::steady_clock::time_point lastTick;
  static double longestMs;
  arrived = false, longestMs = 0;
  lastTick = std::chrono::steady_clock::now();  // the pointer may arrive before the first tick
  SetTimer(top, 7, 10, [](HWND, UINT, uintptr_t, DWORD) {
    auto now = std::chrono::steady_clock::now();
    if (arrived)
      longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(now - lastTick).count());
    lastTick = now;
  });
  auto data = ComPtr<SlowStartText>::Adopt(new SlowStartText);
  auto source = ComPtr<Source>::Adopt(new Source);
  std::thread mouse([&] {
    test::WaitFor([&] { return source->running.load(); });
    test::Xdo(server->Display(), {"mousemove", "300", "120", "mousemove", "480", "120"});
    arrived = true;
    test::WaitFor([&] { return entered.load(); });
    arrived = false;
    test::WaitFor([&] {
      test::Xdo(server->Display(), {"mousemove", "490", "125", "mousemove", "500", "130"});
      return statusSent.load();
    });
    test::Xdo(server->Display(), {"mouseup", "1"});
  });
  DWORD effect = 0;
  HRESULT hr = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &effect);
  mouse.join();
  peer.join();
  KillTimer(top, 7);
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(types, (std::vector<std::string>{"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"}));
  EXPECT_EQ(text, "row one\nrow two");
  // The start takes 600 ms; made all at once, the windows would stand still that long.
  EXPECT_LT(longestMs, 250);
}

// A source that dies in the middle of giving its text in pieces: the drop
// on our target ends at once, with no text, and the windows go on.
TEST_F(X11DragDrop, ASourceKilledWhileItsTextComesInPiecesEndsTheDropAtOnce) {
  Peer p(server->Display());
  ASSERT_TRUE(p.d);
  Window ours = OurWindow(p);
  ASSERT_NE(ours, 0u);
  // The source program has a connection of its own, which ends as when it is killed.
  Display* source = XOpenDisplay(server->Display().c_str());
  ASSERT_TRUE(source);
  Window src = XCreateSimpleWindow(source, DefaultRootWindow(source), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(source, XInternAtom(source, "XdndSelection", False), src, CurrentTime);
  XSync(source, False);
  std::atomic<bool> done{false};
  bool accepted = false, piecesGone = false;
  std::chrono::steady_clock::time_point killed;
  std::thread peer([&] {
    p.Send(ours, "XdndEnter", long(src), 5L << 24, long(p.A("UTF8_STRING")), 0, 0);
    p.Send(ours, "XdndPosition", long(src), 0, long(((50 + 60) << 16) | 100), CurrentTime,
           long(p.A("XdndActionCopy")));
    auto next = [&](int type, Window on, XEvent& ev) {
      for (auto until = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < until;
           std::this_thread::sleep_for(2ms))
        if (XCheckTypedWindowEvent(source, on, type, &ev)) return true;
      return false;
    };
    XEvent ev;
    for (auto until = std::chrono::steady_clock::now() + 30s;
         !accepted && std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(2ms))
      while (XCheckTypedWindowEvent(source, src, ClientMessage, &ev))
        accepted = accepted || (ev.xclient.message_type == XInternAtom(source, "XdndStatus", False) &&
                                (ev.xclient.data.l[1] & 1));
    p.Send(ours, "XdndDrop", long(src), 0, CurrentTime, 0, 0);
    if (accepted && next(SelectionRequest, src, ev)) {
      XSelectionRequestEvent r = ev.xselectionrequest;
      XSelectInput(source, r.requestor, PropertyChangeMask);
      long size = 4000;
      XChangeProperty(source, r.requestor, r.property, XInternAtom(source, "INCR", False), 32,
                      PropModeReplace, reinterpret_cast<unsigned char*>(&size), 1);
      test::AnswerRequest(source, r, r.property);
      // One piece goes, then the program dies while the next is awaited.
      for (int pieces = 0; pieces < 2 && next(PropertyNotify, r.requestor, ev);) {
        if (ev.xproperty.atom != r.property || ev.xproperty.state != PropertyDelete) continue;
        if (++pieces == 2) break;
        std::string piece(1000, 'x');
        XChangeProperty(source, r.requestor, r.property, r.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(piece.data()), int(piece.size()));
        XFlush(source);
      }
      piecesGone = true;
    }
    killed = std::chrono::steady_clock::now();
    XCloseDisplay(source);
    done = true;
  });
  EXPECT_TRUE(
      PumpUntil([&] { return done.load() && !target->calls.empty() && target->calls.back() == "drop"; }));
  peer.join();
  EXPECT_TRUE(accepted);
  EXPECT_TRUE(piecesGone);
  EXPECT_EQ(target->calls, (std::vector<std::string>{"enter text", "drop"}));
  EXPECT_EQ(target->text, u"") << "part of a transfer was dropped";
  // The read's own limit is 5 s; far below it, only the source's death ended the drop.
  EXPECT_LT(target->dropped - killed, 3s);
}

}  // namespace
}  // namespace qv
