// What the tests of sessions in child processes share: a disc added from a
// tree, the discs a catalogue lists, what a process did and said (kept in a
// file beside the catalogue), a catalogue made, and the plain open a user
// makes next.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/Engine.h"
#include "tests/common/RecordingHost.h"

namespace qv::test::sessions {

// Adds disc `label` of the tree at path; true when the list gained it.
inline bool AddDisc(TEngine& e, const std::string& label, const std::string& path) {
  TScanOpts scan;
  scan.IncludeFiles = true;
  scan.Path = path;
  TDiscData d;
  d.Label = Utf8ToUtf16(label);
  d.Category = 2;
  const int32_t before = e.Discs->Count();
  e.AddDisc(scan, d);
  return e.Discs->Count() > before;
}

inline std::set<std::string> Discs(TEngine& engine) {
  std::set<std::string> labels;
  for (int32_t i = 0; i < engine.Discs->Count(); ++i)
    labels.insert(Utf16ToUtf8(engine.Discs->DiscAt(i).Label));
  return labels;
}

inline int Count(const std::vector<std::string>& said, const std::string& prefix) {
  return int(
      std::count_if(said.begin(), said.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

// What one process did and said, kept in a file beside the catalogue.
struct Outcome {
  bool made = false;
  bool stored = false;
  std::vector<std::string> said;

  void Write(const std::string& file) const {
    std::ofstream out(file);
    out << made << stored << "\n";
    for (const auto& l : said) out << l << "\n";
  }
  static Outcome Read(const std::string& file) {
    Outcome o;
    std::ifstream in(file);
    std::string line;
    if (std::getline(in, line) && line.size() == 2) {
      o.made = line[0] == '1';
      o.stored = line[1] == '1';
    }
    while (std::getline(in, line)) o.said.push_back(line);
    return o;
  }
};

inline int ReadNumber(const std::string& file) {
  int n = 0;
  std::ifstream(file) >> n;
  return n;
}

// A catalogue `name` in folder, with disc `disc` of tree when one is named.
inline void MakeCatalogue(const std::string& folder, const std::string& name, const std::string& disc = "",
                          const std::string& tree = "") {
  RecordingHost host;
  host.folder = folder;
  TEngine engine(host, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine.NewDatabase("", name));
  if (!disc.empty()) AddDisc(engine, disc, tree);
  ASSERT_TRUE(engine.CloseDatabase());
}

// Opens the catalogue in folder as a user would next: it must open writable,
// saying nothing of damage, with these discs.
inline void ExpectOpens(const std::string& folder, const std::string& name,
                        const std::set<std::string>& discs) {
  for (int open = 1; open <= 2; ++open) {
    SCOPED_TRACE("plain open " + std::to_string(open) + " of " + folder);
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
    EXPECT_EQ(Count(host.console, "E ") + Count(host.console, "W "), 0)
        << testing::PrintToString(host.console);
    EXPECT_FALSE(engine.Base->ReadOnly()) << engine.Base->ReadOnlyText();
    EXPECT_EQ(engine.Base->Name, name);
    EXPECT_EQ(Discs(engine), discs);
    EXPECT_TRUE(engine.CloseDatabase());
  }
}

// Each file of a folder, by name, with its bytes.
inline std::map<std::string, std::string> Files(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

}  // namespace qv::test::sessions
