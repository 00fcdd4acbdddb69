#!/usr/bin/env python3
"""A host's cold start, process start to its first frame, with the hook module and without it.

Runs talvocb-host as SpringBoard on the sample device, the two kinds in turn, and writes the
median of each to RESULTS/Startup.txt for the table. Usage: startup_bench.py BUILD RESULTS [RUNS]"""
import os
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
        command = [host, "--root", root, "--bundle-id", "com.apple.springboard",
                   "--do", "frame"]
        times = {"with": [], "without": []}
        for _ in range(runs):
            for kind, extra in (("with", []), ("without", ["--module", "none"])):
                start = time.perf_counter()
                subprocess.run(command + extra, check=True, stdout=subprocess.DEVNULL)
                times[kind].append(time.perf_counter() - start)
    with open(os.path.join(results, "Startup.txt"), "w") as out:
        for kind, label in (("with", "with the module"), ("without", "without the module")):
            out.write(f"cold start {label}  {statistics.median(times[kind]) * 1e6:.0f}\n")


if __name__ == "__main__":
    main()
