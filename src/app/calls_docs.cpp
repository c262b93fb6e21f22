#include "app/calls.hpp"
#include "app/docs_binding.hpp"
#include "app/errors.hpp"
#include "app/jobs.hpp"

namespace borvane::app::calls {

PyObject* bind_docs(const StatePtr& state, const std::string& docs_dir) {
  return run_job(state, [state, docs_dir] { return bind_docs_inner(*state, docs_dir); });
}

}  // namespace borvane::app::calls
