// The host's whole merge request on a real database (the embedded engine,
// and the same through ODBC): order rows (and
// phases) handed over as record sets, the work tables and SPVESTARO_ACCORPA
// run for real, the merged view read back, edits on merged rows split back
// to the origin rows in both modes and both units, and the merged rows
// recalculated from them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/datetime.h"
#include "host/expando.h"
#include "merge/filter_text.h"
#include "tests/merge/embedded_merge_fixture.h"

namespace zv {
namespace {

using merge_test::AddRow;
using merge_test::MessageLog;
using merge_test::NewSet;
using merge_test::RenderTrimmed;
using merge_test::Values;

constexpr int kCompany = 7;
const char* const kFirst = "ODP000000001";
const char* const kSecond = "ODP000000002";

Variant Day(int year, int month, int day, int hour = 0) {
  return Variant(MakeDate({year, month, day, hour}));
}

// A production-progress screen on a company whose variants are colour (A0,
// three characters), size (A1, two, the grid dimension) and fit (A2, one).
class MergeEndToEndTest : public ::testing::TestWithParam<testing::Backend> {
 protected:
  MergeEndToEndTest()
      : conn(merge_test::OpenErpDatabase(GetParam(), merge_test::MergeProcedure::kCreate)) {
    Sql("INSERT INTO MG5F_DIMECONF (MG5F_DITTA_CG18, MG5F_CODICEVAR, MG5F_SIZE, "
        "MG5F_INDGRIGLIA) VALUES (7, 'A0', 3, 0), (7, 'A1', 2, 1), (7, 'A2', 1, NULL)");
    v.SetConnessione(conn);
    v.SetCodiceDitta(Variant(int32_t{kCompany}));
    v.PgmChiamante = FbAvanzamentoOrdiniProduzione;
    v.PrstOrdini = NewSet(merge_test::HostOrderFields());
    v.PrstFasi = NewSet(merge_test::HostPhaseFields());
    status->Define("DetailText", Variant(""));
    window->Define("MousePointer", Variant(0));
    v.StatusLabel = status;
    v.ObjChiamante = window;
  }

  void Sql(const std::string& batch) { conn->Execute(batch); }
  std::string Query(const std::string& sql) { return RenderRecordset(*conn->Execute(sql)); }

  // A size row of a production order: ordered and transferred in the first
  // unit, twice as much in the second (metres of cloth).
  void AddOrderRow(const char* numreg, int progriga, const char* variant, const char* depot,
                   const Variant& delivery, int ordered, const Variant& transferred,
                   const Values& more = {}) {
    Values values = {{"DO11_NUMREG_CO99", Variant(numreg)},
                     {"DO30_PROGRIGA", Variant(progriga)},
                     {"DO30_PROGPADRE", Variant(1)},
                     {"DO30_CODART_MG66", Variant("GIACCA01")},
                     {"DO30_OPZIONE_MG5E", Variant(variant)},
                     {"DO30_CODDEP_MG58", depot ? Variant(depot) : Variant::Null()},
                     {"DO31_DATACONS", delivery},
                     {"DO30_QTA1", Variant(Decimal(ordered))},
                     {"QTAORD", Variant(Decimal(ordered))},
                     {"QTATRASF", transferred},
                     {"QTA2ORD", Variant(Decimal(2 * ordered))},
                     {"QTA2TRASF", Variant(Decimal(0))},
                     {"DESCR", Variant(std::string(numreg) + "/" + std::to_string(progriga))}};
    values.insert(values.end(), more.begin(), more.end());
    AddRow(*v.PrstOrdini, values);
  }

  // Cutting (10) and sewing (20) of an order row, sewing half done.
  void AddPhases(const char* numreg, int progriga, int ordered) {
    for (int fase : {10, 20}) {
      AddRow(*v.PrstFasi, {{"DO46_NUMREG_CO99", Variant(numreg)},
                           {"DO46_PROGRIGA", Variant(progriga)},
                           {"DO46_CODFASE", Variant(fase)},
                           {"DO46_PROGSFASE", Variant(0)},
                           {"DO46_DESCRFASE", Variant(fase == 10 ? "Taglio" : "Cucito")},
                           {"DO46_QTA1ORD", Variant(Decimal(ordered))},
                           {"DO46_QTA1CONSOLID", Variant(Decimal(fase == 10 ? ordered
                                                                           : ordered / 2))}});
    }
  }

