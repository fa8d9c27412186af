#!/usr/bin/env bash
# Runs quendic-cli next to sdcv (the console StarDict reader from Debian) on
# the same data: the program folder's dictionary is exported as a StarDict
# dictionary (build/bench/stardict_export), then both look up the same words.
#
#   bench/sdcv/compare.sh PROGRAM_FOLDER [BUILD_FOLDER] [RUNS]
#
# Prints, per command, the wall time and the processor time (user + system)
# of one whole process, averaged over RUNS runs (default 200); the time one
# process takes for 1000 words read from stdin (mean of 10); and the peak
# memory of `quendic-cli search` against the size of voc.dat. Wall times
# suffer from whatever else runs on the machine; processor times much less.
# Needs the benchmark build (QUENDIC_BENCH=ON); installs sdcv through
# bench/sdcv/install-sdcv.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
home=$(cd "$1" && pwd)
build=$(cd "${2:-build}" && pwd)
runs=${3:-200}
cli="$build/bin/quendic-cli"

"$here/install-sdcv.sh" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/dic" "$work/home"
QUENDIC_HOME="$home" "$build/bench/stardict_export" "$work/dic/quendic" >/dev/null
# sdcv: exact matches only, UTF-8 in and out; with words on the command line
# and -n it answers them, without words it reads one per line from stdin.
sdcv=(env HOME="$work/home" XDG_CACHE_HOME="$work/home" sdcv -e -0 -1 --data-dir "$work/dic")

# 1000 single words spread over the whole index, in a fixed order.
"$cli" cdf get "$home/voc.dat" 0 | iconv -f GBK -t UTF-8 | tr -d '\r' |
    awk '/^[a-z]+$/ && ++n % 7 == 0 && ++taken <= 1000' >"$work/words.txt"

# "WALL_US CPU_US": per run of `runs` runs of a command.
per_process() {
    local quoted
    quoted=$(printf '%q ' "$@")
    /usr/bin/time -f "%e %U %S" bash -c "for ((i = 0; i < $runs; i++)); do $quoted >/dev/null 2>&1; done" 2>&1 |
        tail -1 | awk -v n="$runs" '{printf "%d %d\n", $1 * 1e6 / n, ($2 + $3) * 1e6 / n}'
}

# "WALL_MS CPU_MS": one run reading words.txt, the mean of 10 runs (the
# processor time is counted in ticks of 10 ms, so one run alone is too short).
batch() {
    local quoted
    quoted=$(printf '%q ' "$@")
    /usr/bin/time -f "%e %U %S" bash -c \
        "for ((i = 0; i < 10; i++)); do $quoted <'$work/words.txt' >/dev/null 2>&1; done" 2>&1 |
        tail -1 | awk '{printf "%.1f %.1f\n", $1 * 100, ($2 + $3) * 100}'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

"${sdcv[@]}" -n apple >/dev/null # writes sdcv's offset cache once
export QUENDIC_HOME="$home"
read -r sdcv_wall sdcv_cpu < <(per_process "${sdcv[@]}" -n apple)
read -r search_wall search_cpu < <(per_process "$cli" search apple)
read -r show_wall show_cpu < <(per_process "$cli" show apple)
echo "one process, mean of $runs runs (wall / processor time):"
echo "  sdcv -n -e apple           $sdcv_wall / $sdcv_cpu us"
echo "  quendic-cli search apple   $search_wall / $search_cpu us" \
    "($(ratio "$search_wall" "$sdcv_wall") / $(ratio "$search_cpu" "$sdcv_cpu") x sdcv)"
echo "  quendic-cli show apple     $show_wall / $show_cpu us" \
    "($(ratio "$show_wall" "$sdcv_wall") / $(ratio "$show_cpu" "$sdcv_cpu") x sdcv)"

words=$(wc -l <"$work/words.txt")
read -r sdcv_wall sdcv_cpu < <(batch "${sdcv[@]}")
read -r search_wall search_cpu < <(batch "$cli" search -)
read -r show_wall show_cpu < <(batch "$cli" show -)
echo "$words words from stdin, one process, mean of 10 runs (wall / processor time):"
echo "  sdcv -e                    $sdcv_wall / $sdcv_cpu ms"
echo "  quendic-cli search -       $search_wall / $search_cpu ms" \
    "(throughput $(ratio "$sdcv_wall" "$search_wall") / $(ratio "$sdcv_cpu" "$search_cpu") x sdcv)"
echo "  quendic-cli show -         $show_wall / $show_cpu ms" \
    "(throughput $(ratio "$sdcv_wall" "$show_wall") / $(ratio "$sdcv_cpu" "$show_cpu") x sdcv)"

size=$(stat -c %s "$home/voc.dat")
echo "peak memory of quendic-cli search (voc.dat $((size / 1024)) KiB):"
for query in apple zebra 苹果 recieve; do
    kib=$(/usr/bin/time -f %M "$cli" search "$query" 2>&1 >/dev/null | tail -1)
    echo "  search $query: $kib KiB ($(ratio "$((kib * 1024))" "$size") x voc.dat)"
done
