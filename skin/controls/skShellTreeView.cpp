// The shell folder tree: building the root, filling nodes on expansion,
// selecting by path, re-reading nodes, renaming in place and the change
// notifier behind AutoRefresh.
#include "skin/controls/skShellTreeView.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "classlib/SysUtils.h"
#include "classlib/controls/Screen.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/Utf.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "skin/controls/skShellComboBox.h"
#include "skin/controls/skShellListView.h"
#include "skin/skControlTree.h"

namespace qv {

namespace {

// Posted to the tree after a rename: re-read the parent (WParam, its item).
constexpr UINT kRefreshRenamedParent = WM_APP + 0x3A0;

constexpr TSkRootFolderName kRootFolders[] = {{"rfDesktop", 0},
                                              {"rfMyComputer", 17},
                                              {"rfNetwork", 18},
                                              {"rfRecycleBin", 10},
                                              {"rfAppData", 26},
                                              {"rfCommonDesktopDirectory", 25},
                                              {"rfCommonPrograms", 23},
                                              {"rfCommonStartMenu", 22},
                                              {"rfCommonStartup", 24},
                                              {"rfControlPanel", 3},
                                              {"rfDesktopDirectory", 16},
                                              {"rfFavorites", 6},
                                              {"rfFonts", 20},
                                              {"rfInternet", 1},
                                              {"rfPersonal", 5},
                                              {"rfPrinters", 4},
                                              {"rfPrintHood", 27},
                                              {"rfPrograms", 2},
                                              {"rfRecent", 8},
                                              {"rfSendTo", 9},
                                              {"rfStartMenu", 11},
                                              {"rfStartup", 7},
                                              {"rfTemplates", 21}};

const char kErrorSettingPath[] = "Error Setting Path";

// Sets a flag for the life of a scope, clearing it also when something raises.
class FlagScope {
 public:
  explicit FlagScope(bool& Flag) : flag_(Flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }

 private:
  bool& flag_;
};

// The node list's and the skin data's update modes for the life of a scope.
class UpdateScope {
 public:
  UpdateScope(TTreeNodes* Items, TSkCommonData* Data) : items_(Items), data_(Data), was_(Data->Updating) {
    items_->BeginUpdate();
    data_->BeginUpdate();
  }
  ~UpdateScope() {
    items_->EndUpdate();
    data_->SetUpdating(was_);
  }

 private:
  TTreeNodes* items_;
  TSkCommonData* data_;
  bool was_;
};

// The hourglass over the whole program while the shell is read.
class HourglassScope {
 public:
  HourglassScope() : saved_(Screen->Cursor()) { Screen->SetCursor(crHourGlass); }
  ~HourglassScope() { Screen->SetCursor(saved_); }

 private:
  TCursor saved_;
};

LPITEMIDLIST ParsePath(const std::string& Path) {
  const auto wide = Utf8ToUtf16(Path);
  ULONG eaten = ULONG(wide.size()), attrs = 0;
  LPITEMIDLIST id = nullptr;
  if (FAILED(DesktopShellFolder()->ParseDisplayName(nullptr, nullptr, wide.c_str(), &eaten, &id, &attrs)))
    return nullptr;
  return id;
}

}  // namespace

int RootFolderCsidl(const std::string& Name) {
  for (const auto& r : kRootFolders)
    if (SameText(Name, r.Name)) return r.Csidl;
  return -1;
}

TSkCustomShellTreeView::TSkCustomShellTreeView(TComponent* AOwner) : TSkTreeView(AOwner) {
  SHFILEINFOW info;
  systemImages_ = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfo("/", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  RightClickSelect = true;
  notifier_ = new TSkShellChangeNotifier(this);
  notifier_->SetSubComponent(true);
}

TSkCustomShellTreeView::~TSkCustomShellTreeView() {
  Destroying();
  delete notifier_;
  notifier_ = nullptr;
  ClearNodes();
}

void TSkCustomShellTreeView::Loaded() {
  TSkTreeView::Loaded();
  try {
    BuildRoot();
  } catch (const Exception&) {
    // A stored root that no longer exists leaves the tree empty, not the form unloadable.
  }
}

void TSkCustomShellTreeView::CreateWnd() {
  TSkTreeView::CreateWnd();
  ClearNodes();
  if (!Images()) ApplyImageList();
  if (!loadingRoot_) {
    try {
      BuildRoot();
    } catch (const Exception&) {
    }
  }
}

void TSkCustomShellTreeView::DestroyWnd() {
  ClearNodes();
  TSkTreeView::DestroyWnd();
}

void TSkCustomShellTreeView::ClearNodes() {
  if (!HandleAllocated() || Items()->Count() == 0) return;
  UpdateScope scope(Items(), SkinData());
  for (TTreeNode* n = Items()->GetFirstNode(); n; n = n->GetNext()) {
    delete FolderOf(n);
    n->SetData(nullptr);
  }
  Items()->Clear();
}

void TSkCustomShellTreeView::ClearRoot() {
  ClearNodes();
  rootFolder_.reset();
}

std::unique_ptr<TSkShellFolder> MakeShellRootFolder(const TSkRoot& Root) {
  IdListPtr id;
  const int csidl = RootFolderCsidl(Root);
  bool ok = false;
  if (csidl >= 0) {
    ok = SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, id.Put())) && id;
  } else if (!Root.empty()) {
    id.Reset(ParsePath(Root));
    ok = bool(id);
  }
  if (!ok) throw Exception(kErrorSettingPath);
  ComPtr<IShellFolder> folder = BindShellFolder(DesktopShellFolder(), id.Get(), nullptr);
  if (!folder) folder = ComPtr<IShellFolder>(DesktopShellFolder());
  return std::make_unique<TSkShellFolder>(nullptr, id.Get(), folder.Get());
}

