// The skinned frame: its geometry, the full image in the cache bitmap (borders,
// title, icon, caption buttons and text, menu line, grip), the window region
// from the borders' transparent corners, the strips copied at WM_NCPAINT, and
// hit-testing with the hot and pressed caption buttons.
#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/graphics/Icon.h"
#include "classlib/menus/Menus.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Icons.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/Menus.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/StandardIcons.h"
#include "skin/forms/skMDIForm.h"
#include "skin/forms/skSystemMenu.h"
#include "skin/forms/skinProvider.h"
#include "skin/skBlend.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
bool IsToolStyle(TBorderStyle S) {
  return S == bsToolWindow || S == bsSizeToolWin;
}

// Size of one frame of a glyph: own images are three states wide and two high
// (the lower half its mask); master-bitmap glyphs split by count and mask type.
SIZE GlyphFrame(const TSkMaskData& M) {
  if (M.Bmp) return SIZE{M.Bmp->Width() / 3, M.Bmp->Height() / 2};
  return SIZE{WidthOf(M.R) / std::max<int>(1, M.ImageCount), HeightOf(M.R) / std::max(1, M.MaskType + 1)};
}

}  // namespace

// ---- geometry ----

int TSkinProvider::CaptionHeight() const {
  if (!form_ || form_->BorderStyle() == bsNone) return 0;
  return GetSystemMetrics(IsToolStyle(form_->BorderStyle()) ? SM_CYSMCAPTION : SM_CYCAPTION);
}

int TSkinProvider::SysBorderWidth() const {
  if (!form_ || form_->BorderStyle() == bsNone) return 0;
  const TBorderStyle s = form_->BorderStyle();
  const bool fixed = form_->FormStyle() == fsMDIChild ? (s == bsSingle || s == bsToolWindow)
                                                      : (s == bsSingle || s == bsDialog || s == bsToolWindow);
  return GetSystemMetrics(fixed ? SM_CXDLGFRAME : SM_CXFRAME);
}

int TSkinProvider::SysBorderHeight() const {
  if (!form_ || form_->BorderStyle() == bsNone) return 0;
  const TBorderStyle s = form_->BorderStyle();
  const bool fixed = form_->FormStyle() == fsMDIChild ? (s == bsSingle || s == bsToolWindow)
                                                      : (s == bsSingle || s == bsDialog || s == bsToolWindow);
  return GetSystemMetrics(fixed ? SM_CYDLGFRAME : SM_CYFRAME);
}

int TSkinProvider::FormWidth() const {
  if (!form_) return 0;
  if (form_->HandleAllocated() && IsIconic(form_->WindowHandle())) {
    RECT r;
    GetWindowRect(form_->WindowHandle(), &r);
    return r.Width();
  }
  return form_->Width();
}

int TSkinProvider::FormHeight() const {
  return form_ ? form_->Height() : 0;
}

int TSkinProvider::TopHeight() const {
  if (!form_) return 0;
  int h = form_->Height() - form_->ClientHeight();
  if (Framed()) h -= SysBorderHeight();
  h = std::max(0, h);
  if (form_->HandleAllocated() && IsIconic(form_->WindowHandle())) h += SysBorderHeight();
  return h;
}

int TSkinProvider::MenuHeight() const {
  return form_ && form_->Menu() ? GetSystemMetrics(SM_CYMENU) - 1 : 0;
}

int TSkinProvider::ButtonWidth() const {
  TSkinManager* m = skinData_->SkinManager();
  if (!m || !m->IsValidImgIndex(buttonClose_.ImageIndex)) return 21;
  return GlyphFrame(m->ma[size_t(buttonClose_.ImageIndex)]).cx;
}

int TSkinProvider::ButtonHeight() const {
  TSkinManager* m = skinData_->SkinManager();
  if (!m || !m->IsValidImgIndex(buttonClose_.ImageIndex)) return 21;
  return GlyphFrame(m->ma[size_t(buttonClose_.ImageIndex)]).cy;
}

int TSkinProvider::IconSize(bool Height) const {
  if (!IconVisible()) return 0;
  const int own = Height ? titleIcon_->Height : titleIcon_->Width;
  if (own) return own;
  const int c = CaptionHeight();
  return c < 9 ? 0 : c <= 16 ? 8 : c <= 27 ? 16 : 32;
}

bool TSkinProvider::IconVisible() const {
  return form_ && showAppIcon_ && (form_->BorderStyle() == bsSingle || form_->BorderStyle() == bsSizeable);
}

RECT TSkinProvider::IconRect() const {
  const int w = IconSize(false), h = IconSize(true);
  const int top = (CaptionHeight() + SysBorderHeight() - h) / 2;
  return RECT{SysBorderWidth(), top, SysBorderWidth() + w, top + h};
}

int TSkinProvider::SysButtonCount() const {
  if (!BorderIcons.Contains(sbiSystemMenu) || !systemMenu_) return 0;
  return 1 + (systemMenu_->VisibleMax() ? 1 : 0) + (systemMenu_->VisibleMin() ? 1 : 0) +
         (BorderIcons.Contains(sbiHelp) ? 1 : 0);
}

RECT TSkinProvider::ButtonRect(int N) const {
  const int bw = ButtonWidth(), bh = ButtonHeight();
  const int left = FormWidth() - SysBorderWidth() - (bw + 1) * N;
  const int top = (CaptionHeight() - bh + SysBorderHeight()) / 2 + (bh < 16 ? 2 : 0);
  return RECT{left, top, left + bw, top + bh};
}

