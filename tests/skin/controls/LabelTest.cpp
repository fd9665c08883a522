// Skinned labels: without a skin they look and size like the class
// library's label and move the focus by their accelerator; under a skin
// they take its font colour (unless told not to, or the skin has none),
// disabled text is the font colour mixed with the background, the skin's
// removal gives the window text colour back, and a bound label's edit label
// can be freed on its own.
#include <set>

#include "BarsSkin.h"
#include "classlib/stdctrls/CustomEdit.h"
#include "classlib/stdctrls/Label.h"
#include "skin/controls/skLabel.h"
#include "skin/skColors.h"
#include "skin/skCommonData.h"
#include "skin/skMessages.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class Labels : public SkinnedControlsTest {
 protected:
  template <class L>
  L* Put(int x, int y, const std::string& caption) {
    auto* l = new L(form);
    l->SetParent(form);
    l->SetLeft(x), l->SetTop(y);
    l->Font()->SetHeight(-20);
    l->SetCaption(caption);
    return l;
  }
  std::set<uint32_t> Colours(TControl* c) {
    backend.Pump();
    const Surface s = backend.Screenshot();
    std::set<uint32_t> out;
    for (int y = c->Top(); y < c->Top() + c->Height(); ++y)
      for (int x = c->Left(); x < c->Left() + c->Width(); ++x) out.insert(s.At(x, y) & 0xFFFFFF);
    return out;
  }
  void ExpectSamePixels(TControl* a, TControl* b) {
    ASSERT_EQ(a->Width(), b->Width());
    ASSERT_EQ(a->Height(), b->Height());
    backend.Pump();
    const Surface s = backend.Screenshot();
    for (int y = 0; y < a->Height(); ++y)
      for (int x = 0; x < a->Width(); ++x)
        ASSERT_EQ(s.At(a->Left() + x, a->Top() + y), s.At(b->Left() + x, b->Top() + y)) << x << "," << y;
  }
};

TEST_F(Labels, WithoutASkinTheyAreThePlainLabel) {
  auto* plain = Put<TLabel>(10, 10, "&Name of the disc");
  auto* skinned = Put<TSkLabel>(10, 60, "&Name of the disc");
  EXPECT_TRUE(skinned->Transparent());
  ExpectSamePixels(plain, skinned);  // auto-sized alike, drawn alike
  plain->SetEnabled(false);
  skinned->SetEnabled(false);
  ExpectSamePixels(plain, skinned);  // the embossed disabled look
  EXPECT_TRUE(Colours(skinned).count(Rgb(clBtnHighlight)));
  // The accelerator moves the focus to the label's control.
  skinned->SetEnabled(true);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(200, 60, 100, 21);
  skinned->SetFocusControl(edit);
  TMessage m{CM_DIALOGCHAR, 'n', 0, 0};
  skinned->Dispatch(m);
  EXPECT_EQ(m.Result, 1);
  EXPECT_TRUE(edit->Focused());
  // An empty caption still measures one blank high; the font changes the size.
  skinned->SetCaption("");
  EXPECT_GT(skinned->Height(), 0);
  const int h = skinned->Height();
  skinned->Font()->SetHeight(-30);
  EXPECT_GT(skinned->Height(), h);
}

TEST_F(Labels, TheSkinGivesTheFontColourUnlessTheLabelKeepsItsOwn) {
  auto* follows = Put<TSkLabel>(10, 10, "Follows");
  auto* own = Put<TSkLabel>(10, 60, "Own colour");
  own->UseSkinColor = false;
  own->Font()->SetColor(clGreen);
  LoadSkin();
  follows->Repaint();
  own->Repaint();
  EXPECT_EQ(follows->Font()->Color(), kGlobalFont);
  EXPECT_TRUE(Colours(follows).count(Rgb(kGlobalFont)));
  EXPECT_EQ(own->Font()->Color(), clGreen);
  // The skin's removal gives the labels that followed it the window text colour.
  manager->SetActive(false);
  backend.Pump();
  EXPECT_EQ(follows->Font()->Color(), clWindowText);
  EXPECT_EQ(own->Font()->Color(), clGreen);
}

