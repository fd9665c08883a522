// Wildcard masks: the syntax table, case folding, characters as code points,
// malformed masks, and agreement with the name order's prefix runs.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "catalogue/Masks.h"
#include "catalogue/Names.h"

namespace qv {
namespace {

struct Case {
  const char* mask;
  const char* name;
  bool match;
};

TEST(MatchesMask, SyntaxTable) {
  const Case cases[] = {
      {"*", "", true},
      {"*", "anything.at.all", true},
      {"*", "bad \xFF\xC3 bytes", true},
      {"a?*", "a\xFF", true},
      {"a?*", "a", false},
      {"a*", "abc", true},
      {"*c", "abc", true},
      {"a*c", "ac", true},
      {"a*c", "abcbd", false},
      {"a**b", "ab", true},
      {"a*b*c", "aXbYc", true},
      {"*a", "aaab", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"?", "", false},
      {"??", "abc", false},
      {"*.txt", "Readme.TXT", true},
      {"*.*", "noext", false},
      {"[abc]x", "bx", true},
      {"[abc]x", "dx", false},
      {"[a-c]*", "Cat", true},
      {"[A-C]*", "cat", true},
      {"[!a-c]*", "Cat", false},
      {"[!a-c]*", "dog", true},
      {"[0-9][0-9]", "42", true},
      {"[0-9][0-9]", "4x", false},
      {"[[]x", "[x", true},
      {"[z-a]", "m", false},  // a reversed range holds nothing
      {"[!z-a]", "m", true},
      {"x]", "x]", true},
      {"abc", "ABC", true},
      {"abc", "abcd", false},
  };
  for (auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.mask << " / " << c.name;
}

TEST(MatchesMask, FoldsCaseAndCountsCodePoints) {
  EXPECT_TRUE(MatchesMask("Äpfel", "ä*"));
  EXPECT_TRUE(MatchesMask("σοφία", "Σ*"));
  EXPECT_TRUE(MatchesMask("café", "caf?"));
  EXPECT_TRUE(MatchesMask("CAFÉ", "caf?"));
  EXPECT_FALSE(MatchesMask("cafe\xCC\x81", "caf?"));  // e and a combining accent: two characters
  EXPECT_TRUE(MatchesMask("\xF0\x9F\x98\x80.png", "?.png"));
  EXPECT_TRUE(MatchesMask("\xFF", "?"));        // an invalid byte is one character
  EXPECT_TRUE(MatchesMask("Émile", "[à-ö]*"));  // ranges take either case
  EXPECT_TRUE(MatchesMask("émile", "[À-Ö]*"));
  EXPECT_TRUE(MatchesMask("kelvin", "[\u212A]elvin"));
  EXPECT_FALSE(MatchesMask("straße", "strasse"));
}

TEST(MatchesMask, SetsFoldLikePlainCharacters) {
  EXPECT_FALSE(MatchesMask("\u0131.txt", "[I]*"));  // dotless i does not fold to i
  EXPECT_FALSE(MatchesMask("\u0130.txt", "[i]*"));  // nor does capital I with a dot
  EXPECT_TRUE(MatchesMask("\u0130.txt", "[!a-z]*"));
  EXPECT_TRUE(MatchesMask("s.txt", "[\u017F]*"));  // long s folds to s
  EXPECT_TRUE(MatchesMask("\u03C2", "[\u03A3]"));  // final sigma to capital sigma
  // A one-character set takes exactly what the character itself takes.
  const char* atoms[] = {"a",      "A",      "i",      "I", "\u0131", "\u0130", "s", "S", "\u017F",
                         "\u03C2", "\u03C3", "\u03A3", "k", "\u212A", "\xFF",   "_", "["};
  const int n = int(std::size(atoms));
  for (int x = 0; x < n; ++x) {
    std::string atom = atoms[x], set = std::string("[") + atom + "]";
    if (atom == "[") continue;
    for (int y = 0; y < n; ++y) {
      std::string name = std::string(atoms[y]) + "x";
      EXPECT_EQ(MatchesMask(name, set + "x"), MatchesMask(name, atom + "x")) << set << " / " << name;
      EXPECT_EQ(MatchesMask(name, "[!" + atom + "]x"), !MatchesMask(name, atom + "x"))
          << set << " / " << name;
    }
  }
}

TEST(MatchesMask, MalformedMasksRaise) {
  for (const char* mask : {"a[", "[", "[abc", "[]", "[!]", "[]]", "[-a]", "[a-]", "[a-", "[a-z-]", "x[!"})
    EXPECT_THROW(MatchesMask("anything", mask), EMaskException) << mask;
  std::string thirty, thirtyOne;
  for (int i = 0; i < 15; ++i) thirty += "a?";
  thirtyOne = thirty + "*";
  EXPECT_NO_THROW(MatchesMask("x", thirty));
  EXPECT_THROW(MatchesMask("x", thirtyOne), EMaskException);
  // A long literal name is one part, however long.
  std::string longName(200, 'n');
  EXPECT_TRUE(MatchesMask(longName, longName));
}

TEST(MatchesMask, BacktrackingStaysPolynomial) {
  std::string name(2000, 'a');
  EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(MatchesMask(name + "b", "*a*a*a*a*a*a*a*a*b"));
}

TEST(MatchesMask, PrefixMaskAgreesWithTheNameOrder) {
  // The search walks the prefix run of a mask's literal key: every name the
  // mask takes must lie in that run, and with a plain "key*" mask the two agree.
  std::mt19937 rng(11);
  const char* atoms[] = {"a", "A", "é", "É", "z", "Z", "ς", "Σ", "k", "\u212A", "0", "_", "\xFF"};
  auto random = [&](int maxLen) {
    std::string s;
    for (int n = std::uniform_int_distribution<int>(0, maxLen)(rng); n > 0; --n)
      s += atoms[std::uniform_int_distribution<int>(0, 12)(rng)];
    return s;
  };
  for (int i = 0; i < 3000; ++i) {
    std::string name = random(5), key = random(2);
    EXPECT_EQ(MatchesMask(name, key + "*"), StartsWithFolded(name, key)) << name << " / " << key;
    if (MatchesMask(name, key + "?*")) {
      EXPECT_TRUE(StartsWithFolded(name, key));
    }
  }
}

TEST(MatchesMask, SuffixMasksAgreeWithFoldedEndings) {
  // A mask that ends in plain characters after "*" takes exactly the names
  // whose folded text ends in them, whatever the bytes before or in the end.
  std::mt19937 rng(17);
  const char* atoms[] = {"a", "K", "k", "\u212A", "s", "S", "\u017F", ".", "t", "T", "x", "\xFF", "\xC3\xA9"};
  const char* tails[] = {"k", "K", "s", ".t", "T.", "x", "ks", ".txt"};
  auto random = [&](int maxLen) {
    std::string s;
    for (int n = std::uniform_int_distribution<int>(0, maxLen)(rng); n > 0; --n)
      s += atoms[rng() % std::size(atoms)];
    return s;
  };
  for (int i = 0; i < 4000; ++i) {
    const std::string name = random(6), tail = tails[rng() % std::size(tails)];
    const std::string folded = FoldName(name), end = FoldName(tail);
    const bool expected =
        folded.size() >= end.size() && folded.compare(folded.size() - end.size(), end.size(), end) == 0;
    EXPECT_EQ(MatchesMask(name, "*" + tail), expected) << name << " / " << tail;
    EXPECT_EQ(MatchesMask(name + ".txt", "*" + tail + "*.TXT"), MatchesMask(name, "*" + tail + "*")) << name;
  }
}

TEST(MatchesFilePattern, TakesBracketsLiterallyAndNeverRaises) {
  EXPECT_TRUE(MatchesFilePattern("a[", "a["));
  EXPECT_TRUE(MatchesFilePattern("A[", "a["));
  EXPECT_FALSE(MatchesFilePattern("ab", "a["));
  EXPECT_TRUE(MatchesFilePattern("[x].txt", "[x]*"));
  EXPECT_FALSE(MatchesFilePattern("x.txt", "[x]*"));
  EXPECT_TRUE(MatchesFilePattern("noext", "*.*"));
  EXPECT_TRUE(MatchesFilePattern("Any", "*"));
  EXPECT_FALSE(MatchesFilePattern("any", ""));
  EXPECT_TRUE(MatchesFilePattern("ab", "a?"));
}

}  // namespace
}  // namespace qv