  // Two orders of one jacket: blue and black, regular fit, one blue slim.
  void AddJacketOrders(bool with_phases) {
    AddOrderRow(kFirst, 2, "BLU46R", "01", Day(2025, 4, 1), 10, Variant(Decimal(2)));
    AddOrderRow(kFirst, 3, "BLU48R", "01", Day(2025, 4, 1, 15), 12, Variant(Decimal(0)));
    AddOrderRow(kFirst, 4, "BLU50R", "02", Day(2025, 4, 1), 8, Variant::Null());
    AddOrderRow(kFirst, 5, "NER46R", nullptr, Day(2025, 4, 1), 5, Variant::Null());
    AddOrderRow(kSecond, 2, "BLU46R", "01", Day(2025, 4, 15), 6, Variant(Decimal(1)));
    AddOrderRow(kSecond, 3, "NER48R", "  ", Day(2025, 4, 15), 7, Variant::Null());
    AddOrderRow(kSecond, 4, "BLU46S", "01", Variant::Null(), 4, Variant::Null());
    if (!with_phases) return;
    v.IsRecordsetFasi = true;
    AddPhases(kFirst, 2, 10);
    AddPhases(kFirst, 3, 12);
    AddPhases(kFirst, 4, 8);
    AddPhases(kFirst, 5, 5);
    AddPhases(kSecond, 2, 6);
    AddPhases(kSecond, 3, 7);
    AddPhases(kSecond, 4, 4);
  }

  void Merge() { v.AccorpaRigheOrdiniFasi(); }

  // A clone of the merged order row (merged phase), the given values
  // written, as the host's grid hands an edited row over.
  std::shared_ptr<Recordset> EditMergedRow(const std::string& numreg, int progriga,
                                           const Values& values) {
    return Edited(v.RstDestiOrdini, KeyFilter()
                                        .Text("DO11_NUMREG_CO99 = ", numreg)
                                        .Number("DO30_PROGRIGA = ", progriga),
                  values);
  }
  std::shared_ptr<Recordset> EditMergedPhase(const std::string& numreg, int progriga, int fase,
                                             const Values& values) {
    return Edited(v.RstDestiFasi, KeyFilter()
                                      .Text("DO46_NUMREG_CO99 = ", numreg)
                                      .Number("DO46_PROGRIGA = ", progriga)
                                      .Number("DO46_CODFASE = ", fase),
                  values);
  }
  static std::shared_ptr<Recordset> Edited(const std::shared_ptr<Recordset>& rs,
                                           const KeyFilter& key, const Values& values) {
    auto row = rs->Clone();
    row->SetFilter(key);
    EXPECT_EQ(row->RecordCount(), 1) << key.str();
    for (const auto& [name, value] : values) row->SetValue(name, value);
    row->Update();
    return row;
  }

  // The rows of a result set behind one merged row, in its current order.
  std::string OriginsOf(const std::string& numreg, int progriga,
                        const std::vector<std::string>& columns) {
    auto links = v.RstRiferimenti->Clone();
    links->SetFilter(KeyFilter()
                         .Text("DESTI_NUMREG = ", numreg)
                         .Number("DESTI_PROGRIGA = ", progriga));
    std::string out;
    for (links->MoveFirst(); !links->Eof(); links->MoveNext()) {
      auto origin = v.RstOrigOrdini->Clone();
      origin->SetFilter(KeyFilter()
                            .Text("DO11_NUMREG_CO99 = ", links->Value("ORIG_NUMREG").ToString())
                            .Number("DO30_PROGRIGA = ", links->Value("ORIG_PROGRIGA")));
      std::string rows = RenderTrimmed(*origin, columns);
      out += rows.substr(rows.find('\n') + 1);
    }
    return out;
  }

  MessageLog messages;
  std::shared_ptr<Connection> conn;
  CLSPD_VESTARO v;
  std::shared_ptr<ExpandoObject> status = std::make_shared<ExpandoObject>("StatusBar");
  std::shared_ptr<ExpandoObject> window = std::make_shared<ExpandoObject>("Form");
};

// --- The merge --------------------------------------------------------------------

TEST_P(MergeEndToEndTest, MergesByColourAndFitWithTheHostsPhases) {
  AddJacketOrders(/*with_phases=*/true);
  v.AccorpaVariante = Fb_VarianteParziale;
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK) << (messages.shown.empty() ? "" : messages.shown[0]);
  EXPECT_TRUE(messages.shown.empty());

