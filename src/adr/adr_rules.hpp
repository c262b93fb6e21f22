#pragma once
// The rules a decision record must satisfy before it is stored.
#include <cstddef>
#include <string_view>

#include "domain/decision.hpp"
#include "domain/error.hpp"

namespace borvane::adr {

inline constexpr std::size_t kDefaultProseMaxBytes = 20000;
inline constexpr std::size_t kTitleMaxBytes = 200;
inline constexpr std::size_t kReasonMaxBytes = 2000;
inline constexpr std::size_t kMaxForbidRules = 32;
inline constexpr std::size_t kForbidMessageMaxBytes = 2000;

// The byte limit of each prose field, read from BORVANE_C4_ADR_PROSE_MAX on
// every call so that a change applies to the next write: trimmed, an
// optional leading "+", then an unsigned decimal number. Unset, unreadable,
// not a number, too large or zero gives the default.
std::size_t adr_prose_max_bytes();

// YYYY-MM-DD by shape only: ten bytes, "-" at the fifth and eighth, ASCII
// digits elsewhere. Month and day values are not range-checked.
bool valid_date(std::string_view text);

// The code and message of one forbid rule.
domain::Status validate_forbid_rule(const domain::AdrForbidRule& rule);

// The record rules in a fixed order; the first failure is returned. In agent
// mode only the agent statuses (draft, proposed) are allowed.
domain::Status validate_document(const domain::Decision& decision, bool agent_mode);

}  // namespace borvane::adr
