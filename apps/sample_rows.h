// Internal helpers of the sample generator: the tables it writes, its own
// pseudo-random generator (so that a seed gives the same company on every
// platform and library version) and the row emitter that hands rows to a
// RowSink.
#ifndef ZV_APPS_SAMPLE_ROWS_H_
#define ZV_APPS_SAMPLE_ROWS_H_

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "apps/sample_generator.h"
#include "data/decimal.h"

namespace zv::sample::internal {

enum class Table : int {
  kCG18, kMG52, kMG47, kCG16, kCG44, kMG19, kCG68, kMG36, kMG58, kMG53, kMG54, kMG55,
  kMG56, kMG74, kMG75, kMG76, kMG77, kMG6W, kMG5F, kMG5E, kMG5G, kMG5H, kMG66, kMG6B,
  kMG87, kMG70, kFA02, kPD07, kPD08, kPD01, kPD12, kPD20, kPD21, kPD18, kPD1D, kPD1E,
  kPD1F, kPD1G, kPD1H, kPD68, kCO99, kDO11, kDO12, kDO18, kDO30, kDO31, kDO33, kDO41,
  kDO46, kDO57, kPD96, kPD31, kPD39, kCount
};

inline constexpr std::array<const char*, static_cast<size_t>(Table::kCount)> kTableNames = {
    "CG18_DITTE",        "MG52_LINGUE",        "MG47_PARMAGLINGUE", "CG16_ANAGRGEN",
    "CG44_CLIFOR",       "MG19_CLASSCLIFOR",   "CG68_SEZIONALI",    "MG36_DOCUMENTI",
    "MG58_DEPOSITI",     "MG53_FAMIGLIE",      "MG54_SOTTOFAM",     "MG55_GRUPPI",
    "MG56_SOTTOGRUPPI",  "MG74_GRUPPISTAT1",   "MG75_GRUPPISTAT2",  "MG76_GRUPPISTAT3",
    "MG77_GRUPPISTAT4",  "MG6W_STATIART",      "MG5F_DIMECONF",     "MG5E_OPZIONI",
    "MG5G_RAGGRVAR",     "MG5H_COMPRAGVAR",    "MG66_ANAGRART",     "MG6B_GESVARART",
    "MG87_ARTDESC",      "MG70_GIACENZE",      "FA02_ABBINAMENTI",  "PD07_REPARTO",
    "PD08_MACCHINA",     "PD01_LINEE",         "PD12_FASI",         "PD20_TIPIPROD",
    "PD21_PROVENIENZE",  "PD18_ARTPROD",       "PD1D_TIPIPROG",     "PD1E_STATIPROG",
    "PD1F_CLASSIAPROG",  "PD1G_CLASSIBPROG",   "PD1H_CLASSICPROG",  "PD68_PROGETTI",
    "CO99_REGISTRAZIONI", "DO11_DOCTESTATA",   "DO12_DOCTESTARIF",  "DO18_DOCTESTAPROD",
    "DO30_DOCCORPO",     "DO31_DOCCORPOORD",   "DO33_DOCCORPORIF",  "DO41_DOCCORPOPROGE",
    "DO46_DOCCORORDDET", "DO57_DETAVANZ",      "PD96_IMPEGNI",      "PD31_NUMPROPOSTE",
    "PD39_PROPOSTE"};
static_assert(kTableNames.back() != nullptr, "one name per table");

// xoshiro256** seeded through splitmix64. Every draw is derived from the
// 64-bit output with integer arithmetic only.
class Rng {
 public:
  explicit Rng(uint64_t seed) {
    for (auto& word : state_) {
      seed += 0x9E3779B97F4A7C15ull;
      uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      word = z ^ (z >> 31);
    }
  }
  uint64_t Next() {
    const uint64_t result = Rotl(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotl(state_[3], 45);
    return result;
  }
  // Uniform in [lo, hi] (both included). Requires lo <= hi.
  int64_t Between(int64_t lo, int64_t hi) {
    const uint64_t range = static_cast<uint64_t>(hi - lo) + 1;
    const unsigned __int128 product = static_cast<unsigned __int128>(Next()) * range;
    return lo + static_cast<int64_t>(product >> 64);
  }
  // True with the given chance in percent.
  bool Percent(int percent) { return Between(0, 99) < percent; }
  // An index in [0, size). Requires size > 0.
  size_t Index(size_t size) { return static_cast<size_t>(Between(0, static_cast<int64_t>(size) - 1)); }
  template <typename T>
  const T& Pick(const std::vector<T>& items) { return items[Index(items.size())]; }

 private:
  static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::array<uint64_t, 4> state_{};
};

// Hands rows to a sink, table by table. A row is built with the column name
// beside each value, so names and values cannot drift apart; the first row
// of a table fixes its column list and every later row must repeat it.
class Emitter {
 public:
  class Row {
   public:
    Row& Set(const char* column, int64_t value) {
      SqlValue& v = Next(column);
      v.kind = SqlValue::Kind::kInt;
      v.number = value;
      return *this;
    }
    Row& Set(const char* column, int value) { return Set(column, static_cast<int64_t>(value)); }
    Row& Set(const char* column, const Decimal& value) {
      SqlValue& v = Next(column);
      v.kind = SqlValue::Kind::kDecimal;
      v.decimal = value;
      return *this;
    }
    Row& Text(const char* column, std::string_view value) {
      SqlValue& v = Next(column);
      v.kind = SqlValue::Kind::kText;
      v.text.assign(value.data(), value.size());
      return *this;
    }
    // A text that is NULL when empty.
    Row& TextOrNull(const char* column, std::string_view value) {
      return value.empty() ? Null(column) : Text(column, value);
    }
    Row& Date(const char* column, int64_t day) {
      SqlValue& v = Next(column);
      v.kind = SqlValue::Kind::kDate;
      v.number = day;
      return *this;
    }
    Row& DateTime(const char* column, int64_t day, int minute_of_day) {
      SqlValue& v = Next(column);
      v.kind = SqlValue::Kind::kDateTime;
      v.number = day * 86400 + int64_t{minute_of_day} * 60;
      return *this;
    }
    Row& Null(const char* column) {
      Next(column).kind = SqlValue::Kind::kNull;
      return *this;
    }
    // Hands the finished row to the sink.
    void Add();

