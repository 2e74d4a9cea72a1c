// The record set: an in-memory table of named, typed fields with a current
// row, a filter, a sort, clones that share the rows, and editing.
//
// Rows live in a RowStore shared by a record set and its clones; each
// record set keeps its own view (the rows that pass its filter, in its sort
// order) and its own position. Equality filters are answered from hash
// indexes that the store builds on demand and keeps current across AddNew,
// Update and Delete, so a filter change costs O(matching rows).
//
// Failures raise PlatformError with the data-access layer's numbers: a
// missing field name is err::kAdoItemNotFound, a bad filter
// err::kAdoInvalidArgument, reading a field at BOF/EOF err::kAdoBofOrEof, a
// current row that was deleted err::kAdoRowDeleted, a value that does not
// suit its field err::kAdoMultipleStep, any use of a closed set
// err::kAdoObjectClosed.
#ifndef ZV_DATA_RECORDSET_H_
#define ZV_DATA_RECORDSET_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/dispatch.h"
#include "data/variant.h"

namespace zv {

// Field type codes of the data-access layer (ADO DataTypeEnum).
namespace ado {
inline constexpr int kEmpty = 0;
inline constexpr int kSmallInt = 2;
inline constexpr int kInteger = 3;
inline constexpr int kSingle = 4;
inline constexpr int kDouble = 5;
inline constexpr int kCurrency = 6;
inline constexpr int kDate = 7;
inline constexpr int kBSTR = 8;
inline constexpr int kIDispatch = 9;
inline constexpr int kBoolean = 11;
inline constexpr int kVariant = 12;
inline constexpr int kDecimal = 14;
inline constexpr int kTinyInt = 16;
inline constexpr int kUnsignedTinyInt = 17;
inline constexpr int kUnsignedSmallInt = 18;
inline constexpr int kUnsignedInt = 19;
inline constexpr int kBigInt = 20;
inline constexpr int kUnsignedBigInt = 21;
inline constexpr int kGUID = 72;
inline constexpr int kBinary = 128;
inline constexpr int kChar = 129;
inline constexpr int kWChar = 130;
inline constexpr int kNumeric = 131;
inline constexpr int kDBDate = 133;
inline constexpr int kDBTime = 134;
inline constexpr int kDBTimeStamp = 135;
inline constexpr int kVarChar = 200;
inline constexpr int kLongVarChar = 201;
inline constexpr int kVarWChar = 202;
inline constexpr int kLongVarWChar = 203;
inline constexpr int kVarBinary = 204;
inline constexpr int kLongVarBinary = 205;

// Field attributes.
inline constexpr int kFldUpdatable = 4;
inline constexpr int kFldIsNullable = 32;
inline constexpr int kFldMayBeNull = 64;

// Cursor locations, types, lock types, command types and options.
inline constexpr int kUseServer = 2;
inline constexpr int kUseClient = 3;
inline constexpr int kOpenForwardOnly = 0;
inline constexpr int kOpenKeyset = 1;
inline constexpr int kOpenDynamic = 2;
inline constexpr int kOpenStatic = 3;
inline constexpr int kLockUnspecified = -1;
inline constexpr int kLockReadOnly = 1;
inline constexpr int kLockOptimistic = 3;
inline constexpr int kLockBatchOptimistic = 4;
inline constexpr int kCmdUnspecified = -1;
inline constexpr int kCmdText = 1;
inline constexpr int kCmdTable = 2;
inline constexpr int kCmdStoredProc = 4;
inline constexpr int kExecuteNoRecords = 128;

// Object states and edit modes.
inline constexpr int kStateClosed = 0;
inline constexpr int kStateOpen = 1;
inline constexpr int kEditNone = 0;
inline constexpr int kEditInProgress = 1;
inline constexpr int kEditAdd = 2;

// AbsolutePosition when there is no current row.
inline constexpr int32_t kPosUnknown = -1;
inline constexpr int32_t kPosBOF = -2;
inline constexpr int32_t kPosEOF = -3;

// True for the text types (129, 130, 200, 201, 202, 203, 8).
bool IsTextType(int type);
// True for the numeric types (2..6, 14, 16..21, 131, 11 counts as numeric).
bool IsNumericType(int type);
// True for the date types (7, 133, 134, 135).
bool IsDateType(int type);
}  // namespace ado

struct FieldInfo {
  std::string name;
  int type = ado::kVariant;
  int32_t defined_size = 0;
  uint8_t precision = 0;
  uint8_t numeric_scale = 0;
  int32_t attributes = ado::kFldIsNullable | ado::kFldMayBeNull;
  bool nullable() const { return (attributes & ado::kFldIsNullable) != 0; }
};

// A stable identifier of a row of the store; valid across filters, sorts
// and clones of the same rows.
using Bookmark = uint32_t;

class Recordset;

// Receives the changes of a record set opened over a database table, so
// that AddNew/Update/Delete reach the table. `tag` identifies the row in
// the table (for instance its rowid); Insert returns the tag of the new row.
// A failure is thrown as PlatformError; the record set then keeps its rows
// as they were before the call.
class RecordsetSink {
 public:
  virtual ~RecordsetSink() = default;
  virtual int64_t Insert(const Recordset& rs, std::span<const Variant> values) = 0;
  virtual void UpdateRow(const Recordset& rs, int64_t tag,
                         std::span<const Variant> values,
                         std::span<const bool> changed) = 0;
  virtual void DeleteRow(const Recordset& rs, int64_t tag) = 0;
};

class RowStore;  // the shared rows (data/row_store.h, internal)

class Recordset : public Dispatch {
 public:
  Recordset();
  ~Recordset() override;
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // --- Fields --------------------------------------------------------------
  // Appends a field (Fields.Append). Only while the set is closed (else
  // err::kAdoObjectOpen); the next Open starts with these fields and no
  // rows. A duplicate name raises err::kAdoInvalidArgument.
  void AppendField(FieldInfo field);
  void AppendField(std::string name, int type, int32_t defined_size = 0,
                   int32_t attributes = ado::kFldIsNullable,
                   uint8_t precision = 0, uint8_t numeric_scale = 0);
  int FieldCount() const;
  const FieldInfo& Field(int index) const;
  const std::vector<FieldInfo>& Fields() const;
  // Index of the field with that name, compared case-insensitively.
  std::optional<int> FindField(std::string_view name) const;
  // As FindField, raising err::kAdoItemNotFound when absent.
  int FieldIndex(std::string_view name) const;

