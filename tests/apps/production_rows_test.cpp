// The host side of the merge on a small sample company in an embedded
// database: the order rows of the production-progress screen agree with
// the order tables and stand at the phase the cycle says, the busiest model
// is the article with most size rows, and the deployed procedures merge.
#include "apps/production_rows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>
#include <unistd.h>

#include "apps/sample_generator.h"
#include "apps/sample_sql.h"
#include "data/sqlite/embedded_connection.h"
#include "shell/clspd_vestaro.h"

namespace zv::sample {
namespace {

using Key = std::tuple<std::string, int32_t>;  // register number, row

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

Decimal Num(const Variant& v) { return v.IsNull() || v.IsEmpty() ? Decimal() : v.ToDecimal(); }

// Quantities are compared as their shortest text, so that a failure shows
// the numbers.
std::string Txt(const Decimal& d) { return d.Normalize().ToString(); }
std::string Txt(const Variant& v) { return Txt(Num(v)); }

// One phase of an order row, as the cycle holds it.
struct PhaseRow {
  int32_t progdet = 0, seq = 0, code = 0, sub = 0, state = 0;
  Decimal ordered, done;  // done: consolidated and scrapped
  Decimal consolidated;
};

class ProductionRowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    connection_ = sqlite::EmbeddedConnection::Open(":memory:");
    CreateSchema(*connection_, LoadSchemaScripts(DefaultSchemaDir()), false);
    SampleOptions options;
    options.order_rows = 240;
    SqlBatchWriter writer(*connection_);
    GenerateCompany(options, writer);
    writer.Flush();
    CreateProcedures(*connection_);
  }
  static void TearDownTestSuite() { connection_.reset(); }

  static std::shared_ptr<Recordset> Query(const std::string& sql) {
    return connection_->OpenRecordset(sql, ado::kOpenStatic, ado::kLockReadOnly, ado::kCmdText);
  }

  // The non-parent rows of production orders, with their article, ordered
  // and delivered quantities.
  struct OrderRow {
    std::string article;
    Decimal qta1, cons;
    bool size_row = false;
  };
  static std::map<Key, OrderRow> OrderRows() {
    std::map<Key, OrderRow> rows;
    auto rs = Query(
        "SELECT R.DO30_NUMREG_CO99, R.DO30_PROGRIGA, R.DO30_CODART_MG66, R.DO30_QTA1, "
        "R.DO30_PROGPADRE, O.DO31_QTA1CONS FROM DO30_DOCCORPO R "
        "JOIN DO11_DOCTESTATA T ON T.DO11_DITTA_CG18 = 1 AND T.DO11_NUMREG_CO99 = R.DO30_NUMREG_CO99 "
        "LEFT JOIN DO31_DOCCORPOORD O ON O.DO31_DITTA_CG18 = 1 AND "
        "O.DO31_NUMREG_CO99 = R.DO30_NUMREG_CO99 AND O.DO31_PROGRIGA = R.DO30_PROGRIGA "
        "WHERE R.DO30_DITTA_CG18 = 1 AND T.DO11_DOCUM_MG36 = 'ODP' AND R.DO30_FLGPADRE = 0");
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
      OrderRow& r = rows[{Trim(rs->Value("DO30_NUMREG_CO99").ToString()),
                          rs->Value("DO30_PROGRIGA").ToLong()}];
      r.article = Trim(rs->Value("DO30_CODART_MG66").ToString());
      r.qta1 = Num(rs->Value("DO30_QTA1"));
      r.cons = Num(rs->Value("DO31_QTA1CONS"));
      r.size_row = rs->Value("DO30_PROGPADRE").ToLong() > 0;
    }
    return rows;
  }

  // The phases progress is recorded on (main phases without sub-phases, and
  // sub-phases), per order row in cycle order.
  static std::map<Key, std::vector<PhaseRow>> RecordingPhases() {
    std::map<Key, std::vector<PhaseRow>> all;
    auto rs = Query(
        "SELECT DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_PROGDET, DO46_CODSEQFASE, DO46_CODFASE, "
        "DO46_PROGSFASE, DO46_INDSTATOORD, DO46_QTA1ORD, DO46_QTA1CONSOLID, DO46_QTA1SCARTO "
        "FROM DO46_DOCCORORDDET WHERE DO46_DITTA_CG18 = 1 "
        "ORDER BY DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_PROGDET");
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
      PhaseRow p;
      p.progdet = rs->Value("DO46_PROGDET").ToLong();
      p.seq = rs->Value("DO46_CODSEQFASE").ToLong();
      p.code = rs->Value("DO46_CODFASE").ToLong();
      p.sub = rs->Value("DO46_PROGSFASE").ToLong();
      p.state = rs->Value("DO46_INDSTATOORD").IsNull() ? 0 : rs->Value("DO46_INDSTATOORD").ToLong();
      p.ordered = Num(rs->Value("DO46_QTA1ORD"));
      p.consolidated = Num(rs->Value("DO46_QTA1CONSOLID"));
      p.done = p.consolidated + Num(rs->Value("DO46_QTA1SCARTO"));
      all[{Trim(rs->Value("DO46_NUMREG_CO99").ToString()), rs->Value("DO46_PROGRIGA").ToLong()}]
          .push_back(p);
    }
    for (auto& [key, phases] : all) {
      std::vector<PhaseRow> recording;
      for (const PhaseRow& p : phases) {
        bool has_subs = false;
        for (const PhaseRow& s : phases) has_subs |= s.seq == p.seq && s.sub > 0;
        if (p.sub > 0 || !has_subs) recording.push_back(p);
      }
      phases = recording;
    }
    return all;
  }

  static std::shared_ptr<sqlite::EmbeddedConnection> connection_;
};

