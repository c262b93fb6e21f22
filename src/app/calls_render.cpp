#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app::calls {

PyObject* get_view_links(const StatePtr& /*state*/, const std::string& /*base_url*/) {
  return raise_not_implemented("get_view_links");
}

PyObject* render_adrs_html(const StatePtr& /*state*/, const std::string& /*base_url*/) {
  return raise_not_implemented("render_adrs_html");
}

PyObject* render_adr_html(const StatePtr& /*state*/, const std::string& /*adr_id*/,
                          const std::string& /*base_url*/) {
  return raise_not_implemented("render_adr_html");
}

PyObject* get_flow_diagram(const StatePtr& /*state*/, const std::string& /*id*/, const std::string& /*base_url*/) {
  return raise_not_implemented("get_flow_diagram");
}

PyObject* render_flows_html(const StatePtr& /*state*/, const std::string& /*base_url*/) {
  return raise_not_implemented("render_flows_html");
}

PyObject* render_flow_html(const StatePtr& /*state*/, const std::string& /*flow_id*/,
                           const std::string& /*base_url*/) {
  return raise_not_implemented("render_flow_html");
}

}  // namespace borvane::app::calls
