#!/bin/bash
# Size figures of dist/Launcher.exe: file size against the 64 KiB goal,
# the size after stripping a copy again (equal when the link already
# stripped it), its sections and the DLLs it imports.
#   bench/size.sh [<build dir>]      (default build/windows)
# The build dir is only checked for a finished Windows build; the program
# itself is always dist/Launcher.exe of the repository. Prints figures
# only; exits non-zero only when the file or the tools are missing.
set -u
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-build/windows}
[[ $build == /* ]] || build=$repo/$build
exe=$repo/dist/Launcher.exe
goal=$((64 * 1024))

[[ -f $exe ]] || { echo "size: missing $exe (build first)" >&2; exit 1; }
[[ -d $build ]] || echo "size: note: build dir $build not found; measuring $exe anyway" >&2
for tool in i686-w64-mingw32-strip i686-w64-mingw32-objdump; do
    command -v "$tool" >/dev/null || { echo "size: $tool not found" >&2; exit 1; }
done

tmp=$(mktemp -d /tmp/launcher-size.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

kib() { awk -v b="$1" 'BEGIN { printf "%.2f", b / 1024 }'; }

size=$(stat -c %s "$exe")
cp "$exe" "$tmp/Launcher.exe"
i686-w64-mingw32-strip "$tmp/Launcher.exe" || { echo "size: strip failed" >&2; exit 1; }
stripped=$(stat -c %s "$tmp/Launcher.exe")

echo "Size of dist/Launcher.exe"
printf '  %-34s %7d bytes  %7s KiB\n' "file as built:" "$size" "$(kib "$size")"
printf '  %-34s %7d bytes  %7s KiB\n' "after strip of a copy:" "$stripped" "$(kib "$stripped")"
if ((stripped == size)); then
    echo "  (same size: the link already stripped it)"
else
    echo "  (strip removed $((size - stripped)) bytes: the file was not fully stripped)"
fi
if ((size <= goal)); then verdict="met, $((goal - size)) bytes to spare"
else verdict="not met, $((size - goal)) bytes over"; fi
printf '  %-34s %7d bytes  %7s KiB  -> %s\n' "goal: at most 64 KiB" "$goal" "$(kib "$goal")" "$verdict"

echo
echo "Sections (size in memory, size in the file):"
printf '  %-10s %10s %10s\n' name size bytes
# objdump -h gives "Idx Name Size VMA LMA File-off Algn" lines; the bytes
# a section takes in the file are the gap to the next section's file
# offset (or to the end of the file); .bss has none.
names=() sizes=() offsets=()
while read -r idx name hsize _ _ hoff _; do
    [[ $idx =~ ^[0-9]+$ ]] || continue
    names+=("$name") sizes+=($((16#$hsize))) offsets+=($((16#$hoff)))
done < <(i686-w64-mingw32-objdump -h "$exe")
total=0
for ((i = 0; i < ${#names[@]}; i++)); do
    raw=0
    if ((offsets[i] > 0)); then
        next=$size
        for ((j = i + 1; j < ${#names[@]}; j++)); do
            ((offsets[j] > 0)) && { next=${offsets[j]}; break; }
        done
        raw=$((next - offsets[i]))
    fi
    printf '  %-10s %10d %10d\n' "${names[i]}" "${sizes[i]}" "$raw"
    total=$((total + sizes[i]))
done
printf '  %-10s %10d\n' total "$total"
printf '  %-10s %10s %10d   (PE headers before the first section)\n' headers "" "${offsets[0]:-0}"

echo
echo "Imported DLLs:"
i686-w64-mingw32-objdump -p "$exe" | grep 'DLL Name' | sed 's/^[[:space:]]*DLL Name:[[:space:]]*/  /'