  // --- Opening and closing -------------------------------------------------
  // Opens without a source: an empty, editable, disconnected set.
  void Open();
  // Closes the set (rows of clones stay alive). Closing a closed set raises
  // err::kAdoObjectClosed.
  void Close();
  int State() const;

  int cursor_location = ado::kUseClient;
  int cursor_type = ado::kOpenStatic;
  int lock_type = ado::kLockOptimistic;

  // --- Cursor ----------------------------------------------------------------
  bool Eof() const;
  bool Bof() const;
  void MoveFirst();
  void MoveLast();
  void MoveNext();      // raises err::kAdoBofOrEof at EOF
  void MovePrevious();  // raises err::kAdoBofOrEof at BOF
  void Move(int32_t rows);
  // Rows of the current view (after filter).
  int32_t RecordCount() const;
  // 1-based position in the view, or ado::kPosBOF / kPosEOF;
  // ado::kPosUnknown on a new or deleted row.
  int32_t AbsolutePosition() const;
  void SetAbsolutePosition(int32_t position);
  // The current row; raises err::kAdoBofOrEof when there is none.
  Bookmark GetBookmark() const;
  // Makes the row current. A row not in the current view raises
  // err::kAdoInvalidArgument.
  void SetBookmark(Bookmark bookmark);

  // --- Values ------------------------------------------------------------------
  Variant Value(std::string_view field) const;
  Variant Value(int field) const;
  // Writes a field of the current row (starting an edit when none is in
  // progress). The value is converted to the field's type; a value that
  // cannot be converted, a text longer than the field, a Null in a field
  // that is not nullable raise err::kAdoMultipleStep (the rules are in
  // data/field_convert.h).
  void SetValue(std::string_view field, const Variant& value);
  void SetValue(int field, const Variant& value);

