// The catalogue's name order: case folding, code-point order, invalid bytes
// last, and contiguous prefix runs (what the search's index ranges rely on).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "catalogue/Names.h"

namespace qv {
namespace {

int Sign(int v) {
  return (v > 0) - (v < 0);
}

TEST(CompareNames, FoldsCaseBeyondAscii) {
  EXPECT_EQ(CompareNames("File.TXT", "file.txt"), 0);
  EXPECT_EQ(CompareNames("Readme.TXT", "README.txt"), 0);
  EXPECT_EQ(CompareNames("ÄPFEL", "äpfel"), 0);
  EXPECT_EQ(CompareNames("ΣΟΦΙΑ", "σοφια"), 0);
  EXPECT_EQ(CompareNames("ς", "σ"), 0);       // final sigma folds to sigma
  EXPECT_EQ(CompareNames("\u212A", "k"), 0);  // Kelvin sign
  EXPECT_EQ(CompareNames("ПРИВЕТ", "привет"), 0);
  // Simple folding keeps one code point per code point: ß is not "ss".
  EXPECT_NE(CompareNames("straße", "strasse"), 0);
}

TEST(CompareNames, OrdersFoldedCodePoints) {
  std::vector<std::string> names = {"b", "_", "A", "Z", "ab", "a", "é", "E", "10", "9"};
  std::sort(names.begin(), names.end(), [](auto& x, auto& y) { return CompareNames(x, y) < 0; });
  // "Z" folds to "z", after "_"; a prefix comes before its extensions.
  std::vector<std::string> expected = {"10", "9", "_", "A", "a", "ab", "b", "E", "Z", "é"};
  // "A" and "a" are equal: either order is fine, compare folded.
  ASSERT_EQ(names.size(), expected.size());
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(CompareNames(names[i], expected[i]), 0) << i;
}

TEST(CompareNames, InvalidBytesOrderAfterAllValidText) {
  const std::string maxValid = "\xF4\x8F\xBF\xBF";  // U+10FFFF
  EXPECT_GT(CompareNames("\xFF", maxValid), 0);
  EXPECT_GT(CompareNames("a\x80", "a\xF4\x8F\xBF\xBF"), 0);
  EXPECT_GT(CompareNames("\xC3", "\xC3\xA9"), 0);  // a cut sequence is invalid, é is not
  EXPECT_LT(CompareNames("\x80", "\xFF"), 0);      // invalid bytes keep their byte order
  EXPECT_NE(CompareNames("\xC3\x28", "\xC3"), 0);
  EXPECT_EQ(CompareNames("x\xFE", "X\xFE"), 0);
}

TEST(CompareNames, LowerAndFoldKeepInvalidBytes) {
  EXPECT_EQ(LowerCaseName("ABC\xFF"
                          "Ä"),
            "abc\xFF"
            "ä");
  EXPECT_EQ(FoldName("ΣΑΣ\x80"), "σασ\x80");
  EXPECT_EQ(FoldName("ς"), FoldName("Σ"));
}

// Random names over an alphabet that stresses the fast path and its edges.
std::string RandomName(std::mt19937& rng) {
  static const std::vector<std::string> atoms = {
      "a",    "A",    "b",   "B", "z", "Z", "_", "[",      "{", "0", "9",  ".",
      " ",    "é",    "É",   "ß", "σ", "Σ", "ς", "\u212A", "k", "K", "中", "\xF0\x9F\x98\x80",
      "\xFF", "\x80", "\xC3"};
  std::uniform_int_distribution<std::size_t> len(0, 6), pick(0, atoms.size() - 1);
  std::string s;
  for (std::size_t n = len(rng); n > 0; --n) s += atoms[pick(rng)];
  return s;
}

TEST(CompareNames, IsATotalOrderConsistentWithFolding) {
  std::mt19937 rng(42);
  std::vector<std::string> names;
  for (int i = 0; i < 400; ++i) names.push_back(RandomName(rng));
  for (auto& a : names) {
    EXPECT_EQ(CompareNames(a, a), 0);
    for (auto& b : names) {
      int ab = CompareNames(a, b);
      ASSERT_EQ(Sign(ab), -Sign(CompareNames(b, a))) << a << " | " << b;
      ASSERT_EQ(ab == 0, FoldName(a) == FoldName(b)) << a << " | " << b;
    }
  }
  std::sort(names.begin(), names.end(), [](auto& x, auto& y) { return CompareNames(x, y) < 0; });
  // Transitivity: after sorting, every earlier name orders at or before every later one.
  for (std::size_t i = 0; i < names.size(); ++i)
    for (std::size_t j = i + 1; j < names.size(); ++j) ASSERT_LE(CompareNames(names[i], names[j]), 0);
}

TEST(CompareNamePrefix, EveryPrefixRunIsContiguousAndFoundByBinarySearch) {
  std::mt19937 rng(7);
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) names.push_back(RandomName(rng));
  std::sort(names.begin(), names.end(), [](auto& x, auto& y) { return CompareNames(x, y) < 0; });

  std::vector<std::string> prefixes = {"", "a", "Z", "z", "É", "ς", "\xFF", "K", "k"};
  for (int i = 0; i < 300; ++i) {
    std::string p = RandomName(rng);
    prefixes.push_back(p.substr(0, std::min<std::size_t>(p.size(), 4)));
  }
  for (auto& p : prefixes) {
    std::vector<std::size_t> hits;
    for (std::size_t i = 0; i < names.size(); ++i)
      if (StartsWithFolded(names[i], p)) hits.push_back(i);
    auto lo = std::partition_point(names.begin(), names.end(),
                                   [&](auto& n) { return CompareNamePrefix(n, p) < 0; });
    auto hi = std::partition_point(names.begin(), names.end(),
                                   [&](auto& n) { return CompareNamePrefix(n, p) <= 0; });
    std::size_t first = std::size_t(lo - names.begin()), last = std::size_t(hi - names.begin());
    ASSERT_EQ(hits.size(), last - first) << "prefix " << p;
    for (std::size_t k = 0; k < hits.size(); ++k) ASSERT_EQ(hits[k], first + k) << "prefix " << p;
    // Monotone: negative before the run, positive after it.
    for (std::size_t i = 0; i < names.size(); ++i) {
      int c = CompareNamePrefix(names[i], p);
      ASSERT_EQ(Sign(c), i < first ? -1 : i < last ? 0 : 1) << names[i] << " / " << p;
    }
  }
}

TEST(CompareNamePrefix, ShorterNamesOrderBeforeTheRun) {
  EXPECT_LT(CompareNamePrefix("fil", "file"), 0);
  EXPECT_EQ(CompareNamePrefix("FILE9.txt", "file9"), 0);
  EXPECT_GT(CompareNamePrefix("file:", "file9"), 0);  // punctuation is a code point like any other
  EXPECT_EQ(CompareNamePrefix("anything", ""), 0);
}

}  // namespace
}  // namespace qv
