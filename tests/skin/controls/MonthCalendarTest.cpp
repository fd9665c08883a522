// The month calendar: week rows checked against a plain day-by-day calendar
// for every first day of the week, day names and weekends, date parts and
// navigation over month ends and 29 February, grid keys, read-only cells,
// and the cells on screen unskinned and skinned.
#include <gtest/gtest.h>

#include "platform/DateFormat.h"
#include "platform/LocaleDates.h"
#include "platform/window/Input.h"
#include "skin/controls/skDateUtils.h"
#include "skin/controls/skMonthCalendar.h"
#include "skin/controls/skPopupClndr.h"
#include "skin/controls/skSpeedButton.h"
#include "skin/controls/skTooledit.h"
#include "skin/skColors.h"
#include "tests/skin/TestSkins.h"
#include "tests/skin/controls/BarsSkin.h"

namespace qv::test {
namespace {

class MonthCalendar : public SkinnedControlsTest {
 protected:
  void SetUp() override {
    SkinnedControlsTest::SetUp();
    SetLocaleDates(TLocaleDates::English());
    cal = new TSkMonthCalendar(form);
    cal->SetParent(form);
    cal->SetLeft(10);
    cal->SetTop(10);
    backend.Pump();
  }
  TDateTime At(int y, int m, int d) { return EncodeDate(y, m, d); }
  void Key(WORD key, TShiftState shift = {}) { cal->Grid()->KeyDown(key, shift); }
  TSkMonthCalendar* cal = nullptr;
};

TEST_F(MonthCalendar, WeekRowsMatchADayByDayCalendar) {
  EXPECT_EQ(cal->Width(), 178);
  EXPECT_EQ(cal->Height(), 139);
  EXPECT_EQ(cal->CalendarDate(), Date());
  for (int start = 0; start < 7; ++start) {
    cal->SetStartOfWeek(static_cast<TCalDayOfWeek>(start));
    for (int month = 1; month <= 14; ++month) {  // first days on every weekday, leap February
      const int y = 2023 + (month - 1) / 12, m = (month - 1) % 12 + 1;
      cal->SetCalendarDate(At(y, m, 1));
      // Walk the days: column by weekday (Monday = 0) from the start day.
      std::map<std::pair<int, int>, int> want;
      int row = 1;
      for (int d = 1; d <= DaysInMonthOf(y, m); ++d) {
        const int mon0 = (DayOfWeek(At(y, m, d)) + 5) % 7;
        const int col = (mon0 - start + 7) % 7;
        if (d > 1 && col == 0) ++row;
        want[{col, row}] = d;
      }
      for (int r = 1; r < 8; ++r)
        for (int c = 0; c < 7; ++c) {
          auto it = want.find({c, r});
          ASSERT_EQ(cal->CellText(c, r), it == want.end() ? "" : std::to_string(it->second))
              << "start " << start << " " << y << "-" << m << " cell " << c << "," << r;
        }
    }
  }
  // A month starting on Sunday with Monday first: day 1 in the last column.
  cal->SetStartOfWeek(dowMonday);
  cal->SetCalendarDate(At(2023, 10, 1));
  EXPECT_EQ(cal->CellText(6, 1), "1");
  EXPECT_EQ(cal->Grid()->Col(), 6);
  EXPECT_EQ(cal->Grid()->Row(), 1);
  EXPECT_EQ(cal->TitleBar()->Caption(), "October 2023");
}

TEST_F(MonthCalendar, DayNamesWeekendsAndTheLocaleStart) {
  cal->SetStartOfWeek(dowMonday);
  EXPECT_EQ(cal->CellText(0, 0), "Mon");
  EXPECT_EQ(cal->CellText(6, 0), "Sun");
  EXPECT_TRUE(cal->IsWeekend(6));
  EXPECT_FALSE(cal->IsWeekend(5));
  cal->SetWeekends({dowSaturday, dowSunday});
  EXPECT_TRUE(cal->IsWeekend(5));
  TLocaleDates l = TLocaleDates::English();
  l.FirstDayOfWeek = 6;  // Sunday
  SetLocaleDates(l);
  cal->SetStartOfWeek(dowLocaleDefault);
  EXPECT_EQ(cal->CellText(0, 0), "Sun");
  EXPECT_TRUE(cal->IsWeekend(0));
}

TEST_F(MonthCalendar, PartsAndNavigationOverMonthEnds) {
  int changes = 0;
  cal->OnChange = [&](TObject*) { ++changes; };
  cal->SetCalendarDate(At(2024, 2, 29));
  cal->NextYear();
  EXPECT_EQ(cal->CalendarDate(), At(2025, 2, 28));
  cal->SetCalendarDate(At(2024, 3, 31));
  cal->PrevMonth();
  EXPECT_EQ(cal->CalendarDate(), At(2024, 2, 29));
  cal->SetCalendarDate(At(2023, 3, 31));
  cal->PrevMonth();
  EXPECT_EQ(cal->CalendarDate(), At(2023, 2, 28));
  cal->SetCalendarDate(At(2023, 12, 31));
  cal->NextMonth();
  EXPECT_EQ(cal->CalendarDate(), At(2024, 1, 31));
  cal->SetCalendarDate(At(2024, 1, 15));
  cal->PrevYear();
  EXPECT_EQ(cal->CalendarDate(), At(2023, 1, 15));
  // Setting parts: the year on 29 February keeps a real day.
  cal->SetCalendarDate(At(2024, 2, 29));
  changes = 0;
  cal->SetYear(2023);
  EXPECT_EQ(cal->CalendarDate(), At(2023, 2, 28));
  EXPECT_FALSE(cal->UseCurrentDate());
  cal->SetMonth(1);
  cal->SetDay(31);
  cal->SetMonth(4);
  EXPECT_EQ(cal->CalendarDate(), At(2023, 4, 30));
  EXPECT_EQ(changes, 4);
  cal->SetDay(31);  // beyond April: ignored
  cal->SetMonth(13);
  cal->SetYear(0);
  cal->SetDay(30);  // unchanged: no change event
  EXPECT_EQ(cal->CalendarDate(), At(2023, 4, 30));
  EXPECT_EQ(changes, 4);
  cal->SetUseCurrentDate(true);
  EXPECT_EQ(cal->CalendarDate(), Date());
}

TEST_F(MonthCalendar, GridKeysAndReadOnlyCells) {
  cal->SetCalendarDate(At(2024, 3, 1));
  Key(VK_LEFT);
  EXPECT_EQ(cal->CalendarDate(), At(2024, 2, 29));
  Key(VK_ADD);
  Key(VK_RIGHT);
  EXPECT_EQ(cal->CalendarDate(), At(2024, 3, 2));
  cal->SetCalendarDate(At(2024, 1, 31));
  Key(VK_ADD);
  EXPECT_EQ(cal->CalendarDate(), At(2024, 2, 1));
  Key(VK_PRIOR, TShiftState{ssCtrl});
  EXPECT_EQ(cal->CalendarDate(), At(2023, 2, 1));
  Key(VK_NEXT);
  EXPECT_EQ(cal->CalendarDate(), At(2023, 3, 1));
  // Down moves a week through the grid's own movement and its click.
  Key(VK_DOWN, TShiftState{ssCtrl});
  EXPECT_EQ(cal->CalendarDate(), At(2023, 3, 8));
  char16_t t = u't';
  cal->Grid()->KeyPress(t);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(cal->CalendarDate(), Date());
  // Read-only: the grid's movement cannot select another day.
  cal->SetCalendarDate(At(2023, 3, 8));
  cal->ReadOnly = true;
  Key(VK_DOWN);
  EXPECT_EQ(cal->CalendarDate(), At(2023, 3, 8));
  // A click on a cell of no day changes nothing.
  cal->ReadOnly = false;
  cal->SetStartOfWeek(dowMonday);
  backend.Pump();
  const RECT r = cal->Grid()->CellRect(0, 1);  // 1 March 2023 is a Wednesday
  const POINT p = cal->Grid()->ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  backend.Click(p.x, p.y);
  backend.Pump();
  EXPECT_EQ(cal->CalendarDate(), At(2023, 3, 8));
  const RECT r2 = cal->Grid()->CellRect(4, 1);
  const POINT p2 = cal->Grid()->ClientToScreen(POINT{(r2.left + r2.right) / 2, (r2.top + r2.bottom) / 2});
  backend.Click(p2.x, p2.y);
  backend.Pump();
  EXPECT_EQ(cal->CalendarDate(), At(2023, 3, 3));
}

// Counts pixels inside a cell of the grid on screen that pass a test.
template <class Test>
int CountIf(const Surface& s, TControl* grid, const RECT& r, Test test) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const POINT p = grid->ClientToScreen(POINT{x, y});
      n += test(s.At(p.x, p.y));
    }
  return n;
}
int CountIn(const Surface& s, TControl* grid, const RECT& r, uint32_t rgb) {
  return CountIf(s, grid, r, [&](uint32_t px) { return (px & 0xFFFFFF) == rgb; });
}
// Text pixels: red ones (any shade) and dark grey to black ones.
bool Reddish(uint32_t px) {
  return PixelR(px) > 100 && PixelG(px) < PixelR(px) / 2 && PixelB(px) < PixelR(px) / 2;
}
bool Dark(uint32_t px) {
  return PixelR(px) < 90 && PixelG(px) < 90 && PixelB(px) < 90;
}

