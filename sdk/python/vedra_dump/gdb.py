"""The `vedra` command of gdb: draws values of the stopped program in a Vedra window.

Loaded inside gdb by `source .../vedra_dump/gdb_command.py` (`python -m vedra_dump.gdb` prints
that line for the installed package). Commands:

    vedra draw EXPR [EXPR...] [--as path|polygon|points|rects|lines] [--color C] [--count N]
    vedra watch EXPR [EXPR...] [same options]     redraw at every stop; alone, lists the watches
    vedra unwatch [N...]                          all watches, or those numbered N
    vedra clear                                   removes the drawings of the series

Each drawing is a new member `draw.N.las` of one series in `$XDG_RUNTIME_DIR/vedra-gdb` (else
`/tmp/vedra-gdb-USER`, mode 0700), shown in the listening window (started when none listens),
so that the window's timeline steps through what the debugger drew.

Values are read by the names of their members (a point has x and y, a box min and max, ...);
other types by a converter registered with register().
"""

import os
import pwd
import re
import stat
import struct
import sys
from collections import namedtuple
from typing import Callable

try:
    import gdb
except ImportError:  # outside gdb: only the __main__ helper below is of use
    gdb = None

from . import _remote
from ._writer import BUILT_IN_COLORS, Dump, DumpError

__all__ = ["Box", "Circle", "Point", "Segment", "drawing_folder", "install", "register"]

# What converters return, and what values are read into. Coordinates are int or float.
Point = namedtuple("Point", "x y")
Box = namedtuple("Box", "low high")  # two opposite corners, in any order
Segment = namedtuple("Segment", "a b")
Circle = namedtuple("Circle", "centre radius")

# Member names that make a value a shape, tried in this order.
_POINT_MEMBERS = (("x", "y"), ("X", "Y"), ("first", "second"))
_BOX_CORNERS = (("min", "max"), ("lo", "hi"), ("ll", "ur"), ("p1", "p2"))
_BOX_NUMBERS = (("x1", "y1", "x2", "y2"), ("xmin", "ymin", "xmax", "ymax"))
_SEGMENT_ENDS = (("a", "b"), ("p", "q"), ("start", "end"))
_CIRCLE_CENTRES = ("c", "center", "centre")
_CIRCLE_RADII = ("r", "radius")

_KINDS = ("path", "polygon", "points", "rects", "lines")
# Colours of the expressions of one command (and of the watches), in turn.
_PALETTE = ("blue", "red", "green", "fuchsia", "teal", "olive", "purple", "maroon", "navy")
# Elements read from the program's memory at a time: small enough for Ctrl+C to stop a long read
# within a moment, large enough that a million points take a few dozen reads.
_CHUNK = 65536

_converters = []  # (compiled type-name pattern, function), the latest registered first

_HOW_TO_REGISTER = (
    "register a converter in ~/.gdbinit, a function of the gdb.Value returning an (x, y) pair, "
    "a list of shapes, or a vedra_dump.gdb.Box, Segment or Circle, for example\n"
    "  python import vedra_dump.gdb; vedra_dump.gdb.register(r\"^{name}$\", "
    "lambda v: (v[\"u\"], v[\"v\"]))")


def register(pattern: str, function: Callable[["gdb.Value"], object]) -> None:
    """Reads values whose type name matches the regular expression pattern (searched in the
    name as written and with typedefs resolved, without const or volatile) by
    function(gdb.Value). It returns an (x, y) pair (numbers or numeric gdb.Values), a
    Box(low, high), Segment(a, b) or Circle(centre, radius) of such pairs, a gdb.Value to read
    instead, or a list of any of these (a container). Later registrations are tried first."""
    if not callable(function):
        raise TypeError(f"vedra_dump.gdb.register: the converter for {pattern!r} is not callable")
    _converters.insert(0, (re.compile(pattern), function))


