// The exchange between the ODBC backend and the engine hosted in the SQLite
// ODBC driver: parameter markers named outside strings and comments,
// replies parsed strictly, the engine's errors unpacked from the driver's
// text, parameters that carry quotes, and the failures of a data source
// without the engine. (The statements themselves run through this path in
// the engine and merge end-to-end tests, instantiated for ODBC.)
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <memory>
#include <string>

#include "data/error.h"
#include "data/odbc/sqlite_tsql_dialect.h"
#include "data/odbc/test_hooks.h"
#include "data/sqlite/hosted_tsql.h"
#include "tests/odbc/hosted_backend.h"

namespace zv::odbc {
namespace {

TEST(HostedExchange, MarkersAreNamedOnlyOutsideStringsNamesAndComments) {
  size_t n = 0;
  EXPECT_EQ(hosted::NameParameterMarkers(
                "UPDATE [T?] SET A = ?, B = 'is it?', C = N'it''s ?' -- really?\n"
                "WHERE \"K?\" = ? /* ? */ AND D = ?",
                &n),
            "UPDATE [T?] SET A = @zv_p1, B = 'is it?', C = N'it''s ?' -- really?\n"
            "WHERE \"K?\" = @zv_p2 /* ? */ AND D = @zv_p3");
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(hosted::NameParameterMarkers("EXEC ? = dbo.P @a = ?, @c = ? OUTPUT", &n),
            "EXEC @zv_p1 = dbo.P @a = @zv_p2, @c = @zv_p3 OUTPUT");
  // An unterminated string swallows the rest: nothing in it is a marker.
  EXPECT_EQ(hosted::NameParameterMarkers("SELECT 'a?", &n), "SELECT 'a?");
  EXPECT_EQ(n, 0u);
}

TEST(HostedExchange, RepliesAreReadStrictly) {
  std::optional<hosted::Reply> r =
      hosted::ParseReply("3\nR SELECT 1 FROM a\nR SELECT 2 FROM b\nO SELECT 3 FROM c");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->records_affected, 3);
  EXPECT_EQ(r->result_queries, (std::vector<std::string>{"SELECT 1 FROM a", "SELECT 2 FROM b"}));
  EXPECT_EQ(r->outputs_query, "SELECT 3 FROM c");
  ASSERT_TRUE(hosted::ParseReply("-1"));
  EXPECT_TRUE(hosted::ParseReply("-1")->result_queries.empty());
  for (const char* bad : {"", "x", "1\nX SELECT 1", "1\nR", "1 \nR SELECT 1"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(hosted::ParseReply(bad));
  }
}

TEST(HostedExchange, TheEnginesErrorIsUnpackedFromTheDriversText) {
  SqliteTsqlDialect dialect;
  DbError e;
  e.sql_state = "HY000";
  e.native_error = 1;
  e.description = "[SQLite][23000/2627] Violation of PRIMARY KEY constraint 'PK_K'. (19)";
  dialect.AdjustError(e);
  EXPECT_EQ(e.sql_state, "23000");
  EXPECT_EQ(e.native_error, 2627);
  EXPECT_EQ(e.description, "Violation of PRIMARY KEY constraint 'PK_K'.");
  // A driver error of its own stays as it is.
  DbError own;
  own.sql_state = "HY000";
  own.native_error = 1;
  own.description = "[SQLite]no such table: x (1)";
  dialect.AdjustError(own);
  EXPECT_EQ(own.sql_state, "HY000");
  EXPECT_EQ(own.description, "[SQLite]no such table: x (1)");
}

TEST(HostedEngine, DeclaredTypesKeepEveryDigitAndLength) {
  FieldInfo qty;
  qty.type = ado::kNumeric;
  qty.precision = 14;
  qty.numeric_scale = 3;
  EXPECT_EQ(sqlite::DeclaredTypeFor(qty), "DECIMAL_TEXT(14,3)");
  FieldInfo code;
  code.type = ado::kChar;
  code.defined_size = 12;
  EXPECT_EQ(sqlite::DeclaredTypeFor(code), "CHAR(12)");
  code.type = ado::kVarChar;
  code.defined_size = -1;
  EXPECT_EQ(sqlite::DeclaredTypeFor(code), "VARCHAR_MAX");
}

TEST(HostedEngine, AnsweredOnAPlainSqliteConnection) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  std::string error;
  ASSERT_EQ(sqlite::HostTsql(db, &error), SQLITE_OK) << error;
  EXPECT_EQ(sqlite::HostTsql(db, &error), SQLITE_OK);  // a second load keeps the first engine
  auto call = [&](const char* sql, std::string* text) {
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), SQLITE_OK);
    int rc = sqlite3_step(st);
    *text = rc == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                             : sqlite3_errmsg(db);
    sqlite3_finalize(st);
    return rc;
  };
  std::string reply;
  ASSERT_EQ(call("SELECT zv_batch('CREATE TABLE #T (Q DECIMAL(20,6)); "
                 "INSERT INTO #T VALUES (123456789.123456); SELECT Q FROM #T; "
                 "UPDATE #T SET Q = Q')",
                 &reply),
            SQLITE_ROW);
  std::optional<hosted::Reply> r = hosted::ParseReply(reply);
  ASSERT_TRUE(r) << reply;
  EXPECT_EQ(r->records_affected, 1);
  ASSERT_EQ(r->result_queries.size(), 1u);
  std::string value;
  ASSERT_EQ(call(r->result_queries[0].c_str(), &value), SQLITE_ROW);
  EXPECT_EQ(value, "123456789.123456");

  // With declared parameters; the OUTPUT one comes back in the last query.
  ASSERT_EQ(call("SELECT zv_batch('SET @o = @a * 2', '@a DECIMAL(9,2), @o DECIMAL(9,2) OUTPUT', "
                 "'1.25', NULL)",
                 &reply),
            SQLITE_ROW);
  r = hosted::ParseReply(reply);
  ASSERT_TRUE(r && r->outputs_query) << reply;
  ASSERT_EQ(call(r->outputs_query->c_str(), &value), SQLITE_ROW);
  EXPECT_EQ(value, "2.50");

  EXPECT_EQ(call("SELECT zv_batch('SELECT * FROM NOPE')", &reply), SQLITE_ERROR);
  EXPECT_EQ(reply.substr(0, 12), "[42S02/208] ") << reply;
  sqlite3_close(db);  // releases the engine (checked by the sanitizers)
}

