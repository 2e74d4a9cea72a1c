// Names of database objects as the backend writes and reads them.
#ifndef ZV_DATA_ODBC_OBJECT_NAMES_H_
#define ZV_DATA_ODBC_OBJECT_NAMES_H_

#include <string>
#include <string_view>

namespace zv::odbc {

// A possibly qualified object name with its quoting removed.
struct ObjectName {
  std::string catalog;
  std::string schema;
  std::string name;
  friend bool operator==(const ObjectName&, const ObjectName&) = default;
};

// Splits "name", "schema.name" or "catalog.schema.name" ("tempdb..#t"
// included) at the dots outside [brackets] and "double quotes", and
// unquotes each part (]] and "" stand for one bracket or quote).
ObjectName SplitObjectName(std::string_view text);

// The name in brackets, a "]" in it doubled: [Qta ]]1].
std::string QuoteIdentifier(std::string_view name);

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_OBJECT_NAMES_H_
