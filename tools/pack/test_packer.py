#!/usr/bin/env python3
"""Checks of the packer's manifest validation, of its reading of compiled resources and, where a
setup kit has been built, that packing is reproducible, that the setup carries its version
resource and icon, and that a signed setup verifies.

Run: python3 -m unittest discover -s tools/pack -p 'test_*.py'
"""

import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from unittest import mock

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import packer  # noqa: E402

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO_ROOT, "src", "main"))
import artwork  # noqa: E402

try:
    import pefile
except ImportError:
    # Debian's python3-pefile (tools/deps.sh) lives where a Python of its own does not look.
    sys.path.append("/usr/lib/python3/dist-packages")
    try:
        import pefile
    except ImportError:
        pefile = None

# A well-formed manifest: the entries the setup opens by name, a Chinese file name, a subfolder
# and a path with a space in it.
GOOD_LINES = [
    "FileExe exename KORV.exe",
    "uninstall exename Uninstall.exe",
    "FileTxt4 txtname 用户授权协议.txt",
    "FileTxt5 txtname Setup.log",
    "FileTxt7 txtname Setup.ini",
    "UserFile1x1 name1 UserFile\\例题\\例题 1.Orv",
]
PRODUCT_FILES = ["KORV.exe", "Uninstall.exe", "用户授权协议.txt", "Setup.ini", "UserFile/例题/例题 1.Orv"]


def encode(lines, ending=b"\r\n", final=True):
    data = ending.join(line.encode("gbk") for line in lines)
    return data + ending if final else data


class ProductFolder:
    """A throw-away product folder whose manifest is the given bytes; each file holds its name."""

    def __init__(self, manifest_bytes, extra_files=()):
        self.path = tempfile.mkdtemp(prefix="korvpack-test.")
        for rel in PRODUCT_FILES + list(extra_files):
            target = os.path.join(self.path, rel)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as out:
                out.write(rel.encode("utf-8"))
        with open(os.path.join(self.path, "Setup.log"), "wb") as out:
            out.write(manifest_bytes)

    def __enter__(self):
        return self.path

    def __exit__(self, *_):
        shutil.rmtree(self.path)


def manifest_errors(manifest_bytes, extra_files=()):
    with ProductFolder(manifest_bytes, extra_files) as product:
        try:
            packer.read_manifest(product)
        except packer.PackError as error:
            return str(error)
    return None


