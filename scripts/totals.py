#!/usr/bin/env python3
"""The one "total: P passed, F failed, S skipped" line: written by the test
command from its JUnit reports, read back by CI from the test command's logs
(this machine's and the clean room's, which prefixes it "clean room <release> ").
Both sides use this file, so the line has one form.

  totals.py cases MODE REPORT.xml...   every case of the test command's runs:
      each skip with its reason, the skips of the Wine mode, the total; exit 1
      when a case failed
  totals.py releases HOST RC LOG [OTHER RC LOG]   one line per release from
      its log and its command's exit code (77: the clean room could not be
      made), and the total of both; exit 1 when anything failed
"""
import re
import sys
import xml.etree.ElementTree as ET

LINE = "total: %d passed, %d failed, %d skipped"
READ = re.compile(r"^(?:clean room \S+ )?total: (\d+) passed, (\d+) failed, (\d+) skipped$", re.M)


def last_total(text):
    """The last total line in `text` as (passed, failed, skipped), or None."""
    found = READ.findall(text)
    return tuple(int(n) for n in found[-1]) if found else None


def cases(mode, files):
    passed = failed = 0
    skipped = []
    for path in files:
        for case in ET.parse(path).getroot().iter("testcase"):
            if case.get("status") == "run":
                passed += 1
            elif case.find("skipped") is not None:
                # GoogleTest's "file:line: Skipped" and its reason, or a script's "skipped: reason"
                why = re.search(r": Skipped\n(.+)|^skipped: (.+)", case.findtext("system-out") or "", re.M)
                name = case.get("name").split("  # ")[0]
                why = (why.group(1) or why.group(2)).strip() if why else "?"
                skipped.append((path.rsplit("/", 1)[-1], name, why))
            else:
                failed += 1
    for run, name, why in skipped:
        print("skipped %s (%s): %s" % (name, run, why))
    print("Wine mode %s: %d case(s) skipped because of it" % (mode, len(skipped)))
    print(LINE % (passed, failed, len(skipped)))
    return 1 if failed else 0


def releases(args):
    total = [0, 0, 0]
    lines = []
    for i in range(0, len(args), 3):
        name, rc, log = args[i:i + 3]
        where = "this machine" if i == 0 else "clean room"
        try:
            text = open(log, encoding="utf-8", errors="replace").read()
        except OSError:
            text = ""
        if rc == "77":
            why = re.findall(r"skipped: (.+)$", text, re.M)
            total[2] += 1
            lines.append("%s (%s): skipped: %s" % (name, where, why[-1] if why else "the clean room could not be made"))
            continue
        found = last_total(text)
        if found is None:
            total[1] += 1
            lines.append("%s (%s): failed before its tests closed (exit %s)" % (name, where, rc))
            continue
        p, f, s = found
        if rc != "0" and f == 0:
            f = 1  # the command failed after its tests: count that too
        total[0] += p; total[1] += f; total[2] += s
        lines.append("%s (%s): %d passed, %d failed, %d skipped" % (name, where, p, f, s))
    for line in lines:
        print("release " + line)
    print(LINE % tuple(total))
    return 1 if total[1] else 0


if __name__ == "__main__":
    if len(sys.argv) >= 3 and sys.argv[1] == "cases":
        sys.exit(cases(sys.argv[2], sys.argv[3:]))
    if len(sys.argv) in (5, 8) and sys.argv[1] == "releases":
        sys.exit(releases(sys.argv[2:]))
    sys.exit(__doc__)
