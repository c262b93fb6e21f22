#pragma once
// Ports: the attachment points of edge ends on box sides, where the ports of
// a side lie, which side of a box faces a point, and how a free port near a
// wanted coordinate is chosen.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace borvane::scene {

// The side of a box a port sits on. y grows downwards, so North is the top
// side (the smaller y).
enum class PortSide : std::uint8_t { North = 0, East = 1, South = 2, West = 3 };

// The letter of a side in port ids: n, e, s or w.
char side_letter(PortSide side);

// One attachment point on a box side. Copied by value wherever kept.
struct Port {
  std::string id;       // "<node id>:<side letter>:<slot>", e.g. "api:s:2"
  std::string node_id;  // the box the port belongs to
  double x = 0;         // the point on the box border
  double y = 0;
  std::uint32_t slot = 0;  // position among the ports of its side, in allocation order
  PortSide side = PortSide::North;
};

// The ports of one side of the box (x, y, w, h): max(count, 1) of them,
// spread evenly along the side with an inset of 18 at both ends (a single
// port sits in the middle).
std::vector<Port> allocate_side_ports(std::string_view node_id, PortSide side, std::size_t count, double x, double y,
                                      double w, double h);

// The side of a box with centre (cx, cy) that faces the point (rx, ry):
// east or west when the point lies at least as far off horizontally as
// vertically, otherwise south or north.
PortSide facing_side(double cx, double cy, double rx, double ry);

// The coordinate of (x, y) along a side: x for north and south, y for east
// and west. It is both where a port sits along its side and the target a
// port search aims at.
double along_side(PortSide side, double x, double y);

// Of the ports on `side`, the one nearest to `target` (along the side) whose
// id is not in `taken`; when every port of the side is taken, the nearest of
// all of them (ports are shared rather than failing). Ties go to the earlier
// port. Null when the side has no ports. Does not mark the port as taken.
// `Taken` is any set of port ids with `contains`.
template <class Taken>
const Port* pick_port_avoiding(std::span<const Port> ports, PortSide side, const Taken& taken, double target);

// ---- template implementation ----

namespace detail {

// The port on `side` nearest to `target` among those `eligible` accepts.
template <class Eligible>
const Port* nearest_port(std::span<const Port> ports, PortSide side, double target, Eligible&& eligible) {
  const Port* best = nullptr;
  double best_distance = 0;
  for (const Port& port : ports) {
    if (port.side != side || !eligible(port)) continue;
    double distance = along_side(side, port.x, port.y) - target;
    distance = distance < 0 ? -distance : distance;
    if (best == nullptr || distance < best_distance) {
      best = &port;
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace detail

template <class Taken>
const Port* pick_port_avoiding(std::span<const Port> ports, PortSide side, const Taken& taken, double target) {
  const Port* free = detail::nearest_port(ports, side, target, [&](const Port& p) { return !taken.contains(p.id); });
  if (free != nullptr) return free;
  return detail::nearest_port(ports, side, target, [](const Port&) { return true; });
}

}  // namespace borvane::scene
