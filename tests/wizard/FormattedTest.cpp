// The numbers of the drive table: one decimal from 10 up, two below, decided before rounding.
#include <gtest/gtest.h>

#include "wizard/Unit_Schedule.h"

namespace {

TEST(FormattedTest, OneDecimalFromTenUpTwoBelowDecidedOnTheUnroundedValue) {
  struct Case {
    double x;
    const char* text;
  };
  const Case cases[] = {
      {74.53, "74.5"}, {9.547, "9.55"},   {9.996, "10.00"},   {10.0, "10.0"},     {0.125, "0.13"},
      {0.0, "0.00"},   {-0.009, "-0.01"}, {-12.34, "-12.34"}, {1863.0, "1863.0"}, {99.95, "100.0"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatted(c.x), c.text) << c.x;
}

}  // namespace
