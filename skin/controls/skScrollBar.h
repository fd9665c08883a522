// TSkScrollBar: a scroll bar with two faces. Without an active skin it is the
// system scroll bar; under a skin its window is recreated self-drawn and it
// paints its buttons, track halves and slider from the skin, with its own
// mouse state machine, repeat timers and keys.
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

#include "classlib/controls/Timer.h"
#include "classlib/controls/WinControl.h"
#include "classlib/stdctrls/ScrollBar.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"

namespace qv {

class TSkScrollBar : public TSkSkinned<TWinControl> {
 public:
  explicit TSkScrollBar(TComponent* AOwner);
  ~TSkScrollBar() override;

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind Value);
  int Min() const { return min_; }
  void SetMin(int Value);
  int Max() const { return max_; }
  void SetMax(int Value);
  int PageSize() const { return pageSize_; }
  void SetPageSize(int Value);
  int Position() const { return position_; }
  void SetPosition(int Value);
  void SetParams(int APosition, int AMin, int AMax);
  int SmallChange = 1;
  int LargeChange = 1;
  bool Smooth = true;
  TSkDisabledKind DisabledKind() const { return disabledKind_; }
  void SetDisabledKind(TSkDisabledKind Value);
  TScrollEvent OnScroll;
  TNotifyEvent OnChange;

  // Set by the owners that make a bar for another control.
  std::function<void(TSkScrollBar* Sender, int PrevPosition)> OnScrollChanged;
  TControl* LinkedControl = nullptr;
  std::unique_ptr<TSkCommonData> SkinData;
  bool MouseBusy = false;

  // A skin manager with an active skin serves the bar: its own, else the
  // default one.
  bool SkinActive();
  bool SelfDrawn() const { return selfDrawn_; }
  bool CanFocus() override;

  // Geometry along the bar (client coordinates).
  int BtnSize() const;
  int Len() const { return kind_ == sbVertical ? Height() : Width(); }
  int TrackLength() const { return Len() - 2 * BtnSize(); }
  int SliderSize() const;
  int PositionToCoord() const;
  int CoordToPosition(POINT P) const;  // brought into the int range
  // A 64-bit value into the int range.
  static int Saturate(int64_t V) { return int(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }
  enum TPart { spBtn1, spBtn2, spBar1, spBar2, spSlider };
  RECT PartRect(TPart Part) const;
  int PartState(TPart Part) const { return states_[Part]; }
  void SetState(TPart Part, int State);
  // True while a repeat or drag timer runs.
  bool TimerRunning() const { return timer_ && timer_->Enabled(); }

 protected:
  TSkCommonData* SkinSetUpData() const override { return SkinData.get(); }
  void SkinSetUpDone(bool FromStream) override;
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool UpdateFinished(TMessage& Message) override;
  int64_t CoordToPosition64(POINT P) const;
  int DraggedTo(POINT P) const;     // the position for the slider dragged to P
  int Offset(int64_t Delta) const;  // Position + Delta, kept in the int range
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  void Construct();
  void RecreateSelfDrawn();
  void StandardScroll(TMessage& M);
  void Changed(int PrevPosition);
  void RepaintIfChanged();
  void Paint(HDC DC);
  void PaintTo(HDC Target);
  void PaintButton(TBitmap* Work, bool Second, const RECT& R);
  void PaintSlider(TBitmap* Work);
  RECT ButtonDrawRect(bool Second) const;
  TPart HitPart(POINT P) const;
  int ActiveState() const;
  void StartTimer(int Kind);
  void TimerTick();
  void StopTimer();
  void BeginTrack();
  void EndTrack();
  bool Ready();
  void HitTestMove(POINT ScreenPoint);
  int SectionSlot(int Horizontal, int Vertical) const {
    return kind_ == sbHorizontal ? Horizontal : Vertical;
  }

  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, pageSize_ = 0, position_ = 0;
  int rtlFactor_ = 1;
  TSkDisabledKind disabledKind_ = TSkDisabledKind{dkBlended};
  int states_[5] = {0, 0, 0, 0, 0};
  std::unique_ptr<TTimer> timer_;
  int timerKind_ = 0;  // 1 buttons, 2 track, 3 drag
  TScrollCode scrollCode_ = scLineUp;
  int64_t dragOffset_ = 0;
  bool savedShowHint_ = true, hintsSaved_ = false;
  bool needsRecreate_ = false, statesChanged_ = false;
  bool trackDeferred_ = false;
  int trackStartPos_ = 0;
  bool selfDrawn_ = false;
};

}  // namespace qv
