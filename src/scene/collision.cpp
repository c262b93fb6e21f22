#include "scene/collision.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace borvane::scene {

namespace {

// The grid cell of a coordinate, clamped to the 32-bit cell range so that a
// far-away coordinate cannot overflow the cell number.
std::int32_t cell_coordinate(double v, double cell_size) {
  double c = std::floor(v / cell_size);
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(c, lo, hi));
}

bool is_finite(const Aabb& b) {
  return std::isfinite(b.min_x) && std::isfinite(b.min_y) && std::isfinite(b.max_x) && std::isfinite(b.max_y);
}

}  // namespace

// ---- SpatialHash ----

std::uint64_t SpatialHash::key_of(std::int32_t column, std::int32_t row) {
  // Offsetting by 2^31 maps signed cells onto unsigned ones in the same order.
  auto biased = [](std::int32_t v) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(v) + (1LL << 31)); };
  return (biased(row) << 32) | biased(column);
}

SpatialHash::CellSpan SpatialHash::cells_of(const Aabb& box) const {
  if (!is_finite(box)) return {0, 0, -1, -1};
  return {cell_coordinate(box.min_x, cell_size_), cell_coordinate(box.min_y, cell_size_),
          cell_coordinate(box.max_x, cell_size_), cell_coordinate(box.max_y, cell_size_)};
}

std::size_t SpatialHash::first_key_at_or_after(std::uint64_t key) const {
  return static_cast<std::size_t>(std::lower_bound(keys_.begin(), keys_.end(), key) - keys_.begin());
}

SpatialHash SpatialHash::build(std::span<const Aabb> boxes, double cell_size) {
  SpatialHash hash;
  hash.cell_size_ = std::max(cell_size, 16.0);
  std::vector<CellSpan> spans;
  spans.reserve(boxes.size());
  std::uint64_t entries = 0;
  for (const Aabb& box : boxes) {
    const CellSpan span = hash.cells_of(box);
    spans.push_back(span);
    if (span.empty()) continue;
    entries += static_cast<std::uint64_t>(std::int64_t{span.col1} - span.col0 + 1) *
               static_cast<std::uint64_t>(std::int64_t{span.row1} - span.row0 + 1);
    if (hash.bounds_.empty()) {
      hash.bounds_ = span;
    } else {
      hash.bounds_ = {std::min(hash.bounds_.col0, span.col0), std::min(hash.bounds_.row0, span.row0),
                      std::max(hash.bounds_.col1, span.col1), std::max(hash.bounds_.row1, span.row1)};
    }
  }
  if (entries == 0) return hash;
  // The flat layout costs one slot per cell of the bounds; worth it while
  // that stays within a small multiple of the entries.
  const CellSpan& b = hash.bounds_;
  const auto cells = static_cast<std::uint64_t>(std::int64_t{b.col1} - b.col0 + 1) *
                     static_cast<std::uint64_t>(std::int64_t{b.row1} - b.row0 + 1);
  hash.dense_ = cells <= 4 * entries + 1024;
  if (hash.dense_) {
    hash.build_dense(spans);
  } else {
    hash.build_sparse(spans);
  }
  return hash;
}

void SpatialHash::build_dense(std::span<const CellSpan> spans) {
  const std::int64_t width = std::int64_t{bounds_.col1} - bounds_.col0 + 1;
  const std::int64_t height = std::int64_t{bounds_.row1} - bounds_.row0 + 1;
  starts_.assign(static_cast<std::size_t>(width * height) + 1, 0);
  // Counting pass, prefix sums, then a filling pass in box order, which
  // leaves each cell's indices ascending.
  const auto for_each_slot = [&](const CellSpan& span, auto&& action) {
    for (std::int64_t row = span.row0; row <= span.row1; ++row) {
      for (std::int64_t col = span.col0; col <= span.col1; ++col) {
        action(static_cast<std::size_t>((row - bounds_.row0) * width + (col - bounds_.col0)));
      }
    }
  };
  for (const CellSpan& span : spans) {
    if (!span.empty()) for_each_slot(span, [&](std::size_t slot) { ++starts_[slot + 1]; });
  }
  for (std::size_t k = 1; k < starts_.size(); ++k) starts_[k] += starts_[k - 1];
  items_.resize(starts_.back());
  std::vector<std::uint32_t> fill(starts_.begin(), starts_.end() - 1);
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (!spans[i].empty()) {
      for_each_slot(spans[i], [&](std::size_t slot) { items_[fill[slot]++] = static_cast<std::uint32_t>(i); });
    }
  }
}

void SpatialHash::build_sparse(std::span<const CellSpan> spans) {
  // (cell key, box index) pairs; sorting them puts each cell's indices in
  // ascending order.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> entries;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const CellSpan& span = spans[i];
    if (span.empty()) continue;
    for (std::int64_t row = span.row0; row <= span.row1; ++row) {
      for (std::int64_t col = span.col0; col <= span.col1; ++col) {
        entries.emplace_back(key_of(static_cast<std::int32_t>(col), static_cast<std::int32_t>(row)),
                             static_cast<std::uint32_t>(i));
      }
    }
  }
  std::sort(entries.begin(), entries.end());
  items_.reserve(entries.size());
  for (const auto& [key, index] : entries) {
    if (keys_.empty() || keys_.back() != key) {
      keys_.push_back(key);
      starts_.push_back(static_cast<std::uint32_t>(items_.size()));
    }
    items_.push_back(index);
  }
  starts_.push_back(static_cast<std::uint32_t>(items_.size()));
}

