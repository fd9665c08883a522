// Disc facts of shell items: one stat per item, the permission test on the
// stat's bits instead of one access(2) call per attribute, the sub-folder
// test that stops at the first sub-folder.
#include "platform/shell/DiskFacts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace qv {

namespace {

// The process's real group and its supplementary groups.
bool InGroup(gid_t gid) {
  if (gid == ::getgid()) return true;
  const int n = ::getgroups(0, nullptr);
  if (n <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(n));
  const int got = ::getgroups(n, groups.data());
  return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

}  // namespace

bool ModeAllows(const struct stat& st, int want) {
  // The program never changes its real user: asked once, not once per item.
  static const uid_t uid = ::getuid();
  return ModeAllowsFor(st, want, uid, uid != 0 && st.st_uid != uid && InGroup(st.st_gid));
}

bool ModeAllowsFor(const struct stat& st, int want, uid_t uid, bool inGroup) {
  if (uid == 0) return !(want & X_OK) || (st.st_mode & 0111) || S_ISDIR(st.st_mode);
  unsigned bits;
  if (st.st_uid == uid)
    bits = (st.st_mode >> 6) & 7;
  else if (inGroup)
    bits = (st.st_mode >> 3) & 7;
  else
    bits = st.st_mode & 7;
  return (bits & unsigned(want)) == unsigned(want);
}

bool IsOnReadOnlyFs(const std::string& path) {
  struct statvfs vfs {};
  return ::statvfs(path.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY);
}

void ReadDiskFactsAt(int folder, const std::string& name, ShellDiskFacts& facts) {
  if (facts.Read) return;
  facts.Read = true;
  struct stat own {};
  if (::fstatat(folder, name.c_str(), &own, AT_SYMLINK_NOFOLLOW) != 0) return;
  facts.Exists = true;
  facts.OwnDev = own.st_dev;
  facts.IsLink = S_ISLNK(own.st_mode);
  if (!facts.IsLink) {
    facts.St = own;
    facts.Followed = true;
  } else {
    facts.Followed = ::fstatat(folder, name.c_str(), &facts.St, 0) == 0;
  }
}

void ReadDiskFacts(const std::string& path, ShellDiskFacts& facts) {
  ReadDiskFactsAt(AT_FDCWD, path, facts);
}

void ReadParentFacts(const std::string& path, ShellParentFacts& facts) {
  if (facts.Read) return;
  facts.Read = true;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;
  facts.Exists = true;
  facts.Dev = st.st_dev;
  facts.ReadOnlyFs = IsOnReadOnlyFs(path);
  facts.Writable = !facts.ReadOnlyFs && ModeAllows(st, W_OK | X_OK);
}

namespace {

// Read with getdents64 on a plain descriptor: opendir would add an fstat per
// folder, and a tree expanding a folder asks this of every sub-folder.
bool HasSubFolderIn(int fd) {
  struct Entry {
    ino64_t ino;
    off64_t off;
    unsigned short reclen;
    unsigned char type;
    char name[1];
  };
  alignas(Entry) char buffer[4096];
  bool found = false;
  ssize_t got;
  while (!found && (got = ::getdents64(fd, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at < got && !found;) {
      const auto* e = reinterpret_cast<const Entry*>(buffer + at);
      const char* name = e->name;
      at += e->reclen;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      if (e->type == DT_DIR) {
        found = true;
      } else if (e->type == DT_LNK || e->type == DT_UNKNOWN) {
        struct stat st {};
        found = ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
      }
    }
  }
  return found;
}

}  // namespace

bool HasSubFolderOnDisc(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool found = HasSubFolderIn(fd);
  ::close(fd);
  return found;
}

bool ReadSubFolderFactsAt(int folder, const std::string& name, ShellDiskFacts& facts) {
  // Not a symbolic link (O_NOFOLLOW): the descriptor's facts are the entry's own.
  const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const bool read = ::fstat(fd, &st) == 0;
  if (read) {
    facts = ShellDiskFacts{};
    facts.Read = facts.Exists = facts.Followed = true;
    facts.OwnDev = st.st_dev;
    facts.St = st;
    facts.HasSubFolder = HasSubFolderIn(fd);
  }
  ::close(fd);
  return read;
}

}  // namespace qv