  // The sizes (the grid dimension) are blanked out of the variant; every
  // merged row is numbered after the register number of its first row.
  EXPECT_EQ(RenderTrimmed(*v.RstDestiOrdini,
                   {"DO11_NUMREG_CO99", "DO30_PROGRIGA", "DO30_PROGPADRE", "DO30_OPZIONE_MG5E",
                    "QTAORD", "QTATRASF", "QTA2ORD", "FLG_ACCORPATA", "KEY_ACCORP", "DESCR"}),
            "DO11_NUMREG_CO99|DO30_PROGRIGA|DO30_PROGPADRE|DO30_OPZIONE_MG5E|QTAORD|QTATRASF|"
            "QTA2ORD|FLG_ACCORPATA|KEY_ACCORP|DESCR\n"
            "\"ODP000000001\"|1D|0D|\"BLU  R\"|36D|3D|72D|1|\"7|GIACCA01|BLU  R||||||||||\"|"
            "\"ODP000000001/2\"\n"
            "\"ODP000000001\"|2D|0D|\"NER  R\"|12D|0D|24D|1|\"7|GIACCA01|NER  R||||||||||\"|"
            "\"ODP000000001/5\"\n"
            "\"ODP000000002\"|3D|0D|\"BLU  S\"|4D|0D|8D|0|\"7|GIACCA01|BLU  S||||||||||\"|"
            "\"ODP000000002/4\"\n");
  // One link per origin row, grouped by merged row, in origin order.
  EXPECT_EQ(RenderTrimmed(*v.RstRiferimenti, {"ORIG_NUMREG", "ORIG_PROGRIGA", "DESTI_NUMREG",
                                       "DESTI_PROGRIGA", "DESTI_CODFASE"}),
            "ORIG_NUMREG|ORIG_PROGRIGA|DESTI_NUMREG|DESTI_PROGRIGA|DESTI_CODFASE\n"
            "\"ODP000000001\"|2D|\"ODP000000001\"|1D|0D\n"
            "\"ODP000000001\"|3D|\"ODP000000001\"|1D|0D\n"
            "\"ODP000000001\"|4D|\"ODP000000001\"|1D|0D\n"
            "\"ODP000000002\"|2D|\"ODP000000001\"|1D|0D\n"
            "\"ODP000000001\"|5D|\"ODP000000001\"|2D|0D\n"
            "\"ODP000000002\"|3D|\"ODP000000001\"|2D|0D\n"
            "\"ODP000000002\"|4D|\"ODP000000002\"|3D|0D\n");
  EXPECT_EQ(v.RstOrigOrdini->RecordCount(), 7);
  EXPECT_EQ(v.RstOrigFasi->RecordCount(), 14);
  // One merged phase per phase code of each merged row, the sums of its
  // origin phases.
  EXPECT_EQ(RenderTrimmed(*v.RstDestiFasi, {"DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_CODFASE",
                                     "DO46_DESCRFASE", "DO46_QTA1ORD", "DO46_QTA1CONSOLID",
                                     "DO46_QTADAAVANZ", "DO30_PROGPADRE"}),
            "DO46_NUMREG_CO99|DO46_PROGRIGA|DO46_CODFASE|DO46_DESCRFASE|DO46_QTA1ORD|"
            "DO46_QTA1CONSOLID|DO46_QTADAAVANZ|DO30_PROGPADRE\n"
            "\"ODP000000001\"|1D|10D|\"Taglio\"|36D|36D|Null|0D\n"
            "\"ODP000000001\"|1D|20D|\"Cucito\"|36D|18D|Null|0D\n"
            "\"ODP000000001\"|2D|10D|\"Taglio\"|12D|12D|Null|0D\n"
            "\"ODP000000001\"|2D|20D|\"Cucito\"|12D|5D|Null|0D\n"
            "\"ODP000000002\"|3D|10D|\"Taglio\"|4D|4D|Null|0D\n"
            "\"ODP000000002\"|3D|20D|\"Cucito\"|4D|2D|Null|0D\n");

