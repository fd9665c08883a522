// Sound behaviour where the obvious reading would crash or corrupt: node
// references cleared on deletion, every reference to a freed component
// cleared, animations of no duration, and blending clipped to both bitmaps.
#include <cstring>

#include "TreeTestSupport.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/graphics/Picture.h"
#include "datatree/DataTreeDrawing.h"
#include "datatree/TreeViewMessages.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"

namespace qv::test {
namespace {

using Faults = TreeTest;

TEST_F(Faults, DeletingANodeClearsEveryReferenceToIt) {
  TDataStringTree* t = NewTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(4);
  t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = n->Index == 1 ? u"bx" : u"a";
  };
  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + toCheckSupport);
  t->SetIncrementalSearch(isAll);
  t->SetFocus();
  Pump();
  backend.KeyPress('B');
  backend.TypeText(u"b");
  Pump();
  PDataNode hit = t->LastSearchNode();
  ASSERT_NE(hit, nullptr);
  t->DeleteNode(hit);
  EXPECT_EQ(t->LastSearchNode(), nullptr);
  // A pending Space check on a node that goes away.
  PDataNode c = t->GetFirst();
  t->SetCheckType(c, ctCheckBox);
  t->SetFocusedNode(c);
  backend.KeyDown(VK_SPACE);
  Pump();
  t->DeleteNode(c);
  backend.KeyUp(VK_SPACE);
  Pump();
  // A structure change recorded for a node deleted before it is announced.
  std::vector<PDataNode> announced;
  t->OnStructureChange = [&](TBaseDataTree*, PDataNode n, TChangeReason) { announced.push_back(n); };
  PDataNode p = t->GetFirst();
  t->SetChildCount(p, 3);
  announced.clear();
  t->BeginUpdate();
  t->DeleteChildren(p);
  t->DeleteNode(p);
  t->EndUpdate();
  ASSERT_EQ(announced.size(), 1u);
  EXPECT_NE(announced[0], p);
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

// Emptying a tree drops its nodes all at once when no free event wants them
// one by one: nothing the tree keeps may still point at them, and the tree
// fills and empties again as before. With a free event, each node is told.
TEST_F(Faults, ClearingForgetsEveryNodeWithOrWithoutAFreeEvent) {
  for (bool told : {false, true}) {
    TDataStringTree* t = NewTree();
    t->SetNodeDataSize(8);
    int freed = 0;
    if (told) t->OnFreeNode = [&](TBaseDataTree*, PDataNode) { ++freed; };
    t->OnGetText = [](TBaseDataTree*, PDataNode n, TColumnIndex, TVSTTextType, std::u16string& s) {
      s = n->Index % 2 ? u"bx" : u"a";
    };
    t->SetIncrementalSearch(isAll);
    for (int round = 0; round < 2; ++round) {
      t->SetRootNodeCount(50);
      for (PDataNode n = t->GetFirst(); n; n = n->NextSibling) t->SetChildCount(n, 3);
      t->FullExpand();
      PDataNode second = t->GetFirst()->NextSibling;
      t->SetSelected(second, true);
      t->SetSelected(second->FirstChild, true);
      t->SetFocusedNode(second->FirstChild);
      t->SetFocus();
      Pump();
      backend.KeyPress('B');
      backend.TypeText(u"b");
      Pump();
      ASSERT_NE(t->LastSearchNode(), nullptr);
      int announced = 0;
      t->OnStructureChange = [&](TBaseDataTree*, PDataNode, TChangeReason) { ++announced; };
      freed = 0;
      t->Clear();
      t->OnStructureChange = nullptr;
      EXPECT_EQ(announced, 1);
      EXPECT_EQ(freed, told ? 200 : 0);
      EXPECT_EQ(t->TotalCount(), 0u);
      EXPECT_EQ(t->FocusedNode(), nullptr);
      EXPECT_EQ(t->GetFirstSelected(), nullptr);
      EXPECT_EQ(t->LastSearchNode(), nullptr);
      EXPECT_EQ(t->GetFirst(), nullptr);
      EXPECT_TRUE(TreeInvariantsHold(*t));
      Pump();  // paints the empty tree
    }
  }
}

TEST_F(Faults, TreeViewMessagesTakeOnlyLiveNodesOfThisTreeAndRealBuffers) {
  using namespace treeview;
  TDataStringTree* t = NewTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(3);
  t->OnGetText = [](TBaseDataTree*, PDataNode, TColumnIndex, TVSTTextType, std::u16string& s) {
    s = u"Hello";
  };
  auto other = DetachedTree();
  other->SetNodeDataSize(4);
  other->SetRootNodeCount(3);
  PDataNode mine = t->GetFirst(), foreign = other->GetFirst();
  HWND h = t->Handle();
  // Navigation: a node is required, and it must be one of ours.
  EXPECT_EQ(SendMessage(h, TVM_GETNEXTITEM, TVGN_NEXT, 0), 0);
  EXPECT_EQ(SendMessage(h, TVM_GETNEXTITEM, TVGN_PARENT, LPARAM(foreign)), 0);
  EXPECT_EQ(SendMessage(h, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(mine)), LRESULT(mine->NextSibling));
  EXPECT_EQ(SendMessage(h, TVM_GETNEXTITEM, TVGN_ROOT, 0), LRESULT(mine));
  // A deleted node is refused even though its memory is still the tree's.
  PDataNode gone = mine->NextSibling;
  t->DeleteNode(gone);
  EXPECT_EQ(SendMessage(h, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(gone)), 0);
  // The rectangle carries a whole pointer.
  RECT r{};
  std::memcpy(static_cast<void*>(&r), &mine, sizeof(mine));
  EXPECT_EQ(SendMessage(h, TVM_GETITEMRECT, 0, LPARAM(&r)), 1);
  EXPECT_EQ(r.bottom - r.top, 18);
  std::memcpy(static_cast<void*>(&r), &foreign, sizeof(foreign));
  EXPECT_EQ(SendMessage(h, TVM_GETITEMRECT, 0, LPARAM(&r)), 0);
  // Text goes only into a buffer of at least one character, cut to fit.
  char buffer[4] = {'x', 'x', 'x', 'x'};
  TVITEMA item;
  item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE | TVIF_CHILDREN;
  item.hItem = mine;
  item.pszText = buffer;
  item.cchTextMax = 0;
  EXPECT_EQ(SendMessage(h, TVM_GETITEMA, 0, LPARAM(&item)), 0);
  EXPECT_EQ(buffer[0], 'x');
  item.cchTextMax = 3;
  EXPECT_EQ(SendMessage(h, TVM_GETITEMA, 0, LPARAM(&item)), 1);
  EXPECT_STREQ(buffer, "He");
  EXPECT_EQ(buffer[3], 'x');
  item.hItem = foreign;
  EXPECT_EQ(SendMessage(h, TVM_GETITEMA, 0, LPARAM(&item)), 0);
}

TEST_F(Faults, AFreedImageListIsForgottenInEveryRole) {
  TDataStringTree* t = NewTree();
  auto* list = new TCustomImageList(nullptr, 16, 16);
  t->SetImages(list);
  t->SetStateImages(list);
  t->Header()->SetImages(list);
  t->SetCustomCheckImages(list);
  t->SetCheckImageKind(ckCustom);
  delete list;
  EXPECT_EQ(t->Images(), nullptr);
  EXPECT_EQ(t->StateImages(), nullptr);
  EXPECT_EQ(t->Header()->Images(), nullptr);
  EXPECT_EQ(t->CustomCheckImages(), nullptr);
  EXPECT_EQ(t->CheckImages(), nullptr);
  t->SetRootNodeCount(3);
  Pump();  // paints without the list
}

TEST_F(Faults, BackgroundPicturesTileAndAnEmptyOneIsSkipped) {
  TDataStringTree* t = NewTree({0, 0, 200, 100});
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(2);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + toShowBackground);
  t->SetIndent(0);
  Pump();  // no picture yet: plain colour
  EXPECT_EQ(PixelAt(150, 80), PixelRGB(255, 255, 255) & 0xFFFFFF);
  TPicture empty;
  empty.Bitmap()->SetSize(0, 0);
  t->SetBackground(&empty);
  Pump();
  TPicture picture;
  picture.Bitmap()->SetSize(7, 5);
  picture.Bitmap()->Canvas()->Brush()->SetColor(clRed);
  picture.Bitmap()->Canvas()->FillRect(RECT{0, 0, 7, 5});
  t->SetBackground(&picture);
  Pump();
  // Red behind the rows and below them.
  EXPECT_EQ(PixelAt(150, 5), PixelRGB(255, 0, 0) & 0xFFFFFF);
  EXPECT_EQ(PixelAt(150, 80), PixelRGB(255, 0, 0) & 0xFFFFFF);
}

