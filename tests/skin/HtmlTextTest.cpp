// Tagged hint text measured and drawn on a bitmap: runs and their fonts,
// line breaks, the doubled less-than sign, unterminated tags, the font stack
// with colours and sizes, and the tag-name quirks.
#include "SkinTestSupport.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skHtmlParse.h"

namespace qv::test {
namespace {

class HtmlText : public ::testing::Test {
 protected:
  void SetUp() override {
    bmp = Bmp24(400, 200);
    bmp->Canvas()->Font()->SetName("MS Sans Serif");
    bmp->Canvas()->Font()->SetSize(8);
  }
  RECT Render(const std::string& text, RECT area = RECT{0, 0, 400, 200}) {
    TSkHtml h;
    h.Init(bmp.get(), text, area);
    RECT r;
    h.Render(r);
    return r;
  }
  int Width(const std::string& s, bool bold = false) {
    TBitmap b(10, 10, pf24bit);
    b.Canvas()->Font()->Assign(bmp->Canvas()->Font());
    if (bold) b.Canvas()->Font()->SetStyle(TFontStyles{fsBold});
    return b.Canvas()->TextWidth(s);
  }
  int LineHeight() { return bmp->Canvas()->TextHeight("X"); }
  HeadlessBackend backend{SIZE{320, 240}};
  std::unique_ptr<TBitmap> bmp;
};

TEST_F(HtmlText, RunsWithABoldMiddle) {
  const int a = Width("a"), b = Width("b", true), c = Width("c");
  RECT r = Render("a<B>b</B>c");
  EXPECT_EQ(r.right, a + b + c);
  EXPECT_EQ(r.bottom, LineHeight());
  EXPECT_FALSE(bmp->Canvas()->Font()->Style().Contains(fsBold));
  // BIG counts as B: a prefix match.
  Render("<BIG>x");
  EXPECT_TRUE(bmp->Canvas()->Font()->Style().Contains(fsBold));
}

TEST_F(HtmlText, LineBreaksAndParagraphs) {
  const int h = LineHeight();
  RECT r = Render("one<BR>three");
  EXPECT_EQ(r.right, Width("three"));
  EXPECT_EQ(r.bottom, 2 * h + 2);
  r = Render("one<P ALIGN=CENTER>two\nstill two");  // a line feed is no break
  EXPECT_EQ(r.bottom, 2 * h + 2);
  EXPECT_EQ(r.right, Width("twostill two"));
}

TEST_F(HtmlText, DoubledLessThanAndOpenTags) {
  EXPECT_EQ(Render("a<<b").right, Width("a<b"));
  RECT r = Render("line<BR>cut <B");  // the open tag ends the text: the last line is not counted
  EXPECT_EQ(r.bottom, 0);
  EXPECT_EQ(r.right, Width("line"));
  EXPECT_EQ(Render("x<UNKNOWN>y</Q>z").right, Width("xyz"));
}

TEST_F(HtmlText, FontStackColoursAndSizes) {
  TFont* f = bmp->Canvas()->Font();
  Render("<FONT COLOR=#FF0000>x");
  EXPECT_EQ(f->Color(), 0xFF0000);  // digits read as the colour value itself: blue
  f->SetColor(clBlack);
  Render("<FONT COLOR=\"RED\">x</FONT>y");
  EXPECT_EQ(f->Color(), clBlack);  // the closing tag brings the colour back
  Render("<FONT COLOR=NAVY>x");
  EXPECT_EQ(f->Color(), 0x800000);
  f->SetColor(clBlack);
  Render("<FONT COLOR=#XYZ>x");
  EXPECT_EQ(f->Color(), -1);
  f->SetSize(8);
  Render("<FONT SIZE=+2>x");
  EXPECT_EQ(f->Size(), 10);
  f->SetSize(8);
  Render("<FONT SIZE=-2>x");
  EXPECT_EQ(f->Size(), 6);
  Render("<FONT SIZE=12>x");
  EXPECT_EQ(f->Size(), 12);
  Render("<FONT SIZE=big>x");  // not a number: ignored
  EXPECT_EQ(f->Size(), 12);
  Render("</FONT></FONT>");  // popping an empty stack changes nothing
  EXPECT_EQ(f->Size(), 12);
}

TEST_F(HtmlText, DrawsTheRunsWhereItMeasures) {
  auto fresh = Bmp24(100, 30);
  TSkHtml h;
  h.Init(fresh.get(), "<B>ab</B>", RECT{10, 5, 100, 30});
  RECT r;
  h.Render(r);
  int dark = 0, outside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) {
      if ((Px(fresh.get(), x, y) & 0xFF) > 128) continue;
      ++dark;
      if (x < 10 || y < 5 || x >= r.right + 1) ++outside;
    }
  EXPECT_GT(dark, 10);
  EXPECT_EQ(outside, 0);
}

}  // namespace
}  // namespace qv::test
