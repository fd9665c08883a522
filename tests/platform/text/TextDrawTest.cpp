// Text on a memory DC, checked on its pixels: extents against the ink, clipping,
// opaque backgrounds, alignment, rotation, encodings and hostile input.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/text/FontMatch.h"
#include "platform/text/Text.h"

namespace qv {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A white top-down 32-bit DIB selected into a memory DC, with a font.
class Canvas {
 public:
  Canvas(int w, int h, const char16_t* face = u"MS Sans Serif", int height = -11, int escapement = 0,
         int weight = FW_NORMAL)
      : w_(w), h_(h) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bmp_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    oldBmp_ = SelectObject(dc_, bmp_);
    std::fill(bits_, bits_ + w * h, kWhite);
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfEscapement = lf.lfOrientation = escapement;
    lf.lfWeight = weight;
    std::u16string_view name(face);
    std::copy(name.begin(), name.end(), lf.lfFaceName);
    font_ = CreateFontIndirectW(&lf);
    oldFont_ = SelectObject(dc_, font_);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(0, 0, 0));
  }
  ~Canvas() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBmp_);
    DeleteObject(font_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  uint32_t At(int x, int y) const { return bits_[y * w_ + x] | 0xFF000000u; }
  std::vector<uint32_t> Pixels() const { return std::vector<uint32_t>(bits_, bits_ + w_ * h_); }
  // The bounding box of every pixel that is not white; empty when none.
  RECT Ink() const {
    RECT r{w_, h_, 0, 0};
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (At(x, y) != kWhite)
          r = RECT{std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
                   std::max<LONG>(r.bottom, y + 1)};
    return r.right > r.left ? r : RECT{};
  }
  // The darkness of the columns [left, right): 255 for each black pixel.
  long Darkness(int left, int right) const {
    long sum = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = std::max(left, 0); x < std::min(right, w_); ++x) sum += 255 - (At(x, y) & 0xFF);
    return sum;
  }
  int CountWhere(bool (*pred)(uint32_t)) const {
    int n = 0;
    for (int i = 0; i < w_ * h_; ++i) n += pred(bits_[i] | 0xFF000000u);
    return n;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bmp_;
  HFONT font_;
  HGDIOBJ oldBmp_, oldFont_;
  uint32_t* bits_ = nullptr;
};

TEST(TextExtents, AgreeWithAdvancesAndWithTheInk) {
  Canvas c(200, 40);
  const std::u16string text = u"Hello, World";
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(c.dc(), text.data(), int(text.size()), &size));
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(c.dc(), &tm));
  EXPECT_EQ(size.cy, tm.tmHeight);
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
  int sum = 0;
  for (char16_t ch : text) {
    int w = 0;
    ASSERT_TRUE(GetCharWidth32W(c.dc(), ch, ch, &w));
    sum += w;
  }
  EXPECT_EQ(size.cx, sum);
  // Partial extents are the running sums; the fit count honours the limit.
  std::vector<int> partial(text.size());
  SIZE five{};
  GetTextExtentPoint32W(c.dc(), text.data(), 5, &five);
  int fit = -1;
  ASSERT_TRUE(
      GetTextExtentExPointW(c.dc(), text.data(), int(text.size()), five.cx, &fit, partial.data(), nullptr));
  EXPECT_EQ(partial[4], five.cx);
  EXPECT_EQ(fit, 5);
  EXPECT_EQ(partial.back(), size.cx);
  for (std::size_t i = 1; i < partial.size(); ++i) EXPECT_GE(partial[i], partial[i - 1]);
  // The ink of the drawn text stays inside its cell (give a pixel for overhang).
  ASSERT_TRUE(TextOutW(c.dc(), 10, 5, text.data(), int(text.size())));
  const RECT ink = c.Ink();
  EXPECT_GE(ink.left, 10 - 1);
  EXPECT_LE(ink.right, 10 + size.cx + 1);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 5 + size.cy);
  EXPECT_GT(ink.right - ink.left, size.cx * 3 / 4);
  char16_t face[64];
  EXPECT_EQ(GetTextFaceW(c.dc(), 64, face), 13);
  EXPECT_EQ(std::u16string(face), u"MS Sans Serif");
}

