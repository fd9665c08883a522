// TSkMonthCalendar: a panel with a title bar (month and year, buttons for the
// previous and next year and month) over a grid of one month's days
// (TSkCalendGrid), weeks starting on the locale's or a chosen day.
#pragma once
#include <array>
#include <functional>
#include <string>

#include "classlib/comctrls/Grids.h"
#include "platform/DateTime.h"
#include "skin/controls/skPanel.h"
#include "skin/skConst.h"

namespace qv {

using TGetCellParams =
    std::function<void(TObject* Sender, TDateTime ADate, TFont* AFont, TColor& Background)>;

class TSkMonthCalendar;
class TSkTimerSpeedButton;

class TSkCalendGrid : public TDrawGrid {
 public:
  explicit TSkCalendGrid(TSkMonthCalendar* AOwner);
  // Makes (ACol, ARow) the current cell without a click.
  void PlaceCurrent(int ACol, int ARow) { MoveCurrent(ACol, ARow, true, false); }
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void WndProc(TMessage& Message) override;

 protected:
  void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
  bool SelectCell(int ACol, int ARow) override;
  void Click() override;
  void Resize() override;
  void Paint() override;

 private:
  TSkMonthCalendar* calendar_;
};

class TSkMonthCalendar : public TSkPanel {
 public:
  explicit TSkMonthCalendar(TComponent* AOwner);
  void Loaded() override;

  TDateTime CalendarDate() const { return date_; }
  void SetCalendarDate(TDateTime Value);
  int Year() const { return Part(1); }
  int Month() const { return Part(2); }
  int Day() const { return Part(3); }
  void SetYear(int Value) { SetPart(1, Value); }
  void SetMonth(int Value) { SetPart(2, Value); }
  void SetDay(int Value) { SetPart(3, Value); }
  bool UseCurrentDate() const { return useCurrentDate_; }
  void SetUseCurrentDate(bool Value);
  TCalDayOfWeek StartOfWeek() const { return startOfWeek_; }
  void SetStartOfWeek(TCalDayOfWeek Value);
  const TDaysOfWeek& Weekends() const { return weekends_; }
  void SetWeekends(const TDaysOfWeek& Value);
  TColor WeekendColor() const { return weekendColor_; }
  void SetWeekendColor(TColor Value);
  bool ShowTitle() const { return showTitle_; }
  void SetShowTitle(bool Value);
  bool ReadOnly = false;
  TNotifyEvent OnChange;
  TGetCellParams OnGetCellParams;

  void NextMonth();
  void PrevMonth();
  void NextYear();
  void PrevYear();
  virtual void UpdateCalendar(bool DayOnly = false);
  // Day number (or day name in row 0) of a cell; "" for cells of no day.
  std::string CellText(int ACol, int ARow) const;
  bool IsWeekend(int ACol) const;
  int DaysThisMonth() const;
  // 0 = Monday .. 6 = Sunday.
  int StartDay() const;
  int MonthOffset() const { return monthOffset_; }
  bool Updating() const { return updating_; }

  TSkCalendGrid* Grid() const { return grid_; }
  TSkDragBar* TitleBar() const { return titleBar_; }
  TSkTimerSpeedButton* NavButton(int Index) const { return buttons_[Index]; }

 protected:
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  virtual void Change();

 private:
  int Part(int Index) const;
  void SetPart(int Index, int Value);
  void MakeButtons();
  TDateTime date_ = 0.0;
  int monthOffset_ = 1;
  bool updating_ = false, useCurrentDate_ = true, showTitle_ = true;
  TCalDayOfWeek startOfWeek_ = dowLocaleDefault;
  TDaysOfWeek weekends_{dowSunday};
  TColor weekendColor_ = clRed;
  TSkCalendGrid* grid_ = nullptr;
  TSkDragBar* titleBar_ = nullptr;
  std::array<TSkTimerSpeedButton*, 4> buttons_{};
};

}  // namespace qv