  // --- Editing -------------------------------------------------------------------
  // Leaving the current row (any Move, SetBookmark, SetAbsolutePosition,
  // SetFilter, SetSort, AddNew) saves a pending edit first, as Update does.
  //
  // Starts a new row, current and all Null until Update adds it at the end
  // of the view (of a filtered view too) or CancelUpdate returns to the row
  // that was current.
  void AddNew();
  // Saves the pending edit or new row (and sends it to the sink, if any).
  // Without a pending edit it does nothing. When the sink fails, the rows
  // are unchanged and the edit stays pending.
  void Update();
  void CancelUpdate();
  // Deletes the current row; the position stays on it until the next move.
  void Delete();
  void UpdateBatch() { Update(); }
  int EditMode() const;

  // --- Filter and sort ---------------------------------------------------------
  // Criteria text (`A = 'x' AND (B > 3 OR C LIKE 'a*')`), the number 0 or
  // the empty text to clear, or an array of bookmarks. Positions on the first
  // row of the new view. Bad syntax or an unknown field raise
  // err::kAdoInvalidArgument and leave filter, view and position unchanged.
  void SetFilter(const Variant& criteria);
  Variant Filter() const;
  // Comma-separated field names, each optionally followed by ASC or DESC.
  // The sort is stable; Null sorts first ascending, last descending. An
  // empty text removes the sort. Unknown fields raise
  // err::kAdoInvalidArgument. Positions on the first row.
  void SetSort(std::string_view sort);
  const std::string& Sort() const;

  // A new record set over the same rows with its own position, filter and
  // sort (starting unfiltered, on the first row).
  std::shared_ptr<Recordset> Clone(int lock_type = ado::kLockUnspecified) const;
  // An independent copy of the fields and of every row (not only the view).
  std::shared_ptr<Recordset> DeepCopy() const;

  // --- Several results ---------------------------------------------------------
  // The next result of a multi-result command, or nullptr when there is
  // none. This set is closed.
  std::shared_ptr<Recordset> NextRecordset();
  void SetNextRecordset(std::shared_ptr<Recordset> next);

  // --- For backends ------------------------------------------------------------
  // Appends a row as it is (no conversion), with the row's tag in the sink's
  // table. Requires an open set with no pending edit and one value per
  // field (else err::kAdoInvalidArgument). A set that showed no row is
  // positioned on the first loaded row; otherwise the position stays.
  void LoadRow(std::vector<Variant> values, int64_t tag = 0);
  void SetSink(std::shared_ptr<RecordsetSink> sink);
  // The tag of the current row.
  int64_t CurrentTag() const;
  // Records affected by the command that produced this set (-1 unknown).
  int32_t records_affected = -1;

  // Equality criteria are answered from hash indexes of the rows. Turned
  // off, every filter scans the rows (kept only to measure the difference).
  bool use_filter_indexes = true;
  // Bytes held by the rows (shared with clones), and by their indexes.
  size_t RowStorageBytes() const;
  size_t IndexBytes() const;

  // --- Late binding --------------------------------------------------------------
  std::string TypeName() const override { return "Recordset"; }
  Variant Get(std::string_view name) override;
  void Put(std::string_view name, const Variant& value) override;
  Variant Invoke(std::string_view name, std::span<Variant> args) override;

 private:
  friend std::string RenderRecordset(Recordset& rs);
  struct Impl;
  std::unique_ptr<Impl> s_;
};

// The whole current view as one canonical text, for tests and the shell:
// a header line of field names joined by "|", then one line per row with
// Variant::Debug() of each value, each line ending in "\n". Stored values
// are shown (a pending edit is not); the position does not change.
std::string RenderRecordset(Recordset& rs);

// Closes the set if it is set and open, then releases it; errors ignored.
void ChiudiRecordset(std::shared_ptr<Recordset>& rs);

}  // namespace zv

#endif  // ZV_DATA_RECORDSET_H_
