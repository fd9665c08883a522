// The header class: resizing by dragging a divider (with its tracking
// notifications and refusal), reordering by dragging a caption, clicks, hit
// testing of dividers, and the sort arrow's pixels.
#include "ComCtlTestSupport.h"
#include "platform/comctl/Header.h"

namespace qv::test {
namespace {

size_t HeaderRecordSize(UINT code) {
  return code == NM_CUSTOMDRAW || code == NM_RCLICK ? sizeof(NMHDR) : sizeof(NMHEADERW);
}

class Header : public ComCtlTest {
 protected:
  void SetUp() override {
    ComCtlTest::SetUp();
    RecordSize() = HeaderRecordSize;
    header = Make(WC_HEADER, HDS_BUTTONS | HDS_DRAGDROP | HDS_FULLDRAG, {0, 0, 400, 20});
    for (const char16_t* name : {u"Name", u"Size", u"Type"}) {
      HDITEMW it;
      it.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
      it.pszText = const_cast<char16_t*>(name);
      it.cxy = 100;
      it.fmt = HDF_STRING;
      SendMessageW(header, HDM_INSERTITEMW, 99, LPARAM(&it));
    }
  }
  int Width(int i) {
    HDITEMW it;
    it.mask = HDI_WIDTH;
    SendMessageW(header, HDM_GETITEMW, WPARAM(i), LPARAM(&it));
    return it.cxy;
  }
  std::vector<int> Order() {
    std::vector<int> o(3);
    SendMessageW(header, HDM_GETORDERARRAY, 3, LPARAM(o.data()));
    return o;
  }
  void Drag(int x0, int x1) {
    backend.MouseMove(x0, 10);
    backend.MouseDown();
    backend.Pump();
    for (int x = x0; x != x1; x += x1 > x0 ? 10 : -10) {
      backend.MouseMove(x, 10);
      backend.Pump();
    }
    backend.MouseMove(x1, 10);
    backend.MouseUp();
    backend.Pump();
  }

  HWND header = nullptr;
};

TEST_F(Header, DividersResizeWithTrackingNotifications) {
  Drag(100, 140);  // the divider between Name and Size
  EXPECT_EQ(Width(0), 140);
  EXPECT_EQ(Width(1), 100);
  std::vector<UINT> codes = CodesAmong({HDN_BEGINTRACKW, HDN_ENDTRACKW});
  EXPECT_EQ(codes, (std::vector<UINT>{HDN_BEGINTRACKW, HDN_ENDTRACKW}));
  ASSERT_TRUE(Last(HDN_TRACKW));
  ASSERT_TRUE(Last(HDN_ITEMCHANGEDW));
  EXPECT_EQ(Last(HDN_ENDTRACKW)->As<NMHEADERW>().iItem, 0);
  // The first notice is the start, the last the end; changes lie between.
  EXPECT_EQ(Notices().front().code, HDN_BEGINTRACKW);
  // Dragging left below zero stops at zero.
  Drag(140, 0);
  EXPECT_EQ(Width(0), 0);
  // A refused start leaves the width alone.
  Answer() = [](NMHDR* h) -> LRESULT { return h->code == HDN_BEGINTRACKW; };
  Drag(100, 150);  // the Size divider now lies at 100
  EXPECT_EQ(Width(1), 100);
}

TEST_F(Header, CaptionsReorderByDragging) {
  Drag(50, 250);  // Name dropped over Type's right half
  EXPECT_EQ(Order(), (std::vector<int>{1, 2, 0}));
  EXPECT_TRUE(Last(HDN_BEGINDRAG));
  EXPECT_TRUE(Last(HDN_ENDDRAG));
  EXPECT_FALSE(Last(HDN_ITEMCLICKW));  // a drag is not a click
  RECT r;
  SendMessageW(header, HDM_GETITEMRECT, 0, LPARAM(&r));
  EXPECT_EQ(r.left, 200);
  // The owner may refuse the drop.
  Answer() = [](NMHDR* h) -> LRESULT { return h->code == HDN_ENDDRAG; };
  Drag(250, 20);
  EXPECT_EQ(Order(), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(SendMessageW(header, HDM_ORDERTOINDEX, 0, 0), 1);
}

TEST_F(Header, ClicksAndHitTests) {
  Click(150, 10);
  ASSERT_TRUE(Last(HDN_ITEMCLICKW));
  EXPECT_EQ(Last(HDN_ITEMCLICKW)->As<NMHEADERW>().iItem, 1);
  auto hit = [&](int x) {
    HDHITTESTINFO info;
    info.pt = POINT{x, 10};
    SendMessageW(header, HDM_HITTEST, 0, LPARAM(&info));
    return std::make_pair(info.flags, info.iItem);
  };
  EXPECT_EQ(hit(50), std::make_pair(HHT_ONHEADER, 0));
  EXPECT_EQ(hit(199), std::make_pair(HHT_ONDIVIDER, 1));
  EXPECT_EQ(hit(350).first, HHT_NOWHERE);
  // A zero-width item is reached through the open divider right of its neighbour.
  HDITEMW it;
  it.mask = HDI_WIDTH;
  it.cxy = 0;
  SendMessageW(header, HDM_SETITEMW, 1, LPARAM(&it));
  EXPECT_EQ(hit(102), std::make_pair(HHT_ONDIVOPEN, 1));
  EXPECT_EQ(hit(98), std::make_pair(HHT_ONDIVIDER, 0));
  // A bad order array is refused.
  std::vector<int> bad{0, 0, 2};
  EXPECT_FALSE(SendMessageW(header, HDM_SETORDERARRAY, 3, LPARAM(bad.data())));
}

TEST_F(Header, SortArrowIsPainted) {
  uint32_t shadow = Sys(COLOR_BTNSHADOW);
  int before = CountColour({80, 4, 98, 16}, shadow);
  HDITEMW it;
  it.mask = HDI_FORMAT;
  it.fmt = HDF_STRING | HDF_SORTUP;
  SendMessageW(header, HDM_SETITEMW, 0, LPARAM(&it));
  EXPECT_GT(CountColour({80, 4, 98, 16}, shadow), before + 8);
}

}  // namespace
}  // namespace qv::test