def drawing_folder() -> str:
    """The folder of the drawings: $XDG_RUNTIME_DIR/vedra-gdb when that variable names a
    folder, else /tmp/vedra-gdb-USER; made mode 0700 when missing, and used only when it is a
    folder of the user's that no one else can reach (ValueError naming it otherwise)."""
    runtime = os.environ.get("XDG_RUNTIME_DIR")
    if runtime and os.path.isdir(runtime):
        folder = os.path.join(runtime, "vedra-gdb")
    else:
        try:
            user = pwd.getpwuid(os.getuid()).pw_name
        except KeyError:
            user = str(os.getuid())
        folder = f"/tmp/vedra-gdb-{user}"
    try:
        os.mkdir(folder, 0o700)
    except FileExistsError:
        pass
    status = os.lstat(folder)
    if not stat.S_ISDIR(status.st_mode):
        raise ValueError(f"{folder} is not a folder")
    if status.st_uid != os.getuid():
        raise ValueError(f"{folder} belongs to uid {status.st_uid}, not to you")
    if status.st_mode & 0o077:
        raise ValueError(f"others can reach {folder} (mode {stat.S_IMODE(status.st_mode):04o}); "
                         "it must be yours alone")
    return folder


_MEMBER = re.compile(r"draw\.(\d+)\.las\Z")


def _members(folder):
    return [name for name in os.listdir(folder) if _MEMBER.match(name)]


def _next_member(folder):
    numbers = [int(_MEMBER.match(name).group(1)) for name in _members(folder)]
    return os.path.join(folder, f"draw.{max(numbers, default=0) + 1}.las")


class _Points(list):
    """Points read in bulk, as plain (x, y) tuples: a list known to hold points only, so that a
    million of them are neither made Points nor looked through one by one."""


class _Unreadable(Exception):
    """A value (named by its label) that is no shape this module knows."""


# --- reading values -------------------------------------------------------------------------


def _strip(value):
    """value without references, and its type without typedefs, const or volatile."""
    kind = value.type.strip_typedefs()
    while kind.code in (gdb.TYPE_CODE_REF, gdb.TYPE_CODE_RVALUE_REF):
        value = value.referenced_value()
        kind = value.type.strip_typedefs()
    return value, kind.unqualified()


def _is_number_type(kind):
    return kind.strip_typedefs().code in (gdb.TYPE_CODE_INT, gdb.TYPE_CODE_FLT)


def _number(value):
    return float(value) if value.type.strip_typedefs().code == gdb.TYPE_CODE_FLT else int(value)


def _fields(kind):
    """Names of the data members of a struct type (those of its bases included), to the
    member's type."""
    found = {}
    if kind.code not in (gdb.TYPE_CODE_STRUCT, gdb.TYPE_CODE_UNION):
        return found
    for field in kind.fields():
        if field.is_base_class:
            found.update(_fields(field.type.strip_typedefs()))
        elif field.name and hasattr(field, "bitpos"):  # static members have no position
            found[field.name] = field.type
    return found


def _point_of(value, kind, fields):
    """The (x, y) of value when it is a point, else None."""
    for x, y in _POINT_MEMBERS:
        if x in fields and y in fields and _is_number_type(fields[x]) \
                and _is_number_type(fields[y]):
            return Point(_number(value[x]), _number(value[y]))
    if kind.code == gdb.TYPE_CODE_ARRAY and _is_number_type(kind.target()):
        low, high = kind.range()
        if high - low == 1:
            return Point(_number(value[low]), _number(value[high]))
    if len(fields) == 1:  # a wrapper of a two-element array, such as std::array<double, 2>
        (name, member), = fields.items()
        member = member.strip_typedefs()
        if member.code == gdb.TYPE_CODE_ARRAY:
            return _point_of(value[name], member, {})
    return None


def _point_member(value, fields, name):
    if name not in fields:
        return None
    member, kind = _strip(value[name])
    return _point_of(member, kind, _fields(kind))


