// Results of a statement as record sets: the columns the driver describes
// become fields with the data-access layer's type codes, and every row is
// read at once into a disconnected set.
#ifndef ZV_DATA_ODBC_RESULTS_H_
#define ZV_DATA_ODBC_RESULTS_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/odbc/handles.h"
#include "data/odbc/odbc_connection.h"
#include "data/odbc/type_mapping.h"
#include "data/recordset.h"

namespace zv::odbc {

// The columns of the current result, after the dialect's corrections.
std::vector<ColumnDescription> DescribeResult(Statement& statement, SqlDialect& dialect);

// Returns the tag a row read from a table gets in its record set.
using RowTagger = std::function<int64_t(const std::vector<Variant>& row)>;

// Reads every row of the current result into a new open record set, with
// the tag `tagger` gives each row (0 without a tagger).
std::shared_ptr<Recordset> ReadResultSet(Statement& statement,
                                         const std::vector<ColumnDescription>& columns,
                                         const RowTagger& tagger = nullptr);

// What the results of the statements of a call amount to.
struct Results {
  std::vector<std::shared_ptr<Recordset>> sets;
  // Rows touched by the last statement that reported a count; -1 if none.
  int64_t last_count = -1;
};

// Consumes every result of an executed statement in order: row results
// become record sets (when `keep_sets`; otherwise they are discarded),
// counts update last_count. `executed_with_data` is what ExecDirect
// returned.
void ReadAllResults(Statement& statement, SqlDialect& dialect, bool executed_with_data,
                    bool keep_sets, Results* results);

// Links the sets through SetNextRecordset and returns the first; nullptr
// when there is none.
std::shared_ptr<Recordset> LinkResults(const std::vector<std::shared_ptr<Recordset>>& sets);

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_RESULTS_H_
