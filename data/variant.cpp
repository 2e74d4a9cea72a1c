// Conversions of the platform variant.
//
// Text to number: blanks (spaces, tabs) around the number are allowed, "." is
// the only decimal separator, there is no grouping ("1,5" is a type
// mismatch), an exponent is allowed ("1.5E3"), and "&H" / "&O" introduce a
// hexadecimal / octal whole number of up to 32 bits ("&HFFFFFFFF" is -1).
// Whole-number conversions round half to even; a value out of the target's
// range is an overflow (error 6). Null where a value is needed raises
// error 94; anything else that cannot be converted raises error 13.
//
// An object converts through its default member, read as Get("") (the
// platform's DISPID_VALUE); Nothing raises error 91.
//
// Text of a value (CStr): Booleans "True"/"False"; Double with 15 and Single
// with 7 significant digits in the platform's general format ("0.5",
// "1E+20", "1.5E-07"); Decimal without trailing zeros (CStr(CDec("1.50"))
// is "1.5", as the platform prints it); Date as "YYYY-MM-DD" when the time
// is 0, "HH:MM:SS" when the date is 1899-12-30 and the time is not 0, else
// "YYYY-MM-DD HH:MM:SS".
#include "data/variant.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "data/datetime.h"
#include "data/dispatch.h"
#include "data/error.h"

