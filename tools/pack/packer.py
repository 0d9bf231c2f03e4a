#!/usr/bin/env python3
"""Turns a product folder into a single setup executable.

The product folder holds the product's files at their install-relative paths, among them the
install manifest "Setup.log" (code page 936, CR LF): one line per payload entry,
"Name Type relative\\path". The packer checks the manifest, writes a resource script that
carries every listed file as a string-named resource of a string-named type (language 2052),
compiles it with windres and links the setup program from the setup kit (the prebuilt program
objects and library, see cmake/SetupKit.cmake). Each entry is carried compressed (one zstd
frame) where that makes it smaller, as it is otherwise; the entries the setup stages as it starts
stay as they are. One more entry, "PayloadSums", carries the size and SHA-256 of every listed
entry's file, how the entry is carried and its size in the setup, and the bytes the installation
writes in all.

Beside the payload the setup carries a version resource made from the configuration's
[Form] Serial and its icon: the product folder's Setup.ico, else the kit's default. With --sign
the packer signs the setup with Authenticode (SHA-256) through osslsigncode and checks the
signature before it writes the setup.

Usage: packer.py --kit <packkit-dir> [--sign <certificate.pfx> [--password-file <file>]
                 [--timestamp <url>]] <product-dir> <out.exe>
"""

import argparse
import concurrent.futures
import hashlib
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile

MANIFEST_NAME = "Setup.log"
PAYLOAD_LANGUAGE = 0x0804  # Chinese (PRC): LANGUAGE 4, 2
# The linker stamps the link time into the program's header (and so into its checksum); a zero
# stamp makes the same product packed with the same kit come out byte for byte the same.
REPRODUCIBLE_LINK_FLAGS = ["-Wl,--no-insert-timestamp"]

# Entries the setup program opens by name, not only through the manifest.
REQUIRED_ENTRIES = [
    ("FileExe", "exename", "the product's main executable"),
    ("uninstall", "exename", "the uninstaller"),
    ("FileTxt4", "txtname", "the licence text"),
    ("FileTxt5", "txtname", "the install manifest itself"),
    ("FileTxt7", "txtname", "the setup configuration"),
]

# The entry the packer adds itself: the sums of the payload. No manifest line may take its name.
SUMS_ENTRY = ("PayloadSums", "txtname")
SUMS_FIRST_LINE = "Korvello payload sums 2"
# Entries the setup writes as it starts, before anything decodes: always carried as they are.
STAGED_ENTRIES = frozenset([("FILETXT4", "TXTNAME"), ("FILETXT5", "TXTNAME"), ("FILETXT7", "TXTNAME")])
# zstd at its strongest level below the "ultra" ones, one thread (the same bytes every time), a
# window of 2^21 bytes: the setup's decoder holds one window, so 2 MiB bounds its memory. A
# larger window gains little: the sample's 26 MiB database is 2.82 MB in a 2 MiB window and
# 2.74 MB in an 8 MiB one, which would cost the decoder 6 MiB more. With the frame's content
# checksum (XXH64), which the setup requires and checks as it decodes: hashing with SHA-256 there
# cost more than decoding and writing together.
ZSTD_COMMAND = ["zstd", "-q", "-19", "--zstd=wlog=21", "--single-thread", "--check", "-c"]
# The uninstaller's file name in the install folder, which the setup writes besides the manifest.
UNINSTALLER_FILE = "Uninstall.exe"

# Words the resource compiler reads as its own keywords or standard resource types; a name or
# type spelled like one of them would not become a string-named resource.
RESOURCE_COMPILER_WORDS = frozenset(
    """
    ACCELERATORS ALT ANICURSOR ANIICON ASCII AUTO3STATE AUTOCHECKBOX AUTORADIOBUTTON BEDIT BEGIN
    BITMAP BLOCK BUTTON CAPTION CHARACTERISTICS CHECKBOX CHECKED CLASS COMBOBOX CONTROL CTEXT
    CURSOR DEFPUSHBUTTON DIALOG DIALOGEX DISCARDABLE DLGINCLUDE DLGINIT EDITTEXT END EXSTYLE
    FILEFLAGS FILEFLAGSMASK FILEOS FILESUBTYPE FILETYPE FILEVERSION FIXED FONT FONTDIR GRAYED
    GROUPBOX HEDIT HELP HIEDIT HTML ICON IEDIT IMPURE INACTIVE LANGUAGE LISTBOX LOADONCALL LTEXT
    MANIFEST MENU MENUBARBREAK MENUBREAK MENUEX MENUITEM MESSAGETABLE MOVEABLE NOINVERT NOT
    PLUGPLAY POPUP PRELOAD PRODUCTVERSION PURE PUSHBOX PUSHBUTTON RADIOBUTTON RCDATA RTEXT
    SCROLLBAR SEPARATOR SHIFT STATE3 STRINGTABLE STYLE TOOLBAR USERBUTTON VALUE VERSION
    VERSIONINFO VIRTKEY VXD
    """.split()
)

