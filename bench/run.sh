#!/usr/bin/env bash
# bench/run.sh [BUILD]
#
# Runs every benchmark of BUILD (./build unless told) side by side, each
# REPEATS times (5 unless the environment says otherwise), ours and its
# floor or peer in turns so that a burst of load on a shared machine falls
# on both, and prints one table: each figure's median and fastest run, its
# floor or peer, their ratio (of the medians, and in brackets of the fastest
# runs), the goal and whether the medians meet it. Run it on an otherwise
# quiet machine; nothing here is a test.
#
# The games are written into a temporary folder first; the programs wait
# until their files are older than the file system's time resolution before
# they start the clock, as description files and folder listings younger
# than that are read afresh at every lookup (see src/descr/description_cache.h
# and src/core/paths.h) and a player's games are old.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
repeats=${REPEATS:-5}
clicks=${CLICKS:-200}
bin=$build/bench
soakRepeats=${SOAK_REPEATS:-3}
soakClicks=${SOAK_CLICKS:-400}
for b in scene/make_bench_game scene/bench_scene scene/bench_floor commands/bench_click \
         pictures/bench_pictures app/bench_soak; do
    [ -x "$bin/$b" ] || { echo "bench/run.sh: $bin/$b is missing; build first" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/taleplay-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_LOGGING_RULES="*.debug=false;qt.*=false"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

game() { # NAME OPTIONS...
    local name=$1
    shift
    "$bin/scene/make_bench_game" "$@" "$work/$name/data_bench" > /dev/null
}
game g50
game g10 --pictures 10
game t800 --tiles-only --tile 51
game t8000 --tiles-only --tile 16
game t0 --tiles-only
rm "$work/t0/data_bench/fon.bmp" # the same start-up without a single tile
game t10 --tiles-only --tile 10
game line100 --tiles-only --long-line 100
game text1 --tiles-only --long-text 1024
# Phone photos: 30 and 50 of 4000 x 3000 shown at 400 x 300, and the same 30
# saved at the size they are shown, for their floor.
game p30 --photos 30 --photo-size 4000x3000 --shown 400x300
game p30small --photos 30 --photo-size 400x300 --shown 400x300
game p50 --photos 50 --photo-size 4000x3000 --shown 400x300

# The first number after LABEL in the output.
field() { # FILE LABEL
    awk -v label="$2" 'index($0, label) == 1 {
        s = substr($0, length(label) + 1)
        if (match(s, /-?[0-9]+(\.[0-9]+)?/)) { print substr(s, RSTART, RLENGTH); exit }
    }' "$1"
}
# A number after LABEL anywhere in the line: "(start-up sequence 12.3 ms)".
inner() { # FILE LABEL
    awk -v label="$2" '{ i = index($0, label); if (i) {
        s = substr($0, i + length(label))
        if (match(s, /-?[0-9]+(\.[0-9]+)?/)) { print substr(s, RSTART, RLENGTH); exit } } }' "$1"
}
record() { # SERIES VALUE
    [ -n "$2" ] || { echo "bench/run.sh: no figure for $1" >&2; exit 1; }
    echo "$2" >> "$work/series.$1"
}
run() { # OUTPUT COMMAND...
    local out=$1
    shift
    if ! "$@" > "$out" 2> "$out.err"; then
        echo "bench/run.sh: failed: $*" >&2
        cat "$out" "$out.err" >&2
        exit 1
    fi
}

# A school's database: a server of its own, waiting for the disk as a real
# one does; without one (no PostgreSQL installed) its row says so.
database=
if [ -x "$bin/resultsdb/bench_results_db" ] &&
    bash "$here/../tests/support/scratch_postgres.sh" start "$work/postgres" --durable 2> "$work/postgres.err"; then
    trap 'bash "$here/../tests/support/scratch_postgres.sh" remove "$work/postgres"; rm -rf "$work"' EXIT
    # shellcheck source=/dev/null
    (source "$work/postgres/env" &&
        "$build/tools/resultsdb/taleplay-results-db" init "$TALEPLAY_TEST_ADMIN" > /dev/null) &&
        database=yes
fi

echo "taleplay benchmarks: $build, $repeats runs of each, $(nproc) cores," \
     "load $(cut -d' ' -f1-3 /proc/loadavg) at the start" >&2
