#!/usr/bin/env bash
# host-window-checks.sh - tarvenix-host.exe with the real Tarvenix2.dll under Wine, on a real (virtual) desktop.
#
#   host-window-checks.sh CHECK WINE_RUN BIN_DIR OUT_DIR [LINUX_HOST]
#
# CHECK is one of:
#   demo-matches-linux  the demo galaxy planned here and by the Linux build: the same orders,
#                       verdicts and trace, byte for byte (needs LINUX_HOST)
#   cancel-click        a slowed run: the window with its title, a moving bar, a screenshot,
#                       then a mouse click on Cancel; nothing is sent
#   cancel-after-steps  the host's own Cancel press after N progress steps, no answer delay,
#                       several runs: nothing is sent, and the trace is the Linux build's
#                       of the same press, byte for byte (needs LINUX_HOST)
#   message-box-en      a group in flight: the system's message box with string 5, printed and
#   message-box-ru      closed by the host itself, in English or (Russian UI language) in
#                       Russian; nothing else sent
#   message-box-lang-ru --lang ru on an English system: the box's text whole in Russian (the
#                       host's manifest makes its ANSI code page UTF-8)
#   message-box-click   with --wait-for-click the box, captioned Tarvenix2, stays open until a
#                       key press closes it
#   russian-window      with the Russian UI language, the window's title and the about texts
#                       are the Russian ones (Escape closes the window as Cancel)
#   lang-ru             --lang ru on an English system: the window's title and the about name
#   lang-en             and description are the Russian ones, every letter printed; --lang en
#                       on a Russian system, the English ones
#   campaign-demo       a campaign in one load (--all, three turns, one command in three
#                       pressed Cancel at a random step) on the demo galaxy: every command's
#                       trace is, byte for byte, a fresh plan's on the galaxy as it stood
#                       before that command
#   campaign-message-box  the same with the demo's group in flight: message boxes, then the
#                       group, landed, planned in the same load
#   campaign-generated  the same as campaign-demo on a generated 300-planet galaxy
#   campaign-soak       1 000 commands in one load on a generated 40-planet galaxy, one in three
#                       pressed Cancel: the process's window objects, GDI objects, handles and
#                       windows after the last command are those after the first 50
#
# Needs DISPLAY (an X server such as Xvfb), xdotool, xwd and ImageMagick's convert. Exits
# 77 (skipped) when the desktop tools are missing, 0 when the check holds, 1 when not.
# Window checks share one desktop: CTest runs them one at a time.
set -uo pipefail

check=$1
wine_run=$2
bin_dir=$3
out_dir=$4
linux_host=${5:-}

mkdir -p "$out_dir"
work=$(mktemp -d "$out_dir/$check.XXXXXX")

fail() {
    echo "FAIL ($check): $*" >&2
    exit 1
}

skip() {
    echo "SKIPPED ($check): $*"
    exit 77
}

# A Unix path as the Windows program sees it, through Wine's Z: drive.
windows_path() { echo "Z:${1//\//\\}"; }

# The plug-in's window needs a display even when no one looks at it.
need_display() { [ -n "${DISPLAY:-}" ] || skip "no X display (run under xvfb-run)"; }

need_desktop() {
    need_display
    for tool in xdotool xwd convert; do
        command -v "$tool" >/dev/null || skip "$tool is not installed"
    done
}

# A check that fails half-way leaves no host behind on the shared desktop.
host_pid=
trap '[ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null' EXIT

# Runs the Windows host in the background with the given locale; its report goes to $work/report.json.
start_host() {
    local locale=$1
    shift
    LC_ALL=$locale "$wine_run" "$bin_dir/tarvenix-host.exe" --json --trace "$(windows_path "$work/trace.jsonl")" "$@" \
        >"$work/report.json" 2>"$work/stderr.txt" &
    host_pid=$!
}


# Waits at most 60 s for the host to end; its exit status.
wait_host() {
    local waited=0
    while kill -0 "$host_pid" 2>/dev/null; do
        if [ "$waited" -ge 600 ]; then
            kill "$host_pid" 2>/dev/null
            fail "the host did not end; stderr: $(cat "$work/stderr.txt")"
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    local status=0
    wait "$host_pid" || status=$?
    host_pid=
    return "$status"
}