class ManifestValidationTest(unittest.TestCase):
    def test_well_formed_manifest_lists_every_entry_in_order(self):
        for final_line_end in (True, False):
            with self.subTest(final_line_end=final_line_end):
                with ProductFolder(encode(GOOD_LINES, final=final_line_end)) as product:
                    entries = packer.read_manifest(product)
                self.assertEqual([(e.name, e.type, e.rel_path) for e in entries],
                                 [tuple(line.split(" ", 2)) for line in GOOD_LINES])
                self.assertEqual(entries[-1].line_number, len(GOOD_LINES))
                self.assertTrue(entries[2].file_path.endswith("用户授权协议.txt"))

    def test_the_kit_uninstaller_stands_in_only_where_the_product_brings_none(self):
        kit = tempfile.mkdtemp(prefix="korvpack-kit.")
        self.addCleanup(shutil.rmtree, kit)
        with open(os.path.join(kit, "Uninstall.exe"), "wb") as out:
            out.write(b"MZ the kit's uninstaller")
        kit_files = packer.kit_files_of(kit, {"KORV_UNINSTALLER": "Uninstall.exe"})
        for own in (True, False):
            with self.subTest(product_brings_its_own=own):
                with ProductFolder(encode(GOOD_LINES)) as product:
                    if not own:
                        os.remove(os.path.join(product, "Uninstall.exe"))
                    entries = packer.read_manifest(product, kit_files)
                    uninstaller = [e for e in entries if e.name == "uninstall"][0]
                    expected = product if own else kit
                    self.assertEqual(uninstaller.file_path,
                                     os.path.join(expected, "Uninstall.exe"))
        self.assertEqual(packer.kit_files_of(kit, {}), {}, "a kit without an uninstaller")
        with ProductFolder(encode(GOOD_LINES)) as product:
            os.remove(os.path.join(product, "Uninstall.exe"))
            with self.assertRaisesRegex(packer.PackError, "file not found: .*Uninstall.exe"):
                packer.read_manifest(product, {})

    def test_bad_line_is_refused_with_its_number_and_text(self):
        # (line put after the good lines, expected part of the message)
        cases = [
            ("FileDat1  exename KORV.exe", "doubled space"),
            ("FileDat1 exename  KORV.exe", "doubled space"),
            ("FileDat1 exename KORV.exe ", "trailing space"),
            (" FileDat1 exename KORV.exe", "starts with a space"),
            ("", "blank line"),
            ("   ", "only spaces"),
            ("FileDat1 exename", "three fields"),
            ("FileDat1", "three fields"),
            ("FileDat1 exename Missing.dat", "file not found"),
            ("FileDat1 exename userfile\\例题\\例题 1.Orv", "file not found"),
            ("FileDat1 exename UserFile", "file not found"),
            ("fileexe EXENAME KORV.exe", "already listed on line 1"),
            ("8a exename KORV.exe", "beginning with a letter"),
            ("12345 exename KORV.exe", "beginning with a letter"),
            ("File-Dat exename KORV.exe", "letters, digits and underscores"),
            ("FileDat1 类型 KORV.exe", "letters, digits and underscores"),
            ("Icon exename KORV.exe", "reserved word"),
            ("FileDat1 rcdata KORV.exe", "reserved word"),
            ("PayloadSums txtname KORV.exe", "taken by the setup's own entry of the payload sums"),
            ("PAYLOADSUMS exename KORV.exe", "taken by the setup's own entry of the payload sums"),
        ]
        for bad_line, expected in cases:
            with self.subTest(line=bad_line):
                self.assert_line_refused(bad_line, expected)

    def assert_line_refused(self, bad_line, expected):
        """The line, put after the good lines, is refused with its number, text and reason."""
        message = manifest_errors(encode(GOOD_LINES + [bad_line]))
        self.assertIsNotNone(message)
        prefix = f"Setup.log line {len(GOOD_LINES) + 1}: "
        reports = [report for report in message.splitlines() if report.strip().startswith(prefix)]
        self.assertEqual(len(reports), 1, message)
        self.assertIn(expected, reports[0])
        self.assertTrue(reports[0].endswith(f'"{bad_line}"'), reports[0])

    def test_path_that_could_write_outside_the_install_folder_is_refused(self):
        # The setup runs elevated: every path must name a plain file below the install folder.
        # (path, expected reason)
        absolute = "the path must be relative to the install folder"
        dots = "the path must stay inside the install folder (no '.' or '..')"
        empty = "the path has an empty folder or file name"
        chars = "the path holds characters a Windows file name cannot have"
        edge = "in the path begins or ends with a space or ends with a dot"
        device = "in the path is the Windows device name"
        cases = [
            ("\\KORV.exe", f"{absolute} (it starts with a backslash)"),
            ("\\\\server\\share\\KORV.exe", f"{absolute} (it starts with a backslash)"),
            ("/KORV.exe", f"{absolute} (it starts with a slash)"),
            ("/UserFile\\KORV.exe", f"{absolute} (it starts with a slash)"),
            ("C:\\KORV.exe", f"{absolute} (it names the drive 'C:')"),
            ("d:KORV.exe", f"{absolute} (it names the drive 'd:')"),
            ("..\\KORV.exe", dots),
            ("UserFile\\..\\..\\KORV.exe", dots),
            ("UserFile\\..", dots),
            (".\\KORV.exe", dots),
            ("UserFile\\.\\KORV.exe", dots),
            ("UserFile\\\\KORV.exe", empty),
            ("UserFile\\", empty),
            ("UserFile \\KORV.exe", f"the name 'UserFile ' {edge}"),
            ("KORV.exe.", f"the name 'KORV.exe.' {edge}"),
            ("UserFile.\\KORV.exe", f"the name 'UserFile.' {edge}"),
            ("UserFile\\ 例题.Orv", f"the name ' 例题.Orv' {edge}"),
            ("...", f"the name '...' {edge}"),
            ("CON", f"the name 'CON' {device} CON"),
            ("nul.txt", f"the name 'nul.txt' {device} NUL"),
            ("Prn.tar.gz", f"the name 'Prn.tar.gz' {device} PRN"),
            ("UserFile\\aux\\KORV.exe", f"the name 'aux' {device} AUX"),
            ("UserFile\\NUL .txt", f"the name 'NUL .txt' {device} NUL"),
            ("COM1.dat", f"the name 'COM1.dat' {device} COM1"),
            ("com9", f"the name 'com9' {device} COM9"),
            ("LPT1\\KORV.exe", f"the name 'LPT1' {device} LPT1"),
            ("用户\\lpt9.Orv", f"the name 'lpt9.Orv' {device} LPT9"),
            ("UserFile/KORV.exe", f"{chars}: '/'"),
            ("UserFile\\C:KORV.exe", f"{chars}: ':'"),
            ("KORV.exe:stream", f"{chars}: ':'"),
            ("a<b>.txt", f"{chars}: '<' '>'"),
            ('"KORV".exe', f"{chars}: '\"'"),
            ("a|b.txt", f"{chars}: '|'"),
            ("KORV?.exe", f"{chars}: '?'"),
            ("*.exe", f"{chars}: '*'"),
            ("KORV\tx.exe", f"{chars}: '\\t'"),
            ("KORV\x01.exe", f"{chars}: '\\x01'"),
            ("KORV\x1f.exe", f"{chars}: '\\x1f'"),
        ]
        for path, expected in cases:
            with self.subTest(path=path):
                self.assert_line_refused(f"FileDat1 exename {path}", expected)

    def test_plain_paths_below_the_install_folder_are_kept(self):
        # Names that only look like devices, Chinese names, spaces and dots inside names.
        paths = [
            "数据 文件\\说明 第一章.txt",
            "用户\\CON名.txt",
            "CONSOLE.txt",
            "NULL",
            "AUXILIARY\\con_backup.dat",
            "COM10.dat",
            "LPT0.txt",
            "Prn1",
            ".korv\\a.b.c.txt",
            "Data..1\\v 1.0 final.dat",
        ]
        for path in paths:
            with self.subTest(path=path):
                line = f"FileDat1 name1 {path}"
                on_disk = path.replace("\\", "/")
                with ProductFolder(encode(GOOD_LINES + [line]), [on_disk]) as product:
                    entries = packer.read_manifest(product)
                    last = entries[-1]
                    self.assertEqual((last.line_number, last.rel_path), (len(GOOD_LINES) + 1, path))
                    with open(last.file_path, "rb") as listed:
                        self.assertEqual(listed.read(), on_disk.encode("utf-8"))

    def test_line_ends_and_encoding_are_checked(self):
        cases = [
            (encode(GOOD_LINES, ending=b"\n"), "line 1: lines must end with CR LF"),
            (encode(GOOD_LINES) + b"A\rB txtname x.txt\r\n", "line 7: lines must end with CR LF"),
            (encode(GOOD_LINES) + b"Bad txtname \xff\xfe.txt\r\n", "line 7: the line is not valid"),
            (encode(GOOD_LINES) + b"\r\n", "line 7: blank line"),
            (b"", "the install manifest is empty"),
        ]
        for data, expected in cases:
            with self.subTest(expected=expected):
                message = manifest_errors(data)
                self.assertIsNotNone(message)
                self.assertIn(expected, message)

    def test_entries_the_setup_opens_by_name_must_be_listed(self):
        for missing in range(5):
            lines = GOOD_LINES[:missing] + GOOD_LINES[missing + 1:]
            name, type_ = GOOD_LINES[missing].split(" ")[:2]
            with self.subTest(missing=name):
                message = manifest_errors(encode(lines))
                self.assertIsNotNone(message)
                self.assertIn(f"no line for the entry {name} {type_}", message)

    def test_a_malformed_line_for_a_required_entry_is_reported_once(self):
        lines = list(GOOD_LINES)
        lines[0] = "FileExe exename KORV.exe "
        message = manifest_errors(encode(lines))
        self.assertIn("line 1: trailing space", message)
        self.assertNotIn("no line for the entry FileExe", message)

    def test_manifest_entry_must_be_the_manifest_itself(self):
        lines = list(GOOD_LINES)
        lines[3] = "FileTxt5 txtname Setup.ini"
        message = manifest_errors(encode(lines))
        self.assertIsNotNone(message)
        self.assertIn("line 4: the entry FileTxt5 txtname must be the install manifest itself",
                      message)

    def test_every_problem_is_reported_not_only_the_first(self):
        message = manifest_errors(encode(GOOD_LINES + ["A  b c", "B c Missing.txt"]))
        self.assertIn("line 7: doubled space", message)
        self.assertIn("line 8: file not found", message)