# The most payload a setup program of each kind can carry. A 32-bit program maps its whole image,
# the payload included, into the 2 GB address space of its process as it starts, below the
# system's own DLLs and beside its stacks and heaps; with a larger payload it would not start at
# all, so such a setup.exe is never written. 64-bit programs have room to spare.
PAYLOAD_LIMITS = {"i686": 1500 << 20, "i386": 1500 << 20, "x86": 1500 << 20}

IDENTIFIER = re.compile(r"[A-Za-z_][A-Za-z0-9_]*\Z")
# Characters Windows does not allow in a file name (the backslash separates folders).
FORBIDDEN_PATH_CHARS = set('<>:"/|?*') | {chr(c) for c in range(32)}
# A path beginning "C:" would leave the install folder for the root or current folder of a drive.
DRIVE_PREFIX = re.compile(r"[A-Za-z]:")
# Names that open a device in every folder, with any extension ("NUL.txt") and in any case.
DEVICE_NAMES = frozenset(
    ["CON", "PRN", "AUX", "NUL"] + [f"{port}{n}" for port in ("COM", "LPT") for n in range(1, 10)]
)


class PackError(Exception):
    pass


class Entry:
    def __init__(self, line_number, text, name, type_, rel_path, file_path):
        self.line_number = line_number
        self.text = text
        self.name = name
        self.type = type_
        self.rel_path = rel_path
        self.file_path = file_path
        # What the setup carries: the file itself, or its compressed form (store_entries).
        self.stored_path = file_path
        self.form = "raw"

    @property
    def key(self):
        return (self.name.upper(), self.type.upper())


def check_identifier(what, value):
    """Problem with a resource name or type, or None."""
    if not IDENTIFIER.match(value):
        return (
            f"the {what} {value!r} must be letters, digits and underscores, "
            "beginning with a letter or an underscore"
        )
    if value.upper() in RESOURCE_COMPILER_WORDS:
        return f"the {what} {value!r} is a reserved word of the resource compiler"
    return None


def device_name(part):
    """The device a file or folder name opens instead of a file ("nul .txt" -> "NUL"), or None."""
    # Windows looks only at the name before the first dot, without its trailing spaces.
    stem = part.split(".", 1)[0].rstrip(" ").upper()
    return stem if stem in DEVICE_NAMES else None


def check_path_name(part):
    """Problem with one folder or file name of an install-relative path, or None."""
    if part == "":
        return "the path has an empty folder or file name (doubled or trailing backslash)"
    if part in (".", ".."):
        return "the path must stay inside the install folder (no '.' or '..')"
    if part.endswith(".") or part.endswith(" ") or part.startswith(" "):
        return f"the name {part!r} in the path begins or ends with a space or ends with a dot"
    device = device_name(part)
    if device:
        return f"the name {part!r} in the path is the Windows device name {device}"
    return None


def check_relative_path(rel):
    """Problem with an install-relative path, or None."""
    if rel.startswith(("\\", "/")):
        lead = "a backslash" if rel[0] == "\\" else "a slash"
        return f"the path must be relative to the install folder (it starts with {lead})"
    if DRIVE_PREFIX.match(rel):
        return f"the path must be relative to the install folder (it names the drive {rel[:2]!r})"
    bad = sorted({c for c in rel if c in FORBIDDEN_PATH_CHARS})
    if bad:
        shown = " ".join(repr(c) for c in bad)
        return f"the path holds characters a Windows file name cannot have: {shown}"
    for part in rel.split("\\"):
        problem = check_path_name(part)
        if problem:
            return problem
    return None


def split_lines(data):
    """Manifest bytes -> list of (line number, bytes); the last line may lack its CR LF."""
    pieces = data.split(b"\r\n")
    if pieces and pieces[-1] == b"":
        pieces.pop()
    return list(enumerate(pieces, 1))


