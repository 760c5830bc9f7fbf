#!/usr/bin/python3
"""tavrento.indicators() on 5,000 daily bars beside the recompute pass alone.

    PYTHONPATH=build/python bench/python_indicators.py [build/bench/analysis_bench]

Times the module's call on a random walk like the one analysis_bench uses
(a DataFrame in, the DataFrame of every slot out) and, given the benchmark
program, its ProductionPass (the pass over 5,000 bars, nothing else), the two
taking turns so that both meet the same load. Prints the fastest and the
median of each and their ratio.
"""
import json
import subprocess
import sys
import time

import numpy as np
import pandas as pd

import tavrento

BARS = 5000
TURNS = 8
CALLS = 60


def random_walk(seed=5000):
    random = np.random.default_rng(seed)
    level = np.maximum(100, 2500 + np.cumsum(random.integers(-60, 61, BARS)))
    spread = random.integers(0, 41, BARS)
    return pd.DataFrame({
        "open": level + spread // 2, "high": level + spread, "low": level - spread,
        "close": level, "volume": random.integers(100_000, 20_000_001, BARS),
    }, index=pd.date_range("2000-01-03", periods=BARS, freq="D", name="date"))


def module_times(frame):
    """Microseconds of each of CALLS calls."""
    times = []
    for _ in range(CALLS):
        started = time.perf_counter()
        tavrento.indicators(frame)
        times.append((time.perf_counter() - started) * 1e6)
    return times


def pass_times(program):
    """Microseconds per pass of a few short benchmark runs."""
    done = subprocess.run([program, "--benchmark_filter=ProductionPass", "--benchmark_format=json",
                           "--benchmark_repetitions=5", "--benchmark_min_time=0.05"],
                          capture_output=True, text=True, check=True)
    return [b["real_time"] for b in json.loads(done.stdout)["benchmarks"]
            if b.get("run_type") == "iteration"]


def main():
    frame = random_walk()
    tavrento.indicators(frame)
    program = sys.argv[1] if len(sys.argv) > 1 else None
    ours, theirs = [], []
    for _ in range(TURNS):
        ours += module_times(frame)
        if program:
            theirs += pass_times(program)
    print(f"tavrento.indicators, {BARS} bars: fastest {min(ours):.0f} us, "
          f"median {np.median(ours):.0f} us")
    if theirs:
        print(f"recompute pass alone (analysis_bench): fastest {min(theirs):.0f} us, "
              f"median {np.median(theirs):.0f} us")
        print(f"ratio: fastest {min(ours) / min(theirs):.2f}, "
              f"median {np.median(ours) / np.median(theirs):.2f}")


if __name__ == "__main__":
    main()
