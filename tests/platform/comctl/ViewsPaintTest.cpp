// What the views paint: tree images switching to the selected image, state
// images, custom draw that skips an item, the list view's sub-item draw
// stage and images in its views, and columns following the header's order.
#include "ComCtlTestSupport.h"
#include "platform/comctl/ListView.h"
#include "platform/comctl/TreeView.h"
#include "platform/gdi/ImageListApi.h"

namespace qv::test {
namespace {

class ViewsPaint : public ComCtlTest {
 protected:
  void SetUp() override {
    ComCtlTest::SetUp();
    // Three 16x16 images: red, green, blue squares.
    images = ImageList_Create(16, 16, ILC_COLOR32, 3, 1);
    Surface strip(48, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 48; ++x)
        strip.Pixels[size_t(y * 48 + x)] = x < 16 ? 0xFFFF0000u : x < 32 ? 0xFF00FF00u : 0xFF0000FFu;
    ImageList_AddSurface(images, strip);
  }
  void TearDown() override {
    ComCtlTest::TearDown();
    ImageList_Destroy(images);
  }
  HTREEITEM AddNode(HWND tree, const char16_t* text, int image, int selected) {
    TVINSERTSTRUCTW ins;
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<char16_t*>(text);
    ins.item.iImage = image;
    ins.item.iSelectedImage = selected;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, LPARAM(&ins)));
  }
  int AddRow(HWND list, const char16_t* text, int image) {
    LVITEMW it;
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    it.iItem = 1 << 20;
    it.pszText = const_cast<char16_t*>(text);
    it.iImage = image;
    return int(SendMessageW(list, LVM_INSERTITEMW, 0, LPARAM(&it)));
  }

  HIMAGELIST images = nullptr;
};

TEST_F(ViewsPaint, TreeImagesSwitchToTheSelectedImage) {
  HWND tree = Make(WC_TREEVIEW, TVS_HASBUTTONS, {0, 0, 300, 200});
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(images));
  HTREEITEM a = AddNode(tree, u"alpha", 0, 1);
  AddNode(tree, u"beta", 2, 2);
  int h = int(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
  EXPECT_GE(h, 17);  // rows make room for the images
  EXPECT_GT(CountColour({0, 0, 40, h}, 0xFF0000), 200);
  EXPECT_GT(CountColour({0, h, 40, 2 * h}, 0x0000FF), 200);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(a));
  EXPECT_EQ(CountColour({0, 0, 40, h}, 0xFF0000), 0);
  EXPECT_GT(CountColour({0, 0, 40, h}, 0x00FF00), 200);
  // The label starts right of the image: hit testing agrees.
  TVHITTESTINFO info;
  info.pt = POINT{8, h / 2};
  SendMessageW(tree, TVM_HITTEST, 0, LPARAM(&info));
  EXPECT_EQ(info.flags, TVHT_ONITEMICON);
}

TEST_F(ViewsPaint, TreeAsksTheParentForCallbackImagesAndTexts) {
  HWND tree = Make(WC_TREEVIEW, TVS_HASBUTTONS, {0, 0, 300, 200});
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(images));
  TVINSERTSTRUCTW ins;
  ins.hParent = TVI_ROOT;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  ins.item.pszText = LPSTR_TEXTCALLBACKW;
  ins.item.iImage = I_IMAGECALLBACK;
  ins.item.iSelectedImage = I_IMAGECALLBACK;
  auto h = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, LPARAM(&ins)));
  Answer() = [](NMHDR* hdr) -> LRESULT {
    if (hdr->code != TVN_GETDISPINFOW) return 0;
    auto* di = reinterpret_cast<NMTVDISPINFOW*>(hdr);
    if (di->item.mask & TVIF_IMAGE) di->item.iImage = 2;
    if (di->item.mask & TVIF_SELECTEDIMAGE) di->item.iSelectedImage = 1;
    if (di->item.mask & TVIF_TEXT) comctl::CopyText(u"asked", di->item.pszText, di->item.cchTextMax);
    return 0;
  };
  int rowHeight = int(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
  EXPECT_GT(CountColour({0, 0, 40, rowHeight}, 0x0000FF), 200);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, LPARAM(h));
  EXPECT_GT(CountColour({0, 0, 40, rowHeight}, 0x00FF00), 200);
  char16_t buffer[16] = {};
  TVITEMW it;
  it.mask = TVIF_TEXT;
  it.hItem = h;
  it.pszText = buffer;
  it.cchTextMax = 16;
  SendMessageW(tree, TVM_GETITEMW, 0, LPARAM(&it));
  EXPECT_EQ(std::u16string(buffer), u"asked");
}

