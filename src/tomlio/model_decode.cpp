#include "tomlio/model_decode.hpp"

#include <string>
#include <vector>

#include "domain/decode_errors.hpp"
#include "domain/record_codec.hpp"

namespace borvane::tomlio {
namespace {

using domain::Node;
using domain::ReadError;
using domain::Result;
using domain::invalid_type;

template <class T>
Result<std::vector<T>, ReadError> decode_list(const Node& n) {
  if (n.type != Node::Type::Array) return invalid_type(n, "a sequence");
  std::vector<T> out;
  out.reserve(n.items.size());
  for (const Node& item : n.items) {
    auto record = domain::decode<T>(item);
    if (!record) return std::move(record).error();
    out.push_back(std::move(*record));
  }
  return out;
}

}  // namespace

Result<ModelFile, ReadError> decode_model_file(const Node& root) {
  if (root.type != Node::Type::Object) return invalid_type(root, "a map");
  ModelFile model;
  for (const auto& [member, value] : root.members) {
    if (member.key == "workspace_id") {
      if (value.type != Node::Type::String) return invalid_type(value, "a string");
      model.workspace_id = value.text;
    } else if (member.key == "elements") {
      auto elements = decode_list<domain::Element>(value);
      if (!elements) return std::move(elements).error();
      model.elements = std::move(*elements);
    } else if (member.key == "relationships") {
      auto relationships = decode_list<domain::Relationship>(value);
      if (!relationships) return std::move(relationships).error();
      model.relationships = std::move(*relationships);
    }
  }
  return model;
}

}  // namespace borvane::tomlio
