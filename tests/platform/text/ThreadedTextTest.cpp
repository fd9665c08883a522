// Text measured and drawn from several threads at once: each thread keeps
// getting the metrics of its own font while the others use theirs.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"

namespace qv {
namespace {

SIZE Measure(HDC dc, const std::u16string& s) {
  SIZE size{};
  GetTextExtentPoint32W(dc, s.c_str(), int(s.size()), &size);
  return size;
}

TEST(ThreadedText, EveryThreadMeasuresWithItsOwnFont) {
  const std::u16string text = u"Catalogue of discs \u00E9\u0416";
  const int heights[] = {-9, -11, -15, -22};
  std::vector<SIZE> expected;
  for (int h : heights) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT f = CreateFontW(h, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Tahoma");
    SelectObject(dc, f);
    expected.push_back(Measure(dc, text));
    DeleteDC(dc);
    DeleteObject(f);
  }
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < std::size(heights); ++t)
    threads.emplace_back([&, t] {
      HDC dc = CreateCompatibleDC(nullptr);
      HFONT f = CreateFontW(heights[t], 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Tahoma");
      SelectObject(dc, f);
      HBITMAP bmp = CreateCompatibleBitmap(dc, 200, 40);
      SelectObject(dc, bmp);
      for (int i = 0; i < 400; ++i) {
        SIZE s = Measure(dc, text);
        wrong += s.cx != expected[t].cx || s.cy != expected[t].cy;
        TextOutW(dc, 0, 0, text.c_str(), int(text.size()));
      }
      DeleteDC(dc);
      DeleteObject(bmp);
      DeleteObject(f);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace qv
