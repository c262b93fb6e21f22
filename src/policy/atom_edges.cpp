// The switch between atom and legacy relationship rules. It is read at every
// call, so a process can change it without restarting.
#include <string>

#include "domain/env.hpp"
#include "domain/text.hpp"
#include "policy/baseline_policy.hpp"

namespace borvane::policy {

bool atom_edges_strict() {
  // Unset, or not valid UTF-8 (which cannot spell a switch-off word): on.
  const auto value = domain::env_text("BORVANE_C4_ATOM_EDGES");
  if (!value) return true;
  const std::string word = domain::ascii_lower(domain::trim(*value));
  return !(word == "0" || word == "no" || word == "off" || word == "false");
}

}  // namespace borvane::policy
