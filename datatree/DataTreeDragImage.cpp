// The drag image: a window-less picture painted onto the screen that follows
// the mouse. It keeps a copy of the screen under it, so moving it exchanges
// only the strips it leaves and enters, and it fades toward its edges.
#include <cmath>

#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeDragDrop.h"
#include "datatree/DataTreeDrawing.h"

namespace qv {

TDTDragImage::~TDTDragImage() {
  EndImageDrag();
}

void TDTDragImage::MakeBuffer(Buffer& b) {
  BITMAPINFO info{};
  info.bmiHeader.biWidth = size_.cx;
  info.bmiHeader.biHeight = -size_.cy;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  b.dc = CreateCompatibleDC(nullptr);
  b.bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  b.bits = static_cast<uint32_t*>(bits);
  b.old = SelectObject(b.dc, b.bmp);
}

void TDTDragImage::FreeBuffer(Buffer& b) {
  if (b.dc) {
    SelectObject(b.dc, b.old);
    DeleteDC(b.dc);
  }
  if (b.bmp) DeleteObject(b.bmp);
  b = Buffer{};
}

void TDTDragImage::FreeBitmaps() {
  FreeBuffer(saved_);
  FreeBuffer(blend_);
  FreeBuffer(image_);
}

void TDTDragImage::BeginImageDrag(HBITMAP Source, POINT Origin, POINT HotSpot) {
  EndImageDrag();
  BITMAP bm{};
  if (!Source || !GetObjectW(Source, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return;
  size_ = SIZE{bm.bmWidth, bm.bmHeight};
  lastMouse_ = HotSpot;
  MakeBuffer(saved_);
  MakeBuffer(blend_);
  MakeBuffer(image_);
  if (!saved_.bits || !blend_.bits || !image_.bits) {
    FreeBitmaps();
    return;
  }
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, Source);
  if (BiasBefore == 0)
    BitBlt(image_.dc, 0, 0, size_.cx, size_.cy, src, 0, 0, SRCCOPY);
  else
    BlendRect(src, image_.dc, RECT{0, 0, size_.cx, size_.cy}, POINT{0, 0}, bmConstantAlpha, 255, BiasBefore);
  MakeAlphaChannel(src);
  SelectObject(src, old);
  DeleteDC(src);
  origin_ = Origin;
  flags_ = 7;  // active and hidden
}

// Opaque in the middle and fading toward the edges; colour-keyed pixels vanish.
void TDTDragImage::MakeAlphaChannel(HDC SourceDC) {
  int w = size_.cx, h = size_.cy;
  double m = std::max(w, h);
  COLORREF key = TransparentColor == clNone ? CLR_INVALID : COLORREF(ColorToRGB(TransparentColor));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t& p = image_.bits[size_t(y) * size_t(w) + size_t(x)];
      bool keyed = key != CLR_INVALID && GetPixel(SourceDC, x, y) == key;
      double dx = (x - w / 2) / m, dy = (y - h / 2) / m;
      uint32_t a = keyed ? 0 : uint32_t(std::lround(255 * std::exp(-8 * std::sqrt(dx * dx + dy * dy))));
      p = (p & 0xFFFFFF) | (a << 24);
    }
}

uint8_t TDTDragImage::AlphaAt(int X, int Y) const {
  if (!image_.bits || X < 0 || Y < 0 || X >= size_.cx || Y >= size_.cy) return 0;
  return uint8_t(image_.bits[size_t(Y) * size_t(size_.cx) + size_t(X)] >> 24);
}

void TDTDragImage::PaintImage(HDC ScreenDC) {
  BitBlt(blend_.dc, 0, 0, size_.cx, size_.cy, saved_.dc, 0, 0, SRCCOPY);
  int mode = FadeEdges || TransparentColor != clNone ? bmMasterAlpha : bmConstantAlpha;
  BlendRect(image_.dc, blend_.dc, RECT{0, 0, size_.cx, size_.cy}, POINT{0, 0}, mode, ImageAlpha, BiasAfter);
  BitBlt(ScreenDC, origin_.x, origin_.y, size_.cx, size_.cy, blend_.dc, 0, 0, SRCCOPY);
}

void TDTDragImage::ShowImage() {
  if ((flags_ & 15) != 7) return;
  flags_ &= ~1;
  GdiFlush();
  HDC screen = ScreenDC();
  BitBlt(saved_.dc, 0, 0, size_.cx, size_.cy, screen, origin_.x, origin_.y, SRCCOPY);
  PaintImage(screen);
}

void TDTDragImage::HideImage() {
  if (!Visible()) return;
  flags_ |= 1;
  HDC screen = ScreenDC();
  BitBlt(screen, origin_.x, origin_.y, size_.cx, size_.cy, saved_.dc, 0, 0, SRCCOPY);
}

bool TDTDragImage::ImageWouldMove(POINT P) const {
  if (!Visible()) return false;
  int dx = AxisLock == dlVerticalOnly ? 0 : lastMouse_.x - P.x;
  int dy = AxisLock == dlHorizontalOnly ? 0 : lastMouse_.y - P.y;
  return dx != 0 || dy != 0;
}

RECT TDTDragImage::ImageScreenRect() const {
  if (!Visible()) return RECT{};
  return RECT{origin_.x, origin_.y, origin_.x + size_.cx, origin_.y + size_.cy};
}

bool TDTDragImage::MoveImageTo(POINT P, bool ForceRepaint) {
  int dx = AxisLock == dlVerticalOnly ? 0 : lastMouse_.x - P.x;
  int dy = AxisLock == dlHorizontalOnly ? 0 : lastMouse_.y - P.y;
  bool result = dx != 0 || dy != 0 || ForceRepaint;
  if (result && Visible()) {
    HDC screen = ScreenDC();
    int w = size_.cx, h = size_.cy;
    if (std::abs(dx) >= w || std::abs(dy) >= h || ForceRepaint) {
      BitBlt(screen, origin_.x, origin_.y, w, h, saved_.dc, 0, 0, SRCCOPY);
      if (ForceRepaint && owner_) UpdateWindow(owner_);
      origin_.x -= dx;
      origin_.y -= dy;
      BitBlt(saved_.dc, 0, 0, w, h, screen, origin_.x, origin_.y, SRCCOPY);
    } else {
      // The strips the image leaves go back to the screen.
      if (dx > 0) BitBlt(screen, origin_.x + w - dx, origin_.y, dx, h, saved_.dc, w - dx, 0, SRCCOPY);
      if (dx < 0) BitBlt(screen, origin_.x, origin_.y, -dx, h, saved_.dc, 0, 0, SRCCOPY);
      if (dy > 0) BitBlt(screen, origin_.x, origin_.y + h - dy, w, dy, saved_.dc, 0, h - dy, SRCCOPY);
      if (dy < 0) BitBlt(screen, origin_.x, origin_.y, w, -dy, saved_.dc, 0, 0, SRCCOPY);
      // The overlap moves with the image; the strips it enters come from the screen.
      BitBlt(blend_.dc, 0, 0, w, h, saved_.dc, 0, 0, SRCCOPY);
      BitBlt(saved_.dc, dx, dy, w, h, blend_.dc, 0, 0, SRCCOPY);
      origin_.x -= dx;
      origin_.y -= dy;
      if (dx > 0) BitBlt(saved_.dc, 0, 0, dx, h, screen, origin_.x, origin_.y, SRCCOPY);
      if (dx < 0) BitBlt(saved_.dc, w + dx, 0, -dx, h, screen, origin_.x + w + dx, origin_.y, SRCCOPY);
      if (dy > 0) BitBlt(saved_.dc, 0, 0, w, dy, screen, origin_.x, origin_.y, SRCCOPY);
      if (dy < 0) BitBlt(saved_.dc, 0, h + dy, w, -dy, screen, origin_.x, origin_.y + h + dy, SRCCOPY);
    }
    PaintImage(screen);
  }
  if (result) lastMouse_ = P;
  return result;
}

void TDTDragImage::RefreshSavedScreen(TBaseDataTree* Tree, RECT R, bool ReshowImage) {
  if (!Visible() || !Tree || !Tree->HandleAllocated()) return;
  RECT image = ImageScreenRect(), cut;
  if (!IntersectRect(&cut, &R, &image)) return;
  // What the tree shows there now, read from its window.
  HDC dc = GetWindowDC(Tree->Handle());
  RECT wr;
  GetWindowRect(Tree->Handle(), &wr);
  BitBlt(saved_.dc, cut.left - image.left, cut.top - image.top, cut.right - cut.left, cut.bottom - cut.top,
         dc, cut.left - wr.left, cut.top - wr.top, SRCCOPY);
  ReleaseDC(Tree->Handle(), dc);
  if (ReshowImage) {
    GdiFlush();
    HDC screen = ScreenDC();
    PaintImage(screen);
  }
}

void TDTDragImage::EndImageDrag() {
  HideImage();
  flags_ &= ~6;
  FreeBitmaps();
  if (screen_) ReleaseDC(nullptr, screen_);
  screen_ = nullptr;
}

// One screen DC for the whole drag: what it draws shows until it is released.
HDC TDTDragImage::ScreenDC() {
  if (!screen_) screen_ = GetDC(nullptr);
  return screen_;
}

}  // namespace qv
