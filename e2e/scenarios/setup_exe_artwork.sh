#!/usr/bin/env bash
# The wizard's two pictures inside the build's setup.exe, checked without running it (so this
# scenario needs no Wine and never skips): BITMAP resources IMAGLEFT (the 165 x 300 side picture)
# and IMAGTOP (the 540 x 54 banner), 8 bits per pixel run-length encoded (they travel in every
# setup program), whose bytes are the pictures the build drew (artwork/*.bmp without their
# 14-byte file header), so the packed program carries them.
# The resource directory is read from the file by a small PE reader, apart from objdump.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
E2E_NAME=setup_exe_artwork

build_dir=${1:-}
[[ -n "$build_dir" ]] || { echo "usage: $0 <build-dir>" >&2; exit 2; }
config="$build_dir/e2e/e2e-config.sh"
[[ -f "$config" ]] || e2e_fail "$config is missing: configure and build $build_dir first"
# shellcheck source=/dev/null
source "$config"
[[ -f "$E2E_SETUP" ]] || e2e_fail "$E2E_SETUP is not built"
artwork="$build_dir/artwork"
command -v python3 >/dev/null || e2e_fail "python3 is not installed"

# For every name of the given pictures: "name<TAB>language<TAB>width<TAB>height<TAB>bits<TAB>
# compression<TAB>same|differs|missing", the last field comparing the resource with
# <artwork>/<name>.bmp.
bitmaps=$(python3 - "$E2E_SETUP" "$artwork" IMAGLEFT IMAGTOP <<'PY'
import os
import struct
import sys

RT_BITMAP = 2

def main(exe_path, artwork_dir, names):
    with open(exe_path, "rb") as exe:
        data = exe.read()
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size

    def offset_of(rva):
        for i in range(sections):
            _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return raw + rva - vaddr
        sys.exit(f"RVA {rva:#x} lies in no section")

    root = offset_of(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<12xHH", data, root + directory)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, root + directory + 16 + 8 * i)
            if name & 0x80000000:
                at = root + (name & 0x7FFFFFFF)
                (length,) = struct.unpack_from("<H", data, at)
                name = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield name, target

    for type_, target in entries(0):
        if type_ != RT_BITMAP:
            continue
        found = dict(entries(target & 0x7FFFFFFF))
        for name in names:
            if name not in found:
                print(f"{name}\t-\t-\t-\t-\t-\tmissing")
                continue
            for language, leaf in entries(found[name] & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, root + leaf)
                start = offset_of(rva)
                bitmap = data[start:start + size]
                width, height, _, bits, compression = struct.unpack_from("<iiHHI", bitmap, 4)
                picture = os.path.join(artwork_dir, name.lower() + ".bmp")
                with open(picture, "rb") as drawn:
                    same = drawn.read()[14:] == bitmap
                print(f"{name}\t{language}\t{width}\t{height}\t{bits}\t{compression}\t"
                      f"{'same' if same else 'differs'}")
        return
    for name in names:
        print(f"{name}\t-\t-\t-\t-\t-\tmissing")

main(sys.argv[1], sys.argv[2], sys.argv[3:])
PY
) || e2e_fail "cannot read the resources of $E2E_SETUP: $bitmaps"
e2e_log "BITMAP resources: $(tr '\t\n' ' ;' <<<"$bitmaps")"

expect_picture() {
  local name=$1 width=$2 height=$3 found
  found=$(awk -F'\t' -v name="$name" '$1 == name' <<<"$bitmaps")
  [[ -n "$found" && "$(cut -f7 <<<"$found")" != missing ]] ||
    e2e_fail "setup.exe has no BITMAP resource $name"
  e2e_expect_eq "$(wc -l <<<"$found")" 1 "languages of the BITMAP resource $name"
  # Compression 1: BI_RLE8.
  e2e_expect_eq "$(cut -f3-6 <<<"$found" | tr '\t' ' ')" "$width $height 8 1" \
    "width, height, bits per pixel and compression of $name"
  e2e_expect_eq "$(cut -f7 <<<"$found")" same \
    "the bytes of $name compared with the build's $artwork/${name,,}.bmp"
}

expect_picture IMAGLEFT 165 300
expect_picture IMAGTOP 540 54
e2e_log "setup.exe carries the side picture IMAGLEFT (165 x 300) and the banner IMAGTOP (540 x 54)"
e2e_pass
