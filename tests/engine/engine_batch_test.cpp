// Batches run by the interpreter: variables, control flow, dynamic SQL,
// errors raised and caught, transactions.
#include <gtest/gtest.h>

#include <vector>

#include "tests/engine/engine_fixture.h"

namespace zv::sqlite {
namespace {

using testing::EngineTest;

struct Case {
  const char* sql;
  const char* expected;  // rendered result sets, or "SQLSTATE/native: description"
};

class EngineBatchTest : public EngineTest {
 protected:
  void Check(const std::vector<Case>& cases, bool errors = false) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.sql);
      EXPECT_EQ(errors ? ErrorOf(c.sql) : Rows(c.sql), c.expected);
    }
  }
};

TEST_P(EngineBatchTest, VariablesTakeTheirTypesAndKeepValuesAcrossStatements) {
  Run("CREATE TABLE #T (N INT); INSERT INTO #T VALUES (1), (2), (3)");
  Check({
      {"DECLARE @a INT = 5, @b VARCHAR(10) = 'x'; SELECT @a AS A, @b AS B", "A|B\n5|\"x\"\n"},
      {"DECLARE @a INT; SELECT @a AS A", "A\nNull\n"},
      {"DECLARE @a INT = 1; SET @a += 4; SET @a = @a * 2; SELECT @a AS A", "A\n10\n"},
      // Assignment converts to the variable's type (half away from zero).
      {"DECLARE @d DECIMAL(5,2) = 1.235; SELECT @d AS D", "D\n1.24D\n"},
      {"DECLARE @c CHAR(4) = 'ab'; SELECT @c + '|' AS C", "C\n\"ab  |\"\n"},
      // SELECT @v = ... takes the last row; no row leaves the value alone.
      {"DECLARE @n INT = 0; SELECT @n = N FROM #T ORDER BY N; SELECT @n AS N; "
       "SELECT @n = N FROM #T WHERE N > 5; SELECT @n AS N2",
       "N\n3\n--\nN2\n3\n"},
      {"INSERT INTO #T VALUES (4), (5); SELECT @@ROWCOUNT AS R; "
       "UPDATE #T SET N = N + 10 WHERE N > 3; SELECT @@ROWCOUNT AS R; "
       "DELETE FROM #T WHERE N > 10; SELECT @@ROWCOUNT AS R",
       "R\n2\n--\nR\n2\n--\nR\n2\n"},
  });
}

TEST_P(EngineBatchTest, ControlFlow) {
  Check({
      {"DECLARE @i INT = 0, @s INT = 0; "
       "WHILE @i < 10 BEGIN SET @i = @i + 1; IF @i % 2 = 0 CONTINUE; IF @i > 7 BREAK; "
       "SET @s = @s + @i END; SELECT @i AS I, @s AS S",
       "I|S\n9|16\n"},
      // An unknown condition (NULL) takes the ELSE branch.
      {"DECLARE @x INT; IF @x = 1 SELECT 'yes' AS R ELSE SELECT 'no' AS R", "R\n\"no\"\n"},
      {"IF EXISTS (SELECT 1 WHERE 1 = 0) SELECT 1 AS A ELSE IF 2 > 1 SELECT 2 AS A ELSE "
       "SELECT 3 AS A",
       "A\n2\n"},
      {"SELECT 1 AS A; RETURN; SELECT 2 AS B", "A\n1\n"},
      {"BEGIN SELECT 1 AS A; BEGIN SELECT 2 AS B END END", "A\n1\n--\nB\n2\n"},
  });
}

TEST_P(EngineBatchTest, DynamicSqlRunsInItsOwnScope) {
  Run("CREATE TABLE #C (N INT)");
  Check({
      {"DECLARE @v INT = 7; EXEC ('INSERT INTO #C VALUES (' + CAST(@v AS VARCHAR(5)) + ')'); "
       "SELECT N FROM #C",
       "N\n7\n"},
      // A '#' table created by dynamic SQL ends with it.
      {"EXEC ('CREATE TABLE #D (N INT); INSERT INTO #D VALUES (1)'); "
       "SELECT OBJECT_ID('tempdb..#D') AS O",
       "O\nNull\n"},
      {"DECLARE @sql NVARCHAR(100) = N'SELECT COUNT(*) AS N FROM #C'; EXEC (@sql)", "N\n1\n"},
      {"DECLARE @out INT; EXEC sp_executesql N'SET @b = @a * 2', N'@a INT, @b INT OUTPUT', "
       "@a = 21, @b = @out OUTPUT; SELECT @out AS O",
       "O\n42\n"},
      {"EXEC sp_executesql N'SELECT @p + 1 AS P', N'@p INT', 4", "P\n5\n"},
  });
  Check({{"DECLARE @x INT = 1; EXEC ('SELECT @x')",
          "42000/137: Must declare the scalar variable \"@x\". (line 1, column 8)"}},
        true);
}

