// Wheel panning: the tree's own panning cursors and the small window that
// marks the anchor, all drawn here in code (a dot with arrows pointing where
// the view can move), and the tree's choice of cursor by the mouse's offset.
#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include "datatree/BaseDataTree.h"
#include "platform/Surface.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Icons.h"
#include "platform/gdi/Region.h"
#include "platform/window/Input.h"
#include "platform/window/Messages.h"
#include "platform/window/Window.h"

namespace qv {

namespace {

enum Arrow { aN = 1, aS = 2, aE = 4, aW = 8, aNE = 16, aNW = 32, aSE = 64, aSW = 128 };

constexpr uint32_t kBlack = PixelRGB(0, 0, 0), kWhite = PixelRGB(255, 255, 255),
                   kDisc = PixelRGB(236, 236, 236);

bool InTriangle(double px, double py, const double (&t)[6]) {
  auto side = [](double ax, double ay, double bx, double by, double x, double y) {
    return (bx - ax) * (y - ay) - (by - ay) * (x - ax);
  };
  double d1 = side(t[0], t[1], t[2], t[3], px, py), d2 = side(t[2], t[3], t[4], t[5], px, py),
         d3 = side(t[4], t[5], t[0], t[1], px, py);
  bool neg = d1 < 0 || d2 < 0 || d3<0, pos = d1> 0 || d2 > 0 || d3 > 0;
  return !(neg && pos);
}

// One arrow head from the centre outwards; grow widens it (for the outline).
void FillArrow(Surface& s, double dx, double dy, double grow, uint32_t colour) {
  double len = std::hypot(dx, dy);
  dx /= len, dy /= len;
  double c = (s.Width - 1) / 2.0, tip = 13 + grow, base = 7 - grow, half = 4 + grow;
  double t[6] = {c + dx * tip,
                 c + dy * tip,
                 c + dx * base - dy * half,
                 c + dy * base + dx * half,
                 c + dx * base + dy * half,
                 c + dy * base - dx * half};
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x)
      if (InTriangle(x, y, t)) s.Set(x, y, colour);
}

void FillDisc(Surface& s, double radius, uint32_t colour) {
  double c = (s.Width - 1) / 2.0;
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x)
      if (std::hypot(x - c, y - c) <= radius) s.Set(x, y, colour);
}

Surface DrawPanning(unsigned arrows, bool window) {
  Surface s(32, 32, 0);  // fully transparent
  if (window) {
    FillDisc(s, 15.5, kBlack);
    FillDisc(s, 14.5, kDisc);
  }
  static const std::array<std::array<int, 3>, 8> dirs = {{{aN, 0, -1},
                                                          {aS, 0, 1},
                                                          {aE, 1, 0},
                                                          {aW, -1, 0},
                                                          {aNE, 1, -1},
                                                          {aNW, -1, -1},
                                                          {aSE, 1, 1},
                                                          {aSW, -1, 1}}};
  for (auto& d : dirs)
    if (arrows & unsigned(d[0])) FillArrow(s, d[1], d[2], 1, kWhite);
  for (auto& d : dirs)
    if (arrows & unsigned(d[0])) FillArrow(s, d[1], d[2], 0, kBlack);
  FillDisc(s, 3.5, kWhite);
  FillDisc(s, 2.5, kBlack);
  return s;
}

unsigned ArrowsOf(TPanningShape Shape) {
  switch (Shape) {
    case psMoveAll:
      return aN | aS | aE | aW;
    case psMoveNS:
      return aN | aS;
    case psMoveEW:
      return aE | aW;
    case psMoveN:
      return aN;
    case psMoveS:
      return aS;
    case psMoveE:
      return aE;
    case psMoveW:
      return aW;
    case psMoveNE:
      return aNE;
    case psMoveNW:
      return aNW;
    case psMoveSE:
      return aSE;
    default:
      return aSW;
  }
}

