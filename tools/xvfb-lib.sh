# Sourced by the scripts: starts an Xvfb display when DISPLAY is unset and
# remembers its process id so the caller stops exactly what it started.
vantreel_xvfb_pid=""
vantreel_start_xvfb() {
  [[ -n "${DISPLAY:-}" ]] && return 0
  local n
  for n in $(seq 20 89); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 "${VANTREEL_SCREEN:-1920x1080x24}" -nolisten tcp >/dev/null 2>&1 &
    vantreel_xvfb_pid=$!
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
    if kill -0 "$vantreel_xvfb_pid" 2>/dev/null; then export DISPLAY=":$n"; return 0; fi
    vantreel_xvfb_pid=""
  done
  echo "could not start Xvfb" >&2
  return 1
}
vantreel_stop_xvfb() {
  if [[ -n $vantreel_xvfb_pid ]]; then
    kill "$vantreel_xvfb_pid" 2>/dev/null
    wait "$vantreel_xvfb_pid" 2>/dev/null
    vantreel_xvfb_pid=""
  fi
}
