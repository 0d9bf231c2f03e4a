#!/usr/bin/env python3
"""Checks of the sample product's generated data files: exact sizes, the same bytes on every run,
and content that looks (and compresses) like the kind of file it stands for.

Run: python3 -m unittest discover -s product -p 'test_*.py'
"""

import io
import os
import shutil
import struct
import sys
import tempfile
import unittest
import zlib
from contextlib import redirect_stderr

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import generate  # noqa: E402

TABLE = os.path.join(HERE, "generated.tsv")


def generate_into(table, folder):
    with redirect_stderr(io.StringIO()) as errors:
        status = generate.main(["generate.py", table, folder])
    return status, errors.getvalue()


def read(folder, rel):
    with open(os.path.join(folder, rel), "rb") as data:
        return data.read()


def zlib_ratio(data):
    sample = data[: 1 << 20]
    return len(zlib.compress(sample, 9)) / len(sample)


class SampleProductTest(unittest.TestCase):
    """One generation of the whole table, shared by the checks of its files."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="korvgen-test.")
        status, errors = generate_into(TABLE, cls.folder)
        if status != 0:
            raise RuntimeError(f"generate.py failed: {errors}")
        cls.entries = generate.read_table(TABLE)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def files_of(self, *kinds):
        found = [(rel, size, arg) for rel, size, kind, arg in self.entries if kind in kinds]
        self.assertTrue(found, f"the table lists no file of kind {kinds}")
        return found

    def test_every_file_has_the_size_of_the_table(self):
        for rel, size, _, _ in self.entries:
            with self.subTest(rel=rel):
                self.assertEqual(os.path.getsize(os.path.join(self.folder, rel)), size)

    def test_a_second_run_gives_the_same_bytes(self):
        again = tempfile.mkdtemp(prefix="korvgen-test.")
        try:
            self.assertEqual(generate_into(TABLE, again)[0], 0)
            for rel, _, _, _ in self.entries:
                with self.subTest(rel=rel):
                    self.assertEqual(read(again, rel), read(self.folder, rel))
        finally:
            shutil.rmtree(again, ignore_errors=True)

    def test_a_file_depends_only_on_its_path_and_size(self):
        # The same row alone in a table of its own gives the same bytes as in the whole table.
        rel, size, kind, arg = next(e for e in self.entries if e[2] == "db")
        alone = tempfile.mkdtemp(prefix="korvgen-test.")
        try:
            table = os.path.join(alone, "one.tsv")
            with open(table, "w", encoding="utf-8") as out:
                out.write(f"{size}\t{kind}:{arg}\t{rel}\n")
            self.assertEqual(generate_into(table, os.path.join(alone, "out"))[0], 0)
            self.assertEqual(read(os.path.join(alone, "out"), rel), read(self.folder, rel))
        finally:
            shutil.rmtree(alone, ignore_errors=True)

    def test_data_compresses_like_its_kind(self):
        # Structured data shrinks well; a help file, compressed by its own format, does not.
        # (The smallest files are left out: a few kilobytes are too few to judge by.)
        bounds = {"db": 0.40, "idx": 0.50, "memo": 0.15, "font": 0.50, "template": 0.30,
                  "document": 0.30, "rtf": 0.30, "bmp": 0.10}
        for rel, size, kind, _ in self.entries:
            if size < 8192:
                continue
            with self.subTest(rel=rel, kind=kind):
                ratio = zlib_ratio(read(self.folder, rel))
                if kind == "bin":
                    self.assertGreater(ratio, 0.95)
                else:
                    self.assertLess(ratio, bounds[kind])

    def test_database_records_are_fixed_length_text(self):
        for rel, size, arg in self.files_of("db"):
            with self.subTest(rel=rel):
                data = read(self.folder, rel)
                magic, count, header_size, record_size, fields = struct.unpack_from("<4sIIHH", data)
                self.assertEqual(magic, b"KDB\x01")
                self.assertEqual(record_size, int(arg.split(":")[0]))
                widths = [struct.unpack_from("<11scB", data, 32 + 13 * i)[2] for i in range(fields)]
                self.assertEqual(1 + sum(widths), record_size)
                end = header_size + count * record_size
                self.assertLessEqual(end + 1, size)
                self.assertEqual(data[end:end + 1], b"\x1a")
                records = data[header_size:end]
                self.assertEqual(set(records[::record_size]) - set(b" *"), set())
                # Every field is whole GBK text: no Chinese character was cut at a field's end.
                for start in range(0, len(records), record_size * 97):
                    record = records[start:start + record_size]
                    offset = 1
                    for width in widths:
                        record[offset:offset + width].decode("gbk")
                        offset += width
                self.assertTrue(any(byte >= 0x80 for byte in records[:4096]), "no Chinese text")

    def test_index_keys_are_sorted_with_distinct_record_numbers(self):
        for rel, size, arg in self.files_of("idx"):
            with self.subTest(rel=rel):
                data = read(self.folder, rel)
                magic, count, key_size = struct.unpack_from("<4sIH", data)
                self.assertEqual((magic, key_size), (b"KIX\x01", int(arg)))
                entry = key_size + 4
                self.assertLessEqual(512 + count * entry, size)
                self.assertGreater(count, 100)
                entries = [data[512 + i * entry: 512 + (i + 1) * entry] for i in range(count)]
                keys = [e[:key_size] for e in entries]
                self.assertEqual(keys, sorted(keys))
                self.assertGreater(len(set(keys)), count // 10)
                numbers = [struct.unpack("<I", e[key_size:])[0] for e in entries]
                self.assertEqual(len(set(numbers)), count)
                self.assertNotIn(0, numbers)

    def test_templates_and_documents_are_gbk_text_in_lines(self):
        for rel, size, _ in self.files_of("template", "document"):
            with self.subTest(rel=rel):
                text = read(self.folder, rel).decode("gbk")
                self.assertTrue(text.endswith("\r\n"))
                self.assertNotIn("\n", text.replace("\r\n", ""))
                lines = text.split("\r\n")
                self.assertTrue(lines[0] in ("[Report]", "KORVELLO DOCUMENT 2.8"), lines[0])
                # A file of some size is mostly content, not the padding line at its end.
                padding = len(lines[-2]) if lines[-2].startswith(";") else 0
                self.assertLess(padding, max(size // 2, 400))

    def test_memo_blocks_chain_to_later_blocks(self):
        for rel, size, arg in self.files_of("memo"):
            with self.subTest(rel=rel):
                data = read(self.folder, rel)
                block = int(arg)
                count = size // block
                for number in range(1, count):
                    following, length = struct.unpack_from("<II", data, number * block)
                    self.assertLessEqual(length, block - 8)
                    self.assertTrue(following == 0 or number < following < count)


class TableErrorsTest(unittest.TestCase):
    """A table the generator cannot honour is refused, naming the line or the file."""

    def run_table(self, rows):
        folder = tempfile.mkdtemp(prefix="korvgen-test.")
        self.addCleanup(shutil.rmtree, folder, True)
        table = os.path.join(folder, "table.tsv")
        with open(table, "w", encoding="utf-8") as out:
            out.write("".join(row + "\n" for row in rows))
        return generate_into(table, os.path.join(folder, "out"))

    def test_bad_rows_are_refused(self):
        cases = [
            ("unknown kind", "1024\tzip\ta.bin", "table.tsv:1"),
            ("size not a number", "1k\tbin\ta.bin", "table.tsv:1"),
            ("missing path", "1024\tbin", "table.tsv:1"),
            ("bitmap of another size", "1000\tbmp:10x10\tp.bmp", "p.bmp"),
            ("database without room for a record", "200\tdb:256\tt.dat", "t.dat"),
            ("index without room for a key", "520\tidx:12\tt.idx", "t.idx"),
            ("template smaller than its first lines", "40\ttemplate\tt.rpt", "t.rpt"),
            ("memo store smaller than a block", "100\tmemo:512\tm.blb", "m.blb"),
            ("font smaller than its header", "10\tfont:16\tf.dat", "f.dat"),
        ]
        for name, row, named in cases:
            with self.subTest(name):
                status, errors = self.run_table([row])
                self.assertEqual(status, 1)
                self.assertIn(named, errors)

    def test_small_files_of_each_kind_keep_their_size(self):
        rows = ["300\tdb:64:words\tw.dat", "600\tidx:8\tw.idx", "1025\tmemo:512\tw.blb",
                "70\tfont:16\tf.dat", "301\tdocument\td.Orv", "333\ttemplate\tt.rpt",
                "5\tbin\th.chm"]
        folder = tempfile.mkdtemp(prefix="korvgen-test.")
        self.addCleanup(shutil.rmtree, folder, True)
        table = os.path.join(folder, "table.tsv")
        with open(table, "w", encoding="utf-8") as out:
            out.write("".join(row + "\n" for row in rows))
        status, errors = generate_into(table, folder)
        self.assertEqual(status, 0, errors)
        for row in rows:
            size, _, rel = row.split("\t")
            with self.subTest(rel=rel):
                self.assertEqual(os.path.getsize(os.path.join(folder, rel)), int(size))


if __name__ == "__main__":
    unittest.main()
