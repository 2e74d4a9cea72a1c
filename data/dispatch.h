// Late-bound objects: every host-framework object and window control the
// library talks to is reached by member name, as the platform's automation
// does. Member names compare case-insensitively.
#ifndef ZV_DATA_DISPATCH_H_
#define ZV_DATA_DISPATCH_H_

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "data/variant.h"

namespace zv {

class Dispatch {
 public:
  virtual ~Dispatch() = default;

  // The platform's TypeName of the object (its class name).
  virtual std::string TypeName() const = 0;

  // Reads property `name`. Raises error 438 ("Object doesn't support this
  // property or method") when there is no such property. The empty name is
  // the object's default member (the platform's DISPID_VALUE, e.g. a
  // field's Value): Variant conversions of an object read it.
  virtual Variant Get(std::string_view name);

  // Writes property `name` (a value or, for objects, a reference). Raises
  // error 438 when there is no such property.
  virtual void Put(std::string_view name, const Variant& value);

  // Calls method `name`. Arguments are passed by reference: a method may
  // write back into `args`. Returns the method's result (Empty for a
  // procedure). Raises error 438 when there is no such method.
  virtual Variant Invoke(std::string_view name, std::span<Variant> args);
};

// Case-insensitive comparison of member and field names (ASCII).
bool NameEquals(std::string_view a, std::string_view b);

// Calls `name` with the given arguments by value.
Variant Call(Dispatch& object, std::string_view name,
             std::initializer_list<Variant> args = {});

}  // namespace zv

#endif  // ZV_DATA_DISPATCH_H_
