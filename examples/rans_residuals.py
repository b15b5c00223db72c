#!/usr/bin/python3
"""The initial residuals of a RANS run against the iteration, from the solver's
log (log.SRFSimpleFoam or log.simpleFoam of `torvane-inspect export --case
rans`), with the inlet and outlet flow rates' difference when the case's
postProcessing folder is beside the log. One panel per log.

Usage (Debian's python3-matplotlib):
    /usr/bin/python3 examples/rans_residuals.py LOG [LOG ...] --png residuals.png [--title TITLE ...]"""
import argparse
import pathlib
import re
import sys

SOLVING = re.compile(r"Solving for (\w+), Initial residual = ([0-9.eE+-]+)")


def residuals(log):
    """{field: [initial residual of each iteration]}: the first solve of a field in an iteration."""
    fields, seen = {}, set()
    for line in pathlib.Path(log).read_text().splitlines():
        if line.startswith("Time = "):
            seen = set()
            continue
        match = SOLVING.search(line)
        if match and match.group(1) not in seen:
            seen.add(match.group(1))
            fields.setdefault(match.group(1), []).append(float(match.group(2)))
    return fields


def flow_rates(log):
    """Relative difference of the outlet and inlet flow rates per iteration, or None."""
    base = pathlib.Path(log).parent / "postProcessing"
    rates = []
    for name in ("inletFlowRate", "outletFlowRate"):
        path = base / name / "0" / "surfaceFieldValue.dat"
        if not path.is_file():
            return None
        rates.append([float(line.split()[1]) for line in path.read_text().splitlines()
                      if line.strip() and not line.startswith("#")])
    count = min(len(rates[0]), len(rates[1]))
    return [abs(rates[0][n] + rates[1][n]) / abs(rates[0][n]) for n in range(count)]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("logs", nargs="+")
    parser.add_argument("--png", required=True)
    parser.add_argument("--title", action="append", default=[])
    options = parser.parse_args()
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print(f"matplotlib not found for {sys.executable} (Debian's python3-matplotlib serves /usr/bin/python3)",
              file=sys.stderr)
        return 1
    figure, axes = plt.subplots(1, len(options.logs), figsize=(6 * len(options.logs), 4.2), squeeze=False)
    for n, log in enumerate(options.logs):
        axis = axes[0][n]
        for field, values in residuals(log).items():
            axis.semilogy(range(1, len(values) + 1), values, label=field, linewidth=1)
        balance = flow_rates(log)
        if balance:
            axis.semilogy(range(1, len(balance) + 1), balance, "k--", linewidth=1, label="|out + in| / |in|")
        axis.axhline(1e-3, color="grey", linewidth=0.6)
        axis.set_xlabel("iteration")
        axis.set_ylabel("initial residual")
        axis.set_title(options.title[n] if n < len(options.title) else str(log), fontsize=10)
        axis.grid(True, which="major", linewidth=0.3)
        axis.legend(fontsize=8)
    figure.tight_layout()
    figure.savefig(options.png, dpi=100)
    print(f"wrote {options.png}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
