#!/usr/bin/env bash
# The real window under Xvfb, where a window is held to its least size as a user's
# X server holds it (the offscreen tests cannot see that): the start-up size with a
# long catalogue name in the history, no maximise button, the size once a
# catalogue is opened, and a comment dialog kept above the window it blocks.
# Usage: real_window_check.sh QUORVALEN. Exit 77 (skipped) without Xvfb and xdotool.
set -u
program=${1:?usage: real_window_check.sh QUORVALEN}
for tool in Xvfb xdotool xwininfo xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
display=""
cleanup() {
  [ -n "${windowPid:-}" ] && kill "$windowPid" 2>/dev/null
  [ -n "${xvfbPid:-}" ] && kill "$xvfbPid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
for number in $(seq 90 130); do
  [ -e "/tmp/.X$number-lock" ] && continue
  Xvfb ":$number" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfbPid=$!
  sleep 0.5
  if kill -0 "$xvfbPid" 2>/dev/null; then display=":$number"; break; fi
done
[ -n "$display" ] || { echo "no display could be started"; exit 1; }
export DISPLAY=$display

failures=0
Check() {  # Check WHAT ACTUAL EXPECTED
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: $2, not $3"; failures=$((failures + 1)); fi
}
WaitForWindow() {  # WaitForWindow TITLE
  for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$window" ] && return 0
    sleep 0.1
  done
  return 1
}
Size() { xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}'; }

mkdir -p "$work/drive/Docs"
echo hello >"$work/drive/readme.txt"
printf '\0c: [data]\4Docs\3readme.txt/6\1Docs\2\2\0' >"$work/disk.qvl"
longName="$work/$(printf 'x%.0s' $(seq 250)).qvl"
printf '[Main]\nReggedFileTypes=1\nLastDrive=T\nMethod=3\nLastOutPut=%s\n[Drives]\nT=%s\n[History]\nItem1=%s\n' \
  "$work/listed.qvl" "$work/drive" "$longName" >"$work/Quorvalen.ini"
cp "$program" "$work/quorvalen"

# Started without a file: the tab area alone, as wide as the layout, whatever the history holds.
"$work/quorvalen" >"$work/out.log" 2>&1 &
windowPid=$!
WaitForWindow 'Quorvalen v2.31' || { echo "FAIL: no window"; cat "$work/out.log"; exit 1; }
sleep 0.5
Check "size at start" "$(Size "$window")" "569x225"
# Motif hints: functions and decorations without maximise (0x10 and 0x40).
hints=$(xprop -id "$window" _MOTIF_WM_HINTS | sed 's/.*= //')
functions=$(echo "$hints" | cut -d, -f2)
decorations=$(echo "$hints" | cut -d, -f3)
Check "no maximise function" "$(( functions & 0x10 ))" "0"
Check "no maximise button" "$(( decorations & 0x40 ))" "0"

# Create List (Alt+L): the comment dialog is the main window's, kept above it.
mainWindow=$window
xdotool windowfocus --sync "$mainWindow" 2>/dev/null
xdotool key --window "$mainWindow" alt+l
if WaitForWindow 'Add file Comment'; then
  transient=$(xprop -id "$window" WM_TRANSIENT_FOR | sed -n 's/.*# //p')
  Check "the comment dialog stays above the window" "$(( transient ))" "$(( mainWindow ))"
  xdotool key --window "$window" Escape 2>/dev/null
else
  Check "the comment dialog opens" "no dialog" "a dialog"
fi
for _ in $(seq 50); do [ -s "$work/listed.qvl" ] && break; sleep 0.1; done
Check "the listing is written" "$(test -s "$work/listed.qvl" && echo yes)" "yes"
kill "$windowPid"; wait "$windowPid" 2>/dev/null; windowPid=""

# Started with a catalogue: the list comes into view.
"$work/quorvalen" "$work/disk.qvl" >"$work/out.log" 2>&1 &
windowPid=$!
WaitForWindow 'Quorvalen v2.31' || { echo "FAIL: no window"; cat "$work/out.log"; exit 1; }
for _ in $(seq 30); do [ "$(Size "$window")" = "569x517" ] && break; sleep 0.1; done
Check "size with a catalogue open" "$(Size "$window")" "569x517"

[ "$failures" -eq 0 ]
