// TFilist: the folder scanner. It walks a folder of the local file system
// into a tree of TFileData nodes, a folder's files first and then each
// sub-folder with its content, keeping or dropping each file by the file-type
// table (adding a disc) or by search criteria (comparing a folder). An add
// runs the walk on a worker thread that hands each entry over as it is made.
#pragma once
#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "catalogue/FileData.h"
#include "catalogue/FileKinds.h"
#include "catalogue/Masks.h"
#include "catalogue/ScanFeed.h"
#include "catalogue/ScanOptions.h"
#include "platform/DateTime.h"

namespace qv {

// A file time (seconds since the Unix epoch, UTC) as a local date-time, in
// whole seconds.
TDateTime FileTimeToDateTime(int64_t unixSeconds);

// A folder's date (seconds since the epoch): its birth time, or its
// modification time where the file system keeps no birth time, also when it
// reports one of 0 (no folder was made in 1970).
int64_t FolderTime(const struct statx& st);

class TFilist {
 public:
  // fileKinds is the engine's table, not owned; it may be null (no types).
  explicit TFilist(TFileKinds* fileKinds);
  ~TFilist();
  TFilist(const TFilist&) = delete;
  TFilist& operator=(const TFilist&) = delete;

  // Counters to 0, the root's children freed, RootPath empty. Called while a
  // scan runs (from a callback), it aborts the scan and frees the tree once
  // the scan has ended.
  void Reset();
  // Scans opts.Path. False when aborted, and at once when called while a
  // scan runs.
  bool Scan(const TScanOpts& opts);
  // Scans opts.Path keeping only the files that meet criteria. False when
  // aborted, also by a malformed file mask.
  bool ScanFiltered(const TScanOpts& opts, const TSearchOpts& criteria);
  // Starts an unfiltered scan of opts.Path on a worker thread, which puts
  // every entry to feed as it adds it to the tree. The worker calls none of
  // the callbacks: its console lines wait for EndFeed, and the thread that
  // takes the entries lets the message loop run. Until EndFeed, that thread
  // reads only the entries taken (and frees a folder's children once the
  // folder is taken complete). False when a scan runs.
  bool StartFeed(const TScanOpts& opts, TScanFeed& feed);
  // Waits for the worker, then reports its held lines in order; false when
  // the scan was aborted (also after its walk ended, while its entries still
  // waited to be taken: for the taker the scan had not ended).
  bool EndFeed();
  bool Feeding() const { return feed_ != nullptr; }
  // No worker walks: it has put its last entry, or none was started.
  bool WalkEnded() const { return !feed_ || feed_->Closed(); }
  // Safe from any thread: the scan ends at the next entry.
  void Abort() { Aborted = true; }
  // Walks the folder path into node, with the options of the running scan.
  void ScanFolder(const std::string& path, TFileData* node);

  // The root of the scanned tree (kind 0, named "Root").
  TFileData* Root() const { return root_.get(); }

  std::atomic<bool> Aborted{false};
  // Progress: the count of entries added, divided by 500.
  std::function<void(int32_t)> OnProgress;
  // Lets the message loop process pending messages; called at most every
  // kMessageIntervalMs during a scan, so that Stop can call Abort.
  std::function<void()> OnProcessMessages;
  // Reports an error line to the console.
  std::function<void(const std::string&)> OnError;
  // Reports a warning line: a folder that cannot be read, kept empty.
  std::function<void(const std::string&)> OnWarning;

  TFileKinds* FileKinds;
  TScanOpts ScanOpts;
  int64_t FileCount = 0;
  int64_t FolderCount = 0;
  int64_t TotalCount = 0;
  std::string RootPath;
  TSearchOpts SearchOpts;
  bool FilterOn = false;

  static constexpr int64_t kMessageIntervalMs = 15;

 private:
  struct Entry {
    std::string_view name;
    int64_t size;
    int64_t time;  // seconds since the Unix epoch
  };
  struct Frame;
  class Walker;

  bool Run(const TScanOpts& opts, const TSearchOpts* criteria);
  void Begin(const TScanOpts& opts, const TSearchOpts* criteria);
  // A console line of the scan: at once, or held while a worker scans.
  void Report(bool error, const std::string& text);
  void PrepareFilters();
  bool TakesFileName(std::string_view name) const;
  bool KeepFile(std::string_view name, int64_t size, TDateTime date);
  TFileData* AddEntry(uint8_t kind, const Entry& entry, TFileData* parent);
  void LetMessagesRun();
  void Unreadable(const TFileData* folder);
  void ReportUnreadableCounts();

  std::unique_ptr<TFileData> root_;
  TFileKindIndex kinds_;           // the file-type table as the scan began
  std::optional<TMask> fileMask_;  // the compiled file mask of a filtered scan
  std::optional<TMask> pattern_;   // the enumeration pattern when the mask is malformed
  int64_t lastPumpMs_ = 0;
  bool scanning_ = false;
  bool resetPending_ = false;
  TScanFeed* feed_ = nullptr;  // set while a worker scans
  std::thread worker_;
  std::vector<std::pair<bool, std::string>> held_;  // the worker's lines (error?, text)
  // Folders that could not be read, per top-level folder of the scan in the
  // order first met: only the first of each gets a line of its own.
  std::vector<std::pair<const TFileData*, int64_t>> unreadable_;
};

}  // namespace qv
