// The ODBC backend's translations that need no driver: column types to
// fields, driver text to values, values to parameter text, SQLSTATEs to
// error numbers, object names, and procedure calls.
#include <gtest/gtest.h>

#include "data/datetime.h"
#include "data/error.h"
#include "data/odbc/diagnostics.h"
#include "data/odbc/object_names.h"
#include "data/odbc/procedure_call.h"
#include "data/odbc/type_mapping.h"

namespace zv::odbc {
namespace {

ColumnDescription Column(std::string name, int sql_type, int64_t size, int digits = 0,
                         std::string type_name = "") {
  ColumnDescription c;
  c.name = std::move(name);
  c.sql_type = sql_type;
  c.column_size = size;
  c.decimal_digits = digits;
  c.type_name = std::move(type_name);
  return c;
}

TEST(FieldForColumn, TypesSizesPrecisionAndScale) {
  struct Case {
    ColumnDescription column;
    int type;
    int32_t defined_size;
    int precision;
    int scale;
  } cases[] = {
      {Column("c", sqltype::kChar, 5), ado::kChar, 5, 255, 255},
      {Column("v", sqltype::kVarChar, 20), ado::kVarChar, 20, 255, 255},
      {Column("vmax", sqltype::kVarChar, 0), ado::kLongVarChar, INT32_MAX, 255, 255},
      {Column("nc", sqltype::kWChar, 3), ado::kWChar, 3, 255, 255},
      {Column("nv", sqltype::kWVarChar, 10), ado::kVarWChar, 10, 255, 255},
      {Column("nvmax", sqltype::kWVarChar, 0), ado::kLongVarWChar, INT32_MAX, 255, 255},
      {Column("ntext", sqltype::kWLongVarChar, 1073741823), ado::kLongVarWChar, 1073741823, 255, 255},
      {Column("qty", sqltype::kDecimal, 17, 3), ado::kNumeric, 19, 17, 3},
      {Column("n", sqltype::kNumeric, 38, 6), ado::kNumeric, 19, 38, 6},
      {Column("m", sqltype::kDecimal, 19, 4, "money"), ado::kCurrency, 8, 19, 4},
      {Column("i", sqltype::kInteger, 10), ado::kInteger, 4, 10, 0},
      {Column("s", sqltype::kSmallInt, 5), ado::kSmallInt, 2, 5, 0},
      {Column("t", sqltype::kTinyInt, 3), ado::kUnsignedTinyInt, 1, 3, 0},
      {Column("b", sqltype::kBigInt, 19), ado::kBigInt, 8, 19, 0},
      {Column("bit", sqltype::kBit, 1), ado::kBoolean, 2, 255, 255},
      {Column("dt", sqltype::kTimestamp, 23, 3), ado::kDBTimeStamp, 16, 23, 3},
      {Column("d", sqltype::kDate, 10), ado::kDBDate, 6, 10, 0},
      {Column("tm", sqltype::kSsTime2, 16, 7), ado::kDBTime, 6, 255, 255},
      {Column("f", sqltype::kFloat, 53), ado::kDouble, 8, 15, 255},
      {Column("dbl", sqltype::kDouble, 15), ado::kDouble, 8, 15, 255},
      {Column("r", sqltype::kReal, 24), ado::kSingle, 4, 7, 255},
      {Column("sv", sqltype::kSsVariant, 8000), ado::kVariant, 8000, 255, 255},
      {Column("g", sqltype::kGuid, 36), ado::kGUID, 16, 255, 255},
      {Column("vb", sqltype::kVarBinary, 10), ado::kVarBinary, 10, 255, 255},
      {Column("vbmax", sqltype::kVarBinary, 0), ado::kLongVarBinary, INT32_MAX, 255, 255},
      {Column("x", sqltype::kSsXml, 0), ado::kLongVarWChar, INT32_MAX, 255, 255},
      {Column("odd", 12345, 40), ado::kVarChar, 40, 255, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column.name);
    FieldInfo f = FieldFor(c.column);
    EXPECT_EQ(f.name, c.column.name);
    EXPECT_EQ(f.type, c.type);
    EXPECT_EQ(f.defined_size, c.defined_size);
    EXPECT_EQ(f.precision, c.precision);
    EXPECT_EQ(f.numeric_scale, c.scale);
  }
}

TEST(FieldForColumn, NullabilityAndIdentityBecomeAttributes) {
  ColumnDescription id = Column("id", sqltype::kInteger, 10);
  id.nullable = false;
  id.auto_increment = true;
  EXPECT_EQ(FieldFor(id).attributes, 0);
  EXPECT_FALSE(FieldFor(id).nullable());

  ColumnDescription note = Column("note", sqltype::kVarChar, 10);
  EXPECT_EQ(FieldFor(note).attributes,
            ado::kFldIsNullable | ado::kFldMayBeNull | ado::kFldUpdatable);
}

TEST(FieldsForResult, NamedFieldsAreUniqueAndUnnamedOnesStayEmpty) {
  std::vector<ColumnDescription> columns = {
      Column("a", sqltype::kInteger, 10), Column("", sqltype::kInteger, 10),
      Column("A", sqltype::kInteger, 10), Column("", sqltype::kInteger, 10),
      Column("b", sqltype::kInteger, 10)};
  std::vector<std::string> names;
  for (const FieldInfo& f : FieldsFor(columns)) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "", "A_3", "", "b"}));
}

