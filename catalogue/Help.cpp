// Starting the help viewer: posix_spawn of xdg-open, no shell; a detached
// thread reaps the viewer so that no zombie is left behind.
#include "catalogue/Help.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "catalogue/Info.h"
#include "platform/Files.h"

extern char** environ;

namespace qv {

namespace {

constexpr char kViewer[] = "xdg-open";

std::mutex viewerLock;
std::string viewerPath;  // the viewer once loaded; "" until then
bool viewerLoaded = false;

bool IsExecutable(const std::string& path) {
  return FileExists(path) && ::access(path.c_str(), X_OK) == 0;
}

std::string LoadedViewer() {
  std::lock_guard<std::mutex> lock(viewerLock);
  if (!viewerLoaded) {
    viewerPath = GetHHCtrlPath();
    viewerLoaded = true;
  }
  return viewerPath;
}

}  // namespace

std::string GetHHCtrlPath() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (!dir.empty()) {
      std::string candidate = IncludeTrailingPathDelimiter(dir) + kViewer;
      if (IsExecutable(candidate)) return candidate;
    }
    start = end + 1;
  }
  return "";
}

void LoadHtmlHelp() {
  LoadedViewer();
}

void UnloadHtmlHelp() {
  std::lock_guard<std::mutex> lock(viewerLock);
  viewerPath.clear();
  viewerLoaded = false;
}

std::string HelpPagePath(const std::string& topic) {
  return AppPath() + "help/" + (topic.empty() ? std::string("index.htm") : topic);
}

bool ShowHelp(const std::string& topic) {
  std::string page = HelpPagePath(topic);
  // A topic never leaves the help folder.
  if (topic.find("..") != std::string::npos || !FileExists(page)) return false;
  return OpenHelpPage(page);
}

bool OpenHelpPage(const std::string& page) {
  std::string viewer = LoadedViewer();
  if (viewer.empty() || !FileExists(page)) return false;
  std::string arg0 = kViewer;
  std::string arg1 = page;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, viewer.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace qv
