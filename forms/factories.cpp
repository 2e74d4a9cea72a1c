// Factories of the public classes of the forms subsystem.
#include "forms/campogr.h"
#include "forms/gradient.h"
#include "shell/library.h"

namespace zv {

std::shared_ptr<Dispatch> NewClspdGradient() { return std::make_shared<CLSPD_GRADIENT>(); }
std::shared_ptr<Dispatch> NewClspdCampogr() { return std::make_shared<CLSPD_CAMPOGR>(); }

}  // namespace zv