def parse_line(number, raw, product_dir, kit_files=None):
    """One manifest line -> (Entry or None, list of problems). kit_files maps an install-relative
    path (upper case) to the kit's own file that stands in where the product folder has none."""
    text = raw.decode("gbk", errors="replace")
    problems = []
    if b"\r" in raw or b"\n" in raw:
        problems.append("lines must end with CR LF (a lone CR or LF was found)")
        return None, problems
    try:
        raw.decode("gbk")
    except UnicodeDecodeError:
        problems.append("the line is not valid code page 936 text")
        return None, problems
    if text == "":
        problems.append("blank line")
        return None, problems
    if text.strip() == "":
        problems.append("the line holds only spaces")
        return None, problems
    if "  " in text:
        problems.append("doubled space (the fields are separated by single spaces)")
    if text.endswith(" "):
        problems.append("trailing space")
    if text.startswith(" "):
        problems.append("the line starts with a space (empty name)")
    if problems:
        return None, problems
    name, sep1, rest = text.partition(" ")
    type_, sep2, rel = rest.partition(" ")
    if not sep1 or not sep2 or rel == "":
        problems.append("expected three fields: name, type and relative path")
        return None, problems
    for what, value in (("name", name), ("type", type_)):
        problem = check_identifier(what, value)
        if problem:
            problems.append(problem)
    if name.upper() == SUMS_ENTRY[0].upper():
        problems.append(
            f"the name {name!r} is taken by the setup's own entry of the payload sums"
        )
    problem = check_relative_path(rel)
    if problem:
        problems.append(problem)
    if problems:
        return None, problems
    file_path = os.path.join(product_dir, *rel.split("\\"))
    if not os.path.isfile(file_path) and (kit_files or {}).get(rel.upper()):
        file_path = kit_files[rel.upper()]
    if not os.path.isfile(file_path):
        problems.append(f"file not found: {file_path}")
        return None, problems
    return Entry(number, text, name, type_, rel, file_path), problems


def read_manifest(product_dir, kit_files=None):
    """Validated entries of the product folder's manifest; raises PackError listing problems."""
    manifest_path = os.path.join(product_dir, MANIFEST_NAME)
    try:
        with open(manifest_path, "rb") as manifest:
            data = manifest.read()
    except OSError as error:
        raise PackError(f"cannot read the install manifest {manifest_path}: {error.strerror}")
    if not data:
        raise PackError(f"{manifest_path}: the install manifest is empty")

    messages = []
    entries = []
    first_line_of = {}
    mentioned = set()  # (name, type) of every line, well-formed or not
    for number, raw in split_lines(data):
        words = raw.decode("gbk", errors="replace").split(" ")
        if len(words) >= 2:
            mentioned.add((words[0].upper(), words[1].upper()))
        entry, problems = parse_line(number, raw, product_dir, kit_files)
        shown = raw.decode("gbk", errors="replace")
        for problem in problems:
            messages.append(f"{MANIFEST_NAME} line {number}: {problem}: \"{shown}\"")
        if entry is None:
            continue
        if entry.key in first_line_of:
            messages.append(
                f"{MANIFEST_NAME} line {number}: the entry {entry.name} {entry.type} is already "
                f"listed on line {first_line_of[entry.key]} (names and types are matched "
                f"without regard to case): \"{shown}\""
            )
            continue
        first_line_of[entry.key] = number
        entries.append(entry)

    by_key = {entry.key: entry for entry in entries}
    for name, type_, meaning in REQUIRED_ENTRIES:
        if (name.upper(), type_.upper()) not in mentioned:
            messages.append(
                f"{MANIFEST_NAME}: no line for the entry {name} {type_} ({meaning}); "
                "the setup program opens it by name"
            )
    manifest_entry = by_key.get(("FILETXT5", "TXTNAME"))
    if manifest_entry is not None:
        with open(manifest_entry.file_path, "rb") as listed:
            if listed.read() != data:
                messages.append(
                    f"{MANIFEST_NAME} line {manifest_entry.line_number}: the entry FileTxt5 "
                    f"txtname must be the install manifest itself ({MANIFEST_NAME}), but "
                    f"{manifest_entry.rel_path} has other content: \"{manifest_entry.text}\""
                )
    if messages:
        raise PackError("the install manifest is not valid:\n  " + "\n  ".join(messages))
    return entries


def read_kit(kit_dir):
    env_path = os.path.join(kit_dir, "kit.env")
    settings = {}
    try:
        with open(env_path, encoding="utf-8") as env:
            for line in env:
                line = line.strip()
                if not line or line.startswith("#"):
                    continue
                words = shlex.split(line)
                if len(words) != 1 or "=" not in words[0]:
                    raise PackError(f"{env_path}: cannot read the line {line!r}")
                key, _, value = words[0].partition("=")
                settings[key] = value
    except OSError as error:
        raise PackError(f"cannot read the setup kit settings {env_path}: {error.strerror}")
    for key in ("KORV_CXX", "KORV_WINDRES", "KORV_LDFLAGS", "KORV_OBJECTS", "KORV_LIBRARIES"):
        if key not in settings:
            raise PackError(f"{env_path}: {key} is not set")
    for name in settings["KORV_OBJECTS"].split() + settings["KORV_LIBRARIES"].split():
        if not os.path.isfile(os.path.join(kit_dir, name)):
            raise PackError(f"the setup kit {kit_dir} has no {name}; rebuild it (korv_packkit)")
    return settings


