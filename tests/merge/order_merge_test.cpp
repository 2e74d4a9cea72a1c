// The merge of order rows and phases as the database sees it: the work
// tables built, the statements run, the procedure's parameters, and the
// result sets taken into the view.
#include <gtest/gtest.h>

#include <algorithm>

#include "merge/merge_call.h"
#include "tests/merge/merge_fixture.h"

namespace zv {
namespace {

using merge_test::AddRow;
using merge_test::MessageLog;
using merge_test::NewSet;
using merge_test::NumberField;
using merge_test::Render;
using merge_test::TextField;
using Kind = ScriptedConnection::CallKind;
using Response = ScriptedConnection::Response;

std::vector<Parameter> MergeProcedureParameters() {
  std::vector<Parameter> params;
  for (const char* name :
       {"@CodiceDitta", "@PgmChiamante", "@IsRecordsetFasi", "@StrOrdinamento",
        "@StrOrdinamentoFasi", "@Key_ProgRiga", "@Key_ProgRigaPadre", "@Key_Fasi",
        "@Key_Deposito", "@Key_Datacons", "@Key_Progetto", "@Key_SProgetto", "@Key_Commessa",
        "@Key_SCommessa", "@Key_FaseOrd", "@Key_Variante", "@InitProgpadre",
        "@MantieniProgriga", "@Key_FaseRiga"}) {
    Parameter p;
    p.name = name;
    p.has_default = true;
    params.push_back(p);
  }
  for (char letter : {'A', 'B'}) {
    for (char digit = '0'; digit <= '9'; ++digit) {
      Parameter p;
      p.name = std::string("@Key_") + letter + digit;
      p.has_default = true;
      params.push_back(p);
    }
  }
  return params;
}

// A host, a connection that knows the merge procedure and serves its
// results, and the verbs of a merge request.
class AccorpaTest : public ::testing::Test {
 protected:
  AccorpaTest() {
    v.SetConnessione(conn);
    v.SetCodiceDitta(Variant("12"));
    conn->DefineProcedure(kMergeProcedure, MergeProcedureParameters());
    v.PrstOrdini = NewSet({TextField("DO11_NUMREG_CO99", 12), NumberField("DO30_PROGRIGA", 6, 0),
                           NumberField("QTAORD", 17, 6)});
    v.PrstFasi = NewSet({TextField("DO46_NUMREG_CO99", 12), NumberField("DO46_PROGRIGA", 6, 0),
                         NumberField("DO46_CODFASE", 5, 0)});
    conn->DefineTable("#TabellaOrdini", NewSet(v.PrstOrdini->Fields()));
    conn->DefineTable("#TabellaFasi", NewSet(v.PrstFasi->Fields()));
    status->Define("DetailText", Variant(""));
    status->DefineMethod("Refresh", [](std::span<Variant>) { return Variant(); });
    window->Define("MousePointer", Variant(0));
  }

  void AddOrderRow(const char* numreg, int progriga) {
    AddRow(*v.PrstOrdini, {{"DO11_NUMREG_CO99", Variant(numreg)},
                           {"DO30_PROGRIGA", Variant(progriga)},
                           {"QTAORD", Variant(Decimal(progriga))}});
  }
  void AddPhase(const char* numreg, int progriga, int fase) {
    AddRow(*v.PrstFasi, {{"DO46_NUMREG_CO99", Variant(numreg)},
                         {"DO46_PROGRIGA", Variant(progriga)},
                         {"DO46_CODFASE", Variant(fase)}});
  }
  // The procedure answers with `count` result sets, each one row of a
  // column named after its position.
  void ProcedureReturns(int count) {
    std::shared_ptr<Recordset> first, previous;
    for (int i = 1; i <= count; ++i) {
      auto rs = NewSet({TextField("RESULT", 10)});
      AddRow(*rs, {{"RESULT", Variant("r" + std::to_string(i))}});
      results.push_back(rs);
      if (previous) previous->SetNextRecordset(rs);
      if (!first) first = rs;
      previous = rs;
    }
    conn->Expect(ScriptedConnection::TextIs(kMergeProcedure), Response::Rows(first));
  }
  void Dimensions(std::vector<std::pair<const char*, Variant>> dims) {
    auto rs = NewSet({TextField("MG5F_CODICEVAR", 4), FieldInfo{"MG5F_INDGRIGLIA"}});
    for (auto& [code, index] : dims)
      AddRow(*rs, {{"MG5F_CODICEVAR", Variant(code)}, {"MG5F_INDGRIGLIA", index}});
    conn->Expect(ScriptedConnection::TextStartsWith("SELECT MG5F_CODICEVAR"), Response::Rows(rs));
  }
  void Merge() { v.AccorpaRigheOrdiniFasi(); }

