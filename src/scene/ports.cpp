#include "scene/ports.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace borvane::scene {

char side_letter(PortSide side) {
  switch (side) {
    case PortSide::North:
      return 'n';
    case PortSide::East:
      return 'e';
    case PortSide::South:
      return 's';
    case PortSide::West:
      return 'w';
  }
  return 'n';
}

namespace {

constexpr double kInset = 18;  // ports keep this far from the corners of a side

// Where port i of n sits along its side, as a fraction of the usable length:
// a lone port in the middle, several evenly spaced without touching the ends.
double port_fraction(std::size_t i, std::size_t n, std::size_t count) {
  if (count < 2) return 0.5;
  return static_cast<double>(i + 1) / static_cast<double>(n + 1);
}

}  // namespace

std::vector<Port> allocate_side_ports(std::string_view node_id, PortSide side, std::size_t count, double x, double y,
                                      double w, double h) {
  const std::size_t n = std::max<std::size_t>(count, 1);
  const std::string prefix = std::string(node_id) + ':' + side_letter(side) + ':';
  std::vector<Port> ports;
  ports.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double f = port_fraction(i, n, count);
    const double along_x = x + kInset + std::max(w - 2 * kInset, 0.0) * f;
    const double along_y = y + kInset + std::max(h - 2 * kInset, 0.0) * f;
    Port port;
    port.id = prefix + std::to_string(i);
    port.node_id = std::string(node_id);
    port.slot = static_cast<std::uint32_t>(i);
    port.side = side;
    const bool horizontal = side == PortSide::North || side == PortSide::South;
    port.x = horizontal ? along_x : (side == PortSide::East ? x + w : x);
    port.y = horizontal ? (side == PortSide::South ? y + h : y) : along_y;
    ports.push_back(std::move(port));
  }
  return ports;
}

PortSide facing_side(double cx, double cy, double rx, double ry) {
  const double dx = rx - cx;
  const double dy = ry - cy;
  if (std::abs(dx) >= std::abs(dy)) return dx >= 0 ? PortSide::East : PortSide::West;
  return dy >= 0 ? PortSide::South : PortSide::North;
}

double along_side(PortSide side, double x, double y) {
  return side == PortSide::North || side == PortSide::South ? x : y;
}

}  // namespace borvane::scene
