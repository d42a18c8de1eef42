"""Writes random records of every kind through vedra_dump, and beside them a description of what
was written (numbers as hexadecimal floats, so that every bit is kept), for a test that loads
the file through the viewer's loader and compares.

    write_random_dump.py OUT.las OUT.json [SEED]
"""

import json
import random
import struct
import sys

import vedra_dump

COLORS = {"mine": (10, 20, 30), "red": (0, 0, 255)}
DECLARED = {"pt": {"net": "none"}, "path": {"w": "0"}}


def number(rng):
    """A double from every range the file must carry: ordinary, tiny (down to the smallest
    subnormal), huge (up to the largest finite), zeros of both signs, and any finite bits."""
    choice = rng.randrange(7)
    if choice == 0:
        return rng.uniform(-1000, 1000)
    if choice == 1:
        return rng.choice([-1, 1]) * rng.random() * 2.0 ** rng.randrange(-1074, -1000)
    if choice == 2:
        return rng.choice([-1, 1, 1.7976931348623157e308 / 1e300]) * 1e300 * rng.random()
    if choice == 3:
        return rng.choice([0.0, -0.0, 5e-324, -1.7976931348623157e308])
    if choice == 4:
        return round(rng.uniform(-100, 100), rng.randrange(4))
    while True:
        value = struct.unpack("<d", rng.getrandbits(64).to_bytes(8, "little"))[0]
        if value == value and abs(value) != float("inf"):
            return value


def text(rng, length, refused):
    """Latin-1 text of characters from the whole 8-bit range but those in refused, and with no
    "!!" or "//" in it. Half are the characters that separate the parts of a record, so that
    they often stand at the edges of a part."""
    while True:
        chars = [rng.choice("!/# ") if rng.random() < 0.5 else chr(rng.randrange(1, 256))
                 for _ in range(length)]
        chars = [c for c in chars if c not in refused]
        result = "".join(chars)
        if "!!" not in result and "//" not in result:
            return result


def word(rng):
    return text(rng, rng.randrange(1, 9), " \t\n\v\f\r") or "w"


def main():
    out_las, out_json = sys.argv[1], sys.argv[2]
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    records = []
    # (kind, name) of each undeclared property given -> whether every value was a number; the
    # library declares these, so that each object of the kind has them ("nan" or "none").
    undeclared = {}
    with vedra_dump.Dump(out_las) as dump:
        for name, rgb in COLORS.items():
            dump.color(name, *rgb)
        for kind, defaults in DECLARED.items():
            for name, default in defaults.items():
                dump.property(kind, name, "string", default)
        for _ in range(300):
            kind = rng.choice(vedra_dump.KINDS)
            color = rng.choice(["mine", "red", "navy", "7", 16])
            properties = {word(rng): word(rng) for _ in range(rng.randrange(4))}
            if rng.random() < 0.3:
                properties["w"] = number(rng)
            searches = [text(rng, rng.randrange(12), "#\n\r").rstrip("/")
                        for _ in range(rng.randrange(3))]
            comments = [text(rng, rng.randrange(12), "#\n\r") for _ in range(rng.randrange(3))]
            shape = 0
            parts = dict(color=color, props=properties, searches=searches, comments=comments)
            if kind == "pt":
                numbers = [number(rng), number(rng)]
                shape = rng.choice([0, 1, 2, 3, 4, 7, -1, 2**31 - 1, -2**31])
                dump.pt(*numbers, shape=shape, **parts)
            elif kind in ("line", "rect"):
                numbers = [number(rng) for _ in range(4)]
                getattr(dump, kind)(tuple(numbers[:2]), tuple(numbers[2:]), **parts)
            elif kind == "circle":
                numbers = [number(rng) for _ in range(3)]
                dump.circle(tuple(numbers[:2]), numbers[2], **parts)
            else:
                points = [(number(rng), number(rng)) for _ in range(rng.randrange(1, 6))]
                numbers = [c for p in points for c in p]
                getattr(dump, kind)(points, **parts)
            for name, value in properties.items():
                if name not in DECLARED.get(kind, {}):
                    undeclared[(kind, name)] = (undeclared.get((kind, name), True)
                                                and not isinstance(value, str))
            expected = {name: value if isinstance(value, str) else vedra_dump.shortest(value)
                        for name, value in properties.items()}
            records.append({"kind": kind, "color": str(color), "shape": shape,
                            "numbers": [n.hex() for n in numbers], "properties": expected,
                            "searches": searches, "comments": comments})
    for record in records:
        given = record["properties"]
        record["properties"] = dict(DECLARED.get(record["kind"], {}))
        record["properties"].update({name: "nan" if numeric else "none"
                                     for (kind, name), numeric in undeclared.items()
                                     if kind == record["kind"]})
        record["properties"].update(given)
    with open(out_json, "w", encoding="utf-8") as description:
        json.dump({"colors": COLORS, "records": records}, description)


if __name__ == "__main__":
    main()
