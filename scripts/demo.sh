#!/usr/bin/env bash
# Plans the built-in demo galaxy with the plug-in, through the host stand-in.
set -euo pipefail
echo "The demo is not built yet: it will build tarvenix-host and the Tarvenix2 plug-in" >&2
echo "and plan the built-in demo galaxy, showing progress, orders and the host's verdicts." >&2
exit 1
