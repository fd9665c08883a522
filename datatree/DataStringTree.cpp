// Texts per cell from the owner: retrieval, the cached main-column width,
// shortening with an ellipsis, the incremental-search comparison and the
// painting of a cell's text.
#include "datatree/DataStringTree.h"

#include <algorithm>

#include "classlib/graphics/Font.h"
#include "datatree/DataTreeDrawing.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Messages.h"

namespace qv {

namespace {
const WCHAR* W(const std::u16string& s) {
  return reinterpret_cast<const WCHAR*>(s.c_str());
}
}  // namespace

TCustomDataStringTree::TCustomDataStringTree(TComponent* AOwner) : TBaseDataTree(AOwner) {
  // Room for the cached width in every node.
  widthOffset_ = AllocateInternalDataArea(sizeof(uint32_t));
  options_.reset(CreateOptions());
  UpdateTextMetrics();
}

TCustomDataStringTree::~TCustomDataStringTree() {
  // A running edit ends while the string tree is still whole.
  ShutdownTransfers();
  if (measureDC_) {
    SelectObject(measureDC_, measureOldFont_);
    DeleteDC(measureDC_);
  }
}

TCustomDataTreeOptions* TCustomDataStringTree::CreateOptions() {
  return new TStringTreeOptions(this);
}

HDC TCustomDataStringTree::MeasureDC() {
  HFONT font = Font()->Handle();
  if (!measureDC_) {
    measureDC_ = CreateCompatibleDC(nullptr);
    measureOldFont_ = SelectObject(measureDC_, font);
    measureFont_ = font;
  } else if (font != measureFont_) {
    SelectObject(measureDC_, font);
    measureFont_ = font;
  }
  return measureDC_;
}

void TCustomDataStringTree::UpdateTextMetrics() {
  HDC dc = MeasureDC();
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  textHeight_ = tm.tmHeight;
  SIZE s{};
  GetTextExtentPoint32W(dc, W(u"..."), 3, &s);
  ellipsisWidth_ = s.cx;
}

uint32_t TCustomDataStringTree::CachedWidth(PDataNode Node) const {
  return Node && Node != root_ ? *WidthSlot(Node) : 0;
}

int TCustomDataStringTree::ComputeNodeHeight(PDataNode Node, TColumnIndex Column, std::u16string S) {
  if (S.empty()) S = GetText(Node, Column);
  RECT r = GetDisplayRect(Node, Column, true, true);
  TDataTreeColumns* cols = header_->Columns();
  if (options_->AutoOptions().Contains(toAutoSpanColumns) && cols->IsValidColumn(Column))
    for (TColumnIndex next = cols->GetNextVisibleColumn(Column); next >= 0 && DoGetCellIsEmpty(Node, next);
         next = cols->GetNextVisibleColumn(next))
      r.right += cols->Items(next)->Width();
  r.bottom = r.top;
  DrawTextW(MeasureDC(), W(S), int(S.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return r.bottom - r.top;
}

void TCustomDataStringTree::ResetWidthCache() {
  for (PDataNode run = GetFirstNoInit(); run; run = GetNextNoInit(run)) *WidthSlot(run) = 0;
}

void TCustomDataStringTree::InitNode(PDataNode Node) {
  // A node initialised again is measured again.
  *WidthSlot(Node) = 0;
  TBaseDataTree::InitNode(Node);
}

void TCustomDataStringTree::InvalidateNode(PDataNode Node) {
  TBaseDataTree::InvalidateNode(Node);
  if (Node && Node != root_) {
    *WidthSlot(Node) = 0;
    Node->Exclude(vsHeightMeasured);
  }
}

void TCustomDataStringTree::MainColumnChanged() {
  ResetWidthCache();
  TBaseDataTree::MainColumnChanged();
}

std::u16string TCustomDataStringTree::GetText(PDataNode Node, TColumnIndex Column) {
  DTAssert(Node != nullptr, "Node must not be nil.");
  InitIfNeeded(Node);
  std::u16string text = defaultText_;
  DoGetText(Node, Column, ttNormal, text);
  return text;
}

void TCustomDataStringTree::SetText(PDataNode Node, TColumnIndex Column, const std::u16string& Text) {
  DoNewText(Node, Column, Text);
  if (Node && Node != root_) *WidthSlot(Node) = 0;
  InvalidateNode(Node);
}

void TCustomDataStringTree::SetDefaultText(const std::u16string& Value) {
  if (defaultText_ == Value) return;
  defaultText_ = Value;
  if (!IsLoading()) Invalidate();
}

void TCustomDataStringTree::DoGetText(PDataNode Node, TColumnIndex Column, TVSTTextType TextType,
                                      std::u16string& Text) {
  if (OnGetText) OnGetText(this, Node, Column, TextType, Text);
}

void TCustomDataStringTree::DoNewText(PDataNode Node, TColumnIndex Column, const std::u16string& Text) {
  if (OnNewText) OnNewText(this, Node, Column, Text);
  NodeWidthsChanged();
  if (updateCount_ == 0) UpdateHorizontalScrollBar(true);
}

void TCustomDataStringTree::DoPaintText(PDataNode Node, TCanvas* Canvas, TColumnIndex Column,
                                        TVSTTextType TextType) {
  if (OnPaintText) OnPaintText(this, Canvas, Node, Column, TextType);
}

int TCustomDataStringTree::DoTextMeasuring(HDC DC, const std::u16string& Text) {
  SIZE s{};
  GetTextExtentPoint32W(DC, W(Text), int(Text.size()), &s);
  return s.cx;
}

int TCustomDataStringTree::CalculateTextWidth(PDataNode Node, TColumnIndex Column,
                                              const std::u16string& Text) {
  int w = 2 * textMargin_;
  if (Text.empty()) return w;
  HDC dc = MeasureDC();
  if (!OnPaintText || !Node || Node == root_) return w + DoTextMeasuring(dc, Text);
  // The text is measured in the font its paint handler chooses (a bold row
  // is wider), so fitting, hit tests and the band see what is painted.
  TCanvas canvas;
  canvas.SetHandle(dc);
  canvas.Font()->Assign(Font());
  DoPaintText(Node, &canvas, Column, ttNormal);
  HGDIOBJ previous = SelectObject(dc, canvas.Font()->Handle());
  w += DoTextMeasuring(dc, Text);
  SelectObject(dc, previous);
  canvas.SetHandle(nullptr);
  return w;
}

int TCustomDataStringTree::DoGetNodeWidth(PDataNode Node, TColumnIndex Column, TCanvas*) {
  if (!Node || Node == root_) return 0;
  TDataTreeColumns* cols = header_->Columns();
  if (Node->Has(vsMultiline) && cols->IsValidColumn(Column)) return cols->Items(Column)->Width();
  bool isMain = Column == header_->MainColumn() || (Column <= NoColumn && header_->MainColumn() <= NoColumn);
  if (!isMain) return CalculateTextWidth(Node, Column, GetText(Node, Column));
  uint32_t& slot = *WidthSlot(Node);
  if (slot == 0) slot = uint32_t(std::max(1, CalculateTextWidth(Node, Column, GetText(Node, Column))));
  return int(slot);
}

bool TCustomDataStringTree::DoGetCellIsEmpty(PDataNode Node, TColumnIndex Column) {
  if (!GetText(Node, Column).empty()) return false;
  return TBaseDataTree::DoGetCellIsEmpty(Node, Column);
}

int TCustomDataStringTree::DoIncrementalSearch(PDataNode Node, const std::u16string& Text) {
  if (OnIncrementalSearch) return TBaseDataTree::DoIncrementalSearch(Node, Text);
  // Case-sensitive prefix of the focused column's text.
  std::u16string cell = GetText(Node, focus_.Column());
  return cell.compare(0, Text.size(), Text) == 0 && cell.size() >= Text.size() ? 0 : 1;
}

std::u16string TCustomDataStringTree::DoShortenString(HDC DC, PDataNode Node, TColumnIndex Column,
                                                      const std::u16string& S, int Width, bool RightToLeft) {
  if (OnShortenString) {
    std::u16string result;
    bool done = false;
    OnShortenString(this, paintCanvas_.get(), Node, Column, S, Width, RightToLeft, result, done);
    if (done) return result;
  }
  return ShortenText(DC, S, Width, RightToLeft, ellipsisWidth_);
}

void TCustomDataStringTree::PaintNodeContent(TDTCellPaintInfo& PaintInfo, TVSTTextType) {
  PDataNode node = PaintInfo.Node;
  std::u16string text = GetText(node, PaintInfo.Column);
  if (text.empty()) return;
  HDC dc = PaintInfo.DC;
  TColor color = Font()->Color();
  bool fullRow = options_->SelectionOptions().Contains(toFullRowSelect);
  bool focused = Focused() || options_->PaintOptions().Contains(toPopupMode);
  bool hot = options_->PaintOptions().Contains(toHotTrack) && node == focus_.Hot();
  if (hot) color = colors_->Get(TDTColors::HotColor);
  if (PaintInfo.PaintOptions.Contains(ptSelection) && node->Has(vsSelected) && focused &&
      (fullRow || PaintInfo.Column == focus_.Column() || !header_->UseColumns() ||
       PaintInfo.Column == header_->MainColumn()))
    color = clHighlightText;
  if (node->Has(vsDisabled) || !Enabled()) color = colors_->Get(TDTColors::DisabledColor);
  HGDIOBJ oldFont = nullptr;
  HFONT underline = nullptr;
  if (OnPaintText) {
    // The handler works on the canvas; its font and colour are taken over.
    TCanvas* canvas = paintCanvas_.get();
    canvas->Font()->Assign(Font());
    canvas->Font()->SetColor(color);
    DoPaintText(node, canvas, PaintInfo.Column, ttNormal);
    color = canvas->Font()->Color();
    oldFont = SelectObject(dc, canvas->Font()->Handle());
  } else if (hot) {
    LOGFONTW lf{};
    GetObjectW(Font()->Handle(), sizeof(lf), &lf);
    lf.lfUnderline = 1;
    underline = CreateFontIndirectW(&lf);
    oldFont = SelectObject(dc, underline);
  }
  SetTextColor(dc, COLORREF(ColorToRGB(color)));
  RECT r = PaintInfo.ContentRect;
  r.left += textMargin_;
  r.right -= textMargin_;
  UINT flags = DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE;
  if (node->Has(vsMultiline)) {
    flags = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;
  } else {
    SIZE sz{};
    GetTextExtentPoint32W(dc, W(text), int(text.size()), &sz);
    if (PaintInfo.Column > NoColumn && sz.cx > r.right - r.left) {
      text = DoShortenString(dc, node, PaintInfo.Column, text, r.right - r.left,
                             PaintInfo.BidiMode != bdLeftToRight);
      if (PaintInfo.Alignment == taRightJustify) flags |= DT_RIGHT;
    } else {
      flags |= PaintInfo.Alignment == taRightJustify ? DT_RIGHT
               : PaintInfo.Alignment == taCenter     ? DT_CENTER
                                                     : 0;
    }
  }
  if (PaintInfo.BidiMode != bdLeftToRight) flags |= DT_RTLREADING;
  if (!text.empty()) DrawTextW(dc, W(text), int(text.size()), &r, flags);
  // The static text follows the normal text, in the font colour (or highlighted).
  if (alignment_ != taCenter && !node->Has(vsMultiline) &&
      StringTreeOptions()->StringOptions().Contains(toShowStaticText)) {
    std::u16string extra;
    DoGetText(node, PaintInfo.Column, ttStatic, extra);
    if (!extra.empty()) {
      RECT sr = PaintInfo.ContentRect;
      int shift = PaintInfo.NodeWidth + textMargin_;
      if (PaintInfo.Alignment == taRightJustify)
        sr.right -= shift;
      else
        sr.left += shift;
      if (OnPaintText) DoPaintText(node, paintCanvas_.get(), PaintInfo.Column, ttStatic);
      DrawTextW(dc, W(extra), int(extra.size()), &sr, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    }
  }
  if (oldFont) SelectObject(dc, oldFont);
  if (underline) DeleteObject(underline);
}

void TCustomDataStringTree::WndProc(TMessage& Message) {
  if (Message.Msg == WM_SETFONT || Message.Msg == CM_FONTCHANGED) {
    TBaseDataTree::WndProc(Message);
    UpdateTextMetrics();
    ResetWidthCache();
    NodeWidthsChanged();
    if (!IsLoading() && updateCount_ == 0) UpdateHorizontalScrollBar(true);
    return;
  }
  TBaseDataTree::WndProc(Message);
}

}  // namespace qv