  // The work tables stay in the session for the split-back and a reload.
  EXPECT_EQ(Query("SELECT COUNT(*) AS N FROM #TabellaOrdiniDesti"), "N\n3\n");
  EXPECT_EQ(Query("SELECT COUNT(*) AS N FROM #TabellaFasiDesti"), "N\n6\n");
  // The host's window and status bar followed the request.
  EXPECT_EQ(window->calls(),
            (std::vector<std::string>{"Put MousePointer=11", "Put MousePointer=0"}));
  EXPECT_EQ(status->calls().back(), "Put DetailText=\"Accorpamento righe terminato ....\"");
}

TEST_P(MergeEndToEndTest, EachOptionSetGivesItsOwnMergedRows) {
  AddJacketOrders(/*with_phases=*/false);
  struct Case {
    const char* name;
    void (*set)(CLSPD_VESTARO&);
    const char* merged;  // DO11_NUMREG_CO99|DO30_PROGRIGA|DO30_OPZIONE_MG5E|QTAORD per row
  };
  const Case cases[] = {
      {"the article alone",
       [](CLSPD_VESTARO& o) {
         o.AccorpaVariante = Fb_NoAccorpamento;
         o.AccorpaProgetto = true;
       },
       "\"ODP000000001\"|1D|\"\"|52D\n"},
      {"the whole variant",
       [](CLSPD_VESTARO& o) { o.AccorpaVariante = Fb_VarianteIntera; },
       "\"ODP000000001\"|1D|\"BLU46R\"|16D\n\"ODP000000001\"|2D|\"BLU48R\"|12D\n"
       "\"ODP000000001\"|3D|\"BLU50R\"|8D\n\"ODP000000001\"|4D|\"NER46R\"|5D\n"
       "\"ODP000000002\"|5D|\"NER48R\"|7D\n\"ODP000000002\"|6D|\"BLU46S\"|4D\n"},
      {"colour and fit by depot, blank and missing depots alike",
       [](CLSPD_VESTARO& o) {
         o.AccorpaVariante = Fb_VarianteParziale;
         o.AccorpaDeposito = true;
       },
       "\"ODP000000001\"|1D|\"BLU  R\"|28D\n\"ODP000000001\"|2D|\"BLU  R\"|8D\n"
       "\"ODP000000001\"|3D|\"NER  R\"|12D\n\"ODP000000002\"|4D|\"BLU  S\"|4D\n"},
      {"the delivery day, whatever its hour",
       [](CLSPD_VESTARO& o) {
         o.AccorpaVariante = Fb_NoAccorpamento;
         o.AccorpaDatacons = true;
       },
       "\"ODP000000001\"|1D|\"\"|35D\n\"ODP000000002\"|2D|\"\"|13D\n"
       "\"ODP000000002\"|3D|\"\"|4D\n"},
      {"the order row keeps its own number",
       [](CLSPD_VESTARO& o) {
         o.AccorpaProgRiga = true;
         o.MantieniProgriga = 1;
       },
       "\"ODP000000001\"|2D|\"\"|10D\n\"ODP000000001\"|3D|\"\"|12D\n"
       "\"ODP000000001\"|4D|\"\"|8D\n\"ODP000000001\"|5D|\"\"|5D\n"
       "\"ODP000000002\"|2D|\"\"|6D\n\"ODP000000002\"|3D|\"\"|7D\n"
       "\"ODP000000002\"|4D|\"\"|4D\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CLSPD_VESTARO fresh;
    fresh.SetConnessione(conn);
    fresh.SetCodiceDitta(Variant(int32_t{kCompany}));
    fresh.PrstOrdini = v.PrstOrdini;
    c.set(fresh);
    fresh.AccorpaRigheOrdiniFasi();
    ASSERT_EQ(fresh.VestaroStato(), tsVestaroOK);
    std::string merged = RenderTrimmed(*fresh.RstDestiOrdini, {"DO11_NUMREG_CO99", "DO30_PROGRIGA",
                                                        "DO30_OPZIONE_MG5E", "QTAORD"});
    EXPECT_EQ(merged.substr(merged.find('\n') + 1), c.merged);
    EXPECT_EQ(fresh.RstRiferimenti->RecordCount(), 7);
    // The merged view of a request replaces that of the one before.
    EXPECT_EQ(Query("SELECT COUNT(*) AS N FROM #TabellaOrdiniDesti"),
              "N\n" + std::to_string(fresh.RstDestiOrdini->RecordCount()) + "\n");
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_P(MergeEndToEndTest, WithoutOptionsRowsMergeByParentRowAndTheDimensionsOutsideTheGrid) {
  AddJacketOrders(/*with_phases=*/false);
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK);
  EXPECT_TRUE(v.AccorpaProgPadre);
  EXPECT_EQ(v.AccorpaVariante, Fb_VarianteParziale);
  EXPECT_EQ(RenderTrimmed(*v.RstDestiOrdini, {"DO11_NUMREG_CO99", "DO30_OPZIONE_MG5E", "QTAORD",
                                       "KEY_ACCORP"}),
            "DO11_NUMREG_CO99|DO30_OPZIONE_MG5E|QTAORD|KEY_ACCORP\n"
            "\"ODP000000001\"|\"BLU  R\"|30D|\"7|GIACCA01|BLU  R||ODP000000001/1||||||||\"\n"
            "\"ODP000000001\"|\"NER  R\"|5D|\"7|GIACCA01|NER  R||ODP000000001/1||||||||\"\n"
            "\"ODP000000002\"|\"BLU  R\"|6D|\"7|GIACCA01|BLU  R||ODP000000002/1||||||||\"\n"
            "\"ODP000000002\"|\"NER  R\"|7D|\"7|GIACCA01|NER  R||ODP000000002/1||||||||\"\n"
            "\"ODP000000002\"|\"BLU  S\"|4D|\"7|GIACCA01|BLU  S||ODP000000002/1||||||||\"\n");
}

TEST_P(MergeEndToEndTest, ARowWithoutParentDoesNotJoinTheRowsOfParentZero) {
  AddOrderRow(kFirst, 1, "BLU46R", "01", Variant::Null(), 3, Variant::Null(),
              {{"DO30_PROGPADRE", Variant::Null()}});
  AddOrderRow(kFirst, 2, "BLU48R", "01", Variant::Null(), 4, Variant::Null(),
              {{"DO30_PROGPADRE", Variant(0)}});
  AddOrderRow(kFirst, 3, "BLU50R", "01", Variant::Null(), 5, Variant::Null(),
              {{"DO30_PROGPADRE", Variant(0)}});
  v.AccorpaProgPadre = true;
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK);
  EXPECT_EQ(RenderTrimmed(*v.RstDestiOrdini, {"QTAORD", "KEY_ACCORP"}),
            "QTAORD|KEY_ACCORP\n3D|\"7|GIACCA01|||ODP000000001/||||||||\"\n"
            "9D|\"7|GIACCA01|||ODP000000001/0||||||||\"\n");
}

TEST_P(MergeEndToEndTest, SecondUnitQuantitiesTheHostGivesAreSummedForThePickingLists) {
  AddJacketOrders(/*with_phases=*/false);
  for (v.PrstOrdini->MoveFirst(); !v.PrstOrdini->Eof(); v.PrstOrdini->MoveNext()) {
    v.PrstOrdini->SetValue("DO30_QTA2", Variant(Decimal(3)));
    v.PrstOrdini->SetValue("QTA2CONS", Variant(Decimal(1)));
    v.PrstOrdini->Update();
  }
  v.PgmChiamante = FbGenerazioneDdtDaListaPrel;
  v.AccorpaVariante = Fb_VarianteParziale;
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK);
  EXPECT_EQ(RenderTrimmed(*v.RstDestiOrdini, {"DO30_PROGRIGA", "DO30_QTA2", "QTA2CONS"}),
            "DO30_PROGRIGA|DO30_QTA2|QTA2CONS\n1D|12D|4D\n2D|6D|2D\n3D|3D|1D\n");
  // Re-proportioning 4 in the second unit over the open 2, 2, 2, 2.
  v.TipoRipartisci = Fb_Riproporziona;
  v.RipartisciRigaAccorpataOrdiniExt(
      EditMergedRow(kFirst, 1, {{"QTA2DACONS", Variant(Decimal(4))}}), Vst_Quantita2);
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK) << (messages.shown.empty() ? "" : messages.shown[0]);
  EXPECT_EQ(OriginsOf(kFirst, 1, {"DO30_PROGRIGA", "QTA2DACONS"}),
            "2D|1D\n3D|1D\n4D|1D\n2D|1D\n");
  // The procedure tells the host's optional columns by their length in the
  // work table (none for a column the host did not give).
  EXPECT_EQ(Query("SELECT COL_LENGTH('tempdb..#TabellaOrdini', 'DO30_QTA2') AS A, "
                  "COL_LENGTH('tempdb..#TabellaOrdini', 'NO_SUCH_COLUMN') AS B"),
            "A|B\n9|Null\n");
}

