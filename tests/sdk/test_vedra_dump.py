"""vedra_dump on its own: what it refuses, how it writes numbers and series, and show() against a
stand-in window. What it writes is loaded by the viewer's loader in tst_dumpwriter."""

import errno
import json
import math
import os
import socket
import stat
import subprocess
import struct
import sys
import tempfile
import threading
import time
import unittest
import warnings
from unittest import mock

import vedra_dump
from vedra_dump import DumpError, DumpWriteError, _remote

# A user other than root, for the cases where the socket or the window is someone else's.
OTHER_UID = 65534


class Folder(unittest.TestCase):
    """Each test in a folder of its own, with no window to be found or started by accident."""

    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = folder.name
        self.old_environment = dict(os.environ)
        self.addCleanup(lambda: (os.environ.clear(), os.environ.update(self.old_environment)))
        os.environ["VEDRA_SOCKET"] = self.path("nobody.sock")
        os.environ["VEDRA_PROGRAM"] = self.path("no-such-program")
        os.environ["XDG_STATE_HOME"] = self.path("state")
        # Each test is a run of its own: it may start its one window, and no place is skipped.
        _remote._started = _remote._Started()
        _remote._skipped_sites = set()
        self.addCleanup(self.end_started_window)

    @staticmethod
    def end_started_window():
        window = _remote._started.window
        if window is not None and window.poll() is None:
            window.kill()
            window.wait()

    def path(self, name):
        return os.path.join(self.folder, name)

    def read(self, name):
        with open(self.path(name), encoding="latin-1") as file:
            return file.read()


class Refusals(Folder):
    # Each refused call, and how its message starts: the field it names.
    CASES = [
        (lambda d: d.pt(math.nan, 0), "pt x is not a number"),
        (lambda d: d.circle((0, 0), math.inf), "circle radius is infinite"),
        (lambda d: d.path([(0, 0), (1, -math.inf)]), "path vertex 1 y is infinite"),
        (lambda d: d.line((0, 0), (10**400, 0)), "line end x 1000"),
        (lambda d: d.pt("1", 0), "pt x must be a number"),
        (lambda d: d.rect((0, 0), (1,)), "rect high must be a pair"),
        (lambda d: d.path([]), "path has no vertices"),
        (lambda d: d.polygon([]), "polygon has no vertices"),
        (lambda d: d.pt(0, 0, color="dark red"), "pt color 'dark red' holds a blank"),
        (lambda d: d.pt(0, 0, color="reed"), "pt color 'reed' is neither"),
        (lambda d: d.pt(0, 0, color=17), "pt color '17' is neither"),
        (lambda d: d.pt(0, 0, color=""), "pt color is empty"),
        (lambda d: d.pt(0, 0, shape="star"), "pt shape 'star'"),
        (lambda d: d.pt(0, 0, shape=2**31), "pt shape 2147483648 does not fit"),
        (lambda d: d.color("a!!b", 1, 2, 3), "color name 'a!!b' holds \"!!\""),
        (lambda d: d.color("c", 0, 256, 0), "color c green 256 lies outside"),
        (lambda d: d.color("c", 0, 1.5, 0), "color c green must be an integer"),
        (lambda d: d.property("point", "net"), "property type 'point'"),
        (lambda d: d.property("pt", "net", "int"), "property net kind 'int'"),
        (lambda d: d.property("pt", "net", "string", "no ne"), "property net default 'no ne'"),
        (lambda d: d.pt(0, 0, props={"a b": "v"}), "pt property name 'a b' holds a blank"),
        (lambda d: d.pt(0, 0, n="a\tb"), "pt property n value 'a\\tb' holds a blank"),
        (lambda d: d.pt(0, 0, n="a!!"), "pt property n value 'a!!' holds \"!!\""),
        (lambda d: d.pt(0, 0, n="http://x"), "pt property n value 'http://x' holds \"//\""),
        (lambda d: d.pt(0, 0, n=""), "pt property n value is empty"),
        (lambda d: d.pt(0, 0, n="µ€"), "pt property n value 'µ€' holds a character beyond"),
        (lambda d: d.pt(0, 0, comments=["ok", "\u0100"]), "pt comment '\u0100' holds a charac"),
        (lambda d: d.pt(0, 0, n=None), "pt property n value must be text"),
        (lambda d: d.pt(0, 0, props={"n": 1}, n=2), "pt property name 'n' is given twice"),
        (lambda d: d.circle((0, 0), 1, w=math.nan), "circle property w value is not a number"),
        (lambda d: d.pt(0, 0, comments=["a#b"]), "pt comment 'a#b' holds '#'"),
        (lambda d: d.pt(0, 0, comments=["see //x"]), "pt comment 'see //x' holds \"//\""),
        (lambda d: d.pt(0, 0, comments=["a\nb"]), "pt comment 'a\\nb' holds a line break"),
        (lambda d: d.pt(0, 0, comments="one text"), "pt searches and comments are lists"),
        (lambda d: d.pt(0, 0, searches=["a#b"]), "pt related search 'a#b' holds '#'"),
        (lambda d: d.pt(0, 0, searches=["a!!b"]), "pt related search 'a!!b' holds \"!!\""),
        (lambda d: d.pt(0, 0, searches=["net == a/"]),
         "pt related search 'net == a/' ends with '/'"),
    ]

    def test_each_refusal_names_its_field_and_writes_nothing(self):
        with vedra_dump.Dump(self.path("refused.las")) as dump:
            for call, message in self.CASES:
                with self.subTest(message=message):
                    with self.assertRaises(DumpError) as refused:
                        call(dump)
                    self.assertTrue(str(refused.exception).startswith(message),
                                    str(refused.exception))
        self.assertEqual(self.read("refused.las"), "endheader\n")