  const ScriptedConnection::Call& ProcedureCall() const {
    for (const auto& c : conn->calls())
      if (c.kind == Kind::kCommand) return c;
    throw std::logic_error("the procedure was not called");
  }
  std::string Parameters() const { return ProcedureCall().ParamText(); }

  MessageLog messages;
  CLSPD_VESTARO v;
  std::shared_ptr<ScriptedConnection> conn = std::make_shared<ScriptedConnection>();
  std::shared_ptr<ExpandoObject> status = std::make_shared<ExpandoObject>("StatusBar");
  std::shared_ptr<ExpandoObject> window = std::make_shared<ExpandoObject>("Form");
  std::vector<std::shared_ptr<Recordset>> results;
};

TEST_F(AccorpaTest, PhasesFromTheDatabaseWithTheDefaultKey) {
  AddOrderRow("A", 1);
  AddOrderRow("A", 2);
  Dimensions({{"A0", Variant(int16_t{0})}, {"A1", Variant(int16_t{3})}});
  ProcedureReturns(3);
  v.StatusLabel = status;
  v.ObjChiamante = window;
  v.StrOrdinamento = "DO11_NUMREG_CO99, DO30_PROGRIGA";
  Merge();

  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
  std::vector<std::string> texts;
  for (const auto& c : conn->calls()) texts.push_back(c.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "IF OBJECT_ID('tempdb..#TabellaOrdini') IS NOT NULL    DROP TABLE "
                       "#TabellaOrdini",
                       conn->calls()[1].text,
                       "#TabellaOrdini",
                       "IF NOT OBJECT_ID('tempdb..#TabellaOrdiniDesti') IS NULL DROP TABLE "
                       "#TabellaOrdiniDesti",
                       "IF NOT OBJECT_ID('tempdb..#TabellaFasiDesti') IS NULL DROP TABLE "
                       "#TabellaFasiDesti",
                       "SELECT *, CONVERT(VARCHAR(8000),NULL) AS KEY_ACCORP, CONVERT "
                       "(TINYINT,NULL) AS FLG_ACCORPATA INTO #TabellaOrdiniDesti FROM "
                       "#TabellaOrdini WHERE 1=0",
                       "IF NOT OBJECT_ID('tempdb..#TabellaFasi') IS NULL DROP TABLE #TabellaFasi",
                       "SELECT DO46_DOCCORORDDET.*, DO30_DOCCORPO.DO30_PROGPADRE, "
                       "CONVERT(DECIMAL(14,3),0) AS DO46_QTA1CONSOLIDFP INTO #TabellaFasi FROM "
                       "#TabellaOrdini INNER JOIN DO46_DOCCORORDDET WITH (NOLOCK) ON "
                       "DO46_DOCCORORDDET.DO46_NUMREG_CO99 = DO11_NUMREG_CO99 AND    "
                       "DO46_DOCCORORDDET.DO46_PROGRIGA    = DO30_PROGRIGA INNER JOIN "
                       "DO30_DOCCORPO WITH (NOLOCK) ON DO30_DOCCORPO.DO30_DITTA_CG18  = "
                       "DO46_DOCCORORDDET.DO46_DITTA_CG18 AND    DO30_DOCCORPO.DO30_NUMREG_CO99 "
                       "= DO46_DOCCORORDDET.DO46_NUMREG_CO99 AND    "
                       "DO30_DOCCORPO.DO30_PROGRIGA    = DO46_DOCCORORDDET.DO46_PROGRIGA WHERE "
                       "DO46_DOCCORORDDET.DO46_DITTA_CG18 = 12",
                       "SELECT MG5F_CODICEVAR, MG5F_INDGRIGLIA FROM MG5F_DIMECONF WHERE "
                       "MG5F_DITTA_CG18 = 12 ORDER BY MG5F_CODICEVAR",
                       "SPVESTARO_ACCORPA"}));
  EXPECT_EQ(Parameters(),
            "@CodiceDitta=12D, @PgmChiamante=0, @IsRecordsetFasi=0, "
            "@StrOrdinamento=\"DO11_NUMREG_CO99, DO30_PROGRIGA\", @StrOrdinamentoFasi=\"\", "
            "@Key_ProgRiga=0, @Key_ProgRigaPadre=1, @Key_Fasi=0, @Key_Deposito=0, "
            "@Key_Datacons=0, @Key_Progetto=0, @Key_SProgetto=0, @Key_Commessa=0, "
            "@Key_SCommessa=0, @Key_FaseOrd=0, @Key_Variante=2, @InitProgpadre=1, "
            "@MantieniProgriga=0, @Key_FaseRiga=0, @Key_A0=1, @Key_A1=0");
  EXPECT_EQ(ProcedureCall().command_timeout, 0);
  // The choice of the default key stays in the object.
  EXPECT_TRUE(v.AccorpaProgPadre);
  EXPECT_EQ(v.AccorpaVariante, Fb_VarianteParziale);

