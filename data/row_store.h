// The rows of a record set, shared by the set and its clones.
//
// Rows are kept flat and compact: every value is a 16-byte cell (numbers,
// decimals, dates and texts of up to 14 bytes inline; longer texts in an
// arena of large blocks), rows live in fixed-size pages so that growing
// never copies them, and a row's storage index is its bookmark for the
// life of the store. Deleted rows keep their index and are flagged.
//
// Equality filters are answered from hash indexes over sets of columns,
// built on demand and kept current by every append, write and delete.
#ifndef ZV_DATA_ROW_STORE_H_
#define ZV_DATA_ROW_STORE_H_

#include <cstdint>
#include <cstring>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/recordset.h"
#include "data/variant.h"

namespace zv {

// How the values of a field compare: as text under the collation, as
// numbers by value, as dates, or, for variant fields, by the kinds of the
// two values at hand.
enum class ValueClass : uint8_t { kText, kNumber, kDate, kDynamic };

ValueClass ClassOfType(int ado_type);

// One stored value.
class Cell {
 public:
  enum class Tag : uint8_t {
    kEmpty, kNull, kBool, kInt16, kInt32, kInt64, kByte, kSingle, kDouble,
    kDecimal, kDate, kShortText, kLongText, kObject
  };
  static constexpr size_t kMaxShortText = 14;

  Tag tag() const { return static_cast<Tag>(raw_[0]); }
  bool IsNullish() const { return tag() == Tag::kEmpty || tag() == Tag::kNull; }
  bool IsText() const { return tag() == Tag::kShortText || tag() == Tag::kLongText; }

  static Cell Simple(Tag tag, uint64_t payload) {
    Cell c{};
    c.raw_[0] = static_cast<uint8_t>(tag);
    std::memcpy(c.raw_ + 8, &payload, 8);
    return c;
  }
  static Cell MakeDecimal(const Decimal& d);
  static Cell ShortText(std::string_view s);
  static Cell LongText(uint64_t location, uint32_t length);

  uint64_t payload() const {
    uint64_t p;
    std::memcpy(&p, raw_ + 8, 8);
    return p;
  }
  uint32_t long_length() const {
    uint32_t n;
    std::memcpy(&n, raw_ + 4, 4);
    return n;
  }
  std::string_view short_text() const {
    return std::string_view(reinterpret_cast<const char*>(raw_ + 2), raw_[1]);
  }
  Decimal decimal() const;
  double as_double() const {
    double d;
    std::memcpy(&d, raw_ + 8, 8);
    return d;
  }

 private:
  // Left uninitialised by default so that new pages cost no clearing;
  // every cell is written (from Simple or the factories) before it is read.
  alignas(8) uint8_t raw_[16];
};
static_assert(sizeof(Cell) == 16);

// Append-only storage for texts longer than a cell holds. A text is kept in
// one block; its location is (block << 32) | offset.
class TextArena {
 public:
  uint64_t Put(std::string_view s);
  std::string_view Get(uint64_t location, uint32_t length) const {
    return std::string_view(blocks_[location >> 32].data.get() +
                                static_cast<uint32_t>(location),
                            length);
  }
  size_t Bytes() const { return reserved_; }

 private:
  static constexpr size_t kBlockSize = 256 * 1024;
  struct Block {
    std::unique_ptr<char[]> data;
    size_t size = 0;
    size_t used = 0;
  };
  std::vector<Block> blocks_;
  size_t reserved_ = 0;
};

// A number as compared: exact when it fits a decimal, else a double.
struct Number {
  bool exact = true;
  Decimal dec;
  double dbl = 0;
};
int CompareNumbers(const Number& a, const Number& b);
uint64_t HashNumber(const Number& n);
// The number of a numeric variant (Boolean true is -1); nullopt for other kinds.
std::optional<Number> NumberOfVariant(const Variant& v);
// A number written in text ("3", " 2.50 ", "1E3"); nullopt when it is not one.
std::optional<Number> NumberOfText(std::string_view text);

// A value seen through a field's class, ready to compare. Text views point
// into the store and stay valid until the store changes.
struct Scalar {
  enum class Kind : uint8_t { kNull, kNumber, kDate, kText, kUnconvertible };
  Kind kind = Kind::kNull;
  Number num;
  double date = 0;
  std::string_view text;
  std::string owned;  // backing for a text made from a non-text value