class Writing(Folder):
    def test_numbers_are_the_shortest_text_of_the_same_double(self):
        for value, text in [(0.1, "0.1"), (-0.0, "-0"), (3, "3"), (2.5e-324, "5e-324"),
                            (1.7976931348623157e308, "1.7976931348623157e+308"),
                            (1e16, "1e+16"), (123456789.125, "123456789.125"), (2**53 + 1, "9007199254740992")]:
            with self.subTest(value=value):
                self.assertEqual(vedra_dump.shortest(value), text)
                self.assertEqual(struct.pack("<d", float(text)), struct.pack("<d", float(value)))

    def test_a_record_holds_its_parts_in_order(self):
        with vedra_dump.Dump(self.path("one.las")) as dump:
            dump.color("mine", 10, 20, 30).property("pt", "net", "string", "none")
            dump.pt(1.5, 2, color="mine", shape="triangle", net="a1", w=0.25,
                    searches=["q1", "q2!"], comments=[" first note", "second"])
            dump.path([(0, 0), [1, 2]], color=3, comments=["/x"])
        self.assertEqual(self.read("one.las"),
                         "color mine 10 20 30\nproperty pt net string none\n"
                         "property pt w double nan\nendheader\n"
                         "pt 1.5 2 mine 3 net a1 w 0.25 !!q1#q2!// first note#second\n"
                         "path 2 0 0 1 2 3 ///x\n")

    def test_undeclared_properties_are_declared_by_what_they_hold(self):
        with vedra_dump.Dump(self.path("auto.las")) as dump:
            dump.property("pt", "net", "string", "a0")
            dump.pt(0, 0, net="a1", w=1, mixed=2.5, name="é", comments=None, searches=None)
            dump.pt(1, 1, w=-0.5, mixed="x1")
            dump.line((0, 0), (1, 1), w="thick")
            with self.assertRaises(DumpError):
                dump.circle((0, 0), 1, w="refused record", r=math.inf)
            dump.circle((0, 0), 1, w=3)
        with open(self.path("auto.las"), "rb") as file:
            self.assertEqual(file.read(),
                             b"property pt net string a0\n"
                             b"property pt w double nan\nproperty pt mixed string none\n"
                             b"property pt name string none\nproperty line w string none\n"
                             b"property circle w double nan\nendheader\n"
                             b"pt 0 0 black 0 net a1 w 1 mixed 2.5 name \xe9\n"
                             b"pt 1 1 black 0 w -0.5 mixed x1\n"
                             b"line 0 0 1 1 black w thick\ncircle 0 0 1 black w 3\n")

    def test_a_series_numbers_its_members_and_each_appears_whole(self):
        series = vedra_dump.Series(self.path("step"), first=9).color("mine", 1, 2, 3)
        with series.next() as dump:
            dump.pt(1, 1, color="mine")
        series.property("pt", "net")
        series.next().pt(2, 2, color="mine")
        self.assertEqual(sorted(os.listdir(self.folder)), ["step.9.las"])
        series.write()
        self.assertEqual(sorted(os.listdir(self.folder)), ["step.10.las", "step.9.las"])
        self.assertEqual(self.read("step.10.las"), "color mine 1 2 3\n"
                         "property pt net string none\nendheader\npt 2 2 mine 0\n")

    def test_a_block_left_by_an_exception_writes_nothing(self):
        with self.assertRaises(KeyError):
            with vedra_dump.Dump(self.path("half.las")) as dump:
                dump.pt(0, 0)
                raise KeyError("the program failed")
        self.assertFalse(os.path.exists(self.path("half.las")))



