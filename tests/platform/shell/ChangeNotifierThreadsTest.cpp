// The change notifier with real folders: deliveries arrive on the thread that
// made the notifier (through its message loop), follow a change of folder,
// and stop with the notifier, also when it is destroyed inside its handler.
// The suite name carries "Threads" so the ThreadSanitizer run picks it up.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/backend/HeadlessBackend.h"
#include "platform/shell/ChangeNotifier.h"
#include "platform/window/MessageQueue.h"
#include "tests/common/TempDir.h"

namespace qv::test {
namespace {

constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

class ShellChangeThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    uiThread = std::this_thread::get_id();
    a = tmp.Path() + "a";
    b = tmp.Path() + "b";
    std::filesystem::create_directories(a);
    std::filesystem::create_directories(b);
  }

  // Waits (in real time, up to 30 s) until the watcher has taken its options n times.
  static bool WaitForRenewals(const TShellChangeWatcher& w, unsigned n) {
    for (int i = 0; i < 3000 && w.Renewals() < n; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return w.Renewals() >= n;
  }

  // Runs the message loop until `done` holds; the headless backend aborts a
  // wait that nothing ends (the notifier's post is what ends it here).
  static void LoopUntil(const std::function<bool()>& done) {
    MSG msg;
    while (!done() && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  }

  static void Touch(const std::string& path) { std::ofstream(path) << "x"; }

  HeadlessBackend backend;
  TempDir tmp;
  std::string a, b;
  std::thread::id uiThread;
};

TEST_F(ShellChangeThreads, AChangeIsReportedOnTheThreadThatMadeTheNotifier) {
  int calls = 0;
  bool onUiThread = true;
  TShellChangeWatcher watcher([&] {
    ++calls;
    onUiThread = onUiThread && std::this_thread::get_id() == uiThread;
  });
  EXPECT_FALSE(watcher.Watching());
  watcher.SetDirectoryOptions(a, false, kNames);
  ASSERT_TRUE(WaitForRenewals(watcher, 1));
  EXPECT_TRUE(watcher.Watching());
  Touch(a + "/new.txt");
  LoopUntil([&] { return calls > 0; });
  EXPECT_TRUE(onUiThread);
  // A burst of changes before the loop runs again is one delivery.
  for (int i = 0; i < 10; ++i) std::filesystem::create_directory(a + "/d" + std::to_string(i));
  LoopUntil([&] { return calls > 1; });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ProcessPendingMessages();
  EXPECT_LE(calls, 3);
}

TEST_F(ShellChangeThreads, ANewFolderIsWatchedOnceTheWatcherHasRenewed) {
  int calls = 0;
  TShellChangeWatcher watcher([&] { ++calls; });
  watcher.SetDirectoryOptions(a, false, kNames);
  ASSERT_TRUE(WaitForRenewals(watcher, 1));
  watcher.SetDirectoryOptions(b, false, kNames);
  ASSERT_TRUE(WaitForRenewals(watcher, 2));
  Touch(a + "/ignored.txt");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ProcessPendingMessages();
  EXPECT_EQ(calls, 0);
  Touch(b + "/seen.txt");
  LoopUntil([&] { return calls > 0; });
  EXPECT_EQ(calls, 1);
  // Sub-folders count only when asked for.
  std::filesystem::create_directory(b + "/sub");
  LoopUntil([&] { return calls > 1; });
  Touch(b + "/sub/deep.txt");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ProcessPendingMessages();
  EXPECT_EQ(calls, 2);
  watcher.SetDirectoryOptions(b, true, kNames);
  ASSERT_TRUE(WaitForRenewals(watcher, 3));
  Touch(b + "/sub/deeper.txt");
  LoopUntil([&] { return calls > 2; });
}

TEST_F(ShellChangeThreads, AFolderThatCannotBeWatchedStopsPromptly) {
  int calls = 0;
  auto watcher = std::make_unique<TShellChangeWatcher>([&] { ++calls; });
  watcher->SetDirectoryOptions(tmp.Path() + "missing", false, kNames);
  ASSERT_TRUE(WaitForRenewals(*watcher, 1));
  EXPECT_FALSE(watcher->Watching());
  auto start = std::chrono::steady_clock::now();
  watcher.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(calls, 0);
}

TEST_F(ShellChangeThreads, NoHandlerRunsAfterTheNotifierIsGone) {
  int calls = 0;
  auto watcher = std::make_unique<TShellChangeWatcher>([&] { ++calls; });
  watcher->SetDirectoryOptions(a, false, kNames);
  ASSERT_TRUE(WaitForRenewals(*watcher, 1));
  Touch(a + "/x.txt");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the delivery is posted by now
  watcher.reset();
  ProcessPendingMessages();
  EXPECT_EQ(calls, 0);
}

TEST_F(ShellChangeThreads, TheHandlerMayDestroyItsOwnNotifier) {
  int calls = 0;
  std::unique_ptr<TShellChangeWatcher> watcher;
  watcher = std::make_unique<TShellChangeWatcher>([&] {
    ++calls;
    watcher.reset();  // as a refresh that switches the watch off and on
  });
  watcher->SetDirectoryOptions(a, false, kNames);
  ASSERT_TRUE(WaitForRenewals(*watcher, 1));
  Touch(a + "/x.txt");
  LoopUntil([&] { return calls > 0; });
  EXPECT_FALSE(watcher);
  Touch(a + "/y.txt");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ProcessPendingMessages();
  EXPECT_EQ(calls, 1);
  // The handler can be replaced while the watcher runs.
  int other = 0;
  TShellChangeWatcher second([&] { ++calls; });
  second.SetHandler([&] { ++other; });
  second.SetDirectoryOptions(b, false, kNames);
  ASSERT_TRUE(WaitForRenewals(second, 1));
  Touch(b + "/z.txt");
  LoopUntil([&] { return other > 0; });
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace qv::test
