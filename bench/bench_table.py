#!/usr/bin/env python3
"""Prints the benchmarks' one table: each path, its time, the bare operation it is held against,
the ratio and whether it meets the goal, per address-book size where the path reads the book.

Reads Google Benchmark JSON files and the contact-list report lines from the folder given."""
import glob
import json
import os
import re
import statistics
import sys

GOAL = 1.5
# Paths held to a closer goal than GOAL.
GOALS = {"monogram picture, new initials": 1.2,
         "host cold start to the first frame, with the module": 1.2}
NO_BOOK = "-"

# (program, path benchmark, label, bare benchmark or None, bare label)
PAIRS = [
    ("ContactLookupBench", "BM_SecondLookup", "repeated contact lookup (with its log line)",
     "BM_BareMapFindAndLogLine", "map find + the same NSLog line"),
    ("ContactLookupBench", "BM_FirstPhoneLookup", "first lookup of a number",
     "BM_BarePhoneMatch", "platform's match in a new book handle"),
    ("ContactLookupBench", "BM_FirstEmailLookup", "first lookup of an address",
     "BM_BareEmailQuery", "one SQLite query"),
    ("ContactLookupBench", "BM_MonogramTextFromDatabase", "monogram text from the database",
     "BM_BareNameQuery", "one SQLite query"),
    ("MonogramBench", "BM_LibraryMonogram", "monogram picture",
     "BM_BareCairoPango", "cairo + pango circle and text"),
    ("MonogramBench", "BM_LibraryMonogramNewInitials", "monogram picture, new initials",
     "BM_BareCairoPangoNewInitials", "cairo + pango circle and the same text"),
    ("PictureBench", "BM_FirstPictureOfAJPEGContact", "first photo of a contact",
     "BM_BareReadDecodeDraw", "SQLite read + JPEG decode + cairo draw"),
    ("PictureBench", "BM_PrepareImageCache", "prepareImageCache (whole book)", None, ""),
    ("ScreenBench", "BM_ScreenRenderer", "screen render", "BM_BareCairo", "bare cairo drawing"),
    ("ImageCacheBench", "BM_CacheHit", "image cache hit", "BM_BareMapHit", "hash-map find, no lock"),
    ("ImageCacheBench", "BM_CacheHitThreads", "image cache hit, threads",
     "BM_BareMapThreads", "hash-map find, no lock, threads"),
    ("CallOverlayBench", "BM_SetCurrentCallColdCache", "call overlay, cold cache",
     "BM_HostSetCurrentCallPlusBareSteps", "host's own + bare picture steps"),
    ("CallOverlayBench", "BM_SetCurrentCallSecondCall", "call overlay, second call",
     "BM_HostSetCurrentCallAlone", "host's own"),
    # A tool's import is held to 2x: it parses, decodes and makes thumbnails the bare one has.
    ("VCardImportBench", "BM_ImportVCardFile", "vCard import, 10,000 cards with photos",
     "BM_BareInserts", "SQLite inserts of the same rows", 2.0),
]

UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(folder):
    """Benchmark name -> seconds, per program."""
    runs = {}
    for path in glob.glob(os.path.join(folder, "*.json")):
        # PROGRAM.json, or PROGRAM-CONTACTS.json for a program run once per book size; either
        # with "@N" for the Nth of several processes.
        stem = os.path.splitext(os.path.basename(path))[0].partition("@")[0]
        program, _, contacts = stem.partition("-")
        with open(path) as f:
            data = json.load(f)
        times = runs.setdefault(program, {})
        medians = {}
        for run in data.get("benchmarks", []):
            if run.get("error_occurred"):
                continue
            seconds = run["real_time"] * UNITS[run.get("time_unit", "ns")]
            name = run.get("run_name", run["name"]) + (f"/{contacts}" if contacts else "")
            if run.get("run_type") == "aggregate":
                if run.get("aggregate_name") == "median":
                    medians[name] = seconds
                continue
            times.setdefault(path, {})[name] = seconds
        # A benchmark repeated in its process counts with the median of its repetitions.
        times.setdefault(path, {}).update(medians)
    # A program run in several processes counts with the median of its processes.
    results = {}
    for program, files in runs.items():
        names = {}
        for times in files.values():
            for name, seconds in times.items():
                names.setdefault(name, []).append(seconds)
        results[program] = {name: statistics.median(values) for name, values in names.items()}
    return results


def variants(times, name):
    """The runs of a benchmark: suffix ('/10000', '/real_time/threads:2' or '') -> seconds."""
    found = {}
    for full, seconds in times.items():
        if full == name or full.startswith(name + "/"):
            found[full[len(name):]] = seconds
    return found


def parts_of(suffix):
    """A run's suffix as (contacts or NO_BOOK, what else tells the run apart)."""
    book, extra = NO_BOOK, []
    for part in suffix.strip("/").split("/"):
        if part.isdigit():
            book = f"{int(part):,}"
        elif part.startswith("threads:"):
            extra.append(part.replace(":", " "))
    return book, " ".join(extra)


def shown(seconds):
    if seconds is None:
        return "-"
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("us", 1e-6)):
        if seconds >= scale:
            return f"{seconds / scale:.3g} {unit}"
    return f"{seconds / 1e-9:.3g} ns"


