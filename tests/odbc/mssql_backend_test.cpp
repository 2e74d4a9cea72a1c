// The ODBC backend against a real SQL Server, when one is named:
//   ZV_TEST_MSSQL="DRIVER=FreeTDS;SERVER=host;PORT=1433;DATABASE=test;UID=..;PWD=..;
//                  TDS_Version=7.4;ClientCharset=UTF-8"
// Without it every test here is skipped. The login needs rights to create
// and drop a procedure and a table in that database.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/error.h"
#include "data/odbc/odbc_connection.h"

namespace zv::odbc {
namespace {

class SqlServer : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* text = std::getenv("ZV_TEST_MSSQL");
    if (!text || !*text) {
      GTEST_SKIP() << "no SQL Server: set ZV_TEST_MSSQL to an ODBC connection string "
                      "(DRIVER=FreeTDS;SERVER=...;DATABASE=...;UID=...;PWD=...;"
                      "TDS_Version=7.4;ClientCharset=UTF-8) to run these checks";
    }
    db_ = std::make_unique<OdbcConnection>();
    db_->Open(text);
    suffix_ = std::to_string(getpid());
  }
  void TearDown() override {
    if (!db_ || db_->State() != ado::kStateOpen) return;
    for (const std::string& drop : drops_) {
      try {
        db_->Execute(drop, nullptr, ado::kCmdText | ado::kExecuteNoRecords);
      } catch (const PlatformError&) {
      }
    }
  }
  void Run(const std::string& sql) {
    db_->Execute(sql, nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  }
  std::string Query(const std::string& sql) {
    auto rs = db_->OpenRecordset(sql, ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdText);
    return RenderRecordset(*rs);
  }

  std::unique_ptr<OdbcConnection> db_;
  std::string suffix_;
  std::vector<std::string> drops_;
};

TEST_F(SqlServer, TemporaryTableLivesInTheSessionAndServesALiveSet) {
  Run("SET NOCOUNT ON; IF OBJECT_ID('tempdb..#zv_work') IS NOT NULL DROP TABLE #zv_work;"
      " CREATE TABLE #zv_work (id INT NOT NULL, code CHAR(5) NULL, qty DECIMAL(17,6) NULL);"
      " INSERT INTO #zv_work VALUES (1, 'ab', 1.5), (2, 'cd', 2.25)");
  EXPECT_EQ(Query("SELECT id, code, qty FROM #zv_work ORDER BY id"),
            "id|code|qty\n1|\"ab   \"|1.500000D\n2|\"cd   \"|2.250000D\n");

  auto rs = db_->OpenRecordset("#zv_work", ado::kOpenKeyset, ado::kLockOptimistic,
                               ado::kCmdTable);
  rs->MoveFirst();
  rs->SetValue("qty", "12345678901.123456");
  rs->Update();
  rs->MoveNext();
  rs->Delete();
  rs->AddNew();
  rs->SetValue("id", 3);
  rs->Update();
  EXPECT_EQ(Query("SELECT id, qty FROM #zv_work ORDER BY id"),
            "id|qty\n1|12345678901.123456D\n3|Null\n");
}

TEST_F(SqlServer, MetadataAndExactDecimals) {
  auto rs = db_->Execute(
      "SELECT CAST('12345678901234567890.123456' AS DECIMAL(38,6)) AS d,"
      " CAST(N'x' AS NVARCHAR(10)) AS nv, CAST(1 AS TINYINT) AS t, CAST(1 AS BIT) AS b,"
      " CAST('2024-01-31T10:00:00.123' AS DATETIME) AS dt, CAST(1 AS SQL_VARIANT) AS v,"
      " NEWID() AS g, CAST(12.34 AS MONEY) AS m");
  ASSERT_NE(rs, nullptr);
  struct Expected {
    const char* name;
    int type;
  } expected[] = {{"d", ado::kNumeric},    {"nv", ado::kVarWChar},
                  {"t", ado::kUnsignedTinyInt}, {"b", ado::kBoolean},
                  {"dt", ado::kDBTimeStamp}, {"v", ado::kVariant},
                  {"g", ado::kGUID},       {"m", ado::kCurrency}};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(rs->Field(i).type, expected[i].type);
  }
  EXPECT_EQ(rs->Field(0).precision, 38);
  EXPECT_EQ(rs->Field(0).numeric_scale, 6);
  EXPECT_EQ(rs->Value("d").Debug(), "12345678901234567890.123456D");
  EXPECT_EQ(rs->Value("dt").Debug(), "#2024-01-31 10:00:00.123#");
  EXPECT_EQ(rs->Value("g").ToString().size(), 38u);  // {...} as the platform shows it
}

TEST_F(SqlServer, ProcedureWithNamedParametersDefaultsOutputsAndSeveralResults) {
  std::string name = "dbo.zv_test_proc_" + suffix_;
  drops_.push_back("DROP PROCEDURE " + name);
  Run("CREATE PROCEDURE " + name +
      " @a INT, @b VARCHAR(10) = 'dflt', @c DECIMAL(17,6) = NULL OUTPUT AS BEGIN"
      " SET NOCOUNT ON; SELECT @a AS a, @b AS b; SELECT 2 AS second;"
      " SET @c = 1.25; RETURN 7 END");
  auto command = db_->CreateCommand();
  command->command_timeout = 0;
  command->SetCommandText(name);
  std::vector<std::string> names;
  for (const Parameter& p : command->Parameters()) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"@RETURN_VALUE", "@a", "@b", "@c"}));
  try {
    command->Param("@nope");
    ADD_FAILURE() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kAdoItemNotFound);
  }

  command->Param("@a").value = 5;
  command->Param("@c").value = Variant::Null();  // given: comes back
  auto rs = command->Execute();
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(RenderRecordset(*rs), "a|b\n5|\"dflt\"\n");
  auto second = rs->NextRecordset();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(RenderRecordset(*second), "second\n2\n");
  EXPECT_EQ(command->Param("@c").value.Debug(), "1.250000D");
  EXPECT_EQ(command->Param("@RETURN_VALUE").value.ToLong(), 7);
}

TEST_F(SqlServer, ErrorsCarryStateAndNativeNumber) {
  std::string table = "zv_test_keys_" + suffix_;
  drops_.push_back("DROP TABLE " + table);
  Run("CREATE TABLE " + table + " (id INT PRIMARY KEY); INSERT INTO " + table + " VALUES (1)");
  struct Case {
    std::string sql;
    int32_t number;
    const char* state;
    int32_t native;
  } cases[] = {
      {"INSERT INTO " + table + " VALUES (1)", err::kAdoIntegrityViolation, "23000", 2627},
      {"SELECT * FROM zv_no_such_table", err::kAdoCommandError, "42S02", 208},
      {"SELECT 1 AS one; SELECT * FROM zv_no_such_table", err::kAdoCommandError, "42S02", 208},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    try {
      db_->Execute(c.sql);
      ADD_FAILURE() << "no error";
    } catch (const PlatformError& e) {
      EXPECT_EQ(e.number(), c.number);
      ASSERT_GE(db_->GetErrors().Count(), 1);
      EXPECT_EQ(db_->GetErrors().Item(0).sql_state, c.state);
      EXPECT_EQ(db_->GetErrors().Item(0).native_error, c.native);
    }
  }
  EXPECT_EQ(Query("SELECT COUNT(*) AS n FROM " + table), "n\n1\n");
}

}  // namespace
}  // namespace zv::odbc
