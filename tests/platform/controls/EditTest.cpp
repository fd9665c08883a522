// The EDIT class driven by messages and injected input: typing, selection,
// limits, clipboard, undo, the line index against a model, multi-line
// navigation and scrolling, the formatting rectangle and painting.
#include <cstring>
#include <random>

#include "SysControlsTestSupport.h"
#include "platform/controls/EditText.h"
#include "platform/ole/Clipboard.h"
#include "platform/window/ScrollBar.h"

namespace qv::test {
namespace {

using Edit = SysControlsTest;

TEST_F(Edit, TypingEditsAtTheCaretAndNotifiesEveryChange) {
  HWND e = Make(u"EDIT", WS_BORDER, {10, 10, 200, 34});
  SetFocus(e);
  Type(u"hello");
  EXPECT_EQ(TextOf(e), u"hello");
  EXPECT_EQ(Sel(e), std::make_pair(5, 5));
  EXPECT_EQ(Count(e, EN_CHANGE), 5);
  // Each change sends EN_UPDATE before EN_CHANGE.
  auto codes = Codes(e);
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes[0], EN_SETFOCUS);
  EXPECT_EQ(codes[1], EN_UPDATE);
  EXPECT_EQ(codes[2], EN_CHANGE);
  Key(VK_LEFT), Key(VK_LEFT);
  Type(u"X");
  EXPECT_EQ(TextOf(e), u"helXlo");
  Key(VK_HOME, true);  // select back to the start
  EXPECT_EQ(Sel(e), std::make_pair(0, 4));
  Type(u"Y");  // typing replaces the selection
  EXPECT_EQ(TextOf(e), u"Ylo");
  Key(VK_BACK);
  Key(VK_DELETE);
  EXPECT_EQ(TextOf(e), u"o");
  EXPECT_TRUE(SendMessageW(e, EM_GETMODIFY, 0, 0));
  // A single line keeps only the first line of what it is given.
  SendMessageW(e, EM_SETSEL, 0, -1);
  SendMessageW(e, EM_REPLACESEL, TRUE, LPARAM(u"one\r\ntwo"));
  EXPECT_EQ(TextOf(e), u"one");
  // WM_SETTEXT resets the caret and the modified flag and still notifies.
  int before = Count(e, EN_CHANGE);
  SetWindowTextW(e, u"fresh");
  EXPECT_EQ(Count(e, EN_CHANGE), before + 1);
  EXPECT_EQ(Sel(e), std::make_pair(0, 0));
  EXPECT_FALSE(SendMessageW(e, EM_GETMODIFY, 0, 0));
}

TEST_F(Edit, LimitsFiltersAndReadOnly) {
  HWND e = Make(u"EDIT", ES_UPPERCASE, {10, 10, 200, 34});
  SendMessageW(e, EM_LIMITTEXT, 4, 0);
  SetFocus(e);
  Type(u"abcdef");
  EXPECT_EQ(TextOf(e), u"ABCD");
  EXPECT_GE(Count(e, EN_MAXTEXT), 1);
  // Replacing a selection frees its room first.
  SendMessageW(e, EM_SETSEL, 1, 3);
  SendMessageW(e, EM_REPLACESEL, TRUE, LPARAM(u"xyz"));
  EXPECT_EQ(TextOf(e), u"AXYD");

  HWND n = Make(u"EDIT", ES_NUMBER, {10, 40, 200, 64}, u"", 8);
  SetFocus(n);
  Type(u"1a2");
  EXPECT_EQ(TextOf(n), u"12");
  EXPECT_FALSE(backend.Beeps.empty());

  SendMessageW(n, EM_SETREADONLY, TRUE, 0);
  EXPECT_TRUE(GetWindowLongPtrW(n, GWL_STYLE) & ES_READONLY);
  Type(u"3");
  Key(VK_BACK);
  SendMessageW(n, EM_SETSEL, 0, -1);
  SendMessageW(n, WM_CUT, 0, 0);
  EXPECT_EQ(TextOf(n), u"12");
  EXPECT_EQ(GetClipboardTextW(), u"12");  // copying is still allowed
}

TEST_F(Edit, ClipboardByMessagesAndKeys) {
  HWND e = Make(u"EDIT", 0, {10, 10, 200, 34}, u"alpha beta");
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 0, 5);
  SendMessageW(e, WM_COPY, 0, 0);
  EXPECT_EQ(GetClipboardTextW(), u"alpha");
  SendMessageW(e, EM_SETSEL, 6, 10);
  Key('X', false, true);  // Ctrl+X
  EXPECT_EQ(TextOf(e), u"alpha ");
  EXPECT_EQ(GetClipboardTextW(), u"beta");
  Key(VK_HOME);
  Key('V', false, true);
  EXPECT_EQ(TextOf(e), u"betaalpha ");
  Key(VK_INSERT, true);  // Shift+Insert pastes too
  EXPECT_EQ(TextOf(e), u"betabetaalpha ");
  SendMessageW(e, EM_SETSEL, 0, 4);
  SendMessageW(e, WM_CLEAR, 0, 0);
  EXPECT_EQ(TextOf(e), u"betaalpha ");

