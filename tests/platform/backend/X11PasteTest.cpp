// Pasting another program's text into an edit through a real X server
// (Xvfb, skipped when it or xdotool is missing). The other program is a
// second X client of the test's own that owns the clipboard (or PRIMARY)
// and answers in pieces, late, or never, or the slow owner stopped as a
// hung program is; it dies by losing its connection, as a killed program
// does. While a paste waits our window goes on: it paints from its timer,
// keys typed show at once, and the text goes in when it comes, at the caret
// as it is then (Ctrl+V) or at the click kept through typing (a middle
// click), as one undo; a newer paste replaces one on its way, and a dead or
// silent owner ends the paste with nothing pasted.
// The edit's menu does not wait for the owner to say what it holds: it
// shows with Paste grey, and Paste follows the owner's answer. Text offered
// only as text/plain;charset=utf-8 (by the slow owner, a program of its own)
// is offered to paste and pasted exactly. The clipboard's data object offers
// what the owner said it offers, and reads only the text asked for. An
// answer that comes after the paste gave up is deleted as it comes; an
// owner that answers each request late, one after the other, still gives a
// paste asked right after a question for its types its text.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
#include <signal.h>

#include <thread>

#include "platform/Utf.h"
#include "platform/ole/OleClipboard.h"
#include "tests/common/SelectionAnswer.h"
#include "tests/platform/backend/X11EditWindow.h"

namespace qv {
namespace {

// The other program: its own connection, used by one thread at a time. It
// owns the clipboard from a window of its own.
struct Owner {
  explicit Owner(const std::string& display, const char* selection = "CLIPBOARD")
      : d(XOpenDisplay(display.c_str())) {
    if (!d) return;
    w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, A(selection), w, CurrentTime);
    XSync(d, False);
  }
  ~Owner() { Kill(); }
  Atom A(const char* name) { return XInternAtom(d, name, False); }
  // The connection ends: the server destroys its windows, as when the program is killed.
  void Kill() {
    if (d) XCloseDisplay(d);
    d = nullptr;
  }
  bool Next(int type, Window on, XEvent& ev) {
    for (auto until = Clock::now() + 30s; Clock::now() < until; std::this_thread::sleep_for(2ms))
      if (XCheckTypedWindowEvent(d, on, type, &ev)) return true;
    return false;
  }
  bool NextDelete(Window on, Atom property) {
    XEvent ev;
    while (Next(PropertyNotify, on, ev))
      if (ev.xproperty.atom == property && ev.xproperty.state == PropertyDelete) return true;
    return false;
  }
  // The next request for text; questions for the types on the way are refused.
  bool NextText(XSelectionRequestEvent& r) {
    XEvent ev;
    while (Next(SelectionRequest, w, ev)) {
      r = ev.xselectionrequest;
      if (r.target != A("TARGETS")) return true;
      Notify(r, None);
    }
    return false;
  }
  // Answers a request with UTF-8 text in one piece.
  void Give(const XSelectionRequestEvent& r, const std::string& text) {
    XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
    Notify(r, r.property);
  }
  void Notify(const XSelectionRequestEvent& r, Atom property) { test::AnswerRequest(d, r, property); }
  Display* d = nullptr;
  Window w = 0;
};

class X11Paste : public X11EditWindow {};

// Our window painted twice (from its timer) while the paste still waited;
// false when the paste ended first.
bool PaintedWhilePasteWaits() {
  int before = paints;
  for (auto until = Clock::now() + 30s; Clock::now() < until && pasting; std::this_thread::sleep_for(2ms))
    if (paints >= before + 2) return pasting;
  return false;
}

TEST_F(X11Paste, AnOwnerThatDiesBeforeAnsweringEndsThePasteAtOnceAndKeysTypedMeanwhileGoIn) {
  Owner owner(server->Display());
  ASSERT_TRUE(owner.d);
  bool asked = false, painted = false, typedWhileWaiting = false;
  std::atomic<bool> typed{false};
  Clock::time_point killed;
  std::thread peer([&] {
    XEvent req;
    asked = owner.Next(SelectionRequest, owner.w, req);
    painted = asked && PaintedWhilePasteWaits();
    typedWhileWaiting = test::Xdo(server->Display(), {"type", "ab"}) &&
                        test::WaitFor([&] { return typed.load(); }) && pasting;
    killed = Clock::now();
    owner.Kill();
  });
  ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+v"}));
  PumpUntil([&] {
    typed = typed || EditText() == u"ab";
    return pastes.load() == 1;
  });
  peer.join();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(painted) << "the window stood still while the paste waited";
  EXPECT_TRUE(typedWhileWaiting) << "keys typed while the paste waited did not go in";
  // The read's own limit is 5 s; far below it, only the owner's death ended the paste.
  EXPECT_LT(pasteEnded - killed, 3s);
  EXPECT_EQ(EditText(), u"ab");
}

// The owner answers in pieces (INCR), one per deletion of our property, and
// waits each time until our window has painted while the paste waits. With
// `pieces` < 0 it dies after -pieces pieces instead of sending the last, empty one.
void ServeInPieces(Owner& o, int pieces, bool& painted, bool& served, Clock::time_point& killed) {
  XEvent ev;
  if (!o.Next(SelectionRequest, o.w, ev)) return;
  XSelectionRequestEvent r = ev.xselectionrequest;
  XSelectInput(o.d, r.requestor, PropertyChangeMask);
  long size = 3000;
  XChangeProperty(o.d, r.requestor, r.property, o.A("INCR"), 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&size), 1);
  o.Notify(r, r.property);
  painted = true;
  int count = pieces < 0 ? -pieces : pieces;
  for (int i = 0; i <= count; ++i) {
    if (!o.NextDelete(r.requestor, r.property)) return;
    painted = painted && PaintedWhilePasteWaits();
    if (pieces < 0 && i == count) break;
    std::string piece(i < count ? 1000 : 0, char('a' + i));
    XChangeProperty(o.d, r.requestor, r.property, r.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(piece.data()), int(piece.size()));
    XFlush(o.d);
  }
  served = true;
  killed = Clock::now();
  if (pieces < 0) o.Kill();
}

