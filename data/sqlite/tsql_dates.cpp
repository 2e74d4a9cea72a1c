#include "data/sqlite/tsql_dates.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "data/datetime.h"

namespace zv::sqlite {
namespace {

constexpr int64_t kMsPerDay = 86400000;
// Day numbers of 1753-01-01 and 9999-12-31 (days since 1900-01-01).
constexpr int64_t kFirstDay = -53690;
constexpr int64_t kLastDay = 2958463;
// 1899-12-30, the library's day 0, is day -2.
constexpr int64_t kDateValueOffset = 2;

constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// 1900-01-01 counted from 1970-01-01.
constexpr int64_t kDay0 = -25567;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

bool ValidCivil(const CivilDate& c) {
  return c.year >= 1753 && c.year <= 9999 && c.month >= 1 && c.month <= 12 &&
         c.day >= 1 && c.day <= DaysInMonth(c.year, c.month) && c.hour >= 0 &&
         c.hour <= 23 && c.minute >= 0 && c.minute <= 59 && c.second >= 0 &&
         c.second <= 59 && c.millisecond >= 0 && c.millisecond <= 999;
}

int ExpandYear(int year, int digits) {
  if (digits > 2) return year;
  return year < 50 ? 2000 + year : 1900 + year;
}

// A small scanner over the date text.
class Scanner {
 public:
  explicit Scanner(std::string_view t) : t_(t) {}
  bool Done() const { return i_ >= t_.size(); }
  char Peek() const { return Done() ? '\0' : t_[i_]; }
  size_t pos() const { return i_; }
  void Skip() { ++i_; }
  bool Accept(char c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  void SkipBlanks() {
    while (!Done() && (t_[i_] == ' ' || t_[i_] == '\t')) ++i_;
  }
  // Reads up to `max` digits; returns the count read (0: none).
  int Number(int* value, int max = 9) {
    int n = 0;
    *value = 0;
    while (!Done() && n < max && std::isdigit(static_cast<unsigned char>(t_[i_]))) {
      *value = *value * 10 + (t_[i_++] - '0');
      ++n;
    }
    return n;
  }
  std::string Word() {
    std::string w;
    while (!Done() && std::isalpha(static_cast<unsigned char>(t_[i_])))
      w.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(t_[i_++]))));
    return w;
  }

 private:
  std::string_view t_;
  size_t i_ = 0;
};

// "jan", "january", ... -> 1..12; 0 when not a month name.
int MonthFromName(const std::string& w) {
  static constexpr const char* kFull[] = {
      "january", "february", "march",     "april",   "may",      "june",
      "july",    "august",   "september", "october", "november", "december"};
  if (w.size() < 3) return 0;
  for (int m = 0; m < 12; ++m) {
    std::string_view full = kFull[m];
    if (w.size() <= full.size() && full.substr(0, w.size()) == w) return m + 1;
  }
  return 0;
}

// Time: H[H]:MM[:SS[.fff|:fff]] with optional AM/PM, or H AM/PM.
bool ParseTime(Scanner& s, CivilDate* c) {
  int v = 0;
  if (s.Number(&v, 2) == 0) return false;
  c->hour = v;
  bool has_minutes = false;
  if (s.Accept(':')) {
    if (s.Number(&c->minute, 2) == 0) return false;
    has_minutes = true;
    if (s.Accept(':')) {
      if (s.Number(&c->second, 2) == 0) return false;
      if (s.Accept('.')) {
        // A fraction of a second; digits beyond the millisecond are dropped.
        int digits = 0, ms = 0, d = 0;
        while (s.Number(&d, 1) == 1) {
          if (digits < 3) ms = ms * 10 + d;
          ++digits;
        }
        if (digits == 0) return false;
        for (int k = digits; k < 3; ++k) ms *= 10;
        c->millisecond = ms;
      } else if (s.Accept(':')) {
        if (s.Number(&c->millisecond, 3) == 0) return false;
      }
    }
  }
  s.SkipBlanks();
  std::string w = s.Word();
  if (w.empty()) return has_minutes;
  if (w != "am" && w != "pm") return false;
  if (c->hour < 1 || c->hour > 12) return false;
  if (w == "am" && c->hour == 12) c->hour = 0;
  if (w == "pm" && c->hour != 12) c->hour += 12;
  return true;
}

