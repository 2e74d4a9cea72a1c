// vestaro demo: a short tour of the library on the embedded default.
#include <cstdio>
#include <iostream>

#include "apps/commands.h"
#include "data/recordset.h"
#include "host/framework.h"
#include "shell/clspd_vestaro.h"
#include "shell/trace.h"

namespace zv::app {
namespace {

std::shared_ptr<Recordset> SampleOrderRows() {
  auto rs = std::make_shared<Recordset>();
  rs->AppendField("DO11_NUMREG_CO99", ado::kChar, 12);
  rs->AppendField("DO30_PROGRIGA", ado::kNumeric, 19, ado::kFldIsNullable, 6, 0);
  rs->AppendField("DO30_CODART_MG66", ado::kChar, 25);
  rs->AppendField("DO30_OPZIONE_MG5E", ado::kChar, 20);
  rs->AppendField("DO30_QTA1", ado::kNumeric, 19, ado::kFldIsNullable, 17, 6);
  rs->Open();
  const char* sizes[] = {"42", "44", "46", "48", "50"};
  const char* colours[] = {"BLU", "NERO"};
  int progriga = 1;
  for (const char* colour : colours) {
    for (const char* size : sizes) {
      rs->AddNew();
      rs->SetValue("DO11_NUMREG_CO99", Variant("2026ODP00017"));
      rs->SetValue("DO30_PROGRIGA", Variant(int32_t{progriga}));
      rs->SetValue("DO30_CODART_MG66", Variant("GIACCA-LANA"));
      rs->SetValue("DO30_OPZIONE_MG5E", Variant(std::string(colour) + "  " + size));
      rs->SetValue("DO30_QTA1", Variant(Decimal(10 + 5 * (progriga % 4))));
      rs->Update();
      ++progriga;
    }
  }
  return rs;
}

int RunDemo() {
  SetDebugSink([](std::string_view line) { std::cout << "  [trace] " << line << "\n"; });
  RegisterDefaultMultilingua([](const std::string& text, int, const std::string& title) {
    std::cout << "  [" << title << "] " << text << "\n";
    return 1;
  });
  std::cout << "== Creating a CLSPD_VESTARO and setting its context\n";
  {
    CLSPD_VESTARO vestaro;
    vestaro.SetCodiceDitta(Variant("1"));
    vestaro.PgmChiamante = FbAvanzamentoOrdiniProduzione;
    vestaro.AccorpaVariante = Fb_VarianteParziale;
    std::cout << "  CodiceDitta = " << vestaro.CodiceDitta().ToString()
              << ", InitProgPadre = " << vestaro.InitProgPadre
              << ", m_NomeTmpTablePD48 = " << vestaro.m_NomeTmpTablePD48 << "\n";
    std::cout << "  GetGUID() = " << vestaro.GetGUID() << "\n";

    std::cout << "\n== Order rows of one model, as the host hands them in\n";
    auto rows = SampleOrderRows();
    std::cout << RenderRecordset(*rows);

    std::cout << "\n== Filter \"DO30_OPZIONE_MG5E LIKE 'nero*' AND DO30_QTA1 >= 15\", "
                 "sorted by DO30_QTA1 DESC\n";
    rows->SetFilter(Variant("DO30_OPZIONE_MG5E LIKE 'nero*' AND DO30_QTA1 >= 15"));
    rows->SetSort("DO30_QTA1 DESC");
    std::cout << RenderRecordset(*rows);
    std::cout << "  RecordCount = " << rows->RecordCount() << "\n";

    std::cout << "\n== Releasing the object\n";
  }
  SetDebugSink(nullptr);
  return 0;
}

VESTARO_COMMAND([](CLI::App& app, int* exit_status) {
  auto* demo = app.add_subcommand(
      "demo", "Run a short tour of the library: object creation and trace lines, a GUID, "
              "a filtered and sorted record set");
  demo->callback([exit_status] { *exit_status = RunDemo(); });
});

}  // namespace
}  // namespace zv::app
