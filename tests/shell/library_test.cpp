// The library's classes are creatable by ProgID and answer late-bound calls.
#include "shell/library.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(Library, EveryPublicClassIsCreatableByProgId) {
  ObjectRegistry registry;
  RegisterLibraryClasses(registry);
  for (const char* name : {"CLSPD_VESTARO", "CLSPD_UTILITY", "CLSPD_GRADIENT", "CLSPD_CAMPOGR"}) {
    SCOPED_TRACE(name);
    auto object = registry.Create(std::string("zure_vestaro.") + name);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->TypeName(), name);
  }
  try {
    registry.Create("ZURE_VESTARO.CLSPD_NONE");
    FAIL();
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kCannotCreateObject);
  }
}

TEST(Library, LateBoundFieldsKeepTheirTypes) {
  auto v = NewClspdVestaro();
  v->Put("AccorpaFasi", Variant(int16_t{-1}));
  EXPECT_EQ(v->Get("accorpafasi"), Variant(true));
  v->Put("PgmChiamante", Variant("5"));
  EXPECT_EQ(v->Get("PgmChiamante"), Variant(int32_t{5}));
  EXPECT_THROW(v->Get("NoSuchField"), PlatformError);
  EXPECT_THROW(v->Put("PrstOrdini", Variant("not a record set")), PlatformError);
}

}  // namespace
}  // namespace zv
