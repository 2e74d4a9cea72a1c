// The sample company written into an embedded database: the rows arrive
// with their T-SQL types (CHAR padded, decimals exact, dates as DATETIME),
// every reference still resolves through SQL joins on the company, and the
// order quantities agree with their size rows and phases.
#include "apps/sample_db.h"

#include <gtest/gtest.h>

#include "apps/sample_generator.h"
#include "apps/sample_sql.h"
#include "data/sqlite/embedded_connection.h"

namespace zv::sample {
namespace {

class SampleDatabaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    embedded_ = sqlite::EmbeddedConnection::Open(":memory:");
    conn_ = embedded_;
    CreateSchema(*conn_, LoadSchemaScripts(DefaultSchemaDir()), true);
    SampleOptions options;
    options.order_rows = 600;
    options.seed = 11;
    DatabaseRowWriter writer(embedded_->database());
    summary_ = GenerateCompany(options, writer);
    rows_written_ = writer.rows();
  }
  static void TearDownTestSuite() {
    conn_.reset();
    embedded_.reset();
  }

  // The single value of a query.
  static Variant Scalar(const std::string& sql) {
    auto rs = conn_->Execute(sql);
    EXPECT_TRUE(rs != nullptr && !rs->Eof()) << sql;
    return rs == nullptr || rs->Eof() ? Variant::Null() : rs->Value(0);
  }
  // Rows of `table` whose (company, columns) find no row of `target`.
  static int64_t Orphans(const std::string& table, const std::vector<std::string>& columns,
                         const std::string& target, const std::vector<std::string>& keys) {
    std::string on = target.substr(0, 4) + "_DITTA_CG18 = " + table.substr(0, 4) + "_DITTA_CG18";
    std::string not_null;
    for (size_t i = 0; i < columns.size(); ++i) {
      on += " AND " + keys[i] + " = " + columns[i];
      not_null += " AND " + columns[i] + " IS NOT NULL";
    }
    return Scalar("SELECT COUNT(*) FROM " + table + " WHERE 1 = 1" + not_null +
                  " AND NOT EXISTS (SELECT 1 FROM " + target + " WHERE " + on + ")")
        .ToLongLong();
  }

  static std::shared_ptr<sqlite::EmbeddedConnection> embedded_;
  static std::shared_ptr<Connection> conn_;
  static GenerationSummary summary_;
  static int64_t rows_written_;
};

std::shared_ptr<sqlite::EmbeddedConnection> SampleDatabaseTest::embedded_;
std::shared_ptr<Connection> SampleDatabaseTest::conn_;
GenerationSummary SampleDatabaseTest::summary_;
int64_t SampleDatabaseTest::rows_written_ = 0;

TEST_F(SampleDatabaseTest, EveryGeneratedRowIsStoredInItsTable) {
  EXPECT_EQ(rows_written_, summary_.total_rows());
  for (const auto& [table, count] : summary_.rows_per_table) {
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM " + table).ToLongLong(), count) << table;
  }
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DO30_DOCCORPO INNER JOIN DO18_DOCTESTAPROD "
                   "ON DO18_DITTA_CG18 = DO30_DITTA_CG18 AND DO18_NUMREG_CO99 = DO30_NUMREG_CO99")
                .ToLongLong(),
            summary_.production_rows);
}

TEST_F(SampleDatabaseTest, ValuesComeBackWithTheirColumnTypes) {
  auto rs = conn_->Execute(
      "SELECT TOP 1 DO30_CODART_MG66, DO30_QTA1, DO31_DATACONS FROM DO30_DOCCORPO "
      "INNER JOIN DO31_DOCCORPOORD ON DO31_DITTA_CG18 = DO30_DITTA_CG18 AND "
      "DO31_NUMREG_CO99 = DO30_NUMREG_CO99 AND DO31_PROGRIGA = DO30_PROGRIGA "
      "ORDER BY DO30_NUMREG_CO99, DO30_PROGRIGA");
  ASSERT_TRUE(rs != nullptr && !rs->Eof());
  EXPECT_EQ(rs->Value(0).ToString().size(), 25u) << "CHAR(25) is padded";
  EXPECT_EQ(rs->Value(1).ToDecimal().scale(), 3) << "DECIMAL(14,3) keeps its scale";
  EXPECT_EQ(rs->Value(2).type(), VarType::kDate);
}

