// The shell's icons and file information, its context menu and ShellExecute
// (recorded by the headless backend instead of starting the desktop's opener).
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/gdi/ImageListApi.h"
#include "platform/menus/Menus.h"
#include "platform/shell/ContextMenu.h"
#include "platform/shell/ItemProperties.h"
#include "platform/shell/SystemIcons.h"
#include "tests/platform/shell/ShellTestSupport.h"

namespace qv::test {
namespace {

int IconOf(LPCITEMIDLIST pidl, UINT extra = 0) {
  SHFILEINFOW info;
  info.iIcon = -1;
  SHGetFileInfoW(pidl, 0, &info, sizeof info, SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra);
  return info.iIcon;
}

TEST_F(ShellTest, EveryItemKindHasItsOwnIcon) {
  MakeDir(data + "/folder");
  WriteFile(data + "/notes.TXT", "");
  WriteFile(data + "/.bashrc", "");
  WriteFile(data + "/song.flac", "");
  EXPECT_EQ(IconOf(Parse(data + "/folder").Get()), IconFolder);
  EXPECT_EQ(IconOf(Parse(data + "/folder").Get(), SHGFI_OPENICON), IconFolderOpen);
  EXPECT_EQ(IconOf(Parse(data + "/notes.TXT").Get()), IconText);
  EXPECT_EQ(IconOf(Parse(data + "/.bashrc").Get()), IconFile);
  EXPECT_EQ(IconOf(Parse(data + "/song.flac").Get()), IconAudio);
  EXPECT_EQ(IconOf(Parse(kComputerParsingName).Get()), IconComputer);
  EXPECT_EQ(IconOf(Parse(data).Get()), IconDriveFixed);
  EXPECT_EQ(IconOf(Parse("/").Get()), IconDriveRoot);
  IdListPtr desktopList(ILCombine(nullptr, nullptr));
  EXPECT_EQ(IconOf(desktopList.Get()), IconDesktop);

  // Any path answers the system list, even one that names nothing here.
  uintptr_t list = SHGetFileInfo("C:\\", 0, nullptr, 0, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(list), ShellImageList(true));
  // A "no colour" value from above is no background, never a colour.
  const COLORREF old = ImageList_SetBkColor(ShellImageList(true), 0x1FFFFFFF);
  EXPECT_EQ(ImageList_GetBkColor(ShellImageList(true)), CLR_NONE);
  ImageList_SetBkColor(ShellImageList(true), old);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(ShellImageList(false), &cx, &cy));
  EXPECT_EQ(cx, 32);
  EXPECT_EQ(ImageList_GetImageCount(ShellImageList(true)), ShellIconCount);
  // No two icons look the same, and each leaves its corner transparent.
  for (int size : {16, 32}) {
    std::vector<Surface> icons;
    for (int i = 0; i < ShellIconCount; ++i) icons.push_back(DrawShellIcon(i, size));
    for (int i = 0; i < ShellIconCount; ++i) {
      EXPECT_EQ(PixelA(icons[i].At(0, size - 1)), 0) << i;
      for (int j = i + 1; j < ShellIconCount; ++j)
        EXPECT_NE(icons[i].Pixels, icons[j].Pixels) << i << " " << j;
    }
  }
}

TEST_F(ShellTest, FileInfoGivesNameTypeAndAttributes) {
  WriteFile(data + "/report.pdf", "");
  SHFILEINFOW info;
  const std::string path = data + "/report.pdf";
  ASSERT_NE(SHGetFileInfoW(path.c_str(), 0, &info, sizeof info,
                           SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_ATTRIBUTES),
            0u);
  EXPECT_EQ(std::u16string(info.szDisplayName), u"report.pdf");
  EXPECT_EQ(std::u16string(info.szTypeName), u"PDF File");
  EXPECT_TRUE(info.dwAttributes & SFGAO_FILESYSTEM);
  EXPECT_EQ(SHGetFileInfoW("/no/such/file", 0, &info, sizeof info, SHGFI_DISPLAYNAME), 0u);
  // With the caller's attributes the disc is not asked at all.
  ASSERT_NE(SHGetFileInfoW("/no/such/dir", FILE_ATTRIBUTE_DIRECTORY_SHELL, &info, sizeof info,
                           SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX),
            0u);
  EXPECT_EQ(info.iIcon, IconFolder);
}

TEST_F(ShellTest, TheContextMenuOffersOpenAndRenameAndOpensThroughTheDesktop) {
  WriteFile(data + "/a.txt", "");
  ComPtr<IShellFolder> folder = BindPath(data);
  IdListPtr file(ILClone(ILFindLastID(Parse(data + "/a.txt").Get())));
  LPCITEMIDLIST items[] = {file.Get()};
  ComPtr<IContextMenu> menu;
  ASSERT_EQ(folder->GetUIObjectOf(nullptr, 1, items, IID_IContextMenu, nullptr,
                                  reinterpret_cast<void**>(menu.Put())),
            S_OK);
  EXPECT_TRUE(menu.As<IContextMenu2>());
  HRESULT used = menu->QueryContextMenu(nullptr, 0, 1, 0x7FFF, CMF_EXPLORE | CMF_CANRENAME);
  EXPECT_EQ(used, 2);
  std::vector<ShellMenuItem> commands;
  ASSERT_TRUE(GetShellMenuItems(menu.Get(), commands));
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_TRUE(commands[0].Default);
  char verb[256];
  ASSERT_EQ(menu->GetCommandString(1, GCS_VERBA, nullptr, verb, sizeof verb), S_OK);
  EXPECT_STREQ(verb, "rename");
  EXPECT_TRUE(FAILED(menu->GetCommandString(7, GCS_VERBA, nullptr, verb, sizeof verb)));
  // Into a real popup menu, after what it already holds, "open" the default.
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, 100, u"&Other");
  EXPECT_EQ(menu->QueryContextMenu(popup, 1, 1, 0x7FFF, CMF_EXPLORE | CMF_CANRENAME), 2);
  ASSERT_EQ(GetMenuItemCount(popup), 3);
  EXPECT_EQ(GetMenuItemID(popup, 1), 1u);
  EXPECT_EQ(GetMenuItemID(popup, 2), 2u);
  EXPECT_EQ(GetMenuDefaultItem(popup, FALSE, 0), 1u);
  DestroyMenu(popup);
  // Without the rename flag only "open" is offered.
  EXPECT_EQ(menu->QueryContextMenu(nullptr, 0, 1, 0x7FFF, CMF_EXPLORE), 1);

