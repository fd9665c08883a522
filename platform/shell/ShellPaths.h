// Path helpers over the drives: the root of a path is the mount path of the
// drive it lies on, with a trailing "/"; the rest is what follows it.
#pragma once
#include <string>

namespace qv {

// "/media/usb/photos/2020" -> root "/media/usb/", rest "photos/2020";
// "/home/me" on the root file system -> "/", "home/me". A path that is not
// absolute has no root: "", and the path as the rest.
void SplitPathRoot(const std::string& path, std::string& root, std::string& rest);
std::string ExtractPathRoot(const std::string& path);

}  // namespace qv
