// Calendar arithmetic on the platform's date value (days since 1899-12-30,
// fraction = time of day).
#ifndef ZV_DATA_DATETIME_H_
#define ZV_DATA_DATETIME_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/variant.h"

namespace zv {

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Months and days out of range carry over as DateSerial does (month 13 is
// January of the next year, day 0 the last day of the month before).
DateValue MakeDate(const DateParts& parts);
DateParts SplitDate(DateValue date);
// "YYYY-MM-DD HH:MM:SS" (".mmm" appended when the milliseconds are not 0).
std::string FormatIsoDate(DateValue date);
// Parses "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.mmm]]", "YYYYMMDD",
// "YYYY-MM-DDTHH:MM:SS", "DD/MM/YYYY [HH:MM[:SS]]" and a time alone
// "HH:MM[:SS]" (on 1899-12-30). Blanks around are allowed; years 100..9999;
// an impossible date (2023-02-29) is nullopt.
std::optional<DateValue> ParseDate(std::string_view text);
// The current local date and time.
DateValue Now();
int DaysInMonth(int year, int month);

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar, and
// back. Integer arithmetic, exact for any year that fits an int; month and
// day must be in range (no carry-over, unlike MakeDate).
int64_t DaysFromCivil(int64_t year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);

}  // namespace zv

#endif  // ZV_DATA_DATETIME_H_
