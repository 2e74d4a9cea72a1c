// The ODBC backend against a real driver: the SQLite ODBC driver, loaded by
// path, one database file per test. Batches and their results, result
// metadata and exact values, record sets that write back to their table,
// the errors a database reports, failed connections, closed connections, a
// connection handle the host keeps, and a failure injected at every ODBC
// call in turn.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "data/datetime.h"
#include "data/error.h"
#include "data/odbc/diagnostics.h"
#include "data/odbc/odbc_connection.h"
#include "data/odbc/test_hooks.h"
#include "tests/odbc/sqlite_odbc_support.h"

namespace zv::odbc {
namespace {

using testing::FreshDatabasePath;
using testing::OpenSqlite;
using testing::SqliteConnectionString;
using testing::SqliteDriverPath;
using testing::TestOnlySqliteDialect;

constexpr char kNoDriver[] =
    "the SQLite ODBC driver is not installed (Debian package libsqliteodbc; ./dev setup "
    "installs it)";

// Runs `action` and returns the PlatformError it must throw.
PlatformError FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const PlatformError& e) {
    return e;
  }
  ADD_FAILURE() << "no error was raised";
  return PlatformError(0, "");
}

std::string TestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

class SqliteOdbc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SqliteDriverPath().empty()) GTEST_FAIL() << kNoDriver;
    handles_before_ = LiveHandleCount();
    path_ = FreshDatabasePath(TestName());
    db_ = OpenSqlite(path_);
  }
  void TearDown() override {
    db_.reset();
    EXPECT_EQ(LiveHandleCount(), handles_before_) << "ODBC handles left behind";
  }

  void Run(std::string_view sql) {
    db_->Execute(sql, nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  }
  std::string Query(std::string_view sql) {
    auto rs = db_->OpenRecordset(sql, ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdText);
    return RenderRecordset(*rs);
  }
  std::shared_ptr<Recordset> OpenTable(std::string_view table) {
    return db_->OpenRecordset(table, ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
  }

  int handles_before_ = 0;
  std::string path_;
  std::unique_ptr<OdbcConnection> db_;
};

// --- Batches -------------------------------------------------------------------

TEST_F(SqliteOdbc, BatchRunsEveryStatementAndReturnsEveryResultInOrder) {
  int32_t affected = -9;
  auto rs = db_->Execute(
      "CREATE TABLE t(id INT PRIMARY KEY, code VARCHAR(10));"
      "INSERT INTO t VALUES (1, 'a'); INSERT INTO t VALUES (2, 'b;c');"
      "SELECT code FROM t ORDER BY id; SELECT COUNT(*) AS n FROM t",
      &affected);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(RenderRecordset(*rs), "code\n\"a\"\n\"b;c\"\n");
  EXPECT_EQ(affected, 1);  // the last statement that reported a count
  auto next = rs->NextRecordset();
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(RenderRecordset(*next), "n\n2\n");
  EXPECT_EQ(next->NextRecordset(), nullptr);

  struct Case {
    const char* sql;
    int32_t affected;
  } counts[] = {
      {"UPDATE t SET code = 'z'", 2},
      {"UPDATE t SET code = 'y' WHERE id = 99", 0},  // the driver answers "no data"
      {"DELETE FROM t WHERE id = 1", 1},
      {"CREATE TABLE u(x INT)", 0},
  };
  for (const Case& c : counts) {
    SCOPED_TRACE(c.sql);
    affected = -9;
    EXPECT_EQ(db_->Execute(c.sql, &affected), nullptr);
    EXPECT_EQ(affected, c.affected);
  }
  EXPECT_EQ(db_->Execute("SELECT * FROM t", nullptr, ado::kCmdText | ado::kExecuteNoRecords),
            nullptr);
  EXPECT_EQ(Query("SELECT * FROM t"), "id|code\n2|\"z\"\n");
}

TEST_F(SqliteOdbc, SourceWithoutRowsGivesAClosedSet) {
  auto rs = db_->OpenRecordset("CREATE TABLE t(x INT)", ado::kOpenStatic, ado::kLockReadOnly,
                               ado::kCmdText);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->State(), ado::kStateClosed);
}

// --- Metadata and values -------------------------------------------------------