TEST_P(MergeEndToEndTest, PhasesComeFromTheDatabaseWhenTheHostGivesNone) {
  Sql("INSERT INTO DO30_DOCCORPO (DO30_DITTA_CG18, DO30_NUMREG_CO99, DO30_PROGRIGA, "
      "DO30_PROGPADRE, DO30_CODART_MG66, DO30_OPZIONE_MG5E, DO30_QTA1) VALUES "
      "(7, 'ODP000000001', 2, 1, 'GIACCA01', 'BLU46R', 10), "
      "(7, 'ODP000000001', 3, 1, 'GIACCA01', 'BLU48R', 12), "
      "(8, 'ODP000000001', 2, 1, 'GIACCA01', 'BLU46R', 99)");
  Sql("INSERT INTO DO46_DOCCORORDDET (DO46_DITTA_CG18, DO46_NUMREG_CO99, DO46_PROGRIGA, "
      "DO46_PROGDET, DO46_CODFASE, DO46_PROGSFASE, DO46_QTA1ORD, DO46_QTA1CONSOLID) VALUES "
      "(7, 'ODP000000001', 2, 1, 10, 0, 10, 4), (7, 'ODP000000001', 2, 2, 20, 0, 10, 0), "
      "(7, 'ODP000000001', 3, 1, 10, 0, 12, 12), (8, 'ODP000000001', 2, 1, 10, 0, 99, 0)");
  AddOrderRow(kFirst, 2, "BLU46R", "01", Variant::Null(), 10, Variant::Null());
  AddOrderRow(kFirst, 3, "BLU48R", "01", Variant::Null(), 12, Variant::Null());
  v.AccorpaVariante = Fb_NoAccorpamento;
  v.AccorpaFasi = true;
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK) << (messages.shown.empty() ? "" : messages.shown[0]);
  // The company's phases of the rows, with their parent row and nothing
  // consolidated in the phase before.
  EXPECT_EQ(Query("SELECT DO46_PROGRIGA, DO46_CODFASE, DO46_QTA1ORD, DO30_PROGPADRE, "
                  "DO46_QTA1CONSOLIDFP FROM #TabellaFasi ORDER BY DO46_PROGRIGA, DO46_CODFASE"),
            "DO46_PROGRIGA|DO46_CODFASE|DO46_QTA1ORD|DO30_PROGPADRE|DO46_QTA1CONSOLIDFP\n"
            "2D|10D|10.000D|1D|0.000D\n2D|20D|10.000D|1D|0.000D\n3D|10D|12.000D|1D|0.000D\n");
  // The two rows have different working cycles and stay apart; there is no
  // phase view.
  EXPECT_EQ(v.RstDestiOrdini->RecordCount(), 2);
  EXPECT_FALSE(v.RstOrigFasi);
  EXPECT_FALSE(v.RstDestiFasi);
  EXPECT_EQ(Query("SELECT OBJECT_ID('tempdb..#TabellaFasiDesti') AS O"), "O\nNull\n");
}