namespace zv {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// "&H1F" / "&O17" (after trimming): a 32-bit whole number.
bool ParseRadixText(std::string_view text, int64_t* out) {
  std::string_view t = Trim(text);
  if (t.size() < 3 || t[0] != '&') return false;
  int base;
  if (t[1] == 'h' || t[1] == 'H') {
    base = 16;
  } else if (t[1] == 'o' || t[1] == 'O') {
    base = 8;
  } else {
    return false;
  }
  uint64_t v = 0;
  for (size_t i = 2; i < t.size(); ++i) {
    char c = t[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    if (d >= base) return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) Raise(err::kOverflow);
  }
  *out = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

// Syntax check of a decimal number text (already trimmed): sign, digits with
// at most one ".", at least one digit, optional exponent.
bool IsNumberSyntax(std::string_view t) {
  size_t i = 0, n = t.size();
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  bool digit = false, point = false;
  for (; i < n; ++i) {
    if (t[i] >= '0' && t[i] <= '9') {
      digit = true;
    } else if (t[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digit) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    if (i >= n || t[i] < '0' || t[i] > '9') return false;
    while (i < n && t[i] >= '0' && t[i] <= '9') ++i;
  }
  return i == n;
}

// Parses a number text into a double. 0: not a number; 1: ok; 2: a number
// too large for a double.
int ParseDoubleStatus(std::string_view text, double* out) {
  std::string_view t = Trim(text);
  if (!IsNumberSyntax(t)) return 0;
  bool neg = false;
  if (t[0] == '+' || t[0] == '-') {
    neg = t[0] == '-';
    t.remove_prefix(1);
  }
  double v = 0;
  auto res = std::from_chars(t.data(), t.data() + t.size(), v,
                             std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Underflow gives a tiny value or 0, overflow a huge one; tell them apart.
    size_t e = t.find_first_of("eE");
    bool small =
        e != std::string_view::npos && e + 1 < t.size() && t[e + 1] == '-';
    if (!small) return 2;
    v = 0;
  } else if (res.ec != std::errc() || res.ptr != t.data() + t.size()) {
    return 0;
  }
  *out = neg ? -v : v;
  return 1;
}

[[noreturn]] void TypeMismatch() { Raise(err::kTypeMismatch); }

// Text to double with the variant's rules (hex allowed); raises on failure.
double TextToDouble(std::string_view text) {
  int64_t radix;
  if (ParseRadixText(text, &radix)) return static_cast<double>(radix);
  double v;
  int st = ParseDoubleStatus(text, &v);
  if (st == 2) Raise(err::kOverflow);
  if (st == 0) TypeMismatch();
  return v;
}

// Text to decimal with the variant's rules; raises on failure.
Decimal TextToDecimal(std::string_view text) {
  int64_t radix;
  if (ParseRadixText(text, &radix)) return Decimal(radix);
  auto d = Decimal::Parse(text);  // throws overflow itself
  if (!d) TypeMismatch();
  return *d;
}

// Rounds half to even and checks the range [lo, hi].
int64_t RoundDoubleToRange(double v, int64_t lo, int64_t hi) {
  if (std::isnan(v)) Raise(err::kOverflow);
  double r = std::nearbyint(v);  // the default rounding mode: half to even
  if (!(r >= static_cast<double>(lo)) || !(r <= static_cast<double>(hi)))
    Raise(err::kOverflow);
  // 2^63 is not representable as int64; the check above lets it through for
  // hi = INT64_MAX, so check again.
  if (r >= 9223372036854775808.0) Raise(err::kOverflow);
  return static_cast<int64_t>(r);
}

int64_t CheckRange(int64_t v, int64_t lo, int64_t hi) {
  if (v < lo || v > hi) Raise(err::kOverflow);
  return v;
}

}  // namespace

VarType Variant::type() const {
  switch (v_.index()) {
    case 0:
      return VarType::kEmpty;
    case 1:
      return VarType::kNull;
    case 2:
      return VarType::kBoolean;
    case 3:
      return VarType::kInteger;
    case 4:
      return VarType::kLong;
    case 5:
      return VarType::kLongLong;
    case 6:
      return VarType::kByte;
    case 7:
      return VarType::kSingle;
    case 8:
      return VarType::kDouble;
    case 9:
      return VarType::kDecimal;
    case 10:
      return VarType::kDate;
    case 11:
      return VarType::kString;
    case 12:
      return VarType::kObject;
    default:
      return VarType::kArray;
  }
}

bool Variant::IsNumber() const {
  switch (v_.index()) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
      return true;
    default:
      return false;
  }
}

bool Variant::IsNumeric() const {
  if (IsEmpty() || IsNumber()) return true;
  if (IsString()) {
    const std::string& s = StringRef();
    try {
      int64_t radix;
      if (ParseRadixText(s, &radix)) return true;
    } catch (const PlatformError&) {
      return true;  // a hexadecimal number too large is still a number
    }
    double d;
    return ParseDoubleStatus(s, &d) != 0;
  }
  if (IsObject() && !IsNothing()) {
    try {
      return std::get<std::shared_ptr<Dispatch>>(v_)->Get("").IsNumeric();
    } catch (const PlatformError&) {
      return false;
    }
  }
  return false;
}

// Reads the default member of a held object; Nothing raises error 91.
static Variant DefaultValue(const std::shared_ptr<Dispatch>& o) {
  if (!o) Raise(err::kObjectVariableNotSet);
  return o->Get("");
}

Decimal Variant::ToDecimal() const {
  switch (v_.index()) {
    case 0:
      return Decimal();
    case 1:
      Raise(err::kInvalidUseOfNull);
    case 2:
      return Decimal(std::get<bool>(v_) ? -1 : 0);
    case 3:
      return Decimal(static_cast<int64_t>(std::get<int16_t>(v_)));
    case 4:
      return Decimal(static_cast<int64_t>(std::get<int32_t>(v_)));
    case 5:
      return Decimal(std::get<int64_t>(v_));
    case 6:
      return Decimal(static_cast<int64_t>(std::get<uint8_t>(v_)));
    case 7: {
      float f = std::get<float>(v_);
      if (!std::isfinite(f)) Raise(err::kOverflow);
      auto d = Decimal::Parse(DoubleToText(f, 7));
      if (!d) Raise(err::kOverflow);
      return d->Normalize();
    }
    case 8:
      return Decimal::FromDouble(std::get<double>(v_));
    case 9:
      return std::get<Decimal>(v_);
    case 10:
      return Decimal::FromDouble(std::get<DateValue>(v_).days);
    case 11:
      return TextToDecimal(StringRef());
    case 12:
      return DefaultValue(std::get<std::shared_ptr<Dispatch>>(v_)).ToDecimal();
    default:
      TypeMismatch();
  }
}

int64_t Variant::ToLongLong() const {
  switch (v_.index()) {
    case 0:
      return 0;
    case 1:
      Raise(err::kInvalidUseOfNull);
    case 2:
      return std::get<bool>(v_) ? -1 : 0;
    case 3:
      return std::get<int16_t>(v_);
    case 4:
      return std::get<int32_t>(v_);
    case 5:
      return std::get<int64_t>(v_);
    case 6:
      return std::get<uint8_t>(v_);
    case 7:
      return RoundDoubleToRange(std::get<float>(v_), INT64_MIN, INT64_MAX);
    case 8:
      return RoundDoubleToRange(std::get<double>(v_), INT64_MIN, INT64_MAX);
    case 9:
      return std::get<Decimal>(v_).ToInt64();
    case 10:
      return RoundDoubleToRange(std::get<DateValue>(v_).days, INT64_MIN,
                                INT64_MAX);
    case 11: {
      const std::string& s = StringRef();
      int64_t radix;
      if (ParseRadixText(s, &radix)) return radix;
      auto d = Decimal::Parse(s);
      if (d) return d->ToInt64();
      TypeMismatch();
    }
    case 12:
      return DefaultValue(std::get<std::shared_ptr<Dispatch>>(v_)).ToLongLong();
    default:
      TypeMismatch();
  }
}

int32_t Variant::ToLong() const {
  return static_cast<int32_t>(CheckRange(ToLongLong(), INT32_MIN, INT32_MAX));
}

int16_t Variant::ToInteger() const {
  return static_cast<int16_t>(CheckRange(ToLongLong(), INT16_MIN, INT16_MAX));
}

uint8_t Variant::ToByte() const {
  return static_cast<uint8_t>(CheckRange(ToLongLong(), 0, 255));
}

double Variant::ToDouble() const {
  switch (v_.index()) {
    case 0:
      return 0;
    case 1:
      Raise(err::kInvalidUseOfNull);
    case 2:
      return std::get<bool>(v_) ? -1 : 0;
    case 3:
      return std::get<int16_t>(v_);
    case 4:
      return std::get<int32_t>(v_);
    case 5:
      return static_cast<double>(std::get<int64_t>(v_));
    case 6:
      return std::get<uint8_t>(v_);
    case 7:
      return std::get<float>(v_);
    case 8:
      return std::get<double>(v_);
    case 9:
      return std::get<Decimal>(v_).ToDouble();
    case 10:
      return std::get<DateValue>(v_).days;
    case 11:
      return TextToDouble(StringRef());
    case 12:
      return DefaultValue(std::get<std::shared_ptr<Dispatch>>(v_)).ToDouble();
    default:
      TypeMismatch();
  }
}

float Variant::ToSingle() const {
  double d = ToDouble();
  if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
    Raise(err::kOverflow);
  return static_cast<float>(d);
}

bool Variant::ToBool() const {
  switch (v_.index()) {
    case 0:
      return false;
    case 1:
      Raise(err::kInvalidUseOfNull);
    case 2:
      return std::get<bool>(v_);
    case 3:
      return std::get<int16_t>(v_) != 0;
    case 4:
      return std::get<int32_t>(v_) != 0;
    case 5:
      return std::get<int64_t>(v_) != 0;
    case 6:
      return std::get<uint8_t>(v_) != 0;
    case 7:
      return std::get<float>(v_) != 0;
    case 8:
      return std::get<double>(v_) != 0;
    case 9:
      return !std::get<Decimal>(v_).IsZero();
    case 10:
      return std::get<DateValue>(v_).days != 0;
    case 11: {
      std::string_view t = Trim(StringRef());
      if (NameEquals(t, "True")) return true;
      if (NameEquals(t, "False")) return false;
      int64_t radix;
      if (ParseRadixText(t, &radix)) return radix != 0;
      double d;
      int st = ParseDoubleStatus(t, &d);
      if (st == 2) return true;  // a huge number is not zero
      if (st == 0) TypeMismatch();
      return d != 0;
    }
    case 12:
      return DefaultValue(std::get<std::shared_ptr<Dispatch>>(v_)).ToBool();
    default:
      TypeMismatch();
  }
}

static std::string DateText(double days) {
  DateValue d{days};
  DateParts p = SplitDate(d);
  bool no_time = p.hour == 0 && p.minute == 0 && p.second == 0;
  char buf[32];
  if (no_time) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.year, p.month, p.day);
  } else if (p.year == 1899 && p.month == 12 && p.day == 30) {
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", p.hour, p.minute,
                  p.second);
  } else {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year,
                  p.month, p.day, p.hour, p.minute, p.second);
  }
  return buf;
}

