// The shell list view and shell combo box over a real temporary folder and a
// fake mount table: the mask filter, folders first, find with and without
// wrapping, refresh keeping the selected row, the report columns and their
// details, navigation by keys, and the combo's path with the drives under
// "Computer", all three controls moving together.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/Exception.h"
#include "platform/Utf.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/comctl/ListView.h"
#include "platform/controls/ComboBox.h"
#include "platform/shell/ItemProperties.h"
#include "platform/shell/Mounts.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "skin/controls/skShellComboBox.h"
#include "skin/controls/skShellListView.h"
#include "tests/common/TempDir.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class ShellList : public ::testing::Test {
 protected:
  void SetUp() override {
    base = dir.Path() + "top";
    for (const char* d : {"docs/old", "music"}) fs::create_directories(base + "/" + d);
    fs::create_directories(dir.Path() + "drive");
    for (const char* f : {"a.txt", "B.TXT", "c.Doc", "d.png", "notes"})
      std::ofstream(base + "/docs/" + f) << "12345";
    std::ofstream(dir.Path() + "mountinfo")
        << "22 1 8:1 / / rw shared:1 - ext4 /dev/sda1 rw\n"
        << "24 22 8:2 / " << dir.Path() << "drive rw - ext4 /dev/sdz1 rw\n";
    SetMountInfoPath(dir.Path() + "mountinfo");
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 600, 400);
    list = new TSkShellListView(form);
    list->SetParent(form);
    list->SetBounds(200, 40, 380, 340);
    list->SetRoot(base + "/docs");
    form->Show();
    backend.Pump();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
    SetMountInfoPath("");
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> out;
    for (int i = 0; i < list->FolderCount(); ++i) out.push_back(list->Folders(i)->DisplayName(seSystem));
    return out;
  }
  std::string CellText(int row, int column) {
    char16_t buf[260] = {};
    LVITEMW item;
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 260;
    SendMessageW(list->Handle(), LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return Utf16ToUtf8(buf);
  }
  HeadlessBackend backend{SIZE{640, 480}};
  TempDir dir;
  std::string base;
  TForm* form = nullptr;
  TSkShellListView* list = nullptr;
};

TEST_F(ShellList, TheMaskKeepsFoldersAndMatchingExtensionsInAnyCase) {
  EXPECT_EQ(Rows(), (std::vector<std::string>{"old", "a.txt", "B.TXT", "c.Doc", "d.png", "notes"}));
  EXPECT_EQ(list->Items()->Count(), 6);
  list->SetMask("*.txt;*.doc");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"old", "a.txt", "B.TXT", "c.Doc"}));
  list->SetMask("");
  list->SetObjectTypes(TSkShellObjectTypes{otNonFolders});
  EXPECT_EQ(list->FolderCount(), 5);
  EXPECT_EQ(CellText(0, 0), "a.txt");
}

TEST_F(ShellList, FindWrapsOnlyWhenAskedAndLooksAtEachRowOnce) {
  EXPECT_EQ(list->FindRow("B", 0, false), 2);
  EXPECT_EQ(list->FindRow("a", 3, false), -1);
  EXPECT_EQ(list->FindRow("A", 3, true), 1);
  EXPECT_EQ(list->FindRow("zzz", 2, true), -1);  // a full round, then no more
  EXPECT_EQ(list->FindRow("not", 5, false), 5);  // the last row itself
  // The window's own find goes the same way.
  LVFINDINFOW find;
  find.flags = LVFI_PARTIAL | LVFI_STRING | LVFI_WRAP;
  find.psz = u"c.";
  EXPECT_EQ(SendMessageW(list->Handle(), LVM_FINDITEMW, WPARAM(4), reinterpret_cast<LPARAM>(&find)), 3);
}

TEST_F(ShellList, RefreshKeepsTheSelectedRowEvenTheLast) {
  list->SetItemIndex(5);
  ASSERT_EQ(list->ItemIndex(), 5);
  std::ofstream(base + "/docs/e.txt") << "x";
  list->Refresh();
  EXPECT_EQ(list->FolderCount(), 7);
  EXPECT_EQ(list->ItemIndex(), 5);
  fs::remove(base + "/docs/e.txt");
  fs::remove(base + "/docs/d.png");
  list->Refresh();
  ASSERT_EQ(list->FolderCount(), 5);
  list->SetItemIndex(4);  // "notes", the last row
  list->Refresh();
  EXPECT_EQ(list->ItemIndex(), 4);
  EXPECT_EQ(list->RootFolder()->ParsingPath(), base + "/docs");
}