TEST_F(SampleDatabaseTest, ReferencesResolveThroughTheDatabase) {
  const std::string N = "_NUMREG_CO99";
  EXPECT_EQ(Orphans("DO30_DOCCORPO", {"DO30" + N}, "DO11_DOCTESTATA", {"DO11" + N}), 0);
  EXPECT_EQ(Orphans("DO30_DOCCORPO", {"DO30_CODART_MG66"}, "MG66_ANAGRART", {"MG66_CODART"}), 0);
  EXPECT_EQ(Orphans("DO30_DOCCORPO", {"DO30_CODDEP_MG58"}, "MG58_DEPOSITI", {"MG58_CODDEP"}), 0);
  for (const char* t : {"DO31_DOCCORPOORD", "DO41_DOCCORPOPROGE", "DO46_DOCCORORDDET"}) {
    const std::string p = std::string(t).substr(0, 4);
    EXPECT_EQ(Orphans(t, {p + N, p + "_PROGRIGA"}, "DO30_DOCCORPO", {"DO30" + N, "DO30_PROGRIGA"}),
              0)
        << t;
  }
  EXPECT_EQ(Orphans("DO46_DOCCORORDDET", {"DO46_CODFASE"}, "PD12_FASI", {"PD12_CODFASE"}), 0);
  EXPECT_EQ(Orphans("DO46_DOCCORORDDET", {"DO46_TIPOCF_CG44", "DO46_CLIFOR_CG44"}, "CG44_CLIFOR",
                    {"CG44_TIPOCF", "CG44_CLIFOR"}),
            0);
  EXPECT_EQ(Orphans("DO57_DETAVANZ", {"DO57" + N, "DO57_PROGRIGA_DO46", "DO57_PROGDET_DO46"},
                    "DO46_DOCCORORDDET", {"DO46" + N, "DO46_PROGRIGA", "DO46_PROGDET"}),
            0);
  EXPECT_EQ(Orphans("MG6B_GESVARART", {"MG6B_CODICEVAR_MG5F"}, "MG5F_DIMECONF",
                    {"MG5F_CODICEVAR"}),
            0);
  EXPECT_EQ(Orphans("MG87_ARTDESC", {"MG87_CODART_MG66"}, "MG66_ANAGRART", {"MG66_CODART"}), 0);
  EXPECT_EQ(Orphans("PD39_PROPOSTE", {"PD39_CODART_MG66"}, "MG66_ANAGRART", {"MG66_CODART"}), 0);
  // The check itself finds a broken reference.
  conn_->Execute("UPDATE DO46_DOCCORORDDET SET DO46_CODFASE = 99999 WHERE DO46_PROGDET = "
                 "(SELECT MIN(DO46_PROGDET) FROM DO46_DOCCORORDDET)");
  EXPECT_GT(Orphans("DO46_DOCCORORDDET", {"DO46_CODFASE"}, "PD12_FASI", {"PD12_CODFASE"}), 0);
  conn_->Execute("UPDATE DO46_DOCCORORDDET SET DO46_CODFASE = (SELECT MIN(PD12_CODFASE) FROM "
                 "PD12_FASI) WHERE DO46_CODFASE = 99999");
}

TEST_F(SampleDatabaseTest, OrderQuantitiesAgreeWithSizeRowsAndPhases) {
  // A parent row holds the totals of its size rows.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DO30_DOCCORPO P WHERE P.DO30_FLGPADRE = 1 AND "
                   "P.DO30_QTA1 <> (SELECT SUM(S.DO30_QTA1) FROM DO30_DOCCORPO S WHERE "
                   "S.DO30_DITTA_CG18 = P.DO30_DITTA_CG18 AND S.DO30_NUMREG_CO99 = "
                   "P.DO30_NUMREG_CO99 AND S.DO30_PROGPADRE = P.DO30_PROGRIGA)")
                .ToLongLong(),
            0);
  EXPECT_GT(Scalar("SELECT COUNT(*) FROM DO30_DOCCORPO WHERE DO30_FLGPADRE = 1").ToLongLong(), 0);
  // Every phase of a size row is ordered for the row's quantity.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DO46_DOCCORORDDET INNER JOIN DO30_DOCCORPO ON "
                   "DO30_DITTA_CG18 = DO46_DITTA_CG18 AND DO30_NUMREG_CO99 = DO46_NUMREG_CO99 "
                   "AND DO30_PROGRIGA = DO46_PROGRIGA WHERE DO46_QTA1ORD <> DO30_QTA1")
                .ToLongLong(),
            0);
  // Progress movements never exceed what their phase consolidated.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DO46_DOCCORORDDET F WHERE F.DO46_QTA1CONSOLID < "
                   "(SELECT ISNULL(SUM(M.DO57_QTA1), 0) FROM DO57_DETAVANZ M WHERE "
                   "M.DO57_DITTA_CG18 = F.DO46_DITTA_CG18 AND M.DO57_NUMREG_CO99 = "
                   "F.DO46_NUMREG_CO99 AND M.DO57_PROGRIGA_DO46 = F.DO46_PROGRIGA AND "
                   "M.DO57_PROGDET_DO46 = F.DO46_PROGDET AND M.DO57_INDMOV <> 7)")
                .ToLongLong(),
            0);
}

TEST_F(SampleDatabaseTest, ASharedTableKeepsItsRowsWhenAnotherCompanyIsAdded) {
  const int64_t languages = Scalar("SELECT COUNT(*) FROM MG52_LINGUE").ToLongLong();
  SampleOptions options;
  options.company = 2;
  options.order_rows = 50;
  options.shared_tables = true;  // written again: rows already there are kept
  DatabaseRowWriter writer(embedded_->database());
  GenerateCompany(options, writer);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MG52_LINGUE").ToLongLong(), languages);
  EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT DO30_DITTA_CG18) FROM DO30_DOCCORPO").ToLongLong(), 2);
}

}  // namespace
}  // namespace zv::sample
