// The row record of the search view: a name group or one stored file or
// folder, filled by the search and the folder compare.
#pragma once
#include <cstdint>
#include <string>

#include "platform/DateTime.h"
#include "platform/Utf.h"

namespace qv {

enum TNodeKind : uint8_t { nkFile = 0, nkFolder = 1, nkFileGroup = 2, nkFolderGroup = 3 };

struct TNodeData {
  int64_t ID = 0;         // group: the name record; entry: the file or folder record
  uint8_t Kind = nkFile;  // TNodeKind
  WideString Name;        // group rows only
  WideString Disc;        // entry rows: the disc's label
  WideString Path;        // entry rows: the folder holding the entry, "/" for the root
  WideString Location;    // entry rows: the disc's location
  int64_t Size = 0;       // file entries only
  TDateTime Date = 0;     // entry rows only
  // Name and Path as stored, byte for byte. A name need not be valid UTF-8:
  // the wide texts above are for display (what cannot be shown becomes
  // U+FFFD), these are for locating and opening.
  std::string StoredName;
  std::string StoredPath;
};

}  // namespace qv
