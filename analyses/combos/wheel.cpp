#include "analyses/combos/wheel.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
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

  // Lines covering every reachable element, as few as the budget finds.
  std::vector<Mask> run(int target, long long budget) {
    budget_ = budget;
    greedy();
    if (cancelled_) return {};
    std::vector<Mask> best = lines_;
    while (static_cast<int>(best.size()) > target && used_ < budget_) {
      dropLine();
      if (descend()) {
        best = lines_;
        continue;
      }
      if (cancelled_) return {};
      // no cover one line smaller within the steps given: start again from the best with the steps left
      restore(best);
    }
    report(100);
    return best;
  }

 private:
  std::uint64_t draw(std::uint64_t n) {
    return n <= 1 ? 0 : std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng_);
  }

  bool stopAsked() {
    if (control_.stop && control_.stop->load(std::memory_order_relaxed)) cancelled_ = true;
    return cancelled_;
  }
  void report(int percent) {
    if (percent > lastPercent_ && control_.progress) control_.progress(percent);
    lastPercent_ = std::max(lastPercent_, percent);
  }
  void reportSteps() {
    report(static_cast<int>(std::min<long long>(99, used_ * 100 / std::max<long long>(1, budget_))));
  }

  bool isAllowed(Mask line) const { return std::binary_search(allowed_->begin(), allowed_->end(), line); }

  // A random line holding t numbers of element e (and usable).
  Mask randomLineFor(Mask e, Mask keep) {
    if (allowed_) {
      std::vector<Mask> fit;
      for (Mask line : *allowed_)
        if (std::popcount(line & e) >= s_.t) fit.push_back(line);
      return fit.empty() ? 0 : fit[draw(fit.size())];
    }
    Mask line = 0;
    // t numbers of e, then numbers of `keep`, then any others, each at random
    std::vector<int> from;
    for (Mask x = e; x; x &= x - 1) from.push_back(std::countr_zero(x));
    std::shuffle(from.begin(), from.end(), rng_);
    for (int i = 0; i < s_.t; ++i) line |= Mask{1} << from[static_cast<size_t>(i)];
    from.clear();
    for (Mask x = keep & ~line; x; x &= x - 1) from.push_back(std::countr_zero(x));
    std::shuffle(from.begin(), from.end(), rng_);
    for (size_t i = 0; std::popcount(line) < kLineSize && i < from.size(); ++i) line |= Mask{1} << from[i];
    while (std::popcount(line) < kLineSize) line |= Mask{1} << draw(static_cast<std::uint64_t>(s_.v));
    return line;
  }

  // Lines added one at a time, each the best of a few drawn for an uncovered element.
  void greedy() {
    constexpr int kTries = 24;
    while (cover_->uncovered() > 0) {
      if (stopAsked()) return;
      const Mask e =
          s_.elemMask[static_cast<size_t>(cover_->uncoveredAt(draw(static_cast<std::uint64_t>(cover_->uncovered()))))];
      Mask best = 0;
      long long bestGain = 0;
      for (int i = 0; i < kTries; ++i) {
        const Mask line = randomLineFor(e, 0);
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
    cover_->remove(lines_[at]);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
  }

  // Tabu search until nothing reachable is uncovered or the steps run out.
  bool descend() {
    const size_t b = lines_.size();
    std::vector<long long> tabu(b * static_cast<size_t>(s_.v), 0);  // [line][number]: not to come back before
    long long bestSeen = cover_->uncovered();
    const long long limit = std::min(budget_, used_ + stepsPerSize());
    for (long long step = 0; cover_->uncovered() > 0; ++step) {
      if (used_ >= limit) return false;
      ++used_;
      if ((used_ & 255) == 0) {
        if (stopAsked()) return false;
        reportSteps();
      }
      const Mask e =
          s_.elemMask[static_cast<size_t>(cover_->uncoveredAt(draw(static_cast<std::uint64_t>(cover_->uncovered()))))];
      long long bestDelta = 0;
      int found = 0;
      size_t moveLine = 0;
      Mask moveTo = 0;
      for (size_t i = 0; i < b; ++i) {
        const Mask line = lines_[i];
        if (std::popcount(line & e) != s_.t - 1) continue;
        for (Mask outs = line & ~e; outs; outs &= outs - 1) {
          const Mask out = outs & (~outs + 1);
          for (Mask ins = e & ~line; ins; ins &= ins - 1) {
            const Mask in = ins & (~ins + 1);
            const Mask to = (line & ~out) | in;
            if (allowed_ && !isAllowed(to)) continue;
            const long long d = cover_->delta(line, to);
            const bool banned = tabu[i * static_cast<size_t>(s_.v) + static_cast<size_t>(std::countr_zero(in))] > step;
            if (banned && cover_->uncovered() + d >= bestSeen) continue;
            if (found == 0 || d < bestDelta) {
              bestDelta = d;
              found = 1;
              moveLine = i;
              moveTo = to;
            } else if (d == bestDelta && draw(static_cast<std::uint64_t>(++found)) == 0) {
              moveLine = i;
              moveTo = to;
            }
          }
        }
      }
      if (found == 0) {
        // no single change covers e: a line drawn at random takes a new line through e
        moveLine = draw(b);
        moveTo = randomLineFor(e, lines_[moveLine]);
        if (!moveTo) continue;
      }
      const Mask from = lines_[moveLine];
      cover_->remove(from);
      cover_->add(moveTo);
      lines_[moveLine] = moveTo;
      for (Mask gone = from & ~moveTo; gone; gone &= gone - 1)
        tabu[moveLine * static_cast<size_t>(s_.v) + static_cast<size_t>(std::countr_zero(gone))] =
            step + 3 + static_cast<long long>(draw(8));
      bestSeen = std::min(bestSeen, cover_->uncovered());
    }
    return true;
  }

  long long stepsPerSize() const { return std::max<long long>(2000, budget_ / 8); }

  const Shape& s_;
  const std::vector<Mask>* allowed_;  // sorted; null: any line
  const WheelControl& control_;
  std::mt19937_64 rng_;
  std::vector<char> reachable_;
  std::unique_ptr<Coverage> cover_;
  std::vector<Mask> lines_;
  long long budget_ = 0, used_ = 0;
  int lastPercent_ = -1;
  bool cancelled_ = false;
};

// The number of steps the search may take: the same for the same request.
long long stepBudget(const Shape& s) {
  (void)s;
  return 200000;
}

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
    if (std::popcount(m) >= match) forEachSubsetOf(m, match, [&](Mask k) { held[static_cast<size_t>(rankOf(k))] = 1; });
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

Wheel makeWheel(const WheelRequest& request, const WheelControl& control) {
  Wheel w;
  std::vector<int> pool;
  w.reason = checkRequest(request, pool);
  if (!w.reason.empty()) return w;
  const int v = static_cast<int>(pool.size());
  const int t = request.match, m = request.ifDrawn;
  w.lowerBound = schoenheimBound(v, t, m);
  w.provenMinimum = provenWheelMinimum(v, t, m);

  int index[kMaxNumber + 1];
  std::fill(std::begin(index), std::end(index), -1);
  for (int i = 0; i < v; ++i) index[pool[static_cast<size_t>(i)]] = i;
  auto maskOf = [&](const WheelLine& line) {
    Mask mask = 0;
    for (int n : line) {
      if (n < 1 || n > kMaxNumber || index[n] < 0) return Mask{0};
      mask |= Mask{1} << index[n];
    }
    return std::popcount(mask) == kLineSize ? mask : Mask{0};
  };

  std::vector<Mask> allowed;
  if (request.allowed) {
    allowed.reserve(request.allowed->size());
    for (const WheelLine& line : *request.allowed)
      if (const Mask mask = maskOf(line)) allowed.push_back(mask);  // lines beyond the pool cannot be used
    std::sort(allowed.begin(), allowed.end());
    allowed.erase(std::unique(allowed.begin(), allowed.end()), allowed.end());
  }

  std::vector<Mask> chosen;
  const std::vector<WheelLine>* design = knownDesign(v, t, m);
  if (design) {
    // a design from the literature, used when every line of it may be used
    for (const WheelLine& d : *design) {
      const Mask mask =
          maskOf({pool[static_cast<size_t>(d[0])], pool[static_cast<size_t>(d[1])], pool[static_cast<size_t>(d[2])],
                  pool[static_cast<size_t>(d[3])], pool[static_cast<size_t>(d[4])]});
      if (request.allowed && !std::binary_search(allowed.begin(), allowed.end(), mask)) {
        chosen.clear();
        break;
      }
      chosen.push_back(mask);
    }
  }
  if (chosen.empty()) {
    if (request.allowed && allowed.empty()) {
      // no line may be used: every M-subset stays uncovered
    } else {
      const Shape shape(v, t, m);
      const std::uint64_t seed = 0x9E3779B97F4A7C15ULL ^ (static_cast<std::uint64_t>(v) << 16) ^
                                 (static_cast<std::uint64_t>(t) << 8) ^ static_cast<std::uint64_t>(m) ^
                                 (static_cast<std::uint64_t>(allowed.size()) << 24);
      Search search(shape, request.allowed ? &allowed : nullptr, control, seed);
      const int target = std::max(w.lowerBound, w.provenMinimum.value_or(0));
      chosen = search.run(target, stepBudget(shape));
      if (search.cancelled()) {
        w.status = Wheel::Cancelled;
        return w;
      }
    }
  } else if (control.progress) {
    control.progress(100);
  }

  for (Mask mask : chosen) {
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
