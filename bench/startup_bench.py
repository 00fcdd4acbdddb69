#!/usr/bin/env python3
"""A host's cold start, process start to its first frame, with the hook module and without it,
and where a simulator screen's time goes; then the simulator's default run, timed.

Runs talvocb-host as SpringBoard on the sample device, the kinds in turn, and writes the median
of each to RESULTS/Startup.txt for the table. Usage: startup_bench.py BUILD RESULTS [RUNS]"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time


def main():
    build, results = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    host = os.path.join(build, "bin", "talvocb-host")
    with tempfile.TemporaryDirectory() as root:
        subprocess.run([os.path.join(build, "bin", "talvocb"), "--root", root, "sample"],
                       check=True, stdout=subprocess.DEVNULL)
        command = [host, "--root", root, "--bundle-id", "com.apple.springboard"]
        png = os.path.join(root, "screen.png")
        # Each kind adds one step to the one before it.
        kinds = {
            "process start and exit, no module": ["--module", "none"],
            "without the module": ["--module", "none", "--do", "frame"],
            "process start and exit, with the module": [],
            "with the module": ["--do", "frame"],
            "two frames": ["--do", "frame", "--do", "frame"],
            "frame written as PNG": ["--do", f"snapshot {png}"],
        }
        times = {kind: [] for kind in kinds}
        for _ in range(runs):
            for kind, extra in kinds.items():
                start = time.perf_counter()
                subprocess.run(command + extra, check=True, stdout=subprocess.DEVNULL)
                times[kind].append(time.perf_counter() - start)
    median = {kind: statistics.median(seconds) for kind, seconds in times.items()}
    with tempfile.TemporaryDirectory() as out:
        start = time.perf_counter()
        run = subprocess.run([os.path.join(build, "bin", "talvocb"), "sim", "--out", out],
                             check=True, capture_output=True, text=True)
        sim = time.perf_counter() - start
        # Its last line: "190 screens of 30 scenes on 5 phones in 63.1 s; ..."
        screens = int(re.search(r"(\d+) screens of", run.stdout + run.stderr).group(1))
    with open(os.path.join(results, "Startup.txt"), "w") as out:
        for kind, seconds in median.items():
            out.write(f"cold start {kind}  {seconds * 1e6:.0f}\n")
        out.write(f"simulator screens  {screens}\n")
        out.write(f"simulator seconds  {sim:.1f}\n")


if __name__ == "__main__":
    main()