TEST_P(MergeEndToEndTest, DeliveryNotesFromOrdersSeeTheirOwnColumnNamesAndSelectedRows) {
  v.PgmChiamante = FbGenerazioneDdtDaOCL;
  v.PrstOrdini = NewSet({merge_test::TextField("NUMREG", 12),
                         merge_test::NumberField("PROGRIGA", 6, 0),
                         merge_test::NumberField("PROGPADRE", 6, 0),
                         merge_test::TextField("CODART", 25), merge_test::TextField("OPZIONE", 20),
                         merge_test::TextField("DEPRIGA", 2), merge_test::TextField("SELEZ", 1),
                         merge_test::NumberField("QTADATRASF", 14, 3)});
  struct Row {
    int progriga;
    const char* selez;
    int to_transfer;
  };
  for (const Row& r : {Row{1, "1", 4}, Row{2, "0", 5}, Row{3, "1", 6}}) {
    AddRow(*v.PrstOrdini, {{"NUMREG", Variant(kFirst)}, {"PROGRIGA", Variant(r.progriga)},
                           {"PROGPADRE", Variant(0)}, {"CODART", Variant("GIACCA01")},
                           {"OPZIONE", Variant("BLU46R")}, {"DEPRIGA", Variant("01")},
                           {"SELEZ", Variant(r.selez)},
                           {"QTADATRASF", Variant(Decimal(r.to_transfer))}});
  }
  v.AccorpaVariante = Fb_VarianteIntera;
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK) << (messages.shown.empty() ? "" : messages.shown[0]);
  // Only the selected rows count; the host's names carry the merged keys.
  EXPECT_EQ(RenderTrimmed(*v.RstDestiOrdini, {"NUMREG", "PROGRIGA", "CODART", "OPZIONE", "SELEZ",
                                       "QTADATRASF", "DO30_CODART_MG66"}),
            "NUMREG|PROGRIGA|CODART|OPZIONE|SELEZ|QTADATRASF|DO30_CODART_MG66\n"
            "\"ODP000000001\"|1D|\"GIACCA01\"|\"BLU46R\"|\"1\"|10D|\"GIACCA01\"\n");
  // A recalculation right after the merge finds the same.
  int32_t merged_view = VstAccorpate;
  v.RicalcolaSingolaRigaOrdiniFasiExt3(kFirst, 1, merged_view);
  EXPECT_EQ(RenderTrimmed(*v.RstDestiOrdini, {"SELEZ", "QTADATRASF"}),
            "SELEZ|QTADATRASF\n\"1\"|10D\n");
}

// --- Split-back and recalculation ------------------------------------------------------