def sums_lines(text):
    """The sums entry's bytes -> its lines; it must be ASCII with a CR LF after every line."""
    decoded = text.decode("ascii")
    assert decoded.endswith("\r\n") and "\n" not in decoded.replace("\r\n", ""), decoded
    return decoded[:-2].split("\r\n")


class PayloadSumsTest(unittest.TestCase):
    def expected_line(self, entry):
        with open(entry.file_path, "rb") as source:
            data = source.read()
        return (f"{entry.name} {entry.type} {len(data)} {hashlib.sha256(data).hexdigest()} "
                f"raw {len(data)}")

    def test_sums_list_every_entry_in_manifest_order_and_the_total(self):
        with ProductFolder(encode(GOOD_LINES)) as product:
            entries = packer.read_manifest(product)
            lines = sums_lines(packer.payload_sums(entries))
            expected = [self.expected_line(entry) for entry in entries]
        self.assertEqual(lines[0], "Korvello payload sums 2")
        self.assertEqual(lines[1:-1], expected)
        self.assertEqual(lines[1].split(" ")[:3], ["FileExe", "exename", str(len("KORV.exe"))])
        total = sum(len(rel.encode("utf-8")) for rel in PRODUCT_FILES) + len(encode(GOOD_LINES))
        self.assertEqual(lines[-1], f"total {total}")

    def test_total_counts_each_file_the_setup_writes_once(self):
        # The setup writes the main executable again under the configuration's [Run] FileName and
        # the uninstaller under "Uninstall.exe"; a path listed twice is one file.
        exe, uninstaller = len("KORV.exe"), len("Bin/Uninstall.exe")
        # (configuration text, uninstaller's manifest path, bytes beyond the manifest's files)
        cases = [
            ("[Run]\r\nFileName=KORV.exe\r\n", "Uninstall.exe", 0),
            ("[run]\r\n filename = korv.EXE \r\n", "Uninstall.exe", 0),
            ("[Run]\r\nFileName=Main.exe\r\n", "Uninstall.exe", exe),
            ("[Other]\r\nFileName=Main.exe\r\n", "Uninstall.exe", 0),
            ("[Run]\r\nFileName=KORV.exe\r\n", "Bin\\Uninstall.exe", uninstaller),
            ("[Run]\r\nFileName=Main.exe\r\n", "Bin\\Uninstall.exe", exe + uninstaller),
        ]
        for configuration, uninstaller_path, beyond in cases:
            with self.subTest(configuration=configuration, uninstaller=uninstaller_path):
                lines = list(GOOD_LINES)
                lines[1] = f"uninstall exename {uninstaller_path}"
                lines.append("FileCopy exename KORV.exe")
                extra = ["Bin/Uninstall.exe"] if uninstaller_path.startswith("Bin") else []
                with ProductFolder(encode(lines), extra) as product:
                    with open(os.path.join(product, "Setup.ini"), "wb") as ini:
                        ini.write(configuration.encode("gbk"))
                    entries = packer.read_manifest(product)
                    total_line = sums_lines(packer.payload_sums(entries))[-1]
                    distinct = {e.rel_path.upper(): os.path.getsize(e.file_path) for e in entries}
                self.assertEqual(total_line, f"total {sum(distinct.values()) + beyond}")


WINDRES = shutil.which("i686-w64-mingw32-windres")


@unittest.skipIf(WINDRES is None, "MinGW windres is not installed")
class CompiledPayloadTest(unittest.TestCase):
    def test_compiled_payload_matches_the_product_files(self):
        with ProductFolder(encode(GOOD_LINES)) as product:
            entries = packer.read_manifest(product)
            with tempfile.TemporaryDirectory() as work:
                packer.write_resource_script(entries, work)
                subprocess.run([WINDRES, "--preprocessor=cat", "-i", "payload.rc", "-O", "res",
                                "-o", "payload.res"], cwd=work, check=True)
                resources = packer.read_res_file(os.path.join(work, "payload.res"))
                total = packer.verify_payload(entries, os.path.join(work, "payload.res"))
            product_files = {}
            for entry in entries:
                with open(entry.file_path, "rb") as source:
                    product_files[(entry.name, entry.type)] = source.read()
        self.assertEqual(
            sorted((name, type_, language) for type_, name, language, _ in resources),
            sorted([(e.name.upper(), e.type.upper(), 0x0804) for e in entries]
                   + [("PAYLOADSUMS", "TXTNAME", 0x0804)]))
        # The sums read back out of the compiled payload describe the product's files.
        sums = [data for type_, name, _, data in resources if name == "PAYLOADSUMS"][0]
        lines = sums_lines(sums)
        self.assertEqual(lines[0], "Korvello payload sums 2")
        listed = {}
        for line in lines[1:-1]:
            name, type_, size, digest, form, stored = line.split(" ")
            self.assertEqual((form, stored), ("raw", size), "not stored: the sums say raw")
            listed[(name, type_)] = (int(size), digest)
        self.assertEqual(listed, {key: (len(data), hashlib.sha256(data).hexdigest())
                                  for key, data in product_files.items()})
        self.assertEqual(lines[-1], f"total {sum(len(d) for d in product_files.values())}")
        self.assertEqual(total, sum(len(rel.encode("utf-8")) for rel in PRODUCT_FILES) +
                         len(encode(GOOD_LINES)))

    def test_a_resource_that_differs_from_its_file_is_caught(self):
        with ProductFolder(encode(GOOD_LINES)) as product:
            entries = packer.read_manifest(product)
            with tempfile.TemporaryDirectory() as work:
                packer.write_resource_script(entries, work)
                subprocess.run([WINDRES, "--preprocessor=cat", "-i", "payload.rc", "-O", "res",
                                "-o", "payload.res"], cwd=work, check=True)
                with open(entries[0].file_path, "ab") as changed:
                    changed.write(b"!")
                with self.assertRaisesRegex(packer.PackError, "line 1: the compiled resource"):
                    packer.verify_payload(entries, os.path.join(work, "payload.res"))

    def test_sums_that_differ_from_the_entries_are_caught(self):
        with ProductFolder(encode(GOOD_LINES)) as product:
            entries = packer.read_manifest(product)
            with tempfile.TemporaryDirectory() as work:
                packer.write_resource_script(entries, work)
                with open(os.path.join(work, "sums.txt"), "r+b") as sums:
                    text = sums.read().replace(b"FileExe exename 8 ", b"FileExe exename 9 ")
                    sums.seek(0)
                    sums.write(text)
                subprocess.run([WINDRES, "--preprocessor=cat", "-i", "payload.rc", "-O", "res",
                                "-o", "payload.res"], cwd=work, check=True)
                with self.assertRaisesRegex(packer.PackError, "payload sums differ"):
                    packer.verify_payload(entries, os.path.join(work, "payload.res"))


