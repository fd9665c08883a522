// The shell browser: folders enumerated through IShellFolder as the tree
// expands, items listed in the namespace's own order, icons by index into
// the system image list, and a path walked down the tree by its prefixes.
#include "demo/gallery/ShellBrowser.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Utf.h"
#include "platform/ole/GlobalMemory.h"

namespace qv::gallery {
namespace {

// The relative lists of a folder's items, in the folder's order (caller frees).
std::vector<LPITEMIDLIST> Enumerate(IShellFolder* folder, DWORD flags) {
  std::vector<LPITEMIDLIST> items;
  ComPtr<IEnumIDList> e;
  if (!folder || FAILED(folder->EnumObjects(nullptr, flags, e.Put())) || !e) return items;
  LPITEMIDLIST item = nullptr;
  while (e->Next(1, &item, nullptr) == S_OK) items.push_back(item);
  std::sort(items.begin(), items.end(), [folder](LPITEMIDLIST a, LPITEMIDLIST b) {
    return CompareResultOrder(folder->CompareIDs(0, a, b)) < 0;
  });
  return items;
}

std::string NameOf(IShellFolder* folder, LPCITEMIDLIST item) {
  STRRET name;
  if (FAILED(folder->GetDisplayNameOf(item, SHGDN_NORMAL, &name))) return {};
  return StrRetToString(name, item);
}

SHFILEINFOW InfoOf(LPCITEMIDLIST absolute, UINT flags) {
  SHFILEINFOW info;
  SHGetFileInfo(absolute, 0, &info, sizeof info, flags | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  return info;
}

// The first `count` items of an absolute list, as a new list.
LPITEMIDLIST ClonePrefix(LPCITEMIDLIST pidl, unsigned count) {
  LPITEMIDLIST copy = ILClone(pidl);
  auto* p = reinterpret_cast<uint8_t*>(copy);
  for (unsigned i = 0; i < count && ILItemSize(reinterpret_cast<LPCITEMIDLIST>(p)); ++i)
    p += ILItemSize(reinterpret_cast<LPCITEMIDLIST>(p));
  std::memset(p, 0, 2);
  return copy;
}

}  // namespace

TShellBrowser::TShellBrowser(TTreeView* Tree, TListView* List) : tree_(Tree), list_(List) {
  SHGetDesktopFolder(desktop_.Put());
  desktopPidl_ = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(2));
  std::memset(desktopPidl_, 0, 2);
  tree_->OnExpanding = [this](TObject*, TTreeNode* n, bool&) { Fill(n); };
  tree_->OnChange = [this](TObject*, TTreeNode* n) { ListFolder(n); };
  Fill(nullptr);
}

TShellBrowser::~TShellBrowser() {
  tree_->OnExpanding = nullptr;
  tree_->OnChange = nullptr;
  for (auto& [node, pidl] : pidls_) ILFree(pidl);
  ILFree(desktopPidl_);
}

LPCITEMIDLIST TShellBrowser::PidlOf(TTreeNode* Node) const {
  auto it = pidls_.find(Node);
  return it == pidls_.end() ? desktopPidl_ : it->second;
}

ComPtr<IShellFolder> TShellBrowser::FolderOf(TTreeNode* Node) {
  if (!Node) return desktop_;
  ComPtr<IShellFolder> folder;
  if (desktop_)
    desktop_->BindToObject(PidlOf(Node), nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder.Put()));
  return folder;
}

void TShellBrowser::Fill(TTreeNode* Node) {
  if (Node ? filled_[Node] : rootsFilled_) return;
  (Node ? filled_[Node] : rootsFilled_) = true;
  ComPtr<IShellFolder> folder = FolderOf(Node);
  if (!folder) {
    if (Node) Node->SetHasChildren(false);
    return;
  }
  tree_->Items()->BeginUpdate();
  for (LPITEMIDLIST item : Enumerate(folder.Get(), SHCONTF_FOLDERS)) {
    uint32_t attributes = SFGAO_HASSUBFOLDER;
    LPCITEMIDLIST items[] = {item};
    folder->GetAttributesOf(1, items, &attributes);
    LPITEMIDLIST absolute = ILCombine(PidlOf(Node), item);
    TTreeNode* child = tree_->Items()->AddChild(Node, NameOf(folder.Get(), item));
    pidls_[child] = absolute;
    child->SetImageIndex(InfoOf(absolute, 0).iIcon);
    child->SetSelectedIndex(InfoOf(absolute, SHGFI_OPENICON).iIcon);
    child->SetHasChildren(attributes & SFGAO_HASSUBFOLDER);
    ILFree(item);
  }
  tree_->Items()->EndUpdate();
}

void TShellBrowser::ListFolder(TTreeNode* Node) {
  TListItems* items = list_->Items();
  items->BeginUpdate();
  items->Clear();
  ComPtr<IShellFolder> folder = FolderOf(Node);
  for (LPITEMIDLIST item : Enumerate(folder.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS)) {
    LPITEMIDLIST absolute = ILCombine(PidlOf(Node), item);
    SHFILEINFOW info = InfoOf(absolute, SHGFI_TYPENAME);
    TListItem* row = items->Add();
    row->SetCaption(NameOf(folder.Get(), item));
    row->SetImageIndex(info.iIcon);
    row->SubItems()->Add(Utf16ToUtf8(std::u16string(info.szTypeName)));
    ILFree(absolute);
    ILFree(item);
  }
  items->EndUpdate();
  if (OnLog && Node) OnLog("Shell: " + Node->Text() + ", " + std::to_string(items->Count()) + " items");
}

TTreeNode* TShellBrowser::FindChild(TTreeNode* Parent, LPCITEMIDLIST Target) {
  Fill(Parent);
  TTreeNode* n = Parent ? Parent->GetFirstChild() : tree_->Items()->GetFirstNode();
  for (; n; n = n->getNextSibling())
    if (CompareResultOrder(desktop_->CompareIDs(0, PidlOf(n), Target)) == 0) return n;
  return nullptr;
}

bool TShellBrowser::ShowPath(const std::string& Path) {
  LPITEMIDLIST target = nullptr;
  std::u16string name = Utf8ToUtf16(Path);
  if (!desktop_ ||
      FAILED(desktop_->ParseDisplayName(nullptr, nullptr, name.c_str(), nullptr, &target, nullptr)))
    return false;
  TTreeNode* node = nullptr;
  unsigned count = ILGetCount(target);
  for (unsigned i = 1; i <= count; ++i) {
    LPITEMIDLIST prefix = ClonePrefix(target, i);
    TTreeNode* child = FindChild(node, prefix);
    ILFree(prefix);
    if (!child) break;
    node = child;
  }
  bool found = node && CompareResultOrder(desktop_->CompareIDs(0, PidlOf(node), target)) == 0;
  ILFree(target);
  if (!found) return false;
  node->MakeVisible();
  tree_->SetSelected(node);
  return true;
}

}  // namespace qv::gallery
