#include "forms/campogr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/error.h"
#include "shell/trace.h"

namespace zv {
namespace {

TEST(CampoGrTest, FieldsAfterCreationAndAfterLateBoundWrites) {
  struct Case {
    const char* name;  // written in another case than declared
    Variant initial, written, read;
  } cases[] = {
      {"nomecampo", Variant(""), Variant("DO30_QTA1"), Variant("DO30_QTA1")},
      {"CAPTIONCAMPO", Variant(""), Variant("Quantità"), Variant("Quantità")},
      {"formatoCampo", Variant(""), Variant("#,##0.000"), Variant("#,##0.000")},
      {"tipocampo", Variant(int32_t{12}), Variant(int16_t{131}), Variant(int32_t{131})},
      {"indoperazione", Variant(int32_t{VstNessuna}), Variant("2"), Variant(int32_t{VstMuove})},
      {"tipocampodxgrid", Variant(int32_t{0}), Variant(7.0), Variant(int32_t{7})},
      {"allowedit", Variant(false), Variant(int32_t{-1}), Variant(true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CLSPD_CAMPOGR field;
    EXPECT_EQ(field.Get(c.name), c.initial);
    field.Put(c.name, c.written);
    EXPECT_EQ(field.Get(c.name), c.read);
  }
  CLSPD_CAMPOGR field;
  field.Put("IndOperazione", Variant(int32_t{vstSomma}));
  EXPECT_EQ(field.IndOperazione, vstSomma);
}

TEST(CampoGrTest, BadWritesChangeNothing) {
  CLSPD_CAMPOGR field;
  auto error_of = [](auto&& f) {
    try {
      f();
    } catch (const PlatformError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(error_of([&] { field.Put("TipoCampo", Variant("numero")); }),
            err::kTypeMismatch);
  EXPECT_EQ(field.TipoCampo, 12);
  EXPECT_EQ(error_of([&] { field.Put("NomeCampoX", Variant("a")); }),
            err::kNotSupportedMember);
  EXPECT_EQ(error_of([&] { field.Get("Caption"); }), err::kNotSupportedMember);
}

TEST(CampoGrTest, TraceLinesAtCreationAndDestruction) {
  std::vector<std::string> lines;
  SetDebugSink([&](std::string_view line) { lines.emplace_back(line); });
  {
    CLSPD_CAMPOGR a;
    CLSPD_CAMPOGR b;
  }
  SetDebugSink(nullptr);
  ASSERT_EQ(lines.size(), 4u);
  const std::string a = lines[0].substr(6, 32), b = lines[1].substr(6, 32);
  EXPECT_NE(a, b);
  EXPECT_EQ(lines[0], "ZQVE:|" + a + "|INI|ZURE_VESTARO|CLSPD_CAMPOGR");
  EXPECT_EQ(lines[1], "ZQVE:|" + b + "|INI|ZURE_VESTARO|CLSPD_CAMPOGR");
  EXPECT_EQ(lines[2], "ZQVE:|" + b + "|TER|ZURE_VESTARO|CLSPD_CAMPOGR");
  EXPECT_EQ(lines[3], "ZQVE:|" + a + "|TER|ZURE_VESTARO|CLSPD_CAMPOGR");
}

}  // namespace
}  // namespace zv
