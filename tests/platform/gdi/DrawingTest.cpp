// Shapes and DC state: line end points and pen styles, rectangle and ellipse
// extents, saved states, origins and clipping of surface DCs, 3-D edges and the
// focus rectangle, and object lifetime through the handle table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GdiTestSupport.h"

namespace qv {
namespace {

using test::Canvas;
const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

TEST(Lines, EndPointIsNotDrawn) {
  Canvas c(20, 20);
  struct Case {
    POINT a, b;
  } cases[] = {
      {{2, 3}, {12, 3}}, {{12, 5}, {2, 5}}, {{4, 1}, {4, 15}}, {{1, 1}, {11, 7}}, {{15, 15}, {3, 9}}};
  for (const Case& k : cases) {
    std::fill(c.bits, c.bits + 400, 0xFFFFFFFFu);
    MoveToEx(c.dc, k.a.x, k.a.y, nullptr);
    LineTo(c.dc, k.b.x, k.b.y);
    EXPECT_EQ(c.Rgb(k.a.x, k.a.y), 0u);
    EXPECT_EQ(c.Rgb(k.b.x, k.b.y), 0xFFFFFFu);
    int steps = std::max(std::abs(k.b.x - k.a.x), std::abs(k.b.y - k.a.y));
    EXPECT_EQ(c.Count(kBlack), steps);  // one pixel per step along the major axis
    POINT cp;
    GetCurrentPositionEx(c.dc, &cp);
    EXPECT_EQ(cp, k.b);
  }
}

TEST(Lines, ClippingDoesNotMovePixels) {
  // The same random lines drawn freely and through a clip agree on every pixel inside the clip.
  HPEN dash = CreatePen(PS_DASHDOT, 1, kBlack);
  for (int round = 0; round < 200; ++round) {
    Canvas free(40, 40), clipped(40, 40);
    POINT pts[3];
    for (POINT& p : pts) p = {test::Rand(-30, 70), test::Rand(-30, 70)};
    RECT clip{test::Rand(0, 20), test::Rand(0, 20), test::Rand(20, 40), test::Rand(20, 40)};
    for (Canvas* c : {&free, &clipped}) SelectObject(c->dc, round % 2 ? dash : GetStockObject(BLACK_PEN));
    IntersectClipRect(clipped.dc, clip.left, clip.top, clip.right, clip.bottom);
    Polyline(free.dc, pts, 3);
    Polyline(clipped.dc, pts, 3);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        uint32_t want = PtInRect(&clip, {x, y}) ? free.Rgb(x, y) : 0xFFFFFFu;
        ASSERT_EQ(clipped.Rgb(x, y), want) << "round " << round << " at " << x << "," << y;
      }
    }
    for (Canvas* c : {&free, &clipped}) SelectObject(c->dc, GetStockObject(BLACK_PEN));
  }
  DeleteObject(dash);
  // Absurd coordinates cost only the visible pixels.
  Canvas c(20, 20);
  MoveToEx(c.dc, -1000000000, -1000000000, nullptr);
  LineTo(c.dc, 1000000000, 1000000000);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(c.Rgb(i, i), 0u);
  EXPECT_EQ(c.Count(kBlack), 20);
  Ellipse(c.dc, -1000000000, -1000000000, 1000000000, 1000000000);
  EXPECT_EQ(c.Count(kWhite), 400);
}

TEST(Lines, PenStyles) {
  Canvas c(40, 3);
  SetBkMode(c.dc, TRANSPARENT);
  LOGBRUSH lb{BS_SOLID, RGB(255, 0, 0), 0};
  HPEN alt = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr);
  ASSERT_NE(alt, nullptr);
  SelectObject(c.dc, alt);
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 40, 0);
  for (int x = 0; x < 40; ++x) ASSERT_EQ(c.Rgb(x, 0), x % 2 ? 0xFFFFFFu : 0xFF0000u) << x;

  // PS_DOT: runs of equal length; with OPAQUE the gaps take the background colour.
  HPEN dot = CreatePen(PS_DOT, 1, RGB(0, 0, 255));
  SelectObject(c.dc, dot);
  SetBkMode(c.dc, OPAQUE);
  SetBkColor(c.dc, RGB(0, 255, 0));
  MoveToEx(c.dc, 0, 1, nullptr);
  LineTo(c.dc, 40, 1);
  int on = 0, gap = 0;
  for (int x = 0; x < 40; ++x) (c.Rgb(x, 1) == 0x0000FFu ? on : gap) += 1;
  EXPECT_EQ(on + gap, 40);
  EXPECT_NEAR(on, gap, 3);
  EXPECT_EQ(c.Rgb(0, 1), 0x0000FFu);

  // A null pen draws nothing; wide pens from CreatePen are solid.
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  MoveToEx(c.dc, 0, 2, nullptr);
  LineTo(c.dc, 40, 2);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(c.Rgb(x, 2), 0xFFFFFFu);
  HPEN wide = CreatePen(PS_DOT, 3, kBlack);
  LOGPEN lp;
  GetObject(wide, sizeof lp, &lp);
  EXPECT_EQ(lp.lopnStyle, UINT(PS_SOLID));
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  for (HPEN p : {alt, dot, wide}) DeleteObject(p);
}