POINT TSkinProvider::ClientOffset() const {
  if (!form_) return POINT{0, 0};
  if (!form_->HandleAllocated()) return POINT{SysBorderWidth(), TopHeight()};
  RECT wr;
  GetWindowRect(form_->WindowHandle(), &wr);
  POINT o{0, 0};
  ClientToScreen(form_->WindowHandle(), &o);
  return POINT{o.x - wr.left, o.y - wr.top};
}

int TSkinProvider::MenuRowCount() {
  if (menuRows_ >= 0) return menuRows_;
  auto* menu = form_ ? form_->Menu() : nullptr;
  if (!menu || !form_->HandleAllocated()) return menuRows_ = 0;
  HWND h = form_->WindowHandle();
  HMENU hm = GetMenu(h);
  int rows = 1, x = SysBorderWidth();
  const int limit = FormWidth() - 2 * (SysBorderWidth() + form_->BorderWidth());
  for (int i = 0; hm && i < GetMenuItemCount(hm); ++i) {
    RECT r;
    if (!GetMenuItemRect(h, hm, UINT(i), &r)) continue;
    if (x + r.Width() > limit && x > SysBorderWidth()) ++rows, x = SysBorderWidth();
    x += r.Width();
  }
  return menuRows_ = rows;
}

// ---- caption buttons ----

void TSkinProvider::UpdateIconsIndexes() {
  TSkinManager* m = skinData_->SkinManager();
  for (TSkCaptionButton* b :
       {&buttonMin_, &buttonMax_, &buttonClose_, &buttonHelp_, &mdiMin_, &mdiMax_, &mdiClose_})
    b->ImageIndex = -1;
  if (!m) return;
  const int gi = m->GetSkinIndex("GLOBALINFO");
  // The extra title buttons share one glyph frame.
  const int titleGlyph = TitleButtonGlyph();
  for (int i = 0; i < titleButtons_->Count(); ++i)
    titleButtons_->Items(i)->Data.ImageIndex = titleButtons_->Items(i)->UseSkinData ? titleGlyph : -1;
  const bool mdi = form_ && form_->FormStyle() == fsMDIForm && !ComponentState().Contains(csDesigning);
  auto global = [&](const char* Name) { return m->GetMaskIndex(gi, "GLOBALINFO", Name); };
  if (global("BICONCLOSE") < 0) {
    const int fi = skinData_->SkinIndex;
    auto own = [&](const char* Name) { return m->GetMaskIndex(fi, "FORM", Name); };
    buttonMin_.ImageIndex = own("BICONMIN");
    buttonMax_.ImageIndex = own("BICONMAX");
    buttonClose_.ImageIndex = own("BICONCLOSE");
    buttonHelp_.ImageIndex = own("BICONHELP");
    if (mdi)
      mdiMin_.ImageIndex = own("BICONMIN"), mdiMax_.ImageIndex = own("BICONMAX"),
      mdiClose_.ImageIndex = own("BICONCLOSE");
    return;
  }
  const bool big = form_ && (form_->BorderStyle() == bsSingle || form_->BorderStyle() == bsSizeable);
  buttonMin_.ImageIndex = global(big ? "BICONMIN" : "SICONMIN");
  buttonMax_.ImageIndex = global(big ? "BICONMAX" : "SICONMAX");
  buttonClose_.ImageIndex = global(big ? "BICONCLOSE" : "SICONCLOSE");
  buttonHelp_.ImageIndex = global("BICONHELP");
  if (mdi) {
    mdiClose_.ImageIndex = global("SICONCLOSE");
    mdiMin_.ImageIndex = global("SICONMIN");
    mdiMax_.ImageIndex = global("SICONMAX");
    if (mdiMin_.ImageIndex < 0) mdiMin_ = buttonMin_, mdiMax_ = buttonMax_, mdiClose_ = buttonClose_;
  }
}

TSkCaptionButton* TSkinProvider::ButtonOfHT(LRESULT Code) {
  switch (Code) {
    case HTCLOSE:
      return &buttonClose_;
    case HTMAXBUTTON:
      return &buttonMax_;
    case HTMINBUTTON:
      return &buttonMin_;
    case HTHELP:
      return &buttonHelp_;
    case HTMDICLOSE:
      return &mdiClose_;
    case HTMDIRESTORE:
      return &mdiMax_;
    case HTMDIMINIMIZE:
      return &mdiMin_;
    default:
      break;
  }
  if (Code >= HTTITLEBUTTON && Code - HTTITLEBUTTON < titleButtons_->Count())
    return &titleButtons_->Items(int(Code - HTTITLEBUTTON))->Data;
  return nullptr;
}

bool TSkinProvider::ButtonEnabled(LRESULT Code) const {
  if (!systemMenu_) return true;
  const bool iconic = form_->HandleAllocated() && IsIconic(form_->WindowHandle());
  switch (Code) {
    case HTMAXBUTTON:
      return form_->WindowState() == wsMaximized ? systemMenu_->EnabledRestore() : systemMenu_->EnabledMax();
    case HTMINBUTTON:
      return iconic ? systemMenu_->EnabledRestore() : systemMenu_->EnabledMin();
    default:
      break;
  }
  if (Code >= HTTITLEBUTTON && Code - HTTITLEBUTTON < titleButtons_->Count())
    return titleButtons_->Items(int(Code - HTTITLEBUTTON))->Enabled;
  return true;
}

