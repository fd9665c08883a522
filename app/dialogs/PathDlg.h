// TPathDlg: the folder-choice dialog of folder compare and of opening a
// result in the file manager: a prompt over a folder tree; OK only on an
// existing folder.
#pragma once
#include <string>

#include "classlib/actions/ActnList.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/Label.h"
#include "skin/controls/skShellTreeView.h"

namespace qv {

class TPathDlg : public TForm {
 public:
  explicit TPathDlg(TComponent* AOwner);

  // Shows the dialog modally; true when it closed with OK.
  bool Execute();
  // The selected folder ("" when none).
  std::string Path();
  // Selects a folder; an empty value is ignored.
  void SetPath(const std::string& Value);
  // The prompt. A prompt wider than the dialog widens it to the prompt + 32.
  std::string Text();
  void SetText(const std::string& Value);

  TLabel* LabelTxt;
  TSkShellTreeView* Tree;
  TButton* OKBtn;
  TButton* CancelBtn;
  TActionList* Actions;
  TAction* actOK;
  TAction* actHelp;  // F1

 protected:
  void CreateParams(TCreateParams& Params) override;
};

extern TPathDlg* PathDlg;

}  // namespace qv
