#!/usr/bin/python3
"""The mutation check: puts one small fault from scripts/mutations.txt into the
product at a time, rebuilds, runs the tests and says which faults no test
noticed. See scripts/mutate.sh for the options."""

import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor, as_completed
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LIST = ROOT / "scripts" / "mutations.txt"


class Mutation:
    def __init__(self, label, path, expect_survival):
        self.label, self.path, self.expect_survival = label, path, expect_survival
        self.original, self.replacement = [], []

    def snippet(self, lines):
        return "\n".join(lines)


def parse_list(path):
    mutations = []
    header = re.compile(r"^\[([\w.-]+)\]\s+(\S+)(\s+survives)?\s*$")
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        if match := header.match(line):
            mutations.append(Mutation(match[1], match[2], bool(match[3])))
        elif mutations and line[:2] in ("- ", "+ ") or line in ("-", "+"):
            side = mutations[-1].original if line[0] == "-" else mutations[-1].replacement
            side.append(line[2:])
        else:
            sys.exit(f"{path}:{number}: not an entry line: {line!r}")
    labels = [m.label for m in mutations]
    duplicates = {label for label in labels if labels.count(label) > 1}
    if duplicates:
        sys.exit(f"{path}: labels used twice: {', '.join(sorted(duplicates))}")
    for m in mutations:
        if not m.original:
            sys.exit(f"{path}: [{m.label}] has no original text")
    return mutations


def occurrences(mutation):
    file = ROOT / mutation.path
    if not file.is_file():
        return 0
    return file.read_text(encoding="utf-8").count(mutation.snippet(mutation.original))


class Applied:
    """One mutation in place; the file is restored on leaving, whatever happens."""

    def __init__(self, mutation):
        self.file = ROOT / mutation.path
        self.mutation = mutation

    def __enter__(self):
        self.saved = self.file.read_bytes()
        text = self.saved.decode("utf-8")
        m = self.mutation
        self.file.write_text(text.replace(m.snippet(m.original), m.snippet(m.replacement), 1), encoding="utf-8")
        return self

    def __exit__(self, *exc):
        self.file.write_bytes(self.saved)
        return False


def run(command, **kwargs):
    return subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          errors="replace", **kwargs)


