"""An interpreter that cannot import numpy (a pyenv or virtual-environment
Python the module was not built for) hears at import which interpreter the
module was built for, instead of a bare "No module named 'numpy'" later."""
import subprocess
import sys

from support import import_torvane

torvane, np = import_torvane()


def test_an_interpreter_without_numpy_is_told_which_one_the_module_was_built_for():
    # numpy made unimportable as it is for an interpreter that lacks it.
    script = "import sys\nsys.modules['numpy'] = None\nimport torvane\n"
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True)
    assert done.returncode != 0
    last = done.stderr.strip().splitlines()[-1]
    assert last.startswith(f"ImportError: torvane: numpy cannot be imported by {sys.executable} ("), last
    assert "; the module was built for /" in last and last.endswith("which has numpy: run it with that interpreter")
