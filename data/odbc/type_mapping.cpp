#include "data/odbc/type_mapping.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <limits>
#include <set>

#include "data/datetime.h"
#include "data/odbc/diagnostics.h"

namespace zv::odbc {
namespace {

static_assert(sqltype::kChar == SQL_CHAR && sqltype::kVarChar == SQL_VARCHAR &&
              sqltype::kLongVarChar == SQL_LONGVARCHAR && sqltype::kWChar == SQL_WCHAR &&
              sqltype::kWVarChar == SQL_WVARCHAR && sqltype::kWLongVarChar == SQL_WLONGVARCHAR &&
              sqltype::kDecimal == SQL_DECIMAL && sqltype::kNumeric == SQL_NUMERIC &&
              sqltype::kInteger == SQL_INTEGER && sqltype::kSmallInt == SQL_SMALLINT &&
              sqltype::kTinyInt == SQL_TINYINT && sqltype::kBigInt == SQL_BIGINT &&
              sqltype::kBit == SQL_BIT && sqltype::kReal == SQL_REAL &&
              sqltype::kFloat == SQL_FLOAT && sqltype::kDouble == SQL_DOUBLE &&
              sqltype::kDate == SQL_TYPE_DATE && sqltype::kTime == SQL_TYPE_TIME &&
              sqltype::kTimestamp == SQL_TYPE_TIMESTAMP && sqltype::kGuid == SQL_GUID &&
              sqltype::kBinary == SQL_BINARY && sqltype::kVarBinary == SQL_VARBINARY &&
              sqltype::kLongVarBinary == SQL_LONGVARBINARY);

constexpr int32_t kLongSize = INT32_MAX;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// A text or binary type whose length is unusable is its long form
// (varchar(max) is reported with size 0).
bool HasNoUsableLength(int64_t column_size) {
  return column_size <= 0 || column_size > kLongSize;
}

[[noreturn]] void ThrowUnreadable(std::string_view state, const std::string& text,
                                  const FieldInfo& field) {
  throw DriverError({MakeRecord(std::string(state), "Invalid value '" + text +
                                                        "' for column " + field.name + ".")});
}

// "6F9619FF-8B86-D011-B42D-00C04FC964FF" -> "{6F9619FF-8B86-D011-B42D-00C04FC964FF}".
std::string BracedGuid(std::string text) {
  if (text.size() == 36 && text.front() != '{') return "{" + Upper(text) + "}";
  return text;
}

int64_t WholeNumber(const std::string& text, const FieldInfo& field) {
  std::optional<Decimal> d = Decimal::Parse(text);
  if (!d) {
    std::string lower = Lower(text);
    if (lower == "true") return 1;
    if (lower == "false") return 0;
    ThrowUnreadable("22018", text, field);
  }
  return d->ToInt64();
}

template <typename T>
Variant Narrow(int64_t v, const std::string& text, const FieldInfo& field) {
  if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
    ThrowUnreadable("22003", text, field);
  return Variant(static_cast<T>(v));
}

}  // namespace

bool IsBinaryType(int ado_type) {
  return ado_type == ado::kBinary || ado_type == ado::kVarBinary ||
         ado_type == ado::kLongVarBinary;
}

bool IsWholeNumberType(int ado_type) {
  switch (ado_type) {
    case ado::kSmallInt:
    case ado::kInteger:
    case ado::kTinyInt:
    case ado::kUnsignedTinyInt:
    case ado::kUnsignedSmallInt:
    case ado::kUnsignedInt:
    case ado::kBigInt:
    case ado::kUnsignedBigInt:
      return true;
    default:
      return false;
  }
}

int AdoTypeFor(int sql_type, std::string_view type_name, int64_t column_size) {
  switch (sql_type) {
    case SQL_CHAR:
      return ado::kChar;
    case SQL_VARCHAR:
      return HasNoUsableLength(column_size) ? ado::kLongVarChar : ado::kVarChar;
    case SQL_LONGVARCHAR:
    case sqltype::kSsXml:
      return sql_type == SQL_LONGVARCHAR ? ado::kLongVarChar : ado::kLongVarWChar;
    case SQL_WCHAR:
      return ado::kWChar;
    case SQL_WVARCHAR:
      return HasNoUsableLength(column_size) ? ado::kLongVarWChar : ado::kVarWChar;
    case SQL_WLONGVARCHAR:
      return ado::kLongVarWChar;
    case SQL_DECIMAL:
    case SQL_NUMERIC: {
      std::string name = Lower(type_name);
      return name == "money" || name == "smallmoney" ? ado::kCurrency : ado::kNumeric;
    }
    case SQL_INTEGER:
      return ado::kInteger;
    case SQL_SMALLINT:
      return ado::kSmallInt;
    case SQL_TINYINT:
      return ado::kUnsignedTinyInt;
    case SQL_BIGINT:
      return ado::kBigInt;
    case SQL_BIT:
      return ado::kBoolean;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return ado::kDouble;
    case SQL_REAL:
      return ado::kSingle;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return ado::kDBTimeStamp;
    case SQL_TYPE_DATE:
    case SQL_DATE:
      return ado::kDBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
    case sqltype::kSsTime2:
      return ado::kDBTime;
    case SQL_GUID:
      return ado::kGUID;
    case SQL_BINARY:
      return ado::kBinary;
    case SQL_VARBINARY:
      return HasNoUsableLength(column_size) ? ado::kLongVarBinary : ado::kVarBinary;
    case SQL_LONGVARBINARY:
      return ado::kLongVarBinary;
    case sqltype::kSsVariant:
      return ado::kVariant;
    case sqltype::kSsTimestampOffset:
      return ado::kVarWChar;
    default:
      return ado::kVarChar;
  }
}

FieldInfo FieldFor(const ColumnDescription& column) {
  FieldInfo f;
  f.name = column.name;
  f.type = AdoTypeFor(column.sql_type, column.type_name, column.column_size);
  // Precision and scale are 255 where they do not apply, as ADO reports
  // them (and the embedded engine does).
  f.precision = 255;
  f.numeric_scale = 255;
  auto digits = [](int64_t n) { return static_cast<uint8_t>(std::clamp<int64_t>(n, 0, 38)); };
  switch (f.type) {
    case ado::kNumeric:
      f.defined_size = 19;
      f.precision = digits(column.column_size);
      f.numeric_scale = digits(column.decimal_digits);
      break;
    case ado::kCurrency:
      f.defined_size = 8;
      f.precision = 19;
      f.numeric_scale = 4;
      break;
    case ado::kInteger:
      f.defined_size = 4;
      f.precision = 10;
      f.numeric_scale = 0;
      break;
    case ado::kSmallInt:
      f.defined_size = 2;
      f.precision = 5;
      f.numeric_scale = 0;
      break;
    case ado::kUnsignedTinyInt:
      f.defined_size = 1;
      f.precision = 3;
      f.numeric_scale = 0;
      break;
    case ado::kBigInt:
      f.defined_size = 8;
      f.precision = 19;
      f.numeric_scale = 0;
      break;
    case ado::kBoolean:
      f.defined_size = 2;
      break;
    case ado::kSingle:
      f.defined_size = 4;
      f.precision = 7;
      break;
    case ado::kDouble:
      f.defined_size = 8;
      f.precision = 15;
      break;
    case ado::kDBTimeStamp:
      f.defined_size = 16;
      f.precision = 23;
      f.numeric_scale = digits(column.decimal_digits);
      break;
    case ado::kDBDate:
      f.defined_size = 6;
      f.precision = 10;
      f.numeric_scale = 0;
      break;
    case ado::kDBTime:
      f.defined_size = 6;
      break;
    case ado::kGUID:
      f.defined_size = 16;
      break;
    case ado::kLongVarChar:
    case ado::kLongVarWChar:
    case ado::kLongVarBinary:
      f.defined_size = HasNoUsableLength(column.column_size)
                           ? kLongSize
                           : static_cast<int32_t>(column.column_size);
      break;
    default:
      f.defined_size = HasNoUsableLength(column.column_size)
                           ? 0
                           : static_cast<int32_t>(column.column_size);
      break;
  }
  f.attributes = column.nullable ? ado::kFldIsNullable | ado::kFldMayBeNull : 0;
  if (!column.auto_increment) f.attributes |= ado::kFldUpdatable;
  return f;
}

std::vector<FieldInfo> FieldsFor(const std::vector<ColumnDescription>& columns) {
  std::vector<FieldInfo> fields;
  std::set<std::string> used;
  for (size_t i = 0; i < columns.size(); ++i) {
    FieldInfo f = FieldFor(columns[i]);
    std::string position = std::to_string(i + 1);
    // An unnamed column keeps its empty name, as SQL Server's own provider
    // and the embedded engine give it.
    if (f.name.empty()) {
      fields.push_back(std::move(f));
      continue;
    }
    while (used.count(Upper(f.name))) f.name += "_" + position;
    used.insert(Upper(f.name));
    fields.push_back(std::move(f));
  }
  return fields;
}

Variant ValueFromText(const std::string& text, const FieldInfo& field) {
  switch (field.type) {
    case ado::kSmallInt:
    case ado::kTinyInt:
      return Narrow<int16_t>(WholeNumber(text, field), text, field);
    case ado::kInteger:
    case ado::kUnsignedSmallInt:
      return Narrow<int32_t>(WholeNumber(text, field), text, field);
    case ado::kUnsignedTinyInt:
      return Narrow<uint8_t>(WholeNumber(text, field), text, field);
    case ado::kBigInt:
    case ado::kUnsignedInt:
    case ado::kUnsignedBigInt:
      return Variant(WholeNumber(text, field));
    case ado::kBoolean:
      return Variant(WholeNumber(text, field) != 0);
    case ado::kSingle:
    case ado::kDouble: {
      double v = 0;
      if (!ParseDouble(text, &v)) ThrowUnreadable("22018", text, field);
      return field.type == ado::kSingle ? Variant(static_cast<float>(v)) : Variant(v);
    }
    case ado::kNumeric:
    case ado::kDecimal:
    case ado::kCurrency: {
      std::optional<Decimal> d = Decimal::Parse(text);
      if (!d) ThrowUnreadable("22018", text, field);
      // A DECIMAL(p,s) value has s decimals even when the driver writes
      // fewer ("3.75" for 3.750).
      if (field.type != ado::kCurrency && field.numeric_scale != 255 &&
          d->scale() < field.numeric_scale) {
        return Variant(d->Rescale(field.numeric_scale));
      }
      return Variant(*d);
    }
    case ado::kDate:
    case ado::kDBDate:
    case ado::kDBTime:
    case ado::kDBTimeStamp: {
      std::optional<DateValue> d = ParseDate(text);
      if (!d) ThrowUnreadable("22007", text, field);
      return Variant(*d);
    }
    case ado::kGUID:
      return Variant(BracedGuid(text));
    default:
      return Variant(text);
  }
}

std::optional<std::string> TextForTarget(const Variant& value, int ado_type) {
  if (value.IsNull() || value.IsEmpty()) return std::nullopt;
  switch (ado_type) {
    case ado::kNumeric:
    case ado::kDecimal:
    case ado::kCurrency:
      return value.ToDecimal().ToString();
    case ado::kBoolean:
      return value.ToBool() ? "1" : "0";
    case ado::kSingle:
    case ado::kDouble:
      return DoubleToText(value.ToDouble(), 17);
    case ado::kDate:
    case ado::kDBTimeStamp:
      return FormatIsoDate(value.ToDate());
    case ado::kDBDate:
      return FormatIsoDate(value.ToDate()).substr(0, 10);
    case ado::kDBTime:
      return FormatIsoDate(value.ToDate()).substr(11);
    default:
      if (IsWholeNumberType(ado_type)) return std::to_string(value.ToLongLong());
      if (value.type() == VarType::kDate) return FormatIsoDate(value.ToDate());
      return value.ToString();
  }
}

int32_t NumberForState(std::string_view sql_state, int32_t default_number) {
  if (sql_state.size() >= 2 && sql_state[0] == '2' && sql_state[1] == '3')
    return err::kAdoIntegrityViolation;
  if (sql_state == "HYT00" || sql_state == "HYT01") return err::kAdoTimeout;
  return default_number;
}

}  // namespace zv::odbc