def _shape_of(value, kind, fields):
    """The Box, Segment or Circle that value is by its members, else None."""
    for low, high in _BOX_CORNERS:
        corners = _point_member(value, fields, low), _point_member(value, fields, high)
        if None not in corners:
            return Box(*corners)
    for names in _BOX_NUMBERS:
        if all(name in fields and _is_number_type(fields[name]) for name in names):
            x1, y1, x2, y2 = (_number(value[name]) for name in names)
            return Box(Point(x1, y1), Point(x2, y2))
    for a, b in _SEGMENT_ENDS:
        ends = _point_member(value, fields, a), _point_member(value, fields, b)
        if None not in ends:
            return Segment(*ends)
    for centre in _CIRCLE_CENTRES:
        middle = _point_member(value, fields, centre)
        if middle is None:
            continue
        for radius in _CIRCLE_RADII:
            if radius in fields and _is_number_type(fields[radius]):
                return Circle(middle, _number(value[radius]))
    return None


def _type_names(value):
    written = value.type.unqualified()
    names = [str(written), str(written.strip_typedefs())]
    return names if names[0] != names[1] else names[:1]


def _converted(value, label):
    for pattern, function in _converters:
        if any(pattern.search(name) for name in _type_names(value)):
            try:
                result = function(value)
            except (KeyboardInterrupt, gdb.GdbError):
                raise
            except Exception as error:
                raise gdb.GdbError(f"vedra: the converter for /{pattern.pattern}/ failed on "
                                   f"{label}: {type(error).__name__}: {error}") from None
            if result is None:
                raise gdb.GdbError(f"vedra: the converter for /{pattern.pattern}/ returned "
                                   f"nothing for {label}")
            return result
    return None


def _from_python(result, label):
    """A converter's result as a shape: gdb.Values read, pairs made Points."""
    if isinstance(result, gdb.Value):
        return _read(result, label)
    if isinstance(result, Box):
        return Box(_pair(result.low, f"{label} low"), _pair(result.high, f"{label} high"))
    if isinstance(result, Segment):
        return Segment(_pair(result.a, f"{label} a"), _pair(result.b, f"{label} b"))
    if isinstance(result, Circle):
        return Circle(_pair(result.centre, f"{label} centre"),
                      _scalar(result.radius, f"{label} radius"))
    if isinstance(result, (tuple, list)) and len(result) == 2 \
            and all(_is_scalar(item) for item in result):
        return Point(_scalar(result[0], f"{label} x"), _scalar(result[1], f"{label} y"))
    try:
        items = iter(result)
    except TypeError:
        raise gdb.GdbError(f"vedra: a converter gave {label} as a {type(result).__name__}, "
                           "which is no shape") from None
    return [_from_python(item, f"{label}[{i}]") for i, item in enumerate(items)]


def _is_scalar(item):
    if isinstance(item, gdb.Value):
        return _is_number_type(item.type)
    return isinstance(item, (int, float)) and not isinstance(item, bool)


def _scalar(item, label):
    if not _is_scalar(item):
        raise gdb.GdbError(f"vedra: a converter gave {label} as {item!r}, not a number")
    return _number(item) if isinstance(item, gdb.Value) else item


def _pair(item, label):
    shape = _from_python(item, label)
    if not isinstance(shape, Point):
        raise gdb.GdbError(f"vedra: a converter gave {label} as something other than a point")
    return shape


def _children(value):
    """The values a pretty-printer shows as children of value (a map's values only), or None
    when no printer shows any."""
    printer = gdb.default_visualizer(value)
    if printer is None or not hasattr(printer, "children"):
        return None
    hint = printer.display_hint() if hasattr(printer, "display_hint") else None
    children = (child for _, child in printer.children())
    if hint == "map":
        children = (child for i, child in enumerate(children) if i % 2)
    return children


