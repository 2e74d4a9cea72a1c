#include "merge/merged_view.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>

#include "merge/filter_text.h"
#include "shell/module.h"
#include "shell/vestaro_enums.h"

namespace zv {

Decimal Quantity(const Variant& value) {
  // Decimals and Null, by far the most common, without going through CDecN.
  if (value.type() == VarType::kDecimal) return value.ToDecimal();
  if (value.IsNull() || value.IsEmpty()) return Decimal();
  return CDecN(value).ToDecimal();
}

int32_t KeyNumber(const Variant& value) { return CDecN(value).ToLong(); }

std::string KeyText(const Variant& value) { return SpliceText(NVL(value, Variant(""))); }

OrderUnitColumns OrderColumnsFor(int32_t pgm_chiamante, int unit) {
  const bool second = unit == 2;
  switch (pgm_chiamante) {
    case FbGenerazioneOrdiniDaDocumenti:
      return second ? OrderUnitColumns{"DO30_QTA2", "DO31_QTA2CONS", "WKQTA2ORD", "WKQTA1ORD"}
                    : OrderUnitColumns{"DO30_QTA1", "DO31_QTA1CONS", "WKQTA1ORD", "WKQTA2ORD"};
    case FbGenerazioneDdtDaListaPrel:
    case FbGenerazioneDdtDaListaTrasf:
      return second
                 ? OrderUnitColumns{"DO30_QTA2", "QTA2CONS", "QTA2DACONS", "DO31_QTA2CONS"}
                 : OrderUnitColumns{"DO30_QTA1", "DO31_QTA1CONS", "DO31_QTA2CONS", "QTA2DACONS"};
    default:
      return second ? OrderUnitColumns{"QTA2ORD", "QTA2TRASF", "QTA2DATRASF", "QTADATRASF"}
                    : OrderUnitColumns{"QTAORD", "QTATRASF", "QTADATRASF", "QTA2DATRASF"};
  }
}

PhaseUnitColumns PhaseColumnsFor(int unit) {
  if (unit == 2) {
    return {"DO46_QTA2ORD",     "DO46_QTA2CONSOLID", "DO46_QTA2DAAVANZ",
            "DO46_QTA2DASCART", "DO46_QTADAAVANZ",   "DO46_QTADASCART"};
  }
  return {"DO46_QTA1ORD",    "DO46_QTA1CONSOLID", "DO46_QTADAAVANZ",
          "DO46_QTADASCART", "DO46_QTA2DAAVANZ",  "DO46_QTA2DASCART"};
}

Decimal TakeUpTo(const Decimal& limit, const Decimal& remaining) {
  if (remaining >= limit) return limit;
  if (remaining <= Decimal(0)) return Decimal(0);
  return remaining;
}

Decimal ProportionalShare(const Decimal& open, const Decimal& target,
                          const Decimal& merged_open, int32_t rows) {
  return ProportionalShares(target, merged_open, rows).For(open);
}

Decimal ProportionalShares::For(const Decimal& open) {
  if (open.IsZero()) {
    if (!even_) even_ = merged_open_ / Decimal(rows_);
    return *even_;
  }
  const Decimal hundred(100);
  if (!percent_) percent_ = target_ / merged_open_.Abs() * hundred;
  return (open * *percent_ / hundred).Abs().Round(3);
}

void RowList::AddView(Recordset& rs) {
  if (!FirstRow(rs)) return;
  while (!rs.Eof()) {
    Add(rs.GetBookmark());
    rs.MoveNext();
  }
}

const std::vector<Bookmark>& RowList::rows() const {
  if (!unique_) {
    // Sorted by row, then by position, the first meeting of each row wins.
    std::vector<std::pair<Bookmark, uint32_t>> met;
    met.reserve(rows_.size());
    for (uint32_t i = 0; i < rows_.size(); ++i) met.push_back({rows_[i], i});
    std::sort(met.begin(), met.end());
    std::vector<uint32_t> keep;
    keep.reserve(met.size());
    for (size_t i = 0; i < met.size(); ++i)
      if (i == 0 || met[i].first != met[i - 1].first) keep.push_back(met[i].second);
    std::sort(keep.begin(), keep.end());
    std::vector<Bookmark> unique;
    unique.reserve(keep.size());
    for (uint32_t i : keep) unique.push_back(rows_[i]);
    rows_ = std::move(unique);
    unique_ = true;
  }
  return rows_;
}

bool FirstRow(Recordset& rs) {
  if (rs.RecordCount() == 0) return false;
  rs.MoveFirst();
  return true;
}

namespace {

// The four parts of a row key (register number, row, phase, sub-phase), as
// the columns that hold them or as the fragments a filter writes them with.
struct KeyParts {
  const char* numreg;
  const char* progriga;
  const char* fase;
  const char* sfase;
};

KeyFilter FilterOnKey(const MergedRowKey& key, const KeyParts& terms, bool with_phase) {
  KeyFilter filter;
  filter.Text(terms.numreg, key.numreg).Number(terms.progriga, key.progriga);
  if (with_phase) filter.Number(terms.fase, key.fase).Number(terms.sfase, key.sfase);
  return filter;
}

MergedRowKey ReadKey(const Recordset& row, const KeyParts& columns, bool by_phase) {
  MergedRowKey key;
  key.numreg = KeyText(row.Value(columns.numreg));
  key.progriga = KeyNumber(row.Value(columns.progriga));
  key.fase = KeyNumber(row.Value(columns.fase));
  key.sfase = KeyNumber(row.Value(columns.sfase));
  key.by_phase = by_phase;
  return key;
}

}  // namespace

MergedRowKey KeyOfOrderRow(const Recordset& row, bool by_phase) {
  return ReadKey(row, {"DO11_NUMREG_CO99", "DO30_PROGRIGA", "DO46_CODFASE", "DO46_PROGSFASE"},
                 by_phase);
}

MergedRowKey KeyOfPhase(const Recordset& row) {
  return ReadKey(row, {"DO46_NUMREG_CO99", "DO46_PROGRIGA", "DO46_CODFASE", "DO46_PROGSFASE"},
                 false);
}

KeyFilter LinksOfMergedRow(const MergedRowKey& key) {
  return FilterOnKey(
      key, {"DESTI_NUMREG = ", "DESTI_PROGRIGA = ", "DESTI_CODFASE = ", "DESTI_PROGSFASE = "},
      key.by_phase);
}

KeyFilter MergedOrderRow(const MergedRowKey& key) {
  return FilterOnKey(key,
                     {"DO11_NUMREG_CO99 = ", "DO30_PROGRIGA    = ", "DO46_CODFASE = ",
                      "DO46_PROGSFASE = "},
                     key.by_phase);
}

KeyFilter MergedPhase(const MergedRowKey& key) {
  return FilterOnKey(key,
                     {"DO46_NUMREG_CO99 = ", "DO46_PROGRIGA    = ", "DO46_CODFASE     = ",
                      "DO46_PROGSFASE   = "},
                     true);
}

namespace {

int ColumnOrMissing(const Recordset& rs, const char* name) {
  std::optional<int> field = rs.FindField(name);
  return field ? *field : -1;
}

}  // namespace

LinkColumns::LinkColumns(const Recordset& links, const char* sub_phase_column)
    : numreg(ColumnOrMissing(links, "ORIG_NUMREG")),
      progriga(ColumnOrMissing(links, "ORIG_PROGRIGA")),
      fase(ColumnOrMissing(links, "ORIG_CODFASE")),
      sfase(ColumnOrMissing(links, sub_phase_column)),
      sub_phase_name(sub_phase_column) {}

Variant LinkColumns::Read(const Recordset& links, int column, const char* name) const {
  return column >= 0 ? links.Value(column) : links.Value(name);
}

LinkFilterShape LinkedOrderRowShape(const LinkColumns& columns, bool by_phase) {
  LinkFilterShape shape;
  shape.numreg = "DO11_NUMREG_CO99 = ";
  shape.numbers.push_back({"DO30_PROGRIGA    = ", columns.progriga, "ORIG_PROGRIGA", {}});
  if (by_phase) {
    shape.numbers.push_back({"DO46_CODFASE = ", columns.fase, "ORIG_CODFASE", {}});
    shape.numbers.push_back({"DO46_PROGSFASE = ", columns.sfase, columns.sub_phase_name, {}});
  }
  return shape;
}

LinkFilterShape LinkedPhaseShape(const LinkColumns& columns, const Variant& fase,
                                 const Variant& sfase, std::string_view sub_phase_term) {
  LinkFilterShape shape;
  shape.numreg = "DO46_NUMREG_CO99 = ";
  shape.numbers.push_back({"DO46_PROGRIGA    = ", columns.progriga, "ORIG_PROGRIGA", {}});
  shape.numbers.push_back({"DO46_CODFASE     = ", -1, "", fase});
  shape.numbers.push_back({sub_phase_term, -1, "", sfase});
  return shape;
}

namespace {

// The filter of one link: the register number, the numbers, the extra term.
KeyFilter FilterOfLink(std::string_view numreg, const std::vector<Variant>& values,
                       const LinkFilterShape& shape) {
  KeyFilter filter;
  filter.Text(shape.numreg, numreg);
  for (size_t i = 0; i < shape.numbers.size(); ++i)
    filter.Number(shape.numbers[i].fragment, values[i]);
  if (!shape.extra.empty()) filter.Term(shape.extra);
  return filter;
}

Variant NumberOfLink(const Recordset& links, const LinkColumns& columns, const NumberTerm& t) {
  return t.link_name[0] == '\0' ? t.fixed : columns.Read(links, t.link_column, t.link_name);
}

KeyFilter FilterOfCurrentLink(const Recordset& links, const LinkColumns& columns,
                              const LinkFilterShape& shape) {
  std::vector<Variant> values;
  for (const NumberTerm& t : shape.numbers) values.push_back(NumberOfLink(links, columns, t));
  return FilterOfLink(SpliceText(columns.Read(links, columns.numreg, "ORIG_NUMREG")), values,
                      shape);
}

}  // namespace

KeyFilter LinkedOrderRow(const Recordset& links, bool by_phase, const char* sub_phase_column) {
  const LinkColumns columns(links, sub_phase_column);
  return FilterOfCurrentLink(links, columns, LinkedOrderRowShape(columns, by_phase));
}

KeyFilter LinkedPhase(const Recordset& links, const Variant& fase, const Variant& sfase,
                      std::string_view sub_phase_term) {
  const LinkColumns columns(links);
  return FilterOfCurrentLink(links, columns,
                             LinkedPhaseShape(columns, fase, sfase, sub_phase_term));
}

namespace {

// Links that name the same register number this many times are answered
// from one filter on it.
constexpr size_t kSharedRegister = 4;

// The column a number term is written on ("DO30_PROGRIGA    = " names
// DO30_PROGRIGA), or "" when the term is not an equality.
std::string_view EqualityColumn(std::string_view fragment) {
  size_t end = 0;
  while (end < fragment.size() && fragment[end] != ' ' && fragment[end] != '=') ++end;
  std::string_view rest = fragment.substr(end);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (end == 0 || rest.empty() || rest.front() != '=') return {};
  rest.remove_prefix(1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  return rest.empty() ? fragment.substr(0, end) : std::string_view();
}

// Field types whose values compare exactly as decimals.
bool IsExactNumber(int type) {
  switch (type) {
    case ado::kSmallInt: case ado::kInteger: case ado::kCurrency: case ado::kDecimal:
    case ado::kTinyInt: case ado::kUnsignedTinyInt: case ado::kUnsignedSmallInt:
    case ado::kUnsignedInt: case ado::kBigInt: case ado::kUnsignedBigInt: case ado::kNumeric:
      return true;
    default:
      return false;
  }
}

// A whole number a key term can hold, or nullopt for Null, a fraction, a
// value too large, or a text that does not read as a number (the filter is
// then set as it is).
std::optional<int64_t> WholeNumber(const Variant& value) {
  if (value.type() == VarType::kDecimal) {
    const Decimal d = value.ToDecimal();
    if (d.scale() == 0 && d.hi() == 0 && d.lo() <= (uint64_t{1} << 62)) {
      const int64_t n = static_cast<int64_t>(d.lo());
      return d.negative() ? -n : n;
    }
  }
  std::optional<Decimal> d;
  if (value.IsNumber()) {
    d = value.ToDecimal();
  } else if (value.IsString()) {
    d = Decimal::Parse(value.StringRef());
  }
  if (!d) return std::nullopt;
  const Decimal whole = d->Normalize();
  if (whole.scale() != 0 || whole.hi() != 0 || whole.lo() > (uint64_t{1} << 62))
    return std::nullopt;
  const int64_t n = static_cast<int64_t>(whole.lo());
  return whole.negative() ? -n : n;
}

// The numbers of a key, up to four (compared number by number).
struct NumberKey {
  std::array<int64_t, 4> n{};
  friend bool operator==(const NumberKey& a, const NumberKey& b) {
    return a.n[0] == b.n[0] && a.n[1] == b.n[1] && a.n[2] == b.n[2] && a.n[3] == b.n[3];
  }
  friend bool operator<(const NumberKey& a, const NumberKey& b) {
    for (size_t i = 0; i < 4; ++i)
      if (a.n[i] != b.n[i]) return a.n[i] < b.n[i];
    return false;
  }
};

// One link: which register number it names (an index into the walk's
// list of them) and its numbers, when they are whole.
struct LinkEntry {
  uint32_t reg;
  std::optional<NumberKey> key;
};

// The origin rows of one register number, sorted by their numbers (rows
// with the same numbers in the order of the filtered view).
struct Register {
  size_t links = 0;
  bool loaded = false;
  bool usable = true;
  struct Row {
    NumberKey key;
    uint32_t position;
    Bookmark row;
  };
  std::vector<Row> rows;

  void AddTo(const NumberKey& key, RowList& list) const {
    auto at = std::lower_bound(rows.begin(), rows.end(), key,
                               [](const Row& r, const NumberKey& k) { return r.key < k; });
    for (; at != rows.end() && at->key == key; ++at) list.Add(at->row);
  }
};

void LoadRegister(Recordset& origin, const LinkFilterShape& shape, const std::string& numreg,
                  Register& reg) {
  reg.loaded = true;
  std::vector<int> columns;
  for (const NumberTerm& t : shape.numbers) {
    std::string_view name = EqualityColumn(t.fragment);
    std::optional<int> field = name.empty() ? std::nullopt : origin.FindField(name);
    if (!field || !IsExactNumber(origin.Field(*field).type)) {
      reg.usable = false;
      return;
    }
    columns.push_back(*field);
  }
  KeyFilter filter;
  filter.Text(shape.numreg, numreg);
  if (!shape.extra.empty()) filter.Term(shape.extra);
  origin.SetFilter(filter);
  if (!FirstRow(origin)) return;
  reg.rows.reserve(static_cast<size_t>(origin.RecordCount()));
  for (; !origin.Eof(); origin.MoveNext()) {
    NumberKey key;
    bool whole = true;
    for (size_t i = 0; i < columns.size() && whole; ++i) {
      std::optional<int64_t> n = WholeNumber(origin.Value(columns[i]));
      whole = n.has_value();
      if (n) key.n[i] = *n;
    }
    if (whole) {
      reg.rows.push_back({key, static_cast<uint32_t>(reg.rows.size()), origin.GetBookmark()});
    }
  }
  std::sort(reg.rows.begin(), reg.rows.end(), [](const Register::Row& a, const Register::Row& b) {
    return a.key == b.key ? a.position < b.position : a.key < b.key;
  });
}

}  // namespace

void AddRowsOfLinks(Recordset& links, Recordset& origin, const LinkColumns& columns,
                    const LinkFilterShape& shape, RowList& rows) {
  if (!FirstRow(links)) return;
  const size_t width = shape.numbers.size();
  const bool keyed_shape = width <= NumberKey{}.n.size();
  // The links in order; the register numbers they name, each once; the
  // values each link's filter splices (`width` per link).
  std::vector<LinkEntry> entries;
  std::vector<std::string> numregs;
  std::vector<Register> registers;
  std::unordered_map<std::string, uint32_t> register_of;
  std::vector<Variant> values;
  entries.reserve(static_cast<size_t>(links.RecordCount()));
  values.reserve(entries.capacity() * width);
  for (; !links.Eof(); links.MoveNext()) {
    std::string numreg = SpliceText(columns.Read(links, columns.numreg, "ORIG_NUMREG"));
    uint32_t reg;
    if (!numregs.empty() && numregs[entries.back().reg] == numreg) {
      reg = entries.back().reg;  // links of one merged row mostly name one document
    } else {
      auto [it, added] = register_of.try_emplace(numreg, static_cast<uint32_t>(numregs.size()));
      if (added) {
        numregs.push_back(std::move(numreg));
        registers.emplace_back();
      }
      reg = it->second;
    }
    NumberKey key;
    bool whole = keyed_shape;
    for (size_t i = 0; i < width; ++i) {
      values.push_back(NumberOfLink(links, columns, shape.numbers[i]));
      std::optional<int64_t> n = whole ? WholeNumber(values.back()) : std::nullopt;
      whole = n.has_value();
      if (n) key.n[i] = *n;
    }
    entries.push_back({reg, whole ? std::optional<NumberKey>(key) : std::nullopt});
    ++registers[reg].links;
  }
  for (size_t e = 0; e < entries.size(); ++e) {
    const LinkEntry& entry = entries[e];
    Register& reg = registers[entry.reg];
    if (entry.key && reg.links >= kSharedRegister) {
      if (!reg.loaded) LoadRegister(origin, shape, numregs[entry.reg], reg);
      if (reg.usable) {
        reg.AddTo(*entry.key, rows);
        continue;
      }
    }
    const auto first = values.begin() + static_cast<ptrdiff_t>(e * width);
    const std::vector<Variant> link_values(first, first + static_cast<ptrdiff_t>(width));
    origin.SetFilter(FilterOfLink(numregs[entry.reg], link_values, shape));
    rows.AddView(origin);
  }
}

}  // namespace zv
