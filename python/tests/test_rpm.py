"""The rotor's speed through the module: deck(rpm=...) writes the block's entry
as torvane-deck --rpm does, Grid.rpm tells it, and Grid.write leaves the
machine file torvane leaves (and takes away an earlier one when there is none)."""
import pytest

from support import EXAMPLES, TORVANE_DECK, airfoil, import_torvane, run_torvane

import subprocess

torvane, np = import_torvane()

MACHINE = b"# Machine data of the grid's blade row (torvane)\r\nrpm 815\r\n"


def test_deck_writes_the_speed_as_the_program_does(tmp_path):
    section = airfoil("naca65410.dat")
    text = torvane.deck(section, section, staghub=30, stagcas=30, rpm=815)
    program = subprocess.run([TORVANE_DECK, "--hub", str(section), "--casing", str(section), "--staghub", "30",
                              "--stagcas", "30", "--rpm", "815"], capture_output=True, timeout=300)
    assert program.returncode == 0, program.stderr
    assert text.encode() == program.stdout
    assert "\nrpm 815 " in text
    with pytest.raises(torvane.DeckError, match=r"deck\(rpm=...\): \"-1\" is below 0"):
        torvane.deck(section, section, staghub=30, stagcas=30, rpm=-1)


def test_the_grid_tells_its_speed_and_writes_the_machine_file_as_torvane(tmp_path):
    deck = (EXAMPLES / "compressor_rotor.in").read_bytes()
    turning = deck + b"torvane-block 1\nrpm 815\nend torvane-block\n"
    assert torvane.generate(deck).rpm is None
    grid = torvane.generate(turning)
    assert grid.rpm == 815.0

    status, _, _ = run_torvane(turning, tmp_path)
    assert status == 0
    written = tmp_path / "written"
    grid.write(str(written))
    for ending in (".rgra", ".rtp", "_grid_volume.plt", ".rmach"):
        assert (tmp_path / f"{grid.stem}{ending}").read_bytes() == written.with_name(f"written{ending}").read_bytes()
    assert written.with_name("written.rmach").read_bytes() == MACHINE

    # A grid without the speed written on the same stem takes the machine file away.
    torvane.generate(deck).write(str(written))
    assert not written.with_name("written.rmach").exists()
