#include "data/tsql/parser.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/tsql/library_statements.h"

namespace zv::tsql {
namespace {

std::string Print(std::string_view text) {
  ParsedBatch batch = ParseBatch(text);
  if (!batch.ok()) return "ERROR " + batch.error->ToString();
  return StatementsToString(batch.statements);
}

// Printing, reparsing and printing again must give the same text.
void ExpectFixedPoint(std::string_view text) {
  std::string once = Print(text);
  ASSERT_EQ(once.rfind("ERROR", 0), std::string::npos) << once;
  EXPECT_EQ(Print(once), once);
}

TEST(ParserTest, EveryLibraryStatementParsesAndRoundTrips) {
  for (const auto& s : testing::LibraryStatements()) {
    SCOPED_TRACE(s.name);
    ExpectFixedPoint(s.sql);
  }
}

TEST(ParserTest, CanonicalPrinting) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"select a,b from t", "SELECT a, b FROM t"},
      {"SELECT TOP 5 DISTINCT x", "ERROR line 1, column 14 near 'DISTINCT': incorrect syntax near 'DISTINCT'"},
      {"SELECT DISTINCT TOP 5 x FROM t WITH (nolock)", "SELECT DISTINCT TOP (5) x FROM t WITH (NOLOCK)"},
      {"SELECT a + b * c, (a + b) * c, a - (b - c), a - b - c",
       "SELECT a + b * c, (a + b) * c, a - (b - c), a - b - c"},
      {"SELECT 1 WHERE NOT (a = 1 OR b = 2) AND c = 3",
       "SELECT 1 WHERE NOT (a = 1 OR b = 2) AND c = 3"},
      {"SELECT - -1, -(-1), ~1", "SELECT - -1, - -1, ~1"},
      {"SELECT [select], [a b], [x]]y], \"q\" FROM [dbo].[T]",
       "SELECT [select], [a b], [x]]y], q FROM dbo.T"},
      {"SELECT 'it''s', N'x', 1.50, 1e3, 0x1F, NULL", "SELECT 'it''s', N'x', 1.50, 1e3, 0x1F, NULL"},
      {"SELECT x AS 'Colore', y 'z', w = 1, @v = 2", "SELECT x AS Colore, y AS z, 1 AS w, @v = 2"},
      {"SELECT COUNT(*), COUNT(DISTINCT x), ROW_NUMBER() OVER (PARTITION BY a ORDER BY b DESC)",
       "SELECT COUNT(*), COUNT(DISTINCT x), ROW_NUMBER() OVER (PARTITION BY a ORDER BY b DESC)"},
      {"SELECT CONVERT(decimal(17,3),NULL,1), CAST(x AS varchar(max)), LEFT(a,2), RIGHT(a,1)",
       "SELECT CONVERT(DECIMAL(17, 3), NULL, 1), CAST(x AS VARCHAR(MAX)), LEFT(a, 2), RIGHT(a, 1)"},
      {"SELECT CASE WHEN a IS NULL THEN 1 ELSE 2 END, CASE x WHEN 1 THEN 'a' END",
       "SELECT CASE WHEN a IS NULL THEN 1 ELSE 2 END, CASE x WHEN 1 THEN 'a' END"},
      {"SELECT a COLLATE DATABASE_DEFAULT, (a+b) collate Latin1_General_CI_AS",
       "SELECT a COLLATE DATABASE_DEFAULT, (a + b) COLLATE Latin1_General_CI_AS"},
      {"SELECT 1 WHERE a NOT BETWEEN 1 AND 2 AND b NOT IN (1,2) AND c NOT LIKE 'x%' ESCAPE '!'",
       "SELECT 1 WHERE a NOT BETWEEN 1 AND 2 AND b NOT IN (1, 2) AND c NOT LIKE 'x%' ESCAPE '!'"},
      {"SELECT 1 WHERE EXISTS (SELECT 1 FROM t) AND x IN (SELECT y FROM u)",
       "SELECT 1 WHERE EXISTS (SELECT 1 FROM t) AND x IN (SELECT y FROM u)"},
      {"select * from a left outer join b on a.k=b.k cross join c cross apply dbo.f(a.k) f "
       "outer apply (select top 1 z from d) as x",
       "SELECT * FROM a LEFT JOIN b ON a.k = b.k CROSS JOIN c CROSS APPLY dbo.f(a.k) AS f "
       "OUTER APPLY (SELECT TOP (1) z FROM d) AS x"},
      {"SELECT * FROM a JOIN (b JOIN c ON b.k = c.k) ON a.k = b.k",
       "SELECT * FROM a INNER JOIN (b INNER JOIN c ON b.k = c.k) ON a.k = b.k"},
      {"SELECT a FROM t UNION ALL SELECT b FROM u UNION SELECT c ORDER BY 1",
       "SELECT a FROM t UNION ALL SELECT b FROM u UNION SELECT c ORDER BY 1"},
      {"SELECT 1 UNION SELECT 2 INTERSECT SELECT 3", "SELECT 1 UNION (SELECT 2 INTERSECT SELECT 3)"},
      {";WITH c (x) AS (SELECT 1) SELECT x FROM c", "WITH c (x) AS (SELECT 1) SELECT x FROM c"},
      {"WITH c AS (SELECT 1 AS x) INSERT INTO t SELECT x FROM c; WITH d AS (SELECT 2 AS y) "
       "DELETE FROM t WHERE a IN (SELECT y FROM d)",
       "WITH c AS (SELECT 1 AS x) INSERT INTO t SELECT x FROM c;\nWITH d AS (SELECT 2 AS y) "
       "DELETE FROM t WHERE a IN (SELECT y FROM d)"},
      {"SELECT a, b INTO #t FROM t GROUP BY a, b HAVING COUNT(*) > 1",
       "SELECT a, b INTO #t FROM t GROUP BY a, b HAVING COUNT(*) > 1"},
      {"SELECT (SELECT x FROM t FOR XML PATH('')), (SELECT y FOR XML PATH, TYPE)",
       "SELECT (SELECT x FROM t FOR XML PATH('')), (SELECT y FOR XML PATH, TYPE)"},
      {"SELECT x FROM (SELECT 1 AS x) d (y)", "SELECT x FROM (SELECT 1 AS x) AS d (y)"},
      {"SELECT x FROM @t AS t", "SELECT x FROM @t AS t"},
      {"insert t (a,b) values (1,2),(3,4)", "INSERT INTO t (a, b) VALUES (1, 2), (3, 4)"},
      {"INSERT INTO #t SELECT * FROM u", "INSERT INTO #t SELECT * FROM u"},
      {"INSERT INTO #t (a) EXEC dbo.p 1", "INSERT INTO #t (a) EXEC dbo.p 1"},
      {"INSERT INTO t DEFAULT VALUES", "INSERT INTO t DEFAULT VALUES"},
      {"UPDATE a SET x = b.y, z = 1 FROM t a JOIN u b ON a.k = b.k WHERE a.q > 0",
       "UPDATE a SET x = b.y, z = 1 FROM t AS a INNER JOIN u AS b ON a.k = b.k WHERE a.q > 0"},
      {"DELETE t FROM t JOIN u ON t.k = u.k", "DELETE FROM t FROM t INNER JOIN u ON t.k = u.k"},
      {"DELETE #x WHERE a = 1", "DELETE FROM #x WHERE a = 1"},
      {"CREATE TABLE t (a INT NOT NULL IDENTITY(1,1) PRIMARY KEY, b CHAR(5) COLLATE "
       "DATABASE_DEFAULT NULL DEFAULT '', c DECIMAL(17,6) CONSTRAINT df DEFAULT (0), "
       "CONSTRAINT pk PRIMARY KEY CLUSTERED (a, b DESC))",
       "CREATE TABLE t (a INT IDENTITY(1, 1) NOT NULL PRIMARY KEY, b CHAR(5) COLLATE "
       "DATABASE_DEFAULT NULL DEFAULT (''), c DECIMAL(17, 6) CONSTRAINT df DEFAULT (0), "
       "CONSTRAINT pk PRIMARY KEY CLUSTERED (a, b DESC))"},
      {"create unique nonclustered index ix on t (a, b desc) include (c)",
       "CREATE UNIQUE NONCLUSTERED INDEX ix ON t (a, b DESC) INCLUDE (c)"},
      {"ALTER TABLE t ADD a INT, b VARCHAR(MAX) NULL", "ALTER TABLE t ADD a INT, b VARCHAR(MAX) NULL"},
      {"DROP TABLE IF EXISTS #a, b", "DROP TABLE IF EXISTS #a, b"},
      {"TRUNCATE TABLE t", "TRUNCATE TABLE t"},
      {"CREATE VIEW v AS SELECT 1 AS x", "CREATE VIEW v AS SELECT 1 AS x"},
      {"DECLARE @a INT = 1, @b varchar(10); SET @a += 2; SET NOCOUNT ON",
       "DECLARE @a INT = 1, @b VARCHAR(10);\nSET @a += 2;\nSET NOCOUNT ON"},
      {"DECLARE @t TABLE (a INT PRIMARY KEY, b CHAR(2))",
       "DECLARE @t TABLE (a INT PRIMARY KEY, b CHAR(2))"},
      {"IF @a = 1 SELECT 1 ELSE SELECT 2", "IF @a = 1\n  SELECT 1\nELSE\n  SELECT 2"},
      {"IF @a = 1 IF @b = 1 SELECT 1 ELSE SELECT 2",
       "IF @a = 1\n  IF @b = 1\n    SELECT 1\n  ELSE\n    SELECT 2"},
      {"IF @a = 1 BEGIN IF @b = 1 SELECT 1 END ELSE SELECT 2",
       "IF @a = 1\n  BEGIN\n    IF @b = 1\n      SELECT 1\n  END\nELSE\n  SELECT 2"},
      {"WHILE @i < 3 BEGIN SET @i = @i + 1; IF @i = 2 BREAK ELSE CONTINUE END",
       "WHILE @i < 3\n  BEGIN\n    SET @i = @i + 1;\n    IF @i = 2\n      BREAK\n    ELSE\n      "
       "CONTINUE\n  END"},
      {"EXEC @rc = dbo.p @a = 1, @b = @x OUTPUT, @c = DEFAULT",
       "EXEC @rc = dbo.p @a = 1, @b = @x OUTPUT, @c = DEFAULT"},
      {"EXECUTE sp_executesql @sql, N'@p int', @p = 1", "EXEC sp_executesql @sql, N'@p int', @p = 1"},
      {"EXEC (@sql + N' x')", "EXEC (@sql + N' x')"},
      {"EXEC p\nSELECT 1", "EXEC p;\nSELECT 1"},
      {"RETURN; RETURN 5", "RETURN;\nRETURN 5"},
      {"RAISERROR('x %d', 16, 1, 5) WITH NOWAIT; THROW 50000, 'y', 1; THROW",
       "RAISERROR('x %d', 16, 1, 5) WITH NOWAIT;\nTHROW 50000, 'y', 1;\nTHROW"},
      {"BEGIN TRAN; COMMIT; ROLLBACK TRANSACTION; BEGIN TRANSACTION t1",
       "BEGIN TRANSACTION;\nCOMMIT TRANSACTION;\nROLLBACK TRANSACTION;\nBEGIN TRANSACTION t1"},
      {"BEGIN TRY SELECT 1 END TRY BEGIN CATCH PRINT 'e' END CATCH",
       "BEGIN TRY\n  SELECT 1\nEND TRY\nBEGIN CATCH\n  PRINT 'e'\nEND CATCH"},
      {"CREATE PROCEDURE dbo.p @a INT = 0, @b VARCHAR(10) = NULL OUTPUT AS SET NOCOUNT ON; "
       "SELECT @a",
       "CREATE PROCEDURE dbo.p @a INT = 0, @b VARCHAR(10) = NULL OUTPUT AS\nSET NOCOUNT ON;\n"
       "SELECT @a"},
      {"CREATE FUNCTION dbo.f (@a INT) RETURNS TABLE AS RETURN (SELECT @a AS x)",
       "CREATE FUNCTION dbo.f(@a INT) RETURNS TABLE AS RETURN (SELECT @a AS x)"},
      {"CREATE FUNCTION f (@a INT) RETURNS @r TABLE (x INT) AS BEGIN INSERT INTO @r VALUES "
       "(@a) RETURN END",
       "CREATE FUNCTION f(@a INT) RETURNS @r TABLE (x INT) AS\nBEGIN\n  INSERT INTO @r VALUES "
       "(@a);\n  RETURN\nEND"},
      {"CREATE FUNCTION f () RETURNS INT AS BEGIN RETURN 1 END",
       "CREATE FUNCTION f() RETURNS INT AS\nBEGIN\n  RETURN 1\nEND"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    std::string printed = Print(c.in);
    EXPECT_EQ(printed, c.out);
    if (printed.rfind("ERROR", 0) != 0) {
      EXPECT_EQ(Print(printed), printed);
    }
  }
}

