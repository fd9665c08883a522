// The browse's read-ahead: workers take chunks of the walk's file list in
// order and read each file and its name as the walk would; the walk takes
// them from a ring of results no more than kAhead chunks ahead of it. The
// workers read the database only (global index entries, kinds, the data
// file through their own readers), which the walk's thread leaves unchanged
// while they run; a write shows in the data file's write count, and the
// walk then stops the workers and reads the rest itself.
#include "catalogue/BrowseReadAhead.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <unordered_set>

#include "catalogue/BrowseNames.h"
#include "storage/Base.h"
#include "storage/Parallel.h"

namespace qv {

namespace {

// Records read detached, checked as GetLiveReferenced checks them. What
// marks the database damaged is left to the walk (leftToWalk), which reads
// it again through the pool: a reference past the end of the global index,
// a record that cannot be read, a link to a deleted record.
struct DetachedSource {
  const TXBase& base;
  TXFile::TSharedReader& reader;
  int64_t records;
  std::unique_ptr<TXRecData> held;
  bool leftToWalk = false;

  TXRecData* Get(int64_t id, const TRecKind* kind, std::string& error) {
    error.clear();
    if (id >= records) {
      leftToWalk = true;
      return nullptr;
    }
    held = base.ReadDetached(id, reader, error);
    // Damage (a deleted, missing or other record) is the walk's to report.
    if (!held || held->IsDeleted() || held->Position <= 0 || held->Kind != kind) {
      leftToWalk = true;
      held.reset();
      return nullptr;
    }
    return held.get();
  }
  void Put(TXRecData*) { held.reset(); }
};

// Reads folder ref as the walk would, its name included (not the root's).
void ReadFolder(int64_t ref, bool root, const TRecKind* folder, const TRecKind* folderName,
                DetachedSource& source, browse::SharedNames& names, TReadFolder& out) {
  source.leftToWalk = false;
  TXRecData* rec = source.Get(ref, folder, out.error);
  if (!rec) {
    out.walkReads = source.leftToWalk;
    return;
  }
  out.disc = rec::Ref(rec, fld::foDisc);
  out.parent = rec::Ref(rec, fld::foParent);
  out.date = rec::Date(rec, fld::foDate);
  out.files.reserve(std::size_t(rec::RefCount(rec, fld::foFiles)));
  for (int i = 0; i < rec::RefCount(rec, fld::foFiles); ++i)
    if (int64_t f = rec::RefAt(rec, fld::foFiles, i); f >= 0) out.files.push_back(f);
  for (int i = 0; i < rec::RefCount(rec, fld::foFolders); ++i)
    if (int64_t f = rec::RefAt(rec, fld::foFolders, i); f >= 0) out.folders.push_back(f);
  out.nameRef = rec::Ref(rec, fld::foName);
  source.Put(rec);
  if (root) {
    out.walkReadsName = true;
    return;
  }
  if (!browse::NodeName(source, out.nameRef, ref, folderName, false, names, out.name, out.nameError))
    out.walkReadsName = source.leftToWalk;
}

}  // namespace

TReadFolders ReadFoldersAhead(TXBase& base, const TRecKind* folder, const TRecKind* folderName, int64_t root,
                              int threads) {
  TReadFolders read;
  if (threads <= 0 || root < 0 || !base.Opened() || !base.DataFile()) return read;
  for (const TXRecData* rec : base.Pool().SortedByID())
    if (rec->Kind == folder || rec->Kind == folderName) return read;
  TXFile::TSharedReader prepared;
  if (!base.PrepareSharedReads(prepared)) return read;
  const int64_t records = base.GIndex().RecordCount();
  std::vector<int64_t> level{root};
  std::unordered_set<int64_t> seen{root};
  while (!level.empty()) {
    std::vector<TReadFolder> got(level.size());
    // Each part reads with a reader and name cache of its own.
    ParallelFor(level.size(), 64, [&](std::size_t begin, std::size_t end) {
      TXFile::TSharedReader reader = prepared;
      DetachedSource source{base, reader, records, nullptr};
      browse::SharedNames names;
      for (std::size_t i = begin; i < end; ++i) {
        try {
          ReadFolder(level[i], level[i] == root, folder, folderName, source, names, got[i]);
        } catch (const std::exception&) {
          got[i] = TReadFolder{};
          got[i].walkReads = true;  // out of memory: the walk tries again and reports
        }
      }
    });
    std::vector<int64_t> next;
    for (std::size_t i = 0; i < level.size(); ++i) {
      for (int64_t child : got[i].folders)
        if (seen.insert(child).second) next.push_back(child);
      read.emplace(level[i], std::move(got[i]));
    }
    level = std::move(next);
  }
  return read;
}

// The shared names of every worker, in shards each behind its own lock. A
// name once put never changes (a second put of it keeps the first: both
// come from the same record), so what Find gives stays valid and readable
// without the lock.
class TBrowseReadAhead::Names {
 public:
  const browse::SharedName* Find(int64_t id) {
    Shard& s = ShardOf(id);
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.names.Find(id);
  }
  const browse::SharedName& Put(int64_t id, browse::SharedName entry) {
    Shard& s = ShardOf(id);
    std::lock_guard<std::mutex> lock(s.mutex);
    if (const browse::SharedName* known = s.names.Find(id)) return *known;
    return s.names.Put(id, std::move(entry));
  }

