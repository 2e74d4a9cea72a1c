#include "apps/sample_sql.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "data/recordset.h"

namespace zv::sample {
namespace {

constexpr int kExecuteOptions = ado::kCmdText | ado::kExecuteNoRecords;
constexpr size_t kMaxStatementBytes = 1 << 20;

void AppendTwo(int value, std::string* out) {
  out->push_back(static_cast<char>('0' + value / 10));
  out->push_back(static_cast<char>('0' + value % 10));
}

void AppendNumber(int64_t value, std::string* out) {
  char buf[24];
  const auto result = std::to_chars(buf, buf + sizeof(buf), value);
  out->append(buf, result.ptr);
}

void AppendDate(int64_t days, std::string* out) {
  int y, m, d;
  CivilFromDays(days, &y, &m, &d);
  AppendNumber(y, out);
  AppendTwo(m, out);
  AppendTwo(d, out);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

void AppendSqlLiteral(const SqlValue& value, std::string* out) {
  switch (value.kind) {
    case SqlValue::Kind::kNull:
      out->append("NULL");
      return;
    case SqlValue::Kind::kInt:
      AppendNumber(value.number, out);
      return;
    case SqlValue::Kind::kDecimal:
      out->append(value.decimal.Normalize().ToString());
      return;
    case SqlValue::Kind::kText: {
      out->push_back('\'');
      const std::string& text = value.text;
      size_t start = 0;
      for (size_t quote = text.find('\''); quote != std::string::npos;
           quote = text.find('\'', start)) {
        out->append(text, start, quote - start + 1);
        out->push_back('\'');
        start = quote + 1;
      }
      out->append(text, start, std::string::npos);
      out->push_back('\'');
      return;
    }
    case SqlValue::Kind::kDate:
      out->push_back('\'');
      AppendDate(value.number, out);
      out->push_back('\'');
      return;
    case SqlValue::Kind::kDateTime: {
      const int64_t days = value.number >= 0 ? value.number / 86400 : (value.number - 86399) / 86400;
      const int64_t seconds = value.number - days * 86400;
      out->push_back('\'');
      AppendDate(days, out);
      out->push_back(' ');
      AppendTwo(static_cast<int>(seconds / 3600), out);
      out->push_back(':');
      AppendTwo(static_cast<int>(seconds / 60 % 60), out);
      out->push_back(':');
      AppendTwo(static_cast<int>(seconds % 60), out);
      out->push_back('\'');
      return;
    }
  }
}

SqlBatchWriter::SqlBatchWriter(Connection& connection, int rows_per_statement)
    : connection_(connection), rows_per_statement_(rows_per_statement < 1 ? 1 : rows_per_statement) {}

void SqlBatchWriter::Send(std::string_view sql) {
  ++statements_;
  bytes_ += static_cast<int64_t>(sql.size());
  connection_.Execute(sql, nullptr, kExecuteOptions);
}

void SqlBatchWriter::AddRow(const TableRow& row) {
  const auto& columns = *row.columns;
  const auto& values = *row.values;
  if (row.shared) {
    // INSERT INTO t (a, b) SELECT 'x', 'y' WHERE NOT EXISTS (SELECT 1 FROM t WHERE a = 'x')
    std::string sql = "INSERT INTO ";
    sql.append(row.table).append(" (");
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) sql.append(", ");
      sql.append(columns[i]);
    }
    sql.append(") SELECT ");
    for (size_t i = 0; i < values.size(); ++i) {
      if (i > 0) sql.append(", ");
      AppendSqlLiteral(values[i], &sql);
    }
    sql.append(" WHERE NOT EXISTS (SELECT 1 FROM ").append(row.table).append(" WHERE ");
    sql.append(columns[0]).append(" = ");
    AppendSqlLiteral(values[0], &sql);
    sql.append(")");
    Send(sql);
    return;
  }
  auto it = pending_.find(row.table);
  if (it == pending_.end()) it = pending_.emplace(std::string(row.table), Pending{}).first;
  Pending& p = it->second;
  if (p.rows == 0) {
    p.sql.clear();
    p.sql.append("INSERT INTO ").append(row.table).append(" (");
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) p.sql.push_back(',');
      p.sql.append(columns[i]);
    }
    p.sql.append(") VALUES\n(");
  } else {
    p.sql.append(",\n(");
  }
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) p.sql.push_back(',');
    AppendSqlLiteral(values[i], &p.sql);
  }
  p.sql.push_back(')');
  if (++p.rows >= rows_per_statement_ || p.sql.size() >= kMaxStatementBytes) FlushTable(p);
}

