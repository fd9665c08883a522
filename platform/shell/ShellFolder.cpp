// IShellFolder over the three places. A file-system listing is read whole
// when the enumerator is made (a folder deleted later still enumerates what
// it held); entry kinds come from the directory entry, with a stat only for
// links and unknown kinds.
#include "platform/shell/ShellFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/Utf.h"
#include "platform/ole/GlobalMemory.h"
#include "platform/shell/ContextMenu.h"
#include "platform/shell/Mounts.h"

namespace qv {

namespace {

class TIdListEnum : public ComObject<IEnumIDList> {
 public:
  explicit TIdListEnum(std::shared_ptr<const std::vector<ShellEntry>> entries, std::size_t at = 0)
      : entries_(std::move(entries)), at_(at) {}

  HRESULT Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* fetched) override {
    if (!rgelt || (celt > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < celt && at_ < entries_->size()) {
      const ShellEntry& e = (*entries_)[at_++];
      LPITEMIDLIST item = MakeShellItem(e.Type, e.Flags, e.Name);
      if (!item) continue;  // a name too long for an item is skipped
      rgelt[n++] = item;
    }
    if (fetched) *fetched = n;
    return n == celt ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG celt) override {
    std::size_t left = entries_->size() - at_;
    at_ += std::min<std::size_t>(celt, left);
    return celt <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    at_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumIDList** out) override {
    if (!out) return E_POINTER;
    *out = new TIdListEnum(entries_, at_);
    return S_OK;
  }

 private:
  std::shared_ptr<const std::vector<ShellEntry>> entries_;
  std::size_t at_;
};

bool ListFolder(const std::string& path, DWORD flags, std::vector<ShellEntry>& out, HRESULT& hr) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) {
    hr = HResultFromErrno(errno);
    return false;
  }
  const int fd = ::dirfd(dir);
  const bool folders = flags & SHCONTF_FOLDERS, files = flags & SHCONTF_NONFOLDERS;
  const bool hidden = flags & SHCONTF_INCLUDEHIDDEN;
  while (dirent* e = ::readdir(dir)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    if (n[0] == '.' && !hidden) continue;
    bool isDir;
    if (e->d_type == DT_DIR) {
      isDir = true;
    } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st {};
      // A dangling link lists as a file.
      isDir = ::fstatat(fd, n, &st, 0) == 0 && S_ISDIR(st.st_mode);
    } else {
      isDir = false;
    }
    if (isDir ? !folders : !files) continue;
    out.push_back({isDir ? ShellItemType::Folder : ShellItemType::File, 0, n});
  }
  ::closedir(dir);
  return true;
}

bool IsUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();)
    if (DecodeUtf8(s, i) > 0x10FFFF) return false;
  return true;
}

HRESULT NewString(const std::string& text, STRRET* name) {
  // A name that is not UTF-8 keeps its bytes where they fit, so that a path
  // read back still names the same file.
  if (!IsUtf8(text) && text.size() < sizeof name->cStr) {
    name->uType = STRRET_CSTR;
    std::memcpy(name->cStr, text.c_str(), text.size() + 1);
    return S_OK;
  }
  WideString w = Utf8ToUtf16(text);
  auto* p = static_cast<char16_t*>(CoTaskMemAlloc((w.size() + 1) * sizeof(char16_t)));
  if (!p) return E_OUTOFMEMORY;
  std::memcpy(p, w.c_str(), (w.size() + 1) * sizeof(char16_t));
  name->uType = STRRET_WSTR;
  name->pOleStr = p;
  return S_OK;
}

std::u16string WideText(const char16_t* s) {
  return s ? std::u16string(s) : std::u16string();
}

// Rename that never replaces: renameat2 with RENAME_NOREPLACE; where the file
// system cannot do that, an existing target is refused before a plain rename.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

bool ListShellEntries(ShellPlace place, const std::string& path, DWORD flags, std::vector<ShellEntry>& out,
                      HRESULT& hr) {
  hr = S_OK;
  switch (place) {
    case ShellPlace::Desktop:
      if (flags & SHCONTF_FOLDERS) {
        out.push_back({ShellItemType::Computer, 0, ""});
        out.push_back({ShellItemType::Home, 0, HomeFolder()});
      }
      return true;
    case ShellPlace::Computer:
      if (flags & SHCONTF_FOLDERS)
        for (const DriveInfo& d : ListDrives())
          out.push_back({ShellItemType::Drive, uint8_t(d.Kind), d.MountPath});
      return true;
    case ShellPlace::FileSystem:
      return ListFolder(path, flags, out, hr);
  }
  return false;
}

