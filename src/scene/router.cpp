#include "scene/router.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <compare>
#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>
#include <tuple>

namespace borvane::scene {

namespace {

constexpr double kCellSize = 64;

// ---- lattice keys ----

// A point of the search: coordinates doubled and rounded to the nearest
// integer (halves away from zero), so the router works on a half-unit lattice
// and points that round together are one node.
struct NodeKey {
  std::int64_t kx = 0;
  std::int64_t ky = 0;
  auto operator<=>(const NodeKey&) const = default;
};

// v rounded to the nearest integer, halves away from zero, like llround but
// without the library call in the common range (where v - trunc(v) is exact).
std::int64_t round_half_away(double v) {
  if (!(std::abs(v) < 9.0e18)) return std::llround(v);
  auto whole = static_cast<std::int64_t>(v);
  const double rest = v - static_cast<double>(whole);
  if (rest >= 0.5) ++whole;
  if (rest <= -0.5) --whole;
  return whole;
}

NodeKey key_of(Point p) { return {round_half_away(2 * p.first), round_half_away(2 * p.second)}; }

Point point_of(NodeKey k) { return {static_cast<double>(k.kx) / 2, static_cast<double>(k.ky) / 2}; }

// Links join keys that agree in exactly one coordinate.
bool aligned(NodeKey a, NodeKey b) { return (a.kx == b.kx) != (a.ky == b.ky); }

// Orthogonal length between two keys' points; exact, since both lie on the
// half-unit lattice.
double link_length(NodeKey a, NodeKey b) {
  return static_cast<double>(std::llabs(a.kx - b.kx) + std::llabs(a.ky - b.ky)) / 2;
}

// The point `stub` straight out of the port's side.
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

// Least-significant-digit radix sort by bytes, skipping the bytes on which
// all words agree (most of the eight, for the words built below).
void radix_sort(std::vector<std::uint64_t>& words) {
  if (words.size() < 2048) {  // below this a comparison sort wins
    std::sort(words.begin(), words.end());
    return;
  }
  std::uint64_t varying = 0;
  for (std::uint64_t w : words) varying |= w ^ words.front();
  std::vector<std::uint64_t> buffer(words.size());
  for (int shift = 0; shift < 64; shift += 8) {
    if (((varying >> shift) & 0xffU) == 0) continue;
    std::array<std::uint32_t, 257> start{};
    for (std::uint64_t w : words) ++start[((w >> shift) & 0xffU) + 1];
    for (std::size_t b = 0; b < 256; ++b) start[b + 1] += start[b];
    for (std::uint64_t w : words) buffer[start[(w >> shift) & 0xffU]++] = w;
    words.swap(buffer);
  }
}

// Sorting machine words is much faster than sorting pairs through a
// comparator. Measured from the least key on each axis, the keys of one
// route span a few thousand half-units, so a key packs into one word that
// orders like (kx, ky), with only a few varying bytes. A spread of 2^32
// half-units or more takes the slow path.
struct Packing {
  std::int64_t min_x = 0;
  std::int64_t min_y = 0;
  bool fits = true;

