#!/usr/bin/env python3
"""The administrator's guide's argument examples are what the product does.

Its examples table (the one whose header begins "after `Setup.exe ...`") gives
lines of arguments and what happens to each; argument_verdict runs each line
through the product's own entry on the simulated machine and says what does.
And a sentence of the guide that says an argument is passed on or refused may
name one as an example only when the table holds it, with the same verdict:
besides the table's lines it may name only the program, Setup.exe's switches
(the first column of the switch table), codes, single characters, words
(`Strict`) and forms (`<file>`, `NAME=VALUE`).

Usage: check_argument_examples.py ROOT ARGUMENT_VERDICT"""
import re
import subprocess
import sys
from pathlib import Path

root, tool = Path(sys.argv[1]), sys.argv[2]
guide = (root / "docs/administrators-guide.md").read_text()
failures = []


def cells(line):
    return [c.strip() for c in line.strip().strip("|").split("|")]


def spans(text):
    return re.findall(r"`([^`]+)`", text)


lines = guide.splitlines()
header = next((i for i, line in enumerate(lines) if line.startswith("| after `")), None)
if header is None:
    sys.exit("FAIL: no examples table (a header that begins \"| after `Setup.exe ...`\") in the guide")
start = spans(lines[header])[0]
examples = {}
table = set()
for line in lines[header + 2:]:
    if not line.startswith("|"):
        break
    table.add(line)
    first, said = cells(line)[:2]
    for example in spans(first):
        if example in examples:
            failures.append(f"`{example}` stands twice in the examples table")
        examples[example] = said.replace("`", "")

if len(examples) < 20:
    failures.append(f"only {len(examples)} lines in the examples table")
verdicts = subprocess.run([tool, start], input="".join(e + "\n" for e in examples),
                          capture_output=True, text=True, check=True).stdout.splitlines()
if len(verdicts) != len(examples):
    failures.append(f"{len(verdicts)} verdicts for {len(examples)} lines")
for (example, said), verdict in zip(examples.items(), verdicts):
    if said != verdict:
        failures.append(f"`{start} {example}`: the guide says {said!r}, Setup.exe gives {verdict!r}")

# What a sentence may name besides the table's lines.
switch_table = guide.split("| switch | meaning |", 1)[-1].split("\n\n", 1)[0]
switches = {s for line in switch_table.splitlines()[2:] for s in spans(cells(line)[0])}
switches |= {re.sub(r"[A-Z]+$", "", s) for s in switches}
program = start.split()[0]


def named(span):
    return (span == program or span in switches or len(span) == 1 or "<" in span
            or re.fullmatch(r"\w+\.exe", span)  # a program of the release, named
            or re.fullmatch(r'0x[0-9A-Fa-f]+|\d+|[A-Za-z]+|[A-Z_="]+', span))


def kind(verdict):
    return "refused" if verdict.startswith("refused") else verdict


prose = re.sub(r"^```.*?^```", "", guide, flags=re.S | re.M)
units = []
for block in re.split(r"\n\s*\n|\n(?=\s*- )", prose):
    # A table's line is a unit of its own; the examples table's lines are checked above.
    rows = [line for line in block.splitlines() if line.startswith("|")]
    units += [line for line in rows if line not in table]
    text = " ".join(line for line in block.splitlines() if not line.startswith("|"))
    # Sentences end at a full stop before a blank; code spans are kept whole.
    masked = re.sub(r"`[^`]+`", lambda m: m.group(0).replace(".", "\0"), " ".join(text.split()))
    units += [s.replace("\0", ".") for s in re.split(r"(?<=\.)\s+", masked)]
for sentence in units:
    says = {k for k, words in (("passed on", r"\bpass(es|ed)? on\b"), ("refused", r"\brefuse"))
            if re.search(words, sentence, re.I)}
    if not says:
        continue
    for span in spans(sentence):
        if named(span):
            continue
        if span not in examples:
            failures.append(f"the guide names `{span}` as an example, and the examples table has no "
                            f"such line: {sentence.strip()[:100]!r}")
        elif len(says) == 1 and kind(examples[span]) not in says:
            failures.append(f"the guide says `{span}` is {next(iter(says))}, its table "
                            f"{examples[span]!r}: {sentence.strip()[:100]!r}")

for f in failures:
    print("FAIL:", f)
print(f"{len(examples)} argument examples run through Setup.exe: "
      f"{'all in step' if not failures else str(len(failures)) + ' problems'}")
sys.exit(1 if failures else 0)