TEST_P(MergeEndToEndTest, TransferredQuantitiesGoBackByCoverageAndByProportion) {
  AddJacketOrders(/*with_phases=*/false);
  v.AccorpaVariante = Fb_VarianteParziale;
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK);
  const std::vector<std::string> columns = {"DO11_NUMREG_CO99", "DO30_PROGRIGA", "QTADATRASF",
                                            "QTA2DATRASF", "SELEZ", "DEPRIGA", "QTAORD"};

  // Coverage in the first unit: each row takes what it still has open
  // (8, 12, 8, 5), in link order.
  v.TipoRipartisci = Fb_Spalma;
  v.RipartisciRigaAccorpataOrdiniExt(
      EditMergedRow(kFirst, 1, {{"QTADATRASF", Variant(Decimal(23))},
                                {"SELEZ", Variant("1")},
                                {"DEPRIGA", Variant("05")}}),
      Vst_Quantita1);
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK) << (messages.shown.empty() ? "" : messages.shown[0]);
  EXPECT_EQ(OriginsOf(kFirst, 1, columns),
            "\"ODP000000001\"|2D|8D|Null|\"1\"|\"05\"|10D\n"
            "\"ODP000000001\"|3D|12D|Null|\"1\"|\"05\"|12D\n"
            "\"ODP000000001\"|4D|3D|Null|\"1\"|\"05\"|8D\n"
            "\"ODP000000002\"|2D|Null|Null|\"1\"|\"05\"|6D\n");
  // Re-proportioning in the second unit (open 20, 24, 16, 12 of 72): shares
  // of 7 rounded to thousandths, the rows adding up to 7.
  v.TipoRipartisci = Fb_Riproporziona;
  v.RipartisciRigaAccorpataOrdiniExt(
      EditMergedRow(kFirst, 1, {{"QTA2DATRASF", Variant(Decimal(7))}}), Vst_Quantita2);
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK) << (messages.shown.empty() ? "" : messages.shown[0]);
  EXPECT_EQ(OriginsOf(kFirst, 1, columns),
            "\"ODP000000001\"|2D|8D|1.944D|\"1\"|\"05\"|10D\n"
            "\"ODP000000001\"|3D|12D|2.333D|\"1\"|\"05\"|12D\n"
            "\"ODP000000001\"|4D|3D|1.556D|\"1\"|\"05\"|8D\n"
            "\"ODP000000002\"|2D|Null|1.167D|\"1\"|\"05\"|6D\n");
  // The merged row was recalculated from its origin rows each time.
  EXPECT_EQ(RenderTrimmed(*v.RstDestiOrdini,
                          {"DO30_PROGRIGA", "QTADATRASF", "QTA2DATRASF", "QTAORD"}),
            "DO30_PROGRIGA|QTADATRASF|QTA2DATRASF|QTAORD\n1D|23D|7D|36D\n2D|0D|0D|12D\n"
            "3D|0D|0D|4D\n");

  // Both units at once, covering more than is open: the rest lands on the
  // last row that took part (a row that takes nothing in the second unit
  // keeps its 0). The host's grid holds its own copy of the
  // merged row, so the second unit still reads what was typed once the
  // first unit has recalculated the merged row.
  v.TipoRipartisci = Fb_Spalma;
  std::shared_ptr<Recordset> grid = v.RstDestiOrdini->DeepCopy();
  grid->SetFilter(Variant("DO30_PROGRIGA = 2"));
  grid->SetValue("QTADATRASF", Variant(Decimal(20)));
  grid->SetValue("QTA2DATRASF", Variant(Decimal(3)));
  grid->Update();
  v.RipartisciRigaAccorpataOrdiniExt(grid, Vst_Tutte);
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK);
  EXPECT_EQ(OriginsOf(kFirst, 2, {"DO30_PROGRIGA", "QTADATRASF", "QTA2DATRASF"}),
            "5D|5D|3D\n3D|15D|0D\n");
  // The other merged rows' origin rows were not touched.
  EXPECT_EQ(OriginsOf(kSecond, 3, {"DO30_PROGRIGA", "QTADATRASF", "QTA2DATRASF", "SELEZ"}),
            "4D|Null|Null|Null\n");
}

