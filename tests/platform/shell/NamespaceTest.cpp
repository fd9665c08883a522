// The namespace over a temporary tree and a fake mount table: drives and
// their kinds, parsing, display names, attributes, listing, order, binding,
// rename without overwriting, special folders and the path root.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/Names.h"
#include "platform/shell/ShellPaths.h"
#include "tests/platform/shell/ShellTestSupport.h"

namespace qv::test {
namespace {

TEST_F(ShellTest, TheMountTableGivesRealFileSystemsWithKindsAndLabels) {
  std::vector<DriveInfo> drives = ListDrives();
  std::vector<std::string> paths;
  for (const DriveInfo& d : drives) paths.push_back(d.MountPath);
  // Pseudo file systems, bind mounts and damaged lines are left out; "/" leads.
  EXPECT_EQ(paths, (std::vector<std::string>{"/", "/media/cdrom", "/media/usb stick", "/net/share", data}));
  EXPECT_EQ(drives[0].Kind, DriveKind::Root);
  EXPECT_EQ(drives[1].Kind, DriveKind::Optical);
  EXPECT_EQ(drives[2].Kind, DriveKind::Removable);
  EXPECT_EQ(drives[3].Kind, DriveKind::Network);
  EXPECT_EQ(drives[4].Kind, DriveKind::Fixed);
  EXPECT_EQ(drives[4].Label, "Holiday Disc");
  EXPECT_EQ(DriveDisplayName(drives[0]), "File System");
  EXPECT_EQ(DriveDisplayName(drives[4]), "Holiday Disc (" + data + ")");
  EXPECT_EQ(DriveDisplayName(drives[2]), "usb stick (/media/usb stick)");
}

TEST_F(ShellTest, ADamagedMountTableGivesTheRootAlone) {
  std::string junk;
  for (int i = 0; i < 4000; ++i) junk += char((i * 7919) % 251);  // bytes of every kind, few new lines
  junk += "\n1 2 3:4 / /mnt/x rw - - -\n5 6 7:8 \\777 \\0 - ext4\n9 9 9:9 / relative rw - ext4 /dev/a rw\n";
  WriteFile(root + "/mountinfo", junk);
  std::vector<DriveInfo> drives = ListDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0].MountPath, "/");
  for (const DriveInfo& d : drives) EXPECT_EQ(d.MountPath[0], '/');
  SetMountInfoPath(root + "/no-such-table");
  EXPECT_EQ(ListDrives().size(), 1u);
  // The table of this machine: the root first, no place twice.
  SetMountInfoPath("");
  std::vector<DriveInfo> real = ListDrives();
  EXPECT_EQ(real[0].MountPath, "/");
  for (std::size_t i = 1; i < real.size(); ++i) EXPECT_NE(real[i].MountPath, real[i - 1].MountPath);
}

TEST_F(ShellTest, ParsingTakesOnlyExistingAbsolutePathsUnderTheirDrive) {
  MakeDir(data + "/photos/2020");
  HRESULT hr = S_OK;
  EXPECT_FALSE(Parse("photos", &hr));
  EXPECT_TRUE(FAILED(hr));
  EXPECT_FALSE(Parse(data + "/missing"));
  EXPECT_FALSE(Parse(""));
  IdListPtr pidl = Parse(data + "//photos/./2020/../2020/");
  ASSERT_TRUE(pidl);
  // Computer, the drive with the longest mount path, then one item per folder.
  EXPECT_EQ(ILGetCount(pidl.Get()), 4u);
  EXPECT_EQ(NameOf(pidl.Get(), SHGDN_FORPARSING), data + "/photos/2020");
  IdListPtr top = Parse("/");
  ASSERT_TRUE(top);
  EXPECT_EQ(ILGetCount(top.Get()), 2u);
  EXPECT_EQ(ILGetCount(Parse(kComputerParsingName).Get()), 1u);
  EXPECT_TRUE(ILIsEmpty(Parse(kDesktopParsingName).Get()));
  // What the parse reports as eaten is the whole text.
  std::u16string text(data.begin(), data.end());
  ULONG eaten = 0;
  IdListPtr out;
  ASSERT_EQ(desktop->ParseDisplayName(nullptr, nullptr, text.c_str(), &eaten, out.Put(), nullptr), S_OK);
  EXPECT_EQ(eaten, text.size());
}

