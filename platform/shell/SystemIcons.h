// The shell's own icons, drawn in code at first use into two process-wide
// image lists (16 and 32 pixels): a generic file and files by type, folders
// closed and open, the computer, the home folder, the desktop and the drive
// kinds. Index 0 is the generic file.
#pragma once
#include "platform/Surface.h"
#include "platform/shell/ShellItems.h"

namespace qv {

enum ShellIconIndex : int {
  IconFile = 0,
  IconFolder,
  IconFolderOpen,
  IconComputer,
  IconHome,
  IconDriveRoot,
  IconDriveFixed,
  IconDriveRemovable,
  IconDriveOptical,
  IconDriveNetwork,
  IconDesktop,
  IconText,
  IconImage,
  IconAudio,
  IconVideo,
  IconArchive,
  IconDocument,
  ShellIconCount
};

// The icon of an item, closed or open.
int ShellIconOf(const ShellFacts& item, bool open);
// The icon of a file by its name's extension.
int FileIconOfName(const std::string& name);
// The icon drawn at size x size pixels (straight alpha, transparent outside).
Surface DrawShellIcon(int index, int size);
// "File Folder", "TXT File" ...
std::string ShellTypeName(const ShellFacts& item);

}  // namespace qv