TEST_F(X11Paste, AnOwnerKilledInTheMiddleOfATransferInPiecesEndsThePasteAtOnceWithNothingPasted) {
  Owner owner(server->Display());
  ASSERT_TRUE(owner.d);
  bool painted = false, served = false;
  Clock::time_point killed;
  std::thread peer([&] { ServeInPieces(owner, -3, painted, served, killed); });
  Paste();
  peer.join();
  ASSERT_TRUE(served);
  EXPECT_TRUE(painted) << "the window stood still while the paste waited";
  EXPECT_LT(pasteEnded - killed, 3s);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(EditText(), u"") << "part of a transfer was pasted";

  // The same transfer to its end pastes it whole.
  pastes = 0;
  Owner next(server->Display());
  ASSERT_TRUE(next.d);
  served = false;
  std::thread whole([&] { ServeInPieces(next, 3, painted, served, killed); });
  Paste();
  whole.join();
  ASSERT_TRUE(served);
  EXPECT_TRUE(painted);
  EXPECT_EQ(EditText(), std::u16string(1000, u'a') + std::u16string(1000, u'b') + std::u16string(1000, u'c'));
}

TEST_F(X11Paste, TheMenuShowsBeforeTheOwnerSaysWhatItHoldsAndPasteFollowsItsAnswer) {
  Owner owner(server->Display());
  Display* look = XOpenDisplay(server->Display().c_str());
  ASSERT_TRUE(owner.d && look);
  // Some text, so that Select All shows black once the menu is painted.
  SetWindowTextW(edit, u"abc");
  POINT at{40, 12};
  ClientToScreen(edit, &at);
  std::string failure;
  std::atomic<bool> through{false};
  std::thread peer([&] {
    auto fail = [&](const char* why) {
      failure = why;
      test::Xdo(server->Display(), {"key", "Escape"});  // a menu left up would hold the test
      through = true;
    };
    if (!test::Xdo(server->Display(),
                   {"mousemove", std::to_string(at.x), std::to_string(at.y), "click", "3"}))
      return fail("xdotool failed");
    XEvent ev;
    if (!owner.Next(SelectionRequest, owner.w, ev))
      return fail("the edit did not ask what the clipboard holds");
    XSelectionRequestEvent types = ev.xselectionrequest;
    if (types.target != owner.A("TARGETS")) return fail("the edit asked for more than the types");
    // The menu is up while the question waits for its answer, Paste grey.
    Window popup = 0;
    if (!test::WaitFor([&] { return (popup = ViewablePopup(look)) != 0; })) return fail("no menu came");
    int grey = 0;
    if (!test::WaitFor(
            [&] { return (grey = DarkPixels(look, popup)) > 0 && grey == DarkPixels(look, popup); }))
      return fail("the menu could not be read");
    Atom offered[] = {owner.A("TARGETS"), owner.A("UTF8_STRING")};
    XChangeProperty(owner.d, types.requestor, types.property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(offered), 2);
    owner.Notify(types, types.property);
    // Paste's text turns black.
    if (!test::WaitFor([&] { return DarkPixels(look, popup) > grey; })) return fail("Paste stayed grey");
    if (!test::Xdo(server->Display(), {"key", "p"})) return fail("xdotool failed");
    if (!owner.Next(SelectionRequest, owner.w, ev)) return fail("Paste did not read the clipboard");
    const XSelectionRequestEvent& text = ev.xselectionrequest;
    const std::string late = "said late";
    XChangeProperty(owner.d, text.requestor, text.property, owner.A("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(late.data()), int(late.size()));
    owner.Notify(text, text.property);
    through = true;
  });
  bool pasted = PumpUntil(
      [&] { return through && (!failure.empty() || EditText().find(u"said late") != std::u16string::npos); });
  peer.join();
  XCloseDisplay(look);
  EXPECT_EQ(failure, "");
  EXPECT_TRUE(pasted) << "the text was not pasted";
}

// Text offered only as text/plain;charset=utf-8, non-ASCII too: Paste is
// offered as soon as its owner has said so, and Ctrl+V pastes it exactly,
// read before and after the owner said what it offers.
TEST_F(X11Paste, TextOfferedOnlyAsPlainUtf8IsOfferedToPasteAndPastedExactly) {
  const std::string text = "Grüße — naïve 東京 ✓";
  SlowOwner owner(server->Display(), {"all", "text/plain;charset=utf-8", text});
  ASSERT_GT(owner.Pid(), 0);
  ASSERT_TRUE(PumpUntil([&] { return owner.Said("owning") && !backend->OwnsClipboard(); }));
  Paste();
  EXPECT_EQ(Utf16ToUtf8(EditText()), text) << "before the owner said what it offers";
  EXPECT_TRUE(PumpUntil([] { return ClipboardHasText(nullptr) == ClipboardText::Yes; }))
      << "Paste stays grey";
  SendMessageW(edit, EM_SETSEL, 0, -1);
  pastes = 0;
  Paste();
  EXPECT_EQ(Utf16ToUtf8(EditText()), text) << "after the owner said what it offers";
  // The owner notes a transfer served once it sent the end, which may be
  // after the text is in.
  EXPECT_TRUE(test::WaitFor([&] { return owner.Said("served") >= 2; })) << owner.Said("served") << " served";
  EXPECT_EQ(owner.Said("served"), 2);
}

// The clipboard's data object while another program holds the clipboard:
// its formats are what that program said it offers, and nothing but the
// text asked for is read.
TEST_F(X11Paste, TheClipboardsDataObjectOffersWhatTheOwnerSaidAndReadsOnlyTheTextAskedFor) {
  FORMATETC text{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  ComPtr<IDataObject> data;
  {
    SlowOwner picture(server->Display(), {"all", "image/png", "no text"});
    ASSERT_TRUE(PumpUntil([&] { return picture.Said("owning") && !backend->OwnsClipboard(); }));
    ASSERT_EQ(OleGetClipboard(data.Put()), S_OK);
    EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);
    EXPECT_EQ(picture.Said("types"), 1);
    EXPECT_EQ(picture.Said("asked") + picture.Said("refused"), 0) << "more than its types were asked for";
  }
  SlowOwner owner(server->Display(), {"all", "text/plain;charset=utf-8", "the owner's"});
  ASSERT_TRUE(PumpUntil([&] { return owner.Said("owning") && !backend->OwnsClipboard(); }));
  ASSERT_EQ(OleGetClipboard(data.Put()), S_OK);
  EXPECT_EQ(data->QueryGetData(&text), S_OK);
  EXPECT_EQ(owner.Said("asked"), 0) << "the text was read before it was asked for";
  STGMEDIUM medium{};
  ASSERT_EQ(data->GetData(&text, &medium), S_OK);
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(medium.hGlobal))), u"the owner's");
  GlobalUnlock(medium.hGlobal);
  ReleaseStgMedium(&medium);
  EXPECT_EQ(owner.Said("asked"), 1);
}

