// What another program said its clipboard offers stands for that program's
// claim of the clipboard only, never for a window (Xvfb; GTK 3 through
// python3-gi, skipped when it is missing). A GTK 3 program copies a text and
// then a picture from the same window and stops; an owner program ends and
// the next one's window gets its id. Either way the edit's menu shows Paste
// grey from the change on, also when it is open at the change, until the
// new owner answers; and a menu open across a moment without any owner
// follows every owner after it. All of it read from the screen.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "tests/common/DndPeer.h"
#include "tests/platform/backend/X11EditWindow.h"

namespace qv {
namespace {

class X11ClipboardOwners : public X11EditWindow {
 protected:
  void SetUp() override {
    X11EditWindow::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    look = XOpenDisplay(server->Display().c_str());
    ASSERT_NE(look, nullptr);
    clipboard = XInternAtom(look, "CLIPBOARD", False);
    SetWindowTextW(edit, u"abc");  // Select All is black in every menu
  }
  void TearDown() override {
    if (look) XCloseDisplay(look);
    X11EditWindow::TearDown();
  }

  Window Owner() { return XGetSelectionOwner(look, clipboard); }

  // Runs `steps` on another thread while this one runs the windows, and the
  // edit's menu in them; what failed, empty when nothing did.
  std::string WithMenus(const std::function<std::string()>& steps) {
    std::string failure;
    std::atomic<bool> through{false};
    std::thread peer([&] {
      failure = steps();
      if (!failure.empty()) CloseMenu();  // a menu left up would hold the test
      through = true;
    });
    PumpUntil([&] { return through.load(); });
    peer.join();
    return failure;
  }
  // On the other thread: the edit's menu, 0 when none came.
  Window OpenMenu() {
    Window popup = 0;
    return RightClickEdit() && test::WaitFor([&] { return (popup = ViewablePopup(look)) != 0; }) ? popup : 0;
  }
  bool CloseMenu() {
    return test::Xdo(server->Display(), {"key", "Escape"}) &&
           test::WaitFor([&] { return !ViewablePopup(look); });
  }
  // The dark pixels of the menu with Paste black: the clipboard's text is
  // known before the menu opens, so it is black from the first paint.
  int BlackPaste() {
    if (!PumpUntil([] { return ClipboardHasText(nullptr) == ClipboardText::Yes; })) return -1;
    int black = -1;
    std::string failure = WithMenus([&]() -> std::string {
      Window popup = OpenMenu();
      if (!popup) return "no menu came";
      black = SettledDarkPixels(look, popup);
      return CloseMenu() ? "" : "the menu stayed";
    });
    return failure.empty() ? black : -1;
  }
  // Paste in the menu is grey now and stays grey for a second: the program
  // that holds the clipboard is stopped, and nothing else could change it.
  bool GreyAndStaying(Window popup, int black) {
    int now = SettledDarkPixels(look, popup);
    if (now <= 0 || now >= black) return false;
    return !test::WaitFor([&] { return DarkPixels(look, popup) >= black; }, 1000ms);
  }