void SqlBatchWriter::FlushTable(Pending& pending) {
  if (pending.rows == 0) return;
  pending.rows = 0;
  Send(pending.sql);
  pending.sql.clear();
}

void SqlBatchWriter::Flush() {
  for (auto& [table, pending] : pending_) FlushTable(pending);
}

std::string DefaultSchemaDir() { return std::string(ZV_SOURCE_DIR) + "/db/schema"; }

std::vector<SchemaScript> LoadSchemaScripts(const std::string& dir) {
  std::istringstream order(ReadFile(dir + "/order.txt"));
  std::vector<SchemaScript> scripts;
  std::string line;
  while (std::getline(order, line)) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    size_t start = 0;
    while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
    line = line.substr(start);
    if (line.empty() || line[0] == '#') continue;
    SchemaScript s;
    s.file = line;
    s.object = line.size() > 4 && line.compare(line.size() - 4, 4, ".sql") == 0
                   ? line.substr(0, line.size() - 4)
                   : line;
    s.text = ReadFile(dir + "/" + line);
    scripts.push_back(std::move(s));
  }
  if (scripts.empty()) throw std::runtime_error(dir + "/order.txt lists no script");
  return scripts;
}

std::string CompanyColumn(const SchemaScript& script) {
  // The first column of "CREATE TABLE name (" when it is the company column.
  const std::string marker = "CREATE TABLE " + script.object;
  const size_t at = script.text.find(marker);
  if (at == std::string::npos) return "";
  size_t i = script.text.find('(', at + marker.size());
  if (i == std::string::npos) return "";
  ++i;
  while (i < script.text.size() && std::isspace(static_cast<unsigned char>(script.text[i]))) ++i;
  size_t end = i;
  while (end < script.text.size() &&
         (std::isalnum(static_cast<unsigned char>(script.text[end])) || script.text[end] == '_')) {
    ++end;
  }
  const std::string column = script.text.substr(i, end - i);
  const std::string suffix = "_DITTA_CG18";
  if (column.size() > suffix.size() &&
      column.compare(column.size() - suffix.size(), suffix.size(), suffix) == 0) {
    return column;
  }
  return "";
}

void CreateSchema(Connection& connection, const std::vector<SchemaScript>& scripts,
                  bool skip_existing) {
  for (const auto& s : scripts) {
    if (skip_existing) {
      auto rs = connection.OpenRecordset("SELECT OBJECT_ID('" + s.object + "') AS ID",
                                         ado::kOpenForwardOnly, ado::kLockReadOnly, ado::kCmdText);
      if (rs != nullptr && rs->RecordCount() > 0) {
        rs->MoveFirst();
        if (!rs->Value("ID").IsNull()) continue;
      }
    }
    connection.Execute(s.text, nullptr, kExecuteOptions);
  }
}

void DeleteCompany(Connection& connection, const std::vector<SchemaScript>& scripts,
                   int32_t company) {
  for (auto it = scripts.rbegin(); it != scripts.rend(); ++it) {
    if (it->object == "CG18_DITTE") {
      connection.Execute("DELETE FROM CG18_DITTE WHERE CG18_DITTA = " + std::to_string(company),
                         nullptr, kExecuteOptions);
      continue;
    }
    const std::string column = CompanyColumn(*it);
    if (column.empty()) continue;
    connection.Execute("DELETE FROM " + it->object + " WHERE " + column + " = " +
                           std::to_string(company),
                       nullptr, kExecuteOptions);
  }
}

}  // namespace zv::sample
