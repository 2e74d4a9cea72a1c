// Queries, data changes, SQL Server semantics, errors and record sets of
// the embedded engine, on a small table of articles.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "data/error.h"
#include "tests/engine/engine_fixture.h"

namespace zv::sqlite {
namespace {

using testing::EngineTest;

struct Case {
  const char* sql;
  const char* expected;
};

class EngineQueryTest : public EngineTest {
 protected:
  void SetUp() override {
    Run("CREATE TABLE ART (COD CHAR(5) NOT NULL, DES VARCHAR(20) NULL, QTA DECIMAL(10,3) NULL, "
        "GRP INT NULL)");
    Run("INSERT INTO ART VALUES ('A1', 'Jacket', 1.5, 1), ('a2', 'Coat', 2.25, 1), "
        "('B1', 'Shirt & <tie>', NULL, 2), ('B2', 'Trousers', 4, NULL)");
    Run("CREATE TABLE GRP (ID INT, NAME VARCHAR(10)); "
        "INSERT INTO GRP VALUES (1, 'Outer'), (2, 'Shirts'), (3, 'Empty')");
  }

  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.sql);
      EXPECT_EQ(Rows(c.sql), c.expected);
    }
  }
};

TEST_P(EngineQueryTest, SelectConstructs) {
  Check({
      {"SELECT TOP 2 COD FROM ART ORDER BY COD", "COD\n\"A1   \"\n\"a2   \"\n"},
      {"SELECT DISTINCT GRP FROM ART ORDER BY GRP DESC", "GRP\n2\n1\nNull\n"},
      {"SELECT A.COD, G.NAME FROM ART AS A INNER JOIN GRP AS G ON G.ID = A.GRP ORDER BY A.COD",
       "COD|NAME\n\"A1   \"|\"Outer\"\n\"a2   \"|\"Outer\"\n\"B1   \"|\"Shirts\"\n"},
      {"SELECT G.NAME, A.COD FROM GRP AS G LEFT OUTER JOIN ART AS A ON A.GRP = G.ID "
       "WHERE G.ID > 1 ORDER BY G.ID",
       "NAME|COD\n\"Shirts\"|\"B1   \"\n\"Empty\"|Null\n"},
      {"SELECT COUNT(*) AS N FROM ART CROSS JOIN GRP", "N\n12\n"},
      {";WITH C AS (SELECT GRP, COUNT(*) AS N FROM ART GROUP BY GRP) "
       "SELECT * FROM C WHERE GRP IS NOT NULL ORDER BY GRP",
       "GRP|N\n1|2\n2|1\n"},
      {"SELECT X FROM (SELECT 1 AS X UNION SELECT 1 UNION ALL SELECT 2) AS U ORDER BY X",
       "X\n1\n2\n"},
      {"SELECT GRP, SUM(QTA) AS S FROM ART GROUP BY GRP HAVING COUNT(*) > 1", "GRP|S\n1|3.750D\n"},
      {"SELECT NAME FROM GRP WHERE EXISTS (SELECT 1 FROM ART WHERE ART.GRP = GRP.ID) ORDER BY "
       "NAME",
       "NAME\n\"Outer\"\n\"Shirts\"\n"},
      {"SELECT COD FROM ART WHERE GRP IN (SELECT ID FROM GRP WHERE NAME = 'SHIRTS')",
       "COD\n\"B1   \"\n"},
      {"SELECT (SELECT MAX(QTA) FROM ART) AS M", "M\n4.000D\n"},
      {"SELECT STUFF((SELECT ',' + RTRIM(DES) FROM ART WHERE GRP = 2 OR GRP IS NULL ORDER BY "
       "COD FOR XML PATH('')), 1, 1, '') AS L",
       "L\n\"Shirt &amp; &lt;tie&gt;,Trousers\"\n"},
      {"SELECT COD, ROW_NUMBER() OVER (PARTITION BY GRP ORDER BY COD) AS R FROM ART "
       "WHERE GRP IS NOT NULL ORDER BY COD",
       "COD|R\n\"A1   \"|1\n\"a2   \"|2\n\"B1   \"|1\n"},
      {"SELECT COD, ROW_NUMBER() OVER (ORDER BY (SELECT NULL)) AS R FROM ART WHERE COD = 'B2'",
       "COD|R\n\"B2   \"|1\n"},
      {"SELECT COD FROM ART WITH (NOLOCK) WHERE DES COLLATE DATABASE_DEFAULT = 'COAT'",
       "COD\n\"a2   \"\n"},
      {"SELECT ISNULL(QTA, 0) AS Q, COALESCE(NULL, GRP, -1) AS G, NULLIF(GRP, 1) AS N FROM ART "
       "WHERE COD = 'B1' OR COD = 'A1' ORDER BY COD",
       "Q|G|N\n1.500D|1|Null\n0.000D|2|2\n"},
      {"SELECT CONVERT(VARCHAR(10), CAST('2024-03-05' AS DATETIME), 103) AS D, "
       "DATEADD(month, 1, CAST('2024-01-31' AS DATETIME)) AS E, "
       "DATEDIFF(day, '2024-01-01', '2024-03-01') AS F",
       "D|E|F\n\"05/03/2024\"|#2024-02-29 00:00:00#|60\n"},
      {"SELECT LEFT(DES, 3) AS L, RIGHT(RTRIM(COD), 1) AS R, UPPER(DES) AS U, "
       "CHARINDEX('c', DES) AS C, REPLACE(DES, 'ACK', 'ig') AS P, REPLICATE('-', 2) AS D, "
       "SUBSTRING(DES, 2, 3) AS S FROM ART WHERE COD = 'A1'",
       "L|R|U|C|P|D|S\n\"Jac\"|\"1\"|\"JACKET\"|3|\"Jiget\"|\"--\"|\"ack\"\n"},
      {"SELECT ROUND(2.345, 2) AS R, FLOOR(-1.5) AS F, CEILING(1.2) AS C, SIGN(-3) AS S, "
       "ABS(-2) AS A",
       "R|F|C|S|A\n2.350D|-2D|2D|-1|2\n"},
  });
}

