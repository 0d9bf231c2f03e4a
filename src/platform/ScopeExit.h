#pragma once
// A clean-up guard: runs an action when the scope ends, however it ends, unless dismissed.
#include <utility>

namespace platform {

template <class F>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(F action) noexcept(noexcept(F(std::move(action))))
      : action_(std::move(action)) {}
  ~ScopeExit() {
    if (active_) action_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ScopeExit(ScopeExit&& other) noexcept(noexcept(F(std::move(other.action_))))
      : action_(std::move(other.action_)), active_(std::exchange(other.active_, false)) {}
  ScopeExit& operator=(ScopeExit&&) = delete;

  void Dismiss() noexcept { active_ = false; }

 private:
  F action_;
  bool active_ = true;
};

template <class F>
[[nodiscard]] ScopeExit<F> MakeScopeExit(F action) {
  return ScopeExit<F>(std::move(action));
}

}  // namespace platform
