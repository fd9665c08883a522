// Setters of the option sets, colours and scroll-bar settings and what each
// change makes the tree do.
#include "datatree/DataTreeOptions.h"

#include "datatree/BaseDataTree.h"

namespace qv {

namespace {
bool Live(TBaseDataTree* t) {
  return t && !t->IsLoading() && t->HandleAllocated();
}
}  // namespace

void TCustomDataTreeOptions::SetPaintOptions(TDTPaintOptions Value) {
  if (paint_ == Value) return;
  bool themeChanged = paint_.Contains(toThemeAware) != Value.Contains(toThemeAware);
  paint_ = Value;
  if (!Live(owner_)) return;
  if (themeChanged) {
    owner_->DoStateChange({}, {tsUseThemes});  // visual styles are never active
    owner_->PrepareBitmaps(true, true);
  }
  owner_->Invalidate();
}

void TCustomDataTreeOptions::SetAutoOptions(TDTAutoOptions Value) {
  if (auto_ == Value) return;
  bool span = auto_.Contains(toAutoSpanColumns) != Value.Contains(toAutoSpanColumns);
  auto_ = Value;
  if (span && Live(owner_)) owner_->Invalidate();
}

void TCustomDataTreeOptions::SetSelectionOptions(TDTSelectionOptions Value) {
  if (selection_ == Value) return;
  TDTSelectionOptions old = selection_;
  selection_ = Value;
  if (!owner_) return;
  if (old.Contains(toMultiSelect) != Value.Contains(toMultiSelect) ||
      (!old.Contains(toLevelSelectConstraint) && Value.Contains(toLevelSelectConstraint)) ||
      (!old.Contains(toSiblingSelectConstraint) && Value.Contains(toSiblingSelectConstraint)))
    owner_->ClearSelection();
  if (old.Contains(toExtendedFocus) && !Value.Contains(toExtendedFocus) && owner_->FocusedColumn() > 0 &&
      owner_->HandleAllocated()) {
    owner_->SetFocusedColumn(owner_->Header()->MainColumn());
    owner_->Invalidate();
  }
  if (!Value.Contains(toExtendedFocus)) owner_->focus_.SetColumn(owner_->Header()->MainColumn());
}

void TCustomDataTreeOptions::SetMiscOptions(TDTMiscOptions Value) {
  if (misc_ == Value) return;
  bool check = misc_.Contains(toCheckSupport) != Value.Contains(toCheckSupport);
  bool repaint = misc_.Contains(toFullRepaintOnResize) != Value.Contains(toFullRepaintOnResize);
  bool drop = misc_.Contains(toAcceptOLEDrop) != Value.Contains(toAcceptOLEDrop);
  misc_ = Value;
  if (!Live(owner_)) return;
  if (check) owner_->Invalidate();
  if (owner_->ComponentState().Contains(csDesigning)) return;
  // A shown tree takes drops exactly while the option says so.
  if (drop && misc_.Contains(toAcceptOLEDrop))
    owner_->RegisterDropTarget();
  else if (drop)
    owner_->RevokeDropTarget();
  if (repaint) {
    // The class styles depend on the option: the window is made again (and
    // registers its drop target again when it takes drops).
    owner_->RevokeDropTarget();
    owner_->RecreateWnd();
  }
}

void TCustomDataTreeOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCustomDataTreeOptions*>(Source);
  if (!s) return TPersistent::Assign(Source);
  SetPaintOptions(s->paint_);
  SetAnimationOptions(s->animation_);
  SetAutoOptions(s->auto_);
  SetSelectionOptions(s->selection_);
  SetMiscOptions(s->misc_);
}

void TCustomStringTreeOptions::SetStringOptions(TDTStringOptions Value) {
  if (string_ == Value) return;
  string_ = Value;
  if (Live(owner_)) owner_->Invalidate();
}

void TCustomStringTreeOptions::Assign(TPersistent* Source) {
  TCustomDataTreeOptions::Assign(Source);
  if (auto* s = dynamic_cast<TCustomStringTreeOptions*>(Source)) SetStringOptions(s->string_);
}

void TScrollBarOptions::SetAlwaysVisible(bool Value) {
  if (alwaysVisible_ == Value) return;
  alwaysVisible_ = Value;
  // The scroll bars the window asks for are window styles: it is made again.
  if (Live(owner_) && owner_->HandleAllocated()) owner_->RecreateWnd();
}

void TScrollBarOptions::SetScrollBars(TScrollStyle Value) {
  if (scrollBars_ == Value) return;
  scrollBars_ = Value;
  // The scroll bars the window asks for are window styles: it is made again.
  if (Live(owner_) && owner_->HandleAllocated()) owner_->RecreateWnd();
}

void TScrollBarOptions::SetScrollBarStyle(TScrollBarStyle Value) {
  DTAssert(
      Value == sbmRegular,
      "Flat scrollbars styles are disabled. Enable UseFlatScrollbars in TreeConfig.inc forflat scrollbar "
      "support.");
  style_ = Value;
}

void TScrollBarOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TScrollBarOptions*>(Source);
  if (!s) return TPersistent::Assign(Source);
  SetAlwaysVisible(s->alwaysVisible_);
  HorizontalIncrement = s->HorizontalIncrement;
  SetScrollBars(s->scrollBars_);
  SetScrollBarStyle(s->style_);
  VerticalIncrement = s->VerticalIncrement;
}

TDTColors::TDTColors(TBaseDataTree* AOwner) : owner_(AOwner) {
  colors_[DisabledColor] = clBtnShadow;
  colors_[DropMarkColor] = clHighlight;
  colors_[DropTargetColor] = clHighlight;
  colors_[FocusedSelectionColor] = clHighlight;
  colors_[GridLineColor] = clBtnFace;
  colors_[TreeLineColor] = clBtnShadow;
  colors_[UnfocusedSelectionColor] = clBtnFace;
  colors_[BorderColor] = clBtnFace;
  colors_[HotColor] = clWindowText;
  colors_[FocusedSelectionBorderColor] = clHighlight;
  colors_[UnfocusedSelectionBorderColor] = clBtnFace;
  colors_[DropTargetBorderColor] = clHighlight;
  colors_[SelectionRectangleBlendColor] = clHighlight;
  colors_[SelectionRectangleBorderColor] = clHighlight;
  colors_[HeaderHotColor] = clBtnShadow;
}

void TDTColors::Set(Index I, TColor Value) {
  if (colors_[I] == Value) return;
  colors_[I] = Value;
  if (!Live(owner_)) return;
  if (I == TreeLineColor) owner_->PrepareBitmaps(true, true);  // the buttons' frame
  owner_->Invalidate();
}

void TDTColors::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDTColors*>(Source);
  if (!s) return TPersistent::Assign(Source);
  for (int i = 0; i < Count; ++i) colors_[i] = s->colors_[i];
  if (owner_) owner_->PrepareBitmaps(true, false);  // the buttons' frame may have changed
  if (owner_ && owner_->UpdateCount() == 0) owner_->Invalidate();
}

}  // namespace qv
