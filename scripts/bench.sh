#!/usr/bin/env bash
# bench.sh - builds the release preset and prints, in one run, the figures the performance goals
# are judged by: each one beside what it is measured against, taken side by side on this machine.
#
#   scripts/bench.sh [RUNS]        RUNS: timed runs of each whole-process figure (default 5)
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
if [ ! -x "$baseline/build/release/host/tarvenix-host" ]; then
    say "== building $baseline_rev for comparison in $baseline"
    [ -d "$baseline" ] || git worktree add --detach "$baseline" "$baseline_rev" >/dev/null
    build_release "$baseline"
fi
host=build/release/host/tarvenix-host
base_host=$baseline/build/release/host/tarvenix-host

say "== generating the galaxies"
"$host" generate --planets 10000 --seed 1 --out "$work/g10k.json" >/dev/null
"$host" generate --planets 100000 --groups 200000 --seed 1 --out "$work/g100k.json" >/dev/null

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 0}'; }

# timed_run OUT HOST ARGS...: appends "wall_seconds peak_kib" of one run to OUT.
timed_run() {
    local out=$1
    shift
    /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null
    cat "$work/time.txt" >>"$out"
}

# plan_ms HOST ARGS...: the planning time the host reports for one run.
plan_ms() { "$@" --json | grep -o '"plan_ms": *[0-9.]*' | grep -o '[0-9.]*$'; }

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
wall_now=$(cut -d' ' -f1 "$work/now.txt" | median)
wall_base=$(cut -d' ' -f1 "$work/base.txt" | median)
peak_now=$(cut -d' ' -f2 "$work/now.txt" | median)
peak_base=$(cut -d' ' -f2 "$work/base.txt" | median)

# The trace's rows compare planning times of a few tens of milliseconds, where this machine's
# noise is largest: twice the runs and one more, untraced and traced alternating.
trace_runs=$((2 * runs + 1))
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

say "== planner, containers and galaxy load benchmarks"
planner=$(build/release/bench/relay/PlannerBench --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep '_median')
share() { echo "$planner" | grep "planets:$1/" | grep -o 'plugin_share=[0-9.]*' | cut -d= -f2; }
cells=$(build/release/bench/cells/CellsBench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_filter='(CellTreeFindLongRebalanced|StdSetContains)/1000000' 2>/dev/null | grep '_median')
ns_of() { echo "$2" | grep "^$1" | awk '{print $2}'; }
load_ms() { # load_ms HOSTCOREBENCH
    "$1" --benchmark_filter='BM_LoadGalaxy/' --benchmark_repetitions=3 \
        --benchmark_report_aggregates_only=true 2>/dev/null | grep '_median' | awk '{print $2}'
}
load_now=$(load_ms build/release/bench/host/HostCoreBench)
load_base=$(load_ms "$baseline/build/release/bench/host/HostCoreBench")
find_long=$(ns_of CellTreeFindLongRebalanced "$cells")
std_set=$(ns_of StdSetContains "$cells")

printf '\nfigure | now | goal\n---|---|---\n'
printf "plug-in's share of a 10 000-planet plan's instructions (callgrind) | %s | at most 20%%\n" \
    "$share10k_instructions"
printf "plug-in's share of planning time, 10 000 planets (PlannerBench) | %.1f%% | at most 20%%\n" \
    "$(awk -v s="$(share 10000)" 'BEGIN {print 100 * s}')"
printf "plug-in's share of planning time, 100 000 planets (PlannerBench) | %.1f%% | at most 25%%\n" \
    "$(awk -v s="$(share 100000)" 'BEGIN {print 100 * s}')"
printf 'whole 100 000-planet run, wall, median of %s | %ss vs %ss at %s: %sx | at most 0.5x\n' \
    "$runs" "$wall_now" "$wall_base" "$baseline_rev" "$(ratio "$wall_now" "$wall_base")"
printf 'its peak memory | %s MiB (%s MiB at %s) | at most 150 MB\n' \
    "$((peak_now / 1024))" "$((peak_base / 1024))" "$baseline_rev"
printf '100 000-planet galaxy load (HostCoreBench) | %s ms vs %s ms: %sx faster | at least 5x\n' \
    "$load_now" "$load_base" "$(ratio "$load_base" "$load_now")"
printf 'CellTree FindLong vs std::set at 10^6 (CellsBench) | %s vs %s us: %sx | at most 1.3x\n' \
    "$find_long" "$std_set" "$(ratio "$find_long" "$std_set")"
printf -- '--trace, 10 000 planets, planning time, median of %s | %s ms vs %s ms: %sx | at most 1.5x\n' \
    "$trace_runs" "$traced10k" "$plain10k" "$(ratio "$traced10k" "$plain10k")"
printf -- "--trace, 10 000 planets, planning thread's instructions (callgrind) | %s | at most 1.5x\n" \
    "$trace10k_instructions"
printf -- '--trace, 100 000 planets, planning time, median of %s | %s ms vs %s ms: %sx | at most 1.5x\n' \
    "$trace_runs" "$traced" "$plain" "$(ratio "$traced" "$plain")"
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
