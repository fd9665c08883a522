// The skinned menus: installing and removing the painter's own handlers,
// measuring and drawing popup and menu-line items, popup backgrounds with
// the extra line and icon column, and the subclassed popup windows.
#include "skin/forms/skinMenus.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/Screen.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Utf.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/Menus.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/forms/skinProvider.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skGdiHelpers.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skUtils.h"

namespace qv {

namespace {

// The handler objects: their type tells this painter's handlers from others.
struct OwnDraw {
  TSkinableMenus* Painter;
  bool Main;
  void operator()(TObject* Sender, TCanvas* C, RECT R, TOwnerDrawState S) const {
    auto* item = static_cast<TMenuItem*>(Sender);
    Main ? Painter->DrawMainItem(item, C, R, S) : Painter->DrawItem(item, C, R, S);
  }
};
struct OwnMeasure {
  TSkinableMenus* Painter;
  bool Main;
  void operator()(TObject* Sender, TCanvas* C, int& W, int& H) const {
    auto* item = static_cast<TMenuItem*>(Sender);
    Main ? Painter->MeasureMainItem(item, C, W, H) : Painter->MeasureItem(item, C, W, H);
  }
};

// Subclassed popup windows and the painter that serves each.
std::map<HWND, TSkinableMenus*>& PopupWindows() {
  static std::map<HWND, TSkinableMenus*> map;
  return map;
}

void UseMenuFont(TCanvas* Canvas) {
  if (Screen && Screen->MenuFont()) Canvas->SetFont(Screen->MenuFont());
}

SIZE GlyphSizeOf(TMenuItem* Item) {
  if (Item->HasBitmap()) return SIZE{Item->Bitmap()->Width(), Item->Bitmap()->Height()};
  if (TCustomImageList* il = Item->GetImageList()) return SIZE{il->Width(), il->Height()};
  return SIZE{16, 16};
}

std::string ShortCutText(TMenuItem* Item) {
  return Item->ShortCut() != scNone ? ShortCutToText(Item->ShortCut()) : std::string();
}

std::string StripAmpersands(const std::string& S) {
  std::string out;
  for (char c : S)
    if (c != '&') out += c;
  return out;
}

bool MaximizedChildWithMenu() {
  TSkinProvider* p = TSkinProvider::MDIFormProvider();
  if (!p || !p->Form()) return false;
  TCustomForm* child = p->Form()->ActiveMDIChild();
  return child && child->WindowState() == wsMaximized && child->Menu();
}

bool IsLastOfMenu(TMenuItem* Item) {
  TMenuItem* parent = Item->Parent();
  return parent && parent->Count() > 0 && parent->Items(parent->Count() - 1) == Item;
}

}  // namespace

TSkMenuItemType MenuItemType(const TMenuItem* Item) {
  const std::string& c = Item->Caption();
  if (c == "-") return smDivider;
  if (c.size() > 1 && c.front() == '-' && c.back() == '-') return smCaption;
  return smNormal;
}

TMenuItem* FirstItemOf(TMenuItem* Item) {
  TMenuItem* parent = Item ? Item->Parent() : nullptr;
  return parent && parent->Count() > 0 ? parent->Items(0) : Item;
}

TSkinableMenus::TSkinableMenus(TSkinManager* AManager) : manager_(AManager) {}

TSkinableMenus::~TSkinableMenus() {
  for (auto it = PopupWindows().begin(); it != PopupWindows().end();)
    it = it->second == this ? PopupWindows().erase(it) : std::next(it);
  manager_ = nullptr;
}

int TSkinableMenus::SkinBorderWidth() {
  if (skinBorderWidth_ >= 0) return skinBorderWidth_;
  int w = 0;
  if (manager_) {
    const int i = manager_->FindMaskIndex("MAINMENU", "BORDERSMASK");
    if (i >= 0) {
      w = manager_->ma[size_t(i)].BorderWidth;
      if (w < 1) w = 3;
    }
  }
  return skinBorderWidth_ = w;
}

void TSkinableMenus::SetActive(bool Value) {
  if (Value == active_) return;
  active_ = Value;
  InitMenus(Value);
}

void TSkinableMenus::UpdateMenus() {
  SetActive(manager_ && manager_->SkinData()->Active);
}

namespace {
void WalkComponents(TComponent* C, const std::function<void(TComponent*)>& F) {
  for (int i = 0; i < C->ComponentCount(); ++i) {
    TComponent* c = C->Components(i);
    F(c);
    WalkComponents(c, F);
  }
}

bool HoldsItem(TMenuItem* Root, const TMenuItem* Item) {
  if (Root == Item) return true;
  for (int i = 0; i < Root->Count(); ++i)
    if (HoldsItem(Root->Items(i), Item)) return true;
  return false;
}

// Whether Item is an item of a live menu: the message carries it as a bare
// pointer, which is followed only once it is known.
bool IsLiveMenuItem(const TMenuItem* Item) {
  if (!Item || !Application) return false;
  bool found = false;
  std::vector<TComponent*> roots{Application};
  for (int i = 0; Screen && i < Screen->FormCount(); ++i) roots.push_back(Screen->Forms(i));
  for (TCustomForm* f : ExtraForms()) roots.push_back(f);
  for (TComponent* root : roots)
    WalkComponents(root, [&](TComponent* c) {
      if (auto* m = dynamic_cast<TMenu*>(c); m && !found) found = HoldsItem(m->Items(), Item);
    });
  return found;
}
}  // namespace

// The menu loop's word that an item of the open popup is shown: the window
// under the item's centre is that popup's window, whose frame then comes from
// the popup's background.
bool TSkinableMenus::HandleMainWindowMessage(TMessage& Message) {
  if (!current_) return false;
  auto* item = reinterpret_cast<TMenuItem*>(Message.LParam);
  if (!item) return true;
  if (!IsLiveMenuItem(item) || !item->Parent()) return true;
  TMenuItem* parent = item->Parent();
  TMenu* menu = item->GetParentMenu();
  auto* mainMenu = dynamic_cast<TMainMenu*>(menu);
  HWND owner = mainMenu && parent == mainMenu->Items() ? mainMenu->WindowHandle() : nullptr;
  RECT r;
  if (!GetMenuItemRect(owner, parent->Handle(), UINT(item->MenuIndex()), &r)) return true;
  if (HWND window = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}))
    TakePopupWindow(window, parent->Handle(), FirstItemOf(item));
  return true;
}

