#include "shell/error_report.h"

#include <exception>
#include <new>

namespace zv {
namespace {

std::string Join(std::string_view a, std::string_view b) {
  std::string s(a);
  s += kLineBreak;
  s += b;
  return s;
}

const char* kRowChangedLines =
    "I dati in fase di aggiornamento sono stati modificati da un altro utente.";
const char* kRowChangedLines2 =
    "Occorre reinterrogare nuovamente i dati per poterli modificare !";
const char* kRowDeletedLines =
    "I dati in fase di aggiornamento sono stati eliminati da un altro utente.";
const char* kRowDeletedLines2 = "Non è stato possibile effettuarne il salvataggio !";

}  // namespace

std::string DatabaseErrorLines(std::string_view sql_state, int32_t number,
                               std::string_view description) {
  if (sql_state.empty()) {
    if (number == err::kAdoRowDeleted) return Join(kRowDeletedLines, kRowDeletedLines2);
    if (number == err::kAdoRowChanged) return Join(kRowChangedLines, kRowChangedLines2);
    return "";
  }
  if (sql_state == "23000")
    return "Operazione non avvenuta correttamente causa violazione integrità sui dati";
  if (sql_state == "1001") return Join(kRowChangedLines, kRowChangedLines2);
  if (sql_state == "2000")
    return Join("I dati selezionati dall'utente non risultano presenti.",
                "reimpostare nuovamente l'interrogazione !");
  if (sql_state == "22001")
    return Join(
        "I dati impostati dall'utente risultano errati o non conformi alla struttura dati.",
        "reimpostare nuovamente i dati inseriti !");
  if (sql_state == "25000" || sql_state == "40001")
    return Join(
        "Errore nella transazione causata da un DeadLock o da una violazione di permessi.",
        "rieseguire nuovamente l'elaborazione !");
  if (sql_state == "22005" || sql_state == "22008")
    return Join("Errore generale di conversione dati .",
                "riempostare nuovamente i dati inseriti !");
  return std::string(description);
}

std::string PendingErrorLines(int32_t number) {
  if (number == err::kAdoMultipleStep)
    return "Si sta tentando di inserire un record con una chiave già esistente";
  if (number == err::kAdoRowDeleted) return Join(kRowDeletedLines, kRowDeletedLines2);
  if (number == err::kAdoRowChanged) return Join(kRowChangedLines, kRowChangedLines2);
  return "";
}

void ShowError(ErrorReportContext& context, const Variant& routine,
               std::string_view custom_message, bool show_msg_box) {
  std::string routine_text =
      routine.IsNull() || routine.IsObject() || routine.IsArray() ? std::string()
                                                                  : routine.ToString();
  std::string text;
  if (!custom_message.empty()) {
    text = std::string(custom_message) + kLineBreak + " in " + kLineBreak + routine_text;
    if (show_msg_box) {
      if (context.show) context.show(text);
    } else if (context.last_error_text) {
      *context.last_error_text = text;
    }
  } else {
    if (!context.connection) Raise(err::kObjectVariableNotSet);
    Errors& errors = context.connection->GetErrors();
    if (errors.Count() == 0) {
      const PendingError& p = context.pending;
      std::string detail = "Errore [" + std::to_string(p.number) + "] " +
                           p.description + " In : " + p.source;
      text = detail + kLineBreak + PendingErrorLines(p.number) + kLineBreak +
             " nella routine : " + routine_text;
    } else {
      DbError first = errors.Item(0);
      text = DatabaseErrorLines(first.sql_state, first.number, first.description) +
             kLineBreak + " nella routine : " + routine_text;
    }
    if (context.last_error_text) *context.last_error_text = text;
    if (show_msg_box && context.show) context.show(text);
    if (errors.Count() != 0) errors.Clear();
  }
  context.pending = PendingError{};
}

PendingError PendingFromCurrentException() {
  try {
    throw;
  } catch (const PlatformError& e) {
    return PendingError::From(e);
  } catch (const std::bad_alloc&) {
    return {7, "Out of memory", "ZURE_VESTARO"};
  } catch (const std::exception& e) {
    return {51, std::string("Internal error: ") + e.what(), "ZURE_VESTARO"};
  } catch (...) {
    return {51, "Internal error", "ZURE_VESTARO"};
  }
}

}  // namespace zv
