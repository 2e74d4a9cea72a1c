// Recalculation of one merged order row and its merged phases from the
// origin rows behind them.
#include <gtest/gtest.h>

#include "tests/merge/merge_fixture.h"

namespace zv {
namespace {

using merge_test::MergedView;
using merge_test::MessageLog;
using merge_test::Qty;

Variant Q(const char* text) { return Variant(Qty(text)); }

// Two origin rows A/1 and A/2 merged into M/1; B/1 alone in M/2.
class RecalcTest : public ::testing::Test {
 protected:
  RecalcTest() {
    view.AddOrderRow("A", 1, {{"QTAORD", Q("4")}, {"QTADATRASF", Q("1")},
                              {"WKQTA2ORD", Q("0.5")}, {"SELEZ", Variant("0")}});
    view.AddOrderRow("A", 2, {{"QTAORD", Q("6")}, {"QTADATRASF", Q("2")},
                              {"QTA2DATRASF", Q("3")}, {"SELEZ", Variant("1")}});
    view.AddOrderRow("B", 1, {{"QTAORD", Q("100")}, {"QTADATRASF", Q("100")}});
    view.AddMergedRow("M", 1, {{"QTAORD", Q("7")}, {"QTADATRASF", Q("9")},
                               {"DESCR", Variant("stays")}});
    view.AddMergedRow("M", 2, {{"QTAORD", Q("100")}});
    view.Link("A", 1, "M", 1);
    view.Link("A", 2, "M", 1);
    view.Link("B", 1, "M", 2);
  }
  void Recalculate(const std::string& numreg, int progriga, int32_t tipo_vis = VstAccorpate,
                   int fase = 0, int sfase = 0) {
    view.v.RicalcolaSingolaRigaOrdiniFasiExt3(numreg, progriga, tipo_vis, fase, sfase);
  }
  std::string Merged() {
    return view.Merged({"DO30_PROGRIGA", "QTAORD", "QTADATRASF", "QTA2DATRASF", "WKQTA2ORD",
                        "DO30_QTA1", "SELEZ", "DESCR"});
  }

