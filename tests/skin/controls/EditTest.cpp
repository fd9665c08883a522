// The skinned edit and mask edit: without a manager they paint every pixel
// as the plain edit does and answer only their queries; with the test skin
// they paint the skin's border by state, never show a password's text, and
// a borderless mask edit gets its border when the skin arrives.
#include <gtest/gtest.h>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/controls/skEdit.h"
#include "skin/controls/skMaskEdit.h"
#include "skin/skMessages.h"
#include "skin/skinManager.h"
#include "tests/skin/SkinTestSupport.h"
#include "tests/skin/SkinnedFormTest.h"
#include "tests/skin/TestSkins.h"

namespace qv::test {
namespace {

class Edits : public SkinnedFormTest {
 protected:
  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 400, 300);
    form->SetColor(clBtnFace);
    // The focus rests here, so the edits under test show their idle look.
    sink = new TEdit(form);
    sink->SetParent(form);
    sink->SetBounds(300, 250, 50, 21);
    form->SetActiveControl(sink);
  }
  template <class E>
  E* Add(int x, int y, const std::string& text) {
    auto* e = new E(form);
    e->SetParent(form);
    e->SetBounds(x, y, 120, 21);
    e->SetText(text);
    return e;
  }
  void UseTestSkin() {
    root = MakeTestSkins(dir);
    LoadSkin("TestSkin");
  }
  TEdit* sink = nullptr;
};

TEST_F(Edits, UnskinnedPaintsEveryPixelAsThePlainEdit) {
  auto* plain = Add<TEdit>(10, 10, "Quirvane 42");
  auto* skinned = Add<TSkEdit>(10, 50, "Quirvane 42");
  auto* plainMask = Add<TMaskEdit>(200, 10, "");
  auto* skinnedMask = Add<TSkMaskEdit>(200, 50, "");
  plainMask->SetEditMask("!99/99/9999;1;_");
  skinnedMask->SetEditMask("!99/99/9999;1;_");
  form->Show();
  backend.Pump();
  const Surface shot = backend.Screenshot();
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 120; ++x) {
      ASSERT_EQ(At(shot, plain, x, y), At(shot, skinned, x, y)) << x << "," << y;
      ASSERT_EQ(At(shot, plainMask, x, y), At(shot, skinnedMask, x, y)) << x << "," << y;
    }
}

TEST_F(Edits, QueriesWithoutAManager) {
  auto* e = Add<TSkEdit>(10, 10, "x");
  auto* m = Add<TSkMaskEdit>(10, 40, "y");
  form->Show();
  backend.Pump();
  for (TControl* c : {static_cast<TControl*>(e), static_cast<TControl*>(m)}) {
    TMessage q{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
    c->WindowProc(q);
    EXPECT_EQ(q.LParam, 1);
  }
  TMessage q19{SM_SKINCMD, MakeSkinWParam(AC_BGNOTPLAIN), 0, 7};
  q19.LParam = 7;
  e->WindowProc(q19);
  EXPECT_EQ(q19.LParam, 0);
  // Commands for another manager change nothing; the border stays as set.
  m->SetBorderStyle(bsNone);
  m->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINLOADED), 0x1234);
  EXPECT_EQ(m->BorderStyle(), bsNone);
  EXPECT_EQ(e->SkinData()->SkinSection(), "EDIT");
  EXPECT_EQ(m->SkinData()->SkinSection(), "EDIT");
}

// The text of the cache keeps clear of the border and of each bevel the
// frame has, one pixel a bevel, counted only with a bevel kind.
struct ProbeEdit : TSkEdit {
  using TSkEdit::CacheTextRect;
  using TSkEdit::TSkEdit;
};