  // The results stay open, each on its first row; no phase results.
  for (auto* rs : {&v.RstOrigOrdini, &v.RstDestiOrdini, &v.RstRiferimenti}) {
    ASSERT_TRUE(*rs);
    EXPECT_EQ((*rs)->State(), ado::kStateOpen);
  }
  EXPECT_EQ(Render(*v.RstOrigOrdini, {"RESULT"}), "RESULT\n\"r1\"\n");
  EXPECT_EQ(Render(*v.RstDestiOrdini, {"RESULT"}), "RESULT\n\"r2\"\n");
  EXPECT_EQ(Render(*v.RstRiferimenti, {"RESULT"}), "RESULT\n\"r3\"\n");
  EXPECT_EQ(v.RstOrigOrdini->AbsolutePosition(), 1);
  EXPECT_FALSE(v.RstOrigFasi);
  EXPECT_FALSE(v.RstDestiFasi);

  EXPECT_EQ(v.NomeTabellaOrdini, "#TabellaOrdini");
  EXPECT_EQ(v.NomeTabellaFasiDesti, "#TabellaFasiDesti");
  std::vector<std::string> progress;
  for (const std::string& c : status->calls())
    if (c.rfind("Put DetailText", 0) == 0) progress.push_back(c);
  EXPECT_EQ(progress, (std::vector<std::string>{
                          "Put DetailText=\"Preparazione accorpamento ordini ....\"",
                          "Put DetailText=\"Accorpamento righe in corso ....\"",
                          "Put DetailText=\"Accorpamento righe terminato ....\""}));
  EXPECT_EQ(window->calls(), (std::vector<std::string>{"Put MousePointer=11",
                                                       "Put MousePointer=0"}));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AccorpaTest, AChosenKeyIsSentAsItIsAndNoDimensionIsRead) {
  AddOrderRow("A", 1);
  ProcedureReturns(3);
  v.AccorpaDeposito = true;
  v.AccorpaFaseRiga = true;
  v.InitProgPadre = 0;
  v.MantieniProgriga = -1;
  v.PgmChiamante = FbGenerazioneOrdiniDaDocumenti;
  Merge();
  EXPECT_EQ(Parameters(),
            "@CodiceDitta=12D, @PgmChiamante=24, @IsRecordsetFasi=0, @StrOrdinamento=\"\", "
            "@StrOrdinamentoFasi=\"\", @Key_ProgRiga=0, @Key_ProgRigaPadre=0, @Key_Fasi=0, "
            "@Key_Deposito=1, @Key_Datacons=0, @Key_Progetto=0, @Key_SProgetto=0, "
            "@Key_Commessa=0, @Key_SCommessa=0, @Key_FaseOrd=0, @Key_Variante=0, "
            "@InitProgpadre=0, @MantieniProgriga=-1, @Key_FaseRiga=1");
  EXPECT_FALSE(v.AccorpaProgPadre);
  for (const auto& c : conn->calls()) EXPECT_EQ(c.text.find("MG5F_DIMECONF"), std::string::npos);
}