void TSkinableMenus::TakePopupWindow(HWND Window, HMENU Menu, TMenuItem* FirstItem) {
  // Only the open popup's own window: a menu-line item lies on its form.
  if (FirstItem != current_ || MenuWindowOf(Menu) != Window) return;
  auto it = popups_.find(FirstItem);
  if (it == popups_.end()) return;
  it->second.Window = Window;
  if (it->second.Background) PaintFrame(Window);
}

int TSkinableMenus::ExtraLineWidth(bool Adjusted) const {
  if (!manager_ || !manager_->MenuSupport().UseExtraLine) return 0;
  auto it = popups_.find(current_);
  if (it == popups_.end() || !it->second.ExtraVisible) return 0;
  int w = manager_->MenuSupport().ExtraLineWidth;
  const int sbw = const_cast<TSkinableMenus*>(this)->SkinBorderWidth();
  if (Adjusted && sbw < BorderWidth) w -= BorderWidth - sbw;
  return w;
}

// ---- installing handlers ----

bool TSkinableMenus::HasOwnDraw(const TMenuItem* Item) const {
  const auto* d = Item->OnAdvancedDrawItem.target<OwnDraw>();
  return d && d->Painter == this;
}

bool TSkinableMenus::HasOwnMeasure(const TMenuItem* Item) const {
  const auto* m = Item->OnMeasureItem.target<OwnMeasure>();
  return m && m->Painter == this;
}

void TSkinableMenus::InitItem(TMenuItem* Item, bool Value) {
  if (!Item) return;
  if (TMenu* menu = Item->GetParentMenu()) menu->SetOwnerDraw(Value);
  const bool top = Item->IsTopLevelOfMainMenu();
  if (Value) {
    if (top) {
      if (!Item->OnAdvancedDrawItem) Item->OnAdvancedDrawItem = OwnDraw{this, true};
      if (!Item->OnMeasureItem) Item->OnMeasureItem = OwnMeasure{this, true};
    } else if (SkinnedPopups()) {
      if (!Item->OnAdvancedDrawItem) Item->OnAdvancedDrawItem = OwnDraw{this, false};
      if (!Item->OnMeasureItem) Item->OnMeasureItem = OwnMeasure{this, false};
    }
  } else {
    if (HasOwnDraw(Item)) Item->OnAdvancedDrawItem = nullptr;
    if (HasOwnMeasure(Item)) Item->OnMeasureItem = nullptr;
  }
  for (int i = 0; i < Item->Count(); ++i) {
    TMenuItem* sub = Item->Items(i);
    if (!sub->IsTopLevelOfMainMenu()) InitItem(sub, Value);
  }
}

