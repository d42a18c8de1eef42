"""Dumps and series of .las files, checked so that what is written reads back exactly."""

import math
import os
import secrets

from ._remote import show as _show_file

KINDS = ("pt", "line", "rect", "circle", "path", "polygon")
MARKERS = {"circle": 0, "square": 1, "cross": 2, "triangle": 3, "diamond": 4}
BUILT_IN_COLORS = frozenset(
    ["white", "yellow", "fuchsia", "red", "silver", "gray", "olive", "purple",
     "maroon", "aqua", "lime", "teal", "green", "blue", "navy", "black"]
    + [str(n) for n in range(1, 17)])

# The characters that end a word when the viewer reads one.
_BLANKS = " \t\n\v\f\r"
_INT_LIMIT = 2**31 - 1


class DumpError(ValueError):
    """A value the file cannot hold; the message names the record kind and the field."""


def _refuse(field, text, why):
    raise DumpError(f"{field} {text!r} {why}")


def _latin1(field, text):
    """The file is 8-bit text: each character must be one byte."""
    if not isinstance(text, str):
        raise DumpError(f"{field} must be text, not {type(text).__name__}")
    try:
        text.encode("latin-1")
    except UnicodeEncodeError:
        _refuse(field, text, "holds a character beyond Latin-1, which the file cannot hold")
    return text


