// The platform decimal: a 96-bit unsigned mantissa, a scale of 0..28 and a
// sign. value = (-1)^sign * mantissa / 10^scale.
//
// Addition, subtraction and multiplication are exact whenever the exact
// result fits 96 bits at a scale of at most 28; otherwise the result is
// reduced to fewer decimals, rounding half to even. Division keeps as many
// digits as fit and strips trailing zeros. A result whose integer part does
// not fit is an overflow (platform error 6); division by zero is platform
// error 11. Quantities are carried in this type and never in a double.
#ifndef ZV_DATA_DECIMAL_H_
#define ZV_DATA_DECIMAL_H_

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv {

class Decimal {
 public:
  static constexpr int kMaxScale = 28;

  // Zero with scale 0.
  constexpr Decimal() = default;
  Decimal(int64_t value);  // NOLINT: implicit, a whole number is a decimal
  Decimal(int value) : Decimal(static_cast<int64_t>(value)) {}  // NOLINT

  // Builds a value from its parts. A scale outside 0..28 raises the
  // invalid-argument error; a zero is never negative.
  static Decimal FromParts(uint32_t hi, uint64_t lo, int scale, bool negative);

  // Parses text written with "." as the decimal separator, an optional sign,
  // optional surrounding blanks and an optional exponent ("1.5E3"). No
  // grouping separators. Returns nullopt when the text is not a number;
  // throws the overflow error when it is a number too large to hold. Digits
  // beyond scale 28 are rounded half to even.
  static std::optional<Decimal> Parse(std::string_view text);

  // The decimal nearest to a double, using the double's shortest
  // round-trip text at 15 significant digits as the platform does.
  // Throws the overflow error for NaN, infinities and out-of-range values.
  static Decimal FromDouble(double value);

  // Plain decimal digits with "." and exactly scale() decimals ("-1.230"),
  // never an exponent.
  std::string ToString() const;
  double ToDouble() const;
  // Whole number rounded half to even; throws overflow when out of range.
  int64_t ToInt64() const;

  int scale() const { return scale_; }
  bool negative() const { return negative_; }
  bool IsZero() const { return hi_ == 0 && lo_ == 0; }
  uint32_t hi() const { return hi_; }
  uint64_t lo() const { return lo_; }

  Decimal operator-() const;
  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b);
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  friend Decimal operator/(const Decimal& a, const Decimal& b);
  Decimal& operator+=(const Decimal& b) { return *this = *this + b; }
  Decimal& operator-=(const Decimal& b) { return *this = *this - b; }
  Decimal& operator*=(const Decimal& b) { return *this = *this * b; }
  Decimal& operator/=(const Decimal& b) { return *this = *this / b; }

  // Compares by value: 1.50 == 1.5, -0 == 0.
  friend bool operator==(const Decimal& a, const Decimal& b);
  friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);

  // Rounds to `places` decimals, half to even. places >= scale() leaves the
  // value unchanged (no padding). Throws the invalid-argument error for a
  // negative `places`.
  Decimal Round(int places) const;
  // Rounds to `places` decimals, half away from zero (SQL Server ROUND).
  Decimal RoundHalfAwayFromZero(int places) const;
  // Largest whole number not above the value (Int): -8.4 -> -9.
  Decimal Floor() const;
  // Whole part, towards zero (Fix): -8.4 -> -8.
  Decimal Truncate() const;
  // Smallest whole number not below the value.
  Decimal Ceiling() const;
  // The value cut to `places` decimals towards minus infinity (floor of
  // value * 10^places, divided back): FloorTo(-1.231, 2) = -1.24; towards
  // zero for TruncateTo. places >= scale() leaves the value unchanged.
  // Throws the invalid-argument error for a negative `places`.
  Decimal FloorTo(int places) const;
  Decimal TruncateTo(int places) const;
  Decimal Abs() const { return negative_ ? -*this : *this; }
  // The same value with trailing fractional zeros removed.
  Decimal Normalize() const;
  // The same value written with exactly `scale` decimals: more decimals are
  // added as zeros, fewer are rounded half to even. Throws overflow when the
  // result does not fit.
  Decimal Rescale(int scale) const;
  // Number of significant integer digits (0 for |value| < 1).
  // True when the whole part has at most `digits` digits (what a
  // DECIMAL(p, s) column holds with digits = p - s): one comparison of the
  // mantissa with a power of ten.
  bool FitsWholeDigits(int digits) const;
  int IntegerDigits() const;
  // Hash consistent with ==.
  size_t Hash() const;

 private:
  uint32_t hi_ = 0;
  uint64_t lo_ = 0;
  uint8_t scale_ = 0;
  bool negative_ = false;
};

}  // namespace zv

#endif  // ZV_DATA_DECIMAL_H_
