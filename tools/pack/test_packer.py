#!/usr/bin/env python3
"""Checks of the packer's manifest validation and of its reading of compiled resources.

Run: python3 -m unittest discover -s tools/pack -p 'test_*.py'
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import packer  # noqa: E402

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
    """A throw-away product folder whose manifest is the given bytes."""

    def __init__(self, manifest_bytes):
        self.path = tempfile.mkdtemp(prefix="korvpack-test.")
        for rel in PRODUCT_FILES:
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


def manifest_errors(manifest_bytes):
    with ProductFolder(manifest_bytes) as product:
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
            ("FileDat1 exename ..\\KORV.exe", "inside the install folder"),
            ("FileDat1 exename \\KORV.exe", "relative to the install folder"),
            ("FileDat1 exename C:\\KORV.exe", "characters a Windows file name cannot have"),
            ("FileDat1 exename UserFile/KORV.exe", "characters a Windows file name cannot have"),
            ("FileDat1 exename UserFile\\\\KORV.exe", "empty folder or file name"),
            ("FileDat1 exename UserFile\\", "empty folder or file name"),
        ]
        bad_line_number = len(GOOD_LINES) + 1
        for bad_line, expected in cases:
            with self.subTest(line=bad_line):
                message = manifest_errors(encode(GOOD_LINES + [bad_line]))
                self.assertIsNotNone(message)
                self.assertIn(f"line {bad_line_number}: ", message)
                self.assertIn(expected, message)
                self.assertIn(f'"{bad_line}"', message)

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
        self.assertEqual(
            sorted((name, type_, language) for type_, name, language, _ in resources),
            sorted((e.name.upper(), e.type.upper(), 0x0804) for e in entries))
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


if __name__ == "__main__":
    unittest.main()
