// Folder compare over a tree where many files share a name, stored twice:
// what it lists is checked against a model made from a search of every
// stored file, and a Stop ends it at the file it reached.
#include <string>
#include <vector>

#include "catalogue/Names.h"
#include "classlib/SysUtils.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

class FolderCompare : public EngineFixture {
 protected:
  // A stored name and its stored files, as a search lists them.
  struct StoredName {
    std::string name;
    std::vector<TNodeData> entries;
  };

  // Forty packages, each with __init__.py of three sizes and two dates, a
  // Makefile in every fourth, README or readme in two of five, and a module
  // of its own.
  void MakePackages(const std::string& root) {
    for (int i = 0; i < 40; ++i) {
      const std::string pkg = root + "/pkg" + std::to_string(i) + "/";
      MakeFile(pkg + "__init__.py", (i % 3) * 5, 1600000000 + (i % 2) * 100);
      if (i % 4 == 0) MakeFile(pkg + "Makefile", 100, 1600000000);
      if (i % 5 == 0) MakeFile(pkg + "README", 20, 1600000000);
      if (i % 5 == 1) MakeFile(pkg + "readme", 20, 1600000000);
      MakeFile(pkg + "mod" + std::to_string(i) + ".py", i, 1600000000);
    }
  }

  std::vector<StoredName> SearchEverything() {
    EXPECT_TRUE(engine->Search(Files("*")));
    std::vector<StoredName> out;
    for (const auto& r : host.rows) {
      if (r.parent < 0)
        out.push_back({r.data.StoredName, {}});
      else
        out.back().entries.push_back(r.data);
    }
    return out;
  }

  // The scanned files of path in the order the compare walks them.
  std::vector<const TFileData*> ScannedFiles(const std::string& path, const TSearchOpts& o) {
    TScanOpts scan;
    scan.IncludeFiles = true, scan.AllFiles = true, scan.FoldersOnly = false, scan.Path = path;
    EXPECT_TRUE(engine->Scanner->ScanFiltered(scan, o));
    std::vector<const TFileData*> files;
    struct Walk {
      static void Run(const TFileData* node, std::vector<const TFileData*>& out) {
        for (int32_t i = 0; i < node->Count(); ++i) {
          const TFileData* child = node->GetChild(i);
          if (child->Kind == TFileData::kFile)
            out.push_back(child);
          else
            Run(child, out);
        }
      }
    };
    Walk::Run(engine->Scanner->Root(), files);
    return files;
  }

  static std::string EntryText(const TNodeData& e) {
    return "E " + std::to_string(e.ID) + "|" + Utf16ToUtf8(e.Disc) + "|" + Utf16ToUtf8(e.Location) + "|" +
           Utf16ToUtf8(e.Path) + "|" + e.StoredPath + "|" + std::to_string(e.Size) + "|" +
           std::to_string(e.Date) + "|" + std::to_string(int(e.Kind));
  }

  // The rows as "G name" and "E ..." lines; a group row that is not
  // expanded, carries an ID or has an entry of another group under it shows.
  std::vector<std::string> RowTexts() const {
    std::vector<std::string> out;
    int group = -1;
    for (std::size_t i = 0; i < host.rows.size(); ++i) {
      const auto& r = host.rows[i];
      if (r.parent < 0) {
        group = int(i);
        out.push_back("G " + r.data.StoredName + "|" + Utf16ToUtf8(r.data.Name) + "|" +
                      std::to_string(r.data.ID) + "|" + std::to_string(int(r.data.Kind)) +
                      (r.expanded ? "" : " collapsed"));
      } else {
        out.push_back(EntryText(r.data) + (r.parent == group ? "" : " misplaced"));
      }
    }
    return out;
  }
};