  static Packing of(std::span<const NodeKey> keys) {
    Packing packing;
    if (keys.empty()) return packing;
    auto [lo_x, hi_x] = std::minmax_element(keys.begin(), keys.end(), [](NodeKey l, NodeKey r) { return l.kx < r.kx; });
    auto [lo_y, hi_y] = std::minmax_element(keys.begin(), keys.end(), [](NodeKey l, NodeKey r) { return l.ky < r.ky; });
    packing.min_x = lo_x->kx;
    packing.min_y = lo_y->ky;
    constexpr std::uint64_t limit = std::uint64_t{1} << 32;
    packing.fits = spread(lo_x->kx, hi_x->kx) < limit && spread(lo_y->ky, hi_y->ky) < limit;
    return packing;
  }
  // hi - lo without overflow (wrapping unsigned arithmetic is exact here).
  static std::uint64_t spread(std::int64_t lo, std::int64_t hi) {
    return static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo);
  }
  std::uint64_t word(NodeKey k) const { return (spread(min_x, k.kx) << 32) | spread(min_y, k.ky); }
  NodeKey key(std::uint64_t w) const {
    return {min_x + static_cast<std::int64_t>(w >> 32), min_y + static_cast<std::int64_t>(w & 0xffffffffU)};
  }
};

// Sorts keys by (kx, ky) and removes repeats.
void sort_unique(std::vector<NodeKey>& keys) {
  const Packing packing = Packing::of(keys);
  if (!packing.fits) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return;
  }
  std::vector<std::uint64_t> words(keys.size());
  std::transform(keys.begin(), keys.end(), words.begin(), [&](NodeKey k) { return packing.word(k); });
  radix_sort(words);
  words.erase(std::unique(words.begin(), words.end()), words.end());
  keys.resize(words.size());
  std::transform(words.begin(), words.end(), keys.begin(), [&](std::uint64_t w) { return packing.key(w); });
}

// The numbers of sorted keys ordered by (ky, kx). Among keys of one ky the
// number already follows kx, so ordering by (ky, number) is the same.
std::vector<std::uint32_t> row_order(const std::vector<NodeKey>& keys) {
  std::vector<std::uint32_t> order(keys.size());
  std::iota(order.begin(), order.end(), 0U);
  const Packing packing = Packing::of(keys);
  if (!packing.fits) {
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t l, std::uint32_t r) { return std::tie(keys[l].ky, l) < std::tie(keys[r].ky, r); });
    return order;
  }
  std::vector<std::uint64_t> words(keys.size());
  for (std::uint32_t i = 0; i < keys.size(); ++i) words[i] = (Packing::spread(packing.min_y, keys[i].ky) << 32) | i;
  radix_sort(words);
  std::transform(words.begin(), words.end(), order.begin(),
                 [](std::uint64_t w) { return static_cast<std::uint32_t>(w & 0xffffffffU); });
  return order;
}

// The ports, the stub ends and every enlarged obstacle's corners and side
// middles, as keys sorted by (kx, ky) without repeats.
std::vector<NodeKey> candidate_keys(std::span<const Point> fixed, std::span<const Aabb> boxes) {
  std::vector<NodeKey> keys;
  keys.reserve(fixed.size() + 8 * boxes.size());
  for (Point p : fixed) keys.push_back(key_of(p));
  for (const Aabb& b : boxes) {
    const double mid_x = (b.min_x + b.max_x) / 2;
    const double mid_y = (b.min_y + b.max_y) / 2;
    for (Point p : {Point{b.min_x, b.min_y}, Point{b.max_x, b.min_y}, Point{b.min_x, b.max_y}, Point{b.max_x, b.max_y},
                    Point{b.min_x, mid_y}, Point{b.max_x, mid_y}, Point{mid_x, b.min_y}, Point{mid_x, b.max_y}}) {
      keys.push_back(key_of(p));
    }
  }
  sort_unique(keys);
  return keys;
}

// ---- visibility graph ----

// The graph as adjacency lists over node numbers: nodes [0, candidates) are the
// sorted candidate keys, later ones the elbow keys that were not candidates.
// Each list holds the pair links in ascending neighbour order (the order in
// which the pairs are tried), followed by the port and elbow links in the
// order they were tried.
struct VisibilityGraph {
  std::vector<NodeKey> keys;
  std::size_t candidates = 0;        // keys [0, candidates) are sorted
  std::vector<std::uint32_t> first;  // links of node k: neighbours[first[k], first[k + 1])
  std::vector<std::uint32_t> neighbours;
};

// Whether the straight link between two points passes every enlarged
// obstacle: only boxes in the index cells around the segment are tested.
bool link_clear(const SpatialHash& hash, std::span<const Aabb> boxes, Point p, Point q) {
  const Aabb around{std::min(p.first, q.first) - 1, std::min(p.second, q.second) - 1, std::max(p.first, q.first) + 1,
                    std::max(p.second, q.second) + 1};
  return !hash.any_in_cells(
      around, [&](std::size_t i) { return segment_hits_aabb(boxes[i], p.first, p.second, q.first, q.second); });
}

