// Regions against a per-pixel boolean model: construction, the five combine
// modes with their result kinds, queries, offsets, RGNDATA round trips.
#include <gtest/gtest.h>

#include <vector>

#include "GdiTestSupport.h"

namespace qv {
namespace {

constexpr int N = 48;  // the model's world is N x N pixels, shapes may stick out

using Mask = std::vector<bool>;

Mask Model(HRGN rgn) {
  Mask m(N * N);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) m[std::size_t(y * N + x)] = PtInRegion(rgn, x, y);
  return m;
}

int Kind(const Mask& m) {
  int count = 0, minX = N, minY = N, maxX = -1, maxY = -1;
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x)
      if (m[std::size_t(y * N + x)]) {
        ++count;
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y),
        maxY = std::max(maxY, y);
      }
  if (!count) return NULLREGION;
  return count == (maxX - minX + 1) * (maxY - minY + 1) ? SIMPLEREGION : COMPLEXREGION;
}

HRGN RandomShape() {
  int l = test::Rand(-4, N), t = test::Rand(-4, N), r = test::Rand(-4, N + 4), b = test::Rand(-4, N + 4);
  switch (test::Rand(0, 2)) {
    case 0:
      return CreateRectRgn(l, t, r, b);
    case 1:
      return CreateEllipticRgn(l, t, r, b);
    default:
      return CreateRoundRectRgn(l, t, r, b, test::Rand(0, 12), test::Rand(0, 12));
  }
}

TEST(Regions, CombineMatchesPixelModel) {
  for (int round = 0; round < 150; ++round) {
    HRGN a = RandomShape(), b = RandomShape(), d = CreateRectRgn(0, 0, 0, 0);
    Mask ma = Model(a), mb = Model(b);
    for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY}) {
      int kind = CombineRgn(d, a, b, mode);
      Mask want(N * N);
      for (std::size_t i = 0; i < want.size(); ++i) {
        bool x = ma[i], y = mb[i];
        want[i] = mode == RGN_AND    ? x && y
                  : mode == RGN_OR   ? x || y
                  : mode == RGN_XOR  ? x != y
                  : mode == RGN_DIFF ? x && !y
                                     : x;
      }
      ASSERT_EQ(Model(d), want) << "mode " << mode << " round " << round;
      // Shapes may extend past the model's window, where the kind can differ; check inside only.
      RECT box;
      GetRgnBox(d, &box);
      if (box.left >= 0 && box.top >= 0 && box.right <= N && box.bottom <= N) {
        EXPECT_EQ(kind, Kind(want));
      }
    }
    // The destination may be one of the sources.
    Mask both(N * N);
    for (std::size_t i = 0; i < both.size(); ++i) both[i] = ma[i] || mb[i];
    CombineRgn(a, a, b, RGN_OR);
    EXPECT_EQ(Model(a), both);
    for (HRGN h : {a, b, d}) DeleteObject(h);
  }
}

TEST(Regions, QueriesAgreeWithPixels) {
  for (int round = 0; round < 60; ++round) {
    HRGN r = RandomShape();
    Mask m = Model(r);
    RECT q{test::Rand(0, N - 1), test::Rand(0, N - 1), 0, 0};
    q.right = q.left + test::Rand(1, 8);
    q.bottom = q.top + test::Rand(1, 8);
    bool any = false;
    for (int y = q.top; y < std::min<int>(q.bottom, N); ++y)
      for (int x = q.left; x < std::min<int>(q.right, N); ++x) any = any || m[std::size_t(y * N + x)];
    if (q.right <= N && q.bottom <= N) {
      EXPECT_EQ(RectInRegion(r, &q) != 0, any);
    }

    // OffsetRgn moves every pixel; GetRegionData / ExtCreateRegion reproduce the region.
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(copy, r, nullptr, RGN_COPY);
    OffsetRgn(copy, 3, -2);
    for (int y = 2; y < N; ++y) {
      for (int x = 0; x + 3 < N; ++x) {
        ASSERT_EQ(PtInRegion(copy, x + 3, y - 2) != 0, bool(m[std::size_t(y * N + x)]));
      }
    }
    DWORD size = GetRegionData(r, 0, nullptr);
    std::vector<char> buf(size);
    ASSERT_EQ(GetRegionData(r, size, reinterpret_cast<RGNDATA*>(buf.data())), size);
    HRGN again = ExtCreateRegion(nullptr, size, reinterpret_cast<RGNDATA*>(buf.data()));
    EXPECT_TRUE(EqualRgn(r, again));
    for (HRGN h : {r, copy, again}) DeleteObject(h);
  }
}

