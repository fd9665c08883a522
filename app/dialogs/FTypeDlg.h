// TFTypeDlg: the file type editor of the settings dialog, a name and a list
// of extensions. OK is offered only when both fields hold more than blanks,
// since a stored type without them would stop the file types from loading.
#pragma once
#include <string>

#include "classlib/actions/ActnList.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/LabeledEdit.h"

namespace qv {

class TFTypeDlg : public TForm {
 public:
  explicit TFTypeDlg(TComponent* AOwner);

  std::string TypeName();
  void SetTypeName(const std::string& Value);
  std::string Exts();
  void SetExts(const std::string& Value);
  // Both fields hold something besides blanks.
  bool CanAccept();

  TLabeledEdit* NameEdit;
  TLabeledEdit* ExtsEdit;
  TButton* OKBtn;
  TButton* CancelBtn;
  TActionList* Actions;
  TAction* actOK;
  TAction* actHelp;  // F1

 protected:
  // The window class carries the program icon.
  void CreateParams(TCreateParams& Params) override;
};

extern TFTypeDlg* FTypeDlg;

}  // namespace qv
