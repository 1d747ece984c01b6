#!/usr/bin/env bash
# package-checks.sh - the release archives as a player and a packager get them.
#
#   package-checks.sh LINUX_TAR_GZ WINDOWS_ZIP LINUX_DEV_HOST LINUX_BUILD WINE_RUN
#
# Unpacks each archive into an empty folder of its own and checks:
#   linux-files         the tar.gz holds one folder named after it, with exactly linux-files.txt
#   linux-rpath         the installed binaries find their libraries relative to themselves only
#   linux-packager      a packager's `cmake --install` of LINUX_BUILD (the package-linux build)
#                       to /usr puts the programs in place and no README.txt at the prefix's top
#   linux-plan          the unpacked host, run from another folder with no --plugin, plans the
#                       demo galaxy as the dev build does: the same orders, all accepted, and
#                       the same requests and answers (trace) byte for byte
#   linux-campaign      the unpacked host's campaign on the demo galaxy (every group, three turns,
#                       one load): the dev build's report and trace, byte for byte
#   windows-files       the ZIP holds one folder named after it, with exactly windows-files.txt
#   windows-stripped    Tarvenix2.dll is at most 600 KB, and no file of the ZIP has debug sections
#   windows-plan        the unpacked tarvenix-host.exe under Wine: the same plan as linux-plan
#   windows-campaign    the unpacked tarvenix-host.exe under Wine: the same campaign as linux-campaign
#   windows-differential  200 generated galaxies, speeds spread over every hundredth, planned by
#                       the dev host and by the unpacked tarvenix-host.exe: the same traces
#                       (tests/trace/differential.sh)
# WINE_RUN runs a Windows program under Wine (its server already up, on a display).
# Closes with a CTest-style line, "N% tests passed, F tests failed out of T".
set -uo pipefail

linux_archive=$(realpath "$1")
windows_archive=$(realpath "$2")
dev_host=$(realpath "$3")
linux_build=$(realpath "$4")
wine_run=$(realpath "$5")
expected_dir=$(dirname "$(realpath "$0")")
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
readonly max_dll_bytes=$((600 * 1024))

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvenix-package-checks.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Unpacks an archive into an empty folder; prints the one folder it holds, named after it.
unpack() {
    local archive=$1 name=$2 into="$work/unpacked-$2"
    mkdir "$into"
    (cd "$into" && cmake -E tar xf "$archive") || return 1
    echo "$into/$name"
}

archive_name() { basename "$1" | sed 's/\.tar\.gz$//; s/\.zip$//'; }

linux_root=$(unpack "$linux_archive" "$(archive_name "$linux_archive")")
windows_root=$(unpack "$windows_archive" "$(archive_name "$windows_archive")")

# The demo galaxy as the dev build plans it, and its campaign: the references for both packages.
readonly campaign=(campaign --all --turns 3)
mkdir "$work/dev" "$work/dev-campaign"
(cd "$work/dev" && LC_ALL=en_US.UTF-8 "$dev_host" --json --trace trace.jsonl >report.json) ||
    echo "the dev host failed; every plan check will fail" >&2
(cd "$work/dev-campaign" && LC_ALL=en_US.UTF-8 "$dev_host" "${campaign[@]}" --json --trace trace.jsonl >report.json) ||
    echo "the dev host's campaign failed; every campaign check will fail" >&2

problem() { echo "    $*" >&2; return 1; }

# Lists the files of a folder, relative to it, sorted; the folder itself must hold nothing else
# at its top than the one archive folder.
same_files() {
    local root=$1 expected=$2
    [ -d "$root" ] || problem "no folder $(basename "$root") in the archive" || return 1
    local top
    top=$(find "$(dirname "$root")" -mindepth 1 -maxdepth 1 | wc -l)
    [ "$top" -eq 1 ] || problem "the archive holds $top entries at its top, not one folder" || return 1
    diff -u "$expected" <(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort) >&2 ||
        problem "the files differ from $(basename "$expected")"
}

# The "orders" array of a --json report, as text.
orders_of() { sed -n 's/^{"orders": \(\[.*\]\), "message_box".*/\1/p' "$1"; }

# A run's report and trace against the dev build's: same orders, each accepted; the
# same report but for the planning time (and a console's line ends); the same trace.
same_plan() {
    local folder=$1 orders
    orders=$(orders_of "$folder/report.json")
    [ -n "$orders" ] || problem "no orders in $(cat "$folder/report.json")" || return 1
    [ "$orders" = "$(orders_of "$work/dev/report.json")" ] ||
        problem "orders differ from the dev build's: $orders" || return 1
    ! grep -q '"accepted": false' <<<"$orders" || problem "an order was refused: $orders" || return 1
    local strip='s/, "plan_ms": [0-9.e+-]*//; s/\r$//'
    [ "$(sed "$strip" "$folder/report.json")" = "$(sed "$strip" "$work/dev/report.json")" ] ||
        problem "reports differ beyond plan_ms" || return 1
    cmp "$folder/trace.jsonl" "$work/dev/trace.jsonl" >&2 || problem "traces differ"
}

