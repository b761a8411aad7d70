#include "analyses/combos/wheel.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>

#include "analyses/combos/wheel_designs.h"

namespace km {

namespace {

// The search works on the pool's indices 0..v-1: a line, a T-subset (a key)
// and an M-subset (an element) are masks of those indices.
using Mask = std::uint32_t;
constexpr int kLineSize = 5;
constexpr int kMinPool = 6;
constexpr int kMaxPool = 31;
constexpr int kMaxNumber = 31;

struct Binomials {
  long long c[kMaxPool + 2][kMaxPool + 2] = {};
  constexpr Binomials() {
    for (int n = 0; n <= kMaxPool + 1; ++n) {
      c[n][0] = 1;
      for (int k = 1; k <= n; ++k) c[n][k] = c[n - 1][k - 1] + c[n - 1][k];
    }
  }
};
constexpr Binomials kBinomials;

// The bits set (std::popcount may be a library call on the baseline instruction set).
inline int bits(Mask x) {
  x = x - ((x >> 1) & 0x55555555u);
  x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
  return static_cast<int>((((x + (x >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24);
}

long long choose(int n, int k) { return n < 0 || k < 0 || k > n ? 0 : kBinomials.c[n][k]; }

// The place of a subset among the subsets of its size in colex order (the
// order in which nextSubset runs through them).
int rankOf(Mask m) {
  long long r = 0;
  for (int i = 1; m; ++i, m &= m - 1) r += choose(std::countr_zero(m), i);
  return static_cast<int>(r);
}

// The next larger mask with as many bits.
std::uint64_t nextSubset(std::uint64_t x) {
  const std::uint64_t low = x & (~x + 1);
  const std::uint64_t ripple = x + low;
  return (((ripple ^ x) >> 2) / low) | ripple;
}

// Calls f(mask) for every k-subset of {0..n-1}, in colex order.
template <class F>
void forEachSubset(int n, int k, F&& f) {
  if (k == 0) return f(Mask{0});
  for (std::uint64_t x = (std::uint64_t{1} << k) - 1; x < (std::uint64_t{1} << n); x = nextSubset(x))
    f(static_cast<Mask>(x));
}

// Calls f(subset) for every k-subset of the bits of `set` (at most 8 bits).
template <class F>
void forEachSubsetOf(Mask set, int k, F&& f) {
  int at[8];
  int n = 0;
  for (Mask s = set; s && n < 8; s &= s - 1) at[n++] = std::countr_zero(s);
  forEachSubset(n, k, [&](Mask pick) {
    Mask m = 0;
    for (; pick; pick &= pick - 1) m |= Mask{1} << at[std::countr_zero(pick)];
    f(m);
  });
}

// The request's numbers as a sorted pool, or why not.
std::string checkRequest(const WheelRequest& r, std::vector<int>& pool) {
  pool = r.pool;
  for (int n : pool)
    if (n < 1 || n > kMaxNumber) return "数字「" + std::to_string(n) + "」は1〜31の数字ではありません。";
  std::sort(pool.begin(), pool.end());
  for (size_t i = 1; i < pool.size(); ++i)
    if (pool[i] == pool[i - 1]) return "数字" + std::to_string(pool[i]) + "が2回あります。";
  if (pool.size() < static_cast<size_t>(kMinPool) || pool.size() > static_cast<size_t>(kMaxPool))
    return "数字は6〜31個選んでください（今は" + std::to_string(pool.size()) + "個です）。";
  if (r.match < 2 || r.match > 4) return "一致させる個数は2〜4個にしてください。";
  if (r.ifDrawn < r.match || r.ifDrawn > kLineSize)
    return "選んだ数字に入る当せん数字の個数は、一致させる個数（" + std::to_string(r.match) +
           "個）から5個までにしてください。";
  return {};
}

// The shape of a problem: v indices, keys of t, elements of m.
struct Shape {
  int v = 0, t = 0, m = 0;
  int keys = 0, elems = 0;
  int perKey = 0;              // the elements holding one key
  std::vector<int> supers;     // m > t: for key k, its elements at [k * perKey, (k + 1) * perKey)
  std::vector<Mask> elemMask;  // by rank

  Shape(int v_, int t_, int m_) : v(v_), t(t_), m(m_) {
    keys = static_cast<int>(choose(v, t));
    elems = static_cast<int>(choose(v, m));
    perKey = static_cast<int>(choose(v - t, m - t));
    elemMask.reserve(static_cast<size_t>(elems));
    forEachSubset(v, m, [&](Mask e) { elemMask.push_back(e); });
    if (m == t) return;
    supers.resize(static_cast<size_t>(keys) * static_cast<size_t>(perKey));
    std::vector<int> fill(static_cast<size_t>(keys), 0);
    for (int e = 0; e < elems; ++e)
      forEachSubsetOf(elemMask[static_cast<size_t>(e)], t, [&](Mask k) {
        const int kr = rankOf(k);
        supers[static_cast<size_t>(kr) * static_cast<size_t>(perKey) + static_cast<size_t>(fill[kr]++)] = e;
      });
  }
  const int* superBegin(int key) const {
    return supers.data() + static_cast<size_t>(key) * static_cast<size_t>(perKey);
  }
};

struct Key {
  Mask mask;
  int rank;
};

// The keys a line holds: C(5, t) of them.
int keysOf(Mask line, int t, Key* out) {
  int n = 0;
  forEachSubsetOf(line, t, [&](Mask k) { out[n++] = {k, rankOf(k)}; });
  return n;
}

// Which keys the lines hold and which elements stay uncovered, kept up to
// date line by line; the uncovered elements that some usable line could
// cover are an indexed set to draw from.
class Coverage {
 public:
  Coverage(const Shape& s, const std::vector<char>& reachable) : s_(s) {
    held_.assign(static_cast<size_t>(s.keys), 0);
    if (s.m != s.t) keysIn_.assign(static_cast<size_t>(s.elems), 0);
    pos_.assign(static_cast<size_t>(s.elems), -1);
    for (int e = 0; e < s.elems; ++e)
      if (reachable[static_cast<size_t>(e)]) insert(e);
  }

  void add(Mask line) {
    Key k[10];
    const int n = keysOf(line, s_.t, k);
    for (int i = 0; i < n; ++i)
      if (held_[static_cast<size_t>(k[i].rank)]++ == 0) keyGained(k[i].rank);
  }
  void remove(Mask line) {
    Key k[10];
    const int n = keysOf(line, s_.t, k);
    for (int i = 0; i < n; ++i)
      if (--held_[static_cast<size_t>(k[i].rank)] == 0) keyLost(k[i].rank);
  }

  // How the uncovered count would change if the line `from` became `to`
  // (0: no line), changing nothing.
  long long delta(Mask from, Mask to) {
    Key a[10], b[10];
    const int na = from ? keysOf(from, s_.t, a) : 0;
    const int nb = to ? keysOf(to, s_.t, b) : 0;
    int lost[10], gained[10], nl = 0, ng = 0;
    for (int i = 0; i < na; ++i)
      if ((a[i].mask & ~to) != 0 && held_[static_cast<size_t>(a[i].rank)] == 1) lost[nl++] = a[i].rank;
    for (int i = 0; i < nb; ++i)
      if ((b[i].mask & ~from) != 0 && held_[static_cast<size_t>(b[i].rank)] == 0) gained[ng++] = b[i].rank;
    return delta(lost, nl, gained, ng);
  }

  // A change of one number of a line, `out` for `in`, in two halves: the keys
  // only this line holds that hold `out` (lost), and the keys no line holds
  // that would hold `in` (gained); `rest` is the line without `out`.
  int lostKeys(Mask out, Mask rest, int* ranks) const { return keysThrough(out, rest, 1, ranks); }
  int gainedKeys(Mask in, Mask rest, int* ranks) const { return keysThrough(in, rest, 0, ranks); }
  // How the uncovered count would change with those keys lost and gained, changing nothing.
  long long delta(const int* lost, int nl, const int* gained, int ng) {
    if (s_.m == s_.t) return nl - ng;
    long long d = 0;
    for (int i = 0; i < nl; ++i)
      for (const int* e = s_.superBegin(lost[i]); e != s_.superBegin(lost[i]) + s_.perKey; ++e)
        if (--keysIn_[static_cast<size_t>(*e)] == 0) ++d;
    for (int i = 0; i < ng; ++i)
      for (const int* e = s_.superBegin(gained[i]); e != s_.superBegin(gained[i]) + s_.perKey; ++e)
        if (keysIn_[static_cast<size_t>(*e)]++ == 0) --d;
    for (int i = 0; i < ng; ++i)
      for (const int* e = s_.superBegin(gained[i]); e != s_.superBegin(gained[i]) + s_.perKey; ++e)
        --keysIn_[static_cast<size_t>(*e)];
    for (int i = 0; i < nl; ++i)
      for (const int* e = s_.superBegin(lost[i]); e != s_.superBegin(lost[i]) + s_.perKey; ++e)
        ++keysIn_[static_cast<size_t>(*e)];
    return d;
  }

  long long uncovered() const { return static_cast<long long>(list_.size()); }
  int uncoveredAt(size_t i) const { return list_[i]; }

 private:
  void keyGained(int key) {
    if (s_.m == s_.t) return erase(key);
    for (const int* e = s_.superBegin(key); e != s_.superBegin(key) + s_.perKey; ++e)
      if (keysIn_[static_cast<size_t>(*e)]++ == 0) erase(*e);
  }
  void keyLost(int key) {
    if (s_.m == s_.t) return insert(key);
    for (const int* e = s_.superBegin(key); e != s_.superBegin(key) + s_.perKey; ++e)
      if (--keysIn_[static_cast<size_t>(*e)] == 0) insert(*e);
  }
  // The keys holding `point` and t - 1 of the four numbers of `rest` that
  // `held` lines hold.
  int keysThrough(Mask point, Mask rest, int held, int* ranks) const {
    static constexpr std::uint8_t kPatterns[4][6] = {
        {0}, {1, 2, 4, 8}, {3, 5, 6, 9, 10, 12}, {7, 11, 13, 14}};  // t - 1 of 4
    static constexpr int kCount[4] = {1, 4, 6, 4};
    Mask at[4];
    int n = 0;
    for (Mask r = rest; r && n < 4; r &= r - 1) at[n++] = r & (~r + 1);
    int count = 0;
    for (int p = 0; p < kCount[s_.t - 1]; ++p) {
      Mask k = point;
      for (int j = 0; j < 4; ++j)
        if (kPatterns[s_.t - 1][p] >> j & 1) k |= at[j];
      const int r = rankOf(k);
      if (held_[static_cast<size_t>(r)] == held) ranks[count++] = r;
    }
    return count;
  }
  void insert(int e) {
    pos_[static_cast<size_t>(e)] = static_cast<int>(list_.size());
    list_.push_back(e);
  }
  void erase(int e) {
    const int at = pos_[static_cast<size_t>(e)];
    const int last = list_.back();
    list_[static_cast<size_t>(at)] = last;
    pos_[static_cast<size_t>(last)] = at;
    list_.pop_back();
    pos_[static_cast<size_t>(e)] = -1;
  }

  const Shape& s_;
  std::vector<int> held_;             // lines holding each key
  std::vector<std::uint8_t> keysIn_;  // m > t: held keys within each element
  std::vector<int> list_, pos_;       // the uncovered elements some line could cover
};

// How long the search may go on, the same for the same request (never the
// clock): a unit of work for each line a step looks at and each count it
// changes, a few seconds of a processor at most in all (pools of 21 and more
// with 3 of 3 reach it); and at one size, four fruitless attempts of 30 steps
// a key (a T-subset), after which pools up to 20 gain little.
struct Effort {
  long long work;
  long long attemptSteps;
  int attempts;
};
Effort effortFor(const Shape& s) {
  constexpr long long kWork = 150'000'000, kStepsPerKey = 30;
  constexpr int kAttempts = 4;
  return {kWork, std::max<long long>(3000, kStepsPerKey * s.keys), kAttempts};
}

// The search for few lines covering every reachable element: a greedy start,
// then, one line fewer at a time, a tabu search over single-number changes of
// a line that drives the uncovered count to zero.  Every choice draws on one
// generator seeded from the request, so the same request gives the same lines.
class Search {
 public:
  Search(const Shape& s, const std::vector<Mask>* allowed, const WheelControl& control, std::uint64_t seed)
      : s_(s), allowed_(allowed), control_(control), rng_(seed) {
    reachable_.assign(static_cast<size_t>(s.elems), 1);
    if (allowed_) {
      // an element is reachable when some usable line holds one of its keys
      std::vector<char> keyUsable(static_cast<size_t>(s.keys), 0);
      Key k[10];
      for (Mask line : *allowed_) {
        const int n = keysOf(line, s.t, k);
        for (int i = 0; i < n; ++i) keyUsable[static_cast<size_t>(k[i].rank)] = 1;
      }
      for (int e = 0; e < s.elems; ++e) {
        bool any = false;
        forEachSubsetOf(s.elemMask[static_cast<size_t>(e)], s.t,
                        [&](Mask key) { any = any || keyUsable[static_cast<size_t>(rankOf(key))]; });
        reachable_[static_cast<size_t>(e)] = any;
      }
    }
    cover_ = std::make_unique<Coverage>(s, reachable_);
  }

  bool cancelled() const { return cancelled_; }

  // Lines covering every reachable element, as few as the search finds
  // before `target`, the work given out, or as many fruitless attempts at
  // one size as the effort allows; from the lines `start` and as many more
  // as they need.
  std::vector<Mask> run(int target, const Effort& effort, const std::vector<Mask>& start) {
    effort_ = effort;
    for (Mask line : start) {
      cover_->add(line);
      lines_.push_back(line);
    }
    greedy();
    if (cancelled_) return {};
    std::vector<Mask> best = lines_;
    int failed = 0;
    while (static_cast<int>(best.size()) > target && used_ < effort_.work && failed < effort_.attempts) {
      dropLine();
      if (descend()) {
        best = lines_;
        failed = 0;
        continue;
      }
      if (cancelled_) return {};
      // no cover one line smaller within the steps given: again from the best, another line dropped
      ++failed;
      restore(best);
    }
    report(100);
    return best;
  }

 private:
  // A number 0..n-1 at random (by multiplication rather than the library's
  // distributions, so that every standard library draws the same).
  std::uint64_t draw(std::uint64_t n) { return static_cast<std::uint64_t>((unsigned __int128){rng_()} * n >> 64); }
  void shuffle(int* first, int n) {
    for (int i = n - 1; i > 0; --i) std::swap(first[i], first[draw(static_cast<std::uint64_t>(i) + 1)]);
  }

  bool stopAsked() {
    if (control_.stop && control_.stop->load(std::memory_order_relaxed)) cancelled_ = true;
    return cancelled_;
  }
  void report(int percent) {
    if (percent > lastPercent_ && control_.progress) control_.progress(percent);
    lastPercent_ = std::max(lastPercent_, percent);
  }

  bool isAllowed(Mask line) const { return std::binary_search(allowed_->begin(), allowed_->end(), line); }

  Mask anyUncovered() {
    return s_.elemMask[static_cast<size_t>(cover_->uncoveredAt(draw(static_cast<std::uint64_t>(cover_->uncovered()))))];
  }

  // The usable lines that hold t numbers of e.
  std::vector<Mask> allowedThrough(Mask e) const {
    std::vector<Mask> fit;
    for (Mask line : *allowed_)
      if (bits(line & e) >= s_.t) fit.push_back(line);
    return fit;
  }

  // A line through t numbers of e drawn at random, filled up with numbers of
  // `keep` and then any others; from `fit` when only usable lines may be drawn.
  Mask randomLineFor(Mask e, Mask keep, const std::vector<Mask>& fit) {
    if (allowed_) return fit.empty() ? 0 : fit[draw(fit.size())];
    int from[kMaxPool];
    int n = 0;
    for (Mask x = e; x; x &= x - 1) from[n++] = std::countr_zero(x);
    shuffle(from, n);
    Mask line = 0;
    for (int i = 0; i < s_.t; ++i) line |= Mask{1} << from[i];
    n = 0;
    for (Mask x = keep & ~line; x; x &= x - 1) from[n++] = std::countr_zero(x);
    shuffle(from, n);
    for (int i = 0; bits(line) < kLineSize && i < n; ++i) line |= Mask{1} << from[i];
    while (bits(line) < kLineSize) line |= Mask{1} << draw(static_cast<std::uint64_t>(s_.v));
    return line;
  }

  // Lines added one at a time, each the best of a few drawn for an uncovered element.
  void greedy() {
    constexpr int kTries = 24;
    std::vector<Mask> fit;
    while (cover_->uncovered() > 0) {
      if (stopAsked()) return;
      const Mask e = anyUncovered();
      if (allowed_) fit = allowedThrough(e);
      Mask best = 0;
      long long bestGain = 0;
      for (int i = 0; i < kTries; ++i) {
        const Mask line = randomLineFor(e, 0, fit);
        if (!line) break;
        const long long gain = -cover_->delta(0, line);
        if (gain > bestGain) {
          bestGain = gain;
          best = line;
        }
      }
      if (!best) break;  // cannot happen: e is reachable
      cover_->add(best);
      lines_.push_back(best);
      used_ += static_cast<long long>(kTries) * s_.perKey;
    }
  }

  void restore(const std::vector<Mask>& lines) {
    for (Mask l : lines_) cover_->remove(l);
    lines_ = lines;
    for (Mask l : lines_) cover_->add(l);
  }

  // Takes away the line whose loss uncovers least.
  void dropLine() {
    size_t at = 0;
    long long least = -1;
    int ties = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
      const long long d = cover_->delta(lines_[i], 0);
      if (least < 0 || d < least) {
        least = d;
        at = i;
        ties = 1;
      } else if (d == least && draw(static_cast<std::uint64_t>(++ties)) == 0) {
        at = i;
      }
    }
    used_ += static_cast<long long>(lines_.size()) * s_.perKey;
    cover_->remove(lines_[at]);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
  }

  struct Move {
    size_t line;
    Mask out, in;
  };

  // Tabu search until nothing reachable is uncovered or the attempt's steps
  // run out.  Each step draws an uncovered element and takes the best change
  // of one number of a line that brings the line to t numbers of it; a
  // number just taken out of a line stays out for a step or a few, unless
  // bringing it back leaves fewer uncovered than ever in this attempt.
  bool descend() {
    constexpr long long kTenure = 1, kTenureSpread = 4;
    // with M > T a change is costly to weigh (each key a line gains or loses
    // touches perKey elements): a sample is weighed, of about this many elements in all
    constexpr size_t kElementsWeighed = 2000;
    const size_t weighedAtMost = std::max<size_t>(12, kElementsWeighed / static_cast<size_t>(s_.perKey));
    const size_t b = lines_.size();
    std::vector<long long> tabu(b * static_cast<size_t>(s_.v), 0);  // [line][number]: not back before this step
    std::vector<Move> moves;
    long long bestSeen = cover_->uncovered();
    std::vector<Mask> fit;
    for (long long step = 0; cover_->uncovered() > 0; ++step) {
      if (step >= effort_.attemptSteps || used_ >= effort_.work) return false;
      if ((step & 63) == 0) {
        if (stopAsked()) return false;
        report(static_cast<int>(std::min<long long>(99, used_ * 100 / std::max<long long>(1, effort_.work))));
      }
      const Mask e = anyUncovered();
      moves.clear();
      for (size_t i = 0; i < b; ++i) {
        const Mask line = lines_[i];
        if (bits(line & e) != s_.t - 1) continue;
        for (Mask outs = line & ~e; outs; outs &= outs - 1)
          for (Mask ins = e & ~line; ins; ins &= ins - 1) {
            const Mask out = outs & (~outs + 1), in = ins & (~ins + 1);
            if (!allowed_ || isAllowed((line & ~out) | in)) moves.push_back({i, out, in});
          }
      }
      used_ += static_cast<long long>(b);
      if (s_.m != s_.t && moves.size() > weighedAtMost) {
        for (size_t k = 0; k < weighedAtMost; ++k) std::swap(moves[k], moves[k + draw(moves.size() - k)]);
        moves.resize(weighedAtMost);
      }
      long long bestDelta = 0;
      int found = 0;
      Move chosen{0, 0, 0};
      for (const Move& mv : moves) {
        const Mask rest = lines_[mv.line] & ~mv.out;
        int lost[6], gained[6];
        const int nl = cover_->lostKeys(mv.out, rest, lost);
        const int ng = cover_->gainedKeys(mv.in, rest, gained);
        used_ += 1 + (nl + ng) * (s_.perKey - 1);
        const long long d = cover_->delta(lost, nl, gained, ng);
        const bool banned =
            tabu[mv.line * static_cast<size_t>(s_.v) + static_cast<size_t>(std::countr_zero(mv.in))] > step;
        if (banned && cover_->uncovered() + d >= bestSeen) continue;
        if (found == 0 || d < bestDelta) {
          bestDelta = d;
          found = 1;
          chosen = mv;
        } else if (d == bestDelta && draw(static_cast<std::uint64_t>(++found)) == 0) {
          chosen = mv;
        }
      }
      size_t at = chosen.line;
      Mask to = (lines_[at] & ~chosen.out) | chosen.in;
      if (found == 0) {
        // no single change will do: a line drawn at random becomes one through e
        at = draw(b);
        if (allowed_) fit = allowedThrough(e);
        to = randomLineFor(e, lines_[at], fit);
        if (!to) continue;
      }
      const Mask from = lines_[at];
      cover_->remove(from);
      cover_->add(to);
      lines_[at] = to;
      for (Mask gone = from & ~to; gone; gone &= gone - 1)
        tabu[at * static_cast<size_t>(s_.v) + static_cast<size_t>(std::countr_zero(gone))] =
            step + kTenure + static_cast<long long>(draw(kTenureSpread));
      bestSeen = std::min(bestSeen, cover_->uncovered());
    }
    return true;
  }

  const Shape& s_;
  const std::vector<Mask>* allowed_;  // sorted; null: any line
  const WheelControl& control_;
  std::mt19937_64 rng_;
  std::vector<char> reachable_;
  std::unique_ptr<Coverage> cover_;
  std::vector<Mask> lines_;
  Effort effort_{};
  long long used_ = 0;
  int lastPercent_ = -1;
  bool cancelled_ = false;
};

// Turán numbers: the least number of r-subsets of an n-set such that every
// l-subset holds one, from below.  r = 2 is Turán's theorem (the complement
// of the Turán graph: l - 1 near-equal cliques); otherwise the better of the
// bound of Katona, Nemetz and Simonovits (T(n) >= n / (n - r) T(n - 1),
// T(l) = 1) and de Caen's (T >= (n - l + 1) / (n - r + 1) C(n, r) / C(l - 1, r - 1)).
long long turanLowerBound(int n, int l, int r) {
  if (r == 2) {
    long long edges = 0;
    for (int part = 0; part < l - 1; ++part) {
      const int size = n / (l - 1) + (part < n % (l - 1) ? 1 : 0);
      edges += choose(size, 2);
    }
    return edges;
  }
  long long kns = 1;
  for (int k = l + 1; k <= n; ++k) kns = (k * kns + (k - r) - 1) / (k - r);
  const long long num = static_cast<long long>(n - l + 1) * choose(n, r);
  const long long den = static_cast<long long>(n - r + 1) * choose(l - 1, r - 1);
  return std::max(kns, (num + den - 1) / den);
}

}  // namespace

int schoenheimBound(int v, int match, int ifDrawn) {
  if (v < 1 || match < 1 || match > kLineSize || ifDrawn < match || v < ifDrawn) return 0;
  if (ifDrawn == match) {
    // Schönheim: C(v, 5, t) >= ceil(v / 5 * C(v - 1, 4, t - 1)), iterated
    long long x = 1;
    for (int i = match - 1; i >= 0; --i) x = ((v - i) * x + (kLineSize - i) - 1) / (kLineSize - i);
    return static_cast<int>(x);
  }
  // M > T: the T-subsets that lie within some line meet every M-subset, so
  // there are at least the Turán number T(v, M, T) of them, and a line holds
  // C(5, T): lines >= ceil(T(v, M, T) / C(5, T)).
  const long long keys = turanLowerBound(v, ifDrawn, match);
  const long long perLine = choose(kLineSize, match);
  return static_cast<int>(std::max<long long>(1, (keys + perLine - 1) / perLine));
}

long long uncoveredSubsets(const std::vector<int>& pool, int match, int ifDrawn, const std::vector<WheelLine>& lines) {
  if (pool.size() > static_cast<size_t>(kMaxPool) || match < 1 || ifDrawn < match || ifDrawn > kLineSize) return -1;
  int index[kMaxNumber + 1];
  std::fill(std::begin(index), std::end(index), -1);
  for (size_t i = 0; i < pool.size(); ++i) {
    if (pool[i] < 1 || pool[i] > kMaxNumber || index[pool[i]] >= 0) return -1;
    index[pool[i]] = static_cast<int>(i);
  }
  const int v = static_cast<int>(pool.size());
  if (ifDrawn > v) return 0;
  // the T-subsets of the pool that lie within a line
  std::vector<char> held(static_cast<size_t>(choose(v, match)), 0);
  for (const WheelLine& line : lines) {
    Mask m = 0;
    for (int n : line)
      if (n >= 1 && n <= kMaxNumber && index[n] >= 0) m |= Mask{1} << index[n];
    if (bits(m) >= match) forEachSubsetOf(m, match, [&](Mask k) { held[static_cast<size_t>(rankOf(k))] = 1; });
  }
  // an M-subset is met in T numbers by a line exactly when one of its T-subsets lies within that line
  long long uncovered = 0;
  forEachSubset(v, ifDrawn, [&](Mask e) {
    bool met = false;
    forEachSubsetOf(e, match, [&](Mask k) { met = met || held[static_cast<size_t>(rankOf(k))]; });
    if (!met) ++uncovered;
  });
  return uncovered;
}

namespace {

std::optional<std::vector<Mask>> wheelOverIndices(int v, int t, int m, const std::vector<Mask>* allowed,
                                                  const WheelControl& control);

// For M > T, a wheel from wheels of T of T: split the pool into g groups so
// that any M numbers have ceil(M / g) >= T numbers in one group, and take a
// covering of each group's T-subsets (a group of five or fewer numbers is one
// line).  Empty when no such split helps; null when stopped.
std::optional<std::vector<Mask>> splitWheel(int v, int t, int m, const WheelControl& control) {
  std::vector<Mask> best;
  const WheelControl quiet{control.stop, {}};
  for (int g = 2; g <= m && (m + g - 1) / g >= t; ++g) {
    std::vector<Mask> lines;
    int first = 0;
    for (int group = 0; group < g; ++group) {
      const int size = v / g + (group < v % g ? 1 : 0);
      const Mask members = ((Mask{1} << size) - 1) << first;
      if (size <= kLineSize) {
        Mask line = members;
        for (int x = 0; bits(line) < kLineSize; ++x) line |= Mask{1} << x;
        lines.push_back(line);
      } else {
        const std::optional<std::vector<Mask>> part = wheelOverIndices(size, t, t, nullptr, quiet);
        if (!part) return std::nullopt;
        for (Mask line : *part) lines.push_back(line << first);
      }
      first += size;
    }
    if (best.empty() || lines.size() < best.size()) best = lines;
  }
  return best;
}

// A wheel over the indices 0..v-1 (only `allowed` lines when given); null when stopped.
std::optional<std::vector<Mask>> wheelOverIndices(int v, int t, int m, const std::vector<Mask>* allowed,
                                                  const WheelControl& control) {
  std::vector<Mask> chosen;
  if (const std::vector<WheelLine>* design = knownDesign(v, t, m)) {
    // a design from the literature, used when every line of it may be used
    for (const WheelLine& d : *design) {
      Mask mask = 0;
      for (int x : d) mask |= Mask{1} << x;
      if (allowed && !std::binary_search(allowed->begin(), allowed->end(), mask)) {
        chosen.clear();
        break;
      }
      chosen.push_back(mask);
    }
  }
  if (!chosen.empty()) {
    if (control.progress) control.progress(100);
    return chosen;
  }
  if (allowed && allowed->empty()) return chosen;  // no line may be used
  std::vector<Mask> start;
  if (m > t && !allowed) {
    const std::optional<std::vector<Mask>> split = splitWheel(v, t, m, control);
    if (!split) return std::nullopt;
    start = *split;
  }
  const Shape shape(v, t, m);
  const std::uint64_t seed = 0x9E3779B97F4A7C15ULL ^ (static_cast<std::uint64_t>(v) << 16) ^
                             (static_cast<std::uint64_t>(t) << 8) ^ static_cast<std::uint64_t>(m) ^
                             (static_cast<std::uint64_t>(allowed ? allowed->size() : 0) << 24);
  Search search(shape, allowed, control, seed);
  const int target = std::max(schoenheimBound(v, t, m), provenWheelMinimum(v, t, m).value_or(0));
  chosen = search.run(target, effortFor(shape), start);
  if (search.cancelled()) return std::nullopt;
  return chosen;
}

}  // namespace

Wheel makeWheel(const WheelRequest& request, const WheelControl& control) {
  Wheel w;
  std::vector<int> pool;
  w.reason = checkRequest(request, pool);
  if (!w.reason.empty()) return w;
  const int v = static_cast<int>(pool.size());
  const int t = request.match, m = request.ifDrawn;
  w.lowerBound = schoenheimBound(v, t, m);
  w.provenMinimum = provenWheelMinimum(v, t, m);

  std::vector<Mask> allowed;
  if (request.allowed) {
    int index[kMaxNumber + 1];
    std::fill(std::begin(index), std::end(index), -1);
    for (int i = 0; i < v; ++i) index[pool[static_cast<size_t>(i)]] = i;
    allowed.reserve(request.allowed->size());
    for (const WheelLine& line : *request.allowed) {
      Mask mask = 0;
      for (int n : line) mask |= n >= 1 && n <= kMaxNumber && index[n] >= 0 ? Mask{1} << index[n] : Mask{0};
      if (bits(mask) == kLineSize) allowed.push_back(mask);  // lines beyond the pool cannot be used
    }
    std::sort(allowed.begin(), allowed.end());
    allowed.erase(std::unique(allowed.begin(), allowed.end()), allowed.end());
  }
  const std::optional<std::vector<Mask>> chosen =
      wheelOverIndices(v, t, m, request.allowed ? &allowed : nullptr, control);
  if (!chosen) {
    w.status = Wheel::Cancelled;
    return w;
  }

  for (Mask mask : *chosen) {
    WheelLine line{};
    int n = 0;
    for (Mask x = mask; x; x &= x - 1) line[static_cast<size_t>(n++)] = pool[static_cast<size_t>(std::countr_zero(x))];
    w.lines.push_back(line);
  }
  std::sort(w.lines.begin(), w.lines.end());
  w.uncovered = uncoveredSubsets(pool, t, m, w.lines);
  // a wheel as small as the lower bound is the least there is
  if (w.uncovered == 0 && static_cast<int>(w.lines.size()) == w.lowerBound) w.provenMinimum = w.lowerBound;
  w.status = Wheel::Made;
  return w;
}

}  // namespace km