 private:
  struct alignas(64) Shard {
    std::mutex mutex;
    browse::SharedNames names;
  };
  Shard& ShardOf(int64_t id) { return shards_[std::size_t(uint64_t(id) * 0x9E3779B97F4A7C15ull >> 60)]; }
  std::array<Shard, 16> shards_;
};

struct TBrowseReadAhead::Worker {
  TXFile::TSharedReader reader;
  std::thread thread;
};

TBrowseReadAhead::TBrowseReadAhead(TXBase& base, const TRecKind* file, const TRecKind* fileName,
                                   const std::vector<int64_t>& refs, std::size_t aheadChunks)
    : base_(base),
      file_(file),
      fileName_(fileName),
      refs_(refs),
      chunks_((refs_.size() + kChunk - 1) / kChunk),
      ahead_(std::max<std::size_t>(aheadChunks, 1)),
      records_(base.GIndex().RecordCount()),
      writes_(base.DataFile()->Writes()),
      ring_(std::min(refs_.size(), kChunk * ahead_)),
      ready_(ahead_),
      names_(std::make_unique<Names>()) {
  for (auto& r : ready_) r.store(0, std::memory_order_relaxed);
}

std::unique_ptr<TBrowseReadAhead> TBrowseReadAhead::Start(TXBase& base, const TRecKind* file,
                                                          const TRecKind* fileName,
                                                          const std::vector<int64_t>& refs, int threads,
                                                          std::size_t aheadChunks) {
  if (refs.empty() || threads <= 0 || !base.Opened() || !base.DataFile()) return nullptr;
  for (const TXRecData* rec : base.Pool().SortedByID())
    if (rec->Kind == file || rec->Kind == fileName) return nullptr;
  const std::size_t chunks = (refs.size() + kChunk - 1) / kChunk;
  const std::size_t count = std::min<std::size_t>({std::size_t(threads), 4, chunks});
  std::unique_ptr<TBrowseReadAhead> ahead(new TBrowseReadAhead(base, file, fileName, refs, aheadChunks));
  for (std::size_t i = 0; i < count; ++i) {
    auto worker = std::make_unique<Worker>();
    if (!base.PrepareSharedReads(worker->reader)) return nullptr;
    ahead->workers_.push_back(std::move(worker));
  }
  for (auto& worker : ahead->workers_) {
    Worker* w = worker.get();
    w->thread = std::thread([a = ahead.get(), w] { a->Work(*w); });
  }
  return ahead;
}

TBrowseReadAhead::~TBrowseReadAhead() {
  Stop();
}

void TBrowseReadAhead::Stop() {
  stop_.store(true);
  // Wakes the workers waiting for room.
  consumed_.fetch_add(1);
  consumed_.notify_all();
  for (auto& w : workers_)
    if (w->thread.joinable()) w->thread.join();
}

void TBrowseReadAhead::Work(Worker& worker) {
  DetachedSource source{base_, worker.reader, records_, nullptr};
  for (;;) {
    const int64_t k = next_.fetch_add(1);
    if (k >= int64_t(chunks_)) return;
    // Chunk k takes the ring slots of chunk k - ahead_, which the walk must be done with.
    for (;;) {
      const int64_t done = consumed_.load(std::memory_order_acquire);
      if (stop_.load()) return;
      if (k < done + int64_t(ahead_)) break;
      consumed_.wait(done, std::memory_order_acquire);
    }
    const std::size_t end = std::min(refs_.size(), std::size_t(k + 1) * kChunk);
    for (std::size_t i = std::size_t(k) * kChunk; i < end; ++i) {
      if (stop_.load(std::memory_order_relaxed)) return;
      TReadFile& out = ring_[i % ring_.size()];
      out.ref = refs_[i];
      out.walkReads = out.walkReadsName = false;
      out.error.clear();
      out.nameError.clear();
      out.name.clear();
      try {
        source.leftToWalk = false;
        TXRecData* rec = source.Get(out.ref, file_, out.error);
        if (!rec) {
          out.walkReads = source.leftToWalk;
          continue;
        }
        // Disc and parent stand at the same field numbers in file and folder records.
        out.disc = rec::Ref(rec, fld::foDisc);
        out.parent = rec::Ref(rec, fld::foParent);
        out.date = rec::Date(rec, fld::fiDate);
        out.size = rec::Int(rec, fld::fiSize);
        out.nameRef = rec::Ref(rec, fld::fiName);
        source.Put(rec);
        if (!browse::NodeName(source, out.nameRef, out.ref, fileName_, true, *names_, out.name,
                              out.nameError))
          out.walkReadsName = source.leftToWalk;
      } catch (const std::exception&) {
        out.walkReads = true;  // out of memory: the walk tries again and reports
      }
    }
    std::atomic<int64_t>& flag = ready_[std::size_t(k) % ahead_];
    flag.store(k + 1, std::memory_order_release);
    flag.notify_all();
  }
}

TReadFile* TBrowseReadAhead::Take(std::size_t index, int64_t ref) {
  if (abandoned_ || index >= refs_.size()) return nullptr;
  if (base_.DataFile()->Writes() != writes_) {
    // Written meanwhile (a pooled record saved): what was read may be stale.
    abandoned_ = true;
    Stop();
    return nullptr;
  }
  const int64_t k = int64_t(index / kChunk);
  if (index % kChunk == 0 && k > 0) {
    // The walk is done with the chunks before this one.
    consumed_.store(k, std::memory_order_release);
    consumed_.notify_all();
  }
  std::atomic<int64_t>& flag = ready_[std::size_t(k) % ahead_];
  for (int64_t v = flag.load(std::memory_order_acquire); v != k + 1; v = flag.load(std::memory_order_acquire))
    flag.wait(v, std::memory_order_acquire);
  TReadFile& file = ring_[index % ring_.size()];
  return file.ref == ref ? &file : nullptr;
}

}  // namespace qv
