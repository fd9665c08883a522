// File and folder helpers: existence tests, folder creation, atomic
// replacement and path text. The path delimiter is "/".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileHooks.h"

struct stat;

namespace qv {

constexpr char PathDelim = '/';

bool FileExists(const std::string& path);       // a regular file
bool DirectoryExists(const std::string& path);  // a folder
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
bool DeleteFile(const std::string& path, FileHooks& hooks = FileHooks::None());
// Renames, replacing the target, then syncs the target's folder.
bool RenameFile(const std::string& from, const std::string& to, FileHooks& hooks = FileHooks::None());
bool SyncDirectory(const std::string& folder, FileHooks& hooks = FileHooks::None());
int64_t FileSizeOf(const std::string& path);  // -1 when missing
// stat of path (a symbolic link followed); false with errno when missing.
bool PathStat(const std::string& path, struct stat& st);
// The names in folder but "." and ".."; false with errno when it cannot be
// listed.
bool ListFolder(const std::string& folder, std::vector<std::string>& names);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& data);
// Writes data to path through a temporary file: write, fsync, rename, sync
// folder. On failure errno tells why.
bool WriteFileAtomic(const std::string& path, const std::string& data, FileHooks& hooks = FileHooks::None());

std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // up to and including the last "/"
std::string ExtractFileName(const std::string& path);  // after the last "/"
std::string ExtractFileExt(const std::string& path);   // from the last "." of the name, "" when none
std::string ChangeFileExt(const std::string& path, const std::string& ext);

}  // namespace qv
