// The month calendar: layout of a month in week rows, date parts and
// navigation, and the day grid's keys, mouse and cell drawing.
#include "skin/controls/skMonthCalendar.h"

#include <algorithm>

#include "platform/DateFormat.h"
#include "platform/LocaleDates.h"
#include "platform/window/Input.h"
#include "skin/controls/skDateUtils.h"
#include "skin/controls/skSpeedButton.h"
#include "skin/skColors.h"
#include "skin/skConst.h"
#include "skin/skGdiHelpers.h"

namespace qv {

// ---- the day grid ----------------------------------------------------------

TSkCalendGrid::TSkCalendGrid(TSkMonthCalendar* AOwner) : TDrawGrid(AOwner), calendar_(AOwner) {
  SetBorderStyle(bsNone);
  SetFixedCols(0);
  SetFixedRows(1);
  SetColCount(7);
  SetRowCount(8);
  SetScrollBars(ssNone);
  SetOptions(TGridOptions{});
  SetAlign(alClient);
  SetParentColor(true);
}

bool TSkCalendGrid::SelectCell(int ACol, int ARow) {
  if (!calendar_->Updating() && calendar_->ReadOnly) return false;
  if (ARow < 1 || calendar_->CellText(ACol, ARow).empty()) return false;
  return TDrawGrid::SelectCell(ACol, ARow);
}

void TSkCalendGrid::Click() {
  TDrawGrid::Click();
  const std::string text = calendar_->CellText(Col(), Row());
  if (!text.empty() && Row() >= 1) calendar_->SetDay(std::stoi(text));
}

void TSkCalendGrid::KeyDown(WORD& Key, TShiftState Shift) {
  const TDateTime d = calendar_->CalendarDate();
  const bool plain = Shift.Empty();
  switch (Key) {
    case VK_LEFT:
    case VK_SUBTRACT:
      if (!plain) break;
      calendar_->SetCalendarDate(d - 1);
      return;
    case VK_RIGHT:
    case VK_ADD:
      if (!plain) break;
      calendar_->SetCalendarDate(d + 1);
      return;
    case VK_PRIOR:
      Shift.Contains(ssCtrl) ? calendar_->PrevYear() : calendar_->PrevMonth();
      return;
    case VK_NEXT:
      Shift.Contains(ssCtrl) ? calendar_->NextYear() : calendar_->NextMonth();
      return;
    case VK_UP:
    case VK_DOWN:
      Shift.Exclude(ssCtrl);
      break;
    default:
      break;
  }
  TDrawGrid::KeyDown(Key, Shift);
}

void TSkCalendGrid::KeyPress(char16_t& Key) {
  if (Key == u'T' || Key == u't') {
    calendar_->SetCalendarDate(Date());
    Key = 0;
    return;
  }
  TDrawGrid::KeyPress(Key);
}

void TSkCalendGrid::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_MOUSEMOVE:
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
    case WM_ERASEBKGND:
      if (M.Msg != WM_MOUSEMOVE || !MouseCapture()) return;
      break;
    default:
      break;
  }
  auto alive = AliveToken();
  TDrawGrid::WndProc(M);
  if (alive.expired()) return;
  // A released button on a day and a double click both accept it.
  if (M.Msg == WM_LBUTTONUP) {
    if (OnDblClick) OnDblClick(this);
  } else if (M.Msg == WM_LBUTTONDBLCLK) {
    if (calendar_->OnDblClick) calendar_->OnDblClick(calendar_);
  }
}

void TSkCalendGrid::Resize() {
  SetDefaultColWidth(std::max(1, Width() / 7));
  SetDefaultRowHeight(std::max(1, Height() / 7));
  TDrawGrid::Resize();
}

void TSkCalendGrid::Paint() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  TDrawGrid::Paint();
  // The strip right of the seventh column.
  const RECT strip{ColCount() * DefaultColWidth(), 0, ClientWidth(), ClientHeight()};
  if (strip.right <= strip.left) return;
  TBitmap* cache = calendar_->SkinData()->CacheBmp.get();
  if (calendar_->SkinData()->Skinned() && cache && cache->Width() > 0) {
    Canvas()->CopyRect(strip, cache->Canvas(),
                       RECT{strip.left + Left(), Top(), strip.right + Left(), strip.bottom + Top()});
  } else {
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(strip);
  }
}

void TSkCalendGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
  TCanvas* c = Canvas();
  const std::string text = calendar_->CellText(ACol, ARow);
  const TColor todayColor = MixColors(calendar_->WeekendColor(), clBlack, 0.5);
  const bool selected = AState.Contains(gdSelected);
  const bool skinned = calendar_->SkinData()->Skinned();
  c->Brush()->SetColor(Color());
  c->Font()->Assign(Font());
  if (selected) {
    c->Font()->SetStyle(TFontStyles{fsBold});
    c->Font()->SetColor(clBlack);
  }
  RECT r = ARect;
  if (ACol == 6) r.right = ClientWidth();
  if (ARow == 6) r.bottom = ClientHeight();
  // The ground: the calendar's skin picture, or the grid's colour unskinned.
  TBitmap* cache = calendar_->SkinData()->CacheBmp.get();
  if (skinned && cache && cache->Width() > 0)
    c->CopyRect(r, cache->Canvas(), RECT{r.left + Left(), r.top + Top(), r.right + Left(), r.bottom + Top()});
  else
    c->FillRect(r);
  c->Brush()->SetStyle(bsClear);
  TDateTime cellDate = 0.0;
  const bool dayCell = ARow >= 1 && !text.empty();
  if (dayCell) cellDate = EncodeDate(calendar_->Year(), calendar_->Month(), std::stoi(text));
  if (dayCell && cellDate == Date()) {
    RECT t{r.left + 2, r.top + 1, r.right - 1, r.bottom - 1};
    c->Pen()->SetColor(todayColor);
    c->RoundRect(t.left, t.top, t.right, t.bottom, 2, 2);
    c->Font()->SetColor(todayColor);
  } else if (calendar_->IsWeekend(ACol)) {
    c->Font()->SetColor(calendar_->WeekendColor());
  }
  if (selected && !skinned) c->Brush()->SetColor(Color());
  if (dayCell && calendar_->OnGetCellParams) {
    TColor bg = clFuchsia;  // stands for "no change"
    calendar_->OnGetCellParams(this, cellDate, c->Font(), bg);
    if (bg != clFuchsia) {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(bg);
      c->FillRect(r);
    }
  }
  RECT tr = ARect;
  std::string s = text;
  if (!s.empty()) {
    c->Brush()->SetStyle(bsClear);
    c->TextRect(tr, s, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine, tfNoPrefix});
  }
  if (skinned && selected && c->Brush()->Style() == bsClear)
    DrawDottedFrame(c, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
}

// ---- the calendar -----------------------------------------------------------

TSkMonthCalendar::TSkMonthCalendar(TComponent* AOwner) : TSkPanel(AOwner) {
  skinData_->ClassCode = 59;
  titleBar_ = new TSkDragBar(this);
  titleBar_->SetParent(this);
  titleBar_->OnDblClick = [this](TObject*) { SetCalendarDate(Date()); };
  grid_ = new TSkCalendGrid(this);
  grid_->SetParent(this);
  grid_->OnClick = OnClick;
  grid_->OnDblClick = OnDblClick;
  SetBorderWidth(3);
  SetBevelWidth(1);
  SetCaption(" ");
  date_ = Date();
  UpdateCalendar();
  SetWidth(178);
  SetHeight(139);
  MakeButtons();
}

void TSkMonthCalendar::MakeButtons() {
  static const char* const captions[4] = {"<<", "<", ">", ">>"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new TSkTimerSpeedButton(this);
    b->SkinData()->SetSkinSection("WEBBUTTON");
    b->SetFlat(true);
    b->SetCaption(captions[i]);
    b->SetAlign(i < 2 ? alLeft : alRight);
    b->SetWidth(std::max(1, titleBar_->Height() - 4));
    b->SetParent(titleBar_);
    buttons_[i] = b;
  }
  // Aligned buttons keep the order of their places: "<<" stays left of "<",
  // and on the right ">" is placed from the edge inwards first.
  buttons_[1]->SetLeft(buttons_[0]->Left() + buttons_[0]->Width());
  buttons_[3]->SetLeft(titleBar_->Width());
  buttons_[0]->OnClick = [this](TObject*) { PrevYear(); };
  buttons_[1]->OnClick = [this](TObject*) { PrevMonth(); };
  buttons_[2]->OnClick = [this](TObject*) { NextMonth(); };
  buttons_[3]->OnClick = [this](TObject*) { NextYear(); };
}

void TSkMonthCalendar::Loaded() {
  TSkPanel::Loaded();
  if (!titleBar_->Visible()) return;
  titleBar_->SkinData()->SetSkinManager(skinData_->SkinManager());
  for (auto* b : buttons_) b->SkinData()->SetSkinManager(skinData_->SkinManager());
}

int TSkMonthCalendar::StartDay() const {
  return startOfWeek_ != dowLocaleDefault ? static_cast<int>(startOfWeek_) : LocaleDates().FirstDayOfWeek;
}

int TSkMonthCalendar::Part(int Index) const {
  int y, m, d;
  DecodeDate(date_, y, m, d);
  return Index == 1 ? y : Index == 2 ? m : d;
}

int TSkMonthCalendar::DaysThisMonth() const {
  return DaysInMonthOf(Year(), Month());
}

