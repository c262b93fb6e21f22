#include "domain/flow.hpp"

#include "domain/text.hpp"

namespace borvane::domain {
namespace {

Status validate_dynamic(const Flow& f) {
  if (f.steps.empty() || f.steps.size() > 64) return DomainError::validation("c4_dynamic requires 1..=64 steps");
  if (f.body && !is_blank(*f.body)) return DomainError::validation("c4_dynamic must not set body (use steps)");
  for (const FlowStep& s : f.steps)
    if (s.from_id.empty() || s.to_id.empty()) return DomainError::validation("step from_id and to_id required");
  return ok_status();
}

Status validate_diagram_body(const Flow& f) {
  std::string_view body = f.body ? trim(*f.body) : std::string_view();
  if (body.empty() || body.size() > 50000)
    return DomainError::validation("sequence/state require non-empty body (max 50000)");
  if (!f.steps.empty()) return DomainError::validation("sequence/state must not set steps (use body)");
  std::string_view header = f.kind == FlowKind::Sequence ? "sequenceDiagram" : "stateDiagram";
  if (!body.starts_with(header))
    return DomainError::validation(std::string(f.kind.text()) + " body must start with " + std::string(header));
  return ok_status();
}

}  // namespace

Status Flow::validate_shape(const Flow& f) {
  if (Status refs = validate_doc_refs(f.refs); !refs) return refs;
  if (f.id.empty() || f.title.empty()) return DomainError::validation("flow id and title required");
  if (!is_record_id(f.id)) return DomainError::validation("flow id must match [A-Za-z0-9][A-Za-z0-9_.-]*");
  if (f.title.size() > 200) return DomainError::validation("flow title max 200 chars");
  Status kind_rules = f.kind == FlowKind::C4Dynamic ? validate_dynamic(f) : validate_diagram_body(f);
  if (!kind_rules) return kind_rules;
  for (const FlowAnchor& a : f.anchors) {
    if (a.alias.empty()) return DomainError::validation("anchor.alias required");
    if (!a.element_id && !a.adr_id) return DomainError::validation("anchor needs element_id or adr_id");
  }
  if (f.related_adrs.size() > 32) return DomainError::validation("related_adrs max 32");
  return ok_status();
}

}  // namespace borvane::domain
