#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app::calls {

PyObject* get_scene(const StatePtr& /*state*/, const std::string& /*mode*/, const OptionalText& /*layer*/,
                    const OptionalText& /*focus*/) {
  return raise_not_implemented("get_scene");
}

}  // namespace borvane::app::calls
