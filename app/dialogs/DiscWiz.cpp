// The add-disc wizard, built in code: the title band, the picture at the
// left, the three pages, the step text and Back, Next and Cancel. Next is the
// default button and Cancel the cancel button, so Esc never adds a disc.
#include "app/dialogs/DiscWiz.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogParts.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/HelpAccess.h"
#include "app/dialogs/ProgramIcon.h"
#include "catalogue/Engine.h"
#include "platform/DateTime.h"
#include "platform/Files.h"
#include "platform/Utf.h"
#include "platform/window/Input.h"

namespace qv {

TDiscWiz* DiscWiz = nullptr;

namespace T = texts::discwiz;

namespace {

constexpr int kPageCount = 3;

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
  EscapeCancels(Info);
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
  SetUpFileKindList(FileList, T::ColumnType, T::ColumnExtensions, 240);
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
  actBack = NewAction(Actions, this, T::Back);
  actBack->OnUpdate = [this](TObject*) { actBack->SetEnabled(Pages->PageIndex() >= 1); };
  actBack->OnExecute = [this](TObject*) {
    if (Pages->PageIndex() >= 1) SetPage(Pages->PageIndex() - 1);
  };
  actNext = NewAction(Actions, this, T::Next);
  actNext->OnUpdate = [this](TObject*) { actNext->SetEnabled(NextAllowed()); };
  actNext->OnExecute = [this](TObject*) { NextExecute(); };
  actHelp = NewHelpAction(Actions, this, [] { return std::string(T::HelpTopic); });

  BackBtn = NewButton(this, this, 291, 304);
  BackBtn->SetAction(actBack);
  NextBtn = NewButton(this, this, 370, 304);
  NextBtn->SetAction(actNext);
  NextBtn->SetDefault(true);
  CancelBtn = NewCancelButton(this, this, 457, 304, T::Cancel);
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
  // Back hides on the first page: the focus it held goes to that page's
  // first control (the notebook moves a focus held on the page it hides).
  const bool backFocused = ActiveControl() == BackBtn && Index == 0;
  BackBtn->SetVisible(Index >= 1);
  Pages->SetPageIndex(Index);
  if (backFocused)
    if (TWinControl* first = Pages->Pages(Index)->FindNextControl(nullptr, true, true, false);
        first && first->CanFocus())
      SetActiveControl(first);
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
  FillFileKindList(FileList, Engine ? Engine->FileKinds.get() : nullptr);
  Filling = false;
}

void TDiscWiz::FileListChange(TListItem* Item, TItemChange Change) {
  if (Change != ctState || Filling || !Visible() || !Item) return;
  if (Engine && Engine->FileKinds) StoreFileKindCheck(Item, *Engine->FileKinds);
}

void TDiscWiz::FillCategories() {
  FillCategoryCombo(TypeCombo, Engine && Engine->Discs ? &Engine->Discs->Categories : nullptr);
  TypeCombo->SetItemIndex(TypeCombo->Items()->Count() > 0 ? 0 : -1);
}

int32_t TDiscWiz::SelectedCategory() {
  return ChosenCategory(TypeCombo);
}

void TDiscWiz::SelectCategory(int32_t Index) {
  const int entry = CategoryEntry(TypeCombo, Index);
  if (entry >= 0) TypeCombo->SetItemIndex(entry);
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
  // The category chosen in the disc view, else the first one ("Other").
  int32_t chosen = -1;
  if (Engine && Engine->Discs) chosen = Engine->Discs->Categories.Selected;
  if (chosen < 0 || !Engine || chosen >= Engine->Discs->Categories.Count()) chosen = 0;
  SelectCategory(chosen);
  TForm::DoShow();
}

void TDiscWiz::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

}  // namespace qv
