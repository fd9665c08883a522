// The drives of "Computer": "/" and the mounted file systems of
// /proc/self/mountinfo that hold user data, each with its kind (fixed,
// removable, optical, network) and a label. The mount table and the label
// folder can be pointed elsewhere (tests use a fake mountinfo).
#pragma once
#include <string>
#include <vector>

#include "platform/shell/IdLists.h"

namespace qv {

struct DriveInfo {
  std::string MountPath;  // absolute, without a trailing "/" except for "/"
  std::string FsType;
  std::string Device;
  DriveKind Kind = DriveKind::Fixed;
  std::string Label;  // the volume label, "" when it has none
};

// The drives, "/" first, then in mount-path order. Read afresh on each call.
std::vector<DriveInfo> ListDrives();
// The drive whose mount path is the longest component-wise prefix of an
// absolute path ("/" when no other matches).
DriveInfo DriveOfPath(const std::string& path);
// The drive mounted at exactly this path; false when none.
bool FindDrive(const std::string& mountPath, DriveInfo& out);
// The name a drive shows: "File System" for "/", else the label or the mount
// folder's name, followed by the mount path in brackets.
std::string DriveDisplayName(const DriveInfo& drive);

// Test hooks: the mount table file and the folder of label links
// (/dev/disk/by-label). An empty text restores the default.
void SetMountInfoPath(const std::string& path);
void SetDiskLabelFolder(const std::string& path);

// One line of mountinfo parsed; false for a line that is not one.
bool ParseMountInfoLine(const std::string& line, DriveInfo& out, std::string& rootInFs);

}  // namespace qv
