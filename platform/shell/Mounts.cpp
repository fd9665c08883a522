// Reading the mount table. Only real file systems count as drives (pseudo
// file systems, bind mounts and system folders are left out); the kind comes
// from the file-system type, the block device's removable flag or the mount
// place, the label from the by-label links that point at the device.
#include "platform/shell/Mounts.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "platform/Files.h"
#include "platform/Names.h"

namespace qv {

namespace {

std::mutex settingsLock;
std::string mountInfoPath = "/proc/self/mountinfo";
std::string labelFolder = "/dev/disk/by-label";

std::string MountInfoPath() {
  std::lock_guard<std::mutex> l(settingsLock);
  return mountInfoPath;
}

std::string LabelFolder() {
  std::lock_guard<std::mutex> l(settingsLock);
  return labelFolder;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// mountinfo escapes blanks, tabs, new lines and backslashes as \ooo.
std::string UnescapeOctal(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && s.size() - i >= 4) {
      const char a = s[i + 1], b = s[i + 2], c = s[i + 3];
      if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
        out += char((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// udev writes unusual label characters as \xHH.
std::string UnescapeHex(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && s.size() - i >= 4 && s[i + 1] == 'x') {
      int h = HexDigit(s[i + 2]), l = HexDigit(s[i + 3]);
      if (h >= 0 && l >= 0) {
        out += char(h * 16 + l);
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

bool IsRealFsType(const std::string& t) {
  static const char* const kTypes[] = {
      "ext2",    "ext3",       "ext4", "xfs",     "btrfs",    "vfat",  "exfat", "ntfs", "ntfs3",
      "fuseblk", "iso9660",    "udf",  "hfsplus", "f2fs",     "nfs",   "nfs4",  "cifs", "smb3",
      "smbfs",   "fuse.sshfs", "zfs",  "jfs",     "reiserfs", "msdos", "apfs"};
  return std::find(std::begin(kTypes), std::end(kTypes), t) != std::end(kTypes);
}

bool IsUnder(const std::string& path, const std::string& folder) {
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            path[folder.size()] == '/');
}

// Places of the operating system, not of user data.
bool IsSystemPlace(const std::string& path) {
  if (IsUnder(path, "/run/media")) return false;
  static const char* const kSystem[] = {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/var",
                                        "/usr",  "/etc", "/opt", "/efi", "/lib",  "/srv"};
  for (const char* s : kSystem)
    if (IsUnder(path, s)) return true;
  return false;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

bool ReadFlagFile(const std::string& path) {
  std::string data;
  return ReadWholeFile(path, data) && !data.empty() && data[0] == '1';
}

// The block device's removable flag from sysfs (a partition asks its disk).
bool DeviceIsRemovable(const std::string& device) {
  if (device.compare(0, 5, "/dev/") != 0) return false;
  std::string real = RealPath(device);
  if (real.empty()) return false;
  std::string sys = "/sys/class/block/" + ExtractFileName(real);
  if (FileExists(sys + "/partition")) return ReadFlagFile(sys + "/../removable");
  return ReadFlagFile(sys + "/removable");
}

DriveKind KindOf(const DriveInfo& d) {
  if (d.MountPath == "/") return DriveKind::Root;
  const std::string& t = d.FsType;
  if (t == "iso9660" || t == "udf") return DriveKind::Optical;
  if (t.compare(0, 3, "nfs") == 0 || t == "cifs" || t == "smb3" || t == "smbfs" || t == "fuse.sshfs")
    return DriveKind::Network;
  if (IsUnder(d.MountPath, "/media") || IsUnder(d.MountPath, "/run/media") || DeviceIsRemovable(d.Device))
    return DriveKind::Removable;
  return DriveKind::Fixed;
}

std::string LabelOf(const std::string& device) {
  if (device.empty() || device[0] != '/') return "";
  std::string real = RealPath(device);
  if (real.empty()) return "";
  std::string folder = LabelFolder();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return "";
  std::string label;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (RealPath(folder + "/" + name) == real) {
      label = UnescapeHex(name);
      break;
    }
  }
  ::closedir(dir);
  return label;
}

}  // namespace

bool ParseMountInfoLine(const std::string& line, DriveInfo& out, std::string& rootInFs) {
  // id parent major:minor root mount-point options [optional fields...] - type source super-options
  std::istringstream in(line);
  std::vector<std::string> f;
  for (std::string w; in >> w;) f.push_back(w);
  auto dash = std::find(f.begin(), f.end(), "-");
  if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3) return false;
  rootInFs = UnescapeOctal(f[3]);
  out.MountPath = UnescapeOctal(f[4]);
  out.FsType = *(dash + 1);
  out.Device = UnescapeOctal(*(dash + 2));
  if (out.MountPath.empty() || out.MountPath[0] != '/') return false;
  if (out.MountPath.size() > 1 && out.MountPath.back() == '/') out.MountPath.pop_back();
  return true;
}

namespace {

std::vector<DriveInfo> ParseDrives(const std::string& table) {
  std::vector<DriveInfo> drives;
  DriveInfo root;
  root.MountPath = "/";
  root.Kind = DriveKind::Root;
  drives.push_back(root);
  std::istringstream in(table);
  for (std::string line; std::getline(in, line);) {
    DriveInfo d;
    std::string rootInFs;
    if (!ParseMountInfoLine(line, d, rootInFs)) continue;
    if (d.MountPath == "/") {  // the root's own file system: keep its facts
      drives[0].FsType = d.FsType, drives[0].Device = d.Device;
      continue;
    }
    if (rootInFs != "/" || !IsRealFsType(d.FsType) || IsSystemPlace(d.MountPath)) continue;
    // A later mount at the same place hides the earlier one.
    auto same = std::find_if(drives.begin(), drives.end(),
                             [&](const DriveInfo& o) { return o.MountPath == d.MountPath; });
    if (same != drives.end()) drives.erase(same);
    drives.push_back(d);
  }
  for (DriveInfo& d : drives) {
    d.Kind = KindOf(d);
    d.Label = LabelOf(d.Device);
  }
  std::sort(drives.begin() + 1, drives.end(), [](const DriveInfo& a, const DriveInfo& b) {
    return CompareStoredNames(a.MountPath, b.MountPath) < 0;
  });
  return drives;
}

// The last table read and the drives made of it: looking up labels and
// removable flags costs far more than reading the table again.
std::mutex cacheLock;
std::string cachedSource, cachedTable;
std::vector<DriveInfo> cachedDrives;

}  // namespace

std::vector<DriveInfo> ListDrives() {
  const std::string source = MountInfoPath() + "\n" + LabelFolder();
  std::string table;
  {
    std::ifstream in(MountInfoPath());
    table.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::lock_guard<std::mutex> l(cacheLock);
  if (source != cachedSource || table != cachedTable || cachedDrives.empty()) {
    cachedDrives = ParseDrives(table);
    cachedSource = source;
    cachedTable = std::move(table);
  }
  return cachedDrives;
}

DriveInfo DriveOfPath(const std::string& path) {
  std::vector<DriveInfo> drives = ListDrives();
  const DriveInfo* best = &drives[0];
  for (const DriveInfo& d : drives)
    if (d.MountPath != "/" && IsUnder(path, d.MountPath) && d.MountPath.size() > best->MountPath.size())
      best = &d;
  return *best;
}

bool FindDrive(const std::string& mountPath, DriveInfo& out) {
  for (DriveInfo& d : ListDrives())
    if (d.MountPath == mountPath) {
      out = d;
      return true;
    }
  return false;
}

std::string DriveDisplayName(const DriveInfo& d) {
  if (d.MountPath == "/") return "File System";
  std::string name = d.Label.empty() ? ExtractFileName(d.MountPath) : d.Label;
  return name + " (" + d.MountPath + ")";
}

void SetMountInfoPath(const std::string& path) {
  std::lock_guard<std::mutex> l(settingsLock);
  mountInfoPath = path.empty() ? "/proc/self/mountinfo" : path;
}

void SetDiskLabelFolder(const std::string& path) {
  std::lock_guard<std::mutex> l(settingsLock);
  labelFolder = path.empty() ? "/dev/disk/by-label" : path;
}

}  // namespace qv
