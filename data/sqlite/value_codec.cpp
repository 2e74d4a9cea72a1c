#include "data/sqlite/value_codec.h"

#include <cctype>
#include <cmath>

#include "data/sqlite/sql_error.h"
#include "data/sqlite/tsql_dates.h"
#include "data/sqlite/tsql_values.h"

namespace zv::sqlite {
namespace {

[[noreturn]] void Fail(int32_t native_error, const char* state, std::string message) {
  throw DatabaseError(MakeDbError(native_error, state, std::move(message)));
}

std::string Upper(std::string_view s) {
  std::string out;
  for (char c : s) out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return out;
}

struct TypeInfo {
  int ado_type;
  int32_t size;
  uint8_t precision;
  uint8_t scale;
  int32_t attributes;
};

TypeInfo InfoFor(const tsql::SqlType& type) {
  using ado_attr::kFixed;
  using ado_attr::kLong;
  std::string n = Upper(type.name);
  int32_t len = type.length;
  if (n == "CHAR" || n == "CHARACTER")
    return {ado::kChar, len > 0 ? len : 1, 255, 255, kFixed};
  if (n == "NCHAR") return {ado::kWChar, len > 0 ? len : 1, 255, 255, kFixed};
  if (n == "VARCHAR") {
    if (len < 0) return {ado::kLongVarChar, 2147483647, 255, 255, kLong};
    return {ado::kVarChar, len > 0 ? len : 1, 255, 255, 0};
  }
  if (n == "NVARCHAR" || n == "SYSNAME") {
    if (len < 0) return {ado::kLongVarWChar, 1073741823, 255, 255, kLong};
    return {ado::kVarWChar, len > 0 ? len : 128, 255, 255, 0};
  }
  if (n == "TEXT") return {ado::kLongVarChar, 2147483647, 255, 255, kLong};
  if (n == "NTEXT") return {ado::kLongVarWChar, 1073741823, 255, 255, kLong};
  if (n == "DECIMAL" || n == "NUMERIC") {
    int p = type.precision > 0 ? type.precision : 18;
    return {ado::kNumeric, 19, static_cast<uint8_t>(p), static_cast<uint8_t>(type.scale),
            kFixed};
  }
  if (n == "MONEY") return {ado::kCurrency, 8, 19, 4, kFixed};
  if (n == "SMALLMONEY") return {ado::kCurrency, 4, 10, 4, kFixed};
  if (n == "INT" || n == "INTEGER") return {ado::kInteger, 4, 10, 0, kFixed};
  if (n == "SMALLINT") return {ado::kSmallInt, 2, 5, 0, kFixed};
  if (n == "TINYINT") return {ado::kUnsignedTinyInt, 1, 3, 0, kFixed};
  if (n == "BIGINT") return {ado::kBigInt, 8, 19, 0, kFixed};
  if (n == "BIT") return {ado::kBoolean, 2, 255, 255, kFixed};
  if (n == "FLOAT") return {ado::kDouble, 8, 15, 255, kFixed};
  if (n == "REAL") return {ado::kSingle, 4, 7, 255, kFixed};
  if (n == "DATETIME" || n == "DATETIME2") return {ado::kDBTimeStamp, 16, 23, 3, kFixed};
  if (n == "SMALLDATETIME") return {ado::kDBTimeStamp, 16, 16, 0, kFixed};
  if (n == "DATE") return {ado::kDBDate, 6, 10, 0, kFixed};
  if (n == "UNIQUEIDENTIFIER") return {ado::kGUID, 16, 255, 255, kFixed};
  if (n == "VARBINARY" || n == "IMAGE") {
    if (len < 0 || n == "IMAGE") return {ado::kLongVarBinary, 2147483647, 255, 255, kLong};
    return {ado::kVarBinary, len > 0 ? len : 1, 255, 255, 0};
  }
  if (n == "BINARY") return {ado::kBinary, len > 0 ? len : 1, 255, 255, kFixed};
  return {ado::kVariant, 16, 255, 255, 0};
}

std::string_view TextOf(const StoredValue& s, std::string* buffer) {
  switch (s.kind) {
    case ValueKind::kInteger:
      *buffer = std::to_string(s.integer);
      return *buffer;
    case ValueKind::kReal:
      *buffer = RealToPlainText(s.real);
      return *buffer;
    default:
      return s.text;
  }
}

// A whole number read from any storage class (reals are truncated).
int64_t WholeOf(const StoredValue& s) {
  switch (s.kind) {
    case ValueKind::kInteger:
      return s.integer;
    case ValueKind::kReal:
      if (!(std::fabs(s.real) < 9.2233720368547758e18)) {
        Fail(native::kArithmeticOverflow, "22003",
             "Arithmetic overflow error converting expression to data type bigint.");
      }
      return static_cast<int64_t>(s.real);
    default: {
      bool overflow = false;
      std::optional<int64_t> v = ParseIntegerText(s.text, &overflow);
      if (!v) {
        Fail(native::kConversion, "22018",
             "Conversion failed when converting the varchar value '" + std::string(s.text) +
                 "' to data type int.");
      }
      return *v;
    }
  }
}

Variant SmallestInteger(int64_t v, TypeClass cls) {
  if (cls == TypeClass::kTinyInt && v >= 0 && v <= 255) return Variant(static_cast<uint8_t>(v));
  if (cls == TypeClass::kSmallInt && v >= INT16_MIN && v <= INT16_MAX)
    return Variant(static_cast<int16_t>(v));
  if (cls != TypeClass::kBigInt && v >= INT32_MIN && v <= INT32_MAX)
    return Variant(static_cast<int32_t>(v));
  return Variant(v);
}

// Cuts a text to `limit` characters when only blanks are lost; a longer
// text is error 8152.
std::string_view FitText(std::string_view text, int32_t limit) {
  if (limit <= 0) return text;
  std::string_view kept = CharPrefix(text, static_cast<size_t>(limit));
  if (kept.size() == text.size()) return text;
  if (text.substr(kept.size()).find_first_not_of(' ') != std::string_view::npos)
    Fail(native::kTruncation, "22001", "String or binary data would be truncated.");
  return kept;
}

void EncodeText(const Variant& value, StoredValue* out) {
  out->kind = ValueKind::kText;
  if (value.IsString()) {
    out->text = value.StringRef();
    return;
  }
  switch (value.type()) {
    case VarType::kBoolean:
      out->owned = value.ToBool() ? "1" : "0";
      break;
    case VarType::kDate:
      out->owned = *FormatDateStyle(FromDateValue(value.ToDate()), 0);
      break;
    default:
      out->owned = value.ToString();
  }
  out->text = out->owned;
}

void EncodeDate(const Variant& value, TypeClass cls, StoredValue* out) {
  SqlDate d;
  if (value.IsString()) {
    std::optional<SqlDate> parsed = ParseSqlDate(value.StringRef(), DateOrder::kMdy);
    if (!parsed) {
      Fail(native::kDateConversion, "22007",
           "Conversion failed when converting date and/or time from character string.");
    }
    d = *parsed;
  } else {
    d = FromDateValue(value.ToDate());
  }
  if (cls == TypeClass::kSmallDateTime) {
    d = RoundToMinute(d);
  } else if (cls == TypeClass::kDate) {
    d.ms = 0;
  } else {
    d = RoundToTick(d);
  }
  if (!InDatetimeRange(d)) {
    Fail(native::kDateOutOfRange, "22008",
         "The conversion of a varchar data type to a datetime data type resulted in an "
         "out-of-range value.");
  }
  out->kind = ValueKind::kText;
  out->owned = FormatStoredDate(d);
  out->text = out->owned;
}

}  // namespace

ColumnPlan PlanFor(const tsql::SqlType& type) {
  std::string n = Upper(type.name);
  ColumnPlan p;
  p.length = type.length;
  if (n == "CHAR" || n == "NCHAR" || n == "CHARACTER") {
    p.cls = TypeClass::kChar;
    if (p.length <= 0) p.length = 1;
  } else if (n == "VARCHAR" || n == "NVARCHAR" || n == "SYSNAME") {
    p.cls = TypeClass::kVarChar;
  } else if (n == "TEXT" || n == "NTEXT") {
    p.cls = TypeClass::kVarChar;
    p.length = -1;
  } else if (n == "DECIMAL" || n == "NUMERIC") {
    p.cls = TypeClass::kDecimal;
    p.precision = type.precision > 0 ? type.precision : 18;
    p.scale = type.scale;
  } else if (n == "MONEY" || n == "SMALLMONEY") {
    p.cls = TypeClass::kDecimal;
    p.precision = n == "MONEY" ? 19 : 10;
    p.scale = 4;
  } else if (n == "INT" || n == "INTEGER") {
    p.cls = TypeClass::kInt;
  } else if (n == "SMALLINT") {
    p.cls = TypeClass::kSmallInt;
  } else if (n == "TINYINT") {
    p.cls = TypeClass::kTinyInt;
  } else if (n == "BIGINT") {
    p.cls = TypeClass::kBigInt;
  } else if (n == "BIT") {
    p.cls = TypeClass::kBit;
  } else if (n == "FLOAT") {
    p.cls = TypeClass::kFloat;
  } else if (n == "REAL") {
    p.cls = TypeClass::kReal;
  } else if (n == "DATETIME" || n == "DATETIME2") {
    p.cls = TypeClass::kDateTime;
  } else if (n == "SMALLDATETIME") {
    p.cls = TypeClass::kSmallDateTime;
  } else if (n == "DATE") {
    p.cls = TypeClass::kDate;
  } else if (n == "UNIQUEIDENTIFIER") {
    p.cls = TypeClass::kGuid;
  } else if (n == "VARBINARY" || n == "BINARY" || n == "IMAGE") {
    p.cls = TypeClass::kBinary;
  } else {
    p.cls = TypeClass::kVariant;
  }
  if (p.scale > Decimal::kMaxScale) p.scale = Decimal::kMaxScale;
  return p;
}

FieldInfo FieldInfoFor(std::string name, const tsql::SqlType& type, bool nullable) {
  TypeInfo info = InfoFor(type);
  FieldInfo f;
  f.name = std::move(name);
  f.type = info.ado_type;
  f.defined_size = info.size;
  f.precision = info.precision;
  f.numeric_scale = info.scale;
  f.attributes = info.attributes | ado::kFldUpdatable;
  if (nullable) f.attributes |= ado::kFldIsNullable | ado::kFldMayBeNull;
  return f;
}

Variant Decode(const StoredValue& s, const ColumnPlan& plan) {
  if (s.kind == ValueKind::kNull) return Variant::Null();
  std::string buffer;
  switch (plan.cls) {
    case TypeClass::kChar: {
      std::string_view text = TextOf(s, &buffer);
      if (CharLength(text) >= static_cast<size_t>(plan.length)) return Variant(text);
      return Variant(PadToChars(text, static_cast<size_t>(plan.length)));
    }
    case TypeClass::kVarChar:
    case TypeClass::kGuid:
      return Variant(TextOf(s, &buffer));
    case TypeClass::kDecimal:
      switch (s.kind) {
        case ValueKind::kInteger:
          return Variant(Decimal(s.integer).Rescale(plan.scale));
        case ValueKind::kReal:
          return Variant(RealToScale(s.real, plan.scale));
        default: {
          std::optional<Decimal> d = ParseDecimalText(s.text);
          if (!d) {
            Fail(native::kNumberConversion, "22018",
                 "Error converting data type varchar to numeric.");
          }
          return Variant(d->RoundHalfAwayFromZero(plan.scale).Rescale(plan.scale));
        }
      }
    case TypeClass::kInt:
    case TypeClass::kSmallInt:
    case TypeClass::kTinyInt:
    case TypeClass::kBigInt:
      return SmallestInteger(WholeOf(s), plan.cls);
    case TypeClass::kBit:
      if (s.kind == ValueKind::kReal) return Variant(s.real != 0);
      return Variant(WholeOf(s) != 0);
    case TypeClass::kFloat:
    case TypeClass::kReal: {
      double v = 0;
      if (s.kind == ValueKind::kInteger) {
        v = static_cast<double>(s.integer);
      } else if (s.kind == ValueKind::kReal) {
        v = s.real;
      } else {
        std::optional<double> parsed = ParseFloatText(s.text);
        if (!parsed) {
          Fail(native::kNumberConversion, "22018",
               "Error converting data type varchar to float.");
        }
        v = *parsed;
      }
      if (plan.cls == TypeClass::kReal) return Variant(static_cast<float>(v));
      return Variant(v);
    }
    case TypeClass::kDateTime:
    case TypeClass::kSmallDateTime:
    case TypeClass::kDate: {
      std::optional<SqlDate> d;
      if (s.kind == ValueKind::kText) {
        d = ParseSqlDate(s.text, DateOrder::kMdy);
      } else {
        d = DateFromNumber(s.kind == ValueKind::kInteger ? static_cast<double>(s.integer)
                                                          : s.real);
      }
      if (!d) {
        Fail(native::kDateConversion, "22007",
             "Conversion failed when converting date and/or time from character string.");
      }
      return Variant(ToDateValue(*d));
    }
    case TypeClass::kBinary:
      return Variant(TextOf(s, &buffer));
    case TypeClass::kVariant:
      switch (s.kind) {
        case ValueKind::kInteger:
          return SmallestInteger(s.integer, TypeClass::kInt);
        case ValueKind::kReal:
          return Variant(s.real);
        default:
          return Variant(s.text);
      }
  }
  return Variant::Null();
}

Variant DecodeColumn(const Statement& st, int column, const ColumnPlan& plan) {
  StoredValue s;
  s.kind = st.ColumnKind(column);
  switch (s.kind) {
    case ValueKind::kInteger:
      s.integer = st.ColumnInt64(column);
      break;
    case ValueKind::kReal:
      s.real = st.ColumnDouble(column);
      break;
    case ValueKind::kText:
      s.text = st.ColumnText(column);
      break;
    case ValueKind::kBlob:
      s.text = st.ColumnBlob(column);
      break;
    case ValueKind::kNull:
      return Variant::Null();
  }
  return Decode(s, plan);
}

void Encode(const Variant& value, const ColumnPlan& plan, StoredValue* out) {
  out->kind = ValueKind::kNull;
  out->owned.clear();
  if (value.IsEmpty() || value.IsNull()) return;
  switch (plan.cls) {
    case TypeClass::kChar: {
      EncodeText(value, out);
      std::string_view fit = FitText(out->text, plan.length);
      size_t chars = CharLength(fit);
      if (chars < static_cast<size_t>(plan.length)) {
        // Padded in the reused buffer: this runs for every CHAR a bulk load
        // stores.
        out->owned.assign(fit);
        out->owned.append(static_cast<size_t>(plan.length) - chars, ' ');
        out->text = out->owned;
      } else {
        out->text = fit;
      }
      return;
    }
    case TypeClass::kVarChar:
    case TypeClass::kGuid:
      EncodeText(value, out);
      out->text = FitText(out->text, plan.length);
      return;
    case TypeClass::kDecimal: {
      Decimal d = value.ToDecimal();
      if (d.scale() > plan.scale) d = d.RoundHalfAwayFromZero(plan.scale);
      if (!FitsPrecision(d, plan.precision, plan.scale)) {
        Fail(native::kArithmeticOverflow, "22003",
             "Arithmetic overflow error converting numeric to data type numeric.");
      }
      out->kind = ValueKind::kReal;
      out->real = d.ToDouble();
      return;
    }
    case TypeClass::kInt:
    case TypeClass::kSmallInt:
    case TypeClass::kTinyInt:
    case TypeClass::kBigInt: {
      int64_t v = value.ToLongLong();
      int64_t lo = plan.cls == TypeClass::kInt        ? INT32_MIN
                   : plan.cls == TypeClass::kSmallInt ? INT16_MIN
                   : plan.cls == TypeClass::kTinyInt  ? 0
                                                      : INT64_MIN;
      int64_t hi = plan.cls == TypeClass::kInt        ? INT32_MAX
                   : plan.cls == TypeClass::kSmallInt ? INT16_MAX
                   : plan.cls == TypeClass::kTinyInt  ? 255
                                                      : INT64_MAX;
      if (v < lo || v > hi) {
        Fail(native::kArithmeticOverflow, "22003",
             "Arithmetic overflow error converting expression to data type int.");
      }
      out->kind = ValueKind::kInteger;
      out->integer = v;
      return;
    }
    case TypeClass::kBit:
      out->kind = ValueKind::kInteger;
      out->integer = value.ToBool() ? 1 : 0;
      return;
    case TypeClass::kFloat:
      out->kind = ValueKind::kReal;
      out->real = value.ToDouble();
      return;
    case TypeClass::kReal:
      out->kind = ValueKind::kReal;
      out->real = static_cast<double>(value.ToSingle());
      return;
    case TypeClass::kDateTime:
    case TypeClass::kSmallDateTime:
    case TypeClass::kDate:
      return EncodeDate(value, plan.cls, out);
    case TypeClass::kBinary:
      EncodeText(value, out);
      out->kind = ValueKind::kBlob;
      return;
    case TypeClass::kVariant:
      switch (value.type()) {
        case VarType::kBoolean:
          out->kind = ValueKind::kInteger;
          out->integer = value.ToBool() ? 1 : 0;
          return;
        case VarType::kInteger:
        case VarType::kLong:
        case VarType::kLongLong:
        case VarType::kByte:
          out->kind = ValueKind::kInteger;
          out->integer = value.ToLongLong();
          return;
        case VarType::kSingle:
        case VarType::kDouble:
        case VarType::kDecimal:
          out->kind = ValueKind::kReal;
          out->real = value.ToDouble();
          return;
        case VarType::kDate:
          return EncodeDate(value, TypeClass::kDateTime, out);
        case VarType::kString:
          out->kind = ValueKind::kText;
          out->text = value.StringRef();
          return;
        default:
          Raise(err::kTypeMismatch);
      }
  }
}

void BindStored(Statement& st, int index, const StoredValue& s, TextBinding binding) {
  switch (s.kind) {
    case ValueKind::kNull:
      return st.BindNull(index);
    case ValueKind::kInteger:
      return st.BindInt64(index, s.integer);
    case ValueKind::kReal:
      return st.BindDouble(index, s.real);
    case ValueKind::kText:
      if (binding == TextBinding::kStatic) return st.BindStaticText(index, s.text);
      return st.BindText(index, s.text);
    case ValueKind::kBlob:
      return st.BindBlob(index, s.text);
  }
}

Variant FromStorage(const Variant& raw, const tsql::SqlType& type) {
  StoredValue s;
  switch (raw.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
      return Variant::Null();
    case VarType::kBoolean:
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kByte:
      s.kind = ValueKind::kInteger;
      s.integer = raw.type() == VarType::kBoolean ? (raw.ToBool() ? 1 : 0) : raw.ToLongLong();
      break;
    case VarType::kSingle:
    case VarType::kDouble:
    case VarType::kDecimal:
      s.kind = ValueKind::kReal;
      s.real = raw.ToDouble();
      break;
    case VarType::kDate:
      s.kind = ValueKind::kText;
      s.owned = FormatStoredDate(FromDateValue(raw.ToDate()));
      s.text = s.owned;
      break;
    case VarType::kString:
      s.kind = ValueKind::kText;
      s.text = raw.StringRef();
      break;
    default:
      Raise(err::kTypeMismatch);
  }
  return Decode(s, PlanFor(type));
}

Variant ToStorage(const Variant& value, const tsql::SqlType& type) {
  StoredValue s;
  Encode(value, PlanFor(type), &s);
  switch (s.kind) {
    case ValueKind::kInteger:
      return Variant(s.integer);
    case ValueKind::kReal:
      return Variant(s.real);
    case ValueKind::kText:
    case ValueKind::kBlob:
      return Variant(std::string(s.text));
    default:
      return Variant::Null();
  }
}

void BindAs(Statement& st, int index, const Variant& value, const tsql::SqlType& type) {
  StoredValue s;
  Encode(value, PlanFor(type), &s);
  BindStored(st, index, s);
}

}  // namespace zv::sqlite