TEST_F(Edits, CacheTextStaysInsideTheBorderAndTheBevels) {
  auto* e = Add<ProbeEdit>(10, 10, "x");
  auto margin = [&] { return e->CacheTextRect().left - 1; };
  EXPECT_EQ(e->CacheTextRect(), (RECT{3, 3, 118, 19}));
  e->SetBevelInner(bvLowered);
  EXPECT_EQ(margin(), 2);  // no kind, no bevels
  e->SetBevelKind(bkFlat);
  EXPECT_EQ(margin(), 4);
  EXPECT_EQ(e->CacheTextRect(), (RECT{5, 5, 116, 17}));
  e->SetBevelOuter(bvNone);
  EXPECT_EQ(margin(), 3);
  e->SetBorderStyle(bsNone);
  EXPECT_EQ(margin(), 1);
}

TEST_F(Edits, SkinnedEditPaintsTheBorderByState) {
  UseTestSkin();
  auto* e = Add<TSkEdit>(10, 10, "text");
  auto* other = Add<TSkEdit>(10, 60, "");
  (void)sink;
  form->Show();
  backend.Pump();
  ASSERT_TRUE(e->SkinData()->Skinned(true));
  Surface shot = backend.Screenshot();
  // The border image's pixels name their place: state 0 starts at x 0, state 1 at 60.
  EXPECT_EQ(At(shot, e, 0, 0), Coded(0, 0, 50) & 0xFFFFFF);
  EXPECT_EQ(At(shot, e, 1, 1), Coded(1, 1, 50) & 0xFFFFFF);
  e->SetFocus();
  backend.Pump();
  shot = backend.Screenshot();
  EXPECT_EQ(At(shot, e, 0, 0), Coded(60, 0, 50) & 0xFFFFFF);
  other->SetFocus();
  backend.Pump();
  shot = backend.Screenshot();
  EXPECT_EQ(At(shot, e, 0, 0), Coded(0, 0, 50) & 0xFFFFFF);
  EXPECT_EQ(At(shot, other, 0, 0), Coded(60, 0, 50) & 0xFFFFFF);
}

// The end of an update is the skinned edit's business once the plain edit has
// seen it; an unskinned edit leaves its state alone.
TEST_F(Edits, TheEndOfAnUpdateIsTakenOnlyWhileSkinned) {
  auto* plain = Add<TSkEdit>(10, 60, "");
  plain->SkinData()->Updating = true;
  plain->Perform(SM_SKINCMD, MakeSkinWParam(AC_ENDUPDATE), 0);
  EXPECT_TRUE(plain->SkinData()->Updating);
  UseTestSkin();
  auto* e = Add<TSkEdit>(10, 10, "text");
  form->Show();
  backend.Pump();
  ASSERT_TRUE(e->SkinData()->Skinned(true));
  e->SkinData()->Updating = true;
  e->Perform(SM_SKINCMD, MakeSkinWParam(AC_ENDUPDATE), 0);
  EXPECT_FALSE(e->SkinData()->Updating);
}

TEST_F(Edits, SkinnedPasswordShowsOnlyItsCharacters) {
  UseTestSkin();
  auto* secret = Add<TSkEdit>(10, 10, "abc");
  secret->SetPasswordChar(u'*');
  auto* stars = Add<TSkEdit>(10, 60, "***");
  form->Show();
  backend.Pump();
  const Surface shot = backend.Screenshot();
  int differ = 0;
  for (int y = 3; y < 18; ++y)
    for (int x = 3; x < 100; ++x) differ += At(shot, secret, x, y) != At(shot, stars, x, y);
  EXPECT_EQ(differ, 0);
  EXPECT_EQ(MaskedText("a\xC3\xA9z", u'*'), "***");  // one per character, not per byte
}

TEST_F(Edits, SkinArrivingGivesABorderlessMaskEditItsBorder) {
  auto* m = Add<TSkMaskEdit>(10, 10, "");
  m->SetBorderStyle(bsNone);
  form->Show();
  backend.Pump();
  UseTestSkin();
  backend.Pump();
  EXPECT_EQ(m->BorderStyle(), bsSingle);
  EXPECT_TRUE(m->SkinData()->Skinned());
  const Surface shot = backend.Screenshot();
  EXPECT_EQ(At(shot, m, 0, 0), Coded(0, 0, 50) & 0xFFFFFF);
}

}  // namespace
}  // namespace qv::test
