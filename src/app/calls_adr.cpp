#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app::calls {

PyObject* upsert_adr(const StatePtr& /*state*/, const std::string& /*adr_json*/, bool /*commit*/) {
  return raise_not_implemented("upsert_adr");
}

PyObject* set_adr_status(const std::string& /*id*/, const std::string& /*status*/, const OptionalText& /*reason*/,
                         const OptionalText& /*superseded_by_id*/, bool /*commit*/,
                         const OptionalText& /*process_token*/) {
  const StatePtr current = state();
  if (!current) return nullptr;
  return raise_not_implemented("set_adr_status");
}

PyObject* get_adr(const StatePtr& /*state*/, const std::string& /*id*/) { return raise_not_implemented("get_adr"); }

PyObject* list_adrs(const StatePtr& /*state*/, const std::string& /*base_url*/) {
  return raise_not_implemented("list_adrs");
}

}  // namespace borvane::app::calls
