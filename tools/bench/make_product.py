#!/usr/bin/env python3
"""Writes a product folder for the benchmarks: the five entries the setup program opens by name,
each tiny, and as many data entries as the benchmark asks for, with their manifest.

Usage: make_product.py <product-dir> <setup.ini> [<count> <bytes-each> [--one-content]]
  <count> files of <bytes-each> random bytes go to Data\\NN\\FileNNNNN.dat, a hundred per folder.
  Without them the product is the smallest one the setup can carry. With --one-content every data
  file is a hard link to the first (the payload is as large, the disk holds one copy).
"""

import os
import sys

CHUNK = 16 << 20


def write_random(path, size):
    with open(path, "wb") as out:
        left = size
        while left > 0:
            piece = min(left, CHUNK)
            out.write(os.urandom(piece))
            left -= piece


def main(argv):
    one_content = argv[-1] == "--one-content"
    if one_content:
        argv = argv[:-1]
    if len(argv) not in (3, 5):
        sys.stderr.write(__doc__)
        return 2
    product_dir, setup_ini = argv[1], argv[2]
    count, size = (int(argv[3]), int(argv[4])) if len(argv) == 5 else (0, 0)
    os.makedirs(product_dir, exist_ok=False)
    lines = [
        "FileExe exename KORV.exe",
        "uninstall exename Uninstall.exe",
        "FileTxt4 txtname Licence.txt",
        "FileTxt5 txtname Setup.log",
        "FileTxt7 txtname Setup.ini",
    ]
    for name, content in (("KORV.exe", b"MZ"), ("Uninstall.exe", b"MZ"), ("Licence.txt", b"x\r\n")):
        with open(os.path.join(product_dir, name), "wb") as out:
            out.write(content)
    with open(setup_ini, "rb") as source, open(os.path.join(product_dir, "Setup.ini"), "wb") as out:
        out.write(source.read())
    for index in range(count):
        folder = f"Data\\{index // 100:02d}"
        os.makedirs(os.path.join(product_dir, *folder.split("\\")), exist_ok=True)
        relative = f"{folder}\\File{index:05d}.dat"
        path = os.path.join(product_dir, *relative.split("\\"))
        if one_content and index > 0:
            os.link(first, path)
        else:
            write_random(path, size)
            first = path
        lines.append(f"File{index:05d} datname {relative}")
    with open(os.path.join(product_dir, "Setup.log"), "wb") as out:
        out.write("\r\n".join(lines).encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
