// The shared value routines of MODPD_VESTARO: blanks, Null and Empty, texts
// that are not numbers, the variant-code table and exact truncation.
#include "shell/module.h"

#include <gtest/gtest.h>

#include "data/dispatch.h"

namespace zv {
namespace {

Decimal D(const char* text) { return *Decimal::Parse(text); }

class Plain : public Dispatch {
 public:
  std::string TypeName() const override { return "Plain"; }
};

TEST(ModuleNVL, DefaultForNullEmptyBlank) {
  const Variant def("dflt");
  EXPECT_EQ(NVL(Variant::Null(), def), def);
  EXPECT_EQ(NVL(Variant(), def), def);
  EXPECT_EQ(NVL(Variant(""), def), def);
  EXPECT_EQ(NVL(Variant("   "), def), def);
  EXPECT_EQ(NVL(Variant(" x "), def), Variant(" x "));
  EXPECT_EQ(NVL(Variant(0), def), Variant(0));
  EXPECT_EQ(NVL(Variant(false), def), Variant(false));
  EXPECT_EQ(NVL(Variant(D("1.50")), Variant(0)).Debug(), "1.50D");
  EXPECT_EQ(NVL(Variant::Null(), Variant("")), Variant(""));
  auto o = std::make_shared<Plain>();
  EXPECT_EQ(NVL(Variant(o), def), Variant(o));  // no text: the value itself
}

TEST(ModuleCDecN, ZeroForBlankOrNotANumber) {
  for (const Variant& v :
       {Variant::Null(), Variant(), Variant(""), Variant("   "), Variant("abc"),
        Variant("1,5"), Variant::Nothing(), Variant(std::make_shared<Plain>()),
        MakeArray({}), Variant("1E40")}) {
    SCOPED_TRACE(v.Debug());
    Variant r = CDecN(v);
    EXPECT_EQ(r.type(), VarType::kInteger);
    EXPECT_EQ(r, Variant(int16_t{0}));
  }
  EXPECT_EQ(CDecN(Variant(7)).Debug(), "7D");
  EXPECT_EQ(CDecN(Variant(7)).type(), VarType::kDecimal);
  EXPECT_EQ(CDecN(Variant(" 12.50 ")).Debug(), "12.50D");
  EXPECT_EQ(CDecN(Variant(0.1)).Debug(), "0.1D");
  EXPECT_EQ(CDecN(Variant(true)).Debug(), "-1D");
  EXPECT_EQ(CDecN(Variant(D("-3.25"))).Debug(), "-3.25D");
  EXPECT_EQ(CDecN(Variant("0")).Debug(), "0D");
}

TEST(ModuleNullSeZero, NullWhenTextIsZero) {
  for (const Variant& v :
       {Variant(0), Variant("0"), Variant(" 0 "), Variant(0.0),
        Variant(D("0.000")), Variant(int16_t{0}), Variant(false)}) {
    SCOPED_TRACE(v.Debug());
    // False reads "False", not "0".
    if (v.type() == VarType::kBoolean) {
      EXPECT_EQ(NullSeZero(v), v);
    } else {
      EXPECT_TRUE(NullSeZero(v).IsNull());
    }
  }
  for (const Variant& v :
       {Variant(0.5), Variant("00"), Variant("0.0"), Variant(""), Variant(),
        Variant(D("0.5")), Variant(-1), Variant(std::make_shared<Plain>()),
        MakeArray({})}) {
    SCOPED_TRACE(v.Debug());
    EXPECT_EQ(NullSeZero(v), v);
  }
  EXPECT_TRUE(NullSeZero(Variant::Null()).IsNull());
}

TEST(ModuleRTrimNVL, TrailingBlanks) {
  EXPECT_EQ(RTrimNVL(Variant("   ")), "");
  EXPECT_EQ(RTrimNVL(Variant("AB  ")), "AB");
  EXPECT_EQ(RTrimNVL(Variant("  AB  ")), "  AB");
  EXPECT_EQ(RTrimNVL(Variant::Null()), "");
  EXPECT_EQ(RTrimNVL(Variant()), "");
  EXPECT_EQ(RTrimNVL(Variant("")), "");
  EXPECT_EQ(RTrimNVL(Variant(12)), "12");
  EXPECT_EQ(RTrimNVL(Variant(D("1.50"))), "1.5");
  EXPECT_EQ(RTrimNVL(Variant::Nothing()), "");
}

TEST(ModuleVariantCodes, BothDirections) {
  for (int i = 0; i < 20; ++i) {
    std::string code = std::string(1, i < 10 ? 'A' : 'B') + char('0' + i % 10);
    SCOPED_TRACE(code);
    EXPECT_EQ(IndiceDaCodiceVar(Variant(code)),
              Variant(static_cast<int16_t>(i)));
    EXPECT_EQ(CodiceVarDaIndice(Variant(i)), Variant(code));
    EXPECT_EQ(CodiceVarDaIndice(Variant(static_cast<int16_t>(i))),
              Variant(code));
  }
  for (const Variant& v :
       {Variant("C0"), Variant("a0"), Variant("A"), Variant("A10"),
        Variant(" A0"), Variant(""), Variant::Null(), Variant(), Variant(0)}) {
    SCOPED_TRACE(v.Debug());
    EXPECT_TRUE(IndiceDaCodiceVar(v).IsEmpty());
  }
  EXPECT_EQ(CodiceVarDaIndice(Variant(3.0)), Variant("A3"));
  EXPECT_EQ(CodiceVarDaIndice(Variant(D("12"))), Variant("B2"));
  EXPECT_EQ(CodiceVarDaIndice(Variant("15")), Variant("B5"));
  for (const Variant& v : {Variant(20), Variant(-1), Variant(3.5), Variant("x"),
                           Variant::Null(), Variant(), Variant::Nothing()}) {
    SCOPED_TRACE(v.Debug());
    EXPECT_TRUE(CodiceVarDaIndice(v).IsEmpty());
  }
}

TEST(ModuleTroncaDecimali, FloorsExactly) {
  struct Case {
    Variant value;
    int decimals;
    const char* expected;  // Debug() of the result
  };
  const Case cases[] = {
      {Variant(D("-1.231")), 2, "-1.24D"},
      {Variant(D("1.239")), 2, "1.23D"},
      {Variant(D("1.5")), 2, "1.5D"},
      {Variant(D("-8.4")), 0, "-9D"},
      {Variant(-1.231), 2, "-1.24D"},
      {Variant(2.675), 2, "2.67D"},  // 15 digits: 2.675 exactly, then floored
      {Variant("3.14159"), 3, "3.141D"},
      {Variant(7), 2, "7D"},
      {Variant(), 2, "0D"},
      {Variant(D("0.0000000000000000000000000001")), 27,
       "0.000000000000000000000000000D"},
      {Variant(D("-0.0000000000000000000000000001")), 27,
       "-0.000000000000000000000000001D"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.Debug());
    EXPECT_EQ(TroncaDecimali(c.value, Variant(c.decimals)).Debug(), c.expected);
  }
  // Fallback: the value unchanged.
  EXPECT_TRUE(TroncaDecimali(Variant::Null(), Variant(2)).IsNull());
  EXPECT_EQ(TroncaDecimali(Variant("abc"), Variant(2)), Variant("abc"));
  EXPECT_EQ(TroncaDecimali(Variant(1.5), Variant("x")), Variant(1.5));
  EXPECT_EQ(TroncaDecimali(Variant(1.5), Variant(-1)), Variant(1.5));
  EXPECT_EQ(TroncaDecimali(Variant(1e40), Variant(2)), Variant(1e40));
}

}  // namespace
}  // namespace zv
