// pread/pwrite file access and the fault injector behind it.
#include "platform/BinaryFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

namespace qv {

bool BinaryFile::Open(const std::string& path, Mode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read:
      flags |= O_RDONLY;
      break;
    case Mode::ReadWrite:
      flags |= O_RDWR;
      break;
    case Mode::Create:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
  }
  if (mode == Mode::Create) FaultInjection::NoteOpen(path);  // before truncation
  fd_ = ::open(path.c_str(), flags, 0644);
  if (fd_ < 0) {
    error_ = errno;
    return false;
  }
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    error_ = EISDIR;
    return false;
  }
  path_ = path;
  error_ = 0;
  if (mode != Mode::Create) FaultInjection::NoteOpen(path);
  return true;
}

void BinaryFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int64_t BinaryFile::ReadAt(int64_t pos, void* buf, std::size_t n) {
  if (fd_ < 0 || pos < 0) {
    error_ = EBADF;
    return -1;
  }
  const int64_t done = ReadShared(pos, buf, n);
  if (done < 0) error_ = errno;
  return done;
}

int64_t BinaryFile::ReadShared(int64_t pos, void* buf, std::size_t n) const {
  if (fd_ < 0 || pos < 0) return -1;
  std::size_t done = 0;
  auto* p = static_cast<char*>(buf);
  while (done < n) {
    ssize_t r = ::pread(fd_, p + done, n - done, off_t(pos + int64_t(done)));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    done += std::size_t(r);
  }
  return int64_t(done);
}

bool BinaryFile::WriteAt(int64_t pos, const void* buf, std::size_t n) {
  if (fd_ < 0 || pos < 0) {
    error_ = EBADF;
    return false;
  }
  if (FaultInjection::ShouldFailWrite(path_)) {
    error_ = ENOSPC;
    return false;
  }
  std::size_t done = 0;
  auto* p = static_cast<const char*>(buf);
  while (done < n) {
    ssize_t r = ::pwrite(fd_, p + done, n - done, off_t(pos + int64_t(done)));
    if (r < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    done += std::size_t(r);
  }
  return true;
}

int64_t BinaryFile::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  return int64_t(st.st_size);
}

bool BinaryFile::Truncate(int64_t size) {
  if (FaultInjection::ShouldFailWrite(path_)) {
    error_ = ENOSPC;
    return false;
  }
  if (fd_ < 0 || ::ftruncate(fd_, off_t(size)) != 0) {
    error_ = fd_ < 0 ? EBADF : errno;
    return false;
  }
  return true;
}

bool BinaryFile::Sync() {
  if (FaultInjection::ShouldFailWrite(path_)) {
    error_ = EIO;
    return false;
  }
  if (fd_ < 0 || ::fsync(fd_) != 0) {
    error_ = fd_ < 0 ? EBADF : errno;
    return false;
  }
  FaultInjection::NoteSync(path_);
  return true;
}

bool BinaryFile::TryLock() {
  if (fd_ < 0) return false;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

std::string BinaryFile::ErrorText() const {
  return std::strerror(error_);
}

namespace FaultInjection {
namespace {

struct State {
  std::mutex lock;
  std::atomic<bool> armed{false};
  int64_t writes = 0;
  int64_t failFrom = 0;
  int64_t failOnly = 0;
  bool tracking = false;
  std::function<void(int64_t, const std::string&)> hook;
  std::map<std::string, std::string> synced;    // path -> content at the last sync
  std::map<std::string, std::string> unlinked;  // deleted, the folder not synced since
};

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

State& S() {
  static State s;
  return s;
}

std::string ReadWhole(const std::string& path) {
  std::string out;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return out;
  char buf[65536];
  ssize_t r;
  while ((r = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, std::size_t(r));
  ::close(fd);
  return out;
}

}  // namespace

void Reset() {
  std::lock_guard g(S().lock);
  S().armed = false;
  S().writes = S().failFrom = S().failOnly = 0;
  S().tracking = false;
  S().hook = nullptr;
  S().synced.clear();
  S().unlinked.clear();
}

void FailWritesFrom(int64_t n) {
  std::lock_guard g(S().lock);
  S().failFrom = n;
  S().armed = true;
}

void FailOnlyWrite(int64_t n) {
  std::lock_guard g(S().lock);
  S().failOnly = n;
  S().armed = true;
}

int64_t WriteCount() {
  std::lock_guard g(S().lock);
  return S().writes;
}

void TrackUnsynced(bool on) {
  std::lock_guard g(S().lock);
  S().tracking = on;
  S().armed = true;
}

void SetWriteHook(std::function<void(int64_t, const std::string&)> hook) {
  std::lock_guard g(S().lock);
  S().hook = std::move(hook);
  S().armed = true;
}

bool ShouldFailWrite(const std::string& path) {
  if (!S().armed.load(std::memory_order_relaxed)) return false;
  std::function<void(int64_t, const std::string&)> hook;
  bool fail;
  int64_t n;
  {
    std::lock_guard g(S().lock);
    n = ++S().writes;
    fail = (S().failFrom > 0 && n >= S().failFrom) || (S().failOnly > 0 && n == S().failOnly);
    hook = S().hook;
  }
  if (hook) hook(n, path);  // outside the lock: it may end the process
  return fail;
}

void NoteOpen(const std::string& path) {
  if (!S().armed.load(std::memory_order_relaxed)) return;
  std::lock_guard g(S().lock);
  if (S().tracking && !S().synced.count(path)) S().synced[path] = ReadWhole(path);
}

void NoteSync(const std::string& path) {
  if (!S().armed.load(std::memory_order_relaxed)) return;
  std::lock_guard g(S().lock);
  if (S().tracking) S().synced[path] = ReadWhole(path);
}

void NoteRename(const std::string& from, const std::string& to) {
  if (!S().armed.load(std::memory_order_relaxed)) return;
  std::lock_guard g(S().lock);
  if (!S().tracking) return;
  auto it = S().synced.find(from);
  if (it == S().synced.end()) return;
  S().synced[to] = it->second;
  S().synced.erase(from);
}

void NoteDelete(const std::string& path) {
  if (!S().armed.load(std::memory_order_relaxed)) return;
  std::lock_guard g(S().lock);
  if (!S().tracking) return;
  auto it = S().synced.find(path);
  if (it == S().synced.end()) return;
  S().unlinked[path] = it->second;
  S().synced.erase(it);
}

void NoteDirectorySync(const std::string& folder) {
  if (!S().armed.load(std::memory_order_relaxed)) return;
  std::lock_guard g(S().lock);
  std::string dir = folder;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::erase_if(S().unlinked, [&](const auto& entry) { return FolderOf(entry.first) == dir; });
}

void SimulatePowerLoss() {
  std::lock_guard g(S().lock);
  S().synced.insert(S().unlinked.begin(), S().unlinked.end());
  for (auto& [path, content] : S().synced) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) continue;
    std::size_t done = 0;
    while (done < content.size()) {
      ssize_t w = ::write(fd, content.data() + done, content.size() - done);
      if (w <= 0) break;
      done += std::size_t(w);
    }
    ::close(fd);
  }
}

}  // namespace FaultInjection
}  // namespace qv
