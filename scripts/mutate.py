#!/usr/bin/env python3
"""Mutation testing of the product sources against the host tiers, or of the
real Win32 layer against the contract suite under Wine.

Changes one operator, comparison, boolean or integer constant at a time in
setup/, uninstall/, dfc/ and platform/ (the product and its seam, not the
real Win32 layer) and the package check's rules in check/, rebuilds the host unit and contract tests, runs them and
the exit codes' docs check, and counts the mutant killed when a test fails, crashes or hangs. Prints every
survivor and the score, and writes every mutant and its outcome as JSON to
build/mutation_run.json (build/mutation_real_layer.json with --real-layer;
--json FILE names another file). Raw results stay in build/: the summaries in
docs/mutation.md are what the tree keeps.

With --real-layer it mutates the real layer instead (platform/win32_api.cpp and
platform/scoped_handle.h), rebuilds the Windows contract tests for the host's
Wine mode (scripts/wine.sh: i686 in a 32-bit prefix, or x86-64 in a 64-bit
one) and runs the whole contract suite under Wine, one prefix per job.

Usage: scripts/mutate.py [--real-layer] [--jobs N] [--json FILE] [--only PATH_SUBSTRING]
It copies the project into a work folder per job, so the tree here is never
changed. Too slow for every CI run (a few seconds a mutant; about 20 under Wine).
"""
import argparse
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
FOLDERS = ["setup", "uninstall", "dfc", "platform", "check"]
SKIP = {"platform/win32_api.cpp", "platform/win_types_check.cpp", "platform/win32_api.h",
        "platform/api_calls.h", "platform/forwarding_api.h", "setup/main.cpp",
        "check/main.cpp", "check/msi_package.cpp"}
TESTS = ["tests/unit_tests", "tests/contract_tests_sim"]
DOCS_CHECK = "tests/docs/check_exit_codes.py"
REAL_LAYER = ["platform/win32_api.cpp", "platform/scoped_handle.h"]
HARNESS = ROOT / "scripts/wine.sh"


def wine_mode():
    """The host's Wine mode, as the harness decides it: win32 or win64."""
    return subprocess.run(["bash", "-c", 'source "$1" && wine_mode && echo "$PELLWORTH_WINE_ARCH"',
                           "mutate", HARNESS], capture_output=True, text=True, check=True).stdout.strip()


def wine(root, command, *args, timeout=None):
    """Runs a shell command in the Wine prefix below root, through the harness. The
    paths are handed over as arguments, never pasted into the script: `args` are
    $3, $4... in `command`."""
    return subprocess.run(["bash", "-c", 'source "$1" && wine_use "$2" && ' + command, "mutate",
                           HARNESS, root, *map(str, args)], capture_output=True, timeout=timeout)
CROSS = "i686-w64-mingw32-g++-win32"

# (pattern, replacement) pairs; each match of each pattern is one mutant.
OPERATORS = [
    (r"==", "!="), (r"!=", "=="),
    (r"(?<![<>=!])<(?![<=])", "<="), (r"<=", "<"),
    (r"(?<![<>=!-])>(?![>=])", ">="), (r">=", ">"),
    (r"&&", "||"), (r"\|\|", "&&"),
    (r"\btrue\b", "false"), (r"\bfalse\b", "true"),
    (r"(?<![!=])!(?!=)", ""),
    (r"(?<![+])\+(?![+=])", "-"), (r"(?<![-])-(?![->=])", "+"),
    (r"\+\+", "--"), (r"--", "++"),
    (r"\+=", "-="), (r"-=", "+="),
    (r"\|(?![|=])", "&"), (r"&(?![&=])", "|"),
]
NUMBER = re.compile(r"\b(0x[0-9A-Fa-f]+|\d+)[uUlL]*\b")


def code_spans(line, in_block):
    """The parts of a line that are code: not comments, strings or characters.
    in_block: the line begins inside a /* comment. Returns the spans and whether
    the line ends inside one."""
    spans, i, start, n = [], 0, 0, len(line)
    if in_block:
        close = line.find("*/")
        if close < 0:
            return [], True
        i = start = close + 2
    while i < n:
        if line.startswith("//", i):
            break
        if line.startswith("/*", i):
            spans.append((start, i))
            close = line.find("*/", i + 2)
            if close < 0:
                return spans, True
            i = start = close + 2
            continue
        c = line[i]
        if c in "\"'":
            spans.append((start, i))
            quote, i = c, i + 1
            while i < n and line[i] != quote:
                i += 2 if line[i] == "\\" else 1
            i += 1
            start = i
            continue
        i += 1
    spans.append((start, min(i, n)))
    return spans, False