  CMINVOKECOMMANDINFO invoke;
  invoke.lpVerb = MakeVerbOffset(0);
  EXPECT_EQ(menu->InvokeCommand(&invoke), S_OK);
  ASSERT_EQ(backend.Opened.size(), 1u);
  EXPECT_EQ(backend.Opened[0], data + "/a.txt");
  invoke.lpVerb = "delete";
  EXPECT_TRUE(FAILED(menu->InvokeCommand(&invoke)));
}

TEST_F(ShellTest, PropertiesByNameGoToTheDesktopWithTheItemsAddress) {
  WriteFile(data + "/a b%'.txt", "");
  std::vector<std::string> asked;
  ItemPropertiesHandler() = [&](const std::string& uri) {
    asked.push_back(uri);
    return true;
  };
  const std::string name = data + "/a b%'.txt";
  IdListPtr full = Parse(name);
  ComPtr<IShellFolder> folder = BindPath(data);
  LPCITEMIDLIST items[] = {ILFindLastID(full.Get())};
  ComPtr<IContextMenu> menu;
  ASSERT_EQ(folder->GetUIObjectOf(nullptr, 1, items, IID_IContextMenu, nullptr,
                                  reinterpret_cast<void**>(menu.Put())),
            S_OK);
  CMINVOKECOMMANDINFO info;
  info.lpVerb = "properties";
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  EXPECT_EQ(asked, (std::vector<std::string>{FileUriOf(name)}));
  EXPECT_EQ(asked[0].substr(asked[0].size() - 16), "/a%20b%25%27.txt");
  EXPECT_TRUE(backend.Opened.empty());
  // A file gone meanwhile is reported, not sent on.
  std::filesystem::remove(name);
  EXPECT_TRUE(FAILED(menu->InvokeCommand(&info)));
  EXPECT_EQ(asked.size(), 1u);
  ItemPropertiesHandler() = nullptr;
  EXPECT_FALSE(ShowItemProperties("relative/name"));
}

