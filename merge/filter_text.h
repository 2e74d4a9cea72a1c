// Criteria texts of the merged view's record-set filters.
//
// The merged view is navigated by filtering its record sets on row keys:
// texts between single quotes, numbers bare, terms joined by " AND ". The
// texts are built piece by piece with the exact column fragments the callers
// give (padding blanks included), and every value goes through one of two
// splicing helpers here, so a value can never change a filter's shape: a
// text has its single quotes doubled, a number must read as a number.
#ifndef ZV_MERGE_FILTER_TEXT_H_
#define ZV_MERGE_FILTER_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "data/variant.h"

namespace zv {

// `text` with every single quote doubled, for use between single quotes.
std::string QuoteFilterText(std::string_view text);

// The text a value contributes when concatenated: "" for Null and Empty,
// otherwise its text (numbers with "." and no trailing zeros).
std::string SpliceText(const Variant& value);

// The text of a value spliced as a bare number. Null and Empty give "" (so
// the filter fails to parse, as a missing key should). A number gives its
// text; a text that reads as a number gives that number's plain digits.
// Anything else raises "Type mismatch": it could not stand bare in a filter.
std::string SpliceNumber(const Variant& value);

// Builds a conjunction of key terms:
//   KeyFilter().Text("DESTI_NUMREG = ", n).Number("DESTI_PROGRIGA = ", p)
// gives "DESTI_NUMREG = 'n' AND DESTI_PROGRIGA = p". Each term is the
// column fragment (with its operator and padding) followed by the value.
class KeyFilter {
 public:
  // fragment + "'" + quoted text + "'".
  KeyFilter& Text(std::string_view fragment, std::string_view value);
  KeyFilter& Text(std::string_view fragment, const std::string& value) {
    return Text(fragment, std::string_view(value));
  }
  KeyFilter& Text(std::string_view fragment, const char* value) {
    return Text(fragment, std::string_view(value));
  }
  KeyFilter& Text(std::string_view fragment, const Variant& value) {
    return Text(fragment, SpliceText(value));
  }
  // fragment + number.
  KeyFilter& Number(std::string_view fragment, const Variant& value) {
    return Append(fragment, SpliceNumber(value));
  }
  KeyFilter& Number(std::string_view fragment, int32_t value) {
    return Append(fragment, std::to_string(value));
  }
  // A term given whole (a column name and a comparison with a constant).
  KeyFilter& Term(std::string_view term) { return Append(term, ""); }

  const std::string& str() const { return text_; }
  operator Variant() const { return Variant(text_); }  // NOLINT: for SetFilter

 private:
  KeyFilter& Append(std::string_view fragment, std::string_view value);
  std::string text_;
};

}  // namespace zv

#endif  // ZV_MERGE_FILTER_TEXT_H_
