#!/usr/bin/env bash
# bench.sh - builds the release preset and prints, in one run, the figures the performance goals
# are judged by: each one beside what it is measured against, taken side by side on this machine.
#
#   scripts/bench.sh [RUNS]        RUNS: timed runs of each whole-process figure (default 5)
#   BENCH_SCALE_ONLY=1 scripts/bench.sh [RUNS]    only the scale rows (no baseline, no callgrind)
#   BENCH_DENSE_ONLY=1 scripts/bench.sh            only the dense galaxy's groups-against-plan row
#
# The scale rows take generated galaxies of 10^3 to 10^6 planets with two groups a planet and
# plan each from the file's own selection: generating, loading, planning and peak memory per
# size, each planning time against the size ten times smaller (the exponent per decade: 1.0
# is linear), the plug-in's share from PlannerBench, and the peak memory of loading the 10^5 and
# 10^6 galaxies written on one line against the same pretty-printed. A 10^6-planet galaxy is a 296 MB file
# and a plan of it takes seconds, so those rows take BENCH_SCALE_RUNS runs (default 3).
#
# The whole-run, memory and load figures are compared with the tree at $BENCH_BASELINE
# (default e6320e2), built once from a temporary git worktree under build/ and kept there.
# Whole runs alternate between the two builds, run by run, so that a drift of the machine's
# speed falls on both; each figure is the median of its runs.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-5}
baseline_rev=${BENCH_BASELINE:-e6320e2}
work=build/bench
baseline=build/baseline-$baseline_rev
mkdir -p "$work"

say() { printf '%s\n' "$*" >&2; }

build_release() { # build_release DIR
    (cd "$1" && cmake --preset release >/dev/null && cmake --build --preset release -j2 >/dev/null)
}

say "== building the release preset"
build_release .
host=build/release/host/tarvenix-host

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# plan_ms HOST ARGS...: the planning time the host reports for one run.
plan_ms() { "$@" --json | grep -o '"plan_ms": *[0-9.]*' | grep -o '[0-9.]*$'; }

# paired_ratio A B: the median of A's times over B's, line by line. Runs taken side by side
# share the machine's state of the moment, so each pair's ratio holds where the machine's
# speed drifts or stalls between pairs, and the median of the pairs' ratios is what a
# figure reports for runs that alternate.
paired_ratio() { paste "$1" "$2" | awk '$2 > 0 {print $1 / $2}' | median | awk '{printf "%.2f", $1}'; }

