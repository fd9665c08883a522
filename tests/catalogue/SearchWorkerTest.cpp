// The search walk on its worker thread: the feed plays a worker's calls to
// the host in the order they were made; Stop from inside the message loop
// ends the walk with the rows found so far; and the windows' thread may read
// the disc list and the engine's state while the worker walks.
#include <algorithm>
#include <thread>

#include "catalogue/HostFeed.h"
#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

// "kind|id|parent|disc|location|path|name|size" of every row, and the console.
std::vector<std::string> Rows(const RecordingHost& h) {
  std::vector<std::string> out;
  for (auto& r : h.rows)
    out.push_back(std::to_string(r.data.Kind) + "|" + std::to_string(r.data.ID) + "|" +
                  std::to_string(r.parent) + "|" + Utf16ToUtf8(r.data.Disc) + "|" +
                  Utf16ToUtf8(r.data.Location) + "|" + Utf16ToUtf8(r.data.Path) + "|" + r.data.StoredPath +
                  "|" + Utf16ToUtf8(r.data.Name) + "|" + r.data.StoredName + "|" +
                  std::to_string(r.data.Size) + (r.expanded ? "|+" : "|-"));
  return out;
}

// What a walk reports, made once on a worker through the feed and once
// straight to a host: the two hosts see the same calls.
void Walk(IEngineHost& out, THostFeed* feed) {
  for (int g = 0; g < 700; ++g) {
    if (g % 97 == 0) out.AddWarning("warning " + std::to_string(g));
    if (g % 50 == 0) {
      if (feed) feed->Progress(g / 7);
    }
    TNodeData group;
    group.ID = g;
    group.Kind = nkFileGroup;
    group.StoredName = "name" + std::to_string(g) + (g % 3 ? ".txt" : "\xFF.bin");
    group.Name = Utf8ToUtf16(group.StoredName);
    ViewNode node = out.FileTreeAddNode(group, nullptr);
    for (int e = 0; e < g % 4 + 1; ++e) {
      TNodeData entry;
      entry.ID = 100000 + g * 10 + e;
      entry.Kind = nkFile;
      entry.Disc = e % 2 ? u"Disc B" : u"Disc A";
      entry.Location = e == 3 ? u"Shelf \u00e9" : u"";
      entry.StoredPath = "/d" + std::to_string(e) + "/";
      entry.Path = Utf8ToUtf16(entry.StoredPath);
      entry.Size = g * e;
      entry.Date = 40000 + g;
      out.FileTreeAddNode(entry, node);
    }
    out.FileTreeExpand(node);
  }
  out.AddError("the end");
}

TEST(SearchWorker, TheFeedPlaysAWorkersCallsInOrder) {
  RecordingHost direct, played;
  Walk(direct, nullptr);
  THostFeed feed;
  std::vector<int32_t> progress;
  std::thread worker([&] {
    Walk(feed, &feed);
    feed.Close();
  });
  for (;;) {
    const THostFeed::TPlay p = feed.Play(
        played, [&](int32_t v) { progress.push_back(v); }, 2);
    if (p == THostFeed::TPlay::Ended) break;
  }
  worker.join();
  EXPECT_EQ(Rows(played), Rows(direct));
  EXPECT_EQ(played.console, direct.console);
  EXPECT_EQ(progress.size(), 14u);
  EXPECT_EQ(progress.back(), 650 / 7);
}

TEST(SearchWorker, AHostOfStoredTextsGetsNoWideCopies) {
  struct StoredOnly : RecordingHost {
    bool FileTreeShowsStoredTexts() const override { return true; }
  } played;
  THostFeed feed;
  std::thread worker([&] {
    Walk(feed, nullptr);
    feed.Close();
  });
  while (feed.Play(played, nullptr, 2) != THostFeed::TPlay::Ended) {
  }
  worker.join();
  ASSERT_FALSE(played.rows.empty());
  for (auto& r : played.rows) {
    EXPECT_TRUE(r.data.Name.empty() && r.data.Path.empty());
    EXPECT_FALSE(r.data.StoredName.empty() && r.data.StoredPath.empty());
  }
}

