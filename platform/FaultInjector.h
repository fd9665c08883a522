// File hooks for tests: count every write, truncation and sync of the files
// opened with them, make chosen ones fail with ENOSPC, and roll files back to
// their last sync (a power loss).
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/FileHooks.h"

namespace qv {

class FaultInjector final : public FileHooks {
 public:
  using TWriteHook = std::function<void(int64_t n, const std::string& path)>;

  // Writes are counted from the first call that arms the injector (any of
  // the calls below but WriteCount and SimulatePowerLoss).
  void Reset();                    // disarm everything
  void FailWritesFrom(int64_t n);  // write number n (1-based) and every later one fail
  void FailOnlyWrite(int64_t n);   // only write number n fails
  int64_t WriteCount();            // writes seen since armed
  // Power loss: while tracking, each file opened with these hooks remembers
  // its content at open and at every Sync; SimulatePowerLoss writes that
  // content back, and brings back files deleted since their folder's last sync.
  void TrackUnsynced(bool on);
  void SimulatePowerLoss();
  // Called with the number and the file of every counted write, before it is
  // made, so that a crash test can end the process at a chosen write (an
  // empty hook removes it; Reset does too).
  void SetWriteHook(TWriteHook hook);
  // Called as a database opens: with "lock" before it takes its lock, with
  // "read" before it reads each file; and with "open" as any file is opened
  // (before a create truncates it, after any other open) (an empty hook
  // removes it).
  using TOpenHook = std::function<void(const std::string& step, const std::string& path)>;
  void SetOpenHook(TOpenHook hook);
  // Changes by name (an open for writing, a delete, a rename) and folder
  // syncs are counted apart from writes, from the first FailOnlyChange on:
  // change number n (1-based) fails with error (ENOSPC, EIO ...).
  void FailOnlyChange(int64_t n, int error);
  int64_t ChangeCount();
  // Read-only media: every open for writing, delete and rename fails with
  // error (EROFS, EACCES ...) without being tried; 0 ends it. Counts nothing.
  void RefuseChanges(int error);

  bool ShouldFailWrite(const std::string& path) override;
  int RefuseChange(const std::string& path) override;
  int RefuseDirectorySync(const std::string& folder) override;
  void NoteOpen(const std::string& path) override;
  void NoteSync(const std::string& path) override;
  void NoteRename(const std::string& from, const std::string& to) override;
  void NoteDelete(const std::string& path) override;
  void NoteDirectorySync(const std::string& folder) override;
  void NoteLock(const std::string& path) override;
  void NoteRead(const std::string& path) override;

 private:
  int CountChange();  // under lock_: the error of the change counted now, or 0

  std::mutex lock_;  // the database's worker threads write too
  bool armed_ = false;
  int64_t writes_ = 0;
  int64_t failFrom_ = 0;
  int64_t failOnly_ = 0;
  bool tracking_ = false;
  TWriteHook hook_;
  TOpenHook openHook_;
  int refuse_ = 0;
  bool countChanges_ = false;
  int64_t changes_ = 0;
  int64_t failChange_ = 0;
  int changeError_ = 0;
  std::map<std::string, std::string> synced_;    // path -> content at the last sync
  std::map<std::string, std::string> unlinked_;  // deleted, the folder not synced since
};

}  // namespace qv
