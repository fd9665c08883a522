// Font resolution and metrics: family mapping through fontconfig, the pixel
// metrics derived from a logical height, and glyph fallback.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/text/FontEngine.h"
#include "platform/text/FontMatch.h"

namespace qv {
namespace {

TEST(FontMatch, ProgramFamiliesMapToInstalledOnes) {
  struct Case {
    const char* requested;
    const char* family;
  };
  for (const Case& c : {Case{"MS Sans Serif", "Liberation Sans"}, Case{"Tahoma", "Liberation Sans"},
                        Case{"arial", "Liberation Sans"}, Case{"Microsoft Sans Serif", "Liberation Sans"},
                        Case{"Segoe UI", "Liberation Sans"}, Case{"", "Liberation Sans"},
                        Case{"Courier New", "Liberation Mono"}, Case{"Courier", "Liberation Mono"},
                        Case{"Times New Roman", "Liberation Serif"}, Case{"DejaVu Serif", "DejaVu Serif"},
                        Case{"No Such Family 123", "DejaVu Sans"}}) {
    const FontFile file = MatchFontFile(c.requested, false, false);
    EXPECT_EQ(file.Family, c.family) << c.requested;
    EXPECT_FALSE(file.Path.empty());
  }
  // Styles pick the styled files where they exist.
  const FontFile bold = MatchFontFile("Arial", true, false), italic = MatchFontFile("Arial", false, true);
  EXPECT_TRUE(bold.Bold && !bold.Italic);
  EXPECT_TRUE(italic.Italic && !italic.Bold);
  EXPECT_NE(bold.Path, italic.Path);
}

TEST(FontMetrics, CellsAreConsistentForEveryHeight) {
  for (const char16_t* face : {u"MS Sans Serif", u"Courier New", u"Times New Roman", u"DejaVu Sans"})
    for (int height : {-8, -11, -13, -16, -24, -72, 0, 8, 13, 16, 20, 40}) {
      Font* font = FontEngine::Instance().Get(FontRequest{face, height});
      ASSERT_NE(font, nullptr);
      const FontMetrics& m = font->Metrics();
      const int em = height == 0 ? 11 : height < 0 ? -height : 0;
      EXPECT_EQ(m.Ascent + m.Descent, m.Height);
      if (height > 0) {
        EXPECT_EQ(m.Height, height);  // a positive height is the cell
      } else {
        EXPECT_GE(m.Height, em);  // a negative one the character height
        EXPECT_EQ(m.InternalLeading, m.Height - em);
        EXPECT_LE(m.Height, em * 3 / 2 + 1);
      }
      EXPECT_GT(m.AveCharWidth, 0);
      EXPECT_GE(m.MaxCharWidth, m.AveCharWidth);
      EXPECT_GT(m.UnderlineOffset, 0);
      EXPECT_LT(m.UnderlineOffset, m.Descent + 1);
    }
  // The default height is 8 points at 96 dpi.
  EXPECT_EQ(FontEngine::Instance().Get(FontRequest{u"Tahoma", 0})->Metrics().Height,
            FontEngine::Instance().Get(FontRequest{u"Tahoma", -11})->Metrics().Height);
  // Hostile heights are clamped, not honoured.
  EXPECT_NE(FontEngine::Instance().Get(FontRequest{u"Arial", int(0x80000000)}), nullptr);
  EXPECT_NE(FontEngine::Instance().Get(FontRequest{u"Arial", 0x7FFFFFFF}), nullptr);
}

TEST(FontMetrics, AdvancesAreWholePixelsAndFollowTheFace) {
  Font* mono = FontEngine::Instance().Get(FontRequest{u"Courier New", -13});
  EXPECT_TRUE(mono->Metrics().FixedPitch);
  for (char32_t c : std::u32string_view(U"iW.M ")) EXPECT_EQ(mono->Advance(c), mono->Advance(U'x'));
  Font* sans = FontEngine::Instance().Get(FontRequest{u"Arial", -13});
  EXPECT_FALSE(sans->Metrics().FixedPitch);
  EXPECT_LT(sans->Advance(U'i'), sans->Advance(U'W'));
  FontRequest boldRequest{u"Arial", -13};
  boldRequest.Weight = 700;
  Font* bold = FontEngine::Instance().Get(boldRequest);
  int regularWidth = 0, boldWidth = 0;
  for (char32_t c : std::u32string_view(U"Bold text")) {
    regularWidth += sans->Advance(c);
    boldWidth += bold->Advance(c);
  }
  EXPECT_GT(boldWidth, regularWidth);
  // A larger size is never narrower.
  Font* big = FontEngine::Instance().Get(FontRequest{u"Arial", -26});
  EXPECT_GT(big->Advance(U'W'), sans->Advance(U'W'));
}

TEST(FontGlyphs, MissingCodePointsFallBackThenShowABox) {
  Font* font = FontEngine::Instance().Get(FontRequest{u"Arial", -11});
  const Glyph& letter = font->GlyphFor(U'A');
  EXPECT_GT(letter.Width * letter.Height, 0);
  EXPECT_GT(letter.Advance, 0);
  // The chess king is in DejaVu Sans, not in Liberation Sans.
  const Glyph& king = font->GlyphFor(0x2654);
  // Code points Unicode leaves unassigned: no font has them.
  const Glyph& none1 = font->GlyphFor(0x0378);
  const Glyph& none2 = font->GlyphFor(0x0379);
  EXPECT_EQ(&none1, &none2);  // the box
  EXPECT_NE(&king, &none1);
  EXPECT_GT(king.Width * king.Height, 0);
  EXPECT_GT(none1.Width * none1.Height, 0);
  // Unpaired surrogates and values past Unicode draw as the replacement character.
  EXPECT_EQ(&font->GlyphFor(0xD800), &font->GlyphFor(0xFFFD));
  EXPECT_EQ(&font->GlyphFor(0x110041), &font->GlyphFor(0xFFFD));
  // Control characters take room but draw nothing.
  EXPECT_EQ(font->GlyphFor(U'\t').Width, 0);
  // Cached: the same glyph object every time.
  EXPECT_EQ(&font->GlyphFor(U'A'), &letter);
}

TEST(FontGlyphs, ScriptsNoFaceOfOursHasComeFromAnInstalledFontThatHasThem) {
  // Japanese names in the report's monospaced face: neither it nor the
  // fallback family has kanji, an installed Japanese font does.
  if (MatchFontCovering(U'\u65E5', false, false).Path.empty()) GTEST_SKIP() << "no font with kanji installed";
  auto lock = FontEngine::Instance().Lock();
  Font* mono = FontEngine::Instance().Get(FontRequest{u"Courier New", -13});
  const Glyph& box = mono->GlyphFor(0x0378);
  for (char32_t cp : {U'\u65E5', U'\u672C', U'\u30C6'}) {  // 日, 本, テ
    const Glyph& g = mono->GlyphFor(cp);
    EXPECT_NE(&g, &box) << uint32_t(cp);
    EXPECT_GT(g.Advance, 0);
    EXPECT_TRUE(std::any_of(g.Coverage.begin(), g.Coverage.end(), [](uint8_t c) { return c > 0; }));
  }
  // Latin text keeps its own face.
  EXPECT_EQ(mono->GlyphFor(U'i').Advance, mono->GlyphFor(U'W').Advance);
}

}  // namespace
}  // namespace qv
