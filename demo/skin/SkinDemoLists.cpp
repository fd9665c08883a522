// The skin demo's list controls: a list view of discs in report view, a combo
// box and an extended combo box with icons, and the shell list view and shell
// combo box that move together with the shell folder tree.
#include "demo/skin/SkinDemoForm.h"
#include "platform/shell/SystemIcons.h"
#include "skin/controls/skComboBoxes.h"
#include "skin/controls/skListView.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skShellComboBox.h"
#include "skin/controls/skShellListView.h"
#include "skin/controls/skShellTreeView.h"

namespace qv::demo {

void TSkinDemoForm::AddListControls() {
  ListsPanel = new TSkPanel(this);
  ListsPanel->SetParent(Background);
  ListsPanel->SetBounds(16, 370, 928, 230);
  List = new TSkListView(this);
  List->SetParent(ListsPanel);
  List->SetBounds(12, 12, 420, 206);
  List->SetViewStyle(vsReport);
  for (const auto& [caption, width] : {std::pair{"Disc", 160}, {"Files", 80}, {"Added", 140}}) {
    TListColumn* c = List->Columns()->Add();
    c->SetCaption(caption);
    c->SetWidth(width);
  }
  for (int i = 1; i <= 40; ++i) {
    TListItem* item = List->Items()->Add();
    item->SetCaption("Disc " + std::to_string(i));
    item->SubItems()->Add(std::to_string(i * 137));
    item->SubItems()->Add("0" + std::to_string(1 + i % 9) + "/12/2026");
  }
  Combo = new TSkComboBox(this);
  Combo->SetParent(ListsPanel);
  Combo->SetBounds(446, 12, 200, 22);
  for (const char* s : {"Holiday photos", "Music", "Backups", "Books"}) Combo->Items()->Add(s);
  Combo->SetItemIndex(0);
  ComboEx = new TSkComboBoxEx(this);
  ComboEx->SetParent(ListsPanel);
  ComboEx->SetBounds(446, 46, 200, 22);
  ComboEx->SetImages(SharedShellSmallImages());
  ComboEx->ItemsEx()->AddItem("Computer", IconComputer, -1, -1, 0, nullptr);
  ComboEx->ItemsEx()->AddItem("File system", IconDriveRoot, -1, -1, 1, nullptr);
  ComboEx->ItemsEx()->AddItem("Home", IconHome, -1, -1, 1, nullptr);
  ComboEx->SetItemIndex(0);
  ShellCombo = new TSkShellComboBox(this);
  ShellCombo->SetParent(ListsPanel);
  ShellCombo->SetBounds(660, 12, 256, 22);
  ShellList = new TSkShellListView(this);
  ShellList->SetParent(FolderPanel);
  ShellList->SetAlign(alClient);
  ShellList->SetViewStyle(vsList);
  ShellTree->SetShellListView(ShellList);
  ShellTree->SetShellComboBox(ShellCombo);
}

}  // namespace qv::demo
