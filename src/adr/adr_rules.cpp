#include "adr/adr_rules.hpp"

#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "domain/env.hpp"
#include "domain/text.hpp"

namespace borvane::adr {

using domain::DomainError;
using domain::Status;

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// An unsigned decimal number with an optional leading "+"; none when the
// text is not one or does not fit.
std::optional<std::size_t> parse_unsigned(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
  std::size_t value = 0;
  for (char c : text) {
    if (!is_digit(c)) return std::nullopt;
    const auto digit = static_cast<std::size_t>(c - '0');
    if (value > (kMax - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

bool is_lower_code_char(char c) { return (c >= 'a' && c <= 'z') || is_digit(c) || c == '_'; }

bool valid_rule_code(std::string_view code) {
  if (code.empty() || code.front() < 'a' || code.front() > 'z') return false;
  for (char c : code)
    if (!is_lower_code_char(c)) return false;
  return true;
}

Status check_identity(const domain::Decision& d) {
  if (d.id.empty() || d.workspace_id.empty()) return DomainError::validation("decision id and workspace_id required");
  if (!domain::is_record_id(d.id)) {
    return DomainError::validation("decision id must match [A-Za-z0-9][A-Za-z0-9_.-]*");
  }
  if (d.title.empty() || d.title.size() > kTitleMaxBytes) {
    return DomainError::validation("title required and max 200 chars");
  }
  return domain::ok_status();
}

Status check_prose(const domain::Decision& d) {
  // One reading of the limit for all three fields of this validation.
  const std::size_t limit = adr_prose_max_bytes();
  const std::pair<const char*, const std::string*> fields[] = {
      {"context", &d.context}, {"decision", &d.decision}, {"consequences", &d.consequences}};
  for (const auto& [name, text] : fields) {
    if (domain::is_blank(*text) || text->size() > limit) {
      return DomainError::validation(std::string(name) + " required and max " + std::to_string(limit) +
                                     " bytes (BORVANE_C4_ADR_PROSE_MAX)");
    }
  }
  return domain::ok_status();
}

bool present_and_not_blank(const std::optional<std::string>& text) { return text && !domain::is_blank(*text); }

Status check_status_fields(const domain::Decision& d) {
  if (d.status == domain::DecisionStatus::Rejected && !present_and_not_blank(d.reason)) {
    return DomainError::validation("reason required when status=rejected");
  }
  if (d.status == domain::DecisionStatus::Superseded && !present_and_not_blank(d.superseded_by_id)) {
    return DomainError::validation("superseded_by_id required when status=superseded");
  }
  return domain::ok_status();
}

Status check_policy(const std::optional<domain::AdrPolicy>& policy) {
  if (!policy) return domain::ok_status();
  if (policy->forbid.size() > kMaxForbidRules) return DomainError::validation("policy.forbid max 32 rules");
  for (const domain::AdrForbidRule& rule : policy->forbid) {
    if (auto checked = validate_forbid_rule(rule); !checked) return checked;
  }
  return domain::ok_status();
}

}  // namespace

std::size_t adr_prose_max_bytes() {
  const std::optional<std::string> raw = domain::env_text("BORVANE_C4_ADR_PROSE_MAX");
  if (!raw) return kDefaultProseMaxBytes;
  const auto limit = parse_unsigned(domain::trim(*raw));
  return limit && *limit > 0 ? *limit : kDefaultProseMaxBytes;
}

bool valid_date(std::string_view text) {
  if (text.size() != 10) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash_position = i == 4 || i == 7;
    if (dash_position ? text[i] != '-' : !is_digit(text[i])) return false;
  }
  return true;
}

Status validate_forbid_rule(const domain::AdrForbidRule& rule) {
  if (!valid_rule_code(rule.code)) return DomainError::validation("forbid.code must match [a-z][a-z0-9_]*");
  if (domain::is_blank(rule.message) || rule.message.size() > kForbidMessageMaxBytes) {
    return DomainError::validation("forbid.message required max 2000");
  }
  return domain::ok_status();
}

Status validate_document(const domain::Decision& d, bool agent_mode) {
  if (auto identity = check_identity(d); !identity) return identity;
  if (auto refs = domain::validate_doc_refs(d.refs); !refs) return refs;
  if (agent_mode && d.status.is_process_status()) {
    return DomainError::validation("agent may only set status draft|proposed, got '" + std::string(d.status.text()) +
                                   "'");
  }
  if (!valid_date(d.decided_at)) return DomainError::validation("decided_at must be YYYY-MM-DD");
  if (auto prose = check_prose(d); !prose) return prose;
  if (auto fields = check_status_fields(d); !fields) return fields;
  return check_policy(d.policy);
}

}  // namespace borvane::adr