LPITEMIDLIST ParseShellDisplayName(const std::string& Path) {
  return ParsePath(Path);
}

std::unique_ptr<TSkShellFolder> TSkCustomShellTreeView::MakeRootFolder(TSkRoot& NewRoot) {
  try {
    return MakeShellRootFolder(NewRoot);
  } catch (const Exception&) {
    NewRoot = oldRoot_;
    throw;
  }
}

void TSkCustomShellTreeView::SetNodeImages(TTreeNode* Node, LPCITEMIDLIST AbsoluteId) {
  int closed = 0, open = 0;
  ShellIconIndexes(AbsoluteId, closed, open);
  Node->SetImageIndex(closed);
  Node->SetSelectedIndex(open);
}

void TSkCustomShellTreeView::BuildRoot() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning) || !HandleAllocated())
    return;
  std::string error;
  try {
    rootFolder_ = MakeRootFolder(root_);
  } catch (const Exception& e) {
    error = e.Message;
  }
  if (rootFolder_) {
    FlagScope loading(loadingRoot_);
    ClearNodes();
    auto* folder = new TSkShellFolder(nullptr, rootFolder_->AbsoluteId(), rootFolder_->ShellFolder());
    const std::string text =
        ShellDisplayName(DesktopShellFolder(), folder->AbsoluteId(), SHGDN_NORMAL, showExt_);
    TTreeNode* node = Items()->AddObject(nullptr, text, folder);
    if (useShellImages_ && !Images()) SetNodeImages(node, folder->AbsoluteId());
    node->SetHasChildren(folder->HasSubFolders());
    node->Expand(false);
    node->SetSelected(true);
  }
  if (!error.empty()) throw Exception(error);
}

void TSkCustomShellTreeView::ApplyRoot() {
  if (busy_) return;
  FlagScope busy(busy_);
  BuildRoot();
  if (shellComboBox_) shellComboBox_->SetRoot(root_);
  if (shellListView_) shellListView_->SetRoot(root_);
}

void TSkCustomShellTreeView::SetShellComboBox(TSkCustomShellComboBox* Value) {
  if (shellComboBox_ == Value) return;
  if (shellComboBox_) {
    shellComboBox_->RemoveFreeNotification(this);
    if (shellComboBox_->ShellTreeView() == this) shellComboBox_->SetShellTreeView(nullptr);
  }
  shellComboBox_ = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->SetRoot(root_);
    Value->SetShellTreeView(this);
  }
}

void TSkCustomShellTreeView::SetShellListView(TSkCustomShellListView* Value) {
  if (shellListView_ == Value) return;
  if (shellListView_) {
    shellListView_->RemoveFreeNotification(this);
    if (shellListView_->ShellTreeView() == this) shellListView_->SetShellTreeView(nullptr);
  }
  shellListView_ = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->SetRoot(root_);
    Value->SetShellTreeView(this);
  }
}

void TSkCustomShellTreeView::Notification(TComponent* AComponent, TOperation Operation) {
  TSkTreeView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == shellComboBox_) shellComboBox_ = nullptr;
  if (AComponent == shellListView_) shellListView_ = nullptr;
}

void TSkCustomShellTreeView::SetRoot(const TSkRoot& Value) {
  if (SameText(Value, root_)) return;
  oldRoot_ = root_;
  root_ = Value;
  if (!busy_) ApplyRoot();
}