void TSkinableMenus::InitMainMenu(TMainMenu* Menu, bool Value) {
  if (!Menu) return;
  TMenuItem* root = Menu->Items();
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (Value) {
      if (manager_ && manager_->SkinData()->Active && !item->OnAdvancedDrawItem)
        item->OnAdvancedDrawItem = OwnDraw{this, true};
      if (!item->OnMeasureItem) item->OnMeasureItem = OwnMeasure{this, true};
    } else {
      if (HasOwnDraw(item)) item->OnAdvancedDrawItem = nullptr;
      if (HasOwnMeasure(item)) item->OnMeasureItem = nullptr;
    }
  }
  if (!Menu->ComponentState().Contains(csDestroying)) Menu->SetOwnerDraw(Value);
}

void TSkinableMenus::InitPopupMenu(TPopupMenu* Menu, bool Value) {
  if (!Menu) return;
  Menu->SetOwnerDraw(Value);
  TMenuItem* root = Menu->Items();
  for (int i = 0; i < root->Count(); ++i) InitItem(root->Items(i), Value);
}

void TSkinableMenus::InitMenus(bool Value) {
  if (!Application || (manager_ && manager_->ComponentState().Contains(csDesigning))) return;
  std::vector<TComponent*> roots{Application};
  for (TCustomForm* f : ExtraForms()) roots.push_back(f);
  for (TComponent* root : roots)
    WalkComponents(root, [&](TComponent* c) {
      if (auto* mm = dynamic_cast<TMainMenu*>(c)) {
        InitMainMenu(mm, Value);
        for (int i = 0; i < mm->Items()->Count(); ++i) InitItem(mm->Items()->Items(i), Value);
      } else if (auto* pm = dynamic_cast<TPopupMenu*>(c)) {
        if (SkinnedPopups() || !Value) InitPopupMenu(pm, Value);
      }
    });
  if (!Value) FreeMenuBackground();
}

// ---- measuring ----

int TSkinableMenus::ItemHeight(TCanvas* Canvas, TMenuItem* Item) {
  UseMenuFont(Canvas);
  const TSkMenuItemType kind = MenuItemType(Item);
  if (kind == smDivider) return 2;
  const int text = int(std::lround(Canvas->TextHeight("W") * 1.25));
  if (kind == smCaption) return text + 2 * Margin;
  return std::max<int>(text, GlyphSizeOf(Item).cy) + 2 * Margin;
}

int TSkinableMenus::ParentHeight(TCanvas* Canvas, TMenuItem* Item) {
  TMenuItem* parent = Item->Parent();
  if (!parent) return ItemHeight(Canvas, Item);
  int h = 0;
  for (int i = 0; i < parent->Count(); ++i)
    if (parent->Items(i)->Visible()) h += ItemHeight(Canvas, parent->Items(i));
  return h;
}

TSkinableMenus::Popup& TSkinableMenus::PopupOf(TMenuItem* FirstItem) {
  current_ = FirstItem;
  return popups_[FirstItem];
}

void TSkinableMenus::FetchExtraLine(TMenuItem* FirstItem, Popup& P) {
  if (P.ExtraFetched) return;
  P.ExtraFetched = true;
  if (FirstItem && FirstItem->Name() == "SkinSelectItem") {
    P.ExtraVisible = false;
    return;
  }
  P.ExtraSection = "EXTRALINE";
  P.ExtraGlyph.reset();
  P.ExtraCaption = "Don`t forget about OnGetExtraLineData event...";
  P.ExtraVisible = true;
  if (OnGetExtraLineData) {
    TBitmap* glyph = nullptr;
    OnGetExtraLineData(FirstItem, P.ExtraSection, P.ExtraCaption, glyph, P.ExtraVisible);
    if (glyph) {
      P.ExtraGlyph = std::make_unique<TBitmap>();
      P.ExtraGlyph->Assign(glyph);
    }
  }
  P.ExtraCaption = StripAmpersands(P.ExtraCaption);
  if (!P.ExtraVisible) P.ExtraGlyph.reset();
}

