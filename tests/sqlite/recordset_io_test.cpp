// Record sets from statements and over tables: field metadata, value
// conversion both ways, the decimal storage bound, and live tables whose
// AddNew/Update/Delete reach SQLite.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "data/datetime.h"
#include "data/sqlite/catalog_store.h"
#include "data/sqlite/result_reader.h"
#include "data/sqlite/table_recordset.h"
#include "data/sqlite/value_codec.h"
#include "tests/sqlite/sqlite_fixture.h"

namespace zv::sqlite {
namespace {

using testing::SqliteTest;

TEST(FieldInfoTest, TsqlTypesGetTheProvidersFieldDescriptions) {
  struct Case {
    tsql::SqlType type;
    int ado_type;
    int32_t size;
    int precision;
    int scale;
  };
  const Case cases[] = {
      {{"CHAR", 5}, 129, 5, 255, 255},           {{"VARCHAR", 20}, 200, 20, 255, 255},
      {{"VARCHAR", -1}, 201, 2147483647, 255, 255}, {{"NCHAR", 3}, 130, 3, 255, 255},
      {{"NVARCHAR", 10}, 202, 10, 255, 255},     {{"DECIMAL", 0, 17, 6}, 131, 19, 17, 6},
      {{"NUMERIC", 0, 6, 0}, 131, 19, 6, 0},     {{"INT"}, 3, 4, 10, 0},
      {{"SMALLINT"}, 2, 2, 5, 0},                {{"TINYINT"}, 17, 1, 3, 0},
      {{"BIGINT"}, 20, 8, 19, 0},                {{"BIT"}, 11, 2, 255, 255},
      {{"DATETIME"}, 135, 16, 23, 3},            {{"SMALLDATETIME"}, 135, 16, 16, 0},
      {{"SQL_VARIANT"}, 12, 16, 255, 255},       {{"UNIQUEIDENTIFIER"}, 72, 16, 255, 255},
      {{"VARBINARY", 8}, 204, 8, 255, 255},      {{"FLOAT"}, 5, 8, 15, 255},
      {{"REAL"}, 4, 4, 7, 255},                  {{"MONEY"}, 6, 8, 19, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type.name);
    FieldInfo f = FieldInfoFor("F", c.type, true);
    EXPECT_EQ(f.type, c.ado_type);
    EXPECT_EQ(f.defined_size, c.size);
    EXPECT_EQ(f.precision, c.precision);
    EXPECT_EQ(f.numeric_scale, c.scale);
    EXPECT_TRUE(f.nullable());
  }
  EXPECT_FALSE(FieldInfoFor("F", {"INT"}, false).nullable());
}

// A work table with one column of each kind, known to the catalogue.
class RecordsetIoTest : public SqliteTest {
 protected:
  void SetUp() override {
    db_->Execute(
        "CREATE TEMP TABLE \"#W\"(K INTEGER PRIMARY KEY, C TEXT COLLATE TSQLCI, "
        "Q REAL, N INTEGER, S INTEGER, T INTEGER, B INTEGER, D TEXT, F REAL, "
        "V TEXT COLLATE TSQLCI, X)");
    table_ = {"#W",
              {{"K", {"INT"}, false},
               {"C", {"CHAR", 5}, true},
               {"Q", {"DECIMAL", 0, 17, 6}, true},
               {"N", {"SMALLINT"}, true},
               {"S", {"TINYINT"}, true},
               {"T", {"BIGINT"}, true},
               {"B", {"BIT"}, true},
               {"D", {"DATETIME"}, true},
               {"F", {"FLOAT"}, true},
               {"V", {"VARCHAR", 10}, true},
               {"X", {"SQL_VARIANT"}, true}},
              true};
    db_->catalog().RecordCreateTable(table_);
  }

  void Insert(std::vector<Variant> values) {
    Statement st = db_->Prepare("INSERT INTO temp.\"#W\" VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, "
                                "?8, ?9, ?10, ?11)");
    for (size_t i = 0; i < values.size(); ++i)
      BindAs(st, static_cast<int>(i) + 1, values[i], table_.columns[i].type);
    st.Run();
  }

