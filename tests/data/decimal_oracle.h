// An exact oracle for the decimal tests: unbounded unsigned integers as
// vectors of 32-bit limbs (schoolbook algorithms, binary long division) and
// the platform's rounding rules written directly on them. Deliberately
// simple and slow; it shares no code with data/decimal.cpp.
#ifndef ZV_TESTS_DATA_DECIMAL_ORACLE_H_
#define ZV_TESTS_DATA_DECIMAL_ORACLE_H_

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "data/decimal.h"

namespace zv::oracle {

class Big {
 public:
  Big() = default;
  explicit Big(unsigned __int128 v) {
    while (v != 0) {
      limbs_.push_back(static_cast<uint32_t>(v));
      v >>= 32;
    }
  }
  static Big Pow10(int n) {
    Big r(1);
    for (int i = 0; i < n; ++i) r = r.MulSmall(10);
    return r;
  }
  static Big Two96() { return Big(static_cast<unsigned __int128>(1) << 96); }

  bool IsZero() const { return limbs_.empty(); }
  bool IsOdd() const { return !limbs_.empty() && (limbs_[0] & 1); }
  int Bits() const {
    if (limbs_.empty()) return 0;
    return static_cast<int>(limbs_.size() - 1) * 32 + 32 -
           __builtin_clz(limbs_.back());
  }
  bool Bit(int i) const {
    size_t w = i / 32;
    return w < limbs_.size() && ((limbs_[w] >> (i % 32)) & 1);
  }
  unsigned __int128 ToU128() const {
    unsigned __int128 v = 0;
    for (size_t i = limbs_.size(); i-- > 0;) v = (v << 32) | limbs_[i];
    return v;
  }

  friend int Cmp(const Big& a, const Big& b) {
    if (a.limbs_.size() != b.limbs_.size())
      return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (size_t i = a.limbs_.size(); i-- > 0;)
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    return 0;
  }
  friend bool operator==(const Big& a, const Big& b) { return Cmp(a, b) == 0; }
  friend bool operator<(const Big& a, const Big& b) { return Cmp(a, b) < 0; }

  friend Big operator+(const Big& a, const Big& b) {
    Big r;
    uint64_t carry = 0;
    for (size_t i = 0; i < std::max(a.limbs_.size(), b.limbs_.size()) || carry;
         ++i) {
      uint64_t s = carry;
      if (i < a.limbs_.size()) s += a.limbs_[i];
      if (i < b.limbs_.size()) s += b.limbs_[i];
      r.limbs_.push_back(static_cast<uint32_t>(s));
      carry = s >> 32;
    }
    r.Trim();
    return r;
  }
  // Requires a >= b.
  friend Big operator-(const Big& a, const Big& b) {
    Big r;
    int64_t borrow = 0;
    for (size_t i = 0; i < a.limbs_.size(); ++i) {
      int64_t d = static_cast<int64_t>(a.limbs_[i]) - borrow -
                  (i < b.limbs_.size() ? b.limbs_[i] : 0);
      borrow = d < 0;
      if (d < 0) d += (int64_t{1} << 32);
      r.limbs_.push_back(static_cast<uint32_t>(d));
    }
    r.Trim();
    return r;
  }
  friend Big operator*(const Big& a, const Big& b) {
    Big r;
    r.limbs_.assign(a.limbs_.size() + b.limbs_.size(), 0);
    for (size_t i = 0; i < a.limbs_.size(); ++i) {
      uint64_t carry = 0;
      for (size_t j = 0; j < b.limbs_.size() || carry; ++j) {
        uint64_t cur = r.limbs_[i + j] + carry +
                       (j < b.limbs_.size()
                            ? static_cast<uint64_t>(a.limbs_[i]) * b.limbs_[j]
                            : 0);
        r.limbs_[i + j] = static_cast<uint32_t>(cur);
        carry = cur >> 32;
      }
    }
    r.Trim();
    return r;
  }
  Big MulSmall(uint32_t m) const { return *this * Big(m); }

  // Binary long division: *this = q * d + r.
  void DivMod(const Big& d, Big* q, Big* r) const {
    Big quo, rem;
    for (int i = Bits() - 1; i >= 0; --i) {
      rem = rem + rem;
      if (Bit(i)) rem = rem + Big(1);
      quo = quo + quo;
      if (!(rem < d)) {
        rem = rem - d;
        quo = quo + Big(1);
      }
    }
    *q = quo;
    *r = rem;
  }

  std::string ToString() const {
    if (IsZero()) return "0";
    std::string s;
    Big v = *this, q, r;
    Big ten(10);
    while (!v.IsZero()) {
      v.DivMod(ten, &q, &r);
      s.push_back(static_cast<char>('0' + static_cast<int>(r.ToU128())));
      v = q;
    }
    std::reverse(s.begin(), s.end());
    return s;
  }

