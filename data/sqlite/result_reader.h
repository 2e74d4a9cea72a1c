// Turns the rows of a prepared statement into a disconnected client record
// set with the fields the T-SQL result columns would have.
#ifndef ZV_DATA_SQLITE_RESULT_READER_H_
#define ZV_DATA_SQLITE_RESULT_READER_H_

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "data/recordset.h"
#include "data/sqlite/database.h"
#include "data/tsql/catalog.h"

namespace zv::sqlite {

// What the caller knows of a result column. Anything left unset is taken
// from the catalogue when the column reads a table column directly, and
// otherwise from the values: whole numbers INT (BIGINT beyond 32 bits),
// reals FLOAT, texts VARCHAR(longest text), blobs VARBINARY, a mix of texts
// and numbers SQL_VARIANT, only NULLs INT.
struct ResultColumn {
  std::optional<std::string> name;
  std::optional<tsql::SqlType> type;
  std::optional<bool> nullable;
};

// Runs `st` (bound, not yet stepped) to the end and returns its rows as an
// open record set positioned on the first row, or nullptr when the
// statement returns no columns (it is still run). `columns` may be shorter
// than the result. Field names are the result's (or the given ones); a
// repeated or empty name gets a suffix ("X", "X1") since fields are found
// by name. Failures throw DatabaseError.
std::shared_ptr<Recordset> ReadRecordset(Statement& st,
                                         std::span<const ResultColumn> columns = {});

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_RESULT_READER_H_
