// The tree demo's rows copied, and read from the X clipboard by a program of
// our own (Xvfb, skipped when it is not installed) as the toolkits read it:
// one window and one property for every read, the text in many pieces, each
// deleted in the read itself or in a request of its own, and readers that
// give up part way. Every read that finishes must be the whole text, also
// once the demo's form is gone, closed before any of it was read. A
// million rows (bench/run transfer reads them) take five times as long
// under the sanitizers and show nothing more: 150,000 make eight pieces.
// gtest and the demo first: Xlib's macros clash with their names.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "classlib/controls/Application.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/Utf.h"
#include "platform/backend/X11Backend.h"
#include "platform/ole/Clipboard.h"
#include "platform/window/MessageQueue.h"
#include "tests/common/SelectionReader.h"
#include "tests/common/X11WindowTest.h"

namespace qv::test {
namespace {

using Delete = SelectionReader::Delete;

constexpr uint32_t kCopied = 150000;

// The CLIPBOARD as `type`, read on a thread of its own while this one answers
// for the copy without a window of its own to wake it.
SelectionReader::Result ReadBeside(SelectionReader& reader, const char* type) {
  SelectionReader::Result r;
  std::atomic<bool> through{false};
  std::thread t([&] {
    r = reader.Read("CLIPBOARD", type);
    through = true;
  });
  while (!through) {
    PeekMessageW(nullptr, nullptr, 0, 0, PM_NOREMOVE);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  t.join();
  return r;
}

class TreeDemoClipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_NO_FATAL_FAILURE(OpenOnXvfb(server, backend));
    form = treedemo::CreateTreeDemo();
    tree = form->Tree;
    tree->SetRootNodeCount(kCopied);
    DWORD start = GetTickCount();
    while (!static_cast<X11Backend&>(*backend).IsOnScreen(form->Handle())) {
      ASSERT_LT(GetTickCount() - start, 60000u) << "the window never showed";
      Application->ProcessMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    // Every row selected and copied, as the tree's menu does it.
    tree->SelectAll(true);
    tree->CopyToClipboard();
    expected = Utf16ToUtf8(tree->RenderUnicodeText(txSelected, u'\t'));
    ASSERT_GT(expected.size(), 7u << 20) << "fewer pieces than the readers that give up take";
  }
  void TearDown() override {
    delete form;
    if (Application) Application->ProcessMessages();
    backend.reset();
  }

  // Runs the program's own message loop (which waits without a timeout when
  // idle) until `done` holds: an owner that waits for an event it has
  // already had would wait here for good, until the reader gives up.
  template <typename F>
  void PumpUntil(F done) {
    while (!done()) Application->HandleMessage();
  }
  // One read on a thread of its own while this one keeps the windows going.
  SelectionReader::Result Read(SelectionReader& reader, const char* target, Delete mode,
                               size_t giveUpAfter = 0) {
    SelectionReader::Result result;
    std::atomic<bool> through{false};
    std::thread t([&] {
      SelectionReader::Options options;
      options.mode = mode;
      options.giveUpAfter = giveUpAfter;
      result = reader.Read("CLIPBOARD", target, options);
      through = true;
      PostMessageW(form->Handle(), WM_NULL, 0, 0);
    });
    PumpUntil([&] { return through.load(); });
    t.join();
    return result;
  }
  // Whole, and the very bytes of the copy (told by size and first difference:
  // the texts are too long to print).
  ::testing::AssertionResult IsTheCopy(const SelectionReader::Result& r) {
    if (!r.whole) return ::testing::AssertionFailure() << "not whole: " << r.failure;
    if (r.bytes == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < r.bytes.size() && at < expected.size() && r.bytes[at] == expected[at]) ++at;
    return ::testing::AssertionFailure()
           << r.bytes.size() << " bytes for " << expected.size() << ", the first difference at " << at;
  }

  std::unique_ptr<Xvfb> server;
  std::unique_ptr<Backend> backend;
  treedemo::TTreeDemoForm* form = nullptr;
  TDataStringTree* tree = nullptr;
  std::string expected;
};

// Reads one after another from one window, the pieces deleted by the read
// itself (the owner's next piece must follow that deletion, never wait for
// another) and then by a request of their own.
TEST_F(TreeDemoClipboard, CopiedRowsArriveWholeReadAfterRead) {
  SelectionReader reader(server->Display());
  ASSERT_TRUE(reader.Open());
  for (Delete mode :
       {Delete::InTheRead, Delete::InTheRead, Delete::InTheRead, Delete::Separately, Delete::Separately}) {
    SelectionReader::Result r = Read(reader, "UTF8_STRING", mode);
    EXPECT_TRUE(r.incr) << "a text this long goes in pieces";
    EXPECT_TRUE(IsTheCopy(r)) << (mode == Delete::InTheRead ? "deleted in the read" : "deleted apart");
  }
}

// A reader that gives up part way, and asks again from the same window and
// property, gets the whole text from its start; so does a new reader after
// the first one's window went (the server may give it the same window id).
TEST_F(TreeDemoClipboard, AReadAfterOneThatGaveUpGetsTheWholeCopy) {
  auto first = std::make_unique<SelectionReader>(server->Display());
  ASSERT_TRUE(first->Open());
  SelectionReader::Result gaveUp = Read(*first, "UTF8_STRING", Delete::InTheRead, 4);
  ASSERT_EQ(gaveUp.pieces, 4u) << gaveUp.failure;
  EXPECT_TRUE(IsTheCopy(Read(*first, "UTF8_STRING", Delete::InTheRead)));

  gaveUp = Read(*first, "UTF8_STRING", Delete::Separately, 3);
  ASSERT_EQ(gaveUp.pieces, 3u) << gaveUp.failure;
  first.reset();
  SelectionReader second(server->Display());
  ASSERT_TRUE(second.Open());
  // The rows are ASCII: their Latin-1 text is the same bytes.
  SelectionReader::Result latin1 = Read(second, "STRING", Delete::InTheRead);
  EXPECT_EQ(latin1.type, "STRING");
  EXPECT_TRUE(IsTheCopy(latin1));
}

// The form goes right after the copy, before any of its text was made for
// other programs: the rows are rendered as the trees go, and other programs
// read them whole from what was rendered.
TEST_F(TreeDemoClipboard, CopiedRowsOutliveTheirTree) {
  auto start = std::chrono::steady_clock::now();
  delete form;
  form = nullptr;
  auto took = std::chrono::steady_clock::now() - start;
  RecordProperty("close_ms", int(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  SelectionReader reader(server->Display());
  ASSERT_TRUE(reader.Open());
  EXPECT_TRUE(IsTheCopy(ReadBeside(reader, "UTF8_STRING")));
}

// Text beyond Latin-1 in pieces: as UTF-8 byte for byte, and as Latin-1 with
// every character whole whatever piece it falls on ("?" for those beyond).
TEST(ClipboardX11, TextBeyondLatinOneGoesWholeInEveryPiece) {
  if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  Xvfb server;
  ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
  setenv("DISPLAY", server.Display().c_str(), 1);
  std::string error;
  std::unique_ptr<Backend> backend = OpenX11Backend(&error);
  ASSERT_TRUE(backend) << error;
  std::u16string text;
  std::string latin1;
  for (int i = 0; text.size() < (3u << 20); ++i) {
    text += u"r\u00e9sum\u00e9 " + Utf8ToUtf16(std::to_string(i)) + u" \u2192 \U0001F600\r\n";
    latin1 += "r\xe9sum\xe9 " + std::to_string(i) + " ? ??\r\n";  // a surrogate pair is two units
  }
  ASSERT_TRUE(SetClipboardTextW(text));
  SelectionReader reader(server.Display());
  ASSERT_TRUE(reader.Open());
  for (const char* type : {"UTF8_STRING", "STRING"}) {
    SelectionReader::Result r = ReadBeside(reader, type);
    EXPECT_TRUE(r.whole && r.incr) << type << ": " << r.failure;
    EXPECT_TRUE(r.bytes == (type[0] == 'U' ? Utf16ToUtf8(text) : latin1))
        << type << ", " << r.bytes.size() << " bytes";
  }
}

}  // namespace
}  // namespace qv::test