TEST_P(EngineQueryTest, SqlServerSemantics) {
  Check({
      {"SELECT CASE WHEN 'abc' = 'ABC  ' THEN 1 ELSE 0 END AS E, "
       "CASE WHEN 'abc' <> 'ABD' THEN 1 ELSE 0 END AS N",
       "E|N\n1|1\n"},
      {"SELECT '[' + CAST('ab' AS CHAR(5)) + ']' AS P, LEN('ab   ') AS L", "P|L\n\"[ab   ]\"|2\n"},
      {"SELECT '1' + 1 AS N, 'a' + NULL AS S, 1 + NULL AS I", "N|S|I\n2|Null|Null\n"},
      {"SELECT COUNT(*) AS N FROM ART WHERE COD LIKE '[^b]%'", "N\n2\n"},
      {"SELECT CASE WHEN 'B1' LIKE '[A-B]_' THEN 1 ELSE 0 END AS L, "
       "CASE WHEN 'x_y' LIKE 'x[_]y' THEN 1 ELSE 0 END AS E",
       "L|E\n1|1\n"},
      {"SELECT 7 / 2 AS Q, -7 / 2 AS R, 7 % 3 AS M, 7.0 / 2 AS D", "Q|R|M|D\n3|-3|1|3.500000000000D\n"},
      // Aggregates skip NULLs; over no rows SUM is NULL and COUNT 0.
      {"SELECT SUM(QTA) AS S, AVG(QTA) AS A, COUNT(QTA) AS C, COUNT(*) AS N, MIN(QTA) AS MI, "
       "MAX(QTA) AS MX FROM ART",
       "S|A|C|N|MI|MX\n7.750D|2.583333D|3|4|1.500D|4.000D\n"},
      {"SELECT SUM(QTA) AS S, COUNT(*) AS N FROM ART WHERE 1 = 0", "S|N\nNull|0\n"},
      {"SELECT CAST(0.1 AS DECIMAL(18,2)) + CAST(0.2 AS DECIMAL(18,2)) AS S", "S\n0.30D\n"},
  });
}