void TSkinableMenus::MeasureItem(TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height) {
  if (Item->ComponentState().Contains(csDestroying)) return;
  TMenuItem* first = FirstItemOf(Item);
  if (current_ != first) {
    popups_.erase(first);  // a popup shown again starts afresh
    current_ = first;
  }
  Popup& p = PopupOf(first);
  FetchExtraLine(first, p);
  UseMenuFont(Canvas);
  const SIZE glyph = GlyphSizeOf(Item);
  int text = 0;
  switch (MenuItemType(Item)) {
    case smCaption:
      text = Canvas->TextWidth("-" + Item->Caption() + "-");
      break;
    case smDivider:
      break;
    default: {
      RECT r{0, 0, 0, 0};
      std::u16string s = Utf8ToUtf16(StripAmpersands(Item->Caption()) + ShortCutText(Item));
      DrawTextW(Canvas->Handle(), s.c_str(), int(s.size()), &r,
                DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
      text = r.Width();
    }
  }
  Width = 2 * glyph.cx + text + 3 * Margin + Spacing;
  if (manager_ && manager_->MenuSupport().UseExtraLine && p.ExtraVisible) Width += ExtraLineWidth(false);
  Height = ItemHeight(Canvas, Item);
}

void TSkinableMenus::MeasureMainItem(TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height) {
  Height = GetSystemMetrics(SM_CYMENU) - 1;
  if (Item->Name() == "skMDICII") {
    Width = 8;
    return;
  }
  UseMenuFont(Canvas);
  int w = Canvas->TextWidth(StripAmpersands(Item->Caption()) + ShortCutText(Item));
  if (IsLastOfMenu(Item) && MaximizedChildWithMenu()) w += 40;
  if (w > Width) Width = w;
}

// ---- popup background and frame ----

void TSkinableMenus::PrepareBackground(TMenuItem* FirstItem, int Width, HWND Window, int Height) {
  Popup& p = PopupOf(FirstItem);
  if (Window) p.Window = Window;
  const int w = Width + 2 * BorderWidth, h = Height + 2 * BorderWidth;
  if (p.Background && p.Background->Width() == w && p.Background->Height() == h) return;
  FetchExtraLine(FirstItem, p);
  p.Background.reset(CreateBmp24BySize(w, h));
  p.TextIndent = Margin + GlyphSizeOf(FirstItem).cx + Spacing;
  p.ShapeRects.clear();
  if (!manager_) return;
  const int index = manager_->GetSkinIndex("MAINMENU");
  if (!manager_->IsValidSkinIndex(index)) return;
  TBitmap* bmp = p.Background.get();
  PaintItemBySection(index, "MAINMENU", EmptyCacheInfo, manager_, bmp, POINT{0, 0}, RECT{0, 0, w, h}, 0,
                     false);
  if (manager_->MenuSupport().UseExtraLine && p.ExtraVisible) PaintExtraLine(p, bmp);
  const std::string& ico = manager_->MenuSupport().IcoLineSkin;
  const int icoIndex = ico.empty() ? -1 : manager_->GetSkinIndex(ico);
  const int sbw = SkinBorderWidth();
  if (manager_->IsValidSkinIndex(icoIndex)) {
    std::unique_ptr<TBitmap> band(CreateBmp24BySize(p.TextIndent, std::max(1, h - 2 * sbw)));
    PaintItemBySection(icoIndex, ico, EmptyCacheInfo, manager_, band.get(), POINT{0, 0},
                       RECT{0, 0, band->Width(), band->Height()}, 0, false);
    CopyBitmapRect(band.get(), bmp, RECT{0, 0, band->Width(), band->Height()}, ExtraLineWidth(false) + sbw,
                   sbw);
  }
  const int mask = manager_->GetMaskIndex(index, "MAINMENU", "BORDERSMASK");
  if (manager_->IsValidImgIndex(mask)) {
    const TSkMaskData& md = manager_->ma[size_t(mask)];
    PaintNinePartMask(bmp, RECT{0, 0, w, h}, false, EmptyCacheInfo, md, 0);
    // The corners' key-coloured pixels lie outside the popup.
    const int corner = md.Bmp ? md.Bmp->Height() / 6 : HeightOf(md.R) / ((md.MaskType + 1) * 3);
    const RECT corners[4] = {{0, 0, corner, corner},
                             {w - corner, 0, w, corner},
                             {0, h - corner, corner, h},
                             {w - corner, h - corner, w, h}};
    for (const RECT& c : corners)
      for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x)
          if (x >= 0 && y >= 0 && x < w && y < h && bmp->Canvas()->Pixels(x, y) == clFuchsia)
            p.ShapeRects.push_back(RECT{x, y, x + 1, y + 1});
  }
  shapeRects_ = p.ShapeRects;
  if (p.Window) PaintFrame(p.Window);
}

