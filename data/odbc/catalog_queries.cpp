#include "data/odbc/catalog_queries.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace zv::odbc {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// "P;1" -> "P": SQL Server numbers procedure groups.
std::string_view WithoutGroup(std::string_view name) {
  size_t semicolon = name.rfind(';');
  return semicolon == std::string_view::npos ? name : name.substr(0, semicolon);
}

int64_t NumberOr(const std::optional<std::string>& text, int64_t fallback) {
  if (!text || text->empty()) return fallback;
  try {
    return std::stoll(*text);
  } catch (const std::exception&) {
    return fallback;
  }
}

bool Unsupported(const DriverError& e) {
  for (const DbError& r : e.records())
    if (r.sql_state == "IM001" || r.sql_state == "HYC00") return true;
  return false;
}

}  // namespace

std::vector<std::string> ReadPrimaryKey(const ConnectionHandle& connection,
                                        const ObjectName& table) {
  std::vector<std::pair<int64_t, std::string>> by_sequence;
  try {
    Statement statement(connection);
    statement.PrimaryKeys(table.catalog, table.schema, table.name);
    while (statement.Fetch()) {
      std::optional<std::string> column = statement.GetText(4);
      int64_t sequence = NumberOr(statement.GetText(5), 0);
      if (column) by_sequence.emplace_back(sequence, *column);
    }
  } catch (const DriverError& e) {
    if (!Unsupported(e)) throw;
    return {};
  }
  std::stable_sort(by_sequence.begin(), by_sequence.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> columns;
  for (auto& [sequence, name] : by_sequence) columns.push_back(name);
  return columns;
}

std::vector<ProcedureColumn> ReadProcedureColumns(const ConnectionHandle& connection,
                                                  const ObjectName& procedure) {
  std::vector<ProcedureColumn> columns;
  bool found = false;
  {
    Statement statement(connection);
    statement.ProcedureColumns(procedure.catalog, procedure.schema, procedure.name);
    while (statement.Fetch()) {
      // Names are patterns ("_" matches any character): keep exact matches.
      std::optional<std::string> owner = statement.GetText(3);
      if (!owner || !SameName(WithoutGroup(*owner), procedure.name)) continue;
      found = true;
      ProcedureColumn c;
      c.name = statement.GetText(4).value_or("");
      c.column_type = static_cast<int>(NumberOr(statement.GetText(5), SQL_PARAM_INPUT));
      c.data_type = static_cast<int>(NumberOr(statement.GetText(6), SQL_VARCHAR));
      c.type_name = statement.GetText(7).value_or("");
      c.column_size = NumberOr(statement.GetText(8), 0);
      c.decimal_digits = static_cast<int>(NumberOr(statement.GetText(10), 0));
      c.has_default = statement.GetText(14).has_value();
      columns.push_back(std::move(c));
    }
  }
  if (!found) {
    // A procedure without parameters has no rows here: ask whether it exists.
    Statement statement(connection);
    statement.Procedures(procedure.catalog, procedure.schema, procedure.name);
    while (!found && statement.Fetch()) {
      std::optional<std::string> name = statement.GetText(3);
      found = name && SameName(WithoutGroup(*name), procedure.name);
    }
  }
  if (!found) {
    std::string shown = procedure.schema.empty() ? procedure.name
                                                 : procedure.schema + "." + procedure.name;
    throw DriverError(
        {MakeRecord("42000", "Could not find stored procedure '" + shown + "'.", 0, 2812)});
  }
  return columns;
}

}  // namespace zv::odbc
