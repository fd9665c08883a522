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
  // Shift+Up selects across lines.
  SendMessageW(e, EM_SETSEL, 24, 24);
  Key(VK_UP, true);
  EXPECT_EQ(Sel(e), std::make_pair(16, 24));
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
  // A narrowed rectangle keeps the text out of the right part.
  RECT narrow{2, 2, 100, 38};
  SendMessageW(e, EM_SETRECTNP, 0, LPARAM(&narrow));
  SendMessageW(e, EM_GETRECT, 0, LPARAM(&r));
  EXPECT_EQ(r, narrow);
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
