// A late-bound object whose properties and methods are set at run time: the
// building block of the default host-framework objects and of test doubles
// (a status label, a calling window, a host context, a progress bar).
#ifndef ZV_HOST_EXPANDO_H_
#define ZV_HOST_EXPANDO_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/dispatch.h"

namespace zv {

class ExpandoObject : public Dispatch {
 public:
  using Method = std::function<Variant(std::span<Variant> args)>;

  explicit ExpandoObject(std::string type_name = "Object")
      : type_name_(std::move(type_name)) {}

  std::string TypeName() const override { return type_name_; }

  // Reads a property; an unknown one raises error 438 unless it was declared
  // with Define or written with Put.
  Variant Get(std::string_view name) override;
  // Writes a property. With `strict` set, only declared properties may be
  // written (others raise error 438), as a real control would.
  void Put(std::string_view name, const Variant& value) override;
  // Calls a method defined with DefineMethod; others raise error 438.
  Variant Invoke(std::string_view name, std::span<Variant> args) override;

  // Declares a property with its initial value.
  ExpandoObject& Define(std::string name, Variant value = Variant());
  ExpandoObject& DefineMethod(std::string name, Method method);
  // Makes Put of undeclared properties fail.
  ExpandoObject& Strict(bool strict = true) {
    strict_ = strict;
    return *this;
  }
  bool Has(std::string_view name) const;

  // Every Get/Put/Invoke in order, as "Get Name", "Put Name=<value>",
  // "Invoke Name(<args>)" with Variant::Debug() renderings.
  const std::vector<std::string>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

 private:
  static std::string Key(std::string_view name);
  std::string type_name_;
  bool strict_ = false;
  std::map<std::string, Variant> properties_;
  std::map<std::string, Method> methods_;
  std::vector<std::string> calls_;
};

}  // namespace zv

#endif  // ZV_HOST_EXPANDO_H_
