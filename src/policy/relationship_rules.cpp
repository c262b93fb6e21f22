// Which element kinds a relationship may join, as two kind-pair tables, and
// the forbid rules that accepted decisions add on top of them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "policy/baseline_policy.hpp"

namespace borvane::policy {
namespace {

using domain::C4Layer;
using domain::DecisionStatus;
using domain::Severity;

enum class Verdict : std::uint8_t { Ok, Error, Warn };

// One cell of a kind-pair table: the verdict and the layer its problem names.
struct Cell {
  Verdict verdict;
  C4Layer layer;
};

constexpr Cell ok{Verdict::Ok, C4Layer::Landscape};
constexpr Cell E(C4Layer layer) { return {Verdict::Error, layer}; }
constexpr Cell W(C4Layer layer) { return {Verdict::Warn, layer}; }

constexpr C4Layer ctx = C4Layer::Context;
constexpr C4Layer ctn = C4Layer::Container;
constexpr C4Layer cmp = C4Layer::Component;
constexpr C4Layer cod = C4Layer::Code;

// Rows: from kind, columns: to kind, both in ElementKind order
// (person, software_system, container, component, code, external).
using KindTable = std::array<std::array<Cell, 6>, 6>;

// Only person, software_system, code and external may be relationship ends.
constexpr KindTable atom_table{{
    {E(ctx), ok, E(ctx), E(ctx), E(ctx), ok},
    {ok, ok, E(ctx), E(ctx), E(ctx), ok},
    {E(ctn), E(ctn), E(ctn), E(ctn), E(ctn), E(ctn)},
    {E(cmp), E(cmp), E(cmp), E(cmp), E(cmp), E(cmp)},
    {E(cod), E(cod), E(cod), E(cod), ok, ok},
    {ok, ok, E(ctx), E(ctx), ok, ok},
}};

// Container and component ends are tolerated with a warning; code joins only
// code and external.
constexpr KindTable legacy_table{{
    {W(ctx), ok, W(ctx), W(ctx), E(ctx), ok},
    {ok, ok, W(ctx), W(ctx), E(ctx), ok},
    {W(ctn), W(ctn), W(ctn), W(ctn), E(ctn), W(ctn)},
    {W(cmp), W(cmp), W(cmp), W(cmp), E(cmp), W(cmp)},
    {E(cod), E(cod), E(cod), E(cod), ok, ok},
    {ok, ok, W(ctx), W(ctx), ok, ok},
}};

// " → " (U+2192 between two spaces).
constexpr std::string_view arrow = " \xE2\x86\x92 ";
constexpr std::string_view atom_suffix =
    " (V1 atom canon: use code/external/person/system; BORVANE_C4_ATOM_EDGES=0 for legacy)";

std::string pair_text(ElementKind from, ElementKind to) {
  std::string text(from.text());
  text += arrow;
  text += to.text();
  return text;
}

Cell lookup(const KindTable& table, ElementKind from, ElementKind to) {
  return table[static_cast<std::size_t>(from.value)][static_cast<std::size_t>(to.value)];
}

void add_baseline_problem(std::vector<Problem>& out, ElementKind from, ElementKind to, const std::string& id,
                          bool atom_mode) {
  const Cell cell = lookup(atom_mode ? atom_table : legacy_table, from, to);
  if (cell.verdict == Verdict::Error) {
    std::string message = "C4 baseline: " + pair_text(from, to) + " is not allowed";
    if (atom_mode) message += atom_suffix;
    out.push_back({Severity::Error, cell.layer, "policy.baseline.illegal_kinds", id, std::move(message), std::nullopt});
  } else if (cell.verdict == Verdict::Warn) {
    std::string message = "Non-atom relationship " + pair_text(from, to) +
                          " (prefer code/external); writes blocked unless BORVANE_C4_ATOM_EDGES=0";
    out.push_back(
        {Severity::Warning, cell.layer, "policy.baseline.non_atom_endpoint", id, std::move(message), std::nullopt});
  }
}

// Forbid rules count only while their decision is accepted; the policy mode
// does not matter here, it decides later whether an error blocks.
void add_decision_problems(std::vector<Problem>& out, ElementKind from, ElementKind to, const std::string& id,
                           const std::vector<Decision>& decisions) {
  for (const Decision& decision : decisions) {
    if (decision.status != DecisionStatus::Accepted || !decision.policy) continue;
    for (const auto& rule : decision.policy->forbid) {
      if (rule.from_kind != from || rule.to_kind != to) continue;
      out.push_back({rule.severity, domain::layer_of_kind(from), "policy." + rule.code, id, rule.message, decision.id});
    }
  }
}

}  // namespace

std::vector<Problem> check_relationship_mode(ElementKind from, ElementKind to, const std::string& relationship_id,
                                             const std::vector<Decision>& decisions, bool atom) {
  const bool atom_mode = atom && atom_edges_strict();
  std::vector<Problem> problems;
  add_baseline_problem(problems, from, to, relationship_id, atom_mode);
  add_decision_problems(problems, from, to, relationship_id, decisions);
  return problems;
}

std::vector<Problem> check_relationship(const Element& from, const Element& to, const std::string& relationship_id,
                                        const std::vector<Decision>& decisions) {
  return check_relationship_mode(from.kind, to.kind, relationship_id, decisions, true);
}

}  // namespace borvane::policy
