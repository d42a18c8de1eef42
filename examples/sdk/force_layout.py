#!/usr/bin/env python3
"""A force-directed placement of a few hundred cells, each step written as one member of a
numbered series (layout.1.las, layout.2.las, ...) and the last one shown in Vedra."""

import argparse
import math
import os
import random
import shutil
import sys

try:
    import vedra_dump
except ImportError:  # run from the source tree without installing the package
    sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "sdk", "python"))
    import vedra_dump

# Run from a checkout where README's first command built Vedra but nothing installed it: the window
# started is the one built there.
_BUILT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "vedra")
if not os.environ.get("VEDRA_PROGRAM") and not shutil.which("vedra") and os.access(_BUILT, os.X_OK):
    os.environ["VEDRA_PROGRAM"] = os.path.normpath(_BUILT)

REACH = 8.0      # cells nearer than this push each other apart
SPRING = 0.05    # pull of a net per unit of its length
PUSH = 4.0       # push between two cells at unit distance
MOVE = 2.0       # the largest move of a cell in one step


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--no-show", action="store_true", help="only write the files")
    parser.add_argument("--out", default="layout", help="folder of the series (default: layout)")
    parser.add_argument("--cells", type=int, default=300)
    parser.add_argument("--steps", type=int, default=50)
    parser.add_argument("--pause-at", type=int, metavar="STEP",
                        help="stop at this step until you press Continue (F8) in the window")
    args = parser.parse_args()

    rng = random.Random(1)
    n = args.cells
    cells = [[rng.uniform(0, 100), rng.uniform(0, 100)] for _ in range(n)]
    nets = [(i, i + 1) for i in range(n - 1)] + [
        (rng.randrange(n), rng.randrange(n)) for _ in range(n // 4)]

    # The folder is made by the first write. Properties given without a declaration (energy,
    # step) are declared by the library, so that `pick energy > 100` finds the centre mark.
    series = vedra_dump.Series(os.path.join(args.out, "layout"))
    series.color("cell", 70, 130, 180).property("rect", "cell", "string", "none")
    for step in range(1, args.steps + 1):
        force = [[0.0, 0.0] for _ in range(n)]
        for a, b in nets:
            dx, dy = cells[b][0] - cells[a][0], cells[b][1] - cells[a][1]
            force[a][0] += SPRING * dx
            force[a][1] += SPRING * dy
            force[b][0] -= SPRING * dx
            force[b][1] -= SPRING * dy
        grid = {}
        for i, (x, y) in enumerate(cells):
            grid.setdefault((int(x // REACH), int(y // REACH)), []).append(i)
        for (gx, gy), members in grid.items():
            for i in members:
                for near in (grid.get((gx + ox, gy + oy), ()) for ox in (-1, 0, 1)
                             for oy in (-1, 0, 1)):
                    for j in near:
                        dx, dy = cells[i][0] - cells[j][0], cells[i][1] - cells[j][1]
                        d2 = dx * dx + dy * dy
                        if j != i and 0 < d2 < REACH * REACH:
                            force[i][0] += PUSH * dx / d2
                            force[i][1] += PUSH * dy / d2
        energy = 0.0
        for cell, (fx, fy) in zip(cells, force):
            length = math.hypot(fx, fy)
            scale = min(1.0, MOVE / length) if length > 0 else 0.0
            cell[0] += fx * scale
            cell[1] += fy * scale
            energy += length * length

        dump = series.next()
        for i, (x, y) in enumerate(cells):
            dump.rect((x - 1, y - 1), (x + 1, y + 1), color="cell", cell=f"c{i}")
        for a, b in nets:
            dump.line(cells[a], cells[b], color="gray")
        centre = (sum(c[0] for c in cells) / n, sum(c[1] for c in cells) / n)
        dump.pt(*centre, color="red", shape="cross", energy=energy, step=step,
                comments=[f"step {step}", f"energy {energy:.6g}"])
        if step == args.pause_at and not args.no_show:
            series.pause(f"step {step}, energy {energy:.4g}")
    series.write()
    print(series.member.file)
    if args.no_show:
        return 0
    if not series.show():
        return 1
    # The window keeps its view from file to file; the whole layout is brought into it once
    # (after the file is in: requests are carried out in turn). A window started by show() fits
    # its first drawing itself.
    try:
        vedra_dump.request("fit")
    except vedra_dump.WindowError:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
