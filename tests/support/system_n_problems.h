// The published polynomial systems of system_n_references.h as function objects with exact
// Jacobians (row-major, J[i * n + j] = d f_i / d x_j), with their boxes and reference
// solutions. Shared by the N-variable system battery and its benchmark.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "system_n_references.h"

namespace xelsystemsn {

using Fn = std::function<void(const double*, double*)>;

struct Problem {
  std::string name;
  long n;
  Fn f, jac;
  std::vector<double> box;                // 2n bounds (min 0, max 0, min 1, ...)
  std::vector<std::vector<double>> truth; // every real solution in the box
};

template <long N, long M>
Problem MakeProblem(const char* iName, Fn iF, Fn iJ, const double (&iBox)[N][2],
                    const double (&iTruth)[M][N]) {
  Problem p{iName, N, std::move(iF), std::move(iJ), {}, {}};
  for (long k = 0; k < N; ++k)
    p.box.push_back(iBox[k][0]), p.box.push_back(iBox[k][1]);
  for (long m = 0; m < M; ++m)
    p.truth.emplace_back(iTruth[m], iTruth[m] + N);
  return p;
}

inline std::vector<Problem> Problems() {
  std::vector<Problem> all;
  all.push_back(MakeProblem(
      "Brown almost-linear (5)",
      [](const double* x, double* f) {
        const double s = x[0] + x[1] + x[2] + x[3] + x[4];
        for (int i = 0; i < 4; ++i)
          f[i] = x[i] + s - 6.0;
        f[4] = x[0] * x[1] * x[2] * x[3] * x[4] - 1.0;
      },
      [](const double* x, double* J) {
        for (int i = 0; i < 4; ++i)
          for (int j = 0; j < 5; ++j)
            J[i * 5 + j] = (i == j) ? 2.0 : 1.0;
        for (int j = 0; j < 5; ++j) {
          double p = 1.0;
          for (int k = 0; k < 5; ++k)
            p *= k == j ? 1.0 : x[k];
          J[20 + j] = p;
        }
      },
      kBrown5Box, kBrown5));
  all.push_back(MakeProblem(
      "Katsura-3",
      [](const double* x, double* f) {
        f[0] = x[0] + 2 * (x[1] + x[2] + x[3]) - 1;
        f[1] = x[0] * x[0] + 2 * (x[1] * x[1] + x[2] * x[2] + x[3] * x[3]) - x[0];
        f[2] = 2 * (x[0] * x[1] + x[1] * x[2] + x[2] * x[3]) - x[1];
        f[3] = x[1] * x[1] + 2 * (x[0] * x[2] + x[1] * x[3]) - x[2];
      },
      [](const double* x, double* J) {
        const double r[16] = {1,
                              2,
                              2,
                              2,
                              2 * x[0] - 1,
                              4 * x[1],
                              4 * x[2],
                              4 * x[3],
                              2 * x[1],
                              2 * (x[0] + x[2]) - 1,
                              2 * (x[1] + x[3]),
                              2 * x[2],
                              2 * x[2],
                              2 * (x[1] + x[3]),
                              2 * x[0] - 1,
                              2 * x[1]};
        for (int k = 0; k < 16; ++k)
          J[k] = r[k];
      },
      kKatsura3Box, kKatsura3));
  all.push_back(MakeProblem(
      "cyclohexane",
      [](const double* v, double* f) {
        for (int i = 0; i < 3; ++i) {
          const double y = v[(i + 1) % 3], z = v[(i + 2) % 3];
          f[i] = 13 + y * y * (1 + z * z) + z * (z - 24 * y);
        }
      },
      [](const double* v, double* J) {
        for (int i = 0; i < 3; ++i) {
          const int a = (i + 1) % 3, b = (i + 2) % 3;
          const double y = v[a], z = v[b];
          J[i * 3 + i] = 0;
          J[i * 3 + a] = 2 * y * (1 + z * z) - 24 * z;
          J[i * 3 + b] = 2 * y * y * z + 2 * z - 24 * y;
        }
      },
      kCyclohexaneBox, kCyclohexane));
  all.push_back(MakeProblem(
      "6R kinematics (16 real)",
      [](const double* x, double* f) {
        for (int i = 0; i < 4; ++i)
          f[i] = x[2 * i] * x[2 * i] + x[2 * i + 1] * x[2 * i + 1] - 1;
        f[4] = 0.004731 * x[0] * x[2] - 0.3578 * x[1] * x[2] - 0.1238 * x[0] + x[6] -
               0.001637 * x[1] - 0.9338 * x[3] - 0.3571;
        f[5] = 0.2238 * x[0] * x[2] + 0.7623 * x[1] * x[2] + 0.2638 * x[0] - x[6] - 0.07745 * x[1] -
               0.6734 * x[3] - 0.6022;
        f[6] = x[5] * x[7] + 0.3578 * x[0] + 0.004731 * x[1];
        f[7] = -0.7623 * x[0] + 0.2238 * x[1] + 0.3461;
      },
      [](const double* x, double* J) {
        for (int k = 0; k < 64; ++k)
          J[k] = 0;
        for (int i = 0; i < 4; ++i)
          J[i * 8 + 2 * i] = 2 * x[2 * i], J[i * 8 + 2 * i + 1] = 2 * x[2 * i + 1];
        J[32] = 0.004731 * x[2] - 0.1238, J[33] = -0.3578 * x[2] - 0.001637;
        J[34] = 0.004731 * x[0] - 0.3578 * x[1], J[35] = -0.9338, J[38] = 1;
        J[40] = 0.2238 * x[2] + 0.2638, J[41] = 0.7623 * x[2] - 0.07745;
        J[42] = 0.2238 * x[0] + 0.7623 * x[1], J[43] = -0.6734, J[46] = -1;
        J[48] = 0.3578, J[49] = 0.004731, J[53] = x[7], J[55] = x[5];
        J[56] = -0.7623, J[57] = 0.2238;
      },
      kKinematics16Box, kKinematics16));
  all.push_back(MakeProblem(
      "Broyden tridiagonal (6)",
      [](const double* x, double* f) {
        for (int i = 0; i < 6; ++i)
          f[i] = (3 - 2 * x[i]) * x[i] - (i > 0 ? x[i - 1] : 0) - 2 * (i < 5 ? x[i + 1] : 0) + 1;
      },
      [](const double* x, double* J) {
        for (int k = 0; k < 36; ++k)
          J[k] = 0;
        for (int i = 0; i < 6; ++i) {
          J[i * 6 + i] = 3 - 4 * x[i];
          if (i > 0)
            J[i * 6 + i - 1] = -1;
          if (i < 5)
            J[i * 6 + i + 1] = -2;
        }
      },
      kBroyden6Box, kBroyden6));
  return all;
}

} // namespace xelsystemsn