# The id of the host's first visible X window, once there is one (at most 30 s); empty if none came.
host_window() {
    local id=
    for _ in $(seq 1 120); do
        id=$(xdotool search --onlyvisible --class tarvenix-host 2>/dev/null | head -n 1)
        [ -n "$id" ] && break
        kill -0 "$host_pid" 2>/dev/null || break
        sleep 0.25
    done
    echo "$id"
}

# Sets X, Y, WIDTH and HEIGHT to the X window's place on the screen and size.
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; }

# The screen as PNG, and the window's part of it beside it (NAME-window.png).
screenshot() {
    local window=$1 png=$2
    geometry "$window"
    xwd -root -silent | convert xwd:- "$png"
    convert "$png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "${png%.png}-window.png"
}

# How light the middle row of the progress bar is in a screenshot, 0 (all filled) to 1
# (empty, white): the bar covers 3-70 % of the window's width and 50-78 % of its height.
bar_level() {
    convert "$1" -crop "$((WIDTH * 55 / 100))x2+$((X + WIDTH * 10 / 100))+$((Y + HEIGHT * 64 / 100))" +repage \
        -colorspace Gray -format "%[fx:mean]" info:
}

# The "orders" array of a --json report, as text.
orders_of() { sed -n 's/^{"orders": \(\[.*\]\), "message_box".*/\1/p' "$1"; }

count_adds() { grep -c '"Function": "Add"' "$work/trace.jsonl"; }

demo_matches_linux() {
    [ -n "$linux_host" ] && [ -x "$linux_host" ] || skip "no Linux tarvenix-host to compare with"
    need_display
    LC_ALL=en_US.UTF-8 "$linux_host" --json --trace "$work/linux-trace.jsonl" >"$work/linux.json" || fail "the Linux run failed"
    start_host en_US.UTF-8
    wait_host || fail "the Windows run failed: $(cat "$work/stderr.txt")"
    local linux_orders windows_orders
    linux_orders=$(orders_of "$work/linux.json")
    windows_orders=$(orders_of "$work/report.json")
    [ -n "$linux_orders" ] || fail "no orders in the Linux report"
    [ "$linux_orders" = "$windows_orders" ] || fail "orders differ: Linux $linux_orders, Windows $windows_orders"
    # Everything but the planning time, which is the machine's, and the console's line end.
    local strip='s/, "plan_ms": [0-9.e+-]*//; s/\r$//'
    [ "$(sed "$strip" "$work/linux.json")" = "$(sed "$strip" "$work/report.json")" ] ||
        fail "reports differ beyond plan_ms"
    cmp "$work/linux-trace.jsonl" "$work/trace.jsonl" || fail "traces differ"
}

cancel_click() {
    need_desktop
    # 176 answers at 80 ms each keep the window open for some 14 s.
    start_host en_US.UTF-8 --answer-delay-ms 80
    local window
    window=$(host_window)
    [ -n "$window" ] || fail "no window appeared: $(cat "$work/stderr.txt")"
    [ "$(xdotool getwindowname "$window")" = "Sending Ships" ] || fail "title '$(xdotool getwindowname "$window")'"
    # The bar starts once the planner's preparatory queries are answered: watch it for a
    # while, keep the screenshot where it is fullest, and see it take at least two levels.
    local levels=() level fullest=2
    for shot in $(seq 1 40); do
        screenshot "$window" "$work/shot.png"
        level=$(bar_level "$work/shot.png")
        [[ " ${levels[*]} " == *" $level "* ]] || levels+=("$level")
        if awk -v a="$level" -v b="$fullest" 'BEGIN { exit !(a < b) }'; then
            fullest=$level
            cp "$work/shot.png" "$out_dir/cancel-click-window.png"
        fi
        [ "${#levels[@]}" -ge 3 ] && break
        sleep 0.3
    done
    [ "${#levels[@]}" -ge 2 ] || fail "the bar did not move (levels: ${levels[*]})"
    echo "screenshot: $out_dir/cancel-click-window.png (bar levels seen: ${levels[*]})"
    # The button stands at 93..123 of the template's 127 units across and fills its height:
    # aim at its middle, in the window as drawn (frame and caption included).
    geometry "$window"
    xdotool mousemove --window "$window" $((WIDTH * 84 / 100)) $((HEIGHT * 62 / 100)) click 1
    wait_host || fail "the run failed: $(cat "$work/stderr.txt")"
    grep -q '"cancelled": true' "$work/report.json" || fail "not reported cancelled: $(cat "$work/report.json")"
    [ "$(count_adds)" -eq 0 ] || fail "an Add was sent after Cancel"
}

