// The console: level prefixes and images, the focused last line, the
// clipboard text, and lines that are freed with the view.
#include "FramesFixture.h"

namespace qv::test {
namespace {

using ConsoleFrameTest = FramesTest;

TEST_F(ConsoleFrameTest, LinesCarryTheirLevelPrefixAndImage) {
  Console->Clear();
  Console->AddInfo("Scanning ...");
  Console->AddWarning("Scanning process interrupted");
  Console->AddError("File \"x\" is not found");
  Console->AddFatal("broken");
  Console->Add("plain", 4);
  const std::vector<std::string> expected = {" Scanning ...", " WARNING : Scanning process interrupted",
                                             " ERROR : File \"x\" is not found", " FATAL : broken", " plain"};
  EXPECT_EQ(ConsoleLines(), expected);
  EXPECT_EQ(Column(Console->View, 0), expected);
  std::vector<int> images;
  for (PDataNode n = Console->View->GetFirst(); n; n = Console->View->GetNext(n)) {
    bool ghosted = false;
    images.push_back(Console->View->DoGetImageIndex(n, ikNormal, 0, ghosted));
  }
  EXPECT_EQ(images, (std::vector<int>{0, 1, 2, 3, -1}));
}

TEST_F(ConsoleFrameTest, TheNewestLineIsFocusedAndScrolledIntoView) {
  Console->Clear();
  for (int i = 0; i < 60; ++i) Console->AddInfo("line " + std::to_string(i));
  // The user scrolls back to the top; the next line still comes into view.
  Console->View->SetOffsetY(0);
  Console->AddError("last");
  Pump();
  PDataNode last = Console->View->GetLast();
  EXPECT_EQ(Console->View->FocusedNode(), last);
  RECT r = Console->View->GetDisplayRect(last, NoColumn, false);
  EXPECT_GE(r.top, 0);
  EXPECT_LE(r.bottom, Console->View->ClientHeight());
}

TEST_F(ConsoleFrameTest, CopyPutsEveryLineWithLineEndsOnTheClipboard) {
  Console->Clear();
  Console->CopyToClipboard();
  EXPECT_EQ(backend.Clipboard, u"");
  Console->AddInfo("one");
  Console->AddError("two");
  Console->CopyToClipboard();
  EXPECT_EQ(backend.Clipboard, u" one\r\n ERROR : two\r\n");
}

TEST_F(ConsoleFrameTest, ClearEmptiesViewAndLinesAndFreesTheirTexts) {
  // Texts long enough to live on the heap: a line kept after Clear would be
  // reported as a leak when the tests end.
  for (int i = 0; i < 20; ++i) Console->AddWarning(std::string(200, char('a' + i % 26)));
  Console->Clear();
  EXPECT_EQ(Console->Lines().Count(), 0);
  EXPECT_EQ(Console->View->TotalCount(), 0u);
  Console->AddInfo("after");
  EXPECT_EQ(ConsoleLines(), std::vector<std::string>{" after"});
}

}  // namespace
}  // namespace qv::test
