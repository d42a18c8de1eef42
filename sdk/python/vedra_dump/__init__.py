"""Write .las dumps for the Vedra viewer from Python, and show them in a running window.

    import vedra_dump
    with vedra_dump.Dump("cells.las") as dump:
        dump.pt(1.5, 2, color="red", shape="triangle", net="a1", comments=["first note"])
    vedra_dump.show("cells.las")
"""

from ._remote import (Answer, NoWindow, PauseEnded, UntrustedSocket, WindowError, pause, request,
                      show, socket_path)
from ._writer import (BUILT_IN_COLORS, KINDS, MARKERS, Dump, DumpError, DumpWriteError, Header,
                      Series, shortest)

__all__ = ["Answer", "BUILT_IN_COLORS", "Dump", "DumpError", "DumpWriteError", "Header", "KINDS",
           "MARKERS", "NoWindow", "PauseEnded", "Series", "UntrustedSocket", "WindowError",
           "pause", "request", "show", "shortest", "socket_path"]
