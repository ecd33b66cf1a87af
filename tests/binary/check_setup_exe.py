#!/usr/bin/env python3
"""Checks the built Setup.exe: what it imports, its PE flags, its version
resource and its manifest. Usage: check_setup_exe.py SETUP_EXE IMPORT_LIST"""
import re
import struct
import subprocess
import sys

exe, allowed_file = sys.argv[1], sys.argv[2]
data = open(exe, "rb").read()
failures = []
checks = 0


def check(ok, what):
    global checks
    checks += 1
    if not ok:
        failures.append(what)


dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", exe], capture_output=True, text=True,
                      check=True).stdout

# Imports: only the system's own DLLs, and only functions XP SP3 has.
allowed = set()
for line in open(allowed_file):
    line = line.strip()
    if line and not line.startswith("#"):
        dll, name = line.split()
        allowed.add((dll.lower(), name))
imports = []
dll = None
for line in dump.splitlines():
    m = re.match(r"\s*DLL Name: (\S+)", line)
    if m:
        dll = m.group(1).lower()
        continue
    m = re.match(r"\s+[0-9a-f]+\s+([0-9]+)\s+(\S+)\s*$", line)
    if dll and m:
        imports.append((dll, m.group(2)))
dlls = {d for d, _ in imports}
# Only KERNEL32 and msvcrt: any other import would be resolved, with the
# libraries it imports, before the program restricts the library search.
check(dlls <= {"kernel32.dll", "msvcrt.dll"},
      "imports from DLLs other than KERNEL32 and msvcrt: %s" % sorted(dlls))
check(len(imports) > 20, "too few imports read (%d): the import table was not parsed" % len(imports))
for entry in imports:
    check(entry in allowed, "import not on the XP SP3 list: %s!%s" % entry)

# PE flags: a 32-bit console program with ASLR (and its relocations) and DEP.
check("file format pei-i386" in dump, "not a 32-bit PE")
characteristics = re.search(r"DllCharacteristics\s+([0-9a-fA-F]+)", dump)
flags = int(characteristics.group(1), 16) if characteristics else 0
check(flags & 0x0040, "DYNAMIC_BASE (ASLR) is not set")
check(flags & 0x0100, "NX_COMPAT (DEP) is not set")
check(re.search(r"^\s*\d+ \.reloc\s", subprocess.run(
    ["i686-w64-mingw32-objdump", "-h", exe], capture_output=True, text=True).stdout, re.M),
    "no .reloc section: ASLR cannot move the image")
check(re.search(r"Subsystem\s+00000003", dump), "not a console program")

# Version resource: the fixed record and the string table.
at = data.find(struct.pack("<I", 0xFEEF04BD))
check(at >= 0, "no VS_FIXEDFILEINFO")
if at >= 0:
    fms, fls, pms, pls = struct.unpack_from("<IIII", data, at + 8)
    version = (fms >> 16, fms & 0xFFFF, fls >> 16, fls & 0xFFFF)
    check(version == (3, 0, 4, 40070), "file version %s" % (version,))
    pversion = (pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF)
    check(pversion == (3, 0, 4, 40070), "product version %s" % (pversion,))
for key, value in [("ProductName", "Pellworth"), ("CompanyName", "Orvel"),
                   ("FileVersion", "3.0.4.40070"), ("ProductVersion", "3.0.4.40070")]:
    pattern = key.encode("utf-16-le") + b"\0\0+" + value.encode("utf-16-le")
    check(re.search(pattern, data), "version string %s is not %s" % (key, value))

# Manifest: requireAdministrator and Windows 10 among the supported systems.
check(re.search(rb'requestedExecutionLevel\s+level="requireAdministrator"', data),
      "the manifest does not ask for requireAdministrator")
check(b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in data, "no supportedOS entry for Windows 10")

for f in failures:
    print("FAIL:", f)
print("%d passed, %d failed" % (checks - len(failures), len(failures)))
sys.exit(1 if failures else 0)
