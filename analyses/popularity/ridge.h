#pragma once
// Ridge regression with its Gaussian-prior reading: the coefficients that
// minimise the squared error plus lambda times the squared size of the
// penalised ones, and their covariance sigma^2 (X'X + Lambda)^-1, sigma^2 the
// residual variance over the residual degrees of freedom.  Rows are sparse:
// a draw sets a handful of its features.
#include <utility>
#include <vector>

namespace km {

// A row of the design: (column, value) pairs; a column may repeat (summed).
using SparseRow = std::vector<std::pair<int, double>>;

struct RidgeFit {
  bool ok = false;                       // false: no rows, or the system could not be solved
  std::vector<double> coef;              // one per column
  std::vector<std::vector<double>> cov;  // covariance of coef
  double sigma2 = 0;                     // residual variance
  double effectiveParams = 0;            // trace of the hat matrix
  int rows = 0;
};

// `penalty[c]` is lambda for column c (0: none).  Unpenalised columns get a
// vanishing ridge all the same, so that a column that is zero on every row
// (no draw before the first) leaves the system solvable.  Without
// `withCovariance` only the coefficients are worked out.
RidgeFit fitRidge(const std::vector<const SparseRow*>& x, const std::vector<double>& y,
                  const std::vector<double>& penalty, bool withCovariance = true);
RidgeFit fitRidge(const std::vector<SparseRow>& x, const std::vector<double>& y, const std::vector<double>& penalty,
                  bool withCovariance = true);

// The dot product of a sparse row and the coefficients.
double predict(const SparseRow& row, const std::vector<double>& coef);

// u' C u for a symmetric matrix C.
double quadraticForm(const std::vector<double>& u, const std::vector<std::vector<double>>& c);

}  // namespace km
