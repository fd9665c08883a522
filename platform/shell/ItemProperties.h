// The properties of a file or folder, shown by the desktop's file manager:
// the freedesktop FileManager1 service on the session bus, asked through
// gdbus (or dbus-send). A test may take the requests instead.
#pragma once
#include <functional>
#include <string>

namespace qv {

// Asks the file manager to show the properties of the file or folder at
// `path`. False when the path does not exist or no bus tool could be started;
// the answer of the file manager itself is not waited for.
bool ShowItemProperties(const std::string& path);

// The "file://" address of an absolute path, every byte outside the
// unreserved characters and "/" written as %XX.
std::string FileUriOf(const std::string& path);

// When set, receives the address of each request instead of the bus.
std::function<bool(const std::string& uri)>& ItemPropertiesHandler();

}  // namespace qv
