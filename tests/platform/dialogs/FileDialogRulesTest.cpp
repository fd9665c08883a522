// The file dialogs' rules without a window: filter lists, name patterns,
// typed names against the folder shown, and default extensions.
#include <gtest/gtest.h>

#include "platform/dialogs/FileDialogModel.h"

namespace qv::test {
namespace {

TEST(FileDialogRules, FiltersPatternsAndTypedNames) {
  std::u16string raw = u"Text (*.txt)";
  raw += u'\0';
  raw += u"*.txt; *.log";
  raw += u'\0';
  raw += u"Broken";  // a description without patterns ends the list
  raw += u'\0';
  raw += u'\0';
  auto f = dlg::ParseFilters(raw.c_str());
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].patterns, (std::vector<std::u16string>{u"*.txt", u"*.log"}));
  EXPECT_TRUE(dlg::ParseFilters(nullptr).empty());
  EXPECT_TRUE(dlg::MatchesPattern(u"README", u"*.*"));
  EXPECT_TRUE(dlg::MatchesPattern(u"Disc.TXT", u"*.txt"));
  EXPECT_TRUE(dlg::MatchesPattern(u"a.b.txt", u"*.txt"));
  EXPECT_FALSE(dlg::MatchesPattern(u"a.txt.bak", u"*.txt"));
  EXPECT_TRUE(dlg::MatchesPattern(u"x1.log", u"x?.log"));
  EXPECT_FALSE(dlg::MatchesPattern(u"x12.log", u"x?.log"));
  EXPECT_TRUE(dlg::MatchesPattern(std::u16string(200, u'a') + u"b", u"*a*a*a*b"));
  auto t = dlg::ResolveTyped("/tmp/", u"  *.a;*.b ");
  EXPECT_EQ(t.kind, dlg::TypedName::Pattern);
  EXPECT_EQ(t.patterns, (std::vector<std::u16string>{u"*.a", u"*.b"}));
  EXPECT_EQ(dlg::ResolveTyped("/tmp/", u"   ").kind, dlg::TypedName::Nothing);
  t = dlg::ResolveTyped("/tmp/x/", u"../");
  EXPECT_EQ(t.kind, dlg::TypedName::Folder);
  EXPECT_EQ(t.path, "/tmp/");
  t = dlg::ResolveTyped("/tmp/", u"/etc/../tmp/name.txt");
  EXPECT_EQ(t.kind, dlg::TypedName::File);
  EXPECT_EQ(t.path, "/tmp/name.txt");
  EXPECT_EQ(dlg::ParentFolder("/a/b/"), "/a/");
  EXPECT_EQ(dlg::ParentFolder("/"), "/");
  EXPECT_EQ(dlg::WithDefaultExt("/t/r", u".txt"), "/t/r.txt");
  EXPECT_EQ(dlg::WithDefaultExt("/t/r.csv", u"txt"), "/t/r.csv");
  EXPECT_EQ(dlg::WithDefaultExt("/t/r", u""), "/t/r");
}

}  // namespace
}  // namespace qv::test
