#pragma once
// The distributions the randomness checks compare the history with: the
// chi-square and normal tails, and the exact distribution of the sum of five
// different numbers from 1..31.
#include <array>
#include <cstddef>

namespace km {

// The regularised upper incomplete gamma function Q(a, x) = Γ(a, x) / Γ(a),
// a > 0, x >= 0: the chance that a chi-square variable with 2a degrees of
// freedom exceeds 2x.  Accurate to about 1e-12.
double gammaQ(double a, double x);

// P(X >= x) for X chi-square with `df` degrees of freedom.
double chiSquareUpperP(double x, int df);

// P(|Z| >= |z|) for Z standard normal.
double normalTwoSidedP(double z);

// The sums of five different numbers from 1..31 run from 1+2+3+4+5 to 27+28+29+30+31.
inline constexpr int kMinSum = 15;
inline constexpr int kMaxSum = 145;

struct SumDistribution {
  std::array<long long, kMaxSum + 1> ways{};  // ways[s]: how many sets of five sum to s
  long long sets = 0;                         // C(31, 5)
  double mean = 0;
  double variance = 0;
  double probability(int sum) const {
    return sum < 0 || sum > kMaxSum ? 0.0 : static_cast<double>(ways[static_cast<size_t>(sum)]) / sets;
  }
};

// Counted over every set of five (numbers taken one at a time, sets counted
// by size and sum), not simulated.
const SumDistribution& exactSumDistribution();

}  // namespace km