def kit_files_of(kit_dir, kit):
    """The kit's files that stand in for a product's own: its uninstaller, when it has one."""
    uninstaller = kit.get("KORV_UNINSTALLER")
    if not uninstaller:
        return {}
    return {"UNINSTALL.EXE": os.path.join(kit_dir, uninstaller)}


def sign_kit_files(entries, kit_dir, kit, signing, work_dir):
    """Signs the kit's own files the payload carries (its uninstaller) as the setup is signed,
    each verified, so that what the setup installs from the kit is signed too."""
    kit_files = set(kit_files_of(kit_dir, kit).values())
    for entry in entries:
        if entry.file_path not in kit_files:
            continue
        signed = os.path.join(work_dir, "signed-" + os.path.basename(entry.file_path))
        sign(entry.file_path, signed, signing, work_dir)
        verify_signature(signed, work_dir)
        entry.file_path = entry.stored_path = signed


def check_payload_size(entries, kit):
    """Refuses a payload larger than the kit's kind of setup program can start with: what the
    setup carries (store_entries), compressed or not, is what it maps."""
    arch = kit.get("KORV_KIT_ARCH", "")
    limit = PAYLOAD_LIMITS.get(arch)
    total = sum(os.path.getsize(entry.stored_path) for entry in entries)
    if limit is not None and total > limit:
        raise PackError(
            f"the payload is {total:,} bytes ({total / (1 << 20):,.0f} MiB) in all, more than "
            f"the {limit:,} bytes ({limit >> 20:,} MiB) a setup program for {arch} can carry: "
            "it maps its whole payload into its 2 GB address space as it starts, and with more "
            "it would not start at all"
        )
    return total


def ini_value(data, section, key):
    """A value of a code page 936 INI text as the setup reads it: section and key without regard
    to case, spaces around the value dropped; None when missing."""
    current = None
    for raw in data.decode("gbk", errors="replace").splitlines():
        line = raw.strip()
        if line.startswith("[") and "]" in line:
            current = line[1 : line.index("]")].strip().upper()
        elif current == section.upper() and "=" in line:
            name, _, value = line.partition("=")
            if name.strip().upper() == key.upper():
                return value.strip()
    return None


def installed_bytes(entries):
    """The bytes the installation writes below the install folder: every manifest file once (a
    path listed twice is one file), the main executable under the configuration's [Run] FileName
    and the uninstaller under its own name where the manifest puts them elsewhere."""
    by_path = {}
    for entry in entries:
        by_path[entry.rel_path.upper()] = os.path.getsize(entry.file_path)
    by_key = {entry.key: entry for entry in entries}
    configuration = by_key.get(("FILETXT7", "TXTNAME"))
    run_name = None
    if configuration is not None:
        with open(configuration.file_path, "rb") as ini:
            run_name = ini_value(ini.read(), "Run", "FileName")
    written_apart = [
        (("FILEEXE", "EXENAME"), run_name),
        (("UNINSTALL", "EXENAME"), UNINSTALLER_FILE),
    ]
    for key, path in written_apart:
        entry = by_key.get(key)
        if entry is not None and path and path.upper() not in by_path:
            by_path[path.upper()] = os.path.getsize(entry.file_path)
    return sum(by_path.values())


def payload_sums(entries):
    """The text of the sums entry: its first line, "name type size sha256 form stored-size" for
    every entry in manifest order, and the installed total, CR LF after each line."""
    lines = [SUMS_FIRST_LINE]
    for entry in entries:
        digest = hashlib.sha256()
        size = 0
        with open(entry.file_path, "rb") as source:
            for chunk in iter(lambda: source.read(1 << 20), b""):
                digest.update(chunk)
                size += len(chunk)
        stored = os.path.getsize(entry.stored_path)
        lines.append(f"{entry.name} {entry.type} {size} {digest.hexdigest()} {entry.form} {stored}")
    lines.append(f"total {installed_bytes(entries)}")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def compress(path, out_path):
    """Writes the zstd frame of the file at path to out_path."""
    with open(out_path, "wb") as out:
        result = subprocess.run(ZSTD_COMMAND + [path], stdout=out, stderr=subprocess.PIPE)
    if result.returncode != 0:
        output = result.stderr.decode("utf-8", errors="replace").strip()
        raise PackError(f"zstd could not compress {path}:\n{output}")


def kit_decodes_zstd(kit):
    """Whether the kit's program decodes compressed entries: a kit from before it did says
    nothing, and gets every entry as it is, which it writes correctly."""
    return "zstd" in kit.get("KORV_PAYLOAD_FORMS", "").split()


