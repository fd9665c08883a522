// The plain clipboard: global memory blocks, text in both forms shared with
// the desktop, exclusive opening, and registered format names.
#include <cstring>
#include <thread>

#include "OleTestSupport.h"
#include "platform/Utf.h"

namespace qv::test {
namespace {

using Clipboard = OleTest;

TEST(GlobalMemory, HandlesAreCheckedAndBlocksKeepTheirBytes) {
  HGLOBAL mem = GlobalAlloc(GHND, 16);
  ASSERT_NE(mem, nullptr);
  EXPECT_EQ(GlobalSize(mem), 16u);
  auto* p = static_cast<uint8_t*>(GlobalLock(mem));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GlobalLock(mem), p);  // locks nest and give the same address
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
  p[0] = 7, p[15] = 9;
  EXPECT_TRUE(GlobalUnlock(mem));
  EXPECT_FALSE(GlobalUnlock(mem));
  EXPECT_FALSE(GlobalUnlock(mem));  // not locked: no underflow
  EXPECT_EQ(GlobalLockCount(mem), 0u);

  ASSERT_EQ(GlobalReAlloc(mem, 64, GMEM_MOVEABLE | GMEM_ZEROINIT), mem);
  auto bytes = BlockBytes(mem);
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(bytes[0], 7);
  EXPECT_EQ(bytes[15], 9);
  EXPECT_EQ(bytes[63], 0);

  EXPECT_EQ(GlobalFree(mem), nullptr);
  // A stale handle fails everywhere, even once its slot is reused.
  HGLOBAL reuse = GlobalAlloc(GMEM_FIXED, 4);
  EXPECT_NE(reuse, mem);
  EXPECT_EQ(GlobalLock(mem), nullptr);
  EXPECT_EQ(GlobalSize(mem), 0u);
  EXPECT_EQ(GlobalFree(mem), mem);
  EXPECT_EQ(GlobalReAlloc(mem, 8, 0), nullptr);
  EXPECT_EQ(GlobalSize(reuse), 4u);
  GlobalFree(reuse);
  // An empty block still locks to an address.
  HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalUnlock(empty);
  GlobalFree(empty);
}

TEST_F(Clipboard, TextGoesToTheDesktopAndComesBackInBothForms) {
  const std::u16string text = u"Grüße \u2713 disc 7";
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, WideText(text)), nullptr);
  EXPECT_TRUE(backend.Clipboard.empty());  // given to the desktop on close
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(backend.Clipboard, text);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(CountClipboardFormats(), 2);
  EXPECT_EQ(EnumClipboardFormats(0), CF_UNICODETEXT);
  EXPECT_EQ(EnumClipboardFormats(CF_UNICODETEXT), CF_TEXT);
  EXPECT_EQ(EnumClipboardFormats(CF_TEXT), 0u);
  std::string utf8 = Utf16ToUtf8(text);
  auto narrow = BlockBytes(GetClipboardData(CF_TEXT));
  ASSERT_EQ(narrow.size(), utf8.size() + 1);
  EXPECT_EQ(std::string(narrow.begin(), narrow.end() - 1), utf8);
  EXPECT_EQ(narrow.back(), 0);
  CloseClipboard();

  // CF_TEXT alone (UTF-8) reaches the desktop as the same text.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GHND, 6);
  std::memcpy(GlobalLock(mem), "\xC3\xA9t\xC3\xA9", 6);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
  EXPECT_EQ(backend.Clipboard, u"été");
  EXPECT_EQ(GetClipboardTextW(), u"été");
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));

  // Emptying without new text empties the desktop's text as well.
  OpenClipboard(nullptr);
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(backend.Clipboard, u"");
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(Clipboard, TextAnotherProgramCopiedReplacesOurContents) {
  UINT custom = RegisterClipboardFormatW(u"Quirvane Test Nodes");
  HWND owner = reinterpret_cast<HWND>(0x1230);  // only stored, never used
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardData(custom, GlobalAlloc(GHND, 8));
  CloseClipboard();
  EXPECT_EQ(GetClipboardOwner(), owner);
  EXPECT_TRUE(IsClipboardFormatAvailable(custom));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));

  backend.AdvanceClock(1000);
  backend.Clipboard = u"pasted from elsewhere";
  EXPECT_FALSE(IsClipboardFormatAvailable(custom));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(GetClipboardOwner(), nullptr);
  EXPECT_EQ(GetClipboardTextW(), u"pasted from elsewhere");
  SetClipboardTextW(u"ours again");
  EXPECT_EQ(backend.Clipboard, u"ours again");
}

TEST_F(Clipboard, OnlyTheOpeningThreadMayUseIt) {
  HGLOBAL refused = GlobalAlloc(GHND, 1);
  EXPECT_EQ(SetClipboardData(CF_TEXT, refused), nullptr);  // not open: still the caller's block
  EXPECT_EQ(GlobalFree(refused), nullptr);
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_FALSE(CloseClipboard());
  ASSERT_TRUE(OpenClipboard(nullptr));
  BOOL otherOpened = TRUE, otherEmptied = TRUE;
  std::thread([&] {
    otherOpened = OpenClipboard(nullptr);
    otherEmptied = EmptyClipboard();
  }).join();
  EXPECT_FALSE(otherOpened);
  EXPECT_FALSE(otherEmptied);
  EXPECT_EQ(OleSetClipboard(nullptr), S_OK);  // the same thread may
  CloseClipboard();
  std::thread([&] {
    otherOpened = OpenClipboard(nullptr);
    CloseClipboard();
  }).join();
  EXPECT_TRUE(otherOpened);
}

TEST(ClipboardFormats, NamesMapToStableIdsIgnoringCase) {
  UINT a = RegisterClipboardFormatW(u"Data Tree Data");
  UINT b = RegisterClipboardFormatW(u"data tree DATA");
  UINT c = RegisterClipboardFormatW(u"Data Tree Reference");
  EXPECT_GE(a, kFirstRegisteredFormat);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(RegisterClipboardFormatW(u""), 0u);
  EXPECT_EQ(RegisterClipboardFormatW(nullptr), 0u);

  char16_t name[64];
  EXPECT_EQ(GetClipboardFormatNameW(a, name, 64), 14);
  EXPECT_EQ(std::u16string(name), u"Data Tree Data");  // the first spelling is kept
  EXPECT_EQ(GetClipboardFormatNameW(c, name, 5), 4);
  EXPECT_EQ(std::u16string(name), u"Data");
  EXPECT_EQ(GetClipboardFormatNameW(CF_TEXT, name, 64), 0);
  EXPECT_EQ(GetClipboardFormatNameW(0xFFFF, name, 64), 0);
}

}  // namespace
}  // namespace qv::test