TEST_F(MonthCalendar, CellsOnScreenUnskinnedAndSkinned) {
  cal->SetStartOfWeek(dowMonday);
  cal->SetCalendarDate(At(2023, 3, 8));
  TColor asked = 0;
  cal->OnGetCellParams = [&](TObject*, TDateTime d, TFont*, TColor& bg) {
    if (d == At(2023, 3, 16)) bg = clLime;  // the others keep "no change"
    asked = bg;
  };
  backend.Pump();
  TSkCalendGrid* g = cal->Grid();
  Surface shot = backend.Screenshot();
  const uint32_t face = Rgb(clBtnFace);
  // An empty cell shows the grid's colour; a weekend day has red text.
  EXPECT_EQ(CountIn(shot, g, g->CellRect(0, 1), face),
            (g->CellRect(0, 1).right - g->CellRect(0, 1).left) *
                (g->CellRect(0, 1).bottom - g->CellRect(0, 1).top));
  EXPECT_GT(CountIf(shot, g, g->CellRect(6, 1), Reddish), 3);  // Sunday 5 March
  EXPECT_EQ(CountIf(shot, g, g->CellRect(6, 1), Dark), 0);
  EXPECT_EQ(CountIf(shot, g, g->CellRect(5, 1), Reddish), 0);
  // The chosen Thursday 16 March is filled; its neighbours are not.
  const RECT lime = g->CellRect(3, 3);
  EXPECT_GT(CountIn(shot, g, lime, Rgb(clLime)), (lime.right - lime.left) * (lime.bottom - lime.top) / 2);
  EXPECT_EQ(CountIn(shot, g, g->CellRect(2, 3), Rgb(clLime)), 0);
  EXPECT_NE(asked, 0u);
  // The selected day is drawn in black (bold) text.
  EXPECT_GT(CountIf(shot, g, g->CellRect(2, 2), Dark), 3);
  // Today is outlined in the darkened weekend colour.
  cal->SetCalendarDate(Date());
  cal->SetCalendarDate(Date() + 40);
  cal->SetCalendarDate(Date());
  backend.Pump();
  shot = backend.Screenshot();
  const int d = cal->Day(), col = (d - cal->MonthOffset()) % 7, row = (d - cal->MonthOffset()) / 7 + 1;
  const uint32_t todayRgb = Rgb(MixColors(clRed, clBlack, 0.5));
  EXPECT_GT(CountIn(shot, g, g->CellRect(col, row), todayRgb), 8);

  // Skinned: the panel's skin shows under the cells.
  manager = std::make_unique<TSkinManager>(nullptr);
  manager->SetSkinDirectory(MakeTestSkins(dir));
  manager->SetSkinName("TestSkin");
  manager->SetCommonSections({"[PANEL]", "COLOR=16711680"});  // blue
  cal->SkinData()->SetSkinManager(manager.get());
  cal->SetCalendarDate(At(2023, 3, 8));
  backend.Pump();
  ASSERT_TRUE(cal->SkinData()->Skinned(true));
  shot = backend.Screenshot();
  const RECT empty = g->CellRect(0, 1);
  EXPECT_GT(CountIn(shot, g, empty, Rgb(clBlue)),
            (empty.right - empty.left) * (empty.bottom - empty.top) / 2);
}

