#!/usr/bin/env bash
# Builds the Debian package from the build with CPack and checks it: the files
# under /usr owned by root with sane modes, its control fields, and a written
# dependency for every shared library that a packaged program or plugin links.
# usage: package_contents.sh BUILD_DIR WITH_READER(ON|OFF)   (or a .deb for BUILD_DIR)
. "$(dirname "$0")/common.sh"
need dpkg-deb dpkg objdump
make_world
if [[ $1 == *.deb ]]; then
  deb=$1
else
  need cpack
  cpack --config "$1/CPackConfig.cmake" -B "$WORLD/out" -D CPACK_OUTPUT_FILE_PREFIX="$WORLD/out" >"$WORLD/cpack.log" 2>&1 || { cat "$WORLD/cpack.log"; fail "cpack failed"; }
  deb=$(find "$WORLD/out" -maxdepth 1 -name 'korrin_*.deb' -print -quit)
  [[ -n $deb ]] || { cat "$WORLD/cpack.log"; fail "cpack made no package"; }
fi
reader=${2:-ON}

listing=$(dpkg-deb -c "$deb") || fail "dpkg-deb cannot read $deb"
files=(
  ./usr/bin/korrin-tool ./usr/lib/korrin/libxcdzip.so ./usr/lib/korrin/libxcdunzip.so
  ./usr/share/doc/korrin/copyright ./usr/share/man/man1/korrin-tool.1.gz ./usr/share/doc/korrin/changelog.gz
)
[[ $reader == ON ]] && files+=(
  ./usr/bin/korrin ./usr/share/applications/korrin.desktop
  ./usr/share/icons/hicolor/scalable/apps/korrin.svg ./usr/share/mime/packages/korrin.xml
  ./usr/share/metainfo/com.halvane.korrin.metainfo.xml ./usr/share/man/man1/korrin.1.gz
  ./usr/share/korrin/help/contents.html
)
for f in "${files[@]}"; do
  grep -q " $f\$" <<<"$listing" || fail "the package lacks $f:
$listing"
done
# Every entry is root's; programs executable, other files (plugins too, as
# Debian wants shared libraries) not.
while read -r mode owner _ _ _ path; do
  [[ $owner == root/root ]] || fail "$path belongs to $owner"
  case $mode in
    d*) [[ $mode == drwxr-xr-x ]] || fail "folder $path has mode $mode" ;;
    *)
      case $path in
        ./usr/bin/*) [[ $mode == -rwxr-xr-x ]] || fail "$path has mode $mode" ;;
        *) [[ $mode == -rw-r--r-- ]] || fail "$path has mode $mode" ;;
      esac
      ;;
  esac
  [[ $path == ./usr/* || $path == ./ || $path == ./usr/ ]] || fail "$path lies outside /usr"
done <<<"$listing"

[[ $(dpkg-deb -f "$deb" Package) == korrin ]] || fail "package name $(dpkg-deb -f "$deb" Package)"
[[ $(dpkg-deb -f "$deb" Architecture) == "$(dpkg --print-architecture)" ]] || fail "architecture $(dpkg-deb -f "$deb" Architecture)"
[[ $(dpkg-deb -f "$deb" Section) == mail ]] || fail "section $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
[[ -n $depends ]] || fail "the package names no dependencies"
depends_names=$(sed 's/([^)]*)//g; s/|/,/g' <<<"$depends" | tr ',' '\n' | tr -d ' ')

libc_min=$(sed -n 's/.*libc6 (>= \([0-9.]*\)).*/\1/p' <<<"$depends")
[[ -n $libc_min ]] || fail "no least libc6 version in: $depends"
# Each library a packaged ELF file needs comes from a package it depends on.
dpkg-deb -x "$deb" "$WORLD/root"
declare -A seen=()
while IFS= read -r -d '' f; do
  # Whole outputs are matched: grep -q leaving a pipe early fails it under pipefail.
  [[ $(head -c 4 "$f" | tr -d '\0') == *ELF* ]] || continue
  [[ $(objdump -p "$f") == *" NEEDED "* ]] || fail "$f links nothing: is it a program?"
  # Packaged programs are stripped.
  [[ $(objdump -h "$f") == *.debug_info* ]] && fail "$f keeps its debugging data"
  # The C library named is new enough for every symbol version used.
  used=$(objdump -T "$f" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -1)
  if [[ -n $used ]]; then
    [[ $(printf '%s\n%s\n' "$used" "$libc_min" | sort -V | tail -1) == "$libc_min" ]] ||
      fail "$(basename "$f") needs the C library $used, Depends says libc6 (>= $libc_min)"
  fi
  for lib in $(objdump -p "$f" | awk '/ NEEDED /{print $2}'); do
    [[ -n ${seen[$lib]:-} ]] && continue
    # awk reads to the end: leaving early would break ldconfig's pipe (fatal under pipefail).
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64|AArch64|64bit/ && !p {p = $NF} END {print p}')
    [[ -n $path ]] || path=$(ldconfig -p | awk -v l="$lib" '$1 == l && !p {p = $NF} END {print p}')
    [[ -n $path ]] || fail "$lib, needed by $f, is not on this machine"
    # dpkg knows a library by the path it was unpacked to: the link or its target.
    owner=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1 || true)
    [[ -n $owner ]] || owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -1 | cut -d: -f1 || true)
    [[ -n $owner ]] || fail "no package owns $path ($lib)"
    grep -qxF "$owner" <<<"$depends_names" || fail "$(basename "$f") needs $lib of $owner, which Depends lacks: $depends"
    seen[$lib]=$owner
  done
done < <(find "$WORLD/root" -type f -print0)
((${#seen[@]} > 0)) || fail "no program in the package"
echo "package $(basename "$deb"): $(grep -c . <<<"$listing") entries; Depends: $depends"
