#include "shell/library.h"

#include "shell/clspd_vestaro.h"

namespace zv {

std::shared_ptr<Dispatch> NewClspdVestaro() { return std::make_shared<CLSPD_VESTARO>(); }

void RegisterLibraryClasses(ObjectRegistry& registry) {
  registry.Register("ZURE_VESTARO.CLSPD_VESTARO", &NewClspdVestaro);
  registry.Register("ZURE_VESTARO.CLSPD_UTILITY", &NewClspdUtility);
  registry.Register("ZURE_VESTARO.CLSPD_GRADIENT", &NewClspdGradient);
  registry.Register("ZURE_VESTARO.CLSPD_CAMPOGR", &NewClspdCampogr);
}

}  // namespace zv