TEST_F(SqliteOdbc, ResultColumnsBecomeFieldsWithTypesSizesAndScale) {
  Run("CREATE TABLE t(c CHAR(5), v VARCHAR(20), nc NCHAR(3), nv NVARCHAR(10),"
      " d DECIMAL(17,3), i INT, s SMALLINT, ti TINYINT, bi BIGINT, b BIT, dt DATETIME,"
      " f FLOAT, r REAL, g UNIQUEIDENTIFIER, vb VARBINARY(10), tx TEXT)");
  auto rs = db_->OpenRecordset("t", ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdTable);
  struct Expected {
    const char* name;
    int type;
    int32_t size;
    int precision;
    int scale;
  } expected[] = {
      {"c", ado::kChar, 5, 255, 255},          {"v", ado::kVarChar, 20, 255, 255},
      {"nc", ado::kWChar, 3, 255, 255},        {"nv", ado::kVarWChar, 10, 255, 255},
      {"d", ado::kNumeric, 19, 17, 3},     {"i", ado::kInteger, 4, 10, 0},
      {"s", ado::kSmallInt, 2, 5, 0},      {"ti", ado::kUnsignedTinyInt, 1, 3, 0},
      {"bi", ado::kBigInt, 8, 19, 0},      {"b", ado::kBoolean, 2, 255, 255},
      {"dt", ado::kDBTimeStamp, 16, 23, 3}, {"f", ado::kDouble, 8, 15, 255},
      {"r", ado::kSingle, 4, 7, 255},        {"g", ado::kGUID, 16, 255, 255},
      {"vb", ado::kVarBinary, 10, 255, 255},   {"tx", ado::kLongVarChar, 65536, 255, 255},
  };
  ASSERT_EQ(rs->FieldCount(), static_cast<int>(std::size(expected)));
  for (int i = 0; i < rs->FieldCount(); ++i) {
    const Expected& e = expected[i];
    const FieldInfo& f = rs->Field(i);
    SCOPED_TRACE(e.name);
    EXPECT_EQ(f.name, e.name);
    EXPECT_EQ(f.type, e.type);
    EXPECT_EQ(f.defined_size, e.size);
    EXPECT_EQ(f.precision, e.precision);
    EXPECT_EQ(f.numeric_scale, e.scale);
    EXPECT_TRUE(f.nullable());
  }
}

TEST_F(SqliteOdbc, ValuesArriveExactlyAsStored) {
  Run("CREATE TABLE t(c CHAR(5), v VARCHAR(20), d DECIMAL(17,3), i INT, s SMALLINT,"
      " ti TINYINT, bi BIGINT, b BIT, dt DATETIME, f FLOAT, r REAL, g UNIQUEIDENTIFIER,"
      " vb VARBINARY(10));"
      "INSERT INTO t VALUES ('ab ', 'it''s', '12345678901234.567', 2147483647, -32768, 255,"
      " 9007199254740993, 1, '2024-02-29 23:59:58.250', 0.1, 0.5,"
      " '6f9619ff-8b86-d011-b42d-00c04fc964ff', X'00FF41');"
      "INSERT INTO t VALUES (NULL, NULL, '-0.001', NULL, NULL, NULL, NULL, 0, NULL, NULL,"
      " NULL, NULL, NULL)");
  auto rs = db_->OpenRecordset("SELECT * FROM t ORDER BY d DESC", ado::kOpenStatic,
                               ado::kLockReadOnly, ado::kCmdText);
  std::string rendered;
  for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
    for (int i = 0; i + 1 < rs->FieldCount(); ++i) rendered += rs->Value(i).Debug() + "|";
    rendered += "\n";
  }
  EXPECT_EQ(rendered,
            "\"ab \"|\"it's\"|12345678901234.567D|2147483647|-32768|255|9007199254740993|"
            "True|#2024-02-29 23:59:58.250#|0.1|0.5|\"{6F9619FF-8B86-D011-B42D-00C04FC964FF}\"|\n"
            "Null|Null|-0.001D|Null|Null|Null|Null|False|Null|Null|Null|Null|\n");
  rs->MoveFirst();
  EXPECT_EQ(rs->Value("vb").StringRef(), std::string("\0\xff" "A", 3));
  EXPECT_EQ(rs->Value("d").type(), VarType::kDecimal);
  EXPECT_EQ(rs->Value("dt").ToDate(), MakeDate({2024, 2, 29, 23, 59, 58, 250}));
  rs->MoveNext();
  EXPECT_TRUE(rs->Value("vb").IsNull());
}

// --- Record sets over a table ------------------------------------------------

