#include "data/tsql/emitter.h"

#include <gtest/gtest.h>

#include <string>

#include "data/tsql/parser.h"
#include "data/tsql/translation_cache.h"
#include "tests/tsql/erp_catalog.h"
#include "tests/tsql/library_statements.h"

namespace zv::tsql {
namespace {

using testing::T;

class EmitterTest : public ::testing::Test {
 protected:
  EmitterTest() {
    testing::AddErpTables(catalog_);
    context_.catalog = &catalog_;
    context_.variables["@v"] = T("INT");
    context_.variables["@s"] = T("VARCHAR(20)");
  }

  // Translates every statement of `text`, applying the catalogue changes;
  // returns the SQLite statements one per line, or "ERROR <number>: <text>".
  std::string Sql(const std::string& text) {
    std::string out;
    try {
      for (const auto& st : ParseBatchOrThrow(text)) {
        Translation t = Translate(*st, context_);
        for (const auto& c : t.catalog_changes) catalog_.Apply(c);
        for (const auto& s : t.statements) out += (out.empty() ? "" : "\n") + s.sql;
      }
    } catch (const TranslateError& e) {
      return "ERROR " + std::to_string(e.native_error()) + ": " + e.what();
    }
    return out;
  }

  Translation One(const std::string& text) {
    auto stmts = ParseBatchOrThrow(text);
    Translation t = Translate(*stmts.at(0), context_);
    for (const auto& c : t.catalog_changes) catalog_.Apply(c);
    return t;
  }

  // "NAME TYPE [NOT NULL], ..." of the result columns.
  static std::string Columns(const std::vector<ResultColumn>& cols) {
    std::string out;
    for (const auto& c : cols) {
      out += (out.empty() ? "" : ", ") + c.name + (c.name.empty() ? "" : " ") + TypeToString(c.type) +
             (c.nullable ? "" : " NOT NULL");
    }
    return out;
  }

  static std::string Columns(const TableDef& t) {
    std::vector<ResultColumn> cols;
    for (const auto& c : t.columns) cols.push_back({c.name, c.type, c.nullable});
    return Columns(cols);
  }

