// Local minima over closed boxes of the test functions of the two-variable
// minimization, computed outside the library by minimize_xy_references.py (mpmath
// and sympy: exact derivatives, Newton's method polished in 50-digit arithmetic).
// Each entry is {x, y, f(x, y)}, by increasing value: interior minima, and points of
// the boundary where the function grows into the box. Shared by the battery of
// tests and the benchmark.
#pragma once

namespace xelminima {

// clang-format off
// six-hump camel on [-3, 3] x [-2, 2].
const double kCamel[6][3] = {
    {-0.089842013100318062, 0.71265640302073963, -1.0316284534898774},
    {0.089842013100318062, -0.71265640302073963, -1.0316284534898774},
    {-1.7036067149699808, 0.79608356867262512, -0.21546382438371764},
    {1.7036067149699808, -0.79608356867262512, -0.21546382438371764},
    {-1.6071047529201972, -0.56865145488413137, 2.1042503103112583},
    {1.6071047529201972, 0.56865145488413137, 2.1042503103112583},
};
// six-hump camel on [-1, 2] x [-0.5, 1] (minima on edges and corners).
const double kCamelCut[4][3] = {
    {-0.089842013100318062, 0.71265640302073963, -1.0316284534898774},
    {0.062759308213410762, -0.50000000000000000, -0.76565728922915957},
    {1.6873359976818019, -0.50000000000000000, 0.46502146079659039},
    {1.6071047529201972, 0.56865145488413137, 2.1042503103112583},
};
// Himmelblau on [-5, 5] x [-5, 5].
const double kHimmelblau[4][3] = {
    {-3.7793102533777469, -3.2831859912861694, 0.0},
    {-2.8051180869527449, 3.1313125182505730, 0.0},
    {3.0000000000000000, 2.0000000000000000, 0.0},
    {3.5844283403304917, -1.8481265269644036, 0.0},
};
// Branin on [-5, 10] x [0, 15].
const double kBranin[3][3] = {
    {-3.1415926535897932, 12.275000000000000, 0.39788735772973834},
    {3.1415926535897932, 2.2750000000000000, 0.39788735772973834},
    {9.4247779607693797, 2.4750000000000000, 0.39788735772973834},
};
// Rosenbrock on [-2, 2] x [-1, 3].
const double kRosenbrock[1][3] = {
    {1.0000000000000000, 1.0000000000000000, 0.0},
};
// clang-format on

} // namespace xelminima
