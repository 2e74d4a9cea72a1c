// The merge of order rows and phases: the host's rows go into session work
// tables, SPVESTARO_ACCORPA groups them, and its five result sets become the
// merged view (origin rows, merged rows, links, origin and merged phases).
#include <initializer_list>

#include "data/error.h"
#include "merge/filter_text.h"
#include "merge/merge_call.h"
#include "shell/clspd_vestaro.h"
#include "shell/module.h"

namespace zv {
namespace {

// `select_list` (ending in a blank) + "INTO <target> FROM <source> ": the
// head of a statement that creates a session table from a query.
std::string SelectInto(std::string_view select_list, std::string_view target,
                       std::string_view source) {
  std::string s(select_list);
  s += "INTO ";
  s += target;
  s += " FROM ";
  s += source;
  s += " ";
  return s;
}

}  // namespace

std::string OrderDestinationStatement(std::string_view destination, std::string_view origin) {
  return SelectInto(
             "SELECT *, CONVERT(VARCHAR(8000),NULL) AS KEY_ACCORP, CONVERT (TINYINT,NULL) AS "
             "FLG_ACCORPATA ",
             destination, origin) +
         "WHERE 1=0";
}

std::string PhasesFromDatabaseStatement(std::string_view phases, std::string_view orders,
                                        std::string_view company) {
  std::string s = SelectInto(
      "SELECT DO46_DOCCORORDDET.*, DO30_DOCCORPO.DO30_PROGPADRE, "
      "CONVERT(DECIMAL(14,3),0) AS DO46_QTA1CONSOLIDFP ",
      phases, orders);
  s += "INNER JOIN DO46_DOCCORORDDET WITH (NOLOCK) ";
  s += "ON DO46_DOCCORORDDET.DO46_NUMREG_CO99 = DO11_NUMREG_CO99 AND ";
  s += "   DO46_DOCCORORDDET.DO46_PROGRIGA    = DO30_PROGRIGA ";
  s += "INNER JOIN DO30_DOCCORPO WITH (NOLOCK) ";
  s += "ON DO30_DOCCORPO.DO30_DITTA_CG18  = DO46_DOCCORORDDET.DO46_DITTA_CG18 AND ";
  s += "   DO30_DOCCORPO.DO30_NUMREG_CO99 = DO46_DOCCORORDDET.DO46_NUMREG_CO99 AND ";
  s += "   DO30_DOCCORPO.DO30_PROGRIGA    = DO46_DOCCORORDDET.DO46_PROGRIGA ";
  s += "WHERE DO46_DOCCORORDDET.DO46_DITTA_CG18 = ";
  s += company;
  return s;
}

std::string PhaseDestinationStatement(std::string_view destination, std::string_view origin) {
  return SelectInto("SELECT * ", destination, origin) + "WHERE 1=0";
}

std::string VariantDimensionsQuery(std::string_view company) {
  std::string s;
  s += "SELECT MG5F_CODICEVAR, MG5F_INDGRIGLIA FROM MG5F_DIMECONF ";
  s += "WHERE MG5F_DITTA_CG18 = ";
  s += company;
  s += " ";
  s += "ORDER BY MG5F_CODICEVAR";
  return s;
}

namespace {

std::string Trimmed(std::string text) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  return text.substr(b, e - b);
}

Variant Flag(bool value) { return Variant(int16_t{value ? int16_t{1} : int16_t{0}}); }

}  // namespace

void CLSPD_VESTARO::AccorpaRigheOrdiniFasi() {
  Trap("AccorpaRigheOrdiniFasi", [&] {
    vestaro_stato_ = tsVestaroOK;
    SetMousePointer(11);

    NomeTabellaOrdini = "#TabellaOrdini";
    NomeTabellaFasi = "#TabellaFasi";
    NomeTabellaOrdiniDesti = "#TabellaOrdiniDesti";
    NomeTabellaFasiDesti = "#TabellaFasiDesti";
    ChiudiRecordset(RstOrigOrdini);
    ChiudiRecordset(RstOrigFasi);
    ChiudiRecordset(RstDestiOrdini);
    ChiudiRecordset(RstDestiFasi);
    ChiudiRecordset(RstRiferimenti);

    if (!PrstOrdini) Raise(err::kObjectVariableNotSet);
    if (PrstOrdini->RecordCount() == 0) {
      vestaro_stato_ = tsRecordsetVuoto;
      return;
    }

    MostraStato("Preparazione accorpamento ordini ....");
    clone_ordini_ = PrstOrdini->Clone();
    CreaTabellaTemp(clone_ordini_, NomeTabellaOrdini, Fb_Ordini);

    if (IsRecordsetFasi) {
      MostraStato("Preparazione accorpamento fasi");
      if (!PrstFasi) Raise(err::kObjectVariableNotSet);
      clone_fasi_ = PrstFasi->Clone();
      CreaTabellaTemp(clone_fasi_, NomeTabellaFasi, Fb_Fasi);
    }

    MostraStato("Accorpamento righe in corso ....");
    ChiamaStored();

    // A work table that failed to build does not stop the procedure call,
    // but then the results are not post-processed.
    if (vestaro_stato_ != tsVestaroOK) return;
    CopiaCampiAggiunti();
    if (RstOrigOrdini && RstOrigOrdini->RecordCount() > 0) RstOrigOrdini->MoveFirst();
    if (RstDestiOrdini && RstDestiOrdini->RecordCount() > 0) RstDestiOrdini->MoveFirst();
    ChiudiRecordset(clone_ordini_);
    if (IsRecordsetFasi) {
      if (RstOrigFasi && RstOrigFasi->RecordCount() > 0) RstOrigFasi->MoveFirst();
      if (RstDestiFasi && RstDestiFasi->RecordCount() > 0) RstDestiFasi->MoveFirst();
      ChiudiRecordset(clone_fasi_);
    }
    MostraStato("Accorpamento righe terminato ....");
  });
  SetMousePointer(0);
}

