// Public enumerations of CLSPD_VESTARO, with their values.
#ifndef ZV_SHELL_VESTARO_ENUMS_H_
#define ZV_SHELL_VESTARO_ENUMS_H_

#include <cstdint>

namespace zv {

// Outcome of the last operation.
enum tsVestaroStato : int32_t {
  tsVestaroOK = 0,
  tsRecordsetVuoto = 1,
  tsRecordsetNothing = 2,
  tsRecordsetRiferimentiVuoto = 3,
  tsRecordsetRiferimentiNothing = 4,
  tsProgPadreAssente = 5,
  tsVestaroErroreVB = 99,
};

// The calling program.
enum tsPgmChiamante : int32_t {
  FbAvanzamentoOrdiniProduzione = 1,
  FbInterrogazioneAvanzamento = 2,
  FbVersamentoContoLavoro = 3,
  FbTrasferimentoTerzisti = 4,
  FbGenerazioneDdtDaOCL = 5,
  FbGenerazioneDdtDaODL = 6,
  FbGenerazioneDdtDaListaPrel = 7,
  FbGenerazioneDdtDaListaTrasf = 8,
  FbGestioneProposte = 20,
  FbGenerazioneOrlodapro = 21,
  FbGenerazioneOrfodapro = 22,
  FbStampaProposte = 23,
  FbGenerazioneOrdiniDaDocumenti = 24,
};

// The view kind of the host's grid.
enum VstTipovis : int32_t { VstDettagliate = 1, VstAccorpate = 2 };

// The kind of a merge work table.
enum EnumTipoTabella : int32_t {
  Fb_Indefinita = 0,
  Fb_Ordini = 1,
  Fb_Fasi = 2,
  Fb_Componenti = 3,
  Fb_Proposte = 4,
};

enum EnumAccorpamentoVariante : int32_t {
  Fb_NoAccorpamento = 0,
  Fb_VarianteIntera = 1,
  Fb_VarianteParziale = 2,
};

// How a merged quantity is distributed back over its origin rows.
enum EnumTipoRipartisci : int32_t { Fb_Spalma = 0, Fb_Riproporziona = 1 };

enum enumStatoOperazione : int32_t { Stato_Inserimento = 0, Stato_Variazione = 1 };

enum enumTipoStopCopertura : int32_t {
  Vst_Stop_Standard = 0,
  Vst_Stop_AltraQuantita = 1,
};

enum enumTipoQuantita : int32_t { Vst_Tutte = 0, Vst_Quantita1 = 1, Vst_Quantita2 = 2 };

enum EnumTipoStrutturaGriglia : int32_t { Struct_Standard = 0, Struct_ConScarto = 1 };

// Outcome of CLSPD_UTILITY operations (scoped: its names repeat those of
// tsVestaroStato).
enum class tsStato : int32_t {
  tsOK = 0,
  tsRecordsetVuoto = 1,
  tsRecordsetNothing = 2,
  tsErroreVB = 99,
};

}  // namespace zv

#endif  // ZV_SHELL_VESTARO_ENUMS_H_
