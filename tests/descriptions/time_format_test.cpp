#include "descriptions/time_format.h"

#include <gtest/gtest.h>

#include "data/decimal.h"
#include "data/error.h"

namespace zv {
namespace {

Variant Dec(const char* text) { return Variant(*Decimal::Parse(text)); }

TEST(TrasformaTempoTest, Table) {
  struct Case {
    const char* what;
    Variant hours;
    const char* text;
  } cases[] = {
      {"null", Variant::Null(), ""},
      {"empty", Variant(), ""},
      {"zero", Variant(int32_t{0}), ""},
      {"zero as text", Variant("0"), ""},
      {"false", Variant(false), ""},
      {"not a number", Variant("abc"), "abc"},
      {"one and a half", Variant(1.5), " 1h 30m 00s"},
      {"a quarter", Variant(0.25), "15m 00s"},
      {"twelve", Variant(int32_t{12}), "12h 00m 00s"},
      {"ten", Variant(int16_t{10}), "10h 00m 00s"},
      {"nine", Variant(9.0), " 9h 00m 00s"},
      {"half an hour as text", Variant("0.5"), "30m 00s"},
      {"minutes below ten", Dec("2.1"), " 2h 06m 00s"},
      {"hours without minutes", Dec("2.0125"), " 2h 00m 45s"},
      {"seconds only", Dec("0.01"), "36s"},
      {"seconds below ten", Dec("0.0025"), "09s"},
      {"fraction of a second dropped", Dec("0.001"), "03s"},
      {"a hundred hours", Dec("100.5"), "100h 30m 00s"},
      {"all three parts", Dec("10.2525"), "10h 15m 09s"},
      // 0.15 h is exactly 9 minutes in decimal arithmetic (binary
      // arithmetic would make it 8m 59s).
      {"exact decimal minutes", Variant(1.15), " 1h 09m 00s"},
      {"one third of a minute short", Dec("0.0083333333333333333333333333"), "29s"},
      // Negative durations count the hours down to the next whole number.
      {"negative", Variant(-1.5), " -2h 30m 00s"},
      {"true is minus one", Variant(true), " -1h 00m 00s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(TrasformaTempo(c.hours), c.text);
  }
}

TEST(TrasformaTempoTest, ValuesWithoutTextRaise) {
  try {
    TrasformaTempo(Variant::Nothing());
    FAIL() << "an object has no text";
  } catch (const PlatformError& e) {
    EXPECT_NE(e.number(), 0);
  }
}

}  // namespace
}  // namespace zv
