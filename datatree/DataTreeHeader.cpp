// The header: its properties and their effects on the tree, auto size,
// spring resize, animated resize and fitting columns to their content.
#include "datatree/DataTreeHeader.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "classlib/graphics/Font.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/BaseDataTree.h"
#include "datatree/DataTreeDragDrop.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv {

TDTHeader::TDTHeader(TBaseDataTree* AOwner)
    : owner_(AOwner), columns_(std::make_unique<TDataTreeColumns>(this)), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) { Invalidate(nullptr); };
}

TDTHeader::~TDTHeader() {
  font_->OnChange = nullptr;
  columns_.reset();
}

TColumnIndex TDTHeader::MainColumn() const {
  return columns_->Count() > 0 ? mainColumn_ : -1;
}

void TDTHeader::SetAutoSizeIndex(TColumnIndex Value) {
  if (autoSizeIndex_ == Value) return;
  autoSizeIndex_ = Value;
  if (options_.Contains(hoAutoResize)) AdjustAutoSize(-2);
}

void TDTHeader::SetBackground(TColor Value) {
  if (background_ == Value) return;
  background_ = Value;
  Invalidate(nullptr);
}

void TDTHeader::SetStyle(TDTHeaderStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  if (!owner_->IsLoading()) Invalidate(nullptr);
}

void TDTHeader::SetHeight(int Value) {
  if (height_ == Value) return;
  height_ = Value;
  if (!owner_->IsLoading()) RecalculateHeader();
}

void TDTHeader::SetImages(TCustomImageList* Value) {
  if (images_ == Value) return;
  if (images_) images_->RemoveFreeNotification(owner_);
  images_ = Value;
  if (images_) images_->FreeNotification(owner_);
  if (!owner_->IsLoading()) Invalidate(nullptr);
}

void TDTHeader::SetParentFont(bool Value) {
  if (parentFont_ == Value) return;
  parentFont_ = Value;
  if (Value) font_->Assign(owner_->Font());
}

void TDTHeader::SetMainColumn(TColumnIndex Value) {
  if (owner_->IsLoading()) {
    mainColumn_ = Value;
    return;
  }
  if (columns_->Count() == 0)
    Value = -1;
  else
    Value = std::clamp(Value, 0, columns_->Count() - 1);
  if (Value == mainColumn_) return;
  mainColumn_ = Value;
  owner_->MainColumnChanged();
}

void TDTHeader::SetOptions(TDTHeaderOptions Value) {
  TDTHeaderOptions old = options_;
  options_ = Value;
  if (old.Contains(hoAutoResize) != Value.Contains(hoAutoResize) && columns_->Count() > 0) {
    AdjustAutoSize(-2);
    if (owner_->HandleAllocated()) {
      owner_->UpdateHorizontalScrollBar(false);
      if (Value.Contains(hoAutoResize)) owner_->Invalidate();
    }
  }
  if (!owner_->IsLoading() && owner_->HandleAllocated()) {
    if (old.Contains(hoVisible) != Value.Contains(hoVisible)) RecalculateHeader();
    Invalidate(nullptr);
    owner_->Invalidate();
  }
}

void TDTHeader::SetSortColumn(TColumnIndex Value) {
  if (owner_->IsLoading()) {
    sortColumn_ = Value;
    return;
  }
  Value = std::clamp(Value, -1, columns_->Count() - 1);
  if (Value == sortColumn_) return;
  if (columns_->IsValidColumn(sortColumn_)) Invalidate(columns_->Items(sortColumn_));
  sortColumn_ = Value;
  if (columns_->IsValidColumn(sortColumn_)) Invalidate(columns_->Items(sortColumn_));
  if (owner_->TreeOptions()->AutoOptions().Contains(toAutoSort) && owner_->UpdateCount() == 0)
    owner_->SortTree(sortColumn_, sortDirection_, true);
}

