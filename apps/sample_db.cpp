#include "apps/sample_db.h"

#include "data/sqlite/catalog_store.h"
#include "data/sqlite/value_codec.h"
#include "data/tsql/lexer.h"

namespace zv::sample {
namespace {

// Days between the platform's day zero (1899-12-30) and 1970-01-01.
constexpr double kUnixEpochDays = 25569.0;


}  // namespace

Variant ToVariant(const SqlValue& value) {
  switch (value.kind) {
    case SqlValue::Kind::kNull:
      return Variant::Null();
    case SqlValue::Kind::kInt:
      return Variant(value.number);
    case SqlValue::Kind::kDecimal:
      return Variant(value.decimal);
    case SqlValue::Kind::kText:
      return Variant(value.text);
    case SqlValue::Kind::kDate:
      return Variant::Date(static_cast<double>(value.number) + kUnixEpochDays);
    case SqlValue::Kind::kDateTime:
      return Variant::Date(static_cast<double>(value.number) / 86400.0 + kUnixEpochDays);
  }
  return Variant::Null();
}

const DatabaseRowWriter::TablePlan& DatabaseRowWriter::PlanFor(const TableRow& row) {
  if (auto it = plans_.find(row.table); it != plans_.end()) return it->second;
  const auto table = db_->catalog().FindTable(row.table);
  if (!table) {
    db_->Fail(sqlite::MakeDbError(208, "42S02",
                                  "Invalid object name '" + std::string(row.table) + "'."));
  }
  TablePlan plan;
  std::string columns, params;
  int index = 0;
  for (std::string_view name : *row.columns) {
    const tsql::ColumnDef* def = nullptr;
    for (const auto& c : table->columns) {
      if (tsql::EqualsIgnoreCase(c.name, name)) {
        def = &c;
        break;
      }
    }
    if (def == nullptr) {
      db_->Fail(sqlite::MakeDbError(207, "42S22",
                                    "Invalid column name '" + std::string(name) + "'."));
    }
    plan.types.push_back(def->type);
    if (index++ > 0) {
      columns += ", ";
      params += ", ";
    }
    columns += sqlite::QuoteSqliteName(def->name);
    params += "?" + std::to_string(index);
  }
  const std::string target = sqlite::QuoteSqliteName(table->name);
  if (row.shared) {
    // Rows of a shared table may already be there, written for another company.
    plan.sql = "INSERT INTO " + target + " (" + columns + ") SELECT " + params +
               " WHERE NOT EXISTS (SELECT 1 FROM " + target + " WHERE " +
               sqlite::QuoteSqliteName((*row.columns)[0]) + " = ?1)";
  } else {
    plan.sql = "INSERT INTO " + target + " (" + columns + ") VALUES (" + params + ")";
  }
  return plans_.emplace(std::string(row.table), std::move(plan)).first->second;
}

void DatabaseRowWriter::Finish() { db_->UpdateStatistics(); }

void DatabaseRowWriter::AddRow(const TableRow& row) {
  const TablePlan& plan = PlanFor(row);
  sqlite::Statement st = db_->Prepare(plan.sql);
  const auto& values = *row.values;
  for (size_t i = 0; i < values.size(); ++i) {
    sqlite::BindAs(st, static_cast<int>(i + 1), ToVariant(values[i]), plan.types[i]);
  }
  st.Run();
  ++rows_;
}

}  // namespace zv::sample
