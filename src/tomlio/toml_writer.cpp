#include "tomlio/toml_writer.hpp"

#include "tomlio/toml_quote.hpp"

namespace borvane::tomlio {

TomlValue TomlValue::string(std::string v) {
  TomlValue out;
  out.kind = Kind::String;
  out.text = std::move(v);
  return out;
}

TomlValue TomlValue::integer_value(std::int64_t v) {
  TomlValue out;
  out.kind = Kind::Integer;
  out.integer = v;
  return out;
}

TomlValue TomlValue::boolean_value(bool v) {
  TomlValue out;
  out.kind = Kind::Boolean;
  out.boolean = v;
  return out;
}

TomlValue TomlValue::array(std::vector<TomlValue> items) {
  TomlValue out;
  out.kind = Kind::Array;
  out.items = std::move(items);
  return out;
}

TomlValue TomlValue::of_table(TomlTable table) {
  TomlValue out;
  out.kind = Kind::Table;
  out.table = std::move(table);
  return out;
}

bool TomlValue::is_array_of_tables() const {
  if (kind != Kind::Array || items.empty()) return false;
  for (const auto& item : items)
    if (item.kind != Kind::Table) return false;
  return true;
}

namespace {

bool is_bare_key(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                    c == '-';
    if (!ok) return false;
  }
  return true;
}

std::string key_text(std::string_view key) { return is_bare_key(key) ? std::string(key) : q(key); }

std::string joined_path(std::string_view path, std::string_view key) {
  std::string out(path);
  if (!out.empty()) out += '.';
  out += key_text(key);
  return out;
}

bool is_sub_table(const TomlValue& v) { return v.kind == TomlValue::Kind::Table || v.is_array_of_tables(); }

void append_value(std::string& out, const TomlValue& v, TomlForm form);

void append_text(std::string& out, const std::string& text, TomlForm form) {
  // Multi-line texts (flow bodies, descriptions) stay readable in prose form.
  const bool prose = form == TomlForm::Pretty && text.find('\n') != std::string::npos && fits_prose_form(text);
  out += prose ? lit(text) : q(text);
}

void append_array(std::string& out, const TomlValue& v, TomlForm form) {
  if (v.items.empty()) {
    out += "[]";
    return;
  }
  if (form == TomlForm::Plain) {
    out += '[';
    for (std::size_t i = 0; i < v.items.size(); ++i) {
      if (i > 0) out += ", ";
      append_value(out, v.items[i], form);
    }
    out += ']';
    return;
  }
  out += "[\n";
  for (const auto& item : v.items) {
    out += "    ";
    append_value(out, item, form);
    out += ",\n";
  }
  out += ']';
}

// Tables nested inside arrays of plain values are written inline.
void append_inline_table(std::string& out, const TomlValue& v, TomlForm form) {
  out += '{';
  for (std::size_t i = 0; i < v.table.size(); ++i) {
    out += i > 0 ? ", " : " ";
    out += key_text(v.table[i].first);
    out += " = ";
    append_value(out, v.table[i].second, form);
  }
  out += v.table.empty() ? "}" : " }";
}

void append_value(std::string& out, const TomlValue& v, TomlForm form) {
  switch (v.kind) {
    case TomlValue::Kind::String: append_text(out, v.text, form); return;
    case TomlValue::Kind::Integer: out += std::to_string(v.integer); return;
    case TomlValue::Kind::Boolean: out += v.boolean ? "true" : "false"; return;
    case TomlValue::Kind::Array: append_array(out, v, form); return;
    case TomlValue::Kind::Table: append_inline_table(out, v, form); return;
  }
}

void append_header(std::string& out, std::string_view open, const std::string& path, std::string_view close) {
  if (!out.empty()) out += '\n';
  out += open;
  out += path;
  out += close;
  out += '\n';
}

void append_body(std::string& out, const TomlTable& table, std::string_view path, TomlForm form) {
  for (const auto& [key, value] : table) {
    if (is_sub_table(value)) continue;
    out += key_text(key);
    out += " = ";
    append_value(out, value, form);
    out += '\n';
  }
  for (const auto& [key, value] : table) {
    if (!is_sub_table(value)) continue;
    const std::string sub_path = joined_path(path, key);
    if (value.kind == TomlValue::Kind::Table) {
      append_header(out, "[", sub_path, "]");
      append_body(out, value.table, sub_path, form);
      continue;
    }
    for (const auto& item : value.items) {
      append_header(out, "[[", sub_path, "]]");
      append_body(out, item.table, sub_path, form);
    }
  }
}

}  // namespace

std::string render_toml(const TomlTable& root, TomlForm form) { return render_toml_body(root, "", form); }

std::string render_toml_body(const TomlTable& table, std::string_view path, TomlForm form) {
  std::string out;
  append_body(out, table, path, form);
  return out;
}

}  // namespace borvane::tomlio
