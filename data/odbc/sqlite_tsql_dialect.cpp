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

void MapDeclaredType(ColumnDescription& c) {
  std::string name = Upper(c.type_name);
  if (size_t paren = name.find('('); paren != std::string::npos) name.resize(paren);
  // The engine declares decimals "DECIMAL_TEXT(p,s)" and money "MONEY_TEXT"
  // (kept as text), and the MAX types "VARCHAR_MAX": SQL Server's driver
  // reports those with length 0.
  for (std::string_view suffix : {std::string_view("_TEXT"), std::string_view("_MAX")}) {
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      if (suffix == "_MAX") c.column_size = 0;
      name.resize(name.size() - suffix.size());
    }
  }
  if (name == "DECIMAL" || name == "NUMERIC") {
    c.sql_type = sqltype::kDecimal;
    c.decimal_digits = static_cast<int>(c.desc_precision);  // the driver's place for the scale
  } else if (name == "MONEY") {
    c.sql_type = sqltype::kDecimal;
    c.type_name = "money";
    c.column_size = 19;
    c.decimal_digits = 4;
  } else if (name == "DATETIME") {
    c.sql_type = sqltype::kTimestamp;
    c.column_size = 23;
    c.decimal_digits = 3;
  } else if (name == "UNIQUEIDENTIFIER") {
    c.sql_type = sqltype::kGuid;
    c.column_size = 36;
  } else {
    static const std::pair<std::string_view, int> kTypes[] = {
        {"CHAR", sqltype::kChar},         {"NCHAR", sqltype::kWChar},
        {"VARCHAR", sqltype::kVarChar},   {"NVARCHAR", sqltype::kWVarChar},
        {"INT", sqltype::kInteger},       {"SMALLINT", sqltype::kSmallInt},
        {"TINYINT", sqltype::kTinyInt},   {"BIGINT", sqltype::kBigInt},
        {"BIT", sqltype::kBit},           {"REAL", sqltype::kReal},
        {"FLOAT", sqltype::kDouble},      {"DATE", sqltype::kDate},
        {"TIME", sqltype::kTime},         {"BINARY", sqltype::kBinary},
        {"VARBINARY", sqltype::kVarBinary}, {"SQL_VARIANT", sqltype::kSsVariant}};
    for (const auto& [declared, sql_type] : kTypes) {
      if (name == declared) c.sql_type = sql_type;
    }
  }
}

void SqliteTsqlDialect::AdjustColumn(ColumnDescription& c) { MapDeclaredType(c); }

void SqliteTsqlDialect::AdjustError(DbError& e) {
  // Without the engine (LoadExt missing, or naming a file that did not
  // load: the driver then connects all the same), say what to do.
  if (e.description.find("no such function: zv_") != std::string::npos) {
    e.description =
        "The SQLite data source has no T-SQL engine: give the path of libzv_tsql.so in the "
        "connection string's LoadExt (" + e.description + ")";
    return;
  }
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