// Far below the 5 s a paste waits for another program, far above what a
// loaded machine needs to show a typed key.
constexpr auto kPrompt = 2000ms;

// The dark pixels of the edit as the screen shows it, read by another
// client; -1 when they cannot be read.
int EditDark(Display* look, HWND edit) {
  RECT r;
  GetClientRect(edit, &r);
  POINT at{0, 0};
  ClientToScreen(edit, &at);
  std::vector<uint32_t> pixels =
      test::ReadPixels(look, DefaultRootWindow(look), at.x, at.y, r.right - r.left, r.bottom - r.top);
  if (pixels.empty()) return -1;
  int n = 0;
  for (uint32_t p : pixels) n += int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF) < 150;
  return n;
}

// Another program holds the CLIPBOARD and PRIMARY and is stopped, as a hung
// program is. After Ctrl+V, and after a middle click, keys typed show in the
// edit at once, read from the screen by another client; the middle click's
// paste replaces the Ctrl+V's still on its way, and when it gives up on the
// owner nothing goes in.
TEST_F(X11Paste, AStoppedOwnerOfTheClipboardAndOfPrimaryLeavesTheWindowAnsweringAndNothingGoesIn) {
  SlowOwner clipboard(server->Display(), {"silent"}), primary(server->Display(), {"silent", "@PRIMARY"});
  ASSERT_TRUE(PumpUntil([&] { return clipboard.Said("owning") && primary.Said("owning"); }));
  ASSERT_EQ(kill(clipboard.Pid(), SIGSTOP), 0);
  ASSERT_EQ(kill(primary.Pid(), SIGSTOP), 0);
  Display* look = XOpenDisplay(server->Display().c_str());
  ASSERT_TRUE(look);
  POINT right{200, 12};  // past the end of the text
  ClientToScreen(edit, &right);
  Clock::duration afterCtrlV{}, afterMiddle{};
  Clock::time_point middleAt;
  std::string failure;
  std::atomic<bool> through{false};
  std::thread peer([&] {
    // Keys typed show within the limit; how long they took.
    auto shows = [&](const char* keys, Clock::duration& took) {
      int before = EditDark(look, edit);
      auto start = Clock::now();
      // Six wide letters darken far more than the caret's blink can.
      bool shown = before >= 0 && test::Xdo(server->Display(), {"type", keys}) &&
                   test::WaitFor([&] { return EditDark(look, edit) >= before + 40; }, 4000ms);
      took = Clock::now() - start;
      return shown;
    };
    auto fail = [&](const char* why) { failure = why, through = true; };
    if (!test::Xdo(server->Display(), {"key", "ctrl+v"}) || !test::WaitFor([] { return pasting.load(); }))
      return fail("Ctrl+V did not come");
    if (!shows("MMMMMM", afterCtrlV)) return fail("keys typed after Ctrl+V did not show");
    if (!test::Xdo(server->Display(),
                   {"mousemove", std::to_string(right.x), std::to_string(right.y), "click", "2"}) ||
        !test::WaitFor([] { return middles.load() == 1; }))
      return fail("the middle click did not come");
    middleAt = Clock::now();
    if (!shows("WWWWWW", afterMiddle)) return fail("keys typed after the middle click did not show");
    through = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return through.load(); }));
  peer.join();
  XCloseDisplay(look);
  ASSERT_EQ(failure, "");
  RecordProperty("typed_after_ctrl_v_ms",
                 int(std::chrono::duration_cast<std::chrono::milliseconds>(afterCtrlV).count()));
  RecordProperty("typed_after_middle_click_ms",
                 int(std::chrono::duration_cast<std::chrono::milliseconds>(afterMiddle).count()));
  EXPECT_LT(afterCtrlV, kPrompt) << "the window waited for the clipboard's owner";
  EXPECT_LT(afterMiddle, kPrompt) << "the window waited for the primary selection's owner";
  EXPECT_EQ(EditText(), u"MMMMMMWWWWWW");
  // The middle click's read gives up at the limit, with nothing; the Ctrl+V's, replaced, is never told.
  ASSERT_TRUE(PumpUntil([] { return pastes.load() == 1; }, 30000));
  EXPECT_GE(pasteEnded - middleAt, 4s) << "the read gave up early";
  EXPECT_EQ(EditText(), u"MMMMMMWWWWWW");
  EXPECT_EQ(clipboard.Said("asked") + primary.Said("asked"), 0);
}

