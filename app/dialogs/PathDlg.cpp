// The folder-choice dialog, built in code: the prompt at the top, the folder
// tree following the window's size, OK and Cancel at the bottom right.
#include "app/dialogs/PathDlg.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogParts.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/HelpAccess.h"
#include "app/dialogs/ProgramIcon.h"
#include "classlib/controls/Application.h"
#include "platform/Files.h"

namespace qv {

TPathDlg* PathDlg = nullptr;

namespace T = texts::pathdlg;

TPathDlg::TPathDlg(TComponent* AOwner) : TForm(AOwner) {
  SetName("PathDlg");
  SetCaption(T::Caption);
  SetBorderStyle(bsSizeToolWin);
  Position = poScreenCenter;
  // The design's outer size, 401 x 349, as its client size at 96 dpi (see
  // the database dialog).
  SetClientWidth(393);
  SetClientHeight(323);
  Constraints().MinWidth = 320;
  Constraints().MinHeight = 240;

  LabelTxt = new TLabel(this);
  LabelTxt->SetParent(this);
  LabelTxt->SetBounds(8, 8, 100, 13);
  LabelTxt->SetAutoSize(true);

  const int cw = ClientWidth(), ch = ClientHeight();
  Tree = new TSkShellTreeView(this);
  Tree->SetParent(this);
  Tree->SetBounds(8, 28, cw - 16, ch - 28 - 41);
  Tree->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  SetUpFolderTree(Tree);
  Tree->SetShowRoot(false);
  Tree->SetAutoRefresh(false);

  Actions = new TActionList(this);
  actOK = NewOkAction(this, Actions, T::Ok, [this] { return DirectoryExists(Path()); });
  OKBtn = NewButton(this, this, cw - 164, ch - 33);
  OKBtn->SetAnchors(TAnchors{akRight, akBottom});
  OKBtn->SetAction(actOK);
  OKBtn->SetDefault(true);
  CancelBtn = NewCancelButton(this, this, cw - 83, ch - 33, T::Cancel);
  CancelBtn->SetAnchors(TAnchors{akRight, akBottom});
  actHelp = NewHelpAction(Actions, this, [] { return std::string(T::HelpTopic); });

  SetActiveControl(Tree);
}

bool TPathDlg::Execute() {
  return ShowModal() == mrOk;
}

std::string TPathDlg::Path() {
  return Tree->GetPath();
}

void TPathDlg::SetPath(const std::string& Value) {
  if (!Value.empty()) SelectFolder(Tree, Value);
}

std::string TPathDlg::Text() {
  return LabelTxt->Caption();
}

void TPathDlg::SetText(const std::string& Value) {
  LabelTxt->SetCaption(Value);
  // The label takes its new size once pending messages are through.
  Application->ProcessMessages();
  if (LabelTxt->Width() + 32 > ClientWidth()) SetWidth(LabelTxt->Width() + 32);
}

void TPathDlg::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

}  // namespace qv
