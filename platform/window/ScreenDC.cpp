// Device contexts on the screen (GetDC(0)): each one draws on a copy of the
// composed screen (or of the part it was asked for), and whatever it changed
// shows above every window as an overlay until its ReleaseDC. Frame-drag
// outlines (drawn twice with R2_NOT) and drag images rely on this; reading
// through it sees the windows below.
//
// A drag holds a screen DC from its start to its end and moves its image at
// every step, so nothing here walks the whole screen but a comparison of
// rows: the overlay is put on the desktop only where it is or was, and a DC
// for a part of the screen holds only that part.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/gdi/DeviceContext.h"
#include "platform/window/Paint.h"
#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

struct ScreenDC {
  HDC dc = nullptr;
  POINT origin{};                    // where the surfaces' top-left lies on the screen
  std::unique_ptr<Surface> base;     // the screen there when the DC was made
  std::unique_ptr<Surface> drawing;  // what the DC draws on
  RECT shown{};                      // the bounds of the overlay last put on the desktop (screen)
  Surface seen;                      // the drawing within `shown` then
  uint64_t uses = ~uint64_t(0);      // the DC's pixel uses when `seen` was taken
  bool kept = false;                 // its surfaces are kept for the next DC made without a part

  RECT Area() const { return RECT{origin.x, origin.y, origin.x + base->Width, origin.y + base->Height}; }
};

std::vector<ScreenDC>& ScreenDCs() {
  static auto* list = new std::vector<ScreenDC>;
  return *list;
}

// Screen-sized surfaces of closed DCs, kept for the next one: a screen DC is
// opened for every hint and drag image, and fresh screen-sized buffers cost
// more in first touches of their memory than the copying itself. The two of
// one DC are kept, no more: they are as large as the screen.
std::vector<std::unique_ptr<Surface>>& SpareSurfaces() {
  static auto* spare = new std::vector<std::unique_ptr<Surface>>;
  return *spare;
}

std::unique_ptr<Surface> TakeSpare() {
  Lock l(S().lock);
  auto& spare = SpareSurfaces();
  if (spare.empty()) return std::make_unique<Surface>();
  std::unique_ptr<Surface> s = std::move(spare.back());
  spare.pop_back();
  return s;
}

void KeepSpare(std::unique_ptr<Surface> Spare) {
  auto& spare = SpareSurfaces();
  if (Spare && spare.size() < 2) spare.push_back(std::move(Spare));
}

RECT Intersection(const RECT& a, const RECT& b) {
  RECT r{};
  return IntersectRect(&r, &a, &b) ? r : RECT{};
}

RECT Union(const RECT& a, const RECT& b) {
  RECT r{};
  UnionRect(&r, &a, &b);
  return r;
}

// The bounds (screen coordinates) of the pixels the DC has changed: rows
// are compared whole, and only a row that differs is looked at closely.
RECT OverlayBounds(const ScreenDC& s) {
  const Surface &base = *s.base, &drawn = *s.drawing;
  RECT b{};
  const std::size_t rowBytes = std::size_t(base.Width) * sizeof(uint32_t);
  for (int y = 0; y < base.Height; ++y) {
    const uint32_t *was = base.Row(y), *now = drawn.Row(y);
    if (std::memcmp(was, now, rowBytes) == 0) continue;
    int left = 0, right = base.Width;
    while (was[left] == now[left]) ++left;
    while (was[right - 1] == now[right - 1]) --right;
    b = Union(b, RECT{left, y, right, y + 1});
  }
  if (IsRectEmpty(&b)) return RECT{};
  OffsetRect(&b, s.origin.x, s.origin.y);
  return b;
}

// The drawing within `area` (screen coordinates, inside the DC's) into `out`.
void CopyDrawing(const ScreenDC& s, const RECT& area, Surface& out) {
  out.Width = area.right - area.left, out.Height = area.bottom - area.top;
  out.Pixels.resize(std::size_t(out.Width) * std::size_t(out.Height));
  for (int y = 0; y < out.Height; ++y) {
    const uint32_t* from = s.drawing->Row(area.top - s.origin.y + y) + (area.left - s.origin.x);
    std::copy(from, from + out.Width, out.Row(y));
  }
}

