#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app::calls {

PyObject* upsert_element(const StatePtr& /*state*/, const std::string& /*id*/, const std::string& /*kind*/,
                         const std::string& /*name*/, const OptionalText& /*parent_id*/,
                         const OptionalText& /*description*/, const OptionalText& /*technology*/,
                         const OptionalText& /*url*/, const OptionalText& /*members_json*/) {
  return raise_not_implemented("upsert_element");
}

PyObject* upsert_relationship(const StatePtr& /*state*/, const std::string& /*id*/, const std::string& /*from_id*/,
                              const std::string& /*to_id*/, const OptionalText& /*description*/) {
  return raise_not_implemented("upsert_relationship");
}

PyObject* delete_relationship(const StatePtr& /*state*/, const std::string& /*id*/) {
  return raise_not_implemented("delete_relationship");
}

PyObject* get_model(const StatePtr& /*state*/) { return raise_not_implemented("get_model"); }

PyObject* validate_workspace(const StatePtr& /*state*/) { return raise_not_implemented("validate_workspace"); }

}  // namespace borvane::app::calls
