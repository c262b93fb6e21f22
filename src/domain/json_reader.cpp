// A recursive-descent JSON reader that builds a Node tree with source
// positions. Its error texts and positions follow the conventions callers
// already know from common JSON deserializers: the line is counted from 1 and
// the column is the number of bytes of that line consumed when the problem is
// detected; "peek" errors count the offending byte as consumed.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "domain/json_partial.hpp"
#include "domain/json_reader.hpp"

namespace borvane::domain {
namespace {

constexpr const char* kEofList = "EOF while parsing a list";
constexpr const char* kEofObject = "EOF while parsing an object";
constexpr const char* kEofString = "EOF while parsing a string";
constexpr const char* kEofValue = "EOF while parsing a value";
constexpr const char* kExpectedColon = "expected `:`";
constexpr const char* kExpectedListCommaOrEnd = "expected `,` or `]`";
constexpr const char* kExpectedObjectCommaOrEnd = "expected `,` or `}`";
constexpr const char* kExpectedIdent = "expected ident";
constexpr const char* kExpectedValue = "expected value";
constexpr const char* kInvalidEscape = "invalid escape";
constexpr const char* kInvalidNumber = "invalid number";
constexpr const char* kNumberOutOfRange = "number out of range";
constexpr const char* kInvalidCodePoint = "invalid unicode code point";
constexpr const char* kControlCharacter =
    "control character (\\u0000-\\u001F) found while parsing a string";
constexpr const char* kKeyMustBeString = "key must be a string";
constexpr const char* kLoneLeadingSurrogate = "lone leading surrogate in hex escape";
constexpr const char* kTrailingComma = "trailing comma";
constexpr const char* kTrailingCharacters = "trailing characters";
constexpr const char* kUnexpectedEndOfHexEscape = "unexpected end of hex escape";
constexpr const char* kRecursionLimit = "recursion limit exceeded";

constexpr int kEof = -1;

bool is_digit(int c) { return c >= '0' && c <= '9'; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void append_utf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = 0;
    std::uint32_t cp = 0;
    std::uint32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
      len = 2, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      len = 3, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      len = 4, cp = b & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (s.size() - i < len) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

// Whether a number text that does not fit a double is too large (rather than
// too small): the decimal position of its first significant digit plus its
// exponent is positive.
bool overflows(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  const std::size_t e = text.find_first_of("eE");
  const std::string_view mantissa = text.substr(0, e);
  std::int64_t exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = text.substr(e + 1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
    std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
    if (negative) exponent = -exponent;
  }
  const std::size_t dot = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, dot);
  const std::size_t lead = whole.find_first_not_of('0');
  if (lead != std::string_view::npos)
    return static_cast<std::int64_t>(whole.size() - lead) + exponent > 0;
  const std::string_view fraction = dot == std::string_view::npos ? "" : mantissa.substr(dot + 1);
  const std::size_t zeros = fraction.find_first_not_of('0');
  if (zeros == std::string_view::npos) return false;
  return -static_cast<std::int64_t>(zeros) + exponent > 0;
}

// Maps byte offsets to line and column. Offsets are asked for mostly in
// increasing order, so each scan resumes where the previous one stopped.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text) : text_(text) {}

  SourcePos at(std::size_t offset) {
    if (offset < scanned_) scanned_ = 0, line_ = 1, line_start_ = 0;
    while (scanned_ < offset) {
      const void* nl = std::memchr(text_.data() + scanned_, '\n', offset - scanned_);
      if (nl == nullptr) {
        scanned_ = offset;
        break;
      }
      const auto at = static_cast<std::size_t>(static_cast<const char*>(nl) - text_.data());
      ++line_;
      line_start_ = at + 1;
      scanned_ = at + 1;
    }
    return {line_, static_cast<std::uint32_t>(offset - line_start_)};
  }

