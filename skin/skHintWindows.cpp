// The shaped hint windows: placement against the screen edges, the screen
// captured under the hint, and the picture made of shadow, mask and body.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/Surface.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/skBlend.h"
#include "skin/skGradient.h"
#include "skin/skHintManager.h"
#include "skin/skHtmlParse.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skUtils.h"

namespace qv {

namespace {

TColor GreyOf(int g) {
  g = std::clamp(g, 0, 255);
  return TColor(g | g << 8 | g << 16);
}

void FillRectBmp(TBitmap* b, RECT r, TColor c) {
  c = ColorToRGB(c);
  r.left = std::max<LONG>(r.left, 0), r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, b->Width()), r.bottom = std::min<LONG>(r.bottom, b->Height());
  for (int y = r.top; y < r.bottom; ++y) {
    uint8_t* p = b->ScanLine(y) + 3 * r.left;
    for (int x = r.left; x < r.right; ++x, p += 3)
      p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
  }
}

void CopyAll(TBitmap* src, TBitmap* dst) {
  dst->SetSize(src->Width(), src->Height());
  CopyBitmapRect(src, dst, RECT{0, 0, src->Width(), src->Height()}, 0, 0);
}

// The screen's pixels under R into the top-left of B, as a copy through the
// desktop DC reads them. Only that part is composed, not the whole screen
// (a hint is shown far more often than the screen changes size); what lies
// off the screen keeps B's pixels.
void CaptureScreen(TBitmap* B, const RECT& R) {
  if (B->Empty()) return;
  thread_local Surface part;
  const RECT on = ComposeScreenPart(part, R);
  const TBmpRows rows(B);
  const int dx = on.left - R.left, dy = on.top - R.top;
  const int w = std::min(part.Width, B->Width() - dx), h = std::min(part.Height, B->Height() - dy);
  for (int y = 0; y < h; ++y) {
    const uint32_t* s = part.Row(y);
    uint8_t* d = rows(dy + y) + 3 * dx;
    for (int x = 0; x < w; ++x, d += 3) d[0] = PixelB(s[x]), d[1] = PixelG(s[x]), d[2] = PixelR(s[x]);
  }
}

void PrepareShapes(TCanvas* c) {
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetStyle(bsSolid);
}

}  // namespace

void Frame3D(TCanvas* Canvas, RECT R, TColor Top, TColor Bottom, int Width) {
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  --R.bottom, --R.right;
  while (Width-- > 0) {
    Canvas->Pen()->SetColor(Top);
    Canvas->Polyline({POINT{R.left, R.bottom}, POINT{R.left, R.top}, POINT{R.right, R.top}});
    Canvas->Pen()->SetColor(Bottom);
    Canvas->Polyline({POINT{R.right, R.top}, POINT{R.right, R.bottom}, POINT{R.left - 1, R.bottom}});
    InflateRect(&R, -1, -1);
  }
}

void PaintBorderByMask(TBitmap* Body, TBitmap* Mask, TColor Top, TColor Bottom) {
  if (!Body || !Mask || Body->Width() != Mask->Width() || Body->Height() != Mask->Height()) return;
  if (Mask->Empty()) return;
  const int W = Mask->Width(), H = Mask->Height();
  const TBmpRows body(Body), mask(Mask);
  // Which pixels of a row are white, with a white column on either side:
  // outside the mask counts as white, so its outermost pixels are edges.
  auto whiteRow = [&](int y, std::vector<uint8_t>& out) {
    out.assign(size_t(W) + 2, 1);
    if (y < 0 || y >= H) return;
    const uint8_t* p = mask(y);
    for (int x = 0; x < W; ++x, p += 3) out[size_t(x) + 1] = p[0] + p[1] + p[2] >= 765;
  };
  std::vector<uint8_t> up, row, down;
  whiteRow(-1, up), whiteRow(0, row), whiteRow(1, down);
  const TColor t = ColorToRGB(Top), b = ColorToRGB(Bottom);
  for (int y = 0; y < H; ++y) {
    uint8_t* out = body(y);
    for (int x = 0; x < W; ++x) {
      const size_t i = size_t(x) + 1;
      if (row[i]) continue;
      TColor c;
      if (row[i - 1] || up[i])
        c = t;
      else if (row[i + 1] || down[i])
        c = b;
      else
        continue;
      uint8_t* p = out + 3 * x;
      p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
    }
    up.swap(row), row.swap(down);
    whiteRow(y + 2, down);
  }
}

