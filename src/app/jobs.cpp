#include "app/jobs.hpp"

#include <utility>

#include "app/errors.hpp"

namespace borvane::app {

std::mutex& write_work_mutex() {
  static std::mutex mutex;
  return mutex;
}

PyObject* run_job(const StatePtr& state, queue::Work work) {
  queue::JobResult result = state->queue->submit([work = std::move(work)]() {
    std::lock_guard lock(write_work_mutex());
    return work();
  });
  return text_or_error(result);
}

}  // namespace borvane::app
