#!/usr/bin/env python3
"""Prints the benchmark table from the results tools/bench.sh gathered, one per line:
  extract <label> <bench|bench-inside|bench-again|bench-again-inside|xcopy|xcopy-again|cp>
          <round> <seconds>
  extract install <setup-first|setup-again|xcopy|xcopy-again> <round> <seconds>
  startup <setup|minimal> <order> <milliseconds>
  memory <round> <kB>
  size <what> <bytes>
  probe <label> <what the user sees>
  extract peer <setup|nsis-deflate|nsis-lzma> <round> <seconds>
  failed peer <setup|nsis-deflate|nsis-lzma> <what was wrong>
  note <text>
Every figure is the median of its runs with the smallest and the largest; a ratio is taken run by
run (the two commands of a pair ran one after the other) and then summarised the same way.

Usage: table.py <results-file> <heading> [--peer-only]
  --peer-only  only the sizes and installations side by side with NSIS
"""

import statistics
import sys
from collections import defaultdict


def summary(values, unit="", digits=3):
    if not values:
        return "-"
    fmt = f"{{:.{digits}f}}"
    median = fmt.format(statistics.median(values))
    low, high = fmt.format(min(values)), fmt.format(max(values))
    return f"{median}{unit} ({low}-{high}, n={len(values)})"


def ratios(first, second):
    return [a / b for a, b in zip(first, second) if b > 0]


PEERS = (("setup", "setup.exe (zstd)"), ("nsis-deflate", "NSIS, deflate"),
         ("nsis-lzma", "NSIS, solid LZMA"))


def print_peer_rows(sizes, series, paired, failures):
    """Size and silent installation of the sample: our setup against NSIS's two installers."""
    print("7. Side by side with NSIS (Debian's makensis), installers of the same product folder")
    print("   size (bytes; ratio: our setup.exe over the NSIS installer)")
    ours = sizes.get("sample")
    for label, what in PEERS:
        size = sizes.get("sample" if label == "setup" else label)
        line = f"   {what:<20} {size if size is not None else '-'}"
        if label != "setup" and size and ours:
            goal = "goal < 1" if label == "nsis-deflate" else "goal <= 1.15"
            line += f"   setup/this {ours / size:.3f}x   {goal}"
        print(line)
    print("   silent installation under Wine, /S /D=<fresh folder>, alternated in one session, the")
    print("   manifest's files checked byte for byte after each run (seconds, whole command, as")
    print("   in 1b)")
    for label, what in PEERS:
        if label in failures:
            print(f"   {what:<20} FAILED: {failures[label]}")
        else:
            print(f"   {what:<20} {summary(series('peer', label), ' s')}")
    print(f"   setup/NSIS deflate   {summary(paired('peer', 'setup', 'nsis-deflate'), 'x')}"
          "   goal < 1")
    print(f"   NSIS LZMA/setup      {summary(paired('peer', 'nsis-lzma', 'setup'), 'x')}"
          "   goal >= 10")


