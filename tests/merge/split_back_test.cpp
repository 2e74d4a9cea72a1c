// Common values and edited origin rows carried back from the host's grid to
// the origin record sets of the merged view.
#include <gtest/gtest.h>

#include "tests/merge/merge_fixture.h"

namespace zv {
namespace {

using merge_test::MergedView;
using merge_test::MessageLog;
using merge_test::Qty;

Variant Q(const char* text) { return Variant(Qty(text)); }

// Three origin rows of order A merged into M/1; order B stays alone in M/2.
class CommonValueTest : public ::testing::Test {
 protected:
  CommonValueTest() {
    for (int row : {1, 2, 3}) view.AddOrderRow("A", row, {{"DEPRIGA", Variant("01")}});
    view.AddOrderRow("B", 1, {{"DEPRIGA", Variant("01")}});
    view.AddMergedRow("M", 1, {{"DEPRIGA", Variant("01")}});
    view.AddMergedRow("M", 2, {{"DEPRIGA", Variant("01")}});
    for (int row : {1, 2, 3}) view.Link("A", row, "M", 1);
    view.Link("B", 1, "M", 2);
  }
  MergedView view;
};

TEST_F(CommonValueTest, AValueTypedOnAMergedRowReachesEachOfItsOriginRows) {
  auto edited = view.EditMergedRow("M", 1, {{"DEPRIGA", Variant("07")}});
  // The merged row keeps the value the host wrote, nothing more.
  view.v.RstDestiOrdini->MoveFirst();
  view.v.RiportaDatoComuneOrdini(edited, Variant("DEPRIGA"));
  EXPECT_EQ(view.Origins({"DO11_NUMREG_CO99", "DO30_PROGRIGA", "DEPRIGA"}),
            "DO11_NUMREG_CO99|DO30_PROGRIGA|DEPRIGA\n"
            "\"A\"|1D|\"07\"\n\"A\"|2D|\"07\"\n\"A\"|3D|\"07\"\n\"B\"|1D|\"01\"\n");
  EXPECT_EQ(view.Merged({"DEPRIGA"}), "DEPRIGA\n\"07\"\n\"01\"\n");
  EXPECT_EQ(view.v.RstRiferimenti->RecordCount(), 3);
  EXPECT_EQ(view.v.VestaroStato(), tsVestaroOK);
}

TEST_F(CommonValueTest, AnUnknownColumnIsReported) {
  MessageLog messages;
  view.v.RiportaDatoComuneOrdini(view.EditMergedRow("M", 1), Variant("NOPE"));
  EXPECT_EQ(view.v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find(" nella routine : RiportaDatoComuneOrdini|"),
            std::string::npos);
}

TEST(CommonValueByPhase, OriginRowsAreMatchedOnTheirPhase) {
  MergedView view;
  view.v.AccorpaFaseRecordsetOrdini = true;
  view.AddOrderRow("A", 1, {}, 10, 0);
  view.AddOrderRow("A", 1, {}, 20, 0);
  view.AddOrderRow("A", 2, {}, 20, 0);
  view.AddMergedRow("M", 1, {}, 20, 0);
  view.Link("A", 1, "M", 1, 20, 0, 20, 0);
  view.Link("A", 2, "M", 1, 20, 0, 20, 0);
  view.v.RiportaDatoComuneOrdini(view.EditMergedRow("M", 1, {{"DEPFASEPREC", Variant("X")}}, 20),
                                 Variant("DEPFASEPREC"));
  EXPECT_EQ(view.Origins({"DO30_PROGRIGA", "DO46_CODFASE", "DEPFASEPREC"}),
            "DO30_PROGRIGA|DO46_CODFASE|DEPFASEPREC\n1D|10D|Null\n1D|20D|\"X\"\n2D|20D|\"X\"\n");
}

class CommonPhaseValueTest : public ::testing::Test {
 protected:
  CommonPhaseValueTest() {
    view.AddOrderRow("A", 1);
    view.AddOrderRow("A", 2);
    view.AddMergedRow("M", 1);
    view.Link("A", 1, "M", 1);
    view.Link("A", 2, "M", 1);
    view.AddOriginPhase("A", 1, 10, 0);
    view.AddOriginPhase("A", 2, 10, 0);
    view.AddOriginPhase("A", 2, 10, 1);
    view.AddOriginPhase("A", 1, 20, 0);
    view.AddMergedPhase("M", 1, 10, 0);
    view.AddMergedPhase("M", 1, 20, 0);
  }
  std::string Depots() {
    return view.OriginPhases({"DO46_PROGRIGA", "DO46_CODFASE", "DO46_PROGSFASE", "DO46_DEPVERSAM"});
  }
  MergedView view;
};

TEST_F(CommonPhaseValueTest, AValueReachesTheOriginPhasesOfTheSamePhaseAndSubPhase) {
  view.v.IsRecordsetFasi = true;
  view.v.RiportaDatoComune(view.EditMergedPhase("M", 1, 10, 0, {{"DO46_DEPVERSAM", Variant("05")}}),
                           Variant("DO46_DEPVERSAM"));
  EXPECT_EQ(Depots(),
            "DO46_PROGRIGA|DO46_CODFASE|DO46_PROGSFASE|DO46_DEPVERSAM\n"
            "1D|10D|0D|\"05\"\n2D|10D|0D|\"05\"\n2D|10D|1D|Null\n1D|20D|0D|Null\n");
}

TEST_F(CommonPhaseValueTest, WithoutPhaseRecordSetsNothingChangesButTheLinksAreFiltered) {
  view.v.RiportaDatoComune(view.EditMergedPhase("M", 1, 10, 0, {{"DO46_DEPVERSAM", Variant("05")}}),
                           Variant("DO46_DEPVERSAM"));
  EXPECT_EQ(Depots(),
            "DO46_PROGRIGA|DO46_CODFASE|DO46_PROGSFASE|DO46_DEPVERSAM\n"
            "1D|10D|0D|Null\n2D|10D|0D|Null\n2D|10D|1D|Null\n1D|20D|0D|Null\n");
  EXPECT_EQ(view.v.RstRiferimenti->Filter(),
            Variant("DESTI_NUMREG = 'M' AND DESTI_PROGRIGA = 1"));
}

TEST(Riallinea, AnEditedOriginRowIsCopiedBackWhenItsKeyIsUnique) {
  MergedView view;
  view.AddOrderRow("A", 1, {{"DESCR", Variant("old")}}, 10);
  view.AddOrderRow("A", 1, {{"DESCR", Variant("old")}}, 20);
  view.AddOrderRow("A", 2, {{"DESCR", Variant("old")}});
  // The host's grid holds its own copy of the origin rows.
  auto grid = view.v.RstOrigOrdini->DeepCopy();
  grid->MoveLast();
  grid->SetValue("DESCR", Variant("new"));
  grid->SetValue("QTAORD", Q("3"));
  grid->Update();
  view.v.RiallineaRstOrdini(grid);
  EXPECT_EQ(view.Origins({"DO30_PROGRIGA", "DESCR", "QTAORD"}),
            "DO30_PROGRIGA|DESCR|QTAORD\n1D|\"old\"|Null\n1D|\"old\"|Null\n2D|\"new\"|3D\n");

  // Two origin rows differ only by phase: without the phase in the key
  // nothing is copied; with it, the row of that phase is.
  grid->MoveFirst();
  grid->SetValue("DESCR", Variant("first"));
  grid->Update();
  view.v.RiallineaRstOrdini(grid);
  EXPECT_EQ(view.Origins({"DESCR"}), "DESCR\n\"old\"\n\"old\"\n\"new\"\n");
  view.v.AccorpaFaseRecordsetOrdini = true;
  view.v.RiallineaRstOrdini(grid);
  EXPECT_EQ(view.Origins({"DESCR"}), "DESCR\n\"first\"\n\"old\"\n\"new\"\n");
}

TEST(Riallinea, OriginPhasesOnlyWhenThePhasesCameFromTheHost) {
  MergedView view;
  view.AddOriginPhase("A", 1, 10, 0, {{"DESCR", Variant("old")}});
  auto grid = view.v.RstOrigFasi->DeepCopy();
  grid->MoveFirst();
  grid->SetValue("DESCR", Variant("new"));
  grid->Update();
  view.v.RiallineaRstFasi(grid);
  EXPECT_EQ(view.OriginPhases({"DESCR"}), "DESCR\n\"old\"\n");
  view.v.IsRecordsetFasi = true;
  view.v.RiallineaRstFasi(grid);
  EXPECT_EQ(view.OriginPhases({"DESCR"}), "DESCR\n\"new\"\n");
}

TEST(RipartisciRigaAccorpata, IsTheExtendedFormInTheFirstUnit) {
  auto build = [](MergedView& view) {
    view.v.IsRecordsetFasi = true;
    view.AddOrderRow("A", 1);
    view.AddOrderRow("A", 2);
    view.AddMergedRow("M", 1);
    view.Link("A", 1, "M", 1);
    view.Link("A", 2, "M", 1);
    for (int row : {1, 2})
      view.AddOriginPhase("A", row, 10, 0, {{"DO46_QTA1ORD", Q("4")}, {"DO46_QTA2ORD", Q("8")}});
    view.AddMergedPhase("M", 1, 10, 0);
  };
  const Variant six = Q("6");
  MergedView plain, extended;
  build(plain);
  build(extended);
  plain.v.RipartisciRigaAccorpata(plain.EditMergedPhase(
      "M", 1, 10, 0, {{"DO46_QTADAAVANZ", six}, {"DO46_QTA2DAAVANZ", six}}));
  extended.v.RipartisciRigaAccorpataExt(
      extended.EditMergedPhase("M", 1, 10, 0,
                               {{"DO46_QTADAAVANZ", six}, {"DO46_QTA2DAAVANZ", six}}),
      Vst_Quantita1);
  const std::vector<std::string> columns = {"DO46_PROGRIGA", "DO46_QTADAAVANZ",
                                            "DO46_QTA2DAAVANZ"};
  EXPECT_EQ(plain.OriginPhases(columns), extended.OriginPhases(columns));
  EXPECT_EQ(plain.OriginPhases(columns),
            "DO46_PROGRIGA|DO46_QTADAAVANZ|DO46_QTA2DAAVANZ\n1D|4D|Null\n2D|2D|Null\n");
}

}  // namespace
}  // namespace zv
