// The JSON text of scenes: key order, null and omission rules, numbers.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include <nlohmann/json.hpp>

#include "scene/scene_json.hpp"

namespace borvane::scene {
namespace {

TEST(SceneJson, EmptyScene) {
  SceneGraph g;
  g.mode = "layer";
  g.width = 400;
  g.height = 300;
  EXPECT_EQ(scene_to_json(g),
            R"({"mode":"layer","focus":null,"width":400.0,"height":300.0,"nodes":[],"edges":[],"ports":[]})");
}

TEST(SceneJson, EveryRecordInFieldOrder) {
  SceneGraph g;
  g.mode = "all";
  g.focus = "api";
  g.width = 760.5;
  g.height = 416;

  SceneNode frame;
  frame.id = "api";
  frame.kind = "container";
  frame.layer = "container";
  frame.name = "API";
  frame.parent_id = "shop";
  frame.group = true;
  frame.x = 0;
  frame.y = 0;
  frame.w = 480;
  frame.h = 360;
  frame.url = "https://example.org/api";
  g.nodes.push_back(frame);

  SceneNode cls;
  cls.id = "repo";
  cls.kind = "code";
  cls.layer = "code";
  cls.name = "Repo";
  cls.depth = 1;
  cls.x = 48;
  cls.y = 88.25;
  cls.w = 180;
  cls.h = 88;
  cls.members = {"+save(order: Order)", "-id: int"};
  cls.stereotype = "Interface";
  g.nodes.push_back(cls);

  SceneEdge edge;
  edge.id = "r1";
  edge.from = "repo";
  edge.to = "api";
  edge.label = "uses";
  edge.points = {{228, 132}, {0.1, 1e21}};
  edge.from_port = "repo:e:0";
  edge.to_port = "api:w:0";
  edge.label_x = 100;
  edge.label_y = -14.5;
  edge.edge_kind = "assoc";
  g.edges.push_back(edge);

  g.ports.push_back({"repo:e:0", "repo", 228, 132});

  const std::string expected =
      R"j({"mode":"all","focus":"api","width":760.5,"height":416.0,"nodes":[)j"
      R"j({"id":"api","kind":"container","layer":"container","name":"API","parent_id":"shop","group":true,)j"
      R"j("depth":0,"x":0.0,"y":0.0,"w":480.0,"h":360.0,"members":[],"stereotype":null,)j"
      R"j("url":"https://example.org/api"},)j"
      R"j({"id":"repo","kind":"code","layer":"code","name":"Repo","parent_id":null,"group":false,)j"
      R"j("depth":1,"x":48.0,"y":88.25,"w":180.0,"h":88.0,"members":["+save(order: Order)","-id: int"],)j"
      R"j("stereotype":"Interface"}],)j"
      R"j("edges":[{"id":"r1","from":"repo","to":"api","label":"uses","points":[[228.0,132.0],[0.1,1e21]],)j"
      R"j("from_port":"repo:e:0","to_port":"api:w:0","label_x":100.0,"label_y":-14.5,"edge_kind":"assoc"}],)j"
      R"j("ports":[{"id":"repo:e:0","node_id":"repo","x":228.0,"y":132.0}]})j";
  EXPECT_EQ(scene_to_json(g), expected);
}

TEST(SceneJson, NonFiniteNumbersAreNull) {
  SceneGraph g;
  g.mode = "layer";
  g.width = std::numeric_limits<double>::infinity();
  g.height = std::numeric_limits<double>::quiet_NaN();
  std::string text = scene_to_json(g);
  EXPECT_NE(text.find(R"("width":null,"height":null)"), std::string::npos) << text;
}

TEST(SceneJson, StringsAreEscapedButNotAsciiFolded) {
  SceneGraph g;
  g.mode = "layer";
  SceneNode n;
  n.id = "q\"b\\";
  n.name = "Gr\u00FC\u00DFe\n\u65E5\u672C";
  g.nodes.push_back(n);
  std::string text = scene_to_json(g);
  EXPECT_NE(text.find(R"("id":"q\"b\\")"), std::string::npos) << text;
  EXPECT_NE(text.find("\"name\":\"Gr\u00FC\u00DFe\\n\u65E5\u672C\""), std::string::npos) << text;
  // The text is valid JSON that reads back to the same values.
  auto parsed = nlohmann::json::parse(text);
  EXPECT_EQ(parsed["nodes"][0]["name"], n.name);
  EXPECT_FALSE(parsed["nodes"][0].contains("url"));
}

}  // namespace
}  // namespace borvane::scene
