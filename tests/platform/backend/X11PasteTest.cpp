// Pasting another program's clipboard into an edit with Ctrl+V through a
// real X server (Xvfb, skipped when it or xdotool is missing). The other
// program is a second X client of the test's own that owns the clipboard and
// answers in pieces, slowly, or never; it dies by losing its connection, as
// a killed program does. While the paste waits our window keeps painting
// from its timer, and a dead owner ends the paste at once, with nothing pasted.
// The edit's menu does not wait for the owner to say what it holds: it
// shows with Paste grey, and Paste follows the owner's answer. Text offered
// only as text/plain;charset=utf-8 (by the slow owner, a program of its own)
// is offered to paste and pasted exactly. The clipboard's data object offers
// what the owner said it offers, and reads only the text asked for.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

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
  explicit Owner(const std::string& display) : d(XOpenDisplay(display.c_str())) {
    if (!d) return;
    w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, A("CLIPBOARD"), w, CurrentTime);
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

TEST_F(X11Paste, AnOwnerThatDiesBeforeAnsweringEndsThePasteAtOnceAndKeysTypedMeanwhileFollow) {
  Owner owner(server->Display());
  ASSERT_TRUE(owner.d);
  bool asked = false, painted = false;
  Clock::time_point killed;
  std::thread peer([&] {
    XEvent req;
    asked = owner.Next(SelectionRequest, owner.w, req);
    painted = asked && PaintedWhilePasteWaits();
    test::Xdo(server->Display(), {"type", "ab"});
    killed = Clock::now();
    owner.Kill();
  });
  Paste();
  peer.join();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(painted) << "the window stood still while the paste waited";
  // The read's own limit is 5 s; far below it, only the owner's death ended the paste.
  EXPECT_LT(pasteEnded - killed, 3s);
  EXPECT_TRUE(PumpUntil([&] { return EditText() == u"ab"; })) << "keys typed during the paste were lost";
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
  // It notes a transfer served once it sent the end, which may be after we read it.
  EXPECT_TRUE(test::WaitFor([&] { return owner.Said("served") == 2; })) << owner.Said("served") << " served";
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

}  // namespace
}  // namespace qv
