"""Adds the `vedra` command to gdb. One line in ~/.gdbinit loads it:

    source /path/to/site-packages/vedra_dump/gdb_command.py

(`python -m vedra_dump.gdb` prints the line for the installed package). The package is loaded
from the folder of this file, so that it works from a virtual environment that gdb's own Python
does not see, without putting that environment's other packages on gdb's sys.path.
"""


def _load_vedra_dump():
    import importlib.util
    import os
    import sys

    if "vedra_dump" not in sys.modules:
        folder = os.path.dirname(os.path.abspath(__file__))
        location = importlib.util.spec_from_file_location(
            "vedra_dump", os.path.join(folder, "__init__.py"),
            submodule_search_locations=[folder])
        package = importlib.util.module_from_spec(location)
        sys.modules["vedra_dump"] = package
        try:
            location.loader.exec_module(package)
        except BaseException:
            del sys.modules["vedra_dump"]
            raise
    import vedra_dump.gdb
    vedra_dump.gdb.install()


_load_vedra_dump()
del _load_vedra_dump
