// Content export of the string tree: a chosen set of nodes as an HTML table,
// RTF, separated plain text (UTF-8) or UTF-16 text, one row per node and one
// cell per visible column, with the tree levels shown by indentation.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "classlib/graphics/Canvas.h"
#include "datatree/DataStringTree.h"
#include "datatree/DataTreeClipboard.h"
#include "datatree/TextCells.h"
#include "platform/Utf.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

namespace {

std::string Decimal(int64_t v) {
  return std::to_string(v);
}

// "#RRGGBB" of a colour.
std::string HexColor(TColor c) {
  uint32_t rgb = uint32_t(ColorToRGB(c));
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return buf;
}

// Text and attribute values: markup characters become entities.
void AppendEscaped(std::string& out, const std::string& s) {
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

TAlignment Mirrored(TAlignment a, TBiDiMode b) {
  if (b == bdLeftToRight) return a;
  return a == taLeftJustify ? taRightJustify : a == taRightJustify ? taLeftJustify : a;
}

// What the painting event made of the canvas font.
struct FontLook {
  std::string Name;
  int Size;
  TFontStyles Style;
  TColor Color;
  explicit FontLook(TFont* f) : Name(f->Name()), Size(f->Size()), Style(f->Style()), Color(f->Color()) {}
  bool operator==(const FontLook& o) const {
    return Name == o.Name && Size == o.Size && Style == o.Style && Color == o.Color;
  }
};

}  // namespace

std::string TCustomDataStringTree::WideToUTF8(const std::u16string& S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    uint32_t cp = S[i];
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (cp <= 0xDBFF && i + 1 < S.size() && S[i + 1] >= 0xDC00 && S[i + 1] <= 0xDFFF) {
        cp = cp * 1024 + S[++i] - 0x35FDC00;
      } else {
        continue;  // a lone surrogate is dropped
      }
    }
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6));
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18));
      out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

PDataNode TCustomDataStringTree::ExportFirst(TDTTextSource Source) {
  switch (Source) {
    case txInitialized:
      return GetFirstInitialized();
    case txSelected:
      return GetFirstSelected();
    case txCutCopySet:
      return GetFirstCutCopy();
    case txVisible:
      return GetFirstVisible();
    default:
      return GetFirst();
  }
}

PDataNode TCustomDataStringTree::ExportNext(TDTTextSource Source, PDataNode Node) {
  switch (Source) {
    case txInitialized:
      return GetNextInitialized(Node);
    case txSelected:
      return GetNextSelected(Node);
    case txCutCopySet:
      return GetNextCutCopy(Node);
    case txVisible:
      return GetNextVisible(Node);
    default:
      return GetNext(Node);
  }
}

TCustomDataStringTree::ExportLayout TCustomDataStringTree::PrepareExport(TDTTextSource Source) {
  ExportLayout L;
  // The selected and the copied nodes are counted: the walk ends at the last
  // of them, not at the end of a long tree.
  size_t wanted = ExportCount(Source);
  for (PDataNode n = ExportFirst(Source); n; n = L.Nodes.size() < wanted ? ExportNext(Source, n) : nullptr) {
    L.Nodes.push_back(n);
    L.MaxLevel = std::max<int>(L.MaxLevel, int(GetNodeLevel(n)));
  }
  ExportColumns(L);
  return L;
}

size_t TCustomDataStringTree::ExportCount(TDTTextSource Source) {
  return Source == txSelected     ? size_t(std::max(SelectionCount(), 0))
         : Source == txCutCopySet ? CutCopyCount()
                                  : SIZE_MAX;
}

void TCustomDataStringTree::ExportColumns(ExportLayout& L) {
  if (header_->Columns()->Count() > 0) L.Columns = header_->Columns()->GetVisibleColumns();
  L.Main = header_->MainColumn();
}