# A database-like file that compresses well, and random bytes that do not compress at all.
RECORDS = b"".join(b"%08d Lumenford record %-30s|" % (n, b"x" * (n % 29)) for n in range(4000))
RANDOM = bytes(hashlib.sha256(str(n).encode()).digest()[n % 32] for n in range(20000))


def zstd_window_size(frame):
    """The window a zstd frame's header asks the decoder for: its Window_Descriptor, or the
    content size of a single-segment frame."""
    descriptor = frame[4]
    if descriptor & 0x20:  # single segment: the window is the content size
        size_bytes = {0: 1, 1: 2, 2: 4, 3: 8}[descriptor >> 6]
        return int.from_bytes(frame[5:5 + size_bytes], "little")
    window = frame[5]
    exponent, mantissa = window >> 3, window & 7
    base = 1 << (10 + exponent)
    return base + (base >> 3) * mantissa


class CompressionTest(unittest.TestCase):
    """Entries are carried as zstd frames where that makes them smaller, the staged entries never,
    the same bytes every time, with a window the setup's decoder accepts."""

    def stored(self, files):
        """(entries after store_entries, their sums' lines, stored bytes by name) for a product
        whose extra entries are the given {relative path: bytes}."""
        lines = list(GOOD_LINES) + [f"Data{i} datname {rel}" for i, rel in enumerate(files)]
        with ProductFolder(encode(lines), files.keys()) as product:
            for rel, data in files.items():
                with open(os.path.join(product, rel), "wb") as out:
                    out.write(data)
            # The staged entries compress too, were they allowed to.
            for staged in ("Setup.ini", "用户授权协议.txt"):
                with open(os.path.join(product, staged), "wb") as out:
                    out.write(RECORDS)
            with tempfile.TemporaryDirectory() as work:
                entries = packer.read_manifest(product)
                packer.store_entries(entries, work)
                sums = sums_lines(packer.payload_sums(entries))[1:-1]
                stored = {}
                for entry in entries:
                    with open(entry.stored_path, "rb") as data:
                        stored[entry.name] = data.read()
        return entries, sums, stored

    def test_compressed_where_smaller_raw_otherwise_and_staged_entries_raw(self):
        files = {"Base.dat": RECORDS, "help.chm": RANDOM, "tiny.txt": b"ab"}
        entries, sums, stored = self.stored(files)
        forms = {line.split(" ")[0]: line.split(" ")[4:] for line in sums}
        self.assertEqual(forms["Data0"], ["zstd", str(len(stored["Data0"]))])
        self.assertLess(len(stored["Data0"]), len(RECORDS) // 4)
        self.assertEqual(stored["Data0"][:4], b"\x28\xb5\x2f\xfd")
        self.assertTrue(stored["Data0"][4] & 0x04, "the frame carries its content checksum")
        decoded = subprocess.run(["zstd", "-d", "-c"], input=stored["Data0"],
                                 stdout=subprocess.PIPE, check=True).stdout
        self.assertEqual(decoded, RECORDS)
        for name, data in (("Data1", RANDOM), ("Data2", b"ab")):
            self.assertEqual(forms[name], ["raw", str(len(data))], name)
            self.assertEqual(stored[name], data, name)
        for name in ("FileTxt4", "FileTxt5", "FileTxt7"):
            self.assertEqual(forms[name][0], "raw", name)
        # The sums still give the file's own size and digest.
        data_line = [line for line in sums if line.startswith("Data0 ")][0].split(" ")
        self.assertEqual(data_line[2:4], [str(len(RECORDS)), hashlib.sha256(RECORDS).hexdigest()])

    def test_the_same_product_stores_the_same_bytes(self):
        files = {"Base.dat": RECORDS * 3}
        self.assertEqual(self.stored(files)[1:], self.stored(files)[1:])

    def test_the_window_stays_within_the_setups_decoder(self):
        # Larger than the window, so that the frame is not one segment of its content size.
        big = b"".join(hashlib.sha256(str(n).encode()).digest() for n in range(50000)) * 2
        _, _, stored = self.stored({"big.dat": big})
        frame = stored["Data0"]
        self.assertEqual(frame[:4], b"\x28\xb5\x2f\xfd")
        self.assertLessEqual(zstd_window_size(frame), 2 << 20)
        self.assertLess(len(frame), len(big) * 3 // 5, "the repeat 1.6 MB back, within the window, is found")



class PayloadLimitTest(unittest.TestCase):
    """A 32-bit setup program cannot start with more payload than its address space holds."""

    def entries_of_sizes(self, folder, sizes):
        """Entries of the given (file size, carried size) pairs, as sparse files."""
        entries = []
        for index, (size, carried) in enumerate(sizes):
            path = os.path.join(folder, f"part{index}.bin")
            with open(path, "wb") as part:
                part.truncate(size)  # sparse: the size without the disk space
            entry = packer.Entry(index + 1, "", f"Part{index}", "datname", path, path)
            if carried != size:
                entry.stored_path = path + ".zst"
                with open(entry.stored_path, "wb") as part:
                    part.truncate(carried)
            entries.append(entry)
        return entries

    def test_what_the_setup_carries_over_the_limit_of_a_32_bit_setup_is_refused(self):
        limit = packer.PAYLOAD_LIMITS["i686"]
        # (kit architecture, (file size, carried size) of each entry, refused)
        cases = [
            ("i686", [(limit, limit)], False),
            ("i686", [(limit // 2, limit // 2), (limit // 2, limit // 2), (1, 1)], True),
            ("i686", [(limit + 4096, limit + 4096)], True),
            ("i686", [(limit * 3, limit // 3), (limit, limit // 3)], False),
            ("i686", [(limit * 3, limit - 1), (2, 2)], True),
            ("x86_64", [(limit + 4096, limit + 4096)], False),
        ]
        for arch, sizes, refused in cases:
            with self.subTest(arch=arch, sizes=sizes), tempfile.TemporaryDirectory() as folder:
                entries = self.entries_of_sizes(folder, sizes)
                kit = {"KORV_KIT_ARCH": arch}
                carried = sum(size for _, size in sizes)
                if not refused:
                    self.assertEqual(packer.check_payload_size(entries, kit), carried)
                    continue
                with self.assertRaises(packer.PackError) as raised:
                    packer.check_payload_size(entries, kit)
                self.assertIn(f"{carried:,} bytes", str(raised.exception))
                self.assertIn(f"{limit:,} bytes", str(raised.exception))

    def test_pack_refuses_before_linking_anything(self):
        # A file that does not compress: its frame is no smaller (sparse here, to spare the disk).
        def compress_nothing(path, out_path):
            with open(out_path, "wb") as out:
                out.truncate(os.path.getsize(path))

        with ProductFolder(encode(GOOD_LINES)) as product, \
                tempfile.TemporaryDirectory() as kit_dir, \
                mock.patch.object(packer, "compress", compress_nothing):
            with open(os.path.join(product, "KORV.exe"), "wb") as big:
                big.truncate(packer.PAYLOAD_LIMITS["i686"] + 1)
            with open(os.path.join(kit_dir, "kit.env"), "w", encoding="utf-8") as env:
                env.write('KORV_KIT_ARCH="i686"\nKORV_CXX="false"\nKORV_WINDRES="false"\n'
                          'KORV_LDFLAGS=""\nKORV_OBJECTS=""\nKORV_LIBRARIES=""\n'
                          'KORV_PAYLOAD_FORMS="raw zstd"\n')
            out = os.path.join(kit_dir, "setup.exe")
            with self.assertRaisesRegex(packer.PackError, "MiB\\) in all"):
                packer.pack(kit_dir, product, out)
            self.assertFalse(os.path.exists(out))


def setup_kits():
    """The kits to pack with: $KORV_PACKKIT, else the kits of the Windows builds that have one.

    tools/test.sh builds the Windows builds before it runs these checks, with KORV_BUILD_ROOT
    set, so there the kits exist."""
    if os.environ.get("KORV_PACKKIT"):
        return [os.environ["KORV_PACKKIT"]]
    build_root = os.environ.get("KORV_BUILD_ROOT") or os.path.join(REPO_ROOT, "build")
    kits = [os.path.join(build_root, build, "packkit") for build in ("win", "win64")]
    return [kit for kit in kits if os.path.isfile(os.path.join(kit, "kit.env"))]


def wait_for_next_second():
    """Sleeps into the next second of the clock, so two links see different times."""
    now = time.time()
    time.sleep(int(now) + 1 - now + 0.01)


@unittest.skipIf(not setup_kits(),
                 "no setup kit: build one (tools/build.sh win) or set KORV_PACKKIT")
class ReproduciblePackTest(unittest.TestCase):
    def test_packing_the_same_product_twice_gives_the_same_bytes(self):
        for kit in setup_kits():
            with self.subTest(kit=kit):
                with ProductFolder(encode(GOOD_LINES)) as product, \
                        tempfile.TemporaryDirectory() as first_dir, \
                        tempfile.TemporaryDirectory() as second_dir:
                    first = os.path.join(first_dir, "setup.exe")
                    second = os.path.join(second_dir, "other name.exe")
                    packer.pack(kit, product, first)
                    wait_for_next_second()
                    packer.pack(kit, product, second)
                    with open(first, "rb") as one, open(second, "rb") as other:
                        first_bytes, second_bytes = one.read(), other.read()
                self.assertEqual(first_bytes[:2], b"MZ")
                self.assertEqual(len(first_bytes), len(second_bytes))
                pairs = zip(first_bytes, second_bytes)
                differing = [offset for offset, (a, b) in enumerate(pairs) if a != b]
                self.assertEqual(differing, [], f"the packs differ at {len(differing)} offsets, "
                                 f"the first at {differing[:1]}")


@unittest.skipIf(not setup_kits(),
                 "no setup kit: build one (tools/build.sh win) or set KORV_PACKKIT")
class PackedSumsTest(unittest.TestCase):
    def test_the_setup_program_carries_the_sums_of_its_payload(self):
        for kit in setup_kits():
            with self.subTest(kit=kit):
                with ProductFolder(encode(GOOD_LINES)) as product, \
                        tempfile.TemporaryDirectory() as out_dir:
                    entries = packer.read_manifest(product)
                    sums = packer.payload_sums(entries)
                    out = os.path.join(out_dir, "setup.exe")
                    packer.pack(kit, product, out)
                    with open(out, "rb") as image:
                        data = image.read()
                self.assertIn(sums, data)
                self.assertIn("PAYLOADSUMS".encode("utf-16-le"), data)


@unittest.skipIf(not setup_kits(),
                 "no setup kit: build one (tools/build.sh win) or set KORV_PACKKIT")
class KitFormsTest(unittest.TestCase):
    """A kit whose program cannot decode (one built before it could) gets every entry as it is:
    a frame it would write as the file would install a broken product."""

    def sums_of_pack(self, kit):
        lines = list(GOOD_LINES) + ["Data0 datname Base.dat"]
        with ProductFolder(encode(lines), ["Base.dat"]) as product, \
                tempfile.TemporaryDirectory() as out_dir:
            with open(os.path.join(product, "Base.dat"), "wb") as out:
                out.write(RECORDS)
            out = os.path.join(out_dir, "setup.exe")
            packer.pack(kit, product, out)
            with open(out, "rb") as image:
                data = image.read()
        # The resources come after the program's own text, which names the first line too.
        start = data.rindex(b"Korvello payload sums")
        return data[start:data.index(b"total ", start)].decode("ascii").split("\r\n")

    def test_only_a_kit_that_decodes_gets_compressed_entries(self):
        for kit in setup_kits():
            with self.subTest(kit=kit), tempfile.TemporaryDirectory() as old_kit:
                shutil.copytree(kit, old_kit, dirs_exist_ok=True)
                env = os.path.join(old_kit, "kit.env")
                with open(env, encoding="utf-8") as settings:
                    kept = [line for line in settings if not line.startswith("KORV_PAYLOAD_FORMS=")]
                with open(env, "w", encoding="utf-8") as settings:
                    settings.writelines(kept)
                forms = {line.split(" ")[0]: line.split(" ")[4]
                         for line in self.sums_of_pack(kit)[1:] if line}
                old_forms = {line.split(" ")[0]: line.split(" ")[4]
                             for line in self.sums_of_pack(old_kit)[1:] if line}
                self.assertEqual(forms["Data0"], "zstd")
                self.assertEqual(set(old_forms.values()), {"raw"})


@unittest.skipIf(not setup_kits(),
                 "no setup kit: build one (tools/build.sh win) or set KORV_PACKKIT")
class ReadOnlyPayloadTest(unittest.TestCase):
    def test_the_resource_section_is_read_only_data(self):
        for kit in setup_kits():
            with self.subTest(kit=kit):
                with ProductFolder(encode(GOOD_LINES)) as product, \
                        tempfile.TemporaryDirectory() as out_dir:
                    out = os.path.join(out_dir, "setup.exe")
                    packer.pack(kit, product, out)
                    with open(out, "rb") as image:
                        data = image.read()
                flags = {name: struct.unpack_from("<I", data, offset + 36)[0]
                         for name, offset in packer.pe_sections(data)}
                self.assertIn(".rsrc", flags)
                self.assertEqual(flags[".rsrc"] & packer.IMAGE_SCN_MEM_WRITE, 0,
                                 f"the resource section is writable ({flags['.rsrc']:#x})")
                self.assertNotEqual(flags[".rsrc"] & 0x40000000, 0, "the resource section "
                                    "is not readable")
                self.assertNotEqual(flags[".data"] & packer.IMAGE_SCN_MEM_WRITE, 0,
                                    "the program's own data lost its write flag")

class VersionNumbersTest(unittest.TestCase):
    def test_the_serial_gives_two_digits_a_component(self):
        # (serial, version)
        cases = [
            ("02080308", (2, 8, 3, 8)),
            ("10203099", (10, 20, 30, 99)),
            ("00000000", (0, 0, 0, 0)),
            ("0208", (2, 8, 0, 0)),
            ("", (0, 0, 0, 0)),
            (None, (0, 0, 0, 0)),
        ]
        for serial, version in cases:
            with self.subTest(serial=serial):
                self.assertEqual(packer.version_numbers(serial), version)

    def test_a_serial_that_is_no_version_is_refused(self):
        for serial in ["2080308", "0208030800", "02O80308", "-2080308", "0208 308", "2"]:
            with self.subTest(serial=serial):
                with self.assertRaisesRegex(packer.PackError, "\\[Form\\] Serial"):
                    packer.version_numbers(serial)


def other_icon_pixel(x, y, size):
    """A picture unlike the kit's default: a red and green checkerboard."""
    return (200, 30, 30, 255) if (x // 4 + y // 4) % 2 else (30, 160, 60, 255)


class IconCheckTest(unittest.TestCase):
    def test_only_a_whole_icon_file_is_taken(self):
        good = artwork.icon_file((16, 32), other_icon_pixel)
        # (file bytes, expected problem or None)
        cases = [
            (good, None),
            (artwork.icon_file((48,), artwork.setup_icon_pixel), None),
            (b"", "no icon file"),
            (b"BM" + good[2:], "no icon file"),
            (good[:4] + b"\0\0" + good[6:], "empty or cut short"),
            (good[:20], "empty or cut short"),
            (good[:-1], "image 2 lies beyond the end"),
        ]
        for data, problem in cases:
            with self.subTest(problem=problem, size=len(data)), \
                    tempfile.TemporaryDirectory() as folder:
                path = os.path.join(folder, "Setup.ico")
                with open(path, "wb") as icon:
                    icon.write(data)
                if problem is None:
                    packer.check_icon(path)
                    continue
                with self.assertRaisesRegex(packer.PackError, problem):
                    packer.check_icon(path)


RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16


def resource_leaves(pe, type_id):
    """(id, data) of every resource of a numbered type, in directory order (as Explorer reads)."""
    leaves = []
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if type_entry.id != type_id:
            continue
        for name_entry in type_entry.directory.entries:
            for language_entry in name_entry.directory.entries:
                rva, size = language_entry.data.struct.OffsetToData, language_entry.data.struct.Size
                leaves.append((name_entry.id, pe.get_data(rva, size)))
    return leaves


def first_icon_images(pe):
    """The images of the first icon group, in the group's order."""
    groups = resource_leaves(pe, RT_GROUP_ICON)
    icons = dict(resource_leaves(pe, RT_ICON))
    _, group = groups[0]
    _, _, count = struct.unpack_from("<HHH", group)
    return [icons[struct.unpack_from("<H", group, 6 + 14 * i + 12)[0]] for i in range(count)]


def icon_file_images(data):
    _, _, count = struct.unpack_from("<HHH", data)
    images = []
    for index in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * index + 8)
        images.append(data[offset:offset + size])
    return images


def read_kit_icon(kit):
    settings = packer.read_kit(kit)
    with open(os.path.join(kit, settings["KORV_ICON"]), "rb") as icon:
        return icon.read()


SAMPLE_CONFIGURATION = ("[***]\r\n[Form]\r\nCaption=Korvellov2.8.3.8（标准版-k）\r\n"
                        "Serial=02080308\r\nVersion=2.8.3.8（标准版-k）\r\n"
                        "[Run]\r\nFileName=KORV.exe\r\n")


def pack_product(kit, out, configuration=SAMPLE_CONFIGURATION, icon=None, signing=None):
    """Packs the small product with the configuration given and, if given, its own Setup.ico."""
    with ProductFolder(encode(GOOD_LINES)) as product:
        with open(os.path.join(product, "Setup.ini"), "wb") as ini:
            ini.write(configuration.encode("gbk"))
        if icon is not None:
            with open(os.path.join(product, "Setup.ico"), "wb") as product_icon:
                product_icon.write(icon)
        packer.pack(kit, product, out, signing=signing)


@unittest.skipIf(not setup_kits(),
                 "no setup kit: build one (tools/build.sh win) or set KORV_PACKKIT")
class VersionResourceTest(unittest.TestCase):
    def setUp(self):
        self.assertIsNotNone(pefile, "python3-pefile is not installed (tools/deps.sh)")

    def packed(self, kit, **product):
        with tempfile.TemporaryDirectory() as out_dir:
            out = os.path.join(out_dir, "setup.exe")
            pack_product(kit, out, **product)
            with open(out, "rb") as image:
                data = image.read()
        return pefile.PE(data=data)

    def test_version_and_names_come_from_the_configuration(self):
        # ([Form] Serial line, version numbers, version string)
        cases = [
            ("Serial=02080308", (2, 8, 3, 8), "2.8.3.8"),
            ("serial = 12000199 ", (12, 0, 1, 99), "12.0.1.99"),
            ("Caption=no serial", (0, 0, 0, 0), "0.0.0.0"),
        ]
        for kit in setup_kits():
            for serial_line, numbers, dotted in cases:
                with self.subTest(kit=kit, serial=serial_line):
                    configuration = SAMPLE_CONFIGURATION.replace("Serial=02080308", serial_line)
                    pe = self.packed(kit, configuration=configuration)
                    self.assertEqual(len(resource_leaves(pe, RT_VERSION)), 1)
                    fixed = pe.VS_FIXEDFILEINFO[0]
                    for ms, ls in ((fixed.FileVersionMS, fixed.FileVersionLS),
                                   (fixed.ProductVersionMS, fixed.ProductVersionLS)):
                        self.assertEqual((ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF), numbers)
                    self.assertEqual(fixed.FileType, 1)  # an application
                    tables = [table for info in pe.FileInfo[0] if info.Key == b"StringFileInfo"
                              for table in info.StringTable]
                    self.assertEqual([table.LangID for table in tables], [b"080404b0"])
                    self.assertEqual(
                        {key.decode("utf-8"): value.decode("utf-8")
                         for key, value in tables[0].entries.items()},
                        {"CompanyName": "Lumenford", "FileDescription": "Korvello 安装程序",
                         "FileVersion": dotted, "LegalCopyright": "© Lumenford",
                         "OriginalFilename": "setup.exe", "ProductName": "Korvello",
                         "ProductVersion": dotted})
                    translations = [var.entry for info in pe.FileInfo[0]
                                    if info.Key == b"VarFileInfo" for var in info.Var]
                    self.assertEqual(translations, [{b"Translation": "0x0804 0x04b0"}])

    def test_a_bad_serial_stops_the_pack_without_a_setup(self):
        with tempfile.TemporaryDirectory() as out_dir:
            out = os.path.join(out_dir, "setup.exe")
            configuration = SAMPLE_CONFIGURATION.replace("02080308", "2.8.3.8")
            with self.assertRaisesRegex(packer.PackError, "Serial '2.8.3.8'"):
                pack_product(setup_kits()[0], out, configuration=configuration)
            self.assertFalse(os.path.exists(out))

    def test_the_product_icon_replaces_the_kit_default(self):
        product_icon = artwork.icon_file((16, 32), other_icon_pixel)
        for kit in setup_kits():
            default_icon = read_kit_icon(kit)
            self.assertNotEqual(icon_file_images(default_icon), icon_file_images(product_icon))
            # (Setup.ico of the product folder, the icon file the setup must carry)
            for brought, carried in ((None, default_icon), (product_icon, product_icon)):
                with self.subTest(kit=kit, own_icon=brought is not None):
                    pe = self.packed(kit, icon=brought)
                    self.assertEqual(len(resource_leaves(pe, RT_GROUP_ICON)), 1)
                    self.assertEqual(first_icon_images(pe), icon_file_images(carried))

    def test_a_product_icon_that_is_no_icon_stops_the_pack(self):
        with tempfile.TemporaryDirectory() as out_dir:
            out = os.path.join(out_dir, "setup.exe")
            with self.assertRaisesRegex(packer.PackError, "Setup.ico cannot be used"):
                pack_product(setup_kits()[0], out, icon=b"not an icon")
            self.assertFalse(os.path.exists(out))


OSSLSIGNCODE = shutil.which("osslsigncode")
OPENSSL = shutil.which("openssl")
PASSWORD = "correct horse 电池"


class ThrowAwayCertificate:
    """A self-signed code-signing certificate and its key in a password-protected PKCS#12 file,
    the certificate alone as PEM (to trust it when verifying) and a password file whose first
    line is the password."""

    def __init__(self, folder):
        self.pem = os.path.join(folder, "signer.pem")
        self.pfx = os.path.join(folder, "signer.pfx")
        self.password_file = os.path.join(folder, "password.txt")
        key = os.path.join(folder, "signer.key")
        subprocess.run([OPENSSL, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                        "-out", self.pem, "-days", "2", "-subj", "/CN=Korvello test signer",
                        "-addext", "extendedKeyUsage=codeSigning",
                        "-addext", "keyUsage=digitalSignature"],
                       check=True, capture_output=True)
        with open(self.password_file, "wb") as out:
            out.write(f"{PASSWORD}\nnot part of the password\n".encode("utf-8"))
        subprocess.run([OPENSSL, "pkcs12", "-export", "-inkey", key, "-in", self.pem,
                        "-out", self.pfx, "-passout", f"file:{self.password_file}"],
                       check=True, capture_output=True)


def verifies(path, certificate):
    result = subprocess.run([OSSLSIGNCODE, "verify", "-CAfile", certificate.pem, "-in", path],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return result.returncode == 0


@unittest.skipIf(not setup_kits(),
                 "no setup kit: build one (tools/build.sh win) or set KORV_PACKKIT")
class SigningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="korvpack-sign.")
        if OSSLSIGNCODE is None or OPENSSL is None:
            return
        cls.certificate = ThrowAwayCertificate(cls.folder)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def setUp(self):
        self.assertIsNotNone(OSSLSIGNCODE, "osslsigncode is not installed (tools/deps.sh)")
        self.assertIsNotNone(OPENSSL, "openssl is not installed")
        self.kit = setup_kits()[0]
        self.out_dir = tempfile.mkdtemp(prefix="korvpack-signed.")
        self.addCleanup(shutil.rmtree, self.out_dir)

    def signing(self, password_file=None):
        return packer.Signing(self.certificate.pfx, password_file or
                              self.certificate.password_file)

    def pack_to(self, name, signing=None):
        out = os.path.join(self.out_dir, name)
        pack_product(self.kit, out, signing=signing)
        with open(out, "rb") as image:
            return out, image.read()

    def test_a_signed_setup_verifies_and_is_the_unsigned_one_plus_its_signature(self):
        with mock.patch.object(packer.subprocess, "run", wraps=subprocess.run) as recorded:
            signed_path, signed = self.pack_to("signed.exe", self.signing())
        commands = [list(call.args[0]) for call in recorded.call_args_list]
        self.assertTrue(verifies(signed_path, self.certificate))
        self.assertTrue(any(command[1:2] == ["sign"] for command in commands), commands)
        self.assertFalse([c for c in commands if any(PASSWORD in word for word in c)],
                         "the password went on a command line")

        _, unsigned = self.pack_to("unsigned.exe")
        self.assertFalse(verifies(os.path.join(self.out_dir, "unsigned.exe"), self.certificate))
        stripped = os.path.join(self.out_dir, "stripped.exe")
        subprocess.run([OSSLSIGNCODE, "remove-signature", "-in", signed_path, "-out", stripped],
                       check=True, capture_output=True)
        with open(stripped, "rb") as image:
            without_signature = image.read()
        # Signing adds the signature and the header's checksum of the signed file, nothing else.
        checksum = packer_checksum_offset(unsigned)
        self.assertEqual(without_signature[:checksum] + without_signature[checksum + 4:],
                         unsigned[:checksum] + unsigned[checksum + 4:])
        self.assertGreater(len(signed), len(unsigned))

    def test_signing_without_a_time_stamp_is_reproducible(self):
        _, first = self.pack_to("first.exe", self.signing())
        wait_for_next_second()
        _, second = self.pack_to("second.exe", self.signing())
        self.assertEqual(first, second)

    def test_a_setup_changed_by_one_byte_after_signing_does_not_verify(self):
        signed_path, signed = self.pack_to("signed.exe", self.signing())
        # A byte of the header, of the program and of the payload.
        for offset in (0x40, len(signed) // 4, len(signed) // 2):
            with self.subTest(offset=offset):
                changed = bytearray(signed)
                changed[offset] ^= 0x01
                path = os.path.join(self.out_dir, f"changed-{offset}.exe")
                with open(path, "wb") as image:
                    image.write(changed)
                self.assertFalse(verifies(path, self.certificate))

    def test_a_wrong_password_fails_the_pack_without_a_setup(self):
        wrong = os.path.join(self.out_dir, "wrong.txt")
        # The whole file is no password either: only its first line is.
        for text in ("wrong\n", f"{PASSWORD}x\n", f"x\n{PASSWORD}\n"):
            with self.subTest(password_file=text):
                with open(wrong, "w", encoding="utf-8") as out:
                    out.write(text)
                with self.assertRaisesRegex(packer.PackError, "the password is wrong"):
                    self.pack_to("setup.exe", self.signing(wrong))
                self.assertFalse(os.path.exists(os.path.join(self.out_dir, "setup.exe")))

    def test_a_signature_that_does_not_verify_fails_the_pack_without_a_setup(self):
        real_sign = packer.sign

        def sign_then_change(unsigned, signed, signing, work_dir):
            real_sign(unsigned, signed, signing, work_dir)
            with open(signed, "r+b") as image:
                image.seek(os.path.getsize(signed) // 2)
                byte = image.read(1)
                image.seek(-1, os.SEEK_CUR)
                image.write(bytes([byte[0] ^ 0x01]))

        with mock.patch.object(packer, "sign", side_effect=sign_then_change), \
                self.assertRaisesRegex(packer.PackError, "does not verify"):
            self.pack_to("setup.exe", self.signing())
        self.assertFalse(os.path.exists(os.path.join(self.out_dir, "setup.exe")))

    def payload_uninstaller(self, signing=None):
        """The Uninstall.exe a setup carries for a product folder that brings none: the file the
        setup installs (decoded when it is carried compressed)."""
        self.assertIsNotNone(pefile, "python3-pefile is not installed (tools/deps.sh)")
        out = os.path.join(self.out_dir, "kit-uninstaller.exe")
        with ProductFolder(encode(GOOD_LINES)) as product:
            os.remove(os.path.join(product, "Uninstall.exe"))
            packer.pack(self.kit, product, out, signing=signing)
        image = pefile.PE(out)
        for kind in image.DIRECTORY_ENTRY_RESOURCE.entries:
            if str(kind.name) != "EXENAME":
                continue
            for entry in kind.directory.entries:
                if str(entry.name) == "UNINSTALL":
                    data = entry.directory.entries[0].data.struct
                    carried = image.get_data(data.OffsetToData, data.Size)
        image.close()
        if carried[:4] == b"\x28\xb5\x2f\xfd":
            carried = subprocess.run(["zstd", "-d", "-c"], input=carried, stdout=subprocess.PIPE,
                                     check=True).stdout
        path = os.path.join(self.out_dir, "Uninstall.exe")
        with open(path, "wb") as program:
            program.write(carried)
        return path, carried

    def test_the_kits_uninstaller_is_signed_with_the_setup_and_left_alone_without(self):
        with open(os.path.join(self.kit, "Uninstall.exe"), "rb") as kit_file:
            kit_uninstaller = kit_file.read()
        path, unsigned = self.payload_uninstaller()
        self.assertEqual(unsigned, kit_uninstaller)
        self.assertFalse(verifies(path, self.certificate))
        path, signed = self.payload_uninstaller(self.signing())
        self.assertTrue(verifies(path, self.certificate), "the carried uninstaller is not signed")
        self.assertEqual(signed[:2], b"MZ")


def packer_checksum_offset(image):
    """Where the optional header keeps the image's checksum."""
    (header,) = struct.unpack_from("<I", image, 0x3C)
    return header + 24 + 64


if __name__ == "__main__":
    unittest.main()
