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
  FreeBuffer(base_);
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
  MakeBuffer(base_);
  MakeBuffer(blend_);
  MakeBuffer(image_);
  if (!saved_.bits || !base_.bits || !blend_.bits || !image_.bits) {
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

// The image's screen DC shows what it draws over the windows as long as it
// lives, and reads the screen as it was when it was made: the saved copy is
// read from the screen as it is now, and what goes back where the image leaves
// is what the image's DC had there, so the windows' own pixels show again,
// however they changed in the meantime.
void TDTDragImage::Capture(HDC Fresh, int X, int Y, int W, int H) {
  if (W <= 0 || H <= 0) return;
  BitBlt(saved_.dc, X, Y, W, H, Fresh, origin_.x + X, origin_.y + Y, SRCCOPY);
  BitBlt(base_.dc, X, Y, W, H, ScreenDC(), origin_.x + X, origin_.y + Y, SRCCOPY);
}

// The screen as it is now, composed only where the image lies: a drag
// opens one for every move, and the whole screen (the desktop read back
// from the display server included) would cost far more than the image.
HDC TDTDragImage::FreshScreen() const {
  HRGN area = CreateRectRgn(origin_.x, origin_.y, origin_.x + size_.cx, origin_.y + size_.cy);
  HDC dc = GetDCEx(nullptr, area, DCX_CACHE | DCX_INTERSECTRGN);
  DeleteObject(area);
  return dc;
}

void TDTDragImage::Restore(int X, int Y, int W, int H) {
  if (W > 0 && H > 0) BitBlt(ScreenDC(), origin_.x + X, origin_.y + Y, W, H, base_.dc, X, Y, SRCCOPY);
}

void TDTDragImage::ShowImage() {
  if ((flags_ & 15) != 7) return;
  flags_ &= ~1;
  GdiFlush();
  HDC fresh = FreshScreen();
  Capture(fresh, 0, 0, size_.cx, size_.cy);
  ReleaseDC(nullptr, fresh);
  PaintImage(ScreenDC());
}

void TDTDragImage::HideImage() {
  if (!Visible()) return;
  flags_ |= 1;
  Restore(0, 0, size_.cx, size_.cy);
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
    int w = size_.cx, h = size_.cy;
    if (std::abs(dx) >= w || std::abs(dy) >= h || ForceRepaint) {
      Restore(0, 0, w, h);
      if (ForceRepaint && owner_) UpdateWindow(owner_);
      origin_.x -= dx;
      origin_.y -= dy;
      HDC fresh = FreshScreen();
      Capture(fresh, 0, 0, w, h);
      ReleaseDC(nullptr, fresh);
    } else {
      // The strips the image leaves show the windows again.
      if (dx > 0) Restore(w - dx, 0, dx, h);
      if (dx < 0) Restore(0, 0, -dx, h);
      if (dy > 0) Restore(0, h - dy, w, dy);
      if (dy < 0) Restore(0, 0, w, -dy);
      // The overlap moves with the image; the strips it enters come from the screen.
      for (Buffer* b : {&saved_, &base_}) {
        BitBlt(blend_.dc, 0, 0, w, h, b->dc, 0, 0, SRCCOPY);
        BitBlt(b->dc, dx, dy, w, h, blend_.dc, 0, 0, SRCCOPY);
      }
      origin_.x -= dx;
      origin_.y -= dy;
      HDC fresh = FreshScreen();
      if (dx > 0) Capture(fresh, 0, 0, dx, h);
      if (dx < 0) Capture(fresh, w + dx, 0, -dx, h);
      if (dy > 0) Capture(fresh, 0, 0, w, dy);
      if (dy < 0) Capture(fresh, 0, h + dy, w, -dy);
      ReleaseDC(nullptr, fresh);
    }
    PaintImage(ScreenDC());
  }
  if (result) lastMouse_ = P;
  return result;
}

void TDTDragImage::RefreshSavedScreen(TBaseDataTree* Tree, RECT R, HRGN VisibleRegion, bool CaptureNonClient,
                                      bool ReshowImage) {
  if (!Visible() || !Tree || !Tree->HandleAllocated()) return;
  HWND h = Tree->Handle();
  RECT image = ImageScreenRect(), cut;
  POINT client = Tree->ClientOrigin();
  OffsetRect(&R, client.x, client.y);
  if (!IntersectRect(&cut, &R, &image)) return;
  // The saved copy is addressed from the image's top-left; the tree draws in
  // client coordinates moved there by the viewport origin.
  HDC dc = saved_.dc;
  int saveState = SaveDC(dc);
  if (VisibleRegion) {
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(clip, VisibleRegion, nullptr, RGN_COPY);
    OffsetRgn(clip, -image.left, -image.top);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
  }
  IntersectClipRect(dc, cut.left - image.left, cut.top - image.top, cut.right - image.left,
                    cut.bottom - image.top);
  OffsetRect(&cut, -client.x, -client.y);
  SetViewportOrgEx(dc, client.x - image.left, client.y - image.top, nullptr);
  // The header lies above the client area, in the frame.
  RECT header = Tree->HeaderRect(), part;
  POINT inWindow = Tree->ClientOriginInWindow();
  OffsetRect(&header, -inWindow.x, -inWindow.y);
  if (Tree->Header()->Options().Contains(hoVisible) && IntersectRect(&part, &cut, &header))
    Tree->PaintHeader(dc, header);
  RECT rows{cut.left, std::max<int>(cut.top, 0), cut.right, cut.bottom};
  if (rows.bottom > rows.top) {
    // PaintTree places its target point on the device, not through the viewport.
    SetViewportOrgEx(dc, 0, 0, nullptr);
    RECT window{rows.left - Tree->OffsetX(), rows.top - Tree->OffsetY(), rows.right - Tree->OffsetX(),
                rows.bottom - Tree->OffsetY()};
    POINT target{rows.left + client.x - image.left, rows.top + client.y - image.top};
    Tree->PaintTree(dc, window, target,
                    {ptBackground, ptColumnColor, ptFocusRect, ptSelection, ptDropMark, ptGridLines});
  }
  if (CaptureNonClient) {
    RECT wr;
    GetWindowRect(h, &wr);
    SetViewportOrgEx(dc, wr.left - image.left, wr.top - image.top, nullptr);
    SendMessageW(h, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
  }
  RestoreDC(dc, saveState);
  if (ReshowImage) {
    GdiFlush();
    PaintImage(ScreenDC());
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
// What it is read for is only put back on it (the pixels under the image come
// from FreshScreen): the desktop's pixels, a read-back of the whole screen
// from the display server, are not read for it.
HDC TDTDragImage::ScreenDC() {
  if (!screen_) screen_ = GetDCEx(nullptr, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  return screen_;
}

}  // namespace qv
