// A record set opened over a table: its fields from the catalogue, every
// row loaded with its rowid as tag, and AddNew/Update/Delete written through
// to the table (INSERT / UPDATE ... WHERE rowid / DELETE ... WHERE rowid),
// with CHAR padding, decimal rounding and date text applied on the way.
//
// Bulk loads: writes through the set run inside a transaction the database
// opens by itself when none is open, committed before the connection is
// used for anything else (see Database::FlushPendingWrites), so loading a
// million rows costs one commit instead of one per row. The set's INSERT
// stays prepared in the database from row to row (Database::Keep), so a row
// costs no statement lookup; the database releases it before it closes.
#ifndef ZV_DATA_SQLITE_TABLE_RECORDSET_H_
#define ZV_DATA_SQLITE_TABLE_RECORDSET_H_

#include <memory>
#include <string_view>

#include "data/recordset.h"
#include "data/sqlite/database.h"

namespace zv::sqlite {

// Opens table `name` ("#X" for a temporary table) as a live record set
// (keyset cursor, optimistic locking) positioned on its first row. Rows come
// in primary-key order, else in insertion order. A table the catalogue does
// not know takes its types from SQLite's declared types. A missing table
// throws DatabaseError 208 (42S02). The set keeps only a weak reference to
// the database: once the database is gone, writes raise
// err::kAdoObjectClosed. Tables need a rowid (no WITHOUT ROWID tables).
std::shared_ptr<Recordset> OpenTableRecordset(const std::shared_ptr<Database>& db,
                                              std::string_view name);

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_TABLE_RECORDSET_H_