def main(argv):
    peer_only = argv[3:] == ["--peer-only"]
    if len(argv) != 3 and not peer_only:
        sys.stderr.write(__doc__)
        return 2
    extract = defaultdict(lambda: defaultdict(dict))  # label -> kind -> round -> seconds
    startup = defaultdict(list)
    memory = []
    sizes = {}
    probes = defaultdict(list)  # label -> what was seen, in order
    notes = []
    failures = {}  # peer label -> what was wrong
    with open(argv[1], encoding="utf-8") as results:
        for line in results:
            words = line.split()
            if not words:
                continue
            kind = words[0]
            if kind == "extract":
                extract[words[1]][words[2]][int(words[3])] = float(words[4])
            elif kind == "startup":
                startup[words[1]].append(float(words[3]))
            elif kind == "memory":
                memory.append(float(words[2]))
            elif kind == "size":
                sizes[words[1]] = int(words[2])
            elif kind == "probe":
                probes[words[1]].append(" ".join(words[2:]))
            elif kind == "failed":
                failures[words[2]] = " ".join(words[3:])
            elif kind == "note":
                notes.append(" ".join(words[1:]))

    def series(label, kind):
        runs = extract[label][kind]
        return [runs[r] for r in sorted(runs)]

    def paired(label, first, second):
        a, b = extract[label][first], extract[label][second]
        rounds = sorted(set(a) & set(b))
        return ratios([a[r] for r in rounds], [b[r] for r in rounds])

    print(argv[2])
    print()
    if peer_only:
        print_peer_rows(sizes, series, paired, failures)
        for note in notes:
            print(f"note: {note}")
        return 1 if failures else 0
    print("1. Extraction under Wine, sample product (seconds, whole command; ratios run by run)")
    print(f"   benchmark            {summary(series('sample', 'bench'), ' s')}")
    print(f"   (its extraction)     {summary(series('sample', 'bench-inside'), ' s')}")
    print(f"   wine cmd /c xcopy    {summary(series('sample', 'xcopy'), ' s')}")
    print(f"   cp -r                {summary(series('sample', 'cp'), ' s')}")
    print(f"   benchmark/xcopy      {summary(paired('sample', 'bench', 'xcopy'), 'x')}   goal <= 0.7")
    print(f"   benchmark/cp         {summary(paired('sample', 'bench', 'cp'), 'x')}")
    print("   over an existing installation (the same folder again, every file replaced):")
    print(f"   benchmark            {summary(series('sample', 'bench-again'), ' s')}")
    print(f"   (its extraction)     {summary(series('sample', 'bench-again-inside'), ' s')}")
    print(f"   wine xcopy /y        {summary(series('sample', 'xcopy-again'), ' s')}")
    print(f"   benchmark/xcopy /y   {summary(paired('sample', 'bench-again', 'xcopy-again'), 'x')}"
          "   goal <= 0.7")
    print()
    print("1b. Silent installation under Wine, sample product: into a fresh folder, then the same")
    print("    again over it, every file replaced (seconds, whole command: start, extraction and")
    print("    registration; a silent run does not pause for a bar; ratios run by run)")
    print(f"   setup /S, first      {summary(series('install', 'setup-first'), ' s')}")
    print(f"   setup /S, over it    {summary(series('install', 'setup-again'), ' s')}")
    print(f"   xcopy                {summary(series('install', 'xcopy'), ' s')}")
    print(f"   xcopy /y, over it    {summary(series('install', 'xcopy-again'), ' s')}")
    print(f"   first/xcopy          {summary(paired('install', 'setup-first', 'xcopy'), 'x')}")
    print(f"   over it/xcopy /y     {summary(paired('install', 'setup-again', 'xcopy-again'), 'x')}")
    print(f"   over it/first        {summary(paired('install', 'setup-again', 'setup-first'), 'x')}")
    print()
    print("2. Extraction in the host build, sample product (seconds)")
    print(f"   benchmark            {summary(series('host', 'bench-inside'), ' s')}")
    print(f"   cp -r                {summary(series('host', 'cp'), ' s')}")
    print(f"   benchmark/cp         {summary(paired('host', 'bench-inside', 'cp'), 'x')}")
    print()
    print("3. Start-up to the visible window under Wine (milliseconds, alternated)")
    print(f"   setup.exe wizard     {summary(startup['setup'], ' ms', 1)}")
    print(f"   minimal window       {summary(startup['minimal'], ' ms', 1)}")
    print(f"   setup/minimal        {summary(ratios(startup['setup'], startup['minimal']), 'x')}"
          "   goal <= 1.2")
    print()
    print("4. Size (bytes)")
    print(f"   setup program, empty product, stripped   {sizes.get('stub', '-')}   goal <= 204800")
    print(f"   sample setup.exe                         {sizes.get('sample', '-')}")
    print(f"   sample payload                           {sizes.get('payload', '-')}")
    print()
    print("5. Scale: extraction under Wine as the work grows (seconds, whole command)")
    for label, what in (("files1000", "1,000 files of 4 KB"), ("sample", "the sample product"),
                        ("big512", "one file of 512 MB")):
        print(f"   {what:<22} benchmark {summary(series(label, 'bench'), ' s')}")
        print(f"   {'':<22} xcopy     {summary(series(label, 'xcopy'), ' s')}")
        print(f"   {'':<22} ratio     {summary(paired(label, 'bench', 'xcopy'), 'x')}")
    print("   largest payload the setup starts with:")
    for label, seen in probes.items():
        print(f"     {label:<10} {'; '.join(seen)}")
    print()
    print("6. Peak private memory (RssAnon) of the setup during a whole installation")
    print(f"   {summary(memory, ' kB', 0)}   goal <= 16384 kB")
    print()
    print_peer_rows(sizes, series, paired, failures)
    for note in notes:
        print(f"note: {note}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
