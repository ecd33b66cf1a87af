#!/usr/bin/python3
"""Checks the built Setup.exe with a PE parser: what it imports, its header
flags and checksum, how it declares exception handling, its version resource,
its manifest, and its signature directory.

Usage: check_setup_exe.py EXE IMPORT_LIST VERSION [--signed] [--x86-64] [--as-invoker]
VERSION is project(VERSION), e.g. 3.0.4.40070. Without --x86-64 the image must
be the 32-bit one that is released; with it, the x86-64 test build is checked
against what applies to it, and x64_imports.txt beside IMPORT_LIST adds the
functions its runtime imports besides. The program's name (OriginalFilename)
is the file's; Setup.exe's manifest asks for administrator rights, and with
--as-invoker (CheckPackage.exe) it asks for none."""
import re
import sys

import pefile

exe, allowed_file, version_text = sys.argv[1:4]
signed = "--signed" in sys.argv[4:]
x64 = "--x86-64" in sys.argv[4:]
level = b"asInvoker" if "--as-invoker" in sys.argv[4:] else b"requireAdministrator"
file_name = exe.replace("\\", "/").rsplit("/", 1)[-1]
expected_version = tuple(int(p) for p in version_text.split("."))
pe = pefile.PE(exe)
failures = []
checks = 0


def check(ok, what):
    global checks
    checks += 1
    if not ok:
        failures.append(what)


# Imports: only the system's own DLLs, and only functions XP SP3 has.
allowed = set()
lists = [allowed_file] + ([allowed_file.rsplit("/", 1)[0] + "/x64_imports.txt"] if x64 else [])
for path in lists:
    for line in open(path):
        line = line.strip()
        if line and not line.startswith("#"):
            dll, name = line.split()
            allowed.add((dll.lower(), name))
imports = [(entry.dll.decode().lower(), (i.name or b"#%d" % i.ordinal).decode())
           for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) for i in entry.imports]
dlls = {d for d, _ in imports}
# Only KERNEL32 and msvcrt: any other import would be resolved, with the
# libraries it imports, before the program restricts the library search.
check(dlls <= {"kernel32.dll", "msvcrt.dll"},
      "imports from DLLs other than KERNEL32 and msvcrt: %s" % sorted(dlls))
check(len(imports) > 20, "too few imports read (%d): the import table was not parsed" % len(imports))
for entry in imports:
    check(entry in allowed, "import not on the XP SP3 list: %s!%s" % entry)
# The first call of both programs: no box from the system for a drive without
# a medium (their own or msiexec's, which inherits the mode).
check(("kernel32.dll", "SetErrorMode") in imports, "SetErrorMode is not imported")

# Header: a 32-bit console program (the x86-64 one in the test build) with
# ASLR (and its relocations) and DEP, no time stamp (the build is
# reproducible) and a correct checksum.
header, optional = pe.FILE_HEADER, pe.OPTIONAL_HEADER
if x64:
    check(header.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"], "not an x86-64 image")
else:
    check(header.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], "not a 32-bit x86 image")
