#include "data/dispatch.h"

#include <vector>

#include "data/error.h"

namespace zv {

Variant Dispatch::Get(std::string_view) { Raise(err::kNotSupportedMember); }

void Dispatch::Put(std::string_view, const Variant&) {
  Raise(err::kNotSupportedMember);
}

Variant Dispatch::Invoke(std::string_view, std::span<Variant>) {
  Raise(err::kNotSupportedMember);
}

bool NameEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

Variant Call(Dispatch& object, std::string_view name,
             std::initializer_list<Variant> args) {
  std::vector<Variant> copy(args);
  return object.Invoke(name, std::span<Variant>(copy));
}

}  // namespace zv
