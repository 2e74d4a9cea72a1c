// The platform decimal: exact arithmetic while results fit, half-even
// reduction with a sticky bit when they do not, the division's digit count,
// the boundaries at 2^96 - 1 and scale 28, and properties against an exact
// rational oracle.
#include "data/decimal.h"

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <unordered_set>

#include "data/error.h"
#include "tests/data/decimal_oracle.h"

namespace zv {
namespace {

constexpr const char* kMax = "79228162514264337593543950335";  // 2^96 - 1

Decimal D(const char* text) {
  auto d = Decimal::Parse(text);
  EXPECT_TRUE(d.has_value()) << text;
  return d.value_or(Decimal());
}

int ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const PlatformError& e) {
    return e.number();
  }
  return 0;
}

struct BinaryCase {
  const char* a;
  char op;
  const char* b;
  const char* expected;  // exact ToString(), or "E6" / "E11" for an error
};

std::string Apply(const Decimal& a, char op, const Decimal& b) {
  try {
    switch (op) {
      case '+':
        return (a + b).ToString();
      case '-':
        return (a - b).ToString();
      case '*':
        return (a * b).ToString();
      default:
        return (a / b).ToString();
    }
  } catch (const PlatformError& e) {
    return "E" + std::to_string(e.number());
  }
}

