// TSkCustomShellListView: the contents of one shell folder as an owner-data
// list over the skinned list view, with the shell's icons, detail columns in
// report view, a file mask, navigation by keys and double clicks, the shell's
// context menu and refresh; it moves together with a linked shell folder
// tree and shell combo box.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "skin/controls/skListView.h"
#include "skin/controls/skShellChangeNotifier.h"
#include "skin/controls/skShellTreeView.h"

namespace qv {

class TSkCustomShellComboBox;
class TImageList;

class TSkCustomShellListView : public TSkCustomListView, public IShellVerbHandler {
 public:
  explicit TSkCustomShellListView(TComponent* AOwner);
  ~TSkCustomShellListView() override;
  void Loaded() override;

  const TSkRoot& Root() const { return root_; }
  void SetRoot(const TSkRoot& Value);
  // Moves the list to the folder of an absolute item-id list (the linked controls call it).
  void MoveToIdList(LPCITEMIDLIST Id);
  // Reads the folder again, keeping the selected row when it still exists.
  void Refresh();
  TSkShellFolder* RootFolder() const { return rootFolder_.get(); }
  TSkShellFolder* Folders(int Index) const;
  int FolderCount() const { return int(folders_.size()); }
  TSkShellFolder* SelectedFolder() const;
  // The row whose name begins with Text (any case), from Start on; -1 when none.
  int FindRow(const std::string& Text, int Start, bool Wrap) const;

  TSkShellObjectTypes ObjectTypes() const { return objectTypes_; }
  void SetObjectTypes(TSkShellObjectTypes Value);
  // Extension patterns ("*.txt;*.doc"); empty lists every file.
  const std::string& Mask() const { return mask_; }
  void SetMask(const std::string& Value);
  bool AutoRefresh() const { return autoRefresh_; }
  void SetAutoRefresh(bool Value);
  TSkShowExtension ShowExt = seSystem;
  bool AutoContextMenus = true;
  bool AutoNavigate = true;
  bool Sorted = true;
  TSkAddFolderEvent OnAddFolder;

  TSkCustomShellTreeView* ShellTreeView() const { return tree_; }
  void SetShellTreeView(TSkCustomShellTreeView* Value);
  TSkCustomShellComboBox* ShellComboBox() const { return combo_; }
  void SetShellComboBox(TSkCustomShellComboBox* Value);
  TSkShellChangeNotifier* Notifier() const { return notifier_; }
  bool IsBusy() const { return busy_; }

  void WndProc(TMessage& Message) override;
  void VerbStarting(const std::string& Verb, bool& Handled) override;
  void VerbDone(const std::string& Verb, bool Succeeded) override;

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void Edit(const LVITEMW& Item) override;
  bool DoContextPopup(POINT Screen) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void RootChanged();
  void Fill();
  void RebuildColumns();
  void ClearFolders();
  bool Accepts(TSkShellFolder* Folder);
  void OpenRow(int Row, bool ByEnter);
  void GoUp();
  void GetDisplayInfo(NMLVDISPINFOW* Info);

  TSkRoot root_ = "rfDesktop", oldRoot_;
  std::unique_ptr<TSkShellFolder> rootFolder_;
  bool setFromRoot_ = true;
  bool autoRefresh_ = false, busy_ = false;
  TSkShellObjectTypes objectTypes_{otFolders, otNonFolders};
  std::vector<std::unique_ptr<TSkShellFolder>> folders_;
  std::vector<std::string> maskWords_;
  std::string mask_;
  TSkCustomShellTreeView* tree_ = nullptr;
  TSkCustomShellComboBox* combo_ = nullptr;
  TSkShellChangeNotifier* notifier_ = nullptr;
  std::string savedDirectory_;
  TImageList* smallImages_ = nullptr;
  TImageList* largeImages_ = nullptr;
};

class TSkShellListView : public TSkCustomShellListView {
 public:
  using TSkCustomShellListView::TSkCustomShellListView;
};

}  // namespace qv
