// The T-SQL numeric, conversion and date functions, with the results and
// errors SQL Server gives.
#include <gtest/gtest.h>

#include <regex>

#include "data/datetime.h"
#include "data/sqlite/tsql_dates.h"
#include "tests/sqlite/sqlite_fixture.h"

namespace zv::sqlite {
namespace {

using testing::SqliteTest;

struct Case {
  const char* expr;
  const char* expected;  // a value, or "SQLSTATE/native" of the error
};

class FunctionsTest : public SqliteTest {
 protected:
  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.expr);
      std::string expected = c.expected;
      if (expected.find('/') != std::string::npos && expected[0] != '\'') {
        std::string error = ErrorOf(std::string("SELECT ") + c.expr);
        EXPECT_EQ(error.substr(0, error.find(':')), expected) << error;
      } else {
        EXPECT_EQ(Eval(c.expr), expected);
      }
    }
  }
};

TEST_F(FunctionsTest, RoundHalfAwayFromZeroOnTheDecimalValue) {
  Check({{"tsql_round(2.5, 0)", "3r"},
         {"tsql_round(-2.5, 0)", "-3r"},
         {"tsql_round(2.675, 2)", "2.68r"},
         {"tsql_round(1.005, 2)", "1.01r"},
         {"tsql_round(2.567, 1, 1)", "2.5r"},
         {"tsql_round(-2.567, 1, 1)", "-2.5r"},
         {"tsql_round(748.58, -1)", "750r"},
         {"tsql_round(748.58, -4)", "0r"},
         {"tsql_round(1250, -2)", "1300"},
         {"tsql_round(-1250, -2)", "-1300"},
         {"tsql_round(1249, -2, 1)", "1200"},
         {"tsql_round(7, 2)", "7"},
         {"tsql_round('1.5', 0)", "2r"},
         {"tsql_round(NULL, 1)", "NULL"},
         {"tsql_round(1.5, NULL)", "NULL"}});
}

TEST_F(FunctionsTest, FloorCeilingSignAbsDivision) {
  Check({{"tsql_floor(-8.4)", "-9r"},
         {"tsql_floor(7)", "7"},
         {"tsql_ceiling(8.1)", "9r"},
         {"tsql_ceiling(-8.9)", "-8r"},
         {"tsql_sign(-3)", "-1"},
         {"tsql_sign(0)", "0"},
         {"tsql_sign(0.5)", "1r"},
         {"tsql_abs(-5)", "5"},
         {"tsql_abs(-2.5)", "2.5r"},
         {"tsql_div_int(7, 2)", "3"},
         {"tsql_div_int(-7, 2)", "-3"},
         {"tsql_div_int(7, -2)", "-3"},
         {"tsql_div_int(7, NULL)", "NULL"},
         {"tsql_div_int(7, 0)", "22012/8134"}});
}

TEST_F(FunctionsTest, ConversionsToIntegerTypes) {
  Check({{"tsql_to_int('12')", "12"},
         {"tsql_to_int(' -7 ')", "-7"},
         {"tsql_to_int('')", "0"},
         {"tsql_to_int(1.9)", "1"},
         {"tsql_to_int(-1.9)", "-1"},
         {"tsql_to_int(NULL)", "NULL"},
         {"tsql_to_int('1x')", "22018/245"},
         {"tsql_to_int('1.5')", "22018/245"},
         {"tsql_to_int('99999999999')", "22003/248"},
         {"tsql_to_int(3000000000)", "22003/8115"},
         {"tsql_to_int(300, 'tinyint')", "22003/8115"},
         {"tsql_to_int('300', 'tinyint')", "22003/244"},
         {"tsql_to_int('-40000', 'smallint')", "22003/244"},
         {"tsql_to_int('255', 'TINYINT')", "255"},
         {"tsql_to_bigint('99999999999')", "99999999999"},
         {"tsql_to_bigint('99999999999999999999')", "22003/8115"},
         {"tsql_to_bit('true')", "1"},
         {"tsql_to_bit('0')", "0"},
         {"tsql_to_bit(5)", "1"},
         {"tsql_to_bit('x')", "22018/245"}});
  EXPECT_EQ(ErrorOf("SELECT tsql_to_int('1x')"),
            "22018/245: Conversion failed when converting the varchar value '1x' to data "
            "type int.");
}

