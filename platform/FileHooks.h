// The seam between a database and the file system: the files a database opens
// and the folder operations it makes tell their hooks of every write, sync,
// rename and delete, and a write fails when the hooks say so. A database is
// given its hooks, so two databases in one process can see different faults.
#pragma once
#include <string>

namespace qv {

class FileHooks {
 public:
  virtual ~FileHooks() = default;
  // Hooks that let every write through and note nothing: the default.
  static FileHooks& None();

  // What the refusals below return when the hooks refuse of their own
  // accord, not as the system would (a database that no longer holds its
  // folder): no errno has this value, and RefusalText says why.
  static constexpr int kRefused = -1;

  // Counts one write, truncation or sync of path; true when it must fail.
  virtual bool ShouldFailWrite(const std::string& path);
  // The errno with which a change of path is refused before it is tried
  // (an open for writing, a delete, a rename), as on read-only media, or
  // kRefused; 0 lets it be tried.
  virtual int RefuseChange(const std::string& path);
  // The errno with which a write, truncation or sync of a file opened
  // before is refused before it is tried, or kRefused (its owner no longer
  // holds it); 0 lets it be tried.
  enum class Write { Bytes, Truncation, Sync };
  virtual int RefuseWrite(const std::string& path, Write what);
  // Why the hooks refused (kRefused), in their owner's words.
  virtual std::string RefusalText();
  // The text of a failure's error: the system's, or RefusalText.
  std::string ErrorText(int error);
  // The errno with which a sync of a folder fails before it is tried (an
  // I/O error as the folder is opened or synced); 0 lets it be tried.
  virtual int RefuseDirectorySync(const std::string& folder);
  virtual void NoteOpen(const std::string& path);  // before a Create truncates, after any other open
  virtual void NoteSync(const std::string& path);
  virtual void NoteRename(const std::string& from, const std::string& to);
  virtual void NoteDelete(const std::string& path);
  virtual void NoteDirectorySync(const std::string& folder);
  // An open of a database: before it takes the lock on path, and before it
  // reads each of its files (tests hold it there while another process
  // works on the same database).
  virtual void NoteLock(const std::string& path);
  virtual void NoteRead(const std::string& path);
};

}  // namespace qv
