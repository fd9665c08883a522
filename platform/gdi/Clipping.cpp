// The application clip of a DC (device coordinates, saved with the DC state)
// and the visibility queries, which see the effective clip: the surface, the
// window manager's visible region and the application clip together.
#include <algorithm>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObject.h"

namespace qv {
using namespace gdi;

namespace {

// Stands for "no clip" when a clip operation needs a region to start from.
const RECT kEverything{-(1 << 28), -(1 << 28), 1 << 28, 1 << 28};

int ClipResult(Dc& dc) {
  return dc.Clip().Complexity();
}

POINT LogicalToDevice(const Dc& dc) {
  return {dc.s.viewportOrg.x - dc.s.windowOrg.x, dc.s.viewportOrg.y - dc.s.windowOrg.y};
}

RECT DeviceRect(const Dc& dc, int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  POINT d = LogicalToDevice(dc);
  return {l + d.x, t + d.y, r + d.x, b + d.y};
}

void CurrentClipOrAll(Dc& dc) {
  if (!dc.s.hasClip) {
    dc.s.clip.SetRect(kEverything);
    dc.s.hasClip = true;
  }
}

}  // namespace

int SelectClipRgn(HDC hdc, HRGN rgn) {
  return ExtSelectClipRgn(hdc, rgn, RGN_COPY);
}

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  Dc* dc = DcOf(hdc);
  if (!dc) return ERROR;
  Region* r = As<Region>(rgn);
  if (!r) {
    if (mode != RGN_COPY || rgn) return ERROR;
    dc->s.hasClip = false;
  } else if (mode == RGN_COPY) {
    dc->s.clip = r->rgn;
    dc->s.hasClip = true;
  } else {
    CurrentClipOrAll(*dc);
    pixman_region32_t* c = dc->s.clip.get();
    const pixman_region32_t* o = r->rgn.get();
    auto* other = const_cast<pixman_region32_t*>(o);
    switch (mode) {
      case RGN_AND:
        pixman_region32_intersect(c, c, other);
        break;
      case RGN_OR:
        pixman_region32_union(c, c, other);
        break;
      case RGN_DIFF:
        pixman_region32_subtract(c, c, other);
        break;
      case RGN_XOR: {
        PixRegion a = dc->s.clip, b = r->rgn;
        a.Subtract(r->rgn);
        b.Subtract(dc->s.clip);
        a.Union(b);
        dc->s.clip = a;
        break;
      }
      default:
        return ERROR;
    }
  }
  dc->InvalidateClip();
  return ClipResult(*dc);
}

int IntersectClipRect(HDC hdc, int l, int t, int r, int b) {
  Dc* dc = DcOf(hdc);
  if (!dc) return ERROR;
  CurrentClipOrAll(*dc);
  dc->s.clip.Intersect(DeviceRect(*dc, l, t, r, b));
  dc->InvalidateClip();
  return ClipResult(*dc);
}

int ExcludeClipRect(HDC hdc, int l, int t, int r, int b) {
  Dc* dc = DcOf(hdc);
  if (!dc) return ERROR;
  CurrentClipOrAll(*dc);
  dc->s.clip.Subtract(PixRegion(DeviceRect(*dc, l, t, r, b)));
  dc->InvalidateClip();
  return ClipResult(*dc);
}

int OffsetClipRgn(HDC hdc, int dx, int dy) {
  Dc* dc = DcOf(hdc);
  if (!dc) return ERROR;
  if (dc->s.hasClip) dc->s.clip.Offset(dx, dy);
  dc->InvalidateClip();
  return ClipResult(*dc);
}

int GetClipBox(HDC hdc, RECT* r) {
  Dc* dc = DcOf(hdc);
  if (!dc || !r) return ERROR;
  const PixRegion& clip = dc->Clip();
  *r = clip.Bounds();
  if (!clip.Empty()) {
    POINT o = dc->Offset();
    OffsetRect(r, -o.x, -o.y);
  }
  return clip.Complexity();
}

int GetClipRgn(HDC hdc, HRGN rgn) {
  Dc* dc = DcOf(hdc);
  Region* r = As<Region>(rgn);
  if (!dc || !r) return -1;
  if (!dc->s.hasClip) return 0;
  r->rgn = dc->s.clip;
  return 1;
}

int GetDCVisibleRegion(HDC hdc, HRGN rgn) {
  Dc* dc = DcOf(hdc);
  Region* r = As<Region>(rgn);
  if (!dc || !r) return -1;
  if (dc->hasVis) {
    r->rgn = dc->vis;
  } else {
    PixelRows rows = dc->Rows();
    r->rgn.SetRect({-dc->deviceOrigin.x, -dc->deviceOrigin.y, rows.width - dc->deviceOrigin.x,
                    rows.height - dc->deviceOrigin.y});
  }
  return 1;
}

int GetRandomRgn(HDC hdc, HRGN rgn, int which) {
  Dc* dc = DcOf(hdc);
  Region* r = As<Region>(rgn);
  if (!dc || !r) return -1;
  switch (which) {
    case CLIPRGN:
    case APIRGN:
      return GetClipRgn(hdc, rgn);
    case METARGN:
      return 0;
    case SYSRGN: {
      GetDCVisibleRegion(hdc, rgn);
      POINT s = dc->hasScreenOrigin ? dc->screenOrigin : dc->deviceOrigin;
      r->rgn.Offset(s.x, s.y);
      return 1;
    }
    default:
      return -1;
  }
}

BOOL PtVisible(HDC hdc, int x, int y) {
  Dc* dc = DcOf(hdc);
  if (!dc) return -1;
  POINT o = dc->Offset();
  return pixman_region32_contains_point(const_cast<pixman_region32_t*>(dc->Clip().get()), x + o.x, y + o.y,
                                        nullptr)
             ? TRUE
             : FALSE;
}

BOOL RectVisible(HDC hdc, const RECT* rc) {
  Dc* dc = DcOf(hdc);
  if (!dc || !rc) return FALSE;
  RECT r = *rc;
  if (r.right < r.left) std::swap(r.left, r.right);
  if (r.bottom < r.top) std::swap(r.top, r.bottom);
  if (r.right == r.left || r.bottom == r.top) return FALSE;
  POINT o = dc->Offset();
  pixman_box32_t box{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
  return pixman_region32_contains_rectangle(const_cast<pixman_region32_t*>(dc->Clip().get()), &box) !=
                 PIXMAN_REGION_OUT
             ? TRUE
             : FALSE;
}

}  // namespace qv
