# Sourced by the screenshot scripts: starts a virtual X server on a free-ish
# display and a scratch folder, both gone when the script ends. Sets
# `display` and `work`; processes added to `pids` are killed at the end. A
# script may set `screen` (WIDTHxHEIGHTxDEPTH) first.
display=":$((90 + RANDOM % 100))"
# The games started here publish nothing on the machine's network (no system
# bus), unless they run on a local network of their own (tests/e2e/localnet.sh).
[ "${ZORBLE_LOCALNET:-}" = 1 ] || export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/zorble-scripts
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 "${screen:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
