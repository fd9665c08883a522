// TStringList: sorting and duplicates, Find, text and comma text, names and
// values, change events and streaming.
#include <gtest/gtest.h>

#include <filesystem>

#include "classlib/Strings.h"

namespace qv {
namespace {

TEST(StringList, SortedListAppliesDuplicateRulesAndFindsFirstMatch) {
  TStringList list;
  list.SetSorted(true);
  for (auto s : {"pear", "Apple", "fig", "apple"}) list.Add(s);
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"Apple", "fig", "pear"}));  // dupIgnore, case-blind

  list.Duplicates = dupError;
  EXPECT_THROW(list.Add("PEAR"), EListError);
  list.Duplicates = dupAccept;
  list.Add("FIG");
  int index = -1;
  EXPECT_TRUE(list.Find("fig", index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list[2], "FIG");
  EXPECT_FALSE(list.Find("grape", index));
  EXPECT_EQ(index, 3);  // the insertion point
  EXPECT_THROW(list.Insert(0, "x"), EListError);

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("apple"), -1);
  EXPECT_EQ(list.IndexOf("Apple"), 0);
}

TEST(StringList, SortingUnsortedAndCustomOrders) {
  TStringList list;
  list.SetCommaText("b,c,a");
  list.CustomSort([](TStringList* l, int i, int j) { return l->Strings(j).compare(l->Strings(i)); });
  EXPECT_EQ(list.CommaText(), "c,b,a");
  list.SetSorted(true);
  EXPECT_EQ(list.CommaText(), "a,b,c");
}

TEST(StringList, TextSplitsEveryLineBreakAndJoinsWithNewline) {
  TStringList list;
  list.SetText("one\r\ntwo\rthree\nfour");
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Text(), "one\ntwo\nthree\nfour\n");
  list.SetText("a\n\nb\n");
  EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"a", "", "b"}));
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, CommaTextQuotesWhatNeedsItAndReadsItBack) {
  TStringList list;
  for (auto s : {"plain", "two words", "say \"hi\"", "a,b", ""}) list.Add(s);
  std::string text = list.CommaText();
  EXPECT_EQ(text, "plain,\"two words\",\"say \"\"hi\"\"\",\"a,b\",");
  TStringList back;
  back.SetCommaText(text);
  EXPECT_TRUE(back.Equals(list));
  back.SetCommaText(" x  y ,z,");
  EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"x", "y", "z", ""}));
}

TEST(StringList, NamesAndValues) {
  TStringList list;
  list.SetText("Width=10\nCaption=A=B\nflag");
  EXPECT_EQ(list.Values("width"), "10");
  EXPECT_EQ(list.Values("Caption"), "A=B");
  EXPECT_EQ(list.Names(2), "");
  list.SetValues("Height", "5");
  list.SetValues("Width", "");
  EXPECT_EQ(list.Text(), "Caption=A=B\nflag\nHeight=5\n");
  EXPECT_EQ(list.IndexOfName("HEIGHT"), 2);
}

TEST(StringList, EventsWrapChangesAndUpdatesBatchThem) {
  TStringList list;
  std::string log;
  list.OnChanging = [&](TObject*) { log += "<"; };
  list.OnChange = [&](TObject*) { log += ">"; };
  list.Add("a");
  list.BeginUpdate();
  list.Add("b");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(log, "<><>");
}

TEST(StringList, ObjectsTravelWithTheirStringsAndOwnedOnesAreFreed) {
  static int freed = 0;
  struct Counted : TObject {
    ~Counted() override { ++freed; }
  };
  {
    TStringList list;
    list.OwnsObjects = true;
    list.SetSorted(true);
    auto* zed = new Counted;
    list.AddObject("zed", zed);
    list.AddObject("alpha", new Counted);
    EXPECT_EQ(list.Objects(1), zed);
    EXPECT_EQ(list.IndexOfObject(zed), 1);
    list.Delete(0);
    EXPECT_EQ(freed, 1);
  }
  EXPECT_EQ(freed, 2);
}

TEST(StringList, FilesAreUtf8AndAssignCopies) {
  auto path = std::filesystem::temp_directory_path() / "qv_strings_test.txt";
  TStringList list;
  list.Add("Größe");
  list.Add("日本");
  list.SaveToFile(path.string());
  TStringList back;
  back.LoadFromFile(path.string());
  EXPECT_TRUE(back.Equals(list));
  {
    TFileStream f(path.string(), fmCreate);
    f.WriteBuffer("\xEF\xBB\xBFone\r\ntwo", 11);
  }
  back.LoadFromFile(path.string());
  EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"one", "two"}));
  std::filesystem::remove(path);

  TStringList copy;
  copy.Assign(&list);
  EXPECT_TRUE(copy.Equals(list));
}

}  // namespace
}  // namespace qv