TEST_F(ShellTest, DisplayNamesKeepTheDriveSlashAndNoFolderSlash) {
  MakeDir(data + "/docs");
  WriteFile(data + "/docs/a.txt", "x");
  IdListPtr drive = Parse(data);
  IdListPtr docs = Parse(data + "/docs");
  IdListPtr file = Parse(data + "/docs/a.txt");
  IdListPtr computer = Parse(kComputerParsingName);
  EXPECT_EQ(NameOf(drive.Get(), SHGDN_FORPARSING), data + "/");
  EXPECT_EQ(NameOf(Parse("/").Get(), SHGDN_FORPARSING), "/");
  EXPECT_EQ(NameOf(drive.Get(), SHGDN_NORMAL), "Holiday Disc (" + data + ")");
  EXPECT_EQ(NameOf(docs.Get(), SHGDN_FORPARSING), data + "/docs");
  EXPECT_EQ(NameOf(docs.Get(), SHGDN_NORMAL), "docs");
  EXPECT_EQ(NameOf(file.Get(), SHGDN_FORPARSING), data + "/docs/a.txt");
  EXPECT_EQ(NameOf(computer.Get(), SHGDN_FORPARSING), kComputerParsingName);
  EXPECT_EQ(NameOf(computer.Get(), SHGDN_NORMAL), "Computer");
  // A folder object answers for its own children, in folder and in full.
  ComPtr<IShellFolder> folder = Bind(docs.Get());
  ASSERT_TRUE(folder);
  LPCITEMIDLIST last = ILFindLastID(file.Get());
  EXPECT_EQ(NameOf(folder.Get(), last, SHGDN_INFOLDER), "a.txt");
  EXPECT_EQ(NameOf(folder.Get(), last, SHGDN_FORPARSING), data + "/docs/a.txt");
  // A name that is not UTF-8 comes back byte for byte.
  WriteFile(data + "/docs/caf\xE9", "");
  IdListPtr odd(ILCreateFromPath(data + "/docs/caf\xE9"));  // the wide form cannot carry the byte
  ASSERT_TRUE(odd);
  EXPECT_EQ(NameOf(odd.Get(), SHGDN_FORPARSING), data + "/docs/caf\xE9");
  std::string path;
  ASSERT_TRUE(SHGetPathFromIDList(file.Get(), path));
  EXPECT_EQ(path, data + "/docs/a.txt");
  EXPECT_FALSE(SHGetPathFromIDList(computer.Get(), path));
}

TEST_F(ShellTest, TheDesktopHoldsComputerAndHomeAndComputerHoldsTheDrives) {
  EXPECT_EQ(List(desktop.Get(), SHCONTF_FOLDERS), (std::vector<std::string>{kComputerParsingName, home}));
  EXPECT_EQ(List(desktop.Get(), SHCONTF_NONFOLDERS).size(), 0u);
  ComPtr<IShellFolder> computer = Bind(Parse(kComputerParsingName).Get());
  ASSERT_TRUE(computer);
  std::vector<std::string> drives = List(computer.Get(), SHCONTF_FOLDERS);
  ASSERT_EQ(drives.size(), 5u);
  EXPECT_EQ(drives[0], "/");
  EXPECT_EQ(drives[4], data + "/");
}

TEST_F(ShellTest, ListingShowsDotFilesOnlyWhenHiddenOnesAreAsked) {
  MakeDir(data + "/dir");
  MakeDir(data + "/.cache");
  WriteFile(data + "/file.txt", "");
  WriteFile(data + "/.profile", "");
  std::filesystem::create_symlink(data + "/dir", data + "/link-to-dir");
  std::filesystem::create_symlink(data + "/nowhere", data + "/dangling");
  ComPtr<IShellFolder> folder = BindPath(data);
  ASSERT_TRUE(folder);
  auto sorted = [&](DWORD flags) {
    std::vector<std::string> v = List(folder.Get(), flags);
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(SHCONTF_FOLDERS), (std::vector<std::string>{"dir", "link-to-dir"}));
  EXPECT_EQ(sorted(SHCONTF_NONFOLDERS), (std::vector<std::string>{"dangling", "file.txt"}));
  EXPECT_EQ(sorted(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN),
            (std::vector<std::string>{".cache", ".profile", "dangling", "dir", "file.txt", "link-to-dir"}));
}