// Whether the drawing within `area` is what `seen` holds of it.
bool StillSeen(const ScreenDC& s, const RECT& area) {
  if (!EqualRect(&area, &s.shown) || s.seen.Width != area.right - area.left) return false;
  for (int y = 0; y < s.seen.Height; ++y) {
    const uint32_t* now = s.drawing->Row(area.top - s.origin.y + y) + (area.left - s.origin.x);
    if (std::memcmp(now, s.seen.Row(y), std::size_t(s.seen.Width) * sizeof(uint32_t)) != 0) return false;
  }
  return true;
}

// Draws every open DC's overlay within `area` (screen coordinates) over
// `out`, whose top-left lies at `origin` on the screen; `opaque` marks the
// pixels put as fully opaque (for the desktop).
void OverlayInto(Surface& out, POINT origin, const RECT& area, bool opaque) {
  const uint32_t mark = opaque ? 0xFF000000u : 0;
  for (const ScreenDC& s : ScreenDCs()) {
    const RECT r = Intersection(area, s.Area());
    for (int y = r.top; y < r.bottom; ++y) {
      const uint32_t* base = s.base->Row(y - s.origin.y) + (r.left - s.origin.x);
      const uint32_t* drawn = s.drawing->Row(y - s.origin.y) + (r.left - s.origin.x);
      uint32_t* to = out.Row(y - origin.y) + (r.left - origin.x);
      for (int x = 0; x < r.right - r.left; ++x)
        if (drawn[x] != base[x]) to[x] = drawn[x] | mark;
    }
  }
}

// What goes to the desktop for one top-level window: its pixels within a
// part, with the overlays drawn over them.
struct Put {
  HWND top;
  RECT part;  // in the window's coordinates
  std::unique_ptr<Surface> pixels;
};

// Kept between calls: a surface as large as a window, refilled in the part
// that goes out each time, so a move of the drag image touches no more.
std::vector<std::unique_ptr<Surface>>& PutSurfaces() {
  static auto* kept = new std::vector<std::unique_ptr<Surface>>;
  return *kept;
}

// The windows within `area` (screen coordinates) with the overlays as they
// are now. Called with the lock held; the puts are made without it.
std::vector<Put> PutsWithin(const RECT& area) {
  std::vector<Put> puts;
  if (IsRectEmpty(&area)) return puts;
  for (HWND h : S().topLevels) {
    auto t = Get(h);
    if (!t || !t->backing || !(t->style & WS_VISIBLE)) continue;
    const Surface& backing = *t->backing;
    RECT on = Intersection(
        area, RECT{t->rect.left, t->rect.top, t->rect.left + backing.Width, t->rect.top + backing.Height});
    if (IsRectEmpty(&on)) continue;
    auto& kept = PutSurfaces();
    std::unique_ptr<Surface> pixels;
    if (!kept.empty()) pixels = std::move(kept.back()), kept.pop_back();
    if (!pixels) pixels = std::make_unique<Surface>();
    pixels->Width = backing.Width, pixels->Height = backing.Height;
    if (pixels->Pixels.size() < backing.Pixels.size()) pixels->Pixels.resize(backing.Pixels.size());
    const POINT origin{t->rect.left, t->rect.top};
    for (int y = on.top; y < on.bottom; ++y)
      std::copy(backing.Row(y - origin.y) + (on.left - origin.x),
                backing.Row(y - origin.y) + (on.right - origin.x),
                pixels->Row(y - origin.y) + (on.left - origin.x));
    OverlayInto(*pixels, origin, on, true);
    OffsetRect(&on, -origin.x, -origin.y);
    puts.push_back(Put{h, on, std::move(pixels)});
  }
  return puts;
}

void MakePuts(std::vector<Put>& puts) {
  if (S().backend)
    for (Put& p : puts) S().backend->Present(p.top, *p.pixels, p.part);
  Lock l(S().lock);
  auto& kept = PutSurfaces();
  for (Put& p : puts)
    if (kept.size() < 2) kept.push_back(std::move(p.pixels));
}

