#!/usr/bin/env python3
"""Recomputes the reference solutions of system_n_references.h (needs mpmath and sympy).

Every real solution of each system is obtained by a route that cannot miss one:
- Brown's almost-linear system (N = 5): its first N - 1 equations force x_1 = ... = x_4 = a
  and x_5 = 6 - 5a, and the last one leaves 5a^5 - 6a^4 + 1 = 0, whose real roots are
  isolated exactly (sympy) and refined in 50 digits;
- Katsura-3 and the cyclohexane system: a lexicographic Groebner basis over the rationals
  (sympy); the real roots of its univariate member are isolated exactly, and the other
  coordinates follow from the basis (Katsura-3 is in shape position) or from the quadratics
  of the system, every candidate checked on all equations in 50 digits;
- the 6R inverse kinematics system: the last equation is linear in (x1, x2) on the unit
  circle, the sum of the fifth and sixth is linear in (x3, x4) on the unit circle, then x7,
  x8, x6 and x5 follow one by one, each choice of sign giving a branch (2^4 = 16);
- Broyden's tridiagonal system (N = 6): x2 ... x6 are polynomials in x1 by forward
  substitution, and the last equation leaves one polynomial of degree 64 in x1 whose real
  roots are isolated exactly.
Only the solutions inside each box are written."""
import sympy as sp
import mpmath as mp

mp.mp.dps = 50
Q = sp.Rational


def real_roots(poly, var):
    """Real roots of a univariate rational polynomial, isolated exactly, to 50 digits."""
    p = sp.Poly(poly, var)
    out = []
    for (lo, hi), _ in p.intervals(eps=Q(1, 10**12)):
        lo, hi = mp.mpf(sp.N(lo, 60)), mp.mpf(sp.N(hi, 60))
        coeffs = [mp.mpf(sp.N(c, 60)) for c in p.all_coeffs()]
        g = lambda t: mp.polyval(coeffs, t)
        out.append(lo if lo == hi else mp.findroot(g, (lo, hi), solver='anderson'))
    return out


def check(eqs, syms, pt, tol=mp.mpf(10) ** -35):
    sub = dict(zip(syms, pt))
    return all(abs(mp.mpf(sp.N(e.subs({s: sp.Float(str(v), 60) for s, v in sub.items()}), 60))) < tol
               for e in eqs)


def in_box(pt, box):
    return all(lo <= v <= hi for v, (lo, hi) in zip(pt, box))


def brown():
    a = sp.Symbol('a')
    return [[r] * 4 + [6 - 5 * r] for r in real_roots(5 * a**5 - 6 * a**4 + 1, a)]


def katsura():
    x = sp.symbols('x0:4')
    eqs = [x[0] + 2 * x[1] + 2 * x[2] + 2 * x[3] - 1,
           x[0]**2 + 2 * x[1]**2 + 2 * x[2]**2 + 2 * x[3]**2 - x[0],
           2 * x[0] * x[1] + 2 * x[1] * x[2] + 2 * x[2] * x[3] - x[1],
           x[1]**2 + 2 * x[0] * x[2] + 2 * x[1] * x[3] - x[2]]
    G = sp.groebner(eqs, *x, order='lex').exprs
    pts = []
    for r in real_roots(G[-1], x[3]):
        pt = [None, None, None, r]
        for i in range(3):  # G[i] = c * x_i + q(x3)
            p = sp.Poly(G[i], x[i])
            c1, c0 = p.all_coeffs()
            v = lambda e: mp.polyval([mp.mpf(sp.N(c, 60)) for c in sp.Poly(e, x[3]).all_coeffs()], r)
            pt[i] = -v(c0) / v(c1)
        assert check(eqs, x, pt)
        pts.append(pt)
    return eqs, x, pts


