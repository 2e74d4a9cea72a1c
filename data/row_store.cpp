#include "data/row_store.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "data/datetime.h"
#include "data/error.h"
#include "data/text_compare.h"

namespace zv {

ValueClass ClassOfType(int ado_type) {
  if (ado::IsTextType(ado_type) || ado_type == ado::kGUID ||
      ado_type == ado::kBinary || ado_type == ado::kVarBinary ||
      ado_type == ado::kLongVarBinary) {
    return ValueClass::kText;
  }
  if (ado::IsNumericType(ado_type)) return ValueClass::kNumber;
  if (ado::IsDateType(ado_type)) return ValueClass::kDate;
  return ValueClass::kDynamic;
}

// --- Cell --------------------------------------------------------------------

Cell Cell::MakeDecimal(const Decimal& d) {
  Cell c{};
  c.raw_[0] = static_cast<uint8_t>(Tag::kDecimal);
  c.raw_[1] = static_cast<uint8_t>(d.scale());
  c.raw_[2] = d.negative() ? 1 : 0;
  uint32_t hi = d.hi();
  uint64_t lo = d.lo();
  std::memcpy(c.raw_ + 4, &hi, 4);
  std::memcpy(c.raw_ + 8, &lo, 8);
  return c;
}

Decimal Cell::decimal() const {
  uint32_t hi;
  uint64_t lo;
  std::memcpy(&hi, raw_ + 4, 4);
  std::memcpy(&lo, raw_ + 8, 8);
  return Decimal::FromParts(hi, lo, raw_[1], raw_[2] != 0);
}

Cell Cell::ShortText(std::string_view s) {
  Cell c{};
  c.raw_[0] = static_cast<uint8_t>(Tag::kShortText);
  c.raw_[1] = static_cast<uint8_t>(s.size());
  if (!s.empty()) std::memcpy(c.raw_ + 2, s.data(), s.size());
  return c;
}

Cell Cell::LongText(uint64_t location, uint32_t length) {
  Cell c = Simple(Tag::kLongText, location);
  std::memcpy(c.raw_ + 4, &length, 4);
  return c;
}

// --- TextArena -----------------------------------------------------------------

uint64_t TextArena::Put(std::string_view s) {
  if (blocks_.empty() || blocks_.back().size - blocks_.back().used < s.size()) {
    Block b;
    b.size = std::max(kBlockSize, s.size());
    b.data = std::make_unique<char[]>(b.size);
    reserved_ += b.size;
    blocks_.push_back(std::move(b));
  }
  Block& b = blocks_.back();
  std::memcpy(b.data.get() + b.used, s.data(), s.size());
  uint64_t location = (static_cast<uint64_t>(blocks_.size() - 1) << 32) | b.used;
  b.used += s.size();
  return location;
}

// --- PageMemory -------------------------------------------------------------------

PageMemory::~PageMemory() {
  for (void* block : blocks_) std::free(block);
}

Cell* PageMemory::Take(size_t cells) {
  const size_t bytes = cells * sizeof(Cell);
  if (left_ < bytes) {
    // Each block is as large as all before it (within kMaxBlock), so a
    // store of n bytes holds O(log n) blocks and wastes at most the unused
    // tail of its last one, which the system never backs with memory
    // until it is written.
    size_t size = std::max(bytes, std::min(reserved_, kMaxBlock));
    size = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, size);
    if (block == nullptr) throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    // Advice only: where huge pages are off, ordinary pages are used.
    if (size >= kHugeAdviceFrom) madvise(block, size, MADV_HUGEPAGE);
#endif
    blocks_.push_back(block);
    reserved_ += size;
    next_ = static_cast<char*>(block);
    left_ = size;
    backed_end_ = next_;
    block_end_ = next_ + size;
  }
#if defined(MADV_POPULATE_WRITE)
  // Back the pages the rows are about to fill in one call per huge page's
  // worth, rather than one page fault per page (where huge pages are off,
  // 512 faults of several microseconds each). Advice only: a system that
  // does not know it faults the pages in as they are written.
  if (next_ + bytes > backed_end_) {
    char* end = std::min(block_end_, backed_end_ + std::max(kHugePage, bytes));
    madvise(backed_end_, static_cast<size_t>(end - backed_end_), MADV_POPULATE_WRITE);
    backed_end_ = end;
  }
#endif
  // Pages are whole multiples of a cell, so every page stays cell-aligned.
  Cell* cells_at = reinterpret_cast<Cell*>(next_);
  next_ += bytes;
  left_ -= bytes;
  return cells_at;
}