// Optional time after the date: blanks then a time, or 'T' then a time.
bool ParseTrailingTime(Scanner& s, CivilDate* c, bool allow_t) {
  if (s.Done()) return true;
  if (allow_t && s.Accept('T')) return ParseTime(s, c) && s.Done();
  if (s.Peek() != ' ' && s.Peek() != '\t') return false;
  s.SkipBlanks();
  if (s.Done()) return true;
  return ParseTime(s, c) && s.Done();
}

std::optional<SqlDate> Finish(const CivilDate& c) {
  if (!ValidCivil(c)) return std::nullopt;
  return FromCivil(c);
}

std::string Pad2(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

std::string Pad3(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%03d", v);
  return buf;
}

std::string Year(const CivilDate& c, bool century) {
  char buf[8];
  if (century) {
    std::snprintf(buf, sizeof buf, "%04d", c.year);
  } else {
    std::snprintf(buf, sizeof buf, "%02d", c.year % 100);
  }
  return buf;
}

// "hh:miAM" with the hour blank-padded to two places (style 0), or with
// ":ss:mmm" before AM/PM (style 9).
std::string Time12(const CivilDate& c, bool seconds) {
  int h = c.hour % 12 == 0 ? 12 : c.hour % 12;
  char buf[32];
  if (seconds) {
    std::snprintf(buf, sizeof buf, "%2d:%02d:%02d:%03d%s", h, c.minute, c.second,
                  c.millisecond, c.hour < 12 ? "AM" : "PM");
  } else {
    std::snprintf(buf, sizeof buf, "%2d:%02d%s", h, c.minute, c.hour < 12 ? "AM" : "PM");
  }
  return buf;
}

std::string Time24(const CivilDate& c) {
  return Pad2(c.hour) + ":" + Pad2(c.minute) + ":" + Pad2(c.second);
}

std::string DayBlank(int day) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%2d", day);
  return buf;
}

}  // namespace

CivilDate ToCivil(SqlDate date) {
  CivilDate c;
  CivilFromDays(date.day + kDay0, &c.year, &c.month, &c.day);
  c.millisecond = date.ms % 1000;
  c.second = (date.ms / 1000) % 60;
  c.minute = (date.ms / 60000) % 60;
  c.hour = date.ms / 3600000;
  return c;
}

SqlDate FromCivil(const CivilDate& c) {
  SqlDate d;
  d.day = DaysFromCivil(c.year, c.month, c.day) - kDay0;
  d.ms = ((c.hour * 60 + c.minute) * 60 + c.second) * 1000 + c.millisecond;
  return d;
}

SqlDate RoundToTick(SqlDate date) {
  int64_t ms = date.ms;
  int64_t ticks = (ms * 3 + 5) / 10;
  int64_t rounded = (ticks * 10 + 1) / 3;
  if (rounded >= kMsPerDay) return SqlDate{date.day + 1, 0};
  return SqlDate{date.day, static_cast<int32_t>(rounded)};
}

SqlDate RoundToMinute(SqlDate date) {
  int64_t minutes = (date.ms + 29999) / 60000;
  if (minutes >= 1440) return SqlDate{date.day + 1, 0};
  return SqlDate{date.day, static_cast<int32_t>(minutes * 60000)};
}

bool InDatetimeRange(SqlDate date) {
  return date.day >= kFirstDay && date.day <= kLastDay;
}

