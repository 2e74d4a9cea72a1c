#include "data/odbc/sqlite_tsql_dialect.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace zv::odbc {
namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

// Where the quoted text or comment starting at `i` ends (one past it).
size_t SkipQuoted(std::string_view s, size_t i, char close) {
  for (size_t j = i + 1; j < s.size(); ++j) {
    if (s[j] != close) continue;
    if (j + 1 < s.size() && s[j + 1] == close) {
      ++j;  // a doubled quote stands for itself
      continue;
    }
    return j + 1;
  }
  return s.size();
}

}  // namespace

std::string SqliteTsqlDialect::ConnectionString(std::string_view driver,
                                                std::string_view database,
                                                std::string_view extension) {
  return "DRIVER=" + std::string(driver) + ";Database=" + std::string(database) +
         ";LoadExt=" + std::string(extension);
}

void SqliteTsqlDialect::AdjustColumn(ColumnDescription& c) {
  std::string name = Upper(c.type_name);
  if (size_t paren = name.find('('); paren != std::string::npos) name.resize(paren);
  // The engine declares decimals "DECIMAL_TEXT(p,s)" and money "MONEY_TEXT"
  // (kept as text), and the MAX types "VARCHAR_MAX": SQL Server's driver
  // reports those with length 0.
  bool max = false;
  for (const char* suffix : {"_TEXT", "_MAX"}) {
    std::string_view end(suffix);
    if (name.size() > end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0) {
      max = end == "_MAX";
      name.resize(name.size() - end.size());
    }
  }
  if (max) c.column_size = 0;
  if (name == "DECIMAL" || name == "NUMERIC") {
    c.sql_type = sqltype::kDecimal;
    c.decimal_digits = static_cast<int>(c.desc_precision);
  } else if (name == "MONEY") {
    c.sql_type = sqltype::kDecimal;
    c.type_name = "money";
    c.column_size = 19;
    c.decimal_digits = 4;
  } else if (name == "CHAR") {
    c.sql_type = sqltype::kChar;
  } else if (name == "NCHAR") {
    c.sql_type = sqltype::kWChar;
  } else if (name == "VARCHAR") {
    c.sql_type = sqltype::kVarChar;
  } else if (name == "NVARCHAR") {
    c.sql_type = sqltype::kWVarChar;
  } else if (name == "INT") {
    c.sql_type = sqltype::kInteger;
  } else if (name == "SMALLINT") {
    c.sql_type = sqltype::kSmallInt;
  } else if (name == "TINYINT") {
    c.sql_type = sqltype::kTinyInt;
  } else if (name == "BIGINT") {
    c.sql_type = sqltype::kBigInt;
  } else if (name == "BIT") {
    c.sql_type = sqltype::kBit;
  } else if (name == "REAL") {
    c.sql_type = sqltype::kReal;
  } else if (name == "FLOAT") {
    c.sql_type = sqltype::kDouble;
  } else if (name == "DATETIME") {
    c.sql_type = sqltype::kTimestamp;
    c.column_size = 23;
    c.decimal_digits = 3;
  } else if (name == "DATE") {
    c.sql_type = sqltype::kDate;
  } else if (name == "TIME") {
    c.sql_type = sqltype::kTime;
  } else if (name == "UNIQUEIDENTIFIER") {
    c.sql_type = sqltype::kGuid;
    c.column_size = 36;
  } else if (name == "BINARY") {
    c.sql_type = sqltype::kBinary;
  } else if (name == "VARBINARY") {
    c.sql_type = sqltype::kVarBinary;
  } else if (name == "SQL_VARIANT") {
    c.sql_type = sqltype::kSsVariant;
  }
}

void SqliteTsqlDialect::AdjustError(DbError& e) {
  // The driver writes "[SQLite]<text> (<code>)"; the engine's text starts
  // with "[SQLSTATE/native] ".
  const std::string& d = e.description;
  size_t open = d.find("[SQLite]");
  open = d.find('[', open == std::string::npos ? 0 : open + 8);
  if (open == std::string::npos || open + 8 > d.size() || d[open + 6] != '/') return;
  size_t close = d.find("] ", open);
  if (close == std::string::npos) return;
  int32_t native = 0;
  auto [end, ec] = std::from_chars(d.data() + open + 7, d.data() + close, native);
  if (ec != std::errc() || end != d.data() + close) return;
  std::string text = d.substr(close + 2);
  if (size_t code = text.rfind(" ("); code != std::string::npos && text.back() == ')') {
    text.resize(code);
  }
  e.sql_state = d.substr(open + 1, 5);
  e.native_error = native;
  e.description = std::move(text);
}

namespace hosted {

std::string MarkerName(size_t index) { return "@zv_p" + std::to_string(index + 1); }

std::string NameParameterMarkers(std::string_view s, size_t* count) {
  std::string out;
  out.reserve(s.size());
  size_t n = 0;
  for (size_t i = 0; i < s.size();) {
    char c = s[i];
    size_t end = i + 1;
    if (c == '\'' || c == '"') {
      end = SkipQuoted(s, i, c);
    } else if (c == '[') {
      end = SkipQuoted(s, i, ']');
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      end = s.find('\n', i);
      end = end == std::string_view::npos ? s.size() : end;
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      end = s.find("*/", i + 2);
      end = end == std::string_view::npos ? s.size() : end + 2;
    } else if (c == '?') {
      out += MarkerName(n++);
      ++i;
      continue;
    }
    out.append(s.substr(i, end - i));
    i = end;
  }
  if (count) *count = n;
  return out;
}

std::optional<Reply> ParseReply(std::string_view text) {
  Reply r;
  size_t line_end = text.find('\n');
  std::string_view first = text.substr(0, line_end);
  auto [end, ec] = std::from_chars(first.data(), first.data() + first.size(), r.records_affected);
  if (ec != std::errc() || end != first.data() + first.size()) return std::nullopt;
  while (line_end != std::string_view::npos) {
    size_t start = line_end + 1;
    line_end = text.find('\n', start);
    std::string_view line = text.substr(start, line_end == std::string_view::npos
                                                   ? std::string_view::npos
                                                   : line_end - start);
    if (line.size() < 3 || line[1] != ' ') return std::nullopt;
    if (line[0] == 'R') {
      r.result_queries.emplace_back(line.substr(2));
    } else if (line[0] == 'O') {
      r.outputs_query = std::string(line.substr(2));
    } else {
      return std::nullopt;
    }
  }
  return r;
}

}  // namespace hosted

}  // namespace zv::odbc
