// One column: its setters with their clamps, position moves in the
// position-to-index array, and the index fix-ups when it is deleted.
#include <algorithm>

#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeHeader.h"

namespace qv {

uint16_t ToWord(TDTColumnOptions o) {
  uint16_t w = 0;
  for (int i = 0; i < 16; ++i)
    if (o.Contains(TDTColumnOption(i))) w |= uint16_t(1u << i);
  return w;
}

TDTColumnOptions ColumnOptionsFromWord(uint32_t w) {
  TDTColumnOptions o;
  for (int i = 0; i <= coFixed; ++i)
    if (w & (1u << i)) o.Include(TDTColumnOption(i));
  return o;
}

uint16_t ToWord(TDTHeaderOptions o) {
  uint16_t w = 0;
  for (int i = 0; i < 16; ++i)
    if (o.Contains(TDTHeaderOption(i))) w |= uint16_t(1u << i);
  return w;
}

TDTHeaderOptions HeaderOptionsFromWord(uint32_t w) {
  TDTHeaderOptions o;
  for (int i = 0; i <= hoAutoSpring; ++i)
    if (w & (1u << i)) o.Include(TDTHeaderOption(i));
  return o;
}

TDataTreeColumn::TDataTreeColumn(TDataTreeColumns* Collection) : owner_(Collection) {}

TDataTreeColumn::~TDataTreeColumn() = default;

void TDataTreeColumn::Changed(bool AllItems) {
  owner_->Update(AllItems ? nullptr : this);
}

void TDataTreeColumn::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Changed(false);
  owner_->Header()->Treeview()->Invalidate();
}

void TDataTreeColumn::SetBiDiMode(TBiDiMode Value) {
  if (bidi_ == Value) return;
  bidi_ = Value;
  options_.Exclude(coParentBidiMode);
  Changed(false);
  owner_->Header()->Treeview()->Invalidate();
}

void TDataTreeColumn::SetColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  options_.Exclude(coParentColor);
  Changed(false);
  owner_->Header()->Treeview()->Invalidate();
}

void TDataTreeColumn::SetImageIndex(int Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  Changed(false);
}

void TDataTreeColumn::SetLayout(TDTHeaderColumnLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Changed(false);
}

void TDataTreeColumn::SetMargin(int Value) {
  if (Value < 0) Value = 4;
  if (margin_ == Value) return;
  margin_ = Value;
  Changed(false);
}

void TDataTreeColumn::SetSpacing(int Value) {
  if (spacing_ == Value) return;
  spacing_ = Value;
  Changed(false);
}

void TDataTreeColumn::SetStyle(TDataTreeColumnStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Changed(false);
}

void TDataTreeColumn::SetText(const std::u16string& Value) {
  if (text_ == Value) return;
  text_ = Value;
  Changed(false);
}

void TDataTreeColumn::SetMinWidth(int Value) {
  Value = std::clamp(Value, 0, maxWidth_);
  if (minWidth_ == Value) return;
  minWidth_ = Value;
  SetWidth(width_);
  Changed(false);
}

void TDataTreeColumn::SetMaxWidth(int Value) {
  // The platform has no 16-bit coordinate limit, so values above 10000 stay.
  Value = std::max(Value, minWidth_);
  if (maxWidth_ == Value) return;
  maxWidth_ = Value;
  SetWidth(width_);
  Changed(false);
}

void TDataTreeColumn::SetWidth(int Value) {
  Value = std::clamp(Value, minWidth_, std::max(minWidth_, maxWidth_));
  if (width_ == Value) return;
  TDTHeader* header = owner_->Header();
  lastWidth_ = width_;
  // The auto-size column's width is computed, not set.
  if (!(header->Options().Contains(hoAutoResize) && index_ == header->AutoSizeIndex())) width_ = Value;
  owner_->UpdatePositions();
  TBaseDataTree* tree = header->Treeview();
  if (!tree->IsLoading() && owner_->UpdateCount() == 0) {
    if (header->Options().Contains(hoAutoResize)) header->AdjustAutoSize(index_);
    tree->DoColumnResize(index_);
  }
}

