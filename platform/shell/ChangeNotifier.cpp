// The watcher: one poll over the inotify descriptor and a wake eventfd. A wake
// means "stop" or "renew"; renewing drops every watch and adds the new ones.
// Deliveries are coalesced: while one is posted and not yet run, further
// changes post nothing.
#include "platform/shell/ChangeNotifier.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/window/MessageQueue.h"

namespace qv {

namespace {

constexpr UINT kChangedMessage = WM_USER + 0x51;
constexpr char16_t kSinkClass[] = u"QvShellChangeSink";
constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxWatches = 8192;

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;

uint32_t InotifyMask(DWORD flags) {
  uint32_t m = IN_ONLYDIR | kSelfEvents;
  if (flags & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME)) m |= kNameEvents;
  if (flags & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) m |= IN_ATTRIB;
  if (flags & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) m |= IN_MODIFY | IN_CLOSE_WRITE;
  return m;
}

void RegisterSinkClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); };
    wc.lpszClassName = kSinkClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

TShellChangeWatcher::TShellChangeWatcher(std::function<void()> onChange) : handler_(std::move(onChange)) {
  RegisterSinkClass();
  // A hidden tool window, as the other utility windows: never shown.
  sink_ = CreateWindowExW(WS_EX_TOOLWINDOW, kSinkClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                          nullptr);
  if (sink_) {
    SetWindowLongPtrW(sink_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(sink_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SinkProc));
  }
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ >= 0) thread_ = std::thread([this] { Run(); });
}

TShellChangeWatcher::~TShellChangeWatcher() {
  stop_.store(true);
  Wake();
  if (thread_.joinable()) thread_.join();
  if (wakeFd_ >= 0) ::close(wakeFd_);
  // A delivery still queued dies with the window.
  if (sink_) {
    SetWindowLongPtrW(sink_, GWLP_USERDATA, 0);
    DestroyWindow(sink_);
  }
}

void TShellChangeWatcher::SetDirectoryOptions(const std::string& directory, bool subTree, DWORD flags) {
  {
    std::lock_guard<std::mutex> l(lock_);
    directory_ = directory;
    subTree_ = subTree;
    flags_ = flags;
    renew_ = true;
  }
  Wake();
}

void TShellChangeWatcher::SetHandler(std::function<void()> onChange) {
  handler_ = std::move(onChange);
}

void TShellChangeWatcher::Wake() {
  if (wakeFd_ < 0) return;
  uint64_t one = 1;
  while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

LRESULT TShellChangeWatcher::SinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kChangedMessage) {
    if (auto* self = reinterpret_cast<TShellChangeWatcher*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
      self->Deliver();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void TShellChangeWatcher::Deliver() {
  pending_.store(false);
  // The handler may destroy this object: run a copy and touch nothing after.
  std::function<void()> handler = handler_;
  if (handler) handler();
}

bool TShellChangeWatcher::Relevant(uint32_t mask) const {
  if (mask & (kSelfEvents | IN_Q_OVERFLOW)) return true;
  if (mask & kNameEvents)
    return activeFlags_ & ((mask & IN_ISDIR) ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME);
  if (mask & IN_ATTRIB) return activeFlags_ & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY);
  if (mask & (IN_MODIFY | IN_CLOSE_WRITE))
    return activeFlags_ & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  return false;
}

void TShellChangeWatcher::AddWatchTree(int fd, const std::string& folder, uint32_t mask, int depth) {
  if (watches_.size() >= kMaxWatches) return;
  int wd = ::inotify_add_watch(fd, folder.c_str(), mask);
  if (wd < 0) return;
  watches_[wd] = folder;
  if (!activeSubTree_ || depth >= kMaxDepth) return;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    // Links are not followed: no loops.
    if (e->d_type != DT_DIR || name == "." || name == "..") continue;
    AddWatchTree(fd, folder + "/" + name, mask, depth + 1);
  }
  ::closedir(dir);
}

void TShellChangeWatcher::Renew(int fd) {
  std::string directory;
  {
    std::lock_guard<std::mutex> l(lock_);
    if (!renew_) return;
    renew_ = false;
    directory = directory_;
    activeSubTree_ = subTree_;
    activeFlags_ = flags_;
  }
  for (auto& w : watches_) ::inotify_rm_watch(fd, w.first);
  watches_.clear();
  // Every event of the old watches still queued is dropped with them.
  char drain[4096];
  while (::read(fd, drain, sizeof drain) > 0) {
  }
  if (!directory.empty() && directory[0] == '/') AddWatchTree(fd, directory, InotifyMask(activeFlags_), 0);
  watching_.store(!watches_.empty());
  renewals_.fetch_add(1);
}

void TShellChangeWatcher::Run() {
  const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  alignas(inotify_event) char buffer[16384];
  while (!stop_.load()) {
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {fd, POLLIN, 0}};
    int n = ::poll(fds, fd >= 0 ? 2 : 1, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;  // a failing wait ends the watcher quietly
    }
    if (fds[0].revents & POLLIN) {
      uint64_t count;
      while (::read(wakeFd_, &count, sizeof count) < 0 && errno == EINTR) {
      }
      if (stop_.load()) break;
      if (fd >= 0) Renew(fd);
    }
    if (fd < 0 || !(fds[1].revents & POLLIN)) continue;
    bool changed = false;
    for (ssize_t len; (len = ::read(fd, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= len;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
        at += sizeof(inotify_event) + e->len;
        if (e->mask & IN_IGNORED) {
          watches_.erase(e->wd);
          continue;
        }
        if (Relevant(e->mask)) changed = true;
        // A new sub-folder of a watched tree is watched too.
        if (activeSubTree_ && (e->mask & IN_ISDIR) && (e->mask & (IN_CREATE | IN_MOVED_TO)) && e->len) {
          auto w = watches_.find(e->wd);
          if (w != watches_.end()) AddWatchTree(fd, w->second + "/" + e->name, InotifyMask(activeFlags_), 1);
        }
      }
    }
    watching_.store(!watches_.empty());
    if (changed && !stop_.load() && !pending_.exchange(true)) PostMessageW(sink_, kChangedMessage, 0, 0);
  }
  if (fd >= 0) ::close(fd);
}

}  // namespace qv
