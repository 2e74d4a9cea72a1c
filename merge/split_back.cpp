// Edits made on the merged view carried back to the origin rows: a common
// value typed on a merged row goes to every origin row behind it, an edited
// origin row goes back into the object's origin record set, and the plain
// split-back forms hand over to the extended split-back in unit 1.
#include "data/error.h"
#include "merge/filter_text.h"
#include "merge/merged_view.h"
#include "shell/clspd_vestaro.h"
#include "shell/module.h"

namespace zv {
namespace {

Recordset& Require(const std::shared_ptr<Recordset>& rs) {
  if (!rs) Raise(err::kObjectVariableNotSet);
  return *rs;
}

// Writes `value` into `field` of every listed row.
void WriteAll(Recordset& rs, const RowList& rows, const std::string& field,
              const Variant& value) {
  VisitRows(rs, rows, [&] {
    rs.SetValue(field, value);
    rs.Update();
  });
}

// Copies every field of the current row of `from` into the current row of
// `to`, by name.
void CopyRow(Recordset& from, Recordset& to) {
  for (int i = 0; i < from.FieldCount(); ++i) to.SetValue(from.Field(i).name, from.Value(i));
  to.Update();
}

}  // namespace

void CLSPD_VESTARO::RiportaDatoComune(const std::shared_ptr<Recordset>& p_RstFasi,
                                      const Variant& p_NomeCampo) {
  Trap("RiportaDatoComune", [&] {
    Recordset& edited = Require(p_RstFasi);
    Recordset& links = Require(RstRiferimenti);
    const MergedRowKey key = KeyOfPhase(edited);

    links.SetFilter(LinksOfMergedRow(key));
    if (links.RecordCount() == 0 || !IsRecordsetFasi) return;

    std::shared_ptr<Recordset> origin = Require(RstOrigFasi).Clone();
    std::shared_ptr<Recordset> merged = Require(RstDestiFasi).Clone();
    merged->SetFilter(MergedPhase(key));
    const std::string field = SpliceText(p_NomeCampo);
    const Variant value = edited.Value(field);

    const LinkColumns link_columns(links);
    const RowList rows = GatherRowsOfLinks(*merged, links, *origin, link_columns, [&] {
      return LinkedPhaseShape(link_columns, CDecN(merged->Value("DO46_CODFASE")),
                              CDecN(merged->Value("DO46_PROGSFASE")), kPlainSubPhase);
    });
    WriteAll(*origin, rows, field, value);
  });
}

void CLSPD_VESTARO::RiportaDatoComuneOrdini(const std::shared_ptr<Recordset>& p_RstOrdini,
                                            const Variant& p_NomeCampo) {
  Trap("RiportaDatoComuneOrdini", [&] {
    Recordset& edited = Require(p_RstOrdini);
    Recordset& links = Require(RstRiferimenti);
    const MergedRowKey key = KeyOfOrderRow(edited, AccorpaFaseRecordsetOrdini);

    links.SetFilter(LinksOfMergedRow(key));
    if (links.RecordCount() == 0) return;

    std::shared_ptr<Recordset> origin = Require(RstOrigOrdini).Clone();
    std::shared_ptr<Recordset> merged = Require(RstDestiOrdini).Clone();
    merged->SetFilter(MergedOrderRow(key));
    const std::string field = SpliceText(p_NomeCampo);
    const Variant value = edited.Value(field);

    // Origin rows of one merged row share its sub-phase.
    const LinkColumns link_columns(links, "DESTI_PROGSFASE");
    const RowList rows = GatherRowsOfLinks(*merged, links, *origin, link_columns, [&] {
      return LinkedOrderRowShape(link_columns, AccorpaFaseRecordsetOrdini);
    });
    WriteAll(*origin, rows, field, value);
  });
}

void CLSPD_VESTARO::RiallineaRstFasi(const std::shared_ptr<Recordset>& p_RstFasi) {
  Trap("RiallineaRstFasi", [&] {
    if (!IsRecordsetFasi) return;
    Recordset& edited = Require(p_RstFasi);
    std::shared_ptr<Recordset> origin = Require(RstOrigFasi).Clone();
    origin->SetFilter(KeyFilter()
                          .Text("DO46_NUMREG_CO99 = ", edited.Value("DO46_NUMREG_CO99"))
                          .Number("DO46_PROGRIGA    = ", edited.Value("DO46_PROGRIGA"))
                          .Number("DO46_CODFASE     = ", CDecN(edited.Value("DO46_CODFASE"))));
    if (origin->RecordCount() != 1) return;
    origin->MoveFirst();
    CopyRow(edited, *origin);
  });
}

void CLSPD_VESTARO::RiallineaRstOrdini(const std::shared_ptr<Recordset>& p_RstOrdini) {
  Trap("RiallineaRstOrdini", [&] {
    Recordset& edited = Require(p_RstOrdini);
    std::shared_ptr<Recordset> origin = Require(RstOrigOrdini).Clone();
    KeyFilter filter;
    filter.Text("DO11_NUMREG_CO99 = ", edited.Value("DO11_NUMREG_CO99"))
        .Number("DO30_PROGRIGA    = ", edited.Value("DO30_PROGRIGA"));
    if (AccorpaFaseRecordsetOrdini)
      filter.Number("DO46_CODFASE = ", CDecN(edited.Value("DO46_CODFASE")));
    origin->SetFilter(filter);
    if (origin->RecordCount() != 1) return;
    origin->MoveFirst();
    CopyRow(edited, *origin);
  });
}

void CLSPD_VESTARO::RipartisciRigaAccorpata(const std::shared_ptr<Recordset>& p_RstFasi) {
  RipartisciRigaAccorpataExt(p_RstFasi, Vst_Quantita1);
}

void CLSPD_VESTARO::RipartisciRigaAccorpataOrdini(const std::shared_ptr<Recordset>& p_RstOrdini) {
  RipartisciRigaAccorpataOrdiniExt(p_RstOrdini, Vst_Quantita1);
}

}  // namespace zv
