// What the T-SQL translator needs to know about the database: the T-SQL type
// of every column of every table (permanent and '#' temporary), and the
// stored procedures and table-valued functions with their parameters.
//
// data/tsql/README.md fixes how T-SQL tables, types, collations and
// functions are stored and emitted on SQLite.
#ifndef ZV_DATA_TSQL_CATALOG_H_
#define ZV_DATA_TSQL_CATALOG_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::tsql {

// A T-SQL data type. `name` is upper case: "CHAR", "VARCHAR", "NCHAR",
// "NVARCHAR", "DECIMAL", "NUMERIC", "INT", "SMALLINT", "TINYINT", "BIGINT",
// "BIT", "FLOAT", "REAL", "MONEY", "DATETIME", "DATE", "SMALLDATETIME",
// "SQL_VARIANT", "UNIQUEIDENTIFIER", "VARBINARY", "TEXT", "NTEXT".
// `length` is the declared length of text and binary types (-1 for MAX),
// precision/scale those of DECIMAL/NUMERIC.
struct SqlType {
  std::string name;
  int32_t length = 0;
  int precision = 0;
  int scale = 0;
  friend bool operator==(const SqlType&, const SqlType&) = default;
};

struct ColumnDef {
  std::string name;
  SqlType type;
  bool nullable = true;
  bool identity = false;  // IDENTITY: filled by the engine, left out of INSERT without a column list
};

struct TableDef {
  std::string name;  // as created ("#TabellaOrdini", "DO30_DOCCORPO")
  std::vector<ColumnDef> columns;
  bool temporary = false;
};

struct ParamDef {
  std::string name;  // with "@"
  SqlType type;
  bool output = false;
  bool has_default = false;
  std::string default_text;  // T-SQL literal text of the default
};

struct RoutineDef {
  std::string name;
  // 'P' procedure, 'IF' inline table-valued function, 'TF' multi-statement
  // table-valued function, 'FN' scalar function.
  std::string kind;
  std::vector<ParamDef> params;
  std::string definition;  // the full CREATE text
};

// Catalogue lookups. Names compare case-insensitively; a "dbo." prefix is
// ignored. Implementations read the catalogue tables of the database.
class Catalog {
 public:
  virtual ~Catalog() = default;
  virtual std::optional<TableDef> FindTable(std::string_view name) = 0;
  virtual std::optional<RoutineDef> FindRoutine(std::string_view name) = 0;
};

}  // namespace zv::tsql

#endif  // ZV_DATA_TSQL_CATALOG_H_
