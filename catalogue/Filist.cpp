// The scan walk. Each folder is read once with getdents64 into a shared
// buffer and each entry is examined with statx relative to the folder's open
// descriptor, so the walk costs little more than the bare system calls.
// Symbolic links are never followed, only folders and regular files are
// taken, names beginning with "." are hidden, and a folder that is one of its
// own ancestors (a bind mount loop) is kept empty. The walk keeps its own
// stack, so no folder depth can exhaust the call stack, and it holds at most
// kOpenFolders folders open: deeper down, an ancestor's descriptor is closed
// and opened again through ".." on the way back up, so no depth can exhaust
// the open-file limit either.
#include "catalogue/Filist.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/Exception.h"
#include "platform/Files.h"

namespace qv {

namespace {

constexpr std::size_t kDentsBytes = 64 * 1024;
constexpr std::size_t kOpenFolders = 64;
constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

int64_t MonotonicMs() {
  struct timespec ts {};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

uint64_t DeviceOf(const struct statx& st) {
  return makedev(st.stx_dev_major, st.stx_dev_minor);
}

}  // namespace

int64_t FolderTime(const struct statx& st) {
  const bool born = (st.stx_mask & STATX_BTIME) && (st.stx_btime.tv_sec != 0 || st.stx_btime.tv_nsec != 0);
  return born ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec;
}

TDateTime FileTimeToDateTime(int64_t unixSeconds) {
  return UnixToLocalDateTime(unixSeconds);
}

// One open folder on the walk's stack.
struct TFilist::Frame {
  int fd;  // -1 while parked, deep below it
  TFileData* node;
  uint64_t dev;
  uint64_t ino;
  std::vector<std::string> folders;  // its sub-folders in enumeration order
  std::size_t next = 0;              // the next of them to walk
};

class TFilist::Walker {
 public:
  explicit Walker(TFilist& scanner) : s_(scanner), buf_(kDentsBytes / sizeof(uint64_t)) {}
  ~Walker() {
    for (auto& f : stack_)
      if (f.fd >= 0) ::close(f.fd);
  }
  Walker(const Walker&) = delete;
  Walker& operator=(const Walker&) = delete;

  void Run(const std::string& path, TFileData* node);

 private:
  void Push(int fd, TFileData* node, uint64_t dev, uint64_t ino);
  void Pop();
  bool Unpark(Frame& parent, int childFd);
  void List(Frame& f);
  void FileEntry(Frame& f, const char* name);
  void EnterNextFolder(Frame& f);
  bool IsOnStack(uint64_t dev, uint64_t ino) const;

