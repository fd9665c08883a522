// pread/pwrite file access, told to the file hooks.
#include "platform/BinaryFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/HeldFolder.h"

namespace qv {

bool BinaryFile::Open(const std::string& path, Mode mode, FileHooks& hooks) {
  Close();
  hooks_ = &hooks;
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
    case Mode::OpenOrCreate:
      flags |= O_RDWR | O_CREAT;
      break;
  }
  // Told before a create truncates, and before the change is asked for, so
  // that nothing the hooks do lies between that answer and the open.
  if (mode == Mode::Create) hooks_->NoteOpen(path);
  if (mode != Mode::Read) {
    if (int refused = hooks_->RefuseChange(path)) {
      error_ = errno = refused;
      return false;
    }
  }
  const FolderReach reach = ReachOf(path);
  fd_ = ::openat(reach.dir, reach.name, flags, 0644);
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
  if (mode != Mode::Create) hooks_->NoteOpen(path);
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
  if (hooks_->ShouldFailWrite(path_)) {
    error_ = errno = ENOSPC;
    return false;
  }
  if (Refused(FileHooks::Write::Bytes)) return false;
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

bool BinaryFile::Refused(FileHooks::Write what) {
  const int refused = hooks_->RefuseWrite(path_, what);
  if (refused) error_ = errno = refused;
  return refused != 0;
}

// The end as a seek finds it: the cheapest question the system answers,
// asked before every write of a run (TXBase's guard). Every read and write
// names its position, so the descriptor's own offset is never used.
int64_t BinaryFile::Size() const {
  if (fd_ < 0) return -1;
  const off_t end = ::lseek(fd_, 0, SEEK_END);
  return end < 0 ? -1 : int64_t(end);
}

bool BinaryFile::Truncate(int64_t size) {
  if (hooks_->ShouldFailWrite(path_)) {
    error_ = errno = ENOSPC;
    return false;
  }
  if (fd_ >= 0 && Refused(FileHooks::Write::Truncation)) return false;
  if (fd_ < 0 || ::ftruncate(fd_, off_t(size)) != 0) {
    error_ = fd_ < 0 ? EBADF : errno;
    return false;
  }
  return true;
}

bool BinaryFile::Sync() {
  if (hooks_->ShouldFailWrite(path_)) {
    error_ = errno = EIO;
    return false;
  }
  if (fd_ >= 0 && Refused(FileHooks::Write::Sync)) return false;
  if (fd_ < 0 || ::fsync(fd_) != 0) {
    error_ = fd_ < 0 ? EBADF : errno;
    return false;
  }
  hooks_->NoteSync(path_);
  return true;
}

bool BinaryFile::TryLock() {
  if (fd_ < 0) return false;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    error_ = errno;
    // Where locks are byte-range locks underneath (NFS), a file opened for
    // reading only cannot be locked exclusively; a shared lock still keeps
    // every writer out.
    if (error_ != EBADF || ::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
      if (error_ == EBADF) error_ = errno;
      return false;
    }
  }
  return true;
}

bool BinaryFile::IsAt(const std::string& path) const {
  int64_t size = -1;
  return IsAt(path, size);
}

bool BinaryFile::IsAt(const std::string& path, int64_t& size) const {
  struct stat open {
  }, named{};
  size = -1;
  const FolderReach reach = ReachOf(path);
  if (fd_ < 0 || ::fstat(fd_, &open) != 0) return false;
  size = int64_t(open.st_size);
  if (::fstatat(reach.dir, reach.name, &named, 0) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::string BinaryFile::ErrorText() const {
  return hooks_->ErrorText(error_);
}

}  // namespace qv
