#!/usr/bin/python3
"""tavrento.indicators() on 5,000 daily bars beside the recompute pass alone.

    PYTHONPATH=build/python bench/python_indicators.py [build/bench/analysis_bench]

Times the module's call on a random walk like the one analysis_bench uses
(a DataFrame in, the DataFrame of every slot out) and, given the benchmark
program, runs its ProductionPass (the pass over 5,000 bars, nothing else)
before and after, so both are measured under the same load. Prints the
fastest and the median of each and their ratio.
"""
import json
import subprocess
import sys
import time

import numpy as np
import pandas as pd

import tavrento

BARS = 5000
ROUNDS = 400


def random_walk(seed=5000):
    random = np.random.default_rng(seed)
    level = np.maximum(100, 2500 + np.cumsum(random.integers(-60, 61, BARS)))
    spread = random.integers(0, 41, BARS)
    return pd.DataFrame({
        "open": level + spread // 2, "high": level + spread, "low": level - spread,
        "close": level, "volume": random.integers(100_000, 20_000_001, BARS),
    }, index=pd.date_range("2000-01-03", periods=BARS, freq="D", name="date"))


def module_times(frame):
    times = []
    for _ in range(ROUNDS):
        started = time.perf_counter()
        tavrento.indicators(frame)
        times.append(time.perf_counter() - started)
    return min(times) * 1e6, float(np.median(times)) * 1e6


def pass_times(program):
    done = subprocess.run([program, "--benchmark_filter=ProductionPass", "--benchmark_format=json",
                           "--benchmark_repetitions=10"], capture_output=True, text=True, check=True)
    runs = [b for b in json.loads(done.stdout)["benchmarks"] if b.get("run_type") == "iteration"]
    real = sorted(b["real_time"] for b in runs)
    return real[0], real[len(real) // 2]


def main():
    frame = random_walk()
    tavrento.indicators(frame)
    before = pass_times(sys.argv[1]) if len(sys.argv) > 1 else None
    fastest, median = module_times(frame)
    print(f"tavrento.indicators, {BARS} bars: fastest {fastest:.0f} us, median {median:.0f} us")
    if before:
        after = pass_times(sys.argv[1])
        pass_fastest = min(before[0], after[0])
        pass_median = (before[1] + after[1]) / 2
        print(f"recompute pass alone (analysis_bench): fastest {pass_fastest:.0f} us, "
              f"median {pass_median:.0f} us")
        print(f"ratio: fastest {fastest / pass_fastest:.2f}, median {median / pass_median:.2f}")


if __name__ == "__main__":
    main()
