#include "analyses/statistics/distributions.h"

#include <cmath>

namespace km {

namespace {

// P(a, x) by its power series; converges quickly for x < a + 1.
double gammaPSeries(double a, double x) {
  double term = 1.0 / a, sum = term;
  for (int n = 1; n < 1000; ++n) {
    term *= x / (a + n);
    sum += term;
    if (std::fabs(term) < std::fabs(sum) * 1e-15) break;
  }
  return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

// Q(a, x) by its continued fraction (modified Lentz); for x >= a + 1.
double gammaQFraction(double a, double x) {
  constexpr double kTiny = 1e-300;
  double b = x + 1 - a, c = 1 / kTiny, d = 1 / b, h = d;
  for (int i = 1; i < 1000; ++i) {
    const double an = -i * (i - a);
    b += 2;
    d = an * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double step = d * c;
    h *= step;
    if (std::fabs(step - 1) < 1e-15) break;
  }
  return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

}  // namespace

double gammaQ(double a, double x) {
  if (!(a > 0) || std::isnan(x)) return NAN;
  if (x <= 0) return 1;
  if (std::isinf(x)) return 0;
  return x < a + 1 ? 1 - gammaPSeries(a, x) : gammaQFraction(a, x);
}

double chiSquareUpperP(double x, int df) { return gammaQ(df / 2.0, x / 2.0); }

double normalTwoSidedP(double z) { return std::erfc(std::fabs(z) / std::sqrt(2.0)); }

const SumDistribution& exactSumDistribution() {
  static const SumDistribution dist = [] {
    // ways[k][s]: sets of k numbers among those taken so far that sum to s
    std::array<std::array<long long, kMaxSum + 1>, 6> ways{};
    ways[0][0] = 1;
    for (int n = 1; n <= 31; ++n)
      for (int k = 5; k >= 1; --k)
        for (int s = kMaxSum; s >= n; --s) ways[k][s] += ways[k - 1][s - n];
    SumDistribution d;
    d.ways = ways[5];
    for (long long w : d.ways) d.sets += w;
    double m1 = 0, m2 = 0;
    for (int s = 0; s <= kMaxSum; ++s) {
      m1 += d.probability(s) * s;
      m2 += d.probability(s) * s * s;
    }
    d.mean = m1;
    d.variance = m2 - m1 * m1;
    return d;
  }();
  return dist;
}

}  // namespace km
