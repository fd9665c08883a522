// Reading a browsed disc's file records and their names ahead of the walk
// that builds the browse tree, on up to four worker threads. The walk takes
// the files in its own order, each already read, deciphered, verified,
// decoded and named, so that its thread only checks and links them.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "storage/DataFile.h"

namespace qv {

class TXBase;
class TRecKind;

// One file as the walk would read it. The first failure met is the one the
// walk reports: a record that cannot be taken (error), a failed back check
// of its disc or folder (the walk's own), a name that cannot be taken.
struct TReadFile {
  int64_t ref = -1;
  // A reference past the end of the global index marks the database damaged,
  // which only the walk's thread may do: the walk reads such a file (or its
  // name) itself.
  bool walkReads = false;
  bool walkReadsName = false;
  std::string error;
  int64_t disc = -1;
  int64_t parent = -1;
  int64_t nameRef = -1;
  double date = 0;
  int64_t size = 0;
  std::string name;
  std::string nameError;
};

// A folder as the walk would read it, read with the folders around it.
struct TReadFolder {
  bool walkReads = false;      // as for a file
  bool walkReadsName = false;  // as for a file; always for the root, which has none
  std::string error;
  int64_t disc = -1;
  int64_t parent = -1;
  int64_t nameRef = -1;
  double date = 0;
  std::vector<int64_t> files;    // the references that are not negative
  std::vector<int64_t> folders;  // likewise
  std::string name;
  std::string nameError;
};
using TReadFolders = std::unordered_map<int64_t, TReadFolder>;

// Reads root and every folder below it, each once, a level of the tree at
// a time on up to four threads: what the walk then finds here it need not
// read. Empty when the walk must read them itself (threads 0, records of
// these kinds pooled, reads not shared).
TReadFolders ReadFoldersAhead(TXBase& base, const TRecKind* folder, const TRecKind* folderName, int64_t root,
                              int threads);

class TBrowseReadAhead {
 public:
  // Starts reading refs (the files in the walk's order, kept by the caller
  // until this is gone) with up to threads workers, at most aheadChunks
  // chunks ahead of the walk; nullptr when the walk must read them itself:
  // nothing to read, records of these kinds are pooled (they may hold
  // unsaved changes), or the database cannot share its reads.
  static std::unique_ptr<TBrowseReadAhead> Start(TXBase& base, const TRecKind* file, const TRecKind* fileName,
                                                 const std::vector<int64_t>& refs, int threads,
                                                 std::size_t aheadChunks = kAhead);
  // Stops the workers and waits for them.
  ~TBrowseReadAhead();
  TBrowseReadAhead(const TBrowseReadAhead&) = delete;
  TBrowseReadAhead& operator=(const TBrowseReadAhead&) = delete;

  // The walk's index-th file, waiting until it is read, when it is ref;
  // nullptr when the walk must read it itself (another reference, or the
  // database was written since the reads began). Indexes go up one by one;
  // the result stays valid until the next call.
  TReadFile* Take(std::size_t index, int64_t ref);

  // Files per chunk that a worker takes at a time, and chunks read at most
  // ahead of the walk.
  static constexpr std::size_t kChunk = 256;
  static constexpr std::size_t kAhead = 32;

 private:
  TBrowseReadAhead(TXBase& base, const TRecKind* file, const TRecKind* fileName,
                   const std::vector<int64_t>& refs, std::size_t aheadChunks);
  struct Worker;
  class Names;
  void Work(Worker& worker);
  void Stop();

  TXBase& base_;
  const TRecKind* file_;
  const TRecKind* fileName_;
  const std::vector<int64_t>& refs_;
  const std::size_t chunks_;
  const std::size_t ahead_;                  // chunks read at most ahead of the walk
  const int64_t records_;                    // global index entries when the reads began
  const uint64_t writes_;                    // data file writes when the reads began
  std::vector<TReadFile> ring_;              // file i at i % ring_.size()
  std::vector<std::atomic<int64_t>> ready_;  // chunk k done: ready_[k % ahead_] == k + 1
  std::atomic<int64_t> next_{0};             // the next chunk a worker takes
  std::atomic<int64_t> consumed_{0};         // chunks the walk is done with
  std::atomic<bool> stop_{false};
  std::unique_ptr<Names> names_;  // shared names met by any worker
  std::vector<std::unique_ptr<Worker>> workers_;
  bool abandoned_ = false;  // the walk's thread only
};

}  // namespace qv
