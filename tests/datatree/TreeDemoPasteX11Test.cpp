// Pasting into the tree demo when the program that copied last dies before
// its text is in (Xvfb, xdotool and xclip; skipped when one is missing). The
// demo copies a row first, so that an older copy of its own exists; another
// program (a process of its own) then takes the clipboard with a megabyte it
// serves slowly in pieces, and is killed by its pid during Ctrl+V in a basket
// row's editor. The editor keeps its text, the basket's menu Paste adds no
// row and moves none, and the clipboard stays without an owner: xclip finds
// nothing to read. Nor does the demo's end take a living owner's copy away.
// The basket's paste reads nothing from a program that offers only text,
// and text offered only as text/plain;charset=utf-8 is pasted into a name.
// Ctrl+V then Return in a row's editor, at a person's pace, renames the row to
// the text of an owner answering late; a masked edit on the demo's form takes
// such a paste's digits through its mask, then the digits typed after it.
// gtest and the demo first: Xlib's macros clash with their names.
#include <gtest/gtest.h>

#include "classlib/controls/Application.h"
#include "classlib/menus/Menus.h"
#include "classlib/stdctrls/MaskEdit.h"
#include "datatree/DataTreeEditLink.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/Utf.h"
#include "platform/backend/X11Backend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"
#include "tests/common/TempDir.h"
#include "tests/common/X11WindowTest.h"
#include "tests/common/owner/SlowClipboardOwnerText.h"
#include "tests/datatree/AppPump.h"
// clang-format off
#include <signal.h>
// clang-format on

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace qv::test {
namespace {

constexpr const char* kHeader = "Name\tSize\tType\tModified\tDisc\tFolder";

struct Read {
  int status = -1;
  std::string text;
};

class TreeDemoPaste : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("xclip"))
      GTEST_SKIP() << "Xvfb, xdotool or xclip is not installed";
    ASSERT_NO_FATAL_FAILURE(OpenOnXvfb(server, backend));
    form = treedemo::CreateTreeDemo();
    tree = form->Tree;
    basket = form->Basket;
    // The menus tell the test when they are up and when a command has run.
    for (TDataStringTree* t : {tree, basket}) {
      TPopupMenu* menu = t->PopupMenu();
      menu->OnPopup = [this](TObject*) { ++popups; };
      for (int i = 0; i < menu->Items()->Count(); ++i) {
        TMenuItem* item = menu->Items()->Items(i);
        if (!item->OnClick) continue;
        item->OnClick = [this, run = item->OnClick](TObject* sender) {
          auto start = std::chrono::steady_clock::now();
          run(sender);
          commandTime = std::chrono::steady_clock::now() - start;
          ++commands;
        };
      }
    }
    ASSERT_TRUE(PumpUntil([&] { return static_cast<X11Backend&>(*backend).IsOnScreen(form->Handle()); }));
    ASSERT_TRUE(PumpUntil([&] { return Row(tree, 1).x > 0; }));
    // The keyboard goes to the demo, as a window manager would give it.
    ASSERT_TRUE(Xdo({"search", "--name", "^Quirvane data tree demo$", "windowfocus", "--sync"}));
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
  }
  void TearDown() override {
    StopOwner();
    delete form;
    if (Application) Application->ProcessMessages();
    backend.reset();
  }

  bool Xdo(std::vector<std::string> args) { return test::Xdo(server->Display(), args); }
  static std::string S(int v) { return std::to_string(v); }

  // The middle of a top-level row's name on the screen; (-1, -1) while not shown.
  POINT Row(TDataStringTree* t, uint32_t index) {
    PDataNode n = t->GetFirst();
    for (uint32_t i = 0; n && i < index; ++i) n = t->GetNextSibling(n);
    if (!n) return POINT{-1, -1};
    RECT r = t->GetDisplayRect(n, 0, true);
    if (r.bottom <= r.top) return POINT{-1, -1};
    return t->ClientToScreen(POINT{r.left + 8, (r.top + r.bottom) / 2});
  }
  void Click(POINT at, const char* button = "1") {
    ASSERT_TRUE(Xdo({"mousemove", S(at.x), S(at.y), "click", button}));
  }
  // A command of a tree's menu: a right click at `at`, then the command's
  // letter once the menu is up; runs the windows until the command is through.
  void MenuCommand(POINT at, const char* letter) {
    int before = popups, done = commands;
    at.x += 6 * (before % 2);  // two presses in a row at one place would make a double click
    std::atomic<bool> through{false};
    std::thread keys([&] {
      Xdo({"mousemove", S(at.x), S(at.y), "click", "3"});
      WaitFor([&] { return popups > before; });
      Xdo({"key", letter});
      through = true;
    });
    bool ran = PumpUntil([&] { return through && commands > done; });
    keys.join();
    ASSERT_TRUE(ran) << "the menu command " << letter << " did not run";
  }
  // What another program (xclip) reads from the clipboard now, while this
  // thread keeps the demo answering.
  Read ReadClipboard() {
    Read r;
    std::atomic<bool> through{false};
    std::thread t([&] {
      std::string command =
          "DISPLAY=" + server->Display() + " timeout 60 xclip -o -selection clipboard 2>/dev/null";
      if (FILE* p = popen(command.c_str(), "r")) {
        char buf[65536];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.text.append(buf, n);
        r.status = pclose(p);
      }
      through = true;
    });
    PumpUntil([&] { return through.load(); }, 120000);
    t.join();
    return r;
  }
  HWND Editor() {
    auto* link = dynamic_cast<TStringEditLink*>(basket->EditLink());
    return link && link->Edit() ? link->Edit()->Handle() : nullptr;
  }
  std::u16string EditorText() {
    std::u16string text(1 << 16, u'\0');
    text.resize(size_t(GetWindowTextW(Editor(), text.data(), int(text.size()))));
    return text;
  }

  // Starts the slow owner (its mode, and the one type and text it offers)
  // and runs the demo until it has heard that it no longer owns the
  // clipboard; the owner's pid, -1 when it did not start.
  pid_t StartOwner(const char* mode, std::vector<std::string> offer = {}) {
    offer.insert(offer.begin(), {ownerStatus, mode});
    ownerPid = StartProgram(QV_SLOW_OWNER_PROGRAM, server->Display().c_str(), offer);
    if (ownerPid > 0 && !PumpUntil([&] { return Said("owning") && !backend->OwnsClipboard(); })) StopOwner();
    return ownerPid;
  }
  void StopOwner() {
    if (ownerPid > 0) {
      kill(ownerPid, SIGKILL);
      Reap(ownerPid, 10000ms);
    }
    ownerPid = -1;
  }
  // The owner wrote this line to its status file.
  bool Said(const char* line) { return Times(line) > 0; }
  int Times(const char* line) {
    std::ifstream in(ownerStatus);
    int n = 0;
    for (std::string l; std::getline(in, l);) n += l == line;
    return n;
  }
  // The tree's second row selected and copied with its menu.
  void CopyARow() {
    Click(Row(tree, 1));
    ASSERT_TRUE(PumpUntil([&] { return tree->SelectionCount() == 1; }));
    MenuCommand(Row(tree, 1), "c");
  }

  // The harm as it happens: a tree row copied with the menu, pasted into the
  // basket and its name edited there, after the row was copied or cut again
  // (`command`: the older copy of our own); the slow owner started with
  // `mode` takes the clipboard, Ctrl+V is typed in the editor, and the owner
  // is killed once its status file says `killAt`.
  void PasteWhileTheOwnerDies(const char* mode, const char* killAt, const char* command) {
    CopyARow();
    MenuCommand(BasketMiddle(), "p");
    ASSERT_EQ(basket->RootNodeCount(), 1u);
    // The copy a paste would find if it fell back on our own.
    MenuCommand(Row(tree, 1), command);
    Read own = ReadClipboard();
    ASSERT_EQ(own.status, 0);
    ASSERT_EQ(own.text.rfind(kHeader, 0), 0u) << own.text;
    ASSERT_NE(own.text.find("File 1.dat"), std::string::npos) << own.text;
    EditTheBasketsRow();
    const std::u16string name = EditorText();
    ASSERT_FALSE(name.empty());

    pid_t owner = StartOwner(mode);
    ASSERT_GT(owner, 0);
    std::atomic<bool> killed{false};
    std::thread killer([&] {
      if (WaitFor([&] { return Said(killAt); }, 60000ms)) kill(owner, SIGKILL);
      killed = true;
    });
    ASSERT_TRUE(Xdo({"key", "ctrl+v"}));
    // The paste holds this thread from the owner's answer until its death.
    bool ended = PumpUntil([&] { return killed.load(); });
    killer.join();
    StopOwner();
    ASSERT_TRUE(ended && Said(killAt)) << "the owner was never asked for its text";

    Application->ProcessMessages();  // whatever the paste left to do
    ASSERT_TRUE(Editor()) << "the editor closed";
    EXPECT_EQ(Utf16ToUtf8(EditorText()), Utf16ToUtf8(name)) << "text nobody copied last was pasted";
    Read after = ReadClipboard();
    EXPECT_NE(after.status, 0) << "the demo took the clipboard back";
    EXPECT_EQ(after.text, "");

    // The edit ends with the name as it was; the basket's menu Paste adds nothing.
    ASSERT_TRUE(Xdo({"key", "Return"}));
    ASSERT_TRUE(PumpUntil([&] { return !Editor(); }));
    EXPECT_EQ(basket->GetText(basket->GetFirst(), 0), name);
    MenuCommand(Row(basket, 0), "p");
    EXPECT_EQ(basket->TotalCount(), 1u) << "the basket pasted a copy older than the last";
    EXPECT_EQ(tree->RootNodeCount(), treedemo::kRows) << "a row cut before moved";
    after = ReadClipboard();
    EXPECT_NE(after.status, 0) << "the demo took the clipboard back";
    EXPECT_EQ(after.text, "");
  }
  // The basket's first row's name in its editor.
  void EditTheBasketsRow() {
    ASSERT_TRUE(PumpUntil([&] { return Row(basket, 0).x > 0; }));
    // The row is focused from the keyboard: a first click just after a menu may not reach it.
    Click(Row(basket, 0));
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == basket->Handle(); }));
    ASSERT_TRUE(Xdo({"key", "Home"}));
    ASSERT_TRUE(PumpUntil([&] { return basket->FocusedNode() != nullptr; }));
    ASSERT_TRUE(Xdo({"key", "F2"}));
    ASSERT_TRUE(PumpUntil([&] { return Editor() && GetFocus() == Editor(); })) << "the editor did not open";
  }
  POINT BasketMiddle() {
    RECT r = basket->ClientRect();
    return basket->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }

  std::unique_ptr<Xvfb> server;
  std::unique_ptr<Backend> backend;
  treedemo::TTreeDemoForm* form = nullptr;
  TDataStringTree* tree = nullptr;
  TDataStringTree* basket = nullptr;
  std::atomic<int> popups{0}, commands{0};
  std::chrono::steady_clock::duration commandTime{};  // of the last menu command
  TempDir dir;
  const std::string ownerStatus = dir / "owner.txt";
  pid_t ownerPid = -1;
};

