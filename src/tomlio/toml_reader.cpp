#include "tomlio/toml_reader.hpp"

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include <toml++/toml.h>

#include "tomlio/toml_depth_guard.hpp"

namespace borvane::tomlio {
namespace {

using domain::Node;
using domain::ReadError;
using domain::SourcePos;

std::optional<SourcePos> to_pos(const toml::source_position& p) {
  if (!p) return std::nullopt;
  return SourcePos{p.line, p.column};
}

template <class V>
std::string written_form(const V& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

Node convert(const toml::node& value);

bool is_before(const std::optional<SourcePos>& a, const SourcePos& b) {
  return !a || std::pair(a->line, a->column) < std::pair(b.line, b.column);
}

// toml++ ends a table that a header opens at that header; a missing field is
// better reported after the table's last value.
void extend_end_over_members(Node& node) {
  for (const auto& [member, value] : node.members)
    if (value.end && is_before(node.end, *value.end)) node.end = value.end;
}

Node convert_table(const toml::table& table) {
  Node node;
  node.type = Node::Type::Object;
  for (const auto& [key, value] : table) {
    domain::NodeMember member{std::string(key.str()), to_pos(key.source().end)};
    node.members.emplace_back(std::move(member), convert(value));
  }
  // toml++ keeps keys sorted; readers report the first offending key of the
  // document, so restore the order in which the keys were written.
  const auto key_line_col = [](const auto& m) {
    const auto p = m.first.key_end.value_or(SourcePos{0xFFFFFFFFu, 0});
    return std::pair(p.line, p.column);
  };
  std::stable_sort(node.members.begin(), node.members.end(),
                   [&](const auto& a, const auto& b) { return key_line_col(a) < key_line_col(b); });
  return node;
}

Node convert_array(const toml::array& array) {
  Node node;
  node.type = Node::Type::Array;
  for (const auto& item : array) node.items.push_back(convert(item));
  return node;
}

Node convert_scalar(const toml::node& value) {
  Node node;
  if (auto s = value.as_string()) {
    node.type = Node::Type::String;
    node.text = s->get();
  } else if (auto i = value.as_integer()) {
    const std::int64_t v = i->get();
    node.type = v < 0 ? Node::Type::Int : Node::Type::UInt;
    node.int_value = v;
    node.uint_value = v < 0 ? 0 : static_cast<std::uint64_t>(v);
  } else if (auto f = value.as_floating_point()) {
    node.type = Node::Type::Float;
    node.float_value = f->get();
  } else if (auto b = value.as_boolean()) {
    node.type = Node::Type::Bool;
    node.boolean = b->get();
  } else if (auto d = value.as_date()) {
    node.type = Node::Type::DateTime;
    node.text = written_form(d->get());
  } else if (auto t = value.as_time()) {
    node.type = Node::Type::DateTime;
    node.text = written_form(t->get());
  } else if (auto dt = value.as_date_time()) {
    node.type = Node::Type::DateTime;
    node.text = written_form(dt->get());
  }
  return node;
}

Node convert(const toml::node& value) {
  Node node;
  if (auto table = value.as_table())
    node = convert_table(*table);
  else if (auto array = value.as_array())
    node = convert_array(*array);
  else
    node = convert_scalar(value);
  node.start = to_pos(value.source().begin);
  node.end = to_pos(value.source().end);
  if (!node.end) node.end = node.start;
  extend_end_over_members(node);
  return node;
}

}  // namespace

domain::Result<Node, ReadError> parse_toml(std::string_view text) {
  if (auto too_deep = check_key_depth(text)) return *too_deep;
  try {
    const toml::table root = toml::parse(text);
    return convert(root);
  } catch (const toml::parse_error& e) {
    return ReadError{std::string(e.description()), to_pos(e.source().begin)};
  } catch (const std::exception& e) {
    return ReadError{e.what(), std::nullopt};
  }
}

}  // namespace borvane::tomlio
