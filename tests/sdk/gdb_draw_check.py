"""The gdb command `vedra` of vedra_dump, driven through gdb against the program gdb_shapes
(built from gdb_shapes.cpp with -g -O0) stopped at its line marked "stop here", with a stand-in
window that notes each file it is asked to display.

    python3 gdb_draw_check.py PATH/TO/gdb_shapes PATH/TO/sdk/python/vedra_dump

Exits 77 (skipped) when gdb is not installed.
"""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
PROGRAM = PACKAGE = None
SKIPPED = 77


def stop_line():
    with open(os.path.join(HERE, "gdb_shapes.cpp")) as source:
        for number, line in enumerate(source, 1):
            if line.rstrip().endswith("// stop here"):
                return number
    raise AssertionError("gdb_shapes.cpp has no line marked // stop here")


class StandInWindow:
    """Listens at path, answers each `display FILE` with `file: FILE` and `ok`, and notes FILE."""

    def __init__(self, path):
        self.displayed = []
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(path)
        os.chmod(path, 0o600)
        self.server.listen()
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def serve(self):
        while True:
            try:
                connection, _ = self.server.accept()
            except OSError:
                return  # closed
            with connection, connection.makefile("rwb") as stream:
                for line in stream:
                    word, _, rest = line.decode().rstrip("\n").partition(" ")
                    if word == "display":
                        self.displayed.append(rest)
                        stream.write(f"file: {rest}\nok\n".encode())
                    else:
                        stream.write(b"error: the stand-in displays only\n")
                    stream.flush()

    def close(self):
        self.server.shutdown(socket.SHUT_RDWR)
        self.server.close()


class Session(unittest.TestCase):
    """Each test runs gdb once, its commands given one by one (an error ends only its own)."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="vedra-gdb-test-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        os.chmod(self.folder, 0o700)
        self.window = StandInWindow(os.path.join(self.folder, "vedra.sock"))
        self.addCleanup(self.window.close)
        self.drawings = os.path.join(self.folder, "vedra-gdb")

    def gdb(self, *commands):
        """Runs gdb_shapes to its stop line, then commands; returns gdb's output."""
        environment = dict(os.environ, XDG_RUNTIME_DIR=self.folder, DEBUGINFOD_URLS="",
                           VEDRA_SOCKET=os.path.join(self.folder, "vedra.sock"),
                           VEDRA_PROGRAM="/bin/false")
        environment.pop("PYTHONPATH", None)  # the command file finds its package by itself
        arguments = ["gdb", "-batch", "-nx",
                     "-ex", f"source {os.path.join(PACKAGE, 'gdb_command.py')}",
                     "-ex", f"break gdb_shapes.cpp:{stop_line()}", "-ex", "run"]
        for command in commands:
            arguments += ["-ex", command]
        done = subprocess.run(arguments + ["--args", PROGRAM], env=environment,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120,
                              universal_newlines=True)
        self.assertIn("stop here", done.stdout, "gdb did not stop at the line:\n" + done.stdout)
        return done.stdout

    def members(self):
        """The records of each member of the series, by its number."""
        found = {}
        for name in os.listdir(self.drawings) if os.path.isdir(self.drawings) else []:
            with open(os.path.join(self.drawings, name), encoding="latin-1") as member:
                text = member.read()
            self.assertTrue(name.startswith("draw.") and name.endswith(".las"), name)
            found[int(name.split(".")[1])] = text.split("endheader\n", 1)[1].splitlines()
        return found

    def member_path(self, number):
        return os.path.join(self.drawings, f"draw.{number}.las")


