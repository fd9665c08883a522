// The shell list view: filling from the root folder with the mask, the rows
// handed out on demand, the detail columns, navigation, verbs, refresh and
// the links to the folder tree and the shell combo box.
#include "skin/controls/skShellListView.h"

#include <unistd.h>

#include <algorithm>

#include "classlib/SysUtils.h"
#include "classlib/controls/Screen.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/Names.h"
#include "platform/Utf.h"
#include "platform/shell/SystemIcons.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skShellComboBox.h"

namespace qv {

namespace {

class BusyScope {
 public:
  explicit BusyScope(bool& Flag) : flag_(Flag) { flag_ = true; }
  ~BusyScope() { flag_ = false; }

 private:
  bool& flag_;
};

class HourglassScope {
 public:
  HourglassScope() : saved_(Screen->Cursor()) { Screen->SetCursor(crHourGlass); }
  ~HourglassScope() { Screen->SetCursor(saved_); }

 private:
  TCursor saved_;
};

// A file's extension from its path: after the last dot of its name, upper case.
std::string UpperExtension(const std::string& Path) {
  const size_t slash = Path.find_last_of('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = Path.find_last_of('.');
  if (dot == std::string::npos || dot < base) return {};
  return UpperCase(Path.substr(dot + 1));
}

void CopyText(const std::string& Text, char16_t* Out, int Capacity) {
  if (!Out || Capacity <= 0) return;
  const std::u16string w = Utf8ToUtf16(Text);
  const size_t n = std::min(w.size(), size_t(Capacity - 1));
  std::copy(w.begin(), w.begin() + long(n), Out);
  Out[n] = 0;
}

TImageList* SharedSystemList(TComponent* Owner, bool Small) {
  auto* list = new TImageList(Owner);
  list->ShareImages = true;
  list->SetHandle(ShellImageList(Small));
  return list;
}

}  // namespace

TSkCustomShellListView::TSkCustomShellListView(TComponent* AOwner) : TSkCustomListView(AOwner) {
  smallImages_ = SharedSystemList(this, true);
  largeImages_ = SharedSystemList(this, false);
  SetOwnerData(true);
  SetHideSelection(false);
}

TSkCustomShellListView::~TSkCustomShellListView() {
  Destroying();
  delete notifier_;
  notifier_ = nullptr;
  if (tree_) tree_->RemoveFreeNotification(this);
  if (combo_) combo_->RemoveFreeNotification(this);
  ClearFolders();
}

void TSkCustomShellListView::Loaded() {
  TSkCustomListView::Loaded();
  SetAutoRefresh(autoRefresh_);
}

void TSkCustomShellListView::Notification(TComponent* AComponent, TOperation Operation) {
  TSkCustomListView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == tree_) tree_ = nullptr;
  if (AComponent == combo_) combo_ = nullptr;
}

void TSkCustomShellListView::SetShellTreeView(TSkCustomShellTreeView* Value) {
  if (tree_ == Value) return;
  if (tree_) tree_->RemoveFreeNotification(this);
  tree_ = Value;
  if (tree_) {
    tree_->FreeNotification(this);
    if (tree_->ShellListView() != this) tree_->SetShellListView(this);
  }
}

void TSkCustomShellListView::SetShellComboBox(TSkCustomShellComboBox* Value) {
  if (combo_ == Value) return;
  if (combo_) combo_->RemoveFreeNotification(this);
  combo_ = Value;
  if (combo_) {
    combo_->FreeNotification(this);
    if (combo_->ShellListView() != this) combo_->SetShellListView(this);
  }
}

void TSkCustomShellListView::ClearFolders() {
  folders_.clear();
}

TSkShellFolder* TSkCustomShellListView::Folders(int Index) const {
  return Index >= 0 && Index < int(folders_.size()) ? folders_[size_t(Index)].get() : nullptr;
}

TSkShellFolder* TSkCustomShellListView::SelectedFolder() const {
  TListItem* sel = Selected();
  return sel ? Folders(sel->Index()) : nullptr;
}

void TSkCustomShellListView::SetRoot(const TSkRoot& Value) {
  if (SameText(Value, root_)) return;
  oldRoot_ = root_;
  root_ = Value;
  if (!HandleAllocated() || ComponentState().Contains(csLoading)) return;
  try {
    rootFolder_ = MakeShellRootFolder(root_);
  } catch (const Exception&) {
    root_ = oldRoot_;
    throw;
  }
  setFromRoot_ = true;
  RootChanged();
}

void TSkCustomShellListView::MoveToIdList(LPCITEMIDLIST Id) {
  if (busy_ || !Id) return;
  if (rootFolder_ && SameIdList(rootFolder_->AbsoluteId(), Id)) return;
  // A copy first: Id may belong to the folder that is about to be replaced.
  IdListPtr copy(ILClone(Id));
  ComPtr<IShellFolder> folder = BindShellFolder(DesktopShellFolder(), copy.Get(), nullptr);
  if (!folder) folder = ComPtr<IShellFolder>(DesktopShellFolder());
  rootFolder_ = std::make_unique<TSkShellFolder>(nullptr, copy.Get(), folder.Get());
  setFromRoot_ = false;
  RootChanged();
}

void TSkCustomShellListView::RootChanged() {
  if (busy_) return;
  BusyScope busy(busy_);
  const bool refresh = autoRefresh_;
  SetAutoRefresh(false);
  if (setFromRoot_) {
    if (tree_) tree_->SetRoot(root_);
    if (combo_) combo_->SetRoot(root_);
  } else if (rootFolder_) {
    if (tree_) tree_->SelectItemIdList(rootFolder_->AbsoluteId());
    if (combo_) combo_->MoveToIdList(rootFolder_->AbsoluteId());
  }
  Fill();
  if (ViewStyle() == vsReport) RebuildColumns();
  SetAutoRefresh(refresh);
}

void TSkCustomShellListView::SetObjectTypes(TSkShellObjectTypes Value) {
  objectTypes_ = Value;
  if (HandleAllocated()) Fill();
}

void TSkCustomShellListView::SetMask(const std::string& Value) {
  mask_ = Value;
  maskWords_.clear();
  std::string word;
  for (char c : Value + ";") {
    if (c == '*' || c == '.' || c == ';') {
      if (!word.empty()) maskWords_.push_back(UpperCase(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (HandleAllocated()) Fill();
}

bool TSkCustomShellListView::Accepts(TSkShellFolder* Folder) {
  bool canAdd = true;
  if (!maskWords_.empty() && !Folder->IsFolder("", true)) {
    const std::string ext = UpperExtension(Folder->ParsingPath());
    canAdd = std::find(maskWords_.begin(), maskWords_.end(), ext) != maskWords_.end();
  }
  if (OnAddFolder) OnAddFolder(this, Folder, canAdd);
  return canAdd;
}

void TSkCustomShellListView::Fill() {
  if (!HandleAllocated() || !rootFolder_) return;
  HourglassScope hourglass;
  SkinData()->BeginUpdate();
  Items()->BeginUpdate();
  ClearFolders();
  Items()->SetCount(0);
  ComPtr<IEnumIDList> e;
  IShellFolder* shell = rootFolder_->ShellFolder();
  if (shell && shell->EnumObjects(nullptr, EnumFlagsOf(objectTypes_), e.Put()) == S_OK && e) {
    LPITEMIDLIST id = nullptr;
    ULONG fetched = 0;
    while (e->Next(1, &id, &fetched) == S_OK) {
      IdListPtr owned(id);
      ComPtr<IShellFolder> bound = BindShellFolder(shell, owned.Get(), nullptr);
      auto folder = std::make_unique<TSkShellFolder>(rootFolder_.get(), owned.Get(), bound.Get());
      if (Accepts(folder.get())) folders_.push_back(std::move(folder));
    }
  }
  if (Sorted) {
    // Folders first, then the shell's own order.
    std::vector<std::pair<bool, TSkShellFolder*>> keyed;
    keyed.reserve(folders_.size());
    for (auto& f : folders_) keyed.emplace_back(f->IsFolder("", true), f.get());
    std::vector<size_t> order(folders_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      if (keyed[a].first != keyed[b].first) return keyed[a].first;
      return CompareResultOrder(
                 shell->CompareIDs(0, keyed[a].second->RelativeId(), keyed[b].second->RelativeId())) < 0;
    });
    std::vector<std::unique_ptr<TSkShellFolder>> sorted;
    sorted.reserve(folders_.size());
    for (size_t i : order) sorted.push_back(std::move(folders_[i]));
    folders_.swap(sorted);
  }
  Items()->SetCount(int(folders_.size()));
  Items()->EndUpdate();
  SkinData()->EndUpdate();
  UpdateScrollBars();
  Invalidate();
}

void TSkCustomShellListView::RebuildColumns() {
  Columns()->BeginUpdate();
  Columns()->Clear();
  const int x = std::max(1, StringWidth("X"));
  auto add = [&](const char* caption, int chars, TAlignment align) {
    TListColumn* c = Columns()->Add();
    c->SetCaption(caption);
    c->SetWidth(chars * x);
    c->SetAlignment(align);
  };
  const bool fileSystem = rootFolder_ && rootFolder_->Properties().Contains(prFileSys);
  add("Name", 25, taLeftJustify);
  if (fileSystem) {
    add("Size", 10, taRightJustify);
    add("Type", 10, taLeftJustify);
    add("Modified", 14, taLeftJustify);
  }
  Columns()->EndUpdate();
}

void TSkCustomShellListView::GetDisplayInfo(NMLVDISPINFOW* Info) {
  TSkShellFolder* f = Folders(Info->item.iItem);
  if (!f) return;
  if (Info->item.mask & LVIF_TEXT) {
    std::string text;
    if (Info->item.iSubItem == 0) {
      text = f->DisplayName(ShowExt);
    } else {
      try {
        f->LoadColumnDetails(rootFolder_.get(), WindowHandle(), std::max(0, Columns()->Count() - 1));
        text = f->Details(Info->item.iSubItem);
      } catch (const Exception&) {
        text.clear();  // an item that vanished shows no details
      }
    }
    CopyText(text, Info->item.pszText, Info->item.cchTextMax);
  }
  if (Info->item.mask & LVIF_IMAGE) Info->item.iImage = f->ImageIndex(ViewStyle() == vsIcon);
}

int TSkCustomShellListView::FindRow(const std::string& Text, int Start, bool Wrap) const {
  const int n = int(folders_.size());
  if (n == 0) return -1;
  int i = std::clamp(Start, 0, n);
  for (int seen = 0; seen < n; ++seen, ++i) {
    if (i >= n) {
      if (!Wrap) return -1;
      i = 0;
    }
    if (StartsWithFolded(folders_[size_t(i)]->DisplayName(ShowExt), Text)) return i;
  }
  return -1;
}

void TSkCustomShellListView::Refresh() {
  if (!rootFolder_) return;
  const int selected = Selected() ? Selected()->Index() : -1;
  SetSelected(nullptr);
  // The root is copied before the folder object that holds it goes.
  IdListPtr root(ILClone(rootFolder_->AbsoluteId()));
  rootFolder_.reset();
  MoveToIdList(root.Get());
  if (selected >= 0 && selected < Items()->Count()) SetItemIndex(selected);
}

void TSkCustomShellListView::SetAutoRefresh(bool Value) {
  autoRefresh_ = Value;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) return;
  delete notifier_;
  notifier_ = nullptr;
  if (!Value || !rootFolder_) return;
  notifier_ = new TSkShellChangeNotifier(this);
  notifier_->SetSubComponent(true);
  notifier_->SetWatchSubTree(false);
  notifier_->SetRoot(rootFolder_->ParsingPath());
  notifier_->SetOnChange([this] { Refresh(); });
}

void TSkCustomShellListView::CreateWnd() {
  TSkCustomListView::CreateWnd();
  SetSmallImages(smallImages_);
  SetLargeImages(largeImages_);
  try {
    if (!rootFolder_) rootFolder_ = MakeShellRootFolder(root_);
    RootChanged();
  } catch (const Exception&) {
    // A root that names nothing leaves the list empty.
  }
}

void TSkCustomShellListView::DestroyWnd() {
  ClearFolders();
  TSkCustomListView::DestroyWnd();
}

void TSkCustomShellListView::OpenRow(int Row, bool ByEnter) {
  TSkShellFolder* f = Folders(Row);
  if (!f) return;
  if (f->IsFolder("", true)) {
    MoveToIdList(f->AbsoluteId());
    return;
  }
  const std::string path = f->ParsingPath();
  if (ByEnter) {
    RunShellVerb(f, "open");
  } else {
    // Opened with the normal show command, in its own folder.
    ShellExecuteUtf8(WindowHandle(), "", path, ExtractFilePath(path), 1);
  }
}

void TSkCustomShellListView::GoUp() {
  if (!rootFolder_) return;
  const LPCITEMIDLIST id = rootFolder_->AbsoluteId();
  if (ILIsEmpty(id)) return;
  IdListPtr parent(ILClone(id));
  ILRemoveLastID(parent.Get());
  MoveToIdList(parent.Get());
}

void TSkCustomShellListView::KeyDown(WORD& Key, TShiftState Shift) {
  TSkCustomListView::KeyDown(Key, Shift);
  if (!AutoNavigate || Key == 0) return;
  switch (Key) {
    case VK_RETURN:
      if (!Selected()) break;
      if (Shift.Contains(ssAlt)) {
        if (TSkShellFolder* f = SelectedFolder()) RunShellVerb(f, "properties");
      } else {
        OpenRow(Selected()->Index(), true);
      }
      Key = 0;
      break;
    case VK_BACK:
      if (!IsEditing()) {
        GoUp();
        Key = 0;
      }
      break;
    case VK_F5:
      Refresh();
      Key = 0;
      break;
    default:
      break;
  }
}

void TSkCustomShellListView::Edit(const LVITEMW& Item) {
  TSkShellFolder* f = Folders(Item.iItem);
  if (!f || !Item.pszText) return;
  std::string s = Utf16ToUtf8(Item.pszText);
  if (OnEdited) {
    TListItem* item = Items()->Item(Item.iItem);
    OnEdited(this, item, s);
  }
  if (f->Rename(s) && HandleAllocated())
    SendMessageW(WindowHandle(), LVM_REDRAWITEMS, WPARAM(Item.iItem), LPARAM(Item.iItem));
}

bool TSkCustomShellListView::DoContextPopup(POINT At) {
  if (AutoContextMenus && SelectedFolder()) {
    ShowShellContextMenu(this, SelectedFolder(), At);
    return true;
  }
  return TSkCustomListView::DoContextPopup(At);
}

void TSkCustomShellListView::VerbStarting(const std::string& Verb, bool& Handled) {
  if (SameText(Verb, "rename") && Selected()) {
    Selected()->EditCaption();
    Handled = true;
  } else if (SameText(Verb, "open") && SelectedFolder()) {
    char cwd[4096];
    savedDirectory_ = ::getcwd(cwd, sizeof(cwd)) ? cwd : "";
    const std::string folder = ExtractFilePath(SelectedFolder()->ParsingPath());
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) savedDirectory_.clear();
  }
}

void TSkCustomShellListView::VerbDone(const std::string& Verb, bool Succeeded) {
  if (SameText(Verb, "open") && !savedDirectory_.empty()) {
    if (::chdir(savedDirectory_.c_str()) != 0) {
      // The old folder is gone; the process stays where it is.
    }
    savedDirectory_.clear();
  }
  if (Succeeded && (SameText(Verb, "delete") || SameText(Verb, "paste"))) Refresh();
}

void TSkCustomShellListView::WndProc(TMessage& M) {
  if (M.Msg == WM_DRAWITEM || M.Msg == WM_MEASUREITEM || M.Msg == WM_INITMENUPOPUP || M.Msg == WM_MENUCHAR) {
    if (IContextMenu2* menu = ActiveShellMenu()) menu->HandleMenuMsg(M.Msg, M.WParam, M.LParam);
  }
  if (M.Msg == CN_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(M.LParam);
    switch (hdr->code) {
      case LVN_GETDISPINFOW:
        GetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(M.LParam));
        return;
      case LVN_ODFINDITEMW: {
        auto* f = reinterpret_cast<NMLVFINDITEMW*>(M.LParam);
        M.Result = -1;
        if ((f->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && f->lvfi.psz)
          M.Result = FindRow(Utf16ToUtf8(f->lvfi.psz), f->iStart, f->lvfi.flags & LVFI_WRAP);
        return;
      }
      case NM_DBLCLK:
        if (AutoNavigate && Selected()) {
          OpenRow(Selected()->Index(), false);
          return;
        }
        break;
      default:
        break;
    }
  }
  TSkCustomListView::WndProc(M);
  if (M.Msg == WM_STYLECHANGED && HandleAllocated() && ViewStyle() == vsReport &&
      !ComponentState().Contains(csDestroying))
    RebuildColumns();
}

}  // namespace qv
