#!/usr/bin/env python3
"""Recomputes the reference minima of minimize_xy_references.h (needs mpmath and sympy).

For each function and box, every local minimum of the function restricted to the closed box
is listed:
  - interior points where the gradient vanishes and the Hessian is positive definite;
  - edge points where the derivative along the edge vanishes, the second derivative along the
    edge is positive and the function grows into the box (inward derivative > 0);
  - corners where the function grows along both edges into the box.
Stationary points are found by Newton's method in doubles from the nodes of a 60 x 60 grid
(120 points per edge), polished in 50-digit arithmetic (mpmath.findroot) with exact
derivatives (sympy) and deduplicated. The values are printed with 17 significant digits."""
import math

import mpmath as mp
import sympy as sp

mp.mp.dps = 50
x, y = sp.symbols("x y")
pi = sp.pi

FUNCTIONS = [
    ("kCamel", "six-hump camel on [-3, 3] x [-2, 2]",
     (4 - sp.Rational(21, 10) * x**2 + x**4 / 3) * x**2 + x * y + (-4 + 4 * y**2) * y**2,
     (-3, 3, -2, 2)),
    ("kCamelCut", "six-hump camel on [-1, 2] x [-0.5, 1] (minima on edges and corners)",
     (4 - sp.Rational(21, 10) * x**2 + x**4 / 3) * x**2 + x * y + (-4 + 4 * y**2) * y**2,
     (-1, 2, -0.5, 1)),
    ("kHimmelblau", "Himmelblau on [-5, 5] x [-5, 5]",
     (x**2 + y - 11)**2 + (x + y**2 - 7)**2, (-5, 5, -5, 5)),
    ("kBranin", "Branin on [-5, 10] x [0, 15]",
     (y - sp.Rational(51, 10) / (4 * pi**2) * x**2 + 5 / pi * x - 6)**2
     + 10 * (1 - 1 / (8 * pi)) * sp.cos(x) + 10, (-5, 10, 0, 15)),
    ("kRosenbrock", "Rosenbrock on [-2, 2] x [-1, 3]",
     (1 - x)**2 + 100 * (y - x**2)**2, (-2, 2, -1, 3)),
]


def mpf(e):
    return sp.lambdify((x, y), e, "mpmath")


def newton1(g, dg, t, lo, hi):
    for _ in range(80):
        d = float(dg(t))
        if d == 0 or not math.isfinite(d):
            return None
        s = float(g(t)) / d
        t -= s
        if not math.isfinite(t) or t < lo - 1 or t > hi + 1:
            return None
        if abs(s) < 1e-14 * (1 + abs(t)):
            return t
    return None


def minima(f, box):
    a, b, c, d = box
    fx, fy = sp.diff(f, x), sp.diff(f, y)
    H = [[sp.diff(f, x, x), sp.diff(f, x, y)], [sp.diff(f, x, y), sp.diff(f, y, y)]]
    F, FX, FY = mpf(f), mpf(fx), mpf(fy)
    HX = [[mpf(h) for h in row] for row in H]
    found = []

    def add(p):
        px, py = p
        if not (a <= px <= b and c <= py <= d):
            return
        if any(abs(px - q[0]) + abs(py - q[1]) < mp.mpf(10)**-20 for q in found):
            return
        found.append((px, py))

    # Interior stationary points.
    n = 60
    for i in range(n + 1):
        for j in range(n + 1):
            u, v = a + (b - a) * i / n, c + (d - c) * j / n
            for _ in range(60):
                g1, g2 = float(FX(u, v)), float(FY(u, v))
                h11, h12, h22 = (float(HX[0][0](u, v)), float(HX[0][1](u, v)),
                                 float(HX[1][1](u, v)))
                det = h11 * h22 - h12 * h12
                if det == 0:
                    break
                du, dv = (g1 * h22 - h12 * g2) / det, (h11 * g2 - h12 * g1) / det
                u, v = u - du, v - dv
                if abs(u) + abs(v) > 1e6:
                    break
            else:
                try:
                    p = mp.findroot([FX, FY], (mp.mpf(u), mp.mpf(v)), tol=mp.mpf(10)**-40)
                except (ZeroDivisionError, ValueError):
                    continue
                px, py = p[0], p[1]
                if abs(FX(px, py)) + abs(FY(px, py)) > mp.mpf(10)**-30:
                    continue
                h11, h12, h22 = HX[0][0](px, py), HX[0][1](px, py), HX[1][1](px, py)
                if h11 > 0 and h11 * h22 - h12 * h12 > 0 and a < px < b and c < py < d:
                    add((px, py))
    # Edges: (fixed variable, value, inward sign).
    edges = [(0, a, 1), (0, b, -1), (1, c, 1), (1, d, -1)]
    for index, value, inward in edges:
        lo, hi = (c, d) if index == 0 else (a, b)
        if index == 0:
            g, dg = mpf(fy.subs(x, value)), mpf(sp.diff(fy, y).subs(x, value))
            normal, point = FX, (lambda t: (mp.mpf(value), t))
        else:
            g, dg = mpf(fx.subs(y, value)), mpf(sp.diff(fx, x).subs(y, value))
            normal, point = FY, (lambda t: (t, mp.mpf(value)))
        g1 = lambda t, g=g: g(value, t) if index == 0 else g(t, value)
        dg1 = lambda t, dg=dg: dg(value, t) if index == 0 else dg(t, value)
        for k in range(121):
            t = newton1(g1, dg1, lo + (hi - lo) * k / 120, lo, hi)
            if t is None or not (lo < t < hi):
                continue
            try:
                t = mp.findroot(g1, mp.mpf(t), tol=mp.mpf(10)**-40)
            except (ZeroDivisionError, ValueError):
                continue
            if dg1(t) > 0 and inward * normal(*point(t)) > 0:
                add(point(t))
    # Corners.
    for px in (a, b):
        for py in (c, d):
            sx = 1 if px == a else -1
            sy = 1 if py == c else -1
            if sx * FX(px, py) > 0 and sy * FY(px, py) > 0:
                add((mp.mpf(px), mp.mpf(py)))
    return sorted(((F(px, py), px, py) for px, py in found), key=lambda r: (r[0], r[1], r[2]))


def main():
    print("// Local minima over closed boxes of the test functions of the two-variable")
    print("// minimization, computed outside the library by minimize_xy_references.py (mpmath")
    print("// and sympy: exact derivatives, Newton's method polished in 50-digit arithmetic).")
    print("// Each entry is {x, y, f(x, y)}, by increasing value: interior minima, and points of")
    print("// the boundary where the function grows into the box. Shared by the battery of")
    print("// tests and the benchmark.")
    print("#pragma once\n\nnamespace xelminima {\n\n// clang-format off")
    for name, text, f, box in FUNCTIONS:
        rows = minima(f, box)
        print(f"// {text}.")
        print(f"const double {name}[{len(rows)}][3] = {{")
        for v, px, py in rows:
            print("    {%s, %s, %s}," % tuple(mp.nstr(q, 17, strip_zeros=False, min_fixed=-5,
                                                       max_fixed=5) for q in (px, py, v)))
        print("};")
    print("// clang-format on\n\n} // namespace xelminima")


if __name__ == "__main__":
    main()
