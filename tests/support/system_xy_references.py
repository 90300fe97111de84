#!/usr/bin/env python3
"""Recomputes the reference solutions of system_xy_references.h (needs mpmath and sympy).

Each system is solved by Newton's method in doubles from the centres of an n x n grid of
cells over the box, every converged point is polished by Newton's method in 50-digit
arithmetic, points outside the box or with a residual above 1e-30 are dropped and duplicates
merged. For the polynomial systems the number of real solutions in the box is confirmed by
the resultant in x, with exact rational coefficients."""
import math
from fractions import Fraction

import mpmath as mp
import sympy as sp

mp.mp.dps = 50
d = mp.mpf


def newton_double(F, G, x, y):
    for _ in range(60):
        h = 1e-7 * (1 + abs(x) + abs(y))
        f, g = float(F(x, y)), float(G(x, y))
        fx = float(F(x + h, y) - F(x - h, y)) / (2 * h)
        fy = float(F(x, y + h) - F(x, y - h)) / (2 * h)
        gx = float(G(x + h, y) - G(x - h, y)) / (2 * h)
        gy = float(G(x, y + h) - G(x, y - h)) / (2 * h)
        det = fx * gy - fy * gx
        if det == 0 or not math.isfinite(det):
            return None
        dx, dy = (f * gy - fy * g) / det, (fx * g - f * gx) / det
        x, y = x - dx, y - dy
        if not (math.isfinite(x) and math.isfinite(y)) or abs(x) + abs(y) > 1e12:
            return None
        if abs(dx) + abs(dy) < 1e-15 * (1 + abs(x) + abs(y)):
            break
    return x, y


def solve(F, G, box, n):
    x0, x1, y0, y1 = box
    sols = []
    for i in range(n):
        for j in range(n):
            r = newton_double(F, G, x0 + (x1 - x0) * (i + 0.5) / n, y0 + (y1 - y0) * (j + 0.5) / n)
            if r is None:
                continue
            try:
                x, y = mp.findroot([F, G], (d(r[0]), d(r[1])), tol=d(10) ** -45, maxsteps=50)
            except (ZeroDivisionError, ValueError):
                continue
            if abs(F(x, y)) + abs(G(x, y)) > d(10) ** -30:
                continue
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                continue
            if any(abs(x - a) < 1e-9 * (x1 - x0) and abs(y - b) < 1e-9 * (y1 - y0) for a, b in sols):
                continue
            sols.append((x, y))
    return sorted(sols)


def resultant_count(F, G, box):
    x, y = sp.symbols("x y")
    n = 0
    for r in sp.real_roots(sp.Poly(sp.resultant(F(x, y), G(x, y), y), x)):
        if not box[0] <= float(r) <= box[1]:
            continue
        for yr in sp.Poly(sp.N(G(r, y), 60), y).nroots(n=40):
            if abs(sp.im(yr)) < 1e-25 and box[2] <= float(sp.re(yr)) <= box[3] \
                    and abs(sp.N(F(r, sp.re(yr)), 40)) < 1e-20:
                n += 1
    return n


R = lambda v: sp.Rational(Fraction(v))  # a double, exactly
T7 = lambda t: 64 * t**7 - 112 * t**5 + 56 * t**3 - 7 * t
SYSTEMS = [  # name, F, G (mpmath), box, grid, F, G (exact, for the resultant) or None
    ("kChebyshev49", lambda x, y: T7(x) + d(0.1) * y, lambda x, y: T7(y) - d(0.1) * x,
     (-1.1, 1.05, -1.02, 1.1), 70,
     (lambda x, y: T7(x) + R(0.1) * y, lambda x, y: T7(y) - R(0.1) * x)),
    ("kSines42", lambda x, y: mp.sin(6 * x) + d(0.3) * mp.sin(5 * y),
     lambda x, y: d(0.3) * mp.cos(5 * x) + mp.sin(6 * y), (0.2, 3.9, -0.3, 2.95), 80, None),
    ("kCircleQuartic", lambda x, y: (x - d(0.1)) ** 2 + (y + d(0.05)) ** 2 - d(0.64),
     lambda x, y: x**4 + y**4 + d(0.1) * x * y - d(0.3), (-1.0, 1.0, -1.0, 1.0), 40,
     (lambda x, y: (x - R(0.1)) ** 2 + (y + R(0.05)) ** 2 - R(0.64),
      lambda x, y: x**4 + y**4 + R(0.1) * x * y - R(0.3))),
]

if __name__ == "__main__":
    for name, F, G, box, n, exact in SYSTEMS:
        sols = solve(F, G, box, n)
        check = "" if exact is None else f", resultant count {resultant_count(*exact, box)}"
        print(f"// {name}: {len(sols)} solutions{check}")
        for a, b in sols:
            print("    {%.17g, %.17g}," % (float(a), float(b)))