class Files(Folder):
    """Where a write lands, what it keeps of the file it replaces, and what it refuses."""

    def write(self, name):
        dump = vedra_dump.Dump(self.path(name))
        dump.pt(1, 2)
        return dump.write()

    def test_a_write_lands_on_the_file_the_name_leads_to(self):
        os.symlink("target.las", self.path("link.las"))
        with open(self.path("private.las"), "w") as file:
            file.write("old")
        os.chmod(self.path("private.las"), 0o640)
        # name written, the file that holds it afterwards, and its mode (None: as umask makes it)
        for name, holder, mode in [("run/deeper/step.1.las", "run/deeper/step.1.las", None),
                                   ("link.las", "target.las", None),
                                   ("private.las", "private.las", 0o640)]:
            with self.subTest(name=name):
                self.write(name)
                self.assertEqual(self.read(holder), "endheader\npt 1 2 black 0\n")
                if mode is not None:
                    self.assertEqual(stat.S_IMODE(os.stat(self.path(holder)).st_mode), mode)
        self.assertTrue(os.path.islink(self.path("link.las")))
        self.assertEqual([n for n in os.listdir(self.folder) if n.endswith(".tmp")], [])

    def test_a_file_that_is_not_a_writable_regular_file_is_refused(self):
        os.mkfifo(self.path("fifo.las"))
        os.mkdir(self.path("folder.las"))
        with open(self.path("read-only.las"), "w") as file:
            file.write("kept")
        os.chmod(self.path("read-only.las"), 0o444)
        os.symlink("fifo.las", self.path("link-to-fifo.las"))
        for name, why in [("fifo.las", "it is a FIFO, not a regular file"),
                          ("folder.las", "it is a folder, not a regular file"),
                          ("read-only.las", "the file is read-only (mode 0444)"),
                          ("link-to-fifo.las", "it is a FIFO, not a regular file")]:
            with self.subTest(name=name):
                with self.assertRaises(DumpWriteError) as refused:
                    self.write(name)
                self.assertEqual(str(refused.exception), f"cannot write {self.path(name)}: {why}")
        self.assertEqual(self.read("read-only.las"), "kept")
        self.assertTrue(stat.S_ISFIFO(os.lstat(self.path("fifo.las")).st_mode))

    def test_a_failed_write_names_the_dump_and_keeps_the_old_file(self):
        with open(self.path("full.las"), "w") as file:
            file.write("old")
        full = OSError(errno.ENOSPC, os.strerror(errno.ENOSPC))
        with mock.patch("os.fsync", side_effect=full), self.assertRaises(DumpWriteError) as failed:
            self.write("full.las")
        self.assertIsInstance(failed.exception, OSError)
        self.assertEqual(failed.exception.errno, errno.ENOSPC)
        self.assertEqual(failed.exception.filename, self.path("full.las"))
        self.assertEqual(str(failed.exception),
                         f"cannot write {self.path('full.las')}: No space left on device")
        self.assertEqual(os.listdir(self.folder), ["full.las"])
        self.assertEqual(self.read("full.las"), "old")

    def test_a_write_removes_the_temporaries_that_interrupted_writes_left(self):
        ended = subprocess.Popen(["true"])
        ended.wait()
        now = time.time()
        # name, seconds since its last change, whether the next write of d.las removes it
        cases = [(f".d.las.{ended.pid}-0123456789abcdef.tmp", 10, True),
                 (f".d.las.{ended.pid}-0123456789abcde0.tmp", 0, False),
                 (f".d.las.{os.getpid()}-0123456789abcdef.tmp", 10, False),
                 (".d.las.0123456789abcdef.tmp", 7200, True),
                 (".d.las.0123456789abcde0.tmp", 600, False),
                 (f".e.las.{ended.pid}-0123456789abcdef.tmp", 10, False),
                 (f".d.las.{ended.pid}-0123456789abcdef.tmp.keep", 10, False)]
        for name, age, _ in cases:
            with open(self.path(name), "w") as file:
                file.write("part")
            os.utime(self.path(name), (now - age, now - age))
        self.write("d.las")
        for name, _, removed in cases:
            with self.subTest(name=name):
                self.assertEqual(os.path.exists(self.path(name)), not removed)