std::shared_ptr<sqlite::EmbeddedConnection> ProductionRowsTest::connection_;

TEST_F(ProductionRowsTest, BusiestModelHasTheMostSizeRows) {
  std::map<std::string, int> size_rows;
  for (const auto& [key, row] : OrderRows()) size_rows[row.article] += row.size_row ? 1 : 0;
  int most = 0;
  for (const auto& [article, n] : size_rows) most = std::max(most, n);
  const std::string model = BusiestModel(*connection_, 1);
  ASSERT_FALSE(model.empty());
  EXPECT_EQ(size_rows[model], most);
  EXPECT_GT(most, 1);
  EXPECT_EQ(BusiestModel(*connection_, 99), "");
}

// Every non-parent row of the model's production orders comes once, in
// register and row order, with the order tables' quantities and at its
// current phase: the first phase of the cycle not yet balanced, else the
// last one.
TEST_F(ProductionRowsTest, RowsOfTheModelAgreeWithOrdersAndPhases) {
  const std::string model = BusiestModel(*connection_, 1);
  const std::map<Key, OrderRow> orders = OrderRows();
  const std::map<Key, std::vector<PhaseRow>> phases = RecordingPhases();
  std::shared_ptr<Recordset> rows = ProductionOrderRows(*connection_, 1, model);

  std::set<Key> expected;
  for (const auto& [key, row] : orders)
    if (row.article == model) expected.insert(key);
  ASSERT_EQ(rows->RecordCount(), static_cast<int32_t>(expected.size()));

  std::set<Key> seen;
  Key previous;
  int at_later_phase = 0;
  for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
    const Key key{Trim(rows->Value("DO11_NUMREG_CO99").ToString()),
                  rows->Value("DO30_PROGRIGA").ToLong()};
    SCOPED_TRACE(std::get<0>(key) + "/" + std::to_string(std::get<1>(key)));
    ASSERT_TRUE(expected.count(key));
    EXPECT_TRUE(seen.insert(key).second);
    if (seen.size() > 1) {
      EXPECT_LT(previous, key);
    }
    previous = key;

    const OrderRow& order = orders.at(key);
    EXPECT_EQ(Trim(rows->Value("DO30_CODART_MG66").ToString()), model);
    EXPECT_EQ(Txt(rows->Value("DO30_QTA1")), Txt(order.qta1));
    EXPECT_EQ(Txt(rows->Value("DO31_QTA1CONS")), Txt(order.cons));
    EXPECT_EQ(Txt(rows->Value("SALDO")), Txt(order.qta1 - order.cons));

    const std::vector<PhaseRow>& cycle = phases.at(key);
    ASSERT_FALSE(cycle.empty());
    size_t current = cycle.size() - 1;
    for (size_t i = 0; i < cycle.size(); ++i) {
      if (cycle[i].state != 3) {
        current = i;
        break;
      }
    }
    if (current > 0) ++at_later_phase;
    const PhaseRow& phase = cycle[current];
    EXPECT_EQ(rows->Value("DO46_CODFASE").ToLong(), phase.code);
    EXPECT_EQ(rows->Value("DO46_PROGSFASE").ToLong(), phase.sub);
    EXPECT_EQ(Txt(rows->Value("QTAORD")), Txt(phase.ordered));
    EXPECT_EQ(Txt(rows->Value("QTATRASF")), Txt(phase.done));
    const Decimal passed_on = current == 0 ? phase.ordered : cycle[current - 1].consolidated;
    EXPECT_EQ(Txt(rows->Value("QTACONSFASEPREC")), Txt(passed_on));
    const Decimal proposed = passed_on > phase.done ? passed_on - phase.done : Decimal();
    EXPECT_EQ(Txt(rows->Value("QTADATRASF")), Txt(proposed));
  }
  // The sample's orders are at various stages, so the phase choice is tested.
  EXPECT_GT(at_later_phase, 0);
}

