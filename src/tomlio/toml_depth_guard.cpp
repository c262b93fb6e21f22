#include "tomlio/toml_depth_guard.hpp"

#include <cstdint>
#include <string>

namespace borvane::tomlio {
namespace {

enum class Context : std::uint8_t { Code, Basic, Literal, MultiBasic, MultiLiteral, Comment };

// Lexes just enough TOML to know whether a byte is inside a string or a
// comment. Malformed text is left for the real parser to report.
class DotCounter {
 public:
  explicit DotCounter(std::string_view text) : text_(text) {}

  std::optional<domain::ReadError> run() {
    for (i_ = 0; i_ < text_.size(); ++i_) {
      const char c = text_[i_];
      if (c == '\n') {
        new_line();
        continue;
      }
      ++column_;
      if (step(c)) return domain::ReadError{too_deep(), domain::SourcePos{line_, column_}};
    }
    return std::nullopt;
  }

 private:
  static std::string too_deep() {
    return "too many dotted key parts on one line (more than " + std::to_string(kMaxDotsPerLine) + ")";
  }

  bool starts_triple(char quote) const {
    return i_ + 2 < text_.size() && text_[i_ + 1] == quote && text_[i_ + 2] == quote;
  }

  void new_line() {
    ++line_;
    column_ = 0;
    dots_ = 0;
    // Single-line strings and comments end at the line's end.
    if (context_ == Context::Comment || context_ == Context::Basic || context_ == Context::Literal)
      context_ = Context::Code;
  }

  // Skips the rest of a run of quotes that closes a multi-line string (the
  // body may end with up to two quotes of its own).
  void close_multi(char quote) {
    while (i_ + 1 < text_.size() && text_[i_ + 1] == quote) ++i_;
    context_ = Context::Code;
  }

  // Handles one byte; true when the line has too many dots.
  bool step(char c) {
    switch (context_) {
      case Context::Code: return step_code(c);
      case Context::Basic:
        if (c == '\\' && i_ + 1 < text_.size() && text_[i_ + 1] != '\n') ++i_;
        else if (c == '"') context_ = Context::Code;
        return false;
      case Context::Literal:
        if (c == '\'') context_ = Context::Code;
        return false;
      case Context::MultiBasic:
        if (c == '\\' && i_ + 1 < text_.size() && text_[i_ + 1] != '\n') ++i_;
        else if (c == '"' && starts_triple('"')) close_multi('"');
        return false;
      case Context::MultiLiteral:
        if (c == '\'' && starts_triple('\'')) close_multi('\'');
        return false;
      case Context::Comment: return false;
    }
    return false;
  }

  bool step_code(char c) {
    if (c == '"' || c == '\'') {
      const bool triple = starts_triple(c);
      if (triple) i_ += 2;
      context_ = c == '"' ? (triple ? Context::MultiBasic : Context::Basic)
                          : (triple ? Context::MultiLiteral : Context::Literal);
    } else if (c == '#') {
      context_ = Context::Comment;
    } else if (c == '.') {
      return ++dots_ > kMaxDotsPerLine;
    }
    return false;
  }

  std::string_view text_;
  std::size_t i_ = 0;
  std::uint32_t line_ = 1;
  std::uint32_t column_ = 0;
  std::size_t dots_ = 0;
  Context context_ = Context::Code;
};

}  // namespace

std::optional<domain::ReadError> check_key_depth(std::string_view text) { return DotCounter(text).run(); }

}  // namespace borvane::tomlio
