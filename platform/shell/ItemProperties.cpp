// Showing an item's properties through the desktop's file manager: a
// method call to org.freedesktop.FileManager1 made by the bus tool, started
// without a shell so that no name is ever parsed by one.
#include "platform/shell/ItemProperties.h"

#include <sys/stat.h>

#include <vector>

#include "platform/Processes.h"

namespace qv {

namespace {

const char* const kService = "org.freedesktop.FileManager1";
const char* const kObject = "/org/freedesktop/FileManager1";
const char* const kMethod = "org.freedesktop.FileManager1.ShowItemProperties";

bool Unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '/';
}

bool CallBus(const std::string& uri) {
  // The address has no quotes or commas left, so it sits safely in either
  // tool's argument syntax.
  if (std::string gdbus = FindProgramOnPath("gdbus"); !gdbus.empty())
    return StartDetached(gdbus, {"call", "--session", "--dest", kService, "--object-path", kObject,
                                 "--method", kMethod, "['" + uri + "']", "''"});
  if (std::string send = FindProgramOnPath("dbus-send"); !send.empty())
    return StartDetached(send, {"--session", "--type=method_call", std::string("--dest=") + kService, kObject,
                                kMethod, "array:string:" + uri, "string:"});
  return false;
}

}  // namespace

std::function<bool(const std::string&)>& ItemPropertiesHandler() {
  static std::function<bool(const std::string&)> handler;
  return handler;
}

std::string FileUriOf(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (Unreserved(c)) {
      uri += char(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

bool ShowItemProperties(const std::string& path) {
  struct stat st {};
  if (path.empty() || path[0] != '/' || ::stat(path.c_str(), &st) != 0) return false;
  const std::string uri = FileUriOf(path);
  if (const auto& handler = ItemPropertiesHandler()) return handler(uri);
  return CallBus(uri);
}

}  // namespace qv
