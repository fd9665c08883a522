// The column collection: adding and deleting columns with the index fix-ups,
// positions and left edges in screen order, navigation and hit testing.
#include <algorithm>

#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeHeader.h"

namespace qv {

TDataTreeColumns::TDataTreeColumns(TDTHeader* AOwner) : header_(AOwner) {}

TDataTreeColumns::~TDataTreeColumns() {
  clearing_ = true;
  items_.clear();
}

TDataTreeColumn* TDataTreeColumns::Add() {
  std::unique_ptr<TDataTreeColumn> col(header_->Treeview()->GetColumnClass()(this));
  col->index_ = Count();
  TDataTreeColumn* c = col.get();
  TBaseDataTree* tree = header_->Treeview();
  c->color_ = tree->Color();
  items_.push_back(std::move(col));
  positionToIndex_.push_back(c->index_);
  c->position_ = uint32_t(Count() - 1);
  Update(nullptr);
  return c;
}

void TDataTreeColumns::FixIndexesAfterDelete(int Index) {
  auto fix = [Index](TColumnIndex& i) {
    if (i == Index)
      i = -1;
    else if (i > Index)
      --i;
  };
  fix(HoverIndex);
  fix(DownIndex);
  fix(TrackIndex);
  fix(ClickIndex);
  fix(header_->autoSizeIndex_);
  fix(header_->sortColumn_);
}

void TDataTreeColumns::Delete(int Index) {
  if (!IsValidColumn(Index)) return;
  TBaseDataTree* tree = header_->Treeview();
  if (!clearing_) {
    auto it = std::find(positionToIndex_.begin(), positionToIndex_.end(), Index);
    if (it != positionToIndex_.end()) positionToIndex_.erase(it);
    for (auto& p : positionToIndex_)
      if (p > Index) --p;
    FixIndexesAfterDelete(Index);
  }
  items_.erase(items_.begin() + Index);
  for (int i = Index; i < Count(); ++i) items_[size_t(i)]->index_ = i;
  // The main column stays on a column that exists: a later one moves down
  // with its column, a deleted one falls back to the first.
  TColumnIndex& main = header_->mainColumn_;
  if (main > Index)
    --main;
  else if (main == Index)
    main = 0;
  main = Count() == 0 ? -1 : std::clamp(main, 0, Count() - 1);
  if (tree->FocusedColumn() >= Count()) tree->focus_.SetColumn(Count() > 0 ? header_->mainColumn_ : -1);
  Update(nullptr);
}

void TDataTreeColumns::Clear() {
  clearing_ = true;
  HoverIndex = DownIndex = TrackIndex = ClickIndex = -1;
  if (!header_->Loading()) {
    header_->autoSizeIndex_ = -1;
    header_->mainColumn_ = -1;
    header_->sortColumn_ = -1;
  }
  items_.clear();
  positionToIndex_.clear();
  clearing_ = false;
  Update(nullptr);
}

void TDataTreeColumns::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Update(nullptr);
}

void TDataTreeColumns::Update(TDataTreeColumn* Item) {
  if (updateCount_ > 0) return;
  // Size the position array to the count, keeping it a permutation.
  if (int(positionToIndex_.size()) != Count()) {
    std::vector<int32_t> p;
    for (int32_t i : positionToIndex_)
      if (i < Count() && std::find(p.begin(), p.end(), i) == p.end()) p.push_back(i);
    for (int i = 0; i < Count(); ++i)
      if (std::find(p.begin(), p.end(), i) == p.end()) p.push_back(i);
    positionToIndex_ = std::move(p);
  }
  TBaseDataTree* tree = header_->Treeview();
  if (tree->IsLoading())
    NeedPositionsFix = true;
  else
    UpdatePositions();
  if (Count() > 0 && header_->mainColumn_ < 0) header_->mainColumn_ = 0;
  if (!tree->IsLoading() && !header_->Loading()) {
    if (header_->Options().Contains(hoAutoResize)) header_->AdjustAutoSize(-2);
    if (tree->HandleAllocated()) {
      if (!Item) tree->UpdateHorizontalScrollBar(false);
      header_->Invalidate(Item);
      if (!Item) tree->Invalidate();
    }
  }
}

void TDataTreeColumns::UpdatePositions(bool Force) {
  if (NeedPositionsFix || (!Force && updateCount_ > 0)) return;
  int left = 0;
  for (size_t p = 0; p < positionToIndex_.size(); ++p) {
    TDataTreeColumn* c = Items(positionToIndex_[p]);
    c->position_ = uint32_t(p);
    c->left_ = left;
    if (c->Visible()) left += c->width_;
  }
}

void TDataTreeColumns::FixPositions() {
  std::vector<int32_t> p(size_t(Count()), -1);
  std::vector<bool> taken(size_t(Count()), false);
  for (int i = 0; i < Count(); ++i) {
    uint32_t pos = Items(i)->position_;
    if (pos < p.size() && p[pos] < 0) {
      p[pos] = i;
      taken[size_t(i)] = true;
    }
  }
  // Columns whose stored position clashed fill the gaps in index order.
  for (int i = 0; i < Count(); ++i)
    if (!taken[size_t(i)]) *std::find(p.begin(), p.end(), -1) = i;
  positionToIndex_ = p;
  NeedPositionsFix = false;
  UpdatePositions(true);
}