TEST_F(SqliteOdbc, LiveTableWritesBackByPrimaryKey) {
  Run("CREATE TABLE stock(id INT PRIMARY KEY, code VARCHAR(10), qty DECIMAL(17,3));"
      "INSERT INTO stock VALUES (1, 'A', '1.500'); INSERT INTO stock VALUES (2, 'B', '2.000')");
  auto rs = OpenTable("stock");
  EXPECT_EQ(rs->RecordCount(), 2);

  rs->AddNew();
  rs->SetValue("id", 3);
  rs->SetValue("code", "C");
  rs->SetValue("qty", *Decimal::Parse("12345678901234.567"));
  rs->Update();

  rs->MoveFirst();
  rs->SetValue("qty", "0.125");
  rs->Update();
  rs->SetValue("id", 10);  // a new key: later writes must find the row by it
  rs->Update();
  rs->SetValue("qty", "9.999");
  rs->Update();

  rs->MoveNext();  // id 2
  rs->Delete();

  EXPECT_EQ(Query("SELECT * FROM stock ORDER BY id"),
            "id|code|qty\n3|\"C\"|12345678901234.567D\n10|\"A\"|9.999D\n");
}

TEST_F(SqliteOdbc, TableWithoutKeyIsWrittenBackByTheValuesItWasReadWith) {
  Run("CREATE TABLE notes(code VARCHAR(10), note VARCHAR(20));"
      "INSERT INTO notes VALUES ('A', NULL); INSERT INTO notes VALUES ('B', 'x');"
      "INSERT INTO notes VALUES ('B', 'y')");
  auto rs = OpenTable("notes");
  rs->MoveFirst();
  rs->SetValue("note", "set");  // found with note IS NULL
  rs->Update();
  rs->MoveNext();
  rs->SetValue("code", "C");
  rs->Update();
  rs->SetValue("note", "x2");  // found with the values of the first update
  rs->Update();
  rs->MoveNext();
  rs->Delete();
  EXPECT_EQ(Query("SELECT * FROM notes ORDER BY code"),
            "code|note\n\"A\"|\"set\"\n\"C\"|\"x2\"\n");
}

TEST_F(SqliteOdbc, SessionTemporaryTableServesALiveSetOnTheSameConnection) {
  Run("CREATE TABLE #work(id INT PRIMARY KEY, qty DECIMAL(17,6))");
  auto rs = OpenTable("#work");
  rs->AddNew();
  rs->SetValue("id", 1);
  rs->SetValue("qty", 2.5);
  rs->Update();
  EXPECT_EQ(Query("SELECT * FROM #work"), "id|qty\n1|2.500000D\n");

  // Another connection has a session of its own.
  auto other = OpenSqlite(path_);
  PlatformError e = FailureOf([&] { other->Execute("SELECT * FROM #work"); });
  EXPECT_NE(e.description().find("no such table"), std::string::npos) << e.description();
}

TEST_F(SqliteOdbc, ChangesBehindTheSetsBackAreReportedNotOverwritten) {
  Run("CREATE TABLE notes(code VARCHAR(10), note VARCHAR(20));"
      "INSERT INTO notes VALUES ('A', 'old');"
      "CREATE TABLE keyed(id INT PRIMARY KEY, note VARCHAR(20));"
      "INSERT INTO keyed VALUES (1, 'one'); INSERT INTO keyed VALUES (2, 'two')");
  auto notes = OpenTable("notes");
  auto keyed = OpenTable("keyed");
  Run("UPDATE notes SET note = 'theirs'; DELETE FROM keyed WHERE id = 1");

  notes->SetValue("note", "mine");
  PlatformError changed = FailureOf([&] { notes->Update(); });
  EXPECT_EQ(changed.number(), err::kAdoRowChanged);
  ASSERT_EQ(db_->GetErrors().Count(), 1);
  EXPECT_EQ(db_->GetErrors().Item(0).number, err::kAdoRowChanged);
  EXPECT_EQ(db_->GetErrors().Item(0).sql_state, "");
  EXPECT_EQ(db_->GetErrors().Item(0).description, changed.description());
  notes->CancelUpdate();

  PlatformError deleted = FailureOf([&] { keyed->Delete(); });
  EXPECT_EQ(deleted.number(), err::kAdoRowDeleted);
  EXPECT_EQ(db_->GetErrors().Item(0).number, err::kAdoRowDeleted);
  EXPECT_EQ(keyed->RecordCount(), 2);

  EXPECT_EQ(Query("SELECT note FROM notes"), "note\n\"theirs\"\n");
}

// --- Errors ----------------------------------------------------------------------

