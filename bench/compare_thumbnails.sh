#!/usr/bin/env bash
# Compares building the first thumbnail page of a folder of 60 JPEGs of 4000 x 3000 pixels (View
# All on the headless host: 60 thumbnails of exactly 60 x 60 pixels) with vipsthumbnail and
# ImageMagick making 60 x 60 thumbnails of the same 60 files, in one run.
#
#   bench/compare_thumbnails.sh      (BUILD_DIR=... to choose the release tree, RUNS=... for the
#                                     number of rounds in which each tool runs once, PICTURES=DIR
#                                     to reuse a folder of pictures made by an earlier run, KEEP=1
#                                     to keep the folder this run makes)
#
# Plivora's page is also timed through the desktop's thumbnail cache in a folder of the run: cold
# (an empty cache for each run, so every picture is decoded and its entry written) and warm (the
# entries made before the rounds, so no picture is decoded).
#
# Goals: with every picture decoded in turn ("one core"), faster than vipsthumbnail on one thread;
# with the next pictures decoded ahead on threads of their own, at most 0.6 x vipsthumbnail's
# time, and at most 0.5 x with a cold cache; with a warm cache at most 0.05 x vipsthumbnail's
# time; the event loop served at least every 50 ms while decoding ahead.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
runs=${RUNS:-5}

# The Debian binary of ImageMagick by its own name, so that whatever else is called convert
# earlier in PATH is not what gets timed.
imagemagick() {
  command -v convert-im6.q16 || command -v convert-im7.q16 || true
}

source "$(dirname "$0")/install_packages.sh"
missing=()
command -v vipsthumbnail >/dev/null || missing+=(libvips-tools)
[ -n "$(imagemagick)" ] || missing+=(imagemagick)
dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q 'install ok installed' ||
  missing+=(libbenchmark-dev)
install_packages "${missing[@]}"
convert=$(imagemagick)

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPLIVORA_SANITIZE=OFF -DPLIVORA_BUILD_TESTS=OFF -DPLIVORA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target bench_thumbnail_page -j2 >/dev/null
bench=$build/bench/bench_thumbnail_page

work=$(mktemp -d)
cleanup() { rm -rf "$work"; }
trap cleanup EXIT

