// The all-layers flowchart: nesting, focus selection and its cycle guard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/mermaid_flowchart.hpp"
#include "test_mermaid_support.hpp"

namespace {

using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::Relationship;
using borvane::render::all_layers_mermaid;
using borvane::render::ModelView;
using borvane::render::select_for_focus;
using borvane::testing::el;
using borvane::testing::rel;
using borvane::testing::Text;

const std::string kHeader =
    "flowchart TB\n"
    "  classDef person fill:#08427B,color:#fff,stroke:#052E56\n"
    "  classDef system fill:#1168BD,color:#fff,stroke:#0B4884\n"
    "  classDef external fill:#999999,color:#fff,stroke:#6b7280\n"
    "  classDef container fill:#23A2D9,color:#fff,stroke:#0B4884\n"
    "  classDef component fill:#a5b4fc,color:#1e1b4b,stroke:#6366f1\n"
    "  classDef code fill:#ddd6fe,color:#1e1b4b,stroke:#6d28d9\n";

// Elements in store order (by id): user; shop with api (components orders
// with code Order, and billing) and db; a lonely system; a bank.
std::vector<Element> shop() {
  return {el("Order", ElementKind::Code, "Order<T>", "orders"),
          el("api", ElementKind::Container, "API", "shop", std::nullopt, " Go "),
          el("bank", ElementKind::External, "Bank \"EU\""),
          el("billing", ElementKind::Component, "Billing", "api"),
          el("db", ElementKind::Container, "DB", "shop"),
          el("lonely", ElementKind::SoftwareSystem, "Lonely"),
          el("orders", ElementKind::Component, "Orders", "api"),
          el("pay", ElementKind::External, "Pay", std::nullopt, std::nullopt, "REST"),
          el("shop", ElementKind::SoftwareSystem, "Shop"),
          el("user", ElementKind::Person, "User <admin>")};
}

std::string draw(const std::vector<Element>& elements, const std::vector<Relationship>& rels, Text focus) {
  return all_layers_mermaid(ModelView{elements, rels}, focus);
}

TEST(MermaidFlowchart, EmptyView) {
  EXPECT_EQ(draw({}, {}, std::nullopt), kHeader + "  empty[\"No elements\"]\n");
  EXPECT_EQ(draw(shop(), {}, "ghost"), kHeader + "  empty[\"No elements\"]\n");
}

TEST(MermaidFlowchart, WholeModel) {
  const std::vector<Relationship> rels = {rel("1", "user", "billing"), rel("2", "Order", "bank", "a<b> | c"),
                                          rel("3", "user", "ghost")};
  EXPECT_EQ(draw(shop(), rels, std::nullopt),
            kHeader +
                "  user[\"User #lt;admin#gt;\"]:::person\n"
                "  bank[\"Bank 'EU'\\n[external]\"]:::external\n"
                "  pay[\"Pay\\n[REST]\"]:::external\n"
                "  lonely[\"Lonely\"]:::system\n"
                "  subgraph shop[\"Shop\"]\n"
                "    direction LR\n"
                "    subgraph api[\"API\\\\n[Go]\"]\n"
                "      direction TB\n"
                "      billing[\"Billing\"]:::component\n"
                "      subgraph orders[\"Orders\"]\n"
                "        direction LR\n"
                "        Order[\"Order#lt;T#gt;\"]:::code\n"
                "      end\n"
                "      style orders fill:#eef2ff,stroke:#6366f1,stroke-width:1.5px,color:#1e1b4b\n"
                "    end\n"
                "    style api fill:#e0f2fe,stroke:#0284c7,stroke-width:2px,color:#0f172a\n"
                "    db[\"DB\"]:::container\n"
                "  end\n"
                "  style shop fill:#dbeafe,stroke:#1168BD,stroke-width:2px,color:#0f172a\n"
                "  user -->|\"uses\"| billing\n"
                "  Order -->|\"a(b) / c\"| bank\n");
}

TEST(MermaidFlowchart, FocusOnAContainerDrawsItAtDepthOne) {
  const std::vector<Relationship> rels = {rel("1", "user", "orders"), rel("2", "billing", "orders", "`md`")};
  EXPECT_EQ(draw(shop(), rels, "api"),
            kHeader +
                "  subgraph api[\"API\\\\n[Go]\"]\n"
                "    direction TB\n"
                "    billing[\"Billing\"]:::component\n"
                "    subgraph orders[\"Orders\"]\n"
                "      direction LR\n"
                "      Order[\"Order#lt;T#gt;\"]:::code\n"
                "    end\n"
                "    style orders fill:#eef2ff,stroke:#6366f1,stroke-width:1.5px,color:#1e1b4b\n"
                "  end\n"
                "  style api fill:#e0f2fe,stroke:#0284c7,stroke-width:2px,color:#0f172a\n"
                "  billing -->|\"#96;md#96;\"| orders\n");
}

TEST(MermaidFlowchart, FocusOnAComponentDrawsOnlyEdges) {
  const std::vector<Relationship> rels = {rel("1", "Order", "orders", "owned by"), rel("2", "user", "orders")};
  EXPECT_EQ(draw(shop(), rels, "orders"), kHeader + "  Order -->|\"owned by\"| orders\n");
}

TEST(MermaidFlowchart, ContainersOutsideSelectedSystems) {
  std::vector<Element> elements = {el("c", ElementKind::Container, "C", "gone"),
                                   el("d", ElementKind::Container, "D"),
                                   el("k", ElementKind::Component, "K", "d")};
  EXPECT_EQ(draw(elements, {}, std::nullopt),
            kHeader +
                "  c[\"C\"]:::container\n"
                "  subgraph d[\"D\"]\n"
                "    direction TB\n"
                "    k[\"K\"]:::component\n"
                "  end\n"
                "  style d fill:#e0f2fe,stroke:#0284c7,stroke-width:2px,color:#0f172a\n");
}

std::vector<std::string> selected_ids(const std::vector<Element>& elements, Text focus) {
  std::vector<std::string> ids;
  for (const Element* e : select_for_focus(ModelView{elements, {}}, focus).elements) ids.push_back(e->id);
  return ids;
}

TEST(MermaidFlowchart, FocusSelection) {
  using Ids = std::vector<std::string>;
  EXPECT_EQ(selected_ids(shop(), "shop"), (Ids{"Order", "api", "billing", "db", "orders", "shop"}));
  EXPECT_EQ(selected_ids(shop(), "orders"), (Ids{"Order", "orders"}));
  // A parent id equal to the focus counts even when no element has that id.
  const std::vector<Element> orphans = {el("a", ElementKind::Container, "A", "gone"),
                                        el("b", ElementKind::Component, "B", "a"),
                                        el("c", ElementKind::Component, "C", "elsewhere")};
  EXPECT_EQ(selected_ids(orphans, "gone"), (Ids{"a", "b"}));
}

TEST(MermaidFlowchart, FocusWalkEndsOnParentCycles) {
  // x and y are each other's parent, z hangs below the cycle, s is its own
  // parent; none of them is below the focus f. w is below f through the
  // cycle-free chain w → v → f.
  const std::vector<Element> elements = {el("f", ElementKind::SoftwareSystem, "F"),
                                         el("s", ElementKind::Container, "S", "s"),
                                         el("v", ElementKind::Container, "V", "f"),
                                         el("w", ElementKind::Component, "W", "v"),
                                         el("x", ElementKind::Container, "X", "y"),
                                         el("y", ElementKind::Component, "Y", "x"),
                                         el("z", ElementKind::Code, "Z", "y")};
  using Ids = std::vector<std::string>;
  EXPECT_EQ(selected_ids(elements, "f"), (Ids{"f", "v", "w"}));
  EXPECT_EQ(selected_ids(elements, "x"), (Ids{"x", "y", "z"}));
  EXPECT_EQ(selected_ids(elements, "s"), (Ids{"s"}));
  EXPECT_EQ(selected_ids(elements, "nothing"), Ids{});
  const std::string out = draw(elements, {rel("1", "x", "y")}, "x");
  EXPECT_NE(out.find("  subgraph x[\"X\"]\n"), std::string::npos) << out;
}

}  // namespace