   private:
    friend class Emitter;
    SqlValue& Next(const char* column) {
      if (learning_) {
        names_.push_back(column);
        columns_.emplace_back(column);
        values_.emplace_back();
      } else if (index_ >= names_.size() ||
                 (names_[index_] != column && std::strcmp(names_[index_], column) != 0)) {
        throw std::logic_error(std::string("sample row of ") + table_ + ": column " + column +
                               " out of place");
      }
      return values_[index_++];
    }
    Emitter* owner_ = nullptr;
    const char* table_ = "";
    bool shared_ = false;
    bool learning_ = true;
    size_t index_ = 0;
    std::vector<const char*> names_;
    std::vector<std::string_view> columns_;
    std::vector<SqlValue> values_;
  };

  explicit Emitter(RowSink& sink) : sink_(sink) {
    for (size_t i = 0; i < rows_.size(); ++i) {
      rows_[i].owner_ = this;
      rows_[i].table_ = kTableNames[i];
    }
    rows_[static_cast<size_t>(Table::kMG52)].shared_ = true;
  }
  Emitter(const Emitter&) = delete;
  Emitter& operator=(const Emitter&) = delete;

  // The row of `table`, emptied, to be filled with Set/Text/... and Add().
  Row& Begin(Table table) {
    Row& row = rows_[static_cast<size_t>(table)];
    row.index_ = 0;
    return row;
  }
  int64_t count(Table table) const { return counts_[static_cast<size_t>(table)]; }

 private:
  void Emit(Row& row) {
    if (row.index_ != row.names_.size()) {
      throw std::logic_error(std::string("sample row of ") + row.table_ + " has " +
                             std::to_string(row.index_) + " of " +
                             std::to_string(row.names_.size()) + " columns");
    }
    row.learning_ = false;
    ++counts_[static_cast<size_t>(&row - rows_.data())];
    sink_.AddRow(TableRow{row.table_, row.shared_, &row.columns_, &row.values_});
  }

  RowSink& sink_;
  std::array<Row, static_cast<size_t>(Table::kCount)> rows_;
  std::array<int64_t, static_cast<size_t>(Table::kCount)> counts_{};
};

inline void Emitter::Row::Add() { owner_->Emit(*this); }

// Decimal helpers. Quantities of pieces are whole numbers; quantities of
// measured goods carry the article's decimals.
inline Decimal Dec(int64_t whole) { return Decimal(whole); }
// units / 10^scale: Scaled(1650, 3) = 1.650.
inline Decimal Scaled(int64_t units, int scale) {
  return Decimal::FromParts(0, static_cast<uint64_t>(units < 0 ? -units : units), scale, units < 0);
}

}  // namespace zv::sample::internal

#endif  // ZV_APPS_SAMPLE_ROWS_H_