  std::string Read(const std::string& sql) {
    Statement st = db_->Prepare(sql);
    std::shared_ptr<Recordset> rs = ReadRecordset(st);
    return rs ? RenderRecordset(*rs) : "no result";
  }

  std::string Types(const std::string& sql) {
    Statement st = db_->Prepare(sql);
    std::shared_ptr<Recordset> rs = ReadRecordset(st);
    std::string out;
    for (const FieldInfo& f : rs->Fields())
      out += f.name + ":" + std::to_string(f.type) + "/" + std::to_string(f.defined_size) + " ";
    return out;
  }

  tsql::TableDef table_;
};

TEST_F(RecordsetIoTest, ValuesComeBackInTheirColumnsTypes) {
  Insert({1, "ab", *Decimal::Parse("1.5"), static_cast<int16_t>(-2), static_cast<uint8_t>(200),
          int64_t{5000000000}, true, MakeDate(DateParts{2006, 8, 31, 10, 30, 0, 0}), 0.25,
          "xyz", "free"});
  Insert({2, Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
          Variant::Null(), false, Variant::Null(), Variant::Null(), Variant::Null(), 7});
  EXPECT_EQ(Read("SELECT * FROM temp.\"#W\" ORDER BY K"),
            "K|C|Q|N|S|T|B|D|F|V|X\n"
            "1|\"ab   \"|1.500000D|-2|200|5000000000|True|#2006-08-31 10:30:00#|0.25|\"xyz\"|"
            "\"free\"\n"
            "2|Null|Null|Null|Null|Null|False|Null|Null|Null|7\n");
  Statement st = db_->Prepare("SELECT K, C, Q, N, S FROM temp.\"#W\" ORDER BY K");
  std::shared_ptr<Recordset> rs = ReadRecordset(st);
  EXPECT_EQ(rs->Field(0).type, ado::kInteger);
  EXPECT_FALSE(rs->Field(0).nullable());
  EXPECT_EQ(rs->Field(1).type, ado::kChar);
  EXPECT_EQ(rs->Field(2).precision, 17);
  EXPECT_EQ(rs->Value("S").type(), VarType::kByte);
  EXPECT_EQ(rs->Value("N").type(), VarType::kInteger);
}

TEST_F(RecordsetIoTest, WritesPadRoundAndRejectLikeTheServer) {
  Insert({1, "ab", *Decimal::Parse("2.0000005"), 1, 1, 1, 1, Variant::Null(), 0, "abc   ", 1});
  EXPECT_EQ(Query("SELECT C, Q, V FROM temp.\"#W\""), "'ab   '|2.000001r|'abc   '");
  auto error_of = [&](std::vector<Variant> row) -> std::string {
    try {
      Insert(std::move(row));
    } catch (const DatabaseError& e) {
      return e.error().sql_state + "/" + std::to_string(e.error().native_error);
    }
    return "none";
  };
  Variant n = Variant::Null();
  EXPECT_EQ(error_of({2, "abcdef", n, n, n, n, n, n, n, n, n}), "22001/8152");
  EXPECT_EQ(error_of({3, "abc     ", n, n, n, n, n, n, n, n, n}), "none");
  EXPECT_EQ(error_of({4, n, *Decimal::Parse("123456789012.5"), n, n, n, n, n, n, n, n}),
            "22003/8115");
  EXPECT_EQ(error_of({5, n, n, 40000, n, n, n, n, n, n, n}), "22003/8115");
  EXPECT_EQ(error_of({6, n, n, n, n, n, n, "not a date", n, n, n}), "22007/241");
}

TEST_F(RecordsetIoTest, UnknownColumnsAreTypedFromTheirValues) {
  EXPECT_EQ(Types("SELECT 1 AS a, 2.5 AS b, 'xyz' AS c, NULL AS d, 5000000000 AS e"),
            "a:3/4 b:5/8 c:200/3 d:3/4 e:20/8 ");
  EXPECT_EQ(Types("SELECT 1 AS a, 2 AS a, C AS c FROM temp.\"#W\""), "a:3/4 a1:3/4 c:129/5 ");
  EXPECT_EQ(Read("SELECT 1 AS a, 'x' AS a UNION ALL SELECT 2.5, 3"),
            "a|a1\n1|\"x\"\n2.5|3\n");
  std::vector<ResultColumn> given = {{"Qty", tsql::SqlType{"DECIMAL", 0, 10, 2}, false}};
  Statement st = db_->Prepare("SELECT 1.005");
  std::shared_ptr<Recordset> rs = ReadRecordset(st, given);
  EXPECT_EQ(RenderRecordset(*rs), "Qty\n1.01D\n");
  EXPECT_FALSE(rs->Field(0).nullable());
}

TEST_F(RecordsetIoTest, StatementsWithoutColumnsGiveNoRecordset) {
  EXPECT_EQ(Read("DELETE FROM temp.\"#W\""), "no result");
  EXPECT_EQ(Read("SELECT * FROM temp.\"#W\""), "K|C|Q|N|S|T|B|D|F|V|X\n");
}

TEST(DecimalStorageTest, UpToFifteenSignificantDigitsRoundTripExactly) {
  rc::check([] {
    int scale = *rc::gen::inRange(0, 7);
    int64_t digits = *rc::gen::inRange<int64_t>(-999999999999999, 1000000000000000);
    Decimal d = Decimal::FromParts(0, static_cast<uint64_t>(digits < 0 ? -digits : digits),
                                   scale, digits < 0);
    tsql::SqlType type{"DECIMAL", 0, 28, scale};
    Variant back = FromStorage(ToStorage(d, type), type);
    RC_ASSERT(back.ToDecimal() == d);
    RC_ASSERT(back.ToDecimal().scale() == scale);
  });
  // Beyond that the REAL cannot tell neighbouring values apart.
  tsql::SqlType type{"DECIMAL", 0, 17, 6};
  Decimal wide = *Decimal::Parse("12345678901.123456");
  EXPECT_NE(FromStorage(ToStorage(wide, type), type).ToDecimal(), wide);
}

// --- Live tables -------------------------------------------------------------------

class LiveTableTest : public RecordsetIoTest {
 protected:
  std::shared_ptr<Recordset> Open() { return OpenTableRecordset(db_, "#W"); }
  void AddRow(Recordset& rs, int k, const char* c, const char* q) {
    rs.AddNew();
    rs.SetValue("K", k);
    rs.SetValue("C", c);
    rs.SetValue("Q", *Decimal::Parse(q));
    rs.Update();
  }
};

TEST_F(LiveTableTest, AddNewUpdateAndDeleteReachTheTable) {
  std::shared_ptr<Recordset> rs = Open();
  EXPECT_EQ(rs->cursor_type, ado::kOpenKeyset);
  AddRow(*rs, 2, "b", "2.5");
  AddRow(*rs, 1, "a", "1.25");
  AddRow(*rs, 3, "c", "3");
  EXPECT_EQ(Query("SELECT K, C, Q FROM temp.\"#W\" ORDER BY K"),
            "1|'a    '|1.25r\n2|'b    '|2.5r\n3|'c    '|3r");

  // Reopened: primary-key order, padded CHAR, decimals at their scale.
  rs = Open();
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_EQ(rs->Value("C").ToString(), "a    ");
  EXPECT_EQ(rs->Value("Q").Debug(), "1.250000D");
  rs->MoveNext();
  rs->SetValue("Q", *Decimal::Parse("9.1234567"));
  rs->Update();
  rs->MoveNext();
  rs->Delete();
  EXPECT_EQ(Query("SELECT K, Q FROM temp.\"#W\" ORDER BY K"), "1|1.25r\n2|9.123457r");
}

TEST_F(LiveTableTest, FailedWritesLeaveTheRecordsetAsItWas) {
  std::shared_ptr<Recordset> rs = Open();
  AddRow(*rs, 1, "a", "1");
  rs->AddNew();
  rs->SetValue("K", 1);
  EXPECT_THROW(rs->Update(), DatabaseError);
  rs->CancelUpdate();
  EXPECT_EQ(rs->RecordCount(), 1);

  // A row deleted behind the record set's back cannot be updated.
  db_->Execute("DELETE FROM temp.\"#W\"");
  rs->MoveFirst();
  rs->SetValue("C", "z");
  try {
    rs->Update();
    FAIL() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kAdoRowChanged);
  }
}

TEST_F(LiveTableTest, BulkWritesAreCommittedBeforeAnythingElseRuns) {
  std::shared_ptr<Recordset> rs = Open();
  for (int k = 1; k <= 100; ++k) AddRow(*rs, k, "x", "0.5");
  // The rows survive a transaction the caller starts and rolls back.
  db_->Begin();
  db_->Execute("DELETE FROM temp.\"#W\"");
  db_->Rollback();
  EXPECT_EQ(Query("SELECT count(*), tsql_sum(Q) FROM temp.\"#W\""), "100|50r");
  // Inside the caller's transaction the writes are the caller's.
  db_->Begin();
  AddRow(*rs, 101, "y", "1");
  db_->Rollback();
  EXPECT_EQ(Query("SELECT count(*) FROM temp.\"#W\""), "100");
}

TEST_F(LiveTableTest, TablesOutsideTheCatalogueAndMissingTables) {
  db_->Execute("CREATE TABLE plain(id INTEGER, name TEXT, amount REAL)");
  std::shared_ptr<Recordset> rs = OpenTableRecordset(db_, "dbo.plain");
  EXPECT_EQ(rs->Field(0).type, ado::kBigInt);
  EXPECT_EQ(rs->Field(1).type, ado::kLongVarChar);
  EXPECT_EQ(rs->Field(2).type, ado::kDouble);
  rs->AddNew();
  rs->SetValue("name", "n");
  rs->Update();
  EXPECT_EQ(Query("SELECT id, name, amount FROM plain"), "NULL|'n'|NULL");
  try {
    OpenTableRecordset(db_, "#nope");
    FAIL() << "no error";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.error().native_error, 208);
  }
}

