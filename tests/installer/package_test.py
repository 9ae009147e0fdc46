#!/usr/bin/env python3
"""The Windows 11 menu's package and its registration by the x64 MSI, read by readers of their own.

    package_test.py <64-bit build folder> [<wine-run.sh> <msixpack.exe>]

Ferrow.msix (written by installer/msixpack.cpp) through Python's zipfile and hashlib: every file's block map
entry (size, local header size, SHA-256 of each 64 KiB block), content types for every part, and a manifest
whose command class and DLL are the ones the DLL's registration table (the installer rows rowgen made from
it) registers. With the packer given, also a package it makes of a file of several blocks (the shipped one
holds only small files). The MSI through msiinfo: the custom actions that add and remove the package, deferred and in
the user's context, conditioned on the Windows build read from the registry, after the files are installed
and before they are removed. Prints what failed; exit status 1 when anything did.
"""

import base64
import hashlib
import pathlib
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

BLOCK = 64 * 1024
NS = {
    "b": "http://schemas.microsoft.com/appx/2010/blockmap",
    "t": "http://schemas.openxmlformats.org/package/2006/content-types",
    "m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
    "com": "http://schemas.microsoft.com/appx/manifest/com/windows10",
    "d5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
}
failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def check_package(msix):
    with zipfile.ZipFile(msix) as package:
        check(package.testzip() is None, "a stored CRC does not match its file")
        names = package.namelist()
        raw = msix.read_bytes()
        blockmap = ET.fromstring(package.read("AppxBlockMap.xml"))
        check(blockmap.get("HashMethod") == "http://www.w3.org/2001/04/xmlenc#sha256", "block map hash method")
        mapped = set()
        for entry in blockmap.findall("b:File", NS):
            name = entry.get("Name").replace("\\", "/")
            mapped.add(name)
            if name not in names:
                failures.append("block map names %s, which the package lacks" % name)
                continue
            info = package.getinfo(name)
            data = package.read(name)
            check(int(entry.get("Size")) == len(data), "%s: size" % name)
            # The local header: 30 fixed bytes, the name and the extra field, as the zip holds them.
            signature, = struct.unpack_from("<I", raw, info.header_offset)
            name_length, extra_length = struct.unpack_from("<HH", raw, info.header_offset + 26)
            check(signature == 0x04034B50, "%s: no local header where the directory says" % name)
            check(int(entry.get("LfhSize")) == 30 + name_length + extra_length, "%s: local header size" % name)
            blocks = entry.findall("b:Block", NS)
            check(len(blocks) == (len(data) + BLOCK - 1) // BLOCK, "%s: number of blocks" % name)
            for i, block in enumerate(blocks):
                digest = base64.b64encode(hashlib.sha256(data[i * BLOCK:(i + 1) * BLOCK]).digest()).decode()
                check(block.get("Hash") == digest, "%s: hash of block %d" % (name, i))
                if info.compress_type == zipfile.ZIP_STORED:
                    check(block.get("Size") is None, "%s: a stored block with a compressed size" % name)
        footprint = {"AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x"}
        for name in names:
            if name not in footprint:
                check(name in mapped, "%s is in the package but not in the block map" % name)

        types = ET.fromstring(package.read("[Content_Types].xml"))
        defaults = {d.get("Extension").lower() for d in types.findall("t:Default", NS)}
        overrides = {o.get("PartName") for o in types.findall("t:Override", NS)}
        for name in names:
            if name == "[Content_Types].xml":
                continue
            covered = "/" + name in overrides or pathlib.PurePosixPath(name).suffix[1:].lower() in defaults
            check(covered, "no content type for %s" % name)

        manifest_text = package.read("AppxManifest.xml").decode("utf-8")
        check("%" not in manifest_text, "the manifest keeps a placeholder")
        return ET.fromstring(manifest_text), names


def registered_class(rows_file):
    """CLSID and DLL file id of Ferrow.ExplorerCommand in the DLL's registration rows."""
    rows = ET.parse(rows_file).getroot().findall("RegistryValue")
    values = {(r.get("Key"), r.get("Name")): r.get("Value") for r in rows}
    clsid = values.get(("Ferrow.ExplorerCommand\\CLSID", None))
    server = values.get(("CLSID\\%s\\InprocServer32" % clsid, None)) if clsid else None
    return clsid, server


def check_manifest(manifest, names, rows_file, wxs_file):
    clsid, server = registered_class(rows_file)
    check(clsid is not None, "the registration rows have no Ferrow.ExplorerCommand")
    classes = manifest.findall(".//com:SurrogateServer/com:Class", NS)
    check(len(classes) == 1, "one surrogate class expected, found %d" % len(classes))
    verbs = manifest.findall(".//d5:ItemType/d5:Verb", NS)
    check(len(verbs) > 0, "no context-menu verb")
    if classes and clsid:
        check("{%s}" % classes[0].get("Id").upper() == clsid.upper(), "manifest class %s, registered %s"
              % (classes[0].get("Id"), clsid))
        for verb in verbs:
            check(verb.get("Clsid") == classes[0].get("Id"), "verb %s names another class" % verb.get("Id"))
        # The DLL the registration points at ("[#FileId]") is the installed file the class's path names.
        match = re.fullmatch(r"\[#(\w+)\]", server or "")
        check(match is not None, "the class's server is not an installed file: %r" % server)
        if match:
            files = {f.get("Id"): f.get("Name") for f in ET.parse(wxs_file).getroot().iter(
                "{http://schemas.microsoft.com/wix/2006/wi}File")}
            check(files.get(match.group(1)) == classes[0].get("Path"), "class path %s, registered file %s"
                  % (classes[0].get("Path"), files.get(match.group(1))))
    for logo in [manifest.find("m:Properties/m:Logo", NS)]:
        check(logo is not None and logo.text.replace("\\", "/") in names, "the logo is not in the package")


def msi_table(msi, table):
    out = subprocess.run(["msiinfo", "export", str(msi), table], check=True, capture_output=True, text=True).stdout
    lines = out.splitlines()[3:]  # names, types, table name
    return [line.split("\t") for line in lines if line]


def check_msi(msi):
    actions = {row[0]: row for row in msi_table(msi, "CustomAction")}
    sequence = {row[0]: (row[1], int(row[2])) for row in msi_table(msi, "InstallExecuteSequence")}
    searches = {row[0]: row for row in msi_table(msi, "RegLocator")}
    properties = {row[0]: row[1] for row in msi_table(msi, "AppSearch")}
    build = [p for p, s in properties.items() if searches.get(s, [None, None, ""])[3] == "CurrentBuildNumber"]
    check(len(build) == 1, "no search of the Windows build number")
    adds = [a for a, row in actions.items() if "Add-AppxPackage" in row[3]]
    removes = [a for a, row in actions.items() if "Remove-AppxPackage" in row[3]]
    check(len(adds) == 1 and len(removes) == 1, "one action adding and one removing the package expected")
    if len(build) != 1 or len(adds) != 1 or len(removes) != 1:
        return
    for action in adds + removes:
        kind = int(actions[action][1])
        check(kind & 0x400, "%s is not deferred" % action)
        check(not kind & 0x800, "%s does not run as the installing user" % action)
        check(action in sequence, "%s is not in the install sequence" % action)
    add_condition, add_at = sequence[adds[0]]
    remove_condition, remove_at = sequence[removes[0]]
    windows11 = "%s >= 22000" % build[0]
    check(windows11 in add_condition and 'NOT REMOVE~="ALL"' in add_condition, "add condition: " + add_condition)
    check(windows11 in remove_condition and 'REMOVE~="ALL"' in remove_condition.replace("NOT ", "!"),
          "remove condition: " + remove_condition)
    check(sequence["InstallFiles"][1] < add_at < sequence["InstallFinalize"][1], "the package is added too early")
    check(sequence["InstallInitialize"][1] < remove_at < sequence["RemoveFiles"][1], "the package is removed too late")
    # The package is added from the install folder, which is its external location.
    check("[INSTALLDIR64]Ferrow.msix" in actions[adds[0]][3] and "-ExternalLocation '[INSTALLDIR64]'"
          in actions[adds[0]][3], "the add action's folders: " + actions[adds[0]][3])


def check_packer(wine_run, packer, template):
    """A package of a file that spans three blocks and ends in a partial one, made by the packer itself."""
    with tempfile.TemporaryDirectory() as scratch:
        folder = pathlib.Path(scratch)
        data = bytes((i * 7 + i // 251) & 0xFF for i in range(2 * BLOCK + 1234))
        (folder / "big.bin").write_bytes(data)
        out = folder / "test.msix"
        subprocess.run([wine_run, packer, "Z:" + str(out), "Z:" + str(template), "PUBLISHER=CN=Test", "VERSION=1.2.3.4",
                        "--", "Payload/big.bin=Z:" + str(folder / "big.bin")], check=True, capture_output=True)
        _, names = check_package(out)
        check("Payload/big.bin" in names, "the packer left out a file")
        with zipfile.ZipFile(out) as package:
            blocks = ET.fromstring(package.read("AppxBlockMap.xml")).findall(
                "b:File[@Name='Payload\\big.bin']/b:Block", NS)
            check(len(blocks) == 3, "a file of three blocks has %d" % len(blocks))


def main():
    build = pathlib.Path(sys.argv[1])
    package = build / "package"
    source = pathlib.Path(__file__).resolve().parents[2]
    if len(sys.argv) > 3:
        check_packer(sys.argv[2], sys.argv[3], source / "installer" / "AppxManifest.xml")
    manifest, names = check_package(package / "Ferrow.msix")
    check_manifest(manifest, names, package / "rows64.wxi", source / "installer" / "ferrow.wxs")
    msis = sorted(build.glob("Ferrow-*-x64.msi"))
    check(len(msis) == 1, "one x64 package expected in %s" % build)
    if msis:
        check_msi(msis[0])
    for failure in failures:
        print("FAIL: " + failure)
    print("package and installer: %d problem(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
