#pragma once
// A scripted test went wrong: an unexpected or mismatching dialog, a control that does not exist,
// a message loop starved of input. Deliberately not a std::exception, so that the toolkit's error
// report (which catches std::exception around every handler) lets it through to the test.
#include <string>
#include <utility>

namespace sim {

class ScriptFailure {
 public:
  explicit ScriptFailure(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

}  // namespace sim
