#include "descriptions/time_format.h"

#include "data/decimal.h"

namespace zv {
namespace {

// A whole number as plain digits.
std::string WholeText(const Decimal& whole) { return whole.Rescale(0).ToString(); }

// "00" + unit for zero, a leading "0" below 10, else the plain digits.
std::string TwoDigits(const Decimal& value, const char* unit) {
  if (value.IsZero()) return std::string("00") + unit;
  if (value < Decimal(10)) return "0" + WholeText(value) + unit;
  return WholeText(value) + unit;
}

}  // namespace

std::string TrasformaTempo(const Variant& TempoInOreDecimali) {
  const Variant& value = TempoInOreDecimali;
  if (value.IsNull()) return "";
  if (!value.IsNumeric()) return value.ToString();
  Decimal t = value.ToDecimal();
  if (t.IsZero()) return "";

  const Decimal minutes_per_hour(60);
  const Decimal hours = t.Floor();
  t = (t - hours) * minutes_per_hour;
  const Decimal minutes = t.Floor();
  t = (t - minutes) * minutes_per_hour;
  const Decimal seconds = t.Floor();

  // Built from the right: seconds always, minutes when there are some or
  // when hours are shown, hours when there are some.
  std::string text = TwoDigits(seconds, "s");
  if (!minutes.IsZero() || !hours.IsZero()) text = TwoDigits(minutes, "m") + " " + text;
  if (!hours.IsZero()) {
    // Hours below 10 keep their column with a blank, not a zero.
    std::string h = WholeText(hours) + "h";
    text = (hours < Decimal(10) ? " " + h : h) + " " + text;
  }
  return text;
}

}  // namespace zv