std::string FormatStoredDate(SqlDate date) {
  CivilDate c = ToCivil(date);
  // Written by hand: this runs for every date a bulk load stores.
  char buf[23];
  auto put = [&](int at, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
      buf[at + i] = static_cast<char>('0' + value % 10);
      value /= 10;
    }
  };
  put(0, c.year, 4);
  buf[4] = '-';
  put(5, c.month, 2);
  buf[7] = '-';
  put(8, c.day, 2);
  buf[10] = ' ';
  put(11, c.hour, 2);
  buf[13] = ':';
  put(14, c.minute, 2);
  buf[16] = ':';
  put(17, c.second, 2);
  buf[19] = '.';
  put(20, c.millisecond, 3);
  return std::string(buf, sizeof buf);
}

std::optional<SqlDate> ParseSqlDate(std::string_view text, DateOrder order) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  std::string_view t = text.substr(b, e - b);
  if (t.empty()) return SqlDate{};
  Scanner s(t);
  CivilDate c;

  if (std::isalpha(static_cast<unsigned char>(s.Peek()))) {
    // Mon DD[,] YYYY [time]
    c.month = MonthFromName(s.Word());
    if (c.month == 0) return std::nullopt;
    s.SkipBlanks();
    if (s.Number(&c.day, 2) == 0) return std::nullopt;
    s.Accept(',');
    s.SkipBlanks();
    int digits = s.Number(&c.year, 4);
    if (digits != 2 && digits != 4) return std::nullopt;
    c.year = ExpandYear(c.year, digits);
    if (!ParseTrailingTime(s, &c, false)) return std::nullopt;
    return Finish(c);
  }

  int a = 0;
  size_t start = s.pos();
  int a_digits = s.Number(&a);
  if (a_digits == 0) return std::nullopt;
  bool time_alone = s.Peek() == ':';
  if (!time_alone && a_digits <= 2) {
    Scanner probe = s;
    probe.SkipBlanks();
    std::string w = probe.Word();
    time_alone = w == "am" || w == "pm";
  }
  if (time_alone) {
    // A time alone.
    Scanner ts(t.substr(start));
    if (!ParseTime(ts, &c) || !ts.Done()) return std::nullopt;
    return Finish(c);
  }
  if (a_digits == 8 || a_digits == 6) {
    // YYYYMMDD or YYMMDD.
    int y = a / 10000;
    c.year = a_digits == 8 ? y : ExpandYear(y, 2);
    c.month = (a / 100) % 100;
    c.day = a % 100;
    if (!ParseTrailingTime(s, &c, false)) return std::nullopt;
    return Finish(c);
  }
  char sep = s.Peek();
  if (sep == ' ') {
    // DD Mon YYYY
    s.SkipBlanks();
    c.month = MonthFromName(s.Word());
    if (c.month == 0 || a_digits > 2) return std::nullopt;
    c.day = a;
    s.SkipBlanks();
    int digits = s.Number(&c.year, 4);
    if (digits != 2 && digits != 4) return std::nullopt;
    c.year = ExpandYear(c.year, digits);
    if (!ParseTrailingTime(s, &c, false)) return std::nullopt;
    return Finish(c);
  }
  if (sep != '/' && sep != '-' && sep != '.') return std::nullopt;
  s.Skip();
  int bv = 0, cv = 0;
  if (std::isalpha(static_cast<unsigned char>(s.Peek()))) {
    // DD-Mon-YYYY
    c.month = MonthFromName(s.Word());
    if (c.month == 0 || !s.Accept(sep)) return std::nullopt;
    c.day = a;
    int digits = s.Number(&c.year, 4);
    if (digits != 2 && digits != 4) return std::nullopt;
    c.year = ExpandYear(c.year, digits);
    if (!ParseTrailingTime(s, &c, false)) return std::nullopt;
    return Finish(c);
  }
  int b_digits = s.Number(&bv, 2);
  if (b_digits == 0 || !s.Accept(sep)) return std::nullopt;
  int c_digits = s.Number(&cv, 4);
  if (c_digits == 0) return std::nullopt;
  if (a_digits == 4 || (order == DateOrder::kYmd && a_digits <= 2)) {
    if (c_digits > 2) return std::nullopt;
    c.year = ExpandYear(a, a_digits);
    c.month = bv;
    c.day = cv;
  } else {
    if (a_digits > 2 || c_digits == 1 || c_digits == 3) return std::nullopt;
    c.year = ExpandYear(cv, c_digits);
    if (order == DateOrder::kDmy) {
      c.day = a;
      c.month = bv;
    } else {
      c.month = a;
      c.day = bv;
    }
  }
  if (!ParseTrailingTime(s, &c, a_digits == 4 && sep == '-')) return std::nullopt;
  return Finish(c);
}