void TSkCustomHintWindow::CreateParams(TCreateParams& Params) {
  THintWindow::CreateParams(Params);
  Params.Style &= ~DWORD(WS_BORDER);
}

void TSkCustomHintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_ERASEBKGND) {
    Message.Result = 1;
    return;
  }
  if (Message.Msg == WM_NCPAINT) return;
  THintWindow::Dispatch(Message);
}

RECT TSkCustomHintWindow::CalcHintRect(int MaxWidth, const std::string& Hint) {
  (void)MaxWidth;  // the hint kind's own width is used
  if (!ActiveHintManager) return RECT{0, 0, 0, 0};
  TSkHintKind* k = Kind();
  TBitmap* bmp = ManagerBmp();
  if (bmp->Empty()) bmp->SetSize(1, 1);
  bmp->Canvas()->SetFont(k->Font());
  RECT R{0, 0, k->MaxWidth, 0};
  if (ActiveHintManager->HTMLMode) {
    TSkHtml html;
    html.Init(bmp, Hint, R);
    html.Render(R);
  } else {
    std::string text = Hint;
    bmp->Canvas()->TextRect(R, text,
                            TTextFormat{tfCalcRect, tfNoPrefix, tfWordBreak, tfVerticalCenter, tfCenter});
  }
  if ((k->Style() == hsEllipse || k->Style() == hsBalloon) && R.right < 50) R.right = 50;
  const int s = k->ShadowSize();
  R.right += s + 2 * (k->MarginH + k->BevelWidth);
  R.bottom += s + 2 * (k->MarginV + k->BevelWidth);
  return R;
}

void TSkCustomHintWindow::GetMousePosition(POINT& P) {
  GetCursorPos(&P);
}

RECT PlaceHintRect(POINT P, int w, int h, TSkMousePosition& Quadrant, const RECT& Screen) {
  RECT R{P.x, P.y, P.x + w, P.y + h};
  bool top = Quadrant == mpLeftTop || Quadrant == mpRightTop;
  bool left = Quadrant == mpLeftTop || Quadrant == mpLeftBottom;
  if (!top) OffsetRect(&R, 0, -h);
  if (!left) OffsetRect(&R, -w, 0);
  // The screen's edges, not its sizes: a virtual desktop may start anywhere.
  bool fired = false;
  if (Screen.bottom < R.bottom) R.top = P.y - h, top = false, fired = true;
  if (Screen.top > R.top) R.top = P.y, top = true, fired = true;
  if (Screen.right < R.left + w) R.left = P.x - w, left = false, fired = true;
  if (Screen.left > R.left) R.left = P.x, left = true, fired = true;
  if (fired) Quadrant = top ? (left ? mpLeftTop : mpRightTop) : (left ? mpLeftBottom : mpRightBottom);
  R.right = R.left + w, R.bottom = R.top + h;
  return R;
}

