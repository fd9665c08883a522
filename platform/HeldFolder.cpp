// The folder held by its descriptor (HeldFolder.h).
#include "platform/HeldFolder.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"

namespace qv {

namespace {
bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
}  // namespace

bool HeldFolder::Open(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  fd_ = fd;
  opened_ = IncludeTrailingPathDelimiter(path);
  // Where /proc is missing, names are looked up by the path opened: the
  // folder is then followed no further than IsAt and Removed can tell.
  const std::string through = "/proc/self/fd/" + std::to_string(fd_);
  struct stat held {
  }, seen{};
  const bool proc = ::fstat(fd_, &held) == 0 && ::stat(through.c_str(), &seen) == 0 && SameFile(held, seen);
  path_ = proc ? through + "/" : opened_;
  return true;
}

void HeldFolder::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
}

bool HeldFolder::Removed() const {
  struct stat held {};
  return fd_ >= 0 && ::fstat(fd_, &held) == 0 && held.st_nlink == 0;
}

bool HeldFolder::IsAt(const std::string& path) const {
  struct stat held {
  }, named{};
  return fd_ >= 0 && ::fstat(fd_, &held) == 0 && ::stat(path.c_str(), &named) == 0 && SameFile(held, named);
}

std::string HeldFolder::WhereNow() const {
  if (fd_ < 0 || Removed()) return std::string();
  char buffer[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd_);
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
  if (n <= 0 || std::size_t(n) >= sizeof buffer || buffer[0] != '/') return std::string();
  std::string where(buffer, std::size_t(n));
  // Checked, as the link's text is only the kernel's account of the path.
  return IsAt(where) ? IncludeTrailingPathDelimiter(where) : std::string();
}

std::string HeldFolder::Shown(const std::string& text) const {
  if (path_.empty() || path_ == opened_) return text;
  std::string shown = text;
  for (std::size_t at = shown.find(path_); at != std::string::npos;
       at = shown.find(path_, at + opened_.size()))
    shown.replace(at, path_.size(), opened_);
  return shown;
}

}  // namespace qv
