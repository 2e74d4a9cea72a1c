#include "merge/merged_view.h"

#include "merge/filter_text.h"
#include "shell/module.h"
#include "shell/vestaro_enums.h"

namespace zv {

Decimal Quantity(const Variant& value) { return CDecN(value).ToDecimal(); }

int32_t KeyNumber(const Variant& value) { return CDecN(value).ToLong(); }

std::string KeyText(const Variant& value) { return SpliceText(NVL(value, Variant(""))); }

OrderUnitColumns OrderColumnsFor(int32_t pgm_chiamante, int unit) {
  const bool second = unit == 2;
  switch (pgm_chiamante) {
    case FbGenerazioneOrdiniDaDocumenti:
      return second ? OrderUnitColumns{"DO30_QTA2", "DO31_QTA2CONS", "WKQTA2ORD", "WKQTA1ORD"}
                    : OrderUnitColumns{"DO30_QTA1", "DO31_QTA1CONS", "WKQTA1ORD", "WKQTA2ORD"};
    case FbGenerazioneDdtDaListaPrel:
    case FbGenerazioneDdtDaListaTrasf:
      return second
                 ? OrderUnitColumns{"DO30_QTA2", "QTA2CONS", "QTA2DACONS", "DO31_QTA2CONS"}
                 : OrderUnitColumns{"DO30_QTA1", "DO31_QTA1CONS", "DO31_QTA2CONS", "QTA2DACONS"};
    default:
      return second ? OrderUnitColumns{"QTA2ORD", "QTA2TRASF", "QTA2DATRASF", "QTADATRASF"}
                    : OrderUnitColumns{"QTAORD", "QTATRASF", "QTADATRASF", "QTA2DATRASF"};
  }
}

PhaseUnitColumns PhaseColumnsFor(int unit) {
  if (unit == 2) {
    return {"DO46_QTA2ORD",     "DO46_QTA2CONSOLID", "DO46_QTA2DAAVANZ",
            "DO46_QTA2DASCART", "DO46_QTADAAVANZ",   "DO46_QTADASCART"};
  }
  return {"DO46_QTA1ORD",    "DO46_QTA1CONSOLID", "DO46_QTADAAVANZ",
          "DO46_QTADASCART", "DO46_QTA2DAAVANZ",  "DO46_QTA2DASCART"};
}

Decimal TakeUpTo(const Decimal& limit, const Decimal& remaining) {
  if (remaining >= limit) return limit;
  if (remaining <= Decimal(0)) return Decimal(0);
  return remaining;
}

Decimal ProportionalShare(const Decimal& open, const Decimal& target,
                          const Decimal& merged_open, int32_t rows) {
  if (open.IsZero()) return merged_open / Decimal(rows);
  const Decimal hundred(100);
  Decimal percent = target / merged_open.Abs() * hundred;
  return (open * percent / hundred).Abs().Round(3);
}

void RowList::AddView(Recordset& rs) {
  if (!FirstRow(rs)) return;
  while (!rs.Eof()) {
    Bookmark b = rs.GetBookmark();
    if (seen_.insert(b).second) rows_.push_back(b);
    rs.MoveNext();
  }
}

bool FirstRow(Recordset& rs) {
  if (rs.RecordCount() == 0) return false;
  rs.MoveFirst();
  return true;
}

namespace {

// The four parts of a row key (register number, row, phase, sub-phase), as
// the columns that hold them or as the fragments a filter writes them with.
struct KeyParts {
  const char* numreg;
  const char* progriga;
  const char* fase;
  const char* sfase;
};

KeyFilter FilterOnKey(const MergedRowKey& key, const KeyParts& terms, bool with_phase) {
  KeyFilter filter;
  filter.Text(terms.numreg, key.numreg).Number(terms.progriga, key.progriga);
  if (with_phase) filter.Number(terms.fase, key.fase).Number(terms.sfase, key.sfase);
  return filter;
}

MergedRowKey ReadKey(const Recordset& row, const KeyParts& columns, bool by_phase) {
  MergedRowKey key;
  key.numreg = KeyText(row.Value(columns.numreg));
  key.progriga = KeyNumber(row.Value(columns.progriga));
  key.fase = KeyNumber(row.Value(columns.fase));
  key.sfase = KeyNumber(row.Value(columns.sfase));
  key.by_phase = by_phase;
  return key;
}

}  // namespace

MergedRowKey KeyOfOrderRow(const Recordset& row, bool by_phase) {
  return ReadKey(row, {"DO11_NUMREG_CO99", "DO30_PROGRIGA", "DO46_CODFASE", "DO46_PROGSFASE"},
                 by_phase);
}

MergedRowKey KeyOfPhase(const Recordset& row) {
  return ReadKey(row, {"DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_CODFASE", "DO46_PROGSFASE"},
                 false);
}

KeyFilter LinksOfMergedRow(const MergedRowKey& key) {
  return FilterOnKey(
      key, {"DESTI_NUMREG = ", "DESTI_PROGRIGA = ", "DESTI_CODFASE = ", "DESTI_PROGSFASE = "},
      key.by_phase);
}

KeyFilter MergedOrderRow(const MergedRowKey& key) {
  return FilterOnKey(key,
                     {"DO11_NUMREG_CO99 = ", "DO30_PROGRIGA    = ", "DO46_CODFASE = ",
                      "DO46_PROGSFASE = "},
                     key.by_phase);
}

KeyFilter MergedPhase(const MergedRowKey& key) {
  return FilterOnKey(key,
                     {"DO46_NUMREG_CO99 = ", "DO46_PROGRIGA    = ", "DO46_CODFASE     = ",
                      "DO46_PROGSFASE   = "},
                     true);
}

KeyFilter LinkedOrderRow(const Recordset& links, bool by_phase, const char* sub_phase_column) {
  KeyFilter filter;
  filter.Text("DO11_NUMREG_CO99 = ", links.Value("ORIG_NUMREG"))
      .Number("DO30_PROGRIGA    = ", links.Value("ORIG_PROGRIGA"));
  if (by_phase) {
    filter.Number("DO46_CODFASE = ", links.Value("ORIG_CODFASE"))
        .Number("DO46_PROGSFASE = ", links.Value(sub_phase_column));
  }
  return filter;
}

KeyFilter LinkedPhase(const Recordset& links, const Variant& fase, const Variant& sfase,
                      std::string_view sub_phase_term) {
  KeyFilter filter;
  filter.Text("DO46_NUMREG_CO99 = ", links.Value("ORIG_NUMREG"))
      .Number("DO46_PROGRIGA    = ", links.Value("ORIG_PROGRIGA"))
      .Number("DO46_CODFASE     = ", fase)
      .Number(sub_phase_term, sfase);
  return filter;
}

}  // namespace zv