  Scalar() = default;
  Scalar(const Scalar& o) { *this = o; }
  Scalar& operator=(const Scalar& o) {
    if (this == &o) return *this;
    kind = o.kind;
    num = o.num;
    date = o.date;
    owned = o.owned;
    text = o.text.data() == o.owned.data() ? std::string_view(owned) : o.text;
    return *this;
  }
};

// The result of comparing two values.
enum class Order : uint8_t { kLess, kEqual, kGreater, kIncomparable };

// Compares two non-null scalars (converting across kinds where the platform
// would: text to number, text to date, date to number).
Order CompareScalars(const Scalar& a, const Scalar& b);
// Hash consistent with CompareScalars(...) == kEqual for scalars of one
// field class; nullopt for values that equal nothing.
std::optional<uint64_t> HashScalar(const Scalar& s);

// Counts the dead entries of a growing sequence (a Fenwick tree), so that
// the rank of an entry among the live ones and the entry of a given live
// rank cost O(log n).
class DeadCounter {
 public:
  // Starts over with n live entries.
  void Reset(size_t n) { tree_.assign(n + 1, 0); }
  size_t size() const { return tree_.empty() ? 0 : tree_.size() - 1; }
  // Adds one live entry at the end.
  void Append();
  void MarkDead(size_t i);
  // Dead entries among [0, i).
  size_t DeadBefore(size_t i) const;
  // The entry with `rank` live entries before it; requires rank < live count.
  size_t IndexOfLiveRank(size_t rank) const;

 private:
  std::vector<uint32_t> tree_;  // 1-based
};

// Key hashes of several columns are combined part by part in column order.
inline constexpr uint64_t kKeyHashSeed = 0x9e3779b97f4a7c15ULL;
inline constexpr uint64_t kNullKeyPart = 0x5bd1e9955bd1e995ULL;
inline uint64_t CombineKeyHash(uint64_t h, uint64_t part) {
  h ^= part + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  return h * 0xff51afd7ed558ccdULL;
}

class HashIndex;

// Memory for the full-size row pages of a store, taken from the system in
// blocks that grow with the store (up to kMaxBlock) and are returned when
// the store goes. Blocks are aligned to huge pages; once the store is large
// the system is asked to back them with huge pages, so that filling a
// million rows costs a few hundred page faults instead of tens of
// thousands (a fault costs microseconds, the cells of a row a few
// nanoseconds). Small stores never come here: their first page grows by
// doubling in the ordinary heap.
class PageMemory {
 public:
  PageMemory() = default;
  ~PageMemory();
  PageMemory(const PageMemory&) = delete;
  PageMemory& operator=(const PageMemory&) = delete;

  // `cells` uninitialised cells, alive as long as this object.
  Cell* Take(size_t cells);
  // Bytes reserved from the system.
  size_t Bytes() const { return reserved_; }

  static constexpr size_t kHugePage = size_t{2} << 20;
  static constexpr size_t kMaxBlock = size_t{64} << 20;
  // Blocks of at least this size are backed by huge pages where the system
  // allows: below it the last, partly used huge page would weigh too much.
  static constexpr size_t kHugeAdviceFrom = size_t{16} << 20;

 private:
  std::vector<void*> blocks_;
  char* next_ = nullptr;
  size_t left_ = 0;
  size_t reserved_ = 0;
  // Where the current block stops being backed by memory: the pages ahead
  // of the rows are asked for a huge page's worth at a time.
  char* backed_end_ = nullptr;
  char* block_end_ = nullptr;
};

class RowStore {
 public:
  explicit RowStore(std::vector<FieldInfo> fields);
  ~RowStore();
  RowStore(const RowStore&) = delete;
  RowStore& operator=(const RowStore&) = delete;

  const std::vector<FieldInfo>& fields() const { return fields_; }
  int field_count() const { return field_count_; }
  ValueClass field_class(int f) const { return classes_[f]; }

  // Rows ever stored (live and deleted); bookmarks are below this.
  uint32_t row_count() const { return row_count_; }
  uint32_t live_count() const { return row_count_ - deleted_count_; }
  bool IsDeleted(uint32_t row) const { return deleted_[row] != 0; }
  int64_t Tag(uint32_t row) const { return tagged_ ? tags_[row] : 0; }

  const Cell& At(uint32_t row, int f) const {
    return pages_[row >> kPageShift][(row & kPageMask) * field_count_ + f];
  }
  Variant Value(uint32_t row, int f) const;
  // A stored value seen through the class of field f.
  void Read(uint32_t row, int f, Scalar* out) const;
  // Any variant seen through a class (used for criteria and edits).
  static void ReadVariant(const Variant& v, ValueClass cls, Scalar* out);
  std::string_view TextOf(const Cell& c) const;

