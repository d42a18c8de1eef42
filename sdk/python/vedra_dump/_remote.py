"""The client side of a listening Vedra window's requests, and show(): which socket is trusted,
and how a window is started when none listens."""

import atexit
import fcntl
import os
import pwd
import socket
import stat
import struct
import subprocess
import sys
import threading
import time
import warnings
from collections import namedtuple

# How long show() waits for the window to take a file, for a window it started to listen, and
# how often it tries to connect meanwhile (seconds).
_ANSWER_WAIT = 10.0
_START_WAIT = 15.0
_POLL = 0.05
# The most of a started window's log read back for its reason (bytes).
_LOG_TAIL = 65536

# The answer to one request: ok, the window's reason when not ok, and the `key: value` lines.
Answer = namedtuple("Answer", "ok error fields")


class WindowError(ConnectionError):
    """A Vedra window could not be reached, trusted, started or asked; the message says why."""


class NoWindow(WindowError):
    """No Vedra window listens at the socket (no socket file, or one that refuses connections)."""


class UntrustedSocket(WindowError):
    """The socket's folder, the socket file or the window listening on it is not the user's own
    alone; nothing is sent to it and no window is started over it."""


class _Started:
    """The one window this program may start in its run, and whether its failure was told."""

    def __init__(self):
        self.lock = threading.Lock()
        self.window = None  # the subprocess.Popen of the window started, once started
        self.failure = None  # why it cannot serve: it never came to listen or it ended
        self.told = False


_started = _Started()
# The started window is waited for when it ends while the program runs (no zombie).
atexit.register(lambda: _started.window is not None and _started.window.poll())


def socket_path():
    """$VEDRA_SOCKET, else $XDG_RUNTIME_DIR/vedra.sock, else /tmp/vedra-UID/vedra.sock."""
    chosen = os.environ.get("VEDRA_SOCKET")
    if chosen:
        return chosen
    runtime = os.environ.get("XDG_RUNTIME_DIR")
    if runtime and os.path.isdir(runtime):
        return os.path.join(runtime, "vedra.sock")
    return _fallback_folder() + "/vedra.sock"


def _fallback_folder():
    return f"/tmp/vedra-{os.getuid()}"


def _user(uid):
    """`user NAME (uid N)`, or `uid N` for a number without a name."""
    try:
        return f"user {pwd.getpwuid(uid).pw_name} (uid {uid})"
    except KeyError:
        return f"uid {uid}"


def _check_own(path, status, what, needed):
    """Refuses path unless status (its lstat) is of the type needed, the user's, and closed to
    group and others; what names it in the messages ("folder", "socket")."""
    if not needed(status.st_mode):
        raise UntrustedSocket(f"refusing {path}: it is not a {what} (links are not followed)")
    if status.st_uid != os.geteuid():
        raise UntrustedSocket(f"refusing {path}: it belongs to {_user(status.st_uid)}, "
                              "not to you")
    if status.st_mode & 0o077:
        whose = "socket" if what == "socket" else "socket's folder"
        raise UntrustedSocket(f"refusing {path}: others can reach it (mode "
                              f"{stat.S_IMODE(status.st_mode):04o}); the {whose} must be yours "
                              "alone")


def _check_folder(path):
    """Raises NoWindow when the folder of the socket path is missing, UntrustedSocket when it is
    not the user's alone."""
    folder = os.path.dirname(os.path.abspath(path))
    try:
        status = os.lstat(folder)
    except FileNotFoundError:
        raise NoWindow(f"no Vedra window listens at {path}: its folder {folder} does not "
                       "exist") from None
    _check_own(folder, status, "folder", stat.S_ISDIR)


