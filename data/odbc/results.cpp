#include "data/odbc/results.h"

#include "data/datetime.h"

namespace zv::odbc {
namespace {

Variant FromTimestamp(const SQL_TIMESTAMP_STRUCT& ts) {
  DateParts p;
  p.year = ts.year;
  p.month = ts.month;
  p.day = ts.day;
  p.hour = ts.hour;
  p.minute = ts.minute;
  p.second = ts.second;
  p.millisecond = static_cast<int>(ts.fraction / 1000000);
  return Variant(MakeDate(p));
}

Variant ReadValue(Statement& st, int column, const FieldInfo& field) {
  switch (field.type) {
    case ado::kSmallInt: {
      SQLSMALLINT v = 0;
      return st.GetFixed(column, SQL_C_SSHORT, &v) ? Variant(static_cast<int16_t>(v))
                                                   : Variant::Null();
    }
    case ado::kInteger:
    case ado::kUnsignedSmallInt: {
      SQLINTEGER v = 0;
      return st.GetFixed(column, SQL_C_SLONG, &v) ? Variant(static_cast<int32_t>(v))
                                                  : Variant::Null();
    }
    case ado::kUnsignedTinyInt: {
      SQLCHAR v = 0;
      return st.GetFixed(column, SQL_C_UTINYINT, &v) ? Variant(static_cast<uint8_t>(v))
                                                     : Variant::Null();
    }
    case ado::kTinyInt: {
      SQLSCHAR v = 0;
      return st.GetFixed(column, SQL_C_STINYINT, &v) ? Variant(static_cast<int16_t>(v))
                                                     : Variant::Null();
    }
    case ado::kBigInt:
    case ado::kUnsignedInt:
    case ado::kUnsignedBigInt: {
      SQLBIGINT v = 0;
      return st.GetFixed(column, SQL_C_SBIGINT, &v) ? Variant(static_cast<int64_t>(v))
                                                    : Variant::Null();
    }
    case ado::kBoolean: {
      SQLCHAR v = 0;
      return st.GetFixed(column, SQL_C_BIT, &v) ? Variant(v != 0) : Variant::Null();
    }
    case ado::kSingle: {
      SQLREAL v = 0;
      return st.GetFixed(column, SQL_C_FLOAT, &v) ? Variant(static_cast<float>(v))
                                                  : Variant::Null();
    }
    case ado::kDouble: {
      SQLDOUBLE v = 0;
      return st.GetFixed(column, SQL_C_DOUBLE, &v) ? Variant(static_cast<double>(v))
                                                   : Variant::Null();
    }
    case ado::kDate:
    case ado::kDBTimeStamp: {
      SQL_TIMESTAMP_STRUCT v{};
      return st.GetFixed(column, SQL_C_TYPE_TIMESTAMP, &v) ? FromTimestamp(v)
                                                           : Variant::Null();
    }
    case ado::kDBDate: {
      SQL_DATE_STRUCT v{};
      if (!st.GetFixed(column, SQL_C_TYPE_DATE, &v)) return Variant::Null();
      SQL_TIMESTAMP_STRUCT ts{};
      ts.year = v.year;
      ts.month = v.month;
      ts.day = v.day;
      return FromTimestamp(ts);
    }
    case ado::kDBTime: {
      SQL_TIME_STRUCT v{};
      if (!st.GetFixed(column, SQL_C_TYPE_TIME, &v)) return Variant::Null();
      DateParts p;
      p.hour = v.hour;
      p.minute = v.minute;
      p.second = v.second;
      return Variant(MakeDate(p));
    }
    case ado::kBinary:
    case ado::kVarBinary:
    case ado::kLongVarBinary: {
      std::optional<std::string> bytes = st.GetBinary(column);
      return bytes ? Variant(std::move(*bytes)) : Variant::Null();
    }
    default: {
      std::optional<std::string> text = st.GetText(column);
      if (!text) return Variant::Null();
      if (ado::IsTextType(field.type) || field.type == ado::kVariant)
        return Variant(std::move(*text));
      return ValueFromText(*text, field);
    }
  }
}

}  // namespace

std::vector<ColumnDescription> DescribeResult(Statement& statement, SqlDialect& dialect) {
  int n = statement.NumResultCols();
  std::vector<ColumnDescription> columns;
  columns.reserve(static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) {
    Statement::Column c = statement.DescribeColumn(i);
    ColumnDescription d;
    d.name = std::move(c.name);
    d.sql_type = c.sql_type;
    d.type_name = std::move(c.type_name);
    d.column_size = c.column_size > static_cast<SQLULEN>(INT64_MAX)
                        ? INT64_MAX
                        : static_cast<int64_t>(c.column_size);
    d.decimal_digits = c.decimal_digits;
    d.desc_precision = c.precision;
    d.nullable = c.nullable != SQL_NO_NULLS;
    d.auto_increment = c.auto_increment;
    dialect.AdjustColumn(d);
    columns.push_back(std::move(d));
  }
  return columns;
}

std::shared_ptr<Recordset> ReadResultSet(Statement& statement,
                                         const std::vector<ColumnDescription>& columns,
                                         const RowTagger& tagger) {
  std::vector<FieldInfo> fields = FieldsFor(columns);
  auto rs = std::make_shared<Recordset>();
  for (const FieldInfo& f : fields) rs->AppendField(f);
  rs->Open();
  while (statement.Fetch()) {
    std::vector<Variant> row;
    row.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i)
      row.push_back(ReadValue(statement, static_cast<int>(i) + 1, fields[i]));
    int64_t tag = tagger ? tagger(row) : 0;
    rs->LoadRow(std::move(row), tag);
  }
  return rs;
}

void ReadAllResults(Statement& statement, SqlDialect& dialect, bool executed_with_data,
                    bool keep_sets, Results* results) {
  if (!executed_with_data) {
    // A searched UPDATE or DELETE that touched no row; a batch may go on.
    results->last_count = 0;
    if (!statement.MoreResults()) return;
  }
  for (;;) {
    if (statement.NumResultCols() > 0) {
      if (keep_sets) {
        std::vector<ColumnDescription> columns = DescribeResult(statement, dialect);
        results->sets.push_back(ReadResultSet(statement, columns));
      }
      // Otherwise the rows are discarded by moving to the next result.
    } else {
      int64_t count = statement.RowCount();
      if (count >= 0) results->last_count = count;
    }
    if (!statement.MoreResults()) return;
  }
}

std::shared_ptr<Recordset> LinkResults(const std::vector<std::shared_ptr<Recordset>>& sets) {
  if (sets.empty()) return nullptr;
  for (size_t i = 0; i + 1 < sets.size(); ++i) sets[i]->SetNextRecordset(sets[i + 1]);
  return sets.front();
}

}  // namespace zv::odbc
