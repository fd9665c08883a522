// The file type editor: two labelled edits and OK/Cancel, built in code.
#include "app/dialogs/FTypeDlg.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/HelpAccess.h"
#include "app/dialogs/ProgramIcon.h"
#include "classlib/SysUtils.h"

namespace qv {

TFTypeDlg* FTypeDlg = nullptr;

namespace T = texts::ftypedlg;

TFTypeDlg::TFTypeDlg(TComponent* AOwner) : TForm(AOwner) {
  SetName("FTypeDlg");
  SetCaption(T::Caption);
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  SetClientWidth(297);
  SetClientHeight(136);

  NameEdit = new TLabeledEdit(this);
  NameEdit->SetParent(this);
  NameEdit->SetBounds(12, 24, 273, 21);
  NameEdit->EditLabel()->SetCaption(T::Name);

  ExtsEdit = new TLabeledEdit(this);
  ExtsEdit->SetParent(this);
  ExtsEdit->SetBounds(12, 68, 273, 21);
  ExtsEdit->EditLabel()->SetCaption(T::Extensions);

  Actions = new TActionList(this);
  actOK = NewOkAction(this, Actions, T::Ok, [this] { return CanAccept(); });
  OKBtn = NewButton(this, this, 129, 101);
  OKBtn->SetAction(actOK);
  OKBtn->SetDefault(true);
  CancelBtn = NewCancelButton(this, this, 210, 101, T::Cancel);
  // No Help button here: F1 opens the settings' page, which describes this editor.
  actHelp = NewHelpAction(Actions, this, [] { return std::string(texts::help::FileTypeTopic); });

  SetActiveControl(NameEdit);
}

std::string TFTypeDlg::TypeName() {
  return NameEdit->Text();
}

void TFTypeDlg::SetTypeName(const std::string& Value) {
  NameEdit->SetText(Value);
}

std::string TFTypeDlg::Exts() {
  return ExtsEdit->Text();
}

void TFTypeDlg::SetExts(const std::string& Value) {
  ExtsEdit->SetText(Value);
}

bool TFTypeDlg::CanAccept() {
  return !Trim(NameEdit->Text()).empty() && !Trim(ExtsEdit->Text()).empty();
}

void TFTypeDlg::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

}  // namespace qv
