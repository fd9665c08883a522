// The string tree's text widths: a font chosen by the paint handler is the
// font measured, so label hits and the widest row follow what is painted;
// a new tree font measures every row again.
#include "TreeTestSupport.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"

namespace qv::test {
namespace {

class StringTree : public TreeTest {};

TEST_F(StringTree, TheFontOfThePaintHandlerIsTheFontMeasured) {
  TDataStringTree* t = NewTree({0, 0, 400, 200});
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = u"Wide enough text";
  };
  t->SetRootNodeCount(2);
  PDataNode plain = t->GetFirst(), bold = plain->NextSibling;
  RECT before = t->GetDisplayRect(bold, NoColumn, true);
  t->OnPaintText = [&](TBaseDataTree*, TCanvas* c, PDataNode n, TColumnIndex, TVSTTextType) {
    if (n == bold) c->Font()->SetStyle(TFontStyles{fsBold});
  };
  t->Font()->SetSize(t->Font()->Size() + 1);  // a new font: every width is measured again
  t->Font()->SetSize(t->Font()->Size() - 1);
  RECT p = t->GetDisplayRect(plain, NoColumn, true), b = t->GetDisplayRect(bold, NoColumn, true);
  EXPECT_EQ(p.right - p.left, before.right - before.left);
  EXPECT_GT(b.right - b.left, p.right - p.left + 3);
  // The bold row's label reaches as far as its painted text.
  THitInfo hit;
  int y = (b.top + b.bottom) / 2;
  t->GetHitTestInfoAt(b.right - 2, y, true, hit);
  EXPECT_EQ(hit.HitNode, bold);
  EXPECT_TRUE(hit.HitPositions.Contains(hpOnItemLabel));
  t->GetHitTestInfoAt(b.right - 2, (p.top + p.bottom) / 2, true, hit);
  EXPECT_FALSE(hit.HitPositions.Contains(hpOnItemLabel));
  // A larger tree font widens every row.
  t->Font()->SetSize(t->Font()->Size() * 2);
  RECT larger = t->GetDisplayRect(plain, NoColumn, true);
  EXPECT_GT(larger.right - larger.left, p.right - p.left + 20);
}

TEST_F(StringTree, TheWidestRowCountsTheHandlersFont) {
  TDataStringTree* t = NewTree({0, 0, 400, 200});
  t->Header()->Columns()->Add()->SetWidth(50);
  t->Header()->SetOptions(t->Header()->Options() + hoVisible);
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = u"Same text in every row";
  };
  t->SetRootNodeCount(3);
  int plainWidth = t->GetMaxColumnWidth(0);
  t->OnPaintText = [](TBaseDataTree*, TCanvas* c, PDataNode n, TColumnIndex, TVSTTextType) {
    if (n->Index == 2) c->Font()->SetStyle(TFontStyles{fsBold});
  };
  t->Font()->SetSize(t->Font()->Size() + 1);
  t->Font()->SetSize(t->Font()->Size() - 1);
  EXPECT_GT(t->GetMaxColumnWidth(0), plainWidth + 3);
}

}  // namespace
}  // namespace qv::test
