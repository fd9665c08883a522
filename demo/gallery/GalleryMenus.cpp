// The gallery's main menu, its popup menu and the actions behind them: the
// clipboard commands follow the focused edit at idle, "Clear log" follows
// the log, and "Show log" is checked while the log shows.
#include "classlib/controls/Application.h"
#include "classlib/controls/Clipbrd.h"
#include "classlib/graphics/Brush.h"
#include "demo/gallery/GalleryForm.h"
#include "platform/ole/Clipboard.h"

namespace qv::gallery {
namespace {

TMenuItem* AddItem(TComponent* Owner, TMenuItem* Parent, const std::string& Caption,
                   TNotifyEvent OnClick = {}) {
  auto* item = new TMenuItem(Owner);
  item->SetCaption(Caption);
  item->OnClick = std::move(OnClick);
  Parent->Add(item);
  return item;
}

TMenuItem* AddAction(TComponent* Owner, TMenuItem* Parent, TAction* Action) {
  auto* item = new TMenuItem(Owner);
  Parent->Add(item);
  item->SetAction(Action);
  return item;
}

}  // namespace

void TGalleryForm::BuildActions() {
  Actions = new TActionList(this);
  auto make = [this](const std::string& caption, const char* shortCut, TNotifyEvent run,
                     TNotifyEvent update) {
    auto* a = new TAction(this);
    a->SetActionList(Actions);
    a->SetCaption(caption);
    if (shortCut) a->SetShortCut(TextToShortCut(shortCut));
    a->OnExecute = std::move(run);
    a->OnUpdate = std::move(update);
    return a;
  };
  auto hasSelection = [this] {
    TCustomEdit* e = FocusedEdit();
    return e && e->SelLength() > 0;
  };
  CutAction = make(
      "Cu&t", "Ctrl+X", [this](TObject*) { FocusedEdit()->CutToClipboard(); },
      [this, hasSelection](TObject*) {
        CutAction->SetEnabled(hasSelection() && !FocusedEdit()->ReadOnly());
      });
  CopyAction = make(
      "&Copy", "Ctrl+C", [this](TObject*) { FocusedEdit()->CopyToClipboard(); },
      [this, hasSelection](TObject*) { CopyAction->SetEnabled(hasSelection()); });
  PasteAction = make(
      "&Paste", "Ctrl+V", [this](TObject*) { FocusedEdit()->PasteFromClipboard(); },
      [this](TObject*) {
        TCustomEdit* e = FocusedEdit();
        PasteAction->SetEnabled(e && !e->ReadOnly() && Clipboard()->HasFormat(CF_TEXT));
      });
  SelectAllAction = make(
      "Select &All", "Ctrl+A", [this](TObject*) { FocusedEdit()->SelectAllForUser(); },
      [this](TObject*) {
        TCustomEdit* e = FocusedEdit();
        SelectAllAction->SetEnabled(e && !e->Text().empty());
      });
  ClearLogAction = make(
      "&Clear log", nullptr, [this](TObject*) { ClearLog(); },
      [this](TObject*) { ClearLogAction->SetEnabled(!events_.empty()); });
  ShowLogAction = make(
      "Show &log", "F9",
      [this](TObject*) {
        bool show = !LogMemo->Visible();
        Splitter->SetVisible(show);
        LogMemo->SetVisible(show);
        // The splitter goes back above the log it sizes.
        if (show) Splitter->SetTop(LogMemo->Top() - Splitter->Height());
      },
      [this](TObject*) { ShowLogAction->SetChecked(LogMemo && LogMemo->Visible()); });
}

void TGalleryForm::BuildMainMenu() {
  MainMenu = new TMainMenu(this);
  TMenuItem* root = MainMenu->Items();
  FileMenu = AddItem(this, root, "&File");
  AddItem(this, FileMenu, "&New catalogue", [this](TObject*) { Log("New catalogue"); });
  AddItem(this, FileMenu, "&Open...", [this](TObject*) { OpenFile(); });
  AddItem(this, FileMenu, "Save &as...", [this](TObject*) { SaveFile(); });
  AddItem(this, FileMenu, "-");
  AddItem(this, FileMenu, "E&xit", [this](TObject*) { Close(); });
  EditMenu = AddItem(this, root, "&Edit");
  CutItem = AddAction(this, EditMenu, CutAction);
  CopyItem = AddAction(this, EditMenu, CopyAction);
  PasteItem = AddAction(this, EditMenu, PasteAction);
  AddItem(this, EditMenu, "-");
  AddAction(this, EditMenu, SelectAllAction);
  ViewMenu = AddItem(this, root, "&View");
  ShowLogItem = AddAction(this, ViewMenu, ShowLogAction);
  AddAction(this, ViewMenu, ClearLogAction);
  HelpMenu = AddItem(this, root, "&Help");
  AddItem(this, HelpMenu, "&About the gallery", [this](TObject*) {
    Log("About");
    ShowMessage("The Quirvane gallery shows the standard controls, menus, actions and dialogs.");
  });
  SetMenu(MainMenu);
}

void TGalleryForm::BuildShapeMenu() {
  ShapeMenu = new TPopupMenu(this);
  TMenuItem* root = ShapeMenu->Items();
  RedItem = AddItem(this, root, "&Red", [this](TObject*) { SetShapeColour(clRed, "red"); });
  GreenItem = AddItem(this, root, "&Green", [this](TObject*) { SetShapeColour(clLime, "green"); });
  BlueItem = AddItem(this, root, "&Blue", [this](TObject*) { SetShapeColour(clBlue, "blue"); });
  for (TMenuItem* i : {RedItem, GreenItem, BlueItem}) {
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
    i->AutoCheck = true;
  }
  BlueItem->SetChecked(true);
  AddItem(this, root, "-");
  AddItem(this, root, "Re&set the scroll bar", [this](TObject*) { ScrollBar->SetPosition(0); });
}

}  // namespace qv::gallery