def configure_and_build(build_dir):
    if not (build_dir / "build.ninja").exists():
        command = ["cmake", "-S", ".", "-B", str(build_dir), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
        if run(["sh", "-c", "command -v ccache"]).returncode == 0:
            command.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        result = run(command)
        if result.returncode != 0:
            sys.exit("configuring failed:\n" + result.stdout[-4000:])
    return run(["cmake", "--build", str(build_dir)])


def list_tests(build_dir):
    """The suite without the lint checks (a mutation is no formatting fault), each
    test with the build target of its executable."""
    result = run(["ctest", "--test-dir", str(build_dir), "--show-only=json-v1", "-LE", "lint"])
    if result.returncode != 0:
        sys.exit("ctest could not list the tests:\n" + result.stdout[-4000:])
    tests = {}
    for test in json.loads(result.stdout)["tests"]:
        inside = [arg for arg in test.get("command", []) if arg.startswith(str(build_dir) + "/")]
        tests[test["name"]] = Path(inside[0]).name if inside else None
    return tests


# The tests most likely to notice a fault in a folder run first.
NEAREST_TESTS = [
    ("src/model/", r"tst_layoutmodel|tst_profilestore|tst_storefaults"),
    ("src/windows/", r"tst_framerestoration|tst_windowservice"),
    ("src/controller/", r"tst_controller"),
    ("src/dbus/", r"tst_controlservice"),
    ("src/platform/linux/", r"tst_sessionservices|tst_tasks"),
    ("src/platform/x11/", r"tst_x11"),
]


def test_order(mutation, tests, killers):
    """Tests that killed faults in the same file first, then the nearest tests,
    then the rest; fastest first within each group."""
    pattern = next((p for folder, p in NEAREST_TESTS if mutation.path.startswith(folder)), None)
    def rank(name):
        if name in killers.get(mutation.path, ()):
            group = 0
        elif pattern and re.match(pattern, name):
            group = 1
        else:
            group = 2
        return (group, tests[name]["seconds"])
    return sorted(tests, key=rank)


def run_test(build_dir, name, timeout, stop=None):
    """'pass', 'fail' or 'timeout', and the seconds it took; None when stopped.
    A failure counts only when it happens twice: the desktop tests can trip
    over a machine under load."""
    if stop is not None and stop.is_set():
        return None
    first = run_test_once(build_dir, name, timeout)
    if first[0] != "fail":
        return first
    return run_test_once(build_dir, name, timeout)


def run_test_once(build_dir, name, timeout):
    started = time.monotonic()
    try:
        process = subprocess.Popen(
            ["ctest", "--test-dir", str(build_dir), "-R", f"^{re.escape(name)}$", "--timeout", str(timeout),
             "--output-on-failure"], cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
            errors="replace", start_new_session=True)
        output, _ = process.communicate(timeout=timeout + 30)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        return "timeout", time.monotonic() - started
    elapsed = time.monotonic() - started
    if process.returncode == 0:
        return "pass", elapsed
    if "***Timeout" in output:
        return "timeout", elapsed
    return "fail", elapsed


def run_parallel(build_dir, names, timeouts, jobs, stop_on_failure=True):
    """The first failing test (or None) and the seconds each test took."""
    stop = threading.Event()
    first_failure, durations = None, {}
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        futures = {pool.submit(run_test, build_dir, name, timeouts[name], stop): name for name in names}
        for future in as_completed(futures):
            outcome = future.result()
            if outcome is None:
                continue
            verdict, seconds = outcome
            durations[futures[future]] = seconds
            if verdict != "pass" and first_failure is None:
                first_failure = (futures[future], verdict)
                if stop_on_failure:
                    stop.set()
    return first_failure, durations


def check_mutant(build_dir, order, tests, jobs):
    """('killed', test, how), ('survived',) or ('build-failed',). The quick tests
    run one by one, each linked just before it runs, so that a fault caught early
    costs one link; the slow rest is built at once and runs in parallel."""
    quick = [name for name in order if tests[name]["seconds"] < 8 and tests[name]["target"]]
    slow = [name for name in order if name not in quick]
    for name in quick:
        if run(["cmake", "--build", str(build_dir), "--target", tests[name]["target"]]).returncode != 0:
            return ("build-failed",)
        verdict, _ = run_test(build_dir, name, tests[name]["timeout"])
        if verdict != "pass":
            return ("killed", name, verdict)
    if slow:
        if configure_and_build(build_dir).returncode != 0:
            return ("build-failed",)
        failure, _ = run_parallel(build_dir, slow, {n: tests[n]["timeout"] for n in slow}, jobs)
        if failure:
            return ("killed",) + failure
    return ("survived",)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--list", action="store_true", help="list the mutations and whether each applies")
    parser.add_argument("--only", action="append", default=[], metavar="LABEL",
                        help="run only this mutation (repeatable; a trailing * matches a prefix)")
    parser.add_argument("--sample", type=int, metavar="N", help="a fixed pseudo-random sample of N mutations")
    parser.add_argument("--build-dir", default=os.environ.get("STELLWICK_MUTATE_BUILD", "build-mutate"))
    parser.add_argument("--skip-baseline", action="store_true",
                        help="trust that the unmutated suite passes (ctest just ran it in the build folder) "
                             "and take the test times from ctest's records")
    parser.add_argument("--jobs", type=int, default=int(os.environ.get("STELLWICK_MUTATE_JOBS", "2")))
    args = parser.parse_args()

    mutations = parse_list(LIST)
    if args.only:
        def wanted(label):
            return any(label == o or (o.endswith("*") and label.startswith(o[:-1])) for o in args.only)
        mutations = [m for m in mutations if wanted(m.label)]
        if not mutations:
            sys.exit("no mutation has that label")
    if args.sample:
        mutations = random.Random(16).sample(mutations, min(args.sample, len(mutations)))

    if args.list:
        for m in mutations:
            count = occurrences(m)
            state = "" if count == 1 else ("   (not found)" if count == 0 else f"   (found {count} times)")
            print(f"{m.label:42} {m.path}{'   survives' if m.expect_survival else ''}{state}")
        print(f"{len(mutations)} mutations")
        return 0

    files = sorted({m.path for m in mutations if (ROOT / m.path).is_file()})
    dirty = run(["git", "status", "--porcelain", "--", *files]).stdout.strip()
    if dirty:
        sys.exit("refusing to start: listed files have uncommitted changes:\n" + dirty)

    # Restore the file in place on Ctrl-C and on kill as well.
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))

    os.environ.setdefault("STELLWICK_KILLS", "20")
    os.environ.setdefault("STELLWICK_APPLIES", "20")
    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
    build_dir = (ROOT / args.build_dir).resolve()
    started = time.monotonic()

    print(f"building {build_dir.name}" + ("" if args.skip_baseline else " and running the unmutated suite") + " ...", flush=True)
    result = configure_and_build(build_dir)
    if result.returncode != 0:
        sys.exit("the unmutated product does not build:\n" + result.stdout[-4000:])
    targets = list_tests(build_dir)
    if args.skip_baseline:
        costs = build_dir / "Testing" / "Temporary" / "CTestCostData.txt"
        recorded = {}
        if costs.exists():
            for line in costs.read_text().splitlines():
                parts = line.split()
                if len(parts) == 3:
                    recorded[parts[0]] = float(parts[2])
        durations = {t: recorded.get(t, 60.0) for t in targets}
    else:
        failure, durations = run_parallel(build_dir, list(targets), {t: 300 for t in targets}, args.jobs,
                                          stop_on_failure=False)
        if failure:
            sys.exit(f"the unmutated suite fails ({failure[0]}: {failure[1]}); fix it first")
    tests = {name: {"target": targets[name], "seconds": durations[name],
                    "timeout": int(max(30, 3 * durations[name] + 20))} for name in targets}
    print(f"suite: {len(tests)} tests, {sum(durations.values()):.0f} s of test time", flush=True)

    killed, survived, unexpected, missing, broken = [], [], [], [], []
    killers = {}  # file -> tests that killed a fault in it
    try:
        for index, m in enumerate(mutations, 1):
            mark = f"[{index}/{len(mutations)}] {m.label}"
            count = occurrences(m)
            if count != 1:
                missing.append(m.label)
                print(f"{mark}: NOT APPLICABLE ({m.path}: original text found {count} times)", flush=True)
                continue
            t0 = time.monotonic()
            with Applied(m):
                outcome = check_mutant(build_dir, test_order(m, tests, killers), tests, args.jobs)
            seconds = time.monotonic() - t0
            if outcome[0] == "build-failed":
                broken.append(m.label)
                print(f"{mark}: BUILD FAILED (fix the entry)", flush=True)
            elif outcome[0] == "killed":
                killed.append(m.label)
                killers.setdefault(m.path, []).append(outcome[1])
                how = "timed out" if outcome[2] == "timeout" else "failed"
                print(f"{mark}: killed ({outcome[1]} {how}, {seconds:.0f} s)", flush=True)
            else:
                survived.append(m.label)
                if not m.expect_survival:
                    unexpected.append(m.label)
                note = " (known)" if m.expect_survival else ""
                print(f"{mark}: SURVIVED{note} ({seconds:.0f} s)", flush=True)
    except KeyboardInterrupt:
        print("\ninterrupted; the source files are restored", flush=True)
        return 130
    finally:
        # The next build must not keep objects of the last mutant.
        configure_and_build(build_dir)

    decided = len(killed) + len(survived)
    rate = 100.0 * len(killed) / decided if decided else 0.0
    minutes = (time.monotonic() - started) / 60
    print()
    print(f"mutations: {len(mutations)}  killed: {len(killed)}  survived: {len(survived)}  "
          f"not applicable: {len(missing)}  build failed: {len(broken)}")
    print(f"kill rate: {rate:.1f} % ({len(killed)}/{decided})  run time: {minutes:.1f} min")
    if survived:
        print("survived: " + " ".join(survived))
    if missing:
        print("not applicable (the product changed; update scripts/mutations.txt): " + " ".join(missing))
    if broken:
        print("build failed (fix these entries): " + " ".join(broken))
    if unexpected:
        print("survived, and not marked 'survives' in the list: " + " ".join(unexpected))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
