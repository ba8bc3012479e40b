#!/usr/bin/env bash
# Makes a PNG of the game window under a virtual X server: Alice hosts, Bob
# joins from a second (window-less) instance and both say something.
#
# usage: scripts/screenshot.sh [BUILD_DIR] [OUTPUT.png]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
out="${2:-$root/docs/screenshot.png}"
zorble="$build/app/zorble"
[ -x "$zorble" ] || { echo "no program at $zorble (build it first)" >&2; exit 1; }

. "$root/scripts/lib/xvfb.sh"

export ZORBLE_NO_INSTANCE_GUARD=1 ZORBLE_CHAT_CONSOLE=1
mkfifo "$work/alice.in" "$work/bob.in"

DISPLAY="$display" QT_QPA_PLATFORM=xcb "$zorble" Alice x true <"$work/alice.in" >"$work/alice.out" 2>/dev/null &
pids+=($!)
exec 3>"$work/alice.in"
for _ in $(seq 100); do grep -q 'You are Connected' "$work/alice.out" 2>/dev/null && break; sleep 0.1; done

QT_QPA_PLATFORM=offscreen "$zorble" Bob 127.0.0.1 false <"$work/bob.in" >"$work/bob.out" 2>/dev/null &
pids+=($!)
exec 4>"$work/bob.in"
for _ in $(seq 100); do grep -q 'You are Connected' "$work/bob.out" 2>/dev/null && break; sleep 0.1; done

echo "Hello Bob, welcome to the game :)#10" >&3
sleep 0.3
echo "Hi Alice! Rules at www.example.org" >&4
sleep 0.3
echo "/me waves" >&3
sleep 1

mkdir -p "$(dirname "$out")"
DISPLAY="$display" import -window Zorble "$out"
exec 3>&- 4>&-
echo "wrote $out"
