// The tree demo's basket (a tree without header columns) holding names with
// double quotes, tabs, carriage returns and line feeds, as another program
// gets them on a real X server (Xvfb and xdotool; skipped when one is
// missing): copied with the basket's menu, dragged out with the server's
// pointer, and exported as CSV and text. Each text is read back by Python's
// csv module, which must find one row per name and the names as they are.
// gtest and the demo first: Xlib's macros clash with their names.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>
#include <vector>

#include "classlib/controls/Application.h"
#include "classlib/menus/Menus.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/Utf.h"
#include "platform/backend/X11Backend.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "tests/common/SelectionReader.h"
#include "tests/common/TempDir.h"
#include "tests/common/X11WindowTest.h"
#include "tests/datatree/AppPump.h"

namespace qv::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kNames = {"plain",
                                         "say \"hi\"",
                                         "\"quoted\"",
                                         "tab\there",
                                         "\tleading tab",
                                         "trailing tab\t",
                                         "two\r\nlines",
                                         "line\nfeed",
                                         "carriage\rreturn",
                                         "\"",
                                         "a \"\" pair",
                                         "ends in a break\n",
                                         "all \"of\"\tthem\r\n!",
                                         "comma, here",
                                         "\u00FCber na\u00EFve",
                                         " spaced ",
                                         "last"};

// Every row and field Python's csv module reads from `text` with `delimiter`,
// printed back in hexadecimal so that nothing in the names can confuse the way back.
const char* const kReader = R"(import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    for row in csv.reader(f, delimiter=sys.argv[2]):
        print(' '.join('x' + cell.encode('utf-8').hex() for cell in row))
)";

std::string Hex(const std::string& s) {
  std::string out;
  for (size_t i = 0; i + 1 < s.size(); i += 2) out += char(std::stoi(s.substr(i, 2), nullptr, 16));
  return out;
}

// The rows as Python's csv module reads them; a failure when Python cannot run.
::testing::AssertionResult ReadCsv(const std::string& text, char delimiter, Rows& rows) {
  TempDir dir;
  std::ofstream(dir / "reader.py") << kReader;
  std::ofstream(dir / "text", std::ios::binary) << text;
  std::string command = "/usr/bin/python3 " + (dir / "reader.py") + " " + (dir / "text") + " '" +
                        std::string(1, delimiter) + "'";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return ::testing::AssertionFailure() << "python3 did not start";
  std::string out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  if (pclose(p) != 0) return ::testing::AssertionFailure() << "python3 failed on:\n" << text;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    rows.emplace_back();
    std::istringstream cells(line);
    for (std::string cell; cells >> cell;) rows.back().push_back(Hex(cell.substr(1)));
  }
  return ::testing::AssertionSuccess();
}

// One row per name, each the name alone.
::testing::AssertionResult ReadsAsTheNames(const std::string& text, char delimiter) {
  Rows rows;
  if (auto ran = ReadCsv(text, delimiter, rows); !ran) return ran;
  Rows expected;
  for (const std::string& name : kNames) expected.push_back({name});
  if (rows == expected) return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << rows.size() << " rows for " << kNames.size() << " names";
  for (size_t i = 0; i < rows.size() && i < expected.size(); ++i)
    if (rows[i] != expected[i]) return failure << "; row " << i << " differs in:\n" << text;
  return failure << " in:\n" << text;
}

