#pragma once
// A small TOML emitter that keeps keys in the order they were added (the
// record's declaration order). Plain keys of a table come first, then its
// sub-tables and arrays of tables, each under its full dotted header.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace borvane::tomlio {

struct TomlValue;
using TomlTable = std::vector<std::pair<std::string, TomlValue>>;

struct TomlValue {
  enum class Kind : std::uint8_t { String, Integer, Boolean, Array, Table };
  Kind kind = Kind::String;
  std::string text;
  std::int64_t integer = 0;
  bool boolean = false;
  std::vector<TomlValue> items;
  TomlTable table;

  static TomlValue string(std::string v);
  static TomlValue integer_value(std::int64_t v);
  static TomlValue boolean_value(bool v);
  static TomlValue array(std::vector<TomlValue> items);
  static TomlValue of_table(TomlTable table);

  // A non-empty array whose items are all tables: written as [[header]]s.
  bool is_array_of_tables() const;
};

enum class TomlForm : std::uint8_t {
  // Arrays of plain values one item per line; multi-line texts in prose form.
  Pretty,
  // Arrays inline; every text as an escaped basic string.
  Plain,
};

// The whole document for a root table.
std::string render_toml(const TomlTable& root, TomlForm form);

// The body of the table at `path` (a dotted key such as "policy") without
// its own header: its plain keys, then its sub-tables under headers that
// start with `path`.
std::string render_toml_body(const TomlTable& table, std::string_view path, TomlForm form);

}  // namespace borvane::tomlio
