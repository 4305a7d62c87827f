#!/bin/sh
# Fuzzes each target for SECONDS, one target at a time and at low priority
# (the machine's cores are shared). Usage: fuzz/run.sh SECONDS [TARGET...]
# where a target is a picture format (png, jpeg, ...) or lookups, values,
# rules, checker, scene or game; without targets, all of them. With RUNS=N
# in the environment a target also stops after N executions, whichever
# comes first.
# New inputs go to build-fuzz/corpus/<target>, failures to
# build-fuzz/crashes/<target>/; each failure is fixed, then copied into
# fuzz/corpus/<target>/ so every build replays it (fuzz/README.md).
set -eu
[ $# -ge 1 ] || { echo "usage: $0 SECONDS [TARGET...]" >&2; exit 2; }
seconds=$1
shift
runs=${RUNS:+-runs=$RUNS}
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=$repo/build-fuzz
pictures="png jpeg gif tiff fax bmp ico tga pcx pnm sgi psd cut cel rla pcd psp eps wmf emf"
targets=${*:-"$pictures lookups values rules checker scene game"}

if [ ! -f "$build/build.ninja" ]; then
    launcher=""
    command -v ccache >/dev/null &&
        launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
    # shellcheck disable=SC2086
    CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja -DTALEPLAY_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo $launcher
fi
# ccache does not know the file that leaves functions out of the coverage
# feedback: a changed list must not come back as an object built before.
export CCACHE_EXTRAFILES="$here/coverage_ignore.txt"
names=""
for t in $targets; do names="$names fuzz_$t"; done
# shellcheck disable=SC2086
nice -n 15 cmake --build "$build" -j2 --target $names

# Leaks inside system libraries (Qt's media back end, GLib) are not ours:
# the same suppressions as the sanitizer build of the tests.
# A smaller quarantine than ASan's 256 MiB: the text targets free many
# large strings per input, and a full quarantine alone came near the RSS
# limit while live memory stayed under 30 MiB.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:quarantine_size_mb=64
export LSAN_OPTIONS=suppressions=$repo/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
for t in $targets; do
    mkdir -p "$build/corpus/$t" "$build/crashes/$t"
    seeds=""
    [ -d "$here/corpus/$t" ] && seeds="$here/corpus/$t"
    # Inputs as large as real files: 1 MiB for pictures, a description
    # file past the line reader's 64 KiB reads and the lookups' long lines,
    # games of a few hundred lines. 1 GiB of RSS is room for the largest
    # picture the limits allow and the decoder's working memory; the
    # player's targets run Qt and a media back end besides.
    case $t in
        lookups|checker) options="-rss_limit_mb=2048 -max_len=262144 -dict=$here/description.dict -use_value_profile=1" ;;
        values) options="-max_len=16384 -use_value_profile=1" ;;
        rules) options="-max_len=65536 -dict=$here/description.dict -use_value_profile=1" ;;
        scene) options="-max_len=8192 -len_control=0 -dict=$here/description.dict -timeout=60 -rss_limit_mb=3072 -detect_leaks=0" ;;
        game) options="-max_len=4096 -len_control=0 -timeout=60 -rss_limit_mb=3072 -detect_leaks=0" ;;
        *) options="-max_len=1048576 -malloc_limit_mb=700" ;;
    esac
    # The player's targets record allocations with the fast unwinder: it
    # stops in the first system library without frame pointers, which is the
    # one that allocated, so the suppressions still match (scripts/lsan.supp).
    # They keep their window and caches from input to input, so nearly every
    # input allocates more than it frees, and libFuzzer's leak check after
    # each (the input run again, the whole heap scanned) would cost two thirds
    # of the time: LeakSanitizer checks the whole run at its end instead.
    unwind=
    echo "== fuzz_$t for ${seeds:+seeded }${seconds}s"
    # shellcheck disable=SC2086
    ASAN_OPTIONS=$unwind$ASAN_OPTIONS nice -n 15 "$build/fuzz/fuzz_$t" -max_total_time="$seconds" $runs -timeout=20 -rss_limit_mb=1024 \
        $options -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$t/" "$build/corpus/$t" $seeds || status=1
done
exit $status
