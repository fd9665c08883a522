// The folder objects of the namespace: the desktop, "Computer" and every
// file-system folder, each an IShellFolder; and the enumerator of their items.
#pragma once
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/shell/DiskFacts.h"
#include "platform/shell/ShellApi.h"
#include "platform/shell/ShellItems.h"

namespace qv {

// One entry of a listing: enough to make its item.
struct ShellEntry {
  ShellItemType Type;
  uint8_t Flags;
  std::string Name;
};

class TShellFolder : public ComObject<IShellFolder> {
 public:
  // A new folder object with one reference.
  static TShellFolder* Create(ShellPlace place, const std::string& path);

  ShellPlace Place() const { return place_; }
  const std::string& Path() const { return path_; }

  HRESULT ParseDisplayName(HWND owner, IBindCtx* bc, const char16_t* name, ULONG* eaten, LPITEMIDLIST* pidl,
                           ULONG* attributes) override;
  HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** out) override;
  HRESULT BindToObject(LPCITEMIDLIST pidl, IBindCtx* bc, REFIID iid, void** out) override;
  HRESULT BindToStorage(LPCITEMIDLIST pidl, IBindCtx* bc, REFIID iid, void** out) override;
  HRESULT CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) override;
  HRESULT CreateViewObject(HWND owner, REFIID iid, void** out) override;
  HRESULT GetAttributesOf(UINT count, const LPCITEMIDLIST* items, uint32_t* inOut) override;
  HRESULT GetUIObjectOf(HWND owner, UINT count, const LPCITEMIDLIST* items, REFIID iid, UINT* reserved,
                        void** out) override;
  HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD flags, STRRET* name) override;
  HRESULT SetNameOf(HWND owner, LPCITEMIDLIST pidl, const char16_t* name, DWORD flags,
                    LPITEMIDLIST* newPidl) override;

 private:
  TShellFolder(ShellPlace place, std::string path) : place_(place), path_(std::move(path)) {}
  bool Resolve(LPCITEMIDLIST pidl, ShellFacts& out) const;
  // The attributes of one item; a direct child shares its disc facts with the
  // other requests about it until the folder is listed again or a moment passed.
  uint32_t AttributesOf(LPCITEMIDLIST pidl, const ShellFacts& facts, uint32_t mask);
  void ForgetDiskFacts();
  // Reads, on several threads and relative to the folder, what the items of
  // the last listing will be asked next: the sub-folder answer of its folders
  // (subFolders) and the disc facts of every item (disc).
  void ReadListingAhead(bool subFolders, bool disc);
  // The facts kept for a child's name: its place in the listing's facts, or
  // what was kept for another name; null when there are none.
  ShellDiskFacts* KnownFacts(const std::string& name);

  const ShellPlace place_;
  const std::string path_;  // FileSystem only
  // Disc facts of this folder and of its children, read for one listing.
  std::mutex diskLock_;
  std::chrono::steady_clock::time_point diskSince_;
  ShellParentFacts ownFacts_;
  // The items of the last listing, whose sub-folder answers and disc facts
  // are read together (ReadListingAhead) at the first question that needs
  // one of them; each kind once per listing. Their facts are kept by their
  // place in the listing (listedFacts_; the names are indexed at the first
  // question out of the listing's order), those of other names asked about
  // in childFacts_.
  std::shared_ptr<const std::vector<ShellEntry>> listed_;
  std::vector<ShellDiskFacts> listedFacts_;
  std::unordered_map<std::string_view, std::size_t> listedIndex_;  // names held by listed_
  std::size_t nextAsked_ = 0;                                      // the entry after the last one asked
  std::unordered_map<std::string, ShellDiskFacts> childFacts_;
  std::size_t listedFolders_ = 0;
  bool subFoldersAhead_ = false, discAhead_ = false;
};

// Lists the items of a folder object for SHCONTF flags; false (with errno's
// result in hr) when the folder cannot be read.
bool ListShellEntries(ShellPlace place, const std::string& path, DWORD flags, std::vector<ShellEntry>& out,
                      HRESULT& hr);

}  // namespace qv
