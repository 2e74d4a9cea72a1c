// Durations in decimal hours written as hours, minutes and seconds.
#ifndef ZV_DESCRIPTIONS_TIME_FORMAT_H_
#define ZV_DESCRIPTIONS_TIME_FORMAT_H_

#include <string>

#include "data/variant.h"

namespace zv {

// Writes a duration given in decimal hours as "12h 05m 09s": the hours only
// when there are some (below 10 with a leading blank instead of a zero),
// the minutes when there are some or when hours are shown, and always the
// seconds, minutes and seconds with two digits. 1.5 gives " 1h 30m 00s",
// 0.25 gives "15m 00s". Null and zero give ""; a value that is not a number
// is returned as its text. The arithmetic is decimal, so whole seconds are
// not lost to binary rounding. Raises the platform's conversion error for an
// object or an array, and overflow for a number beyond the decimal range.
std::string TrasformaTempo(const Variant& TempoInOreDecimali);

}  // namespace zv

#endif  // ZV_DESCRIPTIONS_TIME_FORMAT_H_
