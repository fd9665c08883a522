// A session holds its catalogue's lock from its first read to its last write
// and writes only into the catalogue whose lock it holds. Two programs make a
// catalogue in one folder, one held at each step of its create while the
// other makes one there, adds a disc and closes or stays open. Each is a
// real process.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/Engine.h"
#include "platform/FaultInjector.h"
#include "tests/catalogue/ChildProcess.h"
#include "tests/catalogue/SessionInChild.h"
#include "tests/catalogue/SessionSupport.h"
#include "tests/common/RecordingHost.h"
#include "tests/common/TempDir.h"
#include "tests/common/TreeMaker.h"

namespace qv::test::sessionlock {
namespace {

namespace fs = std::filesystem;
using namespace sessions;

const char* const kInUse = "E Database is in use";
const char* const kThere = "E A database already exists in this folder";

class SessionLock : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int f = 0; f < 6; ++f) {
      MakeFile(dir / ("a/d/f" + std::to_string(f)));
      MakeFile(dir / ("b/d/g" + std::to_string(f)));
    }
  }

  // Makes catalogue `name` in folder and adds disc "<name>-disc"; held at
  // its create's step `hold` (its lock, what it reads and each write, in one
  // count); with `stay` it says 'o' once its disc is added and stays open
  // until it is let on.
  void StartMaker(Child& child, const std::string& folder, const std::string& name, int hold, bool stay) {
    child.Start([=, this](Child& self) {
      RecordingHost host;
      host.folder = folder;
      FaultInjector faults;
      int steps = 0;
      auto step = [&] {
        if (++steps == hold) self.Hold();
      };
      faults.SetOpenHook([&](const std::string&, const std::string&) { step(); });
      faults.SetWriteHook([&](int64_t, const std::string&) { step(); });
      TEngine engine(host, QV_TEST_APP_DIR, faults);
      Outcome o;
      o.made = engine.NewDatabase("", name);
      faults.SetOpenHook(nullptr);
      faults.SetWriteHook(nullptr);
      std::ofstream(folder + "." + name + ".steps") << steps;
      if (o.made) {
        const size_t before = host.console.size();
        AddDisc(engine, name + "-disc", dir / (name == "A" ? "a" : "b"));
        o.stored = Count({host.console.begin() + long(before), host.console.end()}, "E ") == 0;
        if (stay) {
          self.Say('o');
          self.Await();
        }
        engine.CloseDatabase();
      }
      o.said = host.console;
      o.Write(folder + "." + name);
    });
  }

  void CheckMakers(const std::string& folder) {
    const Outcome a = Outcome::Read(folder + ".A"), b = Outcome::Read(folder + ".B");
    ASSERT_NE(a.made, b.made) << testing::PrintToString(a.said) << testing::PrintToString(b.said);
    const Outcome& maker = a.made ? a : b;
    const Outcome& refused = a.made ? b : a;
    EXPECT_TRUE(maker.stored) << testing::PrintToString(maker.said);
    EXPECT_EQ(Count(maker.said, "E ") + Count(maker.said, "W "), 0) << testing::PrintToString(maker.said);
    EXPECT_TRUE(refused.said == std::vector<std::string>{kInUse} ||
                refused.said == std::vector<std::string>{kThere})
        << testing::PrintToString(refused.said);
    const std::string name = a.made ? "A" : "B";
    ExpectOpens(folder, name, {name + "-disc"});
  }

  // The steps of a create that nothing gets in the way of.
  int CreateSteps() {
    const std::string folder = dir / "alone";
    Child alone;
    StartMaker(alone, folder, "A", 0, false);
    EXPECT_TRUE(alone.Finish());
    return ReadNumber(folder + ".A.steps");
  }

  void HoldACreateAtEachStep(bool otherStays) {
    const int steps = CreateSteps();
    ASSERT_GT(steps, 3);
    std::cout << "a create held at each of " << steps << " steps\n";
    for (int hold = 1; hold <= steps; ++hold) {
      SCOPED_TRACE(std::string("the create held at step ") + std::to_string(hold) +
                   (otherStays ? ", the other staying open" : ", the other closing"));
      const std::string folder = dir / ((otherStays ? "s" : "c") + std::to_string(hold));
      Child first, other;
      StartMaker(first, folder, "A", hold, false);
      const char at = first.Next();  // held, or ended
      StartMaker(other, folder, "B", 0, otherStays);
      ASSERT_TRUE(EndHeldAfter(first, at, other, otherStays));
      CheckMakers(folder);
      if (HasFailure()) return;
    }
  }

  TempDir dir;
};

