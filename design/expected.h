// The one way anything that can fail for a reason a person should read
// says so: it gives its value, or a refusal in words fit for a message.
// Nothing in the library throws for such a reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace padcalc {

// Why something asked for was refused, and which entry or option it
// concerns (an option by its name, or "Z1"; empty when none in particular), so that a
// page can show the message beside that field.
struct Refusal {
    std::string reason;
    std::string field = {};
};

// A value, or the refusal that stands in its place. Expected<> is a step
// that gives nothing but may be refused.
template <typename T = std::monostate> class Expected {
  public:
    Expected() requires std::is_same_v<T, std::monostate> : value_(T{}) {}
    Expected(T value) : value_(std::move(value)) {}
    Expected(Refusal refusal) : refusal_(std::move(refusal)) {}

    explicit operator bool() const { return value_.has_value(); }
    const T& operator*() const { return *value_; }
    T& operator*() { return *value_; }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }
    const Refusal& refusal() const { return refusal_; }
    const std::string& reason() const { return refusal_.reason; }

  private:
    std::optional<T> value_;
    Refusal refusal_;
};

} // namespace padcalc