  // Appends a row (one value per field) and returns its index.
  uint32_t Append(std::span<const Variant> values, int64_t tag);
  // Writes the fields flagged in `changed`.
  void Write(uint32_t row, std::span<const Variant> values,
             std::span<const bool> changed);
  void Delete(uint32_t row);

  // Rows deleted so far, in order of deletion (views catch up from it).
  const std::vector<uint32_t>& deletion_log() const { return deletion_log_; }
  // Deleted rows with an index below `row`.
  uint32_t DeletedBefore(uint32_t row);
  // The index of the live row with `rank` live rows before it.
  uint32_t LiveRowOfRank(uint32_t rank);

  // The index on exactly these columns (ascending), built when first asked.
  HashIndex& IndexOn(const std::vector<int>& columns);
  // Hash of the key of `row` on `columns`, or nullopt when the row cannot
  // match any equality criterion on them.
  std::optional<uint64_t> KeyHash(uint32_t row, const std::vector<int>& columns) const;
  // True when two rows have equal keys on `columns`.
  bool KeysEqual(uint32_t a, uint32_t b, const std::vector<int>& columns) const;
  size_t index_count() const { return indexes_.size(); }

  // Bytes held by the row storage (cells, flags, tags, texts, objects).
  size_t StorageBytes() const;
  size_t IndexBytes() const;

  std::shared_ptr<RecordsetSink> sink;

 private:
  static constexpr uint32_t kPageShift = 12;
  static constexpr uint32_t kPageRows = 1u << kPageShift;
  static constexpr uint32_t kPageMask = kPageRows - 1;
  static constexpr size_t kMaxIndexes = 8;

  Cell& MutableAt(uint32_t row, int f) {
    return pages_[row >> kPageShift][(row & kPageMask) * field_count_ + f];
  }
  Cell Encode(const Variant& v);
  void Release(const Cell& c);
  void BuildDeletedTree();

  std::vector<FieldInfo> fields_;
  std::vector<ValueClass> classes_;
  int field_count_;
  uint32_t row_count_ = 0;
  uint32_t deleted_count_ = 0;
  // pages_[0] is first_page_; the others come from page_memory_.
  std::vector<Cell*> pages_;
  std::unique_ptr<Cell[]> first_page_;
  PageMemory page_memory_;
  std::vector<uint8_t> deleted_;
  std::vector<int64_t> tags_;  // kept once a row has a tag other than 0
  bool tagged_ = false;
  std::vector<uint32_t> deletion_log_;
  DeadCounter deleted_tree_;  // built on first use
  bool deleted_tree_built_ = false;
  uint32_t page0_rows_ = 0;  // the first page grows until it is full size
  TextArena arena_;
  std::vector<Variant> objects_;  // objects and arrays held by cells
  std::vector<uint32_t> free_objects_;
  // Most recently used first.
  std::list<std::unique_ptr<HashIndex>> indexes_;
};

// Rows grouped by their key on a set of columns. Each group lists its rows
// in storage order; groups are found by key hash and told apart by
// comparing a member row. A removed row is marked rather than erased, so
// that removing from a large group costs O(log n); a group is compacted
// once its marked entries outnumber the live ones.
class HashIndex {
 public:
  // Set on an entry whose row has left the group.
  static constexpr uint32_t kRemoved = 0x80000000u;

  struct Group {
    std::vector<uint32_t> rows;  // ascending by row (ignoring kRemoved)
    uint32_t live = 0;
    uint32_t removed = 0;
    uint32_t next = UINT32_MAX;  // next group with the same hash
    uint32_t FirstLive() const {
      for (uint32_t e : rows) {
        if (!(e & kRemoved)) return e;
      }
      return kRemoved;
    }
  };

  explicit HashIndex(std::vector<int> columns) : columns_(std::move(columns)) {}
  const std::vector<int>& columns() const { return columns_; }

  void Insert(const RowStore& store, uint32_t row);
  void Remove(const RowStore& store, uint32_t row);
  // The group whose key hashes to `hash` and for which `matches` holds on a
  // member row; nullptr when none. Entries marked kRemoved are to be skipped.
  template <typename Pred>
  const Group* Find(uint64_t hash, Pred matches) const {
    auto it = heads_.find(hash);
    if (it == heads_.end()) return nullptr;
    for (uint32_t g = it->second; g != kNone; g = groups_[g].next) {
      const Group& group = groups_[g];
      if (group.live > 0 && matches(group.FirstLive())) return &group;
    }
    return nullptr;
  }
  size_t Bytes() const;

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  std::vector<int> columns_;
  std::unordered_map<uint64_t, uint32_t> heads_;
  std::vector<Group> groups_;
};

}  // namespace zv

#endif  // ZV_DATA_ROW_STORE_H_
