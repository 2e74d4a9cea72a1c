// Internal to the sample generator: the company generator that writes the
// documents of one company, and the small calendar and quantity helpers it
// shares between its files (sample_orders.cpp plans and writes production
// orders; sample_documents.cpp writes headers, rows, stock and proposals).
#ifndef ZV_APPS_SAMPLE_COMPANY_H_
#define ZV_APPS_SAMPLE_COMPANY_H_

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "apps/sample_catalog.h"
#include "apps/sample_generator.h"
#include "apps/sample_rows.h"
#include "data/decimal.h"

namespace zv::sample::internal {

constexpr int kMinuteStart = 8 * 60;  // shifts start at 08:00
constexpr int kMinuteEnd = 17 * 60;   // and end at 17:00

// Document kinds.
struct DocKind {
  const char* code;
  int kind;
  int sub_kind;
};
constexpr DocKind kCustomerOrder{"ORC", 10, 1};
constexpr DocKind kProductionOrder{"ODP", 12, 3};
constexpr DocKind kSubcontractOrder{"OCL", 12, 4};
constexpr DocKind kPickingList{"LPR", 14, 2};
constexpr DocKind kDeliveryNote{"DDT", 25, 13};

// Movement kinds of DO57_DETAVANZ.
constexpr int kMoveProgress = 1;
constexpr int kMoveReturn = 2;
constexpr int kMoveReceipt = 6;
constexpr int kMoveIssue = 7;

inline int YearOf(int64_t day) {
  int y, m, d;
  CivilFromDays(day, &y, &m, &d);
  return y;
}
inline int MonthOf(int64_t day) {
  int y, m, d;
  CivilFromDays(day, &y, &m, &d);
  return m;
}

// A text cut to `max_chars` characters without splitting a UTF-8 sequence.
inline std::string Truncated(const std::string& text, size_t max_chars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == max_chars) return text.substr(0, i);
      ++chars;
    }
  }
  return text;
}

// Relative weights of the sizes of a run (a bell centred on the middle).
inline std::vector<int64_t> SizeWeights(size_t count) {
  std::vector<int64_t> w(count);
  const auto n = static_cast<int64_t>(count);
  for (int64_t i = 0; i < n; ++i) {
    const int64_t twice = 2 * i - (n - 1);
    const int64_t distance = (twice < 0 ? -twice : twice) / 2;  // sizes from the middle
    w[static_cast<size_t>(i)] = std::max<int64_t>(1, 12 - distance * distance * 2);
  }
  return w;
}

// Splits `total` pieces over `weights` by largest remainder, so the parts add
// up to the total exactly.
inline std::vector<int64_t> Split(int64_t total, const std::vector<int64_t>& weights) {
  int64_t sum = 0;
  for (int64_t w : weights) sum += w;
  std::vector<int64_t> parts(weights.size());
  std::vector<std::pair<int64_t, size_t>> remainders;
  int64_t given = 0;
  for (size_t i = 0; i < weights.size(); ++i) {
    parts[i] = total * weights[i] / sum;
    given += parts[i];
    remainders.push_back({total * weights[i] % sum, i});
  }
  std::stable_sort(remainders.begin(), remainders.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t k = 0; given < total; ++k, ++given) ++parts[remainders[k % remainders.size()].second];
  return parts;
}

// Moves a Saturday or Sunday to the Monday after.
inline int64_t WorkDay(int64_t day) {
  const int64_t weekday = ((day + 4) % 7 + 7) % 7;  // 0 = Sunday
  return weekday == 6 ? day + 2 : weekday == 0 ? day + 1 : day;
}

// One phase row (DO46) of a production-order row.
struct PhaseRow {
  int progdet = 0;
  int seq_code = 0;
  int seq_pos = 0;
  int code = 0;
  int sub = 0;  // 0 = main phase
  std::string description;
  bool external = false;
  int supplier = -1;
  std::string department, machine, depot;
  int64_t start = 0, end = 0;  // planned days
  Decimal hours;
  int64_t input = 0;  // pieces that reached the phase
  int64_t good = 0, scrap = 0;
  int64_t sent = 0;    // sent to the subcontractor
  int64_t listed = 0;  // on a picking list
  int state = 0;
  int mes = 0;  // 0 = not on the shop floor
  bool ocl = false;
  bool has_subs = false;
  bool last_main = false;
  int64_t worked_from = 0;  // planned day work started (0 = not started)
};

struct OrderRow {
  int progriga = 0;
  int parent = 0;  // PROGPADRE
  bool is_parent = false;
  int article = -1;
  std::string colour, size, fit, variant;
  int size_offset = 0;  // sizes above (+) or below (-) the middle of the run
  int64_t qty = 0;
  Decimal qty2;
  std::string depot;
  std::vector<PhaseRow> phases;
  int64_t delivered = 0;
  Decimal delivered2;
  int state = 0;
  bool closed = false;
  std::string combination;
  int group = 0;  // the colour and fit group within the order
};

struct Schedule {
  std::vector<std::pair<int64_t, int64_t>> steps;  // planned start and end day per step
  int64_t start = 0;
  int64_t delivery = 0;
};

struct DocHeader {
  std::string numreg;
  int64_t numdoc = 0;
  int64_t date = 0;
};

// The fields of a document row (DO30).
struct DocRow {
  int progriga = 0;
  int parent = 0;
  bool is_parent = false;
  const Article* article = nullptr;
  std::string variant, description;
  int64_t qty = 0;
  Decimal qty2;
  Decimal price;  // 0 = no price
  std::string depot;
  int phase = 0;  // 0 = none
  std::string combination;
};