// A name that mixes Latin letters with Japanese, whose face has no bold
// style: in bold, the Japanese is as heavy as the letters beside it.
TEST(TextDraw, BoldJapaneseFromAFaceWithoutBoldIsEmboldened) {
  if (MatchFontCovering(U'\u65E5', false, false).Path.empty()) GTEST_SKIP() << "no font with kanji installed";
  const std::u16string latin = u"Report ", japanese = u"\u65E5\u672C\u8A9E\u306E\u540D\u524D", end = u".txt";
  const std::u16string text = latin + japanese + end;
  struct Drawn {
    long latinInk, japaneseInk;
    int width;
  };
  auto draw = [&](int weight) {
    Canvas c(400, 40, u"MS Sans Serif", -13, 0, weight);
    SIZE head{}, body{}, whole{};
    GetTextExtentPoint32W(c.dc(), latin.data(), int(latin.size()), &head);
    GetTextExtentPoint32W(c.dc(), (latin + japanese).c_str(), int(latin.size() + japanese.size()), &body);
    GetTextExtentPoint32W(c.dc(), text.data(), int(text.size()), &whole);
    EXPECT_TRUE(TextOutW(c.dc(), 10, 5, text.data(), int(text.size())));
    // What is measured is what is drawn: the ink stays in the measured
    // cell, and the string drawn in three pieces at the measured places
    // is the string drawn whole.
    const RECT ink = c.Ink();
    EXPECT_LE(ink.right, 10 + whole.cx + 1) << weight;
    EXPECT_GT(ink.right, 10 + whole.cx - 4) << weight;
    Canvas pieces(400, 40, u"MS Sans Serif", -13, 0, weight);
    TextOutW(pieces.dc(), 10, 5, latin.data(), int(latin.size()));
    TextOutW(pieces.dc(), 10 + head.cx, 5, japanese.data(), int(japanese.size()));
    TextOutW(pieces.dc(), 10 + body.cx, 5, end.data(), int(end.size()));
    EXPECT_EQ(pieces.Pixels(), c.Pixels()) << weight;
    return Drawn{c.Darkness(10, 10 + head.cx), c.Darkness(10 + head.cx, 10 + body.cx),
                 int(body.cx - head.cx)};
  };
  const Drawn regular = draw(FW_NORMAL), bold = draw(FW_BOLD);
  ASSERT_GT(regular.japaneseInk, 0);
  // The letters come from a bold face; the Japanese, emboldened, gains ink
  // as the letters do (and a pixel of width a character).
  EXPECT_GT(bold.latinInk * 10, regular.latinInk * 11);
  EXPECT_GT(bold.japaneseInk * 10, regular.japaneseInk * 11)
      << regular.japaneseInk << " regular, " << bold.japaneseInk << " bold";
  EXPECT_GT(bold.width, regular.width);
}

TEST(TextDraw, InkStaysInsideTheClip) {
  Canvas c(200, 40);
  SetTextColor(c.dc(), RGB(255, 0, 0));
  IntersectClipRect(c.dc(), 30, 8, 60, 14);
  const std::u16string text = u"WWWWWWWWWWWWWWWWWWWW";
  TextOutW(c.dc(), 0, 0, text.data(), int(text.size()));
  RECT ink = c.Ink();
  EXPECT_GE(ink.left, 30);
  EXPECT_LE(ink.right, 60);
  EXPECT_GE(ink.top, 8);
  EXPECT_LE(ink.bottom, 14);
  EXPECT_GT(ink.right, ink.left);  // something was drawn
  // ETO_CLIPPED narrows further; ETO_OPAQUE fills its rectangle inside the clip.
  Canvas d(200, 40);
  const RECT r{20, 0, 50, 40};
  SetBkColor(d.dc(), RGB(0, 0, 255));
  ExtTextOutW(d.dc(), 0, 0, ETO_CLIPPED, &r, text.data(), UINT(text.size()), nullptr);
  ink = d.Ink();
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.right, 50);
  ExtTextOutW(d.dc(), 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  EXPECT_EQ(d.Ink(), r);
  EXPECT_EQ(d.At(20, 39), 0xFF0000FFu);
}