TEST_F(ShellTest, AttributesAnswerWhatIsAskedAndEverythingForAnEmptyRequest) {
  MakeDir(data + "/parent/child");
  MakeDir(data + "/leaf");
  WriteFile(data + "/leaf/f", "");
  WriteFile(data + "/.hidden", "");
  std::filesystem::create_symlink(data + "/leaf", data + "/ln");
  ComPtr<IShellFolder> folder = BindPath(data);
  auto item = [&](const std::string& name) {
    return IdListPtr(ILClone(ILFindLastID(Parse(data + "/" + name).Get())));
  };
  IdListPtr parent = item("parent"), leaf = item("leaf"), hidden = item(".hidden"), ln = item("ln");

  EXPECT_EQ(Attributes(folder.Get(), parent.Get(), SFGAO_FOLDER | SFGAO_HASSUBFOLDER),
            SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
  EXPECT_EQ(Attributes(folder.Get(), leaf.Get(), SFGAO_FOLDER | SFGAO_HASSUBFOLDER), SFGAO_FOLDER);
  // The property query of the folder tree: the first asks four bits only.
  EXPECT_EQ(Attributes(folder.Get(), hidden.Get(), 0xF0000), SFGAO_HIDDEN);
  EXPECT_EQ(Attributes(folder.Get(), ln.Get(), 0xF0000), SFGAO_LINK);
  uint32_t all = Attributes(folder.Get(), hidden.Get(), 0);
  EXPECT_EQ(all & (SFGAO_FILESYSTEM | SFGAO_HIDDEN | SFGAO_CANRENAME | SFGAO_CANCOPY),
            SFGAO_FILESYSTEM | SFGAO_HIDDEN | SFGAO_CANRENAME | SFGAO_CANCOPY);
  EXPECT_EQ(all & (SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_REMOVABLE | SFGAO_SHARE), 0u);
  // Drives: the removable bit comes with the empty request too.
  ComPtr<IShellFolder> computer = Bind(Parse(kComputerParsingName).Get());
  std::vector<IdListPtr> drives;
  List(computer.Get(), SHCONTF_FOLDERS, &drives);
  ASSERT_EQ(drives.size(), 5u);
  EXPECT_TRUE(Attributes(computer.Get(), drives[2].Get(), 0) & SFGAO_REMOVABLE);
  EXPECT_FALSE(Attributes(computer.Get(), drives[4].Get(), 0) & SFGAO_REMOVABLE);
  EXPECT_EQ(Attributes(computer.Get(), drives[4].Get(), 0) &
                (SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_CANRENAME),
            SFGAO_FILESYSANCESTOR | SFGAO_FOLDER);
  if (::geteuid() != 0) {  // the superuser may write anywhere
    ::chmod((data + "/leaf").c_str(), 0555);
    ComPtr<IShellFolder> locked = BindPath(data + "/leaf");
    IdListPtr f = item("leaf/f");
    EXPECT_EQ(Attributes(locked.Get(), f.Get(), SFGAO_CANRENAME | SFGAO_CANDELETE), 0u);
    EXPECT_TRUE(Attributes(folder.Get(), leaf.Get(), SFGAO_READONLY) & SFGAO_READONLY);
    ::chmod((data + "/leaf").c_str(), 0755);
  }
}

TEST_F(ShellTest, CompareOrdersFoldersFirstThenByTheCatalogueNameOrder) {
  for (const char* d : {"beta", "Alpha", "alpha"}) MakeDir(data + "/" + d);
  for (const char* f : {"Zed.txt", "apple.txt", "\xC3\x84pfel.txt"}) WriteFile(data + "/" + f, "");
  ComPtr<IShellFolder> folder = BindPath(data);
  std::vector<IdListPtr> items;
  List(folder.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items);
  std::vector<LPCITEMIDLIST> order;
  for (auto& i : items) order.push_back(i.Get());
  std::sort(order.begin(), order.end(), [&](LPCITEMIDLIST a, LPCITEMIDLIST b) {
    return CompareResultOrder(folder->CompareIDs(0, a, b)) < 0;
  });
  std::vector<std::string> names;
  for (LPCITEMIDLIST p : order) names.push_back(NameOf(folder.Get(), p, SHGDN_INFOLDER));
  EXPECT_EQ(names,
            (std::vector<std::string>{"Alpha", "alpha", "beta", "apple.txt", "Zed.txt", "\xC3\x84pfel.txt"}));
  // Zero only for the same item, and a list before the lists below it.
  for (LPCITEMIDLIST a : order)
    for (LPCITEMIDLIST b : order) EXPECT_EQ(CompareResultOrder(folder->CompareIDs(0, a, b)) == 0, a == b);
  IdListPtr parent = Parse(data), child = Parse(data + "/beta"), computer = Parse(kComputerParsingName);
  EXPECT_LT(CompareResultOrder(desktop->CompareIDs(0, parent.Get(), child.Get())), 0);
  EXPECT_GT(CompareResultOrder(desktop->CompareIDs(0, child.Get(), computer.Get())), 0);
  EXPECT_EQ(desktop->CompareIDs(0, child.Get(), Parse(data + "/beta/").Get()), S_OK);
}

TEST_F(ShellTest, BindingGivesFoldersOnly) {
  MakeDir(data + "/d");
  WriteFile(data + "/f", "");
  ComPtr<IShellFolder> out;
  EXPECT_EQ(desktop->BindToObject(Parse(data + "/d").Get(), nullptr, IID_IShellFolder,
                                  reinterpret_cast<void**>(out.Put())),
            S_OK);
  EXPECT_TRUE(FAILED(desktop->BindToObject(Parse(data + "/f").Get(), nullptr, IID_IShellFolder,
                                           reinterpret_cast<void**>(out.Put()))));
  EXPECT_FALSE(out);
  // A list damaged in the middle is refused, never followed.
  IdListPtr bad(ILCombine(Parse(data).Get(), nullptr));
  reinterpret_cast<uint8_t*>(bad.Get())[2] = 0x77;
  EXPECT_TRUE(FAILED(
      desktop->BindToObject(bad.Get(), nullptr, IID_IShellFolder, reinterpret_cast<void**>(out.Put()))));
  EXPECT_EQ(NameOf(bad.Get(), SHGDN_NORMAL), "<failed>");
  EXPECT_TRUE(
      FAILED(desktop->CreateViewObject(nullptr, IID_IShellFolder, reinterpret_cast<void**>(out.Put()))));
  EXPECT_FALSE(out);
}

TEST_F(ShellTest, RenameNeverReplacesAnExistingItem) {
  WriteFile(data + "/a.txt", "first");
  WriteFile(data + "/b.txt", "second");
  MakeDir(data + "/d1");
  MakeDir(data + "/d2");
  ComPtr<IShellFolder> folder = BindPath(data);
  auto item = [&](const std::string& name) {
    return IdListPtr(ILClone(ILFindLastID(Parse(data + "/" + name).Get())));
  };
  IdListPtr a = item("a.txt"), d1 = item("d1");
  IdListPtr renamed;
  EXPECT_TRUE(FAILED(folder->SetNameOf(nullptr, a.Get(), u"b.txt", SHGDN_NORMAL, renamed.Put())));
  EXPECT_FALSE(renamed);
  EXPECT_EQ(ReadFile(data + "/a.txt"), "first");
  EXPECT_EQ(ReadFile(data + "/b.txt"), "second");
  EXPECT_TRUE(
      FAILED(folder->SetNameOf(nullptr, d1.Get(), u"d2", SHGDN_NORMAL, nullptr)));  // empty folder too
  for (const char16_t* bad : {u"", u".", u"..", u"x/y"})
    EXPECT_TRUE(FAILED(folder->SetNameOf(nullptr, a.Get(), bad, SHGDN_NORMAL, nullptr)));
  ASSERT_EQ(folder->SetNameOf(nullptr, a.Get(), u"c.txt", SHGDN_NORMAL, renamed.Put()), S_OK);
  EXPECT_EQ(ReadFile(data + "/c.txt"), "first");
  EXPECT_EQ(NameOf(folder.Get(), renamed.Get(), SHGDN_INFOLDER), "c.txt");
  // Drives and Computer are not renamed.
  ComPtr<IShellFolder> computer = Bind(Parse(kComputerParsingName).Get());
  std::vector<IdListPtr> drives;
  List(computer.Get(), SHCONTF_FOLDERS, &drives);
  EXPECT_TRUE(FAILED(computer->SetNameOf(nullptr, drives[1].Get(), u"x", SHGDN_NORMAL, nullptr)));
}

TEST_F(ShellTest, AFolderDeletedWhileListedEndsItsListingQuietly) {
  MakeDir(data + "/gone/sub");
  for (int i = 0; i < 20; ++i) WriteFile(data + "/gone/f" + std::to_string(i), "");
  ComPtr<IShellFolder> folder = BindPath(data + "/gone");
  ASSERT_TRUE(folder);
  ComPtr<IEnumIDList> e;
  ASSERT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, e.Put()), S_OK);
  LPITEMIDLIST first = nullptr;
  ASSERT_EQ(e->Next(1, &first, nullptr), S_OK);
  IdListPtr keep(first);
  std::filesystem::remove_all(data + "/gone");
  // What was read is still handed out; its facts are what can still be said.
  int rest = 0;
  for (LPITEMIDLIST item = nullptr; e->Next(1, &item, nullptr) == S_OK; ++rest) {
    uint32_t a =
        Attributes(folder.Get(), item, SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_CANRENAME | SFGAO_READONLY);
    EXPECT_EQ(a & (SFGAO_HASSUBFOLDER | SFGAO_CANRENAME), 0u);
    ILFree(item);
  }
  EXPECT_EQ(rest, 20);
  ComPtr<IEnumIDList> again;
  EXPECT_TRUE(FAILED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS, again.Put())));
  EXPECT_FALSE(again);
}

