#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "domain/json_reader.hpp"

namespace borvane::domain {
namespace {

std::string error_of(std::string_view text) {
  auto parsed = parse_json(text);
  if (parsed.ok()) return "<ok>";
  return parsed.error().display();
}

struct SyntaxCase {
  std::string input;
  std::string expected;
};

TEST(JsonReaderSyntax, ReportsMessageAndPosition) {
  const SyntaxCase cases[] = {
      {"", "EOF while parsing a value at line 1 column 0"},
      {"   ", "EOF while parsing a value at line 1 column 3"},
      {"[1,]", "trailing comma at line 1 column 4"},
      {"{\"a\":1,}", "trailing comma at line 1 column 8"},
      {"{} x", "trailing characters at line 1 column 4"},
      {"nullx", "trailing characters at line 1 column 5"},
      {"[1 2]", "expected `,` or `]` at line 1 column 4"},
      {"{\"a\":1 \"b\":2}", "expected `,` or `}` at line 1 column 8"},
      {"{\"a\" 1}", "expected `:` at line 1 column 6"},
      {"{1:2}", "key must be a string at line 1 column 2"},
      {"[", "EOF while parsing a list at line 1 column 1"},
      {"[1,", "EOF while parsing a value at line 1 column 3"},
      {"{", "EOF while parsing an object at line 1 column 1"},
      {"{\"a\"", "EOF while parsing an object at line 1 column 4"},
      {"\"abc", "EOF while parsing a string at line 1 column 4"},
      {"nul", "EOF while parsing a value at line 1 column 3"},
      {"[tru]", "expected ident at line 1 column 5"},
      {"x", "expected value at line 1 column 1"},
      {"[,1]", "expected value at line 1 column 2"},
      {"\"\\x\"", "invalid escape at line 1 column 3"},
      {"\"\\u12G4\"", "invalid escape at line 1 column 7"},
      {"\"\\u12", "EOF while parsing a string at line 1 column 5"},
      {"01", "invalid number at line 1 column 2"},
      {"-a", "invalid number at line 1 column 2"},
      {"-", "EOF while parsing a value at line 1 column 1"},
      {"1.e5", "invalid number at line 1 column 3"},
      {"1.", "EOF while parsing a value at line 1 column 2"},
      {"1e+", "EOF while parsing a value at line 1 column 3"},
      {"1e400", "number out of range at line 1 column 5"},
      {"[1e99999999999]", "number out of range at line 1 column 13"},
      {"\"\\udc00\"", "lone leading surrogate in hex escape at line 1 column 7"},
      {"\"\\ud800\\u0041\"", "lone leading surrogate in hex escape at line 1 column 13"},
      {"\"\\ud800\"", "unexpected end of hex escape at line 1 column 8"},
      {"\"a\nb\"",
       "control character (\\u0000-\\u001F) found while parsing a string at line 2 column 0"},
      {"\"a\tb\"",
       "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 3"},
      {"[1,\n2,\n]", "trailing comma at line 3 column 1"},
      {"\"\xff\"", "invalid unicode code point at line 1 column 3"},
      {"\"\xc0\xaf\"", "invalid unicode code point at line 1 column 4"},
  };
  for (const auto& c : cases) EXPECT_EQ(error_of(c.input), c.expected) << "input: " << c.input;
}

TEST(JsonReaderValues, KeepsTypesOrderAndPositions) {
  auto parsed = parse_json(" {\"b\": [1, -2, 2.5, \"x\", true, null],\n\"a\": {}}");
  ASSERT_TRUE(parsed.ok()) << parsed.error().display();
  const Node& root = *parsed;
  ASSERT_EQ(root.type, Node::Type::Object);
  ASSERT_EQ(root.members.size(), 2u);
  EXPECT_EQ(root.members[0].first.key, "b");
  EXPECT_EQ(root.members[1].first.key, "a");
  EXPECT_EQ(root.start, (SourcePos{1, 1}));
  EXPECT_EQ(root.end, (SourcePos{2, 8}));
  EXPECT_EQ(root.members[0].first.key_end, (SourcePos{1, 5}));

  const Node& list = root.members[0].second;
  ASSERT_EQ(list.items.size(), 6u);
  EXPECT_EQ(list.items[0].type, Node::Type::UInt);
  EXPECT_EQ(list.items[0].uint_value, 1u);
  EXPECT_EQ(list.items[1].type, Node::Type::Int);
  EXPECT_EQ(list.items[1].int_value, -2);
  EXPECT_EQ(list.items[2].type, Node::Type::Float);
  EXPECT_EQ(list.items[2].float_value, 2.5);
  EXPECT_EQ(list.items[3].text, "x");
  EXPECT_EQ(list.items[3].start, (SourcePos{1, 20}));
  EXPECT_EQ(list.items[3].end, (SourcePos{1, 23}));
  EXPECT_TRUE(list.items[4].boolean);
  EXPECT_EQ(list.items[5].type, Node::Type::Null);
}

TEST(JsonReaderValues, DuplicateKeysAreKept) {
  auto parsed = parse_json("{\"a\":1,\"a\":2}");
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->members.size(), 2u);
}

TEST(JsonReaderNumbers, IntegersThatFitStayIntegers) {
  auto number = [](std::string_view text) {
    auto parsed = parse_json(text);
    EXPECT_TRUE(parsed.ok()) << text;
    return parsed.ok() ? *parsed : Node{};
  };
  EXPECT_EQ(number("18446744073709551615").uint_value, std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(number("-9223372036854775808").int_value, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(number("18446744073709551616").type, Node::Type::Float);
  EXPECT_EQ(number("-9223372036854775809").type, Node::Type::Float);
  const Node minus_zero = number("-0");
  EXPECT_EQ(minus_zero.type, Node::Type::Float);
  EXPECT_TRUE(std::signbit(minus_zero.float_value));
  EXPECT_EQ(number("1.5E3").float_value, 1500.0);
  EXPECT_EQ(number("1e-400").float_value, 0.0);
  EXPECT_EQ(number("0e99999999999").float_value, 0.0);
  EXPECT_EQ(number("5e-324").float_value, std::numeric_limits<double>::denorm_min());
}

TEST(JsonReaderStrings, DecodesEscapesAndSurrogatePairs) {
  auto parsed = parse_json(R"("\"\\\/\b\f\n\r\t \u00e9\u20AC\ud83d\ude00 é")");
  ASSERT_TRUE(parsed.ok()) << parsed.error().display();
  EXPECT_EQ(parsed->text, "\"\\/\b\f\n\r\t \xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 \xC3\xA9");
  auto nul = parse_json(R"("a\u0000b")");
  ASSERT_TRUE(nul.ok());
  EXPECT_EQ(nul->text, std::string("a\0b", 3));
}

TEST(JsonReaderDepth, AllowsMaxDepthAndRejectsDeeper) {
  const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_TRUE(parse_json(nested(kJsonMaxDepth)).ok());
  EXPECT_EQ(error_of(nested(kJsonMaxDepth + 1)), "recursion limit exceeded at line 1 column 129");
  EXPECT_EQ(error_of(std::string(100000, '[')), "recursion limit exceeded at line 1 column 129");
  std::string objects;
  for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
  EXPECT_EQ(error_of(objects), "recursion limit exceeded at line 1 column 641");
}

TEST(JsonReaderSize, ReadsLargeInput) {
  std::string text = "[";
  for (int i = 0; i < 100000; ++i) text += (i ? ",\n" : "") + std::to_string(i);
  text += "]";
  const std::string big(4 << 20, 'x');
  text = "{\"items\":" + text + ",\"big\":\"" + big + "\"}";
  auto parsed = parse_json(text);
  ASSERT_TRUE(parsed.ok());
  EXPECT_EQ(parsed->members[0].second.items.size(), 100000u);
  EXPECT_EQ(parsed->members[0].second.items.back().end, (SourcePos{100000, 5}));
  EXPECT_EQ(parsed->members[1].second.text.size(), big.size());
}

}  // namespace
}  // namespace borvane::domain
