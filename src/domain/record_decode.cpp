// Decoding records from parsed documents. Each record has a table of its
// fields in declaration order; members are decoded in document order so that
// the first problem in the text is the one reported.
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "domain/decode_errors.hpp"
#include "domain/json_partial.hpp"
#include "domain/record_codec.hpp"

namespace borvane::domain {
namespace {

using Fail = std::optional<ReadError>;

struct Ctx {
  // Decoding the tree that a syntax error cut short: values that were not
  // read are skipped and objects that were not closed are not checked for
  // missing fields, so only problems before the syntax error are found.
  bool partial = false;
};

template <class T>
struct Field {
  std::string_view name;
  bool required;
  Fail (*read)(const Node&, T&, const Ctx&);
};

constexpr bool kRequired = true;
constexpr bool kOptional = false;  // absent, empty or default when missing

template <class T>
struct RecordShape;

template <class T>
concept Record = requires { RecordShape<T>::fields; };

template <class T>
concept TextEnum = requires(std::string_view s) {
  T::texts;
  T::from_text(s);
};

template <class T>
inline constexpr bool kIsOptional = false;
template <class T>
inline constexpr bool kIsOptional<std::optional<T>> = true;

template <class T>
inline constexpr bool kIsVector = false;
template <class T>
inline constexpr bool kIsVector<std::vector<T>> = true;

template <class T>
Fail read_value(const Node& node, T& out, const Ctx& ctx);

Fail read_text(const Node& node, std::string& out) {
  if (node.type != Node::Type::String) return invalid_type(node, "a string");
  out = node.text;
  return std::nullopt;
}

Fail read_bool(const Node& node, bool& out) {
  if (node.type != Node::Type::Bool) return invalid_type(node, "a boolean");
  out = node.boolean;
  return std::nullopt;
}

Fail read_u32(const Node& node, std::uint32_t& out) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  if (node.type == Node::Type::UInt) {
    if (node.uint_value > kMax) return invalid_value(node, "u32");
    out = static_cast<std::uint32_t>(node.uint_value);
    return std::nullopt;
  }
  if (node.type == Node::Type::Int) {
    if (node.int_value < 0 || static_cast<std::uint64_t>(node.int_value) > kMax)
      return invalid_value(node, "u32");
    out = static_cast<std::uint32_t>(node.int_value);
    return std::nullopt;
  }
  return invalid_type(node, "u32");
}

template <TextEnum E>
Fail read_enum(const Node& node, E& out) {
  if (node.type != Node::Type::String) return invalid_type(node, "variant identifier");
  const auto value = E::from_text(node.text);
  if (!value) return unknown_variant(node, E::texts);
  out = *value;
  return std::nullopt;
}

template <class T>
Fail read_optional(const Node& node, std::optional<T>& out, const Ctx& ctx) {
  if (node.type == Node::Type::Null) {
    out.reset();
    return std::nullopt;
  }
  T value{};
  if (auto fail = read_value(node, value, ctx)) return fail;
  out = std::move(value);
  return std::nullopt;
}

template <class T>
Fail read_list(const Node& node, std::vector<T>& out, const Ctx& ctx) {
  if (node.type != Node::Type::Array) return invalid_type(node, "a sequence");
  out.clear();
  out.reserve(node.items.size());
  for (const Node& item : node.items)
    if (auto fail = read_value(item, out.emplace_back(), ctx)) return fail;
  return std::nullopt;
}

template <std::size_t N, class T>
std::optional<std::size_t> field_index(const std::array<Field<T>, N>& fields, std::string_view key) {
  for (std::size_t i = 0; i < N; ++i)
    if (fields[i].name == key) return i;
  return std::nullopt;
}

template <std::size_t N, class T>
std::vector<std::string_view> field_names(const std::array<Field<T>, N>& fields) {
  std::vector<std::string_view> names;
  for (const auto& f : fields) names.push_back(f.name);
  return names;
}

template <Record T>
Fail read_record(const Node& node, T& out, const Ctx& ctx) {
  using Shape = RecordShape<T>;
  if (node.type != Node::Type::Object) return invalid_type(node, "struct " + std::string(Shape::name));
  std::array<bool, Shape::fields.size()> seen{};
  for (const auto& [key, value] : node.members) {
    const auto index = field_index(Shape::fields, key.key);
    if (!index) {
      if (Shape::ignores_unknown) continue;
      return unknown_field(key, field_names(Shape::fields));
    }
    if (seen[*index]) return duplicate_field(key);
    seen[*index] = true;
    if (auto fail = Shape::fields[*index].read(value, out, ctx)) return fail;
  }
  if (ctx.partial && !node.end) return std::nullopt;
  for (std::size_t i = 0; i < Shape::fields.size(); ++i)
    if (Shape::fields[i].required && !seen[i]) return missing_field(node, Shape::fields[i].name);
  return std::nullopt;
}

template <class T>
Fail read_value(const Node& node, T& out, const Ctx& ctx) {
  if (ctx.partial && !node.start) return std::nullopt;  // cut off by the syntax error
  if constexpr (std::is_same_v<T, std::string>) {
    return read_text(node, out);
  } else if constexpr (std::is_same_v<T, bool>) {
    return read_bool(node, out);
  } else if constexpr (std::is_same_v<T, std::uint32_t>) {
    return read_u32(node, out);
  } else if constexpr (TextEnum<T>) {
    return read_enum(node, out);
  } else if constexpr (kIsOptional<T>) {
    return read_optional(node, out, ctx);
  } else if constexpr (kIsVector<T>) {
    return read_list(node, out, ctx);
  } else {
    return read_record(node, out, ctx);
  }
}

template <class>
struct MemberOf;
template <class C, class V>
struct MemberOf<V C::*> {
  using Class = C;
};

template <auto M>
Fail read_member(const Node& node, typename MemberOf<decltype(M)>::Class& record, const Ctx& ctx) {
  return read_value(node, record.*M, ctx);
}

template <auto M>
constexpr Field<typename MemberOf<decltype(M)>::Class> field(std::string_view name, bool required) {
  return {name, required, &read_member<M>};
}

// ---- the records ----

template <>
struct RecordShape<CodeParam> {
  static constexpr std::string_view name = "CodeParam";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&CodeParam::name>("name", kRequired),
      field<&CodeParam::type>("type", kOptional),
      field<&CodeParam::optional>("optional", kOptional),
  };
};