FieldInfo FieldOf(int type, std::string name = "f") {
  FieldInfo f;
  f.name = std::move(name);
  f.type = type;
  return f;
}

TEST(ValueFromDriverText, KeepsEveryDigitAndTheFieldsKind) {
  struct Case {
    int type;
    std::string text;
    std::string debug;  // Variant::Debug() of the value
  } cases[] = {
      {ado::kNumeric, "12345678901234.567", "12345678901234.567D"},
      {ado::kNumeric, ".50", "0.50D"},  // SQL Server writes no leading zero
      {ado::kNumeric, "-.001", "-0.001D"},
      {ado::kNumeric, "79228162514264337593543950335", "79228162514264337593543950335D"},
      {ado::kCurrency, "12.3400", "12.3400D"},
      {ado::kInteger, "70000", "70000"},
      {ado::kSmallInt, "-32768", "-32768"},
      {ado::kUnsignedTinyInt, "255", "255"},
      {ado::kBigInt, "9007199254740993", "9007199254740993"},
      {ado::kBoolean, "1", "True"},
      {ado::kBoolean, "0", "False"},
      {ado::kDouble, "0.1", "0.1"},
      {ado::kDBTimeStamp, "2024-02-29 23:59:58.1234567", "#2024-02-29 23:59:58.123#"},
      {ado::kGUID, "6f9619ff-8b86-d011-b42d-00c04fc964ff",
       "\"{6F9619FF-8B86-D011-B42D-00C04FC964FF}\""},
      {ado::kGUID, "{6F9619FF-8B86-D011-B42D-00C04FC964FF}",
       "\"{6F9619FF-8B86-D011-B42D-00C04FC964FF}\""},
      {ado::kChar, "ab   ", "\"ab   \""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ValueFromText(c.text, FieldOf(c.type)).Debug(), c.debug);
  }
  Variant when = ValueFromText("2024-02-29 23:59:58.1234567", FieldOf(ado::kDBTimeStamp));
  EXPECT_EQ(SplitDate(when.ToDate()).millisecond, 123);
}