def store_entries(entries, work_dir):
    """Compresses each entry but the staged ones into work_dir and carries the compressed form
    where it is smaller than the file."""
    compressed = [
        (entry, os.path.join(work_dir, f"z{index:04d}.zst"))
        for index, entry in enumerate(entries, 1)
        if entry.key not in STAGED_ENTRIES
    ]
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        for done in [pool.submit(compress, entry.file_path, out) for entry, out in compressed]:
            done.result()
    for entry, out in compressed:
        if os.path.getsize(out) < os.path.getsize(entry.file_path):
            entry.stored_path = out
            entry.form = "zstd"
        else:
            os.remove(out)


def run(command, cwd=None):
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        output = result.stdout.decode("utf-8", errors="replace").strip()
        raise PackError(f"{shlex.join(command)} failed:\n{output}")


def write_resource_script(entries, work_dir, sums=None):
    """Resource script over ASCII-named links to the product files (windres wants plain names),
    and the payload sums after them (computed here unless given)."""
    # No comment line: without the C preprocessor the resource compiler would not skip it.
    lines = ["LANGUAGE 4, 2"]
    for index, entry in enumerate(entries, 1):
        link = f"e{index:04d}.bin"
        os.symlink(os.path.abspath(entry.stored_path), os.path.join(work_dir, link))
        lines.append(f'{entry.name.upper()} {entry.type.upper()} "{link}"')
    with open(os.path.join(work_dir, "sums.txt"), "wb") as sums_file:
        sums_file.write(sums if sums is not None else payload_sums(entries))
    lines.append(f'{SUMS_ENTRY[0].upper()} {SUMS_ENTRY[1].upper()} "sums.txt"')
    script = os.path.join(work_dir, "payload.rc")
    with open(script, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    return script


def read_utf16_id(data, offset):
    """A name or type field of a .res header -> (str or int, offset after it)."""
    (first,) = struct.unpack_from("<H", data, offset)
    if first == 0xFFFF:
        (ordinal,) = struct.unpack_from("<H", data, offset + 2)
        return ordinal, offset + 4
    end = offset
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def read_res_file(path):
    """Resources of a compiled .res file: list of (type, name, language, data bytes)."""
    with open(path, "rb") as res:
        data = res.read()
    resources = []
    offset = 0
    while offset + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, offset)
        type_, pos = read_utf16_id(data, offset + 8)
        name, pos = read_utf16_id(data, pos)
        pos = (pos + 3) & ~3
        _, _, language = struct.unpack_from("<IHH", data, pos)
        start = offset + header_size
        if not (type_ == 0 and name == 0 and data_size == 0):
            resources.append((type_, name, language, data[start : start + data_size]))
        offset = (start + data_size + 3) & ~3
    return resources


def verify_payload(entries, res_path, sums=None):
    """The compiled payload carries every entry byte for byte as stored, string-named, language 2052, and
    the sums of exactly these entries (computed here unless given). The bytes of the entries in
    all."""
    compiled = {}
    for type_, name, language, data in read_res_file(res_path):
        compiled[(name, type_)] = (language, data)
    if len(compiled) != len(entries) + 1:
        raise PackError(
            f"the resource compiler produced {len(compiled)} resources for {len(entries)} entries "
            "and their sums"
        )
    compiled_sums = compiled.pop((SUMS_ENTRY[0].upper(), SUMS_ENTRY[1].upper()), None)
    for entry in entries:
        found = compiled.get((entry.name.upper(), entry.type.upper()))
        if found is None:
            raise PackError(
                f"{MANIFEST_NAME} line {entry.line_number}: the resource compiler did not keep "
                f"{entry.name} {entry.type} as a string-named resource: \"{entry.text}\""
            )
        language, data = found
        with open(entry.stored_path, "rb") as source:
            same = source.read() == data
        if language != PAYLOAD_LANGUAGE or not same:
            raise PackError(
                f"{MANIFEST_NAME} line {entry.line_number}: the compiled resource differs from "
                f"{entry.rel_path}: \"{entry.text}\""
            )
    expected_sums = sums if sums is not None else payload_sums(entries)
    if compiled_sums != (PAYLOAD_LANGUAGE, expected_sums):
        raise PackError("the compiled payload sums differ from the entries' sums")
    return sum(len(data) for _, data in compiled.values())


IMAGE_SCN_MEM_WRITE = 0x80000000


def pe_sections(image):
    """(name, offset of its section header) for every section of a PE image's bytes."""
    if image[:2] != b"MZ":
        raise PackError("the linked setup program is no PE image")
    header = struct.unpack_from("<I", image, 0x3C)[0]
    if image[header:header + 4] != b"PE\0\0":
        raise PackError("the linked setup program is no PE image")
    count, = struct.unpack_from("<H", image, header + 6)
    optional_size, = struct.unpack_from("<H", image, header + 20)
    first = header + 24 + optional_size
    for index in range(count):
        offset = first + 40 * index
        yield image[offset:offset + 8].rstrip(b"\0").decode("ascii", "replace"), offset


