// Button glyphs and the glyph settings.
#include "skin/controls/skGlyphUtils.h"

#include <algorithm>
#include <map>
#include <vector>

#include "classlib/controls/Control.h"
#include "platform/gdi/SystemMetrics.h"
#include "skin/controls/skSpeedButton.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

TBitmap* CurrentGlyph = nullptr;

namespace {

struct TGlyphPainter {
  TBitmap* bmp;
  int cellW, cellH;
  // A filled rectangle of the picture in every cell; the alpha row below turns opaque there.
  void Fill(int x0, int y0, int x1, int y1, TColor color) {
    for (int cell = 0; cell < 3; ++cell) {
      // Cell 0 is the quiet look, cell 1 the hot one, cell 2 the pressed one (darker).
      const int shade = cell == 0 ? 24 : cell == 2 ? -40 : 0;
      auto ch = [shade](int v) { return uint8_t(std::clamp(v + shade, 0, 255)); };
      for (int y = y0; y < y1 && y < cellH; ++y) {
        uint8_t* img = bmp->ScanLine(y) + 3 * (cell * cellW);
        uint8_t* alpha = bmp->ScanLine(y + cellH) + 3 * (cell * cellW);
        for (int x = x0; x < x1 && x < cellW; ++x) {
          img[3 * x] = ch(int(color >> 16 & 0xFF)), img[3 * x + 1] = ch(int(color >> 8 & 0xFF));
          img[3 * x + 2] = ch(int(color & 0xFF));
          alpha[3 * x] = alpha[3 * x + 1] = alpha[3 * x + 2] = 0;
        }
      }
    }
  }
};

// Our own small pictures, each centred in its cell.
std::unique_ptr<TBitmap> DrawGlyph(const std::string& name, int width) {
  auto b = std::make_unique<TBitmap>(width, 34, pf24bit);
  for (int y = 0; y < 34; ++y) {
    uint8_t* p = b->ScanLine(y);
    for (int x = 0; x < width * 3; ++x) p[x] = 0xFF;  // white image, white (see-through) alpha
  }
  TGlyphPainter g{b.get(), width / 3, 17};
  const int cx = g.cellW / 2;
  const TColor ink = 0x202020, paper = 0xFFFFFF, folder = 0x40C0E0, red = 0x3030C0;
  if (name == "BTN_ELLIPSIS") {
    for (int i = -1; i <= 1; ++i) g.Fill(cx + 4 * i - 1, 11, cx + 4 * i + 1, 13, ink);
  } else if (name == "BTN_DATE") {
    g.Fill(cx - 6, 3, cx + 7, 15, ink);
    g.Fill(cx - 5, 4, cx + 6, 7, red);
    g.Fill(cx - 5, 7, cx + 6, 14, paper);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c) g.Fill(cx - 4 + 3 * c, 8 + 2 * r, cx - 3 + 3 * c, 9 + 2 * r, ink);
  } else if (name == "BTN_OPENFILE") {
    g.Fill(cx - 5, 2, cx + 5, 15, ink);
    g.Fill(cx - 4, 3, cx + 4, 14, paper);
    for (int r = 0; r < 4; ++r) g.Fill(cx - 3, 5 + 2 * r, cx + 3, 6 + 2 * r, ink);
  } else if (name == "BTN_OPENFOLDER") {
    g.Fill(cx - 7, 4, cx - 1, 6, ink);
    g.Fill(cx - 7, 6, cx + 7, 14, ink);
    g.Fill(cx - 6, 7, cx + 6, 13, folder);
  } else if (name == "BTN_CALC") {
    g.Fill(cx - 5, 2, cx + 6, 15, ink);
    g.Fill(cx - 4, 3, cx + 5, 6, paper);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) g.Fill(cx - 4 + 3 * c, 7 + 3 * r, cx - 2 + 3 * c, 9 + 3 * r, paper);
  }
  return b;
}

}  // namespace

TBitmap* BuiltInGlyph(const std::string& Name) {
  static const std::map<std::string, int> widths{
      {"BTN_OPENFILE", 60}, {"BTN_OPENFOLDER", 60}, {"BTN_DATE", 48}, {"BTN_ELLIPSIS", 54}, {"BTN_CALC", 57}};
  static std::map<std::string, std::unique_ptr<TBitmap>> made;
  auto w = widths.find(Name);
  if (w == widths.end()) return nullptr;
  auto& slot = made[Name];
  if (!slot) slot = DrawGlyph(Name, w->second);
  return slot.get();
}

