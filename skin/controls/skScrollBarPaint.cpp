// TSkScrollBar's skinned painting: the track halves, the two buttons and the
// slider from their sections into the cache, the disabled look, and the
// picture put on the window.
#include <algorithm>
#include <memory>

#include "classlib/controls/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Paint.h"
#include "skin/controls/skScrollBar.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
const char* const kBtnSections[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};
const char* const kBarSections[4] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
const char* const kSliderSections[2] = {"SCROLLSLIDERV", "SCROLLSLIDERH"};
}  // namespace

void TSkScrollBar::RepaintIfChanged() {
  MouseBusy = false;
  if (statesChanged_) Paint(nullptr);
}

void TSkScrollBar::Paint(HDC DC) {
  if (!HandleAllocated() || !selfDrawn_) {
    statesChanged_ = false;
    return;
  }
  HWND h = WindowHandle();
  // Outside a paint message the window is validated with a matched pair.
  PAINTSTRUCT ps;
  const bool own = DC == nullptr;
  HDC target = DC;
  if (own) {
    BeginPaint(h, &ps);
    target = GetWindowDC(h);
  }
  const int saved = SaveDC(target);
  PaintTo(target);
  RestoreDC(target, saved);
  if (own) {
    ReleaseDC(h, target);
    EndPaint(h, &ps);
  }
}

