// Page controls switched by mouse and by Ctrl+Tab with OnChanging able to
// refuse, tabs following their sheets, the focus leaving a page that
// hides, a tab control's string tabs, a notebook's pages, and an up-down
// stepping its associated edit.
#include "../controls/ControlsTestSupport.h"
#include "classlib/comctrls/Notebook.h"
#include "classlib/comctrls/PageControl.h"
#include "classlib/comctrls/UpDown.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/stdctrls/CustomEdit.h"
#include "platform/comctl/BarControls.h"
#include "platform/gdi/ImageListApi.h"

namespace qv::test {
namespace {

class Pages : public ControlsTest {
 protected:
  TTabSheet* Sheet(TPageControl* pc, const std::string& caption) {
    auto* s = new TTabSheet(pc->Owner());
    s->SetCaption(caption);
    s->SetPageControl(pc);
    return s;
  }
  void ClickTab(TCustomTabControl* tc, int index) {
    RECT r = tc->TabRect(index);
    POINT p = tc->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    backend.Click(p.x, p.y);
    Pump();
  }
  void CtrlTab(bool shift = false) {
    backend.KeyDown(VK_CONTROL);
    if (shift) backend.KeyDown(VK_SHIFT);
    backend.KeyPress(VK_TAB);
    if (shift) backend.KeyUp(VK_SHIFT);
    backend.KeyUp(VK_CONTROL);
    Pump();
  }
};

TEST_F(Pages, MouseAndCtrlTabSwitchPagesUnlessRefused) {
  TForm* f = NewForm();
  auto* pc = new TPageControl(f);
  pc->SetParent(f);
  pc->SetAlign(alClient);
  TTabSheet* discs = Sheet(pc, "Discs");
  TTabSheet* search = Sheet(pc, "Search");
  TTabSheet* reports = Sheet(pc, "Reports");
  auto* edit = new TEdit(f);
  edit->SetParent(search);
  std::vector<std::string> log;
  bool allow = true;
  pc->OnChanging = [&](TObject*, bool& a) {
    log.push_back("changing from " + pc->ActivePage()->Caption());
    a = allow;
  };
  pc->OnChange = [&](TObject*) { log.push_back("change to " + pc->ActivePage()->Caption()); };
  f->Show();
  Pump();
  EXPECT_EQ(pc->ActivePage(), discs);  // the first page shows by itself
  EXPECT_TRUE(discs->Visible());
  EXPECT_FALSE(search->Visible());
  // A sheet fills the display area below the tabs.
  EXPECT_GT(discs->Top(), pc->TabRect(0).bottom);
  EXPECT_LT(discs->Width(), pc->ClientWidth());
  ClickTab(pc, 1);
  EXPECT_EQ(pc->ActivePage(), search);
  EXPECT_TRUE(search->Visible());
  EXPECT_FALSE(discs->Visible());
  EXPECT_TRUE(pc->Focused());
  edit->SetFocus();
  CtrlTab();
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  EXPECT_EQ(pc->TabIndex(), 2);
  // The edit went with its page: the focus moved to the page control.
  EXPECT_TRUE(pc->Focused());
  CtrlTab();  // round to the first
  CtrlTab(true);
  EXPECT_EQ(pc->ActivePage(), reports);
  EXPECT_EQ(log, (std::vector<std::string>{"changing from Discs", "change to Search", "changing from Search",
                                           "change to Reports", "changing from Reports", "change to Discs",
                                           "changing from Discs", "change to Reports"}));
  log.clear();
  // Refused by mouse and by key: nothing moves.
  allow = false;
  ClickTab(pc, 0);
  CtrlTab();
  EXPECT_EQ(pc->ActivePage(), reports);
  EXPECT_EQ(pc->TabIndex(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"changing from Reports", "changing from Reports"}));
  log.clear();
  // From code: no events.
  pc->SetActivePageIndex(0);
  EXPECT_EQ(pc->TabIndex(), 0);
  EXPECT_TRUE(discs->Visible());
  EXPECT_TRUE(log.empty());
  // Tabs follow the sheets: a hidden tab, a new caption, a freed sheet.
  search->SetTabVisible(false);
  EXPECT_EQ(SendMessageW(pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(reports->TabIndex(), 1);
  reports->SetCaption("Report");
  char16_t buf[16];
  TCITEMW item;
  item.mask = TCIF_TEXT;
  item.buffer = buf;
  item.cchTextMax = 16;
  SendMessageW(pc->Handle(), TCM_GETITEMW, 1, LPARAM(&item));
  EXPECT_EQ(std::u16string(buf), u"Report");
  delete discs;
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), reports);  // the next page with a tab
  EXPECT_TRUE(reports->Visible());
}

TEST_F(Pages, TabsWithoutFocusAndTabControlStrings) {
  TForm* f = NewForm();
  auto* edit = new TEdit(f);
  edit->SetParent(f);
  auto* pc = new TPageControl(f);
  pc->SetParent(f);
  pc->SetBounds(0, 40, 300, 200);
  pc->SetTabStop(false);
  Sheet(pc, "One");
  Sheet(pc, "Two");
  auto* tc = new TTabControl(f);
  tc->SetParent(f);
  tc->SetBounds(0, 250, 300, 50);
  tc->Tabs()->Add("Alpha");
  tc->Tabs()->Add("Beta");
  int changes = 0;
  tc->OnChange = [&](TObject*) { ++changes; };
  f->Show();
  edit->SetFocus();
  Pump();
  ClickTab(pc, 1);
  EXPECT_EQ(pc->ActivePageIndex(), 1);
  EXPECT_TRUE(edit->Focused());  // tabs without focus
  EXPECT_EQ(tc->TabIndex(), 0);
  ClickTab(tc, 1);
  EXPECT_EQ(tc->TabIndex(), 1);
  EXPECT_EQ(changes, 1);
  tc->Tabs()->Delete(1);
  EXPECT_EQ(tc->TabIndex(), 0);
  EXPECT_EQ(SendMessageW(tc->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
}

TEST_F(Pages, TabsShowTheirSheetsImages) {
  TForm* f = NewForm();
  auto* images = new TImageList(f);
  Surface strip(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) strip.Set(x, y, x < 16 ? 0xFFFF0000 : 0xFF00FF00);
  ImageList_AddSurface(images->Handle(), strip);
  auto* pc = new TPageControl(f);
  pc->SetParent(f);
  pc->SetAlign(alClient);
  pc->SetImages(images);
  TTabSheet* a = Sheet(pc, "Discs");
  TTabSheet* b = Sheet(pc, "Search");
  a->SetImageIndex(1);
  b->SetImageIndex(0);
  f->Show();
  Pump();
  auto count = [&](RECT r, uint32_t colour) {
    POINT o = pc->ClientToScreen(POINT{0, 0});
    Surface shot = backend.Screenshot();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += (shot.At(o.x + x, o.y + y) & 0xFFFFFF) == colour;
    return n;
  };
  RECT first = pc->TabRect(0), second = pc->TabRect(1);
  EXPECT_EQ(count(first, Rgb(0, 255, 0)), 256);
  EXPECT_EQ(count(second, Rgb(255, 0, 0)), 256);
  EXPECT_EQ(count(first, Rgb(255, 0, 0)), 0);
  // The tab leaves room for its image before the caption.
  b->SetImageIndex(-1);
  Pump();
  EXPECT_EQ(count(pc->TabRect(1), Rgb(255, 0, 0)), 0);
}

TEST_F(Pages, NotebookShowsOnePage) {
  TForm* f = NewForm();
  auto* nb = new TNotebook(f);
  nb->SetParent(f);
  nb->SetAlign(alClient);
  TPage* a = nb->AddPage("Welcome");
  TPage* b = nb->AddPage("Options");
  TPage* c = nb->AddPage("Finish");
  int changed = 0;
  nb->OnPageChanged = [&](TObject*) { ++changed; };
  f->Show();
  Pump();
  EXPECT_EQ(nb->PageIndex(), 0);
  EXPECT_TRUE(a->Visible());
  EXPECT_EQ(a->Width(), nb->ClientWidth());
  nb->SetPageIndex(2);
  EXPECT_TRUE(c->Visible());
  EXPECT_FALSE(a->Visible());
  nb->SetActivePage("Options");
  EXPECT_EQ(nb->PageIndex(), 1);
  EXPECT_TRUE(b->Visible());
  nb->SetPageIndex(7);  // no such page
  EXPECT_EQ(nb->ActivePage(), "Options");
  EXPECT_EQ(changed, 2);
  nb->DeletePage(1);
  EXPECT_EQ(nb->ActivePage(), "Finish");
  EXPECT_TRUE(c->Visible());
  // A page freed from outside leaves the notebook too.
  delete a;
  EXPECT_EQ(nb->PageCount(), 1);
  EXPECT_EQ(nb->PageIndex(), 0);
  EXPECT_EQ(nb->ActivePage(), "Finish");
}

// A page control whose tabs take no focus hands the focus on the page it
// hides, by code or by Ctrl+Tab, to the first control of the page it shows,
// where Tab goes on; a page without controls leaves it to the page control.
TEST_F(Pages, TabsWithoutFocusHandTheFocusToTheNewPage) {
  TForm* f = NewForm();
  auto* pc = new TPageControl(f);
  pc->SetParent(f);
  pc->SetAlign(alClient);
  pc->SetTabStop(false);
  TTabSheet* sheets[3] = {Sheet(pc, "One"), Sheet(pc, "Two"), Sheet(pc, "Empty")};
  std::vector<TEdit*> edits;
  for (int page : {0, 1, 1}) {
    auto* e = new TEdit(f);
    e->SetParent(sheets[page]);
    e->SetTop(int(edits.size()) * 30);
    edits.push_back(e);
  }
  f->Show();
  Pump();
  edits[0]->SetFocus();
  pc->SetActivePageIndex(1);
  Pump();
  EXPECT_EQ(GetFocus(), edits[1]->Handle());
  EXPECT_EQ(f->ActiveControl(), edits[1]);
  backend.KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), edits[2]->Handle());
  CtrlTab(true);
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  EXPECT_EQ(GetFocus(), edits[0]->Handle());
  pc->SetActivePageIndex(2);
  Pump();
  EXPECT_EQ(GetFocus(), pc->Handle());
}

// A focus on the page a notebook hides goes to the first control of the page
// it shows; a focus outside the notebook stays where it is.
TEST_F(Pages, NotebookMovesTheFocusOffThePageItHides) {
  TForm* f = NewForm();
  auto* outside = new TEdit(f);
  outside->SetParent(f);
  outside->SetAlign(alTop);
  auto* nb = new TNotebook(f);
  nb->SetParent(f);
  nb->SetAlign(alClient);
  TEdit* edits[2];
  for (int i = 0; i < 2; ++i) {
    TPage* page = nb->AddPage(i ? "Second" : "First");
    edits[i] = new TEdit(f);
    edits[i]->SetParent(page);
  }
  f->Show();
  Pump();
  edits[0]->SetFocus();
  nb->SetPageIndex(1);
  Pump();
  EXPECT_EQ(GetFocus(), edits[1]->Handle());
  EXPECT_EQ(f->ActiveControl(), edits[1]);
  outside->SetFocus();
  nb->SetPageIndex(0);
  Pump();
  EXPECT_EQ(GetFocus(), outside->Handle());
}

TEST_F(Pages, UpDownStepsItsEdit) {
  TForm* f = NewForm();
  auto* edit = new TEdit(f);
  edit->SetParent(f);
  edit->SetBounds(10, 10, 80, 22);
  auto* ud = new TUpDown(f);
  ud->SetParent(f);
  ud->SetMin(0);
  ud->SetMax(10);
  ud->Increment = 3;
  ud->SetAssociate(edit);
  std::vector<std::string> log;
  bool allow = true;
  ud->OnChanging = [&](TObject*, bool& a) {
    log.push_back("changing");
    a = allow;
  };
  ud->OnClick = [&](TObject*, TUDBtnType b) { log.push_back(b == btNext ? "next" : "prev"); };
  f->Show();
  Pump();
  EXPECT_EQ(edit->Width(), 80 - ud->Width());  // the arrows took the edit's right end
  EXPECT_EQ(ud->Left(), edit->Left() + edit->Width());
  EXPECT_EQ(edit->Text(), "0");
  POINT up = ud->ClientToScreen(POINT{ud->Width() / 2, 3});
  POINT down = ud->ClientToScreen(POINT{ud->Width() / 2, ud->Height() - 3});
  backend.Click(up.x, up.y);
  backend.Click(up.x, up.y);
  Pump();
  EXPECT_EQ(ud->Position(), 6);
  EXPECT_EQ(edit->Text(), "6");
  backend.Click(down.x, down.y);
  Pump();
  EXPECT_EQ(edit->Text(), "3");
  EXPECT_EQ(log, (std::vector<std::string>{"changing", "next", "changing", "next", "changing", "prev"}));
  log.clear();
  allow = false;
  backend.Click(up.x, up.y);
  Pump();
  EXPECT_EQ(edit->Text(), "3");
  EXPECT_EQ(log, std::vector<std::string>{"changing"});
  // Up and Down in the edit step too; the top of the range holds.
  allow = true;
  edit->SetFocus();
  for (int i = 0; i < 5; ++i) backend.KeyPress(VK_UP);
  Pump();
  EXPECT_EQ(ud->Position(), 10);
  ud->SetPosition(4);
  EXPECT_EQ(edit->Text(), "4");
  // The edit may go first.
  delete edit;
  EXPECT_EQ(ud->Associate(), nullptr);
  ud->SetPosition(5);
  EXPECT_EQ(ud->Position(), 5);
}

}  // namespace
}  // namespace qv::test