def listen_privately(path):
    """A socket listening at path, closed to others as the window's is; accept() looks every
    50 ms, so that a stand-in can be stopped."""
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(path)
    os.chmod(path, 0o600)
    server.listen()
    server.settimeout(0.05)
    return server


class StandInWindow:
    """Listens at a socket, closed to others, and answers each request line with reply; keeps
    every byte it was sent."""

    def __init__(self, path, reply=b"ok\n"):
        self.received = b""
        self.server = listen_privately(path)
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.serve, args=(reply,), daemon=True)
        self.thread.start()

    @property
    def requests(self):
        return self.received.decode().splitlines(keepends=True)

    def serve(self, reply):
        while True:
            try:
                connection, _ = self.server.accept()
                break
            except socket.timeout:
                if self.stop.is_set():
                    return
        with connection:
            connection.settimeout(10)
            while not self.received.endswith(b"\n"):
                data = connection.recv(4096)
                if not data:
                    return
                self.received += data
            connection.sendall(reply)

    def close(self):
        self.stop.set()
        self.thread.join(10)
        self.server.close()


class PausingWindow:
    """Listens at a socket as the window does, a connection at a time: answers `display` at
    once and each `pause` with the next of its replies; None closes the connection unanswered,
    as a window closed meanwhile would. Keeps the pause texts it was sent."""

    def __init__(self, path, replies):
        self.texts = []
        self.replies = list(replies)
        self.server = listen_privately(path)
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        while not self.stop.is_set():
            try:
                connection, _ = self.server.accept()
            except socket.timeout:
                continue
            with connection, connection.makefile("rb") as lines:
                for line in lines:
                    if line.startswith(b"display "):
                        connection.sendall(b"file: x\nok\n")
                        continue
                    self.texts.append(line.decode().rstrip("\n")[len("pause "):])
                    reply = self.replies.pop(0)
                    if reply is None:
                        break
                    connection.sendall(b"continued: " + reply + b"\nok\n")

    def close(self):
        self.stop.set()
        self.thread.join(10)
        self.server.close()