int TSkinProvider::GlyphOfButton(LRESULT Code) const {
  TSkinManager* m = skinData_->SkinManager();
  const bool iconic = form_->HandleAllocated() && IsIconic(form_->WindowHandle());
  auto restoreGlyph = [&] {
    int i = m ? m->GetMaskIndex(m->GetSkinIndex("GLOBALINFO"), "GLOBALINFO", "BICONNORM") : -1;
    if (i < 0 && m) i = m->GetMaskIndex(skinData_->SkinIndex, skinData_->SkinSection(), "BICONNORM");
    return i;
  };
  switch (Code) {
    case HTCLOSE:
      return buttonClose_.ImageIndex;
    case HTHELP:
      return buttonHelp_.ImageIndex;
    case HTMAXBUTTON:
      return form_->WindowState() == wsMaximized ? restoreGlyph() : buttonMax_.ImageIndex;
    case HTMINBUTTON:
      return iconic ? restoreGlyph() : buttonMin_.ImageIndex;
    case HTMDICLOSE:
      return mdiClose_.ImageIndex;
    case HTMDIRESTORE:
      return restoreGlyph() >= 0 ? restoreGlyph() : mdiMax_.ImageIndex;
    case HTMDIMINIMIZE:
      return mdiMin_.ImageIndex;
    default:
      break;
  }
  if (Code >= HTTITLEBUTTON && Code - HTTITLEBUTTON < titleButtons_->Count())
    return titleButtons_->Items(int(Code - HTTITLEBUTTON))->Data.ImageIndex;
  return -1;
}

// Places the visible buttons from the right: close, maximise, minimise, help, then the extra ones.
void TSkinProvider::LayoutButtons() {
  for (TSkCaptionButton* b : {&buttonClose_, &buttonMax_, &buttonMin_, &buttonHelp_}) b->Rect = RECT{};
  if (!systemMenu_) return;
  TSkinManager* m = skinData_->SkinManager();
  int n = 0;
  auto place = [&](TSkCaptionButton& B, LRESULT Code) {
    ++n;
    if (m && m->IsValidImgIndex(GlyphOfButton(Code))) B.Rect = ButtonRect(n);
  };
  if (BorderIcons.Contains(sbiSystemMenu)) {
    place(buttonClose_, HTCLOSE);
    if (systemMenu_->VisibleMax()) place(buttonMax_, HTMAXBUTTON);
    if (systemMenu_->VisibleMin()) place(buttonMin_, HTMINBUTTON);
    if (BorderIcons.Contains(sbiHelp)) place(buttonHelp_, HTHELP);
  }
  for (int i = 0; i < titleButtons_->Count(); ++i) titleButtons_->Items(i)->Data.Rect = ButtonRect(++n);
}

void TSkinProvider::DrawButton(TBitmap* Bmp, TSkCaptionButton& B, int Glyph, bool Enabled, bool Alone) {
  TSkinManager* m = skinData_->SkinManager();
  if (!m || !m->IsValidImgIndex(Glyph) || B.Rect.right <= B.Rect.left) return;
  const TSkMaskData& md = m->ma[size_t(Glyph)];
  if ((formActive_ && Enabled) || (Alone && B.State > 0)) {
    DrawSkinGlyph(Bmp, POINT{B.Rect.left, B.Rect.top}, Enabled ? B.State : 0, 1, md);
    return;
  }
  // Inactive or disabled: half blended over the title.
  std::unique_ptr<TBitmap> over(CreateBmp24BySize(B.Rect.Width(), B.Rect.Height()));
  CopyBitmapRect(Bmp, over.get(), B.Rect, 0, 0);
  DrawSkinGlyph(over.get(), POINT{0, 0}, 0, 1, md);
  BlendBitmapRect(Bmp, over.get(), 128, RECT{0, 0, over->Width(), over->Height()},
                  POINT{B.Rect.left, B.Rect.top});
}

void TSkinProvider::PaintCaptionButtons(TBitmap* Bmp) {
  LayoutButtons();
  const int bandH = CaptionHeight() + SysBorderHeight();
  const int n = SysButtonCount() + titleButtons_->Count();
  const int left = std::max(0, FormWidth() - SysBorderWidth() - (ButtonWidth() + 1) * n);
  tempBmp_->SetPixelFormat(pf24bit);
  tempBmp_->SetSize(std::max(1, FormWidth() - left), std::max(1, bandH));
  CopyBitmapRect(Bmp, tempBmp_.get(), RECT{left, 0, FormWidth(), bandH}, 0, 0);
  tempLeft_ = left;
  DrawButton(Bmp, buttonClose_, GlyphOfButton(HTCLOSE), true, false);
  DrawButton(Bmp, buttonMax_, GlyphOfButton(HTMAXBUTTON), ButtonEnabled(HTMAXBUTTON), false);
  DrawButton(Bmp, buttonMin_, GlyphOfButton(HTMINBUTTON), ButtonEnabled(HTMINBUTTON), false);
  DrawButton(Bmp, buttonHelp_, GlyphOfButton(HTHELP), true, false);
  for (int i = 0; i < titleButtons_->Count(); ++i) {
    TSkTitleButton* tb = titleButtons_->Items(i);
    DrawButton(Bmp, tb->Data, tb->Data.ImageIndex, tb->Enabled, false);
    if (!tb->Glyph()->Empty()) {
      const RECT& r = tb->Data.Rect;
      const int d = tb->Data.State == 2 ? 1 : 0;
      CopyTransparent(tb->Glyph(), Bmp, r.left + (r.Width() - tb->Glyph()->Width()) / 2 + d,
                      r.top + (r.Height() - tb->Glyph()->Height()) / 2 + d, tb->Glyph()->TransparentColor());
    }
  }
}

