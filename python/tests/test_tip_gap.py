"""torvane.generate with a tip gap against the program run with --tip-gap:
the arrays bit for bit, the twelve topology rows, the tip's k and the report's
gap; the keywords that are no gap."""
import pytest

import json
import subprocess

from support import EXAMPLES, TORVANE_INSPECT, grid_file_numbers, import_torvane, run_torvane

torvane, np = import_torvane()

EXAMPLE = EXAMPLES / "compressor_rotor_gap.in"


@pytest.fixture(scope="module")
def DECK(tmp_path_factory):
    """The example deck without its block, whose gap the keywords give."""
    text = EXAMPLE.read_bytes()
    path = tmp_path_factory.mktemp("deck") / "compressor_rotor_gap.in"
    path.write_bytes(text[:text.index(b"torvane-block 1")])
    return path


@pytest.mark.parametrize("gap, cells, options", [
    ("1%", None, ["--tip-gap", "1%"]),
    (0.004, 1, ["--tip-gap", "0.004", "--gap-cells", "1"]),
])
def test_the_grid_is_the_programs_and_tells_its_tip(DECK, gap, cells, options, tmp_path):
    grid = torvane.generate(DECK, tip_gap=gap, gap_cells=cells)
    status, _, stderr = run_torvane(DECK.read_bytes(), tmp_path, options)
    # At most torvane's one note of bad cells (the gap's roof cells are thin).
    assert status == 0 and (stderr == b"" or (stderr.startswith(b"torvane: note: ") and stderr.count(b"\n") == 1))
    numbers = grid_file_numbers(tmp_path / f"{grid.stem}.rgra", np)
    together = np.concatenate([a.ravel(order="F") for a in (grid.x, grid.y, grid.z)])
    assert np.array_equal(together.view(np.uint64), numbers.view(np.uint64))
    assert (tmp_path / f"{grid.stem}.rtp").read_bytes() == grid.topology_text.encode()

    gap_cells = 6 if cells is None else cells
    # 81 x 33 x 33 points: the blade walls over cells 1 .. 32 - gap_cells, the gap's faces paired above them.
    assert (grid.gap_cells, grid.tip_k) == (gap_cells, 33 - gap_cells)
    rows = grid.topology
    assert len(rows) == 12
    assert [(r["code"], r["face"], r["first"], r["second"]) for r in rows[4:6]] == \
        [(70, 3, (1, 32 - gap_cells), (21, 50)), (70, 4, (1, 32 - gap_cells), (21, 50))]
    assert [(r["code"], r["face"], r["first"], r["second"], r["partner_face"]) for r in rows[10:]] == \
        [(120, 3, (-33 + gap_cells, -32), (21, 50), 4), (120, 4, (-33 + gap_cells, -32), (21, 50), 3)]

    report = grid.report()
    inspected = subprocess.run([TORVANE_INSPECT, "report", "--json", grid.stem], cwd=tmp_path, capture_output=True,
                               timeout=300)
    assert report == json.loads(inspected.stdout)
    assert report["exit_status"] == 0
    length = 0.0025 if gap == "1%" else gap
    assert report["tip_gap"]["tip_k"] == grid.tip_k
    assert report["tip_gap"]["min_gap"] == pytest.approx(length, rel=1e-9)
    assert report["tip_gap"]["max_gap"] == pytest.approx(length, rel=1e-9)
    # On the cylinder casing r = 0.5 the tip lies at 0.5 - gap at every blade station.
    tip = np.hypot(grid.y[20:51, 0, grid.tip_k - 1], grid.z[20:51, 0, grid.tip_k - 1])
    assert np.allclose(tip, 0.5 - length, rtol=0, atol=1e-12)


def test_the_examples_block_gives_the_grid_of_the_keywords(DECK):
    by_block = torvane.generate(EXAMPLE)
    by_keywords = torvane.generate(DECK, tip_gap="1%", gap_cells=6, tip_pinch="auto")
    assert (by_block.tip_k, by_block.gap_cells) == (27, 6)
    for a, b in [(by_block.x, by_keywords.x), (by_block.y, by_keywords.y), (by_block.z, by_keywords.z)]:
        assert np.array_equal(a, b)
    with pytest.raises(torvane.DeckError, match=r"\(tip-gap\): the deck's block gives the tip gap and so does tip_gap"):
        torvane.generate(EXAMPLE, tip_gap="1%")


