// Filters, folder listings and typed names for the file dialogs.
#include "platform/dialogs/FileDialogModel.h"

#include <algorithm>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Utf.h"

namespace qv::dlg {
namespace {

char16_t Fold(char16_t c) {
  return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

bool Match(const std::u16string& s, std::size_t i, const std::u16string& p, std::size_t j) {
  // Iterative with one backtrack point: linear enough for file names.
  std::size_t star = std::u16string::npos, mark = 0;
  while (i < s.size()) {
    if (j < p.size() && (p[j] == u'?' || Fold(p[j]) == Fold(s[i]))) {
      ++i, ++j;
    } else if (j < p.size() && p[j] == u'*') {
      star = j++, mark = i;
    } else if (star != std::u16string::npos) {
      j = star + 1, i = ++mark;
    } else {
      return false;
    }
  }
  while (j < p.size() && p[j] == u'*') ++j;
  return j == p.size();
}

bool CompareNames(const std::u16string& a, const std::u16string& b) {
  std::u16string fa = a, fb = b;
  for (auto& c : fa) c = Fold(c);
  for (auto& c : fb) c = Fold(c);
  return fa != fb ? fa < fb : a < b;
}

std::u16string Trim(const std::u16string& s) {
  std::size_t a = s.find_first_not_of(u' '), b = s.find_last_not_of(u' ');
  return a == std::u16string::npos ? u"" : s.substr(a, b - a + 1);
}

}  // namespace

std::vector<FileFilter> ParseFilters(const char16_t* filter) {
  std::vector<FileFilter> out;
  if (!filter) return out;
  const char16_t* p = filter;
  while (*p) {
    FileFilter f;
    f.description = p;
    p += f.description.size() + 1;
    if (!*p) break;
    std::u16string list = p;
    p += list.size() + 1;
    for (std::size_t start = 0; start <= list.size();) {
      std::size_t end = list.find(u';', start);
      if (end == std::u16string::npos) end = list.size();
      std::u16string one = Trim(list.substr(start, end - start));
      if (!one.empty()) f.patterns.push_back(one);
      start = end + 1;
    }
    out.push_back(std::move(f));
  }
  return out;
}

bool MatchesPattern(const std::u16string& name, const std::u16string& pattern) {
  if (pattern == u"*.*" || pattern == u"*") return true;
  return Match(name, 0, pattern, 0);
}

bool MatchesAny(const std::u16string& name, const std::vector<std::u16string>& patterns) {
  if (patterns.empty()) return true;
  return std::any_of(patterns.begin(), patterns.end(),
                     [&](const std::u16string& p) { return MatchesPattern(name, p); });
}

FolderListing ListFolder(const std::string& folder, const std::vector<std::u16string>& patterns,
                         bool showHidden) {
  namespace fs = std::filesystem;
  FolderListing out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (!showHidden && !name.empty() && name[0] == '.') continue;
    std::error_code typeEc;
    std::u16string wide = Utf8ToUtf16(name);
    if (it->is_directory(typeEc))
      out.folders.push_back(wide);
    else if (it->is_regular_file(typeEc) && MatchesAny(wide, patterns))
      out.files.push_back(wide);
  }
  std::sort(out.folders.begin(), out.folders.end(), CompareNames);
  std::sort(out.files.begin(), out.files.end(), CompareNames);
  if (ExcludeTrailingPathDelimiter(folder) != "") out.folders.insert(out.folders.begin(), u"..");
  return out;
}

std::string ParentFolder(const std::string& folder) {
  std::string f = ExcludeTrailingPathDelimiter(folder);
  if (f.empty()) return "/";
  std::string parent = ExtractFilePath(f);
  return parent.empty() ? "/" : parent;
}

TypedName ResolveTyped(const std::string& folder, const std::u16string& typed) {
  TypedName t;
  std::u16string text = Trim(typed);
  if (text.empty()) return t;
  if (text.find_first_of(u"*?") != std::u16string::npos && text.find(u'/') == std::u16string::npos) {
    t.kind = TypedName::Pattern;
    for (std::size_t start = 0; start <= text.size();) {
      std::size_t end = text.find(u';', start);
      if (end == std::u16string::npos) end = text.size();
      std::u16string one = Trim(text.substr(start, end - start));
      if (!one.empty()) t.patterns.push_back(one);
      start = end + 1;
    }
    return t;
  }
  std::string name = Utf16ToUtf8(text);
  std::string path = name[0] == '/' ? name : IncludeTrailingPathDelimiter(folder) + name;
  // ".." and "." steps are taken by hand, so "../x" works without the file system.
  std::string normal = std::filesystem::path(path).lexically_normal().string();
  if (normal.empty()) normal = "/";
  if (DirectoryExists(normal)) {
    t.kind = TypedName::Folder;
    t.path = IncludeTrailingPathDelimiter(normal);
    return t;
  }
  t.kind = TypedName::File;
  t.path = ExcludeTrailingPathDelimiter(normal);
  return t;
}

std::string WithDefaultExt(const std::string& path, const std::u16string& defExt) {
  if (defExt.empty() || !ExtractFileExt(path).empty()) return path;
  std::string ext = Utf16ToUtf8(defExt);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  return ext.empty() ? path : path + "." + ext;
}

}  // namespace qv::dlg
