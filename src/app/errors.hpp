#pragma once
// How failures leave the module: every entry point hands the interpreter
// either a new reference or nullptr with a Python exception set. The helpers
// below set the exception and return nullptr so that a call body can simply
// `return raise_value_error(...)`.
#include <Python.h>

#include <exception>
#include <string>
#include <string_view>

#include "domain/error.hpp"

namespace borvane::app {

// The exception type for internal faults. Created once per process on first
// use; the returned reference is borrowed and lives until the process ends.
// Returns nullptr (with a Python error set) only if the type cannot be made.
PyObject* panic_exception_type();

PyObject* raise_value_error(std::string_view message);
PyObject* raise_runtime_error(std::string_view message);
PyObject* raise_permission_error(std::string_view message);
PyObject* raise_not_implemented(std::string_view function_name);

// The ValueError of a DomainError: its display text ("not found: ...", ...).
PyObject* map_err(const domain::DomainError& error);

// A Python str from UTF-8 text, or nullptr with the decoding error set.
PyObject* py_str(std::string_view text);

// The usual result of a call: the text as a str, or the error as ValueError.
PyObject* text_or_error(const domain::Result<std::string>& result);

// Raises PanicException(message). Aborts the process when even that fails.
PyObject* raise_panic(const char* message) noexcept;

// Ends the process with "uncaught panic at ffi boundary": the last resort when
// a failure cannot be turned into a Python exception.
[[noreturn]] void abort_at_ffi_boundary() noexcept;

// Runs `body` and makes sure no C++ exception reaches the interpreter: one
// that escapes becomes PanicException carrying its what() text.
template <class Body>
PyObject* guard_ffi(Body&& body) noexcept {
  try {
    try {
      return body();
    } catch (const std::exception& e) {
      return raise_panic(e.what());
    } catch (...) {
      return raise_panic("native code failed with an exception of unknown type");
    }
  } catch (...) {
    abort_at_ffi_boundary();
  }
}

}  // namespace borvane::app