TEST_F(ShellList, ReportColumnsShowSizeTypeAndTheirBoundsAreChecked) {
  list->SetViewStyle(vsReport);
  backend.Pump();
  ASSERT_EQ(list->Columns()->Count(), 4);
  EXPECT_EQ(list->Columns()->Items(1)->Caption(), "Size");
  EXPECT_EQ(list->Columns()->Items(1)->Alignment(), taRightJustify);
  EXPECT_EQ(CellText(1, 1), "5");
  EXPECT_EQ(CellText(1, 2), "txt");
  EXPECT_EQ(CellText(0, 1), "-1");  // a folder has no size
  EXPECT_FALSE(CellText(1, 3).empty());
  TSkShellFolder* fresh = list->Folders(2);
  TSkShellFolder copy(fresh->Parent(), fresh->RelativeId(), fresh->ShellFolder());
  EXPECT_THROW(copy.Details(1), Exception);
  copy.LoadColumnDetails(list->RootFolder(), list->Handle(), 3);
  EXPECT_EQ(copy.Details(1), "5");
  EXPECT_EQ(copy.Details(7), "");  // past the columns: nothing
  EXPECT_EQ(copy.Details(0), "");
  // The painted list holds the rows.
  UpdateWindow(list->Handle());
}

TEST_F(ShellList, KeysMoveIntoFoldersAndBackAndTheTreeFollows) {
  auto* tree = new TSkShellTreeView(form);
  tree->SetParent(form);
  tree->SetBounds(0, 40, 190, 340);
  tree->SetRoot(base);
  tree->SetShellListView(list);
  backend.Pump();
  EXPECT_EQ(list->ShellTreeView(), tree);
  EXPECT_EQ(list->RootFolder()->ParsingPath(), base);  // the tree's root came with the link
  EXPECT_EQ(Rows(), (std::vector<std::string>{"docs", "music"}));
  list->SetFocus();
  list->SetItemIndex(0);
  backend.KeyPress(VK_RETURN);
  backend.Pump();
  EXPECT_EQ(list->RootFolder()->ParsingPath(), base + "/docs");
  EXPECT_EQ(tree->GetPath(), base + "/docs");
  backend.KeyPress(VK_BACK);
  backend.Pump();
  EXPECT_EQ(list->RootFolder()->ParsingPath(), base);
  EXPECT_EQ(tree->GetPath(), base);
  tree->SetPath(base + "/music");
  EXPECT_EQ(list->RootFolder()->ParsingPath(), base + "/music");
  EXPECT_EQ(list->FolderCount(), 0);
}

TEST_F(ShellList, AltEnterAsksTheDesktopForTheRowsProperties) {
  std::vector<std::string> asked;
  ItemPropertiesHandler() = [&](const std::string& uri) {
    asked.push_back(uri);
    return true;
  };
  const auto rows = Rows();
  const int row = int(std::find(rows.begin(), rows.end(), "c.Doc") - rows.begin());
  ASSERT_LT(row, list->FolderCount());
  list->SetFocus();
  list->SetItemIndex(row);
  backend.KeyDown(VK_MENU);
  backend.KeyPress(VK_RETURN);
  backend.KeyUp(VK_MENU);
  backend.Pump();
  ItemPropertiesHandler() = nullptr;
  EXPECT_EQ(asked, (std::vector<std::string>{FileUriOf(base + "/docs/c.Doc")}));
  EXPECT_EQ(list->RootFolder()->ParsingPath(), base + "/docs");  // nothing was opened
  EXPECT_TRUE(backend.Opened.empty());
}

TEST_F(ShellList, TheComboShowsTheDrivesUnderComputerAndThePathToTheFolder) {
  auto* combo = new TSkShellComboBox(form);
  combo->SetParent(form);
  combo->SetBounds(0, 0, 300, 22);
  backend.Pump();
  std::vector<std::pair<std::string, int>> items;
  for (int i = 0; i < combo->ItemsEx()->Count(); ++i)
    items.emplace_back(combo->ItemsEx()->Items(i)->Caption(), combo->ItemsEx()->Items(i)->Indend);
  ASSERT_GE(items.size(), 5u);
  EXPECT_EQ(items[0], (std::pair<std::string, int>{"Desktop", 0}));
  EXPECT_EQ(items[1], (std::pair<std::string, int>{"Computer", 0}));
  EXPECT_EQ(items[2].second, 1);  // the drives, one level deeper
  EXPECT_EQ(items[3].second, 1);
  EXPECT_EQ(items[4], (std::pair<std::string, int>{"Home", 0}));
  EXPECT_EQ(combo->ItemIndex(), 0);
  // Linked to the list: the path down to its folder, that folder selected.
  combo->SetShellListView(list);
  list->MoveToIdList(IdListPtr(ParseShellDisplayName(base + "/docs/old")).Get());
  backend.Pump();
  ASSERT_NE(combo->SelectedFolder(), nullptr);
  EXPECT_EQ(combo->SelectedFolder()->ParsingPath(), base + "/docs/old");
  EXPECT_EQ(combo->ItemsEx()->Items(combo->ItemIndex())->Indend, combo->SelectedFolder()->Level());
  EXPECT_GT(combo->SelectedFolder()->Level(), items[3].second);
  // Choosing an item moves the list.
  const int drive = 3;
  SendMessageW(combo->Handle(), CB_SETCURSEL, WPARAM(drive), 0);
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->Handle()));
  backend.Pump();
  EXPECT_EQ(list->RootFolder()->ParsingPath(), combo->FolderOf(drive)->ParsingPath());
  // A root other than the exact default name shows no drives.
  combo->SetRoot(base);
  combo->SetRoot("rfdesktop");
  EXPECT_EQ(combo->ItemsEx()->Count(), 3);
}

}  // namespace
}  // namespace qv::test
