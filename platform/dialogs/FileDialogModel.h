// What the open and save dialogs know apart from their windows: the filter
// list, the folder being shown with its subfolders and matching files, and
// how a typed name turns into a folder to enter, a new pattern or a file.
#pragma once
#include <string>
#include <vector>

namespace qv::dlg {

struct FileFilter {
  std::u16string description;
  std::vector<std::u16string> patterns;  // "*.txt"; "*.*" and "*" match every name
};

// Parses the double-zero-terminated description/pattern pairs.
std::vector<FileFilter> ParseFilters(const char16_t* filter);
// "?" is one character, "*" any run; letters compare without case.
bool MatchesPattern(const std::u16string& name, const std::u16string& pattern);
bool MatchesAny(const std::u16string& name, const std::vector<std::u16string>& patterns);

struct FolderListing {
  std::vector<std::u16string> folders;  // ".." first unless at the root, then sorted
  std::vector<std::u16string> files;    // sorted
};
// Hidden names (".name") only with `showHidden`; unreadable folders list as empty.
FolderListing ListFolder(const std::string& folder, const std::vector<std::u16string>& patterns,
                         bool showHidden);

// A typed name against the folder shown.
struct TypedName {
  enum Kind { Nothing, Pattern, Folder, File } kind = Nothing;
  std::string path;  // Folder: the folder to show; File: the full path
  std::vector<std::u16string> patterns;
};
TypedName ResolveTyped(const std::string& folder, const std::u16string& typed);
// The folder above (the root stays the root).
std::string ParentFolder(const std::string& folder);
// "name" with ".ext" added when it has no extension and one is given.
std::string WithDefaultExt(const std::string& path, const std::u16string& defExt);

}  // namespace qv::dlg
