// How an owner-drawn menu item measures and paints itself when no event
// takes over: the image (or check mark) column, the caption with its access
// key, the shortcut at the right, in the classic menu colours; top-level
// items of a menu bar as raised or sunken titles.
#include <algorithm>

#include "classlib/controls/Screen.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "classlib/menus/Menus.h"
#include "platform/Utf.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/menus/MenuPaint.h"
#include "platform/text/Text.h"

namespace qv {
namespace {

constexpr int kMargin = 3, kTitlePad = 6, kShortcutGap = 16, kArrowRoom = 16, kSeparator = 8;

SIZE GlyphSize(TCustomImageList* images, TBitmap* bitmap) {
  if (bitmap) return SIZE{bitmap->Width(), bitmap->Height()};
  if (images) return SIZE{images->Width(), images->Height()};
  return SIZE{16, 16};
}

int GlyphColumn(SIZE glyph) {
  return std::max(20, int(glyph.cx) + 2 * kMargin);
}

void Fill(HDC dc, const RECT& r, int sysColor) {
  FillRect(dc, &r, reinterpret_cast<HBRUSH>(uintptr_t(sysColor + 1)));
}

}  // namespace

void TMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height) {
  if (Screen && Screen->MenuFont()) ACanvas->SetFont(Screen->MenuFont());
  TFontStyles style = ACanvas->Font()->Style();
  if (default_) style.Include(fsBold);
  ACanvas->Font()->SetStyle(style);
  std::string label = StripHotkey(caption_);
  int textHeight = ACanvas->TextHeight("W");
  if (IsTopLevelOfMainMenu()) {
    // The room around a title grows with the screen's density, as its text does.
    Width = ACanvas->TextWidth(label) + 2 * ScaleToScreen(kTitlePad);
    Height = GetSystemMetrics(SM_CYMENU) - 1;
  } else if (IsLine()) {
    Width = 0;
    Height = kSeparator;
  } else {
    SIZE glyph = GlyphSize(GetImageList(), HasBitmap() ? bitmap_.get() : nullptr);
    std::string shortcut = shortCut_ != scNone ? ShortCutToText(shortCut_) : std::string();
    Width = GlyphColumn(glyph) + kMargin + ACanvas->TextWidth(label) +
            (shortcut.empty() ? 0 : kShortcutGap + ACanvas->TextWidth(shortcut)) + kArrowRoom;
    Height = std::max(std::max(17, textHeight + 5), int(glyph.cy) + 3);
  }
  if (OnMeasureItem) OnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State) {
  if (Screen && Screen->MenuFont()) ACanvas->SetFont(Screen->MenuFont());
  if (OnAdvancedDrawItem)
    OnAdvancedDrawItem(this, ACanvas, ARect, State);
  else if (OnDrawItem)
    OnDrawItem(this, ACanvas, ARect, State.Contains(odSelected));
  else
    DefaultDraw(ACanvas, ARect, State);
}

void TMenuItem::DoDrawText(TCanvas* ACanvas, const std::string& ACaption, RECT& Rect, bool Selected,
                           UINT Flags) {
  HDC dc = ACanvas->Handle();
  menus::DrawMenuLabel(
      dc, Utf8ToUtf16(ACaption), Rect, Flags, !enabled_, Selected,
      GetSysColor(Selected && !IsTopLevelOfMainMenu() ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
}

void TMenuItem::DefaultDraw(TCanvas* ACanvas, RECT ARect, TOwnerDrawState State) {
  HDC dc = ACanvas->Handle();
  bool selected = State.Contains(odSelected);
  UINT prefix = State.Contains(odNoAccel) ? DT_HIDEPREFIX : 0;
  if (default_) {
    TFontStyles style = ACanvas->Font()->Style();
    style.Include(fsBold);
    ACanvas->Font()->SetStyle(style);
  }
  // The text below is drawn on the DC directly: it needs the canvas font in it.
  struct FontIn {
    HDC dc;
    HGDIOBJ old;
    ~FontIn() { SelectObject(dc, old); }
  } font{dc, SelectObject(dc, ACanvas->Font()->Handle())};
  if (IsTopLevelOfMainMenu()) {
    Fill(dc, ARect, COLOR_MENU);
    RECT text = ARect;
    if (selected || State.Contains(odHotLight)) {
      RECT e = ARect;
      DrawEdge(dc, &e, selected ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      if (selected) OffsetRect(&text, 1, 1);
    }
    DoDrawText(ACanvas, caption_, text, false, DT_SINGLELINE | DT_VCENTER | DT_CENTER | prefix);
    return;
  }
  if (IsLine()) {
    Fill(dc, ARect, COLOR_MENU);
    RECT line{ARect.left + 1, (ARect.top + ARect.bottom) / 2 - 1, ARect.right - 1,
              (ARect.top + ARect.bottom) / 2 + 1};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  TCustomImageList* images = GetImageList();
  TBitmap* bitmap = HasBitmap() ? bitmap_.get() : nullptr;
  SIZE glyph = GlyphSize(images, bitmap);
  int column = GlyphColumn(glyph);
  RECT glyphRect{ARect.left, ARect.top, ARect.left + column, ARect.bottom};
  bool hasImage = bitmap || (images && imageIndex_ >= 0 && imageIndex_ < images->Count());
  // The highlight leaves the glyph column alone when there is an image, as the classic look does.
  RECT highlight = ARect;
  if (hasImage) highlight.left = glyphRect.right;
  Fill(dc, ARect, COLOR_MENU);
  if (selected) Fill(dc, highlight, COLOR_HIGHLIGHT);
  int gx = glyphRect.left + (column - glyph.cx) / 2,
      gy = ARect.top + (ARect.bottom - ARect.top - glyph.cy) / 2;
  if (hasImage) {
    if (checked_) {
      RECT frame{gx - 2, gy - 2, gx + glyph.cx + 2, gy + glyph.cy + 2};
      DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
    } else if (selected && enabled_) {
      RECT frame{gx - 2, gy - 2, gx + glyph.cx + 2, gy + glyph.cy + 2};
      DrawEdge(dc, &frame, BDR_RAISEDINNER, BF_RECT);
    }
    if (bitmap)
      ACanvas->Draw(gx, gy, bitmap);
    else
      images->Draw(ACanvas, gx, gy, imageIndex_, enabled_);
  } else if (checked_) {
    menus::DrawMenuCheck(dc, glyphRect, radioItem_,
                         GetSysColor(!enabled_  ? COLOR_GRAYTEXT
                                     : selected ? COLOR_HIGHLIGHTTEXT
                                                : COLOR_MENUTEXT));
  }
  RECT text{glyphRect.right + kMargin, ARect.top, ARect.right - kArrowRoom, ARect.bottom};
  DoDrawText(ACanvas, caption_, text, selected, DT_SINGLELINE | DT_VCENTER | DT_LEFT | prefix);
  if (shortCut_ != scNone) {
    RECT sc = text;
    DoDrawText(ACanvas, ShortCutToText(shortCut_), sc, selected,
               DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
  }
}

}  // namespace qv
