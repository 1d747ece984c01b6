#!/usr/bin/env bash
# check-includes.sh [ROOT] - fails when an include runs against the stated direction.
#
# The plug-in's layers may use the layers below them, as the project's layer table states
# (LAYER_USES below). The host's rooms may use the rooms their CMake library links, and
# platform/ when it links the framework: the links state the direction, this reads each
# include against them. A host include names a room from host/ ("files/OutputFile.h") or a
# layer from the top ("platform/CString.h"); anything else is refused too, so that every
# include line shows where it reaches. Tests, benchmarks and fuzzers may use anything.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A LAYER_USES=(
    [platform]=""
    [cells]="platform"
    [context]="cells platform"
    [relay]="context cells platform"
    [ui]="relay context platform"
    [plugin]="ui relay context cells platform"
    [host]="platform"
)
# Declarations that a lower layer may see against the direction: the command handler's
# application and window, and the resource ids that the code and the resource script share.
declare -A LAYER_ALSO=(
    [relay]="plugin/PluginApp.h plugin/resource.h ui/SendProgressDialog.h"
    [ui]="plugin/resource.h"
)

# The units that CMake text on standard input links, but `own`: rooms by folder, and
# platform for the framework.
linked_units() {
    local own=$1 target
    for target in $(grep -oE 'TarvenixHost[A-Za-z]+|TarvenixFramework' | sort -u); do
        case $target in
            TarvenixFramework) target=platform ;;
            *) target=$(tr '[:upper:]' '[:lower:]' <<<"${target#TarvenixHost}") ;;
        esac
        [[ $target == "$own" ]] || echo -n "$target "
    done
}

declare -A ROOM_USES=()
for file in host/*/CMakeLists.txt; do
    room=$(basename "$(dirname "$file")")
    ROOM_USES[$room]=$(linked_units "$room" <"$file")
done
# The program at the top of host/ (main.cpp) uses what tarvenix-host links.
ROOM_USES[.]=$(grep -E '^target_link_libraries\(tarvenix-host ' host/CMakeLists.txt | linked_units .)

# A room may use what the rooms it links may use: one pass per room reaches every path.
for _ in "${!ROOM_USES[@]}"; do
    for room in "${!ROOM_USES[@]}"; do
        reach=" ${ROOM_USES[$room]} "
        for used in ${ROOM_USES[$room]}; do
            for further in ${ROOM_USES[$used]:-}; do
                [[ $reach == *" $further "* ]] || reach+="$further "
            done
        done
        ROOM_USES[$room]=$reach
    done
done

faults=0
words() {
    local list="$*"
    echo "${list:-nothing}"
}
fault() {
    echo "$1: includes \"$2\": $3"
    faults=$((faults + 1))
}

while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    place="$file:${rest%%:*}"
    [[ $rest =~ \#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
    included=${BASH_REMATCH[1]}
    reached=${included%%/*}
    [[ $included == */* ]] || reached=""
    layer=${file%%/*}
    if [[ $layer == host ]]; then
        inner=${file#host/}
        room=.
        [[ $inner == */* ]] && room=${inner%%/*}
        if [[ $reached == "$room" || " ${ROOM_USES[$room]:-} " == *" $reached "* ]]; then
            continue
        elif [[ -z $reached || -z ${ROOM_USES[$reached]+room} && -z ${LAYER_USES[$reached]+layer} ]]; then
            fault "$place" "$included" "a host include names a room from host/ or a layer"
        else
            fault "$place" "$included" "host room '$room' may not use '$reached' (it uses: $(words ${ROOM_USES[$room]}))"
        fi
    elif [[ $reached == "$layer" || " ${LAYER_USES[$layer]} " == *" $reached "* ||
            " ${LAYER_ALSO[$layer]:-} " == *" $included "* ]]; then
        continue
    else
        fault "$place" "$included" "layer '$layer' may not use '${reached:-a bare name}' (it uses: $(words ${LAYER_USES[$layer]}))"
    fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' --include='*.h' --include='*.cpp' \
             --include='*.in' platform cells context relay ui plugin host)

if ((faults > 0)); then
    echo "check-includes: $faults include(s) against the direction"
    exit 1
fi
echo "check-includes: every include runs with the direction"
