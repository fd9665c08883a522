// The main window from the keyboard: Ctrl+Tab and Ctrl+Shift+Tab step through
// its pages wherever the focus is in it, and the focus stays on the pages;
// Tab goes round a page's own controls, each showing the focus; the category
// lists select by the letters typed.
#include <algorithm>

#include "MainTestSupport.h"
#include "app/frames/Browser.h"
#include "app/frames/Console.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "platform/DateTime.h"
#include "platform/menus/Menus.h"
#include "skin/controls/skTooledit.h"

namespace qv::test {
namespace {

using MainWindowKeys = MainTest;

TEST_F(MainWindowKeys, CtrlTabStepsThroughThePages) {
  StartWithCatalogue();
  TMainForm* f = MainForm;
  auto ctrlTab = [&](bool shift) {
    backend.KeyDown(VK_CONTROL);
    if (shift) backend.KeyDown(VK_SHIFT);
    backend.KeyPress(VK_TAB);
    if (shift) backend.KeyUp(VK_SHIFT);
    backend.KeyUp(VK_CONTROL);
    Pump();
  };
  auto focusOnPages = [&] {
    for (TControl* c = f->ActiveControl(); c; c = c->Parent())
      if (c == f->PageControl) return true;
    return false;
  };
  ASSERT_EQ(f->PageControl->ActivePageIndex(), 0);
  for (int want : {1, 2, 3, 0}) {
    ctrlTab(false);
    EXPECT_EQ(f->PageControl->ActivePageIndex(), want);
    EXPECT_TRUE(focusOnPages()) << (f->ActiveControl() ? f->ActiveControl()->Name() : "no control");
  }
  ctrlTab(true);
  EXPECT_EQ(f->PageControl->ActivePageIndex(), 3);
  // From the lists and edits of every page, and from the console strip.
  struct From {
    int page;
    TWinControl* control;
  };
  for (From from : std::initializer_list<From>{{0, DiscTree->Tree},
                                               {1, FileTree->FileEdit},
                                               {1, FileTree->Tree},
                                               {2, Browser->FileView},
                                               {3, f->Editor},
                                               {0, Console->View}}) {
    f->PageControl->SetActivePageIndex(from.page);
    f->SetActiveControl(from.control);
    Pump();
    ctrlTab(false);
    EXPECT_EQ(f->PageControl->ActivePageIndex(), (from.page + 1) % 4) << from.control->Name();
    EXPECT_TRUE(focusOnPages()) << from.control->Name();
  }
}

// Up in an open menu goes from nothing chosen, or from the first item, to
// the last item, and Down from there back to the first, in every menu of the
// bar and every popup. What is chosen shows as the item's hint (Exit, which
// has none, is given one here).
TEST_F(MainWindowKeys, UpAndDownReachBothEndsOfEveryMenuAndPopup) {
  StartWithCatalogue();
  TMainForm* f = MainForm;
  TMenuItem* database = f->MenuTitles[0];
  database->Items(database->Count() - 1)->SetHint(" Exit ");
  auto visible = [](TMenuItem* menu, bool last) {
    TMenuItem* found = nullptr;
    for (int i = 0; i < menu->Count(); ++i)
      if (menu->Items(i)->Visible() && !menu->Items(i)->IsLine() && (last || !found)) found = menu->Items(i);
    return found;
  };
  // The hints shown after each key, the menu opened by `open` (and left by
  // `escapes` presses of Esc).
  auto hintsAfter = [&](std::initializer_list<UINT> keys, int escapes, const std::function<void()>& open) {
    std::vector<std::string> seen;
    bool first = true;
    for (UINT vk : keys)
      backend.WhenIdle([&, vk] {
        if (!first) seen.push_back(Application->Hint);
        first = false;
        backend.KeyPress(vk);
      });
    backend.WhenIdle([&] {
      seen.push_back(Application->Hint);
      backend.KeyPress(VK_ESCAPE);
    });
    if (escapes > 1) backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });  // out of the bar too
    open();
    Pump();
    return seen;
  };
  const char16_t mnemonics[6] = {u'B', u'C', u'D', u'F', u'R', u'H'};
  for (int i = 0; i < 6; ++i) {
    TMenuItem* title = f->MenuTitles[i];
    const std::string last = visible(title, true)->Hint(), first = visible(title, false)->Hint();
    auto open = [&] {
      f->PageControl->SetActivePageIndex(0);
      f->SetActiveControl(DiscTree->Tree);
      Pump();
      backend.KeyDown(VK_MENU);
      backend.KeyPress(mnemonics[i]);
      backend.KeyUp(VK_MENU);
    };
    std::vector<std::string> seen = hintsAfter({VK_UP, VK_DOWN}, 2, open);
    ASSERT_EQ(seen.size(), 2u) << title->Caption();
    EXPECT_EQ(seen[0], last) << title->Caption();
    EXPECT_EQ(seen[1], first) << title->Caption();
  }
  for (TPopupMenu* popup :
       {f->ConsPopup, f->CatPopup, f->DiscPopup, f->ReportPopup, f->FilePopup, f->BrowsePopup}) {
    TMenuItem* items = popup->Items();
    const std::string last = visible(items, true)->Hint(), first = visible(items, false)->Hint();
    std::vector<std::string> seen = hintsAfter({VK_UP, VK_DOWN, VK_UP}, 1, [&] { popup->Popup(300, 200); });
    ASSERT_EQ(seen.size(), 3u) << last;
    EXPECT_EQ(seen[0], last);
    EXPECT_EQ(seen[1], first);
    EXPECT_EQ(seen[2], last);
  }
}