// --- DeadCounter ---------------------------------------------------------------

void DeadCounter::Append() {
  if (tree_.empty()) tree_.push_back(0);
  size_t i = tree_.size();  // 1-based index of the new entry
  size_t low = i & (~i + 1);
  // The node covers (i - low, i]: the new entry (live) and older ones.
  uint32_t dead = static_cast<uint32_t>(DeadBefore(i - 1) - DeadBefore(i - low));
  tree_.push_back(dead);
}

void DeadCounter::MarkDead(size_t i) {
  for (size_t j = i + 1; j < tree_.size(); j += j & (~j + 1)) ++tree_[j];
}

size_t DeadCounter::DeadBefore(size_t i) const {
  size_t sum = 0;
  for (size_t j = i; j > 0; j -= j & (~j + 1)) sum += tree_[j];
  return sum;
}

size_t DeadCounter::IndexOfLiveRank(size_t rank) const {
  size_t n = size();
  size_t pos = 0;
  size_t remaining = rank + 1;
  for (size_t step = n == 0 ? 0 : std::bit_floor(n); step > 0; step >>= 1) {
    size_t next = pos + step;
    if (next <= n) {
      size_t live = step - tree_[next];
      if (live < remaining) {
        pos = next;
        remaining -= live;
      }
    }
  }
  return pos;
}

// --- Numbers and scalars -----------------------------------------------------------

namespace {

constexpr double kDecimalLimit = 7.9e28;

Number ExactOrDouble(double d) {
  Number n;
  if (std::isfinite(d) && std::fabs(d) < kDecimalLimit) {
    try {
      n.dec = Decimal::FromDouble(d);
      return n;
    } catch (const PlatformError&) {
    }
  }
  n.exact = false;
  n.dbl = d;
  return n;
}

Number SingleNumber(float f) {
  Number n;
  if (std::isfinite(f)) {
    if (auto d = Decimal::Parse(DoubleToText(f, 7))) {
      n.dec = *d;
      return n;
    }
  }
  n.exact = false;
  n.dbl = f;
  return n;
}

uint64_t HashDouble(double d) {
  if (d == 0) d = 0;  // -0 and 0 are equal
  uint64_t bits;
  std::memcpy(&bits, &d, 8);
  bits ^= bits >> 29;
  bits *= 0xbf58476d1ce4e5b9ULL;
  return bits ^ (bits >> 32);
}

std::string NumberText(const Number& n) {
  return n.exact ? n.dec.Normalize().ToString() : DoubleToText(n.dbl);
}

}  // namespace

int CompareNumbers(const Number& a, const Number& b) {
  if (a.exact && b.exact) {
    auto c = a.dec <=> b.dec;
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  double x = a.exact ? a.dec.ToDouble() : a.dbl;
  double y = b.exact ? b.dec.ToDouble() : b.dbl;
  return x < y ? -1 : (x > y ? 1 : 0);
}

uint64_t HashNumber(const Number& n) {
  return n.exact ? static_cast<uint64_t>(n.dec.Hash()) * 0x9e3779b97f4a7c15ULL
                 : HashDouble(n.dbl);
}

std::optional<Number> NumberOfVariant(const Variant& v) {
  Number n;
  switch (v.type()) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kByte:
      n.dec = Decimal(v.ToLongLong());
      return n;
    case VarType::kBoolean:
      n.dec = Decimal(v.ToBool() ? -1 : 0);
      return n;
    case VarType::kDecimal:
      n.dec = v.ToDecimal();
      return n;
    case VarType::kSingle:
      return SingleNumber(v.ToSingle());
    case VarType::kDouble:
      return ExactOrDouble(v.ToDouble());
    default:
      return std::nullopt;
  }
}

