// Every change a user can make to a catalogue open for reading only (the
// first write of its open failed, its medium cannot be written, or it is
// damaged, where only the clear is let through) is refused with the console's line, and leaves the
// categories, the discs and their category numbers as they were: in the session, in the catalogue's files and
// at the next open.
#include <errno.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/Engine.h"
#include "classlib/IniFiles.h"
#include "platform/FaultInjector.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::readonly {
namespace {

namespace fs = std::filesystem;

const char* const kCannotWrite = "E The database cannot be written and is opened for reading only";
// A damaged catalogue that can be written otherwise names the way out.
const char* const kDamaged =
    "E The database is damaged and opened for reading only; to write it again, empty it with Database, "
    "Clear, "
    "or close it and put back all of its files from one copy";

enum class Why { FirstWriteFailed, ReadOnlyMedium, Damaged };

struct Change {
  const char* name;
  std::function<void(TEngine&, const std::string& trees)> run;
};

TDiscData Disc(TEngine& e, const char16_t* label) {
  return e.Discs->GetDisc(e.Discs->FindByLabel(label));
}

void Edit(TEngine& e, const char16_t* label, const std::function<void(TDiscData&)>& edit) {
  TDiscData d = Disc(e, label);
  edit(d);
  e.UpdateDisc(e.Discs->FindByLabel(label), d);
}

// "Films" stands in category 3 and "Songs" in 7: deleting an empty category
// below them would renumber both.
const std::vector<Change>& Changes() {
  static const std::vector<Change> changes = {
      {"AddCategory", [](TEngine& e, const std::string&) { e.Discs->Categories.Add("Tapes"); }},
      {"RenameCategory", [](TEngine& e, const std::string&) { e.Discs->Categories.Rename(3, "Films"); }},
      {"DeleteEmptyCategory", [](TEngine& e, const std::string&) { e.Discs->Categories.Delete(1); }},
      {"DeleteCategoryOfADisc", [](TEngine& e, const std::string&) { e.Discs->Categories.Delete(7); }},
      {"DeleteLastCategory", [](TEngine& e, const std::string&) { e.Discs->Categories.Delete(9); }},
      {"DiscLabel",
       [](TEngine& e, const std::string&) { Edit(e, u"Films", [](TDiscData& d) { d.Label = u"Cinema"; }); }},
      {"DiscDescription",
       [](TEngine& e, const std::string&) {
         Edit(e, u"Films", [](TDiscData& d) { d.Description = u"new"; });
       }},
      {"DiscLocation",
       [](TEngine& e, const std::string&) {
         Edit(e, u"Songs", [](TDiscData& d) { d.Location = u"Shelf 2"; });
       }},
      {"DiscCategory",
       [](TEngine& e, const std::string&) { Edit(e, u"Songs", [](TDiscData& d) { d.Category = 2; }); }},
      {"DeleteDisc", [](TEngine& e, const std::string&) { e.DeleteDisc(Disc(e, u"Songs")); }},
      {"Clear", [](TEngine& e, const std::string&) { e.ClearDatabase(); }},
      {"AddDisc",
       [](TEngine& e, const std::string& trees) {
         TScanOpts scan;
         scan.Path = trees + "/films";
         TDiscData d;
         d.Label = u"More";
         e.AddDisc(scan, d);
       }},
  };
  return changes;
}

// What a user sees of the catalogue: the discs with their texts and
// category numbers, the categories with their counts, the chosen one.
std::string State(TEngine& engine) {
  std::string s;
  for (int32_t i = 0; i < engine.Discs->Count(); ++i) {
    const TDiscData& d = engine.Discs->DiscAt(i);
    s += Utf16ToUtf8(d.Label) + "|" + std::to_string(d.Category) + "|" + Utf16ToUtf8(d.Location) + "|" +
         Utf16ToUtf8(d.Description) + "|" + std::to_string(d.Files) + ";";
  }
  const TDiscKinds& kinds = engine.Discs->Categories;
  for (int32_t k = 0; k < kinds.Count(); ++k)
    s += kinds.GetName(k) + "(" + std::to_string(kinds.GetDiscCount(k)) + "),";
  return s + " chosen " + std::to_string(kinds.Selected);
}

std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (auto& entry : fs::directory_iterator(folder)) {
    std::ostringstream content;
    content << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    files[entry.path().filename().string()] = content.str();
  }
  return files;
}

