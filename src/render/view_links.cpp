#include "render/view_links.hpp"

#include <string>

#include "render/public_base.hpp"

namespace borvane::render {

using domain::Element;
using domain::ElementKind;
using nlohmann::json;

namespace {

json text_or_null(const std::optional<std::string>& text) { return text ? json(*text) : json(); }

json decision_links(const std::string& base, const std::vector<domain::Decision>& decisions) {
  json out = json::array();
  for (const domain::Decision& d : decisions)
    out.push_back({{"id", d.id},
                   {"status", std::string(d.status.text())},
                   {"title", d.title},
                   {"view_url", base + "/adrs/" + urlencoding(d.id)}});
  return out;
}

// One entry per element of `kind`: its id, name and the address of the next
// layer down ("{url_key}" = base + "/?layer={layer}&parent=" + enc(id)).
// Systems have no parent key; containers and components do.
json layer_links(const std::string& base, const std::vector<Element>& elements, ElementKind kind,
                 const char* url_key, std::string_view layer) {
  const bool with_parent = kind != ElementKind::SoftwareSystem;
  json out = json::array();
  for (const Element& e : elements) {
    if (e.kind != kind) continue;
    json entry = {{"id", e.id}, {"name", e.name}};
    entry[url_key] = base + "/?layer=" + std::string(layer) + "&parent=" + urlencoding(e.id);
    if (with_parent) entry["parent_id"] = text_or_null(e.parent_id);
    out.push_back(std::move(entry));
  }
  return out;
}

}  // namespace

domain::Result<json, domain::ErrorText> view_links(std::string_view base_url, const std::vector<Element>& elements,
                                                   const std::vector<domain::Decision>& decisions) {
  auto normalised = normalize_public_base(base_url);
  if (!normalised) return normalised.error();
  const std::string& base = *normalised;
  json out;
  out["adrs"] = decision_links(base, decisions);
  out["adrs_url"] = base + "/adrs";
  out["base_url"] = base;
  out["components"] = layer_links(base, elements, ElementKind::Component, "code_url", "code");
  out["containers"] = layer_links(base, elements, ElementKind::Container, "component_url", "component");
  out["context_url"] = base + "/?layer=context";
  out["flows_url"] = base + "/flows";
  out["systems"] = layer_links(base, elements, ElementKind::SoftwareSystem, "container_url", "container");
  out["view_url"] = base + "/";
  return out;
}

}  // namespace borvane::render
