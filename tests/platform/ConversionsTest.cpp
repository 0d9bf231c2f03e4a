// The runtime's conversions of text to numbers, as the existing-installation check uses them.
#include <gtest/gtest.h>

#include "platform/Conversions.h"
#include "platform/Errors.h"
#include "support/TestNames.h"

namespace {

struct IntCase {
  const char* what;
  const char* text;
  bool valid;
  int value;
};

class StrToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(StrToIntTest, ReadsDecimalIntegersOrGivesTheRuntimeError) {
  const IntCase& c = GetParam();
  if (c.valid) {
    EXPECT_EQ(StrToInt(c.text), c.value);
    return;
  }
  try {
    StrToInt(c.text);
    ADD_FAILURE() << "accepted '" << c.text << "'";
  } catch (const EConvertError& error) {
    EXPECT_EQ(std::string(error.what()),
              "'" + std::string(c.text) + "' is not a valid integer value");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StrToIntTest,
    ::testing::Values(IntCase{"leading zeros of a version serial", "02080308", true, 2080308},
                      IntCase{"a sign and leading blanks", "  -42", true, -42},
                      IntCase{"hexadecimal with a dollar", "$1F", true, 31},
                      IntCase{"the largest value", "2147483647", true, 2147483647},
                      IntCase{"one above the largest", "2147483648", false, 0},
                      IntCase{"empty", "", false, 0}, IntCase{"a trailing blank", "42 ", false, 0},
                      IntCase{"a fraction", "2.5", false, 0},
                      IntCase{"letters", "2.8.3.8", false, 0}),
    test_names::From(&IntCase::what));

struct FloatCase {
  const char* what;
  const char* text;
  bool valid;
  double value;
};

class StrToFloatTest : public ::testing::TestWithParam<FloatCase> {};

TEST_P(StrToFloatTest, ReadsDecimalNumbersOrGivesTheRuntimeError) {
  const FloatCase& c = GetParam();
  if (c.valid) {
    EXPECT_DOUBLE_EQ(StrToFloat(c.text), c.value);
    return;
  }
  try {
    StrToFloat(c.text);
    ADD_FAILURE() << "accepted '" << c.text << "'";
  } catch (const EConvertError& error) {
    EXPECT_EQ(std::string(error.what()),
              "'" + std::string(c.text) + "' is not a valid floating point value");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, StrToFloatTest,
    ::testing::Values(FloatCase{"an integer serial", "2080308", true, 2080308.0},
                      FloatCase{"a fraction", "2080308.5", true, 2080308.5},
                      FloatCase{"an exponent", "2.080308E6", true, 2080308.0},
                      FloatCase{"blanks around, as a grid cell gives it", " 12.3 ", true, 12.3},
                      FloatCase{"a negative number", "-0.01", true, -0.01},
                      FloatCase{"empty", "", false, 0}, FloatCase{"only a point", ".", false, 0},
                      FloatCase{"an exponent without digits", "1E", false, 0},
                      FloatCase{"a unit after the number", "12.3 GB", false, 0},
                      FloatCase{"a comma as the decimal separator", "12,3", false, 0}),
    test_names::From(&FloatCase::what));

}  // namespace
