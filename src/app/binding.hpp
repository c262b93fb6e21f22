#pragma once
// Turns a typed C++ call body into a CPython fast-call entry point. The body
// receives already-converted arguments: `const std::string&` for str,
// `const std::optional<std::string>&` for str or None, `bool` for bool. A body
// whose first parameter is the application state gets it after the
// arguments have been converted (so argument errors win over a missing init);
// a body without one (init, and set_adr_status, whose token check precedes
// the state) runs on the arguments alone.
#include <Python.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "app/app_state.hpp"
#include "app/args.hpp"
#include "app/errors.hpp"

namespace borvane::app {

using FastCall = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

template <class T>
struct ArgTypeOf;
template <>
struct ArgTypeOf<std::string> : std::integral_constant<ArgType, ArgType::Str> {};
template <>
struct ArgTypeOf<std::optional<std::string>> : std::integral_constant<ArgType, ArgType::OptionalStr> {};
template <>
struct ArgTypeOf<bool> : std::integral_constant<ArgType, ArgType::Bool> {};

// Required parameters come first, and a default fits its parameter's type.
consteval bool well_formed(const Signature& sig) {
  bool defaults_started = false;
  for (const Param& param : sig.params) {
    if (param.fallback == ArgDefault::Required && defaults_started) return false;
    if (param.fallback != ArgDefault::Required) defaults_started = true;
    if (param.fallback == ArgDefault::None && param.type != ArgType::OptionalStr) return false;
    if (param.fallback == ArgDefault::True && param.type != ArgType::Bool) return false;
  }
  return true;
}

// The parameter table and the body's C++ parameters describe the same call.
template <const Signature& Sig, class... P>
consteval bool params_match() {
  constexpr std::array<ArgType, sizeof...(P)> types{ArgTypeOf<std::remove_cvref_t<P>>::value...};
  if (Sig.params.size() != types.size()) return false;
  for (std::size_t i = 0; i < types.size(); ++i)
    if (Sig.params[i].type != types[i]) return false;
  return well_formed(Sig);
}

// A body that works on the application state.
template <const Signature& Sig, class... P>
PyObject* run_call(PyObject* (*body)(const StatePtr&, P...), PyObject* const* args, Py_ssize_t nargs,
                   PyObject* kwnames) {
  static_assert(params_match<Sig, P...>(), "parameter table and call body disagree");
  ArgValues values;
  if (!parse_args(Sig, args, nargs, kwnames, values)) return nullptr;
  const StatePtr current = state();
  if (!current) return nullptr;
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return body(current, std::get<std::remove_cvref_t<P>>(values[I])...);
  }(std::index_sequence_for<P...>{});
}

// A body that does not take the state from the slot.
template <const Signature& Sig, class... P>
PyObject* run_call(PyObject* (*body)(P...), PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static_assert(params_match<Sig, P...>(), "parameter table and call body disagree");
  ArgValues values;
  if (!parse_args(Sig, args, nargs, kwnames, values)) return nullptr;
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return body(std::get<std::remove_cvref_t<P>>(values[I])...);
  }(std::index_sequence_for<P...>{});
}

// The METH_FASTCALL | METH_KEYWORDS entry point of `Body`.
template <const Signature& Sig, auto Body>
PyObject* fast_call(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
  return guard_ffi([&] { return run_call<Sig>(Body, args, nargs, kwnames); });
}

}  // namespace borvane::app
