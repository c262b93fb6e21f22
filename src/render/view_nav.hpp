#pragma once
// The navigation in the top bar of the view page: breadcrumbs, the primary
// tabs and the renderer switch.
#include <cstddef>
#include <optional>
#include <string>

#include "render/view_renderer.hpp"

namespace borvane::render {

// <nav class="crumbs">: the chain from the context view down to the current
// layer. `drill_up_parent` is the parent id of the element the page shows.
std::string view_breadcrumbs(const ViewContext& view, const std::optional<std::string>& drill_up_parent);

// The query that names the current view, without the renderer:
// "mode=all[&focus=F]" or "layer=L[&parent=P]".
std::string view_query(const ViewContext& view);

// "&focus=" + the encoded focus, or empty without one.
std::string focus_suffix(const ViewContext& view);

// The primary tabs (with the counts) followed by the renderer switch.
std::string view_tabs(const ViewContext& view, std::size_t decision_count, std::size_t flow_count);

}  // namespace borvane::render
