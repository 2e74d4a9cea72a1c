// The session work tables of a merge: how a record set's fields become the
// columns of a temporary table, the extra columns each kind of work table
// always has, and the host's alias names of order-row columns.
#ifndef ZV_MERGE_WORK_TABLES_H_
#define ZV_MERGE_WORK_TABLES_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/recordset.h"

namespace zv {

// The column type text of a copied field (" DECIMAL(10,0) NULL ", with the
// blanks around it), or nullopt for a field type that has no column.
std::optional<std::string> ColumnTypeText(const FieldInfo& field);

// A column every work table of a kind carries, added after the source's
// fields when the source lacks it. `type` is the SQL Server type, with the
// collation for text columns.
struct ExtraColumn {
  const char* name;
  const char* type;
};
// The extra columns of a work-table kind (EnumTipoTabella), in table order;
// none for Fb_Indefinita, Fb_Componenti and unknown kinds.
std::span<const ExtraColumn> ExtraColumns(int32_t kind);

// A column the work tables name after the database and the host's order
// rows may name otherwise.
struct AliasColumn {
  const char* database_name;
  const char* host_name;
};
// The alias pairs of a calling program (tsPgmChiamante): thirteen for
// programs 5 and 6, one for 2, none for the others.
std::span<const AliasColumn> AliasColumns(int32_t pgm_chiamante);

// True when one of the fields has exactly this name (case-sensitive).
bool HasFieldNamed(const std::vector<FieldInfo>& fields, std::string_view name);

// The CREATE TABLE statement of a work table built from `fields`, and what
// the statement left out.
struct WorkTableDefinition {
  std::string statement;
  // Indexes of the fields that became columns, in order.
  std::vector<int> columns;
  // Indexes of the fields whose type has no column.
  std::vector<int> unknown;
};
WorkTableDefinition DefineWorkTable(const std::vector<FieldInfo>& fields,
                                    std::string_view table, int32_t kind);

// "IF OBJECT_ID('tempdb..<table>') IS NOT NULL    DROP TABLE <table>".
std::string DropWorkTableStatement(std::string_view table);

}  // namespace zv

#endif  // ZV_MERGE_WORK_TABLES_H_