TEST(ParserTest, ErrorsNameLineColumnAndToken) {
  struct Case {
    const char* in;
    int line, column;
    const char* token;
    const char* message;
  };
  const Case cases[] = {
      {"SELECT FROM t", 1, 8, "FROM", "incorrect syntax near 'FROM'"},
      {"SELECT a\nFROM t WHERE", 2, 13, "", "unexpected end of input, expected an expression"},
      {"SELECT (1", 1, 10, "", "expected ')'"},
      {"SELECT a FROM (SELECT 1)", 1, 25, "", "a derived table needs an alias"},
      {"GO", 1, 1, "GO", "incorrect syntax near 'GO'"},
      {"INSERT INTO t WHERE", 1, 15, "WHERE", "expected VALUES, SELECT or EXEC"},
      {"CREATE TABLE t ()", 1, 17, ")", "expected a column name"},
      {"DECLARE c CURSOR FOR SELECT 1", 1, 11, "CURSOR", "not supported: CURSOR"},
      {"DECLARE c INT", 1, 9, "c", "expected a variable name"},
      {"SELECT * FROM t PIVOT (SUM(a) FOR b IN ([1])) p", 1, 17, "PIVOT", "not supported: PIVOT"},
      {"BEGIN SELECT 1", 1, 15, "", "missing END"},
      {"SELECT CASE END", 1, 13, "END", "incorrect syntax near 'END'"},
      {"UPDATE t SET a", 1, 15, "", "expected '='"},
      {"SELECT 1 FROM t WITH (INDEX(ix))", 1, 23, "INDEX", "expected a table hint"},
      {"RAISERROR('x')", 1, 15, "", "RAISERROR needs a message, a severity and a state"},
      {"SELECT 'abc", 1, 8, "'abc", "unterminated string"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    ParsedBatch b = ParseBatch(c.in);
    ASSERT_FALSE(b.ok());
    EXPECT_EQ(b.error->line, c.line);
    EXPECT_EQ(b.error->column, c.column);
    EXPECT_EQ(b.error->token, c.token);
    EXPECT_EQ(b.error->message, c.message);
  }
}

TEST(ParserTest, NestingAndChainsAreCapped) {
  std::string deep = "SELECT " + std::string(300, '(') + "1" + std::string(300, ')');
  ParsedBatch b = ParseBatch(deep);
  ASSERT_FALSE(b.ok());
  EXPECT_EQ(b.error->message, "statement nested too deeply");

  std::string chain = "SELECT 1";
  for (int i = 0; i < 5000; ++i) chain += "+1";
  b = ParseBatch(chain);
  ASSERT_FALSE(b.ok());
  EXPECT_EQ(b.error->message, "statement too complex");

  std::string ok = "SELECT " + std::string(150, '(') + "1" + std::string(150, ')');
  EXPECT_TRUE(ParseBatch(ok).ok());
}

TEST(ParserTest, StructureOfStatements) {
  auto stmts = ParseBatchOrThrow(
      "IF OBJECT_ID('tempdb..#X') IS NOT NULL DROP TABLE #X\n"
      "SELECT 1; ;WITH c AS (SELECT 2 AS y) SELECT y FROM c");
  ASSERT_EQ(stmts.size(), 3u);
  const auto& iff = stmts[0]->As<IfStatement>();
  EXPECT_EQ(iff.then_stmt->As<DropStatement>().names[0].Base(), "#X");
  EXPECT_EQ(iff.else_stmt, nullptr);
  EXPECT_EQ(stmts[2]->As<SelectStatement>().query->ctes.size(), 1u);
  EXPECT_THROW(stmts[0]->As<SelectStatement>(), std::logic_error);
  EXPECT_EQ(stmts[1]->TryAs<IfStatement>(), nullptr);

  // The source range of each statement lets the caller keep its text.
  std::string text = "SELECT 1;  DELETE FROM t WHERE a = 1";
  stmts = ParseBatchOrThrow(text);
  EXPECT_EQ(text.substr(stmts[1]->source_begin, stmts[1]->source_end - stmts[1]->source_begin),
            "DELETE FROM t WHERE a = 1");

  // A procedure takes the rest of the batch as its body.
  stmts = ParseBatchOrThrow("CREATE PROC p (@a INT OUT) AS SELECT 1 SELECT 2");
  ASSERT_EQ(stmts.size(), 1u);
  const auto& proc = stmts[0]->As<CreateProcedureStatement>();
  EXPECT_EQ(proc.body.size(), 2u);
  EXPECT_TRUE(proc.params[0].output);

  // EXEC arguments: positional, named, OUTPUT.
  stmts = ParseBatchOrThrow("EXEC sp_executesql @sql, N'@p int', @p = 1");
  const auto& exec = stmts[0]->As<ExecStatement>();
  ASSERT_EQ(exec.args.size(), 3u);
  EXPECT_EQ(exec.args[0].name, "");
  EXPECT_EQ(exec.args[2].name, "@p");
}

// A procedure in the style of the merge procedures: options, dynamic SQL,
// temporary tables, several result sets, error handling.
TEST(ParserTest, ProcedureBodiesRoundTrip) {
  const char* text = R"sql(
CREATE PROCEDURE dbo.SPVESTARO_ACCORPAPROP
  @CodiceDitta DECIMAL(5,0),
  @PgmChiamante INT,
  @StrOrdinamento NVARCHAR(MAX) = N'',
  @Key_Variante INT = 0,
  @Righe INT = NULL OUTPUT
AS
BEGIN
  SET NOCOUNT ON;
  DECLARE @sql NVARCHAR(MAX) = N'', @n INT;
  DECLARE @chiavi TABLE (K VARCHAR(8000) PRIMARY KEY, N INT NOT NULL);
  IF OBJECT_ID('tempdb..#TabellaProposteDesti') IS NOT NULL DROP TABLE #TabellaProposteDesti;
  BEGIN TRY
    BEGIN TRANSACTION;
    UPDATE #TabellaProposte SET KEY_ACCORP = CONVERT(VARCHAR(20), PD39_CODART) +
      CASE WHEN @Key_Variante = 2 THEN '|' + ISNULL(PD39_VARIANTE, '') ELSE '' END;
    INSERT INTO @chiavi (K, N) SELECT KEY_ACCORP, ROW_NUMBER() OVER (ORDER BY MIN(PD39_NUMPRO_PD31))
      FROM #TabellaProposte GROUP BY KEY_ACCORP;
    SELECT @n = COUNT(*) FROM @chiavi;
    WHILE @n > 0
    BEGIN
      SET @n -= 1;
      IF @n % 2 = 0 CONTINUE ELSE BREAK
    END;
    SET @sql = N'SELECT * FROM #TabellaProposte ' + @StrOrdinamento;
    EXEC sp_executesql @sql;
    EXEC (@sql);
    COMMIT TRANSACTION;
  END TRY
  BEGIN CATCH
    IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;
    RAISERROR('Accorpamento fallito: %s', 16, 1, @sql) WITH NOWAIT;
    RETURN -1;
  END CATCH;
  SET @Righe = @@ROWCOUNT;
  RETURN 0;
END)sql";
  ExpectFixedPoint(text);
  auto stmts = ParseBatchOrThrow(text);
  ASSERT_EQ(stmts.size(), 1u);
  const auto& proc = stmts[0]->As<CreateProcedureStatement>();
  EXPECT_EQ(proc.params.size(), 5u);
  EXPECT_TRUE(proc.params[4].output);
  const auto& body = proc.body.at(0)->As<BlockStatement>();
  EXPECT_EQ(body.statements.size(), 7u);
  EXPECT_EQ(body.statements[4]->kind, StmtKind::kTryCatch);

  ExpectFixedPoint(
      "CREATE FUNCTION dbo.FNDO46_FASI_CONSECUTIVE (@Ditta DECIMAL(5,0), @Numreg CHAR(12), "
      "@Progriga DECIMAL(6,0)) RETURNS @r TABLE (DO46_PROGDET DECIMAL(3,0), GRUPPO DECIMAL(5,0)) "
      "AS BEGIN INSERT INTO @r SELECT DO46_PROGDET, 0 FROM DO46_DOCCORORDDET WHERE "
      "DO46_DITTA_CG18 = @Ditta; UPDATE @r SET GRUPPO = 1 WHERE DO46_PROGDET > 1; RETURN; END");
}

TEST(ParserTest, ExpressionsAndTypesParseAlone) {
  EXPECT_EQ(ParseExpression("a+b*2")->ToString(), "a + b * 2");
  EXPECT_THROW(ParseExpression("a b"), SyntaxError);
  EXPECT_EQ(ParseTypeName("decimal(17,6)").ToString(), "DECIMAL(17, 6)");
  EXPECT_EQ(ParseTypeName("nvarchar(max)").ToString(), "NVARCHAR(MAX)");
}

}  // namespace
}  // namespace zv::tsql
