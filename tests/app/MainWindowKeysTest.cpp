// The main window from the keyboard: Ctrl+Tab and Ctrl+Shift+Tab step through
// its pages wherever the focus is in it, and the focus stays on the pages.
#include "MainTestSupport.h"
#include "app/frames/Browser.h"
#include "app/frames/Console.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"

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

}  // namespace
}  // namespace qv::test
