#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "page/SharedReferences.h"
#include "page_fixture.h"
#include "platform/error.h"

namespace {

// A proxy that notes its cleanup and can be made to fail it outright.
struct NamedProxy : WindowProxy {
  NamedProxy(std::string name, std::string* cleaned, bool fails)
      : name(std::move(name)), cleaned(cleaned), fails(fails) {}
  void Cleanup() override {
    if (fails) throw platform::Error(platform::kInvalidCall, "test", "cleanup refused");
    *cleaned += name;
    WindowProxy::Cleanup();
  }
  std::string name;
  std::string* cleaned;
  bool fails;
};

struct RegistryTest : PageFixture {
  std::string cleaned;

  std::shared_ptr<WindowProxy> proxy(char name, bool fails = false) {
    return std::shared_ptr<WindowProxy>(new NamedProxy(std::string(1, name), &cleaned, fails));
  }
  // The registered proxies by name, in order; "-" for an empty entry.
  static std::string registered() {
    std::string names;
    for (std::int32_t i = 1; i <= g_ProxyCount(); ++i) {
      auto* named = dynamic_cast<NamedProxy*>(g_Proxies()[i].get());
      names += named ? named->name : "-";
    }
    return names;
  }
  // Every shared reference pointing at the body of a page.
  void setSharedReferences() {
    ASSERT_TRUE(window->Load(pageUrl("left.html")));
    const html::Element body = document(window->page()).body();
    for (html::Element* r : references()) *r = body;
  }
  static std::vector<html::Element*> references() {
    return {&g_BorderLeft(),   &g_BorderRight(),      &g_BorderTop(),
            &g_BorderBottom(), &g_HighlightElement(), &g_CurrentElement()};
  }
  static std::size_t referencesSet() {
    std::size_t set = 0;
    for (html::Element* r : references()) set += !r->isNothing();
    return set;
  }
};

}  // namespace

TEST_F(RegistryTest, RemovingTakesOutEveryEntryOfThatVeryProxyAndKeepsTheOrder) {
  struct Case {
    const char* registrations;
    char removed;  // '?' for a proxy that was never registered
    const char* left;
  };
  const Case cases[] = {
      {"ABC", 'B', "AC"}, {"ABC", '?', "ABC"}, {"ABAC", 'A', "BC"}, {"A", 'A', ""}, {"", '?', ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.registrations) + " minus " + c.removed);
    std::map<char, std::shared_ptr<WindowProxy>> made{{'?', proxy('?')}};
    for (const char* r = c.registrations; *r; ++r) {
      if (!made.count(*r)) made[*r] = proxy(*r);
      AddProxy(made[*r]);
    }
    RemoveProxy(made[c.removed].get());
    EXPECT_EQ(registered(), c.left);
    EXPECT_EQ(g_Proxies().size(), std::string(c.left).size() + 1);
    EXPECT_EQ(g_Proxies()[0], nullptr) << "entry 0 is never filled";
    ProxyCleanup();
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(RegistryTest, CleanupGoesLastRegisteredFirstAndThenDropsTheSharedReferences) {
  for (const std::string registrations : {"ABC", ""}) {
    SCOPED_TRACE(registrations);
    cleaned.clear();
    setSharedReferences();
    for (char r : registrations) AddProxy(proxy(r));
    ProxyCleanup();
    EXPECT_EQ(cleaned, std::string(registrations.rbegin(), registrations.rend()));
    EXPECT_EQ(g_ProxyCount(), 0);
    EXPECT_EQ(referencesSet(), 0u);
  }
  EXPECT_EQ(records(), 0u);
}

TEST_F(RegistryTest, ACleanupThatFailsStopsTheWalkWhereItWasAndKeepsTheSharedReferences) {
  struct Case {
    char failing;
    const char* cleaned;
    const char* left;
    const char* moreInfo;
    std::size_t referencesLeft;  // a proxy's own cleanup drops the current element
  };
  const Case cases[] = {{'C', "", "ABC", "3 - 0 - 3", 6}, {'B', "C", "AB", "2 - 0 - 3", 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    cleaned.clear();
    setSharedReferences();
    for (char name : std::string("ABC")) AddProxy(proxy(name, name == c.failing));
    const std::size_t before = records();
    ProxyCleanup();
    EXPECT_EQ(cleaned, c.cleaned);
    EXPECT_EQ(registered(), c.left);
    EXPECT_EQ(referencesSet(), c.referencesLeft);
    ASSERT_EQ(records(), before + 1);
    const testing_support::Record record = lastRecord();
    EXPECT_EQ(record.at("object"), "mdlWindowProxy");
    EXPECT_EQ(record.at("routine"), "ProxyCleanup()");
    EXPECT_EQ(record.at("number"), "5");
    EXPECT_EQ(record.at("more-info"), c.moreInfo);
    for (std::int32_t i = 1; i <= g_ProxyCount(); ++i)
      static_cast<NamedProxy&>(*g_Proxies()[i]).fails = false;
    ProxyCleanup();
  }
}