def test_the_deck_of_torvane_deck_carries_the_gap():
    from support import airfoil
    section = airfoil("naca65410.dat")
    deck = torvane.deck(section, section, staghub=30, stagcas=36, nspan=32, tip_gap="1%", gap_cells=4)
    assert "\ntip-gap 1% cells 4 pinch auto " in deck
    assert torvane.generate(deck).tip_k == 29
    flat = torvane.deck(section, section, staghub=30, stagcas=36, nspan=32, tip_gap="1%", gap_cells=4, tip_pinch=0)
    assert "\ntip-gap 1% cells 4 " in flat and " pinch " not in flat


def test_a_pinch_tapers_the_tip_into_sound_cells(DECK):
    # The walls closed over the last interval shear every cell under the tip
    # (900 bad ones against 195); a taper over the tip's half thickness, or 3 % of
    # the span, leaves fewer than the grid without a gap has (the leading edge's).
    gapless = torvane.generate(DECK).report()["scaled_jacobian"]["bad"]
    flat = torvane.generate(DECK, tip_gap="1%")
    tapered = {pinch: torvane.generate(DECK, tip_gap="1%", tip_pinch=pinch) for pinch in ("auto", "3%", 0.0075)}
    assert flat.report()["scaled_jacobian"]["bad"] > 3 * gapless
    for pinch, grid in tapered.items():
        assert grid.report()["scaled_jacobian"]["bad"] < 1.25 * gapless, pinch
        assert grid.tip_k == flat.tip_k
    # 3 % of the span 0.25 is 0.0075: one grid.
    assert np.array_equal(tapered["3%"].y, tapered[0.0075].y)
    # Below the taper the grid is the flat tip's.
    assert np.array_equal(tapered["3%"].y[:, :, :10], flat.y[:, :, :10])


@pytest.mark.parametrize("gap, cells, says", [
    ("30%", None, "tip_gap \"30%\" is more than a quarter of the span"),
    ("abc", None, "tip_gap \"abc\" is not a length or a per cent of span"),
    (-1.0, None, "tip_gap \"-1.0\" is no gap"),
    ("1%", 0, "gap_cells 0: the gap needs at least 1 cell"),
    (None, 4, "gap_cells needs tip_gap"),
    ("1%", "pinch=-1", "tip_pinch \"-1\" is no pinch"),
    ("1%", "pinch=flat", "tip_pinch \"flat\" is not a length, a per cent of span or auto"),
])
def test_keywords_that_are_no_gap_raise_value_error(DECK, gap, cells, says):
    pinch = None
    if isinstance(cells, str):
        pinch, cells = cells.removeprefix("pinch="), None
    with pytest.raises(ValueError, match=says):
        torvane.generate(DECK, tip_gap=gap, gap_cells=cells, tip_pinch=pinch)


def test_tip_pinch_alone_sets_the_pinch_of_the_decks_own_gap(DECK):
    # The example's block gives the gap with `pinch auto`; tip_pinch=0 there is the flat tip of the keywords.
    flat = torvane.generate(EXAMPLE, tip_pinch=0)
    assert np.array_equal(flat.y, torvane.generate(DECK, tip_gap="1%", gap_cells=6).y)
    assert not np.array_equal(flat.y, torvane.generate(EXAMPLE).y)
    with pytest.raises(torvane.DeckError, match="tip_pinch needs a tip gap: give tip_gap, or the deck's block"):
        torvane.generate(DECK, tip_pinch="auto")
    with pytest.raises(torvane.DeckError, match=r"tip_pinch: a pinch of 0.24875 is not below the blade's height 0.2475"):
        torvane.generate(EXAMPLE, tip_pinch="99.5%")


def test_a_gap_beyond_a_quarter_of_the_span_is_a_deck_error(DECK):
    with pytest.raises(torvane.DeckError, match="more than a quarter of the span 0.25"):
        torvane.generate(DECK, tip_gap=0.07)
