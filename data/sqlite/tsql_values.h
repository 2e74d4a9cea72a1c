// Numbers and texts as T-SQL converts them, for the functions, the result
// reader and the table writer of the embedded engine.
//
// DECIMAL storage. The engine stores DECIMAL/NUMERIC/MONEY values as SQLite
// REAL (IEEE double) and reads them back as zv::Decimal rounded to the
// column's scale. A value d of scale s is written as the double x nearest
// to d and read back exactly whenever the spacing of doubles at x is below
// 10^-s, which holds whenever the unscaled integer |d|*10^s is below 2^52
// (4,503,599,627,370,496): every value of up to 15 significant digits, and
// 16-digit values below that bound, round-trip exactly. Larger unscaled
// magnitudes (for DECIMAL(17,6), values from about 4.5e9 with all six
// decimals used) may come back off by one unit in the last place.
#ifndef ZV_DATA_SQLITE_TSQL_VALUES_H_
#define ZV_DATA_SQLITE_TSQL_VALUES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/decimal.h"
#include "data/text_compare.h"

namespace zv::sqlite {

// The decimal written by the shortest text that reads back as `value`
// (so 0.1 gives 0.1 and 1.5e-7 gives 0.00000015). Throws the overflow
// PlatformError for infinities, NaN and magnitudes beyond the decimal's
// range; digits beyond scale 28 are rounded.
Decimal DecimalFromReal(double value);
// The quick form of DecimalFromReal for the usual stored value (at most nine
// decimals, below 10^15 once scaled): unscaled * 10^-scale. False when the
// value needs the general path.
bool ShortDecimalFromReal(double value, int64_t* unscaled, int* scale);

// A stored REAL read as a decimal of the given scale (half away from zero).
Decimal RealToScale(double value, int scale);

// True when the value (of at most `scale` decimals) fits DECIMAL(p, s):
// no more than p - s integer digits.
bool FitsPrecision(const Decimal& value, int precision, int scale);

// `value` with its decimals beyond `places` cut off (towards zero).
Decimal TruncateDecimal(const Decimal& value, int places);
// Rounds half away from zero; negative places round to tens, hundreds...
Decimal RoundDecimal(const Decimal& value, int places, bool truncate);

// Text of a REAL in plain decimal notation, shortest form ("1.5", "0.1",
// "100"); falls back to exponent form beyond the decimal's range.
std::string RealToPlainText(double value);
// Text of a FLOAT as CONVERT(varchar, float) writes it: at most six
// significant digits, exponent form with three exponent digits when the
// exponent is below -4 or above 5 ("1.23457e+006", "1e-005").
std::string FloatToText(double value);

// Parses an integer as T-SQL converts varchar to int: blanks around, an
// optional sign, digits; the empty text is 0. Returns nullopt when the text
// is not an integer; sets *overflow when it is one beyond int64.
std::optional<int64_t> ParseIntegerText(std::string_view text, bool* overflow);
// Parses a decimal as T-SQL converts varchar to decimal: blanks, sign,
// digits with an optional "." (no exponent, not empty).
std::optional<Decimal> ParseDecimalText(std::string_view text);
// Parses a float as T-SQL converts varchar to float: also an exponent; the
// empty text is 0.
std::optional<double> ParseFloatText(std::string_view text);

// One character of UTF-8 text in and out, read the way the text collation
// reads it (a byte outside a valid sequence is its Latin-1 character).
using text::AppendChar;
using text::DecodeChar;
// Characters (code points) of UTF-8 text.
size_t CharLength(std::string_view text);
// The first `count` characters of the text.
std::string_view CharPrefix(std::string_view text, size_t count);
// The text padded with blanks to `count` characters (never shortened).
std::string PadToChars(std::string_view text, size_t count);

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_TSQL_VALUES_H_
