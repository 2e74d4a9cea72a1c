// The public shell of CLSPD_VESTARO: creation defaults, connection context,
// trace lines, GUIDs, the failure trap and the toolkit routines that need no
// database.
#include "shell/clspd_vestaro.h"

#include <gtest/gtest.h>

#include <regex>

#include "data/scripted_connection.h"
#include "host/expando.h"
#include "host/framework.h"
#include "host/registry.h"

namespace zv {

class VestaroTestPeer {
 public:
  static bool Trap(CLSPD_VESTARO& v, std::string_view routine, std::function<void()> body) {
    return v.Trap(routine, body);
  }
  static void MostraStato(CLSPD_VESTARO& v, std::string_view text) { v.MostraStato(text); }
  static const std::string& LastError(CLSPD_VESTARO& v) { return v.last_error_text_; }
};

namespace {

class TraceCapture {
 public:
  TraceCapture() {
    SetDebugSink([this](std::string_view line) { lines.emplace_back(line); });
  }
  ~TraceCapture() { SetDebugSink(nullptr); }
  std::vector<std::string> lines;
};

// Records every message box the library shows through its own service.
class ShownMessages {
 public:
  ShownMessages()
      : registration_(kMultilinguaProgId, [this]() -> std::shared_ptr<Dispatch> {
          return std::make_shared<DefaultMultilingua>(
              [this](const std::string& text, int style, const std::string& title) {
                texts.push_back(title + "|" + std::to_string(style) + "|" + text);
                return 1;
              });
        }) {}
  std::vector<std::string> texts;

