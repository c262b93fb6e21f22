#include "app/errors.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace borvane::app {

namespace {

constexpr const char* kPanicName = "borvane_c4._native.PanicException";
constexpr const char* kPanicDoc =
    "Raised when native code called from Python fails internally.\n\n"
    "It derives from BaseException, not Exception: an internal fault is not "
    "an ordinary error that `except Exception` should swallow.";

// Published with a compare-and-swap rather than a lock: a thread that held a
// C++ lock while creating the type could block another thread that holds the
// interpreter lock, and each would wait for the other.
std::atomic<PyObject*> panic_type{nullptr};

// Sets `type(message)`. The message is decoded leniently because texts from
// the file system or git need not be valid UTF-8, and a failing decode would
// replace the intended exception with a UnicodeDecodeError.
PyObject* raise_with_text(PyObject* type, std::string_view message) {
  PyObject* text = PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace");
  if (text == nullptr) return nullptr;
  PyErr_SetObject(type, text);
  Py_DECREF(text);
  return nullptr;
}

}  // namespace

PyObject* panic_exception_type() {
  if (PyObject* existing = panic_type.load(std::memory_order_acquire)) return existing;
  PyObject* created = PyErr_NewExceptionWithDoc(kPanicName, kPanicDoc, PyExc_BaseException, nullptr);
  if (created == nullptr) return nullptr;
  PyObject* expected = nullptr;
  if (panic_type.compare_exchange_strong(expected, created, std::memory_order_acq_rel)) return created;
  // Another thread won the race; everybody uses its type.
  Py_DECREF(created);
  return expected;
}

PyObject* raise_value_error(std::string_view message) { return raise_with_text(PyExc_ValueError, message); }

PyObject* raise_runtime_error(std::string_view message) { return raise_with_text(PyExc_RuntimeError, message); }

PyObject* raise_permission_error(std::string_view message) {
  return raise_with_text(PyExc_PermissionError, message);
}

PyObject* raise_not_implemented(std::string_view function_name) {
  return raise_with_text(PyExc_NotImplementedError, std::string(function_name) + " is not implemented yet");
}

PyObject* map_err(const domain::DomainError& error) { return raise_value_error(error.display()); }

PyObject* py_str(std::string_view text) {
  return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "strict");
}

PyObject* text_or_error(const domain::Result<std::string>& result) {
  return result ? py_str(result.value()) : map_err(result.error());
}

PyObject* raise_panic(const char* message) noexcept {
  PyObject* type = panic_exception_type();
  if (type == nullptr) abort_at_ffi_boundary();
  PyObject* text = PyUnicode_DecodeUTF8(message, static_cast<Py_ssize_t>(std::strlen(message)), "replace");
  if (text == nullptr) abort_at_ffi_boundary();
  PyErr_SetObject(type, text);
  Py_DECREF(text);
  return nullptr;
}

void abort_at_ffi_boundary() noexcept {
  std::fputs("uncaught panic at ffi boundary\n", stderr);
  std::abort();
}

}  // namespace borvane::app
