// CLSPD_UTILITY's utility routines: progress indicator kinds, temporary-table
// statements, the error routine's Errore and the trace lines.
#include "descriptions/clspd_utility.h"

#include <gtest/gtest.h>

#include "data/scripted_connection.h"
#include "host/expando.h"

namespace zv {

class UtilityTestPeer {
 public:
  static void Start(CLSPD_UTILITY& u, const Variant& total) { u.ProgressStart(total); }
  static void Step(CLSPD_UTILITY& u) { u.ProgressStep(); }
};

namespace {

std::shared_ptr<Recordset> OneValue(const Variant& v) {
  auto rs = std::make_shared<Recordset>();
  rs->AppendField("", ado::kInteger, 4);
  rs->Open();
  rs->LoadRow({v});
  rs->MoveFirst();
  return rs;
}

TEST(ClspdUtility, ProgressDrivesZmxProgressAndStandardBar) {
  CLSPD_UTILITY u;
  auto zmx = std::make_shared<ExpandoObject>("zmx_Progress");
  int refreshes = 0;
  zmx->DefineMethod("Refresh", [&](std::span<Variant>) {
    ++refreshes;
    return Variant();
  });
  u.ProgressBar = zmx;
  UtilityTestPeer::Start(u, Variant("25"));
  UtilityTestPeer::Step(u);
  UtilityTestPeer::Step(u);
  EXPECT_EQ(zmx->Get("ProgressBarMin").ToLong(), 0);
  EXPECT_EQ(zmx->Get("ProgressBarMax").ToDecimal(), Decimal(25));
  EXPECT_EQ(zmx->Get("ProgressBarValue").ToLong(), 2);
  EXPECT_EQ(refreshes, 3);

  auto bar = std::make_shared<ExpandoObject>("ProgressBar");
  u.ProgressBar = bar;
  UtilityTestPeer::Start(u, Variant(int32_t{10}));
  UtilityTestPeer::Step(u);
  EXPECT_EQ(bar->Get("Max").ToLong(), 10);
  EXPECT_EQ(bar->Get("value").ToLong(), 1);
}

TEST(ClspdUtility, ProgressIgnoresOtherKindsAndFailures) {
  CLSPD_UTILITY u;
  auto other = std::make_shared<ExpandoObject>("Label");
  u.ProgressBar = other;
  UtilityTestPeer::Start(u, Variant(int32_t{5}));
  UtilityTestPeer::Step(u);
  EXPECT_TRUE(other->calls().empty());
  auto broken = std::make_shared<ExpandoObject>("ZMX_PROGRESS");
  broken->Strict();  // every Put fails
  u.ProgressBar = broken;
  EXPECT_NO_THROW(UtilityTestPeer::Start(u, Variant(int32_t{5})));
  EXPECT_NO_THROW(UtilityTestPeer::Step(u));
  u.ProgressBar = nullptr;
  EXPECT_NO_THROW(UtilityTestPeer::Step(u));
  EXPECT_EQ(u.Stato, tsStato::tsOK);
}

TEST(ClspdUtility, TemporaryTableStatements) {
  CLSPD_UTILITY u;
  auto conn = std::make_shared<ScriptedConnection>();
  u.SetConnessione(conn);
  conn->Expect(ScriptedConnection::TextIs("SELECT OBJECT_ID('tempdb..#TMP_CROSS')"),
               ScriptedConnection::Response::Rows(OneValue(Variant(int32_t{12345}))));
  conn->Expect(ScriptedConnection::TextIs("SELECT OBJECT_ID('tempdb..#ALTRA')"),
               ScriptedConnection::Response::Rows(OneValue(Variant::Null())));
  EXPECT_TRUE(u.ExistsTempTable("#TMP_CROSS"));
  EXPECT_FALSE(u.ExistsTempTable("#ALTRA"));
  u.DropTempTable("#TMP_CROSS");
  EXPECT_EQ(conn->calls().back().text,
            "IF OBJECT_ID('tempdb..#TMP_CROSS') IS NOT NULL DROP TABLE #TMP_CROSS");
  EXPECT_EQ(conn->calls().back().options, 129);
  EXPECT_EQ(u.Stato, tsStato::tsOK);
}

TEST(ClspdUtility, ShowErrorKeepsTheTextInErrore) {
  CLSPD_UTILITY u;
  auto conn = std::make_shared<ScriptedConnection>();
  u.SetConnessione(conn);
  conn->GetErrors().Add({err::kAdoCommandError, "Deadlock", "db", "40001", 1205});
  u.ShowError(Variant("SalvaDescrizioni"), "", false);
  EXPECT_EQ(u.Errore,
            "Errore nella transazione causata da un DeadLock o da una violazione di permessi.\r\n"
            "rieseguire nuovamente l'elaborazione !\r\n nella routine : SalvaDescrizioni");
  EXPECT_EQ(conn->GetErrors().Count(), 0);
  std::vector<Variant> args{Variant("R"), Variant("mio"), Variant(false)};
  u.Invoke("ShowError", args);
  EXPECT_EQ(u.Get("Errore"), Variant("mio\r\n in \r\nR"));
}

TEST(ClspdUtility, FailingExistsTempTableReportsAndAnswersFalse) {
  CLSPD_UTILITY u;
  auto conn = std::make_shared<ScriptedConnection>();
  u.SetConnessione(conn);
  conn->Expect(ScriptedConnection::Any(),
               ScriptedConnection::Response::Fail({err::kAdoCommandError, "Timeout", "db", "HYT00", 0}));
  EXPECT_FALSE(u.ExistsTempTable("#X"));
  EXPECT_EQ(u.Stato, tsStato::tsErroreVB);
  EXPECT_EQ(u.Errore, "Timeout\r\n nella routine : ExistsTempTable");
}

}  // namespace
}  // namespace zv
