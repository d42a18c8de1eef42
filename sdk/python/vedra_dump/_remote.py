"""The client side of a listening Vedra window's requests, and show()."""

import atexit
import os
import socket
import subprocess
import warnings
from collections import namedtuple

# Windows started by show(), kept until they end so that each is waited for (no zombie).
_started = []
atexit.register(lambda: [window.poll() for window in _started])

# The answer to one request: ok, the window's reason when not ok, and the `key: value` lines.
Answer = namedtuple("Answer", "ok error fields")


class NoWindow(ConnectionError):
    """No Vedra window listens at the socket."""


def socket_path():
    """$VEDRA_SOCKET, else $XDG_RUNTIME_DIR/vedra.sock, else /tmp/vedra-UID/vedra.sock."""
    chosen = os.environ.get("VEDRA_SOCKET")
    if chosen:
        return chosen
    runtime = os.environ.get("XDG_RUNTIME_DIR")
    if runtime and os.path.isdir(runtime):
        return os.path.join(runtime, "vedra.sock")
    return f"/tmp/vedra-{os.getuid()}/vedra.sock"


def request(*words, timeout=60.0):
    """Sends one request (its word and arguments, joined by single spaces) to the listening
    window and returns its Answer; fields is a dict of the `key: value` lines. Raises NoWindow
    when none listens; a connection that ends or stays silent for timeout seconds before the
    final line gives an answer that is not ok."""
    line = " ".join(str(w) for w in words)
    if "\n" in line or "\r" in line:
        raise ValueError("a request cannot hold a line break")
    connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        try:
            connection.connect(socket_path())
        except OSError as error:
            raise NoWindow(f"no Vedra window listens at {socket_path()}") from error
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
    finally:
        connection.close()


def show(path):
    """Asks the listening window to open path (made absolute); with none listening, starts
    `vedra --listen path` ($VEDRA_PROGRAM instead of vedra when set). False, with a warning,
    when the window refused or nothing could be started."""
    absolute = os.path.abspath(os.fspath(path))
    try:
        answer = request("open", absolute)
    except ValueError:
        warnings.warn(f"vedra: cannot show {absolute!r}: its name cannot be sent", stacklevel=2)
        return False
    except NoWindow:
        program = os.environ.get("VEDRA_PROGRAM") or "vedra"
        _started[:] = [window for window in _started if window.poll() is None]
        try:
            _started.append(subprocess.Popen([program, "--listen", absolute],
                                             stdin=subprocess.DEVNULL, start_new_session=True))
            return True
        except OSError as error:
            warnings.warn(f"vedra: no window listens at {socket_path()} and {program} could not "
                          f"be started ({error.strerror}); the file is written: {absolute}",
                          stacklevel=2)
            return False
    if not answer.ok:
        warnings.warn(f"vedra: the window did not open {absolute}: {answer.error}", stacklevel=2)
    return answer.ok
