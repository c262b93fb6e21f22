#pragma once
// The C4 baseline rules: which kind may sit under which parent, and which
// kinds a relationship may join, plus the forbid rules of accepted decisions.
// Writes use them to decide whether to go ahead; the whole-model scan uses
// them to report findings. Every function is pure and never fails.
#include <string>
#include <vector>

#include "domain/decision.hpp"
#include "domain/element.hpp"
#include "domain/enums.hpp"

namespace borvane::policy {

using domain::Decision;
using domain::Element;
using domain::ElementKind;
using domain::Problem;
using domain::Relationship;

// Zero or one "policy.baseline.illegal_parent" problem. `parent` is null when
// the child has no parent or its parent id names no element.
std::vector<Problem> check_parent(const Element& child, const Element* parent);

// Whether relationships are limited to atom ends (person, software_system,
// code, external). Read from BORVANE_C4_ATOM_EDGES at every call: on unless
// the value is "0", "no", "off" or "false" (trimmed, any ASCII case).
bool atom_edges_strict();

// The baseline problem of the kind pair (if any) followed by one problem per
// matching forbid rule of an accepted decision. Atom rules apply only when
// `atom` is true and atom edges are switched on; otherwise the tolerant
// legacy rules apply.
std::vector<Problem> check_relationship_mode(ElementKind from, ElementKind to, const std::string& relationship_id,
                                             const std::vector<Decision>& decisions, bool atom);

// The check a relationship write makes: atom rules requested.
std::vector<Problem> check_relationship(const Element& from, const Element& to, const std::string& relationship_id,
                                        const std::vector<Decision>& decisions);

// Parent problems of every element, then relationship problems (legacy
// rules) of every relationship whose two ends exist.
std::vector<Problem> scan_model(const std::vector<Element>& elements, const std::vector<Relationship>& relationships,
                                const std::vector<Decision>& decisions);

// True when some error is not excused by an audit-mode decision policy.
bool blocks_write(const std::vector<Problem>& problems, const std::vector<Decision>& decisions);

}  // namespace borvane::policy
