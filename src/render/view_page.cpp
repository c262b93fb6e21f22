#include "render/view_page.hpp"

#include "render/page_chrome.hpp"
#include "render/page_template.hpp"
#include "render/public_base.hpp"
#include "render/view_drill.hpp"
#include "render/view_nav.hpp"
#include "render/view_stage.hpp"
#include "scene/scene_json.hpp"

namespace borvane::render {

std::string scene_json_for_view(const std::vector<domain::Element>& elements,
                                const std::vector<domain::Relationship>& relationships, scene::ViewMode mode,
                                const std::optional<std::string>& layer, const std::optional<std::string>& focus) {
  return scene::scene_to_json(scene::build_scene(elements, relationships, layer, focus, mode));
}

std::string view_html(const ViewPageInput& input) {
  const ViewContext view{
      .base = strip_trailing_slashes(input.base_url),
      .all_layers = scene::ViewMode::parse(input.mode) == scene::ViewMode::All,
      .layer = input.layer,
      .parent_id = input.parent_id,
      .elements = input.elements,
      .renderer = choose_renderer(input.renderer),
  };
  const std::string title = html_escape(view.all_layers ? std::string_view("all") : view.layer.text());
  const DrillUpLinks up = drill_up_links(view);
  const std::string panels = up.panel + drill_down_panel(view) + sources_panel(view);
  const std::string stage = view_stage(view, input.mermaid_source, input.scene_json, up.toolbar);

  std::string out;
  out.reserve(stage.size() + panels.size() + 40000);
  fill_template(out, page_asset("view_page.html"),
                {{"title", title},
                 {"css", page_asset("view_page.css")},
                 {"chrome", page_asset("view_chrome.js")},
                 {"renderer_label", view.renderer.label},
                 {"crumbs", view_breadcrumbs(view, input.drill_up_parent)},
                 {"tabs", view_tabs(view, input.decision_count, input.flow_count)},
                 {"legend", view_legend(view)},
                 {"panels", panels},
                 {"stage", stage}});
  return out;
}

}  // namespace borvane::render