TEST_P(EngineBatchTest, RaisedErrorsAndThrow) {
  std::vector<std::string> messages;
  // PRINT texts reach a handler of the embedded connection; ODBC drops them.
  if (embedded_) embedded_->SetMessageHandler([&](const std::string& m) { messages.push_back(m); });
  Check(
      {
          {"RAISERROR('Order %s has %d rows', 16, 1, 'X', 3)", "42000/50000: Order X has 3 rows"},
          {"DECLARE @m VARCHAR(20) = 'phase'; RAISERROR('bad %s', 11, 1, @m)",
           "42000/50000: bad phase"},
          {"THROW 50001, 'Bad phase', 1", "42000/50001: Bad phase"},
          {"THROW 5, 'low', 1",
           "42000/35100: Error number 5 in the THROW statement is outside the valid range. "
           "Specify an error number in the valid range of 50000 to 2147483647. (line 1, column "
           "1)"},
          {"SELECT 1 AS A; SELECT * FROM NOPE; SELECT 2 AS B",
           "42S02/208: Invalid object name 'NOPE'. (line 1, column 30)"},
      },
      true);
  Check({{"RAISERROR('just a note', 10, 1); PRINT 'n=' + CAST(3 AS VARCHAR(2)); SELECT 1 AS A",
          "A\n1\n"}});
  if (embedded_) {
    EXPECT_EQ(messages, (std::vector<std::string>{"just a note", "n=3"}));
  }
}

TEST_P(EngineBatchTest, TryCatchSeesTheError) {
  Check({
      {"BEGIN TRY SELECT 1 / 0 AS X END TRY "
       "BEGIN CATCH SELECT ERROR_NUMBER() AS N, ERROR_MESSAGE() AS M, @@ERROR AS E END CATCH",
       "N|M|E\n8134|\"Divide by zero error encountered.\"|8134\n"},
      {"BEGIN TRY RAISERROR('m', 14, 3) END TRY "
       "BEGIN CATCH SELECT ERROR_SEVERITY() AS S, ERROR_STATE() AS T END CATCH",
       "S|T\n14|3\n"},
      {"SELECT ERROR_MESSAGE() AS M", "M\nNull\n"},
      {"BEGIN TRY SELECT 1 AS A END TRY BEGIN CATCH SELECT 2 AS B END CATCH", "A\n1\n"},
  });
  Check({{"BEGIN TRY THROW 50002, 'again', 1 END TRY BEGIN CATCH THROW END CATCH",
          "42000/50002: again"}},
        true);
}

TEST_P(EngineBatchTest, TransactionsNestByCount) {
  Run("CREATE TABLE TX (N INT)");
  Check({
      {"BEGIN TRAN; INSERT INTO TX VALUES (1); BEGIN TRANSACTION; INSERT INTO TX VALUES (2); "
       "SELECT @@TRANCOUNT AS C; COMMIT; SELECT @@TRANCOUNT AS C; ROLLBACK; "
       "SELECT COUNT(*) AS N, @@TRANCOUNT AS C FROM TX",
       "C\n2\n--\nC\n1\n--\nN|C\n0|0\n"},
      {"BEGIN TRAN; INSERT INTO TX VALUES (3); COMMIT TRAN; SELECT COUNT(*) AS N FROM TX",
       "N\n1\n"},
      {"BEGIN TRAN; INSERT INTO TX VALUES (4); SAVE TRAN S1; INSERT INTO TX VALUES (5); "
       "ROLLBACK TRAN S1; COMMIT; SELECT SUM(N) AS S FROM TX",
       "S\n7\n"},
  });
  Check({{"COMMIT", "25000/3902: The COMMIT TRANSACTION request has no corresponding BEGIN "
                    "TRANSACTION. (line 1, column 1)"}},
        true);
  // A transaction left open by a batch stays open for the next one.
  Run("BEGIN TRAN; INSERT INTO TX VALUES (10)");
  EXPECT_EQ(Rows("SELECT @@TRANCOUNT AS C"), "C\n1\n");
  Run("ROLLBACK");
  EXPECT_EQ(Rows("SELECT COUNT(*) AS N FROM TX WHERE N = 10"), "N\n0\n");
}

TEST_P(EngineBatchTest, SyntaxErrorsNameLineColumnAndToken) {
  std::string e = ErrorOf("SELECT 1\nSELECT * FROM WHERE");
  EXPECT_EQ(e.substr(0, 10), "42000/102:");
  EXPECT_NE(e.find("line 2, column 15"), std::string::npos) << e;
  EXPECT_NE(e.find("'WHERE'"), std::string::npos) << e;
}

TEST_P(EngineBatchTest, ARepeatedStatementIsTranslatedOnce) {
  Run("CREATE TABLE #W (N INT)");
  const std::string loop =
      "DECLARE @i INT = 0; WHILE @i < 50 BEGIN INSERT INTO #W VALUES (@i); SET @i = @i + 1 END";
  Run(loop);
  // The translation cache is the embedded engine's own (through ODBC it is
  // the engine inside the driver's connection).
  uint64_t after_first = embedded_ ? embedded_->runner().translation_count() : 0;
  Run(loop);
  if (embedded_) {
    EXPECT_EQ(embedded_->runner().translation_count(), after_first);
  }
  EXPECT_EQ(Rows("SELECT COUNT(*) AS N, SUM(N) AS S FROM #W"), "N|S\n100|2450\n");
  // A changed table is translated again: the new column is seen.
  Run("DROP TABLE #W; CREATE TABLE #W (N INT, M INT)");
  Run("INSERT INTO #W VALUES (1, 2)");
  EXPECT_EQ(Rows("SELECT * FROM #W"), "N|M\n1|2\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, EngineBatchTest, zv::testing::BothBackends(),
                         zv::testing::BackendName);

}  // namespace
}  // namespace zv::sqlite
