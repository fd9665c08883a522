// The skin demo's skinned controls with the skin Harbour and without a skin:
// the edits take the skin's border, the button of the edit with a button
// keeps its glyph, and without the skin everything is plain again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "classlib/controls/Application.h"
#include "demo/skin/SkinDemoForm.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/comctl/ListView.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"
#include "platform/window/Window.h"
#include "skin/controls/skComboBoxes.h"
#include "skin/controls/skCustomComboEdit.h"
#include "skin/controls/skEdit.h"
#include "skin/controls/skListView.h"
#include "skin/controls/skMonthCalendar.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skScrollBar.h"
#include "skin/controls/skShellComboBox.h"
#include "skin/controls/skShellListView.h"
#include "skin/controls/skShellTreeView.h"
#include "skin/controls/skSpeedButton.h"
#include "skin/controls/skSpinEdit.h"
#include "skin/controls/skSplitter.h"
#include "skin/controls/skTooledit.h"
#include "skin/controls/skTreeView.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class DemoPage : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new demo::TSkinDemoForm(nullptr, QV_TEST_SKINS_DIR);
    form->SetBorderStyle(bsNone);
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    Application->CancelHint();
    delete form;
    Application->ProcessMessages();
  }
  // A pixel of the control's window (its border included).
  uint32_t At(TControl* c, int x, int y) {
    const POINT p = c->Parent()->ClientToScreen(POINT{c->Left() + x, c->Top() + y});
    return backend.Screenshot().At(p.x, p.y) & 0xFFFFFF;
  }
  int GlyphInk(TControl* b) {
    const Surface shot = backend.Screenshot();
    int ink = 0;
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x) {
        const POINT s = b->ClientToScreen(POINT{x, y});
        ink += PixelR(shot.At(s.x, s.y)) < 80;
      }
    return ink;
  }
  HeadlessBackend backend{SIZE{1040, 720}};
  demo::TSkinDemoForm* form = nullptr;
};

TEST_F(DemoPage, SkinnedAndPlain) {
  ASSERT_TRUE(form->Edit->SkinData()->Skinned(true));
  const uint32_t skinnedEdge = At(form->Edit, form->Edit->Width() / 2, 0);
  // A plain edit beside it gives the plain look to compare with.
  auto* plain = new TEdit(form);
  plain->SetParent(form);
  plain->SetBounds(400, 290, 100, 21);
  backend.Pump();
  const uint32_t plainEdge = At(plain, plain->Width() / 2, 0);
  EXPECT_NE(skinnedEdge, plainEdge);
  EXPECT_EQ(At(form->Spin, form->Spin->Width() / 2, 0), skinnedEdge);
  EXPECT_GT(GlyphInk(form->ButtonEdit->Button()), 3);  // the three dots
  EXPECT_EQ(At(form->DateEdit, form->DateEdit->Width() / 3, 0), skinnedEdge);
  EXPECT_GT(GlyphInk(form->DateEdit->Button()), 3);
  form->UseSkin(false);
  backend.Pump();
  EXPECT_FALSE(form->Edit->SkinData()->Skinned(true));
  EXPECT_EQ(At(form->Edit, form->Edit->Width() / 2, 0), plainEdge);
  EXPECT_GT(GlyphInk(form->ButtonEdit->Button()), 3);
  EXPECT_EQ(At(form->DateEdit, form->DateEdit->Width() / 3, 0), plainEdge);
  EXPECT_GT(GlyphInk(form->DateEdit->Button()), 3);
  EXPECT_EQ(form->DateEdit->Text(), "07/12/2026");
  // Stepping works the same either way.
  form->Spin->UpClick(form->Spin);
  EXPECT_EQ(form->Spin->Value(), 2048);
}

