#include "data/sqlite/table_recordset.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "data/sqlite/catalog_store.h"
#include "data/sqlite/sql_error.h"
#include "data/sqlite/value_codec.h"

namespace zv::sqlite {
namespace {

// A T-SQL type for a column SQLite declared without our catalogue.
tsql::SqlType TypeFromDeclared(std::string declared) {
  for (char& c : declared) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  auto has = [&](const char* s) { return declared.find(s) != std::string::npos; };
  if (has("INT")) return {"BIGINT"};
  if (has("CHAR") || has("TEXT") || has("CLOB")) return {"VARCHAR", -1};
  if (has("REAL") || has("FLOA") || has("DOUB") || has("NUM") || has("DEC")) return {"FLOAT"};
  return {"SQL_VARIANT"};
}

struct TableShape {
  std::string qualified;  // main."T" or temp."#T"
  std::vector<tsql::ColumnDef> columns;
  std::vector<std::string> key;  // primary-key columns in key order
};

TableShape LoadShape(Database& db, std::string_view name) {
  ObjectName o = NormalizeObjectName(name);
  if (!db.TableExists(o.name)) {
    db.Fail(MakeDbError(native::kInvalidObject, "42S02",
                                "Invalid object name '" + o.name + "'."));
  }
  TableShape shape;
  std::string schema = o.temporary ? "temp" : "main";
  std::optional<tsql::TableDef> def = db.catalog().FindTable(o.name);
  Statement info = db.Prepare("PRAGMA " + schema + ".table_info(" + QuoteSqliteName(o.name) + ")");
  std::vector<std::pair<int64_t, std::string>> key;
  while (info.Step()) {
    std::string col(info.ColumnText(1));
    if (info.ColumnInt64(5) > 0) key.emplace_back(info.ColumnInt64(5), col);
    if (!def) {
      tsql::ColumnDef c;
      c.name = col;
      c.type = TypeFromDeclared(std::string(info.ColumnText(2)));
      c.nullable = info.ColumnInt64(3) == 0;
      shape.columns.push_back(std::move(c));
    }
  }
  if (def) shape.columns = def->columns;
  std::sort(key.begin(), key.end());
  for (auto& k : key) shape.key.push_back(std::move(k.second));
  shape.qualified = schema + "." + QuoteSqliteName(o.name);
  return shape;
}

// Writes the record set's changes to its table.
class TableSink : public RecordsetSink {
 public:
  TableSink(std::weak_ptr<Database> db, TableShape shape)
      : db_(std::move(db)), shape_(std::move(shape)) {
    for (const tsql::ColumnDef& c : shape_.columns) plans_.push_back(PlanFor(c.type));
    stored_.resize(plans_.size());
    present_.assign(plans_.size(), false);
  }

  ~TableSink() override {
    if (auto db = db_.lock()) {
      db->Unkeep(insert_key_);
      try {
        db->FlushPendingWrites();
      } catch (const std::exception&) {
        // Nothing to report to from a destructor; the next use of the
        // connection sees the open transaction's outcome.
      }
    }
  }

  int64_t Insert(const Recordset&, std::span<const Variant> values) override {
    std::shared_ptr<Database> db = Lock();
    // Columns left Empty are not named, so their defaults apply.
    // The statement is rebuilt only when another set of columns is given
    // (a load gives the same columns row after row).
    bool same = !insert_sql_.empty();
    for (size_t i = 0; i < plans_.size(); ++i) {
      const bool p = i < values.size() && !values[i].IsEmpty();
      if (p != present_[i]) {
        present_[i] = p;
        same = false;
      }
    }
    if (!same) {
      insert_sql_ = BuildInsert(present_);
      db->Unkeep(insert_key_);
      insert_key_ = 0;
    }
    db->BeginBulkWrites();
    // The INSERT stays prepared in the database from row to row, so a load
    // costs no statement lookup per row; the database releases it before it
    // closes. An adopted connection keeps nothing: the statement comes from
    // the database each time there.
    Statement* st = db->Kept(insert_key_);
    std::optional<Statement> borrowed;
    if (st == nullptr) {
      if (db->owns_handle()) {
        insert_key_ = db->Keep(insert_sql_);
        st = db->Kept(insert_key_);
      }
      if (st == nullptr) st = &borrowed.emplace(db->PrepareForBulk(insert_sql_));
    }
    // Every named column is bound again for each row, so the bindings of
    // the row before need no clearing; a kept statement is reset after each
    // row, failed or not, so that it never holds the transaction open.
    struct ResetAfter {
      Statement* st;
      ~ResetAfter() { st->Reset(); }
    } reset_after{st};
    int index = 0;
    for (size_t i = 0; i < plans_.size(); ++i) {
      if (!present_[i]) continue;
      Encode(values[i], plans_[i], &stored_[i]);
      BindStored(*st, ++index, stored_[i], TextBinding::kStatic);
    }
    st->Run();
    return db->LastInsertRowid();
  }

