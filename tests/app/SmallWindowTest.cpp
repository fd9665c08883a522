// The main window at its smallest: every search criterion stays whole and
// reachable, beside the masks while the columns keep a usable width, below
// them when not; a wide window keeps the design's places. The results keep
// room for a few rows at the least size, the console giving way.
#include <filesystem>

#include "MainTestSupport.h"
#include "app/frames/FileTree.h"
#include "skin/controls/skSplitter.h"

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

// A screen large enough for the least size at 192 dpi too.
class LeastSize : public MainTest {
 protected:
  LeastSize() : MainTest(SIZE{2560, 1600}) {}

  // Drags the console's splitter by dy pixels with the mouse.
  void DragSplitter(int dy) {
    const POINT grip = MainForm->skSplitter->ClientToScreen(POINT{20, 1});
    backend.MouseMove(grip.x, grip.y);
    backend.MouseDown();
    backend.MouseMove(grip.x, grip.y + dy / 2);
    backend.MouseMove(grip.x, grip.y + dy);
    backend.MouseUp();
    Pump();
  }
  void ExpectResultRows(const char* when) {
    TDataStringTree* results = FileTree->Tree;
    EXPECT_GE(results->ClientHeight(), 3 * int(results->DefaultNodeHeight())) << when;
    TMainForm* f = MainForm;
    EXPECT_EQ(f->skSplitter->Top() + f->skSplitter->Height(), f->ConsPanel->Top()) << when;
  }
};

TEST_F(LeastSize, ResultsKeepRowsAndTheConsoleKeepsItsHeight) {
  for (int dpi : {96, 192}) {
    SCOPED_TRACE(dpi);
    backend.Dpi = dpi;
    std::filesystem::remove_all(config.Path() + "Quirvane");
    AnswerNew("Test", "", "Test" + std::to_string(dpi));
    Start();
    TMainForm* f = MainForm;
    f->PageControl->SetActivePageIndex(1);
    Pump();
    const int chosen = f->ConsPanel->Height();
    EXPECT_NEAR(chosen, 105 * dpi / 96, 1);

    // The least size: the console gives way, the results keep their rows.
    f->SetBounds(0, 0, 1, 1);
    Pump();
    EXPECT_EQ(f->Width(), 640 * dpi / 96);
    EXPECT_EQ(f->Height(), 350 * dpi / 96);
    ExpectResultRows("least size");
    EXPECT_LT(f->ConsPanel->Height(), chosen);

    // A drag of the splitter far up stops where the results keep their
    // rows; the height dragged to shows once there is room.
    const int shrunk = f->ConsPanel->Height();
    const int up = 150 * dpi / 96;
    DragSplitter(-up);
    ExpectResultRows("after a drag");
    f->SetBounds(0, 0, 888 * dpi / 96, 622 * dpi / 96);
    Pump();
    EXPECT_EQ(f->ConsPanel->Height(), shrunk + up);
    DragSplitter(shrunk + up - chosen);
    EXPECT_EQ(f->ConsPanel->Height(), chosen);
    // Shrunk and grown back: the height chosen comes back.
    f->SetBounds(0, 0, 1, 1);
    Pump();
    ExpectResultRows("least size again");
    f->SetBounds(0, 0, 888 * dpi / 96, 622 * dpi / 96);
    Pump();
    EXPECT_EQ(f->ConsPanel->Height(), chosen);
    // A drag there is the user's new choice.
    DragSplitter(-40 * dpi / 96);
    const int dragged = f->ConsPanel->Height();
    EXPECT_EQ(dragged, chosen + 40 * dpi / 96);

    // Closed at the least size: the settings keep the chosen height, and the
    // next start at that size gives way again, then grows back to it.
    f->SetBounds(0, 0, 1, 1);
    Pump();
    Stop();
    EXPECT_NE(SettingsText().find("CH=" + std::to_string(dragged) + "\n"), std::string::npos)
        << SettingsText();
    Start();
    MainForm->PageControl->SetActivePageIndex(1);
    Pump();
    EXPECT_EQ(MainForm->Height(), 350 * dpi / 96);
    ExpectResultRows("next start");
    MainForm->SetBounds(0, 0, 888 * dpi / 96, 622 * dpi / 96);
    Pump();
    EXPECT_EQ(MainForm->ConsPanel->Height(), dragged);
    Stop();
  }
}

}  // namespace
}  // namespace qv::test