void TSkinProvider::RepaintButton(LRESULT Code) {
  TSkCaptionButton* b = ButtonOfHT(Code);
  TBitmap* cache = skinData_->CacheBmp.get();
  if (!b || !cache || b->Rect.right <= b->Rect.left || !Skinned() || !form_->HandleAllocated()) return;
  if (Code == HTMDICLOSE || Code == HTMDIRESTORE || Code == HTMDIMINIMIZE) {
    Refresh();
    return;
  }
  // The button's place comes back from the copy behind the buttons.
  CopyBitmapRect(tempBmp_.get(), cache,
                 RECT{b->Rect.left - tempLeft_, b->Rect.top, b->Rect.right - tempLeft_, b->Rect.bottom},
                 b->Rect.left, b->Rect.top);
  DrawButton(cache, *b, GlyphOfButton(Code), ButtonEnabled(Code), true);
  if (Code >= HTTITLEBUTTON) {
    TSkTitleButton* tb = titleButtons_->Items(int(Code - HTTITLEBUTTON));
    if (!tb->Glyph()->Empty()) {
      const int d = b->State == 2 ? 1 : 0;
      CopyTransparent(tb->Glyph(), cache, b->Rect.left + (b->Rect.Width() - tb->Glyph()->Width()) / 2 + d,
                      b->Rect.top + (b->Rect.Height() - tb->Glyph()->Height()) / 2 + d,
                      tb->Glyph()->TransparentColor());
    }
  }
  HDC dc = GetWindowDC(form_->WindowHandle());
  if (!dc) return;
  BitBlt(dc, b->Rect.left, b->Rect.top, b->Rect.Width(), b->Rect.Height(), cache->Canvas()->Handle(),
         b->Rect.left, b->Rect.top, SRCCOPY);
  ReleaseDC(form_->WindowHandle(), dc);
}

void TSkinProvider::SetHotHT(LRESULT Code, bool Repaint) {
  if (Code == currentHT_) return;
  if (TSkCaptionButton* old = ButtonOfHT(currentHT_)) {
    old->State = 0;
    if (Repaint) RepaintButton(currentHT_);
  }
  currentHT_ = Code;
  if (TSkCaptionButton* b = ButtonOfHT(Code)) {
    b->State = 1;
    if (Repaint) RepaintButton(Code);
  }
}

void TSkinProvider::SetPressedHT(LRESULT Code) {
  if (TSkCaptionButton* old = ButtonOfHT(currentHT_); old && currentHT_ != Code) {
    old->State = 0;
    RepaintButton(currentHT_);
  }
  currentHT_ = Code;
  if (TSkCaptionButton* b = ButtonOfHT(Code)) {
    if ((Code == HTMAXBUTTON || Code == HTMDIRESTORE) && !ButtonEnabled(Code)) return;
    b->State = 2;
    RepaintButton(Code);
  }
}

// ---- the full image ----