# scale_rows: the table of the scale rows, and the figures the goals read from it. Each run
# plans every size in turn, so that each decade's ratio is the median of ratios of runs taken
# side by side.
scale_rows() {
    local runs=${BENCH_SCALE_RUNS:-3} sizes=(1000 10000 100000 1000000) n previous="" shares
    say "== scale rows: 10^3 to 10^6 planets, $runs alternating runs of each"
    shares=$(build/release/bench/relay/PlannerBench --benchmark_filter=BM_PlannerScale 2>/dev/null)
    for n in "${sizes[@]}"; do
        /usr/bin/time -f '%e' -o "$work/scale$n.generate" \
            "$host" generate --planets "$n" --groups $((2 * n)) --seed 1 --out "$work/scale$n.json" >/dev/null
        for file in load plan peak; do : >"$work/scale$n.$file"; done
    done
    # The same galaxies on one line, as common JSON writers write them: the load's peak memory
    # must not depend on where the lines break.
    for n in 100000 1000000; do
        tr -d '\n' <"$work/scale$n.json" >"$work/oneline$n.json"
        : >"$work/oneline$n.peak"
        : >"$work/pretty$n.peak"
    done
    for _ in $(seq "$runs"); do
        for n in "${sizes[@]}"; do
            # Loading: a run whose Cancel is pressed before the planner's first step.
            /usr/bin/time -f '%e' -o "$work/time.txt" \
                "$host" plan --galaxy "$work/scale$n.json" --lang en --cancel-after-steps 0 >/dev/null
            cat "$work/time.txt" >>"$work/scale$n.load"
            /usr/bin/time -f '%M' -o "$work/time.txt" \
                "$host" plan --galaxy "$work/scale$n.json" --lang en --json >"$work/scale.json"
            grep -o '"plan_ms": *[0-9.]*' "$work/scale.json" | grep -o '[0-9.]*$' >>"$work/scale$n.plan"
            cat "$work/time.txt" >>"$work/scale$n.peak"
        done
        for n in 100000 1000000; do
            for shape in pretty oneline; do
                file="$work/scale$n.json"
                [ "$shape" = oneline ] && file="$work/oneline$n.json"
                /usr/bin/time -f '%M' -o "$work/time.txt" \
                    "$host" plan --galaxy "$file" --lang en --cancel-after-steps 0 >/dev/null
                cat "$work/time.txt" >>"$work/$shape$n.peak"
            done
        done
    done
    printf '\nplanets | generate | load | plan | per decade | peak memory | plug-in share\n---|---|---|---|---|---|---\n'
    local largest=0 decade ratio share
    for n in "${sizes[@]}"; do
        decade="-"
        if [ -n "$previous" ]; then
            ratio=$(paired_ratio "$work/scale$n.plan" "$work/scale$previous.plan")
            decade=$(awk -v r="$ratio" 'BEGIN {printf "%.2f (%sx)", log(r) / log(10), r}')
            largest=$(awk -v r="$ratio" -v m="$largest" 'BEGIN {e = log(r) / log(10); print (e > m) ? e : m}')
        fi
        share=$(echo "$shares" | grep "planets:$n/" | grep -o 'plugin_share=[0-9.]*' | cut -d= -f2)
        printf '%s | %.2f s | %.2f s | %.0f ms | %s | %d MiB | %.1f%%\n' "$n" "$(cat "$work/scale$n.generate")" \
            "$(median <"$work/scale$n.load")" "$(median <"$work/scale$n.plan")" "$decade" \
            $(($(median <"$work/scale$n.peak") / 1024)) "$(awk -v s="${share:-0}" 'BEGIN {print 100 * s}')"
        previous=$n
    done
    printf '\nfigure | now | goal\n---|---|---\n'
    printf 'plan time, 10^6 planets over 10^5, %s alternating runs | %sx | at most 12x\n' "$runs" \
        "$(paired_ratio "$work/scale1000000.plan" "$work/scale100000.plan")"
    printf 'exponent per decade, 10^3 to 10^6 planets (the largest) | %.2f | at most 1.1\n' "$largest"
    printf 'peak memory, 10^6 planets over 10^5 | %sx | at most 8x\n' \
        "$(paired_ratio "$work/scale1000000.peak" "$work/scale100000.peak")"
    for n in 100000 1000000; do
        printf 'peak memory loading %s planets, one line over pretty-printed (%d over %d MiB) | %sx | at most 1.10x\n' \
            "$n" $(($(median <"$work/oneline$n.peak") / 1024)) $(($(median <"$work/pretty$n.peak") / 1024)) \
            "$(paired_ratio "$work/oneline$n.peak" "$work/pretty$n.peak")"
    done
    printf "plug-in's share of planning time, 10^6 planets (PlannerBench) | %.1f%% | at most 25%%\n" \
        "$(awk -v s="$(echo "$shares" | grep 'planets:1000000/' | grep -o 'plugin_share=[0-9.]*' | cut -d= -f2)" \
            'BEGIN {print 100 * s}')"
    rm -f "$work"/scale*.json "$work"/oneline*.json
}

