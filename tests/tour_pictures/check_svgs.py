#!/usr/bin/env python3
"""Checks the pictures written by the tour: each file is well-formed XML, an SVG document,
and holds the elements that make up its picture (curves, markers, boxes, panels), with
finite coordinates."""
import math
import sys
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"
# file -> least number of each element
EXPECTED = {
    "roots-minima-maxima.svg": {"polyline": 1, "circle": 4, "polygon": 5, "text": 6},
    "interval-images.svg": {"polyline": 1, "rect": 16, "text": 6},
    "chebyshev-approximation.svg": {"polyline": 3, "clipPath": 2, "text": 6},
    "surface-sections.svg": {"polyline": 3, "rect": 1, "text": 4},
    "circle-quartic.svg": {"polyline": 2, "circle": 6, "text": 5},
}


def check(path, expected):
    root = ET.parse(path).getroot()
    if root.tag != SVG + "svg":
        return f"{path}: the root element is {root.tag}, not svg"
    if root.find(SVG + "title") is None:
        return f"{path}: no title"
    for tag, least in expected.items():
        found = root.findall(".//" + SVG + tag)
        if len(found) < least:
            return f"{path}: {len(found)} <{tag}> elements, expected at least {least}"
    for line in root.iter(SVG + "polyline"):
        values = line.get("points", "").replace(",", " ").split()
        if len(values) < 4 or not all(math.isfinite(float(v)) for v in values):
            return f"{path}: a polyline without finite points"
    return None


def main():
    directory = sys.argv[1]
    failures = [m for m in (check(f"{directory}/{name}", want)
                            for name, want in EXPECTED.items()) if m]
    for message in failures:
        print(message)
    print(f"{len(EXPECTED) - len(failures)} of {len(EXPECTED)} pictures are good")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