namespace {
// How long disc facts read for a listing answer later requests: long enough
// for a control to ask every attribute of every item it adds, short enough
// that a change on disc shows at the next look.
constexpr auto kDiskFactsLife = std::chrono::seconds(2);
constexpr std::size_t kMaxRememberedChildren = 1 << 20;
// Listings with fewer folders (for the sub-folder answers) or items (for the
// disc facts) than this are answered one by one.
constexpr std::size_t kReadAheadItems = 64;
constexpr unsigned kReadAheadThreads = 4;
constexpr uint32_t kDiscBits = SFGAO_READONLY | SFGAO_CANCOPY | SFGAO_DROPTARGET | SFGAO_LINK |
                               SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;

// Runs work(i) for i in [0, count): this thread and helper threads (where
// they start) take the next run of items until none is left, so that a
// helper that starts late or runs slowly leaves its share to the others.
template <class Work>
void RunShared(std::size_t count, unsigned threads, Work work) {
  constexpr std::size_t kRun = 32;
  std::atomic<std::size_t> next{0};
  auto take = [&] {
    for (std::size_t at; (at = next.fetch_add(kRun, std::memory_order_relaxed)) < count;)
      for (std::size_t i = at; i < std::min(count, at + kRun); ++i) work(i);
  };
  std::vector<std::thread> helpers;
  try {
    for (unsigned t = 1; t < threads && t * kRun < count; ++t) helpers.emplace_back(take);
  } catch (const std::system_error&) {
    // No more threads: the ones that started and this one share the work.
  }
  take();
  for (std::thread& t : helpers) t.join();
}

}  // namespace

void TShellFolder::ForgetDiskFacts() {
  ownFacts_ = ShellParentFacts{};
  childFacts_.clear();
  listed_.reset();
  listedFacts_.clear();
  listedIndex_.clear();
  nextAsked_ = 0;
  listedFolders_ = 0;
  subFoldersAhead_ = discAhead_ = false;
  diskSince_ = std::chrono::steady_clock::now();
}

ShellDiskFacts* TShellFolder::KnownFacts(const std::string& name) {
  if (listed_ && !listed_->empty()) {
    const std::vector<ShellEntry>& entries = *listed_;
    if (listedFacts_.empty()) listedFacts_.resize(entries.size());
    // A view asks about its items in the listing's order: the entry after
    // the last one asked is tried before the names are indexed.
    std::size_t at = nextAsked_;
    if (at >= entries.size() || entries[at].Name != name) {
      if (listedIndex_.empty()) {
        listedIndex_.reserve(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) listedIndex_.emplace(entries[i].Name, i);
      }
      auto it = listedIndex_.find(name);
      at = it == listedIndex_.end() ? entries.size() : it->second;
    }
    if (at < entries.size()) {
      nextAsked_ = at + 1;
      return &listedFacts_[at];
    }
  }
  auto it = childFacts_.find(name);
  return it == childFacts_.end() ? nullptr : &it->second;
}

void TShellFolder::ReadListingAhead(bool subFolders, bool disc) {
  if (!listed_) return;
  if (listedFacts_.empty()) listedFacts_.resize(listed_->size());
  subFoldersAhead_ |= subFolders;
  discAhead_ |= disc;
  const std::vector<ShellEntry>& entries = *listed_;
  // What each entry still needs: its sub-folder answer (which reads a
  // folder's own facts with it) or its disc facts.
  enum Need : uint8_t { SubFolder, Disc };
  std::vector<std::size_t> todo;
  std::vector<Need> needs;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ShellDiskFacts& known = listedFacts_[i];
    if (subFolders && entries[i].Type == ShellItemType::Folder && known.HasSubFolder < 0) {
      todo.push_back(i);
      needs.push_back(SubFolder);
    } else if (disc && !known.Read) {
      todo.push_back(i);
      needs.push_back(Disc);
    }
  }
  const unsigned threads =
      unsigned(std::min<std::size_t>(kReadAheadThreads, std::max(1u, std::thread::hardware_concurrency())));
  const std::string folder = path_ == "/" ? path_ : path_ + "/";
  const int folderFd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // Each thread writes only the facts of the entries it took; the lock held
  // by the caller keeps every other reader out until all are joined.
  RunShared(todo.size(), threads, [&](std::size_t k) {
    const std::string& name = entries[todo[k]].Name;
    ShellDiskFacts& known = listedFacts_[todo[k]];
    if (needs[k] == Disc) {
      if (folderFd >= 0)
        ReadDiskFactsAt(folderFd, name, known);
      else
        ReadDiskFacts(folder + name, known);
      return;
    }
    ShellDiskFacts found;
    if (folderFd < 0 || !ReadSubFolderFactsAt(folderFd, name, found)) {
      const std::string path = folder + name;
      ReadDiskFacts(path, found);
      found.HasSubFolder = HasSubFolderOnDisc(path);
    }
    if (!known.Read) known = found;
    known.HasSubFolder = found.HasSubFolder;
  });
  if (folderFd >= 0) ::close(folderFd);
}

