#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app::calls {

PyObject* upsert_flow(const StatePtr& /*state*/, const std::string& /*flow_json*/, bool /*commit*/) {
  return raise_not_implemented("upsert_flow");
}

PyObject* get_flow(const StatePtr& /*state*/, const std::string& /*id*/) { return raise_not_implemented("get_flow"); }

PyObject* list_flows(const StatePtr& /*state*/, const std::string& /*base_url*/) {
  return raise_not_implemented("list_flows");
}

PyObject* delete_flow(const StatePtr& /*state*/, const std::string& /*id*/, bool /*commit*/) {
  return raise_not_implemented("delete_flow");
}

}  // namespace borvane::app::calls
