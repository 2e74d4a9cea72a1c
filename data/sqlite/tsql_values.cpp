#include "data/sqlite/tsql_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/error.h"

namespace zv::sqlite {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

Decimal PowerOfTen(int exponent) {
  Decimal p = 1;
  for (int i = 0; i < exponent; ++i) p *= Decimal(10);
  return p;
}

}  // namespace

bool ShortDecimalFromReal(double value, int64_t* unscaled, int* scale) {
  // The double nearest to N / 10^k for the smallest such k is what the
  // shortest round-trip text gives. Below 10^15 scaled the nearest integer
  // to value * 10^k is the only candidate, and the division checks it.
  static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  for (int k = 0; k < 10; ++k) {
    const double scaled = value * kPow10[k];
    if (!(std::fabs(scaled) < 1e15)) return false;
    const int64_t n = std::llround(scaled);
    if (static_cast<double>(n) / kPow10[k] == value) {
      *unscaled = n;
      *scale = k;
      return true;
    }
  }
  return false;
}

Decimal DecimalFromReal(double value) {
  if (!std::isfinite(value)) Raise(err::kOverflow);
  if (value == 0) return Decimal();
  // Below the decimal's smallest step the value is zero.
  if (std::fabs(value) < 5e-29) return Decimal();
  int64_t n = 0;
  int k = 0;
  if (ShortDecimalFromReal(value, &n, &k)) {
    return Decimal::FromParts(0, static_cast<uint64_t>(n < 0 ? -n : n), k, n < 0);
  }
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  std::optional<Decimal> d = Decimal::Parse(std::string_view(buf, res.ptr - buf));
  if (!d) Raise(err::kOverflow);
  return *d;
}

Decimal RealToScale(double value, int scale) {
  if (scale > Decimal::kMaxScale) scale = Decimal::kMaxScale;
  if (scale < 0) scale = 0;
  // The usual case is a decimal of this scale stored by us: the double
  // nearest to N / 10^scale. Recognise it exactly and cheaply; anything else
  // (a value with more decimals, a computed one) takes the general path.
  static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                      1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (scale <= 15) {
    double scaled = value * kPow10[scale];
    if (std::fabs(scaled) < 9e15) {
      int64_t n = std::llround(scaled);
      if (static_cast<double>(n) / kPow10[scale] == value) {
        return Decimal::FromParts(0, static_cast<uint64_t>(n < 0 ? -n : n), scale, n < 0);
      }
    }
  }
  return DecimalFromReal(value).RoundHalfAwayFromZero(scale).Rescale(scale);
}

bool FitsPrecision(const Decimal& value, int precision, int scale) {
  // Whole digits of the value at the column's scale: at most precision - scale.
  return value.FitsWholeDigits(precision - scale);
}

Decimal TruncateDecimal(const Decimal& value, int places) {
  if (places >= value.scale()) return value;
  Decimal r = value.Round(places);
  if (r.Abs() > value.Abs()) {
    Decimal unit = Decimal::FromParts(0, 1, places, false);
    r = value.negative() ? r + unit : r - unit;
  }
  return r;
}

Decimal RoundDecimal(const Decimal& value, int places, bool truncate) {
  if (places >= 0) {
    return truncate ? TruncateDecimal(value, places)
                    : value.RoundHalfAwayFromZero(places);
  }
  int k = -places;
  // Fewer integer digits than k: the value is below half the unit.
  if (value.IntegerDigits() < k) return Decimal();
  Decimal unit = PowerOfTen(k);
  Decimal q = value / unit;
  q = truncate ? TruncateDecimal(q, 0) : q.RoundHalfAwayFromZero(0);
  return q * unit;
}

std::string RealToPlainText(double value) {
  if (value == 0) return "0";
  try {
    return DecimalFromReal(value).Normalize().ToString();
  } catch (const PlatformError&) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr - buf);
  }
}

std::string FloatToText(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6g", value);
  std::string s(buf);
  size_t e = s.find('e');
  if (e == std::string::npos) return s;
  // C writes at least two exponent digits; T-SQL writes three.
  std::string digits = s.substr(e + 2);
  while (digits.size() < 3) digits.insert(digits.begin(), '0');
  return s.substr(0, e + 2) + digits;
}

std::optional<int64_t> ParseIntegerText(std::string_view text, bool* overflow) {
  *overflow = false;
  std::string_view t = TrimBlanks(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  // Magnitudes are accumulated negatively so that INT64_MIN fits.
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    if (!IsDigit(t[i])) return std::nullopt;
    int digit = t[i] - '0';
    if (v < (INT64_MIN + digit) / 10) {
      *overflow = true;
      // Keep scanning: a later non-digit makes it a plain conversion error.
      for (++i; i < t.size(); ++i)
        if (!IsDigit(t[i])) {
          *overflow = false;
          return std::nullopt;
        }
      return std::nullopt;
    }
    v = v * 10 - digit;
  }
  if (!negative) {
    if (v == INT64_MIN) {
      *overflow = true;
      return std::nullopt;
    }
    v = -v;
  }
  return v;
}

std::optional<Decimal> ParseDecimalText(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  int digits = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    if (IsDigit(t[i])) {
      ++digits;
    } else if (t[i] == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0) return std::nullopt;
  return Decimal::Parse(t);
}

std::optional<double> ParseFloatText(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (t.empty()) return 0.0;
  bool negative = false;
  if (t[0] == '+' || t[0] == '-') {
    negative = t[0] == '-';
    t.remove_prefix(1);
  }
  if (t.empty() || !(IsDigit(t[0]) || t[0] == '.')) return std::nullopt;
  double v = 0;
  auto res = std::from_chars(t.data(), t.data() + t.size(), v);
  if (res.ec != std::errc() || res.ptr != t.data() + t.size() || !std::isfinite(v))
    return std::nullopt;
  return negative ? -v : v;
}

size_t CharLength(std::string_view text) { return text::CharCount(text); }

std::string_view CharPrefix(std::string_view text, size_t count) {
  size_t i = 0;
  for (size_t n = 0; n < count && i < text.size(); ++n) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
    } else {
      DecodeChar(text, &i);
    }
  }
  return text.substr(0, i);
}

std::string PadToChars(std::string_view text, size_t count) {
  std::string out(text);
  size_t n = CharLength(text);
  if (n < count) out.append(count - n, ' ');
  return out;
}

}  // namespace zv::sqlite