TEST_F(AccorpaTest, DimensionsWithoutAGridPositionStayInTheKey) {
  AddOrderRow("A", 1);
  // A Null or blank grid index counts as 0; codes are trimmed.
  Dimensions({{"A0", Variant(Decimal(0))},
              {"A1", Variant(int16_t{3})},
              {"B0 ", Variant::Null()},
              {"B1", Variant(" ")}});
  ProcedureReturns(3);
  v.AccorpaVariante = Fb_VarianteParziale;
  v.AccorpaFasi = true;
  Merge();
  std::string params = Parameters();
  EXPECT_NE(params.find("@Key_Fasi=1,"), std::string::npos);
  EXPECT_NE(params.find("@Key_ProgRigaPadre=0,"), std::string::npos);
  EXPECT_EQ(params.substr(params.find("@Key_A0")),
            "@Key_A0=1, @Key_A1=0, @Key_B0=1, @Key_B1=1");
}

TEST_F(AccorpaTest, PhasesFromTheHostGetADestinationTableAndTwoMoreResults) {
  AddOrderRow("A", 1);
  AddPhase("A", 1, 10);
  AddPhase("A", 1, 20);
  ProcedureReturns(5);
  v.IsRecordsetFasi = true;
  v.AccorpaProgRiga = true;
  v.StatusLabel = status;
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
  auto executes = conn->Texts(Kind::kExecute);
  EXPECT_EQ(executes[2],
            "IF OBJECT_ID('tempdb..#TabellaFasi') IS NOT NULL    DROP TABLE #TabellaFasi");
  EXPECT_EQ(executes.back(), "SELECT * INTO #TabellaFasiDesti FROM #TabellaFasi WHERE 1=0");
  for (const std::string& text : executes)
    EXPECT_EQ(text.find("DO46_DOCCORORDDET"), std::string::npos);
  EXPECT_EQ(Render(*conn->Table("#TabellaFasi"), {"DO46_CODFASE"}), "DO46_CODFASE\n10D\n20D\n");
  EXPECT_NE(Parameters().find("@IsRecordsetFasi=1,"), std::string::npos);
  EXPECT_EQ(Render(*v.RstOrigFasi, {"RESULT"}), "RESULT\n\"r4\"\n");
  EXPECT_EQ(Render(*v.RstDestiFasi, {"RESULT"}), "RESULT\n\"r5\"\n");
  EXPECT_EQ(v.RstRiferimenti->State(), ado::kStateOpen);
  EXPECT_NE(std::find(status->calls().begin(), status->calls().end(),
                      "Put DetailText=\"Preparazione accorpamento fasi\""),
            status->calls().end());
}