TEST_F(ShellTest, SpecialFoldersThatExistHereAndOthersFail) {
  IdListPtr pidl;
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, pidl.Put()), S_OK);
  EXPECT_TRUE(ILIsEmpty(pidl.Get()));
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, pidl.Put()), S_OK);
  EXPECT_EQ(NameOf(pidl.Get(), SHGDN_NORMAL), "Computer");
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, pidl.Put()), S_OK);
  EXPECT_EQ(NameOf(pidl.Get(), SHGDN_FORPARSING), home);
  EXPECT_TRUE(FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_TEMPLATES, pidl.Put())));
  MakeDir(home + "/.config");
  MakeDir(home + "/Vorlagen");
  WriteFile(home + "/.config/user-dirs.dirs", "# made by hand\nXDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n");
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_TEMPLATES, pidl.Put()), S_OK);
  EXPECT_EQ(NameOf(pidl.Get(), SHGDN_FORPARSING), home + "/Vorlagen");
  for (int csidl : {CSIDL_INTERNET, CSIDL_CONTROLS, CSIDL_PRINTERS, CSIDL_BITBUCKET, CSIDL_NETWORK,
                    CSIDL_RECENT, CSIDL_STARTMENU, CSIDL_PRINTHOOD, 99}) {
    EXPECT_TRUE(FAILED(SHGetSpecialFolderLocation(nullptr, csidl, pidl.Put()))) << csidl;
    EXPECT_FALSE(pidl);
  }
}

TEST_F(ShellTest, ThePathRootIsTheMountPathOfItsDrive) {
  std::string rootPart, rest;
  SplitPathRoot(data + "/photos/2020", rootPart, rest);
  EXPECT_EQ(rootPart, data + "/");
  EXPECT_EQ(rest, "photos/2020");
  SplitPathRoot("/home/me/", rootPart, rest);
  EXPECT_EQ(rootPart, "/");
  EXPECT_EQ(rest, "home/me/");
  SplitPathRoot(data, rootPart, rest);
  EXPECT_EQ(rest, "");
  EXPECT_EQ(ExtractPathRoot("/media/usb stick/x"), "/media/usb stick/");
  EXPECT_EQ(ExtractPathRoot("relative/x"), "");
}

}  // namespace
}  // namespace qv::test
