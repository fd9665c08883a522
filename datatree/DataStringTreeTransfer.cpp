// The string tree's part in the data transfer: its text formats for the
// clipboard and drags, the caption chunk of the tree stream, its hint texts
// and the cell text information the editor and the tooltip use.

#include "classlib/Streams.h"
#include "classlib/graphics/Canvas.h"
#include "datatree/DataStringTree.h"
#include "datatree/DataTreeClipboard.h"
#include "datatree/DataTreeEditLink.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/ole/Clipboard.h"
#include "platform/text/Text.h"

namespace qv {

namespace {

constexpr int kChunkCaption = 3;

}  // namespace

HGLOBAL TCustomDataStringTree::RenderToGlobal(CLIPFORMAT Format, TDTTextSource Source) {
  if (Format == CF_TEXT) {
    std::string s = RenderPlainText(Source, '\t');
    return s.empty() ? nullptr : GlobalFromBytes(s.c_str(), s.size() + 1);
  }
  if (Format == CF_UNICODETEXT) {
    std::u16string s = RenderUnicodeText(Source, u'\t');
    return s.empty() ? nullptr : GlobalFromBytes(s.c_str(), (s.size() + 1) * 2);
  }
  std::string s;
  if (Format == CF_CSV())
    s = RenderPlainText(Source, ',');
  else if (Format == CF_RTF() || Format == CF_RTFNOOBJS())
    s = RenderRTF(Source);
  else if (Format == CF_HTML()) {
    s = RenderHTML(Source);
    WrapHTMLDescription(s);
  } else
    return nullptr;
  return s.empty() ? nullptr : GlobalFromBytes(s.c_str(), s.size() + 1);
}

HRESULT TCustomDataStringTree::RenderOLEData(const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                                             bool ForClipboard) {
  HRESULT hr = TBaseDataTree::RenderOLEData(FormatEtcIn, Medium, ForClipboard);
  if (SUCCEEDED(hr)) return hr;
  try {
    HGLOBAL mem = RenderToGlobal(FormatEtcIn.cfFormat, ForClipboard ? txCutCopySet : txSelected);
    if (!mem) return hr;
    Medium = STGMEDIUM{};
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = mem;
    return S_OK;
  } catch (...) {
    Medium = STGMEDIUM{};
    return E_FAIL;
  }
}

void TCustomDataStringTree::WriteChunks(TStream& Stream, PDataNode Node) {
  TBaseDataTree::WriteChunks(Stream, Node);
  if (Node == root_ || !Node->Has(vsInitialized) ||
      !StringTreeOptions()->StringOptions().Contains(toSaveCaptions))
    return;
  std::u16string text = defaultText_;
  DoGetText(Node, header_->MainColumn(), ttNormal, text);
  if (text.empty()) return;
  int32_t header[2] = {kChunkCaption, int32_t(text.size() * 2)};
  Stream.WriteBuffer(header, 8);
  Stream.WriteBuffer(text.data(), int64_t(text.size() * 2));
}

bool TCustomDataStringTree::ReadChunk(TStream& Stream, int Version, PDataNode Node, int ChunkType,
                                      int ChunkSize) {
  if (ChunkType != kChunkCaption)
    return TBaseDataTree::ReadChunk(Stream, Version, Node, ChunkType, ChunkSize);
  // The caller checked the size against the chunk's bytes; an odd last byte is dropped.
  std::u16string text(size_t(ChunkSize / 2), u'\0');
  if (!text.empty()) Stream.ReadBuffer(text.data(), int64_t(text.size() * 2));
  if (ChunkSize % 2) Stream.Seek(1, TSeekOrigin::soCurrent);
  if (Node && Node != root_) SetText(Node, header_->MainColumn(), text);
  return true;
}

std::u16string TCustomDataStringTree::GetNodeHint(PDataNode Node, TColumnIndex Column,
                                                  TDTTooltipLineBreakStyle& LineBreakStyle) {
  std::u16string hint = TBaseDataTree::GetNodeHint(Node, Column, LineBreakStyle);
  if (OnGetHint) OnGetHint(this, Node, Column, LineBreakStyle, hint);
  return hint;
}

// A tooltip shows the full cell text unless the owner says otherwise.
std::u16string TCustomDataStringTree::GetNodeTooltip(PDataNode Node, TColumnIndex Column,
                                                     TDTTooltipLineBreakStyle& LineBreakStyle) {
  LineBreakStyle = hlbDefault;
  if (!OnGetHint) return GetText(Node, Column);
  std::u16string hint = Utf8ToUtf16(Hint());
  OnGetHint(this, Node, Column, LineBreakStyle, hint);
  return hint;
}

void TCustomDataStringTree::GetTextInfo(PDataNode Node, TColumnIndex Column, TFont* AFont, RECT& R,
                                        std::u16string& Text) {
  int height = textHeight_;
  AFont->Assign(Font());
  if (OnPaintText) {
    TCanvas canvas;
    HDC dc = CreateCompatibleDC(nullptr);
    canvas.SetHandle(dc);
    canvas.Font()->Assign(Font());
    DoPaintText(Node, &canvas, Column, ttNormal);
    TFont probe;
    probe.Assign(Font());
    if (canvas.Font()->Name() != probe.Name() || canvas.Font()->Size() != probe.Size() ||
        canvas.Font()->Style() != probe.Style() || canvas.Font()->Color() != probe.Color()) {
      AFont->Assign(canvas.Font());
      HGDIOBJ old = SelectObject(dc, AFont->Handle());
      TEXTMETRICW tm{};
      GetTextMetricsW(dc, &tm);
      height = tm.tmHeight;
      SelectObject(dc, old);
    }
    canvas.SetHandle(nullptr);
    DeleteDC(dc);
  }
  Text = GetText(Node, Column);
  bool multi = Node->Has(vsMultiline);
  R = GetDisplayRect(Node, Column, true, !multi);
  if (TreeOptions()->PaintOptions().Contains(toShowHorzGridLines)) --R.bottom;
  int delta = (height - (R.bottom - R.top)) / 2;
  R.top -= delta;
  R.bottom = R.top + height;
}

void TCustomDataStringTree::DoCreateEditor(PDataNode Node, TColumnIndex Column, ComPtr<IDTEditLink>& Link) {
  TBaseDataTree::DoCreateEditor(Node, Column, Link);
  if (!Link) Link = ComPtr<IDTEditLink>(TStringEditLink::Create().Get());
}

}  // namespace qv