TEST_F(DemoPage, BrowsingControlsSkinnedAndPlainAndTheSplitterDrags) {
  const uint32_t skinnedEdge = At(form->Edit, form->Edit->Width() / 2, 0);
  EXPECT_EQ(At(form->Tree, form->Tree->Width() / 2, 0), skinnedEdge);
  EXPECT_EQ(At(form->ShellTree, form->ShellTree->Width() / 2, 0), skinnedEdge);
  // The calendar's grid shows the month, the shell tree the desktop's two folders.
  EXPECT_EQ(form->Calendar->Day(), 7);
  EXPECT_EQ(form->Calendar->CellText(1, 2), "7");  // Monday of the second week
  // The title bar's buttons read "<<", "<", then ">", ">>" from left to right.
  for (int i = 0; i < 3; ++i)
    EXPECT_LT(form->Calendar->NavButton(i)->Left(), form->Calendar->NavButton(i + 1)->Left()) << i;
  TTreeNode* top = form->ShellTree->Items()->GetFirstNode();
  ASSERT_TRUE(top);
  EXPECT_EQ(top->Text(), "Desktop");
  EXPECT_EQ(top->Count(), 2);
  auto drag = [&](int dx) {
    const POINT p = form->Splitter->ClientToScreen(POINT{3, 40});
    backend.MouseMove(p.x, p.y);
    backend.MouseDown();
    backend.MouseMove(p.x + dx / 2, p.y);
    backend.MouseMove(p.x + dx, p.y);
    backend.MouseUp();
    backend.Pump();
  };
  const int width = form->ShellTree->Width();
  drag(30);
  EXPECT_EQ(form->ShellTree->Width(), width + 30);
  form->UseSkin(false);
  backend.Pump();
  const uint32_t plainEdge = At(form->Edit, form->Edit->Width() / 2, 0);
  EXPECT_NE(plainEdge, skinnedEdge);
  EXPECT_EQ(At(form->Tree, form->Tree->Width() / 2, 0), plainEdge);
  EXPECT_EQ(At(form->ShellTree, form->ShellTree->Width() / 2, 0), plainEdge);
  drag(-20);
  EXPECT_EQ(form->ShellTree->Width(), width + 10);
  EXPECT_TRUE(Application->ShowHint);  // hints are back after each drag
}

TEST_F(DemoPage, ListControlsSkinnedAndPlainAndTheShellControlsMoveTogether) {
  const uint32_t skinnedEdge = At(form->Edit, form->Edit->Width() / 2, 0);
  EXPECT_EQ(At(form->List, form->List->Width() / 2, 0), skinnedEdge);
  ASSERT_NE(form->List->HeaderWnd(), nullptr);
  RECT header;
  GetWindowRect(form->List->HeaderWnd(), &header);
  const uint32_t skinnedHeader = backend.Screenshot().At(header.left + 40, header.top + 2) & 0xFFFFFF;
  EXPECT_EQ(form->List->Items()->Count(), 40);
  EXPECT_EQ(form->Combo->Text(), "Holiday photos");
  EXPECT_EQ(form->ComboEx->ItemIndex(), 0);
  // The shell list and combo stand where the tree stands, and follow it.
  ASSERT_NE(form->ShellList->RootFolder(), nullptr);
  EXPECT_EQ(form->ShellList->FolderCount(), 2);  // Computer and Home
  ASSERT_NE(form->ShellCombo->SelectedFolder(), nullptr);
  const std::string home = form->ShellList->Folders(1)->ParsingPath();
  form->ShellTree->SetPath(home);
  backend.Pump();
  EXPECT_EQ(form->ShellList->RootFolder()->ParsingPath(), home);
  EXPECT_EQ(form->ShellCombo->SelectedFolder()->ParsingPath(), home);
  // Harbour has its own column headers, combo box with an arrow and scroll bars.
  TSkinManager* m = form->List->SkinData()->SkinManager();
  ASSERT_NE(m, nullptr);
  for (const char* section : {"COLHEADER", "COMBOBOX", "SCROLLBTNTOP", "SCROLLSLIDERV", "SCROLLBAR1V"})
    EXPECT_GE(m->GetSkinIndex(section), 0) << section;
  const RECT arrow = form->Combo->ButtonRect();
  ASSERT_FALSE(IsRectEmpty(&arrow));
  int arrowInk = 0;
  for (int y = arrow.top; y < arrow.bottom; ++y)
    for (int x = arrow.left; x < arrow.right; ++x) arrowInk += PixelR(At(form->Combo, x, y)) < 100;
  EXPECT_GE(arrowInk, 10);  // the 9-pixel arrow's triangle
  TSkScrollBar* bar = form->List->VertBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->Visible());
  int barInk = 0;
  for (int y = 0; y < bar->Width(); ++y)
    for (int x = 0; x < bar->Width(); ++x) barInk += PixelR(At(bar, x, y)) < 100;
  EXPECT_GE(barInk, 10);  // the up arrow in the top button
  form->UseSkin(false);
  backend.Pump();
  const uint32_t plainEdge = At(form->Edit, form->Edit->Width() / 2, 0);
  EXPECT_EQ(At(form->List, form->List->Width() / 2, 0), plainEdge);
  GetWindowRect(form->List->HeaderWnd(), &header);
  EXPECT_NE(backend.Screenshot().At(header.left + 40, header.top + 2) & 0xFFFFFF, skinnedHeader);
  EXPECT_EQ(form->List->VertBar(), nullptr);
}

