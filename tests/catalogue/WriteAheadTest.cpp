// An add writes finished records ahead in small batches: the catalogue comes
// out the same, the pool holds nothing afterwards, and a process ending in the
// middle of such an add leaves the catalogue as its last flush left it.
#include <sys/wait.h>
#include <unistd.h>

#include "tests/catalogue/EngineFixture.h"

namespace qv::test {
namespace {

using WriteAhead = EngineFixture;

void MakeTree(const std::string& root) {
  for (int d = 0; d < 6; ++d)
    for (int f = 0; f < 9; ++f)
      MakeFile(
          root + "d" + std::to_string(d) + "/s" + std::to_string(f % 3) + "/f" + std::to_string(f) + ".txt",
          d * 100 + f);
}

TEST_F(WriteAhead, SmallBatchesStoreTheSameCatalogue) {
  MakeTree(Tree());
  AddDisc("Whole", Tree());
  engine->WriteAheadRecords = 5;
  AddDisc("Batched", Tree());
  EXPECT_EQ(engine->Base->Pool().Count(), 0u);
  Reopen();
  ASSERT_TRUE(engine->Search(Files("*")));
  std::multiset<std::string> whole, batched;
  for (const std::string& e : Entries())
    (e.rfind("Whole|", 0) == 0 ? whole : batched).insert(e.substr(e.find('|')));
  EXPECT_EQ(whole.size(), 54u);
  EXPECT_EQ(whole, batched);
  ASSERT_TRUE(engine->Browse(1));
  EXPECT_EQ(engine->Discs->BrowseRoot->Count(), 6);
}

TEST_F(WriteAhead, ProcessEndingMidAddKeepsTheLastFlush) {
  MakeTree(Tree());
  AddDisc("Kept", Tree());
  pid_t pid = ::fork();
  if (pid == 0) {
    engine->WriteAheadRecords = 4;
    engine->MessageIntervalMs = 0;
    host.onPump = [this](int) {
      if (engine->FilesCount > 30) ::_exit(0);  // batches already written, no final flush
    };
    AddDisc("Lost", Tree());
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  engine.reset();
  engine = std::make_unique<TEngine>(host, QV_TEST_APP_DIR);
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  ASSERT_TRUE(engine->Search(Files("*")));
  std::size_t kept = 0;
  for (const std::string& e : Entries()) kept += e.rfind("Kept|", 0) == 0;
  EXPECT_EQ(kept, 54u);
  EXPECT_EQ(Entries().size(), 54u);  // nothing of the lost add is reachable
  AddDisc("Again", Tree());          // and the IDs go on soundly
  ASSERT_TRUE(engine->Search(Files("f1.txt")));
  EXPECT_EQ(Entries().size(), 12u);
}

}  // namespace
}  // namespace qv::test
