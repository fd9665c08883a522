// The database folder dialog, built in code: name, password, instruction and
// symbol at the top, the folder tree in the middle, New Folder at the bottom
// left and OK, Cancel and Help at the bottom right.
#include "app/dialogs/BaseDlg.h"

#include <sys/stat.h>

#include <cstdlib>

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogParts.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/HelpAccess.h"
#include "app/dialogs/ProgramIcon.h"
#include "catalogue/Settings.h"
#include "classlib/IniFiles.h"
#include "classlib/dialogs/Dialogs.h"
#include "platform/Files.h"
#include "platform/window/Input.h"

namespace qv {

TBaseDlg* BaseDlg = nullptr;

namespace T = texts::basedlg;

namespace {
std::string HomeOrRoot() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/' && DirectoryExists(home)) return IncludeTrailingPathDelimiter(home);
  return "/";
}
}  // namespace

std::string PrepareDatabaseFolder(const std::string& spared) {
  const std::string folder = DefaultDatabaseFolder();
  if (DirectoryExists(folder)) return folder;
  // Made where it would stand in for a catalogue's missing folder, an
  // empty folder would pass for that catalogue, and invite a second one.
  const bool inSpared = !spared.empty() && folder.rfind(IncludeTrailingPathDelimiter(spared), 0) == 0;
  if (!inSpared && ForceDirectories(folder)) return folder;
  return HomeOrRoot();
}

TBaseDlg::TBaseDlg(TComponent* AOwner) : TForm(AOwner) {
  SetName("BaseDlg");
  SetCaption(T::CaptionNew);
  SetBorderStyle(bsSizeToolWin);
  Position = poScreenCenter;
  // The design's outer size, 463 x 378, given as the client size it has at
  // 96 dpi: a form scales its client area, and the caption grows with the
  // screen's density, so the outer size would lose that growth on a dense screen.
  SetClientWidth(455);
  SetClientHeight(352);
  Constraints().MinWidth = 400;
  Constraints().MinHeight = 320;

  Actions = new TActionList(this);
  BuildTop();
  BuildButtons();

  PathTree = new TSkShellTreeView(this);
  PathTree->SetParent(this);
  PathTree->SetAlign(alClient);
  SetUpFolderTree(PathTree);
  PathTree->SetAutoRefresh(true);
  // Every selection change is allowed: nothing to hook.

  IsNew = true;
  // Nothing is made until the dialog is shown: a start that opens its
  // catalogue elsewhere leaves no empty folder behind.
  const std::string folder = DefaultDatabaseFolder();
  SelectFolder(PathTree, DirectoryExists(folder) ? folder : HomeOrRoot());
  SetActiveControl(NameEdit);
}

void TBaseDlg::BuildTop() {
  TopPanel = new TPanel(this);
  TopPanel->SetParent(this);
  TopPanel->SetAlign(alTop);
  TopPanel->SetHeight(112);
  TopPanel->SetBevelOuter(bvNone);
  TopPanel->SetShowHint(true);
  TopPanel->DoubleBuffered = true;

  Symbol = new TImage(TopPanel);
  Symbol->SetParent(TopPanel);
  Symbol->SetBounds(8, 8, 48, 48);
  Symbol->SetCenter(true);
  Symbol->SetTransparent(true);
  LoadPictureInto(Symbol, "database");

  NameEdit = new TLabeledEdit(this);
  NameEdit->SetParent(TopPanel);
  NameEdit->SetBounds(68, 24, 220, 21);
  NameEdit->EditLabel()->SetCaption(T::Name);
  NameEdit->SetHint(T::NameHint);

  PassEdit = new TLabeledEdit(this);
  PassEdit->SetParent(TopPanel);
  PassEdit->SetBounds(300, 24, 150, 21);
  PassEdit->EditLabel()->SetCaption(T::Password);
  PassEdit->SetHint(T::PasswordHint);
  PassEdit->SetAnchors(TAnchors{akLeft, akTop, akRight});

  TopBevel = new TBevel(this);
  TopBevel->SetParent(TopPanel);
  TopBevel->SetBounds(8, 62, 447, 2);
  TopBevel->SetShape(bsTopLine);
  TopBevel->SetAnchors(TAnchors{akLeft, akTop, akRight});

  FolderTxt = new TLabel(this);
  FolderTxt->SetParent(TopPanel);
  FolderTxt->SetBounds(8, 72, 447, 13);
  FolderTxt->SetCaption(T::FolderNew);

  BottomBevel = new TBevel(this);
  BottomBevel->SetParent(TopPanel);
  BottomBevel->SetBounds(8, 104, 447, 2);
  BottomBevel->SetShape(bsTopLine);
  BottomBevel->SetAnchors(TAnchors{akLeft, akTop, akRight});
}

