# Sourced by the scripts that run Wine: makes DISPLAY name an X server that answers.
# use_display N: keeps a $DISPLAY that answers; else uses :N, starting Xvfb there when no server
# answers. A socket or lock left by an Xvfb that has gone (a previous session, a killed run) is
# cleared first, or Xvfb would refuse the display and every window would fail to open.
use_display() {
  local n=$1
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  export DISPLAY=":$n"
  xdpyinfo >/dev/null 2>&1 && return 0
  rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
  (setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &)
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "no X server answers on $DISPLAY, and Xvfb did not start there" >&2
  return 1
}