def make_resources_read_only(path):
    """Clears the write flag the linker gives the resource section: the payload is read-only
    data, and Wine maps a writable section of that size into a starting setup at a cost."""
    with open(path, "r+b") as image_file:
        image = bytearray(image_file.read())
        found = False
        for name, offset in pe_sections(image):
            if name == ".rsrc":
                flags, = struct.unpack_from("<I", image, offset + 36)
                struct.pack_into("<I", image, offset + 36, flags & ~IMAGE_SCN_MEM_WRITE)
                found = True
        if not found:
            raise PackError("the linked setup program has no resource section")
        image_file.seek(0)
        image_file.write(image)


# ---- version resource and icon -------------------------------------------------------------

# The names the setup registers the product under (its uninstall entry), shown by Explorer too.
PRODUCT_NAME = "Korvello"
COMPANY_NAME = "Lumenford"
SETUP_DESCRIPTION = f"{PRODUCT_NAME} 安装程序"
DEFAULT_COPYRIGHT = f"© {COMPANY_NAME}"
PRODUCT_ICON = "Setup.ico"
# Chinese (PRC) strings in UTF-16: the block "080404b0" and its Translation pair.
VERSION_LANGUAGE, VERSION_CODEPAGE = 0x0804, 1200


def version_numbers(serial):
    """[Form] Serial -> the four numbers of the version, read as the setup reads the serial: two
    digits a component ("02080308" -> (2, 8, 3, 8)); no serial gives 0.0.0.0."""
    if serial is None or serial == "":
        return (0, 0, 0, 0)
    if not re.fullmatch(r"[0-9]{2}([0-9]{2}){0,3}", serial):
        raise PackError(
            f"the configuration's [Form] Serial {serial!r} is not two to eight digits, two a "
            "version component (02080308 is version 2.8.3.8)"
        )
    numbers = tuple(int(serial[at:at + 2]) for at in range(0, len(serial), 2))
    return numbers + (0,) * (4 - len(numbers))


def version_strings(configuration):
    """The StringFileInfo values, in the order they are written: the packer's own words and the
    version's digits, nothing a resource script would have to escape."""
    numbers = version_numbers(ini_value(configuration, "Form", "Serial"))
    dotted = ".".join(str(n) for n in numbers)
    return numbers, [
        ("CompanyName", COMPANY_NAME),
        ("FileDescription", SETUP_DESCRIPTION),
        ("FileVersion", dotted),
        ("LegalCopyright", DEFAULT_COPYRIGHT),
        ("OriginalFilename", "setup.exe"),
        ("ProductName", PRODUCT_NAME),
        ("ProductVersion", dotted),
    ]


def find_product_icon(product_dir):
    """The product folder's own Setup.ico (any case of the name), or None."""
    for name in sorted(os.listdir(product_dir)):
        path = os.path.join(product_dir, name)
        if name.upper() == PRODUCT_ICON.upper() and os.path.isfile(path):
            return path
    return None


def check_icon(path):
    """Refuses a file that is no icon file, before the resource compiler does so obscurely."""
    with open(path, "rb") as icon:
        data = icon.read()
    problem = None
    if len(data) < 6 or struct.unpack_from("<HH", data) != (0, 1):
        problem = "it is no icon file (.ico)"
    else:
        (count,) = struct.unpack_from("<H", data, 4)
        if count == 0 or len(data) < 6 + 16 * count:
            problem = "its list of images is empty or cut short"
        for index in range(count if problem is None else 0):
            size, offset = struct.unpack_from("<II", data, 6 + 16 * index + 8)
            if size == 0 or offset + size > len(data):
                problem = f"its image {index + 1} lies beyond the end of the file"
                break
    if problem:
        raise PackError(f"the icon {path} cannot be used: {problem}")


def setup_icon(product_dir, kit_dir, kit):
    """The icon the setup carries: the product's Setup.ico, else the kit's default, else none."""
    icon = find_product_icon(product_dir)
    if icon is None and kit.get("KORV_ICON"):
        icon = os.path.join(kit_dir, kit["KORV_ICON"])
    if icon is not None:
        check_icon(icon)
    return icon


