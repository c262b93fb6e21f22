#include "app/app_state.hpp"

#include <mutex>
#include <utility>

#include "app/errors.hpp"

namespace borvane::app {

namespace {

// The lock is held only to read or replace the pointer, never during work.
std::mutex slot_mutex;
StatePtr slot;

StatePtr current() {
  std::lock_guard lock(slot_mutex);
  return slot;
}

}  // namespace

StatePtr state() {
  StatePtr current_state = current();
  if (!current_state) raise_runtime_error("call init(data_dir) first");
  return current_state;
}

void install(StatePtr fresh) {
  {
    std::lock_guard lock(slot_mutex);
    slot.swap(fresh);
  }
  // `fresh` now holds the previous state and is released here, unlocked.
}

}  // namespace borvane::app
