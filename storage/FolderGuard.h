// The file hooks a database gives every file it writes: the caller's hooks,
// and a guard that refuses any change inside the database's folder, by name
// or through a file opened before, once the session may no longer write
// there (its folder removed, or its files written over by another program).
// Its refusal is a result of its own (kRefused), told in the database's
// words, never taken for a system error.
#pragma once
#include <functional>
#include <string>

#include "platform/FileHooks.h"

namespace qv {

class TFolderGuard final : public FileHooks {
 public:
  // What a change of a path is: by name (an open for writing, a rename onto
  // it, its removal), or through a file opened before.
  enum class TChange { ByName, Bytes, Truncation, Sync };
  // refuse(path, change): whether that change must not be made; reason: why
  // it was not.
  TFolderGuard(FileHooks& inner, std::function<bool(const std::string& path, TChange change)> refuse,
               std::function<std::string()> reason)
      : inner_(inner), refuse_(std::move(refuse)), reason_(std::move(reason)) {}

  bool ShouldFailWrite(const std::string& path) override { return inner_.ShouldFailWrite(path); }
  int RefuseChange(const std::string& path) override;
  int RefuseWrite(const std::string& path, Write what) override;
  std::string RefusalText() override;
  int RefuseDirectorySync(const std::string& folder) override { return inner_.RefuseDirectorySync(folder); }
  void NoteOpen(const std::string& path) override { inner_.NoteOpen(path); }
  void NoteSync(const std::string& path) override { inner_.NoteSync(path); }
  void NoteRename(const std::string& from, const std::string& to) override { inner_.NoteRename(from, to); }
  void NoteDelete(const std::string& path) override { inner_.NoteDelete(path); }
  void NoteDirectorySync(const std::string& folder) override { inner_.NoteDirectorySync(folder); }
  void NoteLock(const std::string& path) override { inner_.NoteLock(path); }
  void NoteRead(const std::string& path) override { inner_.NoteRead(path); }

 private:
  FileHooks& inner_;
  std::function<bool(const std::string&, TChange)> refuse_;
  std::function<std::string()> reason_;
};

}  // namespace qv
