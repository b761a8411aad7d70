#include "analyses/combos/wheel_designs.h"

#include <algorithm>
#include <set>

namespace km {

namespace {

using Block = std::vector<int>;

// The images of `base` under the group the permutations generate.
std::set<Block> orbit(const Block& base, const std::vector<std::vector<int>>& generators) {
  Block start = base;
  std::sort(start.begin(), start.end());
  std::set<Block> seen{start};
  std::vector<Block> todo{start};
  while (!todo.empty()) {
    const Block b = todo.back();
    todo.pop_back();
    for (const std::vector<int>& g : generators) {
      Block image;
      for (int x : b) image.push_back(g[static_cast<size_t>(x)]);
      std::sort(image.begin(), image.end());
      if (seen.insert(image).second) todo.push_back(image);
    }
  }
  return seen;
}

std::vector<WheelLine> linesOf(const std::set<Block>& blocks) {
  std::vector<WheelLine> lines;
  for (const Block& b : blocks)
    if (b.size() == 5) lines.push_back({b[0], b[1], b[2], b[3], b[4]});
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The projective plane of order 4: the 21 translates of the perfect
// difference set {0, 1, 4, 14, 16} modulo 21; every pair of 21 points lies
// on exactly one line.
std::vector<WheelLine> projectivePlane4() {
  std::set<Block> blocks;
  for (int s = 0; s < 21; ++s) {
    Block b;
    for (int d : {0, 1, 4, 14, 16}) b.push_back((d + s) % 21);
    std::sort(b.begin(), b.end());
    blocks.insert(b);
  }
  return linesOf(blocks);
}

// The affine plane of order 5 on the points (x, y) of Z5 x Z5 (index 5x + y):
// the lines y = ax + b and x = c; every pair of 25 points lies on one line.
std::vector<WheelLine> affinePlane5() {
  std::set<Block> blocks;
  for (int a = 0; a < 5; ++a)
    for (int b = 0; b < 5; ++b) {
      Block l;
      for (int x = 0; x < 5; ++x) l.push_back(5 * x + (a * x + b) % 5);
      std::sort(l.begin(), l.end());
      blocks.insert(l);
    }
  for (int c = 0; c < 5; ++c) blocks.insert({5 * c, 5 * c + 1, 5 * c + 2, 5 * c + 3, 5 * c + 4});
  return linesOf(blocks);
}

// The Steiner system S(4, 5, 11): the blocks through one point of S(5, 6, 12),
// the orbit of {1, 3, 4, 5, 9, inf} under PSL(2, 11) on GF(11) and inf (11),
// with that point left out; every 4-subset of 11 lies in exactly one line.
std::vector<WheelLine> steiner4_5_11() {
  constexpr int kInf = 11;
  std::vector<int> shift(12), times3(12), invert(12);
  for (int x = 0; x < 11; ++x) {
    shift[static_cast<size_t>(x)] = (x + 1) % 11;
    times3[static_cast<size_t>(x)] = (3 * x) % 11;
    int inverse = 0;
    for (int y = 1; y < 11; ++y)
      if (x * y % 11 == 1) inverse = y;
    invert[static_cast<size_t>(x)] = x == 0 ? kInf : (11 - inverse) % 11;  // x -> -1/x
  }
  shift[kInf] = times3[kInf] = kInf;
  invert[kInf] = 0;
  std::set<Block> derived;
  for (Block b : orbit({1, 3, 4, 5, 9, kInf}, {shift, times3, invert}))
    if (b.back() == kInf) {
      b.pop_back();
      derived.insert(b);
    }
  return linesOf(derived);
}

// The inversive plane of order 4, S(3, 5, 17): the orbit of GF(4) and inf
// under x -> ax + b and x -> 1/x on GF(16) and inf (16), GF(16) modulo
// x^4 + x + 1; every 3-subset of 17 lies in exactly one line.
std::vector<WheelLine> inversivePlane4() {
  constexpr int kInf = 16;
  auto times = [](int a, int b) {
    int r = 0;
    for (; b; b >>= 1) {
      if (b & 1) r ^= a;
      a <<= 1;
      if (a & 16) a ^= 0b10011;
    }
    return r;
  };
  std::vector<std::vector<int>> generators;
  for (int a = 1; a < 16; ++a)
    for (int b = 0; b < 16; ++b) {
      std::vector<int> g(17);
      for (int x = 0; x < 16; ++x) g[static_cast<size_t>(x)] = times(a, x) ^ b;
      g[kInf] = kInf;
      generators.push_back(g);
    }
  std::vector<int> invert(17);
  for (int x = 1; x < 16; ++x)
    for (int y = 1; y < 16; ++y)
      if (times(x, y) == 1) invert[static_cast<size_t>(x)] = y;
  invert[0] = kInf;
  invert[kInf] = 0;
  generators.push_back(invert);
  Block subfield;
  for (int x = 0; x < 16; ++x)
    if (times(times(x, x), times(x, x)) == x) subfield.push_back(x);  // x^4 = x
  subfield.push_back(kInf);
  return linesOf(orbit(subfield, generators));
}

}  // namespace

const std::vector<KnownDesign>& knownDesigns() {
  static const std::vector<KnownDesign> designs = [] {
    std::vector<KnownDesign> d;
    d.push_back({21, 2, projectivePlane4(), "射影平面（位数4）"});
    d.push_back({25, 2, affinePlane5(), "アフィン平面（位数5）"});
    d.push_back({11, 4, steiner4_5_11(), "シュタイナー系 S(4,5,11)"});
    d.push_back({17, 3, inversivePlane4(), "反転平面（位数4）S(3,5,17)"});
    return d;
  }();
  return designs;
}

const std::vector<WheelLine>* knownDesign(int v, int match, int ifDrawn) {
  if (match != ifDrawn) return nullptr;
  for (const KnownDesign& d : knownDesigns())
    if (d.v == v && d.match == match) return &d.lines;
  return nullptr;
}

std::optional<int> provenWheelMinimum(int v, int match, int ifDrawn) {
  if (match != ifDrawn) return std::nullopt;
  // C(v, 5, 4) for v = 6..12: Mills and Mullin, "Coverings and packings", in
  // Dinitz and Stinson (eds.), Contemporary Design Theory (1992); the CRC
  // Handbook of Combinatorial Designs (1996), the table of C(v, k, k - 1).
  if (match == 4 && v >= 6 && v <= 12) {
    constexpr int kFourOfFive[] = {5, 9, 20, 30, 51, 66, 113};
    return kFourOfFive[v - 6];
  }
  // A design built in meets Schönheim's bound: none can be smaller.
  if (const std::vector<WheelLine>* d = knownDesign(v, match, ifDrawn)) return static_cast<int>(d->size());
  return std::nullopt;
}

}  // namespace km