TEST(TextDraw, OpaqueModeFillsExactlyTheCell) {
  Canvas c(200, 40);
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(0, 255, 0));
  const std::u16string text = u"a b";
  SIZE size{};
  GetTextExtentPoint32W(c.dc(), text.data(), int(text.size()), &size);
  TextOutW(c.dc(), 7, 9, text.data(), int(text.size()));
  EXPECT_EQ(c.Ink(), (RECT{7, 9, 7 + size.cx, 9 + size.cy}));
  // Inside the cell: only the background or ink mixed with it, never white.
  EXPECT_EQ(c.At(7, 9), 0xFF00FF00u);
  EXPECT_EQ(c.CountWhere([](uint32_t p) { return p != kWhite; }), size.cx * size.cy);
}

TEST(TextDraw, AlignmentPlacesTheReferencePoint) {
  const std::u16string text = u"Hxg";
  Canvas base(120, 60);
  SIZE size{};
  GetTextExtentPoint32W(base.dc(), text.data(), int(text.size()), &size);
  TEXTMETRICW tm{};
  GetTextMetricsW(base.dc(), &tm);
  TextOutW(base.dc(), 40, 20, text.data(), int(text.size()));
  const RECT topLeft = base.Ink();
  struct Case {
    UINT align;
    int dx, dy;
  };
  for (const Case& k : {Case{TA_RIGHT | TA_BOTTOM, -size.cx, -size.cy}, Case{TA_CENTER, -size.cx / 2, 0},
                        Case{TA_BASELINE, 0, -tm.tmAscent}}) {
    Canvas c(120, 60);
    SetTextAlign(c.dc(), k.align);
    TextOutW(c.dc(), 40, 20, text.data(), int(text.size()));
    RECT expected = topLeft;
    OffsetRect(&expected, k.dx, k.dy);
    EXPECT_EQ(c.Ink(), expected) << "align " << k.align;
  }
  // TA_UPDATECP draws at the current position and moves it past the text.
  Canvas cp(120, 60);
  SetTextAlign(cp.dc(), TA_UPDATECP);
  MoveToEx(cp.dc(), 40, 20, nullptr);
  TextOutW(cp.dc(), 0, 0, text.data(), int(text.size()));
  EXPECT_EQ(cp.Ink(), topLeft);
  POINT p{};
  GetCurrentPositionEx(cp.dc(), &p);
  EXPECT_EQ(p, (POINT{40 + size.cx, 20}));
}

TEST(TextDraw, RightAngleRotationsTransposeTheInk) {
  const std::u16string text = u"Rotated";
  Canvas flat(120, 120, u"Arial", -13, 0);
  TextOutW(flat.dc(), 60, 60, text.data(), int(text.size()));
  const RECT f = flat.Ink();
  for (int escapement : {900, 1800, 2700}) {
    Canvas c(120, 120, u"Arial", -13, escapement);
    TextOutW(c.dc(), 60, 60, text.data(), int(text.size()));
    const RECT r = c.Ink();
    const bool quarter = escapement != 1800;
    EXPECT_NEAR(r.right - r.left, quarter ? f.bottom - f.top : f.right - f.left, 1) << escapement;
    EXPECT_NEAR(r.bottom - r.top, quarter ? f.right - f.left : f.bottom - f.top, 1) << escapement;
    if (escapement == 900) {
      EXPECT_LE(r.bottom, 61);  // reads upwards from the reference point
      EXPECT_GE(r.left, 60);    // the cell's top is at the left
    }
  }
  // Any angle draws, inside the text's reach.
  Canvas slanted(120, 120, u"Arial", -13, 450);
  TextOutW(slanted.dc(), 30, 90, text.data(), int(text.size()));
  const RECT s = slanted.Ink();
  EXPECT_GT(s.right - s.left, 10);
  EXPECT_GT(s.bottom - s.top, 10);
}

