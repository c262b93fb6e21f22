// The port-to-port router: fixed cases, and generated scenes checked for the
// route's invariants and against a plain transcription of the search (every
// pair of lattice points tested through the index, maps for the graph).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "scene/collision.hpp"
#include "scene/ports.hpp"
#include "scene/router.hpp"

using borvane::scene::Aabb;
using borvane::scene::allocate_side_ports;
using borvane::scene::facing_side;
using borvane::scene::Point;
using borvane::scene::Port;
using borvane::scene::PortSide;
using borvane::scene::route_port_to_port_stubbed;
using borvane::scene::segment_hits_aabb;
using borvane::scene::SpatialHash;

namespace {

using Route = std::vector<Point>;

Port port_at(double x, double y, PortSide side) {
  Port port;
  port.id = "p";
  port.node_id = "n";
  port.x = x;
  port.y = y;
  port.side = side;
  return port;
}

Point stub_end(const Port& port, double stub) {
  switch (port.side) {
    case PortSide::North:
      return {port.x, port.y - stub};
    case PortSide::East:
      return {port.x + stub, port.y};
    case PortSide::South:
      return {port.x, port.y + stub};
    case PortSide::West:
      return {port.x - stub, port.y};
  }
  return {port.x, port.y};
}

bool orthogonal(const Route& route) {
  for (std::size_t i = 1; i < route.size(); ++i) {
    if (route[i].first != route[i - 1].first && route[i].second != route[i - 1].second) return false;
  }
  return true;
}

// Whether some segment of the route comes closer than `margin` to a box
// (allowing the router's touch tolerance at segment ends).
bool crosses(const Route& route, std::span<const Aabb> boxes, double margin) {
  for (const Aabb& box : boxes) {
    for (std::size_t i = 1; i < route.size(); ++i) {
      const auto [x1, y1] = route[i - 1];
      const auto [x2, y2] = route[i];
      if (segment_hits_aabb(box.expanded(margin), x1, y1, x2, y2)) return true;
    }
  }
  return false;
}

// ---- reference search ----

namespace reference {

struct Key {
  long long kx, ky;
  auto operator<=>(const Key&) const = default;
};

Key key(Point p) { return {std::llround(2 * p.first), std::llround(2 * p.second)}; }
Point point(Key k) { return {static_cast<double>(k.kx) / 2, static_cast<double>(k.ky) / 2}; }

struct Entry {
  double cost;
  Key key;
};

// Min-heap on cost; pop walks the moved entry to the bottom through the
// cheaper child (right on ties), then back up.
struct Heap {
  std::vector<Entry> a;
  void up(std::size_t i) {
    while (i > 0 && a[i].cost < a[(i - 1) / 2].cost) std::swap(a[i], a[(i - 1) / 2]), i = (i - 1) / 2;
  }
  void push(Entry e) {
    a.push_back(e);
    up(a.size() - 1);
  }
  Entry pop() {
    Entry top = a[0];
    a[0] = a.back();
    a.pop_back();
    if (a.empty()) return top;
    std::size_t i = 0;
    while (2 * i + 1 < a.size()) {
      std::size_t c = 2 * i + 1;
      if (c + 1 < a.size() && a[c + 1].cost <= a[c].cost) ++c;
      std::swap(a[i], a[c]);
      i = c;
    }
    up(i);
    return top;
  }
};

struct Result {
  Route route;
  bool found = false;
};

Route straighten_and_thin(const Route& path) {
  if (path.size() < 2) return path;
  Route s{path[0]};
  for (std::size_t i = 1; i < path.size(); ++i) {
    Point p = path[i], q = s.back();
    if (std::abs(q.first - p.first) < 0.05) {
      s.push_back({q.first, p.second});
    } else if (std::abs(q.second - p.second) < 0.05) {
      s.push_back({p.first, q.second});
    } else {
      s.push_back({p.first, q.second});
      s.push_back(p);
    }
  }
  if (s.size() < 3) return s;
  Route t{s[0]};
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    Point a = s[i - 1], b = s[i], c = s[i + 1];
    bool straight = (std::abs(a.first - b.first) < 0.6 && std::abs(b.first - c.first) < 0.6) ||
                    (std::abs(a.second - b.second) < 0.6 && std::abs(b.second - c.second) < 0.6);
    if (!straight) t.push_back(b);
  }
  t.push_back(s.back());
  return t;
}

Result route(const Port& from, const Port& to, std::span<const Aabb> obstacles, double clearance, double stub) {
  std::vector<Aabb> boxes;
  for (const Aabb& o : obstacles) boxes.push_back(o.expanded(clearance));
  SpatialHash hash = SpatialHash::build(boxes, 64);
  const Point src{from.x, from.y}, s = stub_end(from, stub), e = stub_end(to, stub), dst{to.x, to.y};
  std::vector<Point> points{src, s, e, dst};
  for (const Aabb& b : boxes) {
    double mx = (b.min_x + b.max_x) / 2, my = (b.min_y + b.max_y) / 2;
    points.insert(points.end(), {{b.min_x, b.min_y},
                                 {b.max_x, b.min_y},
                                 {b.min_x, b.max_y},
                                 {b.max_x, b.max_y},
                                 {b.min_x, my},
                                 {b.max_x, my},
                                 {mx, b.min_y},
                                 {mx, b.max_y}});
  }
  std::vector<Key> keys;
  for (Point p : points) keys.push_back(key(p));
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

  std::map<Key, std::vector<std::pair<Key, double>>> adjacency;
  auto connect = [&](Key a, Key b) {
    if ((a.kx == b.kx) == (a.ky == b.ky)) return;
    Point p = point(a), q = point(b);
    Aabb around{std::min(p.first, q.first) - 1, std::min(p.second, q.second) - 1, std::max(p.first, q.first) + 1,
                std::max(p.second, q.second) + 1};
    for (std::size_t i : hash.query_aabb(around)) {
      if (segment_hits_aabb(boxes[i], p.first, p.second, q.first, q.second)) return;
    }
    double w = std::abs(p.first - q.first) + std::abs(p.second - q.second);
    adjacency[a].push_back({b, w});
    adjacency[b].push_back({a, w});
  };
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (std::size_t j = i + 1; j < keys.size(); ++j) connect(keys[i], keys[j]);
  }
  const Key S = key(s), E = key(e);
  connect(key(src), S);
  connect(E, key(dst));
  if (S.kx != E.kx && S.ky != E.ky) {
    const Key k1{E.kx, S.ky}, k2{S.kx, E.ky};
    connect(S, k1);
    connect(k1, E);
    connect(S, k2);
    connect(k2, E);
  } else {
    connect(S, E);
  }

