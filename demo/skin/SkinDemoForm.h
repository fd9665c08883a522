// The skin demo's form: a background and a panel with buttons, boxes and a
// check box painted through the skin engine; buttons switch between the skins
// "Harbour" and "Dusk" and no skin, turn its hue, and pick the hint style (the
// catalogue's comics hint among them).
#pragma once
#include <string>
#include <vector>

#include "classlib/controls/Forms.h"
#include "demo/skin/SkinDemoControls.h"
#include "skin/skHintManager.h"
#include "skin/skinManager.h"

namespace qv {
class TSkPanel;
class TSkEdit;
class TSkSpinEdit;
class TSkCustomComboEdit;
class TSkDateEdit;
class TSkSpeedButton;
class TSkMonthCalendar;
class TSkSplitter;
class TSkTreeView;
class TSkShellTreeView;
class TSkListView;
class TSkComboBox;
class TSkComboBoxEx;
class TSkShellListView;
class TSkShellComboBox;
class TSkinProvider;
}  // namespace qv

namespace qv::demo {

// The main window's hint manager as the catalogue configures it.
void ConfigureCatalogueHints(TSkHintManager* Manager);

class TSkinDemoForm : public TForm {
 public:
  // SkinDirectory: the folder holding Harbour/ (relative forms resolve
  // against the program's folder).
  TSkinDemoForm(TComponent* AOwner, const std::string& SkinDirectory);

  TSkinManager* Skins = nullptr;
  TSkHintManager* Hints = nullptr;
  TSkinProvider* Provider = nullptr;
  TSkDemoPanel* Background = nullptr;
  TSkDemoPanel* Panel = nullptr;
  TSkDemoButton *SkinButton = nullptr, *DuskButton = nullptr, *NoSkinButton = nullptr, *HueButton = nullptr;
  std::vector<TSkDemoButton*> HintButtons;
  TSkDemoBox* Box = nullptr;
  TSkDemoCheck* Check = nullptr;
  // The skinned class-library controls.
  TSkPanel* ControlsPanel = nullptr;
  TSkEdit* Edit = nullptr;
  TSkSpinEdit* Spin = nullptr;
  TSkCustomComboEdit* ButtonEdit = nullptr;
  TSkDateEdit* DateEdit = nullptr;
  TSkSpeedButton* Speed = nullptr;
  // The browsing controls: a month calendar, a tree view, and the shell
  // folder tree beside a splitter.
  TSkPanel* BrowsePanel = nullptr;
  TSkMonthCalendar* Calendar = nullptr;
  TSkTreeView* Tree = nullptr;
  TSkPanel* FolderPanel = nullptr;
  TSkShellTreeView* ShellTree = nullptr;
  TSkSplitter* Splitter = nullptr;
  // The list controls: a list view, combo boxes, and the shell list view and
  // shell combo box moving with the shell folder tree.
  TSkPanel* ListsPanel = nullptr;
  TSkListView* List = nullptr;
  TSkComboBox* Combo = nullptr;
  TSkComboBoxEx* ComboEx = nullptr;
  TSkShellComboBox* ShellCombo = nullptr;
  TSkShellListView* ShellList = nullptr;

  // The skin that UseSkin(true) puts on.
  std::string SkinName = "Harbour";
  void UseSkin(bool On);
  // Puts on the skin of that name ("Harbour" or "Dusk").
  void ChooseSkin(const std::string& Name);
  void TurnHue();
  // Hint style by index: the presets, then the catalogue's configuration.
  void UseHintStyle(int Index);
  static const std::vector<std::string>& HintStyleNames();

 private:
  void AddSkinnedControls();
  void AddBrowseControls();
  void AddListControls();
};

}  // namespace qv::demo
