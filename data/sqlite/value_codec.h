// Values between the library and SQLite storage, by T-SQL type: the record
// set field a T-SQL column becomes (ADO type code, defined size, precision,
// scale, attributes), how a stored value reads back as a library value, and
// how a library value is stored (CHAR(n) padded, decimals rounded to their
// scale and stored as REAL, dates as 'YYYY-MM-DD HH:MM:SS.mmm').
#ifndef ZV_DATA_SQLITE_VALUE_CODEC_H_
#define ZV_DATA_SQLITE_VALUE_CODEC_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "data/recordset.h"
#include "data/sqlite/database.h"
#include "data/tsql/catalog.h"
#include "data/variant.h"

namespace zv::sqlite {

// Field attributes the data-access layer reports beside those in
// data/recordset.h.
namespace ado_attr {
inline constexpr int32_t kFixed = 16;
inline constexpr int32_t kLong = 128;
}  // namespace ado_attr

// What the engine does with a column of a T-SQL type.
enum class TypeClass {
  kChar, kVarChar, kDecimal, kInt, kSmallInt, kTinyInt, kBigInt, kBit,
  kFloat, kReal, kDateTime, kSmallDateTime, kDate, kVariant, kGuid, kBinary
};

struct ColumnPlan {
  TypeClass cls = TypeClass::kVariant;
  int32_t length = 0;  // characters of CHAR/VARCHAR (-1 MAX), bytes of binary
  int precision = 0;   // DECIMAL
  int scale = 0;       // DECIMAL, MONEY (4)
};

// Unknown type names plan as SQL_VARIANT.
ColumnPlan PlanFor(const tsql::SqlType& type);

// The record-set field of a column of that type, as SQL Server's provider
// describes it: CHAR 129 / VARCHAR 200 / NCHAR 130 / NVARCHAR 202 (size n;
// MAX and TEXT/NTEXT as 201/203), DECIMAL/NUMERIC 131 (size 19, precision,
// scale), INT 3 (4), SMALLINT 2 (2), TINYINT 17 (1), BIGINT 20 (8), BIT 11
// (2), FLOAT 5 (8), REAL 4 (4), MONEY 6 (8), DATETIME/SMALLDATETIME 135
// (16), DATE 133 (6), SQL_VARIANT 12 (16), UNIQUEIDENTIFIER 72 (16),
// VARBINARY 204 (n). Precision and scale of non-numeric types are 255.
FieldInfo FieldInfoFor(std::string name, const tsql::SqlType& type, bool nullable);

// A value as SQLite holds it.
struct StoredValue {
  ValueKind kind = ValueKind::kNull;
  int64_t integer = 0;
  double real = 0;
  std::string_view text;  // kText and kBlob; points into `owned` or the source
  std::string owned;
};

// A stored value read as a value of the column's type: DECIMAL as a Decimal
// of the column's scale, CHAR(n) padded to n, INT/SMALLINT/TINYINT/BIGINT as
// Long/Integer/Byte/LongLong, BIT as Boolean, FLOAT/REAL as Double/Single,
// dates as Date, SQL_VARIANT by its storage class. Throws DatabaseError when
// the stored value cannot be read as that type.
Variant Decode(const StoredValue& stored, const ColumnPlan& plan);
// The value of column `column` of the current row of `st`.
Variant DecodeColumn(const Statement& st, int column, const ColumnPlan& plan);

// A library value as it is stored in a column of that type. The result's
// text may point into `value`, which must outlive it. Throws DatabaseError
// 8152 (22001) for a text longer than the column (blanks beyond it are
// dropped), 8115 (22003) for a number too large for the column, and
// PlatformError 13 for a value that does not convert.
void Encode(const Variant& value, const ColumnPlan& plan, StoredValue* out);
// kStatic binds texts without copying them: `stored` (and the value it may
// point into) must then stay alive until the statement has run.
enum class TextBinding { kCopy, kStatic };
void BindStored(Statement& st, int index, const StoredValue& stored,
                TextBinding binding = TextBinding::kCopy);

// The same for callers holding values rather than statements (procedure
// parameters, variables): a raw SQLite value (Null, LongLong, Double,
// String) read as the type, and a value converted to what is stored.
Variant FromStorage(const Variant& raw, const tsql::SqlType& type);
Variant ToStorage(const Variant& value, const tsql::SqlType& type);
// Binds `value` converted for a column of `type`.
void BindAs(Statement& st, int index, const Variant& value, const tsql::SqlType& type);

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_VALUE_CODEC_H_
