#pragma once
// The board of the view page: the legend beside it, the Mermaid or WASM
// stage, and the zoom toolbar both stages share.
#include <string>
#include <string_view>

#include "render/view_renderer.hpp"

namespace borvane::render {

// The legend of the all-layers view, or `legend_block` of the layer.
std::string view_legend(const ViewContext& view);

// The scene JSON made safe inside a <script> element: every "</" becomes
// "<\/" and every "<!--" becomes "\u003c!--". Both only occur inside JSON
// strings, where they are valid escapes, so the text parses to the same value.
std::string embed_scene_json(std::string_view scene_json);

// The stage of the page's viewer with its toolbar and board script.
// `toolbar_up` is the toolbar's drill-up link (possibly empty).
std::string view_stage(const ViewContext& view, std::string_view mermaid_source, std::string_view scene_json,
                       std::string_view toolbar_up);

}  // namespace borvane::render
