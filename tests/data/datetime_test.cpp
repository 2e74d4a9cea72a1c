// The platform date: days since 1899-12-30 with the time as a fraction,
// negative dates with their time counted away from zero, and the texts.
#include "data/datetime.h"

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <cmath>

namespace zv {
namespace {

DateParts Parts(int y, int mo, int d, int h = 0, int mi = 0, int s = 0,
                int ms = 0) {
  DateParts p;
  p.year = y;
  p.month = mo;
  p.day = d;
  p.hour = h;
  p.minute = mi;
  p.second = s;
  p.millisecond = ms;
  return p;
}

TEST(DateSerial, KnownDays) {
  struct Case {
    DateParts parts;
    double days;
  };
  const Case cases[] = {
      {Parts(1899, 12, 30), 0},
      {Parts(1899, 12, 31), 1},
      {Parts(1900, 1, 1), 2},
      {Parts(1900, 3, 1), 61},
      {Parts(2000, 2, 29), 36585},
      {Parts(2024, 1, 31), 45322},
      {Parts(2024, 1, 31, 12), 45322.5},
      {Parts(2024, 1, 31, 6), 45322.25},
      {Parts(1899, 12, 29), -1},
      {Parts(1899, 12, 29, 6), -1.25},
      {Parts(1800, 1, 1), -36522},
      {Parts(9999, 12, 31), 2958465},
      {Parts(100, 1, 1), -657434},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.days);
    EXPECT_DOUBLE_EQ(MakeDate(c.parts).days, c.days);
    DateParts back = SplitDate(DateValue{c.days});
    EXPECT_EQ(back.year, c.parts.year);
    EXPECT_EQ(back.month, c.parts.month);
    EXPECT_EQ(back.day, c.parts.day);
    EXPECT_EQ(back.hour, c.parts.hour);
    EXPECT_EQ(back.minute, c.parts.minute);
  }
}

TEST(DateSerial, CarriesLikeDateSerial) {
  EXPECT_EQ(MakeDate(Parts(2024, 13, 1)).days,
            MakeDate(Parts(2025, 1, 1)).days);
  EXPECT_EQ(MakeDate(Parts(2024, 0, 1)).days,
            MakeDate(Parts(2023, 12, 1)).days);
  EXPECT_EQ(MakeDate(Parts(2024, 1, 32)).days,
            MakeDate(Parts(2024, 2, 1)).days);
  EXPECT_EQ(MakeDate(Parts(2024, 3, 0)).days,
            MakeDate(Parts(2024, 2, 29)).days);
  EXPECT_EQ(MakeDate(Parts(2024, 1, 1, 24)).days,
            MakeDate(Parts(2024, 1, 2)).days);
}

TEST(DateSerial, MillisecondsRoundTrip) {
  DateParts p = SplitDate(MakeDate(Parts(2023, 7, 15, 23, 59, 59, 999)));
  EXPECT_EQ(p.day, 15);
  EXPECT_EQ(p.hour, 23);
  EXPECT_EQ(p.second, 59);
  EXPECT_EQ(p.millisecond, 999);
  // Half a millisecond before midnight rounds to the next day.
  DateParts q = SplitDate(DateValue{45000 + (86400000 - 0.4) / 86400000.0});
  EXPECT_EQ(q.hour, 0);
  EXPECT_EQ(SplitDate(DateValue{45000}).day + 1, q.day);
}

TEST(DateText, Iso) {
  EXPECT_EQ(FormatIsoDate(DateValue{45322}), "2024-01-31 00:00:00");
  EXPECT_EQ(FormatIsoDate(MakeDate(Parts(2024, 1, 31, 10, 5, 7))),
            "2024-01-31 10:05:07");
  EXPECT_EQ(FormatIsoDate(MakeDate(Parts(2024, 1, 31, 10, 5, 7, 40))),
            "2024-01-31 10:05:07.040");
  EXPECT_EQ(FormatIsoDate(DateValue{-1.25}), "1899-12-29 06:00:00");
}

TEST(DateText, Parse) {
  struct Case {
    const char* text;
    const char* iso;  // nullptr: not a date
  };
  const Case cases[] = {
      {"2024-01-31", "2024-01-31 00:00:00"},
      {" 2024-1-5 ", "2024-01-05 00:00:00"},
      {"2024-01-31 10:00", "2024-01-31 10:00:00"},
      {"2024-01-31 10:00:05", "2024-01-31 10:00:05"},
      {"2024-01-31 10:00:05.25", "2024-01-31 10:00:05.250"},
      {"2024-01-31T10:00:05", "2024-01-31 10:00:05"},
      {"20240131", "2024-01-31 00:00:00"},
      {"31/01/2024", "2024-01-31 00:00:00"},
      {"1/2/2024 8:30", "2024-02-01 08:30:00"},
      {"10:30:00", "1899-12-30 10:30:00"},
      {"2024-02-30", nullptr},
      {"2023-02-29", nullptr},
      {"2024-13-01", nullptr},
      {"2024-01-31 24:00", nullptr},
      {"2024-01-31 10:60", nullptr},
      {"2024/01/31", nullptr},
      {"31/01/24", nullptr},
      {"", nullptr},
      {"abc", nullptr},
      {"2024-01-31 x", nullptr},
      {"20241301", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto d = ParseDate(c.text);
    if (c.iso == nullptr) {
      EXPECT_FALSE(d.has_value());
    } else {
      ASSERT_TRUE(d.has_value());
      EXPECT_EQ(FormatIsoDate(*d), c.iso);
    }
  }
}

TEST(DateCalendar, DaysInMonth) {
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2024, 4), 30);
  EXPECT_EQ(DaysInMonth(2024, 12), 31);
  EXPECT_EQ(DaysInMonth(2024, 13), 0);
}