 private:
  std::string_view text_;
  std::size_t scanned_ = 0;
  std::uint32_t line_ = 1;
  std::size_t line_start_ = 0;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text), lines_(text) {}

  PartialJson run() {
    PartialJson out;
    if (parse_value(out.root) && skip_ws() != kEof) fail_peek(kTrailingCharacters);
    out.error = std::move(error_);
    return out;
  }

 private:
  std::string_view s_;
  std::size_t i_ = 0;
  int depth_ = 0;
  LineIndex lines_;
  std::optional<ReadError> error_;

  int peek() const { return i_ < s_.size() ? static_cast<unsigned char>(s_[i_]) : kEof; }

  int skip_ws() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\t' || s_[i_] == '\r')) ++i_;
    return peek();
  }

  SourcePos here() { return lines_.at(i_); }

  // Reports the error where the reader stands: the bytes consumed so far.
  bool fail(const char* message) { return fail_at(message, i_); }
  // Reports the error counting the byte under inspection as consumed.
  bool fail_peek(const char* message) { return fail_at(message, std::min(s_.size(), i_ + 1)); }
  bool fail_at(const char* message, std::size_t offset) {
    error_ = ReadError{message, lines_.at(offset)};
    return false;
  }

  // A value that fails leaves `out` without a start position (containers get
  // theirs when opened), which marks it as unread in the partial tree.
  bool parse_value(Node& out) {
    const int c = skip_ws();
    if (c == kEof) return fail_peek(kEofValue);
    if (c == '[') return parse_array(out);
    if (c == '{') return parse_object(out);
    const std::size_t begin = i_;
    if (!parse_scalar(out, c)) return false;
    out.start = lines_.at(begin);
    out.end = here();
    return true;
  }

  bool parse_scalar(Node& out, int c) {
    switch (c) {
      case 'n': out.type = Node::Type::Null; return parse_ident("ull");
      case 't':
        out.type = Node::Type::Bool;
        out.boolean = true;
        return parse_ident("rue");
      case 'f':
        out.type = Node::Type::Bool;
        return parse_ident("alse");
      case '"':
        ++i_;
        out.type = Node::Type::String;
        return parse_string(out.text);
      case '-': ++i_; return parse_number(out, false);
      default:
        if (is_digit(c)) return parse_number(out, true);
        return fail_peek(kExpectedValue);
    }
  }

  bool parse_ident(std::string_view rest) {
    ++i_;  // the first letter, already matched
    for (const char expected : rest) {
      if (i_ == s_.size()) return fail(kEofValue);
      if (s_[i_++] != expected) return fail(kExpectedIdent);
    }
    return true;
  }

  bool enter() {
    if (++depth_ > kJsonMaxDepth) return fail_peek(kRecursionLimit);
    return true;
  }

  bool parse_array(Node& out) {
    if (!enter()) return false;
    out.type = Node::Type::Array;
    out.start = here();
    ++i_;
    for (bool first = true;; first = false) {
      int c = skip_ws();
      if (c == ']') break;
      if (c == kEof) return fail_peek(kEofList);
      if (!first) {
        if (c != ',') return fail_peek(kExpectedListCommaOrEnd);
        ++i_;
        c = skip_ws();
      }
      if (c == ']') return fail_peek(kTrailingComma);
      if (c == kEof) return fail_peek(kEofValue);
      out.items.emplace_back();
      if (!parse_value(out.items.back())) return false;
    }
    ++i_;
    --depth_;
    out.end = here();
    return true;
  }

  bool parse_object(Node& out) {
    if (!enter()) return false;
    out.type = Node::Type::Object;
    out.start = here();
    ++i_;
    for (bool first = true;; first = false) {
      int c = skip_ws();
      if (c == '}') break;
      if (c == kEof) return fail_peek(kEofObject);
      if (!first) {
        if (c != ',') return fail_peek(kExpectedObjectCommaOrEnd);
        ++i_;
        c = skip_ws();
      }
      if (c == '}') return fail_peek(kTrailingComma);
      if (c == kEof) return fail_peek(kEofValue);
      if (c != '"') return fail_peek(kKeyMustBeString);
      if (!parse_member(out)) return false;
    }
    ++i_;
    --depth_;
    out.end = here();
    return true;
  }

  // The key's position is taken after the white space that may follow it:
  // that is where a decoder notices an unknown or repeated key.
  bool parse_member(Node& object) {
    ++i_;
    std::string key;
    if (!parse_string(key)) return false;
    const int c = skip_ws();
    auto& member = object.members.emplace_back(NodeMember{std::move(key), here()}, Node{});
    if (c == kEof) return fail_peek(kEofObject);
    if (c != ':') return fail_peek(kExpectedColon);
    ++i_;
    return parse_value(member.second);
  }

  // Reads the rest of a string whose opening quote is consumed.
  bool parse_string(std::string& out) {
    std::size_t start = i_;
    for (;;) {
      while (i_ < s_.size() && s_[i_] != '"' && s_[i_] != '\\' &&
             static_cast<unsigned char>(s_[i_]) >= 0x20)
        ++i_;
      if (i_ == s_.size()) return fail(kEofString);
      const char c = s_[i_];
      out.append(s_.data() + start, i_ - start);
      ++i_;
      if (c == '"') return is_valid_utf8(out) || fail(kInvalidCodePoint);
      if (c != '\\') return fail(kControlCharacter);
      if (!parse_escape(out)) return false;
      start = i_;
    }
  }

  bool parse_escape(std::string& out) {
    if (i_ == s_.size()) return fail(kEofString);
    switch (s_[i_++]) {
      case '"': out += '"'; return true;
      case '\\': out += '\\'; return true;
      case '/': out += '/'; return true;
      case 'b': out += '\b'; return true;
      case 'f': out += '\f'; return true;
      case 'n': out += '\n'; return true;
      case 'r': out += '\r'; return true;
      case 't': out += '\t'; return true;
      case 'u': return parse_unicode_escape(out);
      default: return fail(kInvalidEscape);
    }
  }

  bool decode_hex(std::uint32_t& value) {
    if (s_.size() - i_ < 4) {
      i_ = s_.size();
      return fail(kEofString);
    }
    value = 0;
    bool ok = true;
    for (std::size_t k = 0; k < 4; ++k) {
      const int d = hex_digit(s_[i_ + k]);
      ok = ok && d >= 0;
      value = value * 16 + static_cast<std::uint32_t>(std::max(d, 0));
    }
    i_ += 4;
    return ok || fail(kInvalidEscape);
  }

  // Characters outside the BMP arrive as a UTF-16 surrogate pair of two
  // escapes; an unpaired surrogate cannot become UTF-8 and is an error.
  bool parse_unicode_escape(std::string& out) {
    std::uint32_t first = 0;
    if (!decode_hex(first)) return false;
    if (first >= 0xDC00 && first <= 0xDFFF) return fail(kLoneLeadingSurrogate);
    if (first < 0xD800 || first > 0xDBFF) {
      append_utf8(out, first);
      return true;
    }
    if (!expect_escape_byte('\\') || !expect_escape_byte('u')) return false;
    std::uint32_t second = 0;
    if (!decode_hex(second)) return false;
    if (second < 0xDC00 || second > 0xDFFF) return fail(kLoneLeadingSurrogate);
    append_utf8(out, 0x10000 + (((first - 0xD800) << 10) | (second - 0xDC00)));
    return true;
  }

  bool expect_escape_byte(char wanted) {
    if (i_ == s_.size()) return fail(kEofString);
    if (s_[i_++] != wanted) return fail(kUnexpectedEndOfHexEscape);
    return true;
  }

  // Reads a number whose sign (if any) is consumed. Integers that fit 64 bits
  // become Int/UInt; everything else (fraction, exponent, too many digits, and
  // "-0") becomes Float.
  bool parse_number(Node& out, bool positive) {
    const std::size_t begin = positive ? i_ : i_ - 1;
    if (!scan_integer_part()) return false;
    bool is_float = false;
    if (peek() == '.') {
      if (!scan_fraction()) return false;
      is_float = true;
    }
    bool zero = false;
    if (peek() == 'e' || peek() == 'E') {
      const std::string_view mantissa = s_.substr(begin, i_ - begin);
      if (!scan_exponent(mantissa.find_first_of("123456789") != std::string_view::npos, zero)) return false;
      is_float = true;
    }
    const std::string_view text = s_.substr(begin, i_ - begin);
    if (zero) {
      out.type = Node::Type::Float;
      out.float_value = positive ? 0.0 : -0.0;
      return true;
    }
    if (!is_float && read_integer(text, positive, out)) return true;
    return read_float(text, out);
  }

  bool scan_integer_part() {
    if (i_ == s_.size()) return fail(kEofValue);
    const char c = s_[i_++];
    if (c == '0') return !is_digit(peek()) || fail_peek(kInvalidNumber);
    if (c < '1' || c > '9') return fail(kInvalidNumber);
    while (is_digit(peek())) ++i_;
    return true;
  }

  bool scan_fraction() {
    ++i_;  // '.'
    const std::size_t first = i_;
    while (is_digit(peek())) ++i_;
    if (i_ == first) return fail_peek(i_ < s_.size() ? kInvalidNumber : kEofValue);
    return true;
  }

  // An exponent beyond 32 bits makes the value infinite (an error) or zero
  // (`zero` set) without converting it.
  bool scan_exponent(bool mantissa_nonzero, bool& zero) {
    ++i_;  // 'e' or 'E'
    bool positive_exp = true;
    if (peek() == '+' || peek() == '-') positive_exp = s_[i_++] == '+';
    if (i_ == s_.size()) return fail(kEofValue);
    const char c = s_[i_++];
    if (!is_digit(c)) return fail(kInvalidNumber);
    std::int64_t exponent = c - '0';
    while (is_digit(peek())) {
      exponent = exponent * 10 + (s_[i_++] - '0');
      if (exponent > std::numeric_limits<std::int32_t>::max()) {
        if (mantissa_nonzero && positive_exp) return fail(kNumberOutOfRange);
        while (is_digit(peek())) ++i_;
        zero = true;
        return true;
      }
    }
    return true;
  }

  static bool read_integer(std::string_view text, bool positive, Node& out) {
    const std::string_view digits = positive ? text : text.substr(1);
    std::uint64_t magnitude = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (ec != std::errc{} || ptr != digits.data() + digits.size()) return false;
    if (positive) {
      out.type = Node::Type::UInt;
      out.uint_value = magnitude;
      return true;
    }
    constexpr std::uint64_t kMinMagnitude = std::uint64_t{1} << 63;
    if (magnitude == 0 || magnitude > kMinMagnitude) return false;
    out.type = Node::Type::Int;
    out.int_value = magnitude == kMinMagnitude ? std::numeric_limits<std::int64_t>::min()
                                               : -static_cast<std::int64_t>(magnitude);
    return true;
  }

  bool read_float(std::string_view text, Node& out) {
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
      if (overflows(text)) return fail(kNumberOutOfRange);
      value = text.front() == '-' ? -0.0 : 0.0;
    } else if (ec != std::errc{}) {
      return fail(kInvalidNumber);
    }
    out.type = Node::Type::Float;
    out.float_value = value;
    return true;
  }
};

}  // namespace

PartialJson parse_json_partial(std::string_view text) { return Parser(text).run(); }

Result<Node, ReadError> parse_json(std::string_view text) {
  PartialJson parsed = parse_json_partial(text);
  if (parsed.error) return std::move(*parsed.error);
  return std::move(parsed.root);
}

}  // namespace borvane::domain