void TDataTreeColumn::SetOptions(TDTColumnOptions Value) {
  if (options_ == Value) return;
  TDTColumnOptions old = options_;
  options_ = Value;
  if (Value.Contains(coAutoSpring) && !old.Contains(coAutoSpring)) springRest_ = 0;
  TBaseDataTree* tree = owner_->Header()->Treeview();
  if (Value.Contains(coParentColor) && !old.Contains(coParentColor)) color_ = tree->Color();
  if (Value.Contains(coParentBidiMode) && !old.Contains(coParentBidiMode)) bidi_ = tree->BiDiMode();
  Changed(false);
  bool visibleChanged = old.Contains(coVisible) != Value.Contains(coVisible);
  if (!tree->IsLoading() &&
      (visibleChanged || (Value.Contains(coParentColor) && !old.Contains(coParentColor))) &&
      tree->UpdateCount() == 0 && tree->HandleAllocated()) {
    owner_->UpdatePositions();
    tree->Invalidate();
    if (visibleChanged) tree->UpdateHorizontalScrollBar(false);
  }
}

void TDataTreeColumn::SetPosition(uint32_t Value) {
  TBaseDataTree* tree = owner_->Header()->Treeview();
  if (tree->IsLoading()) {
    position_ = Value;
    return;
  }
  if (Value >= uint32_t(owner_->Count())) Value = uint32_t(owner_->Count() - 1);
  if (Value != position_) {
    auto& p2i = owner_->positionToIndex_;
    p2i.resize(size_t(owner_->Count()));
    auto it = std::find(p2i.begin(), p2i.end(), index_);
    if (it != p2i.end()) p2i.erase(it);
    p2i.insert(p2i.begin() + Value, index_);
    position_ = Value;
    owner_->UpdatePositions(true);
    Changed(false);
    if (owner_->UpdateCount() == 0 && tree->HandleAllocated()) tree->Invalidate();
  }
  // A moved column takes its neighbour's fixed state.
  TColumnIndex neighbour = (!options_.Contains(coFixed) || position_ == 0)
                               ? owner_->ColumnFromPosition(position_ + 1)
                               : owner_->ColumnFromPosition(position_ - 1);
  if (neighbour >= 0) {
    if (owner_->Items(neighbour)->options_.Contains(coFixed))
      options_.Include(coFixed);
    else
      options_.Exclude(coFixed);
  }
}

void TDataTreeColumn::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDataTreeColumn*>(Source);
  if (!s) return TPersistent::Assign(Source);
  TDTColumnOptions opts = s->options_;
  options_ = {};
  bidi_ = s->bidi_;
  imageIndex_ = s->imageIndex_;
  layout_ = s->layout_;
  margin_ = s->margin_;
  maxWidth_ = s->maxWidth_;
  minWidth_ = s->minWidth_;
  SetPosition(s->position_);
  spacing_ = s->spacing_;
  style_ = s->style_;
  text_ = s->text_;
  hint_ = s->hint_;
  SetWidth(s->width_);
  alignment_ = s->alignment_;
  color_ = s->color_;
  Tag = s->Tag;
  options_ = opts;
  Changed(false);
}

bool TDataTreeColumn::SameAs(const TDataTreeColumn& o) const {
  return bidi_ == o.bidi_ && imageIndex_ == o.imageIndex_ && layout_ == o.layout_ && margin_ == o.margin_ &&
         maxWidth_ == o.maxWidth_ && minWidth_ == o.minWidth_ && position_ == o.position_ &&
         spacing_ == o.spacing_ && style_ == o.style_ && text_ == o.text_ && hint_ == o.hint_ &&
         width_ == o.width_ && alignment_ == o.alignment_ && color_ == o.color_ && Tag == o.Tag &&
         options_ == o.options_;
}

std::string TDataTreeColumn::GetDisplayName() const {
  std::string narrow;
  for (char16_t ch : text_) {
    if (ch > 255) return "Column " + std::to_string(index_);
    narrow += char(ch);
  }
  return narrow;
}

int TDataTreeColumn::DisplayLeft() const {
  int x = left_;
  if (!(options_.Contains(coVisible) && options_.Contains(coFixed)))
    x += owner_->Header()->Treeview()->OffsetX();
  return x;
}

RECT TDataTreeColumn::GetHeaderRect() const {
  RECT r = owner_->Header()->Treeview()->HeaderRect();
  r.left += left_;
  r.right = r.left + width_;
  return r;
}

void TDataTreeColumn::RestoreLastWidth() {
  owner_->Header()->AnimatedResize(index_, lastWidth_);
}

}  // namespace qv