 private:
  ScopedRegistration registration_;
};

TEST(ClspdVestaro, CreationDefaults) {
  CLSPD_VESTARO v;
  EXPECT_EQ(v.m_NomeTmpTablePD48, "#TMPVST_PD48");
  EXPECT_EQ(v.m_NomeTmpTablePD54, "#TMPVST_PD54");
  EXPECT_EQ(v.InitProgPadre, 1);
  EXPECT_EQ(v.MantieniProgriga, 0);
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
  EXPECT_EQ(v.Get("InitProgPadre"), Variant(int16_t{1}));
  EXPECT_EQ(v.Get("strordinamento"), Variant(""));
  EXPECT_TRUE(v.Get("PrstOrdini").IsNothing());
  EXPECT_FALSE(v.AccorpaFasi);
}

TEST(ClspdVestaro, CodiceDittaConvertsAndNeverRaises) {
  CLSPD_VESTARO v;
  v.SetCodiceDitta(Variant("12"));
  EXPECT_EQ(v.CodiceDitta(), Variant(Decimal(12)));
  v.SetCodiceDitta(Variant("not a number"));
  EXPECT_EQ(v.CodiceDitta(), Variant(int16_t{0}));
  v.Put("CodiceDitta", Variant(3.0));
  EXPECT_EQ(v.CodiceDitta().ToDecimal(), Decimal(3));
  v.SetCodiceDitta(Variant::Null());
  EXPECT_EQ(v.CodiceDitta(), Variant(int16_t{0}));
  v.SetStringaConnessione(Variant("DSN=x"));
  EXPECT_EQ(v.StringaConnessione(), Variant("DSN=x"));
}

TEST(ClspdVestaro, TraceLinesShareOneIdentifierPerObject) {
  TraceCapture trace;
  {
    CLSPD_VESTARO a;
    CLSPD_VESTARO b;
  }
  ASSERT_EQ(trace.lines.size(), 4u);
  std::regex line("ZQVE:\\|([0-9A-F]{32})\\|(INI|TER)\\|ZURE_VESTARO\\|CLSPD_VESTARO");
  std::smatch m[4];
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(std::regex_match(trace.lines[i], m[i], line)) << trace.lines[i];
  // a INI, b INI, b TER, a TER
  EXPECT_EQ(m[0][2], "INI");
  EXPECT_EQ(m[1][2], "INI");
  EXPECT_EQ(m[2][2], "TER");
  EXPECT_EQ(m[0][1], m[3][1]);
  EXPECT_EQ(m[1][1], m[2][1]);
  EXPECT_NE(m[0][1], m[1][1]);
}

TEST(ClspdVestaro, GuidsAreDistinctAndWellFormed) {
  CLSPD_VESTARO v;
  std::string a = v.GetGUID(), b = v.GetGUID();
  std::regex guid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
  EXPECT_TRUE(std::regex_match(a, guid)) << a;
  EXPECT_TRUE(std::regex_match(b, guid)) << b;
  EXPECT_NE(a, b);
  EXPECT_EQ(a[8], '-');
  EXPECT_EQ(a[23], '-');
  EXPECT_EQ(v.Invoke("GetGUID", {}).ToString().size(), 36u);
}

TEST(ClspdVestaro, ModificaMassivaChangesNothing) {
  CLSPD_VESTARO v;
  auto conn = std::make_shared<ScriptedConnection>();
  v.SetConnessione(conn);
  VestaroTestPeer::Trap(v, "X", [] { throw PlatformError(13, "Type mismatch"); });
  ASSERT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  v.ModificaMassivaCicloLavorazione();
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  EXPECT_TRUE(conn->calls().empty());
}

TEST(ClspdVestaro, TrapReportsDatabaseFailureAndClearsErrors) {
  ShownMessages shown;
  CLSPD_VESTARO v;
  auto conn = std::make_shared<ScriptedConnection>();
  v.SetConnessione(conn);
  conn->Expect(ScriptedConnection::Any(),
               ScriptedConnection::Response::Fail(
                   {err::kAdoIntegrityViolation, "Violation of PRIMARY KEY", "db", "23000", 2627}));
  bool ok = VestaroTestPeer::Trap(v, "AccorpaRigheOrdiniFasi", [&] {
    conn->Execute("INSERT INTO T VALUES (1)", nullptr, ado::kCmdUnspecified);
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
  ASSERT_EQ(shown.texts.size(), 1u);
  EXPECT_EQ(shown.texts[0],
            "CLSPD_VESTARO|16|Operazione non avvenuta correttamente causa violazione "
            "integrità sui dati\r\n nella routine : AccorpaRigheOrdiniFasi");
  EXPECT_EQ(conn->GetErrors().Count(), 0);
}

TEST(ClspdVestaro, TrapWithoutConnectionLetsTheErrorReachTheCaller) {
  ShownMessages shown;
  CLSPD_VESTARO v;
  EXPECT_THROW(VestaroTestPeer::Trap(v, "R", [] { throw PlatformError(5, "x"); }), PlatformError);
  EXPECT_EQ(v.VestaroStato(), tsVestaroErroreVB);
}

TEST(ClspdVestaro, CreaRecordsetCopiesFieldsAndAddsPhaseColumns) {
  auto src = std::make_shared<Recordset>();
  src->AppendField("DO46_CODFASE", ado::kNumeric, 19, ado::kFldIsNullable, 5, 0);
  src->AppendField("CONSEGNATO", ado::kNumeric, 19, ado::kFldIsNullable, 17, 6);
  src->AppendField("DESCR", ado::kChar, 40, 0);
  src->Open();
  CLSPD_VESTARO v;
  int32_t kind = Fb_Fasi;
  auto rs = v.CreaRecordset(src, kind);
  ASSERT_TRUE(rs);
  std::vector<std::string> names;
  for (const auto& f : rs->Fields()) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"DO46_CODFASE", "CONSEGNATO", "DESCR", "SALDO", "SCARTO"}));
  EXPECT_EQ(rs->Field(3).precision, 17);
  EXPECT_EQ(rs->Field(3).numeric_scale, 6);
  EXPECT_TRUE(rs->Field(2).nullable());
  EXPECT_EQ(rs->Field(2).defined_size, 40);
  EXPECT_EQ(rs->State(), ado::kStateOpen);
  EXPECT_EQ(rs->RecordCount(), 0);
  kind = Fb_Ordini;
  EXPECT_EQ(v.CreaRecordset(src, kind)->FieldCount(), 3);
}

TEST(ClspdVestaro, CopyRecordsetIsIndependent) {
  auto src = std::make_shared<Recordset>();
  src->AppendField("K", ado::kInteger, 4);
  src->Open();
  src->AddNew();
  src->SetValue("K", Variant(int32_t{1}));
  src->Update();
  CLSPD_VESTARO v;
  auto copy = v.CopyRecordset(src);
  ASSERT_TRUE(copy);
  copy->MoveFirst();
  copy->SetValue("K", Variant(int32_t{2}));
  copy->Update();
  src->MoveFirst();
  EXPECT_EQ(src->Value("K").ToLong(), 1);
}

TEST(ClspdVestaro, DropTempTableSendsTheStatementAndSwallowsErrors) {
  CLSPD_VESTARO v;
  auto conn = std::make_shared<ScriptedConnection>();
  v.SetConnessione(conn);
  conn->Expect(ScriptedConnection::Any(),
               ScriptedConnection::Response::Fail({1, "boom", "db", "42000", 102}));
  v.DropTempTable("#TabellaOrdini");
  ASSERT_EQ(conn->calls().size(), 1u);
  EXPECT_EQ(conn->calls()[0].text,
            "IF NOT OBJECT_ID('tempdb..#TabellaOrdini') IS NULL DROP TABLE #TabellaOrdini");
  EXPECT_EQ(conn->calls()[0].options, 129);
  EXPECT_EQ(conn->GetErrors().Count(), 0);
  EXPECT_EQ(v.VestaroStato(), tsVestaroOK);
}

TEST(ClspdVestaro, MostraStatoFallsBackToCaptionAndRefresh) {
  CLSPD_VESTARO v;
  auto label = std::make_shared<ExpandoObject>("ZMX_LABEL");
  label->Define("Caption", Variant("")).Strict();
  int refreshed = 0;
  label->DefineMethod("Refresh", [&](std::span<Variant>) {
    ++refreshed;
    return Variant();
  });
  v.StatusLabel = label;
  VestaroTestPeer::MostraStato(v, "Creazione tabelle");
  EXPECT_EQ(label->Get("Caption"), Variant("Creazione tabelle"));
  EXPECT_EQ(refreshed, 1);
  auto detail = std::make_shared<ExpandoObject>("StatusBar");
  v.StatusLabel = detail;
  VestaroTestPeer::MostraStato(v, "x");
  EXPECT_EQ(detail->Get("DetailText"), Variant("x"));
}

}  // namespace
}  // namespace zv
