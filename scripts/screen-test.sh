# Sourced by conformance and the desktop test: steps of a test that watches a
# program on a private X server through screenshots (xwd) and drives it with
# xdotool. The caller sets:
#   display      the X display (":N")
#   out          the folder for screenshots and differences
#   compare      the frame_compare program
#   program_pid  the program under test, once started
#   program_log  its output, shown when a step fails
#   refusal      a line that, once logged, means it cannot show what is expected

fail() {
  if [ -n "${program_log:-}" ] && [ -s "$program_log" ]; then
    echo "--- last lines of $program_log"
    tail -n 20 "$program_log"
  fi
  echo "FAIL: $*"
  exit 1
}

# expect_screen NAME REFERENCE SECONDS [frame_compare options]
# Screenshots the X screen until it shows the reference (where and how large
# the options say), for at most the given seconds: the program draws the same
# frame pass after pass, so the wait is only for it to get there. On a
# timeout the last difference stays in $out.
expect_screen() {
  local name=$1 reference=$2 seconds=$3 deadline
  shift 3
  deadline=$((SECONDS + seconds))
  while :; do
    if [ -n "${refusal:-}" ] && grep -q "$refusal" "$program_log"; then
      fail "$name: the program said: $(grep -m1 "$refusal" "$program_log")"
    fi
    if ! kill -0 "$program_pid" 2>/dev/null; then
      wait "$program_pid"
      fail "$name: the program ended (exit code $?) before showing the expected picture"
    fi
    DISPLAY=$display xwd -root -silent >"$out/$name.xwd" 2>/dev/null
    if "$compare" "$@" "$reference" "$out/$name.xwd" "$out/$name" >"$out/$name.compare" 2>&1; then
      cat "$out/$name.compare"
      rm -f "$out/$name.xwd"
      return 0
    fi
    if [ $SECONDS -ge $deadline ]; then
      cat "$out/$name.compare"
      fail "$name: the screen did not show the expected picture within $seconds s (pictures in $out)"
    fi
    sleep 0.5
  done
}

# expect_exit_on_escape NAME SECONDS
# Escape through the X server; then the program must end with code 0.
expect_exit_on_escape() {
  local name=$1 seconds=$2 deadline status
  DISPLAY=$display xdotool key Escape
  deadline=$((SECONDS + seconds))
  while kill -0 "$program_pid" 2>/dev/null; do
    [ $SECONDS -ge $deadline ] && fail "$name: still running $seconds s after Escape"
    sleep 0.1
  done
  wait "$program_pid"
  status=$?
  program_pid=
  [ $status -eq 0 ] || fail "$name: exit code $status after Escape, expected 0"
  echo "$name: Escape ended it with exit code 0"
}

# click X Y: a left click at a screen point. The pointer may already be there
# from the step before, and a move to where it is reports nothing; so it goes
# to a corner first.
click() {
  DISPLAY=$display xdotool mousemove 1 1
  sleep 0.2
  DISPLAY=$display xdotool mousemove "$1" "$2"
  sleep 0.2
  DISPLAY=$display xdotool click 1
}