// Finds the visible pairs among the keys of the rows (or of the columns),
// given line by line in ascending order of the line's coordinate.
//
// Testing every pair against the index would cost a query per pair, and the
// pairs of a line are quadratic in its length. Instead a sweep keeps the
// boxes that cross the current line, as intervals [lo, hi] along it sorted
// by lo; per line a running maximum of hi is formed. For a link from a to c
// (a < c, length L), the segment test's ten-thousandth tolerance means a box
// blocks it exactly when lo < a + 0.9999 L and hi > a + 0.0001 L. With a
// margin far above the rounding error of either form, one binary search
// settles almost every pair; the few pairs within the margin of a threshold
// get the exact test. Once a box blocks a link for every longer link from
// the same start, the scan stops, so the work follows the number of visible
// pairs. The boxes are exactly those the index holds, so the verdicts are
// those of testing each pair through the index.
class LineLinker {
 public:
  LineLinker(const std::vector<NodeKey>& keys, std::span<const Aabb> boxes, const SpatialHash& hash, bool horizontal);

  // `members`: key numbers in ascending order along the line. Appends every
  // visible pair (lower number first) to `pairs`, packed as (i << 32) | j.
  void link(std::span<const std::uint32_t> members, std::vector<std::uint64_t>& pairs);

 private:
  enum class Verdict { Clear, Blocked, BlockedOnwards };

  struct Interval {
    double lo;  // extent along the line
    double hi;
    double perp_lo;  // extent across it
    double perp_hi;
    std::uint32_t box;
  };

  double along(std::uint32_t k) const { return static_cast<double>(horizontal_ ? keys_[k].kx : keys_[k].ky) / 2; }
  double across(std::uint32_t k) const { return static_cast<double>(horizontal_ ? keys_[k].ky : keys_[k].kx) / 2; }
  void advance_to(double v);
  void prepare(double u_last);
  std::size_t count_starting_before(double u) const;
  Verdict classify(double a, double c, double u_last, double v) const;
  bool exactly_blocked(double a, double c, double v, std::size_t candidates, double hi_floor) const;

  const std::vector<NodeKey>& keys_;
  std::span<const Aabb> boxes_;
  const bool horizontal_;
  std::vector<Interval> waiting_;  // boxes the sweep has not reached, by perp_lo
  std::size_t next_waiting_ = 0;
  std::vector<Interval> active_;   // boxes crossing the current line, by lo
  std::size_t used_ = 0;           // active_[0, used_) start before the line's end
  std::vector<double> hi_before_;  // hi_before_[k]: max hi of active_[0, k)
  double margin_ = 0;
};

LineLinker::LineLinker(const std::vector<NodeKey>& keys, std::span<const Aabb> boxes, const SpatialHash& hash,
                       bool horizontal)
    : keys_(keys), boxes_(boxes), horizontal_(horizontal) {
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const Aabb& b = boxes[i];
    if (!hash.indexes(b)) continue;
    const double lo = horizontal ? b.min_x : b.min_y;
    const double hi = horizontal ? b.max_x : b.max_y;
    const double perp_lo = horizontal ? b.min_y : b.min_x;
    const double perp_hi = horizontal ? b.max_y : b.max_x;
    // An inside-out extent across the line never contains it. Along the line
    // the segment test orders a slab's ends, so such a box blocks like its
    // upright self.
    if (perp_lo > perp_hi) continue;
    waiting_.push_back({std::min(lo, hi), std::max(lo, hi), perp_lo, perp_hi, static_cast<std::uint32_t>(i)});
  }
  std::sort(waiting_.begin(), waiting_.end(),
            [](const Interval& l, const Interval& r) { return l.perp_lo < r.perp_lo; });
}

