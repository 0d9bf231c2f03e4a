#!/usr/bin/env python3
"""Writes the sample product's bulky data files (databases, bitmaps, help, rich text) into a
product folder from the size table, so that only small text files need to live in the repository.

The bytes depend only on each file's path and size: two runs give identical files, and so do two
machines. Usage: generate.py <table.tsv> <product-dir>
"""

import hashlib
import os
import struct
import sys


def stream(path, size):
    """Deterministic pseudo-random bytes for one file (SHAKE-256 keyed by its path)."""
    return hashlib.shake_256(("korvello-sample:" + path).encode("utf-8")).digest(size)


def make_bin(path, size, _arg):
    return stream(path, size)


def make_bmp(path, size, arg):
    """A 24-bit bottom-up bitmap, a diagonal blue-to-white blend, of the exact table size."""
    width, height = (int(v) for v in arg.split("x"))
    stride = (width * 3 + 3) & ~3
    pixels_size = stride * height
    total = 14 + 40 + pixels_size
    if total != size:
        raise ValueError(f"{path}: a {width}x{height} bitmap is {total} bytes, table says {size}")
    header = struct.pack("<2sIHHI", b"BM", total, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, pixels_size, 2835, 2835, 0, 0)
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            t = (x + y) * 255 // (width + height)
            row += bytes((255, 128 + t // 2, t))  # blue, green, red
        row += bytes(stride - width * 3)
        rows.append(bytes(row))
    return header + info + b"".join(rows)


RTF_HEADER = (
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\r\n"
    "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs21 "
)


def rtf_escape(text):
    """Plain ASCII RTF: each CP936 byte of a Chinese character as a \\'hh escape."""
    out = []
    for ch in text:
        if ord(ch) < 128:
            out.append(ch)
        else:
            out.extend("\\'%02x" % b for b in ch.encode("gbk"))
    return "".join(out)


def make_rtf(path, size, _arg):
    """A readable rich-text document padded with spaces to the exact table size."""
    title = os.path.splitext(os.path.basename(path))[0]
    words = stream(path, 4096)
    phrases = ["数据录入", "打印模板", "示例文档", "词库维护", "备份与恢复", "选项设置", "报表输出", "快捷键"]
    body = [RTF_HEADER, rtf_escape(f"{title} Korvello 使用说明") + "\\par\r\n"]
    length = sum(len(p) for p in body)
    i = 0
    while True:
        phrase = phrases[words[i % len(words)] % len(phrases)]
        para = rtf_escape(f"第{i + 1}节 {phrase}：本节介绍{phrase}的操作步骤。") + "\\par\r\n"
        if length + len(para) + 1 > size:
            break
        body.append(para)
        length += len(para)
        i += 1
    text = "".join(body)
    text += " " * (size - 1 - len(text)) + "}"
    data = text.encode("ascii")
    if len(data) != size:
        raise ValueError(f"{path}: {size} bytes is too small for a rich-text file")
    return data


KINDS = {"bin": make_bin, "bmp": make_bmp, "rtf": make_rtf}


def read_table(table_path):
    entries = []
    with open(table_path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 3:
                raise ValueError(f"{table_path}:{number}: expected size, kind and path: {line}")
            size, kind, rel = fields
            kind_name, _, arg = kind.partition(":")
            if kind_name not in KINDS or not size.isdigit():
                raise ValueError(f"{table_path}:{number}: bad size or kind: {line}")
            entries.append((rel, int(size), kind_name, arg))
    return entries


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: generate.py <table.tsv> <product-dir>\n")
        return 2
    table_path, out_dir = argv[1], argv[2]
    try:
        entries = read_table(table_path)
        for rel, size, kind, arg in entries:
            data = KINDS[kind](rel, size, arg)
            target = os.path.join(out_dir, rel)
            os.makedirs(os.path.dirname(target) or out_dir, exist_ok=True)
            with open(target, "wb") as out:
                out.write(data)
    except (OSError, ValueError) as error:
        sys.stderr.write(f"generate.py: {error}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
