#!/bin/sh
# Runs a Windows program under Wine with a Wine prefix of its own:
#   run-under-wine.sh PREFIX_DIR PROGRAM.exe [ARGUMENT...]
# The first run creates the prefix; runs that start meanwhile wait for it (tests start in
# parallel). Wine's own diagnostics stay off, so that standard error is the program's.
set -e
prefix=$1
shift
WINEPREFIX=$prefix
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
if [ ! -f "$prefix/.initialised" ]; then
  mkdir -p "$prefix"
  (
    flock 9
    if [ ! -f "$prefix/.initialised" ]; then
      "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&-
      "$wineserver" -w
      touch "$prefix/.initialised"
    fi
  ) 9>"$prefix.lock"
fi
# One Wine session for all the runs of a test session, kept for 30 s after the last one:
# starting Wine's server and its background processes takes seconds, a run in a running
# session a fraction of a second. A new session is started by a program of its own with
# no pipes of the caller, which the background processes would otherwise hold open, so that
# a caller waiting for the end of a program's output would wait for the session's end; nor
# the lock, which they would hold as long as they live.
(
  flock 9
  if "$wineserver" -p30 </dev/null >/dev/null 2>&1 9>&-; then  # status 2: already running
    "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$prefix.lock"
exec "$wine" "$@"
