// The main window's menus, popup menus and tool bars, all made of its
// actions. A click on a menu title brings up the page its commands work on.
#include "app/forms/Images.h"
#include "app/forms/MainForm.h"
#include "app/forms/MainTexts.h"
#include "app/frames/FrameSupport.h"
#include "classlib/comctrls/ToolBar.h"

namespace qv {

namespace T = texts::mainform;

namespace {

// nullptr in a list stands for a separator.
void Fill(TComponent* owner, TMenuItem* parent, std::initializer_list<TAction*> actions) {
  for (TAction* a : actions) {
    auto* item = new TMenuItem(owner);
    parent->Add(item);
    if (a)
      item->SetAction(a);
    else
      item->SetCaption("-");
  }
}

TPopupMenu* NewPopup(TComponent* owner, std::initializer_list<TAction*> actions) {
  auto* menu = new TPopupMenu(owner);
  if (Images) menu->SetImages(Images->SNorm);
  Fill(owner, menu->Items(), actions);
  return menu;
}

}  // namespace

void TMainForm::BuildMenus() {
  MainMenu = new TMainMenu(this);
  if (Images) MainMenu->SetImages(Images->SNorm);
  struct Title {
    const char* caption;
    int page;  // -1: none
    std::initializer_list<TAction*> items;
  };
  const Title titles[6] = {
      {T::MenuDatabase, 0, {actNew, actOpen, actClear, nullptr, actSettings, nullptr}},
      {T::MenuCategories, 0, {actCatAdd, actCatEdit, nullptr, actCatDel}},
      {T::MenuDiscs, 0, {actScan, nullptr, actEdit, actBrowse, nullptr, actDel}},
      {T::MenuFile, 1, {actSearch, nullptr, actCompare, nullptr, actFileBOpen, actFileEOpen}},
      {T::MenuReports, 3, {actRSave, actRCopy, nullptr, actRClear}},
      {T::MenuHelp, -1, {actHelp, actHelpCont, actTutor, nullptr, actAbout}},
  };
  for (int i = 0; i < 6; ++i) {
    auto* title = new TMenuItem(this);
    title->SetCaption(titles[i].caption);
    MainMenu->Items()->Add(title);
    Fill(this, title, titles[i].items);
    int page = titles[i].page;
    if (page >= 0)
      title->OnClick = [this, page](TObject*) {
        if (PageControl->ActivePageIndex() != page) PageControl->SetActivePageIndex(page);
      };
    MenuTitles[i] = title;
  }
  auto* exit = new TMenuItem(this);
  exit->SetCaption(T::Exit);
  exit->OnClick = [this](TObject*) { Close(); };
  MenuTitles[0]->Add(exit);
  SetMenu(MainMenu);

  ConsPopup = NewPopup(this, {actConsCopy, nullptr, actConsClear});
  CatPopup = NewPopup(this, {actCatAdd, actCatEdit, nullptr, actCatDel});
  DiscPopup = NewPopup(this, {actScan, actBrowse, nullptr, actDel, nullptr, actEdit});
  ReportPopup = NewPopup(this, {actRCopy, actRSave, nullptr, actRClear});
  FilePopup = NewPopup(this, {actFileBOpen, actFileEOpen});
  BrowsePopup = NewPopup(this, {actFileBEOpen});
  Editor->SetPopupMenu(ReportPopup);
}

void TMainForm::BuildToolBars() {
  auto make = [this](TWinControl* parent, std::initializer_list<TAction*> actions) {
    auto* bar = new TToolBar(this);
    bar->SetParent(parent);
    bar->SetAlign(alTop);
    bar->SetFlat(true);
    bar->SetShowHint(true);
    // Buttons of the design's 23 x 22 around 16-pixel images, as much
    // larger as the images are on a denser screen.
    const int cell = ImageCellSize();
    bar->SetButtonWidth(MulDiv(23, cell, 16));
    bar->SetButtonHeight(MulDiv(22, cell, 16));
    if (Images) {
      bar->SetImages(Images->SNorm);
      bar->SetHotImages(Images->SHot);
      bar->SetDisabledImages(Images->SDis);
    }
    for (TAction* a : actions) {
      auto* b = new TToolButton(this);
      if (a) {
        b->SetAction(a);
      } else {
        b->SetStyle(tbsSeparator);
        b->SetWidth(MulDiv(8, cell, 16));
      }
      b->SetParent(bar);
    }
    return bar;
  };
  CoolBar = new TCoolBar(this);
  CoolBar->SetParent(TabSheet1);
  CoolBar->SetAlign(alTop);
  CoolBar->SetAutoSize(true);
  DiscTools = make(CoolBar, {actScan, actAbort, nullptr, actEdit, actBrowse, nullptr, actDel, nullptr,
                             actCatAdd, actCatEdit, nullptr});
  // The cool bar gives its child a band of its own.
  SearchTools =
      make(TabSheet2, {actSearch, actCompare, actAbort, nullptr, actFileBOpen, actFileEOpen, nullptr});
  RepTools = make(TabSheet4, {actRSave, actRCopy, nullptr, actRClear, nullptr});
}

}  // namespace qv