for ((r = 1; r <= repeats; ++r)); do
    echo "  run $r of $repeats" >&2
    for n in 50 10; do
        run "$work/out" "$bin/scene/bench_scene" "$work/g$n/data_bench"
        record "start$n" "$(field "$work/out" "first complete paint")"
        run "$work/out" "$bin/scene/bench_floor" "$work/g$n/data_bench"
        record "floor$n" "$(field "$work/out" "first complete paint")"
    done
    run "$work/out" "$bin/scene/bench_scene" --end "$work/g50/data_bench"
    record switch "$(field "$work/out" "switch to first paint")"
    record playPeak "$(field "$work/out" "peak memory  ")"
    record switchPeak "$(field "$work/out" "peak memory of switch")"
    run "$work/out" "$bin/scene/bench_floor" --end "$work/g50/data_bench"
    record floorSwitch "$(field "$work/out" "switch to first paint")"
    for t in 0 800 8000; do
        run "$work/out" "$bin/scene/bench_scene" "$work/t$t/data_bench"
        record "tiles$t" "$(inner "$work/out" "start-up sequence")"
        [ "$t" = 0 ] || record "count$t" "$(awk '/^screen/ { print $3; exit }' "$work/out")"
    done
    run "$work/out" "$bin/scene/bench_scene" "$work/t10/data_bench"
    record tiny "$(field "$work/out" "first complete paint")"
    run "$work/out" "$bin/scene/bench_scene" "$work/line100/data_bench"
    record line100 "$(field "$work/out" "first complete paint")"
    run "$work/out" "$bin/scene/bench_scene" "$work/text1/data_bench"
    record text1 "$(field "$work/out" "first complete paint")"
    # The floor of the photos: the small game, after decoding each big photo
    # once, one after another, at libjpeg's scale for the size shown.
    run "$work/out" "$bin/scene/bench_scene" "$work/p30/data_bench"
    record photos30 "$(field "$work/out" "first complete paint")"
    record photos30Peak "$(field "$work/out" "peak memory  ")"
    record photos30Told "$(awk '/^screen/ { print $5; exit }' "$work/out")"
    run "$work/out" "$bin/scene/bench_scene" \
        --decode-first "$work/p30/data_bench/bench-photos.list" "$work/p30small/data_bench"
    record photosFloor "$(field "$work/out" "first complete paint")"
    record photosSmallPeak "$(field "$work/out" "peak memory  ")"
    run "$work/out" "$bin/scene/bench_scene" "$work/p50/data_bench"
    record photos50 "$(field "$work/out" "first complete paint")"
    record photos50Told "$(awk '/^screen/ { print $5; exit }' "$work/out")"
    record photos50Controls "$(awk '/^screen/ { print $3; exit }' "$work/out")"
    for lines in 500 2000 8000; do
        run "$work/out" "$bin/commands/bench_click" --lines "$lines" --clicks "$clicks"
        record "click$lines" "$(field "$work/out" "median")"
    done
    run "$work/out" "$bin/commands/bench_click" --lines 2000 --utf8 --clicks "$clicks"
    record clickUtf8 "$(field "$work/out" "median")"
    for rules in 100 3000; do
        run "$work/out" "$bin/commands/bench_click" --rules "$rules" --lines 4000 \
            --clicks "$((clicks / 4 + 1))"
        record "rules$rules" "$(field "$work/out" "median")"
    done
    if [ -n "$database" ]; then
        run "$work/out" env -u TALEPLAY_RESULTS bash -c \
            'source "$1/env" && exec "$2" service=school_pupil "$3"' _ \
            "$work/postgres" "$bin/resultsdb/bench_results_db" "$work"
        record resultsDb "$(field "$work/out" "database")"
        record resultsFolder "$(field "$work/out" "folder")"
    fi
done
# Long sessions: 1,000 rebuilds through the driver, and clicks with and
# without a video (each video click waits for the media framework, so
# fewer of them, and fewer rounds).
for ((r = 1; r <= soakRepeats; ++r)); do
    echo "  soak $r of $soakRepeats" >&2
    run "$work/out" "$bin/app/bench_soak" --rebuilds 1000
    record rebuildFirst "$(field "$work/out" "first 50 rebuilds processor median")"
    record rebuildLast "$(field "$work/out" "last 50 rebuilds processor median")"
    record rebuildGrowth "$(field "$work/out" "memory growth")"
    run "$work/out" "$bin/app/bench_soak" --clicks "$soakClicks" --videos
    record clickVideo "$(field "$work/out" "growth per 1000 clicks")"
    run "$work/out" "$bin/app/bench_soak" --clicks "$soakClicks"
    record clickPlain "$(field "$work/out" "growth per 1000 clicks")"