void TDataTreeColumns::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDataTreeColumns*>(Source);
  if (!s) return TPersistent::Assign(Source);
  BeginUpdate();
  clearing_ = true;
  items_.clear();
  positionToIndex_.clear();
  clearing_ = false;
  for (int i = 0; i < s->Count(); ++i) {
    std::unique_ptr<TDataTreeColumn> col(header_->Treeview()->GetColumnClass()(this));
    col->index_ = i;
    items_.push_back(std::move(col));
  }
  positionToIndex_ = s->positionToIndex_;
  for (int i = 0; i < s->Count(); ++i) {
    TDataTreeColumn* d = Items(i);
    const TDataTreeColumn* c = s->Items(i);
    d->alignment_ = c->alignment_, d->bidi_ = c->bidi_, d->color_ = c->color_, d->hint_ = c->hint_;
    d->imageIndex_ = c->imageIndex_, d->layout_ = c->layout_, d->margin_ = c->margin_,
    d->maxWidth_ = c->maxWidth_;
    d->minWidth_ = c->minWidth_, d->options_ = c->options_, d->position_ = c->position_,
    d->spacing_ = c->spacing_;
    d->style_ = c->style_, d->Tag = c->Tag, d->text_ = c->text_, d->width_ = c->width_;
  }
  NeedPositionsFix = false;
  UpdatePositions(true);
  EndUpdate();
}

bool TDataTreeColumns::Equals(const TDataTreeColumns& o) const {
  if (Count() != o.Count() || positionToIndex_ != o.positionToIndex_) return false;
  for (int i = 0; i < Count(); ++i)
    if (!Items(i)->SameAs(*o.Items(i))) return false;
  return true;
}

TColumnIndex TDataTreeColumns::ColumnFromPosition(uint32_t P) const {
  return P < positionToIndex_.size() ? positionToIndex_[P] : -1;
}

TColumnIndex TDataTreeColumns::GetFirstVisibleColumn() const {
  for (int32_t i : positionToIndex_)
    if (Items(i)->Visible()) return i;
  return InvalidColumn;
}

TColumnIndex TDataTreeColumns::GetLastVisibleColumn() const {
  for (auto it = positionToIndex_.rbegin(); it != positionToIndex_.rend(); ++it)
    if (Items(*it)->Visible()) return *it;
  return InvalidColumn;
}

TColumnIndex TDataTreeColumns::GetNextColumn(TColumnIndex Column) const {
  if (!IsValidColumn(Column)) return InvalidColumn;
  TColumnIndex r = ColumnFromPosition(Items(Column)->position_ + 1);
  return r < 0 ? InvalidColumn : r;
}

TColumnIndex TDataTreeColumns::GetPreviousColumn(TColumnIndex Column) const {
  if (!IsValidColumn(Column) || Items(Column)->position_ == 0) return InvalidColumn;
  return ColumnFromPosition(Items(Column)->position_ - 1);
}

TColumnIndex TDataTreeColumns::GetNextVisibleColumn(TColumnIndex Column) const {
  do Column = GetNextColumn(Column);
  while (Column >= 0 && !Items(Column)->Visible());
  return Column;
}

TColumnIndex TDataTreeColumns::GetPreviousVisibleColumn(TColumnIndex Column) const {
  do Column = GetPreviousColumn(Column);
  while (Column >= 0 && !Items(Column)->Visible());
  return Column;
}

std::vector<TDataTreeColumn*> TDataTreeColumns::GetVisibleColumns() const {
  std::vector<TDataTreeColumn*> r;
  for (int32_t i : positionToIndex_)
    if (Items(i)->Visible()) r.push_back(Items(i));
  return r;
}

int TDataTreeColumns::GetVisibleFixedWidth() const {
  int w = 0;
  for (auto& c : items_)
    if (c->Visible() && c->options_.Contains(coFixed)) w += c->width_;
  return w;
}

int TDataTreeColumns::TotalWidth() const {
  TColumnIndex last = GetLastVisibleColumn();
  return last < 0 ? 0 : Items(last)->left_ + Items(last)->width_;
}

void TDataTreeColumns::GetColumnBounds(TColumnIndex Column, int& Left, int& Right) const {
  if (Column < 0 || !IsValidColumn(Column)) {
    Left = 0;
    Right = header_->Treeview()->GetColumnClientWidth();
    return;
  }
  Left = Items(Column)->DisplayLeft();
  Right = Left + Items(Column)->width_;
}

TColumnIndex TDataTreeColumns::GetColumnAndBounds(POINT P, int& Left, int& Right, bool Relative) const {
  TBaseDataTree* tree = header_->Treeview();
  if (P.x < 0 || P.y < 0 || P.y > tree->Height()) return InvalidColumn;
  int sum = 0;
  if (Relative && P.x >= GetVisibleFixedWidth()) sum = tree->OffsetX();
  for (int32_t i : positionToIndex_) {
    TDataTreeColumn* c = Items(i);
    if (!c->Visible()) continue;
    int left = c->options_.Contains(coFixed) ? c->left_ : sum;
    if (!c->options_.Contains(coFixed) || !Relative) left = sum;
    sum += c->width_;
    if (sum > P.x) {
      Left = left;
      Right = sum;
      return i;
    }
  }
  return InvalidColumn;
}

TColumnIndex TDataTreeColumns::HitTestColumn(POINT P, bool Relative) const {
  int l, r;
  return GetColumnAndBounds(P, l, r, Relative);
}

}  // namespace qv
