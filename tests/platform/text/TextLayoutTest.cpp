// Text layout over a fixed-width measurer: line breaking, ellipses, prefixes,
// tabs, alignment and the rectangle DT_CALCRECT answers.
#include <gtest/gtest.h>

#include <random>

#include "platform/text/TextLayout.h"

namespace qv {
namespace {

// Every character 10 pixels wide except 'i' (4) and 'W' (16); lines 16 high.
class FixedMeasurer : public TextMeasurer {
 public:
  int CharWidth(char32_t cp) override { return cp == U'i' ? 4 : cp == U'W' ? 16 : 10; }
  int Height() override { return 16; }
  int ExternalLeading() override { return 3; }
  int AveCharWidth() override { return 7; }
};

TextLayout Lay(std::u16string_view text, RECT r, UINT format, TextLayoutOptions options = {}) {
  FixedMeasurer m;
  options.Format = format;
  return LayOutText(text, r, options, m);
}

std::u16string LineText(const TextLine& line) {
  std::u16string s;
  for (const TextRun& run : line.Runs) s += run.Text;
  return s;
}

std::vector<std::u16string> Texts(const TextLayout& l) {
  std::vector<std::u16string> out;
  for (const TextLine& line : l.Lines) out.push_back(LineText(line));
  return out;
}

using Lines = std::vector<std::u16string>;

TEST(TextLayout, WordBreakWrapsAtBlanksAndSplitsOverlongWords) {
  EXPECT_EQ(Texts(Lay(u"aaa bbb ccc", {0, 0, 75, 100}, DT_WORDBREAK)), (Lines{u"aaa bbb", u"ccc"}));
  EXPECT_EQ(Texts(Lay(u"abcdefghjk", {0, 0, 35, 100}, DT_WORDBREAK)), (Lines{u"abc", u"def", u"ghj", u"k"}));
  // Explicit breaks in every convention; a trailing break adds no empty line.
  EXPECT_EQ(Texts(Lay(u"a\r\nb\rc\nd\u2028e\n", {0, 0, 100, 100}, 0)), (Lines{u"a", u"b", u"c", u"d", u"e"}));
  EXPECT_EQ(Texts(Lay(u"a\n\nb", {0, 0, 100, 100}, 0)), (Lines{u"a", u"", u"b"}));
  // A single line keeps its breaks as characters.
  EXPECT_EQ(Lay(u"a\nb", {0, 0, 100, 100}, DT_SINGLELINE).Lines.size(), 1u);
  // Narrower than one character: still one character per line, never stuck.
  EXPECT_EQ(Lay(u"abc", {0, 0, 0, 100}, DT_WORDBREAK).Lines.size(), 3u);
}

TEST(TextLayout, WrappedLinesFitAndKeepEveryWord) {
  std::mt19937 rng(7);
  const std::u16string alphabet = u"aiW  bc";
  for (int round = 0; round < 300; ++round) {
    std::u16string text;
    for (int n = int(rng() % 40); n > 0; --n) text += alphabet[rng() % alphabet.size()];
    const int width = 20 + int(rng() % 120);
    const TextLayout l = Lay(text, {5, 0, 5 + width, 1000}, DT_WORDBREAK);
    std::u16string joined, original;
    for (const TextLine& line : l.Lines) {
      const std::u16string s = LineText(line);
      // Only a line of one unbreakable character (plus hanging blanks) may overflow.
      std::u16string trimmed = s.substr(0, s.find_last_not_of(u' ') + 1);
      if (trimmed.size() > 1) {
        EXPECT_LE(line.Width - int(s.size() - trimmed.size()) * 10, width);
      }
      for (char16_t c : s)
        if (c != u' ') joined += c;
    }
    for (char16_t c : text)
      if (c != u' ') original += c;
    EXPECT_EQ(joined, original);
    EXPECT_EQ(l.Height, int(l.Lines.size()) * 16);
  }
}

TEST(TextLayout, EllipsesFitTheWidth) {
  // End: the longest prefix that leaves room for "...".
  TextLayout l = Lay(u"abcdefghij", {0, 0, 60, 16}, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(Texts(l), (Lines{u"abc..."}));
  EXPECT_TRUE(l.Ellipsized);
  EXPECT_EQ(Lay(u"abc", {0, 0, 60, 16}, DT_SINGLELINE | DT_END_ELLIPSIS).Lines[0].Runs[0].Text, u"abc");
  // Word: cut at a word boundary when one is in reach.
  EXPECT_EQ(Texts(Lay(u"hello world again", {0, 0, 130, 16}, DT_SINGLELINE | DT_WORD_ELLIPSIS)),
            (Lines{u"hello..."}));
  // Path: the last element stays whole.
  l = Lay(u"/home/user/docs/file.txt", {0, 0, 160, 16}, DT_SINGLELINE | DT_PATH_ELLIPSIS);
  ASSERT_EQ(l.Lines.size(), 1u);
  const std::u16string path = LineText(l.Lines[0]);
  EXPECT_TRUE(path.starts_with(u"/h")) << std::string(path.begin(), path.end());
  EXPECT_TRUE(path.ends_with(u".../file.txt"));
  for (int width = 0; width < 260; width += 7)
    for (UINT flag : {DT_END_ELLIPSIS, DT_WORD_ELLIPSIS, DT_PATH_ELLIPSIS}) {
      const TextLayout e =
          Lay(u"/usr/share/some thing/a longer name.txt", {0, 0, width, 16}, DT_SINGLELINE | flag);
      EXPECT_LE(e.Lines[0].Width, std::max(width, 0)) << "width " << width << " flag " << flag;
    }
}

TEST(TextLayout, EditControlHidesPartialLastLineAndMarksTheCut) {
  const TextLayout l =
      Lay(u"one two three four", {0, 0, 50, 40}, DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS);
  EXPECT_EQ(Texts(l), (Lines{u"one", u"tw..."}));
  EXPECT_EQ(Lay(u"one two three four", {0, 0, 50, 40}, DT_WORDBREAK).Lines.size(), 4u);
}

TEST(TextLayout, PrefixesUnderlineTheMarkedCharacter) {
  TextLayout l = Lay(u"Fi&le", {20, 0, 200, 16}, DT_SINGLELINE);
  EXPECT_EQ(Texts(l), (Lines{u"File"}));
  EXPECT_EQ(l.Lines[0].UnderlineLeft, 20 + 10 + 4);
  EXPECT_EQ(l.Lines[0].UnderlineRight, 20 + 10 + 4 + 10);
  l = Lay(u"A&&B&", {0, 0, 200, 16}, DT_SINGLELINE);
  EXPECT_EQ(Texts(l), (Lines{u"A&B"}));
  EXPECT_EQ(l.Lines[0].UnderlineLeft, l.Lines[0].UnderlineRight);
  EXPECT_EQ(Texts(Lay(u"&File", {0, 0, 200, 16}, DT_NOPREFIX)), (Lines{u"&File"}));
  l = Lay(u"&File", {0, 0, 200, 16}, DT_HIDEPREFIX);
  EXPECT_EQ(Texts(l), (Lines{u"File"}));
  EXPECT_EQ(l.Lines[0].UnderlineLeft, l.Lines[0].UnderlineRight);
  l = Lay(u"&File", {0, 0, 200, 16}, DT_PREFIXONLY);
  EXPECT_FALSE(l.DrawGlyphs);
  EXPECT_LT(l.Lines[0].UnderlineLeft, l.Lines[0].UnderlineRight);
  // The underline follows its character onto a wrapped line, and through a path ellipsis.
  l = Lay(u"aaa b&bb", {0, 0, 40, 100}, DT_WORDBREAK);
  EXPECT_EQ(l.Lines[1].UnderlineLeft, 10);
  l = Lay(u"/aaaaaaaa/&x", {0, 0, 80, 16}, DT_SINGLELINE | DT_PATH_ELLIPSIS);
  EXPECT_EQ(LineText(l.Lines[0]).substr(LineText(l.Lines[0]).size() - 1), u"x");
  EXPECT_EQ(l.Lines[0].UnderlineRight, l.Lines[0].Left + l.Lines[0].Width);
}

TEST(TextLayout, TabsExpandToStops) {
  TextLayout l = Lay(u"a\tb\tc", {10, 0, 400, 16}, DT_EXPANDTABS);
  ASSERT_EQ(l.Lines[0].Runs.size(), 3u);
  EXPECT_EQ(l.Lines[0].Runs[1].X, 10 + 56);  // 8 average characters of 7
  EXPECT_EQ(l.Lines[0].Runs[2].X, 10 + 112);
  EXPECT_EQ(l.Lines[0].Width, 122);
  // DT_TABSTOP: the second byte is the stop in characters, not flags (0x400 would be DT_CALCRECT).
  l = Lay(u"a\tb", {0, 0, 400, 16}, DT_EXPANDTABS | DT_TABSTOP | (4u << 8));
  EXPECT_EQ(l.Lines[0].Runs[1].X, 28);
  TextLayoutOptions options;
  options.TabLength = 2;
  EXPECT_EQ(Lay(u"a\tb", {0, 0, 400, 16}, DT_EXPANDTABS, options).Lines[0].Runs[1].X, 14);
  // Without DT_EXPANDTABS a tab is an ordinary character.
  EXPECT_EQ(Lay(u"a\tb", {0, 0, 400, 16}, 0).Lines[0].Runs.size(), 1u);
}

TEST(TextLayout, AlignmentAndVerticalCentring) {
  const RECT r{10, 20, 110, 120};
  EXPECT_EQ(Lay(u"abcd", r, DT_SINGLELINE).Lines[0].Left, 10);
  EXPECT_EQ(Lay(u"abcd", r, DT_SINGLELINE | DT_CENTER).Lines[0].Left, 40);
  EXPECT_EQ(Lay(u"abcd", r, DT_SINGLELINE | DT_RIGHT).Lines[0].Left, 70);
  TextLayout l = Lay(u"abcd", r, DT_SINGLELINE | DT_VCENTER);
  EXPECT_EQ(l.Lines[0].Top, 62);
  EXPECT_EQ(l.Height, 58);  // from the rectangle's top to the text's bottom
  l = Lay(u"abcd", r, DT_SINGLELINE | DT_BOTTOM);
  EXPECT_EQ(l.Lines[0].Top, 104);
  EXPECT_EQ(l.Height, 100);
  // Vertical centring needs a single line.
  EXPECT_EQ(Lay(u"abcd", r, DT_VCENTER).Lines[0].Top, 20);
  // Each line is aligned on its own; margins narrow the rectangle.
  l = Lay(u"ab\nabcd", r, DT_RIGHT);
  EXPECT_EQ(l.Lines[0].Left, 90);
  EXPECT_EQ(l.Lines[1].Left, 70);
  TextLayoutOptions margins;
  margins.LeftMargin = 5;
  margins.RightMargin = 7;
  EXPECT_EQ(Lay(u"abcd", r, DT_SINGLELINE | DT_RIGHT, margins).Lines[0].Left, 63);
  EXPECT_EQ(Lay(u"ab\nab", r, DT_EXTERNALLEADING).Lines[1].Top, 20 + 19);
}

TEST(TextLayout, CalcRectMeasuresTheText) {
  TextLayout l = Lay(u"abcd", {10, 20, 15, 25}, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(l.Bounds, (RECT{10, 20, 50, 36}));
  EXPECT_EQ(l.Height, 16);
  l = Lay(u"ab cdef gh", {0, 0, 45, 0}, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(l.Bounds, (RECT{0, 0, 40, 48}));
  l = Lay(u"", {3, 4, 50, 50}, DT_CALCRECT);
  EXPECT_EQ(l.Bounds, (RECT{3, 4, 3, 4}));
  EXPECT_EQ(l.Height, 0);
  // Surrogate pairs measure and break as one character.
  l = Lay(u"\U0001F600\U0001F600", {0, 0, 15, 100}, DT_WORDBREAK);
  EXPECT_EQ(Texts(l), (Lines{u"\U0001F600", u"\U0001F600"}));
}

}  // namespace
}  // namespace qv
