// The string tree: cells are wide texts the owner supplies through OnGetText
// each time they are painted, measured or searched; the tree keeps only the
// measured width of each node's main-column text.
#pragma once
#include "datatree/BaseDataTree.h"

namespace qv {

class TCustomDataStringTree;

using TVSTGetTextEvent = std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column,
                                            TVSTTextType TextType, std::u16string& CellText)>;
using TVTPaintText = std::function<void(TBaseDataTree*, TCanvas* TargetCanvas, PDataNode Node,
                                        TColumnIndex Column, TVSTTextType TextType)>;
using TVSTNewTextEvent =
    std::function<void(TBaseDataTree*, PDataNode Node, TColumnIndex Column, const std::u16string&)>;
using TVSTShortenStringEvent = std::function<void(TBaseDataTree*, TCanvas* TargetCanvas, PDataNode Node,
                                                  TColumnIndex Column, const std::u16string& S, int TextSpace,
                                                  bool RightToLeft, std::u16string& Result, bool& Done)>;

class TCustomDataStringTree : public TBaseDataTree {
 public:
  explicit TCustomDataStringTree(TComponent* AOwner);
  ~TCustomDataStringTree() override;

  std::u16string GetText(PDataNode Node, TColumnIndex Column);
  void SetText(PDataNode Node, TColumnIndex Column, const std::u16string& Text);
  const std::u16string& DefaultText() const { return defaultText_; }
  void SetDefaultText(const std::u16string& Value);
  int TextHeight() const { return textHeight_; }
  int EllipsisWidth() const { return ellipsisWidth_; }
  TCustomStringTreeOptions* StringTreeOptions() const {
    return static_cast<TCustomStringTreeOptions*>(TreeOptions());
  }
  // The cached main-column width (0 = not measured yet).
  uint32_t CachedWidth(PDataNode Node) const;
  // The height a multi-line text needs in the cell (word-wrapped), for OnMeasureItem.
  int ComputeNodeHeight(PDataNode Node, TColumnIndex Column, std::u16string S = std::u16string());
  void ResetWidthCache();

  TVSTGetTextEvent OnGetText;
  TVTPaintText OnPaintText;
  TVSTNewTextEvent OnNewText;
  TVSTShortenStringEvent OnShortenString;

  void MainColumnChanged() override;
  // A node redrawn for a change is measured again.
  void InvalidateNode(PDataNode Node) override;
  int DoGetNodeWidth(PDataNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
  bool DoGetCellIsEmpty(PDataNode Node, TColumnIndex Column) override;
  int DoIncrementalSearch(PDataNode Node, const std::u16string& Text) override;

 protected:
  virtual int CalculateTextWidth(PDataNode Node, TColumnIndex Column, const std::u16string& Text);
  virtual void DoGetText(PDataNode Node, TColumnIndex Column, TVSTTextType TextType, std::u16string& Text);
  virtual void DoNewText(PDataNode Node, TColumnIndex Column, const std::u16string& Text);
  virtual void DoPaintText(PDataNode Node, TCanvas* Canvas, TColumnIndex Column, TVSTTextType TextType);
  virtual std::u16string DoShortenString(HDC DC, PDataNode Node, TColumnIndex Column, const std::u16string& S,
                                         int Width);
  virtual int DoTextMeasuring(HDC DC, const std::u16string& Text);
  void PaintNodeContent(TDTCellPaintInfo& PaintInfo, TVSTTextType TextType) override;
  void WndProc(TMessage& Message) override;
  TCustomDataTreeOptions* CreateOptions() override;
  void UpdateTextMetrics();
  void InitNode(PDataNode Node) override;

 private:
  uint32_t* WidthSlot(PDataNode Node) const {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(Node) + sizeof(TDataNode));
  }
  HDC MeasureDC();

  std::u16string defaultText_ = u"Node";
  int textHeight_ = 0;
  int ellipsisWidth_ = 0;
  HDC measureDC_ = nullptr;
  HGDIOBJ measureOldFont_ = nullptr;
  HFONT measureFont_ = nullptr;
};

class TDataStringTree : public TCustomDataStringTree {
 public:
  explicit TDataStringTree(TComponent* AOwner) : TCustomDataStringTree(AOwner) {}
  TStringTreeOptions* TreeOptions() const {
    return static_cast<TStringTreeOptions*>(TBaseDataTree::TreeOptions());
  }
};

}  // namespace qv