TEST_F(FunctionsTest, ConversionsToDecimalFloatAndText) {
  Check({{"tsql_to_dec('12.345', 5, 2)", "12.35r"},
         {"tsql_to_dec(12.345, 5, 2)", "12.35r"},
         {"tsql_to_dec(-0.005, 5, 2)", "-0.01r"},
         {"tsql_to_dec(7, 3, 1)", "7r"},
         {"tsql_to_dec('999.995', 5, 2)", "22003/8115"},
         {"tsql_to_dec('1234.5', 5, 2)", "22003/8115"},
         {"tsql_to_dec('abc', 5, 2)", "22018/8114"},
         {"tsql_to_dec('1e3', 5, 2)", "22018/8114"},
         {"tsql_to_float('1e3')", "1000r"},
         {"tsql_to_float('')", "0r"},
         {"tsql_to_float('x')", "22018/8114"},
         {"tsql_to_text(12, 30)", "'12'"},
         {"tsql_to_text(123456, 3)", "'*'"},
         {"tsql_to_text(1.5, 30, 2)", "'1.50'"},
         {"tsql_to_text(5, 30, 2)", "'5.00'"},
         {"tsql_to_text(12.0, 50, 0)", "'12'"},
         {"tsql_to_text(1.5)", "'1.5'"},
         {"tsql_to_text(1234567.0, 30, -1)", "'1.23457e+006'"},
         {"tsql_to_text(0.00001, 30, -1)", "'1e-005'"},
         {"tsql_to_text(123.456789, 30, -1)", "'123.457'"},
         {"tsql_to_text('abcdef', 3)", "'abc'"},
         {"tsql_to_text('abcdef', -1)", "'abcdef'"},
         {"tsql_to_text(123.45, 3, 2)", "22003/8115"}});
}

TEST_F(FunctionsTest, DateAddClampsMonthEndsAndRoundsToTicks) {
  Check({{"tsql_dateadd('month', 1, '2006-08-31')", "'2006-09-30 00:00:00.000'"},
         {"tsql_dateadd('mm', 1, '2024-01-31')", "'2024-02-29 00:00:00.000'"},
         {"tsql_dateadd('m', -6, '2006-08-31 10:00')", "'2006-02-28 10:00:00.000'"},
         {"tsql_dateadd('year', 1, '2024-02-29')", "'2025-02-28 00:00:00.000'"},
         {"tsql_dateadd('quarter', 1, '2006-11-30')", "'2007-02-28 00:00:00.000'"},
         {"tsql_dateadd('day', -1, '2006-03-01')", "'2006-02-28 00:00:00.000'"},
         {"tsql_dateadd('wk', 2, '2006-01-01')", "'2006-01-15 00:00:00.000'"},
         {"tsql_dateadd('hour', 25, '2006-01-01')", "'2006-01-02 01:00:00.000'"},
         {"tsql_dateadd('mi', -1, '2006-01-01')", "'2005-12-31 23:59:00.000'"},
         {"tsql_dateadd('ms', 1, '2006-01-01')", "'2006-01-01 00:00:00.000'"},
         {"tsql_dateadd('ms', 2, '2006-01-01')", "'2006-01-01 00:00:00.003'"},
         {"tsql_dateadd('day', 1.9, '2006-01-01')", "'2006-01-02 00:00:00.000'"},
         {"tsql_dateadd('day', NULL, '2006-01-01')", "NULL"},
         {"tsql_dateadd('dd', 1, '9999-12-31')", "22008/517"},
         {"tsql_dateadd('xx', 1, '2006-01-01')", "42000/155"},
         {"tsql_dateadd('day', 1, 'not a date')", "22007/241"}});
}

TEST_F(FunctionsTest, DateDiffCountsBoundaries) {
  Check({{"tsql_datediff('month', '2006-01-31', '2006-02-01')", "1"},
         {"tsql_datediff('month', '2006-02-01', '2006-01-31')", "-1"},
         {"tsql_datediff('year', '2005-12-31 23:59', '2006-01-01')", "1"},
         {"tsql_datediff('yy', '2006-01-01', '2006-12-31')", "0"},
         {"tsql_datediff('quarter', '2006-03-31', '2006-04-01')", "1"},
         {"tsql_datediff('day', '2006-01-01 23:59', '2006-01-02 00:01')", "1"},
         {"tsql_datediff('dd', '2006-01-02', '2006-01-01')", "-1"},
         // 2006-01-07 is a Saturday, 2006-01-08 a Sunday: weeks turn on Sunday.
         {"tsql_datediff('week', '2006-01-07', '2006-01-08')", "1"},
         {"tsql_datediff('week', '2006-01-08', '2006-01-14')", "0"},
         {"tsql_datediff('hour', '2006-01-01 10:59', '2006-01-01 11:00')", "1"},
         {"tsql_datediff('minute', '2006-01-01 10:59:59', '2006-01-01 11:00:00')", "1"},
         {"tsql_datediff('second', '2006-01-01', '2006-01-02')", "86400"},
         {"tsql_datediff('ms', '2006-01-01', '2006-01-01 00:00:01.500')", "1500"},
         {"tsql_datediff('ms', '1900-01-01', '2006-01-01')", "22003/535"},
         {"tsql_datediff('day', NULL, '2006-01-01')", "NULL"}});
}

