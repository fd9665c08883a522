// The shell combo box: rebuilt from the root (its children, the drives under
// "Computer" for the desktop) and along the path to the current folder; a
// choice by the user moves the linked tree and list view.
#include "skin/controls/skShellComboBox.h"

#include <algorithm>

#include "classlib/SysUtils.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Exception.h"
#include "platform/controls/ComboBox.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/shell/SystemIcons.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skShellListView.h"

namespace qv {

namespace {

class BusyScope {
 public:
  explicit BusyScope(bool& Flag) : flag_(Flag), old_(Flag) { flag_ = true; }
  ~BusyScope() { flag_ = old_; }

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

TImageList* SharedShellSmallImages() {
  static TImageList* list = [] {
    auto* l = new TImageList(nullptr);
    l->ShareImages = true;
    l->SetHandle(ShellImageList(true));
    return l;
  }();
  return list;
}

TSkCustomShellComboBox::TSkCustomShellComboBox(TComponent* AOwner) : TSkComboBoxEx(AOwner) {
  // The class library's "no colour" is no background for the icons.
  ImageList_SetBkColor(ShellImageList(true), CLR_NONE);
}

TSkCustomShellComboBox::~TSkCustomShellComboBox() {
  Destroying();
  if (tree_) tree_->RemoveFreeNotification(this);
  if (list_) list_->RemoveFreeNotification(this);
  if (HandleAllocated()) DestroyHandle();
  ClearItems();
}

void TSkCustomShellComboBox::Loaded() {
  loading_ = true;
  TSkComboBoxEx::Loaded();
  if (!busy_) Rebuild();
  loading_ = false;
}

void TSkCustomShellComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TSkComboBoxEx::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == tree_) tree_ = nullptr;
  if (AComponent == list_) list_ = nullptr;
}

void TSkCustomShellComboBox::SetShellTreeView(TSkCustomShellTreeView* Value) {
  if (tree_ == Value) return;
  if (tree_) tree_->RemoveFreeNotification(this);
  tree_ = Value;
  if (tree_) {
    tree_->FreeNotification(this);
    if (tree_->ShellComboBox() != this) tree_->SetShellComboBox(this);
  }
}

void TSkCustomShellComboBox::SetShellListView(TSkCustomShellListView* Value) {
  if (list_ == Value) return;
  if (list_) list_->RemoveFreeNotification(this);
  list_ = Value;
  if (list_) {
    list_->FreeNotification(this);
    if (list_->ShellComboBox() != this) list_->SetShellComboBox(this);
  }
}

TSkShellFolder* TSkCustomShellComboBox::FolderOf(int Index) {
  if (Index < 0 || Index >= ItemsEx()->Count()) return nullptr;
  return static_cast<TSkShellFolder*>(ItemsEx()->Items(Index)->Data);
}

TSkShellFolder* TSkCustomShellComboBox::SelectedFolder() {
  return FolderOf(ItemIndex());
}

void TSkCustomShellComboBox::ClearItems() {
  for (int i = 0; i < ItemsEx()->Count(); ++i) delete FolderOf(i);
  ItemsEx()->Clear();
}

void TSkCustomShellComboBox::SetRoot(const TSkRoot& Value) {
  if (SameText(Value, root_)) return;
  oldRoot_ = root_;
  root_ = Value;
  RootChanged();
}

void TSkCustomShellComboBox::RootChanged() {
  if (busy_) return;
  BusyScope busy(busy_);
  Rebuild();
  if (tree_) tree_->SetRoot(root_);
  if (list_) list_->SetRoot(root_);
}

void TSkCustomShellComboBox::SetObjectTypes(TSkShellObjectTypes Value) {
  objectTypes_ = Value;
  if (busy_) return;
  BusyScope busy(busy_);
  Rebuild();
}

void TSkCustomShellComboBox::ApplyImages() {
  if (Images() && Images() != SharedShellSmallImages()) return;
  SetImages(useShellImages_ ? SharedShellSmallImages() : nullptr);
}

void TSkCustomShellComboBox::SetUseShellImages(bool Value) {
  useShellImages_ = Value;
  ApplyImages();
}

void TSkCustomShellComboBox::InsertFolder(int At, TSkShellFolder* Folder) {
  auto* item = static_cast<TSkComboItem*>(ItemsEx()->Insert(At));
  item->Data = Folder;
  item->SetCaption(Folder->DisplayName(seSystem));
  item->Indend = Folder->Level();
  item->ImageIndex = useShellImages_ ? ShellIconIndexOf(Folder->AbsoluteId(), false, false) : -1;
}

int TSkCustomShellComboBox::InsertChildren(int Index) {
  TSkShellFolder* parent = FolderOf(Index);
  IShellFolder* shell = parent ? parent->ShellFolder() : nullptr;
  if (!shell) return 0;
  ComPtr<IEnumIDList> e;
  const HRESULT hr = shell->EnumObjects(nullptr, EnumFlagsOf(objectTypes_), e.Put());
  if (FAILED(hr) || !e)
    throw Exception("Could not list the folder \"" + parent->DisplayName(seSystem) + "\"");
  std::vector<IdListPtr> ids;
  LPITEMIDLIST id = nullptr;
  ULONG fetched = 0;
  while (e->Next(1, &id, &fetched) == S_OK) ids.emplace_back(id);
  std::stable_sort(ids.begin(), ids.end(), [&](const IdListPtr& a, const IdListPtr& b) {
    return CompareResultOrder(shell->CompareIDs(0, a.Get(), b.Get())) < 0;
  });
  int at = Index + 1;
  for (const IdListPtr& child : ids) {
    ComPtr<IShellFolder> bound = BindShellFolder(shell, child.Get(), nullptr);
    InsertFolder(at++, new TSkShellFolder(parent, child.Get(), bound.Get()));
  }
  return int(ids.size());
}

int TSkCustomShellComboBox::IndexOfId(LPCITEMIDLIST Id, bool FromEnd) {
  const int n = ItemsEx()->Count();
  for (int k = 0; k < n; ++k) {
    const int i = FromEnd ? n - 1 - k : k;
    TSkShellFolder* f = FolderOf(i);
    if (f && SameIdList(f->AbsoluteId(), Id)) return i;
  }
  return -1;
}

void TSkCustomShellComboBox::Rebuild() {
  if (!HandleAllocated() || ComponentState().Contains(csDestroying)) return;
  ItemsEx()->BeginUpdate();
  try {
    ClearItems();
    rootFolder_ = MakeShellRootFolder(root_);
    InsertFolder(0, new TSkShellFolder(nullptr, rootFolder_->AbsoluteId(), rootFolder_->ShellFolder()));
    InsertChildren(0);
    // Only the exact default name shows the drives below "Computer".
    if (root_ == "rfDesktop") {
      IdListPtr drives;
      if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.Put())) && drives) {
        const int computer = IndexOfId(drives.Get(), true);
        if (computer >= 0) InsertChildren(computer);
      }
    }
  } catch (...) {
    ItemsEx()->EndUpdate();
    throw;
  }
  ItemsEx()->EndUpdate();
  if (ItemsEx()->Count() > 0) SendMessageW(WindowHandle(), CB_SETCURSEL, 0, 0);
  ApplyImages();
}