  // A password edit shows its character and never gives its text away.
  HWND p = Make(u"EDIT", ES_PASSWORD, {10, 40, 200, 64}, u"secret", 8);
  EXPECT_EQ(SendMessageW(p, EM_GETPASSWORDCHAR, 0, 0), u'*');
  SetClipboardTextW(u"before");
  SendMessageW(p, EM_SETSEL, 0, -1);
  SendMessageW(p, WM_COPY, 0, 0);
  SendMessageW(p, WM_CUT, 0, 0);
  EXPECT_EQ(GetClipboardTextW(), u"before");
  EXPECT_EQ(TextOf(p), u"secret");
}

TEST_F(Edit, UndoTakesBackTypingAsOneStepAndUndoesItself) {
  HWND e = Make(u"EDIT", 0, {10, 10, 200, 34}, u"base");
  SetFocus(e);
  EXPECT_FALSE(SendMessageW(e, EM_CANUNDO, 0, 0));
  SendMessageW(e, EM_SETSEL, 4, 4);
  Type(u" one");
  EXPECT_TRUE(SendMessageW(e, EM_CANUNDO, 0, 0));
  Key('Z', false, true);
  EXPECT_EQ(TextOf(e), u"base");
  SendMessageW(e, WM_UNDO, 0, 0);  // undoing the undo restores the typing
  EXPECT_EQ(TextOf(e), u"base one");
  // A replaced selection comes back selected.
  SendMessageW(e, EM_SETSEL, 0, 4);
  Type(u"B");
  EXPECT_EQ(TextOf(e), u"B one");
  SendMessageW(e, EM_UNDO, 0, 0);
  EXPECT_EQ(TextOf(e), u"base one");
  EXPECT_EQ(Sel(e), std::make_pair(0, 4));
  SendMessageW(e, EM_EMPTYUNDOBUFFER, 0, 0);
  EXPECT_FALSE(SendMessageW(e, EM_UNDO, 0, 0));
}

TEST_F(Edit, KeysNeverSplitLineBreaksOrSurrogatePairs) {
  HWND e = Make(u"EDIT", ES_MULTILINE | ES_WANTRETURN, {10, 10, 200, 80}, u"a\r\n\U0001F600b");
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 5, 5);  // after the pair
  Key(VK_BACK);
  EXPECT_EQ(TextOf(e), u"a\r\nb");
  Key(VK_BACK);
  EXPECT_EQ(TextOf(e), u"ab");
  SetWindowTextW(e, u"\U0001F600\U0001F600");
  SendMessageW(e, EM_SETSEL, 0, 0);
  Key(VK_RIGHT, true);
  EXPECT_EQ(Sel(e), std::make_pair(0, 2));
  Key(VK_DELETE);
  EXPECT_EQ(TextOf(e), u"\U0001F600");
  // A click never lands between the halves of a pair.
  LRESULT at = SendMessageW(e, EM_CHARFROMPOS, 0, MAKELPARAM(3, 5));
  EXPECT_NE(LOWORD(at), 1);
}

// Line starts computed from scratch: the model the index is checked against.
std::vector<int> ModelStarts(const std::u16string& t) {
  std::vector<int> starts{0};
  for (size_t i = 0; i < t.size(); ++i)
    if (t[i] == u'\n') starts.push_back(int(i) + 1);
  return starts;
}

