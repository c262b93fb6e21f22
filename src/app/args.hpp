#pragma once
// Taking the arguments of a fast-call function apart, driven by a table of
// parameter names, types and defaults. Every parameter is
// positional-or-keyword; failures raise TypeError in CPython's usual wording.
#include <Python.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace borvane::app {

enum class ArgType : std::uint8_t {
  Str,          // a Python str, None rejected
  OptionalStr,  // a Python str, or None for absent
  Bool,         // a Python bool or a NumPy boolean scalar
};

enum class ArgDefault : std::uint8_t { Required, None, True };

// Names are plain ASCII literals: they go into CPython's formatting
// functions and keyword comparison as C strings.
struct Param {
  const char* name;
  ArgType type;
  ArgDefault fallback = ArgDefault::Required;
};

struct Signature {
  const char* function;
  std::span<const Param> params;
  // Shown as __doc__ after the signature; empty means no docstring.
  const char* doc = "";
};

// One converted argument; the alternative follows the parameter's ArgType.
using ArgValue = std::variant<std::string, std::optional<std::string>, bool>;
using ArgValues = std::vector<ArgValue>;

// Binds `args` and the keyword values named by `kwnames` to the parameters
// of `signature`, fills defaults and converts every value. Returns false with
// a Python exception set when the call does not fit the signature.
bool parse_args(const Signature& signature, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                ArgValues& out);

// The text signature CPython reads from the start of a docstring
// ("name($module, a, b=None)\n--\n\n"), followed by the docstring itself.
std::string signature_doc(const Signature& signature);

}  // namespace borvane::app