class HostedOdbc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::SqliteDriverPath().empty()) GTEST_FAIL() << "libsqliteodbc is not installed";
    handles_before_ = LiveHandleCount();
  }
  void TearDown() override { EXPECT_EQ(LiveHandleCount(), handles_before_); }
  int handles_before_ = 0;
};

TEST_F(HostedOdbc, QuotesInTextsAndParametersNeverChangeTheStatement) {
  std::shared_ptr<OdbcConnection> db = zv::testing::OpenHostedOdbc();
  db->Execute("CREATE TABLE NOTE (K INT PRIMARY KEY, T VARCHAR(40))");
  db->Execute("INSERT INTO NOTE VALUES (1, 'it''s ?'); -- a comment with a quote ' and a ?");
  auto live = db->OpenRecordset("NOTE", ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
  live->AddNew();
  live->SetValue("K", Variant(int32_t{2}));
  live->SetValue("T", Variant("'); DROP TABLE NOTE; --"));
  live->Update();
  live->MoveFirst();
  live->SetValue("T", Variant("a ? and a '"));
  live->Update();
  EXPECT_EQ(RenderRecordset(*db->Execute("SELECT K, T FROM NOTE ORDER BY K")),
            "K|T\n1|\"a ? and a '\"\n2|\"'); DROP TABLE NOTE; --\"\n");
}

TEST_F(HostedOdbc, ADataSourceWithoutTheEngineSaysSo) {
  std::string database = testing::FreshDatabasePath("hosted_without_engine");
  // No LoadExt. (A LoadExt naming a file that is not there ends the same
  // way, but the driver then leaks its error text, which the leak checker
  // of the sanitized runs would report against this test.)
  {
    OdbcConnection db(std::make_unique<SqliteTsqlDialect>());
    db.Open("DRIVER=" + testing::SqliteDriverPath() + ";Database=" + database);
    try {
      db.Execute("SELECT 1 AS A");
      ADD_FAILURE() << "a batch ran without the engine";
    } catch (const PlatformError& e) {
      EXPECT_EQ(e.number(), err::kAdoCommandError);
      EXPECT_NE(e.description().find("no T-SQL engine"), std::string::npos) << e.description();
      EXPECT_NE(e.description().find("LoadExt"), std::string::npos) << e.description();
      ASSERT_EQ(db.GetErrors().Count(), 1);
      EXPECT_EQ(db.GetErrors().Item(0).description, e.description());
    }
  }
}

TEST_F(HostedOdbc, EngineErrorsReachErrorsWithTheirSqlStates) {
  std::shared_ptr<OdbcConnection> db = zv::testing::OpenHostedOdbc();
  db->Execute("CREATE TABLE K (ID INT PRIMARY KEY)");
  db->Execute("INSERT INTO K VALUES (1)");
  try {
    db->Execute("SELECT 1 AS A; INSERT INTO K VALUES (1)");
    ADD_FAILURE() << "a duplicate key was accepted";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kAdoIntegrityViolation);
    ASSERT_EQ(db->GetErrors().Count(), 1);
    const DbError& d = db->GetErrors().Item(0);
    EXPECT_EQ(d.sql_state, "23000");
    EXPECT_EQ(d.native_error, 2627);
    EXPECT_EQ(d.description, e.description());
  }
  // The session goes on: the next batch runs.
  EXPECT_EQ(RenderRecordset(*db->Execute("SELECT COUNT(*) AS N FROM K")), "N\n1\n");
}

}  // namespace
}  // namespace zv::odbc
