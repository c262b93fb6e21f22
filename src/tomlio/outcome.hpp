#pragma once
// The result type of every file operation of this module: a value, or an
// error text that callers pass on unchanged (wrapped as DomainError::Other).
#include <cerrno>
#include <string>
#include <system_error>

#include "domain/error.hpp"

namespace borvane::tomlio {

template <class T>
using Outcome = domain::Result<T, std::string>;

using domain::Unit;

inline Outcome<Unit> done() { return Unit{}; }

// The operating system's standard text for an errno value, e.g.
// "No such file or directory".
inline std::string os_error_text(int errnum) { return std::generic_category().message(errnum); }

}  // namespace borvane::tomlio