def write_version_script(work_dir, configuration, icon):
    """The resource script of the version resource and the icon (UTF-8, windres -c 65001). The
    icon group is the setup's only one, so Explorer shows it."""
    numbers, strings = version_strings(configuration)
    comma = ",".join(str(n) for n in numbers)
    lines = [f"LANGUAGE {VERSION_LANGUAGE & 0x3FF}, {VERSION_LANGUAGE >> 10}"]
    if icon is not None:
        os.symlink(os.path.abspath(icon), os.path.join(work_dir, "setup.ico"))
        lines.append('1 ICON "setup.ico"')
    lines += [
        "1 VERSIONINFO",
        f"FILEVERSION {comma}",
        f"PRODUCTVERSION {comma}",
        "FILEFLAGSMASK 0x3f",
        "FILEFLAGS 0",
        "FILEOS 0x40004",  # VOS_NT_WINDOWS32
        "FILETYPE 1",  # VFT_APP
        "FILESUBTYPE 0",
        "BEGIN",
        '  BLOCK "StringFileInfo"',
        "  BEGIN",
        f'    BLOCK "{VERSION_LANGUAGE:04x}{VERSION_CODEPAGE:04x}"',
        "    BEGIN",
    ]
    lines += [f'      VALUE "{key}", "{value}"' for key, value in strings]
    lines += [
        "    END",
        "  END",
        '  BLOCK "VarFileInfo"',
        "  BEGIN",
        f'    VALUE "Translation", {VERSION_LANGUAGE:#06x}, {VERSION_CODEPAGE}',
        "  END",
        "END",
    ]
    script = os.path.join(work_dir, "version.rc")
    with open(script, "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    return script


def configuration_bytes(entries):
    by_key = {entry.key: entry for entry in entries}
    with open(by_key[("FILETXT7", "TXTNAME")].file_path, "rb") as ini:
        return ini.read()


# ---- signing -------------------------------------------------------------------------------

# osslsigncode always writes a signing-time attribute, the current time unless told one; Windows
# trusts only a time stamp's time, so without one the attribute is pinned and signing the same
# setup twice gives the same bytes.
UNSTAMPED_SIGNING_TIME = "0"
SYSTEM_CA_BUNDLE = "/etc/ssl/certs/ca-certificates.crt"


class Signing:
    def __init__(self, certificate, password_file=None, timestamp_url=None):
        self.certificate = certificate
        self.password_file = password_file
        self.timestamp_url = timestamp_url


def signing_tool(name):
    tool = shutil.which(name)
    if tool is None:
        raise PackError(f"{name} is not installed and signing needs it (tools/deps.sh installs it)")
    return tool


def private_password_file(signing, work_dir):
    """The first line of the password file, copied where only this user reads it: osslsigncode
    reads a whole file, and a password never goes on a command line. Made once per pack."""
    path = os.path.join(work_dir, "password")
    if os.path.exists(path):
        return path
    try:
        with open(signing.password_file, "rb") as source:
            first_line = source.read().splitlines()[:1]
    except OSError as error:
        raise PackError(f"cannot read the password file {signing.password_file}: "
                        f"{error.strerror}")
    descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    with os.fdopen(descriptor, "wb") as out:
        out.write(first_line[0] if first_line else b"")
    return path


def sign(unsigned, signed, signing, work_dir):
    """Signs the setup with Authenticode (SHA-256) into signed."""
    if not os.path.isfile(signing.certificate):
        raise PackError(f"the certificate {signing.certificate} is not a file")
    command = [signing_tool("osslsigncode"), "sign", "-pkcs12", signing.certificate, "-h", "sha256"]
    if signing.password_file is not None:
        command += ["-readpass", private_password_file(signing, work_dir)]
    if signing.timestamp_url:
        command += ["-ts", signing.timestamp_url]
    else:
        command += ["-time", UNSTAMPED_SIGNING_TIME]
    command += ["-in", unsigned, "-out", signed]
    result = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)
    output = result.stdout.decode("utf-8", errors="replace").strip()
    if result.returncode == 0 and os.path.isfile(signed):
        return
    if "PKCS#12" in output or "key or certificates" in output:
        raise PackError(
            f"cannot sign with {signing.certificate}: the password is wrong or the file is no "
            f"PKCS#12 certificate with its private key (osslsigncode: {output})"
        )
    if signing.timestamp_url:
        raise PackError(f"signing with a time stamp from {signing.timestamp_url} failed:\n{output}")
    raise PackError(f"signing with {signing.certificate} failed:\n{output}")