def contact_lists(folder):
    """Rows from the contact-list reports, one file per book size."""
    rows = []
    for path in sorted(glob.glob(os.path.join(folder, "ContactListBench-*.txt")),
                       key=lambda p: int(re.findall(r"(\d+)", os.path.basename(p))[0])):
        text = open(path).read()
        size = int(re.findall(r"(\d+)", os.path.basename(path))[0])

        def value(pattern):
            match = re.search(pattern + r"\s+([\d.]+)", text)
            return float(match.group(1)) * 1e-6 if match else None

        host = value(r"host's own cell request \(no add-on\)")
        host_back = value(r"host's own cell request over the last \d+ rows")
        refetch = value(r"fetching the contact with picture keys")
        picture = value(r"making the picture \([^)]*\)")
        steps = host + refetch + picture if None not in (host, refetch, picture) else None
        bare_steps = "host's own + fetch with picture keys + picture"
        for label, pattern, bare_label, bare in (
                ("contact list row, empty cache", r"with the add-on, cold cache", bare_steps,
                 steps),
                ("contact list row, second pass (cache holds ~30 rows)",
                 r"with the add-on, warm cache", bare_steps, steps),
                ("contact list row, still cached",
                 r"back over the last \d+ rows \(all cached\)", "host's own cell request, same rows",
                 host_back)):
            rows.append((label, f"{size:,}", value(pattern), bare_label, bare, GOAL))
        rows.append(("contact list row, the process's first pass (loads the fonts)", f"{size:,}",
                     value(r"the process's first pass \(loads the fonts\)"), "-", None, GOAL))
    return rows


def startup(folder):
    """Rows from the start-up report: the cold start and a simulator screen's parts."""
    path = os.path.join(folder, "Startup.txt")
    if not os.path.exists(path):
        return [], []
    values = {}
    for line in open(path):
        label, _, number = line.rstrip().rpartition("  ")
        values[label.strip()] = float(number)
    us = lambda label: values.get("cold start " + label, 0) * 1e-6
    rows = [("host cold start to the first frame, with the module", NO_BOOK, us("with the module"),
             "the same host without the module", us("without the module"), GOAL)]
    screens, seconds = values.get("simulator screens"), values.get("simulator seconds")
    notes = [
        f"Simulator, default run: {screens:.0f} screens in {seconds:.1f} s, "
        f"{screens / seconds:.1f} screens a second." if screens and seconds else "",
        "A screen's host process, medians: start and exit "
        f"{shown(us('process start and exit, no module'))}; loading the module "
        f"+{shown(us('process start and exit, with the module') - us('process start and exit, no module'))}; "
        f"first frame (fonts, book, drawing) +{shown(us('with the module') - us('process start and exit, with the module'))}; "
        f"a second frame +{shown(us('two frames') - us('with the module'))}; "
        f"writing it as PNG +{shown(us('frame written as PNG') - us('with the module'))}.",
    ]
    return rows, [note for note in notes if note]


def live(folder):
    """Rows from the live simulator's report: each action's answer against the host alone, and a
    note with the medians and 95th percentiles (goal: a median within 100 ms)."""
    path = os.path.join(folder, "Live.txt")
    if not os.path.exists(path):
        return [], []
    rows, parts = [], []
    for line in open(path):
        label, _, numbers = line.rstrip().rpartition("  ")
        median, p95, host_median, host_p95 = (float(n) * 1e-6 for n in numbers.split())
        kind = label.removeprefix("live ")
        rows.append((f"live simulator, {kind}: POST /api/do to its answer (median)", NO_BOOK,
                     median, "the same lines in the host alone", host_median, GOAL))
        verdict = "met" if median <= 0.1 else "NOT met"
        parts.append(f"{kind} median {shown(median)} (p95 {shown(p95)}; host alone "
                     f"{shown(host_median)}, p95 {shown(host_p95)}), within 100 ms {verdict}")
    return rows, ["Live simulator: " + "; ".join(parts) + "."]


def main():
    folder = sys.argv[1]
    results = load(folder)
    rows = []
    for program, name, label, bare, bare_label, *goal in PAIRS:
        times = results.get(program, {})
        for suffix, seconds in sorted(variants(times, name).items(),
                                      key=lambda item: (len(item[0]), item[0])):
            bare_seconds = times.get(bare + suffix) if bare else None
            book, extra = parts_of(suffix)
            rows.append((label + (f" ({extra})" if extra else ""), book, seconds,
                         bare_label if bare else "-", bare_seconds, goal[0] if goal else GOAL))
    rows += contact_lists(folder)
    startup_rows, notes = startup(folder)
    rows += startup_rows
    live_rows, live_notes = live(folder)
    rows += live_rows
    notes += live_notes

    header = ("path", "contacts", "time", "bare operation", "bare time", "ratio", "goal")
    table = []
    for label, book, seconds, bare_label, bare_seconds, goal in rows:
        ratio = seconds / bare_seconds if seconds and bare_seconds else None
        goal = GOALS.get(label, goal)
        verdict = "-" if ratio is None else (
            f"<= {goal:g}x " + ("met" if ratio <= goal else "NOT met"))
        table.append((label, book, shown(seconds), bare_label, shown(bare_seconds),
                      "-" if ratio is None else f"{ratio:.2f}x", verdict))
    widths = [max(len(str(row[i])) for row in table + [header]) for i in range(len(header))]
    line = lambda row: "| " + " | ".join(str(c).ljust(w) for c, w in zip(row, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for row in table:
        print(line(row))
    for note in notes:
        print()
        print(note)


if __name__ == "__main__":
    main()
