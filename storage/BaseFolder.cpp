// TXBase: the folder a session holds. Every file is reached through the
// folder's descriptor (Path), so a folder moved or renamed while open keeps
// every change and a copy put where it was is never touched. What the
// session cannot go on with is found before it writes again: a folder
// removed, files that another program wrote over (a copy restored into
// the folder), or a folder no path reaches any more (its file system
// unmounted lazily, or detached by an eject: what is written there is lost
// with it). It then writes nothing more, anywhere, and says so.
#include <sys/stat.h>

#include <ctime>

#include "platform/Files.h"
#include "storage/Base.h"

namespace qv {

std::string TXBase::LossReason() const {
  switch (folderLoss_) {
    case TFolderLoss::Removed:
      return "the database's folder was removed while it was open";
    case TFolderLoss::FilesChanged:
      if (lossWhileWriting_)
        return "the database's files were changed by another program while a change was being written to "
               "them";
      return "the database's files were changed by another program while it was open";
    case TFolderLoss::Unreachable:
      return "the database's folder can no longer be reached (its file system was unmounted while it was "
             "open)";
    case TFolderLoss::None:
      break;
  }
  return std::string();
}

std::string TXBase::TakeLossAdvice() {
  if (lossAdvised_) return std::string();
  std::string advice;
  if (folderLoss_ == TFolderLoss::Removed) {
    // A move to another disc copies the files one by one while the session
    // writes, then removes the folder: the copy may be of any moment since.
    char at[16] = "";
    const time_t opened = time_t(openedAt_);
    struct tm local {};
    if (localtime_r(&opened, &local)) strftime(at, sizeof at, "%H:%M:%S", &local);
    advice = "The folder of database \"" + Name +
             "\" was removed while it was open; a copy of it made meanwhile (as a move to another disc "
             "makes one) may lack the changes this session stored since it opened at " +
             at + ": open that copy and check it before relying on it";
  } else if (folderLoss_ == TFolderLoss::Unreachable) {
    // What it stored before went to that file system alone: onto its disc
    // when the last user lets it go, or away with it (one held in memory).
    advice = "The folder of database \"" + Name +
             "\" can no longer be reached (its file system was unmounted while it was open); what this "
             "session stored before is only on that file system: check the catalogue when its disc is "
             "mounted again";
  } else if (folderLoss_ == TFolderLoss::FilesChanged && lossWhileWriting_) {
    advice = "The files of database \"" + Name +
             "\" were changed by another program while a change was being written to them, and what it "
             "wrote may have reached them: put the copy back again with the catalogue closed";
  }
  if (advice.empty()) return advice;
  lossAdvised_ = lossTold_ = true;
  return advice;
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

// A file of the session's own making that takes no file's place until it
// is renamed (the rename is looked at): writing it harms nothing.
bool OwnTemporary(const std::string& path) {
  static const std::string kTemporary = ".tmp";
  return path.size() > kTemporary.size() &&
         path.compare(path.size() - kTemporary.size(), kTemporary.size(), kTemporary) == 0;
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

// Each file as this session's own writes left it, in a change's middle too:
// storage.vlm's size to the byte and its header, index.vlm's entries, the
// description's bytes. A copy put back over any of them is met at the first
// look after its first file is written.
TXBase::TFolderLoss TXBase::FolderLossNow() {
  if (!folder_.IsOpen()) return TFolderLoss::None;
  // Its place first: a folder whose file system was detached keeps its
  // files as the session left them, and only its place tells (one stat of
  // the path it was opened by, while it is there).
  switch (folder_.Now()) {
    case HeldFolder::Reach::Removed:
      return TFolderLoss::Removed;
    case HeldFolder::Reach::Unreachable:
      return TFolderLoss::Unreachable;
    case HeldFolder::Reach::Here:
    case HeldFolder::Reach::Elsewhere:
      break;
  }
  const bool dataOpen = dataFile_ && dataFile_->IsOpen();
  const bool asLeft = (!dataOpen || dataFile_->AsLeft()) && gindex_.AsLeft() && DescriptionAsLeft();
  return asLeft ? TFolderLoss::None : TFolderLoss::FilesChanged;
}

// A look: what it finds is kept. Met while a change was writing: a write
// was let through since the look after a change's last write found the
// files as left, and may have reached what another program put there
// meanwhile (a look in a change's middle cannot tell a file written over
// with the bytes it held from one left alone).
void TXBase::LookAtFolder(bool changeEnded) {
  folderLoss_ = FolderLossNow();
  if (folderLoss_ != TFolderLoss::None)
    lossWhileWriting_ = writtenSinceLook_;
  else if (changeEnded)
    writtenSinceLook_ = false;
}

bool TXBase::FolderStillOurs(bool changeEnded) {
  if (folderLoss_ == TFolderLoss::None && opened_ && !ReadOnly()) LookAtFolder(changeEnded);
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

// Looked at before every write, rename, removal and open for writing that
// can reach a file another program may have put there: a copy written over
// the files between two writes of a change gets none of the later ones.
// A run of writes to storage.vlm (the chains of a flush, thousands in a
// large one) costs one look at its first write, and at each after it a look
// at that file's size alone: a copy written over storage.vlm truncates it
// and gives it another size (as `cp` and `rsync --inplace` write it, from
// its start), and one written over another file gets none of the run's
// bytes (the next write there, or the commit's first, looks at it).
bool TXBase::ChangeOutsideLock(const std::string& path, TFolderGuard::TChange change) {
  using TChange = TFolderGuard::TChange;
  if (path_.empty() || path.rfind(path_, 0) != 0) return false;
  if (removingOwnJournal_ && path == gindex_.JournalName()) return false;
  if (folderLoss_ != TFolderLoss::None) return true;
  // Looked at where it protects something: a sync makes nothing new reach
  // a file, and the journal, once made (looked at), is the session's own.
  if (change == TChange::Sync || OwnTemporary(path)) return false;
  if (change != TChange::ByName && path == gindex_.JournalName()) return false;
  const bool dataBytes = change == TChange::Bytes && dataFile_ && path == dataFile_->FileName();
  if (dataBytes && inDataRun_) {
    if (dataFile_->SizeAsLeft()) return false;
    folderLoss_ = TFolderLoss::FilesChanged;
    lossWhileWriting_ = true;
    return true;
  }
  LookAtFolder(false);
  if (folderLoss_ != TFolderLoss::None) return true;
  writtenSinceLook_ = true;
  inDataRun_ = dataBytes;
  return false;
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
