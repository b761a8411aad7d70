#include "analyses/popularity/ridge.h"

#include <cmath>
#include <cstddef>

namespace km {

namespace {

// A square matrix, row by row.
struct Square {
  explicit Square(size_t size) : n(size), v(size * size, 0.0) {}
  double& operator()(size_t r, size_t c) { return v[r * n + c]; }
  double operator()(size_t r, size_t c) const { return v[r * n + c]; }
  size_t n;
  std::vector<double> v;
};

// The lower Cholesky factor of a symmetric positive definite matrix, in
// place; false when it is not positive definite.
bool cholesky(Square& a) {
  const size_t n = a.n;
  for (size_t j = 0; j < n; ++j) {
    double d = a(j, j);
    for (size_t k = 0; k < j; ++k) d -= a(j, k) * a(j, k);
    if (!(d > 0) || !std::isfinite(d)) return false;
    a(j, j) = std::sqrt(d);
    for (size_t i = j + 1; i < n; ++i) {
      double s = a(i, j);
      for (size_t k = 0; k < j; ++k) s -= a(i, k) * a(j, k);
      a(i, j) = s / a(j, j);
    }
  }
  return true;
}

// Solves L L' x = b.
std::vector<double> solveCholesky(const Square& l, std::vector<double> b) {
  const size_t n = l.n;
  for (size_t i = 0; i < n; ++i) {
    for (size_t k = 0; k < i; ++k) b[i] -= l(i, k) * b[k];
    b[i] /= l(i, i);
  }
  for (size_t i = n; i-- > 0;) {
    for (size_t k = i + 1; k < n; ++k) b[i] -= l(k, i) * b[k];
    b[i] /= l(i, i);
  }
  return b;
}

}  // namespace

double predict(const SparseRow& row, const std::vector<double>& coef) {
  double s = 0;
  for (const auto& [c, v] : row) s += v * coef[static_cast<size_t>(c)];
  return s;
}

double quadraticForm(const std::vector<double>& u, const std::vector<std::vector<double>>& c) {
  double s = 0;
  for (size_t i = 0; i < u.size(); ++i) {
    if (u[i] == 0) continue;
    for (size_t j = 0; j < u.size(); ++j) s += u[i] * c[i][j] * u[j];
  }
  return s;
}

RidgeFit fitRidge(const std::vector<SparseRow>& x, const std::vector<double>& y, const std::vector<double>& penalty,
                  bool withCovariance) {
  std::vector<const SparseRow*> rows;
  rows.reserve(x.size());
  for (const SparseRow& r : x) rows.push_back(&r);
  return fitRidge(rows, y, penalty, withCovariance);
}

RidgeFit fitRidge(const std::vector<const SparseRow*>& x, const std::vector<double>& y,
                  const std::vector<double>& penalty, bool withCovariance) {
  RidgeFit fit;
  const size_t n = penalty.size();
  fit.rows = static_cast<int>(x.size());
  if (x.empty() || x.size() != y.size()) return fit;
  Square gram(n);
  std::vector<double> xty(n, 0.0);
  for (size_t r = 0; r < x.size(); ++r)
    for (const auto& [i, vi] : *x[r]) {
      xty[static_cast<size_t>(i)] += vi * y[r];
      for (const auto& [j, vj] : *x[r]) gram(static_cast<size_t>(i), static_cast<size_t>(j)) += vi * vj;
    }
  // an unpenalised column zero on every row still has a pivot
  const double floor = 1e-9 * static_cast<double>(x.size());
  Square l = gram;
  for (size_t c = 0; c < n; ++c) l(c, c) += penalty[c] > 0 ? penalty[c] : floor;
  if (!cholesky(l)) return fit;
  fit.coef = solveCholesky(l, xty);
  fit.ok = true;
  if (!withCovariance) return fit;
  // (X'X + Lambda)^-1, column by column
  Square inverse(n);
  for (size_t c = 0; c < n; ++c) {
    std::vector<double> e(n, 0.0);
    e[c] = 1;
    const std::vector<double> col = solveCholesky(l, std::move(e));
    for (size_t r = 0; r < n; ++r) inverse(r, c) = col[r];
  }
  // trace of the hat matrix X (X'X + Lambda)^-1 X' = trace((X'X + Lambda)^-1 X'X)
  double trace = 0;
  for (size_t i = 0; i < n; ++i)
    for (size_t k = 0; k < n; ++k) trace += inverse(i, k) * gram(k, i);
  double rss = 0;
  for (size_t r = 0; r < x.size(); ++r) {
    const double e = y[r] - predict(*x[r], fit.coef);
    rss += e * e;
  }
  fit.effectiveParams = trace;
  const double dof = static_cast<double>(x.size()) - trace;
  fit.sigma2 = dof > 1 ? rss / dof : rss;
  fit.cov.resize(n);
  for (size_t r = 0; r < n; ++r) {
    fit.cov[r].resize(n);
    for (size_t c = 0; c < n; ++c) fit.cov[r][c] = fit.sigma2 * inverse(r, c);
  }
  return fit;
}

}  // namespace km