  TFilist& s_;
  std::vector<Frame> stack_;
  std::vector<uint64_t> buf_;  // 8-byte aligned, as the directory records need
};

void TFilist::Walker::Run(const std::string& path, TFileData* node) {
  // The chosen folder itself may be reached through a link; below it, none is.
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct statx st {};
  if (fd >= 0 && ::statx(fd, "", AT_EMPTY_PATH, STATX_INO, &st) != 0) {
    ::close(fd);
    fd = -1;
  }
  if (fd < 0) {
    s_.Unreadable(node);  // kept empty
    return;
  }
  Push(fd, node, DeviceOf(st), st.stx_ino);
  while (!stack_.empty()) {
    Frame& f = stack_.back();
    if (s_.Aborted.load(std::memory_order_relaxed) || f.next >= f.folders.size()) {
      bool nested = stack_.size() > 1;
      Pop();
      if (nested) s_.LetMessagesRun();  // after each sub-folder's entry and content
      continue;
    }
    EnterNextFolder(f);
  }
}

void TFilist::Walker::Push(int fd, TFileData* node, uint64_t dev, uint64_t ino) {
  stack_.push_back(Frame{fd, node, dev, ino, {}, 0});
  if (stack_.size() > kOpenFolders) {
    Frame& parked = stack_[stack_.size() - 1 - kOpenFolders];
    if (parked.fd >= 0) ::close(parked.fd);
    parked.fd = -1;
  }
  List(stack_.back());
}

void TFilist::Walker::Pop() {
  Frame& f = stack_.back();
  if (stack_.size() > 1) {
    Frame& parent = stack_[stack_.size() - 2];
    if (parent.fd < 0 && !Unpark(parent, f.fd) && parent.next < parent.folders.size()) {
      // Its other sub-folders cannot be reached any more: they stay out.
      s_.Unreadable(parent.node);
      parent.next = parent.folders.size();
    }
  }
  if (f.fd >= 0) ::close(f.fd);
  stack_.pop_back();
  if (s_.feed_) s_.feed_->Put(nullptr);  // the folder is complete
}

// Opens a parked folder again from its child, and makes sure it is the same
// folder (nothing was moved or replaced meanwhile).
bool TFilist::Walker::Unpark(Frame& parent, int childFd) {
  if (childFd < 0) return false;
  int fd = ::openat(childFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  struct statx st {};
  if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO, &st) != 0 || DeviceOf(st) != parent.dev ||
      st.stx_ino != parent.ino) {
    ::close(fd);
    return false;
  }
  parent.fd = fd;
  return true;
}

bool TFilist::Walker::IsOnStack(uint64_t dev, uint64_t ino) const {
  for (auto& f : stack_)
    if (f.dev == dev && f.ino == ino) return true;
  return false;
}

// Reads the whole folder: files are added as they come, sub-folders are kept
// for later, so that a folder's files come before its sub-folders.
void TFilist::Walker::List(Frame& f) {
  char* buf = reinterpret_cast<char*>(buf_.data());
  for (;;) {
    ssize_t n = ::getdents64(f.fd, buf, kDentsBytes);
    if (n < 0) s_.Unreadable(f.node);  // what was read stays
    if (n <= 0) return;
    for (ssize_t off = 0; off < n;) {
      auto* d = reinterpret_cast<struct dirent64*>(buf + off);
      off += d->d_reclen;
      const char* name = d->d_name;
      if (name[0] == '.') continue;  // ".", ".." and hidden entries
      unsigned char type = d->d_type;
      if (type == DT_UNKNOWN) {
        struct statx st {};
        if (::statx(f.fd, name, kStatFlags, STATX_TYPE, &st) != 0) continue;
        type = S_ISDIR(st.stx_mode) ? DT_DIR : S_ISREG(st.stx_mode) ? DT_REG : DT_UNKNOWN;
      }
      if (type == DT_DIR) {
        f.folders.emplace_back(name);
      } else if (type == DT_REG && !s_.ScanOpts.FoldersOnly) {
        FileEntry(f, name);
        if (s_.Aborted) return;
      }
    }
  }
}

void TFilist::Walker::FileEntry(Frame& f, const char* name) {
  if (!s_.TakesFileName(name)) return;
  struct statx st {};
  if (::statx(f.fd, name, kStatFlags, STATX_TYPE | STATX_SIZE | STATX_MTIME, &st) != 0) return;
  if (!S_ISREG(st.stx_mode)) return;  // replaced since it was listed
  s_.AddEntry(TFileData::kFile, Entry{name, int64_t(st.stx_size), st.stx_mtime.tv_sec}, f.node);
  s_.LetMessagesRun();
}

void TFilist::Walker::EnterNextFolder(Frame& f) {
  std::string name = std::move(f.folders[f.next++]);
  struct statx st {};
  unsigned mask = STATX_TYPE | STATX_INO | STATX_MTIME | STATX_BTIME;
  if (::statx(f.fd, name.c_str(), kStatFlags, mask, &st) != 0 || !S_ISDIR(st.stx_mode)) return;
  TFileData* child = s_.AddEntry(TFileData::kFolder, Entry{name, 0, FolderTime(st)}, f.node);
  uint64_t dev = DeviceOf(st);
  if (IsOnStack(dev, st.stx_ino)) {
    if (s_.feed_) s_.feed_->Put(nullptr);
    s_.LetMessagesRun();  // a loop: kept as an empty folder
    return;
  }
  int fd = ::openat(f.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    s_.Unreadable(child);  // kept as an empty folder
    if (s_.feed_) s_.feed_->Put(nullptr);
    s_.LetMessagesRun();
    return;
  }
  Push(fd, child, dev, st.stx_ino);  // f is not valid after this
}

TFilist::TFilist(TFileKinds* fileKinds) : FileKinds(fileKinds), root_(TFileData::CreateRoot()) {}

TFilist::~TFilist() {
  if (worker_.joinable()) {
    Abort();
    feed_->Cancel();
    worker_.join();
  }
  feed_ = nullptr;
  scanning_ = false;
  Reset();
}

void TFilist::Reset() {
  if (scanning_) {
    // The walk still points into the tree: let it end first.
    Aborted = true;
    resetPending_ = true;
    return;
  }
  FileCount = FolderCount = TotalCount = 0;
  root_->ClearChildren();
  RootPath.clear();
}

bool TFilist::Scan(const TScanOpts& opts) {
  return Run(opts, nullptr);
}

bool TFilist::ScanFiltered(const TScanOpts& opts, const TSearchOpts& criteria) {
  return Run(opts, &criteria);
}

void TFilist::Begin(const TScanOpts& opts, const TSearchOpts* criteria) {
  resetPending_ = false;
  Aborted = false;
  unreadable_.clear();
  ScanOpts = opts;
  FilterOn = criteria != nullptr;
  if (criteria) SearchOpts = *criteria;
  PrepareFilters();
  if (OnProgress) OnProgress(0);
  Reset();
  RootPath = opts.Path;
  lastPumpMs_ = MonotonicMs();
}

bool TFilist::Run(const TScanOpts& opts, const TSearchOpts* criteria) {
  // A scan started from a callback of the running one must not change its options.
  if (scanning_) return false;
  Begin(opts, criteria);
  {
    // Cleared on every way out, also when a callback throws.
    struct Scanning {
      TFilist& s;
      ~Scanning() { s.scanning_ = false; }
    } guard{*this};
    scanning_ = true;
    ScanFolder(opts.Path, root_.get());
  }
  ReportUnreadableCounts();
  if (resetPending_) {
    resetPending_ = false;
    Reset();
  }
  if (OnProgress) OnProgress(0);
  return !Aborted;
}

bool TFilist::StartFeed(const TScanOpts& opts, TScanFeed& feed) {
  if (scanning_) return false;
  Begin(opts, nullptr);
  held_.clear();
  feed_ = &feed;
  scanning_ = true;
  worker_ = std::thread([this] {
    try {
      ScanFolder(ScanOpts.Path, root_.get());
    } catch (...) {
      Aborted = true;  // what was put stays; the scan counts as interrupted
    }
    feed_->Close();
  });
  return true;
}

bool TFilist::EndFeed() {
  if (feed_) feed_->Cancel();  // entries no longer taken must not hold the worker
  if (worker_.joinable()) worker_.join();
  ReportUnreadableCounts();  // held with the worker's lines, before they go out
  feed_ = nullptr;
  scanning_ = false;
  auto lines = std::move(held_);
  held_.clear();
  for (auto& [error, text] : lines) Report(error, text);
  if (resetPending_) {
    resetPending_ = false;
    Reset();
  }
  if (OnProgress) OnProgress(0);
  return !Aborted;
}

void TFilist::Report(bool error, const std::string& text) {
  if (feed_)
    held_.emplace_back(error, text);
  else if (error ? bool(OnError) : bool(OnWarning))
    (error ? OnError : OnWarning)(text);
}

void TFilist::ScanFolder(const std::string& path, TFileData* node) {
  QV_ASSERT(node != nullptr);
  Walker(*this).Run(path, node);
}

// The file-type table is copied for the scan: fast to look up, and safe when
// the table is replaced while the scan lets the message loop run.
void TFilist::PrepareFilters() {
  kinds_ = FileKinds ? TFileKindIndex(*FileKinds) : TFileKindIndex();
  fileMask_.reset();
  pattern_.reset();
  if (!FilterOn) return;
  if (SearchOpts.FileMask.empty()) {
    pattern_.emplace("", TMaskSyntax::FilePattern);  // an empty pattern lists no file
    return;
  }
  try {
    fileMask_.emplace(SearchOpts.FileMask);
  } catch (const EMaskException&) {
    // Only the names the file system's own pattern takes reach the mask test,
    // which then reports the mask.
    pattern_.emplace(SearchOpts.FileMask, TMaskSyntax::FilePattern);
  }
}

// The enumeration's pattern: every name for an unfiltered scan; the file mask
// itself when it is well formed (the mask test then holds for every name
// listed); else the file system's pattern rule.
bool TFilist::TakesFileName(std::string_view name) const {
  if (!FilterOn) return true;
  return fileMask_ ? fileMask_->Matches(name) : pattern_->Matches(name);
}

bool TFilist::KeepFile(std::string_view name, int64_t size, TDateTime date) {
  std::string_view ext = NameExt(name);
  if (!FilterOn) return ScanOpts.AllFiles || kinds_.IsSelected(ext);
  const TSearchOpts& o = SearchOpts;
  if (o.FileType >= 0 && kinds_.IndexOf(ext) != o.FileType) return false;
  if (!o.FileMask.empty() && !fileMask_) {
    Report(true, "Invalid file mask \"" + o.FileMask + "\" specifed");
    Aborted = true;
    return false;
  }
  if (o.MinSizeOn && size < o.MinSize) return false;
  if (o.MaxSizeOn && size > o.MaxSize) return false;
  if (o.MinDateOn && date < o.MinDate) return false;
  if (o.MaxDateOn && !WithinMaxDay(date, o.MaxDate)) return false;
  return true;
}

TFileData* TFilist::AddEntry(uint8_t kind, const Entry& entry, TFileData* parent) {
  TDateTime date = FileTimeToDateTime(entry.time);
  if (kind == TFileData::kFile && !KeepFile(entry.name, entry.size, date)) return nullptr;
  QV_ASSERT(parent != nullptr);
  TFileData* node = parent->AddNew(kind, date, entry.size, std::string(entry.name));
  if (kind == TFileData::kFile)
    ++FileCount;
  else
    ++FolderCount;
  ++TotalCount;
  if (feed_)
    feed_->Put(node);
  else if (OnProgress)
    OnProgress(int32_t(TotalCount / 500));
  return node;
}

// A folder that cannot be read has a line of its own, but system trees such
// as /proc hold thousands of them: below one top-level folder of the scan only
// the first is named, and the rest are counted in one line at the end.
void TFilist::Unreadable(const TFileData* folder) {
  if (!feed_ && !OnWarning) return;
  const TFileData* top = folder;
  while (top->Parent && top->Parent != root_.get()) top = top->Parent;
  if (top != folder) {
    auto it =
        std::find_if(unreadable_.begin(), unreadable_.end(), [top](const auto& e) { return e.first == top; });
    if (it != unreadable_.end()) {
      ++it->second;
      return;
    }
    unreadable_.emplace_back(top, 0);
  }
  Report(false,
         "Failed to read folder \"" + folder->PathUnder(ExcludeTrailingPathDelimiter(RootPath)) + "\"");
}

void TFilist::ReportUnreadableCounts() {
  auto counts = std::move(unreadable_);
  unreadable_.clear();
  for (auto& [top, more] : counts)
    if (more > 0)
      Report(false, "Failed to read " + std::to_string(more) + " more folder(s) under \"" +
                        top->PathUnder(ExcludeTrailingPathDelimiter(RootPath)) + "\"");
}

void TFilist::LetMessagesRun() {
  if (feed_ || !OnProcessMessages) return;  // a worker's taker lets them run
  int64_t now = MonotonicMs();
  if (now - lastPumpMs_ < kMessageIntervalMs) return;
  lastPumpMs_ = now;
  OnProcessMessages();
}

}  // namespace qv