template <>
struct RecordShape<CodeMember> {
  static constexpr std::string_view name = "CodeMember";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&CodeMember::kind>("kind", kRequired),
      field<&CodeMember::visibility>("visibility", kRequired),
      field<&CodeMember::name>("name", kRequired),
      field<&CodeMember::params>("params", kOptional),
      field<&CodeMember::return_type>("return_type", kOptional),
      field<&CodeMember::type>("type", kOptional),
  };
};

template <>
struct RecordShape<DocRef> {
  static constexpr std::string_view name = "DocRef";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&DocRef::url>("url", kRequired),
      field<&DocRef::title>("title", kOptional),
  };
};

template <>
struct RecordShape<Element> {
  static constexpr std::string_view name = "Element";
  static constexpr bool ignores_unknown = true;
  static constexpr std::array fields{
      field<&Element::id>("id", kRequired),
      field<&Element::workspace_id>("workspace_id", kRequired),
      field<&Element::kind>("kind", kRequired),
      field<&Element::parent_id>("parent_id", kOptional),
      field<&Element::name>("name", kRequired),
      field<&Element::description>("description", kOptional),
      field<&Element::technology>("technology", kOptional),
      field<&Element::url>("url", kOptional),
      field<&Element::members>("members", kOptional),
  };
};

template <>
struct RecordShape<Relationship> {
  static constexpr std::string_view name = "Relationship";
  static constexpr bool ignores_unknown = true;
  static constexpr std::array fields{
      field<&Relationship::id>("id", kRequired),
      field<&Relationship::workspace_id>("workspace_id", kRequired),
      field<&Relationship::from_id>("from_id", kRequired),
      field<&Relationship::to_id>("to_id", kRequired),
      field<&Relationship::description>("description", kOptional),
      field<&Relationship::technology>("technology", kOptional),
  };
};

template <>
struct RecordShape<AdrForbidRule> {
  static constexpr std::string_view name = "AdrForbidRule";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&AdrForbidRule::from_kind>("from_kind", kRequired),
      field<&AdrForbidRule::to_kind>("to_kind", kRequired),
      field<&AdrForbidRule::code>("code", kRequired),
      field<&AdrForbidRule::severity>("severity", kRequired),
      field<&AdrForbidRule::message>("message", kRequired),
  };
};

template <>
struct RecordShape<AdrPolicy> {
  static constexpr std::string_view name = "AdrPolicy";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&AdrPolicy::mode>("mode", kOptional),
      field<&AdrPolicy::forbid>("forbid", kOptional),
  };
};

template <>
struct RecordShape<Decision> {
  static constexpr std::string_view name = "Decision";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&Decision::id>("id", kRequired),
      field<&Decision::workspace_id>("workspace_id", kOptional),
      field<&Decision::scope_element_id>("scope_element_id", kOptional),
      field<&Decision::title>("title", kRequired),
      field<&Decision::status>("status", kRequired),
      field<&Decision::decided_at>("decided_at", kRequired),
      field<&Decision::context>("context", kRequired),
      field<&Decision::decision>("decision", kRequired),
      field<&Decision::consequences>("consequences", kRequired),
      field<&Decision::policy>("policy", kOptional),
      field<&Decision::related_flows>("related_flows", kOptional),
      field<&Decision::refs>("refs", kOptional),
      field<&Decision::reason>("reason", kOptional),
      field<&Decision::superseded_by_id>("superseded_by_id", kOptional),
      field<&Decision::path>("path", kOptional),
      field<&Decision::git_commit_id>("git_commit_id", kOptional),
  };
};