TEST_F(LiveTableTest, WritesAfterTheDatabaseIsGoneFailCleanly) {
  std::shared_ptr<Recordset> rs = Open();
  db_.reset();
  rs->AddNew();
  rs->SetValue("K", 1);
  try {
    rs->Update();
    FAIL() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kAdoObjectClosed);
  }
}

// A load long enough to fill many pages of the set's rows, with a row that
// fails and a row that names fewer columns in the middle of it; the loaded
// rows are then edited and deleted through the same set.
TEST_F(LiveTableTest, LoadedRowsStayEditableThroughTheSameSet) {
  constexpr int kRows = 50'000;
  std::shared_ptr<Recordset> rs = Open();
  for (int k = 1; k <= kRows; ++k) {
    if (k == 20'000) {
      // A duplicate key fails on its own row; the load goes on after it.
      rs->AddNew();
      rs->SetValue("K", 7);
      EXPECT_THROW(rs->Update(), DatabaseError);
      rs->CancelUpdate();
    }
    if (k == 30'000) {
      // X left Empty is not named: another INSERT, then the usual one again.
      rs->AddNew();
      rs->SetValue("K", k);
      rs->SetValue("X", Variant());
      rs->Update();
      continue;
    }
    AddRow(*rs, k, k % 2 != 0 ? "odd" : "even", "1.5");
  }
  EXPECT_EQ(rs->RecordCount(), kRows);
  EXPECT_EQ(Query("SELECT count(*), count(C), tsql_sum(Q) FROM temp.\"#W\""),
            "50000|49999|74998.5r");
  EXPECT_EQ(Query("SELECT C, Q FROM temp.\"#W\" WHERE K IN (3, 50000) ORDER BY K"),
            "'odd  '|1.5r\n'even '|1.5r");

  rs->MoveFirst();
  rs->SetValue("Q", *Decimal::Parse("2.25"));
  rs->Update();
  rs->SetAbsolutePosition(30'000);
  EXPECT_TRUE(rs->Value("C").IsNull());
  rs->SetValue("C", "late");
  rs->Update();
  rs->MoveLast();
  rs->Delete();
  rs->MoveLast();
  EXPECT_EQ(rs->Value("K").ToLong(), kRows - 1);
  EXPECT_EQ(Query("SELECT K, C, Q FROM temp.\"#W\" WHERE K IN (1, 30000) ORDER BY K"),
            "1|'odd  '|2.25r\n30000|'late '|NULL");
  EXPECT_EQ(Query("SELECT count(*), max(K) FROM temp.\"#W\""), "49999|49999");
  rs = Open();
  EXPECT_EQ(rs->RecordCount(), kRows - 1);
}

// The set keeps its INSERT prepared from row to row; the database releases
// it when it closes first, committing what was loaded.
TEST_F(LiveTableTest, TheDatabaseMayCloseWhileTheSetKeepsItsInsert) {
  const std::filesystem::path dir = testing::TempDir("kept_insert");
  const std::string file = (dir / "load.db").string();
  db_ = Database::Open(file);
  db_->Execute("CREATE TABLE W (K INTEGER PRIMARY KEY, C TEXT)");
  std::shared_ptr<Recordset> rs = OpenTableRecordset(db_, "W");
  for (int k = 1; k <= 3; ++k) {
    rs->AddNew();
    rs->SetValue("K", k);
    rs->SetValue("C", "c" + std::to_string(k));
    rs->Update();
  }
  db_.reset();
  rs->AddNew();
  rs->SetValue("K", 4);
  try {
    rs->Update();
    FAIL() << "no error";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kAdoObjectClosed);
  }
  rs->CancelUpdate();
  EXPECT_EQ(rs->RecordCount(), 3);
  rs.reset();
  db_ = Database::Open(file);
  EXPECT_EQ(Query("SELECT group_concat(C) FROM W"), "'c1,c2,c3'");
  db_.reset();
  std::filesystem::remove_all(dir);
}

