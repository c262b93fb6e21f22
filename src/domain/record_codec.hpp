#pragma once
// Decoding records from parsed documents, with the reader-error forms
// callers see, and the JSON forms of every record.
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/decision.hpp"
#include "domain/element.hpp"
#include "domain/error.hpp"
#include "domain/flow.hpp"
#include "domain/node.hpp"

namespace borvane::domain {

// ---- reading ----
// Decodes a record from a parsed value. Element and Relationship ignore
// unknown keys; every other record rejects them.
template <class T>
Result<T, ReadError> decode(const Node& node);

// parse_json + decode. Supported for Element, Relationship, CodeMember,
// std::vector<CodeMember>, DocRef, Decision, Flow.
template <class T>
Result<T, ReadError> from_json(std::string_view text);

// ---- writing ----
// A record as a JSON value. With nlohmann::ordered_json the keys keep
// declaration order (the direct form); with nlohmann::json they come out in
// ascending byte order (the generic/embedded form). Omission rules are the
// record's own (absent optionals null or left out, empty lists left out, ...).
template <class J> J to_json_value(const CodeParam& v);
template <class J> J to_json_value(const CodeMember& v);
template <class J> J to_json_value(const DocRef& v);
template <class J> J to_json_value(const Element& v);
template <class J> J to_json_value(const Relationship& v);
template <class J> J to_json_value(const Problem& v);
template <class J> J to_json_value(const AdrForbidRule& v);
template <class J> J to_json_value(const AdrPolicy& v);
template <class J> J to_json_value(const Decision& v);
template <class J> J to_json_value(const FlowStep& v);
template <class J> J to_json_value(const FlowEpoch& v);
template <class J> J to_json_value(const FlowAnchor& v);
template <class J> J to_json_value(const Flow& v);

// Compact JSON text (no spaces, non-ASCII as UTF-8, floats per format_double).
std::string dump_compact(const nlohmann::json& value);
std::string dump_compact(const nlohmann::ordered_json& value);

// The direct form: compact JSON in declaration order.
template <class T>
std::string to_json_direct(const T& record) {
  return dump_compact(to_json_value<nlohmann::ordered_json>(record));
}

// Appends `s` as a JSON string literal: quote, backslash and control
// characters escaped (\b \f \n \r \t, otherwise \u00XX); everything else raw.
void append_json_string(std::string& out, std::string_view s);

// Shortest decimal text that reads back as the same double; ".0" appended to
// integral values (40 -> "40.0"); exponent form "1e21", "1.5e-7" outside
// the plain range; non-finite values -> "null".
std::string format_double(double value);
void append_double(std::string& out, double value);

}  // namespace borvane::domain
