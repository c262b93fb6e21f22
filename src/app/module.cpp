// The module `borvane_c4._native`: its 25 functions in registration order,
// their parameter tables, `__all__` and the PanicException attribute.
#include <Python.h>

#include <array>
#include <cstddef>
#include <string>

#include "app/args.hpp"
#include "app/binding.hpp"
#include "app/calls.hpp"
#include "app/errors.hpp"

namespace borvane::app {

namespace {

using enum ArgType;

constexpr Param kInitParams[] = {{"data_dir", Str}};
constexpr Param kBindDocsParams[] = {{"docs_dir", Str}};
constexpr Param kUpsertElementParams[] = {
    {"id", Str},
    {"kind", Str},
    {"name", Str},
    {"parent_id", OptionalStr},
    {"description", OptionalStr},
    {"technology", OptionalStr},
    {"url", OptionalStr},
    {"members_json", OptionalStr}};
constexpr Param kUpsertRelationshipParams[] = {
    {"id", Str}, {"from_id", Str}, {"to_id", Str}, {"description", OptionalStr}};
constexpr Param kIdParams[] = {{"id", Str}};
constexpr Param kJsonCommitAdrParams[] = {{"adr_json", Str}, {"commit", Bool}};
constexpr Param kSetAdrStatusParams[] = {
    {"id", Str},
    {"status", Str},
    {"reason", OptionalStr, ArgDefault::None},
    {"superseded_by_id", OptionalStr, ArgDefault::None},
    {"commit", Bool, ArgDefault::True},
    {"process_token", OptionalStr, ArgDefault::None}};
constexpr Param kBaseUrlParams[] = {{"base_url", Str}};
constexpr Param kLayerDiagramParams[] = {{"layer", Str}, {"parent_id", OptionalStr}, {"base_url", Str}};
constexpr Param kViewHtmlParams[] = {
    {"layer", Str}, {"parent_id", OptionalStr}, {"base_url", Str}, {"mode", Str}, {"renderer", Str}};
constexpr Param kSceneParams[] = {{"mode", Str}, {"layer", OptionalStr}, {"focus", OptionalStr}};
constexpr Param kAdrPageParams[] = {{"adr_id", Str}, {"base_url", Str}};
constexpr Param kJsonCommitFlowParams[] = {{"flow_json", Str}, {"commit", Bool}};
constexpr Param kIdCommitParams[] = {{"id", Str}, {"commit", Bool}};
constexpr Param kIdBaseUrlParams[] = {{"id", Str}, {"base_url", Str}};
constexpr Param kFlowPageParams[] = {{"flow_id", Str}, {"base_url", Str}};

constexpr Signature kInit{"init", kInitParams};
constexpr Signature kBindDocs{"bind_docs", kBindDocsParams,
                              "Bind workspace to a host `docs/` directory (sidecar happy path)."};
constexpr Signature kUpsertElement{"upsert_element", kUpsertElementParams};
constexpr Signature kUpsertRelationship{"upsert_relationship", kUpsertRelationshipParams};
constexpr Signature kDeleteRelationship{"delete_relationship", kIdParams};
constexpr Signature kGetModel{"get_model", {}};
constexpr Signature kValidateWorkspace{"validate_workspace", {}};
constexpr Signature kUpsertAdr{"upsert_adr", kJsonCommitAdrParams};
constexpr Signature kSetAdrStatus{"set_adr_status", kSetAdrStatusParams};
constexpr Signature kGetAdr{"get_adr", kIdParams};
constexpr Signature kListAdrs{"list_adrs", kBaseUrlParams};
constexpr Signature kGetOverviewDiagram{"get_overview_diagram", kBaseUrlParams};
constexpr Signature kGetLayerDiagram{"get_layer_diagram", kLayerDiagramParams};
constexpr Signature kGetViewLinks{"get_view_links", kBaseUrlParams};
constexpr Signature kRenderViewHtml{"render_view_html", kViewHtmlParams};
constexpr Signature kGetScene{"get_scene", kSceneParams};
constexpr Signature kRenderAdrsHtml{"render_adrs_html", kBaseUrlParams};
constexpr Signature kRenderAdrHtml{"render_adr_html", kAdrPageParams};
constexpr Signature kUpsertFlow{"upsert_flow", kJsonCommitFlowParams};
constexpr Signature kGetFlow{"get_flow", kIdParams};
constexpr Signature kListFlows{"list_flows", kBaseUrlParams};
constexpr Signature kDeleteFlow{"delete_flow", kIdCommitParams};
constexpr Signature kGetFlowDiagram{"get_flow_diagram", kIdBaseUrlParams};
constexpr Signature kRenderFlowsHtml{"render_flows_html", kBaseUrlParams};
constexpr Signature kRenderFlowHtml{"render_flow_html", kFlowPageParams};

struct Function {
  const Signature* signature;
  FastCall entry;
};

// Registration order is the order of `__all__`.
constexpr Function kFunctions[] = {
    {&kInit, &fast_call<kInit, &calls::init>},
    {&kBindDocs, &fast_call<kBindDocs, &calls::bind_docs>},
    {&kUpsertElement, &fast_call<kUpsertElement, &calls::upsert_element>},
    {&kUpsertRelationship, &fast_call<kUpsertRelationship, &calls::upsert_relationship>},
    {&kDeleteRelationship, &fast_call<kDeleteRelationship, &calls::delete_relationship>},
    {&kGetModel, &fast_call<kGetModel, &calls::get_model>},
    {&kValidateWorkspace, &fast_call<kValidateWorkspace, &calls::validate_workspace>},
    {&kUpsertAdr, &fast_call<kUpsertAdr, &calls::upsert_adr>},
    {&kSetAdrStatus, &fast_call<kSetAdrStatus, &calls::set_adr_status>},
    {&kGetAdr, &fast_call<kGetAdr, &calls::get_adr>},
    {&kListAdrs, &fast_call<kListAdrs, &calls::list_adrs>},
    {&kGetOverviewDiagram, &fast_call<kGetOverviewDiagram, &calls::get_overview_diagram>},
    {&kGetLayerDiagram, &fast_call<kGetLayerDiagram, &calls::get_layer_diagram>},
    {&kGetViewLinks, &fast_call<kGetViewLinks, &calls::get_view_links>},
    {&kRenderViewHtml, &fast_call<kRenderViewHtml, &calls::render_view_html>},
    {&kGetScene, &fast_call<kGetScene, &calls::get_scene>},
    {&kRenderAdrsHtml, &fast_call<kRenderAdrsHtml, &calls::render_adrs_html>},
    {&kRenderAdrHtml, &fast_call<kRenderAdrHtml, &calls::render_adr_html>},
    {&kUpsertFlow, &fast_call<kUpsertFlow, &calls::upsert_flow>},
    {&kGetFlow, &fast_call<kGetFlow, &calls::get_flow>},
    {&kListFlows, &fast_call<kListFlows, &calls::list_flows>},
    {&kDeleteFlow, &fast_call<kDeleteFlow, &calls::delete_flow>},
    {&kGetFlowDiagram, &fast_call<kGetFlowDiagram, &calls::get_flow_diagram>},
    {&kRenderFlowsHtml, &fast_call<kRenderFlowsHtml, &calls::render_flows_html>},
    {&kRenderFlowHtml, &fast_call<kRenderFlowHtml, &calls::render_flow_html>},
};
constexpr std::size_t kFunctionCount = std::size(kFunctions);

// CPython keeps pointers to the method definitions and their docstrings for
// as long as the functions live, so both are built once and never freed.
struct MethodTable {
  std::array<std::string, kFunctionCount> docs;
  std::array<PyMethodDef, kFunctionCount> defs;
};

PyCFunction as_method(FastCall entry) {
  // The usual CPython idiom: the flags tell the interpreter the real type;
  // the detour through void(*)() keeps -Wcast-function-type quiet.
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(entry));
}

MethodTable build_method_table() {
  MethodTable table;
  for (std::size_t i = 0; i < kFunctionCount; ++i) {
    const Signature& sig = *kFunctions[i].signature;
    table.docs[i] = signature_doc(sig);
    table.defs[i] = {sig.function, as_method(kFunctions[i].entry), METH_FASTCALL | METH_KEYWORDS,
                     table.docs[i].c_str()};
  }
  return table;
}

// Built on first use; C++ makes the initialisation thread-safe, and it calls
// nothing in the interpreter.
MethodTable& method_table() {
  static MethodTable table = build_method_table();
  return table;
}

// Appends `name` to the module's `__all__`, creating the list on first use.
int append_to_all(PyObject* module, const char* name) {
  if (!PyObject_HasAttrString(module, "__all__")) {
    PyObject* fresh = PyList_New(0);
    if (fresh == nullptr) return -1;
    const int added = PyModule_AddObjectRef(module, "__all__", fresh);
    Py_DECREF(fresh);
    if (added < 0) return -1;
  }
  PyObject* all = PyObject_GetAttrString(module, "__all__");
  if (all == nullptr) return -1;
  PyObject* text = PyUnicode_FromString(name);
  const int appended = text == nullptr ? -1 : PyList_Append(all, text);
  Py_XDECREF(text);
  Py_DECREF(all);
  return appended;
}

int add_function(PyObject* module, PyObject* module_name, PyMethodDef* def) {
  PyObject* function = PyCFunction_NewEx(def, module, module_name);
  if (function == nullptr) return -1;
  const int added = PyModule_AddObjectRef(module, def->ml_name, function);
  Py_DECREF(function);
  if (added < 0) return -1;
  return append_to_all(module, def->ml_name);
}

int add_functions(PyObject* module) {
  PyObject* module_name = PyModule_GetNameObject(module);
  if (module_name == nullptr) return -1;
  int status = 0;
  for (PyMethodDef& def : method_table().defs) {
    status = add_function(module, module_name, &def);
    if (status < 0) break;
  }
  Py_DECREF(module_name);
  return status;
}

int add_panic_exception(PyObject* module) {
  PyObject* type = panic_exception_type();
  if (type == nullptr) return -1;
  return PyModule_AddObjectRef(module, "PanicException", type);
}

int exec_module(PyObject* module) noexcept {
  PyObject* outcome = guard_ffi([module]() -> PyObject* {
    if (add_functions(module) < 0 || add_panic_exception(module) < 0) return nullptr;
    return Py_NewRef(Py_None);
  });
  if (outcome == nullptr) return -1;
  Py_DECREF(outcome);
  return 0;
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_module)},
#if PY_VERSION_HEX >= 0x030D0000
    // Every piece of shared data sits behind its own lock.
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "_native",     // m_name
    "",            // m_doc
    0,             // m_size: no per-module state
    nullptr,       // m_methods: added by the exec slot, with __all__
    module_slots,  // m_slots
    nullptr,       // m_traverse
    nullptr,       // m_clear
    nullptr,       // m_free
};

}  // namespace

}  // namespace borvane::app

PyMODINIT_FUNC PyInit__native() { return PyModuleDef_Init(&borvane::app::module_def); }
