#!/usr/bin/env bash
# fixed-cost.sh - what one run of tarvenix-host.exe costs before any planning, beside the least
# window program under the same Wine and the Linux host: the median wall time of each, in ms.
#
#   fixed-cost.sh WINE_RUN BIN_DIR LINUX_HOST [RUNS]
#
# Run it where the Windows tests run (xvfb-run, one Wine server up, the prefix prepared as
# scripts/test-windows.sh does). The host is asked for a Cancel before the first step, so
# it loads, opens its window, answers a few queries and closes. The difference between
# the host and BareWindow.exe is ours; what BareWindow.exe takes is Wine's.
set -euo pipefail

wine_run=$1
bin_dir=$2
linux_host=$3
runs=${4:-7}

# The median of `runs` wall times of the command, in milliseconds; one warm-up run first.
median_ms() {
    "$@" >/dev/null 2>&1
    local times=() start
    for _ in $(seq 1 "$runs"); do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        times+=($((($(date +%s%N) - start) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

printf '%-48s %6s ms\n' "BareWindow.exe (Wine)" "$(median_ms "$wine_run" "$bin_dir/BareWindow.exe")"
printf '%-48s %6s ms\n' "tarvenix-host.exe --version (Wine)" \
    "$(median_ms "$wine_run" "$bin_dir/tarvenix-host.exe" --version)"
printf '%-48s %6s ms\n' "tarvenix-host.exe --cancel-after-steps 0 (Wine)" \
    "$(median_ms "$wine_run" "$bin_dir/tarvenix-host.exe" --json --cancel-after-steps 0)"
printf '%-48s %6s ms\n' "tarvenix-host --cancel-after-steps 0 (Linux)" \
    "$(median_ms "$linux_host" --json --cancel-after-steps 0)"
