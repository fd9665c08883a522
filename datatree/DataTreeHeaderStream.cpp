// The header's binary stream. Reading parses the whole record into a staging
// copy and checks every count, length and enumeration against the bytes left
// and the legal ranges before anything is applied, so a damaged stream raises
// EDataTreeError and leaves the header as it was.
#include <cstring>

#include "classlib/graphics/Font.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeHeader.h"

namespace qv {

namespace {

constexpr int kHeaderStreamVersion = 3;
constexpr int kStreamErrorCode = 2003;

class Writer {
 public:
  explicit Writer(TStream& s) : s_(s) {}
  void Int(int32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    s_.WriteBuffer(b, 4);
  }
  void Wide(const std::u16string& t) {
    Int(int32_t(t.size()));
    for (char16_t c : t) {
      uint8_t b[2] = {uint8_t(c), uint8_t(c >> 8)};
      s_.WriteBuffer(b, 2);
    }
  }
  void Bytes(const std::string& t) {
    Int(int32_t(t.size()));
    if (!t.empty()) s_.WriteBuffer(t.data(), int64_t(t.size()));
  }

 private:
  TStream& s_;
};

[[noreturn]] void Damaged() {
  throw EDataTreeError("Header stream is damaged.", kStreamErrorCode);
}

class Reader {
 public:
  Reader(const std::vector<uint8_t>& data) : d_(data) {}
  int32_t Int() {
    Need(4);
    uint32_t v = uint32_t(d_[p_]) | uint32_t(d_[p_ + 1]) << 8 | uint32_t(d_[p_ + 2]) << 16 |
                 uint32_t(d_[p_ + 3]) << 24;
    p_ += 4;
    return int32_t(v);
  }
  int32_t Range(int32_t lo, int32_t hi) {
    int32_t v = Int();
    if (v < lo || v > hi) Damaged();
    return v;
  }
  std::u16string Wide() {
    int32_t n = Int();
    if (n < 0 || size_t(n) > (d_.size() - p_) / 2) Damaged();
    std::u16string t(size_t(n), u'\0');
    for (auto& c : t) {
      c = char16_t(d_[p_] | d_[p_ + 1] << 8);
      p_ += 2;
    }
    return t;
  }
  std::string Bytes() {
    int32_t n = Int();
    if (n < 0 || size_t(n) > d_.size() - p_) Damaged();
    std::string t(reinterpret_cast<const char*>(d_.data() + p_), size_t(n));
    p_ += size_t(n);
    return t;
  }
  size_t Left() const { return d_.size() - p_; }
  size_t Pos() const { return p_; }