TEST_P(MergeEndToEndTest, PhaseQuantitiesGoBackAndAnEditedOriginRowIsRecalculated) {
  AddJacketOrders(/*with_phases=*/true);
  v.AccorpaVariante = Fb_VarianteParziale;
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK);

  // 20 to advance on the merged sewing phase (open 5, 6, 4, 3 on its origin
  // phases) and 1 to scrap: coverage, the leftover advance on the last row.
  v.RipartisciRigaAccorpataExt(
      EditMergedPhase(kFirst, 1, 20, {{"DO46_QTADAAVANZ", Variant(Decimal(20))},
                                      {"DO46_QTADASCART", Variant(Decimal(1))},
                                      {"DO46_DEPVERSAM", Variant("09")}}),
      Vst_Quantita1);
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK) << (messages.shown.empty() ? "" : messages.shown[0]);
  auto sewing = v.RstOrigFasi->Clone();
  sewing->SetFilter(Variant("DO46_CODFASE = 20"));
  EXPECT_EQ(RenderTrimmed(*sewing, {"DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_QTADAAVANZ",
                             "DO46_QTADASCART", "DO46_DEPVERSAM"}),
            "DO46_NUMREG_CO99|DO46_PROGRIGA|DO46_QTADAAVANZ|DO46_QTADASCART|DO46_DEPVERSAM\n"
            "\"ODP000000001\"|2D|5D|1D|\"09\"\n"
            "\"ODP000000001\"|3D|6D|Null|\"09\"\n"
            "\"ODP000000001\"|4D|4D|Null|\"09\"\n"
            "\"ODP000000001\"|5D|Null|Null|Null\n"
            "\"ODP000000002\"|2D|5D|Null|\"09\"\n"
            "\"ODP000000002\"|3D|Null|Null|Null\n"
            "\"ODP000000002\"|4D|Null|Null|Null\n");
  EXPECT_EQ(RenderTrimmed(*v.RstDestiFasi, {"DO46_PROGRIGA", "DO46_CODFASE", "DO46_QTADAAVANZ",
                                     "DO46_QTADASCART"}),
            "DO46_PROGRIGA|DO46_CODFASE|DO46_QTADAAVANZ|DO46_QTADASCART\n"
            "1D|10D|Null|Null\n1D|20D|20D|1D\n2D|10D|Null|Null\n2D|20D|Null|Null\n"
            "3D|10D|Null|Null\n3D|20D|Null|Null\n");

  // The host changes an origin row in the detailed view and asks for the
  // merged row that holds it to be recalculated.
  auto edited = v.RstOrigOrdini->Clone();
  edited->SetFilter(Variant("DO11_NUMREG_CO99 = 'ODP000000002' AND DO30_PROGRIGA = 2"));
  edited->SetValue("QTAORD", Variant(Decimal(9)));
  edited->Update();
  v.RiallineaRstOrdini(edited);
  int32_t detailed = VstDettagliate;
  v.RicalcolaSingolaRigaOrdiniFasiExt3(kSecond, 2, detailed);
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK);
  EXPECT_EQ(RenderTrimmed(*v.RstDestiOrdini, {"DO30_PROGRIGA", "QTAORD", "DO30_QTA1"}),
            "DO30_PROGRIGA|QTAORD|DO30_QTA1\n1D|39D|36D\n2D|12D|12D\n3D|4D|4D\n");
}

// --- Failures ----------------------------------------------------------------------------

TEST_P(MergeEndToEndTest, AMissingProcedureIsReportedByChiamaStored) {
  v.SetConnessione(
      merge_test::OpenErpDatabase(GetParam(), merge_test::MergeProcedure::kLeaveOut));
  AddJacketOrders(/*with_phases=*/false);
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find("SPVESTARO_ACCORPA"), std::string::npos) << messages.shown[0];
  EXPECT_NE(messages.shown[0].find(" nella routine : ChiamaStored|16|CLSPD_VESTARO"),
            std::string::npos)
      << messages.shown[0];
  EXPECT_FALSE(v.RstOrigOrdini);
  EXPECT_FALSE(v.RstDestiOrdini);
  EXPECT_FALSE(v.RstRiferimenti);
  EXPECT_EQ(window->calls().back(), "Put MousePointer=0");
  for (const std::string& c : status->calls())
    EXPECT_NE(c, "Put DetailText=\"Accorpamento righe terminato ....\"");
}

TEST_P(MergeEndToEndTest, AnOrderingOnAnUnknownColumnFailsInsideTheProcedure) {
  AddJacketOrders(/*with_phases=*/false);
  v.StrOrdinamento = "ORDER BY NO_SUCH_COLUMN";
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find("NO_SUCH_COLUMN"), std::string::npos) << messages.shown[0];
  EXPECT_NE(messages.shown[0].find(" nella routine : ChiamaStored"), std::string::npos);
  EXPECT_FALSE(v.RstDestiOrdini);

  // The next request on the same connection works again.
  messages.shown.clear();
  v.StrOrdinamento = "DO30_PROGRIGA DESC, DO11_NUMREG_CO99";
  Merge();
  ASSERT_EQ(v.VestaroStato(), tsVestaroOK) << (messages.shown.empty() ? "" : messages.shown[0]);
  EXPECT_EQ(RenderTrimmed(*v.RstOrigOrdini, {"DO11_NUMREG_CO99", "DO30_PROGRIGA"}),
            "DO11_NUMREG_CO99|DO30_PROGRIGA\n\"ODP000000001\"|5D\n\"ODP000000001\"|4D\n"
            "\"ODP000000002\"|4D\n\"ODP000000001\"|3D\n\"ODP000000002\"|3D\n"
            "\"ODP000000001\"|2D\n\"ODP000000002\"|2D\n");
}

TEST_P(MergeEndToEndTest, NoOrderRowsMeansNoWorkTables) {
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsRecordsetVuoto);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(Query("SELECT OBJECT_ID('tempdb..#TabellaOrdini') AS O"), "O\nNull\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, MergeEndToEndTest, testing::BothBackends(),
                         testing::BackendName);

}  // namespace
}  // namespace zv
