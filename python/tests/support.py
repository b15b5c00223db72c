"""What the module's tests share: the module itself (or a skip naming the
Debian package that is missing), the programs to compare with, and their runs."""
import os
import pathlib
import subprocess

import pytest

SOURCE_DIR = pathlib.Path(os.environ.get("TORVANE_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
BUILD_DIR = SOURCE_DIR / "build"
SHARED_DIR = pathlib.Path(os.environ.get("TORVANE_SHARED_DIR", SOURCE_DIR.parent / "shared"))
TORVANE = os.environ.get("TORVANE_BINARY", str(BUILD_DIR / "torvane"))
TORVANE_INSPECT = os.environ.get("TORVANE_INSPECT", str(BUILD_DIR / "src/inspect/torvane-inspect"))
TORVANE_DECK = os.environ.get("TORVANE_DECK", str(BUILD_DIR / "src/deck/torvane-deck"))
EXAMPLES = SOURCE_DIR / "examples"
AIRFOILS = SHARED_DIR / "data" / "airfoils"


def import_torvane():
    """The torvane module and numpy, or a skip of the calling test file."""
    try:
        import numpy
    except ImportError:
        pytest.skip("numpy not found (Debian: python3-numpy)", allow_module_level=True)
    if os.environ.get("TORVANE_MODULE_BUILT", "ON") != "ON":
        pytest.skip("the torvane module was not built (Debian: python3-dev, python3-pybind11, python3-numpy; "
                    "sanitizer builds leave it out)", allow_module_level=True)
    try:
        import torvane
    except ImportError as error:
        pytest.skip(f"the torvane module cannot be imported ({error}); build it with python3-pybind11",
                    allow_module_level=True)
    return torvane, numpy


def airfoil(name):
    """A shared airfoil file, or a skip when the shared folder is missing."""
    path = AIRFOILS / name
    if not path.is_file():
        pytest.skip(f"{path} not found: the shared airfoil data sits beside the repository")
    return path


def run_torvane(deck_text, folder, options=()):
    """torvane run as a process in folder: (exit status, standard output, standard error) as bytes."""
    run = subprocess.run([TORVANE, *options], input=deck_text, cwd=folder, capture_output=True, timeout=300)
    return run.returncode, run.stdout, run.stderr


def grid_file_numbers(path, numpy):
    """Every coordinate of a grid file, x then y then z, i fastest, as float64."""
    fields = path.read_bytes().split()
    return numpy.array([float(field) for field in fields[5:]], dtype=numpy.float64)


def with_record(deck_text, number, value):
    """The deck text with the value of numeric record number (3 and up) replaced, its note kept."""
    lines = deck_text.split(b"\n")
    line = lines[number - 1]
    lines[number - 1] = value.encode() + b" " + line.split(maxsplit=1)[1]
    return b"\n".join(lines)
