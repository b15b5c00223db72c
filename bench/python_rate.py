#!/usr/bin/env python3
"""Grids per second for one deck: torvane run as a process that writes its
three files, against the Python module building the grid in memory, fresh
storage each time (torvane.generate) and, in a loop that lets each grid go,
the storage of the grid before (torvane.Generator).

Usage: PYTHONPATH=build/python python3 bench/python_rate.py [--torvane build/bin/torvane]
       [--deck examples/compressor_rotor.in] [--rounds 7] [--target 20]
Rounds alternate the three ways, so a load on the machine weighs on all alike;
each figure is the median over the rounds. Exit status 1 when a loop's way of
building in memory (a Generator) is less than --target times the process rate."""
import argparse
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

import torvane

REPO = pathlib.Path(__file__).resolve().parents[1]


def rate(build, seconds):
    """Grids per second of build() over at least the given wall time."""
    count, began = 0, time.perf_counter()
    while True:
        build()
        count += 1
        took = time.perf_counter() - began
        if took >= seconds:
            return count / took


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--torvane", default=str(REPO / "build" / "torvane"))
    parser.add_argument("--deck", default=str(REPO / "examples" / "compressor_rotor.in"))
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--seconds", type=float, default=1.0, help="time of each way in each round")
    parser.add_argument("--target", type=float, default=20.0)
    options = parser.parse_args()

    deck = pathlib.Path(options.deck).read_bytes()
    generator = torvane.Generator()
    with tempfile.TemporaryDirectory() as folder:
        def process():
            subprocess.run([options.torvane], input=deck, cwd=folder, stdout=subprocess.DEVNULL, check=True)

        ways = {
            "process (torvane < deck, three files)": process,
            "torvane.generate(deck)": lambda: torvane.generate(deck),
            "torvane.Generator().generate(deck)": lambda: generator.generate(deck),
        }
        for build in ways.values():  # warm-up: page cache, allocator, interpreter
            rate(build, 0.2)
        rates = {name: [] for name in ways}
        for _ in range(options.rounds):
            for name, build in ways.items():
                rates[name].append(rate(build, options.seconds))

    grid = torvane.generate(deck)
    print(f"{pathlib.Path(options.deck).name}: {grid.ie} x {grid.je} x {grid.ke} points, "
          f"median of {options.rounds} rounds of {options.seconds:g} s")
    medians = {name: statistics.median(values) for name, values in rates.items()}
    process_rate = medians["process (torvane < deck, three files)"]
    for name, value in medians.items():
        print(f"  {name:40s} {value:8.1f} grids/s  {1000 / value:7.3f} ms/grid  {value / process_rate:6.1f} x process")
    ratio = medians["torvane.Generator().generate(deck)"] / process_rate
    print(f"in memory (Generator): {ratio:.1f} x the process rate (target {options.target:g} x)")
    return 0 if ratio >= options.target else 1


if __name__ == "__main__":
    sys.exit(main())
