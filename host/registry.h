// The registry of creatable objects by programmatic identifier ("ProgID").
// The host fills it with its framework's components; the library's own
// classes register as "ZURE_VESTARO.<class>".
#ifndef ZV_HOST_REGISTRY_H_
#define ZV_HOST_REGISTRY_H_

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "data/dispatch.h"

namespace zv {

class ScopedRegistration;

class ObjectRegistry {
 public:
  using Factory = std::function<std::shared_ptr<Dispatch>()>;

  // The process-wide registry the library creates objects from.
  static ObjectRegistry& Default();

  // Registers (or replaces) the factory of `progid` (case-insensitive).
  void Register(std::string progid, Factory factory);
  void Unregister(std::string_view progid);
  bool Contains(std::string_view progid) const;

  // A new object of `progid`. An unknown identifier, a factory that fails
  // or returns nothing raise err::kCannotCreateObject (429).
  std::shared_ptr<Dispatch> Create(std::string_view progid) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Factory> factories_;  // keyed by upper-case ProgID
  friend class ScopedRegistration;
};

// ObjectRegistry::Default().Create(progid).
std::shared_ptr<Dispatch> CreateObject(std::string_view progid);

// Registers a factory for the lifetime of the object, restoring what was
// registered before (for tests and hosts that swap a component).
class ScopedRegistration {
 public:
  ScopedRegistration(std::string progid, ObjectRegistry::Factory factory,
                     ObjectRegistry& registry = ObjectRegistry::Default());
  ~ScopedRegistration();
  ScopedRegistration(const ScopedRegistration&) = delete;
  ScopedRegistration& operator=(const ScopedRegistration&) = delete;

 private:
  std::string progid_;
  ObjectRegistry& registry_;
  bool had_previous_ = false;
  ObjectRegistry::Factory previous_;
};

}  // namespace zv

#endif  // ZV_HOST_REGISTRY_H_