# dense_galaxy FILE: 4 000 planets packed close, an idle one-ship group on every planet, all of
# one race within one another's reach: the galaxy where every group reaches every planet and
# every planet holds a relay, which `groups` once took minutes over.
dense_galaxy() {
    python3 - "$1" <<'PY'
import json, sys
n = 4000
planets = [{"name": f"P{i}", "x": (i % 64) * 0.1, "y": (i // 64) * 0.1, "owner": "Vexari"} for i in range(n)]
groups = [{"number": i + 1, "race": "Vexari", "type": "Scout", "planet": i + 1, "count": 1, "speed": 10,
           "from": 0, "fleet": ""} for i in range(n)]
groups.append({"number": n + 1, "race": "Vexari", "type": "Scout", "planet": 1, "count": 12, "speed": 10,
               "from": 0, "fleet": ""})
galaxy = {"game": "Dense", "turn": 1, "races": [{"name": "Vexari", "drivesTech": 1}], "planets": planets,
          "shipTypes": [{"race": "Vexari", "name": "Scout", "drives": 1, "weapons": 0, "ammo": 0, "cargo": 0,
                         "shields": 0}], "groups": groups, "selection": n + 1}
with open(sys.argv[1], "w") as out:
    json.dump(galaxy, out, indent=1)
PY
}

# dense_rows: `groups --limit 0` of the dense galaxy against one plan of it, alternating runs.
dense_rows() {
    local runs=${BENCH_DENSE_RUNS:-3}
    say "== the dense 4 000-planet galaxy: groups against one plan, $runs alternating runs"
    dense_galaxy "$work/dense.json"
    : >"$work/dense.groups"
    : >"$work/dense.plan"
    for _ in $(seq "$runs"); do
        /usr/bin/time -f '%e' -o "$work/time.txt" "$host" groups --galaxy "$work/dense.json" --limit 0 >/dev/null
        cat "$work/time.txt" >>"$work/dense.groups"
        /usr/bin/time -f '%e' -o "$work/time.txt" "$host" plan --galaxy "$work/dense.json" --lang en >/dev/null
        cat "$work/time.txt" >>"$work/dense.plan"
    done
    printf '\nfigure | now | goal\n---|---|---\n'
    printf 'dense 4 000 planets: groups --limit 0 over one plan (%.2f s over %.2f s) | %sx | at most 1x\n' \
        "$(median <"$work/dense.groups")" "$(median <"$work/dense.plan")" \
        "$(paired_ratio "$work/dense.groups" "$work/dense.plan")"
}

if [ -n "${BENCH_DENSE_ONLY:-}" ]; then
    dense_rows
    exit 0
fi
if [ -n "${BENCH_SCALE_ONLY:-}" ]; then
    scale_rows
    exit 0
fi
if [ ! -x "$baseline/build/release/host/tarvenix-host" ]; then
    say "== building $baseline_rev for comparison in $baseline"
    [ -d "$baseline" ] || git worktree add --detach "$baseline" "$baseline_rev" >/dev/null
    build_release "$baseline"
fi
base_host=$baseline/build/release/host/tarvenix-host

say "== generating the galaxies"
"$host" generate --planets 10000 --groups 2000 --seed 1 --out "$work/g10k.json" >/dev/null
"$host" generate --planets 100000 --groups 200000 --seed 1 --out "$work/g100k.json" >/dev/null


# timed_run OUT HOST ARGS...: appends "wall_seconds peak_kib" of one run to OUT.
timed_run() {
    local out=$1
    shift
    /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null
    cat "$work/time.txt" >>"$out"
}

say "== whole 100 000-planet runs, $runs of each build, alternating"
: >"$work/now.txt"
: >"$work/base.txt"
: >"$work/plain.txt"
: >"$work/traced.txt"
plan100k=(plan --galaxy "$work/g100k.json" --select 196 --lang en)
for _ in $(seq "$runs"); do
    timed_run "$work/now.txt" "$host" "${plan100k[@]}"
    timed_run "$work/base.txt" "$base_host" "${plan100k[@]}"
done
cut -d' ' -f1 "$work/now.txt" >"$work/now.wall"
cut -d' ' -f1 "$work/base.txt" >"$work/base.wall"
wall_now=$(median <"$work/now.wall")
wall_base=$(median <"$work/base.wall")
peak_now=$(cut -d' ' -f2 "$work/now.txt" | median)
peak_base=$(cut -d' ' -f2 "$work/base.txt" | median)

# The trace's rows compare planning times of a few tens of milliseconds, where this machine's
# noise is largest: four times the runs and one more, untraced and traced alternating.
trace_runs=$((4 * runs + 1))
plan10k=(plan --galaxy "$work/g10k.json" --select 476 --lang en)
trace_ratio() { # trace_ratio NAME PLAN-ARGS...: fills NAME.plain and NAME.traced with planning times
    local name=$1
    shift
    : >"$work/$name.plain"
    : >"$work/$name.traced"
    for _ in $(seq "$trace_runs"); do
        plan_ms "$host" "$@" >>"$work/$name.plain"
        plan_ms "$host" "$@" --trace "$work/$name.jsonl" >>"$work/$name.traced"
    done
}
say "== traced and untraced plans, $trace_runs of each at 10 000 and at 100 000 planets"
trace_ratio trace10k "${plan10k[@]}"
trace_ratio trace100k "${plan100k[@]}"
plain10k=$(median <"$work/trace10k.plain")
traced10k=$(median <"$work/trace10k.traced")
plain=$(median <"$work/trace100k.plain")
traced=$(median <"$work/trace100k.traced")

# The plug-in's own instructions in a 10 000-planet plan, counted by callgrind: the
# planner's thread from its start, less what its calls into the host cost.
share10k_instructions=unmeasured
trace10k_instructions=unmeasured
if command -v valgrind >/dev/null; then
    say "== the plug-in's instructions in a 10 000-planet plan, untraced and traced (callgrind, two minutes)"
    # callgrind_inclusive NAME FUNCTION: FUNCTION's inclusive count in the profile NAME.
    callgrind_inclusive() {
        grep -m1 "$2" "$work/$1.txt" | awk '{gsub(",", "", $1); print $1}'
    }
    for profile in callgrind callgrind-traced; do
        trace_args=()
        [ "$profile" = callgrind-traced ] && trace_args=(--trace "$work/trace10k.jsonl")
        valgrind --tool=callgrind --callgrind-out-file="$work/$profile.out" "$host" "${plan10k[@]}" \
            "${trace_args[@]}" >/dev/null 2>&1
        callgrind_annotate --inclusive=yes "$work/$profile.out" >"$work/$profile.txt" 2>/dev/null
    done
    planner=$(callgrind_inclusive callgrind 'PlannerThread(void\*)')
    callback=$(callgrind_inclusive callgrind 'HostCallback(CMapStringToString&)')
    share10k_instructions=$(awk -v p="$planner" -v c="$callback" \
        'BEGIN {printf "%.1f%% (%.1f M own, %.1f M in the host)", 100 * (p - c) / p, (p - c) / 1e6, c / 1e6}')
    traced_planner=$(callgrind_inclusive callgrind-traced 'PlannerThread(void\*)')
    trace10k_instructions=$(awk -v t="$traced_planner" -v p="$planner" \
        'BEGIN {printf "%.0f M vs %.0f M: %.2fx", t / 1e6, p / 1e6, t / p}')
fi

say "== planner, containers and galaxy load benchmarks, $((2 * runs + 1)) alternating pairs of the last two"
planner=$(build/release/bench/relay/PlannerBench --benchmark_filter=BM_PlannerRun --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep '_median')
share() { echo "$planner" | grep "planets:$1/" | grep -o 'plugin_share=[0-9.]*' | cut -d= -f2; }
# bench_time PROGRAM NAME: one timing of the Google Benchmark NAME, in the program's unit.
bench_time() { "$1" --benchmark_filter="^$2\$" 2>/dev/null | grep "^$2 " | awk '{print $2}'; }
# The container and load figures compare two benchmarks each, taken in alternating pairs too.
pair_runs=$((2 * runs + 1))
for file in find_long std_set load.now load.base; do : >"$work/$file"; done
for _ in $(seq "$pair_runs"); do
    bench_time build/release/bench/cells/CellsBench CellTreeFindLongRebalanced/1000000 >>"$work/find_long"
    bench_time build/release/bench/cells/CellsBench StdSetContains/1000000 >>"$work/std_set"
    bench_time build/release/bench/host/HostCoreBench BM_LoadGalaxy/100000 >>"$work/load.now"
    bench_time "$baseline/build/release/bench/host/HostCoreBench" BM_LoadGalaxy/100000 >>"$work/load.base"
done
load_now=$(median <"$work/load.now")
load_base=$(median <"$work/load.base")
find_long=$(median <"$work/find_long")
std_set=$(median <"$work/std_set")

printf '\nfigure | now | goal\n---|---|---\n'
printf "plug-in's share of a 10 000-planet plan's instructions (callgrind) | %s | at most 20%%\n" \
    "$share10k_instructions"
printf "plug-in's share of planning time, 10 000 planets (PlannerBench) | %.1f%% | at most 20%%\n" \
    "$(awk -v s="$(share 10000)" 'BEGIN {print 100 * s}')"
printf "plug-in's share of planning time, 100 000 planets (PlannerBench) | %.1f%% | at most 25%%\n" \
    "$(awk -v s="$(share 100000)" 'BEGIN {print 100 * s}')"
printf 'whole 100 000-planet run, wall, %s alternating pairs | %sx (medians %ss vs %ss at %s) | at most 0.5x\n' \
    "$runs" "$(paired_ratio "$work/now.wall" "$work/base.wall")" "$wall_now" "$wall_base" "$baseline_rev"
printf 'its peak memory | %s MiB (%s MiB at %s) | at most 150 MB\n' \
    "$((peak_now / 1024))" "$((peak_base / 1024))" "$baseline_rev"
printf '100 000-planet galaxy load (HostCoreBench), %s alternating pairs | %sx faster (medians %s ms vs %s ms) | at least 5x\n' \
    "$pair_runs" "$(paired_ratio "$work/load.base" "$work/load.now")" "$load_now" "$load_base"
printf 'CellTree FindLong vs std::set at 10^6 (CellsBench), %s alternating pairs | %sx (medians %s us vs %s us) | at most 1.3x\n' \
    "$pair_runs" "$(paired_ratio "$work/find_long" "$work/std_set")" "$find_long" "$std_set"
printf -- '--trace, 10 000 planets, planning time, %s alternating pairs | %sx (medians %s ms vs %s ms) | at most 1.5x\n' \
    "$trace_runs" "$(paired_ratio "$work/trace10k.traced" "$work/trace10k.plain")" "$traced10k" "$plain10k"
printf -- "--trace, 10 000 planets, planning thread's instructions (callgrind) | %s | at most 1.5x\n" \
    "$trace10k_instructions"
printf -- '--trace, 100 000 planets, planning time, %s alternating pairs | %sx (medians %s ms vs %s ms) | at most 1.5x\n' \
    "$trace_runs" "$(paired_ratio "$work/trace100k.traced" "$work/trace100k.plain")" "$traced" "$plain"
# Under Wine: the fixed cost of a run beside a bare window program, as the Windows stage of the
# test run measures it, when the mingw preset has been built.
if [ -x build/mingw/bin/tarvenix-host.exe ] && command -v wine >/dev/null && command -v xvfb-run >/dev/null; then
    scripts/with-wine.sh bash tests/windows/fixed-cost.sh build/mingw/wine-run build/mingw/bin "$host" "$runs" \
        >"$work/wine.txt" 2>/dev/null
    wine_ms() { grep "$1" "$work/wine.txt" | awk '{print $(NF - 1)}'; }
    printf 'tarvenix-host.exe under Wine, --cancel-after-steps 0, wall | %s ms, a bare window program %s ms | fixed cost found and ours removed\n' \
        "$(wine_ms 'cancel-after-steps 0 (Wine)')" "$(wine_ms 'BareWindow')"
else
    printf 'tarvenix-host.exe under Wine | not built (scripts/test-windows.sh) | fixed cost found and ours removed\n'
fi
scale_rows
dense_rows
