// CLSPD_VESTARO: the merge engine's public class. The host creates it, sets
// its connection context and public fields, calls a method and reads the
// result fields and VestaroStato. No exception leaves a public method: a
// failure sets VestaroStato to 99 and is reported through the error routine
// (only a failure of the error routine itself reaches the caller).
#ifndef ZV_SHELL_CLSPD_VESTARO_H_
#define ZV_SHELL_CLSPD_VESTARO_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/collection.h"
#include "data/connection.h"
#include "data/dispatch.h"
#include "data/recordset.h"
#include "shell/connection_context.h"
#include "shell/error_report.h"
#include "shell/messages.h"
#include "shell/trace.h"
#include "shell/vestaro_enums.h"

namespace zv {

class VestaroTestPeer;
class MergeTestPeer;

class CLSPD_VESTARO : public Dispatch {
 public:
  CLSPD_VESTARO();
  ~CLSPD_VESTARO() override;
  CLSPD_VESTARO(const CLSPD_VESTARO&) = delete;
  CLSPD_VESTARO& operator=(const CLSPD_VESTARO&) = delete;

  // --- Public fields ----------------------------------------------------------
  std::shared_ptr<Dispatch> ActiveInterface;
  std::shared_ptr<Dispatch> StatusLabel;
  std::shared_ptr<Dispatch> ObjChiamante;
  int32_t PgmChiamante = 0;          // tsPgmChiamante
  int32_t TipoVisualizzazione = 0;   // VstTipovis
  int32_t TipoRipartisci = 0;        // EnumTipoRipartisci
  bool AccorpaDocumentoOrigine = false;
  bool AccorpaProgRiga = false;
  bool AccorpaProgPadre = false;
  bool AccorpaFasi = false;
  bool AccorpaDeposito = false;
  bool AccorpaDatacons = false;
  bool AccorpaProgetto = false;
  bool AccorpaSProgetto = false;
  bool AccorpaCommessa = false;
  bool AccorpaSCommessa = false;
  bool AccorpaFaseProposta = false;
  bool AccorpaOrigineFabbisogno = false;
  bool AccorpaFornitoreReparto = false;
  bool AccorpaFaseRecordsetOrdini = false;
  bool AccorpaDataFabbisogno = false;
  bool AccorpaFaseRiga = false;
  int32_t AccorpaVariante = 0;       // EnumAccorpamentoVariante
  int16_t InitProgPadre = 0;         // 1 after creation
  int16_t MantieniProgriga = 0;
  int32_t StatoOperazione = 0;       // enumStatoOperazione
  int32_t TipoStopCopertura = 0;     // enumTipoStopCopertura
  std::shared_ptr<Recordset> PrstOrdini, PrstFasi;
  bool IsRecordsetFasi = false;
  std::string StrOrdinamento, StrOrdinamentoFasi;
  std::shared_ptr<Recordset> RstOrigOrdini, RstOrigFasi, RstDestiOrdini,
      RstDestiFasi, RstRiferimenti;
  std::shared_ptr<Recordset> PrstComponenti, RstOrigComponenti, RstDestiComponenti;
  std::shared_ptr<Recordset> PrstProposte, RstOrigProposte, RstDestiProposte,
      RstRiferimentiProposte;
  std::string PstrNumreg;
  int32_t PlngProgriga = 0;
  std::string m_NomeTmpTablePD48, m_NomeTmpTablePD54;
  std::string NomeTabellaOrdini, NomeTabellaFasi, NomeTabellaOrdiniDesti,
      NomeTabellaFasiDesti;
  std::shared_ptr<Recordset> PrstWork, PrstWorkAcc;
  std::string CodiceArticolo;
  int32_t ProgressivoPadre = 0;
  std::string NomeCampo;
  std::shared_ptr<Collection> CollectionCampi;

