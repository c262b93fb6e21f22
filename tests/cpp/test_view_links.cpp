// The link map of the model's views.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "domain/record_codec.hpp"
#include "render/view_links.hpp"
#include "test_mermaid_support.hpp"

using borvane::domain::Decision;
using borvane::domain::DecisionStatus;
using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::render::view_links;
using borvane::testing::el;

namespace {

Decision decision(std::string id, DecisionStatus status) {
  Decision d;
  d.id = std::move(id);
  d.workspace_id = "sidecar";
  d.title = "T " + d.id;
  d.status = status;
  return d;
}

}  // namespace

TEST(ViewLinks, EveryKey) {
  const std::vector<Element> elements = {
      el("c 1", ElementKind::Container, "C1", "s/1"), el("k1", ElementKind::Component, "K1", "c 1"),
      el("k2", ElementKind::Component, "K2"),         el("p", ElementKind::Person, "P"),
      el("s/1", ElementKind::SoftwareSystem, "S1", "ignored"),
      el("x", ElementKind::External, "X"),
  };
  const std::vector<Decision> decisions = {decision("b", DecisionStatus::Superseded),
                                           decision("a.1", DecisionStatus::Draft)};
  auto links = view_links(" https://X.example/base// ", elements, decisions);
  ASSERT_TRUE(links);
  EXPECT_EQ(borvane::domain::dump_compact(*links),
            "{\"adrs\":["
            "{\"id\":\"b\",\"status\":\"superseded\",\"title\":\"T b\",\"view_url\":\"https://X.example/base/adrs/b\"},"
            "{\"id\":\"a.1\",\"status\":\"draft\",\"title\":\"T a.1\",\"view_url\":\"https://X.example/base/adrs/a.1\"}],"
            "\"adrs_url\":\"https://X.example/base/adrs\","
            "\"base_url\":\"https://X.example/base\","
            "\"components\":["
            "{\"code_url\":\"https://X.example/base/?layer=code&parent=k1\",\"id\":\"k1\",\"name\":\"K1\","
            "\"parent_id\":\"c 1\"},"
            "{\"code_url\":\"https://X.example/base/?layer=code&parent=k2\",\"id\":\"k2\",\"name\":\"K2\","
            "\"parent_id\":null}],"
            "\"containers\":["
            "{\"component_url\":\"https://X.example/base/?layer=component&parent=c%201\",\"id\":\"c 1\",\"name\":\"C1\","
            "\"parent_id\":\"s/1\"}],"
            "\"context_url\":\"https://X.example/base/?layer=context\","
            "\"flows_url\":\"https://X.example/base/flows\","
            "\"systems\":["
            "{\"container_url\":\"https://X.example/base/?layer=container&parent=s%2F1\",\"id\":\"s/1\",\"name\":\"S1\"}],"
            "\"view_url\":\"https://X.example/base/\"}");
}

TEST(ViewLinks, EmptyModel) {
  auto links = view_links("https://x.example", {}, {});
  ASSERT_TRUE(links);
  EXPECT_EQ((*links)["adrs"], nlohmann::json::array());
  EXPECT_EQ((*links)["systems"], nlohmann::json::array());
  EXPECT_EQ((*links)["view_url"], "https://x.example/");
}

TEST(ViewLinks, BaseErrorsInCheckingOrder) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"  ", "base_url is empty"},
      {"https://", "base_url must start with https://"},
      {"http://x.example", "base_url must start with https://"},
      {"https://x.example/<javascript:", "base_url contains forbidden characters"},
      {"https://x.example/JavaScript:x", "base_url scheme not allowed"},
      {"https://x.example/?d=Data:", "base_url scheme not allowed"},
  };
  for (const auto& [base, error] : cases) {
    auto links = view_links(base, {}, {});
    ASSERT_FALSE(links) << base;
    EXPECT_EQ(links.error().text, error) << base;
  }
}