# Plasma: smooth colour fields with fine detail, compressing about as a photograph does (about
# 3.3 MB a file at quality 90). Four are made, two at a time, and four more by mirroring them;
# the 60 files are copies of these eight.
pictures=${PICTURES:-}
if [ -z "$pictures" ]; then
  if [ "${KEEP:-0}" = 1 ]; then
    pictures=$(mktemp -d "${TMPDIR:-/tmp}/plivora-thumbnails-XXXXXX")
  else
    pictures=$work/pictures
    mkdir "$pictures"
  fi
  echo "Making 60 JPEGs of 4000 x 3000 pixels in $pictures (ImageMagick plasma, quality 90)..."
  sources=$work/sources
  mkdir "$sources"
  for pair in "1 2" "3 4"; do
    for seed in $pair; do
      "$convert" -seed "$seed" -size 4000x3000 plasma:fractal -quality 90 "$sources/$seed.jpg" &
    done
    wait
  done
  for seed in 1 2 3 4; do
    "$convert" "$sources/$seed.jpg" -flop -quality 90 "$sources/${seed}m.jpg"
  done
  distinct=("$sources"/*.jpg)
  for i in $(seq 1 60); do
    cp "${distinct[$(((i - 1) % ${#distinct[@]}))]}" "$pictures/$(printf 'pic%02d.jpg' "$i")"
  done
fi
files=("$pictures"/*.jpg)
if [ ${#files[@]} -ne 60 ]; then
  echo "$pictures must hold exactly 60 JPEGs" >&2
  exit 1
fi
out=$work/thumbnails
mkdir -p "$out"

vips_one() { VIPS_CONCURRENCY=1 vipsthumbnail -s '60x60!' -o "$out/%s_vips.jpg" "${files[@]}"; }
vips_default() { vipsthumbnail -s '60x60!' -o "$out/%s_vips.jpg" "${files[@]}"; }
magick_thumbnails() {
  "$convert" -define jpeg:size=120x120 "${files[@]}" -thumbnail '60x60!' "$out/magick_%02d.jpg"
}
page_one_core() { "$bench" --page-once="$pictures"; }
page_ahead() { "$bench" --page-once="$pictures" --ahead; }
page_cold_cache() { "$bench" --page-once="$pictures" --ahead --cache="$(mktemp -d -p "$work")"; }
page_warm_cache() { "$bench" --page-once="$pictures" --ahead --cache="$work/warm"; }
tools=(vips_one vips_default magick_thumbnails page_one_core page_ahead page_cold_cache
  page_warm_cache)

# One run of a tool: "wall cpu" in seconds (cpu: user + system, all threads), then what it
# printed (the page benchmark prints its page time and longest gap in ms).
timed() {
  local TIMEFORMAT='%3R %3U %3S' times
  times=$({ time "$@" >"$work/printed" 2>/dev/null; } 2>&1)
  awk -v t="$times" -v p="$(head -c 200 "$work/printed")" 'BEGIN {
    split(t, v, " "); printf "%s %s %s\n", v[1], v[2] + v[3], p }'
}

# The tools run in turn, round after round, so that a change in what else the machine is doing
# falls on all of them alike. Each run is a line of $work/rounds: "round tool wall cpu [page gap]".
echo "Timing $runs rounds of: vipsthumbnail on one thread and on its default threads,"
echo "ImageMagick, and Plivora's View All with every picture in turn, decoding ahead, and decoding"
echo "ahead with a cold and a warm thumbnail cache..."
for tool in "${tools[@]}"; do "$tool" >/dev/null 2>&1; done
: >"$work/rounds"
for ((round = 1; round <= runs; round++)); do
  for tool in "${tools[@]}"; do
    echo "$round $tool $(timed "$tool")" >>"$work/rounds"
  done
done
for check in "$out/pic01_vips.jpg" "$out/magick_00.jpg"; do
  size=$("$convert" "$check" -format '%wx%h' info:)
  [ "$size" = 60x60 ] || { echo "$check is $size, not 60x60" >&2; exit 1; }
done
if awk '$2 ~ /^page_/ && NF < 6 { bad = 1 } END { exit !bad }' "$work/rounds"; then
  echo "the page benchmark failed:" >&2
  "$bench" --page-once="$pictures" >&2 || true
  exit 1
fi

# The median of the numbers on standard input, with $1 decimals.
median() {
  sort -g | awk -v digits="$1" '{ v[NR] = $1 } END {
    printf "%.*f", digits, NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# The median over the rounds of a tool's field (3 wall, 4 cpu, 5 page, 6 gap), in ms.
median_of() {
  awk -v tool="$1" -v f="$2" '$2 == tool { print (f <= 4 ? $f * 1000 : $f) }' "$work/rounds" |
    median 0
}
# The median over the rounds of a tool's wall time over another's in the same round.
median_ratio() {
  awk -v tool="$1" -v base="$2" '$2 == base { b[$1] = $3 } $2 == tool { t[$1] = $3 }
    END { for (r in t) print t[r] / b[r] }' "$work/rounds" | median 2
}
per_picture() {
  awk -v a="$1" 'BEGIN { printf "%.1f", a / 60 }'
}

echo "Running the in-process page benchmark (3 repetitions)..."
"$bench" --folder="$pictures" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/bench.csv" --benchmark_out_format=csv >/dev/null 2>&1

# "wall cpu gap window-cpu" in ms of a benchmark from the CSV report: its median row. The
# counters are found by their column names; "-" where one is missing.
bench_median() {
  awk -F, -v name="\"$1" '
    /^name,/ { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); col[$i] = i }; next }
    function value(key) { return col[key] && $col[key] != "" ? sprintf("%.0f", $col[key]) : "-" }
    index($1, name "/") == 1 && $1 ~ /_median"$/ {
      print value("real_time"), value("cpu_time"), value("longest_gap_ms"),
        value("gui_thread_cpu_ms") }' "$work/bench.csv"
}

echo
echo "60 JPEGs of 4000 x 3000 pixels to 60 x 60 thumbnails: medians of $runs rounds, each tool a"
echo "whole process (start-up included; the other tools also write their thumbnails). Wall and"
echo "CPU (user + system, all threads) in ms; the ratios are medians of each round's wall time"
echo "over vipsthumbnail's in the same round. page: the page's own time in the process; gap: the"
echo "longest time the window's thread went without DoEvents during it."
rounds_line() { printf '%-28s %7s %7s %7s %10s %7s %7s %6s\n' "$@"; }
rounds_line "" wall "ms/pic" CPU "/vips 1th" "/vips" page gap
row() {
  local wall page=- gap=-
  wall=$(median_of "$1" 3)
  if [[ $1 == page_* ]]; then
    page=$(median_of "$1" 5)
    gap=$(median_of "$1" 6)
  fi
  rounds_line "$2" "$wall" "$(per_picture "$wall")" "$(median_of "$1" 4)" \
    "$(median_ratio "$1" vips_one)" "$(median_ratio "$1" vips_default)" "$page" "$gap"
}
row vips_one "vipsthumbnail, 1 thread"
row vips_default "vipsthumbnail, default"
row magick_thumbnails "ImageMagick convert"
row page_one_core "Plivora View All, one core"
row page_ahead "Plivora View All, ahead"
row page_cold_cache "Plivora, ahead, cold cache"
row page_warm_cache "Plivora, ahead, warm cache"

echo
echo "In process (Google Benchmark, medians of 3 repetitions of pages built after a first one that"
echo "created the thumbnail window): ms a page, the window's thread's CPU in it, and the longest"
echo "gap without DoEvents over all the timed pages."
bench_line() { printf '%-28s %7s %7s %7s %10s %6s\n' "$@"; }
bench_line "" wall "ms/pic" CPU "window CPU" gap
bench_row() {
  local wall cpu gap window
  read -r wall cpu gap window < <(bench_median "$1")
  bench_line "$2" "$wall" "$(per_picture "$wall")" "$cpu" "$window" "$gap"
}
bench_row LoadPicture "LoadPicture of the 60 files"
bench_row ViewAll/OneCore "View All, one core"
bench_row ViewAll/DecodeAhead "View All, ahead"
bench_row ViewAll/DecodeAheadColdCache "View All, ahead, cold cache"
bench_row ViewAll/DecodeAheadWarmCache "View All, ahead, warm cache"

echo
echo "Goals: one core faster than vipsthumbnail on one thread (ratio < 1); decoding ahead at most"
echo "0.6 x vipsthumbnail, with a cold cache at most 0.5 x, with a warm cache at most 0.05 x;"
echo "gap < 50 ms while decoding ahead (one core decodes on the window's thread)."
echo "Cache entries written by a cold run: $(find "$work/warm" -name '*.png' | wc -l) in" \
  "$(du -sk "$work/warm" | cut -f1) kB"
if [ "${KEEP:-0}" = 1 ] && [ -z "${PICTURES:-}" ]; then
  echo "The pictures stay in $pictures (PICTURES=$pictures reuses them)."
fi
