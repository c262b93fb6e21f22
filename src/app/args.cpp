#include "app/args.hpp"

#include <cstring>

namespace borvane::app {

namespace {

void raise_type_error(const std::string& message) { PyErr_SetString(PyExc_TypeError, message.c_str()); }

std::size_t required_count(const Signature& sig) {
  std::size_t count = 0;
  for (const Param& param : sig.params)
    if (param.fallback == ArgDefault::Required) ++count;
  return count;
}

// "f() takes 1 positional argument but 2 were given", or with a range
// ("takes from 2 to 6 positional arguments") when some parameters have defaults.
void raise_too_many_positional(const Signature& sig, Py_ssize_t given) {
  const std::size_t most = sig.params.size();
  const std::size_t least = required_count(sig);
  std::string takes;
  if (least == most)
    takes = std::to_string(most) + (most == 1 ? " positional argument" : " positional arguments");
  else
    takes = "from " + std::to_string(least) + " to " + std::to_string(most) + " positional arguments";
  raise_type_error(std::string(sig.function) + "() takes " + takes + " but " + std::to_string(given) +
                   (given == 1 ? " was given" : " were given"));
}

// "'a'", "'a' and 'b'", "'a', 'b', and 'c'" as Python lists missing names.
std::string join_missing(const std::vector<const char*>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += names.size() == 2 ? " and " : (i + 1 == names.size() ? ", and " : ", ");
    text += "'" + std::string(names[i]) + "'";
  }
  return text;
}

void raise_missing(const Signature& sig, const std::vector<const char*>& names) {
  raise_type_error(std::string(sig.function) + "() missing " + std::to_string(names.size()) +
                   (names.size() == 1 ? " required positional argument: " : " required positional arguments: ") +
                   join_missing(names));
}

// Raises "f() argument 'x' must be str, not int" and returns false.
bool reject_type(const Signature& sig, const Param& param, const char* expected, PyObject* value) {
  const char* got = value == Py_None ? "None" : Py_TYPE(value)->tp_name;
  PyErr_Format(PyExc_TypeError, "%s() argument '%s' must be %s, not %.50s", sig.function, param.name, expected,
               got);
  return false;
}

// The position of the parameter called `keyword`, or -1. Keyword names are
// compared by content, so interned and freshly built strings both match.
Py_ssize_t find_param(const Signature& sig, PyObject* keyword) {
  for (std::size_t i = 0; i < sig.params.size(); ++i)
    if (PyUnicode_CompareWithASCIIString(keyword, sig.params[i].name) == 0) return static_cast<Py_ssize_t>(i);
  return -1;
}

// Places positional and keyword values into `slots` (borrowed references,
// nullptr where nothing was passed).
bool bind(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
          std::vector<PyObject*>& slots) {
  if (static_cast<std::size_t>(nargs) > sig.params.size()) {
    raise_too_many_positional(sig, nargs);
    return false;
  }
  for (Py_ssize_t i = 0; i < nargs; ++i) slots[static_cast<std::size_t>(i)] = args[i];
  const Py_ssize_t nkw = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
  for (Py_ssize_t k = 0; k < nkw; ++k) {
    PyObject* keyword = PyTuple_GET_ITEM(kwnames, k);
    const Py_ssize_t index = find_param(sig, keyword);
    if (index < 0) {
      PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%S'", sig.function, keyword);
      return false;
    }
    PyObject*& slot = slots[static_cast<std::size_t>(index)];
    if (slot != nullptr) {
      PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%S'", sig.function, keyword);
      return false;
    }
    slot = args[nargs + k];
  }
  return true;
}

bool check_missing(const Signature& sig, const std::vector<PyObject*>& slots) {
  std::vector<const char*> missing;
  for (std::size_t i = 0; i < slots.size(); ++i)
    if (slots[i] == nullptr && sig.params[i].fallback == ArgDefault::Required) missing.push_back(sig.params[i].name);
  if (missing.empty()) return true;
  raise_missing(sig, missing);
  return false;
}

ArgValue default_value(const Param& param) {
  if (param.fallback == ArgDefault::True) return true;
  return std::optional<std::string>{};
}

// The UTF-8 bytes of a str. A str that has no UTF-8 form (lone surrogates)
// leaves CPython's UnicodeEncodeError set.
std::optional<std::string> utf8_of(PyObject* value) {
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(value, &size);
  if (data == nullptr) return std::nullopt;
  return std::string(data, static_cast<std::size_t>(size));
}

// NumPy's boolean scalar is "numpy.bool_" (named "numpy.bool" from NumPy 2).
// It is recognised by name so that the module does not depend on NumPy.
bool is_numpy_bool(PyObject* value) {
  const char* name = Py_TYPE(value)->tp_name;
  return std::strcmp(name, "numpy.bool_") == 0 || std::strcmp(name, "numpy.bool") == 0;
}

bool convert(const Signature& sig, const Param& param, PyObject* value, ArgValue& out) {
  switch (param.type) {
    case ArgType::Str: {
      if (!PyUnicode_Check(value)) return reject_type(sig, param, "str", value);
      auto text = utf8_of(value);
      if (!text) return false;
      out = std::move(*text);
      return true;
    }
    case ArgType::OptionalStr: {
      if (value == Py_None) {
        out = std::optional<std::string>{};
        return true;
      }
      if (!PyUnicode_Check(value)) return reject_type(sig, param, "str or None", value);
      auto text = utf8_of(value);
      if (!text) return false;
      out = std::move(text);
      return true;
    }
    case ArgType::Bool: {
      if (PyBool_Check(value)) {
        out = value == Py_True;
        return true;
      }
      if (!is_numpy_bool(value)) return reject_type(sig, param, "bool", value);
      const int truth = PyObject_IsTrue(value);
      if (truth < 0) return false;
      out = truth == 1;
      return true;
    }
  }
  return false;
}

}  // namespace

bool parse_args(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                ArgValues& out) {
  std::vector<PyObject*> slots(sig.params.size(), nullptr);
  if (!bind(sig, args, nargs, kwnames, slots) || !check_missing(sig, slots)) return false;
  out.clear();
  out.reserve(slots.size());
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (slots[i] == nullptr) {
      out.push_back(default_value(sig.params[i]));
      continue;
    }
    if (!convert(sig, sig.params[i], slots[i], out.emplace_back())) return false;
  }
  return true;
}

std::string signature_doc(const Signature& sig) {
  std::string text = std::string(sig.function) + "($module";
  for (const Param& param : sig.params) {
    text += ", ";
    text += param.name;
    if (param.fallback == ArgDefault::None) text += "=None";
    if (param.fallback == ArgDefault::True) text += "=True";
  }
  return text + ")\n--\n\n" + sig.doc;
}

}  // namespace borvane::app