std::string TCustomDataStringTree::RenderPlainText(TDTTextSource Source, char Separator) {
  ExportLayout L = PrepareExport(Source);
  std::string out;
  out.reserve(L.Nodes.size() * 16 * std::max<size_t>(1, L.Columns.size()));
  std::string spacer(size_t(L.MaxLevel), Separator);
  for (size_t i = 0; i < L.Columns.size(); ++i) {
    out += WideToUTF8(L.Columns[i]->Text());
    if (i + 1 < L.Columns.size()) {
      if (L.Columns[i]->Index() == L.Main) out += spacer;
      out += Separator;
    }
  }
  if (!L.Columns.empty()) out += "\r\n";
  for (PDataNode n : L.Nodes) {
    int level = int(GetNodeLevel(n));
    if (L.Columns.empty()) {
      // The one cell of a tree without columns is quoted as every cell is.
      out.append(size_t(level), Separator);
      AppendTextCell(out, WideToUTF8(GetText(n, NoColumn)), Separator);
      out += "\r\n";
      continue;
    }
    for (size_t i = 0; i < L.Columns.size(); ++i) {
      TColumnIndex c = L.Columns[i]->Index();
      std::string t = WideToUTF8(GetText(n, c));
      if (c == L.Main) out.append(size_t(level), Separator);
      AppendTextCell(out, t, Separator);
      if (c == L.Main) out.append(size_t(L.MaxLevel - level), Separator);
      if (i + 1 < L.Columns.size()) out += Separator;
    }
    out += "\r\n";
  }
  return out;
}

void TCustomDataStringTree::AppendUnicodeHeader(const ExportLayout& L, char16_t Separator,
                                                std::u16string& out) {
  std::u16string spacer(size_t(L.MaxLevel), Separator);
  for (size_t i = 0; i < L.Columns.size(); ++i) {
    out += L.Columns[i]->Text();
    if (i + 1 < L.Columns.size()) {
      if (L.Columns[i]->Index() == L.Main) out += spacer;
      out += Separator;
    }
  }
  if (!L.Columns.empty()) out += u"\r\n";
}

void TCustomDataStringTree::AppendUnicodeRow(const ExportLayout& L, PDataNode n, char16_t Separator,
                                             std::u16string& out) {
  int level = int(GetNodeLevel(n));
  if (L.Columns.empty()) {
    out.append(size_t(level), Separator);
    AppendTextCell(out, GetText(n, NoColumn), Separator);
    out += u"\r\n";
    return;
  }
  for (size_t i = 0; i < L.Columns.size(); ++i) {
    TColumnIndex c = L.Columns[i]->Index();
    std::u16string t = GetText(n, c);
    if (c == L.Main) out.append(size_t(level), Separator);
    // Quoted as the plain text is: the two formats read back alike.
    AppendTextCell(out, t, Separator);
    if (c == L.Main) out.append(size_t(L.MaxLevel - level), Separator);
    if (i + 1 < L.Columns.size()) out += Separator;
  }
  out += u"\r\n";
}

std::u16string TCustomDataStringTree::RenderUnicodeText(TDTTextSource Source, char16_t Separator) {
  ExportLayout L = PrepareExport(Source);
  std::u16string out;
  out.reserve(L.Nodes.size() * 16 * std::max<size_t>(1, L.Columns.size()));
  AppendUnicodeHeader(L, Separator, out);
  for (PDataNode n : L.Nodes) AppendUnicodeRow(L, n, Separator, out);
  return out;
}

