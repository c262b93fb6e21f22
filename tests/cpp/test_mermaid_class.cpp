// The code layer's class diagram and its member-line cleaning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/mermaid_class.hpp"
#include "test_mermaid_support.hpp"

namespace {

using borvane::domain::CodeMember;
using borvane::domain::CodeMemberKind;
using borvane::domain::CodeParam;
using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::Relationship;
using borvane::render::class_members_from_element;
using borvane::render::code_class_diagram;
using borvane::render::sanitize_class_member;
using borvane::testing::el;
using borvane::testing::rel;

const std::string kPick = "classDiagram\n  direction TB\n  class Empty {\n    pick a component parent\n  }\n";
const std::string kNone = "classDiagram\n  direction TB\n  class Empty {\n    no code elements yet\n  }\n";

Element code(std::string id, std::string name, std::string parent = "orders",
             std::optional<std::string> description = std::nullopt) {
  return el(std::move(id), ElementKind::Code, std::move(name), std::move(parent), std::move(description));
}

TEST(MermaidClass, FixedTexts) {
  const std::vector<Element> elements = {code("a", "A"), el("orders", ElementKind::Component, "Orders")};
  EXPECT_EQ(code_class_diagram(elements, {}, std::nullopt), kPick);
  EXPECT_EQ(code_class_diagram(elements, {}, "ghost"), kNone);
  EXPECT_EQ(code_class_diagram(elements, {}, "Orders"), kNone);  // ids compare exactly
}

TEST(MermaidClass, AssociationsGoLeftToRight) {
  Element order = code("order-item", "order_item");
  order.members = {CodeMember{CodeMemberKind::Method, "+", "place_order", {CodeParam{"items", "List[Item]", false}},
                              "bool", std::nullopt},
                   CodeMember{CodeMemberKind::Field, "-", "__total", {}, std::nullopt, "int"}};
  const std::vector<Element> elements = {
      order,
      code("repo", "Repo <T>", "orders", "+find(id: Id) Order; -cache: Map<Id,Order>"),
      code("cart", "Cart"),
      code("elsewhere", "Elsewhere", "billing"),
      el("orders", ElementKind::Component, "Orders & <Co>")};
  const std::vector<Relationship> rels = {
      rel("1", "order-item", "repo", "stores via; #tag: a<b>"), rel("2", "cart", "order-item"),
      rel("3", "cart", "repo", ""), rel("4", "cart", "elsewhere", "extends"), rel("5", "orders", "cart", "extends")};
  EXPECT_EQ(code_class_diagram(elements, rels, "orders"),
            "classDiagram\n"
            "  direction LR\n"
            "  namespace orders[\"Orders & #lt;Co#gt;\"] {\n"
            "    class order_item {\n"
            "      +placeOrder(items: List[Item]) bool\n"
            "      -total: int\n"
            "    }\n"
            "    class repo[\"Repo #lt;T#gt;\"] {\n"
            "      +find(id: Id) Order\n"
            "      -cache: MapId,Order\n"
            "    }\n"
            "    class cart[\"Cart\"] {\n"
            "      +\u2026()\n"
            "    }\n"
            "  }\n"
            "  order_item --> repo : stores via#59; #35;tag#58; a#lt;b#gt;\n"
            "  cart --> order_item : uses\n"
            "  cart --> repo : \n");
}

TEST(MermaidClass, InheritanceAndRealisationGoTopDown) {
  const std::vector<Element> elements = {code("a", "a"), code("b", "b"), code("i", "i"), code("end", "end")};
  const std::vector<Relationship> rels = {rel("1", "a", "b", "Extends B"), rel("2", "a", "i", "IMPLEMENTS I"),
                                          rel("3", "end", "a", "implements and inherits")};
  // The namespace falls back to the parent id; a name that sanitizes to the
  // alias needs no label.
  EXPECT_EQ(code_class_diagram(elements, rels, "orders"),
            "classDiagram\n"
            "  direction TB\n"
            "  namespace orders[\"orders\"] {\n"
            "    class a {\n"
            "      +\u2026()\n"
            "    }\n"
            "    class a <<Interface>>\n"
            "    class b {\n"
            "      +\u2026()\n"
            "    }\n"
            "    class b <<Base>>\n"
            "    class i {\n"
            "      +\u2026()\n"
            "    }\n"
            "    class i <<Interface>>\n"
            "    class p_end {\n"
            "      +\u2026()\n"
            "    }\n"
            "  }\n"
            "  b <|-- a\n"
            "  i <|.. a : implements\n"
            "  a <|-- p_end\n");
}

TEST(MermaidClass, AliasesAreNotMadeUnique) {
  const std::vector<Element> elements = {code("a-b", "x"), code("a_b", "y")};
  const std::string out = code_class_diagram(elements, {}, "orders");
  EXPECT_NE(out.find("    class a_b[\"x\"] {\n      +\u2026()\n    }\n    class a_b[\"y\"] {\n"), std::string::npos)
      << out;
}

TEST(MermaidClass, SanitizeMember) {
  struct Case {
    std::string line;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"+get_user_name(user_id: str) str", "+getUserName(user_id: str) str"},
      {"-__private_field: int", "-privateField: int"},
      {"#max_items: List[int]", "#maxItems: List[int]"},
      {"+save(self) -> bool", "+save(self) - bool"},
      {"+()", ""},
      {"~", ""},
      {"+\tsave()", "+save()"},
      {"  +  a__b_c  (x)  ", "+ aBC (x)"},
      {"+ (..) ", ""},
      {"#\u00fcber_n\u00e4me = \"x\" * 2", "#berNme x 2"},
      {"__", ""},
      {"x_1st_y", "x1stY"},
      {"+a_b(c_d)", "+aB(c_d)"},
  };
  for (const Case& c : cases) EXPECT_EQ(sanitize_class_member(c.line), c.expected) << c.line;
}

TEST(MermaidClass, MembersFromElementDropEmptyLines) {
  Element e = code("c", "C", "orders", "ignored when members exist");
  e.members = {CodeMember{CodeMemberKind::Method, "+", "_", {}, std::nullopt, std::nullopt},
               CodeMember{CodeMemberKind::Field, "~", "max_size", {}, std::nullopt, "int"}};
  EXPECT_EQ(class_members_from_element(e), (std::vector<std::string>{"~maxSize: int"}));
  Element described = code("d", "D", "orders", "+run(); not a member;\n-_id_: Id");
  EXPECT_EQ(class_members_from_element(described), (std::vector<std::string>{"+run()", "-id: Id"}));
}

}  // namespace
