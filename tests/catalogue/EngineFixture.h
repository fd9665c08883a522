// A catalogue engine over a temporary database folder, with a recording host
// and helpers to build trees and read back search results.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "catalogue/Engine.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test {

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    host.folder = dir / "db";
    engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine->Usable());
    ASSERT_TRUE(engine->NewDatabase("secret", "Test"));
  }
  void TearDown() override {
    if (engine && engine->IsOpen()) {
      // Every record the engine fetched was released again: a flush leaves
      // nothing pinned in the pool.
      EXPECT_TRUE(engine->Base->Flush());
      EXPECT_EQ(engine->Base->Pool().Count(), 0u);
      EXPECT_TRUE(engine->CloseDatabase());
    }
  }

  std::string Tree(const std::string& rel = "") const { return dir / ("tree/" + rel); }

  // Adds the folder as a disc with every file taken.
  void AddDisc(const std::string& label, const std::string& path, int category = 0) {
    TScanOpts scan;
    scan.Path = path;
    TDiscData d;
    d.Label = Utf8ToUtf16(label);
    d.Category = category;
    engine->AddDisc(scan, d);
  }

  void Reopen() {
    ASSERT_TRUE(engine->CloseDatabase());
    engine.reset();
    engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine->OpenDatabase("secret"));
  }

  // Opens the closed catalogue in a new engine, the console cleared first.
  void OpenClosed() {
    engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR);
    host.console.clear();
    ASSERT_TRUE(engine->OpenDatabase("secret"));
  }

  // A file of the catalogue's folder, and every file's bytes by name.
  std::string Db(const std::string& name = "") const { return host.folder + "/" + name; }
  static std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(host.folder))
      out[e.path().filename().string()] = Content(e.path());
    return out;
  }

  // Console lines that start with `prefix` ("E ", "W " ...) and hold `text`.
  int Lines(const std::string& prefix, const std::string& text) const {
    int n = 0;
    for (const std::string& l : host.console)
      n += l.rfind(prefix, 0) == 0 && l.find(text) != std::string::npos;
    return n;
  }

  bool ConsoleHas(const std::string& text) const { return Lines("", text) > 0; }

  TSearchOpts Files(const std::string& mask) {
    TSearchOpts o;
    o.FileMask = mask;
    return o;
  }

  // Group names of the last search, and "disc|path|name" of every entry.
  std::set<std::string> Groups() const {
    std::set<std::string> out;
    for (auto& r : host.rows)
      if (r.parent < 0) out.insert(Utf16ToUtf8(r.data.Name));
    return out;
  }
  // Every entry a search for "*" finds.
  std::multiset<std::string> All() {
    engine->Search(Files("*"));
    return Entries();
  }
  std::multiset<std::string> Entries() const {
    std::multiset<std::string> out;
    for (auto& r : host.rows) {
      if (r.parent < 0) continue;
      const auto& g = host.rows[std::size_t(r.parent)].data;
      out.insert(Utf16ToUtf8(r.data.Disc) + "|" + Utf16ToUtf8(r.data.Path) + Utf16ToUtf8(g.Name));
    }
    return out;
  }

  TempDir dir;
  RecordingHost host;
  std::unique_ptr<TEngine> engine;
};

}  // namespace qv::test
