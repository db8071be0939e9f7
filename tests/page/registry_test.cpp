#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "page/SharedReferences.h"
#include "page_fixture.h"

namespace {

// A proxy that notes its cleanup, or fails it outright.
struct NamedProxy : WindowProxy {
  NamedProxy(char name, std::string* cleaned, bool fails)
      : name(name), cleaned(cleaned), fails(fails) {}
  void Cleanup() override {
    if (fails) platform::raise(platform::kInvalidCall);
    *cleaned += name;
    WindowProxy::Cleanup();
  }
  char name;
  std::string* cleaned;
  bool fails;
};

struct RegistryTest : PageFixture {
  std::string cleaned;
  std::map<char, std::shared_ptr<NamedProxy>> made;

  // Registers each name in turn (a name registered again is the same proxy); the failing one
  // fails its cleanup.
  void add(const std::string& names, char failing = 0) {
    for (char n : names) {
      if (!made[n]) made[n] = std::make_shared<NamedProxy>(n, &cleaned, n == failing);
      AddProxy(made[n]);
    }
  }
  static std::string registered() {
    std::string names;
    for (std::int32_t i = 1; i <= g_ProxyCount(); ++i)
      names += static_cast<NamedProxy&>(*g_Proxies()[i]).name;
    return names;
  }
  static std::vector<html::Element*> references() {
    return {&g_BorderLeft(),   &g_BorderRight(),      &g_BorderTop(),
            &g_BorderBottom(), &g_HighlightElement(), &g_CurrentElement()};
  }
};

}  // namespace

TEST_F(RegistryTest, RemovingTakesOutEveryEntryOfThatVeryProxyAndKeepsTheOrder) {
  const std::tuple<const char*, char, const char*> cases[] = {
      {"ABC", 'B', "AC"}, {"ABC", 'D', "ABC"}, {"ABAC", 'A', "BC"}, {"A", 'A', ""}, {"", 'D', ""}};
  for (const auto& [registrations, removed, left] : cases) {
    SCOPED_TRACE(std::string(registrations) + " minus " + removed);
    made.clear();
    add(registrations);
    made.try_emplace(removed, std::make_shared<NamedProxy>(removed, &cleaned, false));
    RemoveProxy(made[removed].get());
    EXPECT_EQ(registered(), left);
    EXPECT_EQ(g_Proxies().size(), std::string(left).size() + 1);
    EXPECT_EQ(g_Proxies()[0], nullptr) << "entry 0 is never filled";
    ProxyCleanup();
  }
}

TEST_F(RegistryTest, CleanupGoesLastFirstAndDropsTheSharedReferencesOnlyAfterAFullWalk) {
  // Registrations, the one whose cleanup fails; what is cleaned, in order, and left registered;
  // shared references left (a proxy's own cleanup drops the current element); the record a
  // failure writes.
  const std::tuple<std::string, char, std::string, std::string, long, const char*> cases[] = {
      {"ABC", 0, "CBA", "", 0, nullptr},
      {"", 0, "", "", 0, nullptr},
      {"ABC", 'C', "", "ABC", 6, "mdlWindowProxy ProxyCleanup() 5 3 - 0 - 3"},
      {"ABC", 'B', "C", "AB", 5, "mdlWindowProxy ProxyCleanup() 5 2 - 0 - 3"},
  };
  ASSERT_TRUE(window->Load(pageUrl("left.html")));
  for (const auto& [registrations, failing, order, left, referencesLeft, record] : cases) {
    SCOPED_TRACE(registrations + " failing " + failing);
    cleaned.clear();
    made.clear();
    for (html::Element* r : references()) *r = window->page().webBrowser().Document().html().body();
    add(registrations, failing);
    ProxyCleanup();
    EXPECT_EQ(cleaned, order);
    EXPECT_EQ(registered(), left);
    EXPECT_EQ(std::ranges::count_if(references(), [](auto* r) { return !r->isNothing(); }),
              referencesLeft);
    expectedRecords += record ? 1 : 0;
    EXPECT_EQ(records(), expectedRecords);
    if (record) {
      EXPECT_EQ(lastRecord(), record);
    }
    for (auto& [name, proxy] : made) proxy->fails = false;
    ProxyCleanup();
  }
}
