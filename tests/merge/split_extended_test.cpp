// The extended split-back: quantities entered on a merged phase or order row
// given out to the origin rows, by coverage or in proportion, with the
// leftover on the last row that took part and the merged row recalculated.
#include <gtest/gtest.h>

#include "tests/merge/merge_fixture.h"

namespace zv {
namespace {

using merge_test::MergedView;
using merge_test::MessageLog;
using merge_test::Qty;
using merge_test::Values;

Variant Q(const char* text) { return Variant(Qty(text)); }

// A merged phase M/1, phase 10, whose origin rows are A/1, A/2 and A/3.
class PhaseSplitTest : public ::testing::Test {
 protected:
  PhaseSplitTest() {
    view.v.IsRecordsetFasi = true;
    view.AddMergedRow("M", 1);
    view.AddMergedPhase("M", 1, 10, 0);
    view.AddMergedPhase("M", 1, 20, 0);
  }
  void AddOrigin(int row, Values phase) {
    view.AddOrderRow("A", row);
    view.Link("A", row, "M", 1);
    view.AddOriginPhase("A", row, 10, 0, phase);
  }
  void Split(Values values, int32_t unit = Vst_Quantita1) {
    view.SplitPhase("M", 1, 10, 0, values, unit);
  }
  std::string Origins() {
    return view.OriginPhases({"DO46_PROGRIGA", "DO46_QTADAAVANZ", "DO46_QTADASCART",
                              "DO46_QTA2DAAVANZ", "DO46_QTA2DASCART"});
  }
  std::string MergedPhase10() {
    auto rs = view.v.RstDestiFasi->Clone();
    rs->SetFilter(Variant("DO46_CODFASE = 10"));
    return merge_test::Render(*rs, {"DO46_QTADAAVANZ", "DO46_QTADASCART"});
  }

