#!/usr/bin/env python3
"""Writes the NSIS script of the benchmark's peer installer: the product folder's files where its
manifest (Setup.log) puts them below the install folder, then the same kind of registration as
the setup's (an uninstall key and a desktop shortcut to the main program), so that both
installers do comparable work. Only tools/bench.sh uses it; nothing of it goes into the product.

Usage: nsis_script.py <product-dir> <script.nsi> <installer.exe> <deflate|lzma> [<kit-dir>]
  (the kit's Uninstall.exe stands in where the product folder brings none, as in the setup)
  deflate  makensis's default compressor (zlib, each file on its own)
  lzma     SetCompressor /SOLID lzma (one LZMA stream over all files)
"""

import os
import sys

COMPRESSORS = {"deflate": None, "lzma": "SetCompressor /SOLID lzma"}
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelloPeer"


def manifest_paths(product):
    """The install-relative paths of the manifest's entries, each once, in manifest order."""
    with open(os.path.join(product, "Setup.log"), "rb") as manifest:
        lines = manifest.read().decode("cp936").split("\r\n")
    paths = []
    for line in lines:
        if not line:
            continue
        path = line.split(" ", 2)[2]
        if path not in paths:
            paths.append(path)
    return paths


def literal(text):
    """Text as it stands inside an NSIS string: $ and " escaped as the script language wants."""
    return text.replace("$", "$$").replace('"', '$\\"')


def quoted(text):
    return '"' + literal(text) + '"'


def below_install_folder(path):
    """An NSIS string of a path below $INSTDIR (the folder itself for an empty path)."""
    return '"$INSTDIR' + ("\\" + literal(path) if path else "") + '"'


def script(product, installer, compressor, kit=None):
    lines = ["Unicode true"]
    if COMPRESSORS[compressor]:
        lines.append(COMPRESSORS[compressor])
    lines += [
        'Name "Korvello"',
        f"OutFile {quoted(installer)}",
        r'InstallDir "$PROGRAMFILES\Korvello"',
        "RequestExecutionLevel admin",
        "Page directory",
        "Page instfiles",
        'Section "Korvello"',
    ]
    folder = None
    for path in manifest_paths(product):
        parent, _, name = path.rpartition("\\")
        if parent != folder:
            folder = parent
            lines.append("  SetOutPath " + below_install_folder(parent))
        host = os.path.join(os.path.abspath(product), *path.split("\\"))
        if not os.path.isfile(host) and path.upper() == "UNINSTALL.EXE" and kit:
            # The product folder brings no uninstaller: the setup carries the kit's.
            host = os.path.join(os.path.abspath(kit), "Uninstall.exe")
        lines.append(f"  File {quoted('/oname=' + name)} {quoted(host)}")
    main = manifest_paths(product)[0]
    lines += [
        f'  WriteRegStr HKCU {quoted(UNINSTALL_KEY)} "DisplayName" "Korvello"',
        f'  WriteRegStr HKCU {quoted(UNINSTALL_KEY)} "InstallLocation" "$INSTDIR"',
        f'  CreateShortCut "$DESKTOP\\Korvello (peer).lnk" {below_install_folder(main)}',
        "SectionEnd",
    ]
    return "\r\n".join(lines) + "\r\n"


def main(argv):
    if len(argv) not in (5, 6) or argv[4] not in COMPRESSORS:
        sys.stderr.write(__doc__)
        return 2
    product, output, installer, compressor = argv[1:5]
    kit = argv[5] if len(argv) == 6 else None
    # With a byte order mark makensis reads the script as UTF-8, Chinese file names included.
    with open(output, "w", encoding="utf-8-sig", newline="") as nsi:
        nsi.write(script(product, installer, compressor, kit))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
