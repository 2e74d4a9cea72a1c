// The merged view of order rows and phases, as the split-back and the
// recalculation read it: which columns hold the quantities of a unit of
// measure, how a merged quantity is shared out, and how the origin rows
// behind a merged row are gathered through the links.
#ifndef ZV_MERGE_MERGED_VIEW_H_
#define ZV_MERGE_MERGED_VIEW_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/decimal.h"
#include "data/recordset.h"
#include "data/variant.h"
#include "merge/filter_text.h"

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

// The same shares for every origin row of one merged row, with what they
// have in common worked out once.
class ProportionalShares {
 public:
  ProportionalShares(const Decimal& target, const Decimal& merged_open, int32_t rows)
      : target_(target), merged_open_(merged_open), rows_(rows) {}
  Decimal For(const Decimal& open);

 private:
  Decimal target_, merged_open_;
  int32_t rows_;
  std::optional<Decimal> percent_, even_;
};

// --- Origin rows of a merged row ---------------------------------------------------

// The rows of one record set, gathered over several filters in the order
// met; a row met again is not counted twice, so an origin row reached
// through two links adds up once.
class RowList {
 public:
  // Adds every row of the set's current view.
  void AddView(Recordset& rs);
  // Adds one row.
  void Add(Bookmark b) {
    rows_.push_back(b);
    unique_ = false;
  }
  // The rows, each once, in the order first met.
  const std::vector<Bookmark>& rows() const;
  size_t size() const { return rows().size(); }