TEST_F(TreeDemoPaste, AnOwnerKilledAfterThreePiecesLeavesNothingToPaste) {
  PasteWhileTheOwnerDies("3", "piece 3", "c");
}

// A cut before the other program's copy is no longer pending either: no
// paste moves its row.
TEST_F(TreeDemoPaste, AnOwnerKilledBeforeItAnswersLeavesNothingToPaste) {
  PasteWhileTheOwnerDies("silent", "asked", "t");
}

// A paste of rows asks another program what it offers and reads none of it
// when it offers no rows: it ends at once with nothing pasted, though that
// program says it has text and would never give it.
TEST_F(TreeDemoPaste, RowsAreNotReadFromAnOwnerThatOffersOnlyTextAndThePasteEndsAtOnce) {
  ASSERT_GT(StartOwner("silent"), 0);
  MenuCommand(BasketMiddle(), "p");
  RecordProperty("paste_ms", int(std::chrono::duration_cast<std::chrono::milliseconds>(commandTime).count()));
  EXPECT_LT(commandTime, 1s) << "the paste waited for the other program";
  EXPECT_GE(Times("types"), 1) << "the paste did not ask what the other program offers";
  EXPECT_EQ(Times("asked"), 0) << "the paste asked for text it does not take";
  EXPECT_EQ(Times("refused"), 0);
  EXPECT_EQ(basket->TotalCount(), 0u);
  EXPECT_EQ(tree->RootNodeCount(), treedemo::kRows);
}

