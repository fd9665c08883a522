// What the user reads on the four views, letter for letter (blanks and the
// misspelt hint included), and the views' own pictures.
#include "FramesFixture.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"

namespace qv::test {
namespace {

using FrameTextsTest = FramesTest;

std::vector<std::string> Headers(TDataStringTree* tree) {
  std::vector<std::string> out;
  for (int i = 0; i < tree->Header()->Columns()->Count(); ++i)
    out.push_back(Utf16ToUtf8(tree->Header()->Columns()->Items(i)->Text()));
  return out;
}

TEST_F(FrameTextsTest, ColumnHeaders) {
  EXPECT_EQ(Headers(DiscTree->Tree),
            (std::vector<std::string>{" Label ", " Category ", " Location ", " Files ", " Folders ", " Date ",
                                      " Time ", " Description "}));
  EXPECT_EQ(Headers(FileTree->Tree), (std::vector<std::string>{" Name / Path ", " Size ", " Date ", " Time ",
                                                               " Disc ", " Location "}));
  EXPECT_EQ(Headers(Browser->FileView),
            (std::vector<std::string>{" Name ", " Type ", " Size ", " Date ", " Time "}));
  EXPECT_TRUE(Headers(Console->View).empty());
}

TEST_F(FrameTextsTest, SearchPanelCaptionsAndHints) {
  EXPECT_EQ(FileTree->FileEdit->EditLabel()->Caption(), "File mask");
  EXPECT_EQ(FileTree->FileEdit->Text(), "*.*");
  EXPECT_EQ(FileTree->FileEdit->Hint(),
            " It is strongly recommended to specify at least first chararcter of the file name! ");
  EXPECT_EQ(FileTree->FolderEdit->EditLabel()->Caption(), "Folder mask");
  EXPECT_EQ(FileTree->FolderEdit->Text(), "*");
  EXPECT_EQ(FileTree->FolderEdit->Hint(),
            " This mask is used to search folders or files if both masks are specified ");
  EXPECT_EQ(FileTree->CatsLabel->Caption(), "Category");
  EXPECT_EQ(FileTree->CatsCombo->Hint(), " Disc category to search in ");
  EXPECT_EQ(FileTree->DiscLabel->Caption(), "Disc");
  EXPECT_EQ(FileTree->DiscCombo->Hint(), " Disc to search in ");
  EXPECT_EQ(FileTree->FileLabel->Caption(), "File type");
  EXPECT_EQ(FileTree->FileCombo->Hint(), " Select specific file type to search in ");
  EXPECT_EQ(FileTree->SearchInLabel->Caption(), "Search in");
  EXPECT_EQ(FileTree->chkSMin->Caption(), " Min size");
  EXPECT_EQ(FileTree->chkSMax->Caption(), " Max size");
  EXPECT_EQ(FileTree->chkDMin->Caption(), " Min date");
  EXPECT_EQ(FileTree->chkDMax->Caption(), " Max date");
  EXPECT_EQ(FileTree->SMinEdit->Hint(), " Minimal acceptable file size ");
  EXPECT_EQ(FileTree->SMaxEdit->Hint(), " Maximal acceptable file size ");
  EXPECT_EQ(FileTree->MinDate->Hint(), " Earliest acceptable file date ");
  EXPECT_EQ(FileTree->MaxDate->Hint(), " Latest acceptable file date ");
  EXPECT_EQ(FileTree->SMinEdit->Value(), 0);
  EXPECT_EQ(FileTree->SMaxEdit->Value(), 1024);
  EXPECT_EQ(FileTree->MinDate->GetDate(), Date());
  EXPECT_EQ(FileTree->MinDate->EditMask(), "!99/99/9999;1; ");
  EXPECT_EQ(FileTree->MaxDate->MaxLength(), 10);
  CreateDatabase();
  EXPECT_EQ(FileTree->CatsCombo->Items()->IndexOf(" < Every Category > ") >= 0, true);
  EXPECT_EQ(FileTree->DiscCombo->Items()->IndexOf(" < Every Disc > ") >= 0, true);
  EXPECT_EQ(FileTree->FileCombo->Items()->IndexOf(" < Any Type > ") >= 0, true);
  EXPECT_GE(FileTree->CatsCombo->Items()->IndexOf(" Audio "), 0);
}

TEST_F(FrameTextsTest, TheViewsDrawTheirOwnPictures) {
  // Every cell of the console's, the categories' and the browser's lists is drawn.
  for (TImageList* list : {Console->ViewImages, DiscTree->CatImages, Browser->Images}) {
    ASSERT_GE(list->Count(), 4);
    for (int i = 0; i < list->Count(); ++i) {
      TBitmap cell(16, 16, pf32bit);
      cell.Canvas()->Brush()->SetColor(clWhite);
      cell.Canvas()->FillRect(RECT{0, 0, 16, 16});
      list->Draw(cell.Canvas(), 0, 0, i);
      int drawn = 0;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) drawn += (cell.Canvas()->Pixels(x, y) & 0xFFFFFF) != 0xFFFFFF;
      EXPECT_GT(drawn, 20) << list->Name() << " " << i;
    }
  }
  EXPECT_EQ(Browser->Images->Count(), 8);
}

}  // namespace
}  // namespace qv::test
