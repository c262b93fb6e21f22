#include "render/view_stage.hpp"

#include "render/mermaid_c4.hpp"
#include "render/mermaid_module.hpp"
#include "render/page_template.hpp"
#include "render/public_base.hpp"
#include "render/view_nav.hpp"

namespace borvane::render {

namespace {

std::string board_toolbar(std::string_view toolbar_up, std::string_view fallback) {
  std::string out;
  fill_template(out, page_asset("view_toolbar.html"), {{"up", toolbar_up}, {"fallback", fallback}});
  return out;
}

// The WASM stage's way back to a drawing that needs no WASM: always the
// all-layers Mermaid view, keeping the focus.
std::string fallback_link(const ViewContext& view) {
  std::string url(view.base);
  url += "/?mode=all&renderer=mermaid" + focus_suffix(view);
  return "<a class=\"fallback-link\" href=\"" + html_escape(url) + "\">Mermaid</a>";
}

std::string mermaid_stage(const ViewContext& view, std::string_view mermaid_source, std::string_view toolbar_up) {
  const bool code_theme = !view.all_layers && view.layer == domain::C4Layer::Code;
  const std::string url = mermaid_module_url();
  std::string script;
  fill_template(script, page_asset("view_mermaid_stage.js"),
                {{"mermaid_url", url},
                 {"code_theme", code_theme ? "true" : "false"},
                 {"board", page_asset("view_board.js")}});
  std::string out;
  fill_template(out, page_asset("view_mermaid_stage.html"),
                {{"diagram", html_escape(mermaid_source)},
                 {"toolbar", board_toolbar(toolbar_up, "")},
                 {"script", script}});
  return out;
}

std::string wasm_stage(const ViewContext& view, std::string_view scene_json, std::string_view toolbar_up) {
  // The wish is one of three fixed words, written as a JSON string.
  const std::string wish = "\"" + std::string(view.renderer.backend) + "\"";
  std::string script;
  fill_template(script, page_asset("view_wasm_stage.js"),
                {{"backend_wish", wish}, {"board", page_asset("view_board.js")}});
  std::string out;
  fill_template(out, page_asset("view_wasm_stage.html"),
                {{"scene", embed_scene_json(scene_json)},
                 {"toolbar", board_toolbar(toolbar_up, fallback_link(view))},
                 {"script", script}});
  return out;
}

}  // namespace

std::string view_legend(const ViewContext& view) {
  if (view.all_layers) return std::string(page_asset("view_legend_all.html"));
  return legend_block(view.layer);
}

std::string embed_scene_json(std::string_view scene_json) {
  std::string out;
  out.reserve(scene_json.size() + scene_json.size() / 32);
  for (std::size_t i = 0; i < scene_json.size(); ++i) {
    const std::string_view rest = scene_json.substr(i);
    if (rest.starts_with("</"))
      out += "<\\";
    else if (rest.starts_with("<!--"))
      out += "\\u003c";
    else
      out += scene_json[i];
  }
  return out;
}

std::string view_stage(const ViewContext& view, std::string_view mermaid_source, std::string_view scene_json,
                       std::string_view toolbar_up) {
  if (view.renderer.viewer == Viewer::Wasm) return wasm_stage(view, scene_json, toolbar_up);
  return mermaid_stage(view, mermaid_source, toolbar_up);
}

}  // namespace borvane::render