// The first inked column and row of a control's text, in window pixels (while
// focused the text is selected, and its selection starts where the text does).
POINT TextInk(const Surface& shot, TControl* c) {
  const POINT o = c->Parent()->ClientToScreen(POINT{c->Left(), c->Top()});
  POINT first{1000, 1000};
  for (int y = 1; y < c->Height() - 1; ++y)
    for (int x = 1; x < std::min(c->Width() - 1, 40); ++x) {
      const uint32_t p = shot.At(o.x + x, o.y + y);
      if (PixelR(p) + PixelG(p) + PixelB(p) < 300)
        first.x = std::min<int>(first.x, x), first.y = std::min<int>(first.y, y);
    }
  return first;
}

TEST_F(DemoPage, TextKeepsItsMarginWithAndWithoutTheFocus) {
  for (TWinControl* e :
       std::initializer_list<TWinControl*>{form->Edit, form->Spin, form->ButtonEdit, form->DateEdit}) {
    const POINT idle = TextInk(backend.Screenshot(), e);
    e->SetFocus();
    backend.Pump();
    const POINT focused = TextInk(backend.Screenshot(), e);
    form->Box->SetFocus();
    backend.Pump();
    // Inside the 2-pixel frame one pixel of margin, whoever draws the text:
    // the cache while idle, the edit itself while focused.
    EXPECT_EQ(idle.x, 3) << e->ClassName();
    EXPECT_EQ(focused.x, 3) << e->ClassName();
  }
}

// Every section the skinned controls and forms look up is in both skins we
// ship, so that on the demo page no skinned piece (the spin edit's small
// buttons, the calendar's title bar and its buttons, the splitter, the
// speed buttons) falls back to the plain look beside skinned neighbours.
TEST_F(DemoPage, BothSkinsAreWhole) {
  for (const char* skin : {"Harbour", "Dusk"}) {
    form->ChooseSkin(skin);
    backend.Pump();
    TSkinManager* m = form->Skins;
    ASSERT_EQ(m->SkinName(), skin);
    for (const char* section : {"EDIT",
                                "COMBOBOX",
                                "BUTTON",
                                "SPEEDBUTTON",
                                "SPEEDBUTTON_SMALL",
                                "WEBBUTTON",
                                "DRAGBAR",
                                "SPLITTER",
                                "CHECKBOX",
                                "COLHEADER",
                                "PANEL",
                                "DIVIDER",
                                "DIVIDERV",
                                "SCROLLBAR1H",
                                "SCROLLBAR1V",
                                "SCROLLBAR2H",
                                "SCROLLBAR2V",
                                "SCROLLSLIDERH",
                                "SCROLLSLIDERV",
                                "SCROLLBTNTOP",
                                "SCROLLBTNBOTTOM",
                                "SCROLLBTNLEFT",
                                "SCROLLBTNRIGHT",
                                "FORM",
                                "FORMTITLE",
                                "DIALOG",
                                "MENULINE",
                                "MENUITEM",
                                "MAINMENU",
                                "MDIAREA"})
      EXPECT_GE(m->GetSkinIndex(section), 0) << skin << " " << section;
    for (const char* section :
         {"COMBOBOX", "SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"})
      EXPECT_GE(m->GetMaskIndex(m->GetSkinIndex(section), section, "GLYPHMASK"), 0) << skin << " " << section;
    for (const char* section : {"EDIT", "BUTTON", "SPEEDBUTTON_SMALL", "PANEL", "COLHEADER", "FORM"})
      EXPECT_GE(m->GetMaskIndex(m->GetSkinIndex(section), section, "BORDERSMASK"), 0)
          << skin << " " << section;
    for (int i = 0; i < 6; ++i) EXPECT_GE(m->ConstData.CheckBox[i], 0) << skin << " check glyph " << i;
    int pieces = 0;
    std::function<void(TWinControl*)> walk = [&](TWinControl* parent) {
      for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        TSkCommonData* d = nullptr;
        if (auto* b = dynamic_cast<TSkSpeedButton*>(c)) d = b->SkinData();
        if (auto* p = dynamic_cast<TSkPanel*>(c)) d = p->SkinData();
        if (auto* s = dynamic_cast<TSkSplitter*>(c)) d = s->SkinData();
        if (d) {
          ++pieces;
          EXPECT_TRUE(d->Skinned(true)) << skin << " " << c->ClassName() << " " << d->SkinSection();
        }
        if (auto* w = dynamic_cast<TWinControl*>(c)) walk(w);
      }
    };
    walk(form);
    EXPECT_GE(pieces, 12);  // panels, the spin edit's two, the calendar's title and four, the splitter
  }
}