TEST_F(SqliteOdbc, DatabaseErrorsFillErrorsAndTheExceptionAlike) {
  Run("CREATE TABLE u(id INT NOT NULL PRIMARY KEY); INSERT INTO u VALUES (1)");
  struct Case {
    const char* sql;
    int32_t number;
    const char* state;
    int32_t native;
    const char* text;
  } cases[] = {
      {"SELEC 1", err::kAdoCommandError, "HY000", 1, "syntax error"},
      {"SELECT * FROM nosuch", err::kAdoCommandError, "HY000", 1, "no such table: nosuch"},
      {"INSERT INTO u VALUES (1)", err::kAdoIntegrityViolation, "23000", 19,
       "UNIQUE constraint failed"},
      {"INSERT INTO u VALUES (NULL)", err::kAdoIntegrityViolation, "23000", 19,
       "NOT NULL constraint failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    PlatformError e = FailureOf([&] { db_->Execute(c.sql); });
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.source(), kProviderSource);
    EXPECT_NE(e.description().find(c.text), std::string::npos) << e.description();
    ASSERT_EQ(db_->GetErrors().Count(), 1);
    const DbError& first = db_->GetErrors().Item(0);
    EXPECT_EQ(first.number, c.number);
    EXPECT_EQ(first.sql_state, c.state);
    EXPECT_EQ(first.native_error, c.native);
    EXPECT_EQ(first.description, e.description());
  }
  // The connection is not left busy.
  Run("INSERT INTO u VALUES (2)");
  EXPECT_EQ(Query("SELECT COUNT(*) AS n FROM u"), "n\n2\n");
}

TEST_F(SqliteOdbc, ConstraintViolationFromALiveSetKeepsTheSetAsItWas) {
  Run("CREATE TABLE u(id INT PRIMARY KEY, note VARCHAR(5)); INSERT INTO u VALUES (1, 'a')");
  auto rs = OpenTable("u");
  rs->AddNew();
  rs->SetValue("id", 1);
  PlatformError e = FailureOf([&] { rs->Update(); });
  EXPECT_EQ(e.number(), err::kAdoIntegrityViolation);
  EXPECT_EQ(db_->GetErrors().Item(0).sql_state, "23000");
  rs->CancelUpdate();
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(Query("SELECT * FROM u"), "id|note\n1|\"a\"\n");
}

TEST_F(SqliteOdbc, UnknownProcedureIsACommandError) {
  auto command = db_->CreateCommand();
  PlatformError e = FailureOf([&] { command->SetCommandText("dbo.NoSuchProc"); });
  EXPECT_EQ(e.number(), err::kAdoCommandError);
  ASSERT_EQ(db_->GetErrors().Count(), 1);
  EXPECT_EQ(db_->GetErrors().Item(0).sql_state, "42000");
  EXPECT_EQ(db_->GetErrors().Item(0).native_error, 2812);
  EXPECT_EQ(e.description(), "Could not find stored procedure 'dbo.NoSuchProc'.");
}

TEST_F(SqliteOdbc, ClosedConnectionRefusesEveryUse) {
  Run("CREATE TABLE t(id INT PRIMARY KEY, note VARCHAR(5)); INSERT INTO t VALUES (1, 'a')");
  auto rs = OpenTable("t");
  auto command = db_->CreateCommand();
  db_->Close();
  EXPECT_EQ(db_->State(), ado::kStateClosed);
  EXPECT_EQ(LiveHandleCount(), handles_before_);

  std::pair<const char*, std::function<void()>> uses[] = {
      {"Execute", [&] { db_->Execute("SELECT 1"); }},
      {"OpenRecordset",
       [&] { db_->OpenRecordset("t", ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdTable); }},
      {"SetCommandText", [&] { command->SetCommandText("p"); }},
      {"Command::Execute", [&] { command->Execute(); }},
      {"live Update", [&] { rs->SetValue("note", "b"); rs->Update(); }},
      {"Close", [&] { db_->Close(); }},
  };
  for (auto& [name, use] : uses) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FailureOf(use).number(), err::kAdoObjectClosed);
  }
}

// --- Opening ---------------------------------------------------------------------

