// Shell namespace figure of bench/run common:
//   shell_list_ms  listing a 10,000-entry folder (9,000 files of mixed types,
//                  1,000 folders, some hidden) the way a shell view fills
//                  itself: enumerate, attributes (folder, sub-folders and
//                  the four property bits), in-folder name, closed and open
//                  icon from the system list, then the shell's sort. It
//                  depends on the file system's caches: median of nine runs
//                  over a warm cache (after a first one).
//   shell_list_cold_ms the same, each of five runs right after the kernel's
//                  page, directory and inode caches were emptied (needs
//                  root; -1 otherwise).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CommonBench.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/shell/ShellApi.h"

namespace qv {
namespace {

using Clock = std::chrono::steady_clock;

std::string MakeTree() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "qvbench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) return "";
  static const char* kExts[] = {".txt", ".jpg", ".mp3", ".mkv", ".zip", ".pdf", ".dat", ""};
  for (int i = 0; i < 9000; ++i)
    std::ofstream(tmpl + "/" + (i % 50 == 0 ? "." : "") + "file" + std::to_string(i) + kExts[i % 8]) << "x";
  for (int i = 0; i < 1000; ++i) {
    std::filesystem::create_directory(tmpl + "/Folder" + std::to_string(i));
    if (i % 3 == 0) std::filesystem::create_directory(tmpl + "/Folder" + std::to_string(i) + "/sub");
  }
  return tmpl;
}

// One fill of a view; returns the number of rows.
std::size_t ListOnce(IShellFolder* desktop, const std::string& folderPath) {
  IdListPtr folderId(ILCreateFromPath(folderPath));
  ComPtr<IShellFolder> folder;
  desktop->BindToObject(folderId.Get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder.Put()));
  ComPtr<IEnumIDList> e;
  if (!folder || folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                     e.Put()) != S_OK)
    return 0;
  struct Row {
    IdListPtr id;
    std::string name;
    uint32_t attributes;
    int icon, openIcon;
  };
  std::vector<Row> rows;
  LPITEMIDLIST item = nullptr;
  while (e->Next(1, &item, nullptr) == S_OK) {
    Row r{IdListPtr(item), {}, SFGAO_FOLDER | SFGAO_HASSUBFOLDER | 0xF0000, 0, 0};
    LPCITEMIDLIST items[] = {item};
    folder->GetAttributesOf(1, items, &r.attributes);
    STRRET sr;
    if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &sr))) r.name = StrRetToString(sr, item);
    IdListPtr absolute(ILCombine(folderId.Get(), item));
    SHFILEINFOW info;
    const UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    SHGetFileInfoW(absolute.Get(), 0, &info, sizeof info, flags);
    r.icon = info.iIcon;
    SHGetFileInfoW(absolute.Get(), 0, &info, sizeof info, flags | SHGFI_OPENICON);
    r.openIcon = info.iIcon;
    rows.push_back(std::move(r));
  }
  std::sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
    return CompareResultOrder(folder->CompareIDs(0, a.id.Get(), b.id.Get())) < 0;
  });
  return rows.size();
}

double ShellList(bool cold) {
  const std::string tree = MakeTree();
  if (tree.empty()) return 0;
  ComPtr<IShellFolder> desktop;
  SHGetDesktopFolder(desktop.Put());
  std::size_t rows = 0;
  bool dropped = true;
  const double ms = bench::MedianOfRuns(cold ? 5 : 9, [&] {
    if (cold) dropped = dropped && bench::DropFileSystemCaches();
    auto start = Clock::now();
    rows = ListOnce(desktop.Get(), tree);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  });
  std::error_code ec;
  std::filesystem::remove_all(tree, ec);
  if (rows != 10000) std::fprintf(stderr, "shell_list: %zu rows instead of 10000\n", rows);
  if (!dropped) std::fprintf(stderr, "shell_list_cold_ms: the caches cannot be emptied without root\n");
  return dropped ? ms : -1;
}

const int registered =
    bench::AddCommonFigure("shell_list_ms", [](HeadlessBackend&) { return ShellList(false); }) +
    bench::AddCommonFigure("shell_list_cold_ms", [](HeadlessBackend&) { return ShellList(true); });

}  // namespace
}  // namespace qv
