// Following a reference stored in a catalogue record. A damaged index.vlm can
// make a reference reach a record of another kind, whose fields must not be
// read, or lie past the end of the index: such a reference gives an error
// text for the console instead of a record.
#pragma once
#include <cstdint>
#include <string>

namespace qv {

class TXBase;
class TXRecData;
class TRecKind;
class TKind;

// The record that id names, pinned (the caller releases it), when it is of
// the kind expected; else nullptr with error set. A reference past the end
// of the global index, or one that reaches a record of another kind or of a
// kind the schema does not know, marks the database damaged (read-only from
// then on).
TXRecData* GetReferenced(TXBase& base, int64_t id, const TRecKind* kind, std::string& error);

// As GetReferenced, for a link that a live record must have: its name, its
// parent, a folder's own folders and files. A record marked deleted or
// never written is damage there too (it would read as an empty record): the
// database is marked damaged and nullptr returned with error set.
TXRecData* GetLiveReferenced(TXBase& base, int64_t id, const TRecKind* kind, std::string& error);

// The error text of a reference to a deleted record from a live one.
std::string DeletedLinkText(int64_t id);

// The error text of a reference that reached a record of kind found
// instead of kind.
std::string WrongKindText(int64_t id, const TKind* found, const TRecKind* kind);

// An error line for the console: one that says the database is now open
// for reading only (damage met) ends with the way out of it.
std::string WithWayOut(const TXBase& base, const std::string& line);

// Whether a name record's references hold id. References are appended in ID
// order, so a binary search finds it; a list out of order is searched whole.
bool NameRefersTo(const TXRecData* nameRec, int64_t id);

}  // namespace qv
