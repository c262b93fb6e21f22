#pragma once
// The port-to-port router: a shortest orthogonal route between two ports
// around a set of obstacle boxes, leaving and entering the ports by straight
// stubs perpendicular to their sides.
#include <span>
#include <vector>

#include "scene/collision.hpp"
#include "scene/ports.hpp"

namespace borvane::scene {

// An orthogonal polyline from port `from` to port `to` that keeps
// `clearance` away from every obstacle, found as the shortest path through a
// visibility graph of the obstacles' corner and side-middle points, the
// ports, the stub ends and the two elbows between the stub ends. Routes work
// on a half-unit lattice (points are rounded to multiples of 0.5). When no
// path exists the route goes over the top: 20 above the highest stub end or
// enlarged obstacle. Callers use clearance 6 and stub 28 unless they need a
// different stub.
std::vector<Point> route_port_to_port_stubbed(const Port& from, const Port& to, std::span<const Aabb> obstacles,
                                              double clearance, double stub);

}  // namespace borvane::scene
