#!/usr/bin/env python3
"""The live simulator's latency: the time from POST /api/do to its answer, for a call, the
favourites and a switch in Settings (with SpringBoard's redraw), against the same lines in the
host alone (the host program carrying out the action, waiting until idle, writing the screen and
its tree, with nothing between it and the caller but its pipe).

Writes RESULTS/Live.txt: "live KIND  MEDIAN_US P95_US HOST_MEDIAN_US HOST_P95_US" a line.
Usage: live_bench.py BUILD RESULTS [ACTIONS]"""
import json
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

CALLER = "+1 (555) 010-0100"
# What each kind does, as (process, action) steps: the first is the one timed in the server.
KINDS = {
    "call": [("springboard", f"call {CALLER}")],
    "favourites": [("springboard", "favorites")],
    "switch in Settings": [("settings", "switch TalvoCBEnabledRoundedPictures {onoff}")],
}
BUNDLES = {"springboard": "com.apple.springboard", "settings": "com.apple.Preferences"}


def percentiles(seconds):
    ordered = sorted(seconds)
    return statistics.median(ordered), ordered[min(len(ordered) - 1, int(len(ordered) * 0.95))]


def through_server(build, out, count):
    server = subprocess.Popen([os.path.join(build, "bin", "talvocb"), "sim", "--serve", "--port",
                               "0", "--out", out, "--profile", "ios9-iphone6"],
                              stdout=subprocess.PIPE, text=True)
    url = server.stdout.readline().split(" ", 1)[1].strip()

    def do(process, action):
        request = urllib.request.Request(url + "api/do", method="POST",
                                         data=json.dumps({"process": process,
                                                          "action": action}).encode(),
                                         headers={"Content-Type": "application/json"})
        start = time.perf_counter()
        with urllib.request.urlopen(request) as reply:
            reply.read()
        return time.perf_counter() - start

    times = {}
    try:
        for kind, steps in KINDS.items():
            (process, action), = steps
            samples = []
            for i in range(count + 5):  # the first five warm up
                took = do(process, action.format(onoff="off" if i % 2 else "on"))
                if i >= 5:
                    samples.append(took)
            times[kind] = samples
    finally:
        server.send_signal(signal.SIGTERM)
        server.wait(timeout=60)
    return times


class Host:
    """A host program serving lines on the same device, as the batch simulator runs it."""

    def __init__(self, build, device, process):
        self.process = subprocess.Popen(
            [os.path.join(build, "bin", "talvocb-host"), "--root", device, "--bundle-id",
             BUNDLES[process], "--serve"] + (["--do", "pane"] if process == "settings" else []),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)

    def line(self, text):
        self.process.stdin.write(text + "\n")
        self.process.stdin.flush()
        while not self.process.stdout.readline().startswith("@"):
            pass

    def record(self, folder):
        for text in ("wait-idle", f"snapshot {folder}/screen.png", f"dump {folder}/screen.json"):
            self.line(text)

    def end(self):
        self.process.stdin.close()
        self.process.wait(timeout=30)


def host_alone(build, device, count):
    folder = tempfile.mkdtemp()
    springboard = Host(build, device, "springboard")
    springboard.line("wait-idle")
    settings = Host(build, device, "settings")
    times = {kind: [] for kind in KINDS}
    for kind, steps in KINDS.items():
        (process, action), = steps
        host = springboard if process == "springboard" else settings
        for i in range(count + 5):
            start = time.perf_counter()
            host.line(action.format(onoff="off" if i % 2 else "on"))
            host.record(folder)
            if process == "settings":
                springboard.record(folder)  # SpringBoard redraws what the switch changed
            if i >= 5:
                times[kind].append(time.perf_counter() - start)
    springboard.end()
    settings.end()
    return times


def main():
    build, results = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    with tempfile.TemporaryDirectory() as out:
        served = through_server(build, out, count)
        alone = host_alone(build, os.path.join(out, "live", "devices", "ios9-iphone6"), count)
    with open(os.path.join(results, "Live.txt"), "w") as file:
        for kind in KINDS:
            (median, p95), (host_median, host_p95) = percentiles(served[kind]), percentiles(
                alone[kind])
            file.write(f"live {kind}  {median * 1e6:.0f} {p95 * 1e6:.0f} "
                       f"{host_median * 1e6:.0f} {host_p95 * 1e6:.0f}\n")
            print(f"{kind}: server median {median * 1e3:.1f} ms, p95 {p95 * 1e3:.1f} ms; "
                  f"host alone median {host_median * 1e3:.1f} ms, p95 {host_p95 * 1e3:.1f} ms; "
                  f"{median / host_median:.2f}x", flush=True)


if __name__ == "__main__":
    main()
