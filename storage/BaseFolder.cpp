// TXBase: the folder a session holds. Every file is reached through the
// folder's descriptor (Path), so a folder moved or renamed while open keeps
// every change and a copy put where it was is never touched. What the
// session cannot go on with is found before it writes again: a folder
// removed, files that another program wrote over (a copy restored into
// the folder), or a folder no path reaches any more (its file system
// unmounted lazily, or detached by an eject: what is written there is lost
// with it). It then writes nothing more, anywhere, and says so.
#include <sys/stat.h>
#include <time.h>

#include "platform/Files.h"
#include "storage/Base.h"

namespace qv {

std::string TXBase::LossReason() const {
  switch (folderLoss_) {
    case TFolderLoss::Removed:
      return "the database's folder was removed while it was open";
    case TFolderLoss::FilesChanged:
      return "the database's files were changed by another program while it was open";
    case TFolderLoss::Unreachable:
      return "the database's folder can no longer be reached (its file system was unmounted while it was "
             "open)";
    case TFolderLoss::None:
      break;
  }
  return std::string();
}

namespace {
// What a stat of path tells of a change: inode, size and times ("" when
// missing).
std::string StatOf(const std::string& path) {
  struct stat st {};
  if (!PathStat(path, st)) return std::string();
  const int64_t v[] = {int64_t(st.st_dev), int64_t(st.st_ino), int64_t(st.st_size), st.st_mtim.tv_sec,
                       st.st_mtim.tv_nsec, st.st_ctim.tv_sec,  st.st_ctim.tv_nsec};
  return std::string(reinterpret_cast<const char*>(v), sizeof v);
}

int64_t MonotonicNs() {
  struct timespec ts {};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
}  // namespace

void TXBase::NoteDescriptionStamp() {
  descriptionStat_ = path_.empty() ? std::string() : StatOf(path_ + "xbase.vlm");
  descriptionKnown_ = !path_.empty() && ReadWholeFile(path_ + "xbase.vlm", descriptionBytes_);
}

// What the file holds, not when it was written: the same bytes copied over
// it change nothing this session relies on. Its bytes are read again only
// when a stat says it may have changed.
bool TXBase::DescriptionAsLeft() {
  if (!descriptionKnown_) return true;
  const std::string stat = StatOf(path_ + "xbase.vlm");
  if (!stat.empty() && stat == descriptionStat_) return true;
  std::string now;
  if (!ReadWholeFile(path_ + "xbase.vlm", now) || now != descriptionBytes_) return false;
  descriptionStat_ = stat;
  return true;
}

// settled: between changes, when the files' sizes are as the session left
// them; else (in a change's middle) only what no write of its own alters.
TXBase::TFolderLoss TXBase::FolderLossNow(bool settled) {
  if (!folder_.IsOpen()) return TFolderLoss::None;
  switch (folder_.Now()) {
    case HeldFolder::Reach::Removed:
      return TFolderLoss::Removed;
    case HeldFolder::Reach::Unreachable:
      return TFolderLoss::Unreachable;
    case HeldFolder::Reach::Here:
    case HeldFolder::Reach::Elsewhere:
      break;
  }
  const bool dataAsLeft =
      !dataFile_ || !dataFile_->IsOpen() || (settled ? dataFile_->AsLeft() : dataFile_->IsAt());
  if (!dataAsLeft || !gindex_.AsLeft() || !DescriptionAsLeft()) return TFolderLoss::FilesChanged;
  return TFolderLoss::None;
}

bool TXBase::FolderStillOurs(bool settled) {
  if (folderLoss_ == TFolderLoss::None && opened_ && !ReadOnly()) folderLoss_ = FolderLossNow(settled);
  if (folderLoss_ == TFolderLoss::None) return true;
  if (ReadOnly()) return false;
  StopWriting(LossReason(), true);
  if (folderLoss_ == TFolderLoss::FilesChanged) {
    // The one file it takes away: a journal of its own, left by a commit
    // cut short, that would be applied to files it was not written for.
    removingOwnJournal_ = true;
    gindex_.DropOwnJournal();
    removingOwnJournal_ = false;
  }
  return false;
}

bool TXBase::ChangeOutsideLock(const std::string& path, bool write) {
  if (path_.empty() || path.rfind(path_, 0) != 0) return false;
  if (removingOwnJournal_ && path == gindex_.JournalName()) return false;
  if (folderLoss_ != TFolderLoss::None) return true;
  // A write follows the last look closely in a run of writes: a copy put
  // over the files in between is met by the look after.
  const int64_t now = MonotonicNs();
  if (write && now - lookedAtNs_ < 1000000) return false;
  lookedAtNs_ = now;
  folderLoss_ = FolderLossNow(false);
  return folderLoss_ != TFolderLoss::None;
}

void TXBase::NoteTold(const std::string& line) const {
  if (folderLoss_ != TFolderLoss::None && line.find(LossReason()) != std::string::npos) lossTold_ = true;
}

std::string TXBase::MovedTo() const {
  if (!folder_.IsOpen()) return closedAt_;
  if (folder_.IsAt(folder_.OpenedPath())) return std::string();
  return folder_.WhereNow();
}

std::string TXBase::MovedNote(bool every) {
  const std::string where = MovedTo();
  if (where.empty() && folder_.IsOpen() && folder_.Now() == HeldFolder::Reach::Elsewhere) {
    // Followed, but no path to it can be told (no /proc, and a folder
    // above it may not be listed): said so, once.
    static const std::string kUntold = "\n";
    if (!every && movedSaid_ == kUntold) return std::string();
    movedSaid_ = kUntold;
    return "The folder of database \"" + Name +
           "\" was moved while it was open; this session's changes are in it, wherever it is now (where that "
           "is cannot be told here)";
  }
  if (where.empty() || (!every && where == movedSaid_)) return std::string();
  movedSaid_ = where;
  return "The folder of database \"" + Name + "\" was moved to \"" + ExcludeTrailingPathDelimiter(where) +
         "\" while it was open; this session's changes are there";
}

}  // namespace qv
