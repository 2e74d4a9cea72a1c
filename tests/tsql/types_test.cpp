#include "data/tsql/types.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include "data/tsql/emitter.h"
#include "data/tsql/parser.h"
#include "tests/tsql/erp_catalog.h"

namespace zv::tsql {
namespace {

using testing::T;

std::string LiteralTypeOf(const std::string& text) {
  ExprPtr e = ParseExpression(text);
  return TypeToString(LiteralType(e->As<Literal>()));
}

TEST(TypesTest, Literals) {
  const std::pair<const char*, const char*> cases[] = {
      {"'abc'", "VARCHAR(3)"},   {"''", "VARCHAR(1)"},          {"N'ab'", "NVARCHAR(2)"},
      {"'caf\xC3\xA9'", "VARCHAR(4)"}, {"12", "INT"},            {"2147483647", "INT"},
      {"2147483648", "DECIMAL(10,0)"}, {"1.50", "DECIMAL(3,2)"}, {"0.5", "DECIMAL(1,1)"},
      {".05", "DECIMAL(2,2)"},   {"5.", "DECIMAL(1,0)"},        {"1e3", "FLOAT"},
      {"0x0A0B", "VARBINARY(2)"}, {"NULL", "NULL"},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(LiteralTypeOf(in), out);
  }
}

TEST(TypesTest, DeclaredTypeNames) {
  struct Case {
    const char* in;
    TypeNameUse use;
    const char* out;
  };
  const Case cases[] = {
      {"VARCHAR", TypeNameUse::kDeclaration, "VARCHAR(1)"},
      {"VARCHAR", TypeNameUse::kConversion, "VARCHAR(30)"},
      {"nvarchar(max)", TypeNameUse::kDeclaration, "NVARCHAR(MAX)"},
      {"DECIMAL", TypeNameUse::kDeclaration, "DECIMAL(18,0)"},
      {"NUMERIC(10)", TypeNameUse::kDeclaration, "NUMERIC(10,0)"},
      {"integer", TypeNameUse::kDeclaration, "INT"},
      {"float(24)", TypeNameUse::kDeclaration, "REAL"},
      {"smallmoney", TypeNameUse::kDeclaration, "MONEY"},
      {"sysname", TypeNameUse::kDeclaration, "NVARCHAR(128)"},
      {"uniqueidentifier", TypeNameUse::kDeclaration, "UNIQUEIDENTIFIER"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(TypeToString(TypeFromName(ParseTypeName(c.in), c.use)), c.out);
  }
  EXPECT_THROW(TypeFromName(ParseTypeName("VARCHAR(9000)"), TypeNameUse::kDeclaration), TypeError);
  EXPECT_THROW(TypeFromName(ParseTypeName("DECIMAL(5,6)"), TypeNameUse::kDeclaration), TypeError);
  EXPECT_THROW(TypeFromName(ParseTypeName("XML"), TypeNameUse::kDeclaration), TypeError);
}

TEST(TypesTest, OperatorResultTypes) {
  struct Case {
    BinaryOp op;
    const char* left;
    const char* right;
    const char* out;
  };
  const Case cases[] = {
      // Decimal precision and scale.
      {BinaryOp::kAdd, "DECIMAL(17,6)", "DECIMAL(14,3)", "DECIMAL(18,6)"},
      {BinaryOp::kSub, "DECIMAL(5,2)", "INT", "DECIMAL(13,2)"},
      {BinaryOp::kMul, "DECIMAL(17,6)", "DECIMAL(14,3)", "DECIMAL(32,9)"},
      {BinaryOp::kDiv, "DECIMAL(14,3)", "DECIMAL(6,0)", "DECIMAL(21,10)"},
      {BinaryOp::kMod, "DECIMAL(10,2)", "DECIMAL(5,1)", "DECIMAL(6,2)"},
      // Capped at 38 digits.
      {BinaryOp::kMul, "DECIMAL(38,10)", "DECIMAL(38,10)", "DECIMAL(38,6)"},
      {BinaryOp::kDiv, "DECIMAL(38,2)", "DECIMAL(10,2)", "DECIMAL(38,6)"},
      {BinaryOp::kMul, "DECIMAL(20,4)", "DECIMAL(10,2)", "DECIMAL(31,6)"},
      {BinaryOp::kAdd, "DECIMAL(38,20)", "DECIMAL(38,0)", "DECIMAL(38,0)"},
      {BinaryOp::kDiv, "DECIMAL(18,4)", "DECIMAL(18,4)", "DECIMAL(38,20)"},
      // Integers keep the wider type; '/' stays integer.
      {BinaryOp::kAdd, "INT", "SMALLINT", "INT"},
      {BinaryOp::kDiv, "BIGINT", "INT", "BIGINT"},
      {BinaryOp::kAdd, "TINYINT", "TINYINT", "TINYINT"},
      {BinaryOp::kMul, "FLOAT", "DECIMAL(5,2)", "FLOAT"},
      {BinaryOp::kAdd, "MONEY", "INT", "MONEY"},
      // '+' on texts concatenates; with a number the text becomes a number.
      {BinaryOp::kAdd, "VARCHAR(10)", "VARCHAR(5)", "VARCHAR(15)"},
      {BinaryOp::kAdd, "CHAR(2)", "CHAR(3)", "CHAR(5)"},
      {BinaryOp::kAdd, "VARCHAR(10)", "NCHAR(5)", "NVARCHAR(15)"},
      {BinaryOp::kAdd, "VARCHAR(5000)", "VARCHAR(5000)", "VARCHAR(8000)"},
      {BinaryOp::kAdd, "VARCHAR(MAX)", "VARCHAR(5)", "VARCHAR(MAX)"},
      {BinaryOp::kAdd, "INT", "VARCHAR(10)", "INT"},
      {BinaryOp::kMul, "VARCHAR(10)", "DECIMAL(5,2)", "DECIMAL(11,4)"},
      {BinaryOp::kAdd, "DATETIME", "INT", "DATETIME"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " " + std::string(BinaryOpText(c.op)) + " " + c.right);
    EXPECT_EQ(TypeToString(BinaryResultType(c.op, T(c.left), T(c.right))), c.out);
  }
  EXPECT_EQ(TypeToString(BinaryResultType(BinaryOp::kAdd, NullType(), T("VARCHAR(3)"))), "VARCHAR(6)");
  EXPECT_THROW(BinaryResultType(BinaryOp::kSub, T("VARCHAR(1)"), T("CHAR(1)")), TypeError);
  EXPECT_THROW(BinaryResultType(BinaryOp::kAdd, T("SQL_VARIANT"), T("INT")), TypeError);
  EXPECT_THROW(BinaryResultType(BinaryOp::kBitAnd, T("DECIMAL(5,0)"), T("INT")), TypeError);
}

TEST(TypesTest, PrecedenceCommonTypesAndAggregates) {
  EXPECT_EQ(HigherPrecedence(T("INT"), T("VARCHAR(3)")).name, "INT");
  EXPECT_EQ(HigherPrecedence(T("DATETIME"), T("DECIMAL(5,0)")).name, "DATETIME");
  EXPECT_EQ(HigherPrecedence(T("NVARCHAR(3)"), T("UNIQUEIDENTIFIER")).name, "UNIQUEIDENTIFIER");
  EXPECT_EQ(TypeToString(CommonType({T("INT"), T("DECIMAL(5,2)")})), "DECIMAL(12,2)");
  EXPECT_EQ(TypeToString(CommonType({NullType(), T("CHAR(5)"), T("VARCHAR(10)")})), "VARCHAR(10)");
  EXPECT_EQ(TypeToString(CommonType({T("CHAR(5)"), T("CHAR(8)")})), "CHAR(8)");
  EXPECT_EQ(TypeToString(CommonType({T("VARCHAR(5)"), T("INT")})), "INT");
  EXPECT_TRUE(IsNullType(CommonType({NullType(), NullType()})));
  EXPECT_EQ(TypeToString(AggregateResultType("SUM", T("DECIMAL(17,6)"))), "DECIMAL(38,6)");
  EXPECT_EQ(TypeToString(AggregateResultType("SUM", T("SMALLINT"))), "INT");
  EXPECT_EQ(TypeToString(AggregateResultType("AVG", T("DECIMAL(5,2)"))), "DECIMAL(38,6)");
  EXPECT_EQ(TypeToString(AggregateResultType("AVG", T("BIGINT"))), "BIGINT");
  EXPECT_EQ(TypeToString(AggregateResultType("COUNT", T("VARCHAR(3)"))), "INT");
  EXPECT_EQ(TypeToString(AggregateResultType("MAX", T("CHAR(3)"))), "CHAR(3)");
  EXPECT_THROW(AggregateResultType("SUM", T("VARCHAR(3)")), TypeError);
}

TEST(TypesTest, ExpressionTypesWithColumnsAndVariables) {
  MemoryCatalog catalog;
  testing::AddErpTables(catalog);
  TranslationContext context;
  context.catalog = &catalog;
  context.variables["@n"] = T("INT");
  context.variables["@t"] = T("VARCHAR(10)");
  std::vector<TableDef> sources{*catalog.FindTable("DO30_DOCCORPO")};
  const std::pair<const char*, const char*> cases[] = {
      {"DO30_QTA1 * 2", "DECIMAL(25,3)"},
      {"DO30_NUMREG_CO99 + '-' + @t", "VARCHAR(23)"},
      {"@n + @t", "INT"},
      {"ISNULL(DO30_OPZIONE_MG5E, @t)", "CHAR(20)"},
      {"ISNULL(NULL, @t)", "VARCHAR(10)"},
      {"COALESCE(@n, DO30_QTA1)", "DECIMAL(14,3)"},
      {"CASE WHEN @n > 0 THEN DO30_PROGRIGA ELSE @n END", "DECIMAL(10,0)"},
      {"LEFT(DO30_CODART_MG66, 3)", "VARCHAR(25)"},
      {"REPLACE(@t, 'a', N'b')", "NVARCHAR(4000)"},
      {"CONVERT(DECIMAL(10,2), @t)", "DECIMAL(10,2)"},
      {"LEN(@t) + CHARINDEX('a', @t)", "INT"},
      {"FLOOR(DO30_QTA1)", "DECIMAL(14,0)"},
      {"ROUND(DO30_QTA1, 1)", "DECIMAL(14,3)"},
      {"DATEADD(day, 1, '2024-01-01')", "DATETIME"},
      {"(SELECT COUNT(*) FROM DO46_DOCCORORDDET)", "INT"},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(TypeToString(InferExpressionType(*ParseExpression(in), context, sources)), out);
  }
}

// The capped decimal rules never exceed 38 digits nor give a scale larger
// than the precision.
RC_GTEST_PROP(TypesProperty, DecimalResultsStayWithinBounds,
              (unsigned p1seed, unsigned s1seed, unsigned p2seed, unsigned s2seed, unsigned opseed)) {
  int p1 = 1 + static_cast<int>(p1seed % 38), p2 = 1 + static_cast<int>(p2seed % 38);
  int s1 = static_cast<int>(s1seed % (p1 + 1)), s2 = static_cast<int>(s2seed % (p2 + 1));
  const BinaryOp ops[] = {BinaryOp::kAdd, BinaryOp::kSub, BinaryOp::kMul, BinaryOp::kDiv,
                          BinaryOp::kMod};
  BinaryOp op = ops[opseed % 5];
  SqlType r = BinaryResultType(op, MakeType("DECIMAL", 0, p1, s1), MakeType("DECIMAL", 0, p2, s2));
  RC_ASSERT(r.precision >= 1);
  RC_ASSERT(r.precision <= 38);
  RC_ASSERT(r.scale >= 0);
  RC_ASSERT(r.scale <= r.precision);
}

}  // namespace
}  // namespace zv::tsql