 private:
  void Need(size_t n) {
    if (d_.size() - p_ < n) Damaged();
  }
  const std::vector<uint8_t>& d_;
  size_t p_ = 0;
};

struct StagedColumn {
  std::u16string text, hint;
  int32_t width, minWidth, maxWidth, style, imageIndex, layout, margin, spacing, bidi, options,
      tag = 0, alignment = 0, color = clWindow;
};

uint32_t ConvertColumnOptions(uint32_t o, int version) {
  if (version >= 3) return o;
  if (version == 2) return o & ~0xFF00u;
  // Older streams lacked coParentBidiMode: bits 4-7 move up by one.
  return (o & 0x0Fu) | ((o & 0xF0u) << 1) | (o & ~0x7FFFu);
}

}  // namespace

void TDTHeader::SaveToStream(TStream& Stream) {
  Writer w(Stream);
  w.Int(-1);
  w.Int(kHeaderStreamVersion);
  w.Int(columns_->Count());
  if (columns_->Count() > 0) {
    for (int i = 0; i < columns_->Count(); ++i) {
      TDataTreeColumn* c = columns_->Items(i);
      w.Wide(c->Text());
      w.Wide(c->Hint());
      w.Int(c->Width());
      w.Int(c->MinWidth());
      w.Int(c->MaxWidth());
      w.Int(c->Style());
      w.Int(c->ImageIndex());
      w.Int(c->Layout());
      w.Int(c->Margin());
      w.Int(c->Spacing());
      w.Int(c->BiDiMode());
      w.Int(ToWord(c->Options()));
      w.Int(c->Tag);
      w.Int(c->Alignment());
      w.Int(c->Color());
    }
    for (int32_t p : columns_->PositionToIndex()) w.Int(p);
  }
  w.Int(autoSizeIndex_);
  w.Int(background_);
  w.Int(height_);
  w.Int(ToWord(options_));
  w.Int(style_);
  w.Int(font_->Color());
  w.Int(font_->Height());
  w.Bytes(font_->Name());
  w.Int(int32_t(font_->Pitch()) & 127);
  uint8_t style = 0;
  for (int i = 0; i < 8; ++i)
    if (font_->Style().Contains(TFontStyle(i))) style |= uint8_t(1u << i);
  w.Int(style);
  w.Int(mainColumn_);
  w.Int(sortColumn_);
  w.Int(sortDirection_);
}

void TDTHeader::LoadFromStream(TStream& Stream) {
  // Everything from here to the end of the stream is the candidate record.
  int64_t start = Stream.Position();
  int64_t size = Stream.Size() - start;
  if (size < 4) Damaged();
  std::vector<uint8_t> data(static_cast<size_t>(size));
  Stream.ReadBuffer(data.data(), size);
  Reader r(data);

  int version = -1;
  int32_t first = r.Int();
  int32_t count;
  if (first >= 0) {
    count = first;  // no marker: the oldest layout
  } else {
    version = r.Int();
    if (version < 0 || version > kHeaderStreamVersion) Damaged();
    count = r.Int();
  }
  // A column record needs at least 12 values of 4 bytes.
  if (count < 0 || size_t(count) > r.Left() / 48) Damaged();
  std::vector<StagedColumn> cols(static_cast<size_t>(count));
  for (auto& c : cols) {
    c.text = r.Wide();
    c.hint = r.Wide();
    c.width = r.Int();
    c.minWidth = r.Range(0, INT32_MAX);
    c.maxWidth = r.Range(0, INT32_MAX);
    c.style = r.Range(vsText, vsOwnerDraw);
    c.imageIndex = r.Int();
    c.layout = r.Range(blGlyphLeft, blGlyphBottom);
    c.margin = r.Int();
    c.spacing = r.Int();
    c.bidi = r.Range(bdLeftToRight, bdRightToLeftReadingOnly);
    c.options = int32_t(ConvertColumnOptions(uint32_t(r.Int()), version));
    if (version > 0) {
      c.tag = r.Int();
      c.alignment = r.Range(taLeftJustify, taCenter);
    }
    if (version > 1) c.color = r.Int();
  }
  std::vector<int32_t> positions(static_cast<size_t>(count));
  std::vector<bool> seen(static_cast<size_t>(count), false);
  for (auto& p : positions) {
    p = r.Range(0, count - 1);
    if (seen[size_t(p)]) Damaged();  // the positions must be a permutation
    seen[size_t(p)] = true;
  }
  int32_t autoSize = r.Range(-1, count - 1);
  int32_t background = r.Int();
  int32_t height = r.Range(0, 10000);
  uint32_t options = uint32_t(r.Int()) & 0xFFFF;
  int32_t style = r.Range(hsThickButtons, hsXPStyle);
  int32_t fontColor = r.Int();
  int32_t fontHeight = r.Range(-1000, 1000);
  std::string fontName = r.Bytes();
  if (fontName.size() > 255) Damaged();
  int32_t pitch = r.Int() & 127;
  if (pitch > 2) Damaged();
  int32_t fontStyle = r.Range(0, 255);
  int32_t mainColumn = mainColumn_, sortColumn = sortColumn_, sortDirection = sortDirection_;
  if (version > 0) {
    mainColumn = r.Range(-1, count - 1);
    sortColumn = r.Range(-1, count - 1);
    sortDirection = r.Range(sdAscending, sdDescending);
  }
  // The record is whole: leave the stream right behind it, then apply.
  Stream.SetPosition(start + int64_t(r.Pos()));

  States |= hsLoading;
  options_ = {};
  columns_->BeginUpdate();
  columns_->Clear();
  for (int i = 0; i < count; ++i) {
    const StagedColumn& s = cols[size_t(i)];
    TDataTreeColumn* c = columns_->Add();
    c->text_ = s.text;
    c->hint_ = s.hint;
    c->minWidth_ = std::min(s.minWidth, s.maxWidth);
    c->maxWidth_ = s.maxWidth;
    c->width_ = std::clamp(s.width, c->minWidth_, c->maxWidth_);
    c->style_ = TDataTreeColumnStyle(s.style);
    c->imageIndex_ = s.imageIndex;
    c->layout_ = TDTHeaderColumnLayout(s.layout);
    c->margin_ = s.margin < 0 ? 4 : s.margin;
    c->spacing_ = s.spacing;
    c->bidi_ = TBiDiMode(s.bidi);
    c->options_ = ColumnOptionsFromWord(uint32_t(s.options));
    c->Tag = s.tag;
    c->alignment_ = TAlignment(s.alignment);
    c->color_ = s.color;
  }
  columns_->positionToIndex_ = positions;
  columns_->UpdatePositions(true);
  autoSizeIndex_ = autoSize;
  background_ = background;
  height_ = height;
  options_ = HeaderOptionsFromWord(options);
  style_ = TDTHeaderStyle(style);
  font_->SetColor(fontColor);
  font_->SetHeight(fontHeight);
  if (!fontName.empty()) font_->SetName(fontName);
  font_->SetPitch(TFontPitch(pitch));
  TFontStyles fs;
  for (int i = 0; i < 4; ++i)
    if (fontStyle & (1 << i)) fs.Include(TFontStyle(i));
  font_->SetStyle(fs);
  mainColumn_ = count > 0 ? std::clamp(mainColumn, 0, count - 1) : -1;
  sortColumn_ = sortColumn;
  sortDirection_ = TSortDirection(sortDirection);
  columns_->EndUpdate();
  States &= uint8_t(~hsLoading);
  RecalculateHeader();
  if (owner_->OnColumnResize) owner_->OnColumnResize(this, -1);
}

}  // namespace qv