class Drawing(Session):
    maxDiff = None

    def test_each_shape_draws_as_its_records(self):
        # command; the records of the member it makes (colours: the palette in turn)
        table = [
            ("vedra draw p pair array ref",
             ["pt 1.5 -2 blue 0 //p", "pt 3 4 red 0 //pair", "pt 5 6 green 0 //array",
              "pt 1.5 -2 fuchsia 0 //ref"]),
            ("vedra draw corners numbers s c",
             ["rect 0 0 2 1 blue //corners", "rect 1 1 4 3 red //numbers",
              "line 0 0 1 0.25 green //s", "circle 1 1 0.5 fuchsia //c"]),
            # read in bulk (vector, std::array of ints, C array, floats stored y first) and
            # through the printers (list, deque, a vector of vectors)
            ("vedra draw path ints carray floats list deque nested",
             ["path 4 0 0 1 0 1 1 0.5 2 blue //path", "path 3 1 2 3 4 -5 6 red //ints",
              "path 2 7 8 9 10 green //carray", "path 2 1 0.5 0.25 -2 fuchsia //floats",
              "path 2 0 0 -1 -1 teal //list", "path 1 2 3 olive //deque",
              "path 2 0 0 1 1 purple //nested[0]", "path 1 2 2 purple //nested[1]"]),
            ("vedra draw boxes", ["rect 0 0 1 1 blue //boxes[0]", "rect 2 2 3 4 blue //boxes[1]"]),
            ("vedra draw raw --count 3 --as polygon", ["polygon 3 0 0 1 0 1 1 blue //raw"]),
            ("vedra draw raw", ["pt 0 0 blue 0 //raw"]),  # without --count, what it points to
            ("vedra draw &path[1] --count=2 --as points --color red",
             ["pt 1 0 red 0 //&path[1][0]", "pt 1 1 red 0 //&path[1][1]"]),
            # two by two; the corners of a rect ordered whatever order the points come in
            ("vedra draw path --as lines",
             ["line 0 0 1 0 blue //path[0..1]", "line 1 1 0.5 2 blue //path[2..3]"]),
            ("vedra draw list --as rects", ["rect -1 -1 0 0 blue //list[0..1]"]),
            ("python import vedra_dump.gdb as g; g.register(r'^opaque$', "
             "lambda v: [g.Circle((v['id'], 0), 2), g.Segment((0, 0), (v['id'], 1))])",
             None),
            ("vedra draw unknown",
             ["circle 1 0 2 blue //unknown[0]", "line 0 0 1 1 blue //unknown[1]"]),
        ]
        output = self.gdb(*(command for command, _ in table))
        expected = [records for _, records in table if records is not None]
        self.assertEqual(self.members(), dict(enumerate(expected, 1)), output)
        self.assertEqual(self.window.displayed,
                         [self.member_path(n) for n in range(1, len(expected) + 1)])

    def test_what_cannot_be_drawn_is_named_and_nothing_is_drawn(self):
        # command; what gdb says
        table = [
            ("vedra draw p unknown",
             "vedra: cannot draw unknown: its type opaque is no point"),
            ("vedra draw boxes --as path", "--as path cannot draw boxes[0], a box"),
            ("vedra draw list --as lines --count 1",
             "--as lines takes the points of list two by two, and it has 1"),
            ("vedra draw p --as circles", "--as circles is not one of path, polygon"),
            ("vedra watch p --color pink", "--color pink is neither a colour's name (aqua, black"),
            ("vedra draw no_such_name", "No symbol \"no_such_name\" in current context"),
            ("vedra draw", "no expression given"),
            # drawn, then cleared: the series starts again at 1
            ("vedra draw raw", None),
            ("vedra clear", None),
            ("vedra draw p", None),
        ]
        output = self.gdb(*(command for command, _ in table))
        for command, message in table:
            if message is not None:
                self.assertIn(message, output, command)
        self.assertIn('vedra_dump.gdb.register(r"^opaque$"', output)
        self.assertEqual(self.members(), {1: ["pt 1.5 -2 blue 0 //p"]}, output)
        self.assertEqual(self.window.displayed, [self.member_path(1)] * 2)


class Watching(Session):
    def test_each_stop_draws_the_watches_in_one_member_until_unwatched(self):
        output = self.gdb("vedra watch moving", "vedra watch s --color red", "next",
                          "vedra unwatch 2", "next", "vedra unwatch", "next", "vedra watch")
        self.assertEqual(self.members(), {
            1: ["pt 0 0 blue 0 //moving"],  # each watch draws when it is set
            2: ["pt 0 0 blue 0 //moving", "line 0 0 1 0.25 red //s"],
            3: ["pt 1 0 blue 0 //moving", "line 0 0 1 0.25 red //s"],
            4: ["pt 2 0 blue 0 //moving"],
        }, output)
        self.assertEqual(self.window.displayed, [self.member_path(n) for n in (1, 2, 3, 4)])
        self.assertIn("vedra: no watches", output)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    PROGRAM, PACKAGE = (os.path.abspath(a) for a in sys.argv[1:3])
    if shutil.which("gdb") is None:
        print("gdb is not installed, so the gdb command is not tested (apt-get install gdb)")
        sys.exit(SKIPPED)
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
