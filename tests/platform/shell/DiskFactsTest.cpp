// Disc facts behind the item attributes: the permission judgement on the
// stat's bits, one look at an item per listing (a new listing looks again),
// and mount points that cannot be renamed or deleted.
#include <unistd.h>

#include "platform/shell/DiskFacts.h"
#include "tests/platform/shell/ShellTestSupport.h"

namespace qv::test {
namespace {

struct stat Mode(mode_t mode, uid_t owner, bool dir = false) {
  struct stat st {};
  st.st_mode = mode | (dir ? S_IFDIR : S_IFREG);
  st.st_uid = owner;
  st.st_gid = 100;
  return st;
}

TEST(ShellDiskFacts, PermissionBitsAreJudgedForOwnerGroupOthersAndTheSuperuser) {
  struct Case {
    mode_t mode;
    uid_t owner, user;
    bool group;
    int want;
    bool allowed;
  } cases[] = {
      {0644, 1000, 1000, false, R_OK | W_OK, true},  // the owner's bits
      {0444, 1000, 1000, false, W_OK, false},        // read-only for its owner
      {0604, 1000, 1001, true, R_OK, false},         // the group's bits hold even if others may
      {0640, 1000, 1001, true, R_OK, true},         {0640, 1000, 1002, false, R_OK, false},  // others
      {0755, 1000, 1002, false, R_OK | X_OK, true}, {0700, 1000, 1002, false, W_OK | X_OK, false},
      {0000, 1000, 0, false, R_OK | W_OK, true},  // the superuser reads and writes anything
      {0600, 1000, 0, false, X_OK, false},        // but runs only what someone may run
  };
  for (const Case& c : cases)
    EXPECT_EQ(ModeAllowsFor(Mode(c.mode, c.owner), c.want, c.user, c.group), c.allowed)
        << std::oct << c.mode << " owner " << std::dec << c.owner << " user " << c.user;
  EXPECT_TRUE(
      ModeAllowsFor(Mode(0600, 1000, true), X_OK, 0, false));  // folders are searched by the superuser
}

TEST_F(ShellTest, AListingLooksAtEachItemOnceAndTheNextListingLooksAgain) {
  MakeDir(data + "/leaf");
  ComPtr<IShellFolder> folder = BindPath(data);
  std::vector<IdListPtr> items;
  ASSERT_EQ(List(folder.Get(), SHCONTF_FOLDERS, &items), std::vector<std::string>{"leaf"});
  EXPECT_EQ(Attributes(folder.Get(), items[0].Get(), SFGAO_HASSUBFOLDER), 0u);
  MakeDir(data + "/leaf/sub");
  // The same listing's items answer from what was read for it.
  EXPECT_EQ(Attributes(folder.Get(), items[0].Get(), SFGAO_HASSUBFOLDER | SFGAO_FOLDER), SFGAO_FOLDER);
  items.clear();
  List(folder.Get(), SHCONTF_FOLDERS, &items);
  EXPECT_EQ(Attributes(folder.Get(), items[0].Get(), SFGAO_HASSUBFOLDER), SFGAO_HASSUBFOLDER);
  // A renamed item is looked at afresh under its new name.
  IdListPtr renamed;
  ASSERT_EQ(folder->SetNameOf(nullptr, items[0].Get(), u"moved", 0, renamed.Put()), S_OK);
  ::rmdir((data + "/moved/sub").c_str());
  EXPECT_EQ(Attributes(folder.Get(), renamed.Get(), SFGAO_HASSUBFOLDER | SFGAO_CANRENAME), SFGAO_CANRENAME);
  // A path that vanished: nothing can be done with it.
  IdListPtr gone(MakeShellItem(ShellItemType::Folder, 0, "gone"));
  EXPECT_EQ(Attributes(folder.Get(), gone.Get(), SFGAO_CANRENAME | SFGAO_CANCOPY | SFGAO_READONLY),
            SFGAO_READONLY);
}

TEST_F(ShellTest, AMountPointIsNeitherRenamedNorDeletedButItsNeighboursAre) {
  ComPtr<IShellFolder> top = BindPath("/");
  ASSERT_TRUE(top);
  List(top.Get(), SHCONTF_FOLDERS);
  IdListPtr proc(MakeShellItem(ShellItemType::Folder, 0, "proc"));  // the kernel's file system
  EXPECT_EQ(Attributes(top.Get(), proc.Get(), SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_FOLDER),
            SFGAO_FOLDER);
  MakeDir(data + "/plain");
  ComPtr<IShellFolder> folder = BindPath(data);
  IdListPtr plain(MakeShellItem(ShellItemType::Folder, 0, "plain"));
  EXPECT_EQ(Attributes(folder.Get(), plain.Get(), SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE),
            SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE);
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// A listing of many folders reads their answers ahead on several threads;
// each answer must be the one a look at that folder alone gives.
class ShellReadAheadThreads : public ShellTest {};

TEST_F(ShellReadAheadThreads, EveryFolderOfALargeListingGetsItsOwnAnswer) {
  const std::string wide = data + "/wide";
  for (int i = 0; i < 150; ++i) {
    const std::string f = wide + "/f" + std::to_string(i);
    MakeDir(f);
    if (i % 3 == 0) MakeDir(f + "/sub");
    if (i % 3 == 1) WriteFile(f + "/file", "");
    if (i % 10 == 2)
      std::filesystem::create_directory_symlink(data, f + "/link");  // a link to a folder counts
  }
  ComPtr<IShellFolder> folder = BindPath(wide);
  std::vector<IdListPtr> items;
  const std::vector<std::string> names = List(folder.Get(), SHCONTF_FOLDERS, &items);
  ASSERT_EQ(names.size(), 150u);
  for (size_t k = 0; k < names.size(); ++k) {
    const int i = std::stoi(names[k].substr(1));
    const bool expected = i % 3 == 0 || i % 10 == 2;
    EXPECT_EQ(Attributes(folder.Get(), items[k].Get(), SFGAO_HASSUBFOLDER | SFGAO_LINK) != 0, expected)
        << names[k];
    EXPECT_EQ(HasSubFolderOnDisc(wide + "/" + names[k]), expected) << names[k];
  }
}

// The read-ahead opens each folder through the listed folder; a link to a
// folder must still read as a link with its target's answers.
TEST_F(ShellReadAheadThreads, LinkedFoldersOfALargeListingKeepTheirLinkAnswers) {
  const std::string wide = data + "/wide", target = data + "/target";
  MakeDir(target + "/sub");
  for (int i = 0; i < 100; ++i) MakeDir(wide + "/f" + std::to_string(i));
  for (int i = 0; i < 5; ++i)
    std::filesystem::create_directory_symlink(target, wide + "/l" + std::to_string(i));
  ComPtr<IShellFolder> folder = BindPath(wide);
  std::vector<IdListPtr> items;
  const std::vector<std::string> names = List(folder.Get(), SHCONTF_FOLDERS, &items);
  ASSERT_EQ(names.size(), 105u);
  for (size_t k = 0; k < names.size(); ++k) {
    const bool link = names[k][0] == 'l';
    EXPECT_EQ(Attributes(folder.Get(), items[k].Get(), SFGAO_HASSUBFOLDER) != 0, link) << names[k];
    EXPECT_EQ(Attributes(folder.Get(), items[k].Get(), SFGAO_LINK) != 0, link) << names[k];
  }
}

// Every item of a large listing: files, folders, hidden ones and links of
// every kind answer each attribute as the item asked alone (by its absolute
// list, which reads nothing ahead) does.
TEST_F(ShellReadAheadThreads, EveryItemOfALargeListingAnswersAsItDoesAlone) {
  const std::string wide = data + "/mixed";
  MakeDir(wide);
  for (int i = 0; i < 120; ++i) {
    const std::string n = wide + "/" + (i % 9 == 0 ? "." : "") + "i" + std::to_string(i);
    switch (i % 6) {
      case 0:
        MakeDir(n + "/sub");
        break;
      case 1:
        WriteFile(n + ".txt", "x");
        ::chmod((n + ".txt").c_str(), 0444);
        break;
      case 2:
        std::filesystem::create_symlink(data, n);  // to a folder
        break;
      case 3:
        std::filesystem::create_symlink(wide + "/none", n);  // dangling
        break;
      default:
        WriteFile(n + ".jpg", "x");
    }
  }
  ComPtr<IShellFolder> folder = BindPath(wide);
  std::vector<IdListPtr> items;
  const auto names = List(folder.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items);
  ASSERT_EQ(names.size(), 120u);
  IdListPtr own = Parse(wide);
  // In the listing's order, then (every attribute) from the last item back.
  for (const uint32_t mask : {SFGAO_READONLY | SFGAO_LINK | SFGAO_HIDDEN, 0u}) {
    for (size_t n = 0; n < names.size(); ++n) {
      const size_t k = mask ? n : names.size() - 1 - n;
      IdListPtr absolute(ILCombine(own.Get(), items[k].Get()));
      EXPECT_EQ(Attributes(folder.Get(), items[k].Get(), mask),
                Attributes(desktop.Get(), absolute.Get(), mask))
          << names[k] << " mask " << mask;
    }
    items.clear();
    List(folder.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items);
  }
}

}  // namespace
}  // namespace qv::test
