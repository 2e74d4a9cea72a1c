// Writing the master data of the sample company: company, languages,
// customers and suppliers with their registry versions, document types and
// sections, depots, article classification, the variant configuration,
// articles with their variants, descriptions and production data, the
// production setup and the projects.
#include <string>
#include <utility>

#include "apps/sample_catalog.h"

namespace zv::sample::internal {

namespace {

void EmitDescriptions(const Catalog& c, Emitter& out, const Article& a) {
  const std::pair<const char*, std::pair<const std::string*, const std::string*>> langs[] = {
      {"", {&a.it, &a.ext_it}}, {"ENG", {&a.en, &a.ext_en}}, {"DEU", {&a.de, &a.ext_de}}};
  for (const auto& [lang, texts] : langs) {
    out.Begin(Table::kMG87)
        .Set("MG87_DITTA_CG18", c.company)
        .Text("MG87_CODART_MG66", a.code)
        .Text("MG87_OPZIONE_MG5E", "")
        .Text("MG87_LINGUA_MG52", lang)
        .Text("MG87_DESCART", *texts.first)
        .Text("MG87_DESCARTEST", *texts.second)
        .Add();
  }
  // Fabrics also carry a description per colour in the base language.
  if (a.kind == ArticleKind::kFabric && !a.colour_group.empty()) {
    for (const auto& colour : a.colours) {
      std::string text = a.it + " - " + c.ColourName(colour);
      if (text.size() > 72) text.resize(72);
      out.Begin(Table::kMG87)
          .Set("MG87_DITTA_CG18", c.company)
          .Text("MG87_CODART_MG66", a.code)
          .Text("MG87_OPZIONE_MG5E", VariantCode(colour, "", ""))
          .Text("MG87_LINGUA_MG52", "")
          .Text("MG87_DESCART", text)
          .Text("MG87_DESCARTEST", a.ext_it + " Colore " + c.ColourName(colour) + ".")
          .Add();
    }
  }
}

void EmitArticle(const Catalog& c, Emitter& out, const Article& a) {
  const bool variants =
      !a.colour_group.empty() || !a.size_group.empty() || !a.fit_group.empty();
  auto& row = out.Begin(Table::kMG66)
                  .Set("MG66_DITTA_CG18", c.company)
                  .Text("MG66_CODART", a.code)
                  .Text("MG66_UM1", a.um1)
                  .TextOrNull("MG66_UM2", a.um2);
  if (a.um2.empty()) {
    row.Null("MG66_COEFFUM2");
  } else {
    row.Set("MG66_COEFFUM2", a.coeff_um2);
  }
  row.Set("MG66_INDDECQTA", a.decimals)
      .Text("MG66_FAM_MG53", a.fam)
      .Text("MG66_SFAM_MG54", a.sfam)
      .TextOrNull("MG66_GRUPPO_MG55", a.group)
      .TextOrNull("MG66_SGRUPPO_MG56", a.subgroup)
      .TextOrNull("MG66_GRUSTAT1_MG74", a.stat1)
      .TextOrNull("MG66_GRUSTAT2_MG75", a.stat2)
      .TextOrNull("MG66_GRUSTAT3_MG76", a.stat3)
      .TextOrNull("MG66_GRUSTAT4_MG77", a.stat4)
      .Set("MG66_INDSTATO_MG6W", a.state)
      .Set("MG66_FLGGESTVAR", variants ? 1 : 0)
      .Set("MG66_COSTOSTD", a.cost)
      .Date("MG66_DATAINS", c.today - 400 - static_cast<int64_t>(a.code.size()) * 17)
      .Add();
  const std::pair<const char*, const std::string*> dims[] = {
      {kDimColour, &a.colour_group}, {kDimSize, &a.size_group}, {kDimFit, &a.fit_group}};
  for (const auto& [dim, group] : dims) {
    out.Begin(Table::kMG6B)
        .Set("MG6B_DITTA_CG18", c.company)
        .Text("MG6B_CODART_MG66", a.code)
        .Text("MG6B_CODICEVAR_MG5F", dim)
        .Set("MG6B_FLGGESTVAR", group->empty() ? 0 : 1)
        .Text("MG6B_CODRAGGVAR_MG5G", *group == "*" ? std::string() : *group)
        .Add();
  }
  EmitDescriptions(c, out, a);
  if (a.kind == ArticleKind::kGarment || a.kind == ArticleKind::kSemiFinished) {
    out.Begin(Table::kPD18)
        .Set("PD18_DITTA_CG18", c.company)
        .Text("PD18_CODART_MG66", a.code)
        .Set("PD18_INDTIPOART", a.article_type)
        .Text("PD18_TIPOPROD_PD20", a.product_type)
        .Text("PD18_CODPROD_PD21", a.provenance)
        .TextOrNull("PD18_CODREP_PD07", a.department)
        .TextOrNull("PD18_CODLINEA_PD01", a.line)
        .Set("PD18_LOTTOMIN", a.min_lot)
        .Set("PD18_GGLAV", a.lead_days)
        .Add();
  } else {
    out.Begin(Table::kPD18)
        .Set("PD18_DITTA_CG18", c.company)
        .Text("PD18_CODART_MG66", a.code)
        .Set("PD18_INDTIPOART", 0)
        .Text("PD18_TIPOPROD_PD20", "MP")
        .Text("PD18_CODPROD_PD21", "AC")
        .Null("PD18_CODREP_PD07")
        .Null("PD18_CODLINEA_PD01")
        .Set("PD18_LOTTOMIN", a.min_lot)
        .Set("PD18_GGLAV", a.lead_days)
        .Add();
  }
}

void Coded(Emitter& out, Table table, const char* company_col, int32_t company,
           const char* code_col, const std::string& code, const char* descr_col,
           const std::string& descr) {
  out.Begin(table)
      .Set(company_col, company)
      .Text(code_col, code)
      .Text(descr_col, descr)
      .Add();
}

}  // namespace

void EmitCatalog(const Catalog& c, const SampleOptions& options, Emitter& out) {
  const int32_t co = c.company;
  out.Begin(Table::kCG18)
      .Set("CG18_DITTA", co)
      .Text("CG18_RAGSOC", c.company_name)
      .Text("CG18_INDIRIZZO", c.company_street)
      .Text("CG18_CAP", c.company_zip)
      .Text("CG18_CITTA", c.company_town)
      .Text("CG18_PROV", c.company_province)
      .Text("CG18_PARTIVA", c.company_vat)
      .Set("CG18_FLGVERTVESTARO", 1)
      .Add();

  if (options.shared_tables) {
    const std::pair<const char*, const char*> languages[] = {
        {"ENG", "Inglese"}, {"DEU", "Tedesco"}, {"FRA", "Francese"}, {"ESP", "Spagnolo"}};
    for (const auto& [code, name] : languages) {
      out.Begin(Table::kMG52).Text("MG52_CODLINGUA", code).Text("MG52_DESCRLINGUA", name).Add();
    }
  }
  int order = 0;
  for (const char* lang : {"ENG", "DEU"}) {
    out.Begin(Table::kMG47)
        .Set("MG47_DITTA_CG18", co)
        .Text("MG47_CODLINGUA_MG52", lang)
        .Set("MG47_PROGORD", ++order)
        .Add();
  }

  // Customers and suppliers, their registry versions and classification.
  for (const Party& p : c.parties) {
    auto version = [&](const std::string& name, int64_t from, int64_t to) {
      auto& r = out.Begin(Table::kCG16)
                    .Set("CG16_DITTA_CG18", co)
                    .Set("CG16_CODANAG", p.registry)
                    .Date("CG16_DATAINIZIOVAL", from);
      if (to > 0) {
        r.Date("CG16_DATAFINEVAL", to);
      } else {
        r.Null("CG16_DATAFINEVAL");
      }
      r.Text("CG16_RAGSOANAG", name)
          .Text("CG16_INDIRIZZO", p.street)
          .Text("CG16_CAP", p.zip)
          .Text("CG16_CITTA", p.town)
          .TextOrNull("CG16_PROV", p.province)
          .Text("CG16_CODNAZ", p.country)
          .Text("CG16_PARTIVA", p.vat)
          .Add();
    };
    const int64_t since = DaysFromCivil(2008, 1, 1) + p.registry * 31;
    if (p.renamed_to.empty()) {
      version(p.name, since, 0);
    } else {
      version(p.name, since, p.renamed_from - 1);
      version(p.renamed_to, p.renamed_from, 0);
    }
    const std::string kind(1, p.kind);
    out.Begin(Table::kCG44)
        .Set("CG44_DITTA_CG18", co)
        .Text("CG44_TIPOCF", kind)
        .Set("CG44_CLIFOR", p.number)
        .Set("CG44_ANAG_CG16", p.registry)
        .Set("CG44_FLGTERZISTA", p.subcontractor ? 1 : 0)
        .TextOrNull("CG44_CODDEP_MG58", p.depot)
        .Add();
    out.Begin(Table::kMG19)
        .Set("MG19_DITTA_CG18", co)
        .Text("MG19_TIPOCF_CG44", kind)
        .Set("MG19_CLIFOR_CG44", p.number)
        .Text("MG19_MACROAREA", p.macro_area)
        .Text("MG19_AREA", p.area)
        .Text("MG19_ZONA", p.zone)
        .Text("MG19_MACROCAT", p.macro_cat)
        .Text("MG19_CATEG", p.category)
        .Text("MG19_SOTTOCAT", p.sub_category)
        .TextOrNull("MG19_RAGGRCF1", p.agent)
        .Null("MG19_RAGGRCF2")
        .Null("MG19_RAGGCRF3")
        .Add();
  }

  Coded(out, Table::kCG68, "CG68_DITTA_CG18", co, "CG68_SEZDOC", "01", "CG68_DESCSEZ",
        "Sezionale principale");
  Coded(out, Table::kCG68, "CG68_DITTA_CG18", co, "CG68_SEZDOC", "02", "CG68_DESCSEZ",
        "Sezionale clienti esteri");

  struct DocType {
    const char* code;
    const char* description;
    int kind, sub_kind;
  };
  const DocType doc_types[] = {{"ORC", "Ordine cliente", 10, 1},
                               {"ODP", "Ordine di produzione", 12, 3},
                               {"OCL", "Ordine di conto lavoro", 12, 4},
                               {"LPR", "Lista di prelievo per terzista", 14, 2},
                               {"DDT", "DDT di invio a terzista", 25, 13},
                               {"SCA", "Scarico scarti di produzione", 30, 5}};
  for (const auto& d : doc_types) {
    out.Begin(Table::kMG36)
        .Set("MG36_DITTA_CG18", co)
        .Text("MG36_DOCUM", d.code)
        .Text("MG36_DESCR", d.description)
        .Set("MG36_TIPODOC", d.kind)
        .Set("MG36_STIPODOC", d.sub_kind)
        .Add();
  }

  auto depot = [&](const std::string& code, const std::string& description, int kind,
                   const Party* holder) {
    auto& r = out.Begin(Table::kMG58)
                  .Set("MG58_DITTA_CG18", co)
                  .Text("MG58_CODDEP", code)
                  .Text("MG58_DESCR", description)
                  .Set("MG58_INDTIPODEP", kind);
    if (holder != nullptr) {
      r.Text("MG58_TIPOCF_CG44", "F").Set("MG58_CLIFOR_CG44", holder->number);
    } else {
      r.Null("MG58_TIPOCF_CG44").Null("MG58_CLIFOR_CG44");
    }
    r.Add();
  };
  depot(kDepotFinished, "Magazzino prodotti finiti", 0, nullptr);
  depot(kDepotFabrics, "Magazzino tessuti", 0, nullptr);
  depot(kDepotTrims, "Magazzino accessori e semilavorati", 0, nullptr);
  depot(kDepotFloor, "Reparto produzione", 1, nullptr);
  depot(kDepotScrap, "Seconde scelte e scarti", 3, nullptr);
  for (const Party& p : c.parties) {
    if (!p.depot.empty()) {
      std::string name = "Deposito c/o " + p.name;
      if (name.size() > 40) name.resize(40);
      while (!name.empty() && name.back() == ' ') name.pop_back();
      depot(p.depot, name, 2, &p);
    }
  }

  // Article classification.
  const std::pair<const char*, const char*> families[] = {
      {"CS", "Capispalla"}, {"PA", "Pantaloni"}, {"CA", "Camiceria"},
      {"TE", "Tessuti"},    {"AC", "Accessori e mercerie"}, {"SL", "Semilavorati"}};
  for (const auto& [code, name] : families) {
    Coded(out, Table::kMG53, "MG53_DITTA_CG18", co, "MG53_FAM", code, "MG53_DESCR", name);
  }
  struct Sub {
    const char *fam, *code, *name;
  };
  const Sub subs[] = {{"CS", "GI", "Giacche"},          {"CS", "CP", "Cappotti"},
                      {"CS", "GL", "Gilet"},            {"PA", "CL", "Pantaloni classici"},
                      {"PA", "CA", "Pantaloni casual"}, {"CA", "CL", "Camicie classiche"},
                      {"CA", "CS", "Camicie casual"},   {"TE", "LA", "Tessuti di lana"},
                      {"TE", "CO", "Tessuti di cotone e lino"},
                      {"TE", "FO", "Fodere e telette"}, {"AC", "BT", "Bottoni"},
                      {"AC", "CR", "Cerniere"},         {"AC", "FI", "Filati cucirini"},
                      {"AC", "ET", "Etichette"},        {"AC", "IM", "Imbottiture"},
                      {"SL", "RI", "Ricami"},           {"SL", "CO", "Componenti camicia"}};
  for (const auto& s : subs) {
    out.Begin(Table::kMG54)
        .Set("MG54_DITTA_CG18", co)
        .Text("MG54_FAM_MG53", s.fam)
        .Text("MG54_SFAM", s.code)
        .Text("MG54_DESCR", s.name)
        .Add();
  }
  struct Grp {
    const char *fam, *sfam, *code, *name;
  };
  const Grp groups[] = {{"CS", "GI", "MO", "Monopetto"},   {"CS", "GI", "DP", "Doppiopetto"},
                        {"CS", "GI", "SP", "Sportive"},    {"CS", "CP", "CL", "Classici"},
                        {"CS", "GL", "CL", "Classici"},    {"PA", "CL", "PI", "Con pince"},
                        {"PA", "CL", "PL", "Senza pince"}, {"PA", "CA", "CH", "Chino"},
                        {"PA", "CA", "CO", "Con coulisse"}, {"CA", "CL", "FR", "Collo francese"},
                        {"CA", "CL", "BD", "Button-down"}, {"CA", "CS", "CO", "Collo coreano"}};
  for (const auto& g : groups) {
    out.Begin(Table::kMG55)
        .Set("MG55_DITTA_CG18", co)
        .Text("MG55_FAM_MG53", g.fam)
        .Text("MG55_SFAM_MG54", g.sfam)
        .Text("MG55_GRUPPO", g.code)
        .Text("MG55_DESCR", g.name)
        .Add();
    for (const auto& [code, name] : {std::pair{"UO", "Uomo"}, std::pair{"DO", "Donna"}}) {
      out.Begin(Table::kMG56)
          .Set("MG56_DITTA_CG18", co)
          .Text("MG56_FAM_MG53", g.fam)
          .Text("MG56_SFAM_MG54", g.sfam)
          .Text("MG56_GRUPPO_MG55", g.code)
          .Text("MG56_SGRUPPO", code)
          .Text("MG56_DESCR", std::string(g.name) + " " + name)
          .Add();
    }
  }
  const std::pair<const char*, const char*> stat1[] = {
      {"AI", "Autunno-Inverno"}, {"PE", "Primavera-Estate"}, {"CONT", "Continuativo"}};
  for (const auto& [code, name] : stat1) {
    Coded(out, Table::kMG74, "MG74_DITTA_CG18", co, "MG74_GRUSTAT1", code, "MG74_DESCR", name);
  }
  const std::pair<const char*, const char*> stat2[] = {
      {"CER", "Cerimonia"}, {"BUS", "Business"}, {"CAS", "Casual"}};
  for (const auto& [code, name] : stat2) {
    Coded(out, Table::kMG75, "MG75_DITTA_CG18", co, "MG75_GRUSTAT2", code, "MG75_DESCR", name);
  }
  const std::pair<const char*, const char*> stat3[] = {{"UOMO", "Uomo"}, {"DONN", "Donna"}};
  for (const auto& [code, name] : stat3) {
    Coded(out, Table::kMG76, "MG76_DITTA_CG18", co, "MG76_GRUSTAT3", code, "MG76_DESCR", name);
  }
  const std::pair<const char*, const char*> stat4[] = {
      {"ALTA", "Fascia alta"}, {"MEDI", "Fascia media"}, {"BASE", "Fascia base"}};
  for (const auto& [code, name] : stat4) {
    Coded(out, Table::kMG77, "MG77_DITTA_CG18", co, "MG77_GRUSTAT4", code, "MG77_DESCR", name);
  }
  const std::pair<int, const char*> states[] = {
      {1, "Attivo"}, {2, "Prototipo"}, {3, "In esaurimento"}, {4, "Obsoleto"}};
  for (const auto& [code, name] : states) {
    out.Begin(Table::kMG6W)
        .Set("MG6W_DITTA_CG18", co)
        .Set("MG6W_INDSTATO", code)
        .Text("MG6W_DESCR", name)
        .Add();
  }

  // Variant configuration: colour, size (the grid), fit.
  struct Dim {
    const char* code;
    const char* name;
    int size, grid;
  };
  const Dim dims[] = {{kDimColour, "Colore", kColourSize, 0},
                      {kDimSize, "Taglia", kSizeSize, 1},
                      {kDimFit, "Vestibilit\xC3\xA0", kFitSize, 0}};
  for (const auto& d : dims) {
    out.Begin(Table::kMG5F)
        .Set("MG5F_DITTA_CG18", co)
        .Text("MG5F_CODICEVAR", d.code)
        .Text("MG5F_DESCR_VAR", d.name)
        .Set("MG5F_SIZE", d.size)
        .Set("MG5F_INDGRIGLIA", d.grid)
        .Add();
  }
  auto option = [&](const char* dim, const std::string& code, const std::string& description) {
    out.Begin(Table::kMG5E)
        .Set("MG5E_DITTA_CG18", co)
        .Text("MG5E_CODICEVAR_MG5F", dim)
        .Text("MG5E_OPZIONE", code)
        .Text("MG5E_DESCR", description)
        .Add();
  };
  for (const auto& col : c.colours) option(kDimColour, col.code, col.it);
  for (const auto& s : c.sizes) {
    const bool collar_only = s == "37" || s == "39" || s == "41" || s == "43" || s == "45";
    const bool letter = !s.empty() && (s[0] < '0' || s[0] > '9');
    option(kDimSize, s, letter ? s : (collar_only ? "Collo " : "Taglia ") + s);
  }
  for (const auto& [code, name] : c.fits) option(kDimFit, code, name);
  for (const auto& g : c.groups) {
    out.Begin(Table::kMG5G)
        .Set("MG5G_DITTA_CG18", co)
        .Text("MG5G_CODICEVAR_MG5F", g.dimension)
        .Text("MG5G_RAGGR", g.code)
        .Text("MG5G_DESCR", g.description)
        .Add();
    for (size_t i = 0; i < g.options.size(); ++i) {
      out.Begin(Table::kMG5H)
          .Set("MG5H_DITTA_CG18", co)
          .Text("MG5H_CODICEVAR_MG5F", g.dimension)
          .Text("MG5H_RAGGR_MG5G", g.code)
          .Text("MG5H_OPZIONE_MG5E", g.options[i])
          .Set("MG5H_SEQOPZIONE", static_cast<int64_t>((i + 1) * 10))
          .Text("MG5H_DESCR", g.descriptions[i])
          .Add();
    }
  }

  const std::pair<const char*, const char*> combinations[] = {
      {"ABITO-TO", "Abito Torino: giacca GIA-TORINO e pantalone PAN-ROMA"},
      {"ABITO-MI", "Abito Milano: giacca GIA-MILANO e pantalone PAN-NAPOLI"}};
  for (const auto& [code, name] : combinations) {
    Coded(out, Table::kFA02, "FA02_DITTA_CG18", co, "FA02_CODABB", code, "FA02_DESCRIZIONE", name);
  }

  // Production setup.
  const std::pair<const char*, const char*> departments[] = {{"TAGL", "Sala taglio"},
                                                             {"CONF", "Confezione"},
                                                             {"STIR", "Stireria"},
                                                             {"CTRL", "Controllo qualit\xC3\xA0"}};
  for (const auto& [code, name] : departments) {
    Coded(out, Table::kPD07, "PD07_DITTA_CG18", co, "PD07_CODREP", code, "PD07_DESCR", name);
  }
  struct Machine {
    const char *code, *name, *department;
  };
  const Machine machines[] = {{"TG-AUTO1", "Taglio automatico a lama", "TAGL"},
                              {"TG-MAN1", "Banco di taglio manuale", "TAGL"},
                              {"ADES-01", "Pressa adesivatrice a nastro", "TAGL"},
                              {"LIN-GIAC", "Linea di cucito capispalla", "CONF"},
                              {"LIN-PANT", "Linea di cucito pantaloni", "CONF"},
                              {"LIN-CAMI", "Linea di cucito camiceria", "CONF"},
                              {"ASOLA-01", "Asolatrice automatica", "CONF"},
                              {"STIRO-GIA", "Manichino stiro giacche", "STIR"},
                              {"STIRO-PAN", "Pressa stiro pantaloni", "STIR"},
                              {"STIRO-CAM", "Tavolo stiro camicie", "STIR"},
                              {"CTRL-01", "Banco controllo e imbusto", "CTRL"}};
  for (const auto& m : machines) {
    out.Begin(Table::kPD08)
        .Set("PD08_DITTA_CG18", co)
        .Text("PD08_MACCHINA", m.code)
        .Text("PD08_DESCR", m.name)
        .Text("PD08_CODREP_PD07", m.department)
        .Add();
  }
  struct ProdLine {
    const char *code, *name, *department;
  };
  const ProdLine lines[] = {{"CSP", "Linea capispalla", "CONF"},
                            {"PAN", "Linea pantaloni", "CONF"},
                            {"CAM", "Linea camiceria", "CONF"},
                            {"SL", "Semilavorati", "TAGL"}};
  for (const auto& l : lines) {
    out.Begin(Table::kPD01)
        .Set("PD01_DITTA_CG18", co)
        .Text("PD01_CODLINEA", l.code)
        .Text("PD01_DESCR", l.name)
        .Text("PD01_CODREP_PD07", l.department)
        .Add();
  }
  for (const Phase& p : c.phases) {
    auto& r = out.Begin(Table::kPD12)
                  .Set("PD12_DITTA_CG18", co)
                  .Set("PD12_CODFASE", p.code)
                  .Text("PD12_DESCR", p.description)
                  .Set("PD12_INDFASEINTEST", p.external ? 1 : 0)
                  .TextOrNull("PD12_CODREP_PD07", p.department)
                  .TextOrNull("PD12_MACCHINA_PD08", p.machine);
    if (p.supplier >= 0) {
      r.Text("PD12_TIPOCF_CG44", "F").Set("PD12_CLIFOR_CG44", c.parties[static_cast<size_t>(p.supplier)].number);
    } else {
      r.Null("PD12_TIPOCF_CG44").Null("PD12_CLIFOR_CG44");
    }
    r.Set("PD12_TEMPOSTD", p.standard_hours).Add();
  }
  const std::pair<const char*, const char*> product_types[] = {
      {"PF", "Prodotto finito"}, {"SL", "Semilavorato"}, {"MP", "Materia prima e accessori"}};
  for (const auto& [code, name] : product_types) {
    Coded(out, Table::kPD20, "PD20_DITTA_CG18", co, "PD20_TIPOPROD", code, "PD20_DESCR", name);
  }
  const std::pair<const char*, const char*> provenances[] = {
      {"IN", "Produzione interna"}, {"CL", "Produzione in conto lavoro"}, {"AC", "Acquisto"}};
  for (const auto& [code, name] : provenances) {
    Coded(out, Table::kPD21, "PD21_DITTA_CG18", co, "PD21_CODPROD", code, "PD21_DESCR", name);
  }
  for (const Article& a : c.articles) EmitArticle(c, out, a);

  // Projects and their classifications.
  const std::pair<const char*, const char*> p_types[] = {
      {"COLLEZ", "Collezione stagionale"}, {"CAPSULE", "Capsule collection"},
      {"FORNITURA", "Fornitura speciale"}};
  for (const auto& [code, name] : p_types) {
    Coded(out, Table::kPD1D, "PD1D_DITTA_CG18", co, "PD1D_TIPO", code, "PD1D_DESCR", name);
  }
  const std::pair<const char*, const char*> p_states[] = {
      {"PIANIF", "Pianificato"}, {"INCORSO", "In corso"}, {"CHIUSO", "Chiuso"}};
  for (const auto& [code, name] : p_states) {
    Coded(out, Table::kPD1E, "PD1E_DITTA_CG18", co, "PD1E_STATO", code, "PD1E_DESCR", name);
  }
  for (const auto& [code, name] : stat1) {
    Coded(out, Table::kPD1F, "PD1F_DITTA_CG18", co, "PD1F_CLASSEA", code, "PD1F_DESCR", name);
  }
  for (const auto& [code, name] : {std::pair{"UOMO", "Linea uomo"}, std::pair{"DONNA", "Linea donna"}}) {
    Coded(out, Table::kPD1G, "PD1G_DITTA_CG18", co, "PD1G_CLASSEB", code, "PD1G_DESCR", name);
  }
  const std::pair<const char*, const char*> channels[] = {
      {"RETAIL", "Negozi e boutique"}, {"WHOLESALE", "Ingrosso e distributori esteri"},
      {"CORPORATE", "Forniture aziendali"}};
  for (const auto& [code, name] : channels) {
    Coded(out, Table::kPD1H, "PD1H_DITTA_CG18", co, "PD1H_CLASSEC", code, "PD1H_DESCR", name);
  }
  for (const Project& p : c.projects) {
    out.Begin(Table::kPD68)
        .Set("PD68_DITTA_CG18", co)
        .Text("PD68_CODPROGETTO", p.code)
        .Text("PD68_DESCR", p.description)
        .Text("PD68_TIPO_PD1D", p.type)
        .Text("PD68_STATO_PD1E", p.state)
        .Text("PD68_CLASSEA_PD1F", p.class_a)
        .Text("PD68_CLASSEB_PD1G", p.class_b)
        .Text("PD68_CLASSEC_PD1H", p.class_c)
        .Date("PD68_DATAINIZIO", p.start)
        .Date("PD68_DATAFINE", p.end)
        .Add();
  }
}

}  // namespace zv::sample::internal
