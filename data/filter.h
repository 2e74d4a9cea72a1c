// The criteria language of record-set filters:
//
//   criteria := conjunction { OR conjunction }
//   conjunction := primary { AND primary }
//   primary := '(' criteria ')' | field op value | field [NOT] LIKE 'pattern'
//            | field IS [NOT] NULL
//   op := = | <> | < | > | <= | >=
//   value := 'text' (quotes doubled inside) | number | #date# | NULL
//            | TRUE | FALSE
//
// Field names are plain words or written in [brackets]; keywords are not
// case-sensitive. `field = NULL` is `field IS NULL` and `field <> NULL` is
// `field IS NOT NULL`. A LIKE pattern takes the wildcard * or % at its
// start, its end or both. Dates are #yyyy-mm-dd[ hh:mm[:ss]]# or
// #mm/dd/yyyy[ hh:mm[:ss]]#.
//
// A value is converted to its field's kind when the filter is parsed (a
// text against a numeric field must read as a number), so rows compare
// without conversions. A Null field value satisfies only IS NULL.
#ifndef ZV_DATA_FILTER_H_
#define ZV_DATA_FILTER_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/row_store.h"

namespace zv {

enum class CompareOp : uint8_t { kEq, kNe, kLt, kGt, kLe, kGe };

struct FilterNode {
  enum class Kind : uint8_t { kAnd, kOr, kCompare, kLike, kIsNull };
  enum class LikeShape : uint8_t { kExact, kPrefix, kSuffix, kContains, kAny };

  Kind kind = Kind::kCompare;
  bool negated = false;  // IS NOT NULL, NOT LIKE
  CompareOp op = CompareOp::kEq;
  int field = -1;
  Scalar probe;             // the value, converted to the field's kind
  LikeShape shape = LikeShape::kExact;
  std::string pattern;      // case-folded, without wildcards
  std::vector<FilterNode> children;  // kAnd, kOr

  // Canonical text of the node, for tests and traces.
  std::string ToString(const std::vector<FieldInfo>& fields) const;
};

// Finds a field by name (case-insensitively); nullopt when there is none.
using FieldLookup = std::function<std::optional<int>(std::string_view)>;

class Filter {
 public:
  // Parses criteria over the given fields. Bad syntax, an unknown field or a
  // value that cannot become the field's kind raise err::kAdoInvalidArgument.
  static Filter Parse(std::string_view criteria, const std::vector<FieldInfo>& fields,
                      const FieldLookup& lookup);

  const FilterNode& root() const { return root_; }
  bool Matches(const RowStore& store, uint32_t row) const;

  // How a hash index can answer the filter: equality (or IS NULL) terms of
  // the top-level conjunction on typed fields, one per column, ascending by
  // column; the rest of the conjunction checked on the rows found.
  struct IndexPlan {
    std::vector<int> columns;
    std::vector<const FilterNode*> keys;      // parallel to columns
    std::vector<const FilterNode*> residual;  // every remaining term
    uint64_t hash = 0;                        // of the keys, as RowStore::KeyHash
  };
  // nullopt when no term can use an index.
  std::optional<IndexPlan> PlanIndex(const RowStore& store) const;
  // True when `row` has the plan's key values (checked on one row per group).
  static bool KeyMatches(const IndexPlan& plan, const RowStore& store, uint32_t row);
  static bool AllMatch(const std::vector<const FilterNode*>& terms,
                       const RowStore& store, uint32_t row);

 private:
  FilterNode root_;
};

bool EvalFilterNode(const FilterNode& node, const RowStore& store, uint32_t row);

// Parses a date written inside # marks; nullopt when it is not a date.
std::optional<DateValue> ParseFilterDate(std::string_view text);

}  // namespace zv

#endif  // ZV_DATA_FILTER_H_