  MergedView view;
};

TEST_F(PhaseSplitTest, CoverageFillsEachOpenPhaseInLinkOrder) {
  for (int row : {1, 2, 3})
    AddOrigin(row, {{"DO46_QTA1ORD", Q("6")}, {"DO46_QTA1CONSOLID", Q("2")}});
  Split({{"DO46_QTADAAVANZ", Q("10")}});
  EXPECT_EQ(Origins(),
            "DO46_PROGRIGA|DO46_QTADAAVANZ|DO46_QTADASCART|DO46_QTA2DAAVANZ|DO46_QTA2DASCART\n"
            "1D|4D|Null|Null|Null\n2D|4D|Null|Null|Null\n3D|2D|Null|Null|Null\n");
  EXPECT_EQ(MergedPhase10(), "DO46_QTADAAVANZ|DO46_QTADASCART\n10D|Null\n");
  EXPECT_EQ(view.v.VestaroStato(), tsVestaroOK);
}

TEST_F(PhaseSplitTest, MoreThanIsOpenLeavesTheRestOnTheLastPhaseThatTookPart) {
  for (int row : {1, 2, 3})
    AddOrigin(row, {{"DO46_QTA1ORD", Q("6")}, {"DO46_QTA1CONSOLID", Q("2")}});
  Split({{"DO46_QTADAAVANZ", Q("15")}});
  EXPECT_EQ(Origins(),
            "DO46_PROGRIGA|DO46_QTADAAVANZ|DO46_QTADASCART|DO46_QTA2DAAVANZ|DO46_QTA2DASCART\n"
            "1D|4D|Null|Null|Null\n2D|4D|Null|Null|Null\n3D|7D|Null|Null|Null\n");
  EXPECT_EQ(MergedPhase10(), "DO46_QTADAAVANZ|DO46_QTADASCART\n15D|Null\n");
}

TEST_F(PhaseSplitTest, AClosedPhaseTakesNothingToAdvanceButCanTakeScrap) {
  AddOrigin(1, {{"DO46_QTA1ORD", Q("5")}, {"DO46_QTA1CONSOLID", Q("5")},
                {"DO46_QTADAAVANZ", Q("9")}});
  AddOrigin(2, {{"DO46_QTA1ORD", Q("5")}, {"DO46_QTA1CONSOLID", Q("1")}});
  AddOrigin(3, {{"DO46_QTA1ORD", Q("3")}});
  // Scrap fills what each phase has not been given to advance.
  Split({{"DO46_QTADAAVANZ", Q("6")}, {"DO46_QTADASCART", Q("9")}});
  EXPECT_EQ(Origins(),
            "DO46_PROGRIGA|DO46_QTADAAVANZ|DO46_QTADASCART|DO46_QTA2DAAVANZ|DO46_QTA2DASCART\n"
            "1D|Null|5D|Null|Null\n2D|4D|1D|Null|Null\n3D|2D|3D|Null|Null\n");
  EXPECT_EQ(MergedPhase10(), "DO46_QTADAAVANZ|DO46_QTADASCART\n6D|9D\n");
}

TEST_F(PhaseSplitTest, NothingToAdvanceLeavesEveryPhaseNull) {
  for (int row : {1, 2})
    AddOrigin(row, {{"DO46_QTA1ORD", Q("6")}, {"DO46_QTADAAVANZ", Q("3")}});
  Split({{"DO46_QTADAAVANZ", Q("0")}});
  EXPECT_EQ(Origins(),
            "DO46_PROGRIGA|DO46_QTADAAVANZ|DO46_QTADASCART|DO46_QTA2DAAVANZ|DO46_QTA2DASCART\n"
            "1D|Null|Null|Null|Null\n2D|Null|Null|Null|Null\n");
  EXPECT_EQ(MergedPhase10(), "DO46_QTADAAVANZ|DO46_QTADASCART\nNull|Null\n");
}

TEST_F(PhaseSplitTest, TheStopOnTheOtherUnitEndsTheDistribution) {
  view.v.TipoStopCopertura = Vst_Stop_AltraQuantita;
  AddOrigin(1, {{"DO46_QTA1ORD", Q("4")}, {"DO46_QTA2DAAVANZ", Q("1")}});
  AddOrigin(2, {{"DO46_QTA1ORD", Q("4")}});  // nothing in the other unit
  AddOrigin(3, {{"DO46_QTA1ORD", Q("4")}, {"DO46_QTA2DASCART", Q("1")}});
  Split({{"DO46_QTADAAVANZ", Q("10")}});
  EXPECT_EQ(Origins(),
            "DO46_PROGRIGA|DO46_QTADAAVANZ|DO46_QTADASCART|DO46_QTA2DAAVANZ|DO46_QTA2DASCART\n"
            "1D|10D|Null|1D|Null\n2D|Null|Null|Null|Null\n3D|Null|Null|Null|1D\n");
}

TEST_F(PhaseSplitTest, TheSecondUnitUsesItsOwnColumns) {
  for (int row : {1, 2})
    AddOrigin(row, {{"DO46_QTA2ORD", Q("3")}, {"DO46_QTA2CONSOLID", Q("1")},
                    {"DO46_QTADAAVANZ", Q("0")}});
  Split({{"DO46_QTA2DAAVANZ", Q("3")}, {"DO46_QTA2DASCART", Q("1")}}, Vst_Quantita2);
  EXPECT_EQ(Origins(),
            "DO46_PROGRIGA|DO46_QTADAAVANZ|DO46_QTADASCART|DO46_QTA2DAAVANZ|DO46_QTA2DASCART\n"
            "1D|Null|Null|2D|1D\n2D|Null|Null|1D|Null\n");
}

TEST_F(PhaseSplitTest, CommonDataOfTheMergedPhaseIsCopiedForTheClosingPrograms) {
  view.v.PgmChiamante = FbAvanzamentoOrdiniProduzione;
  for (int row : {1, 2})
    AddOrigin(row, {{"DO46_QTA1ORD", Q("2")}, {"DO46_FLGSALDOODL", Variant(1)}});
  Split({{"DO46_QTADAAVANZ", Q("1")},
         {"DO46_SELEZ", Variant("1")},
         {"DO46_FLGSALDO", Variant(1)},
         {"DO46_FLGSALDOORD", Variant(1)},
         {"DO46_FLGSALDOODL", Variant(0)},
         {"DO46_DEPVERSAM", Variant("D1")},
         {"DO46_DOCSCARTO", Variant("SC9")},
         {"DO46_MACCHINAALT", Variant("PRESS")}});
  EXPECT_EQ(view.OriginPhases({"DO46_SELEZ", "DO46_FLGSALDO", "DO46_FLGSALDOORD",
                               "DO46_FLGSALDOODL", "DO46_DEPVERSAM", "DO46_DOCSCARTO",
                               "DO46_MACCHINAALT"}),
            "DO46_SELEZ|DO46_FLGSALDO|DO46_FLGSALDOORD|DO46_FLGSALDOODL|DO46_DEPVERSAM|"
            "DO46_DOCSCARTO|DO46_MACCHINAALT\n"
            "\"1\"|1D|1D|1D|\"D1\"|\"SC9\"|\"PRESS\"\n"
            "\"1\"|1D|1D|1D|\"D1\"|\"SC9\"|\"PRESS\"\n");
}

TEST_F(PhaseSplitTest, WithoutPhaseRecordSetsNothingIsSplit) {
  AddOrigin(1, {{"DO46_QTA1ORD", Q("2")}});
  view.v.IsRecordsetFasi = false;
  Split({{"DO46_QTADAAVANZ", Q("1")}});
  EXPECT_EQ(view.OriginPhases({"DO46_QTADAAVANZ"}), "DO46_QTADAAVANZ\nNull\n");
}

TEST_F(PhaseSplitTest, AFailureIsReportedAsTheFirstUnitsRoutine) {
  MessageLog messages;
  AddOrigin(1, {{"DO46_QTA1ORD", Q("2")}});
  view.v.RstOrigFasi = nullptr;
  Split({{"DO46_QTADAAVANZ", Q("1")}});
  EXPECT_EQ(view.v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find(" nella routine : RipartisciRigaAccorpata|"),
            std::string::npos);
}

// A merged order row M/1 of origin rows A/1.. for the split-back of order
// rows.
class OrderSplitTest : public ::testing::Test {
 protected:
  OrderSplitTest() {
    view.AddMergedRow("M", 1, {{"SELEZ", Variant("1")}, {"DEPRIGA", Variant("R")}});
  }
  void AddOrigin(int row, Values values) {
    view.AddOrderRow("A", row, values);
    view.Link("A", row, "M", 1);
  }
  // Sets the merged row's ordered and done quantities to the sums of its
  // origin rows, as the merge leaves them.
  void MergedTotals(Values values) { view.EditMergedRow("M", 1, values); }
  void Split(Values values, int32_t unit = Vst_Quantita1) {
    view.SplitOrders("M", 1, values, unit);
  }

