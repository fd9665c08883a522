// The category chosen in the disc view belongs to one catalogue: making,
// opening, clearing or closing a catalogue chooses all categories again, so
// a choice that named a category of the old catalogue never hides the discs
// of the new one.
#include "EngineFixture.h"

namespace qv::test {
namespace {

class CategoryChoiceTest : public EngineFixture {
 protected:
  // Chooses a category the default list lacks.
  void ChooseOwnCategory() {
    TDiscKinds& kinds = engine->Discs->Categories;
    kinds.Add("Ebooks");
    kinds.Selected = kinds.IndexOf("Ebooks");
    ASSERT_GE(kinds.Selected, 10);
  }
  // The discs the disc view is given by a refill.
  std::size_t ShownDiscs() {
    engine->RefreshViews(false);
    return host.discRows.size();
  }
};

TEST_F(CategoryChoiceTest, EveryNewCatalogueStartsWithAllCategories) {
  ChooseOwnCategory();
  ASSERT_TRUE(engine->ClearDatabase());
  EXPECT_EQ(engine->Discs->Categories.Selected, -1);
  MakeFile(Tree("a.txt"), 3);
  AddDisc("After clear", Tree());
  EXPECT_EQ(ShownDiscs(), 1u);

  ChooseOwnCategory();
  host.folder = dir / "second";
  ASSERT_TRUE(engine->NewDatabase("", "Second"));
  EXPECT_EQ(engine->Discs->Categories.Selected, -1);
  AddDisc("In the second", Tree());
  EXPECT_EQ(ShownDiscs(), 1u);

  ChooseOwnCategory();
  host.folder = dir / "db";
  ASSERT_TRUE(engine->OpenDatabase("secret"));
  EXPECT_EQ(engine->Discs->Categories.Selected, -1);
  EXPECT_EQ(ShownDiscs(), 1u);

  ChooseOwnCategory();
  ASSERT_TRUE(engine->CloseDatabase());
  EXPECT_EQ(engine->Discs->Categories.Selected, -1);
}

}  // namespace
}  // namespace qv::test
