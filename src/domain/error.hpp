#pragma once
// The one error type of every service, and the result type that carries it.
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace borvane::domain {

struct DomainError {
  enum class Kind : std::uint8_t {
    InvalidEntityType,
    InvalidChangeKind,
    InvalidElementKind,
    InvalidDecisionStatus,
    NotFound,
    Conflict,
    Validation,
    Other,
  };
  Kind kind;
  std::string text;

  static DomainError invalid_entity_type(std::string t) { return {Kind::InvalidEntityType, std::move(t)}; }
  static DomainError invalid_change_kind(std::string t) { return {Kind::InvalidChangeKind, std::move(t)}; }
  static DomainError invalid_element_kind(std::string t) { return {Kind::InvalidElementKind, std::move(t)}; }
  static DomainError invalid_decision_status(std::string t) { return {Kind::InvalidDecisionStatus, std::move(t)}; }
  static DomainError not_found(std::string t) { return {Kind::NotFound, std::move(t)}; }
  static DomainError conflict(std::string t) { return {Kind::Conflict, std::move(t)}; }
  static DomainError validation(std::string t) { return {Kind::Validation, std::move(t)}; }
  static DomainError other(std::string t) { return {Kind::Other, std::move(t)}; }

  // What Python callers see: the case's fixed prefix followed by the text.
  std::string display() const;

  bool operator==(const DomainError&) const = default;
};

// Either a value or an error (a DomainError unless said otherwise). Errors
// are values: nothing is thrown between modules.
template <class T, class E = DomainError>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  Result(E error) : v_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  const E& error() const& { return std::get<1>(v_); }
  E&& error() && { return std::get<1>(std::move(v_)); }

 private:
  std::variant<T, E> v_;
};

// A plain error text, for results whose value is a text too
// (Result<std::string, std::string> could not tell the two apart).
struct ErrorText {
  std::string text;
  bool operator==(const ErrorText&) const = default;
};

// The result of an operation that produces nothing but may fail.
struct Unit {
  bool operator==(const Unit&) const = default;
};
using Status = Result<Unit>;
inline Status ok_status() { return Unit{}; }

}  // namespace borvane::domain