TEST_F(ViewsPaint, TreeCustomDrawMaySkipAnItem) {
  HWND tree = Make(WC_TREEVIEW, TVS_HASBUTTONS, {0, 0, 300, 200});
  AddNode(tree, u"shown", 0, 0);
  HTREEITEM hidden = AddNode(tree, u"skipped", 0, 0);
  Answer() = [&](NMHDR* hdr) -> LRESULT {
    if (hdr->code != NM_CUSTOMDRAW) return 0;
    auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(hdr);
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && HTREEITEM(cd->nmcd.dwItemSpec) == hidden) {
      // The parent paints this one itself.
      HBRUSH b = CreateSolidBrush(RGB(255, 0, 0));
      FillRect(cd->nmcd.hdc, &cd->nmcd.rc, b);
      DeleteObject(b);
      return CDRF_SKIPDEFAULT;
    }
    return CDRF_DODEFAULT;
  };
  InvalidateRect(tree, nullptr, TRUE);
  int h = int(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
  EXPECT_EQ(CountColour({0, h, 300, 2 * h}, 0xFF0000), 300 * h);
  EXPECT_EQ(CountColour({0, 0, 300, h}, 0xFF0000), 0);
}

TEST_F(ViewsPaint, ListViewSubItemStagesAndImagesInEachView) {
  HWND list = Make(WC_LISTVIEW, LVS_REPORT, {0, 0, 400, 300});
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW c;
    c.mask = LVCF_WIDTH;
    c.cx = 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(i), LPARAM(&c));
  }
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, LPARAM(images));
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, LPARAM(images));
  AddRow(list, u"one", 0);
  std::vector<std::pair<DWORD, int>> stages;
  Answer() = [&](NMHDR* hdr) -> LRESULT {
    if (hdr->code != NM_CUSTOMDRAW) return 0;
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
    stages.push_back({cd->nmcd.dwDrawStage, cd->iSubItem});
    if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYSUBITEMDRAW;
    return CDRF_DODEFAULT;
  };
  InvalidateRect(list, nullptr, TRUE);
  Pixel(0, 0);
  std::vector<std::pair<DWORD, int>> want{{CDDS_PREPAINT, 0},
                                          {CDDS_ITEMPREPAINT, 0},
                                          {CDDS_ITEMPREPAINT | CDDS_SUBITEM, 0},
                                          {CDDS_ITEMPREPAINT | CDDS_SUBITEM, 1},
                                          {CDDS_ITEMPREPAINT | CDDS_SUBITEM, 2}};
  EXPECT_EQ(stages, want);
  Answer() = nullptr;
  // The small image in report view, the large one in icon view.
  for (DWORD view : {LV_VIEW_DETAILS, LV_VIEW_SMALLICON, LV_VIEW_LIST, LV_VIEW_ICON}) {
    SendMessageW(list, LVM_SETVIEW, view, 0);
    RECT r;
    r.left = LVIR_ICON;
    SendMessageW(list, LVM_GETITEMRECT, 0, LPARAM(&r));
    EXPECT_GT(CountColour(r, 0xFF0000), 200) << "view " << view;
  }
}

TEST_F(ViewsPaint, ColumnsFollowTheHeadersOrder) {
  HWND list = Make(WC_LISTVIEW, LVS_REPORT, {0, 0, 400, 300});
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_HEADERDRAGDROP);
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW c;
    c.mask = LVCF_WIDTH;
    c.cx = 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(i), LPARAM(&c));
  }
  AddRow(list, u"one", 0);
  // Drag the first caption past the third.
  backend.MouseMove(50, 8);
  backend.MouseDown();
  for (int x = 60; x <= 280; x += 20) backend.MouseMove(x, 8);
  backend.MouseUp();
  backend.Pump();
  std::vector<int> order(3);
  SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 3, LPARAM(order.data()));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 0}));
  RECT r;
  r.top = 0;
  SendMessageW(list, LVM_GETSUBITEMRECT, 0, LPARAM(&r));
  EXPECT_EQ(r.left, 200);
  // Without the extended style the captions stay put.
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_HEADERDRAGDROP, 0);
  backend.MouseMove(150, 8);
  backend.MouseDown();
  for (int x = 140; x >= 10; x -= 20) backend.MouseMove(x, 8);
  backend.MouseUp();
  backend.Pump();
  SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 3, LPARAM(order.data()));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 0}));
}

TEST_F(ViewsPaint, ListAndIconViewsMoveByArrows) {
  HWND list = Make(WC_LISTVIEW, LVS_LIST, {0, 0, 400, 100});
  for (int i = 0; i < 30; ++i) AddRow(list, u"file", -1);
  SetFocus(list);
  Key(VK_DOWN);  // the first item
  auto focused = [&] { return int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)); };
  EXPECT_EQ(focused(), 0);
  Key(VK_RIGHT);  // the next column
  int perColumn = focused();
  EXPECT_GT(perColumn, 1);
  RECT a, b;
  a.left = b.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, 0, LPARAM(&a));
  SendMessageW(list, LVM_GETITEMRECT, WPARAM(perColumn), LPARAM(&b));
  EXPECT_EQ(a.top, b.top);
  EXPECT_GT(b.left, a.left);
  Key(VK_END);
  EXPECT_EQ(focused(), 29);
  // The last item is scrolled into view.
  RECT last;
  last.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, 29, LPARAM(&last));
  EXPECT_LE(last.right, 400);
  EXPECT_GE(last.left, 0);
}

}  // namespace
}  // namespace qv::test
