// The library as a component server: its creatable classes, registered by
// programmatic identifier "ZURE_VESTARO.<class>" so that a host (or a form of
// the library itself) can create them by name.
#ifndef ZV_SHELL_LIBRARY_H_
#define ZV_SHELL_LIBRARY_H_

#include <memory>

#include "data/dispatch.h"
#include "host/registry.h"

namespace zv {

// Factories of the public classes; each subsystem defines its own.
std::shared_ptr<Dispatch> NewClspdVestaro();
std::shared_ptr<Dispatch> NewClspdUtility();
std::shared_ptr<Dispatch> NewClspdGradient();
std::shared_ptr<Dispatch> NewClspdCampogr();

// Registers every public class in `registry` (the equivalent of registering
// the component server). Idempotent.
void RegisterLibraryClasses(ObjectRegistry& registry = ObjectRegistry::Default());

}  // namespace zv

#endif  // ZV_SHELL_LIBRARY_H_
