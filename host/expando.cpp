#include "host/expando.h"

#include <cctype>

#include "data/error.h"

namespace zv {

std::string ExpandoObject::Key(std::string_view name) {
  std::string k(name);
  for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return k;
}

Variant ExpandoObject::Get(std::string_view name) {
  calls_.push_back("Get " + std::string(name));
  auto it = properties_.find(Key(name));
  if (it == properties_.end()) Raise(err::kNotSupportedMember);
  return it->second;
}

void ExpandoObject::Put(std::string_view name, const Variant& value) {
  calls_.push_back("Put " + std::string(name) + "=" + value.Debug());
  auto key = Key(name);
  if (strict_ && properties_.count(key) == 0) Raise(err::kNotSupportedMember);
  properties_[key] = value;
}

Variant ExpandoObject::Invoke(std::string_view name, std::span<Variant> args) {
  std::string call = "Invoke " + std::string(name) + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) call += ", ";
    call += args[i].Debug();
  }
  call += ")";
  calls_.push_back(call);
  auto it = methods_.find(Key(name));
  if (it == methods_.end()) Raise(err::kNotSupportedMember);
  return it->second(args);
}

ExpandoObject& ExpandoObject::Define(std::string name, Variant value) {
  properties_[Key(name)] = std::move(value);
  return *this;
}

ExpandoObject& ExpandoObject::DefineMethod(std::string name, Method method) {
  methods_[Key(name)] = std::move(method);
  return *this;
}

bool ExpandoObject::Has(std::string_view name) const {
  auto k = Key(name);
  return properties_.count(k) != 0 || methods_.count(k) != 0;
}

}  // namespace zv
