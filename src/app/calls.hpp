#pragma once
// The bodies of the module's functions. Each receives converted arguments
// (and, where it takes one, the state it works on for the whole call) and
// returns a new reference or nullptr with a Python exception set.
#include <Python.h>

#include <optional>
#include <string>

#include "app/app_state.hpp"

namespace borvane::app::calls {

using OptionalText = std::optional<std::string>;

// Application state.
PyObject* init(const std::string& data_dir);

// Docs binding.
PyObject* bind_docs(const StatePtr& state, const std::string& docs_dir);

// Elements and relationships.
PyObject* upsert_element(const StatePtr& state, const std::string& id, const std::string& kind,
                         const std::string& name, const OptionalText& parent_id, const OptionalText& description,
                         const OptionalText& technology, const OptionalText& url, const OptionalText& members_json);
PyObject* upsert_relationship(const StatePtr& state, const std::string& id, const std::string& from_id,
                              const std::string& to_id, const OptionalText& description);
PyObject* delete_relationship(const StatePtr& state, const std::string& id);
PyObject* get_model(const StatePtr& state);
PyObject* validate_workspace(const StatePtr& state);

// Decision records. set_adr_status fetches the state itself: its token check
// must come first, so a refused caller is told so even before init.
PyObject* upsert_adr(const StatePtr& state, const std::string& adr_json, bool commit);
PyObject* set_adr_status(const std::string& id, const std::string& status, const OptionalText& reason,
                         const OptionalText& superseded_by_id, bool commit, const OptionalText& process_token);
PyObject* get_adr(const StatePtr& state, const std::string& id);
PyObject* list_adrs(const StatePtr& state, const std::string& base_url);

// Flows.
PyObject* upsert_flow(const StatePtr& state, const std::string& flow_json, bool commit);
PyObject* get_flow(const StatePtr& state, const std::string& id);
PyObject* list_flows(const StatePtr& state, const std::string& base_url);
PyObject* delete_flow(const StatePtr& state, const std::string& id, bool commit);

// Diagrams, scenes and pages.
PyObject* get_overview_diagram(const StatePtr& state, const std::string& base_url);
PyObject* get_layer_diagram(const StatePtr& state, const std::string& layer, const OptionalText& parent_id,
                            const std::string& base_url);
PyObject* get_view_links(const StatePtr& state, const std::string& base_url);
PyObject* render_view_html(const StatePtr& state, const std::string& layer, const OptionalText& parent_id,
                           const std::string& base_url, const std::string& mode, const std::string& renderer);
PyObject* get_scene(const StatePtr& state, const std::string& mode, const OptionalText& layer,
                    const OptionalText& focus);
PyObject* render_adrs_html(const StatePtr& state, const std::string& base_url);
PyObject* render_adr_html(const StatePtr& state, const std::string& adr_id, const std::string& base_url);
PyObject* get_flow_diagram(const StatePtr& state, const std::string& id, const std::string& base_url);
PyObject* render_flows_html(const StatePtr& state, const std::string& base_url);
PyObject* render_flow_html(const StatePtr& state, const std::string& flow_id, const std::string& base_url);

}  // namespace borvane::app::calls
