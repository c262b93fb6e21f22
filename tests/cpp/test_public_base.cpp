// Base-address validation and the page escapers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/public_base.hpp"

using borvane::render::html_escape;
using borvane::render::normalize_public_base;
using borvane::render::urlencoding;

TEST(PublicBase, NormaliseTable) {
  struct Case {
    std::string input;
    std::string expected;  // the normalised base, or the error text
  };
  const std::vector<Case> cases = {
      {"  HTTPS://Docs.Example.COM/c4//  ", "HTTPS://Docs.Example.COM/c4"},
      {"https://x.example", "https://x.example"},
      {"", "base_url is empty"},
      {" / ", "base_url is empty"},
      {"https://", "base_url must start with https://"},
      {"http://x.example", "base_url must start with https://"},
      {"https://u@x.example", "base_url contains forbidden characters"},
      {"https://x.example/<a>javascript:", "base_url contains forbidden characters"},
      {"https://x.example/a\\b", "base_url contains forbidden characters"},
      {"https://x.example/a\nb", "base_url contains forbidden characters"},
      // Anything that could close an attribute or start a new one is refused.
      {"https://x.example/\"onfocus=\"alert(1)", "base_url contains forbidden characters"},
      {"https://x.example/'x", "base_url contains forbidden characters"},
      {"https://x.example/>x", "base_url contains forbidden characters"},
      {"https://x.example/`x", "base_url contains forbidden characters"},
      {"https://x.example/a b", "base_url contains forbidden characters"},
      {"https://x.example/a\tb", "base_url contains forbidden characters"},
      {"https://x.example/a\u00a0b", "base_url contains forbidden characters"},
      {"https://x.example/a\x7f", "base_url contains forbidden characters"},
      {"https://x.example/a\u0085b", "base_url contains forbidden characters"},
      {"https://x.example/JavaScript:1", "base_url scheme not allowed"},
      {"https://x.example/?u=DATA:x", "base_url scheme not allowed"},
  };
  for (const auto& c : cases) {
    auto r = normalize_public_base(c.input);
    EXPECT_EQ(r ? r.value() : r.error().text, c.expected) << c.input;
  }
}

TEST(PublicBase, Escapers) {
  EXPECT_EQ(html_escape("a&lt;b <i> \"q\" 'x'"), "a&amp;lt;b &lt;i&gt; &quot;q&quot; 'x'");
  EXPECT_EQ(urlencoding("a b/\u00fc-._~AZaz09?"), "a%20b%2F%C3%BC-._~AZaz09%3F");
}
