"""torvane.generate against the program: the arrays bit for bit to the grid
file, the three files byte for byte, the console, the topology rows and the
quality report of torvane-inspect."""
import json
import subprocess

import pytest

from support import EXAMPLES, TORVANE_INSPECT, grid_file_numbers, import_torvane, run_torvane

torvane, np = import_torvane()

SHIPPED = ["compressor_rotor.in", "turbine_stator.in", "largest_grid.in"]


@pytest.fixture(scope="module", params=SHIPPED)
def shipped(request, tmp_path_factory):
    """A shipped example: its deck, its grid in memory and the program's run of it in a folder."""
    deck = (EXAMPLES / request.param).read_bytes()
    folder = tmp_path_factory.mktemp("program")
    status, stdout, stderr = run_torvane(deck, folder)
    # At most torvane's one note of bad cells (the compressor rotor and the largest grid have some).
    assert status == 0
    assert stderr == b"" or (stderr.startswith(b"torvane: note: ") and stderr.count(b"\n") == 1)
    return deck, torvane.generate(EXAMPLES / request.param), folder, stdout


def test_arrays_equal_the_grid_file_bit_for_bit(shipped):
    _, grid, folder, _ = shipped
    numbers = grid_file_numbers(folder / f"{grid.stem}.rgra", np)
    assert numbers.size == 3 * grid.ie * grid.je * grid.ke
    for n, array in enumerate([grid.x, grid.y, grid.z]):
        assert array.dtype == np.float64 and array.shape == (grid.ie, grid.je, grid.ke)
        file_part = numbers[n * array.size:(n + 1) * array.size]
        # The file runs i fastest; the bits compared, so -0.0 and 0.0 differ.
        assert np.array_equal(array.ravel(order="F").view(np.uint64), file_part.view(np.uint64))


def test_write_leaves_the_programs_three_files(shipped, tmp_path):
    _, grid, folder, _ = shipped
    grid.write(tmp_path / "copy")
    for suffix in [".rgra", ".rtp", "_grid_volume.plt"]:
        assert (tmp_path / f"copy{suffix}").read_bytes() == (folder / f"{grid.stem}{suffix}").read_bytes(), suffix


def test_console_is_the_programs_up_to_the_files(shipped):
    _, grid, _, stdout = shipped
    before_files = stdout.decode().split(" Storing grid ...\r\n")[0]
    assert grid.console == before_files


def test_sizes_edges_and_pitch_are_the_summarys(shipped):
    _, grid, _, stdout = shipped
    summary = stdout.decode()
    assert f"Number of grid points: {grid.ie:3d} x {grid.je:3d} x {grid.ke:3d}" in summary
    assert f"Leading edge index   : {grid.ile:3d}" in summary
    assert f"Trailing edge index  : {grid.ite:3d}" in summary
    assert f"Pitch angle          : {grid.pitch_angle * 180 / np.pi:5.2f}" in summary
    assert grid.shape == (grid.ie, grid.je, grid.ke)


def test_report_has_the_numbers_of_the_inspect_report(shipped):
    _, grid, folder, _ = shipped
    run = subprocess.run([TORVANE_INSPECT, "report", "--json", grid.stem], cwd=folder, capture_output=True,
                         timeout=300)
    assert run.stderr == b""
    assert grid.report() == json.loads(run.stdout)


def test_arrays_are_read_only_and_outlive_their_grid():
    grid = torvane.generate(EXAMPLES / "compressor_rotor.in")
    x = grid.x
    first = x[0, 0, 0]
    del grid
    assert x[0, 0, 0] == first and x[-1, -1, -1] == x[80, 32, 16]
    with pytest.raises(ValueError):
        x[0, 0, 0] = 1.0


def test_topology_rows_of_the_compressor_rotor():
    # 81 x 33 x 17 points, nin 20, leading edge at i = 21, trailing edge at i = 51, 12 degrees of pitch.
    grid = torvane.generate(EXAMPLES / "compressor_rotor.in")
    expected = [  # code, face, first, second, partner face, angle
        (120, 3, (-1, -16), (1, 20), 4, -np.pi / 15),
        (120, 4, (-1, -16), (1, 20), 3, np.pi / 15),
        (120, 3, (-1, -16), (51, 80), 4, -np.pi / 15),
        (120, 4, (-1, -16), (51, 80), 3, np.pi / 15),
        (70, 3, (1, 16), (21, 50), 0, None),
        (70, 4, (1, 16), (21, 50), 0, None),
        (70, 5, (1, 80), (1, 32), 0, None),
        (70, 6, (1, 80), (1, 32), 0, None),
        (10, 1, (1, 32), (1, 16), 0, None),
        (20, 2, (1, 32), (1, 16), 0, None),
    ]
    rows = grid.topology
    assert len(rows) == len(expected)
    for row, (code, face, first, second, partner, angle) in zip(rows, expected):
        assert (row["code"], row["face"], row["first"], row["second"], row["partner_face"]) == \
            (code, face, first, second, partner)
        assert row["angle"] == pytest.approx(angle, rel=1e-15) if angle is not None else row["angle"] is None
    assert grid.topology_text.startswith("# Topology file for a blade (H-grid, 1 region)\r\n")


def test_large_builds_beyond_the_classic_limits_and_without_it_the_deck_is_refused():
    lines = (EXAMPLES / "compressor_rotor.in").read_text().split("\n")
    lines[5], lines[6] = "80", "60"  # npitch, nspan: 81 x 81 x 61 points
    deck = "\n".join(lines)
    with pytest.raises(torvane.GridError, match=r"^je = npitch \+ 1 = 81 exceeds 65; ke = nspan \+ 1 = 61 exceeds 49$"):
        torvane.generate(deck)
    grid = torvane.generate(deck, large=True)
    assert grid.shape == (81, 81, 61)
    assert grid.report()["folded_cells"] == 0


def test_smooth_gives_the_grid_of_torvane_smooth_and_keeps_the_blade(tmp_path):
    deck = (EXAMPLES / "compressor_rotor.in").read_bytes()
    status, _, _ = run_torvane(deck, tmp_path, ["--smooth"])
    assert status == 0
    built = torvane.generate(EXAMPLES / "compressor_rotor.in")
    smoothed = torvane.generate(EXAMPLES / "compressor_rotor.in", smooth=True)
    numbers = grid_file_numbers(tmp_path / f"{smoothed.stem}.rgra", np)
    coordinates = np.concatenate([a.ravel(order="F") for a in (smoothed.x, smoothed.y, smoothed.z)])
    assert np.array_equal(coordinates.view(np.uint64), numbers.view(np.uint64))
    blade = np.s_[smoothed.ile - 1 : smoothed.ite, :, :]
    assert np.array_equal(smoothed.y[blade], built.y[blade])
    assert not np.array_equal(smoothed.y, built.y)
    assert smoothed.report()["volume_ratio"]["max"] < 2
