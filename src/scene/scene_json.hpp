#pragma once
// The JSON text of a scene, as the browser viewer reads it.
#include <string>

#include "scene/lib.hpp"

namespace borvane::scene {

// Compact JSON with the keys in record order. Absent "focus", "parent_id" and
// "stereotype" are null; an absent "url" is left out. Numbers are shortest
// round-trip decimals ("40.0" for 40, null when not finite); non-ASCII text
// is written as UTF-8.
std::string scene_to_json(const SceneGraph& graph);

}  // namespace borvane::scene
