// The merged view of order rows and phases, as the split-back and the
// recalculation read it: which columns hold the quantities of a unit of
// measure, how a merged quantity is shared out, and how the origin rows
// behind a merged row are gathered through the links.
#ifndef ZV_MERGE_MERGED_VIEW_H_
#define ZV_MERGE_MERGED_VIEW_H_

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "data/decimal.h"
#include "data/recordset.h"
#include "data/variant.h"

namespace zv {

// --- Values -------------------------------------------------------------------

// A quantity as the merge reads it: Null, Empty or blank is 0, anything that
// is not a number is 0.
Decimal Quantity(const Variant& value);
// A numeric key (row, phase, sub-phase) read the same way, as a 32-bit
// integer rounded half to even.
int32_t KeyNumber(const Variant& value);
// A register number: "" for Null, Empty or blank, else its text.
std::string KeyText(const Variant& value);

// --- Quantity columns -----------------------------------------------------------

// The order-row columns of one unit of measure for a calling program: the
// ordered quantity (A), the quantity already done (B), the target that a
// split-back writes (C) and the other unit's target (D).
struct OrderUnitColumns {
  const char* ordered;
  const char* done;
  const char* target;
  const char* other_target;
};
// `unit` is 1 or 2.
OrderUnitColumns OrderColumnsFor(int32_t pgm_chiamante, int unit);

// The phase columns of one unit of measure.
struct PhaseUnitColumns {
  const char* ordered;
  const char* consolidated;
  const char* to_advance;
  const char* to_scrap;
  const char* other_to_advance;
  const char* other_to_scrap;
};
// `unit` is 1 or 2.
PhaseUnitColumns PhaseColumnsFor(int unit);

// The quantities a merged order row sums from its origin rows, in order.
inline constexpr std::array<const char*, 14> kOrderSumColumns = {
    "DO30_QTA1",  "DO31_QTA1CONS", "SALDO",         "DO31_QTA1TRASFDDTCL", "QTAORD",
    "QTATRASF",   "QTA2ORD",       "QTA2TRASF",     "QTADATRASF",          "QTA2DATRASF",
    "DO31_QTA2CONS", "QTA2DACONS", "WKQTA1ORD",     "WKQTA2ORD"};

// The quantities a merged phase sums from its origin phases, in order; the
// consolidated and scrapped quantities keep a 0, the others show it as Null.
struct PhaseSumColumn {
  const char* name;
  bool zero_as_null;
};
inline constexpr std::array<PhaseSumColumn, 13> kPhaseSumColumns = {{
    {"DO46_QTA1ORD", true},
    {"DO46_QTA2ORD", true},
    {"DO46_QTA1CONSOLID", false},
    {"DO46_QTA2CONSOLID", false},
    {"DO46_QTADAAVANZ", true},
    {"DO46_QTA2DAAVANZ", true},
    {"DO46_QTA1SCARTO", false},
    {"DO46_QTA2SCARTO", false},
    {"DO46_QTADASCART", true},
    {"DO46_QTA2DASCART", true},
    {"DO46_QTA1CONSOLIDFP", true},
    {"SALDO", true},
    {"CONSEGNATO", true},
}};

// --- Sharing a quantity out ------------------------------------------------------

// What a row with room for `limit` takes from `remaining`: all of `limit`
// when the remaining quantity covers it, nothing when nothing remains, else
// what remains.
Decimal TakeUpTo(const Decimal& limit, const Decimal& remaining);

// The share of an origin row in a re-proportioned split-back of `target`
// over a merged row whose open quantity is `merged_open` and which has
// `rows` origin rows: proportional to the row's open quantity, rounded to 3
// decimals (half to even); a row with nothing open gets merged_open / rows.
// Precondition: merged_open is not 0 when open is not 0 (else the division
// fails with error 11), rows > 0 when open is 0.
Decimal ProportionalShare(const Decimal& open, const Decimal& target,
                          const Decimal& merged_open, int32_t rows);

// --- Origin rows of a merged row ---------------------------------------------------

// The rows of one record set, gathered over several filters in the order
// met; a row met again is not counted twice, so an origin row reached
// through two links adds up once.
class RowList {
 public:
  // Adds every row of the set's current view.
  void AddView(Recordset& rs);
  const std::vector<Bookmark>& rows() const { return rows_; }
  size_t size() const { return rows_.size(); }

 private:
  std::vector<Bookmark> rows_;
  std::unordered_set<Bookmark> seen_;
};

// Clears the filter of `rs` and makes each listed row current in turn.
template <typename F>
void VisitRows(Recordset& rs, const RowList& list, F&& visit) {
  rs.SetFilter(Variant(int32_t{0}));
  for (Bookmark b : list.rows()) {
    rs.SetBookmark(b);
    visit();
  }
}

// Positions on the first row of the set's view when it has one; returns
// false when the view is empty.
bool FirstRow(Recordset& rs);

}  // namespace zv

#endif  // ZV_MERGE_MERGED_VIEW_H_