TEST_F(LiveTableTest, KeptStatementsLastUntilReleased) {
  const uint64_t key = db_->Keep("SELECT 41 + 1");
  ASSERT_NE(key, 0u);
  Statement* st = db_->Kept(key);
  ASSERT_NE(st, nullptr);
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(st->Step());
    EXPECT_EQ(st->ColumnInt64(0), 42);
    st->Reset();
  }
  // The same text prepared meanwhile is another statement.
  EXPECT_EQ(Query("SELECT 41 + 1"), "42");
  EXPECT_EQ(db_->Kept(key), st);
  db_->Unkeep(key);
  EXPECT_EQ(db_->Kept(key), nullptr);
  EXPECT_EQ(db_->Kept(0), nullptr);
  db_->Unkeep(key);  // releasing twice is harmless
}

// A connection the engine adopted keeps nothing prepared between uses, so a
// load through a set leaves no statement open on the owner's handle.
TEST(AdoptedLoadTest, NothingStaysPreparedOnTheOwnersHandle) {
  sqlite3* handle = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &handle), SQLITE_OK);
  {
    std::shared_ptr<Database> db = Database::Adopt(handle);
    EXPECT_EQ(db->Keep("SELECT 1"), 0u);
    db->Execute("CREATE TABLE W (K INTEGER PRIMARY KEY, C TEXT)");
    std::shared_ptr<Recordset> rs = OpenTableRecordset(db, "W");
    for (int k = 1; k <= 3; ++k) {
      rs->AddNew();
      rs->SetValue("K", k);
      rs->Update();
    }
    EXPECT_EQ(sqlite3_next_stmt(handle, nullptr), nullptr);
  }
  EXPECT_EQ(sqlite3_close(handle), SQLITE_OK);
}

}  // namespace
}  // namespace zv::sqlite