def _read(value, label, count=None):
    """The shape of value: a Point, Box, Segment or Circle, or a list of shapes for a container
    (its first count elements when count is given; a pointer needs count to be a container)."""
    value, kind = _strip(value)
    converted = _converted(value, label)
    if converted is not None:
        return _limited(_from_python(converted, label), count)
    fields = _fields(kind)
    point = _point_of(value, kind, fields)
    if point is not None:
        return point
    shape = _shape_of(value, kind, fields)
    if shape is not None:
        return shape
    fast = _read_contiguous(value, kind, count, label)
    if fast is not None:
        return fast
    if kind.code == gdb.TYPE_CODE_PTR:
        if count is not None:
            return [_read(value[i], f"{label}[{i}]") for i in range(count)]
        if kind.target().strip_typedefs().code in (gdb.TYPE_CODE_VOID, gdb.TYPE_CODE_FUNC):
            raise _Unreadable(label, str(value.type))
        if int(value) == 0:
            raise gdb.GdbError(f"vedra: {label} is a null pointer")
        return _read(value.dereference(), f"*{label}")
    children = _children(value)
    if children is None and kind.code == gdb.TYPE_CODE_ARRAY:
        low, high = kind.range()
        children = (value[i] for i in range(low, high + 1))
    if children is None:
        raise _Unreadable(label, str(value.type))
    shapes = []
    for i, child in enumerate(children):
        if count is not None and i >= count:
            break
        shapes.append(_read(child, f"{label}[{i}]"))
    return shapes


def _limited(shape, count):
    return shape[:count] if count is not None and isinstance(shape, list) else shape


