// Documents of the sample company beyond production planning: headers and
// rows of every document, references, phases and movements as written,
// the customer orders still to plan, stock and the planning proposals; and
// the entry point that generates a whole company.
#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/sample_company.h"
#include "data/datetime.h"

namespace zv::sample {

int64_t DaysFromCivil(int year, int month, int day) {
  return zv::DaysFromCivil(year, month, day);
}

void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  zv::CivilFromDays(days, year, month, day);
}

int64_t GenerationSummary::total_rows() const {
  int64_t total = 0;
  for (const auto& [table, rows] : rows_per_table) total += rows;
  return total;
}

namespace internal {

DocHeader CompanyGenerator::NewDocument(const DocKind& kind, int64_t date,
                                        const std::string& section, const Party* party,
                                        const std::string& depot, const std::string& note) {
  const int year = YearOf(date);
  int64_t& counter = counters_[std::string(kind.code) + std::to_string(year)];
  if (++counter > 99999) {
    throw std::invalid_argument("sample company: more than 99999 documents of type " +
                                std::string(kind.code) + " in " + std::to_string(year) +
                                "; ask for fewer order rows");
  }
  std::string digits = std::to_string(counter);
  DocHeader h{std::to_string(year) + kind.code + std::string(5 - digits.size(), '0') + digits,
              counter, date};
  ++documents_;
  out_.Begin(Table::kCO99)
      .Set("CO99_DITTA_CG18", co_)
      .Text("CO99_NUMREG", h.numreg)
      .Text("CO99_CODMODULO", "DO")
      .Date("CO99_DATAREG", date)
      .Add();
  auto& r = out_.Begin(Table::kDO11)
                .Set("DO11_DITTA_CG18", co_)
                .Text("DO11_NUMREG_CO99", h.numreg)
                .Set("DO11_TIPODOC", kind.kind)
                .Set("DO11_STIPODOC", kind.sub_kind)
                .Text("DO11_DOCUM_MG36", kind.code)
                .Text("DO11_SEZDOC", section)
                .Set("DO11_NUMDOC", h.numdoc)
                .Date("DO11_DATADOC", date)
                .Date("DO11_DATAREG", date);
  if (party != nullptr) {
    r.Text("DO11_TIPOCF_CG44", std::string(1, party->kind)).Set("DO11_CLIFOR_CG44", party->number);
  } else {
    r.Null("DO11_TIPOCF_CG44").Null("DO11_CLIFOR_CG44");
  }
  r.Text("DO11_CODDEP_MG58", depot).TextOrNull("DO11_NOTE", note).Add();
  return h;
}

void CompanyGenerator::EmitCustomerRef(const DocHeader& h, const CustomerRef& ref) {
  out_.Begin(Table::kDO12)
      .Set("DO12_DITTA_CG18", co_)
      .Text("DO12_NUMREG_CO99", h.numreg)
      .Text("DO12_NUMVSDOC", ref.number)
      .Date("DO12_DATAVSDOC", ref.date)
      .Text("DO12_RIFVSDOC", ref.text)
      .Add();
}

void CompanyGenerator::EmitDocRow(const DocHeader& h, const DocRow& row) {
  const Article& a = *row.article;
  auto& r = out_.Begin(Table::kDO30)
                .Set("DO30_DITTA_CG18", co_)
                .Text("DO30_NUMREG_CO99", h.numreg)
                .Set("DO30_PROGRIGA", row.progriga)
                .Set("DO30_PROGPADRE", row.parent)
                .Set("DO30_FLGPADRE", row.is_parent ? 1 : 0)
                .Set("DO30_PROGVISUASTA", row.progriga)
                .Text("DO30_CODART_MG66", a.code)
                .Text("DO30_OPZIONE_MG5E", row.variant)
                .Text("DO30_DESCART", Truncated(row.description, 72))
                .Text("DO30_UM1", a.um1)
                .Set("DO30_QTA1", Decimal(row.qty))
                .TextOrNull("DO30_UM2", a.um2)
                .Set("DO30_QTA2", row.qty2);
  if (row.price.IsZero()) {
    r.Null("DO30_PREZZO1").Null("DO30_IMPORTORIGA").Null("DO30_IMPNETSCP").Null("DO30_IMPNETSCP_VAL");
  } else {
    const Decimal amount = (row.price * Decimal(row.qty)).Round(2);
    r.Set("DO30_PREZZO1", row.price)
        .Set("DO30_IMPORTORIGA", amount)
        .Set("DO30_IMPNETSCP", amount)
        .Set("DO30_IMPNETSCP_VAL", amount);
  }
  r.Text("DO30_CODDEP_MG58", row.depot);
  if (row.phase > 0) {
    r.Set("DO30_CODFASE_PD12", row.phase);
  } else {
    r.Null("DO30_CODFASE_PD12");
  }
  r.TextOrNull("DO30_CODABB_FA02", row.combination).Add();
}

void CompanyGenerator::EmitOrderData(const DocHeader& h, int progriga, const OrderData& d) {
  out_.Begin(Table::kDO31)
      .Set("DO31_DITTA_CG18", co_)
      .Text("DO31_NUMREG_CO99", h.numreg)
      .Set("DO31_PROGRIGA", progriga)
      .Date("DO31_DATAINIZLAV", d.start)
      .Date("DO31_DATACONS", d.delivery)
      .Date("DO31_DATACONSINT", d.delivery)
      .Date("DO31_DATACONSORIG", d.delivery_orig)
      .Set("DO31_INDSTATOCONS", d.state)
      .Set("DO31_FLGNONPIUEV", d.closed ? 1 : 0)
      .Set("DO31_QTA1CONS", Decimal(d.delivered))
      .Set("DO31_QTA2CONS", d.delivered2)
      .Set("DO31_QTA1TRASFDDTCL", Decimal())
      .Add();
}

void CompanyGenerator::EmitProject(const DocHeader& h, int progriga, const std::string& project,
                                   int sub_project, const std::string& job, int sub_job) {
  if (project.empty() && job.empty()) return;
  auto& r = out_.Begin(Table::kDO41)
                .Set("DO41_DITTA_CG18", co_)
                .Text("DO41_NUMREG_CO99", h.numreg)
                .Set("DO41_PROGRIGA", progriga)
                .TextOrNull("DO41_CODPROGETTO", project);
  if (project.empty()) {
    r.Null("DO41_CODSPROGETTO");
  } else {
    r.Set("DO41_CODSPROGETTO", sub_project);
  }
  r.Null("DO41_NODORIF_PD0C").TextOrNull("DO41_CODCOMMESSA", job);
  if (job.empty()) {
    r.Null("DO41_CODSCOMMESSA");
  } else {
    r.Set("DO41_CODSCOMMESSA", sub_job);
  }
  r.Add();
}

void CompanyGenerator::EmitReference(const std::string& numreg, int progriga, int progrif,
                                     const std::string& ref_numreg, int ref_progriga,
                                     const CustomerRef* ref) {
  auto& r = out_.Begin(Table::kDO33)
                .Set("DO33_DITTA_CG18", co_)
                .Text("DO33_NUMREG_CO99", numreg)
                .Set("DO33_PROGRIGA", progriga)
                .Set("DO33_PROGRIF", progrif)
                .Text("DO33_NUMREGRIF_CO99", ref_numreg)
                .Set("DO33_PROGRIGARIF_DO30", ref_progriga);
  if (ref != nullptr) {
    r.Text("DO33_NUMVSDOC", ref->number).Date("DO33_DATAVSDOC", ref->date).Text("DO33_RIFVSDOC", ref->text);
  } else {
    r.Null("DO33_NUMVSDOC").Null("DO33_DATAVSDOC").Null("DO33_RIFVSDOC");
  }
  r.Add();
}

void CompanyGenerator::EmitPhase(const std::string& numreg, int progriga, int progdet,
                                 const PhaseRow& p, const Article& a, int64_t ordered,
                                 bool list_row, const std::string& note,
                                 const std::string& receipt_depot) {
  auto& r = out_.Begin(Table::kDO46)
                .Set("DO46_DITTA_CG18", co_)
                .Text("DO46_NUMREG_CO99", numreg)
                .Set("DO46_PROGRIGA", progriga)
                .Set("DO46_PROGDET", progdet)
                .Set("DO46_CODSEQFASE", p.seq_code)
                .Set("DO46_SEQFASE", p.seq_pos)
                .Set("DO46_CODFASE", p.code)
                .Set("DO46_PROGSFASE", list_row ? 0 : p.sub)
                .Text("DO46_DESCRFASE", p.description)
                .Set("DO46_INDFASEINTEST", p.external ? 1 : 0)
                .Set("DO46_INDSTATOORD", list_row ? 4 : p.state);
  if (p.mes > 0 && !list_row) {
    r.Set("DO46_INDSTATOMES", p.mes);
  } else {
    r.Null("DO46_INDSTATOMES");
  }
  r.Set("DO46_FLGGENORDCLAV", p.ocl ? 1 : 0);
  if (p.external) {
    r.Text("DO46_TIPOCF_CG44", "F").Set("DO46_CLIFOR_CG44", PartyAt(p.supplier).number);
  } else {
    r.Null("DO46_TIPOCF_CG44").Null("DO46_CLIFOR_CG44");
  }
  r.TextOrNull("DO46_CODREPARTO", p.department)
      .TextOrNull("DO46_MACCHINAALT", p.machine)
      .Text("DO46_CODDEP_MG58", p.depot)
      .DateTime("DO46_DATAINIZIO", p.start, kMinuteStart)
      .DateTime("DO46_DATAFINE", p.end, kMinuteEnd);
  if (list_row) {
    r.Null("DO46_TEMPOLAV");
  } else {
    r.Set("DO46_TEMPOLAV", p.hours);
  }
  const int64_t good = list_row ? 0 : p.good;
  const int64_t scrap = list_row ? 0 : p.scrap;
  r.TextOrNull("DO46_NOTEGENER", note)
      .Set("DO46_QTA1ORD", Decimal(ordered))
      .Set("DO46_QTA2ORD", Qty2(a, ordered))
      .Set("DO46_QTA1CONSOLID", Decimal(good))
      .Set("DO46_QTA2CONSOLID", Qty2(a, good))
      .Set("DO46_QTA1SCARTO", Decimal(scrap))
      .Set("DO46_QTA2SCARTO", Qty2(a, scrap))
      .Set("DO46_QTAPINVTERZ", Decimal(p.sent))
      .Set("DO46_QTA2PINVTERZ", Qty2(a, p.sent))
      .Text("DO46_SELEZ", "0")
      .Set("DO46_FLGSALDO", !list_row && p.state == 3 ? 1 : 0)
      .Set("DO46_FLGSALDOORD", !list_row && p.last_main && p.sub == 0 ? 1 : 0)
      .Set("DO46_FLGSALDOODL", !list_row && p.external ? 1 : 0)
      .Text("DO46_DEPVERSAM", p.last_main ? receipt_depot : std::string(kDepotFloor))
      .Text("DO46_DEPSCARTO", kDepotScrap)
      .Text("DO46_DOCSCARTO", "SCA")
      .Add();
}

void CompanyGenerator::EmitMovement(const DocHeader& h, int progriga, int progdet, int progmov,
                                    int kind, int64_t day, int minute, int64_t good,
                                    int64_t scrap, const Article& a, const std::string& depot,
                                    const Decimal& hours, const std::string& machine) {
  out_.Begin(Table::kDO57)
      .Set("DO57_DITTA_CG18", co_)
      .Text("DO57_NUMREG_CO99", h.numreg)
      .Set("DO57_PROGRIGA_DO46", progriga)
      .Set("DO57_PROGDET_DO46", progdet)
      .Set("DO57_PROGMOV", progmov)
      .Set("DO57_INDMOV", kind)
      .DateTime("DO57_DATAMOV", day, minute)
      .Set("DO57_QTA1", Decimal(good))
      .Set("DO57_QTA2", Qty2(a, good))
      .Set("DO57_QTA1SCARTO", Decimal(scrap))
      .Set("DO57_QTA2SCARTO", Qty2(a, scrap))
      .Text("DO57_CODDEP_MG58", depot)
      .Set("DO57_TEMPOLAV", hours)
      .TextOrNull("DO57_MACCHINA_PD08", machine)
      .Add();
}

std::string CompanyGenerator::ProjectFor(const Article& a, int64_t delivery,
                                         const Party* customer) const {
  if (a.kind != ArticleKind::kGarment) return "";
  const int year = YearOf(today_);
  if (customer != nullptr && customer->uniforms) return "DIVISE-" + std::to_string(year);
  if (a.stat2 == "CER") return "CERIM-" + std::to_string(year);
  const std::string code = std::string(MonthOf(delivery) <= 6 ? "PE" : "AI") +
                           std::to_string(YearOf(delivery)) + "-" + a.target;
  for (const auto& p : cat_.projects) {
    if (p.code == code) return code;
  }
  return "";
}

std::string CompanyGenerator::ComponentVariant(const BomLine& line, const Article& component,
                                               const OrderRow& row) const {
  switch (line.rule) {
    case VariantRule::kNone:
      return "";
    case VariantRule::kSize:
      return VariantCode("", row.size, "");
    case VariantRule::kFixed:
      return VariantCode(NearestColour(component.colours, line.fixed_colour), "", "");
    case VariantRule::kSameColour:
      return VariantCode(NearestColour(component.colours, row.colour), "", "");
  }
  return "";
}

int CompanyGenerator::ComponentPhase(const Article& a, const BomLine& line) const {
  auto has = [&](int code) {
    return std::any_of(a.routing.begin(), a.routing.end(),
                       [&](const RoutingStep& s) { return s.phase == code; });
  };
  if (has(line.phase)) return line.phase;
  // Trims of a garment sewn outside go to the subcontractor with the cut work.
  if (line.phase == kPhaseSewing && has(kPhaseSewingOut)) return kPhaseSewingOut;
  return a.routing.front().phase;
}

std::string CompanyGenerator::PhaseNote(const Article& a, const PhaseRow& p,
                                        bool made_to_order) const {
  if (p.sub > 0) return "";
  if (p.code == kPhaseCutting && a.code == "GIA-CORTINA") {
    return "Tweed con verso: tagliare tutti i pezzi nello stesso senso";
  }
  if (p.code == kPhaseEmbroidery && made_to_order) {
    return "Ricamo iniziali del cliente come da scheda allegata all'ordine";
  }
  if (p.code == kPhaseWashing) return "Lavaggio enzimatico a 40 gradi, asciugatura a tamburo";
  if (p.code == kPhaseSewingOut) return "Bottoni e fodere consegnati insieme al taglio";
  return "";
}

CustomerRef CompanyGenerator::NewCustomerRef(const Party& customer, int64_t date) {
  static const char* const kContacts[] = {"Sig. Rossi",       "Ufficio acquisti",
                                          "Sig.ra Bianchi",   "Mr. Hughes",
                                          "Frau Bauer",       "M. Dupont",
                                          "Sig. D'Angelo",    "Resp. guardaroba"};
  CustomerRef ref;
  if (customer.country == "IT") {
    ref.number = "ORD " + std::to_string(rng_.Between(100, 999)) + "/" + std::to_string(YearOf(date) % 100);
  } else {
    ref.number = "PO-" + std::to_string(rng_.Between(10000, 99999));
  }
  ref.date = date;
  ref.text = std::string("Rif. ") + kContacts[rng_.Index(std::size(kContacts))];
  return ref;
}

void CompanyGenerator::CustomerOrdersToPlan() {
  // Recent customer orders that planning has not turned into production yet.
  const int64_t count = std::max<int64_t>(1, production_orders_ / 20);
  std::vector<int> customers;
  for (size_t i = 0; i < cat_.parties.size(); ++i) {
    if (cat_.parties[i].kind == 'C') customers.push_back(static_cast<int>(i));
  }
  for (int64_t k = 0; k < count; ++k) {
    const Party& customer = PartyAt(customers[rng_.Index(customers.size())]);
    const int64_t day = WorkDay(today_ - rng_.Between(0, 12));
    std::vector<OrderRow> rows;
    PlanGroups(rows, 60, true, &customer);
    const DocHeader h = NewDocument(kCustomerOrder, std::min(day, today_),
                                    customer.country == "IT" ? "01" : "02", &customer,
                                    kDepotFinished, "");
    const CustomerRef ref = NewCustomerRef(customer, h.date - rng_.Between(0, 2));
    EmitCustomerRef(h, ref);
    char buf[16];
    std::snprintf(buf, sizeof(buf), "CM%02d-%04lld", YearOf(h.date) % 100,
                  static_cast<long long>(++jobs_ % 10000));
    const std::string job = buf;
    std::map<int, int64_t> deliveries;  // one delivery date per colour and fit group
    for (const auto& r : rows) {
      const Article& a = Art(r.article);
      if (deliveries.count(r.group) == 0) {
        deliveries[r.group] = WorkDay(h.date + a.lead_days + rng_.Between(20, 40));
      }
      const int64_t delivery = deliveries[r.group];
      EmitDocRow(h, DocRow{r.progriga, r.parent, r.is_parent, &a, r.variant,
                           a.it + " - " + cat_.ColourName(r.colour), r.qty, r.qty2,
                           (a.cost * Scaled(230, 2)).Round(2), r.depot, 0, r.combination});
      OrderData od;
      od.start = h.date;
      od.delivery = delivery;
      od.delivery_orig = delivery;
      od.state = 1;
      EmitOrderData(h, r.progriga, od);
      const std::string project = ProjectFor(a, delivery, &customer);
      EmitProject(h, r.progriga, project, 1, job, r.group + 1);
      if (!r.is_parent) {
        open_customer_rows_.push_back(
            {h.numreg, r.progriga, r.article, r.variant, r.qty, delivery, project, job, r.group});
      }
    }
  }
}

void CompanyGenerator::Stock() {
  // Every variant of every material and semi-finished part has a stock row
  // in its depot; finished garments have one where production delivered or
  // expects them.
  for (size_t i = 0; i < cat_.articles.size(); ++i) {
    const Article& a = cat_.articles[i];
    if (a.kind == ArticleKind::kGarment) continue;
    const std::string depot = a.kind == ArticleKind::kFabric ? kDepotFabrics : kDepotTrims;
    std::vector<std::string> variants;
    if (!a.size_group.empty()) {
      for (const auto& s : cat_.SizesOf(a)) variants.push_back(VariantCode("", s, ""));
    } else if (!a.colour_group.empty()) {
      for (const auto& c : a.colours) variants.push_back(VariantCode(c, "", ""));
    } else {
      variants.push_back("");
    }
    for (const auto& v : variants) {
      auto& agg = stock_[Key(a.code, v, depot)];
      (void)agg;
    }
  }
  for (const auto& [key, agg] : stock_) {
    const size_t p1 = key.find('|');
    const size_t p2 = key.find('|', p1 + 1);
    const std::string code = key.substr(0, p1);
    const std::string variant = key.substr(p1 + 1, p2 - p1 - 1);
    const std::string depot = key.substr(p2 + 1);
    const int index = cat_.ArticleIndex(code);
    const Article& a = Art(index);
    Decimal on_hand;
    switch (a.kind) {
      case ArticleKind::kGarment:
        on_hand = Decimal(agg.received.ToInt64() * rng_.Between(10, 40) / 100);
        break;
      case ArticleKind::kSemiFinished:
        on_hand = Decimal(rng_.Between(0, 40) * 10);
        break;
      case ArticleKind::kFabric:
        on_hand = Scaled(rng_.Between(0, 60000), 2);
        break;
      case ArticleKind::kTrim:
        on_hand = a.um1 == "MT" ? Decimal(rng_.Between(0, 400) * 1000)
                                : Decimal(rng_.Between(0, 600) * 10);
        break;
    }
    Decimal counted = on_hand;
    if (rng_.Percent(3) && on_hand > Decimal(5)) counted -= Decimal(rng_.Between(1, 3));
    const Decimal available = on_hand + agg.on_order - agg.committed;
    out_.Begin(Table::kMG70)
        .Set("MG70_DITTA_CG18", co_)
        .Text("MG70_CODART_MG66", code)
        .Text("MG70_OPZIONE_MG5E", variant)
        .Text("MG70_CODDEP_MG58", depot)
        .Set("MG70_QGIACATT", on_hand)
        .Set("MG70_QGIACEFF", counted)
        .Set("MG70_QIMPEGNATA", agg.committed)
        .Set("MG70_QORDINATA", agg.on_order)
        .Set("MG70_QDISPONIB", available)
        .Add();
    if (a.kind != ArticleKind::kGarment && available < Decimal()) {
      shortages_.push_back({index, variant, depot, -available});
    }
  }
}

int64_t CompanyGenerator::Proposal(int kind, const Article& a, const std::string& variant,
                                   int64_t group_parent, const Decimal& qty, int64_t need,
                                   int origin,
                                   const std::string& origin_numreg, int origin_row,
                                   const std::string& maker, int phase,
                                   const std::string& project, const std::string& job,
                                   const std::string& note, int priority) {
  // A planner firms a size group as a whole.
  if (group_parent == 0) firmed_ = rng_.Percent(25);
  const int64_t number = ++last_proposal_;
  out_.Begin(Table::kPD31)
      .Set("PD31_DITTA_CG18", co_)
      .Set("PD31_NUMPRO", number)
      .Date("PD31_DATAELAB", today_)
      .Set("PD31_INDTIPOPRO", kind)
      .Text("PD31_UTENTE", "PIANIFICAZIONE")
      .Add();
  const Decimal qty2 = a.um2.empty() ? Decimal() : (qty * a.coeff_um2).Round(3);
  auto& r = out_.Begin(Table::kPD39)
                .Set("PD39_DITTA_CG18", co_)
                .Set("PD39_NUMPRO_PD31", number)
                .Set("PD39_INDTIPOPRO", kind)
                .Text("PD39_CODART_MG66", a.code)
                .Text("PD39_OPZIONE_MG5E", variant)
                .Set("PD39_PROGPADRE", group_parent)
                .Text("PD39_UM1", a.um1)
                .Set("PD39_QTA1", qty)
                .TextOrNull("PD39_UM2", a.um2)
                .Set("PD39_QTA2", qty2)
                .Date("PD39_DATAFABB", need)
                .Date("PD39_DATAINILAV", WorkDay(std::max(today_, need - a.lead_days) ))
                .Text("PD39_CODFORNREP", maker)
                .TextOrNull("PD39_NOTE", note)
                .Set("PD39_FLGPRO3", firmed_ ? 1 : 0)
                .TextOrNull("PD39_CODLINEA_PD01", a.line)
                .Set("PD39_PRIORITA", priority)
                .Text("PD39_CODDEP", kind == 0 ? (a.kind == ArticleKind::kGarment ? kDepotFinished : kDepotTrims)
                                              : (a.kind == ArticleKind::kFabric ? kDepotFabrics : kDepotTrims));
  if (phase > 0) {
    r.Set("PD39_CODFASE_PD12", phase);
  } else {
    r.Null("PD39_CODFASE_PD12");
  }
  r.TextOrNull("PD39_CODPROG", project);
  if (project.empty()) {
    r.Null("PD39_SOTPROG");
  } else {
    r.Set("PD39_SOTPROG", 1);
  }
  r.Null("PD39_CODNODO_PD0C").TextOrNull("PD39_CODCOM", job);
  if (job.empty()) {
    r.Null("PD39_SOTCOM");
  } else {
    r.Set("PD39_SOTCOM", 1);
  }
  r.Set("PD39_INDORIGFABB", origin).TextOrNull("PD39_NUMREGORIG_CO99", origin_numreg);
  if (origin_row > 0) {
    r.Set("PD39_PROGRIGAORIG", origin_row);
  } else {
    r.Null("PD39_PROGRIGAORIG");
  }
  r.Add();
  return number;
}

void CompanyGenerator::Proposals() {
  last_proposal_ = static_cast<int64_t>(YearOf(today_) % 100) * 100000;
  // Production for the customer orders still to plan: one proposal per size,
  // the sizes of one colour grouped under the first.
  {
    std::map<std::pair<std::string, int>, int64_t> group_first;
    for (const auto& o : open_customer_rows_) {
      const Article& a = Art(o.article);
      auto& first = group_first[{o.numreg, o.group}];
      const int64_t n = Proposal(0, a, o.variant, first, Decimal(o.qty),
                                 WorkDay(o.delivery - 7), 0, o.numreg, o.progriga, a.department, 0,
                                 o.project, o.job, "Da ordine cliente " + o.numreg, 2);
      if (first == 0) first = n;
    }
  }
  // Restocking of the best-selling sizes and the forecast of next season.
  const int64_t groups = std::max<int64_t>(2, options_.order_rows / 250);
  for (int64_t g = 0; g < groups; ++g) {
    const bool forecast = g % 3 == 2;
    const Article& a = Art(garments_[rng_.Index(garments_.size())]);
    const std::string colour = a.colours[rng_.Index(a.colours.size())];
    const std::string fit = a.fits.empty() ? "" : a.fits.front();
    std::vector<std::string> sizes = cat_.SizesOf(a);
    const size_t from = sizes.size() > 4 ? rng_.Index(sizes.size() - 3) : 0;
    sizes = std::vector<std::string>(sizes.begin() + static_cast<long>(from),
                                     sizes.begin() + static_cast<long>(std::min(sizes.size(), from + 4)));
    const int64_t need = forecast ? WorkDay(DaysFromCivil(YearOf(today_), 7, 15) + rng_.Between(0, 40))
                                  : WorkDay(today_ + rng_.Between(20, 60));
    int64_t first = 0;
    for (const auto& size : sizes) {
      const int64_t pieces = forecast ? rng_.Between(20, 120) : rng_.Between(5, 30);
      const int64_t n = Proposal(0, a, VariantCode(colour, size, fit), first, Decimal(pieces),
                                 need, forecast ? 2 : 1, "", 0, a.department, 0,
                                 ProjectFor(a, need, nullptr), "",
                                 forecast ? "Previsione di vendita della prossima stagione"
                                          : "Sotto scorta minima: riassortimento taglie centrali",
                                 forecast ? 4 : 3);
      if (first == 0) first = n;
    }
  }
  // Badges to embroider at the subcontractor.
  for (const int index : semi_finished_) {
    const Article& a = Art(index);
    const auto it = std::find_if(a.routing.begin(), a.routing.end(), [&](const RoutingStep& s) {
      return cat_.PhaseByCode(s.phase).external;
    });
    if (it == a.routing.end()) continue;
    const Party& supplier = PartyAt(it->supplier >= 0 ? it->supplier : cat_.PhaseByCode(it->phase).supplier);
    for (const auto& colour : a.colours) {
      if (colour != a.colours.front() && !rng_.Percent(50)) continue;
      const int64_t pieces = rng_.Between(20, 50) * 10;
      Proposal(2, a, VariantCode(colour, "", ""), 0, Decimal(pieces),
               WorkDay(today_ + rng_.Between(10, 30)), 1, "", 0, std::to_string(supplier.number),
               it->phase, "", "", "Verificare l'arrivo del filo oro prima del lancio", 3);
    }
  }
  // Purchases to cover the materials committed beyond what is available.
  auto supplier_of = [&](const Article& a) -> int32_t {
    if (a.sfam == "LA") return 2101;
    if (a.fam == "TE" && a.sfam == "CO") return 2102;
    if (a.sfam == "BT") return 2103;
    if (a.sfam == "FO") return 2104;
    return 2105;
  };
  for (const Shortage& s : shortages_) {
    const Article& a = Art(s.article);
    if (a.kind == ArticleKind::kSemiFinished) {
      const int64_t pieces = (s.missing / Decimal(10)).Ceiling().ToInt64() * 10;
      Proposal(0, a, s.variant, 0, Decimal(pieces), WorkDay(today_ + 10), 1, "", 0,
               a.department, 0, "", "", "Fabbisogno dei componenti degli ordini di produzione", 2);
      continue;
    }
    const Decimal lot = a.min_lot;
    const Decimal qty = (s.missing / lot).Ceiling() * lot;
    Proposal(1, a, s.variant, 0, qty, WorkDay(today_ + rng_.Between(5, 20)), 1, "", 0,
             std::to_string(supplier_of(a)), 0, "", "", "Copertura impegni di produzione", 2);
  }
}

GenerationSummary CompanyGenerator::Run() {
  if (options_.company < 1 || options_.company > 99999) {
    throw std::invalid_argument("sample company: the company code must be between 1 and 99999");
  }
  if (options_.order_rows < 0) {
    throw std::invalid_argument("sample company: the number of order rows cannot be negative");
  }
  if (options_.reference_year < 2000 || options_.reference_year > 2100 ||
      options_.reference_month < 1 || options_.reference_month > 12 ||
      options_.reference_day < 1 || options_.reference_day > 31) {
    throw std::invalid_argument("sample company: the reference date is not a date");
  }
  int y, m, d;
  CivilFromDays(DaysFromCivil(options_.reference_year, options_.reference_month,
                              options_.reference_day),
                &y, &m, &d);
  if (d != options_.reference_day) {
    throw std::invalid_argument("sample company: the reference date is not a date");
  }

  cat_ = BuildCatalog(options_, rng_);
  today_ = cat_.today;
  co_ = cat_.company;
  for (size_t i = 0; i < cat_.articles.size(); ++i) {
    const Article& a = cat_.articles[i];
    if (a.kind == ArticleKind::kGarment && a.orderable) garments_.push_back(static_cast<int>(i));
    if (a.kind == ArticleKind::kSemiFinished) semi_finished_.push_back(static_cast<int>(i));
  }
  EmitCatalog(cat_, options_, out_);

  while (production_rows_ < options_.order_rows) {
    ProductionOrder(options_.order_rows - production_rows_);
  }
  if (production_orders_ > 0) CustomerOrdersToPlan();
  Stock();
  Proposals();

  GenerationSummary summary;
  summary.production_orders = production_orders_;
  summary.production_rows = production_rows_;
  summary.documents = documents_;
  for (size_t i = 0; i < kTableNames.size(); ++i) {
    const int64_t n = out_.count(static_cast<Table>(i));
    if (n > 0) summary.rows_per_table[kTableNames[i]] = n;
  }
  return summary;
}

}  // namespace internal

GenerationSummary GenerateCompany(const SampleOptions& options, RowSink& sink) {
  internal::CompanyGenerator generator(options, sink);
  return generator.Run();
}

}  // namespace zv::sample