TEST_F(SessionLock, TwoCreatesInOneFolderWhileTheOtherCreatesAddsAndCloses) {
  HoldACreateAtEachStep(false);
}

TEST_F(SessionLock, TwoCreatesInOneFolderWhileTheOtherCreatesAddsAndStaysOpen) {
  HoldACreateAtEachStep(true);
}

int EnvNumber(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

int64_t Now() {
  return std::chrono::steady_clock::now().time_since_epoch().count();
}

// A session that could not open: only "in use" (or, for a create, a
// database there already) may be said.
bool RefusedPlainly(const std::vector<std::string>& said) {
  return said == std::vector<std::string>{kInUse} || said == std::vector<std::string>{kThere};
}

// The same left to chance: one process clears the catalogue and adds a disc,
// over and over, while another opens it in a loop and adds one. Replayed in
// the order the two held the lock, what each said it stored is all there
// is. Rounds: QV_SESSION_LOCK_ROUNDS.
TEST(SessionLocks, AClearLeftToChanceLosesNothingAndDamagesNothing) {
  const int rounds = EnvNumber("QV_SESSION_LOCK_ROUNDS", 30);
  TempDir dir;
  for (int f = 0; f < 20; ++f) MakeFile(dir / ("t/d/f" + std::to_string(f)));
  const std::string folder = dir / "db";
  MakeCatalogue(folder, "Race");
  Child racers[2];
  for (int k = 0; k < 2; ++k)
    racers[k].Start([&, k](Child&) {
      std::ofstream log(dir / ("racer" + std::to_string(k)));
      for (int done = 0; done < rounds;) {
        RecordingHost h;
        h.folder = folder;
        TEngine engine(h, QV_TEST_APP_DIR);
        if (!engine.OpenDatabase("")) {
          if (!RefusedPlainly(h.console)) log << "said " << testing::PrintToString(h.console) << "\n";
          if (!RefusedPlainly(h.console)) return;
          continue;
        }
        const int64_t at = Now();
        if (Count(h.console, "E ") + Count(h.console, "W ") > 0)
          log << "said " << testing::PrintToString(h.console) << "\n";
        h.console.clear();
        const std::string label = (k == 0 ? "K" : "O") + std::to_string(done++);
        if (k == 0 && !engine.ClearDatabase()) log << "said the clear failed\n";
        AddDisc(engine, label, dir / "t");
        if (Count(h.console, "E ") + Count(h.console, "W ") == 0)
          log << at << " " << (k == 0 ? "clear+" : "add ") << label << "\n";
        else
          log << "said " << testing::PrintToString(h.console) << "\n";
        if (!engine.CloseDatabase()) log << "said the close failed\n";
      }
    });
  for (Child& racer : racers) ASSERT_TRUE(racer.Join());

  std::map<int64_t, std::string> sessions;  // by the time each opened
  for (int k = 0; k < 2; ++k) {
    std::ifstream log(dir / ("racer" + std::to_string(k)));
    for (std::string line; std::getline(log, line);) {
      if (line.rfind("said", 0) == 0) {
        ADD_FAILURE() << "racer " << k << ": " << line;
        continue;
      }
      const auto space = line.find(' ');
      sessions[std::stoll(line.substr(0, space))] = line.substr(space + 1);
    }
  }
  EXPECT_EQ(sessions.size(), std::size_t(2 * rounds));
  std::set<std::string> expected;
  for (const auto& [at, what] : sessions) {
    if (what.rfind("clear+", 0) == 0) expected.clear();
    expected.insert(what.substr(what.find_first_of("+ ") + 1));
  }
  ExpectOpens(folder, "Race", expected);
}

// Two processes making catalogues in the same folders at the same moments:
// in each folder exactly one makes it, with its disc, and the other says
// plainly that it could not. Rounds: QV_SESSION_LOCK_ROUNDS.
TEST(SessionLocks, TwoCreatesLeftToChanceLoseNothing) {
  const int rounds = EnvNumber("QV_SESSION_LOCK_ROUNDS", 30);
  TempDir dir;
  for (int f = 0; f < 6; ++f) MakeFile(dir / ("t/d/f" + std::to_string(f)));
  Child racers[2];
  for (int k = 0; k < 2; ++k)
    racers[k].Start([&, k](Child&) {
      std::ofstream log(dir / ("racer" + std::to_string(k)));
      for (int i = 0; i < rounds; ++i) {
        RecordingHost h;
        h.folder = dir / ("f" + std::to_string(i));
        TEngine engine(h, QV_TEST_APP_DIR);
        const std::string name = std::to_string(k);
        if (!engine.NewDatabase("", name)) {
          if (!RefusedPlainly(h.console)) log << "said " << testing::PrintToString(h.console) << "\n";
          continue;
        }
        AddDisc(engine, name + "-disc", dir / "t");
        if (Count(h.console, "E ") + Count(h.console, "W ") > 0)
          log << "said " << testing::PrintToString(h.console) << "\n";
        else
          log << i << "\n";
        if (!engine.CloseDatabase()) log << "said the close failed\n";
      }
    });
  for (Child& racer : racers) ASSERT_TRUE(racer.Join());
  std::map<int, std::string> made;
  for (int k = 0; k < 2; ++k) {
    std::ifstream log(dir / ("racer" + std::to_string(k)));
    for (std::string line; std::getline(log, line);) {
      if (line.rfind("said", 0) == 0) {
        ADD_FAILURE() << "racer " << k << ": " << line;
        continue;
      }
      EXPECT_TRUE(made.emplace(std::stoi(line), std::to_string(k)).second)
          << "folder " << line << " made twice";
    }
  }
  EXPECT_EQ(made.size(), std::size_t(rounds));
  for (const auto& [i, name] : made) ExpectOpens(dir / ("f" + std::to_string(i)), name, {name + "-disc"});
}

// A clear whose write number n fails (a full disc, an I/O error), for each
// n of the clear: the session says it failed, and the next open finds the
// catalogue as it was or cleared, whole and writable.
TEST(SessionLocks, AClearFailingAtEachWriteLeavesACatalogueThatOpens) {
  TempDir dir;
  for (int f = 0; f < 6; ++f) MakeFile(dir / ("t/d/f" + std::to_string(f)));
  const std::string original = dir / "original";
  MakeCatalogue(original, "Cleared", "Before", dir / "t");
  int64_t writes = 0;
  for (int64_t fail = 1; fail == 1 || fail <= writes; ++fail) {
    SCOPED_TRACE("the clear's write " + std::to_string(fail) + " failing");
    const std::string folder = dir / ("c" + std::to_string(fail));
    fs::copy(original, folder);
    const int status = RunSessionInChild(folder, "", [&](TEngine& e, FaultInjector& faults) {
      faults.SetWriteHook([](int64_t, const std::string&) {});
      faults.FailOnlyWrite(faults.WriteCount() + fail);
      e.ClearDatabase();
      std::ofstream(folder + ".writes") << faults.WriteCount();
      e.CloseDatabase();
    });
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (fail == 1) writes = ReadNumber(folder + ".writes");
    RecordingHost host;
    host.folder = folder;
    TEngine engine(host, QV_TEST_APP_DIR);
    ASSERT_TRUE(engine.OpenDatabase("")) << testing::PrintToString(host.console);
    EXPECT_TRUE(engine.Base->DamageText().empty()) << engine.Base->DamageText();
    const std::set<std::string> discs = Discs(engine);
    EXPECT_TRUE(discs.empty() || discs == std::set<std::string>{"Before"}) << testing::PrintToString(discs);
    EXPECT_TRUE(engine.CloseDatabase());
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace qv::test::sessionlock
