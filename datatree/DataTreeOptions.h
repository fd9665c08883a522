// The tree's option sets, its colours and its scroll-bar settings: owned
// sub-objects whose setters tell the tree what to redraw or reset.
#pragma once
#include "classlib/Object.h"
#include "classlib/controls/ControlTypes.h"
#include "datatree/DataTreeTypes.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

class TBaseDataTree;

class TCustomDataTreeOptions : public TPersistent {
 public:
  explicit TCustomDataTreeOptions(TBaseDataTree* AOwner) : owner_(AOwner) {}
  TBaseDataTree* Owner() const { return owner_; }

  TDTPaintOptions PaintOptions() const { return paint_; }
  TDTAnimationOptions AnimationOptions() const { return animation_; }
  TDTAutoOptions AutoOptions() const { return auto_; }
  TDTSelectionOptions SelectionOptions() const { return selection_; }
  TDTMiscOptions MiscOptions() const { return misc_; }
  void SetPaintOptions(TDTPaintOptions Value);
  void SetAnimationOptions(TDTAnimationOptions Value) { animation_ = Value; }
  void SetAutoOptions(TDTAutoOptions Value);
  void SetSelectionOptions(TDTSelectionOptions Value);
  void SetMiscOptions(TDTMiscOptions Value);
  void Assign(TPersistent* Source) override;

 protected:
  friend class TBaseDataTree;
  TBaseDataTree* owner_;
  TDTPaintOptions paint_{toShowButtons,   toShowDropmark, toShowRoot,
                         toShowTreeLines, toThemeAware,   toUseBlendedImages};
  TDTAnimationOptions animation_;
  TDTAutoOptions auto_{toAutoDropExpand, toAutoScrollOnExpand, toAutoTristateTracking,
                       toAutoDeleteMovedNodes};
  TDTSelectionOptions selection_;
  TDTMiscOptions misc_{toAcceptOLEDrop, toFullRepaintOnResize, toInitOnSave, toToggleOnDblClick,
                       toWheelPanning};
};

class TCustomStringTreeOptions : public TCustomDataTreeOptions {
 public:
  using TCustomDataTreeOptions::TCustomDataTreeOptions;
  TDTStringOptions StringOptions() const { return string_; }
  void SetStringOptions(TDTStringOptions Value);
  void Assign(TPersistent* Source) override;

 protected:
  TDTStringOptions string_{toSaveCaptions, toAutoAcceptEditChange};
};

class TStringTreeOptions : public TCustomStringTreeOptions {
 public:
  using TCustomStringTreeOptions::TCustomStringTreeOptions;
};

enum TScrollBarStyle { sbmRegular, sbmFlat, sbm3D };

class TScrollBarOptions : public TPersistent {
 public:
  explicit TScrollBarOptions(TBaseDataTree* AOwner) : owner_(AOwner) {}
  bool AlwaysVisible() const { return alwaysVisible_; }
  void SetAlwaysVisible(bool Value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle Value);
  TScrollBarStyle ScrollBarStyle() const { return style_; }
  void SetScrollBarStyle(TScrollBarStyle Value);
  int HorizontalIncrement = 20;
  int VerticalIncrement = 20;
  void Assign(TPersistent* Source) override;

 private:
  TBaseDataTree* owner_;
  bool alwaysVisible_ = false;
  TScrollStyle scrollBars_ = ssBoth;
  TScrollBarStyle style_ = sbmRegular;
};

class TDTColors : public TPersistent {
 public:
  enum Index {
    DisabledColor,
    DropMarkColor,
    DropTargetColor,
    FocusedSelectionColor,
    GridLineColor,
    TreeLineColor,
    UnfocusedSelectionColor,
    BorderColor,
    HotColor,
    FocusedSelectionBorderColor,
    UnfocusedSelectionBorderColor,
    DropTargetBorderColor,
    SelectionRectangleBlendColor,
    SelectionRectangleBorderColor,
    HeaderHotColor,
    Count
  };
  explicit TDTColors(TBaseDataTree* AOwner);
  TColor Get(Index I) const { return colors_[I]; }
  void Set(Index I, TColor Value);
  void Assign(TPersistent* Source) override;

 private:
  TBaseDataTree* owner_;
  TColor colors_[Count];
};

}  // namespace qv