void TSkCustomHintWindow::ActivateHint(RECT Rect, const std::string& Hint) {
  // Pending paints reach the screen before it is captured; a handler run
  // meanwhile may drop this very window (a new hint style).
  auto alive = AliveToken();
  if (Application) Application->ProcessMessages();
  if (alive.expired()) return;
  if (!ActiveHintManager || Kind()->Style() == hsNone) return;
  if (Application) Application->HintHidePause = ActiveHintManager->PauseHide;
  SetCaption(Hint);
  POINT P{0, 0};
  if (AnchorPoint.x != 0 && AnchorPoint.y != 0)
    P = AnchorPoint;
  else
    GetMousePosition(P);
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  TailQuadrant = ActiveHintManager->DefaultMousePos;
  const RECT screenRect{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                        GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                        GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  const RECT R = PlaceHintRect(P, w, h, TailQuadrant, screenRect);
  // The screen under the hint is captured once, before the hint shows, so a
  // repaint never composes the hint over its own picture.
  if (HandleAllocated() && IsWindowVisible(WindowHandle())) ShowWindow(WindowHandle(), SW_HIDE);
  TBitmap* capture = ActiveHintManager->Capture();
  capture->SetSize(w, h);
  ManagerBmp()->SetSize(w, h);
  CaptureScreen(capture, R);
  SetBoundsRect(R);
  SetWindowPos(Handle(), HWND_TOPMOST, R.left, R.top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
  Update();
}

void TSkCustomHintWindow::Compose() {
  if (!ActiveHintManager) return;
  TBitmap* bmp = ManagerBmp();
  TBitmap* capture = ActiveHintManager->Capture();
  if (capture->Width() != Width() || capture->Height() != Height()) capture->SetSize(Width(), Height());
  CopyAll(capture, bmp);
  if (Kind()->ShadowEnabled) PaintHintShadow();
  std::unique_ptr<TBitmap> mask(CreateMask());
  std::unique_ptr<TBitmap> body;
  {
    // The body's border follows this same mask: it is lent, not drawn again.
    struct Lend {
      TBitmap*& slot;
      ~Lend() { slot = nullptr; }
    } lend{composeMask_};
    composeMask_ = mask.get();
    body.reset(CreateBody());
  }
  if (mask && body) BlendByMask(bmp, body.get(), mask.get(), RECT{0, 0, Width(), Height()});
}

void TSkCustomHintWindow::Paint() {
  if (!ActiveHintManager) return;
  Compose();
  TBitmap* bmp = ManagerBmp();
  BitBlt(Canvas()->Handle(), 0, 0, bmp->Width(), bmp->Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkCustomHintWindow::GetBodyRect(RECT& R) {
  const int s = Kind()->ShadowSize();
  R = RECT{0, 0, Width() - s, Height() - s};
}

POINT TSkCustomHintWindow::GetTailPoint() {
  switch (TailQuadrant) {
    case mpLeftTop:
      return POINT{3, 3};
    case mpLeftBottom:
      return POINT{3, Height() - 3};
    case mpRightTop:
      return POINT{Width() - 3, 3};
    default:
      return POINT{Width() - 3, Height() - 3};
  }
}

TBitmap* TSkCustomHintWindow::CreateBody() {
  TBitmap* B = CreateBmp24BySize(Width(), Height());
  PaintBG(B, RECT{0, 0, Width(), Height()});
  PaintText(B);
  PaintBorder(B);
  return B;
}

namespace {

// Texture, gradient and colour mixed into R of B.
void FillHint(TSkHintKind* k, TBitmap* B, const RECT& R, const TSkGradArray& grad) {
  const bool textured = k->TexturePercent > 0;
  if (textured)
    TileGraphic(B, R, k->Texture()->Graphic());
  else
    FillRectBmp(B, R, k->Color);
  const int w = R.right - R.left, h = R.bottom - R.top;
  if (k->GradientPercent > 0) {
    if (textured) {
      std::unique_ptr<TBitmap> G(CreateBmp24BySize(w, h));
      if (grad.empty())
        FillRectBmp(G.get(), RECT{0, 0, w, h}, k->Color);
      else
        PaintGrad(G.get(), RECT{0, 0, w, h}, grad);
      BlendBitmapRect(B, G.get(), uint8_t(std::min(255, k->TexturePercent * 256 / 100)), RECT{0, 0, w, h},
                      POINT{R.left, R.top});
    } else if (grad.empty()) {
      FillRectBmp(B, R, k->Color);
    } else {
      PaintGrad(B, R, grad);
    }
  }
  const int p = k->GradientPercent + k->TexturePercent;
  if (p >= 1 && p <= 99)
    BlendRectToColor(B, R, uint8_t(p), k->Color);
  else if (p != 100)
    FillRectBmp(B, R, k->Color);
}

}  // namespace

void TSkCustomHintWindow::PaintBG(TBitmap* B, RECT R) {
  TSkHintKind* k = Kind();
  TSkGradArray grad;
  if (k->GradientPercent > 0) {
    grad = ParseGradArrayOrEmpty(k->GradientData);  // a bad description counts as none
    if (grad.empty()) k->GradientPercent = 0;
  }
  TBitmap* cache = ManagerBmp();
  if (k->Transparency == 100) {
    if (B != cache) CopyBitmapRect(cache, B, R, R.left, R.top);
    return;
  }
  if (k->Transparency == 0) {
    FillHint(k, B, R, grad);
    return;
  }
  const int w = R.right - R.left, h = R.bottom - R.top;
  std::unique_ptr<TBitmap> T(CreateBmp24BySize(w, h));
  FillHint(k, T.get(), RECT{0, 0, w, h}, grad);
  if (B != cache) CopyBitmapRect(cache, B, R, R.left, R.top);
  BlendBitmapRect(B, T.get(), uint8_t(std::min(255, k->Transparency * 256 / 100)), RECT{0, 0, w, h},
                  POINT{R.left, R.top});
}

void TSkCustomHintWindow::PaintText(TBitmap* B) {
  TSkHintKind* k = Kind();
  RECT R;
  GetBodyRect(R);
  const int dx = k->BevelWidth + k->MarginH + ExtraWidth / 2,
            dy = k->MarginV + k->BevelWidth + ExtraHeight / 2;
  R = RECT{R.left + dx, R.top + dy, R.right - dx, R.bottom - dy};
  TCanvas* c = B->Canvas();
  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetStyle(psSolid);
  c->SetFont(k->Font());
  if (ActiveHintManager->HTMLMode) {
    TSkHtml html;
    html.Init(B, Caption(), R);
    html.Render(R);
  } else {
    std::string text = Caption();
    c->TextRect(R, text, TTextFormat{tfNoPrefix, tfWordBreak, tfCenter});
  }
}

void TSkCustomHintWindow::PaintRings(TBitmap* M, int Rings, int T, RECT Body, int WedgeShift, bool Ellipse) {
  TCanvas* c = M->Canvas();
  PrepareShapes(c);
  const double step = (255 - T) / double(Rings + 1);
  const POINT tip = GetTailPoint();
  const int width = Body.right - Body.left, height = Body.bottom - Body.top, H = Height();
  const int radius = Kind()->Radius;
  double k = 0;
  for (int i = 0; i <= Rings; ++i) {
    c->Brush()->SetColor(GreyOf(RoundEven((Rings - i) * step) + T));
    if (Ellipse)
      c->Ellipse(Body.left + i, Body.top + i, Body.right - i + 1, Body.bottom - i + 1);
    else
      c->RoundRect(Body.left + i, Body.top + i, Body.right - i + 1, Body.bottom - i + 1, radius, radius);
    const int cx = Body.left + width / 2 + WedgeShift;
    const int half = std::max(0, width / 8 - RoundEven(i * k * 2));
    if (TailOnTop()) {
      k = (Body.top + height / 2.0) / (Body.top + 1);
      const int y = Body.top + height / 2;
      c->Polygon({tip, POINT{cx - half, y}, POINT{cx + half, y}});
    } else {
      k = (H - (Body.bottom - height / 2.0)) / (H - Body.bottom + 1);
      const int y = Body.bottom - height / 2;
      c->Polygon({tip, POINT{cx - half, y}, POINT{cx + half, y}});
    }
  }
}

// Simple rectangles.

void TSkSimplyHintWindow::GetMousePosition(POINT& P) {
  TSkCustomHintWindow::GetMousePosition(P);
  P.y += 16;
}

TBitmap* TSkSimplyHintWindow::CreateMask() {
  TBitmap* M = CreateBmp24BySize(Width(), Height());
  RECT body;
  GetBodyRect(body);
  PaintShadow(M, body, 0, clBlack, Kind()->Blur, 0);
  return M;
}

TBitmap* TSkSimplyHintWindow::CreateBody() {
  TBitmap* B = CreateBmp24BySize(Width(), Height());
  RECT body;
  GetBodyRect(body);
  PaintBG(B, body);
  PaintText(B);
  PaintBorder(B);
  return B;
}

void TSkSimplyHintWindow::PaintHintShadow() {
  TSkHintKind* k = Kind();
  const int s = k->ShadowSize();
  PaintShadow(ManagerBmp(), RECT{s, s, Width(), Height()}, k->EffectiveShadowTransparency(), k->ShadowColor,
              k->ShadowBlur, 0);
}

void TSkSimplyHintWindow::PaintBorder(TBitmap* B) {
  TSkHintKind* k = Kind();
  if (k->BevelWidth <= 0) return;
  RECT body;
  GetBodyRect(body);
  Frame3D(B->Canvas(), RECT{body.left, body.top, body.right - 1, body.bottom - 1}, k->ColorBorderTop,
          k->ColorBorderBottom, k->BevelWidth);
}

// Speech bubbles and ellipses.

RECT TSkComicsHintWindow::CalcHintRect(int MaxWidth, const std::string& Hint) {
  RECT R = TSkCustomHintWindow::CalcHintRect(MaxWidth, Hint);
  if (ActiveHintManager) R.bottom += Kind()->ExOffset;
  return R;
}

void TSkComicsHintWindow::GetBodyRect(RECT& R) {
  TSkHintKind* k = Kind();
  const int s = k->ShadowSize();
  if (TailOnTop())
    R = RECT{0, k->ExOffset, Width() - s, Height() - s};
  else
    R = RECT{0, 0, Width() - s, Height() - s - k->ExOffset};
}

TBitmap* TSkComicsHintWindow::CreateMask() {
  TBitmap* M = CreateBmp24BySize(Width(), Height());
  RECT body;
  GetBodyRect(body);
  PaintRings(M, Kind()->Blur, std::max(Kind()->Transparency, 0) * 255 / 100, body, 0, Elliptic());
  return M;
}

void TSkComicsHintWindow::PaintHintShadow() {
  TSkHintKind* k = Kind();
  std::unique_ptr<TBitmap> M(CreateBmp24BySize(Width(), Height()));
  RECT body;
  GetBodyRect(body);
  OffsetRect(&body, k->ShadowOffset, k->ShadowOffset);
  PaintRings(M.get(), k->ShadowBlur, k->EffectiveShadowTransparency() * 255 / 100, body, k->ShadowBlur,
             Elliptic());
  BlendColorByMask(ManagerBmp(), M.get(), k->ShadowColor);
}

void TSkComicsHintWindow::PaintBorder(TBitmap* B) {
  if (Kind()->BevelWidth <= 0) return;
  std::unique_ptr<TBitmap> own;
  TBitmap* M = ComposeMask();
  if (!M) own.reset(CreateMask()), M = own.get();
  PaintBorderByMask(B, M, Kind()->ColorBorderTop, Kind()->ColorBorderBottom);
}

RECT TSkEllipseHintWindow::CalcHintRect(int MaxWidth, const std::string& Hint) {
  RECT R = TSkComicsHintWindow::CalcHintRect(MaxWidth, Hint);
  const double w = R.right - R.left, h = R.bottom - R.top;
  ExtraWidth = ExtraHeight = 0;
  if (w > 0 && h > 0) {  // an empty rectangle gets no elliptic room
    const double d = std::sqrt(w * w + h * h) - w;
    ExtraWidth = RoundEven(w * d / h);
    ExtraHeight = RoundEven(h * d / w);
  }
  R.right += ExtraWidth;
  R.bottom += ExtraHeight;
  return R;
}

// Balloons.

RECT TSkBalloonHintWindow::BubbleRect(int k, int ShadowSize) {
  RECT body;
  GetBodyRect(body);
  const int n = std::max(1, BubbleCount);
  const double H = body.bottom - body.top, W = body.right - body.left;
  if (H <= 0 || W <= 0 || BubbleDivisor == 0) return RECT{0, 0, 0, 0};
  const double unit = H / (BubbleDivisor * n);
  const int pairs = n * (n - 1);  // the sum of 2j for j = 0 .. n-1
  const int inc = pairs == 0 ? 0 : RoundEven((Kind()->ExOffset - unit * n) / pairs);
  auto size = [&](int j) { return RoundEven(unit + 2 * inc * (j - 1)); };
  int before = 0;
  for (int j = 1; j < k; ++j) before += size(j);
  const int ry = size(k) / 2;
  const int rx = RoundEven(ry * W / (2 * H));
  const POINT tip = GetTailPoint();
  const int cx = body.left + int(W) / 2;
  const int xstep = std::abs(cx - tip.x) / (n + 1);
  const int b = TailOnTop() ? 0 : ShadowSize;
  int x, y;
  switch (TailQuadrant) {
    case mpLeftTop:
      x = xstep * k, y = ry + before;
      break;
    case mpLeftBottom:
      x = xstep * k, y = Height() - b - ry - before;
      break;
    case mpRightTop:
      x = tip.x - xstep * k, y = ry + before;
      break;
    default:
      x = tip.x - xstep * k - b, y = Height() - b - ry - before;
      break;
  }
  RECT r{std::min(x - rx, x), std::min(y - ry, y), std::max(x + rx + 1, x + 1), std::max(y + ry + 1, y + 1)};
  if (r.right - r.left < r.bottom - r.top + 5) r.right = r.left + (r.bottom - r.top) + 5;
  return r;
}

TBitmap* TSkBalloonHintWindow::CreateBalloonShape(bool ForShadow) {
  TSkHintKind* k = Kind();
  TBitmap* M = CreateBmp24BySize(Width(), Height());
  RECT body;
  GetBodyRect(body);
  const int t =
      ForShadow ? k->EffectiveShadowTransparency() * 255 / 100 : std::max(k->Transparency, 0) * 255 / 100;
  const int rings = ForShadow ? k->ShadowBlur : k->Blur;
  const double step = (255 - t) / double(rings + 1);
  TCanvas* c = M->Canvas();
  PrepareShapes(c);
  for (int i = 0; i <= rings; ++i) {
    c->Brush()->SetColor(GreyOf(RoundEven((rings - i) * step) + t));
    c->Ellipse(body.left + i, body.top + i, body.right - i + 1, body.bottom - i + 1);
    for (int b = 1; b <= BubbleCount; ++b) {
      RECT r = BubbleRect(b, k->ShadowSize());
      if (r.right <= r.left || r.bottom <= r.top) continue;
      c->Ellipse(r.left + i, r.top + i, r.right - i + 1, r.bottom - i + 1);
    }
  }
  return M;
}

TBitmap* TSkBalloonHintWindow::CreateMask() {
  return CreateBalloonShape(false);
}

void TSkBalloonHintWindow::PaintHintShadow() {
  TSkHintKind* k = Kind();
  std::unique_ptr<TBitmap> S(CreateBalloonShape(true));
  std::unique_ptr<TBitmap> M(CreateBmp24BySize(Width(), Height()));
  const int off = k->ShadowOffset;
  CopyBitmapRect(S.get(), M.get(), RECT{0, 0, Width() - off, Height() - off}, off, off);
  BlendColorByMask(ManagerBmp(), M.get(), k->ShadowColor);
}

}  // namespace qv
