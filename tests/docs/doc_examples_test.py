"""Runs the Python examples of docs/python.md and README.md as a reader would,
from the repository's root: every indented command line that starts with
PYTHONPATH= through the shell, and every indented block that uses the module,
in order, in one interpreter. The build's commands (cmake, ctest) are the
build itself and are left out.

The root is a scratch copy of its layout (build, examples, docs, python as
links; ../shared beside it), so what the examples write stays out of the
source tree. Exit 77 (skipped) when the module was not built."""
import os
import pathlib
import re
import subprocess
import sys
import tempfile

SOURCE = pathlib.Path(os.environ["TORVANE_SOURCE_DIR"])
BUILD = pathlib.Path(os.environ["TORVANE_BUILD_DIR"])
SHARED = pathlib.Path(os.environ["TORVANE_SHARED_DIR"])
PAGES = ["docs/python.md", "README.md"]


def indented_blocks(text):
    """The page's indented blocks (four blanks), each a list of lines without the indent."""
    blocks, block = [], []
    for line in text.splitlines():
        if line.startswith("    ") and not line.lstrip().startswith(("|", "-", "*")):
            block.append(line[4:])
        elif line.strip() == "" and block:
            block.append("")
        else:
            if block:
                blocks.append(block)
            block = []
    if block:
        blocks.append(block)
    return [[line for line in b] for b in blocks]


def examples(page):
    """The shell command lines and the Python code of a page, in page order."""
    shell, python = [], []
    for block in indented_blocks((SOURCE / page).read_text()):
        code = "\n".join(block).strip("\n")
        if any(line.startswith("PYTHONPATH=") for line in block):
            shell += [line for line in block if line.startswith("PYTHONPATH=")]
        elif re.search(r"\btorvane\.", code) or "import torvane" in code:
            python.append(code)
    return shell, python


def main():
    if os.environ.get("TORVANE_MODULE_BUILT") != "ON":
        print("the torvane module was not built (Debian: python3-dev, python3-pybind11, python3-numpy): "
              "the Python examples are not run")
        return 77
    if not (SHARED / "data" / "airfoils").is_dir():
        print(f"{SHARED}/data/airfoils not found: the examples read the shared airfoil files; skipped")
        return 77
    failures, ran = [], 0
    with tempfile.TemporaryDirectory(prefix="torvane-doc-examples-") as scratch:
        root = pathlib.Path(scratch) / "repository"
        root.mkdir()
        (pathlib.Path(scratch) / "shared").symlink_to(SHARED)
        (root / "build").symlink_to(BUILD)
        for name in ("examples", "docs", "python"):
            (root / name).symlink_to(SOURCE / name)
        # The quick start's first command leaves the runs folder.
        (root / "runs").mkdir()
        for page in PAGES:
            shell, python = examples(page)
            if page == "docs/python.md" and not python:
                failures.append(f"{page}: no Python block found")
            for command in shell:
                ran += 1
                done = subprocess.run(["/bin/bash", "-c", command], cwd=root, capture_output=True, text=True,
                                      timeout=600)
                print(f"{page}: {command}: status {done.returncode}")
                if done.returncode != 0:
                    failures.append(f"{page}: `{command}` ended with status {done.returncode}:\n{done.stderr}")
            if python:
                ran += 1
                script = "\n\n".join(python) + "\n"
                env = dict(os.environ, PYTHONPATH=str(root / "build" / "python"))
                done = subprocess.run([sys.executable, "-c", script], cwd=root, capture_output=True, text=True,
                                      env=env, timeout=600)
                print(f"{page}: {len(python)} Python blocks: status {done.returncode}")
                if done.returncode != 0:
                    failures.append(f"{page}: its Python blocks fail:\n{script}\n{done.stderr}")
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{ran} example runs, {len(failures)} failed")
    return 1 if failures or ran == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