void TBaseDlg::BuildButtons() {
  Panel = new TPanel(this);
  Panel->SetParent(this);
  Panel->SetAlign(alBottom);
  Panel->SetHeight(41);
  Panel->SetBevelOuter(bvNone);
  const int w = Panel->Width();

  actNewFolder = NewAction(Actions, this, T::NewFolder, T::NewFolderHint);
  actNewFolder->OnUpdate = [this](TObject*) { actNewFolder->SetEnabled(IsNew); };
  actNewFolder->OnExecute = [this](TObject*) { NewFolder(); };

  actOK = NewAction(Actions, this, T::Ok);
  actOK->OnUpdate = [this](TObject*) { UpdateOK(); };
  actOK->OnExecute = [this](TObject*) { SetModalResult(mrOk); };

  actHelp = NewHelpAction(Actions, this,
                          [this] { return std::string(IsNew ? T::HelpTopicNew : T::HelpTopicOpen); });

  NewFolderBtn = NewButton(Panel, this, 8, 8);
  NewFolderBtn->SetAction(actNewFolder);
  NewFolderBtn->SetShowHint(true);
  OKBtn = NewButton(Panel, this, w - 245, 8);
  OKBtn->SetAction(actOK);
  OKBtn->SetDefault(true);
  CancelBtn = NewCancelButton(Panel, this, w - 164, 8, T::Cancel);
  HelpBtn = NewButton(Panel, this, w - 83, 8);
  HelpBtn->SetAction(actHelp);
  for (TButton* b : {OKBtn, CancelBtn, HelpBtn}) b->SetAnchors(TAnchors{akRight, akTop});
}

std::string TBaseDlg::SelectedFolder() {
  return PathTree->GetPath();
}

void TBaseDlg::SelectPath(const std::string& AFolder) {
  SelectFolder(PathTree, AFolder);
}

bool TBaseDlg::PathExists() {
  return DirectoryExists(SelectedFolder());
}

bool TBaseDlg::ReadBaseName(const std::string& AFolder) {
  if (!DirectoryExists(AFolder)) return false;
  const std::string file = IncludeTrailingPathDelimiter(AFolder) + T::BaseFile;
  const bool found = FileExists(file);
  if (!IsNew) {
    const std::string name = found ? TMemIniFile(file).ReadString(T::BaseSection, T::BaseNameKey, "") : "";
    // Runs on every idle pass: an unchanged name is not written (and repainted) again.
    if (NameEdit->Text() != name) NameEdit->SetText(name);
  }
  return found;
}

void TBaseDlg::UpdateOK() {
  const std::string folder = SelectedFolder();
  bool enabled;
  if (IsNew && ReadBaseName(folder))
    enabled = false;  // a catalogue is already there
  else if (!IsNew && !ReadBaseName(folder))
    enabled = false;  // no catalogue there
  else
    enabled = DirectoryExists(folder);
  actOK->SetEnabled(enabled);
}

void TBaseDlg::SetMode(bool AIsNew) {
  IsNew = AIsNew;
  // A password typed for one catalogue never shows up for the next.
  PassEdit->SetText("");
  if (IsNew) {
    SetCaption(T::CaptionNew);
    NameEdit->SetReadOnly(false);
    NameEdit->SetColor(clWindow);
    PassEdit->SetPasswordChar(0);
    SetActiveControl(NameEdit);
    FolderTxt->SetCaption(T::FolderNew);
  } else {
    SetCaption(T::CaptionOpen);
    NameEdit->SetReadOnly(true);
    NameEdit->SetColor(clBtnFace);
    PassEdit->SetPasswordChar(u'*');
    SetActiveControl(PassEdit);
    FolderTxt->SetCaption(T::FolderOpen);
  }
}

void TBaseDlg::DoShow() {
  if (!DirectoryExists(Folder)) Folder = PrepareDatabaseFolder(Spared);
  SelectPath(Folder);
  TForm::DoShow();
}

void TBaseDlg::NewFolder() {
  // Only below a real folder: the computer node has no path to create in.
  if (!PathExists()) {
    MessageDlg(T::NewFolderFailed, mtError, TMsgDlgButtons{mbOK}, 0);
    return;
  }
  const std::string base = IncludeTrailingPathDelimiter(SelectedFolder());
  std::string candidate;
  for (int n = 1;; ++n) {
    candidate = base + T::NewFolderName + std::to_string(n) + ")";
    struct stat st;
    if (lstat(candidate.c_str(), &st) != 0) break;
  }
  if (mkdir(candidate.c_str(), 0777) != 0) {
    MessageDlg(T::NewFolderFailed, mtError, TMsgDlgButtons{mbOK}, 0);
    return;
  }
  PathTree->RefreshNode(PathTree->Selected());
  SelectFolder(PathTree, candidate);
  PathTree->SetFocus();
  if (TTreeNode* node = PathTree->Selected()) {
    node->SetExpanded(true);
    node->EditText();
  }
}

void TBaseDlg::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

}  // namespace qv
