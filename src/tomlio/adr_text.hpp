#pragma once
// The text of a decision file, assembled piece by piece so that the file
// stays pleasant to read and diff: short values quoted on one line each,
// prose in multi-line literal strings, then the policy and the references.
#include <string>

#include "domain/decision.hpp"

namespace borvane::tomlio {

std::string render_adr_toml(const domain::Decision& decision);

}  // namespace borvane::tomlio