void CLSPD_VESTARO::ChiamaStored() {
  Trap("ChiamaStored", [&] {
    // With no key chosen at all, rows merge by parent row and by the variant
    // dimensions outside the size grid; the choice stays in the object.
    bool any_key = false;
    for (bool option : {AccorpaProgRiga, AccorpaProgPadre, AccorpaFasi, AccorpaDeposito,
                        AccorpaDatacons, AccorpaProgetto, AccorpaSProgetto, AccorpaCommessa,
                        AccorpaSCommessa, AccorpaFaseRiga, AccorpaFaseRecordsetOrdini})
      any_key = any_key || option;
    if (!any_key && AccorpaVariante == Fb_NoAccorpamento) {
      AccorpaProgPadre = true;
      AccorpaVariante = Fb_VarianteParziale;
    }

    DropTempTable(NomeTabellaOrdiniDesti);
    DropTempTable(NomeTabellaFasiDesti);
    Connection& connection = RequireConnection();
    const int no_records = ado::kCmdText | ado::kExecuteNoRecords;
    connection.Execute(OrderDestinationStatement(NomeTabellaOrdiniDesti, NomeTabellaOrdini),
                       nullptr, no_records);
    const std::string company = CodiceDitta().ToString();
    if (!IsRecordsetFasi) {
      DropTempTable(NomeTabellaFasi);
      connection.Execute(PhasesFromDatabaseStatement(NomeTabellaFasi, NomeTabellaOrdini, company),
                         nullptr, no_records);
    } else {
      connection.Execute(PhaseDestinationStatement(NomeTabellaFasiDesti, NomeTabellaFasi),
                         nullptr, no_records);
    }

    std::unique_ptr<Command> command = connection.CreateCommand();
    command->command_type = ado::kCmdStoredProc;
    command->command_timeout = 0;
    command->SetCommandText(kMergeProcedure);
    command->Param("@CodiceDitta").value = CodiceDitta();
    command->Param("@PgmChiamante").value = Variant(int32_t{PgmChiamante});
    command->Param("@IsRecordsetFasi").value = Flag(IsRecordsetFasi);
    command->Param("@StrOrdinamento").value = Variant(StrOrdinamento);
    command->Param("@StrOrdinamentoFasi").value = Variant(StrOrdinamentoFasi);
    command->Param("@Key_ProgRiga").value = Flag(AccorpaProgRiga);
    command->Param("@Key_ProgRigaPadre").value = Flag(AccorpaProgPadre);
    command->Param("@Key_Fasi").value = Flag(AccorpaFasi);
    command->Param("@Key_Deposito").value = Flag(AccorpaDeposito);
    command->Param("@Key_Datacons").value = Flag(AccorpaDatacons);
    command->Param("@Key_Progetto").value = Flag(AccorpaProgetto);
    command->Param("@Key_SProgetto").value = Flag(AccorpaSProgetto);
    command->Param("@Key_Commessa").value = Flag(AccorpaCommessa);
    command->Param("@Key_SCommessa").value = Flag(AccorpaSCommessa);
    command->Param("@Key_FaseOrd").value = Flag(AccorpaFaseRecordsetOrdini);
    command->Param("@Key_Variante").value = Variant(int32_t{AccorpaVariante});
    command->Param("@InitProgpadre").value = Variant(int16_t{InitProgPadre});
    command->Param("@MantieniProgriga").value = Variant(int16_t{MantieniProgriga});
    command->Param("@Key_FaseRiga").value = Flag(AccorpaFaseRiga);

    if (AccorpaVariante == Fb_VarianteParziale) {
      // A dimension without a position in the size grid stays in the key;
      // the grid dimensions (the sizes) are merged.
      std::shared_ptr<Recordset> dimensions = connection.OpenRecordset(
          VariantDimensionsQuery(company), ado::kOpenForwardOnly, ado::kLockReadOnly,
          ado::kCmdText);
      if (dimensions && dimensions->RecordCount() > 0) {
        dimensions->MoveFirst();
        while (!dimensions->Eof()) {
          std::string name =
              "@Key_" + Trimmed(SpliceText(dimensions->Value("MG5F_CODICEVAR")));
          bool outside_grid = CDecN(dimensions->Value("MG5F_INDGRIGLIA")).ToDecimal().IsZero();
          command->Param(name).value = Flag(outside_grid);
          dimensions->MoveNext();
        }
      }
      ChiudiRecordset(dimensions);
    }

    // The results, in order; each stays open while the next one is read.
    std::shared_ptr<Recordset>* targets[] = {&RstOrigOrdini, &RstDestiOrdini, &RstRiferimenti,
                                             &RstOrigFasi, &RstDestiFasi};
    const int wanted = IsRecordsetFasi ? 5 : 3;
    std::shared_ptr<Recordset> result = command->Execute();
    for (int i = 0; i < wanted; ++i) {
      if (!result) Raise(err::kObjectVariableNotSet);
      std::shared_ptr<Recordset> kept = result->Clone();
      kept->cursor_location = ado::kUseClient;
      kept->cursor_type = ado::kOpenDynamic;
      kept->lock_type = ado::kLockOptimistic;
      *targets[i] = kept;
      if (i + 1 < wanted) result = result->NextRecordset();
    }
    command.reset();
  });
}

}  // namespace zv
