// TSkCustomShellComboBox: the path from a shell root down to the current
// folder as an indented list of folders with the shell's icons (the root's
// children always there, and the drives under "Computer" when the root is the
// desktop); it moves together with a linked shell folder tree and shell list view.
#pragma once
#include <memory>
#include <string>

#include "skin/controls/skComboBoxes.h"
#include "skin/controls/skShellTreeView.h"

namespace qv {

class TSkCustomShellListView;
class TImageList;

class TSkCustomShellComboBox : public TSkComboBoxEx {
 public:
  explicit TSkCustomShellComboBox(TComponent* AOwner);
  ~TSkCustomShellComboBox() override;
  void Loaded() override;

  const TSkRoot& Root() const { return root_; }
  void SetRoot(const TSkRoot& Value);
  // Shows the path to the folder of an absolute item-id list and selects it.
  void MoveToIdList(LPCITEMIDLIST Id);
  TSkShellFolder* RootFolder() const { return rootFolder_.get(); }
  TSkShellFolder* FolderOf(int Index);
  TSkShellFolder* SelectedFolder();
  TSkShellObjectTypes ObjectTypes() const { return objectTypes_; }
  void SetObjectTypes(TSkShellObjectTypes Value);
  bool UseShellImages() const { return useShellImages_; }
  void SetUseShellImages(bool Value);
  TSkCustomShellTreeView* ShellTreeView() const { return tree_; }
  void SetShellTreeView(TSkCustomShellTreeView* Value);
  TSkCustomShellListView* ShellListView() const { return list_; }
  void SetShellListView(TSkCustomShellListView* Value);
  bool IsBusy() const { return busy_; }

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void Select() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void RootChanged();
  void ClearItems();
  void Rebuild();
  // Inserts the children of the item at Index right after it; the number inserted.
  int InsertChildren(int Index);
  void InsertFolder(int At, TSkShellFolder* Folder);
  int IndexOfId(LPCITEMIDLIST Id, bool FromEnd = false);
  void BuildPathTo(LPCITEMIDLIST Id);
  void ApplyImages();
  // The user chose a folder: the linked tree and list view go there.
  void FollowSelection();

  TSkRoot root_ = "rfDesktop", oldRoot_;
  std::unique_ptr<TSkShellFolder> rootFolder_;
  TSkCustomShellTreeView* tree_ = nullptr;
  TSkCustomShellListView* list_ = nullptr;
  TSkShellObjectTypes objectTypes_{otFolders};
  bool useShellImages_ = true, busy_ = false, loading_ = false;
};

class TSkShellComboBox : public TSkCustomShellComboBox {
 public:
  using TSkCustomShellComboBox::TSkCustomShellComboBox;
};

// The process-wide image list sharing the system's small icons (made at first need).
TImageList* SharedShellSmallImages();

}  // namespace qv
