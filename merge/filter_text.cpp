#include "merge/filter_text.h"

#include <optional>

#include "data/decimal.h"
#include "data/error.h"
#include "shell/messages.h"

namespace zv {

std::string QuoteFilterText(std::string_view text) { return QuoteForSql(text); }

std::string SpliceText(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return std::string();
  if (value.IsString()) return value.StringRef();
  return value.ToString();
}

std::string SpliceNumber(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return std::string();
  if (value.IsNumber()) return value.ToString();
  if (value.IsString()) {
    std::optional<Decimal> d = Decimal::Parse(value.StringRef());
    if (d) return d->Normalize().ToString();
  }
  Raise(err::kTypeMismatch);
}

KeyFilter& KeyFilter::Text(std::string_view fragment, std::string_view value) {
  std::string quoted = "'";
  quoted += QuoteFilterText(value);
  quoted += "'";
  return Append(fragment, quoted);
}

KeyFilter& KeyFilter::Append(std::string_view fragment, std::string_view value) {
  if (!text_.empty()) text_ += " AND ";
  text_ += fragment;
  text_ += value;
  return *this;
}

}  // namespace zv