cancel_after_steps() {
    [ -n "$linux_host" ] && [ -x "$linux_host" ] || skip "no Linux tarvenix-host to compare with"
    need_display
    local steps run
    for steps in 0 3 8; do
        LC_ALL=en_US.UTF-8 "$linux_host" --json --cancel-after-steps "$steps" --trace "$work/linux-trace.jsonl" \
            >"$work/linux.json" || fail "the Linux run failed"
        for run in 1 2 3 4 5; do
            start_host en_US.UTF-8 --cancel-after-steps "$steps"
            wait_host || fail "steps $steps, run $run failed: $(cat "$work/stderr.txt")"
            grep -q '"cancelled": true' "$work/report.json" ||
                fail "steps $steps, run $run not reported cancelled: $(cat "$work/report.json")"
            [ "$(count_adds)" -eq 0 ] || fail "steps $steps, run $run: an Add was sent after Cancel"
            cmp "$work/linux-trace.jsonl" "$work/trace.jsonl" ||
                fail "steps $steps, run $run: the worker stopped elsewhere than on Linux"
        done
    done
}

# Group 12 of the demo galaxy is in flight: the plug-in shows its message box.
check_box_report() {
    local expected=$1
    grep -qF "\"message_box\": \"$expected\"" "$work/report.json" || fail "report: $(cat "$work/report.json")"
    [ "$(wc -l <"$work/trace.jsonl")" -eq 2 ] || fail "more than the owner and status queries were sent"
}

message_box() {
    local locale=$1 expected=$2
    shift 2
    need_display
    start_host "$locale" --select 12 "$@"
    wait_host || fail "the run failed: $(cat "$work/stderr.txt")"
    check_box_report "$expected"
}

message_box_click() {
    need_desktop
    start_host en_US.UTF-8 --select 12 --wait-for-click
    local window
    window=$(host_window)
    [ -n "$window" ] || fail "no message box appeared: $(cat "$work/stderr.txt")"
    sleep 0.5
    kill -0 "$host_pid" 2>/dev/null || fail "the box did not wait for the click"
    screenshot "$window" "$work/box.png"
    cp "$work/box-window.png" "$out_dir/$check.png"
    # Captioned with the plug-in's application name, as the framework captions its boxes.
    local caption
    caption=$(xdotool getwindowname "$window")
    xdotool key --window "$window" Return
    wait_host || fail "the run failed: $(cat "$work/stderr.txt")"
    [ "$caption" = "Tarvenix2" ] || fail "caption '$caption'"
    check_box_report "Group is not on planet!!!"
}

# Runs the host slowed with LOCALE and ARGS, keeps the title of its window in $title, then
# presses Escape (Cancel) and waits for the host to end.
title_then_escape() {
    local locale=$1
    shift
    need_desktop
    start_host "$locale" --answer-delay-ms 80 "$@"
    local window
    window=$(host_window)
    [ -n "$window" ] || fail "no window appeared: $(cat "$work/stderr.txt")"
    title=$(xdotool getwindowname "$window")
    xdotool key --window "$window" Escape
    wait_host || fail "the run failed: $(cat "$work/stderr.txt")"
}

# `tarvenix-host.exe about` with LOCALE and ARGS into $work/about.txt: the texts, which the
# plug-in gives in the ANSI code page, printed as UTF-8.
about_with() {
    local locale=$1
    shift
    LC_ALL=$locale "$wine_run" "$bin_dir/tarvenix-host.exe" about "$@" >"$work/about.txt" 2>&1 ||
        fail "about failed: $(cat "$work/about.txt")"
}

