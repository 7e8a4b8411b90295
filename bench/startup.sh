#!/bin/sh
# Start-up until the main window has been painted, against a bare Qt Widgets
# program that shows one window (first_window): whole-process figures in A/B
# pairs, the program first, then the yardstick, so that a machine whose speed
# drifts moves both alike. Prints the median wall-clock time of each and the
# median of the pairs' ratios. The program runs on a copy of the demo library
# in a throw-away home and ends after its first paint (VV_QUIT_AFTER_FIRST_PAINT),
# with the first category, its first document, help text and preview shown.
#
#   bench/startup.sh [build folder, default build-bench] [pairs, default 30]
#
# Needs an X display in DISPLAY (Xvfb will do).
set -e
build=$(cd "${1:-build-bench}" && pwd)
pairs=${2:-30}
work=$(mktemp -d)
# A session's runtime folder lies in memory (/run/user/<uid>), not on disk.
run=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work" "$run"' EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
export XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$run" QT_QPA_PLATFORM=xcb
# Set for both, so that neither is started through env(1): the yardstick
# does not look at it.
export VV_QUIT_AFTER_FIRST_PAINT=1
mkdir -p "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
cp -r "$build/bin" "$work/program"

# Wall-clock milliseconds of one run; one that never gets painted ends after 30 s.
run() {
    start=$(date +%s%N)
    timeout 30 "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(( (end - start) / 1000 ))
}

run "$work/program/vorlagen" >/dev/null # warm-up
run "$build/bench/first_window" >/dev/null
i=0
while [ "$i" -lt "$pairs" ]; do
    a=$(run "$work/program/vorlagen")
    b=$(run "$build/bench/first_window")
    echo "$a $b"
    i=$((i + 1))
done | awk '
    function median(v, n,    i, j, t) {
        for (i = 2; i <= n; i++)
            for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
        return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    { a[NR] = $1 / 1000; b[NR] = $2 / 1000; r[NR] = $1 / $2 }
    END {
        printf "program, until painted   %6.1f ms (median of %d)\n", median(a, NR), NR
        printf "bare Qt Widgets window   %6.1f ms\n", median(b, NR)
        printf "ratio, pair by pair      %6.2f (median)\n", median(r, NR)
    }'
