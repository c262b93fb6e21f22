// Ports: positions along box sides, the facing rule and choosing a free port.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "scene/ports.hpp"

using borvane::scene::allocate_side_ports;
using borvane::scene::along_side;
using borvane::scene::facing_side;
using borvane::scene::pick_port_avoiding;
using borvane::scene::Port;
using borvane::scene::PortSide;
using borvane::scene::side_letter;

namespace {

std::vector<double> along(const std::vector<Port>& ports) {
  std::vector<double> out;
  for (const Port& p : ports) out.push_back(along_side(p.side, p.x, p.y));
  return out;
}

}  // namespace

// ---- allocate_side_ports ----

struct AllocationCase {
  const char* name;
  PortSide side;
  std::size_t count;
  double x, y, w, h;
  std::vector<double> along;  // x on north and south sides, y on east and west sides
  double across;              // the coordinate of the side itself
};

TEST(AllocateSidePorts, Table) {
  const AllocationCase cases[] = {
      {"no ports asked still gives one in the middle", PortSide::North, 0, 0, 0, 136, 60, {68}, 0},
      {"one port in the middle", PortSide::South, 1, 10, 20, 100, 40, {60}, 60},
      {"three ports at quarters of the inset side", PortSide::North, 3, 0, 0, 136, 60, {43, 68, 93}, 0},
      {"two ports at thirds", PortSide::East, 2, 0, 100, 50, 66, {128, 138}, 50},
      {"west side uses the box's left edge", PortSide::West, 1, 30, 0, 80, 100, {50}, 30},
      {"a box narrower than the insets puts every port at x + 18", PortSide::North, 3, 5, 0, 30, 40, {23, 23, 23}, 0},
  };
  for (const auto& c : cases) {
    std::vector<Port> ports = allocate_side_ports("n1", c.side, c.count, c.x, c.y, c.w, c.h);
    EXPECT_EQ(along(ports), c.along) << c.name;
    for (const Port& p : ports) {
      bool north_south = c.side == PortSide::North || c.side == PortSide::South;
      EXPECT_EQ(north_south ? p.y : p.x, c.across) << c.name;
      EXPECT_EQ(p.side, c.side) << c.name;
    }
  }
}

TEST(AllocateSidePorts, IdsJoinNodeSideLetterAndSlot) {
  std::vector<Port> ports = allocate_side_ports("api", PortSide::South, 3, 0, 0, 136, 80);
  ASSERT_EQ(ports.size(), 3U);
  EXPECT_EQ(ports[2].id, "api:s:2");
  EXPECT_EQ(ports[2].slot, 2U);
  EXPECT_EQ(ports[2].node_id, "api");
  EXPECT_EQ(allocate_side_ports("a", PortSide::East, 1, 0, 0, 10, 10)[0].id, "a:e:0");
  EXPECT_EQ(allocate_side_ports("a", PortSide::West, 1, 0, 0, 10, 10)[0].id, "a:w:0");
  EXPECT_EQ(allocate_side_ports("a", PortSide::North, 1, 0, 0, 10, 10)[0].id, "a:n:0");
  EXPECT_EQ(side_letter(PortSide::South), 's');
}

// ---- facing rule ----

struct FacingCase {
  const char* name;
  double rx, ry;  // reference point; the box centre is at (0, 0)
  PortSide side;
  double target;
};

TEST(FacingSide, Table) {
  const FacingCase cases[] = {
      {"right", 100, 10, PortSide::East, 10},
      {"left", -100, -10, PortSide::West, -10},
      {"below (y grows downwards)", 10, 100, PortSide::South, 10},
      {"above", -10, -100, PortSide::North, -10},
      {"diagonal ties go east", 50, 50, PortSide::East, 50},
      {"diagonal ties go west on the left", -50, -50, PortSide::West, -50},
      {"the centre itself faces east", 0, 0, PortSide::East, 0},
      {"straight below", 0, 1, PortSide::South, 0},
  };
  for (const auto& c : cases) {
    PortSide side = facing_side(0, 0, c.rx, c.ry);
    EXPECT_EQ(side, c.side) << c.name;
    EXPECT_EQ(along_side(side, c.rx, c.ry), c.target) << c.name;
  }
  EXPECT_EQ(facing_side(100, 100, 90, 0), PortSide::North);
}

// ---- pick_port_avoiding ----

TEST(PickPortAvoiding, NoPortOnTheSide) {
  std::vector<Port> ports = allocate_side_ports("a", PortSide::North, 3, 0, 0, 136, 60);
  std::unordered_set<std::string> taken;
  EXPECT_EQ(pick_port_avoiding(ports, PortSide::South, taken, 50), nullptr);
  EXPECT_EQ(pick_port_avoiding({}, PortSide::North, taken, 50), nullptr);
}

TEST(PickPortAvoiding, NearestFreePortOnTheWantedSide) {
  std::vector<Port> ports = allocate_side_ports("a", PortSide::North, 3, 0, 0, 136, 60);  // x 43, 68, 93
  auto south = allocate_side_ports("a", PortSide::South, 3, 0, 0, 136, 60);
  ports.insert(ports.end(), south.begin(), south.end());
  std::unordered_set<std::string> taken;
  EXPECT_EQ(pick_port_avoiding(ports, PortSide::North, taken, 90)->id, "a:n:2");
  EXPECT_EQ(pick_port_avoiding(ports, PortSide::South, taken, 0)->id, "a:s:0");
  taken.insert("a:n:2");
  EXPECT_EQ(pick_port_avoiding(ports, PortSide::North, taken, 90)->id, "a:n:1");
}

TEST(PickPortAvoiding, AllTakenStillGivesTheNearest) {
  std::vector<Port> ports = allocate_side_ports("a", PortSide::East, 3, 0, 0, 60, 136);  // y 43, 68, 93
  std::set<std::string> taken{"a:e:0", "a:e:1", "a:e:2"};
  const Port* port = pick_port_avoiding(ports, PortSide::East, taken, 70);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->id, "a:e:1");
}

TEST(PickPortAvoiding, EquallyNearPortsGiveTheEarlierOne) {
  std::vector<Port> ports = allocate_side_ports("a", PortSide::North, 3, 0, 0, 136, 60);  // x 43, 68, 93
  std::unordered_set<std::string> taken;
  const double middle = 55.5;  // 12.5 from both 43 and 68
  EXPECT_EQ(pick_port_avoiding(ports, PortSide::North, taken, middle)->id, "a:n:0");
  std::reverse(ports.begin(), ports.end());
  EXPECT_EQ(pick_port_avoiding(ports, PortSide::North, taken, middle)->id, "a:n:1");
}