  // --- Properties with code behind them --------------------------------------
  int32_t VestaroStato() const { return vestaro_stato_; }
  Variant CodiceDitta() const { return context_.CodiceDitta(); }
  void SetCodiceDitta(const Variant& value) { context_.SetCodiceDitta(value); }
  Variant StringaConnessione() const { return context_.StringaConnessione(); }
  void SetStringaConnessione(const Variant& value) {
    context_.SetStringaConnessione(value);
  }
  const std::shared_ptr<Connection>& Connessione() const {
    return context_.Connessione();
  }
  void SetConnessione(std::shared_ptr<Connection> connection) {
    context_.SetConnessione(std::move(connection));
  }

  // --- Methods ------------------------------------------------------------------
  // A new GUID as "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", or "" when none
  // can be made.
  std::string GetGUID();
  // Does nothing.
  void ModificaMassivaCicloLavorazione() {}
  // Drops a session temporary table if it exists; errors are ignored.
  void DropTempTable(std::string_view NomeTabellaTemp);
  // An independent copy of the record set (fields and every row).
  std::shared_ptr<Recordset> CopyRecordset(const std::shared_ptr<Recordset>& rstSource);
  // A new empty, disconnected, editable set with rstSource's fields
  // (plus SALDO, CONSEGNATO and SCARTO for phases).
  std::shared_ptr<Recordset> CreaRecordset(const std::shared_ptr<Recordset>& rstSource,
                                           int32_t& TipoTabella);
  // Reloads RstOrigOrdini and RstDestiOrdini (and, with IsRecordsetFasi,
  // RstOrigFasi and RstDestiFasi) from the merge work tables.
  void ReopenRecordset();

  // --- Merge of order rows and phases ---------------------------------------
  // Builds the merged view of PrstOrdini (and PrstFasi) through the work
  // tables and SPVESTARO_ACCORPA. VestaroStato: 0 done, 1 PrstOrdini has no
  // rows, 99 failed.
  void AccorpaRigheOrdiniFasi();
  // Merges phases in memory: one row per register number, phase and
  // sub-phase, quantities summed. nullptr for a missing or empty input.
  std::shared_ptr<Recordset> AccorpaRecordsetFasi(const std::shared_ptr<Recordset>& p_RstFasi);

  // --- Split-back of edits made on the merged view ----------------------------
  // Copies p_NomeCampo of the merged phase (order row) p_Rst* is on to every
  // origin phase (order row) behind it.
  void RiportaDatoComune(const std::shared_ptr<Recordset>& p_RstFasi, const Variant& p_NomeCampo);
  void RiportaDatoComuneOrdini(const std::shared_ptr<Recordset>& p_RstOrdini,
                               const Variant& p_NomeCampo);
  // Copies the origin phase (order row) p_Rst* is on into RstOrigFasi
  // (RstOrigOrdini) when exactly one row there has its key.
  void RiallineaRstFasi(const std::shared_ptr<Recordset>& p_RstFasi);
  void RiallineaRstOrdini(const std::shared_ptr<Recordset>& p_RstOrdini);
  // The extended split-back in the first unit of measure.
  void RipartisciRigaAccorpata(const std::shared_ptr<Recordset>& p_RstFasi);
  void RipartisciRigaAccorpataOrdini(const std::shared_ptr<Recordset>& p_RstOrdini);
  // Gives the quantities entered on a merged phase (order row) out to its
  // origin rows in one unit (enumTipoQuantita; Vst_Tutte: unit 1, then 2),
  // then recalculates the merged row.
  void RipartisciRigaAccorpataExt(const std::shared_ptr<Recordset>& p_RstFasi,
                                  int32_t pTipoQuantita);
  void RipartisciRigaAccorpataOrdiniExt(const std::shared_ptr<Recordset>& p_RstOrdini,
                                        int32_t pTipoQuantita);

