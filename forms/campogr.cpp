#include "forms/campogr.h"

namespace zv {

Variant CLSPD_CAMPOGR::Get(std::string_view name) {
  if (NameEquals(name, "NomeCampo")) return Variant(NomeCampo);
  if (NameEquals(name, "CaptionCampo")) return Variant(CaptionCampo);
  if (NameEquals(name, "FormatoCampo")) return Variant(FormatoCampo);
  if (NameEquals(name, "TipoCampo")) return Variant(TipoCampo);
  if (NameEquals(name, "IndOperazione"))
    return Variant(static_cast<int32_t>(IndOperazione));
  if (NameEquals(name, "TipoCampoDxGrid")) return Variant(TipoCampoDxGrid);
  if (NameEquals(name, "AllowEdit")) return Variant(AllowEdit);
  return Dispatch::Get(name);
}

void CLSPD_CAMPOGR::Put(std::string_view name, const Variant& value) {
  if (NameEquals(name, "NomeCampo")) {
    NomeCampo = value.ToString();
  } else if (NameEquals(name, "CaptionCampo")) {
    CaptionCampo = value.ToString();
  } else if (NameEquals(name, "FormatoCampo")) {
    FormatoCampo = value.ToString();
  } else if (NameEquals(name, "TipoCampo")) {
    TipoCampo = value.ToLong();
  } else if (NameEquals(name, "IndOperazione")) {
    IndOperazione = static_cast<EnumIndOperazione>(value.ToLong());
  } else if (NameEquals(name, "TipoCampoDxGrid")) {
    TipoCampoDxGrid = value.ToLong();
  } else if (NameEquals(name, "AllowEdit")) {
    AllowEdit = value.ToBool();
  } else {
    Dispatch::Put(name, value);
  }
}

}  // namespace zv