# A stand-in for the window's program: notes how it was started in $FAKE_RECORD (one JSON line)
# and, by $FAKE_MODE, listens at $VEDRA_SOCKET (answering and noting each request), dies at
# once (with a message, silently, or well, as a wrapper that started the window elsewhere
# would), or lives without listening.
FAKE_WINDOW = r'''
import json, os, socket, sys, time
mode = os.environ.get("FAKE_MODE", "listen")
with open(os.environ["FAKE_RECORD"], "a") as record:
    record.write(json.dumps({"argv": sys.argv[1:], "pid": os.getpid(), "sid": os.getsid(0),
                             "stdin": os.readlink("/proc/self/fd/0"),
                             "stdout": os.readlink("/proc/self/fd/1"),
                             "fds": os.listdir("/proc/self/fd")}) + "\n")
if mode == "die":
    sys.stderr.write("starting\nqt.qpa.xcb: could not connect to display\n\n")
    sys.exit(1)
if mode in ("silent", "handed on"):
    sys.exit(3 if mode == "silent" else 0)
if mode == "never":
    time.sleep(30)
    sys.exit(0)
time.sleep(float(os.environ.get("FAKE_DELAY", "0")))
os.umask(0o077)
server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
server.bind(os.environ["VEDRA_SOCKET"])
server.listen(16)
server.settimeout(30)
while True:
    try:
        connection, _ = server.accept()
    except OSError:
        break
    with connection, connection.makefile("rb") as lines:
        for line in lines:
            with open(os.environ["FAKE_RECORD"], "a") as record:
                record.write(json.dumps({"request": line.decode()}) + "\n")
            connection.sendall(b"file: x\nok\n")
os.unlink(os.environ["VEDRA_SOCKET"])
'''


class Pause(Folder):
    def pauses(self, replies, calls, environment=None):
        """Runs calls (a function of the series) against a window that answers its pauses with
        replies; gives the pause texts the window saw and each call's warnings."""
        window = PausingWindow(self.path("nobody.sock"), replies)
        self.addCleanup(window.close)
        os.environ.pop("VEDRA_PAUSE", None)
        os.environ.update(environment or {})
        steps = vedra_dump.Series(self.path("run/step"))
        with warnings.catch_warnings(record=True) as warned:
            warnings.simplefilter("always")
            results = calls(steps)
        return window.texts, results, [str(w.message) for w in warned]

    def test_a_pause_names_its_place_and_waits_for_the_engineer(self):
        here = os.path.abspath(__file__)

        def loop(steps):
            results = []
            for step in range(3):
                steps.next().pt(step, 0)
                results.append(steps.pause(f"step {step}"))  # the place the window names
            return results

        line = loop.__code__.co_firstlineno + 4
        program = f"{os.path.basename(sys.argv[0]) or 'python'} (pid {os.getpid()})"
        # Don't Stop Here Again: the place pauses no more; the file is still shown.
        texts, results, warned = self.pauses([b"once", b"skip-site"], loop)
        self.assertEqual(texts, [f"{program} at {here}:{line}: step 0",
                                 f"{program} at {here}:{line}: step 1"])
        self.assertEqual((results, warned), ([True, True, True], []))

    def test_a_pause_never_waits_on_a_window_that_is_gone(self):
        def once(steps):
            steps.next().pt(0, 0)
            return steps.pause("look")

        for name, replies, environment, seen, result in [
                ("the window closed while paused", [None], {}, 1, False),
                ("pausing turned off for a batch run", [], {"VEDRA_PAUSE": "0"}, 0, True)]:
            with self.subTest(name):
                if os.path.exists(self.path("nobody.sock")):
                    os.unlink(self.path("nobody.sock"))
                texts, returned, warned = self.pauses(replies, once, environment)
                self.assertEqual((len(texts), returned), (seen, result))
                self.assertEqual(len(warned), 0 if result else 1)
        with self.assertRaises(vedra_dump.PauseEnded):
            os.unlink(self.path("nobody.sock"))
            self.pauses([None], lambda steps: steps.next().pause("x", check=True))