void TSkinProvider::PaintIcon(TBitmap* Bmp) {
  if (!IconVisible()) return;
  const RECT r = IconRect();
  if (r.Width() <= 0 || r.Height() <= 0) return;
  if (!titleIcon_->Glyph()->Empty()) {
    TBitmap* g = titleIcon_->Glyph();
    g->SetTransparentColor(clFuchsia);
    Bmp->Canvas()->StretchDraw(r, g);
    return;
  }
  HICON icon = nullptr;
  if (Application && Application->Icon && !Application->Icon->Empty()) icon = Application->Icon->Handle();
  if (!icon) {
    if (TIcon* p = ProgramIcon(r.Width() <= 16)) icon = p->Handle();
  }
  if (!icon) icon = LoadIcon(nullptr, IDI_APPLICATION);
  DrawIconEx(Bmp->Canvas()->Handle(), r.left, r.top, icon, r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
}

void TSkinProvider::PaintTitleBar(TBitmap* Bmp) {
  TSkinManager* m = skinData_->SkinManager();
  const std::string section = titleSkin_.empty() ? "FORMTITLE" : titleSkin_;
  const int index = m->GetSkinIndex(section);
  const int bandH = CaptionHeight() + SysBorderHeight();
  const int state = formActive_ ? 1 : 0;
  if (m->IsValidSkinIndex(index))
    PaintItemBySection(index, section, MakeCacheInfo(Bmp), m, Bmp, POINT{0, 0},
                       RECT{0, 0, FormWidth(), bandH}, state, true);
  PaintIcon(Bmp);
  const int count = SysButtonCount();
  if (count > 0 && m->IsValidSkinIndex(index)) {
    const int mask = m->GetMaskIndex(index, section, "TITLEBAR");
    if (m->IsValidImgIndex(mask)) {
      const TSkMaskData& md = m->ma[size_t(mask)];
      const int mw = md.Bmp ? md.Bmp->Width() : WidthOf(md.R);
      const int w = 2 * (mw / 9) + count * ButtonWidth();
      PaintNinePartMask(Bmp, RECT{FormWidth() - w, 0, FormWidth(), bandH}, true, MakeCacheInfo(Bmp), md,
                        state);
    }
  }
}

void TSkinProvider::PaintCaptionText(TBitmap* Bmp) {
  TSkinManager* m = skinData_->SkinManager();
  const std::string section = titleSkin_.empty() ? "FORMTITLE" : titleSkin_;
  int index = m->GetSkinIndex(section);
  if (!m->IsValidSkinIndex(index)) index = skinData_->SkinIndex;
  TCanvas* c = Bmp->Canvas();
  TFont font;
  font.Assign(form_->Font());
  font.SetSize(GetStatusFontHeight());
  TFontStyles st = font.Style();
  st.Include(fsBold);
  font.SetStyle(st);
  c->SetFont(&font);
  const int left = IconVisible() ? IconRect().right + 4 : SysBorderWidth() + 4;
  const int n = SysButtonCount() + titleButtons_->Count();
  const int right = FormWidth() - SysBorderWidth() - (ButtonWidth() + 1) * n;
  const std::string text = CutText(c, form_->Caption(), right - left - 6);
  RECT r{left, 0, right, CaptionHeight() + SysBorderHeight()};
  const UINT align = captionAlignment_ == taRightJustify ? DT_RIGHT
                     : captionAlignment_ == taCenter     ? DT_CENTER
                                                         : DT_LEFT;
  WriteTextEx(c, text, true, m, formActive_, index, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, r);
}

void TSkinProvider::PaintMenuLine(TBitmap* Bmp) {
  auto* menu = form_->Menu();
  if (!menu || form_->BorderStyle() == bsDialog || form_->FormStyle() == fsMDIChild || MenuHeight() <= 0)
    return;
  bool anyVisible = false;
  for (int i = 0; i < menu->Items()->Count(); ++i) anyVisible |= menu->Items()->Items(i)->Visible();
  if (!anyVisible || !form_->HandleAllocated()) return;
  TSkinManager* m = skinData_->SkinManager();
  std::string section = "MENULINE";
  if (!menuLineSkin_.empty() && m->IsValidSkinIndex(m->GetSkinIndex(menuLineSkin_))) section = menuLineSkin_;
  const int index = m->GetSkinIndex(section);
  const int top = CaptionHeight() + SysBorderHeight();
  const int h = MenuRowCount() * MenuHeight();
  // Inside the frame's side strips: the form's edge lines run on past the line.
  const RECT band{SysBorderWidth(), top, std::max(SysBorderWidth(), FormWidth() - SysBorderWidth()), top + h};
  if (h <= 0) return;
  if (m->IsValidSkinIndex(index))
    PaintItemBySection(index, section, MakeCacheInfo(Bmp), m, Bmp, POINT{0, 0}, band, 0, true);
  menuLineBmp_->SetSize(FormWidth() - 2 * SysBorderWidth() > 0 ? FormWidth() : 1, h);
  CopyBitmapRect(Bmp, menuLineBmp_.get(), RECT{SysBorderWidth(), top, FormWidth(), top + h}, 0, 0);
  // Each owner-drawn top-level item draws itself into the image at its place,
  // the one the menu loop has selected in its hot or pressed state.
  HMENU hm = GetMenu(form_->WindowHandle());
  const int count = hm ? GetMenuItemCount(hm) : 0;
  for (int p = 0; p < count; ++p) DrawMenuLineItem(Bmp, p);
  PaintMDIChildButtons(Bmp, top);
}

// The form's own top-level item at a place of its menu bar (found by its
// handle or command: the bar may hold a maximised child's items too).
TMenuItem* TSkinProvider::MenuLineItem(int Pos) const {
  auto* menu = form_ ? form_->Menu() : nullptr;
  if (!menu || !form_->HandleAllocated() || Pos < 0) return nullptr;
  HMENU hm = GetMenu(form_->WindowHandle());
  if (!hm || Pos >= GetMenuItemCount(hm)) return nullptr;
  TMenuItem* root = menu->Items();
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (item->Count() > 0 ? GetSubMenu(hm, Pos) == item->Handle() : GetMenuItemID(hm, Pos) == item->Command())
      return item;
  }
  return nullptr;
}

RECT TSkinProvider::DrawMenuLineItem(TBitmap* Bmp, int Pos) {
  TMenuItem* item = MenuLineItem(Pos);
  if (!item || !item->Visible() || !item->OnAdvancedDrawItem) return RECT{};
  HWND hwnd = form_->WindowHandle();
  RECT r, wr;
  if (!GetMenuItemRect(hwnd, GetMenu(hwnd), UINT(Pos), &r)) return RECT{};
  GetWindowRect(hwnd, &wr);
  OffsetRect(&r, -wr.left, -wr.top);
  TOwnerDrawState state;
  if (!item->Enabled()) state.Include(odDisabled);
  if (Pos == menuLineItem_) state.Include(menuLineOpen_ ? odSelected : odHotLight);
  item->OnAdvancedDrawItem(item, Bmp->Canvas(), r, state);
  return r;
}

void TSkinProvider::MenuLineItemRepaint(int Pos) {
  TBitmap* cache = skinData_->CacheBmp.get();
  if (!cache || cache->Empty() || !Skinned() || !form_->HandleAllocated() || skinData_->BGChanged) return;
  const RECT r = DrawMenuLineItem(cache, Pos);
  if (IsRectEmpty(&r)) return;
  HWND h = form_->WindowHandle();
  if (HDC dc = GetWindowDC(h)) {
    BitBlt(dc, r.left, r.top, r.Width(), r.Height(), cache->Canvas()->Handle(), r.left, r.top, SRCCOPY);
    ReleaseDC(h, dc);
  }
}

void TSkinProvider::SetMenuLineItem(int Pos, bool Open) {
  if (Pos == menuLineItem_ && Open == menuLineOpen_) return;
  const int previous = menuLineItem_;
  menuLineItem_ = Pos;
  menuLineOpen_ = Pos >= 0 && Open;
  if (previous >= 0 && previous != Pos) MenuLineItemRepaint(previous);
  if (Pos >= 0) MenuLineItemRepaint(Pos);
}

