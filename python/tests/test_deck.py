"""torvane.deck against torvane-deck: the same deck text for the same sections
and values, and the same refusals, raised as DeckError."""
import subprocess

import pytest

from support import TORVANE_DECK, airfoil, import_torvane

torvane, np = import_torvane()


def program_deck(*args):
    """torvane-deck run with the arguments: (exit status, deck, the messages without their prefix)."""
    run = subprocess.run([TORVANE_DECK, *map(str, args)], capture_output=True, timeout=120)
    lines = run.stderr.decode().splitlines()
    messages = [line.removeprefix("torvane-deck: ") for line in lines if line.startswith("torvane-deck: ")]
    return run.returncode, run.stdout.decode(), messages


def test_the_deck_of_torvane_deck_for_files_and_values():
    naca = airfoil("naca65410.dat")
    arc = airfoil("arc50_t12.dat")
    values = {"nin": 20, "staghub": 30, "stagcas": 36.5, "dsle": 0.0003, "title": "two sections", "fname": "sweep_1"}
    status, expected, _ = program_deck("--hub", naca, "--casing", arc, *[f"--{k}={v}" for k, v in values.items()])
    assert status == 0
    assert torvane.deck(hub=naca, casing=str(arc), **values) == expected
    status, expected, _ = program_deck("--hub", naca, "--casing", naca, "--points", 41)
    assert torvane.deck(naca, naca, points=41) == expected


def test_sections_given_as_text_give_the_deck_of_their_files():
    naca = airfoil("naca65410.dat")
    text = naca.read_text()
    # Only the notes that name where each section came from differ.
    expected = torvane.deck(hub=naca, casing=naca, fname="rotor")
    expected = expected.replace(f"from {naca};", "from hub text;", 1).replace(f"from {naca};", "from casing text;", 1)
    assert torvane.deck(hub=text, casing=text, fname="rotor") == expected
    # Without a file name the stem falls back to torvane-deck's own default.
    assert torvane.deck(hub=text, casing=text).splitlines()[1].startswith("blade_row ")


def test_the_deck_builds_its_grid():
    naca = airfoil("naca65410.dat")
    grid = torvane.generate(torvane.deck(naca, naca, staghub=30, stagcas=36, npitch=24, fname="rotor"))
    assert grid.shape == (81, 25, 17) and grid.stem == "rotor"


# Keyword values, the same on torvane-deck's command line, and the option name in its messages.
REFUSALS = [
    ({"nin": "abc"}, ["--nin", "abc"], "--nin"),
    ({"nin": 2.5}, ["--nin", "2.5"], "--nin"),
    ({"nwall": 40}, ["--nwall", "40"], None),
    ({"staghub": 120}, ["--staghub", "120"], None),
    ({"dsle": float("inf")}, ["--dsle", "inf"], "--dsle"),
    ({"fname": "two words"}, ["--fname", "two words"], "--fname"),
    ({"points": 3}, ["--points", "3"], "--points"),
]


@pytest.mark.parametrize("values,args,option", REFUSALS)
def test_refusals_carry_the_messages_of_torvane_deck(values, args, option):
    naca = airfoil("naca65410.dat")
    status, deck, messages = program_deck("--hub", naca, "--casing", naca, *args)
    assert status != 0 and deck == "" and messages
    if option is not None:
        name = option.removeprefix("--")
        messages = [m.replace(option, f"deck({name}=...)", 1) for m in messages]
    with pytest.raises(torvane.DeckError) as raised:
        torvane.deck(naca, naca, **values)
    assert raised.value.messages == messages
    assert str(raised.value) == "\n".join(messages)


def test_a_section_file_that_is_not_there(tmp_path):
    naca = airfoil("naca65410.dat")
    missing = tmp_path / "missing.dat"
    status, _, messages = program_deck("--hub", missing, "--casing", naca)
    with pytest.raises(torvane.DeckError) as raised:
        torvane.deck(missing, naca)
    assert (raised.value.status, raised.value.messages) == (status, messages)


