// The size limits of the search page as a user meets them: sizes far past
// 32 bits typed into the real boxes find the disc images they name, and a
// text that is no number of bytes keeps Search and Folder compare off with
// a reason on screen, never searched as another number.
#include <ctime>

#include "MainTestSupport.h"
#include "app/frames/FileTree.h"
#include "app/frames/FrameTexts.h"

namespace qv::test {
namespace {

class SearchSizeLimits : public MainTest {
 protected:
  void SetUp() override {
    MainTest::SetUp();
    AnswerNew("Test");
    Start();
    ASSERT_TRUE(MainForm->Engine->IsOpen());
    // Sparse: the images cost no disk space.
    const std::string root = files.Path() + "images/";
    MakeFile(root + "empty.bin", 0);
    MakeFile(root + "small.txt", 600);
    MakeFile(root + "over-two.iso", 2147483649);
    MakeFile(root + "four-gib.iso", 4294967296);
    MakeFile(root + "five-gb.iso", 5000000000);
    AnswerWizard("Images", root);
    MainForm->actScan->Execute();
    Idle();
    ASSERT_EQ(MainForm->Engine->Discs->Count(), 1);
    MainForm->PageControl->SetActivePageIndex(1);
    Pump();
    TypeInto(FileTree->FileEdit, u"*");
  }
  // Clicks into the box, selects what it holds (Ctrl+A) and types text.
  void TypeInto(TControl* box, const std::u16string& text) {
    ClickOn(box);
    Chord('A');
    backend.TypeText(text);
    Idle();
  }
  void Chord(UINT key) {
    backend.KeyDown(VK_CONTROL);
    backend.KeyPress(key);
    backend.KeyUp(VK_CONTROL);
    Pump();
  }
  void Check(TCheckBox* box, bool on) {
    if (box->Checked() != on) ClickOn(box);
    ASSERT_EQ(box->Checked(), on);
  }
  // F7, as the user searches; the names of the files found.
  std::multiset<std::string> SearchNow() {
    backend.KeyPress(VK_F7);
    Idle();
    return Found();
  }
  std::multiset<std::string> Found() {
    std::multiset<std::string> names;
    TDataStringTree* t = FileTree->Tree;
    for (PDataNode g = t->GetFirstChild(nullptr); g; g = t->GetNextSibling(g))
      for (PDataNode e = t->GetFirstChild(g); e; e = t->GetNextSibling(e))
        names.insert(Utf16ToUtf8(t->GetText(g, 0)));
    return names;
  }
  std::string StatusText() { return MainForm->StatusBar->Panels()->Items(0)->Text(); }
  static bool Says(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
};

using Names = std::multiset<std::string>;

TEST_F(SearchSizeLimits, SizesTypedPastThirtyTwoBitsFindTheImagesTheyName) {
  Check(FileTree->chkSMin, true);
  TypeInto(FileTree->SMinEdit, u"2147483648");
  EXPECT_EQ(SearchNow(), (Names{"over-two.iso", "four-gib.iso", "five-gb.iso"}));
  TypeInto(FileTree->SMinEdit, u"4294967296");
  EXPECT_EQ(SearchNow(), (Names{"four-gib.iso", "five-gb.iso"}));
  Check(FileTree->chkSMin, false);
  Check(FileTree->chkSMax, true);
  TypeInto(FileTree->SMaxEdit, u"3000000000");
  EXPECT_EQ(SearchNow(), (Names{"empty.bin", "small.txt", "over-two.iso"}));
  Check(FileTree->chkSMin, true);
  TypeInto(FileTree->SMinEdit, u"4294967296");
  TypeInto(FileTree->SMaxEdit, u"4294967296");
  EXPECT_EQ(SearchNow(), (Names{"four-gib.iso"}));
  // The largest size there is, typed: a number, and nothing is that large.
  Check(FileTree->chkSMax, false);
  TypeInto(FileTree->SMinEdit, u"9223372036854775807");
  EXPECT_EQ(SearchNow(), Names{});
  // The arrow keys step in 64 bits too.
  TypeInto(FileTree->SMinEdit, u"4999998976");
  backend.KeyPress(VK_UP);
  Idle();
  EXPECT_EQ(FileTree->SMinEdit->Text(), "5000000000");
  EXPECT_EQ(SearchNow(), (Names{"five-gb.iso"}));
}

TEST_F(SearchSizeLimits, AFigureThatIsNoSizeIsRefusedOnScreenAndNeverSearched) {
  TMainForm* f = MainForm;
  const std::string refused = texts::fileform::NoSize;
  Check(FileTree->chkSMax, true);
  TypeInto(FileTree->SMaxEdit, u"3000000000");
  const Names before = SearchNow();
  ASSERT_EQ(before, (Names{"empty.bin", "small.txt", "over-two.iso"}));
  const std::size_t lines = ConsoleLines().size();

  // Past the 64-bit range, typed digit by digit.
  TypeInto(FileTree->SMaxEdit, u"99999999999999999999");
  EXPECT_EQ(FileTree->SMaxEdit->Text(), "99999999999999999999");
  EXPECT_FALSE(Enabled(f->actSearch));
  EXPECT_FALSE(Enabled(f->actCompare));
  for (const std::string& said : {f->actSearch->Hint(), f->actCompare->Hint(), FileTree->SMaxEdit->Hint()})
    EXPECT_TRUE(Says(said, "\"99999999999999999999\"" + refused)) << said;
  // The status bar says so under the mouse (the box's hint) and away from it.
  EXPECT_TRUE(Says(StatusText(), refused)) << StatusText();
  const POINT away = At(FileTree->Tree, 40, 40);
  backend.MouseMove(away.x, away.y);
  Idle();
  EXPECT_TRUE(Says(StatusText(), "Max size \"99999999999999999999\"" + refused)) << StatusText();
  EXPECT_EQ(SearchNow(), before);  // F7 does nothing
  EXPECT_EQ(ConsoleLines().size(), lines);
  // Leaving the box keeps the text as typed, still refused.
  ClickOn(FileTree->FolderEdit);
  Idle();
  EXPECT_EQ(FileTree->SMaxEdit->Text(), "99999999999999999999");
  EXPECT_FALSE(Enabled(f->actSearch));

  // A letter typed is refused by the box itself, with a beep.
  backend.Beeps.clear();
  TypeInto(FileTree->SMaxEdit, u"12x");
  EXPECT_EQ(FileTree->SMaxEdit->Text(), "12");
  EXPECT_EQ(backend.Beeps.size(), 1u);
  EXPECT_TRUE(Enabled(f->actSearch));
  // Pasted, it reaches the box, and Search goes off.
  backend.SetClipboardText(u"12x");
  ClickOn(FileTree->SMaxEdit);
  Chord('A');
  Chord('V');
  Idle();
  EXPECT_EQ(FileTree->SMaxEdit->Text(), "12x");
  EXPECT_FALSE(Enabled(f->actSearch));
  EXPECT_TRUE(Says(f->actSearch->Hint(), "Max size \"12x\"" + refused)) << f->actSearch->Hint();
  EXPECT_TRUE(Says(StatusText(), refused)) << StatusText();
  EXPECT_EQ(SearchNow(), before);
  // An emptied box is no size either.
  ClickOn(FileTree->SMaxEdit);
  Chord('A');
  backend.KeyPress(VK_BACK);
  Idle();
  EXPECT_EQ(FileTree->SMaxEdit->Text(), "");
  EXPECT_FALSE(Enabled(f->actSearch));

  // Unchecked, the box is not used and refuses nothing.
  Check(FileTree->chkSMax, false);
  EXPECT_TRUE(Enabled(f->actSearch));
  EXPECT_FALSE(Says(StatusText(), refused)) << StatusText();
  Check(FileTree->chkSMax, true);
  EXPECT_FALSE(Enabled(f->actSearch));

  // A size again: everything as before, and the search finds by it.
  TypeInto(FileTree->SMaxEdit, u"2147483649");
  EXPECT_TRUE(Enabled(f->actSearch));
  EXPECT_TRUE(Enabled(f->actCompare));
  EXPECT_EQ(f->actSearch->Hint(), " Search for files and/or folders in the database ");
  EXPECT_EQ(FileTree->SMaxEdit->Hint(), texts::fileform::MaxSizeHint);
  EXPECT_FALSE(Says(StatusText(), refused)) << StatusText();
  EXPECT_EQ(SearchNow(), (Names{"empty.bin", "small.txt", "over-two.iso"}));
}

// A negative size pasted into the box is refused while the caret is in it
// and stays so, as typed, once the box is left: F7 never searches it as 0
// (which would list the empty files). The arrows still step within the range.
TEST_F(SearchSizeLimits, ANegativeSizePastedStaysRefusedOnceTheBoxIsLeft) {
  TMainForm* f = MainForm;
  const std::string refused = "Max size \"-5\"" + std::string(texts::fileform::NoSize);
  Check(FileTree->chkSMax, true);
  TypeInto(FileTree->SMaxEdit, u"600");
  const Names before = SearchNow();
  ASSERT_EQ(before, (Names{"empty.bin", "small.txt"}));
  const std::size_t lines = ConsoleLines().size();

  backend.SetClipboardText(u"-5");
  ClickOn(FileTree->SMaxEdit);
  Chord('A');
  Chord('V');
  Idle();
  EXPECT_EQ(FileTree->SMaxEdit->Text(), "-5");
  EXPECT_TRUE(Says(StatusText(), "\"-5\"" + std::string(texts::fileform::NoSize))) << StatusText();
  EXPECT_FALSE(Enabled(f->actSearch));

  ClickOn(FileTree->FolderEdit);
  Idle();
  const POINT away = At(FileTree->Tree, 40, 40);
  backend.MouseMove(away.x, away.y);
  Idle();
  EXPECT_EQ(FileTree->SMaxEdit->Text(), "-5");
  EXPECT_TRUE(Says(StatusText(), refused)) << StatusText();
  EXPECT_FALSE(Enabled(f->actSearch));
  EXPECT_FALSE(Enabled(f->actCompare));
  EXPECT_TRUE(Says(f->actSearch->Hint(), refused)) << f->actSearch->Hint();
  EXPECT_EQ(SearchNow(), before);  // F7 does nothing
  EXPECT_EQ(ConsoleLines().size(), lines);

  // The up arrow steps from the text's number into the range, as before.
  ClickOn(FileTree->SMaxEdit);
  backend.KeyPress(VK_UP);
  Idle();
  EXPECT_EQ(FileTree->SMaxEdit->Text(), "1019");
  EXPECT_TRUE(Enabled(f->actSearch));
  EXPECT_EQ(SearchNow(), (Names{"empty.bin", "small.txt"}));
}

// The date boxes hold whole days: Min date = Max date = a day finds every
// file of that day, to its last second, and none of the next; a date the
// mask lets through but no calendar has is refused as a size is.
TEST_F(SearchSizeLimits, ADayTypedIntoBothDateBoxesFindsTheWholeDay) {
  const std::string root = files.Path() + "days/";
  auto local = [](int day, int h, int m, int sec) {
    std::tm t{};
    t.tm_year = 2020 - 1900, t.tm_mon = 4, t.tm_mday = day, t.tm_hour = h, t.tm_min = m, t.tm_sec = sec;
    t.tm_isdst = -1;
    return int64_t(std::mktime(&t));
  };
  MakeFile(root + "midnight.txt", 1, local(1, 0, 0, 0));
  MakeFile(root + "noon.txt", 1, local(1, 12, 0, 0));
  MakeFile(root + "last-second.txt", 1, local(1, 23, 59, 59));
  MakeFile(root + "next-day.txt", 1, local(2, 0, 0, 0));
  AnswerWizard("Days", root);
  MainForm->actScan->Execute();
  Idle();
  MainForm->PageControl->SetActivePageIndex(1);
  Pump();
  Check(FileTree->chkDMin, true);
  Check(FileTree->chkDMax, true);
  TypeInto(FileTree->MinDate, u"01052020");
  TypeInto(FileTree->MaxDate, u"01052020");
  ASSERT_EQ(FileTree->MaxDate->Text(), "01/05/2020");
  EXPECT_EQ(SearchNow(), (Names{"midnight.txt", "noon.txt", "last-second.txt"}));

  TypeInto(FileTree->MaxDate, u"99999999");
  EXPECT_EQ(FileTree->MaxDate->Text(), "99/99/9999");
  EXPECT_FALSE(Enabled(MainForm->actSearch));
  EXPECT_TRUE(
      Says(MainForm->actSearch->Hint(), std::string("Max date \"99/99/9999\"") + texts::fileform::NoDate))
      << MainForm->actSearch->Hint();
  EXPECT_EQ(SearchNow(), (Names{"midnight.txt", "noon.txt", "last-second.txt"}));  // F7 does nothing
  TypeInto(FileTree->MaxDate, u"02052020");
  EXPECT_TRUE(Enabled(MainForm->actSearch));
  EXPECT_EQ(SearchNow(), (Names{"midnight.txt", "noon.txt", "last-second.txt", "next-day.txt"}));
}

}  // namespace
}  // namespace qv::test
