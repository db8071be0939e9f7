#include <gtest/gtest.h>

#include <map>
#include <string>

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
  std::map<char, std::shared_ptr<WindowProxy>> made;

  std::shared_ptr<WindowProxy> proxy(char name, bool fails = false) {
    return std::shared_ptr<WindowProxy>(new NamedProxy(name, &cleaned, fails));
  }
  // Registers each name in turn; a name registered again is the same proxy.
  void add(const std::string& names, char failing = 0) {
    for (char n : names) {
      if (!made[n]) made[n] = proxy(n, n == failing);
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
  // Points every shared reference at a page's body; answers how many are still set.
  std::size_t setReferences() {
    if (!window->Load(pageUrl("left.html"))) return 0;
    for (html::Element* r : references()) *r = document(window->page()).body();
    return references().size();
  }
  static std::size_t referencesSet() {
    std::size_t set = 0;
    for (html::Element* r : references()) set += !r->isNothing();
    return set;
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
    if (!made[removed]) made[removed] = proxy(removed);
    RemoveProxy(made[removed].get());
    EXPECT_EQ(registered(), left);
    EXPECT_EQ(g_Proxies().size(), std::string(left).size() + 1);
    EXPECT_EQ(g_Proxies()[0], nullptr) << "entry 0 is never filled";
    ProxyCleanup();
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(RegistryTest, CleanupGoesLastFirstAndDropsTheSharedReferencesOnlyAfterAFullWalk) {
  struct Case {
    const char* registrations;
    char failing;
    const char* cleaned;
    const char* left;
    std::size_t referencesLeft;  // a proxy's own cleanup drops the current element
    const char* moreInfo;        // of the one record a failure writes
  };
  const Case cases[] = {
      {"ABC", 0, "CBA", "", 0, nullptr},
      {"", 0, "", "", 0, nullptr},
      {"ABC", 'C', "", "ABC", 6, "3 - 0 - 3"},
      {"ABC", 'B', "C", "AB", 5, "2 - 0 - 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.registrations) + " failing " + c.failing);
    cleaned.clear();
    made.clear();
    ASSERT_EQ(setReferences(), 6u);
    add(c.registrations, c.failing);
    const std::size_t before = records();
    ProxyCleanup();
    EXPECT_EQ(cleaned, c.cleaned);
    EXPECT_EQ(registered(), c.left);
    EXPECT_EQ(referencesSet(), c.referencesLeft);
    EXPECT_EQ(records(), before + (c.moreInfo ? 1 : 0));
    if (c.moreInfo) {
      const testing_support::Record record = lastRecord();
      EXPECT_EQ(record.at("object") + " " + record.at("routine") + " " + record.at("more-info"),
                std::string("mdlWindowProxy ProxyCleanup() ") + c.moreInfo);
    }
    for (auto& [name, proxy] : made) static_cast<NamedProxy&>(*proxy).fails = false;
    ProxyCleanup();
  }
}
