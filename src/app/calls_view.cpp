#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app::calls {

PyObject* render_view_html(const StatePtr& /*state*/, const std::string& /*layer*/,
                           const OptionalText& /*parent_id*/, const std::string& /*base_url*/,
                           const std::string& /*mode*/, const std::string& /*renderer*/) {
  return raise_not_implemented("render_view_html");
}

}  // namespace borvane::app::calls