// A program that answers late, once keys were typed: Ctrl+V's text goes in
// at the caret as it is when the text comes, and one undo takes it out.
TEST_F(X11Paste, LateTextOfCtrlVGoesInAtTheCaretAsItIsThenAsOneUndo) {
  Owner owner(server->Display());
  ASSERT_TRUE(owner.d);
  SetWindowTextW(edit, u"hello world");
  SendMessageW(edit, EM_SETSEL, 5, 5);
  XSelectionRequestEvent request{};
  std::atomic<bool> asked{false}, answer{false};
  std::thread peer([&] {
    asked = owner.NextText(request);
    if (!asked) return;
    test::WaitFor([&] { return answer.load(); });
    owner.Give(request, "[p]");
  });
  ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+v"}));
  bool typed = PumpUntil([&] { return asked.load(); }) && test::Xdo(server->Display(), {"type", "XY"}) &&
               PumpUntil([&] { return EditText() == u"helloXY world"; });
  answer = true;
  bool came = PumpUntil([] { return pastes.load() == 1; });
  peer.join();
  ASSERT_TRUE(typed) << "keys typed while the paste waited did not go in";
  ASSERT_TRUE(came);
  EXPECT_EQ(EditText(), u"helloXY[p] world");
  ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+z"}));
  EXPECT_TRUE(PumpUntil([&] { return EditText() == u"helloXY world"; })) << Utf16ToUtf8(EditText());
}