TEST(TextDraw, NarrowAndWideStringsDrawTheSame) {
  const std::string utf8 =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9F\x98\x80";
  const std::u16string utf16 = u"Grüße € \U0001F600";
  Canvas a(200, 40), b(200, 40);
  TextOutA(a.dc(), 3, 3, utf8.data(), int(utf8.size()));
  TextOutW(b.dc(), 3, 3, utf16.data(), int(utf16.size()));
  EXPECT_EQ(a.Pixels(), b.Pixels());
  RECT ra{0, 10, 200, 40}, rb = ra;
  EXPECT_EQ(DrawTextA(a.dc(), utf8.data(), -1, &ra, DT_CENTER),
            DrawTextW(b.dc(), utf16.data(), -1, &rb, DT_CENTER));
  EXPECT_EQ(a.Pixels(), b.Pixels());
  SIZE sa{}, sb{};
  GetTextExtentPoint32A(a.dc(), utf8.data(), int(utf8.size()), &sa);
  GetTextExtentPoint32W(b.dc(), utf16.data(), int(utf16.size()), &sb);
  EXPECT_EQ(sa, sb);
}

TEST(TextDraw, BadInputNeverCrashes) {
  Canvas c(100, 30);
  // Invalid UTF-8 draws replacement characters.
  const std::string bad =
      "\xFF\xFE"
      "ab\xC3";
  const std::u16string replaced = u"\uFFFD\uFFFDab\uFFFD";
  SIZE s1{}, s2{};
  EXPECT_TRUE(GetTextExtentPoint32A(c.dc(), bad.data(), int(bad.size()), &s1));
  EXPECT_TRUE(GetTextExtentPoint32W(c.dc(), replaced.data(), int(replaced.size()), &s2));
  EXPECT_EQ(s1, s2);
  EXPECT_TRUE(TextOutA(c.dc(), 0, 0, bad.data(), int(bad.size())));
  const std::u16string lone = u"a\xD800z\xDC00";
  EXPECT_TRUE(TextOutW(c.dc(), 0, 10, lone.data(), int(lone.size())));
  // Empty strings, empty rectangles, null pointers, stale handles, hostile dx.
  RECT empty{5, 5, 5, 5};
  EXPECT_EQ(DrawTextW(c.dc(), u"", 0, &empty, DT_LEFT), 0);
  EXPECT_EQ(DrawTextW(c.dc(), nullptr, 0, &empty, DT_LEFT), 0);
  EXPECT_EQ(DrawTextW(c.dc(), u"abc", 3, nullptr, DT_LEFT), 0);
  Canvas d(100, 30);
  DrawTextW(d.dc(), u"clipped away", -1, &empty, DT_SINGLELINE);
  EXPECT_EQ(d.Ink(), RECT{});
  SIZE s{};
  EXPECT_TRUE(GetTextExtentPoint32W(c.dc(), u"", 0, &s));
  EXPECT_EQ(s.cx, 0);
  EXPECT_FALSE(GetTextExtentPoint32W(nullptr, u"a", 1, &s));
  EXPECT_FALSE(TextOutW(reinterpret_cast<HDC>(0x1234), 0, 0, u"a", 1));
  const int dx[] = {1 << 30, 1 << 30, -(1 << 30)};
  EXPECT_TRUE(ExtTextOutW(c.dc(), 0, 0, 0, nullptr, u"abc", 3, dx));
  EXPECT_TRUE(TextOutW(c.dc(), -1000000000, 1000000000, u"abc", 3));
}

