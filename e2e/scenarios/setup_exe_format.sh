#!/usr/bin/env bash
# The build's setup.exe as Windows loads it, checked without running it (so this scenario needs
# no Wine and never skips): a GUI program of the build's architecture (PE32 Intel 80386 for the
# product, PE32+ x86-64 for its 64-bit twin) whose resources hold the two application manifests
# (type 24, id 1: language-neutral asking for version 6 of the common controls, language 2052
# asking for administrator rights), the packer's version resource and icon (for Explorer and the
# elevation prompt) and the payload entries the program loads by name. It imports
# only DLLs that the system never takes from the folder of setup.exe.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
E2E_NAME=setup_exe_format

build_dir=${1:-}
[[ -n "$build_dir" ]] || { echo "usage: $0 <build-dir>" >&2; exit 2; }
config="$build_dir/e2e/e2e-config.sh"
[[ -f "$config" ]] || e2e_fail "$config is missing: configure and build $build_dir first"
# shellcheck source=/dev/null
source "$config"
[[ -f "$E2E_SETUP" ]] || e2e_fail "$E2E_SETUP is not built"
[[ -x "$E2E_OBJDUMP" ]] || e2e_fail "the build's objdump $E2E_OBJDUMP is missing"
command -v file >/dev/null || e2e_fail "file is not installed"

# What `file` says, with room for the words it adds about stripped symbols.
case $E2E_ARCH in
  win32) expected_format='PE32 executable \(GUI\) Intel 80386( \([^)]*\))?, for MS Windows' ;;
  win64) expected_format='PE32\+ executable \(GUI\) x86-64( \([^)]*\))?, for MS Windows' ;;
  *) e2e_fail "unknown build architecture '$E2E_ARCH'" ;;
esac

# ---- the executable ------------------------------------------------------------------------

format=$(file -b "$E2E_SETUP")
e2e_log "file: $format"
grep -qE "^$expected_format" <<<"$format" ||
  e2e_fail "setup.exe is '$format', not /$expected_format/"

headers=$("$E2E_OBJDUMP" -p "$E2E_SETUP") || e2e_fail "objdump cannot read setup.exe"
grep -qP '^Subsystem\s+00000002\s+\(Windows GUI\)' <<<"$headers" ||
  e2e_fail "setup.exe is not a Windows GUI program: $(grep '^Subsystem' <<<"$headers")"

# ---- the imported DLLs ---------------------------------------------------------------------

# The loader resolves imports before the program's first instruction, so no narrowing of the DLL
# search can protect them: setup.exe may import only DLLs that the system always takes from its
# own folder: the known DLLs (the KnownDLLs key of a Windows 10 session manager; ntdll is mapped
# into every process before anything else). Any other DLL must be loaded at run time, after the
# search is narrowed to the system folder: the common controls too, which load further DLLs by
# name while they start (under Wine a uxtheme.dll beside setup.exe).
readonly ALLOWED_IMPORTS=(
  ntdll kernel32 user32 gdi32 advapi32 sechost rpcrt4 combase ole32 oleaut32 clbcatq coml2
  shell32 shlwapi shcore comdlg32 imm32 msctf msvcrt gdiplus imagehlp psapi setupapi difxapi
  normaliz nsi ws2_32 wldap32
)
imports=$(awk '$1 == "DLL" && $2 == "Name:" { print $3 }' <<<"$headers")
[[ -n "$imports" ]] || e2e_fail "objdump lists no imported DLL of setup.exe"
e2e_log "imports: $(xargs <<<"$imports")"
while read -r dll; do
  base=${dll,,}
  base=${base%.dll}
  [[ " ${ALLOWED_IMPORTS[*]} " == *" $base "* ]] ||
    e2e_fail "setup.exe imports $dll, which the system may load from the folder of setup.exe" \
      "(a planted copy beside it would run elevated): load it at run time from the system folder"
done <<<"$imports"
e2e_log "every imported DLL is a known DLL of the system"

# ---- the resource directory ----------------------------------------------------------------

# One line per resource: type, name, language, RVA and size of its bytes. Names are as stored
# (upper case); numeric ids are written #<hex> (#18 is type 24, #804 language 2052).
resources=$(sed -n '/^The .rsrc Resource Directory section:/,/String table starts/p' <<<"$headers" |
  awk '
    function id(line,   value) {
      if (match(line, /name: \[[^]]*\]: [^,]*/)) {
        value = substr(line, RSTART, RLENGTH)
        sub(/.*\]: /, "", value)
        return value
      }
      match(line, /ID: (0x)?[0-9a-fA-F]+/)
      value = substr(line, RSTART + 4, RLENGTH - 4)
      sub(/^0x/, "", value)
      sub(/^0+/, "", value)
      return "#" (value == "" ? "0" : tolower(value))
    }
    {
      match($0, /^[0-9a-f]+ +/)
      depth = RLENGTH - length($1)
    }
    / Entry: / && depth == 3 { type = id($0) }
    / Entry: / && depth == 5 { name = id($0) }
    / Entry: / && depth == 7 { language = id($0) }
    / Leaf: / {
      match($0, /Addr: 0x[0-9a-f]+/); addr = substr($0, RSTART + 8, RLENGTH - 8)
      match($0, /Size: 0x[0-9a-f]+/); size = substr($0, RSTART + 8, RLENGTH - 8)
      printf "%s\t%s\t%s\t%s\t%s\n", type, name, language, addr, size
    }')
