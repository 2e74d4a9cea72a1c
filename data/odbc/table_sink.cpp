#include "data/odbc/table_sink.h"

#include <algorithm>
#include <cctype>

#include "data/field_convert.h"
#include "data/odbc/catalog_queries.h"
#include "data/odbc/params.h"
#include "data/odbc/session.h"

namespace zv::odbc {
namespace {

constexpr char kUpdateNotFound[] =
    "Row cannot be located for updating. Some values may have been changed since it was "
    "last read.";
constexpr char kDeleteNotFound[] =
    "Row cannot be located for deleting. It may have been deleted or changed by another "
    "user.";

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// Long texts, long binaries and variants cannot be compared in a WHERE.
bool Comparable(const ColumnDescription& c) {
  int type = AdoTypeFor(c.sql_type, c.type_name, c.column_size);
  return type != ado::kLongVarChar && type != ado::kLongVarWChar &&
         type != ado::kLongVarBinary && type != ado::kVariant;
}

[[noreturn]] void ThrowNotFound(int32_t number) {
  throw DriverError({MakeRecord("", number == err::kAdoRowDeleted ? kDeleteNotFound
                                                                  : kUpdateNotFound,
                                number)});
}

}  // namespace

TableSink::TableSink(std::shared_ptr<Session> session, std::string table,
                     std::vector<std::string> primary_key)
    : session_(std::move(session)),
      table_(std::move(table)),
      primary_key_(std::move(primary_key)) {}

void TableSink::SetColumns(std::vector<ColumnDescription> columns) {
  columns_ = std::move(columns);
  key_columns_.clear();
  by_primary_key_ = !primary_key_.empty();
  for (const std::string& key : primary_key_) {
    auto it = std::find_if(columns_.begin(), columns_.end(),
                           [&](const ColumnDescription& c) { return SameName(c.name, key); });
    if (it == columns_.end()) {
      by_primary_key_ = false;
      break;
    }
    key_columns_.push_back(static_cast<int>(it - columns_.begin()));
  }
  if (!by_primary_key_) {
    key_columns_.clear();
    for (size_t i = 0; i < columns_.size(); ++i)
      if (Comparable(columns_[i])) key_columns_.push_back(static_cast<int>(i));
  }
}

int64_t TableSink::Remember(const std::vector<Variant>& row) {
  std::vector<Variant> key;
  key.reserve(key_columns_.size());
  for (int c : key_columns_) key.push_back(row[static_cast<size_t>(c)]);
  int64_t tag = next_tag_++;
  keys_.emplace(tag, std::move(key));
  return tag;
}

std::string TableSink::WhereFor(int64_t tag, int32_t not_found_number,
                                ParameterSet* params) const {
  auto it = keys_.find(tag);
  if (it == keys_.end()) ThrowNotFound(not_found_number);
  std::string where;
  for (size_t k = 0; k < key_columns_.size(); ++k) {
    const Variant& value = it->second[k];
    const ColumnDescription& column = columns_[static_cast<size_t>(key_columns_[k])];
    if (value.IsEmpty()) {
      if (by_primary_key_) ThrowNotFound(not_found_number);
      continue;  // not known: the other columns must find the row
    }
    where += where.empty() ? " WHERE " : " AND ";
    where += QuoteIdentifier(column.name);
    if (value.IsNull()) {
      where += " IS NULL";
    } else {
      where += " = ?";
      params->Add(value, TargetForColumn(column));
    }
  }
  if (where.empty()) ThrowNotFound(not_found_number);
  return where;
}

int64_t TableSink::Execute(const std::string& tsql, ParameterSet* params) {
  Results results;
  session_->Run(session_->dialect->Translate(tsql), params, false, 0, &results);
  return results.last_count;
}

Variant TableSink::FetchIdentity(int column) {
  std::string query = session_->dialect->LastIdentityQuery();
  if (query.empty()) return Variant();
  Results results;
  session_->Run(query, nullptr, true, 0, &results);
  if (results.sets.empty() || results.sets.front()->Eof()) return Variant();
  Variant value = results.sets.front()->Value(0);
  if (value.IsNull()) return Variant();
  return ConvertForField(FieldFor(columns_[static_cast<size_t>(column)]), value);
}

int64_t TableSink::Insert(const Recordset&, std::span<const Variant> values) {
  session_->Live();
  return session_->Guard([&] {
    ParameterSet params;
    std::string names, markers;
    std::vector<bool> sent(columns_.size(), false);
    for (size_t i = 0; i < columns_.size() && i < values.size(); ++i) {
      if (columns_[i].auto_increment || values[i].IsNull() || values[i].IsEmpty()) continue;
      names += (names.empty() ? "" : ", ") + QuoteIdentifier(columns_[i].name);
      markers += markers.empty() ? "?" : ", ?";
      params.Add(values[i], TargetForColumn(columns_[i]));
      sent[i] = true;
    }
    std::string sql = "INSERT INTO " + table_ +
                      (names.empty() ? " DEFAULT VALUES"
                                     : " (" + names + ") VALUES (" + markers + ")");
    Execute(sql, &params);

    std::vector<Variant> key;
    for (int c : key_columns_) {
      size_t i = static_cast<size_t>(c);
      if (sent[i]) {
        key.push_back(values[i]);
      } else if (columns_[i].auto_increment) {
        key.push_back(FetchIdentity(c));
      } else {
        key.push_back(Variant());  // filled in by the database: not known
      }
    }
    int64_t tag = next_tag_++;
    keys_.emplace(tag, std::move(key));
    return tag;
  });
}

void TableSink::UpdateRow(const Recordset&, int64_t tag, std::span<const Variant> values,
                          std::span<const bool> changed) {
  session_->Live();
  session_->Guard([&] {
    ParameterSet params;
    std::string sets;
    for (size_t i = 0; i < columns_.size() && i < values.size() && i < changed.size(); ++i) {
      if (!changed[i]) continue;
      sets += (sets.empty() ? "" : ", ") + QuoteIdentifier(columns_[i].name) + " = ?";
      params.Add(values[i], TargetForColumn(columns_[i]));
    }
    if (sets.empty()) return;
    std::string where = WhereFor(tag, err::kAdoRowChanged, &params);
    int64_t count = Execute("UPDATE " + table_ + " SET " + sets + where, &params);
    if (count == 0) ThrowNotFound(err::kAdoRowChanged);
    std::vector<Variant>& key = keys_[tag];
    for (size_t k = 0; k < key_columns_.size(); ++k) {
      size_t i = static_cast<size_t>(key_columns_[k]);
      if (i < changed.size() && changed[i]) key[k] = values[i];
    }
  });
}

void TableSink::DeleteRow(const Recordset&, int64_t tag) {
  session_->Live();
  session_->Guard([&] {
    ParameterSet params;
    std::string where = WhereFor(tag, err::kAdoRowDeleted, &params);
    int64_t count = Execute("DELETE FROM " + table_ + where, &params);
    if (count == 0) ThrowNotFound(err::kAdoRowDeleted);
    keys_.erase(tag);
  });
}

}  // namespace zv::odbc
