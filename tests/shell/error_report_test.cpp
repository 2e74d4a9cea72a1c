// The standard messages of the error routine, by database state and by
// error number, and what it keeps, shows and clears.
#include "shell/error_report.h"

#include <gtest/gtest.h>

#include "data/scripted_connection.h"

namespace zv {
namespace {

struct Reported {
  std::vector<std::string> shown;
  std::string last;
};

ErrorReportContext MakeContext(Connection* connection, Reported* out,
                               PendingError pending = {}) {
  ErrorReportContext c;
  c.pending = std::move(pending);
  c.connection = connection;
  c.show = [out](const std::string& text) { out->shown.push_back(text); };
  c.last_error_text = &out->last;
  return c;
}

TEST(DatabaseErrorLines, ByStateThenByNumber) {
  struct Case {
    const char* state;
    int32_t number;
    std::string expected;
  } cases[] = {
      {"23000", 0, "Operazione non avvenuta correttamente causa violazione integrità sui dati"},
      {"1001", 0,
       "I dati in fase di aggiornamento sono stati modificati da un altro utente.\r\n"
       "Occorre reinterrogare nuovamente i dati per poterli modificare !"},
      {"2000", 0,
       "I dati selezionati dall'utente non risultano presenti.\r\n"
       "reimpostare nuovamente l'interrogazione !"},
      {"22001", 0,
       "I dati impostati dall'utente risultano errati o non conformi alla struttura dati.\r\n"
       "reimpostare nuovamente i dati inseriti !"},
      {"25000", 0,
       "Errore nella transazione causata da un DeadLock o da una violazione di permessi.\r\n"
       "rieseguire nuovamente l'elaborazione !"},
      {"40001", 0,
       "Errore nella transazione causata da un DeadLock o da una violazione di permessi.\r\n"
       "rieseguire nuovamente l'elaborazione !"},
      {"22005", 0, "Errore generale di conversione dati .\r\nriempostare nuovamente i dati inseriti !"},
      {"22008", 0, "Errore generale di conversione dati .\r\nriempostare nuovamente i dati inseriti !"},
      {"42S02", 0, "the driver's own text"},
      {"", err::kAdoRowDeleted,
       "I dati in fase di aggiornamento sono stati eliminati da un altro utente.\r\n"
       "Non è stato possibile effettuarne il salvataggio !"},
      {"", err::kAdoRowChanged,
       "I dati in fase di aggiornamento sono stati modificati da un altro utente.\r\n"
       "Occorre reinterrogare nuovamente i dati per poterli modificare !"},
      {"", 12345, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.state) + "/" + std::to_string(c.number));
    EXPECT_EQ(DatabaseErrorLines(c.state, c.number, "the driver's own text"), c.expected);
  }
}

TEST(PendingErrorLines, KnownNumbersOnly) {
  EXPECT_EQ(PendingErrorLines(-2147217887),
            "Si sta tentando di inserire un record con una chiave già esistente");
  EXPECT_EQ(PendingErrorLines(-2147217885), DatabaseErrorLines("", -2147217885, ""));
  EXPECT_EQ(PendingErrorLines(-2147217864), DatabaseErrorLines("", -2147217864, ""));
  EXPECT_EQ(PendingErrorLines(13), "");
}

TEST(ShowError, DatabaseErrorIsShownStoredAndCleared) {
  auto conn = std::make_shared<ScriptedConnection>();
  conn->GetErrors().Add({err::kAdoIntegrityViolation, "Violation of PRIMARY KEY", "db", "23000", 2627});
  conn->GetErrors().Add({0, "second", "db", "01000", 0});
  Reported out;
  auto ctx = MakeContext(conn.get(), &out, {err::kAdoIntegrityViolation, "x", "y"});
  ShowError(ctx, Variant("AccorpaRigheOrdiniFasi"));
  const std::string expected =
      "Operazione non avvenuta correttamente causa violazione integrità sui dati\r\n"
      " nella routine : AccorpaRigheOrdiniFasi";
  ASSERT_EQ(out.shown.size(), 1u);
  EXPECT_EQ(out.shown[0], expected);
  EXPECT_EQ(out.last, expected);
  EXPECT_EQ(conn->GetErrors().Count(), 0);
}

TEST(ShowError, NonDatabaseFailureHasDetailLineAndEmptyMessageLine) {
  auto conn = std::make_shared<ScriptedConnection>();
  Reported out;
  auto ctx = MakeContext(conn.get(), &out,
                         {err::kAdoItemNotFound, "Item cannot be found", "ADODB.Fields"});
  ShowError(ctx, Variant("RipartisciRigaAccorpata"));
  ASSERT_EQ(out.shown.size(), 1u);
  EXPECT_EQ(out.shown[0],
            "Errore [-2146825023] Item cannot be found In : ADODB.Fields\r\n"
            "\r\n"
            " nella routine : RipartisciRigaAccorpata");
}

TEST(ShowError, CustomMessageWithoutBoxIsOnlyStored) {
  Reported out;
  auto ctx = MakeContext(nullptr, &out);
  ShowError(ctx, Variant("Routine"), "Testo mio", false);
  EXPECT_TRUE(out.shown.empty());
  EXPECT_EQ(out.last, "Testo mio\r\n in \r\nRoutine");
}

TEST(ShowError, CustomMessageShownLeavesLastTextUnchanged) {
  Reported out;
  out.last = "before";
  auto ctx = MakeContext(nullptr, &out);
  ShowError(ctx, Variant("Routine"), "Testo mio", true);
  ASSERT_EQ(out.shown.size(), 1u);
  EXPECT_EQ(out.shown[0], "Testo mio\r\n in \r\nRoutine");
  EXPECT_EQ(out.last, "before");
}

TEST(ShowError, UnknownStateShowsDriverDescription) {
  auto conn = std::make_shared<ScriptedConnection>();
  conn->GetErrors().Add({err::kAdoCommandError, "Invalid object name 'X'.", "db", "42S02", 208});
  Reported out;
  auto ctx = MakeContext(conn.get(), &out);
  ShowError(ctx, Variant("R"), "", false);
  EXPECT_TRUE(out.shown.empty());
  EXPECT_EQ(out.last, "Invalid object name 'X'.\r\n nella routine : R");
}

TEST(ShowError, WithoutConnectionTheFailureReachesTheCaller) {
  Reported out;
  auto ctx = MakeContext(nullptr, &out, {13, "Type mismatch", "x"});
  try {
    ShowError(ctx, Variant("R"));
    FAIL() << "expected the error routine to fail";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.number(), err::kObjectVariableNotSet);
  }
  EXPECT_TRUE(out.shown.empty());
}

}  // namespace
}  // namespace zv
