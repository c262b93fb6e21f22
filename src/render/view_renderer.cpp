#include "render/view_renderer.hpp"

namespace borvane::render {

RendererChoice choose_renderer(std::string_view renderer) {
  if (renderer == "webgpu") return {Viewer::Wasm, "WASM", "wasm", "webgpu"};
  if (renderer == "auto") return {Viewer::Wasm, "WASM", "wasm", "auto"};
  if (renderer == "canvas2d" || renderer == "wasm") return {Viewer::Wasm, "WASM", "wasm", "canvas2d"};
  return {Viewer::Mermaid, "Mermaid", "mermaid", ""};
}

const domain::Element* ViewContext::find(std::string_view id) const {
  for (const domain::Element& e : elements)
    if (e.id == id) return &e;
  return nullptr;
}

std::string_view ViewContext::name_or_id(std::string_view id) const {
  const domain::Element* e = find(id);
  return e ? std::string_view(e->name) : id;
}

}  // namespace borvane::render
