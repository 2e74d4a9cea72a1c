#include "data/field_convert.h"

#include <cmath>

#include "data/error.h"
#include "data/text_compare.h"

namespace zv {

namespace ado {
bool IsTextType(int type) {
  switch (type) {
    case kBSTR: case kChar: case kWChar: case kVarChar: case kLongVarChar:
    case kVarWChar: case kLongVarWChar:
      return true;
    default:
      return false;
  }
}

bool IsNumericType(int type) {
  return (type >= kSmallInt && type <= kCurrency) || type == kBoolean ||
         type == kDecimal || (type >= kTinyInt && type <= kUnsignedBigInt) ||
         type == kNumeric;
}

bool IsDateType(int type) {
  return type == kDate || type == kDBDate || type == kDBTime || type == kDBTimeStamp;
}
}  // namespace ado

namespace {

[[noreturn]] void Fail(const FieldInfo& field, const std::string& why) {
  Raise(err::kAdoMultipleStep,
        "Multiple-step operation generated errors. Check each status value. (" +
            field.name + ": " + why + ")",
        "ADODB.Field");
}

int64_t WholeInRange(const FieldInfo& field, const Variant& v, int64_t lo, int64_t hi) {
  int64_t n = v.ToLongLong();
  if (n < lo || n > hi) Fail(field, "value out of range");
  return n;
}

Variant ConvertDecimal(const FieldInfo& field, const Variant& value) {
  Decimal d = value.ToDecimal();
  if (field.precision > 0) {
    if (d.scale() > field.numeric_scale) d = d.RoundHalfAwayFromZero(field.numeric_scale);
    const int integer_digits = field.precision - field.numeric_scale;
    const bool fits = d.FitsWholeDigits(integer_digits);
    if (!fits) Fail(field, "too many digits");
  }
  return Variant(d);
}

Variant Convert(const FieldInfo& field, const Variant& value) {
  switch (field.type) {
    case ado::kDecimal:
    case ado::kNumeric:
      return ConvertDecimal(field, value);
    case ado::kCurrency: {
      Decimal d = value.ToDecimal();
      if (d.scale() > 4) d = d.Round(4);
      if (d.Abs() > Decimal::FromParts(0, 9223372036854775807ULL, 4, false)) {
        Fail(field, "value out of range");
      }
      return Variant(d);
    }
    case ado::kSmallInt:
      return Variant(value.ToInteger());
    case ado::kTinyInt:
      return Variant(static_cast<int16_t>(WholeInRange(field, value, -128, 127)));
    case ado::kUnsignedTinyInt:
      return Variant(value.ToByte());
    case ado::kInteger:
      return Variant(value.ToLong());
    case ado::kUnsignedSmallInt:
      return Variant(static_cast<int32_t>(WholeInRange(field, value, 0, 65535)));
    case ado::kUnsignedInt:
      return Variant(WholeInRange(field, value, 0, 4294967295LL));
    case ado::kBigInt:
      return Variant(value.ToLongLong());
    case ado::kUnsignedBigInt:
      return Variant(WholeInRange(field, value, 0, INT64_MAX));
    case ado::kSingle:
      return Variant(value.ToSingle());
    case ado::kDouble:
      return Variant(value.ToDouble());
    case ado::kBoolean:
      return Variant(value.ToBool());
    case ado::kDate:
    case ado::kDBDate:
    case ado::kDBTime:
    case ado::kDBTimeStamp:
      return Variant(value.ToDate());
    case ado::kVariant:
      return value;
    default:
      break;
  }
  if (ado::IsTextType(field.type)) {
    if (value.IsString()) {
      // Already a text: checked in place and shared, not copied.
      if (field.defined_size > 0 &&
          text::CharCount(value.StringRef()) > static_cast<size_t>(field.defined_size)) {
        Fail(field, "text longer than " + std::to_string(field.defined_size));
      }
      return value;
    }
    std::string s = value.ToString();
    if (field.defined_size > 0 &&
        text::CharCount(s) > static_cast<size_t>(field.defined_size)) {
      Fail(field, "text longer than " + std::to_string(field.defined_size));
    }
    return Variant(std::move(s));
  }
  if (value.IsObject() || value.IsArray()) Fail(field, "not a value");
  return value;
}

}  // namespace

Variant ConvertForField(const FieldInfo& field, const Variant& value) {
  if (value.IsNull() || (value.IsEmpty() && field.type != ado::kVariant)) {
    if (!field.nullable()) Fail(field, "Null in a field that is not nullable");
    return Variant::Null();
  }
  try {
    return Convert(field, value);
  } catch (const PlatformError& e) {
    if (e.number() == err::kAdoMultipleStep) throw;
    Fail(field, e.description());
  }
}

}  // namespace zv
