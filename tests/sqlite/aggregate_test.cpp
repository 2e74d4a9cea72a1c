// The exact aggregates: tsql_sum and tsql_avg over stored decimals, and the
// FOR XML PATH('') string aggregation.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <charconv>
#include <cmath>

#include "data/sqlite/tsql_values.h"
#include "data/sqlite/value_codec.h"
#include "tests/sqlite/sqlite_fixture.h"

namespace zv::sqlite {
namespace {

using testing::SqliteTest;

class AggregateTest : public SqliteTest {
 protected:
  void SetUp() override {
    db_->Execute("CREATE TABLE v(id INTEGER PRIMARY KEY, g INTEGER, x, s TEXT)");
  }
  void Add(int g, const Variant& x, const char* s = nullptr) {
    Statement st = db_->Prepare("INSERT INTO v(g, x, s) VALUES(?1, ?2, ?3)");
    st.BindInt64(1, g);
    st.Bind(2, x);
    if (s != nullptr) st.BindText(3, s);
    st.Run();
  }
};

TEST_F(AggregateTest, SumIsExactWhereFloatingPointDrifts) {
  for (int i = 0; i < 10; ++i) Add(1, *Decimal::Parse("0.1"));
  EXPECT_EQ(Query("SELECT sum(x) = 1.0, tsql_sum(x) FROM v"), "0|1r");
}

TEST_F(AggregateTest, SumOfWholeNumbersStaysWhole) {
  Add(1, 2);
  Add(1, 3);
  Add(1, Variant::Null());
  EXPECT_EQ(Query("SELECT tsql_sum(x) FROM v"), "5");
  EXPECT_EQ(Query("SELECT tsql_sum(x) FROM v WHERE x IS NULL"), "NULL");
  EXPECT_EQ(Query("SELECT tsql_sum(x) FROM v WHERE 0"), "NULL");
  Add(1, *Decimal::Parse("0.25"));
  EXPECT_EQ(Query("SELECT tsql_sum(x) FROM v"), "5.25r");
}

TEST_F(AggregateTest, SumOfTextIsAnOperandError) {
  Add(1, "abc");
  EXPECT_EQ(ErrorOf("SELECT tsql_sum(x) FROM v").substr(0, 10), "42000/8117");
}

TEST_F(AggregateTest, SumWorksAsAWindowFunction) {
  for (const char* x : {"1.1", "2.2", "3.3", "4.4"}) Add(1, *Decimal::Parse(x));
  EXPECT_EQ(Query("SELECT tsql_sum(x) OVER (ORDER BY id ROWS BETWEEN 1 PRECEDING AND "
                  "CURRENT ROW) FROM v ORDER BY id"),
            "1.1r\n3.3r\n5.5r\n7.7r");
}

RC_GTEST_PROP(AggregateProperty, SumEqualsTheDecimalSum, ()) {
  auto db = Database::Open(":memory:");
  db->Execute("CREATE TABLE q(x REAL)");
  const auto cents = *rc::gen::container<std::vector<int64_t>>(
      rc::gen::inRange<int64_t>(-999999999999, 999999999999));
  Decimal expected;
  Statement ins = db->Prepare("INSERT INTO q VALUES(?1)");
  for (int64_t c : cents) {
    // Quantities of scale 6 with up to 12 significant digits.
    Decimal d = Decimal(c) / Decimal(1000000);
    expected += d;
    ins.Reset();
    ins.Bind(1, d);
    ins.Run();
  }
  Statement st = db->Prepare("SELECT tsql_sum(x) FROM q");
  RC_ASSERT(st.Step());
  if (cents.empty()) {
    RC_ASSERT(st.ColumnKind(0) == ValueKind::kNull);
    return;
  }
  Variant sum = FromStorage(st.ColumnRaw(0), tsql::SqlType{"DECIMAL", 0, 28, 6});
  RC_ASSERT(sum.ToDecimal() == expected);
}

TEST_F(AggregateTest, AverageKeepsTheServersTypes) {
  Add(1, 1);
  Add(1, 2);
  Add(2, *Decimal::Parse("1.0"));
  Add(2, *Decimal::Parse("2.0"));
  Add(2, *Decimal::Parse("2.0"));
  Add(3, -1);
  Add(3, -2);
  // AVG of ints truncates towards zero; of decimals keeps six decimals,
  // truncated.
  EXPECT_EQ(Query("SELECT g, tsql_avg(x) FROM v GROUP BY g ORDER BY g"),
            "1|1\n2|1.666666r\n3|-1");
  EXPECT_EQ(Query("SELECT tsql_avg(x, 8) FROM v WHERE g = 2"), "1.66666666r");
  EXPECT_EQ(Query("SELECT tsql_avg(x) FROM v WHERE g = 9"), "NULL");
}

TEST_F(AggregateTest, XmlPathConcatenatesEscapedInRowOrder) {
  Add(1, Variant::Null(), "a&b");
  Add(1, Variant::Null(), "<c>");
  Add(1, Variant::Null(), nullptr);
  Add(1, Variant::Null(), "d\re");
  EXPECT_EQ(Query("SELECT tsql_xmlpath(s) FROM (SELECT s FROM v ORDER BY id)"),
            "'a&amp;b&lt;c&gt;d&#xD;e'");
  EXPECT_EQ(Query("SELECT tsql_xmlpath(s) FROM v WHERE 0"), "NULL");
  EXPECT_EQ(Query("SELECT tsql_xmlpath(s) FROM v WHERE s IS NULL"), "''");
  // STUFF((SELECT ',' + x ... FOR XML PATH('')), 1, 1, '')
  EXPECT_EQ(Query("SELECT tsql_stuff((SELECT tsql_xmlpath(tsql_concat(',', id)) FROM "
                  "(SELECT id FROM v ORDER BY id DESC)), 1, 1, '')"),
            "'4,3,2,1'");
}

TEST_F(AggregateTest, AnAggregateStoppedByAnErrorReleasesItsState) {
  Add(1, Variant::Null(), "1");
  Add(1, Variant::Null(), "x");
  EXPECT_EQ(ErrorOf("SELECT tsql_xmlpath(tsql_to_int(s)) FROM v").substr(0, 9), "22018/245");
  EXPECT_EQ(ErrorOf("SELECT tsql_sum(tsql_to_int(s)) FROM v").substr(0, 9), "22018/245");
  EXPECT_EQ(Query("SELECT tsql_xmlpath(s) FROM v WHERE s = '1'"), "'1'");
}

}  // namespace
}  // namespace zv::sqlite

namespace zv::sqlite {
namespace {

// A stored decimal is read back as the decimal whose shortest text the
// double has, whether it takes the quick path (up to nine decimals, below
// 10^15 scaled) or the printed one.
RC_GTEST_PROP(AggregateProperty, RealsReadBackAsTheirShortestDecimal, ()) {
  const int64_t n = *rc::gen::inRange<int64_t>(-999'999'999'999'999, 999'999'999'999'999);
  const int scale = *rc::gen::inRange(0, 13);
  const double value = static_cast<double>(n) / std::pow(10.0, scale);
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  const auto expected = Decimal::Parse(std::string_view(buf, static_cast<size_t>(res.ptr - buf)));
  RC_ASSERT(expected.has_value());
  const Decimal got = DecimalFromReal(value);
  RC_ASSERT(got.ToString() == expected->ToString());
}

}  // namespace
}  // namespace zv::sqlite
