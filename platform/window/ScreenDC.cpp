// Device contexts on the screen (GetDC(0)): each one draws on a copy of the
// composed screen, and whatever it changed shows above every window as an
// overlay until its ReleaseDC. Frame-drag outlines (drawn twice with R2_NOT)
// and drag images rely on this; reading through it sees the windows below.
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
  std::unique_ptr<Surface> base;     // the screen when the DC was made
  std::unique_ptr<Surface> drawing;  // what the DC draws on
  std::vector<uint32_t> shown;       // the overlay pixels last put on the desktop (0 = none)
  std::vector<uint32_t> seen;        // what the DC had drawn when `shown` was made
  uint64_t uses = ~uint64_t(0);      // the DC's pixel uses when `seen` was taken
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

// The pixels a screen DC has changed, as an overlay value per pixel (0 = unchanged).
void OverlayOf(const ScreenDC& s, std::vector<uint32_t>& out) {
  out.assign(s.base->Pixels.size(), 0);
  for (std::size_t i = 0; i < out.size(); ++i)
    if (s.drawing->Pixels[i] != s.base->Pixels[i]) out[i] = s.drawing->Pixels[i] | 0xFF000000u;
}

// Puts a top-level window's pixels on the desktop with `overlay` (screen
// sized, 0 = none) drawn over them.
void PresentWith(const WindowPtr& t, const std::vector<uint32_t>* overlay, int screenWidth) {
  if (!overlay) {
    S().backend->Present(t->handle, *t->backing, RECT{0, 0, t->backing->Width, t->backing->Height});
    return;
  }
  Surface copy = *t->backing;
  int screenHeight = int(overlay->size()) / std::max(screenWidth, 1);
  for (int y = 0; y < copy.Height; ++y) {
    int sy = t->rect.top + y;
    if (sy < 0 || sy >= screenHeight) continue;
    for (int x = 0; x < copy.Width; ++x) {
      int sx = t->rect.left + x;
      if (sx < 0 || sx >= screenWidth) continue;
      if (uint32_t p = (*overlay)[std::size_t(sy) * std::size_t(screenWidth) + std::size_t(sx)])
        copy.Set(x, y, p);
    }
  }
  S().backend->Present(t->handle, copy, RECT{0, 0, copy.Width, copy.Height});
}

// Presents every visible top-level window again, with the overlay or without.
void PresentTops(const std::vector<uint32_t>* overlay, int screenWidth) {
  if (!S().backend) return;
  for (HWND h : std::vector<HWND>(S().topLevels))
    if (auto t = Get(h); t && t->backing && (t->style & WS_VISIBLE)) PresentWith(t, overlay, screenWidth);
}

}  // namespace

void ApplyScreenOverlays(Surface& part, POINT origin, SIZE screen) {
  Lock l(S().lock);
  if (origin.x < 0 || origin.y < 0 || origin.x + part.Width > screen.cx || origin.y + part.Height > screen.cy)
    return;
  for (auto& s : ScreenDCs()) {
    if (s.base->Width != screen.cx || s.base->Height != screen.cy) continue;
    for (int y = 0; y < part.Height; ++y) {
      const uint32_t* base = s.base->Row(origin.y + y) + origin.x;
      const uint32_t* drawn = s.drawing->Row(origin.y + y) + origin.x;
      uint32_t* out = part.Row(y);
      for (int x = 0; x < part.Width; ++x)
        if (drawn[x] != base[x]) out[x] = drawn[x];
    }
  }
}

bool CloseScreenDC(HDC hdc) {
  std::unique_ptr<Surface> base, drawing;
  bool hadOverlay = false;
  int width = 0;
  {
    Lock l(S().lock);
    auto& list = ScreenDCs();
    auto it = std::find_if(list.begin(), list.end(), [&](const ScreenDC& s) { return s.dc == hdc; });
    if (it == list.end()) return false;
    hadOverlay = std::any_of(it->shown.begin(), it->shown.end(), [](uint32_t p) { return p != 0; });
    width = it->base->Width;
    base = std::move(it->base);
    drawing = std::move(it->drawing);
    list.erase(it);
  }
  DeleteDC(hdc);
  {
    Lock l(S().lock);
    KeepSpare(std::move(base));
    KeepSpare(std::move(drawing));
  }
  // The desktop takes the windows' own pixels back.
  if (hadOverlay) PresentTops(nullptr, width);
  return true;
}

// A backend shows windows, not a screen: at idle, the windows under a
// changed overlay are presented again with it drawn over them.
void PresentScreenOverlays() {
  std::vector<uint32_t> overlay;
  int width = 0;
  bool changed = false;
  {
    Lock l(S().lock);
    if (ScreenDCs().empty() || !S().backend || S().uiQueue != CurrentQueue()) return;
    // Every turn of a message loop comes here, and a drag holds a screen DC
    // for its drag image from start to end (a large transfer at the drop
    // turns the loop for each piece): when nothing was drawn since the last
    // look, the overlays stand as they are. A DC whose pixels were not handed
    // out costs nothing; one whose pixels were, a comparison.
    bool drawn = false;
    for (auto& s : ScreenDCs()) {
      uint64_t uses = DCPixelUses(s.dc);
      if (uses == s.uses) continue;  // its pixels were not even handed out
      s.uses = uses;
      const std::vector<uint32_t>& now = s.drawing->Pixels;
      drawn = drawn || s.seen.size() != now.size() ||
              std::memcmp(s.seen.data(), now.data(), now.size() * sizeof(uint32_t)) != 0;
    }
    if (!drawn) return;
    for (auto& s : ScreenDCs()) {
      s.seen = s.drawing->Pixels;
      std::vector<uint32_t> mine;
      OverlayOf(s, mine);
      if (mine != s.shown) changed = true, s.shown = mine;
      if (overlay.empty()) overlay.assign(mine.size(), 0), width = s.base->Width;
      if (mine.size() == overlay.size())
        for (std::size_t i = 0; i < mine.size(); ++i)
          if (mine[i]) overlay[i] = mine[i];
    }
  }
  if (changed) PresentTops(&overlay, width);
}

HDC OpenScreenDC(const RECT* area, bool desktop) {
  ScreenDC s;
  s.base = TakeSpare();
  if (area) {
    // Only the part is composed; the rest of the copy is never read.
    Surface part;
    const RECT p = ComposeScreenPart(part, *area, desktop);
    SIZE size = S().backend ? S().backend->ScreenSize() : SIZE{1024, 768};
    s.base->Width = std::max<int>(size.cx, 0), s.base->Height = std::max<int>(size.cy, 0);
    s.base->Pixels.resize(std::size_t(s.base->Width) * std::size_t(s.base->Height));
    for (int y = 0; y < part.Height; ++y)
      std::copy(part.Row(y), part.Row(y) + part.Width, s.base->Row(p.top + y) + p.left);
  } else {
    SIZE size = S().backend ? S().backend->ScreenSize() : SIZE{1024, 768};
    ComposeScreenPart(*s.base, RECT{0, 0, size.cx, size.cy}, desktop);
  }
  s.drawing = TakeSpare();
  *s.drawing = *s.base;  // copied into the spare's memory
  s.dc = CreateSurfaceDC(s.drawing.get(), POINT{0, 0}, nullptr);
  if (!s.dc) return nullptr;
  HDC dc = s.dc;
  Lock l(S().lock);
  ScreenDCs().push_back(std::move(s));
  return dc;
}

}  // namespace wm
}  // namespace qv