def _connect(path, timeout):
    """A connection to the window at path, every check passed: the folder, the socket file and
    the peer are the user's own. Raises NoWindow or UntrustedSocket (or WindowError when the
    socket neither takes nor refuses the connection)."""
    _check_folder(path)
    try:
        status = os.lstat(path)
    except FileNotFoundError:
        raise NoWindow(f"no Vedra window listens at {path}") from None
    _check_own(path, status, "socket", stat.S_ISSOCK)
    connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        connection.settimeout(timeout)
        try:
            connection.connect(path)
        except (FileNotFoundError, ConnectionRefusedError):
            raise NoWindow(f"no Vedra window listens at {path}") from None
        except socket.timeout:
            raise WindowError(f"the window at {path} did not take the connection in time") \
                from None
        except OSError as error:
            raise WindowError(f"cannot connect to {path}: {error.strerror}") from None
        credentials = connection.getsockopt(socket.SOL_SOCKET, socket.SO_PEERCRED,
                                            struct.calcsize("3i"))
        _, uid, _ = struct.unpack("3i", credentials)
        if uid != os.geteuid():
            raise UntrustedSocket(f"refusing the window at {path}: it runs as {_user(uid)}")
        return connection
    except BaseException:
        connection.close()
        raise


def _ask(connection, line, timeout):
    """Sends one request line and reads its answer."""
    connection.settimeout(timeout)
    fields = {}
    try:
        connection.sendall(line.encode("utf-8") + b"\n")
        for reply in connection.makefile("r", encoding="utf-8", errors="replace", newline="\n"):
            reply = reply.rstrip("\n").rstrip("\r")
            if reply == "ok":
                return Answer(True, None, fields)
            if reply.startswith("error: "):
                return Answer(False, reply[len("error: "):], fields)
            key, colon, value = reply.partition(": ")
            if colon:
                fields[key] = value
    except socket.timeout:
        return Answer(False, "no answer from the window in time", fields)
    except OSError as error:
        return Answer(False, f"the connection failed: {error}", fields)
    return Answer(False, "the window closed the connection before answering", fields)


def _line(words):
    line = " ".join(str(w) for w in words)
    if "\n" in line or "\r" in line:
        raise ValueError("a request cannot hold a line break")
    line.encode("utf-8")  # a name with undecodable bytes (surrogates) cannot be sent
    return line


def request(*words, timeout=60.0):
    """Sends one request (its word and arguments, joined by single spaces) to the listening
    window and returns its Answer; fields is a dict of the `key: value` lines. Raises NoWindow
    when none listens, UntrustedSocket when the socket or the window is not the user's own; a
    connection that ends or stays silent for timeout seconds before the final line gives an
    answer that is not ok."""
    line = _line(words)
    with _connect(socket_path(), timeout) as connection:
        return _ask(connection, line, timeout)


def show(path, *, check=False):
    """Asks the listening window to display path (made absolute) and returns True once it has
    taken it; with none listening, starts `vedra --listen --fit path` ($VEDRA_PROGRAM instead of
    vedra when set), at most once in the program's run, and returns True once it listens.

    When the file cannot be shown: False, and a warning (UserWarning) saying why; with
    check=True, the WindowError (UntrustedSocket for a socket refused) or ValueError (a name
    that cannot be sent) is raised instead."""
    return _show(path, check, 3)


def _show(path, check, stacklevel):
    absolute = os.path.abspath(os.fsdecode(path))
    try:
        _display(absolute)
        _note_shown(absolute)
        return True
    except (WindowError, ValueError) as error:
        if check:
            raise
        if not getattr(error, "quiet", False):
            warnings.warn(f"vedra: cannot show {absolute}: {error}", stacklevel=stacklevel)
        return False


# The file shown last, for the module's pause(); None before the first show.
_last_shown = None
# The places (file, line) the engineer chose Don't Stop Here Again for, in this run.
_skipped_sites = set()


class PauseEnded(WindowError):
    """A pause that ended without the engineer: no window could be reached or started, the
    window was closed, or the connection dropped. The program goes on."""