def verify_signature(signed, work_dir):
    """Checks the signature against the setup's bytes, its signer trusted through the
    certificates the signature carries (and the system's authorities, for a chain whose root the
    certificate file leaves out)."""
    tool = signing_tool("osslsigncode")
    signature = os.path.join(work_dir, "signature.pem")
    if os.path.exists(signature):  # the one of a file signed before in this pack
        os.remove(signature)
    run([tool, "extract-signature", "-pem", "-in", signed, "-out", signature])
    certificates = subprocess.run(
        [signing_tool("openssl"), "pkcs7", "-print_certs", "-in", signature],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if certificates.returncode != 0:
        raise PackError("cannot read the certificates of the setup's signature:\n"
                        + certificates.stdout.decode("utf-8", errors="replace"))
    trusted = os.path.join(work_dir, "trusted.pem")
    with open(trusted, "wb") as out:
        out.write(certificates.stdout)
        if os.path.isfile(SYSTEM_CA_BUNDLE):
            with open(SYSTEM_CA_BUNDLE, "rb") as system:
                out.write(system.read())
    result = subprocess.run([tool, "verify", "-CAfile", trusted, "-in", signed],
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)
    if result.returncode != 0:
        output = result.stdout.decode("utf-8", errors="replace").strip()
        raise PackError(f"the signed {os.path.basename(signed)} does not verify, so no setup is "
                        f"written:\n{output}")


def pack(kit_dir, product_dir, out_path, payload_limit=True, signing=None):
    if not os.path.isdir(product_dir):
        raise PackError(f"{product_dir} is not a folder")
    kit = read_kit(kit_dir)
    # A product folder without an Uninstall.exe of its own gets the kit's uninstaller.
    entries = read_manifest(product_dir, kit_files_of(kit_dir, kit))
    configuration = configuration_bytes(entries)
    version_numbers(ini_value(configuration, "Form", "Serial"))  # a bad serial stops us early
    icon = setup_icon(product_dir, kit_dir, kit)
    if signing is not None:
        signing_tool("osslsigncode")
        signing_tool("openssl")
    out_path = os.path.abspath(out_path)
    os.makedirs(os.path.dirname(out_path), exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="korvpack.") as work_dir:
        if signing is not None:
            sign_kit_files(entries, kit_dir, kit, signing, work_dir)
        if kit_decodes_zstd(kit):
            store_entries(entries, work_dir)
        if payload_limit:
            check_payload_size(entries, kit)
        sums = payload_sums(entries)
        write_resource_script(entries, work_dir, sums)
        windres = shlex.split(kit["KORV_WINDRES"])
        # No C preprocessor: an entry name must never be taken for a macro.
        run(windres + ["--preprocessor=cat", "-i", "payload.rc", "-O", "res", "-o", "payload.res"],
            cwd=work_dir)
        payload_bytes = verify_payload(entries, os.path.join(work_dir, "payload.res"), sums)
        run(windres + ["-i", "payload.res", "-o", "payload.o"], cwd=work_dir)
        write_version_script(work_dir, configuration, icon)
        run(windres + ["--preprocessor=cat", "-c", "65001", "-i", "version.rc",
                       "-o", "version.o"], cwd=work_dir)
        kit_files = [os.path.join(kit_dir, name) for name in kit["KORV_OBJECTS"].split()]
        libraries = [os.path.join(kit_dir, name) for name in kit["KORV_LIBRARIES"].split()]
        linked = os.path.join(work_dir, "setup.exe")
        run(
            shlex.split(kit["KORV_CXX"])
            + shlex.split(kit["KORV_LDFLAGS"])
            + REPRODUCIBLE_LINK_FLAGS
            + ["-o", linked]
            + kit_files
            + [os.path.join(work_dir, "payload.o"), os.path.join(work_dir, "version.o")]
            + libraries
            + shlex.split(kit.get("KORV_SYSLIBS", ""))
        )
        make_resources_read_only(linked)
        if signing is not None:
            signed = os.path.join(work_dir, "signed.exe")
            sign(linked, signed, signing, work_dir)
            verify_signature(signed, work_dir)
            linked = signed
        shutil.move(linked, out_path)
    return len(entries), payload_bytes


def main(argv):
    parser = argparse.ArgumentParser(description="Pack a product folder into a setup program.")
    parser.add_argument("--kit", required=True, help="setup kit folder (packkit)")
    parser.add_argument(
        "--no-payload-limit",
        action="store_true",
        help="write the setup even over the payload limit (only to measure where the limit lies)",
    )
    parser.add_argument("--sign", metavar="CERTIFICATE.pfx",
                        help="sign the setup with this certificate and its key (PKCS#12)")
    parser.add_argument("--password-file", metavar="FILE",
                        help="the certificate's password: the first line of this file")
    parser.add_argument("--timestamp", metavar="URL",
                        help="time-stamp the signature at this RFC 3161 server")
    parser.add_argument("product_dir")
    parser.add_argument("out_exe")
    args = parser.parse_args(argv[1:])
    if (args.password_file or args.timestamp) and not args.sign:
        parser.error("--password-file and --timestamp go with --sign")
    signing = Signing(args.sign, args.password_file, args.timestamp) if args.sign else None
    try:
        count, payload_bytes = pack(
            args.kit, args.product_dir, args.out_exe, payload_limit=not args.no_payload_limit,
            signing=signing,
        )
    except PackError as error:
        sys.stderr.write(f"pack: {error}\n")
        return 1
    signed = ", signed" if signing else ""
    print(f"pack: wrote {args.out_exe}: {count} entries, {payload_bytes} bytes of payload{signed}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