done
echo "  pictures" >&2
# Its own repeats and tolerance; exit status 3 says a format stayed slower,
# which the table shows as well.
"$bin/pictures/bench_pictures" --repeats "$repeats" > "$work/pictures" 2>&1 || true
echo "load $(cut -d' ' -f1-3 /proc/loadavg) at the end" >&2

stat() { # SERIES min|median
    sort -g "$work/series.$1" | awk -v what="$2" '{ v[NR] = $1 } END {
        if (what == "min") print v[1]
        else if (NR % 2) print v[(NR + 1) / 2]
        else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
formatOf() { # FORMAT → "ours qt ratio"
    awk -v f="$1" '$1 == f && NF == 4 && $4 ~ /^[0-9.]+$/ { print $2, $3, $4; exit }' \
        "$work/pictures"
}
row() { # FIGURE OURS PEER RATIO GOAL MET
    printf "| %-44s | %-19s | %-19s | %-15s | %-15s | %-3s |\n" "$@"
}
met() { # VALUE OP LIMIT
    awk -v v="$1" -v op="$2" -v l="$3" 'BEGIN {
        ok = (op == "<=") ? v <= l : (op == "<") ? v < l : v >= l; print ok ? "yes" : "no" }'
}
ms() { # SERIES [FORMAT] → "median (min) ms", three digits unless told
    local f=${2:-%.3g}
    # shellcheck disable=SC2059
    printf "$f ($f) ms" "$(stat "$1" median)" "$(stat "$1" min)"
}
ratio() { # A B
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}
# "median ratio (ratio of the fastest runs)": on a busy machine the fastest
# runs show the cost of the work itself, the medians what a person waits.
ratios() { # SERIES-A SERIES-B → sets r (of the medians) and shown
    r=$(ratio "$(stat "$1" median)" "$(stat "$2" median)")
    shown="$r ($(ratio "$(stat "$1" min)" "$(stat "$2" min)"))"
}

row "figure" "ours: median (min)" "floor or peer" "ratio (mins)" "goal" "met"
row "--------------------------------------------" "-------------------" "-------------------" \
    "---------------" "---------------" "---"
c2000=$(stat click2000 median)
row "click, 30 rules + 30 group lines, 2,000 lines" "$(ms click2000)" "-" "-" "<= 1 ms" \
    "$(met "$c2000" "<=" 1)"
ratios click8000 click500
row "click, 8,000 lines vs 500 lines" "$(ms click8000)" "$(ms click500)" "$shown" "<= 1.2" \
    "$(met "$r" "<=" 1.2)"
ratios rules3000 rules100
row "click, 3,000 rules vs 100 on one button" "$(ms rules3000)" "$(ms rules100)" "$shown" \
    "<= 30" "$(met "$r" "<=" 30)"
ratios clickUtf8 click2000
row "click, 2,000 lines, UTF-8 vs Windows-1251" "$(ms clickUtf8)" "$(ms click2000)" "$shown" \
    "<= 1.1" "$(met "$r" "<=" 1.1)"
for n in 50 10; do
    goal=$([ "$n" = 50 ] && echo 1.15 || echo 1.3)
    ratios "start$n" "floor$n"
    row "start-up to first paint, $n pictures" "$(ms "start$n")" "$(ms "floor$n")" "$shown" \
        "<= $goal x floor" "$(met "$r" "<=" "$goal")"
done
n800=$(stat count800 median)
n8000=$(stat count8000 median)
# Building the tiles alone (the same start-up without a tile taken away),
# scaled to exactly ten times as many tiles.
tiles() { # median|min → "built8000 built800 ratio"
    awk -v a="$(stat tiles8000 "$1")" -v b="$(stat tiles800 "$1")" -v z="$(stat tiles0 "$1")" \
        -v na="$n8000" -v nb="$n800" \
        'BEGIN { printf "%.3g %.3g %.1f", a - z, b - z, (a - z) / (b - z) * 10 * nb / na }'
}
read -r b8000 b800 r <<< "$(tiles median)"
read -r m8000 m800 rMin <<< "$(tiles min)"
row "$n8000 tiles built vs $n800 (scaled to 10x)" "$b8000 ($m8000) ms" "$b800 ($m800) ms" \
    "$r ($rMin)" "<= 12" "$(met "$r" "<=" 12)"
