#pragma once
// The process-wide slot that holds the current application state.
#include <memory>

#include "app/state.hpp"

namespace borvane::app {

using StatePtr = std::shared_ptr<AppState>;

// A new reference to the current state, or nullptr with RuntimeError
// "call init(data_dir) first" set when `init` has not run yet. Callers keep
// the reference for the whole call, so a concurrent `init` cannot pull the
// state from under them.
StatePtr state();

// Puts `fresh` in place of the current state. The previous state is released
// after the slot's lock is dropped: its last owner may be this thread, and
// tearing it down (closing its write queue) must not happen under the lock.
void install(StatePtr fresh);

}  // namespace borvane::app
