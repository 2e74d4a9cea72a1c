#include "data/sqlite/sql_error.h"

#include <sqlite3.h>

#include <cctype>

#include "data/sqlite/database.h"

namespace zv::sqlite {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The text after `prefix` when the message starts with it.
bool After(std::string_view message, std::string_view prefix,
           std::string_view* rest) {
  if (!StartsWith(message, prefix)) return false;
  *rest = message.substr(prefix.size());
  return true;
}

std::string_view StripSchema(std::string_view name) {
  for (std::string_view schema : {"main.", "temp."}) {
    if (StartsWith(name, schema)) return name.substr(schema.size());
  }
  return name;
}

std::string_view Unquote(std::string_view name) {
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    return name.substr(1, name.size() - 2);
  return name;
}

// "T.a, T.b" -> table "T", first column "a".
void SplitQualified(std::string_view list, std::string* table,
                    std::string* column) {
  std::string_view first = list.substr(0, list.find(','));
  size_t dot = first.rfind('.');
  if (dot == std::string_view::npos) {
    *column = std::string(first);
    return;
  }
  *table = std::string(first.substr(0, dot));
  *column = std::string(first.substr(dot + 1));
}

std::string StatementVerb(std::string_view sql) {
  size_t i = 0;
  while (i < sql.size() && (sql[i] == ' ' || sql[i] == '\n' || sql[i] == '\t' ||
                            sql[i] == '\r'))
    ++i;
  std::string verb;
  while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])))
    verb.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i++]))));
  return verb == "UPDATE" ? "UPDATE" : "INSERT";
}

}  // namespace

void ThrowSql(int32_t native_error, const char* sql_state, std::string message) {
  throw SqlFunctionError(native_error, sql_state, std::move(message));
}

void ThrowOverflow(std::string_view from, std::string_view to) {
  ThrowSql(native::kArithmeticOverflow, "22003",
           "Arithmetic overflow error converting " + std::string(from) +
               " to data type " + std::string(to) + ".");
}

void ThrowConversion(std::string_view text, std::string_view type) {
  ThrowSql(native::kConversion, "22018",
           "Conversion failed when converting the varchar value '" +
               std::string(text) + "' to data type " + std::string(type) + ".");
}

DbError TranslateSqliteError(int extended_code, std::string_view message,
                             std::string_view sql) {
  int primary = extended_code & 0xFF;
  std::string_view rest;
  if (primary == SQLITE_CONSTRAINT) {
    std::string table, column;
    switch (extended_code) {
      case SQLITE_CONSTRAINT_PRIMARYKEY:
      case SQLITE_CONSTRAINT_UNIQUE:
      case SQLITE_CONSTRAINT_ROWID: {
        After(message, "UNIQUE constraint failed: ", &rest);
        SplitQualified(rest, &table, &column);
        std::string kind = extended_code == SQLITE_CONSTRAINT_UNIQUE
                               ? "UNIQUE KEY"
                               : "PRIMARY KEY";
        return MakeDbError(native::kDuplicateKey, "23000",
                           "Violation of " + kind + " constraint 'PK_" + table +
                               "'. Cannot insert duplicate key in object 'dbo." +
                               table + "'.");
      }
      case SQLITE_CONSTRAINT_NOTNULL:
        After(message, "NOT NULL constraint failed: ", &rest);
        SplitQualified(rest, &table, &column);
        return MakeDbError(native::kNotNull, "23000",
                           "Cannot insert the value NULL into column '" + column +
                               "', table '" + table +
                               "'; column does not allow nulls. " +
                               StatementVerb(sql) + " fails.");
      case SQLITE_CONSTRAINT_CHECK:
        After(message, "CHECK constraint failed: ", &rest);
        return MakeDbError(native::kConstraint, "23000",
                           "The " + StatementVerb(sql) +
                               " statement conflicted with the CHECK constraint \"" +
                               std::string(rest) + "\".");
      case SQLITE_CONSTRAINT_FOREIGNKEY:
        return MakeDbError(native::kConstraint, "23000",
                           "The " + StatementVerb(sql) +
                               " statement conflicted with a FOREIGN KEY constraint.");
      default:
        return MakeDbError(native::kConstraint, "23000", std::string(message));
    }
  }
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
    return MakeDbError(native::kLockTimeout, "HYT00",
                       "Lock request time out period exceeded.");
  }
  if (primary == SQLITE_INTERRUPT) {
    return MakeDbError(0, "HY008", "Operation canceled.");
  }
  if (primary == SQLITE_ERROR) {
    if (After(message, "no such table: ", &rest)) {
      return MakeDbError(native::kInvalidObject, "42S02",
                         "Invalid object name '" +
                             std::string(StripSchema(rest)) + "'.");
    }
    if (After(message, "no such column: ", &rest)) {
      return MakeDbError(native::kInvalidColumn, "42S22",
                         "Invalid column name '" + std::string(rest) + "'.");
    }
    if (After(message, "ambiguous column name: ", &rest)) {
      return MakeDbError(native::kAmbiguousColumn, "42000",
                         "Ambiguous column name '" + std::string(rest) + "'.");
    }
    if (After(message, "no such function: ", &rest)) {
      return MakeDbError(native::kUnknownFunction, "42000",
                         "'" + std::string(rest) +
                             "' is not a recognized built-in function name.");
    }
    if (After(message, "near \"", &rest)) {
      size_t end = rest.find("\": syntax error");
      if (end != std::string_view::npos) {
        return MakeDbError(native::kSyntax, "42000",
                           "Incorrect syntax near '" +
                               std::string(rest.substr(0, end)) + "'.");
      }
    }
    if (message == "incomplete input") {
      return MakeDbError(native::kSyntax, "42000",
                         "Incorrect syntax near the end of the input.");
    }
    if ((After(message, "table ", &rest) || After(message, "index ", &rest)) &&
        rest.size() > 15 && rest.substr(rest.size() - 15) == " already exists") {
      std::string_view name = Unquote(rest.substr(0, rest.size() - 15));
      return MakeDbError(native::kObjectExists, "42S01",
                         "There is already an object named '" +
                             std::string(StripSchema(name)) +
                             "' in the database.");
    }
    return MakeDbError(0, "42000", std::string(message));
  }
  return MakeDbError(0, "HY000", std::string(message));
}

}  // namespace zv::sqlite
