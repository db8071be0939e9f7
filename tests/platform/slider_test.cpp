#include <gtest/gtest.h>

#include "headless/keyboard.h"
#include "runtime/controls.h"
#include "runtime/form.h"

namespace {

class SliderForm : public ui::Form {
 public:
  ui::Slider slider{*this};
  int changes = 0;
  SliderForm() {
    slider.ValueChange = [this] { ++changes; };
  }

 protected:
  std::string formName() const override { return "SliderForm"; }
};

// The keys move the value by a step, a fifth of the range or to a bound, and each move that
// changes it is heard once; what code sets is not.
TEST(Slider, KeysMoveTheValueWithinTheBoundsAndEachChangeIsHeardOnce) {
  SliderForm form;
  form.slider.setMax(10);
  form.slider.setValue(5);
  form.Load();
  ASSERT_TRUE(form.slider.hWnd());
  EXPECT_EQ(ui::GetParent(form.slider.hWnd()), form.hWnd());
  EXPECT_EQ(form.slider.Value(), 5) << "what was set before the window exists is kept";
  struct Case {
    WPARAM key;
    long value;
    int changes;
  } const cases[] = {{VK_DOWN, 6, 1}, {VK_RIGHT, 7, 2}, {VK_UP, 6, 3},   {VK_LEFT, 5, 4},
                     {VK_NEXT, 7, 5}, {VK_PRIOR, 5, 6}, {VK_END, 10, 7}, {VK_DOWN, 10, 7},
                     {VK_HOME, 0, 8}, {VK_UP, 0, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    headless::PressKey(form.slider.hWnd(), c.key);
    ui::DoEvents();
    EXPECT_EQ(form.slider.Value(), c.value);
    EXPECT_EQ(form.changes, c.changes);
  }
  form.slider.setValue(9);
  form.slider.setMax(4);
  EXPECT_EQ(form.slider.Value(), 4) << "the upper bound brings the value down with it";
  form.slider.setValue(-3);
  EXPECT_EQ(form.slider.Value(), 0);
  EXPECT_EQ(form.changes, 8) << "code moves it unheard";
  headless::MoveSliderTo(form.slider.hWnd(), 3);
  ui::DoEvents();
  EXPECT_EQ(form.slider.Value(), 3);
  EXPECT_EQ(form.changes, 11) << "one change a key";
}

}  // namespace