  MergedView view;
};

TEST_F(OrderSplitTest, ReproportioningGivesSharesOfTheOpenQuantity) {
  view.v.TipoRipartisci = Fb_Riproporziona;
  AddOrigin(1, {{"QTAORD", Q("1")}});
  AddOrigin(2, {{"QTAORD", Q("5")}, {"QTATRASF", Q("3")}});
  MergedTotals({{"QTAORD", Q("6")}, {"QTATRASF", Q("3")}});
  Split({{"QTADATRASF", Q("10")}});
  EXPECT_EQ(view.Origins({"DO30_PROGRIGA", "QTADATRASF", "SELEZ", "DEPRIGA"}),
            "DO30_PROGRIGA|QTADATRASF|SELEZ|DEPRIGA\n"
            "1D|3.333D|\"1\"|\"R\"\n"
            "2D|6.667D|\"1\"|\"R\"\n");
  EXPECT_EQ(view.Merged({"QTAORD", "QTATRASF", "QTADATRASF"}),
            "QTAORD|QTATRASF|QTADATRASF\n6D|3D|10D\n");
}

TEST_F(OrderSplitTest, ReproportioningRoundsDownAndTheLastRowTakesTheRest) {
  view.v.TipoRipartisci = Fb_Riproporziona;
  for (int row : {1, 2, 3}) AddOrigin(row, {{"QTAORD", Q("1")}});
  MergedTotals({{"QTAORD", Q("3")}});
  Split({{"QTADATRASF", Q("1")}});
  EXPECT_EQ(view.Origins({"QTADATRASF"}), "QTADATRASF\n0.333D\n0.333D\n0.334D\n");
}

TEST_F(OrderSplitTest, CoverageWithTheOrderGenerationColumnsInTheSecondUnit) {
  view.v.PgmChiamante = FbGenerazioneOrdiniDaDocumenti;
  AddOrigin(1, {{"DO30_QTA2", Q("2")}, {"WKQTA2ORD", Q("9")}, {"QTADATRASF", Q("0")}});
  AddOrigin(2, {{"DO30_QTA2", Q("8")}, {"DO31_QTA2CONS", Q("3")}});
  AddOrigin(3, {{"DO30_QTA2", Q("1")}, {"DO31_QTA2CONS", Q("1")}});  // nothing open
  MergedTotals({{"DO30_QTA2", Q("11")}, {"DO31_QTA2CONS", Q("4")}});
  Split({{"WKQTA2ORD", Q("4")}}, Vst_Quantita2);
  EXPECT_EQ(view.Origins({"WKQTA2ORD", "WKQTA1ORD", "QTADATRASF", "DO31_QTA2CONS"}),
            "WKQTA2ORD|WKQTA1ORD|QTADATRASF|DO31_QTA2CONS\n"
            "2D|Null|Null|Null\n2D|Null|Null|3D\nNull|Null|Null|1D\n");
  EXPECT_EQ(view.Merged({"WKQTA2ORD"}), "WKQTA2ORD\n4D\n");
}

TEST_F(OrderSplitTest, PickingListsResetToZeroAndKeepZeros) {
  view.v.PgmChiamante = FbGenerazioneDdtDaListaPrel;
  AddOrigin(1, {{"DO30_QTA1", Q("3")}, {"QTADATRASF", Q("0")}, {"DO31_QTA2CONS", Q("5")}});
  AddOrigin(2, {{"DO30_QTA1", Q("3")}, {"DO31_QTA1CONS", Q("3")}});
  MergedTotals({{"DO30_QTA1", Q("6")}, {"DO31_QTA1CONS", Q("3")}});
  Split({{"DO31_QTA2CONS", Q("2")}});
  EXPECT_EQ(view.Origins({"DO31_QTA2CONS", "QTADATRASF"}),
            "DO31_QTA2CONS|QTADATRASF\n2D|0D\n0D|0D\n");
}

TEST_F(OrderSplitTest, TheStopOnTheOtherUnitKeepsRowsWithoutItOut) {
  view.v.TipoStopCopertura = Vst_Stop_AltraQuantita;
  AddOrigin(1, {{"QTAORD", Q("5")}, {"QTA2DATRASF", Q("1")}});
  AddOrigin(2, {{"QTAORD", Q("5")}});
  AddOrigin(3, {{"QTAORD", Q("5")}, {"QTA2DATRASF", Q("2")}});
  MergedTotals({{"QTAORD", Q("15")}});
  Split({{"QTADATRASF", Q("8")}, {"SELEZ", Variant("1")}});
  // Row 2 is reset but takes no part; row 3 takes the rest.
  EXPECT_EQ(view.Origins({"QTADATRASF", "QTA2DATRASF", "SELEZ"}),
            "QTADATRASF|QTA2DATRASF|SELEZ\n5D|1D|\"1\"\nNull|Null|\"0\"\n3D|2D|\"1\"\n");
}

TEST_F(OrderSplitTest, BothUnitsRunOneAfterTheOtherWithTheRecalculationBetween) {
  AddOrigin(1, {{"QTAORD", Q("5")}, {"QTA2ORD", Q("5")}, {"QTA2DATRASF", Q("1")}});
  AddOrigin(2, {{"QTAORD", Q("5")}, {"QTA2ORD", Q("5")}, {"QTA2DATRASF", Q("1")}});
  MergedTotals({{"QTAORD", Q("10")}, {"QTA2ORD", Q("10")}});

  // A host set that shares the merged rows sees the first unit's
  // recalculation: the second unit gives out the origin rows' own total.
  view.SplitOrders("M", 1, {{"QTADATRASF", Q("7")}, {"QTA2DATRASF", Q("8")}}, Vst_Tutte);
  EXPECT_EQ(view.Origins({"QTADATRASF", "QTA2DATRASF"}),
            "QTADATRASF|QTA2DATRASF\n5D|2D\n2D|0D\n");

  // A host set of its own keeps what was entered for the second unit.
  auto own = view.EditMergedRow("M", 1)->DeepCopy();
  own->MoveFirst();
  own->SetValue("QTADATRASF", Q("7"));
  own->SetValue("QTA2DATRASF", Q("8"));
  own->Update();
  view.v.RipartisciRigaAccorpataOrdiniExt(own, Vst_Tutte);
  EXPECT_EQ(view.Origins({"QTADATRASF", "QTA2DATRASF"}),
            "QTADATRASF|QTA2DATRASF\n5D|5D\n2D|3D\n");
  EXPECT_EQ(view.Merged({"QTADATRASF", "QTA2DATRASF"}), "QTADATRASF|QTA2DATRASF\n7D|8D\n");
}

TEST_F(OrderSplitTest, AMergedRowWithoutLinksIsLeftAlone) {
  AddOrigin(1, {{"QTAORD", Q("5")}, {"QTADATRASF", Q("1")}});
  view.AddMergedRow("M", 2);
  view.SplitOrders("M", 2, {{"QTADATRASF", Q("3")}});
  EXPECT_EQ(view.Origins({"QTADATRASF"}), "QTADATRASF\n1D\n");
  EXPECT_EQ(view.v.VestaroStato(), tsVestaroOK);
}

TEST_F(OrderSplitTest, AFailureIsReportedUnderTheOrderRoutinesName) {
  MessageLog messages;
  view.v.TipoRipartisci = Fb_Riproporziona;
  AddOrigin(1, {{"QTAORD", Q("5")}, {"QTATRASF", Q("1")}});
  // The merged row shows nothing open although its origin row has 4.
  Split({{"QTADATRASF", Q("3")}});
  EXPECT_EQ(view.v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find(" nella routine : RipartisciRigaAccorpataOrdiniExt|"),
            std::string::npos);
}

}  // namespace
}  // namespace zv