void TDTHeader::SetSortDirection(TSortDirection Value) {
  if (Value == sortDirection_) return;
  sortDirection_ = Value;
  Invalidate(nullptr);
  if (owner_->TreeOptions()->AutoOptions().Contains(toAutoSort) && owner_->UpdateCount() == 0)
    owner_->SortTree(sortColumn_, sortDirection_, true);
}

void TDTHeader::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDTHeader*>(Source);
  if (!s) return TPersistent::Assign(Source);
  autoSizeIndex_ = s->autoSizeIndex_;
  background_ = s->background_;
  columns_->Assign(s->columns_.get());
  font_->Assign(s->font_.get());
  SetHeight(s->height_);
  SetImages(s->images_);
  SetMainColumn(s->mainColumn_);
  SetOptions(s->options_);
  parentFont_ = s->parentFont_;
  PopupMenu = s->PopupMenu;
  SetSortColumn(s->sortColumn_);
  SetSortDirection(s->sortDirection_);
  SetStyle(s->style_);
}

void TDTHeader::ChangeScale(int M, int D) {
  if (M == D || D <= 0) return;
  font_->SetSize(MulDiv(font_->Size(), M, D));
}

// The header's height or visibility changed: the frame is laid out again.
void TDTHeader::RecalculateHeader() {
  if (!owner_->HandleAllocated()) return;
  owner_->FrameChanged();
  owner_->UpdateScrollBars(false);
  owner_->Invalidate();
}

// P in client coordinates; the header's rectangle is the window's.
bool TDTHeader::InHeader(POINT P) const {
  RECT r = owner_->HeaderRect();
  POINT o = owner_->ClientOriginInWindow();
  P.x += o.x, P.y += o.y;
  return P.x >= r.left && P.x < r.right && P.y >= r.top && P.y < r.bottom;
}

// The header is part of the frame: its invalid part is painted with it.
void TDTHeader::Invalidate(TDataTreeColumn* Column, bool ExpandToRight) {
  if (!options_.Contains(hoVisible) || !owner_->HandleAllocated()) return;
  RECT r = owner_->HeaderRect();
  if (Column) {
    int left = r.left + owner_->HeaderScrollBarShift() + Column->DisplayLeft();
    r.left = left;
    if (!ExpandToRight) r.right = left + Column->Width();
  }
  POINT o = owner_->ClientOriginInWindow();
  OffsetRect(&r, -o.x, -o.y);
  RedrawWindow(owner_->Handle(), &r, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE | RDW_NOCHILDREN);
}

void TDTHeader::FixMainColumn() {
  if (columns_->Count() == 0)
    mainColumn_ = -1;
  else
    mainColumn_ = std::clamp(mainColumn_, 0, columns_->Count() - 1);
}

void TDTHeader::AdjustAutoSize(TColumnIndex Column, bool Force) {
  if (columns_->Count() == 0) return;
  TColumnIndex target = columns_->IsValidColumn(autoSizeIndex_) ? autoSizeIndex_ : columns_->Count() - 1;
  if (Column > -1 && columns_->IsValidColumn(Column) &&
      columns_->Items(Column)->Position() >= columns_->Items(target)->Position()) {
    target = columns_->GetNextVisibleColumn(Column);
    if (target < 0) return;
  }
  int free = owner_->GetColumnClientWidth();
  for (int i = 0; i < columns_->Count(); ++i)
    if (i != target && columns_->Items(i)->Visible()) free -= columns_->Items(i)->Width();
  TDataTreeColumn* c = columns_->Items(target);
  int w = std::clamp(free, c->MinWidth(), std::max(c->MinWidth(), c->MaxWidth()));
  if (!Force && w == c->width_) return;
  c->lastWidth_ = c->width_;
  c->width_ = w;
  columns_->UpdatePositions(true);
  if (owner_->OnColumnResize) owner_->OnColumnResize(this, target);
}

