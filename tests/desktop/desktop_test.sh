#!/usr/bin/env bash
# The host client through the SDL2 presenter on real X servers with no window
# manager, judged by screenshots against its own headless frames:
#
#   desktop_test.sh BIN OUTPUT_DIR
#
# On a 1920x1080 and an 800x600 screen the window must cover the screen and
# show the 640x480 picture crisp at the largest whole scale, centred: x2 at
# (320, 60), x1 at (80, 60). A click on a black bar changes nothing; a click
# in the picture lands on the tile under the pointer. Alt+Enter makes a
# framed-size window (1280x960 or 640x480, centred) showing the same picture,
# where clicks land as exactly; Alt+Enter again covers the screen; Escape
# ends the program with exit code 0.
#
# Exit code 77 (skipped) only when Xvfb, xdotool or xwd is not installed.
set -uo pipefail

bin=${1:-}
out=${2:-}
if [ -z "$out" ]; then
  echo "usage: desktop_test.sh BIN OUTPUT_DIR" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
bin=$(cd "$bin" && pwd) || exit 1
missing=()
for tool in Xvfb xdotool xwd; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: not installed: ${missing[*]}"
  exit 77
fi
rm -rf "$out" && mkdir -p "$out" && out=$(cd "$out" && pwd) || exit 1
# For the sanitizer build: SDL2's own allocations outside this project.
export LSAN_OPTIONS=suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp

compare=$bin/frame_compare
program_log=
refusal='cannot be used'
program_pid=
xvfb_pid=
source "$scripts/screen-test.sh"
source "$scripts/wine-xvfb.sh"
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  stop_xvfb
}
trap cleanup EXIT

# Two clicks in picture coordinates: tile (5, 2) of the first view, then one
# towards the left.
first_x=460 first_y=270
second_x=200 second_y=300
frame_seconds=15

# The program's own frames: the host client headless, given the same input
# that reaches it on the screen (a click on a bar reaches it not at all).
cat >"$out/frames.script" <<SCRIPT
frames 1
shot $out/first.png
move $first_x $first_y
ldown
lup
frames 2
shot $out/click.png
move $second_x $second_y
ldown
lup
frames 2
shot $out/second.png
key 27
SCRIPT
(cd "$bin" && STANDIN_PRESENTER=headless STANDIN_SCRIPT=$out/frames.script timeout 60 ./client) \
  >"$out/headless.log" 2>&1 || fail "the headless client run failed: $(cat "$out/headless.log")"

# expect_window NAME GEOMETRY: the client's window is WIDTHxHEIGHT+X+Y.
expect_window() {
  local name=$1 expected=$2 deadline got
  deadline=$((SECONDS + frame_seconds))
  while :; do
    got=$(DISPLAY=$display xdotool search --name '^Client$' getwindowgeometry --shell 2>/dev/null |
      awk -F= '{v[$1]=$2} END {if (v["WIDTH"]) printf "%sx%s+%s+%s", v["WIDTH"], v["HEIGHT"], v["X"], v["Y"]}')
    [ "$got" = "$expected" ] && { echo "$name: window $got"; return 0; }
    [ $SECONDS -ge $deadline ] && fail "$name: the window is '$got', expected $expected"
    sleep 0.2
  done
}

# check_desktop SIZE SCALE X Y WINDOWED_GEOMETRY
check_desktop() {
  local size=$1 scale=$2 x=$3 y=$4 windowed=$5 at
  at="--at $x,$y --scale $scale"
  start_xvfb "$out" "$size" || fail "Xvfb $size did not start"
  display=$xvfb_display
  echo "--- $size on $display"
  program_log=$out/sdl-$size.log
  (cd "$bin" && DISPLAY=$display STANDIN_PRESENTER=sdl SDL_VIDEODRIVER=x11 exec ./client) >"$program_log" 2>&1 &
  program_pid=$!

  expect_screen "$size-first" "$out/first.png" "$frame_seconds" $at
  expect_window "$size full screen" "$size+0+0"

  # A bar: left of the picture at mid-height, where nothing may happen.
  click $((x / 2)) $((y + 240 * scale))
  sleep 1
  expect_screen "$size-bar-click" "$out/first.png" 1 $at

  click $((x + first_x * scale)) $((y + first_y * scale))
  expect_screen "$size-click" "$out/click.png" "$frame_seconds" $at

  DISPLAY=$display xdotool key alt+Return
  expect_window "$size windowed" "$windowed"
  expect_screen "$size-windowed" "$out/click.png" "$frame_seconds" $at
  click $((x + second_x * scale)) $((y + second_y * scale))
  expect_screen "$size-windowed-click" "$out/second.png" "$frame_seconds" $at

  DISPLAY=$display xdotool key alt+Return
  expect_window "$size full screen again" "$size+0+0"
  expect_screen "$size-full-again" "$out/second.png" "$frame_seconds" $at

  expect_exit_on_escape "client on $size" 10
  stop_xvfb
}

check_desktop 1920x1080 2 320 60 1280x960+320+60
check_desktop 800x600 1 80 60 640x480+80+60
echo "PASS: full screen, bars, clicks and Alt+Enter on 1920x1080 and 800x600 with no window manager"
