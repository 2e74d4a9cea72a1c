// The T-SQL date functions over the stored text 'YYYY-MM-DD HH:MM:SS.mmm'.
// Arguments may also be other date texts (read with the session's date
// order) or numbers (days since 1900-01-01), as T-SQL converts them.
#include <cmath>

#include "data/datetime.h"
#include "data/sqlite/function_support.h"
#include "data/sqlite/tsql_dates.h"
#include "data/sqlite/tsql_values.h"

namespace zv::sqlite {
namespace {

[[noreturn]] void ThrowDateConversion() {
  ThrowSql(native::kDateConversion, "22007",
           "Conversion failed when converting date and/or time from character string.");
}

SqlDate DateArg(const Args& a, int k, std::optional<DateOrder> order = std::nullopt) {
  switch (a.Kind(k)) {
    case ValueKind::kInteger:
    case ValueKind::kReal: {
      std::optional<SqlDate> d = DateFromNumber(a.Real(k));
      if (!d) ThrowOverflow("expression", "datetime");
      return *d;
    }
    default: {
      std::optional<SqlDate> d =
          ParseSqlDate(a.Text(k), order.value_or(a.session().date_order));
      if (!d) ThrowDateConversion();
      return *d;
    }
  }
}

DatePart PartArg(const Args& a, int k, const char* function) {
  std::string name = ArgAsText(a, k);
  std::optional<DatePart> part = ParseDatePart(name);
  if (!part) {
    ThrowSql(native::kInvalidDatePart, "42000",
             "'" + name + "' is not a recognized " + function + " option.");
  }
  return *part;
}

void ResultDate(sqlite3_context* ctx, SqlDate date) {
  ResultText(ctx, FormatStoredDate(date));
}

void GetDate(Args& a) {
  ResultDate(a.ctx(), RoundToTick(FromDateValue(Now())));
}

void DateAddFn(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  DatePart part = PartArg(a, 0, "dateadd");
  int64_t amount = ArgAsInt(a, 1);
  std::optional<SqlDate> r = DateAdd(part, amount, DateArg(a, 2));
  if (!r) {
    ThrowSql(native::kDateAddOverflow, "22008",
             "Adding a value to a 'datetime' column caused an overflow.");
  }
  ResultDate(a.ctx(), *r);
}

void DateDiffFn(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  DatePart part = PartArg(a, 0, "datediff");
  int64_t diff = DateDiff(part, DateArg(a, 1), DateArg(a, 2));
  if (diff < INT32_MIN || diff > INT32_MAX) {
    ThrowSql(native::kDateDiffOverflow, "22003",
             "The datediff function resulted in an overflow. The number of dateparts "
             "separating two date/time instances is too large. Try to use datediff "
             "with a less precise datepart.");
  }
  sqlite3_result_int64(a.ctx(), diff);
}

void DatePartFn(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  DatePart part = PartArg(a, 0, "datepart");
  sqlite3_result_int(a.ctx(), DatePartOf(part, DateArg(a, 1), a.session().date_first));
}

template <DatePart kPart>
void PartOf(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  sqlite3_result_int(a.ctx(), DatePartOf(kPart, DateArg(a, 0), a.session().date_first));
}

int StyleArg(const Args& a, int k) {
  if (!a.Has(k) || a.IsNull(k)) return 0;
  return static_cast<int>(ArgAsInt(a, k));
}

// tsql_convert_date(text, style): CONVERT(DATETIME, text, style). The style
// fixes the order of day, month and year.
void ConvertDate(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  int style = StyleArg(a, 1);
  if (a.Kind(0) != ValueKind::kText) return ResultDate(a.ctx(), DateArg(a, 0));
  std::optional<SqlDate> d = ParseSqlDate(
      a.Text(0), StyleDateOrder(style).value_or(a.session().date_order));
  if (!d) ThrowDateConversion();
  ResultDate(a.ctx(), RoundToTick(*d));
}

// tsql_format_date(d, style): CONVERT(VARCHAR, d, style).
void FormatDate(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  int style = StyleArg(a, 1);
  std::optional<std::string> text = FormatDateStyle(DateArg(a, 0), style);
  if (!text) {
    ThrowSql(native::kInvalidStyle, "42000",
             std::to_string(style) +
                 " is not a valid style number when converting from datetime to a "
                 "character string.");
  }
  ResultText(a.ctx(), *text);
}

// tsql_to_date(x): CAST(x AS DATETIME).
void ToDate(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  if (a.Kind(0) == ValueKind::kText) {
    std::optional<SqlDate> d = ParseSqlDate(a.Text(0), a.session().date_order);
    if (!d) ThrowDateConversion();
    return ResultDate(a.ctx(), RoundToTick(*d));
  }
  ResultDate(a.ctx(), DateArg(a, 0));
}

}  // namespace

void RegisterDateFunctions(sqlite3* db, Session* session) {
  RegisterScalar(db, session, "tsql_getdate", 0, 0, ScalarCallback<GetDate>,
                 Purity::kVolatile);
  RegisterScalar(db, session, "tsql_dateadd", 3, 3, ScalarCallback<DateAddFn>);
  RegisterScalar(db, session, "tsql_datediff", 3, 3, ScalarCallback<DateDiffFn>);
  // The session's DATEFIRST and date order count as constant: they do not
  // change while a statement runs.
  RegisterScalar(db, session, "tsql_datepart", 2, 2, ScalarCallback<DatePartFn>);
  RegisterScalar(db, session, "tsql_year", 1, 1, ScalarCallback<PartOf<DatePart::kYear>>);
  RegisterScalar(db, session, "tsql_month", 1, 1, ScalarCallback<PartOf<DatePart::kMonth>>);
  RegisterScalar(db, session, "tsql_day", 1, 1, ScalarCallback<PartOf<DatePart::kDay>>);
  RegisterScalar(db, session, "tsql_convert_date", 1, 2, ScalarCallback<ConvertDate>);
  RegisterScalar(db, session, "tsql_format_date", 1, 2, ScalarCallback<FormatDate>);
  RegisterScalar(db, session, "tsql_to_date", 1, 1, ScalarCallback<ToDate>);
}

}  // namespace zv::sqlite