std::unique_ptr<TBitmap> GreyGlyphCell(TBitmap* Glyph, RECT Cell) {
  const int half = Glyph ? Glyph->Height() / 2 : 0;
  Cell.left = std::max<int>(Cell.left, 0), Cell.top = std::max<int>(Cell.top, 0);
  Cell.right = std::min<int>(Cell.right, Glyph ? Glyph->Width() : 0),
  Cell.bottom = std::min<int>(Cell.bottom, half);
  const int w = std::max<int>(Cell.right - Cell.left, 0), h = std::max<int>(Cell.bottom - Cell.top, 0);
  auto r = std::make_unique<TBitmap>(w, 2 * h, pf24bit);
  for (int y = 0; y < h; ++y) {
    const uint8_t* img = Glyph->ScanLine(Cell.top + y) + 3 * Cell.left;
    const uint8_t* alpha = Glyph->ScanLine(Cell.top + y + half) + 3 * Cell.left;
    uint8_t* out = r->ScanLine(y);
    std::copy(alpha, alpha + 3 * w, r->ScanLine(y + h));
    for (int x = 0; x < w; ++x) {
      const uint8_t* s = img + 3 * x;
      uint8_t* d = out + 3 * x;
      if (s[0] == 0xFF && s[1] == 0 && s[2] == 0xFF) {
        std::copy(s, s + 3, d);
        continue;
      }
      d[0] = d[1] = d[2] = uint8_t((int(s[0]) + s[1] + s[2]) / 3);
    }
  }
  return r;
}

void CopyByMask(TBitmap* Dst, POINT DstPos, TBitmap* Src, RECT S, const TCacheInfo& CI) {
  if (!Dst || !Src) return;
  const int half = Src->Height() / 2;
  // Clip the source to its image half and the destination to its bitmap.
  if (S.left < 0) DstPos.x -= S.left, S.left = 0;
  if (S.top < 0) DstPos.y -= S.top, S.top = 0;
  if (DstPos.x < 0) S.left -= DstPos.x, DstPos.x = 0;
  if (DstPos.y < 0) S.top -= DstPos.y, DstPos.y = 0;
  S.right = std::min<int>(S.right, Src->Width());
  S.bottom = std::min<int>(S.bottom, half);
  for (int y = S.top; y < S.bottom; ++y) {
    const int dy = DstPos.y + y - S.top;
    if (dy >= Dst->Height()) break;
    const uint8_t* sp = Src->ScanLine(y);
    const uint8_t* mp = Src->ScanLine(y + half);
    uint8_t* dp = Dst->ScanLine(dy);
    for (int x = S.left; x < S.right; ++x) {
      const int dx = DstPos.x + x - S.left;
      if (dx >= Dst->Width()) break;
      const uint8_t* s = sp + 3 * x;
      uint8_t* d = dp + 3 * dx;
      if (s[0] == 0xFF && s[1] == 0 && s[2] == 0xFF) {
        if (!CI.Ready || !CI.Bmp) continue;
        const int cx = CI.X + dx, cy = CI.Y + dy;
        if (cx < 0 || cy < 0 || cx >= CI.Bmp->Width() || cy >= CI.Bmp->Height()) continue;
        const uint8_t* c = CI.Bmp->ScanLine(cy) + 3 * cx;
        d[0] = c[0], d[1] = c[1], d[2] = c[2];
        continue;
      }
      const uint8_t* m = mp + 3 * x;
      for (int k = 0; k < 3; ++k) d[k] = uint8_t(std::clamp(s[k] + (d[k] - s[k]) * m[k] / 256, 0, 255));
    }
  }
}

RECT SkComboButtonRect(int OwnerWidth, int OwnerHeight, bool SimpleStyle, bool RightToLeft, int Margin,
                       int GlyphHeight) {
  const int w = SimpleStyle ? 0 : GetSystemMetrics(SM_CXVSCROLL);
  const int h = GlyphHeight > 0 ? GlyphHeight : 16;
  const int left = (RightToLeft ? Margin : OwnerWidth - w - Margin) - 1;
  const int top = (OwnerHeight - h) / 2;
  return RECT{left, top, left + w, top + h};
}

