#include "render/flow_mermaid.hpp"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "render/mermaid_text.hpp"

namespace borvane::render {

using domain::Flow;
using domain::FlowStep;

namespace {

// Participant names and message texts stand unquoted in a sequence diagram,
// where ";" "#" and ":" would end the statement, so they get the entity
// codes on top of the usual label cleaning. "%" becomes "#37;" too: Mermaid
// strips "%%{...}%%" directives from anywhere in the text, so a label could
// otherwise swallow itself or reconfigure the diagram. "<" and ">" stay:
// Mermaid draws these texts as plain SVG text.
std::string sequence_text(std::string_view text) {
  const std::string safe = bare_label(c4_label(text));
  std::string out;
  out.reserve(safe.size());
  for (char c : safe) {
    if (c == '%')
      out += "#37;";
    else
      out += c;
  }
  return out;
}

std::vector<std::string_view> participants_of(const Flow& flow) {
  std::vector<std::string_view> ids;
  std::unordered_set<std::string_view> seen;
  auto add = [&](std::string_view id) {
    if (seen.insert(id).second) ids.push_back(id);
  };
  for (const FlowStep& step : flow.steps) {
    add(step.from_id);
    add(step.to_id);
  }
  return ids;
}

std::unordered_map<std::string_view, std::string_view> names_by_id(const std::vector<domain::Element>& elements) {
  std::unordered_map<std::string_view, std::string_view> names;
  names.reserve(elements.size());
  for (const domain::Element& e : elements) names.emplace(e.id, e.name);
  return names;
}

std::string dynamic_diagram(const Flow& flow, const std::vector<domain::Element>& elements) {
  std::string out = "sequenceDiagram\n";
  out.reserve(64 * (flow.steps.size() + 1));
  const auto names = names_by_id(elements);
  for (std::string_view id : participants_of(flow)) {
    auto name = names.find(id);
    out += "  participant " + sanitize_alias(id) + " as ";
    out += sequence_text(name != names.end() ? name->second : id);
    out += '\n';
  }
  std::vector<const FlowStep*> ordered;
  ordered.reserve(flow.steps.size());
  for (const FlowStep& step : flow.steps) ordered.push_back(&step);
  std::stable_sort(ordered.begin(), ordered.end(), [](const FlowStep* a, const FlowStep* b) { return a->n < b->n; });
  for (const FlowStep* step : ordered) {
    out += "  " + sanitize_alias(step->from_id) + "->>" + sanitize_alias(step->to_id) + ": ";
    out += sequence_text(step->label ? std::string_view(*step->label) : std::string_view("uses"));
    out += '\n';
  }
  return out;
}

}  // namespace

std::string flow_to_mermaid(const Flow& flow, const std::vector<domain::Element>& elements) {
  if (flow.kind == domain::FlowKind::C4Dynamic) return dynamic_diagram(flow, elements);
  return flow.body.value_or(std::string());
}

}  // namespace borvane::render