void TSkinableMenus::PaintExtraLine(Popup& P, TBitmap* Bmp) {
  const int index = manager_->GetSkinIndex(P.ExtraSection);
  if (!manager_->IsValidSkinIndex(index)) return;
  const int sbw = SkinBorderWidth();
  const int bw = manager_->MenuSupport().ExtraLineWidth, bh = std::max(1, Bmp->Height() - 2 * sbw);
  std::unique_ptr<TBitmap> band(CreateBmp24BySize(bw, bh));
  PaintItemBySection(index, P.ExtraSection, EmptyCacheInfo, manager_, band.get(), POINT{0, 0},
                     RECT{0, 0, bw, bh}, 0, false);
  int reserve = 12;
  if (P.ExtraGlyph && !P.ExtraGlyph->Empty()) {
    reserve = P.ExtraGlyph->Height() + 20;
    band->Canvas()->Draw((bw - P.ExtraGlyph->Width()) / 2, bh - 12 - P.ExtraGlyph->Height(),
                         P.ExtraGlyph.get());
  }
  if (!P.ExtraCaption.empty()) {
    // The caption reads upward: the font turned by 270 degrees.
    LOGFONTW lf;
    TFont* f = &extraLineFont_;
    lf.lfHeight = f->Height();
    lf.lfEscapement = lf.lfOrientation = -2700;
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = f->Style().Contains(fsItalic);
    lf.lfUnderline = f->Style().Contains(fsUnderline);
    lf.lfStrikeOut = f->Style().Contains(fsStrikeOut);
    std::u16string face = Utf8ToUtf16(f->Name());
    std::copy_n(face.begin(), std::min<size_t>(face.size(), LF_FACESIZE - 1), lf.lfFaceName);
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = band->Canvas()->Handle();
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(manager_->gd[size_t(index)].FontColor));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    std::u16string text = Utf8ToUtf16(P.ExtraCaption);
    TextOutW(dc, (bw - tm.tmHeight) / 2, bh - reserve, text.c_str(), int(text.size()));
    SelectObject(dc, old);
    DeleteObject(font);
    band->Canvas()->Refresh();
  }
  CopyBitmapRect(band.get(), Bmp, RECT{0, 0, bw, bh}, sbw, sbw);
  P.ExtraGlyph.reset();
}

TBitmap* TSkinableMenus::BackgroundOf(HWND Window) const {
  for (const auto& [first, p] : popups_)
    if (p.Window == Window && p.Background) return p.Background.get();
  return nullptr;
}

void TSkinableMenus::ForgetWindow(HWND Window) {
  for (auto it = popups_.begin(); it != popups_.end();) {
    if (it->second.Window == Window) {
      if (current_ == it->first) current_ = nullptr;
      it = popups_.erase(it);
    } else {
      ++it;
    }
  }
}

namespace {
// The frame strips of a background into the popup's window DC.
void CopyFrame(HWND Window, TBitmap* Bg) {
  if (!Bg) return;
  HDC dc = GetWindowDC(Window);
  if (!dc) return;
  RECT wr;
  GetWindowRect(Window, &wr);
  const int w = std::min(wr.Width(), Bg->Width()), h = std::min(wr.Height(), Bg->Height());
  HDC src = Bg->Canvas()->Handle();
  BitBlt(dc, 0, 0, w, kMenuFrame, src, 0, 0, SRCCOPY);
  BitBlt(dc, 0, h - kMenuFrame, w, kMenuFrame, src, 0, Bg->Height() - kMenuFrame, SRCCOPY);
  BitBlt(dc, 0, 0, kMenuFrame, h, src, 0, 0, SRCCOPY);
  BitBlt(dc, w - kMenuFrame, 0, kMenuFrame, h, src, Bg->Width() - kMenuFrame, 0, SRCCOPY);
  ReleaseDC(Window, dc);
}
}  // namespace

LRESULT TSkinableMenus::PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  auto it = PopupWindows().find(hwnd);
  TSkinableMenus* self = it == PopupWindows().end() ? nullptr : it->second;
  switch (msg) {
    case WM_DESTROY:
      if (self) self->ForgetWindow(hwnd);
      PopupWindows().erase(hwnd);
      break;
    case WM_ERASEBKGND:
      if (self) return 1;
      break;
    case WM_NCPAINT:
      // Only the popup's own background is ever read; without one the frame stays the platform's.
      if (TBitmap* bg = self ? self->BackgroundOf(hwnd) : nullptr) {
        CopyFrame(hwnd, bg);
        return 1;
      }
      break;
    default:
      break;
  }
  return old ? CallWindowProcW(old, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

void TSkinableMenus::PaintFrame(HWND Window) {
  if (paintingFrame_ || !Window || !IsWindow(Window)) return;
  paintingFrame_ = true;
  if (!PopupWindows().count(Window)) {
    PopupWindows()[Window] = this;
    LONG_PTR old = GetWindowLongPtrW(Window, GWLP_WNDPROC);
    SetWindowLongPtrW(Window, GWLP_USERDATA, old);
    SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PopupProc));
  }
  TBitmap* bg = BackgroundOf(Window);
  const std::vector<RECT>* shape = nullptr;
  for (const auto& [first, p] : popups_)
    if (p.Window == Window) shape = &p.ShapeRects;
  if (!shape || shape->empty()) {
    CopyFrame(Window, bg);
  } else {
    RECT wr;
    GetWindowRect(Window, &wr);
    HRGN rgn = CreateRectRgn(0, 0, wr.Width(), wr.Height());
    for (const RECT& r : *shape) {
      HRGN cut = CreateRectRgn(r.left, r.top, r.right, r.bottom);
      CombineRgn(rgn, rgn, cut, RGN_DIFF);
      DeleteObject(cut);
    }
    SetWindowRgn(Window, rgn, TRUE);
  }
  paintingFrame_ = false;
}

