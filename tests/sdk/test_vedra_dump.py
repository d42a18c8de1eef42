"""vedra_dump on its own: what it refuses, how it writes numbers and series, and show() against a
stand-in window. What it writes is loaded by the viewer's loader in tst_dumpwriter."""

import math
import os
import socket
import struct
import tempfile
import threading
import unittest
import warnings

import vedra_dump
from vedra_dump import DumpError


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
                         "color mine 10 20 30\nproperty pt net string none\nendheader\n"
                         "pt 1.5 2 mine 3 net a1 w 0.25 !!q1#q2!// first note#second\n"
                         "path 2 0 0 1 2 3 ///x\n")

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


class StandInWindow:
    """Listens at a socket and answers each request line with reply."""

    def __init__(self, path, reply):
        self.requests = []
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(path)
        self.server.listen()
        self.thread = threading.Thread(target=self.serve, args=(reply,))
        self.thread.start()

    def serve(self, reply):
        connection, _ = self.server.accept()
        with connection, connection.makefile("rb") as lines:
            for line in lines:
                self.requests.append(line.decode())
                connection.sendall(reply)
                break

    def close(self):
        self.thread.join(10)
        self.server.close()


class Show(Folder):
    def test_show_asks_the_listening_window(self):
        for reply, shown in [(b"file: x\nobjects: 1\nok\n", True),
                             (b"error: cannot read it\n", False),
                             (b"file: x\n", False)]:
            with self.subTest(reply=reply):
                os.unlink(self.path("nobody.sock")) if os.path.exists(
                    self.path("nobody.sock")) else None
                window = StandInWindow(self.path("nobody.sock"), reply)
                dump = vedra_dump.Dump(self.path("shown.las"))
                dump.pt(1, 2)
                with warnings.catch_warnings(record=True) as warned:
                    warnings.simplefilter("always")
                    self.assertEqual(dump.show(), shown)
                window.close()
                self.assertEqual(window.requests, [f"open {self.path('shown.las')}\n"])
                self.assertEqual(len(warned), 0 if shown else 1)

    def test_a_request_gives_the_answers_fields(self):
        window = StandInWindow(self.path("nobody.sock"), b"file: /a b.las\nratio: 2\nok\n")
        answer = vedra_dump.request("status")
        window.close()
        self.assertEqual(window.requests, ["status\n"])
        self.assertEqual(answer, vedra_dump.Answer(True, None,
                                                   {"file": "/a b.las", "ratio": "2"}))

    def test_without_a_window_show_starts_one_or_says_so(self):
        with self.assertRaises(vedra_dump.NoWindow):
            vedra_dump.request("status")
        dump = vedra_dump.Dump(self.path("alone.las"))
        dump.pt(1, 2)
        with self.assertWarnsRegex(UserWarning, "could not be started"):
            self.assertFalse(dump.show())
        self.assertEqual(self.read("alone.las"), "endheader\npt 1 2 black 0\n")

        started = self.path("started.txt")
        with open(self.path("window.sh"), "w") as script:
            script.write(f'#!/bin/sh\necho "$@" > "{started}.part" && mv "{started}.part" "{started}"\n')
        os.chmod(self.path("window.sh"), 0o700)
        os.environ["VEDRA_PROGRAM"] = self.path("window.sh")
        self.assertTrue(dump.show())
        for _ in range(1000):
            if os.path.exists(started):
                break
            threading.Event().wait(0.01)
        self.assertEqual(self.read("started.txt"), f"--listen {self.path('alone.las')}\n")


if __name__ == "__main__":
    unittest.main()
