// The global index index.vlm: one 16-byte entry per data ID (position of the
// record's chain, kind id, flags), record 0 holding the database ID. Data IDs
// are entry numbers, handed out in order and never reused.
//
// The file stays open while the index is bound and its entries are kept in
// memory; changed and appended entries are written in batches by Commit (at
// every flush of the database), followed by an fsync.
//
// A commit must never be seen in part: a record rewritten by it may refer to
// records it appends. So every entry a commit writes goes first, whole and
// synced, to the journal index.jnl (IndexJournal.h), which names the commit
// mark of xbase.vlm it was written against; only then do the entries reach
// index.vlm. The commit is done once the journal is on disk; the database
// then records the new mark and drops the journal. An open that finds the
// journal finishes the commit from it, when index.vlm is still as the commit
// left it (TXBase, BaseOpen.cpp).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/BinaryFile.h"

namespace qv {

class TXBase;
struct TCommitMark;
struct TXGIndexJournal;

constexpr uint32_t GIndexDeletedFlag = 2;  // stored flag bit: the record was deleted
constexpr uint32_t GIndexMissingFlag = 1;  // in memory only: no such entry
constexpr std::size_t GIndexRecordSize = 16;

struct TXGIndexRec {
  int64_t Position = -1;  // -1: never written
  uint32_t KindId = 0;
  uint32_t Flags = GIndexMissingFlag;

  bool IsMissing() const { return Flags == GIndexMissingFlag; }
  bool IsDeleted() const { return (Flags & GIndexDeletedFlag) != 0; }
  bool operator==(const TXGIndexRec& other) const = default;
};

// An entry's 16 stored bytes.
void PutGIndexEntry(uint8_t* p, const TXGIndexRec& entry);
TXGIndexRec GetGIndexEntry(const uint8_t* p);

class TXGIndex {
 public:
  using TCallback = std::function<bool(const TXGIndexRec& entry, int64_t id)>;

  TXGIndex() = default;
  TXGIndex(const TXGIndex&) = delete;
  TXGIndex& operator=(const TXGIndex&) = delete;

  // Replaces the database's index.vlm with one holding record 0 only and binds
  // to it. False (with LastError, nothing changed) when the folder is missing
  // or the file cannot be written.
  bool Reset(TXBase& database);
  // Empties the bound database's index.vlm to record 0 (in place) and
  // drops the journal; false when unbound or the file cannot take it (the
  // index reads empty all the same).
  bool Clear();
  // Reads the database's index.vlm and binds when its record 0 carries the
  // database's ID; any other content leaves the index unbound.
  bool Open(TXBase& database);
  // Closes the file and unbinds; pending entries are dropped (commit first).
  void Close();
  // Removes the journal of the last commit, once the database recorded the
  // mark it gave; false with LastError when it stays. Unless durable, the
  // folder is not synced: a journal back after a power loss names the mark
  // recorded, and Open drops it (the next journal's sync settles it anyway).
  bool DropJournal(bool durable = true);
  // Moves the journal aside (index.jnl.N, the first free N) where no open
  // applies it; its new name, or "" with LastError.
  std::string SetJournalAside();
  // Removes the journal this session wrote, when it is still the file at
  // its name: the files it was written for were changed by another program,
  // and the commit it holds is not theirs.
  void DropOwnJournal();
  // Finishes the commit of a whole journal that index.vlm was found to match:
  // its entries are set, and written and synced when write is set (else they
  // hold in memory only). False with LastError when the file cannot take them.
  bool Redo(const TXGIndexJournal& journal, bool write);

  // A new entry (position, kind id, flags 0); its number, the new data ID, or
  // -1 when the index cannot take one.
  int64_t Append(uint32_t kindId, int64_t position);
  // The entry of id, or the no-such-entry value (-1, 0, flags 1) outside
  // 1..RecordCount-1; true when the entry exists.
  bool ReadEntry(TXGIndexRec& entry, int64_t id) const;
  bool WriteEntry(const TXGIndexRec& entry, int64_t id);
  bool MarkDeleted(int64_t id);
  // Calls back for id = 1, 2, ... until the callback returns false; the last
  // result (true when there is no entry).
  bool ForEach(const TCallback& callback) const;