TEST(SqliteOdbcOpen, FailuresAreExplainedAndLeaveNothingOpen) {
  if (SqliteDriverPath().empty()) GTEST_FAIL() << kNoDriver;
  std::string database = FreshDatabasePath("open");
  struct Case {
    const char* label;
    std::string connection_string;
    const char* text;
  } cases[] = {
      {"driver library missing", "DRIVER=/nonexistent/libnothing.so;Database=" + database,
       "/nonexistent/libnothing.so"},
      {"unknown driver name", "DRIVER={No Such Driver};Database=" + database,
       "No Such Driver"},
      {"database cannot be opened",
       "DRIVER=" + SqliteDriverPath() + ";Database=/nonexistent/dir/x.db", "connect failed"},
  };
  int before = LiveHandleCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    OdbcConnection connection(std::make_unique<TestOnlySqliteDialect>());
    PlatformError e = FailureOf([&] { connection.Open(c.connection_string); });
    EXPECT_EQ(e.number(), err::kAdoConnectionFailed);
    EXPECT_NE(e.description().find(c.text), std::string::npos) << e.description();
    ASSERT_GE(connection.GetErrors().Count(), 1);
    EXPECT_EQ(connection.GetErrors().Item(0).description, e.description());
    EXPECT_EQ(connection.State(), ado::kStateClosed);
    EXPECT_EQ(LiveHandleCount(), before);

    // The same object opens once given a usable string.
    connection.Open(SqliteConnectionString(database));
    EXPECT_EQ(connection.State(), ado::kStateOpen);
    EXPECT_EQ(FailureOf([&] { connection.Open(SqliteConnectionString(database)); }).number(),
              err::kAdoObjectOpen);
  }
  EXPECT_EQ(LiveHandleCount(), before);
}

TEST(SqliteOdbcAttach, TheHostsConnectionIsUsedAndNeverClosed) {
  if (SqliteDriverPath().empty()) GTEST_FAIL() << kNoDriver;
  int before = LiveHandleCount();
  {
    HostConnectionHandle host(SqliteConnectionString(FreshDatabasePath("attach")));
    {
      OdbcConnection first(std::make_unique<TestOnlySqliteDialect>());
      first.Attach(host.handle());
      first.Execute("CREATE TABLE #s(x INT); INSERT INTO #s VALUES (7)");
      first.Close();
      EXPECT_EQ(first.State(), ado::kStateClosed);
    }
    // The session, and its temporary table, outlived the first connection.
    OdbcConnection second(std::make_unique<TestOnlySqliteDialect>());
    second.Attach(host.handle());
    auto rs = second.Execute("SELECT x FROM #s");
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(RenderRecordset(*rs), "x\n7\n");
  }
  EXPECT_EQ(LiveHandleCount(), before);
}

// --- A failure at every ODBC call ---------------------------------------------

// Opens, runs a batch, writes through a live set, queries. Each step makes
// ODBC calls that an injected failure can hit.
void Scenario(OdbcConnection& c, const std::string& database) {
  c.Open(SqliteConnectionString(database));
  c.Execute(
      "CREATE TABLE k(id INT PRIMARY KEY, qty DECIMAL(9,3)); INSERT INTO k VALUES (1, '1.000')",
      nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  auto rs = c.OpenRecordset("k", ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
  rs->AddNew();
  rs->SetValue("id", 2);
  rs->SetValue("qty", "2.5");
  rs->Update();
  rs->MoveFirst();
  rs->SetValue("qty", "5");
  rs->Update();
  rs->Delete();
  auto q = c.Execute("SELECT * FROM k; SELECT COUNT(*) FROM k");
  if (RenderRecordset(*q) != "id|qty\n2|2.500D\n") ADD_FAILURE() << RenderRecordset(*q);
}

TEST(SqliteOdbcFaults, AFailingCallLeavesNoHandleAndNoBusyConnection) {
  if (SqliteDriverPath().empty()) GTEST_FAIL() << kNoDriver;
  bool completed = false;
  int n = 1;
  for (; n <= 500 && !completed; ++n) {
    std::string database = FreshDatabasePath("faults");
    int before = LiveHandleCount();
    {
      OdbcConnection c(std::make_unique<TestOnlySqliteDialect>());
      InjectFailureAt(n);
      try {
        Scenario(c, database);
        completed = !InjectedFailureRaised();
      } catch (const PlatformError& e) {
        EXPECT_TRUE(InjectedFailureRaised()) << "call " << n << ": " << e.description();
        EXPECT_NE(e.description().find("Injected failure"), std::string::npos)
            << "call " << n << ": " << e.description();
        if (c.State() == ado::kStateOpen) {
          EXPECT_EQ(c.GetErrors().Item(0).description, e.description()) << "call " << n;
        }
      }
      InjectFailureAt(0);
      if (c.State() == ado::kStateOpen) {
        auto rs = c.Execute("SELECT 1 AS one");
        EXPECT_TRUE(rs && RenderRecordset(*rs) == "one\n1\n") << "call " << n;
      }
    }
    ASSERT_EQ(LiveHandleCount(), before) << "handles left after a failure at call " << n;
  }
  EXPECT_TRUE(completed) << "the scenario never ran to its end";
  EXPECT_GT(n, 20) << "too few ODBC calls were tried";
}

}  // namespace
}  // namespace zv::odbc
