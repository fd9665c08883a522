// Pasting another program's text into an edit through a real X server
// (Xvfb, skipped when it or xdotool is missing). The other program is a
// second X client of the test's own that owns the clipboard (or PRIMARY)
// and answers in pieces, late, or never, or the slow owner answering late or
// stopped as a hung program is; it dies by losing its connection, as a
// killed program does. While a paste waits our window goes on: it paints
// from its timer, another control takes clicks and keys, the menu and the
// close answer; the keys typed into the edit wait and act after the text, at
// a person's pace as when typed fast (Enter, Ctrl+Z, a second Ctrl+V), and
// a dead or silent owner ends the paste with nothing pasted.
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
#include "platform/dialogs/SysDialogs.h"
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
  bool asked = false, painted = false, typed = false;
  Clock::time_point killed;
  std::thread peer([&] {
    XEvent req;
    asked = owner.Next(SelectionRequest, owner.w, req);
    painted = asked && PaintedWhilePasteWaits();
    typed = test::Xdo(server->Display(), {"type", "ab"});
    killed = Clock::now();
    owner.Kill();
  });
  ASSERT_TRUE(test::Xdo(server->Display(), {"key", "ctrl+v"}));
  PumpUntil([&] { return pastes.load() == 1; });
  peer.join();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(painted) << "the window stood still while the paste waited";
  // The read's own limit is 5 s; far below it, only the owner's death ended the paste.
  EXPECT_LT(pasteEnded - killed, 3s);
  ASSERT_TRUE(typed);
  EXPECT_TRUE(PumpUntil([&] { return EditText() == u"ab"; })) << Utf16ToUtf8(EditText());
  EXPECT_EQ(typedWhilePasting.load(), 0) << "keys typed after Ctrl+V acted before the paste ended";
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

// Far below the 5 s a paste waits for a silent owner, far above what a
// loaded machine needs to answer a key or a click (the figures are recorded).
constexpr auto kPrompt = 2000ms;

// Keys pressed at a person's pace, 0.3 s apart.
bool Keys(const std::string& display, std::vector<std::string> keys) {
  keys.insert(keys.begin(), {"key", "--delay", "300"});
  return test::Xdo(display, keys);
}

// The slow owner answering every request for text `lateMs` late, with "[p]".
std::vector<std::string> LateOwner(int lateMs, bool primary = false) {
  std::vector<std::string> args{"late=" + std::to_string(lateMs), "UTF8_STRING", "[p]"};
  if (primary) args.insert(args.begin() + 1, "@PRIMARY");
  return args;
}

class X11PasteInOrder : public X11EditWindow {
 protected:
  // The keyboard back to the test's window and its edit, as after a dialog.
  void FocusEdit() {
    ASSERT_TRUE(test::Xdo(server->Display(), {"search", "--name", "^Paste$", "windowfocus", "--sync"}));
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == top; }));
    SetFocus(edit);
  }
  bool Keys(const std::vector<std::string>& keys) { return qv::Keys(server->Display(), keys); }
};

// Owners answering 50 and 500 ms late, the user going on at a person's pace:
// the keys after a paste act after its text, as had it come at once. Typed
// keys go in after it, Ctrl+Z undoes the paste and not the typing before,
// Ctrl+V twice pastes twice, Enter in the input query returns the pasted
// text, and keys typed after a middle click go in behind its text.
TEST_F(X11PasteInOrder, KeysAfterAPasteActAfterItsTextFromOwnersAnsweringLate) {
  for (int late : {50, 500}) {
    SCOPED_TRACE("the owner answers " + std::to_string(late) + " ms late");
    SlowOwner owner(server->Display(), LateOwner(late)), primary(server->Display(), LateOwner(late, true));
    ASSERT_TRUE(PumpUntil([&] { return owner.Said("owning") && primary.Said("owning"); }));
    ASSERT_TRUE(PumpUntil([&] { return !backend->OwnsClipboard(); }));
    ASSERT_NO_FATAL_FAILURE(FocusEdit());
    SetWindowTextW(edit, u"hello world");
    SendMessageW(edit, EM_SETSEL, 5, 5);
    pastes = 0, undos = 0;

    ASSERT_TRUE(Keys({"ctrl+v", "x", "y"}));
    EXPECT_TRUE(PumpUntil([&] { return EditText() == u"hello[p]xy world"; }, 20000))
        << Utf16ToUtf8(EditText());
    RecordProperty(
        "paste_ms_owner_" + std::to_string(late) + "_ms_late",
        int(std::chrono::duration_cast<std::chrono::milliseconds>(pasteEnded - pasteStarted).count()));

    ASSERT_TRUE(Keys({"ctrl+v", "ctrl+z"}));
    ASSERT_TRUE(PumpUntil([&] { return undos.load() == 1; }, 20000));
    EXPECT_EQ(pastes.load(), 2) << "Ctrl+Z acted before the paste's text";
    EXPECT_EQ(EditText(), u"hello[p]xy world");

    ASSERT_TRUE(Keys({"ctrl+v", "ctrl+v"}));
    EXPECT_TRUE(PumpUntil([&] { return EditText() == u"hello[p]xy[p][p] world"; }, 20000))
        << Utf16ToUtf8(EditText());

    // A middle click at the "w": its text there, the keys typed after it behind it.
    LRESULT w = SendMessageW(edit, EM_POSFROMCHAR, 17, 0);
    POINT at{short(LOWORD(w)) + 1, short(HIWORD(w)) + 6};
    ClientToScreen(edit, &at);
    ASSERT_TRUE(
        test::Xdo(server->Display(), {"mousemove", std::to_string(at.x), std::to_string(at.y), "click", "2",
                                      "sleep", "0.3", "key", "--delay", "300", "a", "b"}));
    EXPECT_TRUE(PumpUntil([&] { return EditText() == u"hello[p]xy[p][p] [p]abworld"; }, 20000))
        << Utf16ToUtf8(EditText());

    // Enter in a dialog (the input query, its value selected) after Ctrl+V: OK returns the pasted text.
    std::u16string value = u"old";
    std::thread peer([&] {
      if (!test::Xdo(server->Display(),
                     {"search", "--sync", "--name", "^Paste here$", "windowfocus", "--sync"}) ||
          !Keys({"ctrl+v", "Return"}))
        test::Xdo(server->Display(), {"key", "Escape"});
    });
    const bool ok = InputQueryDialog(top, u"Paste here", u"Text:", value);
    peer.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(Utf16ToUtf8(value), "[p]");
  }
}

