// The detail texts a shell list view shows in report view for one folder
// object: size, type (the extension), last change and attributes, read from
// the file system for file-system items.
#include <sys/stat.h>

#include <cstdio>

#include "classlib/SysUtils.h"
#include "platform/DateFormat.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "skin/controls/skShellFolder.h"

namespace qv {

namespace {

// The attribute bits the detail column shows, as the platform numbers them.
constexpr unsigned kReadOnly = 0x1, kHidden = 0x2, kDirectory = 0x10, kArchive = 0x20;

std::string ExtensionText(const std::string& Path, bool Folder) {
  if (Folder) return {};
  const size_t slash = Path.find_last_of('/');
  const size_t dot = Path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot <= slash + 1)) return {};
  return Path.substr(dot + 1);
}

}  // namespace

void TSkShellFolder::LoadColumnDetails(TSkShellFolder* RootFolder, HWND Window, int ColumnCount) {
  (void)RootFolder;
  if (detailsLoaded_ && int(details_.size()) >= ColumnCount) return;
  details_.clear();
  viewWindow_ = Window;
  const std::string path = ParsingPath();
  struct stat st {};
  if (!path.empty() && path[0] == '/') {
    if (::lstat(path.c_str(), &st) != 0 && ::stat(path.c_str(), &st) != 0) {
      const int err = errno;
      char code[16];
      std::snprintf(code, sizeof code, "%x", unsigned(err));
      throw Exception("Unable to retrieve folder details for \"" + DisplayName(seSystem) +
                      "\". Error code $" + code);
    }
    const bool folder = S_ISDIR(st.st_mode) || (S_ISLNK(st.st_mode) && IsFolder());
    const std::string name = path.substr(path.find_last_of('/') + 1);
    unsigned attrs = folder ? kDirectory : kArchive;
    if (!name.empty() && name[0] == '.') attrs |= kHidden;
    if (!(st.st_mode & 0222)) attrs |= kReadOnly;
    const std::string texts[] = {
        folder ? "-1" : std::to_string(int64_t(st.st_size)), ExtensionText(path, folder),
        folder ? "-1" : DateTimeToStr(UnixToLocalDateTime(int64_t(st.st_mtime))), std::to_string(attrs)};
    for (int i = 0; i < ColumnCount && i < 4; ++i) details_.push_back(texts[i]);
  }
  // Columns beyond what the file system tells stay empty.
  while (int(details_.size()) < ColumnCount) details_.emplace_back();
  detailsLoaded_ = true;
}

std::string TSkShellFolder::Details(int Index) const {
  if (!detailsLoaded_) throw Exception(DisplayName(seSystem) + ": Missing call to LoadColumnDetails");
  if (Index < 1 || Index - 1 >= int(details_.size())) return {};
  return details_[size_t(Index - 1)];
}

}  // namespace qv
