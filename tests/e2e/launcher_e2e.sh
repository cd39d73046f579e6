#!/usr/bin/env bash
# Drives the real launcher on a real X server: Xvfb with a session bus, input from xdotool, a
# fixture root whose applications are scripts that leave a marker file when started.
# Usage: launcher_e2e.sh CALYXA CALYXA_CTL RENDER_DIR
set -euo pipefail

calyxa=$1
ctl=$2
renders=$3

if [ "${CALYXA_E2E_INNER:-}" != 1 ]; then
  for tool in Xvfb xdotool dbus-run-session dbus-send xdpyinfo import convert display; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-dependencies.sh)"; exit 1; }
  done
  work=$(mktemp -d)
  xvfb_pid=
  cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
  }
  trap cleanup EXIT
  # A free display number, chosen by the server itself; another server starting at the same
  # moment may take it from under us, so a server nobody can reach is replaced. Without
  # -noreset the server resets whenever its last client leaves, refusing connections meanwhile.
  for attempt in 1 2 3; do
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$work/display" 2>/dev/null)"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 && break
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=
  done
  [ -n "$xvfb_pid" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
  export CALYXA_E2E_INNER=1 CALYXA_E2E_WORK=$work CALYXA_E2E_XVFB_PID=$xvfb_pid
  status=0
  dbus-run-session -- "$0" "$@" || status=$?
  exit $status
fi

work=$CALYXA_E2E_WORK
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"' ERR
mkdir -p "$renders"
rm -f "$renders"/e2e-*.png

# --- The fixture: three applications that write a marker when started. -----------------------
root=$work/root
markers=$work/markers
mkdir -p "$markers" "$work/home" "$work/config" "$work/data" "$work/xdg-data" "$work/runtime"
chmod 700 "$work/runtime"
make_app() {  # NAME EXECUTABLE IDENTIFIER
  local bundle="$root/Applications/$1.app"
  mkdir -p "$bundle/Contents/MacOS"
  cat >"$bundle/Contents/Info.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
<key>CFBundleExecutable</key><string>$2</string>
<key>CFBundleIdentifier</key><string>$3</string>
<key>CFBundleName</key><string>$1</string>
</dict></plist>
PLIST
  printf '#!/bin/sh\necho started > "%s/%s"\n' "$markers" "$2" >"$bundle/Contents/MacOS/$2"
  chmod +x "$bundle/Contents/MacOS/$2"
}
# A desktop entry of the user's, found through GIO like the desktop's own menu finds it.
make_entry() {  # NAME MARKER
  local program="$work/bin/$2"
  mkdir -p "$work/bin" "$work/data/applications"
  printf '#!/bin/sh\necho started > "%s/%s"\n' "$markers" "$2" >"$program"
  chmod +x "$program"
  printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s\n' "$1" "$program" \
    >"$work/data/applications/com.example.$2.desktop.new"
  mv "$work/data/applications/com.example.$2.desktop.new" \
    "$work/data/applications/com.example.$2.desktop"
}
make_entry "Kestrel Notes" kestrel
make_app "Quillpad" quillpad com.example.quillpad
make_app "Orbit Mail" orbitmail com.example.orbitmail
make_app "Tern Terminal" tern com.example.tern

export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  XDG_DATA_DIRS=$work/xdg-data XDG_RUNTIME_DIR=$work/runtime CALYXA_SYSTEM_ROOT=$root
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

# A gesture preference of the user's, which the launcher switches off while it runs.
prefs=$XDG_CONFIG_HOME/calyxa/Preferences
mkdir -p "$prefs"
cat >"$prefs/com.apple.AppleMultitouchTrackpad.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>TrackpadFourFingerPinchGesture</key><integer>2</integer></dict></plist>
PLIST
pinch_key='com.apple.AppleMultitouchTrackpad::TrackpadFourFingerPinchGesture kCFPreferencesAnyHost'

# --- Helpers -------------------------------------------------------------------------------
fail() {
  echo "FAIL: $*"
  for log in "$work"/calyxa-*.log; do echo "--- $log"; cat "$log"; done
  exit 1
}
# wait_for SECONDS COMMAND...: polls the command until it succeeds.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}
property() {  # Visible | SearchText
  dbus-send --session --print-reply=literal --dest=com.vantorel.tilewell /com/vantorel/tilewell \
    org.freedesktop.DBus.Properties.Get string:com.vantorel.tilewell "string:$1" 2>/dev/null |
    sed -e 's/^ *variant *//' -e 's/^ *//'
}
is_visible() { [ "$(property Visible)" = "boolean true" ]; }
is_hidden() { [ "$(property Visible)" = "boolean false" ]; }
search_is() { [ "$(property SearchText)" = "$1" ]; }
window_mapped() { xdotool search --onlyvisible --name '^Calyxa Grid$' >/dev/null 2>&1; }
window_unmapped() { ! window_mapped; }
bus_owner_is() {
  [ "$(dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID string:com.vantorel.tilewell 2>/dev/null |
    awk '{print $2}')" = "$1" ]
}
gone() { ! kill -0 "$1" 2>/dev/null; }
shot=0
screenshot() {
  shot=$((shot + 1))
  import -window root "$renders/$(printf 'e2e-%02d-%s.png' "$shot" "$1")"
}
start_calyxa() {  # writes the pid into $started
  launches=$((launches + 1))
  "$calyxa" "$@" >"$work/calyxa-$launches.log" 2>&1 &
  started=$!
}
launches=0

# --- The run -------------------------------------------------------------------------------
[ -n "${DISPLAY:-}" ] || fail "no display"
# A desktop with something on it, for the overlay's blurred copy to show.
convert -size 1280x800 xc:'#1d3b5a' -fill '#e07030' -draw 'circle 320,300 320,520' \
  -fill '#30c090' -draw 'roundrectangle 760,140 1160,620 40,40' \
  -fill '#f0d040' -draw 'rectangle 80,620 620,700' "$work/desktop.png"
display -window root "$work/desktop.png" || true  # sets the background, then reports 1
screenshot desktop
start_calyxa
first=$started
wait_for 20 is_visible || fail "the overlay did not come up"
wait_for 10 window_mapped || fail "no window mapped"
"$ctl" gestures status | grep -q '^taken-over yes' || fail "gestures not taken over"
"$ctl" gestures status | grep -q "^$pinch_key current=0 saved=2" ||
  fail "the pinch preference was not switched off: $("$ctl" gestures status)"
sleep 0.3  # the fade-in, for the picture
screenshot shown

xdotool type --delay 60 "quill"
wait_for 10 search_is "quill" || fail "typed text did not reach the search (it is '$(property SearchText)')"
screenshot typed
xdotool key Return
wait_for 10 test -f "$markers/quillpad" || fail "Return did not start the application"
wait_for 10 search_is "" || fail "the search was not cleared after the launch"
is_visible || fail "the overlay closed after a launch from the search"
[ ! -e "$markers/orbitmail" ] && [ ! -e "$markers/tern" ] || fail "another application started"

xdotool type --delay 60 "kestrel"
wait_for 10 search_is "kestrel" || fail "the desktop entry's search did not arrive"
xdotool key Return
wait_for 10 test -f "$markers/kestrel" || fail "Return did not start the desktop entry"
wait_for 10 search_is "" || fail "the search was not cleared after launching the entry"

# An application installed while the launcher runs joins the grid.
make_entry "Heron Paint" heron
found_heron() {
  xdotool type --delay 40 "heron"
  wait_for 5 search_is "heron" || return 1
  xdotool key Return
  wait_for 1 test -f "$markers/heron" && return 0
  xdotool key Escape  # no such application yet: clear the search and try again
  wait_for 5 search_is ""
  return 1
}
wait_for 20 found_heron || fail "an application installed meanwhile did not join the grid"
wait_for 10 search_is "" || fail "the search was not cleared after launching the new entry"

xdotool type --delay 60 "orb"
wait_for 10 search_is "orb" || fail "second search did not arrive"
for press in 1 2 3; do
  xdotool key Escape
  wait_for 2 is_hidden && break
done
is_hidden || fail "Escape did not hide the overlay"
wait_for 5 window_unmapped || fail "the hidden overlay's window stayed mapped"
screenshot hidden

"$calyxa" --toggle || fail "--toggle failed"
wait_for 10 is_visible || fail "--toggle did not show the overlay"
wait_for 10 window_mapped || fail "--toggle: no window mapped"
search_is "" || fail "the search survived Escape: '$(property SearchText)'"
sleep 0.3
screenshot toggled
"$calyxa" --hide || fail "--hide failed"
wait_for 10 is_hidden || fail "--hide did not hide the overlay"
"$calyxa" --show || fail "--show failed"
wait_for 10 is_visible || fail "--show did not show the overlay"

start_calyxa
second=$started
wait_for 20 gone "$first" || fail "the first launcher survived the second"
wait "$first" && first_status=0 || first_status=$?
[ "$first_status" = 0 ] || fail "the replaced launcher ended with status $first_status"
wait_for 20 bus_owner_is "$second" || fail "the newest launcher does not own the bus name"
kill -0 "$second" || fail "the second launcher is gone"
wait_for 10 is_visible || fail "the second launcher did not show the overlay"
sleep 0.3
screenshot replaced

kill -TERM "$second"
wait "$second" && second_status=0 || second_status=$?
[ "$second_status" = 0 ] || fail "SIGTERM ended the launcher with status $second_status"
"$ctl" gestures status | grep -q '^taken-over no' || fail "gestures not given back"
"$ctl" gestures status | grep -q "^$pinch_key current=2\$" ||
  fail "the pinch preference was not restored: $("$ctl" gestures status)"
layout=$HOME/CalyxaData/tilewell_layout.json
[ -s "$layout" ] || fail "no layout file"
grep -q 'Quillpad' "$layout" && grep -q 'com.example.heron.desktop' "$layout" ||
  fail "the layout file lacks the catalogue: $(cat "$layout")"

"$calyxa" --hide || fail "--hide without a launcher failed"
unknown=0
"$calyxa" --frobnicate 2>/dev/null || unknown=$?
[ "$unknown" = 64 ] || fail "an unknown argument ended with status $unknown, not 64"
env -u DISPLAY "$calyxa" 2>"$work/nodisplay.err" && fail "ran without a display"
[ "$(wc -l <"$work/nodisplay.err")" = 1 ] || fail "no display: not one line: $(cat "$work/nodisplay.err")"
# The display goes away under a running launcher: it must not stay, and it still gives the
# gestures back.
start_calyxa
last=$started
wait_for 20 is_visible || fail "the last launcher did not come up"
"$ctl" gestures status | grep -q '^taken-over yes' || fail "gestures not taken over again"
kill -TERM "$CALYXA_E2E_XVFB_PID"
wait_for 20 gone "$last" || fail "the launcher outlived its display"
"$ctl" gestures status | grep -q "^$pinch_key current=2\$" ||
  fail "the pinch preference was not restored when the display went: $("$ctl" gestures status)"
echo "PASS ($shot screenshots in $renders)"