TEST(ValueFromDriverText, TextThatIsNotAValueIsADataError) {
  struct Case {
    int type;
    std::string text;
    std::string state;
  } cases[] = {
      {ado::kNumeric, "abc", "22018"},
      {ado::kInteger, "12x", "22018"},
      {ado::kSmallInt, "40000", "22003"},
      {ado::kUnsignedTinyInt, "-1", "22003"},
      {ado::kDouble, "1,5", "22018"},
      {ado::kDBTimeStamp, "2024-13-01", "22007"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ValueFromText(c.text, FieldOf(c.type, "QTA"));
      ADD_FAILURE() << "no error";
    } catch (const DriverError& e) {
      ASSERT_EQ(e.records().size(), 1u);
      EXPECT_EQ(e.records()[0].sql_state, c.state);
      EXPECT_NE(e.records()[0].description.find("QTA"), std::string::npos);
    }
  }
}

TEST(TextForParameter, ValuesAreWrittenForTheTargetType) {
  Variant when(MakeDate({2024, 1, 31, 10, 5, 0, 0}));
  struct Case {
    Variant value;
    int target;
    std::optional<std::string> text;
  } cases[] = {
      {Variant(*Decimal::Parse("1.230")), ado::kNumeric, "1.230"},
      {Variant(*Decimal::Parse("-12345678901234567890.123456")), ado::kNumeric,
       "-12345678901234567890.123456"},
      {Variant(0.1), ado::kNumeric, "0.1"},  // as the platform converts a double
      {Variant("7.50"), ado::kDecimal, "7.50"},
      {Variant(2.5), ado::kInteger, "2"},  // half to even
      {Variant(3.5), ado::kSmallInt, "4"},
      {Variant("42"), ado::kBigInt, "42"},
      {Variant(true), ado::kBoolean, "1"},
      {Variant(int32_t{0}), ado::kBoolean, "0"},
      {Variant(0.1), ado::kDouble, "0.10000000000000001"},
      {when, ado::kDBTimeStamp, "2024-01-31 10:05:00"},
      {Variant(MakeDate({2024, 1, 31, 10, 5, 0, 250})), ado::kDBTimeStamp,
       "2024-01-31 10:05:00.250"},
      {when, ado::kDBDate, "2024-01-31"},
      {when, ado::kDBTime, "10:05:00"},
      {when, ado::kVarChar, "2024-01-31 10:05:00"},
      {Variant("it's"), ado::kVarChar, "it's"},
      {Variant(*Decimal::Parse("1.50")), ado::kVarChar, "1.5"},  // as CStr writes it
      {Variant::Null(), ado::kInteger, std::nullopt},
      {Variant(), ado::kVarChar, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.Debug() + " as " + std::to_string(c.target));
    EXPECT_EQ(TextForTarget(c.value, c.target), c.text);
  }
}

TEST(TextForParameter, AValueOfTheWrongKindIsATypeMismatch) {
  try {
    TextForTarget(Variant("abc"), ado::kInteger);
    ADD_FAILURE() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kTypeMismatch);
  }
}