class Show(Folder):
    def setUp(self):
        super().setUp()
        with open(self.path("window.py"), "w") as script:
            script.write(f"#!{sys.executable}\n{FAKE_WINDOW}")
        os.chmod(self.path("window.py"), 0o700)
        os.environ["FAKE_RECORD"] = self.path("record")
        open(self.path("record"), "w").close()
        self.addCleanup(self.end_fake_windows)

    def records(self, key=None):
        """What the stand-in windows noted: each value of key, or every entry."""
        with open(self.path("record")) as record:
            entries = [json.loads(line) for line in record]
        return entries if key is None else [entry[key] for entry in entries if key in entry]

    def end_fake_windows(self):
        for pid in self.records("pid"):
            try:
                os.kill(pid, 9)
            except ProcessLookupError:
                pass

    def dump(self, name="shown.las"):
        dump = vedra_dump.Dump(self.path(name))
        dump.pt(1, 2)
        return dump

    def show(self, dump, check=False):
        """show()'s result, and the warnings it gave."""
        with warnings.catch_warnings(record=True) as warned:
            warnings.simplefilter("always")
            return dump.show(check=check), [str(w.message) for w in warned]

    def test_show_hands_the_file_to_the_listening_window(self):
        for reply, shown in [(b"file: x\nok\n", True),
                             (b"error: cannot read it\n", False),
                             (b"file: x\n", False)]:
            with self.subTest(reply=reply):
                if os.path.exists(self.path("nobody.sock")):
                    os.unlink(self.path("nobody.sock"))
                window = StandInWindow(self.path("nobody.sock"), reply)
                result, warned = self.show(self.dump())
                window.close()
                self.assertEqual(result, shown)
                self.assertEqual(window.requests, [f"display {self.path('shown.las')}\n"])
                self.assertEqual(len(warned), 0 if shown else 1)
        self.assertEqual(self.records("argv"), [])

    def test_a_request_gives_the_answers_fields(self):
        window = StandInWindow(self.path("nobody.sock"), b"file: /a b.las\nratio: 2\nok\n")
        answer = vedra_dump.request("status")
        window.close()
        self.assertEqual(window.requests, ["status\n"])
        self.assertEqual(answer, vedra_dump.Answer(True, None,
                                                   {"file": "/a b.las", "ratio": "2"}))

    def test_a_socket_that_is_not_the_users_own_is_refused(self):
        os.environ["VEDRA_PROGRAM"] = self.path("window.py")
        try:
            import pwd
            other = f"user {pwd.getpwuid(OTHER_UID).pw_name} (uid {OTHER_UID})"
        except KeyError:
            other = f"uid {OTHER_UID}"

        def listening(folder, mode=0o700, then=lambda socket_path: None):
            os.mkdir(folder)
            os.chmod(folder, mode)
            path = os.path.join(folder, "vedra.sock")
            window = StandInWindow(path)
            then(path)
            return path, window

        def linked(folder):
            path, window = listening(folder)
            os.symlink(path, path + ".link")
            return path + ".link", window

        # what is wrong, how the socket is made, the reason given, whether it needs root
        cases = [
            ("open folder", lambda f: listening(f, 0o777),
             lambda p: f"refusing {os.path.dirname(p)}: others can reach it (mode 0777); "
                       "the socket's folder must be yours alone", False),
            ("open socket", lambda f: listening(f, then=lambda s: os.chmod(s, 0o660)),
             lambda p: f"refusing {p}: others can reach it (mode 0660)", False),
            ("link", linked, lambda p: f"refusing {p}: it is not a socket", False),
            ("socket of another", lambda f: listening(f, then=lambda s: os.chown(s, OTHER_UID, -1)),
             lambda p: f"refusing {p}: it belongs to {other}, not to you", True),
            ("window of another", self.window_of_another,
             lambda p: f"refusing the window at {p}: it runs as {other}", True),
        ]
        for name, make, reason, needs_root in cases:
            with self.subTest(name):
                if needs_root and os.geteuid() != 0:
                    self.skipTest("making a file or a process of another user needs root")
                path, window = make(self.path(name))
                os.environ["VEDRA_SOCKET"] = path
                with self.assertRaises(vedra_dump.UntrustedSocket) as refused:
                    vedra_dump.request("status")
                self.assertTrue(str(refused.exception).startswith(reason(path)),
                                str(refused.exception))
                self.assertNotIsInstance(refused.exception, vedra_dump.NoWindow)
                self.assertIsInstance(refused.exception, vedra_dump.WindowError)
                self.assertEqual(self.show(self.dump()),
                                 (False, [f"vedra: cannot show {self.path('shown.las')}: "
                                          f"{refused.exception}"]))
                with self.assertRaises(vedra_dump.UntrustedSocket):
                    self.dump().show(check=True)
                window.close()
                self.assertEqual(window.received, b"")
        self.assertEqual(self.records("argv"), [])

    def window_of_another(self, folder):
        """A window whose socket file is the user's (made before the switch) but which listens
        as another user."""
        os.mkdir(folder, 0o700)
        path = os.path.join(folder, "vedra.sock")
        server = subprocess.Popen([sys.executable, "-c", f"""
import os, socket, sys
os.umask(0o077)
server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
server.bind({path!r})
os.setgid({OTHER_UID})
os.setuid({OTHER_UID})
server.listen()
server.settimeout(20)
print("ready", flush=True)
while True:
    connection, _ = server.accept()
    connection.settimeout(5)
    while True:
        data = connection.recv(4096)
        if not data:
            break
        sys.stdout.buffer.write(data)
        sys.stdout.flush()
"""], stdout=subprocess.PIPE)
        self.assertEqual(server.stdout.readline(), b"ready\n")

        class Window:
            received = b""

            def close(self):
                server.kill()
                Window.received = server.communicate()[0]

        return path, Window()

    def program(self):
        """A program that shows the file it is given; 0 when shown. It holds an inheritable
        descriptor that a window it starts must not get, at a number nothing else takes."""
        with open(self.path("program.py"), "w") as script:
            script.write("import os, sys, vedra_dump\n"
                         "os.dup2(os.open(os.devnull, os.O_RDONLY), 50, inheritable=True)\n"
                         "dump = vedra_dump.Dump(sys.argv[1])\ndump.pt(1, 2)\n"
                         "sys.exit(0 if dump.show() else 1)\n")
        return self.path("program.py")

    def test_a_started_window_is_detached_from_the_program(self):
        os.environ["VEDRA_PROGRAM"] = self.path("window.py")
        program = self.program()
        log = os.path.join(os.environ["XDG_STATE_HOME"], "vedra", "window.log")
        for how, run in [
                ("piped", lambda file: subprocess.run(f"{sys.executable} {program} {file} | cat",
                                                      shell=True, timeout=10)),
                ("captured", lambda file: subprocess.run([sys.executable, program, file],
                                                         capture_output=True, timeout=10))]:
            with self.subTest(how):
                file = self.path(f"{how}.las")
                self.assertEqual(run(file).returncode, 0)
                window = [w for w in self.records() if w.get("argv", [None])[-1] == file][0]
                self.assertEqual(window["argv"], ["--listen", "--fit", file])
                self.assertEqual(window["sid"], window["pid"])
                self.assertEqual([window["stdin"], window["stdout"]], [os.devnull, log])
                self.assertNotIn("50", window["fds"])
                os.kill(window["pid"], 0)  # it lives on, and takes requests
                self.assertTrue(vedra_dump.request("status", timeout=5).ok)
                os.kill(window["pid"], 9)
                os.unlink(self.path("nobody.sock"))  # left by the window killed
        self.assertEqual(stat.S_IMODE(os.stat(os.path.dirname(log)).st_mode), 0o700)

    def test_a_window_that_cannot_be_started_is_said_why_and_started_once(self):
        missing = self.path("missing")
        file = self.path("shown.las")
        # the stand-in's mode (None: no program), the reason show() gives, windows started
        cases = [
            ("listen", f"cannot start a window: the socket's folder {missing} does not exist", 0),
            (None, f"no window listens at {self.path('nobody.sock')} and "
                   f"{self.path('no-such-program')} could not be started "
                   "(No such file or directory)", 0),
            ("die", "the window started for it ended at once: "
                    "qt.qpa.xcb: could not connect to display", 1),
            ("silent", "the window started for it ended at once (exit status 3)", 1),
            ("handed on", f"the window started for it did not listen at "
                          f"{self.path('nobody.sock')} within 0.5 s: it ended (exit status 0)", 1),
            ("never", f"the window started for it did not listen at "
                      f"{self.path('nobody.sock')} within 0.5 s", 1),
        ]
        for mode, reason, started in cases:
            with self.subTest(reason), mock.patch.object(_remote, "_START_WAIT", 0.5):
                self.end_started_window()
                _remote._started = _remote._Started()
                open(self.path("record"), "w").close()
                os.environ["VEDRA_SOCKET"] = os.path.join(
                    missing if reason.startswith("cannot start") else self.folder, "nobody.sock")
                os.environ["VEDRA_PROGRAM"] = self.path("window.py" if mode else "no-such-program")
                os.environ["FAKE_MODE"] = mode or "listen"
                self.assertEqual(self.show(self.dump()),
                                 (False, [f"vedra: cannot show {file}: {reason}"]))
                later = [self.show(self.dump()), self.show(self.dump())]
                if started:
                    # said once; the window the run had is not replaced
                    self.assertEqual([shown for shown, _ in later], [False, False])
                    self.assertRegex(" ".join(later[0][1]), "a program starts one window only")
                    self.assertEqual(later[1][1], [])
                else:
                    self.assertEqual(later, [(False, [f"vedra: cannot show {file}: {reason}"])] * 2)
                with self.assertRaises(vedra_dump.WindowError):
                    self.dump().show(check=True)
                self.assertEqual(len(self.records("argv")), started)
        with open(os.path.join(os.environ["XDG_STATE_HOME"], "vedra", "window.log")) as log:
            self.assertIn("could not connect to display", log.read())

    def test_programs_showing_at_once_start_one_window_between_them(self):
        os.environ["VEDRA_PROGRAM"] = self.path("window.py")
        os.environ["FAKE_DELAY"] = "0.5"  # all find no window, and wait for the lock in turn
        files = [self.path(f"{n}.las") for n in range(4)]
        programs = [subprocess.Popen([sys.executable, self.program(), f]) for f in files]
        self.assertEqual([p.wait(20) for p in programs], [0] * 4)
        started = self.records("argv")
        self.assertEqual(len(started), 1)
        self.assertEqual(sorted(self.records("request")),
                         [f"display {f}\n" for f in files if f != started[0][-1]])

    def test_a_run_starts_one_window_only(self):
        os.environ["VEDRA_PROGRAM"] = self.path("window.py")
        self.assertEqual(self.show(self.dump()), (True, []))
        self.assertEqual(self.show(self.dump()), (True, []))
        _remote._started.window.kill()
        _remote._started.window.wait()
        shown, warned = self.show(self.dump())
        self.assertFalse(shown)
        self.assertRegex(" ".join(warned), r"the window it started has ended \(signal 9\)"
                                           ", and a program starts one window only")
        self.assertEqual(len(self.records("argv")), 1)
        self.assertEqual(self.records("request"), [f"display {self.path('shown.las')}\n"])