TEST_F(AccorpaTest, DocumentGenerationReadsTheHostNamesInTheMergedRows) {
  v.PgmChiamante = FbGenerazioneDdtDaOCL;
  v.PrstOrdini = NewSet({TextField("NUMREG", 12), NumberField("PROGRIGA", 6, 0)});
  AddRow(*v.PrstOrdini, {{"NUMREG", Variant("OCL7")}, {"PROGRIGA", Variant(2)}});
  conn->DefineTable("#TabellaOrdini", NewSet({TextField("NUMREG", 12),
                                              NumberField("PROGRIGA", 6, 0),
                                              TextField("DO11_NUMREG_CO99", 12),
                                              NumberField("DO30_PROGRIGA", 6, 0)}));
  auto merged = NewSet({TextField("NUMREG", 12), NumberField("PROGRIGA", 6, 0),
                        TextField("DO11_NUMREG_CO99", 12), NumberField("DO30_PROGRIGA", 6, 0)});
  AddRow(*merged, {{"DO11_NUMREG_CO99", Variant("OCL7")}, {"DO30_PROGRIGA", Variant(1)}});
  auto origin = NewSet({TextField("X", 1)});
  auto links = NewSet({TextField("X", 1)});
  origin->SetNextRecordset(merged);
  merged->SetNextRecordset(links);
  conn->Expect(ScriptedConnection::TextIs(kMergeProcedure), Response::Rows(origin));
  v.AccorpaProgRiga = true;
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
  EXPECT_EQ(Render(*conn->Table("#TabellaOrdini"), {"DO11_NUMREG_CO99", "DO30_PROGRIGA"}),
            "DO11_NUMREG_CO99|DO30_PROGRIGA\n\"OCL7\"|2D\n");
  EXPECT_EQ(Render(*v.RstDestiOrdini, {"NUMREG", "PROGRIGA"}), "NUMREG|PROGRIGA\n\"OCL7\"|1D\n");
}

TEST_F(AccorpaTest, NoOrderRowsMeansNoWorkTable) {
  v.RstOrigOrdini = NewSet({TextField("X", 1)});
  v.RstRiferimenti = NewSet({TextField("X", 1)});
  v.ObjChiamante = window;
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsRecordsetVuoto);
  EXPECT_TRUE(conn->calls().empty());
  EXPECT_FALSE(v.RstOrigOrdini);
  EXPECT_FALSE(v.RstRiferimenti);
  EXPECT_EQ(v.NomeTabellaOrdiniDesti, "#TabellaOrdiniDesti");
  EXPECT_EQ(window->calls(), (std::vector<std::string>{"Put MousePointer=11",
                                                       "Put MousePointer=0"}));
}

TEST_F(AccorpaTest, AFailingProcedureIsReportedAsChiamaStored) {
  AddOrderRow("A", 1);
  v.AccorpaProgRiga = true;
  v.ObjChiamante = window;
  v.StatusLabel = status;
  conn->Expect(ScriptedConnection::TextIs(kMergeProcedure),
               Response::Fail({-2147217900, "Invalid column name 'DO30_PROGPADRE'.", "db",
                               "42S22", 207}));
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0],
            "Invalid column name 'DO30_PROGPADRE'.\r\n nella routine : ChiamaStored|16|"
            "CLSPD_VESTARO");
  EXPECT_EQ(conn->GetErrors().Count(), 0);
  // The results are not post-processed.
  for (const std::string& c : status->calls())
    EXPECT_NE(c, "Put DetailText=\"Accorpamento righe terminato ....\"");
  EXPECT_EQ(window->calls().back(), "Put MousePointer=0");
}

TEST_F(AccorpaTest, ADimensionTheProcedureLacksFailsTheCall) {
  AddOrderRow("A", 1);
  Dimensions({{"C0", Variant(int16_t{0})}});
  ProcedureReturns(3);
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find(" nella routine : ChiamaStored"), std::string::npos);
  EXPECT_EQ(conn->Texts(Kind::kCommand).size(), 0u);
}

TEST_F(AccorpaTest, AWorkTableThatFailsStillCallsTheProcedureButSkipsTheResults) {
  AddOrderRow("A", 1);
  v.AccorpaProgRiga = true;
  v.PgmChiamante = FbGenerazioneDdtDaODL;
  v.StatusLabel = status;
  ProcedureReturns(3);
  conn->Expect(ScriptedConnection::TextStartsWith("CREATE TABLE #TabellaOrdini"),
               Response::Fail({1, "Column names in each table must be unique.", "db", "42S21",
                               2705}));
  Merge();
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find(" nella routine : CreaTabellaTemp"), std::string::npos);
  EXPECT_EQ(conn->Texts(Kind::kCommand), std::vector<std::string>{"SPVESTARO_ACCORPA"});
  EXPECT_EQ(status->calls().back(), "Put DetailText=\"Accorpamento righe in corso ....\"");
}

}  // namespace
}  // namespace zv
