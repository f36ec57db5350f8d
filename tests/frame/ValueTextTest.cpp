// The panels' value texts, which the window and the page both show.
#include <gtest/gtest.h>

#include "frame/ValueText.h"

using namespace plashbox;

TEST(ValueText, AValueShowsAsItIsNotAsTheSlidersStep) {
  EXPECT_EQ(ShownDecimal(1.0), "1.0");
  EXPECT_EQ(ShownDecimal(double(1.15f)), "1.15") << "a float a little under 1.15";
  EXPECT_EQ(ShownDecimal(1.5), "1.5");
  EXPECT_EQ(ShownDecimal(0), "0.0");
  EXPECT_EQ(ShownDecimal(1.0 / 3), "0.333");
  EXPECT_EQ(ShownDecimal(10), "10.0");
  EXPECT_EQ(IndexText(1), "1.00");
  EXPECT_EQ(IndexText(0.3), "1.83");
  EXPECT_EQ(IndexText(double(0.3f)), "1.83");
  EXPECT_EQ(IndexText(1 - 3 / 11.0), "1.17");
}