  MergedView view;
};

TEST_F(RecalcTest, TheMergedRowBecomesTheSumOfItsOriginRows) {
  Recalculate("M", 1);
  EXPECT_EQ(Merged(),
            "DO30_PROGRIGA|QTAORD|QTADATRASF|QTA2DATRASF|WKQTA2ORD|DO30_QTA1|SELEZ|DESCR\n"
            "1D|10D|3D|3D|0.5D|0D|Null|\"stays\"\n"
            "2D|100D|Null|Null|Null|Null|Null|Null\n");
  EXPECT_EQ(view.v.RstRiferimenti->Filter(),
            Variant("DESTI_NUMREG = 'M' AND DESTI_PROGRIGA = 1"));
  EXPECT_EQ(view.v.VestaroStato(), tsVestaroOK);
}

TEST_F(RecalcTest, AnOriginKeyLeadsToItsMergedRow) {
  Recalculate("A", 2, VstDettagliate);
  EXPECT_EQ(Merged(),
            "DO30_PROGRIGA|QTAORD|QTADATRASF|QTA2DATRASF|WKQTA2ORD|DO30_QTA1|SELEZ|DESCR\n"
            "1D|10D|3D|3D|0.5D|0D|Null|\"stays\"\n"
            "2D|100D|Null|Null|Null|Null|Null|Null\n");
}

TEST_F(RecalcTest, AnOriginKeyWithoutALinkClearsTheFilterAndChangesNothing) {
  const std::string before = Merged();
  Recalculate("Z", 1, VstDettagliate);
  EXPECT_EQ(Merged(), before);
  EXPECT_EQ(view.v.RstRiferimenti->Filter(), Variant(int32_t{0}));
}

TEST_F(RecalcTest, DocumentGenerationCountsOnlySelectedRowsToTransfer) {
  view.v.PgmChiamante = FbGenerazioneDdtDaOCL;
  Recalculate("M", 1);
  EXPECT_EQ(Merged(),
            "DO30_PROGRIGA|QTAORD|QTADATRASF|QTA2DATRASF|WKQTA2ORD|DO30_QTA1|SELEZ|DESCR\n"
            "1D|7D|2D|3D|Null|Null|\"1\"|\"stays\"\n"
            "2D|100D|Null|Null|Null|Null|Null|Null\n");

  // Nothing selected: nothing to transfer and no selection.
  view.AddOrderRow("C", 1, {{"QTADATRASF", Q("5")}, {"SELEZ", Variant("0")}});
  view.AddMergedRow("N", 1, {{"QTADATRASF", Q("5")}, {"QTA2DATRASF", Q("5")},
                             {"SELEZ", Variant("1")}, {"QTAORD", Q("8")}});
  view.Link("C", 1, "N", 1);
  view.v.PgmChiamante = FbGenerazioneDdtDaODL;
  Recalculate("N", 1);
  EXPECT_EQ(view.Merged({"DO11_NUMREG_CO99", "QTAORD", "QTADATRASF", "QTA2DATRASF", "SELEZ"}),
            "DO11_NUMREG_CO99|QTAORD|QTADATRASF|QTA2DATRASF|SELEZ\n"
            "\"M\"|7D|2D|3D|\"1\"\n"
            "\"M\"|100D|Null|Null|Null\n"
            "\"N\"|8D|0D|0D|\"0\"\n");
}

TEST_F(RecalcTest, AnOriginRowReachedByTwoLinksCountsOnce) {
  view.Link("A", 2, "M", 1);
  Recalculate("M", 1);
  EXPECT_EQ(view.Merged({"QTAORD"}), "QTAORD\n10D\n100D\n");
}

TEST_F(RecalcTest, AMergedRowFoundTwiceIsLeftAloneButItsPhasesAreRecalculated) {
  view.AddMergedRow("M", 1, {{"QTAORD", Q("1")}});
  view.v.IsRecordsetFasi = true;
  view.AddOriginPhase("A", 1, 10, 0, {{"DO46_QTA1ORD", Q("4")}});
  view.AddOriginPhase("A", 2, 10, 0, {{"DO46_QTA1ORD", Q("6")}});
  view.AddMergedPhase("M", 1, 10, 0);
  Recalculate("M", 1);
  EXPECT_EQ(view.Merged({"QTAORD"}), "QTAORD\n7D\n100D\n1D\n");
  EXPECT_EQ(view.MergedPhases({"DO46_CODFASE", "DO46_QTA1ORD"}),
            "DO46_CODFASE|DO46_QTA1ORD\n10D|10D\n");
}

TEST_F(RecalcTest, MergedPhasesSumTheirOwnPhaseOfEveryOriginRow) {
  view.v.IsRecordsetFasi = true;
  view.AddOriginPhase("A", 1, 10, 0, {{"DO46_QTA1ORD", Q("0")}, {"DO46_QTA1CONSOLID", Q("0")},
                                      {"DO46_QTADAAVANZ", Q("1")}, {"DO46_SELEZ", Variant("0")}});
  view.AddOriginPhase("A", 2, 10, 0, {{"DO46_QTA1ORD", Q("0")}, {"DO46_QTADAAVANZ", Q("2")},
                                      {"DO46_SELEZ", Variant("1")}});
  view.AddOriginPhase("A", 1, 20, 0, {{"DO46_QTA1ORD", Q("4")}, {"CONSEGNATO", Q("1")}});
  view.AddOriginPhase("A", 2, 20, 1, {{"DO46_QTA1ORD", Q("9")}});
  view.AddOriginPhase("B", 1, 10, 0, {{"DO46_QTA1ORD", Q("50")}});
  view.AddMergedPhase("M", 1, 10, 0, {{"DO46_QTA1ORD", Q("99")}, {"DESCR", Variant("kept")}});
  view.AddMergedPhase("M", 1, 20, 0);
  view.AddMergedPhase("M", 1, 20, 1);
  view.AddMergedPhase("M", 2, 10, 0);
  // The phase asked for does not limit the merged phases recalculated.
  Recalculate("M", 1, VstAccorpate, 20);
  EXPECT_EQ(view.MergedPhases({"DO46_PROGRIGA", "DO46_CODFASE", "DO46_PROGSFASE", "DO46_QTA1ORD",
                               "DO46_QTA1CONSOLID", "DO46_QTADAAVANZ", "CONSEGNATO",
                               "DO46_QTA2SCARTO", "DO46_SELEZ", "DESCR"}),
            "DO46_PROGRIGA|DO46_CODFASE|DO46_PROGSFASE|DO46_QTA1ORD|DO46_QTA1CONSOLID|"
            "DO46_QTADAAVANZ|CONSEGNATO|DO46_QTA2SCARTO|DO46_SELEZ|DESCR\n"
            "1D|10D|0D|Null|0D|3D|Null|0D|\"1\"|\"kept\"\n"
            "1D|20D|0D|4D|0D|Null|1D|0D|\"0\"|Null\n"
            "1D|20D|1D|9D|0D|Null|Null|0D|\"0\"|Null\n"
            "2D|10D|0D|Null|Null|Null|Null|Null|Null|Null\n");
}

TEST_F(RecalcTest, WithoutPhaseRowsThePhaseKeysOfTheCallAreIgnored) {
  Recalculate("M", 1, VstAccorpate, 99, 9);
  EXPECT_EQ(view.Merged({"QTAORD"}), "QTAORD\n10D\n100D\n");
}

TEST(RecalcByPhase, OrderRowsOfOnePhaseFormTheirOwnMergedRow) {
  MergedView view;
  view.v.AccorpaFaseRecordsetOrdini = true;
  view.AddOrderRow("A", 1, {{"QTAORD", Q("1")}}, 10, 0);
  view.AddOrderRow("A", 1, {{"QTAORD", Q("2")}}, 20, 0);
  view.AddOrderRow("A", 2, {{"QTAORD", Q("4")}}, 20, 0);
  view.AddMergedRow("M", 1, {}, 10, 0);
  view.AddMergedRow("M", 1, {}, 20, 0);
  view.Link("A", 1, "M", 1, 10, 0, 10, 0);
  view.Link("A", 1, "M", 1, 20, 0, 20, 0);
  view.Link("A", 2, "M", 1, 20, 0, 20, 0);
  int32_t tipo = VstAccorpate;
  view.v.RicalcolaSingolaRigaOrdiniFasiExt3("M", 1, tipo, 20, 0);
  EXPECT_EQ(view.Merged({"DO46_CODFASE", "QTAORD"}), "DO46_CODFASE|QTAORD\n10D|Null\n20D|6D\n");
  // From an origin row of phase 10.
  tipo = VstDettagliate;
  view.v.RicalcolaSingolaRigaOrdiniFasiExt3("A", 1, tipo, 10, 0);
  EXPECT_EQ(view.Merged({"DO46_CODFASE", "QTAORD"}), "DO46_CODFASE|QTAORD\n10D|1D\n20D|6D\n");
  EXPECT_EQ(tipo, VstDettagliate);
}

TEST(RecalcGenerations, OnlyTheThirdDoesTheWork) {
  MessageLog messages;
  MergedView view;
  view.AddOrderRow("A", 1, {{"QTAORD", Q("4")}});
  view.AddMergedRow("M", 1, {{"QTAORD", Q("1")}});
  view.Link("A", 1, "M", 1);
  int32_t tipo = VstAccorpate;
  view.v.RicalcolaSingolaRigaOrdiniFasi("M", 1, tipo);
  EXPECT_EQ(view.Merged({"QTAORD"}), "QTAORD\n1D\n");
  EXPECT_TRUE(messages.shown.empty());

  view.v.RicalcolaSingolaRigaOrdiniFasiExt("M", 1, tipo);
  EXPECT_EQ(messages.shown,
            std::vector<std::string>{"RicalcolaSingolaRigaOrdiniFasiExt|0|CLSPD_VESTARO"});
  EXPECT_EQ(view.Merged({"QTAORD"}), "QTAORD\n4D\n");
}

TEST(RecalcGenerations, TheHostReachesTheRecalculationByName) {
  MergedView view;
  view.AddOrderRow("A", 1, {{"QTAORD", Q("4")}});
  view.AddMergedRow("M", 1, {{"QTAORD", Q("1")}});
  view.Link("A", 1, "M", 1);
  std::vector<Variant> args = {Variant("A"), Variant(Qty("1")), Variant(int16_t{VstDettagliate})};
  view.v.Invoke("ricalcolasingolarigaordinifasiext3", args);
  EXPECT_EQ(view.Merged({"QTAORD"}), "QTAORD\n4D\n");
  EXPECT_EQ(args[2], Variant(int32_t{VstDettagliate}));
}

}  // namespace
}  // namespace zv
