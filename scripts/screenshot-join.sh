#!/usr/bin/env bash
# Makes a PNG of the Join a Game dialog under a virtual X server, on a local
# network of its own (tests/e2e/localnet.sh: nothing goes out on the
# machine's interfaces). Ann hosts a game from her window; Cy and Dan, two
# computer players, play at a host without a window; Bea looks for a game.
#
# usage: scripts/screenshot-join.sh [BUILD_DIR] [OUTPUT.png]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${ZORBLE_LOCALNET:-}" != 1 ]; then
  exec "$root/tests/e2e/localnet.sh" "$0" "$@"
fi
build="${1:-$root/build}"
out="${2:-$root/docs/join-dialog.png}"
zorble="$build/app/zorble"
[ -x "$zorble" ] || { echo "no program at $zorble (build it first)" >&2; exit 1; }

. "$root/scripts/lib/xvfb.sh"
export ZORBLE_NO_INSTANCE_GUARD=1 ZORBLE_CHAT_CONSOLE=1

# Each window player runs from a folder of its own, with its name set.
player() {
  mkdir -p "$work/$1"
  cp "$zorble" "$work/$1/zorble"
  printf '[Zorble]\nPlayerName=%s\nRecentHost1=%s\n' "$1" "$2" >"$work/$1/vornlobby.ini"
}
player Ann friend.example.org:7772
player Bea friend.example.org:7772

QT_QPA_PLATFORM=offscreen "$work/Ann/zorble" </dev/null >"$work/ann.out" 2>/dev/null &
pids+=($!)
"$zorble" --serve --port 7780 >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
for bot in Cy Dan; do
  start=(); [ "$bot" = Cy ] && start=(--start 2)
  "$zorble" --bot "$bot" --port 7780 "${start[@]}" >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.3
done

state="$work/bea.json"
DISPLAY="$display" QT_QPA_PLATFORM=xcb ZORBLE_STATE_FILE="$state" \
  "$work/Bea/zorble" --port 7773 </dev/null >"$work/bea.out" 2>/dev/null &
bea=$!
pids+=($bea)
for _ in $(seq 100); do grep -q 'You are Connected' "$work/bea.out" 2>/dev/null && break; sleep 0.1; done

# One field of Bea's state, asked for afresh.
field() {
  rm -f "$state"
  kill -USR1 "$bea"
  for _ in $(seq 50); do [ -s "$state" ] && break; sleep 0.05; done
  /usr/bin/python3 -c "import json,sys; print(eval('json.load(open(sys.argv[1]))' + sys.argv[2]))" "$state" "$1"
}

# A click on the chat entry gives the window the keyboard; Ctrl+J opens the dialog.
window="$(DISPLAY="$display" xdotool search --onlyvisible --name '^Zorble$' | head -1)"
read -r x y < <(field "['places']['edit_chat']" | tr -d '[],' | awk '{print $1 + 20, $2 + 8}')
DISPLAY="$display" xdotool mousemove --window "$window" "$x" "$y" click 1
DISPLAY="$display" xdotool key ctrl+j
for _ in $(seq 100); do
  [ "$(field "['join']['games'].__len__()")" -ge 2 ] 2>/dev/null && break
  sleep 0.1
done
dialog="$(DISPLAY="$display" xdotool search --onlyvisible --name '^Join a Game$' | head -1)"
read -r x y < <(field "['join']['places']['game1']" | tr -d '[],' | awk '{print $1 + 40, $2 + 6}')
DISPLAY="$display" xdotool mousemove --window "$dialog" "$x" "$y" click 1
sleep 0.5

mkdir -p "$(dirname "$out")"
DISPLAY="$display" import -window "$dialog" "$out"
echo "wrote $out"