TEST(Shapes, RectangleAndEllipseExtents) {
  Canvas c(30, 30);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(c.dc, red);
  Rectangle(c.dc, 3, 4, 13, 10);
  EXPECT_EQ(c.Extent(kWhite), (RECT{3, 4, 13, 10}));  // right and bottom edges excluded
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 8 * 4);          // interior inside the one-pixel frame
  EXPECT_EQ(c.Count(kBlack), 10 * 6 - 8 * 4);

  std::fill(c.bits, c.bits + 900, 0xFFFFFFFFu);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  Rectangle(c.dc, 3, 4, 13, 10);  // without a pen one pixel less on the right and bottom
  EXPECT_EQ(c.Extent(kWhite), (RECT{3, 4, 12, 9}));

  std::fill(c.bits, c.bits + 900, 0xFFFFFFFFu);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  Ellipse(c.dc, 2, 5, 22, 17);
  EXPECT_EQ(c.Extent(kWhite), (RECT{2, 5, 22, 17}));
  EXPECT_EQ(c.Rgb(12, 11), 0xFF0000u);  // the centre is brush
  EXPECT_EQ(c.Rgb(2, 5), 0xFFFFFFu);    // the box corner is outside
  EXPECT_EQ(c.Rgb(2, 11), 0u);          // the pen touches the box's sides

  std::fill(c.bits, c.bits + 900, 0xFFFFFFFFu);
  RoundRect(c.dc, 0, 0, 20, 20, 8, 8);
  EXPECT_EQ(c.Extent(kWhite), (RECT{0, 0, 20, 20}));
  EXPECT_EQ(c.Rgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(c.Rgb(10, 0), 0u);

  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

// The pixels a polygon of one colour leaves, a row a line ('#' drawn).
std::string Picture(const Canvas& c) {
  std::string s;
  for (int y = 0; y < c.h; ++y) {
    for (int x = 0; x < c.w; ++x) s += c.Rgb(x, y) == 0xFFFFFFu ? '.' : '#';
    s += '\n';
  }
  return s;
}
std::string FillPicture(int w, int h, std::vector<POINT> pts, bool pen) {
  Canvas c(w, h);
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  SelectObject(c.dc, GetStockObject(pen ? BLACK_PEN : NULL_PEN));
  Polygon(c.dc, pts.data(), int(pts.size()));
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  return Picture(c);
}

// A point stands for a pixel centre, and a polygon covers the pixels whose
// centres lie inside it or on its outline: small triangles pointing every way
// come out whole and as symmetric as their corners, alone or with their pen.
TEST(Shapes, PolygonsCoverTheirPixelsWholeInEveryOrientation) {
  const std::string up = ".........\n....#....\n...###...\n..#####..\n.#######.\n";
  const std::string down = ".........\n.#######.\n..#####..\n...###...\n....#....\n";
  for (bool pen : {false, true}) {
    SCOPED_TRACE(pen ? "with the pen" : "without a pen");
    EXPECT_EQ(FillPicture(9, 5, {{1, 4}, {7, 4}, {4, 1}}, pen), up);
    EXPECT_EQ(FillPicture(9, 5, {{1, 1}, {7, 1}, {4, 4}}, pen), down);
    EXPECT_EQ(FillPicture(5, 9, {{4, 1}, {4, 7}, {1, 4}}, pen),
              ".....\n....#\n...##\n..###\n.####\n..###\n...##\n....#\n.....\n");
    EXPECT_EQ(FillPicture(5, 9, {{0, 1}, {0, 7}, {3, 4}}, pen),
              ".....\n#....\n##...\n###..\n####.\n###..\n##...\n#....\n.....\n");
    // The right-angled corners: each the mirror image of the next.
    EXPECT_EQ(FillPicture(5, 5, {{0, 0}, {3, 0}, {0, 3}}, pen), "####.\n###..\n##...\n#....\n.....\n");
    EXPECT_EQ(FillPicture(5, 5, {{4, 0}, {1, 0}, {4, 3}}, pen), ".####\n..###\n...##\n....#\n.....\n");
    EXPECT_EQ(FillPicture(5, 5, {{4, 4}, {1, 4}, {4, 1}}, pen), ".....\n....#\n...##\n..###\n.####\n");
    EXPECT_EQ(FillPicture(5, 5, {{0, 4}, {3, 4}, {0, 1}}, pen), ".....\n#....\n##...\n###..\n####.\n");
  }
  // A single-pixel triangle and a line-thin one still show their points.
  EXPECT_EQ(FillPicture(3, 3, {{1, 1}, {1, 1}, {1, 1}}, false), "...\n.#.\n...\n");
  EXPECT_EQ(FillPicture(4, 3, {{0, 1}, {3, 1}, {0, 1}}, false), "....\n####\n....\n");
}

// For random triangles, the fill, the region and a point-by-point test of the
// closed triangle agree, and mirroring the corners mirrors the pixels.
TEST(Shapes, PolygonFillRegionAndMirrorImagesAgree) {
  const int w = 14, h = 12;
  auto side = [](POINT a, POINT b, int x, int y) {
    return int64_t(b.x - a.x) * (y - a.y) - int64_t(b.y - a.y) * (x - a.x);
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<POINT> t;
    for (int i = 0; i < 3; ++i) t.push_back({test::Rand(-2, w + 1), test::Rand(-2, h + 1)});
    SCOPED_TRACE(::testing::Message() << "(" << t[0].x << "," << t[0].y << ") (" << t[1].x << "," << t[1].y
                                      << ") (" << t[2].x << "," << t[2].y << ")");
    std::string expected;
    const int64_t area = side(t[0], t[1], t[2].x, t[2].y);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int64_t s0 = side(t[0], t[1], x, y), s1 = side(t[1], t[2], x, y), s2 = side(t[2], t[0], x, y);
        bool in = (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
        if (area == 0) {  // a flat triangle: the points of its sides
          in = false;
          for (int i = 0; i < 3; ++i) {
            POINT a = t[size_t(i)], b = t[size_t(i + 1) % 3];
            in |= side(a, b, x, y) == 0 && std::min(a.x, b.x) <= x && x <= std::max(a.x, b.x) &&
                  std::min(a.y, b.y) <= y && y <= std::max(a.y, b.y);
          }
        }
        expected += in ? '#' : '.';
      }
      expected += '\n';
    }
    ASSERT_EQ(FillPicture(w, h, t, false), expected);
    HRGN r = CreatePolygonRgn(t.data(), 3, ALTERNATE);
    std::string region;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) region += PtInRegion(r, x, y) ? '#' : '.';
      region += '\n';
    }
    DeleteObject(r);
    ASSERT_EQ(region, expected);
    std::vector<POINT> m = t;
    for (POINT& p : m) p.x = w - 1 - p.x;
    std::string mirrored;
    for (int y = 0; y < h; ++y) {
      mirrored +=
          std::string(expected.rbegin() + (h - 1 - y) * (w + 1) + 1, expected.rbegin() + (h - y) * (w + 1));
      mirrored += '\n';
    }
    ASSERT_EQ(FillPicture(w, h, m, false), mirrored);
  }
}

