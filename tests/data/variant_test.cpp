// Variant conversions with the platform's rules: banker's rounding of whole
// numbers, Booleans as -1/0, "." as the only decimal separator, type
// mismatch and invalid use of Null, the text of every kind.
#include "data/variant.h"

#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <functional>

#include "data/dispatch.h"
#include "data/error.h"

namespace zv {
namespace {

int ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const PlatformError& e) {
    return e.number();
  }
  return 0;
}

Decimal D(const char* text) { return *Decimal::Parse(text); }

// An object whose default member is `value`.
class Boxed : public Dispatch {
 public:
  explicit Boxed(Variant v) : value_(std::move(v)) {}
  std::string TypeName() const override { return "Field"; }
  Variant Get(std::string_view name) override {
    if (name.empty() || NameEquals(name, "Value")) return value_;
    return Dispatch::Get(name);
  }

 private:
  Variant value_;
};

// An object without a default member.
class Plain : public Dispatch {
 public:
  std::string TypeName() const override { return "CLSPD_CAMPOGR"; }
};

TEST(VariantKinds, TypeAndTypeName) {
  struct Case {
    Variant v;
    VarType type;
    const char* name;
  };
  const Case cases[] = {
      {Variant(), VarType::kEmpty, "Empty"},
      {Variant::Null(), VarType::kNull, "Null"},
      {Variant(true), VarType::kBoolean, "Boolean"},
      {Variant(int16_t{1}), VarType::kInteger, "Integer"},
      {Variant(1), VarType::kLong, "Long"},
      {Variant(int64_t{1}), VarType::kLongLong, "LongLong"},
      {Variant(uint8_t{1}), VarType::kByte, "Byte"},
      {Variant(1.0f), VarType::kSingle, "Single"},
      {Variant(1.0), VarType::kDouble, "Double"},
      {Variant(D("1.5")), VarType::kDecimal, "Decimal"},
      {Variant::Date(1), VarType::kDate, "Date"},
      {Variant("x"), VarType::kString, "String"},
      {Variant::Nothing(), VarType::kObject, "Nothing"},
      {Variant(std::make_shared<Plain>()), VarType::kObject, "CLSPD_CAMPOGR"},
      {MakeArray({Variant(1)}), VarType::kArray, "Variant()"},
      // Other integer types: Long when they fit, else LongLong.
      {Variant(size_t{5}), VarType::kLong, "Long"},
      {Variant(uint32_t{4000000000u}), VarType::kLongLong, "LongLong"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.v.type(), c.type);
    EXPECT_EQ(c.v.TypeName(), c.name);
  }
  EXPECT_TRUE(Variant::Nothing().IsNothing());
  EXPECT_FALSE(Variant(std::make_shared<Plain>()).IsNothing());
}

TEST(VariantWholeNumbers, BankersRounding) {
  struct Case {
    Variant v;
    int32_t expected;
  };
  const Case cases[] = {
      {Variant(0.5), 0},
      {Variant(1.5), 2},
      {Variant(2.5), 2},
      {Variant(3.5), 4},
      {Variant(-0.5), 0},
      {Variant(-1.5), -2},
      {Variant(-2.5), -2},
      {Variant(2.4999), 2},
      {Variant(2.5001), 3},
      {Variant(0.5f), 0},
      {Variant(D("2.5")), 2},
      {Variant(D("3.5")), 4},
      {Variant(D("-2.5")), -2},
      {Variant("2.5"), 2},
      {Variant(" 3.5 "), 4},
      {Variant("1.5E1"), 15},
      {Variant(true), -1},
      {Variant(false), 0},
      {Variant(), 0},
      {Variant("&H10"), 16},
      {Variant("&hff"), 255},
      {Variant("&O17"), 15},
      {Variant("&HFFFFFFFF"), -1},
      {Variant::Date(2.5), 2},
      {Variant(D("2.50000000000000000001")), 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.v.Debug());
    EXPECT_EQ(c.v.ToLong(), c.expected);
    EXPECT_EQ(c.v.ToInteger(), c.expected);
    EXPECT_EQ(c.v.ToLongLong(), c.expected);
  }
}

