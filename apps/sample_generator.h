// The sample apparel company: a deterministic generator of the ERP data the
// library works on (variant configuration, articles, customers and
// subcontractors, production orders exploded by size with their phases,
// components and progress, subcontract orders, picking lists, delivery
// notes and planning proposals).
//
// The generator knows nothing of databases: it hands every row to a
// RowSink. SqlBatchWriter (apps/sample_sql.h) turns the rows into
// multi-row INSERT statements on any zv::Connection; the tests collect the
// rows in memory and check that they hang together.
#ifndef ZV_APPS_SAMPLE_GENERATOR_H_
#define ZV_APPS_SAMPLE_GENERATOR_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/decimal.h"

namespace zv::sample {

struct SampleOptions {
  int32_t company = 1;
  // Rows of production orders to generate: parent rows of a size grid and
  // their size rows together. The last order is cut so that the count is
  // met exactly.
  int64_t order_rows = 1000;
  uint64_t seed = 1;
  // Also write the rows of the tables shared by every company (languages).
  bool shared_tables = true;
  // The sample's "today": orders are dated around it and their progress is
  // what it would be on this day.
  int reference_year = 2025;
  int reference_month = 3;
  int reference_day = 14;
};

// One value of a generated row.
struct SqlValue {
  enum class Kind : uint8_t { kNull, kInt, kDecimal, kText, kDate, kDateTime };
  Kind kind = Kind::kNull;
  // kInt: the number; kDate: days since 1970-01-01; kDateTime: seconds since
  // 1970-01-01 00:00:00.
  int64_t number = 0;
  Decimal decimal;   // kDecimal
  std::string text;  // kText, without padding
};

// A row about to be written: `values[i]` is the value of `columns[i]`.
// Every row of one table has the same columns in the same order.
struct TableRow {
  std::string_view table;
  // A table shared by all companies (no company column): its rows may be
  // present already, written for another company, and must then be kept.
  bool shared = false;
  const std::vector<std::string_view>* columns = nullptr;
  const std::vector<SqlValue>* values = nullptr;
};

class RowSink {
 public:
  virtual ~RowSink() = default;
  // Takes one row. The row's vectors are reused for the next row of the
  // table, so a sink that keeps rows copies them. May throw; generation then
  // stops with the exception.
  virtual void AddRow(const TableRow& row) = 0;
};

struct GenerationSummary {
  int64_t production_orders = 0;
  int64_t production_rows = 0;  // parent and size rows of production orders
  int64_t documents = 0;        // every document header written
  std::map<std::string, int64_t> rows_per_table;
  int64_t total_rows() const;
};

// Generates one company into `sink`. Deterministic: the same options give
// the same rows in the same order. Throws std::invalid_argument for options
// out of range (order_rows < 0, company < 1, a reference date that does not
// exist).
GenerationSummary GenerateCompany(const SampleOptions& options, RowSink& sink);

// Days since 1970-01-01 of a civil date, and back.
int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);

}  // namespace zv::sample

#endif  // ZV_APPS_SAMPLE_GENERATOR_H_