russian_window() {
    title_then_escape ru_RU.UTF-8
    [ "$title" = "Рассылка кораблей" ] || fail "title '$title'"
    grep -q '"cancelled": true' "$work/report.json" || fail "Escape did not cancel: $(cat "$work/report.json")"
    about_with ru_RU.UTF-8
    grep -q "Description:      Эстафетная рассылка кораблей" "$work/about.txt" || fail "about: $(cat "$work/about.txt")"
}

# The host's --lang against the system's language: the window's title, then the about name and
# description (Russian ones pass the ANSI code page, which a Western system's cannot hold).
language_option() {
    local locale=$1 language=$2 expected_title=$3 name=$4 description=$5
    title_then_escape "$locale" --lang "$language"
    [ "$title" = "$expected_title" ] || fail "title '$title'"
    about_with "$locale" --lang "$language"
    grep -q "^Name: *$name" "$work/about.txt" || fail "about: $(cat "$work/about.txt")"
    grep -q "^Description: *$description" "$work/about.txt" || fail "about: $(cat "$work/about.txt")"
}

# The galaxies before the commands are rebuilt from the report: a fresh plan's --out is the
# galaxy after its command, campaign-commands.py lands the ships between turns.
campaign_commands() { python3 "$(dirname "$0")/campaign-commands.py" "$@"; }

# Runs `campaign` on GALAXY with ARGS (after CANCEL_ONE_IN and CANCEL_SEED, which it is given
# too), then each of its commands as a fresh `plan` on the galaxy as it stood before it: the
# fresh trace must be the campaign's next lines, their turn aside. Every line must be matched.
campaign_plans_as_fresh() {
    local galaxy=$1 one_in=$2 seed=$3
    shift 3
    need_display
    LC_ALL=en_US.UTF-8 "$wine_run" "$bin_dir/tarvenix-host.exe" campaign --galaxy "$(windows_path "$galaxy")" \
        --json --trace "$(windows_path "$work/campaign.jsonl")" --cancel-one-in "$one_in" --cancel-seed "$seed" "$@" \
        >"$work/campaign.json" 2>"$work/stderr.txt" || fail "the campaign failed: $(cat "$work/stderr.txt")"
    sed 's/^{"turn": [0-9]*, /{/' "$work/campaign.jsonl" >"$work/campaign-lines.jsonl"
    local total matched=0 index=0 cancelled=0 boxes=0 begin group steps current=$galaxy
    total=$(wc -l <"$work/campaign-lines.jsonl")
    campaign_commands list "$work/campaign.json" "$one_in" "$seed" >"$work/commands.txt" || fail "unreadable report"
    while read -r begin group steps; do
        index=$((index + 1))
        case "$begin" in
        land) campaign_commands land "$current" "$work/landed-$index.json" && current=$work/landed-$index.json ;;
        start) current=$galaxy ;;
        esac
        local press=()
        [ "$steps" = - ] || press=(--cancel-after-steps "$steps")
        local fresh=$work/fresh-$index.jsonl after=$work/after-$index.json
        LC_ALL=en_US.UTF-8 "$wine_run" "$bin_dir/tarvenix-host.exe" plan --galaxy "$(windows_path "$current")" \
            --select "$group" --json --trace "$(windows_path "$fresh")" --out "$(windows_path "$after")" "${press[@]}" \
            >"$work/fresh.json" 2>"$work/stderr.txt" </dev/null || fail "command $index: the fresh plan failed: $(cat "$work/stderr.txt")"
        grep -q '"cancelled": true' "$work/fresh.json" && cancelled=$((cancelled + 1))
        grep -q '"message_box": "' "$work/fresh.json" && boxes=$((boxes + 1))
        local lines
        lines=$(wc -l <"$fresh")
        sed -n "$((matched + 1)),$((matched + lines))p" "$work/campaign-lines.jsonl" | cmp -s - "$fresh" ||
            fail "command $index (group $group, ${begin}, Cancel at ${steps}) planned otherwise than a fresh plan"
        matched=$((matched + lines))
        [ -f "$after" ] && current=$after
    done <"$work/commands.txt"
    [ "$index" -ge 3 ] || fail "only $index commands"
    [ "$matched" -eq "$total" ] || fail "the fresh plans account for $matched of the campaign's $total trace lines"
    echo "$index commands ($cancelled cancelled, $boxes message boxes), $total trace lines, each as a fresh plan"
    [ "$cancelled" -ge "$min_cancelled" ] || fail "fewer than $min_cancelled commands cancelled"
    [ "$boxes" -ge "$min_boxes" ] || fail "fewer than $min_boxes message boxes"
}

