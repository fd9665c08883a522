// Scrolling containers: TScrollingWinControl keeps its window's standard
// scroll bars in step with the extent of its children (AutoScroll), moves the
// children when the bars, the wheel or ScrollInView scroll it, and TScrollBox
// is the plain control made of it.
#pragma once
#include <memory>

#include "classlib/controls/WinControl.h"

namespace qv {

class TScrollingWinControl;
enum TScrollBarKind { sbHorizontal, sbVertical };

class TControlScrollBar : public TPersistent {
 public:
  TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind) : control_(Control), kind_(Kind) {}
  TScrollBarKind Kind() const { return kind_; }
  // Kept between 0 and Range minus the visible extent; moving it moves the children.
  int Position() const { return position_; }
  void SetPosition(int Value);
  // The scrollable extent; AutoScroll sets it from the children.
  int Range() const { return range_; }
  void SetRange(int Value);
  int Increment = 8;  // one line, for the arrows and the wheel
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  // Shown: visible and the range exceeds what the client area shows.
  bool IsScrollBarVisible() const;
  void Assign(TPersistent* Source) override;

 private:
  friend class TScrollingWinControl;
  int Page() const;  // the client extent along the bar
  void ScrollMessage(int Code, int ThumbPos);

  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  int position_ = 0, range_ = 0;
  bool visible_ = true;
};

class TScrollingWinControl : public TWinControl {
 public:
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;

  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool Value);
  TControlScrollBar* HorzScrollBar() const { return horz_.get(); }
  TControlScrollBar* VertScrollBar() const { return vert_.get(); }
  // Scrolls the least that shows the whole control (or its top-left part when it is too big).
  void ScrollInView(TControl* AControl);
  // Recomputes the ranges (with AutoScroll) and shows the bars that are needed.
  void UpdateScrollBars();
  void Dispatch(TMessage& Message) override;

 protected:
  void AlignControls(TControl* AControl, RECT& Rect) override;
  void CreateWnd() override;

 private:
  friend class TControlScrollBar;
  void CalcAutoRange();
  bool WheelScroll(TMessage& Message);

  std::unique_ptr<TControlScrollBar> horz_, vert_;
  bool autoScroll_ = false;
  bool updating_ = false;
};

class TScrollBox : public TScrollingWinControl {
 public:
  explicit TScrollBox(TComponent* AOwner);
};

}  // namespace qv