class SearchWorkerEngine : public EngineFixture {
 protected:
  void MakeCatalogue() {
    for (int i = 0; i < 1500; ++i)
      MakeFile(Tree("d" + std::to_string(i % 9) + "/s" + std::to_string(i % 13) + "/f" +
                    std::to_string(i % 700) + ".txt"),
               i);
    AddDisc("First", Tree());
    AddDisc("Second", Tree("d1"));
  }
};

TEST_F(SearchWorkerEngine, StopEndsTheWalkWithTheRowsFoundSoFar) {
  MakeCatalogue();
  engine->MessageIntervalMs = 0;
  ASSERT_TRUE(engine->Search(Files("*.txt")));
  const std::vector<std::string> all = Rows(host);
  ASSERT_GT(all.size(), 1000u);
  EXPECT_FALSE(host.HasLine("W Searching interrupted"));

  // Stopped once a tenth of the rows is there; the worker runs at most a
  // batch ahead, so it cannot have ended by then.
  engine->WalkAheadBatches = 1;
  host.onPump = [&](int) {
    if (host.rows.size() > all.size() / 10) engine->Abort();
  };
  ASSERT_TRUE(engine->Search(Files("*.txt")));
  host.onPump = nullptr;
  EXPECT_TRUE(host.HasLine("W Searching interrupted"));
  const std::vector<std::string> some = Rows(host);
  ASSERT_LT(some.size(), all.size());
  // The same rows as far as they go, every group whole.
  for (std::size_t i = 0; i < some.size(); ++i) ASSERT_EQ(some[i], all[i]) << i;
  EXPECT_EQ(host.console.back().rfind("I ", 0), 0u);
  EXPECT_FALSE(engine->Busy);

  // The next search is whole again.
  ASSERT_TRUE(engine->Search(Files("*.txt")));
  EXPECT_EQ(Rows(host), all);
}

// Run under ThreadSanitizer too: the message loop reads what the windows read
// (the disc list, the busy flag) and tries operations that must be refused,
// while the worker walks, fills its caches and prunes nothing.
TEST_F(SearchWorkerEngine, TheMessageLoopRunsBesideTheWalk) {
  MakeCatalogue();
  engine->MessageIntervalMs = 0;
  host.pumpOnLines = true;
  int pumps = 0;
  host.onPump = [&](int) {
    ++pumps;
    EXPECT_TRUE(engine->Busy);
    EXPECT_EQ(engine->Discs->Count(), 2);
    EXPECT_EQ(Utf16ToUtf8(engine->Discs->GetDisc(1).Label), "Second");
    EXPECT_FALSE(engine->Search(Files("*")));
    EXPECT_FALSE(engine->Browse(0));
  };
  std::vector<int32_t> progress;
  engine->SetProgressHandler([&](int32_t v) { progress.push_back(v); });
  ASSERT_TRUE(engine->Search(Files("f1*.txt")));
  host.onPump = nullptr;
  engine->SetProgressHandler(nullptr);
  EXPECT_GT(pumps, 0);
  ASSERT_GT(progress.size(), 2u);
  EXPECT_EQ(progress.front(), 0);
  EXPECT_GT(*std::max_element(progress.begin(), progress.end()), 50);
  const std::vector<std::string> rows = Rows(host);
  // Read again on this thread alone: the caches filled by the worker serve it.
  engine->MessageIntervalMs = 1000;
  ASSERT_TRUE(engine->Search(Files("f1*.txt")));
  EXPECT_EQ(Rows(host), rows);
  EXPECT_TRUE(host.HasLine("I " + std::to_string(Groups().size()) + " file(s) and 0 folder(s) found"));
}

}  // namespace
}  // namespace qv::test
