"""Dumps and series of .las files, checked so that what is written reads back exactly."""

import errno
import math
import os
import re
import secrets
import stat
import sys
import threading
import time

from . import _remote

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


class DumpWriteError(OSError):
    """A dump could not be written: the message names the dump (not the temporary file beside
    it) and the reason; errno is the system's when it gave one, filename the dump."""

    def __init__(self, dump, reason, number=None):
        super().__init__(number, f"cannot write {dump}: {reason}")
        self.filename = dump

    def __str__(self):
        return self.strerror


# Temporaries are named .NAME.PID-RANDOM.tmp; .NAME.RANDOM.tmp are left by earlier versions.
_TEMPORARY = re.compile(r"\.(.+)\.(?:(\d+)-)?([0-9a-f]{16})\.tmp\Z", re.S)
# A temporary of a process that is gone is removed once it is this old (seconds): a writer on
# another machine sharing the folder keeps writing to its own for less than that. One without a
# process number is removed an hour after its last change.
_STALE_AFTER = 5.0
_STALE_UNNAMED_AFTER = 3600.0
# Per folder already looked through: the temporaries found there, by the name of their dump.
_temporaries = {}
_temporaries_lock = threading.Lock()

_KIND_OF_FILE = [(stat.S_ISDIR, "a folder"), (stat.S_ISFIFO, "a FIFO"),
                 (stat.S_ISCHR, "a character device"), (stat.S_ISBLK, "a block device"),
                 (stat.S_ISSOCK, "a socket")]


def _stale_temporaries(folder, name):
    """The temporaries of dump name in folder that the next write removes. The folder is looked
    through once in a run (a series writes thousands of dumps to one folder); what is found is
    handed out dump by dump."""
    with _temporaries_lock:
        found = _temporaries.get(folder)
        if found is None:
            found = _temporaries[folder] = {}
            try:
                for entry in os.scandir(folder):
                    match = _TEMPORARY.match(entry.name)
                    if match:
                        found.setdefault(match.group(1), []).append(
                            (entry.name, match.group(2)))
            except OSError:
                pass
        candidates = found.pop(name, ())
    stale = []
    now = time.time()
    for temporary, pid in candidates:
        path = os.path.join(folder, temporary)
        try:
            status = os.lstat(path)
        except OSError:
            continue
        if not stat.S_ISREG(status.st_mode) or status.st_uid != os.geteuid():
            continue
        age = now - status.st_mtime
        if pid is None:
            if age >= _STALE_UNNAMED_AFTER:
                stale.append(path)
        elif age >= _STALE_AFTER and not _alive(int(pid)):
            stale.append(path)
    return stale


def _alive(pid):
    if pid == os.getpid():
        return True
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except (PermissionError, OverflowError):
        return True
    return True


