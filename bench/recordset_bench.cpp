// Record-set goals: equality filters answered from hash indexes against a
// plain scan, their cost as the set grows, and the size of the row store.
//
// The rows look like merge work rows: order number, line, article, option,
// warehouse, delivery date, phase, sub-phase, ten quantities, project and a
// note. Article and phase are the filter keys; every (article, phase) pair
// matches about eight rows, scattered over the set.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/goals.h"
#include "data/datetime.h"
#include "data/recordset.h"

namespace zv {
namespace {

constexpr int kRowsPerKey = 8;
constexpr int kPhasesPerArticle = 10;

struct OrderSet {
  std::shared_ptr<Recordset> rs;
  int key_count = 0;
  double raw_bytes_per_row = 0;  // value bytes without any container
};

std::string Padded(const char* prefix, uint64_t n, int digits) {
  std::string s = std::to_string(n);
  if (static_cast<int>(s.size()) < digits) s.insert(0, digits - s.size(), '0');
  return prefix + s;
}

std::string ArticleOf(int key) { return Padded("ART", key / kPhasesPerArticle, 6); }
int PhaseOf(int key) { return (key % kPhasesPerArticle) * 10 + 10; }

OrderSet BuildOrders(int rows, uint32_t seed) {
  OrderSet out;
  out.rs = std::make_shared<Recordset>();
  Recordset& rs = *out.rs;
  rs.AppendField("DO11_NUMREG_CO99", ado::kChar, 12);
  rs.AppendField("DO30_PROGRIGA", ado::kNumeric, 0, ado::kFldIsNullable, 6, 0);
  rs.AppendField("DO30_CODART_MG66", ado::kChar, 25);
  rs.AppendField("DO30_OPZIONE_MG5E", ado::kChar, 20);
  rs.AppendField("DEPRIGA", ado::kChar, 2);
  rs.AppendField("DO31_DATACONS", ado::kDate);
  rs.AppendField("DO46_CODFASE", ado::kNumeric, 0, ado::kFldIsNullable, 5, 0);
  rs.AppendField("DO46_PROGSFASE", ado::kNumeric, 0, ado::kFldIsNullable, 4, 0);
  for (int q = 0; q < 10; ++q) {
    rs.AppendField("QTA" + std::to_string(q), ado::kNumeric, 0, ado::kFldIsNullable, 17, 6);
  }
  rs.AppendField("DO41_CODPROGETTO", ado::kVarChar, 25);
  rs.AppendField("NOTE", ado::kVarChar, 60);
  rs.Open();

  out.key_count = std::max(1, rows / kRowsPerKey);
  std::mt19937 rng(seed);
  const char* options[] = {"BLU", "NERO", "BIANCO", "ROSSO VIVO"};
  DateValue base = MakeDate({2024, 1, 1});
  double raw = 0;
  std::vector<Variant> values(20);
  for (int i = 0; i < rows; ++i) {
    int key = static_cast<int>(rng() % out.key_count);
    std::string numreg = Padded("2024/", i / 20, 7);
    std::string art = ArticleOf(key);
    std::string option = options[rng() % 4];
    std::string project = Padded("PRJ-", rng() % 500, 4);
    std::string note = "Lotto " + Padded("", i, 8) + " taglio e confezione";
    values[0] = Variant(numreg);
    values[1] = Variant(Decimal(i % 20 + 1));
    values[2] = Variant(art);
    values[3] = Variant(option);
    values[4] = Variant("01");
    values[5] = Variant(DateValue{base.days + static_cast<double>(rng() % 365)});
    values[6] = Variant(Decimal(PhaseOf(key)));
    values[7] = Variant(Decimal(static_cast<int>(rng() % 3)));
    for (int q = 0; q < 10; ++q) {
      values[8 + q] = Variant(Decimal::FromParts(0, rng() % 100000000, 6, false));
    }
    values[18] = Variant(project);
    values[19] = Variant(note);
    rs.LoadRow(values);
    // Raw size: text bytes, 16 per decimal (the platform decimal), 8 per date.
    raw += numreg.size() + art.size() + option.size() + 2 + project.size() + note.size() +
           8 + 16 * 13;
  }
  out.raw_bytes_per_row = raw / rows;
  return out;
}

std::string Criteria(int key) {
  return "DO30_CODART_MG66 = '" + ArticleOf(key) + "' AND DO46_CODFASE = " +
         std::to_string(PhaseOf(key));
}

// Sets one filter per key in `keys` and reads three values of every
// matching row. Returns the rows read.
int64_t FilterAndRead(Recordset& rs, const std::vector<int>& keys) {
  int art = rs.FieldIndex("DO30_CODART_MG66");
  int qty = rs.FieldIndex("QTA0");
  int line = rs.FieldIndex("DO30_PROGRIGA");
  int64_t read = 0;
  for (int key : keys) {
    rs.SetFilter(Variant(Criteria(key)));
    while (!rs.Eof()) {
      Variant a = rs.Value(art);
      Variant q = rs.Value(qty);
      Variant l = rs.Value(line);
      read += !a.IsNull() + !q.IsNull() + !l.IsNull();
      rs.MoveNext();
    }
  }
  return read / 3;
}

std::vector<int> RandomKeys(int count, int key_count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<int> keys(count);
  for (int& k : keys) k = static_cast<int>(rng() % key_count);
  return keys;
}

double Seconds(const std::function<void()>& fn) {
  auto a = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

size_t HeapInUse() {
  struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

std::string Fmt(const char* format, double a, double b = 0, double c = 0) {
  char buf[256];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

// Per-filter seconds of the indexed filter on a set of `rows` rows (median
// of three passes of `changes` filter changes; the index is built first).
double IndexedPerFilter(Recordset& rs, int key_count, int changes) {
  rs.use_filter_indexes = true;
  FilterAndRead(rs, {0});  // builds the index
  std::vector<int> keys = RandomKeys(changes, key_count, 7);
  return bench::MedianSeconds(3, [&] { FilterAndRead(rs, keys); }) / changes;
}

ZV_GOAL("recordset_filter_speedup_100k") {
  OrderSet set = BuildOrders(100000, 1);
  Recordset& rs = *set.rs;
  const int indexed_changes = 100000;
  const int scan_changes = 100;
  double indexed = IndexedPerFilter(rs, set.key_count, indexed_changes);

  // The same filters as a plain scan, on fewer changes; the rows found must
  // be the same.
  std::vector<int> keys = RandomKeys(scan_changes, set.key_count, 11);
  rs.use_filter_indexes = true;
  int64_t rows_indexed = FilterAndRead(rs, keys);
  rs.use_filter_indexes = false;
  int64_t rows_scanned = 0;
  double scan = Seconds([&] { rows_scanned = FilterAndRead(rs, keys); }) / scan_changes;
  rs.use_filter_indexes = true;
  if (rows_indexed != rows_scanned) {
    bench::ReportDetail(Fmt("recordset_filter_speedup_100k: MISMATCH indexed %.0f rows, "
                            "scan %.0f rows",
                            static_cast<double>(rows_indexed),
                            static_cast<double>(rows_scanned)));
  }
  bench::ReportDetail(Fmt("recordset 100k rows: indexed %.2f us/filter, scan %.1f us/filter, "
                          "%.1f rows/filter",
                          indexed * 1e6, scan * 1e6,
                          static_cast<double>(rows_scanned) / scan_changes));
  double speedup = rows_indexed == rows_scanned ? scan / indexed : 0;
  bench::ReportGoal("recordset_filter_speedup_100k", speedup, 50, false, "x");
}

ZV_GOAL("recordset_filter_scaling") {
  double per_100k;
  double per_200k;
  {
    OrderSet set = BuildOrders(100000, 2);
    per_100k = IndexedPerFilter(*set.rs, set.key_count, 100000);
  }
  {
    OrderSet set = BuildOrders(200000, 3);
    per_200k = IndexedPerFilter(*set.rs, set.key_count, 100000);
  }
  bench::ReportDetail(Fmt("recordset indexed filter: %.2f us at 100k rows, %.2f us at 200k rows",
                          per_100k * 1e6, per_200k * 1e6));
  bench::ReportGoal("recordset_filter_scaling", per_200k / per_100k, 1.3, true, "x");
}

ZV_GOAL("recordset_bytes_per_row") {
  const int rows = 1000000;
  size_t heap_before = HeapInUse();
  OrderSet set;
  double build = Seconds([&] { set = BuildOrders(rows, 4); });
  size_t heap_rows = HeapInUse() - heap_before;
  Recordset& rs = *set.rs;
  size_t accounted = rs.RowStorageBytes();

  // 100,000 filter changes on the two keys, each followed by reading the
  // matching rows; the first one builds the index.
  size_t heap_before_index = HeapInUse();
  double first = Seconds([&] { FilterAndRead(rs, {0}); });
  size_t heap_index = HeapInUse() - heap_before_index;
  std::vector<int> keys = RandomKeys(100000, set.key_count, 5);
  int64_t read = 0;
  double run = Seconds([&] { read = FilterAndRead(rs, keys); });

  double per_row_heap = static_cast<double>(heap_rows) / rows;
  double per_row_accounted = static_cast<double>(accounted) / rows;
  bench::ReportDetail(Fmt("recordset 1M rows x 20 fields: built in %.2f s; first filter "
                          "(index build) %.3f s; 100,000 filters + reads %.2f s",
                          build, first, run));
  bench::ReportDetail(Fmt("recordset 1M rows: %.2f us per filter change, %.1f rows read per filter",
                          run / 1e5 * 1e6, static_cast<double>(read) / 1e5));
  bench::ReportDetail(Fmt("recordset row store: %.1f B/row measured (heap), %.1f B/row "
                          "accounted, raw values %.1f B/row",
                          per_row_heap, per_row_accounted, set.raw_bytes_per_row));
  bench::ReportDetail(Fmt("recordset key index: %.1f B/row measured (heap), %.1f B/row "
                          "accounted",
                          static_cast<double>(heap_index) / rows,
                          static_cast<double>(rs.IndexBytes()) / rows));
  double ratio = std::max(per_row_heap, per_row_accounted) / set.raw_bytes_per_row;
  bench::ReportGoal("recordset_bytes_per_row", ratio, 3.0, true, "x raw");
}

}  // namespace
}  // namespace zv