// A middle click's late text goes in at the click: after text typed before
// that place meanwhile, before text typed at it (as had it come at once);
// the caret stays with what was typed, and one undo takes the paste out.
TEST_F(X11Paste, LateTextOfAMiddleClickGoesInAtTheClickKeptThroughTypingThenAsOneUndo) {
  Owner owner(server->Display(), "PRIMARY");
  ASSERT_TRUE(owner.d);
  SetWindowTextW(edit, u"hello world");
  XSelectionRequestEvent request{};
  std::atomic<bool> asked{false}, answer{false};
  std::thread peer([&] {
    asked = owner.NextText(request);
    if (!asked) return;
    test::WaitFor([&] { return answer.load(); });
    owner.Give(request, "[p]");
  });
  LRESULT w = SendMessageW(edit, EM_POSFROMCHAR, 6, 0);  // the "w" of "world"
  POINT at{short(LOWORD(w)) + 1, short(HIWORD(w)) + 6};
  ClientToScreen(edit, &at);
  ASSERT_TRUE(
      test::Xdo(server->Display(), {"mousemove", std::to_string(at.x), std::to_string(at.y), "click", "2"}));
  bool typed = PumpUntil([&] { return asked.load(); }) && test::Xdo(server->Display(), {"type", "AB"}) &&
               test::Xdo(server->Display(), {"key", "Home"}) && test::Xdo(server->Display(), {"type", "Z"}) &&
               PumpUntil([&] { return EditText() == u"Zhello ABworld"; });
  answer = true;
  bool came = PumpUntil([] { return pastes.load() == 1; });
  peer.join();
  ASSERT_TRUE(typed) << "keys typed while the paste waited did not go in: " << Utf16ToUtf8(EditText());
  ASSERT_TRUE(came);
  EXPECT_EQ(EditText(), u"Zhello [p]ABworld");
  DWORD from = 0, to = 0;
  SendMessageW(edit, EM_GETSEL, WPARAM(&from), LPARAM(&to));
  EXPECT_EQ(from, 1u);
  EXPECT_EQ(to, 1u);
  ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+z"}));
  EXPECT_TRUE(PumpUntil([&] { return EditText() == u"Zhello ABworld"; })) << Utf16ToUtf8(EditText());
}