std::optional<SqlDate> DateFromNumber(double days) {
  if (!std::isfinite(days) || days < kFirstDay || days >= kLastDay + 1)
    return std::nullopt;
  double whole = std::floor(days);
  int64_t ms = std::llround((days - whole) * kMsPerDay);
  SqlDate d{static_cast<int64_t>(whole), 0};
  if (ms >= kMsPerDay) {
    d.day += 1;
  } else {
    d.ms = static_cast<int32_t>(ms);
  }
  if (!InDatetimeRange(d)) return std::nullopt;
  return RoundToTick(d);
}

DateValue ToDateValue(SqlDate date) {
  // Days since 1899-12-30; before it the day is negative and the time of
  // day a positive fraction taken away from it.
  double day = static_cast<double>(date.day + kDateValueOffset);
  double time = static_cast<double>(date.ms) / kMsPerDay;
  return DateValue{day < 0 ? day - time : day + time};
}

SqlDate FromDateValue(DateValue value) {
  double whole = std::trunc(value.days);
  int64_t ms = std::llround(std::fabs(value.days - whole) * kMsPerDay);
  SqlDate d{static_cast<int64_t>(whole) - kDateValueOffset, 0};
  if (ms >= kMsPerDay) {
    d.day += 1;
  } else {
    d.ms = static_cast<int32_t>(ms);
  }
  return d;
}

std::optional<std::string> FormatDateStyle(SqlDate date, int style) {
  // The layout of each style. Letters stand for parts of the date, anything
  // else is copied: y the year (two digits, four for the styles from 100),
  // Y the year in four digits, m the month, d the day (two digits each), D
  // the day padded with a blank, n the month's short name, t the time
  // hh:mi:ss, f the milliseconds, h and H the 12-hour time without and with
  // seconds and milliseconds.
  struct StyleLayout {
    int style;
    const char* layout;
  };
  static constexpr StyleLayout kLayouts[] = {
      {0, "n D Y h"},    {1, "m/d/y"},      {2, "y.m.d"},     {3, "d/m/y"},
      {4, "d.m.y"},      {5, "d-m-y"},      {6, "d n y"},     {7, "n d, y"},
      {8, "t"},          {9, "n D Y H"},    {10, "m-d-y"},    {11, "y/m/d"},
      {12, "ymd"},       {13, "d n Y t:f"}, {14, "t:f"},      {20, "Y-m-d t"},
      {21, "Y-m-d t.f"}, {23, "Y-m-d"},     {25, "Y-m-d t.f"}};

  CivilDate c = ToCivil(date);
  if (style == 126) {
    // ISO 8601: the milliseconds only when there are some.
    std::string s = Year(c, true) + "-" + Pad2(c.month) + "-" + Pad2(c.day) + "T" + Time24(c);
    if (c.millisecond != 0) s += "." + Pad3(c.millisecond);
    return s;
  }
  // Styles 100 to 114, 120 and 121 are 0 to 14, 20 and 21 with the century.
  const bool century = style >= 100;
  const int base =
      century && (style <= 114 || style == 120 || style == 121) ? style - 100 : style;
  const char* layout = nullptr;
  for (const StyleLayout& l : kLayouts) {
    if (l.style == base) layout = l.layout;
  }
  if (!layout) return std::nullopt;

  std::string out;
  for (const char* p = layout; *p; ++p) {
    switch (*p) {
      case 'y': out += Year(c, century); break;
      case 'Y': out += Year(c, true); break;
      case 'm': out += Pad2(c.month); break;
      case 'd': out += Pad2(c.day); break;
      case 'D': out += DayBlank(c.day); break;
      case 'n': out += kMonthNames[c.month - 1]; break;
      case 't': out += Time24(c); break;
      case 'f': out += Pad3(c.millisecond); break;
      case 'h': out += Time12(c, false); break;
      case 'H': out += Time12(c, true); break;
      default: out += *p; break;
    }
  }
  return out;
}