// Text offered only as text/plain;charset=utf-8 (one of the types the demo
// offers its own copies in) is pasted whole into a row's name.
TEST_F(TreeDemoPaste, TextOfferedOnlyAsPlainUtf8IsPastedIntoARowsNameExactly) {
  const std::string text = "Grüße aus Köln — 東京 ✓";
  CopyARow();
  MenuCommand(BasketMiddle(), "p");
  ASSERT_EQ(basket->RootNodeCount(), 1u);
  EditTheBasketsRow();
  ASSERT_GT(StartOwner("all", {"text/plain;charset=utf-8", text}), 0);
  ASSERT_TRUE(Xdo({"key", "ctrl+v"}));
  EXPECT_TRUE(PumpUntil([&] { return Said("served") && Utf16ToUtf8(EditorText()) == text; }))
      << Utf16ToUtf8(EditorText());
}

// The tree still counts its rows as copied when another program copies; its
// end (as the demo closes) must not take that program's copy off the clipboard.
TEST_F(TreeDemoPaste, ClosingAfterAnotherProgramCopiedLeavesItsCopyOnTheClipboard) {
  CopyARow();
  ASSERT_EQ(ReadClipboard().text.rfind(kHeader, 0), 0u);
  pid_t owner = StartOwner("all");
  ASSERT_GT(owner, 0);
  delete form;
  form = nullptr;
  Application->ProcessMessages();
  Read after = ReadClipboard();
  EXPECT_EQ(after.status, 0);
  EXPECT_TRUE(after.text == SlowClipboardOwnerText())
      << after.text.size() << " bytes: " << after.text.substr(0, 80);
  EXPECT_FALSE(Said("lost")) << "the demo took the clipboard from its owner";
}

