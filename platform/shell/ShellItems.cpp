// Item facts: resolution of item-id lists, attributes (computed only for the
// bits asked for, so a listing that wants cheap bits never stats), display
// names and the namespace's order.
#include "platform/shell/ShellItems.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/Names.h"
#include "platform/shell/DiskFacts.h"
#include "platform/shell/Mounts.h"
#include "platform/shell/ShellApi.h"

namespace qv {

namespace {

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string p = folder;
  if (p.empty() || p.back() != '/') p += '/';
  p.append(name.data(), name.size());
  return p;
}

// JoinPath in place: a list of many levels grows one string.
void AppendPart(std::string& path, std::string_view name) {
  if (path.empty() || path.back() != '/') path += '/';
  path.append(name.data(), name.size());
}

// What NormalizeAbsolutePath accepts, without making the path.
bool IsAbsolute(std::string_view path) {
  return !path.empty() && path[0] == '/';
}

// IsValidEntryName on the name of a decoded item, which holds no zero byte.
bool IsEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

std::string ParentPath(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsFileSystemType(ShellItemType t) {
  return t == ShellItemType::Home || t == ShellItemType::Drive || t == ShellItemType::Folder ||
         t == ShellItemType::File;
}

bool IsFolderType(ShellItemType t) {
  return t != ShellItemType::File;
}

uint32_t TypeAttributes(const ShellFacts& item) {
  uint32_t a = 0;
  if (item.IsDesktop) return SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSANCESTOR;
  if (IsFolderType(item.Type)) a |= SFGAO_FOLDER;
  if (IsFileSystemType(item.Type)) a |= SFGAO_FILESYSTEM;
  if (item.Type != ShellItemType::File) a |= SFGAO_FILESYSANCESTOR;
  if (item.Type == ShellItemType::Computer || item.Type == ShellItemType::Drive) a |= SFGAO_HASSUBFOLDER;
  if (item.Type == ShellItemType::Drive &&
      (item.Kind == DriveKind::Removable || item.Kind == DriveKind::Optical))
    a |= SFGAO_REMOVABLE;
  if ((item.Type == ShellItemType::Folder || item.Type == ShellItemType::File) && !item.Name.empty() &&
      item.Name[0] == '.')
    a |= SFGAO_HIDDEN;
  return a;
}

std::string DriveNameOf(const ShellFacts& item) {
  DriveInfo d;
  if (!FindDrive(item.Path, d)) {
    d.MountPath = item.Path;
    d.Kind = item.Kind;
  }
  return DriveDisplayName(d);
}

int TypeRank(const ShellItem& i) {
  return int(i.Type);  // Computer < Home < Drive < Folder < File
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  std::string h = home && home[0] == '/' ? NormalizeAbsolutePath(home) : std::string();
  if (h.empty())
    if (passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
      h = NormalizeAbsolutePath(pw->pw_dir);
  return h.empty() ? "/" : h;
}

bool IsValidEntryName(const std::string& name) {
  return IsEntryName(name) && name.find('\0') == std::string::npos;
}

std::string NormalizeAbsolutePath(const std::string& path) {
  if (path.empty() || path[0] != '/') return "";
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string part = path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    i = j + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

bool ResolveShellList(ShellPlace place, const std::string& placePath, LPCITEMIDLIST pidl, ShellFacts& out,
                      bool withPath) {
  out = ShellFacts{};
  if (!pidl) return false;
  if (ILIsEmpty(pidl)) {
    if (place != ShellPlace::Desktop) return false;
    out.IsDesktop = true;
    return true;
  }
  std::string path = withPath ? placePath : std::string();
  // Every level is checked; only the last one's name is kept.
  std::string_view name;
  for (LPCITEMIDLIST p = pidl; p; p = ILNext(p)) {
    ShellItem item;
    if (!ReadShellItem(p, item)) return false;
    out.Type = item.Type;
    name = item.Name;
    switch (item.Type) {
      case ShellItemType::Computer:
        if (place != ShellPlace::Desktop) return false;
        place = ShellPlace::Computer;
        break;
      case ShellItemType::Home:
        if (place != ShellPlace::Desktop || !IsAbsolute(name)) return false;
        place = ShellPlace::FileSystem;
        if (withPath) path = NormalizeAbsolutePath(std::string(name));
        break;
      case ShellItemType::Drive:
        if (place != ShellPlace::Computer || !IsAbsolute(name)) return false;
        place = ShellPlace::FileSystem;
        if (withPath) path = NormalizeAbsolutePath(std::string(name));
        if (item.Flags > uint8_t(DriveKind::Network)) return false;
        out.Kind = DriveKind(item.Flags);
        break;
      case ShellItemType::Folder:
      case ShellItemType::File:
        if (place != ShellPlace::FileSystem || !IsEntryName(name)) return false;
        if (withPath) AppendPart(path, name);
        // A file has no children.
        if (item.Type == ShellItemType::File && ILNext(p)) return false;
        break;
    }
  }
  out.Name.assign(name.data(), name.size());
  if (withPath && IsFileSystemType(out.Type)) out.Path = std::move(path);
  return true;
}

uint32_t ShellAttributesOf(const ShellFacts& item, uint32_t mask, ShellDiskFacts* disk,
                           ShellParentFacts* parent, const std::string* folder) {
  if (mask == 0) mask = SFGAO_KNOWN;
  uint32_t a = TypeAttributes(item) & mask;
  if (item.IsDesktop || !IsFileSystemType(item.Type)) return a;
  ShellDiskFacts ownDisk;
  ShellParentFacts ownParent;
  // A folder listing shares its own facts among its items: one statvfs for
  // the folder instead of one per item.
  const bool sharedParent = parent != nullptr;
  if (!disk) disk = &ownDisk;
  if (!parent) parent = &ownParent;
  // The path is joined only when the disc is asked something that was not read before.
  std::string joined;
  auto path = [&]() -> const std::string& {
    if (!item.Path.empty() || !folder) return item.Path;
    if (joined.empty()) {
      joined = *folder;
      AppendPart(joined, item.Name);
    }
    return joined;
  };
  const bool isEntry = item.Type == ShellItemType::Folder || item.Type == ShellItemType::File;
  if ((mask & SFGAO_HASSUBFOLDER) &&
      (item.Type == ShellItemType::Home || item.Type == ShellItemType::Folder)) {
    if (disk->HasSubFolder < 0) disk->HasSubFolder = HasSubFolderOnDisc(path());
    if (disk->HasSubFolder) a |= SFGAO_HASSUBFOLDER;
  }
  const uint32_t diskBits = SFGAO_READONLY | SFGAO_CANCOPY | SFGAO_DROPTARGET | SFGAO_LINK;
  const uint32_t changeBits = SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;
  if (!(mask & (diskBits | changeBits))) return a;
  if (!disk->Read) ReadDiskFacts(path(), *disk);
  const bool followed = disk->Followed;
  if (mask & (SFGAO_READONLY | SFGAO_DROPTARGET)) {
    bool writable = followed && ModeAllows(disk->St, W_OK);
    if (writable) {
      // The file system's read-only mount: the folder's answer for an item on its device.
      if (sharedParent && isEntry && !parent->Read) ReadParentFacts(ParentPath(path()), *parent);
      if (parent->Read && parent->Exists && disk->OwnDev == parent->Dev) {
        writable = !parent->ReadOnlyFs;
      } else {
        if (disk->ReadOnlyFs < 0) disk->ReadOnlyFs = IsOnReadOnlyFs(path());
        writable = !disk->ReadOnlyFs;
      }
    }
    if ((mask & SFGAO_READONLY) && !writable) a |= SFGAO_READONLY;
    if ((mask & SFGAO_DROPTARGET) && item.Type != ShellItemType::File && writable) a |= SFGAO_DROPTARGET;
  }
  if ((mask & SFGAO_CANCOPY) && followed && ModeAllows(disk->St, R_OK)) a |= SFGAO_CANCOPY;
  if ((mask & SFGAO_LINK) && disk->IsLink) a |= SFGAO_LINK;
  if ((mask & changeBits) && isEntry && disk->Exists) {
    if (!parent->Read) ReadParentFacts(ParentPath(path()), *parent);
    // A mount point lies on another device than its folder and cannot move.
    if (parent->Exists && parent->Writable && disk->OwnDev == parent->Dev) a |= mask & changeBits;
  }
  return a;
}

std::string ShellDisplayNameOf(const ShellFacts& item, uint32_t flags) {
  const bool parsing = flags & SHGDN_FORPARSING;
  const bool inFolder = flags & SHGDN_INFOLDER;
  if (item.IsDesktop) return parsing ? kDesktopParsingName : "Desktop";
  switch (item.Type) {
    case ShellItemType::Computer:
      return parsing ? kComputerParsingName : "Computer";
    case ShellItemType::Home:
      return parsing ? item.Path : "Home";
    case ShellItemType::Drive:
      if (parsing) return item.Path == "/" ? item.Path : item.Path + "/";
      return DriveNameOf(item);
    case ShellItemType::Folder:
    case ShellItemType::File:
      return parsing && !inFolder ? item.Path : item.Name;
  }
  return item.Name;
}

int CompareShellLists(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  for (;;) {
    const bool endA = ILIsEmpty(a), endB = ILIsEmpty(b);
    if (endA || endB) return endA == endB ? 0 : endA ? -1 : 1;
    ShellItem x, y;
    const bool okX = ReadShellItem(a, x), okY = ReadShellItem(b, y);
    if (!okX || !okY) {
      // Damaged items order after ours, and among themselves by their bytes.
      if (okX != okY) return okX ? -1 : 1;
      unsigned sa = ILItemSize(a), sb = ILItemSize(b);
      int r = std::string_view(reinterpret_cast<const char*>(a), sa)
                  .compare(std::string_view(reinterpret_cast<const char*>(b), sb));
      if (r) return r < 0 ? -1 : 1;
    } else {
      if (TypeRank(x) != TypeRank(y)) return TypeRank(x) < TypeRank(y) ? -1 : 1;
      if (x.Type == ShellItemType::Drive && (x.Name == "/") != (y.Name == "/")) return x.Name == "/" ? -1 : 1;
      if (int r = CompareStoredNames(x.Name, y.Name)) return r < 0 ? -1 : 1;
    }
    a = ILNext(a);
    b = ILNext(b);
  }
}

LPITEMIDLIST ParseShellPath(const std::string& text) {
  if (text == kDesktopParsingName) return ILCombine(nullptr, nullptr);
  if (text == kComputerParsingName) return MakeShellItem(ShellItemType::Computer, 0, "");
  std::string path = NormalizeAbsolutePath(text);
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return nullptr;
  DriveInfo drive = DriveOfPath(path);
  IdListPtr list(MakeShellItem(ShellItemType::Computer, 0, ""));
  IdListPtr driveItem(MakeShellItem(ShellItemType::Drive, uint8_t(drive.Kind), drive.MountPath));
  if (!list || !driveItem) return nullptr;
  list.Reset(ILCombine(list.Get(), driveItem.Get()));
  std::string at = drive.MountPath;
  std::size_t i = drive.MountPath == "/" ? 1 : drive.MountPath.size() + 1;
  while (list && i < path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string name = path.substr(i, j - i);
    at = JoinPath(at, name);
    struct stat part {};
    if (::stat(at.c_str(), &part) != 0) return nullptr;
    ShellItemType type = S_ISDIR(part.st_mode) ? ShellItemType::Folder : ShellItemType::File;
    IdListPtr item(MakeShellItem(type, 0, name));
    if (!item) return nullptr;
    list.Reset(ILCombine(list.Get(), item.Get()));
    i = j + 1;
  }
  return list.Release();
}

}  // namespace qv