void TSkinableMenus::FreeMenuBackground() {
  for (auto& [first, p] : popups_) p.Background.reset();
  popups_.clear();
  current_ = nullptr;
}

// ---- drawing ----

void TSkinableMenus::DrawSeparator(TCanvas* Canvas, const RECT& R, TBitmap* Background, POINT BackgroundAt) {
  int index = manager_ ? manager_->GetSkinIndex("DIVIDERV") : -1;
  int mask = -1;
  if (manager_) {
    if (manager_->IsValidSkinIndex(index))
      mask = manager_->GetMaskIndex(index, "DIVIDERV", "BORDERSMASK");
    else if ((index = manager_->GetSkinIndex("TRACKBAR")) >= 0)
      mask = manager_->GetMaskIndex(index, "TRACKBAR", "SLIDERCHANNEL");
  }
  if (!manager_ || !manager_->IsValidImgIndex(mask)) {
    HDC dc = Canvas->Handle();
    const int y = (R.top + R.bottom) / 2 - 1;
    FillDC(dc, RECT{R.left, y, R.right, y + 1}, ColorToRGB(TColor(0x808080)));
    FillDC(dc, RECT{R.left, y + 1, R.right, y + 2}, ColorToRGB(TColor(0xFFFFFF)));
    return;
  }
  std::unique_ptr<TBitmap> bmp(CreateBmp24BySize(std::max(1, R.Width()), std::max(1, R.Height())));
  if (Background)
    CopyBitmapRect(
        Background, bmp.get(),
        RECT{BackgroundAt.x, BackgroundAt.y, BackgroundAt.x + bmp->Width(), BackgroundAt.y + bmp->Height()},
        0, 0);
  const int left = ExtraLineWidth(false) + Margin + Spacing;
  const int right = bmp->Width() - (ExtraLineWidth(false) + 2 * Margin + Spacing);
  if (right > left)
    PaintNinePartMask(bmp.get(), RECT{left, 0, right, bmp->Height()}, true, EmptyCacheInfo,
                      manager_->ma[size_t(mask)], 0);
  BitBlt(Canvas->Handle(), R.left, R.top, bmp->Width(), bmp->Height(), bmp->Canvas()->Handle(), 0, 0,
         SRCCOPY);
}