// The Unicode text of a data object's nodes, rendered a few rows at a time
// as it is read, so that a million rows cost nothing until asked for and
// then little at a time. The nodes are those of the first reads: they are
// listed in steps of their own first (the header's width needs the deepest
// of them), each short enough for the windows to go on between two, and
// listed again from the start when nodes went or the set changed meanwhile.
// Nodes taken out of the tree after that are left out (the list is made
// again, in steps too, and goes on after the last row made). It stops when
// the tree goes.
class TCustomDataStringTree::UnicodeTextReader : public TextReader {
 public:
  UnicodeTextReader(TCustomDataStringTree* Tree, TDTDataObject* Object)
      : tree_(Tree), object_(Object), source_(Object->ForClipboard() ? txCutCopySet : txSelected) {}
  bool Next(std::string& out, size_t bytes) override {
    if (object_->Owner() != tree_) return false;
    if (!listing_ && tree_->NodesForgotten() != forgotten_) {
      // Rows went: the list is made again, and the text goes on after the last row made.
      listing_ = true, begun_ = false;
      resume_ = next_ > 0 ? layout_.Nodes[next_ - 1] : nullptr;  // compared, never followed
    }
    std::u16string part;
    part.reserve(std::max<size_t>(bytes, 1) + 1024);  // a row more than asked, without growing on the way
    if (listing_) {
      if (!ListStep()) return true;  // nothing yet: the next step lists on
      listing_ = false;
      if (made_) {
        Resume();
      } else {
        made_ = true;
        layout_ = std::move(list_);
        tree_->ExportColumns(layout_);
        tree_->AppendUnicodeHeader(layout_, u'\t', part);
      }
    }
    // A UTF-16 unit is one to three bytes of UTF-8: the piece is about the size asked.
    while (next_ < layout_.Nodes.size() && part.size() < std::max<size_t>(bytes, 1))
      tree_->AppendUnicodeRow(layout_, layout_.Nodes[next_++], u'\t', part);
    if (part.empty()) return false;
    out += Utf16ToUtf8(part);
    return true;
  }

 private:
  // Nodes listed in one step: a few milliseconds of walking.
  static constexpr size_t kListStep = 32 * 1024;

  // Lists the next nodes; true once all are. The node to list next is kept
  // between steps only while no node went (it could be the one that went).
  bool ListStep() {
    size_t wanted = tree_->ExportCount(source_);
    if (!begun_ || tree_->NodesForgotten() != forgotten_ || wanted != wanted_) {
      begun_ = true;
      forgotten_ = tree_->NodesForgotten();
      wanted_ = wanted;
      list_ = ExportLayout();
      pending_ = tree_->ExportFirst(source_);
    }
    for (size_t i = 0; pending_ && i < kListStep; ++i) {
      list_.Nodes.push_back(pending_);
      list_.MaxLevel = std::max<int>(list_.MaxLevel, int(tree_->GetNodeLevel(pending_)));
      pending_ = list_.Nodes.size() < wanted_ ? tree_->ExportNext(source_, pending_) : nullptr;
    }
    return !pending_;
  }

  // Only the nodes of a list made again count: the columns and indentation
  // stay those of the text made so far.
  void Resume() {
    layout_.Nodes = std::move(list_.Nodes);
    auto at = resume_ ? std::find(layout_.Nodes.begin(), layout_.Nodes.end(), resume_) : layout_.Nodes.end();
    next_ = at != layout_.Nodes.end() ? size_t(at - layout_.Nodes.begin()) + 1
                                      : std::min(next_, layout_.Nodes.size());
  }

  TCustomDataStringTree* tree_;
  ComPtr<TDTDataObject> object_;
  TDTTextSource source_;
  ExportLayout layout_;                             // of the text made
  ExportLayout list_;                               // the nodes being listed
  PDataNode pending_ = nullptr, resume_ = nullptr;  // the next node to list; the last row made
  size_t wanted_ = 0, next_ = 0;
  uint64_t forgotten_ = 0;
  bool listing_ = true, begun_ = false, made_ = false;
};

std::unique_ptr<TextReader> TCustomDataStringTree::ReadTextInPieces(TDTDataObject* Object) {
  // What the application renders itself is rendered whole, by it.
  if (OnRenderOLEData || !Object || Object->Owner() != this) return nullptr;
  return std::make_unique<UnicodeTextReader>(this, Object);
}

