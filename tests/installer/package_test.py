#!/usr/bin/env python3
"""The Windows 11 menu's package and its registration by the x64 MSI, read by readers of their own.

    package_test.py <64-bit build folder> [<wine-run.sh> <msixpack.exe>]

Ferrow.msix (written by installer/msixpack.cpp) through Python's zipfile and hashlib: every file's block map
entry (size, local header size, SHA-256 of each 64 KiB block), content types for every part, and a manifest
whose command class is the packaged CLSID, which the DLL's registration rows never name. With the packer given, also a package it makes of a file of several blocks (the shipped one
holds only small files). The MSI through msiinfo: Ferrow.exe beside each DLL, the package and its DLL in the
menu folder; the actions that run Ferrow.exe through the logging custom action (an x64 DLL of the Binary
table) to register the package (deferred, as the installing user, after the files are installed) and to
unregister it for all users (deferred, as the system, before the files are removed; an upgrade's removal of
the older version before this one is installed), never failing the installation, conditioned on the Windows
build read from the registry; Active Setup's values for every other user. Prints what failed; exit status 1 when anything did.
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
    """CLSID of Ferrow.ExplorerCommand in the DLL's registration rows, and every CLSID key they write."""
    rows = ET.parse(rows_file).getroot().findall("RegistryValue")
    values = {(r.get("Key"), r.get("Name")): r.get("Value") for r in rows}
    keys = {r.get("Key").upper() for r in rows}
    return values.get(("Ferrow.ExplorerCommand\\CLSID", None)), keys


def packaged_clsid(guids_h):
    match = re.search(r'FERROW_GUID_TEXT_CExplorerCommandPackaged "([0-9A-F-]+)"', guids_h.read_text())
    return match.group(1) if match else None


