#include "domain/text.hpp"

#include <cstdint>

namespace borvane::domain {

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

namespace {

// Decodes the UTF-8 character starting at `i`; sets `len` to its byte length.
// Invalid bytes decode as U+FFFD of length 1 (never white space).
char32_t decode_at(std::string_view s, std::size_t i, std::size_t& len) {
  auto b = static_cast<unsigned char>(s[i]);
  std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) {
    len = 1;
    return 0xFFFD;
  }
  char32_t c = n == 1 ? b : b & (0x7F >> n);
  for (std::size_t k = 1; k < n; ++k) {
    auto cb = static_cast<unsigned char>(s[i + k]);
    if ((cb & 0xC0) != 0x80) {
      len = 1;
      return 0xFFFD;
    }
    c = (c << 6) | (cb & 0x3F);
  }
  len = n;
  return c;
}

// Byte index where the character ending just before `end` starts.
std::size_t start_of_last(std::string_view s, std::size_t end) {
  std::size_t i = end - 1;
  while (i > 0 && end - i < 4 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  return i;
}

}  // namespace

char32_t next_char(std::string_view text, std::size_t& i) {
  std::size_t len = 0;
  char32_t c = decode_at(text, i, len);
  i += len;
  return c;
}

std::string_view trim(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t len = 0;
    if (!is_white_space(decode_at(text, begin, len))) break;
    begin += len;
  }
  std::size_t end = text.size();
  while (end > begin) {
    std::size_t start = start_of_last(text, end);
    std::size_t len = 0;
    char32_t c = decode_at(text, start, len);
    if (start + len != end || !is_white_space(c)) break;
    end = start;
  }
  return text.substr(begin, end - begin);
}

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

namespace {
bool is_ascii_alnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
}  // namespace

bool is_record_id(std::string_view id) {
  if (id.empty() || !is_ascii_alnum(id[0])) return false;
  for (char c : id)
    if (!is_ascii_alnum(c) && c != '_' && c != '.' && c != '-') return false;
  return true;
}

}  // namespace borvane::domain
