// The folder held by its descriptor (HeldFolder.h).
#include "platform/HeldFolder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/Files.h"

namespace qv {

namespace {
bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

const char kThrough[] = "/proc/self/fd/";
constexpr std::size_t kThroughSize = sizeof kThrough - 1;

// The descriptors of the folders held in this process: only their paths are
// reached by descriptor. Every thread's file functions ask.
std::mutex heldLock;
std::vector<int> heldFolders;

bool IsHeld(int fd) {
  std::lock_guard<std::mutex> guard(heldLock);
  return std::find(heldFolders.begin(), heldFolders.end(), fd) != heldFolders.end();
}

void NoteHeld(int fd, bool held) {
  std::lock_guard<std::mutex> guard(heldLock);
  if (held)
    heldFolders.push_back(fd);
  else
    heldFolders.erase(std::remove(heldFolders.begin(), heldFolders.end(), fd), heldFolders.end());
}

// The name in the folder dir that is the folder `child` (found by listing
// dir; false when it may not be listed or holds no such name).
bool NameIn(int dir, const struct stat& above, const struct stat& child, std::string& name) {
  const int listed = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return false;
  DIR* d = ::fdopendir(listed);
  if (!d) {
    ::close(listed);
    return false;
  }
  // Across a mount the entry's inode is that of the folder mounted over.
  const bool sameDevice = above.st_dev == child.st_dev;
  bool found = false;
  while (const dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    if (e->d_type != DT_DIR && e->d_type != DT_UNKNOWN) continue;
    if (sameDevice && e->d_ino != child.st_ino) continue;
    struct stat st {};
    if (::fstatat(listed, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(st, child)) {
      name = e->d_name;
      found = true;
      break;
    }
  }
  ::closedir(d);
  return found;
}
}  // namespace

FolderReach ReachOf(const std::string& path) {
  if (path.compare(0, kThroughSize, kThrough) != 0) return {AT_FDCWD, path.c_str()};
  std::size_t at = kThroughSize;
  int fd = 0;
  for (; at < path.size() && at < kThroughSize + 9 && path[at] >= '0' && path[at] <= '9'; ++at)
    fd = fd * 10 + (path[at] - '0');
  if (at == kThroughSize || (at < path.size() && path[at] != '/') || !IsHeld(fd))
    return {AT_FDCWD, path.c_str()};
  while (at < path.size() && path[at] == '/') ++at;
  return {fd, at < path.size() ? path.c_str() + at : "."};
}

bool HeldFolder::Open(const std::string& path) {
  Close();
  // Entering is all it needs: a folder that may be entered and written but
  // not listed is held too.
  const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  struct stat held {};
  if (fd < 0) return false;
  if (::fstat(fd, &held) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return false;
  }
  fd_ = fd;
  device_ = held.st_dev;
  inode_ = held.st_ino;
  NoteHeld(fd_, true);
  opened_ = IncludeTrailingPathDelimiter(path);
  path_ = kThrough + std::to_string(fd_) + "/";
  lastSeen_.clear();
  return true;
}

void HeldFolder::Close() {
  if (fd_ >= 0) {
    NoteHeld(fd_, false);
    ::close(fd_);
  }
  fd_ = -1;
  path_.clear();
  lastSeen_.clear();
}

HeldFolder::Reach HeldFolder::Now() const {
  if (fd_ < 0 || IsAt(opened_)) return Reach::Here;  // a folder removed has no name
  if (Removed()) return Reach::Removed;
  if (!lastSeen_.empty() && IsAt(lastSeen_)) return Reach::Elsewhere;
  std::string where;
  const Found found = Locate(where);
  if (found == Found::Detached) return Reach::Unreachable;
  // Only what is known is said: a folder that cannot be followed up is
  // taken as still reached.
  if (found == Found::Reached) lastSeen_ = where;
  return Reach::Elsewhere;
}

bool HeldFolder::Removed() const {
  struct stat held {};
  return fd_ >= 0 && ::fstat(fd_, &held) == 0 && held.st_nlink == 0;
}

bool HeldFolder::IsAt(const std::string& path) const {
  struct stat named {};
  return fd_ >= 0 && ::stat(path.c_str(), &named) == 0 && named.st_dev == device_ && named.st_ino == inode_;
}

std::string HeldFolder::WhereNow() const {
  if (fd_ < 0 || Removed()) return std::string();
  if (!lastSeen_.empty() && IsAt(lastSeen_)) return lastSeen_;
  std::string where;
  if (Locate(where) != Found::Reached || where.empty()) return std::string();
  lastSeen_ = where;
  return where;
}

HeldFolder::Found HeldFolder::Locate(std::string& where) const {
  where.clear();
  char buffer[4096];
  const ssize_t n = ::readlink(path_.substr(0, path_.size() - 1).c_str(), buffer, sizeof buffer);
  // Checked, as the link's text is only the kernel's account of the path
  // (and a folder on a detached file system is named as from its root).
  if (n > 0 && std::size_t(n) < sizeof buffer && buffer[0] == '/') {
    const std::string link(buffer, std::size_t(n));
    if (IsAt(link)) {
      where = IncludeTrailingPathDelimiter(link);
      return Found::Reached;
    }
  }
  return Climb(where);
}

// Up by ".." from the folder, as the kernel resolves it: to this process's
// root when a path reaches the folder, else to the root of a file system no
// longer attached (where ".." stays). The path is put together from the
// name each parent lists for the folder below it.
HeldFolder::Found HeldFolder::Climb(std::string& where) const {
  struct stat root {
  }, here{};
  if (::stat("/", &root) != 0) return Found::Unknown;
  int at = ::openat(fd_, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (at < 0 || ::fstat(at, &here) != 0) {
    if (at >= 0) ::close(at);
    return Found::Unknown;
  }
  std::vector<std::string> names;
  bool named = true;
  Found found = Found::Unknown;
  for (int depth = 0; depth < 2048; ++depth) {
    if (SameFile(here, root)) {
      found = Found::Reached;
      break;
    }
    struct stat above {};
    const int up = ::openat(at, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (up < 0 || ::fstat(up, &above) != 0) {
      if (up >= 0) ::close(up);
      break;
    }
    if (SameFile(above, here)) {
      ::close(up);
      found = Found::Detached;
      break;
    }
    std::string name;
    named = named && NameIn(up, above, here, name);
    if (named) names.push_back(name);
    ::close(at);
    at = up;
    here = above;
  }
  ::close(at);
  if (found == Found::Reached && named) {
    where = "/";
    for (auto it = names.rbegin(); it != names.rend(); ++it) where += *it + "/";
  }
  return found;
}

std::string HeldFolder::Shown(const std::string& text) const {
  if (path_.empty()) return text;
  // Also where the descriptor's path is named without its trailing "/".
  const std::string through = path_.substr(0, path_.size() - 1);
  const std::string opened = opened_ == "/" ? std::string() : ExcludeTrailingPathDelimiter(opened_);
  std::string shown = text;
  for (std::size_t at = shown.find(through); at != std::string::npos; at = shown.find(through, at)) {
    const std::size_t end = at + through.size();
    if (end < shown.size() && shown[end] >= '0' && shown[end] <= '9') {
      at = end;
      continue;
    }
    shown.replace(at, through.size(), opened);
    at += opened.size();
  }
  return shown;
}

}  // namespace qv