// DECIMAL values are exact up to 15 significant digits (counted at the
// column's scale), and beyond that while the unscaled value stays below 2^52.
TEST_P(EngineQueryTest, DecimalsAreExactToFifteenDigits) {
  struct Exact {
    const char* type;
    const char* value;
  };
  const Exact cases[] = {
      {"DECIMAL(15,3)", "999999999999.999"},  {"DECIMAL(15,3)", "-123456789012.345"},
      {"DECIMAL(15,15)", "0.123456789012345"}, {"DECIMAL(15,0)", "123456789012345"},
      {"DECIMAL(15,2)", "0.01"},               {"DECIMAL(17,6)", "4503599627.370495"},
      {"NUMERIC(14,3)", "99999999999.999"},
  };
  for (const Exact& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.value);
    std::string expected = std::string("V\n") + c.value + "D\n";
    EXPECT_EQ(Rows(std::string("SELECT CAST(") + c.value + " AS " + c.type + ") AS V"), expected);
    Run(std::string("CREATE TABLE #D (V ") + c.type + "); INSERT INTO #D VALUES (" + c.value + ")");
    EXPECT_EQ(Rows("SELECT V FROM #D"), expected);
    EXPECT_EQ(Rows("SELECT V FROM #D WHERE V = " + std::string(c.value)), expected);
    Run("DROP TABLE #D");
  }
  // Sums of 15-digit amounts stay exact.
  Run("CREATE TABLE AMT (V DECIMAL(15,2)); "
      "INSERT INTO AMT VALUES (9999999999999.99), (0.01), (0.01), (-0.02)");
  EXPECT_EQ(Rows("SELECT SUM(V) AS S FROM AMT"), "S\n9999999999999.99D\n");
}

TEST_P(EngineQueryTest, DataChangesAndDefinitions) {
  Check({
      {"INSERT INTO GRP (ID, NAME) SELECT GRP + 10, LEFT(DES, 5) FROM ART WHERE GRP = 2; "
       "SELECT * FROM GRP WHERE ID > 10",
       "ID|NAME\n12|\"Shirt\"\n"},
      {"UPDATE A SET QTA = A.QTA * 2 FROM ART AS A INNER JOIN GRP AS G ON G.ID = A.GRP "
       "WHERE G.NAME = 'outer'; SELECT COD, QTA FROM ART WHERE GRP = 1 ORDER BY COD",
       "COD|QTA\n\"A1   \"|3.000D\n\"a2   \"|4.500D\n"},
      {"DELETE FROM GRP WHERE ID NOT IN (SELECT GRP FROM ART WHERE GRP IS NOT NULL); "
       "SELECT ID FROM GRP ORDER BY ID",
       "ID\n1\n2\n"},
      {"ALTER TABLE GRP ADD NOTE NVARCHAR(30) NULL; UPDATE GRP SET NOTE = N'ok' WHERE ID = 1; "
       "SELECT * FROM GRP ORDER BY ID",
       "ID|NAME|NOTE\n1|\"Outer\"|\"ok\"\n2|\"Shirts\"|Null\n"},
      {"CREATE TABLE #X (N INT); DROP TABLE #X; SELECT OBJECT_ID('tempdb..#X') AS O", "O\nNull\n"},
      {"SELECT CASE WHEN OBJECT_ID('ART') IS NULL THEN 0 ELSE 1 END AS E", "E\n1\n"},
  });
}

