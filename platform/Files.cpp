// POSIX implementations of the file and folder helpers. Every name is
// reached by the *at calls (ReachOf): one under a held folder's path through
// that folder's descriptor, which needs no /proc.
#include "platform/Files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/BinaryFile.h"
#include "platform/HeldFolder.h"

namespace qv {

bool PathStat(const std::string& path, struct stat& st) {
  const FolderReach reach = ReachOf(path);
  return !path.empty() && ::fstatat(reach.dir, reach.name, &st, 0) == 0;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return PathStat(path, st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return PathStat(path, st) && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
  std::string p = ExcludeTrailingPathDelimiter(path);
  if (p.empty()) return false;
  if (DirectoryExists(p)) return true;
  std::string parent = ExcludeTrailingPathDelimiter(ExtractFilePath(p));
  if (!parent.empty() && parent != p && !ForceDirectories(parent)) return false;
  const FolderReach reach = ReachOf(p);
  return ::mkdirat(reach.dir, reach.name, 0755) == 0 || (errno == EEXIST && DirectoryExists(p));
}

bool DeleteFile(const std::string& path, FileHooks& hooks) {
  if (int refused = hooks.RefuseChange(path)) {
    errno = refused;
    return false;
  }
  const FolderReach reach = ReachOf(path);
  if (::unlinkat(reach.dir, reach.name, 0) != 0) return false;
  hooks.NoteDelete(path);
  return true;
}

bool SyncDirectory(const std::string& folder, FileHooks& hooks) {
  if (int refused = hooks.RefuseDirectorySync(folder)) {
    errno = refused;
    return false;
  }
  const FolderReach reach = folder.empty() ? FolderReach{AT_FDCWD, "."} : ReachOf(folder);
  int fd = ::openat(reach.dir, reach.name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  if (ok) hooks.NoteDirectorySync(folder);
  return ok;
}

bool RenameFile(const std::string& from, const std::string& to, FileHooks& hooks) {
  if (int refused = hooks.RefuseChange(to)) {
    errno = refused;
    return false;
  }
  const FolderReach source = ReachOf(from), target = ReachOf(to);
  if (::renameat(source.dir, source.name, target.dir, target.name) != 0) return false;
  hooks.NoteRename(from, to);
  return SyncDirectory(ExtractFilePath(to), hooks);
}

int64_t FileSizeOf(const std::string& path) {
  struct stat st {};
  if (!PathStat(path, st)) return -1;
  return int64_t(st.st_size);
}

bool ReadWholeFile(const std::string& path, std::string& data) {
  BinaryFile f;
  if (!f.Open(path, BinaryFile::Mode::Read)) return false;
  int64_t size = f.Size();
  if (size < 0) return false;
  data.resize(std::size_t(size));
  int64_t got = size ? f.ReadAt(0, data.data(), data.size()) : 0;
  if (got < 0) return false;
  data.resize(std::size_t(got));
  return true;
}

bool WriteFileAtomic(const std::string& path, const std::string& data, FileHooks& hooks) {
  std::string temp = path + ".tmp";
  BinaryFile f;
  if (!f.Open(temp, BinaryFile::Mode::Create, hooks)) return false;
  const bool written = (data.empty() || f.WriteAt(0, data.data(), data.size())) && f.Sync();
  const int writeError = f.Error();
  f.Close();
  const bool ok = written && RenameFile(temp, path, hooks);
  if (!ok) {
    // errno tells the caller why, whatever the clean-up meets.
    const int error = written ? errno : writeError;
    const FolderReach reach = ReachOf(temp);
    ::unlinkat(reach.dir, reach.name, 0);
    errno = error;
  }
  return ok;
}

bool ListFolder(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  const FolderReach reach = ReachOf(folder);
  const int fd = ::openat(reach.dir, reach.name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return false;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
      names.emplace_back(entry->d_name);
  }
  const bool ok = errno == 0;
  ::closedir(dir);
  return ok;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  if (!path.empty() && path.back() == PathDelim) return path;
  return path + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == PathDelim) p.pop_back();
  return p;
}

std::string ExtractFilePath(const std::string& path) {
  auto pos = path.rfind(PathDelim);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
  auto pos = path.rfind(PathDelim);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  auto pos = name.rfind('.');
  return pos == std::string::npos ? std::string() : name.substr(pos);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  std::string name = ExtractFileName(path);
  auto pos = name.rfind('.');
  std::string dir = path.substr(0, path.size() - name.size());
  return dir + (pos == std::string::npos ? name : name.substr(0, pos)) + ext;
}

}  // namespace qv
