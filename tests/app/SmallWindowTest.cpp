// The main window at its smallest: every search criterion stays whole and
// reachable, beside the masks while the columns keep a usable width, below
// them when not; a wide window keeps the design's places.
#include "MainTestSupport.h"
#include "app/frames/FileTree.h"

namespace qv::test {
namespace {

using SmallWindow = MainTest;

// The criteria controls that stick out of the panel, or overlap another.
std::vector<std::string> Misplaced(TPanel* panel) {
  std::vector<std::string> out;
  std::vector<RECT> seen;
  for (int i = 0; i < panel->ControlCount(); ++i) {
    TControl* c = panel->Controls(i);
    if (!c->Visible()) continue;
    RECT r = c->BoundsRect();
    if (r.left < 0 || r.top < 0 || r.right > panel->ClientWidth() || r.bottom > panel->ClientHeight())
      out.push_back(c->Name() + " outside");
    for (const RECT& o : seen) {
      RECT both{};
      if (IntersectRect(&both, &r, &o)) out.push_back(c->Name() + " overlaps");
    }
    seen.push_back(r);
  }
  return out;
}

TEST_F(SmallWindow, SearchCriteriaFitAtEverySize) {
  StartWithCatalogue();
  TMainForm* f = MainForm;
  f->PageControl->SetActivePageIndex(1);
  TPanel* panel = FileTree->SearchPanel;
  Pump();
  // Wide: the design's places.
  EXPECT_EQ(Misplaced(panel), std::vector<std::string>{});
  EXPECT_EQ(FileTree->FileCombo->Left(), 532);
  EXPECT_EQ(FileTree->FileCombo->Width(), 156);
  EXPECT_EQ(FileTree->MaxDate->Left(), 534);
  EXPECT_EQ(panel->Height(), 108);

  // 640 x 480: narrower columns beside the masks, nothing cut.
  f->SetBounds(0, 0, 640, 480);
  Pump();
  EXPECT_EQ(Misplaced(panel), std::vector<std::string>{});
  EXPECT_EQ(panel->Height(), 108);
  EXPECT_GE(FileTree->FileCombo->Width(), 100);
  EXPECT_GE(FileTree->MaxDate->Width(), 88);
  EXPECT_GT(FileTree->Tree->Height(), 40) << "room is left for the results";
  EXPECT_GT(panel->ControlCount(), 14);

  // Narrower than the window allows (a dense screen's larger text does the
  // same): the combos and limits go below the masks.
  FileTree->SetParent(nullptr);
  FileTree->SetAlign(alNone);
  FileTree->SetBounds(0, 0, 420, 400);
  FileTree->SetParent(f->TabSheet2);
  Pump();
  EXPECT_EQ(Misplaced(panel), std::vector<std::string>{});
  EXPECT_GT(panel->Height(), 108);
  EXPECT_GE(FileTree->CatsCombo->Top(), FileTree->FolderEdit->Top() + FileTree->FolderEdit->Height());

  // And back.
  FileTree->SetAlign(alClient);
  f->SetBounds(0, 0, 888, 622);
  Pump();
  EXPECT_EQ(Misplaced(panel), std::vector<std::string>{});
  EXPECT_EQ(FileTree->FileCombo->Left(), 532);
  EXPECT_EQ(panel->Height(), 108);
}

}  // namespace
}  // namespace qv::test