void LineLinker::link(std::span<const std::uint32_t> members, std::vector<std::uint64_t>& pairs) {
  const double v = across(members.front());
  const double u_first = along(members.front());
  const double u_last = along(members.back());
  margin_ = 1e-9 * (1 + std::max(std::abs(u_first), std::abs(u_last)));
  advance_to(v);
  prepare(u_last);
  for (std::size_t i = 0; i + 1 < members.size(); ++i) {
    const double a = along(members[i]);
    for (std::size_t j = i + 1; j < members.size(); ++j) {
      Verdict verdict = classify(a, along(members[j]), u_last, v);
      if (verdict == Verdict::BlockedOnwards) break;
      if (verdict == Verdict::Clear) pairs.push_back((std::uint64_t{members[i]} << 32) | members[j]);
    }
  }
}

// Moves the sweep to the line at v (never backwards): boxes that end before
// it leave, boxes that start at or before it join, in order of lo.
void LineLinker::advance_to(double v) {
  std::erase_if(active_, [v](const Interval& b) { return b.perp_hi < v; });
  for (; next_waiting_ < waiting_.size() && waiting_[next_waiting_].perp_lo <= v; ++next_waiting_) {
    const Interval& b = waiting_[next_waiting_];
    if (b.perp_hi < v) continue;
    auto at = std::partition_point(active_.begin(), active_.end(), [&](const Interval& o) { return o.lo <= b.lo; });
    active_.insert(at, b);
  }
}

// Boxes that start beyond the line's last point cannot block any of its
// links; the running maximum covers the others.
void LineLinker::prepare(double u_last) {
  auto end =
      std::partition_point(active_.begin(), active_.end(), [u_last](const Interval& b) { return b.lo <= u_last; });
  used_ = static_cast<std::size_t>(end - active_.begin());
  hi_before_.assign(used_ + 1, -std::numeric_limits<double>::infinity());
  for (std::size_t k = 0; k < used_; ++k) hi_before_[k + 1] = std::max(hi_before_[k], active_[k].hi);
}

std::size_t LineLinker::count_starting_before(double u) const {
  auto end = active_.begin() + static_cast<std::ptrdiff_t>(used_);
  auto it = std::partition_point(active_.begin(), end, [u](const Interval& b) { return b.lo < u; });
  return static_cast<std::size_t>(it - active_.begin());
}

LineLinker::Verdict LineLinker::classify(double a, double c, double u_last, double v) const {
  const double length = c - a;
  const double enter = a + 0.9999 * length;  // a box must start before this ...
  const double leave = a + 1e-4 * length;    // ... and end after this to block
  const double certain_hi = hi_before_[count_starting_before(enter - margin_)];
  if (certain_hi > leave + margin_) {
    // The same box blocks every longer link from a while it still ends
    // beyond that link's leave point, and more boxes only join in.
    const double last_leave = a + 1e-4 * (u_last - a);
    return certain_hi > last_leave + margin_ ? Verdict::BlockedOnwards : Verdict::Blocked;
  }
  const std::size_t candidates = count_starting_before(enter + margin_);
  if (hi_before_[candidates] <= leave - margin_) return Verdict::Clear;
  return exactly_blocked(a, c, v, candidates, leave - margin_) ? Verdict::Blocked : Verdict::Clear;
}

bool LineLinker::exactly_blocked(double a, double c, double v, std::size_t candidates, double hi_floor) const {
  for (std::size_t k = 0; k < candidates; ++k) {
    if (active_[k].hi <= hi_floor) continue;
    const Aabb& b = boxes_[active_[k].box];
    const bool hit = horizontal_ ? segment_hits_aabb(b, a, v, c, v) : segment_hits_aabb(b, v, a, v, c);
    if (hit) return true;
  }
  return false;
}

