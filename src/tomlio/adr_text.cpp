#include "tomlio/adr_text.hpp"

#include <optional>
#include <string_view>

#include "tomlio/record_tables.hpp"
#include "tomlio/toml_quote.hpp"
#include "tomlio/toml_writer.hpp"

namespace borvane::tomlio {
namespace {

void line(std::string& out, std::string_view key, const std::string& value) {
  out += key;
  out += " = ";
  out += value;
  out += '\n';
}

void quoted_line(std::string& out, std::string_view key, const std::optional<std::string>& value) {
  if (value) line(out, key, q(*value));
}

void prose_line(std::string& out, std::string_view key, const std::optional<std::string>& value) {
  if (value) line(out, key, lit(*value));
}

std::string quoted_list(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ", ";
    out += q(items[i]);
  }
  out += ']';
  return out;
}

void append_policy(std::string& out, const domain::AdrPolicy& policy) {
  out += "\n[policy]\n";
  out += render_toml_body(to_toml_table(policy), "policy", TomlForm::Plain);
}

void append_ref(std::string& out, const domain::DocRef& ref) {
  out += "\n[[refs]]\n";
  line(out, "url", q(ref.url));
  quoted_line(out, "title", ref.title);
}

}  // namespace

std::string render_adr_toml(const domain::Decision& d) {
  std::string out;
  line(out, "id", q(d.id));
  if (!d.workspace_id.empty()) line(out, "workspace_id", q(d.workspace_id));
  line(out, "title", q(d.title));
  line(out, "status", q(std::string(d.status.text())));
  line(out, "decided_at", q(d.decided_at));
  quoted_line(out, "scope_element_id", d.scope_element_id);
  line(out, "context", lit(d.context));
  line(out, "decision", lit(d.decision));
  line(out, "consequences", lit(d.consequences));
  prose_line(out, "reason", d.reason);
  quoted_line(out, "superseded_by_id", d.superseded_by_id);
  if (!d.related_flows.empty()) line(out, "related_flows", quoted_list(d.related_flows));
  if (!d.path.empty()) line(out, "path", q(d.path));
  quoted_line(out, "git_commit_id", d.git_commit_id);
  if (d.policy) append_policy(out, *d.policy);
  for (const auto& ref : d.refs) append_ref(out, ref);
  return out;
}

}  // namespace borvane::tomlio
