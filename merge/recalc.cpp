// Recalculation of one merged order row and of its merged phases from the
// origin rows behind them, after those origin rows changed.
#include <array>

#include "data/error.h"
#include "host/framework.h"
#include "merge/filter_text.h"
#include "merge/merged_view.h"
#include "merge/recalc.h"
#include "shell/clspd_vestaro.h"
#include "shell/module.h"

namespace zv {
namespace {

Recordset& Require(const std::shared_ptr<Recordset>& rs) {
  if (!rs) Raise(err::kObjectVariableNotSet);
  return *rs;
}

bool SelectsByRow(int32_t pgm_chiamante) {
  return pgm_chiamante == FbGenerazioneDdtDaOCL || pgm_chiamante == FbGenerazioneDdtDaODL;
}

}  // namespace

void CLSPD_VESTARO::RicalcolaSingolaRigaOrdiniFasi(std::string_view, int32_t, int32_t&,
                                                   std::optional<int16_t>) {}

void CLSPD_VESTARO::RicalcolaSingolaRigaOrdiniFasiExt(std::string_view p_Numreg,
                                                      int32_t p_ProgRiga, int32_t& p_TipoVis,
                                                      int32_t p_CodFase) {
  Trap("RicalcolaSingolaRigaOrdiniFasiExt", [&] {
    ZMX_MSGBOX("RicalcolaSingolaRigaOrdiniFasiExt", 0, mb::kOkOnly, "CLSPD_VESTARO");
    RicalcolaSingolaRigaOrdiniFasiExt3(p_Numreg, p_ProgRiga, p_TipoVis, p_CodFase, 0);
  });
}

void RecalculateMergedRow(CLSPD_VESTARO& v, std::string_view p_Numreg, int32_t p_ProgRiga,
                          int32_t p_TipoVis, int32_t p_CodFase, int32_t p_ProgSfase,
                          const RowList* origin_rows) {
  Recordset& links = Require(v.RstRiferimenti);
  std::string numreg(p_Numreg);
  int32_t progriga = p_ProgRiga, fase = p_CodFase, sfase = p_ProgSfase;

  // The key of an origin row leads to the merged row that holds it.
  if (p_TipoVis == VstDettagliate) {
    KeyFilter by_origin;
    by_origin.Text("ORIG_NUMREG   = ", numreg).Number("ORIG_PROGRIGA = ", progriga);
    if (v.AccorpaFaseRecordsetOrdini)
      by_origin.Number("ORIG_CODFASE = ", fase).Number("ORIG_PROGSFASE = ", sfase);
    links.SetFilter(by_origin);
    if (links.RecordCount() == 0) {
      links.SetFilter(Variant(int32_t{0}));
      return;
    }
    links.MoveFirst();
    numreg = KeyText(links.Value("DESTI_NUMREG"));
    progriga = KeyNumber(links.Value("DESTI_PROGRIGA"));
    fase = KeyNumber(links.Value("DESTI_CODFASE"));
    sfase = KeyNumber(links.Value("DESTI_PROGSFASE"));
  }

  const MergedRowKey key{numreg, progriga, fase, sfase, v.AccorpaFaseRecordsetOrdini};
  links.SetFilter(LinksOfMergedRow(key));
  if (links.RecordCount() == 0) return;
  const LinkColumns link_columns(links);

  std::shared_ptr<Recordset> origin = Require(v.RstOrigOrdini).Clone();
  std::shared_ptr<Recordset> merged = Require(v.RstDestiOrdini).Clone();

  // The merged order row: found exactly once, or left alone.
  merged->SetFilter(MergedOrderRow(key));
  if (merged->RecordCount() == 1) {
    merged->MoveFirst();
    RowList rows;
    if (origin_rows != nullptr) {
      rows = *origin_rows;
    } else {
      AddRowsOfLinks(links, *origin, link_columns,
                     LinkedOrderRowShape(link_columns, v.AccorpaFaseRecordsetOrdini), rows);
    }

    std::array<Decimal, kOrderSumColumns.size()> sums{};
    // The columns, found once when there are rows to read.
    std::array<int, kOrderSumColumns.size()> columns{};
    const bool by_selection = SelectsByRow(v.PgmChiamante);
    int selez_column = -1;
    if (rows.size() != 0) {
      for (size_t i = 0; i < columns.size(); ++i)
        columns[i] = origin->FieldIndex(kOrderSumColumns[i]);
      if (by_selection) selez_column = origin->FieldIndex("SELEZ");
    }
    Decimal selection;
    // For the document generations only the selected rows count, and only
    // the quantities to transfer.
    VisitRows(*origin, rows, [&] {
      if (by_selection) {
        const Variant selez = origin->Value(selez_column);
        if (Quantity(selez).IsZero()) return;
        sums[8] += Quantity(origin->Value(columns[8]));
        sums[9] += Quantity(origin->Value(columns[9]));
        if (selection.IsZero()) selection = Quantity(selez);
        return;
      }
      for (size_t i = 0; i < sums.size(); ++i) sums[i] += Quantity(origin->Value(columns[i]));
    });
    if (by_selection) {
      merged->SetValue("QTADATRASF", Variant(sums[8]));
      merged->SetValue("QTA2DATRASF", Variant(sums[9]));
      merged->SetValue("SELEZ", Variant(selection));
    } else {
      for (size_t i = 0; i < sums.size(); ++i)
        merged->SetValue(kOrderSumColumns[i], Variant(sums[i]));
    }
    merged->Update();
  }

  if (!v.IsRecordsetFasi) return;
  std::shared_ptr<Recordset> origin_phases = Require(v.RstOrigFasi).Clone();
  std::shared_ptr<Recordset> merged_phases = Require(v.RstDestiFasi).Clone();
  // Every merged phase of the merged row, whatever phase was asked for.
  merged_phases->SetFilter(KeyFilter()
                               .Text("DO46_NUMREG_CO99 = ", numreg)
                               .Number("DO46_PROGRIGA    = ", progriga));
  if (!FirstRow(*merged_phases)) return;
  while (!merged_phases->Eof()) {
    const Variant merged_fase = CDecN(merged_phases->Value("DO46_CODFASE"));
    const Variant merged_sfase = CDecN(merged_phases->Value("DO46_PROGSFASE"));
    RowList rows;
    AddRowsOfLinks(links, *origin_phases, link_columns,
                   LinkedPhaseShape(link_columns, merged_fase, merged_sfase), rows);
    std::array<Decimal, kPhaseSumColumns.size()> sums{};
    std::array<int, kPhaseSumColumns.size()> columns{};
    int selez_column = -1;
    if (rows.size() != 0) {
      for (size_t i = 0; i < columns.size(); ++i)
        columns[i] = origin_phases->FieldIndex(kPhaseSumColumns[i].name);
      selez_column = origin_phases->FieldIndex("DO46_SELEZ");
    }
    Decimal selection;
    VisitRows(*origin_phases, rows, [&] {
      for (size_t i = 0; i < sums.size(); ++i)
        sums[i] += Quantity(origin_phases->Value(columns[i]));
      if (selection.IsZero()) selection = Quantity(origin_phases->Value(selez_column));
    });
    for (size_t i = 0; i < sums.size(); ++i) {
      Variant value(sums[i]);
      merged_phases->SetValue(kPhaseSumColumns[i].name,
                              kPhaseSumColumns[i].zero_as_null ? NullSeZero(value) : value);
    }
    merged_phases->SetValue("DO46_SELEZ", Variant(selection));
    merged_phases->Update();
    merged_phases->MoveNext();
  }
}

void CLSPD_VESTARO::RicalcolaSingolaRigaOrdiniFasiExt3(std::string_view p_Numreg,
                                                       int32_t p_ProgRiga, int32_t& p_TipoVis,
                                                       int32_t p_CodFase,
                                                       int32_t p_ProgSfase) {
  Trap("RicalcolaSingolaRigaOrdiniFasiExt3", [&] {
    RecalculateMergedRow(*this, p_Numreg, p_ProgRiga, p_TipoVis, p_CodFase, p_ProgSfase, nullptr);
  });
}

}  // namespace zv
