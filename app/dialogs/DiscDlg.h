// TDiscDlg: the disc properties dialog. The label is shown but never changed;
// the category, location and description are edited. OK is offered only while
// the texts fit what the catalogue stores, as the engine refuses longer ones.
#pragma once
#include <string>

#include "catalogue/DiscList.h"
#include "classlib/actions/ActnList.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/ComboBox.h"
#include "classlib/stdctrls/Label.h"
#include "classlib/stdctrls/LabeledEdit.h"
#include "classlib/stdctrls/Memo.h"

namespace qv {

class TDiscDlg : public TForm {
 public:
  explicit TDiscDlg(TComponent* AOwner);

  // Lists the categories and shows data; a copy is kept for GetData.
  void SetData(const TDiscData& Data);
  // The kept copy with the location, category and description as edited.
  void GetData(TDiscData& Data);
  // Refills TypeCombo: " name " entries whose object is the category index.
  void FillCategories();
  // The label and the location fit the catalogue's stored texts.
  bool CanAccept();

  // The categories listed; null means the running engine's.
  const TDiscKinds* Categories = nullptr;

  TLabeledEdit* LabelEdit;
  TLabel* TypeLabel;
  TComboBox* TypeCombo;
  TLabeledEdit* StoreEdit;
  TLabel* InfoLabel;
  TMemo* Info;
  TButton* OKBtn;
  TButton* CancelBtn;
  TButton* HelpBtn;
  TActionList* Actions;
  TAction* actOK;
  TAction* actHelp;  // F1 and the Help button

 protected:
  // The window class carries the program icon.
  void CreateParams(TCreateParams& Params) override;

 private:
  const TDiscKinds* CategoryList() const;

  TDiscData data_;
};

extern TDiscDlg* DiscDlg;

}  // namespace qv