TEST(EditTextIndex, IncrementalUpdatesMatchTheModelAndAFreshWrap) {
  std::mt19937 rng(7);
  EditText text, wrapped;
  auto width = [](char16_t c) { return c == u' ' ? 3 : 5; };
  wrapped.SetWrap(40, width);
  const std::u16string pieces[] = {u"a",     u"word ", u"\r\n", u"\n", u"", u"longerwordwithoutblanks",
                                   u"x y z "};
  for (int step = 0; step < 600; ++step) {
    int len = text.Length();
    int pos = len ? int(rng() % uint32_t(len + 1)) : 0;
    int del = len - pos ? int(rng() % uint32_t(std::min(len - pos, 6) + 1)) : 0;
    const auto& ins = pieces[rng() % std::size(pieces)];
    text.Replace(pos, del, ins);
    wrapped.Replace(pos, del, ins);
    auto model = ModelStarts(text.Str());
    ASSERT_EQ(text.LineCount(), int(model.size())) << "step " << step;
    int longest = 0;
    for (size_t i = 0; i < model.size(); ++i) {
      int end = i + 1 < model.size() ? model[i + 1] - 1 : text.Length();
      if (i + 1 < model.size() && end > model[i] && text.Str()[size_t(end) - 1] == u'\r') --end;
      longest = std::max(longest, end - model[i]);
    }
    ASSERT_EQ(text.MaxLineLength(), longest) << "step " << step;
    for (int i = 0; i < text.LineCount(); ++i) ASSERT_EQ(text.LineStart(i), model[size_t(i)]);
    EditText fresh;
    fresh.SetWrap(40, width);
    fresh.Assign(wrapped.Str());
    ASSERT_EQ(wrapped.LineCount(), fresh.LineCount()) << "step " << step;
    for (int i = 0; i < fresh.LineCount(); ++i) ASSERT_EQ(wrapped.LineStart(i), fresh.LineStart(i));
  }
  // Wrapped lines never exceed the width unless one word is longer.
  for (int i = 0; i < wrapped.LineCount(); ++i) {
    int w = 0;
    for (int p = wrapped.LineStart(i); p < wrapped.LineEnd(i); ++p) w += width(wrapped.Str()[size_t(p)]);
    std::u16string line = wrapped.Str().substr(size_t(wrapped.LineStart(i)), size_t(wrapped.LineLength(i)));
    while (!line.empty() && line.back() == u' ') line.pop_back(), w -= 3;
    if (line.find(u' ') != std::u16string::npos) {
      EXPECT_LE(w, 40) << i;
    }
  }
}

// Random messages and keys against a wrapping multi-line edit: after each
// step the selection lies inside the text and the line index equals the one
// a fresh edit makes from the same text.
TEST_F(Edit, RandomEditingKeepsSelectionAndLinesConsistent) {
  DWORD style = ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL;
  HWND e = Make(u"EDIT", style, {10, 10, 160, 110});
  HWND fresh = Make(u"EDIT", style, {170, 10, 320, 110}, u"", 8);
  SendMessageW(e, EM_LIMITTEXT, 400, 0);
  SetFocus(e);
  std::mt19937 rng(11);
  const char16_t* inserts[] = {u"word ", u"\r\n", u"x", u"longwordwithoutanyblanksatall", u"\U0001F600", u""};
  const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP,   VK_DOWN,   VK_HOME,
                       VK_END,  VK_PRIOR, VK_NEXT, VK_DELETE, VK_BACK};
  SetClipboardTextW(u"clip\r\nboard");
  for (int step = 0; step < 400; ++step) {
    int len = GetWindowTextLengthW(e);
    switch (rng() % 8) {
      case 0:
        SendMessageW(e, EM_SETSEL, WPARAM(rng() % uint32_t(len + 3)), LPARAM(rng() % uint32_t(len + 3)) - 1);
        break;
      case 1:
      case 2:
        SendMessageW(e, EM_REPLACESEL, TRUE, LPARAM(inserts[rng() % std::size(inserts)]));
        break;
      case 3:
        SendMessageW(e, WM_KEYDOWN, keys[rng() % std::size(keys)], 0);
        break;
      case 4:
        SendMessageW(e, WM_CHAR, WPARAM(u"a \r\b\t"[rng() % 5]), 0);
        break;
      case 5:
        SendMessageW(e, WM_UNDO, 0, 0);
        break;
      case 6:
        SendMessageW(e, rng() % 2 ? WM_CUT : WM_PASTE, 0, 0);
        break;
      case 7:
        SendMessageW(e, WM_VSCROLL, rng() % 8, 0);
        break;
    }
    std::u16string text = TextOf(e);
    auto [a, b] = Sel(e);
    ASSERT_LE(a, b);
    ASSERT_LE(b, int(text.size()));
    ASSERT_LE(int(text.size()), 400);
    SetWindowTextW(fresh, text.c_str());
    int lines = int(SendMessageW(e, EM_GETLINECOUNT, 0, 0));
    ASSERT_EQ(lines, SendMessageW(fresh, EM_GETLINECOUNT, 0, 0)) << "step " << step;
    for (int i = 0; i < lines; ++i)
      ASSERT_EQ(SendMessageW(e, EM_LINEINDEX, i, 0), SendMessageW(fresh, EM_LINEINDEX, i, 0));
    int top = int(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0));
    ASSERT_GE(top, 0);
    ASSERT_LT(top, lines);
  }
}