std::optional<Number> NumberOfText(std::string_view text) {
  Number n;
  try {
    if (auto d = Decimal::Parse(text)) {
      n.dec = *d;
      return n;
    }
    return std::nullopt;
  } catch (const PlatformError&) {
    // A number too large for a decimal.
  }
  double d;
  if (!ParseDouble(text, &d)) return std::nullopt;
  n.exact = false;
  n.dbl = d;
  return n;
}

void RowStore::ReadVariant(const Variant& v, ValueClass cls, Scalar* out) {
  using Kind = Scalar::Kind;
  if (v.IsEmpty() || v.IsNull()) {
    out->kind = Kind::kNull;
    return;
  }
  out->kind = Kind::kUnconvertible;
  if (v.IsObject() || v.IsArray()) return;
  VarType t = v.type();
  auto as_text = [&] {
    if (v.IsString()) {
      out->owned = v.StringRef();
    } else if (t == VarType::kDate) {
      out->owned = FormatIsoDate(v.ToDate());
    } else {
      out->owned = v.ToString();
    }
    out->text = out->owned;
    out->kind = Kind::kText;
  };
  switch (cls) {
    case ValueClass::kText:
      as_text();
      return;
    case ValueClass::kNumber:
      if (v.IsString()) {
        if (auto n = NumberOfText(v.StringRef())) {
          out->num = *n;
          out->kind = Kind::kNumber;
        }
      } else if (t == VarType::kDate) {
        out->num = ExactOrDouble(v.ToDate().days);
        out->kind = Kind::kNumber;
      } else if (auto n = NumberOfVariant(v)) {
        out->num = *n;
        out->kind = Kind::kNumber;
      }
      return;
    case ValueClass::kDate:
      if (v.IsString()) {
        if (auto d = ParseDate(v.StringRef())) {
          out->date = d->days;
          out->kind = Kind::kDate;
        }
      } else if (t == VarType::kDate) {
        out->date = v.ToDate().days;
        out->kind = Kind::kDate;
      } else if (v.IsNumber()) {
        out->date = v.ToDouble();
        out->kind = Kind::kDate;
      }
      return;
    case ValueClass::kDynamic:
      if (v.IsString()) {
        as_text();
      } else if (t == VarType::kDate) {
        out->date = v.ToDate().days;
        out->kind = Kind::kDate;
      } else if (auto n = NumberOfVariant(v)) {
        out->num = *n;
        out->kind = Kind::kNumber;
      }
      return;
  }
}

Order CompareScalars(const Scalar& a, const Scalar& b) {
  using Kind = Scalar::Kind;
  auto order = [](int c) {
    return c < 0 ? Order::kLess : (c > 0 ? Order::kGreater : Order::kEqual);
  };
  if (a.kind == Kind::kUnconvertible || b.kind == Kind::kUnconvertible ||
      a.kind == Kind::kNull || b.kind == Kind::kNull) {
    return Order::kIncomparable;
  }
  if (a.kind == b.kind) {
    switch (a.kind) {
      case Kind::kNumber:
        return order(CompareNumbers(a.num, b.num));
      case Kind::kDate:
        return a.date < b.date ? Order::kLess
                               : (a.date > b.date ? Order::kGreater : Order::kEqual);
      case Kind::kText:
        return order(text::CompareText(a.text, b.text));
      default:
        return Order::kIncomparable;
    }
  }
  // Different kinds (variant fields): text converts to the other kind.
  if (a.kind == Kind::kText || b.kind == Kind::kText) {
    bool text_first = a.kind == Kind::kText;
    const Scalar& t = text_first ? a : b;
    const Scalar& o = text_first ? b : a;
    Scalar converted;
    if (o.kind == Kind::kNumber) {
      if (auto n = NumberOfText(t.text)) {
        converted.kind = Kind::kNumber;
        converted.num = *n;
      } else {
        // Not a number: compare the number's text with the text.
        std::string s = NumberText(o.num);
        int c = text::CompareText(t.text, s);
        return order(text_first ? c : -c);
      }
    } else {
      auto d = ParseDate(t.text);
      if (!d) return Order::kIncomparable;
      converted.kind = Kind::kDate;
      converted.date = d->days;
    }
    return text_first ? CompareScalars(converted, o) : CompareScalars(o, converted);
  }
  // A date against a number: the date is its day count.
  Scalar x;
  Scalar y;
  x.kind = y.kind = Kind::kNumber;
  x.num = a.kind == Kind::kDate ? ExactOrDouble(a.date) : a.num;
  y.num = b.kind == Kind::kDate ? ExactOrDouble(b.date) : b.num;
  return order(CompareNumbers(x.num, y.num));
}

