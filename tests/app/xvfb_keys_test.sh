#!/bin/sh
# The desktop program on a real X server, driven by keys alone as a user would: "Start" on the
# title screen, the T-network (the focused first command), undo, redo, Ctrl+S into a new file
# through the file dialog, then undo and Ctrl+S again into the same file without a dialog, and
# Ctrl+P writing the PDF report through its dialog.
#   xvfb_keys_test.sh PROGRAM   (XVFB and XDOTOOL name the tools)
set -eu
program=$1
work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Xvfb picks a free display itself and writes its number once it accepts connections.
"$XVFB" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
tries=0
while [ ! -s "$work/display" ]; do
  tries=$((tries + 1))
  [ "$tries" -le 100 ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb

cd "$work"
"$program" 2>"$work/program.log" &
program_pid=$!

# The window named by the title pattern, given the keyboard focus (no window manager here).
focus() {
  window=$(timeout 20 "$XDOTOOL" search --sync --onlyvisible --name "$1" | head -n 1) ||
    fail "no window named '$1'"
  "$XDOTOOL" windowfocus --sync "$window"
  sleep 0.3
}
key() {
  "$XDOTOOL" key --clearmodifiers "$@"
  sleep 0.3
}
# The network family as the session-file format holds it: the 3rd network value.
family() { sed -n "$((1 + SOURCE_VALUES + 3))p" "$1" | tr -d ' \r'; }

focus '^Corvantile Version 3.01$'
key space  # "Start"
focus 'design and analysis $'
key space     # cmdTee has the focus: the T-network (the start is the Pi)
key ctrl+z    # the Pi again
key ctrl+y    # the T again
key ctrl+s    # no file yet: the file dialog
focus 'Save the design'
"$XDOTOOL" type --delay 20 "$work/tank.cfg"
key Return
focus 'design and analysis tank.cfg$'
[ -f "$work/tank.cfg" ] || fail "Ctrl+S wrote no tank.cfg"
[ -f "$work/tank.json" ] || fail "no settings beside tank.cfg"
[ "$(family "$work/tank.cfg")" = 1 ] || fail "saved family $(family "$work/tank.cfg"), not the T (1)"

key ctrl+z  # the Pi, a change from the file: an asterisk
focus 'design and analysis tank.cfg\*$'
key ctrl+s  # the open file again, no dialog
focus 'design and analysis tank.cfg$'
[ "$(family "$work/tank.cfg")" = 2 ] || fail "saved family $(family "$work/tank.cfg"), not the Pi (2)"
key ctrl+p  # the report: its file dialog
focus 'Write the design report'
"$XDOTOOL" type --delay 20 "$work/tank-report.pdf"
key Return
focus 'design and analysis tank.cfg$'
[ "$(head -c 5 "$work/tank-report.pdf" 2>/dev/null)" = "%PDF-" ] || fail "Ctrl+P wrote no PDF"
[ ! -e "$work/LastSession.CFG" ] || fail "LastSession.CFG written without Exit"
kill -0 "$program_pid" || fail "the program ended: $(cat "$work/program.log")"
echo "ok"
