#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app::calls {

PyObject* bind_docs(const StatePtr& /*state*/, const std::string& /*docs_dir*/) {
  return raise_not_implemented("bind_docs");
}

}  // namespace borvane::app::calls
