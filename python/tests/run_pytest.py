"""Runs the Python module's tests for ctest: exit 77 (a skip) with a message
naming the Debian package when pytest is missing or when no test ran."""
import sys

try:
    import pytest
except ImportError:
    print("pytest not found (Debian: python3-pytest): Python module tests skipped")
    sys.exit(77)

status = pytest.main(["-q", "-rs", "-p", "no:cacheprovider", sys.argv[1]])
# pytest says 5 when it collected no test at all.
sys.exit(77 if status == 5 else int(status))