TEST_P(EngineQueryTest, SelectIntoGivesTheTableTheTypesOfItsExpressions) {
  Run("SELECT COD, QTA, CAST(QTA AS DECIMAL(17,6)) AS Q6, GRP, CONVERT(VARCHAR(30), DES) AS D, "
      "CAST(1 AS TINYINT) AS T, CAST(NULL AS DATETIME) AS W, N'x' AS U INTO #COPY FROM ART");
  std::shared_ptr<Recordset> rs =
      conn_->OpenRecordset("#COPY", ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
  ASSERT_TRUE(rs);
  struct Field {
    const char* name;
    int type;
    int32_t size;
    int precision;
    int scale;
  };
  const Field fields[] = {
      {"COD", ado::kChar, 5, 255, 255},         {"QTA", ado::kNumeric, 19, 10, 3},
      {"Q6", ado::kNumeric, 19, 17, 6},         {"GRP", ado::kInteger, 4, 10, 0},
      {"D", ado::kVarChar, 30, 255, 255},       {"T", ado::kUnsignedTinyInt, 1, 3, 0},
      {"W", ado::kDBTimeStamp, 16, 23, 3},      {"U", ado::kVarWChar, 1, 255, 255},
  };
  ASSERT_EQ(rs->FieldCount(), 8);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(fields[i].name);
    const FieldInfo& f = rs->Field(i);
    EXPECT_EQ(f.name, fields[i].name);
    EXPECT_EQ(f.type, fields[i].type);
    EXPECT_EQ(f.defined_size, fields[i].size);
    EXPECT_EQ(f.precision, fields[i].precision);
    EXPECT_EQ(f.numeric_scale, fields[i].scale);
  }
  EXPECT_FALSE(rs->Field(0).nullable());
  EXPECT_EQ(rs->RecordCount(), 4);
}

TEST_P(EngineQueryTest, ConstructsTheEngineDoesNotRunAreNamedNotSupported) {
  Run("CREATE TABLE PV (A INT)");
  EXPECT_EQ(ErrorOf("MERGE INTO PV USING PV AS S ON 1 = 1 WHEN MATCHED THEN DELETE;"),
            "42000/0: not supported: MERGE (line 1, column 1)");
  EXPECT_EQ(ErrorOf("SELECT 1;\nSELECT * FROM PV PIVOT (SUM(A) FOR A IN ([1])) P"),
            "42000/0: not supported: PIVOT (line 2, column 18)");
  EXPECT_EQ(ErrorOf("DECLARE c CURSOR FOR SELECT A FROM PV"),
            "42000/0: not supported: CURSOR (line 1, column 11)");
  EXPECT_EQ(ErrorOf("CREATE TRIGGER T1 ON PV AFTER INSERT AS SELECT 1"),
            "42000/0: not supported: TRIGGER (line 1, column 8)");
  // A real typing error stays a syntax error naming the token.
  EXPECT_EQ(ErrorOf("SELECT FROM PV"),
            "42000/102: Incorrect syntax at line 1, column 8 near 'FROM': incorrect syntax near "
            "'FROM'");
}

TEST_P(EngineQueryTest, ErrorsCarrySqlStateAndNativeNumber) {
  Run("CREATE TABLE K (ID INT PRIMARY KEY, N VARCHAR(5) NOT NULL); INSERT INTO K VALUES (1, 'a')");
  const Case cases[] = {
      {"INSERT INTO K VALUES (1, 'b')", "23000/2627"},
      {"INSERT INTO K VALUES (2, NULL)", "23000/515"},
      {"SELECT NOPE FROM ART", "42S22/207"},
      {"SELECT * FROM ART WHERE COD = 1", "22018/245"},
      {"UPDATE TOP (1) ART SET GRP = 1", "42000/0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    std::string e = ErrorOf(c.sql);
    EXPECT_EQ(e.substr(0, e.find(':')), c.expected) << e;
  }
  EXPECT_EQ(ErrorOf("UPDATE TOP (1) ART SET GRP = 1"),
            "42000/0: not supported: UPDATE TOP (line 1, column 1)");
  try {
    conn_->Execute("INSERT INTO K VALUES (1, 'c')");
    ADD_FAILURE() << "duplicate key accepted";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kAdoIntegrityViolation);
  }
  conn_->Close();
  EXPECT_EQ(conn_->State(), 0);
  EXPECT_THROW(conn_->Execute("SELECT 1"), PlatformError);
}

