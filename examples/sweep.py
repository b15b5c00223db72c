#!/usr/bin/python3
"""A stagger sweep in memory: for each hub stagger (the casing section twisted
a fixed angle further) torvane.deck writes the deck, torvane.generate builds
the grid and Grid.report measures it; a table of the quality goes to standard
output and the smallest scaled Jacobian against the stagger to a PNG.

Usage (from the repository's root, after the build):
    PYTHONPATH=build/python /usr/bin/python3 examples/sweep.py \\
        [--section ../shared/data/airfoils/naca65410.dat] [--first 0] [--last 80] [--step 5] \\
        [--twist 6] [--png docs/python_sweep.png]
Every other deck value is torvane-deck's default (a 30-blade compressor rotor)."""
import argparse
import pathlib
import sys
import warnings

import torvane

REPO = pathlib.Path(__file__).resolve().parents[1]


def sweep(section, staggers, twist):
    """One row per stagger: the stagger and the report, or the reason there is no grid."""
    rows = []
    generator = torvane.Generator()  # builds in the storages of the grids let go
    for stagger in staggers:
        try:
            with warnings.catch_warnings(record=True) as warned:
                warnings.simplefilter("always", torvane.GridWarning)
                deck = torvane.deck(section, section, staghub=stagger, stagcas=stagger + twist,
                                    fname=f"sweep_{stagger:g}")
                report = generator.generate(deck).report()
            rows.append((stagger, report, [str(w.message) for w in warned]))
        except (torvane.DeckError, torvane.GridError) as error:
            rows.append((stagger, None, [str(error).splitlines()[0]]))
    return rows


def print_table(rows, twist):
    print(f"{'stagger hub/casing':>19} {'min scaled J':>13} {'bad':>6} {'folded':>6} "
          f"{'min angle':>9} {'max aspect':>10}  result")
    for stagger, report, notes in rows:
        staggers = f"{stagger:g} / {stagger + twist:g}"
        if report is None:
            print(f"{staggers:>19} {'':>13} {'':>6} {'':>6} {'':>9} {'':>10}  no grid: {notes[0]}")
            continue
        jacobian = report["scaled_jacobian"]
        verdict = "passes the report's checks" if report["exit_status"] == 0 else "fails the report's checks"
        if notes:
            verdict += f"; {len(notes)} warnings"
        print(f"{staggers:>19} {jacobian['min']:13.4f} {jacobian['bad']:6d} {report['folded_cells']:6d} "
              f"{report['face_angle_deg']['min']:9.2f} {report['aspect_ratio']['max']:10.1f}  {verdict}")


def plot(rows, twist, png):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    built = [(stagger, report) for stagger, report, _ in rows if report is not None]
    figure, axes = plt.subplots(figsize=(7, 4.2), dpi=110)
    axes.plot([s for s, _ in built], [r["scaled_jacobian"]["min"] for _, r in built], "o-", color="tab:blue",
              label="smallest scaled Jacobian")
    limits = built[0][1]["scaled_jacobian"]["limits"] if built else {"bad_below": 0.2, "fair_below": 0.5}
    axes.axhline(limits["bad_below"], color="tab:red", linestyle="--", label=f"bad below {limits['bad_below']:g}")
    axes.axhline(limits["fair_below"], color="tab:orange", linestyle=":", label=f"fair below {limits['fair_below']:g}")
    axes.axhline(0, color="black", linewidth=0.8)
    refused = [stagger for stagger, report, _ in rows if report is None]
    for stagger in refused:
        axes.axvline(stagger, color="grey", alpha=0.3)
    axes.set_xlabel(f"hub stagger [deg] (casing {twist:+g} deg)")
    axes.set_ylabel("smallest scaled Jacobian of the cells")
    axes.set_title("Stagger sweep of a NACA 65-410 rotor: grid quality" +
                   (" (grey: no grid)" if refused else ""))
    axes.grid(True, alpha=0.3)
    axes.legend(loc="lower left")
    figure.tight_layout()
    figure.savefig(png)
    print(f"plot: {png}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--section", default=str(REPO.parent / "shared" / "data" / "airfoils" / "naca65410.dat"))
    parser.add_argument("--first", type=float, default=0)
    parser.add_argument("--last", type=float, default=80)
    parser.add_argument("--step", type=float, default=5)
    parser.add_argument("--twist", type=float, default=6, help="casing stagger minus hub stagger [deg]")
    parser.add_argument("--png", default="sweep.png")
    options = parser.parse_args()

    count = int(round((options.last - options.first) / options.step)) + 1
    staggers = [options.first + n * options.step for n in range(count)]
    rows = sweep(options.section, staggers, options.twist)
    print_table(rows, options.twist)
    try:
        plot(rows, options.twist, options.png)
    except ImportError:
        print(f"matplotlib not found for {sys.executable} (Debian's python3-matplotlib serves /usr/bin/python3):"
              " no plot", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