// Day numbers of the proleptic Gregorian calendar: fixed points, and every
// day from 1600 to 2401 one after the other, across the leap rules of the
// centuries (1700, 1800, 1900 and 2100 are not leap years, 2000 is).
TEST(DateCalendar, CivilDaysCountEveryDayOnce) {
  EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(DaysFromCivil(1899, 12, 30), -25569);
  EXPECT_EQ(DaysFromCivil(1900, 1, 1), -25567);
  EXPECT_EQ(DaysFromCivil(1753, 1, 1), -79257);
  EXPECT_EQ(DaysFromCivil(9999, 12, 31), 2932896);
  EXPECT_EQ(DaysFromCivil(-1, 12, 31), -719529);

  int y = 0, m = 0, d = 0;
  CivilFromDays(DaysFromCivil(1600, 1, 1) - 1, &y, &m, &d);
  ASSERT_EQ(y * 10000 + m * 100 + d, 15991231);
  for (int64_t day = DaysFromCivil(1600, 1, 1); day <= DaysFromCivil(2401, 1, 1); ++day) {
    const int py = y, pm = m, pd = d;
    CivilFromDays(day, &y, &m, &d);
    const bool next_day = y == py && m == pm && d == pd + 1;
    const bool next_month = d == 1 && pd == DaysInMonth(py, pm) &&
                            ((y == py && m == pm + 1) || (y == py + 1 && m == 1 && pm == 12));
    ASSERT_TRUE(next_day || next_month) << y << "-" << m << "-" << d;
    ASSERT_EQ(DaysFromCivil(y, m, d), day);
  }
}

TEST(DateCalendar, NowIsRecent) {
  DateParts p = SplitDate(Now());
  EXPECT_GE(p.year, 2024);
  EXPECT_LE(p.year, 2200);
}

RC_GTEST_PROP(DateProperties, SplitInvertsMake, ()) {
  int y = *rc::gen::inRange(1900, 10000);
  int mo = *rc::gen::inRange(1, 13);
  int d = *rc::gen::inRange(1, DaysInMonth(y, mo) + 1);
  int h = *rc::gen::inRange(0, 24), mi = *rc::gen::inRange(0, 60);
  int s = *rc::gen::inRange(0, 60), ms = *rc::gen::inRange(0, 1000);
  DateParts p = SplitDate(MakeDate(Parts(y, mo, d, h, mi, s, ms)));
  RC_ASSERT(p.year == y && p.month == mo && p.day == d);
  RC_ASSERT(p.hour == h && p.minute == mi && p.second == s &&
            p.millisecond == ms);
  auto parsed =
      ParseDate(FormatIsoDate(MakeDate(Parts(y, mo, d, h, mi, s, ms))));
  RC_ASSERT(parsed.has_value());
  RC_ASSERT(std::fabs(parsed->days -
                      MakeDate(Parts(y, mo, d, h, mi, s, ms)).days) < 1e-9);
}

}  // namespace
}  // namespace zv