// The order data of a document row (DO31).
struct OrderData {
  int64_t start = 0, delivery = 0, delivery_orig = 0;
  int state = 0;
  bool closed = false;
  int64_t delivered = 0;
  Decimal delivered2;
};

// A customer's reference printed on our documents.
struct CustomerRef {
  std::string number, text;
  int64_t date = 0;
};

class CompanyGenerator {
 public:
  CompanyGenerator(const SampleOptions& options, RowSink& sink)
      : options_(options), rng_(MixSeed(options)), out_(sink) {}

  GenerationSummary Run();

 private:
  static uint64_t MixSeed(const SampleOptions& o) {
    return o.seed * 0x9E3779B97F4A7C15ull +
           static_cast<uint64_t>(o.company) * 0xD1B54A32D192ED03ull + 0x5A17u;
  }
  const Article& Art(int index) const { return cat_.articles[static_cast<size_t>(index)]; }
  const Party& PartyAt(int index) const { return cat_.parties[static_cast<size_t>(index)]; }
  Decimal Qty2(const Article& a, int64_t pieces) const {
    return a.um2.empty() ? Decimal() : (Decimal(pieces) * a.coeff_um2).Round(3);
  }
  static std::string Key(const std::string& article, const std::string& variant,
                         const std::string& depot) {
    return article + '|' + variant + '|' + depot;
  }

  DocHeader NewDocument(const DocKind& kind, int64_t date, const std::string& section,
                        const Party* party, const std::string& depot, const std::string& note);
  void EmitCustomerRef(const DocHeader& h, const CustomerRef& ref);
  void EmitDocRow(const DocHeader& h, const DocRow& row);
  void EmitOrderData(const DocHeader& h, int progriga, const OrderData& d);
  void EmitProject(const DocHeader& h, int progriga, const std::string& project, int sub_project,
                   const std::string& job, int sub_job);
  void EmitReference(const std::string& numreg, int progriga, int progrif,
                     const std::string& ref_numreg, int ref_progriga, const CustomerRef* ref);
  // One phase row; `receipt_depot` receives the good pieces of the last phase.
  void EmitPhase(const std::string& numreg, int progriga, int progdet, const PhaseRow& p,
                 const Article& a, int64_t ordered, bool list_row, const std::string& note,
                 const std::string& receipt_depot);
  void EmitMovement(const DocHeader& h, int progriga, int progdet, int progmov, int kind,
                    int64_t day, int minute, int64_t good, int64_t scrap, const Article& a,
                    const std::string& depot, const Decimal& hours, const std::string& machine);

  int64_t ProductionOrder(int64_t rows_left);
  void PlanGroups(std::vector<OrderRow>& rows, int64_t rows_left, bool made_to_order,
                  const Party* customer);
  void PlanSemiFinished(std::vector<OrderRow>& rows, int64_t rows_left);
  Schedule PlanSchedule(const Article& a, int64_t qty, int64_t start) const;
  void PlanPhases(OrderRow& row, const Article& a, const Schedule& s, int64_t effective_today,
                  bool launched, const std::vector<bool>& hold);
  void SettleRow(OrderRow& row, bool launched, int64_t datadoc) const;
  void EmitRowDetail(const DocHeader& h, const OrderRow& row, const Article& a, int64_t delay);
  void EmitExternalDocuments(const DocHeader& order, const std::vector<OrderRow>& rows,
                             int64_t delay, bool launched, int64_t launch_day);
  std::string PhaseNote(const Article& a, const PhaseRow& p, bool made_to_order) const;
  std::string ProjectFor(const Article& a, int64_t delivery, const Party* customer) const;
  std::string ComponentVariant(const BomLine& line, const Article& component,
                               const OrderRow& row) const;
  int ComponentPhase(const Article& a, const BomLine& line) const;
  CustomerRef NewCustomerRef(const Party& customer, int64_t date);
  void CustomerOrdersToPlan();
  void Stock();
  void Proposals();
  // Writes one proposal and its number; returns the number. `group_parent`
  // is the first proposal of its size group, 0 for the first itself.
  int64_t Proposal(int kind, const Article& a, const std::string& variant, int64_t group_parent,
                   const Decimal& qty, int64_t need, int origin,
                   const std::string& origin_numreg, int origin_row,
                   const std::string& maker, int phase, const std::string& project,
                   const std::string& job, const std::string& note, int priority);

  const SampleOptions& options_;
  Rng rng_;
  Emitter out_;
  Catalog cat_;
  int64_t today_ = 0;
  int32_t co_ = 0;
  std::map<std::string, int64_t> counters_;  // document type and year -> last number
  int64_t production_orders_ = 0;
  int64_t production_rows_ = 0;
  int64_t documents_ = 0;
  int64_t jobs_ = 0;
  int64_t last_proposal_ = 0;
  bool firmed_ = false;  // the proposal group being written is firmed
  bool made_to_order_ = false;

  struct StockAgg {
    Decimal committed, on_order, received;
  };
  std::map<std::string, StockAgg> stock_;
  struct Shortage {
    int article;
    std::string variant, depot;
    Decimal missing;
  };
  std::vector<Shortage> shortages_;
  // Rows of customer orders not planned yet: the proposals cover them.
  struct OpenCustomerRow {
    std::string numreg;
    int progriga;
    int article;
    std::string variant;
    int64_t qty;
    int64_t delivery;
    std::string project, job;
    int group;
  };
  std::vector<OpenCustomerRow> open_customer_rows_;
  std::vector<int> garments_;  // orderable garments
  std::vector<int> semi_finished_;
};

}  // namespace zv::sample::internal

#endif  // ZV_APPS_SAMPLE_COMPANY_H_