// Calls `visit(line)` for every run of at least two keys that share the
// coordinate `same` picks, in the order given by `order`.
template <class Same, class Visit>
void for_each_line(std::span<const std::uint32_t> order, Same&& same, Visit&& visit) {
  std::size_t begin = 0;
  while (begin < order.size()) {
    std::size_t end = begin + 1;
    while (end < order.size() && same(order[begin], order[end])) ++end;
    if (end - begin >= 2) visit(order.subspan(begin, end - begin));
    begin = end;
  }
}

// The visible pairs among the sorted candidate keys, as (i << 32) | j with
// i < j: those of the columns, then those of the rows.
std::vector<std::uint64_t> visible_pairs(const std::vector<NodeKey>& keys, std::span<const Aabb> boxes,
                                         const SpatialHash& hash) {
  std::vector<std::uint32_t> by_column(keys.size());
  std::iota(by_column.begin(), by_column.end(), 0U);
  const std::vector<std::uint32_t> by_row = row_order(keys);
  std::vector<std::uint64_t> pairs;
  pairs.reserve(2 * keys.size());
  LineLinker columns(keys, boxes, hash, false);
  for_each_line(
      by_column, [&](std::uint32_t l, std::uint32_t r) { return keys[l].kx == keys[r].kx; },
      [&](std::span<const std::uint32_t> line) { columns.link(line, pairs); });
  LineLinker rows(keys, boxes, hash, true);
  for_each_line(
      by_row, [&](std::uint32_t l, std::uint32_t r) { return keys[l].ky == keys[r].ky; },
      [&](std::span<const std::uint32_t> line) { rows.link(line, pairs); });
  return pairs;
}

// The number of a key: its place among the sorted candidates, else among the
// keys added later (appending it when it is new).
std::uint32_t node_of(std::vector<NodeKey>& keys, std::size_t sorted, NodeKey key) {
  auto end = keys.begin() + static_cast<std::ptrdiff_t>(sorted);
  auto it = std::lower_bound(keys.begin(), end, key);
  if (it != end && *it == key) return static_cast<std::uint32_t>(it - keys.begin());
  auto extra = std::find(end, keys.end(), key);
  if (extra == keys.end()) extra = keys.insert(keys.end(), key);
  return static_cast<std::uint32_t>(extra - keys.begin());
}

// The links tried after all pairs: each port to its stub end, then the
// elbows between the stub ends (or their straight link when they share a
// coordinate). Returns the accepted links, in order, as (node, node).
std::vector<std::pair<std::uint32_t, std::uint32_t>> port_links(std::vector<NodeKey>& keys, std::size_t sorted,
                                                                std::span<const Point> fixed,
                                                                std::span<const Aabb> boxes, const SpatialHash& hash) {
  const NodeKey from = key_of(fixed[0]), s = key_of(fixed[1]), e = key_of(fixed[2]), to = key_of(fixed[3]);
  std::vector<std::pair<NodeKey, NodeKey>> tried{{from, s}, {e, to}};
  if (s.kx != e.kx && s.ky != e.ky) {
    const NodeKey k1{e.kx, s.ky};
    const NodeKey k2{s.kx, e.ky};
    tried.insert(tried.end(), {{s, k1}, {k1, e}, {s, k2}, {k2, e}});
  } else {
    tried.emplace_back(s, e);
  }
  std::vector<std::pair<std::uint32_t, std::uint32_t>> accepted;
  for (const auto& [p, q] : tried) {
    if (!aligned(p, q) || !link_clear(hash, boxes, point_of(p), point_of(q))) continue;
    accepted.emplace_back(node_of(keys, sorted, p), node_of(keys, sorted, q));
  }
  return accepted;
}

