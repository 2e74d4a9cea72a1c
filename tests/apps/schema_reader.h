// A small reader of the ERP schema scripts for the tests: the table or view a
// script creates, its columns with their types and nullability, its primary
// key and the columns of the indexes created after it. Regular expressions
// over the script text, independent of the T-SQL parser of the library.
#ifndef ZV_TESTS_APPS_SCHEMA_READER_H_
#define ZV_TESTS_APPS_SCHEMA_READER_H_

#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace zv::sample::testing {

struct ColumnSpec {
  std::string name;
  std::string type;  // upper case: CHAR, VARCHAR, NVARCHAR, DECIMAL, DATETIME, TINYINT
  int length = 0;     // CHAR, VARCHAR, NVARCHAR; precision of DECIMAL
  int scale = 0;      // DECIMAL
  bool not_null = false;
  std::string TypeText() const {
    if (type == "DECIMAL") return "DECIMAL(" + std::to_string(length) + "," + std::to_string(scale) + ")";
    if (length > 0) return type + "(" + std::to_string(length) + ")";
    return type;
  }
};

struct ObjectSpec {
  std::string name;
  bool view = false;
  std::vector<ColumnSpec> columns;
  std::vector<std::string> primary_key;
  std::vector<std::vector<std::string>> indexes;
  const ColumnSpec* Find(const std::string& column) const {
    for (const auto& c : columns) {
      if (c.name == column) return &c;
    }
    return nullptr;
  }
};

inline std::string StripComments(const std::string& text) {
  return std::regex_replace(text, std::regex("--[^\n]*"), "");
}

inline std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// Splits at the commas that are not inside parentheses.
inline std::vector<std::string> SplitTopLevel(const std::string& text) {
  std::vector<std::string> items;
  int depth = 0;
  std::string current;
  for (char c : text) {
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c == ',' && depth == 0) {
      items.push_back(Trim(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!Trim(current).empty()) items.push_back(Trim(current));
  return items;
}

inline std::vector<std::string> NameList(const std::string& text) {
  std::vector<std::string> names;
  for (const auto& n : SplitTopLevel(text)) names.push_back(n);
  return names;
}

// Reads one script; nullopt when it creates neither a table nor a view.
inline std::optional<ObjectSpec> ReadSchemaScript(const std::string& script) {
  const std::string text = StripComments(script);
  std::smatch m;
  ObjectSpec def;
  static const std::regex kTable(R"(CREATE\s+TABLE\s+(\w+)\s*\()");
  static const std::regex kView(R"(CREATE\s+VIEW\s+(\w+)\s+AS\s+SELECT\s)");
  if (std::regex_search(text, m, kTable)) {
    def.name = m[1];
    // The body runs to the parenthesis that closes the one after the name.
    size_t i = static_cast<size_t>(m.position(0) + m.length(0));
    int depth = 1;
    size_t end = i;
    for (; end < text.size() && depth > 0; ++end) {
      if (text[end] == '(') ++depth;
      if (text[end] == ')') --depth;
    }
    const std::string body = text.substr(i, end - 1 - i);
    static const std::regex kPk(R"(^(?:CONSTRAINT\s+\w+\s+)?PRIMARY\s+KEY\s*\(([^)]*)\))");
    static const std::regex kColumn(
        R"(^(\w+)\s+(\w+)(?:\s*\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))?\s*(NOT\s+NULL|NULL)?\s*$)");
    for (const auto& item : SplitTopLevel(body)) {
      std::smatch c;
      if (std::regex_search(item, c, kPk)) {
        def.primary_key = NameList(c[1]);
      } else if (std::regex_match(item, c, kColumn)) {
        ColumnSpec col;
        col.name = c[1];
        col.type = c[2];
        col.length = c[3].matched ? std::stoi(c[3]) : 0;
        col.scale = c[4].matched ? std::stoi(c[4]) : 0;
        col.not_null = c[5].matched && c[5].str().rfind("NOT", 0) == 0;
        def.columns.push_back(col);
      } else {
        def.columns.push_back(ColumnSpec{"?" + item, "", 0, 0, false});
      }
    }
    static const std::regex kIndex(R"(CREATE\s+INDEX\s+\w+\s+ON\s+(\w+)\s*\(([^)]*)\))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kIndex);
         it != std::sregex_iterator(); ++it) {
      def.indexes.push_back(NameList((*it)[2]));
    }
    return def;
  }
  if (std::regex_search(text, m, kView)) {
    def.name = m[1];
    def.view = true;
    const size_t from = static_cast<size_t>(m.position(0) + m.length(0));
    // The select list ends at the first FROM outside parentheses.
    int depth = 0;
    size_t end = from;
    for (; end < text.size(); ++end) {
      if (text[end] == '(') ++depth;
      if (text[end] == ')') --depth;
      if (depth == 0 && text.compare(end, 6, "\nFROM ") == 0) break;
    }
    static const std::regex kAlias(R"(\bAS\s+(\w+)\s*$)");
    for (const auto& item : SplitTopLevel(text.substr(from, end - from))) {
      std::smatch a;
      ColumnSpec col;
      col.name = std::regex_search(item, a, kAlias) ? a[1].str() : item;
      def.columns.push_back(col);
    }
    return def;
  }
  return std::nullopt;
}

}  // namespace zv::sample::testing

#endif  // ZV_TESTS_APPS_SCHEMA_READER_H_