  const Key start = key(src), target = key(dst);
  std::map<Key, double> distance{{start, 0}};
  std::map<Key, Key> predecessor;
  std::set<Key> visited;
  Heap heap;
  heap.push({0, start});
  while (!heap.a.empty()) {
    Entry entry = heap.pop();
    if (!visited.insert(entry.key).second) continue;
    if (entry.key == target) {
      Route path{point(target)};
      for (Key k = target; predecessor.count(k) != 0;) path.push_back(point(k = predecessor[k]));
      std::reverse(path.begin(), path.end());
      return {straighten_and_thin(path), true};
    }
    for (const auto& [next, w] : adjacency[entry.key]) {
      auto it = distance.find(next);
      if (it == distance.end() || entry.cost + w < it->second) {
        distance[next] = entry.cost + w;
        predecessor[next] = entry.key;
        heap.push({entry.cost + w, next});
      }
    }
  }
  double top = std::min(s.second, e.second);
  for (const Aabb& b : boxes) top = std::min(top, b.min_y);
  return {straighten_and_thin({src, s, {s.first, top - 20}, {e.first, top - 20}, e, dst}), false};
}

}  // namespace reference

// ---- generated scenes ----

struct Scene {
  Port from;
  Port to;
  std::vector<Aabb> obstacles;
  double clearance = 6;
  double stub = 28;
};

// The port on the side of `box` that faces the other box's centre.
Port facing_port(const Aabb& box, const Aabb& other, std::size_t count, std::size_t slot) {
  const double cx = (box.min_x + box.max_x) / 2, cy = (box.min_y + box.max_y) / 2;
  const PortSide side = facing_side(cx, cy, (other.min_x + other.max_x) / 2, (other.min_y + other.max_y) / 2);
  auto ports =
      allocate_side_ports("n", side, count, box.min_x, box.min_y, box.max_x - box.min_x, box.max_y - box.min_y);
  return ports[slot % ports.size()];
}

// Boxes on a grid with gaps (rows and columns share coordinates, so long
// rows of lattice points arise); two of them are the route's ends, some of
// the others obstacles. Sizes are multiples of 4, so ports lie on the lattice.
Scene grid_scene(std::mt19937& rng) {
  const int columns = 2 + static_cast<int>(rng() % 5), rows = 2 + static_cast<int>(rng() % 4);
  std::vector<Aabb> boxes;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      double w = 40 + 4.0 * (rng() % 20), h = 40 + 4.0 * (rng() % 10);
      boxes.push_back(Aabb::from_rect(c * 160.0, r * 120.0, w, h));
    }
  }
  std::shuffle(boxes.begin(), boxes.end(), rng);
  Scene scene;
  const std::size_t count = rng() % 2 == 0 ? 1 : 3;
  scene.from = facing_port(boxes[0], boxes[1], count, rng());
  scene.to = facing_port(boxes[1], boxes[0], count, rng());
  for (std::size_t i = 2; i < boxes.size(); ++i) {
    if (rng() % 5 != 0) scene.obstacles.push_back(boxes[i]);
  }
  scene.stub = std::array{4.0, 16.0, 28.0}[rng() % 3];
  return scene;
}