std::string Variant::ToString() const {
  switch (v_.index()) {
    case 0:
      return std::string();
    case 1:
      Raise(err::kInvalidUseOfNull);
    case 2:
      return std::get<bool>(v_) ? "True" : "False";
    case 3:
      return std::to_string(std::get<int16_t>(v_));
    case 4:
      return std::to_string(std::get<int32_t>(v_));
    case 5:
      return std::to_string(std::get<int64_t>(v_));
    case 6:
      return std::to_string(std::get<uint8_t>(v_));
    case 7:
      return DoubleToText(std::get<float>(v_), 7);
    case 8:
      return DoubleToText(std::get<double>(v_), 15);
    case 9:
      return std::get<Decimal>(v_).Normalize().ToString();
    case 10:
      return DateText(std::get<DateValue>(v_).days);
    case 11:
      return StringRef();
    case 12:
      return DefaultValue(std::get<std::shared_ptr<Dispatch>>(v_)).ToString();
    default:
      TypeMismatch();
  }
}

DateValue Variant::ToDate() const {
  switch (v_.index()) {
    case 0:
      return DateValue{0};
    case 1:
      Raise(err::kInvalidUseOfNull);
    case 10:
      return std::get<DateValue>(v_);
    case 11: {
      auto d = ParseDate(StringRef());
      if (d) return *d;
      double v;
      if (ParseDoubleStatus(StringRef(), &v) == 1) return DateValue{v};
      TypeMismatch();
    }
    case 12:
      return DefaultValue(std::get<std::shared_ptr<Dispatch>>(v_)).ToDate();
    case 13:
      TypeMismatch();
    default: {
      double d = ToDouble();
      // The platform's date range: years 100 to 9999.
      if (!(d >= -657434.0) || !(d < 2958466.0)) Raise(err::kOverflow);
      return DateValue{d};
    }
  }
}

