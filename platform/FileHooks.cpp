// The hooks that do nothing.
#include "platform/FileHooks.h"

#include <cstring>

namespace qv {

FileHooks& FileHooks::None() {
  static FileHooks none;  // stateless, so one serves every thread
  return none;
}

bool FileHooks::ShouldFailWrite(const std::string&) {
  return false;
}

int FileHooks::RefuseWrite(const std::string&, Write) {
  return 0;
}

int FileHooks::RefuseChange(const std::string&) {
  return 0;
}

std::string FileHooks::RefusalText() {
  return "refused";
}

std::string FileHooks::ErrorText(int error) {
  return error == kRefused ? RefusalText() : std::strerror(error);
}

int FileHooks::RefuseDirectorySync(const std::string&) {
  return 0;
}

void FileHooks::NoteOpen(const std::string&) {}
void FileHooks::NoteSync(const std::string&) {}
void FileHooks::NoteRename(const std::string&, const std::string&) {}
void FileHooks::NoteDelete(const std::string&) {}
void FileHooks::NoteDirectorySync(const std::string&) {}
void FileHooks::NoteLock(const std::string&) {}
void FileHooks::NoteRead(const std::string&) {}

}  // namespace qv
