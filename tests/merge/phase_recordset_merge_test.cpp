// The in-memory merge of a record set of phases.
#include <gtest/gtest.h>

#include "tests/merge/merge_fixture.h"

namespace zv {
namespace {

using merge_test::AddRow;
using merge_test::MessageLog;
using merge_test::NewSet;
using merge_test::NumberField;
using merge_test::Qty;
using merge_test::Render;
using merge_test::TextField;
using merge_test::Values;

class AccorpaRecordsetFasiTest : public ::testing::Test {
 protected:
  AccorpaRecordsetFasiTest() {
    v.SetConnessione(std::make_shared<ScriptedConnection>());
    std::vector<FieldInfo> fields = {TextField("DO46_NUMREG_CO99", 12),
                                     NumberField("DO46_CODFASE", 5, 0),
                                     NumberField("DO46_PROGSFASE", 4, 0), TextField("DESCR", 10)};
    for (const char* q : {"DO46_QTA1ORD", "DO46_QTA2ORD", "DO46_QTA1CONSOLID",
                          "DO46_QTA2CONSOLID", "DO46_QTA1SCARTO", "DO46_QTA2SCARTO",
                          "CONSEGNATO", "SALDO", "SCARTO"})
      fields.push_back(NumberField(q, 17, 6));
    phases = NewSet(fields);
  }
  void AddPhase(const char* numreg, int fase, int sfase, Values values) {
    values.insert(values.begin(), {{"DO46_NUMREG_CO99", Variant(numreg)},
                                   {"DO46_CODFASE", Variant(fase)},
                                   {"DO46_PROGSFASE", Variant(sfase)}});
    AddRow(*phases, values);
  }
  std::shared_ptr<Recordset> Merge() { return v.AccorpaRecordsetFasi(phases); }

  CLSPD_VESTARO v;
  std::shared_ptr<Recordset> phases;
};

TEST_F(AccorpaRecordsetFasiTest, SumsRowsOfTheSameKeyAndKeepsTheFirstRowsOtherValues) {
  AddPhase("A", 10, 0, {{"DO46_QTA1ORD", Variant(Qty("5"))}, {"DESCR", Variant("first")},
                        {"SALDO", Variant::Null()}});
  AddPhase("A", 10, 1, {{"DO46_QTA1ORD", Variant(Qty("2"))}, {"DESCR", Variant("own")}});
  AddPhase("A", 10, 0, {{"DO46_QTA1ORD", Variant(Qty("7"))}, {"DESCR", Variant("second")},
                        {"SALDO", Variant(Qty("4"))}, {"DO46_QTA2CONSOLID", Variant(Qty("1.5"))}});
  AddPhase("B", 10, 0, {{"DO46_QTA1ORD", Variant(Qty("1"))}});
  std::shared_ptr<Recordset> merged = Merge();
  ASSERT_TRUE(merged);
  EXPECT_EQ(Render(*merged, {"DO46_NUMREG_CO99", "DO46_CODFASE", "DO46_PROGSFASE", "DESCR",
                             "DO46_QTA1ORD", "DO46_QTA2CONSOLID", "SALDO"}),
            "DO46_NUMREG_CO99|DO46_CODFASE|DO46_PROGSFASE|DESCR|DO46_QTA1ORD|"
            "DO46_QTA2CONSOLID|SALDO\n"
            "\"A\"|10D|0D|\"first\"|12D|1.5D|4D\n"
            "\"A\"|10D|1D|\"own\"|2D|Null|Null\n"
            "\"B\"|10D|0D|Null|1D|Null|Null\n");
  EXPECT_EQ(merged->Filter(), Variant(int32_t{0}));
  EXPECT_TRUE(phases->Eof());
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
}

TEST_F(AccorpaRecordsetFasiTest, AZeroOrderedSumIsNullButAZeroConsolidatedSumStays) {
  AddPhase("A", 10, 0, {{"DO46_QTA1ORD", Variant(Qty("3"))},
                        {"DO46_QTA1CONSOLID", Variant(Qty("3"))}});
  AddPhase("A", 10, 0, {{"DO46_QTA1ORD", Variant(Qty("-3"))},
                        {"DO46_QTA1CONSOLID", Variant(Qty("-3"))}});
  std::shared_ptr<Recordset> merged = Merge();
  ASSERT_TRUE(merged);
  EXPECT_EQ(Render(*merged, {"DO46_QTA1ORD", "DO46_QTA1CONSOLID"}),
            "DO46_QTA1ORD|DO46_QTA1CONSOLID\nNull|0D\n");
}

TEST_F(AccorpaRecordsetFasiTest, RegisterNumbersWithQuotesStayApart) {
  AddPhase("O'1", 10, 0, {{"DO46_QTA1ORD", Variant(Qty("1"))}});
  AddPhase("O'1", 10, 0, {{"DO46_QTA1ORD", Variant(Qty("2"))}});
  AddPhase("O", 10, 0, {{"DO46_QTA1ORD", Variant(Qty("4"))}});
  std::shared_ptr<Recordset> merged = Merge();
  ASSERT_TRUE(merged);
  EXPECT_EQ(Render(*merged, {"DO46_NUMREG_CO99", "DO46_QTA1ORD"}),
            "DO46_NUMREG_CO99|DO46_QTA1ORD\n\"O'1\"|3D\n\"O\"|4D\n");
}

TEST_F(AccorpaRecordsetFasiTest, EmptyOrMissingInputGivesNone) {
  EXPECT_FALSE(Merge());
  EXPECT_FALSE(v.AccorpaRecordsetFasi(nullptr));
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
}

TEST_F(AccorpaRecordsetFasiTest, AMissingQuantityColumnFails) {
  MessageLog messages;
  auto partial = NewSet({TextField("DO46_NUMREG_CO99", 12), NumberField("DO46_CODFASE", 5, 0),
                         NumberField("DO46_PROGSFASE", 4, 0), NumberField("DO46_QTA1ORD", 17, 6)});
  AddRow(*partial, {{"DO46_NUMREG_CO99", Variant("A")}, {"DO46_CODFASE", Variant(1)},
                    {"DO46_PROGSFASE", Variant(0)}});
  EXPECT_FALSE(v.AccorpaRecordsetFasi(partial));
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find(" nella routine : AccorpaRecordsetFasi"), std::string::npos);
}

}  // namespace
}  // namespace zv