def cyclohexane():
    x, y, z = sp.symbols('x y z')
    eqs = [13 + y**2 * (1 + z**2) + z * (z - 24 * y),
           13 + z**2 * (1 + x**2) + x * (x - 24 * z),
           13 + x**2 * (1 + y**2) + y * (y - 24 * x)]
    G = sp.groebner(eqs, x, y, z, order='lex').exprs
    pts = []
    for zr in real_roots(G[-1], z):
        # eq 0 is quadratic in y, eq 2 quadratic in x: every real candidate, then all checked.
        for yr in mp.polyroots([1 + zr**2, -24 * zr, 13 + zr**2], extraprec=200):
            if abs(mp.im(yr)) > mp.mpf(10) ** -30:
                continue
            yr = mp.re(yr)
            for xr in mp.polyroots([1 + yr**2, -24 * yr, 13 + yr**2], extraprec=200):
                if abs(mp.im(xr)) > mp.mpf(10) ** -30:
                    continue
                pt = [mp.re(xr), yr, zr]
                if check(eqs, (x, y, z), pt, mp.mpf(10) ** -30):
                    pts.append(pt)
    return eqs, (x, y, z), pts


def kinematics():
    c = {k: mp.mpf(v) for k, v in dict(a=' 0.004731', b='-0.3578', cc='-0.1238', d='-0.001637',
                                         e='-0.9338', f='-0.3571', g='0.2238', h='0.7623',
                                         i='0.2638', j='-0.07745', k='-0.6734', l='-0.6022',
                                         m='0.3578', n='0.004731', o='-0.7623', p='0.2238',
                                         q='0.3461').items()}
    pts = []

    def circle_line(A, B, C):  # A u + B v + C = 0 with u^2 + v^2 = 1
        r2 = A * A + B * B
        disc = r2 - C * C
        if disc < 0:
            return []
        s = mp.sqrt(disc)
        return [((-A * C + sg * B * s) / r2, (-B * C - sg * A * s) / r2) for sg in (1, -1)]

    for x1, x2 in circle_line(c['o'], c['p'], c['q']):
        # eq5 + eq6: (a x1 + b x2 + g x1 + h x2) x3 + (e + k) x4 + ... = 0
        A = c['a'] * x1 + c['b'] * x2 + c['g'] * x1 + c['h'] * x2
        B = c['e'] + c['k']
        C = c['cc'] * x1 + c['d'] * x2 + c['f'] + c['i'] * x1 + c['j'] * x2 + c['l']
        for x3, x4 in circle_line(A, B, C):
            x7 = -(c['a'] * x1 * x3 + c['b'] * x2 * x3 + c['cc'] * x1 + c['d'] * x2 + c['e'] * x4 + c['f'])
            for s8 in (1, -1):
                x8 = s8 * mp.sqrt(1 - x7 * x7)
                x6 = -(c['m'] * x1 + c['n'] * x2) / x8
                for s5 in (1, -1):
                    pts.append([x1, x2, x3, x4, s5 * mp.sqrt(1 - x6 * x6), x6, x7, x8])
    return pts


def kinematics_eqs(x):
    return [x[0]**2 + x[1]**2 - 1, x[2]**2 + x[3]**2 - 1, x[4]**2 + x[5]**2 - 1, x[6]**2 + x[7]**2 - 1,
            mp.mpf('0.004731') * x[0] * x[2] - mp.mpf('0.3578') * x[1] * x[2] - mp.mpf('0.1238') * x[0]
            + x[6] - mp.mpf('0.001637') * x[1] - mp.mpf('0.9338') * x[3] - mp.mpf('0.3571'),
            mp.mpf('0.2238') * x[0] * x[2] + mp.mpf('0.7623') * x[1] * x[2] + mp.mpf('0.2638') * x[0]
            - x[6] - mp.mpf('0.07745') * x[1] - mp.mpf('0.6734') * x[3] - mp.mpf('0.6022'),
            x[5] * x[7] + mp.mpf('0.3578') * x[0] + mp.mpf('0.004731') * x[1],
            -mp.mpf('0.7623') * x[0] + mp.mpf('0.2238') * x[1] + mp.mpf('0.3461')]


def broyden(n=6):
    t = sp.Symbol('t')
    xs = [sp.Integer(0), t]
    for i in range(1, n):
        xs.append(sp.expand(((3 - 2 * xs[i]) * xs[i] - xs[i - 1] + 1) / 2))
    last = sp.expand((3 - 2 * xs[n]) * xs[n] - xs[n - 1] + 1)
    pts = []
    for r in real_roots(last, t):
        v = [mp.mpf(0), r]
        for i in range(1, n):
            v.append(((3 - 2 * v[i]) * v[i] - v[i - 1] + 1) / 2)
        pts.append(v[1:])
    return pts


