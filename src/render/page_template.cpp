#include "render/page_template.hpp"

#include <string>

#include "render/assets.hpp"

namespace borvane::render {

std::string_view page_asset(std::string_view file) {
  std::string name = "render/assets/";
  name += file;
  return assets::find(name);
}

namespace {

const Slot* find_slot(std::initializer_list<Slot> slots, std::string_view name) {
  for (const Slot& slot : slots)
    if (slot.name == name) return &slot;
  return nullptr;
}

}  // namespace

void fill_template(std::string& out, std::string_view tpl, std::initializer_list<Slot> slots) {
  std::size_t extra = 0;
  for (const Slot& slot : slots) extra += slot.value.size();
  out.reserve(out.size() + tpl.size() + extra);
  std::size_t pos = 0;
  while (pos < tpl.size()) {
    std::size_t open = tpl.find("{{", pos);
    std::size_t close = open == std::string_view::npos ? open : tpl.find("}}", open + 2);
    if (close == std::string_view::npos) break;
    out.append(tpl.substr(pos, open - pos));
    const Slot* slot = find_slot(slots, tpl.substr(open + 2, close - open - 2));
    if (slot != nullptr)
      out.append(slot->value);
    else
      out.append(tpl.substr(open, close + 2 - open));
    pos = close + 2;
  }
  out.append(tpl.substr(pos));
}

}  // namespace borvane::render
