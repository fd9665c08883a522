// What the frame and the screen show on pixels: the caption turning to the
// inactive colours by WM_NCACTIVATE alone, the caption-button glyphs at the
// classic size, drawing on the screen DC as an overlay above every window
// until it is released, and the standard icons; with the key translation
// programs ask for directly.
#include "WindowTestSupport.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Icons.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemColors.h"
#include "platform/window/KeyboardLayout.h"
#include "platform/window/StandardIcons.h"

namespace qv::test {
namespace {

uint32_t Rgb(COLORREF c) {
  return PixelRGB(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF;
}

class FrameLook : public WindowTest {
 protected:
  HWND Framed(RECT r, const char16_t* title = u"Catalogue") {
    HWND h = CreateWindowExW(0, u"QvTest", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, r.left, r.top, r.Width(),
                             r.Height(), nullptr, nullptr, nullptr, nullptr);
    backend.Pump();
    return h;
  }
  int Count(const Surface& s, const RECT& r, COLORREF c) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += (s.At(x, y) & 0xFFFFFF) == Rgb(c);
    return n;
  }
  // The ink of a caption button's glyph as text rows ('#' = button text colour).
  std::vector<std::string> Ink(const Surface& s, const RECT& r) {
    std::vector<std::string> rows;
    for (int y = r.top; y < r.bottom; ++y) {
      std::string row;
      for (int x = r.left; x < r.right; ++x)
        row += (s.At(x, y) & 0xFFFFFF) == Rgb(GetSysColor(COLOR_BTNTEXT)) ? '#' : '.';
      rows.push_back(row);
    }
    return rows;
  }
  // The smallest rectangle holding every '#'.
  static RECT Bounds(const std::vector<std::string>& rows) {
    RECT b{1000, 1000, -1, -1};
    for (int y = 0; y < int(rows.size()); ++y)
      for (int x = 0; x < int(rows[y].size()); ++x)
        if (rows[y][x] == '#')
          b = RECT{std::min(b.left, x), std::min(b.top, y), std::max(b.right, x + 1),
                   std::max(b.bottom, y + 1)};
    return b;
  }
};

TEST_F(FrameLook, DeactivationRepaintsTheCaptionWithoutAFrameRepaint) {
  HWND first = Framed({20, 20, 320, 140});
  RECT cap{24, 24, 316, 42};  // frame 4, caption 18
  Surface s = backend.Screenshot();
  EXPECT_GT(Count(s, cap, GetSysColor(COLOR_ACTIVECAPTION)), cap.Width() * 10);
  int ncPaints = int(Of(WM_NCPAINT).size());
  Framed({340, 20, 600, 140}, u"Other");  // becomes active
  s = backend.Screenshot();
  EXPECT_EQ(Count(s, cap, GetSysColor(COLOR_ACTIVECAPTION)), 0);
  EXPECT_GT(Count(s, cap, GetSysColor(COLOR_INACTIVECAPTION)), cap.Width() * 10);
  EXPECT_GT(Count(s, cap, GetSysColor(COLOR_INACTIVECAPTIONTEXT)), 20);
  int firstNcPaints = 0;
  for (auto& e : Of(WM_NCPAINT)) firstNcPaints += e.hwnd == first;
  EXPECT_EQ(firstNcPaints, ncPaints);  // no WM_NCPAINT was needed
  // And back: activation shows at once as well.
  SetActiveWindow(first);
  s = backend.Screenshot();
  EXPECT_GT(Count(s, cap, GetSysColor(COLOR_ACTIVECAPTION)), cap.Width() * 10);
  EXPECT_GT(Count(s, RECT{340 + 4, 24, 600 - 4, 42}, GetSysColor(COLOR_INACTIVECAPTION)), 200);
}

TEST_F(FrameLook, CaptionButtonGlyphsHaveTheClassicShapes) {
  HWND h = Framed({20, 20, 320, 140});
  Surface s = backend.Screenshot();
  // Buttons are 16 x 14: close at the right, then maximise and minimise.
  RECT close{316 - 18, 26, 316 - 2, 40}, max{close.left - 18, 26, close.left - 2, 40},
      min{max.left - 16, 26, max.left, 40};
  auto x = Ink(s, close);
  RECT b = Bounds(x);
  EXPECT_EQ(b.Width(), 8);
  EXPECT_EQ(b.Height(), 7);
  // An X: both diagonals inked, two pixels wide, crossing in the middle;
  // the middles of the sides are empty.
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(x[b.top + i][b.left + i], '#') << i;
    EXPECT_EQ(x[b.top + i][b.right - 1 - i], '#') << i;
  }
  EXPECT_EQ(x[b.top + 3][b.left], '.');
  EXPECT_EQ(x[b.top][b.left + 3], '.');
  auto m = Ink(s, max);
  b = Bounds(m);
  EXPECT_EQ(b.Width(), 9);
  EXPECT_EQ(b.Height(), 9);
  EXPECT_EQ(m[b.top + 1].substr(b.left, 9), "#########");  // the thick top of a window
  EXPECT_EQ(m[b.top + 4].substr(b.left, 9), "#.......#");
  auto n = Ink(s, min);
  RECT nb = Bounds(n);
  EXPECT_EQ(nb.Width(), 6);
  EXPECT_EQ(nb.Height(), 2);
  EXPECT_GE(nb.top, b.top + 6);  // low in the button
  // A maximised window's button shows the restore glyph: two overlapping windows.
  ShowWindow(h, SW_MAXIMIZE);
  backend.Pump();
  s = backend.Screenshot();
  RECT rmax{640 - 4 - 2 - 16 - 2 - 16, 6, 640 - 4 - 2 - 16 - 2, 20};
  auto r = Ink(s, rmax);
  b = Bounds(r);
  EXPECT_EQ(b.Width(), 8);
  EXPECT_EQ(b.Height(), 8);
  EXPECT_EQ(r[b.top + 4].substr(b.left, 8), "######.#");
}

TEST_F(FrameLook, ScreenDrawingShowsAboveEveryWindowUntilReleased) {
  HWND h = Framed({20, 20, 320, 240});
  Framed({200, 100, 500, 300}, u"Above");
  Surface before = backend.Screenshot();
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  // An outline across both windows and the desktop, drawn with R2_NOT.
  SetROP2(screen, R2_NOT);
  HGDIOBJ old = SelectObject(screen, GetStockObject(NULL_BRUSH));
  Rectangle(screen, 100, 150, 560, 350);
  Surface during = backend.Screenshot();
  for (POINT p : {POINT{100, 200}, POINT{300, 150}, POINT{559, 250}, POINT{250, 349}})
    EXPECT_EQ(during.At(p.x, p.y) & 0xFFFFFF, ~before.At(p.x, p.y) & 0xFFFFFF) << p.x << "," << p.y;
  EXPECT_EQ(during.At(300, 250), before.At(300, 250));  // inside the outline nothing changed
  // A window repainting under the outline keeps it on top.
  InvalidateRect(h, nullptr, TRUE);
  UpdateWindow(h);
  EXPECT_EQ(backend.Screenshot().At(100, 200) & 0xFFFFFF, ~before.At(100, 200) & 0xFFFFFF);
  // Reading the screen through a second DC sees the outline too.
  HDC reader = GetDC(nullptr);
  EXPECT_EQ(GetPixel(reader, 100, 200) & 0xFFFFFF, GetPixel(screen, 100, 200) & 0xFFFFFF);
  ReleaseDC(nullptr, reader);
  // Drawing it again erases it; releasing ends whatever is left.
  Rectangle(screen, 100, 150, 560, 350);
  EXPECT_EQ(backend.Screenshot().Pixels, before.Pixels);
  Rectangle(screen, 10, 10, 50, 50);
  EXPECT_NE(backend.Screenshot().At(10, 30), before.At(10, 30));
  SelectObject(screen, old);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(backend.Screenshot().Pixels, before.Pixels);
}

TEST_F(FrameLook, StandardIconsAreOurOwnSharedDrawings) {
  HICON error = LoadIconW(nullptr, IDI_ERROR);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(LoadIconW(nullptr, IDI_HAND), error);  // one shared icon
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(LoadIconW(reinterpret_cast<HINSTANCE>(1), IDI_ERROR), nullptr);
  auto colourAt = [](HICON icon, int x, int y) {
    Surface px;
    EXPECT_TRUE(IconPixels(icon, px));
    EXPECT_EQ(px.Width, 32);
    return px.At(x, y);
  };
  // Error: red around a white cross; corners transparent.
  uint32_t centre = colourAt(error, 16, 16), ring = colourAt(error, 16, 5);
  EXPECT_EQ(centre & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_GT(PixelR(ring), 180);
  EXPECT_LT(PixelG(ring), 60);
  EXPECT_EQ(PixelA(colourAt(error, 0, 0)), 0);
  // Warning: yellow body, black mark; information: blue body, white mark.
  HICON warning = LoadIconW(nullptr, IDI_WARNING), info = LoadIconW(nullptr, IDI_INFORMATION);
  uint32_t body = colourAt(warning, 11, 26);
  EXPECT_GT(PixelR(body), 200);
  EXPECT_GT(PixelG(body), 180);
  EXPECT_LT(PixelB(body), 60);
  EXPECT_EQ(colourAt(warning, 16, 15) & 0xFFFFFF, 0u);
  EXPECT_GT(PixelB(colourAt(info, 8, 16)), 180);
  EXPECT_EQ(colourAt(info, 16, 18) & 0xFFFFFF, 0xFFFFFFu);
  for (auto id : {IDI_APPLICATION, IDI_QUESTION, IDI_WINLOGO}) EXPECT_NE(LoadIconW(nullptr, id), nullptr);
  // A caller that destroys the shared icon gets a working one next time.
  DestroyIcon(error);
  HICON again = LoadIconW(nullptr, IDI_ERROR);
  int w = 0, hgt = 0;
  EXPECT_TRUE(IconSize(again, w, hgt));
  EXPECT_EQ(w, 32);
}

TEST_F(FrameLook, KeysTranslateWithTheGivenKeyboardState) {
  BYTE keys[256] = {};
  WORD ch = 0;
  EXPECT_EQ(ToAscii('A', 0, keys, &ch, 0), 1);
  EXPECT_EQ(ch, 'a');
  keys[VK_SHIFT] = 0x80;
  EXPECT_EQ(ToAscii('8', 0, keys, &ch, 0), 1);
  EXPECT_EQ(ch, '*');
  EXPECT_EQ(ToAscii(VK_OEM_PLUS, 0, keys, &ch, 0), 1);
  EXPECT_EQ(ch, '+');
  keys[VK_SHIFT] = 0;
  keys[VK_CAPITAL] = 0x01;
  char16_t wide[2] = {};
  EXPECT_EQ(ToUnicode('Q', 0, keys, wide, 2, 0), 1);
  EXPECT_EQ(wide[0], u'Q');
  EXPECT_EQ(ToAscii(VK_F1, 0, keys, &ch, 0), 0);
  keys[VK_CONTROL] = keys[VK_MENU] = 0x80;
  EXPECT_EQ(ToUnicode('Q', 0, keys, wide, 2, 0), 0);
  EXPECT_EQ(uintptr_t(GetKeyboardLayout(0)), 0x04090409u);
}

}  // namespace
}  // namespace qv::test