  // --- Recalculation of one merged row ------------------------------------------
  // Does nothing.
  void RicalcolaSingolaRigaOrdiniFasi(std::string_view p_Numreg, int32_t p_ProgRiga,
                                      int32_t& p_TipoVis,
                                      std::optional<int16_t> p_CodFase = std::nullopt);
  // Shows its own name in a message box, then runs the Ext3 form.
  void RicalcolaSingolaRigaOrdiniFasiExt(std::string_view p_Numreg, int32_t p_ProgRiga,
                                         int32_t& p_TipoVis, int32_t p_CodFase = 0);
  // Sums the origin rows of a merged order row (p_TipoVis VstAccorpate: the
  // key is the merged row's; VstDettagliate: an origin row's) and of its
  // merged phases into the merged rows.
  void RicalcolaSingolaRigaOrdiniFasiExt3(std::string_view p_Numreg, int32_t p_ProgRiga,
                                          int32_t& p_TipoVis, int32_t p_CodFase = 0,
                                          int32_t p_ProgSfase = 0);

  int32_t ZMX_MSGBOX(std::string_view Testo, int32_t IDTesto, int32_t parButtons,
                     std::string_view parTitle, Variant* Parametri = nullptr);
  std::string TraduzioneTesto(std::string_view Testo, int32_t ID_Testo,
                              Variant* Parametri = nullptr,
                              int16_t* UtilizzoSQL = nullptr);

  // --- Late binding ---------------------------------------------------------------
  std::string TypeName() const override { return "CLSPD_VESTARO"; }
  Variant Get(std::string_view name) override;
  void Put(std::string_view name, const Variant& value) override;
  Variant Invoke(std::string_view name, std::span<Variant> args) override;

  // The instance identifier of the trace lines.
  const std::string& IdIstanza() { return trace_.id(); }

 protected:
  // Runs `body` as a public routine: a failure sets VestaroStato to 99 and
  // is reported through ShowError with `routine`; the routine then returns
  // normally. Returns false when the body failed.
  template <typename F>
  bool Trap(std::string_view routine, F&& body);

  // The error routine of this class.
  void ShowError(const Variant& PvarRoutine, std::string_view MessaggioDaMostrare = "",
                 bool ShowMsgBox = true);
  // Shows a progress text on StatusLabel (DetailText, else Caption +
  // Refresh); never fails.
  void MostraStato(std::string_view text);
  // Sets the calling window's mouse pointer (11 busy, 0 default); never fails.
  void SetMousePointer(int32_t pointer);

  void SetVestaroStato(int32_t value) { vestaro_stato_ = value; }

 private:
  friend class VestaroTestPeer;
  friend class MergeTestPeer;

  // The host's connection; raises error 91 when none is set.
  Connection& RequireConnection() const;
  // CreaRecordset without its failure handler.
  std::shared_ptr<Recordset> NewRecordsetLike(const Recordset& rstSource,
                                              int32_t TipoTabella) const;

  // Work tables and the merge procedure (each reports its own failures).
  void CreaTabellaTemp(const std::shared_ptr<Recordset>& rst, const std::string& NomeTabella,
                       int32_t TipoTabella);
  bool EsisteCampo(const std::shared_ptr<Recordset>& rst, std::string_view NomeCampo);
  void CopiaCampiAggiunti();
  void ChiamaStored();

  // One unit of the extended split-back, without the failure handler.
  void SplitMergedPhase(Recordset& p_RstFasi, int unit);
  void SplitMergedOrderRow(Recordset& p_RstOrdini, int unit);
class MergeTestPeer;

  ObjectTrace trace_{"CLSPD_VESTARO"};  // first member: "INI" before all else
  ConnectionContext context_;
  MessageService messages_;
  int32_t vestaro_stato_ = tsVestaroOK;
  PendingError pending_;
  std::string last_error_text_;
  // Work clones used during a merge, released with the object.
  std::shared_ptr<Recordset> clone_ordini_, clone_fasi_;
};

template <typename F>
bool CLSPD_VESTARO::Trap(std::string_view routine, F&& body) {
  try {
    body();
    return true;
  } catch (...) {
    pending_ = PendingFromCurrentException();
  }
  vestaro_stato_ = tsVestaroErroreVB;
  // A failure of the error routine itself reaches the caller.
  ShowError(Variant(std::string(routine)), "", true);
  return false;
}

}  // namespace zv

#endif  // ZV_SHELL_CLSPD_VESTARO_H_