// The date limits of the search page show their dates: the initial one,
// greyed while the limit is off, and one typed once it is on.
TEST_F(MainWindowKeys, TheDateLimitsShowTheDateTheyHold) {
  StartWithCatalogue();
  TMainForm* f = MainForm;
  f->PageControl->SetActivePageIndex(1);
  Pump();
  // The columns of the text area (left of the button) that hold ink: pixels
  // unlike the edit's background.
  auto inkColumns = [&](TControl* c) {
    Pump();
    const Surface shot = backend.Screenshot();
    auto at = [&](int x, int y) {
      const POINT p = c->ClientToScreen(POINT{x, y});
      return shot.At(p.x, p.y);
    };
    const uint32_t paper = at(1, 1);
    std::string columns;
    for (int x = 1; x < c->ClientWidth() - 22; ++x) {
      bool ink = false;
      for (int y = 1; y < c->ClientHeight() - 1; ++y)
        ink = ink || std::abs(int(PixelR(at(x, y))) - int(PixelR(paper))) > 60;
      columns += ink ? '#' : '.';
    }
    return columns;
  };
  auto inked = [](const std::string& columns) { return std::count(columns.begin(), columns.end(), '#'); };
  for (TSkDateEdit* e : {FileTree->MinDate, FileTree->MaxDate}) {
    EXPECT_FALSE(e->Enabled());
    EXPECT_GT(inked(inkColumns(e)), 20) << e->Name() << " shows no date: " << e->Text();
  }
  ClickOn(FileTree->chkDMin);
  ASSERT_TRUE(FileTree->MinDate->Enabled());
  const std::string enabled = inkColumns(FileTree->MinDate);
  EXPECT_GT(inked(enabled), 20);
  FileTree->MinDate->SetFocus();
  Pump();
  backend.KeyPress(VK_HOME);
  backend.TypeText(u"01022020");
  Pump();
  EXPECT_EQ(FileTree->MinDate->GetDate(), EncodeDate(2020, 2, 1));
  ClickOn(FileTree->chkDMax);  // the focus leaves: no caret over the text
  const std::string typed = inkColumns(FileTree->MinDate);
  EXPECT_GT(inked(typed), 20);
  EXPECT_NE(typed, enabled) << "the typed date does not show";
}

// Tab on the search page goes round the page's own controls (the limits
// switched on, so that all of them take part), and each one it stops at
// shows that it has the focus.
TEST_F(MainWindowKeys, EveryTabStopOfTheSearchPageShowsTheFocus) {
  StartWithCatalogue();
  TMainForm* f = MainForm;
  f->PageControl->SetActivePageIndex(1);
  Pump();
  for (TCheckBox* c : {FileTree->chkSMin, FileTree->chkSMax, FileTree->chkDMin, FileTree->chkDMax})
    ClickOn(c);
  FileTree->FileEdit->SetFocus();
  std::vector<TWinControl*> stops;
  for (int i = 0; i < 40; ++i) {
    TWinControl* c = nullptr;
    for (HWND h = GetFocus(); h && !c; h = GetParent(h)) c = TWinControl::FindControl(h);
    ASSERT_TRUE(c);
    if (!stops.empty() && c == stops.front()) break;
    stops.push_back(c);
    const std::string name = c->Name().empty() ? typeid(*c).name() : c->Name();
    EXPECT_TRUE(f->TabSheet2->ContainsControl(c)) << name << " is not on the search page";
    const std::vector<uint32_t> focused = Look(c);
    Console->View->SetFocus();
    EXPECT_NE(Look(c), focused) << name << " shows nothing of the focus";
    c->SetFocus();
    backend.KeyPress(VK_TAB);
    Pump();
  }
  // The masks, three lists, four boxes and four limits, once each.
  EXPECT_EQ(stops.size(), 13u);
}

