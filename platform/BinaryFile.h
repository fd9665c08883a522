// Binary files with 64-bit positions (pread/pwrite), fsync, truncation and an
// advisory lock. Every write, truncation and sync is told to the hooks the file
// was opened with, which may make it fail (see FaultInjector).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/FileHooks.h"

namespace qv {

class BinaryFile {
 public:
  // Create: create or truncate, read-write. OpenOrCreate: read-write, made
  // when missing, never truncated (a file that may be another's until it is
  // locked).
  enum class Mode { Read, ReadWrite, Create, OpenOrCreate };

  BinaryFile() = default;
  ~BinaryFile() { Close(); }
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  bool Open(const std::string& path, Mode mode, FileHooks& hooks = FileHooks::None());
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Reads up to n bytes at pos: the count read (short at the end), -1 on error.
  int64_t ReadAt(int64_t pos, void* buf, std::size_t n);
  // As ReadAt, leaving Error() as it was: several threads may read at once.
  int64_t ReadShared(int64_t pos, void* buf, std::size_t n) const;
  // Writes all n bytes at pos; false on any failure (a short write included).
  bool WriteAt(int64_t pos, const void* buf, std::size_t n);
  int64_t Size() const;  // -1 when closed or on error
  bool Truncate(int64_t size);
  bool Sync();
  // Exclusive advisory lock without waiting; false when another holder has it.
  bool TryLock();
  // Whether path names this open file now (not another put in its place,
  // nor nothing); false when closed.
  bool IsAt(const std::string& path) const;
  // The same, with the file's size from the same look (-1 when closed).
  bool IsAt(const std::string& path, int64_t& size) const;

  int Error() const { return error_; }  // errno of the last failure, or FileHooks::kRefused
  std::string ErrorText() const;        // its text, the hooks' own for a refusal
  const std::string& Path() const { return path_; }

 private:
  bool Refused(FileHooks::Write what);  // the hooks refuse the write (errno and Error set)

  int fd_ = -1;
  int error_ = 0;
  std::string path_;
  FileHooks* hooks_ = &FileHooks::None();
};

}  // namespace qv
