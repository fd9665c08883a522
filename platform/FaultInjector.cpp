// The test hooks: write counting, chosen failures and power loss.
#include "platform/FaultInjector.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/HeldFolder.h"

namespace qv {
namespace {

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ReadWhole(const std::string& path) {
  std::string out;
  const FolderReach reach = ReachOf(path);
  int fd = ::openat(reach.dir, reach.name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return out;
  char buf[65536];
  ssize_t r;
  while ((r = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, std::size_t(r));
  ::close(fd);
  return out;
}

void WriteWhole(const std::string& path, const std::string& content) {
  const FolderReach reach = ReachOf(path);
  int fd = ::openat(reach.dir, reach.name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t w = ::write(fd, content.data() + done, content.size() - done);
    if (w <= 0) break;
    done += std::size_t(w);
  }
  ::close(fd);
}

}  // namespace

void FaultInjector::Reset() {
  std::lock_guard g(lock_);
  armed_ = false;
  writes_ = failFrom_ = failOnly_ = 0;
  tracking_ = false;
  hook_ = nullptr;
  openHook_ = nullptr;
  refuse_ = 0;
  countChanges_ = false;
  changes_ = failChange_ = 0;
  changeError_ = 0;
  synced_.clear();
  unlinked_.clear();
}

void FaultInjector::RefuseChanges(int error) {
  std::lock_guard g(lock_);
  refuse_ = error;
}

int FaultInjector::RefuseChange(const std::string&) {
  std::lock_guard g(lock_);
  if (refuse_) return refuse_;
  return CountChange();
}

int FaultInjector::RefuseDirectorySync(const std::string&) {
  std::lock_guard g(lock_);
  return CountChange();
}

int FaultInjector::CountChange() {
  if (!countChanges_) return 0;
  return ++changes_ == failChange_ ? changeError_ : 0;
}

void FaultInjector::FailOnlyChange(int64_t n, int error) {
  std::lock_guard g(lock_);
  countChanges_ = true;
  failChange_ = n;
  changeError_ = error;
}

int64_t FaultInjector::ChangeCount() {
  std::lock_guard g(lock_);
  return changes_;
}

void FaultInjector::FailWritesFrom(int64_t n) {
  std::lock_guard g(lock_);
  failFrom_ = n;
  armed_ = true;
}

void FaultInjector::FailOnlyWrite(int64_t n) {
  std::lock_guard g(lock_);
  failOnly_ = n;
  armed_ = true;
}

int64_t FaultInjector::WriteCount() {
  std::lock_guard g(lock_);
  return writes_;
}

void FaultInjector::TrackUnsynced(bool on) {
  std::lock_guard g(lock_);
  tracking_ = on;
  armed_ = true;
}

void FaultInjector::SetWriteHook(TWriteHook hook) {
  std::lock_guard g(lock_);
  hook_ = std::move(hook);
  armed_ = true;
}

bool FaultInjector::ShouldFailWrite(const std::string& path) {
  TWriteHook hook;
  bool fail;
  int64_t n;
  {
    std::lock_guard g(lock_);
    if (!armed_) return false;
    n = ++writes_;
    fail = (failFrom_ > 0 && n >= failFrom_) || (failOnly_ > 0 && n == failOnly_);
    hook = hook_;
  }
  if (hook) hook(n, path);  // outside the lock: it may end the process
  return fail;
}

void FaultInjector::SetOpenHook(TOpenHook hook) {
  std::lock_guard g(lock_);
  openHook_ = std::move(hook);
}

void FaultInjector::NoteLock(const std::string& path) {
  TOpenHook hook;
  {
    std::lock_guard g(lock_);
    hook = openHook_;
  }
  if (hook) hook("lock", path);  // outside the lock: it may wait for another process
}

void FaultInjector::NoteRead(const std::string& path) {
  TOpenHook hook;
  {
    std::lock_guard g(lock_);
    hook = openHook_;
  }
  if (hook) hook("read", path);
}

void FaultInjector::NoteOpen(const std::string& path) {
  TOpenHook hook;
  {
    std::lock_guard g(lock_);
    if (tracking_ && !synced_.count(path)) synced_[path] = ReadWhole(path);
    hook = openHook_;
  }
  if (hook) hook("open", path);  // outside the lock: it may wait for another process
}

void FaultInjector::NoteSync(const std::string& path) {
  std::lock_guard g(lock_);
  if (tracking_) synced_[path] = ReadWhole(path);
}

void FaultInjector::NoteRename(const std::string& from, const std::string& to) {
  std::lock_guard g(lock_);
  if (!tracking_) return;
  auto it = synced_.find(from);
  if (it == synced_.end()) return;
  synced_[to] = it->second;
  synced_.erase(from);
}

void FaultInjector::NoteDelete(const std::string& path) {
  std::lock_guard g(lock_);
  if (!tracking_) return;
  auto it = synced_.find(path);
  if (it == synced_.end()) return;
  unlinked_[path] = it->second;
  synced_.erase(it);
}

void FaultInjector::NoteDirectorySync(const std::string& folder) {
  std::lock_guard g(lock_);
  std::string dir = folder;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::erase_if(unlinked_, [&](const auto& entry) { return FolderOf(entry.first) == dir; });
}

void FaultInjector::SimulatePowerLoss() {
  std::lock_guard g(lock_);
  synced_.insert(unlinked_.begin(), unlinked_.end());
  for (auto& [path, content] : synced_) WriteWhole(path, content);
}

}  // namespace qv
