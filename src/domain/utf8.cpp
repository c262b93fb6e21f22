#include "domain/utf8.hpp"

#include <cstddef>

namespace borvane::domain {
namespace {

struct Sequence {
  std::size_t length;  // bytes consumed: the whole sequence, or its longest valid beginning (at least 1)
  bool valid;
};

// The UTF-8 sequence that starts at `i`. Overlong forms, surrogates and
// values above U+10FFFF are invalid. An invalid sequence consumes its longest
// valid beginning, so that it is replaced by one U+FFFD.
Sequence sequence_at(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) return {1, true};
  std::size_t len = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return {1, false};
  }
  for (std::size_t k = 1; k < len; ++k) {
    if (i + k >= s.size()) return {k, false};
    const unsigned char lower = k == 1 ? lo : 0x80, upper = k == 1 ? hi : 0xBF;
    if (byte(i + k) < lower || byte(i + k) > upper) return {k, false};
  }
  return {len, true};
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const Sequence seq = sequence_at(bytes, i);
    if (!seq.valid) return false;
    i += seq.length;
  }
  return true;
}

std::string utf8_lossy(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const Sequence seq = sequence_at(bytes, i);
    if (seq.valid)
      out.append(bytes.substr(i, seq.length));
    else
      out += "\xEF\xBF\xBD";
    i += seq.length;
  }
  return out;
}

}  // namespace borvane::domain
