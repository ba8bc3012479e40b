#!/usr/bin/env bash
# Makes three PNGs of a game under a virtual X server: Alice hosts in a real
# window, three protocol players (Bob, Cat, Dan) lay real words. Alice passes
# her turns from her console.
#   docs/game-start.png   just after the start
#   docs/game-middle.png  words on the board, a Zorble outcome showing
#   docs/game-laying.png  Alice typing tiles onto the board, with the preview
#   docs/game-end.png     the winner panel
#   docs/game-moves.png   the score sheet in the Moves tab, with Rematch
#   docs/game-unseen.png  View > Unseen Tiles in the middle of the game
#   docs/game-history.png File > Game History with the game just played
# Alice's program runs from a folder of its own, so that its settings and its
# record of the game stay in the scratch folder.
#
# usage: scripts/screenshots-game.sh [BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
outdir="${2:-$root/docs}"
zorble="$build/app/zorble"
players="$build/tests/e2e/zorble_demo_players"
for p in "$zorble" "$players"; do
  [ -x "$p" ] || { echo "no program at $p (build it first)" >&2; exit 1; }
done

# The Game History window wants more than 1024 pixels across.
screen=1280x800x24
. "$root/scripts/lib/xvfb.sh"

export ZORBLE_NO_INSTANCE_GUARD=1 ZORBLE_CHAT_CONSOLE=1
state="$work/alice.json"
mkfifo "$work/alice.in" "$work/players.in"

mkdir -p "$work/alice"
cp "$zorble" "$work/alice/zorble"
DISPLAY="$display" QT_QPA_PLATFORM=xcb ZORBLE_STATE_FILE="$state" \
  "$work/alice/zorble" Alice x true <"$work/alice.in" >"$work/alice.out" 2>/dev/null &
alice=$!
pids+=($alice)
exec 3>"$work/alice.in"
for _ in $(seq 100); do grep -q 'You are Connected' "$work/alice.out" 2>/dev/null && break; sleep 0.1; done

"$players" 7772 Bob Cat Dan <"$work/players.in" >"$work/players.out" 2>/dev/null &
pids+=($!)
exec 4>"$work/players.in"
for _ in $(seq 100); do grep -q 'Dan is Connected' "$work/alice.out" 2>/dev/null && break; sleep 0.1; done

# One field of Alice's state, asked for afresh.
field() {
  rm -f "$state"
  kill -USR1 "$alice"
  for _ in $(seq 50); do [ -s "$state" ] && break; sleep 0.05; done
  /usr/bin/python3 -c "import json,sys; print(eval('json.load(open(sys.argv[1]))' + sys.argv[2]))" "$state" "$1"
}
# shot FILE [WINDOW_NAME]: the game window, or the window of that name.
shot() {
  mkdir -p "$outdir"
  DISPLAY="$display" import -window "${2:-Zorble}" "$outdir/$1"
  echo "wrote $outdir/$1"
}
# menu X Y X Y: a click on a menu of the game window, then on its item.
menu() {
  DISPLAY="$display" xdotool mousemove --window "$window" "$1" "$2" click 1
  sleep 0.4
  DISPLAY="$display" xdotool mousemove --window "$window" "$3" "$4" click 1
  sleep 0.8
}
# Passes Alice's turns until the condition's command succeeds.
pass_until() {
  for _ in $(seq 600); do
    eval "$1" && return 0
    [ "$(field "['ownturn']")" = True ] && echo /pass >&3
    sleep 0.2
  done
  echo "gave up waiting for: $1" >&2
  return 1
}

echo "Good luck everybody :)#10" >&3
echo /start >&3
sleep 1.5
shot game-start.png

echo "play 8" >&4
pass_until 'grep -q ready "$work/players.out"'
sleep 1
shot game-middle.png
# View > Unseen Tiles opens over the board's corner; it is put away again.
window="$(DISPLAY="$display" xdotool search --name '^Zorble$' | head -1)"
menu 59 9 107 117
shot game-unseen.png "Unseen Tiles"
DISPLAY="$display" xdotool windowunmap "$(DISPLAY="$display" xdotool search --name '^Unseen Tiles$' | head -1)"

echo pass >&4
# Alice's turn: the board takes the keys (Ctrl+B) and three of her letters go
# down from the keyboard's cursor; the preview tells what the move would score.
for _ in $(seq 300); do [ "$(field "['ownturn']")" = True ] && break; sleep 0.2; done
letters="$(field "['rack']" | /usr/bin/python3 -c "import ast,sys; print(' '.join(t[2] for t in ast.literal_eval(sys.stdin.read()) if t)[:5])")"
# A click on the empty square left of a word's first letter gives the board
# the keys and puts the cursor there.
click="$(field "" | /usr/bin/python3 -c "
import ast, sys
s = ast.literal_eval(sys.stdin.read())
bx, by, bw, bh = s['places']['board']
for y, row in enumerate(s['board']):
    for x in range(1, 19):
        if row[x] != '.' and row[x - 1] == '.':
            print(bx + 28 * (x - 1) + 14, by + 28 * y + 14)
            sys.exit()
print(bx + 14, by + 14)")"
DISPLAY="$display" xdotool mousemove --window "$window" $click click 1
sleep 0.3
for letter in $letters; do DISPLAY="$display" xdotool key "$letter"; sleep 0.2; done
sleep 0.5
shot game-laying.png
DISPLAY="$display" xdotool key Escape
pass_until '[ "$(field "[\"winner\"][\"visible\"]")" = True ]'
sleep 1
shot game-end.png
# The Moves tab beside the chat: the game's score sheet.
read -r mx my mw mh <<<"$(field "['places']['tab_moves']" | tr -d '[],')"
DISPLAY="$display" xdotool mousemove --window "$window" $((mx + mw / 2)) $((my + mh / 2)) click 1
sleep 0.5
shot game-moves.png
# File > Game History, the game just played chosen in its list; the computer's
# best move for the last turn takes a moment.
menu 19 9 75 117
history="$(DISPLAY="$display" xdotool search --name '^Game History$' | head -1)"
DISPLAY="$display" xdotool windowmove "$history" 0 0 mousemove --window "$history" 60 18 click 1
sleep 5
shot game-history.png "Game History"
exec 3>&- 4>&-