// Runs the painting event for a cell on the export canvas; true when it
// changed the font (the canvas then holds that font).
bool TCustomDataStringTree::ExportCellFont(TCanvas& Canvas, PDataNode Node, TColumnIndex Column) {
  if (!OnPaintText) return false;
  Canvas.Font()->Assign(Font());
  FontLook before(Canvas.Font());
  DoPaintText(Node, &Canvas, Column, ttNormal);
  return !(FontLook(Canvas.Font()) == before);
}

namespace {

void AppendStyle(std::string& out, TFont* f, const char* name) {
  if (name) {
    out += ".";
    out += name;
    out += "{font:";
  } else {
    out += " style=\"{font:";
  }
  if (f->Style().Contains(fsUnderline)) out += " underline";
  if (f->Style().Contains(fsItalic)) out += " italic";
  if (f->Style().Contains(fsBold)) out += " bold";
  out += ' ';
  out += Decimal(f->Size());
  out += "pt \"";
  AppendEscaped(out, f->Name());
  out += "\";color:" + HexColor(f->Color()) + ";}";
  if (!name) out += "\"";
}

const char* AlignAttribute(TAlignment a) {
  return a == taRightJustify ? " align=right" : a == taCenter ? " align=center" : " align=left";
}

}  // namespace

std::string TCustomDataStringTree::RenderHTML(TDTTextSource Source, const std::u16string& Caption) {
  ExportLayout L = PrepareExport(Source);
  std::string out;
  out.reserve(1024 + L.Nodes.size() * 80 * std::max<size_t>(1, L.Columns.size()));
  std::string padding = "padding-left:" + Decimal(Margin()) + "px;padding-right:" + Decimal(Margin()) + "px;";
  std::string indentWidth = Decimal(Indent());
  std::string attributes = " ";
  if (!Caption.empty()) {
    attributes += "caption=\"";
    AppendEscaped(attributes, WideToUTF8(Caption));
    attributes += "\"";
  }
  if (BorderStyle() != bsNone) attributes += " border=\"" + Decimal(BorderWidth() + 1) + "\" frame=box";

  out += "<style type=\"text/css\">\r\n";
  AppendStyle(out, Font(), "default");
  out += "\r\n";
  AppendStyle(out, header_->Font(), "header");
  out += "\r\n";
  std::string lineKind = LineStyle() == lsSolid ? "solid;" : "dotted;";
  auto paint = TreeOptions()->PaintOptions();
  if (paint.Contains(toShowHorzGridLines))
    out +=
        ".noborder{border-style:" + lineKind + " border-bottom:1;border-left:0;border-right:0; border-top:0;";
  else
    out += ".noborder{border-style:none;";
  out += padding + "}\r\n";
  out += ".normalborder {border-top:none; border-left:none; ";
  out +=
      paint.Contains(toShowVertGridLines) ? "border-right:1 " + lineKind : std::string("border-right:none;");
  out += paint.Contains(toShowHorzGridLines) ? "border-bottom:1 " + lineKind
                                             : std::string("border-bottom:none;");
  out += padding + "}</style>\r\n";
  out += "<table class=\"default\" bgcolor=" + HexColor(Color()) + attributes +
         " cellspacing=\"0\" cellpadding=" + Decimal(Margin()) + ">\r\n";

  if (!L.Columns.empty()) {
    out += "<tr class=\"header\" style=\"" + padding + "\">\r\n";
    for (TDataTreeColumn* col : L.Columns) {
      out += "<th height=\"" + Decimal(header_->Height()) + "px\"";
      if (col->BiDiMode() != bdLeftToRight) out += " dir=\"rtl\"";
      out += AlignAttribute(Mirrored(col->Alignment(), col->BiDiMode()));
      if (col->Index() == L.Main && L.MaxLevel > 0) out += " colspan=\"" + Decimal(L.MaxLevel + 1) + "\"";
      out += " bgcolor=" + HexColor(clBtnFace) + " width=\"" + Decimal(col->Width()) + "px\">";
      AppendEscaped(out, WideToUTF8(col->Text()));
      out += "</th>";
    }
    out += "</tr>\r\n";
  }

  TCanvas canvas;
  HDC dc = CreateCompatibleDC(nullptr);
  canvas.SetHandle(dc);
  std::vector<TDataTreeColumn*> cells = L.Columns;
  if (cells.empty()) cells.push_back(nullptr);
  for (PDataNode n : L.Nodes) {
    int level = int(GetNodeLevel(n));
    std::string height = Decimal(NodeHeight(n));
    out += " <tr class=\"default\">\r\n";
    for (TDataTreeColumn* col : cells) {
      TColumnIndex c = col ? col->Index() : NoColumn;
      bool changed = ExportCellFont(canvas, n, c);
      bool parentColor = !col || col->Options().Contains(coParentColor);
      if (c == L.Main || !col) {
        for (int i = 0; i < level; ++i) {
          if (parentColor)
            out += i == 0 ? " <td height=\"" + height + "px\">&nbsp;</td>" : std::string(" <td>&nbsp;</td>");
          else
            out += "<td class=\"noborder\" width=\"" + indentWidth + "\" height=\"" + height +
                   "px\" bgcolor=" + HexColor(col->Color()) + ">&nbsp;</td>";
        }
      }
      if (changed) {
        out += " <td class=\"normalborder\" ";
        AppendStyle(out, canvas.Font(), nullptr);
        out += " height=\"" + height;
      } else {
        out += " <td class=\"normalborder\"  height=\"" + height;
      }
      out += "px\"";
      TBiDiMode bidi = col ? col->BiDiMode() : bdLeftToRight;
      if (bidi != bdLeftToRight) out += " dir=\"rtl\"";
      out += AlignAttribute(Mirrored(col ? col->Alignment() : Alignment(), bidi));
      if ((c == L.Main || !col) && L.MaxLevel > 0 && level < L.MaxLevel)
        out += " colspan=\"" + Decimal(L.MaxLevel - level + 1) + "\"";
      if (col && !parentColor) out += " bgcolor=" + HexColor(col->Color());
      out += ">";
      AppendEscaped(out, WideToUTF8(GetText(n, c)));
      out += "</td>";
    }
    out += " </tr>\r\n";
  }
  canvas.SetHandle(nullptr);
  DeleteDC(dc);
  out += "</table>";
  return out;
}

