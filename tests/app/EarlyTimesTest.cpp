// Files modified before 1899-12-30 (an archive's bogus date keeps its place
// on tmpfs, btrfs or NTFS) as a user meets them: added from a real folder,
// found and browsed, each shows the day and the time of day the disk has, in
// the lists and in the rows copied with Ctrl+C.
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>

#include "MainTestSupport.h"
#include "app/frames/Browser.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "classlib/SysUtils.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

// A folder in memory: tmpfs keeps file times before 1901, which ext4 cannot.
class MemoryFolder {
 public:
  MemoryFolder() {
    std::string tmpl = "/dev/shm/qvtest-XXXXXX";
    if (fs::is_directory("/dev/shm") && ::mkdtemp(tmpl.data())) path_ = tmpl + "/";
  }
  ~MemoryFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct OldFile {
  const char* name;
  int y, m, d, h, mi;
  const char* date;  // as the lists show it
  const char* time;
};

const OldFile kFiles[] = {{"morning.txt", 1899, 12, 29, 6, 0, "29/12/1899", "06:00:00"},
                          {"evening.txt", 1899, 12, 29, 18, 30, "29/12/1899", "18:30:00"},
                          {"old-morning.txt", 1850, 6, 1, 6, 0, "01/06/1850", "06:00:00"},
                          {"old-evening.txt", 1850, 6, 1, 18, 30, "01/06/1850", "18:30:00"}};

int64_t LocalSeconds(const OldFile& f) {
  std::tm t{};
  t.tm_year = f.y - 1900, t.tm_mon = f.m - 1, t.tm_mday = f.d, t.tm_hour = f.h, t.tm_min = f.mi;
  t.tm_isdst = -1;
  return int64_t(std::mktime(&t));
}

class EarlyTimes : public MainTest {
 protected:
  void SetUp() override {
    MainTest::SetUp();
    if (folder.Path().empty()) GTEST_SKIP() << "no tmpfs at /dev/shm";
    for (const OldFile& f : kFiles) {
      const std::string path = folder.Path() + "old/" + f.name;
      MakeFile(path, 10, LocalSeconds(f));
      struct stat st {};
      if (::stat(path.c_str(), &st) != 0 || st.st_mtime != LocalSeconds(f))
        GTEST_SKIP() << "the file system does not keep " << f.date;
    }
    StartWithCatalogue();
    AnswerWizard("Old times", folder.Path() + "old/");
    MainForm->actScan->Execute();
    Idle();
    ASSERT_EQ(MainForm->Engine->Discs->Count(), 1);
  }
  void CtrlC() {
    backend.KeyDown(VK_CONTROL);
    backend.KeyPress('C');
    backend.KeyUp(VK_CONTROL);
    Pump();
  }
  // The row copied with Ctrl+C, its cells by the column titles.
  std::map<std::string, std::string> CopiedRow(TDataStringTree* tree, PDataNode row) {
    tree->SetFocus();
    tree->ClearSelection();
    tree->SetSelected(row, true);
    tree->SetFocusedNode(row);
    backend.Clipboard.clear();
    CtrlC();
    // The titles, then the row: plain names, no cell is quoted.
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    for (char c : Utf16ToUtf8(backend.Clipboard)) {
      if (c == '\t')
        rows.back().emplace_back();
      else if (c == '\n')
        rows.emplace_back(1);
      else if (c != '\r')
        rows.back().back() += c;
    }
    std::map<std::string, std::string> cells;
    EXPECT_EQ(rows.size(), 3u) << "titles, one row and the last line end";
    if (rows.size() < 2 || rows[0].size() != rows[1].size()) return cells;
    for (std::size_t i = 0; i < rows[0].size(); ++i) cells[Trim(rows[0][i])] = rows[1][i];
    return cells;
  }
  // The text of a row's cell under the column titled title.
  static std::string Cell(TDataStringTree* tree, PDataNode row, const std::u16string& title) {
    for (TDataTreeColumn* c : tree->Header()->Columns()->GetVisibleColumns())
      if (c->Text() == title) return Utf16ToUtf8(tree->GetText(row, c->Index()));
    return "(no column)";
  }
  // Checks the row of each file: on screen and copied.
  void ExpectEachFileShowsItsTime(TDataStringTree* tree, const std::function<PDataNode(const char*)>& rowOf) {
    for (const OldFile& f : kFiles) {
      PDataNode row = rowOf(f.name);
      ASSERT_TRUE(row) << f.name;
      EXPECT_EQ(Cell(tree, row, u" Date "), f.date) << f.name;
      EXPECT_EQ(Cell(tree, row, u" Time "), f.time) << f.name;
      std::map<std::string, std::string> copied = CopiedRow(tree, row);
      EXPECT_EQ(copied["Date"], f.date) << f.name;
      EXPECT_EQ(copied["Time"], f.time) << f.name;
    }
  }

  MemoryFolder folder;
};

TEST_F(EarlyTimes, SearchResultsShowAndCopyTheTimeOfDayTheDiskHas) {
  MainForm->PageControl->SetActivePageIndex(1);
  Pump();
  FileTree->FileEdit->SetText("*.txt");
  MainForm->actSearch->Execute();
  Idle();
  TDataStringTree* results = FileTree->Tree;
  results->FullExpand();
  ExpectEachFileShowsItsTime(results, [&](const char* name) -> PDataNode {
    for (PDataNode g = results->GetFirstChild(nullptr); g; g = results->GetNextSibling(g))
      if (Utf16ToUtf8(results->GetText(g, 0)) == name) return results->GetFirstChild(g);
    return nullptr;
  });
}

TEST_F(EarlyTimes, TheBrowsedDiscShowsAndCopiesTheTimeOfDayTheDiskHas) {
  MainForm->PageControl->SetActivePageIndex(0);
  Pump();
  TDataStringTree* discs = DiscTree->Tree;
  discs->SetFocus();
  discs->SetSelected(discs->GetFirst(), true);
  discs->SetFocusedNode(discs->GetFirst());
  MainForm->actBrowse->Execute();
  Idle();
  TDataStringTree* view = Browser->FileView;
  ExpectEachFileShowsItsTime(view, [&](const char* name) -> PDataNode {
    for (PDataNode n = view->GetFirst(); n; n = view->GetNext(n))
      if (Utf16ToUtf8(view->GetText(n, 0)) == name) return n;
    return nullptr;
  });
}

}  // namespace
}  // namespace qv::test