// The menu loop's notifications tell which title of the bar is selected and
// whether its menu is dropped down.
void TSkinProvider::MenuLoopNotice(const TMessage& M) {
  if (!form_->HandleAllocated()) return;
  HMENU bar = GetMenu(form_->WindowHandle());
  if (!bar) return;
  const int count = GetMenuItemCount(bar);
  auto posOfSub = [&](HMENU sub) {
    for (int p = 0; p < count; ++p)
      if (GetSubMenu(bar, p) == sub) return p;
    return -1;
  };
  switch (M.Msg) {
    case WM_MENUSELECT: {
      if (M.LParam == 0 && M.WParamHi() == 0xFFFF) return SetMenuLineItem(-1, false);
      if (HMENU(M.LParam) != bar) return;
      int pos = -1;
      if (M.WParamHi() & MF_POPUP) {
        pos = int(M.WParamLo());
      } else {
        for (int p = 0; p < count && pos < 0; ++p)
          if (GetMenuItemID(bar, p) == UINT(M.WParamLo())) pos = p;
      }
      return SetMenuLineItem(pos, pos == menuLineItem_ && menuLineOpen_);
    }
    case WM_INITMENUPOPUP:
      if (HIWORD(M.LParam) == 0)
        if (const int pos = posOfSub(HMENU(M.WParam)); pos >= 0) SetMenuLineItem(pos, true);
      return;
    case WM_UNINITMENUPOPUP:
      if (menuLineOpen_ && posOfSub(HMENU(M.WParam)) == menuLineItem_) SetMenuLineItem(menuLineItem_, false);
      return;
    case WM_EXITMENULOOP:
      return SetMenuLineItem(-1, false);
    default:
      return;
  }
}

TCustomForm* TSkinProvider::MaximizedMDIChild() const {
  if (!form_ || form_->FormStyle() != fsMDIForm || !form_->ClientHandle()) return nullptr;
  TCustomForm* child = form_->ActiveMDIChild();
  return child && child->WindowState() == wsMaximized ? child : nullptr;
}

// The icon goes into the child-icon item at the front of the bar, which is
// narrower than an icon: it is drawn as large as the item holds.
void TSkinProvider::PaintMDIChildIcon(TBitmap* Bmp) {
  HWND hwnd = form_->WindowHandle();
  HMENU bar = GetMenu(hwnd);
  auto* menu = form_->Menu();
  if (!bar || !menu || menu->Items()->Count() == 0 || menu->Items()->Items(0)->Name() != "skMDICII") return;
  RECT r, wr;
  if (!GetMenuItemRect(hwnd, bar, 0, &r)) return;
  GetWindowRect(hwnd, &wr);
  OffsetRect(&r, -wr.left, -wr.top);
  const int size = std::min({16, int(r.Width()), int(r.Height())});
  if (size <= 0) return;
  HICON icon =
      Application && Application->Icon && !Application->Icon->Empty() ? Application->Icon->Handle() : nullptr;
  if (!icon) icon = LoadIcon(nullptr, IDI_APPLICATION);
  DrawIconEx(Bmp->Canvas()->Handle(), r.left + (r.Width() - size) / 2, r.top + (r.Height() - size) / 2, icon,
             size, size, 0, nullptr, DI_NORMAL);
}

// A maximised child's icon at the left of the menu line and its three
// buttons (minimise, restore, close) at the right.
void TSkinProvider::PaintMDIChildButtons(TBitmap* Bmp, int Top) {
  for (TSkCaptionButton* b : {&mdiMin_, &mdiMax_, &mdiClose_}) b->Rect = RECT{};
  if (!MaximizedMDIChild()) return;
  TSkinManager* m = skinData_->SkinManager();
  const int lineH = MenuHeight();
  PaintMDIChildIcon(Bmp);
  SIZE size{16, 16};
  if (m->IsValidImgIndex(mdiClose_.ImageIndex)) size = GlyphFrame(m->ma[size_t(mdiClose_.ImageIndex)]);
  TSkCaptionButton* order[3] = {&mdiClose_, &mdiMax_, &mdiMin_};
  for (int n = 1; n <= 3; ++n) {
    const int left = FormWidth() - SysBorderWidth() - (size.cx + 1) * n - 2;
    const int top = Top + (lineH - size.cy) / 2;
    order[n - 1]->Rect = RECT{left, top, left + size.cx, top + size.cy};
  }
  DrawButton(Bmp, mdiClose_, mdiClose_.ImageIndex, true, false);
  DrawButton(Bmp, mdiMax_, GlyphOfButton(HTMDIRESTORE), true, false);
  DrawButton(Bmp, mdiMin_, mdiMin_.ImageIndex, true, false);
}

