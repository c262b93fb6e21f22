#pragma once
// Records as TOML tables, keys in declaration order. Absent optional values,
// lists marked "omitted when empty" and false `optional` flags are left out.
#include "domain/decision.hpp"
#include "domain/element.hpp"
#include "domain/flow.hpp"
#include "tomlio/model_file.hpp"
#include "tomlio/toml_writer.hpp"

namespace borvane::tomlio {

TomlTable to_toml_table(const domain::Element& element);
TomlTable to_toml_table(const domain::Relationship& relationship);
TomlTable to_toml_table(const ModelFile& model);
TomlTable to_toml_table(const domain::AdrPolicy& policy);
TomlTable to_toml_table(const domain::Flow& flow);

}  // namespace borvane::tomlio
