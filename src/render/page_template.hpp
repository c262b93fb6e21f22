#pragma once
// The page skeletons, style sheets and scripts live as files under
// render/assets/; this fills their "{{name}}" slots.
#include <initializer_list>
#include <string>
#include <string_view>

namespace borvane::render {

// The embedded asset render/assets/<file>, or an empty view when there is none.
std::string_view page_asset(std::string_view file);

struct Slot {
  std::string_view name;
  std::string_view value;
};

// Appends `tpl` to `out`, writing the value of the slot named `name` in place
// of every "{{name}}". Values are inserted as given and never scanned again,
// so model text that happens to contain "{{" cannot reach another slot. A
// marker without a slot is kept as it stands.
void fill_template(std::string& out, std::string_view tpl, std::initializer_list<Slot> slots);

}  // namespace borvane::render