// The window's image is an icon kept in the window's user data.
LRESULT PanningWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (auto icon = reinterpret_cast<HICON>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
      DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const char16_t kPanningClass[] = u"TreePanningWindow";

}  // namespace

HCURSOR PanningCursor(TPanningShape Shape) {
  static std::mutex lock;
  static HCURSOR cursors[psCount] = {};
  std::lock_guard<std::mutex> hold(lock);
  if (!cursors[Shape]) cursors[Shape] = CreateIconFromPixels(DrawPanning(ArrowsOf(Shape), false));
  return cursors[Shape];
}

static Surface PanningImage(TPanningShape Shape) {
  return DrawPanning(ArrowsOf(Shape), true);
}

TPanningShape ChoosePanningShape(int DX, int DY, bool Horizontal, bool Vertical) {
  bool nearX = std::abs(DX) <= 8, nearY = std::abs(DY) <= 8;
  if (nearX && nearY) return Horizontal && Vertical ? psMoveAll : Horizontal ? psMoveEW : psMoveNS;
  if (Horizontal && Vertical) {
    if (nearX) return DY < 0 ? psMoveN : psMoveS;
    if (nearY) return DX < 0 ? psMoveW : psMoveE;
    if (DY < 0) return DX < 0 ? psMoveNW : psMoveNE;
    return DX < 0 ? psMoveSW : psMoveSE;
  }
  if (Vertical) return DY < 0 ? psMoveN : psMoveS;
  return DX < 0 ? psMoveW : psMoveE;
}

void TBaseDataTree::AdjustPanningCursor(int X, int Y) {
  bool horizontal = ClientWidth() < RangeX(), vertical = ClientHeight() < RangeY();
  HCURSOR cursor =
      PanningCursor(ChoosePanningShape(X - lastClickPos_.x, Y - lastClickPos_.y, horizontal, vertical));
  if (cursor != panningCursor_) {
    panningCursor_ = cursor;  // the shared cursors live for the process
    ::qv::SetCursor(cursor);
  }
}

void TBaseDataTree::ShowPanningWindow(POINT Position) {
  WNDCLASSEXW wc;
  if (!GetClassInfoExW(nullptr, kPanningClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.lpfnWndProc = PanningWindowProc;
    wc.lpszClassName = kPanningClass;
    RegisterClassExW(&wc);
  }
  // The image shows the directions the content can move in.
  bool horizontal = ClientWidth() < RangeX(), vertical = ClientHeight() < RangeY();
  TPanningShape shape = !horizontal ? psMoveNS : !vertical ? psMoveEW : psMoveAll;
  Surface image = PanningImage(shape);
  panningImage_ = CreateIconFromPixels(image);
  POINT screen = ClientToScreen(Position);
  panningWindow_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPanningClass, u"", WS_POPUP,
                                   screen.x - 16, screen.y - 16, 32, 32, Handle(), nullptr, nullptr, nullptr);
  if (!panningWindow_) return;
  SetWindowLongPtrW(panningWindow_, GWLP_USERDATA, LONG_PTR(panningImage_));
  // The window's region: the image's opaque pixels.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width;) {
      if (PixelA(image.At(x, y)) == 0) {
        ++x;
        continue;
      }
      int start = x;
      while (x < image.Width && PixelA(image.At(x, y)) != 0) ++x;
      HRGN run = CreateRectRgn(start, y, x, y + 1);
      CombineRgn(region, region, run, RGN_OR);
      DeleteObject(run);
    }
  SetWindowRgn(panningWindow_, region, FALSE);  // the window owns the region now
  ShowWindow(panningWindow_, SW_SHOWNOACTIVATE);
  UpdateWindow(panningWindow_);
}

void TBaseDataTree::HidePanningWindow() {
  if (panningWindow_) DestroyWindow(panningWindow_);
  panningWindow_ = nullptr;
  if (panningImage_) DestroyIcon(panningImage_);
  panningImage_ = nullptr;
  panningCursor_ = nullptr;
}

}  // namespace qv