check_linux_files() { same_files "$linux_root" "$expected_dir/linux-files.txt"; }

check_linux_rpath() {
    local binary paths
    for binary in "$linux_root"/bin/tarvenix-host "$linux_root"/lib/tarvenix/*.so; do
        paths=$(readelf -d "$binary" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]/\2/p')
        if [ -z "$paths" ] || tr ':' '\n' <<<"$paths" | grep -qv '^\$ORIGIN'; then
            problem "$(basename "$binary") does not look for its libraries beside itself only: '$paths'"
            return 1
        fi
    done
}

check_linux_packager() {
    local stage="$work/packager"
    DESTDIR="$stage" cmake --install "$linux_build" --prefix /usr >/dev/null || problem "cmake --install failed" || return 1
    [ -x "$stage/usr/bin/tarvenix-host" ] || problem "no usr/bin/tarvenix-host" || return 1
    local readmes
    readmes=$(cd "$stage" && find . -name README.txt)
    [ -z "$readmes" ] || problem "cmake --install wrote $readmes"
}

# Runs the unpacked host in a new FOLDER with ARGS, --json (into report.json) and --trace
# (into trace.jsonl), from that folder and with no --plugin, as a player would.
run_linux_host() {
    local folder=$1
    shift
    mkdir "$folder"
    (cd "$folder" && LC_ALL=en_US.UTF-8 "$linux_root/bin/tarvenix-host" "$@" --json --trace trace.jsonl >report.json) ||
        problem "the unpacked host failed"
}

# The same with the unpacked tarvenix-host.exe: the console's output is the report; the trace is
# written through Wine's Z: drive.
run_windows_host() {
    local folder=$1
    shift
    mkdir "$folder"
    (cd "$folder" && LC_ALL=en_US.UTF-8 "$wine_run" "$windows_root/tarvenix-host.exe" "$@" --json \
        --trace "Z:${folder//\//\\}\\trace.jsonl" >report.json 2>stderr.txt) ||
        problem "the unpacked tarvenix-host.exe failed: $(cat "$folder/stderr.txt")"
}

# A campaign has no timings: its report (but for a console's line ends) and trace are the dev
# build's, byte for byte.
same_campaign() {
    local folder=$1
    cmp <(sed 's/\r$//' "$folder/report.json") "$work/dev-campaign/report.json" >&2 ||
        problem "the campaign's report differs from the dev build's" || return 1
    cmp "$folder/trace.jsonl" "$work/dev-campaign/trace.jsonl" >&2 || problem "the campaign's traces differ"
}

check_linux_plan() { run_linux_host "$work/linux-run" && same_plan "$work/linux-run"; }

check_linux_campaign() { run_linux_host "$work/linux-campaign" "${campaign[@]}" && same_campaign "$work/linux-campaign"; }

check_windows_files() { same_files "$windows_root" "$expected_dir/windows-files.txt"; }

check_windows_stripped() {
    local size file debug
    size=$(stat -c %s "$windows_root/Tarvenix2.dll") || return 1
    [ "$size" -le "$max_dll_bytes" ] || problem "Tarvenix2.dll is $size bytes, over $max_dll_bytes" || return 1
    for file in "$windows_root"/*.dll "$windows_root"/*.exe; do
        debug=$("$objdump" -h "$file" | awk '$2 ~ /^\.debug/ { print $2 }' | tr '\n' ' ')
        [ -z "$debug" ] || problem "$(basename "$file") has debug sections: $debug" || return 1
    done
}

check_windows_plan() { run_windows_host "$work/windows-run" && same_plan "$work/windows-run"; }

check_windows_campaign() {
    run_windows_host "$work/windows-campaign" "${campaign[@]}" && same_campaign "$work/windows-campaign"
}

check_windows_differential() {
    "$expected_dir/../trace/differential.sh" "$dev_host" "$wine_run" "$windows_root/tarvenix-host.exe" \
        "$work/differential" 200 >&2
}

passed=0
failed=0
for check in linux-files linux-rpath linux-packager linux-plan linux-campaign windows-files windows-stripped \
    windows-plan windows-campaign windows-differential; do
    if "check_${check//-/_}"; then
        echo "    ok    $check"
        passed=$((passed + 1))
    else
        echo "    FAIL  $check"
        failed=$((failed + 1))
    fi
done
total=$((passed + failed))
echo "$((100 * passed / total))% tests passed, $failed tests failed out of $total"
[ "$failed" -eq 0 ]
