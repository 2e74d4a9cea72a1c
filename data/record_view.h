// The rows a record set shows: every live row of the store in storage order
// (the unfiltered, unsorted view, which also shows rows appended later by
// clones), or an explicit list (the rows that passed a filter, or a sorted
// order). Views hold slots; a slot whose row was deleted stays until the
// view is rebuilt and is skipped by navigation and counting.
#ifndef ZV_DATA_RECORD_VIEW_H_
#define ZV_DATA_RECORD_VIEW_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "data/row_store.h"

namespace zv {

class RecordView {
 public:
  // The view of every row.
  explicit RecordView(std::shared_ptr<RowStore> store);
  // A view of the given rows, in that order (`ascending` when they are in
  // storage order). The rows must be live.
  RecordView(std::shared_ptr<RowStore> store, std::vector<uint32_t> rows, bool ascending);

  bool all_rows() const { return all_; }
  // Slots, counting deleted rows still in the view.
  uint32_t slots() const;
  uint32_t RowAt(uint32_t slot) const { return all_ ? slot : rows_[slot]; }
  bool LiveAt(uint32_t slot) const { return !store_->IsDeleted(RowAt(slot)); }
  // Live rows.
  uint32_t LiveCount();
  // Live rows in slots before `slot`.
  uint32_t RankOf(uint32_t slot);
  // The slot of the live row with `rank` live rows before it.
  uint32_t SlotOfRank(uint32_t rank);
  // The slot holding `row`, if the view has it.
  std::optional<uint32_t> SlotOf(uint32_t row);
  // The first live slot at or after `from`, the last at or before `from`.
  std::optional<uint32_t> NextLive(uint32_t from) const;
  std::optional<uint32_t> PreviousLive(int64_t from) const;
  // Adds a row this record set appended to the store; returns its slot.
  uint32_t AddRow(uint32_t row);
  // The live rows in view order.
  std::vector<uint32_t> LiveRows() const;

 private:
  void CatchUpDeletions();

  std::shared_ptr<RowStore> store_;
  bool all_;
  std::vector<uint32_t> rows_;
  bool ascending_ = true;
  size_t log_seen_ = 0;  // deletions of the store already counted
  uint32_t dead_ = 0;    // deleted rows among rows_
  DeadCounter dead_tree_;
  bool tree_built_ = false;
  std::unordered_map<uint32_t, uint32_t> slot_of_;  // for orders other than storage
  bool map_built_ = false;
};

}  // namespace zv

#endif  // ZV_DATA_RECORD_VIEW_H_
