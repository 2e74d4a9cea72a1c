// The runtime's connection: error translation, the statement cache,
// parameters, transactions and the catalogue shared through the file.
#include <gtest/gtest.h>

#include "data/datetime.h"
#include "data/sqlite/catalog_store.h"
#include "tests/sqlite/sqlite_fixture.h"

namespace zv::sqlite {
namespace {

using testing::SqliteTest;

class DatabaseTest : public SqliteTest {
 protected:
  void SetUp() override {
    db_->Execute("CREATE TABLE p(a INTEGER PRIMARY KEY, b TEXT NOT NULL, "
                 "c INTEGER CHECK (c > 0));"
                 "INSERT INTO p VALUES(1, 'x', 1);");
  }
};

TEST_F(DatabaseTest, SqliteFailuresBecomeTsqlErrors) {
  struct Case {
    const char* sql;
    const char* error;
  };
  const Case cases[] = {
      {"INSERT INTO p VALUES(1, 'y', 1)",
       "23000/2627: Violation of PRIMARY KEY constraint 'PK_p'. Cannot insert duplicate "
       "key in object 'dbo.p'."},
      {"INSERT INTO p VALUES(2, NULL, 1)",
       "23000/515: Cannot insert the value NULL into column 'b', table 'p'; column does "
       "not allow nulls. INSERT fails."},
      {"UPDATE p SET b = NULL",
       "23000/515: Cannot insert the value NULL into column 'b', table 'p'; column does "
       "not allow nulls. UPDATE fails."},
      {"INSERT INTO p VALUES(3, 'z', 0)",
       "23000/547: The INSERT statement conflicted with the CHECK constraint \"c > 0\"."},
      {"SELECT * FROM nope", "42S02/208: Invalid object name 'nope'."},
      {"SELECT * FROM temp.\"#nope\"", "42S02/208: Invalid object name '#nope'."},
      {"SELECT nope FROM p", "42S22/207: Invalid column name 'nope'."},
      {"SELEC 1", "42000/102: Incorrect syntax near 'SELEC'."},
      {"SELECT nofunc(1)", "42000/195: 'nofunc' is not a recognized built-in function name."},
      {"CREATE TABLE p(a)", "42S01/2714: There is already an object named 'p' in the database."},
      {"SELECT tsql_to_int(b) FROM p",
       "22018/245: Conversion failed when converting the varchar value 'x' to data type int."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(ErrorOf(c.sql), c.error);
  }
}

TEST_F(DatabaseTest, ErrorsCarryTheProviderNumberAndStayAsLastError) {
  try {
    db_->Execute("INSERT INTO p VALUES(1, 'y', 1)");
    FAIL() << "no error";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.number(), err::kAdoIntegrityViolation);
    EXPECT_EQ(db_->last_error().native_error, 2627);
  }
  try {
    db_->Prepare("SELECT * FROM nope");
    FAIL() << "no error";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.number(), err::kAdoCommandError);
    EXPECT_EQ(db_->last_error().sql_state, "42S02");
  }
}

TEST_F(DatabaseTest, FunctionErrorDoesNotLeakIntoTheNextFailure) {
  EXPECT_EQ(ErrorOf("SELECT tsql_div_int(1, 0)").substr(0, 10), "22012/8134");
  EXPECT_EQ(ErrorOf("INSERT INTO p VALUES(1, 'y', 1)").substr(0, 10), "23000/2627");
}

TEST_F(DatabaseTest, ExecuteRunsEveryStatementUpToTheFailingOne) {
  EXPECT_EQ(ErrorOf("INSERT INTO p VALUES(5, 'a', 1); INSERT INTO p VALUES(5, 'b', 1); "
                    "INSERT INTO p VALUES(6, 'c', 1)")
                .substr(0, 10),
            "23000/2627");
  EXPECT_EQ(Query("SELECT a FROM p ORDER BY a"), "1\n5");
}

TEST_F(DatabaseTest, PreparedStatementsAreCachedAndReentrant) {
  size_t before = db_->CachedStatementCount();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Query("SELECT b FROM p WHERE a = 1"), "'x'");
  EXPECT_EQ(db_->CachedStatementCount(), before + 1);
  // The same text prepared while its cached statement is running gets a
  // statement of its own.
  db_->Execute("INSERT INTO p VALUES(2, 'y', 1)");
  Statement outer = db_->Prepare("SELECT a FROM p ORDER BY a");
  ASSERT_TRUE(outer.Step());
  {
    Statement inner = db_->Prepare("SELECT a FROM p ORDER BY a");
    ASSERT_TRUE(inner.Step());
    ASSERT_TRUE(inner.Step());
    EXPECT_EQ(inner.ColumnInt64(0), 2);
  }
  EXPECT_EQ(outer.ColumnInt64(0), 1);
}

