# Sourced by wine-run, conformance, wine-bench and the desktop test: a
# private X server with no window manager, by default of 640x480x24, the size
# of the display mode the programs switch to, so that Wine's virtual desktop
# and the SDL2 window both fill it from (0, 0).
#
# start_xvfb FOLDER [WIDTHxHEIGHT]
#                    starts it, leaving its log and display number in FOLDER;
#                    sets xvfb_pid and xvfb_display (":N"); false when it
#                    did not come up within five seconds.
# stop_xvfb          stops it again.

start_xvfb() {
  local folder=$1 size=${2:-640x480} attempt
  # -displayfd picks a free display number and reports it once the server
  # accepts connections, so parallel runs never collide. The file is emptied
  # first: a number left from an earlier server must not be taken for it.
  : >"$folder/display"
  Xvfb -displayfd 8 -screen 0 "${size}x24" -nolisten tcp 8>"$folder/display" >"$folder/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for attempt in $(seq 100); do
    [ -s "$folder/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  [ -s "$folder/display" ] || return 1
  xvfb_display=:$(head -n 1 "$folder/display")
}

stop_xvfb() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  fi
  xvfb_pid=
}
