// Conversion of a value written into a record-set field to the field's type.
#ifndef ZV_DATA_FIELD_CONVERT_H_
#define ZV_DATA_FIELD_CONVERT_H_

#include "data/recordset.h"
#include "data/variant.h"

namespace zv {

// The value as the field holds it:
// - decimal and numeric fields: a Decimal, rounded half away from zero to
//   the field's scale when it has more decimals (as the database column
//   stores it); more integer digits than precision - scale is an error;
// - integer fields: Integer (2, 16), Long (3, 18), Byte (17), LongLong (19,
//   20, 21), range-checked; Single (4), Double (5), Currency (6, a Decimal
//   of at most 4 decimals), Boolean (11), Date (7, 133, 134, 135);
// - text fields: the text, at most defined_size characters when that is
//   set; GUID and binary fields keep text as it is;
// - variant fields keep the value as it is.
// Empty is stored as Null except in variant fields. Null in a field that is
// not nullable, and every failed conversion, raise err::kAdoMultipleStep.
Variant ConvertForField(const FieldInfo& field, const Variant& value);

}  // namespace zv

#endif  // ZV_DATA_FIELD_CONVERT_H_
