// The ERP schema scripts and the statements the business objects send, run
// on the embedded engine: every script and statement runs unchanged, and
// the results are checked where the sample data makes them meaningful.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/engine/engine_fixture.h"
#include "tests/tsql/library_statements.h"

namespace zv::sqlite {
namespace {

using testing::EngineTest;
using testing::RenderAll;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class EngineLibraryTest : public EngineTest {
 protected:
  void SetUp() override {
    std::ifstream order(std::string(ZV_SOURCE_DIR) + "/db/schema/order.txt");
    std::string file;
    int scripts = 0;
    while (std::getline(order, file)) {
      if (file.empty()) continue;
      SCOPED_TRACE(file);
      std::string text = ReadFile(std::string(ZV_SOURCE_DIR) + "/db/schema/" + file);
      ASSERT_FALSE(text.empty());
      Run(text);
      ++scripts;
    }
    ASSERT_GT(scripts, 50);
  }

  // Two production orders of company 1 with phases, variants and articles.
  void AddSampleData() {
    Run("INSERT INTO MG5F_DIMECONF (MG5F_DITTA_CG18, MG5F_CODICEVAR, MG5F_SIZE, MG5F_INDGRIGLIA, "
        "MG5F_DESCR_VAR) VALUES (1, 'A0', 3, 0, 'Colore'), (1, 'A1', 3, 1, 'Taglia'), "
        "(1, 'A2', 2, 0, 'Vestibilita')");
    Run("INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART, MG66_INDDECQTA) "
        "VALUES (1, 'ART01', 2)");
    Run("INSERT INTO DO30_DOCCORPO (DO30_DITTA_CG18, DO30_NUMREG_CO99, DO30_PROGRIGA, "
        "DO30_PROGPADRE, DO30_CODART_MG66, DO30_OPZIONE_MG5E, DO30_QTA1) VALUES "
        "(1, '000000000042', 1, 0, 'ART01', 'BLU   SL', 30), "
        "(1, '000000000042', 2, 1, 'ART01', 'BLU48 SL', 10), "
        "(1, '000000000042', 3, 1, 'ART01', 'BLU50 SL', 12), "
        "(1, '000000000042', 4, 1, 'ART01', 'BLU52 SL', 8)");
    Run("INSERT INTO DO46_DOCCORORDDET (DO46_DITTA_CG18, DO46_NUMREG_CO99, DO46_PROGRIGA, "
        "DO46_PROGDET, DO46_CODFASE, DO46_PROGSFASE, DO46_CODSEQFASE, DO46_INDSTATOORD, "
        "DO46_QTA1ORD) VALUES "
        "(1, '000000000042', 3, 1, 100, 0, 10, 0, 12), "
        "(1, '000000000042', 3, 2, 200, 0, 20, 1, 12), "
        "(1, '000000000042', 4, 1, 100, 0, 10, 0, 8)");
    Run("CREATE TABLE #DOCUMENTI (ID_RIGA DECIMAL(10,0), DO11_DOCUM_MG36 CHAR(3), "
        "DO11_NUMREG_CO99 CHAR(12), DO30_PROGRIGA DECIMAL(6,0), DO11_DATADOC DATETIME); "
        "INSERT INTO #DOCUMENTI VALUES (1, 'ODP', '000000000042', 3, '2025-03-01'), "
        "(2, 'ODP', '000000000042', 4, '2025-03-01'), (3, 'ODP', '000000000043', 1, NULL)");
    Run("CREATE TABLE #TMP_WORK (DO30_PROGPADRE DECIMAL(6,0), DO30_OPZIONE_MG5E CHAR(20), "
        "DO30_QTA1 DECIMAL(14,3)); INSERT INTO #TMP_WORK SELECT DO30_PROGPADRE, "
        "DO30_OPZIONE_MG5E, DO30_QTA1 FROM DO30_DOCCORPO WHERE DO30_PROGPADRE > 0");
    // The consecutive external phases: here every phase is its own group.
    Run("CREATE FUNCTION dbo.FNDO46_FASI_CONSECUTIVE (@Ditta DECIMAL(5,0), @Numreg CHAR(12), "
        "@Progriga DECIMAL(6,0)) RETURNS TABLE AS RETURN (SELECT DO46_DITTA_CG18, "
        "DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_PROGDET, CONVERT(DECIMAL(5,0), DO46_PROGDET) AS "
        "GRUPPO_FASIEST_CONSECUTIVE, CONVERT(TINYINT, 1) AS ULTIMA_FASEEST_CONSECUTIVA FROM "
        "DO46_DOCCORORDDET WHERE DO46_DITTA_CG18 = @Ditta AND DO46_NUMREG_CO99 = @Numreg AND "
        "DO46_PROGRIGA = @Progriga)");
  }
};

TEST_P(EngineLibraryTest, SchemaTablesHaveTheirTsqlTypes) {
  std::shared_ptr<Recordset> rs = conn_->OpenRecordset(
      "DO30_DOCCORPO", ado::kOpenKeyset, ado::kLockOptimistic, ado::kCmdTable);
  const FieldInfo& qta = rs->Field(rs->FieldIndex("DO30_QTA1"));
  EXPECT_EQ(qta.type, ado::kNumeric);
  EXPECT_EQ(qta.precision, 14);
  EXPECT_EQ(qta.numeric_scale, 3);
  const FieldInfo& numreg = rs->Field(rs->FieldIndex("DO30_NUMREG_CO99"));
  EXPECT_EQ(numreg.type, ado::kChar);
  EXPECT_EQ(numreg.defined_size, 12);
  EXPECT_FALSE(numreg.nullable());
  EXPECT_EQ(Rows("SELECT COUNT(*) AS N FROM VDO11_CONSORD"), "N\n0\n");
}

TEST_P(EngineLibraryTest, LibraryStatementsRunInOrder) {
  AddSampleData();
  std::map<std::string, std::string> results;
  for (const auto& s : tsql::testing::LibraryStatements()) {
    // The procedures are run with their real work tables below.
    if (s.name == "merge_procedure_call" || s.name == "proposal_procedure_call") continue;
    SCOPED_TRACE(s.name);
    try {
      results[s.name] = RenderAll(conn_->Execute(s.sql));
    } catch (const PlatformError& e) {
      ADD_FAILURE() << e.description();
    }
  }
  EXPECT_EQ(results["planning_order_list"], "ELENCO\n\"'000000000042', '000000000043'\"\n");
  EXPECT_EQ(results["phase_check_siblings"], "\n\"2,3,4\"\n");
  EXPECT_EQ(results["article_decimals"], "MG66_INDDECQTA\n2D\n");
  EXPECT_EQ(results["grid_dimension_starts"], "MG5F_START|MG5F_SIZE\n4D|3D\n");
  EXPECT_EQ(results["phase_check_read"],
            "DITTA|NUMREG|PROGPADRE|CODFASE|PROGSFASE|FLAG_READONLY\n"
            "1D|\"000000000042\"|1D|100D|0D|0\n1D|\"000000000042\"|1D|200D|0D|0\n");
  // The phases of the planned rows with their consecutive-phase groups,
  // read through the function for each order row.
  EXPECT_EQ(RenderAll(conn_->Execute(
                "SELECT DO46_PROGRIGA, DO46_PROGDET, GRUPPO_FASIEST_CONSECUTIVE FROM #FASI "
                "ORDER BY DO46_PROGRIGA, DO46_PROGDET")),
            "DO46_PROGRIGA|DO46_PROGDET|GRUPPO_FASIEST_CONSECUTIVE\n"
            "3D|1D|1D\n3D|1D|1D\n3D|2D|2D\n3D|2D|2D\n4D|1D|1D\n4D|1D|1D\n");
  EXPECT_EQ(RenderAll(conn_->Execute("SELECT COUNT(*) AS N, MAX(GRD_ID_RIGA) AS M FROM #GRIGLIA")),
            "N|M\n12|18D\n");
}

TEST_P(EngineLibraryTest, MergeProcedureMergesOrderRows) {
  std::string proc = ReadFile(std::string(ZV_SOURCE_DIR) + "/db/procedures/SPVESTARO_ACCORPA.sql");
  Run(proc);
  const char* quantities[] = {
      "DO30_QTA1", "DO31_QTA1CONS", "SALDO", "DO31_QTA1TRASFDDTCL", "QTAORD", "QTATRASF",
      "QTA2ORD", "QTA2TRASF", "QTADATRASF", "QTA2DATRASF", "DO31_QTA2CONS", "QTA2DACONS",
      "WKQTA1ORD", "WKQTA2ORD", "QTACONSFASEPREC", "QTA2CONSFASEPREC", "QTACONSFASEPREC_REALE",
      "QTA2CONSFASEPREC_REALE", "DO30_QTA1ORIG", "QTA1_SULISTA", "QTA1_SULISTA_ORIG",
      "QTA1_SULISTATRASF", "QTA1_AVANZATAFASEDIVERSAINTERNA", "QTA2_AVANZATAFASEDIVERSAINTERNA",
      "QTA1_INVIATAFASEDIVERSATERZISTA", "QTA2_INVIATAFASEDIVERSATERZISTA", "PD96_QTAIMPEGNO",
      "PD96_QTA2IMPEGNO", "ODP_DO57_QTA1CONSOLID_LISTAP", "ODP_DO46_QTA1ORD", "QTA1_TEORICA",
      "QTA1_RESIDUA"};
  std::string create =
      "CREATE TABLE #TabellaOrdini (DO11_NUMREG_CO99 CHAR(12) NULL, DO30_PROGRIGA DECIMAL(6,0) "
      "NULL, DO30_PROGPADRE DECIMAL(6,0) NULL, DO30_CODART_MG66 CHAR(25) NULL, DO30_OPZIONE_MG5E "
      "CHAR(20) NULL, DO30_CODDEP_MG58 CHAR(2) NULL, DO31_DATACONS DATETIME NULL, "
      "DO41_CODPROGETTO CHAR(10) NULL, DO41_CODSPROGETTO DECIMAL(5,0) NULL, DO41_CODCOMMESSA "
      "CHAR(10) NULL, DO41_CODSCOMMESSA DECIMAL(5,0) NULL, DO30_CODFASE_PD12 DECIMAL(5,0) NULL, "
      "DO46_CODFASE DECIMAL(5,0) NULL, DO46_PROGSFASE DECIMAL(4,0) NULL, SELEZ DECIMAL(1,0) NULL";
  for (const char* q : quantities) create += std::string(", ") + q + " DECIMAL(17,3) NULL";
  Run(create + ")");
  Run("INSERT INTO #TabellaOrdini (DO11_NUMREG_CO99, DO30_PROGRIGA, DO30_PROGPADRE, "
      "DO30_CODART_MG66, DO30_OPZIONE_MG5E, DO30_QTA1, SALDO) VALUES "
      "('000000000042', 2, 1, 'ART01', 'BLU48 SL', 10, 10), "
      "('000000000042', 3, 1, 'ART01', 'BLU50 SL', 12, NULL), "
      "('000000000043', 1, 0, 'ART01', 'NER50 SL', 5, 1.5)");
  Run("INSERT INTO MG5F_DIMECONF (MG5F_DITTA_CG18, MG5F_CODICEVAR, MG5F_SIZE) VALUES "
      "(1, 'A0', 3), (1, 'A1', 3), (1, 'A2', 2)");
  Run("SELECT *, CONVERT(VARCHAR(8000),NULL) AS KEY_ACCORP, CONVERT (TINYINT,NULL) AS "
      "FLG_ACCORPATA INTO #TabellaOrdiniDesti FROM #TabellaOrdini WHERE 1=0");

  // Merge by article and colour only (the size is left out of the key).
  std::unique_ptr<Command> cmd = conn_->CreateCommand();
  cmd->SetCommandText("SPVESTARO_ACCORPA");
  cmd->Param("@CodiceDitta").value = Variant(int32_t{1});
  cmd->Param("@StrOrdinamento").value = Variant("ORDER BY DO11_NUMREG_CO99, DO30_PROGRIGA");
  cmd->Param("@Key_Variante").value = Variant(int32_t{2});
  cmd->Param("@Key_A0").value = Variant(int16_t{1});
  std::shared_ptr<Recordset> origin = cmd->Execute();
  ASSERT_TRUE(origin);
  EXPECT_EQ(origin->RecordCount(), 3);
  std::shared_ptr<Recordset> merged = origin->NextRecordset();
  ASSERT_TRUE(merged);
  ASSERT_EQ(merged->RecordCount(), 2);
  merged->MoveFirst();
  EXPECT_EQ(merged->Value("DO30_QTA1").Debug(), "22.000D");
  EXPECT_EQ(merged->Value("SALDO").Debug(), "10.000D");
  EXPECT_EQ(merged->Value("KEY_ACCORP").Debug(), "\"1|ART01|BLU||||||||||\"");
  EXPECT_EQ(merged->Value("FLG_ACCORPATA").Debug(), "1");
  EXPECT_EQ(merged->Value("DO30_PROGRIGA").Debug(), "1D");
  merged->MoveNext();
  EXPECT_EQ(merged->Value("DO30_QTA1").Debug(), "5.000D");
  EXPECT_EQ(merged->Value("FLG_ACCORPATA").Debug(), "0");
  std::shared_ptr<Recordset> links = merged->NextRecordset();
  ASSERT_TRUE(links);
  EXPECT_EQ(links->RecordCount(), 3);
  EXPECT_FALSE(links->NextRecordset());

  // The same call again (the destination emptied first) gives the same
  // rows, without translating any statement again.
  Run("DELETE FROM #TabellaOrdiniDesti");
  uint64_t translated = embedded_ ? embedded_->runner().translation_count() : 0;
  std::shared_ptr<Recordset> again = cmd->Execute();
  if (embedded_) {
    EXPECT_EQ(embedded_->runner().translation_count(), translated);
  }
  std::string second = RenderAll(again);
  EXPECT_NE(second.find("\"1|ART01|BLU||||||||||\"|1"), std::string::npos) << second;
  EXPECT_EQ(std::count(second.begin(), second.end(), '-'), 4);  // three result sets
  // The statement text the merge sends runs unchanged.
  Run("DELETE FROM #TabellaOrdiniDesti");
  for (const auto& s : tsql::testing::LibraryStatements()) {
    if (s.name != "merge_procedure_call") continue;
    std::string all = RenderAll(conn_->Execute(s.sql));
    EXPECT_EQ(std::count(all.begin(), all.end(), '-'), 4) << all;
    EXPECT_NE(all.find("\"1|ART01|BLU||||||||||\""), std::string::npos) << all;
  }
  // Its own temporary tables are gone.
  EXPECT_EQ(Rows("SELECT OBJECT_ID('tempdb..#VstOrig') AS O"), "O\nNull\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, EngineLibraryTest, zv::testing::BothBackends(),
                         zv::testing::BackendName);

}  // namespace
}  // namespace zv::sqlite
