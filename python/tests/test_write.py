"""Grid.write as torvane writes: the three files as one set under STEM.lock,
whoever else writes the stem at the same time (another thread, torvane
itself), and stems that no file name can take refused before any file."""
import subprocess
import threading

import pytest

from support import EXAMPLES, TORVANE, import_torvane, with_record

torvane, np = import_torvane()

ROTOR = (EXAMPLES / "compressor_rotor.in").read_bytes()
# Another size and stagger, so that a mixed set shows in every file.
OTHER = with_record(with_record(ROTOR, 11, "38.0"), 6, "24")
SUFFIXES = [".rgra", ".rtp", "_grid_volume.plt"]


def the_set(folder, stem):
    return tuple((folder / f"{stem}{suffix}").read_bytes() for suffix in SUFFIXES)


@pytest.fixture(scope="module")
def two_sets(tmp_path_factory):
    """Both grids and the file sets each writes alone."""
    folder = tmp_path_factory.mktemp("alone")
    grids = [torvane.generate(ROTOR), torvane.generate(OTHER)]
    for n, grid in enumerate(grids):
        grid.write(folder / f"alone{n}")
    return grids, [the_set(folder, f"alone{n}") for n in range(2)]


def test_two_threads_writing_one_stem_each_leave_a_whole_set(two_sets, tmp_path):
    grids, sets = two_sets
    stem = tmp_path / "shared"
    for _ in range(12):
        start = threading.Barrier(2)

        def write(grid):
            start.wait()
            grid.write(stem)

        threads = [threading.Thread(target=write, args=(grid,)) for grid in grids]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        assert the_set(tmp_path, "shared") in sets
        assert not (tmp_path / "shared.lock").exists()


def test_a_write_beside_a_torvane_run_on_the_stem_leaves_a_whole_set(two_sets, tmp_path):
    grids, sets = two_sets
    (tmp_path / "deck.in").write_bytes(ROTOR)
    program = sets[0]
    for _ in range(6):
        run = subprocess.Popen([TORVANE], stdin=open(tmp_path / "deck.in", "rb"), cwd=tmp_path,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        grids[1].write(tmp_path / "compressor_rotor")
        assert run.wait(timeout=300) == 0
        assert the_set(tmp_path, "compressor_rotor") in (program, sets[1])


@pytest.mark.parametrize("stem, why", [
    ("a\x00b", "NUL character"),
    ("", "the stem is empty: the files would be the hidden .rgra"),
    ("folder/", "the stem ends with a slash"),
    (b"x\x00", "NUL character"),
])
def test_a_stem_no_file_name_can_take_is_refused_before_any_file(stem, why, tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "folder").mkdir()
    grid = torvane.generate(ROTOR)
    with pytest.raises(ValueError, match=why):
        grid.write(stem)
    assert sorted(p.name for p in tmp_path.rglob("*")) == ["folder"]


def test_a_bytes_stem_names_the_files_as_the_file_system_takes_it(two_sets, tmp_path, monkeypatch):
    grids, sets = two_sets
    monkeypatch.chdir(tmp_path)
    grids[0].write(b"bstem")
    grids[0].write("caf\u00e9")
    assert sorted(p.name for p in tmp_path.iterdir()) == sorted(
        [f"bstem{s}" for s in SUFFIXES] + [f"caf\u00e9{s}" for s in SUFFIXES])
    assert the_set(tmp_path, "bstem") == sets[0]
