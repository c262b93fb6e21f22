#pragma once
// Which viewer draws a view page, picked from the renderer text of the
// request, and the per-page facts that every piece of the page needs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/element.hpp"
#include "domain/enums.hpp"

namespace borvane::render {

enum class Viewer { Mermaid, Wasm };

struct RendererChoice {
  Viewer viewer = Viewer::Mermaid;
  std::string_view label;     // shown on the page: "Mermaid" or "WASM"
  std::string_view url_word;  // the renderer value of the page's own links
  std::string_view backend;   // what the WASM viewer is asked for; empty for Mermaid
};

// "webgpu", "auto", "canvas2d" and "wasm" (exact, case-sensitive) pick the
// WASM viewer; every other text, the empty one included, picks Mermaid.
RendererChoice choose_renderer(std::string_view renderer);

// What the breadcrumbs, tabs, panels and stages of one page share.
struct ViewContext {
  std::string_view base;  // without trailing "/"; empty means relative links
  bool all_layers = false;
  domain::C4Layer layer;
  const std::optional<std::string>& parent_id;  // the focus in the all-layers view
  const std::vector<domain::Element>& elements;
  RendererChoice renderer;

  // The element with this id, or nullptr.
  const domain::Element* find(std::string_view id) const;
  // The element's name, or the id itself when no element has it.
  std::string_view name_or_id(std::string_view id) const;
};

}  // namespace borvane::render