TEST_F(DatabaseTest, CacheStaysBounded) {
  for (int i = 0; i < 700; ++i) Query("SELECT " + std::to_string(i));
  EXPECT_LE(db_->CachedStatementCount(), Database::kStatementCacheCapacity);
}

TEST_F(DatabaseTest, PrepareTakesExactlyOneStatement) {
  EXPECT_EQ(Query("SELECT 1; -- a comment"), "1");
  EXPECT_THROW(db_->Prepare("SELECT 1; SELECT 2"), PlatformError);
  EXPECT_THROW(db_->Prepare("  "), PlatformError);
}

TEST_F(DatabaseTest, ParametersBindLibraryValues) {
  Statement st = db_->Prepare("SELECT ?1, ?2, ?3, ?4, ?5, ?6, typeof(?7), @qty");
  st.Bind(1, true);
  st.Bind(2, *Decimal::Parse("1.25"));
  st.Bind(3, MakeDate(DateParts{2006, 8, 31, 10, 0, 0, 1}));
  st.Bind(4, "text");
  st.Bind(5, Variant::Null());
  st.Bind(6, static_cast<int16_t>(-3));
  st.Bind(7, Variant());
  EXPECT_EQ(st.ParameterIndex("@qty"), 8);
  st.Bind(8, 7);
  ASSERT_TRUE(st.Step());
  std::string row;
  for (int i = 0; i < st.ColumnCount(); ++i) row += Render(st, i) + " ";
  EXPECT_EQ(row, "1 1.25r '2006-08-31 10:00:00.000' 'text' NULL -3 'null' 7 ");
  EXPECT_THROW(st.Bind(1, MakeArray({1, 2})), PlatformError);
}

TEST_F(DatabaseTest, TransactionsAndSavepoints) {
  db_->Begin();
  EXPECT_TRUE(db_->InTransaction());
  db_->Execute("INSERT INTO p VALUES(2, 'y', 1)");
  db_->Savepoint("s1");
  db_->Execute("INSERT INTO p VALUES(3, 'z', 1)");
  db_->RollbackToSavepoint("s1");
  db_->ReleaseSavepoint("s1");
  EXPECT_EQ(Query("SELECT count(*) FROM p"), "2");
  db_->Rollback();
  EXPECT_FALSE(db_->InTransaction());
  EXPECT_EQ(Query("SELECT count(*) FROM p"), "1");
  EXPECT_THROW(db_->Commit(), DatabaseError);
}

TEST_F(DatabaseTest, TableExistsSeparatesTemporaryTables) {
  db_->Execute("CREATE TEMP TABLE \"#w\"(a)");
  EXPECT_TRUE(db_->TableExists("#W"));
  EXPECT_TRUE(db_->TableExists("tempdb..#w"));
  EXPECT_FALSE(db_->TableExists("w"));
  EXPECT_TRUE(db_->TableExists("dbo.P"));
  EXPECT_TRUE(db_->TableExists("[dbo].[p]"));
}

TEST(ObjectNameTest, NamesAreReducedToWhatIsStored) {
  struct Case {
    const char* in;
    const char* name;
    bool temporary;
  };
  const Case cases[] = {{"DO30_DOCCORPO", "DO30_DOCCORPO", false},
                        {"dbo.DO30_DOCCORPO", "DO30_DOCCORPO", false},
                        {"[dbo].[DO30 X]", "DO30 X", false},
                        {"\"T\"", "T", false},
                        {"tempdb..#TabellaOrdini", "#TabellaOrdini", true},
                        {"tempdb.dbo.#T", "#T", true},
                        {"##Global", "##Global", true},
                        {"[a.b]", "a.b", false}};
  for (const Case& c : cases) {
    ObjectName o = NormalizeObjectName(c.in);
    EXPECT_EQ(o.name, c.name) << c.in;
    EXPECT_EQ(o.temporary, c.temporary) << c.in;
  }
}

// --- The catalogue shared through the file -----------------------------------

tsql::TableDef OrdersTable() {
  return {"DO30_DOCCORPO",
          {{"DO30_NUMREG_CO99", {"CHAR", 12}, false},
           {"DO30_PROGRIGA", {"DECIMAL", 0, 6, 0}, false},
           {"DO30_QTA1", {"DECIMAL", 0, 17, 6}, true}},
          false};
}

tsql::RoutineDef Procedure() {
  return {"dbo.SPVESTARO_ACCORPA",
          "P",
          {{"@Ditta", {"INT"}, false, false, ""},
           {"@Tabella", {"VARCHAR", 128}, false, true, "''"},
           {"@Esito", {"INT"}, true, false, ""}},
          "CREATE PROCEDURE dbo.SPVESTARO_ACCORPA @Ditta INT AS SELECT 1"};
}

class CatalogFileTest : public ::testing::Test {
 protected:
  CatalogFileTest() : dir_(testing::TempDir("catalog")) {}
  ~CatalogFileTest() override { std::filesystem::remove_all(dir_); }
  std::string File() const { return (dir_ / "erp.db").string(); }
  std::filesystem::path dir_;
};

