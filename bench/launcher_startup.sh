#!/usr/bin/env bash
# Times the real launcher on Xvfb over a catalogue of many bundles:
#   start      process start to the first painted frame of the overlay (goal: 250 ms)
#   toggle     a Toggle request on the session bus to the first frame (goal: 50 ms)
#   idle       wake-ups a second of the hidden launcher's threads (goal: at most 2 besides the
#              1.5 s permission poll)
# Usage: bench/launcher_startup.sh [BUNDLES=2000] [RUNS=5]   (after building into build/)
set -euo pipefail
cd "$(dirname "$0")/.."
bundles=${1:-2000}
runs=${2:-5}
calyxa=$(pwd)/build/Calyxa
[ -x "$calyxa" ] || { echo "build/Calyxa is missing: build first"; exit 1; }

if [ "${CALYXA_BENCH_INNER:-}" != 1 ]; then
  work=$(mktemp -d)
  xvfb_pid=
  cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
  }
  trap cleanup EXIT
  Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")" CALYXA_BENCH_INNER=1 CALYXA_BENCH_WORK=$work
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  status=0
  dbus-run-session -- "$0" "$@" 2>"$work/session.log" || status=$?
  [ $status = 0 ] || cat "$work/session.log"
  exit $status
fi

work=$CALYXA_BENCH_WORK
root=$work/root
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; true' EXIT
echo "making $bundles bundles..."
for i in $(seq -w 1 "$bundles"); do
  bundle="$root/Applications/App $i.app/Contents"
  mkdir -p "$bundle/MacOS"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict><key>CFBundleExecutable</key><string>app</string><key>CFBundleIdentifier</key><string>com.example.app%s</string><key>CFBundleName</key><string>App %s</string></dict></plist>\n' "$i" "$i" >"$bundle/Info.plist"
done
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  XDG_DATA_DIRS=$work/xdg-data XDG_RUNTIME_DIR=$work/runtime CALYXA_SYSTEM_ROOT=$root
log=$work/frames.log
export CALYXA_FRAME_LOG=$log

now() { date +%s%N; }
lines() { if [ -f "$log" ]; then grep -c "^$1 " "$log" || true; else echo 0; fi; }
last() { grep "^$1 " "$log" | tail -n1 | cut -d' ' -f2; }
wait_lines() {  # KIND COUNT
  local deadline=$((SECONDS + 30))
  until [ "$(lines "$1")" -ge "$2" ]; do
    [ $SECONDS -lt $deadline ] || { echo "timed out waiting for $1"; tail -20 "$work/calyxa.log"; exit 1; }
    sleep 0.005
  done
}
bus() {
  dbus-send --session --print-reply=literal --dest=com.vantorel.tilewell /com/vantorel/tilewell "$@"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# CPU time the process has used, in milliseconds (user + system, all threads): on a busy machine
# the wall-clock figures above wait for the processor, this does not.
cpu_ms() {
  awk -v hz="$(getconf CLK_TCK)" '{sub(/^.*\) /, ""); print ($12 + $13) * 1000 / hz}' "/proc/$1/stat"
}

# Start-up, run after run (the first run also writes the layout file, as a first start does).
starts=()
start_cpu=()
for run in $(seq "$runs"); do
  rm -f "$log"
  t0=$(now)
  "$calyxa" >/dev/null 2>>"$work/calyxa.log" &
  pid=$!
  wait_lines frame 1
  starts+=($((($(last frame) - t0) / 1000000)))
  start_cpu+=("$(cpu_ms "$pid")")
  if [ "$run" -lt "$runs" ]; then kill -TERM "$pid"; wait "$pid" || true; fi
done
echo "start to first frame (ms): ${starts[*]}; median $(printf '%s\n' "${starts[@]}" | median)"
echo "CPU used by then (ms): ${start_cpu[*]}; median $(printf '%s\n' "${start_cpu[@]}" | median)"

# Toggle: hide, then time a Toggle that shows.
toggles=()
requests=()
toggle_cpu=()
for _ in $(seq 20); do
  bus com.vantorel.tilewell.Hide >/dev/null
  sleep 0.4  # the fade-out ends and the window is unmapped
  before=$(lines frame)
  c0=$(cpu_ms "$pid")
  t0=$(now)
  bus com.vantorel.tilewell.Toggle >/dev/null
  wait_lines frame $((before + 1))
  toggle_cpu+=("$(awk -v a="$c0" -v b="$(cpu_ms "$pid")" 'BEGIN {print b - a}')")
  toggles+=($((($(last frame) - t0) / 1000)))
  requests+=($((($(last frame) - $(last request)) / 1000)))
done
echo "toggle request to first frame (µs, from dbus-send): median $(printf '%s\n' "${toggles[@]}" | median), max $(printf '%s\n' "${toggles[@]}" | sort -n | tail -n1)"
echo "toggle request to first frame (µs, from the request's arrival): median $(printf '%s\n' "${requests[@]}" | median)"
echo "CPU used from the request to the frame (ms, clock ticks): median $(printf '%s\n' "${toggle_cpu[@]}" | median)"

# Idle: hidden for 15 s, context switches of all its threads.
bus com.vantorel.tilewell.Hide >/dev/null
sleep 1
# Context switches of each thread, "TID COUNT" a line.
switches() {
  for status in /proc/"$pid"/task/*/status; do
    tid=${status%/status}
    echo "${tid##*/} $(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {s += $2} END {print s}' "$status")"
  done | sort
}
switches >"$work/before"
sleep 15
switches >"$work/after"
# Threads alive at both ends (workers that came and went in between are not idle wake-ups).
join "$work/before" "$work/after" | awk -v main="$pid" '
  { d = $3 - $2; total += d; if ($1 == main) m = d; if (d > 0) busy = busy " " $1 ":" d }
  END { printf "idle while hidden: %.2f wake-ups/s over all threads, %.2f on the main thread (per thread over 15 s:%s)\n", total / 15, m / 15, busy }'
kill -TERM "$pid"
wait "$pid" || true
exit 0
