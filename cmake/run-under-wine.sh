#!/usr/bin/env bash
# ctest's emulator for the test programs. The program's output goes through a file: Wine's
# service processes, started on demand by the first program that needs them, inherit its
# output and live as long as the wineserver, so a pipe to ctest would never reach its end.
out="$(mktemp)"
wine "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit "$rc"
