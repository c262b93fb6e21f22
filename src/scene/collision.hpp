#pragma once
// Axis-aligned boxes and the obstacle index shared by label placement,
// routing and the repair stages: the uniform grid over boxes, the
// segment-against-box test, the detour of a straight segment around one box
// and the removal of near-duplicate points.
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace borvane::scene {

// A point of the scene plane, (x, y); routes are lists of them.
using Point = std::pair<double, double>;

// A closed box: its border belongs to it.
struct Aabb {
  double min_x = 0;
  double min_y = 0;
  double max_x = 0;
  double max_y = 0;

  // The box of a rectangle given as top-left corner and size.
  static constexpr Aabb from_rect(double x, double y, double w, double h) { return {x, y, x + w, y + h}; }
  // The box grown by `margin` on all four sides.
  constexpr Aabb expanded(double margin) const {
    return {min_x - margin, min_y - margin, max_x + margin, max_y + margin};
  }
  bool operator==(const Aabb&) const = default;
};

// Uniform grid over a slice of boxes: each cell (column, row) lists the
// positions of the boxes that overlap it, in ascending order. The cell of a
// coordinate v is floor(v / cell size), so negative coordinates have negative
// cells. Cells are stored as one flat array over the occupied bounds when
// that is compact (the usual case), else only the occupied cells are kept,
// sorted by row and column, so boxes far apart cost no memory in between.
class SpatialHash {
 public:
  // Enters every box into every cell from its min corner's cell to its max
  // corner's cell. The cell size is at least 16. So an inside-out box (min
  // above max) occupies no cell unless both corners share one; a box with a
  // non-finite coordinate occupies none.
  static SpatialHash build(std::span<const Aabb> boxes, double cell_size);

  double cell_size() const { return cell_size_; }

  // Whether build enters the box into any cell.
  bool indexes(const Aabb& box) const { return !cells_of(box).empty(); }

  // The indices entered in one cell, ascending; empty for an unoccupied cell.
  std::span<const std::uint32_t> cell(std::int32_t column, std::int32_t row) const;

  // The indices of all boxes entered in any cell the query box covers, each
  // once. A candidate set: callers still test each candidate exactly.
  std::vector<std::size_t> query_aabb(const Aabb& query) const;

  // Calls visit(index) for every entry of every cell the query box covers
  // (a box spanning several cells is visited once per cell) until visit
  // returns true; tells whether it did. Allocation-free.
  template <class Visit>
  bool any_in_cells(const Aabb& query, Visit&& visit) const;

 private:
  struct CellSpan {
    std::int32_t col0 = 0, row0 = 0, col1 = -1, row1 = -1;
    bool empty() const { return col0 > col1 || row0 > row1; }
  };
  CellSpan cells_of(const Aabb& box) const;
  static std::uint64_t key_of(std::int32_t column, std::int32_t row);
  void build_dense(std::span<const CellSpan> spans);
  void build_sparse(std::span<const CellSpan> spans);
  std::size_t first_key_at_or_after(std::uint64_t key) const;
  template <class Visit>
  bool visit_items(std::size_t slot, Visit& visit) const;

  double cell_size_ = 16;
  bool dense_ = true;
  CellSpan bounds_;                    // occupied cells (dense layout)
  std::vector<std::uint64_t> keys_;    // occupied cells, ascending (sparse layout)
  std::vector<std::uint32_t> starts_;  // entries of slot k: items_[starts_[k], starts_[k + 1])
  std::vector<std::uint32_t> items_;
};

// Whether the segment from (x1, y1) to (x2, y2) crosses the closed box.
// Touching the box only within the first or last ten-thousandth of the
// segment does not count; running along its border does.
bool segment_hits_aabb(const Aabb& box, double x1, double y1, double x2, double y2);

// An orthogonal replacement for the straight connection a -> b that passes
// the box 8 away from it: the shortest of ten fixed candidates that do not
// hit the box (the earliest among equally short ones), or the one over the
// top when none is clear.
std::vector<Point> detour_around(const Aabb& box, Point a, Point b);

// The points without near-duplicates: a point closer than 0.5 to the last
// kept one on both axes is dropped.
std::vector<Point> simplify_polyline(std::span<const Point> points);

// ---- template implementation ----

template <class Visit>
bool SpatialHash::visit_items(std::size_t slot, Visit& visit) const {
  for (std::uint32_t i = starts_[slot]; i < starts_[slot + 1]; ++i) {
    if (visit(static_cast<std::size_t>(items_[i]))) return true;
  }
  return false;
}

template <class Visit>
bool SpatialHash::any_in_cells(const Aabb& query, Visit&& visit) const {
  CellSpan span = cells_of(query);
  if (items_.empty() || span.empty()) return false;
  if (dense_) {
    const std::int64_t width = std::int64_t{bounds_.col1} - bounds_.col0 + 1;
    const std::int32_t col0 = span.col0 > bounds_.col0 ? span.col0 : bounds_.col0;
    const std::int32_t col1 = span.col1 < bounds_.col1 ? span.col1 : bounds_.col1;
    const std::int32_t row0 = span.row0 > bounds_.row0 ? span.row0 : bounds_.row0;
    const std::int32_t row1 = span.row1 < bounds_.row1 ? span.row1 : bounds_.row1;
    for (std::int64_t row = row0; row <= row1; ++row) {
      const std::int64_t base = (row - bounds_.row0) * width - bounds_.col0;
      for (std::int64_t col = col0; col <= col1; ++col) {
        if (visit_items(static_cast<std::size_t>(base + col), visit)) return true;
      }
    }
    return false;
  }
  for (std::int64_t row = span.row0; row <= span.row1; ++row) {
    const auto r = static_cast<std::int32_t>(row);
    const std::uint64_t last = key_of(span.col1, r);
    for (std::size_t k = first_key_at_or_after(key_of(span.col0, r)); k < keys_.size() && keys_[k] <= last; ++k) {
      if (visit_items(k, visit)) return true;
    }
  }
  return false;
}

}  // namespace borvane::scene
