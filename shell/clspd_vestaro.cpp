#include "shell/clspd_vestaro.h"

#include "data/error.h"

namespace zv {

CLSPD_VESTARO::CLSPD_VESTARO() {
  // The "INI" trace line has been written by trace_, the first member.
  m_NomeTmpTablePD48 = "#TMPVST_PD48";
  m_NomeTmpTablePD54 = "#TMPVST_PD54";
  StrOrdinamento = "";
  StrOrdinamentoFasi = "";
  InitProgPadre = 1;
  MantieniProgriga = 0;
  StatoOperazione = 0;
  TipoStopCopertura = 0;
}

CLSPD_VESTARO::~CLSPD_VESTARO() {
  trace_.Terminate();
  ChiudiRecordset(RstOrigOrdini);
  ChiudiRecordset(RstOrigFasi);
  ChiudiRecordset(RstDestiOrdini);
  ChiudiRecordset(RstDestiFasi);
  ChiudiRecordset(RstRiferimenti);
  clone_ordini_.reset();
  clone_fasi_.reset();
  messages_.Release();
}

std::string CLSPD_VESTARO::GetGUID() {
  Guid g;
  if (!CreateGuid(&g)) return "";
  return FormatGuid(g);
}

void CLSPD_VESTARO::DropTempTable(std::string_view NomeTabellaTemp) {
  auto connection = context_.Connessione();
  if (!connection) return;
  try {
    std::string name(NomeTabellaTemp);
    connection->Execute("IF NOT OBJECT_ID('tempdb.." + name + "') IS NULL DROP TABLE " + name,
                        nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  } catch (...) {
    try {
      connection->GetErrors().Clear();
    } catch (...) {
    }
  }
}

std::shared_ptr<Recordset> CLSPD_VESTARO::CopyRecordset(
    const std::shared_ptr<Recordset>& rstSource) {
  std::shared_ptr<Recordset> copy;
  Trap("CopyRecordset", [&] {
    if (!rstSource) Raise(err::kObjectVariableNotSet);
    copy = rstSource->DeepCopy();
  });
  return copy;
}

std::shared_ptr<Recordset> CLSPD_VESTARO::CreaRecordset(
    const std::shared_ptr<Recordset>& rstSource, int32_t& TipoTabella) {
  std::shared_ptr<Recordset> result;
  Trap("CreaRecordset", [&] {
    if (!rstSource) Raise(err::kObjectVariableNotSet);
    result = NewRecordsetLike(*rstSource, TipoTabella);
  });
  return result;
}

std::shared_ptr<Recordset> CLSPD_VESTARO::NewRecordsetLike(const Recordset& rstSource,
                                                           int32_t TipoTabella) const {
  auto rs = std::make_shared<Recordset>();
  for (const FieldInfo& f : rstSource.Fields()) {
    FieldInfo copy;
    copy.name = f.name;
    copy.type = f.type;
    copy.defined_size = f.defined_size;
    copy.attributes = ado::kFldIsNullable | ado::kFldMayBeNull;
    if (f.type == ado::kDecimal || f.type == ado::kNumeric) {
      copy.precision = f.precision;
      copy.numeric_scale = f.numeric_scale;
    }
    rs->AppendField(std::move(copy));
  }
  if (TipoTabella == Fb_Fasi) {
    for (const char* name : {"SALDO", "CONSEGNATO", "SCARTO"}) {
      bool present = false;
      for (const FieldInfo& f : rstSource.Fields()) present = present || f.name == name;
      if (!present)
        rs->AppendField(name, ado::kNumeric, 19, ado::kFldIsNullable | ado::kFldMayBeNull,
                        17, 6);
    }
  }
  rs->cursor_location = ado::kUseClient;
  rs->cursor_type = ado::kOpenDynamic;
  rs->lock_type = ado::kLockOptimistic;
  rs->Open();
  return rs;
}

int32_t CLSPD_VESTARO::ZMX_MSGBOX(std::string_view Testo, int32_t IDTesto,
                                  int32_t parButtons, std::string_view parTitle,
                                  Variant* Parametri) {
  return messages_.MsgBox(Variant(ActiveInterface), Testo, IDTesto, parButtons,
                          parTitle, Parametri ? *Parametri : Variant());
}

std::string CLSPD_VESTARO::TraduzioneTesto(std::string_view Testo, int32_t ID_Testo,
                                           Variant* Parametri, int16_t* UtilizzoSQL) {
  return messages_.Translate(Variant(ActiveInterface), Testo, ID_Testo,
                             Parametri ? *Parametri : Variant(),
                             UtilizzoSQL ? *UtilizzoSQL : int16_t{0});
}

void CLSPD_VESTARO::ShowError(const Variant& PvarRoutine,
                              std::string_view MessaggioDaMostrare, bool ShowMsgBox) {
  ShowOwnerError(*this, pending_, context_.Connessione().get(), last_error_text_, PvarRoutine,
                 MessaggioDaMostrare, ShowMsgBox);
}

void CLSPD_VESTARO::MostraStato(std::string_view text) {
  if (!StatusLabel) return;
  try {
    StatusLabel->Put("DetailText", Variant(std::string(text)));
  } catch (...) {
    try {
      StatusLabel->Put("Caption", Variant(std::string(text)));
      StatusLabel->Invoke("Refresh", {});
    } catch (...) {
    }
  }
}

void CLSPD_VESTARO::SetMousePointer(int32_t pointer) {
  if (!ObjChiamante) return;
  try {
    ObjChiamante->Put("MousePointer", Variant(pointer));
  } catch (...) {
  }
}

}  // namespace zv
