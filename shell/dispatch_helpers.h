// Conversions between C++ field types and Variants for the late-bound
// surface of the public classes.
#ifndef ZV_SHELL_DISPATCH_HELPERS_H_
#define ZV_SHELL_DISPATCH_HELPERS_H_

#include <memory>
#include <string>
#include <string_view>

#include "data/collection.h"
#include "data/dispatch.h"
#include "data/error.h"
#include "data/recordset.h"
#include "data/variant.h"

namespace zv {

// Orders names case-insensitively (for name -> member maps).
struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

inline Variant ToVariant(bool v) { return Variant(v); }
inline Variant ToVariant(int16_t v) { return Variant(v); }
inline Variant ToVariant(int32_t v) { return Variant(v); }
inline Variant ToVariant(const std::string& v) { return Variant(v); }
inline Variant ToVariant(const Variant& v) { return v; }
inline Variant ToVariant(const std::shared_ptr<Dispatch>& v) { return Variant(v); }
inline Variant ToVariant(const std::shared_ptr<Recordset>& v) {
  return Variant(std::static_pointer_cast<Dispatch>(v));
}

inline void FromVariant(const Variant& v, bool* out) { *out = v.ToBool(); }
inline void FromVariant(const Variant& v, int16_t* out) { *out = v.ToInteger(); }
inline void FromVariant(const Variant& v, int32_t* out) { *out = v.ToLong(); }
inline void FromVariant(const Variant& v, std::string* out) {
  *out = v.IsNull() ? std::string() : v.ToString();
}
inline void FromVariant(const Variant& v, Variant* out) { *out = v; }
inline void FromVariant(const Variant& v, std::shared_ptr<Dispatch>* out) {
  *out = v.IsEmpty() ? nullptr : v.ToObject();
}
// A record set field accepts only record sets (or Nothing).
void FromVariant(const Variant& v, std::shared_ptr<Recordset>* out);

}  // namespace zv

#endif  // ZV_SHELL_DISPATCH_HELPERS_H_
