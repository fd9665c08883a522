// The option records the views fill in: how to scan a new disc, and the
// criteria of a search or of a folder compare.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/DateTime.h"

namespace qv {

struct TScanOpts {
  bool IncludeFiles = true;  // walk the path at all
  bool AllFiles = true;      // keep files of every type, not only the selected types
  bool FoldersOnly = false;  // record folders only
  std::string Path;          // the folder to walk
};

// Sizes in bytes; -1 in Category, Disc and FileType means any.
struct TSearchOpts {
  std::string FileMask;    // empty: no file search
  std::string FolderMask;  // folder names (search) or folder paths (filter of file results)
  int32_t Category = -1;
  int32_t Disc = -1;
  int32_t FileType = -1;
  bool MinSizeOn = false;
  int64_t MinSize = 0;
  bool MaxSizeOn = false;
  int64_t MaxSize = 0;
  bool MinDateOn = false;
  TDateTime MinDate = 0;
  bool MaxDateOn = false;
  TDateTime MaxDate = 0;
};

// Whether a date lies before the end of the Max date's day. The limits name
// whole days (a date edit gives the day at 00:00), so every time of that day
// passes. The day is the floor: file times before 1899-12-30 are negative
// day counts with the time of day added, as UnixToLocalDateTime makes them.
inline bool WithinMaxDay(TDateTime date, TDateTime maxDate) {
  return date < std::floor(maxDate) + 1;
}

}  // namespace qv