std::optional<uint64_t> HashScalar(const Scalar& s) {
  switch (s.kind) {
    case Scalar::Kind::kNull:
      return kNullKeyPart;
    case Scalar::Kind::kNumber:
      return HashNumber(s.num);
    case Scalar::Kind::kDate:
      return HashDouble(s.date);
    case Scalar::Kind::kText:
      return text::HashText(s.text);
    case Scalar::Kind::kUnconvertible:
      break;
  }
  return std::nullopt;
}

// --- RowStore ------------------------------------------------------------------

RowStore::RowStore(std::vector<FieldInfo> fields)
    : fields_(std::move(fields)), field_count_(static_cast<int>(fields_.size())) {
  classes_.reserve(fields_.size());
  for (const FieldInfo& f : fields_) classes_.push_back(ClassOfType(f.type));
}

RowStore::~RowStore() = default;

std::string_view RowStore::TextOf(const Cell& c) const {
  if (c.tag() == Cell::Tag::kShortText) return c.short_text();
  return arena_.Get(c.payload(), c.long_length());
}

Cell RowStore::Encode(const Variant& v) {
  using T = Cell::Tag;
  switch (v.type()) {
    case VarType::kEmpty:
      return Cell::Simple(T::kEmpty, 0);
    case VarType::kNull:
      return Cell::Simple(T::kNull, 0);
    case VarType::kBoolean:
      return Cell::Simple(T::kBool, v.ToBool() ? 1 : 0);
    case VarType::kInteger:
      return Cell::Simple(T::kInt16, static_cast<uint64_t>(int64_t{v.ToInteger()}));
    case VarType::kLong:
      return Cell::Simple(T::kInt32, static_cast<uint64_t>(int64_t{v.ToLong()}));
    case VarType::kLongLong:
      return Cell::Simple(T::kInt64, static_cast<uint64_t>(v.ToLongLong()));
    case VarType::kByte:
      return Cell::Simple(T::kByte, v.ToByte());
    case VarType::kSingle: {
      double d = v.ToSingle();
      return Cell::Simple(T::kSingle, std::bit_cast<uint64_t>(d));
    }
    case VarType::kDouble:
      return Cell::Simple(T::kDouble, std::bit_cast<uint64_t>(v.ToDouble()));
    case VarType::kDecimal:
      return Cell::MakeDecimal(v.ToDecimal());
    case VarType::kDate:
      return Cell::Simple(T::kDate, std::bit_cast<uint64_t>(v.ToDate().days));
    case VarType::kString: {
      const std::string& s = v.StringRef();
      if (s.size() <= Cell::kMaxShortText) return Cell::ShortText(s);
      return Cell::LongText(arena_.Put(s), static_cast<uint32_t>(s.size()));
    }
    default: {
      uint32_t slot;
      if (!free_objects_.empty()) {
        slot = free_objects_.back();
        free_objects_.pop_back();
        objects_[slot] = v;
      } else {
        slot = static_cast<uint32_t>(objects_.size());
        objects_.push_back(v);
      }
      return Cell::Simple(T::kObject, slot);
    }
  }
}

void RowStore::Release(const Cell& c) {
  if (c.tag() == Cell::Tag::kObject) {
    uint32_t slot = static_cast<uint32_t>(c.payload());
    objects_[slot] = Variant();
    free_objects_.push_back(slot);
  }
}