TEST(DecimalArithmetic, Table) {
  const BinaryCase cases[] = {
      // Exact results keep the natural scale.
      {"1.10", '+', "2.205", "3.305"},
      {"0.1", '+', "0.2", "0.3"},
      {"1.00", '-', "1", "0.00"},
      {"-1.5", '+', "1.5", "0.0"},
      {"1.1", '*', "1.1", "1.21"},
      {"1.50", '*', "2", "3.00"},
      {"-2", '*', "0.5", "-1.0"},
      {"123456789.123", '-', "0.0005", "123456789.1225"},
      // Sums that no longer fit drop decimals, half to even.
      {kMax, '+', "0", kMax},
      {kMax, '+', "1", "E6"},
      {"-79228162514264337593543950335", '-', "1", "E6"},
      {"79228162514264337593543950334", '+', "0.5",
       "79228162514264337593543950334"},
      {"79228162514264337593543950333", '+', "0.5",
       "79228162514264337593543950334"},
      {"79228162514264337593543950334", '+', "0.49",
       "79228162514264337593543950334"},
      {"79228162514264337593543950333", '+', "0.51",
       "79228162514264337593543950334"},
      // Sticky: a tie at the first dropped digit broken by a later one.
      {"79228162514264337593543950334", '+', "0.5000000000000000000000000001",
       "79228162514264337593543950335"},
      {"7922816251426433759354395033.4", '+', "0.05",
       "7922816251426433759354395033.4"},
      {"7922816251426433759354395033.4", '+', "0.0500000001",
       "7922816251426433759354395033.5"},
      {"1", '+', "0.0000000000000000000000000001",
       "1.0000000000000000000000000001"},
      {"10", '+', "0.0000000000000000000000000005",
       "10.000000000000000000000000000"},
      {"10", '+', "0.0000000000000000000000000015",
       "10.000000000000000000000000002"},
      {"0.9999999999999999999999999999", '+', "0.0000000000000000000000000001",
       "1.0000000000000000000000000000"},
      // Products: scale s1 + s2, reduced when above 28 or 96 bits.
      {"0.0000000000000000000000000001", '*', "0.0000000000000000000000000001",
       "0.0000000000000000000000000000"},
      {"-0.0000000000000000000000000001", '*', "0.5",
       "0.0000000000000000000000000000"},
      {"0.0000000000000000000000000001", '*', "0.6",
       "0.0000000000000000000000000001"},
      {"0.0000000000000000000000000003", '*', "0.5",
       "0.0000000000000000000000000002"},
      {"0.0000000000000000000000000001", '*', "1.5",
       "0.0000000000000000000000000002"},
      {"0.0000000000000000000000000001", '*', "2.5",
       "0.0000000000000000000000000002"},
      {kMax, '*', "0.5", "39614081257132168796771975168"},
      {kMax, '*', "1", kMax},
      {kMax, '*', "1.0", kMax},
      {kMax, '*', "1.1", "E6"},
      {kMax, '*', "-1", "-79228162514264337593543950335"},
      {"1.0000000000000000000000000001", '*', "1.0000000000000000000000000001",
       "1.0000000000000000000000000002"},
      // 29 nines do not fit 96 bits: one decimal fewer, rounded.
      {"3.3333333333333333333333333333", '*', "3",
       "10.000000000000000000000000000"},
      {"281474976710656", '*', "281474976710656", "E6"},  // exactly 2^96
      {"281474976710656", '*', "0.0000000000000001", "0.0281474976710656"},
      {"281474976710656", '*', "0.0281474976710656",
       "7922816251426.433759354395034"},
      // Division keeps the digits that fit and strips trailing zeros.
      {"1", '/', "3", "0.3333333333333333333333333333"},
      {"2", '/', "3", "0.6666666666666666666666666667"},
      {"10", '/', "3", "3.3333333333333333333333333333"},
      {"100", '/', "3", "33.333333333333333333333333333"},
      {"1", '/', "7", "0.1428571428571428571428571429"},
      {"1.00", '/', "1", "1"},
      {"1.20", '/', "1", "1.2"},
      {"100", '/', "1", "100"},
      {"1", '/', "8", "0.125"},
      {"-1", '/', "8", "-0.125"},
      {"1", '/', "-0.5", "-2"},
      {"0.0000000000000000000000000001", '/', "2", "0"},
      {"0.0000000000000000000000000003", '/', "2",
       "0.0000000000000000000000000002"},
      {"0.0000000000000000000000000005", '/', "2",
       "0.0000000000000000000000000002"},
      {kMax, '/', "0.1", "E6"},
      {kMax, '/', "1", kMax},
      {kMax, '/', "10", "7922816251426433759354395033.5"},
      {kMax, '/', "2", "39614081257132168796771975168"},
      {"1", '/', "0.0000000000000000000000000001",
       "10000000000000000000000000000"},
      {"7.9228162514264337593543950335", '/', "0.0000000000000000000000000001",
       kMax},
      // Rounding reaches 2^96: one decimal fewer (or an overflow at scale 0).
      {"7692054613035372581897470906.4", '*', "1.03",
       "7922816251426433759354395034"},
      {"76920546130353725818974709064", '*', "1.03", "E6"},
      {"5545971375998503631548076523.5", '/', "7",
       "792281625142643375935439503.4"},
      {"0", '/', "3", "0"},
      {"1", '/', "0", "E11"},
      {"0", '/', "0.00", "E11"},
      {"5", '/', "0.5", "10"},
      {"6", '/', "4", "1.5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " " + c.op + " " + c.b);
    EXPECT_EQ(Apply(D(c.a), c.op, D(c.b)), c.expected);
    // The oracle agrees with the table.
    Decimal a = D(c.a), b = D(c.b);
    if (c.op == '/' && b.IsZero()) continue;
    auto x = oracle::Exact(a), y = oracle::Exact(b);
    oracle::Expected e;
    switch (c.op) {
      case '+':
        e = oracle::ReduceToFit(oracle::Add(x, y, false),
                                std::max(a.scale(), b.scale()));
        break;
      case '-':
        e = oracle::ReduceToFit(oracle::Add(x, y, true),
                                std::max(a.scale(), b.scale()));
        break;
      case '*':
        e = oracle::ReduceToFit(oracle::Mul(x, y), a.scale() + b.scale());
        break;
      default:
        e = oracle::DivideExpected(oracle::Div(x, y));
        break;
    }
    std::string expected = c.expected;
    EXPECT_EQ(e.Text(), expected == "E6" ? "overflow" : expected);
  }
}

TEST(DecimalArithmetic, ResultNeverNegativeZero) {
  EXPECT_FALSE((D("-0.0000000000000000000000000001") * D("0.1")).negative());
  EXPECT_FALSE((D("-1") + D("1")).negative());
  EXPECT_FALSE((-Decimal()).negative());
  EXPECT_EQ((D("-0.0000000000000000000000000001") / D("3")).ToString(), "0");
}

TEST(DecimalParse, Accepts) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "0"},
      {"  12  ", "12"},
      {"\t-1.50 ", "-1.50"},
      {"+3", "3"},
      {".5", "0.5"},
      {"5.", "5"},
      {"1.5E3", "1500"},
      {"1.5e+3", "1500"},
      {"15E-1", "1.5"},
      {"-2.5E-3", "-0.0025"},
      {"0.00", "0.00"},
      {"000123.4500", "123.4500"},
      {kMax, kMax},
      {"79228162514264337593543950335.4", kMax},
      // Rounding to one decimal would give 2^96: one decimal fewer.
      {"7922816251426433759354395033.55", "7922816251426433759354395034"},
      {"7922816251426433759354395033.45", "7922816251426433759354395033.4"},
      {"0.00000000000000000000000000015", "0.0000000000000000000000000002"},
      {"0.00000000000000000000000000025", "0.0000000000000000000000000002"},
      {"0.000000000000000000000000000250000001",
       "0.0000000000000000000000000003"},
      {"1.23456789012345678901234567891234", "1.2345678901234567890123456789"},
      {"1E-40", "0.0000000000000000000000000000"},
      {"1E-99999999", "0.0000000000000000000000000000"},
      {"0E999", "0"},
      {"123456789012345678901234567890123456789E-10",
       "12345678901234567890123456789"},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    auto d = Decimal::Parse(text);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->ToString(), expected);
  }
}

