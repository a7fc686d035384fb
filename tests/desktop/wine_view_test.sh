#!/usr/bin/env bash
# scripts/wine-view, as scripts/view --windows runs it, on a 1920x1080 X
# server with no window manager: client.exe under Wine must show the host
# client's first frame (Wine's virtual desktop shrinks to the 640x480 mode,
# from the screen's corner) and end with exit code 0 on Escape.
#
#   wine_view_test.sh WINDOWS_BIN NATIVE_BIN OUTPUT_DIR
#
# Exit code 77 (skipped) only when Wine (32-bit Wine too, for a 32-bit build),
# Xvfb, xdotool or xwd is not installed.
set -uo pipefail

windows_bin=${1:-}
native_bin=${2:-}
out=${3:-}
if [ -z "$out" ]; then
  echo "usage: wine_view_test.sh WINDOWS_BIN NATIVE_BIN OUTPUT_DIR" >&2
  exit 2
fi
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
missing=()
for tool in Xvfb xdotool xwd; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: not installed: ${missing[*]}"
  exit 77
fi
windows_bin=$(cd "$windows_bin" && pwd) || exit 1
# Whether Wine can run this build's programs (wine-run knows what each needs).
"$scripts/wine-run" --check "$windows_bin/client.exe" 2>&1 || exit $?
native_bin=$(cd "$native_bin" 2>/dev/null && pwd) ||
  { echo "FAIL: no host build at $2: build the native preset first"; exit 1; }
rm -rf "$out" && mkdir -p "$out" && out=$(cd "$out" && pwd) || exit 1

compare=$native_bin/frame_compare
program_log=$out/wine.log
refusal=
program_pid=
xvfb_pid=
source "$scripts/screen-test.sh"
source "$scripts/wine-xvfb.sh"
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  stop_xvfb
}
trap cleanup EXIT

printf 'frames 1\nshot %s\nkey 27\n' "$out/first.png" >"$out/frames.script"
(cd "$native_bin" && STANDIN_PRESENTER=headless STANDIN_SCRIPT=$out/frames.script timeout 60 ./client) \
  >"$out/headless.log" 2>&1 || fail "the headless host client run failed: $(cat "$out/headless.log")"

start_xvfb "$out" 1920x1080 || fail "Xvfb did not start"
display=$xvfb_display
DISPLAY=$display "$scripts/wine-view" "$windows_bin" >"$program_log" 2>&1 &
program_pid=$!
expect_screen wine-view-first "$out/first.png" 60
expect_exit_on_escape "client.exe through wine-view" 10
echo "PASS: scripts/wine-view shows client.exe's picture and Escape ends it"
