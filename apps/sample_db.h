// Writing the sample company straight into an embedded database: each
// generated row is bound to a prepared INSERT of its table (values converted
// to the column's T-SQL type: CHAR padded, decimals rounded to their scale,
// dates as DATETIME), instead of being spelled out as T-SQL literals and
// translated. Millions of rows load in seconds this way.
#ifndef ZV_APPS_SAMPLE_DB_H_
#define ZV_APPS_SAMPLE_DB_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "apps/sample_generator.h"
#include "data/sqlite/database.h"
#include "data/tsql/catalog.h"

namespace zv::sample {

// The library value of a generated value (dates as the platform's date).
Variant ToVariant(const SqlValue& value);

class DatabaseRowWriter : public RowSink {
 public:
  explicit DatabaseRowWriter(std::shared_ptr<sqlite::Database> db) : db_(std::move(db)) {}

  // Inserts the row. A table missing from the database throws DatabaseError
  // 208; a row of a shared table whose first column is already present is
  // skipped.
  void AddRow(const TableRow& row) override;

  // Ends a load: gathers the planner's statistics of the tables written,
  // which the merge's joins of session tables with ERP tables depend on.
  void Finish();

  int64_t rows() const { return rows_; }

 private:
  struct TablePlan {
    std::string sql;
    std::vector<tsql::SqlType> types;  // per generated column
  };
  const TablePlan& PlanFor(const TableRow& row);

  std::shared_ptr<sqlite::Database> db_;
  std::map<std::string, TablePlan, std::less<>> plans_;
  int64_t rows_ = 0;
};

}  // namespace zv::sample

#endif  // ZV_APPS_SAMPLE_DB_H_