uint32_t TShellFolder::AttributesOf(LPCITEMIDLIST pidl, const ShellFacts& facts, uint32_t mask) {
  if (place_ != ShellPlace::FileSystem || ILNext(pidl)) return ShellAttributesOf(facts, mask);
  // What the type and name tell needs no disc facts (the tree asks the shared bit of every folder).
  if (!(mask & (kDiscBits | SFGAO_HASSUBFOLDER))) return ShellAttributesOf(facts, mask);
  std::lock_guard lock(diskLock_);
  if (std::chrono::steady_clock::now() - diskSince_ > kDiskFactsLife ||
      childFacts_.size() >= kMaxRememberedChildren)
    ForgetDiskFacts();
  ShellDiskFacts* known = KnownFacts(facts.Name);
  const bool subFolders = !subFoldersAhead_ && (mask & SFGAO_HASSUBFOLDER) &&
                          facts.Type == ShellItemType::Folder && listedFolders_ >= kReadAheadItems &&
                          (!known || known->HasSubFolder < 0);
  const bool disc = !discAhead_ && (mask & kDiscBits) && listed_ && listed_->size() >= kReadAheadItems &&
                    (!known || !known->Read);
  if (subFolders || disc) ReadListingAhead(subFolders, disc);
  // (The facts stay where they are: a listing's are sized before they are read ahead.)
  if (!known) known = &childFacts_[facts.Name];
  return ShellAttributesOf(facts, mask, known, &ownFacts_, &path_);
}

TShellFolder* TShellFolder::Create(ShellPlace place, const std::string& path) {
  return new TShellFolder(place, place == ShellPlace::FileSystem ? path : std::string());
}

bool TShellFolder::Resolve(LPCITEMIDLIST pidl, ShellFacts& out) const {
  return ResolveShellList(place_, path_, pidl, out);
}

HRESULT TShellFolder::ParseDisplayName(HWND, IBindCtx*, const char16_t* name, ULONG* eaten,
                                       LPITEMIDLIST* pidl, ULONG* attributes) {
  if (!pidl) return E_POINTER;
  *pidl = nullptr;
  if (!name) return E_INVALIDARG;
  std::u16string wide = name;
  std::string text = Utf16ToUtf8(wide);
  IdListPtr result;
  if (place_ == ShellPlace::Desktop) {
    result.Reset(ParseShellPath(text));
  } else if (place_ == ShellPlace::FileSystem && !text.empty() && text[0] != '/') {
    // A name relative to this folder: one item per part, each of which exists.
    IdListPtr absolute(ParseShellPath(path_ + "/" + text));
    IdListPtr own(ParseShellPath(path_));
    if (absolute && own) {
      LPCITEMIDLIST rest = absolute.Get();
      for (unsigned n = ILGetCount(own.Get()); n > 0 && rest; --n) rest = ILNext(rest);
      if (rest) result.Reset(ILClone(rest));
    }
  }
  if (!result) return HResultFromErrno(ENOENT);
  if (eaten) *eaten = ULONG(wide.size());
  if (attributes && *attributes) {
    ShellFacts facts;
    if (Resolve(result.Get(), facts)) *attributes = ShellAttributesOf(facts, *attributes);
  }
  *pidl = result.Release();
  return S_OK;
}

HRESULT TShellFolder::EnumObjects(HWND, DWORD flags, IEnumIDList** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  auto entries = std::make_shared<std::vector<ShellEntry>>();
  HRESULT hr = S_OK;
  if (!ListShellEntries(place_, path_, flags, *entries, hr)) return hr;
  if (place_ == ShellPlace::FileSystem) {
    // A new listing: what its items say of themselves is read afresh.
    std::lock_guard lock(diskLock_);
    ForgetDiskFacts();
    listed_ = entries;
    listedFolders_ = std::size_t(std::count_if(entries->begin(), entries->end(), [](const ShellEntry& e) {
      return e.Type == ShellItemType::Folder;
    }));
  }
  *out = new TIdListEnum(std::move(entries));
  return S_OK;
}

