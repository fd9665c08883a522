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

  // --- Content export (DataTreeExport.cpp) and the text formats of the
  // clipboard (DataStringTreeTransfer.cpp).
  std::string RenderHTML(TDTTextSource Source, const std::u16string& Caption = std::u16string());
  std::string RenderRTF(TDTTextSource Source);
  // Text in UTF-8 (the 8-bit text of this system).
  std::string RenderPlainText(TDTTextSource Source, char Separator);
  std::u16string RenderUnicodeText(TDTTextSource Source, char16_t Separator);
  std::unique_ptr<TextReader> ReadTextInPieces(TDTDataObject* Object) override;
  static void WrapHTMLDescription(std::string& HTML);
  static std::string WideToUTF8(const std::u16string& S);
  // The text formats rendered into a new global block (nullptr when empty or unknown).
  HGLOBAL RenderToGlobal(CLIPFORMAT Format, TDTTextSource Source);
  HRESULT RenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium, bool ForClipboard) override;
  void WriteChunks(TStream& Stream, PDataNode Node) override;
  bool ReadChunk(TStream& Stream, int Version, PDataNode Node, int ChunkType, int ChunkSize) override;
  std::u16string GetNodeHint(PDataNode Node, TColumnIndex Column,
                             TDTTooltipLineBreakStyle& LineBreakStyle) override;
  std::u16string GetNodeTooltip(PDataNode Node, TColumnIndex Column,
                                TDTTooltipLineBreakStyle& LineBreakStyle) override;
  // The font, rectangle and text of a cell as the editor and the tooltip show it.
  void GetTextInfo(PDataNode Node, TColumnIndex Column, TFont* AFont, RECT& R, std::u16string& Text);
  TDTGetHintEvent OnGetHint;

 protected:
  virtual int CalculateTextWidth(PDataNode Node, TColumnIndex Column, const std::u16string& Text);
  virtual void DoGetText(PDataNode Node, TColumnIndex Column, TVSTTextType TextType, std::u16string& Text);
  virtual void DoNewText(PDataNode Node, TColumnIndex Column, const std::u16string& Text);
  virtual void DoPaintText(PDataNode Node, TCanvas* Canvas, TColumnIndex Column, TVSTTextType TextType);
  virtual std::u16string DoShortenString(HDC DC, PDataNode Node, TColumnIndex Column, const std::u16string& S,
                                         int Width, bool RightToLeft = false);
  virtual int DoTextMeasuring(HDC DC, const std::u16string& Text);
  void PaintNodeContent(TDTCellPaintInfo& PaintInfo, TVSTTextType TextType) override;
  void WndProc(TMessage& Message) override;
  TCustomDataTreeOptions* CreateOptions() override;
  void UpdateTextMetrics();
  void InitNode(PDataNode Node) override;
  void DoCreateEditor(PDataNode Node, TColumnIndex Column, ComPtr<IDTEditLink>& Link) override;

  struct ExportLayout {
    TNodeArray Nodes;
    int MaxLevel = 0;
    std::vector<TDataTreeColumn*> Columns;
    TColumnIndex Main = NoColumn;
  };
  ExportLayout PrepareExport(TDTTextSource Source);
  // How many nodes a source holds (SIZE_MAX: not counted), and the columns of its text.
  size_t ExportCount(TDTTextSource Source);
  void ExportColumns(ExportLayout& L);
  void AppendUnicodeHeader(const ExportLayout& L, char16_t Separator, std::u16string& Out);
  void AppendUnicodeRow(const ExportLayout& L, PDataNode Node, char16_t Separator, std::u16string& Out);
  class UnicodeTextReader;
  PDataNode ExportFirst(TDTTextSource Source);
  PDataNode ExportNext(TDTTextSource Source, PDataNode Node);
  bool ExportCellFont(TCanvas& Canvas, PDataNode Node, TColumnIndex Column);

 private:
  uint32_t* WidthSlot(PDataNode Node) const {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(Node) + widthOffset_);
  }
  uint32_t widthOffset_ = 0;
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
