# Sourced by the scripts: starts an Xvfb display when DISPLAY is unset and
# remembers its process id so the caller stops exactly what it started.
vantreel_xvfb_pid=""
vantreel_start_xvfb() {
  [[ -n "${DISPLAY:-}" ]] && return 0
  vantreel_new_xvfb || return 1
  vantreel_xvfb_pid=$vantreel_new_xvfb_pid
  export DISPLAY=$vantreel_new_display
}
# Starts one more Xvfb display whatever DISPLAY says; sets vantreel_new_display
# and vantreel_new_xvfb_pid.
vantreel_new_xvfb() {
  local n pid
  for n in $(seq 20 89); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 "${VANTREEL_SCREEN:-1920x1080x24}" -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
      vantreel_new_display=":$n"
      vantreel_new_xvfb_pid=$pid
      return 0
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}
# A compositing manager on our own display, so translucent and layered windows
# blend as they do on the desktop (a bare X server draws them opaque: the dock's
# all-but-transparent input window would cover the glass in a screenshot).
vantreel_compositor_pid=""
vantreel_start_compositor() {
  [[ -n $vantreel_xvfb_pid ]] || return 0
  command -v xcompmgr >/dev/null 2>&1 || return 0
  xcompmgr >/dev/null 2>&1 &
  vantreel_compositor_pid=$!
}
vantreel_stop_xvfb() {
  if [[ -n $vantreel_compositor_pid ]]; then
    kill "$vantreel_compositor_pid" 2>/dev/null
    wait "$vantreel_compositor_pid" 2>/dev/null
    vantreel_compositor_pid=""
  fi
  if [[ -n $vantreel_xvfb_pid ]]; then
    kill "$vantreel_xvfb_pid" 2>/dev/null
    wait "$vantreel_xvfb_pid" 2>/dev/null
    vantreel_xvfb_pid=""
  fi
}
