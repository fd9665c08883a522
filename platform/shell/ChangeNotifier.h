// Folder change notification: a watcher thread waits on inotify and reports
// each burst of changes of the selected kinds once, on the thread that made
// the notifier, through a message posted to a hidden window. Options
// may change at any time (the watch is renewed on the watcher's next wake);
// destroying the notifier stops and joins the thread, also from inside its
// own handler, and no handler runs after that.
#pragma once
#include <sys/types.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "platform/window/Window.h"

namespace qv {

// Change kinds (summed).
constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x1, FILE_NOTIFY_CHANGE_DIR_NAME = 0x2,
                FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x4, FILE_NOTIFY_CHANGE_SIZE = 0x8,
                FILE_NOTIFY_CHANGE_LAST_WRITE = 0x10, FILE_NOTIFY_CHANGE_SECURITY = 0x100;

class TShellChangeWatcher {
 public:
  // Made on the user-interface thread; watches nothing until options are set.
  explicit TShellChangeWatcher(std::function<void()> onChange);
  ~TShellChangeWatcher();
  TShellChangeWatcher(const TShellChangeWatcher&) = delete;
  TShellChangeWatcher& operator=(const TShellChangeWatcher&) = delete;

  // Watches directory (and its sub-folders when subTree) for the kinds in
  // flags. A folder that cannot be watched gives no notifications.
  void SetDirectoryOptions(const std::string& directory, bool subTree, DWORD flags);
  // Replaces the handler (user-interface thread only, where it is called).
  void SetHandler(std::function<void()> onChange);
  // Whether a watch is in place (after the watcher has taken the options).
  bool Watching() const { return watching_.load(); }
  // Number of renewals the watcher has finished (tests wait for a change of it).
  unsigned Renewals() const { return renewals_.load(); }

 private:
  static LRESULT SinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Run();
  void Renew(int inotifyFd);
  void AddWatchTree(int inotifyFd, const std::string& folder, uint32_t mask, int depth);
  bool Relevant(uint32_t eventMask) const;
  void Wake();
  void Deliver();

  std::function<void()> handler_;  // user-interface thread only
  HWND sink_ = nullptr;
  int wakeFd_ = -1;
  std::thread thread_;

  std::mutex lock_;  // guards the options below
  std::string directory_;
  bool subTree_ = false;
  DWORD flags_ = 0;
  bool renew_ = false;

  // Watcher thread only.
  std::unordered_map<int, std::string> watches_;
  DWORD activeFlags_ = 0;
  bool activeSubTree_ = false;

  std::atomic<bool> stop_{false};
  std::atomic<bool> pending_{false};  // a delivery is posted and not yet run
  std::atomic<bool> watching_{false};
  std::atomic<unsigned> renewals_{0};
};

}  // namespace qv