void TSkinableMenus::DrawItem(TMenuItem* Item, TCanvas* Canvas, RECT ARect, TOwnerDrawState State) {
  if (!manager_) return;
  TMenuItem* first = FirstItemOf(Item);
  HWND window = WindowFromDC(Canvas->Handle());
  // The popup's own client height when it is known: the platform lays out
  // separators itself, so the sum of the measured heights may fall short.
  int height = ParentHeight(Canvas, Item);
  if (RECT cr; window && GetClientRect(window, &cr) && cr.bottom > 0) height = cr.bottom;
  PrepareBackground(first, ARect.Width(), window, height);
  Popup& p = PopupOf(first);
  TBitmap* bg = p.Background.get();
  if (window && bg) {
    // The frame beside this item, so a partly drawn popup already looks whole.
    HDC wdc = GetWindowDC(window);
    if (wdc) {
      HDC src = bg->Canvas()->Handle();
      TMenuItem* parent = Item->Parent();
      TMenuItem *firstVisible = nullptr, *lastVisible = nullptr;
      for (int i = 0; parent && i < parent->Count(); ++i)
        if (parent->Items(i)->Visible())
          (firstVisible ? lastVisible : firstVisible) = parent->Items(i), lastVisible = parent->Items(i);
      const int y = ARect.top + BorderWidth, h = ARect.Height();
      if (Item == firstVisible) BitBlt(wdc, 0, 0, bg->Width(), BorderWidth, src, 0, 0, SRCCOPY);
      if (Item == lastVisible)
        BitBlt(wdc, 0, bg->Height() - BorderWidth, bg->Width(), BorderWidth, src, 0,
               bg->Height() - BorderWidth, SRCCOPY);
      const int lw = ExtraLineWidth(false) + SkinBorderWidth();
      BitBlt(wdc, 0, y, std::max(lw, BorderWidth), h, src, 0, y, SRCCOPY);
      BitBlt(wdc, bg->Width() - BorderWidth, y, BorderWidth, h, src, bg->Width() - BorderWidth, y, SRCCOPY);
      ReleaseDC(window, wdc);
    }
  }
  const TSkMenuItemType kind = MenuItemType(Item);
  if (kind == smDivider) {
    DrawSeparator(Canvas, ARect, bg, POINT{ARect.left + kMenuFrame, ARect.top + kMenuFrame});
    return;
  }
  if (kind == smCaption) return;
  const int extra = ExtraLineWidth(true);
  const int w = std::max(1, ARect.Width() - extra), h = std::max(1, ARect.Height());
  std::unique_ptr<TBitmap> bmp(CreateBmp24BySize(w, h));
  const bool enabled = Item->Enabled() && !State.Contains(odDisabled);
  const bool selected = State.Contains(odSelected);
  const int itemIndex = manager_->GetSkinIndex("MENUITEM");
  if (manager_->IsValidSkinIndex(itemIndex)) {
    TCacheInfo ci =
        bg ? MakeCacheInfo(bg, kMenuFrame + ARect.left + extra, kMenuFrame + ARect.top) : EmptyCacheInfo;
    PaintItemBySection(itemIndex, "MENUITEM", ci, manager_, bmp.get(), POINT{0, 0}, RECT{0, 0, w, h},
                       enabled && selected ? 1 : 0, true);
  } else if (bg) {
    CopyBitmapRect(bg, bmp.get(),
                   RECT{kMenuFrame + ARect.left + extra, kMenuFrame + ARect.top,
                        kMenuFrame + ARect.left + extra + w, kMenuFrame + ARect.top + h},
                   0, 0);
  }
  if (State.Contains(odChecked)) {
    const int gi = manager_->GetSkinIndex("GLOBALINFO");
    int mask = manager_->GetMaskIndex(gi, "GLOBALINFO", Item->RadioItem() ? "RADIOCHECKED" : "CHECK");
    if (mask < 0) mask = manager_->GetMaskIndex(gi, "GLOBALINFO", "BOXCHECKED");
    if (manager_->IsValidImgIndex(mask)) {
      const TSkMaskData& md = manager_->ma[size_t(mask)];
      const int gh = md.Bmp ? md.Bmp->Height() / 2 : HeightOf(md.R) / std::max(1, md.MaskType + 1);
      DrawSkinGlyph(bmp.get(), POINT{Margin, (h - gh) / 2}, enabled && selected ? 1 : 0, 1, md);
    }
  }
  SIZE glyph{0, 0};
  if (Item->HasBitmap()) {
    TBitmap* g = Item->Bitmap();
    glyph = SIZE{g->Width(), g->Height()};
    const int d = (h - glyph.cy) / 2;
    g->SetTransparentMode(tmAuto);
    bmp->Canvas()->Draw(d, d, g);
  } else if (TCustomImageList* il = Item->GetImageList(); il && Item->ImageIndex() >= 0) {
    glyph = SIZE{il->Width(), il->Height()};
    const int d = (h - glyph.cy) / 2;
    il->Draw(bmp->Canvas(), d, d, Item->ImageIndex(), enabled);
  } else {
    glyph = SIZE{16, 16};
  }
  TCanvas* c = bmp->Canvas();
  UseMenuFont(c);
  if (Item->Default()) {
    TFontStyles st = c->Font()->Style();
    st.Include(fsBold);
    c->Font()->SetStyle(st);
  }
  RECT tr{int(glyph.cx) + 2 * Margin + Spacing, 0, w, h};
  std::string caption = Item->Caption();
  UINT align = Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
  if (!caption.empty() && caption[0] == '\b') caption.erase(0, 1), align = DT_RIGHT;
  const bool hot = enabled && (selected || State.Contains(odHotLight));
  // A skin without item sections writes in the popup's or the global text colours.
  int textIndex = itemIndex;
  if (!manager_->IsValidSkinIndex(textIndex)) textIndex = manager_->GetSkinIndex("MAINMENU");
  if (!manager_->IsValidSkinIndex(textIndex)) textIndex = manager_->GetSkinIndex("GLOBALINFO");
  WriteTextEx(c, caption, enabled, manager_, hot, textIndex,
              align | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | DT_HIDEPREFIX | DT_VCENTER, tr);
  if (std::string sc = ShortCutText(Item); !sc.empty()) {
    RECT sr{int(glyph.cx) + 2 * Margin + Spacing, 0, w - 8, h};
    WriteTextEx(c, sc, enabled, manager_, hot, textIndex, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, sr);
  }
  if (OnDrawItem) OnDrawItem(Item, c, RECT{0, 0, w, h}, State, smNormal);
  if (!enabled && bg)
    BlendTransparent(bmp.get(), 0, 0, clFuchsia, 0.4,
                     RECT{kMenuFrame + ARect.left + extra, kMenuFrame + ARect.top,
                          kMenuFrame + ARect.left + extra + w, kMenuFrame + ARect.top + h},
                     bg);
  BitBlt(Canvas->Handle(), ARect.left + extra, ARect.top, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkinableMenus::DrawMainItem(TMenuItem* Item, TCanvas* Canvas, RECT ARect, TOwnerDrawState State) {
  if (!manager_ || Item->Name() == "skMDICII") return;
  if (IsLastOfMenu(Item) && MaximizedChildWithMenu()) ARect.right -= 40;
  TSkinProvider* provider = TSkinProvider::MDIFormProvider();
  if (!provider) {
    TMenu* menu = Item->GetParentMenu();
    auto* form = menu ? dynamic_cast<TCustomForm*>(menu->Owner()) : nullptr;
    provider = form ? TSkinProvider::ProviderOf(form) : nullptr;
  }
  if (!provider || !provider->MenuLineBmp() || ARect.Width() <= 0 || ARect.Height() <= 0) return;
  const bool enabled = Item->Enabled() && !State.Contains(odDisabled);
  const bool hot = enabled && (State.Contains(odSelected) || State.Contains(odHotLight));
  std::unique_ptr<TBitmap> bmp(CreateBmp24BySize(ARect.Width(), ARect.Height()));
  // Where the item lies in the menu line image: the line starts below the title.
  const POINT at{ARect.left - provider->SysBorderWidth(),
                 ARect.top - (provider->CaptionHeight() + provider->SysBorderHeight())};
  TBitmap* line = provider->MenuLineBmp();
  const int itemIndex = manager_->GetSkinIndex("MENUITEM");
  CopyBitmapRect(line, bmp.get(), RECT{at.x, at.y, at.x + bmp->Width(), at.y + bmp->Height()}, 0, 0);
  if (manager_->IsValidSkinIndex(itemIndex))
    PaintItemBySection(itemIndex, "MENUITEM", MakeCacheInfo(line, at.x, at.y), manager_, bmp.get(),
                       POINT{0, 0}, RECT{0, 0, bmp->Width(), bmp->Height()}, hot ? 1 : 0, true);
  TCanvas* c = bmp->Canvas();
  UseMenuFont(c);
  if (Item->Default()) {
    TFontStyles st = c->Font()->Style();
    st.Include(fsBold);
    c->Font()->SetStyle(st);
  }
  int lineIndex =
      manager_->GetSkinIndex(provider->MenuLineSkin().empty() ? "MENULINE" : provider->MenuLineSkin());
  // A skin without a menu line writes the items in its form's text colours.
  if (!manager_->IsValidSkinIndex(lineIndex)) lineIndex = provider->SkinData()->SkinIndex;
  if (!manager_->IsValidSkinIndex(lineIndex)) lineIndex = manager_->GetSkinIndex("GLOBALINFO");
  RECT tr{Margin, 0, bmp->Width() - Margin, bmp->Height()};
  WriteTextEx(c, Item->Caption(), enabled, manager_, hot, lineIndex,
              DT_CENTER | DT_VCENTER | DT_EXPANDTABS | DT_SINGLELINE, tr);
  if (std::string sc = ShortCutText(Item); !sc.empty()) {
    RECT sr{Margin, 0, bmp->Width() - Margin - 8, bmp->Height()};
    WriteTextEx(c, sc, enabled, manager_, hot, lineIndex,
                DT_RIGHT | DT_VCENTER | DT_EXPANDTABS | DT_SINGLELINE, sr);
  }
  if (OnDrawItem) OnDrawItem(Item, c, RECT{0, 0, bmp->Width(), bmp->Height()}, State, smTopLine);
  if (!enabled)
    BlendBitmapRect(bmp.get(), line, 102, RECT{at.x, at.y, at.x + bmp->Width(), at.y + bmp->Height()},
                    POINT{0, 0});
  BitBlt(Canvas->Handle(), ARect.left, ARect.top, bmp->Width(), bmp->Height(), c->Handle(), 0, 0, SRCCOPY);
}

}  // namespace qv
