#include "data/record_view.h"

#include <algorithm>

namespace zv {

RecordView::RecordView(std::shared_ptr<RowStore> store)
    : store_(std::move(store)), all_(true) {}

RecordView::RecordView(std::shared_ptr<RowStore> store, std::vector<uint32_t> rows,
                       bool ascending)
    : store_(std::move(store)), all_(false), rows_(std::move(rows)), ascending_(ascending) {
  log_seen_ = store_->deletion_log().size();
}

uint32_t RecordView::slots() const {
  return all_ ? store_->row_count() : static_cast<uint32_t>(rows_.size());
}

void RecordView::CatchUpDeletions() {
  const std::vector<uint32_t>& log = store_->deletion_log();
  for (; log_seen_ < log.size(); ++log_seen_) {
    if (auto slot = SlotOf(log[log_seen_])) {
      ++dead_;
      if (tree_built_) dead_tree_.MarkDead(*slot);
    }
  }
}

uint32_t RecordView::LiveCount() {
  if (all_) return store_->live_count();
  CatchUpDeletions();
  return static_cast<uint32_t>(rows_.size()) - dead_;
}

uint32_t RecordView::RankOf(uint32_t slot) {
  if (all_) return slot - store_->DeletedBefore(slot);
  CatchUpDeletions();
  if (dead_ == 0) return slot;
  if (!tree_built_) {
    dead_tree_.Reset(rows_.size());
    for (uint32_t s = 0; s < rows_.size(); ++s) {
      if (store_->IsDeleted(rows_[s])) dead_tree_.MarkDead(s);
    }
    tree_built_ = true;
  }
  return slot - static_cast<uint32_t>(dead_tree_.DeadBefore(slot));
}

uint32_t RecordView::SlotOfRank(uint32_t rank) {
  if (all_) return store_->LiveRowOfRank(rank);
  RankOf(0);  // catches up and builds the tree when rows were deleted
  if (dead_ == 0) return rank;
  return static_cast<uint32_t>(dead_tree_.IndexOfLiveRank(rank));
}

std::optional<uint32_t> RecordView::SlotOf(uint32_t row) {
  if (all_) {
    if (row < store_->row_count()) return row;
    return std::nullopt;
  }
  if (ascending_) {
    auto it = std::lower_bound(rows_.begin(), rows_.end(), row);
    if (it != rows_.end() && *it == row) return static_cast<uint32_t>(it - rows_.begin());
    return std::nullopt;
  }
  if (!map_built_) {
    slot_of_.reserve(rows_.size());
    for (uint32_t s = 0; s < rows_.size(); ++s) slot_of_.emplace(rows_[s], s);
    map_built_ = true;
  }
  auto it = slot_of_.find(row);
  if (it == slot_of_.end()) return std::nullopt;
  return it->second;
}

std::optional<uint32_t> RecordView::NextLive(uint32_t from) const {
  uint32_t n = slots();
  for (uint32_t s = from; s < n; ++s) {
    if (LiveAt(s)) return s;
  }
  return std::nullopt;
}

std::optional<uint32_t> RecordView::PreviousLive(int64_t from) const {
  if (from >= static_cast<int64_t>(slots())) from = static_cast<int64_t>(slots()) - 1;
  for (int64_t s = from; s >= 0; --s) {
    if (LiveAt(static_cast<uint32_t>(s))) return static_cast<uint32_t>(s);
  }
  return std::nullopt;
}

uint32_t RecordView::AddRow(uint32_t row) {
  if (all_) return row;
  CatchUpDeletions();
  uint32_t slot = static_cast<uint32_t>(rows_.size());
  if (ascending_ && !rows_.empty() && rows_.back() > row) ascending_ = false;
  rows_.push_back(row);
  if (map_built_) slot_of_.emplace(row, slot);
  if (tree_built_) dead_tree_.Append();
  return slot;
}

std::vector<uint32_t> RecordView::LiveRows() const {
  std::vector<uint32_t> out;
  uint32_t n = slots();
  out.reserve(all_ ? store_->live_count() : n);
  for (uint32_t s = 0; s < n; ++s) {
    if (LiveAt(s)) out.push_back(RowAt(s));
  }
  return out;
}

}  // namespace zv
