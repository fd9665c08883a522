// Root and rest of a path, from the drives of the mount table.
#include "platform/shell/ShellPaths.h"

#include "platform/shell/Mounts.h"
#include "platform/shell/ShellItems.h"

namespace qv {

void SplitPathRoot(const std::string& path, std::string& root, std::string& rest) {
  std::string norm = NormalizeAbsolutePath(path);
  if (norm.empty()) {
    root.clear();
    rest = path;
    return;
  }
  const std::string mount = DriveOfPath(norm).MountPath;
  root = mount == "/" ? mount : mount + "/";
  rest = norm.size() > mount.size() ? norm.substr(mount == "/" ? 1 : mount.size() + 1) : std::string();
  // A trailing "/" of the path stays with the rest (a folder stays a folder).
  if (!rest.empty() && path.size() > 1 && path.back() == '/') rest += '/';
}

std::string ExtractPathRoot(const std::string& path) {
  std::string root, rest;
  SplitPathRoot(path, root, rest);
  return root;
}

}  // namespace qv
