// Drawing the shell icons on a 16-unit grid (one unit is one pixel in the
// small list, two in the large one), the file-type table and SHGetFileInfo.
#include "platform/shell/SystemIcons.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "platform/Files.h"
#include "platform/Utf.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/shell/ShellApi.h"

namespace qv {

namespace {

class GridPainter {
 public:
  explicit GridPainter(int size) : s_(size, size, 0), u_(std::max(1, size / 16)) {}
  // Units [x0, x1) x [y0, y1).
  void Fill(int x0, int y0, int x1, int y1, uint32_t c) {
    for (int y = y0 * u_; y < y1 * u_; ++y)
      for (int x = x0 * u_; x < x1 * u_; ++x)
        if (s_.Contains(x, y)) s_.Set(x, y, c);
  }
  void Frame(int x0, int y0, int x1, int y1, uint32_t c) {
    Fill(x0, y0, x1, y0 + 1, c), Fill(x0, y1 - 1, x1, y1, c);
    Fill(x0, y0, x0 + 1, y1, c), Fill(x1 - 1, y0, x1, y1, c);
  }
  void Box(int x0, int y0, int x1, int y1, uint32_t fill, uint32_t edge) {
    Fill(x0, y0, x1, y1, fill);
    Frame(x0, y0, x1, y1, edge);
  }
  Surface Take() { return std::move(s_); }