 private:
  // Rows met again are dropped when the list is read, not as they come.
  mutable std::vector<Bookmark> rows_;
  mutable bool unique_ = true;
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

// Adds to `rows`, for each link row of the view of `links` from the first,
// the rows of `origin` that `filter_for_link()` selects while that link row
// is current. Leaves `links` at its end and `origin` filtered on the last
// link.
template <typename FilterFor>
void AddLinkedRows(Recordset& links, Recordset& origin, FilterFor&& filter_for_link,
                   RowList& rows) {
  if (!FirstRow(links)) return;
  while (!links.Eof()) {
    origin.SetFilter(filter_for_link());
    rows.AddView(origin);
    links.MoveNext();
  }
}

// The origin rows behind the merged rows of the view of `merged`: for each
// merged row from the first, AddLinkedRows over all the links. Leaves
// `merged` at its end.
template <typename FilterFor>
RowList GatherLinkedRows(Recordset& merged, Recordset& links, Recordset& origin,
                         FilterFor&& filter_for_link) {
  RowList rows;
  if (!FirstRow(merged)) return rows;
  while (!merged.Eof()) {
    AddLinkedRows(links, origin, filter_for_link, rows);
    merged.MoveNext();
  }
  return rows;
}

// --- Filters on the merged view ---------------------------------------------------

// The key of a merged order row: register number and row, and the phase and
// sub-phase, which count only when the order rows stand one per phase
// (`by_phase`, the object's AccorpaFaseRecordsetOrdini).
struct MergedRowKey {
  std::string numreg;
  int32_t progriga = 0;
  int32_t fase = 0;
  int32_t sfase = 0;
  bool by_phase = false;
};

// The key of the merged row an edited row of the merged view stands for,
// read from its key columns: an order row's (DO11_NUMREG_CO99,
// DO30_PROGRIGA, DO46_CODFASE, DO46_PROGSFASE) or a phase's
// (DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_CODFASE, DO46_PROGSFASE).
MergedRowKey KeyOfOrderRow(const Recordset& row, bool by_phase);
MergedRowKey KeyOfPhase(const Recordset& row);

// The links of a merged row: "DESTI_NUMREG = 'n' AND DESTI_PROGRIGA = p",
// then " AND DESTI_CODFASE = f AND DESTI_PROGSFASE = s" when by phase.
KeyFilter LinksOfMergedRow(const MergedRowKey& key);

// The merged order row itself: "DO11_NUMREG_CO99 = 'n' AND DO30_PROGRIGA    = p",
// then " AND DO46_CODFASE = f AND DO46_PROGSFASE = s" when by phase.
KeyFilter MergedOrderRow(const MergedRowKey& key);

// One merged phase of a merged row, always by phase and sub-phase:
// "DO46_NUMREG_CO99 = 'n' AND DO46_PROGRIGA    = p AND DO46_CODFASE     = f
// AND DO46_PROGSFASE   = s".
KeyFilter MergedPhase(const MergedRowKey& key);

// The origin order row the current link row points at:
// "DO11_NUMREG_CO99 = '<ORIG_NUMREG>' AND DO30_PROGRIGA    = <ORIG_PROGRIGA>",
// then, when `by_phase`, " AND DO46_CODFASE = <ORIG_CODFASE> AND
// DO46_PROGSFASE = " and the link's `sub_phase_column`.
KeyFilter LinkedOrderRow(const Recordset& links, bool by_phase,
                         const char* sub_phase_column = "ORIG_PROGSFASE");

// The link columns the filters on origin rows read, found once for a walk
// over many links (a column the links lack is looked up, and fails, only
// when read).
struct LinkColumns {
  explicit LinkColumns(const Recordset& links, const char* sub_phase_column = "ORIG_PROGSFASE");
  Variant Read(const Recordset& links, int column, const char* name) const;
  int numreg, progriga, fase, sfase;
  const char* sub_phase_name;
};

// How the sub-phase term of an origin-phase filter is written: aligned with
// the phase term before it (the recalculation and the extended split-back)
// or plain (carrying a common value back to the origin phases).
inline constexpr std::string_view kAlignedSubPhase = "DO46_PROGSFASE   = ";
inline constexpr std::string_view kPlainSubPhase = "DO46_PROGSFASE = ";

// The origin phases behind the current link row that belong to the merged
// phase (fase, sfase): "DO46_NUMREG_CO99 = '<ORIG_NUMREG>' AND
// DO46_PROGRIGA    = <ORIG_PROGRIGA> AND DO46_CODFASE     = <fase> AND "
// then `sub_phase_term` and <sfase>.
KeyFilter LinkedPhase(const Recordset& links, const Variant& fase, const Variant& sfase,
                      std::string_view sub_phase_term = kAlignedSubPhase);

// --- Origin rows of many links at once ------------------------------------------------

// The filter each link puts on the origin rows: `numreg` and the link's
// ORIG_NUMREG as a text, then each number term with its value (read from a
// column of the link row, or fixed for the whole walk), then `extra` when
// it is not empty. LinkedOrderRow and LinkedPhase are such filters.
struct NumberTerm {
  std::string_view fragment;    // as the filter writes it: "DO30_PROGRIGA    = "
  int link_column = -1;         // the link column the value comes from, or -1
  const char* link_name = "";   // its name (read by name when the column is missing)
  Variant fixed;                // the value when it comes from no link column
};
struct LinkFilterShape {
  std::string_view numreg;      // "DO11_NUMREG_CO99 = "
  std::vector<NumberTerm> numbers;
  std::string extra;            // a whole term ("QTA2DACONS <> 0 ") or ""
};

// The number terms of LinkedOrderRow and of LinkedPhase.
LinkFilterShape LinkedOrderRowShape(const LinkColumns& columns, bool by_phase);
LinkFilterShape LinkedPhaseShape(const LinkColumns& columns, const Variant& fase,
                                 const Variant& sfase,
                                 std::string_view sub_phase_term = kAlignedSubPhase);

// Adds to `rows`, for each link row of the view of `links` from the first,
// the rows of `origin` the link's filter (`shape`) selects, in the order of
// the filtered view, as AddLinkedRows would. Links that name the same
// register number several times are answered together: one filter on the
// register number, the numbers matched row by row; so the work grows with
// the rows of the documents the links name, never with the whole set. A
// link whose numbers are not whole numbers, or whose filter would fail, is
// filtered as it is. Leaves `links` at its end and `origin` filtered.
void AddRowsOfLinks(Recordset& links, Recordset& origin, const LinkColumns& columns,
                    const LinkFilterShape& shape, RowList& rows);

// The origin rows behind the merged rows of the view of `merged`: for each
// merged row from the first, AddRowsOfLinks over all the links with the
// shape `shape_for_merged_row()` gives while that merged row is current.
// Leaves `merged` at its end.
template <typename ShapeFor>
RowList GatherRowsOfLinks(Recordset& merged, Recordset& links, Recordset& origin,
                          const LinkColumns& columns, ShapeFor&& shape_for_merged_row) {
  RowList rows;
  if (!FirstRow(merged)) return rows;
  while (!merged.Eof()) {
    AddRowsOfLinks(links, origin, columns, shape_for_merged_row(), rows);
    merged.MoveNext();
  }
  return rows;
}

}  // namespace zv

#endif  // ZV_MERGE_MERGED_VIEW_H_
