#include "data/odbc/params.h"

#include <algorithm>
#include <stdexcept>

#include "data/field_convert.h"
#include "data/odbc/type_mapping.h"

namespace zv::odbc {
namespace {

constexpr int64_t kMaxShortLength = 8000;

// Digits before and after the point of a plain number text ("-12.340").
std::pair<int, int> DigitsOf(const std::string& text) {
  int whole = 0, fraction = 0;
  bool point = false;
  for (char c : text) {
    if (c == '.') point = true;
    if (c >= '0' && c <= '9') ++(point ? fraction : whole);
  }
  return {whole, fraction};
}

SQLSMALLINT IoTypeFor(int direction) {
  switch (direction) {
    case ado::kParamOutput:
    case ado::kParamReturnValue:
      return SQL_PARAM_OUTPUT;
    case ado::kParamInputOutput:
      return SQL_PARAM_INPUT_OUTPUT;
    default:
      return SQL_PARAM_INPUT;
  }
}

// Room for a value of the target coming back as text.
size_t OutputRoom(const ParamTarget& t) {
  if (ado::IsTextType(t.ado_type) || t.ado_type == ado::kVariant)
    return static_cast<size_t>(std::clamp<int64_t>(t.size, 1, kMaxShortLength)) * 4;
  if (IsBinaryType(t.ado_type))
    return static_cast<size_t>(std::clamp<int64_t>(t.size, 1, kMaxShortLength));
  return 64;
}

}  // namespace

ParamTarget TargetForColumn(const ColumnDescription& column) {
  ParamTarget t;
  t.sql_type = column.sql_type;
  t.ado_type = AdoTypeFor(column.sql_type, column.type_name, column.column_size);
  t.size = column.column_size;
  t.scale = column.decimal_digits;
  return t;
}

ParamTarget TargetForAdoType(int ado_type, int64_t size, int precision, int scale) {
  ParamTarget t;
  t.ado_type = ado_type;
  t.size = size;
  t.scale = scale;
  switch (ado_type) {
    case ado::kChar: t.sql_type = SQL_CHAR; break;
    case ado::kWChar: t.sql_type = SQL_WCHAR; break;
    case ado::kVarWChar: case ado::kBSTR: t.sql_type = SQL_WVARCHAR; break;
    case ado::kLongVarChar: t.sql_type = SQL_LONGVARCHAR; break;
    case ado::kLongVarWChar: t.sql_type = SQL_WLONGVARCHAR; break;
    case ado::kNumeric: case ado::kDecimal: case ado::kCurrency:
      t.sql_type = SQL_DECIMAL;
      t.size = ado_type == ado::kCurrency ? 19 : precision;
      t.scale = ado_type == ado::kCurrency ? 4 : scale;
      break;
    case ado::kInteger: case ado::kUnsignedSmallInt: t.sql_type = SQL_INTEGER; break;
    case ado::kSmallInt: t.sql_type = SQL_SMALLINT; break;
    case ado::kTinyInt: case ado::kUnsignedTinyInt: t.sql_type = SQL_TINYINT; break;
    case ado::kBigInt: case ado::kUnsignedInt: case ado::kUnsignedBigInt:
      t.sql_type = SQL_BIGINT;
      break;
    case ado::kBoolean: t.sql_type = SQL_BIT; break;
    case ado::kSingle: t.sql_type = SQL_REAL; break;
    case ado::kDouble: t.sql_type = SQL_DOUBLE; break;
    case ado::kDate: case ado::kDBTimeStamp: t.sql_type = SQL_TYPE_TIMESTAMP; break;
    case ado::kDBDate: t.sql_type = SQL_TYPE_DATE; break;
    case ado::kDBTime: t.sql_type = SQL_TYPE_TIME; break;
    case ado::kGUID: t.sql_type = SQL_GUID; break;
    case ado::kBinary: t.sql_type = SQL_BINARY; break;
    case ado::kVarBinary: t.sql_type = SQL_VARBINARY; break;
    case ado::kLongVarBinary: t.sql_type = SQL_LONGVARBINARY; break;
    case ado::kVariant: t.sql_type = sqltype::kSsVariant; break;
    default: t.sql_type = SQL_VARCHAR; break;
  }
  return t;
}

void ParameterSet::Add(const Variant& value, const ParamTarget& target, int direction) {
  // Bound buffers live in the slots: the vector must not move them.
  if (bound_) throw std::logic_error("ParameterSet::Add after BindAll");
  Slot s;
  s.io_type = IoTypeFor(direction);
  s.sql_type = static_cast<SQLSMALLINT>(target.sql_type);
  s.c_type = IsBinaryType(target.ado_type) ? SQL_C_BINARY : SQL_C_CHAR;
  std::optional<std::string> text;
  if (direction != ado::kParamOutput && direction != ado::kParamReturnValue)
    text = TextForTarget(value, target.ado_type);
  size_t length = text ? text->size() : 0;
  s.indicator = text ? static_cast<SQLLEN>(length) : SQL_NULL_DATA;

  if (target.ado_type == ado::kNumeric || target.ado_type == ado::kDecimal ||
      target.ado_type == ado::kCurrency) {
    auto [whole, fraction] = text ? DigitsOf(*text) : std::pair<int, int>(0, 0);
    int scale = target.size > 0 ? target.scale : fraction;
    int precision = static_cast<int>(std::max<int64_t>(target.size, whole + scale));
    s.column_size = static_cast<SQLULEN>(std::clamp(precision, 1, 38));
    s.decimal_digits = static_cast<SQLSMALLINT>(std::clamp(scale, 0, 38));
  } else if (IsWholeNumberType(target.ado_type)) {
    s.column_size = target.sql_type == SQL_BIGINT ? 19 : target.sql_type == SQL_SMALLINT ? 5
                    : target.sql_type == SQL_TINYINT ? 3 : 10;
  } else if (target.ado_type == ado::kBoolean) {
    s.column_size = 1;
  } else if (target.ado_type == ado::kSingle) {
    s.column_size = 7;
  } else if (target.ado_type == ado::kDouble) {
    s.column_size = 15;
  } else if (ado::IsDateType(target.ado_type)) {
    s.column_size = target.ado_type == ado::kDBDate ? 10 : target.ado_type == ado::kDBTime ? 8 : 23;
    s.decimal_digits = target.ado_type == ado::kDBDate || target.ado_type == ado::kDBTime ? 0 : 3;
  } else if (target.ado_type == ado::kGUID) {
    s.column_size = 36;
  } else {
    // Texts, binaries and anything else: the length of the value (of the
    // declared column for what comes back).
    int64_t declared = s.io_type == SQL_PARAM_INPUT ? 0 : std::min(target.size, kMaxShortLength);
    s.column_size = static_cast<SQLULEN>(std::max<int64_t>({1, declared,
                                                             static_cast<int64_t>(length)}));
    if (target.sql_type == sqltype::kSsVariant) s.sql_type = SQL_VARCHAR;
  }

  size_t room = length + 1;
  if (s.io_type != SQL_PARAM_INPUT) room = std::max(room, OutputRoom(target) + 1);
  s.buffer.assign(room, '\0');
  if (text) std::copy(text->begin(), text->end(), s.buffer.begin());
  slots_.push_back(std::move(s));
}

void ParameterSet::BindAll(Statement& statement) {
  bound_ = true;
  for (size_t i = 0; i < slots_.size(); ++i) {
    Slot& s = slots_[i];
    statement.BindParameter(static_cast<int>(i) + 1, s.io_type, s.c_type, s.sql_type,
                            s.column_size, s.decimal_digits, s.buffer.data(),
                            static_cast<SQLLEN>(s.buffer.size()), &s.indicator);
  }
}

void ParameterSet::BindAllAsInputs(Statement& statement) {
  bound_ = true;
  for (size_t i = 0; i < slots_.size(); ++i) {
    Slot& s = slots_[i];
    if (s.io_type == SQL_PARAM_OUTPUT) s.indicator = SQL_NULL_DATA;
    statement.BindParameter(static_cast<int>(i) + 1, SQL_PARAM_INPUT, s.c_type, s.sql_type,
                            s.column_size, s.decimal_digits, s.buffer.data(),
                            static_cast<SQLLEN>(s.buffer.size()), &s.indicator);
  }
}

std::string ParameterSet::DeclaredType(size_t index) const {
  const Slot& s = slots_.at(index);
  auto sized = [&](const char* name) {
    if (s.column_size > static_cast<SQLULEN>(kMaxShortLength)) return std::string(name) + "(MAX)";
    return std::string(name) + "(" + std::to_string(std::max<SQLULEN>(s.column_size, 1)) + ")";
  };
  switch (s.sql_type) {
    case SQL_CHAR: return sized("CHAR");
    case SQL_WCHAR: return sized("NCHAR");
    case SQL_WVARCHAR: return sized("NVARCHAR");
    case SQL_LONGVARCHAR: return "VARCHAR(MAX)";
    case SQL_WLONGVARCHAR: return "NVARCHAR(MAX)";
    case SQL_DECIMAL: case SQL_NUMERIC:
      return "DECIMAL(" + std::to_string(s.column_size) + "," + std::to_string(s.decimal_digits) +
             ")";
    case SQL_INTEGER: return "INT";
    case SQL_SMALLINT: return "SMALLINT";
    case SQL_TINYINT: return "TINYINT";
    case SQL_BIGINT: return "BIGINT";
    case SQL_BIT: return "BIT";
    case SQL_REAL: return "REAL";
    case SQL_FLOAT: case SQL_DOUBLE: return "FLOAT";
    case SQL_TYPE_TIMESTAMP: return "DATETIME";
    case SQL_TYPE_DATE: return "DATE";
    case SQL_TYPE_TIME: return "TIME";
    case SQL_GUID: return "UNIQUEIDENTIFIER";
    case SQL_BINARY: return sized("BINARY");
    case SQL_VARBINARY: return sized("VARBINARY");
    case SQL_LONGVARBINARY: return "VARBINARY(MAX)";
    default: return sized("VARCHAR");
  }
}

bool ParameterSet::ReturnsValue(size_t index) const {
  return slots_.at(index).io_type != SQL_PARAM_INPUT;
}

void ParameterSet::SetReturned(size_t index, Variant value) {
  slots_.at(index).returned = std::move(value);
}

Variant ParameterSet::Output(size_t index, const FieldInfo& field) const {
  const Slot& s = slots_.at(index);
  if (s.returned) {
    if (s.returned->IsNull() || s.returned->IsEmpty()) return Variant::Null();
    return ConvertForField(field, *s.returned);
  }
  if (s.indicator == SQL_NULL_DATA || s.indicator < 0) return Variant::Null();
  size_t room = s.buffer.size() - (s.c_type == SQL_C_CHAR ? 1 : 0);
  std::string text = s.buffer.substr(0, std::min(static_cast<size_t>(s.indicator), room));
  if (IsBinaryType(field.type) || ado::IsTextType(field.type)) return Variant(std::move(text));
  return ValueFromText(text, field);
}

}  // namespace zv::odbc