  MemoryCatalog catalog_;
  TranslationContext context_;
};

// The statements the business objects send, in the order they run: every one
// translates, with the work tables created by the earlier ones.
TEST_F(EmitterTest, LibraryStatementsTranslateInOrder) {
  for (const auto& s : testing::LibraryStatements()) {
    SCOPED_TRACE(s.name);
    for (const auto& st : ParseBatchOrThrow(s.sql)) {
      try {
        if (const auto* iff = st->TryAs<IfStatement>()) {
          EXPECT_EQ(TranslateCondition(*iff->condition, context_).statements.size(), 1u);
        } else if (const auto* exec = st->TryAs<ExecStatement>()) {
          for (const auto& a : exec->args) TranslateScalar(*a.value, context_);
        } else {
          Translation t = Translate(*st, context_);
          EXPECT_FALSE(t.statements.empty());
          for (const auto& c : t.catalog_changes) catalog_.Apply(c);
        }
      } catch (const TranslateError& e) {
        ADD_FAILURE() << e.what();
      }
    }
  }
  // The planner's grid table has the types its select list gives it.
  EXPECT_EQ(Columns(*catalog_.FindTable("#GRIGLIA")),
            "GRD_ID_RIGA DECIMAL(10,0), GRD_ID_PADRE DECIMAL(10,0), GRD_TIPORIGA INT NOT "
            "NULL, GRD_DO11_DOCUM_MG36 CHAR(3), GRD_SELEZ DECIMAL(1,0), GRD_ELABORATA "
            "DECIMAL(2,0), GRD_ESITO VARCHAR(255), DOC_NUMREG NVARCHAR(255), "
            "DO46_DATAINIZIO DATETIME, DO46_DATAFINE DATETIME, DO46_PROGDET DECIMAL(3,0), "
            "DO46_PROGSFASE_ORIG DECIMAL(4,0), DO46_CODSEQFASE DECIMAL(5,0), DO46_CODFASE_ORIG "
            "DECIMAL(5,0), DO46_FLGGENORDCLAV DECIMAL(1,0), DO46_QTA1ORD DECIMAL(14,3), "
            "DO46_CODREPARTO CHAR(5), DO46_CLIFOR_CG44 DECIMAL(8,0), DO46_INDSTATOORD TINYINT, "
            "GRUPPO_FASIEST_CONSECUTIVE DECIMAL(5,0), ULTIMA_FASEEST_CONSECUTIVA TINYINT, "
            "FASE_MODIFICABILE TINYINT, DO46_QTA2ORD DECIMAL(14,3), DO46_QTA1CONSOLID "
            "DECIMAL(14,3), DO46_QTA2CONSOLID DECIMAL(14,3), FASE_QTATRASF DECIMAL(17,3), "
            "FASE_QTADATRASF DECIMAL(17,3), FASE_QTACONSFASEPREC DECIMAL(17,3), FASE_QTA2TRASF "
            "DECIMAL(17,3), FASE_QTA2DATRASF DECIMAL(17,3), FASE_QTA2CONSFASEPREC DECIMAL(17,3), "
            "ID_RIGA DECIMAL(10,0), DO11_DOCUM_MG36 CHAR(3), DO11_NUMREG_CO99 CHAR(12), "
            "DO30_PROGRIGA DECIMAL(6,0), DO11_DATADOC DATETIME");
  EXPECT_EQ(Columns(*catalog_.FindTable("#TabellaOrdiniDesti")).substr(0, 30),
            "N DECIMAL(10,0), I SMALLINT, Q");
  std::string dest = Columns(*catalog_.FindTable("#TabellaOrdiniDesti"));
  EXPECT_NE(dest.find("KEY_ACCORP VARCHAR(8000), FLG_ACCORPATA TINYINT"), std::string::npos) << dest;
  EXPECT_EQ(Columns(*catalog_.FindTable("#TMP_CROSSVAR")),
            "Colore VARCHAR(20), DESCRIZIONE VARCHAR(40), ORDINAMENTO DECIMAL(5,0), S SQL_VARIANT, "
            "M SQL_VARIANT");
  EXPECT_EQ(Columns(*catalog_.FindTable("#DO46_VESTARO")),
            "DITTA DECIMAL(5,0), NUMREG CHAR(12), PROGPADRE DECIMAL(6,0), CODFASE DECIMAL(5,0), "
            "PROGSFASE DECIMAL(4,0), FLAG_READONLY TINYINT");
}

TEST_F(EmitterTest, ConsecutivePhasesFunctionIsJoinedPerOrderRow) {
  std::string sql = testing::PhaseSelectPart() + "INTO #FASI " + testing::PhaseFromPart() +
                    testing::PhaseWherePart();
  Translation t = One(sql);
  ASSERT_EQ(t.statements.size(), 2u);
  EXPECT_NE(t.statements[1].sql.find(
                R"sql(FROM temp."#DOCUMENTI" AS "ORIG" LEFT JOIN "FNDO46_FASI_CONSECUTIVE"(1, "ORIG"."DO11_NUMREG_CO99", "ORIG"."DO30_PROGRIGA") AS "FNDO46" ON 1 INNER JOIN "DO46_DOCCORORDDET" AS "DO46_DOCCORORDDET" ON "DO46_DOCCORORDDET"."DO46_DITTA_CG18" = "FNDO46"."DO46_DITTA_CG18")sql"),
            std::string::npos)
      << t.statements[1].sql;
  EXPECT_EQ(t.table_functions, std::vector<std::string>{"FNDO46_FASI_CONSECUTIVE"});
}

TEST_F(EmitterTest, TranslatesConstructs) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
#include "tests/tsql/emitter_golden.inc"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Sql(c.in), c.out);
  }
}

TEST_F(EmitterTest, CommonTableExpressionsBeforeDataChanges) {
  EXPECT_EQ(Sql("WITH C AS (SELECT DO30_PROGPADRE AS P FROM DO30_DOCCORPO) "
                "DELETE FROM #TMP_WORK WHERE DO30_PROGPADRE IN (SELECT P FROM C)"),
            R"sql(WITH "C" AS (SELECT "DO30_DOCCORPO"."DO30_PROGPADRE" AS "P" FROM "DO30_DOCCORPO" AS "DO30_DOCCORPO") DELETE FROM temp."#TMP_WORK" AS "#TMP_WORK" WHERE "#TMP_WORK"."DO30_PROGPADRE" IN (SELECT "C"."P" AS "P" FROM "C" AS "C"))sql");
  EXPECT_EQ(Sql("WITH C AS (SELECT DO30_PROGPADRE AS P, DO30_QTA1 AS Q FROM DO30_DOCCORPO) "
                "INSERT INTO #TMP_WORK (DO30_PROGPADRE, DO30_QTA1) SELECT P, Q FROM C"),
            R"sql(WITH "C" AS (SELECT "DO30_DOCCORPO"."DO30_PROGPADRE" AS "P", "DO30_DOCCORPO"."DO30_QTA1" AS "Q" FROM "DO30_DOCCORPO" AS "DO30_DOCCORPO") INSERT INTO temp."#TMP_WORK" ("DO30_PROGPADRE", "DO30_QTA1") SELECT "C"."P" AS "P", "C"."Q" AS "Q" FROM "C" AS "C")sql");
  EXPECT_EQ(Sql("WITH C AS (SELECT DO30_PROGPADRE AS P, DO30_QTA1 AS Q FROM DO30_DOCCORPO) "
                "UPDATE W SET DO30_QTA1 = C.Q FROM #TMP_WORK W JOIN C ON C.P = W.DO30_PROGPADRE"),
            R"sql(WITH "C" AS (SELECT "DO30_DOCCORPO"."DO30_PROGPADRE" AS "P", "DO30_DOCCORPO"."DO30_QTA1" AS "Q" FROM "DO30_DOCCORPO" AS "DO30_DOCCORPO") UPDATE temp."#TMP_WORK" AS "zv_t" SET "DO30_QTA1" = "zv_u"."v0" FROM (SELECT "W".rowid AS "zv_rowid", "C"."Q" AS "v0" FROM temp."#TMP_WORK" AS "W" INNER JOIN "C" AS "C" ON "C"."P" = "W"."DO30_PROGPADRE") AS "zv_u" WHERE "zv_t".rowid = "zv_u"."zv_rowid")sql");
  EXPECT_EQ(Sql("WITH C AS (SELECT DO30_PROGPADRE AS P FROM #TMP_WORK) DELETE FROM C"),
            "ERROR 0: not supported: DELETE through a common table expression");
}

TEST_F(EmitterTest, ResultColumnTypes) {
  struct Case {
    const char* in;
    const char* columns;
  };
  const Case cases[] = {
      {"SELECT 'abc' AS A, N'ab' AS B, 12 AS C, 1.50 AS D, 1e3 AS E, NULL AS F",
       "A VARCHAR(3) NOT NULL, B NVARCHAR(2) NOT NULL, C INT NOT NULL, D DECIMAL(3,2) NOT NULL, "
       "E FLOAT NOT NULL, F INT"},
      {"SELECT DO30_QTA1 * DO30_PROGRIGA AS M, DO30_QTA1 + DO30_PROGRIGA AS S, "
       "DO30_QTA1 / DO30_PROGRIGA AS D FROM DO30_DOCCORPO",
       "M DECIMAL(21,3), S DECIMAL(15,3), D DECIMAL(21,10)"},
      {"SELECT DO30_NUMREG_CO99 + DO30_CODART_MG66 AS T, 1 + '2' AS I FROM DO30_DOCCORPO",
       "T CHAR(37), I INT NOT NULL"},
      {"SELECT ISNULL(DO30_QTA1, 1.23456) AS A, COALESCE(DO30_PROGRIGA, 1.5) AS B, "
       "CASE WHEN 1 = 1 THEN 1 ELSE 2.5 END AS C FROM DO30_DOCCORPO",
       "A DECIMAL(14,3) NOT NULL, B DECIMAL(7,1), C DECIMAL(11,1)"},
      {"SELECT SUM(DO30_QTA1) AS S, AVG(DO30_QTA1) AS A, COUNT(*) AS C, MIN(DO30_CODART_MG66) AS M "
       "FROM DO30_DOCCORPO",
       "S DECIMAL(38,3), A DECIMAL(38,6), C INT NOT NULL, M CHAR(25)"},
      {"SELECT CONVERT(VARCHAR, 1) AS A, CAST(1 AS CHAR) AS B, CONVERT(DECIMAL, 1) AS C, "
       "CAST(1 AS NUMERIC(5)) AS D",
       "A VARCHAR(30), B CHAR(30), C DECIMAL(18,0), D NUMERIC(5,0)"},
      {"SELECT (SELECT MAX(DO46_PROGDET) FROM DO46_DOCCORORDDET) AS P, GETDATE() AS G, NEWID() AS N",
       "P DECIMAL(3,0), G DATETIME NOT NULL, N UNIQUEIDENTIFIER NOT NULL"},
      {"SELECT A.DO30_PROGRIGA FROM DO30_DOCCORPO A LEFT JOIN DO46_DOCCORORDDET B ON 1 = 1 "
       "UNION ALL SELECT B.DO46_PROGDET FROM DO46_DOCCORORDDET B",
       "DO30_PROGRIGA DECIMAL(6,0)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    try {
      EXPECT_EQ(Columns(One(c.in).columns), c.columns);
    } catch (const TranslateError& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST_F(EmitterTest, ErrorsNameTheProblem) {
  struct Case {
    const char* in;
    const char* error;
  };
  const Case cases[] = {
      {"SELECT NOPE FROM DO30_DOCCORPO", "ERROR 207: Invalid column name 'NOPE'."},
      {"SELECT X.DO30_PROGRIGA FROM DO30_DOCCORPO", "ERROR 4104: The multi-part identifier \"X.DO30_PROGRIGA\" could not be bound."},
      {"SELECT * FROM NOPE", "ERROR 208: Invalid object name 'NOPE'."},
      {"SELECT DO30_DITTA_CG18 FROM DO30_DOCCORPO A, DO30_DOCCORPO B", "ERROR 209: Ambiguous column name 'DO30_DITTA_CG18'."},
      {"SELECT @nope", "ERROR 137: Must declare the scalar variable \"@nope\"."},
      {"SELECT FOO(1)", "ERROR 195: 'FOO' is not a recognized built-in function name."},
      {"SELECT 'a' - 'b'", "ERROR 8117: Operand data type varchar is invalid for subtract operator."},
      {"SELECT 1 + 1 INTO #NONAME", "ERROR 1038: An object or column name is missing or empty. For SELECT INTO statements, verify each column has a name."},
      {"SELECT 1 AS A, 2 AS A INTO #DUP", "ERROR 2705: Column names in each table must be unique. Column name 'A' in table '#DUP' is specified more than once."},
      {"SELECT 1 AS A INTO #DOCUMENTI", "ERROR 2714: There is already an object named '#DOCUMENTI' in the database."},
      {"INSERT INTO #TMP_WORK VALUES (1, 2)", "ERROR 213: Column name or number of supplied values does not match table definition."},
      {"INSERT INTO #TMP_WORK SELECT 1", "ERROR 213: Column name or number of supplied values does not match table definition."},
      {"DROP TABLE #NOPE", "ERROR 3701: Cannot drop the table '#NOPE', because it does not exist or you do not have permission."},
      {"SELECT 1 WHERE 1", "ERROR 4145: An expression of non-boolean type specified in a context where a condition is expected, near '1'."},
      {"SELECT (SELECT 1, 2)", "ERROR 116: Only one expression can be specified in the select list when the subquery is not introduced with EXISTS."},
      {"SELECT @v = 1, 2", "ERROR 141: A SELECT statement that assigns a value to a variable must not be combined with data-retrieval operations."},
      {"SELECT TOP 10 PERCENT * FROM #TMP_WORK", "ERROR 0: not supported: TOP PERCENT and TOP WITH TIES"},
      {"SELECT (SELECT DO30_CODART_MG66 FROM DO30_DOCCORPO FOR XML PATH(''))", "ERROR 0: not supported: FOR XML PATH('') over a named column"},
      {"SELECT (SELECT 'x' FOR XML RAW)", "ERROR 0: not supported: FOR XML other than PATH('')"},
      {"SELECT * FROM #DOCUMENTI D OUTER APPLY (SELECT DISTINCT F.DO46_PROGDET FROM DO46_DOCCORORDDET F WHERE F.DO46_NUMREG_CO99 = D.DO11_NUMREG_CO99) X",
       "ERROR 0: not supported: correlated APPLY of a subquery with joins, grouping or DISTINCT"},
      {"WITH R AS (SELECT 1 AS N UNION ALL SELECT N + 1 FROM R WHERE N < 3) SELECT N FROM R",
       "ERROR 0: not supported: recursive common table expression R"},
      {"SELECT @s = @s + DO30_CODART_MG66 FROM DO30_DOCCORPO",
       "ERROR 0: not supported: SELECT @variable = ... that reads an assigned variable over rows"},
      {"SELECT (SELECT MAX(X.P) FROM (SELECT DO46_PROGDET AS P FROM DO46_DOCCORORDDET WHERE "
       "DO46_NUMREG_CO99 = D.DO30_NUMREG_CO99) AS X) FROM DO30_DOCCORPO D",
       "ERROR 0: not supported: a derived table that reads columns of an enclosing query"},
      {"SELECT OBJECT_ID(@s)", "ERROR 0: not supported: OBJECT_ID of a name that is not a literal"},
      {"SELECT DATEADD(fortnight, 1, GETDATE())", "ERROR 155: 'fortnight' is not a recognized datepart option."},
      {"SELECT COUNT(DISTINCT DO30_PROGRIGA) OVER () FROM DO30_DOCCORPO", "ERROR 10759: Use of DISTINCT is not allowed with the OVER clause."},
      {"SELECT * FROM dbo.FNDO46_FASI_CONSECUTIVE(1)", "ERROR 313: An insufficient number of arguments were supplied for the procedure or function dbo.FNDO46_FASI_CONSECUTIVE."},
      {"CREATE TABLE #X (A WEIRD)", "ERROR 2715: Cannot find data type WEIRD."},
      {"SELECT CAST(1 AS DECIMAL(40, 2))", "ERROR 2750: Column or parameter has an invalid precision or scale: (40, 2)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Sql(c.in), c.error);
  }
}

TEST_F(EmitterTest, ErrorsCarryThePositionOfTheNode) {
  try {
    Sql("SELECT 1");
    One("SELECT a.DO30_PROGRIGA,\n  NOPE FROM DO30_DOCCORPO a");
    FAIL();
  } catch (const TranslateError& e) {
    EXPECT_EQ(e.position().line, 2);
    EXPECT_EQ(e.position().column, 3);
  }
}

TEST_F(EmitterTest, VariablesBecomeNumberedParameters) {
  Translation t = One("SELECT @s, @v, @S, @@ROWCOUNT, ERROR_MESSAGE()");
  ASSERT_EQ(t.statements.size(), 1u);
  EXPECT_EQ(t.statements[0].sql, "SELECT ?1 COLLATE TSQLCI, ?2, ?1 COLLATE TSQLCI, ?3, ?4 COLLATE TSQLCI");
  EXPECT_EQ(t.statements[0].parameters, (std::vector<std::string>{"@s", "@v", "@@ROWCOUNT", "ERROR_MESSAGE()"}));
  EXPECT_TRUE(t.returns_rows);

  t = One("SELECT @v = COUNT(*), @s = MAX(DO30_CODART_MG66) FROM DO30_DOCCORPO");
  EXPECT_FALSE(t.returns_rows);
  EXPECT_EQ(t.assign_to, (std::vector<std::string>{"@v", "@s"}));
  EXPECT_EQ(Columns(t.columns), "INT NOT NULL, VARCHAR(20)");

  t = One("SET @v += '2'");
  EXPECT_EQ(t.statements[0].sql, "SELECT (?1 + tsql_to_int('2'))");
  EXPECT_EQ(t.assign_to, std::vector<std::string>{"@v"});
}

TEST_F(EmitterTest, CatalogChangesDescribeNewTables) {
  Translation t = One("CREATE TABLE #N (A INT NOT NULL, B VARCHAR(10), C DECIMAL(17,6), PRIMARY KEY (B))");
  ASSERT_EQ(t.catalog_changes.size(), 1u);
  EXPECT_EQ(t.catalog_changes[0].kind, CatalogChange::Kind::kCreateTable);
  EXPECT_TRUE(t.catalog_changes[0].table.temporary);
  EXPECT_EQ(Columns(t.catalog_changes[0].table), "A INT NOT NULL, B VARCHAR(10) NOT NULL, C DECIMAL(17,6)");

  t = One("ALTER TABLE #N ADD D DATETIME");
  ASSERT_EQ(t.catalog_changes.size(), 1u);
  EXPECT_EQ(t.catalog_changes[0].kind, CatalogChange::Kind::kAlterTable);
  EXPECT_EQ(Columns(t.catalog_changes[0].table),
            "A INT NOT NULL, B VARCHAR(10) NOT NULL, C DECIMAL(17,6), D DATETIME");

  t = One("CREATE VIEW V1 AS SELECT A, B + 'x' AS BX FROM #N");
  EXPECT_EQ(t.catalog_changes[0].kind, CatalogChange::Kind::kCreateView);
  EXPECT_EQ(Columns(t.catalog_changes[0].table), "A INT NOT NULL, BX VARCHAR(11) NOT NULL");

  t = One("DROP TABLE #N");
  EXPECT_EQ(t.catalog_changes[0].kind, CatalogChange::Kind::kDropTable);
  EXPECT_FALSE(catalog_.FindTable("#N"));

  t = One("CREATE PROCEDURE dbo.P @a INT = 1, @b VARCHAR(10) OUTPUT AS SELECT @a");
  ASSERT_EQ(t.catalog_changes.size(), 1u);
  const RoutineDef& r = t.catalog_changes[0].routine;
  EXPECT_EQ(r.name, "P");
  EXPECT_EQ(r.kind, "P");
  ASSERT_EQ(r.params.size(), 2u);
  EXPECT_TRUE(r.params[0].has_default);
  EXPECT_EQ(r.params[0].default_text, "1");
  EXPECT_TRUE(r.params[1].output);
  EXPECT_TRUE(t.statements.empty());

  context_.table_variables["@t"] = TableDef{"zv_tv_1", {}, true};
  t = One("DECLARE @t TABLE (A INT, B CHAR(2))");
  EXPECT_EQ(t.statements[0].sql, R"sql(CREATE TABLE temp."zv_tv_1" ("A" INTEGER, "B" TEXT COLLATE TSQLCI))sql");
  EXPECT_EQ(t.catalog_changes[0].kind, CatalogChange::Kind::kDeclareTableVariable);
  context_.table_variables["@t"] = TableDef{"zv_tv_1", t.catalog_changes[0].table.columns, true};
  EXPECT_EQ(Sql("INSERT INTO @t VALUES (1, 'a')"),
            R"sql(INSERT INTO temp."zv_tv_1" ("A", "B") VALUES (1, 'a '))sql");
}

TEST_F(EmitterTest, InterpreterStatementsAreLeftToTheInterpreter) {
  for (const char* text : {"IF 1 = 1 SELECT 1", "EXEC p", "RETURN", "BEGIN TRAN", "PRINT 'x'",
                           "INSERT INTO #TMP_WORK EXEC p"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(IsTranslatable(*ParseBatchOrThrow(text)[0]));
  }
  EXPECT_TRUE(IsTranslatable(*ParseBatchOrThrow("SET NOCOUNT ON")[0]));
  EXPECT_TRUE(One("SET NOCOUNT ON").statements.empty());
  EXPECT_EQ(TranslateCondition(*ParseExpression("EXISTS (SELECT 1 FROM #TMP_WORK)"), context_)
                .statements[0].sql,
            R"sql(SELECT CASE WHEN EXISTS (SELECT 1 FROM temp."#TMP_WORK" AS "#TMP_WORK") THEN 1 ELSE 0 END)sql");
}

TEST_F(EmitterTest, TranslationsAreCachedUntilADependencyChanges) {
  TranslationCache cache([this](std::string_view name) { return catalog_.Version(name); }, 2);
  const std::string text = "SELECT DO30_OPZIONE_MG5E FROM #TMP_WORK";
  std::string key = TranslationCache::Key(text, context_);
  EXPECT_EQ(cache.Find(key), nullptr);
  cache.Store(key, std::make_shared<Translation>(One(text)));
  ASSERT_NE(cache.Find(key), nullptr);
  // Another table changing does not matter; the table read does.
  catalog_.AddTable(testing::Table("#OTHER", {{"A", "INT"}}));
  EXPECT_NE(cache.Find(key), nullptr);
  catalog_.AddTable(testing::Table("#TMP_WORK", {{"DO30_OPZIONE_MG5E", "VARCHAR(5)"}}));
  EXPECT_EQ(cache.Find(key), nullptr);
  EXPECT_EQ(cache.size(), 0u);
  // Different variable types make different keys; the oldest entry leaves first.
  TranslationContext other = context_;
  other.variables["@v"] = T("VARCHAR(3)");
  EXPECT_NE(TranslationCache::Key("SELECT @v", other), TranslationCache::Key("SELECT @v", context_));
  cache.Store("a", std::make_shared<Translation>());
  cache.Store("b", std::make_shared<Translation>());
  cache.Find("a");
  cache.Store("c", std::make_shared<Translation>());
  EXPECT_NE(cache.Find("a"), nullptr);
  EXPECT_EQ(cache.Find("b"), nullptr);
}

}  // namespace
}  // namespace zv::tsql