TEST_P(EngineQueryTest, RecordSetsOverTablesWriteThrough) {
  std::shared_ptr<Recordset> live =
      conn_->OpenRecordset("GRP", ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
  live->AddNew();
  live->SetValue("ID", Variant(int32_t{4}));
  live->SetValue("NAME", Variant("Knit"));
  live->Update();
  live->MoveFirst();
  live->SetValue("NAME", Variant("OUTER2"));
  live->Update();
  live->MoveNext();
  live->Delete();
  EXPECT_EQ(Rows("SELECT * FROM GRP ORDER BY ID"),
            "ID|NAME\n1|\"OUTER2\"\n3|\"Empty\"\n4|\"Knit\"\n");
  // A bare name with a keyset cursor is live too; a query is not.
  std::shared_ptr<Recordset> bare =
      conn_->OpenRecordset("[GRP]", ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdText);
  bare->AddNew();
  bare->SetValue("ID", Variant(int32_t{5}));
  bare->Update();
  std::shared_ptr<Recordset> copy = conn_->OpenRecordset(
      "SELECT * FROM GRP", ado::kOpenDynamic, ado::kLockOptimistic, ado::kCmdText);
  copy->AddNew();
  copy->SetValue("ID", Variant(int32_t{6}));
  copy->Update();
  EXPECT_EQ(Rows("SELECT COUNT(*) AS N, MAX(ID) AS M FROM GRP"), "N|M\n4|5\n");
  EXPECT_EQ(copy->RecordCount(), 5);
  // Several result sets come back chained.
  std::shared_ptr<Recordset> two = conn_->OpenRecordset(
      "SELECT 1 AS A; SELECT 2 AS B", ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdText);
  EXPECT_EQ(testing::RenderAll(two), "A\n1\n--\nB\n2\n");
  std::shared_ptr<Recordset> none = conn_->OpenRecordset(
      "DELETE FROM GRP WHERE ID = 6", ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdText);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->State(), ado::kStateClosed);
  EXPECT_EQ(Rows("SELECT COUNT(*) AS N FROM GRP WHERE ID = 6"), "N\n0\n");
}

TEST(EngineFileTest, TemporaryTablesArePrivateAndTheCatalogueIsShared) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("zv_engine_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string file = (dir / "shared.db").string();
  std::filesystem::remove(file);
  {
    auto a = EmbeddedConnection::Open(file);
    auto b = EmbeddedConnection::Open(file);
    a->Execute("CREATE TABLE #P (N INT); INSERT INTO #P VALUES (1); "
               "CREATE TABLE SHARED (Q DECIMAL(9,2)); INSERT INTO SHARED VALUES (1.25)");
    EXPECT_EQ(testing::RenderAll(b->Execute("SELECT OBJECT_ID('tempdb..#P') AS O")), "O\nNull\n");
    b->Execute("CREATE TABLE #P (S VARCHAR(3)); INSERT INTO #P VALUES ('b')");
    EXPECT_EQ(testing::RenderAll(a->Execute("SELECT * FROM #P")), "N\n1\n");
    EXPECT_EQ(testing::RenderAll(b->Execute("SELECT * FROM #P")), "S\n\"b\"\n");
    // The other connection reads the new table with its T-SQL types.
    EXPECT_EQ(testing::RenderAll(b->Execute("SELECT Q * 2 AS Q FROM SHARED")), "Q\n2.50D\n");
    b->Execute("CREATE PROCEDURE PS AS SELECT COUNT(*) AS N FROM SHARED");
    EXPECT_EQ(testing::RenderAll(a->Execute("EXEC PS")), "N\n1\n");
  }
  std::filesystem::remove_all(dir);
  EXPECT_THROW(EmbeddedConnection::Open((dir / "no" / "such" / "x.db").string()), PlatformError);
}

INSTANTIATE_TEST_SUITE_P(Backends, EngineQueryTest, zv::testing::BothBackends(),
                         zv::testing::BackendName);

}  // namespace
}  // namespace zv::sqlite
