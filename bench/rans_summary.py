#!/usr/bin/python3
"""One row of figures per RANS run of `torvane-inspect export --case rans`: the
iterations, the first iteration from which the initial residuals of p and of
every velocity component stay at or below 1e-3, the final residuals, the inlet
and outlet flow rates and their difference, the solver's CPU time and the wall
time the caller measured.

Usage: /usr/bin/python3 bench/rans_summary.py NAME CASE_DIR WALL_SECONDS [NAME CASE_DIR WALL_SECONDS ...]"""
import pathlib
import re
import sys

SOLVING = re.compile(r"Solving for (\w+), Initial residual = ([0-9.eE+-]+)")
TARGET = 1e-3


def read_log(case):
    """The log's name, its iterations as {field: first initial residual}, CPU seconds, and how it ended."""
    logs = sorted(case.glob("log.*Foam"))
    if not logs:
        return None, [], 0.0, "no log"
    text = logs[0].read_text(errors="replace")
    iterations, cpu = [], 0.0
    for line in text.splitlines():
        if line.startswith("Time = "):
            iterations.append({})
        elif (match := SOLVING.search(line)) and iterations and match.group(1) not in iterations[-1]:
            iterations[-1][match.group(1)] = float(match.group(2))
        elif line.startswith("ExecutionTime = "):
            cpu = float(line.split()[2])
    if "SIMPLE solution converged" in text:
        ended = "converged"
    elif "sigFpe::sigHandler" in text or re.search(r"^Floating point exception", text, re.M):
        ended = "diverged"
    elif re.search(r"^End\s*$", text, re.M):
        ended = "iteration limit"
    else:
        ended = "stopped"
    return logs[0].name, [it for it in iterations if it], cpu, ended


def flow_rate(case, name):
    path = case / "postProcessing" / name / "0" / "surfaceFieldValue.dat"
    if not path.is_file():
        return float("nan")
    rows = [line.split() for line in path.read_text().splitlines() if line.strip() and not line.startswith("#")]
    return float(rows[-1][1]) if rows else float("nan")


def row(name, case, wall):
    log, iterations, cpu, ended = read_log(case)
    if not iterations:
        return f"| {name} | {ended} | | | | | | | |"
    def watched(it):
        return [v for f, v in it.items() if f == "p" or f.startswith("U")]
    below = None
    for n in range(len(iterations) - 1, -1, -1):
        if max(watched(iterations[n])) > TARGET:
            break
        below = n + 1
    last = iterations[-1]
    inlet, outlet = flow_rate(case, "inletFlowRate"), flow_rate(case, "outletFlowRate")
    balance = abs(inlet + outlet) / abs(inlet) if inlet == inlet and inlet != 0 else float("nan")
    velocity = max(v for f, v in last.items() if f.startswith("U"))
    return (f"| {name} | {ended} | {len(iterations)} | {below if below else '-'} | {last.get('p', float('nan')):.2g} | "
            f"{velocity:.2g} | {inlet:.9g} / {outlet:.9g} | {balance:.2g} | {cpu:.0f} s / {wall / 60:.1f} min |")


def main(argv):
    if len(argv) % 3 != 0 or not argv:
        print(__doc__, file=sys.stderr)
        return 2
    print("| case | end | iterations | p, U <= 1e-3 from | final p | final U (largest component) | "
          "inlet / outlet flow rate [m^3/s] | out against in | solver CPU / wall |")
    print("|---|---|---|---|---|---|---|---|---|")
    for n in range(0, len(argv), 3):
        print(row(argv[n], pathlib.Path(argv[n + 1]), float(argv[n + 2])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