TEST_F(CatalogFileTest, EveryConnectionToTheFileSeesTheSameCatalogue) {
  auto a = Database::Open(File());
  auto b = Database::Open(File());
  uint64_t b_version = b->catalog().version();
  EXPECT_FALSE(b->catalog().FindTable("DO30_DOCCORPO").has_value());

  a->Execute("CREATE TABLE \"DO30_DOCCORPO\"(\"DO30_NUMREG_CO99\" TEXT COLLATE TSQLCI, "
             "\"DO30_PROGRIGA\" REAL, \"DO30_QTA1\" REAL)");
  a->catalog().RecordCreateTable(OrdersTable());
  a->catalog().RecordRoutine(Procedure());
  EXPECT_NE(b->catalog().version(), b_version);

  std::optional<tsql::TableDef> t = b->catalog().FindTable("dbo.do30_doccorpo");
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->name, "DO30_DOCCORPO");
  ASSERT_EQ(t->columns.size(), 3u);
  const tsql::TableDef orders = OrdersTable();
  for (size_t i = 0; i < 3; ++i) {
    const tsql::ColumnDef& want = orders.columns[i];
    EXPECT_EQ(t->columns[i].name, want.name);
    EXPECT_EQ(t->columns[i].type, want.type);
    EXPECT_EQ(t->columns[i].nullable, want.nullable);
  }
  std::optional<tsql::RoutineDef> r = b->catalog().FindRoutine("spvestaro_accorpa");
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->name, "SPVESTARO_ACCORPA");
  EXPECT_EQ(r->kind, "P");
  ASSERT_EQ(r->params.size(), 3u);
  EXPECT_EQ(r->params[1].name, "@Tabella");
  EXPECT_EQ(r->params[1].type, (tsql::SqlType{"VARCHAR", 128}));
  EXPECT_TRUE(r->params[1].has_default);
  EXPECT_EQ(r->params[1].default_text, "''");
  EXPECT_TRUE(r->params[2].output);
  EXPECT_EQ(r->definition, Procedure().definition);

  // Still there for a connection opened later.
  a.reset();
  b.reset();
  auto c = Database::Open(File());
  EXPECT_TRUE(c->catalog().FindRoutine("SPVESTARO_ACCORPA").has_value());
  EXPECT_EQ(c->catalog().FindTable("DO30_DOCCORPO")->columns.size(), 3u);
}

TEST_F(CatalogFileTest, TemporaryTablesArePrivateToTheirConnection) {
  auto a = Database::Open(File());
  auto b = Database::Open(File());
  a->Execute("CREATE TEMP TABLE \"#Ordini\"(k TEXT COLLATE TSQLCI)");
  uint64_t v = a->catalog().version();
  a->catalog().RecordCreateTable({"#Ordini", {{"K", {"CHAR", 3}, true}}, true});
  EXPECT_NE(a->catalog().version(), v);
  EXPECT_TRUE(a->catalog().FindTable("tempdb..#ORDINI").has_value());
  EXPECT_FALSE(b->catalog().FindTable("#Ordini").has_value());
  EXPECT_FALSE(a->catalog().FindTable("Ordini").has_value());
}

TEST_F(CatalogFileTest, ChangesFollowDdlAndTransactions) {
  auto db = Database::Open(File());
  CatalogStore& cat = db->catalog();
  db->Execute("CREATE TABLE \"DO30_DOCCORPO\"(a, b, c, d)");
  cat.RecordCreateTable(OrdersTable());
  tsql::ColumnDef added{"DO30_NOTE", {"VARCHAR", 50}, true};
  cat.RecordAddColumns("DO30_DOCCORPO", {&added, 1});
  ASSERT_EQ(cat.FindTable("DO30_DOCCORPO")->columns.size(), 4u);
  EXPECT_EQ(cat.FindTable("DO30_DOCCORPO")->columns[3].name, "DO30_NOTE");

  // A rolled-back change leaves the catalogue as it was.
  db->Begin();
  cat.RecordDropTable("DO30_DOCCORPO");
  EXPECT_FALSE(cat.FindTable("DO30_DOCCORPO").has_value());
  db->Rollback();
  EXPECT_TRUE(cat.FindTable("DO30_DOCCORPO").has_value());

  // A table dropped behind the catalogue's back is not found either.
  db->Execute("DROP TABLE \"DO30_DOCCORPO\"");
  EXPECT_FALSE(cat.FindTable("DO30_DOCCORPO").has_value());

  cat.RecordRoutine(Procedure());
  cat.RecordDropRoutine("SPVESTARO_ACCORPA");
  EXPECT_FALSE(cat.FindRoutine("SPVESTARO_ACCORPA").has_value());
}

}  // namespace
}  // namespace zv::sqlite
