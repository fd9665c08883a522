// TBaseDlg: the database folder dialog. In New mode the user picks or makes
// an empty folder and types a name and an optional password; in Open mode the
// user picks the folder of a catalogue, whose name is shown, and types its
// password. The engine takes the chosen folder from PathTree.
#pragma once
#include <string>

#include "classlib/actions/ActnList.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/Bevel.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/Image.h"
#include "classlib/stdctrls/Label.h"
#include "classlib/stdctrls/LabeledEdit.h"
#include "classlib/stdctrls/Panel.h"
#include "skin/controls/skShellTreeView.h"

namespace qv {

// The folder catalogues are kept in unless the user picks another, made when
// missing: the default database folder, else (when it cannot be made, or is
// or lies in `spared`, a catalogue's folder found missing) the home folder,
// else the root. Always an existing folder ending in "/".
std::string PrepareDatabaseFolder(const std::string& spared = std::string());

class TBaseDlg : public TForm {
 public:
  explicit TBaseDlg(TComponent* AOwner);

  // Switches between New (true) and Open (false): caption, name field,
  // password masking, focus and instruction. The password is cleared.
  void SetMode(bool AIsNew);
  // Whether Folder holds a catalogue ("xbase.vlm"). In Open mode, for an
  // existing Folder, NameEdit shows the catalogue's stored name (or nothing).
  bool ReadBaseName(const std::string& AFolder);
  // The folder selected in PathTree exists.
  bool PathExists();
  // The folder selected in PathTree ("" when none).
  std::string SelectedFolder();
  // Selects a folder in PathTree, also one below a hidden folder (as the
  // default catalogue folder is) or one made since the tree read its parent.
  // Throws "Error Setting Path" for a folder that does not exist.
  void SelectPath(const std::string& AFolder);

  // The folder shown when the dialog opens; the database folder when it does not exist.
  std::string Folder;
  // A catalogue's folder that is missing: the dialog makes no folder in its
  // place (PrepareDatabaseFolder).
  std::string Spared;
  bool IsNew = true;

  TPanel* TopPanel;
  TLabeledEdit* NameEdit;
  TLabeledEdit* PassEdit;
  TLabel* FolderTxt;
  TImage* Symbol;
  TBevel* TopBevel;
  TBevel* BottomBevel;
  TSkShellTreeView* PathTree;
  TPanel* Panel;
  TButton* NewFolderBtn;
  TButton* OKBtn;
  TButton* CancelBtn;
  TButton* HelpBtn;

  TActionList* Actions;
  TAction* actOK;
  TAction* actNewFolder;
  TAction* actHelp;

 protected:
  void DoShow() override;
  void CreateParams(TCreateParams& Params) override;

 private:
  void BuildTop();
  void BuildButtons();
  void UpdateOK();
  void NewFolder();
};

extern TBaseDlg* BaseDlg;

}  // namespace qv
