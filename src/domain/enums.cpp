#include "domain/enums.hpp"

#include <string>

#include "domain/text.hpp"

namespace borvane::domain {

Result<ElementKind> ElementKind::parse(std::string_view text) {
  if (auto k = from_text(text)) return *k;
  return DomainError::invalid_element_kind(std::string(text));
}

Result<C4Layer> C4Layer::parse(std::string_view text) {
  if (auto l = from_text(text)) return *l;
  return DomainError::other("invalid c4 layer: " + std::string(text));
}

Result<DecisionStatus> DecisionStatus::parse(std::string_view text) {
  std::string lowered = ascii_lower(text);
  if (auto s = from_text(lowered)) return *s;
  return DomainError::invalid_decision_status(std::move(lowered));
}

C4Layer layer_of_kind(ElementKind kind) {
  switch (kind) {
    case ElementKind::Container: return C4Layer::Container;
    case ElementKind::Component: return C4Layer::Component;
    case ElementKind::Code: return C4Layer::Code;
    case ElementKind::Person:
    case ElementKind::SoftwareSystem:
    case ElementKind::External: return C4Layer::Context;
  }
  return C4Layer::Context;
}

}  // namespace borvane::domain