TEST_F(Edit, MultiLineNavigationAndScrolling) {
  HWND e = Make(u"EDIT", ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | WS_VSCROLL, {10, 10, 210, 110});
  std::u16string text;
  for (int i = 0; i < 50; ++i) text += u"line " + std::u16string(1, char16_t(u'A' + i % 26)) + u"\r\n";
  SetWindowTextW(e, text.c_str());
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 51);
  EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, 2, 0), 16);
  EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, 16, 0), 6);
  EXPECT_EQ(SendMessageW(e, EM_LINEFROMCHAR, 17, 0), 2);
  char16_t buf[16];
  WORD room = 16;
  std::memcpy(buf, &room, sizeof room);
  ASSERT_EQ(SendMessageW(e, EM_GETLINE, 3, LPARAM(buf)), 6);
  EXPECT_EQ(std::u16string(buf, 6), u"line D");

  SetFocus(e);
  Key(VK_DOWN), Key(VK_DOWN), Key(VK_END);
  EXPECT_EQ(Sel(e), std::make_pair(22, 22));
  Key(VK_RIGHT);  // over the line break in one step
  EXPECT_EQ(Sel(e), std::make_pair(24, 24));
  Type(u"\r");
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 52);
  Key(VK_END, false, true);
  EXPECT_EQ(Sel(e).first, int(text.size()) + 2);
  // The caret at the end scrolled the last line into view, and the bar follows.
  int visible = 0;
  {
    RECT r;
    SendMessageW(e, EM_GETRECT, 0, LPARAM(&r));
    visible = r.Height() / 13;
  }
  int top = int(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0));
  EXPECT_GT(top, 0);
  EXPECT_GE(top + std::max(visible, 1), 51);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(e, SB_VERT, &si);
  EXPECT_EQ(si.nPos, top);
  EXPECT_EQ(si.nMax, 51);
  // Scrolling by message, by scroll bar code and by wheel.
  SendMessageW(e, EM_LINESCROLL, 0, -5);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), top - 5);
  SendMessageW(e, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  SendMessageW(e, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_GT(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  SendMessageW(e, EM_LINESCROLL, 0, -1000);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  SendMessageW(e, EM_LINESCROLL, 0, 100000);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 52 - visible);
  // While redrawing is off the bar waits; turning it on brings it up to date.
  SendMessageW(e, WM_SETREDRAW, FALSE, 0);
  SendMessageW(e, EM_SETSEL, 0, 0);
  SendMessageW(e, EM_REPLACESEL, FALSE, LPARAM(u"x\r\ny\r\nz\r\n"));
  GetScrollInfo(e, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 51);
  SendMessageW(e, WM_SETREDRAW, TRUE, 0);
  GetScrollInfo(e, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 54);
  SendMessageW(e, EM_SETSEL, 0, 6);
  SendMessageW(e, WM_CLEAR, 0, 0);
  // Shift+Up selects across lines.
  SendMessageW(e, EM_SETSEL, 24, 24);
  Key(VK_UP, true);
  EXPECT_EQ(Sel(e), std::make_pair(16, 24));
}

TEST_F(Edit, ASingleLineScrollsToKeepTheCaretInSightAndAligns) {
  HWND e = Make(u"EDIT", ES_AUTOHSCROLL, {10, 10, 90, 34});
  SetFocus(e);
  Type(std::u16string(60, u'm'));
  RECT client;
  GetClientRect(e, &client);
  auto caretX = [&] { return short(LOWORD(SendMessageW(e, EM_POSFROMCHAR, Sel(e).second, 0))); };
  EXPECT_GT(caretX(), 0);
  EXPECT_LT(caretX(), client.right);
  EXPECT_LT(short(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0))), 0);  // the start scrolled out
  Key(VK_HOME);
  EXPECT_EQ(short(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 0, 0))), 1);
  // Right-aligned text ends at the right edge of the formatting rectangle.
  HWND r = Make(u"EDIT", ES_RIGHT, {10, 40, 90, 64}, u"ab", 8);
  RECT fmt;
  SendMessageW(r, EM_GETRECT, 0, LPARAM(&fmt));
  int end = short(LOWORD(SendMessageW(r, EM_POSFROMCHAR, 2, 0)));
  EXPECT_GE(end, fmt.right - 2);
  EXPECT_LE(end, fmt.right);
}