[[ -n "$resources" ]] || e2e_fail "setup.exe has no resource directory"
e2e_log "$(wc -l <<<"$resources") resources"

# Where the resource section's bytes start in the file, to turn a resource's RVA into an offset.
image_base=$((0x$(awk '$1 == "ImageBase" { print $2 }' <<<"$headers")))
read -r rsrc_vma rsrc_file_offset < <("$E2E_OBJDUMP" -h "$E2E_SETUP" |
  awk '$2 == ".rsrc" { print $4, $6 }')
[[ -n "${rsrc_vma:-}" ]] || e2e_fail "setup.exe has no .rsrc section"
rsrc_rva=$((0x$rsrc_vma - image_base))

# The entries of a type and name: "language<TAB>rva<TAB>size" lines.
resource_entries() {
  awk -F'\t' -v type="$1" -v name="$2" '$1 == type && $2 == name { print $3 "\t" $4 "\t" $5 }' \
    <<<"$resources"
}

resource_bytes() {
  local rva=$1 size=$2
  tail -c +$((0x$rva - rsrc_rva + 0x$rsrc_file_offset + 1)) "$E2E_SETUP" | head -c $((0x$size))
}

# ---- the application manifests -------------------------------------------------------------

manifests=$(resource_entries '#18' '#1')
e2e_expect_eq "$(cut -f1 <<<"$manifests" | sort | xargs)" '#0 #804' \
  "languages of the application manifests (type 24, id 1)"

expect_manifest() {
  local language=$1 what=$2
  shift 2
  local rva size text pattern
  read -r rva size < <(awk -F'\t' -v language="$language" '$1 == language { print $2, $3 }' \
    <<<"$manifests")
  text=$(resource_bytes "$rva" "$size" | tr -d '\0')
  grep -q '<assembly xmlns="urn:schemas-microsoft-com:asm.v1"' <<<"$text" ||
    e2e_fail "the $what manifest is no assembly manifest: $text"
  for pattern in "$@"; do
    grep -qE "$pattern" <<<"$text" || e2e_fail "the $what manifest lacks /$pattern/: $text"
  done
  e2e_log "the $what manifest ($language, $((0x$size)) bytes) is right"
}

expect_manifest '#0' 'language-neutral' \
  'name="Microsoft\.Windows\.Common-Controls"[^>]*version="6\.0\.0\.0"'
expect_manifest '#804' 'language 2052' \
  '<requestedExecutionLevel level="requireAdministrator"'

# ---- the version resource and the icon ------------------------------------------------------

# One version resource (type 16), in 2052, whose strings are UTF-16 ("Korvello" as the product
# name); one icon group (type 14), the one Explorer shows, over icon images (type 3).
version=$(resource_entries '#10' '#1')
e2e_expect_eq "$(cut -f1 <<<"$version" | xargs)" '#804' "languages of the version resource"
read -r rva size < <(cut -f2,3 <<<"$version")
version_hex=$(resource_bytes "$rva" "$size" | od -An -tx1 -v | tr -d ' \n')
[[ $version_hex == *4b006f007200760065006c006c006f00* ]] ||
  e2e_fail "the version resource does not name the product Korvello in UTF-16"
e2e_expect_eq "$(awk -F'\t' '$1 == "#e"' <<<"$resources" | wc -l)" 1 "icon groups (type 14)"
[[ -n "$(awk -F'\t' '$1 == "#3"' <<<"$resources")" ]] || e2e_fail "the icon group has no images"
e2e_log "the version resource and the setup's icon are there"

# ---- the payload ---------------------------------------------------------------------------

for entry in EXENAME/FILEEXE EXENAME/UNINSTALL TXTNAME/FILETXT4 TXTNAME/FILETXT5 \
  TXTNAME/FILETXT7 TXTNAME/PAYLOADSUMS; do
  found=$(resource_entries "${entry%%/*}" "${entry#*/}")
  [[ -n "$found" ]] || e2e_fail "the payload has no ${entry#*/} of type ${entry%%/*}"
  e2e_expect_eq "$(cut -f1 <<<"$found" | xargs)" '#804' "languages of ${entry#*/} of ${entry%%/*}"
  (($(cut -f3 <<<"$found" | sed 's/^/0x/') > 0)) || e2e_fail "${entry#*/} of ${entry%%/*} is empty"
done
e2e_log "payload entries FILEEXE, UNINSTALL, FILETXT4, FILETXT5, FILETXT7 and the packer's" \
  "PAYLOADSUMS are there in 2052"
e2e_pass
