#!/usr/bin/env python3
"""Measures how many planted faults the test suite catches.

Samples single-site faults (mutants) in src/<folder>/*.cpp, a fair share per folder, applies
each in a scratch copy of the tree, builds the plain Debug build there and runs the CTest
tests, the mutated folder's own first, stopping at the first failure. Prints the score per
folder and the survivors, for a person to judge which are equivalent.

Everything lives under build-mutate/ (or --out): tree/ is the scratch copy, build/ the build
reused across mutants, results-seed<S>.json the results. A run with the same seed on the same
sources resumes where it stopped; --report prints the results again without running.

Standard library only.
"""

import argparse
import collections
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

FOLDERS = ["core", "data", "net", "session", "control", "ui", "settings"]
TRIALS_TEST = "KillTrials"
FILLER = "\x01"  # stands for the inside of a literal in the masked line

# ---------------------------------------------------------------------------------------------
# Finding the sites


def mask_source(text):
    """Returns one (masked, strings) pair per line. `masked` has the line's length, comments
    and preprocessor lines blanked and the inside of literals replaced by FILLER, so that the
    operators below never match text in a comment or a string. `strings` holds the (open,
    close) columns of the plain string literals that start and end on the line."""
    result = []
    in_block = False
    raw_end = None
    continued = False
    for line in text.split("\n"):
        n = len(line)
        masked = list(line)
        strings = []
        if continued or (not in_block and raw_end is None and line.lstrip().startswith("#")):
            continued = line.rstrip().endswith("\\")
            result.append((" " * n, []))
            continue

        def blank(a, b, fill=" "):
            for k in range(a, min(b, n)):
                masked[k] = fill

        i = 0
        while i < n:
            if in_block:
                j = line.find("*/", i)
                end = n if j < 0 else j + 2
                blank(i, end)
                in_block = j < 0
                i = end
                continue
            if raw_end is not None:
                j = line.find(raw_end, i)
                end = n if j < 0 else j + len(raw_end)
                blank(i, end, FILLER)
                raw_end = None if j >= 0 else raw_end
                i = end
                continue
            if line.startswith("//", i):
                blank(i, n)
                break
            if line.startswith("/*", i):
                in_block = True
                blank(i, i + 2)
                i += 2
                continue
            c = line[i]
            if c == '"':
                prefix = re.search(r"[A-Za-z0-9_]*$", line[:i]).group(0)
                if prefix in ("R", "LR", "uR", "UR", "u8R"):
                    open_paren = line.find("(", i)
                    raw_end = ")" + line[i + 1 : open_paren] + '"'
                    blank(i, open_paren + 1, FILLER)
                    i = open_paren + 1
                    continue
                j = i + 1
                while j < n and line[j] != '"':
                    j += 2 if line[j] == "\\" else 1
                blank(i + 1, j, FILLER)
                if j < n and prefix == "":
                    strings.append((i, j))
                i = j + 1
                continue
            if c == "'" and not (i > 0 and line[i - 1].isalnum()):
                j = i + 1
                while j < n and line[j] != "'":
                    j += 2 if line[j] == "\\" else 1
                blank(i + 1, j, FILLER)
                i = j + 1
                continue
            i += 1
        result.append(("".join(masked), strings))
    return result


def matching_paren(masked, open_col):
    """Column of the bracket closing the one at open_col on the same line, or -1."""
    depth = 0
    for k in range(open_col, len(masked)):
        if masked[k] in "([{":
            depth += 1
        elif masked[k] in ")]}":
            depth -= 1
            if depth == 0:
                return k
    return -1


def balanced(masked):
    return all(masked.count(a) == masked.count(b) for a, b in ("()", "[]", "{}"))