 private:
  Surface s_;
  int u_;
};

constexpr uint32_t kEdge = PixelRGB(64, 64, 64), kWhite = PixelRGB(255, 255, 255),
                   kGrey = PixelRGB(192, 192, 192), kDark = PixelRGB(96, 96, 96),
                   kYellow = PixelRGB(244, 204, 92), kYellowLight = PixelRGB(252, 228, 140),
                   kYellowEdge = PixelRGB(168, 128, 32), kBlue = PixelRGB(56, 96, 200),
                   kGreen = PixelRGB(40, 160, 64), kRed = PixelRGB(200, 48, 40),
                   kBrown = PixelRGB(140, 90, 40), kPurple = PixelRGB(128, 64, 160),
                   kOrange = PixelRGB(232, 140, 32), kTan = PixelRGB(228, 200, 150);

void Page(GridPainter& p) {
  p.Box(3, 1, 13, 15, kWhite, kEdge);
  p.Box(10, 1, 13, 4, kGrey, kEdge);
}

void FileMark(GridPainter& p, int index) {
  switch (index) {
    case IconText:
      for (int y = 6; y < 13; y += 2) p.Fill(5, y, 11, y + 1, kDark);
      break;
    case IconImage:
      p.Box(5, 6, 11, 12, PixelRGB(140, 200, 240), kEdge);
      p.Fill(6, 9, 10, 11, kGreen);
      break;
    case IconAudio:
      p.Fill(8, 5, 9, 11, kPurple), p.Fill(6, 10, 9, 12, kPurple), p.Fill(8, 5, 11, 6, kPurple);
      break;
    case IconVideo:
      p.Box(4, 6, 12, 12, kDark, kEdge);
      for (int x = 5; x < 11; x += 2) p.Fill(x, 7, x + 1, 8, kWhite), p.Fill(x, 10, x + 1, 11, kWhite);
      break;
    case IconArchive:
      p.Fill(7, 2, 9, 14, kBrown);
      for (int y = 3; y < 13; y += 2) p.Fill(8, y, 9, y + 1, kWhite);
      break;
    case IconDocument:
      p.Fill(4, 2, 10, 5, kRed);
      for (int y = 7; y < 13; y += 2) p.Fill(5, y, 11, y + 1, kBlue);
      break;
  }
}

void Folder(GridPainter& p, bool open) {
  p.Box(1, 2, 7, 5, kYellow, kYellowEdge);
  p.Box(1, 4, 15, 14, kYellow, kYellowEdge);
  if (open) {
    p.Box(3, 7, 16, 14, kYellowLight, kYellowEdge);
    p.Fill(2, 5, 14, 7, kWhite);
  }
}

void Drive(GridPainter& p, uint32_t body, uint32_t light) {
  p.Box(1, 5, 15, 12, body, kEdge);
  p.Fill(2, 6, 14, 7, kWhite);
  p.Fill(11, 9, 13, 10, light);
}

}  // namespace

Surface DrawShellIcon(int index, int size) {
  GridPainter p(size);
  switch (index) {
    case IconFolder:
    case IconFolderOpen:
      Folder(p, index == IconFolderOpen);
      break;
    case IconComputer:
      p.Box(1, 1, 15, 11, kGrey, kEdge);
      p.Box(3, 3, 13, 9, kBlue, kEdge);
      p.Fill(6, 11, 10, 13, kDark);
      p.Box(4, 13, 12, 15, kGrey, kEdge);
      break;
    case IconHome:
      for (int y = 1; y < 8; ++y) p.Fill(8 - y, y, 8 + y, y + 1, kRed);
      p.Box(3, 8, 13, 15, kTan, kEdge);
      p.Fill(7, 10, 9, 15, kBrown);
      break;
    case IconDriveRoot:
      Drive(p, kDark, kGreen);
      p.Fill(4, 8, 5, 11, kWhite), p.Fill(5, 7, 6, 9, kWhite);
      break;
    case IconDriveFixed:
      Drive(p, kGrey, kGreen);
      break;
    case IconDriveRemovable:
      Drive(p, kOrange, kGreen);
      p.Box(5, 12, 11, 15, kGrey, kEdge);
      break;
    case IconDriveOptical:
      p.Box(2, 2, 14, 14, kGrey, kEdge);
      p.Box(4, 4, 12, 12, PixelRGB(220, 220, 240), kEdge);
      p.Box(7, 7, 9, 9, kWhite, kEdge);
      break;
    case IconDriveNetwork:
      Drive(p, kGrey, kBlue);
      p.Fill(7, 12, 9, 14, kEdge), p.Fill(3, 14, 13, 15, kBlue);
      break;
    case IconDesktop:
      p.Box(1, 2, 15, 14, kBlue, kEdge);
      p.Box(3, 4, 6, 7, kWhite, kEdge), p.Box(3, 9, 6, 12, kYellow, kEdge);
      break;
    default:
      Page(p);
      FileMark(p, index);
      break;
  }
  return p.Take();
}

namespace {

struct FileKind {
  int Icon;
  const char* Exts;  // between spaces
};
constexpr FileKind kFileKinds[] = {
    {IconText, " txt md log ini cfg conf csv xml json yaml yml htm html css nfo diz c cpp h py sh "},
    {IconImage, " png jpg jpeg gif bmp tif tiff webp svg ico xcf "},
    {IconAudio, " mp3 ogg oga flac wav m4a aac opus wma mid "},
    {IconVideo, " mp4 mkv avi mov webm wmv mpg mpeg m4v ogv "},
    {IconArchive, " zip tar gz tgz bz2 xz zst 7z rar iso deb rpm cab "},
    {IconDocument, " pdf doc docx odt xls xlsx ods ppt pptx odp rtf epub "},
};

// The table by extension: a view asks for the icon of every file it lists.
const std::unordered_map<std::string_view, int>& IconsByExtension() {
  static const auto* map = [] {
    auto* m = new std::unordered_map<std::string_view, int>;
    for (const FileKind& k : kFileKinds) {
      std::string_view exts = k.Exts;
      for (std::size_t at = 1; at < exts.size();) {
        const std::size_t end = exts.find(' ', at);
        m->emplace(exts.substr(at, end - at), k.Icon);  // the first kind naming it wins
        at = end + 1;
      }
    }
    return m;
  }();
  return *map;
}

}  // namespace

int FileIconOfName(const std::string& name) {
  std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return IconFile;  // ".bashrc" has no extension
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (ext.find_first_of(std::string_view(" \0", 2)) == std::string::npos) {
    const auto& icons = IconsByExtension();
    auto it = icons.find(ext);
    return it == icons.end() ? IconFile : it->second;
  }
  // A space or a zero byte spans or cuts the table's words: looked up as text.
  const std::string key = " " + ext + " ";
  for (const FileKind& k : kFileKinds)
    if (std::strstr(k.Exts, key.c_str())) return k.Icon;
  return IconFile;
}

int ShellIconOf(const ShellFacts& item, bool open) {
  if (item.IsDesktop) return IconDesktop;
  switch (item.Type) {
    case ShellItemType::Computer:
      return IconComputer;
    case ShellItemType::Home:
      return IconHome;
    case ShellItemType::Drive:
      switch (item.Kind) {
        case DriveKind::Root:
          return IconDriveRoot;
        case DriveKind::Removable:
          return IconDriveRemovable;
        case DriveKind::Optical:
          return IconDriveOptical;
        case DriveKind::Network:
          return IconDriveNetwork;
        default:
          return IconDriveFixed;
      }
    case ShellItemType::Folder:
      return open ? IconFolderOpen : IconFolder;
    case ShellItemType::File:
      return FileIconOfName(item.Name);
  }
  return IconFile;
}

std::string ShellTypeName(const ShellFacts& item) {
  if (item.IsDesktop) return "Desktop";
  switch (item.Type) {
    case ShellItemType::Computer:
      return "Computer";
    case ShellItemType::Home:
    case ShellItemType::Folder:
      return "File Folder";
    case ShellItemType::Drive:
      switch (item.Kind) {
        case DriveKind::Root:
          return "File System";
        case DriveKind::Removable:
          return "Removable Disk";
        case DriveKind::Optical:
          return "CD Drive";
        case DriveKind::Network:
          return "Network Drive";
        default:
          return "Local Disk";
      }
    case ShellItemType::File: {
      std::size_t dot = item.Name.find_last_of('.');
      if (dot == std::string::npos || dot == 0 || dot + 1 == item.Name.size()) return "File";
      std::string ext = item.Name.substr(dot + 1);
      for (char& c : ext) c = char(c >= 'a' && c <= 'z' ? c - 32 : c);
      return ext + " File";
    }
  }
  return "File";
}

HIMAGELIST ShellImageList(bool small) {
  // Drawn at the icon sizes of the screen (larger on a denser one), once
  // per size, and kept for the process (never destroyed, as the views that
  // share them may outlive any exit handler).
  static std::mutex lock;
  static auto* lists = new std::map<int, HIMAGELIST>;
  const int size = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
  std::lock_guard<std::mutex> guard(lock);
  HIMAGELIST& list = (*lists)[size];
  if (!list) {
    list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, ShellIconCount, 4);
    for (int icon = 0; icon < ShellIconCount; ++icon) ImageList_AddSurface(list, DrawShellIcon(icon, size));
  }
  return list;
}