void TDTHeader::ResizeSpringColumns(int NewWidth) {
  int difference = NewWidth - lastSpringWidth_;
  if (options_.Contains(hoAutoSpring) && lastSpringWidth_ != 0 && difference != 0) {
    int count = 0;
    for (int i = 0; i < columns_->Count(); ++i) {
      auto o = columns_->Items(i)->Options();
      if (o.Contains(coVisible) && o.Contains(coAutoSpring)) ++count;
    }
    if (count > 0) {
      float share = float(std::abs(difference)) / float(count);
      float remaining = float(std::abs(difference));
      for (int i = 0; i < columns_->Count() && remaining >= 0; ++i) {
        TDataTreeColumn* c = columns_->Items(i);
        if (!c->Options().Contains(coVisible) || !c->Options().Contains(coAutoSpring)) continue;
        float v = c->springRest_ + share;
        if (v >= 1) c->SetWidth(c->Width() + (difference > 0 ? int(v) : -int(v)));
        c->springRest_ = v - std::floor(v);
        remaining -= share;
      }
    }
  }
  lastSpringWidth_ = NewWidth;
}

// The header right of the column, and the rows beneath it, slide to the new
// edge in 32 steps on the window's DC before the width is set; a growing
// column's uncovered strip is filled with the tree's colour at each step.
void TDTHeader::AnimatedResize(TColumnIndex Column, int NewWidth) {
  if (!columns_->IsValidColumn(Column)) return;
  TDataTreeColumn* c = columns_->Items(Column);
  NewWidth = std::clamp(NewWidth, c->MinWidth(), std::max(c->MinWidth(), c->MaxWidth()));
  if (NewWidth == c->Width()) return;
  const int step = (NewWidth - c->Width()) / 32;
  if (step != 0 && owner_->HandleAllocated() && IsWindowVisible(owner_->Handle())) {
    HWND h = owner_->Handle();
    // On the window's DC: the header in window coordinates, the rows' client
    // area shifted by where it starts in the window.
    RECT window;
    GetWindowRect(h, &window);
    POINT origin = owner_->ClientToScreen(POINT{0, 0});
    const int dx = origin.x - window.left, dy = origin.y - window.top;
    RECT rows = owner_->ClientRect();
    OffsetRect(&rows, dx, dy);
    RECT strips[2] = {owner_->HeaderRect(), rows};
    HDC dc = GetWindowDC(h);
    HBRUSH fill = CreateSolidBrush(COLORREF(ColorToRGB(owner_->Color())));
    int edge = c->DisplayLeft() + c->Width();
    for (int i = 0; i < 32; ++i, edge += step) {
      for (RECT r : strips) {
        if (r.bottom <= r.top) continue;
        r.left = std::max<int>(r.left, dx + edge + std::min(step, 0));
        ScrollDC(dc, step, 0, &r, &r, nullptr, nullptr);
        if (step > 0) {
          RECT uncovered{r.left, r.top, r.left + step, r.bottom};
          FillRect(dc, &uncovered, fill);
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    DeleteObject(fill);
    ReleaseDC(h, dc);
  }
  c->SetWidth(NewWidth);
}

void TDTHeader::AutoFitColumns(bool Animated) {
  for (int32_t i : std::vector<int32_t>(columns_->PositionToIndex())) {
    TDataTreeColumn* c = columns_->Items(i);
    if (!c->Options().Contains(coResizable) || !c->Visible()) continue;
    int w = owner_->GetMaxColumnWidth(i);
    if (Animated)
      AnimatedResize(i, w);
    else
      c->SetWidth(w);
  }
}

void TDTHeader::RestoreColumns() {
  auto p2i = columns_->PositionToIndex();
  for (auto it = p2i.rbegin(); it != p2i.rend(); ++it) {
    TDataTreeColumn* c = columns_->Items(*it);
    if (c->Options().Contains(coResizable) && c->Visible()) c->RestoreLastWidth();
  }
}

}  // namespace qv
