"""A build backend of the standard library alone, so that the package installs where no package
index can be reached and the environment has no `wheel` (a fresh venv): the package is pure
Python, and a wheel of it is a zip of its files with three files of metadata."""

import base64
import hashlib
import io
import os
import re
import tarfile
import zipfile

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PACKAGE = "vedra_dump"


def _project():
    with open(os.path.join(HERE, "pyproject.toml"), encoding="utf-8") as file:
        text = file.read()
    project = text[text.index("[project]"):]

    def field(name):
        return re.search(rf'^{name}\s*=\s*"([^"]*)"', project, re.M).group(1)

    return field("name"), field("version"), field("description"), field("requires-python")


def _metadata():
    name, version, summary, python = _project()
    with open(os.path.join(HERE, "README.md"), encoding="utf-8") as file:
        readme = file.read()
    return (f"Metadata-Version: 2.1\nName: {name}\nVersion: {version}\nSummary: {summary}\n"
            f"Requires-Python: {python}\nDescription-Content-Type: text/markdown\n\n{readme}")


def _sources():
    folder = os.path.join(HERE, PACKAGE)
    return sorted(f"{PACKAGE}/{n}" for n in os.listdir(folder) if n.endswith(".py"))


def _wheel(wheel_directory, files):
    """Writes a wheel of files (archive name -> bytes) and returns its file name."""
    name, version = _project()[:2]
    info = f"{name}-{version}.dist-info"
    files = dict(files)
    files[f"{info}/METADATA"] = _metadata().encode("utf-8")
    files[f"{info}/WHEEL"] = (b"Wheel-Version: 1.0\nGenerator: vedra_build\n"
                              b"Root-Is-Purelib: true\nTag: py3-none-any\n")
    record = io.StringIO()
    for path, data in files.items():
        digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
        record.write(f"{path},sha256={digest},{len(data)}\n")
    record.write(f"{info}/RECORD,,\n")
    files[f"{info}/RECORD"] = record.getvalue().encode("utf-8")
    wheel_name = f"{name}-{version}-py3-none-any.whl"
    with zipfile.ZipFile(os.path.join(wheel_directory, wheel_name), "w",
                         zipfile.ZIP_DEFLATED) as wheel:
        for path, data in files.items():
            wheel.writestr(path, data)
    return wheel_name


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def get_requires_for_build_editable(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    files = {}
    for path in _sources():
        with open(os.path.join(HERE, path), "rb") as file:
            files[path] = file.read()
    return _wheel(wheel_directory, files)


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    """An editable install: a .pth file that puts this folder on the import path."""
    return _wheel(wheel_directory, {f"{PACKAGE}.pth": (HERE + "\n").encode("utf-8")})


def build_sdist(sdist_directory, config_settings=None):
    name, version = _project()[:2]
    base = f"{name}-{version}"
    with tarfile.open(os.path.join(sdist_directory, base + ".tar.gz"), "w:gz") as sdist:
        for path in ["pyproject.toml", "README.md", "_build/vedra_build.py"] + _sources():
            sdist.add(os.path.join(HERE, path), f"{base}/{path}")
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        data = _metadata().encode("utf-8")
        info.size = len(data)
        sdist.addfile(info, io.BytesIO(data))
    return base + ".tar.gz"
