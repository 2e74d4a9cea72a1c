// Which multilingual service the message box and the translation use, with
// which operation and arguments, and how they fail.
#include "shell/messages.h"

#include <gtest/gtest.h>

#include "data/error.h"
#include "host/expando.h"
#include "host/framework.h"
#include "host/registry.h"

namespace zv {
namespace {

// A multilingual service that records its calls and answers 6 / "tradotto".
std::shared_ptr<ExpandoObject> RecordingService(int* created = nullptr) {
  if (created) ++*created;
  auto s = std::make_shared<ExpandoObject>("CLSNX_MULTILINGUA");
  for (const char* m : {"ZMXMsgBox", "ZMXMsgBoxFromId", "ZMXMsgBoxFromIdConParametri"})
    s->DefineMethod(m, [](std::span<Variant>) { return Variant(int32_t{6}); });
  for (const char* m : {"TraduzioneTesto", "TraduzioneTestoConParametri"})
    s->DefineMethod(m, [](std::span<Variant>) { return Variant("tradotto"); });
  return s;
}

std::shared_ptr<Dispatch> HostContextWith(std::shared_ptr<Dispatch> service) {
  auto app = std::make_shared<ExpandoObject>("Application");
  app->Define("Multilingua", Variant(service));
  auto host = std::make_shared<ExpandoObject>("HostContext");
  host->Define("Application", Variant(std::static_pointer_cast<Dispatch>(app)));
  return host;
}

class MessageServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    own_ = RecordingService();
    registration_ = std::make_unique<ScopedRegistration>(
        kMultilinguaProgId, [this]() -> std::shared_ptr<Dispatch> {
          ++created_;
          return own_;
        });
  }
  std::shared_ptr<ExpandoObject> own_;
  int created_ = 0;
  std::unique_ptr<ScopedRegistration> registration_;
  MessageService service_;
};

TEST_F(MessageServiceTest, MsgBoxPicksOperationByIdParametersAndHost) {
  auto host_service = RecordingService();
  Variant host(HostContextWith(host_service));
  Variant params = MakeArray({Variant("CAMPO"), Variant(int32_t{131})});
  struct Case {
    int32_t id;
    bool with_host;
    bool with_params;
    std::string expected_call;
  } cases[] = {
      {0, true, false, "Invoke ZMXMsgBox(\"testo\", 16, \"titolo\", Empty)"},
      {0, false, false, "Invoke ZMXMsgBox(\"testo\", 16, \"titolo\")"},
      {80606, true, true,
       "Invoke ZMXMsgBoxFromIdConParametri(80606, 16, \"titolo\", Array(\"CAMPO\", 131))"},
      {80606, true, false, "Invoke ZMXMsgBoxFromId(80606, 16, \"titolo\", Array())"},
      {80606, false, true,
       "Invoke ZMXMsgBoxFromIdConParametri(80606, 16, \"titolo\", Array(\"CAMPO\", 131))"},
      {80606, false, false, "Invoke ZMXMsgBoxFromId(80606, 16, \"titolo\")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected_call);
    host_service->ClearCalls();
    own_->ClearCalls();
    int32_t r = service_.MsgBox(c.with_host ? host : Variant(), "testo", c.id, 16, "titolo",
                                c.with_params ? params : Variant());
    EXPECT_EQ(r, 6);
    auto& calls = c.with_host ? host_service->calls() : own_->calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], c.expected_call);
    EXPECT_TRUE((c.with_host ? own_ : host_service)->calls().empty());
  }
}

TEST_F(MessageServiceTest, OwnServiceIsCreatedOnceAndReused) {
  service_.MsgBox(Variant(), "a", 0, 0, "t");
  service_.MsgBox(Variant(), "b", 0, 0, "t");
  service_.Translate(Variant(), "c", 5);
  EXPECT_EQ(created_, 1);
  EXPECT_EQ(own_->calls().size(), 3u);
}

TEST_F(MessageServiceTest, HostWithoutServiceFallsBackToOwn) {
  auto host = std::make_shared<ExpandoObject>("HostContext");
  host->Define("Application", Variant::Nothing());
  EXPECT_EQ(service_.MsgBox(Variant(std::static_pointer_cast<Dispatch>(host)), "a", 0, 0, "t"), 6);
  EXPECT_EQ(created_, 1);
}

TEST_F(MessageServiceTest, FailingServiceGivesZeroAndRetriesCreation) {
  registration_.reset();
  ScopedRegistration failing(kMultilinguaProgId, []() -> std::shared_ptr<Dispatch> {
    throw std::runtime_error("cannot create");
  });
  EXPECT_EQ(service_.MsgBox(Variant(), "a", 0, 0, "t"), 0);
  EXPECT_FALSE(service_.has_own_service());
  EXPECT_EQ(service_.Translate(Variant(), "dell'articolo", 12, Variant(), 1),
            "dell''articolo");
}

TEST_F(MessageServiceTest, TranslateFollowsIdAndDoublesQuotesForSql) {
  EXPECT_EQ(service_.Translate(Variant(), "dell'articolo", 0, Variant(), 1), "dell''articolo");
  EXPECT_EQ(service_.Translate(Variant(), "dell'articolo", 0), "dell'articolo");
  EXPECT_TRUE(own_->calls().empty());
  EXPECT_EQ(service_.Translate(Variant(), "x", 7), "tradotto");
  EXPECT_EQ(own_->calls().back(), "Invoke TraduzioneTesto(7)");
  auto host_service = RecordingService();
  Variant host(HostContextWith(host_service));
  service_.Translate(host, "x", 7);
  EXPECT_EQ(host_service->calls().back(), "Invoke TraduzioneTesto(7, Array())");
  service_.Translate(host, "x", 7, MakeArray({Variant("p")}));
  EXPECT_EQ(host_service->calls().back(), "Invoke TraduzioneTestoConParametri(7, Array(\"p\"))");
}

TEST(DefaultMultilingua, CatalogueTextWithParametersAndUnknownIdFails) {
  std::vector<std::string> shown;
  DefaultMultilingua service([&](const std::string& text, int style, const std::string& title) {
    shown.push_back(title + ":" + text);
    return mb::FirstButton(style);
  });
  std::vector<Variant> args = {Variant(int32_t{80606}), Variant(int32_t{16}), Variant("CLSPD_VESTARO"),
                               MakeArray({Variant("QTA"), Variant(int32_t{205})})};
  EXPECT_EQ(service.Invoke("ZMXMsgBoxFromIdConParametri", args).ToLong(), mb::kOk);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "CLSPD_VESTARO:campo non riconosciuto : QTA (tipo 205)");
  std::vector<Variant> unknown = {Variant(int32_t{1})};
  EXPECT_THROW(service.Invoke("TraduzioneTesto", unknown), PlatformError);
  EXPECT_EQ(mb::FirstButton(mb::kAbortRetryIgnore | mb::kCritical), mb::kAbort);
  EXPECT_EQ(mb::FirstButton(mb::kYesNo), mb::kYes);
  EXPECT_EQ(mb::FirstButton(mb::kRetryCancel), mb::kRetry);
}

}  // namespace
}  // namespace zv