// Where our windows are: what a DC draws shows nowhere else.
RECT OurWindowsBounds() {
  Lock l(S().lock);
  RECT all{};
  for (HWND h : S().topLevels)
    if (auto t = Get(h); t && t->backing && (t->style & WS_VISIBLE))
      all = Union(all, RECT{t->rect.left, t->rect.top, t->rect.left + t->backing->Width,
                            t->rect.top + t->backing->Height});
  return all;
}

}  // namespace

void ApplyScreenOverlays(Surface& part, POINT origin, SIZE screen) {
  Lock l(S().lock);
  if (origin.x < 0 || origin.y < 0 || origin.x + part.Width > screen.cx || origin.y + part.Height > screen.cy)
    return;
  OverlayInto(part, origin, RECT{origin.x, origin.y, origin.x + part.Width, origin.y + part.Height}, false);
}

bool CloseScreenDC(HDC hdc) {
  std::unique_ptr<Surface> base, drawing;
  std::vector<Put> puts;
  bool kept = false;
  {
    Lock l(S().lock);
    auto& list = ScreenDCs();
    auto it = std::find_if(list.begin(), list.end(), [&](const ScreenDC& s) { return s.dc == hdc; });
    if (it == list.end()) return false;
    const RECT shown = it->shown;
    kept = it->kept;
    base = std::move(it->base);
    drawing = std::move(it->drawing);
    list.erase(it);
    // The desktop takes the windows' own pixels back where its overlay was
    // (what it drew since was never put there); other DCs' overlays stay.
    if (S().backend && S().uiQueue == CurrentQueue()) puts = PutsWithin(shown);
  }
  DeleteDC(hdc);
  MakePuts(puts);
  if (kept) {
    Lock l(S().lock);
    KeepSpare(std::move(base));
    KeepSpare(std::move(drawing));
  }
  return true;
}

// A backend shows windows, not a screen: at idle, the windows under a
// changed overlay are presented again with it drawn over them, where it is
// now and where it was.
void PresentScreenOverlays() {
  std::vector<Put> puts;
  {
    Lock l(S().lock);
    if (ScreenDCs().empty() || !S().backend || S().uiQueue != CurrentQueue()) return;
    // Every turn of a message loop comes here, and a drag holds a screen DC
    // for its drag image from start to end (a large transfer at the drop
    // turns the loop for each piece): a DC whose pixels were not handed out
    // since the last look costs nothing, one whose pixels were, a comparison.
    RECT changed{};
    for (auto& s : ScreenDCs()) {
      uint64_t uses = DCPixelUses(s.dc);
      if (uses == s.uses) continue;
      s.uses = uses;
      const RECT now = OverlayBounds(s);
      if (StillSeen(s, now)) continue;
      changed = Union(changed, Union(now, s.shown));
      s.shown = now;
      CopyDrawing(s, now, s.seen);
    }
    puts = PutsWithin(changed);
  }
  MakePuts(puts);
}

HDC OpenScreenDC(const RECT* area, bool desktop) {
  ScreenDC s;
  SIZE size = S().backend ? S().backend->ScreenSize() : SIZE{1024, 768};
  // Without a part, the whole screen, or, when the desktop's own pixels are
  // not wanted (a drag image's DC), where our windows are: its overlay shows
  // there only, and a drag need not make and copy screen-sized buffers.
  RECT want = area ? *area : desktop ? RECT{0, 0, size.cx, size.cy} : OurWindowsBounds();
  s.kept = !area;
  s.base = s.kept ? TakeSpare() : std::make_unique<Surface>();
  const RECT p = ComposeScreenPart(*s.base, want, desktop);
  s.origin = POINT{p.left, p.top};
  s.drawing = s.kept ? TakeSpare() : std::make_unique<Surface>();
  *s.drawing = *s.base;  // copied into the spare's memory
  s.dc = CreateSurfaceDC(s.drawing.get(), POINT{-s.origin.x, -s.origin.y}, nullptr);
  if (!s.dc) return nullptr;
  SetDCScreenOrigin(s.dc, POINT{0, 0});
  HDC dc = s.dc;
  Lock l(S().lock);
  ScreenDCs().push_back(std::move(s));
  return dc;
}

}  // namespace wm
}  // namespace qv