LRESULT WhiteStaticParent(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_CTLCOLORSTATIC) return LRESULT(GetStockObject(WHITE_BRUSH));
  return ParentProc(h, m, w, l);
}

// A very long line is drawn only where it shows: scrolled to a character,
// it looks exactly like the same text drawn from that character by a static.
TEST_F(Edit, ALongLineScrolledShowsWhatTheSameTextUnscrolledShows) {
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(&WhiteStaticParent));
  std::u16string text;
  for (int i = 0; text.size() < 100000; ++i)
    text += u"word" + std::u16string(1, char16_t(u'a' + i % 26)) + u" ";
  DWORD style = ES_MULTILINE | ES_AUTOHSCROLL | WS_HSCROLL;
  HWND e = Make(u"EDIT", style, {10, 10, 210, 60}, text.c_str());
  int p = 60002;  // character p - 1 begins a word
  RECT fmt;
  SendMessageW(e, EM_GETRECT, 0, LPARAM(&fmt));
  // Where character p - 1 begins, in unscrolled pixels: found by scrolling a
  // probe to it (client positions are 16-bit, the line is far wider).
  int target = 0;
  {
    HWND probe = Make(u"EDIT", style, {10, 70, 210, 120}, text.substr(0, size_t(p)).c_str(), 9);
    SendMessageW(probe, EM_SETSEL, WPARAM(p), LPARAM(p));
    SendMessageW(probe, EM_SCROLLCARET, 0, 0);
    SCROLLINFO si;
    si.fMask = SIF_POS;
    GetScrollInfo(probe, SB_HORZ, &si);
    target = si.nPos + short(LOWORD(SendMessageW(probe, EM_POSFROMCHAR, p - 1, 0))) - fmt.left;
    DestroyWindow(probe);
  }
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = target;
  SetScrollInfo(e, SB_HORZ, &si, TRUE);
  SendMessageW(e, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, target & 0xFFFF), 0);
  std::u16string rest = text.substr(size_t(p) - 1, 60);
  Make(u"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, {10 + fmt.left, 70, 210, 90}, rest.c_str(), 10);
  backend.Pump();
  Surface shot = backend.Screenshot();
  int differ = 0, inked = 0;
  for (int yy = 0; yy < 13; ++yy)
    for (int xx = fmt.left; xx < 180; ++xx) {
      differ += shot.At(10 + xx, 10 + yy) != shot.At(10 + xx, 70 + yy);
      inked += (shot.At(10 + xx, 10 + yy) & 0xFFFFFF) != Sys(COLOR_WINDOW);
    }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(inked, 100);
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(&ParentProc));
}