class ReadOnlyChanges : public ::testing::TestWithParam<std::tuple<Why, int>> {
 protected:
  Why TheWhy() const { return std::get<0>(GetParam()); }
  const Change& TheChange() const { return Changes()[std::size_t(std::get<1>(GetParam()))]; }

  void SetUp() override {
    for (int f = 0; f < 3; ++f) {
      MakeFile(dir / ("films/f" + std::to_string(f)), f);
      MakeFile(dir / ("songs/s" + std::to_string(f)), f);
    }
    host.folder = dir / "db";
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.NewDatabase("", "Shelf"));
    AddDisc(engine, u"Films", "films", 3);
    AddDisc(engine, u"Songs", "songs", 7);
    Edit(engine, u"Songs", [](TDiscData& d) {
      d.Location = u"Shelf 1";
      d.Description = u"old";
    });
    ASSERT_EQ(engine.Discs->Count(), 2);
    engine.Discs->Categories.Selected = 3;
    before = State(engine);
    ASSERT_TRUE(engine.CloseDatabase());
    if (TheWhy() == Why::Damaged) {
      TMemIniFile description(host.folder + "/xbase.vlm");
      description.WriteString("ENGINE", "Damage", "The database is damaged: marked so by hand");
      ASSERT_TRUE(description.UpdateFile());
    }
  }

  void AddDisc(TEngine& engine, const char16_t* label, const std::string& tree, int32_t category) {
    TScanOpts scan;
    scan.Path = dir / tree;
    TDiscData d;
    d.Label = label;
    d.Category = category;
    engine.AddDisc(scan, d);
  }

  TempDir dir;
  RecordingHost host;
  std::string before;
};

TEST_P(ReadOnlyChanges, AreRefusedWithTheLineAndLeaveTheCatalogueAsItWas) {
  FaultInjector faults;
  if (TheWhy() == Why::FirstWriteFailed) faults.FailWritesFrom(1);
  if (TheWhy() == Why::ReadOnlyMedium) faults.RefuseChanges(EROFS);
  {
    TEngine engine(host, QV_TEST_APP_DIR, faults);
    ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
    ASSERT_TRUE(engine.Base->ReadOnly());
    engine.Discs->Categories.Selected = 3;
    ASSERT_EQ(State(engine), before);
    const auto files = Contents(host.folder);
    host.console.clear();

    TheChange().run(engine, dir.Path());

    const std::vector<std::string> refused = {TheWhy() == Why::Damaged ? kDamaged : kCannotWrite};
    EXPECT_EQ(host.console, refused);
    EXPECT_EQ(State(engine), before);
    EXPECT_EQ(Contents(host.folder), files);
    EXPECT_TRUE(engine.CloseDatabase());
  }
  // The next open, with nothing failing, finds what there was.
  RecordingHost next;
  next.folder = host.folder;
  TEngine engine(next, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine.OpenDatabase(""));
  engine.Discs->Categories.Selected = 3;
  EXPECT_EQ(State(engine), before);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Why, int>>& info) {
  static const char* const whys[] = {"FirstWriteFailed", "ReadOnlyMedium", "Damaged"};
  return std::string(whys[int(std::get<0>(info.param))]) + "_" +
         Changes()[std::size_t(std::get<1>(info.param))].name;
}

INSTANTIATE_TEST_SUITE_P(Sessions, ReadOnlyChanges,
                         ::testing::Combine(::testing::Values(Why::FirstWriteFailed, Why::ReadOnlyMedium),
                                            ::testing::Range(0, int(Changes().size()))),
                         CaseName);

// A damaged catalogue may be cleared: that is the way out of the damage
// (ClearFailureTest.cpp).
std::vector<int> AllButTheClear() {
  std::vector<int> changes;
  for (int i = 0; i < int(Changes().size()); ++i)
    if (std::string(Changes()[std::size_t(i)].name) != "Clear") changes.push_back(i);
  return changes;
}

INSTANTIATE_TEST_SUITE_P(DamagedSessions, ReadOnlyChanges,
                         ::testing::Combine(::testing::Values(Why::Damaged),
                                            ::testing::ValuesIn(AllButTheClear())),
                         CaseName);

}  // namespace
}  // namespace qv::test::readonly
