#include "app/calls.hpp"
#include "app/errors.hpp"
#include "scene/lib.hpp"
#include "scene/scene_json.hpp"

namespace borvane::app::calls {

PyObject* get_scene(const StatePtr& state, const std::string& mode, const OptionalText& layer,
                    const OptionalText& focus) {
  auto elements = state->model->list_elements(kWorkspaceId);
  if (!elements) return map_err(elements.error());
  auto relationships = state->model->list_relationships(kWorkspaceId);
  if (!relationships) return map_err(relationships.error());
  // The layer text is passed on unchecked: one that names no layer shows the
  // persons-and-systems grid.
  scene::SceneGraph graph =
      scene::build_scene(*elements, *relationships, layer, focus, scene::ViewMode::parse(mode));
  return py_str(scene::scene_to_json(graph));
}

}  // namespace borvane::app::calls