  Display* look = nullptr;
  Atom clipboard = 0;
};

TEST_F(X11ClipboardOwners, APictureCopiedAfterTextFromTheSameWindowOfAGtkProgramThatStopsGreysPaste) {
  if (std::string why = test::GtkMissing(); !why.empty()) GTEST_SKIP() << why;
  test::TempDir dir;
  const std::string log = dir / "gtk.txt";
  pid_t gtk = test::StartGtkProgram(QV_GTK_OWNER_SCRIPT, server->Display(), {log, "copied in GTK"});
  ASSERT_GT(gtk, 0);
  struct Ended {
    pid_t pid;
    ~Ended() {
      kill(pid, SIGKILL);
      test::Reap(pid, 10000ms);
    }
  } ended{gtk};
  auto logged = [&](const char* line) {
    std::ifstream in(log);
    for (std::string l; std::getline(in, l);)
      if (l == line) return true;
    return false;
  };
  ASSERT_TRUE(test::WaitFor([&] { return logged("text"); })) << "the GTK program did not copy";
  const Window window = Owner();
  const int black = BlackPaste();
  ASSERT_GT(black, 0) << "the menu with Paste black could not be read";

  std::string failure = WithMenus([&]() -> std::string {
    Window popup = OpenMenu();
    if (!popup || SettledDarkPixels(look, popup) != black) return "Paste was not black before the change";
    kill(gtk, SIGUSR1);
    if (!test::WaitFor([&] { return logged("image"); })) return "the GTK program did not copy its picture";
    if (Owner() != window) return "the picture was copied from another window";
    kill(gtk, SIGSTOP);
    // The open menu follows the change.
    if (!test::WaitFor([&] { return SettledDarkPixels(look, popup) < black; }))
      return "Paste stayed black in the menu open at the change";
    if (!GreyAndStaying(popup, black)) return "Paste turned black again in the open menu";
    if (!CloseMenu()) return "the menu stayed";
    popup = OpenMenu();
    if (!popup) return "no menu came after the change";
    if (!GreyAndStaying(popup, black)) return "Paste was black in the menu opened after the change";
    return CloseMenu() ? "" : "the menu stayed";
  });
  EXPECT_EQ(failure, "");
}

TEST_F(X11ClipboardOwners, ANewOwnerWhoseWindowHasTheIdOfOneThatEndedGreysPasteUntilItAnswers) {
  Window window = 0;
  int black = -1;
  {
    SlowOwner first(server->Display(), {"all"});  // offers UTF8_STRING and STRING
    ASSERT_GT(first.Pid(), 0);
    ASSERT_TRUE(PumpUntil([&] { return first.Said("owning") && !backend->OwnsClipboard(); }));
    window = Owner();
    black = BlackPaste();
    ASSERT_GT(black, 0) << "the menu with Paste black could not be read";
  }
  // The server has closed the first owner's connection. No other client
  // connects until the next owner has: it takes the first one's place at the
  // server, and its first window the first one's id.
  ASSERT_TRUE(test::WaitFor([&] { return Owner() == None; }));
  SlowOwner second(server->Display(), {"all", "UTF8_STRING", "second"});
  ASSERT_GT(second.Pid(), 0);
  ASSERT_TRUE(test::WaitFor([&] { return second.Said("owning") > 0; }));
  ASSERT_EQ(kill(second.Pid(), SIGSTOP), 0);
  ASSERT_EQ(Owner(), window) << "the new owner's window did not get the id of the one before";

  std::string failure = WithMenus([&]() -> std::string {
    Window popup = OpenMenu();
    if (!popup) return "no menu came";
    if (!GreyAndStaying(popup, black)) return "Paste was black before the new owner said what it offers";
    kill(second.Pid(), SIGCONT);
    if (!test::WaitFor([&] { return SettledDarkPixels(look, popup) == black; }))
      return "Paste stayed grey after the new owner's answer";
    return CloseMenu() ? "" : "the menu stayed";
  });
  EXPECT_EQ(failure, "");
  EXPECT_GE(second.Said("types"), 1);
}

// With the menu open, the clipboard's owner ends, and a moment later
// another program takes it with text, as a history manager that takes the
// clipboard back does: Paste follows, and every owner after it (a picture
// greys it, text makes it black again).
TEST_F(X11ClipboardOwners, AnOpenMenuFollowsEveryOwnerAfterAMomentWithNone) {
  auto first = std::make_unique<SlowOwner>(server->Display(), std::vector<std::string>{"all"});
  ASSERT_GT(first->Pid(), 0);
  ASSERT_TRUE(PumpUntil([&] { return first->Said("owning") && !backend->OwnsClipboard(); }));
  const int black = BlackPaste();
  ASSERT_GT(black, 0) << "the menu with Paste black could not be read";
  std::vector<std::unique_ptr<SlowOwner>> next;
  std::string failure = WithMenus([&]() -> std::string {
    Window popup = OpenMenu();
    if (!popup || SettledDarkPixels(look, popup) != black) return "Paste was not black before the end";
    first->Kill();
    if (!test::WaitFor([&] { return Owner() == None; })) return "the owner's end left an owner";
    if (!test::WaitFor([&] { return SettledDarkPixels(look, popup) < black; }))
      return "Paste stayed black with no owner";
    next.push_back(std::make_unique<SlowOwner>(server->Display(),
                                               std::vector<std::string>{"all", "UTF8_STRING", "taken back"}));
    if (!test::WaitFor([&] { return SettledDarkPixels(look, popup) == black; }))
      return "Paste stayed grey for the owner after a moment with none";
    next.push_back(std::make_unique<SlowOwner>(server->Display(),
                                               std::vector<std::string>{"all", "image/png", "no text"}));
    if (!test::WaitFor(
            [&] { return next.back()->Said("types") > 0 && SettledDarkPixels(look, popup) < black; }))
      return "Paste stayed black for a picture";
    next.push_back(std::make_unique<SlowOwner>(server->Display(), std::vector<std::string>{"all"}));
    if (!test::WaitFor([&] { return SettledDarkPixels(look, popup) == black; }))
      return "Paste stayed grey for the next text";
    return CloseMenu() ? "" : "the menu stayed";
  });
  EXPECT_EQ(failure, "");
}

}  // namespace
}  // namespace qv
