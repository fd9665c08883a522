// Binary files with 64-bit positions (pread/pwrite), fsync, truncation and an
// advisory lock. Every write goes through the fault injector, so tests can make
// the n-th write fail or roll files back to their last sync (a power loss).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace qv {

class BinaryFile {
 public:
  enum class Mode { Read, ReadWrite, Create };  // Create: create or truncate, read-write

  BinaryFile() = default;
  ~BinaryFile() { Close(); }
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  bool Open(const std::string& path, Mode mode);
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

  int Error() const { return error_; }  // errno of the last failure
  std::string ErrorText() const;
  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  int error_ = 0;
  std::string path_;
};

// Test hooks. Disabled unless a test arms them; then every BinaryFile write,
// truncation and sync is counted and may fail with ENOSPC.
namespace FaultInjection {
void Reset();                    // disarm everything
void FailWritesFrom(int64_t n);  // write number n (1-based) and every later one fail
void FailOnlyWrite(int64_t n);   // only write number n fails
int64_t WriteCount();            // writes seen since the last Reset
// Power loss: while tracking, each file opened through BinaryFile remembers its
// content at open and at every Sync; SimulatePowerLoss writes that content back.
void TrackUnsynced(bool on);
void SimulatePowerLoss();
// Called by RenameFile so that a renamed file keeps its synced content.
void NoteRename(const std::string& from, const std::string& to);
// Called by DeleteFile and SyncDirectory: a file deleted since its folder was
// last synced comes back at a power loss with its synced content.
void NoteDelete(const std::string& path);
void NoteDirectorySync(const std::string& folder);
// Called with the number and the file of every counted write, before it is
// made, so that a crash test can end the process at a chosen write (an
// empty hook removes it; Reset does too).
void SetWriteHook(std::function<void(int64_t n, const std::string& path)> hook);
bool ShouldFailWrite(const std::string& path = std::string());  // counts one write; true when it must fail
void NoteOpen(const std::string& path);
void NoteSync(const std::string& path);
}  // namespace FaultInjection

}  // namespace qv
