// The shared value routines of the module MODPD_VESTARO. Every class of the
// library that carries one of these functions (CLSPD_VESTARO, CLSPD_UTILITY,
// FRMPD_LISTAP, ...) calls the one implementation here. None of them throws:
// each clears its own errors and returns its fallback value.
//
// "The value's text trimmed" is the value converted to text (CStr) with
// leading and trailing spaces removed; Null and Empty have no such text
// and are named explicitly below.
#ifndef ZV_SHELL_MODULE_H_
#define ZV_SHELL_MODULE_H_

#include <string>

#include "data/connection.h"
#include "data/variant.h"

namespace zv {

// `default_value` when `value` is Null, Empty or a value whose text trimmed
// is ""; otherwise `value` (also when its text cannot be made, e.g. an
// object without a default value).
Variant NVL(const Variant& value, const Variant& default_value);

// 0 as a 16-bit Integer when `value` is Null, Empty or its text trimmed is
// ""; otherwise the value converted to a Decimal (CDec: "." separator only);
// 0 (16-bit) when that conversion fails.
Variant CDecN(const Variant& value);

// Null when the value's text trimmed is "0" (0, "0", " 0 ", CDec(0.00));
// otherwise `value` unchanged, also when anything fails.
Variant NullSeZero(const Variant& value);

// The empty text when the value is Empty, Null or the empty text; otherwise
// its text with trailing spaces removed. The empty text when the value has
// no text (objects, arrays).
std::string RTrimNVL(const Variant& value);

// The size-grid index of a variant dimension code: "A0".."A9" give 0..9,
// "B0".."B9" give 10..19 (16-bit Integers); any other value (including
// lower case, blanks around, Null) gives Empty.
Variant IndiceDaCodiceVar(const Variant& code);

// The inverse of IndiceDaCodiceVar: a whole number 0..19 (of any numeric
// kind, or a numeric text) gives "A0".."B9"; anything else gives Empty.
Variant CodiceVarDaIndice(const Variant& index);

// floor(value * 10^decimals) / 10^decimals, exactly, as a Decimal: the value
// cut towards minus infinity to `decimals` decimals (-1.231, 2 -> -1.24).
// A value with no more decimals than asked is returned as a Decimal
// unchanged. Null gives Null. Fallback: when the value or the number of
// decimals cannot be converted (or `decimals` is negative) the value is
// returned unchanged.
Variant TroncaDecimali(const Variant& value, const Variant& decimals);

// Drops the session temporary table `name` on `connection` if it exists
// ("IF OBJECT_ID('tempdb..name') IS NOT NULL DROP TABLE name"). Errors are
// cleared and ignored; a missing connection does nothing.
void DropTempTable(std::string_view name, Connection* connection);

}  // namespace zv

#endif  // ZV_SHELL_MODULE_H_