TEST_F(FunctionsTest, DatePartsWithDateFirst) {
  Check({{"tsql_datepart('weekday', '2006-01-01')", "1"},
         {"tsql_datepart('dw', '2006-01-07')", "7"},
         {"tsql_datepart('week', '2006-01-01')", "1"},
         {"tsql_datepart('wk', '2006-01-08')", "2"},
         {"tsql_datepart('dayofyear', '2006-12-31')", "365"},
         {"tsql_datepart('quarter', '2006-08-31')", "3"},
         {"tsql_datepart('hh', '2006-01-01 13:45')", "13"},
         {"tsql_datepart('ms', '2006-01-01 13:45:00.123')", "123"},
         {"tsql_year('2006-08-31')", "2006"},
         {"tsql_month('2006-08-31')", "8"},
         {"tsql_day('2006-08-31')", "31"},
         {"tsql_year(0)", "1900"}});
  db_->SetDateFirst(1);
  Check({{"tsql_datepart('weekday', '2006-01-01')", "7"},
         {"tsql_datepart('weekday', '2006-01-02')", "1"}});
}

TEST_F(FunctionsTest, ConvertAndFormatDateStyles) {
  Check({{"tsql_convert_date('31/08/2006', 103)", "'2006-08-31 00:00:00.000'"},
         {"tsql_convert_date('08/31/2006', 101)", "'2006-08-31 00:00:00.000'"},
         {"tsql_convert_date('31-08-2006', 105)", "'2006-08-31 00:00:00.000'"},
         {"tsql_convert_date('20060831', 112)", "'2006-08-31 00:00:00.000'"},
         {"tsql_convert_date('2006/08/31', 111)", "'2006-08-31 00:00:00.000'"},
         {"tsql_convert_date('2006-08-31 13:45:10.123', 121)", "'2006-08-31 13:45:10.123'"},
         {"tsql_convert_date('2006-08-31T13:45:10', 126)", "'2006-08-31 13:45:10.000'"},
         {"tsql_convert_date('31/08/06', 3)", "'2006-08-31 00:00:00.000'"},
         {"tsql_convert_date('31/08/49', 3)", "'2049-08-31 00:00:00.000'"},
         {"tsql_convert_date('31/08/50', 3)", "'1950-08-31 00:00:00.000'"},
         {"tsql_convert_date('060831', 12)", "'2006-08-31 00:00:00.000'"},
         {"tsql_convert_date('32/08/2006', 103)", "22007/241"},
         {"tsql_convert_date('31/08/2006', 101)", "22007/241"}});
  const char* d = "'2006-08-31 13:05:09.120'";
  struct Style {
    int style;
    const char* text;
  };
  const Style styles[] = {
      {0, "Aug 31 2006  1:05PM"}, {100, "Aug 31 2006  1:05PM"}, {1, "08/31/06"},
      {3, "31/08/06"},            {5, "31-08-06"},              {10, "08-31-06"},
      {12, "060831"},             {23, "2006-08-31"},           {101, "08/31/2006"},
      {103, "31/08/2006"},        {104, "31.08.2006"},          {105, "31-08-2006"},
      {106, "31 Aug 2006"},       {108, "13:05:09"},            {110, "08-31-2006"},
      {111, "2006/08/31"},        {112, "20060831"},            {113, "31 Aug 2006 13:05:09:120"},
      {120, "2006-08-31 13:05:09"}, {121, "2006-08-31 13:05:09.120"},
      {126, "2006-08-31T13:05:09.120"},
      {2, "06.08.31"},            {102, "2006.08.31"},          {4, "31.08.06"},
      {6, "31 Aug 06"},           {7, "Aug 31, 06"},            {107, "Aug 31, 2006"},
      {8, "13:05:09"},            {9, "Aug 31 2006  1:05:09:120PM"},
      {109, "Aug 31 2006  1:05:09:120PM"},                     {11, "06/08/31"},
      {13, "31 Aug 2006 13:05:09:120"},                         {14, "13:05:09:120"},
      {114, "13:05:09:120"},      {20, "2006-08-31 13:05:09"},
      {21, "2006-08-31 13:05:09.120"},                          {25, "2006-08-31 13:05:09.120"}};
  for (const Style& s : styles) {
    SCOPED_TRACE(s.style);
    EXPECT_EQ(Eval("tsql_format_date(" + std::string(d) + ", " + std::to_string(s.style) + ")"),
              "'" + std::string(s.text) + "'");
  }
  Check({{"tsql_format_date('2006-08-01', 0)", "'Aug  1 2006 12:00AM'"},
         {"tsql_format_date('2006-08-01', 126)", "'2006-08-01T00:00:00'"},
         {"tsql_format_date('2006-08-01', 999)", "42000/281"},
         // Only the listed styles have a century form, and 22 has no layout.
         {"tsql_format_date('2006-08-01', 22)", "42000/281"},
         {"tsql_format_date('2006-08-01', 115)", "42000/281"},
         {"tsql_format_date('2006-08-01', 123)", "42000/281"},
         {"tsql_format_date('2006-08-01', 125)", "42000/281"}});
}