void TSkinProvider::PaintAll() {
  TBitmap* cache = skinData_->CacheBmp.get();
  if (!cache || !form_ || form_->ControlState().Contains(csCreating) || !Skinned()) return;
  TSkinManager* m = skinData_->SkinManager();
  const bool iconic = form_->HandleAllocated() && IsIconic(form_->WindowHandle());
  const int w = std::max(1, FormWidth()),
            h = std::max(1, iconic ? CaptionHeight() + SysBorderHeight() + 1 : FormHeight());
  if (cache->Width() != w || cache->Height() != h || cache->PixelFormat() != pf24bit) {
    cache->SetPixelFormat(pf24bit);
    cache->SetSize(w, h);
    skinData_->BGChanged = true;
  }
  if (!skinData_->BGChanged) return;
  const TSkGeneralData& gd = m->gd[size_t(skinData_->SkinIndex)];
  const int state = formActive_ ? 1 : 0;
  const bool captionOnly = !fullRepaint_ && gd.ReservedBoolean && formBgCache_ &&
                           formBgCache_->Width() == w && formBgCache_->Height() == h && Framed();
  if (captionOnly) {
    CopyBitmapRect(formBgCache_.get(), cache, RECT{0, 0, w, h}, 0, 0);
  } else {
    rgnChanged_ = true;
    if (!Framed())
      PaintItemBG(skinData_.get(), EmptyCacheInfo, 0, cache, POINT{0, 0}, RECT{0, 0, w, h});
    else
      PaintItem(skinData_.get(), EmptyCacheInfo, true, state, cache, POINT{0, 0}, RECT{0, 0, w, h},
                formActive_);
    if (GripMode == gmRightBottom) {
      const int gm = m->GetMaskIndex(m->GetSkinIndex("GLOBALINFO"), "GLOBALINFO", "GRIPIMAGE");
      if (m->IsValidImgIndex(gm)) {
        const SIZE g = GlyphFrame(m->ma[size_t(gm)]);
        DrawSkinGlyph(cache, POINT{w - g.cx - SysBorderWidth(), h - g.cy - SysBorderHeight()}, 0, 1,
                      m->ma[size_t(gm)]);
      }
    }
    if (gd.ReservedBoolean && (!formBgCache_ || formBgCache_->Width() != w)) {
      formBgCache_ = std::make_unique<TBitmap>();
      formBgCache_->SetPixelFormat(pf24bit);
      formBgCache_->SetSize(w, h);
      CopyBitmapRect(cache, formBgCache_.get(), RECT{0, 0, w, h}, 0, 0);
    }
    if (mdiForm_) {
      const int area = m->GetSkinIndex("MDIAREA");
      const POINT o = mdiForm_->ClientOffset();
      RECT cr{0, 0, 0, 0};
      if (HWND client = form_->ClientHandle()) GetWindowRect(client, &cr);
      if (m->IsValidSkinIndex(area) && cr.Width() > 0)
        PaintItemBySection(area, "MDIAREA", MakeCacheInfo(cache), m, cache, POINT{0, 0},
                           RECT{o.x, o.y, o.x + cr.Width(), o.y + cr.Height()}, 0, false);
    }
  }
  if (Framed()) {
    PaintTitleBar(cache);
    if (!captionOnly) PaintMenuLine(cache);
  }
  PaintCaptionButtons(cache);
  if (Framed()) PaintCaptionText(cache);
  fullRepaint_ = false;
  paintedOnce_ = true;
  skinData_->BGChanged = false;
  skinData_->Updating = false;
}

// ---- region and non-client paint ----

void TSkinProvider::UpdateRgn() {
  if (!form_ || !form_->HandleAllocated()) return;
  // Asked once, before the first image: a form that declines keeps no region.
  if (!paintedOnce_ && !regionAsked_) {
    regionAsked_ = true;
    noRegion_ = form_->Perform(CM_NOREGION, kNoRegionAnswer, 0) == LRESULT(kNoRegionAnswer);
  }
  if (noRegion_) return;
  HRGN rgn = CreateRectRgn(0, 0, FormWidth(), FormHeight());
  for (const RECT& r : transparentRects_) {
    HRGN cut = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    CombineRgn(rgn, rgn, cut, RGN_DIFF);
    DeleteObject(cut);
  }
  settingRgn_ = true;
  SetWindowRgn(form_->WindowHandle(), rgn, TRUE);
}

void TSkinProvider::PaintNonClient(HDC Given) {
  if (!form_ || !form_->Visible() || form_->ControlState().Contains(csCreating) || FormDestroying() ||
      Loading())
    return;
  if (skinData_->GetUpdating()) return;
  if (form_->FormStyle() == fsMDIChild) {
    if (TSkinProvider* p = MDIFormProvider(); p && p->form_) {
      TCustomForm* active = p->form_->ActiveMDIChild();
      if (active && active != form_ && active->WindowState() == wsMaximized) return;
    }
  }
  SetOwnFrame(true);
  TSkinManager* m = skinData_->SkinManager();
  const bool thick = (GetWindowLongPtrW(form_->WindowHandle(), GWL_STYLE) & WS_THICKFRAME) != 0;
  if (rgnChanged_ && !settingRgn_ && (Framed() || thick)) {
    transparentRects_.clear();
    if (m->IsValidImgIndex(skinData_->BorderIndex)) {
      const TSkMaskData& md = m->ma[size_t(skinData_->BorderIndex)];
      AddTransparentRects(transparentRects_, FormWidth(), md, 0, 0);
      const TNinePart g = NinePartGeometry(md, 0, 1 << 16, 1 << 16);
      AddBottomTransparentRects(transparentRects_, FormWidth(), md, 0, FormHeight() - g.h);
    }
    const std::string section = titleSkin_.empty() ? "FORMTITLE" : titleSkin_;
    const int ti = m->GetSkinIndex(section);
    const int tm = m->IsValidSkinIndex(ti) ? m->GetMaskIndex(ti, section, "BORDERSMASK") : -1;
    if (m->IsValidImgIndex(tm)) AddTransparentRects(transparentRects_, FormWidth(), m->ma[size_t(tm)], 0, 0);
    rgnChanged_ = false;
    UpdateRgn();
  }
  HWND h = form_->WindowHandle();
  HDC dc = Given ? Given : GetWindowDC(h);
  if (!dc) return;
  const int saved = SaveDC(dc);
  if (skinData_->BGChanged) PaintAll();
  TBitmap* cache = skinData_->CacheBmp.get();
  if (cache && !cache->Empty()) {
    HDC src = cache->Canvas()->Handle();
    const int w = FormWidth(), fh = FormHeight();
    if (!Framed()) {
      const int b = form_->BorderWidth() + 3;
      BitBlt(dc, 0, 0, w, b, src, 0, 0, SRCCOPY);
      BitBlt(dc, 0, 0, b, fh, src, 0, 0, SRCCOPY);
      BitBlt(dc, 0, fh - b, w, b, src, 0, fh - b, SRCCOPY);
      BitBlt(dc, w - b, 0, b, fh, src, w - b, 0, SRCCOPY);
    } else {
      const POINT o = ClientOffset();
      const int cw = form_->ClientWidth(), ch = form_->ClientHeight();
      BitBlt(dc, 0, 0, w, o.y, src, 0, 0, SRCCOPY);
      BitBlt(dc, 0, o.y, o.x, fh - o.y, src, 0, o.y, SRCCOPY);
      BitBlt(dc, 0, o.y + ch, w, fh - o.y - ch, src, 0, o.y + ch, SRCCOPY);
      BitBlt(dc, o.x + cw, o.y, w - o.x - cw, fh - o.y, src, o.x + cw, o.y, SRCCOPY);
    }
  }
  RestoreDC(dc, saved);
  if (!Given) ReleaseDC(h, dc);
  settingRgn_ = false;
}

