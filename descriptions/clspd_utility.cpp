#include "descriptions/clspd_utility.h"

#include <algorithm>
#include <cctype>

#include "data/error.h"
#include "descriptions/time_format.h"
#include "shell/dispatch_helpers.h"
#include "shell/module.h"

namespace zv {

CLSPD_UTILITY::CLSPD_UTILITY() { DescrizioneSelezionata = false; }

CLSPD_UTILITY::~CLSPD_UTILITY() {
  trace_.Terminate();
  messages_.Release();
}

void CLSPD_UTILITY::ShowError(const Variant& PvarRoutine,
                              std::string_view MessaggioDaMostrare, bool ShowMsgBox) {
  ShowOwnerError(*this, pending_, context_.Connessione().get(), Errore, PvarRoutine,
                 MessaggioDaMostrare, ShowMsgBox);
}

bool CLSPD_UTILITY::ExistsTempTable(std::string_view NomeTabellaTemp) {
  try {
    auto connection = context_.Connessione();
    if (!connection) Raise(err::kObjectVariableNotSet);
    auto rs = connection->Execute(
        "SELECT OBJECT_ID('tempdb.." + std::string(NomeTabellaTemp) + "')");
    bool exists = false;
    if (rs && rs->State() == ado::kStateOpen && !rs->Eof()) exists = !rs->Value(0).IsNull();
    ChiudiRecordset(rs);
    return exists;
  } catch (...) {
    pending_ = PendingFromCurrentException();
  }
  Stato = tsStato::tsErroreVB;
  ShowError(Variant("ExistsTempTable"));
  return false;
}

void CLSPD_UTILITY::DropTempTable(std::string_view NomeTabellaTemp) {
  auto connection = context_.Connessione();
  if (!connection) return;
  try {
    std::string name(NomeTabellaTemp);
    connection->Execute("IF OBJECT_ID('tempdb.." + name + "') IS NOT NULL DROP TABLE " + name,
                        nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  } catch (...) {
    try {
      connection->GetErrors().Clear();
    } catch (...) {
    }
  }
}

std::string CLSPD_UTILITY::TrasformaTempo(const Variant& TempoInOreDecimali) {
  return zv::TrasformaTempo(TempoInOreDecimali);
}

Variant CLSPD_UTILITY::NVL(const Variant& value, const Variant& default_value) {
  return zv::NVL(value, default_value);
}

Variant CLSPD_UTILITY::CDecN(const Variant& value) { return zv::CDecN(value); }

int32_t CLSPD_UTILITY::ZMX_MSGBOX(std::string_view Testo, int32_t IDTesto,
                                  int32_t parButtons, std::string_view parTitle,
                                  Variant* Parametri) {
  return messages_.MsgBox(Variant(ActiveInterface), Testo, IDTesto, parButtons, parTitle,
                          Parametri ? *Parametri : Variant());
}

std::string CLSPD_UTILITY::TraduzioneTesto(std::string_view Testo, int32_t ID_Testo,
                                           Variant* Parametri, int16_t* UtilizzoSQL) {
  return messages_.Translate(Variant(ActiveInterface), Testo, ID_Testo,
                             Parametri ? *Parametri : Variant(),
                             UtilizzoSQL ? *UtilizzoSQL : int16_t{0});
}

std::string CLSPD_UTILITY::ProgressKind() const {
  std::string kind = ProgressBar ? ProgressBar->TypeName() : std::string();
  std::transform(kind.begin(), kind.end(), kind.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return kind;
}

void CLSPD_UTILITY::ProgressStart(const Variant& total) {
  if (!ProgressBar) return;
  try {
    std::string kind = ProgressKind();
    if (kind == "ZMX_PROGRESS") {
      ProgressBar->Put("ProgressBarMin", Variant(int32_t{0}));
      ProgressBar->Put("ProgressBarMax", zv::CDecN(total));
      ProgressBar->Put("ProgressBarValue", Variant(int32_t{0}));
      ProgressBar->Invoke("Refresh", {});
    } else if (kind == "PROGRESSBAR") {
      ProgressBar->Put("Min", Variant(int32_t{0}));
      ProgressBar->Put("Max", zv::CDecN(total));
      ProgressBar->Put("value", Variant(int32_t{0}));
    }
  } catch (...) {
    // The progress indicator never stops the work it shows.
  }
}

void CLSPD_UTILITY::ProgressStep() {
  if (!ProgressBar) return;
  try {
    std::string kind = ProgressKind();
    if (kind == "ZMX_PROGRESS") {
      Variant v = ProgressBar->Get("ProgressBarValue");
      ProgressBar->Put("ProgressBarValue", Variant(v.ToDecimal() + Decimal(1)));
      ProgressBar->Invoke("Refresh", {});
    } else if (kind == "PROGRESSBAR") {
      Variant v = ProgressBar->Get("value");
      ProgressBar->Put("value", Variant(v.ToDecimal() + Decimal(1)));
    }
  } catch (...) {
  }
}

Variant CLSPD_UTILITY::Get(std::string_view name) {
  if (NameEquals(name, "CodiceDitta")) return CodiceDitta();
  if (NameEquals(name, "StringaConnessione")) return StringaConnessione();
  if (NameEquals(name, "Stato")) return Variant(static_cast<int32_t>(Stato));
  if (NameEquals(name, "Errore")) return Variant(Errore);
  if (NameEquals(name, "ActiveInterface")) return Variant(ActiveInterface);
  if (NameEquals(name, "StatusLabel")) return Variant(StatusLabel);
  if (NameEquals(name, "ProgressBar")) return Variant(ProgressBar);
  if (NameEquals(name, "StringaSelezione")) return Variant(StringaSelezione);
  if (NameEquals(name, "RstDescrizioni")) return ToVariant(RstDescrizioni);
  if (NameEquals(name, "SovrascriviSePresente")) return Variant(SovrascriviSePresente);
  if (NameEquals(name, "DescrizioneSelezionata")) return Variant(DescrizioneSelezionata);
  if (NameEquals(name, "FlgGenerate")) return Variant(FlgGenerate);
  if (NameEquals(name, "PclsCONFCOMM")) return Variant(PclsCONFCOMM);
  if (NameEquals(name, "flgVariantiValide")) return Variant(flgVariantiValide);
  if (NameEquals(name, "CodiceLingua")) return Variant(CodiceLingua);
  if (NameEquals(name, "flgMemDescLingue")) return Variant(flgMemDescLingue);
  return Dispatch::Get(name);
}

void CLSPD_UTILITY::Put(std::string_view name, const Variant& value) {
  if (NameEquals(name, "CodiceDitta")) return SetCodiceDitta(value);
  if (NameEquals(name, "StringaConnessione")) return SetStringaConnessione(value);
  if (NameEquals(name, "Stato")) {
    Stato = static_cast<tsStato>(value.ToLong());
    return;
  }
  if (NameEquals(name, "Errore")) return FromVariant(value, &Errore);
  if (NameEquals(name, "ActiveInterface")) return FromVariant(value, &ActiveInterface);
  if (NameEquals(name, "StatusLabel")) return FromVariant(value, &StatusLabel);
  if (NameEquals(name, "ProgressBar")) return FromVariant(value, &ProgressBar);
  if (NameEquals(name, "StringaSelezione")) return FromVariant(value, &StringaSelezione);
  if (NameEquals(name, "RstDescrizioni")) return FromVariant(value, &RstDescrizioni);
  if (NameEquals(name, "SovrascriviSePresente")) return FromVariant(value, &SovrascriviSePresente);
  if (NameEquals(name, "DescrizioneSelezionata")) return FromVariant(value, &DescrizioneSelezionata);
  if (NameEquals(name, "FlgGenerate")) return FromVariant(value, &FlgGenerate);
  if (NameEquals(name, "PclsCONFCOMM")) return FromVariant(value, &PclsCONFCOMM);
  if (NameEquals(name, "flgVariantiValide")) return FromVariant(value, &flgVariantiValide);
  if (NameEquals(name, "CodiceLingua")) return FromVariant(value, &CodiceLingua);
  if (NameEquals(name, "flgMemDescLingue")) return FromVariant(value, &flgMemDescLingue);
  Dispatch::Put(name, value);
}

Variant CLSPD_UTILITY::Invoke(std::string_view name, std::span<Variant> args) {
  auto arg = [&](size_t i) { return i < args.size() ? args[i] : Variant(); };
  if (NameEquals(name, "ShowError")) {
    ShowError(arg(0), arg(1).IsEmpty() ? std::string() : arg(1).ToString(),
              arg(2).IsEmpty() ? true : arg(2).ToBool());
    return Variant();
  }
  if (NameEquals(name, "ExistsTempTable")) return Variant(ExistsTempTable(arg(0).ToString()));
  if (NameEquals(name, "DropTempTable")) {
    DropTempTable(arg(0).ToString());
    return Variant();
  }
  if (NameEquals(name, "TrasformaTempo")) return Variant(TrasformaTempo(arg(0)));
  if (NameEquals(name, "NVL")) return NVL(arg(0), arg(1));
  if (NameEquals(name, "CDecN")) return CDecN(arg(0));
  if (NameEquals(name, "ZMX_MSGBOX"))
    return Variant(ZMX_MSGBOX(arg(0).ToString(), arg(1).ToLong(), arg(2).ToLong(),
                              arg(3).IsEmpty() ? std::string() : arg(3).ToString(),
                              args.size() > 4 ? &args[4] : nullptr));
  if (NameEquals(name, "TraduzioneTesto")) {
    int16_t utilizzo = args.size() > 3 && !args[3].IsEmpty() ? args[3].ToInteger() : 0;
    return Variant(TraduzioneTesto(arg(0).ToString(), arg(1).ToLong(),
                                   args.size() > 2 ? &args[2] : nullptr, &utilizzo));
  }
  return Dispatch::Invoke(name, args);
}

}  // namespace zv

#include "shell/library.h"

namespace zv {
std::shared_ptr<Dispatch> NewClspdUtility() { return std::make_shared<CLSPD_UTILITY>(); }
}  // namespace zv