def shortest(value, field="number"):
    """The shortest text that reads back to exactly float(value); finite numbers only."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise DumpError(f"{field} must be a number, not {type(value).__name__}")
    try:
        number = float(value)
    except OverflowError:
        raise DumpError(f"{field} {value} is too large for a double") from None
    if math.isnan(number):
        raise DumpError(f"{field} is not a number; the file holds finite numbers only")
    if math.isinf(number):
        raise DumpError(f"{field} is infinite; the file holds finite numbers only")
    text = repr(number)
    return text[:-2] if text.endswith(".0") else text


def _word(field, text):
    """A colour, property name or value: one word, and no record separator inside it."""
    if isinstance(text, (int, float)) and not isinstance(text, bool):
        return str(text) if isinstance(text, int) else shortest(text, field)
    _latin1(field, text)
    if not text:
        raise DumpError(f"{field} is empty; it must be one word")
    if any(c in _BLANKS for c in text):
        _refuse(field, text, "holds a blank (space, tab or line break); it must be one word")
    if "!!" in text:
        _refuse(field, text, 'holds "!!", which would start the related searches')
    if "//" in text:
        _refuse(field, text, 'holds "//", which would start the comments')
    return text


def _piece(field, text, search):
    """A related search or a comment line: one line without the separators that cut it."""
    _latin1(field, text)
    if "\n" in text or "\r" in text:
        _refuse(field, text, "holds a line break")
    if "#" in text:
        _refuse(field, text, "holds '#', which separates one from the next")
    if "//" in text:
        _refuse(field, text, 'holds "//", which would start (or end) the comments')
    if search and "!!" in text:
        _refuse(field, text, 'holds "!!", which would end the related searches')
    # The comments' "//" follows the last search directly, so a trailing '/' would join it.
    if search and text.endswith("/"):
        _refuse(field, text, "ends with '/', which would run into the \"//\" of the comments")
    return text


def _integer(field, value):
    if isinstance(value, bool) or not isinstance(value, int):
        raise DumpError(f"{field} must be an integer, not {value!r}")
    if not -_INT_LIMIT - 1 <= value <= _INT_LIMIT:
        raise DumpError(f"{field} {value} does not fit in 32 bits")
    return str(value)


def _point(field, point):
    try:
        x, y = point
    except (TypeError, ValueError):
        raise DumpError(f"{field} must be a pair (x, y), not {point!r}") from None
    return f"{shortest(x, field + ' x')} {shortest(y, field + ' y')}"


def _write_whole(path, text):
    """Writes text beside path and renames it over path once it is all written and synced, so
    that a reader of path sees the old file or the whole new one, never a part."""
    folder, name = os.path.split(os.fspath(path))
    while True:
        temporary = os.path.join(folder, f".{name}.{secrets.token_hex(8)}.tmp")
        try:
            fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
            break
        except FileExistsError:
            continue
    try:
        with os.fdopen(fd, "wb") as file:
            file.write(text.encode("latin-1"))
            file.flush()
            os.fsync(file.fileno())
        os.replace(temporary, path)
    except BaseException:
        try:
            os.unlink(temporary)
        except OSError:
            pass
        raise


class Header:
    """Colours defined by a file and its property declarations; defining the same colour or
    declaring the same property again replaces the earlier line."""

    def __init__(self):
        self.colors = {}
        self.declarations = {}

    def copy(self):
        header = Header()
        header.colors = dict(self.colors)
        header.declarations = dict(self.declarations)
        return header

    def color(self, name, red, green, blue):
        name = _word("color name", name)
        parts = []
        for label, value in (("red", red), ("green", green), ("blue", blue)):
            text = _integer(f"color {name} {label}", value)
            if not 0 <= value <= 255:
                raise DumpError(f"color {name} {label} {value} lies outside 0 to 255")
            parts.append(text)
        self.colors[name] = f"color {name} {' '.join(parts)}\n"

    def property(self, kind_of_object, name, kind="string", default="none"):
        if kind_of_object not in KINDS:
            _refuse("property type", kind_of_object, "is not one of " + ", ".join(KINDS))
        name = _word("property name", name)
        if kind not in ("string", "double"):
            _refuse(f"property {name} kind", kind, 'is neither "string" nor "double"')
        default = _word(f"property {name} default", default)
        self.declarations[(kind_of_object, name)] = (
            f"property {kind_of_object} {name} {kind} {default}\n")

    def text(self):
        return "".join(self.colors.values()) + "".join(self.declarations.values()) + "endheader\n"


class Dump:
    """One .las file, kept in memory and written whole by write(), or on leaving a with block
    that ended without an exception.

    Every kind takes a colour (a built-in name such as "red", a number 1 to 16, or a name
    defined with color()), related searches and comments (lists of text), and properties as
    keywords (or, for names that are no Python keyword, as the dict props)."""

    def __init__(self, file, header=None):
        self.file = os.fspath(file)
        self._header = header.copy() if header else Header()
        self._lines = []
        self.written = False

    def __enter__(self):
        return self

    def __exit__(self, kind, value, traceback):
        if kind is None:
            self.write()

    def color(self, name, red, green, blue):
        """Defines (or redefines) a colour for this file's records, components 0 to 255."""
        self._header.color(name, red, green, blue)
        return self

    def property(self, kind_of_object, name, kind="string", default="none"):
        """Declares a property of every object of one kind ("pt", ...): its kind ("string" or
        "double", how the conditional pick compares it) and its default value."""
        self._header.property(kind_of_object, name, kind, default)
        return self

    def pt(self, x, y, color="black", shape="circle", **parts):
        """A point with its marker: circle, square, cross, triangle, diamond, or a number (n
        above 4 draws an n-gon, a negative one nothing)."""
        code = MARKERS.get(shape) if isinstance(shape, str) else shape
        if code is None:
            _refuse("pt shape", shape, "is not one of " + ", ".join(MARKERS))
        geometry = f"{shortest(x, 'pt x')} {shortest(y, 'pt y')}"
        return self._record("pt", geometry, color, _integer("pt shape", code), parts)

    def line(self, start, end, color="black", **parts):
        geometry = f"{_point('line start', start)} {_point('line end', end)}"
        return self._record("line", geometry, color, None, parts)

    def rect(self, low, high, color="black", **parts):
        """low is the corner with the smaller coordinates, high the one with the larger."""
        geometry = f"{_point('rect low', low)} {_point('rect high', high)}"
        return self._record("rect", geometry, color, None, parts)

    def circle(self, centre, radius, color="black", **parts):
        geometry = f"{_point('circle centre', centre)} {shortest(radius, 'circle radius')}"
        return self._record("circle", geometry, color, None, parts)

    def path(self, points, color="black", **parts):
        return self._record("path", self._vertices("path", points), color, None, parts)

    def polygon(self, points, color="black", **parts):
        return self._record("polygon", self._vertices("polygon", points), color, None, parts)

    def write(self):
        """Writes the file whole (again, if records came since); returns its path."""
        _write_whole(self.file, self._header.text() + "".join(self._lines))
        self.written = True
        return self.file

    def show(self):
        """Writes the file and asks a running Vedra window to open it, or starts one on it;
        False (with a warning) when neither could be done. The file is written in any case."""
        return _show_file(self.write())

    @staticmethod
    def _vertices(kind, points):
        texts = [_point(f"{kind} vertex {i}", p) for i, p in enumerate(points)]
        if not texts:
            raise DumpError(f"{kind} has no vertices; it needs at least one")
        _integer(f"{kind} vertex count", len(texts))
        return f"{len(texts)} " + " ".join(texts)

    def _record(self, kind, geometry, color, tail, parts):
        searches = parts.pop("searches", ())
        comments = parts.pop("comments", ())
        properties = dict(parts.pop("props", None) or {})
        for name in parts:
            if name in properties:
                _refuse(f"{kind} property name", name, "is given twice")
        properties.update(parts)

        color = _word(f"{kind} color", str(color) if isinstance(color, int) else color)
        if color not in BUILT_IN_COLORS and color not in self._header.colors:
            _refuse(f"{kind} color", color, "is neither a built-in colour nor defined with color()")
        line = [kind, geometry, color] + ([tail] if tail is not None else [])
        for name, value in properties.items():
            name = _word(f"{kind} property name", name)
            line += [name, _word(f"{kind} property {name} value", value)]
        text = " ".join(line)
        if isinstance(searches, str) or isinstance(comments, str):
            raise DumpError(f"{kind} searches and comments are lists of text, not one text")
        searches = [_piece(f"{kind} related search", s, True) for s in searches]
        comments = [_piece(f"{kind} comment", c, False) for c in comments]
        if searches:
            text += " !!" + "#".join(searches)
        if comments:
            text += ("//" if searches else " //") + "#".join(comments)
        self._lines.append(text + "\n")
        self.written = False
        return self


class Series:
    """Numbered dumps of one series: PREFIX.N.las, N counting up from first. Colours and
    property declarations given to the series go into every member started after them."""

    def __init__(self, prefix, first=1):
        self.prefix = os.fspath(prefix)
        self._index = first
        self._header = Header()
        self.member = None

    def color(self, name, red, green, blue):
        self._header.color(name, red, green, blue)
        return self

    def property(self, kind_of_object, name, kind="string", default="none"):
        self._header.property(kind_of_object, name, kind, default)
        return self

    def next(self):
        """Writes the member before (if any) and starts the next one."""
        if self.member is not None and not self.member.written:
            self.member.write()
        self.member = Dump(f"{self.prefix}.{self._index}.las", self._header)
        self._index += 1
        return self.member

    def write(self):
        return self.member.write() if self.member is not None else None

    def show(self):
        """Writes the current member and shows it, as Dump.show() does."""
        return self.member is not None and self.member.show()
