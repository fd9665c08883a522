// TDiscWiz: the add-disc wizard. Three pages (label, disc folder, scanning
// options) collect what the engine needs to add a disc; the main window reads
// the result with GetDiscData and GetScanOpts after an OK. Esc and Cancel
// close it without adding; the fields keep their values between showings.
#pragma once
#include <cstdint>
#include <string>

#include "catalogue/DiscList.h"
#include "catalogue/ScanOptions.h"
#include "classlib/actions/ActnList.h"
#include "classlib/comctrls/ListView.h"
#include "classlib/comctrls/Notebook.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/CheckBox.h"
#include "classlib/stdctrls/ComboBox.h"
#include "classlib/stdctrls/Image.h"
#include "classlib/stdctrls/Label.h"
#include "classlib/stdctrls/LabeledEdit.h"
#include "classlib/stdctrls/Memo.h"
#include "classlib/stdctrls/Panel.h"
#include "skin/controls/skShellTreeView.h"

namespace qv {

class TEngine;

// The background of a label that is empty or already taken.
inline constexpr TColor kInvalidLabelColor = 0x00D2E6FF;  // RGB 255,230,210

class TDiscWiz : public TForm {
 public:
  explicit TDiscWiz(TComponent* AOwner);

  // The disc to add: ID -1, the typed texts, the chosen category, Added now.
  // Root is left as the caller passed it.
  void GetDiscData(TDiscData& Data);
  // Whether and where to scan, and which files to keep.
  void GetScanOpts(TScanOpts& Opts);
  // 2 without scanning (the options page is skipped), else 3.
  int StepCount();
  // An engine is set, the label is not empty and no disc has it (any case).
  bool IsLabelValid();
  // Refills the file types from the engine's table, checked as selected.
  void FillFileList();
  // Refills the categories: " name " entries whose object is the index.
  void FillCategories();
  // The chosen entry's category index; -1 when none is chosen.
  int32_t SelectedCategory();
  // Chooses the entry of a category index (by its object, not its position).
  void SelectCategory(int32_t Index);
  // Shows page Index (0..2) with its titles, step text and Next caption.
  void SetPage(int Index);
  int PageIndex() const { return Pages->PageIndex(); }

  // The engine of the catalogue to add to; set before each showing.
  TEngine* Engine = nullptr;
  // True while FileList is refilled, so the refill writes no check marks.
  bool Filling = false;

  TPanel* TopPanel;
  TLabel* TitleTxt;
  TLabel* InfoTxt;
  TImage* Picture;
  TNotebook* Pages;
  TLabel* StepTxt;
  TButton* BackBtn;
  TButton* NextBtn;
  TButton* CancelBtn;
  // Page 0.
  TLabeledEdit* LabelEdit;
  TLabeledEdit* StoreEdit;
  TLabel* TypeLabel;
  TComboBox* TypeCombo;
  TLabel* InfoLabel;
  TMemo* Info;
  // Page 1.
  TCheckBox* chkScan;
  TSkShellTreeView* PathTree;
  // Page 2.
  TCheckBox* chkAllFiles;
  TListView* FileList;
  TCheckBox* chkFolders;

  TActionList* Actions;
  TAction* actBack;
  TAction* actNext;
  TAction* actHelp;

 protected:
  void DoShow() override;
  // The window class carries the program icon.
  void CreateParams(TCreateParams& Params) override;

 private:
  void BuildPages();
  void BuildButtons();
  void ScanClick();
  void AllFilesClick();
  void FoldersClick();
  void ColourLabel();
  void FileListChange(TListItem* Item, TItemChange Change);
  bool NextAllowed();
  void NextExecute();
};

extern TDiscWiz* DiscWiz;

}  // namespace qv
