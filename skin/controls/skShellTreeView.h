// TSkShellTreeView: a tree of the shell namespace over the skinned tree view.
// One root node (a special folder or a path) and below it the shell's folders,
// filled on first expansion, in the shell's order and with its icons; the
// selected folder can be read and set as a path, re-read in place, renamed in
// place, and watched for changes on disk.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "skin/controls/skShellChangeNotifier.h"
#include "skin/controls/skShellFolder.h"
#include "skin/controls/skTreeView.h"

namespace qv {

class TSkCustomShellTreeView;
class TSkCustomShellListView;
class TSkCustomShellComboBox;

// Offered by controls that want to take part in the verbs chosen from a
// shell context menu: before the verb runs (Handled = the control did it
// itself) and after it ran.
class IShellVerbHandler {
 public:
  virtual ~IShellVerbHandler() = default;
  virtual void VerbStarting(const std::string& Verb, bool& Handled) = 0;
  virtual void VerbDone(const std::string& Verb, bool Succeeded) = 0;
};

// Shows the shell's context menu of Folder at a screen point and runs the
// chosen verb (nothing when Folder is null).
void ShowShellContextMenu(TWinControl* Control, TSkShellFolder* Folder, POINT Screen);
// Runs one verb of Folder's context menu.
bool RunShellVerb(TSkShellFolder* Folder, const std::string& Verb);
// The menu interface of the context menu being shown (null when none is open).
IContextMenu2* ActiveShellMenu();
using TSkAddFolderEvent = std::function<void(TObject* Sender, TSkShellFolder* AFolder, bool& CanAdd)>;

// The special folders a root may name, with the shell's folder numbers.
struct TSkRootFolderName {
  const char* Name;
  int Csidl;
};
// The special folder number of a root name (any case); -1 for a path.
int RootFolderCsidl(const std::string& Name);
// The folder object of a root (a special folder name or a path); throws
// "Error Setting Path" when it names nothing.
std::unique_ptr<TSkShellFolder> MakeShellRootFolder(const TSkRoot& Root);
// The absolute list of an existing path; null when it does not parse.
LPITEMIDLIST ParseShellDisplayName(const std::string& Path);

class TSkCustomShellTreeView : public TSkTreeView, public IShellVerbHandler {
 public:
  explicit TSkCustomShellTreeView(TComponent* AOwner);
  ~TSkCustomShellTreeView() override;
  void Loaded() override;

  // The selected folder's parsing path ("" when nothing is selected).
  std::string GetPath();
  // Selects the folder of a path; throws "Error Setting Path" when it does not parse.
  void SetPath(const std::string& Path);
  void SelectItemIdList(LPCITEMIDLIST Id);
  // Re-reads one folder node, keeping what is expanded below it, the selection and the top item.
  void RefreshNode(TTreeNode* Node);
  TSkShellFolder* GetSelectedFolder();
  TSkShellFolder* RootFolder() const { return rootFolder_.get(); }
  virtual void ClearRoot();
  bool IsBusy() const { return busy_; }

  const TSkRoot& Root() const { return root_; }
  void SetRoot(const TSkRoot& Value);
  TSkShellObjectTypes ObjectTypes() const { return objectTypes_; }
  void SetObjectTypes(TSkShellObjectTypes Value);
  bool UseShellImages() const { return useShellImages_; }
  void SetUseShellImages(bool Value);
  bool AutoRefresh() const { return autoRefresh_; }
  void SetAutoRefresh(bool Value);
  TSkShowExtension ShowExt() const { return showExt_; }
  void SetShowExt(TSkShowExtension Value) { showExt_ = Value; }
  bool AutoContextMenus = true;
  TSkAddFolderEvent OnAddFolder;
  // The linked controls that follow the selection.
  TSkCustomShellComboBox* ShellComboBox() const { return shellComboBox_; }
  void SetShellComboBox(TSkCustomShellComboBox* Value);
  TSkCustomShellListView* ShellListView() const { return shellListView_; }
  void SetShellListView(TSkCustomShellListView* Value);
  // The notifier behind AutoRefresh (tests look at what it watches).
  TSkShellChangeNotifier* Notifier() const { return notifier_; }

  void WndProc(TMessage& Message) override;
  void VerbStarting(const std::string& Verb, bool& Handled) override;
  void VerbDone(const std::string& Verb, bool Succeeded) override;

 protected:
  bool DoContextPopup(POINT Screen) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  bool CanExpand(TTreeNode* Node) override;
  bool CanChange(TTreeNode* Node) override;
  void Edit(const TVITEMW& Item) override;
  void Delete(TTreeNode* Node) override;
  void GetImageIndex(TTreeNode* Node) override;
  void GetSelectedIndex(TTreeNode* Node) override;

 private:
  void BuildRoot();
  void ApplyRoot();
  std::unique_ptr<TSkShellFolder> MakeRootFolder(TSkRoot& NewRoot);
  void ClearNodes();
  void FillNode(TTreeNode* Node);
  void AddFolderNode(TTreeNode* ParentNode, LPCITEMIDLIST Id);
  TTreeNode* FindFolderNode(LPCITEMIDLIST Id, TTreeNode* StartNode);
  void SetNodeImages(TTreeNode* Node, LPCITEMIDLIST AbsoluteId);
  void ApplyImageList();
  void RefreshSelected();
  static TSkShellFolder* FolderOf(TTreeNode* Node) {
    return Node ? static_cast<TSkShellFolder*>(Node->Data()) : nullptr;
  }

  TSkRoot root_ = "rfDesktop", oldRoot_;
  std::unique_ptr<TSkShellFolder> rootFolder_;
  TSkShellObjectTypes objectTypes_{otFolders};
  HIMAGELIST systemImages_ = nullptr;
  bool loadingRoot_ = false, busy_ = false, autoRefresh_ = false, useShellImages_ = true, imageGuard_ = false;
  TSkShellChangeNotifier* notifier_ = nullptr;
  TTreeNode* nodeToMonitor_ = nullptr;
  TSkShowExtension showExt_ = seSystem;
  std::string savedDirectory_;
  TSkCustomShellComboBox* shellComboBox_ = nullptr;
  TSkCustomShellListView* shellListView_ = nullptr;
};

class TSkShellTreeView : public TSkCustomShellTreeView {
 public:
  using TSkCustomShellTreeView::TSkCustomShellTreeView;
};

}  // namespace qv