// Labels draw no skin of their own, so the query whether they handle the
// skin commands goes unanswered; only the default manager's removal gives
// them the window text colour, another manager's leaves them be.
TEST_F(Labels, OnlyTheDefaultManagersRemovalTakesTheirColourAndTheQueryGoesUnanswered) {
  auto* label = Put<TSkLabel>(10, 10, "Follows");
  auto* custom = Put<TSkCustomLabel>(10, 60, "Custom");
  LoadSkin();
  ASSERT_EQ(DefaultManager, manager.get());
  for (TControl* l : {static_cast<TControl*>(label), static_cast<TControl*>(custom)}) {
    TMessage query{SM_SKINCMD, MakeSkinWParam(AC_CTRLHANDLED), 0, 0};
    l->WindowProc(query);
    EXPECT_EQ(query.LParam, 0);
  }
  label->Font()->SetColor(clGreen);
  custom->Font()->SetColor(clGreen);
  const LPARAM own = reinterpret_cast<LPARAM>(DefaultManager), other = own + 0x40;
  label->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED), other);
  custom->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED), other);
  EXPECT_EQ(label->Font()->Color(), clGreen);
  EXPECT_EQ(custom->Font()->Color(), clGreen);
  label->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED), own);
  custom->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINREMOVED), own);
  EXPECT_EQ(label->Font()->Color(), clWindowText);
  EXPECT_EQ(custom->Font()->Color(), clWindowText);
}

TEST_F(Labels, NoColourInTheSkinKeepsTheLabelsColour) {
  auto* l = Put<TSkLabel>(10, 10, "Kept");
  l->Font()->SetColor(clMaroon);
  LoadSkin("Magenta");
  l->Repaint();
  backend.Pump();
  EXPECT_EQ(l->Font()->Color(), clMaroon);
}

TEST_F(Labels, DisabledTextUnderASkinMixesFontAndBackground) {
  auto* l = Put<TSkLabel>(10, 10, "WWW Disabled");
  l->Font()->SetStyle(TFontStyles{fsBold});
  LoadSkin();
  l->SetEnabled(false);
  const std::set<uint32_t> seen = Colours(l);
  const TColor mixed = MixColors(ColorToRGB(kGlobalFont), ColorToRGB(form->Color()), 0.4);
  EXPECT_TRUE(seen.count(Rgb(mixed)));
  EXPECT_FALSE(seen.count(Rgb(kGlobalFont)));     // never the full font colour
  EXPECT_FALSE(seen.count(Rgb(clBtnHighlight)));  // and no emboss
}

TEST_F(Labels, TheBoundLabelMakesAnEditLabelThatCanGoOnItsOwn) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetName("DiscName");
  edit->SetBounds(100, 50, 120, 21);
  TSkCommonData data(edit, false);
  TSkBoundLabel bound(&data);
  bound.SetActive(true);
  auto* label = dynamic_cast<TSkEditLabel*>(bound.Label());
  ASSERT_TRUE(label);
  EXPECT_EQ(label->BoundLabel(), &bound);
  EXPECT_EQ(label->Parent(), form);
  EXPECT_EQ(label->Caption(), "DiscName");
  EXPECT_EQ(label->Alignment(), taRightJustify);  // beside the edit
  bound.SetLayout(sclTopCenter);
  EXPECT_EQ(label->Alignment(), taCenter);
  EXPECT_EQ(label->Left(), 100 + (120 - label->Width()) / 2);
  EXPECT_EQ(label->Top() + label->Height(), 50);
  delete label;  // freed directly: the bound label forgets it
  EXPECT_FALSE(bound.Active());
  bound.SetActive(true);
  EXPECT_TRUE(bound.Active());
  EXPECT_NE(bound.Label(), nullptr);
}

}  // namespace
}  // namespace qv::test
