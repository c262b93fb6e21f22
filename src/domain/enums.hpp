#pragma once
// The enumerations of the model, decision and flow records. Each is stored as
// one byte (the value index is the declaration order) and written and read as
// its exact lower-case text.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "domain/error.hpp"

namespace borvane::domain {

// Looks `text` up in a table of exact texts; the index is the enum value.
template <std::size_t N>
constexpr std::optional<std::uint8_t> index_of_text(const std::array<std::string_view, N>& texts,
                                                    std::string_view text) {
  for (std::size_t i = 0; i < N; ++i)
    if (texts[i] == text) return static_cast<std::uint8_t>(i);
  return std::nullopt;
}

// A one-byte enumeration with a fixed text per value. `Texts` supplies the
// table. Values compare and switch like the plain enum they wrap.
#define BORVANE_TEXT_ENUM_BODY(Name)                                                       \
  Value value{};                                                                           \
  constexpr Name() = default;                                                              \
  constexpr Name(Value v) : value(v) {}                                                    \
  constexpr operator Value() const { return value; }                                       \
  constexpr std::string_view text() const { return texts[static_cast<std::size_t>(value)]; } \
  static constexpr std::optional<Name> from_text(std::string_view t) {                     \
    auto i = index_of_text(texts, t);                                                      \
    if (!i) return std::nullopt;                                                           \
    return Name(static_cast<Value>(*i));                                                   \
  }

struct ElementKind {
  enum Value : std::uint8_t { Person, SoftwareSystem, Container, Component, Code, External };
  static constexpr std::array<std::string_view, 6> texts{
      "person", "software_system", "container", "component", "code", "external"};
  BORVANE_TEXT_ENUM_BODY(ElementKind)
  // Exact match; otherwise InvalidElementKind carrying the text unchanged.
  static Result<ElementKind> parse(std::string_view text);
};

struct C4Layer {
  enum Value : std::uint8_t { Landscape, Context, Container, Component, Code, Adr };
  static constexpr std::array<std::string_view, 6> texts{
      "landscape", "context", "container", "component", "code", "adr"};
  BORVANE_TEXT_ENUM_BODY(C4Layer)
  // Exact match; otherwise Other "invalid c4 layer: " + text.
  static Result<C4Layer> parse(std::string_view text);
};

struct CodeMemberKind {
  enum Value : std::uint8_t { Method, Field };
  static constexpr std::array<std::string_view, 2> texts{"method", "field"};
  BORVANE_TEXT_ENUM_BODY(CodeMemberKind)
};

struct Severity {
  enum Value : std::uint8_t { Error, Warning, Info };
  static constexpr std::array<std::string_view, 3> texts{"error", "warning", "info"};
  BORVANE_TEXT_ENUM_BODY(Severity)
};

struct DecisionStatus {
  enum Value : std::uint8_t { Draft, Proposed, Accepted, Rejected, Deprecated, Superseded };
  static constexpr std::array<std::string_view, 6> texts{
      "draft", "proposed", "accepted", "rejected", "deprecated", "superseded"};
  BORVANE_TEXT_ENUM_BODY(DecisionStatus)
  // ASCII letters lower-cased, then an exact match (no trimming); otherwise
  // InvalidDecisionStatus carrying the lower-cased text.
  static Result<DecisionStatus> parse(std::string_view text);
  // Statuses from accepted on can only be set by the guarded status call.
  constexpr bool is_process_status() const { return value >= Accepted; }
};

struct PolicyMode {
  enum Value : std::uint8_t { Enforce, Audit };
  static constexpr std::array<std::string_view, 2> texts{"enforce", "audit"};
  BORVANE_TEXT_ENUM_BODY(PolicyMode)
};

struct FlowKind {
  enum Value : std::uint8_t { C4Dynamic, Sequence, State };
  static constexpr std::array<std::string_view, 3> texts{"c4_dynamic", "sequence", "state"};
  BORVANE_TEXT_ENUM_BODY(FlowKind)
};

#undef BORVANE_TEXT_ENUM_BODY

// The layer a kind belongs to: person, software_system and external belong to
// the context layer; container, component and code to the layer of that name.
C4Layer layer_of_kind(ElementKind kind);

}  // namespace borvane::domain