TEST_F(Faults, AnimationWithoutDurationJustToggles) {
  TDataStringTree* t = NewTree();
  t->SetNodeDataSize(4);
  t->SetRootNodeCount(3);
  t->SetChildCount(t->GetFirst(), 5);
  t->SetAnimationDuration(0);
  EXPECT_FALSE(t->TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
  // Switched on by hand with no duration: still no division and no wait.
  t->TreeOptions()->SetAnimationOptions({toAnimatedToggle});
  t->SetExpanded(t->GetFirst(), true);
  EXPECT_TRUE(t->Expanded(t->GetFirst()));
  t->SetExpanded(t->GetFirst(), false);
  EXPECT_FALSE(t->TreeStates().Contains(tsInAnimation));
  EXPECT_TRUE(TreeInvariantsHold(*t));
}

struct Dib {
  HDC dc;
  HBITMAP bmp;
  uint32_t* px;
  int w, h;
  Dib(int width, int height, uint32_t fill, bool topDown = true) : w(width), h(height) {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = topDown ? -height : height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bmp);
    px = static_cast<uint32_t*>(bits);
    std::fill(px, px + width * height, fill);
  }
  ~Dib() {
    DeleteDC(dc);
    DeleteObject(bmp);
  }
};

TEST_F(Faults, BlendingStaysInsideBothBitmaps) {
  Dib src(8, 8, 0x00FFFFFF), dst(4, 4, 0x00000000, false);
  // R and Target both reach past the bitmaps: source (0, 0) lands on (2, 2)
  // and only the overlap changes (the destination is a bottom-up DIB).
  BlendRect(src.dc, dst.dc, RECT{-5, -5, 20, 20}, POINT{-3, -3}, bmConstantAlpha, 128, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(dst.px[(3 - y) * 4 + x] & 0xFF, x >= 2 && y >= 2 ? 0x7Fu : 0u) << x << "," << y;
  // Bias saturates; constant alpha 0 leaves the destination.
  Dib d2(2, 2, 0x00808080);
  BlendRect(src.dc, d2.dc, RECT{0, 0, 2, 2}, POINT{0, 0}, bmConstantAlpha, 0, 0);
  EXPECT_EQ(d2.px[0], 0x00808080u);
  BlendRect(src.dc, d2.dc, RECT{0, 0, 2, 2}, POINT{0, 0}, bmConstantAlpha, 0, 200);
  EXPECT_EQ(d2.px[0] & 0xFFFFFF, 0xFFFFFFu);
  // A colour wash with black at half strength halves every byte.
  Dib d3(2, 2, 0x00808080);
  BlendRect(nullptr, d3.dc, RECT{0, 0, 5, 5}, POINT{0, 0}, bmColorWash, 128, 0);
  EXPECT_EQ(d3.px[3] & 0xFFFFFF, 0x404040u);
  EXPECT_THROW(BlendRect(src.dc, CreateCompatibleDC(nullptr), RECT{0, 0, 1, 1}, POINT{}, 0, 1, 0),
               EAssertionFailed);
  RECT n = NormalizeRect(RECT{10, 20, 0, 5});
  EXPECT_EQ(n.left, 0);
  EXPECT_EQ(n.bottom, 20);
}

TEST_F(Faults, ShortenTextKeepsWhatFits) {
  TDataStringTree* t = NewTree();
  HDC dc = GetDC(t->Handle());
  SIZE one{}, dots{};
  GetTextExtentPoint32W(dc, reinterpret_cast<const WCHAR*>(u"a"), 1, &one);
  GetTextExtentPoint32W(dc, reinterpret_cast<const WCHAR*>(u"..."), 3, &dots);
  int w = one.cx + dots.cx;
  EXPECT_EQ(ShortenText(dc, u"aaaaaa", w, false, 0), u"a...");
  EXPECT_EQ(ShortenText(dc, u"aaaaaa", w, true, 0), u"...a");
  EXPECT_EQ(ShortenText(dc, u"aaaaaa", dots.cx, false, 0), u"");
  ReleaseDC(t->Handle(), dc);
}

}  // namespace
}  // namespace qv::test
