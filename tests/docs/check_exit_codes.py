#!/usr/bin/env python3
"""The exit codes have one source, dfc/result_codes.h: every code there must
stand in the administrator's guide's table with the same meaning and its unsigned and signed decimals, and
the scripts' `meaning` must print the same text. Every row of the table must be
a code the program can return, with the right decimal."""
import re
import subprocess
import sys
from pathlib import Path

root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[2])
failures = []

header = (root / "dfc/result_codes.h").read_text()
codes = {name: (int(value, 0), text.strip()) for name, value, text in re.findall(
    r"^  X\((RESULT_\w+), (0x[0-9A-Fa-f]+|\d+)\) /\* (.+) \*/(?: \\)?$", header, re.M)}
if len(codes) < 9:
    failures.append(f"only {len(codes)} codes with a meaning found in result_codes.h")
base = codes.get("RESULT_INSTALLER_BASE", (0x80020000, ""))[0]

def signed(code):
    return code - (1 << 32) if code & 0x80000000 else code

def returnable(code):
    own = [v for n, (v, _) in codes.items() if n != "RESULT_INSTALLER_BASE"]
    return code in own or (code & 0xFFFF0000) == base

guide = (root / "docs/administrators-guide.md").read_text()
section = guide.split("### Exit codes", 1)[-1].split("\n### ", 1)[0]
rows = {}
for line in section.splitlines():
    cells = [c.strip() for c in line.strip().strip("|").split("|")]
    if len(cells) != 6 or not cells[0].startswith("`"):
        continue
    code_text, unsigned, decimal, text = cells[:4]
    code_text = code_text.strip("`")
    if code_text == "0x8002xxxx":
        rows[base] = text
        if (unsigned, decimal) != (f"{base} + xxxx", f"{signed(base)} + xxxx"):
            failures.append(f"guide: 0x8002xxxx shows {unsigned!r} and {decimal!r}")
        continue
    code = int(code_text, 0)
    rows[code] = text
    if unsigned != str(code):
        failures.append(f"guide: {code_text} shows {unsigned} unsigned, not {code}")
    if decimal != str(signed(code)):
        failures.append(f"guide: {code_text} shows {decimal}, not {signed(code)}")
    if not returnable(code):
        failures.append(f"guide: {code_text} is no code Setup.exe returns")

for name, (code, text) in codes.items():
    if rows.get(code) != text:
        failures.append(f"guide: {name} ({code:#010x}) has {rows.get(code)!r}, not {text!r}")
    probe = code | 0x652 if code == base else code
    want = f"{text} ({probe & 0xFFFF})" if code == base else text
    # The folder is handed over as an argument, never pasted into the script.
    said = subprocess.run(["bash", "-c", 'source "$1/scripts/exit-codes.sh"; meaning "$2"', "meaning",
                           str(root), f"{probe:#x}"], capture_output=True, text=True).stdout.strip()
    if said != want:
        failures.append(f"exit-codes.sh: {probe:#010x} prints {said!r}, not {want!r}")

# CheckPackage.exe's codes: one list in check/exit_codes.h, the same sentence
# in the README and the packager's guide, the same text from the scripts.
checks = re.findall(r"^constexpr int (CHECK_\w+) = (\d+); +// (.+)$",
                    (root / "check/exit_codes.h").read_text(), re.M)
if len(checks) != 3:
    failures.append(f"{len(checks)} codes found in check/exit_codes.h, not 3")
sentence = "exit code " + "; ".join(f"{value}: {text.strip()}" for _, value, text in checks)
for doc in ("README.md", "docs/packagers-guide.md"):
    flat = " ".join((root / doc).read_text().split()).lower()
    if sentence.lower() not in flat:
        failures.append(f"{doc} does not say {sentence!r}")
for name, value, text in checks:
    said = subprocess.run(["bash", "-c", 'source "$1/scripts/exit-codes.sh"; check_meaning "$2"',
                           "check_meaning", str(root), value], capture_output=True, text=True).stdout.strip()
    if said != text.strip():
        failures.append(f"exit-codes.sh: check_meaning {value} prints {said!r}, not {text.strip()!r}")

for f in failures:
    print("FAIL:", f)
print(f"{len(codes)} codes, {len(rows)} guide rows checked: "
      f"{'all in step' if not failures else str(len(failures)) + ' problems'}")
sys.exit(1 if failures else 0)