// Every scanned file whose name is stored with its date and size has a group
// row per stored spelling, with the copies in the order the name refers to
// them; the others are report lines, in the order of the walk.
TEST_F(FolderCompare, ListsEachStoredCopyOfEveryScannedFileAndReportsTheRest) {
  const std::string root = ExcludeTrailingPathDelimiter(Tree("src"));
  MakePackages(root);
  AddDisc("One", root);
  AddDisc("Two", root);
  AddDisc("Three", root + "/pkg0");
  // Changed since: a new size, new files, a README met elsewhere.
  MakeFile(root + "/pkg7/__init__.py", 99, 1600000000);
  MakeFile(root + "/pkg3/new.txt", 1, 1600000000);
  MakeFile(root + "/extra/README", 20, 1600000000);
  MakeFile(root + "/extra/Makefile", 100, 1600000001);

  const std::vector<StoredName> stored = SearchEverything();
  TSearchOpts o;
  o.FileMask = "*";
  std::vector<std::string> rows, report;
  for (const TFileData* f : ScannedFiles(root, o)) {
    bool listed = false;
    for (const StoredName& s : stored) {
      if (!SameName(s.name, f->Name)) continue;
      std::vector<std::string> copies;
      for (const TNodeData& e : s.entries)
        if (e.Date == f->Date && e.Size == f->Size) copies.push_back(EntryText(e));
      if (copies.empty()) continue;
      rows.push_back("G " + s.name + "|" + s.name + "|0|" + std::to_string(int(nkFileGroup)));
      rows.insert(rows.end(), copies.begin(), copies.end());
      listed = true;
    }
    if (!listed) report.push_back(f->PathUnder(root));
  }
  engine->Scanner->Reset();
  ASSERT_GT(rows.size(), 400u);
  ASSERT_EQ(report.size(), 3u);

  ASSERT_TRUE(engine->CompareFolder(root, o));
  EXPECT_EQ(RowTexts(), rows);
  EXPECT_EQ(host.report, report);
  EXPECT_TRUE(host.HasLine("I 109 file(s) found in 41 folder(s)")) << testing::PrintToString(host.console);
  EXPECT_TRUE(host.HasLine("I Done. 3 files that are NOT stored in the database are listed in REPORTS!"));
  EXPECT_EQ(Lines("E ", ""), 0);
  EXPECT_EQ(Lines("W ", ""), 0);

  // Each compare starts afresh: the same again lists the same.
  host.rows.clear();
  ASSERT_TRUE(engine->CompareFolder(root, o));
  EXPECT_EQ(RowTexts(), rows);
  EXPECT_EQ(host.report, report);
}

// A Stop lets the file being compared finish and nothing after it, also in
// the middle of a folder.
TEST_F(FolderCompare, StopEndsTheCompareAtTheFileItReached) {
  const std::string root = ExcludeTrailingPathDelimiter(Tree("flat"));
  for (int i = 0; i < 300; ++i) MakeFile(root + "/f" + std::to_string(i) + ".dat", i % 7);
  AddDisc("One", root);
  AddDisc("Two", root);
  engine->MessageIntervalMs = 0;
  std::size_t rowsAtStop = 0;
  host.onPump = [&](int) {
    if (rowsAtStop == 0 && host.rows.size() >= 3) {
      rowsAtStop = host.rows.size();
      engine->Abort();
    }
  };
  TSearchOpts o;
  o.FileMask = "*";
  EXPECT_TRUE(engine->CompareFolder(root, o));
  EXPECT_EQ(rowsAtStop, 3u);
  EXPECT_EQ(host.rows.size(), rowsAtStop);
  // Its report lists only the files compared before the Stop: it never
  // reads as done.
  for (const std::string& line : host.console) EXPECT_EQ(line.find("Done."), std::string::npos) << line;
  EXPECT_TRUE(host.HasLine("W Comparing process interrupted"));
  EXPECT_TRUE(
      host.HasLine("I Stopped after 1 of 300 files: 0 of them are NOT stored in the database and are "
                   "listed in REPORTS; the other files were not compared"));
  EXPECT_FALSE(engine->Busy);
}

}  // namespace
}  // namespace qv::test