 private:
  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }
  std::vector<uint32_t> limbs_;
};

// An exact rational num/den with a sign (den > 0).
struct Rational {
  bool negative = false;
  Big num, den{Big(1)};
};

inline Big Mantissa(const Decimal& d) {
  return Big((static_cast<unsigned __int128>(d.hi()) << 64) | d.lo());
}

inline Rational Exact(const Decimal& d) {
  return Rational{d.negative() && !d.IsZero(), Mantissa(d),
                  Big::Pow10(d.scale())};
}

inline Rational Add(const Rational& a, const Rational& b, bool subtract) {
  bool bneg = b.negative != subtract;
  Big x = a.num * b.den, y = b.num * a.den;
  Rational r;
  r.den = a.den * b.den;
  if (a.negative == bneg) {
    r.num = x + y;
    r.negative = a.negative;
  } else if (!(x < y)) {
    r.num = x - y;
    r.negative = a.negative;
  } else {
    r.num = y - x;
    r.negative = bneg;
  }
  if (r.num.IsZero()) r.negative = false;
  return r;
}

inline Rational Mul(const Rational& a, const Rational& b) {
  Rational r{a.negative != b.negative, a.num * b.num, a.den * b.den};
  if (r.num.IsZero()) r.negative = false;
  return r;
}

inline Rational Div(const Rational& a, const Rational& b) {
  Rational r{a.negative != b.negative, a.num * b.den, a.den * b.num};
  if (r.num.IsZero()) r.negative = false;
  return r;
}

// floor(|x| * 10^s) and whether there is a remainder; the remainder
// compared with half the denominator (-1, 0, 1) goes into *half.
inline Big ScaledFloor(const Rational& x, int s, Big* rem) {
  Big q;
  (x.num * Big::Pow10(s)).DivMod(x.den, &q, rem);
  return q;
}

inline Big RoundHalfEven(const Rational& x, int s) {
  Big rem;
  Big q = ScaledFloor(x, s, &rem);
  int c = Cmp(rem + rem, x.den);
  if (c > 0 || (c == 0 && q.IsOdd())) q = q + Big(1);
  return q;
}

// The expected decimal for an exact add, subtract or multiply result: the
// largest scale <= 28 (and <= `natural`, the exact result's scale) at which
// the value rounded half to even fits 96 bits. `ok` is false on overflow.
struct Expected {
  bool ok = false;
  bool negative = false;
  Big mantissa;
  int scale = 0;
  std::string Text() const {
    if (!ok) return "overflow";
    std::string digits = mantissa.ToString();
    if (scale > 0) {
      if (static_cast<int>(digits.size()) <= scale)
        digits.insert(0, scale - digits.size() + 1, '0');
      digits.insert(digits.size() - scale, ".");
    }
    return (negative && !mantissa.IsZero() ? "-" : "") + digits;
  }
};

inline Expected ReduceToFit(const Rational& x, int natural) {
  Expected e;
  for (int s = std::min(natural, Decimal::kMaxScale); s >= 0; --s) {
    Big q = RoundHalfEven(x, s);
    if (q < Big::Two96()) {
      e.ok = true;
      e.negative = x.negative;
      e.mantissa = q;
      e.scale = s;
      return e;
    }
  }
  return e;
}

// The expected quotient: the largest scale <= 28 at which floor fits 96 bits,
// rounded half to even (falling back one scale when rounding reaches 2^96),
// then trailing zeros stripped.
inline Expected DivideExpected(const Rational& x) {
  Expected e;
  int best = -1;
  for (int s = Decimal::kMaxScale; s >= 0; --s) {
    Big rem;
    if (ScaledFloor(x, s, &rem) < Big::Two96()) {
      best = s;
      break;
    }
  }
  if (best < 0) return e;
  Big q = RoundHalfEven(x, best);
  if (!(q < Big::Two96())) {
    if (best == 0) return e;
    --best;
    q = RoundHalfEven(x, best);
  }
  Big ten(10), qq, r;
  while (best > 0) {
    q.DivMod(ten, &qq, &r);
    if (!r.IsZero()) break;
    q = qq;
    --best;
  }
  e.ok = true;
  e.negative = x.negative && !q.IsZero();
  e.mantissa = q;
  e.scale = best;
  return e;
}

inline std::string ExactText(const Decimal& d) {
  Expected e;
  e.ok = true;
  e.negative = d.negative();
  e.mantissa = Mantissa(d);
  e.scale = d.scale();
  return e.Text();
}

}  // namespace zv::oracle

#endif  // ZV_TESTS_DATA_DECIMAL_ORACLE_H_