def pause(message="", *, check=False):
    """Pauses on the file shown last, as Dump.pause() does, the place being the caller's."""
    caller = sys._getframe(1)
    if _last_shown is None:
        error = PauseEnded("nothing was shown yet to pause on")
        if check:
            raise error
        warnings.warn(f"vedra: {error}", stacklevel=2)
        return False
    return _pause(_last_shown, message, (caller.f_code.co_filename, caller.f_lineno), check, 4)


def _pause(path, message, site, check, stacklevel):
    """Shows path, then waits until the engineer continues in the window: True then. False, with
    a warning, or with check=True the error (PauseEnded, or another WindowError from showing),
    when the pause ended otherwise; it never waits on a window that is gone. With VEDRA_PAUSE=0,
    and at a place skipped before, only shows."""
    if os.environ.get("VEDRA_PAUSE") == "0" or site in _skipped_sites:
        return _show(path, check, stacklevel + 1)
    absolute = os.path.abspath(os.fsdecode(path))
    text = " ".join(f"{os.path.basename(sys.argv[0]) or 'python'} (pid {os.getpid()}) at "
                    f"{site[0]}:{site[1]}: {message}".split())
    try:
        _display(absolute)
        _note_shown(absolute)
        with _connect(socket_path(), _ANSWER_WAIT) as connection:
            # A person answers: no time limit; a window that goes ends the wait at once.
            answer = _ask(connection, _line(["pause", text]), None)
        if not answer.ok:
            raise PauseEnded(f"the pause at {site[0]}:{site[1]} ended: {answer.error}")
    except (WindowError, ValueError) as error:
        if check:
            raise
        warnings.warn(f"vedra: cannot pause on {absolute}: {error}", stacklevel=stacklevel)
        return False
    if answer.fields.get("continued") == "skip-site":
        _skipped_sites.add(site)
    return True


def _note_shown(absolute):
    global _last_shown
    _last_shown = absolute


def _display(absolute):
    try:
        line = _line(["display", absolute])
    except ValueError:
        raise ValueError("its name cannot be sent (a line break or bytes that are not "
                         "text)") from None
    path = socket_path()
    try:
        connection = _connect(path, _ANSWER_WAIT)
    except NoWindow:
        connection = _start(path, absolute)
        if connection is None:
            return  # the window started has the file from its command line
    with connection:
        answer = _ask(connection, line, _ANSWER_WAIT)
    if not answer.ok:
        raise WindowError(f"the window did not take it: {answer.error}")


def _start(path, absolute):
    """Starts a window on absolute, as the one start of this run; returns None once it
    listens, or a connection to a window another program started meanwhile."""
    folder = os.path.dirname(os.path.abspath(path))
    if folder == _fallback_folder():
        try:
            os.mkdir(folder, 0o700)
        except FileExistsError:
            pass
        except OSError as error:
            raise WindowError(f"cannot start a window: cannot make {folder}: "
                              f"{error.strerror}") from None
    elif not os.path.lexists(folder):
        raise WindowError(f"cannot start a window: the socket's folder {folder} does not exist")
    _check_folder(path)
    with _started.lock, _Lock(path + ".lock"):
        try:
            return _connect(path, _ANSWER_WAIT)
        except NoWindow:
            pass
        if _started.window is not None:
            if _started.failure is None:
                status = _started.window.poll()
                _started.failure = ("the window it started no longer listens" if status is None
                                    else f"the window it started has ended ({_ending(status)})")
            error = WindowError(f"{_started.failure}, and a program starts one window only; "
                                f"no window listens at {path}")
            error.quiet, _started.told = _started.told, True
            raise error
        program = os.environ.get("VEDRA_PROGRAM") or "vedra"
        log = _open_log()
        try:
            start = os.lseek(log, 0, os.SEEK_END)
            try:
                _started.window = subprocess.Popen(
                    [program, "--listen", "--fit", absolute], stdin=subprocess.DEVNULL,
                    stdout=log, stderr=log, start_new_session=True, close_fds=True, pass_fds=())
            except OSError as error:
                raise WindowError(f"no window listens at {path} and {program} could not be "
                                  f"started ({error.strerror})") from None
            deadline = time.monotonic() + _START_WAIT
            refused = None
            while True:
                try:
                    _connect(path, _ANSWER_WAIT).close()
                    return None
                except NoWindow:
                    pass
                except UntrustedSocket as error:
                    refused = error  # a window may make its socket, then close it to others
                status = _started.window.poll()
                # A program that ends well may have handed the window on (a wrapper that starts
                # it in the background): its socket is waited for all the same.
                if status:
                    _started.failure = f"the window it started ended ({_ending(status)})"
                    said = _last_line(log, start)
                    raise WindowError(f"the window started for it ended at once: {said}" if said
                                      else f"the window started for it ended at once "
                                           f"({_ending(status)})")
                if time.monotonic() > deadline:
                    _started.failure = "the window it started never came to listen"
                    if refused is not None:
                        raise refused
                    said = _last_line(log, start) or (
                        "" if status is None else f"it ended ({_ending(status)})")
                    raise WindowError(f"the window started for it did not listen at {path} "
                                      f"within {_START_WAIT:g} s" + (f": {said}" if said else ""))
                time.sleep(_POLL)
        finally:
            os.close(log)