VisibilityGraph build_graph(std::span<const Point> fixed, std::span<const Aabb> boxes) {
  const SpatialHash hash = SpatialHash::build(boxes, kCellSize);
  VisibilityGraph graph;
  graph.keys = candidate_keys(fixed, boxes);
  graph.candidates = graph.keys.size();
  const std::vector<std::uint64_t> pairs = visible_pairs(graph.keys, boxes, hash);
  const auto extra = port_links(graph.keys, graph.candidates, fixed, boxes, hash);

  const auto low = [](std::uint64_t p) { return static_cast<std::uint32_t>(p & 0xffffffffU); };
  const auto high = [](std::uint64_t p) { return static_cast<std::uint32_t>(p >> 32); };
  graph.first.assign(graph.keys.size() + 1, 0);
  const auto count = [&](std::uint32_t u, std::uint32_t v) {
    ++graph.first[u + 1];
    ++graph.first[v + 1];
  };
  for (std::uint64_t p : pairs) count(high(p), low(p));
  for (const auto& [u, v] : extra) count(u, v);
  std::partial_sum(graph.first.begin(), graph.first.end(), graph.first.begin());
  graph.neighbours.resize(graph.first.back());
  std::vector<std::uint32_t> fill(graph.first.begin(), graph.first.end() - 1);
  const auto add = [&](std::uint32_t u, std::uint32_t v) {
    graph.neighbours[fill[u]++] = v;
    graph.neighbours[fill[v]++] = u;
  };
  for (std::uint64_t p : pairs) add(high(p), low(p));
  // The search must meet a node's links in the order they were found when
  // every pair (i, j) is tried in ascending order: ascending neighbour
  // number. The sweeps find them line by line, so each node's share is
  // sorted; the port and elbow links follow in the order they were tried.
  for (std::size_t k = 0; k < graph.candidates; ++k) {
    std::sort(graph.neighbours.begin() + graph.first[k], graph.neighbours.begin() + fill[k]);
  }
  for (const auto& [u, v] : extra) add(u, v);
  return graph;
}

// ---- shortest path ----

struct QueueEntry {
  double cost;
  std::uint32_t node;
};

// Array binary min-heap on cost alone. Among equally long routes the order of
// removal decides which one is found, so the sift rules are fixed: a pop
// moves the last entry to the root, walks it down to the bottom level always
// into the cheaper child (the right one on ties) and then back up while it
// is strictly cheaper than its parent.
class MinCostQueue {
 public:
  bool empty() const { return heap_.empty(); }

  void push(QueueEntry entry) {
    heap_.push_back(entry);
    sift_up(heap_.size() - 1);
  }

  QueueEntry pop() {
    const QueueEntry top = heap_.front();
    const QueueEntry last = heap_.back();
    heap_.pop_back();
    if (!heap_.empty()) {
      heap_.front() = last;
      sift_down_to_bottom();
    }
    return top;
  }

 private:
  void sift_up(std::size_t pos) {
    const QueueEntry moving = heap_[pos];
    while (pos > 0) {
      const std::size_t parent = (pos - 1) / 2;
      if (!(moving.cost < heap_[parent].cost)) break;
      heap_[pos] = heap_[parent];
      pos = parent;
    }
    heap_[pos] = moving;
  }

  void sift_down_to_bottom() {
    const std::size_t end = heap_.size();
    const QueueEntry moving = heap_[0];
    std::size_t pos = 0;
    std::size_t child = 1;
    while (child + 1 < end) {
      if (heap_[child + 1].cost <= heap_[child].cost) ++child;
      heap_[pos] = heap_[child];
      pos = child;
      child = 2 * pos + 1;
    }
    if (child + 1 == end) {
      heap_[pos] = heap_[child];
      pos = child;
    }
    heap_[pos] = moving;
    sift_up(pos);
  }

  std::vector<QueueEntry> heap_;
};