Variant RowStore::Value(uint32_t row, int f) const {
  const Cell& c = At(row, f);
  using T = Cell::Tag;
  uint64_t p = c.payload();
  switch (c.tag()) {
    case T::kEmpty:
      return Variant();
    case T::kNull:
      return Variant::Null();
    case T::kBool:
      return Variant(p != 0);
    case T::kInt16:
      return Variant(static_cast<int16_t>(p));
    case T::kInt32:
      return Variant(static_cast<int32_t>(p));
    case T::kInt64:
      return Variant(static_cast<int64_t>(p));
    case T::kByte:
      return Variant(static_cast<uint8_t>(p));
    case T::kSingle:
      return Variant(static_cast<float>(c.as_double()));
    case T::kDouble:
      return Variant(c.as_double());
    case T::kDecimal:
      return Variant(c.decimal());
    case T::kDate:
      return Variant::Date(c.as_double());
    case T::kShortText:
    case T::kLongText:
      return Variant(std::string(TextOf(c)));
    case T::kObject:
      return objects_[static_cast<uint32_t>(p)];
  }
  return Variant();
}

void RowStore::Read(uint32_t row, int f, Scalar* out) const {
  const Cell& c = At(row, f);
  using T = Cell::Tag;
  using Kind = Scalar::Kind;
  ValueClass cls = classes_[f];
  // The common pairings are read straight from the cell.
  switch (c.tag()) {
    case T::kEmpty:
    case T::kNull:
      out->kind = Kind::kNull;
      return;
    case T::kShortText:
    case T::kLongText:
      if (cls == ValueClass::kText || cls == ValueClass::kDynamic) {
        out->kind = Kind::kText;
        out->text = TextOf(c);
        return;
      }
      break;
    case T::kDecimal:
      if (cls == ValueClass::kNumber || cls == ValueClass::kDynamic) {
        out->kind = Kind::kNumber;
        out->num.exact = true;
        out->num.dec = c.decimal();
        return;
      }
      break;
    case T::kInt16:
    case T::kInt32:
    case T::kInt64:
    case T::kByte:
      if (cls == ValueClass::kNumber || cls == ValueClass::kDynamic) {
        out->kind = Kind::kNumber;
        out->num.exact = true;
        out->num.dec = Decimal(static_cast<int64_t>(c.payload()));
        return;
      }
      break;
    case T::kDate:
      if (cls == ValueClass::kDate || cls == ValueClass::kDynamic) {
        out->kind = Kind::kDate;
        out->date = c.as_double();
        return;
      }
      break;
    default:
      break;
  }
  ReadVariant(Value(row, f), cls, out);
}

void RowStore::BuildDeletedTree() {
  deleted_tree_.Reset(0);
  for (uint32_t r = 0; r < row_count_; ++r) {
    deleted_tree_.Append();
    if (deleted_[r]) deleted_tree_.MarkDead(r);
  }
  deleted_tree_built_ = true;
}

uint32_t RowStore::DeletedBefore(uint32_t row) {
  if (deleted_count_ == 0) return 0;
  if (!deleted_tree_built_) BuildDeletedTree();
  return static_cast<uint32_t>(deleted_tree_.DeadBefore(row));
}

uint32_t RowStore::LiveRowOfRank(uint32_t rank) {
  if (deleted_count_ == 0) return rank;
  if (!deleted_tree_built_) BuildDeletedTree();
  return static_cast<uint32_t>(deleted_tree_.IndexOfLiveRank(rank));
}