RELATIONAL = {
    "<": ["<=", ">="],
    "<=": ["<", ">"],
    ">": [">=", "<="],
    ">=": [">", "<"],
    "==": ["!="],
    "!=": ["=="],
}
# Binary operators are surrounded by spaces in this (formatted) tree; template brackets,
# arrows and stream operators are not, so they never match.
RE_RELATIONAL = re.compile(r"(?<![^\s])(<=|>=|==|!=|<|>)(?![^\s])")
RE_LOGICAL = re.compile(r"(?<![^\s])(&&|\|\|)(?![^\s])")
RE_BOOL = re.compile(r"\b(true|false)\b")
RE_INT = re.compile(r"(?<![\w.'])(\d+)([uUlL]*)(?![\w.'])")
RE_CONDITION = re.compile(r"\b(if|while) \(")
RE_CALL = re.compile(r"\b([A-Za-z_]\w*)\(")
RE_PARAMETER = re.compile(r"[\w>*&]\s+[*&]*[A-Za-z_]\w*\s*(=.*)?$")
NOT_CALLS = {"if", "while", "for", "switch", "return", "sizeof", "catch", "alignof", "decltype", "QStringLiteral"}
NOT_STATEMENTS = {
    "return",
    "break",
    "continue",
    "goto",
    "throw",
    "case",
    "default",
    "else",
    "do",
    "using",
    "typedef",
    "static_assert",
    "Q_UNUSED",
}
RE_INCREMENT = re.compile(r"^(\+\+|--)[\w.\->\[\]*]+;$|^[\w.\->\[\]*]+(\+\+|--);$")
RE_ASSIGNMENT = re.compile(r"(?<![=!<>+\-*/%&|^])(\+|-|\*|/|%|&|\||\^|<<|>>)?=(?!=)")


def statement_prefix_ok(code):
    """Whether a complete one-line statement is a call or an assignment, not a declaration:
    the text before its first '(' or assignment has no space (`Type name = ...` has one)."""
    code = re.sub(r"^emit\s+", "", code)
    if RE_INCREMENT.match(code):
        return True
    paren = code.find("(")
    assign = RE_ASSIGNMENT.search(code)
    cut = min(k for k in (paren, assign.start() if assign else -1, len(code)) if k >= 0)
    prefix = code[:cut].rstrip()
    if not prefix or re.search(r"\s", prefix) or prefix.split("::")[0] in NOT_STATEMENTS:
        return False
    if cut == len(code):
        return False
    return re.match(r"^[*&]*[A-Za-z_~][\w:.\->\[\]()*]*$", prefix) is not None


def line_mutations(lines, masks, index):
    """Every mutation of line `index`: a list of (operator, description, new line)."""
    line = lines[index]
    masked, strings = masks[index]
    found = []

    def replace(a, b, text):
        return line[:a] + text + line[b:]

    for m in RE_RELATIONAL.finditer(masked):
        for other in RELATIONAL[m.group(1)]:
            found.append(("relational", f"{m.group(1)} -> {other}", replace(m.start(), m.end(), other)))
    for m in RE_LOGICAL.finditer(masked):
        other = "||" if m.group(1) == "&&" else "&&"
        found.append(("logical", f"{m.group(1)} -> {other}", replace(m.start(), m.end(), other)))
    for m in RE_BOOL.finditer(masked):
        other = "false" if m.group(1) == "true" else "true"
        kind = "return" if masked[: m.start()].strip().endswith("return") else "boolean"
        found.append((kind, f"{m.group(1)} -> {other}", replace(m.start(), m.end(), other)))
    for m in RE_INT.finditer(masked):
        digits = m.group(1)
        if len(digits) > 1 and digits.startswith("0"):
            continue
        value = int(digits)
        others = [1] if value == 0 else [value - 1, value + 1]
        for other in others:
            found.append(("constant", f"{value} -> {other}", replace(m.start(1), m.end(1), str(other))))
    for m in RE_CONDITION.finditer(masked):
        if masked[m.end() :].startswith("constexpr"):
            continue
        open_col = m.end() - 1
        close_col = matching_paren(masked, open_col)
        if close_col > open_col + 1:
            condition = line[open_col + 1 : close_col]
            found.append(
                (
                    "negate",
                    f"{m.group(1)} (c) -> {m.group(1)} (!(c))",
                    replace(open_col + 1, close_col, f"!({condition})"),
                )
            )
    for open_quote, close_quote in strings:
        found.append(("string", "\"..\" -> \"..X\"", replace(close_quote, close_quote, "X")))
    for m in RE_CALL.finditer(masked):
        if m.group(1) in NOT_CALLS:
            continue
        open_col = m.end() - 1
        close_col = matching_paren(masked, open_col)
        if close_col < 0:
            continue
        cuts = [open_col]
        depth = 0
        for k in range(open_col + 1, close_col):
            if masked[k] in "([{":
                depth += 1
            elif masked[k] in ")]}":
                depth -= 1
            elif masked[k] == "," and depth == 0:
                cuts.append(k)
        cuts.append(close_col)
        args = [line[cuts[k] + 1 : cuts[k + 1]] for k in range(len(cuts) - 1)]
        if any(RE_PARAMETER.search(masked[cuts[k] + 1 : cuts[k + 1]]) for k in range(len(cuts) - 1)):
            continue  # a declaration's parameters: swapping them only breaks the build
        for k in range(len(args) - 1):
            if args[k].strip() == args[k + 1].strip():
                continue
            swapped = list(args)
            swapped[k], swapped[k + 1] = " " + args[k + 1].strip(), " " + args[k].strip()
            if k == 0:
                swapped[0] = swapped[0].lstrip()
            new_args = ",".join(swapped)
            description = f"{m.group(1)}: arguments {k + 1} <-> {k + 2}"
            found.append(("swap", description, replace(open_col + 1, close_col, new_args)))
    code = masked.strip()
    if code.endswith(";") and balanced(masked) and statement_prefix_ok(code):
        previous = ""
        for k in range(index - 1, -1, -1):
            previous = masks[k][0].strip()
            if previous:
                break
        if previous == "" or previous[-1] in ";{}):" or previous == "else":
            indent = line[: len(line) - len(line.lstrip())]
            found.append(("delete", "statement removed", indent + ";"))
    return found


