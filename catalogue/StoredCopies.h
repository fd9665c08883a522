// TStoredCopies: what a folder compare keeps of the stored files of the names
// it meets. A name's stored spellings and, for each, what the rows of its
// stored copies need are read once per compare, and dropped once the last
// scanned file of that name has been compared, so a tree with thousands of
// files of one name reads that name's copies once, not once per file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalogue/FileData.h"

namespace qv {

class TStoredCopies {
 public:
  // A live stored file: what its entry row shows.
  struct Copy {
    int64_t Ref, Disc, Parent, Size;
    double Date;
  };
  // One stored spelling of a name (the index keeps "README" and "readme"
  // apart) with its copies in the order its name record refers to them.
  struct Spelling {
    std::string Name;
    std::vector<Copy> Copies;
    // References that could not be followed: the error text, said before the
    // copy at its position (Copies.size(): after the last).
    std::vector<std::pair<std::size_t, std::string>> Errors;
    // Positions into Copies ordered by date, size and position: a long list
    // is searched, not walked, for each scanned file.
    std::vector<uint32_t> ByFacts;

    // Makes ByFacts once the copies are all there.
    void Index();
    // The positions of the copies of this date and size, ascending.
    void Matching(double date, int64_t size, std::vector<uint32_t>& positions) const;
  };
  struct Name {
    bool Read = false;
    std::vector<Spelling> Spellings;
    // Reading failed after the spellings read so far, with this error.
    bool Failed = false;
    std::string Failure;
  };

  // Counts the scanned files of every name below node; their names stay
  // where the scanned tree holds them while this lives.
  void CountNames(const TFileData* node);
  // The copies of a name met by more scanned files than this one, kept for
  // them; of any other name, `single` (the caller's, read for this file).
  Name& For(std::string_view name, Name& single);
  // One scanned file of the name was compared: after its last, its copies go.
  void Compared(std::string_view name);

 private:
  std::unordered_map<std::string_view, int64_t> left_;  // scanned files of a name not compared yet
  std::unordered_map<std::string_view, Name> kept_;     // names met more than once, once read
};

}  // namespace qv