TEST(DrawText, PrefixUnderlinesTheMarkedLetter) {
  Canvas c(100, 30), plain(100, 30);
  RECT r{10, 5, 100, 30}, r2 = r;
  DrawTextW(c.dc(), u"&Hi", -1, &r, DT_SINGLELINE);
  DrawTextW(plain.dc(), u"&Hi", -1, &r2, DT_SINGLELINE | DT_HIDEPREFIX);
  TEXTMETRICW tm{};
  GetTextMetricsW(c.dc(), &tm);
  int hWidth = 0;
  GetCharWidth32W(c.dc(), u'H', u'H', &hWidth);
  // The only difference is a line under "H", below the baseline.
  RECT diff{100, 30, 0, 0};
  const auto a = c.Pixels(), b = plain.Pixels();
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x)
      if (a[y * 100 + x] != b[y * 100 + x])
        diff = RECT{std::min<LONG>(diff.left, x), std::min<LONG>(diff.top, y),
                    std::max<LONG>(diff.right, x + 1), std::max<LONG>(diff.bottom, y + 1)};
  EXPECT_EQ(diff.left, 10);
  EXPECT_EQ(diff.right, 10 + hWidth);
  EXPECT_GT(diff.top, 5 + tm.tmAscent - 1);
  EXPECT_LE(diff.bottom, 5 + tm.tmHeight);
}

TEST(DrawText, RectanglesAndResults) {
  Canvas c(200, 100);
  const std::u16string text = u"Some text";
  SIZE size{};
  GetTextExtentPoint32W(c.dc(), text.data(), int(text.size()), &size);
  RECT r{10, 10, 20, 20};
  EXPECT_EQ(DrawTextW(c.dc(), text.data(), -1, &r, DT_SINGLELINE | DT_CALCRECT), size.cy);
  EXPECT_EQ(r, (RECT{10, 10, 10 + size.cx, 10 + size.cy}));
  EXPECT_EQ(c.Ink(), RECT{});  // measuring draws nothing
  // Vertical centring moves the ink by half the spare height.
  Canvas top(200, 100), centred(200, 100);
  RECT rt{0, 0, 200, 100}, rc = rt;
  DrawTextW(top.dc(), text.data(), -1, &rt, DT_SINGLELINE);
  EXPECT_EQ(DrawTextW(centred.dc(), text.data(), -1, &rc, DT_SINGLELINE | DT_VCENTER),
            (100 - size.cy) / 2 + size.cy);
  RECT moved = top.Ink();
  OffsetRect(&moved, 0, (100 - size.cy) / 2);
  EXPECT_EQ(centred.Ink(), moved);
  // Word breaking: the height counts the lines, and the ink stays inside the width.
  Canvas wrap(200, 100);
  RECT rw{0, 0, 35, 100};
  const int h = DrawTextW(wrap.dc(), u"one two three four", -1, &rw, DT_WORDBREAK);
  EXPECT_EQ(h % size.cy, 0);
  EXPECT_GE(h / size.cy, 3);
  EXPECT_LE(wrap.Ink().right, 36);
  // The end ellipsis fits, and DT_MODIFYSTRING hands back what was shown.
  Canvas ell(200, 100);
  char16_t buffer[64] = u"A rather long caption for a narrow box";
  RECT re{0, 0, 80, 20};
  DrawTextExW(ell.dc(), buffer, -1, &re, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING | DT_NOCLIP,
              nullptr);
  EXPECT_LE(ell.Ink().right, 81);
  const std::u16string shown(buffer);
  EXPECT_TRUE(shown.ends_with(u"...")) << std::string(shown.begin(), shown.end());
  // DRAWTEXTPARAMS margins shift the text.
  Canvas m(200, 100);
  DRAWTEXTPARAMS params;
  params.iLeftMargin = 15;
  RECT rm{0, 0, 200, 20};
  char16_t word[] = u"Hxg";
  DrawTextExW(m.dc(), word, -1, &rm, DT_SINGLELINE, &params);
  EXPECT_EQ(params.uiLengthDrawn, 3u);
  Canvas nomargin(200, 100);
  RECT rn{15, 0, 200, 20};
  DrawTextW(nomargin.dc(), word, -1, &rn, DT_SINGLELINE);
  EXPECT_EQ(m.Pixels(), nomargin.Pixels());
}

}  // namespace
}  // namespace qv