TEST(Shapes, FillRectWithSystemColourAndFrames) {
  Canvas c(10, 10);
  RECT r{1, 1, 9, 9};
  FillRect(c.dc, &r, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1)));
  EXPECT_EQ(c.Rgb(1, 1), Canvas::Px(RGB(212, 208, 200)));
  EXPECT_EQ(c.Count(RGB(212, 208, 200)), 64);
  FrameRect(c.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Count(kBlack), 28);
  InvertRect(c.dc, &r);
  EXPECT_EQ(c.Count(kWhite), 36 + 28);  // untouched border plus the inverted frame
  EXPECT_EQ(c.Count(RGB(255 - 212, 255 - 208, 255 - 200)), 36);
}

TEST(DeviceContexts, SaveAndRestoreState) {
  Canvas c(10, 10);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  int level = SaveDC(c.dc);
  EXPECT_EQ(level, 1);
  SelectObject(c.dc, pen);
  SetTextColor(c.dc, RGB(9, 9, 9));
  SetWindowOrgEx(c.dc, 5, 5, nullptr);
  IntersectClipRect(c.dc, 5, 5, 7, 7);
  EXPECT_EQ(SaveDC(c.dc), 2);
  SetBkMode(c.dc, TRANSPARENT);
  ASSERT_TRUE(RestoreDC(c.dc, -1));
  EXPECT_EQ(GetBkMode(c.dc), OPAQUE);
  EXPECT_EQ(GetTextColor(c.dc), RGB(9, 9, 9));
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{5, 5, 7, 7}));
  // The pen is deleted while selected; it lives until the last state holding it is gone.
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
  ASSERT_TRUE(RestoreDC(c.dc, 1));
  EXPECT_EQ(GetObjectType(pen), 0u);
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetClipBox(c.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
  EXPECT_FALSE(RestoreDC(c.dc, 1));  // nothing saved any more
}