HRESULT TShellFolder::BindToObject(LPCITEMIDLIST pidl, IBindCtx*, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ShellFacts facts;
  if (ILIsEmpty(pidl) || !Resolve(pidl, facts)) return E_INVALIDARG;
  if (facts.Type == ShellItemType::File) return E_INVALIDARG;
  ComPtr<TShellFolder> folder = ComPtr<TShellFolder>::Adopt(facts.Type == ShellItemType::Computer
                                                                ? Create(ShellPlace::Computer, "")
                                                                : Create(ShellPlace::FileSystem, facts.Path));
  return folder->QueryInterface(iid, out);
}

HRESULT TShellFolder::BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT TShellFolder::CompareIDs(LPARAM, LPCITEMIDLIST a, LPCITEMIDLIST b) {
  if (!a || !b) return E_INVALIDARG;
  return MakeCompareResult(CompareShellLists(a, b));
}

HRESULT TShellFolder::CreateViewObject(HWND, REFIID, void** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT TShellFolder::GetAttributesOf(UINT count, const LPCITEMIDLIST* items, uint32_t* inOut) {
  if (!inOut) return E_POINTER;
  const uint32_t mask = *inOut ? *inOut : SFGAO_KNOWN;
  uint32_t result = mask;
  if (count == 0 || !items) {
    ShellFacts self;
    self.IsDesktop = place_ == ShellPlace::Desktop;
    self.Type = place_ == ShellPlace::Computer ? ShellItemType::Computer : ShellItemType::Folder;
    self.Path = path_;
    result = ShellAttributesOf(self, mask);
  }
  for (UINT i = 0; i < count && items; ++i) {
    ShellFacts facts;
    // An entry of this folder is resolved without its path: the attributes
    // join it only when they must ask the disc about it.
    const bool entry = place_ == ShellPlace::FileSystem && !ILNext(items[i]);
    if (!ResolveShellList(place_, path_, items[i], facts, !entry)) return E_INVALIDARG;
    result &= AttributesOf(items[i], facts, mask);
  }
  *inOut = result;
  return S_OK;
}

HRESULT TShellFolder::GetUIObjectOf(HWND, UINT count, const LPCITEMIDLIST* items, REFIID iid, UINT*,
                                    void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IContextMenu && iid != IID_IContextMenu2) return E_NOINTERFACE;
  ShellFacts facts;
  if (count != 1 || !items || !Resolve(items[0], facts)) return E_INVALIDARG;
  ComPtr<TShellContextMenu> menu = ComPtr<TShellContextMenu>::Adopt(new TShellContextMenu(facts));
  return menu->QueryInterface(iid, out);
}

HRESULT TShellFolder::GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD flags, STRRET* name) {
  if (!name) return E_POINTER;
  ShellFacts facts;
  // An entry's own name needs no path: a view asks it of every item it lists.
  if (!ResolveShellList(place_, path_, pidl, facts, false)) return E_INVALIDARG;
  const bool entry = facts.Type == ShellItemType::Folder || facts.Type == ShellItemType::File;
  const bool ownName = !(flags & SHGDN_FORPARSING) || (flags & SHGDN_INFOLDER);
  if (!(facts.IsDesktop || facts.Type == ShellItemType::Computer || (entry && ownName)) &&
      !Resolve(pidl, facts))
    return E_INVALIDARG;
  return NewString(ShellDisplayNameOf(facts, flags), name);
}

HRESULT TShellFolder::SetNameOf(HWND, LPCITEMIDLIST pidl, const char16_t* name, DWORD,
                                LPITEMIDLIST* newPidl) {
  if (newPidl) *newPidl = nullptr;
  ShellFacts facts;
  if (!Resolve(pidl, facts) || ILNext(pidl)) return E_INVALIDARG;
  if (facts.Type != ShellItemType::Folder && facts.Type != ShellItemType::File)
    return HResultFromErrno(EPERM);
  const std::string newName = Utf16ToUtf8(WideText(name));
  if (!IsValidEntryName(newName) || Utf8ToUtf16(newName) != WideText(name)) return E_INVALIDARG;
  if (newName != facts.Name) {
    const std::string folder = facts.Path.substr(0, facts.Path.size() - facts.Name.size());
    if (int err = RenameNoReplace(facts.Path, folder + newName)) return HResultFromErrno(err);
    std::lock_guard lock(diskLock_);
    // Both names are looked at afresh.
    if (ShellDiskFacts* known = KnownFacts(facts.Name)) *known = ShellDiskFacts{};
    if (ShellDiskFacts* known = KnownFacts(newName)) *known = ShellDiskFacts{};
  }
  if (newPidl) {
    *newPidl = MakeShellItem(facts.Type, 0, newName);
    if (!*newPidl) return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace qv