TEST_F(MonthCalendar, TitleButtonsAndDoubleClickOnTheTitle) {
  cal->SetCalendarDate(At(2024, 2, 29));
  backend.Pump();
  auto click = [&](TControl* c) {
    const POINT p = c->ClientToScreen(POINT{c->Width() / 2, c->Height() / 2});
    backend.Click(p.x, p.y);
    backend.Pump();
  };
  EXPECT_EQ(cal->TitleBar()->Caption(), "February 2024");
  EXPECT_EQ(cal->NavButton(0)->Caption(), "<<");
  EXPECT_LT(cal->NavButton(1)->Left(), cal->NavButton(2)->Left());
  click(cal->NavButton(3));  // ">>"
  EXPECT_EQ(cal->CalendarDate(), At(2025, 2, 28));
  click(cal->NavButton(2));  // ">"
  EXPECT_EQ(cal->CalendarDate(), At(2025, 3, 28));
  click(cal->NavButton(1));  // "<"
  click(cal->NavButton(1));
  EXPECT_EQ(cal->CalendarDate(), At(2025, 1, 28));
  click(cal->NavButton(0));  // "<<"
  EXPECT_EQ(cal->CalendarDate(), At(2024, 1, 28));
  EXPECT_EQ(cal->TitleBar()->Caption(), "January 2024");
  cal->TitleBar()->Perform(WM_LBUTTONDBLCLK, 0, MAKELPARAM(60, 5));
  EXPECT_EQ(cal->CalendarDate(), Date());
  cal->SetShowTitle(false);
  EXPECT_FALSE(cal->TitleBar()->Visible());
}