  // Writes every pending entry, through the journal, and syncs the file; on
  // failure everything stays pending for the next commit. before is the mark
  // xbase.vlm holds, after the one this commit gives.
  bool Commit(const TCommitMark& before, const TCommitMark& after);
  // A commit that no database records: the journal goes once the entries are
  // on disk.
  bool Commit();
  // A checksum of the last entries below count (at most 16), which a commit
  // mark keeps to know index.vlm again; entryAt gives entry id.
  uint32_t TailChecksum(int64_t count) const;
  static uint32_t TailChecksum(int64_t count, const std::function<TXGIndexRec(int64_t id)>& entryAt);
  // The whole index's checksum is the sum (mod 2^64) of EntrySum over the
  // entries 1 .. count-1: order-independent, so a commit updates it by the
  // entries it writes alone. EntrySum mixes the ID with the entry's stored
  // bytes.
  static uint64_t EntrySum(int64_t id, const TXGIndexRec& entry);
  uint64_t Sum(int64_t count) const;
  // The sum of the committed entries, and the one the pending commit gives.
  uint64_t CommittedSum() const { return committedSum_; }
  uint64_t PendingSum() const;
  // The highest pending entry that points to a chain other than its file
  // value: a live record this commit wrote. 0 when there is none.
  int64_t NewestWrittenChain() const;
  // Whether the commit under way rewrites entry id.
  bool Rewrites(int64_t id) const { return dirty_.count(id) != 0; }
  // Whether the chain that entry id points to was written after the last
  // commit, so that no entry in the file refers to it yet and it may be
  // rewritten in place. Chains the file refers to are never overwritten.
  bool IsFresh(int64_t id) const { return id >= 0 && id < int64_t(fresh_.size()) && fresh_[std::size_t(id)]; }
  void MarkFresh(int64_t id);
  // Forgets every pending entry: the index reads as the file holds it, as
  // the last commit left it (an appended entry's ID is then no entry).
  void DropPending();
  bool HasPending() const { return writtenCount_ < RecordCount() || !dirty_.empty(); }

  int64_t RecordCount() const { return int64_t(entries_.size()); }  // record 0 included
  bool Bound() const { return base_ != nullptr; }
  TXBase* Base() const { return base_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& JournalName() const { return journalName_; }
  // index.vlm as this session left it: still at its name, and holding at
  // least the entries written (a copy written over it holds fewer, or
  // another file is in its place).
  bool AsLeft() const;
  const std::string& LastError() const { return lastError_; }

 private:
  bool Fail(std::string text);
  bool WriteRun(int64_t first, int64_t count);
  bool WriteDirty(const std::vector<int64_t>& ids);
  bool WriteJournal(const TCommitMark& before, const TCommitMark& after, const std::vector<int64_t>& ids);
  bool SyncIndexFile();
  void Unbind();

  std::string fileName_;
  std::string journalName_;
  uint64_t ownJournal_ = 0;  // the inode of the journal this session wrote and still has (0: none)
  TXBase* base_ = nullptr;
  FileHooks* hooks_ = &FileHooks::None();  // the bound database's
  BinaryFile file_;
  std::vector<TXGIndexRec> entries_;                // entry 0 stands for the header
  int64_t writtenCount_ = 0;                        // entries [0, writtenCount_) are in the file
  std::unordered_map<int64_t, TXGIndexRec> dirty_;  // rewritten entries below writtenCount_: their file value
  std::vector<bool> fresh_;                         // see IsFresh
  uint64_t committedSum_ = 0;                       // Sum of the entries in the file
  std::string lastError_;
};

}  // namespace qv
