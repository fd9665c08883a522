// TClipboard round trips: text in both directions (non-ASCII included, and
// to and from the desktop), formats set within one Open/Close staying
// together, raw handles of a registered format, and a clipboard held by
// another window.
#include <cstring>
#include <future>
#include <thread>

#include "ControlsTestSupport.h"
#include "classlib/controls/Clipbrd.h"
#include "platform/ole/Clipboard.h"

namespace qv::test {
namespace {

using ClipboardTest = ControlsTest;

HGLOBAL Block(const std::string& bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  GlobalUnlock(h);
  return h;
}

std::string BlockText(HANDLE h) {
  auto* p = static_cast<const char*>(GlobalLock(h));
  std::string s(p, GlobalSize(h));
  GlobalUnlock(h);
  return s;
}

TEST_F(ClipboardTest, TextRoundTripsAndReachesTheDesktop) {
  Clipboard()->SetAsText("Line 1\r\nÄrger – ok");
  EXPECT_EQ(Clipboard()->AsText(), "Line 1\r\nÄrger – ok");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(backend.Clipboard, u"Line 1\r\nÄrger – ok");
  Clipboard()->SetAsText("");
  EXPECT_EQ(Clipboard()->AsText(), "");
  backend.Clipboard = u"from another program";
  EXPECT_EQ(Clipboard()->AsText(), "from another program");
}

TEST_F(ClipboardTest, FormatsOfOneOpenStayTogetherAndHandlesRoundTrip) {
  UINT custom = RegisterClipboardFormatW(u"Quirvane test data");
  Clipboard()->Open();
  Clipboard()->SetAsText("text part");
  const std::string raw("raw\0bytes", 9);
  Clipboard()->SetAsHandle(custom, Block(raw));
  Clipboard()->Close();
  EXPECT_TRUE(Clipboard()->HasFormat(custom));
  EXPECT_EQ(Clipboard()->AsText(), "text part");
  EXPECT_EQ(BlockText(Clipboard()->GetAsHandle(custom)), raw);
  EXPECT_GE(Clipboard()->FormatCount(), 2);
  // A later change on its own replaces everything.
  Clipboard()->SetAsText("only text");
  EXPECT_FALSE(Clipboard()->HasFormat(custom));
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard()->GetAsHandle(custom), nullptr);
}

TEST_F(ClipboardTest, ClipboardHeldByAnotherThreadRaises) {
  std::promise<void> opened, release;
  std::thread holder([&] {
    OpenClipboard(nullptr);
    opened.set_value();
    release.get_future().wait();
    CloseClipboard();
  });
  opened.get_future().wait();
  EXPECT_THROW(Clipboard()->SetAsText("x"), Exception);
  release.set_value();
  holder.join();
  Clipboard()->SetAsText("x");
  EXPECT_EQ(Clipboard()->AsText(), "x");
}

}  // namespace
}  // namespace qv::test