def mutants_of(path):
    text = (ROOT / path).read_text().split("\n")
    found = []
    in_block = False
    for number, line in enumerate(text):
        stripped = line.strip()
        spans, in_block = code_spans(line, in_block)
        if stripped.startswith("#") or stripped.startswith("//") or not stripped:
            continue
        if "static_assert" in line or "operator" in line or "virtual" in line:
            continue
        for begin, end in spans:
            code = line[begin:end]
            for pattern, replacement in OPERATORS:
                for m in re.finditer(pattern, code):
                    # Leave pointers, references and templates alone.
                    if m.group(0) in ("&", "<", ">", "-", "!") and re.search(
                            r"(\w[&*]\s*$)|(template|std::|static_cast|reinterpret_cast|vector|unique_ptr|optional|->)",
                            code[max(0, m.start() - 20):m.end() + 1]):
                        continue
                    if m.group(0) == "&" and code[m.end():m.end() + 1].isalpha() and code[m.start() - 1:m.start()] in " (,":
                        continue  # address-of
                    if m.group(0) == "-" and code[m.start() - 1:m.start()] in "(,= " and code[m.end():m.end() + 1].isdigit():
                        continue  # a negative literal: the constant rule covers it
                    a, b = begin + m.start(), begin + m.end()
                    found.append((number, a, b, replacement, f"{m.group(0)} -> {replacement or '(removed)'}"))
            for m in NUMBER.finditer(code):
                if code[max(0, m.start() - 1):m.start()].isalpha() or code[m.end():m.end() + 1] == ".":
                    continue
                value = int(m.group(1), 0)
                for other in sorted({value + 1, value - 1 if value > 0 else 1, 0 if value else 1}):
                    if other == value:
                        continue
                    literal = hex(other) if m.group(1).startswith("0x") else str(other)
                    a, b = begin + m.start(1), begin + m.end(1)
                    found.append((number, a, b, literal, f"{m.group(1)} -> {literal}"))
    return found


def sources():
    for folder in FOLDERS:
        for path in sorted((ROOT / folder).glob("*")):
            rel = f"{folder}/{path.name}"
            if path.suffix in (".cpp", ".h") and rel not in SKIP:
                yield rel


def make_real_tree(work, mode):
    """A Windows test build of the contract suite, and a Wine prefix to run it in."""
    tree = Path(work) / "src"
    copy_project(tree)
    build = Path(work) / "build"
    arch = "i686" if mode == "win32" else "x86_64"
    subprocess.run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    f"-DCMAKE_TOOLCHAIN_FILE={tree}/cmake/mingw-{arch}.cmake", "-DMINGW_THREADS=posix",
                    "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"],
                   check=True, capture_output=True)
    subprocess.run(["ninja", "-C", build, "contract_tests"], check=True, capture_output=True)
    subprocess.run(["bash", "-c", 'source "$1" && wine_prefix "$2"', "mutate", HARNESS, f"{work}/wine"],
                   check=True, capture_output=True)
    # Each case in a process of its own, as ctest runs them: a case may change
    # the process for good (the library search, once restricted, stays so).
    listed = wine(f"{work}/wine", 'cd "$3/bin" && "$(wine_loader)" contract_tests.exe --gtest_list_tests',
                  build).stdout.decode().replace("\r", "")
    cases, suite = [], ""
    for line in listed.splitlines():
        if line and not line.startswith(" ") and line.endswith("."):
            suite = line
        elif line.startswith("  "):
            cases.append(suite + line.split()[0])
    (build / "cases.txt").write_text("\n".join(cases) + "\n")
    if run_real(work, build) != "survived":
        raise SystemExit("the contract suite fails under Wine before any change: nothing to measure")
    return tree, build


def run_real(work, build):
    """The whole contract suite under Wine: 'killed' when it fails or hangs."""
    try:
        done = wine(f"{work}/wine", 'cd "$3/bin" && code=0 && while read -r case; do '
                    '"$(wine_loader)" contract_tests.exe --gtest_brief=1 --gtest_filter="$case" '
                    '|| { code=1; break; }; done < ../cases.txt; wine_stop; exit $code', build,
                    timeout=300)
    except subprocess.TimeoutExpired:
        wine(f"{work}/wine", "wine_stop")
        return "killed"
    return "survived" if done.returncode == 0 else "killed"


def copy_project(tree):
    files = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard"],
                           cwd=ROOT, capture_output=True, text=True, check=True).stdout.split()
    for f in files:
        target = tree / f
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(ROOT / f, target)


