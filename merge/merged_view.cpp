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

}  // namespace zv