def mutant_id(path, line_no, mutated):
    digest = hashlib.sha1(f"{path}\n{line_no}\n{mutated}".encode()).hexdigest()
    return "M" + digest[:8]


def folder_orders(root, folders, seed):
    """For each folder, its lines with at least one mutation, shuffled from the seed, each
    with the one mutation drawn for it: the sample is a prefix of this order, and a mutant
    that does not compile is replaced by the next one."""
    orders = {}
    for folder in folders:
        sites = []
        for path in sorted((root / "src" / folder).glob("*.cpp")):
            rel = path.relative_to(root).as_posix()
            text = path.read_text(encoding="utf-8")
            lines = text.split("\n")
            masks = mask_source(text)
            for index in range(len(lines)):
                mutations = line_mutations(lines, masks, index)
                if mutations:
                    sites.append((rel, lines, index, mutations))
        rng = random.Random(f"{seed}:{folder}")
        rng.shuffle(sites)
        order = []
        for rel, lines, index, mutations in sites:
            operator, description, mutated = rng.choice(mutations)
            order.append(
                {
                    "id": mutant_id(rel, index + 1, mutated),
                    "folder": folder,
                    "file": rel,
                    "line": index + 1,
                    "operator": operator,
                    "change": description,
                    "original": lines[index],
                    "mutated": mutated,
                }
            )
        orders[folder] = order
    return orders


def quotas(count, folders):
    base, extra = divmod(count, len(folders))
    return {folder: base + (1 if k < extra else 0) for k, folder in enumerate(folders)}


# ---------------------------------------------------------------------------------------------
# The scratch tree and its build


