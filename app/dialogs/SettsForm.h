// TSettsForm: the settings dialog with the file-type list. It edits a private
// copy of the file types; after an OK the main window hands that copy to the
// engine, and Cancel simply drops it.
#pragma once
#include <cstdint>

#include "catalogue/FileKinds.h"
#include "classlib/actions/ActnList.h"
#include "classlib/comctrls/ListView.h"
#include "classlib/comctrls/PageControl.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Button.h"

namespace qv {

class TFTypeDlg;

class TSettsForm : public TForm {
 public:
  explicit TSettsForm(TComponent* AOwner);

  // The private copy := a copy of Source; the list is refilled.
  void SetFileKinds(const TFileKinds& Source);
  // Refills FileList from the private copy: name, extensions, check = selected.
  void FillList();
  // The private copy as edited (what OK hands to the engine).
  const TFileKinds& FileKinds() const { return kinds_; }

  // The file type editor used by Add and Edit; null means the global FTypeDlg.
  TFTypeDlg* TypeDlg = nullptr;

  TPageControl* Pages;
  TTabSheet* TypesSheet;
  TListView* FileList;
  TButton* AddBtn;
  TButton* EditBtn;
  TButton* DelBtn;
  TButton* OKBtn;
  TButton* CancelBtn;
  TButton* HelpBtn;

  TActionList* Actions;
  TAction* actAdd;
  TAction* actEdit;
  TAction* actDel;
  TAction* actHelp;  // F1 and the Help button

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  TFTypeDlg* Editor() const;
  // The selected item's type index, -1 when none or out of range.
  int32_t SelectedType();
  void AddType();
  void EditType();
  void DeleteType();
  void FileListChange(TListItem* Item, TItemChange Change);

  TFileKinds kinds_;
  bool refilling_ = false;
};

extern TSettsForm* SettsForm;

}  // namespace qv