TEST_F(ProductionRowsTest, WithoutArticleEveryOrderRowOfTheCompany) {
  std::shared_ptr<Recordset> rows = ProductionOrderRows(*connection_, 1);
  EXPECT_EQ(rows->RecordCount(), static_cast<int32_t>(OrderRows().size()));
  // An article with a quote is spliced as a text, not as SQL.
  EXPECT_EQ(ProductionOrderRows(*connection_, 1, "X' OR 'A' = 'A")->RecordCount(), 0);
  EXPECT_EQ(ProductionOrderRows(*connection_, 2)->RecordCount(), 0);
}

// The deployed procedure merges the rows as the progress screen hands them
// in: every origin row has a link and the merged rows add up.
TEST_F(ProductionRowsTest, DeployedProcedureMergesTheRows) {
  std::shared_ptr<Recordset> rows =
      ProductionOrderRows(*connection_, 1, BusiestModel(*connection_, 1));
  Decimal to_transfer;
  for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) to_transfer += Num(rows->Value("QTADATRASF"));

  CLSPD_VESTARO vestaro;
  vestaro.SetCodiceDitta(Variant(int32_t{1}));
  vestaro.SetConnessione(connection_);
  vestaro.PgmChiamante = FbAvanzamentoOrdiniProduzione;
  vestaro.AccorpaVariante = Fb_VarianteParziale;
  vestaro.PrstOrdini = rows;
  vestaro.AccorpaRigheOrdiniFasi();
  ASSERT_EQ(vestaro.VestaroStato(), tsVestaroOK);
  EXPECT_EQ(vestaro.RstOrigOrdini->RecordCount(), rows->RecordCount());
  EXPECT_EQ(vestaro.RstRiferimenti->RecordCount(), rows->RecordCount());
  EXPECT_LT(vestaro.RstDestiOrdini->RecordCount(), rows->RecordCount());
  Decimal merged;
  Recordset& d = *vestaro.RstDestiOrdini;
  for (d.MoveFirst(); !d.Eof(); d.MoveNext()) merged += Num(d.Value("QTADATRASF"));
  EXPECT_EQ(Txt(merged), Txt(to_transfer));
}

// Scripts are deployed again over what exists, the new text replacing the
// old; a routine is recognised behind comments; a script that creates no
// routine stops the deployment.
TEST_F(ProductionRowsTest, CreateProceduresReplacesRoutinesAndRejectsOtherScripts) {
  const char* base = std::getenv("ZV_TEST_TMP");
  const std::filesystem::path dir = std::filesystem::path(base != nullptr ? base : "/tmp") /
                                    ("zv_procedures_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  auto write_procedure = [&](int factor) {
    std::ofstream(dir / "SP_MOLTIPLICA.sql")
        << "-- multiplies a quantity\n/* CREATE FUNCTION not_this */\n"
           "CREATE PROCEDURE SP_MOLTIPLICA @Q DECIMAL(14,3) AS SELECT @Q * "
        << factor << " AS Q";
  };
  write_procedure(2);
  std::ofstream(dir / "FN_UNO.sql")
      << "CREATE FUNCTION dbo.FN_UNO (@Q DECIMAL(14,3)) RETURNS TABLE AS RETURN (SELECT @Q AS Q)";
  std::ofstream(dir / "notes.txt") << "not a script";
  CreateProcedures(*connection_, dir.string());
  EXPECT_EQ(Txt(Query("EXEC SP_MOLTIPLICA 4")->Value("Q")), Txt(Decimal(8)));
  write_procedure(3);
  CreateProcedures(*connection_, dir.string());
  EXPECT_EQ(Txt(Query("EXEC SP_MOLTIPLICA 4")->Value("Q")), Txt(Decimal(12)));
  EXPECT_FALSE(Query("SELECT OBJECT_ID('dbo.FN_UNO') AS ID")->Value("ID").IsNull());

  // The source tree's folder deploys over itself too.
  EXPECT_NO_THROW(CreateProcedures(*connection_));

  std::ofstream(dir / "Z_TABELLA.sql") << "CREATE TABLE ZZ (A INT)";
  EXPECT_THROW(CreateProcedures(*connection_, dir.string()), std::runtime_error);
  EXPECT_THROW(CreateProcedures(*connection_, (dir / "missing").string()), std::runtime_error);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zv::sample