def tree_files(root):
    out = subprocess.run(
        ["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        cwd=root,
        check=True,
        capture_output=True,
    ).stdout
    names = out.decode().split("\0")
    return sorted({n for n in names if n and "__pycache__/" not in n and (root / n).is_file()})


def is_own_file(name):
    return name.startswith("tools/mutate") or name.endswith(".md")


def tree_hash(root, files):
    """Hash of what the results depend on: every file but this tool and the documents."""
    digest = hashlib.sha1()
    for name in files:
        if not is_own_file(name):
            digest.update(name.encode() + b"\0" + (root / name).read_bytes() + b"\0")
    return digest.hexdigest()[:16]


def sync_tree(root, files, tree):
    """Makes `tree` a copy of the working tree's files. Unchanged files keep their time so
    the build stays incremental; a file left mutated by an interrupted run is restored."""
    wanted = set(files)
    for name in files:
        source, target = root / name, tree / name
        data = source.read_bytes()
        if not target.is_file() or target.read_bytes() != data:
            target.parent.mkdir(parents=True, exist_ok=True)
            write_fresh(target, data)
            shutil.copymode(source, target)
    for path in sorted(tree.rglob("*"), reverse=True):
        rel = path.relative_to(tree).as_posix()
        if path.is_file() and rel not in wanted:
            path.unlink()


def write_fresh(path, data):
    """Writes `data` with a modification time later than the last build's, so that the
    build tool sees the change even within the same second."""
    before = path.stat().st_mtime_ns if path.exists() else 0
    path.write_bytes(data)
    now = max(time.time_ns(), before + 1_000_000)
    os.utime(path, ns=(now, now))


def run_logged(command, log):
    with open(log, "ab") as out:
        out.write(("$ " + " ".join(str(c) for c in command) + "\n").encode())
        out.flush()
        return subprocess.run(command, stdout=out, stderr=subprocess.STDOUT).returncode


def configure(tree, build, log):
    if (build / "CMakeCache.txt").exists():
        return True
    command = ["cmake", "-S", tree, "-B", build, "-DCMAKE_BUILD_TYPE=Debug", "-DTAVRIMEX_WERROR=OFF"]
    command += ["-DTAVRIMEX_SANITIZE=OFF", "-DTAVRIMEX_FUZZ=OFF", "-DTAVRIMEX_TSAN=OFF"]
    if shutil.which("ninja"):
        command += ["-G", "Ninja"]
    if shutil.which("ccache"):
        command += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    return run_logged(command, log) == 0


def list_tests(build, with_trials):
    """The CTest tests as dicts of name, labels, target, timeout."""
    out = subprocess.run(
        ["ctest", "--show-only=json-v1"], cwd=build, check=True, capture_output=True, text=True
    ).stdout
    tests = []
    for test in json.loads(out)["tests"]:
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        labels = properties.get("LABELS", [])
        if test["name"] == TRIALS_TEST and not with_trials:
            continue
        if "fuzz" in labels:
            continue
        target = test["name"]
        for argument in test.get("command", []):
            path = Path(argument)
            if path.is_relative_to(build) and path.name != "on-xvfb.sh":
                target = path.name
        tests.append(
            {
                "name": test["name"],
                "labels": labels,
                "target": target,
                "timeout": float(properties.get("TIMEOUT", 1500)),
            }
        )
    return tests


def build_targets(build, targets, jobs, log):
    return run_logged(["cmake", "--build", build, "-j", str(jobs), "--target", *targets], log) == 0


def first_error(log):
    for line in Path(log).read_text(errors="replace").splitlines():
        if "error" in line.lower():
            return line.strip()[:300]
    return ""


class TestRun:
    """One test run by ctest, in its own process group so that a time-out ends all of it."""

    def __init__(self, build, test, limit, log):
        self.test = test
        self.limit = limit
        self.start = time.monotonic()
        self.out = open(log, "ab")
        self.out.write(f"--- {test['name']}\n".encode())
        self.out.flush()
        self.process = subprocess.Popen(
            ["ctest", "--output-on-failure", "-R", "^" + re.escape(test["name"]) + "$"],
            cwd=build,
            stdout=self.out,
            stderr=subprocess.STDOUT,
            start_new_session=True,
        )

    def poll(self):
        """None while running, else 'passed', 'failed' or 'timeout'."""
        code = self.process.poll()
        if code is None:
            if time.monotonic() - self.start < self.limit:
                return None
            self.stop()
            return "timeout"
        self.out.close()
        return "passed" if code == 0 else "failed"

    def stop(self):
        # A test whose signal handler hangs ignores SIGTERM in effect: SIGKILL follows.
        if self.process.poll() is None or group_exists(self.process.pid):
            for sig in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.killpg(self.process.pid, sig)
                except ProcessLookupError:
                    break
                deadline = time.monotonic() + 2
                while time.monotonic() < deadline and (self.process.poll() is None or group_exists(self.process.pid)):
                    time.sleep(0.1)
            self.process.wait()
        if not self.out.closed:
            self.out.close()


def group_exists(group):
    try:
        os.killpg(group, 0)
        return True
    except ProcessLookupError:
        return False


def run_tests(build, tests, limits, jobs, log):
    """Builds each test's target just before running it and runs up to `jobs` at once, stopping
    at the first failure. Returns (outcome, test name, number of tests started) where outcome is
    'survived', 'caught', 'timeout' or 'build-failed'."""
    pending = list(tests)
    running = []
    started = 0
    try:
        while pending or running:
            while pending and len(running) < jobs:
                test = pending.pop(0)
                if not build_targets(build, [test["target"]], jobs, log):
                    return "build-failed", test["name"], started
                running.append(TestRun(build, test, limits[test["name"]], log))
                started += 1
            time.sleep(0.1)
            for run in list(running):
                state = run.poll()
                if state is None:
                    continue
                running.remove(run)
                if state == "failed":
                    return "caught", run.test["name"], started
                if state == "timeout":
                    return "timeout", run.test["name"], started
        return "survived", "", started
    finally:
        for run in running:
            run.stop()


# ---------------------------------------------------------------------------------------------
# Results


def load_equivalent(path):
    if not path:
        return {}
    judged = {}
    for line in Path(path).read_text().splitlines():
        text, _, reason = line.partition("#")
        if text.strip():
            judged[text.split()[0]] = reason.strip()
    return judged


def report(results, folders, equivalent):
    mutants = [m for m in results["mutants"].values() if m["folder"] in folders and m.get("selected")]
    print()
    print(f"seed {results['seed']}, tree {results['tree']}, tests: {len(results['baseline'])}")
    header = f"{'folder':<10}{'sampled':>9}{'no-compile':>12}{'caught':>8}{'survived':>10}{'equiv.':>8}{'score':>8}"
    print(header)
    print("-" * len(header))
    for folder in folders + ["total"]:
        mine = [m for m in mutants if folder in (m["folder"], "total")]
        compile_failed = sum(1 for m in mine if m["status"] == "compile-failed")
        caught = sum(1 for m in mine if m["status"] in ("caught", "timeout"))
        survived = sum(1 for m in mine if m["status"] == "survived")
        equiv = sum(1 for m in mine if m["status"] == "survived" and m["id"] in equivalent)
        done = caught + survived
        score = f"{caught / (done - equiv):.1%}" if done - equiv else "-"
        print(f"{folder:<10}{done:>9}{compile_failed:>12}{caught:>8}{survived:>10}{equiv:>8}{score:>8}")
    print()
    survivors = [m for m in mutants if m["status"] == "survived"]
    if survivors:
        print("Survivors (id, place, change; 'equivalent' where judged so):")
        for m in sorted(survivors, key=lambda m: (m["file"], m["line"])):
            mark = f"  equivalent: {equivalent[m['id']]}" if m["id"] in equivalent else ""
            if m["id"] in equivalent and not equivalent[m["id"]]:
                mark = "  equivalent"
            print(f"{m['id']}  {m['file']}:{m['line']}  [{m['operator']}: {m['change']}]{mark}")
            print(f"    - {m['original'].strip()}")
            print(f"    + {m['mutated'].strip()}")
        print()
    for status in ("caught", "survived"):
        kinds = ("caught", "timeout") if status == "caught" else ("survived",)
        times = [m for m in mutants if m["status"] in kinds]
        if times:
            build = sum(m["build_seconds"] for m in times) / len(times)
            tests = sum(m["test_seconds"] for m in times) / len(times)
            print(f"mean time of a {status} mutant: {build + tests:.0f} s (build {build:.0f} s, tests {tests:.0f} s)")
    failed = [m for m in mutants if m["status"] == "compile-failed"]
    if failed:
        mean = sum(m["build_seconds"] for m in failed) / len(failed)
        print(f"mean time of a mutant that did not compile: {mean:.0f} s")


def save(path, results):
    temporary = path.with_suffix(".tmp")
    temporary.write_text(json.dumps(results, indent=1, sort_keys=True))
    os.replace(temporary, path)


# ---------------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--count", type=int, default=200, help="mutants to sample (default 200)")
    parser.add_argument("--seed", type=int, help="seed of the sample (default: a new one, printed)")
    parser.add_argument("--folders", default=",".join(FOLDERS), help="src/ folders, comma-separated")
    parser.add_argument("--jobs", type=int, default=2, help="build jobs and tests run at once (default 2)")
    parser.add_argument("--with-trials", action="store_true", help=f"run {TRIALS_TEST} too")
    parser.add_argument("--equivalent", help="file of survivor ids judged equivalent, one a line, '#' comments")
    parser.add_argument("--out", default="build-mutate", help="folder of the scratch tree, build and results")
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--report", action="store_true", help="print the results of this seed and stop")
    args = parser.parse_args()

    root = Path(__file__).resolve().parent.parent
    folders = [f for f in args.folders.split(",") if f]
    unknown = [f for f in folders if not (root / "src" / f).is_dir()]
    if unknown:
        parser.error("no such folder in src/: " + ", ".join(unknown))
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1, 1_000_000)
    print(f"seed {seed}", flush=True)
    out = (root / args.out).resolve()
    tree, build, logs = out / "tree", out / "build", out / "logs"
    results_path = out / f"results-seed{seed}.json"
    equivalent = load_equivalent(args.equivalent)

    files = tree_files(root)
    digest = tree_hash(root, files)
    results = {"seed": seed, "tree": digest, "baseline": {}, "mutants": {}}
    if results_path.exists():
        previous = json.loads(results_path.read_text())
        if previous["tree"] == digest and previous.get("with_trials") == args.with_trials:
            results = previous
        elif args.report:
            results = previous
            print(f"note: the sources changed since these results (tree {previous['tree']})")
        else:
            stale = results_path.with_suffix(f".{previous['tree']}.json")
            os.replace(results_path, stale)
            print(f"the sources changed since the last run of this seed: its results moved to {stale.name}")
    results["with_trials"] = args.with_trials
    if args.report:
        report(results, folders, equivalent)
        return 0

    orders = folder_orders(root, folders, seed)
    wanted = quotas(args.count, folders)
    for folder in folders:
        print(f"{folder}: {len(orders[folder])} lines with a mutation, {wanted[folder]} to sample")
    if args.list:
        for folder in folders:
            for m in orders[folder][: wanted[folder]]:
                print(f"{m['id']}  {m['file']}:{m['line']}  [{m['operator']}: {m['change']}]")
                print(f"    - {m['original'].strip()}\n    + {m['mutated'].strip()}")
        return 0

    out.mkdir(parents=True, exist_ok=True)
    logs.mkdir(exist_ok=True)
    sync_tree(root, files, tree)
    setup_log = logs / "setup.log"
    if not configure(tree, build, setup_log):
        print(f"configuring failed: see {setup_log}")
        return 1
    tests = list_tests(build, args.with_trials)

    baseline = run_baseline(out / "baseline.json", digest, build, tests, args.jobs, setup_log)
    if baseline is None:
        return 1
    results["baseline"] = baseline
    broken = [name for name, b in baseline.items() if not b["passed"]]
    if broken:
        print("left out, failing on the unmutated tree: " + ", ".join(broken))
    tests = [t for t in tests if baseline.get(t["name"], {}).get("passed")]
    tests.sort(key=lambda t: baseline[t["name"]]["seconds"])
    # A mutant slows nothing down by much; a test running far beyond its usual time is stuck.
    limits = {t["name"]: min(t["timeout"], max(60.0, 5 * baseline[t["name"]]["seconds"])) for t in tests}

    # Round robin over the folders, so that a run cut short still has a share of each.
    cursor = {folder: 0 for folder in folders}
    taken = {folder: 0 for folder in folders}
    sampled = 0
    interrupted = False
    while not interrupted and any(taken[f] < wanted[f] and cursor[f] < len(orders[f]) for f in folders):
        for folder in folders:
            if taken[folder] >= wanted[folder] or cursor[folder] >= len(orders[folder]):
                continue
            mutant = orders[folder][cursor[folder]]
            cursor[folder] += 1
            record = results["mutants"].get(mutant["id"])
            if record is None:
                catches = collections.Counter(
                    m.get("killed_by")
                    for m in results["mutants"].values()
                    if m["folder"] == folder and m["status"] in ("caught", "timeout")
                )
                try:
                    record = run_mutant(
                        mutant, tree, build, tests, limits, catches, args.jobs, logs, sampled, args.count
                    )
                except KeyboardInterrupt:
                    interrupted = True
                    break
                results["mutants"][mutant["id"]] = record
                save(results_path, results)
            if record["status"] != "compile-failed":
                taken[folder] += 1
                sampled += 1
    # Only the mutants of this sample count in the report, not those of a larger earlier one.
    chosen = {m["id"] for f in folders for m in orders[f][: cursor[f]]}
    for record in results["mutants"].values():
        record["selected"] = record["id"] in chosen
    save(results_path, results)
    report(results, folders, equivalent)
    print(f"\nresults: {results_path}")
    if interrupted:
        print(f"interrupted: run again with --seed {seed} to go on")
        return 130
    return 0


