// The add-disc wizard, built in code: the title band, the picture at the
// left, the three pages, the step text and Back, Next and Cancel. Next is the
// default button and Cancel the cancel button, so Esc never adds a disc.
#include "app/dialogs/DiscWiz.h"

#include "app/dialogs/DialogParts.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/ProgramIcon.h"
#include "catalogue/Engine.h"
#include "catalogue/Help.h"
#include "platform/DateTime.h"
#include "platform/Files.h"
#include "platform/Utf.h"
#include "platform/window/Input.h"

namespace qv {

TDiscWiz* DiscWiz = nullptr;

namespace T = texts::discwiz;

namespace {

constexpr int kPageCount = 3;

TObject* IndexObject(int32_t index) {
  return reinterpret_cast<TObject*>(intptr_t(index));
}

int32_t ObjectIndex(TObject* object) {
  return int32_t(reinterpret_cast<intptr_t>(object));
}

TLabel* NewLabel(TWinControl* parent, TComponent* owner, int x, int y, int w, const char* caption) {
  auto* l = new TLabel(owner);
  l->SetParent(parent);
  l->SetBounds(x, y, w, 13);
  l->SetCaption(caption);
  return l;
}

TCheckBox* NewCheck(TWinControl* parent, TComponent* owner, int x, int y, const char* caption) {
  auto* c = new TCheckBox(owner);
  c->SetParent(parent);
  c->SetBounds(x, y, 200, 17);
  c->SetCaption(caption);
  return c;
}

}  // namespace

TDiscWiz::TDiscWiz(TComponent* AOwner) : TForm(AOwner) {
  SetName("DiscWiz");
  SetCaption(T::Caption);
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  SetClientWidth(540);
  SetClientHeight(339);

  TopPanel = new TPanel(this);
  TopPanel->SetParent(this);
  TopPanel->SetAlign(alTop);
  TopPanel->SetHeight(57);
  TopPanel->SetBevelOuter(bvNone);
  TopPanel->SetColor(clWindow);
  TitleTxt = NewLabel(TopPanel, this, 16, 10, 500, T::Titles[0]);
  TitleTxt->Font()->SetStyle(TFontStyles{fsBold});
  InfoTxt = NewLabel(TopPanel, this, 32, 30, 490, T::Infos[0]);

  Picture = new TImage(this);
  Picture->SetParent(this);
  Picture->SetBounds(8, 61, 140, 235);
  Picture->SetCenter(true);
  Picture->SetProportional(true);
  LoadPictureInto(Picture, "wizard");

  Pages = new TNotebook(this);
  Pages->SetParent(this);
  Pages->SetBounds(156, 65, 376, 226);
  BuildPages();
  BuildButtons();

  // The folder tree starts hidden, as the scan box starts off.
  ScanClick();
  Filling = false;
  SetPage(0);
  SetActiveControl(LabelEdit);
}

void TDiscWiz::BuildPages() {
  TPage* page = Pages->AddPage(T::PageLabel);
  LabelEdit = new TLabeledEdit(this);
  LabelEdit->SetParent(page);
  LabelEdit->SetBounds(0, 16, 180, 21);
  LabelEdit->EditLabel()->SetCaption(T::Label);
  LabelEdit->OnChange = [this](TObject*) { ColourLabel(); };
  TypeCombo = new TComboBox(this);
  TypeCombo->SetParent(page);
  TypeCombo->SetBounds(196, 16, 180, 21);
  TypeCombo->SetStyle(csDropDownList);
  TypeCombo->SetSorted(true);
  TypeLabel = NewLabel(page, this, 196, 0, 180, T::Category);
  TypeLabel->SetFocusControl(TypeCombo);
  StoreEdit = new TLabeledEdit(this);
  StoreEdit->SetParent(page);
  StoreEdit->SetBounds(0, 62, 376, 21);
  StoreEdit->EditLabel()->SetCaption(T::Location);
  Info = new TMemo(this);
  Info->SetParent(page);
  Info->SetBounds(0, 108, 376, 118);
  Info->SetScrollBars(ssVertical);
  InfoLabel = NewLabel(page, this, 0, 92, 376, T::Description);
  InfoLabel->SetFocusControl(Info);

  page = Pages->AddPage(T::PageDisc);
  chkScan = NewCheck(page, this, 0, 0, T::IncludeFiles);
  chkScan->OnClick = [this](TObject*) { ScanClick(); };
  PathTree = new TSkShellTreeView(this);
  PathTree->SetParent(page);
  PathTree->SetBounds(0, 24, 376, 202);
  SetUpFolderTree(PathTree);
  PathTree->SetReadOnly(true);
  PathTree->SetAutoRefresh(true);

  page = Pages->AddPage(T::PageOptions);
  chkAllFiles = NewCheck(page, this, 0, 0, T::AllFiles);
  chkAllFiles->SetChecked(true);
  chkAllFiles->OnClick = [this](TObject*) { AllFilesClick(); };
  FileList = new TListView(this);
  FileList->SetParent(page);
  FileList->SetBounds(0, 24, 376, 178);
  FileList->SetViewStyle(vsReport);
  FileList->SetCheckboxes(true);
  FileList->SetRowSelect(true);
  FileList->SetReadOnly(true);
  FileList->SetSortType(stText);
  TListColumn* c = FileList->Columns()->Add();
  c->SetCaption(T::ColumnType);
  c->SetWidth(128);
  c = FileList->Columns()->Add();
  c->SetCaption(T::ColumnExtensions);
  c->SetWidth(240);
  FileList->SetVisible(false);
  FileList->OnChange = [this](TObject*, TListItem* Item, TItemChange Change) {
    FileListChange(Item, Change);
  };
  chkFolders = NewCheck(page, this, 0, 209, T::FoldersOnly);
  chkFolders->OnClick = [this](TObject*) { FoldersClick(); };
}

void TDiscWiz::BuildButtons() {
  StepTxt = NewLabel(this, this, 12, 312, 150, "");

  Actions = new TActionList(this);
  actBack = new TAction(this);
  actBack->SetCaption(T::Back);
  actBack->SetActionList(Actions);
  actBack->OnUpdate = [this](TObject*) { actBack->SetEnabled(Pages->PageIndex() >= 1); };
  actBack->OnExecute = [this](TObject*) {
    if (Pages->PageIndex() >= 1) SetPage(Pages->PageIndex() - 1);
  };
  actNext = new TAction(this);
  actNext->SetCaption(T::Next);
  actNext->SetActionList(Actions);
  actNext->OnUpdate = [this](TObject*) { actNext->SetEnabled(NextAllowed()); };
  actNext->OnExecute = [this](TObject*) { NextExecute(); };
  actHelp = new TAction(this);
  actHelp->SetCaption(T::Help);
  actHelp->SetShortCut(VK_F1);
  actHelp->SetActionList(Actions);
  actHelp->OnExecute = [](TObject*) { ShowHelp(T::HelpTopic); };

  auto button = [this](int x) {
    auto* b = new TButton(this);
    b->SetParent(this);
    b->SetBounds(x, 304, 75, 25);
    return b;
  };
  BackBtn = button(291);
  BackBtn->SetAction(actBack);
  NextBtn = button(370);
  NextBtn->SetAction(actNext);
  NextBtn->SetDefault(true);
  CancelBtn = button(457);
  CancelBtn->SetCaption(T::Cancel);
  CancelBtn->SetCancel(true);
  CancelBtn->ModalResult = mrCancel;
}

int TDiscWiz::StepCount() {
  return chkScan->Checked() ? kPageCount : 2;
}

bool TDiscWiz::IsLabelValid() {
  if (!Engine || !Engine->Discs) return false;
  const WideString label = Utf8ToUtf16(LabelEdit->Text());
  // A label the catalogue cannot store whole is as unusable as a taken one.
  return !label.empty() && DiscTextFits(label) && Engine->Discs->FindByLabel(label) < 0;
}

void TDiscWiz::ColourLabel() {
  LabelEdit->SetColor(IsLabelValid() ? clWindow : kInvalidLabelColor);
}

bool TDiscWiz::NextAllowed() {
  switch (Pages->PageIndex()) {
    case 0:
      return IsLabelValid() && DiscTextFits(Utf8ToUtf16(StoreEdit->Text()));
    case 1:
      return !chkScan->Checked() || DirectoryExists(PathTree->GetPath());
    default:
      return true;
  }
}

void TDiscWiz::NextExecute() {
  if (!NextAllowed()) return;
  if (Pages->PageIndex() >= StepCount() - 1)
    SetModalResult(mrOk);
  else
    SetPage(Pages->PageIndex() + 1);
}

void TDiscWiz::SetPage(int Index) {
  if (Index < 0 || Index >= Pages->PageCount()) return;
  BackBtn->SetVisible(Index >= 1);
  Pages->SetPageIndex(Index);
  TitleTxt->SetCaption(T::Titles[Index]);
  InfoTxt->SetCaption(T::Infos[Index]);
  const int steps = StepCount();
  StepTxt->SetCaption(T::StepPrefix + std::to_string(Index + 1) + T::StepMiddle + std::to_string(steps));
  if (Index == steps - 1)
    actNext->SetCaption(steps == 2 ? T::Add : T::Start);
  else
    actNext->SetCaption(T::Next);
}

void TDiscWiz::ScanClick() {
  const bool scan = chkScan->Checked();
  PathTree->SetEnabled(scan);
  PathTree->SetVisible(scan);
  chkFolders->SetVisible(scan);
  SetPage(Pages->PageIndex());
}

void TDiscWiz::AllFilesClick() {
  const bool list = !chkAllFiles->Checked() && !chkFolders->Checked();
  FileList->SetVisible(list);
  FileList->SetEnabled(!chkAllFiles->Checked());
}

void TDiscWiz::FoldersClick() {
  chkAllFiles->SetEnabled(!chkFolders->Checked());
  FileList->SetVisible(!chkFolders->Checked() && !chkAllFiles->Checked());
}

void TDiscWiz::FillFileList() {
  Filling = true;
  TListItems* items = FileList->Items();
  items->BeginUpdate();
  items->Clear();
  if (Engine && Engine->FileKinds) {
    const TFileKinds& kinds = *Engine->FileKinds;
    for (int32_t i = 0; i < kinds.Count(); ++i) {
      const TFileKind& kind = kinds.GetItem(i);
      TListItem* item = items->Add();
      item->SetCaption(kind.Name);
      item->SubItems()->Add(kind.Exts);
      item->SetChecked(kind.Selected);
      item->SetData(reinterpret_cast<void*>(intptr_t(i)));
    }
  }
  items->EndUpdate();
  Filling = false;
}

void TDiscWiz::FileListChange(TListItem* Item, TItemChange Change) {
  if (Change != ctState || Filling || !Visible() || !Item) return;
  if (!Engine || !Engine->FileKinds) return;
  const intptr_t i = reinterpret_cast<intptr_t>(Item->Data());
  if (i < 0 || i >= Engine->FileKinds->Count()) return;
  Engine->FileKinds->GetItem(int32_t(i)).Selected = Item->Checked();
}

void TDiscWiz::FillCategories() {
  TStrings* items = TypeCombo->Items();
  items->BeginUpdate();
  items->Clear();
  if (Engine && Engine->Discs) {
    const TDiscKinds& kinds = Engine->Discs->Categories;
    for (int32_t i = 0; i < kinds.Count(); ++i)
      items->AddObject(" " + kinds.GetName(i) + " ", IndexObject(i));
  }
  items->EndUpdate();
  TypeCombo->SetItemIndex(items->Count() > 0 ? 0 : -1);
}

int32_t TDiscWiz::SelectedCategory() {
  const int i = TypeCombo->ItemIndex();
  if (i < 0 || i >= TypeCombo->Items()->Count()) return -1;
  return ObjectIndex(TypeCombo->Items()->Objects(i));
}

void TDiscWiz::SelectCategory(int32_t Index) {
  TStrings* items = TypeCombo->Items();
  for (int i = 0; i < items->Count(); ++i)
    if (ObjectIndex(items->Objects(i)) == Index) {
      TypeCombo->SetItemIndex(i);
      return;
    }
}

void TDiscWiz::GetDiscData(TDiscData& Data) {
  Data.ID = -1;
  Data.Label = Utf8ToUtf16(LabelEdit->Text());
  Data.Category = SelectedCategory();
  Data.Location = Utf8ToUtf16(StoreEdit->Text());
  Data.Files = 0;
  Data.Folders = 0;
  Data.Added = Now();
  Data.Description = Utf8ToUtf16(Info->Text());
}

void TDiscWiz::GetScanOpts(TScanOpts& Opts) {
  Opts.IncludeFiles = chkScan->Checked();
  Opts.Path = PathTree->GetPath();
  Opts.AllFiles = chkAllFiles->Checked();
  Opts.FoldersOnly = chkFolders->Checked();
}

void TDiscWiz::DoShow() {
  SetPage(0);
  SetActiveControl(LabelEdit);
  ColourLabel();
  FillFileList();
  FillCategories();
  int32_t chosen = -1;
  if (Engine && Engine->Discs) chosen = Engine->Discs->Categories.Selected;
  SelectCategory(chosen >= 0 ? chosen : 0);
  TForm::DoShow();
}

void TDiscWiz::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

}  // namespace qv
