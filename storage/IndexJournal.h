// index.jnl: the journal of a commit of the global index, written whole and
// synced before the commit touches index.vlm. It names the commit mark it
// was written against (Before, as xbase.vlm holds it) and the one the commit
// gives (After), and holds every entry the commit writes: the appended ones
// and, for each rewritten one, its committed and its new value. So an open
// that finds it can tell whether index.vlm is still as this commit left it
// (then the commit is finished from the journal) or was changed since by
// another writer (then the journal is set aside, never applied).
//
// An earlier version wrote the journal after the appended entries and held
// only the count it gives and the new rewritten entries (Legacy).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Guid.h"
#include "storage/CommitMark.h"
#include "storage/GlobalIndex.h"

namespace qv {

struct TXGIndexJournal {
  enum class TState {
    None,     // no journal
    Torn,     // shorter than it says: its commit never touched index.vlm
    Damaged,  // whole length, yet not a sound journal of this database
    Whole,
  };
  struct TRewrite {
    int64_t Id;
    TXGIndexRec Old, New;  // Legacy: Old unknown
  };

  TState State = TState::None;
  bool Legacy = false;
  TCommitMark Before, After;          // Legacy: After.Entries only; short marks in a "QVJNL002" one
  std::vector<TXGIndexRec> Appended;  // entries Before.Entries .. After.Entries-1
  std::vector<TRewrite> Rewrites;     // ascending IDs
  std::string Problem;                // Torn and Damaged: what was found ("fails its checksum")

  static std::string FileName(const std::string& folder) { return folder + "index.jnl"; }
  static TXGIndexJournal Read(const std::string& fileName, const TGUID& guid);
  // The bytes of a journal; appended holds After.Entries - Before.Entries entries.
  static std::vector<uint8_t> Encode(const TGUID& guid, const TCommitMark& before, const TCommitMark& after,
                                     const TXGIndexRec* appended, const std::vector<TRewrite>& rewrites);

 private:
  void ParseLegacy(const std::string& data, const TGUID& guid);
  void Parse(const std::string& data, const TGUID& guid, bool whole);
  bool Torn(const std::string& why);
  bool Damaged(const std::string& why);
};

}  // namespace qv
