#!/usr/bin/env bash
# The demonstration behind "./run demo": run from ./run, which has set up Wine (WINEPREFIX,
# a private HOME, a display) and built everything. Argument: the 64-bit build folder.
set -euo pipefail
BUILD="$1"; shift
if [ "${1:-}" = "--wizard" ]; then
    echo "The interactive wizard is not part of this build yet."
    exit 0
fi

DEMO_UNIX="$WINEPREFIX/drive_c/glt-demo"
DEMO_WIN='C:\glt-demo'
rm -rf "$DEMO_UNIX"; mkdir -p "$DEMO_UNIX"

ready() { grep -q ' ready ' "$DEMO_UNIX/$1" 2>/dev/null; }
has() { tr -d '\r' < "$DEMO_UNIX/$1" 2>/dev/null | grep -q " $2\$"; }
pid_of() { awk 'NR==1 {print $1}' "$DEMO_UNIX/$1"; }

echo
echo "== Glintora 7 setup: start-up closes the running copies of the product"
echo
echo "Two copies of the stand-in product Glintora 7 (Glintr7.exe) start and enter the shared"
echo "list of running instances. The second one ignores close requests."
wine "$BUILD/testkit/Glintr7.exe" -log "$DEMO_WIN\\copy1.log" </dev/null >/dev/null 2>&1 &
unix_pid[1]=$!
for _ in $(seq 100); do ready copy1.log && break; sleep 0.1; done
wine "$BUILD/testkit/Glintr7.exe" -log "$DEMO_WIN\\copy2.log" -ignoreclose </dev/null >/dev/null 2>&1 &
unix_pid[2]=$!
for _ in $(seq 100); do ready copy2.log && break; sleep 0.1; done
echo
echo "The shared list before the setup starts (process ID, state, program):"
wine "$BUILD/testkit/instance_probe.exe" 2>/dev/null | tr -d '\r' | sed 's/^/    /'

echo
echo "Running: setup.exe -install -s   (\"-s\" after the first argument: no question about closing)"
set +e
wine "$BUILD/setup.exe" -install -s </dev/null >/dev/null 2>&1
code=$?
set -e
sleep 1

echo
for n in 1 2; do
    log="copy$n.log"
    pid=$(pid_of "$log")
    asked="was not asked to close"
    has "$log" close-request && asked="was asked to close (WM_CLOSE with wParam 1001)"
    # The stand-in ends itself with code 1001 (233 in the low 8 bits the shell sees); a
    # process terminated by the setup ends with code 0.
    if kill -0 "${unix_pid[$n]}" 2>/dev/null; then
        outcome="and is still running"
        kill "${unix_pid[$n]}" 2>/dev/null || true
    else
        set +e; wait "${unix_pid[$n]}"; status=$?; set -e
        case $status in
            233) outcome="and closed itself" ;;
            0) outcome="and was terminated by the setup" ;;
            *) outcome="and ended with status $status" ;;
        esac
    fi
    echo "  copy $n (process $pid) $asked $outcome."
done
echo
# Wine reports only the low 8 bits of the Windows exit code to the shell; 1603 arrives as 67.
if [ "$code" -eq 67 ]; then
    echo "setup.exe ended with exit code 1603: nothing was installed, the installation itself is not"
    echo "part of this build yet."
else
    echo "setup.exe ended with exit code $code (low 8 bits of the Windows code)."
fi
