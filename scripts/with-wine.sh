#!/usr/bin/env bash
# with-wine.sh - runs a command where the mingw build's programs can run under Wine: on one
# virtual X display, with one Wine server up for the whole command and the prefix made first.
#
#   scripts/with-wine.sh COMMAND [ARGS...]      (from any folder; COMMAND runs at the top of the tree)
#
# Exits with COMMAND's status. Needs the mingw preset configured (build/mingw/wine-run).
set -euo pipefail
cd "$(dirname "$0")/.."

# Everything under Wine runs on one virtual display: the Wine processes that the first
# program starts (the desktop among them) keep the display they were started with, so
# the server and the prefix are made there too, or no window of a later program could show.
# One Wine server stays up for the whole command instead of starting anew between programs
# (it answers 2 when one is up already), and the prefix is made or updated before the
# first program rather than inside it.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wine_run=build/mingw/wine-run
    # A server left from a run without this display would keep its display-less desktop.
    "$wine_run" --server -k >/dev/null 2>&1 || true
    "$wine_run" --server -p || [ $? -eq 2 ]
    "$wine_run" wineboot --init >/dev/null 2>&1
    # Xvfb runs no window manager, and Wine waits 2 s for one whenever a window it handed
    # to the manager is hidden or destroyed: every run of the host paid it. Windows kept
    # from the manager go at once, and Wine draws their frames itself.
    "$wine_run" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
    status=0
    "$@" || status=$?
    # Leave no Wine process behind.
    "$wine_run" --server -k >/dev/null 2>&1 || true
    exit "$status"
' with-wine "$@"
