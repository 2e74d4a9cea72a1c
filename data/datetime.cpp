// Calendar arithmetic on the platform date: whole days since 1899-12-30 plus
// the time of day as a fraction. Before 1899-12-30 the platform writes the
// day negative and the time as a positive fraction subtracted from it:
// -1.25 is 1899-12-29 06:00.
#include "data/datetime.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace zv {
namespace {

const int64_t kEpoch = DaysFromCivil(1899, 12, 30);
constexpr int64_t kMsPerDay = 86400000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads exactly `count` digits at text[*i].
bool ReadFixed(std::string_view text, size_t* i, int count, int* out) {
  if (*i + count > text.size()) return false;
  int v = 0;
  for (int k = 0; k < count; ++k) {
    char c = text[*i + k];
    if (!IsDigit(c)) return false;
    v = v * 10 + (c - '0');
  }
  *i += count;
  *out = v;
  return true;
}

// Reads 1 or 2 digits.
bool ReadShort(std::string_view text, size_t* i, int* out) {
  if (*i >= text.size() || !IsDigit(text[*i])) return false;
  int v = text[(*i)++] - '0';
  if (*i < text.size() && IsDigit(text[*i])) v = v * 10 + (text[(*i)++] - '0');
  *out = v;
  return true;
}

bool Consume(std::string_view text, size_t* i, char c) {
  if (*i < text.size() && text[*i] == c) {
    ++*i;
    return true;
  }
  return false;
}

// "HH:MM[:SS[.mmm]]" from text[*i] to the end.
bool ReadTime(std::string_view text, size_t* i, DateParts* p) {
  if (!ReadShort(text, i, &p->hour) || !Consume(text, i, ':') ||
      !ReadShort(text, i, &p->minute))
    return false;
  if (Consume(text, i, ':')) {
    if (!ReadShort(text, i, &p->second)) return false;
    if (Consume(text, i, '.')) {
      int ms = 0, digits = 0;
      while (*i < text.size() && IsDigit(text[*i])) {
        if (digits < 3) {
          ms = ms * 10 + (text[*i] - '0');
          ++digits;
        }
        ++*i;
      }
      if (digits == 0) return false;
      while (digits < 3) {
        ms *= 10;
        ++digits;
      }
      p->millisecond = ms;
    }
  }
  return *i == text.size();
}

bool Valid(const DateParts& p) {
  return p.year >= 100 && p.year <= 9999 && p.month >= 1 && p.month <= 12 &&
         p.day >= 1 && p.day <= DaysInMonth(p.year, p.month) && p.hour >= 0 &&
         p.hour <= 23 && p.minute >= 0 && p.minute <= 59 && p.second >= 0 &&
         p.second <= 59 && p.millisecond >= 0 && p.millisecond <= 999;
}

}  // namespace

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2) {
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
  }
  return kDays[month - 1];
}

// H. Hinnant's days_from_civil and civil_from_days.
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

DateValue MakeDate(const DateParts& p) {
  // Month overflow is carried into the year (month 13 is January next year),
  // day overflow into the following days, as DateSerial does.
  int64_t y = p.year, m = p.month - 1;
  y += m >= 0 ? m / 12 : (m - 11) / 12;
  m = ((m % 12) + 12) % 12;
  int64_t days =
      DaysFromCivil(y, static_cast<int>(m + 1), 1) + (p.day - 1) - kEpoch;
  int64_t ms =
      ((static_cast<int64_t>(p.hour) * 60 + p.minute) * 60 + p.second) * 1000 +
      p.millisecond;
  // Times outside one day carry into the days.
  int64_t carry =
      ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
  days += carry;
  ms -= carry * kMsPerDay;
  double frac = static_cast<double>(ms) / kMsPerDay;
  if (days < 0) return DateValue{static_cast<double>(days) - frac};
  return DateValue{static_cast<double>(days) + frac};
}

DateParts SplitDate(DateValue date) {
  double v = date.days;
  double whole = std::trunc(v);
  double frac = std::fabs(v - whole);
  int64_t ms = std::llround(frac * kMsPerDay);
  int64_t days = static_cast<int64_t>(whole);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    days += v < 0 ? -1 : 1;
  }
  DateParts p;
  CivilFromDays(days + kEpoch, &p.year, &p.month, &p.day);
  p.millisecond = static_cast<int>(ms % 1000);
  int64_t secs = ms / 1000;
  p.second = static_cast<int>(secs % 60);
  p.minute = static_cast<int>((secs / 60) % 60);
  p.hour = static_cast<int>(secs / 3600);
  return p;
}

std::string FormatIsoDate(DateValue date) {
  DateParts p = SplitDate(date);
  char buf[48];
  if (p.millisecond != 0) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.year,
                  p.month, p.day, p.hour, p.minute, p.second, p.millisecond);
  } else {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year,
                  p.month, p.day, p.hour, p.minute, p.second);
  }
  return buf;
}

std::optional<DateValue> ParseDate(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  std::string_view t = text.substr(b, e - b);
  DateParts p;
  size_t i = 0;
  if (t.size() == 8 && ReadFixed(t, &i, 4, &p.year) &&
      ReadFixed(t, &i, 2, &p.month) && ReadFixed(t, &i, 2, &p.day)) {
    // YYYYMMDD
  } else {
    i = 0;
    p = DateParts();
    int a = 0;
    if (ReadFixed(t, &i, 4, &p.year) && Consume(t, &i, '-')) {
      // YYYY-MM-DD
      if (!ReadShort(t, &i, &p.month) || !Consume(t, &i, '-') ||
          !ReadShort(t, &i, &p.day))
        return std::nullopt;
    } else {
      i = 0;
      p = DateParts();
      if (!ReadShort(t, &i, &a)) return std::nullopt;
      if (Consume(t, &i, '/')) {
        // DD/MM/YYYY
        p.day = a;
        if (!ReadShort(t, &i, &p.month) || !Consume(t, &i, '/') ||
            !ReadFixed(t, &i, 4, &p.year))
          return std::nullopt;
      } else if (t.size() > i && t[i] == ':') {
        // A time alone: the date is 1899-12-30.
        i = 0;
        if (!ReadTime(t, &i, &p) || !Valid(p)) return std::nullopt;
        return MakeDate(p);
      } else {
        return std::nullopt;
      }
    }
    if (i < t.size()) {
      if (t[i] != ' ' && t[i] != 'T') return std::nullopt;
      ++i;
      while (t[i - 1] == ' ' && i < t.size() && t[i] == ' ') ++i;
      if (!ReadTime(t, &i, &p)) return std::nullopt;
    }
  }
  if (!Valid(p)) return std::nullopt;
  return MakeDate(p);
}

DateValue Now() {
  auto now = std::chrono::system_clock::now();
  auto ms_total = std::chrono::duration_cast<std::chrono::milliseconds>(
                      now.time_since_epoch())
                      .count();
  std::time_t secs = static_cast<std::time_t>(ms_total / 1000);
  std::tm tm{};
  localtime_r(&secs, &tm);
  DateParts p;
  p.year = tm.tm_year + 1900;
  p.month = tm.tm_mon + 1;
  p.day = tm.tm_mday;
  p.hour = tm.tm_hour;
  p.minute = tm.tm_min;
  p.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  p.millisecond = static_cast<int>(ms_total % 1000);
  return MakeDate(p);
}

}  // namespace zv
