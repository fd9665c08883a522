// What an item-id list names, worked out from the folder it is relative to:
// its type, its file-system path, its attributes and its display names.
// The folder objects, the icons and the context menu are built on this.
#pragma once
#include <cstdint>
#include <string>

#include "platform/shell/IdLists.h"

namespace qv {

// The place a folder object stands for.
enum class ShellPlace : uint8_t { Desktop, Computer, FileSystem };

struct ShellFacts {
  bool IsDesktop = false;  // the empty list from the desktop
  ShellItemType Type = ShellItemType::Folder;
  DriveKind Kind = DriveKind::Fixed;  // drives only
  std::string Name;                   // the item's own name bytes
  std::string Path;                   // file-system items: the absolute path
};

// The home folder: $HOME, else the password entry's folder; never empty.
std::string HomeFolder();
// Resolves pidl relative to a place (path for FileSystem); false when the
// list does not belong there or is damaged. Without withPath the item's
// path is left empty (the same checks, without joining the path of every
// level: enough for its type, name and icon).
bool ResolveShellList(ShellPlace place, const std::string& placePath, LPCITEMIDLIST pidl, ShellFacts& out,
                      bool withPath = true);
struct ShellDiskFacts;
struct ShellParentFacts;
// The attributes of mask that hold (mask 0 = every known attribute). The disc
// is asked only for the bits requested; disk and parent, when given, keep what
// was read for the next request about the same item or folder. An entry
// resolved without its path names the entry Name of folder.
uint32_t ShellAttributesOf(const ShellFacts& item, uint32_t mask, ShellDiskFacts* disk = nullptr,
                           ShellParentFacts* parent = nullptr, const std::string* folder = nullptr);
// The display name for SHGDN flags, as UTF-8.
std::string ShellDisplayNameOf(const ShellFacts& item, uint32_t flags);
// Item-by-item order of two lists relative to the same folder: computer,
// home, drives ("/" first, then by mount path), folders, files; names in the
// catalogue's name order; a proper prefix first. 0 only for the same item.
int CompareShellLists(LPCITEMIDLIST a, LPCITEMIDLIST b);
// The absolute list of an absolute path that exists ("::{desktop}" and
// "::{computer}" too); null otherwise.
LPITEMIDLIST ParseShellPath(const std::string& text);
// Lexical clean-up of an absolute path: no empty or "." parts, ".." taken
// back, no trailing "/" except for "/" itself. "" when it is not absolute.
std::string NormalizeAbsolutePath(const std::string& path);
// A name a folder entry may take: not empty, no "/" or zero byte, not "." or "..".
bool IsValidEntryName(const std::string& name);

inline constexpr char kDesktopParsingName[] = "::{desktop}";
inline constexpr char kComputerParsingName[] = "::{computer}";

}  // namespace qv
