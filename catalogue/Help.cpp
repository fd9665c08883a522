// Starting the help viewer: xdg-open started without a shell and not waited
// for (platform/Processes.h).
#include "catalogue/Help.h"

#include <mutex>

#include "catalogue/Info.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace qv {

namespace {

constexpr char kViewer[] = "xdg-open";

std::mutex viewerLock;
std::string viewerPath;  // the viewer once loaded; "" until then
bool viewerLoaded = false;
THelpOpener helpOpener;  // set once at start-up by the user interface

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
  return FindProgramOnPath(kViewer);
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

void SetHelpOpener(THelpOpener opener) {
  std::lock_guard<std::mutex> lock(viewerLock);
  helpOpener = std::move(opener);
}

bool OpenHelpPage(const std::string& page) {
  THelpOpener opener;
  {
    std::lock_guard<std::mutex> lock(viewerLock);
    opener = helpOpener;
  }
  if (opener) return FileExists(page) && opener(page);
  std::string viewer = LoadedViewer();
  if (viewer.empty() || !FileExists(page)) return false;
  return StartDetached(viewer, {page});
}

}  // namespace qv
