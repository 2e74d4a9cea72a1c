// CLSPD_UTILITY: article descriptions per variant and language, and the
// utility routines the other parts of the library share (temporary tables,
// progress indicator, working-time text, error routine, messages).
#ifndef ZV_DESCRIPTIONS_CLSPD_UTILITY_H_
#define ZV_DESCRIPTIONS_CLSPD_UTILITY_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/connection.h"
#include "data/dispatch.h"
#include "data/recordset.h"
#include "shell/connection_context.h"
#include "shell/error_report.h"
#include "shell/messages.h"
#include "shell/trace.h"
#include "shell/vestaro_enums.h"

namespace zv {

class UtilityTestPeer;

// Selection commands of the description preview.
enum tsTipoSelezioneStato : int32_t { selNessuna = 0, seltutte = 1, selInverti = 2 };

class CLSPD_UTILITY : public Dispatch {
 public:
  CLSPD_UTILITY();
  ~CLSPD_UTILITY() override;
  CLSPD_UTILITY(const CLSPD_UTILITY&) = delete;
  CLSPD_UTILITY& operator=(const CLSPD_UTILITY&) = delete;

  // --- Public fields -------------------------------------------------------------
  std::shared_ptr<Dispatch> ActiveInterface;
  std::shared_ptr<Dispatch> StatusLabel;
  // A progress indicator ("ZMX_PROGRESS" or a standard "PROGRESSBAR").
  std::shared_ptr<Dispatch> ProgressBar;
  std::string StringaSelezione;
  std::shared_ptr<Recordset> RstDescrizioni;
  tsStato Stato = tsStato::tsOK;
  // The text of the last failure reported by ShowError.
  std::string Errore;
  bool SovrascriviSePresente = false;
  bool DescrizioneSelezionata = false;
  bool FlgGenerate = false;
  std::shared_ptr<Dispatch> PclsCONFCOMM;
  bool flgVariantiValide = false;
  std::string CodiceLingua;
  bool flgMemDescLingue = false;

  // --- Connection context --------------------------------------------------------
  Variant CodiceDitta() const { return context_.CodiceDitta(); }
  void SetCodiceDitta(const Variant& value) { context_.SetCodiceDitta(value); }
  Variant StringaConnessione() const { return context_.StringaConnessione(); }
  void SetStringaConnessione(const Variant& value) {
    context_.SetStringaConnessione(value);
  }
  const std::shared_ptr<Connection>& Connessione() const { return context_.Connessione(); }
  void SetConnessione(std::shared_ptr<Connection> c) { context_.SetConnessione(std::move(c)); }

  // --- Utility routines --------------------------------------------------------------
  // The error routine: builds the standard message, keeps it in Errore and
  // (by default) shows it. A failure of its own reaches the caller.
  void ShowError(const Variant& PvarRoutine, std::string_view MessaggioDaMostrare = "",
                 bool ShowMsgBox = true);
  // True when the session temporary table exists. A failure is reported
  // (Stato 99) and answers False.
  bool ExistsTempTable(std::string_view NomeTabellaTemp);
  // Drops the session temporary table if it exists; errors are ignored.
  void DropTempTable(std::string_view NomeTabellaTemp);
  // A duration in decimal hours as " 1h 30m 00s".
  std::string TrasformaTempo(const Variant& TempoInOreDecimali);
  Variant NVL(const Variant& value, const Variant& default_value);
  Variant CDecN(const Variant& value);
  int32_t ZMX_MSGBOX(std::string_view Testo, int32_t IDTesto, int32_t parButtons,
                     std::string_view parTitle, Variant* Parametri = nullptr);
  std::string TraduzioneTesto(std::string_view Testo, int32_t ID_Testo,
                              Variant* Parametri = nullptr, int16_t* UtilizzoSQL = nullptr);

  // --- Late binding ------------------------------------------------------------------
  std::string TypeName() const override { return "CLSPD_UTILITY"; }
  Variant Get(std::string_view name) override;
  void Put(std::string_view name, const Variant& value) override;
  Variant Invoke(std::string_view name, std::span<Variant> args) override;

 protected:
  // Starts the progress indicator at 0 of `total`; never fails.
  void ProgressStart(const Variant& total);
  // Advances the progress indicator by one; never fails.
  void ProgressStep();

 private:
  friend class UtilityTestPeer;
  // "ZMX_PROGRESS", "PROGRESSBAR" or another kind.
  std::string ProgressKind() const;

  ObjectTrace trace_{"CLSPD_UTILITY"};
  ConnectionContext context_;
  MessageService messages_;
  PendingError pending_;
};

}  // namespace zv

#endif  // ZV_DESCRIPTIONS_CLSPD_UTILITY_H_