TEST(DecimalParse, Rejects) {
  for (const char* text :
       {"", "  ", "-", ".", "1,5", "1.000,00", "1 000", "abc", "1e", "1e+",
        "1.2.3", "--1", "&H10", "1x", "1D3", "Infinity", "NaN"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(Decimal::Parse(text).has_value());
  }
}

TEST(DecimalParse, TooLargeIsOverflow) {
  EXPECT_EQ(ErrorOf([] { Decimal::Parse("79228162514264337593543950336"); }),
            err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Decimal::Parse("79228162514264337593543950335.5"); }),
            err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Decimal::Parse("1E29"); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Decimal::Parse("1E99999999"); }), err::kOverflow);
  EXPECT_EQ(Decimal::Parse("1E28")->ToString(),
            "10000000000000000000000000000");
}

TEST(DecimalFromDouble, FifteenSignificantDigits) {
  const std::pair<double, const char*> cases[] = {
      {0.1, "0.1"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {-1234.5678, "-1234.5678"},
      {1e20, "100000000000000000000"},
      {123456789012345678.0, "123456789012346000"},
      {1e-30, "0"},
      {0.0, "0"},
      {-0.0, "0"},
      {2.5, "2.5"},
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(expected);
    EXPECT_EQ(Decimal::FromDouble(value).ToString(), expected);
  }
  EXPECT_EQ(ErrorOf([] { Decimal::FromDouble(1e30); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Decimal::FromDouble(std::nan("")); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Decimal::FromDouble(-HUGE_VAL); }), err::kOverflow);
}

TEST(DecimalToDouble, NearestDouble) {
  EXPECT_EQ(D("0.1").ToDouble(), 0.1);
  EXPECT_EQ(D("-1234.5678").ToDouble(), -1234.5678);
  EXPECT_EQ(D("0.3333333333333333333333333333").ToDouble(), 1.0 / 3);
  EXPECT_EQ(D(kMax).ToDouble(), 79228162514264337593543950335.0);
  EXPECT_EQ(D("-0.0000000000000000000000000001").ToDouble(), -1e-28);
}

TEST(DecimalRounding, Table) {
  struct Case {
    const char* value;
    int places;
    const char* even;
    const char* away;
  };
  const Case cases[] = {
      {"2.5", 0, "2", "3"},
      {"3.5", 0, "4", "4"},
      {"-2.5", 0, "-2", "-3"},
      {"0.5", 0, "0", "1"},
      {"-0.5", 0, "0", "-1"},
      {"2.675", 2, "2.68", "2.68"},
      {"2.665", 2, "2.66", "2.67"},
      {"2.6650000001", 2, "2.67", "2.67"},
      {"1.005", 2, "1.00", "1.01"},
      {"1.23", 5, "1.23", "1.23"},
      {"1.25", 1, "1.2", "1.3"},
      {"1.35", 1, "1.4", "1.4"},
      {"0.0000000000000000000000000005", 27, "0.000000000000000000000000000",
       "0.000000000000000000000000001"},
      {"79228162514264337593543950.335", 2, "79228162514264337593543950.34",
       "79228162514264337593543950.34"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " @" + std::to_string(c.places));
    EXPECT_EQ(D(c.value).Round(c.places).ToString(), c.even);
    EXPECT_EQ(D(c.value).RoundHalfAwayFromZero(c.places).ToString(), c.away);
  }
  EXPECT_EQ(ErrorOf([] { D("1.5").Round(-1); }), err::kInvalidProcedureCall);
}

TEST(DecimalRounding, WholeParts) {
  struct Case {
    const char* value;
    const char* floor;
    const char* fix;
    const char* ceiling;
  };
  const Case cases[] = {
      {"-8.4", "-9", "-8", "-8"},
      {"8.4", "8", "8", "9"},
      {"-8", "-8", "-8", "-8"},
      {"-8.000", "-8", "-8", "-8"},
      {"0.0000000000000000000000000001", "0", "0", "1"},
      {"-0.0000000000000000000000000001", "-1", "0", "0"},
      {"7.9228162514264337593543950335", "7", "7", "8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(D(c.value).Floor().ToString(), c.floor);
    EXPECT_EQ(D(c.value).Truncate().ToString(), c.fix);
    EXPECT_EQ(D(c.value).Ceiling().ToString(), c.ceiling);
    EXPECT_FALSE(D(c.value).Truncate().IsZero() == false &&
                 D(c.value).Truncate().negative() != D(c.value).negative());
  }
  EXPECT_EQ(D("-1.231").FloorTo(2).ToString(), "-1.24");
  EXPECT_EQ(D("1.239").FloorTo(2).ToString(), "1.23");
  EXPECT_EQ(D("-1.239").TruncateTo(2).ToString(), "-1.23");
  EXPECT_EQ(D("1.2").FloorTo(2).ToString(), "1.2");
}

TEST(DecimalToInt64, HalfEvenAndRange) {
  EXPECT_EQ(D("2.5").ToInt64(), 2);
  EXPECT_EQ(D("3.5").ToInt64(), 4);
  EXPECT_EQ(D("-2.5").ToInt64(), -2);
  EXPECT_EQ(D("-2.51").ToInt64(), -3);
  EXPECT_EQ(D("9223372036854775807").ToInt64(), INT64_MAX);
  EXPECT_EQ(D("-9223372036854775808").ToInt64(), INT64_MIN);
  EXPECT_EQ(D("9223372036854775807.4").ToInt64(), INT64_MAX);
  EXPECT_EQ(ErrorOf([] { D("9223372036854775807.5").ToInt64(); }),
            err::kOverflow);
  EXPECT_EQ(ErrorOf([] { D("-9223372036854775809").ToInt64(); }),
            err::kOverflow);
  EXPECT_EQ(Decimal(INT64_MIN).ToString(), "-9223372036854775808");
}

TEST(DecimalScale, RescaleNormalizeDigits) {
  EXPECT_EQ(D("1.5").Rescale(3).ToString(), "1.500");
  EXPECT_EQ(D("1.255").Rescale(2).ToString(), "1.26");
  EXPECT_EQ(D("1.245").Rescale(2).ToString(), "1.24");
  EXPECT_EQ(D("7").Rescale(28).ToString(), "7.0000000000000000000000000000");
  EXPECT_EQ(ErrorOf([] { D("8").Rescale(28); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { D("1").Rescale(29); }), err::kInvalidProcedureCall);
  EXPECT_EQ(D("1.500").Normalize().ToString(), "1.5");
  EXPECT_EQ(D("100").Normalize().ToString(), "100");
  EXPECT_EQ(D("0.000").Normalize().ToString(), "0");
  EXPECT_EQ(D("0.5").IntegerDigits(), 0);
  EXPECT_EQ(D("9.5").IntegerDigits(), 1);
  EXPECT_EQ(D("-123.45").IntegerDigits(), 3);
  EXPECT_EQ(D(kMax).IntegerDigits(), 29);
}

TEST(DecimalCompare, ByValue) {
  EXPECT_EQ(D("1.50"), D("1.5"));
  EXPECT_EQ(D("-0.00"), D("0"));
  EXPECT_NE(D("1.5"), D("-1.5"));
  EXPECT_LT(D("-2"), D("-1.9999999999999999999999999999"));
  EXPECT_LT(D("0.0000000000000000000000000001"),
            D("0.000000000000000000000000001"));
  EXPECT_GT(D(kMax), D("7922816251426433759354395033.5"));
  EXPECT_LT(D("-1"), Decimal());
  EXPECT_EQ(D("1.50").Hash(), D("1.5").Hash());
  EXPECT_EQ(D("0.000").Hash(), Decimal().Hash());
  EXPECT_EQ(D("100").Hash(), D("100.00000").Hash());
  std::unordered_set<size_t> hashes;
  for (int i = -50; i <= 50; ++i)
    hashes.insert((Decimal(i) / Decimal(4)).Hash());
  EXPECT_GT(hashes.size(), 95u);
}

// --- Properties against the exact oracle --------------------------------

rc::Gen<Decimal> GenDecimal() {
  using u128 = unsigned __int128;
  auto mantissa = rc::gen::oneOf(
      rc::gen::map(rc::gen::inRange<uint64_t>(0, 1000),
                   [](uint64_t v) { return static_cast<u128>(v); }),
      rc::gen::map(rc::gen::arbitrary<uint64_t>(),
                   [](uint64_t v) { return static_cast<u128>(v); }),
      rc::gen::map(rc::gen::tuple(rc::gen::arbitrary<uint32_t>(),
                                  rc::gen::arbitrary<uint64_t>()),
                   [](std::tuple<uint32_t, uint64_t> t) {
                     return (static_cast<u128>(std::get<0>(t)) << 64) |
                            std::get<1>(t);
                   }),
      // Near 2^96 - 1 and near powers of ten, with ties ending in 5.
      rc::gen::map(
          rc::gen::inRange<uint64_t>(0, 1000),
          [](uint64_t v) { return ((static_cast<u128>(1) << 96) - 1) - v; }),
      rc::gen::map(
          rc::gen::tuple(rc::gen::inRange(0, 29), rc::gen::inRange(0, 10)),
          [](std::tuple<int, int> t) {
            u128 p = 1;
            for (int i = 0; i < std::get<0>(t); ++i) p *= 10;
            return p * 5 / 10 + static_cast<u128>(std::get<1>(t)) * p;
          }));
  return rc::gen::map(
      rc::gen::tuple(mantissa, rc::gen::inRange(0, 29),
                     rc::gen::arbitrary<bool>()),
      [](std::tuple<u128, int, bool> t) {
        u128 m = std::get<0>(t) & (((static_cast<u128>(1)) << 96) - 1);
        return Decimal::FromParts(static_cast<uint32_t>(m >> 64),
                                  static_cast<uint64_t>(m), std::get<1>(t),
                                  std::get<2>(t));
      });
}

std::string Actual(const std::function<Decimal()>& fn) {
  try {
    return fn().ToString();
  } catch (const PlatformError& e) {
    return e.number() == err::kOverflow ? "overflow"
                                        : "E" + std::to_string(e.number());
  }
}

RC_GTEST_PROP(DecimalProperties, AddMatchesOracle, ()) {
  Decimal a = *GenDecimal(), b = *GenDecimal();
  auto exact = oracle::Add(oracle::Exact(a), oracle::Exact(b), false);
  auto expected = oracle::ReduceToFit(exact, std::max(a.scale(), b.scale()));
  RC_ASSERT(Actual([&] { return a + b; }) == expected.Text());
}

RC_GTEST_PROP(DecimalProperties, SubtractMatchesOracle, ()) {
  Decimal a = *GenDecimal(), b = *GenDecimal();
  auto exact = oracle::Add(oracle::Exact(a), oracle::Exact(b), true);
  auto expected = oracle::ReduceToFit(exact, std::max(a.scale(), b.scale()));
  RC_ASSERT(Actual([&] { return a - b; }) == expected.Text());
}

RC_GTEST_PROP(DecimalProperties, MultiplyMatchesOracle, ()) {
  Decimal a = *GenDecimal(), b = *GenDecimal();
  auto exact = oracle::Mul(oracle::Exact(a), oracle::Exact(b));
  auto expected = oracle::ReduceToFit(exact, a.scale() + b.scale());
  RC_ASSERT(Actual([&] { return a * b; }) == expected.Text());
}

RC_GTEST_PROP(DecimalProperties, DivideMatchesOracle, ()) {
  Decimal a = *GenDecimal(), b = *GenDecimal();
  RC_PRE(!b.IsZero());
  auto exact = oracle::Div(oracle::Exact(a), oracle::Exact(b));
  auto expected = oracle::DivideExpected(exact);
  RC_ASSERT(Actual([&] { return a / b; }) == expected.Text());
}

RC_GTEST_PROP(DecimalProperties, RoundMatchesOracle, ()) {
  Decimal a = *GenDecimal();
  int places = *rc::gen::inRange(0, 29);
  std::string expected = a.ToString();
  if (places < a.scale()) {
    oracle::Expected e;
    e.ok = true;
    auto exact = oracle::Exact(a);
    e.negative = exact.negative;
    e.mantissa = oracle::RoundHalfEven(exact, places);
    e.scale = places;
    expected = e.Text();
  }
  RC_ASSERT(a.Round(places).ToString() == expected);
}

RC_GTEST_PROP(DecimalProperties, CompareMatchesOracle, ()) {
  Decimal a = *GenDecimal(), b = *GenDecimal();
  auto d = oracle::Add(oracle::Exact(a), oracle::Exact(b), true);
  int expected = d.num.IsZero() ? 0 : (d.negative ? -1 : 1);
  auto c = a <=> b;
  int actual = c < 0 ? -1 : (c > 0 ? 1 : 0);
  RC_ASSERT(actual == expected);
  RC_ASSERT((a == b) == (expected == 0));
  if (a == b) RC_ASSERT(a.Hash() == b.Hash());
}

RC_GTEST_PROP(DecimalProperties, ParseMatchesOracle, ()) {
  auto digits = *rc::gen::container<std::string>(
      *rc::gen::inRange<size_t>(1, 70),
      rc::gen::elementOf(std::string("0123456789")));
  size_t point = *rc::gen::inRange<size_t>(0, digits.size() + 1);
  int exponent = *rc::gen::oneOf(rc::gen::just(0), rc::gen::inRange(-60, 40));
  bool negative = *rc::gen::arbitrary<bool>();
  std::string text = (negative ? "-" : "") + digits.substr(0, point) + "." +
                     digits.substr(point);
  if (exponent != 0) text += "E" + std::to_string(exponent);
  oracle::Rational exact;
  for (char c : digits)
    exact.num = exact.num.MulSmall(10) + oracle::Big(c - '0');
  int natural = static_cast<int>(digits.size() - point) - exponent;
  if (natural >= 0) {
    exact.den = oracle::Big::Pow10(natural);
  } else {
    exact.num = exact.num * oracle::Big::Pow10(-natural);
  }
  exact.negative = negative && !exact.num.IsZero();
  auto expected = oracle::ReduceToFit(exact, std::max(natural, 0));
  RC_ASSERT(Actual([&] { return *Decimal::Parse(text); }) == expected.Text());
}

RC_GTEST_PROP(DecimalProperties, TextRoundTrips, ()) {
  Decimal a = *GenDecimal();
  std::string text = a.ToString();
  RC_ASSERT(text == oracle::ExactText(a));
  auto back = Decimal::Parse(text);
  RC_ASSERT(back.has_value());
  RC_ASSERT(back->ToString() == text);
  RC_ASSERT(a.Normalize() == a);
  RC_ASSERT(a.Floor() <= a);
  RC_ASSERT(a.Ceiling() >= a);
  RC_ASSERT((a - a.Truncate()).Abs() < Decimal(1));
}

}  // namespace
}  // namespace zv

namespace zv {
namespace {

// The whole part's digit count, as the text shows it.
RC_GTEST_PROP(DecimalProperty, IntegerDigitsCountTheWholePartOfTheText, ()) {
  const Decimal d = *GenDecimal();
  std::string text = d.ToString();
  if (text[0] == '-') text.erase(0, 1);
  const std::string whole = text.substr(0, text.find('.'));
  RC_ASSERT(d.IntegerDigits() == (whole == "0" ? 0 : static_cast<int>(whole.size())));
  const int digits = *rc::gen::inRange(-1, 31);
  RC_ASSERT(d.FitsWholeDigits(digits) == (d.IntegerDigits() <= digits));
}

}  // namespace
}  // namespace zv