def test_names_and_kinds_outside_the_decks_records():
    naca = airfoil("naca65410.dat")
    with pytest.raises(torvane.DeckError, match=r"^deck\(nbladez=...\): nbladez is not the name of a record$"):
        torvane.deck(naca, naca, nbladez=60)
    for value in [True, None, [1]]:
        with pytest.raises(TypeError, match=r"deck\(nin=...\)"):
            torvane.deck(naca, naca, nin=value)


def test_the_choices_of_torvane_deck_as_keywords():
    naca = airfoil("naca65410.dat")
    # Given layer counts keep the classic counts (the wall-resolving ones need large=True).
    deck = torvane.deck(naca, naca, yplus=1, reynolds=1e6, refine=2, nwall=5, nwallhc=3, nin=10, nout=15)
    dzwall = next(line for line in deck.splitlines() if "dzwall:" in line)
    # y+ 1 at Re 1e6 on the chord 0.06: 1.386E-06, halved by refine=2.
    assert dzwall.startswith("6.93E-07 ")
    large = torvane.deck(naca, naca, yplus=1, reynolds=5e5, large=True)
    assert large.endswith("large          # up to 999 intervals in each direction, as torvane --large\nend torvane-block\n")
    smooth = torvane.deck(naca, naca, smooth=True)
    assert smooth.endswith("smooth         # the passage smoothed, as torvane --smooth\nend torvane-block\n")
    grid = torvane.generate(large)
    assert grid.shape == (216, 129, 177)
    assert grid.report()["volume_ratio"]["max"] <= 2.5
    with pytest.raises(torvane.DeckError, match=r"^deck\(refine=...\): \"0\": give a refinement factor"):
        torvane.deck(naca, naca, refine=0)


def rotor37():
    """The shared Rotor 37 curve files, or a skip when they are absent."""
    from support import SHARED_DIR
    folder = SHARED_DIR / "data" / "rotor37"
    if not (folder / "profile_R37.dat").is_file():
        pytest.skip(f"{folder} not found: the shared Rotor 37 curve files sit beside the repository")
    return [folder / "profile_R37.dat", folder / "hub_R37.dat", folder / "shroud_R37.dat", folder / "Info.txt"]


def test_the_row_deck_of_torvane_deck_builds_its_grid():
    profile, hub, casing, info = rotor37()
    status, expected, _ = program_deck("--profile", profile, "--hub-curve", hub, "--casing-curve", casing,
                                       "--info", info, "--nspan", 20)
    assert status == 0
    deck = torvane.row_deck(profile, hub, casing, info, nspan=20)
    assert deck == expected
    grid = torvane.generate(deck)
    assert grid.shape == (81, 33, 21)
    # The grid lies in the files' frame: inlet and outlet on the trims, -30 and 90 mm.
    assert np.abs(grid.x[0, :, :] + 0.030).max() < 1e-9
    assert np.abs(grid.x[-1, :, :] - 0.090).max() < 1e-9


@pytest.mark.parametrize("keywords, options, entry", [
    ({}, [], "tip-gap 0.2% cells 6 pinch auto "),
    ({"tip_pinch": 0}, ["--tip-pinch", 0], "tip-gap 0.2% cells 6 "),
    ({"tip_gap": "0.5%", "gap_cells": 4, "tip_pinch": "1%"},
     ["--tip-gap", "0.5%", "--gap-cells", 4, "--tip-pinch", "1%"], "tip-gap 0.5% cells 4 pinch 1% "),
])
def test_the_row_decks_tip_gap_is_the_programs(keywords, options, entry):
    profile, hub, casing, info = rotor37()
    status, expected, _ = program_deck("--profile", profile, "--hub-curve", hub, "--casing-curve", casing,
                                       "--info", info, "--nspan", 48, *options)
    assert status == 0
    deck = torvane.row_deck(profile, hub, casing, info, nspan=48, **keywords)
    assert deck == expected
    assert "\n" + entry in deck


def test_the_row_deck_refuses_as_torvane_deck_does():
    profile, hub, casing, _ = rotor37()
    status, _, messages = program_deck("--profile", profile, "--hub-curve", hub, "--casing-curve", casing)
    assert status == 3
    with pytest.raises(torvane.DeckError) as refused:
        torvane.row_deck(profile, hub, casing)
    assert refused.value.messages == messages
