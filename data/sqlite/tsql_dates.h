// DATETIME values as the embedded engine handles them: stored as the text
// 'YYYY-MM-DD HH:MM:SS.mmm', computed on as a day number and milliseconds,
// with the conversions, styles and date-part arithmetic of T-SQL.
#ifndef ZV_DATA_SQLITE_TSQL_DATES_H_
#define ZV_DATA_SQLITE_TSQL_DATES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/sqlite/database.h"
#include "data/variant.h"

namespace zv::sqlite {

// A point in time: days since 1900-01-01 (T-SQL's day 0) and milliseconds
// into the day (0..86399999).
struct SqlDate {
  int64_t day = 0;
  int32_t ms = 0;
  friend bool operator==(const SqlDate&, const SqlDate&) = default;
};

struct CivilDate {
  int year = 1900, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

CivilDate ToCivil(SqlDate date);
// Requires a valid calendar date and time.
SqlDate FromCivil(const CivilDate& civil);

// DATETIME keeps time in ticks of 1/300 second: milliseconds are rounded
// to .000, .003 or .007 (23:59:59.999 becomes the next day).
SqlDate RoundToTick(SqlDate date);
// SMALLDATETIME: rounded to the minute.
SqlDate RoundToMinute(SqlDate date);
// True within DATETIME's range, 1753-01-01 to 9999-12-31.
bool InDatetimeRange(SqlDate date);

// 'YYYY-MM-DD HH:MM:SS.mmm'.
std::string FormatStoredDate(SqlDate date);

// Reads a text as T-SQL converts a string to DATETIME: 'YYYY-MM-DD[ time]',
// 'YYYY-MM-DDTHH:MM:SS[.mmm]', 'YYYYMMDD[ time]', 'YYMMDD', numeric dates
// with '/', '-' or '.' in the session's date order (a four-digit first
// number is always year-month-day), English month names ('Aug 31 2006',
// '31 August 2006'), a time alone (on 1900-01-01) with optional AM/PM, and
// '' (1900-01-01). Two-digit years below 50 are 20xx. Returns nullopt for
// anything else or a date outside DATETIME's range. The stored text is
// always read year-month-day.
std::optional<SqlDate> ParseSqlDate(std::string_view text, DateOrder order);

// A number as T-SQL converts it to DATETIME: days since 1900-01-01, the
// fraction being the time of day.
std::optional<SqlDate> DateFromNumber(double days);

// The library's date value and back (days since 1899-12-30).
DateValue ToDateValue(SqlDate date);
SqlDate FromDateValue(DateValue value);

// CONVERT(varchar, date, style) for styles 0-14, 20-23, 25, 100-114, 120,
// 121 and 126; nullopt for other styles.
std::optional<std::string> FormatDateStyle(SqlDate date, int style);
// The date order CONVERT(datetime, text, style) reads with (nullopt: the
// session's).
std::optional<DateOrder> StyleDateOrder(int style);

enum class DatePart {
  kYear, kQuarter, kMonth, kDayOfYear, kDay, kWeek, kWeekday, kHour,
  kMinute, kSecond, kMillisecond
};
// "year", "yy", "yyyy", "mm", "dd", "wk", "dw", "hh", "mi", "n", "ss",
// "ms", ... case-insensitive.
std::optional<DatePart> ParseDatePart(std::string_view name);

// DATEADD; nullopt when the result leaves DATETIME's range. Adding months
// or years keeps the day, clamped to the end of the target month.
std::optional<SqlDate> DateAdd(DatePart part, int64_t amount, SqlDate date);
// DATEDIFF: the number of part boundaries crossed from a to b (weeks start
// on Sunday whatever the first day of the week is).
int64_t DateDiff(DatePart part, SqlDate a, SqlDate b);
// DATEPART with the session's first day of the week (1 = Monday .. 7 =
// Sunday).
int DatePartOf(DatePart part, SqlDate date, int date_first);

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_TSQL_DATES_H_