def _write_whole(dump, text):
    """Writes text beside the file dump names (a link's target) and renames it over that file
    once it is all written and synced, so that a reader sees the old file or the whole new one,
    never a part. The folders are made as needed; an existing file keeps its mode."""
    data = text.encode("latin-1")
    dump = os.fsdecode(dump)
    target = os.path.realpath(dump)
    folder, name = os.path.split(target)
    temporary = None
    try:
        os.makedirs(folder, exist_ok=True)
        try:
            status = os.stat(target)
        except FileNotFoundError:
            status = None
        if status is not None:
            for test, what in _KIND_OF_FILE:
                if test(status.st_mode):
                    raise DumpWriteError(dump, f"it is {what}, not a regular file")
            if not status.st_mode & 0o222 or not os.access(target, os.W_OK):
                raise DumpWriteError(dump, f"the file is read-only (mode "
                                     f"{stat.S_IMODE(status.st_mode):04o})", errno.EACCES)
        for stale in _stale_temporaries(folder, name):
            try:
                os.unlink(stale)
            except OSError:
                pass
        while True:
            temporary = os.path.join(folder, f".{name}.{os.getpid()}-{secrets.token_hex(8)}.tmp")
            try:
                fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC,
                             0o666 if status is None else 0o600)
                break
            except FileExistsError:
                continue
        with os.fdopen(fd, "wb") as file:
            if status is not None:
                os.fchmod(file.fileno(), stat.S_IMODE(status.st_mode))
            file.write(data)
            file.flush()
            os.fsync(file.fileno())
        os.replace(temporary, target)
        temporary = None
    except OSError as error:
        if isinstance(error, DumpWriteError):
            raise
        raise DumpWriteError(dump, error.strerror or str(error), error.errno) from error
    finally:
        if temporary is not None:
            try:
                os.unlink(temporary)
            except OSError:
                pass


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

    def text(self, given=None):
        """The header's lines; given maps (kind, name) of the properties records gave to
        whether every value was a number, and those not declared are declared: as doubles
        without a value (nan, which no comparison matches) or as strings "none"."""
        undeclared = "".join(
            f"property {kind} {name} {'double nan' if numeric else 'string none'}\n"
            for (kind, name), numeric in (given or {}).items()
            if (kind, name) not in self.declarations)
        return ("".join(self.colors.values()) + "".join(self.declarations.values()) + undeclared
                + "endheader\n")


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
        # (kind, property name) of each property a record gave -> whether all were numbers.
        self._given = {}
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
        """Writes the file whole (again, if records came since); returns its path. Folders
        missing on the way are made; a link is written through to its target, and an existing
        file keeps its mode. Raises DumpWriteError (an OSError naming the file) when the file
        cannot be written: a target that is not a regular file or is read-only, or an error of
        the system (no space left, no permission); the old file is then left as it was."""
        _write_whole(self.file, self._header.text(self._given) + "".join(self._lines))
        self.written = True
        return self.file

    def show(self, *, check=False):
        """Writes the file and asks a running Vedra window to display it, or starts one on it,
        as vedra_dump.show() does: False (with a warning), or with check=True the error, when
        neither could be done. The file is written in any case."""
        return _remote._show(self.write(), check, 3)

    def pause(self, message="", *, check=False):
        """Writes and shows the file as show() does, then waits until the engineer continues in
        the window ("Continue", F8, or "Don't Stop Here Again": this place no longer pauses in
        this run). The window names the program, this call's file and line, and the message.

        Returns True once continued. Never a hang: when no window can be reached or started,
        or the window is closed or the connection drops meanwhile, it returns False at once with
        a warning saying why (with check=True, raises PauseEnded or the WindowError instead).
        With VEDRA_PAUSE=0 in the environment every pause only shows."""
        caller = sys._getframe(1)
        return _remote._pause(self.write(), message,
                              (caller.f_code.co_filename, caller.f_lineno), check, 3)

    @staticmethod
    def _vertices(kind, points):
        texts = [_point(f"{kind} vertex {i}", p) for i, p in enumerate(points)]
        if not texts:
            raise DumpError(f"{kind} has no vertices; it needs at least one")
        _integer(f"{kind} vertex count", len(texts))
        return f"{len(texts)} " + " ".join(texts)

    def _record(self, kind, geometry, color, tail, parts):
        searches = parts.pop("searches", None)
        comments = parts.pop("comments", None)
        searches = () if searches is None else searches
        comments = () if comments is None else comments
        properties = dict(parts.pop("props", None) or {})
        for name in parts:
            if name in properties:
                _refuse(f"{kind} property name", name, "is given twice")
        properties.update(parts)

        color = _word(f"{kind} color", str(color) if isinstance(color, int) else color)
        if color not in BUILT_IN_COLORS and color not in self._header.colors:
            _refuse(f"{kind} color", color, "is neither a built-in colour nor defined with color()")
        line = [kind, geometry, color] + ([tail] if tail is not None else [])
        numeric = {}
        for name, value in properties.items():
            name = _word(f"{kind} property name", name)
            line += [name, _word(f"{kind} property {name} value", value)]
            numeric[name] = isinstance(value, (int, float)) and not isinstance(value, bool)
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
        for name, number in numeric.items():
            self._given[(kind, name)] = self._given.get((kind, name), True) and number
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

    def show(self, *, check=False):
        """Writes the current member and shows it, as Dump.show() does; False when no member
        was started."""
        if self.member is None:
            return False
        return _remote._show(self.member.write(), check, 3)

    def pause(self, message="", *, check=False):
        """Writes the current member and pauses on it, as Dump.pause() does; False when no
        member was started."""
        if self.member is None:
            return False
        caller = sys._getframe(1)
        return _remote._pause(self.member.write(), message,
                              (caller.f_code.co_filename, caller.f_lineno), check, 3)