TEST(DeviceContexts, SurfaceDcWithOriginAndVisibleRegion) {
  Surface s(40, 30, 0xFF000000);
  HRGN vis = CreateRectRgn(0, 0, 10, 10);
  HDC dc = CreateSurfaceDC(&s, {20, 10}, vis);
  DeleteObject(vis);  // the DC keeps a copy
  RECT all{-100, -100, 100, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  int white = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      bool in = x >= 20 && x < 30 && y >= 10 && y < 20;
      EXPECT_EQ((s.At(x, y) & 0xFFFFFF) == 0xFFFFFF, in) << x << "," << y;
      white += in;
    }
  }
  EXPECT_EQ(white, 100);
  // The application clip is intersected with the visible region; the view reports the result.
  SetWindowOrgEx(dc, 2, 0, nullptr);
  IntersectClipRect(dc, 0, 0, 5, 5);
  DCView view;
  ASSERT_TRUE(GetDCView(dc, view));
  EXPECT_EQ(view.offset, (POINT{18, 10}));
  pixman_box32_t* e = pixman_region32_extents(const_cast<pixman_region32_t*>(view.clip));
  EXPECT_EQ(e->x1, 20);
  EXPECT_EQ(e->x2, 23);
  EXPECT_EQ(view.pixels.Row32(10), s.Row(10));
  LOGFONTW lf;
  GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  ASSERT_TRUE(GetDCView(dc, view));
  EXPECT_EQ(view.font.lfHeight, lf.lfHeight);
  EXPECT_EQ(std::u16string(view.font.lfFaceName), u"MS Sans Serif");
  // The system region is the visible region placed on the screen.
  HRGN sys = CreateRectRgn(0, 0, 0, 0), want = CreateRectRgn(120, 210, 130, 220);
  SetDCScreenOrigin(dc, {120, 210});
  EXPECT_EQ(GetRandomRgn(dc, sys, SYSRGN), 1);
  EXPECT_TRUE(EqualRgn(sys, want));
  DeleteObject(sys);
  DeleteObject(want);
  DeleteDC(dc);
  EXPECT_FALSE(GetDCView(dc, view));
}

TEST(Frames, DrawEdgeColours) {
  Canvas c(8, 8);
  RECT r{0, 0, 8, 8};
  ASSERT_TRUE(DrawEdge(c.dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST));
  EXPECT_EQ(r, (RECT{2, 2, 6, 6}));
  const uint32_t light = Canvas::Px(RGB(212, 208, 200)), dark = Canvas::Px(RGB(64, 64, 64)),
                 hi = Canvas::Px(RGB(255, 255, 255)), shadow = Canvas::Px(RGB(128, 128, 128));
  EXPECT_EQ(c.Rgb(0, 3), light);   // outer top-left ring: 3-D light
  EXPECT_EQ(c.Rgb(7, 0), dark);    // outer bottom-right ring covers the top-right corner
  EXPECT_EQ(c.Rgb(0, 7), dark);    // ... and the bottom-left corner
  EXPECT_EQ(c.Rgb(1, 3), hi);      // inner top-left: highlight
  EXPECT_EQ(c.Rgb(6, 3), shadow);  // inner bottom-right: shadow
  EXPECT_EQ(c.Rgb(3, 3), light);   // middle: button face

  RECT s{0, 0, 8, 8};
  DrawEdge(c.dc, &s, EDGE_SUNKEN, BF_RECT);
  EXPECT_EQ(c.Rgb(3, 0), shadow);
  EXPECT_EQ(c.Rgb(3, 7), hi);
  EXPECT_EQ(c.Rgb(3, 1), dark);
  EXPECT_EQ(c.Rgb(3, 6), light);
  EXPECT_EQ(s, (RECT{0, 0, 8, 8}));  // no BF_ADJUST
}

