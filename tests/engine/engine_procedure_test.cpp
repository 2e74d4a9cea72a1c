// Stored procedures (from batches and through Command) and table-valued
// functions.
#include <gtest/gtest.h>

#include "data/error.h"
#include "tests/engine/engine_fixture.h"

namespace zv::sqlite {
namespace {

using testing::EngineTest;
using testing::RenderAll;

class EngineProcedureTest : public EngineTest {
 protected:
  void SetUp() override {
    Run("CREATE PROCEDURE P1 @a INT, @b VARCHAR(10) = 'dflt', @c INT = NULL OUTPUT AS\n"
        "BEGIN\n"
        "  SET NOCOUNT ON\n"
        "  SELECT @a AS A, @b AS B\n"
        "  SET @c = @a + 1\n"
        "  SELECT 'second' AS S\n"
        "  RETURN 5\n"
        "END");
  }
};

TEST_P(EngineProcedureTest, ArgumentsDefaultsOutputAndReturnCode) {
  EXPECT_EQ(Rows("DECLARE @r INT, @c INT; EXEC @r = P1 7, @c = @c OUTPUT; SELECT @r AS R, @c AS C"),
            "A|B\n7|\"dflt\"\n--\nS\n\"second\"\n--\nR|C\n5|8\n");
  EXPECT_EQ(Rows("EXECUTE dbo.P1 @b = 'x', @a = 1"), "A|B\n1|\"x\"\n--\nS\n\"second\"\n");
  EXPECT_EQ(Rows("EXEC P1 2, DEFAULT"), "A|B\n2|\"dflt\"\n--\nS\n\"second\"\n");
  // Arguments are converted to the parameter's type.
  EXPECT_EQ(Rows("EXEC P1 '12', 'abcdefghijklmno'"),
            "A|B\n12|\"abcdefghij\"\n--\nS\n\"second\"\n");
}

TEST_P(EngineProcedureTest, CallErrors) {
  struct Case {
    const char* sql;
    const char* error;
  };
  const Case cases[] = {
      {"EXEC P1 @a = 1, @zz = 2", "42000/8145: @zz is not a parameter for procedure P1."},
      {"EXEC P1", "42000/201: Procedure or function 'P1' expects parameter '@a', which was not "
                  "supplied."},
      {"EXEC P1 1, 'b', 3, 4", "42000/8144: Procedure or function P1 has too many arguments "
                               "specified."},
      {"EXEC NOPE", "42000/2812: Could not find stored procedure 'NOPE'. (line 1, column 1)"},
      {"CREATE PROCEDURE P1 AS SELECT 1",
       "42S01/2714: There is already an object named 'P1' in the database. (line 1, column 1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(ErrorOf(c.sql), c.error);
  }
}

TEST_P(EngineProcedureTest, CommandReadsTheParameterListAndWritesOutputsBack) {
  std::unique_ptr<Command> cmd = conn_->CreateCommand();
  cmd->SetCommandText("P1");
  const std::vector<Parameter>& params = cmd->Parameters();
  ASSERT_EQ(params.size(), 4u);
  EXPECT_EQ(params[0].name, "@RETURN_VALUE");
  EXPECT_EQ(params[0].direction, ado::kParamReturnValue);
  EXPECT_EQ(params[1].name, "@a");
  EXPECT_EQ(params[1].type, ado::kInteger);
  EXPECT_FALSE(params[1].has_default);
  EXPECT_EQ(params[2].type, ado::kVarChar);
  EXPECT_EQ(params[2].size, 10);
  EXPECT_TRUE(params[2].has_default);
  EXPECT_EQ(params[3].direction, ado::kParamInputOutput);

  cmd->Param("@A").value = Variant(int32_t{3});
  EXPECT_EQ(RenderAll(cmd->Execute()), "A|B\n3|\"dflt\"\n--\nS\n\"second\"\n");
  EXPECT_EQ(cmd->Param("@c").value.ToLong(), 4);
  EXPECT_EQ(cmd->Param("@RETURN_VALUE").value.ToLong(), 5);

  try {
    cmd->Param("@zz");
    ADD_FAILURE() << "a parameter the procedure lacks was found";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kAdoItemNotFound);
  }
  std::unique_ptr<Command> unknown = conn_->CreateCommand();
  EXPECT_THROW(unknown->SetCommandText("NOPE"), PlatformError);
  ASSERT_EQ(conn_->GetErrors().Count(), 1);
  EXPECT_EQ(conn_->GetErrors().Item(0).native_error, 2812);

  // Decimal parameters carry precision and scale; an unset one takes its default.
  Run("CREATE PROCEDURE P2 @q DECIMAL(14,3) = 1.5 AS SELECT @q * 2 AS Q");
  std::unique_ptr<Command> p2 = conn_->CreateCommand();
  p2->SetCommandText("P2");
  EXPECT_EQ(p2->Param("@q").type, ado::kNumeric);
  EXPECT_EQ(p2->Param("@q").precision, 14);
  EXPECT_EQ(p2->Param("@q").numeric_scale, 3);
  EXPECT_EQ(RenderAll(p2->Execute()), "Q\n3.000D\n");
  p2->Param("@q").value = Variant(*Decimal::Parse("2.25"));
  EXPECT_EQ(RenderAll(p2->Execute()), "Q\n4.500D\n");
}

TEST_P(EngineProcedureTest, AFailingStatementStopsTheProcedure) {
  Run("CREATE TABLE #L (N INT)");
  Run("CREATE PROCEDURE P3 AS BEGIN INSERT INTO #L VALUES (1); SELECT * FROM NOPE; "
      "INSERT INTO #L VALUES (2) END");
  EXPECT_EQ(ErrorOf("EXEC P3; INSERT INTO #L VALUES (3)"),
            "42S02/208: Invalid object name 'NOPE'. (procedure P3, line 4, column 17)");
  EXPECT_EQ(Rows("SELECT N FROM #L"), "N\n1\n");
}

TEST_P(EngineProcedureTest, TemporaryTablesOfAProcedureEndWithIt) {
  Run("CREATE PROCEDURE P4 @n INT AS BEGIN CREATE TABLE #IN (N INT); "
      "INSERT INTO #IN VALUES (@n), (@n + 1); SELECT N FROM #IN ORDER BY N; "
      "SELECT N * 10 AS N FROM #IN ORDER BY N END");
  EXPECT_EQ(Rows("EXEC P4 1; EXEC P4 5; SELECT OBJECT_ID('tempdb..#IN') AS O"),
            "N\n1\n2\n--\nN\n10\n20\n--\nN\n5\n6\n--\nN\n50\n60\n--\nO\nNull\n");
  // INSERT ... EXEC stores every result set of the procedure.
  EXPECT_EQ(Rows("CREATE TABLE #R (V DECIMAL(5,1)); INSERT INTO #R EXEC P4 @n = 3; "
                 "SELECT V FROM #R ORDER BY V"),
            "V\n3.0D\n4.0D\n30.0D\n40.0D\n");
  uint64_t translated = embedded_ ? embedded_->runner().translation_count() : 0;
  Run("EXEC P4 5");
  if (embedded_) {
    EXPECT_EQ(embedded_->runner().translation_count(), translated);
  }
}

TEST_P(EngineProcedureTest, NestingIsLimited) {
  Run("CREATE PROCEDURE PR @n INT AS BEGIN DECLARE @m INT = @n - 1; IF @n > 0 EXEC PR @m; "
      "ELSE SELECT 'bottom' AS B END");
  EXPECT_EQ(Rows("EXEC PR 5"), "B\n\"bottom\"\n");
  EXPECT_EQ(ErrorOf("EXEC PR 40").substr(0, 10), "42000/217:");
}

TEST_P(EngineProcedureTest, CommandTimeoutStopsALongCall) {
  Run("CREATE PROCEDURE SPIN AS BEGIN DECLARE @i INT = 0; WHILE 1 = 1 SET @i = @i + 1 END");
  std::unique_ptr<Command> cmd = conn_->CreateCommand();
  cmd->SetCommandText("SPIN");
  cmd->command_timeout = 1;
  try {
    cmd->Execute();
    ADD_FAILURE() << "the call did not stop";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kAdoTimeout);
    EXPECT_EQ(conn_->GetErrors().Item(0).sql_state, "HYT00");
  }
  // The connection is usable afterwards, without a limit.
  EXPECT_EQ(Rows("SELECT 1 AS A"), "A\n1\n");
}

class EngineFunctionTest : public EngineTest {
 protected:
  void SetUp() override {
    Run("CREATE TABLE NUMS (V INT NOT NULL, NAME VARCHAR(10) NULL)");
    Run("INSERT INTO NUMS VALUES (1, 'one'), (2, 'two'), (3, 'three')");
    Run("CREATE TABLE ORD (K INT, D INT)");
    Run("INSERT INTO ORD VALUES (0, 1), (2, 2), (3, 0)");
    Run("CREATE FUNCTION dbo.F_UPTO (@n INT) RETURNS TABLE AS RETURN "
        "(SELECT V, NAME FROM NUMS WHERE V <= @n)");
    Run("CREATE FUNCTION dbo.F_SQ (@n INT) RETURNS @t TABLE (I INT, SQ INT) AS BEGIN "
        "DECLARE @i INT = 1; WHILE @i <= @n BEGIN INSERT INTO @t VALUES (@i, @i * @i); "
        "SET @i = @i + 1 END; RETURN END");
    Run("CREATE FUNCTION dbo.F_DIV (@n INT) RETURNS TABLE AS RETURN (SELECT 12 / @n AS Q)");
  }
};

TEST_P(EngineFunctionTest, ApplyToFunctionsAndSubqueries) {
  struct Case {
    const char* sql;
    const char* expected;
  };
  const Case cases[] = {
      {"SELECT * FROM dbo.F_UPTO(2) ORDER BY V", "V|NAME\n1|\"one\"\n2|\"two\"\n"},
      {"SELECT O.K, F.V FROM ORD AS O CROSS APPLY dbo.F_UPTO(O.K) AS F ORDER BY O.K, F.V",
       "K|V\n2|1\n2|2\n3|1\n3|2\n3|3\n"},
      {"SELECT O.K, F.V FROM ORD AS O OUTER APPLY dbo.F_UPTO(O.K - 1) AS F ORDER BY O.K, F.V",
       "K|V\n0|Null\n2|1\n3|1\n3|2\n"},
      {"SELECT * FROM dbo.F_SQ(3)", "I|SQ\n1|1\n2|4\n3|9\n"},
      {"SELECT O.K, S.SQ FROM ORD AS O CROSS APPLY dbo.F_SQ(O.K) AS S WHERE S.I = O.K ORDER BY "
       "O.K",
       "K|SQ\n2|4\n3|9\n"},
      {"SELECT O.K, X.N FROM ORD AS O OUTER APPLY (SELECT COUNT(*) AS N FROM NUMS WHERE V <= "
       "O.K) AS X ORDER BY O.K",
       "K|N\n0|0\n2|2\n3|3\n"},
      {"SELECT O.K, X.V FROM ORD AS O CROSS APPLY (SELECT TOP 1 V FROM NUMS WHERE V > O.K "
       "ORDER BY V) AS X",
       "K|V\n0|1\n2|3\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(Rows(c.sql), c.expected);
  }
  // A function fails with its own error.
  EXPECT_EQ(ErrorOf("SELECT O.K, F.Q FROM ORD AS O CROSS APPLY dbo.F_DIV(O.D) AS F"),
            "22012/8134: Divide by zero error encountered.");
}

INSTANTIATE_TEST_SUITE_P(Backends, EngineProcedureTest, zv::testing::BothBackends(),
                         zv::testing::BackendName);
INSTANTIATE_TEST_SUITE_P(Backends, EngineFunctionTest, zv::testing::BothBackends(),
                         zv::testing::BackendName);

}  // namespace
}  // namespace zv::sqlite
