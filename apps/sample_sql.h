// Writing the sample company to a database: the ERP schema scripts of
// db/schema (created in the order db/schema/order.txt gives) and a RowSink
// that turns generated rows into multi-row INSERT statements on any
// zv::Connection.
#ifndef ZV_APPS_SAMPLE_SQL_H_
#define ZV_APPS_SAMPLE_SQL_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "apps/sample_generator.h"
#include "data/connection.h"

namespace zv::sample {

// Appends the T-SQL literal of a value: NULL, a bare number with "." as the
// decimal separator, a text in single quotes with quotes doubled, a date as
// 'YYYYMMDD' or a date and time as 'YYYYMMDD HH:MM:SS' (the forms SQL Server
// reads the same way whatever the session's language).
void AppendSqlLiteral(const SqlValue& value, std::string* out);

// Buffers rows per table and sends one INSERT ... VALUES (...),(...) per
// `rows_per_statement` rows (or fewer when a statement grows past about a
// megabyte). Rows of a shared table are inserted one by one, each only when
// no row with the same first column exists. Statements run with the
// text/no-records option; a failing statement throws as the connection does.
class SqlBatchWriter : public RowSink {
 public:
  explicit SqlBatchWriter(Connection& connection, int rows_per_statement = 250);
  ~SqlBatchWriter() override = default;

  void AddRow(const TableRow& row) override;
  // Sends every statement still buffered. Call once generation is over.
  void Flush();

  int64_t statements() const { return statements_; }
  int64_t bytes() const { return bytes_; }

 private:
  struct Pending {
    std::string sql;
    int rows = 0;
  };
  void Send(std::string_view sql);
  void FlushTable(Pending& pending);

  Connection& connection_;
  int rows_per_statement_;
  std::map<std::string, Pending, std::less<>> pending_;
  int64_t statements_ = 0;
  int64_t bytes_ = 0;
};

// One script of the ERP schema: the object it creates (the file name without
// ".sql") and its T-SQL text.
struct SchemaScript {
  std::string file;
  std::string object;
  std::string text;
};

// The schema scripts' folder of the source tree.
std::string DefaultSchemaDir();

// Reads order.txt of `dir` and every script it lists, in that order. Throws
// std::runtime_error naming the file when one cannot be read.
std::vector<SchemaScript> LoadSchemaScripts(const std::string& dir);

// The company column of the table a script creates ("DO30_DITTA_CG18"), or
// "" for a view or a table without one.
std::string CompanyColumn(const SchemaScript& script);

// Runs every script. With `skip_existing`, a script whose object already
// exists (OBJECT_ID is not NULL) is left out.
void CreateSchema(Connection& connection, const std::vector<SchemaScript>& scripts,
                  bool skip_existing);

// Deletes the rows of one company from every table that has a company
// column, so that the company can be generated again.
void DeleteCompany(Connection& connection, const std::vector<SchemaScript>& scripts,
                   int32_t company);

}  // namespace zv::sample

#endif  // ZV_APPS_SAMPLE_SQL_H_
