// TRichEdit in plain-text mode: many lines added in one update, finding text
// (case, whole words, the searched range, bad ranges), selecting and copying
// what was found, saving the lines to a file, read-only use, both scroll
// bars, and the primary selection it has as an edit.
#include <fstream>
#include <sstream>

#include "../controls/ControlsTestSupport.h"
#include "classlib/comctrls/RichEdit.h"
#include "classlib/controls/Clipbrd.h"
#include "classlib/graphics/Font.h"
#include "platform/Utf.h"
#include "platform/controls/SystemControls.h"
#include "tests/common/TempDir.h"

namespace qv::test {
namespace {

using RichEdit = ControlsTest;

TRichEdit* Report(TForm* f) {
  auto* e = new TRichEdit(f);
  e->SetParent(f);
  e->SetAlign(alClient);
  e->SetScrollBars(ssBoth);
  e->SetWordWrap(false);
  e->Font()->SetName("Courier New");
  e->Font()->SetHeight(-13);
  return e;
}

TEST_F(RichEdit, FindsTextWithinTheRangeByCaseAndWholeWords) {
  TForm* f = NewForm();
  TRichEdit* e = Report(f);
  f->Show();
  e->Lines()->Add("Disc Alpha: 3 folders");
  e->Lines()->Add("disc beta: discs inside");
  e->Lines()->Add("End");
  std::string text = e->Text();
  EXPECT_EQ(e->FindText("disc", 0, -1, {}), 0);
  EXPECT_EQ(e->FindText("disc", 0, -1, {stMatchCase}), int(text.find("disc beta")));
  EXPECT_EQ(e->FindText("disc", 1, -1, {}), int(text.find("disc beta")));
  // "discs" is not the whole word "disc".
  int beta = int(text.find("disc beta"));
  EXPECT_EQ(e->FindText("DISC", beta + 1, -1, {stWholeWord}), -1);
  EXPECT_EQ(e->FindText("disc", beta + 1, -1, {}), int(text.find("discs")));
  // A match must lie wholly in the range.
  int discs = int(text.find("discs"));
  EXPECT_EQ(e->FindText("discs", discs, 4, {}), -1);
  EXPECT_EQ(e->FindText("discs", discs, 5, {}), discs);
  EXPECT_EQ(e->FindText("End", 0, 1 << 30, {}), int(text.find("End")));
  // Nothing to find, or nowhere to look.
  EXPECT_EQ(e->FindText("", 0, -1, {}), -1);
  EXPECT_EQ(e->FindText("End", -5, -1, {}), -1);
  EXPECT_EQ(e->FindText("End", int(text.size()) + 10, -1, {}), -1);
  EXPECT_EQ(e->FindText("zzz", 0, -1, {}), -1);
  // The found text selected and copied.
  e->SetSelStart(discs);
  e->SetSelLength(5);
  e->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "discs");
  e->SelectAll();
  EXPECT_EQ(e->SelLength(), int(Utf8ToUtf16(text).size()));
}

TEST_F(RichEdit, ManyLinesSavedReadOnlyAndScrollBars) {
  TForm* f = NewForm();
  TRichEdit* e = Report(f);
  e->SetReadOnly(true);
  f->Show();
  e->Lines()->BeginUpdate();
  for (int i = 0; i < 3000; ++i) e->Lines()->Add("Line " + std::to_string(i) + " of the report");
  e->Lines()->EndUpdate();
  EXPECT_EQ(e->Lines()->Count(), 3000);
  EXPECT_EQ(e->Lines()->Strings(2999), "Line 2999 of the report");
  int last = e->FindText("Line 2999", 0, -1, {});
  EXPECT_EQ(SendMessageW(e->Handle(), EM_LINEFROMCHAR, WPARAM(last), 0), 2999);
  EXPECT_EQ(e->FindText("Line 2999", last + 1, -1, {}), -1);
  LONG_PTR style = GetWindowLongPtrW(e->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_TRUE(style & WS_HSCROLL);
  // Typing into a read-only report changes nothing.
  e->SetFocus();
  backend.TypeText(u"xyz");
  Pump();
  EXPECT_EQ(e->Lines()->Count(), 3000);
  EXPECT_EQ(e->FindText("xyz", 0, -1, {}), -1);
  // Saved one line per line.
  TempDir dir;
  e->Lines()->SaveToFile(dir / "report.txt");
  std::ifstream in(dir / "report.txt");
  std::stringstream all;
  all << in.rdbuf();
  std::string saved = all.str();
  EXPECT_EQ(saved.rfind("Line 0 of the report\n", 0), 0u);
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 3000);
  EXPECT_NE(saved.find("Line 2999 of the report"), std::string::npos);
  // Clearing empties it.
  e->Lines()->Clear();
  EXPECT_EQ(e->Lines()->Count(), 0);
}

TEST_F(RichEdit, BeingAnEditItOffersTheSelectionMadeByKeysAndPastesAMiddleClick) {
  TForm* f = NewForm();
  TRichEdit* e = Report(f);
  f->Show();
  e->Lines()->Add("first line");
  e->Lines()->Add("second");
  backend.Clipboard = u"kept";
  e->SetFocus();
  e->SetSelStart(0);
  backend.KeyDown(VK_SHIFT);
  backend.KeyPress(VK_END);
  backend.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(backend.Primary, u"first line");
  LRESULT at = SendMessageW(e->Handle(), EM_POSFROMCHAR, WPARAM(e->Text().find("second")), 0);
  POINT p{short(LOWORD(at)), short(HIWORD(at)) + 5};
  ClientToScreen(e->Handle(), &p);
  backend.Click(p.x, p.y, MouseButton::Middle);
  Pump();
  EXPECT_EQ(e->Lines()->Strings(1), "first linesecond");
  // Read-only, as a report is shown, it takes nothing.
  e->SetReadOnly(true);
  backend.Click(p.x, p.y, MouseButton::Middle);
  Pump();
  EXPECT_EQ(e->Lines()->Strings(1), "first linesecond");
  EXPECT_EQ(backend.Clipboard, u"kept");
}

}  // namespace
}  // namespace qv::test
