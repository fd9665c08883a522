// What the disc says of a shell item and of the folder it lies in, each read
// at most once and shared by every attribute bit that needs it: one stat per
// item (two for a link), the parent folder once per listing.
#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace qv {

struct ShellDiskFacts {
  bool Read = false;         // the item was looked at
  bool Exists = false;       // lstat succeeded
  bool IsLink = false;       // the entry itself is a symbolic link
  bool Followed = false;     // St holds the target's facts (a dangling link has none)
  dev_t OwnDev = 0;          // device of the entry itself
  struct stat St {};         // the entry, or its target for a link
  int8_t HasSubFolder = -1;  // -1 until a listing looked
  int8_t ReadOnlyFs = -1;    // -1 until asked (only for items on another device than their folder)
};

struct ShellParentFacts {
  bool Read = false;
  bool Exists = false;
  dev_t Dev = 0;
  bool Writable = false;    // entries may be made, renamed and removed in it
  bool ReadOnlyFs = false;  // its file system is mounted read-only
};

// Reads an item's facts once (later calls keep what was read).
void ReadDiskFacts(const std::string& path, ShellDiskFacts& facts);
// ReadDiskFacts for the entry `name` of an open folder, asked relative to it
// rather than by walking the full path.
void ReadDiskFactsAt(int folder, const std::string& name, ShellDiskFacts& facts);
// Reads a folder's facts once.
void ReadParentFacts(const std::string& path, ShellParentFacts& facts);
// Whether the facts grant the real user want (R_OK, W_OK, X_OK or a sum), as
// access(2) judges by the permission bits: the root user reads and writes anything.
bool ModeAllows(const struct stat& st, int want);
// The same judgement for a given user (inGroup: the file's group is one of the user's).
bool ModeAllowsFor(const struct stat& st, int want, uid_t uid, bool inGroup);
// Whether a folder holds at least one sub-folder: stops at the first one.
bool HasSubFolderOnDisc(const std::string& path);
// ReadDiskFacts and HasSubFolderOnDisc in one for the entry `name` of an open
// folder, through one descriptor rather than two walks of the full path;
// false (facts untouched) when the entry is no folder one can open, a
// symbolic link among them: the caller then asks by path.
bool ReadSubFolderFactsAt(int folder, const std::string& name, ShellDiskFacts& facts);
// Whether the file system holding path is mounted read-only.
bool IsOnReadOnlyFs(const std::string& path);

}  // namespace qv