void TSkScrollBar::PaintTo(HDC Target) {
  if (MouseBusy || !Ready() || SkinBroadcasting || ComponentState().Contains(csLoading) ||
      ComponentState().Contains(csDestroying) || SkinData->GetUpdating())
    return;
  TSkinManager* m = SkinData->SkinManager();
  if (!m || !m->SkinData()->Active) return;
  statesChanged_ = false;
  SkinData->InitCacheBmp();
  TBitmap* cache = SkinData->CacheBmp.get();
  std::unique_ptr<TBitmap> disabledBmp;
  TBitmap* work = cache;
  if (!Enabled()) {
    disabledBmp.reset(CreateBmp24BySize(cache->Width(), cache->Height()));
    work = disabledBmp.get();
  }
  TCacheInfo bg;
  if (LinkedControl) {
    SharedCacheInfo.Ready = false;
    SendSkinCommand(LinkedControl, AC_GETCACHE);
    bg = SharedCacheInfo;
    if (!dynamic_cast<TCustomForm*>(LinkedControl))
      bg.X -= LinkedControl->Left(), bg.Y -= LinkedControl->Top();
  } else {
    GetParentCache(SkinData.get(), bg);
  }
  const bool h = kind_ == sbHorizontal;
  auto barState = [&](TPart p) { return !Enabled() ? 0 : states_[p] ? states_[p] : ActiveState(); };
  const RECT r1 = PartRect(spBar1), r2 = PartRect(spBar2);
  const int s1 = h ? 0 : 1, s2 = h ? 2 : 3;
  if (!IsRectEmpty(&r1)) {
    const int idx = m->ConstData.IndexScrollBar[s1];
    if (!m->IsValidSkinIndex(idx)) return;
    PaintItemWithMask(idx, kBarSections[s1], bg, m, cache, POINT{Left(), Top()}, r1, barState(spBar1), true,
                      m->ConstData.MaskScrollBar[s1]);
  }
  PaintItemWithMask(m->ConstData.IndexScrollBar[s2], kBarSections[s2], bg, m, cache,
                    POINT{Left() + r2.left, Top() + r2.top}, r2, barState(spBar2), true,
                    m->ConstData.MaskScrollBar[s2]);
  if (work != cache) CopyBitmapRect(cache, work, RECT{0, 0, cache->Width(), cache->Height()}, 0, 0);
  PaintButton(work, false, ButtonDrawRect(false));
  PaintButton(work, true, ButtonDrawRect(true));
  if (!(LinkedControl && !Enabled() && LinkedControl->Enabled())) PaintSlider(work);
  if (!Enabled()) {
    TCacheInfo dis;
    POINT off{Left(), Top()};
    if (LinkedControl) {
      SharedCacheInfo.Ready = false;
      SendSkinCommand(LinkedControl, AC_GETCACHE);
      dis = SharedCacheInfo;
      off = POINT{Left() - LinkedControl->Left(), Top() - LinkedControl->Top()};
    } else {
      GetParentCache(SkinData.get(), dis);
    }
    if (dis.Ready || !LinkedControl)
      ApplyDisabledKind(work, disabledKind_, Parent(), dis, off);
    else
      BlendRectToColor(work, RECT{0, 0, work->Width(), work->Height()}, 40,
                       ColorToRGB(m->IsValidSkinIndex(m->ConstData.IndexScrollBar[0])
                                      ? m->gd[size_t(m->ConstData.IndexScrollBar[0])].Color
                                      : clBtnFace));
  }
  BitBlt(Target, 0, 0, work->Width(), work->Height(), work->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// The drawing rectangle of a button: as long as one state of its border mask
// when the section asks for that.
RECT TSkScrollBar::ButtonDrawRect(bool Second) const {
  RECT r = PartRect(Second ? spBtn2 : spBtn1);
  TSkinManager* m = SkinData->SkinManager();
  const int slot = kind_ == sbVertical ? (Second ? 1 : 0) : (Second ? 3 : 2);
  if (!m) return r;
  const int idx = m->ConstData.IndexScrollBtn[slot], mask = m->ConstData.MaskScrollBtn[slot];
  if (!m->IsValidSkinIndex(idx) || !m->gd[size_t(idx)].ReservedBoolean || !m->IsValidImgIndex(mask)) return r;
  const SIZE state = m->GetMaskSize(mask);
  const int len = std::max(BtnSize(), kind_ == sbHorizontal ? int(state.cx) : int(state.cy));
  if (kind_ == sbHorizontal) {
    if (Second)
      r.left = Len() - len;
    else
      r.right = r.left + len;
  } else if (Second) {
    r.top = Len() - len;
  } else {
    r.bottom = r.top + len;
  }
  return r;
}

void TSkScrollBar::PaintButton(TBitmap* Work, bool Second, const RECT& R) {
  TSkinManager* m = SkinData->SkinManager();
  const int slot = kind_ == sbVertical ? (Second ? 1 : 0) : (Second ? 3 : 2);
  const int state = states_[Second ? spBtn2 : spBtn1];
  const TCacheInfo paintCache = MakeCacheInfo(Work);
  PaintItemWithMask(m->ConstData.IndexScrollBtn[slot], kBtnSections[slot], paintCache, m, Work,
                    POINT{R.left, R.top}, R, state, true, m->ConstData.MaskScrollBtn[slot]);
  const int g = m->ConstData.GlyphScrollBtn[slot];
  if (!m->IsValidImgIndex(g)) return;
  const TSkMaskData& glyph = m->ma[size_t(g)];
  const RECT hit = PartRect(Second ? spBtn2 : spBtn1);
  const int w = hit.right - hit.left, h = hit.bottom - hit.top;
  POINT p;
  if (glyph.Bmp) {
    const int gw = glyph.Bmp->Width() / 3, gh = glyph.Bmp->Height() / 2;
    if (kind_ == sbVertical ? gh >= h : gw >= w) return;  // does not fit
    p = POINT{hit.left + (w - gw) / 2, hit.top + (h - gh) / 2};
  } else {
    const SIZE s = m->GetMaskSize(g);
    p = POINT{hit.left + (w - s.cx) / 2, hit.top + (h - s.cy) / 2};
  }
  if (p.x >= 0 && p.y >= 0) DrawSkinGlyph(Work, p, state, 1, glyph);
}

void TSkScrollBar::PaintSlider(TBitmap* Work) {
  const RECT b1 = PartRect(spBtn1), b2 = PartRect(spBtn2), sr = PartRect(spSlider);
  const bool h = kind_ == sbHorizontal;
  const int btns =
      h ? (b1.right - b1.left) + (b2.right - b2.left) : (b1.bottom - b1.top) + (b2.bottom - b2.top);
  if (Len() - btns < SliderSize()) return;
  const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  if (sw <= 0 || sh <= 0) return;
  TSkinManager* m = SkinData->SkinManager();
  TBitmap* cache = SkinData->CacheBmp.get();
  std::unique_ptr<TBitmap> s(CreateBmp24BySize(sw, sh));
  CopyBitmapRect(cache, s.get(), sr, 0, 0);
  const int slot = h ? 1 : 0;
  PaintItemWithMask(m->ConstData.IndexSlider[slot], kSliderSections[slot], MakeCacheInfo(cache), m, s.get(),
                    POINT{sr.left, sr.top}, RECT{0, 0, sw, sh}, states_[spSlider], true,
                    m->ConstData.MaskSlider[slot]);
  CopyBitmapRect(s.get(), Work, RECT{0, 0, sw, sh}, sr.left, sr.top);
  const int g = m->ConstData.GlyphSlider[slot];
  if (!m->IsValidImgIndex(g)) return;
  const TSkMaskData& glyph = m->ma[size_t(g)];
  const int push = states_[spSlider] == 2 ? 1 : 0;
  if (glyph.Bmp) {
    const int gw = glyph.Bmp->Width() / 3, gh = glyph.Bmp->Height() / 2;
    if (h ? gw >= sw : gh >= sh) return;
    DrawSkinGlyph(Work, POINT{sr.left + (sw - gw) / 2 + push, sr.top + (sh - gh) / 2 + push},
                  states_[spSlider], 1, glyph);
  } else {
    const SIZE gs = m->GetMaskSize(g);
    DrawSkinGlyph(Work, POINT{sr.left + (sw - gs.cx) / 2 + push, sr.top + (sh - gs.cy) / 2 + push},
                  states_[spSlider], 1, glyph);
  }
}

}  // namespace qv
