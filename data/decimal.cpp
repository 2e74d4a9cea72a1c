// The platform decimal. The mantissa is handled as an unsigned 128-bit
// integer on the common paths; results that need more room (sums of operands
// far apart in scale, products of large mantissas, long texts) go through a
// 256-bit integer and are reduced to 96 bits by ReduceScale, which rounds
// half to even with a sticky bit as the platform's ScaleResult does.
#include "data/decimal.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/error.h"

namespace zv {
namespace {

using u128 = unsigned __int128;

constexpr u128 kTwo96 = static_cast<u128>(1) << 96;
// 2^96 / 10 rounded up: the result of a rounding that carried to 2^96,
// written one decimal shorter.
constexpr u128 kTwo96Div10Up = kTwo96 / 10 + 1;

constexpr u128 MakePow10(int n) {
  u128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

struct Pow10Table {
  u128 v[39];
  constexpr Pow10Table() : v() {
    for (int i = 0; i < 39; ++i) v[i] = MakePow10(i);
  }
};
constexpr Pow10Table kPow10{};

inline u128 Pow10(int n) { return kPow10.v[n]; }

constexpr double kExactPow10[23] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline uint64_t Pow10u64(int n) { return static_cast<uint64_t>(kPow10.v[n]); }

// A 256-bit unsigned integer, little-endian 64-bit limbs.
struct U256 {
  uint64_t w[4] = {0, 0, 0, 0};

  static U256 From(u128 v) {
    U256 r;
    r.w[0] = static_cast<uint64_t>(v);
    r.w[1] = static_cast<uint64_t>(v >> 64);
    return r;
  }
  static U256 Mul(u128 a, u128 b) {
    uint64_t a0 = static_cast<uint64_t>(a), a1 = static_cast<uint64_t>(a >> 64);
    uint64_t b0 = static_cast<uint64_t>(b), b1 = static_cast<uint64_t>(b >> 64);
    U256 r;
    u128 p00 = static_cast<u128>(a0) * b0;
    u128 p01 = static_cast<u128>(a0) * b1;
    u128 p10 = static_cast<u128>(a1) * b0;
    u128 p11 = static_cast<u128>(a1) * b1;
    r.w[0] = static_cast<uint64_t>(p00);
    u128 mid =
        (p00 >> 64) + static_cast<uint64_t>(p01) + static_cast<uint64_t>(p10);
    r.w[1] = static_cast<uint64_t>(mid);
    u128 hi =
        (mid >> 64) + (p01 >> 64) + (p10 >> 64) + static_cast<uint64_t>(p11);
    r.w[2] = static_cast<uint64_t>(hi);
    r.w[3] = static_cast<uint64_t>((hi >> 64) + (p11 >> 64));
    return r;
  }
  bool IsZero() const { return (w[0] | w[1] | w[2] | w[3]) == 0; }
  bool Fits96() const { return w[3] == 0 && w[2] == 0 && (w[1] >> 32) == 0; }
  bool Fits128() const { return w[3] == 0 && w[2] == 0; }
  u128 Low128() const { return (static_cast<u128>(w[1]) << 64) | w[0]; }
  int BitLength() const {
    for (int i = 3; i >= 0; --i)
      if (w[i]) return i * 64 + 64 - __builtin_clzll(w[i]);
    return 0;
  }
  // this *= m; the caller guarantees no overflow.
  void MulSmall(uint64_t m) {
    u128 carry = 0;
    for (auto& limb : w) {
      u128 t = static_cast<u128>(limb) * m + carry;
      limb = static_cast<uint64_t>(t);
      carry = t >> 64;
    }
  }
  // this /= d; returns the remainder.
  uint64_t DivSmall(uint64_t d) {
    u128 rem = 0;
    for (int i = 3; i >= 0; --i) {
      u128 cur = (rem << 64) | w[i];
      w[i] = static_cast<uint64_t>(cur / d);
      rem = cur % d;
    }
    return static_cast<uint64_t>(rem);
  }
  void Add(const U256& b) {
    u128 carry = 0;
    for (int i = 0; i < 4; ++i) {
      u128 t = static_cast<u128>(w[i]) + b.w[i] + carry;
      w[i] = static_cast<uint64_t>(t);
      carry = t >> 64;
    }
  }
  // this -= b; requires this >= b.
  void Sub(const U256& b) {
    uint64_t borrow = 0;
    for (int i = 0; i < 4; ++i) {
      uint64_t x = w[i], y = b.w[i];
      uint64_t d = x - y - borrow;
      borrow = (x < y || (x == y && borrow)) ? 1 : 0;
      w[i] = d;
    }
  }
  int Compare(const U256& b) const {
    for (int i = 3; i >= 0; --i)
      if (w[i] != b.w[i]) return w[i] < b.w[i] ? -1 : 1;
    return 0;
  }
  // this *= 10^n for any n (in steps of 10^19).
  void MulPow10(int n) {
    while (n > 0) {
      int step = n > 19 ? 19 : n;
      MulSmall(Pow10u64(step));
      n -= step;
    }
  }
};

[[noreturn]] void Overflow() { Raise(err::kOverflow); }

// Divides `q` by 10^j (1 <= j <= 19), folding the removed digits into the
// rounding state: `round_digit` is the most significant removed digit,
// `sticky` says whether any digit below it is non-zero.
inline void ShiftOut(U256& q, int j, int& round_digit, bool& sticky) {
  uint64_t r = q.DivSmall(Pow10u64(j));
  uint64_t hp = Pow10u64(j - 1);
  sticky = sticky || round_digit != 0 || (r % hp) != 0;
  round_digit = static_cast<int>(r / hp);
}

inline bool RoundsUp(int round_digit, bool sticky, bool odd) {
  return round_digit > 5 || (round_digit == 5 && (sticky || odd));
}

}  // namespace

// Builds the decimal nearest to m / 10^scale (m possibly wider than 96 bits,
// scale possibly above 28): drops the fewest trailing digits that make the
// mantissa fit 96 bits and the scale at most 28, rounding half to even with
// `sticky_in` standing for non-zero digits already dropped below m. A scale
// that would go below 0 is an overflow.
static Decimal ReduceScale(U256 m, int scale, bool sticky_in, bool negative) {
  if (scale <= Decimal::kMaxScale && !sticky_in && m.Fits96()) {
    return Decimal::FromParts(static_cast<uint32_t>(m.w[1]), m.w[0], scale,
                              negative);
  }
  int round_digit = 0;
  bool sticky = sticky_in;
  int k = 0;
  int need = scale - Decimal::kMaxScale;
  while (k < need) {
    if (m.IsZero()) {  // every further removed digit is a leading zero
      sticky = sticky || round_digit != 0;
      round_digit = 0;
      k = need;
      break;
    }
    int j = need - k > 19 ? 19 : need - k;
    ShiftOut(m, j, round_digit, sticky);
    k += j;
  }
  while (!m.Fits96()) {
    int j = (m.BitLength() - 96) * 3 / 10;
    if (j < 1) j = 1;
    if (j > 19) j = 19;
    ShiftOut(m, j, round_digit, sticky);
    k += j;
  }
  int new_scale = scale - k;
  if (new_scale < 0) Overflow();
  u128 q = m.Low128();
  if (RoundsUp(round_digit, sticky, (q & 1) != 0)) {
    ++q;
    if (q == kTwo96) {
      // The exact value lies within half a unit of 2^96; one decimal fewer
      // it rounds to ceil(2^96 / 10).
      if (new_scale == 0) Overflow();
      q = kTwo96Div10Up;
      --new_scale;
    }
  }
  return Decimal::FromParts(static_cast<uint32_t>(q >> 64),
                            static_cast<uint64_t>(q), new_scale, negative);
}

namespace {

inline u128 Mant(const Decimal& d) {
  return (static_cast<u128>(d.hi()) << 64) | d.lo();
}

inline Decimal Make(u128 m, int scale, bool negative) {
  return Decimal::FromParts(static_cast<uint32_t>(m >> 64),
                            static_cast<uint64_t>(m), scale, negative);
}

// Writes the decimal digits of v into buf (no terminator); returns the count.
int U128Digits(u128 v, char* buf) {
  char tmp[48];
  int n = 0;
  if (v == 0) {
    buf[0] = '0';
    return 1;
  }
  while (v != 0) {
    uint64_t chunk;
    if (v >= Pow10(19)) {
      chunk = static_cast<uint64_t>(v % Pow10(19));
      v /= Pow10(19);
      for (int i = 0; i < 19; ++i) {
        tmp[n++] = static_cast<char>('0' + chunk % 10);
        chunk /= 10;
      }
    } else {
      chunk = static_cast<uint64_t>(v);
      v = 0;
      while (chunk != 0) {
        tmp[n++] = static_cast<char>('0' + chunk % 10);
        chunk /= 10;
      }
    }
  }
  for (int i = 0; i < n; ++i) buf[i] = tmp[n - 1 - i];
  return n;
}

// Magnitude comparison of two decimals.
int CompareMagnitude(const Decimal& a, const Decimal& b) {
  u128 ma = Mant(a), mb = Mant(b);
  int sa = a.scale(), sb = b.scale();
  if (sa == sb) return ma == mb ? 0 : (ma < mb ? -1 : 1);
  int d = sa > sb ? sa - sb : sb - sa;
  if (d <= 9) {  // 96 bits times 10^9 stays below 2^126
    if (sa < sb)
      ma *= Pow10(d);
    else
      mb *= Pow10(d);
    return ma == mb ? 0 : (ma < mb ? -1 : 1);
  }
  U256 wa = U256::From(ma), wb = U256::From(mb);
  if (sa < sb)
    wa.MulPow10(d);
  else
    wb.MulPow10(d);
  return wa.Compare(wb);
}

// Adds (subtract = false) or subtracts magnitudes with the given signs.
Decimal AddSigned(const Decimal& a, bool a_neg, const Decimal& b, bool b_neg) {
  u128 ma = Mant(a), mb = Mant(b);
  int sa = a.scale(), sb = b.scale();
  int s = sa > sb ? sa : sb;
  int d = sa > sb ? sa - sb : sb - sa;
  if (d <= 9) {
    if (sa < sb)
      ma *= Pow10(d);
    else
      mb *= Pow10(d);
    if (a_neg == b_neg) {
      u128 sum = ma + mb;  // < 2^127
      if (sum < kTwo96) return Make(sum, s, a_neg);
      return ReduceScale(U256::From(sum), s, false, a_neg);
    }
    bool neg = ma >= mb ? a_neg : b_neg;
    u128 diff = ma >= mb ? ma - mb : mb - ma;
    if (diff < kTwo96) return Make(diff, s, neg);
    return ReduceScale(U256::From(diff), s, false, neg);
  }
  U256 wa = U256::From(ma), wb = U256::From(mb);
  if (sa < sb)
    wa.MulPow10(d);
  else
    wb.MulPow10(d);
  if (a_neg == b_neg) {
    wa.Add(wb);
    return ReduceScale(wa, s, false, a_neg);
  }
  if (wa.Compare(wb) >= 0) {
    wa.Sub(wb);
    return ReduceScale(wa, s, false, a_neg);
  }
  wb.Sub(wa);
  return ReduceScale(wb, s, false, b_neg);
}

}  // namespace

Decimal::Decimal(int64_t value) {
  uint64_t mag = value < 0 ? 0 - static_cast<uint64_t>(value)
                           : static_cast<uint64_t>(value);
  lo_ = mag;
  negative_ = value < 0;
}

Decimal Decimal::FromParts(uint32_t hi, uint64_t lo, int scale, bool negative) {
  if (scale < 0 || scale > kMaxScale) Raise(err::kInvalidProcedureCall);
  Decimal d;
  d.hi_ = hi;
  d.lo_ = lo;
  d.scale_ = static_cast<uint8_t>(scale);
  d.negative_ = negative && (hi != 0 || lo != 0);
  return d;
}

std::optional<Decimal> Decimal::Parse(std::string_view text) {
  size_t i = 0, n = text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (i < n && blank(text[i])) ++i;
  while (n > i && blank(text[n - 1])) --n;
  if (i == n) return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  // Significant digits go into m; past kKeep digits they only set sticky
  // (and count towards the integer part when before the point).
  constexpr int kKeep = 60;
  U256 m;
  int kept = 0;
  int dropped_int = 0;  // integer digits dropped (each scales by 10)
  int frac = 0;         // fractional digits kept
  bool sticky = false, any_digit = false, point = false;
  for (; i < n; ++i) {
    char c = text[i];
    if (c == '.') {
      if (point) return std::nullopt;
      point = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    any_digit = true;
    int digit = c - '0';
    if (kept == 0 && digit == 0) {  // leading zero
      if (point) ++frac;
      continue;
    }
    if (kept < 19) {  // the first 19 digits fit a 64-bit limb
      m.w[0] = m.w[0] * 10 + static_cast<uint64_t>(digit);
      ++kept;
      if (point) ++frac;
    } else if (kept < kKeep) {
      m.MulSmall(10);
      m.Add(U256::From(static_cast<u128>(digit)));
      ++kept;
      if (point) ++frac;
    } else {
      if (digit != 0) sticky = true;
      if (!point) ++dropped_int;
    }
  }
  if (!any_digit) return std::nullopt;
  long exponent = 0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool exp_neg = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
      exp_neg = text[i] == '-';
      ++i;
    }
    if (i >= n || text[i] < '0' || text[i] > '9') return std::nullopt;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (exp_neg) exponent = -exponent;
  }
  if (i != n) return std::nullopt;
  long scale = static_cast<long>(frac) - dropped_int - exponent;
  if (m.IsZero() && !sticky)
    return Make(0,
                scale < 0
                    ? 0
                    : (scale > kMaxScale ? kMaxScale : static_cast<int>(scale)),
                false);
  if (scale < 0) {
    if (sticky || scale < -40) Overflow();
    m.MulPow10(static_cast<int>(-scale));
    if (!m.Fits96()) Overflow();
    return Make(m.Low128(), 0, negative);
  }
  if (scale > kMaxScale + 80)
    return Make(0, kMaxScale, false);  // far below 1e-28
  return ReduceScale(m, static_cast<int>(scale), sticky, negative);
}

Decimal Decimal::FromDouble(double value) {
  if (!std::isfinite(value)) Overflow();
  if (value == 0) return Decimal();
  if (std::fabs(value) >= 7.9228162514264338e28) Overflow();
  char buf[40];
  auto res = std::to_chars(buf, buf + sizeof buf, value,
                           std::chars_format::scientific, 14);
  auto d = Parse(std::string_view(buf, res.ptr - buf));
  if (!d) Overflow();
  return d->Normalize();
}

// Writes the value with exactly scale() decimals into out (at least 64
// bytes); returns the length.
static int FormatDecimal(const Decimal& d, char* out) {
  char digits[48];
  int n = U128Digits(Mant(d), digits);
  int o = 0;
  if (d.negative()) out[o++] = '-';
  int s = d.scale();
  if (n <= s) {
    out[o++] = '0';
    out[o++] = '.';
    for (int i = 0; i < s - n; ++i) out[o++] = '0';
    std::memcpy(out + o, digits, n);
    o += n;
  } else {
    std::memcpy(out + o, digits, n - s);
    o += n - s;
    if (s > 0) {
      out[o++] = '.';
      std::memcpy(out + o, digits + (n - s), s);
      o += s;
    }
  }
  return o;
}

std::string Decimal::ToString() const {
  char out[64];
  int n = FormatDecimal(*this, out);
  return std::string(out, n);
}

double Decimal::ToDouble() const {
  u128 m = Mant(*this);
  if (m < (static_cast<u128>(1) << 53) && scale_ <= 22) {
    // Both operands are exact doubles: one correctly rounded division.
    double v =
        static_cast<double>(static_cast<uint64_t>(m)) / kExactPow10[scale_];
    return negative_ ? -v : v;
  }
  char out[64];
  int n = FormatDecimal(*this, out);
  double v = 0;
  std::from_chars(out, out + n, v);
  return v;
}

int64_t Decimal::ToInt64() const {
  Decimal r = Round(0);
  u128 m = Mant(r);
  if (r.negative_) {
    if (m > static_cast<u128>(INT64_MAX) + 1) Overflow();
    return static_cast<int64_t>(0 - static_cast<uint64_t>(m));
  }
  if (m > static_cast<u128>(INT64_MAX)) Overflow();
  return static_cast<int64_t>(m);
}

Decimal Decimal::operator-() const {
  Decimal d = *this;
  d.negative_ = !negative_ && !IsZero();
  return d;
}

Decimal operator+(const Decimal& a, const Decimal& b) {
  return AddSigned(a, a.negative_, b, b.negative_);
}

Decimal operator-(const Decimal& a, const Decimal& b) {
  return AddSigned(a, a.negative_, b, !b.negative_);
}

Decimal operator*(const Decimal& a, const Decimal& b) {
  bool neg = a.negative_ != b.negative_;
  int s = a.scale_ + b.scale_;
  if (a.hi_ == 0 && b.hi_ == 0) {
    u128 p = static_cast<u128>(a.lo_) * b.lo_;
    if (p < kTwo96 && s <= Decimal::kMaxScale) return Make(p, s, neg);
    return ReduceScale(U256::From(p), s, false, neg);
  }
  return ReduceScale(U256::Mul(Mant(a), Mant(b)), s, false, neg);
}

Decimal operator/(const Decimal& a, const Decimal& b) {
  u128 mb = Mant(b);
  if (mb == 0) Raise(err::kDivisionByZero);
  u128 ma = Mant(a);
  if (ma == 0) return Decimal();
  bool neg = a.negative_ != b.negative_;
  int sa = a.scale_, sb = b.scale_;
  // value * 10^s = ma * 10^(sb + s - sa) / mb. Start at s = max(0, sa - sb).
  u128 q = ma / mb, rem = ma % mb;
  int s = sa - sb;
  // Digits that must be added to reach scale 0: an overflow if they do not fit.
  while (s < 0) {
    int k = -s > 9 ? 9 : -s;
    u128 p = Pow10(k);
    u128 t = rem * p;  // rem < 2^96, p < 2^30
    u128 nq = q * p + t / mb;
    if (q * p >= kTwo96 || nq >= kTwo96) Overflow();
    q = nq;
    rem = t % mb;
    s += k;
  }
  // More decimals while the division is inexact and the quotient fits.
  while (rem != 0 && s < Decimal::kMaxScale) {
    int k = Decimal::kMaxScale - s;
    if (k > 9) k = 9;
    // (q + 1) * 10^k <= 2^96 guarantees q * 10^k + digits fits.
    while (k > 0 && (q + 1) * Pow10(k) > kTwo96) --k;
    if (k == 0) {
      u128 t = rem * 10;
      u128 nq = q * 10 + t / mb;
      if (nq >= kTwo96) break;
      q = nq;
      rem = t % mb;
      ++s;
      continue;
    }
    u128 p = Pow10(k);
    u128 t = rem * p;
    q = q * p + t / mb;
    rem = t % mb;
    s += k;
  }
  if (rem != 0) {
    u128 twice = rem * 2;
    if (twice > mb || (twice == mb && (q & 1) != 0)) {
      ++q;
      if (q == kTwo96) {
        if (s == 0) Overflow();
        q = kTwo96Div10Up;
        --s;
      }
    }
  }
  while (s > 0) {
    if (q < (static_cast<u128>(1) << 64)) {
      uint64_t q64 = static_cast<uint64_t>(q);
      while (s > 0 && q64 % 10 == 0) {
        q64 /= 10;
        --s;
      }
      q = q64;
      break;
    }
    if (q % 10 != 0) break;
    q /= 10;
    --s;
  }
  if (q == 0) return Decimal();
  return Make(q, s, neg);
}

bool operator==(const Decimal& a, const Decimal& b) {
  if (a.IsZero() || b.IsZero()) return a.IsZero() && b.IsZero();
  if (a.negative_ != b.negative_) return false;
  return CompareMagnitude(a, b) == 0;
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
  bool az = a.IsZero(), bz = b.IsZero();
  if (az && bz) return std::strong_ordering::equal;
  bool an = a.negative_ && !az, bn = b.negative_ && !bz;
  if (an != bn)
    return an ? std::strong_ordering::less : std::strong_ordering::greater;
  int c = CompareMagnitude(a, b);
  if (an) c = -c;
  return c < 0 ? std::strong_ordering::less
               : (c > 0 ? std::strong_ordering::greater
                        : std::strong_ordering::equal);
}

namespace {
enum class RoundMode { kHalfEven, kHalfAway, kFloor, kTruncate, kCeiling };

// Rounds to `places` decimals (places < d.scale()).
Decimal RoundTo(const Decimal& d, int places, RoundMode mode) {
  int drop = d.scale() - places;
  u128 m = Mant(d);
  u128 p = Pow10(drop);
  u128 q = m / p, r = m % p;
  bool up = false;
  if (r != 0) {
    switch (mode) {
      case RoundMode::kHalfEven: {
        u128 half = p / 2;
        up = r > half || (r == half && (q & 1) != 0);
        break;
      }
      case RoundMode::kHalfAway:
        up = r >= p / 2;
        break;
      case RoundMode::kFloor:
        up = d.negative();
        break;
      case RoundMode::kTruncate:
        up = false;
        break;
      case RoundMode::kCeiling:
        up = !d.negative();
        break;
    }
  }
  if (up) ++q;  // q < m, so it still fits
  return Make(q, places, d.negative());
}
}  // namespace

Decimal Decimal::Round(int places) const {
  if (places < 0) Raise(err::kInvalidProcedureCall);
  if (places >= scale_) return *this;
  return RoundTo(*this, places, RoundMode::kHalfEven);
}

Decimal Decimal::RoundHalfAwayFromZero(int places) const {
  if (places < 0) Raise(err::kInvalidProcedureCall);
  if (places >= scale_) return *this;
  return RoundTo(*this, places, RoundMode::kHalfAway);
}

Decimal Decimal::Floor() const {
  if (scale_ == 0) return *this;
  return RoundTo(*this, 0, RoundMode::kFloor);
}

Decimal Decimal::Truncate() const {
  if (scale_ == 0) return *this;
  return RoundTo(*this, 0, RoundMode::kTruncate);
}

Decimal Decimal::Ceiling() const {
  if (scale_ == 0) return *this;
  return RoundTo(*this, 0, RoundMode::kCeiling);
}

Decimal Decimal::FloorTo(int places) const {
  if (places < 0) Raise(err::kInvalidProcedureCall);
  if (places >= scale_) return *this;
  return RoundTo(*this, places, RoundMode::kFloor);
}

Decimal Decimal::TruncateTo(int places) const {
  if (places < 0) Raise(err::kInvalidProcedureCall);
  if (places >= scale_) return *this;
  return RoundTo(*this, places, RoundMode::kTruncate);
}

Decimal Decimal::Normalize() const {
  if (IsZero()) return Decimal();
  u128 m = Mant(*this);
  int s = scale_;
  while (s > 0 && m % 10 == 0) {
    m /= 10;
    --s;
  }
  return Make(m, s, negative_);
}

Decimal Decimal::Rescale(int scale) const {
  if (scale < 0 || scale > kMaxScale) Raise(err::kInvalidProcedureCall);
  if (scale == scale_) return *this;
  if (scale < scale_) return RoundTo(*this, scale, RoundMode::kHalfEven);
  u128 m = Mant(*this);
  int d = scale - scale_;
  // m < 2^96 and m * 10^d < 2^96 requires m < 2^96 / 10^d.
  if (m != 0 && m > (kTwo96 - 1) / Pow10(d)) Overflow();
  return Make(m * Pow10(d), scale, negative_);
}

int Decimal::IntegerDigits() const {
  // The whole part of a d-digit mantissa at scale s has d - s digits (none
  // when d <= s): found by comparing with powers of ten, without dividing.
  int digits = 0;
  if (hi_ == 0) {
    while (digits < 20 && lo_ >= Pow10u64(digits)) ++digits;
  } else {
    const u128 mant = Mant(*this);
    while (digits < 38 && mant >= Pow10(digits)) ++digits;
  }
  return digits > scale_ ? digits - scale_ : 0;
}

bool Decimal::FitsWholeDigits(int digits) const {
  if (digits < 0) return false;
  // mantissa < 10^(digits + scale); a mantissa never reaches 10^29.
  const int k = digits + scale_;
  if (k >= 29) return true;
  return Mant(*this) < Pow10(k);
}

size_t Decimal::Hash() const {
  if (IsZero()) return 0;
  Decimal n = Normalize();
  uint64_t h = n.lo_ * 0x9E3779B97F4A7C15ull;
  h ^= (static_cast<uint64_t>(n.hi_) + 0x7F4A7C15ull + (h << 6) + (h >> 2));
  h ^= static_cast<uint64_t>(n.scale_) * 0xBF58476D1CE4E5B9ull;
  if (n.negative_) h = ~h;
  return static_cast<size_t>(h ^ (h >> 31));
}

}  // namespace zv