TEST_F(MonthCalendar, TheEditHandsItsSettingsAndSkinToThePopup) {
  LoadSkin();
  auto* edit = new TSkDateEdit(form);
  edit->SetParent(form);
  edit->SetBounds(250, 20, 120, 21);
  edit->SetCalendarHints({"Previous year", "Previous month", "Next month", "Next year", "extra"});
  EXPECT_EQ(edit->CalendarHints().size(), 4u);
  edit->SetWeekends({dowSaturday});
  edit->SetWeekendColor(clBlue);
  edit->SetStartOfWeek(dowWednesday);
  backend.Pump();
  edit->PopupDropDown();
  TSkPopupCalendar* popup = edit->Calendar();
  ASSERT_NE(popup, nullptr);
  TSkMonthCalendar* c = popup->Calendar();
  EXPECT_EQ(c->StartOfWeek(), dowWednesday);
  EXPECT_TRUE(c->Weekends() == TDaysOfWeek{dowSaturday});
  EXPECT_EQ(c->WeekendColor(), clBlue);
  EXPECT_EQ(c->NavButton(3)->Hint(), "Next year");
  EXPECT_EQ(c->CalendarDate(), Date());  // a blank edit opens on today
  EXPECT_EQ(popup->Color(), manager->GetGlobalColor());
  edit->SetStartOfWeek(dowFriday);  // an open popup follows
  EXPECT_EQ(c->StartOfWeek(), dowFriday);
  popup->Cancel();
  Application->ProcessMessages();
  EXPECT_EQ(edit->Popup, nullptr);
}

}  // namespace
}  // namespace qv::test