class TreeDemoBasketText : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("python3"))
      GTEST_SKIP() << "Xvfb, xdotool or python3 is not installed";
    ASSERT_NO_FATAL_FAILURE(OpenOnXvfb(server, backend));
    form = treedemo::CreateTreeDemo();
    form->SetBounds(0, 0, 600, 560);  // the rest of the screen is the bare desktop
    basket = form->Basket;
    basket->OnStartDrag = [this](TBaseDataTree*) { ++started; };
    basket->OnEndDrag = [this](TBaseDataTree*, int, int) { ++ended; };
    TPopupMenu* menu = basket->PopupMenu();
    menu->OnPopup = [this](TObject*) { ++popups; };
    TMenuItem* copy = menu->Items()->Items(0);
    copy->OnClick = [this, run = copy->OnClick](TObject* sender) {
      run(sender);
      ++copies;
    };
    for (const std::string& name : kNames)
      basket->SetText(basket->AddChild(nullptr), NoColumn, Utf8ToUtf16(name));
    basket->SelectAll(false);
    ASSERT_TRUE(PumpUntil([&] { return static_cast<X11Backend&>(*backend).IsOnScreen(form->Handle()); }));
    ASSERT_TRUE(PumpUntil([&] { return Row(1).x > 0; }));
    // The keyboard goes to the demo, as a window manager would give it.
    ASSERT_TRUE(Xdo({"search", "--name", "^Quirvane data tree demo$", "windowfocus", "--sync"}));
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
  }
  void TearDown() override {
    delete form;
    if (Application) Application->ProcessMessages();
    backend.reset();
  }

  bool Xdo(std::vector<std::string> args) { return test::Xdo(server->Display(), args); }
  static std::string S(int v) { return std::to_string(v); }
  // The middle of a basket row on the screen; (-1, -1) while not shown.
  POINT Row(uint32_t index) {
    PDataNode n = basket->GetFirst();
    for (uint32_t i = 0; n && i < index; ++i) n = basket->GetNextSibling(n);
    if (!n) return POINT{-1, -1};
    RECT r = basket->GetDisplayRect(n, NoColumn, true);
    if (r.bottom <= r.top) return POINT{-1, -1};
    return basket->ClientToScreen(POINT{r.left + 8, (r.top + r.bottom) / 2});
  }
  // Runs `peer` on a thread of its own while this one keeps the windows
  // going (a drag's own loop among them), until it is through and `settled` holds.
  bool Drive(const std::function<void()>& peer, const std::function<bool()>& settled) {
    std::atomic<bool> through{false};
    std::thread t([&] {
      peer();
      through = true;
      PostMessageW(form->Handle(), WM_NULL, 0, 0);
    });
    bool ok = PumpUntil([&] { return through.load() && settled(); });
    t.join();
    return ok;
  }
  // What another program reads of `selection` as UTF-8 text, once it has an
  // owner (a drag claims its selection as its loop begins, a moment after it starts).
  std::string Read(const char* selection, const char* target) {
    SelectionReader reader(server->Display());
    Atom atom = XInternAtom(reader.Connection(), selection, False);
    EXPECT_TRUE(WaitFor([&] { return XGetSelectionOwner(reader.Connection(), atom) != 0; })) << selection;
    SelectionReader::Result r = reader.Read(selection, target);
    EXPECT_TRUE(r.whole) << selection << " " << target << ": " << r.failure;
    return r.bytes;
  }

  std::unique_ptr<Xvfb> server;
  std::unique_ptr<Backend> backend;
  treedemo::TTreeDemoForm* form = nullptr;
  TDataStringTree* basket = nullptr;
  std::atomic<int> popups{0}, copies{0}, started{0}, ended{0};
};

TEST_F(TreeDemoBasketText, CopiedRowsReadBackAsOneRowPerName) {
  POINT at = Row(1);
  std::string text;
  ASSERT_TRUE(Drive(
      [&] {
        Xdo({"mousemove", S(at.x), S(at.y), "click", "3"});
        WaitFor([&] { return popups > 0; });
        Xdo({"key", "c"});
        if (WaitFor([&] { return copies > 0; })) text = Read("CLIPBOARD", "UTF8_STRING");
      },
      [] { return true; }));
  ASSERT_EQ(basket->SelectionCount(), int(kNames.size())) << "the menu changed the selection";
  EXPECT_TRUE(ReadsAsTheNames(text, '\t'));
  // The export menu's CSV and text files of the same rows.
  TempDir dir;
  for (auto [kind, delimiter] : {std::pair{treedemo::ekCsv, ','}, std::pair{treedemo::ekText, '\t'}}) {
    std::string path = form->ExportRows(basket, kind, dir.Path());
    ASSERT_FALSE(path.empty());
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(ReadsAsTheNames(std::string(std::istreambuf_iterator<char>(in), {}), delimiter)) << path;
  }
}

TEST_F(TreeDemoBasketText, DraggedRowsReadBackAsOneRowPerName) {
  POINT from = Row(1);
  std::string text;
  ASSERT_TRUE(Drive(
      [&] {
        Xdo({"mousemove", S(from.x), S(from.y), "mousedown", "1", "mousemove", S(from.x + 12), S(from.y + 3),
             "mousemove", S(from.x + 24), S(from.y + 6)});
        // A press that came with the window's activation may start the drag a little later.
        int step = 0;
        WaitFor([&] {
          if (started > 0) return true;
          Xdo({"mousemove", S(from.x + 24 + ++step % 8), S(from.y + 6)});
          return false;
        });
        // Over the bare desktop, read as a drop target reads it.
        Xdo({"mousemove", "800", "600"});
        text = Read("XdndSelection", "text/plain;charset=utf-8");
        Xdo({"mouseup", "1"});
      },
      [&] { return ended > 0; }));
  ASSERT_EQ(started.load(), 1);
  EXPECT_TRUE(ReadsAsTheNames(text, '\t'));
}

}  // namespace
}  // namespace qv::test
