#pragma once
// Submitting write jobs. Every job of every application state, and the
// direct binding that init runs, holds one process-wide lock while it works:
// a queue that is still draining after init replaced its state must never
// interleave its file writes with those of the new state.
#include <Python.h>

#include <mutex>

#include "app/app_state.hpp"
#include "queue/write_queue.hpp"

namespace borvane::app {

// The lock every piece of write work holds while it runs.
std::mutex& write_work_mutex();

// Runs `work` on the state's write queue under the write-work lock and
// waits for it; returns its text as a str, or raises ValueError.
PyObject* run_job(const StatePtr& state, queue::Work work);

}  // namespace borvane::app