def run_baseline(path, digest, build, tests, jobs, log):
    """Each test's time and verdict on the unmutated tree, kept for the runs of other seeds on
    the same sources; None when the tree does not build or the run was interrupted."""
    kept = json.loads(path.read_text()) if path.exists() else {}
    baseline = kept.get("tests", {}) if kept.get("tree") == digest else {}
    missing = [t for t in tests if t["name"] not in baseline]
    if not missing:
        return baseline
    print(f"baseline: building {len(missing)} tests and running them on the unmutated tree", flush=True)
    try:
        if not build_targets(build, [t["target"] for t in missing], jobs, log):
            print(f"the unmutated tree does not build: see {log}")
            return None
        for test in missing:
            started = time.monotonic()
            state = run_tests(build, [test], {test["name"]: test["timeout"]}, 1, log)[0]
            seconds = round(time.monotonic() - started, 1)
            baseline[test["name"]] = {"seconds": seconds, "passed": state == "survived"}
            print(f"  {test['name']}: {'passed' if state == 'survived' else state} in {seconds} s", flush=True)
    except KeyboardInterrupt:
        print("interrupted")
        return None
    finally:
        save(path, {"tree": digest, "tests": baseline})
    return baseline


def run_mutant(mutant, tree, build, tests, limits, catches, jobs, logs, sampled, count):
    path = tree / mutant["file"]
    original_text = path.read_bytes()
    lines = original_text.decode("utf-8").split("\n")
    if lines[mutant["line"] - 1] != mutant["original"]:
        raise RuntimeError(f"{mutant['file']} differs in the scratch tree")
    record = dict(mutant)
    lines[mutant["line"] - 1] = mutant["mutated"]
    log = logs / f"{mutant['id']}.log"
    log.unlink(missing_ok=True)
    # The folder's own tests first, then those that caught most of this folder's mutants so
    # far; the quickest first among equals (`tests` is sorted by duration).
    ordered = [t for t in tests if mutant["folder"] in t["labels"]]
    others = [t for t in tests if mutant["folder"] not in t["labels"]]
    ordered += sorted(others, key=lambda t: -catches.get(t["name"], 0))
    print(
        f"[{sampled + 1}/{count}] {mutant['id']} {mutant['file']}:{mutant['line']} "
        f"[{mutant['operator']}: {mutant['change']}] ...",
        end=" ",
        flush=True,
    )
    started = time.monotonic()
    try:
        write_fresh(path, "\n".join(lines).encode("utf-8"))
        built = build_targets(build, [ordered[0]["target"]], jobs, log)
        build_seconds = time.monotonic() - started
        if built:
            outcome, test, run_count = run_tests(build, ordered, limits, jobs, log)
        else:
            outcome, test, run_count = "build-failed", ordered[0]["name"], 0
    finally:
        write_fresh(path, original_text)
    test_seconds = time.monotonic() - started - build_seconds
    if outcome == "build-failed":
        record.update(status="compile-failed", error=first_error(log))
        print(f"does not compile ({build_seconds + test_seconds:.0f} s), replaced")
    else:
        record.update(status=outcome, killed_by=test, tests_run=run_count)
        verdict = {"caught": f"caught by {test}", "timeout": f"caught: {test} timed out"}.get(outcome, "survived")
        print(f"{verdict} (build {build_seconds:.0f} s, tests {test_seconds:.0f} s, {run_count} tests)")
    record.update(build_seconds=round(build_seconds, 1), test_seconds=round(test_seconds, 1))
    return record


if __name__ == "__main__":
    sys.exit(main())