template <>
struct RecordShape<FlowStep> {
  static constexpr std::string_view name = "FlowStep";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&FlowStep::n>("n", kRequired),
      field<&FlowStep::from_id>("from_id", kRequired),
      field<&FlowStep::to_id>("to_id", kRequired),
      field<&FlowStep::label>("label", kOptional),
  };
};

template <>
struct RecordShape<FlowEpoch> {
  static constexpr std::string_view name = "FlowEpoch";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&FlowEpoch::kind>("kind", kRequired),
      field<&FlowEpoch::phase>("phase", kOptional),
      field<&FlowEpoch::from>("from", kOptional),
      field<&FlowEpoch::to>("to", kOptional),
      field<&FlowEpoch::note>("note", kOptional),
  };
};

template <>
struct RecordShape<FlowAnchor> {
  static constexpr std::string_view name = "FlowAnchor";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&FlowAnchor::alias>("alias", kRequired),
      field<&FlowAnchor::element_id>("element_id", kOptional),
      field<&FlowAnchor::adr_id>("adr_id", kOptional),
  };
};

template <>
struct RecordShape<Flow> {
  static constexpr std::string_view name = "Flow";
  static constexpr bool ignores_unknown = false;
  static constexpr std::array fields{
      field<&Flow::id>("id", kRequired),
      field<&Flow::workspace_id>("workspace_id", kOptional),
      field<&Flow::title>("title", kRequired),
      field<&Flow::kind>("kind", kRequired),
      field<&Flow::usage_key>("usage_key", kOptional),
      field<&Flow::scope_element_id>("scope_element_id", kOptional),
      field<&Flow::related_adrs>("related_adrs", kOptional),
      field<&Flow::epoch>("epoch", kOptional),
      field<&Flow::steps>("steps", kOptional),
      field<&Flow::body>("body", kOptional),
      field<&Flow::anchors>("anchors", kOptional),
      field<&Flow::refs>("refs", kOptional),
      field<&Flow::path>("path", kOptional),
      field<&Flow::git_commit_id>("git_commit_id", kOptional),
  };
};

}  // namespace

template <class T>
Result<T, ReadError> decode(const Node& node) {
  T out{};
  if (auto fail = read_value(node, out, Ctx{})) return std::move(*fail);
  return out;
}

// A semantic problem placed before a syntax error in the text is reported
// in preference to it, as a streaming decoder would meet it first.
template <class T>
Result<T, ReadError> from_json(std::string_view text) {
  PartialJson parsed = parse_json_partial(text);
  if (!parsed.error) return decode<T>(parsed.root);
  T ignored{};
  if (auto fail = read_value(parsed.root, ignored, Ctx{.partial = true})) return std::move(*fail);
  return std::move(*parsed.error);
}

template Result<CodeParam, ReadError> decode<CodeParam>(const Node&);
template Result<CodeMember, ReadError> decode<CodeMember>(const Node&);
template Result<std::vector<CodeMember>, ReadError> decode<std::vector<CodeMember>>(const Node&);
template Result<DocRef, ReadError> decode<DocRef>(const Node&);
template Result<Element, ReadError> decode<Element>(const Node&);
template Result<Relationship, ReadError> decode<Relationship>(const Node&);
template Result<AdrForbidRule, ReadError> decode<AdrForbidRule>(const Node&);
template Result<AdrPolicy, ReadError> decode<AdrPolicy>(const Node&);
template Result<Decision, ReadError> decode<Decision>(const Node&);
template Result<FlowStep, ReadError> decode<FlowStep>(const Node&);
template Result<FlowEpoch, ReadError> decode<FlowEpoch>(const Node&);
template Result<FlowAnchor, ReadError> decode<FlowAnchor>(const Node&);
template Result<Flow, ReadError> decode<Flow>(const Node&);

template Result<Element, ReadError> from_json<Element>(std::string_view);
template Result<Relationship, ReadError> from_json<Relationship>(std::string_view);
template Result<CodeMember, ReadError> from_json<CodeMember>(std::string_view);
template Result<std::vector<CodeMember>, ReadError> from_json<std::vector<CodeMember>>(std::string_view);
template Result<DocRef, ReadError> from_json<DocRef>(std::string_view);
template Result<Decision, ReadError> from_json<Decision>(std::string_view);
template Result<Flow, ReadError> from_json<Flow>(std::string_view);

}  // namespace borvane::domain
