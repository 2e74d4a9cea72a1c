// How the driver's types meet the record set's: the field a result column
// becomes, the value a text from the driver stands for, the text a value is
// sent as, and the error number a SQLSTATE stands for. Pure functions.
#ifndef ZV_DATA_ODBC_TYPE_MAPPING_H_
#define ZV_DATA_ODBC_TYPE_MAPPING_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/odbc/odbc_connection.h"
#include "data/recordset.h"
#include "data/variant.h"

namespace zv::odbc {

// The record-set type code of a column or parameter of ODBC type
// `sql_type`: SQL Server's money types are currency, decimal/numeric 131,
// text and binary types without a usable length their long forms, unknown
// types text.
int AdoTypeFor(int sql_type, std::string_view type_name, int64_t column_size);

// The field of a result column: its type code, defined size (characters for
// text, bytes otherwise, 2147483647 for long types), precision and scale
// for numbers, attributes from nullability and identity.
FieldInfo FieldFor(const ColumnDescription& column);

// The fields of a result: unnamed columns are called "ExprN" (N = position
// from 1) and a repeated name gets "_N", so that every field can be found
// by name.
std::vector<FieldInfo> FieldsFor(const std::vector<ColumnDescription>& columns);

// A value the driver sent as text, as the field holds it (used for
// decimals, identifiers and output parameters); GUIDs come in braces.
// Throws DriverError 22018 (22003 out of range, 22007 bad date) for text
// that is not a value of the field's type.
Variant ValueFromText(const std::string& text, const FieldInfo& field);

// The text `value` is sent as to a target of record-set type `ado_type`;
// nullopt for Null and Empty. Decimals keep every digit ("-1.230"), whole
// numbers are rounded as the platform rounds them, Booleans are 1/0,
// doubles keep 17 significant digits, dates are "YYYY-MM-DD HH:MM:SS[.mmm]"
// (the date or the time alone for date and time targets). A value that
// cannot become the target's type raises the platform's conversion error.
std::optional<std::string> TextForTarget(const Variant& value, int ado_type);

// The error number of a diagnostic record with this SQLSTATE: integrity
// violation for class 23, timeout for HYT00/HYT01, else `default_number`.
int32_t NumberForState(std::string_view sql_state, int32_t default_number);

bool IsWholeNumberType(int ado_type);
bool IsBinaryType(int ado_type);

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_TYPE_MAPPING_H_