std::shared_ptr<Dispatch> Variant::ToObject() const {
  if (!IsObject()) TypeMismatch();
  return std::get<std::shared_ptr<Dispatch>>(v_);
}

std::shared_ptr<VariantArray> Variant::ToArray() const {
  if (!IsArray()) TypeMismatch();
  return std::get<std::shared_ptr<VariantArray>>(v_);
}

std::string Variant::TypeName() const {
  switch (v_.index()) {
    case 0:
      return "Empty";
    case 1:
      return "Null";
    case 2:
      return "Boolean";
    case 3:
      return "Integer";
    case 4:
      return "Long";
    case 5:
      return "LongLong";
    case 6:
      return "Byte";
    case 7:
      return "Single";
    case 8:
      return "Double";
    case 9:
      return "Decimal";
    case 10:
      return "Date";
    case 11:
      return "String";
    case 12: {
      const auto& o = std::get<std::shared_ptr<Dispatch>>(v_);
      return o ? o->TypeName() : "Nothing";
    }
    default:
      return "Variant()";
  }
}

std::string Variant::Debug() const {
  switch (v_.index()) {
    case 0:
      return "Empty";
    case 1:
      return "Null";
    case 9:
      return std::get<Decimal>(v_).ToString() + "D";
    case 10:
      return "#" + FormatIsoDate(std::get<DateValue>(v_)) + "#";
    case 11: {
      std::string out = "\"";
      for (char c : StringRef()) {
        if (c == '"')
          out += "\"\"";
        else
          out += c;
      }
      return out + "\"";
    }
    case 12: {
      const auto& o = std::get<std::shared_ptr<Dispatch>>(v_);
      return o ? "<" + o->TypeName() + ">" : "Nothing";
    }
    case 13: {
      const auto& a = std::get<std::shared_ptr<VariantArray>>(v_);
      std::string out = "Array(";
      if (a) {
        for (size_t i = 0; i < a->items.size(); ++i) {
          if (i) out += ", ";
          out += a->items[i].Debug();
        }
      }
      return out + ")";
    }
    default:
      return ToString();
  }
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.v_.index() != b.v_.index()) return false;
  switch (a.v_.index()) {
    case 11:
      return a.StringRef() == b.StringRef();
    case 13: {
      const auto& x = std::get<std::shared_ptr<VariantArray>>(a.v_);
      const auto& y = std::get<std::shared_ptr<VariantArray>>(b.v_);
      if (x == y) return true;
      if (!x || !y) return false;
      return x->lower_bound == y->lower_bound && x->items == y->items;
    }
    default:
      return a.v_ == b.v_;
  }
}

Variant MakeArray(std::vector<Variant> items) {
  auto a = std::make_shared<VariantArray>();
  a->items = std::move(items);
  return Variant(std::move(a));
}

std::string DoubleToText(double value, int significant_digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";  // also -0
  if (significant_digits < 1) significant_digits = 1;
  if (significant_digits > 17) significant_digits = 17;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value,
                           std::chars_format::general, significant_digits);
  std::string out(buf, res.ptr);
  size_t e = out.find('e');
  if (e != std::string::npos) {
    out[e] = 'E';
    // At least two exponent digits, as the platform writes them: "1E+20",
    // "1.5E-07" (to_chars already does, but keep it explicit).
    size_t digits = out.size() - (e + 2);
    if (digits < 2) out.insert(e + 2, 2 - digits, '0');
  }
  return out;
}

bool ParseDouble(std::string_view text, double* out) {
  double v;
  if (ParseDoubleStatus(text, &v) != 1) return false;
  *out = v;
  return true;
}

}  // namespace zv