  void UpdateRow(const Recordset&, int64_t tag, std::span<const Variant> values,
                 std::span<const bool> changed) override {
    std::shared_ptr<Database> db = Lock();
    std::string sql = "UPDATE " + shape_.qualified + " SET ";
    int count = 0;
    for (size_t i = 0; i < plans_.size() && i < changed.size(); ++i) {
      if (!changed[i]) continue;
      if (count++ > 0) sql += ", ";
      sql += QuoteSqliteName(shape_.columns[i].name) + " = ?";
    }
    if (count == 0) return;
    sql += " WHERE rowid = ?";
    db->BeginBulkWrites();
    Statement st = db->PrepareForBulk(sql);
    int index = 0;
    for (size_t i = 0; i < plans_.size() && i < changed.size(); ++i) {
      if (!changed[i]) continue;
      Encode(i < values.size() ? values[i] : Variant::Null(), plans_[i], &stored_[i]);
      BindStored(st, ++index, stored_[i]);
    }
    st.BindInt64(++index, tag);
    st.Run();
    if (db->Changes() == 0) RowGone();
  }

  void DeleteRow(const Recordset&, int64_t tag) override {
    std::shared_ptr<Database> db = Lock();
    db->BeginBulkWrites();
    Statement st = db->PrepareForBulk("DELETE FROM " + shape_.qualified + " WHERE rowid = ?1");
    st.BindInt64(1, tag);
    st.Run();
    if (db->Changes() == 0) RowGone();
  }

 private:
  std::shared_ptr<Database> Lock() const {
    std::shared_ptr<Database> db = db_.lock();
    if (!db) {
      throw PlatformError(err::kAdoObjectClosed,
                          "Operation is not allowed when the object is closed.");
    }
    return db;
  }

  [[noreturn]] static void RowGone() {
    throw PlatformError(err::kAdoRowChanged,
                        "Row cannot be located for updating. Some values may have been "
                        "changed since it was last read.");
  }

  std::string BuildInsert(const std::vector<bool>& present) const {
    std::string cols, marks;
    for (size_t i = 0; i < present.size(); ++i) {
      if (!present[i]) continue;
      if (!cols.empty()) {
        cols += ", ";
        marks += ", ";
      }
      cols += QuoteSqliteName(shape_.columns[i].name);
      marks += "?";
    }
    if (cols.empty()) return "INSERT INTO " + shape_.qualified + " DEFAULT VALUES";
    return "INSERT INTO " + shape_.qualified + " (" + cols + ") VALUES (" + marks + ")";
  }

  std::weak_ptr<Database> db_;
  TableShape shape_;
  std::vector<ColumnPlan> plans_;
  std::vector<StoredValue> stored_;  // per column, alive until the step
  std::vector<bool> present_;  // the columns the INSERT of insert_sql_ names
  std::string insert_sql_;
  uint64_t insert_key_ = 0;  // the kept INSERT of insert_sql_, 0 when none
};

}  // namespace

std::shared_ptr<Recordset> OpenTableRecordset(const std::shared_ptr<Database>& db,
                                              std::string_view name) {
  TableShape shape = LoadShape(*db, name);
  std::string sql = "SELECT rowid";
  for (const tsql::ColumnDef& c : shape.columns) sql += ", " + QuoteSqliteName(c.name);
  sql += " FROM " + shape.qualified + " ORDER BY ";
  if (shape.key.empty()) {
    sql += "rowid";
  } else {
    for (size_t i = 0; i < shape.key.size(); ++i)
      sql += (i > 0 ? ", " : "") + QuoteSqliteName(shape.key[i]);
  }

  auto rs = std::make_shared<Recordset>();
  std::vector<ColumnPlan> plans;
  for (const tsql::ColumnDef& c : shape.columns) {
    rs->AppendField(FieldInfoFor(c.name, c.type, c.nullable));
    plans.push_back(PlanFor(c.type));
  }
  rs->cursor_type = ado::kOpenKeyset;
  rs->lock_type = ado::kLockOptimistic;
  rs->Open();
  Statement st = db->Prepare(sql);
  size_t n = shape.columns.size();
  while (st.Step()) {
    std::vector<Variant> row(n);
    for (size_t i = 0; i < n; ++i) row[i] = DecodeColumn(st, static_cast<int>(i) + 1, plans[i]);
    rs->LoadRow(std::move(row), st.ColumnInt64(0));
  }
  if (rs->RecordCount() > 0) rs->MoveFirst();
  rs->SetSink(std::make_shared<TableSink>(db, std::move(shape)));
  return rs;
}

}  // namespace zv::sqlite