// Boxes anywhere on an even lattice, overlapping at times.
Scene scattered_scene(std::mt19937& rng) {
  std::vector<Aabb> boxes;
  const int n = 2 + static_cast<int>(rng() % 16);
  for (int i = 0; i < n; ++i) {
    double x = 2.0 * (rng() % 400), y = 2.0 * (rng() % 300);
    boxes.push_back(Aabb::from_rect(x, y, 40 + 4.0 * (rng() % 30), 40 + 4.0 * (rng() % 20)));
  }
  Scene scene;
  scene.from = facing_port(boxes[0], boxes[1], 1, 0);
  scene.to = facing_port(boxes[1], boxes[0], 1, 0);
  scene.obstacles.assign(boxes.begin() + 2, boxes.end());
  return scene;
}

// Arbitrary fractional coordinates, clearances and stubs: points round onto
// the lattice and boxes straddle it.
Scene fractional_scene(std::mt19937& rng) {
  std::uniform_real_distribution<double> coordinate(0, 700), size(10, 150), margin(0, 10), clearance(-12, 10);
  Scene scene = rng() % 2 == 0 ? grid_scene(rng) : scattered_scene(rng);
  for (Aabb& box : scene.obstacles) {
    box = Aabb::from_rect(rng() % 3 == 0 ? coordinate(rng) : box.min_x, coordinate(rng), size(rng), size(rng));
  }
  scene.from.x += margin(rng);
  scene.to.y -= margin(rng);
  scene.clearance = clearance(rng);  // below zero some boxes turn inside out
  scene.stub = margin(rng) * 4;
  return scene;
}

Route route(const Scene& s) { return route_port_to_port_stubbed(s.from, s.to, s.obstacles, s.clearance, s.stub); }

}  // namespace

// ---- fixed cases ----

TEST(Router, StraightBetweenFacingPortsAtTheSameHeight) {
  EXPECT_EQ(route_port_to_port_stubbed(port_at(0, 0, PortSide::East), port_at(200, 0, PortSide::West), {}, 6, 28),
            (Route{{0, 0}, {200, 0}}));
}

TEST(Router, EqualElbowsTakeTheOneThroughTheSourceStubColumn) {
  // The search runs (0, 0), (28, 0), (28, 100), (172, 100), (200, 100); the
  // target's stub end lies on the final straight run and is thinned away.
  EXPECT_EQ(route_port_to_port_stubbed(port_at(0, 0, PortSide::East), port_at(200, 100, PortSide::West), {}, 6, 28),
            (Route{{0, 0}, {28, 0}, {28, 100}, {200, 100}}));
}

TEST(Router, ObstacleOnOneElbowTakesTheOther) {
  // The box sits on the lower horizontal of the preferred elbow.
  const std::vector<Aabb> obstacles{{100, 60, 150, 140}};
  Route r =
      route_port_to_port_stubbed(port_at(0, 0, PortSide::East), port_at(200, 100, PortSide::West), obstacles, 6, 28);
  EXPECT_EQ(r, (Route{{0, 0}, {172, 0}, {172, 100}, {200, 100}}));
  EXPECT_FALSE(crosses(r, obstacles, 5));
}

TEST(Router, FarFromTheOriginOrFarApartRoutesTheSame) {
  // A box 2.5e9 away spreads the lattice keys beyond what packs into a word.
  for (double dx : {0.0, 1.5e9, -3e9}) {
    for (bool far_box : {false, true}) {
      std::vector<Aabb> obstacles{{dx + 100, 60, dx + 150, 140}};
      if (far_box) obstacles.push_back({dx + 2.5e9, 0, dx + 2.5e9 + 10, 10});
      Route r = route_port_to_port_stubbed(port_at(dx, 0, PortSide::East), port_at(dx + 200, 100, PortSide::West),
                                           obstacles, 6, 28);
      EXPECT_EQ(r, (Route{{dx, 0}, {dx + 172, 0}, {dx + 172, 100}, {dx + 200, 100}})) << dx << " " << far_box;
    }
  }
}

TEST(Router, ObstacleBetweenAlignedPortsIsPassedOverTheTop) {
  // Nothing lines up with the stub ends, so the graph cannot connect them.
  const std::vector<Aabb> obstacles{{100, 0, 200, 100}};
  Route r =
      route_port_to_port_stubbed(port_at(0, 50, PortSide::East), port_at(300, 50, PortSide::West), obstacles, 6, 28);
  EXPECT_EQ(r, (Route{{0, 50}, {28, 50}, {28, -26}, {272, -26}, {272, 50}, {300, 50}}));
  EXPECT_FALSE(crosses(r, obstacles, 5));
}