row "start-up with a 10x10 tile on 1920x1080" "$(ms tiny)" "-" "-" "< 500 ms" \
    "$(met "$(stat tiny median)" "<" 500)"
row "start-up with a 100 MiB description line" "$(ms line100 %.0f)" "-" "-" "< 5000 ms" \
    "$(met "$(stat line100 median)" "<" 5000)"
row "start-up with a 1 MiB text line" "$(ms text1 %.0f)" "-" "-" "< 1000 ms" \
    "$(met "$(stat text1 median)" "<" 1000)"
ratios photos30 photosFloor
row "start-up, 30 photos 4000x3000 at 400x300" "$(ms photos30 %.0f)" "$(ms photosFloor %.0f)" \
    "$shown" "<= 1.0 x floor" "$(met "$r" "<=" 1.0)"
peak=$(stat photos30Peak median)
small=$(stat photosSmallPeak median)
row "peak memory, 30 photos vs saved small" "$(printf "%.0f MiB" "$peak")" \
    "$(printf "%.0f MiB" "$small")" "$(ratio "$peak" "$small")" "<= 2 x + 100 MiB" \
    "$(met "$peak" "<=" "$(awk -v s="$small" 'BEGIN { print 2 * s + 100 }')")"
told=$(sort -g "$work/series.photos30Told" "$work/series.photos50Told" | tail -1)
row "30 and 50 photos built whole (messages)" "$told, $(stat photos50Controls median) controls" \
    "-" "-" "no message" "$(met "$told" "<=" 0)"
if [ -n "$database" ]; then
    ratios resultsDb resultsFolder
    row "1,000 results, 30 players at once: database" "$(ms resultsDb %.0f)" \
        "$(ms resultsFolder %.0f) (folder)" "$shown" "< 30000 ms" \
        "$(met "$(stat resultsDb median)" "<" 30000)"
else
    row "1,000 results, 30 players at once: database" "skipped: no server" "-" "-" "< 30000 ms" "-"
fi
ratios switch floorSwitch
row "end-screen switch to first paint" "$(ms switch)" "$(ms floorSwitch)" "$shown" \
    "<= 1.15 x floor" "$(met "$r" "<=" 1.15)"
ratios switchPeak playPeak
row "peak memory: switch vs play screen" "$(printf "%.0f MiB" "$(stat switchPeak median)")" \
    "$(printf "%.0f MiB" "$(stat playPeak median)")" "$shown" "<= 1.10" "$(met "$r" "<=" 1.10)"
ratios rebuildLast rebuildFirst
row "driver, 1,000 F5: last 50 vs first 50 (cpu)" "$(ms rebuildLast)" "$(ms rebuildFirst)" \
    "$shown" "<= 1.2" "$(met "$r" "<=" 1.2)"
mib() { # SERIES → "median (min) MiB"
    printf "%.1f (%.1f) MiB" "$(stat "$1" median)" "$(stat "$1" min)"
}
row "driver, 1,000 F5: memory growth" "$(mib rebuildGrowth)" "-" "-" "<= 20 MiB" \
    "$(met "$(stat rebuildGrowth median)" "<=" 20)"
row "player: growth per 1,000 clicks, video vs none" "$(mib clickVideo)" "$(mib clickPlain)" "-" \
    "<= 3 MiB" "$(met "$(stat clickVideo median)" "<=" 3)"
for f in png jpeg; do
    read -r ours qt r <<< "$(formatOf "$f")"
    row "$f decoding vs QImageReader (+ARGB32)" "$ours ms (best)" "$qt ms" "$r" "<= 0.91" \
        "$(met "$r" "<=" 0.91)"
done
worst=""
worstRatio=0
for f in gif bmp ppm pgm ico; do
    read -r ours qt r <<< "$(formatOf "$f")"
    if awk -v a="$r" -v b="$worstRatio" 'BEGIN { exit !(a > b) }'; then
        worst=$f worstRatio=$r worstOurs=$ours worstQt=$qt
    fi
done
row "other formats vs QImageReader: worst, $worst" "$worstOurs ms (best)" "$worstQt ms" \
    "$worstRatio" "< 1" "$(met "$worstRatio" "<" 1)"
read -r ours slurp r <<< "$(formatOf gif-slurp)"
row "gif clip art vs giflib's DGifSlurp" "$ours ms (best)" "$slurp ms" "$r" "<= 1.2" \
    "$(met "$r" "<=" 1.2)"