std::span<const std::uint32_t> SpatialHash::cell(std::int32_t column, std::int32_t row) const {
  std::size_t slot = 0;
  if (items_.empty()) return {};
  if (dense_) {
    if (column < bounds_.col0 || column > bounds_.col1 || row < bounds_.row0 || row > bounds_.row1) return {};
    const std::int64_t width = std::int64_t{bounds_.col1} - bounds_.col0 + 1;
    slot = static_cast<std::size_t>((std::int64_t{row} - bounds_.row0) * width + (column - bounds_.col0));
  } else {
    const std::uint64_t key = key_of(column, row);
    slot = first_key_at_or_after(key);
    if (slot == keys_.size() || keys_[slot] != key) return {};
  }
  return {items_.data() + starts_[slot], items_.data() + starts_[slot + 1]};
}

std::vector<std::size_t> SpatialHash::query_aabb(const Aabb& query) const {
  std::vector<std::size_t> found;
  any_in_cells(query, [&](std::size_t index) {
    found.push_back(index);
    return false;
  });
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

// ---- segment against box ----

namespace {

// Narrows the parameter range [entry, exit] of a segment p + t·d to one slab
// [lo, hi] of the box; false when the segment misses the slab.
bool clip_slab(double p, double d, double lo, double hi, double& entry, double& exit) {
  if (std::abs(d) < 1e-12) return lo <= p && p <= hi;
  double t0 = (lo - p) / d;
  double t1 = (hi - p) / d;
  if (t0 > t1) std::swap(t0, t1);
  entry = std::max(entry, t0);
  exit = std::min(exit, t1);
  return entry <= exit;
}

}  // namespace

bool segment_hits_aabb(const Aabb& box, double x1, double y1, double x2, double y2) {
  double dx = x2 - x1;
  double dy = y2 - y1;
  if (std::abs(dx) < 1e-9 && std::abs(dy) < 1e-9) {
    return box.min_x <= x1 && x1 <= box.max_x && box.min_y <= y1 && y1 <= box.max_y;
  }
  double entry = 0;
  double exit = 1;
  if (!clip_slab(x1, dx, box.min_x, box.max_x, entry, exit)) return false;
  if (!clip_slab(y1, dy, box.min_y, box.max_y, entry, exit)) return false;
  // Contact within the first or last ten-thousandth is only touching.
  return exit > 1e-4 && entry < 0.9999;
}

// ---- detour around one box ----

namespace {

double orthogonal_length(std::span<const Point> path) {
  double total = 0;
  for (std::size_t i = 1; i < path.size(); ++i) {
    total += std::abs(path[i].first - path[i - 1].first) + std::abs(path[i].second - path[i - 1].second);
  }
  return total;
}

bool clear_of(const Aabb& box, std::span<const Point> path) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (segment_hits_aabb(box, path[i - 1].first, path[i - 1].second, path[i].first, path[i].second)) return false;
  }
  return true;
}

}  // namespace

std::vector<Point> detour_around(const Aabb& box, Point a, Point b) {
  const auto [x1, y1] = a;
  const auto [x2, y2] = b;
  const double l = box.min_x - 8;
  const double r = box.max_x + 8;
  const double t = box.min_y - 8;
  const double u = box.max_y + 8;
  const std::array<std::vector<Point>, 10> candidates{{
      {a, {l, y1}, {l, y2}, b},
      {a, {r, y1}, {r, y2}, b},
      {a, {x1, t}, {x2, t}, b},  // over the top: also the answer when nothing is clear
      {a, {x1, u}, {x2, u}, b},
      {a, {l, y1}, {l, t}, {x2, t}, b},
      {a, {r, y1}, {r, t}, {x2, t}, b},
      {a, {l, y1}, {l, u}, {x2, u}, b},
      {a, {r, y1}, {r, u}, {x2, u}, b},
      {a, {x1, t}, {l, t}, {l, u}, {x2, u}, b},
      {a, {x1, u}, {r, u}, {r, t}, {x2, t}, b},
  }};
  const std::vector<Point>* best = nullptr;
  double best_length = 0;
  for (const auto& candidate : candidates) {
    if (!clear_of(box, candidate)) continue;
    double length = orthogonal_length(candidate);
    if (best == nullptr || length < best_length) {
      best = &candidate;
      best_length = length;
    }
  }
  return best != nullptr ? *best : candidates[2];
}

// ---- near-duplicate removal ----

std::vector<Point> simplify_polyline(std::span<const Point> points) {
  std::vector<Point> kept;
  kept.reserve(points.size());
  for (const Point& p : points) {
    if (!kept.empty() && std::abs(p.first - kept.back().first) < 0.5 && std::abs(p.second - kept.back().second) < 0.5) {
      continue;
    }
    kept.push_back(p);
  }
  return kept;
}

}  // namespace borvane::scene
