// The gallery's shell browser: a tree of the shell namespace's folders,
// filled level by level as nodes expand, beside a report list of the
// selected folder's items, both with the system image list's icons.
#pragma once
#include <functional>
#include <map>
#include <string>

#include "classlib/comctrls/ListView.h"
#include "classlib/comctrls/TreeView.h"
#include "platform/shell/ShellApi.h"

namespace qv::gallery {

class TShellBrowser {
 public:
  // Fills Tree with the desktop's folders and hooks its events.
  TShellBrowser(TTreeView* Tree, TListView* List);
  ~TShellBrowser();
  TShellBrowser(const TShellBrowser&) = delete;
  TShellBrowser& operator=(const TShellBrowser&) = delete;

  // Expands the tree down to the folder at an absolute path, selects it and
  // lists it; false (the tree unchanged) when the path does not name a
  // folder reachable from the desktop.
  bool ShowPath(const std::string& Path);
  // The absolute item-id list of a node (the desktop's for null).
  LPCITEMIDLIST PidlOf(TTreeNode* Node) const;
  std::function<void(const std::string&)> OnLog;

 private:
  // Adds the folders of Node (the desktop for null) once.
  void Fill(TTreeNode* Node);
  void ListFolder(TTreeNode* Node);
  ComPtr<IShellFolder> FolderOf(TTreeNode* Node);
  TTreeNode* FindChild(TTreeNode* Parent, LPCITEMIDLIST Target);

  TTreeView* tree_;
  TListView* list_;
  ComPtr<IShellFolder> desktop_;
  LPITEMIDLIST desktopPidl_ = nullptr;
  std::map<TTreeNode*, LPITEMIDLIST> pidls_;  // absolute, owned
  std::map<TTreeNode*, bool> filled_;
  bool rootsFilled_ = false;
};

}  // namespace qv::gallery
