// TSkCustomDateEdit and TSkDateEdit: an edit with a calendar button that holds
// one date as masked text in the locale's field order, reads and writes it
// through Date, keeps it within MinDate and MaxDate and steps it by keys.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "skin/controls/skCustomComboEdit.h"
#include "skin/controls/skMonthCalendar.h"

namespace qv {

enum TYearDigits { dyDefault, dyFour, dyTwo };
using TOnAcceptDate = std::function<void(TObject* Sender, TDateTime& aDate, bool& CanAccept)>;

class TSkPopupCalendar;

class TSkCustomDateEdit : public TSkCustomComboEdit {
 public:
  explicit TSkCustomDateEdit(TComponent* AOwner);
  ~TSkCustomDateEdit() override;
  void Loaded() override;

  std::string DialogTitle = "Date select";
  TOnAcceptDate OnAcceptDate;
  TGetCellParams OnGetCellParams;
  bool DefaultToday = false;
  bool CheckOnExit = false;
  char BlanksChar() const { return blanksChar_; }
  void SetBlanksChar(char Value);
  const std::vector<std::string>& CalendarHints() const { return hints_; }
  void SetCalendarHints(std::vector<std::string> Value);
  TCalDayOfWeek StartOfWeek() const { return startOfWeek_; }
  void SetStartOfWeek(TCalDayOfWeek Value);
  const TDaysOfWeek& Weekends() const { return weekends_; }
  void SetWeekends(const TDaysOfWeek& Value);
  TColor WeekendColor() const { return weekendColor_; }
  void SetWeekendColor(TColor Value);
  TYearDigits YearDigits() const { return yearDigits_; }
  void SetYearDigits(TYearDigits Value);
  const std::string& DateFormat() const { return format_; }
  TDateTime MinDate() const { return minDate_; }
  void SetMinDate(TDateTime Value);
  TDateTime MaxDate() const { return maxDate_; }
  void SetMaxDate(TDateTime Value);

  TDateTime GetDate();
  // Whether the text is a day (not blank, not an impossible date), which
  // GetDate would otherwise read as its fallback.
  bool HoldsDate();
  void SetDate(TDateTime Value);
  virtual void ApplyDate(TDateTime Value);
  virtual void UpdateFormat();
  // Reads the text strictly; raises EConvertError "Invalid Date".
  void CheckValidDate();
  // Hands the edit's calendar settings to an open popup.
  void UpdatePopup();
  bool FourDigits() const;
  // The drop-down calendar while it exists.
  TSkPopupCalendar* Calendar() const;

  void WndProc(TMessage& Message) override;
  void PopupDropDown() override;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void Change() override;
  void CreateWnd() override;
  void DestroyWnd() override;

 private:
  void ClampToLimits();
  std::string DateText();
  void Unhook();
  int hookId_ = -1;  // the application window's hook for locale changes
  // The open calendar's share of keys and skin commands.
  void PopupKeyDown(WORD& Key, TShiftState Shift);
  void PopupKeyPress(char16_t& Key);
  void PopupSkinCommand(TMessage& Message);
  char blanksChar_ = ' ';
  std::vector<std::string> hints_;
  TCalDayOfWeek startOfWeek_ = dowLocaleDefault;
  TDaysOfWeek weekends_{dowSunday};
  TColor weekendColor_ = clRed;
  TYearDigits yearDigits_ = dyFour;
  std::string format_;
  bool parsing_ = false;
  TDateTime minDate_ = 0.0, maxDate_ = 0.0;
};

class TSkDateEdit : public TSkCustomDateEdit {
 public:
  explicit TSkDateEdit(TComponent* AOwner);
};

}  // namespace qv