uint32_t RowStore::Append(std::span<const Variant> values, int64_t tag) {
  // Bookmarks leave the top bit free for the indexes' removal mark.
  if (row_count_ >= HashIndex::kRemoved - 1) Raise(err::kOverflow);
  uint32_t row = row_count_;
  uint32_t page = row >> kPageShift;
  size_t nf = static_cast<size_t>(std::max(field_count_, 1));
  if (page >= pages_.size()) {
    if (page == 0) {
      first_page_ = std::make_unique_for_overwrite<Cell[]>((page0_rows_ = 16) * nf);
      pages_.push_back(first_page_.get());
    } else {
      pages_.push_back(page_memory_.Take(kPageRows * nf));
    }
  } else if (page == 0 && row >= page0_rows_) {
    // The first page grows by doubling so that small sets stay small.
    uint32_t grown = std::min(page0_rows_ * 2, kPageRows);
    auto bigger = std::make_unique_for_overwrite<Cell[]>(grown * nf);
    std::memcpy(static_cast<void*>(bigger.get()), first_page_.get(),
                page0_rows_ * nf * sizeof(Cell));
    first_page_ = std::move(bigger);
    pages_[0] = first_page_.get();
    page0_rows_ = grown;
  }
  // Values are encoded where they are, without a copy; missing ones are Null.
  const int given = std::min(field_count_, static_cast<int>(values.size()));
  for (int f = 0; f < given; ++f) MutableAt(row, f) = Encode(values[f]);
  for (int f = given; f < field_count_; ++f) MutableAt(row, f) = Cell::Simple(Cell::Tag::kNull, 0);
  deleted_.push_back(0);
  if (tag != 0 && !tagged_) {
    tags_.assign(row, 0);
    tagged_ = true;
  }
  if (tagged_) tags_.push_back(tag);
  ++row_count_;
  if (deleted_tree_built_) deleted_tree_.Append();
  for (auto& index : indexes_) index->Insert(*this, row);
  return row;
}

void RowStore::Write(uint32_t row, std::span<const Variant> values,
                     std::span<const bool> changed) {
  std::vector<HashIndex*> touched;
  for (auto& index : indexes_) {
    for (int c : index->columns()) {
      if (changed[c]) {
        touched.push_back(index.get());
        break;
      }
    }
  }
  for (HashIndex* index : touched) index->Remove(*this, row);
  for (int f = 0; f < field_count_; ++f) {
    if (!changed[f]) continue;
    Cell& cell = MutableAt(row, f);
    Release(cell);
    cell = Encode(values[f]);
  }
  for (HashIndex* index : touched) index->Insert(*this, row);
}

void RowStore::Delete(uint32_t row) {
  if (deleted_[row]) return;
  for (auto& index : indexes_) index->Remove(*this, row);
  for (int f = 0; f < field_count_; ++f) {
    Cell& cell = MutableAt(row, f);
    Release(cell);
    cell = Cell::Simple(Cell::Tag::kNull, 0);
  }
  deleted_[row] = 1;
  ++deleted_count_;
  deletion_log_.push_back(row);
  if (deleted_tree_built_) deleted_tree_.MarkDead(row);
}

std::optional<uint64_t> RowStore::KeyHash(uint32_t row,
                                          const std::vector<int>& columns) const {
  uint64_t h = kKeyHashSeed;
  Scalar s;
  for (int c : columns) {
    Read(row, c, &s);
    auto part = HashScalar(s);
    if (!part) return std::nullopt;
    h = CombineKeyHash(h, *part);
  }
  return h;
}

bool RowStore::KeysEqual(uint32_t a, uint32_t b, const std::vector<int>& columns) const {
  Scalar x;
  Scalar y;
  for (int c : columns) {
    Read(a, c, &x);
    Read(b, c, &y);
    if (x.kind == Scalar::Kind::kNull || y.kind == Scalar::Kind::kNull) {
      if (x.kind != y.kind) return false;
      continue;
    }
    if (CompareScalars(x, y) != Order::kEqual) return false;
  }
  return true;
}

HashIndex& RowStore::IndexOn(const std::vector<int>& columns) {
  for (auto it = indexes_.begin(); it != indexes_.end(); ++it) {
    if ((*it)->columns() == columns) {
      indexes_.splice(indexes_.begin(), indexes_, it);
      return *indexes_.front();
    }
  }
  auto index = std::make_unique<HashIndex>(columns);
  for (uint32_t r = 0; r < row_count_; ++r) {
    if (!deleted_[r]) index->Insert(*this, r);
  }
  indexes_.push_front(std::move(index));
  if (indexes_.size() > kMaxIndexes) indexes_.pop_back();
  return *indexes_.front();
}