TEST(Regions, PolygonFillModes) {
  // A pentagram: ALTERNATE leaves the centre out, WINDING fills it.
  POINT star[5] = {{20, 2}, {32, 38}, {2, 14}, {38, 14}, {8, 38}};
  HRGN alt = CreatePolygonRgn(star, 5, ALTERNATE), wind = CreatePolygonRgn(star, 5, WINDING);
  EXPECT_FALSE(PtInRegion(alt, 20, 20));
  EXPECT_TRUE(PtInRegion(wind, 20, 20));
  EXPECT_TRUE(PtInRegion(alt, 20, 8));
  // A square polygon covers its corners' pixels and all between: the pixels
  // its outline passes through, one column and one row more than the
  // rectangle of the same corners.
  POINT sq[4] = {{5, 5}, {15, 5}, {15, 12}, {5, 12}};
  HRGN square = CreatePolygonRgn(sq, 4, ALTERNATE), rect = CreateRectRgn(5, 5, 16, 13);
  EXPECT_TRUE(EqualRgn(square, rect));
  for (HRGN h : {alt, wind, square, rect}) DeleteObject(h);
}

TEST(Regions, EllipseIsSymmetricAndInsideItsBox) {
  HRGN e = CreateEllipticRgn(3, 4, 30, 21);
  RECT box;
  EXPECT_EQ(GetRgnBox(e, &box), COMPLEXREGION);
  EXPECT_GE(box.left, 3);
  EXPECT_GE(box.top, 4);
  EXPECT_LE(box.right, 30);
  EXPECT_LE(box.bottom, 21);
  for (int y = 4; y < 21; ++y) {
    for (int x = 3; x < 30; ++x) {
      ASSERT_EQ(PtInRegion(e, x, y), PtInRegion(e, 3 + 29 - x, 4 + 20 - y));
    }
  }
  DeleteObject(e);
}

TEST(Regions, PaintingThroughTheDcClip) {
  test::Canvas c(20, 20);
  HRGN r = CreateEllipticRgn(2, 2, 18, 14);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  IntersectClipRect(c.dc, 0, 0, 10, 20);
  SetWindowOrgEx(c.dc, -1, 0, nullptr);  // logical x = device x - 1
  ASSERT_TRUE(FillRgn(c.dc, r, red));
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      bool want = x < 10 && PtInRegion(r, x - 1, y);
      ASSERT_EQ(c.Rgb(x, y) == 0xFF0000u, want) << x << "," << y;
    }
  }
  // FrameRgn paints exactly the pixels the region shrunk by the frame size loses.
  test::Canvas f(20, 20);
  HRGN box = CreateRectRgn(2, 2, 12, 10);
  ASSERT_TRUE(FrameRgn(f.dc, box, red, 2, 1));
  EXPECT_EQ(f.Count(RGB(255, 0, 0)), 10 * 8 - 6 * 6);
  ASSERT_TRUE(InvertRgn(f.dc, box));
  EXPECT_EQ(f.Count(RGB(0, 0, 0)), 6 * 6);
  for (HGDIOBJ h : {HGDIOBJ(r), HGDIOBJ(red), HGDIOBJ(box)}) DeleteObject(h);
}

TEST(Regions, BadHandlesGiveErrors) {
  HRGN r = CreateRectRgn(0, 0, 10, 10);
  ASSERT_TRUE(DeleteObject(r));
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), ERROR);
  EXPECT_EQ(CombineRgn(r, r, r, RGN_OR), ERROR);
  EXPECT_EQ(OffsetRgn(reinterpret_cast<HRGN>(uintptr_t(0x1234)), 1, 1), ERROR);
  HRGN fresh = CreateRectRgn(0, 0, 1, 1);  // may reuse the slot: the old handle must stay dead
  EXPECT_EQ(GetObjectType(r), 0u);
  EXPECT_EQ(GetObjectType(fresh), OBJ_REGION);
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_EQ(CombineRgn(fresh, reinterpret_cast<HRGN>(brush), fresh, RGN_AND), ERROR);
  DeleteObject(brush);
  DeleteObject(fresh);
}

}  // namespace
}  // namespace qv