TEST_F(Edit, MouseSelectsCharactersAndWords) {
  HWND e = Make(u"EDIT", 0, {10, 10, 300, 34}, u"first second third");
  LRESULT p6 = SendMessageW(e, EM_POSFROMCHAR, 6, 0), p12 = SendMessageW(e, EM_POSFROMCHAR, 12, 0);
  int y = HIWORD(p6) + 5;
  backend.MouseMove(10 + LOWORD(p6), 10 + y);
  backend.MouseDown();
  backend.MouseMove(10 + LOWORD(p12), 10 + y);
  backend.MouseUp();
  backend.Pump();
  EXPECT_EQ(GetFocus(), e);
  EXPECT_EQ(Sel(e), std::make_pair(6, 12));
  EXPECT_EQ(GetCapture(), nullptr);
  backend.AdvanceClock(1000);
  backend.Click(10 + LOWORD(p6) + 3, 10 + y);
  backend.Click(10 + LOWORD(p6) + 3, 10 + y);
  backend.Pump();
  EXPECT_EQ(Sel(e), std::make_pair(6, 12));  // the double-clicked word
  EXPECT_EQ(LOWORD(SendMessageW(e, EM_CHARFROMPOS, 0, MAKELPARAM(LOWORD(p12), y))), 12);
}

TEST_F(Edit, FormattingRectangleMarginsAndColours) {
  HWND e = Make(u"EDIT", ES_MULTILINE, {10, 10, 210, 50}, u"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
  RECT r;
  SendMessageW(e, EM_GETRECT, 0, LPARAM(&r));
  EXPECT_EQ(r.left, 1);
  SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 6));
  SendMessageW(e, EM_GETRECT, 0, LPARAM(&r));
  EXPECT_EQ(r.left, 4);
  EXPECT_EQ(r.right, 200 - 6);
  EXPECT_EQ(SendMessageW(e, EM_GETMARGINS, 0, 0), MAKELRESULT(4, 6));
  // A narrowed rectangle keeps the text out of the right part; the margins lie inside it.
  RECT narrow{2, 2, 100, 38};
  SendMessageW(e, EM_SETRECTNP, 0, LPARAM(&narrow));
  SendMessageW(e, EM_GETRECT, 0, LPARAM(&r));
  EXPECT_EQ(r, (RECT{2 + 4, 2, 100 - 6, 38}));
  InvalidateRect(e, nullptr, TRUE);
  uint32_t window = Sys(COLOR_WINDOW);
  EXPECT_LT(CountColour({12, 12, 110, 25}, window), 98 * 13 - 20);  // text inked there
  EXPECT_EQ(CountColour({111, 12, 210, 48}, window), 99 * 36);      // and none beyond
}

HBRUSH gYellow = nullptr;
LRESULT YellowParent(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_CTLCOLOREDIT) return LRESULT(gYellow);
  if (m == WM_CTLCOLORSTATIC) return 0;
  return ParentProc(h, m, w, l);
}

TEST_F(Edit, ColoursComeFromTheParentAndSelectionIsHighlighted) {
  gYellow = CreateSolidBrush(RGB(255, 255, 0));
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(&YellowParent));
  HWND e = Make(u"EDIT", 0, {10, 10, 200, 34}, u"some text here");
  EXPECT_EQ(Pixel(190, 30), PixelRGB(255, 255, 0) & 0xFFFFFF);
  // Read-only asks WM_CTLCOLORSTATIC; nobody answers, so the face colour shows.
  SendMessageW(e, EM_SETREADONLY, TRUE, 0);
  EXPECT_EQ(Pixel(190, 30), Sys(COLOR_BTNFACE));
  SendMessageW(e, EM_SETREADONLY, FALSE, 0);
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 0, -1);
  RECT line{10, 10, 200, 34};
  EXPECT_GT(CountColour(line, Sys(COLOR_HIGHLIGHT)), 200);
  // Without the focus the selection hides.
  SetFocus(parent);
  EXPECT_EQ(CountColour(line, Sys(COLOR_HIGHLIGHT)), 0);
  SetWindowLongPtrW(parent, GWLP_WNDPROC, LONG_PTR(&ParentProc));
  DestroyWindow(e);
  DeleteObject(gYellow);
}

}  // namespace
}  // namespace qv::test
