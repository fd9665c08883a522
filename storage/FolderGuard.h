// The file hooks a database gives every file it writes: the caller's hooks,
// and a guard that refuses any change by name inside the database's folder
// once that folder no longer holds the data file the session locked (the
// folder moved away and a copy put in its place). Writes through files
// opened before go to the files this session locked, wherever they are now.
#pragma once
#include <functional>
#include <string>

#include "platform/FileHooks.h"

namespace qv {

class TFolderGuard final : public FileHooks {
 public:
  // refuse(path): whether a change of path must not be made.
  TFolderGuard(FileHooks& inner, std::function<bool(const std::string& path)> refuse)
      : inner_(inner), refuse_(std::move(refuse)) {}

  bool ShouldFailWrite(const std::string& path) override { return inner_.ShouldFailWrite(path); }
  int RefuseChange(const std::string& path) override;
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
  std::function<bool(const std::string&)> refuse_;
};

}  // namespace qv
