// The date edit: the date held in the text, the format and mask of the
// locale, the limits, the exit check and the date keys.
#include "skin/controls/skTooledit.h"

#include <cmath>

#include "classlib/controls/Application.h"
#include "classlib/controls/ControlMessages.h"
#include "platform/DateFormat.h"
#include "platform/Exception.h"
#include "platform/LocaleDates.h"
#include "platform/window/Input.h"
#include "skin/controls/skDateUtils.h"
#include "skin/controls/skPopupClndr.h"
#include "skin/skConst.h"
#include "skin/skinManager.h"

namespace qv {

TSkCustomDateEdit::TSkCustomDateEdit(TComponent* AOwner) : TSkCustomComboEdit(AOwner) {
  skinData_->ClassCode = 137;
  defaultGlyph_ = "BTN_DATE";
  SetMaxLength(10);
  format_ = DateFormatForLocale(FourDigits());
}

void TSkCustomDateEdit::Loaded() {
  TSkCustomComboEdit::Loaded();
  UpdateFormat();
}

TSkCustomDateEdit::~TSkCustomDateEdit() {
  Unhook();
}

void TSkCustomDateEdit::CreateWnd() {
  TSkCustomComboEdit::CreateWnd();
  // A changed locale reaches the application window: follow its date order.
  if (hookId_ < 0 && Application && !ComponentState().Contains(csDesigning))
    hookId_ = Application->HookMainWindow([this](TMessage& M) {
      if (M.Msg == WM_WININICHANGE) UpdateFormat();
      return false;
    });
  UpdateFormat();
}

void TSkCustomDateEdit::DestroyWnd() {
  Unhook();
  TSkCustomComboEdit::DestroyWnd();
}

void TSkCustomDateEdit::Unhook() {
  if (hookId_ >= 0 && Application) Application->UnhookMainWindow(hookId_);
  hookId_ = -1;
}

bool TSkCustomDateEdit::FourDigits() const {
  return yearDigits_ == dyFour || (yearDigits_ == dyDefault && FourDigitYearFlag());
}

void TSkCustomDateEdit::UpdateFormat() {
  const TDateTime d = GetDate();
  const std::string old = format_;
  format_ = DateFormatForLocale(FourDigits()).substr(0, 10);
  const std::string mask = DateMaskFor(blanksChar_, FourDigits());
  if (mask != EditMask() || old != format_) {
    SetEditMask("");
    SetEditMask(mask);
  }
  UpdatePopup();
  SetDate(d);
}

// The text, or "" for the blank mask (only blanks and separators).
std::string TSkCustomDateEdit::DateText() {
  std::string text = Text();
  if (text.find_first_not_of(std::string(1, blanksChar_) + LocaleDates().DateSeparator + ' ') ==
      std::string::npos)
    text.clear();
  return text;
}

TDateTime TSkCustomDateEdit::GetDate() {
  const TDateTime fallback = DefaultToday ? Date() : 0.0;
  TDateTime d = 0.0;
  const std::string text = DateText();
  if (!TextToDate(format_, text, d)) return std::trunc(fallback);
  if (text.empty()) return std::trunc(fallback);
  return d;
}

bool TSkCustomDateEdit::HoldsDate() {
  TDateTime d = 0.0;
  const std::string text = DateText();
  return !text.empty() && TextToDate(format_, text, d);
}

void TSkCustomDateEdit::SetDate(TDateTime Value) {
  if (!IsValidDateValue(Value) || Value == 0.0) Value = DefaultToday ? Date() : 0.0;
  const TDateTime old = GetDate();
  SetText(Value == 0.0 ? std::string() : FormatDateTime(format_, Value));
  SetModified(GetDate() != old);
}

void TSkCustomDateEdit::ApplyDate(TDateTime Value) {
  SetDate(Value);
  SelectAllIfText();
}

void TSkCustomDateEdit::SetBlanksChar(char Value) {
  if (Value < ' ') Value = ' ';
  if (Value == blanksChar_) return;
  blanksChar_ = Value;
  UpdateFormat();
}

void TSkCustomDateEdit::SetYearDigits(TYearDigits Value) {
  if (Value == yearDigits_) return;
  yearDigits_ = Value;
  UpdateFormat();
}

void TSkCustomDateEdit::SetCalendarHints(std::vector<std::string> Value) {
  if (Value.size() > 4) Value.resize(4);
  hints_ = std::move(Value);
  UpdatePopup();
}

void TSkCustomDateEdit::SetStartOfWeek(TCalDayOfWeek Value) {
  startOfWeek_ = Value;
  UpdatePopup();
}

void TSkCustomDateEdit::SetWeekends(const TDaysOfWeek& Value) {
  weekends_ = Value;
  UpdatePopup();
}

void TSkCustomDateEdit::SetWeekendColor(TColor Value) {
  weekendColor_ = Value;
  UpdatePopup();
}

// A null limit is no limit: it neither blocks the other limit nor clamps.
void TSkCustomDateEdit::SetMinDate(TDateTime Value) {
  if (Value != 0.0 && maxDate_ != 0.0 && Value > maxDate_) return;
  if (Value == minDate_) return;
  minDate_ = Value;
  ClampToLimits();
}

void TSkCustomDateEdit::SetMaxDate(TDateTime Value) {
  if (Value != 0.0 && minDate_ != 0.0 && Value < minDate_) return;
  if (Value == maxDate_) return;
  maxDate_ = Value;
  ClampToLimits();
}

void TSkCustomDateEdit::ClampToLimits() {
  const TDateTime d = GetDate();
  if (maxDate_ != 0.0 && d > maxDate_)
    SetDate(maxDate_);
  else if (minDate_ != 0.0 && d < minDate_)
    SetDate(minDate_);
}

void TSkCustomDateEdit::CheckValidDate() {
  const std::string text = Text();
  if (text.find_first_not_of(std::string(1, blanksChar_) + LocaleDates().DateSeparator) == std::string::npos)
    return;
  parsing_ = true;
  TDateTime d = 0.0;
  const bool ok = TextToDate(format_, text, d);
  if (ok) SetDate(d);
  parsing_ = false;
  if (!ok) {
    if (CanFocus()) SetFocus();
    throw EConvertError("Invalid Date");
  }
  ClampToLimits();
}

void TSkCustomDateEdit::Change() {
  if (!parsing_) TSkCustomComboEdit::Change();
}

void TSkCustomDateEdit::KeyDown(WORD& Key, TShiftState Shift) {
  const bool dateKey = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_LEFT || Key == VK_RIGHT ||
                       Key == VK_UP || Key == VK_DOWN || Key == VK_ADD || Key == VK_SUBTRACT;
  if (dateKey && PopupVisible()) {
    PopupKeyDown(Key, Shift);
    Key = 0;
  } else if ((Key == VK_ADD || Key == VK_SUBTRACT) && Shift.Empty() && DirectInput()) {
    TDateTime d = GetDate();
    if (d == 0.0) d = Now();
    ApplyDate(Key == VK_ADD ? d + 1 : d - 1);
    Key = 0;
  }
  TSkCustomComboEdit::KeyDown(Key, Shift);
}

void TSkCustomDateEdit::KeyPress(char16_t& Key) {
  if (Key == u'+' || Key == u'-' || Key == u'T' || Key == u't') {
    if (PopupVisible()) {
      PopupKeyPress(Key);
      Key = 0;
    } else if (DirectInput()) {
      if (Key == u'T' || Key == u't') ApplyDate(Date());
      Key = 0;
    }
  }
  TSkCustomComboEdit::KeyPress(Key);
}

void TSkCustomDateEdit::WndProc(TMessage& M) {
  if (M.Msg == CM_EXIT && CheckOnExit && !ComponentState().Contains(csDesigning)) CheckValidDate();
  if (IsOwnSkinChange(M, skinData_.get())) {
    PopupSkinCommand(M);
    TSkCustomComboEdit::WndProc(M);
    UpdateFormat();
    return;
  }
  TSkCustomComboEdit::WndProc(M);
}

TSkPopupCalendar* TSkCustomDateEdit::Calendar() const {
  return dynamic_cast<TSkPopupCalendar*>(Popup);
}

void TSkCustomDateEdit::UpdatePopup() {
  TSkPopupCalendar* popup = Calendar();
  if (!popup) return;
  TSkMonthCalendar* cal = popup->Calendar();
  cal->SetStartOfWeek(startOfWeek_);
  cal->SetWeekends(weekends_);
  cal->SetWeekendColor(weekendColor_);
  popup->FourDigitYear = FourDigits();
  cal->OnGetCellParams = OnGetCellParams;
  TSkinManager* sm = skinData_->SkinManager();
  popup->SetColor(skinData_->Skinned() && sm ? sm->GetGlobalColor() : clBtnFace);
  for (size_t i = 0; i < hints_.size() && i < 4; ++i) {
    cal->NavButton(static_cast<int>(i))->SetHint(hints_[i]);
    cal->NavButton(static_cast<int>(i))->SetShowHint(ShowHint());
  }
}

void TSkCustomDateEdit::PopupDropDown() {
  if (GetReadOnly()) return;
  if (!Popup) Popup = new TSkPopupCalendar(this);
  TSkPopupCalendar* popup = Calendar();
  const TDateTime d = GetDate();
  popup->Calendar()->SetCalendarDate(d == 0.0 ? Date() : d);
  popup->Editor = this;
  UpdatePopup();
  TSkCustomComboEdit::PopupDropDown();
}

void TSkCustomDateEdit::PopupKeyDown(WORD& Key, TShiftState Shift) {
  if (TSkPopupCalendar* popup = Calendar()) popup->Calendar()->Grid()->KeyDown(Key, Shift);
}

void TSkCustomDateEdit::PopupKeyPress(char16_t& Key) {
  if (TSkPopupCalendar* popup = Calendar()) popup->Calendar()->Grid()->KeyPress(Key);
}

void TSkCustomDateEdit::PopupSkinCommand(TMessage& M) {
  if (Popup) Popup->Perform(M.Msg, M.WParam, M.LParam);
}

TSkDateEdit::TSkDateEdit(TComponent* AOwner) : TSkCustomDateEdit(AOwner) {
  skinData_->ClassCode = 140;
  SetEditMask("!90/90/0000;1; ");
  UpdateFormat();
}

}  // namespace qv