void TCustomDataStringTree::WrapHTMLDescription(std::string& HTML) {
  static const char kPrefix1[] = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">";
  static const char kPrefix2[] =
      "<html><head><META http-equiv=Content-Type content=\"text/html; "
      "charset=utf-8\"></head><body><!--StartFragment-->";
  static const char kSuffix[] = "<!--EndFragment--></body></html>";
  size_t L = HTML.size();
  char head[128];
  std::snprintf(
      head, sizeof head,
      "Version:1.0\r\nStartHTML:%.8d\r\nEndHTML:%.8zu\r\nStartFragment:%.8d\r\nEndFragment:%.8zu\r\n", 97,
      L + 301, 269, L + 269);
  HTML = std::string(head) + kPrefix1 + kPrefix2 + HTML + kSuffix;
}

namespace {

// The RTF text run with its font and colour tables.
struct RtfWriter {
  std::string body;
  std::vector<std::string> fonts;
  std::vector<uint32_t> colors;
  int font = -1, color = -1, size = -1;

  static int IndexOf(auto& list, const auto& v) {
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == v) return int(i);
    return -1;
  }
  void Run(const std::u16string& text, TFont* f) {
    if (text.empty()) return;
    auto st = f->Style();
    if (st.Contains(fsUnderline)) body += "\\ul";
    if (st.Contains(fsItalic)) body += "\\i";
    if (st.Contains(fsBold)) body += "\\b";
    int fi = IndexOf(fonts, f->Name());
    if (fi < 0) {
      fonts.push_back(f->Name());
      fi = int(fonts.size()) - 1;
    }
    if (fi != font) {
      font = fi;
      body += "\\f" + Decimal(fi);
    }
    uint32_t rgb = uint32_t(ColorToRGB(f->Color()));
    int ci = IndexOf(colors, rgb);
    if (ci < 0) {
      colors.push_back(rgb);
      ci = int(colors.size()) - 1;
    }
    if (ci != color) {
      color = ci;
      body += "\\cf" + Decimal(ci + 1);
    }
    if (f->Size() != size) {
      size = f->Size();
      body += "\\fs" + Decimal(size * 2);
    }
    body += ' ';
    for (char16_t u : text) {
      // RTF reads \u as a signed 16-bit number.
      int v = u > 32767 ? int(u) - 65536 : int(u);
      body += "\\u" + Decimal(v) + "\\'3f";
    }
    if (st.Contains(fsUnderline)) body += "\\ul0";
    if (st.Contains(fsItalic)) body += "\\i0";
    if (st.Contains(fsBold)) body += "\\b0";
  }
};

}  // namespace

