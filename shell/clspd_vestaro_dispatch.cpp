// Late-bound access to CLSPD_VESTARO: the host framework reaches the
// object's fields and methods by name, as the platform's automation does.
#include <functional>
#include <map>

#include "data/error.h"
#include "shell/clspd_vestaro.h"
#include "shell/dispatch_helpers.h"

namespace zv {
namespace {

using Self = CLSPD_VESTARO;

struct FieldAccess {
  std::function<Variant(Self&)> get;
  std::function<void(Self&, const Variant&)> put;
};

template <typename T>
FieldAccess Member(T Self::*member) {
  return {[member](Self& s) { return ToVariant(s.*member); },
          [member](Self& s, const Variant& v) { FromVariant(v, &(s.*member)); }};
}

const std::map<std::string, FieldAccess, NameLess>& Fields() {
  static const std::map<std::string, FieldAccess, NameLess> fields = {
      {"ActiveInterface", Member(&Self::ActiveInterface)},
      {"StatusLabel", Member(&Self::StatusLabel)},
      {"ObjChiamante", Member(&Self::ObjChiamante)},
      {"PgmChiamante", Member(&Self::PgmChiamante)},
      {"TipoVisualizzazione", Member(&Self::TipoVisualizzazione)},
      {"TipoRipartisci", Member(&Self::TipoRipartisci)},
      {"AccorpaDocumentoOrigine", Member(&Self::AccorpaDocumentoOrigine)},
      {"AccorpaProgRiga", Member(&Self::AccorpaProgRiga)},
      {"AccorpaProgPadre", Member(&Self::AccorpaProgPadre)},
      {"AccorpaFasi", Member(&Self::AccorpaFasi)},
      {"AccorpaDeposito", Member(&Self::AccorpaDeposito)},
      {"AccorpaDatacons", Member(&Self::AccorpaDatacons)},
      {"AccorpaProgetto", Member(&Self::AccorpaProgetto)},
      {"AccorpaSProgetto", Member(&Self::AccorpaSProgetto)},
      {"AccorpaCommessa", Member(&Self::AccorpaCommessa)},
      {"AccorpaSCommessa", Member(&Self::AccorpaSCommessa)},
      {"AccorpaFaseProposta", Member(&Self::AccorpaFaseProposta)},
      {"AccorpaOrigineFabbisogno", Member(&Self::AccorpaOrigineFabbisogno)},
      {"AccorpaFornitoreReparto", Member(&Self::AccorpaFornitoreReparto)},
      {"AccorpaFaseRecordsetOrdini", Member(&Self::AccorpaFaseRecordsetOrdini)},
      {"AccorpaDataFabbisogno", Member(&Self::AccorpaDataFabbisogno)},
      {"AccorpaFaseRiga", Member(&Self::AccorpaFaseRiga)},
      {"AccorpaVariante", Member(&Self::AccorpaVariante)},
      {"InitProgPadre", Member(&Self::InitProgPadre)},
      {"MantieniProgriga", Member(&Self::MantieniProgriga)},
      {"StatoOperazione", Member(&Self::StatoOperazione)},
      {"TipoStopCopertura", Member(&Self::TipoStopCopertura)},
      {"PrstOrdini", Member(&Self::PrstOrdini)},
      {"PrstFasi", Member(&Self::PrstFasi)},
      {"IsRecordsetFasi", Member(&Self::IsRecordsetFasi)},
      {"StrOrdinamento", Member(&Self::StrOrdinamento)},
      {"StrOrdinamentoFasi", Member(&Self::StrOrdinamentoFasi)},
      {"RstOrigOrdini", Member(&Self::RstOrigOrdini)},
      {"RstOrigFasi", Member(&Self::RstOrigFasi)},
      {"RstDestiOrdini", Member(&Self::RstDestiOrdini)},
      {"RstDestiFasi", Member(&Self::RstDestiFasi)},
      {"RstRiferimenti", Member(&Self::RstRiferimenti)},
      {"PrstComponenti", Member(&Self::PrstComponenti)},
      {"RstOrigComponenti", Member(&Self::RstOrigComponenti)},
      {"RstDestiComponenti", Member(&Self::RstDestiComponenti)},
      {"PrstProposte", Member(&Self::PrstProposte)},
      {"RstOrigProposte", Member(&Self::RstOrigProposte)},
      {"RstDestiProposte", Member(&Self::RstDestiProposte)},
      {"RstRiferimentiProposte", Member(&Self::RstRiferimentiProposte)},
      {"PstrNumreg", Member(&Self::PstrNumreg)},
      {"PlngProgriga", Member(&Self::PlngProgriga)},
      {"m_NomeTmpTablePD48", Member(&Self::m_NomeTmpTablePD48)},
      {"m_NomeTmpTablePD54", Member(&Self::m_NomeTmpTablePD54)},
      {"NomeTabellaOrdini", Member(&Self::NomeTabellaOrdini)},
      {"NomeTabellaFasi", Member(&Self::NomeTabellaFasi)},
      {"NomeTabellaOrdiniDesti", Member(&Self::NomeTabellaOrdiniDesti)},
      {"NomeTabellaFasiDesti", Member(&Self::NomeTabellaFasiDesti)},
      {"PrstWork", Member(&Self::PrstWork)},
      {"PrstWorkAcc", Member(&Self::PrstWorkAcc)},
      {"CodiceArticolo", Member(&Self::CodiceArticolo)},
      {"ProgressivoPadre", Member(&Self::ProgressivoPadre)},
      {"NomeCampo", Member(&Self::NomeCampo)},
  };
  return fields;
}

}  // namespace

Variant CLSPD_VESTARO::Get(std::string_view name) {
  if (NameEquals(name, "VestaroStato")) return Variant(VestaroStato());
  if (NameEquals(name, "CodiceDitta")) return CodiceDitta();
  if (NameEquals(name, "StringaConnessione")) return StringaConnessione();
  auto it = Fields().find(std::string(name));
  if (it == Fields().end()) return Dispatch::Get(name);
  return it->second.get(*this);
}

void CLSPD_VESTARO::Put(std::string_view name, const Variant& value) {
  if (NameEquals(name, "CodiceDitta")) return SetCodiceDitta(value);
  if (NameEquals(name, "StringaConnessione")) return SetStringaConnessione(value);
  auto it = Fields().find(std::string(name));
  if (it == Fields().end()) return Dispatch::Put(name, value);
  it->second.put(*this, value);
}

Variant CLSPD_VESTARO::Invoke(std::string_view name, std::span<Variant> args) {
  auto arg = [&](size_t i) { return i < args.size() ? args[i] : Variant(); };
  if (NameEquals(name, "GetGUID")) return Variant(GetGUID());
  if (NameEquals(name, "ModificaMassivaCicloLavorazione")) {
    ModificaMassivaCicloLavorazione();
    return Variant();
  }
  if (NameEquals(name, "DropTempTable")) {
    DropTempTable(arg(0).ToString());
    return Variant();
  }
  if (NameEquals(name, "ZMX_MSGBOX")) {
    Variant parametri = arg(4);
    return Variant(ZMX_MSGBOX(arg(0).ToString(), arg(1).ToLong(), arg(2).ToLong(),
                              arg(3).IsEmpty() ? std::string() : arg(3).ToString(),
                              args.size() > 4 ? &args[4] : nullptr));
  }
  if (NameEquals(name, "TraduzioneTesto")) {
    int16_t utilizzo = args.size() > 3 && !args[3].IsEmpty() ? args[3].ToInteger() : 0;
    return Variant(TraduzioneTesto(arg(0).ToString(), arg(1).ToLong(),
                                   args.size() > 2 ? &args[2] : nullptr, &utilizzo));
  }
  auto recordset = [&](size_t i) {
    std::shared_ptr<Recordset> rs;
    FromVariant(arg(i), &rs);
    return rs;
  };
  auto optional_long = [&](size_t i) {
    return i < args.size() && !args[i].IsEmpty() ? args[i].ToLong() : 0;
  };
  // The view kind is passed by reference.
  auto tipo_vis = [&](auto&& call) {
    int32_t tipo = arg(2).ToLong();
    call(tipo);
    if (args.size() > 2) args[2] = Variant(tipo);
    return Variant();
  };
  if (NameEquals(name, "CopyRecordset")) return ToVariant(CopyRecordset(recordset(0)));
  if (NameEquals(name, "CreaRecordset")) {
    int32_t kind = arg(1).IsEmpty() ? 0 : arg(1).ToLong();
    Variant result = ToVariant(CreaRecordset(recordset(0), kind));
    if (args.size() > 1) args[1] = Variant(kind);
    return result;
  }
  if (NameEquals(name, "ReopenRecordset")) {
    ReopenRecordset();
    return Variant();
  }
  if (NameEquals(name, "AccorpaRigheOrdiniFasi")) {
    AccorpaRigheOrdiniFasi();
    return Variant();
  }
  if (NameEquals(name, "AccorpaRecordsetFasi"))
    return ToVariant(AccorpaRecordsetFasi(recordset(0)));
  struct RecordsetMethod {
    const char* name;
    void (CLSPD_VESTARO::*method)(const std::shared_ptr<Recordset>&);
  };
  static constexpr RecordsetMethod kRecordsetMethods[] = {
      {"RipartisciRigaAccorpata", &CLSPD_VESTARO::RipartisciRigaAccorpata},
      {"RiallineaRstFasi", &CLSPD_VESTARO::RiallineaRstFasi},
      {"RipartisciRigaAccorpataOrdini", &CLSPD_VESTARO::RipartisciRigaAccorpataOrdini},
      {"RiallineaRstOrdini", &CLSPD_VESTARO::RiallineaRstOrdini},
  };
  for (const RecordsetMethod& m : kRecordsetMethods) {
    if (NameEquals(name, m.name)) {
      (this->*m.method)(recordset(0));
      return Variant();
    }
  }
  if (NameEquals(name, "RiportaDatoComune")) {
    RiportaDatoComune(recordset(0), arg(1));
    return Variant();
  }
  if (NameEquals(name, "RiportaDatoComuneOrdini")) {
    RiportaDatoComuneOrdini(recordset(0), arg(1));
    return Variant();
  }
  if (NameEquals(name, "RipartisciRigaAccorpataExt")) {
    RipartisciRigaAccorpataExt(recordset(0), arg(1).ToLong());
    return Variant();
  }
  if (NameEquals(name, "RipartisciRigaAccorpataOrdiniExt")) {
    RipartisciRigaAccorpataOrdiniExt(recordset(0), arg(1).ToLong());
    return Variant();
  }
  if (NameEquals(name, "RicalcolaSingolaRigaOrdiniFasi")) {
    return tipo_vis([&](int32_t& tipo) {
      std::optional<int16_t> fase;
      if (args.size() > 3 && !args[3].IsEmpty()) fase = args[3].ToInteger();
      RicalcolaSingolaRigaOrdiniFasi(arg(0).ToString(), arg(1).ToLong(), tipo, fase);
    });
  }
  if (NameEquals(name, "RicalcolaSingolaRigaOrdiniFasiExt")) {
    return tipo_vis([&](int32_t& tipo) {
      RicalcolaSingolaRigaOrdiniFasiExt(arg(0).ToString(), arg(1).ToLong(), tipo,
                                        optional_long(3));
    });
  }
  if (NameEquals(name, "RicalcolaSingolaRigaOrdiniFasiExt3")) {
    return tipo_vis([&](int32_t& tipo) {
      RicalcolaSingolaRigaOrdiniFasiExt3(arg(0).ToString(), arg(1).ToLong(), tipo,
                                         optional_long(3), optional_long(4));
    });
  }
  return Dispatch::Invoke(name, args);
}

}  // namespace zv
