// Production orders of the sample company: the size grid of each order
// row, the planned dates of its working cycle, the progress of every phase
// on the reference day, components and progress movements, and the
// subcontract orders, picking lists and delivery notes of external phases.
//
// Progress follows the calendar: every phase of an order row has planned
// dates, each order runs a few days late, and a phase is done, under way or
// not started according to where the reference day falls. Quantities flow
// down the cycle: a phase works the good pieces of the phase before it, less
// the ones it scraps.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "apps/sample_company.h"

namespace zv::sample::internal {

Schedule CompanyGenerator::PlanSchedule(const Article& a, int64_t qty, int64_t start) const {
  Schedule s;
  s.start = start;
  int64_t day = start;
  for (const auto& step : a.routing) {
    const Phase& p = cat_.PhaseByCode(step.phase);
    int64_t days;
    if (p.external) {
      day += 1;  // transport to the subcontractor
      days = 4 + qty / 150;
    } else {
      // Two shifts of eight hours on the phase's work centre.
      days = (step.hours_per_piece * Decimal(qty)).Ceiling().ToInt64() / 16 + 1;
    }
    days = std::clamp<int64_t>(days, 1, 12);
    s.steps.push_back({day, day + days - 1});
    day += days;
    if (p.external) day += 1;  // transport back
  }
  s.delivery = WorkDay(day + 1);
  return s;
}

void CompanyGenerator::PlanPhases(OrderRow& row, const Article& a, const Schedule& s,
                                  int64_t effective_today, bool launched,
                                  const std::vector<bool>& hold) {
  int progdet = 0;
  int64_t avail = row.qty;
  bool stopped = false;  // an external phase is held: nothing downstream moves
  bool previous_done = true;

  // Works one phase or sub-phase over its planned interval.
  auto work = [&](PhaseRow& p, int64_t input) {
    p.input = input;
    p.good = p.scrap = 0;
    if (stopped || input <= 0 || effective_today < p.start) return;
    p.worked_from = p.start;
    if (effective_today > p.end) {
      if (rng_.Percent(12)) {
        p.scrap = std::min<int64_t>(input, rng_.Between(1, std::max<int64_t>(1, input / 40)));
      }
      p.good = input - p.scrap;
    } else {
      const int64_t span = p.end - p.start + 2;
      const int64_t elapsed = effective_today - p.start + 1;
      p.good = input * elapsed / span;
      if (p.good > 0 && p.good < input && rng_.Percent(6)) p.scrap = 1;
    }
  };
  auto state_of = [&](const PhaseRow& p) {
    if (p.input > 0 && (p.good > 0 || p.scrap > 0) && p.good + p.scrap >= p.input) return 3;
    if (p.good > 0 || p.scrap > 0) return 2;
    if (p.listed > 0 || p.sent > 0) return 4;
    return launched ? 1 : 0;
  };

  for (size_t k = 0; k < a.routing.size(); ++k) {
    const RoutingStep& step = a.routing[k];
    const Phase& master = cat_.PhaseByCode(step.phase);
    PhaseRow main;
    main.progdet = ++progdet;
    main.seq_code = static_cast<int>((k + 1) * 10);
    main.seq_pos = static_cast<int>(k + 1);
    main.code = step.phase;
    main.description = master.description;
    main.external = master.external;
    main.supplier = master.external ? (step.supplier >= 0 ? step.supplier : master.supplier) : -1;
    if (!master.external) {
      main.department = master.department;
      main.machine = step.machine.empty() ? master.machine : step.machine;
    }
    main.depot = master.external ? PartyAt(main.supplier).depot : std::string(kDepotFloor);
    main.start = s.steps[k].first;
    main.end = s.steps[k].second;
    main.hours = (step.hours_per_piece * Decimal(row.qty)).Round(4);
    main.has_subs = !step.subphases.empty();
    main.last_main = k + 1 == a.routing.size();
    main.ocl = master.external && launched;

    std::vector<PhaseRow> subs;
    if (master.external) {
      if (!stopped && launched && avail > 0 && previous_done) {
        if (hold[k]) {
          // The list is ready but the goods have not left yet.
          if (effective_today >= main.start - 2) main.listed = avail;
          stopped = true;
        } else if (effective_today >= main.start) {
          main.sent = main.listed = avail;
        } else if (effective_today >= main.start - 2) {
          main.listed = avail;
        }
      }
      work(main, main.sent);
      main.input = avail;
    } else if (!main.has_subs) {
      work(main, avail);
    } else {
      // Sub-phases split the main phase's interval; the main phase sums them up.
      const int64_t length = main.end - main.start + 1;
      const int64_t n = static_cast<int64_t>(step.subphases.size());
      int64_t input = avail;
      for (int64_t j = 0; j < n; ++j) {
        PhaseRow sp = main;
        sp.progdet = ++progdet;
        sp.sub = static_cast<int>(j + 1);
        sp.description = step.subphases[static_cast<size_t>(j)];
        sp.has_subs = false;
        sp.start = main.start + length * j / n;
        sp.end = std::max(sp.start, main.start + length * (j + 1) / n - 1);
        sp.hours = (main.hours / Decimal(n)).Round(4);
        work(sp, input);
        input = sp.good;
        sp.state = state_of(sp);
        subs.push_back(std::move(sp));
      }
      main.input = avail;
      main.good = subs.back().good;
      main.scrap = 0;
      for (const auto& sp : subs) main.scrap += sp.scrap;
      main.worked_from = subs.front().worked_from;
    }

    if (main.has_subs) {
      bool all_done = true, any = false;
      for (const auto& sp : subs) {
        all_done = all_done && sp.state == 3;
        any = any || sp.state == 2 || sp.state == 3;
      }
      main.state = all_done ? 3 : any ? 2 : (launched ? 1 : 0);
    } else {
      main.state = state_of(main);
    }
    // Shop-floor state: started work, or the next phase released to the floor.
    auto mes_of = [&](const PhaseRow& p, bool ready) {
      if (p.external || !launched || stopped) return p.state == 2 && !p.external && launched ? 2 : 0;
      if (p.state == 2) return 2;
      if (p.state == 1 && ready) return 1;
      return 0;
    };
    if (main.has_subs) {
      bool ready = previous_done;
      for (auto& sp : subs) {
        sp.mes = mes_of(sp, ready);
        ready = sp.state == 3;
      }
    } else {
      main.mes = mes_of(main, previous_done);
    }
    previous_done = main.state == 3;
    avail = main.good;
    row.phases.push_back(std::move(main));
    for (auto& sp : subs) row.phases.push_back(std::move(sp));
  }
}

void CompanyGenerator::SettleRow(OrderRow& row, bool launched, int64_t datadoc) const {
  bool any = false;
  const PhaseRow* last = nullptr;
  for (const auto& p : row.phases) {
    any = any || p.good > 0 || p.scrap > 0 || p.sent > 0;
    if (p.last_main && p.sub == 0) last = &p;
  }
  row.delivered = last != nullptr ? last->good : 0;
  row.delivered2 = Qty2(Art(row.article), row.delivered);
  row.closed = last != nullptr && last->state == 3;
  row.state = row.closed            ? 9
              : row.delivered > 0   ? 4
              : any                 ? 3
              : launched            ? 2
              : datadoc < today_    ? 1
                                    : 0;
}

void CompanyGenerator::PlanGroups(std::vector<OrderRow>& rows, int64_t rows_left,
                                  bool made_to_order, const Party* customer) {
  // An order makes one model (a suit: jacket and trousers) in one to three
  // colours and one or two fits, each on its size grid.
  const int model = garments_[rng_.Index(garments_.size())];
  const Article& m = Art(model);
  const bool suit = m.partner >= 0 && rng_.Percent(45);
  std::vector<int> models = {model};
  if (suit) models.push_back(m.partner);
  std::vector<std::string> colours = m.colours;
  const auto n_colours = static_cast<size_t>(
      rng_.Between(1, std::min<int64_t>(3, static_cast<int64_t>(colours.size()))));
  while (colours.size() > n_colours) {
    colours.erase(colours.begin() + static_cast<long>(rng_.Index(colours.size())));
  }
  int progriga = 0;
  int group = 0;
  for (const auto& colour : colours) {
    for (int mi : models) {
      const Article& a = Art(mi);
      std::vector<std::string> fits = a.fits.empty() ? std::vector<std::string>{""} : a.fits;
      if (fits.size() > 1 && !rng_.Percent(30)) fits.resize(1);
      for (const auto& fit : fits) {
        const std::vector<std::string> all_sizes = cat_.SizesOf(a);
        std::vector<std::string> sizes = all_sizes;
        std::vector<int64_t> weights = SizeWeights(sizes.size());
        auto keep = [&](size_t from, size_t count) {
          sizes = std::vector<std::string>(sizes.begin() + static_cast<long>(from),
                                           sizes.begin() + static_cast<long>(from + count));
          weights = std::vector<int64_t>(weights.begin() + static_cast<long>(from),
                                         weights.begin() + static_cast<long>(from + count));
        };
        // Made-to-order work often covers a few sizes only.
        if (made_to_order && sizes.size() > 4 && rng_.Percent(40)) keep(rng_.Index(sizes.size() - 3), 4);
        const int64_t left = rows_left - static_cast<int64_t>(rows.size());
        if (left < 2) return;  // a grid needs a parent and one size at least
        if (left < static_cast<int64_t>(sizes.size()) + 1) {
          const auto count = static_cast<size_t>(left - 1);
          keep((sizes.size() - count) / 2, count);
        }
        int64_t total = made_to_order ? rng_.Between(12, 120) : rng_.Between(40, 400);
        if (customer != nullptr && customer->uniforms) total = rng_.Between(150, 600);
        total = std::max<int64_t>(total, 2 * static_cast<int64_t>(sizes.size()));
        const std::vector<int64_t> parts = Split(total, weights);

        OrderRow parent;
        parent.progriga = ++progriga;
        parent.is_parent = true;
        parent.article = mi;
        parent.colour = colour;
        parent.fit = fit;
        parent.variant = VariantCode(colour, "", fit);
        parent.depot = kDepotFinished;
        parent.combination = suit ? a.combination : "";
        parent.group = group;
        const size_t parent_index = rows.size();
        rows.push_back(parent);
        const size_t middle = all_sizes.size() / 2;
        for (size_t i = 0; i < sizes.size(); ++i) {
          if (parts[i] == 0) continue;
          OrderRow r;
          r.progriga = ++progriga;
          r.parent = parent.progriga;
          r.article = mi;
          r.colour = colour;
          r.size = sizes[i];
          r.fit = fit;
          r.variant = VariantCode(colour, sizes[i], fit);
          const auto pos = static_cast<size_t>(
              std::find(all_sizes.begin(), all_sizes.end(), sizes[i]) - all_sizes.begin());
          r.size_offset = static_cast<int>(pos) - static_cast<int>(middle);
          r.qty = parts[i];
          r.qty2 = Qty2(a, r.qty);
          r.depot = kDepotFinished;
          r.combination = parent.combination;
          r.group = group;
          rows[parent_index].qty += r.qty;
          rows[parent_index].qty2 += r.qty2;
          rows.push_back(std::move(r));
        }
        ++group;
        if (static_cast<int64_t>(rows.size()) >= rows_left) return;
        if (!suit && rng_.Percent(35)) return;  // many orders make a single colour
      }
    }
  }
}

void CompanyGenerator::PlanSemiFinished(std::vector<OrderRow>& rows, int64_t rows_left) {
  // Semi-finished parts are made for stock, one row per colour, no size grid.
  const int article = semi_finished_[rng_.Index(semi_finished_.size())];
  const Article& a = Art(article);
  std::vector<std::string> colours = a.colours;
  const auto n = static_cast<size_t>(std::min<int64_t>(
      rows_left, rng_.Between(1, static_cast<int64_t>(colours.size()))));
  while (colours.size() > n) colours.erase(colours.begin() + static_cast<long>(rng_.Index(colours.size())));
  int progriga = 0;
  for (const auto& colour : colours) {
    OrderRow r;
    r.progriga = ++progriga;
    r.article = article;
    r.colour = colour;
    r.variant = VariantCode(colour, "", "");
    r.qty = rng_.Between(10, 60) * 10;
    r.qty2 = Qty2(a, r.qty);
    r.depot = kDepotTrims;
    r.group = progriga - 1;
    rows.push_back(std::move(r));
  }
}

void CompanyGenerator::EmitRowDetail(const DocHeader& h, const OrderRow& row, const Article& a,
                                     int64_t delay) {
  for (const PhaseRow& p : row.phases) {
    EmitPhase(h.numreg, row.progriga, p.progdet, p, a, row.qty, false,
              PhaseNote(a, p, made_to_order_), row.depot);
  }

  // Components, and what has been issued to the phases so far.
  std::map<int, int64_t> entered;  // phase code -> pieces that entered it
  for (const PhaseRow& p : row.phases) {
    if (p.sub > 1) continue;
    const int64_t in = p.external ? p.sent : p.good + p.scrap;
    if (p.sub == 0 && !p.has_subs) entered[p.code] = in;
    if (p.sub == 1) entered[p.code] = in;
  }
  std::map<int, bool> issued;  // phases that had components issued
  int progimp = 0;
  for (const BomLine& line : a.bom) {
    const Article& comp = Art(line.component);
    const int phase = ComponentPhase(a, line);
    const Decimal unit = line.per_piece + line.per_size_step * Decimal(row.size_offset);
    const Decimal committed = (unit * Decimal(row.qty)).Round(comp.decimals);
    const Decimal taken = (unit * Decimal(entered[phase])).Round(comp.decimals);
    const std::string variant = ComponentVariant(line, comp, row);
    const std::string depot = comp.kind == ArticleKind::kFabric ? kDepotFabrics : kDepotTrims;
    const bool balanced = taken == committed;
    auto two = [&](const Decimal& q) {
      return comp.um2.empty() ? Decimal() : (q * comp.coeff_um2).Round(3);
    };
    out_.Begin(Table::kPD96)
        .Set("PD96_DITTA_CG18", co_)
        .Text("PD96_NUMREG_CO99", h.numreg)
        .Set("PD96_PROGRIGA_DO30", row.progriga)
        .Set("PD96_PROGIMP", ++progimp)
        .Set("PD96_CODFASE_PD12", phase)
        .Text("PD96_CODART_MG66", comp.code)
        .Text("PD96_OPZIONE_MG5E", variant)
        .Text("PD96_UM1", comp.um1)
        .Set("PD96_QTAUNITARIA", unit)
        .Set("PD96_QTAIMPEGNO", committed)
        .Set("PD96_QTA2IMPEGNO", two(committed))
        .Set("PD96_QTAPRELEVATA", taken)
        .Set("PD96_QTA2PRELEVATA", two(taken))
        .Text("PD96_CODDEP_MG58", depot)
        .Set("PD96_FLGSALDO", balanced ? 1 : 0)
        .Add();
    if (!balanced && !row.closed) stock_[Key(comp.code, variant, depot)].committed += committed - taken;
    if (!taken.IsZero()) issued[phase] = true;
  }

  // Progress movements on the phases without sub-phases and on the sub-phases;
  // the components of a phase are issued when its first leaf starts.
  for (const PhaseRow& p : row.phases) {
    if (p.has_subs) continue;
    int progmov = 0;
    const int64_t pieces_in = p.external ? p.sent : p.good + p.scrap;
    if (p.sub <= 1 && issued[p.code] && pieces_in > 0) {
      issued[p.code] = false;
      const int64_t day = (p.worked_from > 0 ? p.worked_from : p.start) + delay;
      EmitMovement(h, row.progriga, p.progdet, ++progmov, kMoveIssue, std::min(day, today_),
                   8 * 60, entered[p.code], 0, a,
                   p.code == kPhaseCutting ? kDepotFabrics : kDepotTrims, Decimal(), "");
    }
    if (p.good == 0 && p.scrap == 0) continue;
    const int64_t from = p.worked_from + delay;
    const int64_t to = std::max(from, std::min(today_, p.end + delay));
    // Most phases are reported in one go, some in two or three partial reports.
    const int64_t wanted = rng_.Percent(65) ? 1 : rng_.Percent(70) ? 2 : 3;
    const int64_t moves = std::max<int64_t>(1, std::min<int64_t>(p.good, wanted));
    const std::vector<int64_t> parts =
        Split(p.good, std::vector<int64_t>(static_cast<size_t>(moves), 1));
    const int kind = p.external ? kMoveReturn : p.last_main ? kMoveReceipt : kMoveProgress;
    const std::string depot = kind == kMoveReceipt ? row.depot : p.depot;
    for (int64_t j = 0; j < moves; ++j) {
      const int64_t good = parts[static_cast<size_t>(j)];
      const int64_t scrap = j + 1 == moves ? p.scrap : 0;
      const Decimal hours = p.external ? Decimal()
                                       : (p.hours * Decimal(good + scrap) / Decimal(row.qty)).Round(4);
      EmitMovement(h, row.progriga, p.progdet, ++progmov, kind,
                   from + (to - from) * (j + 1) / moves,
                   9 * 60 + static_cast<int>(rng_.Between(0, 16)) * 30, good, scrap, a, depot,
                   hours, p.machine);
    }
  }
}

void CompanyGenerator::EmitExternalDocuments(const DocHeader& order,
                                             const std::vector<OrderRow>& rows, int64_t delay,
                                             bool launched, int64_t launch_day) {
  // One subcontract order, picking list and delivery note per external phase
  // and subcontractor of the order.
  struct Item {
    const OrderRow* row;
    const PhaseRow* phase;
  };
  std::map<std::pair<int, int>, std::vector<Item>> by_phase;
  for (const OrderRow& r : rows) {
    if (r.is_parent) continue;
    for (const PhaseRow& p : r.phases) {
      if (p.external) by_phase[{p.code, p.supplier}].push_back({&r, &p});
    }
  }
  for (const auto& [key, items] : by_phase) {
    const Party& supplier = PartyAt(key.second);
    const Phase& phase = cat_.PhaseByCode(key.first);
    const std::string note = "Conto lavorazione: " + phase.description + " - rif. " + order.numreg;
    if (launched) {
      const DocHeader ocl =
          NewDocument(kSubcontractOrder, launch_day, "01", &supplier, supplier.depot, note);
      int n = 0;
      for (const Item& it : items) {
        const Article& a = Art(it.row->article);
        Decimal price = key.first == kPhaseSewingOut ? (a.cost * Scaled(30, 2)).Round(2)
                        : key.first == kPhaseEmbroidery ? Scaled(280, 2)
                                                        : Scaled(110, 2);
        DocRow d{++n, 0, false, &a, it.row->variant, phase.description + " " + a.code,
                 it.row->qty, it.row->qty2, price, supplier.depot, key.first, ""};
        EmitDocRow(ocl, d);
        const PhaseRow& p = *it.phase;
        OrderData od;
        od.start = p.start;
        od.delivery = p.end + 1;
        od.delivery_orig = od.delivery;
        od.closed = p.state == 3;
        od.state = od.closed ? 9 : p.good > 0 ? 4 : p.sent > 0 ? 3 : 2;
        od.delivered = p.good;
        od.delivered2 = Qty2(a, p.good);
        EmitOrderData(ocl, d.progriga, od);
        EmitReference(ocl.numreg, d.progriga, 1, order.numreg, it.row->progriga, nullptr);
      }
    }
    int64_t list_day = 0, ship_day = 0;
    for (const Item& it : items) {
      if (it.phase->listed > 0) {
        const int64_t d = std::min(today_, it.phase->start - 2 + delay);
        list_day = list_day == 0 ? d : std::min(list_day, d);
      }
      if (it.phase->sent > 0) {
        const int64_t d = std::min(today_, it.phase->start + delay);
        ship_day = ship_day == 0 ? d : std::min(ship_day, d);
      }
    }
    if (list_day == 0) continue;
    list_day = std::max(list_day, order.date);
    const DocHeader list = NewDocument(kPickingList, list_day, "01", &supplier, kDepotFloor,
                                       "Prelievo per " + phase.description);
    std::map<const OrderRow*, int> list_rows;
    int n = 0;
    for (const Item& it : items) {
      if (it.phase->listed == 0) continue;
      const Article& a = Art(it.row->article);
      DocRow d{++n, 0, false, &a, it.row->variant, a.it, it.phase->listed,
               Qty2(a, it.phase->listed), Decimal(), kDepotFloor, key.first, ""};
      EmitDocRow(list, d);
      EmitReference(list.numreg, d.progriga, 1, order.numreg, it.row->progriga, nullptr);
      EmitPhase(list.numreg, d.progriga, 1, *it.phase, a, it.phase->listed, true, "",
                kDepotFloor);
      list_rows[it.row] = d.progriga;
    }
    if (ship_day == 0) continue;
    ship_day = std::max(ship_day, list_day);
    const DocHeader ddt = NewDocument(kDeliveryNote, ship_day, "01", &supplier, kDepotFloor,
                                      "Causale: invio in conto lavorazione per " + phase.description);
    n = 0;
    for (const Item& it : items) {
      if (it.phase->sent == 0) continue;
      const Article& a = Art(it.row->article);
      DocRow d{++n, 0, false, &a, it.row->variant, a.it, it.phase->sent,
               Qty2(a, it.phase->sent), Decimal(), supplier.depot, key.first, ""};
      EmitDocRow(ddt, d);
      EmitReference(ddt.numreg, d.progriga, 1, order.numreg, it.row->progriga, nullptr);
      EmitReference(ddt.numreg, d.progriga, 2, list.numreg, list_rows.at(it.row), nullptr);
    }
  }
}

int64_t CompanyGenerator::ProductionOrder(int64_t rows_left) {
  int64_t datadoc = WorkDay(today_ + rng_.Between(-300, 7));
  const bool semi = !semi_finished_.empty() && (rows_left == 1 || rng_.Percent(7));
  made_to_order_ = !semi && rng_.Percent(30);
  const Party* customer = nullptr;
  if (made_to_order_) {
    std::vector<int> customers;
    for (size_t i = 0; i < cat_.parties.size(); ++i) {
      if (cat_.parties[i].kind == 'C') customers.push_back(static_cast<int>(i));
    }
    customer = &PartyAt(customers[rng_.Index(customers.size())]);
  }

  std::vector<OrderRow> rows;
  if (semi) {
    PlanSemiFinished(rows, rows_left);
  } else {
    PlanGroups(rows, rows_left, made_to_order_, customer);
    if (rows.empty()) PlanSemiFinished(rows, rows_left);
  }

  const int64_t launch_day = datadoc + 2;
  const bool launched = launch_day <= today_;
  const int64_t delay = rng_.Between(0, 5) + (rng_.Percent(15) ? rng_.Between(4, 12) : 0);
  const int64_t effective_today = today_ - delay;

  // Schedules per colour and fit group, from the group's total quantity.
  std::map<int, Schedule> schedules;
  std::map<int, int64_t> group_qty;
  for (const auto& r : rows) {
    if (!r.is_parent) group_qty[r.group] += r.qty;
  }
  std::map<int, std::vector<bool>> hold;
  for (const auto& r : rows) {
    if (schedules.count(r.group) == 0) {
      schedules[r.group] = PlanSchedule(Art(r.article), group_qty[r.group], launch_day + 1);
    }
    if (hold.count(r.article) == 0) {
      std::vector<bool> h;
      for (const auto& step : Art(r.article).routing) {
        h.push_back(cat_.PhaseByCode(step.phase).external && rng_.Percent(10));
      }
      hold[r.article] = h;
    }
  }
  for (auto& r : rows) {
    if (r.is_parent) continue;
    PlanPhases(r, Art(r.article), schedules[r.group], effective_today, launched, hold[r.article]);
    SettleRow(r, launched, datadoc);
  }
  // Parent rows hold the totals of their sizes.
  for (auto& p : rows) {
    if (!p.is_parent) continue;
    bool all_closed = true, any_delivered = false;
    int max_state = 0;
    for (const auto& r : rows) {
      if (r.parent != p.progriga) continue;
      p.delivered += r.delivered;
      p.delivered2 += r.delivered2;
      all_closed = all_closed && r.closed;
      any_delivered = any_delivered || r.delivered > 0;
      max_state = std::max(max_state, r.state == 9 ? 4 : r.state);
    }
    p.closed = all_closed;
    p.state = all_closed ? 9 : any_delivered ? 4 : max_state;
  }

  // The customer order behind a made-to-order production order.
  std::string job;
  DocHeader customer_order;
  CustomerRef ref;
  if (made_to_order_) {
    const int64_t ordered = WorkDay(datadoc - rng_.Between(3, 20)) ;
    const int64_t order_day = std::min(ordered, datadoc);
    ref = NewCustomerRef(*customer, order_day - rng_.Between(0, 3));
    char buf[16];
    std::snprintf(buf, sizeof(buf), "CM%02d-%04lld", YearOf(order_day) % 100,
                  static_cast<long long>(++jobs_ % 10000));
    job = buf;
    customer_order = NewDocument(kCustomerOrder, order_day, customer->country == "IT" ? "01" : "02",
                                 customer, kDepotFinished, "");
    EmitCustomerRef(customer_order, ref);
    for (const auto& r : rows) {
      const Article& a = Art(r.article);
      const Schedule& s = schedules[r.group];
      const Decimal price = (a.cost * Scaled(230, 2)).Round(2);
      EmitDocRow(customer_order, DocRow{r.progriga, r.parent, r.is_parent, &a, r.variant,
                                        a.it + " - " + cat_.ColourName(r.colour), r.qty, r.qty2,
                                        price, r.depot, 0, r.combination});
      OrderData od;
      od.start = order_day;
      od.delivery = WorkDay(s.delivery + 5);
      od.delivery_orig = od.delivery;
      od.state = 1;
      EmitOrderData(customer_order, r.progriga, od);
      EmitProject(customer_order, r.progriga, ProjectFor(a, od.delivery, customer), 1, job,
                  r.group + 1);
    }
  }

  const DocHeader h = NewDocument(kProductionOrder, datadoc, "01", customer, kDepotFinished,
                                  made_to_order_ ? "Produzione su ordine cliente " + customer_order.numreg
                                                 : "");
  ++production_orders_;
  if (made_to_order_) EmitCustomerRef(h, ref);
  {
    auto& r = out_.Begin(Table::kDO18)
                  .Set("DO18_DITTA_CG18", co_)
                  .Text("DO18_NUMREG_CO99", h.numreg)
                  .Set("DO18_PRIORITA", made_to_order_ ? rng_.Between(1, 2) : rng_.Between(2, 5));
    if (launched) {
      r.Date("DO18_DATALANCIO", launch_day);
    } else {
      r.Null("DO18_DATALANCIO");
    }
    r.Text("DO18_CODLINEA_PD01", Art(rows.front().article).line).Add();
  }
  const int sub_project = rng_.Percent(70) ? 1 : 2;
  for (const auto& r : rows) {
    const Article& a = Art(r.article);
    const Schedule& s = schedules[r.group];
    EmitDocRow(h, DocRow{r.progriga, r.parent, r.is_parent, &a, r.variant,
                         a.it + " - " + cat_.ColourName(r.colour), r.qty, r.qty2, a.cost, r.depot,
                         0, r.combination});
    OrderData od;
    od.start = s.start;
    od.delivery = s.delivery;
    od.delivery_orig = rng_.Percent(15) ? WorkDay(s.delivery - rng_.Between(5, 15)) : s.delivery;
    od.state = r.state;
    od.closed = r.closed;
    od.delivered = r.delivered;
    od.delivered2 = r.delivered2;
    EmitOrderData(h, r.progriga, od);
    EmitProject(h, r.progriga, ProjectFor(a, s.delivery, customer), sub_project, job, r.group + 1);
    if (made_to_order_) EmitReference(h.numreg, r.progriga, 1, customer_order.numreg, r.progriga, &ref);
    if (r.is_parent) continue;
    EmitRowDetail(h, r, a, delay);
    auto& agg = stock_[Key(a.code, r.variant, r.depot)];
    agg.received += Decimal(r.delivered);
    if (!r.closed) agg.on_order += Decimal(r.qty - r.delivered);
  }
  EmitExternalDocuments(h, rows, delay, launched, launch_day);
  production_rows_ += static_cast<int64_t>(rows.size());
  return static_cast<int64_t>(rows.size());
}

}  // namespace zv::sample::internal