TEST_F(FunctionsTest, CastTextAndNumbersToDatetime) {
  Check({{"tsql_to_date('2006-08-31')", "'2006-08-31 00:00:00.000'"},
         {"tsql_to_date('20060831 10:00')", "'2006-08-31 10:00:00.000'"},
         {"tsql_to_date('Aug 31 2006 1:05PM')", "'2006-08-31 13:05:00.000'"},
         {"tsql_to_date('31 August 2006')", "'2006-08-31 00:00:00.000'"},
         {"tsql_to_date('2006-08-31T10:00:00.999')", "'2006-08-31 10:00:01.000'"},
         {"tsql_to_date('2006-08-31 10:00:00.994')", "'2006-08-31 10:00:00.993'"},
         {"tsql_to_date('10:30')", "'1900-01-01 10:30:00.000'"},
         {"tsql_to_date('')", "'1900-01-01 00:00:00.000'"},
         {"tsql_to_date(0)", "'1900-01-01 00:00:00.000'"},
         {"tsql_to_date(1.5)", "'1900-01-02 12:00:00.000'"},
         {"tsql_to_date('03/04/2006')", "'2006-03-04 00:00:00.000'"},
         {"tsql_to_date('1752-12-31')", "22007/241"},
         {"tsql_to_date('2006-02-30')", "22007/241"},
         {"tsql_to_date('abc')", "22007/241"}});
  db_->SetDateOrder(DateOrder::kDmy);
  Check({{"tsql_to_date('03/04/2006')", "'2006-04-03 00:00:00.000'"},
         {"tsql_to_date('2006-08-31')", "'2006-08-31 00:00:00.000'"}});
}

TEST_F(FunctionsTest, GetDateIsNowInStoredForm) {
  std::string now = Eval("tsql_getdate()");
  ASSERT_TRUE(std::regex_match(now, std::regex(R"('\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}')")))
      << now;
  std::optional<SqlDate> d = ParseSqlDate(now.substr(1, now.size() - 2), DateOrder::kYmd);
  ASSERT_TRUE(d.has_value());
  EXPECT_NEAR(ToDateValue(*d).days, Now().days, 5.0 / 86400);
}

TEST(DateValueTest, LibraryDatesMapToDayNumbersBothWays) {
  // 1899-12-30 is the library's day 0 and T-SQL's day -2.
  EXPECT_EQ(ToDateValue(SqlDate{-2, 0}).days, 0.0);
  EXPECT_EQ(FromDateValue(DateValue{2.5}), (SqlDate{0, 43200000}));
  EXPECT_EQ(FormatStoredDate(FromDateValue(DateValue{-1.25})), "1899-12-29 06:00:00.000");
  for (int64_t day : {-53690, -3, 0, 38958, 2958463}) {
    SqlDate d{day, 12345678};
    EXPECT_EQ(FromDateValue(ToDateValue(d)), d) << day;
  }
}

}  // namespace
}  // namespace zv::sqlite
