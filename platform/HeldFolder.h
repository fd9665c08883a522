// A folder held by an open descriptor. Names under Path() are looked up by
// the kernel in the held folder itself (/proc/self/fd/N), as openat would:
// a file opened, made, renamed or removed there lands in this folder wherever
// it has been moved or renamed since, and never in another folder put at the
// path it was opened by.
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

  // The path through the descriptor, with a trailing "/" (the path opened
  // where the system has no /proc). Valid only while open.
  const std::string& Path() const { return path_; }
  // The path the folder was opened by, with a trailing "/" (kept after the
  // close).
  const std::string& OpenedPath() const { return opened_; }
  // No folder holds it any more (it was removed while held).
  bool Removed() const;
  // path names the held folder now.
  bool IsAt(const std::string& path) const;
  // Where the held folder is now, with a trailing "/"; "" when removed or
  // when the system cannot tell.
  std::string WhereNow() const;
  // The text with the descriptor's path put back as the path opened, for
  // what a user reads.
  std::string Shown(const std::string& text) const;

 private:
  int fd_ = -1;
  std::string path_;
  std::string opened_;
};

}  // namespace qv
