// TScrollBar over the SCROLLBAR window class: Kind, the range, the position
// and page, line and page steps, OnScroll (which may change the new
// position) and OnChange.
#pragma once
#include <functional>

#include "classlib/controls/ScrollingWinControl.h"

namespace qv {

enum TScrollCode {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,
  scTrack,
  scTop,
  scBottom,
  scEndScroll
};
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
 public:
  explicit TScrollBar(TComponent* AOwner);

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind Value);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  int PageSize() const { return pageSize_; }
  void SetMin(int Value) { SetParams(position_, Value, max_); }
  void SetMax(int Value) { SetParams(position_, min_, Value); }
  void SetPosition(int Value) { SetParams(Value, min_, max_); }
  void SetPageSize(int Value);
  // Changes the three at once; OnChange fires when the position moves.
  void SetParams(int APosition, int AMin, int AMax);
  int SmallChange = 1;
  int LargeChange = 1;

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  virtual void Change();
  virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);

 private:
  void DoScroll(TMessage& Message);
  void UpdateWindow();
  int Highest() const;

  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0;
};

}  // namespace qv