# The figures the campaign prints with --count-objects-after: "user U, gdi G, handles H, windows W".
objects_after() { sed -n "s/^process objects after $1 commands: //p" "$work/stderr.txt" | tr -d '\r'; }

campaign_soak() {
    need_display
    local commands=1000 baseline_after=50
    "$wine_run" "$bin_dir/tarvenix-host.exe" generate --planets 40 --seed 3 --out "$(windows_path "$work/galaxy.json")" \
        >/dev/null 2>"$work/stderr.txt" || fail "generate failed: $(cat "$work/stderr.txt")"
    LC_ALL=en_US.UTF-8 "$wine_run" "$bin_dir/tarvenix-host.exe" campaign --galaxy "$(windows_path "$work/galaxy.json")" \
        --all --turns 6 --cancel-one-in 3 --cancel-seed 29 --repeat-until-commands "$commands" \
        --count-objects-after "$baseline_after" --json >"$work/campaign.json" 2>"$work/stderr.txt" ||
        fail "the campaign failed: $(cat "$work/stderr.txt")"
    local ran baseline end
    ran=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["commands_run"])' "$work/campaign.json")
    baseline=$(objects_after "$baseline_after")
    end=$(objects_after "$ran")
    [ -n "$baseline" ] && [ -n "$end" ] || fail "no figures: $(cat "$work/stderr.txt")"
    echo "after $baseline_after commands: $baseline"
    echo "after $ran commands: $end"
    [ "$ran" -ge "$commands" ] || fail "only $ran commands ran"
    [ "$baseline" = "$end" ] || fail "the process's objects grew over the load"
}

demo_galaxy=$(realpath "$(dirname "$0")/../../host/galaxy/demo/DemoGalaxy.json")

case "$check" in
demo-matches-linux) demo_matches_linux ;;
cancel-click) cancel_click ;;
cancel-after-steps) cancel_after_steps ;;
message-box-en) message_box en_US.UTF-8 "Group is not on planet!!!" ;;
message-box-ru) message_box ru_RU.UTF-8 "Указанная группа не на орбите!!!" ;;
message-box-lang-ru) message_box en_US.UTF-8 "Указанная группа не на орбите!!!" --lang ru ;;
message-box-click) message_box_click ;;
russian-window) russian_window ;;
lang-ru) language_option en_US.UTF-8 ru "Рассылка кораблей" "====== Tarvenix =====" "Эстафетная рассылка кораблей" ;;
lang-en) language_option ru_RU.UTF-8 en "Sending Ships" "====== Rozi zevo =====" "The ship dispatching procedure" ;;
campaign-demo) min_cancelled=1 min_boxes=0 campaign_plans_as_fresh "$demo_galaxy" 3 1 --all --turns 3 ;;
# Group 12 is in flight: two message boxes (the second with a Cancel scheduled, which keeps the
# campaign going), then, landed, it plans.
campaign-message-box) min_cancelled=0 min_boxes=2 campaign_plans_as_fresh "$demo_galaxy" 2 1 --select 12 --turns 3 \
    --repeat-until-commands 3 ;;
campaign-generated)
    "$wine_run" "$bin_dir/tarvenix-host.exe" generate --planets 300 --seed 1 --out "$(windows_path "$work/generated.json")" \
        >/dev/null 2>"$work/stderr.txt" || fail "generate failed: $(cat "$work/stderr.txt")"
    min_cancelled=1 min_boxes=0 campaign_plans_as_fresh "$work/generated.json" 3 1 --all --turns 3 ;;
campaign-soak) campaign_soak ;;
*) fail "unknown check" ;;
esac
rm -rf "$work"
echo "ok ($check)"
exit 0