TEST_F(ShellTest, ShellExecuteReportsFailuresBelow33) {
  WriteFile(data + "/doc.txt", "");
  auto result = [](HINSTANCE h) { return reinterpret_cast<intptr_t>(h); };
  EXPECT_GT(result(ShellExecuteUtf8(nullptr, "open", data + "/doc.txt", "", SW_SHOWNORMAL)), 32);
  EXPECT_GT(result(ShellExecuteUtf8(nullptr, "", "doc.txt", data, SW_SHOWNORMAL)), 32);
  EXPECT_GT(
      result(ShellExecuteW(nullptr, nullptr, u"https://example.org/a b", nullptr, nullptr, SW_SHOWNORMAL)),
      32);
  EXPECT_EQ(result(ShellExecuteUtf8(nullptr, "open", data + "/missing.txt", "", SW_SHOWNORMAL)), SE_ERR_FNF);
  EXPECT_EQ(result(ShellExecuteUtf8(nullptr, "print", data + "/doc.txt", "", SW_SHOWNORMAL)), SE_ERR_NOASSOC);
  EXPECT_EQ(result(ShellExecuteUtf8(nullptr, "open", "", "", SW_SHOWNORMAL)), SE_ERR_FNF);
  // Verbs are not case-sensitive.
  EXPECT_GT(result(ShellExecuteUtf8(nullptr, "Open", "mailto:a@example.org", "", SW_RESTORE)), 32);
  EXPECT_EQ(backend.Opened, (std::vector<std::string>{data + "/doc.txt", data + "/doc.txt",
                                                      "https://example.org/a b", "mailto:a@example.org"}));
  IdListPtr pidl = Parse(data + "/doc.txt");
  SHELLEXECUTEINFOW info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.lpIDList = pidl.Get();
  EXPECT_TRUE(ShellExecuteExW(&info));
  EXPECT_EQ(backend.Opened.back(), data + "/doc.txt");
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Without a backend that takes the request, the desktop's opener is started:
// found on PATH, given the name as one argument, never through a shell.
TEST(ShellOpener, TheOpenerGetsTheNameAsItStands) {
  ASSERT_EQ(CurrentBackend(), nullptr);
  TempDir dir;
  const std::string opener = dir / "xdg-open", marker = dir / "opened";
  std::ofstream(opener) << "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$(pwd)\" > '" << marker << ".tmp' && mv '"
                        << marker << ".tmp' '" << marker << "'\n";
  ::chmod(opener.c_str(), 0755);
  const std::string name = dir / "a b;$(touch x)'.txt";
  std::ofstream(name) << "x";
  const char* oldPath = std::getenv("PATH");
  const std::string saved = oldPath ? oldPath : "";
  ::setenv("PATH", (dir.Path() + ":/bin:/usr/bin").c_str(), 1);
  const intptr_t r =
      reinterpret_cast<intptr_t>(ShellExecuteUtf8(nullptr, "open", name, dir.Path(), SW_SHOWNORMAL));
  ::setenv("PATH", "/nonexistent", 1);
  const intptr_t none =
      reinterpret_cast<intptr_t>(ShellExecuteUtf8(nullptr, "open", name, "", SW_SHOWNORMAL));
  ::setenv("PATH", saved.c_str(), 1);
  EXPECT_GT(r, 32);
  EXPECT_EQ(none, SE_ERR_NOASSOC);
  std::string seen;
  for (int i = 0; i < 3000 && seen.empty(); ++i) {  // up to 30 s for the opener to run
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(marker);
    seen.assign(std::istreambuf_iterator<char>(in), {});
  }
  EXPECT_EQ(seen, name + "|" + dir.Path().substr(0, dir.Path().size() - 1));
  EXPECT_FALSE(std::filesystem::exists(dir / "x"));
}

}  // namespace
}  // namespace qv::test
