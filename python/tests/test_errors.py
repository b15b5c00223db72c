"""Refusals and failures of torvane.generate: each raises the class of its
exit status with the message the program gives, and the program's WARNING
lines become Python warnings."""
import warnings

import pytest

from support import EXAMPLES, import_torvane, run_torvane, with_record

torvane, np = import_torvane()

ROTOR = (EXAMPLES / "compressor_rotor.in").read_bytes()

# Record, value, the class the program's exit status maps to.
FAILURES = [
    (21, "40", "DeckError"),     # refused: more wall intervals than pitchwise ones
    (6, "1", "DeckError"),       # refused: too few pitchwise intervals
    (3, "abc", "DeckError"),     # unreadable record
    (11, "120", "DeckError"),    # the staggered hub section's edges come out in the wrong order
    (4, "300", "GridError"),     # too many grid points: an ERROR line on standard output
    (24, "0.05", "GridError"),   # a blade point outside the section's curve: ERROR (Bezier_x)
    (23, "1e300", "GridError"),  # a coordinate that is not finite
]


@pytest.mark.filterwarnings("ignore::torvane.GridWarning")
@pytest.mark.parametrize("record,value,error", FAILURES)
def test_failures_raise_the_class_and_message_of_the_program(record, value, error, tmp_path):
    deck = with_record(ROTOR, record, value)
    status, stdout, stderr = run_torvane(deck, tmp_path)
    # What the program says: its standard-error line, else the last ERROR line of its console.
    said = stderr.decode().rstrip("\r\n").removeprefix("torvane: ")
    if not said:
        said = [line.strip() for line in stdout.decode().splitlines() if "ERROR" in line][-1]
    with pytest.raises(getattr(torvane, error)) as raised:
        torvane.generate(deck)
    assert (str(raised.value), raised.value.status) == (said, status)
    assert raised.value.console == stdout.decode()
    assert list(tmp_path.iterdir()) == []


def test_error_classes():
    assert issubclass(torvane.DeckError, ValueError)
    assert issubclass(torvane.GridError, RuntimeError) and not issubclass(torvane.GridError, ValueError)
    assert issubclass(torvane.GridWarning, UserWarning)


def test_warning_lines_become_warnings():
    # No upstream intervals over no length: the stretching of the upstream lines settles on nothing, at hub and casing.
    deck = with_record(with_record(ROTOR, 4, "0"), 19, "0.0")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        grid = torvane.generate(deck)
    assert [(w.category, str(w.message)) for w in caught] == \
        [(torvane.GridWarning, "WARNING (Stretch): no convergence.")] * 2
    assert grid.ie == 61
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        torvane.generate(ROTOR)
    assert caught == []


def test_warnings_as_errors_stop_the_call():
    deck = with_record(with_record(ROTOR, 4, "0"), 19, "0.0")
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(torvane.GridWarning):
            torvane.generate(deck)


def test_a_deck_file_that_is_not_there(tmp_path):
    with pytest.raises(FileNotFoundError):
        torvane.generate(tmp_path / "missing.in")


def test_write_to_a_folder_that_is_not_there_raises_and_leaves_nothing(tmp_path):
    grid = torvane.generate(ROTOR)
    with pytest.raises(OSError, match="missing/rotor.rgra"):
        grid.write(str(tmp_path / "missing" / "rotor"))
    assert list(tmp_path.iterdir()) == []