TEST(Router, EnclosedTargetFallsBackAboveEverything) {
  // Four boxes wall in the target port; the highest enlarged top is -106.
  const std::vector<Aabb> walls{
      {300, -100, 500, -60}, {300, 160, 500, 200}, {280, -100, 300, 200}, {500, -100, 520, 200}};
  Route r = route_port_to_port_stubbed(port_at(0, 50, PortSide::East), port_at(400, 50, PortSide::West), walls, 6, 28);
  EXPECT_EQ(r, (Route{{0, 50}, {28, 50}, {28, -126}, {372, -126}, {372, 50}, {400, 50}}));
}

TEST(Router, CoincidingPortsGiveTheSinglePoint) {
  EXPECT_EQ(route_port_to_port_stubbed(port_at(10, 20, PortSide::North), port_at(10.2, 20, PortSide::South), {}, 6, 28),
            (Route{{10, 20}}));
}

TEST(Router, ABendShorterThanThinningToleranceDisappears) {
  // Straightened: (0, 0), (0.5, 0), (0.5, 100); the half-unit step is thinned away.
  EXPECT_EQ(route_port_to_port_stubbed(port_at(0, 0, PortSide::East), port_at(0.5, 100, PortSide::North), {}, 6, 0.5),
            (Route{{0, 0}, {0.5, 100}}));
}

TEST(Router, ThreadsBetweenSeveralObstaclesWithStubsAndClearance) {
  // Two walls stand between the ports. Two boxes beside the stub columns
  // have their enlarged bottom corners at (40, -94) and (420, -94), on one
  // row above the walls: the search crosses on it, exactly the clearance
  // away from both boxes and 14 above the higher wall.
  const std::vector<Aabb> obstacles{
      {200, -80, 260, 40},     // wall
      {300, -60, 340, 40},     // lower wall
      {-60, -120, 34, -100},   // left of the source column, enlarged corner (40, -94)
      {426, -120, 520, -100},  // right of the target column, enlarged corner (420, -94)
      {180, -300, 280, -200},  // out of the way
  };
  const Port from = port_at(40, 0, PortSide::North);
  const Port to = port_at(420, 0, PortSide::North);
  for (double stub : {28.0, 16.0}) {
    Route r = route_port_to_port_stubbed(from, to, obstacles, 6, stub);
    EXPECT_EQ(r, (Route{{40, 0}, {40, -94}, {420, -94}, {420, 0}})) << "stub " << stub;
    EXPECT_TRUE(orthogonal(r));
    // Leaves and enters straight up out of the north sides, at least a stub long.
    EXPECT_LE(r[1].second, -stub);
    EXPECT_LE(r[r.size() - 2].second, -stub);
    EXPECT_FALSE(crosses(r, obstacles, 5.9)) << "stub " << stub;
  }
}

// ---- generated scenes ----

// Every route is orthogonal and runs from port to port; a route the search
// found keeps the clearance from every obstacle (only the fallback over the
// top may cross one).
TEST(RouterProperties, GeneratedScenes) {
  std::mt19937 rng(2024);
  int found = 0;
  const int total = 300;
  for (int i = 0; i < total; ++i) {
    const Scene scene = i % 2 == 0 ? grid_scene(rng) : scattered_scene(rng);
    const Route r = route(scene);
    ASSERT_FALSE(r.empty());
    EXPECT_TRUE(orthogonal(r)) << "scene " << i;
    EXPECT_EQ(r.front(), (Point{scene.from.x, scene.from.y})) << "scene " << i;
    EXPECT_EQ(r.back(), (Point{scene.to.x, scene.to.y})) << "scene " << i;
    const reference::Result expected =
        reference::route(scene.from, scene.to, scene.obstacles, scene.clearance, scene.stub);
    if (!expected.found) continue;
    ++found;
    EXPECT_FALSE(crosses(r, scene.obstacles, scene.clearance - 1)) << "scene " << i;
  }
  EXPECT_GT(found, total / 2);
}

// The router gives exactly the route of the plain search, ties included,
// also for coordinates off the lattice.
TEST(RouterProperties, MatchesThePlainSearch) {
  std::mt19937 rng(77);
  for (int i = 0; i < 400; ++i) {
    const Scene scene = i % 3 == 0 ? grid_scene(rng) : i % 3 == 1 ? scattered_scene(rng) : fractional_scene(rng);
    const reference::Result expected =
        reference::route(scene.from, scene.to, scene.obstacles, scene.clearance, scene.stub);
    ASSERT_EQ(route(scene), expected.route) << "scene " << i;
  }
}