check(optional.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_CUI"], "not a console program")
# The loader refuses an image whose header asks for a newer system than it is:
# XP is 5.1, and 64-bit XP 5.2.
oldest = (5, 2) if x64 else (5, 1)
for what, version in (
        ("subsystem version", (optional.MajorSubsystemVersion, optional.MinorSubsystemVersion)),
        ("OS version", (optional.MajorOperatingSystemVersion, optional.MinorOperatingSystemVersion))):
    print("%s %d.%d" % (what, *version))
    check(version <= oldest, "the header's %s %d.%d is newer than Windows %d.%d" % (what, *version, *oldest))
flags = optional.DllCharacteristics
check(flags & 0x0040, "DYNAMIC_BASE (ASLR) is not set")
check(flags & 0x0100, "NX_COMPAT (DEP) is not set")
check(any(s.Name.rstrip(b"\0") == b".reloc" for s in pe.sections) and
      optional.DATA_DIRECTORY[5].Size > 0, "no relocations: ASLR cannot move the image")
check(header.TimeDateStamp == 0, "a link time stamp %#x: two builds would differ" % header.TimeDateStamp)
check(optional.CheckSum == pe.generate_checksum(),
      "header checksum %#x, the image's is %#x" % (optional.CheckSum, pe.generate_checksum()))

# Exception handling: the program unwinds with DWARF tables and registers no
# frame-based (SEH) handler, so the image says so with NO_SEH and carries no
# SafeSEH table. Any write to fs:[0], the head of the SEH chain, would be a
# registration: none may be in the code.
# On x86-64 there is no such chain: exceptions unwind through the image's
# function tables (the exception directory), which NO_SEH would deny.
if x64:
    check(not flags & 0x0400, "NO_SEH is set: exceptions could not unwind through the function tables")
    check(optional.DATA_DIRECTORY[3].Size > 0, "no exception directory (function tables)")
    print("not applicable on x86-64: the SafeSEH table and the fs:[0] scan (no frame-based handler chain)")
else:
    check(flags & 0x0400, "NO_SEH is not set")
    check(optional.DATA_DIRECTORY[10].Size == 0, "a load configuration (SafeSEH table) is present")
    code = b"".join(s.get_data() for s in pe.sections if s.Characteristics & 0x20000000)
    registrations = re.findall(rb"\x64(?:\xa3|\x89[\x05\x0d\x15\x1d\x25\x2d\x35\x3d]|\x8f\x05)\0\0\0\0", code)
    check(not registrations, "%d writes to fs:[0] (SEH frame registrations) in the code" % len(registrations))

# Version resource: the fixed record and the string table.
fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
check(fixed, "no VS_FIXEDFILEINFO")
if fixed:
    f = fixed[0]
    file_version = (f.FileVersionMS >> 16, f.FileVersionMS & 0xFFFF, f.FileVersionLS >> 16, f.FileVersionLS & 0xFFFF)
    product_version = (f.ProductVersionMS >> 16, f.ProductVersionMS & 0xFFFF,
                       f.ProductVersionLS >> 16, f.ProductVersionLS & 0xFFFF)
    check(file_version == expected_version, "file version %s" % (file_version,))
    check(product_version == expected_version, "product version %s" % (product_version,))
strings = {}
for info in getattr(pe, "FileInfo", []):
    for block in info:
        for table in getattr(block, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
for key, value in [("ProductName", "Pellworth"), ("CompanyName", "Orvel"),
                   ("OriginalFilename", file_name), ("FileVersion", version_text),
                   ("ProductVersion", version_text)]:
    check(strings.get(key) == value, "version string %s is %r, not %r" % (key, strings.get(key), value))

# Manifest (resource type 24, id 1): the execution level, the version, and
# Windows 10 among the supported systems.
manifest = b""
resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
for kind in resources.entries if resources else []:
    if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]:
        for name in kind.directory.entries:
            if name.id == 1:
                data = name.directory.entries[0].data.struct
                manifest = pe.get_data(data.OffsetToData, data.Size)
check(manifest, "no manifest resource with id 1")
check(re.search(rb'requestedExecutionLevel\s+level="%s"' % level, manifest),
      "the manifest does not ask for %s" % level.decode())
check(re.search(rb'assemblyIdentity[^>]*version="%s"' % version_text.encode(), manifest),
      "the manifest's assemblyIdentity is not version %s" % version_text)
check(b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" in manifest, "no supportedOS entry for Windows 10")
arch = b"amd64" if x64 else b"x86"
check(re.search(rb'assemblyIdentity[^>]*processorArchitecture="%s"' % arch, manifest),
      "the manifest's processorArchitecture is not %s" % arch.decode())

# Signature: the certificate table is there exactly when the build was signed.
security = optional.DATA_DIRECTORY[4]
if signed:
    check(security.VirtualAddress > 0 and security.Size > 8, "no Authenticode signature")
else:
    check(security.Size == 0, "a signature directory in an unsigned build")

for f in failures:
    print("FAIL:", f)
print("%d passed, %d failed" % (checks - len(failures), len(failures)))
sys.exit(1 if failures else 0)
