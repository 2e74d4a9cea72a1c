#include "shell/dispatch_helpers.h"

#include <algorithm>
#include <cctype>

namespace zv {

bool NameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) <
               std::toupper(static_cast<unsigned char>(y));
      });
}

void FromVariant(const Variant& v, std::shared_ptr<Recordset>* out) {
  if (v.IsEmpty() || v.IsNothing()) {
    out->reset();
    return;
  }
  auto rs = std::dynamic_pointer_cast<Recordset>(v.ToObject());
  if (!rs) Raise(err::kTypeMismatch);
  *out = std::move(rs);
}

}  // namespace zv