// Dijkstra from `start` to `target`; the path's points, or none when the
// graph does not connect them.
std::optional<std::vector<Point>> shortest_path(const VisibilityGraph& graph, std::uint32_t start,
                                                std::uint32_t target) {
  const std::size_t n = graph.keys.size();
  constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
  std::vector<double> distance(n, std::numeric_limits<double>::infinity());
  std::vector<std::uint32_t> predecessor(n, kNone);
  std::vector<bool> visited(n, false);
  MinCostQueue queue;
  distance[start] = 0;
  queue.push({0, start});
  while (!queue.empty()) {
    const auto [cost, node] = queue.pop();
    if (visited[node]) continue;
    visited[node] = true;
    if (node == target) {
      std::vector<Point> path;
      for (std::uint32_t k = target; k != kNone; k = predecessor[k]) path.push_back(point_of(graph.keys[k]));
      std::reverse(path.begin(), path.end());
      return path;
    }
    for (std::uint32_t i = graph.first[node]; i < graph.first[node + 1]; ++i) {
      const std::uint32_t next = graph.neighbours[i];
      const double next_cost = cost + link_length(graph.keys[node], graph.keys[next]);
      if (next_cost < distance[next]) {
        distance[next] = next_cost;
        predecessor[next] = node;
        queue.push({next_cost, next});
      }
    }
  }
  return std::nullopt;
}

// ---- fallback and clean-up ----

// The route when the graph does not connect the ports: up from both stub
// ends to 20 above everything, and across.
std::vector<Point> over_the_top(std::span<const Point> fixed, std::span<const Aabb> boxes) {
  const auto [from, s, e, to] = std::array{fixed[0], fixed[1], fixed[2], fixed[3]};
  double top = std::min(s.second, e.second);
  for (const Aabb& b : boxes) top = std::min(top, b.min_y);
  return {from, s, {s.first, top - 20}, {e.first, top - 20}, e, to};
}

// Makes every step axis-parallel: a nearly aligned point is snapped onto
// the previous point's line, any other gets an elbow (horizontal first).
std::vector<Point> straighten(const std::vector<Point>& path) {
  if (path.size() < 2) return path;
  std::vector<Point> out{path.front()};
  for (std::size_t i = 1; i < path.size(); ++i) {
    const Point p = path[i];
    const Point q = out.back();
    if (std::abs(q.first - p.first) < 0.05) {
      out.emplace_back(q.first, p.second);
    } else if (std::abs(q.second - p.second) < 0.05) {
      out.emplace_back(p.first, q.second);
    } else {
      out.emplace_back(p.first, q.second);
      out.push_back(p);
    }
  }
  return out;
}

// Drops the middle points of straight runs (within 0.6), judged against
// the neighbours in the input.
std::vector<Point> thin(const std::vector<Point>& path) {
  if (path.size() < 3) return path;
  std::vector<Point> out{path.front()};
  for (std::size_t i = 1; i + 1 < path.size(); ++i) {
    const Point a = path[i - 1], b = path[i], c = path[i + 1];
    const bool vertical_run = std::abs(a.first - b.first) < 0.6 && std::abs(b.first - c.first) < 0.6;
    const bool horizontal_run = std::abs(a.second - b.second) < 0.6 && std::abs(b.second - c.second) < 0.6;
    if (!vertical_run && !horizontal_run) out.push_back(b);
  }
  out.push_back(path.back());
  return out;
}

}  // namespace

std::vector<Point> route_port_to_port_stubbed(const Port& from, const Port& to, std::span<const Aabb> obstacles,
                                              double clearance, double stub) {
  std::vector<Aabb> boxes;
  boxes.reserve(obstacles.size());
  for (const Aabb& o : obstacles) boxes.push_back(o.expanded(clearance));
  // The first candidates, in order: source port, its stub end, the target's
  // stub end, target port.
  const std::array<Point, 4> fixed{Point{from.x, from.y}, stub_end(from, stub), stub_end(to, stub), Point{to.x, to.y}};

  VisibilityGraph graph = build_graph(fixed, boxes);
  // Both ports are candidates, so they are found among the sorted keys.
  const std::uint32_t start = node_of(graph.keys, graph.candidates, key_of(fixed[0]));
  const std::uint32_t target = node_of(graph.keys, graph.candidates, key_of(fixed[3]));
  std::optional<std::vector<Point>> path = shortest_path(graph, start, target);
  return thin(straighten(path ? *path : over_the_top(fixed, boxes)));
}

}  // namespace borvane::scene
