#!/usr/bin/env python3
"""The arc tangent polynomial of src/engine/visibility.cpp: a Chebyshev fit of atan(sqrt s) / sqrt s
on [0, tan^2(pi/8)], highest power first, with the worst error of t P(t^2) in double precision."""
import mpmath as mp

mp.mp.dps = 30
top = mp.tan(mp.pi / 8) ** 2
poly, _ = mp.chebyfit(lambda s: mp.atan(mp.sqrt(s)) / mp.sqrt(s) if s > 0 else mp.mpf(1), [0, top], 7,
                      error=True)
coefficients = [float(c) for c in poly]
worst = 0.0
for i in range(20001):
    t = float(mp.sqrt(top)) * i / 20000
    p = 0.0
    for c in coefficients:
        p = p * t * t + c
    worst = max(worst, abs(t * p - float(mp.atan(t))))
print(", ".join(repr(c) for c in coefficients))
print(f"worst error {worst:.2e} rad")
