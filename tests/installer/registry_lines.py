#!/usr/bin/env python3
"""Prints a Wine prefix's registry (system.reg as HKLM, user.reg as HKCU) as sorted lines, one per key and
one per value, without the times Wine stores: two snapshots compare with diff or comm. Key names are
written in lower case (the registry ignores their case; which spelling survives depends on which writer
created a key first).
  registry_lines.py <prefix> [--ferrow]
--ferrow keeps only the lines that name Ferrow, its maker or one of its identifiers (src/com/guids.h)."""
import os
import re
import sys

prefix = sys.argv[1]
only_ferrow = "--ferrow" in sys.argv[2:]
guids_h = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "com", "guids.h")
names = ["ferrow", "pembrake"]
names += [g.lower() for g in re.findall(r'FERROW_GUID_TEXT_\w+ "([0-9A-Fa-f-]+)"', open(guids_h).read())]
# Windows Installer keeps components and products by their GUIDs written backwards ("packed"); such keys
# are named by the package's own GUIDs, which are in the package source.
wxs = os.path.join(os.path.dirname(guids_h), "..", "..", "installer", "ferrow.wxs")
for guid in re.findall(r'"([0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})"', open(wxs).read()):
    names.append(guid.lower())
    parts = guid.lower().split("-")
    packed = parts[0][::-1] + parts[1][::-1] + parts[2][::-1]
    packed += "".join(parts[3][i:i + 2][::-1] for i in range(0, 4, 2))
    packed += "".join(parts[4][i:i + 2][::-1] for i in range(0, 12, 2))
    names.append(packed)
pattern = re.compile("|".join(re.escape(n) for n in names), re.IGNORECASE)

lines = []
for root, name in (("HKLM", "system.reg"), ("HKCU", "user.reg")):
    key = None
    with open(os.path.join(prefix, name), encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if line.startswith("["):
                key = (root + "\\" + line[1:line.rindex("]")].replace("\\\\", "\\")).lower()
                lines.append(key)
            elif key and line and not line.startswith("#") and not line.startswith(";"):
                lines.append(key + " :: " + line)
for line in sorted(set(lines)):
    if not only_ferrow or pattern.search(line):
        print(line)