namespace {

bool FactsOf(const void* path, DWORD fileAttributes, UINT flags, ShellFacts& facts) {
  if (!path) return false;
  if (flags & SHGFI_PIDL) {
    auto pidl = static_cast<LPCITEMIDLIST>(path);
    // An icon needs only the item's type and name: a view asks for two per
    // row, so the path of every level is not joined for it.
    const bool withPath = flags & (SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES);
    // ResolveShellList decodes and checks every item of a list from elsewhere.
    return ResolveShellList(ShellPlace::Desktop, "", pidl, facts, withPath);
  }
  const std::string text = static_cast<const char*>(path);
  if (flags & SHGFI_USEFILEATTRIBUTES) {
    // Only the name and the given attributes count; the disc is not asked.
    facts = ShellFacts{};
    facts.Type =
        (fileAttributes & FILE_ATTRIBUTE_DIRECTORY_SHELL) ? ShellItemType::Folder : ShellItemType::File;
    facts.Name = ExtractFileName(ExcludeTrailingPathDelimiter(text));
    facts.Path = text;
    return true;
  }
  IdListPtr pidl(ParseShellPath(text));
  return pidl && ResolveShellList(ShellPlace::Desktop, "", pidl.Get(), facts);
}

void CopyWide(const std::string& text, char16_t* out, std::size_t capacity) {
  WideString w = Utf8ToUtf16(text);
  std::size_t n = std::min(w.size(), capacity - 1);
  std::copy(w.begin(), w.begin() + n, out);
  out[n] = 0;
}

}  // namespace

uintptr_t SHGetFileInfoW(const void* path, DWORD fileAttributes, SHFILEINFOW* info, UINT size, UINT flags) {
  if (info && size < sizeof(SHFILEINFOW)) return 0;
  ShellFacts facts;
  const bool known = FactsOf(path, fileAttributes, flags, facts);
  const HIMAGELIST list = ShellImageList(flags & SHGFI_SMALLICON);
  const int icon = known ? ShellIconOf(facts, flags & SHGFI_OPENICON) : IconFile;
  if (info) {
    info->iIcon = icon;
    if (flags & SHGFI_ICON) info->hIcon = ImageList_GetIcon(list, icon, 0);
    if (known && (flags & SHGFI_DISPLAYNAME))
      CopyWide(ShellDisplayNameOf(facts, SHGDN_INFOLDER), info->szDisplayName,
               std::size(info->szDisplayName));
    if (known && (flags & SHGFI_TYPENAME))
      CopyWide(ShellTypeName(facts), info->szTypeName, std::size(info->szTypeName));
    if (known && (flags & SHGFI_ATTRIBUTES)) info->dwAttributes = ShellAttributesOf(facts, 0);
  }
  // A lookup of any path answers the system list, so callers can take it from "/".
  if (flags & SHGFI_SYSICONINDEX) return reinterpret_cast<uintptr_t>(list);
  return known ? 1 : 0;
}

}  // namespace qv
