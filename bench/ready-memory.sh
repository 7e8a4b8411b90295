#!/bin/sh
# The program's resident memory once it is ready: on the demo library, on a
# library whose first category holds 20,000 documents with previews and help
# texts (made by bench_browsing), and on the same library with a user file
# without help texts, which tells the list's share from the user file's. All
# run offscreen in a throw-away home.
#
#   bench/ready-memory.sh [build folder, default build-bench] [documents, default 20000]
set -e
build=$(cd "${1:-build-bench}" && pwd)
documents=${2:-20000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
export XDG_CACHE_HOME="$work/home/cache" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

for copy in demo large plain; do
    cp -r "$build/bin" "$work/$copy"
done
rm -rf "$work/large/Vorlagen" "$work/plain/Vorlagen"
"$build/bench/bench_browsing" --make-library "$work/large/Vorlagen" "$documents"
"$build/bench/bench_browsing" --make-library "$work/plain/Vorlagen" "$documents" --no-help-texts

# VmRSS in kB a few seconds after the start, when the window shows its first category.
ready() {
    "$1/vorlagen" 2>/dev/null &
    pid=$!
    sleep 5
    awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

demo=$(ready "$work/demo")
large=$(ready "$work/large")
plain=$(ready "$work/plain")
awk -v d="$demo" -v l="$large" -v p="$plain" -v n="$documents" 'BEGIN {
    printf "demo library                    %6.1f MB\n", d / 1024
    printf "%d documents                 %6.1f MB  %.2fx\n", n, l / 1024, l / d
    printf "the same without help texts     %6.1f MB  %.2fx\n", p / 1024, p / d
}'