TEST(Frames, FocusRectIsDottedAndUndoesItself) {
  Canvas c(12, 12);
  std::vector<uint32_t> before(c.bits, c.bits + 144);
  RECT r{1, 1, 11, 11};
  ASSERT_TRUE(DrawFocusRect(c.dc, &r));
  int changed = 0;
  for (int i = 0; i < 144; ++i) changed += c.bits[i] != before[std::size_t(i)];
  EXPECT_EQ(changed, 18);  // every other pixel of the 36-pixel frame
  EXPECT_NE(c.Rgb(1, 1), c.Rgb(2, 1));
  EXPECT_EQ(c.Rgb(5, 5), 0xFFFFFFu);
  DrawFocusRect(c.dc, &r);
  for (int i = 0; i < 144; ++i) ASSERT_EQ(c.bits[i] & 0xFFFFFF, before[std::size_t(i)] & 0xFFFFFF);
}

TEST(Frames, FrameControlsStayInsideTheirRectangle) {
  struct Kind {
    UINT type, state;
  } kinds[] = {{DFC_BUTTON, DFCS_BUTTONPUSH},
               {DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED},
               {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED},
               {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE | DFCS_FLAT},
               {DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED},
               {DFC_SCROLL, DFCS_SCROLLUP},
               {DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_INACTIVE},
               {DFC_CAPTION, DFCS_CAPTIONCLOSE},
               {DFC_CAPTION, DFCS_CAPTIONRESTORE | DFCS_PUSHED},
               {DFC_MENU, DFCS_MENUCHECK},
               {DFC_MENU, DFCS_MENUARROW}};
  for (const Kind& k : kinds) {
    Canvas c(24, 24, 0xFF123456);
    RECT r{4, 5, 20, 19};
    ASSERT_TRUE(DrawFrameControl(c.dc, &r, k.type, k.state));
    RECT e = c.Extent(RGB(0x12, 0x34, 0x56));
    EXPECT_GE(e.left, 4);
    EXPECT_GE(e.top, 5);
    EXPECT_LE(e.right, 20);
    EXPECT_LE(e.bottom, 19);
    EXPECT_GT(c.Count(RGB(0, 0, 0)) + c.Count(RGB(128, 128, 128)), 0) << k.type << "/" << k.state;
  }
  // A checked box differs from an unchecked one only inside the box.
  Canvas on(16, 16), off(16, 16);
  RECT r{0, 0, 13, 13};
  DrawFrameControl(on.dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  DrawFrameControl(off.dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK);
  EXPECT_EQ(on.Count(RGB(0, 0, 0)) - off.Count(RGB(0, 0, 0)), 21);  // the check mark's pixels
  EXPECT_FALSE(DrawFrameControl(on.dc, &r, 99, 0));
}

TEST(Handles, StaleForeignAndStockHandles) {
  HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(b), OBJ_BRUSH);
  LOGBRUSH lb;
  EXPECT_EQ(GetObject(b, sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_FALSE(DeleteObject(b));
  EXPECT_EQ(GetObject(b, sizeof lb, &lb), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(dc, b), nullptr);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(uintptr_t(0xDEADBEEF))), nullptr);
  EXPECT_EQ(SetTextColor(reinterpret_cast<HDC>(b), 0), CLR_INVALID);
  RECT r{0, 0, 1, 1};
  EXPECT_FALSE(FillRect(dc, &r, b));
  // Stock objects survive DeleteObject; a bitmap lives in one DC at a time.
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  EXPECT_TRUE(DeleteObject(white));
  EXPECT_EQ(GetObjectType(white), OBJ_BRUSH);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);
  BITMAP bm;
  GetObject(bmp, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);  // a fresh memory DC holds a monochrome bitmap
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_NE(SelectObject(dc, bmp), nullptr);
  EXPECT_EQ(SelectObject(other, bmp), nullptr);
  DeleteDC(dc);
  EXPECT_NE(SelectObject(other, bmp), nullptr);  // freed by the DC's deletion
  DeleteDC(other);
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_FALSE(DeleteDC(dc));
}

}  // namespace
}  // namespace qv