// Ctrl+V then Return in a basket row's editor, 0.3 s apart as a person
// types, from owners answering 50 and 500 ms late: Return commits the pasted
// name, as had the text come at once.
TEST_F(TreeDemoPaste, CtrlVThenReturnInARowsEditorRenamesTheRowToThePastedText) {
  CopyARow();
  MenuCommand(BasketMiddle(), "p");
  ASSERT_EQ(basket->RootNodeCount(), 1u);
  for (int late : {50, 500}) {
    SCOPED_TRACE("the owner answers " + std::to_string(late) + " ms late");
    const std::string name = "pasted " + std::to_string(late);
    std::remove(ownerStatus.c_str());
    ASSERT_GT(StartOwner(("late=" + std::to_string(late)).c_str(), {"UTF8_STRING", name}), 0);
    EditTheBasketsRow();
    ASSERT_TRUE(Xdo({"key", "--delay", "300", "ctrl+a", "ctrl+v", "Return"}));
    ASSERT_TRUE(PumpUntil([&] { return !Editor(); }));
    EXPECT_EQ(Utf16ToUtf8(basket->GetText(basket->GetFirst(), 0)), name);
    StopOwner();
  }
}

// A masked edit (a date) on the demo's form: Ctrl+V, then digits typed 0.3 s
// apart, from an owner answering 500 ms late: the pasted digits go in first,
// through the mask, and the typed ones after them.
TEST_F(TreeDemoPaste, AMaskedEditTakesThePastedDigitsThenTheTypedOnes) {
  auto* date = new TMaskEdit(form);
  date->SetParent(form);
  date->SetBounds(8, 8, 100, 21);
  date->BringToFront();
  date->SetEditMask("!99/99/9999;1;_");
  ASSERT_GT(StartOwner("late=500", {"UTF8_STRING", "0712"}), 0);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(date->Handle()); }));
  Click(date->ClientToScreen(POINT{10, 10}));
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == date->Handle(); }));
  date->SetSelStart(0);
  date->SetSelLength(0);
  ASSERT_TRUE(Xdo({"key", "--delay", "300", "ctrl+v", "2", "0", "3", "1"}));
  EXPECT_TRUE(PumpUntil([&] { return date->Text() == "07/12/2031"; }, 20000)) << date->Text();
}

}  // namespace
}  // namespace qv::test
