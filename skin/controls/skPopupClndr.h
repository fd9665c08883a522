// TSkPopupCalendar: the borderless form the date edit drops down, holding one
// month calendar; a click or Enter accepts the day into the edit, Escape or
// leaving the form dismisses it. The form frees itself when it closes.
#pragma once
#include "classlib/controls/Forms.h"
#include "skin/controls/skMonthCalendar.h"

namespace qv {

class TSkCustomDateEdit;

class TSkPopupCalendar : public TForm {
 public:
  explicit TSkPopupCalendar(TComponent* AOwner);
  TSkMonthCalendar* Calendar() const { return calendar_; }
  bool FourDigitYear = true;
  TSkCustomDateEdit* Editor = nullptr;

  // Takes the calendar's date into the editor (unless its OnAcceptDate
  // refuses) and closes.
  void Accept();
  void Cancel();
  void WndProc(TMessage& Message) override;

 protected:
  void KeyPress(char16_t& Key) override;

 private:
  void FormShow();
  void FormKeyDown(WORD& Key, TShiftState Shift);
  void FormClose(TCloseAction& Action);
  TSkMonthCalendar* calendar_ = nullptr;
  bool closing_ = false;
};

}  // namespace qv