// ---- hit-testing ----

LRESULT TSkinProvider::HitTest(int X, int Y) {
  TMessage own{WM_NCHITTEST, 0, MAKELPARAM(X, Y), 0};
  auto formAnswer = [&] {
    OldWndProc(own);
    return own.Result;
  };
  RECT wr;
  GetWindowRect(form_->WindowHandle(), &wr);
  const int x = X - wr.left, y = Y - wr.top;
  const int bh = ButtonHeight();
  const int rowTop = (SysBorderHeight() + form_->BorderWidth() + CaptionHeight() - bh) / 2;
  const bool iconic = IsIconic(form_->WindowHandle());
  if (Framed() && y >= rowTop && y <= rowTop + bh) {
    if (IconVisible() && x >= SysBorderWidth() && x <= SysBorderWidth() + IconSize(false)) {
      SetHotHT(HTSYSMENU);
      return HTSYSMENU;
    }
    const int bw = ButtonWidth() + 1;
    const int sys = SysButtonCount(), total = sys + titleButtons_->Count();
    int n = 0;
    for (int i = 1; i <= total; ++i) {
      const RECT r = ButtonRect(i);
      if (x >= r.left && x < r.left + bw) n = i;
    }
    if (n == 0) return HTCAPTION;
    auto hot = [&](LRESULT Code) {
      SetHotHT(Code);
      return Code;
    };
    if (n > sys) {
      const int index = n - sys - 1;
      if (index < titleButtons_->Count() && titleButtons_->Items(index)->Enabled)
        return hot(HTTITLEBUTTON + index);
      return HTCAPTION;
    }
    const bool maxVisible = systemMenu_->VisibleMax(), minVisible = systemMenu_->VisibleMin();
    switch (n) {
      case 1:
        return BorderIcons.Contains(sbiSystemMenu) ? hot(HTCLOSE) : formAnswer();
      case 2:
        if (maxVisible)
          return systemMenu_->EnabledMax() || systemMenu_->EnabledRestore() ? hot(HTMAXBUTTON) : HTCAPTION;
        if (minVisible || iconic) return systemMenu_->EnabledMin() ? hot(HTMINBUTTON) : HTCAPTION;
        return BorderIcons.Contains(sbiHelp) ? hot(HTHELP) : formAnswer();
      case 3:
        if (minVisible || iconic) return iconic || systemMenu_->EnabledMin() ? hot(HTMINBUTTON) : HTCAPTION;
        return BorderIcons.Contains(sbiHelp) ? hot(HTHELP) : formAnswer();
      case 4:
        return BorderIcons.Contains(sbiHelp) && maxVisible ? hot(HTHELP) : formAnswer();
      default:
        return formAnswer();
    }
  }
  if (GripMode == gmRightBottom) {
    TSkinManager* m = skinData_->SkinManager();
    const int gm = m->GetMaskIndex(m->GetSkinIndex("GLOBALINFO"), "GLOBALINFO", "GRIPIMAGE");
    if (m->IsValidImgIndex(gm)) {
      const SIZE g = GlyphFrame(m->ma[size_t(gm)]);
      if (x >= FormWidth() - g.cx - SysBorderWidth() && y >= FormHeight() - g.cy - SysBorderHeight())
        return HTBOTTOMRIGHT;
    }
  }
  if (MaximizedMDIChild()) {
    const std::pair<TSkCaptionButton*, LRESULT> mdi[3] = {
        {&mdiClose_, HTMDICLOSE}, {&mdiMax_, HTMDIRESTORE}, {&mdiMin_, HTMDIMINIMIZE}};
    for (const auto& [b, code] : mdi)
      if (x >= b->Rect.left && x < b->Rect.right && y >= b->Rect.top && y < b->Rect.bottom) {
        SetHotHT(code);
        return code;
      }
  }
  SetHotHT(0);
  const LRESULT r = formAnswer();
  // A maximised form answers only inside (2, 2, width - 4, height - 4) of its
  // window; the rest lies beyond the screen's edge.
  const RECT inside{2, 2, wr.Width() - 4, wr.Height() - 4};
  if (form_->WindowState() == wsMaximized &&
      (x < inside.left || y < inside.top || x >= inside.right || y >= inside.bottom))
    return HTSKINOUTSIDE;
  return r;
}

}  // namespace qv