// The browser page from the keyboard, before any disc is browsed (empty
// views) and after a disc is browsed through the Discs menu: the focus comes
// onto the page, Tab goes round the category tree, the folder tree and the
// file list and Shift+Tab back, each showing that it has the focus.
TEST_F(MainWindowKeys, TabGoesRoundTheBrowserPageShowingTheFocus) {
  StartWithCatalogue();
  AddFixtureDisc();
  TMainForm* f = MainForm;
  auto focused = [] {
    TWinControl* c = nullptr;
    for (HWND h = GetFocus(); h && !c; h = GetParent(h)) c = TWinControl::FindControl(h);
    return c;
  };
  auto key = [&](UINT vk, bool shift = false) {
    if (shift) backend.KeyDown(VK_SHIFT);
    backend.KeyPress(vk);
    if (shift) backend.KeyUp(VK_SHIFT);
    Pump();
  };
  auto goRound = [&](const char* when) {
    const std::vector<TWinControl*> order{Browser->DiscTree, Browser->FolderTree, Browser->FileView};
    auto at = std::find(order.begin(), order.end(), focused());
    ASSERT_NE(at, order.end()) << when << ": the focus is not on the page's lists";
    size_t i = size_t(at - order.begin());
    for (int step = 0; step < 6; ++step) {
      const bool back = step >= 3;
      TWinControl* c = focused();
      ASSERT_EQ(c, order[i]) << when << ", step " << step;
      const std::vector<uint32_t> shown = Look(c);
      Console->View->SetFocus();
      EXPECT_TRUE(Look(c) != shown) << when << ": " << c->Name() << " shows nothing of the focus";
      c->SetFocus();
      key(VK_TAB, back);
      i = back ? (i + 2) % 3 : (i + 1) % 3;
    }
  };
  // Ctrl+Tab to the page: nothing browsed yet, every view empty or unselected.
  for (int page = 0; page < 2; ++page) {
    backend.KeyDown(VK_CONTROL);
    key(VK_TAB);
    backend.KeyUp(VK_CONTROL);
  }
  ASSERT_EQ(f->PageControl->ActivePageIndex(), 2);
  goRound("nothing browsed");
  // Discs, Browse from the disc list: the focus follows onto the browser page.
  f->PageControl->SetActivePageIndex(0);
  DiscTree->Tree->SetFocus();
  key(VK_DOWN);
  backend.WhenIdle([&] { backend.KeyPress('B'); });
  backend.KeyDown(VK_MENU);
  backend.KeyPress('D');
  backend.KeyUp(VK_MENU);
  Pump();
  Idle();
  ASSERT_EQ(f->PageControl->ActivePageIndex(), 2);
  ASSERT_NE(Browser->ShownFolder(), nullptr) << "no disc browsed";
  EXPECT_EQ(focused(), Browser->DiscTree);
  goRound("browsed");
}

// The category tree and the category list of the search page select by the
// letters typed, although their names are padded with blanks; the disc list
// and the search follow the choice.
TEST_F(MainWindowKeys, TheCategoryListsSelectByTypedLetters) {
  StartWithCatalogue();
  const TDiscKinds& kinds = MainForm->Engine->Discs->Categories;
  TTreeView* cats = DiscTree->CatTree;
  cats->SetFocus();
  auto type = [&](const char16_t* letters) {
    backend.AdvanceClock(1500);  // a new search, not the last one continued
    backend.TypeText(letters);
    Pump();
  };
  type(u"m");
  EXPECT_EQ(DiscTree->SelectedCategory(), kinds.IndexOf("Movies"));
  type(u"m");  // the next one
  EXPECT_EQ(DiscTree->SelectedCategory(), kinds.IndexOf("Music"));
  EXPECT_EQ(kinds.Selected, kinds.IndexOf("Music"));
  type(u"so");
  EXPECT_EQ(DiscTree->SelectedCategory(), kinds.IndexOf("Software"));
  type(u"A");
  EXPECT_EQ(DiscTree->SelectedCategory(), -1) << cats->Selected()->Text();  // " All Categories "

  MainForm->PageControl->SetActivePageIndex(1);
  Pump();
  FileTree->CatsCombo->SetFocus();
  type(u"ph");
  EXPECT_EQ(FileTree->SelectedCategory(), kinds.IndexOf("Photos"));
}

}  // namespace
}  // namespace qv::test
