// The library's classes are creatable by ProgID and answer late-bound calls.
#include "shell/library.h"

#include <gtest/gtest.h>

#include "data/error.h"

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

#include "data/scripted_connection.h"
#include "shell/module.h"

namespace zv {
namespace {

TEST(ModuleDropTempTable, SendsTheStatementAndSwallowsErrors) {
  auto conn = std::make_shared<ScriptedConnection>();
  conn->Expect(ScriptedConnection::Any(),
               ScriptedConnection::Response::Fail({1, "boom", "db", "42000", 102}));
  DropTempTable("#TMP_CROSS", conn.get());
  ASSERT_EQ(conn->calls().size(), 1u);
  EXPECT_EQ(conn->calls()[0].text,
            "IF OBJECT_ID('tempdb..#TMP_CROSS') IS NOT NULL DROP TABLE #TMP_CROSS");
  EXPECT_EQ(conn->GetErrors().Count(), 0);
  EXPECT_NO_THROW(DropTempTable("#X", nullptr));
}

}  // namespace
}  // namespace zv
