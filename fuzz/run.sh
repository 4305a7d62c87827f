#!/bin/sh
# Fuzzes each decoder for SECONDS, one target at a time (the machine's cores
# are shared). Usage: fuzz/run.sh SECONDS [FORMAT...]
# New inputs go to build-fuzz/corpus/<format>, crashes to
# build-fuzz/crashes/<format>/; a crash worth keeping is fixed and then
# copied into fuzz/corpus/<format>/ so every build replays it.
set -eu
[ $# -ge 1 ] || { echo "usage: $0 SECONDS [FORMAT...]" >&2; exit 2; }
seconds=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=$repo/build-fuzz
formats=${*:-"png jpeg gif tiff fax bmp ico tga pcx pnm sgi psd cut cel rla pcd psp eps wmf emf"}

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja -DTALEPLAY_FUZZ=ON
fi
targets=""
for f in $formats; do targets="$targets fuzz_$f"; done
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets

status=0
for f in $formats; do
    mkdir -p "$build/corpus/$f" "$build/crashes/$f"
    seeds=""
    [ -d "$here/corpus/$f" ] && seeds="$here/corpus/$f"
    # Inputs as large as real files of the formats that run to many records
    # or layers; the others take libFuzzer's guess from their seeds.
    case $f in
        wmf|emf|eps|psp) maxlen=-max_len=1048576 ;;
        *) maxlen= ;;
    esac
    echo "== fuzz_$f for ${seeds:+seeded }${seconds}s"
    # 1 GiB of RSS is room for the largest picture the limits allow (256 MiB
    # of pixels) and the decoder's working memory; more is a leak or a bomb.
    # shellcheck disable=SC2086
    "$build/fuzz/fuzz_$f" -max_total_time="$seconds" $maxlen -timeout=10 -rss_limit_mb=1024 \
        -malloc_limit_mb=700 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$f/" "$build/corpus/$f" $seeds || status=1
done
exit $status