def check_manifest(manifest, names, rows_file, guids_h):
    clsid, keys = registered_class(rows_file)
    packaged = packaged_clsid(guids_h)
    check(clsid is not None and packaged is not None, "no registered or no packaged command class")
    classes = manifest.findall(".//com:SurrogateServer/com:Class", NS)
    check(len(classes) == 1, "one surrogate class expected, found %d" % len(classes))
    verbs = manifest.findall(".//d5:ItemType/d5:Verb", NS)
    check(len(verbs) > 0, "no context-menu verb")
    if classes and clsid and packaged:
        # The package names a CLSID of its own, which the registry never does: which of two registrations of
        # one CLSID Windows activates is not documented.
        check(classes[0].get("Id").upper() == packaged, "manifest class %s, packaged %s" % (classes[0].get("Id"), packaged))
        check("{%s}" % packaged != clsid.upper(), "the packaged CLSID is the registered one")
        check(not any(packaged in key for key in keys), "the registration rows name the packaged CLSID")
        for verb in verbs:
            check(verb.get("Clsid") == classes[0].get("Id"), "verb %s names another class" % verb.get("Id"))
        check(classes[0].get("Path") == "Ferrow.dll", "class path %s" % classes[0].get("Path"))
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
    files = {row[0]: row for row in msi_table(msi, "File")}  # File, Component_, FileName, ...
    components = {row[0]: row for row in msi_table(msi, "Component")}  # Component, Id, Directory_, Attributes
    directories = {row[0]: row for row in msi_table(msi, "Directory")}  # Directory, Directory_Parent, DefaultDir
    registry = msi_table(msi, "Registry")  # Registry, Root, Key, Name, Value, Component_

    def folder(file_id):
        return components[files[file_id][1]][2]

    def name(file_id):
        return files[file_id][2].split("|")[-1]

    # Ferrow.exe beside each DLL; the package and its DLL in a folder of their own under the 64-bit one.
    by_name = {}
    for file_id in files:
        by_name.setdefault(name(file_id), []).append(folder(file_id))
    msix_folder = by_name.get("Ferrow.msix", [None])[0]
    check(msix_folder is not None and directories[msix_folder][1] == "INSTALLDIR64" and
          directories[msix_folder][2].split("|")[-1] == "menu", "Ferrow.msix is not in the menu folder")
    for dll_folder in ("INSTALLDIR64", "INSTALLDIR32"):
        check(dll_folder in by_name.get("Ferrow.dll", []) and dll_folder in by_name.get("Ferrow.exe", []),
              "no Ferrow.dll with Ferrow.exe in " + dll_folder)
    check(msix_folder in by_name.get("Ferrow.dll", []), "the menu folder holds no Ferrow.dll")
    check(msix_folder not in by_name.get("Ferrow.exe", []), "a program in the menu folder")

    build = [p for p, s in properties.items() if searches.get(s, [None, None, ""])[3] == "CurrentBuildNumber"]
    check(len(build) == 1, "no search of the Windows build number")
    # Ferrow.exe's commands, each run by FerrowSetup.dll's entry (from the Binary table), which logs how it
    # ended; a deferred action reads only CustomActionData, the property named like it, which a setter fills
    # with the command line once the folders are resolved.
    runs = {a for a, row in actions.items() if int(row[1]) & 0x3F == 0x01 and row[3] == "RunLogged"}
    lines = {row[2]: (a, row[3]) for a, row in actions.items() if int(row[1]) & 0x3F == 0x33 and row[2] in runs}
    program = '"[INSTALLDIR64]Ferrow.exe" '
    adds = [a for a in runs if lines.get(a, ("", ""))[1] == program + "/register-menu /quiet"]
    removes = [a for a in runs if lines.get(a, ("", ""))[1] == program + "/unregister-menu /allusers /quiet"]
    check(len(adds) == 1 and len(removes) == 1, "one action registering and one unregistering the package expected")
    check(not any("Appx" in row[3] for row in actions.values()), "an action calls the package manager itself")
    for binary in {actions[a][2] for a in runs}:
        dll = subprocess.run(["msiinfo", "extract", str(msi), "Binary." + binary], check=True, capture_output=True).stdout
        pe, = struct.unpack_from("<I", dll, 0x3C) if len(dll) > 0x40 else (0,)
        check(dll[:2] == b"MZ" and dll[pe:pe + 6] == b"PE\0\0\x64\x86", "Binary %s is no x64 program file" % binary)
        check(b"\0RunLogged\0" in dll, "Binary %s exports no undecorated RunLogged" % binary)
    if len(build) != 1 or len(adds) != 1 or len(removes) != 1:
        return
    for action in adds + removes:
        kind = int(actions[action][1])
        check(kind & 0x400, "%s is not deferred" % action)
        check(kind & 0x40, "a failure of %s fails the installation" % action)
        check(action in sequence, "%s is not in the install sequence" % action)
        setter = lines[action][0]
        check(sequence["CostFinalize"][1] < sequence.get(setter, ("", 0))[1] < sequence.get(action, ("", 0))[1],
              "the command line of %s is not set after the folders are resolved and before it runs" % action)
    check(not int(actions[adds[0]][1]) & 0x800, "registering does not run as the installing user")
    check(int(actions[removes[0]][1]) & 0x800, "unregistering does not run as the system")
    add_condition, add_at = sequence[adds[0]]
    remove_condition, remove_at = sequence[removes[0]]
    windows11 = "%s >= 22000" % build[0]
    check(windows11 in add_condition and 'NOT REMOVE~="ALL"' in add_condition, "add condition: " + add_condition)
    check(windows11 in remove_condition and 'REMOVE~="ALL"' in remove_condition.replace("NOT ", "!"),
          "remove condition: " + remove_condition)
    check(sequence["InstallFiles"][1] < add_at < sequence["InstallFinalize"][1], "the package is added too early")
    check(sequence["InstallInitialize"][1] < remove_at < sequence["RemoveFiles"][1], "the package is removed too late")
    # An upgrade removes the older version, which unregisters the package for all users, before this one
    # registers it, not after.
    check(sequence.get("RemoveExistingProducts", ("", 99999))[1] < sequence["InstallInitialize"][1],
          "an upgrade removes the older version after this one is installed")

    # Active Setup: each user's next logon runs the 64-bit program once per version, its path quoted.
    setup = {row[3]: row for row in registry if row[2].startswith("SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{")}
    check({"StubPath", "Version", "IsInstalled"} <= set(setup), "Active Setup values: %s" % sorted(setup))
    if "StubPath" in setup:
        stub = setup["StubPath"]
        check(stub[1] == "2", "Active Setup is not under HKLM")
        check(stub[4] == '"[INSTALLDIR64]Ferrow.exe" /register-menu /quiet', "StubPath " + stub[4])
        check(int(components[stub[5]][3]) & 0x100, "Active Setup is written in the 32-bit view")
        check(re.fullmatch(r"\d+(,\d+){1,3}", setup["Version"][4]) is not None, "Version " + setup["Version"][4])
        check(setup["IsInstalled"][4] == "#1", "IsInstalled " + setup["IsInstalled"][4])


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
    check_manifest(manifest, names, package / "rows64.wxi", source / "src" / "com" / "guids.h")
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