void PaintComboButtonGlyph(TBitmap* Bmp, const RECT& R, TSkCommonData* SkinData, int State) {
  if (!SkinData || !SkinData->Skinned()) return;
  TSkinManager* m = SkinData->SkinManager();
  const int idx = m->GetMaskIndex(SkinData->SkinIndex, SkinData->SkinSection(), "GLYPHMASK");
  if (!m->IsValidImgIndex(idx)) return;
  const TSkMaskData& md = m->ma[size_t(idx)];
  const int count = std::max(1, int(md.ImageCount));
  const int w = (md.R.right - md.R.left) / count, h = (md.R.bottom - md.R.top) / (md.MaskType ? 2 : 1);
  DrawSkinGlyph(Bmp, POINT{R.left + (R.right - R.left - w) / 2, R.top + (R.bottom - R.top - h) / 2}, State, 1,
                md);
}

TSkGlyphMode::TSkGlyphMode(TControl* AOwner)
    : owner_(AOwner), glyph_(std::make_unique<TBitmap>(0, 0, pf24bit)) {}

TSkGlyphMode::~TSkGlyphMode() = default;

void TSkGlyphMode::Announce() {
  if (owner_) owner_->Perform(SM_SKINCMD, MakeSkinWParam(AC_SKINAPPLIED), 0);
}

void TSkGlyphMode::SetBlend(int Value) {
  Value = std::clamp(Value, 0, 100);
  if (Value == blend_) return;
  blend_ = Value;
  Changed();
}

void TSkGlyphMode::SetGrayed(bool Value) {
  if (Value == grayed_) return;
  grayed_ = Value;
  Announce();
}

void TSkGlyphMode::SetUseDefaultGlyph(bool Value) {
  if (Value == useDefaultGlyph_) return;
  useDefaultGlyph_ = Value;
  if (Value) SelectGlyph();
  Announce();
}

void TSkGlyphMode::SetGlyph(TBitmap* Value) {
  if (Value)
    glyph_->Assign(Value);
  else
    glyph_->SetSize(0, 0);
  useDefaultGlyph_ = false;
  Announce();
}

std::string TSkGlyphMode::Hint() const {
  if (auto* o = dynamic_cast<ISkGlyphOwner*>(owner_); o && o->GlyphButton()) return o->GlyphButton()->Hint();
  return owner_ ? owner_->Hint() : std::string();
}

void TSkGlyphMode::SetHint(const std::string& Value) {
  if (auto* o = dynamic_cast<ISkGlyphOwner*>(owner_); o && o->GlyphButton()) o->GlyphButton()->SetHint(Value);
}

bool TSkGlyphMode::SelectGlyph() {
  auto* o = dynamic_cast<ISkGlyphOwner*>(owner_);
  if (!useDefaultGlyph_ && glyph_->Width() >= 1)
    CurrentGlyph = glyph_.get();
  else
    CurrentGlyph = o ? BuiltInGlyph(o->DefaultGlyphName()) : nullptr;
  if (o && o->GlyphButton()) {
    const int w = GlyphWidth(), old = o->GlyphButton()->Width();
    o->GlyphButton()->SetWidth(w >= 1 ? w + 2 : 0);
    // The text area follows the button's new width.
    if (o->GlyphButton()->Width() != old) o->GlyphChanged();
  }
  return GlyphWidth() > 0;
}

int TSkGlyphMode::GlyphWidth() {
  if (useDefaultGlyph_ && CurrentGlyph) return CurrentGlyph->Width() / 3;
  if (!glyph_ || glyph_->Width() == 0) return 16;
  return glyph_->Width() / 3;
}

int TSkGlyphMode::GlyphHeight() {
  if (useDefaultGlyph_ && CurrentGlyph) return CurrentGlyph->Height() / 2;
  if (!glyph_) return 16;
  return glyph_->Height() / 2;
}

void TSkGlyphMode::Changed() {
  if (auto* o = dynamic_cast<ISkGlyphOwner*>(owner_)) {
    if (TSkSpeedButton* b = o->GlyphButton()) {
      b->SetWidth(GlyphWidth() + 2);
      b->Invalidate();
    }
    o->GlyphChanged();
  }
}

}  // namespace qv