def _layout(element):
    """A struct.Struct reading one element of type element as a point, and whether its two
    numbers come y first; None when element is not plain numbers at fixed places."""
    element = element.strip_typedefs()
    places = None
    if element.code == gdb.TYPE_CODE_ARRAY and _is_number_type(element.target()):
        low, high = element.range()
        if high - low == 1:
            size = element.target().strip_typedefs().sizeof
            places = [(0, element.target(), False), (size, element.target(), False)]
    elif element.code == gdb.TYPE_CODE_STRUCT:
        members = {f.name: f for f in element.fields()
                   if f.name and hasattr(f, "bitpos") and not f.is_base_class}
        if any(f.is_base_class for f in element.fields()):
            return None
        for x, y in _POINT_MEMBERS:
            if x in members and y in members:
                places = [(members[name].bitpos, members[name].type, name == y) for name in (x, y)]
                if any(bits % 8 or members[name].bitsize for (bits, _, _), name
                       in zip(places, (x, y))):
                    return None
                places = [(bits // 8, kind, second) for bits, kind, second in places]
                break
    if places is None:
        return None
    places.sort(key=lambda place: place[0])
    codes = ""
    at = 0
    for offset, kind, _ in places:
        kind = kind.strip_typedefs()
        if kind.code == gdb.TYPE_CODE_FLT:
            code = {4: "f", 8: "d"}.get(kind.sizeof)
        elif kind.code == gdb.TYPE_CODE_INT:
            code = {1: "b", 2: "h", 4: "i", 8: "q"}.get(kind.sizeof)
            signed = getattr(kind, "is_signed", None)  # gdb 12 on; before, read one by one
            if signed is None:
                return None
            if code and not signed:
                code = code.upper()
        else:
            code = None
        if code is None or offset < at:
            return None
        codes += f"{offset - at}x{code}"
        at = offset + kind.sizeof
    if at > element.sizeof:
        return None
    codes += f"{element.sizeof - at}x"
    order = "<" if "little" in gdb.execute("show endian", to_string=True) else ">"
    return struct.Struct(order + codes), places[0][2]


_VECTOR = re.compile(r"^std::(__\w+::)?vector<")
_ARRAY = re.compile(r"^std::(__\w+::)?array<")


def _extent(value, kind, count):
    """(address of the first element as a gdb.Value pointer, element count) of value when its
    elements lie one after another in memory, else None."""
    name = kind.tag or kind.name or ""
    if kind.code == gdb.TYPE_CODE_ARRAY:
        if value.address is None:
            return None
        low, high = kind.range()
        first = value[low].address
        return first, high - low + 1
    if kind.code == gdb.TYPE_CODE_PTR:
        return (value, count) if count is not None and int(value) != 0 else None
    if _VECTOR.match(name) and not name.startswith("std::vector<bool"):
        for begin, end in (("_M_impl._M_start", "_M_impl._M_finish"), ("__begin_", "__end_")):
            try:
                start, finish = (_member_path(value, path) for path in (begin, end))
            except gdb.error:
                continue
            return start, int(finish - start)
        return None
    if _ARRAY.match(name):
        for member in ("_M_elems", "__elems_"):
            try:
                inner = value[member]
            except gdb.error:
                continue
            inner_kind = inner.type.strip_typedefs()
            if inner_kind.code == gdb.TYPE_CODE_ARRAY:
                return _extent(inner, inner_kind, None)
        return None
    return None


def _member_path(value, path):
    for name in path.split("."):
        value = value[name]
    return value


def _read_contiguous(value, kind, count, label):
    """The points of a container whose elements are plain points one after another in memory,
    read a chunk at a time; None when value is not such a container."""
    extent = _extent(value, kind, count)
    if extent is None:
        return None
    first, total = extent
    layout = _layout(first.type.strip_typedefs().target())
    if layout is None:
        return None
    reader, swapped = layout
    if count is not None:
        total = min(total, count)
    inferior = gdb.selected_inferior()
    address = int(first)
    size = reader.size
    points = _Points()
    for start in range(0, total, _CHUNK):
        length = min(_CHUNK, total - start)
        try:
            memory = inferior.read_memory(address + start * size, length * size)
        except gdb.MemoryError as error:
            raise gdb.GdbError(f"vedra: cannot read {label}[{start}] to "
                               f"{label}[{start + length - 1}]: {error}") from None
        if swapped:
            points.extend((x, y) for y, x in reader.iter_unpack(memory))
        else:
            points.extend(reader.iter_unpack(memory))
    return points


# --- drawing --------------------------------------------------------------------------------


def _describe(kind):
    return {Point: "a point", Box: "a box", Segment: "a segment", Circle: "a circle",
            list: "a container"}[type(kind)]


def _comments(label):
    """The label as the record's comment when a comment can hold it."""
    try:
        label.encode("latin-1")
    except UnicodeEncodeError:
        return []
    return [] if any(bad in label for bad in ("#", "//", "\n", "\r")) else [label]


def _emit(dump, shape, label, color, drawn_as):
    """Adds the records of shape to dump; a container of points as drawn_as (a path when
    None), any other shape as its own kind."""
    if isinstance(shape, list) and not shape:
        return  # an empty container draws nothing (and is told)
    if isinstance(shape, Point):
        dump.pt(shape.x, shape.y, color, comments=_comments(label))
    elif isinstance(shape, Box):
        (x1, y1), (x2, y2) = shape
        dump.rect((min(x1, x2), min(y1, y2)), (max(x1, x2), max(y1, y2)), color,
                  comments=_comments(label))
    elif isinstance(shape, Segment):
        dump.line(shape.a, shape.b, color, comments=_comments(label))
    elif isinstance(shape, Circle):
        dump.circle(shape.centre, shape.radius, color, comments=_comments(label))
    elif isinstance(shape, _Points) or shape and all(isinstance(item, Point) for item in shape):
        _emit_points(dump, shape, label, color, drawn_as or "path")
    else:
        wanted = {"rects": Box, "lines": Segment}.get(drawn_as)
        for i, item in enumerate(shape):
            if drawn_as is not None and not isinstance(item, (wanted or Point, list)):
                raise gdb.GdbError(f"vedra: --as {drawn_as} cannot draw {label}[{i}], "
                                   f"{_describe(item)}")
            _emit(dump, item, f"{label}[{i}]", color, drawn_as)


def _emit_points(dump, points, label, color, drawn_as):
    if drawn_as == "path":
        dump.path(points, color, comments=_comments(label))
    elif drawn_as == "polygon":
        dump.polygon(points, color, comments=_comments(label))
    elif drawn_as == "points":
        for i, (x, y) in enumerate(points):
            dump.pt(x, y, color, comments=_comments(f"{label}[{i}]"))
    else:
        if len(points) % 2:
            raise gdb.GdbError(f"vedra: --as {drawn_as} takes the points of {label} two by two, "
                               f"and it has {len(points)}")
        pairs = Box if drawn_as == "rects" else Segment
        for i in range(0, len(points), 2):
            _emit(dump, pairs(points[i], points[i + 1]), f"{label}[{i}..{i + 1}]", color, None)


class _Request:
    """One draw or watch: expressions and how to draw them."""

    def __init__(self, argument, command):
        words = gdb.string_to_argv(argument)
        self.expressions = []
        self.drawn_as = self.color = self.count = None
        options_end = False
        i = 0
        while i < len(words):
            word = words[i]
            i += 1
            if options_end or not word.startswith("--"):
                self.expressions.append(word)
                continue
            if word == "--":
                options_end = True
                continue
            name, has_value, given = word[2:].partition("=")
            if name not in ("as", "color", "count"):
                raise gdb.GdbError(f"vedra {command}: unknown option {word}; the options are "
                                   "--as, --color and --count")
            if not has_value:
                if i == len(words):
                    raise gdb.GdbError(f"vedra {command}: --{name} needs a value")
                given = words[i]
                i += 1
            if name == "as" and given not in _KINDS:
                raise gdb.GdbError(f"vedra {command}: --as {given} is not one of "
                                   + ", ".join(_KINDS))
            if name == "color" and given not in BUILT_IN_COLORS:
                raise gdb.GdbError(f"vedra {command}: --color {given} is neither a colour's name "
                                   "(" + ", ".join(sorted(c for c in BUILT_IN_COLORS
                                                          if not c.isdigit()))
                                   + ") nor a number 1 to 16")
            setattr(self, {"as": "drawn_as"}.get(name, name), given)
        if not self.expressions:
            raise gdb.GdbError(f"vedra {command}: no expression given; usage: vedra {command} "
                               "EXPR [EXPR...] [--as " + "|".join(_KINDS) +
                               "] [--color C] [--count N]")

    def __str__(self):
        options = [f"--{name} {value}" for name, value in
                   (("as", self.drawn_as), ("color", self.color), ("count", self.count)) if value]
        return " ".join([_quote(e) for e in self.expressions] + options)

    def read(self):
        """Evaluates the expressions in the selected frame: their shapes, in order; raises
        gdb.GdbError, naming the expression, for one that cannot be read."""
        count = None
        if self.count is not None:
            try:
                count = int(gdb.parse_and_eval(self.count))
            except gdb.error as error:
                raise gdb.GdbError(f"vedra: --count {self.count}: {error}") from None
            if count < 0:
                raise gdb.GdbError(f"vedra: --count {self.count} is {count}, below 0")
        shapes = []
        for expression in self.expressions:
            try:
                shapes.append(_read(gdb.parse_and_eval(expression), expression, count))
            except _Unreadable as unknown:
                label, name = unknown.args
                raise gdb.GdbError(
                    f"vedra: cannot draw {label}: its type {name} is no point (x/y, X/Y, "
                    "first/second, a two-element array), box (min/max, lo/hi, ll/ur, p1/p2, "
                    "x1 y1 x2 y2, xmin ymin xmax ymax), segment (a/b, p/q, start/end), circle "
                    "(c, center or centre with r or radius) or container of these; "
                    + _HOW_TO_REGISTER.format(name=re.escape(name))) from None
            except gdb.MemoryError as error:
                raise gdb.GdbError(f"vedra: cannot read {expression}: {error}") from None
            except gdb.GdbError:
                raise
            except gdb.error as error:
                raise gdb.GdbError(f"vedra: {expression}: {error}") from None
        return shapes

    def emit(self, dump, shapes, first_color):
        """Adds the records of shapes (as read() gave them) to dump, the expressions in colours
        of the palette from first_color on unless --color gave one."""
        for i, (expression, shape) in enumerate(zip(self.expressions, shapes)):
            color = self.color or _PALETTE[(first_color + i) % len(_PALETTE)]
            if shape == []:
                gdb.write(f"vedra: {expression} is empty\n")
            try:
                _emit(dump, shape, expression, color, self.drawn_as)
            except DumpError as error:
                raise gdb.GdbError(f"vedra: cannot draw {expression}: {error}") from None


def _quote(expression):
    return expression if not re.search(r"\s|['\"\\]", expression) else \
        '"' + expression.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _show(dump):
    """Writes dump and hands it to the listening window (starting one when none listens);
    a window that cannot be reached is told, the file staying written."""
    try:
        dump.write()
    except OSError as error:
        raise gdb.GdbError(f"vedra: {error}") from None
    # A debugging session outlives windows: when the window it started has been closed, the
    # next drawing may start another.
    started = _remote._started.window
    if started is not None and started.poll() is not None:
        _remote._started = _remote._Started()
    try:
        _remote.show(dump.file, check=True)
    except (_remote.WindowError, ValueError) as error:
        gdb.write(f"vedra: drew {dump.file}, but cannot show it: {error}\n", gdb.STDERR)


def _new_dump():
    try:
        folder = drawing_folder()
    except (OSError, ValueError) as error:
        raise gdb.GdbError(f"vedra: no folder for the drawings: {error}") from None
    return Dump(_next_member(folder))


def _interruptible(action):
    """Runs action; Ctrl+C during it ends the command with nothing drawn."""
    try:
        return action()
    except KeyboardInterrupt:
        raise gdb.GdbError("vedra: interrupted; nothing drawn") from None
    except gdb.error as error:
        if str(error).startswith("Quit"):
            raise gdb.GdbError("vedra: interrupted; nothing drawn") from None
        raise


class _Watches:
    """The watched requests by number, and the drawing of them all at each stop."""

    def __init__(self):
        self.requests = {}
        self.last = 0

    def add(self, request):
        self.last += 1
        self.requests[self.last] = request
        return self.last

    def draw(self):
        """One new member holding every watch that can be read now; a watch that cannot is
        told and left out."""
        dump = _new_dump()
        drawn = 0
        for number, request in sorted(self.requests.items()):
            try:
                shapes = _interruptible(request.read)
                request.emit(Dump(dump.file), shapes, number - 1)  # all or nothing of a watch
            except gdb.GdbError as error:
                reason = str(error)
                reason = reason[len("vedra: "):] if reason.startswith("vedra: ") else reason
                gdb.write(f"vedra watch {number}: {reason}\n", gdb.STDERR)
                continue
            request.emit(dump, shapes, number - 1)
            drawn += 1
        if drawn:
            _show(dump)

    def on_stop(self, event):
        if not self.requests:
            return
        try:
            self.draw()
        except (gdb.GdbError, gdb.error) as error:
            gdb.write(f"{error}\n", gdb.STDERR)


_watches = _Watches()


def _has_frame():
    try:
        gdb.selected_frame()
        return True
    except gdb.error:
        return False


def install() -> None:
    """Defines the vedra commands in gdb and redraws the watches at each stop (once, however
    often it is called)."""
    if gdb is None:
        raise RuntimeError("vedra_dump.gdb.install() runs inside gdb only (gdb's `python` "
                           "command or `source`)")
    if getattr(gdb, "_vedra_installed", False):
        return

    class Vedra(gdb.Command):
        """Draws values of the program in a Vedra window: vedra draw, watch, unwatch, clear."""

        def __init__(self):
            super().__init__("vedra", gdb.COMMAND_DATA, gdb.COMPLETE_NONE, True)

        def invoke(self, argument, from_tty):
            gdb.execute("help vedra", from_tty)

    class Draw(gdb.Command):
        """Draws each expression in the Vedra window, as the next drawing of the series.
Usage: vedra draw EXPR [EXPR...] [--as path|polygon|points|rects|lines] [--color C] [--count N]
A point has members x/y, X/Y or first/second, or is a two-element array; a box min/max, lo/hi,
ll/ur, p1/p2 or x1 y1 x2 y2 / xmin ymin xmax ymax; a segment a/b, p/q or start/end; a circle c,
center or centre and r or radius. Containers (std::vector, list, array, C arrays, a pointer
with --count N) draw their points as a path unless --as says otherwise. Quote an expression
holding spaces."""

        def __init__(self):
            super().__init__("vedra draw", gdb.COMMAND_DATA, gdb.COMPLETE_EXPRESSION)

        def invoke(self, argument, from_tty):
            request = _Request(argument, "draw")

            shapes = _interruptible(request.read)
            dump = _new_dump()
            _interruptible(lambda: request.emit(dump, shapes, 0))
            _show(dump)

    class Watch(gdb.Command):
        """Redraws the expressions each time the program stops (breakpoint, step, next).
Usage: vedra watch EXPR [EXPR...] [options of vedra draw]; without arguments, lists the
watches. All watches of one stop go into one new member of the series."""

        def __init__(self):
            super().__init__("vedra watch", gdb.COMMAND_DATA, gdb.COMPLETE_EXPRESSION)

        def invoke(self, argument, from_tty):
            if not argument.strip():
                if not _watches.requests:
                    gdb.write("vedra: no watches\n")
                for number, request in sorted(_watches.requests.items()):
                    gdb.write(f"{number}: {request}\n")
                return
            number = _watches.add(_Request(argument, "watch"))
            gdb.write(f"vedra watch {number}: {_watches.requests[number]}\n")
            if _has_frame():
                _watches.draw()

    class Unwatch(gdb.Command):
        """Ends the watches numbered N (as `vedra watch` lists them), or all of them.
Usage: vedra unwatch [N...]"""

        def __init__(self):
            super().__init__("vedra unwatch", gdb.COMMAND_DATA, gdb.COMPLETE_NONE)

        def invoke(self, argument, from_tty):
            words = gdb.string_to_argv(argument)
            if not words:
                _watches.requests.clear()
                return
            for word in words:
                if not word.isdigit() or int(word) not in _watches.requests:
                    raise gdb.GdbError(f"vedra unwatch: no watch {word}; `vedra watch` lists "
                                       "them")
            for word in words:
                del _watches.requests[int(word)]

    class Clear(gdb.Command):
        """Removes the drawings of the series, so that the next drawing is draw.1.las.
The drawings are the files draw.N.las of $XDG_RUNTIME_DIR/vedra-gdb (else /tmp/vedra-gdb-USER)."""

        def __init__(self):
            super().__init__("vedra clear", gdb.COMMAND_DATA, gdb.COMPLETE_NONE)

        def invoke(self, argument, from_tty):
            try:
                folder = drawing_folder()
                for name in _members(folder):
                    os.remove(os.path.join(folder, name))
            except (OSError, ValueError) as error:
                raise gdb.GdbError(f"vedra clear: {error}") from None

    for command in (Vedra, Draw, Watch, Unwatch, Clear):
        command()
    gdb.events.stop.connect(_watches.on_stop)
    gdb._vedra_installed = True


def _command_file():
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), "gdb_command.py")


if __name__ == "__main__":
    if sys.argv[1:] not in ([], ["--gdbinit"]):
        sys.exit("usage: python -m vedra_dump.gdb [--gdbinit]\n"
                 "prints the line for ~/.gdbinit that adds the vedra command to gdb")
    print(f"source {_command_file()}")