std::optional<DateOrder> StyleDateOrder(int style) {
  switch (style % 100) {
    case 1:
    case 10:
      return DateOrder::kMdy;
    case 3:
    case 4:
    case 5:
    case 6:
    case 13:
      return DateOrder::kDmy;
    case 2:
    case 11:
    case 12:
    case 20:
    case 21:
    case 23:
    case 25:
    case 26:
      return DateOrder::kYmd;
    default:
      return std::nullopt;
  }
}

std::optional<DatePart> ParseDatePart(std::string_view name) {
  std::string n;
  for (char ch : name) n.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
  struct Entry {
    const char* name;
    DatePart part;
  };
  static constexpr Entry kParts[] = {
      {"year", DatePart::kYear},           {"yy", DatePart::kYear},
      {"yyyy", DatePart::kYear},           {"quarter", DatePart::kQuarter},
      {"qq", DatePart::kQuarter},          {"q", DatePart::kQuarter},
      {"month", DatePart::kMonth},         {"mm", DatePart::kMonth},
      {"m", DatePart::kMonth},             {"dayofyear", DatePart::kDayOfYear},
      {"dy", DatePart::kDayOfYear},        {"y", DatePart::kDayOfYear},
      {"day", DatePart::kDay},             {"dd", DatePart::kDay},
      {"d", DatePart::kDay},               {"week", DatePart::kWeek},
      {"wk", DatePart::kWeek},             {"ww", DatePart::kWeek},
      {"weekday", DatePart::kWeekday},     {"dw", DatePart::kWeekday},
      {"w", DatePart::kWeekday},           {"hour", DatePart::kHour},
      {"hh", DatePart::kHour},             {"minute", DatePart::kMinute},
      {"mi", DatePart::kMinute},           {"n", DatePart::kMinute},
      {"second", DatePart::kSecond},       {"ss", DatePart::kSecond},
      {"s", DatePart::kSecond},            {"millisecond", DatePart::kMillisecond},
      {"ms", DatePart::kMillisecond}};
  for (const Entry& e : kParts) {
    if (n == e.name) return e.part;
  }
  return std::nullopt;
}

std::optional<SqlDate> DateAdd(DatePart part, int64_t amount, SqlDate date) {
  // Far beyond any valid result; keeps the arithmetic below from overflowing.
  constexpr int64_t kLimit = int64_t{1} << 45;
  if (amount > kLimit || amount < -kLimit) return std::nullopt;
  SqlDate r = date;
  switch (part) {
    case DatePart::kYear:
    case DatePart::kQuarter:
    case DatePart::kMonth: {
      int64_t months = amount * (part == DatePart::kYear      ? 12
                                 : part == DatePart::kQuarter ? 3
                                                              : 1);
      if (months > 200000 || months < -200000) return std::nullopt;
      CivilDate c = ToCivil(date);
      int64_t total = int64_t{c.year} * 12 + (c.month - 1) + months;
      int64_t year = FloorDiv(total, 12);
      if (year < 1753 || year > 9999) return std::nullopt;
      c.year = static_cast<int>(year);
      c.month = static_cast<int>(total - year * 12) + 1;
      int last = DaysInMonth(c.year, c.month);
      if (c.day > last) c.day = last;
      r = FromCivil(c);
      break;
    }
    case DatePart::kDayOfYear:
    case DatePart::kDay:
    case DatePart::kWeekday:
      r.day += amount;
      break;
    case DatePart::kWeek:
      r.day += amount * 7;
      break;
    case DatePart::kHour:
    case DatePart::kMinute:
    case DatePart::kSecond:
    case DatePart::kMillisecond: {
      int64_t unit = part == DatePart::kHour     ? 3600000
                     : part == DatePart::kMinute ? 60000
                     : part == DatePart::kSecond ? 1000
                                                 : 1;
      if (unit > 1 && (amount > kLimit / unit || amount < -kLimit / unit))
        return std::nullopt;
      int64_t total = date.ms + amount * unit;
      r.day += FloorDiv(total, kMsPerDay);
      r.ms = static_cast<int32_t>(total - FloorDiv(total, kMsPerDay) * kMsPerDay);
      r = RoundToTick(r);
      break;
    }
  }
  if (!InDatetimeRange(r)) return std::nullopt;
  return r;
}