TEST(VariantWholeNumbers, RangesOverflow) {
  EXPECT_EQ(Variant(32767.4).ToInteger(), 32767);
  EXPECT_EQ(ErrorOf([] { Variant(32767.5).ToInteger(); }), err::kOverflow);
  EXPECT_EQ(Variant(-32768.5).ToInteger(), -32768);
  EXPECT_EQ(ErrorOf([] { Variant(-32769).ToInteger(); }), err::kOverflow);
  EXPECT_EQ(Variant(2147483647.4).ToLong(), 2147483647);
  EXPECT_EQ(ErrorOf([] { Variant(2147483647.5).ToLong(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant(int64_t{1} << 31).ToLong(); }),
            err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant(1e19).ToLongLong(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant(9223372036854775808.0).ToLongLong(); }),
            err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant(std::nan("")).ToLong(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant("1E30").ToLong(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant("&H100000000").ToLong(); }), err::kOverflow);
  EXPECT_EQ(Variant(255.4).ToByte(), 255);
  EXPECT_EQ(ErrorOf([] { Variant(255.5).ToByte(); }), err::kOverflow);
  EXPECT_EQ(Variant(254.5).ToByte(), 254);
  EXPECT_EQ(ErrorOf([] { Variant(-1).ToByte(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant(256).ToByte(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant(true).ToByte(); }), err::kOverflow);
  EXPECT_EQ(Variant(-0.4).ToByte(), 0);
}

TEST(VariantConversions, NullAndMismatch) {
  const Variant null = Variant::Null();
  EXPECT_EQ(ErrorOf([&] { null.ToLong(); }), err::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([&] { null.ToDecimal(); }), err::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([&] { null.ToDouble(); }), err::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([&] { null.ToString(); }), err::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([&] { null.ToBool(); }), err::kInvalidUseOfNull);
  EXPECT_EQ(ErrorOf([&] { null.ToDate(); }), err::kInvalidUseOfNull);
  for (const char* text : {"", " ", "abc", "1,5", "1.000,5", "1 000", "12a",
                           "--1", "&H", "&HG", "1e", "Infinity", "nan", "$5"}) {
    SCOPED_TRACE(text);
    Variant v(text);
    EXPECT_EQ(ErrorOf([&] { v.ToLong(); }), err::kTypeMismatch);
    EXPECT_EQ(ErrorOf([&] { v.ToDecimal(); }), err::kTypeMismatch);
    EXPECT_EQ(ErrorOf([&] { v.ToDouble(); }), err::kTypeMismatch);
    EXPECT_EQ(ErrorOf([&] { v.ToBool(); }), err::kTypeMismatch);
    EXPECT_FALSE(v.IsNumeric());
  }
  Variant array = MakeArray({Variant(1)});
  EXPECT_EQ(ErrorOf([&] { array.ToLong(); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { array.ToString(); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Variant(1).ToObject(); }), err::kTypeMismatch);
  EXPECT_EQ(ErrorOf([] { Variant().ToArray(); }), err::kTypeMismatch);
  EXPECT_EQ(Variant::Nothing().ToObject(), nullptr);
  EXPECT_EQ(ErrorOf([] { Variant::Nothing().ToLong(); }),
            err::kObjectVariableNotSet);
  EXPECT_EQ(ErrorOf([] { Variant(std::make_shared<Plain>()).ToString(); }),
            err::kNotSupportedMember);
}

TEST(VariantConversions, ObjectsThroughDefaultMember) {
  Variant field(std::make_shared<Boxed>(Variant(D("12.50"))));
  EXPECT_EQ(field.ToDecimal(), D("12.5"));
  EXPECT_EQ(field.ToLong(), 12);
  EXPECT_EQ(field.ToString(), "12.5");
  EXPECT_TRUE(field.IsNumeric());
  Variant text_field(std::make_shared<Boxed>(Variant("abc")));
  EXPECT_FALSE(text_field.IsNumeric());
  EXPECT_FALSE(Variant(std::make_shared<Plain>()).IsNumeric());
}

TEST(VariantConversions, ToDecimal) {
  EXPECT_EQ(Variant().ToDecimal().ToString(), "0");
  EXPECT_EQ(Variant(true).ToDecimal().ToString(), "-1");
  EXPECT_EQ(Variant(int16_t{-7}).ToDecimal().ToString(), "-7");
  EXPECT_EQ(Variant(0.1).ToDecimal().ToString(), "0.1");
  EXPECT_EQ(Variant(1.0 / 3).ToDecimal().ToString(), "0.333333333333333");
  EXPECT_EQ(Variant(0.1f).ToDecimal().ToString(), "0.1");
  EXPECT_EQ(Variant(" 1.50 ").ToDecimal().ToString(), "1.50");
  EXPECT_EQ(Variant("-1.5E2").ToDecimal().ToString(), "-150");
  EXPECT_EQ(Variant("&H1F").ToDecimal().ToString(), "31");
  EXPECT_EQ(ErrorOf([] { Variant("1E30").ToDecimal(); }), err::kOverflow);
  EXPECT_EQ(ErrorOf([] { Variant(1e30).ToDecimal(); }), err::kOverflow);
  EXPECT_EQ(Variant::Date(45000.5).ToDecimal().ToString(), "45000.5");
}

TEST(VariantConversions, ToDoubleAndSingle) {
  EXPECT_EQ(Variant("  2.5 ").ToDouble(), 2.5);
  EXPECT_EQ(Variant("1e-400").ToDouble(), 0.0);
  EXPECT_EQ(ErrorOf([] { Variant("1e400").ToDouble(); }), err::kOverflow);
  EXPECT_EQ(Variant(D("0.1")).ToDouble(), 0.1);
  EXPECT_EQ(Variant(true).ToDouble(), -1.0);
  EXPECT_EQ(Variant(1.5).ToSingle(), 1.5f);
  EXPECT_EQ(ErrorOf([] { Variant(1e39).ToSingle(); }), err::kOverflow);
}

TEST(VariantConversions, ToBool) {
  EXPECT_TRUE(Variant("True").ToBool());
  EXPECT_TRUE(Variant("TRUE").ToBool());
  EXPECT_TRUE(Variant(" true ").ToBool());
  EXPECT_FALSE(Variant("false").ToBool());
  EXPECT_TRUE(Variant("-1").ToBool());
  EXPECT_TRUE(Variant("0.5").ToBool());
  EXPECT_FALSE(Variant("0").ToBool());
  EXPECT_FALSE(Variant("0.000").ToBool());
  EXPECT_TRUE(Variant("1E400").ToBool());
  EXPECT_TRUE(Variant(2).ToBool());
  EXPECT_FALSE(Variant(D("0.00")).ToBool());
  EXPECT_FALSE(Variant().ToBool());
  EXPECT_EQ(ErrorOf([] { Variant("yes").ToBool(); }), err::kTypeMismatch);
}

TEST(VariantText, EveryKind) {
  struct Case {
    Variant v;
    const char* text;
  };
  const Case cases[] = {
      {Variant(), ""},
      {Variant(true), "True"},
      {Variant(false), "False"},
      {Variant(int16_t{-12}), "-12"},
      {Variant(123456), "123456"},
      {Variant(int64_t{-9223372036854775807 - 1}), "-9223372036854775808"},
      {Variant(uint8_t{200}), "200"},
      {Variant(0.5), "0.5"},
      {Variant(-0.0), "0"},
      {Variant(1.0 / 3), "0.333333333333333"},
      {Variant(2.0 / 3), "0.666666666666667"},
      {Variant(1234567.25), "1234567.25"},
      {Variant(123456789012345.0), "123456789012345"},
      {Variant(1234567890123456.0), "1.23456789012346E+15"},
      {Variant(1e15), "1E+15"},
      {Variant(1e20), "1E+20"},
      {Variant(0.0001), "0.0001"},
      {Variant(0.00001), "1E-05"},
      {Variant(1.5e-7), "1.5E-07"},
      {Variant(-2.5e-300), "-2.5E-300"},
      {Variant(0.1f), "0.1"},
      {Variant(1.0f / 3), "0.3333333"},
      {Variant(12345678.0f), "1.234568E+07"},
      {Variant(D("1.50")), "1.5"},
      {Variant(D("-0.000")), "0"},
      {Variant(D("100")), "100"},
      {Variant(D("0.0000000000000000000000000001")),
       "0.0000000000000000000000000001"},
      {Variant::Date(45322), "2024-01-31"},
      {Variant::Date(45322 + 10.0 / 24), "2024-01-31 10:00:00"},
      {Variant::Date(0.5), "12:00:00"},
      {Variant::Date(0), "1899-12-30"},
      {Variant("  keep  "), "  keep  "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.v.ToString(), c.text);
  }
}

TEST(VariantText, Debug) {
  EXPECT_EQ(Variant().Debug(), "Empty");
  EXPECT_EQ(Variant::Null().Debug(), "Null");
  EXPECT_EQ(Variant("a\"b").Debug(), "\"a\"\"b\"");
  EXPECT_EQ(Variant(12).Debug(), "12");
  EXPECT_EQ(Variant(D("1.50")).Debug(), "1.50D");
  EXPECT_EQ(Variant::Date(45322 + 10.0 / 24).Debug(), "#2024-01-31 10:00:00#");
  EXPECT_EQ(Variant(true).Debug(), "True");
  EXPECT_EQ(Variant::Nothing().Debug(), "Nothing");
  EXPECT_EQ(MakeArray({Variant(1), Variant("x")}).Debug(), "Array(1, \"x\")");
  EXPECT_EQ(MakeArray({}).Debug(), "Array()");
}

TEST(VariantNumeric, IsNumeric) {
  for (const Variant& v :
       {Variant(), Variant(true), Variant(1), Variant(1.5), Variant(D("1")),
        Variant("12"), Variant(" -1.5 "), Variant("1E5"), Variant("&H1F"),
        Variant(".5"), Variant("5.")}) {
    SCOPED_TRACE(v.Debug());
    EXPECT_TRUE(v.IsNumeric());
  }
  for (const Variant& v :
       {Variant::Null(), Variant(""), Variant("1,5"), Variant("abc"),
        Variant::Date(1), Variant::Nothing(), MakeArray({})}) {
    SCOPED_TRACE(v.Debug());
    EXPECT_FALSE(v.IsNumeric());
  }
  EXPECT_TRUE(Variant(true).IsNumber());
  EXPECT_FALSE(Variant("1").IsNumber());
  EXPECT_FALSE(Variant().IsNumber());
}

TEST(VariantEquality, Strict) {
  EXPECT_EQ(Variant(1), Variant(1));
  EXPECT_NE(Variant(1), Variant(int16_t{1}));
  EXPECT_NE(Variant(1), Variant(1.0));
  EXPECT_EQ(Variant(D("1.50")), Variant(D("1.5")));
  EXPECT_NE(Variant("a"), Variant("A"));
  EXPECT_EQ(Variant("a"), Variant(std::string("a")));
  EXPECT_EQ(Variant(), Variant());
  EXPECT_EQ(Variant::Null(), Variant::Null());
  EXPECT_NE(Variant(), Variant::Null());
  auto o = std::make_shared<Plain>();
  EXPECT_EQ(Variant(o), Variant(o));
  EXPECT_NE(Variant(o), Variant(std::make_shared<Plain>()));
  EXPECT_EQ(Variant::Nothing(), Variant::Nothing());
  EXPECT_EQ(MakeArray({Variant(1)}), MakeArray({Variant(1)}));
  EXPECT_NE(MakeArray({Variant(1)}), MakeArray({Variant(2)}));
}

TEST(DoubleText, ParseDouble) {
  double v = 0;
  EXPECT_TRUE(ParseDouble(" 1.5 ", &v));
  EXPECT_EQ(v, 1.5);
  EXPECT_TRUE(ParseDouble("-2E3", &v));
  EXPECT_EQ(v, -2000);
  EXPECT_TRUE(ParseDouble("+.25", &v));
  EXPECT_EQ(v, 0.25);
  for (const char* bad :
       {"", "1,5", "inf", "nan", "0x10", "1e", "1.2.3", "- 1"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseDouble(bad, &v));
  }
}

RC_GTEST_PROP(DoubleText, FifteenDigitsRoundTrip, (double x)) {
  RC_PRE(std::isfinite(x));
  std::string text = DoubleToText(x);
  double back = 0;
  RC_ASSERT(ParseDouble(text, &back));
  // 15 significant digits: equal within a relative 1e-14.
  RC_ASSERT(std::fabs(back - x) <= std::fabs(x) * 1e-14);
  RC_ASSERT(text.find(',') == std::string::npos);
}

RC_GTEST_PROP(VariantProperties, LongRoundsHalfEven, (int32_t base)) {
  RC_PRE(base > INT32_MIN && base < INT32_MAX);
  double half = static_cast<double>(base) + 0.5;
  int32_t expected = (base % 2 == 0) ? base : base + 1;
  RC_ASSERT(Variant(half).ToLong() == expected);
  RC_ASSERT(Variant(Decimal(base) + D("0.5")).ToLong() == expected);
  RC_ASSERT(Variant(Variant(half).ToString()).ToLong() == expected);
}

}  // namespace
}  // namespace zv
