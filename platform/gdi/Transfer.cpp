// Coordinate mapping, clipping, conversion and overlap-safe ordering for transfers.
#include "platform/gdi/Transfer.h"

#include <algorithm>

namespace qv::gdi {
namespace {

void Normalise(int& pos, int& extent, bool& mirrored) {
  if (extent < 0) {
    pos += extent;
    extent = -extent;
    mirrored = !mirrored;
  }
}

// Source column/row of destination offset i for a stretch of `from` onto `to`.
inline int MapIndex(int i, int to, int from, bool mirror) {
  int j = int((int64_t(i) * 2 + 1) * from / (int64_t(to) * 2));
  return mirror ? from - 1 - j : j;
}

}  // namespace

bool PrepareTransfer(Dc& dest, int x, int y, int w, int h, Dc* source, int xs, int ys, int ws, int hs,
                     Transfer& t) {
  t.dst = dest.Rows();
  if (!t.dst.Valid() || w == 0 || h == 0) return false;
  bool mx = false, my = false;
  Normalise(x, w, mx);
  Normalise(y, h, my);
  POINT o = dest.Offset();
  t.dstRect = {x + o.x, y + o.y, x + o.x + w, y + o.y + h};
  if (!source) return true;
  t.src = source->Rows();
  if (!t.src.Valid() || ws == 0 || hs == 0) return false;
  Normalise(xs, ws, mx);
  Normalise(ys, hs, my);
  POINT so = source->Offset();
  t.srcRect = {xs + so.x, ys + so.y, xs + so.x + ws, ys + so.y + hs};
  t.mirrorX = mx;
  t.mirrorY = my;
  t.halftone = dest.s.stretchMode == HALFTONE;
  bool srcMono = t.src.bpp == 1, dstMono = t.dst.bpp == 1;
  if (srcMono && !dstMono) {
    t.convert = 1;
    t.fg = ToPixel(dest.s.textColor);
    t.bg = ToPixel(dest.s.bkColor);
  } else if (!srcMono && dstMono) {
    t.convert = 2;
    t.key = ToPixel(source->s.bkColor) & 0xFFFFFF;
  }
  return true;
}

PixRegion TransferArea(Dc& dest, const Transfer& t) {
  PixRegion area = dest.Clip();
  area.Intersect(t.dstRect);
  if (!t.src.Valid()) return area;
  // Destination pixels whose source lies inside the source bitmap (the mapping is monotonic).
  int dw = t.dstRect.right - t.dstRect.left, dh = t.dstRect.bottom - t.dstRect.top;
  int sw = t.srcRect.right - t.srcRect.left, sh = t.srcRect.bottom - t.srcRect.top;
  auto validRange = [](int d, int s, int s0, int limit, bool mirror, int& lo, int& hi) {
    lo = d;
    hi = 0;
    for (int i = 0; i < d; ++i) {
      int sc = s0 + MapIndex(i, d, s, mirror);
      if (sc >= 0 && sc < limit) {
        lo = std::min(lo, i);
        hi = std::max(hi, i + 1);
      }
    }
  };
  int x0, x1, y0, y1;
  if (!t.Stretched()) {
    x0 = std::max(0, -t.srcRect.left);
    x1 = std::min(dw, t.src.width - t.srcRect.left);
    y0 = std::max(0, -t.srcRect.top);
    y1 = std::min(dh, t.src.height - t.srcRect.top);
  } else {
    validRange(dw, sw, t.srcRect.left, t.src.width, t.mirrorX, x0, x1);
    validRange(dh, sh, t.srcRect.top, t.src.height, t.mirrorY, y0, y1);
  }
  area.Intersect({t.dstRect.left + x0, t.dstRect.top + y0, t.dstRect.left + x1, t.dstRect.top + y1});
  return area;
}

namespace {

void Convert(const Transfer& t, uint32_t* p, int n) {
  if (t.convert == 1) {
    for (int i = 0; i < n; ++i) p[i] = (p[i] & 0xFFFFFF) ? t.bg : t.fg;
  } else if (t.convert == 2) {
    for (int i = 0; i < n; ++i) p[i] = (p[i] & 0xFFFFFF) == t.key ? 0xFFFFFFFFu : 0xFF000000u;
  }
}

// The average of the source block that destination pixel (dx, dy) covers.
uint32_t BlockAverage(const Transfer& t, int dx, int dy) {
  int dw = t.dstRect.right - t.dstRect.left, dh = t.dstRect.bottom - t.dstRect.top;
  int sw = t.srcRect.right - t.srcRect.left, sh = t.srcRect.bottom - t.srcRect.top;
  int x0 = int(int64_t(dx) * sw / dw), x1 = std::max(x0 + 1, int(int64_t(dx + 1) * sw / dw));
  int y0 = int(int64_t(dy) * sh / dh), y1 = std::max(y0 + 1, int(int64_t(dy + 1) * sh / dh));
  uint32_t sum[4] = {0, 0, 0, 0}, n = 0;
  for (int y = y0; y < y1; ++y) {
    int sy = t.srcRect.top + (t.mirrorY ? sh - 1 - y : y);
    for (int x = x0; x < x1; ++x) {
      int sx = t.srcRect.left + (t.mirrorX ? sw - 1 - x : x);
      if (sx < 0 || sy < 0 || sx >= t.src.width || sy >= t.src.height) continue;
      uint32_t p = t.src.Get(sx, sy);
      for (int c = 0; c < 4; ++c) sum[c] += p >> (8 * c) & 0xFF;
      ++n;
    }
  }
  if (!n) return 0;
  return (sum[0] + n / 2) / n | ((sum[1] + n / 2) / n) << 8 | ((sum[2] + n / 2) / n) << 16 |
         ((sum[3] + n / 2) / n) << 24;
}

}  // namespace

void ForEachSourceSpan(const Transfer& t, const PixRegion& area,
                       const std::function<void(int y, int x0, int n, const uint32_t* s)>& row) {
  int count = 0;
  const pixman_box32_t* boxes = area.Rects(count);
  std::vector<pixman_box32_t> order(boxes, boxes + count);
  int ddx = t.dstRect.left - t.srcRect.left, ddy = t.dstRect.top - t.srcRect.top;
  bool shared = t.src.Valid() && t.src.base == t.dst.base;
  bool upward = shared && ddy > 0, leftward = shared && ddx > 0;
  // Moving down: take the bottom rows first; moving right: the rightmost boxes of a band first.
  std::stable_sort(order.begin(), order.end(), [&](const pixman_box32_t& a, const pixman_box32_t& b) {
    if (a.y1 != b.y1) return upward ? a.y1 > b.y1 : a.y1 < b.y1;
    return leftward ? a.x1 > b.x1 : a.x1 < b.x1;
  });
  bool stretched = t.Stretched();
  bool average = stretched && t.halftone && t.convert == 0;
  int dw = t.dstRect.right - t.dstRect.left, dh = t.dstRect.bottom - t.dstRect.top;
  int sw = t.srcRect.right - t.srcRect.left, sh = t.srcRect.bottom - t.srcRect.top;
  std::vector<uint32_t> buf, cols;
  for (const pixman_box32_t& b : order) {
    int n = b.x2 - b.x1;
    if (buf.size() < std::size_t(n)) buf.resize(std::size_t(n));
    if (stretched) {
      cols.resize(std::size_t(n));
      for (int i = 0; i < n; ++i)
        cols[std::size_t(i)] =
            uint32_t(t.srcRect.left + MapIndex(b.x1 + i - t.dstRect.left, dw, sw, t.mirrorX));
    }
    for (int k = 0; k < b.y2 - b.y1; ++k) {
      int y = upward ? b.y2 - 1 - k : b.y1 + k;
      const uint32_t* s = nullptr;
      if (t.src.Valid()) {
        if (!stretched) {
          int sy = y - ddy, sx = b.x1 - ddx;
          if (shared || t.convert || t.src.bpp != 32) {
            t.src.Load(sy, sx, n, buf.data());  // a private copy: the row may be overwritten
            Convert(t, buf.data(), n);
            s = buf.data();
          } else {
            s = t.src.Row32(sy) + sx;
          }
        } else {
          int sy = t.srcRect.top + MapIndex(y - t.dstRect.top, dh, sh, t.mirrorY);
          for (int i = 0; i < n; ++i)
            buf[std::size_t(i)] = average ? BlockAverage(t, b.x1 + i - t.dstRect.left, y - t.dstRect.top)
                                          : t.src.Get(int(cols[std::size_t(i)]), sy);
          Convert(t, buf.data(), n);
          s = buf.data();
        }
      }
      row(y, b.x1, n, s);
    }
  }
}

}  // namespace qv::gdi
