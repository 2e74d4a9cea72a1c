// Writes the edits of a record set opened over a table back to that table:
// AddNew becomes an INSERT of the values that were set, Update an UPDATE of
// the changed columns and Delete a DELETE, each finding its row by the
// table's primary key or, for a table without one, by the values every
// comparable column had when the row was read (rows equal in all of them
// are written together). Statements are parameterised and go through the
// connection's dialect.
#ifndef ZV_DATA_ODBC_TABLE_SINK_H_
#define ZV_DATA_ODBC_TABLE_SINK_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/odbc/odbc_connection.h"
#include "data/recordset.h"

namespace zv::odbc {

struct Session;
class ParameterSet;

class TableSink : public RecordsetSink {
 public:
  // `table` is the name as the caller gave it; `primary_key` the table's
  // key columns in order (empty when it has none).
  TableSink(std::shared_ptr<Session> session, std::string table,
            std::vector<std::string> primary_key);

  // The columns of the table's rows, in the record set's order. Chooses the
  // columns that find a row again.
  void SetColumns(std::vector<ColumnDescription> columns);
  // True when rows are found by the primary key.
  bool by_primary_key() const { return by_primary_key_; }
  // Remembers how to find a row read from the table; returns its tag.
  int64_t Remember(const std::vector<Variant>& row);

  // RecordsetSink. Columns left Null or Empty and identity columns are not
  // inserted, so the table's defaults apply. An UPDATE or DELETE that finds
  // no row fills Errors with err::kAdoRowChanged / err::kAdoRowDeleted.
  // On a closed connection each raises err::kAdoObjectClosed.
  int64_t Insert(const Recordset& rs, std::span<const Variant> values) override;
  void UpdateRow(const Recordset& rs, int64_t tag, std::span<const Variant> values,
                 std::span<const bool> changed) override;
  void DeleteRow(const Recordset& rs, int64_t tag) override;

 private:
  // The conditions that find the row of `tag`; throws the row-not-found
  // error when its key is not known well enough to find it.
  std::string WhereFor(int64_t tag, int32_t not_found_number, ParameterSet* params) const;
  int64_t Execute(const std::string& tsql, ParameterSet* params);
  Variant FetchIdentity(int column);

  std::shared_ptr<Session> session_;
  std::string table_;
  std::vector<std::string> primary_key_;
  std::vector<ColumnDescription> columns_;
  std::vector<int> key_columns_;
  bool by_primary_key_ = false;
  // Key values of each row by tag; Empty where a value is not known (a
  // column the database filled in on insert).
  std::unordered_map<int64_t, std::vector<Variant>> keys_;
  int64_t next_tag_ = 1;
};

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_TABLE_SINK_H_
