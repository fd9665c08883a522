// The change notifier and the tree's AutoRefresh across the watcher thread:
// changes made outside arrive on the user-interface thread, the tree follows
// them, and notifiers stop cleanly, also from inside their own handler.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/controls/skShellTreeView.h"
#include "tests/common/TempDir.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class ShellTreeThreads : public ::testing::Test {
 protected:
  // Runs the message loop until Done() holds or thirty seconds pass (a
  // loaded machine may hold the watcher's thread back that long).
  template <class F>
  bool PumpUntil(F Done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      backend.Pump();
      Application->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  std::string Base() const { return dir.Path().substr(0, dir.Path().size() - 1); }
  HeadlessBackend backend{SIZE{640, 480}};
  TempDir dir;
};

TEST_F(ShellTreeThreads, NotifierDeliversOnTheUiThreadAndFollowsItsRoot) {
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  TSkShellChangeNotifier n(nullptr);
  EXPECT_FALSE(n.Running());  // no handler, no thread
  const auto ui = std::this_thread::get_id();
  int calls = 0;
  bool onUi = true;
  n.SetWatchSubTree(false);
  n.SetRoot(dir / "a");
  n.SetOnChange([&] {
    ++calls;
    onUi = onUi && std::this_thread::get_id() == ui;
  });
  ASSERT_TRUE(n.Running());
  ASSERT_TRUE(PumpUntil([&] { return n.Watching(); }));
  fs::create_directories(dir / "a/new");
  ASSERT_TRUE(PumpUntil([&] { return calls > 0; }));
  EXPECT_TRUE(onUi);
  // The same root in other letters changes nothing; a new root moves the watch.
  const unsigned renewals = n.Renewals();
  n.SetRoot(dir / "A");
  EXPECT_EQ(n.Root(), dir / "a");
  EXPECT_EQ(n.Renewals(), renewals);
  n.SetRoot(dir / "b");
  ASSERT_TRUE(PumpUntil([&] { return n.Renewals() > renewals && n.Watching(); }));
  calls = 0;
  fs::create_directories(dir / "a/ignored");
  fs::create_directories(dir / "b/seen");
  ASSERT_TRUE(PumpUntil([&] { return calls > 0; }));
}

TEST_F(ShellTreeThreads, NotifierStopsCleanly) {
  // An unwatchable folder: no watch, and destruction returns at once.
  auto start = std::chrono::steady_clock::now();
  {
    TSkShellChangeNotifier n(nullptr);
    n.SetRoot(dir / "missing");
    n.SetOnChange([] {});
    PumpUntil([&] { return n.Renewals() > 0; });
    EXPECT_FALSE(n.Watching());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  // Destroyed from inside its own handler: no handler runs afterwards.
  auto* n = new TSkShellChangeNotifier(nullptr);
  int calls = 0;
  n->SetRoot(Base());
  n->SetOnChange([&] {
    ++calls;
    delete n;
    n = nullptr;
  });
  ASSERT_TRUE(PumpUntil([&] { return n->Watching(); }));
  fs::create_directories(dir / "x");
  ASSERT_TRUE(PumpUntil([&] { return n == nullptr; }));
  fs::create_directories(dir / "y");
  for (int i = 0; i < 20; ++i) backend.Pump(), Application->ProcessMessages();
  EXPECT_EQ(calls, 1);
}

TEST_F(ShellTreeThreads, AutoRefreshFollowsFoldersMadeAndRemovedOutside) {
  fs::create_directories(dir / "watched/old");
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 400, 400);
  auto* tree = new TSkShellTreeView(form);
  tree->SetParent(form);
  tree->SetBounds(0, 0, 300, 380);
  tree->SetRoot(Base());
  form->Show();
  backend.Pump();
  tree->SetAutoRefresh(true);
  // A user's selection moves the watch to the selected folder, without its sub-folders.
  TTreeNode* watched = tree->Items()->GetFirstNode()->GetFirstChild();
  ASSERT_EQ(watched->Text(), "watched");
  tree->SetSelected(watched);
  ASSERT_NE(tree->Notifier(), nullptr);
  EXPECT_EQ(tree->Notifier()->Root(), dir / "watched");
  EXPECT_FALSE(tree->Notifier()->WatchSubTree());
  ASSERT_TRUE(PumpUntil([&] { return tree->Notifier()->Watching(); }));
  auto names = [&] {
    std::vector<std::string> out;
    if (TTreeNode* sel = tree->Selected())
      for (TTreeNode* c = sel->GetFirstChild(); c; c = c->getNextSibling()) out.push_back(c->Text());
    return out;
  };
  fs::create_directories(dir / "watched/fresh");
  ASSERT_TRUE(PumpUntil([&] { return names() == std::vector<std::string>{"fresh", "old"}; }));
  EXPECT_EQ(tree->GetPath(), dir / "watched");
  ASSERT_TRUE(PumpUntil([&] { return tree->Notifier() && tree->Notifier()->Watching(); }));
  fs::remove(dir / "watched/old");
  ASSERT_TRUE(PumpUntil([&] { return names() == std::vector<std::string>{"fresh"}; }));
  // A selection made by path does not move the watch.
  tree->SetPath(dir / "watched/fresh");
  EXPECT_EQ(tree->Notifier()->Root(), dir / "watched");
  delete form;
  Application->ProcessMessages();
}

}  // namespace
}  // namespace qv::test
