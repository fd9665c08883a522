// A folder held by an open descriptor. Its Path() is the descriptor's own
// name (/proc/self/fd/N/), and the platform's file functions reach every name
// under it by the *at calls on the descriptor (ReachOf), which need no /proc:
// a file opened, made, renamed or removed there lands in this folder wherever
// it has been moved or renamed since, and never in another folder put at the
// path it was opened by. The descriptor needs no right to list the folder
// (O_PATH), only to enter it.
#pragma once
#include <string>

namespace qv {

class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder() { Close(); }
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // Holds the folder at path; false with errno when it cannot be opened.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // The path through the descriptor, with a trailing "/". Valid only while
  // open.
  const std::string& Path() const { return path_; }
  // The path the folder was opened by, with a trailing "/" (kept after the
  // close).
  const std::string& OpenedPath() const { return opened_; }

  // Where the held folder is: at the path it was opened by, somewhere else
  // some path reaches, removed, or reached by no path from this process's
  // root any more (its file system unmounted, lazily, while held).
  enum class Reach { Here, Elsewhere, Removed, Unreachable };
  // Looks cheaply while the folder is where it was opened or last seen (a
  // stat); only a folder found elsewhere is looked for anew.
  Reach Now() const;
  // No folder holds it any more (it was removed while held).
  bool Removed() const;
  // path names the held folder now.
  bool IsAt(const std::string& path) const;
  // Where the held folder is now, with a trailing "/"; "" when removed,
  // unreachable, or when no path can be told (a folder above it may not be
  // listed).
  std::string WhereNow() const;
  // The text with the descriptor's path put back as the path opened, for
  // what a user reads.
  std::string Shown(const std::string& text) const;

 private:
  enum class Found { Reached, Detached, Unknown };
  // Where the folder is, from /proc where it can tell, else by climbing
  // "..": where is "" when reached but no path could be told.
  Found Locate(std::string& where) const;
  Found Climb(std::string& where) const;

  int fd_ = -1;
  // The held folder's device and inode, which never change while it is
  // held (nor are they given to another folder meanwhile).
  unsigned long long device_ = 0, inode_ = 0;
  std::string path_;
  std::string opened_;
  // Only the thread that holds the folder looks at it.
  mutable std::string lastSeen_;
};

// Where a name is reached: under a held folder's Path(), by that folder's
// descriptor and the name under it ("." for the folder itself); any other
// path by the working folder (AT_FDCWD) and the path itself. name points
// into path, or at a literal.
struct FolderReach {
  int dir;
  const char* name;
};
FolderReach ReachOf(const std::string& path);

}  // namespace qv