class _Lock:
    """An exclusive flock on SOCKET.lock, so that programs showing files at the same moment
    start one window between them. Waits as long as one start may take, and a little more."""

    def __init__(self, path):
        self.path = path

    def __enter__(self):
        try:
            self.fd = os.open(self.path, os.O_RDWR | os.O_CREAT | os.O_NOFOLLOW | os.O_CLOEXEC,
                              0o600)
        except OSError as error:
            raise WindowError(f"cannot start a window: cannot open {self.path}: "
                              f"{error.strerror}") from None
        deadline = time.monotonic() + _START_WAIT + 5
        while True:
            try:
                fcntl.flock(self.fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
                return self
            except BlockingIOError:
                if time.monotonic() > deadline:
                    os.close(self.fd)
                    raise WindowError(f"cannot start a window: another program holds "
                                      f"{self.path}") from None
                time.sleep(_POLL)

    def __exit__(self, *exception):
        os.close(self.fd)  # closing the only descriptor releases the lock


def _ending(status):
    """The way a process ended, from its Popen.returncode."""
    return f"signal {-status}" if status < 0 else f"exit status {status}"


def _open_log():
    """The window's log, opened to append: $XDG_STATE_HOME/vedra/window.log, else
    ~/.local/state/vedra/window.log, folders made 0700; /dev/null when it cannot be opened."""
    state = os.environ.get("XDG_STATE_HOME")
    if not state or not os.path.isabs(state):
        state = os.path.join(os.path.expanduser("~"), ".local", "state")
    folder = os.path.join(state, "vedra")
    try:
        missing = []
        while folder and not os.path.isdir(folder):
            missing.append(folder)
            folder = os.path.dirname(folder)
        for each in reversed(missing):
            os.mkdir(each, 0o700)
        return os.open(os.path.join(state, "vedra", "window.log"),
                       os.O_RDWR | os.O_APPEND | os.O_CREAT | os.O_NOFOLLOW | os.O_CLOEXEC, 0o600)
    except OSError:
        return os.open(os.devnull, os.O_RDWR | os.O_CLOEXEC)


def _last_line(log, start):
    """The last non-empty line written to the log from offset start on, control characters
    shown as U+FFFD; empty when there is none (or the log is /dev/null)."""
    try:
        end = os.fstat(log).st_size
        start = max(start, end - _LOG_TAIL)
        text = os.pread(log, end - start, start).decode("utf-8", "replace") if end > start else ""
    except OSError:
        return ""
    for line in reversed(text.splitlines()):
        line = line.strip()
        if line:
            return "".join("\ufffd" if ord(c) < 32 or 127 <= ord(c) < 160 else c for c in line)
    return ""