def broyden_eqs(x):
    n = len(x)
    xx = [0] + list(x) + [0]
    return [(3 - 2 * xx[i]) * xx[i] - xx[i - 1] - 2 * xx[i + 1] + 1 for i in range(1, n + 1)]


BOXES = {
    'Brown5': [(-1.5, 1.5)] * 4 + [(-1.0, 10.0)],
    'Katsura3': [(-1.0, 1.1)] * 4,
    'Cyclohexane': [(-12.0, 12.0)] * 3,
    'Kinematics16': [(-1.0, 1.0)] * 8,
    'Broyden6': [(-1.0, 2.0)] * 6,
}


DESCR = {
    'Brown5': "Brown's almost-linear system: x_i + sum_j x_j - 6 = 0 (i < 5), x_1 x_2 x_3 x_4 x_5 - 1 = 0.",
    'Katsura3': 'Katsura-3: x0 + 2 (x1 + x2 + x3) = 1, x0^2 + 2 (x1^2 + x2^2 + x3^2) = x0,\n'
                '// 2 (x0 x1 + x1 x2 + x2 x3) = x1, x1^2 + 2 (x0 x2 + x1 x3) = x2.',
    'Cyclohexane': 'Cyclohexane conformations: 13 + y^2 (1 + z^2) + z (z - 24 y) = 0 and its two cyclic\n'
                   '// shifts (x, y, z) -> (y, z, x).',
    'Kinematics16': '6R inverse kinematics (Tsai and Morgan): four unit circles (x1, x2) ... (x7, x8) and\n'
                    '// four bilinear equations; 16 real solutions.',
    'Broyden6': "Broyden's tridiagonal system: (3 - 2 x_i) x_i - x_{i-1} - 2 x_{i+1} + 1 = 0, x_0 = x_7 = 0.",
}


def fmt(v):
    return repr(float(v))


def main():
    systems = {}
    b = brown()
    for p in b:
        assert abs(p[0] + sum(p) - 6) < mp.mpf(10) ** -40 and abs(mp.fprod(p) - 1) < mp.mpf(10) ** -40
    systems['Brown5'] = b
    systems['Katsura3'] = katsura()[2]
    systems['Cyclohexane'] = cyclohexane()[2]
    k = kinematics()
    for p in k:
        assert max(abs(e) for e in kinematics_eqs(p)) < mp.mpf(10) ** -40
    systems['Kinematics16'] = k
    br = broyden()
    for p in br:
        assert max(abs(e) for e in broyden_eqs(p)) < mp.mpf(10) ** -30
    systems['Broyden6'] = br
    out = ['// Real solutions of published polynomial systems in a box, computed outside the library',
           '// (sympy exact root isolation, mpmath 50 digits; see system_n_references.py, which',
           '// recomputes this file). Shared by the N-variable system battery and its benchmark.',
           '#pragma once', '', 'namespace xelsystemsn {', '', '// clang-format off']
    for name, pts in systems.items():
        box = BOXES[name]
        inside = sorted((p for p in pts if in_box([float(v) for v in p], box)), key=lambda p: [float(v) for v in p])
        print(name, 'real', len(pts), 'in box', len(inside))
        n = len(box)
        out.append('// ' + DESCR[name])
        out.append('const double k%sBox[%d][2] = {%s};' % (name, n, ', '.join('{%s, %s}' % (fmt(a), fmt(b)) for a, b in box)))
        out.append('const double k%s[%d][%d] = {' % (name, len(inside), n))
        for p in inside:
            out.append('    {%s},' % ', '.join(fmt(v) for v in p))
        out.append('};')
        out.append('')
    out += ['// clang-format on', '', '} // namespace xelsystemsn', '']
    open(__file__.replace('.py', '.h'), 'w').write('\n'.join(out))
    for name, pts in systems.items():
        print(name, [[round(float(v), 4) for v in p] for p in pts])


if __name__ == '__main__':
    main()