size_t RowStore::StorageBytes() const {
  size_t nf = static_cast<size_t>(std::max(field_count_, 1));
  size_t bytes = 0;
  for (size_t p = 0; p < pages_.size(); ++p) {
    bytes += (p == 0 ? page0_rows_ : kPageRows) * nf * sizeof(Cell);
  }
  bytes += pages_.capacity() * sizeof(pages_[0]);
  bytes += deleted_.capacity() + tags_.capacity() * sizeof(int64_t);
  bytes += deletion_log_.capacity() * sizeof(uint32_t);
  bytes += arena_.Bytes();
  bytes += objects_.capacity() * sizeof(Variant);
  return bytes;
}

size_t RowStore::IndexBytes() const {
  size_t bytes = 0;
  for (const auto& index : indexes_) bytes += index->Bytes();
  return bytes;
}

// --- HashIndex -------------------------------------------------------------------

namespace {

// The entry of `row` in a group, marked or not, or the place it would go.
std::vector<uint32_t>::iterator EntryOf(std::vector<uint32_t>& rows, uint32_t row) {
  return std::lower_bound(rows.begin(), rows.end(), row, [](uint32_t e, uint32_t r) {
    return (e & ~HashIndex::kRemoved) < r;
  });
}

void Compact(HashIndex::Group& g) {
  std::erase_if(g.rows, [](uint32_t e) { return (e & HashIndex::kRemoved) != 0; });
  g.removed = 0;
}

}  // namespace

void HashIndex::Insert(const RowStore& store, uint32_t row) {
  auto hash = store.KeyHash(row, columns_);
  if (!hash) return;  // a key that no equality criterion can match
  auto [it, fresh] = heads_.try_emplace(*hash, kNone);
  uint32_t spare = kNone;
  for (uint32_t g = it->second; g != kNone; g = groups_[g].next) {
    Group& group = groups_[g];
    if (group.live == 0) {
      if (spare == kNone) spare = g;
      continue;
    }
    if (!store.KeysEqual(group.FirstLive(), row, columns_)) continue;
    std::vector<uint32_t>& rows = group.rows;
    if (rows.empty() || (rows.back() & ~kRemoved) < row) {
      rows.push_back(row);
    } else {
      auto pos = EntryOf(rows, row);
      if (pos != rows.end() && (*pos & ~kRemoved) == row) {
        *pos = row;  // the row comes back to the group it left
        --group.removed;
      } else {
        rows.insert(pos, row);
      }
    }
    ++group.live;
    return;
  }
  if (spare == kNone) {
    spare = static_cast<uint32_t>(groups_.size());
    groups_.emplace_back();
    groups_.back().next = it->second;
    it->second = spare;
  } else {
    groups_[spare].rows.clear();
    groups_[spare].removed = 0;
  }
  groups_[spare].rows.push_back(row);
  groups_[spare].live = 1;
}

void HashIndex::Remove(const RowStore& store, uint32_t row) {
  auto hash = store.KeyHash(row, columns_);
  if (!hash) return;
  auto it = heads_.find(*hash);
  if (it == heads_.end()) return;
  for (uint32_t g = it->second; g != kNone; g = groups_[g].next) {
    Group& group = groups_[g];
    auto pos = EntryOf(group.rows, row);
    if (pos == group.rows.end() || *pos != row) continue;
    *pos |= kRemoved;
    --group.live;
    ++group.removed;
    if (group.removed > 8 && group.removed > group.live) Compact(group);
    return;
  }
}

size_t HashIndex::Bytes() const {
  size_t bytes = groups_.capacity() * sizeof(Group);
  for (const Group& g : groups_) bytes += g.rows.capacity() * sizeof(uint32_t);
  // Buckets plus one node (key, value, next pointer, cached hash) per entry.
  bytes += heads_.bucket_count() * sizeof(void*) + heads_.size() * 32;
  return bytes;
}

}  // namespace zv