std::atomic<int> otherChars{0};
WNDPROC otherProc = nullptr;
LRESULT OtherWatch(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_CHAR) ++otherChars;
  return CallWindowProcW(otherProc, h, m, w, l);
}

// The owner of the clipboard stopped, as a hung program is: after Ctrl+V the
// close (Alt+F4), the edit's menu, and a click into another control with the
// keys typed there answer at once, while the keys typed into the edit wait;
// when the paste gives up at its limit with nothing, they go in.
TEST_F(X11PasteInOrder, AStoppedOwnerHoldsUpNothingButTheKeysOfTheEditThatPastes) {
  SlowOwner clipboard(server->Display(), {"silent"});
  ASSERT_TRUE(PumpUntil([&] { return clipboard.Said("owning") && !backend->OwnsClipboard(); }));
  ASSERT_EQ(kill(clipboard.Pid(), SIGSTOP), 0);
  SetWindowPos(top, nullptr, 0, 0, 300, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND other = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 50, 280, 24, top,
                               nullptr, nullptr, nullptr);
  otherProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(other, GWLP_WNDPROC));
  SetWindowLongPtrW(other, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OtherWatch));
  otherChars = 0;
  Display* look = XOpenDisplay(server->Display().c_str());
  ASSERT_TRUE(look);
  POINT inEdit{40, 12}, inOther{40, 12};
  ClientToScreen(edit, &inEdit);
  ClientToScreen(other, &inOther);
  auto xy = [](POINT p) { return std::vector<std::string>{std::to_string(p.x), std::to_string(p.y)}; };
  Clock::duration closeTook{}, menuTook{}, otherTook{};
  std::string failure;
  std::atomic<bool> through{false};
  std::thread peer([&] {
    auto fail = [&](const char* why) { failure = why, through = true; };
    auto timed = [&](std::vector<std::string> args, auto done, Clock::duration& took) {
      auto start = Clock::now();
      bool ok = test::Xdo(server->Display(), args) && test::WaitFor(done, 10000ms);
      took = Clock::now() - start;
      return ok;
    };
    if (!test::Xdo(server->Display(), {"key", "ctrl+v"}) || !test::WaitFor([] { return pasting.load(); }))
      return fail("Ctrl+V did not come");
    if (!test::Xdo(server->Display(), {"type", "mmm"})) return fail("xdotool failed");
    if (!timed(
            {"key", "alt+F4"}, [] { return closes.load() == 1; }, closeTook))
      return fail("Alt+F4 did not ask to close");
    if (!timed(
            {"mousemove", xy(inEdit)[0], xy(inEdit)[1], "click", "3"},
            [&] { return ViewablePopup(look) != 0; }, menuTook))
      return fail("the edit's menu did not show");
    if (!test::Xdo(server->Display(), {"key", "Escape"}) ||
        !test::WaitFor([&] { return !ViewablePopup(look); }))
      return fail("Escape did not close the menu");
    if (!timed(
            {"mousemove", xy(inOther)[0], xy(inOther)[1], "click", "1", "type", "w"},
            [] { return otherChars.load() == 1; }, otherTook))
      return fail("keys typed into the other edit did not come");
    through = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return through.load(); }));
  peer.join();
  XCloseDisplay(look);
  ASSERT_EQ(failure, "");
  auto ms = [](Clock::duration d) {
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
  };
  RecordProperty("close_ms", ms(closeTook));
  RecordProperty("menu_ms", ms(menuTook));
  RecordProperty("other_edit_ms", ms(otherTook));
  EXPECT_LT(closeTook, kPrompt) << "the close waited for the clipboard's owner";
  EXPECT_LT(menuTook, kPrompt) << "the menu waited for the clipboard's owner";
  EXPECT_LT(otherTook, kPrompt) << "the other edit waited for the clipboard's owner";
  EXPECT_EQ(typedWhilePasting.load(), 0) << "keys typed after Ctrl+V acted before the paste ended";
  // The read gives up at its limit with nothing; the keys typed after Ctrl+V then go in.
  ASSERT_TRUE(PumpUntil([] { return pastes.load() == 1; }, 30000));
  EXPECT_TRUE(PumpUntil([&] { return EditText() == u"mmm"; }, 10000)) << Utf16ToUtf8(EditText());
  char16_t buf[16] = {};
  GetWindowTextW(other, buf, 16);
  EXPECT_EQ(std::u16string(buf), u"w");
  EXPECT_EQ(clipboard.Said("asked"), 0);
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
