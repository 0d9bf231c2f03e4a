#pragma once
// Readable names for the cases of a parameterised test, in place of GoogleTest's "0", "1", ...:
//
//   INSTANTIATE_TEST_SUITE_P(Table, FileCreateErrorTest, ::testing::Values(...),
//                            test_names::From(&CreateErrorCase::what));
//   INSTANTIATE_TEST_SUITE_P(Priorities, ThreadPriorityTest, ::testing::Values(-2, 0, 2),
//                            test_names::FromValue());
//
// A case described "the folder does not exist" runs as .../the_folder_does_not_exist. Two cases
// of one table whose descriptions give the same name stop the test program at start-up with
// GoogleTest's "Duplicate parameterized test name", so the table's descriptions must differ in
// their letters and digits, not only in punctuation.
#include <string>
#include <string_view>
#include <type_traits>

#include <gtest/gtest.h>

namespace test_names {

// The description's ASCII letters and digits as they are; every run of other characters
// (spaces, punctuation, the bytes of Chinese text) becomes one underscore.
inline std::string Name(std::string_view description) {
  if (description.empty()) return "empty";
  std::string name;
  for (const char c : description) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (kept) {
      name += c;
    } else if (name.empty() || name.back() != '_') {
      name += '_';
    }
  }
  return name;
}

// A number as a name: "Minus15", "0", "15".
template <typename Number, std::enable_if_t<std::is_integral_v<Number>, int> = 0>
std::string Name(Number number) {
  if constexpr (std::is_signed_v<Number>) {
    if (number < 0) return "Minus" + std::to_string(0ull - static_cast<unsigned long long>(number));
  }
  return std::to_string(number);
}

// Names each case by one of its fields (its description).
template <typename Case, typename Field>
auto From(Field Case::*field) {
  return [field](const ::testing::TestParamInfo<Case>& info) { return Name(info.param.*field); };
}

// Names each case of a table of plain values by the value itself.
inline auto FromValue() {
  return [](const auto& info) { return Name(info.param); };
}

}  // namespace test_names
