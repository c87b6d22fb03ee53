# Sourced by the scripts that run Wine: makes DISPLAY name an X server that answers.
# use_display N: keeps a $DISPLAY that answers; else uses :N, starting Xvfb there when no server
# answers, its process id kept in /tmp/.corven-xvfb-N so that end_display ends it. A socket or lock
# left by an Xvfb that has gone (a previous session, a killed run) is cleared first, or Xvfb would
# refuse the display and every window would fail to open.
use_display() {
  local n=$1
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  export DISPLAY=":$n"
  xdpyinfo >/dev/null 2>&1 && return 0
  rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
  # In a subshell of its own, so that it is no job of the caller's; setsid there runs Xvfb itself.
  (
    setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    echo $! > "/tmp/.corven-xvfb-$n"
  )
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "no X server answers on $DISPLAY, and Xvfb did not start there" >&2
  return 1
}

# end_display N: ends the Xvfb that use_display started on :N, if it still runs; a server it did not
# start (the user's own display) is left alone.
end_display() {
  local n=$1 file="/tmp/.corven-xvfb-$1" pid
  [ -s "$file" ] || return 0
  pid=$(cat "$file")
  rm -f "$file"
  if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  fi
}