void TSkCustomShellTreeView::SetObjectTypes(TSkShellObjectTypes Value) {
  objectTypes_ = Value;
  ApplyRoot();
}

void TSkCustomShellTreeView::ApplyImageList() {
  if (!HandleAllocated()) return;
  HIMAGELIST list = Images() ? Images()->Handle() : useShellImages_ ? systemImages_ : nullptr;
  FlagScope guard(imageGuard_);
  SendMessageW(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
}

void TSkCustomShellTreeView::SetUseShellImages(bool Value) {
  useShellImages_ = Value;
  ApplyImageList();
}

void TSkCustomShellTreeView::GetImageIndex(TTreeNode* Node) {
  if (Images()) TSkTreeView::GetImageIndex(Node);
}

void TSkCustomShellTreeView::GetSelectedIndex(TTreeNode* Node) {
  if (Images()) TSkTreeView::GetSelectedIndex(Node);
}

void TSkCustomShellTreeView::FillNode(TTreeNode* Node) {
  TSkShellFolder* folder = FolderOf(Node);
  if (!folder || !folder->ShellFolder()) return;
  HourglassScope hourglass;
  UpdateScope scope(Items(), SkinData());
  IShellFolder* shell = folder->ShellFolder();
  ComPtr<IEnumIDList> items;
  if (shell->EnumObjects(nullptr, EnumFlagsOf(objectTypes_), items.Put()) != S_OK || !items) return;
  std::vector<IdListPtr> ids;
  LPITEMIDLIST id = nullptr;
  ULONG fetched = 0;
  while (items->Next(1, &id, &fetched) == S_OK) ids.emplace_back(id);
  // The shell's order, before the nodes are made: the tree then only appends.
  // A merge sort asks the shell fewer comparisons than a quicksort would.
  std::stable_sort(ids.begin(), ids.end(), [shell](const IdListPtr& a, const IdListPtr& b) {
    return CompareResultOrder(shell->CompareIDs(0, a.Get(), b.Get())) < 0;
  });
  for (const IdListPtr& child : ids) AddFolderNode(Node, child.Get());
  // A tree that sorts by text placed each node by its text: the shell's order again.
  if (SortType() == stText || SortType() == stBoth)
    Node->CustomSort(
        [](TTreeNode* A, TTreeNode* B, LPARAM) {
          TSkShellFolder *a = FolderOf(A), *b = FolderOf(B);
          if (!a || !b) return 0;
          return CompareResultOrder(a->ParentShellFolder()->CompareIDs(0, a->RelativeId(), b->RelativeId()));
        },
        0, false);
}

// The shared bit alone, as Properties() answers it: asking for all the
// properties would read the disc again for every node added.
static bool IsShared(TSkShellFolder* folder) {
  IShellFolder* parent = folder->ParentShellFolder();
  if (!parent) return false;
  LPCITEMIDLIST items[] = {folder->RelativeId()};
  uint32_t a = SFGAO_SHARE;
  return SUCCEEDED(parent->GetAttributesOf(1, items, &a)) && (a & SFGAO_SHARE);
}

void TSkCustomShellTreeView::AddFolderNode(TTreeNode* ParentNode, LPCITEMIDLIST Id) {
  TSkShellFolder* parent = FolderOf(ParentNode);
  ComPtr<IShellFolder> bound = BindShellFolder(parent ? parent->ShellFolder() : nullptr, Id, nullptr);
  auto folder = std::make_unique<TSkShellFolder>(parent, Id, bound.Get());
  // The node is made with its text, images and button in one insertion: a
  // message per field would cost more than the rest of a large fill.
  TTreeNodeFields fields;
  fields.Data = folder.get();
  if (useShellImages_ && !Images())
    ShellIconIndexes(folder->AbsoluteId(), fields.ImageIndex, fields.SelectedIndex);
  if (fields.SelectedIndex == 0) fields.SelectedIndex = fields.ImageIndex;
  fields.HasChildren = folder->HasSubFolders();
  if (objectTypes_.Contains(otNonFolders) && folder->ShellFolder()) {
    ComPtr<IEnumIDList> e;
    LPITEMIDLIST first = nullptr;
    ULONG fetched = 0;
    bool any = folder->ShellFolder()->EnumObjects(nullptr, EnumFlagsOf(objectTypes_), e.Put()) == S_OK && e &&
               e->Next(1, &first, &fetched) == S_OK;
    ILFree(first);
    fields.HasChildren = any;
  }
  TTreeNode* node = Items()->AddChildObject(ParentNode, folder->DisplayName(showExt_), fields);
  TSkShellFolder* added = folder.release();  // the node's now (see Delete)
  if (IsShared(added)) node->SetOverlayIndex(0);
  bool canAdd = true;
  if (OnAddFolder) OnAddFolder(this, added, canAdd);
  if (!canAdd) node->Delete();
}

bool TSkCustomShellTreeView::CanExpand(TTreeNode* Node) {
  if (ComponentState().Contains(csDesigning) && Node->Level() > 0) return true;
  bool result = TSkTreeView::CanExpand(Node);
  if (!result) return false;  // a vetoed expansion keeps its button
  TSkShellFolder* folder = FolderOf(Node);
  if (folder && folder->IsFolder()) {
    if (Node->HasChildren() && !Node->GetFirstChild()) FillNode(Node);
  } else if (folder) {
    const std::string path = folder->ParsingPath();
    ShellExecuteUtf8(Handle(), "", path, ExtractFilePath(path), 1);
  }
  Node->SetHasChildren(Node->GetFirstChild() != nullptr);  // not Count(): it walks every child
  return result;
}

bool TSkCustomShellTreeView::CanChange(TTreeNode* Node) {
  bool result = TSkTreeView::CanChange(Node);
  if (!result || busy_ || !Node) return result;
  const bool refresh = autoRefresh_;
  SetAutoRefresh(false);
  TSkShellFolder* shown = FolderOf(Node);
  if (shown && !shown->IsFolder("", true) && shown->Parent()) shown = shown->Parent();
  if (shown && (shellComboBox_ || shellListView_)) {
    FlagScope busy(busy_);
    IdListPtr id(ILClone(shown->AbsoluteId()));
    if (shellComboBox_) shellComboBox_->MoveToIdList(id.Get());
    if (shellListView_) shellListView_->MoveToIdList(id.Get());
  }
  nodeToMonitor_ = Node;
  SetAutoRefresh(refresh);
  nodeToMonitor_ = nullptr;
  return result;
}

void TSkCustomShellTreeView::Edit(const TVITEMW& Item) {
  TTreeNode* node = Items()->GetNode(Item.hItem);
  if (!node || !Item.pszText) return;
  std::string s = Utf16ToUtf8(Item.pszText);
  if (OnEdited) OnEdited(this, node, s);
  node = Items()->GetNode(Item.hItem);  // the handler may have re-read the tree
  TSkShellFolder* folder = FolderOf(node);
  if (!folder) return;
  // A refusal raises "Rename to ... failed"; the node keeps its text.
  if (!folder->Rename(s)) return;
  node->SetText(s);
  // The parent is re-read once the end-edit notification has returned: the
  // re-read replaces the node that the platform tree is still finishing.
  if (TTreeNode* parent = node->Parent())
    PostMessageW(WindowHandle(), kRefreshRenamedParent, reinterpret_cast<WPARAM>(parent->ItemId()), 0);
}

void TSkCustomShellTreeView::Delete(TTreeNode* Node) {
  delete FolderOf(Node);
  Node->SetData(nullptr);
  TSkTreeView::Delete(Node);
}

TSkShellFolder* TSkCustomShellTreeView::GetSelectedFolder() {
  return FolderOf(Selected());
}

std::string TSkCustomShellTreeView::GetPath() {
  TSkShellFolder* f = GetSelectedFolder();
  return f ? f->ParsingPath() : std::string();
}

void TSkCustomShellTreeView::SetPath(const std::string& Path) {
  IdListPtr id(ParsePath(Path));
  if (!id) throw Exception(kErrorSettingPath);
  if (!busy_) SelectItemIdList(id.Get());
}

TTreeNode* TSkCustomShellTreeView::FindFolderNode(LPCITEMIDLIST Id, TTreeNode* StartNode) {
  if (!StartNode || !Id) return nullptr;
  const int level = StartNode->Level();
  for (TTreeNode* n = StartNode; n && (n == StartNode || n->Level() > level); n = n->GetNext()) {
    TSkShellFolder* f = FolderOf(n);
    if (f && SameIdList(f->AbsoluteId(), Id)) return n;
  }
  return nullptr;
}

void TSkCustomShellTreeView::SelectItemIdList(LPCITEMIDLIST Id) {
  if (busy_ || ComponentState().Contains(csLoading) || Items()->Count() == 0) return;
  if (TSkShellFolder* sel = GetSelectedFolder(); sel && SameIdList(sel->AbsoluteId(), Id)) return;
  FlagScope busy(busy_);
  UpdateScope scope(Items(), SkinData());
  TTreeNode* start = Items()->GetFirstNode();
  for (const IdListPtr& ancestor : AncestorIdLists(Id)) {
    if (TTreeNode* found = FindFolderNode(ancestor.Get(), start)) {
      start = found;
      start->Expand(false);
    }
  }
  TTreeNode* found = FindFolderNode(Id, start);
  SetSelected(found);
  if (TSkShellFolder* f = FolderOf(found)) {
    IdListPtr id(ILClone(f->AbsoluteId()));
    if (shellListView_) shellListView_->MoveToIdList(id.Get());
    if (shellComboBox_) shellComboBox_->MoveToIdList(id.Get());
  }
}

void TSkCustomShellTreeView::RefreshNode(TTreeNode* Node) {
  TSkShellFolder* old = FolderOf(Node);
  if (!old || !old->ShellFolder()) return;
  auto absoluteOf = [](TTreeNode* n) -> IdListPtr {
    TSkShellFolder* f = FolderOf(n);
    if (!f) return {};
    return IdListPtr(f->Parent() ? ILCombine(f->Parent()->AbsoluteId(), f->RelativeId())
                                 : ILClone(f->AbsoluteId()));
  };
  IdListPtr topId = absoluteOf(TopItem());
  IdListPtr selId = absoluteOf(Selected());
  HourglassScope hourglass;
  UpdateScope scope(Items(), SkinData());
  TTreeNode* parentNode = Node->Parent();
  TTreeNode* fresh = Items()->Insert(Node, "");
  auto* folder = new TSkShellFolder(FolderOf(parentNode), old->RelativeId(), old->ShellFolder());
  fresh->SetData(folder);
  FillNode(fresh);
  SetNodeImages(fresh, folder->AbsoluteId());
  fresh->SetHasChildren(folder->HasSubFolders() || fresh->Count() > 0);
  fresh->SetText(folder->DisplayName(showExt_));
  // Expand again what was expanded, walking only the old node's own subtree.
  const int level = Node->Level();
  for (TTreeNode* n = Node; n && (n == Node || n->Level() > level); n = n->GetNext()) {
    if (!n->Expanded()) continue;
    TSkShellFolder* f = FolderOf(n);
    if (TTreeNode* found = f ? FindFolderNode(f->AbsoluteId(), fresh) : nullptr) found->Expand(false);
  }
  Node->Delete();
  if (selId) SetSelected(FindFolderNode(selId.Get(), Items()->GetFirstNode()));
  if (topId) {
    if (TTreeNode* top = FindFolderNode(topId.Get(), Items()->GetFirstNode())) SetTopItem(top);
  }
}

void TSkCustomShellTreeView::RefreshSelected() {
  if (TTreeNode* sel = Selected()) RefreshNode(sel);
}

void TSkCustomShellTreeView::SetAutoRefresh(bool Value) {
  autoRefresh_ = Value;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) return;
  delete notifier_;
  notifier_ = nullptr;
  if (!Value) return;
  notifier_ = new TSkShellChangeNotifier(this);
  notifier_->SetSubComponent(true);
  notifier_->SetWatchSubTree(false);
  TSkShellFolder* watched = nodeToMonitor_ ? FolderOf(nodeToMonitor_) : rootFolder_.get();
  notifier_->SetRoot(watched ? watched->ParsingPath() : std::string());
  notifier_->SetOnChange([this] { RefreshSelected(); });
}

void TSkCustomShellTreeView::WndProc(TMessage& M) {
  if (M.Msg == WM_MEASUREITEM || M.Msg == WM_INITMENUPOPUP || M.Msg == WM_MENUCHAR) {
    // Owner-drawn shell menu items are the open menu's own business.
    if (IContextMenu2* menu = ActiveShellMenu()) menu->HandleMenuMsg(M.Msg, M.WParam, M.LParam);
    M.Result = 0;
    return;
  }
  if (M.Msg == TVM_SETIMAGELIST && !imageGuard_) {
    ApplyImageList();
    M.Result = 0;
    return;
  }
  if (M.Msg == kRefreshRenamedParent) {
    // Looked up again: the node may have gone in the meantime.
    if (TTreeNode* parent = Items()->GetNode(reinterpret_cast<HTREEITEM>(M.WParam))) RefreshNode(parent);
    M.Result = 0;
    return;
  }
  TSkTreeView::WndProc(M);
  // The icons' background follows the tree's, as the skin (or the tree's own colour) gives it.
  if (M.Msg == WM_NCPAINT && systemImages_ && HandleAllocated())
    ImageList_SetBkColor(systemImages_, BgColorOf(this));
}

}  // namespace qv
