#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app::calls {

PyObject* get_overview_diagram(const StatePtr& /*state*/, const std::string& /*base_url*/) {
  return raise_not_implemented("get_overview_diagram");
}

PyObject* get_layer_diagram(const StatePtr& /*state*/, const std::string& /*layer*/,
                            const OptionalText& /*parent_id*/, const std::string& /*base_url*/) {
  return raise_not_implemented("get_layer_diagram");
}

}  // namespace borvane::app::calls