void TSkCustomShellComboBox::BuildPathTo(LPCITEMIDLIST Id) {
  Rebuild();
  ItemsEx()->BeginUpdate();
  const std::vector<IdListPtr> ancestors = AncestorIdLists(Id);
  int deepest = -1, at = -1;
  for (int k = int(ancestors.size()) - 1; k >= 0; --k)
    if ((at = IndexOfId(ancestors[size_t(k)].Get())) >= 0) {
      deepest = k;
      break;
    }
  auto addAfter = [&](LPCITEMIDLIST absolute) {
    TSkShellFolder* parent = FolderOf(at);
    if (!parent || !parent->ShellFolder()) return;
    const LPCITEMIDLIST last = ILFindLastID(absolute);
    ComPtr<IShellFolder> bound = BindShellFolder(parent->ShellFolder(), last, nullptr);
    InsertFolder(++at, new TSkShellFolder(parent, last, bound.Get()));
  };
  if (deepest >= 0) {
    for (size_t k = size_t(deepest) + 1; k < ancestors.size(); ++k) addAfter(ancestors[k].Get());
    if (IndexOfId(Id) < 0) addAfter(Id);
  }
  ItemsEx()->EndUpdate();
  const int target = IndexOfId(Id);
  if (target >= 0) SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(target), 0);
}

void TSkCustomShellComboBox::MoveToIdList(LPCITEMIDLIST Id) {
  if (busy_ || !Id || !HandleAllocated()) return;
  if (TSkShellFolder* sel = SelectedFolder(); sel && SameIdList(sel->AbsoluteId(), Id)) return;
  IdListPtr copy(ILClone(Id));
  BusyScope loading(loading_);
  BuildPathTo(copy.Get());
  TSkComboBoxEx::Change();
}

void TSkCustomShellComboBox::Select() {
  TSkComboBoxEx::Select();
  FollowSelection();
}

void TSkCustomShellComboBox::FollowSelection() {
  if (loading_ || busy_ || ItemsEx()->UpdateCount() > 0 || ItemIndex() < 0 || DroppedDown()) return;
  TSkShellFolder* f = SelectedFolder();
  if (!f) return;
  BusyScope busy(busy_);
  IdListPtr id(ILClone(f->AbsoluteId()));
  if (tree_) tree_->SelectItemIdList(id.Get());
  if (list_) list_->MoveToIdList(id.Get());
}

void TSkCustomShellComboBox::CreateWnd() {
  TSkComboBoxEx::CreateWnd();
  ApplyImages();
  if (ItemsEx()->Count() == 0 && !busy_) {
    try {
      Rebuild();
    } catch (const Exception&) {
      // A root that names nothing leaves the box empty.
    }
  }
}

void TSkCustomShellComboBox::DestroyWnd() {
  ClearItems();
  TSkComboBoxEx::DestroyWnd();
}

}  // namespace qv
