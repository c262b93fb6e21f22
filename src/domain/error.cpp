#include "domain/error.hpp"

namespace borvane::domain {

std::string DomainError::display() const {
  switch (kind) {
    case Kind::InvalidEntityType: return "invalid entity type: " + text;
    case Kind::InvalidChangeKind: return "invalid change kind: " + text;
    case Kind::InvalidElementKind: return "invalid element kind: " + text;
    case Kind::InvalidDecisionStatus: return "invalid decision status: " + text;
    case Kind::NotFound: return "not found: " + text;
    case Kind::Conflict: return "conflict: " + text;
    case Kind::Validation: return "validation: " + text;
    case Kind::Other: return text;
  }
  return text;
}

}  // namespace borvane::domain