// Ctrl+V twice while the owner holds its answers: the first paste is given
// up, so only the second's text goes in, once, though the first's answer
// comes too (before the second's).
TEST_F(X11Paste, ASecondPasteOnItsWayReplacesTheFirst) {
  Owner owner(server->Display());
  ASSERT_TRUE(owner.d);
  XSelectionRequestEvent first{}, second{};
  std::atomic<int> asked{0};
  std::atomic<bool> answer{false};
  std::thread peer([&] {
    if (!owner.NextText(first)) return;
    asked = 1;
    if (!owner.NextText(second)) return;
    asked = 2;
    test::WaitFor([&] { return answer.load(); });
    owner.Give(first, "first");
    owner.Give(second, "second");
  });
  ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+v"}));
  ASSERT_TRUE(PumpUntil([&] { return asked.load() == 1; }));
  ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+v"}));
  bool both = PumpUntil([&] { return asked.load() == 2; });
  answer = true;
  bool came = PumpUntil([] { return pastes.load() == 1; });
  peer.join();
  ASSERT_TRUE(both && came);
  // The first's answer was handled before the second's, which came after it.
  EXPECT_EQ(EditText(), u"second");
  EXPECT_EQ(pastes.load(), 1);
}

// The size of a property as another client reads it; -1 when there is
// none, or its window is gone.
long PropertySize(Display* d, Window w, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, property, 0, 0, False, AnyPropertyType, &type, &format, &count, &after,
                         &data) != Success)
    return -1;
  if (data) XFree(data);
  return type == None ? -1 : long(after);
}

// An owner that answers only after the paste gave up on it: its answer is
// deleted from where it put it, 100,000 bytes at once or in pieces, each
// taken so that the owner goes on to its end; nothing is pasted.
TEST_F(X11Paste, AnAnswerThatComesAfterThePasteGaveUpIsDeletedAndAnOwnerGivingItInPiecesGoesOn) {
  Owner owner(server->Display());
  Display* look = XOpenDisplay(server->Display().c_str());
  ASSERT_TRUE(owner.d && look);
  XSelectionRequestEvent request{};
  std::atomic<bool> answered{false};
  std::thread whole([&] {
    if (!owner.NextText(request) || !test::WaitFor([] { return pastes.load() == 1; }, 30s)) return;
    owner.Give(request, std::string(100000, 'x'));
    XSync(owner.d, False);
    answered = true;
  });
  Paste();
  bool late = PumpUntil([&] { return answered.load(); });
  whole.join();
  ASSERT_TRUE(late);
  EXPECT_TRUE(PumpUntil([&] { return PropertySize(look, request.requestor, request.property) < 0; }, 10000))
      << "the late answer stayed where it was put";

  pastes = 0;
  std::atomic<bool> served{false};
  std::thread pieces([&] {
    XSelectionRequestEvent r{};
    if (!owner.NextText(r) || !test::WaitFor([] { return pastes.load() == 1; }, 30s)) return;
    request = r;
    XSelectInput(owner.d, r.requestor, PropertyChangeMask);
    long size = 3000;
    XChangeProperty(owner.d, r.requestor, r.property, owner.A("INCR"), 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&size), 1);
    owner.Notify(r, r.property);
    for (int i = 0; i <= 3; ++i) {
      if (!owner.NextDelete(r.requestor, r.property)) return;  // left waiting
      std::string piece(i < 3 ? 1000 : 0, char('a' + i));
      XChangeProperty(owner.d, r.requestor, r.property, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(piece.data()), int(piece.size()));
      XSync(owner.d, False);
    }
    served = true;
  });
  Paste();
  bool through = PumpUntil([&] { return served.load(); }, 40000);
  pieces.join();
  EXPECT_TRUE(through) << "the owner was left waiting for its piece to be taken";
  EXPECT_TRUE(PumpUntil([&] { return PropertySize(look, request.requestor, request.property) < 0; }, 10000))
      << "the last piece stayed where it was put";
  EXPECT_EQ(EditText(), u"");
  XCloseDisplay(look);
}

// An owner that answers each request 3 s late, one after the other: the
// question for its types (as a menu asks when it opens) goes first, and the
// paste right after it still gets the text, as the owner was answering the
// question meanwhile, not silent.
TEST_F(X11Paste, APasteAfterTheQuestionForTheTypesGetsTheTextOfAnOwnerAnsweringEachRequestLate) {
  SlowOwner owner(server->Display(), {"late=3000", "UTF8_STRING", "late but whole"});
  ASSERT_TRUE(PumpUntil([&] { return owner.Said("owning") && !backend->OwnsClipboard(); }));
  EXPECT_EQ(ClipboardHasText(nullptr), ClipboardText::Asked);
  ASSERT_TRUE(owner.AwaitLine("types"));
  Paste();
  EXPECT_EQ(EditText(), u"late but whole");
}

}  // namespace
}  // namespace qv
