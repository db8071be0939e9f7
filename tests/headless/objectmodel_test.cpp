// The shared object-model rows on the headless platform: each row's page, read through the port.
#include <gtest/gtest.h>

#include "headless/dom.h"
#include "objectmodel/rows.h"

namespace {

TEST(ObjectModel, HeadlessAnswersEveryRowAsTheEngineDoes) {
  for (const objectmodel::Row& row : objectmodel::rows()) {
    html::Document doc = headless::dom::newDocument(row.page, objectmodel::kPageUrl);
    html::Element target = doc.getElementById("t");
    ASSERT_FALSE(target.isNothing()) << row.behaviour;
    EXPECT_EQ(row.probe(target), row.expected) << row.behaviour;
  }
}

}  // namespace
