// The alpha blender works on the DIB rows directly (top-down or bottom-up);
// ShortenText finds the longest part that fits beside "..." by binary search.
#include "datatree/DataTreeDrawing.h"

#include <algorithm>

#include "datatree/DataTreeTypes.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"

namespace qv {

namespace {

struct DibView {
  uint8_t* bits = nullptr;
  int width = 0, height = 0;
  bool topDown = false;
  uint8_t* Row(int y) const { return bits + size_t(width) * 4 * size_t(topDown ? y : height - y - 1); }
};

DibView ViewOf(HDC dc) {
  HGDIOBJ bmp = GetCurrentObject(dc, OBJ_BITMAP);
  DIBSECTION ds{};
  if (!bmp || GetObjectW(bmp, sizeof(ds), &ds) < int(sizeof(BITMAP)))
    DataTreeAssertionFailed("Alpha blending DC error: no bitmap available.");
  if (ds.dsBm.bmPlanes * ds.dsBm.bmBitsPixel != 32)
    DataTreeAssertionFailed("Alpha blending error: bitmap must use 32 bpp.");
  if (!ds.dsBm.bmBits) DataTreeAssertionFailed("Alpha blending DC error: no bitmap available.");
  DibView v;
  v.bits = static_cast<uint8_t*>(ds.dsBm.bmBits);
  v.width = ds.dsBm.bmWidth;
  v.height = std::abs(int(ds.dsBm.bmHeight));
  v.topDown = ds.dsBmih.biHeight < 0 || ds.dsBmih.biSize == 0;
  if (ds.dsBmih.biSize != 0) v.topDown = ds.dsBmih.biHeight < 1;
  return v;
}

inline uint8_t Clamp(int v) {
  return uint8_t(std::clamp(v, 0, 255));
}

}  // namespace

void BlendRect(HDC Source, HDC Destination, RECT R, POINT Target, int Mode, int ConstantAlpha, int Bias) {
  if (R.right <= R.left || R.bottom <= R.top) return;
  DibView dst = ViewOf(Destination);
  if (Mode == bmColorWash) {
    // Clip R to the destination.
    RECT c{std::max<LONG>(R.left, 0), std::max<LONG>(R.top, 0), std::min<LONG>(R.right, dst.width),
           std::min<LONG>(R.bottom, dst.height)};
    COLORREF col = COLORREF(ColorToRGB(Bias));
    int chan[4] = {GetBValue(col), GetGValue(col), GetRValue(col), 0};
    for (int y = c.top; y < c.bottom; ++y) {
      uint8_t* d = dst.Row(y) + size_t(c.left) * 4;
      for (int x = c.left; x < c.right; ++x, d += 4)
        for (int b = 0; b < 4; ++b)
          d[b] = uint8_t((d[b] * (256 - ConstantAlpha) + chan[b] * ConstantAlpha) / 256);
    }
    return;
  }
  DibView src = ViewOf(Source);
  // Clip the source rectangle to the source and the target to the destination together.
  int dx = Target.x - R.left, dy = Target.y - R.top;
  int left = std::max<int>({R.left, 0, -dx});
  int top = std::max<int>({R.top, 0, -dy});
  int right = std::min<int>({R.right, src.width, dst.width - dx});
  int bottom = std::min<int>({R.bottom, src.height, dst.height - dy});
  for (int y = top; y < bottom; ++y) {
    const uint8_t* s = src.Row(y) + size_t(left) * 4;
    uint8_t* d = dst.Row(y + dy) + size_t(left + dx) * 4;
    for (int x = left; x < right; ++x, s += 4, d += 4) {
      int a = Mode == bmConstantAlpha   ? ConstantAlpha
              : Mode == bmPerPixelAlpha ? s[3]
                                        : s[3] * ConstantAlpha / 256;
      for (int b = 0; b < 4; ++b) d[b] = Clamp((s[b] * a + d[b] * (256 - a)) / 256 + Bias);
    }
  }
}

std::u16string ShortenText(HDC DC, const std::u16string& S, int Width, bool RightToLeft, int EllipsisWidth) {
  auto width = [DC](const char16_t* p, size_t n) {
    SIZE sz{};
    GetTextExtentPoint32W(DC, reinterpret_cast<const WCHAR*>(p), int(n), &sz);
    return int(sz.cx);
  };
  if (S.empty() || Width <= 0) return std::u16string();
  if (EllipsisWidth == 0) EllipsisWidth = width(u"...", 3);
  if (Width <= EllipsisWidth) return std::u16string();
  int l = 0, h = int(S.size()) - 1;
  if (!RightToLeft) {
    while (l < h) {
      int n = (l + h + 1) / 2;
      if (width(S.data(), size_t(n)) + EllipsisWidth > Width)
        h = n - 1;
      else
        l = n;
    }
    return S.substr(0, size_t(l)) + u"...";
  }
  while (l < h) {
    int n = (l + h) / 2;
    if (width(S.data() + n, S.size() - size_t(n)) + EllipsisWidth > Width)
      l = n + 1;
    else
      h = n;
  }
  return u"..." + S.substr(size_t(l));
}

RECT NormalizeRect(const RECT& R) {
  return RECT{std::min(R.left, R.right), std::min(R.top, R.bottom), std::max(R.left, R.right),
              std::max(R.top, R.bottom)};
}

COLORREF ImageListColor(TColor Color) {
  if (Color == clNone) return 0xFFFFFFFF;
  if (Color == clDefault) return 0xFF000000;
  return COLORREF(ColorToRGB(Color));
}

}  // namespace qv