std::string TCustomDataStringTree::RenderRTF(TDTTextSource Source) {
  ExportLayout L = PrepareExport(Source);
  RtfWriter w;
  w.body.reserve(256 + L.Nodes.size() * 64 * std::max<size_t>(1, L.Columns.size()));
  constexpr int kPixelsPerInch = 96;
  w.body += "\\uc1\\trowd\\trgaph70";
  if (!L.Columns.empty()) {
    int j = 0;
    for (TDataTreeColumn* col : L.Columns) {
      j += col->Width();
      w.body += "\\cellx" + Decimal(std::lround(j * 1440.0 / kPixelsPerInch));
    }
    w.body += "\\pard\\intbl";
    for (TDataTreeColumn* col : L.Columns) {
      TAlignment a = Mirrored(col->Alignment(), col->BiDiMode());
      if (a == taRightJustify) w.body += "\\qr";
      if (a == taCenter) w.body += "\\qc";
      w.Run(col->Text(), header_->Font());
      w.body += "\\cell";
    }
    w.body += "\\row";
  } else {
    w.body += "\\cellx" + Decimal(std::lround(ClientWidth() * 1440.0 / kPixelsPerInch));
  }
  TCanvas canvas;
  HDC dc = CreateCompatibleDC(nullptr);
  canvas.SetHandle(dc);
  std::vector<TDataTreeColumn*> cells = L.Columns;
  if (cells.empty()) cells.push_back(nullptr);
  int tabLevel = 0;
  std::string tabs;
  for (PDataNode n : L.Nodes) {
    int level = int(GetNodeLevel(n));
    for (TDataTreeColumn* col : cells) {
      TColumnIndex c = col ? col->Index() : NoColumn;
      w.body += "\\pard\\intbl";
      TAlignment a = col ? Mirrored(col->Alignment(), col->BiDiMode()) : Alignment();
      if (a == taRightJustify) w.body += "\\qr";
      if (a == taCenter) w.body += "\\qc";
      canvas.Font()->Assign(Font());
      DoPaintText(n, &canvas, c, ttNormal);
      if (c == L.Main || !col) {
        if (level != tabLevel) {
          tabLevel = level;
          tabs.clear();
          for (int i = 0; i < level; ++i) tabs += "\\tab";
        }
        if (level > 0) w.body += tabs + " ";
      }
      w.Run(GetText(n, c), canvas.Font());
      w.body += "\\cell";
    }
    w.body += "\\row";
  }
  canvas.SetHandle(nullptr);
  DeleteDC(dc);
  w.body += "\\pard\\par";
  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl";
  for (size_t i = 0; i < w.fonts.size(); ++i) out += "{\\f" + Decimal(int64_t(i)) + " " + w.fonts[i] + ";}";
  out += "}{\\colortbl;";
  for (uint32_t rgb : w.colors)
    out += "\\red" + Decimal(rgb & 0xFF) + "\\green" + Decimal((rgb >> 8) & 0xFF) + "\\blue" +
           Decimal((rgb >> 16) & 0xFF) + ";";
  out += "}" + w.body + "}";
  return out;
}

}  // namespace qv