def make_tree(work):
    tree = Path(work) / "src"
    copy_project(tree)
    build = Path(work) / "build"
    subprocess.run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                    "-DCMAKE_CXX_FLAGS=-O0", "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"],
                   check=True, capture_output=True)
    subprocess.run(["ninja", "-C", build, "unit_tests", "contract_tests_sim"], check=True,
                   capture_output=True)
    return tree, build


def run_mutant(tree, build, mutant, work=None):
    path, (number, a, b, replacement, what) = mutant
    file = tree / path
    original = file.read_text()
    lines = original.split("\n")
    lines[number] = lines[number][:a] + replacement + lines[number][b:]
    file.write_text("\n".join(lines))
    try:
        if path == "platform/win_types.h" and shutil.which(CROSS):
            # Its numbers and records are held against <windows.h> at compile
            # time in the Windows build: that check is part of the build.
            checked = subprocess.run([CROSS, "-std=c++17", "-fsyntax-only", "-I", tree,
                                      tree / "platform/win_types_check.cpp"], capture_output=True)
            if checked.returncode != 0:
                return "killed"
        if work is not None:  # the real layer, under Wine
            built = subprocess.run(["ninja", "-C", build, "contract_tests"], capture_output=True)
            return run_real(work, build) if built.returncode == 0 else "invalid"
        built = subprocess.run(["ninja", "-C", build, "unit_tests", "contract_tests_sim"],
                               capture_output=True)
        if built.returncode != 0:
            return "invalid"
        for test in TESTS:
            try:
                done = subprocess.run([build / test, "--gtest_brief=1"], capture_output=True,
                                      timeout=60)
            except subprocess.TimeoutExpired:
                return "killed"
            if done.returncode != 0:
                return "killed"
        # The exit codes' numbers are also held by the docs check, against the
        # guides and the scripts that print their meanings.
        if subprocess.run(["python3", tree / DOCS_CHECK, tree], capture_output=True).returncode != 0:
            return "killed"
        return "survived"
    finally:
        file.write_text(original)
        os.utime(file, None)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--json", help="where the full result goes (default: build/mutation_run.json, "
                        "or build/mutation_real_layer.json with --real-layer)")
    parser.add_argument("--only", default="")
    parser.add_argument("--real-layer", action="store_true")
    args = parser.parse_args()

    files = REAL_LAYER if args.real_layer else list(sources())
    mutants = [(path, m) for path in files if args.only in path for m in mutants_of(path)]
    mode = wine_mode() if args.real_layer else None
    where = f", the contract suite under Wine in mode {mode}" if mode else ""
    print(f"{len(mutants)} mutants in {len({p for p, _ in mutants})} files, {args.jobs} jobs{where}",
          flush=True)
    started = time.time()
    results = []
    with tempfile.TemporaryDirectory(prefix="pellworth-mutate-") as work:
        trees = []
        for j in range(args.jobs):
            os.makedirs(f"{work}/{j}")
            trees.append(make_real_tree(f"{work}/{j}", mode) if mode else make_tree(f"{work}/{j}"))
        chunks = [mutants[j::args.jobs] for j in range(args.jobs)]

        def worker(j):
            tree, build = trees[j]
            out = []
            for mutant in chunks[j]:
                out.append((mutant, run_mutant(tree, build, mutant, f"{work}/{j}" if mode else None)))
            return out

        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            for part in pool.map(worker, range(args.jobs)):
                results.extend(part)

    results.sort(key=lambda r: (r[0][0], r[0][1][0], r[0][1][1]))
    counts = {k: sum(1 for _, o in results if o == k) for k in ("killed", "survived", "invalid")}
    lines = {}
    for (path, (number, a, b, replacement, what)), outcome in results:
        if outcome == "survived":
            source = (ROOT / path).read_text().split("\n")[number].strip()
            print(f"SURVIVED {path}:{number + 1}: {what}    | {source}")
    valid = counts["killed"] + counts["survived"]
    score = 100.0 * counts["killed"] / valid if valid else 0.0
    print(f"{counts['killed']} killed, {counts['survived']} survived, {counts['invalid']} did not build; "
          f"score {score:.1f}% of {valid} mutants that build ({time.time() - started:.0f} s)")
    result = Path(args.json) if args.json else ROOT / "build" / (
        "mutation_real_layer.json" if args.real_layer else "mutation_run.json")
    result.parent.mkdir(parents=True, exist_ok=True)
    with open(result, "w") as f:
        json.dump({"counts": counts, "score": score, "mutants": [
            {"file": p, "line": n + 1, "change": w, "outcome": o}
            for (p, (n, a, b, r, w)), o in results]}, f, indent=1)
    print(f"every mutant and its outcome: {result}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