TEST(ErrorNumberForState, ConstraintsAndTimeoutsHaveTheirOwn) {
  struct Case {
    const char* state;
    int32_t number;
  } cases[] = {
      {"23000", err::kAdoIntegrityViolation}, {"23505", err::kAdoIntegrityViolation},
      {"HYT00", err::kAdoTimeout},            {"HYT01", err::kAdoTimeout},
      {"42S02", err::kAdoCommandError},       {"2", err::kAdoCommandError},
      {"", err::kAdoCommandError},            {"HY000", err::kAdoCommandError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    EXPECT_EQ(NumberForState(c.state, err::kAdoCommandError), c.number);
  }
  EXPECT_EQ(NumberForState("08001", err::kAdoConnectionFailed), err::kAdoConnectionFailed);
}

TEST(ObjectNames, SplitAndUnquoted) {
  struct Case {
    std::string text;
    ObjectName name;
  } cases[] = {
      {"DO30_DOCCORPO", {"", "", "DO30_DOCCORPO"}},
      {"dbo.DO30_DOCCORPO", {"", "dbo", "DO30_DOCCORPO"}},
      {"[dbo].[My.Table]", {"", "dbo", "My.Table"}},
      {"erp.dbo.T", {"erp", "dbo", "T"}},
      {"tempdb..#TabellaOrdini", {"tempdb", "", "#TabellaOrdini"}},
      {"#TabellaOrdini", {"", "", "#TabellaOrdini"}},
      {"\"a\"\"b\".c", {"", "a\"b", "c"}},
      {"[a]]b]", {"", "", "a]b"}},
      {" dbo . T ", {"", "dbo", "T"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitObjectName(c.text), c.name);
  }
  EXPECT_EQ(QuoteIdentifier("Qta ]1"), "[Qta ]]1]");
  EXPECT_EQ(SplitObjectName(QuoteIdentifier("x].[y")).name, "x].[y");
}

Parameter Param(std::string name, int direction, Variant value = Variant()) {
  Parameter p;
  p.name = std::move(name);
  p.direction = direction;
  p.value = std::move(value);
  return p;
}

TEST(ProcedureCall, NamesOnlyTheParametersThatWereGivenAValue) {
  struct Case {
    std::string label;
    std::vector<Parameter> params;
    std::string sql;
    std::vector<size_t> bound;
  } cases[] = {
      {"no parameters", {}, "EXEC dbo.P", {}},
      {"return value only",
       {Param("@RETURN_VALUE", ado::kParamReturnValue)},
       "EXEC ? = dbo.P",
       {0}},
      {"defaults apply to unset inputs",
       {Param("@RETURN_VALUE", ado::kParamReturnValue), Param("@a", ado::kParamInput, 1),
        Param("@b", ado::kParamInput), Param("@c", ado::kParamInput, Variant::Null())},
       "EXEC ? = dbo.P @a = ?, @c = ?",
       {0, 1, 3}},
      {"outputs",
       {Param("@a", ado::kParamInput), Param("@io", ado::kParamInputOutput, Variant::Null()),
        Param("@io2", ado::kParamInputOutput), Param("@out", ado::kParamOutput)},
       "EXEC dbo.P @io = ? OUTPUT, @io2 = ? OUTPUT, @out = ? OUTPUT",
       {1, 2, 3}},
      {"a name without @", {Param("qty", ado::kParamInput, 2)}, "EXEC dbo.P @qty = ?", {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ExecText exec = BuildExecText("dbo.P", c.params);
    EXPECT_EQ(exec.sql, c.sql);
    EXPECT_EQ(exec.bound, c.bound);
  }
}

TEST(ProcedureCall, ParametersFromTheProceduresDescription) {
  // Rows as SQL Server's driver describes
  // PROCEDURE P @qty DECIMAL(17,6), @code VARCHAR(10) OUTPUT.
  ProcedureColumn ret{"@RETURN_VALUE", 5, sqltype::kInteger, "int", 10, 0, false};
  ProcedureColumn qty{"@qty", 1, sqltype::kDecimal, "decimal", 17, 6, false};
  ProcedureColumn code{"@code", 2, sqltype::kVarChar, "varchar", 10, 0, false};
  ProcedureColumn result{"ID", 3, sqltype::kInteger, "int", 10, 0, false};

  std::optional<Parameter> p = ParameterFromCatalog(ret);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->direction, ado::kParamReturnValue);
  EXPECT_EQ(p->type, ado::kInteger);

  p = ParameterFromCatalog(qty);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->name, "@qty");
  EXPECT_EQ(p->direction, ado::kParamInput);
  EXPECT_EQ(p->type, ado::kNumeric);
  EXPECT_EQ(p->precision, 17);
  EXPECT_EQ(p->numeric_scale, 6);
  EXPECT_TRUE(p->value.IsEmpty());

  p = ParameterFromCatalog(code);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->direction, ado::kParamInputOutput);
  EXPECT_EQ(p->type, ado::kVarChar);
  EXPECT_EQ(p->size, 10);

  EXPECT_FALSE(ParameterFromCatalog(result));
}

}  // namespace
}  // namespace zv::odbc