void TSkMonthCalendar::SetPart(int Index, int Value) {
  if (Value < 1) return;
  int y, m, d;
  DecodeDate(date_, y, m, d);
  switch (Index) {
    case 1:
      if (Value == y || Value > 9999) return;
      y = Value;
      d = std::min(d, DaysInMonthOf(y, m));  // 29 February of a common year
      break;
    case 2:
      if (Value > 12 || Value == m) return;
      m = Value;
      d = std::min(d, DaysInMonthOf(y, m));
      break;
    default:
      if (Value > DaysInMonthOf(y, m) || Value == d) return;
      d = Value;
      break;
  }
  date_ = EncodeDate(y, m, d);
  useCurrentDate_ = false;
  UpdateCalendar(Index == 3);
  Change();
}

void TSkMonthCalendar::SetCalendarDate(TDateTime Value) {
  if (!IsValidDateValue(Value)) return;
  Value = static_cast<double>(static_cast<long long>(Value < 0 ? Value - 0.5 : Value));
  if (Value == date_) return;
  date_ = Value;
  UpdateCalendar();
  Change();
}

void TSkMonthCalendar::SetUseCurrentDate(bool Value) {
  useCurrentDate_ = Value;
  if (!Value) return;
  date_ = Date();
  UpdateCalendar();
}

void TSkMonthCalendar::SetStartOfWeek(TCalDayOfWeek Value) {
  startOfWeek_ = Value;
  UpdateCalendar();
}

void TSkMonthCalendar::SetWeekends(const TDaysOfWeek& Value) {
  weekends_ = Value;
  UpdateCalendar();
}

void TSkMonthCalendar::SetWeekendColor(TColor Value) {
  weekendColor_ = Value;
  grid_->Invalidate();
}

void TSkMonthCalendar::SetShowTitle(bool Value) {
  showTitle_ = Value;
  titleBar_->SetVisible(Value);
  titleBar_->SetParent(Value ? this : nullptr);
}

void TSkMonthCalendar::UpdateCalendar(bool DayOnly) {
  updating_ = true;
  int y, m, d;
  DecodeDate(date_, y, m, d);
  const int w = DayOfWeek(EncodeDate(y, m, 1));
  monthOffset_ = 2 - ((w - (StartDay() + 1) + 7) % 7);
  if (monthOffset_ == 2) monthOffset_ = -5;
  grid_->PlaceCurrent((d - monthOffset_) % 7, (d - monthOffset_) / 7 + 1);
  if (!DayOnly) {
    titleBar_->SetCaption(LocaleDates().LongMonthNames[m - 1] + " " + std::to_string(y));
    grid_->Invalidate();
  }
  updating_ = false;
}

std::string TSkMonthCalendar::CellText(int ACol, int ARow) const {
  if (ARow == 0) return LocaleDates().ShortDayNames[(StartDay() + ACol + 1) % 7];
  const int n = ACol + monthOffset_ + (ARow - 1) * 7;
  return n >= 1 && n <= DaysThisMonth() ? std::to_string(n) : std::string();
}

bool TSkMonthCalendar::IsWeekend(int ACol) const {
  return weekends_.Contains(static_cast<TCalDayOfWeek>((StartDay() + ACol) % 7));
}

// From the month's edge one day over, then the old day cut to the new month.
void TSkMonthCalendar::NextMonth() {
  int y, m, d;
  DecodeDate(date_, y, m, d);
  if (y == 9999 && m == 12) return;
  if (++m > 12) m = 1, ++y;
  SetCalendarDate(EncodeDate(y, m, std::min(d, DaysInMonthOf(y, m))));
}

void TSkMonthCalendar::PrevMonth() {
  int y, m, d;
  DecodeDate(date_, y, m, d);
  if (y == 1 && m == 1) return;
  if (--m < 1) m = 12, --y;
  SetCalendarDate(EncodeDate(y, m, std::min(d, DaysInMonthOf(y, m))));
}

void TSkMonthCalendar::NextYear() {
  int y, m, d;
  DecodeDate(date_, y, m, d);
  if (y >= 9999) return;
  if (m == 2 && d == 29) d = 28;
  SetCalendarDate(EncodeDate(y + 1, m, d));
}

void TSkMonthCalendar::PrevYear() {
  int y, m, d;
  DecodeDate(date_, y, m, d);
  if (y <= 1) return;
  if (m == 2 && d == 29) d = 28;
  SetCalendarDate(EncodeDate(y - 1, m, d));
}

void TSkMonthCalendar::Change() {
  if (OnChange) OnChange(this);
}

// A skin coming or going redraws the month, and the title bar follows.
bool TSkMonthCalendar::SkinRemoved(TMessage& M) {
  TSkPanel::SkinRemoved(M);
  UpdateCalendar();
  grid_->Repaint();
  if (showTitle_) titleBar_->Perform(M.Msg, M.WParam, M.LParam);
  return true;
}

bool TSkMonthCalendar::SkinApplied(TMessage& M) {
  TSkPanel::SkinApplied(M);
  UpdateCalendar();
  grid_->Repaint();
  if (showTitle_) titleBar_->Perform(M.Msg, M.WParam, M.LParam);
  return true;
}

}  // namespace qv