// The screen pixels over a control's window, its frame included.
std::vector<uint32_t> WindowPixels(const Surface& Shot, TWinControl* c) {
  RECT r;
  GetWindowRect(c->Handle(), &r);
  std::vector<uint32_t> v;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) v.push_back(Shot.At(x, y) & 0xFFFFFF);
  return v;
}

// A skin switch by its button: every list's skinned scroll bar shows the new
// skin at once, the demo's list and lists held by each library container
// (the skinned form itself, a panel, a panel in a panel), exactly as a full
// repaint of the window draws it.
TEST_F(DemoPage, ScrollBarsArePaintedAfterASkinSwitch) {
  auto addList = [&](TWinControl* parent, int x, int y) {
    auto* l = new TSkListView(form);
    l->SetParent(parent);
    l->SetBounds(x, y, 160, 120);
    l->SetViewStyle(vsReport);
    l->Columns()->Add()->SetWidth(120);
    for (int i = 0; i < 30; ++i) l->Items()->Add()->SetCaption("Row " + std::to_string(i));
    return l;
  };
  auto* panel = new TSkPanel(form);
  panel->SetParent(form->Background);
  panel->SetBounds(560, 420, 380, 200);
  auto* inner = new TSkPanel(form);
  inner->SetParent(panel);
  inner->SetBounds(190, 10, 180, 180);
  std::vector<TSkListView*> lists{form->List, addList(form, 600, 20), addList(panel, 10, 10),
                                  addList(inner, 10, 10)};
  backend.Pump();
  for (TSkListView* l : lists) l->UpdateScrollBars();
  backend.Pump();
  auto bars = [&] {
    backend.Pump();
    const Surface shot = backend.Screenshot();
    std::vector<std::vector<uint32_t>> v;
    for (TSkListView* l : lists) v.push_back(WindowPixels(shot, l->VertBar()));
    return v;
  };
  for (TSkListView* l : lists) ASSERT_NE(l->VertBar(), nullptr);
  const auto harbour = bars();
  for (auto [button, name] : {std::pair{form->DuskButton, "Dusk"}, {form->SkinButton, "Harbour"}}) {
    SCOPED_TRACE(name);
    const POINT p = button->ClientToScreen(POINT{10, 10});
    backend.Click(p.x, p.y);
    backend.AdvanceClock(1000);
    ASSERT_EQ(form->Skins->SkinName(), name);
    const auto shown = bars();
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const auto full = bars();
    for (size_t i = 0; i < lists.size(); ++i) {
      EXPECT_EQ(shown[i], full[i]) << "list " << i;
      // The arrows and the thumb's outline are dark; an unpainted bar has none.
      EXPECT_GT(std::count_if(shown[i].begin(), shown[i].end(), [](uint32_t c) { return PixelG(c) < 90; }),
                20)
          << "list " << i;
    }
    EXPECT_EQ(shown[0] == harbour[0], std::string(name) == "Harbour");
  }
}

// The glyphs of disabled edits with a button, skinned and plain: in grey (no
// colour left in the calendar) and faded (no dark ink left in the dots), as
// other disabled glyphs; enabled again, in full colour.
TEST_F(DemoPage, DisabledButtonEditsGreyTheirGlyphs) {
  struct Look {
    int coloured = 0, dark = 0;
  };
  auto look = [&](TSkCustomComboEdit* e) {
    backend.Pump();
    const Surface shot = backend.Screenshot();
    TControl* b = e->Button();
    Look l;
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x) {
        const POINT s = b->ClientToScreen(POINT{x, y});
        const uint32_t c = shot.At(s.x, s.y);
        const int hi = std::max({PixelR(c), PixelG(c), PixelB(c)}),
                  lo = std::min({PixelR(c), PixelG(c), PixelB(c)});
        l.coloured += hi - lo > 80;
        l.dark += hi < 80;
      }
    return l;
  };
  for (bool skinned : {true, false}) {
    SCOPED_TRACE(skinned ? "skinned" : "plain");
    form->UseSkin(skinned);
    backend.Pump();
    for (TSkCustomComboEdit* e : {static_cast<TSkCustomComboEdit*>(form->DateEdit), form->ButtonEdit}) {
      const Look on = look(e);
      e->SetEnabled(false);
      const Look off = look(e);
      e->SetEnabled(true);
      const Look again = look(e);
      if (e == form->DateEdit) {
        EXPECT_GT(on.coloured, 10);
      }
      EXPECT_GT(on.dark, 3);
      EXPECT_EQ(off.coloured, 0);
      EXPECT_EQ(off.dark, 0);
      EXPECT_EQ(again.coloured, on.coloured);
      EXPECT_EQ(again.dark, on.dark);
    }
  }
}

}  // namespace
}  // namespace qv::test