int64_t DateDiff(DatePart part, SqlDate a, SqlDate b) {
  switch (part) {
    case DatePart::kYear:
    case DatePart::kQuarter:
    case DatePart::kMonth: {
      CivilDate ca = ToCivil(a), cb = ToCivil(b);
      if (part == DatePart::kYear) return cb.year - ca.year;
      if (part == DatePart::kQuarter)
        return (int64_t{cb.year} * 4 + (cb.month - 1) / 3) -
               (int64_t{ca.year} * 4 + (ca.month - 1) / 3);
      return (int64_t{cb.year} * 12 + cb.month) - (int64_t{ca.year} * 12 + ca.month);
    }
    case DatePart::kDayOfYear:
    case DatePart::kDay:
    case DatePart::kWeekday:
      return b.day - a.day;
    case DatePart::kWeek:
      // Day 0 is a Monday, so day -1 is a Sunday: weeks begin at days -1, 6, 13...
      return FloorDiv(b.day + 1, 7) - FloorDiv(a.day + 1, 7);
    case DatePart::kHour:
      return (b.day * 24 + b.ms / 3600000) - (a.day * 24 + a.ms / 3600000);
    case DatePart::kMinute:
      return (b.day * 1440 + b.ms / 60000) - (a.day * 1440 + a.ms / 60000);
    case DatePart::kSecond:
      return (b.day * 86400 + b.ms / 1000) - (a.day * 86400 + a.ms / 1000);
    case DatePart::kMillisecond:
      return (b.day * kMsPerDay + b.ms) - (a.day * kMsPerDay + a.ms);
  }
  return 0;
}

int DatePartOf(DatePart part, SqlDate date, int date_first) {
  CivilDate c = ToCivil(date);
  auto weekday = [&](int64_t day) {
    int iso = static_cast<int>(((day % 7) + 7) % 7) + 1;  // Monday = 1
    return ((iso - date_first + 7) % 7) + 1;
  };
  switch (part) {
    case DatePart::kYear:
      return c.year;
    case DatePart::kQuarter:
      return (c.month - 1) / 3 + 1;
    case DatePart::kMonth:
      return c.month;
    case DatePart::kDayOfYear:
      return static_cast<int>(date.day - FromCivil(CivilDate{c.year, 1, 1}).day) + 1;
    case DatePart::kDay:
      return c.day;
    case DatePart::kWeek: {
      int64_t jan1 = FromCivil(CivilDate{c.year, 1, 1}).day;
      return static_cast<int>((date.day - jan1 + weekday(jan1) - 1) / 7) + 1;
    }
    case DatePart::kWeekday:
      return weekday(date.day);
    case DatePart::kHour:
      return c.hour;
    case DatePart::kMinute:
      return c.minute;
    case DatePart::kSecond:
      return c.second;
    case DatePart::kMillisecond:
      return c.millisecond;
  }
  return 0;
}

}  // namespace zv::sqlite
